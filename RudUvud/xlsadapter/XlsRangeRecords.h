#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"

#include <memory>
#include <vector>

// Per-sheet data kept by ranges rather than by cell: merged cells (MERGEDCELLS). Ranges follow
// inserted, deleted and copied rows and columns, and are written split over as many records as
// their count needs.

inline constexpr Word xlr_MERGEDCELLS = 0x00E5;

// Rows 0..65535, columns 0..255, inclusive; the 8-byte layout of the file.
struct TExcelRange {
    Word R1 = 0, R2 = 0, C1 = 0, C2 = 0;
    friend bool operator==(const TExcelRange&, const TExcelRange&) = default;
};

class TRangeValuesList {
public:
    TRangeValuesList(Integer aRangesPerRecord, Integer aExtraDataLen)
        : RangesPerRecord(aRangesPerRecord), ExtraDataLen(aExtraDataLen)
    {
    }
    const Integer RangesPerRecord;
    const Integer ExtraDataLen;
    std::vector<TExcelRange> Items;

    Integer Count() const { return static_cast<Integer>(Items.size()); }
    // A 16-bit count and that many ranges from Pos on, through the CONTINUE chain.
    void Load(const TBaseRecord& Rec, Integer Pos);

    Integer RepeatCountR(Integer N) const { return N <= 0 ? 1 : (N - 1) / RangesPerRecord + 1; }
    Integer RangesInRecord(Integer N, Integer K) const
    {
        return std::min(RangesPerRecord, N - RangesPerRecord * K);
    }
    Integer RecordSizeR(Integer N, Integer K) const { return ExtraDataLen + 2 + 8 * RangesInRecord(N, K); }
    Int64 TotalSizeR(Integer N) const { return Int64(RepeatCountR(N)) * (ExtraDataLen + 6) + 8 * Int64(N); }
    // Writes the count and ranges of record K (of the ranges inside CellRange only, when given).
    void SaveToStreamR(TOle2File& DataStream, Integer K, const TXlsCellRange* CellRange = nullptr) const;
    Integer CountRangeRecords(const TXlsCellRange& CellRange) const;
    static bool Inside(const TExcelRange& R, const TXlsCellRange& CellRange);

    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount);
    void DeleteRows(Integer First, Integer aCount, bool Columns, bool KeepSingleCells);
    // Copies of the ranges that lie wholly inside the copied block, placed in each copy.
    void CopyRowsExclusive(Integer First, Integer Last, Integer Dest, Integer aCount, bool Columns);
    void AddNewRange(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol);
    // Grows the area over every range it meets, removing those ranges.
    void PreAddNewRange(Integer& FirstRow, Integer& FirstCol, Integer& LastRow, Integer& LastCol);
};

class TRangeEntry : public TObject {
public:
    TRangeEntry(Integer aRangesPerRecord, Integer aExtraDataLen)
        : FRangeValuesList(aRangesPerRecord, aExtraDataLen)
    {
    }
    virtual std::unique_ptr<TRangeEntry> DoCopyTo() const = 0;
    virtual void SaveToStream(TOle2File& DataStream) = 0;
    virtual void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange) = 0;
    virtual Int64 TotalSize() const = 0;
    virtual Int64 TotalRangeSize(const TXlsCellRange& CellRange) const = 0;
    virtual void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                          Integer aColCount, const TSheetInfo& SheetInfo);
    virtual void InsertAndCopyRowsOrCols(Integer First, Integer Last, Integer Dest, Integer aCount,
                                         const TSheetInfo& SheetInfo, bool Columns);
    virtual void DeleteRowsOrCols(Integer First, Integer aCount, const TSheetInfo& SheetInfo, bool Columns);
    TRangeValuesList& Ranges() { return FRangeValuesList; }
    const TRangeValuesList& Ranges() const { return FRangeValuesList; }

protected:
    TRangeValuesList FRangeValuesList;
};

class TMergedCells : public TRangeEntry {
public:
    TMergedCells() : TRangeEntry(513, 0) {}
    // Replaces the ranges by those of a MERGEDCELLS record.
    void LoadFromRecord(const TBaseRecord& Rec);
    void Clear() { FRangeValuesList.Items.clear(); }
    // A single cell or an area outside the sheet is ignored.
    void MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol);
    void PreMerge(Integer& FirstRow, Integer& FirstCol, Integer& LastRow, Integer& LastCol);
    void UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol);
    // The first merge that holds the cell.
    bool CheckCell(Integer aRow, Integer aCol, TXlsCellRange& CellBounds) const;
    Integer MergedCount() const { return FRangeValuesList.Count(); }
    TXlsCellRange MergedCell(Integer Index) const;

    std::unique_ptr<TRangeEntry> DoCopyTo() const override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange) override;
    Int64 TotalSize() const override;
    Int64 TotalRangeSize(const TXlsCellRange& CellRange) const override;
    void DeleteRowsOrCols(Integer First, Integer aCount, const TSheetInfo& SheetInfo, bool Columns) override;
};

// The range entries of a sheet in file order.
class TRangeList : public TObject {
public:
    std::vector<std::unique_ptr<TRangeEntry>> Items;
    Integer Count() const { return static_cast<Integer>(Items.size()); }
    void Add(std::unique_ptr<TRangeEntry> E) { Items.push_back(std::move(E)); }
    void CopyFrom(const TRangeList& Source);
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo);
    void DeleteRowsOrCols(Integer First, Integer aCount, const TSheetInfo& SheetInfo, bool Columns);
    void InsertAndCopyRowsOrCols(Integer First, Integer Last, Integer Dest, Integer aCount,
                                 const TSheetInfo& SheetInfo, bool Columns);
    void SaveToStream(TOle2File& DataStream);
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange);
    Int64 TotalSize() const;
    Int64 TotalRangeSize(const TXlsCellRange& CellRange) const;
};
