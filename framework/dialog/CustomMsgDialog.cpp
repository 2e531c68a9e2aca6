#include "CustomMsgDialog.h"

#include "ModalResult.h"
#include "ResourceIcon.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>

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

    auto* painel = new QWidget(this);
    painel->setObjectName(QStringLiteral("pnlPrincipal"));

    auto* colunaIcone = new QWidget(painel);
    auto* imagem = new QLabel(colunaIcone);
    imagem->setObjectName(QStringLiteral("imgIcone"));
    imagem->setAttribute(Qt::WA_TranslucentBackground);
    TResourceIcon::AssignImageFromResource(imagem, &FDialogType.Icone());
    imagem->adjustSize();

    auto* colunaTexto = new QWidget(painel);
    const int larguraColunaTexto = CLargura - 2 * CEspacoPainel - CLarguraColunaIcone;
    const int larguraTexto = larguraColunaTexto - CEspacoColunaTexto;

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
    CriarBotoes(barra);

    // The frame is known only once the window manager has framed the window; before that
    // (and on platforms without frames) it counts as nothing.
    const int moldura = frameGeometry().height() - geometry().height();
    QScreen* tela = parentWidget() != nullptr ? parentWidget()->screen() : screen();
    const int alturaTela = tela != nullptr ? tela->geometry().height() : CAlturaMinima;
    const int alturaDesejada = moldura + CMargemRotulo + CAlturaTitulo + CMargemRotulo + alturaMensagem +
                               CAlturaBarra + 2 * CEspacoPainel;
    const int altura = std::min(std::max(alturaDesejada, CAlturaMinima), std::max(alturaTela, CAlturaMinima));
    const int alturaCliente = altura - moldura;
    setFixedSize(CLargura, alturaCliente);

    const int alturaPainel = alturaCliente - CAlturaBarra;
    painel->setGeometry(0, 0, CLargura, alturaPainel);
    const int alturaInterna = std::max(0, alturaPainel - 2 * CEspacoPainel);
    colunaIcone->setGeometry(CEspacoPainel, CEspacoPainel, CLarguraColunaIcone, alturaInterna);
    colunaTexto->setGeometry(CEspacoPainel + CLarguraColunaIcone, CEspacoPainel, larguraColunaTexto, alturaInterna);
    barra->move(0, alturaPainel);

    Posicionar(parentWidget());
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

void TCustomMsgDialog::Posicionar(QWidget* AOwner)
{
    QRect area;
    if (AOwner != nullptr)
        area = AOwner->window()->frameGeometry();
    else if (QScreen* tela = screen())
        area = tela->availableGeometry();
    else
        return;
    move(area.center() - rect().center());
}
