#include "BancoTeste.h"
#include "ConsultaTeste.h"
#include "ErroBancoDados.h"
#include "MensagensJanela.h"
#include "ReceptorReplicacao.h"
#include "RelatorioFalhaGatilho.h"
#include "ReplicacaoCadastrosGerarGatilhos.h"
#include "ReplicacaoTabelas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TTextos = std::vector<std::string>;

// The triggers of the nine catalogued tables the fixture has.
const TTextos GatilhosDoFixture = {
    "CLIENTES_EMAIL_RPL", "CLIENTES_RPL",        "ICMS_RPL",
    "MARCAS_RPL",         "PORTADORES_RPL",      "PRODUTOS_GRUPOS_RPL",
    "PRODUTOS_IMAGEM_RPL", "PRODUTOS_RPL",       "PROD_UNIDADES_COMERCIAIS_RPL",
};

class TRelatorioMemoria : public IRelatorioFalhaGatilho {
public:
    void FalhaGatilho(const std::string& tabela, const std::string& mensagem) override
    {
        Tabelas.push_back(tabela);
        Mensagens.push_back(mensagem);
    }
    TTextos Tabelas;
    TTextos Mensagens;
};

// The catalogued tables the fixture lacks, in catalogue order.
TTextos TabelasAusentes()
{
    const TTextos presentes = {"PORTADORES", "ICMS",     "PRODUTOS_GRUPOS",
                               "MARCAS",     "CLIENTES", "CLIENTES_EMAIL",
                               "PRODUTOS",   "PRODUTOS_UNIDADES_COMERCIAIS", "PRODUTOS_IMAGEM"};
    TTextos ausentes;
    for (const auto& tabela : CriarTabelasReplicacao())
        if (std::find(presentes.begin(), presentes.end(), tabela->Nome()) == presentes.end())
            ausentes.push_back(tabela->Nome());
    return ausentes;
}

TTextos GatilhosInstalados(TConexao& conexao)
{
    return Linhas(conexao, "select trim(RDB$TRIGGER_NAME) from RDB$TRIGGERS"
                           " where trim(RDB$TRIGGER_NAME) like '%\\_RPL' escape '\\'"
                           " order by 1");
}

// A database from the fixture with the replication triggers installed: companies 1 and 2
// active in group A, 3 inactive in group A, 4 active alone in group B.
class GerarGatilhosTest : public ::testing::Test {
protected:
    TBancoTeste FBanco{"replicacao_gatilhos"};
    TConexao FConexao;
    TRelatorioMemoria FRelatorio;

    void SetUp() override
    {
        FConexao.DefinirBanco(FBanco.Caminho());
        InstalarGatilhos();
    }

    void InstalarGatilhos()
    {
        TReplicacaoCadastrosGerarGatilhos gatilhos(FConexao, nullptr, &FRelatorio);
        gatilhos.Execute();
    }

    TTextos Marcas(int codigo)
    {
        return Linhas(FConexao, "select EMPRESA, MAR_DESCRICAO, MAR_ATIVA from MARCAS"
                                " where MAR_CODIGO = " + std::to_string(codigo) +
                                    " order by EMPRESA");
    }

    TTextos Geradores(const std::string& gerador)
    {
        return Linhas(FConexao, "select EMPRESA, VALOR from GERADORES_EMPRESA where GERADOR = '" +
                                    gerador + "' order by EMPRESA");
    }
};

TEST_F(GerarGatilhosTest, InstalaAsTabelasExistentesERelataCadaAusente)
{
    EXPECT_EQ(GatilhosInstalados(FConexao), GatilhosDoFixture);

    // No statement is sent for a table the database lacks: the message says so instead.
    const TTextos ausentes = TabelasAusentes();
    ASSERT_EQ(ausentes.size(), 31u);
    EXPECT_EQ(FRelatorio.Tabelas, ausentes);
    TTextos esperadas;
    for (const std::string& tabela : ausentes)
        esperadas.push_back(tabela + "\r\na tabela " + tabela +
                            " não existe no banco de dados\r\n");
    EXPECT_EQ(FRelatorio.Mensagens, esperadas);
}

