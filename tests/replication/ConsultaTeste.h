#pragma once

#include "Conexao.h"
#include "Consulta.h"

#include <string>
#include <vector>

// Every row of a query as one text, its values joined by '|' and NULL written "null", so that
// a test compares whole results at once.
inline std::vector<std::string> Linhas(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    std::vector<std::string> linhas;
    for (; !consulta.Eof(); consulta.Proximo()) {
        std::string linha;
        for (std::size_t i = 0; i < consulta.NomesColunas().size(); ++i) {
            const TCampo& campo = consulta.Campo(static_cast<int>(i));
            linha += (i ? "|" : "") + (campo.EhNulo() ? std::string("null") : campo.ComoTexto());
        }
        linhas.push_back(linha);
    }
    return linhas;
}
