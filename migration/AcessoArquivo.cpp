#include "AcessoArquivo.h"

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace {

// The user of the process's real id: the one who started it.
std::string NomeUsuario()
{
    if (const passwd* usuario = getpwuid(getuid()))
        return usuario->pw_name;
    return std::to_string(getuid());
}

// Whether the real user lacks that right: access() checks the real ids, not the effective ones.
bool SemDireito(const std::string& caminho, int modo)
{
    return access(caminho.c_str(), modo) != 0 && errno == EACCES;
}

} // namespace

std::string RecusaAcesso(const std::string& caminho, const std::string& papel,
                         TAcessoArquivo acesso)
{
    const char* falta = nullptr;
    if (SemDireito(caminho, R_OK))
        falta = "leitura";
    else if (acesso == TAcessoArquivo::LeituraEscrita && SemDireito(caminho, W_OK))
        falta = "escrita";
    if (!falta)
        return {};
    return "O usuário " + NomeUsuario() + " não tem permissão de " + falta +
           " no arquivo do banco de dados de " + papel + ": " + caminho;
}
