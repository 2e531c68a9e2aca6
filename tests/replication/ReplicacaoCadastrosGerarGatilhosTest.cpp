#include "BancoTeste.h"
#include "ConsultaTeste.h"
#include "MensagensJanela.h"
#include "ReceptorReplicacao.h"
#include "RelatorioFalhaGatilho.h"
#include "ReplicacaoCadastrosGerarGatilhos.h"
#include "ReplicacaoTabelas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
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
    void FalhaGatilho(const std::string& mensagem) override { Mensagens.push_back(mensagem); }
    TTextos Mensagens;
};

std::string PrimeiraLinha(const std::string& texto) { return texto.substr(0, texto.find("\r\n")); }

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

TTextos PrimeirasLinhas(const TTextos& mensagens)
{
    TTextos linhas;
    for (const std::string& mensagem : mensagens)
        linhas.push_back(PrimeiraLinha(mensagem));
    return linhas;
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

    TTextos GatilhosInstalados()
    {
        return Linhas(FConexao, "select trim(RDB$TRIGGER_NAME) from RDB$TRIGGERS"
                                " where trim(RDB$TRIGGER_NAME) like '%\\_RPL' escape '\\'"
                                " order by 1");
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
    EXPECT_EQ(GatilhosInstalados(), GatilhosDoFixture);

    const TTextos ausentes = TabelasAusentes();
    ASSERT_EQ(ausentes.size(), 31u);
    EXPECT_EQ(PrimeirasLinhas(FRelatorio.Mensagens), ausentes);

    // Table name, the server's error, and the statement the server refused.
    const std::string& mensagem = FRelatorio.Mensagens.front();
    const std::string gatilho = TReplicacaoTabelaTipoTitulo().GetSQLGatilho();
    EXPECT_TRUE(mensagem.starts_with("TIPOS_TITULO\r\n[VorelDB][Phys][FB]")) << mensagem;
    EXPECT_TRUE(mensagem.ends_with("\r\n" + gatilho)) << mensagem;
    EXPECT_NE(mensagem.find("TIPOS_TITULO", mensagem.find("\r\n") + 2), std::string::npos);
}

TEST_F(GerarGatilhosTest, SegundaExecucaoReescreveOsGatilhos)
{
    const TTextos primeira = FRelatorio.Mensagens;
    FRelatorio.Mensagens.clear();
    FBanco.ExecutarScript(
        "insert into EXCECOES_REPLICACAO (TABELA, COLUNA) values ('MARCAS', 'MAR_ATIVA');");

    InstalarGatilhos();

    EXPECT_EQ(FRelatorio.Mensagens, primeira);
    EXPECT_EQ(GatilhosInstalados(), GatilhosDoFixture);
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
