#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/OtherRecords.h"

#include <vector>

// Column widths, formats and options. A COLINFO record covers a run of columns; in memory each
// column has its own entry so that editing one column never splits records, and saving joins
// neighbouring equal columns back into runs.

inline constexpr Word xlr_COLINFO = 0x007D;

// COLINFO: first column, last column, width (1/256 character), XF, options, reserved.
class TColInfoRecord : public TBaseRecord {
public:
    // Data shorter than 12 bytes raises "Record with ID 0x%x is invalid".
    TColInfoRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TColInfoRecord)
    Word D(Integer Field) const { return GetWord(Data(), 2 * Field); }
};

struct TColInfo {
    Word Column = 0;
    Word Width = 0;
    Word XF = 15;
    Word Options = 0;
    // Same width, format and options (the column is not compared).
    bool IsEqual(const TColInfo& Other) const
    {
        return Width == Other.Width && XF == Other.XF && Options == Other.Options;
    }
    Integer GetColOutlineLevel() const { return (Options >> 8) & 7; }
    void SetColOutlineLevel(Integer Level)
    {
        Options = static_cast<Word>((Options & ~0x0700) | ((Level & 7) << 8));
    }
};

// One entry per column, sorted by column when searched. After an insertion entries may lie above
// column 255; they are kept but never written.
class TColInfoList : public TObject {
public:
    Integer Count() const { return static_cast<Integer>(FList.size()); }
    TColInfo& Items(Integer Index) { return FList.at(static_cast<size_t>(Index)); }
    const TColInfo& Items(Integer Index) const { return FList.at(static_cast<size_t>(Index)); }
    void Add(const TColInfo& Info)
    {
        FList.push_back(Info);
        FSorted = false;
    }
    void Delete(Integer Index) { FList.erase(FList.begin() + Index); }
    void Clear() { FList.clear(); }
    void Sort();
    // Sorts first when needed; true with the index of the column, or false with the insertion index.
    bool Find(Integer aColumn, Integer& Index);
    // One entry per column of the record.
    void AddRecord(const TColInfoRecord& Rec);
    void CopyFrom(const TColInfoList& Source);

    void SaveToStream(TOle2File& DataStream);
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange);
    Int64 TotalSize();
    Int64 TotalRangeSize(const TXlsCellRange& CellRange);
    void CalcGuts(TGutsRecord* Guts) const;

    // Columns at or right of aColumn move right by aCount (only on the sheet being changed).
    void ArrangeInsertCols(Integer aColumn, Integer aCount, const TSheetInfo& SheetInfo);
    // Copies the settings of columns FirstCol..LastCol aCount times to DestCol on.
    void CopyCols(Integer FirstCol, Integer LastCol, const TSheetInfo& SheetInfo, Integer aCount,
                  Integer DestCol);

    void CalcIncludedRangeRecords(const TXlsCellRange& CellRange, Integer& FirstIndex, Integer& aCount);
    void SaveToStreamExt(TOle2File* DataStream, Integer FirstIndex, Integer aCount, Int64* Size);
    Int64 TotalSizeExt(Integer FirstIndex, Integer aCount);

private:
    std::vector<TColInfo> FList;
    bool FSorted = true;
};
