#pragma once

#include <string>
#include <vector>

class TConexao;

// A table's primary key as one database's catalogue defines it; names in the database's own
// bytes, as the row copy's statements carry them.
struct TChavePrimaria {
    std::vector<std::string> Colunas; // in key order; empty when the table has none
    bool Descendente = false;         // its index sorts downwards
};

TChavePrimaria LerChavePrimaria(TConexao& conexao, const std::string& tabela);
