#include "RudUvud/xlsadapter/XlsRowColEntries.h"

#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"

#include <algorithm>
#include <cstring>

// ---- TBaseRowColList ---------------------------------------------------------------------------

TBaseRowColList::TBaseRowColList(TRowListFactory aFactory) : FFactory(std::move(aFactory)) {}

TBaseRowColRecordList* TBaseRowColList::GetItems(Integer aRow) const
{
    TBaseRowColRecordList* row = StoredItems(aRow);
    if (row)
        row->Unpack();
    return row;
}

TBaseRowColRecordList* TBaseRowColList::RowList(Integer aRow)
{
    TBaseRowColRecordList* row = StoredRow(aRow, false);
    row->Unpack();
    return row;
}

TBaseRowColRecordList* TBaseRowColList::StoredRow(Integer aRow, bool Packed)
{
    if (aRow >= Count())
        FRows.resize(static_cast<size_t>(aRow) + 1);
    auto& slot = FRows[static_cast<size_t>(aRow)];
    if (!slot) {
        slot = FFactory();
        const TBaseRowColRecordList* above = aRow > 0 ? FRows[static_cast<size_t>(aRow) - 1].get() : nullptr;
        if (FColsHint > 0 || above)
            ReserveRow(*slot, Packed, above);
    }
    return slot.get();
}

void TBaseRowColList::ReserveRow(TBaseRowColRecordList& Row, bool Packed, const TBaseRowColRecordList* Above)
{
    Row.Reserve(FColsHint);
}

void TBaseRowColList::ReserveFor(const TDimensionsRec& Dim)
{
    const LongWord rows = std::min<LongWord>(Dim.LastRow, 65536);
    if (rows > FRows.size())
        FRows.reserve(rows);
    const Integer cols = Dim.LastCol > Dim.FirstCol ? Dim.LastCol - Dim.FirstCol : 0;
    FColsHint = std::min<Integer>(cols, 16);
}

void TBaseRowColList::SetItems(Integer aRow, std::unique_ptr<TBaseRowColRecordList> List)
{
    if (aRow >= Count())
        FRows.resize(static_cast<size_t>(aRow) + 1);
    FRows[static_cast<size_t>(aRow)] = std::move(List);
}

void TBaseRowColList::AddRecord(std::unique_ptr<TBaseRowColRecord> Rec, Integer aRow)
{
    RowList(aRow)->Add(std::move(Rec));
}

TBaseRowColRecord* TBaseRowColList::Find(Integer aRow, Integer aCol) const
{
    TBaseRowColRecordList* row = GetItems(aRow);
    Integer index;
    if (!row || !row->Find(aCol, index))
        return nullptr;
    return row->Items(index);
}

void TBaseRowColList::CopyFrom(const TBaseRowColList& Source)
{
    for (const auto& row : Source.FRows) {
        if (!row) {
            FRows.emplace_back();
            continue;
        }
        auto copy = FFactory();
        copy->CopyItemsFrom(*row);
        FRows.push_back(std::move(copy));
    }
}

bool TBaseRowColList::IsFormula(const TBaseRecord* Rec)
{
    return dynamic_cast<const TFormulaRecord*>(Rec) != nullptr;
}

void TBaseRowColList::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                               Integer aColCount, const TSheetInfo& SheetInfo)
{
    for (auto& row : FRows)
        if (row)
            row->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
}

void TBaseRowColList::DeleteRows(Word aRow, Word aCount, const TSheetInfo& SheetInfo)
{
    if (aRow < Count()) {
        const size_t first = aRow;
        const size_t last = std::min<size_t>(FRows.size(), first + aCount);
        FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(first),
                    FRows.begin() + static_cast<std::ptrdiff_t>(last));
    }
    ArrangeInsertRowsAndCols(aRow, -static_cast<Integer>(aCount), 0, 0, SheetInfo);
}

void TBaseRowColList::DeleteCols(Word aCol, Word aCount, const TSheetInfo& SheetInfo)
{
    for (auto& row : FRows) {
        if (!row)
            continue;
        row->Unpack();
        Integer index;
        row->Find(aCol, index);
        while (index < row->Count() && row->Items(index) && row->Items(index)->GetColumn() < aCol + aCount)
            row->Delete(index);
    }
    ArrangeInsertRowsAndCols(0, 0, aCol, -static_cast<Integer>(aCount), SheetInfo);
}

