#pragma once

#include "ParMigracao.h"

#include <string>

struct TComparacaoLinhaComando {
    int Codigo = -1;
    std::string Saida; // standard output and error together
};

// The command line's comparison of the pair, as an operator runs it; the pair's inspection
// connections are detached first.
TComparacaoLinhaComando CompararPelaLinhaComando(TParMigracao& par);
