// Cell graphics on screen: the graphic's size and placement in its cell, the drawing of every
// kind (pictures, images, check boxes, radio buttons, bars, gauges, shapes, ratings, comment
// marks, buttons, node glyphs, rotated text, objects that draw themselves), the check box and
// radio button drawers in their seven styles, and the background picture and gradient of the
// area outside the cells.
//
// Painting never raises: a number that does not read as one counts as 0, a missing picture or
// resource draws nothing.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdozDraw.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/ImgList.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using RudUvudLook::csBorland;
using RudUvudLook::csClassic;
using RudUvudLook::csFlat;
using RudUvudLook::csGlyph;
using RudUvudLook::csTheme;
using RudUvudLook::csWinXP;
using RudUvudLook::csZIV;

namespace {

constexpr Integer GlyphSize = 16; // radio items of the bitmap, theme and Borland styles

bool IsCheckKind(TCellType T)
{
    return T == ctCheckBox || T == ctDataCheckBox || T == ctVirtCheckBox || T == ctRowCheckBox;
}

// A bitmap resource drawn at (X, Y) with its corner colour transparent; nothing when missing.
void DrawResource(TCanvas* C, Integer X, Integer Y, const char* Name)
{
    TBitmap B;
    try {
        B.LoadFromResourceName(nullptr, Name);
    } catch (const Exception&) {
        return;
    }
    B.SetTransparent(true);
    B.SetTransparentMode(tmAuto);
    C->Draw(X, Y, &B);
}

void DrawGlyph(TCanvas* C, Integer X, Integer Y, TBitmap* B)
{
    if (!B || B->Empty())
        return;
    B->SetTransparent(true);
    B->SetTransparentMode(tmAuto);
    C->Draw(X, Y, B);
}

// A part of a theme class; false when no theme draws it.
bool DrawThemed(TCanvas* C, HWND Wnd, const char16_t* Class, int Part, int State, const TRect& R)
{
    themeapi::TThemeLoader& Theme = VadXPVS();
    if (!Theme.ThemeActive() || !Theme.OpenThemeData || !Theme.DrawThemeBackground)
        return false;
    HTHEME Data = Theme.OpenThemeData(Wnd, Class);
    if (!Data)
        return false;
    RECT Rc{R.Left, R.Top, R.Right, R.Bottom};
    Theme.DrawThemeBackground(Data, C->Handle(), Part, State, &Rc, nullptr);
    Theme.CloseThemeData(Data);
    return true;
}

void FrameControl(TCanvas* C, const TRect& R, UINT State)
{
    RECT Rc{R.Left, R.Top, R.Right, R.Bottom};
    ::DrawFrameControl(C->Handle(), &Rc, DFC_BUTTON, State);
}

void Line(TCanvas* C, Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
}

TColor Inverse(TColor C)
{
    return static_cast<TColor>(ColorToRGB(C) ^ 0xFFFFFF);
}

// Where rotated text starts so that the turned text box lies inside R by the alignments.
TPoint RotatedTextStart(const TRect& R, Integer Angle, Integer W, Integer H, TAlignment HAlign,
                        TVAlignment VAlign)
{
    const double A = Angle * 3.14159265358979323846 / 180.0;
    // Along the text and down from it, in screen coordinates (y grows downwards).
    const double UX = std::cos(A), UY = -std::sin(A), DX = std::sin(A), DY = std::cos(A);
    const double Xs[4] = {0, W * UX, H * DX, W * UX + H * DX};
    const double Ys[4] = {0, W * UY, H * DY, W * UY + H * DY};
    const double MinX = *std::min_element(Xs, Xs + 4), MaxX = *std::max_element(Xs, Xs + 4);
    const double MinY = *std::min_element(Ys, Ys + 4), MaxY = *std::max_element(Ys, Ys + 4);
    const double BoxW = MaxX - MinX, BoxH = MaxY - MinY;
    double Left = R.Left;
    if (HAlign == taRightJustify)
        Left = R.Right - BoxW;
    else if (HAlign == taCenter)
        Left = R.Left + (R.Right - R.Left - BoxW) / 2;
    double Top = R.Bottom - BoxH;
    if (VAlign == vtaTop)
        Top = R.Top;
    else if (VAlign == vtaCenter)
        Top = R.Top + (R.Bottom - R.Top - BoxH) / 2;
    return TPoint{static_cast<Integer>(std::lround(Left - MinX)),
                  static_cast<Integer>(std::lround(Top - MinY))};
}

} // namespace

// ---- Details and placement -------------------------------------------------------------------------

