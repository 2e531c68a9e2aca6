#include "RelatorioLinhaComando.h"

#include "TextoProgresso.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace {

constexpr int TotalEtapas = 11;

int Indice(TBarra barra)
{
    return barra == TBarra::Total ? 0 : 1;
}

} // namespace

std::string ComQuebrasDoTerminal(const std::string& texto)
{
    std::string resultado;
    resultado.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n')
            continue;
        resultado += texto[i];
    }
    return resultado;
}

TRelatorioLinhaComando::TRelatorioLinhaComando(std::ostream& saida, std::ostream& erros,
                                               bool progressoAoVivo)
    : FSaida(saida), FErros(erros), FProgressoAoVivo(progressoAoVivo)
{
}

void TRelatorioLinhaComando::AcrescentarLinhaLog(const std::string& linha)
{
    std::lock_guard trava(FTrava);
    ApagarProgresso();
    FSaida << ComQuebrasDoTerminal(linha) << '\n' << std::flush;
    // A new line names a new table or step: the copy figures belong to the previous one.
    FTabela.clear();
    DesenharProgresso();
}

void TRelatorioLinhaComando::DefinirMaximo(TBarra barra, int maximo)
{
    std::lock_guard trava(FTrava);
    FMaximo[Indice(barra)] = maximo;
    DesenharProgresso();
}

void TRelatorioLinhaComando::DefinirPosicao(TBarra barra, int posicao)
{
    std::lock_guard trava(FTrava);
    FPosicao[Indice(barra)] = posicao;
    DesenharProgresso();
}

void TRelatorioLinhaComando::Abandonar(const std::string& mensagem, bool)
{
    Mensagem(mensagem);
}

void TRelatorioLinhaComando::MostrarFalhaGatilho(const std::string& mensagem)
{
    Mensagem("Falha ao criar o gatilho da replicação da tabela " + mensagem);
}

void TRelatorioLinhaComando::ProgressoCopia(const std::string& tabela, std::int64_t linhas,
                                            double linhasPorSegundo)
{
    std::lock_guard trava(FTrava);
    FTabela = tabela;
    FLinhas = linhas;
    FLinhasPorSegundo = linhasPorSegundo;
    DesenharProgresso();
}

void TRelatorioLinhaComando::Mensagem(const std::string& texto)
{
    std::lock_guard trava(FTrava);
    ApagarProgresso();
    FSaida << std::flush;
    FErros << ComQuebrasDoTerminal(texto) << '\n' << std::flush;
    DesenharProgresso();
}

std::string TRelatorioLinhaComando::LinhaProgresso() const
{
    std::lock_guard trava(FTrava);
    const int etapa = std::min(FPosicao[0] + 1, TotalEtapas);
    std::string linha = "Etapa " + std::to_string(etapa) + " de " + std::to_string(TotalEtapas) +
                        " | " + std::to_string(FPosicao[1]) + "/" + std::to_string(FMaximo[1]);
    if (FSituacao) {
        const TSituacaoExecucao situacao = FSituacao();
        const std::string atual = TTextoProgresso::Atual(situacao);
        if (!atual.empty())
            linha += " | " + atual;
        return linha + " | " + TTextoProgresso::Total(situacao);
    }
    if (!FTabela.empty())
        linha += " | " + FTabela + ": " + std::to_string(FLinhas) + " linhas, " +
                 std::to_string(std::llround(FLinhasPorSegundo)) + " linhas/s";
    return linha;
}

void TRelatorioLinhaComando::DefinirSituacao(std::function<TSituacaoExecucao()> situacao)
{
    std::lock_guard trava(FTrava);
    FSituacao = std::move(situacao);
}

void TRelatorioLinhaComando::Redesenhar()
{
    std::lock_guard trava(FTrava);
    if (FProgressoVisivel)
        DesenharProgresso();
}

void TRelatorioLinhaComando::ApagarProgresso()
{
    if (!FProgressoVisivel)
        return;
    FErros << "\r\033[K" << std::flush;
    FProgressoVisivel = false;
}

void TRelatorioLinhaComando::DesenharProgresso()
{
    if (!FProgressoAoVivo)
        return;
    FErros << "\r\033[K" << LinhaProgresso() << std::flush;
    FProgressoVisivel = true;
}
