#include "platform/rtl/Lists.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";

} // namespace

TList::~TList()
{
    Clear();
}

void TList::Error(const char* Msg, Integer Data)
{
    char Text[128];
    std::snprintf(Text, sizeof Text, Msg, static_cast<int>(Data));
    throw EListError(Text);
}

void TList::CheckIndex(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        Error(SListIndexError, Index);
}

Pointer TList::Get(Integer Index) const
{
    CheckIndex(Index);
    return FList[static_cast<std::size_t>(Index)];
}

Pointer TList::Items(Integer Index) const
{
    return Get(Index);
}

Integer TList::Add(Pointer Item)
{
    const Integer Result = Count();
    if (Result == FCapacity)
        Expand();
    FList.push_back(Item);
    if (Item != nullptr)
        Notify(Item, lnAdded);
    return Result;
}

void TList::Insert(Integer Index, Pointer Item)
{
    if (Index < 0 || Index > Count())
        Error(SListIndexError, Index);
    if (Count() == FCapacity)
        Expand();
    FList.insert(FList.begin() + Index, Item);
    if (Item != nullptr)
        Notify(Item, lnAdded);
}

void TList::Delete(Integer Index)
{
    Pointer Item = Get(Index);
    FList.erase(FList.begin() + Index);
    if (Item != nullptr)
        Notify(Item, lnDeleted);
}

Integer TList::Remove(Pointer Item)
{
    const Integer Result = IndexOf(Item);
    if (Result >= 0)
        Delete(Result);
    return Result;
}

Pointer TList::Extract(Pointer Item)
{
    const Integer Index = IndexOf(Item);
    if (Index < 0)
        return nullptr;
    Pointer Result = FList[static_cast<std::size_t>(Index)];
    FList.erase(FList.begin() + Index);
    Notify(Result, lnExtracted);
    return Result;
}

Integer TList::IndexOf(Pointer Item) const
{
    auto It = std::find(FList.begin(), FList.end(), Item);
    return It == FList.end() ? -1 : static_cast<Integer>(It - FList.begin());
}

void TList::Clear()
{
    SetCount(0);
    SetCapacity(0);
}

void TList::SetItems(Integer Index, Pointer Item)
{
    CheckIndex(Index);
    Pointer Old = FList[static_cast<std::size_t>(Index)];
    if (Old == Item)
        return;
    FList[static_cast<std::size_t>(Index)] = Item;
    if (Old != nullptr)
        Notify(Old, lnDeleted);
    if (Item != nullptr)
        Notify(Item, lnAdded);
}

void TList::SetCount(Integer NewCount)
{
    if (NewCount < 0)
        Error(SListCountError, NewCount);
    if (NewCount > FCapacity)
        SetCapacity(NewCount);
    if (NewCount > Count()) {
        FList.resize(static_cast<std::size_t>(NewCount), nullptr);
        return;
    }
    // Drop from the end one by one, so that an owning list deletes each entry exactly once even
    // when a notification looks at the list.
    while (Count() > NewCount)
        Delete(Count() - 1);
}

void TList::SetCapacity(Integer NewCapacity)
{
    if (NewCapacity < Count())
        Error(SListCapacityError, NewCapacity);
    if (NewCapacity == FCapacity)
        return;
    FCapacity = NewCapacity;
    if (static_cast<std::size_t>(NewCapacity) > FList.capacity())
        FList.reserve(static_cast<std::size_t>(NewCapacity));
}

TList* TList::Expand()
{
    if (Count() == FCapacity) {
        Integer Delta = 4;
        if (FCapacity > 64)
            Delta = FCapacity / 4;
        else if (FCapacity > 8)
            Delta = 16;
        SetCapacity(FCapacity + Delta);
    }
    return this;
}

void TList::Exchange(Integer Index1, Integer Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FList[static_cast<std::size_t>(Index1)], FList[static_cast<std::size_t>(Index2)]);
}

void TList::Move(Integer CurIndex, Integer NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    Pointer Item = FList[static_cast<std::size_t>(CurIndex)];
    FList.erase(FList.begin() + CurIndex);
    FList.insert(FList.begin() + NewIndex, Item);
}

void TList::Pack()
{
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

namespace {

// Quicksort with the middle entry as pivot. The scans stop at the range ends, so a compare
// function that is not a consistent order cannot run them off the list; the smaller side is sorted
// by recursion and the larger one by the loop, which bounds the depth by log2(n).
void QuickSort(std::vector<Pointer>& List, Integer L, Integer R, const TListSortCompare& Compare)
{
    while (L < R) {
        Integer I = L;
        Integer J = R;
        Pointer P = List[static_cast<std::size_t>(L + (R - L) / 2)];
        do {
            while (I < R && Compare(List[static_cast<std::size_t>(I)], P) < 0)
                ++I;
            while (J > L && Compare(List[static_cast<std::size_t>(J)], P) > 0)
                --J;
            if (I <= J) {
                std::swap(List[static_cast<std::size_t>(I)], List[static_cast<std::size_t>(J)]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (J - L < R - I) {
            if (L < J)
                QuickSort(List, L, J, Compare);
            L = I;
        } else {
            if (I < R)
                QuickSort(List, I, R, Compare);
            R = J;
        }
    }
}

} // namespace

void TList::Sort(TListSortCompare Compare)
{
    if (Count() > 1 && Compare)
        QuickSort(FList, 0, Count() - 1, Compare);
}

void TList::Notify(Pointer, TListNotification) {}

TObjectList::~TObjectList()
{
    // Delete the objects here: once this destructor has run, TList's no longer reaches Notify.
    Clear();
}

void TObjectList::Notify(Pointer Ptr, TListNotification Action)
{
    if (FOwnsObjects && Action == lnDeleted)
        static_cast<TObject*>(Ptr)->Free();
    TList::Notify(Ptr, Action);
}
