// Printing and preview entry points: a range of display cells printed on the platform printer,
// one page of it drawn on any canvas, or its first page drawn on a canvas; and the text
// measuring routines other parts of the grid use (text margins, line counts, where rotated text
// starts).

#include "RudUvud/exchange/PrintJob.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridGraphicState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Printers.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {

// The canvas's map mode, put back when the scope ends.
class TKeepMapMode {
public:
    explicit TKeepMapMode(TCanvas* Canvas) : FDC(Canvas->Handle()), FMode(::GetMapMode(FDC)) {}
    ~TKeepMapMode() { ::SetMapMode(FDC, FMode); }
    TKeepMapMode(const TKeepMapMode&) = delete;
    TKeepMapMode& operator=(const TKeepMapMode&) = delete;

private:
    HDC FDC;
    int FMode;
};

TGridRect WholeGrid(TDidAririzEvar* G)
{
    return TGridRect{0, 0, G->GetColCountEx() - 1, G->GetRowCountEx() - 1};
}

} // namespace

void TDidAririzEvar::Print()
{
    PrivatePrintRect(WholeGrid(this), false);
}

void TDidAririzEvar::PrintSelection()
{
    PrivatePrintRect(GetSelectionEx(), false);
}

void TDidAririzEvar::PrintRect(const TGridRect& GridRect)
{
    PrivatePrintRect(GridRect, false);
}

void TDidAririzEvar::PrintSelectedRows()
{
    PrivatePrintRect(WholeGrid(this), true);
}

void TDidAririzEvar::PrintSelectedCols()
{
    PrivatePrintRect(WholeGrid(this), true);
}

void TDidAririzEvar::PrintPreview(TCanvas* Canvas, const TRect& Rect)
{
    PrivatePrintPreviewRect(Canvas, Rect, WholeGrid(this), false);
}

void TDidAririzEvar::PrintPreviewRect(TCanvas* Canvas, const TRect& Rect, const TGridRect& GridRect)
{
    PrivatePrintPreviewRect(Canvas, Rect, GridRect, false);
}

void TDidAririzEvar::PrintPreviewSelection(TCanvas* Canvas, const TRect& Rect)
{
    PrivatePrintPreviewRect(Canvas, Rect, GetSelectionEx(), false);
}

void TDidAririzEvar::PrintPreviewSelectedRows(TCanvas* Canvas, const TRect& Rect)
{
    PrivatePrintPreviewRect(Canvas, Rect, WholeGrid(this), true);
}

void TDidAririzEvar::PrintPreviewSelectedCols(TCanvas* Canvas, const TRect& Rect)
{
    PrivatePrintPreviewRect(Canvas, Rect, WholeGrid(this), true);
}

void TDidAririzEvar::SetPreviewPage(Integer PageNr)
{
    FXchg.Print.PageFrom = PageNr;
    FXchg.Print.PageTo = PageNr;
}

void TDidAririzEvar::PrintDraw(TCanvas* Canvas, const TRect& Rect)
{
    PrintDrawRect(Canvas, Rect, WholeGrid(this));
}

void TDidAririzEvar::PrintDrawRect(TCanvas* Canvas, const TRect& Rect, const TGridRect& GridRect)
{
    TGridPrintState& St = FXchg.Print;
    St.PrintRange = GridRect;
    St.PageRect = Rect;
    St.PageFrom = St.PageTo = St.PageCount = 1;
    TKeepMapMode Keep(Canvas);
    ::SetMapMode(Canvas->Handle(), MM_LOMETRIC);
    BuildPages(Canvas, prPrint, 1, false);
}

void TDidAririzEvar::PrivatePrintRect(const TGridRect& GridRect, bool SelectedOnly)
{
    TGridPrintState& St = FXchg.Print;
    ExportNotification(esExportStart, -1);
    St.PrintRange = GridRect;
    TPrinter* P = Printer();
    if (!FPrintSettings->UseDefaultOrientation)
        P->SetOrientation(FPrintSettings->Orientation == RudUvudPrint::poLandscape ? poLandscape
                                                                                   : poPortrait);
    const HDC IC = P->Handle();
    St.PageRect = TRect{0, 0, Integer(std::lround(254.0 / ::GetDeviceCaps(IC, LOGPIXELSX) * P->PageWidth())),
                        Integer(std::lround(254.0 / ::GetDeviceCaps(IC, LOGPIXELSY) * P->PageHeight()))};
    P->SetTitle(FPrintSettings->JobName);
    P->BeginDoc();
    TCanvas* C = P->Canvas();
    Integer Pages = INT_MAX;
    if (!St.SkipPageCount) {
        // A counting pass that fails leaves no job behind.
        try {
            TKeepMapMode Keep(C);
            ::SetMapMode(C->Handle(), MM_LOMETRIC);
            Pages = BuildPages(C, prCalcPrint, -1, SelectedOnly);
        } catch (...) {
            P->Abort();
            throw;
        }
    }
    St.PageFrom = 1;
    St.PageTo = Pages;
    St.PageCount = Pages;
    if (OnPrintStart) {
        P->Abort();
        OnPrintStart(this, Pages, St.PageFrom, St.PageTo);
        if (St.PageFrom == 0 || St.PageTo == 0 || St.PageTo < St.PageFrom) {
            // Nothing chosen: nothing printed, and the start is still answered by a done.
            ExportNotification(esExportDone, -1);
            return;
        }
        P->BeginDoc();
        C = P->Canvas();
    }
    St.PageCount = St.PageTo;
    try {
        TKeepMapMode Keep(C);
        ::SetMapMode(C->Handle(), MM_LOMETRIC);
        BuildPages(C, prPrint, Pages, SelectedOnly);
    } catch (...) {
        P->EndDoc();
        throw;
    }
    P->EndDoc();
    ExportNotification(esExportDone, -1);
}

