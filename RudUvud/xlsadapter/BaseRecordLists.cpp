#include "RudUvud/xlsadapter/BaseRecordLists.h"

#include <algorithm>

using namespace zivXlsMessages;

// ---- TBaseRecordList ---------------------------------------------------------------------------

TBaseRecordList::~TBaseRecordList()
{
    for (auto& r : FList)
        if (r && r->FOwner == this)
            r->FOwner = nullptr;
}

void TBaseRecordList::Added(TBaseRecord* Rec)
{
    if (Rec) {
        FTotalSize += Rec->TotalSize();
        Rec->FOwner = this;
    }
}

void TBaseRecordList::Removed(TBaseRecord* Rec)
{
    if (Rec) {
        FTotalSize -= Rec->TotalSize();
        if (Rec->FOwner == this)
            Rec->FOwner = nullptr;
    }
}

void TBaseRecordList::SetItems(Integer Index, std::unique_ptr<TBaseRecord> Rec)
{
    auto& slot = FList.at(static_cast<size_t>(Index));
    Removed(slot.get());
    slot = std::move(Rec);
    Added(slot.get());
}

Integer TBaseRecordList::Add(std::unique_ptr<TBaseRecord> Rec)
{
    FList.push_back(std::move(Rec));
    Added(FList.back().get());
    return Count() - 1;
}

void TBaseRecordList::Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec)
{
    if (Index < 0 || Index > Count())
        XlsError(ErrInternal);
    auto it = FList.insert(FList.begin() + Index, std::move(Rec));
    Added(it->get());
}

void TBaseRecordList::Delete(Integer Index)
{
    std::unique_ptr<TBaseRecord> r = Extract(Index);
}

std::unique_ptr<TBaseRecord> TBaseRecordList::Extract(Integer Index)
{
    if (Index < 0 || Index >= Count())
        XlsError(ErrInternal);
    std::unique_ptr<TBaseRecord> r = std::move(FList[static_cast<size_t>(Index)]);
    FList.erase(FList.begin() + Index);
    Removed(r.get());
    return r;
}

void TBaseRecordList::Clear()
{
    for (auto& r : FList)
        if (r && r->FOwner == this)
            r->FOwner = nullptr;
    FList.clear();
    FTotalSize = 0;
}

void TBaseRecordList::SaveToStream(TOle2File& DataStream)
{
    // What is written must be what the running total predicted: sheet offsets were placed by it
    // before anything was written. A list standing in for another list writes that list, which
    // its own total counts.
    const Int64 start = DataStream.Get_Position();
    Int64 others = 0;
    for (auto& r : FList) {
        if (!r)
            continue;
        const Int64 at = DataStream.Get_Position();
        r->SaveToStream(DataStream);
        if (dynamic_cast<TSubListRecord*>(r.get()))
            others += DataStream.Get_Position() - at;
    }
    if (DataStream.Get_Position() - start - others != GetTotalSize())
        XlsError(ErrInternal);
}

void TBaseRecordList::CopyFrom(const TBaseRecordList* Source)
{
    if (!Source)
        return;
    // Copy first, then append: copying a list into itself takes only the original items.
    std::vector<std::unique_ptr<TBaseRecord>> copies;
    for (const auto& r : Source->FList)
        copies.push_back(r ? r->CopyTo() : nullptr);
    for (auto& c : copies)
        Add(std::move(c));
}

Int64 TBaseRecordList::ComputedTotalSize() const
{
    Int64 size = 0;
    for (const auto& r : FList)
        if (r)
            size += r->TotalSize();
    return size;
}

// ---- TBaseRowColRecordList ----------------------------------------------------------------------

Integer TBaseRowColRecordList::Add(std::unique_ptr<TBaseRecord> Rec)
{
    FSorted = false;
    return TBaseRecordList::Add(std::move(Rec));
}

void TBaseRowColRecordList::Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec)
{
    FSorted = false;
    TBaseRecordList::Insert(Index, std::move(Rec));
}

void TBaseRowColRecordList::Sort()
{
    // Null items go last. A row loaded from a file is nearly always in order already: a stable
    // sort would leave it as it is, so the check alone does.
    const auto before = [](const auto& a, const auto& b) {
        if (!a || !b)
            return a && !b;
        return static_cast<TBaseRowColRecord*>(a.get())->GetColumn() <
               static_cast<TBaseRowColRecord*>(b.get())->GetColumn();
    };
    if (!std::is_sorted(FList.begin(), FList.end(), before))
        std::stable_sort(FList.begin(), FList.end(), before);
    FSorted = true;
}

