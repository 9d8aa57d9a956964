#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/XlsStrings.h"

// The records that frame and index a workbook, and the small records drawings and outlines need.

// BOF: version (0x0600 for BIFF8) and section type (0x0005 globals, 0x0010 worksheet, 0x0020 chart).
class TBOFRecord : public TBaseRecord {
public:
    // Refuses any version but BIFF8 with "Template file is saved with an invalid Excel version".
    TBOFRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TBOFRecord)
    Word GetBOFType() const { return GetWord(Data(), 2); }
};

class TEOFRecord : public TBaseRecord {
public:
    TEOFRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData)) {}
    TEOFRecord() : TBaseRecord(xlr_EOF, {}) {}
    XLS_RECORD_CREATE(TEOFRecord)
};

// BOUNDSHEET: the stream position of a sheet's BOF, its options and its name.
class TBoundSheetRecord : public TBaseRecord {
public:
    // Needs the position, the options and a name that fits in the record.
    TBoundSheetRecord(Word aId, TRecordBody aData);
    TBoundSheetRecord(Word aOptionFlags, const WideString& aName);
    XLS_RECORD_CREATE(TBoundSheetRecord)

    WideString GetSheetName() const;
    // Rebuilds the data at the new size; position and options are kept.
    void SetSheetName(const WideString& Name);
    Word GetOptionFlags() const { return GetWord(Data(), 4); }
    void SetOptionFlags(Word Value) { ::SetWord(Data(), 4, Value); }
    void SetOffset(LongWord Offset) { ::SetLongWord(Data(), 0, Offset); }
    LongWord GetOffset() const { return GetLongWord(Data(), 0); }
};

// SST header: total count (0) and unique count (4); the strings follow (see TSST).
class TSSTRecord : public TBaseRecord {
public:
    TSSTRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TSSTRecord)
    LongWord UniqueCount() const { return FUniqueCount; }

private:
    LongWord FUniqueCount;
};

// CODENAME: the code name as a string with a 2-byte length.
class TCodeNameRecord : public TBaseRecord {
public:
    TCodeNameRecord(Word aId, TRecordBody aData);
    explicit TCodeNameRecord(const WideString& aName);
    XLS_RECORD_CREATE(TCodeNameRecord)
    WideString GetSheetName() const;
    void SetSheetName(const WideString& Name);
};

// TEMPLATE: no data.
class TTemplateRecord : public TBaseRecord {
public:
    TTemplateRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TTemplateRecord)
    static Int64 GetSize(bool HasTemplate) { return HasTemplate ? 4 : 0; }
    static void SaveNewRecord(TOle2File& Workbook);
};

// OBPROJ: marks a workbook with a macro project.
class TObProjRecord : public TBaseRecord {
public:
    TObProjRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TObProjRecord)
};

// OBJ: the sub-record type it starts with and, for common object data (0x0015), the object type.
class TObjRecord : public TBaseRecord {
public:
    TObjRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TObjRecord)
    Word FirstSubRecordType() const { return FFirstSubRecord; }
    Word ObjType() const { return FObjType; }

protected:
    Word FFirstSubRecord = 0;
    Word FObjType = 0;
};

// TXO: the 18-byte text object header.
class TTXORecord : public TBaseRecord {
public:
    TTXORecord(Word aId, TRecordBody aData);
    // 18 zero bytes with options 0x0212: left, top, locked.
    TTXORecord();
    XLS_RECORD_CREATE(TTXORecord)
};

// GUTS: gutter sizes and outline level counts.
class TGutsRecord : public TBaseRecord {
public:
    TGutsRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TGutsRecord)
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;

    Word GetRowLevel() const { return GetWord(Data(), 4); }
    Word GetColLevel() const { return GetWord(Data(), 6); }
    void SetRowLevel(Integer Value);
    void SetColLevel(Integer Value);
    bool RecalcNeeded = false;
};

// PANE: splits, first visible row and column, and the active pane.
class TPaneRecord : public TBaseRecord {
public:
    TPaneRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TPaneRecord)
    Word Get_ColSplit() const { return GetWord(Data(), 0); }
    void Set_ColSplit(Word V) { ::SetWord(Data(), 0, V); }
    Word Get_RowSplit() const { return GetWord(Data(), 2); }
    void Set_RowSplit(Word V) { ::SetWord(Data(), 2, V); }
    Word Get_FirstVisibleRow() const { return GetWord(Data(), 4); }
    void Set_FirstVisibleRow(Word V) { ::SetWord(Data(), 4, V); }
    Word Get_FirstVisibleCol() const { return GetWord(Data(), 6); }
    void Set_FirstVisibleCol(Word V) { ::SetWord(Data(), 6, V); }
    Word Get_ActivePane() const { return GetWord(Data(), 8); }
    void Set_ActivePane(Word V) { ::SetWord(Data(), 8, V); }
    // Replaces an active pane that the current splits do not have.
    void EnsureSelectedVisible();
};

// Records that hold lists of cell ranges (their ranges are handled by the range lists).
class TRangeRecord : public TBaseRecord {
public:
    using TBaseRecord::TBaseRecord;
    XLS_RECORD_CREATE(TRangeRecord)
};
class TCellMergingRecord : public TRangeRecord {
public:
    using TRangeRecord::TRangeRecord;
    XLS_RECORD_CREATE(TCellMergingRecord)
};
class TDValRecord : public TRangeRecord {
public:
    using TRangeRecord::TRangeRecord;
    XLS_RECORD_CREATE(TDValRecord)
};
