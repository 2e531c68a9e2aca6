#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "InspecaoBanco.h"
#include "ParMigracao.h"
#include "PassosSequenciadores.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

namespace {

// The destination ends with every source sequence at the source's value, also beyond 32 bits
// and also where a destination trigger or procedure uses the sequence, which the server will
// not drop; a destination-only sequence goes unless something uses it.
TEST(SequenciadoresTest, DestinoTerminaComAsSequenciasDaOrigem)
{
    TParMigracao par;
    par.Origem.ExecutarScript(R"(
create sequence SO_ORIGEM;
alter sequence SO_ORIGEM restart with 1500;
create sequence ZERADA;
)");
    par.Destino.ExecutarScript(R"(
create sequence SO_DESTINO;
alter sequence SO_DESTINO restart with 10;
create sequence SO_DESTINO_EM_USO;
set term ^ ;
create procedure USA_SEQUENCIA returns (V bigint) as
begin
  V = gen_id(SO_DESTINO_EM_USO, 1);
  suspend;
end^
set term ; ^
alter sequence MARCA restart with 999;
alter sequence CLIENTE restart with 77;
alter sequence PEDIDO restart with 3;
)");
    const auto origem = Sequencias(par.ConexaoOrigem);
    ASSERT_EQ(origem.at("PEDIDO"), 5000000000);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TConexao conexaoOrigem;
    TConexao conexaoDestino;
    conexaoOrigem.DefinirBanco(par.Origem.Caminho());
    conexaoDestino.DefinirBanco(par.Destino.Caminho());
    TPassosSequenciadores passos({conexaoOrigem, conexaoDestino, acompanhamento, cancelamento});
    acompanhamento.Reiniciar(TBarra::Total, 11);
    passos.ExcluirSequenciadores();
    passos.CriarSequenciadores();

    auto esperadas = origem;
    esperadas["SO_DESTINO_EM_USO"] = 0;
    EXPECT_EQ(Sequencias(par.ConexaoDestino), esperadas);
    EXPECT_EQ(Sequencias(par.ConexaoOrigem), origem);

    std::vector<std::string> log = {"Excluindo sequenciadores..."};
    for (const auto& [nome, valor] : origem)
        log.push_back("Criando sequenciador... " + nome);
    log.push_back("Sequenciadores criados: " + std::to_string(origem.size()) + ".");
    EXPECT_EQ(relatorio.Textos(), log);
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Atual), static_cast<int>(origem.size()));
    EXPECT_EQ(acompanhamento.Maximo(TBarra::Atual), static_cast<int>(origem.size()));
    EXPECT_EQ(acompanhamento.Posicao(TBarra::Total), 2);
}

} // namespace
