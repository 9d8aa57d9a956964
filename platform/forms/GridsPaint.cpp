// Painting of the grid: lines, the four areas of cells (fixed corner, fixed row, fixed column,
// scrolled cells), the area past the last cell, and the XOR feedback of sizing and moving.

#include "platform/forms/Grids.h"

#include <algorithm>

namespace {

constexpr TColor GridLineColor = clSilver;
constexpr TColor FixedLineColor = clBlack;

} // namespace

void TCustomGrid::DrawCell(Integer, Integer, const TRect&, TGridDrawState) {}

// Lines are drawn as filled strips in the gaps that the line width leaves between cells; the
// cells are drawn afterwards and never cover them.
void TCustomGrid::DrawLines(TGridDrawInfo& Info)
{
    TCanvas* C = Canvas();
    auto Strip = [&](const TRect& R, TColor Color) {
        if (R.Right <= R.Left || R.Bottom <= R.Top)
            return;
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Color);
        C->FillRect(R);
    };
    const Integer HW = Info.Horz.EffectiveLineWidth, VW = Info.Vert.EffectiveLineWidth;
    const Integer Right = Info.Horz.GridBoundary, Bottom = Info.Vert.GridBoundary;

    // Vertical lines after each column shown.
    if (HW > 0) {
        Integer X = 0;
        auto Col = [&](Integer I, bool Fixed) {
            X += FCols.Size(I);
            const bool Want = Fixed ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine);
            if (Fixed) {
                if (Want)
                    Strip(TRect{X, 0, X + HW, Bottom}, FixedLineColor);
            } else {
                if (FOptions.Contains(goFixedVertLine))
                    Strip(TRect{X, 0, X + HW, Info.Vert.FixedBoundary}, FixedLineColor);
                if (Want)
                    Strip(TRect{X, Info.Vert.FixedBoundary, X + HW, Bottom}, GridLineColor);
            }
            X += HW;
        };
        for (Integer I = 0; I < FFixedCols && X < Right; ++I)
            Col(I, true);
        for (Integer I = FTopLeft.X; I < FColCount && X < Right; ++I)
            Col(I, false);
    }
    if (VW > 0) {
        Integer Y = 0;
        auto Row = [&](Integer I, bool Fixed) {
            Y += FRows.Size(I);
            const bool Want = Fixed ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine);
            if (Fixed) {
                if (Want)
                    Strip(TRect{0, Y, Right, Y + VW}, FixedLineColor);
            } else {
                if (FOptions.Contains(goFixedHorzLine))
                    Strip(TRect{0, Y, Info.Horz.FixedBoundary, Y + VW}, FixedLineColor);
                if (Want)
                    Strip(TRect{Info.Horz.FixedBoundary, Y, Right, Y + VW}, GridLineColor);
            }
            Y += VW;
        };
        for (Integer I = 0; I < FFixedRows && Y < Bottom; ++I)
            Row(I, true);
        for (Integer I = FTopLeft.Y; I < FRowCount && Y < Bottom; ++I)
            Row(I, false);
    }
}

void TCustomGrid::DrawCells(TGridDrawInfo& Info, Integer ACol, Integer ARow, Integer StartX, Integer StartY,
                            Integer StopX, Integer StopY, TColor AColor, TGridDrawState AState)
{
    TCanvas* C = Canvas();
    const HDC DC = C->Handle();
    const TGridRect Sel = Selection();
    const bool Focused = IsActiveControl();
    const bool Designing = ComponentState().Contains(csDesigning);
    Integer CurRow = ARow;
    TRect Where;
    Where.Top = StartY;
    while (Where.Top < StopY && CurRow < FRowCount) {
        Integer CurCol = ACol;
        Where.Left = StartX;
        Where.Bottom = Where.Top + FRows.Size(CurRow);
        while (Where.Left < StopX && CurCol < FColCount) {
            Where.Right = Where.Left + FCols.Size(CurCol);
            RECT W{Where.Left, Where.Top, Where.Right, Where.Bottom};
            if (Where.Right > Where.Left && Where.Bottom > Where.Top && RectVisible(DC, &W)) {
                TGridDrawState State = AState;
                if (Focused && CurRow == FCurrent.Y && CurCol == FCurrent.X)
                    State.Include(gdFocused);
                if (!AState.Contains(gdFixed) &&
                    ((CurCol >= std::min(Sel.Left, Sel.Right) && CurCol <= std::max(Sel.Left, Sel.Right) &&
                      CurRow >= std::min(Sel.Top, Sel.Bottom) && CurRow <= std::max(Sel.Top, Sel.Bottom))))
                    State.Include(gdSelected);
                // The cell under a shown editor is the editor's to draw. Editor mode alone is not
                // enough: a grid built on this one may keep it on with no text editor shown (its
                // other editors and its check box or button cells), and the cell must be painted.
                const bool UnderEditor = State.Contains(gdFocused) && FEditorMode && !Designing &&
                                         FInplaceEdit && FInplaceEdit->Visible() && CurCol == FInplaceCol &&
                                         CurRow == FInplaceRow;
                if (!UnderEditor) {
                    if (FDefaultDrawing || Designing) {
                        C->Font()->Assign(Font());
                        C->Brush()->SetStyle(bsSolid);
                        if (State.Contains(gdSelected) &&
                            (!State.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                             FOptions.Contains(goRowSelect))) {
                            C->Brush()->SetColor(clHighlight);
                            C->Font()->SetColor(clHighlightText);
                        } else {
                            C->Brush()->SetColor(AColor);
                        }
                        C->FillRect(Where);
                    }
                    DrawCell(CurCol, CurRow, Where, State);
                    if (FDefaultDrawing && !Designing && State.Contains(gdFocused) &&
                        !(FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor)) &&
                        !FOptions.Contains(goRowSelect)) {
                        RECT F{Where.Left, Where.Top, Where.Right, Where.Bottom};
                        ::DrawFocusRect(C->Handle(), &F);
                    }
                }
            }
            Where.Left = Where.Right + Info.Horz.EffectiveLineWidth;
            ++CurCol;
        }
        Where.Top = Where.Bottom + Info.Vert.EffectiveLineWidth;
        ++CurRow;
    }
}

