#pragma once

#include "Collection.h"

#include <QObject>

// An item of a TCollection. Its collection makes it (TCollection::Add), owns it and sets
// Collection; an item made any other way belongs to no collection.
class TCollectionItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(TCollection* Collection READ Collection)
    Q_PROPERTY(int Index READ Index)

public:
    TCollection* Collection() const noexcept { return FCollection; }
    // Position in the collection, -1 outside one.
    int Index() const noexcept;

protected:
    TCollectionItem() = default;

private:
    friend class TCollection;

    TCollection* FCollection = nullptr;
};
