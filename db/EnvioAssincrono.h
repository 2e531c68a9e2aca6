#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace Firebird {
class IMessageMetadata;
class IStatement;
class ITransaction;
}

// Runs the row copy's chunk statements on a thread of its own, one at a time, so that the
// next chunk is assembled while the server executes the previous one. A failure is kept and
// raised by the next call from the owner's thread; nothing runs after it.
class TEnvioAssincrono {
public:
    TEnvioAssincrono();
    // Waits for the statement under way, then stops the thread.
    ~TEnvioAssincrono();
    TEnvioAssincrono(const TEnvioAssincrono&) = delete;
    TEnvioAssincrono& operator=(const TEnvioAssincrono&) = delete;

    // Waits for the previous statement, raises its failure if it had one, then starts this
    // one. The metadata and the buffer must stay untouched until the next Entregar or
    // Sincronizar returns.
    void Entregar(Firebird::IStatement* comando, Firebird::ITransaction* transacao,
                  Firebird::IMessageMetadata* metadados, unsigned char* buffer);
    // Waits until no statement runs, and raises the failure of the last one if it failed.
    void Sincronizar();

private:
    void Executar();
    void EsperarLivre(std::unique_lock<std::mutex>& trava);

    std::mutex FTrava;
    std::condition_variable FMudou;
    bool FOcupado = false;
    bool FParar = false;
    std::exception_ptr FErro;
    Firebird::IStatement* FComando = nullptr;
    Firebird::ITransaction* FTransacao = nullptr;
    Firebird::IMessageMetadata* FMetadados = nullptr;
    unsigned char* FBuffer = nullptr;
    std::thread FThread;
};
