#include "Conexao.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The source's companies no longer share a replication group, so that the run would install no
// trigger and the fixture's missing catalogued tables are no problem.
const char* const SemReplicacao = "update EMPRESAS set ATIVA = 'N' where EMPRESA > 1;";

// The log's problem lines, in their order.
std::vector<std::string> Problemas(const TRelatorioGravado& relatorio)
{
    std::vector<std::string> problemas;
    for (const std::string& texto : relatorio.Textos())
        if (texto.rfind("Erro: ", 0) == 0 || texto.rfind("Aviso: ", 0) == 0)
            problemas.push_back(texto);
    return problemas;
}

// One problem of every kind, planted in a pair that is otherwise clean: each is reported once,
// with its table, its column or key, its row count and the offending rows' keys, grouped by
// table; what the run would put right (a yes/no NULL, trailing blanks, 12345.5 in a
// numeric(5,2), whose integer storage holds it) is not reported, and what it would round
// silently is an error too; and neither database changes, not even the yes/no NULLs.
TEST(VerificacaoParTest, UmProblemaDeCadaTipoSemAlterarNada)
{
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(SemReplicacao) + R"(
create table VERIFICADA (ID integer not null, VALOR numeric(15,4), QTD integer,
  EXTRA varchar(10));
insert into VERIFICADA values (1, 1.5, 1, null);
insert into VERIFICADA values (2, 1.5, 1, null);
insert into VERIFICADA values (2, 1.5, 1, null);
insert into VERIFICADA values (3, 12345.5, 1, null);
insert into VERIFICADA values (4, 1.2345, 1, null);
insert into VERIFICADA values (5, 1.5, null, null);
insert into VERIFICADA values (6, 1.5, 40000, 'x');
insert into VERIFICADA values (7, 1.5, -32768, null);
alter table MARCAS alter MAR_DESCRICAO type varchar(200);
update MARCAS set MAR_DESCRICAO = rpad('Longa', 61, '.') where EMPRESA = 1 and MAR_CODIGO = 1;
update MARCAS set MAR_DESCRICAO = rpad('Com brancos', 90, ' ') where EMPRESA = 2;
alter table CLIENTES_EMAIL drop constraint FK_CLIENTES_EMAIL_CLIENTE;
insert into CLIENTES_EMAIL (EMPRESA, ID, CLI_CODIGO, EMAIL) values (1, 2, 999, 'x@example.com');
alter table CLIENTES add CIDADE integer;
update CLIENTES set CIDADE = iif(CLI_CODIGO = 1, 3550308, 1234);
)");
    par.Destino.ExecutarScript(R"(
create table VERIFICADA (ID integer not null, VALOR numeric(5,2),
  QTD smallint not null, constraint PK_VERIFICADA primary key (ID));
create table SO_DESTINO (ID integer);
alter table ICMS add ALIQUOTA_FCP numeric(5,2);
alter table CLIENTES add CIDADE integer constraint FK_CLIENTES_CIDADE references CIDADES;
update PORTADORES set POR_ATIVO = 'N' where POR_ATIVO is null;
commit;
alter table PORTADORES alter POR_ATIVO set not null;
insert into EMPRESAS (EMPRESA, NOME) values (9, 'Só no destino');
commit;
alter table CFOP add EMPRESA smallint constraint FK_CFOP_EMPRESA references EMPRESAS;
commit;
update CFOP set EMPRESA = 9;
)");
    const auto origemAntes = Retrato(par.ConexaoOrigem);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::ComProblemas);
    EXPECT_EQ(
        Problemas(relatorio),
        (std::vector<std::string>{
            "Erro: CFOP, chave estrangeira FK_CFOP_EMPRESA (EMPRESA): tabela que o DESTINO "
            "mantém, com registro pai ausente na tabela EMPRESAS da ORIGEM; 1 linha (ID=5102).",
            "Erro: CLIENTES, chave estrangeira FK_CLIENTES_CIDADE (CIDADE): registro pai ausente "
            "na tabela CIDADES, que o DESTINO mantém; 1 linha (EMPRESA=1 CLI_CODIGO=2).",
            "Erro: CLIENTES_EMAIL, chave estrangeira FK_CLIENTES_EMAIL_CLIENTE (EMPRESA, "
            "CLI_CODIGO): registro pai ausente na tabela CLIENTES da ORIGEM; 1 linha (EMPRESA=1 "
            "ID=2).",
            "Erro: ICMS, coluna ALIQUOTA_FCP: A coluna ICMS.ALIQUOTA_FCP do DESTINO não existe na "
            "ORIGEM.",
            "Erro: MARCAS, coluna MAR_DESCRICAO: texto maior que os 60 caracteres da coluna do "
            "DESTINO; 1 linha (EMPRESA=1 MAR_CODIGO=1).",
            "Erro: SO_DESTINO: A tabela SO_DESTINO do DESTINO não existe na ORIGEM.",
            "Erro: VERIFICADA, coluna QTD: valor nulo em coluna obrigatória do DESTINO; 1 linha "
            "(ID=5).",
            "Aviso: VERIFICADA, coluna EXTRA: coluna que o DESTINO não tem; seus valores não serão "
            "copiados; 1 linha (ID=6).",
            "Erro: VERIFICADA, coluna VALOR: valor que a cópia mudaria, de numeric(15,4) na "
            "ORIGEM para numeric(5,2) no DESTINO; 1 linha (ID=4).",
            "Erro: VERIFICADA, coluna QTD: número além do que a coluna do DESTINO comporta "
            "(smallint); 1 linha (ID=6).",
            "Erro: VERIFICADA, chave primária PK_VERIFICADA (ID): linhas com os mesmos valores da "
            "chave; 2 linhas (ID=2).",
        }));
    EXPECT_EQ(relatorio.Textos().back(), "Verificação concluída: 10 erros e 1 aviso em 7 tabelas.");
    EXPECT_FALSE(relatorio.EmVermelho);
    EXPECT_EQ(relatorio.Posicao[0], relatorio.Maximo[0]);

    EXPECT_EQ(Retrato(par.ConexaoOrigem), origemAntes);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
}

