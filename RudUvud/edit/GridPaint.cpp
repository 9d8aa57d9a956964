// The grid's paint pipeline: the paint entry, the cell frame around the content (fixed-cell looks,
// row marker, fixed edges, borders), the painting events and the focus rectangle, and the XOR
// sizing lines. Only the cells the platform grid paints (those in view) come here, so the cost
// of a repaint depends on the window's size, not on the number of rows.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cmath>

namespace {

TColor Mix(TColor From, TColor To, Integer Step, Integer Steps)
{
    const COLORREF A = ColorToRGB(From), B = ColorToRGB(To);
    auto M = [&](int X, int Y) { return X + (Y - X) * Step / std::max<Integer>(Steps, 1); };
    return static_cast<TColor>(
        RGB(M(GetRValue(A), GetRValue(B)), M(GetGValue(A), GetGValue(B)), M(GetBValue(A), GetBValue(B))));
}

// A vertical two-colour gradient in at most 128 bands (one band per pixel row for low cells).
void VerticalGradient(TCanvas* C, TColor From, TColor To, const TRect& R)
{
    const Integer H = R.Bottom - R.Top;
    if (H <= 0 || R.Right <= R.Left)
        return;
    if (To == clNone || To == From) {
        C->Brush()->SetColor(From);
        C->FillRect(R);
        return;
    }
    const Integer Steps = std::clamp<Integer>(H, 1, 128);
    for (Integer I = 0; I < Steps; ++I) {
        C->Brush()->SetColor(Mix(From, To, I, std::max<Integer>(Steps - 1, 1)));
        C->FillRect(TRect{R.Left, R.Top + H * I / Steps, R.Right, R.Top + H * (I + 1) / Steps});
    }
}

// The look gradient of a fixed cell: upper half From..To and lower half MirrorFrom..MirrorTo
// when a mirror colour is set, else one gradient over the cell.
void LookGradient(TCanvas* C, TColor From, TColor To, TColor MirrorFrom, TColor MirrorTo, const TRect& R)
{
    if (MirrorFrom == clNone) {
        VerticalGradient(C, From, To, R);
        return;
    }
    const Integer Mid = R.Top + (R.Bottom - R.Top) / 2;
    VerticalGradient(C, From, To, TRect{R.Left, R.Top, R.Right, Mid});
    VerticalGradient(C, MirrorFrom, MirrorTo == clNone ? MirrorFrom : MirrorTo,
                     TRect{R.Left, Mid, R.Right, R.Bottom});
}

// The hover and pressed looks of fixed cells: the look gradient framed in a border colour.
void FramedGradient(TCanvas* C, TColor From, TColor To, TColor MirrorFrom, TColor MirrorTo, TColor Border,
                    const TRect& R)
{
    LookGradient(C, From, To, MirrorFrom, MirrorTo, R);
    if (Border == clNone || R.Right <= R.Left || R.Bottom <= R.Top)
        return;
    C->Brush()->SetColor(Border);
    C->FrameRect(R);
}

TColor Darken(TColor C)
{
    const COLORREF V = ColorToRGB(C);
    return static_cast<TColor>(RGB(GetRValue(V) / 2, GetGValue(V) / 2, GetBValue(V) / 2));
}

void Line(TCanvas* C, Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
}

} // namespace

void TDidAririzEvar::Paint()
{
    ++FPaint.Paints;
    TCanvas* C = Canvas();
    C->Pen()->SetStyle(psSolid);
    C->Brush()->SetStyle(bsSolid);
    TBaseGrid::Paint();
    C->Pen()->SetColor(clBlack);
    if (!FBackGround->Bitmap()->Empty() || FBackGround->ColorTo != clNone)
        PaintBackground();
    FPaint.FirstPaintDone = true;
    if (OnPaintDone)
        OnPaintDone(this);
}

void TDidAririzEvar::DrawGridCell(TCanvas* Canvas, Integer ACol, Integer ARow, TRect ARect,
                                  TGridDrawState AState)
{
    // Nothing thrown by an event handler or a painter may leave WM_PAINT: the same region would
    // be painted again and throw again for ever.
    try {
        TGridCellPaint P = CellPaintSetUp(Canvas, ACol, ARow, ARect, AState, false);
        RunCellPaintSteps(P);
    } catch (const std::exception&) {
        // Left as painted so far (see above).
    }
}

