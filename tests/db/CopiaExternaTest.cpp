#include "BancoTeste.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "LeituraTeste.h"
#include "CopiaExterna.h"
#include "CopiaTabela.h"
#include "ErroBancoDados.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Both ways of copying a table, each with the same source and destination: the client's way
// through the row copy alone, the server's way through the external read, which must then be
// the way taken.
class CopiaExternaTest : public ::testing::Test {
protected:
    TBancoTeste FBancoOrigem{"externa-origem", TBancoTeste::TConteudo::Aplicacao};
    TBancoTeste FBancoDestino{"externa-destino", TBancoTeste::TConteudo::Esquema};
    TConexao FOrigem, FDestino;
    TCopiaTabela FCopia{FOrigem, FDestino};
    TCancelamento FCancelamento;
    std::vector<std::int64_t> FAvisos;

    void SetUp() override
    {
        FOrigem.DefinirBanco(FBancoOrigem.Caminho());
        FDestino.DefinirBanco(FBancoDestino.Caminho());
        FCopia.DefinirCancelamento(&FCancelamento);
    }

    std::int64_t Copiar(TCaminhoCopia caminho, const std::string& sql)
    {
        FCopia.Leitor().DefinirSQLLeitura(sql);
        FCopia.Escritor().DefinirSQLLeitura(sql);
        auto avisar = [this](std::int64_t n) { FAvisos.push_back(n); };
        if (caminho == TCaminhoCopia::Cliente) {
            FCopia.DefinirObservadorProgresso(avisar);
            return FCopia.Executar();
        }
        TCopiaExterna externa(FCopia);
        externa.DefinirObservadorProgresso(avisar);
        externa.DefinirCancelamento(&FCancelamento);
        struct TConferir {
            TCopiaExterna& Externa;
            ~TConferir()
            {
                EXPECT_EQ(Externa.Caminho(), TCaminhoCopia::Servidor) << Externa.MotivoCliente();
            }
        } conferir{externa};
        return externa.Executar();
    }

    void Executar(const std::string& script)
    {
        ExecutarIsql(FBancoOrigem.Caminho(), script);
        ExecutarIsql(FBancoDestino.Caminho(), script);
    }

    // A destination that records the transaction of every row inserted into a table, so that
    // the commit boundaries can be read back afterwards.
    void RegistrarTransacoes(const std::string& tabela)
    {
        FDestino.Executar("create table TRANSACOES (TX bigint)");
        FDestino.Executar("create trigger " + tabela + "_TX for " + tabela +
                          " after insert as begin insert into TRANSACOES values "
                          "(current_transaction); end");
    }

    // How many rows each destination transaction wrote, in order.
    std::vector<std::int64_t> Lotes()
    {
        std::vector<std::int64_t> lotes;
        for (const auto& linha :
             Linhas(FDestino, "select count(*) from TRANSACOES group by TX order by TX"))
            lotes.push_back(std::stoll(linha[0]));
        return lotes;
    }

    void CriarTabelaNumerada(int linhas)
    {
        for (TConexao* conexao : {&FOrigem, &FDestino})
            conexao->Executar("create table NUMERADA (ID integer not null primary key, "
                              "NOME varchar(40))");
        RegistrarTransacoes("NUMERADA");
        FOrigem.Executar("execute block as declare i integer = 1; begin while (i <= " +
                         std::to_string(linhas) + ") do begin insert into NUMERADA values "
                         "(:i, 'linha ' || :i); i = i + 1; end end");
    }
};

// The tables of every kind of value the copy carries: each type unchanged, types that the
// destination declares otherwise than the source (converted as an insert converts them),
// character sets, NULLs, an identity column, and columns the select leaves out.
struct TCasoTipos {
    const char* Nome;
    const char* Script; // run on both databases
    const char* Origem; // run on the source only
    const char* Destino; // run on the destination only
    const char* Select;
    const char* Conferencia; // every row of the destination, in a fixed order
};

class TiposTest : public CopiaExternaTest, public ::testing::WithParamInterface<TCasoTipos> {};

