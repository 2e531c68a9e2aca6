#include "AcompanhamentoMigracao.h"

#include <algorithm>
#include <locale.h>

namespace {

// The user's time format, whatever the process's global locale: a library must not depend on
// its host having called setlocale, nor change it. An environment naming a locale that is not
// installed falls back to the C locale's "%X", which reads the same as pt_BR's.
locale_t LocaleHora()
{
    static const locale_t local = [] {
        locale_t l = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return local;
}

} // namespace

std::string TAcompanhamentoMigracao::FormatarLinha(std::time_t instante, const std::string& texto)
{
    std::tm partes{};
    localtime_r(&instante, &partes);
    char hora[64];
    const std::size_t tamanho = strftime_l(hora, sizeof hora, "%X", &partes, LocaleHora());
    return std::string(hora, tamanho) + " - " + texto;
}

void TAcompanhamentoMigracao::AdicionarLog(const std::string& Texto)
{
    DefinirAtividade(Texto);
    const std::string linha = FormatarLinha(std::time(nullptr), Texto);
    FRelatorio.AcrescentarLinhaLog(linha);
    FArquivoLog.Escrever(linha);
}

void TAcompanhamentoMigracao::LimparLog()
{
    FRelatorio.LimparLog();
    if (FComandoAnunciado && !FLogIniciado) {
        FLogIniciado = true;
        FArquivoLog.Iniciar(FComando, FOrigem, FDestino);
    }
}

void TAcompanhamentoMigracao::AnunciarComando(TArquivoLog::TComando comando,
                                              const std::string& origem,
                                              const std::string& destino)
{
    FComandoAnunciado = true;
    FLogIniciado = false;
    FComando = comando;
    FOrigem = origem;
    FDestino = destino;
}

void TAcompanhamentoMigracao::EncerrarComando()
{
    // A command that ended before its log started (a validation message, a refusal) keeps
    // no file.
    const bool iniciado = FLogIniciado;
    FComandoAnunciado = FLogIniciado = false;
    if (!iniciado)
        return;
    if (FArquivoLog.Falha().empty())
        AdicionarLog("Log gravado em " + FArquivoLog.Caminho() + ".");
    else
        AdicionarLog("O log não pôde ser gravado: " + FArquivoLog.Falha() + ".");
    FArquivoLog.Encerrar();
}

void TAcompanhamentoMigracao::AdicionarResultado(const std::string& Texto, bool falha)
{
    AdicionarLog(Texto);
    FRelatorio.MostrarResultado(Texto, falha);
}

namespace {

double Segundos(std::chrono::steady_clock::duration duracao)
{
    return std::chrono::duration<double>(duracao).count();
}

} // namespace

void TAcompanhamentoMigracao::IniciarCronometro()
{
    std::lock_guard trava(FTrava);
    FSituacao = {};
    FSituacao.EmExecucao = true;
    FInicio = FInicioAtividade = TRelogio::now();
    FSegundosTabelasConcluidas = 0;
    FLinhasTabelasConcluidas = 0;
}

void TAcompanhamentoMigracao::ZerarCronometro()
{
    std::lock_guard trava(FTrava);
    FSituacao = {};
}

void TAcompanhamentoMigracao::PararCronometro()
{
    std::lock_guard trava(FTrava);
    FSituacao.Decorrido = Segundos(TRelogio::now() - FInicio);
    FSituacao.EmExecucao = false;
    FSituacao.Tabela.clear();
}

void TAcompanhamentoMigracao::DefinirAtividade(const std::string& atividade)
{
    std::lock_guard trava(FTrava);
    FSituacao.Atividade = atividade;
    FInicioAtividade = TRelogio::now();
}

void TAcompanhamentoMigracao::DefinirLinhasTotais(std::int64_t linhas)
{
    std::lock_guard trava(FTrava);
    FSituacao.LinhasTotais = linhas;
}

void TAcompanhamentoMigracao::IniciarTabela(const std::string& tabela, std::int64_t total)
{
    std::lock_guard trava(FTrava);
    FSituacao.Tabela = tabela;
    FSituacao.TotalTabela = total;
    FSituacao.Linhas = 0;
    FSituacao.LinhasPorSegundo = 0;
    FInicioTabela = TRelogio::now();
}

void TAcompanhamentoMigracao::ProgressoTabela(std::int64_t linhas, double linhasPorSegundo)
{
    std::lock_guard trava(FTrava);
    FSituacao.Linhas = linhas;
    FSituacao.LinhasPorSegundo = linhasPorSegundo;
}

void TAcompanhamentoMigracao::ConcluirTabela()
{
    std::lock_guard trava(FTrava);
    FSegundosTabelasConcluidas += Segundos(TRelogio::now() - FInicioTabela);
    FLinhasTabelasConcluidas += std::max(FSituacao.Linhas, FSituacao.TotalTabela);
    FSituacao.Tabela.clear();
}

TSituacaoExecucao TAcompanhamentoMigracao::Situacao() const
{
    std::lock_guard trava(FTrava);
    TSituacaoExecucao situacao = FSituacao;
    if (!situacao.EmExecucao)
        return situacao;
    const TRelogio::time_point agora = TRelogio::now();
    situacao.Decorrido = Segundos(agora - FInicio);
    situacao.DecorridoAtividade = Segundos(agora - FInicioAtividade);
    situacao.LinhasCopiadas = FLinhasTabelasConcluidas + (situacao.Tabela.empty() ? 0 : situacao.Linhas);
    situacao.SegundosCopia =
        FSegundosTabelasConcluidas + (situacao.Tabela.empty() ? 0 : Segundos(agora - FInicioTabela));
    return situacao;
}

void TAcompanhamentoMigracao::DefinirMaximo(TBarra barra, int maximo)
{
    TEstadoBarra& estado = Estado(barra);
    maximo = std::max(maximo, 0);
    // The position comes down first, so that the report never sees it beyond a maximum.
    if (estado.Posicao.load() > maximo) {
        estado.Posicao.store(maximo);
        FRelatorio.DefinirPosicao(barra, maximo);
    }
    estado.Maximo.store(maximo);
    FRelatorio.DefinirMaximo(barra, maximo);
}

void TAcompanhamentoMigracao::DefinirPosicao(TBarra barra, int posicao)
{
    TEstadoBarra& estado = Estado(barra);
    posicao = std::clamp(posicao, 0, estado.Maximo.load());
    estado.Posicao.store(posicao);
    FRelatorio.DefinirPosicao(barra, posicao);
}

void TAcompanhamentoMigracao::Avancar(TBarra barra)
{
    DefinirPosicao(barra, Posicao(barra) + 1);
}

void TAcompanhamentoMigracao::Reiniciar(TBarra barra, int maximo)
{
    DefinirPosicao(barra, 0);
    DefinirMaximo(barra, maximo);
}
