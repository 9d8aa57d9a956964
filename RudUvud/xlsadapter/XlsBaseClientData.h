#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"

#include <memory>

class TSST;

// What a drawing shape's client data (the OBJ or TXO records after its Escher bytes) offers to
// the drawing record tree.
class TBaseClientData : public TObject {
public:
    ~TBaseClientData() override = default;
    virtual Word GetId() const { return 0; }
    virtual void SetId(Word Id) {}
    virtual void ArrangeId(Word& LastId) {}
    virtual void Clear() = 0;
    virtual std::unique_ptr<TBaseClientData> CopyTo() const = 0;
    virtual void LoadFromStream(TOle2File& Stream, TRecordHeader& Header,
                                std::unique_ptr<TBaseRecord> FirstRecord, TSST* SST) = 0;
    virtual void SaveToStream(TOle2File& Stream) = 0;
    virtual Int64 TotalSize() const = 0;
    virtual void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset) {}
    virtual void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                          const TSheetInfo& SheetInfo) = 0;
    virtual void ArrangeCopySheet(const TSheetInfo& SheetInfo) = 0;
    // True when Rec is the BIFF record this kind of client data is loaded from.
    virtual bool AcceptsRecord(const TBaseRecord& Rec) const = 0;
    // The CONTINUE records after the client data's own that carry more drawing bytes.
    virtual std::unique_ptr<TContinueRecord> TakeTrailingData() { return nullptr; }
};
