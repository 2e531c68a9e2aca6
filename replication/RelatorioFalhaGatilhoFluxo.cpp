#include "RelatorioFalhaGatilhoFluxo.h"

#include <ostream>

// Flushed at once: the run may go on for a while, and the operator should see each failure as
// it happens.
void TRelatorioFalhaGatilhoFluxo::FalhaGatilho(const std::string& mensagem)
{
    FFluxo << mensagem << std::flush;
}
