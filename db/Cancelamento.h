#pragma once

#include <atomic>
#include <stdexcept>

// A request to stop a long run at its next safe point (between two statements or two batches
// of a row copy). Whoever runs the work polls it; nothing is ever interrupted mid-statement.
class TCancelamento {
public:
    void Solicitar() noexcept { FSolicitado.store(true); }
    void Limpar() noexcept { FSolicitado.store(false); }
    bool Solicitado() const noexcept { return FSolicitado.load(); }
    // Throws EOperacaoCancelada when a stop was requested.
    void Verificar() const;

private:
    std::atomic<bool> FSolicitado{false};
};

class EOperacaoCancelada : public std::runtime_error {
public:
    EOperacaoCancelada() : std::runtime_error("Operação cancelada pelo usuário.") {}
};
