#include "EscritaForcada.h"

#include "Conexao.h"
#include "ErroBancoDados.h"
#include "RegistroChavesPendentes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// Pages the server wrote while forced writes were off may be in the operating system's cache
// only, and switching them on does not write those out: the file's own flush does. The server
// runs on this machine and opens the same file, so the flush from here reaches what it wrote.
void LevarAoDisco(const std::string& arquivo)
{
    const int descritor = open(arquivo.c_str(), O_RDONLY | O_CLOEXEC);
    const int resultado = descritor < 0 ? -1 : fsync(descritor);
    const int erro = errno;
    if (descritor >= 0)
        close(descritor);
    if (resultado != 0)
        throw std::runtime_error("As páginas gravadas no DESTINO com a gravação forçada (forced "
                                 "writes) desligada não puderam ser levadas ao disco (" +
                                 std::string(std::strerror(erro)) + "): " + arquivo);
}

} // namespace

TEscritaForcada::TEscritaForcada(TConexao& destino) : FDestino(destino)
{
}

std::vector<std::string> TEscritaForcada::Suspender()
{
    FSuspensa = false;
    TRegistroChavesPendentes registro(FDestino);
    const bool registrada = registro.Ler().EscritaForcada;
    FLigadaAntes = registrada || FDestino.EscritaForcada();
    std::vector<std::string> linhas;
    if (registrada)
        linhas.push_back(
            "Atenção: a importação anterior neste DESTINO terminou com a gravação forçada "
            "(forced writes) desligada. Se o computador perdeu energia ou foi desligado depois "
            "dela, páginas que ela gravou podem não ter chegado ao disco, e o arquivo pode estar "
            "danificado. Esta importação religa a gravação forçada no fim; para conferir o "
            "arquivo, faça depois a validação completa com a ferramenta de validação do "
            "servidor, sem nenhuma outra conexão ao banco: gfix -v -full " +
            FDestino.Banco());
    // Kept on, a record an earlier run left still has this run turn them on at its end.
    if (!FLigadaAntes || (FManter && !registrada))
        return linhas;
    if (FManter) {
        FSuspensa = true;
        return linhas;
    }
    if (!registrada)
        registro.GravarEscritaForcada(true);
    FDestino.Desconectar();
    try {
        FDestino.DefinirEscritaForcada(false);
    } catch (const EBancoDados& erro) {
        // The attachment that switches them may have failed only as it let go, with them off
        // already: the record goes only where the server says they are still on. A record
        // left by an earlier run still asks this one to turn them on at its end.
        if (DesligadaTalvez()) {
            FSuspensa = true;
            linhas.push_back(std::string("A gravação forçada (forced writes) do DESTINO pode "
                                         "ter sido desligada apesar de uma falha, e fica "
                                         "registrada até a importação religá-la no fim: ") +
                             erro.what());
            return linhas;
        }
        if (!registrada)
            registro.GravarEscritaForcada(false);
        FSuspensa = registrada;
        linhas.push_back(std::string("A gravação forçada (forced writes) do DESTINO não pôde "
                                     "ser desligada durante a importação, que segue sem isso: ") +
                         erro.what());
        return linhas;
    }
    FSuspensa = true;
    return linhas;
}

// Whether the server does not say that they are on: when it cannot be asked, they may be off.
bool TEscritaForcada::DesligadaTalvez() noexcept
{
    try {
        return !FDestino.EscritaForcada();
    } catch (const std::exception&) {
        return true;
    }
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
    // Every attachment of the run that wrote has committed and let go: what they wrote is in
    // the file, if not yet on the disk.
    LevarAoDisco(FDestino.Banco());
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
