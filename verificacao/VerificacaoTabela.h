#pragma once

#include "CatalogoRelacoes.h"
#include "ChaveEstrangeira.h"
#include "ChavesUnicas.h"
#include "ProblemaVerificacao.h"

#include <map>
#include <string>
#include <vector>

class TConexao;
class TConsulta;

// A CHECK of the destination, a table's constraint or the domain of one of its columns: the
// server tests its condition on every row the run inserts, since the run leaves it active.
struct TRestricaoCheck {
    std::string Nome;   // the constraint's, or the domain's
    std::string Coluna; // for a domain's CHECK, the column of the table that uses the domain
    std::string Fonte;  // as the server keeps it
    // Ready for a statement on the table's row (CondicaoCheck), VALUE standing for the column;
    // empty when the source holds no condition the check can read.
    std::string Condicao;

    std::string Alvo() const;      // "restrição X", or "coluna Y"
    std::string Recusada() const;  // what a refused row is, in the problem's words
};

// One table the run copies, with what its check needs to know of both databases.
struct TTabelaVerificada {
    std::string Nome;
    const TRelacaoCatalogo& Origem;
    const TRelacaoCatalogo& Destino;
    std::vector<TChaveUnica> ChavesDestino; // what the destination refuses twice
    std::vector<TChaveUnica> ChavesOrigem;  // what the source already holds unique
    // The destination's keys from this table to tables the run also copies, each with the
    // parent as the source has it.
    std::vector<std::pair<TChaveEstrangeira, const TRelacaoCatalogo*>> ChavesEstrangeiras;
    std::vector<TChaveEstrangeira> ChavesEstrangeirasOrigem; // what the source already enforces
    std::vector<TRestricaoCheck> Checks; // the destination's
};

// Every table's CHECK constraints and the CHECKs of its columns' domains, by table; their
// sources read as bytes, so that no character of theirs meets the connection's set.
std::map<std::string, std::vector<TRestricaoCheck>> LerRestricoesCheck(TConexao& conexao);

// The source columns as the run would write them: a yes/no column's NULL as the 'N' the run
// fills in first (the source's tables only; views are not filled).
std::string ExpressaoOrigem(const TRelacaoCatalogo& relacao, const std::string& coluna,
                            const std::string& prefixo = {});

// Which columns name a row of the table to the operator: its primary key in the destination,
// else its first unique key, else none.
std::vector<std::string> CamposIdentificacao(const std::vector<TChaveUnica>& chaves);

// "A=1 B=2" from the first columns of the query's current row.
std::string TextoChave(const TConsulta& consulta, const std::vector<std::string>& campos);

// Checks the source's rows of one copied table against the destination's definition of it,
// without changing anything, and the server judges each question: NULLs for NOT NULL columns
// (and a NOT NULL COD_ATUALIZACAO without a default, which the run never fills), the source's
// columns the destination lacks, rows whose parent the source lacks, in one aggregate pass;
// every value whose type differs assigned, row by row in one PSQL pass, first to WIN1252 (the
// run reads through it) and then to a variable of the destination column's own type, which
// refuses what the column refuses (length, character set, the storage's numeric limit); where
// the types may narrow (PodeEstreitar), read back into the source's type, so that a value the
// assignment would change without refusing it is an error, and a narrowing column whose every
// value comes back whole a warning; the destination's CHECK conditions, its tables' and its
// domains', evaluated on those values in the same pass (one the server cannot evaluate on
// the source's rows is an error that names it: what it would refuse is unknown); rows that collide on a unique key grouped under the destination's collation
// and NULL rule. What the source enforces the same way already needs no look at its rows.
std::vector<TProblemaVerificacao> VerificarTabela(TConexao& origem,
                                                  const TTabelaVerificada& tabela);
