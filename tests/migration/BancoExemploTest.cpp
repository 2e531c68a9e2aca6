#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

// The server's own example database, a schema nobody here wrote: domains, computed columns,
// CHECK constraints that read other tables, triggers that number rows from sequences, views,
// procedures and composite foreign keys. What the application adds to every database of its
// own (the version table, the companies, the replication exceptions) is added to it.

namespace {

const char* const ScriptExemplo = "/usr/share/doc/firebird3.0-common-doc/examples/employee.sql.gz";

std::string LerScriptExemplo()
{
    std::unique_ptr<FILE, int (*)(FILE*)> leitura(
        popen((std::string("zcat '") + ScriptExemplo + "'").c_str(), "r"), pclose);
    std::string script;
    char bloco[4096];
    for (std::size_t lidos; leitura && (lidos = fread(bloco, 1, sizeof bloco, leitura.get())) > 0;)
        script.append(bloco, lidos);
    return script;
}

void Substituir(std::string& texto, const std::string& de, const std::string& para)
{
    const auto posicao = texto.find(de);
    ASSERT_NE(posicao, std::string::npos) << de;
    texto.replace(posicao, de.size(), para);
}

// The example as it comes, or with its two array columns made plain (the run copies no array),
// plus the application's own tables, on both databases of a pair.
void CriarPar(TParMigracao& par, bool comArrays)
{
    std::string script = LerScriptExemplo();
    ASSERT_FALSE(script.empty()) << ScriptExemplo
                                 << " não foi lido (pacote firebird3.0-examples instalado?)";
    ASSERT_NO_FATAL_FAILURE(Substituir(script, "create database 'employee.fdb';", ""));
    if (!comArrays) {
        ASSERT_NO_FATAL_FAILURE(Substituir(script, "VARCHAR(15) [5]", "VARCHAR(15)"));
        ASSERT_NO_FATAL_FAILURE(Substituir(script, "INTEGER [4]", "INTEGER"));
        ASSERT_NO_FATAL_FAILURE(Substituir(script, "language_req[:i]", "language_req"));
    }
    script += "commit;\n"
              "create table SCRIPTS (NOME varchar(60));\n"
              "create table EMPRESAS (EMPRESA smallint not null primary key, NOME varchar(60),\n"
              "  GRUPO_REPLICACAO varchar(1), ATIVA char(1));\n"
              "create table EXCECOES_REPLICACAO (TABELA varchar(31), COLUNA varchar(31));\n"
              "commit;\n"
              "insert into SCRIPTS values ('000150_0150.SQL');\n";
    par.Origem.ExecutarScript(script);
    par.Destino.ExecutarScript(script);
    // The destination is a fresh installation: some of its rows differ from the customer's.
    par.Origem.ExecutarScript("update EMPLOYEE set PHONE_EXT = '999' where EMP_NO = 2;\n"
                              "insert into SALARY_HISTORY (EMP_NO, CHANGE_DATE, UPDATER_ID,\n"
                              "  OLD_SALARY, PERCENT_CHANGE) values (2, '2026-01-02', 'tec',\n"
                              "  105900, 5);\n");
}

bool Contem(const std::vector<std::string>& linhas, const std::string& trecho)
{
    return std::any_of(linhas.begin(), linhas.end(), [&trecho](const std::string& linha) {
        return linha.find(trecho) != std::string::npos;
    });
}

} // namespace

TEST(BancoExemploTest, ColunasArrayRecusadasAntesDeQualquerAlteracao)
{
    TParMigracao par(TBancoTeste::TConteudo::Vazio);
    ASSERT_NO_FATAL_FAILURE(CriarPar(par, true));
    const auto antes = Retrato(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_NE(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida);
    ASSERT_EQ(relatorio.Abandonos.size(), 1u);
    for (const char* coluna : {"JOB.LANGUAGE_REQ", "PROJ_DEPT_BUDGET.QUART_HEAD_CNT"})
        EXPECT_NE(relatorio.Abandonos.front().find(std::string("A coluna ") + coluna +
                                                   " da ORIGEM é do tipo ARRAY"),
                  std::string::npos)
            << relatorio.Abandonos.front();
    EXPECT_EQ(Retrato(par.ConexaoDestino), antes);
}

// Three orders of the example were shipped to customers that were put on hold later: rows the
// source keeps, but that a CHECK reading CUSTOMER refuses once the customers are copied. The
// check must name them as the server does when the run meets them; once the source is
// mended, the next run completes the destination, and it equals the source.
TEST(BancoExemploTest, VerificacaoAcertaOQueOServidorRecusaEAImportacaoCompleta)
{
    TParMigracao par(TBancoTeste::TConteudo::Vazio);
    ASSERT_NO_FATAL_FAILURE(CriarPar(par, false));
    par.Desconectar();
    const std::string& origem = par.Origem.Caminho();
    const std::string& destino = par.Destino.Caminho();

    {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        EXPECT_EQ(migracao.Verificar(origem, destino), TResultadoVerificacao::ComProblemas);
        EXPECT_TRUE(Contem(relatorio.Textos(),
                           "Erro: SALES, restrição INTEG_80: linha que a condição da restrição "
                           "recusa; 3 linhas (PO_NUMBER=V9333005; PO_NUMBER=V9333006; "
                           "PO_NUMBER=V93F0020)"));
    }
    {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        migracao.DispensarVerificacao(true);
        EXPECT_EQ(migracao.Iniciar(origem, destino), TResultadoMigracao::Falhou);
        EXPECT_TRUE(Contem(relatorio.Textos(), "Operation violates CHECK constraint INTEG_80"));
        EXPECT_TRUE(Contem(relatorio.Textos(), "PO_NUMBER = 'V9333005'"));
    }

    par.Origem.ExecutarScript("update CUSTOMER set ON_HOLD = null where CUST_NO in (select "
                              "CUST_NO from SALES where ORDER_STATUS = 'shipped');\n");
    {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        ASSERT_EQ(migracao.Iniciar(origem, destino), TResultadoMigracao::Concluida)
            << relatorio.Textos().back();
    }
    {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        EXPECT_EQ(migracao.Comparar(origem, destino), TResultadoComparacao::Iguais);
    }

    TConexao& conexaoOrigem = par.ConexaoOrigem;
    TConexao& conexaoDestino = par.ConexaoDestino;
    for (const std::string& tabela : Tabelas(conexaoOrigem))
        EXPECT_EQ(LinhasTabela(conexaoDestino, tabela), LinhasTabela(conexaoOrigem, tabela))
            << tabela;
    EXPECT_EQ(ChavesEstrangeiras(conexaoDestino), ChavesEstrangeiras(conexaoOrigem));
    EXPECT_EQ(Sequencias(conexaoDestino), Sequencias(conexaoOrigem));
    for (const auto& [gatilho, ativo] : Gatilhos(conexaoDestino))
        EXPECT_TRUE(ativo) << gatilho;
}
