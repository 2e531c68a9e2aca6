#include "CaixaMensagem.h"

#include "CaixaComando.h"
#include "ResourceIcon.h"
#include "ResourceIconEnum.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>

#include <utility>

namespace {

TCaixaMensagem::TObservador& Observador()
{
    static TCaixaMensagem::TObservador observador;
    return observador;
}

// The operator must be able to use the box at once: no busy pointer over it. Under test, the
// observer takes the box's message instead; true then.
bool Observado(const QString& AMensagem)
{
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
    const auto& observador = Observador();
    if (observador)
        observador(AMensagem);
    return static_cast<bool>(observador);
}

} // namespace

QString TCaixaMensagem::TituloAplicacao()
{
    return QStringLiteral("Vorel NewDatabase");
}

void TCaixaMensagem::MostrarErro(const QString& AMensagem)
{
    if (Observado(AMensagem))
        return;
    QMessageBox caixa(QMessageBox::NoIcon, TituloAplicacao(), AMensagem, QMessageBox::Ok);
    caixa.setTextFormat(Qt::PlainText);
    caixa.setIconPixmap(QPixmap(TResourceIcon::CaminhoRecurso(TResourceIconEnum::riError32())));
    caixa.exec();
}

void TCaixaMensagem::MostrarFalhaGatilho(const QString& AMensagem, QWidget* AJanela)
{
    if (Observado(AMensagem))
        return;
    TCaixaComando::DeFalhaGatilho(AMensagem, AJanela)->exec();
}

void TCaixaMensagem::MostrarComandos(const QString& ACabecalho, const QString& AComandos,
                                     QWidget* AJanela)
{
    if (Observado(ACabecalho + QStringLiteral("\r\n") + AComandos))
        return;
    TCaixaComando caixa(ACabecalho, AComandos, AJanela);
    caixa.exec();
}

void TCaixaMensagem::DefinirObservador(TObservador AObservador)
{
    Observador() = std::move(AObservador);
}
