// Cell content: selection colours, the filter glyph, the selection rectangle, the text by its
// kind (plain with wrap, alignment and ellipsis, wide text, mini-HTML, links, passwords) and the
// sort indicator.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/edit/GridText.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

constexpr Integer SortRoom = 14;
constexpr Integer FilterGlyphWidth = 16;

UINT HorzFlag(TAlignment A)
{
    return A == taRightJustify ? DT_RIGHT : A == taCenter ? DT_CENTER : DT_LEFT;
}

UINT VertFlag(TVAlignment A)
{
    return A == vtaCenter ? DT_VCENTER : A == vtaBottom ? DT_BOTTOM : DT_TOP;
}

Integer IndicatorY(const TRect& R, TVAlignment V)
{
    return V == vtaCenter ? R.Top + (R.Bottom - R.Top) / 2 : V == vtaBottom ? R.Bottom - 8 : R.Top + 8;
}

} // namespace

bool TDidAririzEvar::ShowsFilterGlyph(Integer RC)
{
    // The automatic filter list holds the column's distinct values; building it means reading
    // every row, which a repaint must not do. Whether it has entries is known without that: it
    // has one when there is a data row or a clear entry. Only an application's own filter event
    // needs the full query.
    if (FCore.FilterDropDownAuto && !OnGetColumnFilter && RC >= FixedCols())
        return GetAllRowCount() - 1 - FCore.FixedFooters >= FixedRows() || !FCore.FilterDropDownClear.empty();
    if (!FCore.FilterDropDownAuto && !OnGetColumnFilter)
        return false;
    return GetFilter(RC);
}

bool TDidAririzEvar::SortIndicatorShown(Integer RC, Integer ARow)
{
    const TSortSettings& S = *FSortSettings;
    if (!S.Show || ARow != S.Row() || RowCount() <= 2 || FixedRows() == 0 ||
        (DisplColIndex(RC) < FixedCols() && !S.FixedCols))
        return false;
    const Integer At = S.SortIndexes.FindIndex(RC);
    if (RC != S.Column && At < 0)
        return false;
    // Secondary index columns show their mark only with IndexShow.
    return At <= 0 || S.IndexShow;
}

void TDidAririzEvar::SetSortIndicator(Integer ACol, TSortDirection Dir)
{
    FSortSettings->Show = ACol >= 0;
    FSortSettings->Column = ACol;
    FSortSettings->Direction = Dir;
    if (FixedRows() > 0)
        RepaintRow(FSortSettings->Row());
}

void TDidAririzEvar::DrawSortIndicator(TCanvas* C, Integer ACol, Integer X, Integer Y)
{
    FPaint.SortIndicatorAt = TPoint{X, Y};
    TPen* P = C->Pen();
    P->SetWidth(1);
    const TSortSettings& S = *FSortSettings;
    const Integer At = S.IndexShow ? S.SortIndexes.FindIndex(ACol) : -1;
    if (At >= 0) {
        // Index sorts: a triangle in the index colour numbered with the column's 1-based place.
        const bool Down = !S.SortIndexes.GetSortDirections(At);
        const TColor OldBrush = C->Brush()->Color();
        C->Brush()->SetColor(S.IndexColor);
        P->SetColor(clBlack);
        // The pictures, when both are given, are taken as the index sort's own marks: the
        // up picture for a descending entry, the down picture for an ascending one.
        if (!S.IndexUpGlyph()->Empty() && !S.IndexDownGlyph()->Empty())
            C->Draw(X - 7, Y - 7, Down ? S.IndexUpGlyph() : S.IndexDownGlyph());
        else if (Down)
            C->Polygon({TPoint{X - 7, Y - 5}, TPoint{X + 7, Y - 5}, TPoint{X, Y + 8}});
        else
            C->Polygon({TPoint{X - 6, Y + 8}, TPoint{X + 6, Y + 8}, TPoint{X, Y - 4}});
        TFont Saved;
        Saved.Assign(C->Font());
        C->Font()->SetColor(clBlack);
        C->Font()->SetSize(6);
        C->Brush()->SetStyle(bsClear);
        const AnsiString N = std::to_string(At + 1);
        C->TextOut(X - 2, Down ? Y - 4 : Y - 2, N);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(OldBrush);
        C->Font()->Assign(&Saved);
        return;
    }
    // Arrows drawn with lines: a white lit edge and grey shaded edges. The primary column of an
    // index sort shows its own entry's direction.
    const Integer First = S.SortIndexes.FindIndex(ACol);
    const bool Descending =
        First >= 0 ? !S.SortIndexes.GetSortDirections(First) : S.Direction == sdDescending;
    if (!S.UpGlyph()->Empty() && !S.DownGlyph()->Empty()) {
        C->Draw(X - 4, Y - 4, Descending ? S.DownGlyph() : S.UpGlyph());
        C->Brush()->SetColor(FixedColor());
        return;
    }
    if (Descending) {
        P->SetColor(clWhite);
        C->MoveTo(X + 4, Y - 4);
        C->LineTo(X, Y + 4);
        P->SetColor(clGray);
        C->LineTo(X - 4, Y - 4);
        C->LineTo(X + 4, Y - 4);
    } else {
        P->SetColor(clWhite);
        C->MoveTo(X - 4, Y + 4);
        C->LineTo(X + 4, Y + 4);
        C->LineTo(X, Y - 4);
        P->SetColor(clGray);
        C->LineTo(X - 4, Y + 4);
    }
    P->SetColor(clBlack);
}