void TDidAririzEvar::PrivatePrintPreviewRect(TCanvas* Canvas, const TRect& Rect, const TGridRect& GridRect,
                                             bool SelectedOnly)
{
    TGridPrintState& St = FXchg.Print;
    ExportNotification(esExportStart, -1);
    St.PrintRange = GridRect;
    struct TDone {
        TDidAririzEvar* G;
        ~TDone() { G->ExportNotification(esExportDone, -1); }
    } Done{this};
    // The canvas gets its map mode back whether pages were chosen or not.
    TKeepMapMode Keep(Canvas);
    ::SetMapMode(Canvas->Handle(), MM_LOMETRIC);
    St.PageRect = Rect;
    Integer Pages = 1;
    if (!St.SkipPageCount) {
        Pages = BuildPages(Canvas, prCalcPreview, -1, SelectedOnly);
        St.PageCount = Pages;
    }
    Integer From = 1, To = Pages;
    if (OnPrintStart)
        OnPrintStart(this, Pages, From, To);
    if (From > 0 && To > 0 && To >= From) {
        St.PageRect = Rect;
        BuildPages(Canvas, prPreview, Pages, SelectedOnly);
    }
}

Integer TDidAririzEvar::PrintPageCount() const
{
    return FXchg.Print.PageCount;
}

bool TDidAririzEvar::SkipPageCount() const
{
    return FXchg.Print.SkipPageCount;
}

void TDidAririzEvar::SetSkipPageCount(bool V)
{
    FXchg.Print.SkipPageCount = V;
}

bool TDidAririzEvar::PrintRotateByOrientation() const
{
    return FXchg.Print.RotateByOrientation;
}

void TDidAririzEvar::SetPrintRotateByOrientation(bool V)
{
    FXchg.Print.RotateByOrientation = V;
}

const std::vector<Integer>& TDidAririzEvar::PrintLayoutWidths() const
{
    return FXchg.Print.ColWidths;
}

const std::vector<Integer>& TDidAririzEvar::PrintLayoutPositions() const
{
    return FXchg.Print.ColPos;
}

// ---- Text measuring ---------------------------------------------------------------------------

Integer TDidAririzEvar::XOffsetSize()
{
    return FGraph.XYOffsetTopLeft ? XYOffset().X : 2 * XYOffset().X;
}

Integer TDidAririzEvar::YOffsetSize()
{
    return FGraph.XYOffsetTopLeft ? XYOffset().Y : 2 * XYOffset().Y;
}

Integer TDidAririzEvar::MaxLinesInGrid()
{
    if (!Multilinecells() || GetColCountEx() < 1 || GetRowCountEx() < 1)
        return 1;
    Integer Most = 1;
    for (Integer C = 0; C < GetColCountEx(); ++C)
        for (Integer R = 0; R < GetRowCountEx(); ++R)
            Most = std::max(Most, LinesInText(GetCellEx(RemapCol(C), R), true));
    return Most;
}

Integer TDidAririzEvar::MaxLinesInRow(Integer ARow)
{
    if (!Multilinecells() || GetColCountEx() < 1)
        return 1;
    Integer Most = 1;
    for (Integer C = 0; C < GetColCountEx(); ++C)
        Most = std::max(Most, LinesInText(GetCellEx(RemapCol(C), ARow), true));
    return Most;
}

void TDidAririzEvar::CalcTextPos(TRect& Rect, Integer Angle, const AnsiString& Text, TAlignment HAlign,
                                 TVAlignment VAlign)
{
    TCanvas* C = MeasureCanvas();
    const HDC DC = C->Handle();
    SIZE E{};
    {
        TSelectObject Sel(DC, C->Font()->Handle());
        ::GetTextExtentPoint32(DC, Text.c_str(), static_cast<int>(Text.size()), &E);
    }
    Rect = TRect{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2};
    const double A = Angle * std::numbers::pi / 180.0;
    auto T = [](double V) { return std::abs(static_cast<Integer>(std::trunc(V))); };
    RotatedTextOrigin(Rect, HAlign, VAlign, Angle, T(std::cos(A) * E.cx), T(std::sin(A) * E.cy),
                      T(std::sin(A) * E.cx), T(std::cos(A) * E.cy));
}
