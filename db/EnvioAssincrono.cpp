#include "EnvioAssincrono.h"

#include "Firebird.h"

TEnvioAssincrono::TEnvioAssincrono() : FThread([this] { Executar(); }) {}

TEnvioAssincrono::~TEnvioAssincrono()
{
    {
        std::lock_guard trava(FTrava);
        FParar = true;
    }
    FMudou.notify_all();
    FThread.join();
}

void TEnvioAssincrono::EsperarLivre(std::unique_lock<std::mutex>& trava)
{
    FMudou.wait(trava, [this] { return !FOcupado; });
    if (FErro) {
        // The failure is raised once; the copy ends with it and sends nothing more.
        std::exception_ptr erro = FErro;
        FErro = nullptr;
        std::rethrow_exception(erro);
    }
}

void TEnvioAssincrono::Entregar(Firebird::IStatement* comando, Firebird::ITransaction* transacao,
                                Firebird::IMessageMetadata* metadados,
                                unsigned char* buffer)
{
    std::unique_lock trava(FTrava);
    EsperarLivre(trava);
    FComando = comando;
    FTransacao = transacao;
    FMetadados = metadados;
    FBuffer = buffer;
    FOcupado = true;
    FMudou.notify_all();
}

void TEnvioAssincrono::Sincronizar()
{
    std::unique_lock trava(FTrava);
    EsperarLivre(trava);
}

void TEnvioAssincrono::Executar()
{
    std::unique_lock trava(FTrava);
    for (;;) {
        FMudou.wait(trava, [this] { return FOcupado || FParar; });
        if (!FOcupado)
            return;
        trava.unlock();
        std::exception_ptr erro;
        try {
            fb::TStatus status;
            FComando->execute(&status, FTransacao, FMetadados, FBuffer, nullptr, nullptr);
        } catch (...) {
            erro = std::current_exception();
        }
        trava.lock();
        FErro = erro;
        FOcupado = false;
        FMudou.notify_all();
    }
}
