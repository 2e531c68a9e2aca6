#include "CustomMsgDialog.h"

#include "ModalResult.h"
#include "ResourceIcon.h"
#include "WindowFit.h"

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int CLargura = 500;
constexpr int CAlturaMinima = 200;
constexpr int CEspacoPainel = 16;
constexpr int CLarguraColunaIcone = 68;
constexpr int CEspacoColunaTexto = 16;
constexpr int CAlturaTitulo = 32;
// Kept in the height sum above and below the title, as the labels' default margins.
constexpr int CMargemRotulo = 3;
constexpr int CAlturaBarra = 48;
constexpr int CLarguraBotao = 80;
constexpr int CAlturaBotao = 25;
constexpr int CEspacoBotaoDireita = 8;
constexpr int CEspacoEntreBotoes = 4;

// Without an owner, the message belongs over the application's main window.
QWidget* JanelaPrincipal()
{
    for (QWidget* janela : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(janela) != nullptr && janela->isVisible())
            return janela;
    return nullptr;
}

} // namespace

TCustomMsgDialog::TCustomMsgDialog(QWidget* AOwner, const TDialogTypeEnum& ADialogType,
                                   const QString& AMensagem, bool AFocarBotao, bool AFocarBotaoSim)
    : QDialog(AOwner != nullptr ? AOwner : JanelaPrincipal(),
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FDialogType(ADialogType),
      FMensagem(AMensagem),
      FFocarBotao(AFocarBotao),
      FFocarBotaoSim(AFocarBotaoSim)
{
    if (FDialogType.Equals(&TDialogTypeEnum::dtError()))
        FTitulo = QStringLiteral("Erro");
    else if (FDialogType.Equals(&TDialogTypeEnum::dtConfirm()))
        FTitulo = QStringLiteral("Confirme");
    else if (FDialogType.Equals(&TDialogTypeEnum::dtInfo()))
        FTitulo = QStringLiteral("Informação");
    else
        FTitulo = QStringLiteral("Atenção");

    CriarComponentes();
}

void TCustomMsgDialog::CriarComponentes()
{
    setWindowTitle(QStringLiteral("Mensagem"));
    QPalette branca = palette();
    branca.setColor(QPalette::Window, Qt::white);
    branca.setColor(QPalette::WindowText, Qt::black);
    setPalette(branca);
    setAutoFillBackground(true);
    resize(CLargura, CAlturaMinima);

    // The main panel takes what the button bar leaves; the icon column keeps its width.
    auto* leiaute = new QVBoxLayout(this);
    leiaute->setContentsMargins(0, 0, 0, 0);
    leiaute->setSpacing(0);
    auto* painel = new QHBoxLayout();
    painel->setContentsMargins(CEspacoPainel, CEspacoPainel, CEspacoPainel, CEspacoPainel);
    painel->setSpacing(0);

    auto* colunaIcone = new QWidget(this);
    colunaIcone->setFixedWidth(CLarguraColunaIcone);
    auto* imagem = new QLabel(colunaIcone);
    imagem->setObjectName(QStringLiteral("imgIcone"));
    imagem->setAttribute(Qt::WA_TranslucentBackground);
    TResourceIcon::AssignImageFromResource(imagem, &FDialogType.Icone());
    imagem->adjustSize();

    auto* colunaTexto = new QWidget(this);
    const int larguraColunaTexto = CLargura - 2 * CEspacoPainel - CLarguraColunaIcone;
    const int larguraTexto = larguraColunaTexto - CEspacoColunaTexto;
    painel->addWidget(colunaIcone);
    painel->addWidget(colunaTexto, 1);

    auto* titulo = new QLabel(FTitulo, colunaTexto);
    titulo->setObjectName(QStringLiteral("lblTitulo"));
    titulo->setWordWrap(true);
    QFont fonteTitulo = titulo->font();
    fonteTitulo.setBold(true);
    fonteTitulo.setPointSize(10);
    titulo->setFont(fonteTitulo);
    QPalette corTitulo = titulo->palette();
    corTitulo.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::Highlight));
    titulo->setPalette(corTitulo);
    titulo->setGeometry(CEspacoColunaTexto, 0, larguraTexto, CAlturaTitulo);

    auto* mensagem = new QLabel(FMensagem, colunaTexto);
    mensagem->setObjectName(QStringLiteral("lblMensagem"));
    mensagem->setTextFormat(Qt::PlainText);
    mensagem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont fonteMensagem = mensagem->font();
    fonteMensagem.setPointSize(10);
    mensagem->setFont(fonteMensagem);
    mensagem->setWordWrap(true);
    // Set on the label itself: an application style sheet keeps a window's palette from
    // reaching its children, and the style's own text colour may be light.
    mensagem->setPalette(branca);
    const int alturaMensagem = FMensagem.isEmpty() ? 0 : mensagem->heightForWidth(larguraTexto);
    mensagem->setGeometry(CEspacoColunaTexto, CAlturaTitulo, larguraTexto, alturaMensagem);

    auto* barra = new QWidget(this);
    barra->setObjectName(QStringLiteral("pnlBotoes"));
    QPalette cinza = QApplication::palette();
    cinza.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    barra->setPalette(cinza);
    barra->setAutoFillBackground(true);
    barra->setGeometry(0, 0, CLargura, CAlturaBarra);
    barra->setFixedHeight(CAlturaBarra);
    CriarBotoes(barra);

    leiaute->addLayout(painel, 1);
    leiaute->addWidget(barra);

    FAlturaConteudo = CMargemRotulo + CAlturaTitulo + CMargemRotulo + alturaMensagem + CAlturaBarra + 2 * CEspacoPainel;
    AjustarAltura();
}