void TBaseRowColList::InsertAndCopyRows(Word FirstRow, Word LastRow, Word DestRow, Word aCount,
                                        const TSheetInfo& SheetInfo, bool OnlyFormulas)
{
    if (LastRow < FirstRow)
        return;
    const Integer block = LastRow - FirstRow + 1;
    ArrangeInsertRowsAndCols(DestRow, aCount * block, 0, 0, SheetInfo);
    Integer position = DestRow;
    Integer shift = 0;
    for (Integer k = 0; k < aCount; ++k)
        for (Integer r = FirstRow; r <= LastRow; ++r) {
            auto list = FFactory();
            if (TBaseRowColRecordList* source = GetItems(r + shift)) {
                for (Integer i = 0; i < source->Count(); ++i) {
                    TBaseRowColRecord* rec = source->Items(i);
                    if (rec && (!OnlyFormulas || IsFormula(rec)))
                        list->Add(rec->CopyTo());
                }
                for (Integer i = 0; i < list->Count(); ++i)
                    if (TBaseRowColRecord* rec = list->Items(i))
                        rec->ArrangeCopyRowsAndCols(position - rec->GetRow(), 0);
            }
            if (Count() < position)
                FRows.resize(static_cast<size_t>(position));
            FRows.insert(FRows.begin() + position, std::move(list));
            ++position;
            if (FirstRow >= DestRow)
                ++shift;
        }
}

void TBaseRowColList::InsertAndCopyCols(Word FirstCol, Word LastCol, Word DestCol, Word aCount,
                                        const TSheetInfo& SheetInfo, bool OnlyFormulas)
{
    if (LastCol < FirstCol)
        return;
    const Integer block = LastCol - FirstCol + 1;
    ArrangeInsertRowsAndCols(0, 0, DestCol, aCount * block, SheetInfo);
    const Integer sourceOffset = FirstCol < DestCol ? 0 : aCount * block;
    Integer target = DestCol;
    for (Integer k = 0; k < aCount; ++k)
        for (Integer c = FirstCol; c <= LastCol; ++c, ++target)
            for (auto& row : FRows) {
                if (!row)
                    continue;
                row->Unpack();
                Integer index;
                if (!row->Find(c + sourceOffset, index))
                    continue;
                TBaseRowColRecord* rec = row->Items(index);
                if (OnlyFormulas && !IsFormula(rec))
                    continue;
                std::unique_ptr<TBaseRecord> copy = rec->CopyTo();
                auto* cell = static_cast<TBaseRowColRecord*>(copy.get());
                cell->ArrangeCopyRowsAndCols(0, target - cell->GetColumn());
                row->Find(target, index);
                row->Insert(index, std::move(copy));
            }
}

void TBaseRowColList::SaveToStream(TOle2File& DataStream)
{
    for (auto& row : FRows)
        if (row)
            row->SaveToStream(DataStream);
}

void TBaseRowColList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    const Integer last = std::min(CellRange.LastRow, Count() - 1);
    for (Integer r = std::max(CellRange.FirstRow, 0); r <= last; ++r)
        if (FRows[static_cast<size_t>(r)])
            FRows[static_cast<size_t>(r)]->SaveRangeToStream(DataStream, CellRange);
}

Int64 TBaseRowColList::TotalSize() const
{
    Int64 size = 0;
    for (const auto& row : FRows)
        if (row)
            size += row->GetTotalSize();
    return size;
}

Int64 TBaseRowColList::TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc) const
{
    Int64 size = 0;
    const Integer last = std::min(CellRange.LastRow, Count() - 1);
    for (Integer r = std::max(CellRange.FirstRow, 0); r <= last; ++r)
        if (FRows[static_cast<size_t>(r)])
            size += FRows[static_cast<size_t>(r)]->TotalRangeSize(CellRange, NeedsRecalc);
    return size;
}

// ---- TCellList ---------------------------------------------------------------------------------

TCellList::TCellList() : TBaseRowColList([] { return std::make_unique<TCellRecordList>(); }) {}