void TDidAririzEvar::PaintPrintedCell(TCanvas* Target, Integer ACol, Integer ARow, const TRect& ARect,
                                      double FontScale)
{
    TGridDrawState State;
    if (IsFixed(ACol, ARow) || ACol < FixedCols() || ARow < FixedRows())
        State += gdFixed;
    TGridCellPaint P = CellPaintSetUp(Target, ACol, ARow, ARect, State, true);
    if (FontScale != 1.0) {
        const Integer H = Target->Font()->Height();
        const auto Scaled = std::max<Integer>(1, static_cast<Integer>(std::lround(std::abs(H) * FontScale)));
        Target->Font()->SetHeight(H < 0 ? -Scaled : Scaled);
    }
    Target->Brush()->SetStyle(bsSolid);
    Target->FillRect(ARect);
    RunCellPaintSteps(P);
}

TGridCellPaint TDidAririzEvar::CellPaintSetUp(TCanvas* Canvas, Integer ACol, Integer ARow, const TRect& ARect,
                                              TGridDrawState AState, bool Printing)
{
    TGridCellPaint P;
    P.Canvas = Canvas;
    P.Printing = Printing;
    P.ACol = ACol;
    P.ARow = ARow;
    P.Rect = ARect;
    P.State = AState;
    // 2.
    P.RC = RealColIndex(ACol);
    // 4.
    P.WordWrap = FCore.WordWrap;
    P.VAlign = FCore.VAlignment;
    GetVisualProperties(ACol, ARow, P.State, Printing, false, true, Canvas->Brush(), P.ColorTo, P.MirrorColor,
                        P.MirrorColorTo, Canvas->Font(), P.HAlign, P.VAlign, P.WordWrap, P.GD);
    // 5.
    P.Graphic = GetGraphicDetails(P.RC, ARow, P.GraphicWidth, P.GraphicHeight, P.ShowText, P.GraphicHAlign,
                                  P.GraphicVAlign);
    if (P.RC == 0 && IsNode(ARow))
        if (const TCellProperties* CP = RecordAt(0, ARow))
            P.GraphicWidth = CP->NodeLevel() * 12 + 4;
    // 6.
    if (P.State.Contains(gdSelected) && !P.State.Contains(gdFocused) && FSel.SelectionColor == clNone)
        Canvas->Brush()->SetColor(clHighlight);
    // 7.
    if (FPaint.Zoom != 0)
        Canvas->Font()->SetSize(std::max<Integer>(1, Canvas->Font()->Size() + FPaint.Zoom));
    P.OwnBrush = Canvas->Brush()->Color();
    P.OwnFont = Canvas->Font()->Color();
    return P;
}

void TDidAririzEvar::RunCellPaintSteps(TGridCellPaint& P)
{
    for (const TGridPaintStep& S : CellPaintSteps())
        if (S.Draw)
            S.Draw(*this, P);
}

TGridPaintSteps& TDidAririzEvar::CellPaintSteps()
{
    TGridPaintSteps& Steps = FPaint.Steps;
    if (Steps.empty()) {
        auto Step = [](const char* Name, void (TDidAririzEvar::*Draw)(TGridCellPaint&)) {
            return TGridPaintStep{Name, [Draw](TDidAririzEvar& G, TGridCellPaint& P) { (G.*Draw)(P); }};
        };
        Steps = {
            // The row indicator goes with the fixed look, and the left edge it moved comes back
            // after the borders.
            TGridPaintStep{"fixed look",
                           [](TDidAririzEvar& G, TGridCellPaint& P) {
                               G.PaintFixedLook(P);
                               G.PaintRowIndicator(P);
                           }},
            Step("modified marker", &TDidAririzEvar::PaintModifiedMarker),
            Step("background graphic", &TDidAririzEvar::PaintBackgroundGraphic),
            Step("content", &TDidAririzEvar::PaintContent),
            TGridPaintStep{"borders",
                           [](TDidAririzEvar& G, TGridCellPaint& P) {
                               G.PaintBorders(P);
                               G.PaintRowIndicatorEnd(P);
                           }},
            Step("fixed edges", &TDidAririzEvar::PaintFixedEdges),
            Step("tree lines", &TDidAririzEvar::PaintTreeLines),
            Step("graphic", &TDidAririzEvar::PaintCellGraphic),
            Step("events", &TDidAririzEvar::PaintEvents),
            Step("focus", &TDidAririzEvar::PaintFocus),
        };
    }
    return Steps;
}

