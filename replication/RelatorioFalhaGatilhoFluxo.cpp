#include "RelatorioFalhaGatilhoFluxo.h"

#include <ostream>

void TRelatorioFalhaGatilhoFluxo::FalhaGatilho(const std::string& mensagem)
{
    FFluxo << mensagem;
    if (mensagem.empty() || mensagem.back() != '\n')
        FFluxo << "\r\n";
    FFluxo.flush();
}