TEST_P(TiposTest, OsDoisCaminhosDeixamOMesmoDestino)
{
    const TCasoTipos& caso = GetParam();
    if (*caso.Script)
        Executar(caso.Script);
    if (*caso.Origem)
        ExecutarIsql(FBancoOrigem.Caminho(), caso.Origem);
    if (*caso.Destino)
        ExecutarIsql(FBancoDestino.Caminho(), caso.Destino);
    const auto linhas = Valor(FOrigem, std::string("select count(*) from (") + caso.Select + ")");
    ASSERT_GT(linhas, 0);

    EXPECT_EQ(Copiar(TCaminhoCopia::Cliente, caso.Select), linhas);
    const TLinhas peloCliente = Linhas(FDestino, caso.Conferencia);
    FDestino.Executar(std::string("delete from ") +
                      (std::strstr(caso.Select, " from ") + 6));
    EXPECT_EQ(Copiar(TCaminhoCopia::Servidor, caso.Select), linhas);
    EXPECT_EQ(Linhas(FDestino, caso.Conferencia), peloCliente);
    EXPECT_EQ(static_cast<std::int64_t>(peloCliente.size()), linhas);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TiposTest,
    ::testing::Values(
        TCasoTipos{"todos_os_tipos", "", "", "",
                   "select ID,C_SMALLINT,C_INTEGER,C_BIGINT,C_NUMERIC_4_2,C_NUMERIC_9_3,"
                   "C_NUMERIC_18_4,C_DECIMAL_10_0,C_FLOAT,C_DOUBLE,C_DATE,C_TIME,C_TIMESTAMP,"
                   "C_CHAR,C_VARCHAR,C_OCTETS,C_BOOLEAN from TIPOS_DADOS",
                   "select T.*, octet_length(C_CHAR), hash(C_OCTETS) from TIPOS_DADOS T "
                   "order by ID"},
        TCasoTipos{"identidade", "", "", "", "select ID,DESCRICAO,OCORRIDO_EM from EVENTOS",
                   "select * from EVENTOS order by ID"},
        TCasoTipos{
            "conversoes", "",
            "create table CONV (ID integer not null primary key, A smallint, "
            "B varchar(10) character set UTF8, C numeric(9,2), D char(3), "
            "E varchar(10) character set NONE, F date, G integer, H varchar(12));\n"
            "insert into CONV values (1, -32768, 'ação € ñ', -1234567.89, 'ab', 'çé', "
            "'2024-02-29', 2147483647, '2024-03-01');\n"
            "insert into CONV values (2, null, null, null, null, null, null, null, null);\n"
            "insert into CONV values (3, 7, '', 0.01, 'xyz', '', '0001-01-01', -1, "
            "'17:30:15');\n",
            "create table CONV (ID bigint not null primary key, A integer, "
            "B varchar(20) character set WIN1252, C numeric(15,4), D char(5), "
            "E varchar(10) character set NONE, F timestamp, G double precision, "
            "H varchar(12) character set ISO8859_1, DOBRO computed by (ID * 2), "
            "COD_ATUALIZACAO integer);\n",
            "select ID,A,B,C,D,E,F,G,H from CONV",
            "select C.*, octet_length(D), hash(E) from CONV C order by ID"},
        TCasoTipos{"chave_de_texto_e_data",
                   "create table AGENDA (NOME varchar(20) character set WIN1252 not null, "
                   "DIA date not null, HORA time, primary key (NOME, DIA));\n",
                   "insert into AGENDA values ('Ângela', '2024-01-02', '08:00');\n"
                   "insert into AGENDA values ('angela', '2024-01-01', null);\n"
                   "insert into AGENDA values ('Zé', '2023-12-31', '23:59:59.9999');\n"
                   "insert into AGENDA values ('Ângela', '2024-01-01', '00:00');\n",
                   "", "select NOME,DIA,HORA from AGENDA",
                   "select * from AGENDA order by NOME, DIA"},
        // Blobs of every sub_type and size: each byte of a binary one, text the destination
        // keeps in another character set, empty and NULL ones, and one of 100 kB that the
        // server reads in many segments.
        TCasoTipos{
            "blobs", "",
            "create table NOTAS (ID integer not null primary key, "
            "T blob sub_type text character set WIN1252, U blob sub_type text character set UTF8, "
            "N blob sub_type text character set NONE, B blob sub_type binary, TITULO varchar(20));\n"
            "set term ^;\n"
            "execute block as\n"
            "declare b blob sub_type binary = '';\n"
            "declare t blob sub_type text character set WIN1252 = '';\n"
            "declare i integer = 0;\n"
            "begin\n"
            "while (i < 256) do begin b = b || ascii_char(i); i = i + 1; end\n"
            "insert into NOTAS values (1, 'Observação: ação', 'ação € ñ œ', 'çé', :b, 'um');\n"
            "insert into NOTAS (ID) values (2);\n"
            "insert into NOTAS values (3, '', '', '', '', '');\n"
            "i = 0;\n"
            "while (i < 100) do begin t = t || rpad(i || ' ', 1000, 'xyzâ'); i = i + 1; end\n"
            "insert into NOTAS values (4, :t, :t, :t, :t, 'grande');\n"
            "end^\n"
            "set term ;^\n",
            "create table NOTAS (ID integer not null primary key, "
            "T blob sub_type text character set UTF8, U blob sub_type text character set UTF8, "
            "N blob sub_type text character set NONE, B blob sub_type binary, TITULO varchar(20));\n",
            "select ID,T,U,N,B,TITULO from NOTAS",
            "select ID, hash(T), octet_length(T), char_length(T), hash(U), octet_length(U), "
            "hash(N), octet_length(N), hash(B), octet_length(B), TITULO from NOTAS order by ID"},
        // Names that must be quoted, one with a quote inside the external read's text.
        TCasoTipos{"nomes_entre_aspas",
                   "create table \"Pedido d'Água\" (\"Id\" integer not null primary key, "
                   "\"ORDER\" varchar(10), \"com espaço\" integer);\n",
                   "insert into \"Pedido d'Água\" values (1, 'a''b', 2);\n"
                   "insert into \"Pedido d'Água\" values (2, null, null);\n",
                   "", "select \"Id\",\"ORDER\",\"com espaço\" from \"Pedido d'Água\"",
                   "select * from \"Pedido d'Água\" order by 1"}),
    [](const auto& info) { return std::string(info.param.Nome); });

