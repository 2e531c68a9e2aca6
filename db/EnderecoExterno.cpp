#include "EnderecoExterno.h"

#include "Firebird.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace Firebird;

namespace {

std::string Octetos(const std::string& valor)
{
    return "varchar(" + std::to_string(std::max<std::size_t>(1, valor.size())) +
           ") character set OCTETS = ?";
}

void GravarOctetos(std::vector<unsigned char>& mensagem, IMessageMetadata* meta, unsigned indice,
                   const std::string& valor)
{
    fb::TStatus status;
    unsigned char* dado = mensagem.data() + meta->getOffset(&status, indice);
    const auto tamanho = static_cast<std::uint16_t>(valor.size());
    std::memcpy(dado, &tamanho, sizeof tamanho);
    std::memcpy(dado + sizeof tamanho, valor.data(), valor.size());
    std::memset(mensagem.data() + meta->getNullOffset(&status, indice), 0, sizeof(short));
}

} // namespace

std::string EnderecoExterno(const TPerfilConexao& perfil, const std::string& banco)
{
    return perfil.Servidor + (perfil.Porta.empty() ? "" : "/" + perfil.Porta) + ":" + banco;
}

namespace {

// Attaches the destination's server to the source for one read of the protocol that
// attachment came by: NULL for one the server made in its own process. Nothing when it fails.
std::optional<bool> Sondar(TConexao& destino, const std::string& endereco,
                           const TPerfilConexao& perfil, std::string* motivo)
{
    // The password travels as a parameter, never in a statement's text.
    const std::string bloco = "execute block (ORIGEM " + Octetos(endereco) + ", USUARIO " +
                              Octetos(perfil.Usuario) + ", SENHA " + Octetos(perfil.Senha) +
                              ")\nreturns (PROTOCOLO varchar(10) character set OCTETS)\nas\n"
                              "begin\n"
                              "execute statement 'select MON$REMOTE_PROTOCOL from "
                              "MON$ATTACHMENTS where MON$ATTACHMENT_ID = current_connection'\n"
                              "on external :ORIGEM as user :USUARIO password :SENHA\n"
                              "into :PROTOCOLO;\nsuspend;\nend";
    bool semRede = false;
    try {
        // Never concluded: the transaction is rolled back when the scope ends.
        TConexao::TEscopoTransacao escopo(destino);
        destino.Protegido([&] {
            fb::TStatus status;
            fb::TComando comando(destino.Anexo()->prepare(
                &status, destino.Transacao(), static_cast<unsigned>(bloco.size()), bloco.c_str(),
                TConexao::Dialeto, IStatement::PREPARE_PREFETCH_METADATA));
            fb::TMetadados entrada(comando->getInputMetadata(&status));
            fb::TMetadados saida(comando->getOutputMetadata(&status));
            std::vector<unsigned char> parametros(entrada->getMessageLength(&status));
            std::vector<unsigned char> resultado(saida->getMessageLength(&status));
            GravarOctetos(parametros, entrada.get(), 0, endereco);
            GravarOctetos(parametros, entrada.get(), 1, perfil.Usuario);
            GravarOctetos(parametros, entrada.get(), 2, perfil.Senha);
            comando->execute(&status, destino.Transacao(), entrada.get(), parametros.data(),
                             saida.get(), resultado.data());
            short nulo = 0;
            std::memcpy(&nulo, resultado.data() + saida->getNullOffset(&status, 0), sizeof nulo);
            semRede = nulo != 0;
            fb::Liberar(comando, status);
        });
    } catch (const EBancoDados& erro) {
        // The destination's own attachment lost is no answer about the source.
        if (!destino.Conectado())
            throw;
        if (motivo)
            *motivo = erro.what();
        return std::nullopt;
    }
    return semRede;
}

} // namespace

std::optional<TLeituraExterna> EscolherLeituraExterna(TConexao& destino,
                                                      const TPerfilConexao& perfil,
                                                      const std::string& banco,
                                                      std::string* motivo)
{
    const TPerfilConexao& servidor = destino.Perfil();
    if (perfil.Servidor == servidor.Servidor && perfil.Porta == servidor.Porta) {
        // A refusal here (a server configured to attach only through the network, say)
        // leaves the network address, which is what the source's own connection uses.
        if (const std::optional<bool> semRede = Sondar(destino, banco, perfil, nullptr))
            return TLeituraExterna{banco, *semRede};
    }
    const std::string endereco = EnderecoExterno(perfil, banco);
    if (const std::optional<bool> semRede = Sondar(destino, endereco, perfil, motivo))
        return TLeituraExterna{endereco, *semRede};
    return std::nullopt;
}
