#include "Conexao.h"
#include "ErroBancoDados.h"
#include "RelatorioGravado.h"
#include "Retomada.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

const char* const ServidorInit = "/etc/init.d/firebird3.0";

// Restarts the local server and waits until it takes attachments again.
void ReiniciarServidor(const std::string& banco)
{
    ASSERT_EQ(std::system((std::string(ServidorInit) + " restart >/dev/null 2>&1").c_str()), 0);
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        try {
            TConexao conexao;
            conexao.DefinirBanco(banco);
            conexao.Executar("execute block as begin end");
            return;
        } catch (const EBancoDados& erro) {
            ASSERT_LT(std::chrono::steady_clock::now(), limite) << "o servidor não voltou: " << erro.what();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
}

// The server restarted in the middle of a copy: every attachment is gone at once. The next run
// attaches anew and completes.
TEST(ReinicioServidorTest, ProximaExecucaoCompletaAImportacaoInterrompida)
{
    if (geteuid() != 0 || !std::filesystem::exists(ServidorInit))
        GTEST_SKIP() << "reiniciar o servidor local pede root e o servidor destes testes";
    ConferirRetomada({"ServidorReiniciado", OrigemGrande, TabelaGrande, [](TParMigracao& par) {
                          ExecutarAte(par, [&par](TRelatorioGravado& relatorio, TMigracao&) {
                              relatorio.AoCopiar = DuranteACopia(
                                  [&par] { ReiniciarServidor(par.Destino.Caminho()); });
                          });
                      }});
}

} // namespace