void TDidAririzEvar::InsertCellPaintStep(const AnsiString& Before, TGridPaintStep Step)
{
    TGridPaintSteps& Steps = CellPaintSteps();
    auto It =
        std::find_if(Steps.begin(), Steps.end(), [&](const TGridPaintStep& S) { return S.Name == Before; });
    Steps.insert(It, std::move(Step));
}

// 8. Fixed-cell look.
void TDidAririzEvar::PaintFixedLook(TGridCellPaint& P)
{
    TCanvas* Canvas = P.Canvas;
    const Integer ACol = P.ACol, ARow = P.ARow, RC = P.RC;
    TRect& ARect = P.Rect;
    const TColor OwnBrush = P.OwnBrush;
    bool LookCell = IsFixed(ACol, ARow) || ACol < FixedCols() || ARow < FixedRows();
    const TGridInputState& In = FEdit.Input;
    const bool Moving = GridState() == gsColMoving;
    const bool Hovered = LookCell && !P.Printing && !ComponentState().Contains(csDesigning) &&
                         HoverFixedCell(ACol, ARow) &&
                         ((!Moving && In.HoverCell.X == ACol && In.HoverCell.Y == ARow) ||
                          (Moving && In.MovingIndex == ACol && ARow < FixedRows()));
    const TControlLook* CL = ControlLook();
    const TGridPaintState& W = FPaint;
    // Only the gradient looks paint fixed cells here (not glListView nor glCustom).
    const TGridLook Lk = FCore.Look;
    LookCell = LookCell && (Lk == glZIV || Lk == glXP || Lk == glVista || Lk == glWin7 || Lk == glOffice2007);
    if (LookCell && !FCore.Flat && Hovered) {
        ++ARect.Bottom;
        const bool Pressed = In.FixedPressed || Moving;
        auto Hover = [&](const TRect& R) {
            if (W.HoverFrom != clNone)
                FramedGradient(Canvas, W.HoverFrom, W.HoverTo, W.HoverMirrorFrom, W.HoverMirrorTo,
                               W.HoverBorder, R);
        };
        auto Down = [&](const TRect& R) {
            if (W.DownFrom != clNone)
                FramedGradient(Canvas, W.DownFrom, W.DownTo, W.DownMirrorFrom, W.DownMirrorTo, W.DownBorder,
                               R);
        };
        const TRect Part{ARect.Right - 16, ARect.Top, ARect.Right, ARect.Bottom};
        const TRect Rest{ARect.Left, ARect.Top, ARect.Right - 16, ARect.Bottom};
        if (!Pressed) {
            Hover(ARect);
        } else if (!CL->FixedDropDownButton) {
            Down(ARect);
        } else if (In.FixedDropDownPressed) {
            Down(Part);
            Hover(Rest);
        } else {
            Down(Rest);
            Hover(Part);
        }
        if (CL->FixedDropDownButton) {
            Canvas->Pen()->SetColor(In.FixedPressed ? W.DownBorder : W.HoverBorder);
            if (Canvas->Pen()->Color() != clNone)
                Line(Canvas, ARect.Right - 16, ARect.Top, ARect.Right - 16, ARect.Bottom);
            // The drop-down arrow: a small filled black triangle pointing down.
            const Integer TX = ARect.Right - 8, TY = ARect.Top + 8;
            Canvas->Pen()->SetColor(clBlack);
            Canvas->Brush()->SetColor(clBlack);
            Canvas->Polygon({TPoint{TX - 3, TY}, TPoint{TX + 3, TY}, TPoint{TX, TY + 3}});
            ARect.Right -= 16;
        }
        Canvas->Brush()->SetColor(OwnBrush);
    } else if (LookCell && !FCore.Flat) {
        const TRect G = ARect;
        if (FCore.ActiveCellShow &&
            ((ARow == Row() && ACol == FixedCols() - 1) || (ACol == Col() && ARow == FixedRows() - 1))) {
            VerticalGradient(Canvas, FCore.ActiveCellColor, FCore.ActiveCellColorTo, G);
        } else if (FSortSettings->Column != -1 && FSortSettings->HeaderColor != clNone &&
                   RC == FSortSettings->Column && ARow == FixedRows() - 1 &&
                   (ACol >= FixedCols() || FSortSettings->FixedCols)) {
            LookGradient(Canvas, FSortSettings->HeaderColor, FSortSettings->HeaderColorTo,
                         FSortSettings->HeaderMirrorColor, FSortSettings->HeaderMirrorColorTo, G);
        } else if (RecordAt(RC, ARow) == nullptr || RecordAt(RC, ARow)->BrushColor() == clNone) {
            LookGradient(Canvas, Canvas->Brush()->Color(), P.ColorTo, P.MirrorColor, P.MirrorColorTo, G);
            if (FCore.Look == glVista) {
                Canvas->Pen()->SetColor(clWhite);
                Line(Canvas, G.Left, G.Top, G.Left, G.Bottom);
                Line(Canvas, G.Right - 1, G.Top, G.Right - 1, G.Bottom);
            }
        }
        Canvas->Brush()->SetColor(OwnBrush);
    }
}

