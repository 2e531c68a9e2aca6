#include "RttiPropertyAssignObject.h"

TObjectsAssigner::TRttiPropertyAssignObject::TRttiPropertyAssignObject(
    const QMetaProperty& ASourceRttiProperty, const QMetaProperty& ADestRttiProperty,
    const TInstructionList& ASubInstructions)
    : fSourceRttiProperty(ASourceRttiProperty), fDestRttiProperty(ADestRttiProperty),
      fSubInstructions(ASubInstructions)
{
}

void TObjectsAssigner::TRttiPropertyAssignObject::Execute(TObjectsAssigner& ObjAssigner,
                                                          QObject& Source, QObject& Dest, bool&)
{
    QObject* const origem = fSourceRttiProperty.read(&Source).value<QObject*>();
    QObject* const destino = fDestRttiProperty.read(&Dest).value<QObject*>();
    if (origem != nullptr && destino != nullptr && origem != destino)
        ObjAssigner.ExecuteInstructions(*origem, *destino, fSubInstructions);
}
