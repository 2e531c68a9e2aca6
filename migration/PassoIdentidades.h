#pragma once

#include "ContextoMigracao.h"
#include "ListaTextos.h"

// The identity columns' own sequences, which the sequence step does not see (the server counts
// them among its own): after the copy each identity column of a copied table continues where
// the source's does, and never at or below a value the copy put into it.
class TPassoIdentidades {
public:
    explicit TPassoIdentidades(const TContextoMigracao& contexto) : FContexto(contexto) {}

    void AcertarIdentidades(const TListaTextos& tabelas);

private:
    TContextoMigracao FContexto;
};
