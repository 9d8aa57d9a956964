#include "RudUvud/xlsadapter/XlsFile.h"

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"

// The xls file's rows, columns, merged cells, page setup, panes, page breaks, outline levels,
// automatic sizes and autofilter, on the active sheet.

void TXLSFile::RestoreObjectSizes()
{
    if (TSheet* S = Sheet())
        S->RestoreObjectCoords();
}

// ---- Sizes and hidden rows and columns ---------------------------------------------------------

Integer TXLSFile::GetColumnWidth(Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetColWidth(Col - 1) : 0;
}

Integer TXLSFile::GetColumnWidthHiddenIsZero(Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetColWidth(Col - 1, true) : 0;
}

Integer TXLSFile::GetRowHeight(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetRowHeight(Row - 1) : 0;
}

Integer TXLSFile::GetRowHeightHiddenIsZero(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetRowHeight(Row - 1, true) : 0;
}

void TXLSFile::SetColumnWidth(Integer Col, Integer Value)
{
    if (TWorkSheet* WS = WorkSheet()) {
        WS->SetColWidth(Col - 1, Value);
        RestoreObjectSizes();
    }
}

void TXLSFile::SetRowHeight(Integer Row, Integer Value)
{
    if (TWorkSheet* WS = WorkSheet()) {
        WS->SetRowHeight(Row - 1, Value);
        RestoreObjectSizes();
    }
}

bool TXLSFile::GetRowHidden(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->GetRowHidden(Row - 1);
}

bool TXLSFile::GetColumnHidden(Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS && Col >= 1 && Col <= 256 && WS->GetColHidden(Col - 1);
}

void TXLSFile::SetRowHidden(Integer Row, bool Value)
{
    if (TWorkSheet* WS = WorkSheet()) {
        WS->SetRowHidden(Row - 1, Value);
        RestoreObjectSizes();
    }
}

void TXLSFile::SetColumnHidden(Integer Col, bool Value)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS || Col < 1 || Col > 256)
        return;
    WS->SetColHidden(Col - 1, Value);
    RestoreObjectSizes();
}

Integer TXLSFile::GetDefaultColWidth()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->DefColWidth() : 10;
}

Integer TXLSFile::GetDefaultRowHeight()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->DefRowHeight() : 255;
}

bool TXLSFile::GetAutoRowHeight(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return !WS || WS->Cells().RowList().IsAutoRowHeight(Row - 1);
}

void TXLSFile::SetAutoRowHeight(Integer Row, bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->Cells().RowList().AutoRowHeight(Row - 1, Value);
}

// ---- Row and column formats --------------------------------------------------------------------

Integer TXLSFile::GetColumnFormat(Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetColFormat(Col - 1) : -1;
}

Integer TXLSFile::GetRowFormat(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetRowFormat(Row - 1) : 0;
}

void TXLSFile::SetColumnFormat(Integer Col, Integer XF)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetColFormat(Col - 1, XF);
}

void TXLSFile::SetRowFormat(Integer Row, Integer XF)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetRowFormat(Row - 1, XF);
}

// ---- Outline levels ----------------------------------------------------------------------------

Integer TXLSFile::GetRowOutlineLevel(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetRowOutlineLevel(Row - 1) : 0;
}

void TXLSFile::SetRowOutlineLevel(Integer FirstRow, Integer LastRow, Integer Level)
{
    if (TWorkSheet* WS = WorkSheet())
        for (Integer Row = FirstRow; Row <= LastRow; ++Row)
            WS->SetRowOulineLevel(Row - 1, Level);
}

Integer TXLSFile::GetColOutlineLevel(Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetColOutlineLevel(Col - 1) : 0;
}

void TXLSFile::SetColOutlineLevel(Integer FirstCol, Integer LastCol, Integer Level)
{
    if (TWorkSheet* WS = WorkSheet())
        for (Integer Col = FirstCol; Col <= LastCol; ++Col)
            WS->SetColOulineLevel(Col - 1, Level);
}

// ---- Inserting and deleting rows and columns ---------------------------------------------------

// ---- Automatic sizes ---------------------------------------------------------------------------

void TXLSFile::AutofitRow(Integer FirstRow, Integer LastRow, bool AutofitNotAutofittingRows,
                          bool KeepHeightAutomatic, Extended Adjustment)
{
    if (auto C = Cells()) {
        C->RecalcRowHeights(FirstRow - 1, LastRow - 1, AutofitNotAutofittingRows, KeepHeightAutomatic,
                            Adjustment);
        RestoreObjectSizes();
    }
}

void TXLSFile::AutofitCol(Integer FirstCol, Integer LastCol, bool IgnoreStrings, Extended Adjustment)
{
    if (auto C = Cells()) {
        C->RecalcColWidths(FirstCol - 1, LastCol - 1, IgnoreStrings, Adjustment);
        RestoreObjectSizes();
    }
}

