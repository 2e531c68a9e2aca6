#pragma once

#include <cstddef>
#include <map>
#include <string>

class TConexao;

// How one database's catalogue declares a table's column: the type written so that a
// variable of it holds every value of the column unchanged and compares as the column does
// (character set and collation included), and how many characters a text column holds.
struct TTipoColuna {
    std::string Declaracao; // empty when the type is one this code does not declare (arrays)
    std::size_t Caracteres = 0; // 0 for other types than char and varchar
};

// The table's columns by name, in the database's own bytes as the row copy's statements carry
// them.
std::map<std::string, TTipoColuna> LerTiposColunas(TConexao& conexao, const std::string& tabela);
