#include "ResultadoProva.h"

#include <algorithm>

std::string TVereditoTabela::Linha() const
{
    std::string linha = "Diferença na tabela " + Tabela + ": ";
    if (!Falha.empty())
        return linha + "não foi possível conferir: " + Falha;
    if (LinhasOrigem != LinhasDestino)
        linha += "ORIGEM " + std::to_string(LinhasOrigem) + " linhas, DESTINO " +
                 std::to_string(LinhasDestino) + " linhas";
    else
        linha += "conteúdo diferente, " + std::to_string(LinhasOrigem) + " linhas em cada lado";
    if (!ChavesDiferentes.empty()) {
        linha += "; chaves: ";
        for (std::size_t i = 0; i < ChavesDiferentes.size(); ++i)
            linha += (i ? "; " : "") + ChavesDiferentes[i];
    }
    return linha + ".";
}

bool TResultadoProva::Igual() const
{
    return OutrasDiferencas.empty() &&
           std::all_of(Tabelas.begin(), Tabelas.end(),
                       [](const TVereditoTabela& veredito) { return veredito.Igual; });
}

const TVereditoTabela* TResultadoProva::Veredito(const std::string& tabela) const
{
    for (const TVereditoTabela& veredito : Tabelas)
        if (veredito.Tabela == tabela)
            return &veredito;
    return nullptr;
}

std::vector<std::string> TResultadoProva::Linhas() const
{
    std::vector<std::string> linhas;
    for (const TVereditoTabela& veredito : Tabelas)
        if (!veredito.Igual)
            linhas.push_back(veredito.Linha());
    linhas.insert(linhas.end(), OutrasDiferencas.begin(), OutrasDiferencas.end());
    return linhas;
}