void TXLSFile::AutofitRowsOnWorkbook(bool AutofitNotAutofittingRows, bool KeepSizesAutomatic,
                                     Extended Adjustment)
{
    const Integer Saved = FActiveSheet;
    TWorkbook& B = Book();
    for (Integer i = 1; i <= B.SheetCount(); ++i) {
        FActiveSheet = i;
        if (auto C = Cells()) {
            C->RecalcRowHeights(0, 65535, AutofitNotAutofittingRows, KeepSizesAutomatic, Adjustment);
            RestoreObjectSizes();
        }
    }
    FActiveSheet = Saved;
}

// ---- Merged cells ------------------------------------------------------------------------------

namespace {
TXlsCellRange PlusOne(const TXlsCellRange& R)
{
    return {R.FirstCol + 1, R.FirstRow + 1, R.LastCol + 1, R.LastRow + 1};
}
} // namespace

TXlsCellRange TXLSFile::GetCellMergedBounds(Integer Row, Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return {Col, Row, Col, Row};
    return PlusOne(WS->CellMergedBounds(Row - 1, Col - 1));
}

TXlsCellRange TXLSFile::GetCellMergedList(Integer Index)
{
    TWorkSheet* WS = WorkSheet();
    return WS ? PlusOne(WS->CellMergedList(Index)) : TXlsCellRange();
}

Integer TXLSFile::CellMergedListCount()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->CellMergedListCount() : 0;
}

void TXLSFile::MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->MergeCells(FirstRow - 1, FirstCol - 1, LastRow - 1, LastCol - 1);
}

void TXLSFile::UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->UnMergeCells(FirstRow - 1, FirstCol - 1, LastRow - 1, LastCol - 1);
}

// ---- Page setup --------------------------------------------------------------------------------

WideString TXLSFile::GetPageHeader()
{
    TSheet* S = Sheet();
    return S ? S->GetPageHeader() : WideString();
}

WideString TXLSFile::GetPageFooter()
{
    TSheet* S = Sheet();
    return S ? S->GetPageFooter() : WideString();
}

void TXLSFile::SetPageHeader(const WideString& Value)
{
    if (TSheet* S = Sheet())
        S->SetPageHeader(Value);
}

void TXLSFile::SetPageFooter(const WideString& Value)
{
    if (TSheet* S = Sheet())
        S->SetPageFooter(Value);
}

bool TXLSFile::GetShowGridLines()
{
    TWorkSheet* WS = WorkSheet();
    return !WS || WS->GetShowGridLines();
}

void TXLSFile::SetShowGridLines(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetShowGridLines(Value);
}

bool TXLSFile::GetShowGridHeaders()
{
    TWorkSheet* WS = WorkSheet();
    return !WS || WS->GetShowGridHeaders();
}

void TXLSFile::SetShowGridHeaders(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetShowGridHeaders(Value);
}

bool TXLSFile::GetPrintGridLines()
{
    TWorkSheet* WS = WorkSheet();
    return !WS || WS->GetPrintGridLines();
}

void TXLSFile::SetPrintGridLines(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintGridLines(Value);
}

Integer TXLSFile::GetSheetZoom()
{
    TSheet* S = Sheet();
    return S ? S->GetSheetZoom() : 100;
}

void TXLSFile::SetSheetZoom(Integer Value)
{
    if (TSheet* S = Sheet())
        S->SetSheetZoom(Value);
}

TXlsMargins TXLSFile::GetMargins()
{
    TSheet* S = Sheet();
    return S ? S->GetMargins() : TXlsMargins();
}

void TXLSFile::SetMargins(const TXlsMargins& Value)
{
    if (TSheet* S = Sheet())
        S->SetMargins(Value);
}

Integer TXLSFile::GetPrintNumberOfHorizontalPages()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintNumberOfHorizontalPages() : 1;
}

Integer TXLSFile::GetPrintNumberOfVerticalPages()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintNumberOfVerticalPages() : 1;
}

Integer TXLSFile::GetPrintScale()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintScale() : 100;
}

Byte TXLSFile::GetPrintOptions()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? static_cast<Byte>(WS->GetPrintOptions()) : 0;
}

bool TXLSFile::GetPrintToFit()
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->GetPrintToFit();
}

void TXLSFile::SetPrintNumberOfHorizontalPages(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintNumberOfHorizontalPages(Value);
}

void TXLSFile::SetPrintNumberOfVerticalPages(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintNumberOfVerticalPages(Value);
}

void TXLSFile::SetPrintScale(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintScale(Value);
}

void TXLSFile::SetPrintOptions(Byte Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintOptions(Value);
}

void TXLSFile::SetPrintToFit(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintToFit(Value);
}

bool TXLSFile::GetPrintHCentered()
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->GetPrintHCentered();
}

bool TXLSFile::GetPrintVCentered()
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->GetPrintVCentered();
}

void TXLSFile::SetPrintHCentered(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintHCentered(Value);
}

void TXLSFile::SetPrintVCentered(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintVCentered(Value);
}

Integer TXLSFile::GetPrintCopies()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintCopies() : 1;
}

