#include "TextoProgresso.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string TTextoProgresso::Duracao(double segundos)
{
    const long long total = std::max(0LL, std::llround(segundos));
    char texto[32];
    std::snprintf(texto, sizeof texto, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                  total % 60);
    return texto;
}

std::string TTextoProgresso::Atual(const TSituacaoExecucao& situacao)
{
    if (!situacao.Tabela.empty()) {
        std::string texto = situacao.Tabela + ": " + std::to_string(situacao.Linhas);
        if (situacao.TotalTabela >= 0) {
            const std::int64_t total = std::max(situacao.TotalTabela, situacao.Linhas);
            const long long parte =
                total > 0 ? std::llround(100.0 * static_cast<double>(situacao.Linhas) / total) : 100;
            texto += " de " + std::to_string(total) + " linhas (" + std::to_string(parte) + "%)";
        } else {
            texto += " linhas";
        }
        texto += ", " + std::to_string(std::llround(situacao.LinhasPorSegundo)) + " linhas/s";
        if (situacao.TotalTabela >= 0 && situacao.LinhasPorSegundo > 0)
            texto += ", faltam " +
                     Duracao(static_cast<double>(std::max<std::int64_t>(
                                 situacao.TotalTabela - situacao.Linhas, 0)) /
                             situacao.LinhasPorSegundo);
        return texto;
    }
    if (!situacao.EmExecucao || situacao.Atividade.empty())
        return {};
    return situacao.Atividade + " (" + std::to_string(std::llround(situacao.DecorridoAtividade)) +
           " s)";
}

std::string TTextoProgresso::Total(const TSituacaoExecucao& situacao)
{
    std::string texto = "Tempo decorrido: " + Duracao(situacao.Decorrido);
    if (!situacao.EmExecucao)
        return texto;
    if (situacao.LinhasTotais >= 0 && situacao.SegundosCopia > 0 && situacao.LinhasCopiadas > 0) {
        const double porSegundo = static_cast<double>(situacao.LinhasCopiadas) / situacao.SegundosCopia;
        const std::int64_t restantes =
            std::max<std::int64_t>(situacao.LinhasTotais - situacao.LinhasCopiadas, 0);
        texto += ", restante estimado da cópia: " +
                 Duracao(static_cast<double>(restantes) / porSegundo);
    }
    return texto;
}
