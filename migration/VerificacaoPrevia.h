#pragma once

#include "CatalogoRelacoes.h"
#include "ContextoMigracao.h"

#include <cstdint>
#include <string>
#include <vector>

class TListaTextos;
class TPassosChavesEstrangeiras;

// A table of the source that the destination lacks, holding rows no run copies.
struct TTabelaNaoCopiada {
    std::string Tabela;
    std::int64_t Linhas = 0;
};

// What the look at both databases before a run found: the reasons the run must not start, and
// the warnings it starts with.
struct TResultadoVerificacaoPrevia {
    std::vector<std::string> Impedimentos;
    std::vector<std::string> Avisos;
    std::vector<TTabelaNaoCopiada> NaoCopiadas;
};

// One reason found in the two catalogues why a destination table cannot be filled, with the
// table and column apart for whoever lists them otherwise than the run's refusal does.
struct TImpedimentoTabela {
    std::string Tabela;
    std::string Coluna; // empty for the table as a whole
    std::string Texto;  // the sentence the run's refusal lists
};

// Looks at both databases before anything is changed, for what would make the run fail half
// way or harm the destination: a table or column to be filled that the source lacks, a column
// of a type the copy cannot carry, and anyone else attached to the destination (the run
// switches its triggers off and drops its foreign keys, which nobody may see or write
// through), and a record of foreign keys an earlier run left pending that is damaged or names
// keys the destination can no longer have. Everything found is listed at once. Others
// attached to the source only earn a warning: the copy of a database in use may not be
// consistent; so do the source's tables with rows that the destination lacks, which no run
// copies.
class TVerificacaoPrevia {
public:
    // Excecoes: the destination tables the run keeps as they are. Chaves: the run's
    // foreign-key steps, which keep what they find in the record for the run.
    TVerificacaoPrevia(const TContextoMigracao& contexto, const TListaTextos& excecoes,
                       TPassosChavesEstrangeiras& chaves)
        : FContexto(contexto), FExcecoes(excecoes), FChaves(chaves)
    {
    }

    // How to go on after a refusal for the record of pending keys.
    static const char* const ComoDescartarPendentes;

    TResultadoVerificacaoPrevia Verificar();

    // The refusal as the operator reads it: a heading and one line per reason.
    static std::string Mensagem(const std::vector<std::string>& impedimentos);

    // What of the destination's tables to be filled (all but Excecoes) the copy cannot fill
    // from the source: a table or column the source lacks, a type the copy cannot carry.
    static std::vector<TImpedimentoTabela> VerificarTabelas(const TCatalogoRelacoes& origem,
                                                            const TCatalogoRelacoes& destino,
                                                            const TListaTextos& excecoes);

    // The source's tables that hold rows and that the destination lacks (or has as a view
    // only), with their row counts; the source's views play no part, their rows are tables'.
    static std::vector<TTabelaNaoCopiada> TabelasNaoCopiadas(TConexao& conexaoOrigem,
                                                             const TCatalogoRelacoes& origem,
                                                             const TCatalogoRelacoes& destino);

private:
    TContextoMigracao FContexto;
    const TListaTextos& FExcecoes;
    TPassosChavesEstrangeiras& FChaves;
};