// The client's way has the same cases in CopiaTabelaTest.
struct TCasoLotes {
    int Linhas;
    std::vector<std::int64_t> Lotes;
};

class LotesTest : public CopiaExternaTest, public ::testing::WithParamInterface<TCasoLotes> {};

TEST_P(LotesTest, ConfirmaACada10000Linhas)
{
    const TCasoLotes& caso = GetParam();
    CriarTabelaNumerada(caso.Linhas);
    const std::string sql = "select ID,NOME from NUMERADA";
    EXPECT_EQ(Copiar(TCaminhoCopia::Servidor, sql), caso.Linhas);
    EXPECT_EQ(Lotes(), caso.Lotes);
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), Linhas(FOrigem, sql + " order by ID"));
    std::vector<std::int64_t> avisos;
    for (std::size_t i = 1; i <= caso.Lotes.size(); ++i)
        avisos.push_back(std::min<std::int64_t>(caso.Linhas, static_cast<std::int64_t>(i) *
                                                                 TCopiaExterna::LinhasPorLote));
    if (caso.Linhas % TCopiaExterna::LinhasPorLote == 0)
        avisos.push_back(caso.Linhas); // the empty read that finds the end
    EXPECT_EQ(FAvisos, avisos);
    EXPECT_FALSE(FDestino.EmTransacao());
}

INSTANTIATE_TEST_SUITE_P(Casos, LotesTest,
                         ::testing::Values(TCasoLotes{0, {}}, TCasoLotes{10000, {10000}},
                                           TCasoLotes{10001, {10000, 1}},
                                           TCasoLotes{25000, {10000, 10000, 5000}}),
                         [](const auto& info) { return std::to_string(info.param.Linhas); });

// A row that breaks the destination's key at position 15000 of 30000: the first batch stays
// committed, everything written since is undone, and the copy fails with the server's message
// in the layer's format.
TEST_F(CopiaExternaTest, FalhaNoMeioGuardaSoOsLotesConfirmados)
{
    CriarTabelaNumerada(30000);
    FDestino.Executar("alter trigger NUMERADA_TX inactive");
    FDestino.Executar("insert into NUMERADA (ID, NOME) values (15000, 'já estava')");
    try {
        Copiar(TCaminhoCopia::Servidor, "select ID,NOME from NUMERADA");
        FAIL() << "a cópia deveria falhar";
    } catch (const EBancoDados& erro) {
        EXPECT_EQ(std::string(erro.what()).rfind(EBancoDados::Prefixo, 0), 0u) << erro.what();
        EXPECT_NE(std::string(erro.what()).find("violation of PRIMARY or UNIQUE KEY"),
                  std::string::npos)
            << erro.what();
    }
    EXPECT_FALSE(FDestino.EmTransacao());
    EXPECT_EQ(Valor(FDestino, "select count(*) from NUMERADA"), 10001);
    EXPECT_EQ(Valor(FDestino, "select max(ID) from NUMERADA where ID <> 15000"), 10000);
    EXPECT_EQ(FAvisos, (std::vector<std::int64_t>{10000}));
}

