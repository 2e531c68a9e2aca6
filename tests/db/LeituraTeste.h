#pragma once

#include "Consulta.h"

#include <cstdint>
#include <string>
#include <vector>

// What the row copy's tests read back from a database.

using TLinhas = std::vector<std::vector<std::string>>;

// The first column of the first row, as a 64-bit integer.
inline std::int64_t Valor(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro64();
}

// Every row of a query, each value as text, "<null>" for NULL.
inline TLinhas Linhas(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    TLinhas linhas;
    for (; !consulta.Eof(); consulta.Proximo()) {
        std::vector<std::string> linha;
        for (int i = 0; i < static_cast<int>(consulta.NomesColunas().size()); ++i)
            linha.push_back(consulta.Campo(i).EhNulo() ? "<null>" : consulta.Campo(i).ComoTexto());
        linhas.push_back(std::move(linha));
    }
    return linhas;
}
