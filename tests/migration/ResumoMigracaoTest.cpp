#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"
#include "ResumoMigracao.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

struct TCasoSegundos {
    double Segundos;
    const char* Texto;
};

class SegundosResumoTest : public ::testing::TestWithParam<TCasoSegundos> {};

TEST_P(SegundosResumoTest, UmaCasaDecimalComVirgula)
{
    EXPECT_EQ(TResumoMigracao::FormatarSegundos(GetParam().Segundos), GetParam().Texto);
}

INSTANTIATE_TEST_SUITE_P(Casos, SegundosResumoTest,
                         ::testing::Values(TCasoSegundos{0, "0,0"}, TCasoSegundos{34.2, "34,2"},
                                           TCasoSegundos{0.04, "0,0"}, TCasoSegundos{9.96, "10,0"},
                                           TCasoSegundos{125.55, "125,6"}));

// Columns line up under their names whatever the widths, accented names included; the totals
// add every table up.
TEST(ResumoMigracaoTest, ColunasAlinhadasETotais)
{
    TResumoMigracao resumo;
    resumo.Iniciar();
    resumo.Registrar({"AÇÕES", 1000000, 20.0, TCaminhoResumo::Servidor, TConferenciaResumo::Igual});
    resumo.Registrar({"X", 5, 0.5, TCaminhoResumo::Cliente, TConferenciaResumo::Diferente});
    resumo.Registrar({"MANTIDA_LONGA", 7, 0, TCaminhoResumo::Mantida,
                      TConferenciaResumo::NaoConferida});

    EXPECT_EQ(resumo.Linhas(),
              (std::vector<std::string>{
                  "Resumo da importação:",
                  "Tabela          Linhas  Segundos  Linhas/s  Caminho   Conferência",
                  "AÇÕES          1000000      20,0     50000  servidor  igual",
                  "X                    5       0,5        10  cliente   diferente",
                  "MANTIDA_LONGA        7       0,0         0  mantida   não conferida",
                  "Total: 3 tabelas, 1000012 linhas, 20,5 s"}));
}

// The proof's verdicts reach the tables it looked at; the others stay unproven.
TEST(ResumoMigracaoTest, ProvaDaOVeredito)
{
    TResumoMigracao resumo;
    resumo.Registrar({"A", 1, 1, TCaminhoResumo::Cliente, {}});
    resumo.Registrar({"B", 1, 1, TCaminhoResumo::Cliente, {}});
    resumo.Registrar({"C", 1, 1, TCaminhoResumo::Cliente, {}});
    TResultadoProva prova;
    prova.Tabelas.push_back({"A", true, 1, 1, {}, false, false, ""});
    prova.Tabelas.push_back({"B", false, 1, 2, {}, false, false, ""});
    resumo.AplicarProva(prova);
    EXPECT_EQ(resumo.Tabelas()[0].Conferencia, TConferenciaResumo::Igual);
    EXPECT_EQ(resumo.Tabelas()[1].Conferencia, TConferenciaResumo::Diferente);
    EXPECT_EQ(resumo.Tabelas()[2].Conferencia, TConferenciaResumo::NaoConferida);
}


// A run on a destination whose EMPRESAS and SCRIPTS already equal the source's: they are
// kept; the table without a key goes the client's way, the one with a key the server's. The
// summary ends the log right before "Importação concluída.", which is the run's result.
TEST(ResumoMigracaoTest, ExecucaoConcluidaTerminaComOResumo)
{
    TParMigracao par(TBancoTeste::TConteudo::Vazio);
    par.Origem.ExecutarScript(std::string(EsquemaMinimo) +
                              "insert into NOTAS values (1, 'um');\n"
                              "insert into NOTAS values (2, 'dois');\n"
                              "insert into NOTAS values (3, 'três');\n"
                              "insert into EXCECOES_REPLICACAO values ('NOTAS', 'TEXTO');\n");
    par.Destino.ExecutarScript(std::string(EsquemaMinimo) + "insert into NOTAS values (9, 'nove');\n");
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();

    const auto textos = relatorio.Textos();
    const auto resumo = relatorio.TextosResumo();
    ASSERT_EQ(resumo.size(), 7u);
    EXPECT_EQ(resumo[0], "Resumo da importação:");
    EXPECT_EQ(resumo[1], "Tabela               Linhas  Segundos  Linhas/s  Caminho   Conferência");
    const std::vector<std::regex> esperadas = {
        std::regex("EMPRESAS                  1       0,0         0  mantida   igual"),
        std::regex("EXCECOES_REPLICACAO       1 +[0-9]+,[0-9] +[0-9]+  cliente   igual"),
        std::regex("NOTAS                     3 +[0-9]+,[0-9] +[0-9]+  servidor  igual"),
        std::regex("SCRIPTS                   1       0,0         0  mantida   igual"),
        std::regex("Total: 4 tabelas, 6 linhas, [0-9]+,[0-9] s")};
    for (std::size_t i = 0; i < esperadas.size(); ++i)
        EXPECT_TRUE(std::regex_match(resumo[i + 2], esperadas[i])) << resumo[i + 2];
    ASSERT_GE(textos.size(), resumo.size() + 1);
    EXPECT_EQ(std::vector<std::string>(textos.end() - 8, textos.end() - 1), resumo);
    EXPECT_EQ(textos.back(), "Importação concluída.");

    ASSERT_EQ(relatorio.Resumos, 1);
    ASSERT_EQ(relatorio.Resumo.size(), 4u);
    EXPECT_EQ(relatorio.Resumo[2].Tabela, "NOTAS");
    EXPECT_EQ(relatorio.Resumo[2].Linhas, 3);
    EXPECT_EQ(relatorio.Resumo[2].Caminho, TCaminhoResumo::Servidor);
    ASSERT_EQ(relatorio.Resultados.size(), 1u);
    EXPECT_EQ(relatorio.Resultados[0].Linha, "Importação concluída.");
    EXPECT_FALSE(relatorio.Resultados[0].Falha);
}

// A run that ends before its tables are copied has nothing to sum up; the next one starts
// afresh.
TEST(ResumoMigracaoTest, SemCopiaSemResumo)
{
    TParMigracao par(TBancoTeste::TConteudo::Vazio);
    par.Origem.ExecutarScript(EsquemaMinimo);
    par.Destino.ExecutarScript(EsquemaMinimo);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida);
    relatorio.AoAcrescentar = [&migracao](const std::string& texto) {
        if (texto == "Desativando gatilhos...")
            migracao.SolicitarParada();
    };
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Interrompida);
    EXPECT_TRUE(relatorio.TextosResumo().empty());
    EXPECT_EQ(relatorio.Resumos, 1);
    EXPECT_EQ(relatorio.Resultados.back().Linha, TMigracao::LinhaInterrupcao(TEtapaParada::Importacao));
}

} // namespace
