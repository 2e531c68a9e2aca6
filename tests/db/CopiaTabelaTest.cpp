#include "BancoTeste.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "LeituraTeste.h"
#include "CopiaTabela.h"
#include "ErroBancoDados.h"
#include "EscritorTabela.h"
#include "FalhaNoPrazo.h"
#include "RetransmissorTcp.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class CopiaTabelaTest : public ::testing::Test {
protected:
    TBancoTeste FBancoOrigem{"copia-origem", TBancoTeste::TConteudo::Aplicacao};
    TBancoTeste FBancoDestino{"copia-destino", TBancoTeste::TConteudo::Esquema};
    TConexao FOrigem, FDestino;
    TCopiaTabela FCopia{FOrigem, FDestino};

    void SetUp() override
    {
        FOrigem.DefinirBanco(FBancoOrigem.Caminho());
        FDestino.DefinirBanco(FBancoDestino.Caminho());
    }

    std::int64_t Copiar(const std::string& sql)
    {
        FCopia.Leitor().DefinirSQLLeitura(sql);
        FCopia.Escritor().DefinirSQLLeitura(sql);
        return FCopia.Executar();
    }

    // A table of n numbered rows on both sides, whose destination records the transaction of
    // every insert, so that the commit boundaries can be read back afterwards.
    void CriarTabelaNumerada(int linhas, bool comBlob)
    {
        const std::string colunas = std::string("ID integer not null primary key, ") +
                                    "NOME varchar(40)" + (comBlob ? ", NOTA blob sub_type text" : "");
        for (TConexao* conexao : {&FOrigem, &FDestino})
            conexao->Executar("create table NUMERADA (" + colunas + ")");
        FDestino.Executar("create table TRANSACOES (ID integer, TX bigint)");
        FDestino.Executar("create trigger NUMERADA_TX for NUMERADA after insert as begin "
                          "insert into TRANSACOES values (new.ID, current_transaction); end");
        FOrigem.Executar("execute block as declare i integer = 1; begin while (i <= " +
                         std::to_string(linhas) + ") do begin insert into NUMERADA (ID, NOME" +
                         (comBlob ? ", NOTA" : "") + ") values (:i, 'linha ' || :i" +
                         (comBlob ? ", 'nota ' || :i" : "") + "); i = i + 1; end end");
    }

    // How many rows each destination transaction wrote, in order.
    std::vector<std::int64_t> Lotes()
    {
        std::vector<std::int64_t> lotes;
        for (const auto& linha :
             Linhas(FDestino, "select count(*) from TRANSACOES group by TX order by min(ID)"))
            lotes.push_back(std::stoll(linha[0]));
        return lotes;
    }
};

TEST_F(CopiaTabelaTest, TodosOsTiposChegamIguais)
{
    const std::string sql =
        "select ID,C_SMALLINT,C_INTEGER,C_BIGINT,C_NUMERIC_4_2,C_NUMERIC_9_3,C_NUMERIC_18_4,"
        "C_DECIMAL_10_0,C_FLOAT,C_DOUBLE,C_DATE,C_TIME,C_TIMESTAMP,C_CHAR,C_VARCHAR,C_OCTETS,"
        "C_BOOLEAN,C_BLOB_TEXTO,C_BLOB_BINARIO from TIPOS_DADOS";
    EXPECT_EQ(Copiar(sql), 3);
    const auto esperado = Linhas(FOrigem, sql + " order by ID");
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), esperado);
    // CHAR columns are padded again by the destination: the stored bytes are the same.
    EXPECT_EQ(Valor(FDestino, "select octet_length(C_CHAR) from TIPOS_DADOS where ID = 1"), 10);
    EXPECT_EQ(Valor(FDestino, "select count(*) from TIPOS_DADOS t where C_OCTETS = x'00FF7F80'"), 1);
}

TEST_F(CopiaTabelaTest, IdentidadeGuardaOsValoresDaOrigem)
{
    EXPECT_EQ(Copiar("select ID,DESCRICAO,OCORRIDO_EM from EVENTOS"), 2);
    EXPECT_EQ(Linhas(FDestino, "select ID, DESCRICAO from EVENTOS order by ID"),
              (std::vector<std::vector<std::string>>{{"7", "Importação inicial"}, {"42", "<null>"}}));
}

struct TCasoLotes {
    int Linhas;
    bool ComBlob;
    std::vector<std::int64_t> Lotes;
};

