#include "Cancelamento.h"

void TCancelamento::Verificar() const
{
    if (Solicitado())
        throw EOperacaoCancelada();
}
