#pragma once

#include "RelatorioFalhaGatilho.h"

#include <iosfwd>

// Writes each failed trigger to a text stream (the standard error stream, for a run with no
// one to show a message to), so that no failure goes unseen.
class TRelatorioFalhaGatilhoFluxo : public IRelatorioFalhaGatilho {
public:
    explicit TRelatorioFalhaGatilhoFluxo(std::ostream& fluxo) : FFluxo(fluxo) {}
    void FalhaGatilho(const std::string& tabela, const std::string& mensagem) override;

private:
    std::ostream& FFluxo;
};
