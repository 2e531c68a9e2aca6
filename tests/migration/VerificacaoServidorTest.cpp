#include "Conexao.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// One problem planted in a pair that is otherwise clean, and the lines the check must list for
// it: none when the run stores the rows without a failure.
struct TCasoPlantado {
    const char* Nome;
    std::string Origem;
    std::string Destino;
    std::vector<std::string> Linhas;
};

std::ostream& operator<<(std::ostream& saida, const TCasoPlantado& caso)
{
    return saida << caso.Nome;
}

// The source's companies no longer share a replication group, so that the run installs no
// trigger and the fixture's missing catalogued tables are no problem.
const char* const SemReplicacao = "update EMPRESAS set ATIVA = 'N' where EMPRESA > 1;\n";

// A table per shape of CHECK source the server keeps (comments before and inside, a string
// with a parenthesis, the word CHECK in a string, line breaks, a domain's CHECK with VALUE, a
// condition reading another table, Cyrillic letters in a comment and a string), and rows each
// of them lets pass.
const std::string FormasCheckDestino =
    "create domain D_POSITIVO integer /* domínio */ check (VALUE > 0);"
    "create table CK_COMENTARIO_ANTES (ID integer not null primary key, Q integer,"
    "  constraint CK_COMENTARIO_ANTES /* limite */ check (Q >= 0));"
    "create table CK_COMENTARIO_DENTRO (ID integer not null primary key, Q integer,"
    "  constraint CK_COMENTARIO_DENTRO check /* teto ( */ (Q < 100 -- limite)\n));"
    "create table CK_TEXTO_PARENTESE (ID integer not null primary key, S varchar(10),"
    "  constraint CK_TEXTO_PARENTESE check (S <> 'a)b'));"
    "create table CK_TEXTO_CHECK (ID integer not null primary key, S varchar(10),"
    "  constraint CK_TEXTO_CHECK check (S <> 'CHECK (x'));"
    "create table CK_LINHAS (ID integer not null primary key, Q integer,"
    "  constraint CK_LINHAS check (\n  Q\n  <>\n  13\n));"
    "create table CK_DOMINIO (ID integer not null primary key, Q D_POSITIVO);"
    "create table CK_BLOQUEADOS (CLIENTE integer not null primary key);"
    "create table CK_OUTRA_TABELA (ID integer not null primary key, CLIENTE integer,"
    "  constraint CK_OUTRA_TABELA check (not exists (select 1 from CK_BLOQUEADOS B"
    "  where B.CLIENTE = CK_OUTRA_TABELA.CLIENTE)));"
    "create table CK_CIRILICO (ID integer not null primary key,"
    "  S varchar(10) character set UTF8, constraint CK_CIRILICO /* Проверка */ check (S in ('ok', 'Да') -- Привет\n));";
const std::string FormasCheckOrigem =
    "create table CK_COMENTARIO_ANTES (ID integer not null primary key, Q integer);"
    "create table CK_COMENTARIO_DENTRO (ID integer not null primary key, Q integer);"
    "create table CK_TEXTO_PARENTESE (ID integer not null primary key, S varchar(10));"
    "create table CK_TEXTO_CHECK (ID integer not null primary key, S varchar(10));"
    "create table CK_LINHAS (ID integer not null primary key, Q integer);"
    "create table CK_DOMINIO (ID integer not null primary key, Q integer);"
    "create table CK_BLOQUEADOS (CLIENTE integer not null primary key);"
    "create table CK_OUTRA_TABELA (ID integer not null primary key, CLIENTE integer);"
    "create table CK_CIRILICO (ID integer not null primary key,"
    "  S varchar(10) character set UTF8);"
    "insert into CK_COMENTARIO_ANTES values (1, 0);"
    "insert into CK_COMENTARIO_DENTRO values (1, 99);"
    "insert into CK_TEXTO_PARENTESE values (1, 'a(b');"
    "insert into CK_TEXTO_CHECK values (1, 'CHECK');"
    "insert into CK_LINHAS values (1, 12);"
    "insert into CK_DOMINIO values (1, 1);"
    "insert into CK_DOMINIO values (2, null);"
    "insert into CK_BLOQUEADOS values (7);"
    "insert into CK_OUTRA_TABELA values (1, 8);"
    "insert into CK_CIRILICO values (1, 'ok');";
