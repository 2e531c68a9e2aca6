#include "ResumoMigracao.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double TResumoTabela::LinhasPorSegundo() const
{
    return Segundos > 0 ? static_cast<double>(Linhas) / Segundos : 0.0;
}

const char* TResumoTabela::TextoCaminho(TCaminhoResumo caminho)
{
    switch (caminho) {
    case TCaminhoResumo::Servidor:
        return "servidor";
    case TCaminhoResumo::Cliente:
        return "cliente";
    case TCaminhoResumo::Mantida:
        return "mantida";
    }
    return "";
}

const char* TResumoTabela::TextoConferencia(TConferenciaResumo conferencia)
{
    switch (conferencia) {
    case TConferenciaResumo::Igual:
        return "igual";
    case TConferenciaResumo::Diferente:
        return "diferente";
    case TConferenciaResumo::NaoConferida:
        return "não conferida";
    }
    return "";
}

void TResumoMigracao::Limpar()
{
    FIniciado = false;
    FTabelas.clear();
}

void TResumoMigracao::Registrar(TResumoTabela tabela)
{
    FTabelas.push_back(std::move(tabela));
}

void TResumoMigracao::AplicarProva(const TResultadoProva& prova)
{
    for (TResumoTabela& tabela : FTabelas)
        if (const TVereditoTabela* veredito = prova.Veredito(tabela.Tabela))
            tabela.Conferencia =
                veredito->Igual ? TConferenciaResumo::Igual : TConferenciaResumo::Diferente;
}

std::int64_t TResumoMigracao::TotalLinhas() const
{
    std::int64_t total = 0;
    for (const TResumoTabela& tabela : FTabelas)
        total += tabela.Linhas;
    return total;
}

double TResumoMigracao::TotalSegundos() const
{
    double total = 0;
    for (const TResumoTabela& tabela : FTabelas)
        total += tabela.Segundos;
    return total;
}

std::string TResumoMigracao::FormatarSegundos(double segundos)
{
    const long long decimos = std::llround(std::max(segundos, 0.0) * 10);
    return std::to_string(decimos / 10) + "," + std::to_string(decimos % 10);
}

namespace {

// Display width of a UTF-8 text: its code points.
std::size_t Largura(const std::string& texto)
{
    return static_cast<std::size_t>(std::count_if(texto.begin(), texto.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Esquerda(const std::string& texto, std::size_t largura)
{
    const std::size_t tem = Largura(texto);
    return texto + std::string(largura > tem ? largura - tem : 0, ' ');
}

std::string Direita(const std::string& texto, std::size_t largura)
{
    const std::size_t tem = Largura(texto);
    return std::string(largura > tem ? largura - tem : 0, ' ') + texto;
}

} // namespace

std::vector<std::string> TResumoMigracao::Linhas() const
{
    struct TColunas {
        std::string Tabela, Linhas, Segundos, PorSegundo, Caminho, Conferencia;
    };
    std::vector<TColunas> colunas{{"Tabela", "Linhas", "Segundos", "Linhas/s", "Caminho",
                                   "Conferência"}};
    for (const TResumoTabela& tabela : FTabelas)
        colunas.push_back({tabela.Tabela, std::to_string(tabela.Linhas),
                           FormatarSegundos(tabela.Segundos),
                           std::to_string(std::llround(tabela.LinhasPorSegundo())),
                           TResumoTabela::TextoCaminho(tabela.Caminho),
                           TResumoTabela::TextoConferencia(tabela.Conferencia)});
    std::size_t l[5] = {};
    for (const TColunas& c : colunas) {
        l[0] = std::max(l[0], Largura(c.Tabela));
        l[1] = std::max(l[1], Largura(c.Linhas));
        l[2] = std::max(l[2], Largura(c.Segundos));
        l[3] = std::max(l[3], Largura(c.PorSegundo));
        l[4] = std::max(l[4], Largura(c.Caminho));
    }

    std::vector<std::string> linhas{"Resumo da importação:"};
    for (const TColunas& c : colunas)
        linhas.push_back(Esquerda(c.Tabela, l[0]) + "  " + Direita(c.Linhas, l[1]) + "  " +
                         Direita(c.Segundos, l[2]) + "  " + Direita(c.PorSegundo, l[3]) + "  " +
                         Esquerda(c.Caminho, l[4]) + "  " + c.Conferencia);
    linhas.push_back("Total: " + std::to_string(FTabelas.size()) + " tabelas, " +
                     std::to_string(TotalLinhas()) + " linhas, " +
                     FormatarSegundos(TotalSegundos()) + " s");
    return linhas;
}