TCellGraphic* TDidAririzEvar::GetGraphicDetails(Integer ACol, Integer ARow, Integer& Width, Integer& Height,
                                                bool& ShowText, TCellHAlign& HAlign, TCellVAlign& VAlign)
{
    Width = Height = 0;
    ShowText = true;
    HAlign = haLeft;
    VAlign = vaTop;
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return nullptr;
    TCustomImageList* Images = FPaint.GridImages;
    const TControlLook& CL = *FControlLook;
    auto Size = [&](Integer W, Integer H) {
        Width = W;
        Height = H;
    };
    switch (G->CellType) {
    case ctBitmap:
        if (TBitmap* B = G->Bitmap())
            Size(B->Width(), B->Height());
        break;
    case ctIcon:
        if (TIcon* I = G->Icon())
            Size(I->Width(), I->Height());
        break;
    case ctImageList:
    case ctDataImage:
        if (Images)
            Size(Images->Width(), Images->Height());
        ShowText = G->CellType == ctImageList;
        break;
    case ctCheckBox:
        Size(CL.CheckSize, CL.CheckSize);
        break;
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        Size(CL.CheckSize, CL.CheckSize);
        ShowText = false;
        break;
    case ctRotated:
    case ctRadio:
    case ctProgress:
    case ctRangeIndicator:
    case ctXPProgress:
        ShowText = false;
        break;
    case ctImages:
        if (Images && G->IntList()) {
            const Integer N = G->IntList()->Count();
            if (G->CellBoolean)
                Size(N * Images->Width(), Images->Height());
            else
                Size(Images->Width(), N * Images->Height());
        }
        break;
    case ctPicture:
    case ctFilePicture: {
        const TPoint P = G->GetPictureSize(ColWidths(RemapColInv(ACol)), RowHeights(ARow), true);
        Size(P.X, P.Y);
        break;
    }
    case ctButton:
    case ctBitButton:
        Size(ButtonWidth(G->CellIndex), ButtonHeight(G->CellIndex));
        break;
    case ctProgressPie:
        Size(20, 20);
        break;
    case ctInterface:
        if (ICellGraphic* I = G->Interface())
            Size(I->GetWidth(), I->GetHeight());
        break;
    case ctRadioButton:
        Size(CL.RadioSize + 4, CL.RadioSize + 4);
        break;
    case ctShape: {
        const Integer S = RowHeights(ARow) - 2 * FPaint.XYOffset.Y;
        Size(S, S);
        break;
    }
    case ctRating:
        Size(G->CellAngle * 18, 16);
        ShowText = false;
        break;
    default:
        break;
    }
    HAlign = G->CellHAlign;
    VAlign = G->CellVAlign;
    return G;
}

TRect TDidAririzEvar::GraphicPlace(const TCellGraphic& G, TRect R, Integer W, Integer H, Integer TextWidth,
                                   TAlignment TextHAlign, TVAlignment TextVAlign)
{
    const TCellType Kind = G.CellType;
    if (Kind != ctNode && Kind != ctProgress && Kind != ctRangeIndicator && Kind != ctXPProgress) {
        const Integer DX = FPaint.XYOffset.X - 1, DY = FPaint.XYOffset.Y - 1;
        R = TRect{R.Left + DX, R.Top + DY, R.Right - DX, R.Bottom - DY};
    }
    const Integer T = TextWidth > 0 ? TextWidth + 2 : 0;
    const Integer RW = R.Right - R.Left, RH = R.Bottom - R.Top;
    TRect P{R.Left + 1, R.Top + 1, 0, 0};
    bool FullWidth = false;
    switch (G.CellHAlign) {
    case haRight:
        P.Left = R.Right - 1 - W;
        break;
    case haCenter:
        if (W < RW)
            P.Left = R.Left + (RW - W) / 2;
        break;
    case haBeforeText:
        if (TextHAlign == taRightJustify)
            P.Left = std::max(R.Left + 1, R.Right - T - W);
        else if (TextHAlign == taCenter)
            P.Left = std::max(R.Left + 1, R.Left + (RW - T - W) / 2);
        break;
    case haAfterText:
        if (TextHAlign == taLeftJustify)
            P.Left = R.Left + T;
        else if (TextHAlign == taRightJustify)
            P.Left = R.Right - 1 - W;
        else
            P.Left = std::max(R.Left + 1, R.Left + T + (RW - T - W) / 2);
        break;
    case haFull:
        P.Left = R.Left;
        P.Right = R.Right;
        FullWidth = true;
        break;
    default:
        break;
    }
    if (!FullWidth)
        P.Right = P.Left + W;
    TCellVAlign V = G.CellVAlign;
    if ((IsCheckKind(Kind) || Kind == ctRadioButton) && TextVAlign != FCore.VAlignment)
        V = TextVAlign == vtaCenter ? vaCenter : TextVAlign == vtaBottom ? vaBottom : vaTop;
    switch (V) {
    case vaBottom:
        P.Top = R.Bottom - 1 - H;
        P.Bottom = R.Bottom - 1;
        break;
    case vaCenter:
        P.Top = H < RH ? R.Top + (RH - H) / 2 : R.Top + 1;
        P.Bottom = P.Top + H;
        break;
    case vaUnderText:
        P.Top = R.Bottom - H;
        P.Bottom = R.Bottom;
        break;
    case vaFull:
        P.Top = R.Top;
        P.Bottom = R.Bottom;
        break;
    default:
        P.Bottom = P.Top + H;
        break;
    }
    // Check boxes and radio buttons follow the text's alignment instead.
    if (IsCheckKind(Kind) || Kind == ctRadioButton) {
        const bool BesideText = Kind == ctCheckBox || Kind == ctRadioButton;
        if (TextHAlign == taRightJustify)
            P.Left = BesideText ? R.Right - T - W - 1 : R.Right - W - 1;
        else if (TextHAlign == taCenter)
            P.Left = BesideText && T >= 1 ? R.Left + std::max<Integer>(0, RW - T) / 2 - W
                                          : R.Left + std::max<Integer>(0, RW - W) / 2;
        else
            P.Left = R.Left + 1;
        P.Left = std::max(P.Left, R.Left + 1);
        P.Right = P.Left + W;
    }
    return P;
}

bool TDidAririzEvar::CellShowsSelected(const TGridCellPaint& P)
{
    if (P.State.Contains(gdSelected) && ShowSelection() && !FMouseActions->DisjunctRowSelect())
        return true;
    return Options().Contains(goRowSelect) && P.ACol >= FixedCols() && RowTables().Marks().Get(P.ARow);
}

Double TDidAririzEvar::PaintFloat(Integer ACol, Integer ARow)
{
    try {
        return GetCellEx(ACol, ARow).empty() ? 0.0 : Floats(ACol, ARow);
    } catch (const std::exception&) {
        return 0.0;
    }
}

