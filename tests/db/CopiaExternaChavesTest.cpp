#include "BancoTeste.h"
#include "Conexao.h"
#include "CopiaExterna.h"
#include "CopiaTabela.h"
#include "ErroBancoDados.h"
#include "LeituraTeste.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// Batches of four rows: the fourteen rows of each case cross three batch boundaries.
constexpr int LinhasPorLote = 4;
constexpr int TotalLinhas = 14;

// One kind of primary key. The columns of the key come first; the source fills them, for row
// :i of 1..14, with the given expressions. Values are chosen so that the order of the key's
// collation is not the order of the rows' insertion, nor the order of their bytes.
struct TCasoChave {
    const char* Nome;
    const char* ColunasOrigem;  // the key's columns on the source
    const char* ColunasDestino; // on the destination; empty: the same
    const char* Chave;
    const char* Valores;
    // The destination converts the key (a smaller scale): it must hold what the client's way
    // writes, not the source's values.
    bool Convertida = false;
};

// A letter whose case and accent change its place in byte order but not in a case- and
// accent-insensitive one, followed by the row number.
#define LETRA_E_NUMERO "substring('aBáCédÊfÇh' from mod(:i * 7, 10) + 1 for 1) || lpad(:i, 2, '0')"

class ChavesLotesTest
    : public ::testing::TestWithParam<std::tuple<TCasoChave, bool /*destino com chave*/>> {
protected:
    TBancoTeste FBancoOrigem{"chaves-origem", TBancoTeste::TConteudo::Vazio};
    TBancoTeste FBancoDestino{"chaves-destino", TBancoTeste::TConteudo::Vazio};
    TConexao FOrigem, FDestino;
    TCopiaTabela FCopia{FOrigem, FDestino};

    void SetUp() override
    {
        FOrigem.DefinirBanco(FBancoOrigem.Caminho());
        FDestino.DefinirBanco(FBancoDestino.Caminho());
    }
};

TEST_P(ChavesLotesTest, CadaLinhaChegaUmaVez)
{
    const auto& [caso, destinoComChave] = GetParam();
    const std::string chave = std::string(", primary key (") + caso.Chave + ")";
    FOrigem.Executar(std::string("create table CHAVES (") + caso.ColunasOrigem +
                     ", NOME varchar(20)" + chave + ")");
    FDestino.Executar(std::string("create table CHAVES (") +
                      (*caso.ColunasDestino ? caso.ColunasDestino : caso.ColunasOrigem) +
                      ", NOME varchar(20)" + (destinoComChave ? chave : "") + ")");
    FOrigem.Executar("execute block as declare i integer = 1; begin while (i <= " +
                     std::to_string(TotalLinhas) + ") do begin insert into CHAVES values (" +
                     caso.Valores + ", 'linha ' || :i); i = i + 1; end end");

    const std::string sql = "select * from CHAVES order by NOME";
    TLinhas esperadas = Linhas(FOrigem, sql);
    const std::string select = [&] {
        std::string colunas;
        for (const auto& nome : Linhas(FDestino, "select trim(RDB$FIELD_NAME) from "
                                                 "RDB$RELATION_FIELDS where RDB$RELATION_NAME "
                                                 "= 'CHAVES' order by RDB$FIELD_POSITION"))
            colunas += (colunas.empty() ? "" : ",") + nome[0];
        return "select " + colunas + " from CHAVES";
    }();
    FCopia.Leitor().DefinirSQLLeitura(select);
    FCopia.Escritor().DefinirSQLLeitura(select);
    if (caso.Convertida) {
        ASSERT_EQ(FCopia.Executar(), TotalLinhas);
        esperadas = Linhas(FDestino, sql);
        FDestino.Executar("delete from CHAVES");
    }

    TCopiaExterna externa(FCopia);
    externa.DefinirLinhasPorLote(LinhasPorLote);
    EXPECT_EQ(externa.Executar(), TotalLinhas);
    EXPECT_EQ(externa.Caminho(), TCaminhoCopia::Servidor) << externa.MotivoCliente();
    EXPECT_EQ(Linhas(FDestino, sql), esperadas);
    EXPECT_FALSE(FDestino.EmTransacao());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ChavesLotesTest,
    ::testing::Combine(
        ::testing::Values(
            TCasoChave{"inteiro", "K integer not null", "", "K", ":i * 7 - 50"},
            TCasoChave{"varchar_cheio", "K varchar(6) not null", "", "K", "lpad(:i, 6, '0')"},
            TCasoChave{"varchar_com_brancos_no_fim", "K varchar(8) not null", "", "K",
                       "rpad('k' || mod(:i * 5, 14), 8)"},
            TCasoChave{"char", "K char(5) not null", "", "K", "'c' || mod(:i * 5, 14)"},
            TCasoChave{"char_cheio", "K char(3) not null", "", "K", "lpad(mod(:i * 5, 14), 3, '0')"},
            TCasoChave{"utf8_cheio", "K varchar(4) character set UTF8 not null", "", "K",
                       "substring('ãéçõüÁÊÇ' from mod(:i * 3, 7) + 1 for 2) || lpad(:i, 2, '0')"},
            TCasoChave{"win_ptbr", "K varchar(10) character set WIN1252 not null collate WIN_PTBR",
                       "", "K", LETRA_E_NUMERO},
            TCasoChave{"unicode_ci_ai",
                       "K varchar(10) character set UTF8 not null collate UNICODE_CI_AI", "", "K",
                       LETRA_E_NUMERO},
            TCasoChave{"origem_binaria_destino_ptbr",
                       "K varchar(10) character set WIN1252 not null",
                       "K varchar(10) character set WIN1252 not null collate WIN_PTBR", "K",
                       LETRA_E_NUMERO},
            TCasoChave{"origem_ptbr_destino_binaria",
                       "K varchar(10) character set WIN1252 not null collate WIN_PTBR",
                       "K char(12) character set WIN1252 not null", "K", LETRA_E_NUMERO},
            TCasoChave{"numerica", "K numeric(15,4) not null", "", "K", ":i * 1.2345 - 3"},
            TCasoChave{"numerica_com_menos_casas_no_destino", "K numeric(15,4) not null",
                       "K numeric(15,2) not null", "K", ":i * 1.2345 - 3", true},
            TCasoChave{"data", "K date not null", "", "K",
                       "dateadd(mod(:i * 5, 14) * 37 day to date '1999-12-20')"},
            TCasoChave{"timestamp", "K timestamp not null", "", "K",
                       "dateadd(mod(:i * 5, 14) * 1500 millisecond to timestamp "
                       "'2024-02-29 23:59:59.9')"},
            TCasoChave{"varchar_cheio_e_inteiro", "A varchar(6) not null, B integer not null", "",
                       "A,B", "lpad(:i / 3, 6, '0'), -:i"},
            TCasoChave{"texto_data_e_numero",
                       "A varchar(3) character set WIN1252 not null collate WIN_PTBR, "
                       "B date not null, C numeric(9,2) not null",
                       "", "A,B,C",
                       "substring('aBá' from mod(:i / 5, 3) + 1 for 1), "
                       "dateadd(mod(:i, 2) day to date '2024-01-01'), :i * 0.5"}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).Nome) +
               (std::get<1>(info.param) ? "_destino_com_chave" : "_destino_sem_chave");
    });

} // namespace
