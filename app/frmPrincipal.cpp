#include "frmPrincipal.h"

#include "Ancoras.h"
#include "Aplicacao.h"
#include "BarraProgresso.h"
#include "BotaoIniciarParar.h"
#include "CaixaMensagem.h"
#include "Dialog.h"
#include "MenuLog.h"
#include "Migracao.h"
#include "PainelProgresso.h"
#include "RegistroChavesPendentes.h"
#include "PonteiroOcupado.h"
#include "SeletorArquivo.h"
#include "TabelaResumo.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTextDocument>
#include <QThread>
#include <QtMath>

#include <cmath>

namespace {

constexpr QSize CTamanhoCliente(959, 701);
constexpr QRect CRetanguloLog(16, 133, 931, 507);
// The smallest client area still leaves a path readable in each box, the Start button beside
// them and this many lines of the log in view.
constexpr int CLarguraMinima = 480;
constexpr int CLinhasLogVisiveis = 5;
// The tabs of the log and the summary, and the result line beside them, in the free band
// between the destination's box and the log.
constexpr QRect CRetanguloVistas(16, 110, 160, 23);
constexpr QRect CRetanguloResultado(184, 113, 763, 17);
enum { CVistaLog, CVistaResumo };

QFont FonteLog()
{
    QFont fonte;
    fonte.setFamilies({QStringLiteral("Consolas"), QStringLiteral("DejaVu Sans Mono"),
                       QStringLiteral("Liberation Mono")});
    fonte.setStyleHint(QFont::TypeWriter);
    fonte.setFixedPitch(true);
    fonte.setPointSize(12);
    return fonte;
}

QFont FonteJanela()
{
    QFont fonte;
    fonte.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    fonte.setPointSize(8);
    return fonte;
}

// Labels fit their text, whatever font stands in for the window's own.
QRect RetanguloRotulo(QLabel* ARotulo, QPoint AOrigem)
{
    return QRect(AOrigem, ARotulo->sizeHint());
}

QString Texto(const std::string& ATexto)
{
    return QString::fromStdString(ATexto);
}

} // namespace

TfrmPrincipal::TfrmPrincipal(QWidget* AParent) : QMainWindow(AParent)
{
    setObjectName(QStringLiteral("frmPrincipal"));
    CriarComponentes();
    FPonteiroOcupado = new TPonteiroOcupado(this);
    FMigracao = std::make_unique<TMigracao>(static_cast<IRelatorioMigracao&>(*this));
    FPainelProgresso = new TPainelProgresso(pgbTotal, pgbAtual, [this] { return FMigracao->Situacao(); }, this);
}

