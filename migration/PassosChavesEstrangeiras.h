#pragma once

#include "ChaveEstrangeira.h"
#include "Consulta.h"
#include "ContextoMigracao.h"

#include <string>
#include <vector>

// The destination's foreign keys are dropped before its tables are emptied and filled in
// alphabetical order, and created again afterwards from their definitions as read before.
//
// Every key dropped from a destination is kept in that destination's record of pending keys
// (TRegistroChavesPendentes) until it exists again: a run that ends in between leaves it
// there, and the next run on that destination creates it with the others.
class TPassosChavesEstrangeiras {
public:
    explicit TPassosChavesEstrangeiras(const TContextoMigracao& contexto);

    void ExcluirChavesEstrangeiras();
    void CriarChavesEstrangeiras();

    // The statements that would create the keys dropped from that destination and not yet
    // created again, and the file that records them.
    static std::vector<std::string> Pendentes(const std::string& arquivoDestino);
    static std::string ArquivoPendentes(const std::string& arquivoDestino);

    // The keys a run on this destination creates again: those it has now and those an earlier
    // run dropped and did not create again. Reads, changes nothing.
    std::vector<TChaveEstrangeira> ChavesARecriar();

    // Every foreign key a database has, as the destination's are read.
    static std::vector<TChaveEstrangeira> ChavesDe(TConexao& conexao);

private:
    std::vector<TChaveEstrangeira> LerChavesEstrangeiras();
    std::vector<TChaveEstrangeira> ComPendentes(const std::vector<TChaveEstrangeira>& existentes);

    TContextoMigracao FContexto;
    TConsulta sqlChavesEstrangeiras;
    std::vector<TChaveEstrangeira> FChaves; // read by Excluir..., created by Criar...
};