// A row each condition refuses.
const std::string FormasCheckRecusadas =
    "insert into CK_COMENTARIO_ANTES values (2, -1);"
    "insert into CK_COMENTARIO_DENTRO values (2, 100);"
    "insert into CK_TEXTO_PARENTESE values (2, 'a)b');"
    "insert into CK_TEXTO_CHECK values (2, 'CHECK (x');"
    "insert into CK_LINHAS values (2, 13);"
    "insert into CK_DOMINIO values (3, 0);"
    "insert into CK_OUTRA_TABELA values (2, 7);"
    "insert into CK_CIRILICO values (2, 'x');";

std::vector<std::string> Problemas(const TRelatorioGravado& relatorio)
{
    std::vector<std::string> problemas;
    for (const std::string& texto : relatorio.Textos())
        if (texto.rfind("Erro: ", 0) == 0 || texto.rfind("Aviso: ", 0) == 0)
            problemas.push_back(texto);
    return problemas;
}

class VerificacaoServidorTest : public testing::TestWithParam<TCasoPlantado> {};

// The check against the run itself, on each planted problem: what the check lists as an error
// is what makes the run fail (the run without its check fails, or, where the server changes a
// value without refusing it, its proof names the change; the run with the check refuses,
// listing the same lines, and changes nothing), and what it does not list, or lists as a
// warning only, the run stores, its log naming the warnings.
TEST_P(VerificacaoServidorTest, RelatadoComoAImportacaoOEncontra)
{
    const TCasoPlantado& caso = GetParam();
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(SemReplicacao) + caso.Origem);
    par.Destino.ExecutarScript(caso.Destino);
    // The run's first change would be the source's yes/no NULLs.
    const char* const nulosSimNao = "select count(*) from PORTADORES where POR_ATIVO is null";
    const std::int64_t nulosAntes = Contar(par.ConexaoOrigem, nulosSimNao);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();

    std::vector<std::string> erros;
    for (const std::string& linha : caso.Linhas)
        if (linha.rfind("Erro: ", 0) == 0)
            erros.push_back(linha);

    // One engine throughout: another one's attachment would make the run refuse the pair.
    TRelatorioGravado verificacao;
    TMigracao migracao(verificacao);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              erros.empty() ? TResultadoVerificacao::SemProblemas
                            : TResultadoVerificacao::ComProblemas)
        << verificacao.Textos().back();
    EXPECT_EQ(Problemas(verificacao), caso.Linhas);

    verificacao.Linhas.clear();
    const TResultadoMigracao resultado =
        migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho());
    if (erros.empty()) {
        EXPECT_EQ(resultado, TResultadoMigracao::Concluida) << verificacao.Textos().back();
        const auto textos = verificacao.Textos();
        for (const std::string& aviso : caso.Linhas)
            EXPECT_NE(std::find(textos.begin(), textos.end(), aviso), textos.end()) << aviso;
        return;
    }
    EXPECT_EQ(resultado, TResultadoMigracao::Recusada);
    ASSERT_EQ(verificacao.Abandonos.size(), 1u);
    std::string recusa = "A importação não pode ser iniciada:";
    for (const std::string& erro : erros)
        recusa += "\r\n- " + erro;
    EXPECT_EQ(verificacao.Abandonos.front(), recusa);
    EXPECT_EQ(Contar(par.ConexaoOrigem, nulosSimNao), nulosAntes);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
    par.Desconectar();

    migracao.DispensarVerificacao(true);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou)
        << verificacao.Textos().back();
    EXPECT_TRUE(verificacao.EmVermelho);
}