void TCustomGrid::Paint()
{
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    TCanvas* C = Canvas();
    if (Info.Horz.EffectiveLineWidth > 0 || Info.Vert.EffectiveLineWidth > 0)
        DrawLines(Info);

    const Integer FixedW = Info.Horz.FixedBoundary, FixedH = Info.Vert.FixedBoundary;
    DrawCells(Info, 0, 0, 0, 0, FixedW, FixedH, FFixedColor, TGridDrawState{gdFixed});
    DrawCells(Info, FTopLeft.X, 0, FixedW, 0, Info.Horz.GridBoundary, FixedH, FFixedColor,
              TGridDrawState{gdFixed});
    DrawCells(Info, 0, FTopLeft.Y, 0, FixedH, FixedW, Info.Vert.GridBoundary, FFixedColor,
              TGridDrawState{gdFixed});
    DrawCells(Info, FTopLeft.X, FTopLeft.Y, FixedW, FixedH, Info.Horz.GridBoundary, Info.Vert.GridBoundary,
              FColor, TGridDrawState{});

    if (FOptions.Contains(goRowSelect) && FDefaultDrawing && IsActiveControl() &&
        !ComponentState().Contains(csDesigning)) {
        TRect R;
        GridRectToScreenRect(Selection(), R, false);
        RECT F{R.Left, R.Top, R.Right, R.Bottom};
        if (R.Right > R.Left)
            ::DrawFocusRect(C->Handle(), &F);
    }

    // What lies past the last column and row.
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(FColor);
    if (Info.Horz.GridBoundary < Info.Horz.GridExtent)
        C->FillRect(TRect{Info.Horz.GridBoundary, 0, Info.Horz.GridExtent, Info.Vert.GridBoundary});
    if (Info.Vert.GridBoundary < Info.Vert.GridExtent)
        C->FillRect(TRect{0, Info.Vert.GridBoundary, Info.Horz.GridExtent, Info.Vert.GridExtent});
}

// The sizing line is inverted on the window directly (drawing it twice removes it).
void TCustomGrid::DrawSizingLine(const TGridDrawInfo& DrawInfo)
{
    if (!HandleAllocated() || !IsWindow(FHandle))
        return;
    const TWindowDC DC(FHandle, GetDC(FHandle));
    if (FGridState == gsRowSizing)
        PatBlt(DC.get(), 0, FSizingPos, DrawInfo.Horz.GridBoundary, 1, DSTINVERT);
    else if (FGridState == gsColSizing)
        PatBlt(DC.get(), FSizingPos, 0, 1, DrawInfo.Vert.GridBoundary, DSTINVERT);
}

// The insertion mark of a row or column being moved: a two-pixel inverted bar at the edge where
// the item would land.
void TCustomGrid::DrawMove()
{
    if (!HandleAllocated() || !IsWindow(FHandle))
        return;
    TRect R = CellRect(FMovePos, FMovePos);
    if (FGridState == gsRowMoving)
        R = CellRect(0, FMovePos);
    else if (FGridState == gsColMoving)
        R = CellRect(FMovePos, 0);
    else
        return;
    if (R.Right <= R.Left && R.Bottom <= R.Top)
        return;
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    const TWindowDC DC(FHandle, GetDC(FHandle));
    if (FGridState == gsRowMoving) {
        const Integer Y = FMovePos > FMoveIndex ? R.Bottom : R.Top;
        PatBlt(DC.get(), 0, Y - 1, Info.Horz.GridBoundary, 2, DSTINVERT);
    } else {
        const Integer X = FMovePos > FMoveIndex ? R.Right : R.Left;
        PatBlt(DC.get(), X - 1, 0, 2, Info.Vert.GridBoundary, DSTINVERT);
    }
}
