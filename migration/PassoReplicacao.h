#pragma once

#include "ContextoMigracao.h"

#include <string>
#include <vector>

// Equips the destination with the replication triggers, when the source shows replication in
// use (more than one active company in a replication group). A trigger the server rejects is
// shown through the report and the run goes on; once done with everything else, the run ends
// as a failure that counts them (NaoCriados).
class TPassoReplicacao {
public:
    explicit TPassoReplicacao(const TContextoMigracao& contexto) : FContexto(contexto) {}

    void CriarGatilhosReplicacao();

    // The tables of the destination whose trigger the last CriarGatilhosReplicacao could not
    // install, in catalogue order. A catalogued table the destination lacks has nothing to
    // replicate: its report is shown all the same, but it is not one of these.
    const std::vector<std::string>& NaoCriados() const noexcept { return FNaoCriados; }

private:
    TContextoMigracao FContexto;
    std::vector<std::string> FNaoCriados;
};
