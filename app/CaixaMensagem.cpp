#include "CaixaMensagem.h"

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

void Exibir(const QString& AMensagem, const TResourceIconEnum& AIcone)
{
    // The operator must be able to use the box at once: no busy pointer over it.
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();

    if (const auto& observador = Observador()) {
        observador(AMensagem);
        return;
    }
    QMessageBox caixa(QMessageBox::NoIcon, TCaixaMensagem::TituloAplicacao(), AMensagem, QMessageBox::Ok);
    caixa.setTextFormat(Qt::PlainText);
    if (!AIcone.Equals(&TResourceIconEnum::riNone()))
        caixa.setIconPixmap(QPixmap(TResourceIcon::CaminhoRecurso(AIcone)));
    caixa.exec();
}

} // namespace

QString TCaixaMensagem::TituloAplicacao()
{
    return QStringLiteral("Vorel NewDatabase");
}

void TCaixaMensagem::Mostrar(const QString& AMensagem)
{
    Exibir(AMensagem, TResourceIconEnum::riNone());
}

void TCaixaMensagem::MostrarErro(const QString& AMensagem)
{
    Exibir(AMensagem, TResourceIconEnum::riError32());
}

void TCaixaMensagem::DefinirObservador(TObservador AObservador)
{
    Observador() = std::move(AObservador);
}