// ---- The paint steps ------------------------------------------------------------------------------

void TDidAririzEvar::PaintBackgroundGraphic(TGridCellPaint& P)
{
    TCellGraphic* G = P.Graphic;
    if (P.Printing || !G || G->CellType != ctInterface)
        return;
    ICellGraphic* I = G->Interface();
    if (!I || !I->IsBackground())
        return;
    const TRect R{P.Rect.Left - 1, P.Rect.Top - 1, P.Rect.Right + 1, P.Rect.Bottom + 1};
    I->Draw(P.Canvas, R, P.RC, P.ARow, P.State.Contains(gdSelected), this);
}

void TDidAririzEvar::PaintCellGraphic(TGridCellPaint& P)
{
    TCellGraphic* G = P.Graphic;
    if (!G)
        return;
    TCanvas* C = P.Canvas;
    const TControlLook& CL = *FControlLook;
    const Integer RC = P.RC, ARow = P.ARow;
    const TRect Frame = P.Frame;
    TRect R = Frame;
    const TCellType Kind = G->CellType;
    if (Kind != ctNode && Kind != ctProgress && Kind != ctRangeIndicator && Kind != ctXPProgress) {
        const Integer DX = FPaint.XYOffset.X - 1, DY = FPaint.XYOffset.Y - 1;
        R = TRect{R.Left + DX, R.Top + DY, R.Right - DX, R.Bottom - DY};
    }
    TRect Pl = GraphicPlace(*G, Frame, P.GraphicWidth, P.GraphicHeight, P.TextWidth, P.HAlign, P.VAlign);
    // On paper rotated text is text and is always printed; the graphics only when asked for, each
    // in the form a printer takes.
    if (P.Printing && Kind != ctRotated) {
        if (PrintSettings()->PrintGraphics)
            PaintPrintedGraphic(P, *G, R, Pl);
        return;
    }
    auto Enabled = [&] {
        bool CanEdit = true;
        GetCellReadOnly(RC, ARow, CanEdit);
        return CanEdit;
    };
    const TColor SavedBrush = C->Brush()->Color();
    TCustomImageList* Images = FPaint.GridImages;
    switch (Kind) {
    case ctBitmap: {
        TBitmap* B = G->Bitmap();
        if (!B || B->Empty())
            break;
        if (G->CellTransparent) {
            // The picture's corner colour becomes the cell's (or the selection's) colour.
            TBitmap Tmp;
            Tmp.SetWidth(B->Width());
            Tmp.SetHeight(B->Height());
            const TColor Fill = CellShowsSelected(P) && FSel.SelectionColor != clNone ? FSel.SelectionColor
                                                                                      : C->Brush()->Color();
            Tmp.Canvas()->Brush()->SetColor(Fill);
            const TRect All{0, 0, B->Width(), B->Height()};
            Tmp.Canvas()->FillRect(All);
            Tmp.Canvas()->BrushCopy(All, B, All, B->Canvas()->Pixels(0, B->Height() - 1));
            C->CopyRect(TRect{Pl.Left, Pl.Top, Pl.Left + B->Width(), Pl.Top + B->Height()}, Tmp.Canvas(),
                        All);
        } else {
            C->Draw(Pl.Left, Pl.Top, B);
        }
        break;
    }
    case ctIcon:
        if (TIcon* I = G->Icon())
            C->Draw(Pl.Left, Pl.Top, I);
        break;
    case ctImageList:
        if (Images && G->CellIndex >= 0 && G->CellIndex < Images->Count())
            Images->Draw(C, Pl.Left, Pl.Top, G->CellIndex, true);
        break;
    case ctDataImage:
        if (Images) {
            Integer Index = 0;
            try {
                Index = GetCellEx(RC, ARow).empty() ? 0 : Ints(RC, ARow);
            } catch (const std::exception&) {
                break;
            }
            Index += G->CellIndex;
            // Below zero draws nothing as well as beyond the list.
            if (Index >= 0 && Index < Images->Count())
                Images->Draw(C, Pl.Left, Pl.Top, Index, true);
        }
        break;
    case ctImages:
        if (Images && G->IntList()) {
            Integer X = Pl.Left, Y = Pl.Top;
            TIntList* L = G->IntList();
            for (Integer I = 0; I < L->Count(); ++I) {
                const Integer Index = L->Items(I);
                if (Index >= 0 && Index < Images->Count())
                    Images->Draw(C, X, Y, Index, true);
                if (G->CellBoolean)
                    X += Images->Width();
                else
                    Y += Images->Height();
            }
        }
        break;
    case ctPicture:
        if (TPicture* Pic = G->Picture(); Pic && Pic->Graphic()) {
            if (G->CellAngle != 0)
                C->StretchDraw(Pl, Pic->Graphic());
            else
                C->Draw(Pl.Left, Pl.Top, Pic->Graphic());
        }
        break;
    case ctFilePicture:
        if (TFilePicture* FP = G->FilePicture())
            FP->DrawPicture(C, Pl);
        break;
    case ctCheckBox:
    case ctRowCheckBox:
        DrawCheckOn(C, Pl, G->CellBoolean, Enabled(), CL.ControlStyle);
        break;
    case ctDataCheckBox:
    case ctVirtCheckBox:
        DrawCheckOn(C, Pl, GetCellEx(RC, ARow) == GetCheckTrue(RC, ARow), Enabled(), CL.ControlStyle);
        break;
    case ctRadioButton: {
        Pl.Left += FPaint.XYOffset.X;
        Pl.Right = Pl.Left + CL.RadioSize;
        Pl.Bottom = Pl.Top + CL.RadioSize;
        DrawRadio(C, Pl, 1, G->CellBoolean ? 0 : -1, false, !Enabled(), nullptr, false, RC, ARow,
                  CL.ControlStyle, 1.0, false);
        break;
    }
    case ctRadio: {
        TStrings* Items = G->Strings();
        DrawRadio(C, R, Items ? Items->Count() : 0, G->CellIndex, G->CellBoolean, !Enabled(), Items,
                  P.State.Contains(gdSelected), RC, ARow, CL.ControlStyle, 1.0, false);
        break;
    }
    case ctRotated: {
        const AnsiString S = Cells(RC, ARow);
        if (S.empty())
            break;
        LOGFONT LF{};
        ::GetObject(C->Font()->Handle(), sizeof(LF), &LF);
        LF.lfEscapement = LF.lfOrientation = G->CellAngle * 10;
        HFONT Rotated = ::CreateFontIndirect(&LF);
        const HDC DC = C->Handle();
        const int Saved = ::SaveDC(DC);
        const TPoint Ext{C->TextWidth(S), C->TextHeight(S)};
        HGDIOBJ Old = ::SelectObject(DC, Rotated);
        ::SetTextAlign(DC, 0);
        ::SetBkMode(DC, TRANSPARENT);
        const TRect Clip{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2};
        ::IntersectClipRect(DC, Clip.Left, Clip.Top, Clip.Right, Clip.Bottom);
        const TPoint At = RotatedTextStart(Clip, G->CellAngle, Ext.X, Ext.Y, P.HAlign, P.VAlign);
        ::TextOut(DC, At.X, At.Y, S.c_str(), static_cast<int>(S.size()));
        ::SelectObject(DC, Old);
        ::RestoreDC(DC, Saved);
        ::DeleteObject(Rotated);
        if (!P.Printing && SortIndicatorShown(RC, ARow))
            DrawSortIndicator(C, RC, Pl.Right - 10, Pl.Top + 8);
        break;
    }
    case ctNode:
        DrawNodeGlyph(C, P, *G, Frame);
        break;
    case ctProgress: {
        const Double V = PaintFloat(RC, ARow);
        if ((CL.ControlStyle == csWinXP || CL.ControlStyle == csTheme) && FCore.IsXP && CL.ProgressXP) {
            TRect B{R.Left + CL.ProgressMarginX, R.Top + CL.ProgressMarginY, R.Right - CL.ProgressMarginX,
                    R.Bottom - CL.ProgressMarginY};
            if (DrawThemed(C, HandleAllocated() ? Handle() : nullptr, u"Progress", 1, 0, B)) {
                B = TRect{B.Left + 2, B.Top + 2, B.Right - 2, B.Bottom - 2};
                const Double Clamped = std::clamp(V, 0.0, 100.0);
                B.Right = B.Left + static_cast<Integer>(std::nearbyint(Clamped * (B.Right - B.Left) / 100));
                DrawThemed(C, HandleAllocated() ? Handle() : nullptr, u"Progress", 3, 1, B);
                break;
            }
        }
        const TRect B{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2};
        TColor C1 = G->GraphicColor(), C2 = Inverse(C1), C3 = G->GraphicExtraColor(), C4 = Inverse(C3);
        if (G->CellBoolean) {
            C2 = static_cast<TColor>(G->CellIndex);
            C4 = static_cast<TColor>(G->CellAngle);
        }
        DrawProgressLin(C, B, C1, C2, C3, C4, V, CL.ProgressMarginX, CL.ProgressMarginY, G->CellErrFrom,
                        G->CellErrLen, G->CellText, CL.ProgressBorderColor, false);
        break;
    }
    case ctProgressPie:
        DrawProgressPie(C, TRect{Pl.Left, Pl.Top, Pl.Left + 20, Pl.Top + 20}, G->GraphicColor(), G->CellAngle,
                        false);
        break;
    case ctRangeIndicator: {
        const TRect B{R.Left + CL.ProgressMarginX, R.Top + CL.ProgressMarginY, R.Right - CL.ProgressMarginX,
                      R.Bottom - CL.ProgressMarginY};
        DrawRangeIndicator(C, B, static_cast<Integer>(PaintFloat(RC, ARow)), G->CellIndex, G->CellBoolean,
                           G->GraphicColor(), G->GraphicExtraColor());
        break;
    }
    case ctXPProgress: {
        const TGridProgressAppearance& A = *FProgressAppearance;
        TGaugeSettings S;
        S.Level0Color = A.Level0Color();
        S.Level0ColorTo = A.Level0ColorTo();
        S.Level1Color = A.Level1Color();
        S.Level1ColorTo = A.Level1ColorTo();
        S.Level2Color = A.Level2Color();
        S.Level2ColorTo = A.Level2ColorTo();
        S.Level3Color = A.Level3Color();
        S.Level3ColorTo = A.Level3ColorTo();
        S.Level1Perc = A.Level1Perc();
        S.Level2Perc = A.Level2Perc();
        S.ShowBorder = A.ShowBorder();
        S.BorderColor = A.BorderColor();
        S.Stacked = A.Stacked();
        S.ShowPercentage = A.ShowPercentage();
        S.CompletionSmooth = A.CompletionSmooth();
        S.ShowGradient = A.ShowGradient();
        S.Steps = A.Steps();
        S.Font = Font();
        S.CompleteFontColor = A.CompleteFontColor();
        S.BackgroundColor = A.UnCompleteColor() == clNone ? C->Brush()->Color() : A.UnCompleteColor();
        const TRect B{R.Left + CL.ProgressMarginX, R.Top + CL.ProgressMarginY,
                      R.Right - CL.ProgressMarginX - 1, R.Bottom - CL.ProgressMarginY - 1};
        const Double V = std::trunc(PaintFloat(RC, ARow));
        const Double Min = G->CellErrFrom, Max = G->CellErrLen;
        // A gauge without a range shows empty or full rather than dividing by zero.
        Integer Percent = V >= Max ? 100 : 0;
        if (Max != Min)
            Percent = static_cast<Integer>(std::nearbyint(std::fabs(V - Min) / (Max - Min) * 100));
        DrawGauge(C, B, Percent, S);
        break;
    }
    case ctComment:
        if (CL.CommentColor != clNone) {
            const TColor Own = static_cast<TColor>(G->CellIndex);
            const TColor Mark = Own == clNone ? CL.CommentColor : Own;
            const Integer X = R.Right + FPaint.XYOffset.X, Y = R.Top - FPaint.XYOffset.Y;
            C->Brush()->SetColor(Mark);
            C->Pen()->SetColor(Mark);
            C->Polygon({TPoint{X - 8, Y + 1}, TPoint{X - 3, Y + 1}, TPoint{X - 3, Y + 6}});
            C->Brush()->SetColor(Color());
        }
        break;
    case ctButton:
    case ctBitButton:
        DrawCellButton(C, P, *G, Pl);
        break;
    case ctInterface:
        if (ICellGraphic* I = G->Interface(); I && !I->IsBackground())
            I->Draw(C, TRect{R.Left - 1, R.Top - 1, R.Right, R.Bottom}, RC, ARow,
                    P.State.Contains(gdSelected), this);
        break;
    case ctShape:
        DrawShape(C, Pl.Left, Pl.Top, Pl.Right - Pl.Left - 1, Pl.Bottom - Pl.Top - 1,
                  static_cast<TCellShape>(G->CellAngle), static_cast<TColor>(G->CellIndex),
                  G->GraphicColor());
        break;
    case ctRating: {
        // The value cut to a multiple of one half.
        const Double V = std::trunc(PaintFloat(RC, ARow) * 2) / 2;
        const TColor Full = static_cast<TColor>(G->CellIndex), Empty = G->GraphicColor();
        for (Integer I = 1; I <= G->CellAngle; ++I) {
            const Integer X = Pl.Left + (I - 1) * 18;
            DrawShape(C, X, Pl.Top, 16, 16, csStar, I <= V ? Full : Empty, I <= V ? Full : Empty);
            if (I > V && I - 1 < V)
                DrawShape(C, X, Pl.Top, 16, 16, csHalfStar, Full, Full);
        }
        break;
    }
    default:
        break;
    }
    C->Brush()->SetColor(SavedBrush);
}