TPrinterDriverSettings TXLSFile::GetPrinterDriverSettings()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrinterDriverSettings() : TPrinterDriverSettings();
}

Integer TXLSFile::GetPrintPaperSize()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintPaperSize() : 0;
}

Integer TXLSFile::GetPrintXResolution()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintXResolution() : 600;
}

Integer TXLSFile::GetPrintYResolution()
{
    TWorkSheet* WS = WorkSheet();
    return WS ? WS->GetPrintYResolution() : 600;
}

void TXLSFile::SetPrintCopies(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintCopies(Value);
}

void TXLSFile::SetPrinterDriverSettings(const TPrinterDriverSettings& Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrinterDriverSettings(Value);
}

void TXLSFile::SetPrintPaperSize(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintPaperSize(Value);
}

void TXLSFile::SetPrintXResolution(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintXResolution(Value);
}

void TXLSFile::SetPrintYResolution(Integer Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetPrintYResolution(Value);
}

bool TXLSFile::GetOutlineSummaryColsRightOfDetail()
{
    TWorkSheet* WS = WorkSheet();
    return !WS || WS->GetOutlineSummaryColsRightOfDetail();
}

bool TXLSFile::GetOutlineSummaryRowsBelowDetail()
{
    TWorkSheet* WS = WorkSheet();
    return !WS || WS->GetOutlineSummaryRowsBelowDetail();
}

bool TXLSFile::GetOutlineAutomaticStyles()
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->GetOutlineAutomaticStyles();
}

void TXLSFile::SetOutlineSummaryColsRightOfDetail(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetOutlineSummaryColsRightOfDetail(Value);
}

void TXLSFile::SetOutlineSummaryRowsBelowDetail(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetOutlineSummaryRowsBelowDetail(Value);
}

void TXLSFile::SetOutlineAutomaticStyles(bool Value)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->SetOutlineAutomaticStyles(Value);
}

// ---- Panes -------------------------------------------------------------------------------------

void TXLSFile::FreezePanes(Integer Row, Integer Col)
{
    if (TSheet* S = Sheet())
        S->FreezePanes(Row - 1, Col - 1);
}

void TXLSFile::GetFrozenPanes(Integer& Row, Integer& Col)
{
    Row = Col = 0;
    if (TSheet* S = Sheet())
        S->GetFrozenPanes(Row, Col);
    ++Row;
    ++Col;
}

void TXLSFile::SplitWindow(Integer XOffset, Integer YOffset)
{
    if (TSheet* S = Sheet())
        S->SplitWindow(XOffset, YOffset);
}

void TXLSFile::GetSplitWindow(Integer& XOffset, Integer& YOffset)
{
    XOffset = YOffset = 0;
    if (TSheet* S = Sheet())
        S->GetSplitWindow(XOffset, YOffset);
}

// ---- Page breaks -------------------------------------------------------------------------------

void TXLSFile::InsertHPageBreak(Integer Row)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->InsertHPageBreak(Row);
}

void TXLSFile::InsertVPageBreak(Integer Col)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->InsertVPageBreak(Col);
}

void TXLSFile::DeleteHPageBreak(Integer Row)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->DeleteHPageBreak(Row);
}

void TXLSFile::DeleteVPageBreak(Integer Col)
{
    if (TWorkSheet* WS = WorkSheet())
        WS->DeleteVPageBreak(Col);
}

bool TXLSFile::HasHPageBreak(Integer Row)
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->HasHPageBreak(Row);
}

bool TXLSFile::HasVPageBreak(Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->HasVPageBreak(Col);
}

// ---- Autofilter --------------------------------------------------------------------------------

void TXLSFile::SetAutoFilter(Integer Row, Integer Col1, Integer Col2)
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    auto C = Cells();
    WS->SetAutoFilter(FActiveSheet - 1, Row - 1, Col1 - 1, Col2 - 1, C);
    // The drop-down arrows are shapes of the sheet's drawing.
    WS->Drawing().RemoveAutoFilter();
    if (Col2 >= Col1) {
        Book().Globals().DrawingGroup().EnsureDwgGroup();
        WS->Drawing().AddAutoFilter(Row - 1, Col1 - 1, Col2 - 1, WS->EscherSheet());
    }
}

void TXLSFile::RemoveAutoFilter()
{
    if (TWorkSheet* WS = WorkSheet()) {
        WS->RemoveAutoFilter();
        WS->Drawing().RemoveAutoFilter();
    }
}

bool TXLSFile::HasAutoFilter()
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->HasAutoFilter();
}

bool TXLSFile::HasAutoFilter(Integer Row, Integer Col)
{
    TWorkSheet* WS = WorkSheet();
    return WS && WS->HasAutoFilter(FActiveSheet - 1, Row - 1, Col - 1);
}

TXlsCellRange TXLSFile::GetAutoFilterRange()
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return {-1, -1, -1, -1};
    const TXlsCellRange R = WS->GetAutoFilterRange(FActiveSheet - 1);
    return PlusOne(R);
}
