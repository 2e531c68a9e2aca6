#include "PassoReplicacao.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"
#include "RelatorioFalhaGatilho.h"
#include "ReplicacaoCadastrosGerarGatilhos.h"

namespace {

// Hands a rejected trigger to the run: a log line, so that the log keeps the trace after the
// message is closed and the run ends as concluded, then the message itself.
class TFalhaGatilhoNoRelatorio : public IRelatorioFalhaGatilho {
public:
    explicit TFalhaGatilhoNoRelatorio(TAcompanhamentoMigracao& acompanhamento)
        : FAcompanhamento(acompanhamento)
    {
    }
    void FalhaGatilho(const std::string& tabela, const std::string& mensagem) override
    {
        FAcompanhamento.AdicionarLog("Falha ao criar o gatilho da replicação da tabela " + tabela +
                                     ".");
        FAcompanhamento.Relatorio().MostrarFalhaGatilho(mensagem);
        Tabelas.push_back(tabela);
    }

    std::vector<std::string> Tabelas;

private:
    TAcompanhamentoMigracao& FAcompanhamento;
};

bool TabelaExiste(TConexao& conexao, const std::string& tabela)
{
    TConsulta consulta(&conexao, "select count(*) from RDB$RELATIONS "
                                 "where RDB$RELATION_NAME = :TABELA and RDB$VIEW_BLR is null");
    consulta.Parametro("TABELA", tabela);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro() > 0;
}

} // namespace

void TPassoReplicacao::CriarGatilhosReplicacao()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    FNaoCriados.clear();
    const bool temReplicacao =
        TReplicacaoCadastrosGerarGatilhos(FContexto.ConexaoOrigem).TemReplicacao();
    if (!temReplicacao) {
        acompanhamento.Avancar(TBarra::Total);
        return;
    }

    acompanhamento.AdicionarLog("Criando gatilhos da replicação...");
    acompanhamento.Reiniciar(TBarra::Atual, 1);
    TFalhaGatilhoNoRelatorio falhas(acompanhamento);
    TReplicacaoCadastrosGerarGatilhos(FContexto.ConexaoDestino, nullptr, &falhas).Execute();
    for (const std::string& tabela : falhas.Tabelas)
        if (TabelaExiste(FContexto.ConexaoDestino, tabela))
            FNaoCriados.push_back(tabela);
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