// 11. Modified-row marker.
void TDidAririzEvar::PaintModifiedMarker(TGridCellPaint& P)
{
    TCanvas* Canvas = P.Canvas;
    const Integer ACol = P.ACol, ARow = P.ARow;
    const TRect& ARect = P.Rect;
    const TColor OwnBrush = P.OwnBrush;
    if (FShowModified->Enabled && ACol == 0 && GetRowModified(ARow)) {
        Canvas->Brush()->SetColor(FShowModified->Color);
        Canvas->Pen()->SetColor(FShowModified->Color);
        Canvas->FillRect(TRect{ARect.Right - 4, ARect.Top, ARect.Right, ARect.Bottom});
        Canvas->Brush()->SetColor(OwnBrush);
    }
}

// 9. The row indicator in real column 0 of the current row, transparent, placed vertically by
// VAlignment; the content moves right by its width + 2. Not printed: it marks the current row.
void TDidAririzEvar::PaintRowIndicator(TGridCellPaint& P)
{
    TBitmap* B = FRowIndicator.get();
    if (P.Printing || P.RC != 0 || P.ARow != Row() || FixedCols() == 0 || B->Empty())
        return;
    B->SetTransparent(true);
    B->SetTransparentMode(tmAuto);
    Integer Y = P.Rect.Top;
    if (FCore.VAlignment == vtaCenter)
        Y = (P.Rect.Top + P.Rect.Bottom - B->Height()) / 2;
    else if (FCore.VAlignment == vtaBottom)
        Y = P.Rect.Bottom - B->Height();
    P.Canvas->Draw(P.Rect.Left + 2, Y, B);
    P.IndicatorWidth = B->Width() + 2;
    P.Rect.Left += P.IndicatorWidth;
}

// 16. After the borders the steps below work on the cell's own left edge again.
void TDidAririzEvar::PaintRowIndicatorEnd(TGridCellPaint& P)
{
    P.Rect.Left -= P.IndicatorWidth;
    P.Frame.Left -= P.IndicatorWidth;
    P.IndicatorWidth = 0;
}

TBitmap* TDidAririzEvar::RowIndicator() const
{
    return FRowIndicator.get();
}

void TDidAririzEvar::SetRowIndicator(TBitmap* Value)
{
    FRowIndicator->Assign(Value);
    Invalidate();
}

