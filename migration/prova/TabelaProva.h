#pragma once

#include "CatalogoRelacoes.h"

#include <map>
#include <string>
#include <vector>

class TConexao;

// How a column's values are taken apart into integers that tell every stored value apart:
// the server's hash() alone does not (it is a shift-and-add over the value's text, and reads
// a double through 16 digits).
enum class TClasseValor {
    Inteiro,   // smallint, integer, bigint: the value itself
    Decimal,   // exact numbers with decimals: the integer part and the decimals as an integer
    Flutuante, // float, double precision: the binary mantissa and exponent, every bit
    Data,      // the day's number
    Hora,      // tenths of a millisecond since midnight
    DataHora,  // tenths of a millisecond since 2000-01-01
    Logico,    // boolean
    Texto,     // char, varchar, blobs: the text hashed both ways, and its length
};

// One column a run copies, as the proof reads it on each side.
struct TColunaProva {
    std::string Nome;
    std::string TipoOrigem;  // cast of the source's value ("numeric(15,2)"...); empty: none
    std::string TipoDestino; // cast of the destination's value; empty: none
    TClasseValor Classe = TClasseValor::Texto;
    bool Largo = false; // an exact number stored in 64 bits
    int Escala = 0;     // an exact number's decimals
    bool SimNao = false; // the yes/no domain: the run fills the source's NULLs with 'N'
    int PosicaoChave = -1; // position in the primary key, -1 outside it
};

// A destination table as the proof reads it: the columns the run copies, in position order,
// and the primary key's columns among them, in key order.
//
// Each row gets one digest, R_: every column's value is taken apart into integers (see
// TClasseValor), each integer weighted by a constant of its own and folded modulo the prime
// 2^31-1 into the column's factor, a NULL into a constant of the column's own; the row's
// digest is the product of its columns' factors. No factor is 0, so no value hides another;
// a product binds every value to its whole row, so a table's sum of R_ is a digest of its
// multiset of rows: values swapped between rows, or moved from one to another, change it,
// with or without a primary key.
struct TTabelaProva {
    std::string Nome;
    std::vector<TColunaProva> Colunas;
    std::vector<std::size_t> Chave; // indexes into Colunas

    // The side whose values an expression reads: the source's are taken as the destination's
    // types first, so that what the copy converts on purpose compares equal; a column whose
    // conversion may lose data is compared as the source holds it instead.
    enum class TLado { Origem, Destino };

    // The rows' count, each column's count of values that are not NULL and the sum of the rows'
    // digests, in one select; with the mark, the newest record version among the rows last.
    std::string SQLResumo(TLado lado, bool comMarca = false) const;
    // The rows' count and the newest record version among them (the number of the transaction
    // that wrote it; 0 without rows): a table written since shows another pair.
    std::string SQLMarca() const;
    // Per range of the key's fold: the range, its rows and the sum of the rows' digests.
    std::string SQLFaixas(TLado lado) const;
    // The key columns and the row's digest of every row in the given ranges.
    std::string SQLLinhas(TLado lado, const std::vector<long long>& faixas) const;

    // How many ranges of the key's fold the narrowing splits a table into.
    static constexpr long long Faixas = 4096;

private:
    std::string Valor(TLado lado, const TColunaProva& coluna) const;
    std::string Fator(TLado lado, std::size_t coluna) const;
    std::string DigestoLinha(TLado lado) const;
    std::string DobraChave(TLado lado) const;
};

// Every user table of the destination with its copied columns and key, by name. The source's
// catalogue tells which columns the source holds in another type.
std::map<std::string, TTabelaProva> LerTabelasProva(TConexao& destino,
                                                    const TCatalogoRelacoes& origem);
