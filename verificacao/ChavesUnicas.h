#pragma once

#include <map>
#include <string>
#include <vector>

class TConexao;

// One active unique index of a table: a primary key, a unique constraint, or a unique index
// of its own. Each refuses two rows with the same values in its columns.
struct TChaveUnica {
    std::string Nome; // the constraint's name, or the index's when no constraint owns it
    bool Primaria = false;
    std::vector<std::string> Campos; // in segment order
};

// Every table's unique keys, the primary key first.
using TChavesUnicas = std::map<std::string, std::vector<TChaveUnica>>;

TChavesUnicas LerChavesUnicas(TConexao& conexao);
