#pragma once

#include "ContextoMigracao.h"
#include "ErroBancoDados.h"
#include "IndicePendente.h"

#include <set>
#include <string>
#include <vector>

// The destination's indexes that back no constraint are set inactive before their table is
// refilled and active again once its rows are in: the server then builds each one in a single
// pass instead of row by row. Indexes already inactive before the run stay so.
//
// Every index set inactive is in the destination's record of pending changes
// (TRegistroChavesPendentes) before the first one is, and until it is active again: a run that
// ends in between leaves it there, and the next run activates it. An index that cannot be
// rebuilt (a unique one over repeated values) does not stop the run: it stays recorded, and
// the run, once done with everything else, ends as a failure that names it (NaoReativados).
class TPassosIndices {
public:
    explicit TPassosIndices(const TContextoMigracao& contexto);

    // Records and sets inactive the active indexes of these tables, and takes over the ones
    // an earlier run left recorded.
    void Desativar(const std::vector<std::string>& tabelas);
    // Activates the recorded indexes of that table, whose rows are in.
    void Ativar(const std::string& tabela);
    // Activates the recorded indexes of every other table (a kept table's, say) and brings the
    // record up to date: what remains in it is what could not be rebuilt.
    void Concluir();

    // One line per index the run could not activate, with the reason.
    const std::vector<std::string>& NaoReativados() const noexcept { return FNaoReativados; }

    // "T.I" for every active index of the destination that backs no constraint: what must
    // still be active once a run is over.
    static std::set<std::string> Ativos(TConexao& destino);

private:
    std::string MotivoFalha(const TIndicePendente& indice, const EBancoDados& erro);
    void Reativar(const TIndicePendente& indice);

    TContextoMigracao FContexto;
    std::vector<TIndicePendente> FIndices;  // recorded, not yet active again
    std::vector<TIndicePendente> FFalharam; // could not be rebuilt
    std::vector<std::string> FNaoReativados;
};
