#pragma once

#include "CatalogoRelacoes.h"
#include "ChaveEstrangeira.h"
#include "ChavesUnicas.h"
#include "ProblemaVerificacao.h"

#include <string>
#include <vector>

class TConexao;
class TConsulta;

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
};

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
// without changing anything: NULLs for NOT NULL columns, text too long or outside WIN1252,
// numbers beyond precision and scale, the source's columns the destination lacks, rows that
// collide on a unique key, rows whose parent the source lacks. What the source enforces the
// same way already (a unique key, a foreign key) needs no look at its rows. The
// server does the counting: one aggregate pass over the table for every column and
// foreign-key condition left, a grouping per unique key left, a procedure pass per column
// whose text may not fit WIN1252; then five offending rows of each problem found.
std::vector<TProblemaVerificacao> VerificarTabela(TConexao& origem,
                                                  const TTabelaVerificada& tabela);
