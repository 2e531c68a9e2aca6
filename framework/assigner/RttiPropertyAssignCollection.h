#pragma once

#include "AssignInstruction.h"

// Copies a collection's items: for each source item, in order, a new item is added to the
// destination and the source item is assigned to it. Items already in the destination stay,
// so the copies come after them.
class TObjectsAssigner::TRttiPropertyAssignCollection : public TAssignInstruction {
public:
    // Fails with EAssignError when Source or Dest is not a TCollection.
    void Execute(TObjectsAssigner& ObjAssigner, QObject& Source, QObject& Dest,
                 bool& Cancel) override;

    // The instruction provider registered at start-up: adds this instruction to the list of
    // any pair of collection classes. It leaves Cancel and Handled alone, so the ordinary
    // property copies follow; the collections' and the items' bookkeeping properties are on
    // the ignore list.
    static void GetCollectionInstructions(TObjectsAssigner& AObjAssigner,
                                          const QMetaObject& ASourceClass,
                                          const QMetaObject& ADestClass,
                                          TInstructionList& AInstructionsList, bool& Cancel,
                                          bool& Handled);
};
