#include "PonteiroOcupado.h"

#include <QApplication>
#include <QMetaObject>

TPonteiroOcupado::TPonteiroOcupado(QObject* AParent) : QObject(AParent)
{
    FTemporizador.setSingleShot(true);
    FTemporizador.setInterval(50);
    connect(&FTemporizador, &QTimer::timeout, this, &TPonteiroOcupado::Restaurar);
    DefinirObservadorOcupado(this);
}

TPonteiroOcupado::~TPonteiroOcupado()
{
    DefinirObservadorOcupado(nullptr);
    if (FMostrando && QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}

void TPonteiroOcupado::InicioTrabalhoBanco()
{
    if (FAtivos.fetch_add(1) == 0)
        QMetaObject::invokeMethod(this, &TPonteiroOcupado::Mostrar, Qt::AutoConnection);
}

void TPonteiroOcupado::FimTrabalhoBanco()
{
    if (FAtivos.fetch_sub(1) == 1)
        QMetaObject::invokeMethod(&FTemporizador, qOverload<>(&QTimer::start), Qt::AutoConnection);
}

void TPonteiroOcupado::Mostrar()
{
    if (QApplication::overrideCursor() == nullptr) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FMostrando = true;
    }
}

void TPonteiroOcupado::Restaurar()
{
    if (FAtivos.load() > 0 || !FMostrando)
        return;
    if (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
    FMostrando = false;
}
