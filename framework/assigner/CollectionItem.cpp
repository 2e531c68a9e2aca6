#include "CollectionItem.h"

int TCollectionItem::Index() const noexcept
{
    return FCollection != nullptr ? FCollection->IndexOf(*this) : -1;
}
