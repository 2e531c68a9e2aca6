#pragma once

#include <QObject>

#include <memory>
#include <vector>

class TCollectionItem;

// An owning list of items of one item class, which creates its items itself. The item class
// derives from TCollectionItem and has a Q_INVOKABLE default constructor, so that a copy into
// a collection can make items of the destination's own class.
class TCollection : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QObject* Owner READ Owner)

public:
    // Fails with std::invalid_argument when AItemClass is not such an item class; checked here
    // so that Add cannot fail to make an item.
    explicit TCollection(const QMetaObject& AItemClass, QObject* AOwner = nullptr);
    ~TCollection() override;

    // Creates a new item of the item class at the end.
    TCollectionItem& Add();

    int Count() const noexcept { return static_cast<int>(FItems.size()); }
    // Fails with std::out_of_range outside 0 .. Count - 1.
    TCollectionItem& Items(int AIndex) const;
    int IndexOf(const TCollectionItem& AItem) const noexcept;

    const QMetaObject& ItemClass() const noexcept { return FItemClass; }
    // The object the collection belongs to, if any; it does not own the collection.
    QObject* Owner() const noexcept { return FOwner; }

private:
    const QMetaObject& FItemClass;
    QObject* FOwner;
    std::vector<std::unique_ptr<TCollectionItem>> FItems;
};