void TDidAririzEvar::DrawNodeGlyph(TCanvas* C, TGridCellPaint& P, TCellGraphic& G, TRect R)
{
    const TCellNode& N = *FCellNode;
    const Integer Indent = N.NodeIndent(), ARow = P.ARow;
    const bool Contracted = G.CellBoolean;
    const Integer X = NodeIndent(ARow) - Indent + Indent / 2 + 2;
    const Integer Mid = R.Top + (R.Bottom - R.Top) / 2;
    // 1. The tree's own lines around the glyph.
    if (N.ShowTree() && ARow >= FixedRows()) {
        C->Pen()->SetColor(N.TreeColor());
        C->Pen()->SetWidth(1);
        if (ARow + 1 < RowCount() && NodeIndent(ARow + 1) > 0 &&
            !(Contracted && NodeIndent(ARow + 1) < NodeIndent(ARow)))
            Line(C, X, Mid, X, R.Bottom);
        if (ARow > 0 && NodeIndent(ARow - 1) >= NodeIndent(ARow))
            Line(C, X, R.Top, X, R.Top + 6);
    }
    const TGridLook Lk = FCore.Look;
    if (P.ACol < FixedCols() && !FCore.Flat &&
        (Lk == glSoft || Lk == glZIV || Lk == glXP || Lk == glListView))
        ++R.Left;
    // 2.
    R.Left = NodeIndent(ARow) - Indent / 2 - 4;
    TColor Back = C->Brush()->Color();
    if (Back == clNone)
        Back = FixedCols() == 0 ? Color() : FixedColor();
    if (CellShowsSelected(P))
        Back = FSel.SelectionColor;
    // 3.
    if (N.NodeType() == cn3D) {
        C->Brush()->SetColor(N.Color());
        C->FillRect(R);
        C->Brush()->SetColor(clWhite);
        C->FrameRect(R);
    }
    // 4.
    auto Transparent = [&](TBitmap* B, Integer X0, Integer Y0) {
        TRect D{X0, Y0, X0 + B->Width(), Y0 + B->Height()};
        DrawBitmapTransp(C, B, Back, D);
    };
    if (N.NodeType() == cnLeaf || N.NodeType() == cnXP) {
        const bool Leaf = N.NodeType() == cnLeaf;
        TBitmap B;
        try {
            B.LoadFromResourceName(nullptr, Leaf ? (Contracted ? "DAELEAFCLOSE" : "DAELEAFOPEN")
                                                 : (Contracted ? "XPNODEC" : "XPNODEO"));
        } catch (const Exception&) {
            return;
        }
        if (Leaf)
            Transparent(&B, R.Left, R.Top + (R.Bottom - R.Top - 12) / 2);
        else
            Transparent(&B, R.Left + 4, R.Top + (R.Bottom - R.Top - 10) / 2);
        return;
    }
    TBitmap* Expand = N.ExpandGlyph();
    TBitmap* Contract = N.ContractGlyph();
    if (N.NodeType() == cnGlyph && Expand && Contract && !Expand->Empty() && !Contract->Empty()) {
        Transparent(Contracted ? Contract : Expand, R.Left,
                    R.Top + (R.Bottom - R.Top - Contract->Height()) / 2);
        return;
    }
    // 5. An 8 x 8 box.
    const Integer L = R.Left + 4, T = R.Top + (R.Bottom - R.Top - 8) / 2;
    if (N.NodeType() == cnFlat) {
        C->Pen()->SetColor(N.NodeColor());
        C->Brush()->SetColor(N.Color());
        C->Rectangle(TRect{L, T, L + 9, T + 9});
        Line(C, L + 2, T + 4, L + 7, T + 4);
        if (Contracted)
            Line(C, L + 4, T + 2, L + 4, T + 7);
    } else {
        RECT E{L, T, L + 9, T + 9};
        ::DrawEdge(C->Handle(), &E, Contracted ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT | BF_SOFT);
    }
}

