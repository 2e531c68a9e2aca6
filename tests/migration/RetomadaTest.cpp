#include "Conexao.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "RelatorioGravado.h"
#include "Retomada.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The command line, killed once it is copying the big table.
void MatarDuranteACopia(TParMigracao& par)
{
    int tubo[2];
    ASSERT_EQ(pipe(tubo), 0);
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_adddup2(&acoes, tubo[1], 1);
    posix_spawn_file_actions_addclose(&acoes, tubo[0]);
    std::vector<char*> argv{const_cast<char*>(VOREL_CLI),
                            const_cast<char*>(par.Origem.Caminho().c_str()),
                            const_cast<char*>(par.Destino.Caminho().c_str()), nullptr};
    pid_t processo = 0;
    ASSERT_EQ(posix_spawn(&processo, VOREL_CLI, &acoes, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&acoes);
    close(tubo[1]);

    FILE* saida = fdopen(tubo[0], "r");
    char linha[4096];
    bool copiando = false;
    while (!copiando && fgets(linha, sizeof linha, saida))
        copiando = std::string(linha).find("Importando tabela... LANCAMENTOS") != std::string::npos;
    if (copiando)
        usleep(300 * 1000);
    kill(processo, SIGKILL);
    int estado = 0;
    waitpid(processo, &estado, 0);
    fclose(saida);
    EXPECT_TRUE(copiando);
    EXPECT_TRUE(WIFSIGNALED(estado));
}

class RetomadaTest : public ::testing::TestWithParam<TCasoRetomada> {};

TEST_P(RetomadaTest, ProximaExecucaoDeixaODestinoComoUmaExecucaoIntacta)
{
    ConferirRetomada(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Interrupcoes, RetomadaTest,
    ::testing::Values(
        TCasoRetomada{"ProcessoMorto", OrigemGrande, TabelaGrande, MatarDuranteACopia, "", "",
                      true},
        // Deleted between two of its statements, as the table's copy is about to begin.
        TCasoRetomada{"ConexaoExcluida", OrigemGrande, TabelaGrande,
                      [](TParMigracao& par) {
                          ExecutarAte(par, [&par](TRelatorioGravado& relatorio, TMigracao&) {
                              relatorio.AoAcrescentar = [&par](const std::string& texto) {
                                  if (texto != "Importando tabela... LANCAMENTOS")
                                      return;
                                  TConexao administrador;
                                  administrador.DefinirBanco(par.Destino.Caminho());
                                  administrador.Executar(
                                      "delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> "
                                      "current_connection and coalesce(MON$SYSTEM_FLAG, 0) = 0");
                              };
                          });
                      }},
        TCasoRetomada{"ParadaSolicitada", OrigemGrande, TabelaGrande,
                      [](TParMigracao& par) {
                          ExecutarAte(
                              par,
                              [](TRelatorioGravado& relatorio, TMigracao& migracao) {
                                  relatorio.AoCopiar = DuranteACopia(
                                      [&migracao] { migracao.SolicitarParada(); });
                              },
                              TResultadoMigracao::Interrompida);
                      }},
        // PEDIDOS sorts before SCRIPTS: the version table must survive the failure.
        TCasoRetomada{"LinhaRecusadaAntesDaTabelaDeVersao", "",
                      "alter table PEDIDOS add constraint CK_PEDIDOS_FUTUROS check "
                      "(EMISSAO > '2027-01-01');",
                      [](TParMigracao& par) {
                          ExecutarAte(par, [](TRelatorioGravado&, TMigracao&) {});
                      },
                      "", "alter table PEDIDOS drop constraint CK_PEDIDOS_FUTUROS;"},
        // The fourth of the destination's keys cannot be created over an item without its order.
        TCasoRetomada{"ChaveQueNaoPodeSerRecriada",
                      "alter table PEDIDOS_ITENS drop constraint FK_PEDIDOS_ITENS_PEDIDO;\n"
                      "insert into PEDIDOS_ITENS (PEDIDO, ITEM, EMPRESA, PRO_CODIGO) "
                      "values (999, 1, 1, 100);",
                      "",
                      [](TParMigracao& par) {
                          ExecutarAte(par, [](TRelatorioGravado&, TMigracao&) {});
                      },
                      "delete from PEDIDOS_ITENS where PEDIDO = 999;", ""},
        // Someone attaches after the run began and holds a row the run must delete.
        TCasoRetomada{"LinhaPresaPorOutraSessao", "", "",
                      [](TParMigracao& par) {
                          TConexao outra;
                          outra.DefinirBanco(par.Destino.Caminho());
                          ExecutarAte(par, [&outra](TRelatorioGravado& relatorio, TMigracao&) {
                              relatorio.AoAcrescentar = [&outra](const std::string& texto) {
                                  if (texto != "Limpando tabela... PEDIDOS")
                                      return;
                                  outra.IniciarTransacao();
                                  outra.Executar("update PEDIDOS set TOTAL = TOTAL");
                              };
                          });
                          outra.Rollback();
                          outra.Desconectar();
                      }}),
    [](const auto& info) { return info.param.Nome; });

// The destination ships its audit trigger off. A run stopped during the copy leaves every
// trigger off; the next one switches them all on and names only the one that was off before
// any run of ours, right after saying it switches them on.
TEST(RetomadaGatilhosTest, SoOGatilhoInativoAntesDasImportacoesENomeado)
{
    TParMigracao par;
    par.Origem.ExecutarScript(OrigemGrande);
    par.Destino.ExecutarScript(TabelaGrande);
    const auto antes = Gatilhos(par.ConexaoDestino);
    ASSERT_FALSE(antes.at("PRODUTOS_AUDITORIA"));
    ASSERT_TRUE(antes.at("PRODUTOS_BI"));
    par.Desconectar();
    ExecutarAte(
        par,
        [](TRelatorioGravado& relatorio, TMigracao& migracao) {
            relatorio.AoCopiar = DuranteACopia([&migracao] { migracao.SolicitarParada(); });
        },
        TResultadoMigracao::Interrompida);
    for (const auto& [gatilho, ativo] : Gatilhos(par.ConexaoDestino))
        EXPECT_FALSE(ativo) << gatilho;
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Textos().back();
    const auto textos = relatorio.Textos();
    const auto ativando = std::find(textos.begin(), textos.end(), "Ativando gatilhos...");
    ASSERT_LT(ativando + 2, textos.end());
    EXPECT_EQ(ativando[1],
              "Gatilho ativado que estava inativo no DESTINO: PRODUTOS_AUDITORIA (PRODUTOS).");
    EXPECT_EQ(ativando[2], "Criando gatilhos da replicação...");
    for (const auto& [gatilho, ativo] : Gatilhos(par.ConexaoDestino))
        EXPECT_TRUE(ativo) << gatilho;
}

} // namespace
