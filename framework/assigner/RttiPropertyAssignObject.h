#pragma once

#include "AssignInstruction.h"

// Fills the object a destination property holds from the object the source property holds.
// The destination keeps its own object: when either side holds none, or both hold the same
// object, nothing happens.
class TObjectsAssigner::TRttiPropertyAssignObject : public TAssignInstruction {
public:
    // ASubInstructions is the assigner's cached list for the two declared property classes;
    // it stays the assigner's.
    TRttiPropertyAssignObject(const QMetaProperty& ASourceRttiProperty,
                              const QMetaProperty& ADestRttiProperty,
                              const TInstructionList& ASubInstructions);

    // The nested copy has a Cancel of its own, so a cancel inside it ends only that copy.
    void Execute(TObjectsAssigner& ObjAssigner, QObject& Source, QObject& Dest,
                 bool& Cancel) override;

private:
    QMetaProperty fSourceRttiProperty;
    QMetaProperty fDestRttiProperty;
    const TInstructionList& fSubInstructions;
};
