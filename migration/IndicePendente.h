#pragma once

#include <string>

// An index of the destination that a run set inactive so that a table's rows go in without
// it, and that must be active again: kept in the record of pending changes until it is.
struct TIndicePendente {
    std::string Tabela;
    std::string Nome;

    std::string SQLDesativar() const;
    std::string SQLAtivar() const;
};
