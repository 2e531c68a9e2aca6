#pragma once

#include "CatalogoRelacoes.h"
#include "ChaveEstrangeira.h"
#include "Consulta.h"
#include "ContextoMigracao.h"
#include "ErroBancoDados.h"
#include "IndicePendente.h"
#include "RegistroChavesPendentes.h"
#include "VerificacaoPrevia.h"

#include <string>
#include <vector>

// The destination's foreign keys are dropped before its tables are emptied and filled in
// alphabetical order, and created again afterwards from their definitions as read before.
//
// Every key dropped from a destination is kept in that destination's record of pending keys
// (TRegistroChavesPendentes) until it exists again: a run that ends in between leaves it
// there, and the next run on that destination creates it with the others. The record is read
// and checked before the run changes anything (ConferirPendentes). A key that cannot be
// created does not stop the others: it stays in the record, and the run, once done with
// everything else, ends as a failure that names it (NaoRecriadas).
class TPassosChavesEstrangeiras {
public:
    explicit TPassosChavesEstrangeiras(const TContextoMigracao& contexto);

    // Whether the run leaves out of its record, instead of refusing to start, what
    // ConferirPendentes finds wrong with it: damaged copies and keys that can no longer be
    // created. The keys that can be created are kept all the same.
    void DefinirDescarte(bool descartar) noexcept { FDescartar = descartar; }
    bool Descarte() const noexcept { return FDescartar; }

    // Reads the record (the destination's table and the user's file) and checks its keys
    // against the destination's catalogue: every damaged part, and every key whose tables or
    // columns the destination no longer has, or whose referenced columns no primary or unique
    // key holds, is one item, naming the file, the row or the key. The keys that can be
    // created are what the run creates again with the destination's own. A key whose entry is
    // damaged in both copies is taken from the source's catalogue, when it has that key; the
    // damaged part's item gives the statement. A recorded index the destination no longer has
    // is an item too. Changes nothing.
    std::vector<TImpedimentoTabela> ConferirPendentes(const TCatalogoRelacoes& destino);

    void ExcluirChavesEstrangeiras();
    void CriarChavesEstrangeiras();

    // One line per key the last CriarChavesEstrangeiras could not create, with the reason
    // (rows without their parent: how many, and up to five of their keys). Those keys stay in
    // the record.
    const std::vector<std::string>& NaoRecriadas() const noexcept { return FNaoRecriadas; }

    // The statements that would create the keys dropped from that destination and not yet
    // created again, as both copies of the record hold them, less those it has.
    static std::vector<std::string> Pendentes(TConexao& destino);

    // The keys a run on this destination creates again: those it has now and those an earlier
    // run dropped and did not create again (as the last ConferirPendentes found them, or as
    // the record holds them). Reads, changes nothing.
    std::vector<TChaveEstrangeira> ChavesARecriar();

    // Every foreign key a database has, as the destination's are read.
    static std::vector<TChaveEstrangeira> ChavesDe(TConexao& conexao);

private:
    std::vector<TChaveEstrangeira> LerChavesEstrangeiras();
    std::vector<TChaveEstrangeira> Recuperar(const TLeituraChavesPendentes& leitura,
                                             std::vector<std::string>& danos);
    std::vector<TChaveEstrangeira> ComPendentes(const std::vector<TChaveEstrangeira>& existentes);
    std::vector<TIndicePendente> IndicesExistentes(std::vector<TIndicePendente> indices,
                                                   std::vector<TImpedimentoTabela>* problemas);
    std::string MotivoFalha(const TChaveEstrangeira& chave, const EBancoDados& erro);

    TContextoMigracao FContexto;
    TConsulta sqlChavesEstrangeiras;
    bool FDescartar = false;
    bool FConferidas = false;
    std::vector<TChaveEstrangeira> FPendentes; // what ConferirPendentes found creatable
    std::vector<TIndicePendente> FIndicesPendentes; // and the recorded indexes still there
    std::vector<TChaveEstrangeira> FChaves;    // read by Excluir..., created by Criar...
    std::vector<std::string> FNaoRecriadas;
};
