#include "CaixaMensagem.h"

#include "CaixaComando.h"
#include "Dialog.h"

#include <QApplication>

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
    TDialog::Error(AMensagem, true);
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
