#include "ObservadorOcupado.h"

#include <atomic>

namespace {
std::atomic<IObservadorOcupado*> GObservador{nullptr};
}

void DefinirObservadorOcupado(IObservadorOcupado* observador)
{
    GObservador.store(observador);
}

TTrabalhoBanco::TTrabalhoBanco()
{
    if (auto* observador = GObservador.load())
        observador->InicioTrabalhoBanco();
}

TTrabalhoBanco::~TTrabalhoBanco()
{
    if (auto* observador = GObservador.load())
        observador->FimTrabalhoBanco();
}
