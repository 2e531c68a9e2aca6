#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"
#include "VerificacoesIniciais.h"

#include <gtest/gtest.h>

namespace {

// Without foreign keys and sequences the steps still write their closing lines, with 0; with
// one active company there is no replication and no line for it; the bar still ends full.
TEST(ExecucaoTest, SemChavesSemSequenciasSemReplicacao)
{
    TParMigracao par(TBancoTeste::TConteudo::Vazio);
    par.Origem.ExecutarScript(std::string(EsquemaMinimo) +
                              "insert into NOTAS values (1, 'um');\n");
    par.Destino.ExecutarScript(std::string(EsquemaMinimo) +
                               "insert into NOTAS values (2, 'dois');\n");
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();

    EXPECT_EQ(relatorio.TextosSemResumo(),
              (std::vector<std::string>{
                  "Preenchendo campos do tipo boleano (que estão nulos), na base de origem...",
                  "Desativando gatilhos...", "Excluindo chaves estrangeiras...",
                  "Carregando tabelas...", "Mantendo tabela igual à da ORIGEM... EMPRESAS",
                  "Limpando tabela... EXCECOES_REPLICACAO", "Limpando tabela... NOTAS",
                  "Mantendo tabela igual à da ORIGEM... SCRIPTS",
                  "Importando tabela... EXCECOES_REPLICACAO", "Importando tabela... NOTAS",
                  "Tabelas importadas: 4.", "Chaves estrangeiras criadas: 0.",
                  "Ativando gatilhos...", "Excluindo sequenciadores...",
                  "Sequenciadores criados: 0.", "Conferindo o DESTINO com a ORIGEM...",
                  "Conferência concluída: 4 tabelas iguais às da ORIGEM.",
                  "Importação concluída."}));
    EXPECT_EQ(migracao.Posicao(TBarra::Total), 11);
    EXPECT_EQ(migracao.Maximo(TBarra::Total), 11);
    EXPECT_EQ(migracao.Maximo(TBarra::Atual), 0);
    EXPECT_FALSE(relatorio.PassouDoMaximo);
    EXPECT_EQ(LinhasTabela(par.ConexaoDestino, "NOTAS"), std::vector<std::string>{"[1]|[um]|"});
}

// A stop asked for during a run ends it at the next step with its own line, in the standard
// colour; a Start command given while a run is under way does nothing.
TEST(ExecucaoTest, ParadaSolicitadaTerminaNoProximoPontoSeguro)
{
    TParMigracao par;
    par.Desconectar();
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    bool emExecucao = false;
    TResultadoMigracao segundoInicio = TResultadoMigracao::Concluida;
    relatorio.AoAcrescentar = [&](const std::string& texto) {
        if (texto != "Carregando tabelas...")
            return;
        emExecucao = migracao.EmExecucao();
        segundoInicio = migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho());
        migracao.SolicitarParada();
    };

    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Interrompida);
    EXPECT_TRUE(emExecucao);
    EXPECT_EQ(segundoInicio, TResultadoMigracao::Ocupada);
    EXPECT_FALSE(migracao.EmExecucao());
    EXPECT_EQ(relatorio.Textos().back(), TMigracao::LinhaInterrupcao(TEtapaParada::Importacao));
    EXPECT_EQ(relatorio.Textos().size(), 5u);
    EXPECT_FALSE(relatorio.EmVermelho);
    EXPECT_EQ(migracao.Posicao(TBarra::Total), 5);
    // The tables were listed but none was emptied.
    EXPECT_GT(Contar(par.ConexaoDestino, "select count(*) from CLIENTES"), 0);
    par.Desconectar();

    relatorio.AoAcrescentar = nullptr;
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida);
    EXPECT_FALSE(relatorio.EmVermelho);
}

// The NULL fill updates tables only: the fixture's read-only view has a yes/no column, and an
// update of it would fail every run.
TEST(ExecucaoTest, PreencherCamposBooleanosDeixaAsVisoes)
{
    TBancoTeste banco(NomeTesteAtual());
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    ASSERT_EQ(Contar(conexao, "select count(*) from RDB$RELATION_FIELDS "
                              "where RDB$RELATION_NAME = 'V_PRODUTOS_MARCAS' "
                              "and RDB$FIELD_SOURCE = 'LOGICO'"),
              1);
    const std::string nulos = "select (select count(*) from PRODUTOS where ATIVO is null) + "
                              "(select count(*) from PRODUTOS where CONTROLA_LOTE is null) + "
                              "(select count(*) from MARCAS where MAR_ATIVA is null) + "
                              "(select count(*) from CLIENTES where CLI_BLOQUEADO is null) "
                              "from RDB$DATABASE";
    ASSERT_GT(Contar(conexao, nulos), 0);
    const auto clientes = LinhasTabela(conexao, "CLIENTES");

    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TVerificacoesIniciais verificacoes({conexao, conexao, acompanhamento, cancelamento});
    verificacoes.PreencherCamposBooleanos();

    EXPECT_EQ(Contar(conexao, nulos), 0);
    EXPECT_EQ(Contar(conexao, "select count(*) from PRODUTOS where ATIVO = 'S'"), 1);
    EXPECT_EQ(Valor(conexao, "select CLI_BLOQUEADO from CLIENTES where CLI_CODIGO = 1"), "N");
    EXPECT_EQ(relatorio.Textos(),
              std::vector<std::string>{
                  "Preenchendo campos do tipo boleano (que estão nulos), na base de origem..."});
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Atual), 1);
    EXPECT_EQ(acompanhamento.Maximo(TBarra::Atual), 1);
}