// What the catalogue shows unfit is refused without a statement; a table that exists but
// yields a trigger the server rejects is reported with the server's error and the statement.
TEST(GerarGatilhosRecusaTest, SemChavePrimariaAntesDoServidorDemaisPeloServidor)
{
    TBancoTeste banco("replicacao_recusas", TBancoTeste::TConteudo::Vazio);
    banco.ExecutarScript(R"(
create table EMPRESAS (EMPRESA smallint not null primary key, GRUPO_REPLICACAO varchar(1),
  ATIVA char(1));
create table EXCECOES_REPLICACAO (TABELA varchar(31) not null, COLUNA varchar(31) not null);
create table FORMAS_PAGTO (EMPRESA smallint not null, FP_CODIGO integer not null,
  FP_DESCRICAO varchar(30), primary key (EMPRESA, FP_CODIGO));
create table ICMS (EMPRESA smallint not null, UF char(2) not null, ALIQUOTA numeric(5,2));
create table TIPOS_TITULO (EMPRESA smallint not null, TT_CODIGO integer not null,
  primary key (EMPRESA, TT_CODIGO));
create table PORTADORES (COD_ATUALIZACAO integer not null primary key);
)");
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    TRelatorioMemoria relatorio;
    TReplicacaoCadastrosGerarGatilhos(conexao, nullptr, &relatorio).Execute();

    EXPECT_EQ(GatilhosInstalados(conexao), TTextos{"FORMAS_PAGTO_RPL"});
    EXPECT_EQ(relatorio.Mensagens.size(), 39u);
    std::map<std::string, std::string> mensagens;
    for (std::size_t i = 0; i < relatorio.Tabelas.size(); ++i)
        mensagens[relatorio.Tabelas[i]] = relatorio.Mensagens[i];

    EXPECT_EQ(mensagens["ICMS"], "ICMS\r\na tabela ICMS não tem chave primária\r\n");
    EXPECT_EQ(mensagens["PLANO_CONTAS"],
              "PLANO_CONTAS\r\na tabela PLANO_CONTAS não existe no banco de dados\r\n");
    // All columns key (nothing to update), all columns ignored (nothing to insert).
    const TReplicacaoCadastros lido(conexao);
    for (const std::string tabela : {"TIPOS_TITULO", "PORTADORES"}) {
        const std::string& mensagem = mensagens[tabela];
        const auto definicao = std::find_if(lido.Lista().begin(), lido.Lista().end(),
                                            [&](const auto& t) { return t->Nome() == tabela; });
        ASSERT_NE(definicao, lido.Lista().end());
        EXPECT_TRUE(mensagem.starts_with(tabela + "\r\n" + EBancoDados::Prefixo)) << mensagem;
        EXPECT_TRUE(mensagem.ends_with("\r\n" + (*definicao)->GetSQLGatilho())) << mensagem;
    }
}

TEST_F(GerarGatilhosTest, SegundaExecucaoReescreveOsGatilhos)
{
    const TTextos primeira = FRelatorio.Mensagens;
    FRelatorio.Mensagens.clear();
    FBanco.ExecutarScript(
        "insert into EXCECOES_REPLICACAO (TABELA, COLUNA) values ('MARCAS', 'MAR_ATIVA');");

    InstalarGatilhos();

    EXPECT_EQ(FRelatorio.Mensagens, primeira);
    EXPECT_EQ(GatilhosInstalados(FConexao), GatilhosDoFixture);
    FConexao.Executar("insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO, MAR_ATIVA)"
                      " values (1, 30, 'Terceira', 'S')");
    EXPECT_EQ(Marcas(30), (TTextos{"1|Terceira|S", "2|Terceira|null"}));
}

