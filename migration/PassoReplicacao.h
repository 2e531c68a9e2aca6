#pragma once

#include "ContextoMigracao.h"

// Equips the destination with the replication triggers, when the source shows replication in
// use (more than one active company in a replication group). A trigger the server rejects is
// shown through the report and the run goes on.
class TPassoReplicacao {
public:
    explicit TPassoReplicacao(const TContextoMigracao& contexto) : FContexto(contexto) {}

    void CriarGatilhosReplicacao();

private:
    TContextoMigracao FContexto;
};