class LotesTest : public CopiaTabelaTest, public ::testing::WithParamInterface<TCasoLotes> {};

TEST_P(LotesTest, ConfirmaACada10000Linhas)
{
    const auto& caso = GetParam();
    CriarTabelaNumerada(caso.Linhas, caso.ComBlob);
    const std::string sql = caso.ComBlob ? "select ID,NOME,NOTA from NUMERADA"
                                         : "select ID,NOME from NUMERADA";
    std::vector<std::int64_t> avisos;
    FCopia.DefinirObservadorProgresso([&](std::int64_t n) { avisos.push_back(n); });
    EXPECT_EQ(Copiar(sql), caso.Linhas);
    EXPECT_EQ(Lotes(), caso.Lotes);
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), Linhas(FOrigem, sql + " order by ID"));
    ASSERT_FALSE(avisos.empty());
    EXPECT_EQ(avisos.back(), caso.Linhas);
    EXPECT_FALSE(FDestino.EmTransacao());
}

INSTANTIATE_TEST_SUITE_P(Casos, LotesTest,
                         ::testing::Values(TCasoLotes{0, false, {}},
                                           TCasoLotes{10000, false, {10000}},
                                           TCasoLotes{10001, false, {10000, 1}},
                                           TCasoLotes{25000, false, {10000, 10000, 5000}},
                                           TCasoLotes{10001, true, {10000, 1}}));

class FalhaNoMeioTest : public CopiaTabelaTest, public ::testing::WithParamInterface<bool> {};

// A row that breaks the destination's key at position 15000 of 30000: the first batch stays
// committed, everything written since is undone, and the copy fails with the server's message.
TEST_P(FalhaNoMeioTest, GuardaSoOsLotesConfirmados)
{
    const bool comBlob = GetParam();
    CriarTabelaNumerada(30000, comBlob);
    FDestino.Executar("alter trigger NUMERADA_TX inactive");
    FDestino.Executar("insert into NUMERADA (ID, NOME) values (15000, 'já estava')");
    try {
        Copiar(comBlob ? "select ID,NOME,NOTA from NUMERADA" : "select ID,NOME from NUMERADA");
        FAIL() << "a cópia deveria falhar";
    } catch (const EBancoDados& erro) {
        EXPECT_NE(std::string(erro.what()).find("violation of PRIMARY or UNIQUE KEY"),
                  std::string::npos)
            << erro.what();
    }
    EXPECT_FALSE(FDestino.EmTransacao());
    EXPECT_EQ(Valor(FDestino, "select count(*) from NUMERADA"), 10001);
    EXPECT_EQ(Valor(FDestino, "select max(ID) from NUMERADA where ID <> 15000"), 10000);
    // Both connections stay usable.
    EXPECT_EQ(Valor(FOrigem, "select count(*) from NUMERADA"), 30000);
    FDestino.Executar("delete from NUMERADA");
}

INSTANTIATE_TEST_SUITE_P(SemEComBlob, FalhaNoMeioTest, ::testing::Bool());

// Tables whose rows are too wide for many rows per statement: by the length of the text (many
// columns with long names) or by the parameter data (a long varchar).
struct TCasoLargura {
    const char* Nome;
    int Colunas;
    const char* Tipo;
    const char* Valor;
};

class LarguraTest : public CopiaTabelaTest, public ::testing::WithParamInterface<TCasoLargura> {};

TEST_P(LarguraTest, LinhasLargasChegamIguais)
{
    const auto& caso = GetParam();
    std::string colunas, lista, valores;
    for (int c = 0; c < caso.Colunas; ++c) {
        const std::string nome = "COLUNA_DE_NOME_BEM_COMPRIDO_" + std::to_string(c);
        colunas += ", " + nome + " " + caso.Tipo;
        lista += "," + nome;
        valores += std::string(", ") + caso.Valor;
    }
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table LARGA (ID integer not null primary key" + colunas + ")");
    FOrigem.Executar("execute block as declare i integer = 1; begin while (i <= 300) do begin "
                     "insert into LARGA values (:i" + valores + "); i = i + 1; end end");
    const std::string sql = "select ID" + lista + " from LARGA";
    EXPECT_EQ(Copiar(sql), 300);
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), Linhas(FOrigem, sql + " order by ID"));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, LarguraTest,
    ::testing::Values(TCasoLargura{"muitas_colunas", 150, "integer", "mod(:i * 7, 1000)"},
                      TCasoLargura{"texto_longo", 1, "varchar(32000)", "lpad('', 20000 + :i, 'x')"}),
    [](const auto& info) { return std::string(info.param.Nome); });

