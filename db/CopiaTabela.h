#pragma once

#include "ConjuntosCaracteres.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCancelamento;
class TConexao;

// One side of the row copy: the connection it works on and the select text it runs.
class TLadoCopia {
public:
    explicit TLadoCopia(TConexao& conexao) : FConexao(conexao) {}
    TConexao& Conexao() const noexcept { return FConexao; }
    void DefinirSQLLeitura(std::string sql) { FSQLLeitura = std::move(sql); }
    const std::string& SQLLeitura() const noexcept { return FSQLLeitura; }

private:
    TConexao& FConexao;
    std::string FSQLLeitura;
};

// The table a select text "select <columns> from <table>" reads, as the operator wrote it:
// the last name of the text, without its quotes.
std::string TabelaDaLeitura(const std::string& sql);

// Copies every row of one table from the source connection into the table of the same name
// on the destination, given a select text "select <columns> from <table>" set on both sides.
// Rows are written in transactions of at most 10000 rows, each committed as it fills; on any
// failure the open transaction is rolled back, both sides are closed and the error is passed
// on, so the destination keeps exactly the batches committed before it. A database failure
// names the table, and where the server refused a row, its column and primary key.
class TCopiaTabela {
public:
    static constexpr int LinhasPorCommit = 10000;

    TCopiaTabela(TConexao& origem, TConexao& destino);
    ~TCopiaTabela();
    TCopiaTabela(const TCopiaTabela&) = delete;
    TCopiaTabela& operator=(const TCopiaTabela&) = delete;

    TLadoCopia& Leitor() noexcept { return FLeitor; }   // reads on the source
    TLadoCopia& Escritor() noexcept { return FEscritor; } // writes on the destination

    // Copies the table; returns the number of rows written.
    std::int64_t Executar();

    // Told the rows written so far during a copy, at most a few times a second, and once at
    // its end.
    void DefinirObservadorProgresso(std::function<void(std::int64_t)> observador);
    // Polled between two chunks, rows with long blobs and their segments; a requested stop
    // ends the copy like a failure would.
    void DefinirCancelamento(const TCancelamento* cancelamento) noexcept;

    // The row counts of the multi-row statements the last copy prepared, ascending: what a
    // table costs in prepares, for tests and the benchmark.
    const std::vector<std::size_t>& ContagensPreparadas() const noexcept
    {
        return FContagensPreparadas;
    }

private:
    std::int64_t Copiar();

    TLadoCopia FLeitor;
    TLadoCopia FEscritor;
    std::function<void(std::int64_t)> FObservador;
    // The source's character sets by id, read once per source file rather than per table.
    std::string FBancoConjuntos;
    TConjuntosCaracteres FConjuntos;
    const TCancelamento* FCancelamento = nullptr;
    std::vector<std::size_t> FContagensPreparadas;
};