// Keys of two and three columns whose groups end inside batches and span them: every row
// arrives once, in batches of the first 10000 rows in key order, the next 10000, and the rest.
class ChaveCompostaTest : public CopiaExternaTest, public ::testing::WithParamInterface<int> {
protected:
    std::string FSelect;
    std::string FOrdem;

    void SetUp() override
    {
        CopiaExternaTest::SetUp();
        const bool tres = GetParam() == 3;
        FOrdem = tres ? "A,B,C" : "A,B";
        for (TConexao* conexao : {&FOrigem, &FDestino})
            conexao->Executar(std::string("create table COMPOSTA (A smallint not null, B integer "
                                          "not null, C integer not null, NOME varchar(20), "
                                          "primary key (") + FOrdem + "))");
        // Groups of A hold 12000 rows; within them B runs backwards (two columns) or takes
        // three values (three columns), so key order is not the order of insertion.
        FOrigem.Executar(std::string("execute block as declare i integer = 0; begin while (i < "
                                     "25000) do begin insert into COMPOSTA values (:i / 12000, ") +
                         (tres ? "mod(:i, 3)" : "-:i") + ", :i, 'n' || :i); i = i + 1; end end");
        FSelect = "select A,B,C,NOME from COMPOSTA";
    }
};

TEST_P(ChaveCompostaTest, CopiaEmLotesNaOrdemDaChave)
{
    RegistrarTransacoes("COMPOSTA");
    EXPECT_EQ(Copiar(TCaminhoCopia::Servidor, FSelect), 25000);
    EXPECT_EQ(Lotes(), (std::vector<std::int64_t>{10000, 10000, 5000}));
    EXPECT_EQ(Linhas(FDestino, FSelect + " order by " + FOrdem),
              Linhas(FOrigem, FSelect + " order by " + FOrdem));
}

TEST_P(ChaveCompostaTest, FalhaGuardaOsPrimeiros10000NaOrdemDaChave)
{
    const std::string decimaQuintaMilesima =
        FSelect + " order by " + FOrdem + " rows 15000 to 15000";
    const auto linha = Linhas(FOrigem, decimaQuintaMilesima)[0];
    FDestino.Executar("insert into COMPOSTA values (" + linha[0] + ", " + linha[1] + ", " +
                      linha[2] + ", 'já estava')");
    EXPECT_THROW(Copiar(TCaminhoCopia::Servidor, FSelect), EBancoDados);
    EXPECT_EQ(Linhas(FDestino, FSelect + " where NOME <> 'já estava' order by " + FOrdem),
              Linhas(FOrigem, FSelect + " order by " + FOrdem + " rows 10000"));
}

INSTANTIATE_TEST_SUITE_P(Colunas, ChaveCompostaTest, ::testing::Values(2, 3));

TEST_F(CopiaExternaTest, ParadaPedidaEntreLotesGuardaOsLotesConfirmados)
{
    CriarTabelaNumerada(25000);
    FCopia.Leitor().DefinirSQLLeitura("select ID,NOME from NUMERADA");
    FCopia.Escritor().DefinirSQLLeitura("select ID,NOME from NUMERADA");
    TCopiaExterna externa(FCopia);
    externa.DefinirCancelamento(&FCancelamento);
    externa.DefinirObservadorProgresso([this](std::int64_t) { FCancelamento.Solicitar(); });
    EXPECT_THROW(externa.Executar(), EOperacaoCancelada);
    EXPECT_EQ(externa.Caminho(), TCaminhoCopia::Servidor);
    EXPECT_EQ(Lotes(), (std::vector<std::int64_t>{10000}));
    EXPECT_FALSE(FDestino.EmTransacao());
}

// A destination whose attachment is lost, before the table or between its batches, is a
// failure, never a table quietly sent the client's way on an attachment made anew: the
// batches committed before it stay, nothing after them is written.
class ConexaoPerdidaTest : public CopiaExternaTest, public ::testing::WithParamInterface<bool> {
protected:
    void Derrubar()
    {
        TConexao administrador;
        administrador.DefinirBanco(FBancoDestino.Caminho());
        administrador.Executar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> "
                               "current_connection and coalesce(MON$SYSTEM_FLAG, 0) = 0");
    }
};

