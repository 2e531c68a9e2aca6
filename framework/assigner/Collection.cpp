#include "Collection.h"

#include "CollectionItem.h"

#include <QMetaMethod>

#include <stdexcept>
#include <string>

namespace {

bool TemConstrutorPadrao(const QMetaObject& AClass)
{
    for (int i = 0; i < AClass.constructorCount(); ++i)
        if (AClass.constructor(i).parameterCount() == 0)
            return true;
    return false;
}

} // namespace

TCollection::TCollection(const QMetaObject& AItemClass, QObject* AOwner)
    : FItemClass(AItemClass), FOwner(AOwner)
{
    if (!AItemClass.inherits(&TCollectionItem::staticMetaObject) ||
        !TemConstrutorPadrao(AItemClass))
        throw std::invalid_argument(std::string(AItemClass.className()) +
                                    " não é uma classe de item de coleção");
}

TCollection::~TCollection() = default;

TCollectionItem& TCollection::Add()
{
    std::unique_ptr<TCollectionItem> item(static_cast<TCollectionItem*>(FItemClass.newInstance()));
    item->FCollection = this;
    FItems.push_back(std::move(item));
    return *FItems.back();
}

TCollectionItem& TCollection::Items(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        throw std::out_of_range("Índice de item fora dos limites: " + std::to_string(AIndex));
    return *FItems[static_cast<std::size_t>(AIndex)];
}

int TCollection::IndexOf(const TCollectionItem& AItem) const noexcept
{
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == &AItem)
            return static_cast<int>(i);
    return -1;
}