// 14. and 15. The content, then the cell's own colours back and the frame around it.
void TDidAririzEvar::PaintContent(TGridCellPaint& P)
{
    FPaint.SortIndicatorAt = TPoint{-1, -1};
    FPaint.Cell = &P;
    P.TextWidth = 0;
    DrawCellContent(P.Canvas, P.ACol, P.RC, P.ARow, P.Rect, P.State, P.HAlign, P.VAlign, P.WordWrap,
                    P.OwnBrush, P.OwnFont);
    FPaint.Cell = nullptr;
    P.Canvas->Brush()->SetColor(P.OwnBrush);
    P.Canvas->Font()->SetColor(P.OwnFont);
    P.Frame = TRect{P.Rect.Left - 1, P.Rect.Top - 1, P.Rect.Right + 1, P.Rect.Bottom + 1};
}

// Cell borders.
void TDidAririzEvar::PaintBorders(TGridCellPaint& P)
{
    TCanvas* Canvas = P.Canvas;
    const Integer ARow = P.ARow, RC = P.RC;
    const TRect R = P.Frame;
    {
        TPen Saved;
        Saved.Assign(Canvas->Pen());
        TCellBorders Borders;
        GetCellBorder(RC, ARow, Canvas->Pen(), Borders);
        if (!Borders.Empty()) {
            TPen L, T, Rt, B;
            L.Assign(Canvas->Pen());
            T.Assign(Canvas->Pen());
            Rt.Assign(Canvas->Pen());
            B.Assign(Canvas->Pen());
            if (OnGetCellBorderProp)
                OnGetCellBorderProp(this, ARow, RC, &L, &T, &Rt, &B);
            const Integer HIn = Options().Contains(goVertLine) ? (Canvas->Pen()->Width() + 1) / 2 : 0;
            const Integer VIn = Options().Contains(goHorzLine) ? (Canvas->Pen()->Width() + 1) / 2 : 0;
            TRect BR{R.Left + HIn, R.Top + VIn, R.Right - HIn, R.Bottom - VIn};
            const Integer GW = GridLineWidth();
            if (Borders.Contains(cbTop)) {
                Canvas->Pen()->Assign(&T);
                const Integer Y = GW == 0 ? BR.Top + 1 : BR.Top - GW;
                Line(Canvas, BR.Left, Y, BR.Right, Y);
            }
            if (Borders.Contains(cbLeft)) {
                Canvas->Pen()->Assign(&L);
                Line(Canvas, BR.Left - HIn, BR.Top - VIn, BR.Left - HIn, BR.Bottom);
            }
            if (Borders.Contains(cbRight)) {
                Canvas->Pen()->Assign(&Rt);
                Line(Canvas, BR.Right - 1, BR.Top, BR.Right - 1, BR.Bottom);
            }
            if (Borders.Contains(cbBottom)) {
                Canvas->Pen()->Assign(&B);
                Line(Canvas, BR.Left - 1 - GW, BR.Bottom - 1, BR.Right, BR.Bottom - 1);
            }
        }
        Canvas->Pen()->Assign(&Saved);
    }
}

// 17. Fixed-cell edges by look.
void TDidAririzEvar::PaintFixedEdges(TGridCellPaint& P)
{
    TCanvas* Canvas = P.Canvas;
    const TGridDrawState& AState = P.State;
    const TRect R = P.Frame;
    if (AState.Contains(gdFixed) && !FCore.Flat) {
        TRect E = R;
        if (FCore.Look == glClassic) {
            Canvas->Pen()->SetColor(clWhite);
            Line(Canvas, E.Left, E.Bottom - 1, E.Left, E.Top);
            Line(Canvas, E.Left, E.Top, E.Right - 1, E.Top);
            Canvas->Pen()->SetColor(clBlack);
            Line(Canvas, E.Right - 1, E.Top, E.Right - 1, E.Bottom - 1);
            Line(Canvas, E.Right - 1, E.Bottom - 1, E.Left - 1, E.Bottom - 1);
        } else if (FCore.Look == glXP || FCore.Look == glZIV || FCore.Look == glSoft) {
            ++E.Bottom;
            if (FCore.Look == glSoft)
                ++E.Right;
            if (Options().Contains(goFixedHorzLine)) {
                Canvas->Pen()->SetColor(Darken(FixedColor()));
                Line(Canvas, E.Left, E.Bottom - 1, E.Right - 1, E.Bottom - 1);
                Canvas->Pen()->SetColor(clWhite);
                Line(Canvas, E.Right - 1, E.Top + 1, E.Left + 1, E.Top + 1);
                Line(Canvas, E.Left + 1, E.Top + 1, E.Left + 1, E.Bottom - 1);
            }
            if (FCore.Look == glSoft && Options().Contains(goFixedVertLine)) {
                Canvas->Pen()->SetColor(Darken(FixedColor()));
                Line(Canvas, E.Right - 2, E.Top, E.Right - 2, E.Bottom - 1);
                Canvas->Pen()->SetColor(clWhite);
                Line(Canvas, E.Right - 1, E.Top, E.Right - 1, E.Bottom - 1);
            }
        }
    }
}

