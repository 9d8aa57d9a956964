// Row figures, the custom column figure, numbering, automatic sizing of columns, rows and the
// control, fitting the columns into the width, and swapping two columns or rows. The column
// figures the footer and grouping use live with the footer's calculation (core/GridFilter.cpp).
//
// Every sizing operation measures through the grid's own text and graphic measuring
// (GetCellTextSize, GetCellGraphicSize), which sets the cell's font and colours itself, so a
// column or row is sized exactly as it is painted.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridPaintState.h"

#include "RudUvud/support/DerOdoz.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <utility>

namespace {

// A row figure's walk over the base cells of the range; cells that are no number are left out.
template <class F> void WalkRow(TDidAririzEvar* G, Integer ARow, Integer FromCol, Integer ToCol, F Add)
{
    for (Integer X = FromCol; X <= ToCol; ++X) {
        if (!G->IsBaseCell(X, ARow))
            continue;
        try {
            Add(G->GetFloats(X, ARow));
        } catch (const ERudUvudError&) {
            // Left out.
        }
    }
}

bool IsToggleCell(TCellType T)
{
    return T == ctCheckBox || T == ctDataCheckBox || T == ctVirtCheckBox || T == ctRadioButton;
}

} // namespace

// ---- Figures --------------------------------------------------------------------------------------

Double TDidAririzEvar::ColumnCustomCalc(Integer ACol, Integer FromRow, Integer ToRow)
{
    Double Res = 0;
    if (OnGroupCalc)
        OnGroupCalc(this, ACol, FromRow, ToRow, Res);
    return Res;
}

Double TDidAririzEvar::RowSum(Integer ARow, Integer FromCol, Integer ToCol)
{
    Double Sum = 0;
    WalkRow(this, ARow, FromCol, ToCol, [&](Double V) { Sum += V; });
    return Sum;
}

Double TDidAririzEvar::RowAvg(Integer ARow, Integer FromCol, Integer ToCol)
{
    const Integer N = ToCol - FromCol + 1;
    return N > 0 ? RowSum(ARow, FromCol, ToCol) / N : 0;
}

Double TDidAririzEvar::RowMin(Integer ARow, Integer FromCol, Integer ToCol)
{
    Double Min = GetFloats(FromCol, ARow);
    WalkRow(this, ARow, FromCol, ToCol, [&](Double V) { Min = V < Min ? V : Min; });
    return Min;
}

Double TDidAririzEvar::RowMax(Integer ARow, Integer FromCol, Integer ToCol)
{
    Double Max = GetFloats(FromCol, ARow);
    WalkRow(this, ARow, FromCol, ToCol, [&](Double V) { Max = V > Max ? V : Max; });
    return Max;
}

// ---- Numbering ------------------------------------------------------------------------------------

void TDidAririzEvar::AutoNumberCol(Integer ACol)
{
    if (RowCount() <= 0)
        return;
    const Integer First = FixedRows() + AutoNumberOffset;
    const Integer Last = RowCount() - FixedFooters() - 1;
    for (Integer B = First; B <= Last; ++B)
        SetInts(ACol, AutoNumberReverse ? FixedRows() + Last - B : B, AutoNumberStart + B - FixedRows() + 1);
}

void TDidAririzEvar::AutoNumberRow(Integer ARow)
{
    if (ColCount() <= 0)
        return;
    const Integer First = FixedCols() + AutoNumberOffset;
    const Integer Last = ColCount() - FixedRightCols() - 1;
    for (Integer B = First; B <= Last; ++B)
        SetInts(AutoNumberReverse ? FixedCols() + Last - B : B, ARow, AutoNumberStart + B - FixedCols() + 1);
}

// ---- Automatic sizing -----------------------------------------------------------------------------

namespace {

// The text margins of a cell: counted once with XYOffsetTopLeft, else on both sides.
Integer XMargins(TDidAririzEvar* G)
{
    return G->XYOffsetTopLeft() ? G->XYOffset().X : 2 * G->XYOffset().X;
}

Integer YMargins(TDidAririzEvar* G)
{
    return G->XYOffsetTopLeft() ? G->XYOffset().Y : 2 * G->XYOffset().Y;
}

} // namespace

