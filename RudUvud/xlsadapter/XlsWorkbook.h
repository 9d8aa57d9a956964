#pragma once

#include "RudUvud/xlsadapter/XlsSheet.h"
#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"

#include <memory>
#include <vector>

// A whole "Workbook" stream: the globals section followed by one section per sheet, sheet N
// belonging to BOUNDSHEET N. Loading recognises the sections by their BOF type; saving puts the
// workbook-wide data in order (code names, ROW records, BOUNDSHEET offsets, the first visible
// tab) and writes the sections back to back.
//
// The BOUNDSHEET offsets are predicted from the sections' sizes before anything is written; the
// save checks that every sheet starts where its BOUNDSHEET says and fails rather than write a
// file whose sheets no reader could find.
class TWorkbook : public TObject {
public:
    TWorkbook() = default;
    // The sheets go first: their drawings give their shape ids back to the globals' group.
    ~TWorkbook() override;
    TWorkbook(const TWorkbook&) = delete;
    TWorkbook& operator=(const TWorkbook&) = delete;

    TWorkbookGlobals& Globals() { return FGlobals; }
    Integer SheetCount() const { return static_cast<Integer>(FSheets.size()); }
    TSheet& Sheets(Integer Index) { return *FSheets.at(static_cast<size_t>(Index)); }

    // Reads the stream from its current position (the start of "Workbook").
    void LoadFromStream(TOle2File& DataStream);
    // Recalc makes every sheet recompute its cells' size cache first, and clears the stored
    // result of every formula that may have changed (ClearStaleResults).
    void SaveToStream(TOle2File& DataStream, bool Recalc = false);
    // A one-sheet stream holding only Range of sheet Sheet.
    void SaveRangeToStream(TOle2File& DataStream, Integer Sheet, const TXlsCellRange& Range,
                           bool Recalc = false);

    // ---- The save preparations -----------------------------------------------------------------
    // Every formula that refers to a sheet whose values changed (ValuesChanged; every sheet once
    // sheets were inserted or deleted, or when no change is known), directly or through other
    // formulas, or whose references cannot be followed, loses its stored result; the others keep
    // the value they were last computed with.
    void ClearStaleResults();
    // With a VBA project, every sheet without a code name gets one made from its sheet name.
    void FixCodeNames();
    void FixRows();
    void FixBoundSheetsOffset(bool Recalc);
    void FixRangeBoundSheetsOffset(Integer Sheet, const TXlsCellRange& Range, bool Recalc);

    Integer GetActiveSheet() const { return FGlobals.GetActiveSheet(); }
    // Also makes Sheet the only selected sheet.
    void SetActiveSheet(Integer Sheet);
    bool GetIsXltTemplate() const { return FGlobals.IsXltTemplate(); }
    void SetIsXltTemplate(bool Value) { FGlobals.SetIsXltTemplate(Value); }

    bool IsWorksheet(Integer Sheet) const;
    // Raises "Invalid type cast" for a sheet that is not a worksheet.
    TWorkSheet& GetWorkSheets(Integer Sheet);

    // ---- Sheets (0-based) -------------------------------------------------------------------------
    // SheetCount copies of sheet CopyFrom, or new worksheets from the template when CopyFrom is
    // -1, inserted before InsertBefore and named from "Sheet". The copies' formulas, drawings
    // and names turn to the copy; references to later sheets move.
    void InsertSheets(Integer CopyFrom, Integer InsertBefore, Integer SheetCount);
    // Refused for a workbook with macros. References and names to the deleted sheets go.
    void DeleteSheets(Integer Sheet, Integer SheetCount);

    // ---- Rows and columns (rows 0..65535, columns 0..255) --------------------------------------
    // RowCount copies of rows FirstRow..LastRow inserted at DestRow, then ColCount copies of
    // columns FirstCol..LastCol at DestCol, on sheet SheetNo; formulas, drawings and names of the
    // whole workbook follow. Bad arguments raise "Ivalid arguments to call InsertAndCopyRows".
    void InsertAndCopyRowsAndCols(Integer SheetNo, Integer FirstRow, Integer LastRow, Integer DestRow,
                                  Integer RowCount, Integer FirstCol, Integer LastCol, Integer DestCol,
                                  Integer ColCount, bool OnlyFormulas);
    void DeleteRowsAndCols(Integer SheetNo, Word Row, Word RowCount, Word Col, Word ColCount);

    void InsertHPageBreak(Integer SheetNo, Integer Row) { Sheets(SheetNo).InsertHPageBreak(Row); }
    void InsertVPageBreak(Integer SheetNo, Integer Col) { Sheets(SheetNo).InsertVPageBreak(Col); }
    void RestoreObjectCoords(Integer SheetNo) { Sheets(SheetNo).RestoreObjectCoords(); }

private:
    TWorkbookGlobals FGlobals;
    std::vector<std::unique_ptr<TSheet>> FSheets;
    // Sheets were inserted or deleted since the load: 3-D references may span other sheets now.
    bool FSheetsChanged = false;
    // Where each sheet's BOF must land, from the last offset fix.
    std::vector<Int64> FOffsets;

    void CheckVisibleSheets();
    void CheckSheetNo(Integer SheetNo) const;
    // Raises "Error reading Excel records. File invalid" when the sheet directory and the sheets
    // are out of step.
    void CheckSheetDirectory() const;
    void CheckOffset(TOle2File& DataStream, Int64 Start, size_t Sheet) const;
};
