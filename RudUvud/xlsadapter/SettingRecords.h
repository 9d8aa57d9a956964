#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/XlsStrings.h"

// The small records that keep one sheet or workbook setting each, with typed access in place.

// ROW: row, first column, last column + 1, height, options, XF.
class TRowRecord : public TBaseRowColRecord {
public:
    // From data (loaded or copied): needs 16 bytes; the word at 8 is cleared.
    TRowRecord(Word aId, TRecordBody aData);
    // A new default row: columns 0 and 0, height 255, options 0x0100, XF word 15.
    explicit TRowRecord(Word aRow);
    XLS_RECORD_CREATE(TRowRecord)

    Word GetMinCol() const { return GetWord(Data(), 2); }
    void SetMinCol(Word V) { ::SetWord(Data(), 2, V); }
    Word GetMaxCol() const { return GetWord(Data(), 4); }
    void SetMaxCol(Word V) { ::SetWord(Data(), 4, V); }
    Word GetHeight() const { return GetWord(Data(), 6); }
    void SetHeight(Word V) { ::SetWord(Data(), 6, V); }
    Word GetOptions() const { return GetWord(Data(), 12); }
    void SetOptions(Word V) { ::SetWord(Data(), 12, V); }
    // The XF index when the row has a format (options bit 7), else 15.
    Word GetXF() const;
    void SetXF(Word XF);
    void ManualHeight() { SetOptions(GetOptions() | 0x40); }
    void AutoHeight() { SetOptions(GetOptions() & ~0x40); }
    bool IsAutoHeight() const { return !(GetOptions() & 0x40); }
    void Hide(bool Value) { SetOptions(Value ? (GetOptions() | 0x20) : (GetOptions() & ~0x20)); }
    bool IsHidden() const { return GetOptions() & 0x20; }
    bool IsFormatted() const { return GetOptions() & 0x80; }
    bool IsModified() const { return (GetOptions() & 0xFF) != 0 || (GetOptions() >> 8) != 1; }
    void SetRowOutlineLevel(Integer Level) { SetOptions((GetOptions() & ~7) | (Level & 7)); }
    // Writes the record with its columns clamped to FirstCol..LastCol, then restores them.
    void SaveRangeToStream(TOle2File& DataStream, Integer FirstCol, Integer LastCol);
};

struct TDimensionsRec {
    LongWord FirstRow;
    LongWord LastRow; // + 1
    Word FirstCol;
    Word LastCol; // + 1
    Word Extra;
};

// DIMENSIONS: the used range.
class TDimensionsRecord : public TBaseRecord {
public:
    TDimensionsRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TDimensionsRecord)
    TDimensionsRec Dim() const;
    void SetDim(const TDimensionsRec& D);
};

// STRING: a formula's text result. The formula writes it, never the record itself.
class TStringRecord : public TBaseRecord {
public:
    TStringRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TStringRecord)
    WideString Value() const;
    void SaveToStream(TOle2File&) override {}
    Int64 TotalSize() const override { return 0; }
};

// WINDOW1: the workbook window.
class TWindow1Record : public TBaseRecord {
public:
    TWindow1Record(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TWindow1Record)
    Word GetActiveSheet() const { return GetWord(Data(), 10); }
    // Active sheet n, first visible tab 0, one selected sheet.
    void SetActiveSheet(Word Value);
    Word GetFirstSheetVisible() const { return GetWord(Data(), 12); }
    void SetFirstSheetVisible(Word Value) { ::SetWord(Data(), 12, Value); }
    // A window width or height of 0 is written as 1.
    void SaveToStream(TOle2File& Workbook) override;
};

// WINDOW2: the sheet window. Chart sheets carry a 10-byte form without the zoom.
class TWindow2Record : public TBaseRecord {
public:
    TWindow2Record(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TWindow2Record)
    // A copy is not selected.
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;

    Word Options() const { return GetWord(Data(), 0); }
    bool GetSelected() const { return Options() & 0x200; }
    void SetSelected(bool Value);
    bool GetShowGridLines() const { return Options() & 0x2; }
    void SetShowGridLines(bool Value) { SetBit(0x2, Value); }
    bool GetShowGridHeaders() const { return Options() & 0x4; }
    void SetShowGridHeaders(bool Value) { SetBit(0x4, Value); }
    bool GetIsFrozen() const { return Options() & 0x8; }
    void SetIsFrozen(bool Value) { SetBit(0x8, Value); }
    bool GetIsFrozenButNoSplit() const { return Options() & 0x100; }
    void SetIsFrozenButNoSplit(bool Value) { SetBit(0x100, Value); }
    // 0 when the record has no zoom field.
    Integer GetSheetZoom() const;
    // Clamped to 10..400; nothing when the record has no zoom field.
    void SetSheetZoom(Integer Value);

private:
    void SetBit(Word Bit, bool Value);
};

