#include "Conexao.h"
#include "Consulta.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

// "TABELA.INDICE" of every index that backs no constraint, and whether it is active.
std::map<std::string, bool> Indices(TConexao& conexao)
{
    TConsulta consulta(&conexao,
                       "select trim(I.RDB$RELATION_NAME) || '.' || trim(I.RDB$INDEX_NAME), "
                       "coalesce(I.RDB$INDEX_INACTIVE, 0) from RDB$INDICES I "
                       "where coalesce(I.RDB$SYSTEM_FLAG, 0) = 0 and not exists (select 1 from "
                       "RDB$RELATION_CONSTRAINTS RC where RC.RDB$INDEX_NAME = I.RDB$INDEX_NAME)");
    consulta.Abrir();
    std::map<std::string, bool> indices;
    for (; !consulta.Eof(); consulta.Proximo())
        indices[consulta.Campo(0).ComoTexto()] = consulta.Campo(1).ComoInteiro() == 0;
    return indices;
}

std::vector<std::string> Registrados(TConexao& destino)
{
    std::vector<std::string> nomes;
    for (const TIndicePendente& indice : TRegistroChavesPendentes(destino).Ler().Indices)
        nomes.push_back(indice.Tabela + "." + indice.Nome);
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

bool Contem(const std::vector<std::string>& textos, const std::string& texto)
{
    return std::find(textos.begin(), textos.end(), texto) != textos.end();
}

// Dates, a state and a plain number, as customers index them; one was inactive before any run.
const char* const IndicesDoDestino =
    "create index IX_CLIENTES_NASCIMENTO on CLIENTES (CLI_NASCIMENTO);\n"
    "create descending index IX_CLIENTES_ULT_COMPRA on CLIENTES (DATA_ULT_COMPRA);\n"
    "create index IX_CLIENTES_TIPO on CLIENTES (CLI_TIPO);\n"
    "alter index IX_CLIENTES_TIPO inactive;\n"
    "create index IX_TIPOS_DADOS_INTEGER on TIPOS_DADOS (C_INTEGER);\n";

// A run that fails on the last table leaves that table's index inactive and recorded (the
// earlier tables' are active again at once), and the proof names it. The record travels with
// the destination's file: the next run, on the file renamed, activates it, leaves the index
// that was inactive before any run as it was, and keeps nothing of the record.
TEST(IndicesTest, ExecucaoInterrompidaDeixaIndicesQueAProximaReativa)
{
    TParMigracao par;
    par.Destino.ExecutarScript(std::string(IndicesDoDestino) +
                               "update TIPOS_DADOS set C_VARCHAR = 'destino';\n"
                               "alter table TIPOS_DADOS add constraint CK_TIPOS_ATE_2 "
                               "check (ID <= 2);");
    const std::map<std::string, bool> antes = Indices(par.ConexaoDestino);
    ASSERT_EQ(antes.size(), 4u);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
    std::map<std::string, bool> esperados = antes;
    esperados["TIPOS_DADOS.IX_TIPOS_DADOS_INTEGER"] = false;
    EXPECT_EQ(Indices(par.ConexaoDestino), esperados);
    const std::vector<std::string> registrados = Registrados(par.ConexaoDestino);
    EXPECT_TRUE(Contem(registrados, "TIPOS_DADOS.IX_TIPOS_DADOS_INTEGER"));
    EXPECT_FALSE(Contem(registrados, "CLIENTES.IX_CLIENTES_TIPO"));
    const auto textos = relatorio.Textos();
    EXPECT_TRUE(Contem(textos, "Desativando índice... IX_CLIENTES_NASCIMENTO (CLIENTES)"));
    EXPECT_TRUE(Contem(textos, "Reativando índice... IX_CLIENTES_NASCIMENTO (CLIENTES)"));
    EXPECT_FALSE(Contem(textos, "Desativando índice... IX_CLIENTES_TIPO (CLIENTES)"));
    par.Desconectar();

    par.Destino.ExecutarScript("alter table TIPOS_DADOS drop constraint CK_TIPOS_ATE_2;");
    par.Desconectar();
    EXPECT_EQ(migracao.Comparar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoComparacao::Diferentes);
    EXPECT_TRUE(Contem(migracao.UltimaProva().Linhas(),
                       "Índice inativo no DESTINO: TIPOS_DADOS.IX_TIPOS_DADOS_INTEGER."));

    const std::string novo = par.Destino.Caminho() + ".renomeado.fdb";
    std::filesystem::rename(par.Destino.Caminho(), novo);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), novo), TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    TConexao destino;
    destino.DefinirBanco(novo);
    EXPECT_EQ(Indices(destino), antes);
    EXPECT_TRUE(Registrados(destino).empty());
    EXPECT_EQ(Contar(destino, std::string("select count(*) from RDB$RELATIONS where "
                                          "RDB$RELATION_NAME = '") +
                                  TRegistroChavesPendentes::Tabela + "'"),
              0);
    EXPECT_TRUE(Contem(relatorio.Textos(),
                       "Reativando índice... IX_TIPOS_DADOS_INTEGER (TIPOS_DADOS)"));
}

