#include "PassoReplicacao.h"

#include "AcompanhamentoMigracao.h"
#include "RelatorioFalhaGatilho.h"
#include "ReplicacaoCadastrosGerarGatilhos.h"

namespace {

// Hands a rejected trigger to the run's report, where the operator sees it.
class TFalhaGatilhoNoRelatorio : public IRelatorioFalhaGatilho {
public:
    explicit TFalhaGatilhoNoRelatorio(IRelatorioMigracao& relatorio) : FRelatorio(relatorio) {}
    void FalhaGatilho(const std::string& mensagem) override
    {
        FRelatorio.MostrarFalhaGatilho(mensagem);
    }

private:
    IRelatorioMigracao& FRelatorio;
};

} // namespace

void TPassoReplicacao::CriarGatilhosReplicacao()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    const bool temReplicacao =
        TReplicacaoCadastrosGerarGatilhos(FContexto.ConexaoOrigem).TemReplicacao();
    if (!temReplicacao) {
        acompanhamento.Avancar(TBarra::Total);
        return;
    }

    acompanhamento.AdicionarLog("Criando gatilhos da replicação...");
    acompanhamento.Reiniciar(TBarra::Atual, 1);
    TFalhaGatilhoNoRelatorio falhas(acompanhamento.Relatorio());
    TReplicacaoCadastrosGerarGatilhos(FContexto.ConexaoDestino, nullptr, &falhas).Execute();
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
