#include "platform/rtl/Collections.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/Lists.h"

#include <algorithm>

// ---- TCollectionItem ----------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) : FPendingCollection(Collection) {}

TCollectionItem::~TCollectionItem()
{
    // Deleted without Free (or while its collection is going away): still leave the list.
    if (FCollection != nullptr)
        FCollection->RemoveItem(this);
}

void TCollectionItem::AfterConstruction()
{
    TPersistent::AfterConstruction();
    TCollection* Collection = FPendingCollection;
    FPendingCollection = nullptr;
    SetCollection(Collection);
}

void TCollectionItem::BeforeDestruction()
{
    // Leave the collection while the item is still whole, so the collection's notification sees
    // the item's own class.
    SetCollection(nullptr);
    TPersistent::BeforeDestruction();
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (FCollection == Value)
        return;
    if (FCollection != nullptr)
        FCollection->RemoveItem(this);
    if (Value != nullptr)
        Value->InsertItem(this);
}

Integer TCollectionItem::Index() const
{
    if (FCollection == nullptr)
        return -1;
    auto& Items = FCollection->FItems;
    auto It = std::find(Items.begin(), Items.end(), this);
    return It == Items.end() ? -1 : static_cast<Integer>(It - Items.begin());
}

void TCollectionItem::SetIndex(Integer Value)
{
    const Integer CurIndex = Index();
    if (CurIndex < 0 || CurIndex == Value)
        return;
    auto& Items = FCollection->FItems;
    if (Value < 0 || Value >= static_cast<Integer>(Items.size()))
        TList::Error("List index out of bounds (%d)", Value);
    Items.erase(Items.begin() + CurIndex);
    Items.insert(Items.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::SetDisplayName(const AnsiString&)
{
    Changed(false);
}

AnsiString TCollectionItem::GetDisplayName() const
{
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner()
{
    return FCollection;
}

AnsiString TCollectionItem::GetNamePath()
{
    if (FCollection == nullptr)
        return ClassName();
    return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection != nullptr && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection --------------------------------------------------------------------------------

TCollection::TCollection(TCollectionItemClass ItemClass) : FItemClass(std::move(ItemClass)) {}

TCollection::~TCollection()
{
    // No Update while the collection is going away.
    FUpdateCount = 1;
    while (!FItems.empty())
        FItems.back()->Free();
}

TCollectionItem* TCollection::Add()
{
    if (!FItemClass)
        throw EListError("Collection has no item class");
    TCollectionItem* Item = FItemClass(this);
    // A factory that made an item without joining this collection would leak it otherwise.
    if (Item != nullptr && Item->FCollection != this)
        Item->SetCollection(this);
    return Item;
}

TCollectionItem* TCollection::Insert(Integer Index)
{
    if (Index < 0 || Index > Count())
        TList::Error("List index out of bounds (%d)", Index);
    TCollectionItem* Item = Add();
    Item->SetIndex(Index);
    return Item;
}

void TCollection::Delete(Integer Index)
{
    TCollectionItem* Item = Items(Index);
    Notify(Item, cnDeleting);
    Item->Free();
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    TUpdateBracket Bracket(this);
    while (!FItems.empty())
        FItems.back()->Free();
}

void TCollection::BeginUpdate()
{
    ++FUpdateCount;
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

TCollectionItem* TCollection::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        TList::Error("List index out of bounds (%d)", Index);
    return FItems[static_cast<std::size_t>(Index)];
}

void TCollection::SetItems(Integer Index, TCollectionItem* Value)
{
    Items(Index)->Assign(Value);
}

TCollectionItem* TCollection::FindItemID(Integer ID) const
{
    for (TCollectionItem* Item : FItems)
        if (Item->FID == ID)
            return Item;
    return nullptr;
}

void TCollection::Assign(TPersistent* Source)
{
    auto* Other = dynamic_cast<TCollection*>(Source);
    if (Other == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (Other == this)
        return;
    TUpdateBracket Bracket(this);
    Clear();
    for (Integer I = 0; I < Other->Count(); ++I)
        Add()->Assign(Other->Items(I));
}

AnsiString TCollection::GetNamePath()
{
    TPersistent* Owner = GetOwner();
    if (Owner == nullptr)
        return ClassName();
    const AnsiString OwnerPath = Owner->GetNamePath();
    return OwnerPath.empty() ? ClassName() : OwnerPath + "." + ClassName();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    Notify(Item, cnExtracting);
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    if (It != FItems.end())
        FItems.erase(It);
    Item->FCollection = nullptr;
    Changed();
}
