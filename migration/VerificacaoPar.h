#pragma once

#include "CatalogoRelacoes.h"
#include "ChavesUnicas.h"
#include "ContextoMigracao.h"
#include "ProblemaVerificacao.h"

#include <vector>

class TListaTextos;
class TPassosChavesEstrangeiras;

// The check of a pair before a run: everything that would make the run on these two databases
// fail, or lose data, found at once, while neither database is changed (the source's NULL
// yes/no values are taken for the 'N' the run would make of them). It looks at every table
// the run would fill, as the pre-flight does, then at the source's rows of each (the bars:
// tables checked), at the keys between copied and kept tables, and at the replication
// triggers the run would install. The log ends with one line per problem, grouped by table,
// and the totals.
class TVerificacaoPar {
public:
    // Excecoes: the destination tables the run keeps. Chaves: the run's foreign-key steps,
    // which know the keys the run would create again.
    TVerificacaoPar(const TContextoMigracao& contexto, const TListaTextos& excecoes,
                    TPassosChavesEstrangeiras& chaves)
        : FContexto(contexto), FExcecoes(excecoes), FChaves(chaves)
    {
    }

    std::vector<TProblemaVerificacao> Verificar();

private:
    std::vector<TProblemaVerificacao> VerificarReplicacao(const TCatalogoRelacoes& origem,
                                                          const TCatalogoRelacoes& destino,
                                                          const TChavesUnicas& chaves);

    TContextoMigracao FContexto;
    const TListaTextos& FExcecoes;
    TPassosChavesEstrangeiras& FChaves;
};