void TDidAririzEvar::DrawCellButton(TCanvas* C, TGridCellPaint& P, TCellGraphic& G, TRect Place)
{
    const TControlLook& CL = *FControlLook;
    // 1. Where the button is, for the mouse.
    const TRect Cell = CellRect(P.ACol, P.ARow);
    const auto DX = static_cast<std::uint32_t>(std::max<Integer>(0, Place.Left - Cell.Left));
    const auto DY = static_cast<std::uint32_t>(std::max<Integer>(0, Place.Top - Cell.Top));
    G.CellValue = static_cast<Double>((DX & 0xFFFFu) | (DY << 16));
    const TColor SavedBack = C->Brush()->Color();
    C->Brush()->SetColor(clBtnFace);
    // 2.
    bool Enabled = true;
    if (!CL.NoDisabledButtonLook)
        GetCellReadOnly(P.RC, P.ARow, Enabled);
    // 3.
    const bool Pushed = G.CellBoolean;
    const bool Themed = FCore.IsXP && DrawThemed(C, HandleAllocated() ? Handle() : nullptr, u"button", 1,
                                                 !Enabled ? 4
                                                 : Pushed ? 3
                                                          : 1,
                                                 Place);
    if (!Themed)
        FrameControl(C, Place,
                     DFCS_BUTTONPUSH | (CL.FlatButton ? DFCS_FLAT : 0) | (Pushed ? DFCS_PUSHED : 0) |
                         (Enabled ? 0 : DFCS_INACTIVE));
    const Integer In = Pushed ? 3 : 2;
    Place = TRect{Place.Left + In, Place.Top + In, Place.Right - In, Place.Bottom - In};
    // 4.
    if (G.CellType == ctBitButton)
        if (TBitmap* Glyph = G.Bitmap(); Glyph && !Glyph->Empty()) {
            DrawGlyph(C, Place.Left + 1, Place.Top + 1, Glyph);
            Place.Left += Glyph->Width() + 2;
        }
    // 5.
    const HDC DC = C->Handle();
    ::SetBkMode(DC, TRANSPARENT);
    C->Font()->SetColor(Enabled ? clBtnText : clGrayText);
    RECT Rc{Place.Left + 1, Place.Top, Place.Right + 1, Place.Bottom};
    UINT Flags = DT_CENTER | DT_END_ELLIPSIS;
    Flags |= G.CellText.find('\r') != AnsiString::npos ? DT_WORDBREAK : DT_VCENTER | DT_SINGLELINE;
    ::DrawText(DC, G.CellText.c_str(), static_cast<int>(G.CellText.size()), &Rc, Flags);
    C->Brush()->SetColor(SavedBack);
}