bool TBaseRowColRecordList::Find(Integer aCol, Integer& Index)
{
    if (!FSorted)
        Sort();
    Integer lo = 0, hi = Count() - 1;
    // Nulls sit at the end after sorting: search only the records.
    while (hi >= 0 && !FList[hi])
        --hi;
    bool found = false;
    while (lo <= hi) {
        Integer mid = (lo + hi) / 2;
        Integer c = Items(mid)->GetColumn();
        if (c < aCol) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == aCol) {
                found = true;
                lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

void TBaseRowColRecordList::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                                     Integer aColCount, const TSheetInfo& SheetInfo)
{
    if (FPacked)
        ArrangePacked(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i))
            Items(i)->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
}

void TBaseRowColRecordList::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i))
            Items(i)->ArrangeCopyRowsAndCols(RowOffset, ColOffset);
}

bool TBaseRowColRecordList::InRange(const TBaseRowColRecord* R, const TXlsCellRange& Range)
{
    return R->GetRow() >= Range.FirstRow && R->GetRow() <= Range.LastRow &&
           R->GetColumn() >= Range.FirstCol && R->GetColumn() <= Range.LastCol;
}

void TBaseRowColRecordList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i) && InRange(Items(i), CellRange))
            Items(i)->SaveToStream(DataStream);
}

Int64 TBaseRowColRecordList::TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc)
{
    Int64 size = 0;
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i) && InRange(Items(i), CellRange))
            size += Items(i)->FixTotalSize(NeedsRecalc);
    return size;
}

// ---- TCellRecordList ------------------------------------------------------------------------------

Int64 TCellRecordList::SaveAndCalcRange(TOle2File* DataStream, const TXlsCellRange& CellRange,
                                        bool NeedsRecalc)
{
    if (FPacked)
        return SavePacked(DataStream, CellRange);
    Int64 size = 0;
    if (Count() == 0 || !Items(0))
        return 0;
    Integer row = Items(0)->GetRow();
    if (row < CellRange.FirstRow || row > CellRange.LastRow)
        return 0;
    auto usable = [&](Integer i) {
        return i < Count() && Items(i) && Items(i)->GetColumn() >= CellRange.FirstCol &&
               Items(i)->GetColumn() <= CellRange.LastCol;
    };
    auto next = [&](Integer i) -> TCellRecord* { return i + 1 < Count() ? Items(i + 1) : nullptr; };
    Integer i = 0;
    while (i < Count()) {
        if (!usable(i)) {
            ++i;
            continue;
        }
        TCellRecord* cell = Items(i);
        if (!cell->CanJoinNext(next(i), CellRange.LastCol)) {
            if (DataStream)
                cell->SaveToStream(*DataStream);
            size += cell->FixTotalSize(NeedsRecalc);
            ++i;
            continue;
        }
        // A run: the first cell, the cells that still join their next, and the one that ends it.
        Integer last = i + 1;
        Int64 runSize = cell->TotalSizeFirst();
        while (Items(last)->CanJoinNext(next(last), CellRange.LastCol)) {
            runSize += Items(last)->TotalSizeMid();
            ++last;
        }
        runSize += Items(last)->TotalSizeLast();
        if (DataStream) {
            cell->SaveFirstMul(*DataStream, static_cast<Word>(runSize));
            for (Integer k = i + 1; k < last; ++k)
                Items(k)->SaveMidMul(*DataStream);
            Items(last)->SaveLastMul(*DataStream);
        }
        size += runSize;
        i = last + 1;
    }
    return size;
}

Int64 TCellRecordList::GetTotalSize() const
{
    return const_cast<TCellRecordList*>(this)->SaveAndCalcRange(nullptr, XlsWholeSheet, false);
}

void TCellRecordList::SaveToStream(TOle2File& DataStream)
{
    SaveAndCalcRange(&DataStream, XlsWholeSheet, false);
}

void TCellRecordList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    SaveAndCalcRange(&DataStream, CellRange, false);
}

Int64 TCellRecordList::TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc)
{
    return SaveAndCalcRange(nullptr, CellRange, NeedsRecalc);
}

// ---- TRowRecordList -----------------------------------------------------------------------------

Integer TRowRecordList::AddRecord(std::unique_ptr<TRowRecord> aRecord)
{
    Integer row = aRecord->GetRow();
    if (HasRow(row))
        XlsError(ErrDupRow);
    if (row == Count()) { // rows come in order in most files
        TBaseRecordList::Add(std::move(aRecord));
        return row;
    }
    if (Count() < row)
        FList.resize(static_cast<size_t>(row) + 1); // null items, which count for nothing
    SetItems(row, std::move(aRecord));
    return row;
}

