#pragma once

#include "SituacaoExecucao.h"

#include <QObject>
#include <QTimer>

#include <functional>

class TBarraProgresso;

// The progress texts over the two bars while a command runs: over the step's bar the work
// under way (a table's rows done of its total, share, rate and time left, or the seconds a
// long statement has taken so far), over the run's bar the time elapsed and what remains of
// the copy. A clock reads the engine's situation twice a second, so the texts move even while
// the engine reports nothing; once the command ends, the time it took stays in view.
class TPainelProgresso : public QObject {
    Q_OBJECT

public:
    TPainelProgresso(TBarraProgresso* ATotal, TBarraProgresso* AAtual,
                     std::function<TSituacaoExecucao()> ASituacao, QObject* AParent);

    void Iniciar();
    // Reads the situation now and shows it.
    void Atualizar();
    void Terminar();

signals:
    // The texts as just shown.
    void Atualizado(const QString& AAtual, const QString& ATotal);

private:
    TBarraProgresso* FTotal;
    TBarraProgresso* FAtual;
    std::function<TSituacaoExecucao()> FSituacao;
    QTimer FRelogio;
};
