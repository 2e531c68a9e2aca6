#include "BancoTeste.h"
#include "Conexao.h"
#include "CopiaExterna.h"
#include "CopiaTabela.h"
#include "ErroBancoDados.h"
#include "LeituraTeste.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A row the destination refuses on the server's way, in the second batch of four: the failure
// names the table, the column where one applies, and the row's primary key, as on the client's
// way; the first batch stays.
struct TCasoRecusa {
    const char* Nome;
    const char* Destino; // the destination's table
    const char* TrechoServidor;
    const char* Local;
    // The source's table when it is not RECUSA (ID, NOME varchar(20), VALOR).
    const char* Origem = "create table RECUSA (ID integer not null primary key, "
                         "NOME varchar(20), VALOR integer)";
};

class RecusaServidorTest : public ::testing::TestWithParam<TCasoRecusa> {
protected:
    TBancoTeste FBancoOrigem{"recusa-origem", TBancoTeste::TConteudo::Vazio};
    TBancoTeste FBancoDestino{"recusa-destino", TBancoTeste::TConteudo::Vazio};
    TConexao FOrigem, FDestino;
    TCopiaTabela FCopia{FOrigem, FDestino};

    void SetUp() override
    {
        FOrigem.DefinirBanco(FBancoOrigem.Caminho());
        FDestino.DefinirBanco(FBancoDestino.Caminho());
    }
};

TEST_P(RecusaServidorTest, FalhaNomeiaTabelaColunaEChave)
{
    const TCasoRecusa& caso = GetParam();
    FOrigem.Executar(caso.Origem);
    FDestino.Executar(caso.Destino);
    FOrigem.Executar("execute block as declare i integer = 1; begin while (i <= 10) do begin "
                     "insert into RECUSA values (:i, 'nome ' || :i, :i); i = i + 1; end end");
    FOrigem.Executar("update RECUSA set NOME = 'um nome comprido', VALOR = 70 where ID = 7");
    FOrigem.Executar("update RECUSA set NOME = null where ID = 6");
    const std::string sql = "select ID,NOME,VALOR from RECUSA";
    FCopia.Leitor().DefinirSQLLeitura(sql);
    FCopia.Escritor().DefinirSQLLeitura(sql);
    TCopiaExterna externa(FCopia);
    externa.DefinirLinhasPorLote(4);
    try {
        externa.Executar();
        FAIL() << "a cópia deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_EQ(mensagem.rfind(EBancoDados::Prefixo, 0), 0u) << mensagem;
        EXPECT_NE(mensagem.find(caso.TrechoServidor), std::string::npos) << mensagem;
        EXPECT_TRUE(mensagem.ends_with(caso.Local)) << mensagem;
        EXPECT_EQ(mensagem.find("  "), std::string::npos) << mensagem;
    }
    EXPECT_EQ(externa.Caminho(), TCaminhoCopia::Servidor) << externa.MotivoCliente();
    EXPECT_EQ(Valor(FDestino, "select count(*) from RECUSA"), 4);
    EXPECT_FALSE(FDestino.EmTransacao());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RecusaServidorTest,
    ::testing::Values(
        TCasoRecusa{"texto_longo",
                    "create table RECUSA (ID integer not null primary key, NOME varchar(10), "
                    "VALOR integer)",
                    "string right truncation",
                    "\r\nTabela: RECUSA\r\nColuna: NOME (16 caracteres; o destino comporta "
                    "10)\r\nChave primária: ID = 7"},
        TCasoRecusa{"nulo_proibido",
                    "create table RECUSA (ID integer not null primary key, NOME varchar(20) not "
                    "null, VALOR integer)",
                    "validation error for column",
                    "\r\nTabela: RECUSA\r\nColuna: NOME\r\nChave primária: ID = 6"},
        TCasoRecusa{"verificacao",
                    "create table RECUSA (ID integer not null primary key, NOME varchar(20), "
                    "VALOR integer, constraint VALOR_PEQUENO check (VALOR < 50))",
                    "Operation violates CHECK constraint VALOR_PEQUENO",
                    "\r\nTabela: RECUSA\r\nChave primária: ID = 7"},
        // A blob column the destination refuses a NULL in: the diagnosis reads the source's
        // blob as it is declared there.
        TCasoRecusa{"blob_nulo_proibido",
                    "create table RECUSA (ID integer not null primary key, "
                    "NOME blob sub_type text not null, VALOR integer)",
                    "validation error for column",
                    "\r\nTabela: RECUSA\r\nColuna: NOME\r\nChave primária: ID = 6",
                    "create table RECUSA (ID integer not null primary key, "
                    "NOME blob sub_type text character set UTF8, VALOR integer)"}),
    [](const auto& info) { return std::string(info.param.Nome); });

} // namespace
