#include "EscritaForcada.h"

#include "Conexao.h"
#include "ErroBancoDados.h"
#include "RegistroChavesPendentes.h"

#include <stdexcept>

TEscritaForcada::TEscritaForcada(TConexao& destino) : FDestino(destino)
{
}

std::string TEscritaForcada::Suspender()
{
    FSuspensa = false;
    TRegistroChavesPendentes registro(FDestino);
    const bool registrada = registro.Ler().EscritaForcada;
    FLigadaAntes = registrada || FDestino.EscritaForcada();
    // Kept on, a record an earlier run left still has this run turn them on at its end.
    if (!FLigadaAntes || (FManter && !registrada))
        return {};
    if (FManter) {
        FSuspensa = true;
        return {};
    }
    if (!registrada)
        registro.GravarEscritaForcada(true);
    FDestino.Desconectar();
    try {
        FDestino.DefinirEscritaForcada(false);
    } catch (const EBancoDados& erro) {
        // Left on as they are; a record left by an earlier run still asks this one to turn
        // them on at its end.
        if (!registrada)
            registro.GravarEscritaForcada(false);
        FSuspensa = registrada;
        return std::string("A gravação forçada (forced writes) do DESTINO não pôde ser "
                           "desligada durante a importação, que segue sem isso: ") +
               erro.what();
    }
    FSuspensa = true;
    return {};
}

void TEscritaForcada::Restaurar()
{
    if (!FSuspensa)
        return;
    // Whatever the failed statement left open goes, not into the database: the connection
    // attaches anew below.
    FDestino.Rollback();
    FDestino.Desconectar();
    FDestino.DefinirEscritaForcada(true);
    if (!FDestino.EscritaForcada())
        throw std::runtime_error("O servidor do DESTINO não religou a gravação forçada (forced "
                                 "writes) depois da importação.");
    TRegistroChavesPendentes(FDestino).GravarEscritaForcada(false);
    FSuspensa = false;
}

std::string TEscritaForcada::RestaurarAposFalha() noexcept
{
    try {
        Restaurar();
        return {};
    } catch (const std::exception& erro) {
        return std::string("A gravação forçada (forced writes) do DESTINO, desligada durante a "
                           "importação, não pôde ser religada: ") +
               erro.what() +
               " Ela continua registrada no DESTINO: a próxima importação a religa.";
    } catch (...) {
        return "A gravação forçada (forced writes) do DESTINO, desligada durante a importação, "
               "não pôde ser religada. Ela continua registrada no DESTINO: a próxima "
               "importação a religa.";
    }
}
