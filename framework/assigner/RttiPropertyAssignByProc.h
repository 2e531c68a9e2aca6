#pragma once

#include "AssignInstruction.h"

// Runs a procedure registered for a class pair; it may copy what it likes and stop the rest.
class TObjectsAssigner::TRttiPropertyAssignByProc : public TAssignInstruction {
public:
    explicit TRttiPropertyAssignByProc(TObjectAssignProcedure AProcedure);

    void Execute(TObjectsAssigner& ObjAssigner, QObject& Source, QObject& Dest,
                 bool& Cancel) override;

private:
    TObjectAssignProcedure fProcedure;
};
