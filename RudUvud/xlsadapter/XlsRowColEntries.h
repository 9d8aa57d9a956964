#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"
#include "RudUvud/xlsadapter/XlsColInfo.h"

#include <functional>
#include <memory>
#include <vector>

// A worksheet's cell table: rows by number, and in each row its records by column.
//
// Layout. Item r of a TBaseRowColList is the record list of row r (null when the row was never
// given a record; rows past the last used one have no item at all). A row list holds at most one
// record per column and finds a column by binary search; appending during a load costs nothing
// and the row sorts itself on its first search. A cell is therefore found with one index and one
// binary search, and loading a sheet costs no per-cell search. The plain value cells a file
// brings stay packed in their row (8 bytes a cell) until a caller needs the row's
// records: GetItems, RowList, Find and FindCell hand out unpacked rows; StoredItems and
// StoredCells hand rows out as kept, for the members that read, size and write packed cells.
//
// Editing. Rows and columns are inserted, deleted and copied as whole structures: every record
// moves with ArrangeInsertRowsAndCols (formulas move their references too), copies are deep.
// Row and column numbers run 0..65535 and 0..255; callers check them before calling.
//
// Writing. TCells writes DIMENSIONS, then the rows in blocks of 32: the block's ROW records,
// then the block's cells with neighbouring RK and BLANK cells joined into MULRK and MULBLANK. The
// sizes agree byte for byte with what is written, so offsets can be placed before writing.

class TShrFmlaRecordList;
class TFormulaRecord;

class TBaseRowColList : public TObject {
public:
    using TRowListFactory = std::function<std::unique_ptr<TBaseRowColRecordList>()>;
    explicit TBaseRowColList(TRowListFactory aFactory);

    // Number of row items (one past the last row that has, or had, a row list).
    Integer Count() const { return static_cast<Integer>(FRows.size()); }
    // The row list of a row, or null when the row has none; unpacked.
    TBaseRowColRecordList* GetItems(Integer aRow) const;
    // The row list of a row, created (with the rows before it) when missing; unpacked.
    TBaseRowColRecordList* RowList(Integer aRow);
    // The row list as it is kept, packed items and all: only for code that handles those.
    TBaseRowColRecordList* StoredItems(Integer aRow) const
    {
        return aRow >= 0 && aRow < Count() ? FRows[static_cast<size_t>(aRow)].get() : nullptr;
    }
    void SetItems(Integer aRow, std::unique_ptr<TBaseRowColRecordList> List);
    // Sizes the table for the used range a file states, before its records are added: room for
    // its rows, and row lists made with room for its columns (at most 16, so that a wide but
    // sparse range cannot make every row large). Only capacity changes; a range that is wrong
    // costs nothing but spare room.
    void ReserveFor(const TDimensionsRec& Dim);
    void Clear() { FRows.clear(); }
    // Drops the row items from aCount on, with their records; nothing else moves.
    void TrimTo(Integer aCount)
    {
        if (aCount >= 0 && aCount < Count())
            FRows.resize(static_cast<size_t>(aCount));
    }

    // Appends Rec to its row's list (unsorted until the row is next searched).
    void AddRecord(std::unique_ptr<TBaseRowColRecord> Rec, Integer aRow);
    // The record at (row, column), or null.
    TBaseRowColRecord* Find(Integer aRow, Integer aCol) const;
    // Appends deep copies of Source's rows and records.
    void CopyFrom(const TBaseRowColList& Source);

    void DeleteRows(Word aRow, Word aCount, const TSheetInfo& SheetInfo);
    void DeleteCols(Word aCol, Word aCount, const TSheetInfo& SheetInfo);
    // Inserts aCount copies of rows FirstRow..LastRow at DestRow, moving what is at or below
    // DestRow down. With OnlyFormulas only the formula cells are copied.
    void InsertAndCopyRows(Word FirstRow, Word LastRow, Word DestRow, Word aCount,
                           const TSheetInfo& SheetInfo, bool OnlyFormulas);
    virtual void InsertAndCopyCols(Word FirstCol, Word LastCol, Word DestCol, Word aCount,
                                   const TSheetInfo& SheetInfo, bool OnlyFormulas);
    // Shifts for an insertion (counts above 0) or deletion (below 0); every row list, row 0 first.
    virtual void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                          Integer aColCount, const TSheetInfo& SheetInfo);

    void SaveToStream(TOle2File& DataStream);
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange);
    Int64 TotalSize() const;
    Int64 TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc) const;

protected:
    std::vector<std::unique_ptr<TBaseRowColRecordList>,
                TLargeAllocator<std::unique_ptr<TBaseRowColRecordList>>>
        FRows;
    TRowListFactory FFactory;
    Integer FColsHint = 0; // room a new row list is made with
    static bool IsFormula(const TBaseRecord* Rec);
    // The row list as kept, created when missing with room for FColsHint items (packed ones when
    // Packed), or for as many as the row above holds.
    TBaseRowColRecordList* StoredRow(Integer aRow, bool Packed);
    virtual void ReserveRow(TBaseRowColRecordList& Row, bool Packed, const TBaseRowColRecordList* Above);
};