// ---- Check boxes and radio buttons ----------------------------------------------------------------

void TDidAririzEvar::DrawCheck(const TRect& R, bool Checked, bool Enabled, RudUvudLook::TControlStyle Style)
{
    DrawCheckOn(Canvas(), R, Checked, Enabled, Style);
}

void TDidAririzEvar::DrawCheckOn(TCanvas* C, const TRect& R, bool Checked, bool Enabled,
                                 RudUvudLook::TControlStyle Style)
{
    const TControlLook& CL = *FControlLook;
    const bool Active = Enabled || CL.NoDisabledCheckRadioLook || CL.CheckAlwaysActive;
    if (Style == csTheme && !(FCore.IsComCtl6 && FCore.IsXP))
        Style = csClassic;
    const Integer S = CL.CheckSize;
    switch (Style) {
    case csWinXP:
        DrawResource(C, R.Left, R.Top,
                     Checked ? (Active ? "DAECHK05" : "DAECHK07") : (Active ? "DAECHK06" : "DAECHK08"));
        return;
    case csZIV:
        DrawResource(C, R.Left, R.Top,
                     Checked ? (Active ? "DAECHK01" : "DAECHK03") : (Active ? "DAECHK02" : "DAECHK04"));
        return;
    case csGlyph:
        DrawGlyph(C, R.Left, R.Top, Checked ? CL.CheckedGlyph() : CL.UnCheckedGlyph());
        return;
    case csTheme:
        if (DrawThemed(C, HandleAllocated() ? Handle() : nullptr, u"button", 3,
                       Checked ? (Active ? 5 : 8) : (Active ? 1 : 4),
                       TRect{R.Left, R.Top, R.Left + S, R.Top + S}))
            return;
        break; // no theme after all: the classic box
    case csBorland: {
        const TColor OldBrush = C->Brush()->Color();
        C->Brush()->SetColor(Active ? clBtnFace : clBtnShadow);
        C->Pen()->SetColor(clBtnFace);
        C->Rectangle(R);
        C->Pen()->SetColor(clBtnHighlight);
        Line(C, R.Left, R.Bottom - 1, R.Left, R.Top);
        Line(C, R.Left, R.Top, R.Right - 1, R.Top);
        C->Pen()->SetColor(clBtnShadow);
        Line(C, R.Right - 1, R.Top, R.Right - 1, R.Bottom - 1);
        Line(C, R.Right - 1, R.Bottom - 1, R.Left, R.Bottom - 1);
        if (Checked) {
            C->Pen()->SetColor(Active ? CL.Color : clGray);
            const TRect M{R.Left, R.Top - 1, R.Right, R.Bottom - 1};
            Line(C, M.Left + 2, M.Top + S / 2 + 1, M.Left + 2, M.Bottom - 1);
            Line(C, M.Left + 3, M.Top + S / 2, M.Left + 3, M.Bottom - 2);
            Line(C, M.Left + 2, M.Bottom - 1, M.Right - 2, M.Top + 3);
            Line(C, M.Left + 3, M.Bottom - 1, M.Right - 1, M.Top + 3);
        }
        C->Brush()->SetColor(OldBrush);
        return;
    }
    default:
        break;
    }
    // csClassic and csFlat: the frame control, centred in the rectangle.
    const Integer L = R.Left + (R.Right - R.Left - S) / 2, T = R.Top + (R.Bottom - R.Top - S) / 2;
    FrameControl(C, TRect{L, T, L + S, T + S},
                 DFCS_BUTTONCHECK | (Style == csFlat ? DFCS_FLAT : 0) | (Checked ? DFCS_CHECKED : 0) |
                     (Active ? 0 : DFCS_INACTIVE));
}

