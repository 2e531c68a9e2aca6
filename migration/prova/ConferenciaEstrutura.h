#pragma once

#include <string>
#include <vector>

class TConexao;

// Compares what a run drops and creates again in the destination with the source's: the
// foreign keys and the triggers. The destination is a new database of the source's schema
// version: every key and trigger of the source must be there as the source has it. What only
// the destination has is its own, which a run keeps as it was (a source whose key went
// missing, say, is not made the destination's model): that is no difference.
//
// Foreign keys are compared by definition (table and columns in order, referenced table and
// columns, update and delete rules), never by name: the server names a key declared without
// one (INTEG_n) anew in every database. Keys are counted, so a definition the source has twice
// must be there twice. A key over a table the destination lacks is left out, and so is a key
// the record of pending keys still holds, which the proof names as pending. Triggers are
// compared by name, with their table, type, position and source text (line ends and trailing
// blanks aside); whether they are active is the proof's own check. The replication triggers
// are the run's: those the catalogue names are left out, and when the source uses replication
// every catalogued table the destination has must have its trigger.
//
// Each database is read in one read-only snapshot, both at once; nothing is changed.
class TConferenciaEstrutura {
public:
    TConferenciaEstrutura(TConexao& origem, TConexao& destino) : FOrigem(origem), FDestino(destino)
    {
    }

    // One line per difference: the foreign keys' first, then the triggers'.
    std::vector<std::string> Diferencas();

private:
    TConexao& FOrigem;
    TConexao& FDestino;
};
