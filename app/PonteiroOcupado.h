#pragma once

#include "ObservadorOcupado.h"

#include <QObject>
#include <QTimer>

#include <atomic>

// The busy pointer of database work. The database layer reports each operation's begin and
// end, from whatever thread runs it; the pointer turns busy at the first begin and returns to
// normal 50 ms after an end that left no operation running, so that a run of short statements
// does not make it flicker. Installs itself as the process's observer for its lifetime.
class TPonteiroOcupado : public QObject, public IObservadorOcupado {
    Q_OBJECT

public:
    explicit TPonteiroOcupado(QObject* AParent = nullptr);
    ~TPonteiroOcupado() override;

    void InicioTrabalhoBanco() override;
    void FimTrabalhoBanco() override;

    bool Mostrando() const noexcept { return FMostrando; }

private:
    void Mostrar();
    void Restaurar();

    std::atomic<int> FAtivos{0};
    QTimer FTemporizador;
    // Whether this object put the busy pointer up; a message may have taken it away since.
    bool FMostrando = false;
};
