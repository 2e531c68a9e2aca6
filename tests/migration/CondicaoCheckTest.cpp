#include "CondicaoCheck.h"

#include <gtest/gtest.h>

namespace {

// A source as the server keeps it, the value VALUE stands for (a domain's), and the condition
// the check puts into its statement; nothing when there is none to read.
struct TCasoCondicao {
    const char* Nome;
    std::string Fonte;
    std::string Valor;
    std::optional<std::string> Condicao;
};

std::ostream& operator<<(std::ostream& saida, const TCasoCondicao& caso)
{
    return saida << caso.Nome;
}

class CondicaoCheckTest : public testing::TestWithParam<TCasoCondicao> {};

TEST_P(CondicaoCheckTest, CondicaoComoODeclarou)
{
    const TCasoCondicao& caso = GetParam();
    EXPECT_EQ(CondicaoCheck(caso.Fonte, caso.Valor), caso.Condicao);
}

INSTANTIATE_TEST_SUITE_P(
    Fontes, CondicaoCheckTest,
    testing::Values(
        TCasoCondicao{"Simples", "CHECK (X >= 0)", {}, "X >= 0"},
        TCasoCondicao{"ComentarioAntes", "/* limite */ check (X >= 0)", {}, "X >= 0"},
        TCasoCondicao{"LinhaDeComentarioAntes", "-- check (Y > 0)\ncheck (X >= 0)", {},
                      "X >= 0"},
        // A comment ending in the condition's last line would swallow what follows it.
        TCasoCondicao{"ComentariosDentro",
                      "check /* (dentro */ (X < 1000 -- teto)\n  and /* ) */ X > 0)", {},
                      "X < 1000  \n  and   X > 0"},
        TCasoCondicao{"ParentesesAninhados", "check ((X > 0) and (Y in (1, 2)))", {},
                      "(X > 0) and (Y in (1, 2))"},
        TCasoCondicao{"TextosComParentesesEAPalavra",
                      "check (S <> 'a)b' and S <> 'CHECK (' and S <> 'it''s)')", {},
                      "S <> 'a)b' and S <> 'CHECK (' and S <> 'it''s)'"},
        TCasoCondicao{"TextoQ", "check (S <> q'{a)'b}')", {}, "S <> q'{a)'b}'"},
        TCasoCondicao{"NomeEntreAspas", "check (\"VALUE)\" > 0)", "T.X", "\"VALUE)\" > 0"},
        TCasoCondicao{"QuebrasDeLinha", "check\r\n(\r\nX\r\n<>\r\n13\r\n)", {},
                      "\r\nX\r\n<>\r\n13\r\n"},
        TCasoCondicao{"ValueDoDominio", "/* dominio */ check (value > 0 and VALUE <> 7)",
                      "T.X", "T.X > 0 and T.X <> 7"},
        TCasoCondicao{"ValueSemDominio", "check (VALUE_MAX > VALUE)", {},
                      "VALUE_MAX > VALUE"},
        // WIN1252 holds 'Ação', not Cyrillic: that string goes as UTF-8 bytes, its introducer
        // dropped; a comment never reaches the statement.
        TCasoCondicao{"TextosForaDoWin1252",
                      "check (S in ('Ação', _WIN1251'Да', 'Нет') /* Привет */)", {},
                      "S in ('Ação', cast(x'D094D0B0' as char(2) character set UTF8), "
                      "cast(x'D09DD0B5D182' as char(3) character set UTF8))  "},
        TCasoCondicao{"SemCheck", "X >= 0", {}, std::nullopt},
        TCasoCondicao{"CheckEmComentario", "/* check (X) */", {}, std::nullopt},
        TCasoCondicao{"SemFechar", "check (X >= (0)", {}, std::nullopt}),
    [](const testing::TestParamInfo<TCasoCondicao>& info) { return info.param.Nome; });

} // namespace
