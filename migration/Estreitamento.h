#pragma once

#include "CatalogoRelacoes.h"

// Whether storing a value of the source column's type in the destination column's type may
// change it without the server refusing it: a timestamp losing its time or its date, a float
// or double losing bits on its way to a narrower float, to an exact number or to text, an
// integer wider than the floating type's significand, an exact number losing decimals, a text
// read as a number, a date, a time or a yes/no that would not read back as the same text
// ('0012', ' 12'). What the server refuses instead (a longer text, a number beyond the column's
// storage) and what always comes back intact (int to bigint, float to double, date to
// timestamp, more decimals, a longer text) is no narrowing.
bool PodeEstreitar(const TColunaCatalogo& origem, const TColunaCatalogo& destino);

// Whether the two store a value alike, so that an assignment of the one to the other can
// neither fail nor change it: the same storage, length, scale and character set. The
// collation plays no part in it.
bool MesmoArmazenamento(const TColunaCatalogo& origem, const TColunaCatalogo& destino);
