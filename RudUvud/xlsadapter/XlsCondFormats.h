#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsRangeRecords.h"

#include <memory>

// Conditional formats (one CONDFMT record with the CF records that follow it) and the holders of a
// file's encryption.

inline constexpr Word xlr_CONDFMT = 0x01B0;
inline constexpr Word xlr_CF = 0x01B1;

// CONDFMT as the factory reads it: the CF count (0), flag word (2), enclosing range (4), then the
// range count and ranges (12). The sheet turns it into a TCondFmt and frees it.
class TCondFmtRecord : public TBaseRecord {
public:
    // Data shorter than 14 bytes raises "Record with ID 0x%x is invalid".
    TCondFmtRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TCondFmtRecord)
};

// CF: condition type (byte 0), operator (byte 1), sizes of formula 1 and 2 (words at 2 and 4); the
// two formulas' tokens are the last bytes of the data, formula 2 last. The rest is kept as read.
class TCFRecord : public TBaseRecord {
public:
    // Data shorter than 6 bytes, or formulas larger than the data, raise "Record with ID 0x%x is
    // invalid".
    TCFRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TCFRecord)
    Byte ConditionType() const { return Data()[0]; }
    Byte Operator() const { return Data()[1]; }
    Integer Formula1Size() const { return GetWord(Data(), 2); }
    Integer Formula2Size() const { return GetWord(Data(), 4); }
    // Moves the references of both formulas; a token the fix-up cannot handle raises
    // "Bad Conditional format. Token Id: 0x%2x".
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo);
    // Copied cells do not move the formulas.
    void ArrangeCopyRowsAndCols(Integer, Integer) {}
};

class TCFRecordList : public TBaseRecordList {
public:
    TCFRecord* Items(Integer Index) const { return static_cast<TCFRecord*>(TBaseRecordList::Items(Index)); }
};

// One conditional format: its ranges (up to 513 a record), the CONDFMT flag word, the enclosing
// range and the CF records. Written as as many CONDFMT records as the ranges need, each followed
// by every CF record; nothing at all once every range is gone.
class TCondFmt : public TRangeEntry {
public:
    TCondFmt() : TRangeEntry(513, 12) {}
    // Takes the ranges of Rec, then reads the CF records it announces from the stream (RecHeader
    // holds the next record's header, as LoadRecords leaves it). A record other than CF among
    // them raises "Invalid conditional format record".
    void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecHeader, std::unique_ptr<TBaseRecord> Rec);
    void Clear();

    Word Flags() const { return FFlags; }
    const TExcelRange& Enclosing() const { return FEnclosing; }
    TCFRecordList& CFs() { return FCFs; }
    const TCFRecordList& CFs() const { return FCFs; }

    std::unique_ptr<TRangeEntry> DoCopyTo() const override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange) override;
    Int64 TotalSize() const override;
    Int64 TotalRangeSize(const TXlsCellRange& CellRange) const override;
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo) override;
    void InsertAndCopyRowsOrCols(Integer First, Integer Last, Integer Dest, Integer aCount,
                                 const TSheetInfo& SheetInfo, bool Columns) override;

private:
    Word FFlags = 0;
    TExcelRange FEnclosing;
    TCFRecordList FCFs;
    void SaveRecords(TOle2File& DataStream, const TXlsCellRange* CellRange);
    Int64 SizeFor(Integer RangeCount) const;
    void CopyRanges(Integer First, Integer Last, Integer Dest, Integer aCount, bool Columns);
};

// Encryption of a written file. The engine carries no implementation: a file with a FILEPASS record
// is refused when read, and without an engine everything is written plain.
class TEncryptionEngine : public TObject {
public:
    virtual bool CheckHash(const WideString& Password) = 0;
    virtual void Decode(ByteArray& Data, Int64 StreamPosition, Integer StartPos, Integer Count,
                        Integer RecordLen) = 0;
    virtual ByteArray Encode(const ByteArray& Data, Int64 StreamPosition, Integer RecordLen) = 0;
    virtual Word Encode(Word Data, Int64 StreamPosition, Integer RecordLen) = 0;
    virtual LongWord Encode(LongWord Data, Int64 StreamPosition, Integer RecordLen) = 0;
    virtual ByteArray GetFilePassRecord() = 0;
    virtual Integer GetFilePassRecordLen() = 0;
};

class TEncryptionData : public TObject {
public:
    // The two objects are accepted for callers that pass them and are not kept.
    TEncryptionData(const WideString& aReadPassword, TObject*, TObject*) : ReadPassword(aReadPassword) {}
    WideString ReadPassword;
    TEncryptionEngine* Engine = nullptr; // not owned
    Integer ActualRecordLen = 0;
    // The bytes a FILEPASS record takes in the output: 0 without an engine.
    Integer TotalSize() const { return Engine ? Engine->GetFilePassRecordLen() : 0; }
};
