#pragma once

#include "ResultadoProva.h"
#include "TabelaProva.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class TConexao;
struct TPerfilConexao;

// One side's state of a table as a proof read it: its rows and the newest record version among
// them. A table that shows the same pair later was not written in between, provided no
// transaction that could still write it had a number at or below that version when it was
// read (TProvaAntecipada sees to that).
struct TMarcaTabela {
    std::int64_t Linhas = -1;
    std::int64_t Versao = -1;
    bool operator==(const TMarcaTabela&) const = default;
};

// A table's digests compared by the early proof, with both sides' marks.
struct TTabelaAntecipada {
    TVereditoTabela Veredito;
    TMarcaTabela Origem;
    TMarcaTabela Destino;
};

// One side's digest of a table with its mark.
struct TLeituraLado {
    std::vector<std::int64_t> Resumo; // the digest, as the proof at the end compares it
    TMarcaTabela Marca;
    // No transaction that could write the table unseen by its mark was open when it was read.
    bool MarcaConfiavel = false;
};

// One side's digest and mark of a table, read in one snapshot.
TLeituraLado LerLadoMarcado(TConexao& conexao, const TTabelaProva& tabela,
                                           TTabelaProva::TLado lado);

// Digests each table once its rows are in, on attachments of its own and on a thread of its
// own, while the run copies the next: the server does that reading on its other core instead
// of after the copy. What it proved is taken at the end only for a table whose marks are still
// the same on both sides; every other table is proven then as before.
//
// A table whose reading fails, or whose mark could not be trusted when it was read, is left
// out of the result: the end of the run proves it in full.
class TProvaAntecipada {
public:
    // Starts the thread, which attaches to the databases the connections name.
    TProvaAntecipada(const TConexao& origem, const TConexao& destino);
    // Forgets the tables not yet read, and waits for the one being read.
    ~TProvaAntecipada();
    TProvaAntecipada(const TProvaAntecipada&) = delete;
    TProvaAntecipada& operator=(const TProvaAntecipada&) = delete;

    // Hands over a table whose rows are in and committed, and which the run writes no more.
    void Provar(TTabelaProva tabela);
    // Waits for every table handed over. The text says why the proof stopped early (the
    // server dropped its attachment, say), empty when it did not.
    std::map<std::string, TTabelaAntecipada> Concluir(std::string& interrupcao);

private:
    void Trabalhar(const TPerfilConexao& perfilOrigem, const std::string& bancoOrigem,
                   const TPerfilConexao& perfilDestino, const std::string& bancoDestino);

    std::mutex FTrava;
    std::condition_variable FAviso;
    std::deque<TTabelaProva> FFila;
    bool FFim = false;
    std::atomic<bool> FAbandonar{false};
    std::map<std::string, TTabelaAntecipada> FProvadas;
    std::future<void> FTarefa;
};