// SCL: the zoom as a fraction.
class TSCLRecord : public TBaseRecord {
public:
    TSCLRecord(Word aId, TRecordBody aData);
    explicit TSCLRecord(Integer aZoom);
    XLS_RECORD_CREATE(TSCLRecord)
    // 100 for a zero denominator, else numerator * 100 / denominator rounded half to even.
    Integer GetZoom() const;
    void SetZoom(Integer Value);
};

// DEFCOLWIDTH: a width of 256 or more is written as 255.
class TDefColWidthRecord : public TBaseRecord {
public:
    TDefColWidthRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TDefColWidthRecord)
    Word Width() const { return GetWord(Data(), 0); }
    void SetWidth(Word V) { ::SetWord(Data(), 0, V); }
    void SaveToStream(TOle2File& Workbook) override;
};

class TStandardWidthRecord : public TBaseRecord {
public:
    TStandardWidthRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TStandardWidthRecord)
    Word Width() const { return GetWord(Data(), 0); }
    void SetWidth(Word V) { ::SetWord(Data(), 0, V); }
};

class TDefRowHeightRecord : public TBaseRecord {
public:
    TDefRowHeightRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TDefRowHeightRecord)
    Word Height() const { return GetWord(Data(), 2); }
    void SetHeight(Word V) { ::SetWord(Data(), 2, V); }
};

// HEADER and FOOTER: the text, or no data for none.
class TPageHeaderFooterRecord : public TBaseRecord {
public:
    TPageHeaderFooterRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TPageHeaderFooterRecord)
    WideString GetText() const;
    void SetText(const WideString& Text);
};
class TPageHeaderRecord : public TPageHeaderFooterRecord {
public:
    using TPageHeaderFooterRecord::TPageHeaderFooterRecord;
    XLS_RECORD_CREATE(TPageHeaderRecord)
};
class TPageFooterRecord : public TPageHeaderFooterRecord {
public:
    using TPageHeaderFooterRecord::TPageHeaderFooterRecord;
    XLS_RECORD_CREATE(TPageFooterRecord)
};

// A record of one 16-bit word.
class TWordRecord : public TBaseRecord {
public:
    TWordRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TWordRecord)
    Word GetWordValue() const { return GetWord(Data(), 0); }
    void SetWordValue(Word V) { ::SetWord(Data(), 0, V); }
};

class TPrintGridLinesRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TPrintGridLinesRecord)
    bool GetValue() const { return GetWordValue() == 1; }
    void SetValue(bool V) { SetWordValue(V ? 1 : 0); }
};
class TPrintCenteredRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TPrintCenteredRecord)
    bool GetCentered() const { return GetWordValue() == 1; }
    void SetCentered(bool V) { SetWordValue(V ? 1 : 0); }
};
class T1904Record : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(T1904Record)
    bool GetIs1904() const { return GetWordValue() == 1; }
    void SetIs1904(bool V) { SetWordValue(V ? 1 : 0); }
};
class TRefModeRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TRefModeRecord)
    bool GetIsR1C1() const { return GetWordValue() != 1; }
    void SetIsR1C1(bool V) { SetWordValue(V ? 0 : 1); }
};
class TPrecisionRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TPrecisionRecord)
    bool GetPrecisionAsDisplayed() const { return GetWordValue() == 0; }
    void SetPrecisionAsDisplayed(bool V) { SetWordValue(V ? 0 : 1); }
};
class TBookBoolRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TBookBoolRecord)
    bool GetSaveExternalLinkValues() const { return GetWordValue() != 1; }
    void SetSaveExternalLinkValues(bool V) { SetWordValue(V ? 0 : 1); }
};
class TAutoFilterInfoRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TAutoFilterInfoRecord)
    Word Get_DropDownCount() const { return GetWordValue(); }
    void Set_DropDownCount(Word V) { SetWordValue(V); }
};
class TWsBoolRecord : public TWordRecord {
public:
    using TWordRecord::TWordRecord;
    XLS_RECORD_CREATE(TWsBoolRecord)
    Word GetValue() const { return GetWordValue(); }
    void SetValue(Word V) { SetWordValue(V); }
    bool GetFitToPage() const { return GetWordValue() & 0x100; }
    void SetFitToPage(bool V) { SetBit(0x100, V); }
    bool GetOutlineSummaryRowsBelowDetail() const { return GetWordValue() & 0x40; }
    void SetOutlineSummaryRowsBelowDetail(bool V) { SetBit(0x40, V); }
    bool GetOutlineSummaryColsRightOfDetail() const { return GetWordValue() & 0x80; }
    void SetOutlineRightOfDetail(bool V) { SetBit(0x80, V); }
    bool GetOutlineAutomaticStyles() const { return GetWordValue() & 0x20; }
    void SetOutlineAutomaticStyles(bool V) { SetBit(0x20, V); }

private:
    void SetBit(Word Bit, bool V) { SetWordValue(V ? (GetWordValue() | Bit) : (GetWordValue() & ~Bit)); }
};

