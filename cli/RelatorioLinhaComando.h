#pragma once

#include "RelatorioMigracao.h"
#include "SituacaoExecucao.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>

// The run's displays on a terminal: the log on the standard output, one line per display line
// of the window's log; messages for the operator (validation, rejected replication triggers,
// errors) on the error stream; and, when that stream is a terminal, a progress line kept up to
// date at its bottom. The engine's thread and a clock thread may both call it.
class TRelatorioLinhaComando : public IRelatorioMigracao {
public:
    TRelatorioLinhaComando(std::ostream& saida, std::ostream& erros, bool progressoAoVivo);

    void LimparLog() override {}
    void AcrescentarLinhaLog(const std::string& linha) override;
    void MarcarFalha() override {}
    void DefinirMaximo(TBarra barra, int maximo) override;
    void DefinirPosicao(TBarra barra, int posicao) override;
    void Abandonar(const std::string& mensagem, bool comFocoBotaoOk) override;
    void MostrarFalhaGatilho(const std::string& mensagem) override;
    void ProgressoCopia(const std::string& tabela, std::int64_t linhas,
                        double linhasPorSegundo) override;

    // A message for the operator on the error stream.
    void Mensagem(const std::string& texto);

    // Where the run stands, read by the progress line; without it the line shows what the
    // report itself was told.
    void DefinirSituacao(std::function<TSituacaoExecucao()> situacao);
    // Draws the progress line again with the time as it is now (a long statement shows its
    // seconds go by).
    void Redesenhar();

    // The progress line as it reads now.
    std::string LinhaProgresso() const;

private:
    void ApagarProgresso();
    void DesenharProgresso();

    std::ostream& FSaida;
    std::ostream& FErros;
    bool FProgressoAoVivo;
    bool FProgressoVisivel = false;
    int FPosicao[2] = {0, 0};
    int FMaximo[2] = {0, 0};
    std::string FTabela;
    std::int64_t FLinhas = 0;
    double FLinhasPorSegundo = 0;
    std::function<TSituacaoExecucao()> FSituacao;
    mutable std::recursive_mutex FTrava;
};

// The window's line breaks (CR LF) as the terminal's.
std::string ComQuebrasDoTerminal(const std::string& texto);
