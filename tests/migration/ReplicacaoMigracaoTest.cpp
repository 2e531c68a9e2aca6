#include "ErroBancoDados.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"
#include "ReplicacaoTabelas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using TTextos = std::vector<std::string>;

// The pieces of a database as small as a run allows, so that each test says which part of the
// replication configuration each side has.
const std::string EsquemaBase = R"(
create table SCRIPTS (NOME varchar(40) not null primary key);
insert into SCRIPTS values ('000001_0001.SQL');
create table EMPRESAS (EMPRESA smallint not null primary key, NOME varchar(60),
  GRUPO_REPLICACAO varchar(1), ATIVA char(1));
)";
const std::string TabelaExcecoes = "create table EXCECOES_REPLICACAO (TABELA varchar(31) not null,"
                                   " COLUNA varchar(31) not null);\n";
const std::string UmaEmpresa = "insert into EMPRESAS values (1, 'Matriz', 'A', 'S');\n";
const std::string DuasEmpresas =
    UmaEmpresa + "insert into EMPRESAS values (2, 'Filial', 'A', 'S');\n";

// The log lines from `de` (included) up to `ate` (excluded).
TTextos Trecho(const TTextos& log, const std::string& de, const std::string& ate)
{
    const auto inicio = std::find(log.begin(), log.end(), de);
    return TTextos(inicio, std::find(inicio, log.end(), ate));
}

// A pair built from the two scripts, then migrated.
class ReplicacaoMigracaoTest : public ::testing::Test {
protected:
    TResultadoMigracao Migrar(const std::string& origem, const std::string& destino)
    {
        FPar.Origem.ExecutarScript(origem);
        FPar.Destino.ExecutarScript(destino);
        FPar.Desconectar();
        return FMigracao.Iniciar(FPar.Origem.Caminho(), FPar.Destino.Caminho());
    }

    TParMigracao FPar{TBancoTeste::TConteudo::Vazio};
    TRelatorioGravado FRelatorio;
    TMigracao FMigracao{FRelatorio};
};

struct TCasoSemExcecoes {
    const char* Nome;
    std::string Empresas;
};

void PrintTo(const TCasoSemExcecoes& caso, std::ostream* saida) { *saida << caso.Nome; }

class OrigemSemExcecoesTest : public ReplicacaoMigracaoTest,
                              public ::testing::WithParamInterface<TCasoSemExcecoes> {};

// The source's replication metadata is read before the answer whether replication is in use:
// without EXCECOES_REPLICACAO the run ends there, whatever the companies.
TEST_P(OrigemSemExcecoesTest, TerminaNoPassoDaReplicacao)
{
    // The run's check refuses such a pair; past it, the run meets the failure there.
    FMigracao.DispensarVerificacao(true);
    EXPECT_EQ(Migrar(EsquemaBase + GetParam().Empresas, EsquemaBase), TResultadoMigracao::Falhou);

    const TTextos log = FRelatorio.TextosSemResumo();
    ASSERT_GE(log.size(), 2u);
    // Failed after the copy: the summary of every table comes before the error line, unproven.
    EXPECT_EQ(FRelatorio.Textos().end()[-2].rfind("Total: ", 0), 0u);
    ASSERT_FALSE(FRelatorio.Resumo.empty());
    for (const TResumoTabela& tabela : FRelatorio.Resumo)
        EXPECT_EQ(tabela.Conferencia, TConferenciaResumo::NaoConferida) << tabela.Tabela;
    EXPECT_EQ(log[log.size() - 2], "Ativando gatilhos...");
    EXPECT_TRUE(log.back().starts_with(std::string("Ocorreu um erro: \r\n") + EBancoDados::Prefixo))
        << log.back();
    EXPECT_NE(log.back().find("EXCECOES_REPLICACAO"), std::string::npos) << log.back();
    EXPECT_TRUE(FRelatorio.EmVermelho);
    EXPECT_EQ(FMigracao.Posicao(TBarra::Total), 8);
    EXPECT_TRUE(FRelatorio.FalhasGatilho.empty());
}

INSTANTIATE_TEST_SUITE_P(Casos, OrigemSemExcecoesTest,
                         ::testing::Values(TCasoSemExcecoes{"SemReplicacao", UmaEmpresa},
                                           TCasoSemExcecoes{"ComReplicacao", DuasEmpresas}),
                         [](const auto& info) { return std::string(info.param.Nome); });