// A stop is seen in a plain table and in one whose every row carries a long blob (those rows go
// one by one, never as a chunk).
struct TCasoParada {
    const char* Nome;
    const char* Colunas;
    const char* Valores;
};

class ParadaTest : public CopiaTabelaTest, public ::testing::WithParamInterface<TCasoParada> {};

TEST_P(ParadaTest, ParadaPedidaDesfazOLoteAberto)
{
    const auto& caso = GetParam();
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar(std::string("create table PARADA (ID integer not null primary key, ") +
                          caso.Colunas + ")");
    FOrigem.Executar(std::string("execute block as declare i integer = 1; begin while (i <= 300) "
                                 "do begin insert into PARADA values (:i, ") +
                     caso.Valores + "); i = i + 1; end end");
    TCancelamento cancelamento;
    cancelamento.Solicitar();
    FCopia.DefinirCancelamento(&cancelamento);
    EXPECT_THROW(Copiar("select * from PARADA"), EOperacaoCancelada);
    EXPECT_EQ(Valor(FDestino, "select count(*) from PARADA"), 0);
    EXPECT_FALSE(FDestino.EmTransacao());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ParadaTest,
    ::testing::Values(TCasoParada{"sem_blob", "NOME varchar(40)", "'linha ' || :i"},
                      TCasoParada{"blobs_longos", "DADOS blob sub_type binary",
                                  "lpad('', 40000, x'00ff')"}),
    [](const auto& info) { return std::string(info.param.Nome); });

TEST_F(CopiaTabelaTest, ColunaQueAOrigemNaoTemFalhaSemGravarNada)
{
    FDestino.Executar("alter table MARCAS add SO_NO_DESTINO integer");
    FDestino.Executar("insert into MARCAS (EMPRESA, MAR_CODIGO) values (9, 9)");
    EXPECT_THROW(Copiar("select EMPRESA,MAR_CODIGO,SO_NO_DESTINO from MARCAS"), EBancoDados);
    EXPECT_EQ(Valor(FDestino, "select count(*) from MARCAS"), 1);
    EXPECT_FALSE(FDestino.EmTransacao());
}

// A row the destination refuses, in the middle of a chunk: after the server's text the failure
// names the table, the column and the row's primary key.
struct TCasoRecusa {
    const char* Nome;
    std::vector<std::string> Destino;
    std::vector<std::string> Origem;
    const char* TrechoServidor;
    const char* Local;
};

class RecusaTest : public CopiaTabelaTest, public ::testing::WithParamInterface<TCasoRecusa> {};

TEST_P(RecusaTest, FalhaNomeiaTabelaColunaEChave)
{
    const auto& caso = GetParam();
    for (const std::string& sql : caso.Destino)
        FDestino.Executar(sql);
    for (const std::string& sql : caso.Origem)
        FOrigem.Executar(sql);
    try {
        Copiar("select EMPRESA,MAR_CODIGO,MAR_DESCRICAO from MARCAS");
        FAIL() << "a cópia deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_EQ(mensagem.rfind(EBancoDados::Prefixo, 0), 0u) << mensagem;
        EXPECT_NE(mensagem.find(caso.TrechoServidor), std::string::npos) << mensagem;
        EXPECT_TRUE(mensagem.ends_with(caso.Local)) << mensagem;
    }
    EXPECT_EQ(Valor(FDestino, "select count(*) from MARCAS"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RecusaTest,
    ::testing::Values(
        // The server gives the sizes of the parameter, not the column: the column is named.
        TCasoRecusa{"texto_longo",
                    {"alter table MARCAS alter MAR_DESCRICAO type varchar(80)"},
                    {"alter table MARCAS alter MAR_DESCRICAO type varchar(200)",
                     "update MARCAS set MAR_DESCRICAO = lpad('', 150, 'x') where MAR_CODIGO = 2"},
                    "string right truncation",
                    "\r\nTabela: MARCAS\r\nColuna: MAR_DESCRICAO (150 caracteres; o destino "
                    "comporta 80)\r\nChave primária: EMPRESA = 1, MAR_CODIGO = 2"},
        TCasoRecusa{"nulo_proibido",
                    {"alter table MARCAS alter MAR_DESCRICAO set not null"},
                    {"update MARCAS set MAR_DESCRICAO = null where MAR_CODIGO = 2"},
                    "validation error for column",
                    "\r\nTabela: MARCAS\r\nColuna: MAR_DESCRICAO\r\nChave primária: "
                    "EMPRESA = 1, MAR_CODIGO = 2"}),
    [](const auto& info) { return std::string(info.param.Nome); });

// A table whose name needs quotes is named as the catalogue spells it; a check the row breaks
// names no column, the key still finds the row.
TEST_F(CopiaTabelaTest, FalhaNomeiaTabelaDeNomeComAspas)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table \"Notas \"\"A\"\"\" (ID integer not null primary key, "
                          "\"valor\" integer)");
    FDestino.Executar("alter table \"Notas \"\"A\"\"\" add check (\"valor\" < 10)");
    FOrigem.Executar("insert into \"Notas \"\"A\"\"\" values (1, 5)");
    FOrigem.Executar("insert into \"Notas \"\"A\"\"\" values (2, 50)");
    try {
        Copiar("select ID,\"valor\" from \"Notas \"\"A\"\"\"");
        FAIL() << "a cópia deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_NE(mensagem.find("Operation violates CHECK constraint"), std::string::npos)
            << mensagem;
        EXPECT_TRUE(mensagem.ends_with("\r\nTabela: Notas \"A\"\r\nChave primária: ID = 2"))
            << mensagem;
    }
}