// The cell lists of a sheet: each row a TCellRecordList.
class TCellList : public TBaseRowColList {
public:
    TCellList();
    // The sheet's column information (not owned): it shifts with inserted columns and copied
    // columns take their widths and formats along. Deleting columns leaves it in place.
    TColInfoList* ColInfo = nullptr;
    void InsertAndCopyCols(Word FirstCol, Word LastCol, Word DestCol, Word aCount,
                           const TSheetInfo& SheetInfo, bool OnlyFormulas) override;
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo) override;
    TCellRecordList* GetCells(Integer aRow) const { return static_cast<TCellRecordList*>(GetItems(aRow)); }
    // A row's cells as kept, packed or not (null when the row has no list): for the members of
    // TCellRecordList that handle both.
    TCellRecordList* StoredCells(Integer aRow) const
    {
        return static_cast<TCellRecordList*>(StoredItems(aRow));
    }
    // The row's list for adding cells that may stay packed, created when missing.
    TCellRecordList* PackingRow(Integer aRow)
    {
        // Most cells of a file go to a row that is already there.
        if (aRow >= 0 && aRow < Count())
            if (TBaseRowColRecordList* row = FRows[static_cast<size_t>(aRow)].get())
                return static_cast<TCellRecordList*>(row);
        return static_cast<TCellRecordList*>(StoredRow(aRow, true));
    }
    // Cells of the row, packed or not.
    Integer CellCount(Integer aRow) const
    {
        const TCellRecordList* row = StoredCells(aRow);
        return row ? row->CellCount() : 0;
    }
    TCellRecord* FindCell(Integer aRow, Integer aCol) const
    {
        return static_cast<TCellRecord*>(Find(aRow, aCol));
    }
    // Mixes the tokens of the shared formulas into the cells that point at them.
    void FixFormulas(TShrFmlaRecordList* ShrFmlas);
    void FixFormulaTokens(TFormulaRecord* Formula, TShrFmlaRecordList* ShrFmlas);
    // After a sheet copy: references to the source sheet point at the copy.
    void ArrangeInsertSheet(const TSheetInfo& SheetInfo);
    // Clears the stored result of every formula for which Stale is true; true when there was one.
    bool ClearStaleResults(const std::function<bool(const TFormulaRecord&)>& Stale);
    Int64 FixTotalSize(bool NeedsRecalc);

protected:
    void ReserveRow(TBaseRowColRecordList& Row, bool Packed, const TBaseRowColRecordList* Above) override;
};

// A sheet's cells and ROW records, owned together.
class TCells : public TObject {
public:
    // ColInfo is the sheet's column information (not owned), or null.
    explicit TCells(TColInfoList* ColInfo = nullptr);

    TCellList& CellList() { return FCellList; }
    const TCellList& CellList() const { return FCellList; }
    TRowRecordList& RowList() { return FRowList; }
    const TRowRecordList& RowList() const { return FRowList; }

    void Clear();
    void CopyFrom(const TCells& Source);
    // Adds a cell read from a file; plain value cells are kept packed where the row allows. A cell
    // right of the sheet's last column (255) is dropped: it could never be reached or saved, and
    // a label of it would hold a shared string no saved cell uses.
    void AddCell(std::unique_ptr<TCellRecord> Cell, Integer aRow);
    // The same for a plain value cell given by its record data (see TCellRecordList::AddPlain).
    void AddPlainCell(Word aId, const Byte* Data, TSST* SST);
    // Splits a MULRK or MULBLANK into single cells; the part of a run beyond column 255 is dropped.
    void AddMultipleCells(TMultipleValueRecord& Rec);
    // The same from the run record's id and data (at least 6 bytes, or "Record with ID 0x%x is
    // invalid").
    void AddRun(Word aId, const Byte* Data, Word Size);
    // A second ROW record for one row raises "Duplicated ROW record".
    void AddRow(std::unique_ptr<TRowRecord> Rec);

    void DeleteRows(Word aRow, Word aCount, const TSheetInfo& SheetInfo);
    void DeleteCols(Word aCol, Word aCount, const TSheetInfo& SheetInfo);
    void InsertAndCopyRows(Word FirstRow, Word LastRow, Word DestRow, Word aCount,
                           const TSheetInfo& SheetInfo, bool OnlyFormulas);
    void InsertAndCopyCols(Word FirstCol, Word LastCol, Word DestCol, Word aCount,
                           const TSheetInfo& SheetInfo, bool OnlyFormulas);
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo);
    void ArrangeInsertSheet(const TSheetInfo& SheetInfo) { FCellList.ArrangeInsertSheet(SheetInfo); }

    // Every ROW record's first and last-plus-one column from its row's cells (0 and 0 when empty).
    void ArrangeCols();
    // After loading: every row with cells, and the last row of the cell list, has a ROW record.
    void FixRows();
    // Rows from the first ROW record to the last; columns from 0 to the widest row.
    void CalcUsedRange(TXlsCellRange& Range) const;
    void WriteDimensions(TOle2File& DataStream, const TXlsCellRange& Range) const;
    static Int64 DimensionsSize() { return 18; }

    void SaveToStream(TOle2File& DataStream);
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange);
    Int64 TotalSize() const;
    Int64 FixTotalSize(bool NeedsRecalc);
    Int64 TotalRangeSize(const TXlsCellRange& CellRange, bool NeedsRecalc);

private:
    TRowRecordList FRowList;
    TCellList FCellList;
    void SaveRows(TOle2File& DataStream, const TXlsCellRange& Dim, const TXlsCellRange& Rows);
};