void TDidAririzEvar::DrawRadio(TCanvas* C, const TRect& R, Integer Count, Integer Index, bool Horizontal,
                               bool Disabled, TStrings* Items, bool Selected, Integer ACol, Integer ARow,
                               RudUvudLook::TControlStyle Style, Double Scale, bool Upward)
{
    const TControlLook& CL = *FControlLook;
    const bool Enabled = !(Disabled && !CL.NoDisabledCheckRadioLook && !CL.RadioAlwaysActive);
    const HDC DC = C->Handle();
    ::SetBkMode(DC, TRANSPARENT);
    if (Style == csTheme && !FCore.IsXP)
        Style = csClassic;
    const bool FrameStyle = Style == csClassic || Style == csFlat;
    const bool BitmapStyle = Style == csWinXP || Style == csZIV || Style == csGlyph;
    const AnsiString CellText = Index == -1 ? Cells(ACol, ARow) : AnsiString();
    if (Selected && ShowSelection() && FSel.SelectionTextColor != clNone)
        C->Font()->SetColor(FSel.SelectionTextColor);
    const Integer TextH = C->TextHeight("gh");
    const bool HasCaptions = Items && Items->Count() > 0;
    const Integer RSize = CL.RadioSize;
    const Integer S =
        FrameStyle ? static_cast<Integer>((RSize + (Style == csFlat ? 2 : 0)) * Scale) : GlyphSize;
    const Integer Step = FrameStyle ? RSize : GlyphSize;
    const Integer LineH = FrameStyle ? TextH : std::max<Integer>(GlyphSize, TextH);
    Integer CaptionWidths = 0;
    for (Integer I = 1; I <= Count; ++I) {
        const AnsiString Caption = Items && I - 1 < Items->Count() ? Items->Strings(I - 1) : AnsiString();
        const bool On = Index == -1 ? (Caption == CellText) : I == Index + 1;
        Integer X, Y, CX, CY;
        if (Horizontal) {
            X = R.Left + 2 + (I - 1) * Step + CaptionWidths;
            Y = R.Top + (R.Bottom - R.Top - S) / 2;
            CX = FrameStyle ? X + static_cast<Integer>(Scale * RSize) : X + GlyphSize;
            CY = R.Top + (R.Bottom - R.Top - TextH) / 2;
            CaptionWidths += C->TextWidth(Caption);
        } else {
            const Integer Offset = (I - 1) * LineH + 2;
            Y = Upward ? R.Top - Offset - S : R.Top + Offset;
            X = HasCaptions ? R.Left + 2 : R.Left + (R.Right - R.Left - S) / 2;
            CX = FrameStyle ? R.Left + static_cast<Integer>(Scale * (RSize + 4)) + 2
                            : R.Left + (BitmapStyle ? 18 : 20);
            CY = Y + (BitmapStyle ? 1 : 0);
        }
        switch (Style) {
        case csClassic:
        case csFlat:
            FrameControl(C, TRect{X, Y, X + S, Y + S},
                         DFCS_BUTTONRADIO | (CL.ControlStyle == csFlat ? DFCS_FLAT : 0) |
                             (Enabled ? 0 : DFCS_INACTIVE) | (On ? DFCS_CHECKED : 0));
            break;
        case csBorland: {
            const TColor OldBrush = C->Brush()->Color();
            C->Brush()->SetColor(clBtnFace);
            C->Pen()->SetColor(clBtnFace);
            C->Polygon(
                {TPoint{X + 2, Y + 8}, TPoint{X + 8, Y + 2}, TPoint{X + 14, Y + 8}, TPoint{X + 8, Y + 14}});
            C->Pen()->SetColor(On ? clGray : clWhite);
            Line(C, X + 2, Y + 8, X + 8, Y + 14);
            C->Pen()->SetColor(On ? clWhite : clGray);
            Line(C, X + 8, Y + 2, X + 14, Y + 8);
            if (On) {
                C->Brush()->SetColor(CL.Color);
                C->Pen()->SetColor(CL.Color);
                C->Polygon({TPoint{X + 6, Y + 8}, TPoint{X + 8, Y + 6}, TPoint{X + 10, Y + 8},
                            TPoint{X + 8, Y + 10}});
            }
            C->Brush()->SetColor(OldBrush);
            break;
        }
        case csTheme:
            if (!DrawThemed(C, HandleAllocated() ? Handle() : nullptr, u"button", 2,
                            On ? (Enabled ? 5 : 8) : (Enabled ? 1 : 4), TRect{X, Y, X + 16, Y + 16}))
                FrameControl(C, TRect{X, Y, X + 16, Y + 16},
                             DFCS_BUTTONRADIO | (Enabled ? 0 : DFCS_INACTIVE) | (On ? DFCS_CHECKED : 0));
            break;
        case csWinXP:
            DrawResource(C, X, Y,
                         On ? (Enabled ? "DAERAD05" : "DAERAD07") : (Enabled ? "DAERAD06" : "DAERAD08"));
            break;
        case csZIV:
            DrawResource(C, X, Y,
                         On ? (Enabled ? "DAERAD01" : "DAERAD03") : (Enabled ? "DAERAD02" : "DAERAD04"));
            break;
        case csGlyph:
            DrawGlyph(C, X, Y, On ? CL.RadioOnGlyph() : CL.RadioOffGlyph());
            break;
        }
        if (!Caption.empty()) {
            // The canvas's own drawing above may have made the background opaque again.
            ::SetBkMode(DC, TRANSPARENT);
            ::TextOut(DC, CX, CY, Caption.c_str(), static_cast<int>(Caption.size()));
        }
    }
}