TRowRecord* TRowRecordList::GetItems(Integer aRow) const
{
    if (!HasRow(aRow))
        XlsError(ErrRowMissing, {static_cast<Int64>(aRow)});
    return Items(aRow);
}

bool TRowRecordList::HasRow(Integer aRow) const
{
    return aRow >= 0 && aRow < Count() && Items(aRow) != nullptr;
}

void TRowRecordList::AddRow(Word aRow)
{
    if (!HasRow(aRow))
        AddRecord(std::make_unique<TRowRecord>(aRow));
}

Word TRowRecordList::RowHeight(Integer aRow) const
{
    return HasRow(aRow) ? Items(aRow)->GetHeight() : 0;
}

void TRowRecordList::SetRowHeight(Integer aRow, Word Height)
{
    AddRow(static_cast<Word>(aRow));
    Items(aRow)->SetHeight(Height);
    Items(aRow)->ManualHeight();
}

void TRowRecordList::AutoRowHeight(Integer aRow, bool Value)
{
    if (!HasRow(aRow))
        return;
    if (Value)
        Items(aRow)->AutoHeight();
    else
        Items(aRow)->ManualHeight();
}

bool TRowRecordList::IsAutoRowHeight(Integer aRow) const
{
    return !HasRow(aRow) || Items(aRow)->IsAutoHeight();
}

void TRowRecordList::CalcGuts(TGutsRecord* Guts) const
{
    Integer level = 0;
    for (Integer i = 0; i < Count(); ++i)
        if (Items(i))
            level = std::max<Integer>(level, Items(i)->GetOptions() & 7);
    Guts->SetRowLevel(level);
}

Int64 TRowRecordList::TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc)
{
    Int64 size = 0;
    Integer last = std::min<Integer>(CellRange.LastRow, Count() - 1);
    for (Integer r = std::max<Integer>(CellRange.FirstRow, 0); r <= last; ++r)
        if (Items(r))
            size += Items(r)->FixTotalSize(NeedsRecalc);
    return size;
}

void TRowRecordList::DeleteRows(Word aRow, Word aCount, const TSheetInfo& SheetInfo)
{
    Integer last = std::min<Integer>(aRow + aCount, Count()) - 1;
    for (Integer r = last; r >= aRow; --r)
        Delete(r);
    for (Integer r = aRow; r < Count(); ++r)
        if (Items(r))
            Items(r)->ArrangeInsertRowsAndCols(aRow, -static_cast<Integer>(aCount), 0, 0, SheetInfo);
}

void TRowRecordList::InsertAndCopyRows(Word FirstRow, Word LastRow, Word DestRow, Word aCount,
                                       const TSheetInfo& SheetInfo)
{
    if (LastRow < FirstRow)
        return;
    const Integer block = LastRow - FirstRow + 1;
    for (Integer r = DestRow; r < Count(); ++r)
        if (Items(r))
            Items(r)->ArrangeInsertRowsAndCols(DestRow, aCount * block, 0, 0, SheetInfo);
    Integer insertAt = DestRow;
    Integer inserted = 0;
    for (Integer k = 0; k < aCount; ++k) {
        for (Integer src = FirstRow; src <= LastRow; ++src) {
            Integer place = src + (FirstRow >= DestRow ? inserted : 0);
            std::unique_ptr<TBaseRecord> copy;
            if (place < Count() && Items(place)) {
                copy = Items(place)->CopyTo();
                static_cast<TRowRecord*>(copy.get())->SetRow(static_cast<Word>(insertAt));
            }
            while (Count() < insertAt)
                TBaseRecordList::Add(nullptr);
            TBaseRowColRecordList::Insert(insertAt, std::move(copy));
            ++insertAt;
            ++inserted;
        }
    }
}

// ---- TBoundSheetRecordList -------------------------------------------------------------------------

void TBoundSheetRecordList::SetSheetName(Integer Index, const WideString& Name)
{
    Items(Index)->SetSheetName(Name); // the record reports its new size to this list
}

TXlsSheetVisible TBoundSheetRecordList::GetSheetVisible(Integer Index) const
{
    switch (Items(Index)->GetOptionFlags() & 3) {
    case 1:
        return sv_Hidden;
    case 2:
        return sv_VeryHidden;
    default:
        return sv_Visible;
    }
}

void TBoundSheetRecordList::SetSheetVisible(Integer Index, TXlsSheetVisible Value)
{
    Word v = Value == sv_Hidden ? 1 : (Value == sv_VeryHidden ? 2 : 0);
    Items(Index)->SetOptionFlags(static_cast<Word>((Items(Index)->GetOptionFlags() & ~3) | v));
}
