#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"

#include <vector>

// The records of a chart: kept as read and written back unchanged, nested by BEGIN and END.
// The only ones the engine looks into are the AI (linked data) records, whose formulas must
// follow when rows, columns or sheets of the workbook move.

inline constexpr Word xlr_CHARTBEGIN = 0x1033;
inline constexpr Word xlr_CHARTEND = 0x1034;
inline constexpr Word xlr_CHARTAI = 0x1051;

class TChartRecord : public TBaseRecord {
public:
    TChartRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TChartRecord)
};

class TBeginRecord : public TChartRecord {
public:
    TBeginRecord(Word aId, TRecordBody aData) : TChartRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TBeginRecord)
};

class TEndRecord : public TChartRecord {
public:
    TEndRecord(Word aId, TRecordBody aData) : TChartRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TEndRecord)
};

// Linked data: the formula's length in bytes at offset 6, its tokens from offset 8. A record
// shorter than 8 bytes, or whose formula runs past its data, raises "Record with ID 0x%x is
// invalid" when read.
class TChartAIRecord : public TChartRecord {
public:
    TChartAIRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TChartAIRecord)

    Word FormulaSize() const { return GetWord(Data(), 6); }

    // Each raises "Error in Chart formula. Token Id: 0x%2x" for a token the fix-up refuses.
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo);
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset);
    void ArrangeCopySheet(const TSheetInfo& SheetInfo);
};

// The records of a chart, with an index of its AI records kept in step with the list.
class TChartRecordList : public TBaseRecordList {
public:
    ~TChartRecordList() override;
    void Clear();
    const std::vector<TChartAIRecord*>& AIRecords() const { return FAIRecords; }

    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo);
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset);
    void ArrangeCopySheet(const TSheetInfo& SheetInfo);

protected:
    void Added(TBaseRecord* Rec) override;
    void Removed(TBaseRecord* Rec) override;

private:
    std::vector<TChartAIRecord*> FAIRecords;
};