INSTANTIATE_TEST_SUITE_P(
    Plantados, VerificacaoServidorTest,
    testing::Values(
        // The destination's unique index lets rows pass only when every part is NULL.
        TCasoPlantado{"ChaveUnicaComParteNula",
                      "create table UNICA (ID integer not null primary key, A integer, B integer);"
                      "insert into UNICA values (1, 1, null);"
                      "insert into UNICA values (2, 1, null);"
                      "insert into UNICA values (3, null, null);"
                      "insert into UNICA values (4, null, null);",
                      "create table UNICA (ID integer not null primary key, A integer, B integer,"
                      "  constraint UK_UNICA unique (A, B));",
                      {"Erro: UNICA, chave única UK_UNICA (A, B): linhas com os mesmos valores da "
                       "chave; 2 linhas (A=1 B=)."}},
        TCasoPlantado{"ChaveUnicaTodaNula",
                      "create table UNICA (ID integer not null primary key, A integer, B integer);"
                      "insert into UNICA values (1, null, null);"
                      "insert into UNICA values (2, null, null);"
                      "insert into UNICA values (3, 1, 2);",
                      "create table UNICA (ID integer not null primary key, A integer, B integer,"
                      "  constraint UK_UNICA unique (A, B));",
                      {}},
        // A case-insensitive collation makes 'abc' and 'ABC' one key.
        TCasoPlantado{"ChaveUnicaSobColacaoDoDestino",
                      "create table SIGLAS (ID integer not null primary key, SIGLA varchar(5));"
                      "insert into SIGLAS values (1, 'abc');"
                      "insert into SIGLAS values (2, 'ABC');",
                      "create table SIGLAS (ID integer not null primary key,"
                      "  SIGLA varchar(5) character set WIN1252 collate WIN_PTBR,"
                      "  constraint UK_SIGLAS unique (SIGLA));",
                      {"Erro: SIGLAS, chave única UK_SIGLAS (SIGLA): linhas com os mesmos valores "
                       "da chave; 2 linhas (SIGLA=abc)."}},
        // The storage's limit, not the declared precision: numeric(9,2) is an integer of cents.
        TCasoPlantado{"NumeroNoLimiteDoArmazenamento",
                      "create table VALORES (ID integer not null primary key, V numeric(18,2));"
                      "insert into VALORES values (1, 21474836.47);"
                      "insert into VALORES values (2, -21474836.48);"
                      "insert into VALORES values (3, 12345678.99);",
                      "create table VALORES (ID integer not null primary key, V numeric(9,2));",
                      {}},
        TCasoPlantado{"NumeroAlemDoArmazenamento",
                      "create table VALORES (ID integer not null primary key, V numeric(18,2));"
                      "insert into VALORES values (1, 21474836.48);"
                      "insert into VALORES values (2, -21474836.49);"
                      "insert into VALORES values (3, 1);",
                      "create table VALORES (ID integer not null primary key, V numeric(9,2));",
                      {"Erro: VALORES, coluna V: número além do que a coluna do DESTINO comporta "
                       "(numeric(9,2)); 2 linhas (ID=1; ID=2)."}},
        // Types that may change a value the server stores without a word: each value is read
        // back into the source's type, a text byte by byte (blanks and leading zeros count,
        // those a char pads to its length do not); an exact number that would be rounded.
        TCasoPlantado{"EstreitamentoQueMudaValores",
                      "create table ESTREITADA (ID integer not null primary key,"
                      "  QUANDO timestamp, V double precision, G bigint, COD varchar(10),"
                      "  SIGLA char(4), PRECO numeric(18,4));"
                      "insert into ESTREITADA values (1, '2024-05-17 14:23:45.1230', 0.1,"
                      "  9007199254740993, '0012', '12', 1.2345);"
                      "insert into ESTREITADA values (2, '2024-05-18 00:00:00', 1.5,"
                      "  9007199254740992, '12', '7', 1.5);"
                      "insert into ESTREITADA values (3, '2024-05-19 00:00:00.0001', 0.25,"
                      "  -9007199254740993, ' 12', null, 2);"
                      "insert into ESTREITADA values (4, null, null, null, '12 ', '0', null);",
                      "create table ESTREITADA (ID integer not null primary key, QUANDO date,"
                      "  V float, G double precision, COD integer, SIGLA integer,"
                      "  PRECO numeric(9,2));",
                      {"Erro: ESTREITADA, coluna QUANDO: valor que a cópia mudaria, de timestamp "
                       "na ORIGEM para date no DESTINO; 2 linhas (ID=1; ID=3).",
                       "Erro: ESTREITADA, coluna V: valor que a cópia mudaria, de double "
                       "precision na ORIGEM para float no DESTINO; 1 linha (ID=1).",
                       "Erro: ESTREITADA, coluna G: valor que a cópia mudaria, de bigint na "
                       "ORIGEM para double precision no DESTINO; 2 linhas (ID=1; ID=3).",
                       "Erro: ESTREITADA, coluna COD: valor que a cópia mudaria, de varchar(10) "
                       "character set WIN1252 na ORIGEM para integer no DESTINO; 3 linhas (ID=1; "
                       "ID=3; ID=4).",
                       "Aviso: ESTREITADA, coluna SIGLA: char(4) character set WIN1252 na ORIGEM "
                       "e integer no DESTINO, que podem mudar valores; nenhum valor presente "
                       "muda.",
                       "Erro: ESTREITADA, coluna PRECO: valor que a cópia mudaria, de "
                       "numeric(18,4) na ORIGEM para numeric(9,2) no DESTINO; 1 linha (ID=1)."}},
        // The same types with values that come back whole: the run stores them and says what
        // the types could do.
        TCasoPlantado{"EstreitamentoSemMudanca",
                      "create table ESTREITADA (ID integer not null primary key,"
                      "  QUANDO timestamp, V double precision, G bigint, COD varchar(10),"
                      "  PRECO numeric(18,4));"
                      "insert into ESTREITADA values (1, '2024-05-18 00:00:00', 1.5,"
                      "  9007199254740992, '12', 1.5);"
                      "insert into ESTREITADA values (2, null, -0.25, -12, '-7', null);",
                      "create table ESTREITADA (ID integer not null primary key, QUANDO date,"
                      "  V float, G double precision, COD integer, PRECO numeric(9,2));",
                      {"Aviso: ESTREITADA, coluna QUANDO: timestamp na ORIGEM e date no DESTINO, "
                       "que podem mudar valores; nenhum valor presente muda.",
                       "Aviso: ESTREITADA, coluna V: double precision na ORIGEM e float no "
                       "DESTINO, que podem mudar valores; nenhum valor presente muda.",
                       "Aviso: ESTREITADA, coluna G: bigint na ORIGEM e double precision no "
                       "DESTINO, que podem mudar valores; nenhum valor presente muda.",
                       "Aviso: ESTREITADA, coluna COD: varchar(10) character set WIN1252 na "
                       "ORIGEM e integer no DESTINO, que podem mudar valores; nenhum valor "
                       "presente muda.",
                       "Aviso: ESTREITADA, coluna PRECO: numeric(18,4) na ORIGEM e numeric(9,2) "
                       "no DESTINO, que podem mudar valores; nenhum valor presente muda."}},
        // Types that hold every value of the source's: nothing to say.
        TCasoPlantado{"Alargamento",
                      "create table ALARGADA (ID integer not null primary key, N integer,"
                      "  T varchar(40), V float, D date, PRECO numeric(9,2), S smallint);"
                      "insert into ALARGADA values (1, 2147483647, 'Texto  ', 0.1,"
                      "  '2024-05-17', 1234567.89, -32768);",
                      "create table ALARGADA (ID integer not null primary key, N bigint,"
                      "  T varchar(60), V double precision, D timestamp, PRECO numeric(15,2),"
                      "  S float);",
                      {}},
        // The destination's CHECK constraints stay active during the copy.
        TCasoPlantado{"RestricaoCheck",
                      "create table QUANTIDADES (ID integer not null primary key, Q integer);"
                      "insert into QUANTIDADES values (1, 5);"
                      "insert into QUANTIDADES values (2, 0);"
                      "insert into QUANTIDADES values (3, null);",
                      "create table QUANTIDADES (ID integer not null primary key, Q integer,"
                      "  constraint CK_QUANTIDADES check (Q > 0));",
                      {"Erro: QUANTIDADES, restrição CK_QUANTIDADES: linha que a condição da "
                       "restrição recusa; 1 linha (ID=2)."}},
        TCasoPlantado{"RestricoesCheckDeCadaFormaSatisfeitas", FormasCheckOrigem,
                      FormasCheckDestino, {}},
        TCasoPlantado{
            "RestricoesCheckDeCadaFormaRecusando", FormasCheckOrigem + FormasCheckRecusadas,
            FormasCheckDestino,
            {"Erro: CK_CIRILICO, restrição CK_CIRILICO: linha que a condição da restrição "
             "recusa; 1 linha (ID=2).",
             "Erro: CK_COMENTARIO_ANTES, restrição CK_COMENTARIO_ANTES: linha que a condição da "
             "restrição recusa; 1 linha (ID=2).",
             "Erro: CK_COMENTARIO_DENTRO, restrição CK_COMENTARIO_DENTRO: linha que a condição "
             "da restrição recusa; 1 linha (ID=2).",
             "Erro: CK_DOMINIO, coluna Q: valor que a condição do domínio D_POSITIVO recusa; 1 "
             "linha (ID=3).",
             "Erro: CK_LINHAS, restrição CK_LINHAS: linha que a condição da restrição recusa; 1 "
             "linha (ID=2).",
             "Erro: CK_OUTRA_TABELA, restrição CK_OUTRA_TABELA: linha que a condição da "
             "restrição recusa; 1 linha (ID=2).",
             "Erro: CK_TEXTO_CHECK, restrição CK_TEXTO_CHECK: linha que a condição da restrição "
             "recusa; 1 linha (ID=2).",
             "Erro: CK_TEXTO_PARENTESE, restrição CK_TEXTO_PARENTESE: linha que a condição da "
             "restrição recusa; 1 linha (ID=2)."}},
        // A CHECK that reads another table meets that table as the run has filled it:
        // CLIENTES_BLOQUEADOS comes before REMESSAS and holds the source's rows by then.
        TCasoPlantado{"RestricaoCheckQueLeOutraTabela",
                      "create table CLIENTES_BLOQUEADOS (CLIENTE integer not null primary key);"
                      "create table REMESSAS (ID integer not null primary key, CLIENTE integer,"
                      "  SITUACAO varchar(10));"
                      "insert into CLIENTES_BLOQUEADOS values (7);"
                      "insert into REMESSAS values (1, 7, 'enviado');"
                      "insert into REMESSAS values (2, 8, 'enviado');"
                      "insert into REMESSAS values (3, 7, 'aberto');",
                      "create table CLIENTES_BLOQUEADOS (CLIENTE integer not null primary key);"
                      "create table REMESSAS (ID integer not null primary key, CLIENTE integer,"
                      "  SITUACAO varchar(10), constraint CK_REMESSAS check (not (SITUACAO = "
                      "  'enviado' and exists (select 1 from CLIENTES_BLOQUEADOS B"
                      "  where B.CLIENTE = REMESSAS.CLIENTE))));",
                      {"Erro: REMESSAS, restrição CK_REMESSAS: linha que a condição da restrição "
                       "recusa; 1 linha (ID=1)."}},
        // Read through WIN1252, which cannot hold it, whatever the destination's set.
        TCasoPlantado{"TextoLongoForaDoWin1252",
                      "create table TEXTOS (ID integer not null primary key,"
                      "  T blob sub_type text character set UTF8);"
                      "insert into TEXTOS values (1, '日本語');"
                      "insert into TEXTOS values (2, 'Ação');",
                      "create table TEXTOS (ID integer not null primary key,"
                      "  T blob sub_type text character set WIN1252);",
                      {"Erro: TEXTOS, coluna T: texto com caracteres que o WIN1252 não representa; "
                       "1 linha (ID=1)."}},
        // The run never fills COD_ATUALIZACAO: NOT NULL without a default refuses every row.
        TCasoPlantado{"CodAtualizacaoObrigatorioSemPadrao",
                      "create table ATUALIZADAS (ID integer not null primary key,"
                      "  COD_ATUALIZACAO integer);"
                      "insert into ATUALIZADAS values (1, 10);"
                      "insert into ATUALIZADAS values (2, 20);",
                      "create table ATUALIZADAS (ID integer not null primary key,"
                      "  COD_ATUALIZACAO integer not null);",
                      {"Erro: ATUALIZADAS, coluna COD_ATUALIZACAO: coluna obrigatória do DESTINO "
                       "sem valor padrão, que a importação não preenche; 2 linhas (ID=1; ID=2)."}},
        TCasoPlantado{"CodAtualizacaoObrigatorioComPadrao",
                      "create table ATUALIZADAS (ID integer not null primary key,"
                      "  COD_ATUALIZACAO integer);"
                      "insert into ATUALIZADAS values (1, 10);",
                      "create table ATUALIZADAS (ID integer not null primary key,"
                      "  COD_ATUALIZACAO integer default 0 not null);",
                      {}},
        // A kept table's key is looked up as the recreated key looks it up: under WIN_PTBR,
        // 'abc' finds 'ABC'.
        TCasoPlantado{"PaiMantidoSobColacaoDoDestino",
                      "create table MORADAS (ID integer not null primary key, SIGLA varchar(10));"
                      "insert into MORADAS values (1, 'abc');",
                      "alter table CIDADES add SIGLA varchar(10) character set WIN1252"
                      "  collate WIN_PTBR;"
                      "commit;"
                      "update CIDADES set SIGLA = 'ABC' where ID = (select min(ID)"
                      "  from CIDADES);"
                      "commit;"
                      "alter table CIDADES add constraint UK_CIDADES_SIGLA unique (SIGLA);"
                      "create table MORADAS (ID integer not null primary key,"
                      "  SIGLA varchar(10) character set WIN1252 collate WIN_PTBR,"
                      "  constraint FK_MORADAS_SIGLA foreign key (SIGLA) references CIDADES (SIGLA));",
                      {}}),
    [](const testing::TestParamInfo<TCasoPlantado>& info) { return info.param.Nome; });

