#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/VovMessages.h"

#include <vector>

// Manual page breaks of a worksheet. The file keeps them in HORIZONTALPAGEBREAKS and
// VERTICALPAGEBREAKS records; the sheet merges those into sorted lists while it loads, frees the
// records and writes one fresh record per list on every save, so that the breaks follow inserted
// and deleted rows and columns.

inline constexpr Word xlr_HORIZONTALPAGEBREAKS = 0x001B;
inline constexpr Word xlr_VERTICALPAGEBREAKS = 0x001A;

// One break as the file stores it: the key (the row above which, or the column left of which,
// the page breaks) and the span it covers (first and last column, or first and last row).
struct TPageBreakData {
    Word Key = 0;
    Word First = 0;
    Word Last = 0;
    friend bool operator==(const TPageBreakData&, const TPageBreakData&) = default;
};
using THBreakData = TPageBreakData; // row, first column, last column
using TVBreakData = TPageBreakData; // column, first row, last row

// HORIZONTALPAGEBREAKS and VERTICALPAGEBREAKS: a count, then 6 bytes per break. Only read.
class TPageBreakRecord : public TBaseRecord {
public:
    // Needs the count word.
    TPageBreakRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TPageBreakRecord)
    // The stored count, bounded by the entries the data really holds.
    Integer Count() const;
    TPageBreakData BreakData(Integer Index) const;
};
class THPageBreakRecord : public TPageBreakRecord {
public:
    using TPageBreakRecord::TPageBreakRecord;
    XLS_RECORD_CREATE(THPageBreakRecord)
};
class TVPageBreakRecord : public TPageBreakRecord {
public:
    using TPageBreakRecord::TPageBreakRecord;
    XLS_RECORD_CREATE(TVPageBreakRecord)
};

// The breaks of one direction, kept sorted by key when searched.
class TPageBreakList : public TObject {
public:
    // The most breaks a list can reach: adding fails once a list holds more than 1025.
    static constexpr Integer MaxBreaks = 1026;

    Integer Count() const { return static_cast<Integer>(FList.size()); }
    const TPageBreakData& Items(Integer Index) const { return FList.at(static_cast<size_t>(Index)); }
    void Clear() { FList.clear(); }
    void Sort();
    // Sorts first when needed; true with the key's position, or false with its insertion point.
    bool Find(Integer Key, Integer& Index);
    // Adds a break over the whole sheet at Key; nothing when there is one. A list that holds more
    // than 1025 breaks raises "Too many manual Page breaks for this sheet", even for a break it has.
    void AddBreak(Integer Key);
    // Removes the break at Key when there is one.
    void DeleteBreak(Integer Key);
    bool HasPageBreak(Integer Key)
    {
        Integer i;
        return Find(Key, i);
    }
    // Merges the breaks of a record read from the file (keys already in the list are dropped;
    // breaks past the most a list can hold are dropped too). The caller frees the record.
    void AddRecord(const TPageBreakRecord& Rec);
    void CopyFrom(const TPageBreakList& Source);

    void SaveToStream(TOle2File& DataStream);
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange);
    Int64 TotalSize() const { return FList.empty() ? 0 : 6 + 6 * Int64(FList.size()); }
    Int64 TotalRangeSize(const TXlsCellRange& CellRange);
    // The breaks whose key lies inside the range's rows (or columns): First and Count, or 0 and 0.
    void CalcIncludedRangeRecords(const TXlsCellRange& CellRange, Integer& First, Integer& aCount);

protected:
    TPageBreakList(Word aRecordId, Integer aMaxKey, Integer aMaxSpan)
        : FRecordId(aRecordId), FMaxKey(aMaxKey), FMaxSpan(aMaxSpan)
    {
    }
    // Keys at or after Pos move by Count; a key that would pass the last row or column raises
    // "Too many entries for this kind of record (%d out of a maximum of %d)" and nothing moves.
    void InsertKeys(Integer Pos, Integer Count);
    // Breaks on Pos..Pos + Count - 1 go, those after move back by Count.
    void DeleteKeys(Integer Pos, Integer Count);
    virtual Integer RangeFirst(const TXlsCellRange& R) const = 0;
    virtual Integer RangeLast(const TXlsCellRange& R) const = 0;

private:
    std::vector<TPageBreakData> FList;
    bool FSorted = true;
    const Word FRecordId;
    const Integer FMaxKey;
    const Integer FMaxSpan;
    void SaveBreaks(TOle2File& DataStream, Integer First, Integer aCount) const;
};

// Breaks above rows: {row, column 0, column 255} for a new one.
class THPageBreakList : public TPageBreakList {
public:
    THPageBreakList() : TPageBreakList(xlr_HORIZONTALPAGEBREAKS, 65535, 255) {}
    void InsertRows(Integer aRow, Integer aCount) { InsertKeys(aRow, aCount); }
    void DeleteRows(Integer aRow, Integer aCount) { DeleteKeys(aRow, aCount); }

protected:
    Integer RangeFirst(const TXlsCellRange& R) const override { return R.FirstRow; }
    Integer RangeLast(const TXlsCellRange& R) const override { return R.LastRow; }
};

// Breaks left of columns: {column, row 0, row 65535} for a new one.
class TVPageBreakList : public TPageBreakList {
public:
    TVPageBreakList() : TPageBreakList(xlr_VERTICALPAGEBREAKS, 255, 65535) {}
    void InsertCols(Integer aCol, Integer aCount) { InsertKeys(aCol, aCount); }
    void DeleteCols(Integer aCol, Integer aCount) { DeleteKeys(aCol, aCount); }

protected:
    Integer RangeFirst(const TXlsCellRange& R) const override { return R.FirstCol; }
    Integer RangeLast(const TXlsCellRange& R) const override { return R.LastCol; }
};
