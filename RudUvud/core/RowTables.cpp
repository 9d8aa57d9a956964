// The per-row tables of the string grid and the structural row edits applied to all of them.

#include "RudUvud/core/RowTables.h"

#include <algorithm>
#include <iterator>

// ---- TSelectionList ---------------------------------------------------------------------------------

void TSelectionList::Grow(Integer Count)
{
    if (Count > Size()) {
        FFlags.resize(static_cast<size_t>(Count), 0);
        FOrderPos.resize(static_cast<size_t>(Count), -1);
    }
}

bool TSelectionList::Set(Integer Index, bool Value)
{
    Grow(Index + 1);
    const bool Was = FFlags[Index] != 0;
    if (Was == Value)
        return false;
    FFlags[Index] = Value ? 1 : 0;
    if (Value) {
        ++FCount;
        FOrderPos[Index] = static_cast<Integer>(FOrder.size());
        FOrder.push_back(Index);
    } else {
        --FCount;
        FOrder[FOrderPos[Index]] = -1;
        FOrderPos[Index] = -1;
        if (++FDropped > 64 && FDropped > static_cast<Integer>(FOrder.size()) / 2)
            Compact();
    }
    return true;
}

void TSelectionList::Compact()
{
    Integer W = 0;
    for (Integer I : FOrder)
        if (I >= 0) {
            FOrderPos[I] = W;
            FOrder[W++] = I;
        }
    FOrder.resize(static_cast<size_t>(W));
    FDropped = 0;
}

Integer TSelectionList::CountBelow(Integer Limit) const
{
    if (Limit >= Size())
        return FCount;
    Integer N = 0;
    for (Integer I = 0; I < Limit; ++I)
        N += FFlags[I] != 0;
    return N;
}

std::vector<Integer> TSelectionList::Order() const
{
    std::vector<Integer> R;
    R.reserve(static_cast<size_t>(FCount));
    for (Integer I : FOrder)
        if (I >= 0)
            R.push_back(I);
    return R;
}

std::vector<Integer> TSelectionList::Clear()
{
    std::vector<Integer> Was;
    Was.reserve(static_cast<size_t>(FCount));
    for (Integer I : FOrder)
        if (I >= 0) {
            Was.push_back(I);
            FFlags[I] = 0;
            FOrderPos[I] = -1;
        }
    std::sort(Was.begin(), Was.end());
    FOrder.clear();
    FCount = 0;
    FDropped = 0;
    return Was;
}

// ---- The tables ------------------------------------------------------------------------------------

Integer MovedIndex(Integer I, Integer From, Integer To)
{
    if (I == From)
        return To;
    if (From < To && I > From && I <= To)
        return I - 1;
    if (From > To && I >= To && I < From)
        return I + 1;
    return I;
}