TEST_F(GerarGatilhosTest, InsercaoChegaSoAsOutrasEmpresasAtivasDoGrupo)
{
    FConexao.Executar("insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO, MAR_ATIVA)"
                      " values (1, 10, 'Nova Marca Ção', 'S')");
    EXPECT_EQ(Marcas(10), (TTextos{"1|Nova Marca Ção|S", "2|Nova Marca Ção|S"}));
    EXPECT_EQ(Geradores("MARCA"), TTextos{"2|10"});

    FConexao.Executar("insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                      " values (4, 11, 'Só da rede B')");
    EXPECT_EQ(Marcas(11), TTextos{"4|Só da rede B|null"});

    // ICMS has no sequence: nothing is handed to SET_GENERATOR.
    FConexao.Executar("insert into ICMS (EMPRESA, UF, ALIQUOTA) values (2, 'RJ', 20)");
    EXPECT_EQ(Linhas(FConexao, "select EMPRESA, ALIQUOTA from ICMS where UF = 'RJ'"
                               " order by EMPRESA"),
              (TTextos{"1|20.00", "2|20.00"}));
    EXPECT_EQ(Linhas(FConexao, "select count(*) from GERADORES_EMPRESA"), TTextos{"1"});
}

TEST_F(GerarGatilhosTest, AlteracaoEExclusaoChegamAOutraEmpresa)
{
    FConexao.Executar(
        "update MARCAS set MAR_DESCRICAO = 'Renomeada' where EMPRESA = 1 and MAR_CODIGO = 1");
    EXPECT_EQ(Marcas(1), (TTextos{"1|Renomeada|S", "2|Renomeada|S"}));

    // Company 2 lacks brand 2: the update inserts it there.
    FConexao.Executar(
        "update MARCAS set MAR_DESCRICAO = 'Ação e Cia' where EMPRESA = 1 and MAR_CODIGO = 2");
    EXPECT_EQ(Marcas(2), (TTextos{"1|Ação e Cia|null", "2|Ação e Cia|null"}));
    EXPECT_EQ(Geradores("MARCA"), TTextos{"2|2"});

    // Written for company 2, carried back to company 1.
    FConexao.Executar("update MARCAS set MAR_ATIVA = 'N' where EMPRESA = 2 and MAR_CODIGO = 2");
    EXPECT_EQ(Marcas(2), (TTextos{"1|Ação e Cia|N", "2|Ação e Cia|N"}));

    // Products refer to brands 1 and 2, so the delete takes a brand of its own.
    FConexao.Executar("insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                      " values (1, 60, 'Passageira')");
    FConexao.Executar("delete from MARCAS where EMPRESA = 2 and MAR_CODIGO = 60");
    EXPECT_TRUE(Marcas(60).empty());
}

TEST_F(GerarGatilhosTest, ChaveDeTresColunasEColunasIgnoradas)
{
    FConexao.Executar(
        "insert into PRODUTOS (EMPRESA, PRO_CODIGO, PRO_DESCRICAO, MAR_CODIGO, PRECO_VENDA,"
        " CUSTO_MEDIO, OBSERVACAO) values (1, 200, 'Arroz 5kg', 1, 25.90, 17.5,"
        " 'Observação longa')");
    FConexao.Executar("update PRODUTOS set PRECO_VENDA = 27.90, PRO_DESCRICAO = 'Arroz tipo 1'"
                      " where EMPRESA = 1 and PRO_CODIGO = 200");
    // PRECO_VENDA is an exception of the database, CUSTO_MEDIO one of the catalogue.
    EXPECT_EQ(Linhas(FConexao, "select EMPRESA, PRO_DESCRICAO, MAR_CODIGO, PRECO_VENDA,"
                               " CUSTO_MEDIO, OBSERVACAO from PRODUTOS where PRO_CODIGO = 200"
                               " order by EMPRESA"),
              (TTextos{"1|Arroz tipo 1|1|27.90|17.5000|Observação longa",
                       "2|Arroz tipo 1|1|null|null|Observação longa"}));
    EXPECT_EQ(Geradores("PRODUTO"), TTextos{"2|200"});

    const std::string unidades = "select EMPRESA, UNIDADE, FATOR, PROMOCAO_VALOR"
                                 " from PRODUTOS_UNIDADES_COMERCIAIS where PRO_CODIGO = 200"
                                 " order by EMPRESA, UNIDADE";
    FConexao.Executar("insert into PRODUTOS_UNIDADES_COMERCIAIS (EMPRESA, PRO_CODIGO, UNIDADE,"
                      " FATOR, PROMOCAO_VALOR) values (2, 200, 'FD', 6, 9.99)");
    FConexao.Executar("insert into PRODUTOS_UNIDADES_COMERCIAIS (EMPRESA, PRO_CODIGO, UNIDADE,"
                      " FATOR) values (2, 200, 'UN', 1)");
    FConexao.Executar("update PRODUTOS_UNIDADES_COMERCIAIS set FATOR = 5"
                      " where EMPRESA = 2 and PRO_CODIGO = 200 and UNIDADE = 'FD'");
    EXPECT_EQ(Linhas(FConexao, unidades),
              (TTextos{"1|FD|5.000|null", "1|UN|1.000|null", "2|FD|5.000|9.99",
                       "2|UN|1.000|null"}));

    FConexao.Executar("delete from PRODUTOS_UNIDADES_COMERCIAIS"
                      " where EMPRESA = 1 and PRO_CODIGO = 200 and UNIDADE = 'UN'");
    EXPECT_EQ(Linhas(FConexao, unidades), (TTextos{"1|FD|5.000|null", "2|FD|5.000|9.99"}));
}

TEST_F(GerarGatilhosTest, VariavelDeContextoImpedeReplicarAPropriaEscrita)
{
    // Set by hand, the guard stops the trigger; once a trigger has replicated, it lets the
    // next write of the same transaction through again.
    FConexao.Executar(
        "execute block as begin"
        "  rdb$set_context('USER_TRANSACTION', 'RPL_MARCAS', 'S');"
        "  insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO) values (1, 40, 'Guardada');"
        "  rdb$set_context('USER_TRANSACTION', 'RPL_MARCAS', null);"
        "  insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO) values (1, 41, 'Primeira');"
        "  insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO) values (1, 42, 'Segunda');"
        " end");
    EXPECT_EQ(Marcas(40), TTextos{"1|Guardada|null"});
    EXPECT_EQ(Marcas(41), (TTextos{"1|Primeira|null", "2|Primeira|null"}));
    EXPECT_EQ(Marcas(42), (TTextos{"1|Segunda|null", "2|Segunda|null"}));
}

// A first write of a transaction that the trigger does not replicate, and what it must leave
// behind: the next write of the same transaction replicated as usual.
struct TCasoGuarda {
    const char* Nome;
    std::string Preparo;         // run before the transaction
    std::string PrimeiraEscrita; // brand 70, in the transaction
    std::string Erro;            // part of the first write's error; empty: it succeeds
    TTextos Marca70;             // brand 70 once the transaction is committed
};

void PrintTo(const TCasoGuarda& caso, std::ostream* saida) { *saida << caso.Nome; }

class GuardaGatilhoTest : public GerarGatilhosTest,
                          public ::testing::WithParamInterface<TCasoGuarda> {};

TEST_P(GuardaGatilhoTest, EscritaSeguinteDaTransacaoEReplicada)
{
    const TCasoGuarda& caso = GetParam();
    if (!caso.Preparo.empty())
        FConexao.Executar(caso.Preparo);

    FConexao.IniciarTransacao();
    if (caso.Erro.empty()) {
        FConexao.Executar(caso.PrimeiraEscrita);
    } else {
        // The application sees the failure of the write inside the trigger, as the server
        // raised it.
        try {
            FConexao.Executar(caso.PrimeiraEscrita);
            ADD_FAILURE() << "a primeira escrita não falhou";
        } catch (const EBancoDados& erro) {
            EXPECT_EQ(erro.CodigoMotor(), 335544665) << erro.what(); // isc_unique_key_violation
            EXPECT_EQ(erro.CodigoSql(), -803);
            EXPECT_NE(std::string(erro.what()).find(caso.Erro), std::string::npos) << erro.what();
        }
    }
    FConexao.Executar("insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                      " values (1, 71, 'Depois')");
    FConexao.Commit();

    EXPECT_EQ(Marcas(71), (TTextos{"1|Depois|null", "2|Depois|null"}));
    EXPECT_EQ(Marcas(70), caso.Marca70);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, GuardaGatilhoTest,
    ::testing::Values(
        TCasoGuarda{"EmpresaSemGrupo",
                    "insert into EMPRESAS (EMPRESA, NOME, GRUPO_REPLICACAO, ATIVA)"
                    " values (5, 'Sem grupo', null, 'S')",
                    "insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                    " values (5, 70, 'Sozinha')",
                    "",
                    {"5|Sozinha|null"}},
        TCasoGuarda{"EmpresaDeGrupoVazio",
                    "insert into EMPRESAS (EMPRESA, NOME, GRUPO_REPLICACAO, ATIVA)"
                    " values (5, 'Grupo vazio', '', 'S')",
                    "insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                    " values (5, 70, 'Sozinha')",
                    "",
                    {"5|Sozinha|null"}},
        // Company 2 has brand 70 already (written past the trigger): copying company 1's
        // brand 70 there clashes inside the trigger's loop.
        TCasoGuarda{"FalhaDentroDoGatilho",
                    "execute block as begin"
                    "  rdb$set_context('USER_TRANSACTION', 'RPL_MARCAS', 'S');"
                    "  insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                    "  values (2, 70, 'Só na 2');"
                    " end",
                    "insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO)"
                    " values (1, 70, 'Repetida')",
                    "\"PK_MARCAS\" on table \"MARCAS\"\r\n"
                    "Problematic key value is (\"EMPRESA\" = 2, \"MAR_CODIGO\" = 70)",
                    {"2|Só na 2|null"}}),
    [](const auto& info) { return std::string(info.param.Nome); });

class TReceptorMemoria : public IReceptorReplicacao {
public:
    void Notificar(unsigned mensagem, const TReplicacaoTabela& tabela) override
    {
        Recebidas.push_back(std::to_string(mensagem) + " " + tabela.Nome());
        if (tabela.Nome() == Recusar)
            throw std::runtime_error("Recusada pelo receptor");
    }
    std::string Recusar;
    TTextos Recebidas;
};

TEST(GerarGatilhosReceptorTest, NotificaAntesDeCadaTabelaEFalhaDoReceptorPulaATabela)
{
    TBancoTeste banco("replicacao_receptor");
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    TReceptorMemoria receptor;
    receptor.Recusar = "MARCAS";
    TRelatorioMemoria relatorio;

    TReplicacaoCadastrosGerarGatilhos gatilhos(conexao, &receptor, &relatorio);
    EXPECT_TRUE(receptor.Recebidas.empty());
    gatilhos.Execute();

    TTextos esperadas;
    for (const auto& tabela : CriarTabelasReplicacao())
        esperadas.push_back(std::to_string(WM_REPLICACAO_TABELA) + " " + tabela->Nome());
    EXPECT_EQ(receptor.Recebidas, esperadas);
    EXPECT_EQ(WM_REPLICACAO_TABELA, 1026u);

    const auto marcas = std::find_if(relatorio.Mensagens.begin(), relatorio.Mensagens.end(),
                                     [](const auto& m) { return m.starts_with("MARCAS\r\n"); });
    ASSERT_NE(marcas, relatorio.Mensagens.end());
    EXPECT_TRUE(marcas->starts_with("MARCAS\r\nRecusada pelo receptor\r\nCREATE OR ALTER TRIGGER"));
    EXPECT_EQ(relatorio.Mensagens.size(), 32u);
    EXPECT_EQ(Linhas(conexao, "select count(*) from RDB$TRIGGERS"
                              " where RDB$TRIGGER_NAME = 'MARCAS_RPL'"),
              TTextos{"0"});
}

TEST(GerarGatilhosSaidaErroTest, SemRelatorioFalhasVaoParaSaidaDeErro)
{
    TBancoTeste banco("replicacao_saida_erro");
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    TReplicacaoCadastrosGerarGatilhos gatilhos(conexao);

    std::ostringstream capturada;
    std::streambuf* original = std::cerr.rdbuf(capturada.rdbuf());
    try {
        gatilhos.Execute();
    } catch (...) {
        std::cerr.rdbuf(original);
        throw;
    }
    std::cerr.rdbuf(original);

    const std::string saida = capturada.str();
    EXPECT_TRUE(saida.starts_with("TIPOS_TITULO\r\n")) << saida;
    EXPECT_NE(saida.find("SITUACAO_TRIB_IRRF_CSLL\r\n"), std::string::npos);
    EXPECT_EQ(saida.find("CREATE OR ALTER TRIGGER MARCAS_RPL"), std::string::npos);
}

} // namespace
