#pragma once

#include "RudUvud/xlsadapter/OtherRecords.h"

class TSST;

// A section of the workbook stream from its BOF to its EOF: the base of the workbook globals
// and of every sheet. It owns both records.
class TBaseSection : public TObject {
public:
    TBaseSection() = default;
    ~TBaseSection() override = default;

    virtual void Clear();
    // BOF and EOF sizes; sections add their own records. Needs both records.
    virtual Int64 TotalSize();
    virtual Int64 TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange);
    virtual void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader,
                                std::unique_ptr<TBOFRecord> First, TSST* SST) = 0;
    virtual void SaveToStream(TOle2File& DataStream) = 0;
    virtual void SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex,
                                   const TXlsCellRange& CellRange) = 0;

    TBOFRecord* BOF() const { return FBOF.get(); }
    TEOFRecord* EOF_() const { return FEOF.get(); }

protected:
    std::unique_ptr<TBOFRecord> FBOF;
    std::unique_ptr<TEOFRecord> FEOF;
};
