// Members of TDidAririzEvar declared by the grid's own printing: the page builder, the printed
// cells and their measurement, the print and preview entry points and the text measuring
// routines (exchange/PrintPages.cpp, PrintCells.cpp, PrintEntry.cpp). Included only inside the
// class body in core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Printing and preview (exchange/PrintEntry.cpp) ========
// On the platform printer: the whole grid, the selection, a rectangle of display cells, or the
// selected rows and columns (both filters apply at once).
void Print();
void PrintSelection();
void PrintRect(const TGridRect& GridRect);
void PrintSelectedRows();
void PrintSelectedCols();
// One page (the one SetPreviewPage chose, page 1 at first) of the range drawn into Rect (device
// units of Canvas).
void PrintPreview(TCanvas* Canvas, const TRect& Rect);
void PrintPreviewRect(TCanvas* Canvas, const TRect& Rect, const TGridRect& GridRect);
void PrintPreviewSelection(TCanvas* Canvas, const TRect& Rect);
void PrintPreviewSelectedRows(TCanvas* Canvas, const TRect& Rect);
void PrintPreviewSelectedCols(TCanvas* Canvas, const TRect& Rect);
void SetPreviewPage(Integer PageNr);
// The first page of the range on Canvas; the page size is the canvas's clip rectangle.
void PrintDraw(TCanvas* Canvas, const TRect& Rect);
void PrintDrawRect(TCanvas* Canvas, const TRect& Rect, const TGridRect& GridRect);
// Pages of the last run (the last page to print after a printer job).
Integer PrintPageCount() const;
// The entry points leave out the counting pass (the page total is then unknown).
bool SkipPageCount() const;
void SetSkipPageCount(bool V);
// Rotated cell text printed by the font's orientation on a landscape printer.
bool PrintRotateByOrientation() const;
void SetPrintRotateByOrientation(bool V);
// Font height in 0.1 mm for a point size (with the fit-to-page scale), and back.
Integer MapFontHeight(Integer Size);
Integer MapFontSize(Integer Height);
// Column widths and positions (0.1 mm) of the last layout, by display column.
const std::vector<Integer>& PrintLayoutWidths() const;
const std::vector<Integer>& PrintLayoutPositions() const;

// ======== Text measuring (exchange/PrintEntry.cpp) ========
// The total horizontal and vertical text margin of a cell.
Integer XOffsetSize();
Integer YOffsetSize();
Integer MaxLinesInGrid();
Integer MaxLinesInRow(Integer ARow);
// Moves Rect's Left and Top to where rotated Text starts on the screen.
void CalcTextPos(TRect& Rect, Integer Angle, const AnsiString& Text, TAlignment HAlign, TVAlignment VAlign);
// Moves Rect's Left and Top to the start point of rotated text with the extents Wc, Hs (horizontal
// extents of its width and height) and Vw, Vh (vertical extents).
static void RotatedTextOrigin(TRect& Rect, TAlignment HAlign, TVAlignment VAlign, Integer Angle, Integer Wc,
                              Integer Hs, Integer Vw, Integer Vh);
// The printer driver's landscape rotation: 90, 270, or 0 without landscape.
static Integer PrinterLandscapeAngle();
// A bitmap's device-independent bits stretched into Rect of Canvas (SRCCOPY, or the raster
// operation Rop): the form every printer takes a picture in. Nothing for an empty bitmap.
static void StretchBitmapToRect(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);
static void StretchGraphicToRect(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, DWORD Rop);

TFitToPageEvent OnFitToPage;
TPrintColumnWidthEvent OnPrintSetColumnWidth;
TPrintRowHeightEvent OnPrintSetRowHeight;
TPrintPageEvent OnPrintPage;
TPrintNewPageEvent OnPrintNewPage;
TPrintPageDoneEvent OnPrintPageDone;
TPrintCancelEvent OnPrintCancel;
TPrintStartEvent OnPrintStart;
TCustomCellSizeEvent OnCustomCellSize;

protected:
// ======== Page builder and printed cells (exchange/PrintPages.cpp, PrintCells.cpp) ========
// One run's job state (exchange/PrintJob.h).
struct TPrintJob;
// Lays FPrintRange out on pages of Canvas (map mode MM_LOMETRIC), draws it in the drawing
// methods, and answers the number of pages.
Integer BuildPages(TCanvas* Canvas, TPrintMethod Method, Integer Total, bool SelectedOnly);
void PrivatePrintRect(const TGridRect& GridRect, bool SelectedOnly);
void PrivatePrintPreviewRect(TCanvas* Canvas, const TRect& Rect, const TGridRect& GridRect,
                             bool SelectedOnly);
void CalcPrintColumnWidths(TPrintJob& J);
// The cell graphic of a printed cell (PrintSettings.PrintGraphics): pictures and images through
// their bits, check boxes and radio buttons in the classic look, node boxes, bars and pies.
// R is the cell's graphic area, Place the graphic's own rectangle.
void PaintPrintedGraphic(TGridCellPaint& P, TCellGraphic& G, const TRect& R, const TRect& Place);
TPoint MeasurePrintCell(TPrintJob& J, Integer ACol, Integer ARow);
Integer CalcPrintRowHeight(TPrintJob& J, Integer ARow);
Integer PrintCellRow(TPrintJob& J, Integer Y, Integer FirstCol, Integer LastCol, Integer ARow);
void PrintCellBorders(TPrintJob& J, Integer Y, Integer DisplCol, Integer FirstCol, Integer ARow,
                      Integer CellHeight, Integer RowBlock, TPoint Ext);
void PrintHeaderFooter(TPrintJob& J);
void PrintNewPage(TPrintJob& J);
void PrintPageBorders(TPrintJob& J);
void PrintHeaderFooterHeights(TPrintJob& J);
bool PrintedCol(TPrintJob& J, Integer ACol);
bool PrintedRow(TPrintJob& J, Integer ARow);