void TCellList::ReserveRow(TBaseRowColRecordList& Row, bool Packed, const TBaseRowColRecordList* Above)
{
    // Rows of a large sheet are mostly alike: a row gets the room the row above took, so that
    // its cells go in without growing it (and what is reserved is what the row above really holds).
    Integer hint = FColsHint;
    if (Above)
        hint = std::max(hint, std::min<Integer>(static_cast<const TCellRecordList*>(Above)->CellCount(),
                                                XlsWholeSheet.LastCol + 1));
    if (Packed)
        static_cast<TCellRecordList&>(Row).ReservePacked(hint);
    else
        Row.Reserve(hint);
}

void TCellList::InsertAndCopyCols(Word FirstCol, Word LastCol, Word DestCol, Word aCount,
                                  const TSheetInfo& SheetInfo, bool OnlyFormulas)
{
    TBaseRowColList::InsertAndCopyCols(FirstCol, LastCol, DestCol, aCount, SheetInfo, OnlyFormulas);
    if (ColInfo && aCount > 0 && LastCol >= FirstCol) {
        const Integer offset = FirstCol < DestCol ? 0 : aCount * (LastCol - FirstCol + 1);
        ColInfo->CopyCols(FirstCol + offset, LastCol + offset, SheetInfo, aCount, DestCol);
    }
}

void TCellList::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                         Integer aColCount, const TSheetInfo& SheetInfo)
{
    TBaseRowColList::ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
    if (ColInfo && aColCount > 0)
        ColInfo->ArrangeInsertCols(aColPos, aColCount, SheetInfo);
}

void TCellList::FixFormulaTokens(TFormulaRecord* Formula, TShrFmlaRecordList* ShrFmlas)
{
    LongWord key;
    Integer index;
    if (!ShrFmlas || !Formula->IsExp(key) || !ShrFmlas->Find(key, index))
        return;
    const TShrFmlaRecord* shared = ShrFmlas->Items(index);
    Formula->MixShared(shared->Data(), shared->DataSize());
}

void TCellList::FixFormulas(TShrFmlaRecordList* ShrFmlas)
{
    for (auto& row : FRows) {
        if (!row)
            continue;
        for (Integer i = 0; i < row->Count(); ++i) {
            TBaseRecord* rec = row->Items(i);
            if (IsPlainValueCellId(rec->Id()))
                continue;
            if (auto* f = dynamic_cast<TFormulaRecord*>(rec)) {
                const Int64 before = f->TotalSize();
                FixFormulaTokens(f, ShrFmlas);
                row->AdaptSize(f->TotalSize() - before);
            }
        }
    }
}

void TCellList::ArrangeInsertSheet(const TSheetInfo& SheetInfo)
{
    for (auto& row : FRows) {
        if (!row)
            continue;
        for (Integer i = 0; i < row->Count(); ++i)
            if (auto* f = dynamic_cast<TFormulaRecord*>(row->Items(i))) {
                try {
                    UXlsTokenArray_ArrangeInsertSheets(f->Data(), 22, 22 + f->TokenSize(), SheetInfo);
                } catch (const ETokenException& e) {
                    XlsError(zivXlsMessages::ErrBadFormula,
                             {Int64(f->GetRow() + 1), Int64(f->GetColumn() + 1), Int64(e.TokenId)});
                }
            }
    }
}

bool TCellList::ClearStaleResults(const std::function<bool(const TFormulaRecord&)>& Stale)
{
    bool any = false;
    for (auto& row : FRows) {
        if (!row)
            continue;
        for (Integer i = 0; i < row->Count(); ++i) {
            TBaseRecord* rec = row->Items(i);
            if (IsPlainValueCellId(rec->Id()))
                continue;
            if (auto* f = dynamic_cast<TFormulaRecord*>(rec); f && Stale(*f)) {
                f->ClearResult();
                any = true;
            }
        }
    }
    return any;
}

Int64 TCellList::FixTotalSize(bool NeedsRecalc)
{
    return TotalRangeSize(XlsWholeSheet, NeedsRecalc);
}

// ---- TCells ------------------------------------------------------------------------------------

TCells::TCells(TColInfoList* ColInfo)
{
    FCellList.ColInfo = ColInfo;
}

void TCells::Clear()
{
    FRowList.Clear();
    FCellList.Clear();
}

void TCells::CopyFrom(const TCells& Source)
{
    FRowList.CopyFrom(&Source.FRowList);
    FCellList.CopyFrom(Source.FCellList);
}

