#include "RelatorioFalhaGatilhoFluxo.h"

#include <ostream>

// The message opens with the table's name already. Flushed at once: the run may go on for a
// while, and the operator should see each failure as it happens.
void TRelatorioFalhaGatilhoFluxo::FalhaGatilho(const std::string&, const std::string& mensagem)
{
    FFluxo << mensagem << std::flush;
}
