#pragma once

#include "ObjectsAssigner.h"

// One step of copying an object of one class into an object of another. Cancel is shared by
// the steps of one run: a step that sets it ends the run after itself.
class TObjectsAssigner::TAssignInstruction {
public:
    virtual ~TAssignInstruction() = default;

    virtual void Execute(TObjectsAssigner& ObjAssigner, QObject& Source, QObject& Dest,
                         bool& Cancel) = 0;
};