void TDidAririzEvar::DrawFilterGlyph(TCanvas* C, Integer X, Integer Y)
{
    TBitmap* G = FFilterDropDown->Glyph();
    if (G && !G->Empty()) {
        C->Draw(X, Y, G);
        return;
    }
    // The built-in funnel: a black outline filled dark grey, over the fixed colour.
    const TColor B = C->Brush()->Color();
    C->Brush()->SetColor(clGray);
    C->Pen()->SetColor(clBlack);
    C->Polygon({TPoint{X + 3, Y + 4}, TPoint{X + 12, Y + 4}, TPoint{X + 9, Y + 8}, TPoint{X + 9, Y + 12},
                TPoint{X + 6, Y + 13}, TPoint{X + 6, Y + 8}});
    C->Brush()->SetColor(B);
}

void TDidAririzEvar::DrawCellContent(TCanvas* C, Integer ACol, Integer RC, Integer ARow, TRect ARect,
                                     TGridDrawState AState, TAlignment HAlign, TVAlignment VAlign,
                                     bool WordWrap, TColor OwnBrush, TColor OwnFont)
{
    TGridPaintState& P = FPaint;
    const bool Fixed = AState.Contains(gdFixed) || ACol < FixedCols() || ARow < FixedRows();
    const Integer GW = GridLineWidth();
    const bool DisRow = FMouseActions->DisjunctRowSelect();
    const Integer SelRow = DisRow && FMouseActions->RowSelectPersistent ? RealRowIndex(ARow) : ARow;
    TColor LinkColor = FCore.URLColor;
    // A page shows the cells, not the state of the grid on the screen.
    const bool Printing = P.Cell && P.Cell->Printing;
    // 1. Selection colours.
    const bool RowMarked = RowTables().Marks().Get(SelRow) && Options().Contains(goRowSelect) &&
                           RC >= FixedCols() && RC < ColCount() - FCore.FixedRightCols;
    if ((AState.Contains(gdSelected) || RowMarked) && !Fixed) {
        if (ShowSelection()) {
            if (FSel.SelectionColor != clNone)
                C->Brush()->SetColor(FSel.SelectionColor);
            if (FSel.SelectionTextColor != clNone) {
                C->Font()->SetColor(FSel.SelectionTextColor);
                LinkColor = FSel.SelectionTextColor;
            }
        } else if (!Focused()) {
            C->Brush()->SetColor(OwnBrush);
            C->Font()->SetColor(OwnFont);
        }
    }
    // 2.
    AnsiString S = GetFormattedCell(RC, ARow);
    TTextType Kind = TextType(S, FCore.EnableHTML);
    if (Kind == ttFormula) {
        S = CalcCell(RC, ARow);
        Kind = TextType(S, FCore.EnableHTML);
    }
    // 3.
    bool Password = false;
    GetCellPassword(RC, ARow, Password);
    if (Password && !S.empty())
        S.assign(S.size(), FCore.CellPasswordChar);
    // 4.
    TRect TR = ARect;
    if (Fixed) {
        TR.Left += GW;
        TR.Top += GW;
    }
    // 5. Filter glyph.
    const bool FilterCell = ARow == P.FilterDropDownRow && ShowsFilterGlyph(RC);
    if (FilterCell)
        DrawFilterGlyph(C, ARect.Right - FilterGlyphWidth, ARect.Top);
    // 6. Rows or columns left out of a disjunct selection show their own colours.
    if (!Fixed && !P.MouseSelecting &&
        ((DisRow && !RowTables().Marks().Get(SelRow)) ||
         (FMouseActions->DisjunctColSelect() && !FSel.ColSelect.Get(ACol)))) {
        LinkColor = FCore.URLColor;
        C->Brush()->SetColor(Color());
        C->Font()->SetColor(Font()->Color());
        GetCellColor(RC, ARow, AState, C->Brush(), C->Font());
        if (P.Zoom != 0)
            C->Font()->SetSize(std::max<Integer>(1, C->Font()->Size() + P.Zoom));
    }
    // 9. Selection rectangle.
    if (FSel.SelectionRectangle && !Fixed && !Printing) {
        TGridRect Sel = Selection();
        Integer L = std::min(Sel.Left, Sel.Right), T = std::min(Sel.Top, Sel.Bottom);
        Integer Rt = std::max(Sel.Left, Sel.Right), B = std::max(Sel.Top, Sel.Bottom);
        if (IsMergedCell(ACol, ARow)) {
            const TPoint BC = BaseCell(L, T);
            L = Rt = BC.X;
            T = B = BC.Y;
        }
        const TPoint Base = BaseCell(ACol, ARow);
        if (Base.X >= L && Base.X <= Rt && Base.Y >= T && Base.Y <= B) {
            const TPoint Ext = CellExt(ACol, ARow);
            const bool LeftEdge = Base.X == L, TopEdge = Base.Y == T;
            const bool RightEdge = Base.X + Ext.X - 1 >= Rt, BottomEdge = Base.Y + Ext.Y - 1 >= B;
            TPen* Pen = C->Pen();
            Pen->SetColor(clBlack);
            Pen->SetWidth(2);
            if (LeftEdge) {
                C->MoveTo(ARect.Left - GW + 1, ARect.Bottom);
                C->LineTo(ARect.Left - GW + 1, ARect.Top - GW);
            }
            if (RightEdge) {
                C->MoveTo(ARect.Right - 1, ARect.Bottom);
                C->LineTo(ARect.Right - 1, ARect.Top - GW);
            }
            const Integer XR = RightEdge ? ARect.Right - 1 : ARect.Right;
            if (TopEdge) {
                C->MoveTo(ARect.Left - GW, ARect.Top - GW + 1);
                C->LineTo(XR, ARect.Top - GW + 1);
            }
            if (BottomEdge) {
                C->MoveTo(ARect.Left - GW, ARect.Bottom);
                C->LineTo(XR, ARect.Bottom);
            }
            if (FSel.SelectionResizer && RightEdge && BottomEdge) {
                const TColor BB = C->Brush()->Color();
                C->Brush()->SetColor(clBlack);
                C->FillRect(TRect{ARect.Right - 4, ARect.Bottom - 4, ARect.Right + 1, ARect.Bottom + 1});
                C->Brush()->SetColor(BB);
            }
            Pen->SetWidth(1);
        }
    }
    // 10. Text, where the cell's graphic leaves room for it.
    TGridCellPaint* Cell = P.Cell;
    if (S.empty() || (Cell && !Cell->ShowText))
        return;
    if (FFooterPainting && TR.Left > TR.Right) {
        // The floating footer hands its cells mirrored already (right-to-left display): the
        // margins widen the mirrored rectangle and its edges are exchanged into order.
        const Integer Right = TR.Left - P.XYOffset.X;
        TR.Left = TR.Right + P.XYOffset.X;
        TR.Right = Right;
    } else {
        TR.Right -= P.XYOffset.X;
        TR.Left += P.XYOffset.X;
    }
    TR.Top += P.XYOffset.Y;
    if (Cell && Cell->Graphic) {
        if (Cell->GraphicHAlign == haBeforeText)
            TR.Left += Cell->GraphicWidth;
        else if (Cell->GraphicHAlign == haAfterText)
            TR.Right -= Cell->GraphicWidth;
        if (Cell->GraphicVAlign == vaAboveText)
            TR.Top += Cell->GraphicHeight;
        else if (Cell->GraphicVAlign == vaUnderText)
            TR.Bottom -= Cell->GraphicHeight;
    }
    const bool Indicator = !Printing && SortIndicatorShown(RC, ARow);
    const HDC DC = C->Handle();
    C->Brush()->SetStyle(bsClear);
    ::SetBkMode(DC, TRANSPARENT);
    if (Kind == ttHTML) {
        if (FilterCell)
            TR.Right -= 18;
        TR.Left -= 1;
        if (Indicator)
            TR.Right -= 10;
        AnsiString Anchor, Strip, FocusAnchor, Hint, CtrlID, CtrlVal, CtrlType;
        Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
        TRect MouseRect{}, CtrlRect{};
        const bool Down = HandleAllocated() && (::GetKeyState(VK_LBUTTON) & 0x8000) && Focused();
        HTMLDrawEx(C, S, TR, P.GridImages, TR.Left, TR.Top, -1, 0, 1, false, false, false, false,
                   P.BlinkPhase, false, !P.EnhTextSize, Down, 0.0, LinkColor, clNone, clNone, clGray, Anchor,
                   Strip, FocusAnchor, Hint, XSize, YSize, Links, MouseLink, MouseRect, CtrlRect, CtrlID,
                   CtrlVal, CtrlType, FPictureCache.get(), nullptr, HandleAllocated() ? Handle() : nullptr);
        if (Indicator)
            DrawSortIndicator(C, RC, TR.Right + 2, IndicatorY(TR, VAlign));
        C->Brush()->SetStyle(bsSolid);
        return;
    }
    if (Kind == ttRTF && HandleAllocated() && !ComponentState().Contains(csDesigning)) {
        // The cell background is already in place; the rich edit draws its text over it.
        C->Pen()->SetColor(C->Brush()->Color());
        C->Brush()->SetStyle(bsClear);
        RTFPaint(RC, ARow, TR, C);
        C->Brush()->SetStyle(bsSolid);
        C->Font()->SetColor(clBlack);
        return;
    }
    if (Kind == ttRTF || Kind == ttUnicode) {
        // Rich text without a window to format in draws as its plain text; wide text is UTF-16
        // stored in the cell's wide form.
        if (Indicator)
            TR.Right -= 10;
        UINT Flags = HorzFlag(HAlign) | VertFlag(VAlign) | DT_NOPREFIX | DT_END_ELLIPSIS;
        Flags |= (WordWrap || P.MultilineCells) ? DT_WORDBREAK : DT_SINGLELINE;
        RECT R{TR.Left, TR.Top, TR.Right, TR.Bottom};
        if (Kind == ttUnicode) {
            std::u16string W = DecodeWideStr(S);
            ::DrawTextW(DC, W.c_str(), static_cast<int>(W.size()), &R, Flags);
        } else {
            S = RTFPlainText(S);
            ::DrawText(DC, S.c_str(), static_cast<int>(S.size()), &R, Flags);
        }
        if (Indicator)
            DrawSortIndicator(C, RC, TR.Right + 3, IndicatorY(TR, VAlign));
        C->Brush()->SetStyle(bsSolid);
        return;
    }
    // Plain text.
    if (Indicator && HAlign == taCenter)
        TR.Left += 10;
    const Integer Room = Indicator ? SortRoom : 0;
    bool Underlined = false;
    if (P.URLShow && IsURL(GetCellEx(RC, ARow))) {
        if (!P.URLFull)
            StripURLProtocol(S);
        TFontStyles St = C->Font()->Style();
        St.Include(fsUnderline);
        C->Font()->SetStyle(St);
        C->Font()->SetColor(LinkColor);
        Underlined = true;
    }
    UINT Flags = DT_EDITCONTROL;
    const bool OneLine = P.MultilineCells ? LinesInText(S, true) <= 1 : true;
    if (OneLine && !WordWrap) {
        const size_t Cut = S.find_first_of("\r\n");
        if (Cut != AnsiString::npos)
            S.resize(Cut);
        Flags = DT_SINGLELINE;
        if (P.EnhTextSize)
            Flags |= DT_END_ELLIPSIS;
    }
    if (WordWrap && !P.MultilineCells && P.EnhTextSize)
        Flags |= DT_END_ELLIPSIS;
    Flags |= DT_EXPANDTABS | DT_NOPREFIX;
    if (!WordWrap) {
        if (!P.MultilineCells)
            Flags |= DT_SINGLELINE;
    } else {
        Flags |= DT_WORDBREAK | DT_EDITCONTROL;
    }
    Flags |= HorzFlag(HAlign) | VertFlag(VAlign);
    if (UseRightToLeftAlignment())
        Flags |= DT_RTLREADING;
    if (HAlign == taLeftJustify)
        TR.Right -= Room;
    else
        TR.Left += Room;
    if (FilterCell)
        TR.Right -= FilterGlyphWidth;
    RECT R{TR.Left, TR.Top, TR.Right, TR.Bottom};
    if (Cell && Cell->Graphic) {
        // The width of the text, for a graphic placed before or after it.
        RECT M = R;
        ::DrawText(DC, S.c_str(), static_cast<int>(S.size()), &M, Flags | DT_CALCRECT);
        Cell->TextWidth = M.Right - TR.Left + 2;
    }
    ::DrawText(DC, S.c_str(), static_cast<int>(S.size()), &R, Flags);
    if (Indicator) {
        TRect IR = ARect;
        if (FilterCell)
            IR.Right -= FilterGlyphWidth;
        const Integer TextW =
            std::max<Integer>(0, std::min<Integer>(IR.Right - IR.Left - 16, C->TextWidth(S)));
        Integer X;
        if (HAlign == taLeftJustify)
            X = IR.Left + TextW + 10;
        else if (HAlign == taRightJustify)
            X = IR.Right - TextW - 10;
        else
            X = IR.Left + 8;
        DrawSortIndicator(C, RC, X, IndicatorY(IR, VAlign));
    }
    if (Underlined) {
        TFontStyles St = C->Font()->Style();
        St.Exclude(fsUnderline);
        C->Font()->SetStyle(St);
    }
    C->Brush()->SetStyle(bsSolid);
}