// The server's text can quote the refused row's own values: a key that reads like the place of
// another row of the chunk does not mislead the search for the refused one.
TEST_F(CopiaTabelaTest, ChaveComTextoDeLocalNaoEnganaABusca)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table LOCAIS (K varchar(30) not null primary key)");
    for (const char* chave : {"a", "b", "At block line: 4, col: 1"})
        FOrigem.Executar(std::string("insert into LOCAIS values ('") + chave + "')");
    FDestino.Executar("insert into LOCAIS values ('At block line: 4, col: 1')");
    try {
        Copiar("select K from LOCAIS");
        FAIL() << "a cópia deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_TRUE(mensagem.ends_with("\r\nTabela: LOCAIS\r\nChave primária: K = 'At block "
                                       "line: 4, col: 1'"))
            << mensagem;
    }
}

// An attachment the server drops is let go by the copy that meets it, so the next copy attaches
// anew. The source's transaction is opened beforehand, so that the read is the first operation
// to meet the dropped attachment.
TEST_F(CopiaTabelaTest, AnexoDerrubadoEhLargadoPelaCopia)
{
    const std::string sql = "select EMPRESA,MAR_CODIGO,MAR_DESCRICAO from MARCAS";
    EXPECT_EQ(Copiar(sql), 3);
    FDestino.Executar("delete from MARCAS");
    FOrigem.IniciarTransacao();
    const std::int64_t anexo = Valor(FOrigem, "select current_connection from RDB$DATABASE");
    TConexao administrador;
    administrador.DefinirBanco(FBancoOrigem.Caminho());
    administrador.Executar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = " +
                           std::to_string(anexo));

    EXPECT_THROW(Copiar(sql), EBancoDados);
    EXPECT_FALSE(FOrigem.Conectado());
    EXPECT_EQ(Copiar(sql), 3);
}

