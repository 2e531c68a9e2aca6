#include "IdentidadeArquivo.h"

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool Examinar(const std::string& caminho, struct stat& dados)
{
    return ::stat(caminho.c_str(), &dados) == 0;
}

// Paths the server resolves itself (an alias) cannot be examined here; their text, made
// absolute and normalised, is the best that can be told of them.
std::string CaminhoNormalizado(const std::string& caminho)
{
    std::error_code erro;
    const fs::path absoluto = fs::absolute(caminho, erro);
    if (erro)
        return fs::path(caminho).lexically_normal().string();
    const fs::path canonico = fs::weakly_canonical(absoluto, erro);
    return erro ? absoluto.lexically_normal().string() : canonico.string();
}

} // namespace

std::string CaminhoAbsoluto(const std::string& caminho)
{
    return caminho.empty() ? caminho : CaminhoNormalizado(caminho);
}

bool MesmoArquivo(const std::string& a, const std::string& b)
{
    struct stat dadosA {};
    struct stat dadosB {};
    if (Examinar(a, dadosA) && Examinar(b, dadosB))
        return dadosA.st_dev == dadosB.st_dev && dadosA.st_ino == dadosB.st_ino;
    return CaminhoNormalizado(a) == CaminhoNormalizado(b);
}

std::string ChaveArquivo(const std::string& caminho)
{
    return CaminhoNormalizado(caminho);
}