// Others attached to the destination: the run refuses to start, and the check lists it too.
TEST(VerificacaoServidorTest, OutraConexaoAoDestinoListadaComoARecusa)
{
    TParMigracao par;
    par.Origem.ExecutarScript(SemReplicacao);
    par.Desconectar();
    TConexao outra;
    outra.DefinirBanco(par.Destino.Caminho());
    Contar(outra, "select count(*) from RDB$DATABASE");

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::ComProblemas);
    const auto problemas = Problemas(relatorio);
    ASSERT_EQ(problemas.size(), 1u);
    EXPECT_EQ(problemas.front().rfind("Erro: O banco de dados de DESTINO está em uso por outra "
                                      "conexão: usuário SYSDBA",
                                      0),
              0u)
        << problemas.front();
}

// Catalogue text WIN1252 cannot hold, in both databases: a CHECK's source with Cyrillic letters
// in a comment and a string, a domain's CHECK and default, a trigger's and a procedure's
// source, descriptions. The check, the run and the comparison read past it, and the
// conditions are evaluated all the same.
TEST(VerificacaoServidorTest, TextoDoCatalogoForaDoWin1252)
{
    TParMigracao par;
    const std::string cirilico =
        "create domain D_NOME varchar(20) character set UTF8 default 'Без имени'"
        "  check (VALUE <> 'Нет');"
        "create table CIRILICO (ID integer not null primary key, NOME D_NOME,"
        "  constraint CK_CIRILICO /* Проверка */ check (NOME <> 'Да' -- Привет\n));"
        "comment on table CIRILICO is 'Таблица';"
        "comment on column CIRILICO.NOME is 'Имя';"
        "set term ^;"
        "create trigger CIRILICO_BI for CIRILICO active before insert as"
        "  begin /* Триггер */ end^"
        "create procedure CIRILICO_P returns (R varchar(10)) as"
        "  begin R = 'Ответ'; suspend; end^"
        "set term ;^";
    par.Origem.ExecutarScript(std::string(SemReplicacao) + cirilico +
                              "insert into CIRILICO values (1, 'ok');");
    par.Destino.ExecutarScript(cirilico);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::SemProblemas)
        << relatorio.Textos().back();
    EXPECT_EQ(Problemas(relatorio), std::vector<std::string>{});
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Textos().back();
    EXPECT_EQ(migracao.Comparar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoComparacao::Iguais)
        << relatorio.Textos().back();
}

