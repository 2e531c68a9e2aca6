#include "CaixaComando.h"

#include "CaixaMensagem.h"
#include "WindowFit.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Large enough to read the statement's lines whole, when the screen has the room; on a small
// screen the box keeps part of the window behind it in view.
constexpr QSize CTamanhoPreferido(760, 440);
constexpr double CParteMaximaDaAltura = 0.8;

// The statement starts the last line that opens with its first words: the server's error
// may quote them too ("CREATE OR ALTER TRIGGER X failed").
qsizetype InicioComando(const QString& AMensagem)
{
    const qsizetype inicio = AMensagem.lastIndexOf(QStringLiteral("\r\nCREATE OR ALTER TRIGGER "));
    return inicio < 0 ? inicio : inicio + 2;
}

QString Exibivel(QString ATexto)
{
    return ATexto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

std::unique_ptr<TCaixaComando> TCaixaComando::DeFalhaGatilho(const QString& AMensagem, QWidget* AParent)
{
    const qsizetype inicioComando = InicioComando(AMensagem);
    if (inicioComando < 0)
        return std::make_unique<TCaixaComando>(AMensagem, QString(), AParent);
    return std::make_unique<TCaixaComando>(AMensagem.left(inicioComando - 2),
                                           AMensagem.mid(inicioComando), AParent);
}

TCaixaComando::TCaixaComando(const QString& ACabecalho, const QString& AComando, QWidget* AParent)
    : QDialog(AParent), FCabecalho(ACabecalho), FComando(AComando)
{
    setWindowTitle(TCaixaMensagem::TituloAplicacao());
    auto* leiaute = new QVBoxLayout(this);

    auto* cabecalho = new QLabel(Exibivel(FCabecalho), this);
    cabecalho->setObjectName(QStringLiteral("lblCabecalho"));
    cabecalho->setTextFormat(Qt::PlainText);
    cabecalho->setWordWrap(true);
    cabecalho->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    leiaute->addWidget(cabecalho);

    auto* comando = new QPlainTextEdit(Exibivel(FComando), this);
    comando->setObjectName(QStringLiteral("memComando"));
    comando->setReadOnly(true);
    comando->setLineWrapMode(QPlainTextEdit::NoWrap);
    comando->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    comando->setVisible(!FComando.isEmpty());
    leiaute->addWidget(comando, 1);

    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(botoes, &QDialogButtonBox::accepted, this, &QDialog::accept);
    leiaute->addWidget(botoes);
    botoes->button(QDialogButtonBox::Ok)->setFocus();

    const int altura = FComando.isEmpty() ? heightForWidth(CTamanhoPreferido.width()) : CTamanhoPreferido.height();
    resize(CTamanhoPreferido.width(), altura > 0 ? altura : sizeHint().height());
    Caber();
}

// Before it is shown, the box is only sized: the dialog then centres it over its parent.
void TCaixaComando::Caber()
{
    FMoldura = TWindowFit::FrameMargins(*this);
    const QSize maximo = TWindowFit::MaximumClientSize(*this);
    resize(size().boundedTo(QSize(maximo.width(), static_cast<int>(maximo.height() * CParteMaximaDaAltura))));
    if (isVisible())
        TWindowFit::KeepInside(*this);
}

// The frame becomes known once the window manager has framed the shown window.
bool TCaixaComando::event(QEvent* AEvento)
{
    const bool tratado = QDialog::event(AEvento);
    if (TWindowFit::FrameChanged(*this, *AEvento, FMoldura))
        Caber();
    return tratado;
}
