#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/Sections.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "RudUvud/xlsadapter/XlsReferences.h"
#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsSheetNames.h"
#include "RudUvud/xlsadapter/XlsStyles.h"

#include <memory>

class TFormulaContext;

// The sheet directory: one BOUNDSHEET per sheet, in sheet order, and the index of their names.
class TBoundSheetList : public TObject {
public:
    TSheetNameList& SheetNames() { return FSheetNames; }
    TBoundSheetRecordList& BoundSheets() { return FBoundSheets; }
    const TBoundSheetRecordList& BoundSheets() const { return FBoundSheets; }

    // Raises "Sheet name already exists: %s" for a name the directory holds (case aside).
    void Add(std::unique_ptr<TBoundSheetRecord> Rec);
    // A new entry at BeforeSheet named by the first free name of the root Name.
    void InsertSheet(Integer BeforeSheet, Word OptionFlags, const WideString& Name);
    void DeleteSheet(Integer Index);
    void Clear();

    void SaveToStream(TOle2File& DataStream) { FBoundSheets.SaveToStream(DataStream); }
    void SaveRangeToStream(TOle2File& DataStream, Integer Index)
    {
        FBoundSheets.Items(Index)->SaveToStream(DataStream);
    }
    Int64 TotalSize() const { return FBoundSheets.GetTotalSize(); }
    Int64 TotalRangeSize(Integer Index) const { return FBoundSheets.Items(Index)->TotalSize(); }

private:
    TSheetNameList FSheetNames;
    TBoundSheetRecordList FBoundSheets;
};

// The first section of a workbook stream: what every sheet shares. The parts the engine edits
// have their own stores (shared strings, external references, the sheet directory, defined
// names, the style lists); every other record stays in one list in file order, with one
// placeholder per style list where the first record of that list was read, and the whole
// section is written back in a fixed order.
//
// The drawing group (MSODRAWINGGROUP) is written after the names; it must outlive the sheets'
// drawings, so the workbook frees its sheets before the globals.
class TWorkbookGlobals : public TBaseSection {
public:
    TWorkbookGlobals();
    ~TWorkbookGlobals() override;

