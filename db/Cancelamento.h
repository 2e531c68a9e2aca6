#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>

class TConexao;

// A request to stop a long run at its next safe point (between two statements or two batches
// of a row copy). Whoever runs the work polls it. A connection bound to it for a while (see
// TConexao::TEscopoInterrompivel) is also interrupted mid-statement: the request asks the
// server to cancel the statement under way there, and the connection refuses any later one.
class TCancelamento {
public:
    // Any thread may ask, but not a signal handler: the server is told at once.
    void Solicitar() noexcept;
    void Limpar() noexcept { FSolicitado.store(false); }
    bool Solicitado() const noexcept { return FSolicitado.load(); }
    // Throws EOperacaoCancelada when a stop was requested.
    void Verificar() const;

private:
    friend class TConexao;
    void Vincular(TConexao& conexao);
    void Desvincular(TConexao& conexao) noexcept;

    std::atomic<bool> FSolicitado{false};
    std::mutex FTrava;
    std::set<TConexao*> FConexoes;
};

class EOperacaoCancelada : public std::runtime_error {
public:
    EOperacaoCancelada() : std::runtime_error("Operação cancelada pelo usuário.") {}
};
