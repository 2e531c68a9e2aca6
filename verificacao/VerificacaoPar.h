#pragma once

#include "CatalogoRelacoes.h"
#include "ChavesUnicas.h"
#include "ContextoMigracao.h"
#include "ProblemaVerificacao.h"

#include <vector>

class TListaTextos;
class TPassosChavesEstrangeiras;
class TVerificacaoPrevia;
struct TTabelaNaoCopiada;

// The warning for a source table whose rows no run copies: the check lists it, and every run
// shows it as it starts.
TProblemaVerificacao ProblemaNaoCopiada(const TTabelaNaoCopiada& tabela);

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
    // Previa: the run's own look before it starts, whose findings the check lists too.
    TVerificacaoPar(const TContextoMigracao& contexto, const TListaTextos& excecoes,
                    TPassosChavesEstrangeiras& chaves, TVerificacaoPrevia& previa)
        : FContexto(contexto), FExcecoes(excecoes), FChaves(chaves), FPrevia(previa)
    {
    }

    // Silenciosa: for a run's own check, which writes nothing and leaves the bars alone; the
    // run says what it found.
    std::vector<TProblemaVerificacao> Verificar(bool silenciosa = false);

private:
    std::vector<TProblemaVerificacao> VerificarLendo();
    std::vector<TProblemaVerificacao> VerificarReplicacao(const TCatalogoRelacoes& origem,
                                                          const TCatalogoRelacoes& destino,
                                                          const TChavesUnicas& chaves);

    TContextoMigracao FContexto;
    const TListaTextos& FExcecoes;
    TPassosChavesEstrangeiras& FChaves;
    TVerificacaoPrevia& FPrevia;
    bool FSilenciosa = false;
};
