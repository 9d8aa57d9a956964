#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"

#include <memory>

// The value records of a worksheet's cells: NUMBER, RK, BLANK and BOOLERR, one record per cell
// wherever a caller works on records (a loaded sheet keeps them packed until then: TPlainCell).
// The run records MULRK and MULBLANK exist only in the file: they are split into one RK or BLANK
// per cell on loading, and neighbouring RK or BLANK cells of a row are joined back into them on
// saving (TCellRecordList walks the joining members below).

inline constexpr Word xlr_NUMBER = 0x0203;
inline constexpr Word xlr_RK = 0x027E;
inline constexpr Word xlr_BLANK = 0x0201;
inline constexpr Word xlr_BOOLERR = 0x0205;
inline constexpr Word xlr_MULRK = 0x00BD;
inline constexpr Word xlr_MULBLANK = 0x00BE;
inline constexpr Word xlr_LABELSST = 0x00FD;

// The ids that always make plain value cells (never formulas): the bulk of a large sheet, which
// the loader takes without asking the record for its class.
inline bool IsPlainValueCellId(Word Id)
{
    return Id == xlr_RK || Id == xlr_NUMBER || Id == xlr_LABELSST || Id == xlr_BLANK || Id == xlr_BOOLERR;
}

// The 32-bit RK form of a number, tried unscaled and then times 100, the float form (the 30 high
// bits of the double) before the integer form. False when the number has none.
bool EncodeRK(double Value, LongWord& RK);
bool IsRK(double Value);
double DecodeRK(LongWord RK);

// The value as a number for a cell that holds one: numbers and dates as they are, booleans 1 or
// 0, empty 0, text through the runtime's conversion (which raises EConvertError on non-numbers).
double XlsVariantToDouble(const TXlsVariant& Value);

class TNumberRecord : public TCellRecord {
public:
    TNumberRecord(Word aId, TRecordBody aData);
    TNumberRecord(Word aRow, Word aCol, Word aXF);
    XLS_RECORD_CREATE(TNumberRecord)
    TXlsVariant GetValue() const override;
    void SetValue(const TXlsVariant& Value) override;
    double GetNumber() const { return GetDouble(Data(), 6); }
};

class TRKRecord : public TCellRecord {
public:
    TRKRecord(Word aId, TRecordBody aData);
    TRKRecord(Word aRow, Word aCol, Word aXF);
    XLS_RECORD_CREATE(TRKRecord)
    TXlsVariant GetValue() const override;
    // A number without an RK form raises "Invalid cell value" and leaves the record unchanged.
    void SetValue(const TXlsVariant& Value) override;
    LongWord GetRK() const { return GetLongWord(Data(), 6); }

    bool CanJoinNext(const TCellRecord* NextRecord, Integer MaxCol) const override;
    void SaveFirstMul(TOle2File& Workbook, Word JoinedRecordSize) override;
    void SaveMidMul(TOle2File& Workbook) override;
    void SaveLastMul(TOle2File& Workbook) override;
    Int64 TotalSizeFirst() const override { return 14; }
    Int64 TotalSizeMid() const override { return 6; }
    Int64 TotalSizeLast() const override { return 8; }
};

class TBlankRecord : public TCellRecord {
public:
    TBlankRecord(Word aId, TRecordBody aData);
    TBlankRecord(Word aRow, Word aCol, Word aXF);
    XLS_RECORD_CREATE(TBlankRecord)

    bool CanJoinNext(const TCellRecord* NextRecord, Integer MaxCol) const override;
    void SaveFirstMul(TOle2File& Workbook, Word JoinedRecordSize) override;
    void SaveMidMul(TOle2File& Workbook) override;
    void SaveLastMul(TOle2File& Workbook) override;
    Int64 TotalSizeFirst() const override { return 10; }
    Int64 TotalSizeMid() const override { return 2; }
    Int64 TotalSizeLast() const override { return 4; }
};

// A boolean, or an error read back as its text ("#DIV/0!" and so on).
class TBoolErrRecord : public TCellRecord {
public:
    TBoolErrRecord(Word aId, TRecordBody aData);
    TBoolErrRecord(Word aRow, Word aCol, Word aXF);
    XLS_RECORD_CREATE(TBoolErrRecord)
    TXlsVariant GetValue() const override;
    // Booleans store themselves; texts must be one of the seven error texts exactly.
    void SetValue(const TXlsVariant& Value) override;
    bool IsError() const { return Data()[7] != 0; }

    // Unknown codes read as "#NULL!".
    static WideString ErrcodeToString(Integer Code);
    // Raises "Invalid cell error code" for any other text (compared with case).
    static Byte StringToErrcode(const WideString& Text);
};

// A run record being split into single cells: ExtractOneRecord until Eof.
class TMultipleValueRecord : public TBaseRecord {
public:
    // Data shorter than 6 bytes (row, first column, last column) raises "Record with ID 0x%x is invalid".
    TMultipleValueRecord(Word aId, TRecordBody aData);
    virtual bool Eof() const = 0;
    virtual std::unique_ptr<TCellRecord> ExtractOneRecord() = 0;
    Word GetRow() const { return GetWord(Data(), 0); }
    Word GetFirstColumn() const { return GetWord(Data(), 2); }

protected:
    Integer FExtractPos = 0;
};

class TMulRKRecord : public TMultipleValueRecord {
public:
    using TMultipleValueRecord::TMultipleValueRecord;
    XLS_RECORD_CREATE(TMulRKRecord)
    bool Eof() const override { return 6 * FExtractPos + 10 >= DataSize(); }
    std::unique_ptr<TCellRecord> ExtractOneRecord() override;
};

class TMulBlankRecord : public TMultipleValueRecord {
public:
    using TMultipleValueRecord::TMultipleValueRecord;
    XLS_RECORD_CREATE(TMulBlankRecord)
    bool Eof() const override { return 2 * FExtractPos + 6 >= DataSize(); }
    std::unique_ptr<TCellRecord> ExtractOneRecord() override;
};