// Whether replication is in use is the source's answer: the destination, which lacks
// EXCECOES_REPLICACAO, is never asked when the source has a single active company.
TEST_F(ReplicacaoMigracaoTest, DestinoSemExcecoesNaoEConsultadoSemReplicacaoNaOrigem)
{
    ASSERT_EQ(Migrar(EsquemaBase + TabelaExcecoes + UmaEmpresa, EsquemaBase),
              TResultadoMigracao::Concluida)
        << FRelatorio.Linhas.back();

    EXPECT_EQ(Trecho(FRelatorio.Textos(), "Ativando gatilhos...", "Excluindo sequenciadores..."),
              TTextos{"Ativando gatilhos..."});
    EXPECT_EQ(FMigracao.Posicao(TBarra::Total), 11);
}

// Every refused trigger leaves a log line, in catalogue order, besides its message; the run
// goes on to its other steps and then fails, counting the tables of the destination left
// without their trigger. Of the catalogued tables only three exist: one fit, one without a
// primary key, one the server refuses (all its columns are key, so the update sets nothing).
// The catalogued tables the destination lacks have nothing to replicate: they are reported,
// not counted. The comparison of the pair names both triggers missing.
TEST_F(ReplicacaoMigracaoTest, CadaGatilhoRecusadoDeixaUmaLinhaNoLogEFalhaAExecucao)
{
    const std::string tabelas = TabelaExcecoes + DuasEmpresas + R"(
create table FORMAS_PAGTO (EMPRESA smallint not null, FP_CODIGO integer not null,
  FP_DESCRICAO varchar(30), primary key (EMPRESA, FP_CODIGO));
create table ICMS (EMPRESA smallint not null, UF char(2) not null, ALIQUOTA numeric(5,2));
create table TIPOS_TITULO (EMPRESA smallint not null, TT_CODIGO integer not null,
  primary key (EMPRESA, TT_CODIGO));
)";
    // The check before the run refuses the table without a key; the run must meet it.
    FMigracao.DispensarVerificacao(true);
    ASSERT_EQ(Migrar(EsquemaBase + tabelas, EsquemaBase + tabelas), TResultadoMigracao::Falhou)
        << FRelatorio.Linhas.back();

    TTextos esperado = {"Criando gatilhos da replicação..."};
    TTextos recusadas;
    for (const auto& tabela : CriarTabelasReplicacao())
        if (tabela->Nome() != "FORMAS_PAGTO") {
            esperado.push_back("Falha ao criar o gatilho da replicação da tabela " +
                               tabela->Nome() + ".");
            recusadas.push_back(tabela->Nome());
        }
    const TTextos log = FRelatorio.Textos();
    EXPECT_EQ(Trecho(log, "Criando gatilhos da replicação...", "Excluindo sequenciadores..."),
              esperado);
    EXPECT_EQ(log.back(), "Ocorreu um erro: \r\nGatilhos da replicação não criados: 2 (tabelas "
                          "TIPOS_TITULO, ICMS). Corrija o que impede cada um (mensagens acima) e "
                          "importe novamente para criá-los.");
    EXPECT_TRUE(FRelatorio.EmVermelho);

    ASSERT_EQ(FRelatorio.FalhasGatilho.size(), recusadas.size());
    for (std::size_t i = 0; i < recusadas.size(); ++i)
        EXPECT_TRUE(FRelatorio.FalhasGatilho[i].starts_with(recusadas[i] + "\r\n"))
            << FRelatorio.FalhasGatilho[i];
    EXPECT_EQ(Gatilhos(FPar.ConexaoDestino).count("FORMAS_PAGTO_RPL"), 1u);

    FPar.Desconectar();
    EXPECT_EQ(FMigracao.Comparar(FPar.Origem.Caminho(), FPar.Destino.Caminho()),
              TResultadoComparacao::Diferentes);
    const TResultadoProva& prova = FMigracao.UltimaProva();
    EXPECT_EQ(prova.OutrasDiferencas,
              TTextos({"Gatilho da replicação ausente no DESTINO: ICMS_RPL (ICMS).",
                       "Gatilho da replicação ausente no DESTINO: TIPOS_TITULO_RPL (TIPOS_TITULO)."}));
}

} // namespace