// A window destroyed while a run is still under way (the process is ending) stops the run at
// its next safe point and waits for it; what the run still reports is dropped, the end of the
// run included. The queued calls are delivered meanwhile so that a run waiting for a message
// to be seen is let go.
TfrmPrincipal::~TfrmPrincipal()
{
    FEncerrando = true;
    if (FExecucao) {
        FMigracao->SolicitarParada();
        while (!FExecucao->wait(QDeadlineTimer(20)))
            QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void TfrmPrincipal::CriarComponentes()
{
    setWindowTitle(QStringLiteral("Vorel NewDatabase (Importação para um banco de dados Vorel novo/limpo)"));
    setFont(FonteJanela());

    auto* cliente = new QWidget(this);
    cliente->setObjectName(QStringLiteral("pnlCliente"));
    setCentralWidget(cliente);
    cliente->resize(CTamanhoCliente);
    FAncoras = new TAncoras(cliente, CTamanhoCliente);
    using A = TAncoras;

    ImageList1 << QPixmap(QStringLiteral(":/vorel/janela/PASTA_ABERTA_16"));

    Label1 = new QLabel(QStringLiteral("Banco de dados de ORIGEM"), cliente);
    Label1->setObjectName(QStringLiteral("Label1"));
    FAncoras->Adicionar(Label1, RetanguloRotulo(Label1, QPoint(16, 16)), A::akLeft | A::akTop);

    edtArquivoOrigem = new QLineEdit(cliente);
    edtArquivoOrigem->setObjectName(QStringLiteral("edtArquivoOrigem"));
    edtArquivoOrigem->setReadOnly(true);
    FBotaoOrigem = edtArquivoOrigem->addAction(QIcon(ImageList1.first()), QLineEdit::TrailingPosition);
    FBotaoOrigem->setObjectName(QStringLiteral("edtArquivoOrigemRightButton"));
    connect(FBotaoOrigem, &QAction::triggered, this, &TfrmPrincipal::edtArquivoOrigemRightButtonClick);
    FAncoras->Adicionar(edtArquivoOrigem, QRect(16, 35, 836, 21), A::akLeft | A::akTop | A::akRight);

    Label2 = new QLabel(QStringLiteral("Banco de dados de DESTINO"), cliente);
    Label2->setObjectName(QStringLiteral("Label2"));
    FAncoras->Adicionar(Label2, RetanguloRotulo(Label2, QPoint(16, 64)), A::akLeft | A::akTop);

    edtArquivoDestino = new QLineEdit(cliente);
    edtArquivoDestino->setObjectName(QStringLiteral("edtArquivoDestino"));
    edtArquivoDestino->setReadOnly(true);
    FBotaoDestino = edtArquivoDestino->addAction(QIcon(ImageList1.first()), QLineEdit::TrailingPosition);
    FBotaoDestino->setObjectName(QStringLiteral("edtArquivoDestinoRightButton"));
    connect(FBotaoDestino, &QAction::triggered, this, &TfrmPrincipal::edtArquivoDestinoRightButtonClick);
    FAncoras->Adicionar(edtArquivoDestino, QRect(16, 83, 836, 21), A::akLeft | A::akTop | A::akRight);

    btnIniciar = new QPushButton(QStringLiteral("Iniciar"), cliente);
    btnIniciar->setObjectName(QStringLiteral("btnIniciar"));
    FBotaoIniciarParar = new TBotaoIniciarParar(
        btnIniciar, [this] { btnIniciarClick(); }, [this] { btnPararClick(); });
    btnIniciar->installEventFilter(this);
    FAncoras->Adicionar(btnIniciar, QRect(872, 81, 75, 25), A::akTop | A::akRight);

    // The check of the pair, in the free space right of the source box, above "Iniciar".
    btnVerificar = new QPushButton(QStringLiteral("Verificar"), cliente);
    btnVerificar->setObjectName(QStringLiteral("btnVerificar"));
    connect(btnVerificar, &QPushButton::clicked, this, &TfrmPrincipal::btnVerificarClick);
    FAncoras->Adicionar(btnVerificar, QRect(872, 33, 75, 25), A::akTop | A::akRight);

    memInfo = new QPlainTextEdit(cliente);
    memInfo->setObjectName(QStringLiteral("memInfo"));
    memInfo->setReadOnly(true);
    memInfo->setFocusPolicy(Qt::StrongFocus);
    memInfo->setFont(FonteLog());
    new TMenuLog(memInfo);
    FCorPadraoLog = memInfo->palette().color(QPalette::Text);
    FAncoras->Adicionar(memInfo, CRetanguloLog, A::akLeft | A::akTop | A::akRight | A::akBottom);
    const int alturaLogMinima = CLinhasLogVisiveis * QFontMetrics(memInfo->font()).lineSpacing() +
                                2 * (memInfo->frameWidth() + qCeil(memInfo->document()->documentMargin()));
    cliente->setMinimumSize(CLarguraMinima, CTamanhoCliente.height() - CRetanguloLog.height() + alturaLogMinima);

    grdResumo = new TTabelaResumo(cliente);
    grdResumo->hide();
    FAncoras->Adicionar(grdResumo, CRetanguloLog, A::akLeft | A::akTop | A::akRight | A::akBottom);

    tabVista = new QTabBar(cliente);
    tabVista->setObjectName(QStringLiteral("tabVista"));
    tabVista->addTab(QStringLiteral("Log"));
    tabVista->addTab(QStringLiteral("Resumo"));
    tabVista->setTabEnabled(CVistaResumo, false);
    tabVista->setDrawBase(false);
    tabVista->setFocusPolicy(Qt::NoFocus);
    connect(tabVista, &QTabBar::currentChanged, this, &TfrmPrincipal::MostrarVista);
    FAncoras->Adicionar(tabVista, CRetanguloVistas, A::akLeft | A::akTop);

    lblResultado = new QLabel(cliente);
    lblResultado->setObjectName(QStringLiteral("lblResultado"));
    FAncoras->Adicionar(lblResultado, CRetanguloResultado, A::akLeft | A::akTop | A::akRight);

    pgbTotal = new TBarraProgresso(cliente);
    pgbTotal->setObjectName(QStringLiteral("pgbTotal"));
    FAncoras->Adicionar(pgbTotal, QRect(16, 646, 931, 17), A::akLeft | A::akRight | A::akBottom);

    pgbAtual = new TBarraProgresso(cliente);
    pgbAtual->setObjectName(QStringLiteral("pgbAtual"));
    FAncoras->Adicionar(pgbAtual, QRect(16, 670, 931, 17), A::akLeft | A::akRight | A::akBottom);

    setTabOrder(btnIniciar, memInfo);
    setTabOrder(memInfo, edtArquivoOrigem);
    setTabOrder(edtArquivoOrigem, edtArquivoDestino);
    setTabOrder(edtArquivoDestino, btnVerificar);
    btnIniciar->setFocus();

    FileOpenDialog1 = new TSeletorArquivo(this);

    resize(CTamanhoCliente);
}

// A push button outside a dialog answers only Space; a keyboard user expects Enter on the
// focused "Iniciar" to start as well.
bool TfrmPrincipal::eventFilter(QObject* AObjeto, QEvent* AEvento)
{
    if (AObjeto == btnIniciar && AEvento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent*>(AEvento)->key();
        if ((tecla == Qt::Key_Return || tecla == Qt::Key_Enter) && btnIniciar->isEnabled()) {
            btnIniciar->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(AObjeto, AEvento);
}

void TfrmPrincipal::edtArquivoOrigemRightButtonClick()
{
    EscolherArquivo(edtArquivoOrigem, QStringLiteral("Selecione o Arquivo de Origem"));
}

void TfrmPrincipal::edtArquivoDestinoRightButtonClick()
{
    EscolherArquivo(edtArquivoDestino, QStringLiteral("Selecione o Arquivo de Destino"));
}

// Both boxes share the one picker. A file other than the one in the box leaves the log with
// lines of a pair that is no longer on screen: it is emptied.
void TfrmPrincipal::EscolherArquivo(QLineEdit* AEdit, const QString& ATitulo)
{
    if (EmExecucao())
        return;
    const QString arquivo = QDir::toNativeSeparators(FileOpenDialog1->Escolher(ATitulo, AEdit->text()));
    if (arquivo.isEmpty() || arquivo == AEdit->text())
        return;
    AEdit->setText(arquivo);
    EsvaziarLog();
    pgbTotal->MostrarTexto(QString());
    pgbAtual->MostrarTexto(QString());
}

// The Start command. The engine checks the two files, the versions and then runs the steps on
// a worker thread; until it ends, the command and the pickers are disabled, so no second run
// can start on top of it.
void TfrmPrincipal::btnIniciarClick()
{
    if (EmExecucao())
        return;
    // With a file missing or named twice, the engine's own validation message says so; otherwise the operator
    // is told what the run does to each database before anything happens.
    const QString origem = edtArquivoOrigem->text();
    const QString destino = edtArquivoDestino->text();
    if (!origem.isEmpty() && !destino.isEmpty() && origem != destino &&
        !TDialog::Confirm(QStringLiteral("A importação vai alterar os dois bancos de dados:\r\n"
                                         "- DESTINO (%1): todas as tabelas, menos as 23 tabelas de "
                                         "referência, serão esvaziadas e preenchidas com os dados da "
                                         "ORIGEM;\r\n"
                                         "- ORIGEM (%2): os campos do tipo boleano que estão nulos "
                                         "passarão a 'N'.\r\n"
                                         "Deseja iniciar a importação?")
                              .arg(destino, origem),
                          false))
        return;
    IniciarImportacao(false);
}

void TfrmPrincipal::IniciarImportacao(bool ASemVerificacao)
{
    ExecutarComando(TCabecalhoLog::TComando::Importacao,
                    [this, ASemVerificacao](const std::string& origem, const std::string& destino) {
        FMigracao->DispensarVerificacao(ASemVerificacao);
        const TResultadoMigracao resultado = FMigracao->Iniciar(origem, destino);
        FChavesAMostrar = resultado == TResultadoMigracao::Falhou ||
                          resultado == TResultadoMigracao::Interrompida;
        FRecusada = resultado == TResultadoMigracao::Recusada;
        FMigracao->DispensarVerificacao(false);
    });
}

// The check of the pair: the same validation and version check, then the problems in the log;
// it runs like the Start command, on the same thread and with the same controls disabled.
void TfrmPrincipal::btnVerificarClick()
{
    ExecutarComando(TCabecalhoLog::TComando::Verificacao,
                    [this](const std::string& origem, const std::string& destino) {
                        FMigracao->Verificar(origem, destino);
                    });
}

// The stop of the command under way, at the engine's next safe point; the command then ends
// with its own line, and the button reads "Iniciar" again.
void TfrmPrincipal::btnPararClick()
{
    if (EmExecucao())
        FMigracao->SolicitarParada();
}

void TfrmPrincipal::ExecutarComando(
    TCabecalhoLog::TComando AComando,
    std::function<void(const std::string&, const std::string&)> AExecutar)
{
    if (EmExecucao())
        return;
    FComando = AComando;
    FOrigemComando = edtArquivoOrigem->text();
    FDestinoComando = edtArquivoDestino->text();
    const std::string origem = FOrigemComando.toStdString();
    const std::string destino = FDestinoComando.toStdString();
    FErroExecucao = nullptr;
    FChavesAMostrar = false;
    FRecusada = false;
    grdResumo->Limpar();
    tabVista->setCurrentIndex(CVistaLog);
    tabVista->setTabEnabled(CVistaResumo, false);
    lblResultado->clear();
    lblResultado->setToolTip(QString());
    FExecucao.reset(QThread::create([this, AExecutar = std::move(AExecutar), origem, destino] {
        try {
            AExecutar(origem, destino);
        } catch (...) {
            FErroExecucao = std::current_exception();
        }
    }));
    connect(FExecucao.get(), &QThread::finished, this, &TfrmPrincipal::AoTerminarExecucao);
    HabilitarComandos(false);
    FBotaoIniciarParar->DefinirEmExecucao(true);
    FPainelProgresso->Iniciar();
    FExecucao->start();
}

void TfrmPrincipal::AoTerminarExecucao()
{
    if (FEncerrando)
        return;
    FExecucao->wait();
    FExecucao.reset();
    FPainelProgresso->Terminar();
    FBotaoIniciarParar->DefinirEmExecucao(false);
    HabilitarComandos(true);
    // A database that could not be reached before the run proper began: the command's failure
    // goes to the application's general error display.
    if (auto erro = std::exchange(FErroExecucao, nullptr))
        TAplicacao::ExibirErro(erro);
    // Only a run that failed leaves keys pending; closing says itself where they are kept.
    const bool fechar = std::exchange(FFecharAoTerminar, false);
    if (std::exchange(FChavesAMostrar, false) && !fechar)
        MostrarChavesPendentes();
    // For the day the check is wrong: its refusal has been shown, and "Não" is the default.
    const bool assimMesmo =
        std::exchange(FRecusada, false) && !fechar &&
        TDialog::Confirm(QStringLiteral("A verificação encontrou problemas que fariam a importação "
                                        "falhar ou perder dados. Deseja iniciar a importação mesmo "
                                        "assim, sem a verificação?"),
                         false);
    emit ExecucaoTerminada();
    if (fechar)
        close();
    else if (assimMesmo)
        IniciarImportacao(true);
}

// Foreign keys a run dropped from the destination and could not create again are kept for the
// next run on it; the operator sees them, ready to copy, and where they are kept.
void TfrmPrincipal::MostrarChavesPendentes()
{
    const std::string destino = edtArquivoDestino->text().toStdString();
    try {
        QString comandos;
        for (const std::string& sql : TMigracao::ChavesEstrangeirasPendentes(destino))
            comandos += QString::fromStdString(sql) + QStringLiteral(";\r\n");
        if (comandos.isEmpty())
            return;
        TCaixaMensagem::MostrarComandos(
            QStringLiteral("Chaves estrangeiras excluídas do DESTINO e ainda não recriadas, guardadas "
                           "na tabela %1 do DESTINO e em\r\n%2\r\nA próxima importação neste "
                           "DESTINO as recria.")
                .arg(QString::fromLatin1(TRegistroChavesPendentes::Tabela),
                     QString::fromStdString(TMigracao::ArquivoChavesPendentes(destino))),
            comandos, this);
    } catch (...) {
        TAplicacao::ExibirErro(std::current_exception());
    }
}

// The record exists only while keys are pending; whether it can still be read matters not here.
void TfrmPrincipal::AvisarChavesPendentesAoFechar()
{
    const std::string destino = edtArquivoDestino->text().toStdString();
    if (destino.empty())
        return;
    const QString registro = QString::fromStdString(TMigracao::ArquivoChavesPendentes(destino));
    if (!QFileInfo::exists(registro))
        return;
    TDialog::Warning(QStringLiteral("Há chaves estrangeiras excluídas do DESTINO e ainda não recriadas. "
                                    "Elas estão guardadas em\n%1\ne a próxima importação neste "
                                    "DESTINO as recria.")
                         .arg(registro),
                     true);
}

// "Iniciar" stays enabled: during a command it is its stop.
void TfrmPrincipal::HabilitarComandos(bool AHabilitar)
{
    btnVerificar->setEnabled(AHabilitar);
    FBotaoOrigem->setEnabled(AHabilitar);
    FBotaoDestino->setEnabled(AHabilitar);
}

// Closing during a run would leave the destination half filled: only on the operator's yes
// is the run asked to stop at its next safe point, and the window closes once it has. The run
// goes on while the question is open and may end meanwhile; the yes then closes at once.
void TfrmPrincipal::closeEvent(QCloseEvent* AEvento)
{
    if (!EmExecucao()) {
        AvisarChavesPendentesAoFechar();
        AEvento->accept();
        return;
    }
    AEvento->ignore();
    if (FFecharAoTerminar)
        return;
    if (!TDialog::Confirm(QStringLiteral("Uma importação está em andamento. Se for interrompida, o banco de "
                                         "dados de DESTINO ficará incompleto.\n\nDeseja interromper a "
                                         "importação e fechar?"),
                          false))
        return;
    if (!EmExecucao()) {
        AEvento->accept();
        return;
    }
    FFecharAoTerminar = true;
    FMigracao->SolicitarParada();
}

template <typename TAcao>
void TfrmPrincipal::NaJanela(TAcao&& AAcao, bool AEsperar)
{
    if (QThread::currentThread() == thread()) {
        AAcao();
        return;
    }
    if (FEncerrando)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, acao = std::forward<TAcao>(AAcao)]() mutable {
            if (!FEncerrando)
                acao();
        },
        AEsperar ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

TBarraProgresso* TfrmPrincipal::Barra(TBarra ABarra) const
{
    return ABarra == TBarra::Total ? pgbTotal : pgbAtual;
}

// The log of a command opens with the pair it belongs to and when.
void TfrmPrincipal::LimparLog()
{
    NaJanela(
        [this, inicio = QDateTime::currentDateTime()] {
            EsvaziarLog();
            memInfo->appendPlainText(
                TCabecalhoLog::Linhas(FComando, FOrigemComando, FDestinoComando, inicio).join('\n'));
        },
        false);
}

void TfrmPrincipal::EsvaziarLog()
{
    memInfo->clear();
    QPalette paleta = memInfo->palette();
    paleta.setColor(QPalette::Text, FCorPadraoLog);
    memInfo->setPalette(paleta);
}

void TfrmPrincipal::AcrescentarLinhaLog(const std::string& linha)
{
    NaJanela(
        [this, texto = Texto(linha)] {
            // The log follows its end only while the view is there: the operator may have
            // scrolled back to read an earlier line.
            QScrollBar* rolagem = memInfo->verticalScrollBar();
            const bool noFim = rolagem->value() == rolagem->maximum();
            memInfo->appendPlainText(QString(texto).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            if (noFim)
                rolagem->setValue(rolagem->maximum());
        },
        false);
}

void TfrmPrincipal::MarcarFalha()
{
    NaJanela(
        [this] {
            QPalette paleta = memInfo->palette();
            paleta.setColor(QPalette::Text, QColor(255, 0, 0));
            memInfo->setPalette(paleta);
            // The error line comes next; it must be in view wherever the operator had scrolled.
            memInfo->verticalScrollBar()->setValue(memInfo->verticalScrollBar()->maximum());
        },
        false);
}

void TfrmPrincipal::DefinirMaximo(TBarra barra, int maximo)
{
    NaJanela([this, barra, maximo] { Barra(barra)->DefinirMaximo(maximo); }, false);
}

void TfrmPrincipal::DefinirPosicao(TBarra barra, int posicao)
{
    NaJanela([this, barra, posicao] { Barra(barra)->DefinirPosicao(posicao); }, false);
}

// The engine's situation already holds the new figures: the panel shows them at once rather
// than at its next tick.
void TfrmPrincipal::ProgressoCopia(const std::string&, std::int64_t, double)
{
    NaJanela([this] { FPainelProgresso->Atualizar(); }, false);
}

// The engine ends the command itself once the message is closed; the silent abort that the
// message service raises has nothing left to abandon here.
void TfrmPrincipal::Abandonar(const std::string& mensagem, bool comFocoBotaoOk)
{
    NaJanela(
        [texto = Texto(mensagem), comFocoBotaoOk] {
            try {
                TDialog::Abort(texto, comFocoBotaoOk);
            } catch (const ESilentAbort&) {
            }
        },
        true);
}

void TfrmPrincipal::MostrarFalhaGatilho(const std::string& mensagem)
{
    NaJanela([this, texto = Texto(mensagem)] { TCaixaMensagem::MostrarFalhaGatilho(texto, this); }, true);
}

void TfrmPrincipal::MostrarVista(int AVista)
{
    memInfo->setVisible(AVista == CVistaLog);
    grdResumo->setVisible(AVista == CVistaResumo);
}

// The engine keeps the summary only for the length of the call: its tables are copied over.
void TfrmPrincipal::MostrarResumo(const TResumoMigracao& resumo)
{
    NaJanela(
        [this, tabelas = resumo.Tabelas()] {
            grdResumo->Mostrar(tabelas);
            tabVista->setTabEnabled(CVistaResumo, true);
        },
        false);
}

// An error line runs over several display lines: the label shows them as one.
void TfrmPrincipal::MostrarResultado(const std::string& linha, bool falha)
{
    NaJanela(
        [this, texto = Texto(linha), falha] {
            const QString umaLinha = QString(texto).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).trimmed();
            lblResultado->setText(umaLinha);
            lblResultado->setToolTip(QString(texto).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            lblResultado->setStyleSheet(falha ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
        },
        false);
}
