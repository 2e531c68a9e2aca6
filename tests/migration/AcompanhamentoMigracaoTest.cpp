#include "AcompanhamentoMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <langinfo.h>
#include <locale.h>

namespace {

TEST(AcompanhamentoMigracaoTest, BarraNuncaPassaDoMaximo)
{
    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    acompanhamento.Reiniciar(TBarra::Total, 11);
    for (int i = 0; i < 12; ++i)
        acompanhamento.Avancar(TBarra::Total);
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Total), 11);
    EXPECT_EQ(relatorio.Posicao[0], 11);

    acompanhamento.DefinirPosicao(TBarra::Atual, 7);
    acompanhamento.DefinirMaximo(TBarra::Atual, 3);
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Atual), 3);
    EXPECT_EQ(relatorio.Posicao[1], 3);
    acompanhamento.DefinirPosicao(TBarra::Atual, 9);
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Atual), 3);

    // A step over nothing: the bar is empty and full at once, and stays so.
    acompanhamento.Reiniciar(TBarra::Atual, 0);
    acompanhamento.Avancar(TBarra::Atual);
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Atual), 0);
    EXPECT_EQ(acompanhamento.Maximo(TBarra::Atual), 0);
    EXPECT_FALSE(relatorio.PassouDoMaximo);
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Total), 11);
}

// The user's long time format, as the regional settings give it; for the C and pt_BR
// locales that is 14:05:09, with nothing after it (no time zone).
TEST(AcompanhamentoMigracaoTest, LinhaComHoraDoUsuarioSemFusoHorario)
{
    locale_t local = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    const std::string formato = local ? nl_langinfo_l(T_FMT, local) : "%H:%M:%S";
    if (local)
        freelocale(local);
    if (formato != "%H:%M:%S")
        GTEST_SKIP() << "o formato de hora deste ambiente é " << formato;

    std::tm partes{};
    partes.tm_year = 2026 - 1900;
    partes.tm_mon = 11;
    partes.tm_mday = 10;
    partes.tm_hour = 14;
    partes.tm_min = 5;
    partes.tm_sec = 9;
    partes.tm_isdst = -1;
    const std::time_t instante = std::mktime(&partes);

    EXPECT_EQ(TAcompanhamentoMigracao::FormatarLinha(instante, "Importação concluída."),
              "14:05:09 - Importação concluída.");
    EXPECT_EQ(TAcompanhamentoMigracao::FormatarLinha(instante, "Ocorreu um erro: \r\nfalha"),
              "14:05:09 - Ocorreu um erro: \r\nfalha");
}

TEST(AcompanhamentoMigracaoTest, AdicionarLogCarimbaCadaLinha)
{
    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    acompanhamento.AdicionarLog("Carregando tabelas...");
    ASSERT_EQ(relatorio.Linhas.size(), 1u);
    EXPECT_EQ(relatorio.Linhas[0],
              TAcompanhamentoMigracao::FormatarLinha(std::time(nullptr), "Carregando tabelas..."));
}

} // namespace
