#pragma once

#include <cstdint>
#include <string>

// Where a run or a check stands at one moment, as the displays read it while it goes on: the
// time since it began, the work under way (the text of its last log line or what it is doing
// without one, and for how long), and the rows of the copy, table and run.
struct TSituacaoExecucao {
    bool EmExecucao = false;
    double Decorrido = 0;           // seconds since the run began; frozen once it ended
    std::string Atividade;          // the work under way
    double DecorridoAtividade = 0;  // seconds since it began
    std::string Tabela;             // the table being copied; empty outside a copy
    std::int64_t Linhas = 0;        // its rows written so far
    std::int64_t TotalTabela = -1;  // its rows in the source; -1 when not counted
    double LinhasPorSegundo = 0;    // its rate so far
    std::int64_t LinhasCopiadas = 0; // rows of the whole copy written so far
    std::int64_t LinhasTotais = -1;  // rows of all tables to copy; -1 when not counted
    double SegundosCopia = 0;       // time spent copying rows so far
};
