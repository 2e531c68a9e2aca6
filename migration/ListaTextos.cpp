#include "ListaTextos.h"

#include <algorithm>
#include <cctype>

namespace {

bool IgualSemCaixa(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

} // namespace

bool TListaTextos::Contem(const std::string& texto) const
{
    return std::any_of(FTextos.begin(), FTextos.end(),
                       [&texto](const std::string& item) { return IgualSemCaixa(item, texto); });
}

std::string Juntar(const std::vector<std::string>& partes, const std::string& separador)
{
    std::string texto;
    for (std::size_t i = 0; i < partes.size(); ++i)
        texto += (i ? separador : "") + partes[i];
    return texto;
}
