#pragma once

#include "Conexao.h"

#include <cstdint>
#include <string>
#include <vector>

// One read-only snapshot on a connection for the length of a reading.
class TLeitura {
public:
    explicit TLeitura(TConexao& conexao) : FConexao(conexao) { conexao.IniciarTransacaoLeitura(); }
    ~TLeitura();
    TLeitura(const TLeitura&) = delete;
    TLeitura& operator=(const TLeitura&) = delete;
    void Concluir() { FConexao.Commit(); }

private:
    TConexao& FConexao;
};

template <typename TFuncao>
auto EmLeitura(TConexao& conexao, TFuncao&& funcao)
{
    TLeitura leitura(conexao);
    auto resultado = funcao(conexao);
    leitura.Concluir();
    return resultado;
}

// The first row of a select, every column as a 64-bit integer (NULL as 0).
std::vector<std::int64_t> LerLinha(TConexao& conexao, const std::string& sql);
