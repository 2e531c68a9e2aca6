#include "RelatorioGravado.h"

#include <algorithm>
#include <utility>

namespace {

int Indice(TBarra barra)
{
    return barra == TBarra::Total ? 0 : 1;
}

const std::string Separador = " - ";

} // namespace

void TRelatorioGravado::LimparLog()
{
    Linhas.clear();
    LinhaFinal.clear();
    EmVermelho = false;
    ++Limpezas;
}

void TRelatorioGravado::AcrescentarLinhaLog(const std::string& linha)
{
    const auto separador = linha.find(Separador);
    const std::string texto =
        separador == std::string::npos ? linha : linha.substr(separador + Separador.size());
    if (texto.rfind("Log gravado em ", 0) == 0 || texto.rfind("O log não pôde ser gravado: ", 0) == 0) {
        LinhaFinal = linha;
        return;
    }
    Linhas.push_back(linha);
    if (AoAcrescentar)
        AoAcrescentar(Textos().back());
}

void TRelatorioGravado::DefinirMaximo(TBarra barra, int maximo)
{
    Maximo[Indice(barra)] = maximo;
    PassouDoMaximo = PassouDoMaximo || Posicao[Indice(barra)] > maximo;
}

void TRelatorioGravado::DefinirPosicao(TBarra barra, int posicao)
{
    Posicao[Indice(barra)] = posicao;
    PassouDoMaximo = PassouDoMaximo || posicao > Maximo[Indice(barra)];
}

void TRelatorioGravado::Abandonar(const std::string& mensagem, bool comFocoBotaoOk)
{
    Abandonos.push_back(mensagem);
    FocoNoOk = comFocoBotaoOk;
}

void TRelatorioGravado::MostrarFalhaGatilho(const std::string& mensagem)
{
    FalhasGatilho.push_back(mensagem);
}

std::vector<std::string> TRelatorioGravado::Textos() const
{
    std::vector<std::string> textos;
    for (const std::string& linha : Linhas) {
        const auto separador = linha.find(Separador);
        textos.push_back(separador == std::string::npos ? linha
                                                        : linha.substr(separador + Separador.size()));
    }
    return textos;
}

namespace {

// Where the summary's lines begin and end (one past its totals) among the texts; both at the
// end when there is none.
std::pair<std::size_t, std::size_t> LimitesResumo(const std::vector<std::string>& textos)
{
    std::size_t inicio = 0;
    while (inicio < textos.size() && textos[inicio] != "Resumo da importação:")
        ++inicio;
    std::size_t fim = inicio;
    while (fim < textos.size() && !textos[fim].starts_with("Total: "))
        ++fim;
    return {inicio, std::min(fim + 1, textos.size())};
}

} // namespace

std::vector<std::string> TRelatorioGravado::TextosSemResumo() const
{
    std::vector<std::string> textos = Textos();
    const auto [inicio, fim] = LimitesResumo(textos);
    textos.erase(textos.begin() + static_cast<std::ptrdiff_t>(inicio),
                 textos.begin() + static_cast<std::ptrdiff_t>(fim));
    return textos;
}

std::vector<std::string> TRelatorioGravado::TextosResumo() const
{
    const std::vector<std::string> textos = Textos();
    const auto [inicio, fim] = LimitesResumo(textos);
    return {textos.begin() + static_cast<std::ptrdiff_t>(inicio),
            textos.begin() + static_cast<std::ptrdiff_t>(fim)};
}
