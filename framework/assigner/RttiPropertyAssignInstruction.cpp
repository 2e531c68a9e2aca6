#include "RttiPropertyAssignInstruction.h"

#include "AssignError.h"

TObjectsAssigner::TRttiPropertyAssignInstruction::TRttiPropertyAssignInstruction(
    const QMetaProperty& ASourceRttiProperty, const QMetaProperty& ADestRttiProperty)
    : fSourceRttiProperty(ASourceRttiProperty), fDestRttiProperty(ADestRttiProperty)
{
}

void TObjectsAssigner::TRttiPropertyAssignInstruction::Execute(TObjectsAssigner&,
                                                               QObject& Source, QObject& Dest,
                                                               bool&)
{
    if (!fDestRttiProperty.write(&Dest, fSourceRttiProperty.read(&Source)))
        throw EAssignError(QStringLiteral("Não foi possível gravar a propriedade \"%1\" de %2.")
                               .arg(QString::fromLatin1(fDestRttiProperty.name()),
                                    QString::fromLatin1(Dest.metaObject()->className())));
}
