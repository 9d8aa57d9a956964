// Members of TDidAririzEvar declared by the column and row figures, numbering, automatic sizing
// and swapping of columns and rows (exchange/GridFigures.cpp) and by the floating footer
// (exchange/FloatingFooter.cpp). Included only inside the class body in core/RudUvud.h; the
// types these declarations use are included there.

public:
// ======== Figures, numbering, automatic sizing, swaps (exchange/GridFigures.cpp) ========
using TGroupCalcEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer FromRow, Integer ToRow, Double& Res)>;

// Limits of every width and height the sizing operations set (CheckLimits: a limit of 0 or less
// is not applied, equal limits mean none). Loading sets MinColWidth to 10 and MinRowHeight to
// the default row height.
Integer MinColWidth = 0;
Integer MaxColWidth = 0;
Integer MinRowHeight = 0;
Integer MaxRowHeight = 0;
// Sizing only widens columns and heightens rows.
bool AutoSizeGrowOnly = false;
// Numbering runs from the last row (column) backwards, adds AutoNumberStart to every number and
// skips the first AutoNumberOffset normal rows (columns).
bool AutoNumberReverse = false;
Integer AutoNumberStart = 0;
Integer AutoNumberOffset = 0;

// The value OnGroupCalc leaves for rows FromRow..ToRow of column ACol (0 without a handler).
Double ColumnCustomCalc(Integer ACol, Integer FromRow, Integer ToRow);
// Figures of display row ARow over columns FromCol..ToCol (base cells only; cells that are no
// number are left out). Min and Max start from the first cell of the range and raise
// ERudUvudError "Cell does not contain a float value" when that one is no number. An empty range
// gives 0.
Double RowSum(Integer ARow, Integer FromCol, Integer ToCol);
Double RowAvg(Integer ARow, Integer FromCol, Integer ToCol);
Double RowMin(Integer ARow, Integer FromCol, Integer ToCol);
Double RowMax(Integer ARow, Integer FromCol, Integer ToCol);

// Writes running numbers into the normal rows of column ACol (normal columns of row ARow).
void AutoNumberCol(Integer ACol);
void AutoNumberRow(Integer ARow);

// Sizes every column and row (from 0 with DoFixed, else from the fixed ones on) to its cells;
// rows only grow.
void AutoSizeCells(bool DoFixed, Integer ExtraX, Integer ExtraY);
// AutoSizeCol for every column (normal ones only without DoFixed), then Extra more within the
// width limits.
void AutoSizeColumns(bool DoFixed, Integer Extra);
void AutoSizeCol(Integer ACol, Integer Extra);
// Sets display column ACol's width to its widest cell among the rows ColumnSize.Rows names.
void SizeToWidth(Integer ACol, bool GrowOnly);
void AutoSizeRows(bool DoFixed, Integer Extra);
void AutoSizeRow(Integer ARow, Integer Extra);
// Sets row ARow's height to its tallest cell.
void SizeToHeight(Integer ARow, bool GrowOnly);
// Sets row ARow's height to Lines text lines plus Extra.
void SizeToLines(Integer ARow, Integer Lines, Integer Extra);
// Sizes the client area to the columns, the rows or both.
void SizeToCols();
void SizeToRows();
void SizeToCells();
// Stretches or shrinks the columns (all with DoFixed, else the normal ones) to fill the width.
void AutoFitColumns(bool DoFixed);

// Exchange two real columns (two display rows) with their widths (heights). Hidden cells travel
// with them; per-row and per-column lists stay.
void SwapColumns(Integer ACol1, Integer ACol2);
void SwapRows(Integer ARow1, Integer ARow2);

TGroupCalcEvent OnGroupCalc;

private:
// The largest text-plus-graphic height among row ARow's cells.
Integer TallestCell(Integer ARow);

public:
// ======== Floating footer (exchange/FloatingFooter.cpp) ========
TFooterPanel* FooterPanel() const
{
    return FFooterPanel;
}
// The footer panel's canvas.
TCanvas* GetFooterCanvas();
// On while the footer panel has grid cells painted on its canvas; their rectangles then come
// mirrored already in right-to-left display.
bool FooterPainting() const
{
    return FFooterPainting;
}

TFooterPaintEvent OnFooterPaint;
TNotifyEvent OnCreatedFloatingFooter;

private:
friend class TFloatingFooter;
friend class TFooterPanel;
bool FFooterPainting = false;

public:
