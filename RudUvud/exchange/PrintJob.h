#pragma once

// The job state of one page-builder run, shared by the page builder (PrintPages.cpp) and the
// printed cells (PrintCells.cpp). Lengths are 0.1 mm in MM_LOMETRIC: x grows to the right from
// the page's left edge, y grows upward from the page's top edge (everything printed lies at
// negative y).

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/PaintTypes.h"
#include "RudUvud/exchange/GridPrintState.h"

#include "platform/win/Gdi.h"

struct TDidAririzEvar::TPrintJob {
    // Text is measured at one resolution for every device, in MM_LOMETRIC: the layout (column
    // widths, row heights, page breaks) is then the same on a printer, in a preview on the
    // screen and in a counting pass, whatever each device's text metrics round to.
    struct TMeasuringDC {
        HDC DC = ::CreateMeasuringDC(600, 600);
        TMeasuringDC() { ::SetMapMode(DC, MM_LOMETRIC); }
        ~TMeasuringDC() { ::DeleteDC(DC); }
        TMeasuringDC(const TMeasuringDC&) = delete;
        TMeasuringDC& operator=(const TMeasuringDC&) = delete;
    } MeasuringDC;
    TCanvas Measure; // on MeasuringDC
    TCanvas* Canvas = nullptr;
    TPrintMethod Method = prPrint;
    Integer Total = -1; // the page total shown in page numbers (-1 in a counting pass)
    bool SelectedOnly = false;
    double ResRatio = 1.0;    // canvas resolution / the grid window's resolution
    double PixelFactor = 1.0; // one screen pixel in 0.1 mm
    Integer ScreenDpi = 96;   // the grid canvas's resolution
    double FitScale = 1.0;
    // Scratch objects to save and restore the canvas's font, pen and brush.
    TFont Font1, Font2;
    TPen Pen;
    TBrush Brush1, Brush2;
    Integer HeaderTextHeight = 0, FooterTextHeight = 0, FontSize = 0;
    Integer S8 = 0;         // one eighth of a text line of the print font
    Integer TextMargin = 4; // horizontal text margin
    Integer PageWidth = 0, PageBottom = 0, LeftMargin = 0, Spacing = 0;
    Integer FirstCol = 0, LastCol = 0; // the current column strip
    Integer PageCounter = 0;           // completed pages (0-based)
    Integer Strip = 0;                 // 1-based
    Integer PageInStrip = 0;           // 0-based
    bool MoreStrips = false, Cancel = false;
    TGridExportState RowExport = esExportNewRow;
    bool RepeatCols = false;
    Integer RepeatWidth = 0;
    Integer Y = 0;
    Integer Slots = 0; // row slots printed on the current page
    Integer HeaderHeight = 0, FooterHeight = 0;
    Integer Row = 0, LastBreakRow = -1;
    // The row CalcPrintRowHeight measured last and its height.
    Integer CacheRow = -1, CacheHeight = 0;
    // Fixed row and column counts of the run.
    Integer FR = 0, FC = 0;

    std::vector<Integer>& Widths;
    std::vector<Integer>& Pos;
    TGridRect Range;

    explicit TPrintJob(TGridPrintState& S) : Widths(S.ColWidths), Pos(S.ColPos), Range(S.PrintRange)
    {
        Measure.SetHandle(MeasuringDC.DC);
    }
    ~TPrintJob() { Measure.SetHandle(nullptr); }
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;
    bool Drawing() const { return Method == prPreview || Method == prPrint; }
    HDC DC() const { return Canvas->Handle(); }
};

// Copies the canvas font into Save (and back) without converting its height between
// resolutions: in MM_LOMETRIC the height is in 0.1 mm whatever the font's resolution says.
inline void KeepFont(TFont& Save, TFont* Font)
{
    Save.SetPixelsPerInch(Font->PixelsPerInch());
    Save.Assign(Font);
}

inline void RestoreFont(TFont* Font, TFont& Saved)
{
    Font->SetPixelsPerInch(Saved.PixelsPerInch());
    Font->Assign(&Saved);
}
