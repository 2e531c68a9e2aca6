#pragma once

#include <string>
#include <vector>

class TConexao;

// While a run refills the destination, its server writes pages without waiting for the disk
// after each one (forced writes off): the copy, the keys and the indexes then take about a
// third less time. A destination whose forced writes were on has them on again before the run
// proves its result, asked of the server itself.
//
// The change is in the destination's record of pending changes (TRegistroChavesPendentes)
// before it is made and until it is undone, so that a run that ends in any way, the process
// killed included, leaves a destination whose next run turns them on again. A destination
// whose forced writes were off is left as it was.
class TEscritaForcada {
public:
    explicit TEscritaForcada(TConexao& destino);

    // Records and switches off the destination's forced writes, if they are on or an earlier
    // run left them recorded as switched off. The destination's connection attaches anew, so
    // that it writes the new way whatever the server's kind. A server that refuses the switch
    // (a user who is not the database's owner, say) leaves them on: the run goes on at the
    // usual pace. The lines returned are the run's to log: what an earlier run's record means
    // for the file and how to validate it, and why they could not be switched off.
    std::vector<std::string> Suspender();
    // Switches them on again, checks with the server that they are, flushes the file to the
    // disk, and only then takes them out of the record. Does nothing when Suspender did not
    // switch them off.
    void Restaurar();
    // Restaurar for a run that failed or was stopped: never throws. Returns the line to log
    // when they could not be switched on again (they stay recorded for the next run).
    std::string RestaurarAposFalha() noexcept;

    // Leaves them as they are, for whoever prefers the run slower to any time without them.
    void DefinirManter(bool manter) noexcept { FManter = manter; }

    // Whether they were on when the run began (or recorded as switched off by an earlier
    // one): what the run must leave.
    bool LigadaAntes() const noexcept { return FLigadaAntes; }

private:
    bool DesligadaTalvez() noexcept;

    TConexao& FDestino;
    bool FManter = false;
    bool FLigadaAntes = false;
    bool FSuspensa = false;
};
