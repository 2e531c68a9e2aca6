#pragma once

#include "Consulta.h"
#include "ContextoMigracao.h"

#include <set>
#include <string>

// The destination ends with the source's sequences at the source's current values. A
// destination sequence that a trigger or procedure uses cannot be dropped (the server refuses
// while anything depends on it), so such a sequence stays and, when the source has it too, is
// set to the source's value instead of being created again.
class TPassosSequenciadores {
public:
    explicit TPassosSequenciadores(const TContextoMigracao& contexto);

    void ExcluirSequenciadores();
    void CriarSequenciadores();

private:
    TContextoMigracao FContexto;
    TConsulta sqlSequenciadores;    // the source's sequences
    TConsulta sqlValorSequenciador; // one source sequence's current value
    TConsulta sqlSequenciadoresDestino;
    std::set<std::string> FMantidos; // destination sequences left in place
};