// Repeated values in the copied rows under a unique index: the run does every other step,
// names the index, its table and the repeated keys, and fails; the index stays recorded and
// inactive until a run over mended rows rebuilds it.
TEST(IndicesTest, IndiceUnicoQueNaoPodeSerRefeitoNomeiaAsChavesRepetidas)
{
    TParMigracao par;
    par.Destino.ExecutarScript(
        "create unique index UX_CLIENTES_NOME on CLIENTES (EMPRESA, CLI_NOME);");
    const std::string repetidos =
        "insert into CLIENTES (EMPRESA, CLI_CODIGO, CLI_NOME) values (1, 901, 'Repetido A');\n"
        "insert into CLIENTES (EMPRESA, CLI_CODIGO, CLI_NOME) values (1, 902, 'Repetido A');\n"
        "insert into CLIENTES (EMPRESA, CLI_CODIGO, CLI_NOME) values (1, 903, 'Repetido B');\n"
        "insert into CLIENTES (EMPRESA, CLI_CODIGO, CLI_NOME) values (1, 904, 'Repetido B');\n";
    par.Origem.ExecutarScript(repetidos + "alter sequence PEDIDO restart with 1500;");
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
    const auto textos = relatorio.Textos();
    EXPECT_TRUE(Contem(textos, "Índice UX_CLIENTES_NOME (CLIENTES) não reativado: índice único "
                               "com valores repetidos na tabela CLIENTES; 2 chaves repetidas "
                               "(EMPRESA=1 CLI_NOME=Repetido A; EMPRESA=1 CLI_NOME=Repetido B)."))
        << testing::PrintToString(textos);
    EXPECT_TRUE(Contem(textos, "Chaves estrangeiras criadas: 8."));
    EXPECT_EQ(textos.back(), "Ocorreu um erro: \r\nÍndices não reativados: 1 (listados acima). "
                             "Eles continuam registrados no DESTINO; corrija o que impede cada "
                             "um e importe novamente para reativá-los.");
    EXPECT_EQ(Sequencias(par.ConexaoDestino).at("PEDIDO"), 1500);
    EXPECT_EQ(Indices(par.ConexaoDestino),
              (std::map<std::string, bool>{{"CLIENTES.UX_CLIENTES_NOME", false}}));
    EXPECT_EQ(Registrados(par.ConexaoDestino),
              std::vector<std::string>{"CLIENTES.UX_CLIENTES_NOME"});
    par.Desconectar();

    par.Origem.ExecutarScript("delete from CLIENTES where CLI_CODIGO in (902, 904);");
    par.Desconectar();
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    EXPECT_EQ(Indices(par.ConexaoDestino),
              (std::map<std::string, bool>{{"CLIENTES.UX_CLIENTES_NOME", true}}));
    EXPECT_TRUE(Registrados(par.ConexaoDestino).empty());
}

// A recorded index the destination no longer has is refused before anything changes, named
// with its table, as a pending key is; told to leave such entries out, the run completes.
TEST(IndicesTest, IndiceRegistradoQueSumiuEhRecusadoOuDescartado)
{
    TParMigracao par;
    par.Destino.ExecutarScript("create index IX_TIPOS_DADOS_INTEGER on TIPOS_DADOS (C_INTEGER);\n"
                               "update TIPOS_DADOS set C_VARCHAR = 'destino';\n"
                               "alter table TIPOS_DADOS add constraint CK_TIPOS_ATE_2 "
                               "check (ID <= 2);");
    par.Desconectar();
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
    migracao.DispensarVerificacao(false);
    par.Destino.ExecutarScript("alter table TIPOS_DADOS drop constraint CK_TIPOS_ATE_2;\n"
                               "drop index IX_TIPOS_DADOS_INTEGER;");
    par.Desconectar();

    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Abandonada);
    ASSERT_EQ(relatorio.Abandonos.size(), 1u);
    EXPECT_NE(relatorio.Abandonos[0].find(
                  "O índice pendente IX_TIPOS_DADOS_INTEGER da tabela TIPOS_DADOS não pode ser "
                  "reativado: ele não existe no DESTINO. Comando: alter index "
                  "IX_TIPOS_DADOS_INTEGER active."),
              std::string::npos)
        << relatorio.Abandonos[0];
    EXPECT_EQ(Registrados(par.ConexaoDestino),
              std::vector<std::string>{"TIPOS_DADOS.IX_TIPOS_DADOS_INTEGER"});
    par.Desconectar();

    migracao.DefinirDescarteChavesPendentes(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    EXPECT_TRUE(Registrados(par.ConexaoDestino).empty());
}

} // namespace
