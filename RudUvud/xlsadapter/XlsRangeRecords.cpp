#include "RudUvud/xlsadapter/XlsRangeRecords.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {
Word Clamp(Integer V, Integer Min, Integer Max)
{
    return static_cast<Word>(std::max(Min, std::min(V, Max)));
}
} // namespace

// ---- TRangeValuesList --------------------------------------------------------------------------

void TRangeValuesList::Load(const TBaseRecord& Rec, Integer Pos)
{
    const TBaseRecord* r = &Rec;
    Byte b[8];
    ReadMem(r, Pos, 2, b);
    const Integer n = GetWord(b, 0);
    for (Integer i = 0; i < n; ++i) {
        ReadMem(r, Pos, 8, b);
        Items.push_back({GetWord(b, 0), GetWord(b, 2), GetWord(b, 4), GetWord(b, 6)});
    }
}

bool TRangeValuesList::Inside(const TExcelRange& R, const TXlsCellRange& C)
{
    return R.R1 >= C.FirstRow && R.R2 <= C.LastRow && R.C1 >= C.FirstCol && R.C2 <= C.LastCol;
}

Integer TRangeValuesList::CountRangeRecords(const TXlsCellRange& CellRange) const
{
    return static_cast<Integer>(std::count_if(Items.begin(), Items.end(),
                                              [&](const TExcelRange& R) { return Inside(R, CellRange); }));
}

void TRangeValuesList::SaveToStreamR(TOle2File& DataStream, Integer K, const TXlsCellRange* CellRange) const
{
    const Integer total = CellRange ? CountRangeRecords(*CellRange) : Count();
    const Integer n = RangesInRecord(total, K);
    DataStream.Write16(static_cast<Word>(n));
    Integer skip = RangesPerRecord * K, written = 0;
    for (const TExcelRange& r : Items) {
        if (written == n)
            break;
        if (CellRange && !Inside(r, *CellRange))
            continue;
        if (skip > 0) {
            --skip;
            continue;
        }
        DataStream.Write16(r.R1);
        DataStream.Write16(r.R2);
        DataStream.Write16(r.C1);
        DataStream.Write16(r.C2);
        ++written;
    }
}

void TRangeValuesList::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                                Integer aColCount)
{
    for (TExcelRange& r : Items) {
        if (r.R1 >= aRowPos)
            r.R1 = Clamp(r.R1 + aRowCount, aRowPos, 65535);
        if (r.R2 >= aRowPos)
            r.R2 = Clamp(r.R2 + aRowCount, r.R1, 65535);
        if (r.C1 >= aColPos)
            r.C1 = Clamp(r.C1 + aColCount, aColPos, 255);
        if (r.C2 >= aColPos)
            r.C2 = Clamp(r.C2 + aColCount, r.C1, 255);
    }
}

void TRangeValuesList::DeleteRows(Integer First, Integer aCount, bool Columns, bool KeepSingleCells)
{
    const Integer end = First + aCount;
    std::erase_if(Items, [&](const TExcelRange& r) {
        const Integer s = Columns ? r.C1 : r.R1, e = Columns ? r.C2 : r.R2;
        const bool narrow = Columns ? r.R1 == r.R2 : r.C1 == r.C2;
        if (s >= First && e < end)
            return true;
        return !KeepSingleCells && s >= First && e == end && narrow;
    });
}

void TRangeValuesList::CopyRowsExclusive(Integer First, Integer Last, Integer Dest, Integer aCount,
                                         bool Columns)
{
    const Integer h = Last - First + 1;
    Integer f = First, g = Last;
    if (First >= Dest) {
        f += aCount * h;
        g += aCount * h;
    }
    const Integer max = Columns ? 255 : 65535;
    const size_t before = Items.size();
    for (size_t i = 0; i < before; ++i) {
        const TExcelRange src = Items[i];
        const Integer s = Columns ? src.C1 : src.R1, e = Columns ? src.C2 : src.R2;
        if (s < f || e > g)
            continue;
        for (Integer k = 0; k < aCount; ++k) {
            const Integer ns = Dest + k * h + (s - f), ne = ns + (e - s);
            if (ns < 0 || ne > max)
                XlsError(ErrTooManyEntries, {Int64(ne), Int64(max)});
            TExcelRange copy = src;
            (Columns ? copy.C1 : copy.R1) = static_cast<Word>(ns);
            (Columns ? copy.C2 : copy.R2) = static_cast<Word>(ne);
            Items.push_back(copy);
        }
    }
}