// The window's height, frame included, follows the message between 200 pixels and the usable
// height of the screen.
void TCustomMsgDialog::AjustarAltura()
{
    FMoldura = TWindowFit::FrameMargins(*this);
    const int moldura = FMoldura.top() + FMoldura.bottom();
    const int alturaLimite = TWindowFit::UsableArea(*this).height();
    const int altura = std::min(std::max(FAlturaConteudo + moldura, CAlturaMinima), std::max(alturaLimite, CAlturaMinima));
    setFixedSize(CLargura, altura - moldura);
    layout()->activate();
    Posicionar(parentWidget());
}

// The frame becomes known once the window manager has framed the shown window.
bool TCustomMsgDialog::event(QEvent* AEvento)
{
    const bool tratado = QDialog::event(AEvento);
    if (TWindowFit::FrameChanged(*this, *AEvento, FMoldura))
        AjustarAltura();
    return tratado;
}

void TCustomMsgDialog::CriarBotoes(QWidget* ABarra)
{
    const int topo = (CAlturaBarra - CAlturaBotao) / 2;
    const int esquerdaDireita = ABarra->width() - CLarguraBotao - CEspacoBotaoDireita;

    if (FDialogType.Equals(&TDialogTypeEnum::dtConfirm())) {
        QPushButton* nao = CriarBotao(ABarra, QStringLiteral("&Não"), &TCustomMsgDialog::BotaoNaoClick);
        nao->setObjectName(QStringLiteral("btnNao"));
        nao->move(esquerdaDireita, topo);
        if (FFocarBotao)
            FBotaoCancelar = nao;

        QPushButton* sim = CriarBotao(ABarra, QStringLiteral("&Sim"), &TCustomMsgDialog::BotaoSimClick);
        sim->setObjectName(QStringLiteral("btnSim"));
        sim->move(nao->x() - sim->width() - CEspacoEntreBotoes, topo);

        (FFocarBotaoSim ? sim : nao)->setFocus();
        return;
    }

    QPushButton* ok = CriarBotao(ABarra, QStringLiteral("&Ok"), &TCustomMsgDialog::BotaoOkClick);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->move(esquerdaDireita, topo);
    FBotaoCancelar = ok;
    if (!FFocarBotao)
        ok->setText(ok->text() + QStringLiteral(" (ESC)"));
    else
        ok->setFocus();
}

QPushButton* TCustomMsgDialog::CriarBotao(QWidget* ABarra, const QString& ACaption,
                                          void (TCustomMsgDialog::*AClick)())
{
    auto* botao = new QPushButton(ACaption, ABarra);
    botao->resize(CLarguraBotao, CAlturaBotao);
    // Enter is handled by the window itself: it clicks only the button that has the focus.
    botao->setAutoDefault(false);
    botao->setDefault(false);
    botao->setFocusPolicy(FFocarBotao ? Qt::StrongFocus : Qt::NoFocus);
    connect(botao, &QPushButton::clicked, this, AClick);
    return botao;
}

void TCustomMsgDialog::BotaoOkClick()
{
    done(mrOk);
}

void TCustomMsgDialog::BotaoSimClick()
{
    done(mrYes);
}

void TCustomMsgDialog::BotaoNaoClick()
{
    done(mrNo);
}

void TCustomMsgDialog::reject()
{
    done(mrCancel);
}

// The buttons leave every key but Space to the window, so the window sees each key press
// wherever the focus is.
void TCustomMsgDialog::keyPressEvent(QKeyEvent* AEvento)
{
    FormKeyDown(*AEvento);
    switch (AEvento->key()) {
    case Qt::Key_Escape:
        if (FBotaoCancelar != nullptr)
            FBotaoCancelar->click();
        AEvento->accept();
        return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (auto* botao = qobject_cast<QPushButton*>(focusWidget()))
            botao->click();
        AEvento->accept();
        return;
    default:
        QDialog::keyPressEvent(AEvento);
    }
}

void TCustomMsgDialog::FormKeyDown(const QKeyEvent& AEvento)
{
    const auto modificadores = AEvento.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (modificadores == Qt::ControlModifier && AEvento.key() == Qt::Key_C)
        QApplication::clipboard()->setText(FMensagem);
}

// Centred over the owner, or on the screen without one, and never past the usable area.
void TCustomMsgDialog::Posicionar(QWidget* AOwner)
{
    const QRect area = AOwner != nullptr ? AOwner->window()->frameGeometry() : TWindowFit::UsableArea(*this);
    if (area.isEmpty())
        return;
    const QSize comMoldura = size().grownBy(FMoldura);
    move(area.center() - QPoint(comMoldura.width() / 2, comMoldura.height() / 2));
    TWindowFit::KeepInside(*this);
}