TEST_P(ConexaoPerdidaTest, DestinoPerdidoFalha)
{
    const bool entreLotes = GetParam();
    CriarTabelaNumerada(25000);
    FCopia.Leitor().DefinirSQLLeitura("select ID,NOME from NUMERADA");
    FCopia.Escritor().DefinirSQLLeitura("select ID,NOME from NUMERADA");
    ASSERT_EQ(Valor(FDestino, "select count(*) from NUMERADA"), 0);
    TCopiaExterna externa(FCopia);
    externa.DefinirLeituraExterna(TLeituraExterna{FBancoOrigem.Caminho(), true});
    if (entreLotes)
        externa.DefinirObservadorProgresso([this](std::int64_t) { Derrubar(); });
    else
        Derrubar();
    EXPECT_THROW(externa.Executar(), EBancoDados);
    EXPECT_EQ(Valor(FDestino, "select count(*) from NUMERADA"), entreLotes ? 10000 : 0);
}

INSTANTIATE_TEST_SUITE_P(Momentos, ConexaoPerdidaTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "entre_lotes" : "antes"; });

// Tables the destination's server does not pull go the client's way, and arrive whole.
struct TCasoCliente {
    const char* Nome;
    const char* Tabela;
    const char* Select;
    const char* SenhaExterna; // the password the destination's server presents; empty: the right one
    // The port the destination's server is told; empty: none, as the source connection has.
    // Named, the server is no longer taken for the destination's own and reads the source
    // through the network.
    const char* PortaExterna = "";
};

class CaminhoClienteTest : public CopiaExternaTest,
                           public ::testing::WithParamInterface<TCasoCliente> {};

TEST_P(CaminhoClienteTest, CopiaPeloCliente)
{
    const TCasoCliente& caso = GetParam();
    for (TConexao* conexao : {&FOrigem, &FDestino})
        conexao->Executar(caso.Tabela);
    FOrigem.Executar("execute block as declare i integer = 1; begin while (i <= 20) do begin "
                     "insert into CLIENTE values (:i, 'nota ' || :i); i = i + 1; end end");
    const std::string sql = caso.Select;
    FCopia.Leitor().DefinirSQLLeitura(sql);
    FCopia.Escritor().DefinirSQLLeitura(sql);
    std::optional<TPerfilConexao> perfil;
    if (*caso.SenhaExterna || *caso.PortaExterna) {
        perfil = FOrigem.Perfil();
        if (*caso.SenhaExterna)
            perfil->Senha = caso.SenhaExterna;
        perfil->Porta = caso.PortaExterna;
    }
    TCopiaExterna externa(FCopia, perfil);
    EXPECT_EQ(externa.Executar(), Valor(FOrigem, "select count(*) from (" + sql + ")"));
    EXPECT_EQ(externa.Caminho(), TCaminhoCopia::Cliente);
    EXPECT_FALSE(externa.MotivoCliente().empty());
    if (*caso.SenhaExterna) {
        EXPECT_EQ(externa.MotivoCliente().find(caso.SenhaExterna), std::string::npos)
            << externa.MotivoCliente();
    }
    EXPECT_EQ(Linhas(FDestino, sql + " order by ID"), Linhas(FOrigem, sql + " order by ID"));
    EXPECT_FALSE(FDestino.EmTransacao());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, CaminhoClienteTest,
    ::testing::Values(
        TCasoCliente{"com_blob_pela_rede",
                     "create table CLIENTE (ID integer not null primary key, "
                     "NOTA blob sub_type text)",
                     "select ID,NOTA from CLIENTE", "", "3050"},
        TCasoCliente{"sem_chave_primaria", "create table CLIENTE (ID integer, NOTA varchar(20))",
                     "select ID,NOTA from CLIENTE", ""},
        TCasoCliente{"chave_primaria_descendente",
                     "create table CLIENTE (ID integer not null, NOTA varchar(20), "
                     "primary key (ID) using descending index CLIENTE_DESC)",
                     "select ID,NOTA from CLIENTE", ""},
        TCasoCliente{"leitura_com_condicao",
                     "create table CLIENTE (ID integer not null primary key, NOTA varchar(20))",
                     "select ID,NOTA from CLIENTE where ID > 12", ""},
        TCasoCliente{"leitura_externa_recusada",
                     "create table CLIENTE (ID integer not null primary key, NOTA varchar(20))",
                     "select ID,NOTA from CLIENTE", "senha-errada-7f3a"}),
    [](const auto& info) { return std::string(info.param.Nome); });

} // namespace
