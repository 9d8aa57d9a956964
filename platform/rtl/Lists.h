#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

using Pointer = void*;

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Answers < 0 when Item1 sorts before Item2, 0 when equal, > 0 after.
using TListSortCompare = std::function<Integer(Pointer Item1, Pointer Item2)>;

// A list of untyped pointers. It does not own what they point to.
// Every index outside 0..Count()-1 raises EListError "List index out of bounds (<index>)".
class TList : public TObject {
public:
    TList() = default;
    ~TList() override;

    // Appends Item and answers its index.
    Integer Add(Pointer Item);
    // Inserts Item before Index; Index == Count() appends.
    void Insert(Integer Index, Pointer Item);
    // Removes the entry at Index (Notify(lnDeleted) follows).
    void Delete(Integer Index);
    // Removes the first entry equal to Item and answers its former index, -1 when absent.
    Integer Remove(Pointer Item);
    // Removes the first entry equal to Item without deleting it (Notify(lnExtracted)); answers
    // Item, or nullptr when absent.
    Pointer Extract(Pointer Item);
    Integer IndexOf(Pointer Item) const;
    void Clear();

    Pointer Items(Integer Index) const;
    void SetItems(Integer Index, Pointer Item);
    Pointer First() const { return Items(0); }
    Pointer Last() const { return Items(Count() - 1); }

    Integer Count() const { return static_cast<Integer>(FList.size()); }
    // Grows with nullptr entries or shrinks (Notify(lnDeleted) for each dropped non-null entry).
    // A negative count raises EListError "List count out of bounds (<count>)".
    void SetCount(Integer NewCount);
    Integer Capacity() const { return FCapacity; }
    // A capacity below Count() raises EListError "List capacity out of bounds (<capacity>)".
    void SetCapacity(Integer NewCapacity);
    TList* Expand();

    void Exchange(Integer Index1, Integer Index2);
    // Moves the entry at CurIndex so that it ends at NewIndex.
    void Move(Integer CurIndex, Integer NewIndex);
    // Removes every nullptr entry.
    void Pack();
    // Sorts with Compare (quicksort: the order of equal entries is not kept). Safe with a compare
    // function that is not a consistent order: the result is then some permutation.
    void Sort(TListSortCompare Compare);

    // Raises EListError with Msg formatted with Data ("List index out of bounds (%d)").
    [[noreturn]] static void Error(const char* Msg, Integer Data);

protected:
    // Called after an entry was added, and after one was extracted or deleted.
    virtual void Notify(Pointer Ptr, TListNotification Action);
    Pointer Get(Integer Index) const;

private:
    void CheckIndex(Integer Index) const;

    std::vector<Pointer> FList;
    Integer FCapacity = 0;
};

// A list of objects that deletes (Free) what it holds when OwnsObjects is on (the default)
// and an entry is deleted, cleared, replaced or the list is destroyed. Extract never deletes.
class TObjectList : public TList {
public:
    explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
    ~TObjectList() override;

    Integer Add(TObject* AObject) { return TList::Add(AObject); }
    void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
    Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
    TObject* Extract(TObject* AObject) { return static_cast<TObject*>(TList::Extract(AObject)); }
    Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
    TObject* Items(Integer Index) const { return static_cast<TObject*>(TList::Items(Index)); }
    void SetItems(Integer Index, TObject* AObject) { TList::SetItems(Index, AObject); }
    TObject* First() const { return static_cast<TObject*>(TList::First()); }
    TObject* Last() const { return static_cast<TObject*>(TList::Last()); }

    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

protected:
    void Notify(Pointer Ptr, TListNotification Action) override;

private:
    bool FOwnsObjects = true;
};