void TRangeValuesList::AddNewRange(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    if (FirstRow < 0 || LastRow < FirstRow || LastRow > 65535 || FirstCol < 0 || LastCol < FirstCol ||
        LastCol > 255 || (FirstRow == LastRow && FirstCol == LastCol))
        return;
    Items.push_back({static_cast<Word>(FirstRow), static_cast<Word>(LastRow), static_cast<Word>(FirstCol),
                     static_cast<Word>(LastCol)});
}

void TRangeValuesList::PreAddNewRange(Integer& FirstRow, Integer& FirstCol, Integer& LastRow,
                                      Integer& LastCol)
{
    if (FirstRow < 0 || LastRow < FirstRow || LastRow > 65535 || FirstCol < 0 || LastCol < FirstCol ||
        LastCol > 255 || (FirstRow == LastRow && FirstCol == LastCol))
        return;
    for (Integer i = Count() - 1; i >= 0; --i) {
        const TExcelRange r = Items[static_cast<size_t>(i)];
        if (r.R1 > LastRow || r.R2 < FirstRow || r.C1 > LastCol || r.C2 < FirstCol)
            continue;
        FirstRow = std::min<Integer>(FirstRow, r.R1);
        LastRow = std::max<Integer>(LastRow, r.R2);
        FirstCol = std::min<Integer>(FirstCol, r.C1);
        LastCol = std::max<Integer>(LastCol, r.C2);
        Items.erase(Items.begin() + i);
    }
}

// ---- TRangeEntry -------------------------------------------------------------------------------

void TRangeEntry::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                           Integer aColCount, const TSheetInfo& SheetInfo)
{
    FRangeValuesList.ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount);
}

void TRangeEntry::InsertAndCopyRowsOrCols(Integer First, Integer Last, Integer Dest, Integer aCount,
                                          const TSheetInfo& SheetInfo, bool Columns)
{
    const Integer n = aCount * (Last - First + 1);
    if (Columns)
        ArrangeInsertRowsAndCols(0, 0, Dest, n, SheetInfo);
    else
        ArrangeInsertRowsAndCols(Dest, n, 0, 0, SheetInfo);
    FRangeValuesList.CopyRowsExclusive(First, Last, Dest, aCount, Columns);
}

void TRangeEntry::DeleteRowsOrCols(Integer First, Integer aCount, const TSheetInfo& SheetInfo, bool Columns)
{
    FRangeValuesList.DeleteRows(First, aCount, Columns, true);
    if (Columns)
        ArrangeInsertRowsAndCols(0, 0, First, -aCount, SheetInfo);
    else
        ArrangeInsertRowsAndCols(First, -aCount, 0, 0, SheetInfo);
}

// ---- TMergedCells ------------------------------------------------------------------------------

void TMergedCells::LoadFromRecord(const TBaseRecord& Rec)
{
    Clear();
    FRangeValuesList.Load(Rec, 0);
}

void TMergedCells::MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    FRangeValuesList.AddNewRange(FirstRow, FirstCol, LastRow, LastCol);
}

void TMergedCells::PreMerge(Integer& FirstRow, Integer& FirstCol, Integer& LastRow, Integer& LastCol)
{
    FRangeValuesList.PreAddNewRange(FirstRow, FirstCol, LastRow, LastCol);
}

void TMergedCells::UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    const TExcelRange area{static_cast<Word>(FirstRow), static_cast<Word>(LastRow),
                           static_cast<Word>(FirstCol), static_cast<Word>(LastCol)};
    std::erase(FRangeValuesList.Items, area);
}

bool TMergedCells::CheckCell(Integer aRow, Integer aCol, TXlsCellRange& CellBounds) const
{
    for (Integer i = 0; i < MergedCount(); ++i) {
        const TExcelRange& r = FRangeValuesList.Items[static_cast<size_t>(i)];
        if (aRow >= r.R1 && aRow <= r.R2 && aCol >= r.C1 && aCol <= r.C2) {
            CellBounds = MergedCell(i);
            return true;
        }
    }
    return false;
}

