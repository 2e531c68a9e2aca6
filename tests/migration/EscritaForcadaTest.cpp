#include "Conexao.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

bool EscritaForcada(const std::string& banco)
{
    TConexao conexao;
    conexao.DefinirBanco(banco);
    return conexao.EscritaForcada();
}

bool TabelaDoRegistroExiste(TConexao& destino)
{
    return Contar(destino, std::string("select count(*) from RDB$RELATIONS where "
                                       "RDB$RELATION_NAME = '") +
                               TRegistroChavesPendentes::Tabela + "'") > 0;
}

struct TCasoEscrita {
    const char* Nome;
    bool LigadaAntes;
    bool LigadaDurante;
    std::string ScriptDestino;
    TResultadoMigracao Resultado;
    std::function<void(TRelatorioGravado&, TMigracao&)> Armar;
};

void PrintTo(const TCasoEscrita& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class EscritaForcadaTest : public ::testing::TestWithParam<TCasoEscrita> {};

// As the server reports them: the destination's forced writes are off while its tables are
// refilled (unless the run is told to keep them), and once the run is over, concluded, failed
// or stopped, they are as they were before it, with nothing of them left in the record. The
// source's are never touched.
TEST_P(EscritaForcadaTest, DesligadaDuranteACargaEComoEraDepois)
{
    const TCasoEscrita& caso = GetParam();
    TParMigracao par;
    if (!caso.ScriptDestino.empty())
        par.Destino.ExecutarScript(caso.ScriptDestino);
    if (!caso.LigadaAntes)
        par.ConexaoDestino.DefinirEscritaForcada(false);
    ASSERT_EQ(par.ConexaoDestino.EscritaForcada(), caso.LigadaAntes);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    caso.Armar(relatorio, migracao);
    std::optional<bool> durante;
    const auto armado = relatorio.AoAcrescentar;
    relatorio.AoAcrescentar = [&](const std::string& texto) {
        if (!durante && texto.rfind("Importando tabela... ", 0) == 0)
            durante = EscritaForcada(par.Destino.Caminho());
        if (armado)
            armado(texto);
    };
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()), caso.Resultado)
        << relatorio.Linhas.back();

    EXPECT_EQ(durante, std::optional<bool>(caso.LigadaDurante));
    EXPECT_EQ(par.ConexaoDestino.EscritaForcada(), caso.LigadaAntes);
    EXPECT_FALSE(TRegistroChavesPendentes(par.ConexaoDestino).Ler().EscritaForcada);
    EXPECT_TRUE(par.ConexaoOrigem.EscritaForcada());
    if (caso.Resultado == TResultadoMigracao::Concluida) {
        EXPECT_FALSE(TabelaDoRegistroExiste(par.ConexaoDestino));
    }
    const auto textos = relatorio.Textos();
    EXPECT_TRUE(std::none_of(textos.begin(), textos.end(), [](const std::string& texto) {
        return texto.find("gravação forçada") != std::string::npos;
    }));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EscritaForcadaTest,
    ::testing::Values(
        TCasoEscrita{"Ligada", true, false, "", TResultadoMigracao::Concluida,
                     [](TRelatorioGravado&, TMigracao&) {}},
        TCasoEscrita{"Desligada", false, false, "", TResultadoMigracao::Concluida,
                     [](TRelatorioGravado&, TMigracao&) {}},
        TCasoEscrita{"Mantida", true, true, "", TResultadoMigracao::Concluida,
                     [](TRelatorioGravado&, TMigracao& migracao) {
                         migracao.ManterEscritaForcada(true);
                     }},
        // A row the destination refuses ends the run in the middle of the copy (the table
        // differs from the source's, so the run refills it).
        TCasoEscrita{"FalhaNaCopia", true, false,
                     "update TIPOS_DADOS set C_VARCHAR = 'destino';\n"
                     "alter table TIPOS_DADOS add constraint CK_TIPOS_ATE_2 check (ID <= 2);",
                     TResultadoMigracao::Falhou, [](TRelatorioGravado&, TMigracao&) {}},
        TCasoEscrita{"ParadaSolicitada", true, false, "", TResultadoMigracao::Interrompida,
                     [](TRelatorioGravado& relatorio, TMigracao& migracao) {
                         relatorio.AoCopiar = [&migracao](const std::string&, std::int64_t) {
                             migracao.SolicitarParada();
                         };
                     }}),
    [](const auto& info) { return std::string(info.param.Nome); });

// What a killed run leaves: forced writes off and recorded in the destination. The record
// travels with the file: on the file moved, the comparison names them, and the next run says
// what they mean for the file and how to validate it, turns them on and keeps nothing of the
// record.
TEST(EscritaForcadaRegistroTest, DeixadaDesligadaPorExecucaoMortaEhApontadaERelegada)
{
    TParMigracao par;
    TRegistroChavesPendentes(par.ConexaoDestino).GravarEscritaForcada(true);
    par.ConexaoDestino.Desconectar();
    par.ConexaoDestino.DefinirEscritaForcada(false);
    par.Desconectar();
    std::filesystem::remove(TRegistroChavesPendentes::ArquivoDe(par.Destino.Caminho()));
    const std::string movido = par.Destino.Caminho() + ".movido.fdb";
    std::filesystem::rename(par.Destino.Caminho(), movido);

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Comparar(par.Origem.Caminho(), movido), TResultadoComparacao::Diferentes);
    const auto linhas = migracao.UltimaProva().Linhas();
    EXPECT_NE(std::find(linhas.begin(), linhas.end(),
                        "Gravação forçada (forced writes) desligada no DESTINO por uma "
                        "importação e ainda não religada."),
              linhas.end());

    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), movido), TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    const auto textos = relatorio.Textos();
    const auto aviso = std::find_if(textos.begin(), textos.end(), [](const std::string& texto) {
        return texto.rfind("Atenção: a importação anterior neste DESTINO terminou com a gravação "
                           "forçada (forced writes) desligada. Se o computador perdeu energia",
                           0) == 0;
    });
    ASSERT_NE(aviso, textos.end()) << ::testing::PrintToString(textos);
    EXPECT_TRUE(aviso->ends_with("gfix -v -full " + movido)) << *aviso;
    TConexao destino;
    destino.DefinirBanco(movido);
    EXPECT_TRUE(destino.EscritaForcada());
    EXPECT_FALSE(TRegistroChavesPendentes(destino).Ler().EscritaForcada);
    EXPECT_FALSE(TabelaDoRegistroExiste(destino));
    EXPECT_EQ(migracao.Comparar(par.Origem.Caminho(), movido), TResultadoComparacao::Iguais);
}

} // namespace
