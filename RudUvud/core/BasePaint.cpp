// The base grid paints every cell itself: merged blocks once per pass, fixed state, clipping under
// the fixed area, the colours the string grid supplies, the active row, the selection styles and
// its own grid lines, then the virtual DrawGridCell for the content.

#include "RudUvud/core/BaseGrid.h"

#include "platform/rtl/Guards.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

TColor Blend(TColor From, TColor To, Integer Step, Integer Steps)
{
    const COLORREF A = ColorToRGB(From), B = ColorToRGB(To);
    auto Mix = [&](int X, int Y) { return X + (Y - X) * Step / std::max<Integer>(Steps, 1); };
    return static_cast<TColor>(RGB(Mix(GetRValue(A), GetRValue(B)), Mix(GetGValue(A), GetGValue(B)),
                                   Mix(GetBValue(A), GetBValue(B))));
}

// Fills R with a gradient from From to To in Steps bands, left to right when Horizontal.
// The drawing library of the grid supplies the full set of gradient routines; the base painter
// needs only these plain forms.
void FillGradient(TCanvas* Canvas, TColor From, TColor To, Integer Steps, const TRect& R, bool Horizontal)
{
    const Integer Extent = Horizontal ? R.Right - R.Left : R.Bottom - R.Top;
    if (Extent <= 0)
        return;
    Steps = std::clamp<Integer>(Steps, 1, Extent);
    for (Integer I = 0; I < Steps; ++I) {
        const Integer A = Extent * I / Steps, B = Extent * (I + 1) / Steps;
        Canvas->Brush()->SetColor(Blend(From, To, I, Steps - 1 > 0 ? Steps - 1 : 1));
        Canvas->FillRect(Horizontal ? TRect{R.Left + A, R.Top, R.Left + B, R.Bottom}
                                    : TRect{R.Left, R.Top + A, R.Right, R.Top + B});
    }
}

// Two stacked vertical gradients: the upper half from From to To, the lower half from
// MirrorFrom to MirrorTo.
void FillMirrorGradient(TCanvas* Canvas, const TRect& R, TColor From, TColor To, TColor MirrorFrom,
                        TColor MirrorTo)
{
    const Integer Mid = R.Top + (R.Bottom - R.Top) / 2;
    FillGradient(Canvas, From, To, 16, TRect{R.Left, R.Top, R.Right, Mid}, false);
    FillGradient(Canvas, MirrorFrom, MirrorTo, 16, TRect{R.Left, Mid, R.Right, R.Bottom}, false);
}

struct SelectionColours {
    TColor From, To, MirrorFrom, MirrorTo, InnerTop, InnerBottom, Border, Corner;
};

const SelectionColours& ColoursOf(TGridSelectionStyle Style, bool Focused)
{
    static const SelectionColours Vista{0xFDF8F1, 0xFCEFD5, clNone,   clNone,
                                        0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB};
    static const SelectionColours Win7{0xFCEBDC, 0xFCDBC1, clNone,   clNone,
                                       0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE};
    static const SelectionColours Office{0xD7FFFD, 0x58D4FC, 0x58D4FC, 0xB3F1FC,
                                         0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF};
    static const SelectionColours Unfocused{0xF8F8F8, 0xE5E5E5, clNone,   clNone,
                                            0xFBFAFA, 0xF0F0F0, 0xD9D9D9, 0xEFEFEF};
    if (!Focused)
        return Unfocused;
    switch (Style) {
    case ssVista:
        return Vista;
    case ssWin7:
        return Win7;
    default:
        return Office;
    }
}

