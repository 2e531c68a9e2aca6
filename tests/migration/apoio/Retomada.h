#pragma once

#include "Migracao.h"
#include "ParMigracao.h"

class TRelatorioGravado;

#include <cstdint>
#include <functional>
#include <string>

// A run ended part way, and the run after it. The same scripts prepare two pairs: the first
// pair's first run is ended by the fault; once the cause is gone the next run must complete and
// leave its destination exactly as a single run leaves the second, untouched pair.
struct TCasoRetomada {
    std::string Nome;
    std::string ScriptOrigem;  // both pairs
    std::string ScriptDestino; // both pairs
    // The first run, ended part way by the fault; it returns once the run is over (or its
    // process is gone).
    std::function<void(TParMigracao& par)> PrimeiraExecucao;
    // What takes the cause away before the next run; the untouched pair gets it before its run.
    std::string CorrecaoOrigem;
    std::string CorrecaoDestino;
    // The first run's process is killed: nothing of it could put the destination's forced
    // writes back on, only the record tells the next run to.
    bool ProcessoMorto = false;
};

void PrintTo(const TCasoRetomada& caso, std::ostream* saida);

// A table LANCAMENTOS that sorts before SCRIPTS, and the same table with enough rows in the
// source for its copy to be caught under way.
extern const char* const TabelaGrande;
extern const std::string OrigemGrande;

// A first run in this process, ended from inside by what the report is told (a failure, or a
// stop); armar sets the report's hooks.
void ExecutarAte(TParMigracao& par,
                 const std::function<void(TRelatorioGravado&, TMigracao&)>& armar,
                 TResultadoMigracao esperado = TResultadoMigracao::Falhou);

// A progress hook that does something once, at the first progress of LANCAMENTOS's copy.
std::function<void(const std::string&, std::int64_t)> DuranteACopia(std::function<void()> fazer);

// Runs the case and checks, with gtest's assertions, that the next run on the faulted pair
// completes, leaves no foreign key pending, and gives the destination's every table, foreign
// key, trigger and sequence as the untouched pair's single run does. The destination's forced
// writes, on before the first run, are on again once it ends, unless its process was killed:
// then they are off and recorded, and on once the next run is over.
void ConferirRetomada(const TCasoRetomada& caso);

// Waits until the server has let go of every attachment to the database but the caller's own
// (a killed process's, say); fails the test when they outlive a few seconds.
void AguardarSemOutrasConexoes(TConexao& conexao);
