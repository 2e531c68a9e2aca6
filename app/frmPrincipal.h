#pragma once

#include "CabecalhoLog.h"
#include "RelatorioMigracao.h"

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QPixmap>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QThread;
class TAncoras;
class TBarraProgresso;
class TBotaoIniciarParar;
class TPainelProgresso;
class TSeletorArquivo;
class TMigracao;
class TPonteiroOcupado;
class TTabelaResumo;

// The tool's one window: the two database files, the Start command, the log and the two
// progress bars. A run goes on a worker thread so that the window keeps repainting and
// answering; the engine reports through IRelatorioMigracao, whose calls this window carries
// over to its own thread.
class TfrmPrincipal : public QMainWindow, private IRelatorioMigracao {
    Q_OBJECT

public:
    explicit TfrmPrincipal(QWidget* AParent = nullptr);
    ~TfrmPrincipal() override;

    bool EmExecucao() const noexcept { return FExecucao != nullptr; }

signals:
    // A Start command ended (concluded, failed, abandoned or refused); the displays already
    // show all it reported.
    void ExecucaoTerminada();

protected:
    void closeEvent(QCloseEvent* AEvento) override;
    bool eventFilter(QObject* AObjeto, QEvent* AEvento) override;

private:
    void CriarComponentes();
    void edtArquivoOrigemRightButtonClick();
    void edtArquivoDestinoRightButtonClick();
    void btnIniciarClick();
    void IniciarImportacao(bool ASemVerificacao);
    void btnVerificarClick();
    void btnPararClick();
    void ExecutarComando(TCabecalhoLog::TComando AComando,
                         std::function<void(const std::string&, const std::string&)> AExecutar);
    void EsvaziarLog();
    void EscolherArquivo(QLineEdit* AEdit, const QString& ATitulo);
    void AoTerminarExecucao();
    void MostrarChavesPendentes();
    void AvisarChavesPendentesAoFechar();
    void HabilitarComandos(bool AHabilitar);
    TBarraProgresso* Barra(TBarra ABarra) const;

    // Runs AAcao on the window's thread: at once when called there, otherwise queued, and,
    // with AEsperar, returning only once it ran. Once the window is going away, queued actions
    // are dropped.
    template <typename TAcao>
    void NaJanela(TAcao&& AAcao, bool AEsperar);

    void LimparLog() override;
    void AcrescentarLinhaLog(const std::string& linha) override;
    void MarcarFalha() override;
    void DefinirMaximo(TBarra barra, int maximo) override;
    void DefinirPosicao(TBarra barra, int posicao) override;
    void Abandonar(const std::string& mensagem, bool comFocoBotaoOk) override;
    void MostrarFalhaGatilho(const std::string& mensagem) override;
    void ProgressoCopia(const std::string& tabela, std::int64_t linhas,
                        double linhasPorSegundo) override;
    void MostrarResumo(const TResumoMigracao& resumo) override;
    void MostrarResultado(const std::string& linha, bool falha) override;
    void MostrarVista(int AVista);

    QLabel* Label1 = nullptr;
    QLineEdit* edtArquivoOrigem = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edtArquivoDestino = nullptr;
    QPushButton* btnIniciar = nullptr;
    QPushButton* btnVerificar = nullptr;
    QPlainTextEdit* memInfo = nullptr;
    TBarraProgresso* pgbTotal = nullptr;
    TBarraProgresso* pgbAtual = nullptr;
    TSeletorArquivo* FileOpenDialog1 = nullptr;
    TBotaoIniciarParar* FBotaoIniciarParar = nullptr;
    TPainelProgresso* FPainelProgresso = nullptr;
    // The log and the last run's summary share the log's place; the tabs switch between them.
    QTabBar* tabVista = nullptr;
    TTabelaResumo* grdResumo = nullptr;
    // The last command's result line, in view wherever the log was scrolled.
    QLabel* lblResultado = nullptr;
    TCabecalhoLog::TComando FComando = TCabecalhoLog::TComando::Importacao;
    QString FOrigemComando;
    QString FDestinoComando;
    QList<QPixmap> ImageList1;
    QAction* FBotaoOrigem = nullptr;
    QAction* FBotaoDestino = nullptr;
    TAncoras* FAncoras = nullptr;
    QColor FCorPadraoLog;

    TPonteiroOcupado* FPonteiroOcupado = nullptr;
    std::unique_ptr<TMigracao> FMigracao;
    std::unique_ptr<QThread> FExecucao;
    std::exception_ptr FErroExecucao;
    bool FChavesAMostrar = false; // set by the worker thread, read once it has finished
    std::atomic<bool> FEncerrando{false};
    bool FFecharAoTerminar = false;
    // The last run was refused by its check: the operator may go ahead anyway. Set on the
    // worker thread, read once it has ended.
    bool FRecusada = false;
};
