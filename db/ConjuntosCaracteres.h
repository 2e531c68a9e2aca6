#pragma once

#include <map>
#include <string>

// Names and bytes per character of the server's character sets, by id.
struct TConjuntoCaracteres {
    std::string Nome;
    unsigned BytesPorCaractere = 1;
};
using TConjuntosCaracteres = std::map<unsigned, TConjuntoCaracteres>;
