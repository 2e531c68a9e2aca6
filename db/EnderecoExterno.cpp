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

bool ServidorAbreOrigem(TConexao& destino, const std::string& endereco,
                        const TPerfilConexao& perfil, std::string* motivo)
{
    // The password travels as a parameter, never in a statement's text.
    const std::string bloco = "execute block (ORIGEM " + Octetos(endereco) + ", USUARIO " +
                              Octetos(perfil.Usuario) + ", SENHA " + Octetos(perfil.Senha) +
                              ")\nreturns (N integer)\nas\nbegin\n"
                              "execute statement 'select 1 from RDB$DATABASE'\n"
                              "on external :ORIGEM as user :USUARIO password :SENHA\n"
                              "into :N;\nsuspend;\nend";
    try {
        destino.Protegido([&] {
            // Never concluded: the transaction is rolled back when the scope ends.
            TConexao::TEscopoTransacao escopo(destino);
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
            fb::Liberar(comando, status);
        });
    } catch (const EBancoDados& erro) {
        if (motivo)
            *motivo = erro.what();
        return false;
    }
    return true;
}
