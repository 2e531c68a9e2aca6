#include "RelatorioLinhaComando.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(RelatorioLinhaComandoTest, LogNaSaidaComAsQuebrasDoTerminal)
{
    std::ostringstream saida;
    std::ostringstream erros;
    TRelatorioLinhaComando relatorio(saida, erros, false);
    relatorio.AcrescentarLinhaLog("14:05:09 - Carregando tabelas...");
    relatorio.AcrescentarLinhaLog("14:05:10 - Ocorreu um erro: \r\n[VorelDB][Phys][FB]falha\r\nlinha 2");
    relatorio.MostrarFalhaGatilho("CLIENTES\r\nerro\r\ncreate or alter trigger X");
    relatorio.Abandonar("Banco de dados de ORIGEM não foi informado.", true);

    EXPECT_EQ(saida.str(), "14:05:09 - Carregando tabelas...\n"
                           "14:05:10 - Ocorreu um erro: \n[VorelDB][Phys][FB]falha\nlinha 2\n");
    EXPECT_EQ(erros.str(), "Falha ao criar o gatilho da replicação da tabela CLIENTES\nerro\n"
                           "create or alter trigger X\n"
                           "Banco de dados de ORIGEM não foi informado.\n");
}

// On a terminal the progress line stands at the bottom of the error stream: the step, the
// position in it, and during a copy the rows written and their rate; it is wiped before any
// other text and drawn again after it.
TEST(RelatorioLinhaComandoTest, ProgressoAoVivoNaSaidaDeErros)
{
    std::ostringstream saida;
    std::ostringstream erros;
    TRelatorioLinhaComando relatorio(saida, erros, true);
    relatorio.DefinirMaximo(TBarra::Total, 11);
    relatorio.DefinirPosicao(TBarra::Total, 5);
    relatorio.DefinirMaximo(TBarra::Atual, 17);
    relatorio.DefinirPosicao(TBarra::Atual, 2);
    EXPECT_EQ(relatorio.LinhaProgresso(), "Etapa 6 de 11 | 2/17");
    relatorio.ProgressoCopia("CLIENTES", 20000, 4999.6);
    EXPECT_EQ(relatorio.LinhaProgresso(), "Etapa 6 de 11 | 2/17 | CLIENTES: 20000 linhas, 5000 linhas/s");
    EXPECT_EQ(erros.str().substr(erros.str().rfind('\r')),
              "\r\033[KEtapa 6 de 11 | 2/17 | CLIENTES: 20000 linhas, 5000 linhas/s");

    erros.str("");
    relatorio.AcrescentarLinhaLog("14:05:09 - Importando tabela... EMPRESAS");
    EXPECT_EQ(erros.str(), "\r\033[K\r\033[KEtapa 6 de 11 | 2/17");
    EXPECT_EQ(saida.str(), "14:05:09 - Importando tabela... EMPRESAS\n");

    relatorio.DefinirPosicao(TBarra::Total, 11);
    EXPECT_EQ(relatorio.LinhaProgresso(), "Etapa 11 de 11 | 2/17");
}

TEST(RelatorioLinhaComandoTest, SemTerminalNaoHaProgresso)
{
    std::ostringstream saida;
    std::ostringstream erros;
    TRelatorioLinhaComando relatorio(saida, erros, false);
    relatorio.DefinirPosicao(TBarra::Total, 3);
    relatorio.ProgressoCopia("CLIENTES", 10, 1);
    relatorio.AcrescentarLinhaLog("14:05:09 - x");
    EXPECT_EQ(erros.str(), "");
}

} // namespace
