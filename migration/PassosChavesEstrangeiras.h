#pragma once

#include "ChaveEstrangeira.h"
#include "Consulta.h"
#include "ContextoMigracao.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

// The destination's foreign keys are dropped before its tables are emptied and filled in
// alphabetical order, and created again afterwards from their definitions as read before.
//
// The definitions of the keys dropped from a destination are kept, per destination file, until
// each is created again: a run that fails in between leaves them here, the next run on that
// destination creates those it no longer finds, and the caller can show the ones still missing.
class TPassosChavesEstrangeiras {
public:
    explicit TPassosChavesEstrangeiras(const TContextoMigracao& contexto);

    void ExcluirChavesEstrangeiras();
    void CriarChavesEstrangeiras();

    // The statements that would create the keys dropped from that destination and not yet
    // created again. Safe to call from any thread.
    std::vector<std::string> Pendentes(const std::string& arquivoDestino) const;

private:
    std::vector<TChaveEstrangeira> LerChavesEstrangeiras();
    void Registrar(const TChaveEstrangeira& chave);
    void Esquecer(const TChaveEstrangeira& chave);

    TContextoMigracao FContexto;
    TConsulta sqlChavesEstrangeiras;
    std::vector<TChaveEstrangeira> FChaves; // read by Excluir..., created by Criar...
    std::string FArquivoDestino;            // ChaveArquivo of the destination of FChaves

    mutable std::mutex FTravaPendentes;
    std::map<std::string, std::vector<TChaveEstrangeira>> FPendentes;
};