// A row of the second table that another session holds locked: the fill fails as a whole,
// leaving the first table's NULLs too, and names the table and the column it was filling.
TEST(ExecucaoTest, PreencherCamposBooleanosNomeiaATabelaQueFalhou)
{
    TBancoTeste banco(NomeTesteAtual(), TBancoTeste::TConteudo::Vazio);
    banco.ExecutarScript("create domain LOGICO char(1);\n"
                         "create table PRIMEIRA (ID integer, ATIVA LOGICO);\n"
                         "create table SEGUNDA (ID integer, ATIVA LOGICO);\n"
                         "insert into PRIMEIRA values (1, null);\n"
                         "insert into SEGUNDA values (1, null);\n");
    TConexao conexao, outraSessao;
    conexao.DefinirBanco(banco.Caminho());
    outraSessao.DefinirBanco(banco.Caminho());
    outraSessao.IniciarTransacao();
    outraSessao.Executar("update SEGUNDA set ID = 2");

    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TVerificacoesIniciais verificacoes({conexao, conexao, acompanhamento, cancelamento});
    try {
        verificacoes.PreencherCamposBooleanos();
        ADD_FAILURE() << "o preenchimento deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_TRUE(mensagem.ends_with("\r\nTabela: SEGUNDA\r\nColuna: ATIVA")) << mensagem;
    }
    outraSessao.Rollback();
    EXPECT_EQ(Contar(conexao, "select count(*) from PRIMEIRA where ATIVA is null"), 1);
}

// One update per table fills every yes/no column of the rows that have a NULL in any of them:
// each NULL becomes 'N' and every other value stays, including a column of another domain.
// Rows without a NULL in those columns, and a table that has none, are not rewritten (the
// record version stays); a table with more such columns than one update's text holds gets
// them all filled too.
TEST(ExecucaoTest, PreencherCamposBooleanosUmaAtualizacaoPorTabela)
{
    TBancoTeste banco(NomeTesteAtual(), TBancoTeste::TConteudo::Vazio);
    std::string largas = "create table LARGA (ID integer";
    for (int c = 0; c < 70; ++c)
        largas += ", COLUNA_SIM_OU_NAO_NUMERO_" + std::to_string(100 + c) + " LOGICO";
    banco.ExecutarScript("create domain LOGICO char(1);\n"
                         "create table VARIAS (ID integer, A LOGICO, \"b\" LOGICO, "
                         "OUTRA char(1), \"ORDER\" LOGICO);\n"
                         "create table CHEIA (ID integer, A LOGICO);\n" +
                         largas + ");\n"
                         "insert into VARIAS values (1, null, 'S', null, 'S');\n"
                         "insert into VARIAS values (2, 'S', null, null, null);\n"
                         "insert into VARIAS values (3, 'S', 'S', null, 'S');\n"
                         "insert into VARIAS values (4, null, null, 'X', null);\n"
                         "insert into CHEIA values (1, 'S');\n"
                         "insert into LARGA (ID) values (1);\n");
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    const std::string versoes = "select (select list(RDB$RECORD_VERSION) from VARIAS where "
                                "ID = 3) || '/' || (select list(RDB$RECORD_VERSION) from CHEIA) "
                                "from RDB$DATABASE";
    const std::string antes = Valor(conexao, versoes);

    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TVerificacoesIniciais verificacoes({conexao, conexao, acompanhamento, cancelamento});
    verificacoes.PreencherCamposBooleanos();

    EXPECT_EQ(LinhasTabela(conexao, "VARIAS"),
              (std::vector<std::string>{"[1]|[N]|[S]|<null>|[S]|", "[2]|[S]|[N]|<null>|[N]|",
                                        "[3]|[S]|[S]|<null>|[S]|", "[4]|[N]|[N]|[X]|[N]|"}));
    EXPECT_EQ(Valor(conexao, versoes), antes);
    std::string nulos = "select count(*) from LARGA where ID is null";
    for (int c = 0; c < 70; ++c)
        nulos += " or COLUNA_SIM_OU_NAO_NUMERO_" + std::to_string(100 + c) + " is distinct from 'N'";
    EXPECT_EQ(Contar(conexao, nulos), 0);
}

} // namespace
