#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

class TCollection;
class TCollectionItem;

// Makes a new item of a collection's item class; the item puts itself into the collection.
// ItemClassOf<T>() gives the factory of an item class T (constructor T(TCollection*)).
using TCollectionItemClass = std::function<TCollectionItem*(TCollection* Collection)>;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// An entry of a TCollection. The item belongs to its collection: the collection deletes it, and
// an item that is deleted (Free) leaves its collection first.
class TCollectionItem : public TPersistent {
public:
    // The item joins Collection (when not null) once it is fully constructed (AfterConstruction),
    // so that the collection's notifications see the whole item. Create items with New<T>.
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item from its collection (if any) to Value (if any).
    virtual void SetCollection(TCollection* Value);

    // A number unique in the collection, given in the order the items were added; never reused.
    Integer ID() const { return FID; }
    // The position in the collection, -1 outside one.
    Integer Index() const;
    // Moves the item to Value; outside 0..Count-1 raises EListError "List index out of bounds".
    virtual void SetIndex(Integer Value);
    AnsiString DisplayName() const { return GetDisplayName(); }
    virtual void SetDisplayName(const AnsiString& Value);

    TPersistent* GetOwner() override;
    AnsiString GetNamePath() override;

protected:
    // Tells the collection (Update) that this item changed, or with AllItems that every item did.
    // Nothing is told while the collection is updating.
    void Changed(bool AllItems);
    // The text shown for the item in editors. Default: the class name.
    virtual AnsiString GetDisplayName() const;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    TCollection* FPendingCollection = nullptr;
    Integer FID = 0;
};

template <class T> TCollectionItemClass ItemClassOf()
{
    return [](TCollection* Collection) -> TCollectionItem* { return New<T>(Collection); };
}

// An ordered list of items of one class, with change notification.
// Indexes outside the list raise EListError "List index out of bounds (<index>)".
class TCollection : public TPersistent {
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    ~TCollection() override;

    // A new item at the end / at Index.
    TCollectionItem* Add();
    TCollectionItem* Insert(Integer Index);
    // Deletes the item at Index (Notify(cnDeleting) first).
    void Delete(Integer Index);
    // Deletes every item, announcing one change at the end.
    void Clear();

    // While updating (BeginUpdate calls outnumber EndUpdate calls) no Update is sent; the last
    // EndUpdate sends Update(nullptr).
    void BeginUpdate();
    virtual void EndUpdate();
    Integer UpdateCount() const { return FUpdateCount; }

    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TCollectionItem* Items(Integer Index) const;
    // Copies Value into the item at Index (Items(Index)->Assign(Value)).
    void SetItems(Integer Index, TCollectionItem* Value);
    // The item with this ID, or nullptr.
    TCollectionItem* FindItemID(Integer ID) const;

    // From another collection: clears and adds one item per source item, each assigned from it.
    void Assign(TPersistent* Source) override;

    const TCollectionItemClass& ItemClass() const { return FItemClass; }
    TPersistent* Owner() { return GetOwner(); }
    AnsiString GetNamePath() override;

protected:
    // Called after a change: Item changed, or (nullptr) the whole collection did.
    virtual void Update(TCollectionItem* Item);
    // Called when Item was added, is being taken out, or is about to be deleted.
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    // Sends Update(nullptr) unless updating.
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    TCollectionItemClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    Integer FUpdateCount = 0;
    Integer FNextID = 0;
};

// A collection that knows its owner (GetOwner), typically the component that publishes it.
class TOwnedCollection : public TCollection {
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
        : TCollection(std::move(ItemClass)), FOwner(AOwner)
    {
    }
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
};
