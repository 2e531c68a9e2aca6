#pragma once

#include "ContextoMigracao.h"

#include <string>

// The destination's own triggers stay switched off while its rows are deleted and copied, so
// that the copy carries the source's values as they are; afterwards every one of them is
// switched on, also those that were off before the run. The triggers that enforce check
// constraints are never touched.
class TPassosGatilhos {
public:
    explicit TPassosGatilhos(const TContextoMigracao& contexto) : FContexto(contexto) {}

    void DesativarGatilhos();
    void AtivarGatilhos();

private:
    void Executar(const char* log, const std::string& sql);

    TContextoMigracao FContexto;
};