// ---- Background ----------------------------------------------------------------------------------

void TDidAririzEvar::DrawWallPaperFixed(const TRect& R)
{
    TBitmap* B = FBackGround->Bitmap();
    if (!B || B->Empty())
        return;
    const TRect Pic{FBackGround->Left, FBackGround->Top, FBackGround->Left + B->Width(),
                    FBackGround->Top + B->Height()};
    const TRect O{std::max(Pic.Left, R.Left), std::max(Pic.Top, R.Top), std::min(Pic.Right, R.Right),
                  std::min(Pic.Bottom, R.Bottom)};
    if (O.Left >= O.Right || O.Top >= O.Bottom)
        return;
    ::SetBkMode(Canvas()->Handle(), TRANSPARENT);
    Canvas()->CopyRect(O, B->Canvas(),
                       TRect{O.Left - Pic.Left, O.Top - Pic.Top, O.Right - Pic.Left, O.Bottom - Pic.Top});
}

void TDidAririzEvar::DrawWallPaperTile(const TRect& R)
{
    TBitmap* B = FBackGround->Bitmap();
    if (!B || B->Empty())
        return;
    const Integer W = B->Width(), H = B->Height();
    for (Integer Y = R.Top - 1; Y < R.Bottom; Y += H)
        for (Integer X = R.Left - 1; X < R.Right; X += W) {
            const Integer CW = std::min(W, R.Right - X), CH = std::min(H, R.Bottom - Y);
            Canvas()->CopyRect(TRect{X, Y, X + CW, Y + CH}, B->Canvas(), TRect{0, 0, CW, CH});
        }
}

void TDidAririzEvar::PaintBackground()
{
    const TBackGround& BG = *FBackGround;
    TBitmap* B = BG.Bitmap();
    const bool Gradient = BG.Display == bdGradientHorz || BG.Display == bdGradientVert;
    // 1. and 2.
    const Integer LastCol = ColCount() - 1, LastRow = RowCount() - 1;
    const bool RowsFit = TopRow() + VisibleRowCount() >= RowCount();
    const bool ColsFit = LeftCol() + VisibleColCount() >= ColCount();
    if (!RowsFit && !ColsFit)
        return;
    if (Gradient && BG.ColorTo == clNone)
        return;
    // 3. The area right of the last column and below the last row.
    const TRect Client = ClientRect();
    const Integer GW = GridLineWidth();
    const TRect LastC = CellRect(LastCol, 0), LastR = CellRect(0, LastRow);
    HRGN Region = nullptr;
    auto Add = [&](const TRect& A) {
        HRGN Part = ::CreateRectRgn(A.Left, A.Top, A.Right, A.Bottom);
        if (!Region) {
            Region = Part;
            return;
        }
        ::CombineRgn(Region, Region, Part, RGN_OR);
        ::DeleteObject(Part);
    };
    if (LastC.Right > LastC.Left && LastC.Right + GW < Client.Right)
        Add(TRect{LastC.Right + GW, 0, Client.Right, Client.Bottom});
    if (LastR.Bottom > LastR.Top && LastR.Bottom + GW < Client.Bottom)
        Add(TRect{0, LastR.Bottom + GW, Client.Right, Client.Bottom});
    if (!Region)
        return;
    // 4.
    TRect PR = Client;
    if (FSearchFooter->Visible())
        PR.Bottom -= 32;
    if (FFloatingFooter->Visible())
        PR.Bottom -= FFloatingFooter->Height();
    // 5.
    const HDC DC = Canvas()->Handle();
    ::SelectClipRgn(DC, Region);
    if (!B || B->Empty()) {
        if (Gradient)
            DrawGradient(Canvas(), BG.Color, BG.ColorTo, 128, PR, BG.Display == bdGradientHorz);
    } else if (BG.Display != bdTile) {
        DrawWallPaperFixed(PR);
    } else if (BG.Cells != bcFixed) {
        TRect T = PR;
        if (BG.Cells == bcNormal) {
            const TRect First = CellRect(FixedCols(), FixedRows());
            T.Left = First.Left;
            T.Top = First.Top;
        }
        T.Left += FPaint.XYOffset.X;
        T.Top += FPaint.XYOffset.Y;
        DrawWallPaperTile(T);
    }
    // 6.
    ::SelectClipRgn(DC, nullptr);
    ::DeleteObject(Region);
}
