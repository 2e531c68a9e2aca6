#include "BancoTeste.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ParMigracao.h"
#include "Utilidades.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class PercorrerDataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FConexao.DefinirBanco(FBanco.Caminho());
        FConsulta.Abrir();
    }

    TBancoTeste FBanco{NomeTesteAtual()};
    TConexao FConexao;
    TConsulta FConsulta{&FConexao, "select EMPRESA from EMPRESAS order by 1"};
};

TEST_F(PercorrerDataSetTest, VisitaTodasAsLinhasEVoltaParaALinhaEmQueEstava)
{
    FConsulta.IrPara(3);
    std::vector<int> empresas;
    PercorrerDataSet(FConsulta, [&empresas](TConsulta& consulta) {
        empresas.push_back(consulta.Campo(0).ComoInteiro());
    });
    EXPECT_EQ(empresas, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(FConsulta.NumeroRegistro(), 3);

    int chamadas = 0;
    PercorrerDataSet(FConsulta, [&chamadas] { ++chamadas; });
    EXPECT_EQ(chamadas, 4);
    EXPECT_EQ(FConsulta.NumeroRegistro(), 3);
}

TEST_F(PercorrerDataSetTest, FalhaDoProcedimentoTerminaAVoltaERestauraAPosicao)
{
    FConsulta.IrPara(4);
    int chamadas = 0;
    EXPECT_THROW(PercorrerDataSet(FConsulta,
                                  [&chamadas](TConsulta& consulta) {
                                      ++chamadas;
                                      if (consulta.Campo(0).ComoInteiro() == 2)
                                          throw std::runtime_error("falha");
                                  }),
                 std::runtime_error);
    EXPECT_EQ(chamadas, 2);
    EXPECT_EQ(FConsulta.NumeroRegistro(), 4);
}

// A query past its last row was on no row: the walk leaves it on none.
TEST_F(PercorrerDataSetTest, ConsultaNoFimContinuaNoFim)
{
    while (!FConsulta.Eof())
        FConsulta.Proximo();
    PercorrerDataSet(FConsulta, [] {});
    EXPECT_TRUE(FConsulta.Eof());
}

} // namespace
