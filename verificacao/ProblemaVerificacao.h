#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One problem a check of a pair found: what would make the run fail, or lose data, on that
// table. Everything but the source's columns that the destination lacks is an error.
struct TProblemaVerificacao {
    bool Aviso = false;
    // A warning the run itself shows when it meets it (a replication trigger it refuses): a
    // run's own check leaves it out of the log.
    bool MostradoPelaImportacao = false;
    std::string Tabela;    // empty for what concerns a database as a whole
    std::string Alvo;      // "coluna X", "chave Y (A, B)", or empty for the table as a whole
    std::string Descricao; // what is wrong, as the operator reads it
    std::int64_t Linhas = -1; // offending rows; -1 where rows play no part (the catalogue)
    std::vector<std::string> Chaves; // up to five offending rows, "A=1 B=2"

    static constexpr std::size_t MaximoChaves = 5;

    // "Erro: TABELA, coluna X: descrição; 3 linhas (A=1; A=7; A=9)."
    std::string Linha() const;
};

// The check's last line: how many errors and warnings in how many tables, or that none.
std::string LinhaTotais(const std::vector<TProblemaVerificacao>& problemas);