// A selection box: a gradient fill with inner highlight lines and a border whose open sides
// depend on where the cell lies in the selection (Part).
void DrawSelectionBox(TCanvas* Canvas, const SelectionColours& S, TColor OuterCorner, const TRect& R,
                      TGradientPart Part)
{
    if (S.MirrorFrom == clNone)
        FillGradient(Canvas, S.From, S.To, 16, R, false);
    else
        FillMirrorGradient(Canvas, R, S.From, S.To, S.MirrorFrom, S.MirrorTo);
    TPen* P = Canvas->Pen();
    P->SetWidth(1);
    P->SetColor(S.InnerTop);
    Canvas->MoveTo(R.Left + 1, R.Top + 1);
    Canvas->LineTo(R.Right - 1, R.Top + 1);
    P->SetColor(S.InnerBottom);
    Canvas->MoveTo(R.Left + 1, R.Bottom - 2);
    Canvas->LineTo(R.Right - 1, R.Bottom - 2);
    P->SetColor(S.Border);
    Canvas->MoveTo(R.Left, R.Top);
    Canvas->LineTo(R.Right, R.Top);
    Canvas->MoveTo(R.Left, R.Bottom - 1);
    Canvas->LineTo(R.Right, R.Bottom - 1);
    if (Part == gpFull || Part == gpLeft) {
        Canvas->MoveTo(R.Left, R.Top);
        Canvas->LineTo(R.Left, R.Bottom);
    }
    if (Part == gpFull || Part == gpRight) {
        Canvas->MoveTo(R.Right - 1, R.Top);
        Canvas->LineTo(R.Right - 1, R.Bottom);
    }
    Canvas->SetPixels(R.Left, R.Top, Part == gpFull || Part == gpLeft ? OuterCorner : S.Corner);
    Canvas->SetPixels(R.Right - 1, R.Top, Part == gpFull || Part == gpRight ? OuterCorner : S.Corner);
}

} // namespace

void TBaseGrid::Paint()
{
    TStringGrid::Paint();
    ++FPaintCounter;
}

