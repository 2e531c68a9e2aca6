#include "RttiPropertyAssignByProc.h"

#include <stdexcept>

TObjectsAssigner::TRttiPropertyAssignByProc::TRttiPropertyAssignByProc(
    TObjectAssignProcedure AProcedure)
    : fProcedure(AProcedure)
{
    if (fProcedure == nullptr)
        throw std::invalid_argument("Procedimento de atribuição ausente");
}

void TObjectsAssigner::TRttiPropertyAssignByProc::Execute(TObjectsAssigner& ObjAssigner,
                                                          QObject& Source, QObject& Dest,
                                                          bool& Cancel)
{
    fProcedure(ObjAssigner, Source, Dest, Cancel);
}