// LEFTMARGIN .. BOTTOMMARGIN: inches as a 64-bit float.
class TMarginRecord : public TBaseRecord {
public:
    TMarginRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TMarginRecord)
    double GetValue() const { return GetDouble(Data(), 0); }
    // Needs exactly 8 data bytes ("Error in Margin Record").
    void SetValue(double Value);
};

// The 34-byte body of SETUP.
struct TSetupRec {
    Word PaperSize = 0;
    Word Scale = 0;
    Word PageStart = 0;
    Word FitWidth = 0;
    Word FitHeight = 0;
    Word GrBit = 0;
    Word Resolution = 0;
    Word VResolution = 0;
    double HeaderMargin = 0;
    double FooterMargin = 0;
    Word Copies = 0;
};

// SETUP: page setup. Options bit 2 set means the printer-dependent fields are not valid.
class TSetupRecord : public TBaseRecord {
public:
    TSetupRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TSetupRecord)
    Word GetPrintPaperSize() const { return Invalid() ? 0 : GetWord(Data(), 0); }
    Word GetScale() const { return Invalid() ? 100 : GetWord(Data(), 2); }
    Word GetPrintXResolution() const { return Invalid() ? 100 : GetWord(Data(), 12); }
    Word GetPrintYResolution() const { return Invalid() ? 100 : GetWord(Data(), 14); }
    Word GetPrintCopies() const { return Invalid() ? 1 : GetWord(Data(), 32); }
    void SetPrintPaperSize(Word V) { SetValid(0, V); }
    void SetScale(Word V) { SetValid(2, V); }
    void SetPrintXResolution(Word V) { SetValid(12, V); }
    void SetPrintYResolution(Word V) { SetValid(14, V); }
    void SetPrintCopies(Word V) { SetValid(32, V); }
    Word GetFitWidth() const { return GetWord(Data(), 6); }
    void SetFitWidth(Word V) { ::SetWord(Data(), 6, V); }
    Word GetFitHeight() const { return GetWord(Data(), 8); }
    void SetFitHeight(Word V) { ::SetWord(Data(), 8, V); }
    Extended GetHeaderMargin() const { return GetDouble(Data(), 16); }
    void SetHeaderMargin(Extended V) { ::SetDouble(Data(), 16, V); }
    Extended GetFooterMargin() const { return GetDouble(Data(), 24); }
    void SetFooterMargin(Extended V) { ::SetDouble(Data(), 24, V); }
    Word GetPrintOptions() const { return GetWord(Data(), 10); }
    // Keeps only the low 8 bits.
    void SetPrintOptions(Word V) { ::SetWord(Data(), 10, V & 0xFF); }
    TSetupRec GetValue() const;
    // Needs exactly 34 data bytes ("Error in Setup Record").
    void SetValue(const TSetupRec& Value);

private:
    bool Invalid() const { return GetPrintOptions() & 4; }
    void SetValid(Integer Pos, Word V);
};

// PLS: the printer driver's environment word and data.
class TPlsRecord : public TBaseRecord {
public:
    TPlsRecord(Word aId, TRecordBody aData);
    explicit TPlsRecord(const TPrinterDriverSettings& Settings);
    XLS_RECORD_CREATE(TPlsRecord)
    TPrinterDriverSettings GetPrinterDriverSettings() const;
    void SetPrinterDriverSettings(const TPrinterDriverSettings& Settings);
};