void TCells::AddCell(std::unique_ptr<TCellRecord> Cell, Integer aRow)
{
    if (Cell->GetColumn() > XlsWholeSheet.LastCol)
        return;
    TCellRecordList* row = FCellList.PackingRow(aRow);
    if (!row->TryPack(*Cell))
        row->Add(std::move(Cell));
}

void TCells::AddPlainCell(Word aId, const Byte* Data, TSST* SST)
{
    if (GetWord(Data, 2) > XlsWholeSheet.LastCol)
        return; // before its shared string is looked at, let alone referenced
    FCellList.PackingRow(GetWord(Data, 0))->AddPlain(aId, Data, SST);
}

void TCells::AddMultipleCells(TMultipleValueRecord& Rec)
{
    if (Rec.Id() == xlr_MULRK || Rec.Id() == xlr_MULBLANK) {
        AddRun(Rec.Id(), Rec.Data(), Rec.DataSize());
        return;
    }
    while (!Rec.Eof()) {
        std::unique_ptr<TCellRecord> cell = Rec.ExtractOneRecord();
        const Integer row = cell->GetRow();
        AddCell(std::move(cell), row);
    }
}

void TCells::AddRun(Word aId, const Byte* Data, Word Size)
{
    // The cells go in as the single RK or BLANK records the run stands for, without a record
    // object made for each. The last column at the end of the run is not read: the run's length
    // says where it ends.
    if (Size < 6)
        XlsError(zivXlsMessages::ErrWrongExcelRecord, {static_cast<Int64>(aId)});
    const bool rk = aId == xlr_MULRK;
    const Word row = GetWord(Data, 0), first = GetWord(Data, 2);
    if (first > XlsWholeSheet.LastCol)
        return; // not even an empty row list, which would be saved with a ROW record of its own
    TCellRecordList* list = FCellList.PackingRow(row);
    const Integer each = rk ? 6 : 2;
    const Integer count =
        std::min<Integer>((Size - 4 - 1) / each, XlsWholeSheet.LastCol + 1 - static_cast<Integer>(first));
    if (list->AddPackedRun(row, rk ? xlr_RK : xlr_BLANK, first, Data + 4, count))
        return;
    Byte body[10];
    SetWord(body, 0, row);
    // The column is counted wide: a run that starts near the top of the column word must not wrap
    // round into the sheet's first columns.
    for (Integer pos = 0; each * pos + 4 + each < Size && first + pos <= XlsWholeSheet.LastCol; ++pos) {
        SetWord(body, 2, static_cast<Word>(first + pos));
        std::memcpy(body + 4, Data + 4 + each * pos, static_cast<size_t>(each));
        list->AddPlain(rk ? xlr_RK : xlr_BLANK, body, nullptr);
    }
}

void TCells::AddRow(std::unique_ptr<TRowRecord> Rec)
{
    FRowList.AddRecord(std::move(Rec));
}

void TCells::DeleteRows(Word aRow, Word aCount, const TSheetInfo& SheetInfo)
{
    FRowList.DeleteRows(aRow, aCount, SheetInfo);
    FCellList.DeleteRows(aRow, aCount, SheetInfo);
}

void TCells::DeleteCols(Word aCol, Word aCount, const TSheetInfo& SheetInfo)
{
    FCellList.DeleteCols(aCol, aCount, SheetInfo);
    ArrangeCols();
}

void TCells::InsertAndCopyRows(Word FirstRow, Word LastRow, Word DestRow, Word aCount,
                               const TSheetInfo& SheetInfo, bool OnlyFormulas)
{
    FRowList.InsertAndCopyRows(FirstRow, LastRow, DestRow, aCount, SheetInfo);
    FCellList.InsertAndCopyRows(FirstRow, LastRow, DestRow, aCount, SheetInfo, OnlyFormulas);
}

void TCells::InsertAndCopyCols(Word FirstCol, Word LastCol, Word DestCol, Word aCount,
                               const TSheetInfo& SheetInfo, bool OnlyFormulas)
{
    FCellList.InsertAndCopyCols(FirstCol, LastCol, DestCol, aCount, SheetInfo, OnlyFormulas);
    ArrangeCols();
}

void TCells::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                      const TSheetInfo& SheetInfo)
{
    FRowList.ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
    FCellList.ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
}

