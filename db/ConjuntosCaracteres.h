#pragma once

#include <map>
#include <string>

// Names and bytes per character of the server's character sets, by id.
struct TConjuntoCaracteres {
    std::string Nome;
    unsigned BytesPorCaractere = 1;
};
using TConjuntosCaracteres = std::map<unsigned, TConjuntoCaracteres>;

// A column's character set from the id its metadata gives: text columns carry their collation
// in the high byte (WIN1252 with WIN_PTBR reads 1589), the set is the low byte.
constexpr unsigned ConjuntoDoId(unsigned id) noexcept
{
    return id & 0xFFu;
}