// A side the server has dropped, and which never answers again once it has said so: the copy
// fails with the loss at once instead of waiting on that side, and the next copy attaches anew.
// The relay stands for such a server on the side under test; the side's transaction is opened
// beforehand, so that the copy's first operation on it meets the drop.
class LadoCaladoTest : public CopiaTabelaTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LadoCaladoTest, CopiaNaoEsperaPeloLadoQueSeCala)
{
    const bool origemCalada = GetParam();
    TRetransmissorTcp retransmissor(3050);
    TPerfilConexao calado;
    calado.Porta = std::to_string(retransmissor.Porta());
    TConexao origem(origemCalada ? calado : TPerfilConexao{});
    TConexao destino(origemCalada ? TPerfilConexao{} : calado);
    origem.DefinirBanco(FBancoOrigem.Caminho());
    destino.DefinirBanco(FBancoDestino.Caminho());
    TConexao& lado = origemCalada ? origem : destino;
    lado.IniciarTransacao();
    const std::int64_t anexo = Valor(lado, "select current_connection from RDB$DATABASE");
    TConexao administrador;
    administrador.DefinirBanco(lado.Banco());
    administrador.Executar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = " +
                           std::to_string(anexo));
    retransmissor.EmudecerAposResposta();

    TCopiaTabela copia(origem, destino);
    const std::string sql = "select EMPRESA,MAR_CODIGO,MAR_DESCRICAO from MARCAS";
    copia.Leitor().DefinirSQLLeitura(sql);
    copia.Escritor().DefinirSQLLeitura(sql);
    const TFalhaNoPrazo falha = FalharNoPrazo(retransmissor, [&copia] { copia.Executar(); });
    EXPECT_TRUE(falha.NoPrazo) << "a cópia esperou pelo lado calado";
    ASSERT_TRUE(falha.Erro.has_value());
    EXPECT_TRUE(falha.Erro->PerdaDeConexao()) << falha.Erro->what();
    EXPECT_FALSE(lado.Conectado());
    if (falha.NoPrazo) {
        EXPECT_EQ(copia.Executar(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Lados, LadoCaladoTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "origem" : "destino"; });

// Columns of a collation other than the character set's default (the server reports them with
// the collation in the high byte of the id) copy like any other, NULLs included.
TEST_F(CopiaTabelaTest, ColunasComColacaoChegamIguais)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table COLACAO (ID integer not null primary key, "
                          "NOME varchar(20) character set WIN1252 collate WIN_PTBR, "
                          "SIGLA char(3) character set WIN1252 collate WIN_PTBR, "
                          "NOTA blob sub_type text character set WIN1252)");
    FOrigem.Executar("insert into COLACAO values (1, 'Ação Ímpar', 'ÇÃO', 'nota ç')");
    FOrigem.Executar("insert into COLACAO values (2, null, null, null)");
    const std::string sql = "select ID,NOME,SIGLA,NOTA from COLACAO";
    EXPECT_EQ(Copiar(sql), 2);
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), Linhas(FOrigem, sql + " order by ID"));
}

// A blob of a sub_type of the application's own (negative) is carried byte for byte, whether it
// travels with its row, on its own or in segments.
TEST_F(CopiaTabelaTest, BlobDeSubTipoProprioChegaIgual)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table PROPRIO (ID integer not null primary key, "
                          "DADOS blob sub_type -1)");
    FOrigem.Executar(
        "execute block as declare dados blob sub_type binary; declare i integer = 0; begin "
        "insert into PROPRIO values (1, cast(x'00FF' as blob sub_type binary)); "
        "insert into PROPRIO values (2, cast(lpad('', 10000, x'01fe') as blob sub_type binary)); "
        "dados = x''; while (i < 10) do begin dados = dados || lpad('', 20000, x'00ff'); "
        "i = i + 1; end "
        "insert into PROPRIO values (3, :dados); "
        "insert into PROPRIO values (4, null); end");
    ASSERT_EQ(Valor(FOrigem, "select octet_length(DADOS) from PROPRIO where ID = 3"), 200000);
    const std::string sql = "select ID,DADOS from PROPRIO";
    EXPECT_EQ(Copiar(sql), 4);
    const std::string comparacao =
        "select ID, hash(DADOS), octet_length(DADOS) from PROPRIO order by ID";
    EXPECT_EQ(Linhas(FDestino, comparacao), Linhas(FOrigem, comparacao));
}

TEST_F(CopiaTabelaTest, BlobsDeOutroConjuntoDeCaracteresChegamIguais)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table NOTAS (ID integer, U blob sub_type text character set UTF8, "
                          "N blob sub_type text character set NONE)");
    FOrigem.Executar("insert into NOTAS values (1, 'ação € ñ', 'abc')");
    FOrigem.Executar("insert into NOTAS values (2, lpad('', 5000, 'ü'), null)");
    const std::string sql = "select ID,U,N from NOTAS";
    EXPECT_EQ(Copiar(sql), 2);
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), Linhas(FOrigem, sql + " order by ID"));
    EXPECT_EQ(Linhas(FDestino, "select U from NOTAS where ID = 1")[0][0], "ação € ñ");
}