// A condition that calls what only the destination has cannot be put to the source's rows:
// the check names it as an error and still evaluates the table's other conditions, and the
// run refuses to start, changing nothing.
TEST(VerificacaoServidorTest, RestricaoCheckQueNaoSeAvaliaRecusaAImportacao)
{
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(SemReplicacao) +
                              "create table AVALIADAS (ID integer not null primary key, Q integer);"
                              "insert into AVALIADAS values (1, 5);"
                              "insert into AVALIADAS values (2, -5);");
    par.Destino.ExecutarScript(
        "set term ^;"
        "create function LIMITE_OK (Q integer) returns integer as begin"
        "  return iif(Q < 3, 1, 0); end^"
        "set term ;^"
        "create table AVALIADAS (ID integer not null primary key, Q integer,"
        "  constraint CK_AVALIADAS check (LIMITE_OK(Q) = 1),"
        "  constraint CK_AVALIADAS_POSITIVA check (Q > 0));");
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Verificar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoVerificacao::ComProblemas);
    const auto problemas = Problemas(relatorio);
    ASSERT_EQ(problemas.size(), 2u);
    const std::string inicio = "Erro: AVALIADAS, restrição CK_AVALIADAS: condição que a "
                               "verificação não pôde avaliar: check (LIMITE_OK(Q) = 1) (";
    EXPECT_EQ(problemas[0].substr(0, inicio.size()), inicio) << problemas[0];
    EXPECT_NE(problemas[0].find("Function unknown LIMITE_OK"), std::string::npos)
        << problemas[0];
    EXPECT_EQ(problemas[1], "Erro: AVALIADAS, restrição CK_AVALIADAS_POSITIVA: linha que a "
                            "condição da restrição recusa; 1 linha (ID=2).");

    relatorio.Linhas.clear();
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Recusada);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
}

} // namespace
