#pragma once

#include "ChaveEstrangeira.h"
#include "IndicePendente.h"

#include <cstddef>
#include <string>
#include <vector>

class TConexao;

// A key's entry of the record that could not be read, but whose table (and name, when
// readable) still can: a damaged row of the table, or a key of a damaged file.
struct TChaveIlegivel {
    std::string Tabela;
    std::string Nome;    // empty when unreadable
    std::size_t Dano = 0; // the sentence of Danos that tells the damage
};

// What a reading of the record found: the pending keys of both copies, merged, and a sentence
// for each part that could not be read (naming the file, or the table and its row).
struct TLeituraChavesPendentes {
    std::vector<TChaveEstrangeira> Chaves;
    std::vector<TIndicePendente> Indices;
    // A run switched the destination's forced writes off, and they are not on again yet.
    bool EscritaForcada = false;
    // The destination's triggers a run switched off and has not switched on yet.
    std::vector<std::string> Gatilhos;
    std::vector<std::string> Danos;
    // The keys the damaged parts still name, whether or not the other copy holds them.
    std::vector<TChaveIlegivel> Ilegiveis;
};

// The foreign keys dropped from one destination and not yet created again. They are kept in
// the destination itself, in a table of the tool's own, so that they travel with the database
// (moved, renamed, copied, opened by another user), and in a file of the user's own, named
// after the destination's path, as the technician's copy. Both are written before the first
// key is dropped; a key's row goes once the key exists again, and when no key is pending the
// table is dropped and the file removed, so that a finished destination keeps nothing of the
// tool's. The indexes a run sets inactive while a table is refilled are kept the same way,
// next to the keys, until they are active again; a record written before indexes were kept
// simply has none. So is the destination's forced writes, while a run holds them off, and so
// are the triggers a run switches off, until it switches them on again.
class TRegistroChavesPendentes {
public:
    // The tool's own table in the destination: none of the run's tables. The table list, the
    // checks and the copy leave it alone.
    static constexpr const char* Tabela = "NEWDATABASE_CHAVES_PENDENTES";

    // The destination as the connection names it.
    explicit TRegistroChavesPendentes(TConexao& destino);

    // The folder that holds every destination's file.
    static std::string Pasta();
    // The file of the destination with this path (it exists only while keys are pending);
    // every path naming the same file shares it.
    static std::string ArquivoDe(const std::string& arquivoDestino);
    const std::string& Arquivo() const noexcept { return FArquivo; }

    // Both copies, merged by each key's identity. A damaged copy or row is told in Danos and
    // adds no key; a database failure throws.
    TLeituraChavesPendentes Ler();
    // Only the file: for whoever cannot reach the destination.
    static TLeituraChavesPendentes LerArquivo(const std::string& arquivo);

    // Replaces both copies with these keys, indexes, forced writes and triggers: the table's
    // rows in one transaction, then the file. Nothing pending: the table is dropped and the
    // file removed.
    void Gravar(const std::vector<TChaveEstrangeira>& chaves,
                const std::vector<TIndicePendente>& indices, bool escritaForcada,
                const std::vector<std::string>& gatilhos);
    // Replaces the keys, the indexes or the forced writes, keeping what the record holds of
    // the others.
    void GravarChaves(const std::vector<TChaveEstrangeira>& chaves);
    void GravarIndices(const std::vector<TIndicePendente>& indices);
    void GravarEscritaForcada(bool escritaForcada);
    // One key exists again, or one index is active again: its row goes (the file is brought
    // up to date by the next Gravar).
    void Remover(const TChaveEstrangeira& chave);
    void Remover(const TIndicePendente& indice);
    // A damaged file is moved aside (to Arquivo() + ".descartado"), so that the technician
    // still has it once the run has written a new one.
    void GuardarArquivoDanificado();

private:
    bool TabelaExiste();
    void ExcluirTabela();
    void GravarArquivo(const std::vector<TChaveEstrangeira>& chaves,
                       const std::vector<TIndicePendente>& indices, bool escritaForcada,
                       const std::vector<std::string>& gatilhos) const;

    TConexao& FDestino;
    std::string FBanco;
    std::string FArquivo;
};
