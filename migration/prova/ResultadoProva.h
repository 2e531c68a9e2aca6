#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The proof's verdict on one copied table: whether the destination holds the source's rows,
// as both servers count and digest them.
struct TVereditoTabela {
    std::string Tabela;
    bool Igual = false;
    std::int64_t LinhasOrigem = 0;
    std::int64_t LinhasDestino = 0;
    // Up to five keys of rows that differ ("A=1 B=2"), found by narrowing the table down by
    // ranges of its key; none when the counts alone tell, or the table has no primary key.
    std::vector<std::string> ChavesDiferentes;
    // A rerun found it equal before the copy and kept it as it was.
    bool Mantida = false;
    // Proven equal while the run copied the tables after it, and found unwritten since.
    bool Antecipada = false;
    // Why a side could not be digested (a source value the destination's type cannot hold,
    // say); empty when both were.
    std::string Falha;

    static constexpr std::size_t MaximoChaves = 5;

    // The line that names what differs: "Diferença na tabela X: ORIGEM 10 linhas, DESTINO 9
    // linhas; chaves: ID=3; ID=5."
    std::string Linha() const;
};

// Everything a proof of a pair found: one verdict per copied table, in the run's order, and
// the other differences (sequences, identity columns, foreign keys, triggers), one line each.
struct TResultadoProva {
    std::vector<TVereditoTabela> Tabelas;
    std::vector<std::string> OutrasDiferencas;

    bool Igual() const;
    // The verdict on that table; nullptr when the proof did not look at it.
    const TVereditoTabela* Veredito(const std::string& tabela) const;
    // One line per difference: the tables' first, then the others.
    std::vector<std::string> Linhas() const;
};
