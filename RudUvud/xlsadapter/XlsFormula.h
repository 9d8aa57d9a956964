#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/XlsFormulaParser.h"

#include <memory>

class ETokenException;

// The records that carry formulas: FORMULA cells (with the ARRAY or TABLE record that may follow),
// defined names, shared formulas, data tables and array formulas. Every record checks on load that
// its token array lies inside its data, so the token walks and the decoder never read past it.

inline constexpr Word xlr_FORMULA = 0x0006;
inline constexpr Word xlr_NAME = 0x0018;
inline constexpr Word xlr_SHRFMLA = 0x04BC;
inline constexpr Word xlr_TABLE = 0x0236;
inline constexpr Word xlr_ARRAY = 0x0221;
inline constexpr Word xlr_STRING = 0x0207;

// A data table: first and last row (words at 0 and 2), first and last column (bytes 4 and 5),
// options (word at 6), two input cells (row and column words at 8/10 and 12/14; row 0xFFFF or
// column 255 marks an absent one). Data shorter than 16 bytes raises "Record with ID 0x%x is invalid".
class TTableRecord : public TBaseRecord {
public:
    // Reading sets "always calculate" and "calculate on load" (bits 0 and 1 of the options).
    TTableRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TTableRecord)
    // A formula's text result follows the TABLE or ARRAY that the formula points at.
    bool AllowsStringRecord() const override { return true; }
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount);
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset);
    // Adds Delta to the row word (column byte) at Pos unless it is absent; past 65535 (255) raises
    // "Too many entries for this kind of record".
    void IncRowToMax(Integer Pos, Integer Delta);
    void IncColToMax(Integer Pos, Integer Delta);

private:
    void MoveInputCell(Integer Pos, Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                       bool Always);
};

// An array formula: first and last row (words at 0 and 2), first and last column (bytes 4 and
// 5), options, reserved, token size at 12, tokens from 14. Its range and its references move as
// the cells of the formula that owns it move.
class TArrayRecord : public TBaseRecord {
public:
    TArrayRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TArrayRecord)
    bool AllowsStringRecord() const override { return true; }
    // Rows (columns) inserted at RowPos (ColPos), deleted when the count is negative; the range
    // moves only when the array is on the sheet being changed (SheetInfo.FormulaSheet is
    // SheetInfo.InsSheet), the references as the owning formula's own. A reference that leaves
    // the sheet raises ETokenException.
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo);
    // A copy RowOffset rows and ColOffset columns away: the range moves, relative references too.
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset, const TSheetInfo& SheetInfo);

private:
    void ArrangeTokens(Integer RowPos, Integer RowCount, Integer RowOffset, Integer ColPos, Integer ColCount,
                       Integer ColOffset, const TSheetInfo& SheetInfo);
};

class TFormulaRecord : public TCellRecord {
public:
    // Reading constructor: data shorter than 22 bytes or a token array that runs past the data
    // raises "Record with ID 0x%x is invalid". Sets "calculate on load".
    TFormulaRecord(Word aId, TRecordBody aData);
    // A new cell of DataSize bytes holding Value as its result; the caller copies the encoded
    // formula (size word and tokens) to offset 20.
    TFormulaRecord(Word aId, Word aDataSize, Word aRow, Word aCol, Word aXF, const TXlsVariant& Value,
                   bool Is1904);
    ~TFormulaRecord() override;

    std::unique_ptr<TBaseRecord> Create(Word aId, TRecordBody aData) const override;
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;
    void SaveToStream(TOle2File& Workbook) override;
    Int64 TotalSize() const override;
    Int64 TotalSizeNoHeaders() const override;
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo) override;
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset) override;
    TXlsVariant GetValue() const override;

    bool AcceptsAttached(Word NextId) const override;
    void AttachRecord(std::unique_ptr<TBaseRecord> Rec) override;
    bool AllowsStringRecord() const override { return true; }

    void SetFormulaValue(const TXlsVariant& Value) { FCachedResult = Value; }
    // The stored result becomes "no value" (result kind 3, which readers show as an empty
    // cell) with nothing cached: the reader recalculates the formula.
    void ClearResult();
    // True when the formula only points at a shared or array formula; Key = row + 65536 * column
    // of the anchor.
    bool IsExp(LongWord& Key) const;
    // Replaces the pointer by the shared formula's tokens (SHRFMLA data) made absolute for this
    // cell. Shared data whose token array does not fit raises "Record with ID 0x%x is invalid".
    void MixShared(const Byte* SharedData, Integer SharedDataSize);
    void SetTableRecord(std::unique_ptr<TTableRecord> Rec);
    void SetArrayRecord(std::unique_ptr<TArrayRecord> Rec);
    TTableRecord* AttachedTable() const { return FAttachedTable.get(); }
    TArrayRecord* AttachedArray() const { return FAttachedArray.get(); }

    void ArrangeTokensInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer RowOffset, Integer ColPos,
                                        Integer ColCount, Integer ColOffset, const TSheetInfo& SheetInfo);
    void ArrangeSharedTokens();
    // Writes (Workbook given) or counts the STRING record of a text result and its CONTINUE records.
    Int64 SaveStringRecord(TOle2File* Workbook, bool WithHeaders) const;

    Integer TokenSize() const { return GetWord(Data(), 20); }

