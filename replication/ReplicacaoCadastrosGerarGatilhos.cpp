#include "ReplicacaoCadastrosGerarGatilhos.h"

#include "Conexao.h"
#include "MensagensJanela.h"
#include "ReceptorReplicacao.h"
#include "RelatorioFalhaGatilhoFluxo.h"

#include <exception>
#include <iostream>

TReplicacaoCadastrosGerarGatilhos::TReplicacaoCadastrosGerarGatilhos(
    TConexao& conexao, IReceptorReplicacao* receptor, IRelatorioFalhaGatilho* relatorio)
    : TReplicacaoCadastros(conexao, receptor), FRelatorio(relatorio)
{
}

// Each trigger commits on its own, so one the server rejects leaves the others in place; it is
// reported with its statement, for the operator to see what was refused, and the run goes on.
void TReplicacaoCadastrosGerarGatilhos::Execute()
{
    TRelatorioFalhaGatilhoFluxo saidaErro(std::cerr);
    IRelatorioFalhaGatilho& relatorio = FRelatorio ? *FRelatorio : saidaErro;

    for (const auto& tabela : FLista) {
        try {
            if (FReceptor)
                FReceptor->Notificar(WM_REPLICACAO_TABELA, *tabela);
            FConexao.Executar(tabela->GetSQLGatilho());
        } catch (const std::exception& erro) {
            relatorio.FalhaGatilho(tabela->Nome() + "\r\n" + erro.what() + "\r\n" +
                                   tabela->GetSQLGatilho());
        }
    }
}
