#include "RetransmissorTcp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace {

struct TPar {
    int Cliente = -1;
    int Servidor = -1;
    bool Armado = false;   // told to go silent after one more answer
    bool Respondeu = false; // the server has answered since
    bool Mudo = false;
};

sockaddr_in Endereco(std::uint16_t porta)
{
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_port = htons(porta);
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return endereco;
}

void EnviarTudo(int destino, const char* dados, ssize_t tamanho)
{
    while (tamanho > 0) {
        const ssize_t enviados = send(destino, dados, static_cast<size_t>(tamanho), MSG_NOSIGNAL);
        if (enviados <= 0)
            return;
        dados += enviados;
        tamanho -= enviados;
    }
}

void FecharPar(TPar& par)
{
    for (int* fd : {&par.Cliente, &par.Servidor})
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
}

} // namespace

TRetransmissorTcp::TRetransmissorTcp(std::uint16_t portaServidor) : FPortaServidor(portaServidor)
{
    FEscuta = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in endereco = Endereco(0);
    socklen_t tamanho = sizeof endereco;
    if (FEscuta < 0 || bind(FEscuta, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 ||
        listen(FEscuta, 16) != 0 ||
        getsockname(FEscuta, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0 ||
        pipe(FAviso) != 0)
        throw std::runtime_error("o retransmissor não pôde escutar");
    FPorta = ntohs(endereco.sin_port);
    FLinha = std::thread([this] { Retransmitir(); });
}

TRetransmissorTcp::~TRetransmissorTcp()
{
    Encerrar();
    FLinha.join();
    close(FAviso[0]);
    close(FAviso[1]);
}

void TRetransmissorTcp::EmudecerAposResposta()
{
    std::unique_lock trava(FTrava);
    FEmudecerPedido = true;
    const char sinal = 'm';
    (void)!write(FAviso[1], &sinal, 1);
    FAtendido.wait(trava, [this] { return !FEmudecerPedido; });
}

void TRetransmissorTcp::Encerrar()
{
    std::lock_guard trava(FTrava);
    if (FEncerrarPedido)
        return;
    FEncerrarPedido = true;
    const char sinal = 'e';
    (void)!write(FAviso[1], &sinal, 1);
}

void TRetransmissorTcp::Retransmitir()
{
    std::vector<TPar> pares;
    char dados[65536];
    for (;;) {
        std::vector<pollfd> espera{{FEscuta, POLLIN, 0}, {FAviso[0], POLLIN, 0}};
        for (const TPar& par : pares) {
            espera.push_back({par.Cliente, POLLIN, 0});
            espera.push_back({par.Servidor, par.Servidor >= 0 ? short(POLLIN) : short(0), 0});
        }
        if (poll(espera.data(), espera.size(), -1) < 0)
            continue;

        if (espera[1].revents & POLLIN) {
            char sinal = 0;
            (void)!read(FAviso[0], &sinal, 1);
            std::lock_guard trava(FTrava);
            if (FEncerrarPedido) {
                // New attachments are refused rather than left waiting on a relay gone.
                for (TPar& par : pares)
                    FecharPar(par);
                close(FEscuta);
                FEscuta = -1;
                return;
            }
            if (FEmudecerPedido) {
                for (TPar& par : pares)
                    par.Armado = true;
                FEmudecerPedido = false;
                FAtendido.notify_all();
            }
        }
        if (espera[0].revents & POLLIN) {
            TPar par;
            par.Cliente = accept(FEscuta, nullptr, nullptr);
            par.Servidor = socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in servidor = Endereco(FPortaServidor);
            if (par.Cliente >= 0 && par.Servidor >= 0 &&
                connect(par.Servidor, reinterpret_cast<const sockaddr*>(&servidor),
                        sizeof servidor) == 0)
                pares.push_back(par);
            else
                FecharPar(par);
        }

        for (std::size_t i = 0; i < pares.size(); ++i) {
            TPar& par = pares[i];
            const short doCliente = espera[2 + 2 * i].revents;
            const short doServidor = espera[3 + 2 * i].revents;
            if (doServidor & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t lidos = recv(par.Servidor, dados, sizeof dados, 0);
                if (lidos <= 0) {
                    // A silent server keeps the client's socket open even once its own is gone.
                    if (!par.Mudo)
                        shutdown(par.Cliente, SHUT_RDWR);
                    close(par.Servidor);
                    par.Servidor = -1;
                } else if (!par.Mudo) {
                    par.Respondeu = par.Armado;
                    EnviarTudo(par.Cliente, dados, lidos);
                }
            }
            if (doCliente & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t lidos = recv(par.Cliente, dados, sizeof dados, 0);
                if (lidos <= 0) {
                    FecharPar(par);
                    continue;
                }
                par.Mudo = par.Mudo || par.Respondeu;
                if (!par.Mudo && par.Servidor >= 0)
                    EnviarTudo(par.Servidor, dados, lidos);
            }
        }
        std::erase_if(pares, [](const TPar& par) { return par.Cliente < 0; });
    }
}
