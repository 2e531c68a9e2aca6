#pragma once

#include <map>
#include <string>
#include <vector>

class TConexao;

// One column a run copies, with the destination's type as a cast can name it.
struct TColunaProva {
    std::string Nome;
    std::string Tipo;  // "numeric(15,2)", "varchar(60) character set WIN1252"; empty: no cast
    bool SimNao = false; // the yes/no domain: the run fills the source's NULLs with 'N'
    int PosicaoChave = -1; // position in the primary key, -1 outside it
};

// A destination table as the proof reads it: the columns the run copies, in position order,
// and the primary key's columns among them, in key order.
struct TTabelaProva {
    std::string Nome;
    std::vector<TColunaProva> Colunas;
    std::vector<std::size_t> Chave; // indexes into Colunas

    // The side whose values an expression reads: the source's are taken as the destination's
    // types first, so that what the copy converts on purpose compares equal.
    enum class TLado { Origem, Destino };

    // The rows' count and, per copied column, the sum of its folded hashes bound to the row's
    // key, in one select; with the mark, the newest record version among the rows last.
    std::string SQLResumo(TLado lado, bool comMarca = false) const;
    // The rows' count and the newest record version among them (the number of the transaction
    // that wrote it; 0 without rows): a table written since shows another pair.
    std::string SQLMarca() const;
    // Per range of the key's hash: the range, its rows and the sum of the rows' digests.
    std::string SQLFaixas(TLado lado) const;
    // The key columns and the row's digest of every row in the given ranges.
    std::string SQLLinhas(TLado lado, const std::vector<long long>& faixas) const;

    // How many ranges of the key's hash the narrowing splits a table into.
    static constexpr long long Faixas = 4096;

private:
    std::string Valor(TLado lado, const TColunaProva& coluna) const;
    std::string Base(TLado lado, bool comVersao = false) const;
    std::string DigestoLinha() const;
};

// Every user table of the destination with its copied columns and key, by name.
std::map<std::string, TTabelaProva> LerTabelasProva(TConexao& destino);
