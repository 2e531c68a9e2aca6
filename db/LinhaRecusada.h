#pragma once

#include "ConjuntosCaracteres.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace Firebird {
class IMessageMetadata;
}

// Where the row copy's destination refused a chunk: which of its rows, which column, and the
// row's primary key, read back from the message the chunk was sent with.

// The row of a chunk of `linhas` rows that the server's account of the failure's place
// (EBancoDados::Local) points at: the only row of a plain insert, or the insert on the block
// line it gives (the block's inserts start on line 4, one per line). Empty when it does not
// tell.
std::optional<std::size_t> LinhaRecusada(const std::string& local, std::size_t linhas);

// The column a validation message names (validation error for column "T"."C"), "" otherwise.
std::string ColunaDaMensagem(const std::string& mensagem);

// Reads the row `linha` of a chunk message whose rows have `colunas` fields each.
class TLinhaMensagem {
public:
    TLinhaMensagem(Firebird::IMessageMetadata* meta, const unsigned char* buffer,
                   std::size_t colunas, std::size_t linha)
        : FMeta(meta), FBuffer(buffer), FPrimeiro(static_cast<unsigned>(linha * colunas))
    {
    }

    // How many characters the text value of column c holds (trailing blanks of CHAR not
    // counted); empty when the column is not text or the value is NULL.
    std::optional<std::size_t> Caracteres(unsigned c, const TConjuntosCaracteres& conjuntos) const;

    // The value of column c as it would be written in a where clause: numbers as they are,
    // other values as quoted literals.
    std::string ValorSql(unsigned c) const;

private:
    Firebird::IMessageMetadata* FMeta;
    const unsigned char* FBuffer;
    unsigned FPrimeiro;
};