// 21. and 22. The painting events draw over the default content.
void TDidAririzEvar::PaintEvents(TGridCellPaint& P)
{
    TCanvas* Canvas = P.Canvas;
    const Integer ARow = P.ARow, RC = P.RC;
    const TGridDrawState& AState = P.State;
    const TRect R = P.Frame;
    if (OnDrawCell && !P.Printing) {
        TRect DR{R.Left + 1, R.Top + 1, R.Right - GridLineWidth(), R.Bottom - GridLineWidth()};
        OnDrawCell(this, RC, ARow, DR, AState);
    }
    if (OnCustomCellDraw)
        OnCustomCellDraw(this, Canvas, RC, ARow, AState, R, P.Printing);
    // A handler that paints the header cell's background and text would hide the sort
    // indicator, which belongs to the grid: it goes on top again.
    const TPoint SI = FPaint.SortIndicatorAt;
    if (SI.X >= 0 && ((OnDrawCell && !P.Printing) || OnCustomCellDraw))
        DrawSortIndicator(Canvas, RC, SI.X, SI.Y);
}

// 23. Focus rectangle.
void TDidAririzEvar::PaintFocus(TGridCellPaint& P)
{
    TCanvas* Canvas = P.Canvas;
    const Integer ACol = P.ACol, ARow = P.ARow;
    const TRect R = P.Frame;
    const TPoint Base = BaseCell(ACol, ARow);
    if (!P.Printing && !FCore.HideFocusRect && Base.X == Col() && Base.Y == Row() && Focused() &&
        !Options().Contains(goRowSelect) && Col() >= FixedCols() && Row() >= FixedRows()) {
        const Integer In = GridLineWidth() - 1;
        TRect F{R.Left - In, R.Top - In, R.Right + In - 1, R.Bottom + In - 1};
        Canvas->Brush()->SetColor(clWhite);
        Canvas->Font()->SetColor(clBlack);
        Canvas->DrawFocusRect(F);
    }
}

void TDidAririzEvar::DrawSizingLine(Integer X)
{
    if (!HandleAllocated())
        return;
    TWindowDC DC(Handle(), ::GetDC(Handle()));
    // An inverting dotted line: XOR with black would change nothing, so every other pixel is
    // inverted, which is visible on any background and undone by the second call.
    const Integer Bottom = std::max<Integer>(Height(), CellRect(0, RowCount() - 1).Bottom);
    for (Integer Y = 0; Y < Bottom; Y += 2)
        ::SetPixel(DC.get(), X, Y, ::GetPixel(DC.get(), X, Y) ^ 0xFFFFFF);
}

void TDidAririzEvar::DrawSizingLineR(Integer Y)
{
    if (!HandleAllocated())
        return;
    TWindowDC DC(Handle(), ::GetDC(Handle()));
    const Integer Right = std::max<Integer>(Width(), CellRect(ColCount() - 1, 0).Right);
    for (Integer X = 0; X < Right; X += 2)
        ::SetPixel(DC.get(), X, Y, ::GetPixel(DC.get(), X, Y) ^ 0xFFFFFF);
}
