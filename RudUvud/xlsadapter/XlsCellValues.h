#pragma once

#include "RudUvud/xlsadapter/XlsFormulaParser.h"
#include "RudUvud/xlsadapter/XlsReferences.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"
#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsStyles.h"

#include <memory>
#include <optional>
#include <vector>

// The cell-level interface of a sheet: a cell read as a value with its format and rich-text runs,
// a value written by choosing the record that stores it, formulas read and written as text,
// formats set per cell, and rows and columns sized to their contents. Rows run 0..65535 and
// columns 0..255; every operation checks them before it changes anything.

// What the cell operations read of the workbook (none of it owned). Any member may be null for
// a caller that never needs it: a sheet without text needs no SST, one without formulas no
// references.
struct TCellGlobals {
    TSST* SST = nullptr;
    TReferences* References = nullptr;
    TReferenceGlobals Workbook; // sheet names and defined names
    TXFRecordList* XF = nullptr;
    TFontRecordList* Fonts = nullptr;
    TFormatRecordList* Formats = nullptr;
    bool Is1904 = false;
};

// Sizes a cell's text for autofit. The default estimates from the font alone: a line is the font's
// height and a quarter (Arial 10 gives the usual 255 twips), a character the width of a digit of
// the workbook's first font scaled by the font's height. A caller with a canvas can measure
// instead.
class TCellMeasurer {
public:
    virtual ~TCellMeasurer() = default;
    // Height in twips of the text (one line per line break when the format wraps).
    virtual Integer CellHeight(const WideString& Text, const TVovFormat& Format);
    // Width in 1/256 of a digit's width; 0 for no text.
    virtual Integer CellWidth(const WideString& Text, const TVovFormat& Format, Integer DefaultFontHeight);
};

class TCellValues : public TFormulaContext {
public:
    // Cells holds the sheet's cells and ROW records; ColInfo its column information (may be null).
    TCellValues(TCells& Cells, TColInfoList* ColInfo, const TCellGlobals& Globals);

    TCellGlobals& Globals() { return FGlobals; }

    // Reads a cell: its value, XF (-1 for no cell) and whether it is a formula; Runs gets the
    // rich-text runs of a text cell.
    void GetValueX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) const;
    TXlsCellValue GetValue(Integer Row, Integer Col) const;
    // The value alone, as GetValueX2 gives it: a packed cell is read with no runs or format
    // looked at and its text made once.
    void GetVariant(Integer Row, Integer Col, TXlsVariant& Value) const;
    // Writes a cell: empty values and empty texts leave a BLANK only where the format differs
    // from the position's default; numbers become RK or NUMBER, texts shared strings, booleans
    // BOOLERR. A date written with Is1904 is stored as a day of the 1904 system.
    void SetValueX2(Integer Row, Integer Col, const TXlsCellValue& Value, const TRTFRunList& Runs,
                    bool Is1904);
    void SetFormat(Integer Row, Integer Col, Integer XF);
    // The formula as text ("=A1+1"), empty for any other cell.
    WideString GetFormula(Integer Row, Integer Col);
    void SetFormula(Integer Row, Integer Col, const WideString& Formula);
    // An empty text removes the cell. A formula the encoder refuses raises its error and leaves
    // the cell as it was.
    void AssignFormulaX(Integer Row, Integer Col, const WideString& Formula, const TXlsVariant& Value,
                        bool Is1904);
    // The XF a new cell at the position takes: its row's when the row is formatted, else its
    // column's, else 15.
    Integer DefaultXF(Integer Row, Integer Col) const;

    // The formula context.
    ByteArray ArrayFormula(Integer Row, Integer Col) override;
    ByteArray TableFormula(Integer Row, Integer Col) override;
    WideString GetName(Integer ExternSheet, Integer NameIndex) override;
    WideString GetSheetName(Integer ExternSheet) override;
    Integer FindSheet(const WideString& Name) override;
    Word AddExternSheet(Integer FirstSheet, Integer LastSheet) override;

    // Row autofit of the rows with a ROW record in First..Last that are automatic height (every
    // such row with AllRows). An Adjustment other than 1 and not negative scales the height.
    // Unless KeepAutomatic, the rows become manual height.
    void RecalcRowHeights(Integer FirstRow, Integer LastRow, bool AllRows, bool KeepAutomatic,
                          Extended Adjustment, TCellMeasurer* Measurer = nullptr);
    // Column autofit; SkipStrings leaves shared-string cells out. Only widths above 0 are set.
    void RecalcColWidths(Integer FirstCol, Integer LastCol, bool SkipStrings, Extended Adjustment,
                         TCellMeasurer* Measurer = nullptr);
    // One column of RecalcColWidths.
    void AutofitColumn(Integer Col, TCellMeasurer& Measurer, bool SkipStrings, Extended Adjustment);

private:
    // Writes a plain value into a row whose cells are packed (or that has none) without making a
    // record; false when the value or the row needs a record. Formatted: a blank cell is kept.
    bool PackValue(Integer Row, Integer Col, Word XF, const TXlsVariant& V, const TRTFRunList& Runs,
                   bool Formatted);
    TCells& FCells;
    TColInfoList* FColInfo;
    TCellGlobals FGlobals;
    // The formats of the XFs autofit has looked at, by XF index.
    std::vector<std::optional<TVovFormat>> FFormatCache;

    static void CheckRowCol(Integer Row, Integer Col);
    void PlaceRecord(Integer Row, Integer Col, bool Existed, std::unique_ptr<TCellRecord> NewRec);
    void TrimTrailingRows(Integer Row, bool Made);
    ByteArray AttachedFormula(Integer Row, Integer Col, bool Table);
    const TVovFormat& FormatOf(Integer XF);
    WideString DisplayText(const TXlsCellValue& Value);
    void SetColumnWidth(Integer Col, Integer Width);
    void FitColumn(Integer Col, TCellMeasurer& Measurer, bool SkipStrings, Extended Adjustment);
};
