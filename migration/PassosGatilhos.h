#pragma once

#include "ContextoMigracao.h"

#include <string>
#include <vector>

// The destination's own triggers stay switched off while its rows are deleted and copied, so
// that the copy carries the source's values as they are; afterwards every one of them is
// switched on, also those that were off before the run, and those are named in the log (a
// clean destination may ship some off, for the application to switch on). The triggers that
// enforce check constraints are never touched.
class TPassosGatilhos {
public:
    explicit TPassosGatilhos(const TContextoMigracao& contexto) : FContexto(contexto) {}

    // The triggers the run switches off are recorded first (TRegistroChavesPendentes), so
    // that the next run, should this one not end, tells them from those that were off before.
    void DesativarGatilhos();
    void AtivarGatilhos();

private:
    struct TGatilho {
        std::string Nome;
        std::string Tabela; // empty for a trigger of the database
    };

    void Executar(const char* log, const std::string& sql);

    TContextoMigracao FContexto;
    std::vector<TGatilho> FInativosAntes; // off before the run, and not by a run of ours
};