    void Clear() override;
    Int64 TotalSize() override;
    // The section with only the BOUNDSHEET of SheetIndex.
    Int64 TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange) override;
    void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader, std::unique_ptr<TBOFRecord> First,
                        TSST* SST) override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex,
                           const TXlsCellRange& CellRange) override;

    TSST& SST() { return FSST; }
    TReferences& References() { return FReferences; }
    TBoundSheetList& SheetList() { return FBoundSheets; }
    TBaseRecordList& OtherRecords() { return FOtherRecords; }
    TNameRecordList& Names() { return FNames; }
    TDrawingGroup& DrawingGroup() { return FDrawingGroup; }
    TXFRecordList& XFList() { return FXFList; }
    TFontRecordList& FontList() { return FFontList; }
    TFormatRecordList& FormatList() { return FFormatList; }
    TPaletteRecord* Palette() const { return FPalette; }
    // Where a new PALETTE record goes in the other records.
    Integer PaletteIndex() const { return FPaletteIndex; }
    bool HasMacro() const { return FHasMacro; }
    bool IsXltTemplate() const { return FIsXltTemplate; }
    void SetIsXltTemplate(bool Value) { FIsXltTemplate = Value; }
    const WideString& CodeName() const { return FCodeName; }

    // ---- Sheet directory (0-based) ---------------------------------------------------------------
    Integer GetSheetCount() const { return FBoundSheets.BoundSheets().Count(); }
    WideString GetSheetName(Integer Index) const { return FBoundSheets.BoundSheets().GetSheetName(Index); }
    // The name is made valid first; an empty name raises "Invalid sheet: %s", a name another
    // sheet has (case aside) "Sheet name already exists: %s".
    void SetSheetName(Integer Index, const WideString& Name);
    TXlsSheetVisible GetSheetVisible(Integer Index) const
    {
        return FBoundSheets.BoundSheets().GetSheetVisible(Index);
    }
    void SetSheetVisible(Integer Index, TXlsSheetVisible Value)
    {
        FBoundSheets.BoundSheets().SetSheetVisible(Index, Value);
    }
    Word GetSheetOptionFlags(Integer Index) const
    {
        return FBoundSheets.BoundSheets().Items(Index)->GetOptionFlags();
    }
    void SheetSetOffset(Integer Index, LongWord Offset)
    {
        FBoundSheets.BoundSheets().Items(Index)->SetOffset(Offset);
    }
    // SheetCount new entries at BeforeSheet named from the root Name; references and names
    // follow. CopyFrom is the sheet being copied, -1 for new empty sheets.
    void InsertSheets(Integer CopyFrom, Integer BeforeSheet, Word OptionFlags, const WideString& Name,
                      Integer SheetCount);
    // Refused for a workbook with macros: "Can't delete a sheet on a file containing macros".
    void DeleteSheets(Integer Sheet, Integer SheetCount);

    // ---- Workbook settings ---------------------------------------------------------------------
    Integer GetActiveSheet() const { return FWindow1 ? FWindow1->GetActiveSheet() : 0; }
    void SetActiveSheet(Integer Index);
    void SetFirstSheetVisible(Integer Index);
    // Only stored: a workbook without a 1904 record stays in the 1900 date system.
    bool GetIs1904() const { return F1904 && F1904->GetIs1904(); }
    void SetIs1904(bool Value);
    bool GetPrecisionAsDisplayed() const { return FPrecision && FPrecision->GetPrecisionAsDisplayed(); }
    void SetPrecisionAsDisplayed(bool Value);
    bool GetSaveExternalLinkValues() const { return FBookBool && FBookBool->GetSaveExternalLinkValues(); }
    void SetSaveExternalLinkValues(bool Value);
    // Palette entry 0..55 (colour index 8..63), red in the low byte: the workbook's PALETTE, or
    // the standard colour without one.
    LongWord GetColorPalette(Integer Index) const;
    // The first colour set creates a PALETTE of the standard colours at the palette position.
    void SetColorPalette(Integer Index, LongWord Color);

    // ---- Defined names -------------------------------------------------------------------------
    // Whether Name may be a defined name; a built-in name (one character up to 0x0D) adds 0x20 to
    // OptionFlags.
    static bool IsValidRangeName(const WideString& Name, LongWord& OptionFlags);
    // Replaces a name of the same sheet equal to Range's without case, or adds a valid new one
    // ("Invalid named range: "%s"" otherwise).
    void AddName(TXlsNamedRange& Range, TFormulaContext* Cells);
    // The last name of the sheet equal to Name without case; null when none.
    TNameRecord* GetName(Integer Sheet, const WideString& Name) const;
    // A built-in name removes the workbook's last COUNTRY record.
    void CheckInternalNames(LongWord OptionFlags);
    void DeleteCountry();

    // ---- Rows and columns ----------------------------------------------------------------------
    void InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow, Integer RowCount,
                                  Integer FirstCol, Integer LastCol, Integer DestCol, Integer ColCount,
                                  const TSheetInfo& SheetInfo);
    void DeleteRowsAndCols(Integer Row, Integer RowCount, Integer Col, Integer ColCount,
                           const TSheetInfo& SheetInfo);

    // The references' sheet callbacks, for the formula fix-ups.
    TSheetInfo MakeSheetInfo(Integer InsSheet, Integer FormulaSheet);

private:
    TSST FSST;
    TReferences FReferences;
    TBoundSheetList FBoundSheets;
    TBaseRecordList FOtherRecords;
    TNameRecordList FNames;
    TDrawingGroup FDrawingGroup;
    TWindow1Record* FWindow1 = nullptr;
    T1904Record* F1904 = nullptr;
    TBookBoolRecord* FBookBool = nullptr;
    TPrecisionRecord* FPrecision = nullptr;
    TXFRecordList FXFList;
    TFontRecordList FFontList;
    TFormatRecordList FFormatList;
    TPaletteRecord* FPalette = nullptr;
    Integer FPaletteIndex = 0;
    bool FHasMacro = false;
    bool FIsXltTemplate = false;
    WideString FCodeName;

    void CheckSheetIndex(Integer SheetIndex) const;
    void SaveParts(TOle2File& DataStream, Integer SheetIndex);
};