void TBaseGrid::DrawGridCell(TCanvas* Canvas, Integer ACol, Integer ARow, TRect ARect, TGridDrawState)
{
    const AnsiString S = GetCellEx(ACol, ARow);
    RECT R{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
    ::SetBkMode(Canvas->Handle(), TRANSPARENT);
    ::DrawText(Canvas->Handle(), S.c_str(), static_cast<int>(S.size()), &R,
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TBaseGrid::DrawCell(Integer ACol, Integer ARow, const TRect& ARect, TGridDrawState AState)
{
    TCanvas* C = Canvas();
    // 1. The row under the floating footer is an empty area.
    if (FFooterRow && ARow == RowCount() - 1) {
        C->Brush()->SetColor(Color());
        C->Pen()->SetColor(Color());
        C->FillRect(ARect);
        return;
    }
    // 2. A covered cell draws its block once per pass, through the base cell.
    Integer BC = ACol, BR = ARow;
    if (!IsBaseCellEx(ACol, ARow, BC, BR)) {
        TCellProperties* BP = RecordAt(BC, BR);
        if (!BP || BP->PaintStamp() == FPaintCounter)
            return;
        BP->SetPaintStamp(FPaintCounter);
        DrawCell(BC, BR, ARect, AState);
        return;
    }
    // 3.
    TGridDrawState State = AState;
    const bool Fixed = IsFixed(ACol, ARow);
    if (Fixed) {
        State.Include(gdFixed);
        State.Exclude(gdSelected);
    }
    // 4.
    TRect R = CellRect(ACol, ARow);
    // 5. A block reaching under the fixed area must not paint over it. (12.) The clip comes off
    // again when the cell is done, also when its drawing raises.
    const Integer W = ACol >= FixedCols() ? FixedColsWidth() : 0;
    const Integer H = ARow >= FixedRows() ? FixedRowsHeight() : 0;
    TOwnedRegion Clip;
    if ((ACol >= FixedCols() && FixedCols() > 0 && R.Left < W) ||
        (ARow >= FixedRows() && FixedRows() > 0 && R.Top < H)) {
        Clip.reset(::CreateRectRgn(W, H, Width(), Height()));
        ::SelectClipRgn(C->Handle(), Clip.get());
    }
    TScopeExit Unclip([C, &Clip] {
        if (Clip)
            ::SelectClipRgn(C->Handle(), nullptr);
    });
    // 6.
    C->Pen()->SetWidth(1);
    C->Font()->Assign(Font());
    TColor ColorTo = clNone, MirrorColor = clNone, MirrorColorTo = clNone;
    TAlignment HAlign = taLeftJustify;
    TVAlignment VAlign = vtaTop;
    bool WordWrap = FDefaultWordWrap;
    TCellGradientDirection GD = GradientVertical;
    GetVisualProperties(ACol, ARow, State, false, true, true, C->Brush(), ColorTo, MirrorColor, MirrorColorTo,
                        C->Font(), HAlign, VAlign, WordWrap, GD);
    C->Pen()->SetColor(C->Brush()->Color());
    // 7.
    if (FActiveRowShow && ARow == Row() && (ACol != Col() || !FShowSelection)) {
        C->Brush()->SetColor(FActiveRowColor);
        ColorTo = FActiveRowColor;
        MirrorColor = clNone;
        MirrorColorTo = clNone;
        C->Pen()->SetColor(C->Brush()->Color());
    }
    // 8. and 9.
    if (State.Contains(gdSelected) && FSelectionStyle != ssDefault && FShowSelection) {
        const TGridRect S = Selection();
        const Integer L = std::min(S.Left, S.Right), Rt = std::max(S.Left, S.Right);
        TGradientPart Part = gpFull;
        if (ACol == L && ACol < Rt)
            Part = gpLeft;
        else if (ACol == Rt && L < ACol)
            Part = gpRight;
        else if (L < ACol && ACol < Rt)
            Part = gpMiddle;
        TRect Box = R;
        if (!Options().Contains(goHorzLine))
            ++Box.Bottom;
        if (!Options().Contains(goVertLine))
            ++Box.Right;
        if (HasCustomCellBorder()) {
            ++Box.Left;
            --Box.Right;
            --Box.Bottom;
        }
        if (UseRightToLeftAlignment()) {
            ++Box.Right;
            ++Box.Bottom;
        }
        const bool Focus = Focused() || Options().Contains(goDrawFocusSelected);
        DrawSelectionBox(C, ColoursOf(FSelectionStyle, Focus), Color(), Box, Part);
    } else if (ColorTo == clNone) {
        C->Rectangle(R);
    } else if (MirrorColorTo == clNone) {
        FillGradient(C, C->Brush()->Color(), ColorTo, 64, R, GD == GradientHorizontal);
    } else {
        FillMirrorGradient(C, R, C->Brush()->Color(), ColorTo, MirrorColor, MirrorColorTo);
    }
    // 10. Grid lines.
    Integer Wd;
    if (State.Contains(gdFixed)) {
        C->Pen()->SetColor(FGridFixedLineColor);
        C->Pen()->SetWidth(1);
        Wd = 1;
    } else {
        if (FGridLineWidth2 > 0)
            C->Pen()->SetColor(FGridLineColor);
        C->Pen()->SetWidth(FGridLineWidth2);
        Wd = (FGridLineWidth2 + 1) / 2;
    }
    const bool IsFix = State.Contains(gdFixed);
    if (!(ACol == 0 && HasNodes()) &&
        ((Options().Contains(goHorzLine) && !IsFix) || (Options().Contains(goFixedHorzLine) && IsFix))) {
        C->MoveTo(R.Left - Wd + 1, R.Bottom - Wd);
        C->LineTo(R.Right - Wd + 1, R.Bottom - Wd);
    }
    if ((Options().Contains(goVertLine) && !IsFix) || (Options().Contains(goFixedVertLine) && IsFix)) {
        const Integer X = UseRightToLeftAlignment() ? R.Right - Wd + 1 : R.Right - Wd;
        C->MoveTo(X, R.Bottom - Wd);
        C->LineTo(X, R.Top - Wd);
    }
    // 11. Content.
    TRect Content = R;
    if (IsFix) {
        Content.Right -= 1;
        Content.Bottom -= 2;
    } else {
        Content.Left += FGridLineWidth2;
        Content.Top += FGridLineWidth2;
        Content.Right -= FGridLineWidth2;
        Content.Bottom -= FGridLineWidth2;
    }
    DrawGridCell(C, ACol, ARow, Content, State);
    C->Brush()->SetStyle(bsSolid);
    C->Pen()->SetStyle(psSolid);
}
