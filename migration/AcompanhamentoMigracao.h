#pragma once

#include "ArquivoLog.h"
#include "RelatorioMigracao.h"
#include "SituacaoExecucao.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>

// The engine's side of the run's displays: builds the time-stamped log lines and keeps the
// two bars' positions and maxima, so that reading a bar never depends on a widget. Every bar
// move of the engine goes through here, which is what keeps a position from ever passing its
// maximum. The bars may be read from any thread while a run moves them.
class TAcompanhamentoMigracao {
public:
    explicit TAcompanhamentoMigracao(IRelatorioMigracao& relatorio) : FRelatorio(relatorio) {}
    TAcompanhamentoMigracao(const TAcompanhamentoMigracao&) = delete;
    TAcompanhamentoMigracao& operator=(const TAcompanhamentoMigracao&) = delete;

    // Appends the log line for Texto, stamped with the current time of day; the line is
    // also the work under way from now on.
    void AdicionarLog(const std::string& Texto);
    // The log line that ends a run or a check: logged, then shown as its result.
    void AdicionarResultado(const std::string& Texto, bool falha = false);
    // The start of a command's log: the displays are emptied and, once a command was
    // announced, its kept file starts.
    void LimparLog();
    void MarcarFalha() { FRelatorio.MarcarFalha(); }

    // The command whose log the next LimparLog starts (full paths of the pair).
    void AnunciarComando(TArquivoLog::TComando comando, const std::string& origem,
                         const std::string& destino);
    // The end of the announced command: when its log started, its last line says where the
    // log was kept (or why it could not be); the file is closed.
    void EncerrarComando();

    // A maximum below the current position pulls the position down to it; a position is
    // kept between 0 and the maximum.
    void DefinirMaximo(TBarra barra, int maximo);
    void DefinirPosicao(TBarra barra, int posicao);
    // Position plus one; a bar at its maximum stays there.
    void Avancar(TBarra barra);
    // Position 0 and the given maximum, the way each step opens.
    void Reiniciar(TBarra barra, int maximo);

    int Posicao(TBarra barra) const noexcept { return Estado(barra).Posicao.load(); }
    int Maximo(TBarra barra) const noexcept { return Estado(barra).Maximo.load(); }

    IRelatorioMigracao& Relatorio() noexcept { return FRelatorio; }

    // The run's clock and what the displays read of it (see TSituacaoExecucao). Any thread
    // may read the situation while the run moves it.
    void IniciarCronometro();
    // No run to show: a command that ends before its run begins leaves no time behind.
    void ZerarCronometro();
    void PararCronometro();
    // Work under way that writes no log line of its own.
    void DefinirAtividade(const std::string& atividade);
    // The rows all tables to copy hold in the source.
    void DefinirLinhasTotais(std::int64_t linhas);
    // A table's copy begins, with its rows counted in the source (-1 unknown), goes on, ends.
    void IniciarTabela(const std::string& tabela, std::int64_t total);
    void ProgressoTabela(std::int64_t linhas, double linhasPorSegundo);
    void ConcluirTabela();
    TSituacaoExecucao Situacao() const;

    // The line as the log shows it: the time of day in the user's own long time format
    // (the C library's "%X" for the locale the environment names, no time zone), " - ", text.
    static std::string FormatarLinha(std::time_t instante, const std::string& texto);

private:
    struct TEstadoBarra {
        std::atomic<int> Posicao{0};
        std::atomic<int> Maximo{100};
    };
    TEstadoBarra& Estado(TBarra barra) noexcept { return barra == TBarra::Total ? FTotal : FAtual; }
    const TEstadoBarra& Estado(TBarra barra) const noexcept
    {
        return barra == TBarra::Total ? FTotal : FAtual;
    }

    using TRelogio = std::chrono::steady_clock;

    IRelatorioMigracao& FRelatorio;
    TArquivoLog FArquivoLog;
    bool FComandoAnunciado = false;
    bool FLogIniciado = false;
    TArquivoLog::TComando FComando = TArquivoLog::TComando::Importacao;
    std::string FOrigem;
    std::string FDestino;
    TEstadoBarra FTotal;
    TEstadoBarra FAtual;

    mutable std::mutex FTrava;
    TSituacaoExecucao FSituacao;
    TRelogio::time_point FInicio;
    TRelogio::time_point FInicioAtividade;
    TRelogio::time_point FInicioTabela;
    double FSegundosTabelasConcluidas = 0;
    std::int64_t FLinhasTabelasConcluidas = 0;
};