void TCells::ArrangeCols()
{
    for (Integer r = 0; r < FRowList.Count(); ++r) {
        TRowRecord* row = FRowList.Items(r);
        if (!row)
            continue;
        TCellRecordList* cells = FCellList.StoredCells(r);
        Integer first, last;
        if (!cells || !cells->ColumnSpan(first, last)) {
            row->SetMinCol(0);
            row->SetMaxCol(0);
        } else {
            row->SetMinCol(static_cast<Word>(first));
            row->SetMaxCol(static_cast<Word>(last + 1));
        }
    }
}

void TCells::FixRows()
{
    // Every row with cells gets a ROW record, wherever it lies, with its columns taken from its
    // cells: a default record with columns 0 and 0 would hide the row's cells from the used range.
    bool added = false;
    for (Integer r = 0; r < FCellList.Count(); ++r) {
        TCellRecordList* cells = FCellList.StoredCells(r);
        const bool lastRow = r == FCellList.Count() - 1;
        if ((lastRow || (cells && cells->CellCount() > 0)) && !FRowList.HasRow(r)) {
            FRowList.AddRow(static_cast<Word>(r));
            added = true;
        }
    }
    if (added)
        ArrangeCols();
}

void TCells::CalcUsedRange(TXlsCellRange& Range) const
{
    Integer first = FRowList.Count();
    for (Integer r = 0; r < FRowList.Count(); ++r)
        if (FRowList.Items(r)) {
            first = r;
            break;
        }
    Integer lastCol = 0;
    for (Integer r = first; r < FRowList.Count(); ++r)
        if (FRowList.Items(r))
            lastCol = std::max<Integer>(lastCol, FRowList.Items(r)->GetMaxCol());
    // A ROW record read from a file may claim columns past the last one; its writer clamps them.
    lastCol = std::min<Integer>(lastCol, 256);
    Range.FirstRow = first;
    Range.LastRow = FRowList.Count() - 1;
    Range.FirstCol = 0;
    Range.LastCol = lastCol > 0 ? lastCol - 1 : lastCol;
}

void TCells::WriteDimensions(TOle2File& DataStream, const TXlsCellRange& Range) const
{
    DataStream.WriteHeader(0x0200, 14);
    DataStream.Write32(static_cast<LongWord>(std::max(Range.FirstRow, 0)));
    DataStream.Write32(static_cast<LongWord>(std::max(Range.LastRow + 1, 0)));
    DataStream.Write16(static_cast<Word>(Range.FirstCol));
    DataStream.Write16(static_cast<Word>(Range.LastCol + 1));
    DataStream.Write16(0);
}

void TCells::SaveRows(TOle2File& DataStream, const TXlsCellRange& Dim, const TXlsCellRange& Rows)
{
    WriteDimensions(DataStream, Dim);
    const Integer last = std::min(Rows.LastRow, std::max(FRowList.Count(), FCellList.Count()) - 1);
    for (Integer start = std::max(Rows.FirstRow, 0); start <= last; start += 32) {
        const Integer end = std::min(start + 31, last);
        for (Integer r = start; r <= end; ++r)
            if (FRowList.HasRow(r))
                FRowList.Items(r)->SaveRangeToStream(DataStream, Rows.FirstCol, Rows.LastCol);
        for (Integer r = start; r <= end; ++r)
            if (TCellRecordList* cells = FCellList.StoredCells(r))
                cells->SaveRangeToStream(DataStream, Rows);
    }
}

void TCells::SaveToStream(TOle2File& DataStream)
{
    TXlsCellRange used;
    CalcUsedRange(used);
    SaveRows(DataStream, used, XlsWholeSheet);
}

void TCells::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    SaveRows(DataStream, CellRange, CellRange);
}

Int64 TCells::TotalSize() const
{
    return FRowList.GetTotalSize() + DimensionsSize() + FCellList.TotalSize();
}

Int64 TCells::FixTotalSize(bool NeedsRecalc)
{
    return FRowList.GetTotalSize() + DimensionsSize() + FCellList.FixTotalSize(NeedsRecalc);
}

Int64 TCells::TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc)
{
    return FRowList.TotalRangeSize(CellRange, NeedsRecalc) + DimensionsSize() +
           FCellList.TotalRangeSize(CellRange, NeedsRecalc);
}
