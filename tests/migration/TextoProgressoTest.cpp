#include "TextoProgresso.h"

#include <gtest/gtest.h>

namespace {

struct TCasoTexto {
    std::string Nome;
    TSituacaoExecucao Situacao;
    std::string Atual;
    std::string Total;
};

void PrintTo(const TCasoTexto& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

TSituacaoExecucao Copiando(std::int64_t linhas, std::int64_t totalTabela, double porSegundo)
{
    TSituacaoExecucao situacao;
    situacao.EmExecucao = true;
    situacao.Decorrido = 3725;
    situacao.Atividade = "Importando tabela... PEDIDOS";
    situacao.Tabela = "PEDIDOS";
    situacao.Linhas = linhas;
    situacao.TotalTabela = totalTabela;
    situacao.LinhasPorSegundo = porSegundo;
    situacao.LinhasCopiadas = 1000000;
    situacao.LinhasTotais = 3000000;
    situacao.SegundosCopia = 50;
    return situacao;
}

TSituacaoExecucao Comando(const std::string& atividade, double segundos, bool emExecucao)
{
    TSituacaoExecucao situacao;
    situacao.EmExecucao = emExecucao;
    situacao.Decorrido = 61.4;
    situacao.Atividade = atividade;
    situacao.DecorridoAtividade = segundos;
    return situacao;
}

class TextoProgressoTest : public ::testing::TestWithParam<TCasoTexto> {};

TEST_P(TextoProgressoTest, MostraOQueOTecnicoPrecisaParaPlanejar)
{
    const TCasoTexto& caso = GetParam();
    EXPECT_EQ(TTextoProgresso::Atual(caso.Situacao), caso.Atual);
    EXPECT_EQ(TTextoProgresso::Total(caso.Situacao), caso.Total);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TextoProgressoTest,
    ::testing::Values(
        TCasoTexto{"TabelaContada", Copiando(240000, 1800000, 31773.4),
                   "PEDIDOS: 240000 de 1800000 linhas (13%), 31773 linhas/s, faltam 0:00:49",
                   "Tempo decorrido: 1:02:05, restante estimado da cópia: 0:01:40"},
        // Rows written meanwhile in the source: never more than all, never a negative time.
        TCasoTexto{"MaisLinhasQueAsContadas", Copiando(1200, 1000, 600),
                   "PEDIDOS: 1200 de 1200 linhas (100%), 600 linhas/s, faltam 0:00:00",
                   "Tempo decorrido: 1:02:05, restante estimado da cópia: 0:01:40"},
        TCasoTexto{"TabelaVazia", Copiando(0, 0, 0), "PEDIDOS: 0 de 0 linhas (100%), 0 linhas/s",
                   "Tempo decorrido: 1:02:05, restante estimado da cópia: 0:01:40"},
        TCasoTexto{"SemContagem", Copiando(5000, -1, 2500), "PEDIDOS: 5000 linhas, 2500 linhas/s",
                   "Tempo decorrido: 1:02:05, restante estimado da cópia: 0:01:40"},
        // A long single statement shows its seconds go by.
        TCasoTexto{"ComandoLongo", Comando("Limpando tabela... PEDIDOS", 12.6, true),
                   "Limpando tabela... PEDIDOS (13 s)", "Tempo decorrido: 0:01:01"},
        // After the end, the time the run took and nothing else.
        TCasoTexto{"Terminada", Comando("Importação concluída.", 0.2, false), "",
                   "Tempo decorrido: 0:01:01"}),
    [](const auto& info) { return info.param.Nome; });

} // namespace