TXlsCellRange TMergedCells::MergedCell(Integer Index) const
{
    const TExcelRange& r = FRangeValuesList.Items.at(static_cast<size_t>(Index));
    return {r.C1, r.R1, r.C2, r.R2};
}

std::unique_ptr<TRangeEntry> TMergedCells::DoCopyTo() const
{
    auto copy = std::make_unique<TMergedCells>();
    copy->FRangeValuesList.Items = FRangeValuesList.Items;
    return copy;
}

void TMergedCells::SaveToStream(TOle2File& DataStream)
{
    const Integer n = MergedCount();
    if (n == 0)
        return;
    for (Integer k = 0; k < FRangeValuesList.RepeatCountR(n); ++k) {
        DataStream.WriteHeader(xlr_MERGEDCELLS, static_cast<Word>(FRangeValuesList.RecordSizeR(n, k)));
        FRangeValuesList.SaveToStreamR(DataStream, k);
    }
}

void TMergedCells::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    const Integer n = FRangeValuesList.CountRangeRecords(CellRange);
    if (n == 0)
        return;
    for (Integer k = 0; k < FRangeValuesList.RepeatCountR(n); ++k) {
        DataStream.WriteHeader(xlr_MERGEDCELLS, static_cast<Word>(FRangeValuesList.RecordSizeR(n, k)));
        FRangeValuesList.SaveToStreamR(DataStream, k, &CellRange);
    }
}

Int64 TMergedCells::TotalSize() const
{
    return MergedCount() == 0 ? 0 : FRangeValuesList.TotalSizeR(MergedCount());
}

Int64 TMergedCells::TotalRangeSize(const TXlsCellRange& CellRange) const
{
    const Integer n = FRangeValuesList.CountRangeRecords(CellRange);
    return n == 0 ? 0 : FRangeValuesList.TotalSizeR(n);
}

void TMergedCells::DeleteRowsOrCols(Integer First, Integer aCount, const TSheetInfo& SheetInfo, bool Columns)
{
    FRangeValuesList.DeleteRows(First, aCount, Columns, false);
    if (Columns)
        ArrangeInsertRowsAndCols(0, 0, First, -aCount, SheetInfo);
    else
        ArrangeInsertRowsAndCols(First, -aCount, 0, 0, SheetInfo);
    // A merge cut down to one cell is no merge at all.
    std::erase_if(FRangeValuesList.Items, [](const TExcelRange& r) { return r.R1 == r.R2 && r.C1 == r.C2; });
}

// ---- TRangeList --------------------------------------------------------------------------------

void TRangeList::CopyFrom(const TRangeList& Source)
{
    for (const auto& e : Source.Items)
        Items.push_back(e->DoCopyTo());
}

void TRangeList::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                          Integer aColCount, const TSheetInfo& SheetInfo)
{
    for (auto& e : Items)
        e->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
}

void TRangeList::DeleteRowsOrCols(Integer First, Integer aCount, const TSheetInfo& SheetInfo, bool Columns)
{
    for (auto& e : Items)
        e->DeleteRowsOrCols(First, aCount, SheetInfo, Columns);
}

void TRangeList::InsertAndCopyRowsOrCols(Integer First, Integer Last, Integer Dest, Integer aCount,
                                         const TSheetInfo& SheetInfo, bool Columns)
{
    for (auto& e : Items)
        e->InsertAndCopyRowsOrCols(First, Last, Dest, aCount, SheetInfo, Columns);
}

void TRangeList::SaveToStream(TOle2File& DataStream)
{
    for (auto& e : Items)
        e->SaveToStream(DataStream);
}

void TRangeList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    for (auto& e : Items)
        e->SaveRangeToStream(DataStream, CellRange);
}

Int64 TRangeList::TotalSize() const
{
    Int64 size = 0;
    for (const auto& e : Items)
        size += e->TotalSize();
    return size;
}

Int64 TRangeList::TotalRangeSize(const TXlsCellRange& CellRange) const
{
    Int64 size = 0;
    for (const auto& e : Items)
        size += e->TotalRangeSize(CellRange);
    return size;
}