void TDidAririzEvar::AutoSizeCells(bool DoFixed, Integer ExtraX, Integer ExtraY)
{
    BeginUpdate();
    try {
        const Integer FirstCol = DoFixed ? 0 : FixedCols();
        const Integer FirstRow = DoFixed ? 0 : FixedRows();
        for (Integer I = FirstCol; I < ColCount(); ++I) {
            Integer W = AutoSizeGrowOnly ? ColWidths(I) : 0;
            const Integer RC = RemapCol(I);
            for (Integer J = FirstRow; J < RowCount(); ++J) {
                const Integer H = RowHeights(J);
                const TPoint Graphic = GetCellGraphicSize(RC, J);
                const TPoint Text = GetCellTextSize(RC, J, WordWrap(), false);
                Integer Width = Text.X + Graphic.X + ExtraX + XYOffset().X;
                Integer Height = Text.Y + Graphic.Y + ExtraY + XYOffset().Y;
                if (!IsXMergedCell(RC, J) && W < Width) {
                    Width = CheckLimits(Width, MinColWidth, MaxColWidth);
                    if (Width > W) {
                        SetColWidths(I, Width);
                        W = Width;
                    }
                }
                if (!IsYMergedCell(RC, J) && H < Height) {
                    Height = CheckLimits(Height, MinRowHeight, MaxRowHeight);
                    if (Height > H)
                        SetRowHeights(J, Height);
                }
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TDidAririzEvar::AutoSizeColumns(bool DoFixed, Integer Extra)
{
    const Integer From = DoFixed ? 0 : FixedCols();
    const Integer To = DoFixed ? ColCount() - 1 : ColCount() - FixedRightCols() - 1;
    for (Integer C = From; C <= To; ++C) {
        AutoSizeCol(C, 0);
        if (Extra != 0)
            SetColWidths(C, CheckLimits(ColWidths(C) + Extra, MinColWidth, MaxColWidth));
    }
}

void TDidAririzEvar::AutoSizeCol(Integer ACol, Integer Extra)
{
    SizeToWidth(ACol, AutoSizeGrowOnly);
    SetColWidths(ACol, CheckLimits(ColWidths(ACol) + Extra, MinColWidth, MaxColWidth));
}

void TDidAririzEvar::SizeToWidth(Integer ACol, bool GrowOnly)
{
    Integer From = 0, To = RowCount() - 1;
    switch (ColumnSize()->Rows) {
    case arAll:
        break;
    case arNormal:
        From = FixedRows();
        To = RowCount() - FixedFooters() - 1;
        break;
    case arFixed:
        To = FixedRows() - 1;
        break;
    }
    const Integer RC = RemapCol(ACol);
    const Integer LineW = GridLineWidth();
    const bool Combos = ControlLook()->DropDownAlwaysVisible;
    Integer Largest = 0;
    for (Integer R = From; R <= To; ++R) {
        if (IsXMergedCell(RC, R))
            continue;
        const TPoint Graphic = GetCellGraphicSize(RC, R);
        Integer W = Graphic.X + GetCellTextSizeInt(RC, ACol, R, false, false).X;
        if (Combos && HasCombo(ACol, R))
            W += 16;
        if (TCellGraphic* CG = GetCellGraphic(RC, R); CG && CG->CellHAlign == haFull)
            W = Graphic.X - 2 * LineW - XYOffset().X - 2;
        Largest = std::max(Largest, W);
    }
    Integer Width = XMargins(this) + Largest + 2 * LineW + 2;
    if (!GrowOnly || ColWidths(ACol) < Width) {
        UpdateAutoColSize(ACol, Width);
        SetColWidths(ACol, CheckLimits(Width, MinColWidth, MaxColWidth));
    }
}

Integer TDidAririzEvar::TallestCell(Integer ARow)
{
    Integer Largest = 0;
    for (Integer X = 0; X < ColCount(); ++X) {
        const Integer RC = RemapCol(X);
        if (IsYMergedCell(RC, ARow) || IsIgnoredColumn(X))
            continue;
        Integer T = GetCellTextSize(RC, ARow, WordWrap(), false).Y;
        Integer G = GetCellGraphicSize(RC, ARow).Y;
        const TCellType Type = GetCellType(RC, ARow);
        if (TCellGraphic* CG = GetCellGraphic(RC, ARow)) {
            if (CG->CellVAlign == vaFull)
                G = T != 0 ? 0 : DefaultRowHeight();
            if ((Type == ctDataCheckBox || Type == ctVirtCheckBox) && G > 0)
                T = 0;
        }
        Integer H = T + G;
        if (IsMergedNonBaseCell(RC, ARow))
            H = 0;
        if (IsToggleCell(Type))
            H = DefaultRowHeight();
        Largest = std::max(Largest, H);
    }
    return Largest;
}

void TDidAririzEvar::SizeToHeight(Integer ARow, bool GrowOnly)
{
    Integer Height = YMargins(this) + TallestCell(ARow) + 2 * GridLineWidth();
    if (XYOffsetTopLeft())
        Height += 2;
    if (GrowOnly && RowHeights(ARow) >= Height)
        return;
    const auto AllRowsVisible = [this] { return VisibleRowCount() + FixedRows() >= RowCount(); };
    const bool AllVisibleBefore = AllRowsVisible();
    SetRowHeights(ARow, CheckLimits(Height, MinRowHeight, MaxRowHeight));
    // A row growing while its text is typed can push the edited row out of view: the editor is
    // placed again and its caret kept at the end of the text.
    if (AllVisibleBefore && EditorMode() && SizeWhileTyping()->Height && !AllRowsVisible()) {
        ShowInplaceEdit();
        if (TInplaceEdit* E = GetInplaceEditor())
            E->SetSelStart(static_cast<Integer>(E->Text().size()));
    }
}

void TDidAririzEvar::AutoSizeRows(bool DoFixed, Integer Extra)
{
    if (RowCount() == 0)
        return;
    const Integer First = DoFixed ? 0 : FixedRows();
    ExportNotification(esExportStart, First);
    for (Integer R = First; R < RowCount(); ++R) {
        ExportNotification(esExportNextRow, R);
        if (WordWrap()) {
            AutoSizeRow(R, 0);
            if (Extra != 0)
                SetRowHeights(R, CheckLimits(RowHeights(R) + Extra, MinRowHeight, MaxRowHeight));
        } else {
            SizeToLines(R, MaxLinesInRow(R), Extra);
        }
    }
    ExportNotification(esExportDone, -1);
    UpdateScrollBars(false);
}

void TDidAririzEvar::AutoSizeRow(Integer ARow, Integer Extra)
{
    SizeToHeight(ARow, AutoSizeGrowOnly);
    SetRowHeights(ARow, CheckLimits(RowHeights(ARow) + Extra, MinRowHeight, MaxRowHeight));
}

void TDidAririzEvar::SizeToLines(Integer ARow, Integer Lines, Integer Extra)
{
    TCanvas* C = MeasureCanvas();
    C->Font()->Assign(Font());
    GetCellColor(FixedCols(), ARow, TGridDrawState{}, C->Brush(), C->Font());
    const Integer H = C->TextHeight("gh");
    SetRowHeights(ARow, CheckLimits(Extra + Lines * (H + H / 8), MinRowHeight, MaxRowHeight));
}

void TDidAririzEvar::SizeToCols()
{
    Integer W = 0;
    for (Integer C = 0; C < ColCount(); ++C)
        W += ColWidths(C);
    SetClientWidth(W);
}

void TDidAririzEvar::SizeToRows()
{
    Integer H = 0;
    for (Integer R = 0; R < RowCount(); ++R)
        H += RowHeights(R);
    SetClientHeight(H);
}

void TDidAririzEvar::SizeToCells()
{
    const TScrollStyle Saved = ScrollBars();
    SetScrollBars(ssNone);
    SizeToCols();
    SizeToRows();
    SetScrollBars(Saved);
}

// The columns are scaled by the room over their summed width, then the rounding leftovers are
// spread: evenly when there is at least one pixel for each column, the rest to the widest column,
// so that the columns fill the room exactly.
void TDidAririzEvar::AutoFitColumns(bool DoFixed)
{
    // 1.
    Integer SB = 0;
    const bool HasBars = ScrollBars() != ssNone;
    if (ScrollBarAlways() == saVert || (HasBars && VisibleRowCount() + FixedRows() < RowCount()))
        SB = ::GetSystemMetrics(SM_CXVSCROLL);
    const Integer BA = BorderStyle() == bsSingle ? (Ctl3D() ? 4 : 2) : 0;
    // 2.
    const Integer From = DoFixed ? 0 : FixedCols();
    const Integer To = DoFixed ? ColCount() - 1 : ColCount() - FixedRightCols() - 1;
    Integer W = Width();
    if (!DoFixed) {
        for (Integer C = 0; C < FixedCols(); ++C)
            W -= ColWidths(C);
        for (Integer C = ColCount() - FixedRightCols(); C < ColCount(); ++C)
            W -= ColWidths(C);
    }
    // 3.
    Integer GL = 0;
    if (Options().Contains(goVertLine))
        GL = GridLineWidth() * (ColCount() - FixedCols() - FixedRightCols());
    if (DoFixed && Options().Contains(goFixedVertLine))
        GL += FixedCols() + FixedRightCols();
    const auto RangeSum = [&] {
        Int64 S = 0;
        for (Integer C = From; C <= To; ++C)
            S += ColWidths(C);
        return S;
    };
    const Integer N = To - From + 1;
    // 4.
    if (ColCount() <= 1) {
        SetColWidths(0, Width() - SB - 5);
    } else if (N > 0) {
        const Int64 S = RangeSum();
        const Int64 Room = static_cast<Int64>(W) - SB - BA - GL;
        if (S == 0) {
            // Nothing to scale: the room is shared out evenly (the rest to the first column).
            for (Integer C = From; C <= To; ++C)
                SetColWidths(C, static_cast<Integer>(Room / N + (C == From ? Room % N : 0)));
        } else {
            const double F = static_cast<double>(Room) / static_cast<double>(S);
            Int64 T = 0;
            for (Integer C = From; C <= To; ++C)
                T += Round(ColWidths(C) * F);
            for (Integer C = From; C <= To; ++C)
                SetColWidths(C, static_cast<Integer>(Round(static_cast<double>(ColWidths(C)) * T / S)));
        }
    }
    if (N <= 0)
        return;
    // 5.
    Int64 R = static_cast<Int64>(W) - RangeSum() - SB - BA;
    if (N >= 2 && R > N) {
        const Int64 Each = R / N;
        for (Integer C = From; C <= To; ++C)
            SetColWidths(C, static_cast<Integer>(ColWidths(C) + Each));
        R -= Each * N;
    }
    // 6.
    Integer Widest = From;
    for (Integer C = From + 1; C <= To; ++C)
        if (ColWidths(C) > ColWidths(Widest))
            Widest = C;
    SetColWidths(Widest, static_cast<Integer>(ColWidths(Widest) + R));
}

// ---- Swaps ----------------------------------------------------------------------------------------

void TDidAririzEvar::SwapColumns(Integer ACol1, Integer ACol2)
{
    const Integer Total = TotalColCount();
    if (ACol1 < 0 || ACol2 < 0 || ACol1 >= Total || ACol2 >= Total)
        throw ERudUvudError("Invalid column accessed");
    if (ACol1 == ACol2)
        return;
    TGridCellStore& S = CellStore();
    for (Integer R = 0; R < RowCount(); ++R) {
        if (!S.Find(ACol1, R) && !S.Find(ACol2, R))
            continue;
        std::swap(S.Ensure(ACol1, R, Total), S.Ensure(ACol2, R, Total));
    }
    // Hidden rows keep their cells by real column too: they travel with the shown ones, or they
    // would come back under the other column.
    THiddenRows& Hidden = RowTables().Hidden();
    const auto Need = static_cast<size_t>(std::max(ACol1, ACol2) + 1);
    for (Integer I = 0; I < Hidden.Count(); ++I) {
        std::vector<TGridCell>& Items = Hidden[I].Items;
        if (Items.size() < Need)
            Items.resize(Need);
        std::swap(Items[ACol1], Items[ACol2]);
    }
    if (ACol1 < ColCount() && ACol2 < ColCount()) {
        const Integer W1 = ColWidths(ACol1);
        SetColWidths(ACol1, ColWidths(ACol2));
        SetColWidths(ACol2, W1);
    }
    if (SortSettings()->Column == ACol1)
        SortSettings()->Column = ACol2;
    else if (SortSettings()->Column == ACol2)
        SortSettings()->Column = ACol1;
    Invalidate();
}

void TDidAririzEvar::SwapRows(Integer ARow1, Integer ARow2)
{
    if (ARow1 < 0 || ARow2 < 0 || ARow1 >= RowCount() || ARow2 >= RowCount())
        throw ERudUvudError("Invalid row accessed");
    if (ARow1 == ARow2)
        return;
    // Whole rows (hidden columns included) and their heights; per-row lists stay where they are.
    ExchangeRowData(ARow1, ARow2);
    RowHeightsChanged();
}