// Text of a source column in another character set that WIN1252 cannot hold fails the run as
// it reads the row; the check finds it with the server's own conversion, row by row. Texts
// WIN1252 holds pass, accented or not.
TEST(VerificacaoParTest, TextoQueOWin1252NaoRepresenta)
{
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(SemReplicacao) + R"(
create table NOTAS (ID integer not null primary key, TEXTO varchar(20) character set UTF8);
insert into NOTAS values (1, 'Ação € ok');
insert into NOTAS values (2, '日本');
insert into NOTAS values (3, 'plain');
insert into NOTAS values (4, 'Ω');
)");
    par.Destino.ExecutarScript(
        "create table NOTAS (ID integer not null primary key, TEXTO varchar(20));");
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::ComProblemas)
        << relatorio.Textos().back();
    EXPECT_EQ(Problemas(relatorio),
              std::vector<std::string>{"Erro: NOTAS, coluna TEXTO: texto com caracteres que o "
                                       "WIN1252 não representa; 2 linhas (ID=2; ID=4)."});

    migracao.DispensarVerificacao(true);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
}

// A pair the run would copy without a hitch: nothing but the progress and the totals.
TEST(VerificacaoParTest, ParLimpoNaoTemProblemas)
{
    TParMigracao par;
    par.Origem.ExecutarScript(SemReplicacao);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::SemProblemas);
    EXPECT_EQ(Problemas(relatorio), std::vector<std::string>{});
    const auto textos = relatorio.Textos();
    EXPECT_NE(std::find(textos.begin(), textos.end(), "Verificando tabela... PRODUTOS"),
              textos.end());
    EXPECT_EQ(textos.back(), "Verificação concluída: nenhum problema encontrado.");
}

// When the source's companies share a replication group, the run installs a trigger per
// catalogued table; the server would refuse it for a table the destination lacks, which has
// nothing to replicate, and the run says so and goes on: a warning. A table without a primary
// key there would be left without its trigger, which fails the run at its end; a destination
// without the table of replication exceptions, or a source without its companies, fails the
// whole step: errors.
TEST(VerificacaoParTest, GatilhosDaReplicacaoQueSeriamRecusados)
{
    // A table the step reads missing from one side: the whole step would fail (and the
    // source's rows of a table the destination lacks are not copied either).
    struct TCaso {
        const char* Sufixo;
        const char* ScriptOrigem;
        const char* ScriptDestino;
        std::vector<std::string> Linhas;
    };
    const TCaso casos[] = {
        {"-sem-excecoes",
         "",
         "drop table EXCECOES_REPLICACAO;",
         {"Aviso: EXCECOES_REPLICACAO: tabela da ORIGEM que o DESTINO não tem; 1 linha não "
          "copiada.",
          "Erro: EXCECOES_REPLICACAO: tabela que o banco de dados de DESTINO não tem; a etapa da "
          "replicação falharia."}},
        {"-sem-empresas",
         "drop table EMPRESAS;",
         "drop table EMPRESAS;",
         {"Erro: EMPRESAS: tabela que o banco de dados de ORIGEM não tem; a etapa da replicação "
          "falharia."}},
    };
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.Sufixo);
        TParMigracao semTabela(TBancoTeste::TConteudo::Aplicacao, caso.Sufixo);
        if (*caso.ScriptOrigem)
            semTabela.Origem.ExecutarScript(caso.ScriptOrigem);
        semTabela.Destino.ExecutarScript(caso.ScriptDestino);
        semTabela.Desconectar();
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        EXPECT_EQ(migracao.Verificar(semTabela.Origem.Caminho(), semTabela.Destino.Caminho()),
                  TResultadoVerificacao::ComProblemas);
        EXPECT_EQ(Problemas(relatorio), caso.Linhas);
    }

    TParMigracao par;
    par.Destino.ExecutarScript(
        "alter table ICMS drop constraint PK_ICMS;"
        "alter table ICMS add constraint UK_ICMS unique (EMPRESA, UF);");
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::ComProblemas);
    const auto problemas = Problemas(relatorio);
    const auto contem = [&problemas](const std::string& linha) {
        return std::find(problemas.begin(), problemas.end(), linha) != problemas.end();
    };
    EXPECT_TRUE(contem("Aviso: FORNECEDORES: tabela da replicação que o DESTINO não tem; o "
                       "gatilho da replicação seria recusado."));
    EXPECT_TRUE(contem("Erro: ICMS: tabela da replicação sem chave primária no DESTINO; o "
                       "gatilho da replicação seria recusado e a importação falharia."));
    EXPECT_FALSE(contem("Aviso: PRODUTOS: tabela da replicação que o DESTINO não tem; o gatilho "
                        "da replicação seria recusado."));
}

// The source's tables that the destination lacks are copied by no run: the check and every
// run, with its check or without it, name each one that holds rows, with their count, and go
// on. Empty ones, views and the tool's own record are not named.
TEST(VerificacaoParTest, TabelasQueODestinoNaoTemSaoNomeadas)
{
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(SemReplicacao) + R"(
create table SO_ORIGEM (ID integer);
insert into SO_ORIGEM values (1);
insert into SO_ORIGEM values (2);
create table "So Origem" (ID integer);
insert into "So Origem" values (1);
create table SO_ORIGEM_VAZIA (ID integer);
create view SO_ORIGEM_VISAO as select ID from SO_ORIGEM;
create table NEWDATABASE_CHAVES_PENDENTES (ID integer);
insert into NEWDATABASE_CHAVES_PENDENTES values (1);
)");
    par.Desconectar();
    const std::vector<std::string> linhas = {
        "Aviso: SO_ORIGEM: tabela da ORIGEM que o DESTINO não tem; 2 linhas não copiadas.",
        "Aviso: So Origem: tabela da ORIGEM que o DESTINO não tem; 1 linha não copiada.",
    };

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::SemProblemas);
    EXPECT_EQ(Problemas(relatorio), linhas);
    EXPECT_EQ(relatorio.Textos().back(), "Verificação concluída: 0 erros e 2 avisos em 2 tabelas.");

    for (const bool semVerificacao : {false, true}) {
        SCOPED_TRACE(semVerificacao ? "sem verificação" : "com verificação");
        relatorio.Linhas.clear();
        migracao.DispensarVerificacao(semVerificacao);
        EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
                  TResultadoMigracao::Concluida)
            << relatorio.Textos().back();
        EXPECT_EQ(Problemas(relatorio), linhas);
    }
}

// A run that failed part way leaves the destination's later tables empty and its foreign keys
// dropped, recorded as pending: the check still works, and finds the problems against the
// keys the next run would create again.
TEST(VerificacaoParTest, VerificaDepoisDeUmaImportacaoQueFalhou)
{
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(SemReplicacao) + R"(
alter table MARCAS alter MAR_DESCRICAO type varchar(200);
update MARCAS set MAR_DESCRICAO = rpad('Longa', 61, '.') where EMPRESA = 2;
alter table CLIENTES_EMAIL drop constraint FK_CLIENTES_EMAIL_CLIENTE;
insert into CLIENTES_EMAIL (EMPRESA, ID, CLI_CODIGO, EMAIL) values (1, 2, 999, 'x@example.com');
)");
    // A destination whose PRODUTOS differs from the source's: the failed run leaves it empty.
    par.Destino.ExecutarScript("update PRODUTOS set PRO_DESCRICAO = PRO_DESCRICAO || '.';");
    par.Desconectar();
    {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        migracao.DispensarVerificacao(true);
        ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
                  TResultadoMigracao::Falhou);
    }
    ASSERT_EQ(Contar(par.ConexaoDestino, "select count(*) from PRODUTOS"), 0);
    ASSERT_FALSE(TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::ComProblemas);
    EXPECT_EQ(Problemas(relatorio),
              (std::vector<std::string>{
                  "Erro: CLIENTES_EMAIL, chave estrangeira FK_CLIENTES_EMAIL_CLIENTE (EMPRESA, "
                  "CLI_CODIGO): registro pai ausente na tabela CLIENTES da ORIGEM; 1 linha "
                  "(EMPRESA=1 ID=2).",
                  "Erro: MARCAS, coluna MAR_DESCRICAO: texto maior que os 60 caracteres da "
                  "coluna do DESTINO; 1 linha (EMPRESA=2 MAR_CODIGO=1).",
              }));
}

} // namespace
