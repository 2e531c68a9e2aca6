#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// A TCP relay on 127.0.0.1 between the client and a server's port, for tests that need a
// server which stops answering without closing its socket. Told to, it lets the connections
// open at that moment carry one more answer; on the next thing the client then sends, it goes
// silent on them: nothing is passed on either way, and the client's socket stays open.
// Connections opened afterwards are relayed as usual.
class TRetransmissorTcp {
public:
    explicit TRetransmissorTcp(std::uint16_t portaServidor);
    ~TRetransmissorTcp();
    TRetransmissorTcp(const TRetransmissorTcp&) = delete;
    TRetransmissorTcp& operator=(const TRetransmissorTcp&) = delete;

    std::uint16_t Porta() const noexcept { return FPorta; }
    // Returns once the relay has taken the order.
    void EmudecerAposResposta();
    // Closes every connection, silent or not, so that a client waiting on one is let go, and
    // stops listening.
    void Encerrar();

private:
    void Retransmitir();

    std::uint16_t FPortaServidor;
    std::uint16_t FPorta = 0;
    int FEscuta = -1;
    int FAviso[2] = {-1, -1};
    std::mutex FTrava;
    std::condition_variable FAtendido;
    bool FEmudecerPedido = false;
    bool FEncerrarPedido = false;
    std::thread FLinha;
};