private:
    TXlsVariant FCachedResult;
    std::unique_ptr<TTableRecord> FAttachedTable;
    std::unique_ptr<TArrayRecord> FAttachedArray;
    void ReadResult();
    void CheckTokens() const;
    [[noreturn]] void RaiseBadFormula(const ETokenException& E) const;
};

// A defined name: options (word 0), shortcut (byte 2), name length (byte 3), token size (word 4),
// sheet + 1 of a local name (words 6 and 8, the one at 8 is read), four text lengths (bytes 10..13),
// the name (option byte at 14, then 8- or 16-bit characters), then the tokens.
class TNameRecord : public TBaseRecord {
public:
    // Data whose name or tokens run past it raises "Record with ID 0x%x is invalid".
    TNameRecord(Word aId, TRecordBody aData);
    // A new name. A non-empty RefersTo is encoded with every plain reference made an absolute 3-D
    // reference to LocalSheetName (the sheet of Range.LocalSheet, or the first sheet for a
    // workbook name); an empty one gives a name without tokens.
    TNameRecord(const TXlsNamedRange& Range, TFormulaContext* Cells, const WideString& LocalSheetName);
    XLS_RECORD_CREATE(TNameRecord)

    WideString Name() const;
    Integer NameLength() const { return Data()[3]; }
    Integer NameSize() const;
    Byte NameOptionFlags() const { return Data()[14]; }
    Integer RangeSheet() const { return static_cast<Integer>(GetWord(Data(), 8)) - 1; }
    Integer TokenStart() const { return 14 + NameSize(); }
    Integer TokenSize() const { return GetWord(Data(), 4); }

    // The references of a name that is one 3-D cell or area; -1 otherwise.
    Integer GetR1() const;
    Integer GetR2() const;
    Integer GetC1() const;
    Integer GetC2() const;
    Integer RefersToSheet(const TGetSheet& GetSheet) const;
    void SetR1(Integer Value);
    void SetR2(Integer Value);
    void SetC1(Integer Value);
    void SetC2(Integer Value);
    // Makes a 3-D single reference a 3-D area of that one cell.
    void ChangeRefToArea();

    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo);
    void ArrangeTokensInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer RowOffset, Integer ColPos,
                                        Integer ColCount, Integer ColOffset, const TSheetInfo& SheetInfo);
    void ArrangeInsertSheets(Integer SheetPos, Integer SheetCount);
    void ArrangeCopySheet(const TSheetInfo& SheetInfo);

private:
    void CheckLayout() const;
    Byte FirstToken() const;
    void SetArea(Integer Off, Integer Value, bool IsCol);
};

// A shared formula: first and last row (words 0, 2), first and last column (bytes 4, 5), 2 reserved
// bytes, token size at 8, tokens from 10.
class TShrFmlaRecord : public TBaseRecord {
public:
    TShrFmlaRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TShrFmlaRecord)
    // The first formula of a shared range is followed by SHRFMLA, then its text result.
    bool AllowsStringRecord() const override { return true; }
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;
    Integer FirstRow() const { return GetWord(Data(), 0); }
    Integer LastRow() const { return GetWord(Data(), 2); }
    Integer FirstCol() const { return Data()[4]; }
    Integer LastCol() const { return Data()[5]; }
    // The anchor cell, column * 65536 + row; set by the sheet loader.
    LongWord AnchorKey = 0;
};

// The creator of the record classes of this unit and of the external references for an id, or
// null for any other id: the record factory asks it before its own table.
using TXlsRecordCreator = std::unique_ptr<TBaseRecord> (*)(Word, TRecordBody);
TXlsRecordCreator FormulaRecordCreator(Word Id);