TEST_F(CopiaTabelaTest, BlobsLongosELinhasLargasChegamInteiros)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table DOCUMENTOS (ID integer not null primary key, "
                          "TEXTO blob sub_type text, DADOS blob sub_type binary)");
    // Sizes around the point where a blob stops travelling as text, and two blobs that
    // together are too wide for one message.
    FOrigem.Executar(
        "execute block as declare texto blob sub_type text; declare dados blob sub_type binary; "
        "declare i integer = 0; begin "
        "texto = ''; dados = x''; "
        "while (i < 10) do begin texto = texto || lpad('', 30000, 'éf'); "
        "dados = dados || lpad('', 20000, x'00ff'); i = i + 1; end "
        "insert into DOCUMENTOS values (1, 'curto', x'00'); "
        "insert into DOCUMENTOS values (2, lpad('', 32765, 'á'), null); "
        "insert into DOCUMENTOS values (3, lpad('', 32766, 'b'), lpad('', 40000, 'c')); "
        "insert into DOCUMENTOS values (4, lpad('', 30000, 'd'), lpad('', 30000, 'e')); "
        "insert into DOCUMENTOS values (5, :texto, :dados); "
        "insert into DOCUMENTOS values (6, null, null); "
        "insert into DOCUMENTOS values (7, '', x''); end");
    const std::string sql = "select ID,TEXTO,DADOS from DOCUMENTOS";
    EXPECT_EQ(Copiar(sql), 7);
    const std::string comparacao = "select ID, hash(TEXTO), octet_length(TEXTO), hash(DADOS), "
                                   "octet_length(DADOS) from DOCUMENTOS order by ID";
    EXPECT_EQ(Linhas(FDestino, comparacao), Linhas(FOrigem, comparacao));
    EXPECT_EQ(Valor(FDestino, "select char_length(TEXTO) from DOCUMENTOS where ID = 5"), 300000);
}

// Texts as customers write them: none, empty, a few words, a few kilobytes, past 4,000 bytes,
// mixed row by row, so that chunks cut by bytes end at ever other row counts. Every row arrives
// once with its blobs byte for byte, and the table prepares statements of a few counts only.
TEST_F(CopiaTabelaTest, BlobsDeTamanhosVariadosPreparamPoucosComandos)
{
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar("create table TEXTOS (ID integer not null primary key, "
                          "NOTA blob sub_type text, DADOS blob sub_type binary)");
    FOrigem.Executar(
        "execute block as declare i integer = 1; declare tipo integer; declare n integer; "
        "begin while (i <= 3000) do begin "
        "tipo = mod(i * 37, 11); n = mod(i * 131, 3000); "
        "insert into TEXTOS values (:i, "
        "case when :tipo = 0 then null when :tipo = 1 then '' "
        "when :tipo < 6 then lpad('', mod(:n, 200), 'nota ' || :i) "
        "when :tipo < 9 then lpad('', 1000 + :n, 'ç') "
        "else lpad('', 4001 + 2 * :n, 'x' || :i) end, "
        "case when mod(:i, 5) = 0 then null when mod(:i, 7) = 0 then x'' "
        "else cast(lpad('', mod(:n, 700), x'00ff10') as varchar(700) character set octets) end); "
        "i = i + 1; end end");
    const std::string sql = "select ID,NOTA,DADOS from TEXTOS";
    EXPECT_EQ(Copiar(sql), 3000);

    const std::string conteudo = "select ID, octet_length(NOTA), NOTA, octet_length(DADOS), "
                                 "DADOS from TEXTOS order by ID";
    EXPECT_EQ(Linhas(FDestino, conteudo), Linhas(FOrigem, conteudo));
    EXPECT_EQ(Valor(FOrigem, "select count(*) from TEXTOS where octet_length(NOTA) > 4000"),
              Valor(FDestino, "select count(*) from TEXTOS where octet_length(NOTA) > 4000"));
    ASSERT_GT(Valor(FDestino, "select count(*) from TEXTOS where octet_length(NOTA) > 4000"), 0);
    ASSERT_GT(Valor(FDestino, "select count(*) from TEXTOS where NOTA = ''"), 0);

    const auto& contagens = FCopia.ContagensPreparadas();
    ASSERT_FALSE(contagens.empty());
    for (std::size_t linhas : contagens)
        EXPECT_TRUE(linhas % TEscritorTabela::GranuloLinhas == 0 ||
                    (linhas < TEscritorTabela::GranuloLinhas && (linhas & (linhas - 1)) == 0))
            << linhas;
    EXPECT_LE(contagens.size(),
              TEscritorTabela::MaxLinhasPedaco / TEscritorTabela::GranuloLinhas + 4);
}

} // namespace
