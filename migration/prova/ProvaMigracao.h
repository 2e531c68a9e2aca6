#pragma once

#include "ListaTextos.h"
#include "ProvaAntecipada.h"
#include "ResultadoProva.h"
#include "TabelaProva.h"

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TConexao;

// A proof that found the destination different from the source; its message is the run's
// error line, the differences themselves are logged before it.
class EProvaDiferente : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Proves a pair: each copied table's row count and content digest, computed by each server on
// its own database, both sides read at once on their own attachment and each in one read-only
// snapshot; then the sequences, the identity columns, the pending foreign keys, the
// indexes a run sets inactive and the triggers. It changes nothing in either database.
//
// A table's digest is its row count, each column's count of values, and the sum of its rows'
// digests (TTabelaProva): every stored value counts, bound to its whole row. The source's
// values are taken as the destination's column types first (and its NULL yes/no values as the
// 'N' a run gives them), so what the copy converts on purpose compares equal; a column whose
// destination type may lose data is compared at the source's type instead.
class TProvaMigracao {
public:
    TProvaMigracao(TConexao& origem, TConexao& destino);
    TProvaMigracao(const TProvaMigracao&) = delete;
    TProvaMigracao& operator=(const TProvaMigracao&) = delete;

    // Forgets the destination's catalogue read by an earlier run: the next comparison reads it
    // again.
    void Reiniciar();

    // The indexes (as "TABELA.INDICE") that were active when the run began: each must be
    // active once it is over. Forgotten by Reiniciar.
    void DefinirIndicesAtivos(std::set<std::string> indices) { FIndicesAtivos = std::move(indices); }
    // Whether the destination's forced writes must be on once the run is over (they were on
    // when it began). Forgotten by Reiniciar.
    void DefinirEscritaForcadaEsperada(bool ligada) noexcept { FEscritaForcadaEsperada = ligada; }
    // The tables the run proved while it copied the others: the proof takes their verdicts
    // where both sides' marks are still the same, and proves the rest in full. Forgotten by
    // Reiniciar.
    void DefinirAntecipadas(std::map<std::string, TTabelaAntecipada> antecipadas)
    {
        FAntecipadas = std::move(antecipadas);
    }

    // The destination's table as the proof reads it.
    const TTabelaProva& Tabela(const std::string& nome);

    // The tables a run copies from this destination: its user tables but the ones it keeps
    // and the tool's own.
    std::vector<std::string> TabelasCopiadas(const TListaTextos& excecoes);

    // Which tables already hold the source's rows (count first, then digest), without looking
    // for the differing keys: what a rerun keeps. Tables with no rows on either side are left
    // out, refilling them costs nothing. Each kept table's marks are noted for Provar.
    std::vector<TVereditoTabela> TabelasIguais(const std::vector<std::string>& tabelas);

    // The whole proof of these tables and of the other objects. The tables a rerun kept, whose
    // digests it compared before changing anything, keep that verdict only where neither
    // side's mark moved since, and are digested again otherwise; their verdicts say Mantida.
    TResultadoProva Provar(const std::vector<std::string>& tabelas,
                           const std::vector<std::string>& mantidas = {});

    // Per table: both counts and, where they agree, whether the digests do too.
    std::vector<TVereditoTabela> CompararTabelas(const std::vector<std::string>& tabelas,
                                                 bool procurarChaves);

    // A table the tool keeps for itself in the destination.
    static bool DaFerramenta(const std::string& tabela);

private:
    // Each table's rows, counted by both servers at once: the source's, the destination's.
    std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>>
    Contagens(const std::vector<std::string>& nomes);
    // Each table's mark (rows, newest record version) on both sides at once.
    std::pair<std::vector<TMarcaTabela>, std::vector<TMarcaTabela>>
    Marcas(const std::vector<std::string>& nomes);
    void LerCatalogo();
    void ProcurarChaves(const TTabelaProva& tabela, TVereditoTabela& veredito);
    std::vector<std::string> ConferirSequenciadores();
    std::vector<std::string> ConferirIdentidades(const std::vector<std::string>& tabelas);
    std::vector<std::string> ConferirChavesPendentes();
    std::vector<std::string> ConferirIndices();
    std::vector<std::string> ConferirEscritaForcada();
    std::vector<std::string> ConferirGatilhos();

    TConexao& FOrigem;
    TConexao& FDestino;
    std::map<std::string, TTabelaProva> FTabelas;
    bool FCatalogoLido = false;
    std::set<std::string> FIndicesAtivos;
    bool FEscritaForcadaEsperada = false;
    std::map<std::string, TTabelaAntecipada> FAntecipadas;
    std::map<std::string, TTabelaAntecipada> FMarcasMantidas; // read when the run kept them
};
