#pragma once

#include "Consulta.h"
#include "ContextoMigracao.h"
#include "ListaTextos.h"

#include <cstdint>
#include <set>
#include <string>

// The destination ends with the source's sequences at the source's current values. A
// destination sequence that a trigger or procedure uses cannot be dropped (the server refuses
// while anything depends on it), so such a sequence stays and, when the source has it too, is
// set to the source's value instead of being created again.
//
// The identity columns of the copied tables count on sequences of the server's own, which
// are neither dropped nor created: each continues where the source's does, and never below
// the largest value the copy wrote into its column, so that the application's next insert
// does not meet a key it already holds.
class TPassosSequenciadores {
public:
    // tabelas: the tables the run copies, read when the sequences are created.
    TPassosSequenciadores(const TContextoMigracao& contexto, const TListaTextos& tabelas);

    void ExcluirSequenciadores();
    void CriarSequenciadores();

private:
    // The end of the statement that leaves a sequence standing at valor, so that its next value
    // is valor plus its increment. Servers from version 4 on restart a sequence one increment
    // below the value given.
    std::string Reinicio(std::int64_t valor, std::int64_t incremento) const;
    void ContinuarIdentidades();

    TContextoMigracao FContexto;
    const TListaTextos& FTabelas;
    TConsulta sqlSequenciadores;    // the source's sequences
    TConsulta sqlValorSequenciador; // one source sequence's current value
    TConsulta sqlSequenciadoresDestino;
    TConsulta sqlIdentidadesOrigem;
    TConsulta sqlIdentidadesDestino;
    std::set<std::string> FMantidos; // destination sequences left in place
    int FVersaoServidor = 0;         // the destination server's major version
};
