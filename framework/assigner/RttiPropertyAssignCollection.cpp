#include "RttiPropertyAssignCollection.h"

#include "AssignError.h"
#include "Collection.h"
#include "CollectionItem.h"

void TObjectsAssigner::TRttiPropertyAssignCollection::Execute(TObjectsAssigner& ObjAssigner,
                                                              QObject& Source, QObject& Dest,
                                                              bool&)
{
    auto* const origem = qobject_cast<TCollection*>(&Source);
    auto* const destino = qobject_cast<TCollection*>(&Dest);
    if (origem == nullptr || destino == nullptr)
        throw EAssignError(
            QStringLiteral("A cópia de coleção recebeu %1 e %2, que não são ambos coleções.")
                .arg(QString::fromLatin1(Source.metaObject()->className()),
                     QString::fromLatin1(Dest.metaObject()->className())));
    // The count is taken once: items added while copying are not copied again.
    const int total = origem->Count();
    for (int i = 0; i < total; ++i)
        ObjAssigner.Assign(origem->Items(i), destino->Add());
}

void TObjectsAssigner::TRttiPropertyAssignCollection::GetCollectionInstructions(
    TObjectsAssigner&, const QMetaObject& ASourceClass, const QMetaObject& ADestClass,
    TInstructionList& AInstructionsList, bool&, bool&)
{
    if (ASourceClass.inherits(&TCollection::staticMetaObject) &&
        ADestClass.inherits(&TCollection::staticMetaObject))
        AInstructionsList.push_back(std::make_unique<TRttiPropertyAssignCollection>());
}