namespace {

// Index after removing the items at the ascending indexes Gone; -1 for a removed one.
Integer RemovedIndex(Integer I, const std::vector<Integer>& Gone)
{
    const auto It = std::lower_bound(Gone.begin(), Gone.end(), I);
    if (It != Gone.end() && *It == I)
        return -1;
    return I - static_cast<Integer>(It - Gone.begin());
}

// Index after items open at the ascending final positions Pos: the old index I takes the I-th
// place that stays unopened (Pos[j] - j never decreases).
Integer OpenedIndex(Integer I, const std::vector<Integer>& Pos)
{
    Integer Lo = 0, Hi = static_cast<Integer>(Pos.size());
    while (Lo < Hi) {
        const Integer Mid = (Lo + Hi) / 2;
        if (Pos[static_cast<size_t>(Mid)] - Mid <= I)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    return I + Lo;
}

void SwapFlags(TSelectionList& L, Integer A, Integer B)
{
    const bool FA = L.Get(A), FB = L.Get(B);
    if (FA != FB) {
        L.Set(A, FB);
        L.Set(B, FA);
    }
}

} // namespace

Integer TGridRowTables::HiddenBelow(Integer RealRow) const
{
    return static_cast<Integer>(std::lower_bound(FHidden.begin(), FHidden.end(), RealRow,
                                                 [](const TGridItem& E, Integer R) { return E.Idx < R; }) -
                                FHidden.begin());
}

TGridItem* TGridRowTables::HiddenEntry(Integer RealRow)
{
    const Integer K = HiddenBelow(RealRow);
    return K < HiddenCount() && FHidden[static_cast<size_t>(K)].Idx == RealRow
               ? &FHidden[static_cast<size_t>(K)]
               : nullptr;
}

void TGridRowTables::Inserted(Integer D, Integer RealAt, Integer Count, Integer OldTotal, bool MarksReal)
{
    std::vector<Integer> Pos, RealPos;
    for (Integer I = 0; I < Count; ++I) {
        Pos.push_back(D + I);
        RealPos.push_back(RealAt + I);
    }
    InsertedAt(Pos, RealPos, OldTotal, MarksReal);
}

void TGridRowTables::InsertedAt(const std::vector<Integer>& Pos, const std::vector<Integer>& RealPos,
                                Integer OldTotal, bool MarksReal)
{
    if (Pos.empty())
        return;
    for (TGridItem& E : FHidden)
        E.Idx = OpenedIndex(E.Idx, RealPos);
    const std::vector<Integer>& MarkPos = MarksReal ? RealPos : Pos;
    FMarks.Remap([&](Integer I) { return OpenedIndex(I, MarkPos); });
    FModified.Remap([&](Integer I) { return OpenedIndex(I, Pos); });
    if (static_cast<Integer>(FXRef.size()) == OldTotal && RealPos.size() == 1) {
        FXRef.insert(FXRef.begin() + RealPos[0], OldTotal);
    } else if (static_cast<Integer>(FXRef.size()) == OldTotal) {
        // New rows are unsorted rows after all the others.
        std::vector<Integer> X;
        X.reserve(FXRef.size() + RealPos.size());
        size_t Old = 0, K = 0;
        while (Old < FXRef.size() || K < RealPos.size()) {
            if (K < RealPos.size() && RealPos[K] == static_cast<Integer>(X.size()))
                X.push_back(OldTotal + static_cast<Integer>(K++));
            else
                X.push_back(FXRef[Old++]);
        }
        FXRef = std::move(X);
    } else {
        FXRef.clear();
    }
}

void TGridRowTables::Removed(Integer D, Integer Count, const std::vector<Integer>& RealGone, Integer OldTotal,
                             bool MarksReal)
{
    std::vector<Integer> Displ;
    for (Integer I = 0; I < Count; ++I)
        Displ.push_back(D + I);
    RemovedAt(Displ, RealGone, OldTotal, MarksReal);
}

void TGridRowTables::RemovedAt(const std::vector<Integer>& Displ, const std::vector<Integer>& RealGone,
                               Integer OldTotal, bool MarksReal)
{
    for (TGridItem& E : FHidden)
        E.Idx -= static_cast<Integer>(std::lower_bound(RealGone.begin(), RealGone.end(), E.Idx) -
                                      RealGone.begin());
    auto Gone = [&](Integer I) { return RemovedIndex(I, Displ); };
    if (MarksReal)
        FMarks.Remap([&](Integer I) { return RemovedIndex(I, RealGone); });
    else
        FMarks.Remap(Gone);
    FModified.Remap(Gone);
    if (static_cast<Integer>(FXRef.size()) == OldTotal) {
        std::vector<Integer> Kept;
        Kept.reserve(FXRef.size());
        for (size_t I = 0, G = 0; I < FXRef.size(); ++I) {
            if (G < RealGone.size() && RealGone[G] == static_cast<Integer>(I)) {
                ++G;
                continue;
            }
            Kept.push_back(FXRef[I]);
        }
        FXRef = std::move(Kept);
        // Renumber the unsorted indexes so that they stay 0 .. n - 1 in the same relative order.
        std::vector<Integer> Idx(FXRef.size());
        for (size_t I = 0; I < Idx.size(); ++I)
            Idx[I] = static_cast<Integer>(I);
        std::sort(Idx.begin(), Idx.end(), [&](Integer A, Integer B) { return FXRef[A] < FXRef[B]; });
        for (size_t K = 0; K < Idx.size(); ++K)
            FXRef[Idx[K]] = static_cast<Integer>(K);
    } else {
        FXRef.clear();
    }
}

void TGridRowTables::Moved(Integer From, Integer To, Integer RealFrom, Integer RealTo, bool MarksReal)
{
    const Integer MF = MarksReal ? RealFrom : From, MT = MarksReal ? RealTo : To;
    FMarks.Remap([&](Integer I) { return MovedIndex(I, MF, MT); });
    FModified.Remap([&](Integer I) { return MovedIndex(I, From, To); });
    MoveItem(FXRef, RealFrom, RealTo);
}

void TGridRowTables::Exchanged(Integer A, Integer B, Integer RealA, Integer RealB, bool MarksReal,
                               bool WithMarks)
{
    if (WithMarks)
        SwapFlags(FMarks, MarksReal ? RealA : A, MarksReal ? RealB : B);
    SwapFlags(FModified, A, B);
    if (RealA < static_cast<Integer>(FXRef.size()) && RealB < static_cast<Integer>(FXRef.size()))
        std::swap(FXRef[static_cast<size_t>(RealA)], FXRef[static_cast<size_t>(RealB)]);
}

void TGridRowTables::Hid(const std::vector<Integer>& Displ, std::vector<TGridItem>&& Entries, bool MarksReal)
{
    for (size_t K = 0; K < Entries.size() && K < Displ.size(); ++K) {
        Entries[K].Modified = FModified.Get(Displ[K]);
        Entries[K].Marked = !MarksReal && FMarks.Get(Displ[K]);
    }
    FModified.Remap([&](Integer I) { return RemovedIndex(I, Displ); });
    if (!MarksReal)
        FMarks.Remap([&](Integer I) { return RemovedIndex(I, Displ); });
    if (Entries.size() == 1 || Entries.size() * 512 < FHidden.size()) {
        // A few rows (a node's rows among many hidden ones): each straight into its place, at a
        // cost that does not grow with the rows hidden before.
        for (TGridItem& E : Entries)
            FHidden.Insert(HiddenBelow(E.Idx), std::move(E));
        return;
    }
    std::vector<TGridItem> All;
    All.reserve(FHidden.size() + Entries.size());
    for (TGridItem& E : FHidden)
        All.push_back(std::move(E));
    const size_t Mid = All.size();
    for (TGridItem& E : Entries)
        All.push_back(std::move(E));
    std::inplace_merge(All.begin(), All.begin() + static_cast<std::ptrdiff_t>(Mid), All.end(),
                       [](const TGridItem& A, const TGridItem& B) { return A.Idx < B.Idx; });
    SetHidden(std::move(All));
}

void TGridRowTables::Showing(const std::vector<Integer>& Pos, const std::vector<TGridItem>& Entries,
                             bool MarksReal)
{
    FModified.Remap([&](Integer I) { return OpenedIndex(I, Pos); });
    if (!MarksReal)
        FMarks.Remap([&](Integer I) { return OpenedIndex(I, Pos); });
    for (size_t K = 0; K < Entries.size() && K < Pos.size(); ++K) {
        if (Entries[K].Modified)
            FModified.Set(Pos[K], true);
        if (!MarksReal && Entries[K].Marked)
            FMarks.Set(Pos[K], true);
    }
}

std::vector<TGridItem> TGridRowTables::TakeHidden(Integer From, Integer To)
{
    const Integer First = HiddenBelow(From);
    Integer Last = First;
    while (Last < HiddenCount() && FHidden[Last].Idx <= To)
        ++Last;
    std::vector<TGridItem> Out;
    for (Integer K = First; K < Last; ++K)
        Out.push_back(std::move(FHidden[K]));
    if (Last > First)
        FHidden.EraseRange(First, Last);
    return Out;
}

std::vector<TGridItem> TGridRowTables::TakeHiddenInLevel(Integer From, Integer To, Integer Level)
{
    const Integer First = HiddenBelow(From);
    Integer Last = First;
    while (Last < HiddenCount() && FHidden[Last].Idx <= To)
        ++Last;
    std::vector<TGridItem> Out;
    for (Integer K = Last - 1; K >= First; --K)
        if (FHidden[K].Level == Level)
            Out.push_back(FHidden.Erase(K));
    std::reverse(Out.begin(), Out.end());
    return Out;
}

std::vector<TGridItem> TGridRowTables::TakeLevel(Integer Level)
{
    std::vector<TGridItem> Out, Keep;
    Keep.reserve(FHidden.size());
    for (TGridItem& E : FHidden)
        (E.Level == Level ? Out : Keep).push_back(std::move(E));
    SetHidden(std::move(Keep));
    return Out;
}

void TGridRowTables::SetHidden(std::vector<TGridItem>&& Entries)
{
    FHidden.clear();
    for (TGridItem& E : Entries)
        FHidden.push_back(std::move(E));
}
