#pragma once

#include "ErroBancoDados.h"
#include "RetransmissorTcp.h"

#include <chrono>
#include <functional>
#include <future>
#include <optional>

// How an operation over a silenced relay ended: whether within the time given, and with which
// failure of the database layer, if any.
struct TFalhaNoPrazo {
    bool NoPrazo = false;
    std::optional<EBancoDados> Erro;
};

// Runs an operation that must fail at once over the relay's silenced side. When it has not
// ended within 30 s the relay is closed, which lets it go, so a test sees the wait as a failure
// instead of hanging with it.
inline TFalhaNoPrazo FalharNoPrazo(TRetransmissorTcp& retransmissor,
                                   const std::function<void()>& operacao)
{
    auto falha = std::async(std::launch::async, [&operacao]() -> std::optional<EBancoDados> {
        try {
            operacao();
        } catch (const EBancoDados& erro) {
            return erro;
        }
        return std::nullopt;
    });
    TFalhaNoPrazo resultado;
    resultado.NoPrazo = falha.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    if (!resultado.NoPrazo)
        retransmissor.Encerrar();
    resultado.Erro = falha.get();
    return resultado;
}
