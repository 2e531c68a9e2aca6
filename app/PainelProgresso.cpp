#include "PainelProgresso.h"

#include "BarraProgresso.h"
#include "TextoProgresso.h"

namespace {

constexpr int CIntervaloMs = 500;

} // namespace

TPainelProgresso::TPainelProgresso(TBarraProgresso* ATotal, TBarraProgresso* AAtual,
                                   std::function<TSituacaoExecucao()> ASituacao, QObject* AParent)
    : QObject(AParent), FTotal(ATotal), FAtual(AAtual), FSituacao(std::move(ASituacao))
{
    setObjectName(QStringLiteral("pnlProgresso"));
    FRelogio.setInterval(CIntervaloMs);
    connect(&FRelogio, &QTimer::timeout, this, &TPainelProgresso::Atualizar);
}

void TPainelProgresso::Iniciar()
{
    FTotal->MostrarTexto(QString());
    FAtual->MostrarTexto(QString());
    FRelogio.start();
}

void TPainelProgresso::Atualizar()
{
    const TSituacaoExecucao situacao = FSituacao();
    const QString atual = QString::fromStdString(TTextoProgresso::Atual(situacao));
    const QString total = QString::fromStdString(TTextoProgresso::Total(situacao));
    FAtual->MostrarTexto(atual);
    FTotal->MostrarTexto(total);
    emit Atualizado(atual, total);
}

// A command that ended before its run began (a validation message, a version mismatch)
// leaves no time to show.
void TPainelProgresso::Terminar()
{
    FRelogio.stop();
    const TSituacaoExecucao situacao = FSituacao();
    FAtual->MostrarTexto(QString());
    const QString total =
        situacao.Decorrido > 0 ? QString::fromStdString(TTextoProgresso::Total(situacao)) : QString();
    FTotal->MostrarTexto(total);
    emit Atualizado(QString(), total);
}
