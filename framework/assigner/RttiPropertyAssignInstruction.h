#pragma once

#include "AssignInstruction.h"

// Copies one value property: reads it on the source and writes the value on the destination.
class TObjectsAssigner::TRttiPropertyAssignInstruction : public TAssignInstruction {
public:
    TRttiPropertyAssignInstruction(const QMetaProperty& ASourceRttiProperty,
                                   const QMetaProperty& ADestRttiProperty);

    // A destination that refuses the value fails with EAssignError rather than leaving the
    // property quietly as it was.
    void Execute(TObjectsAssigner& ObjAssigner, QObject& Source, QObject& Dest,
                 bool& Cancel) override;

private:
    QMetaProperty fSourceRttiProperty;
    QMetaProperty fDestRttiProperty;
};
