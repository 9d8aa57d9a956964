// RTF cells: loading a cell into a rich edit and back, and painting a cell's RTF through the
// grid's hidden rich edit.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/GridPaintState.h"

#include "platform/rtl/Streams.h"
#include "platform/win/Gdi.h"
#include "platform/win/RichEdit.h"

#include <cmath>

namespace {

// The grid's own rich edits are created without a parent; they take the grid as their parent at
// their first use, since a rich edit loads, saves and formats through its window.
void Parented(TCustomRichEdit* RichEdit, TWinControl* Grid)
{
    if (!RichEdit->Parent() && RichEdit->Owner() == Grid)
        RichEdit->SetParent(Grid);
}

} // namespace

void TDidAririzEvar::CellToRich(Integer ACol, Integer ARow, TCustomRichEdit* RichEdit)
{
    if (!RichEdit)
        return;
    Parented(RichEdit, this);
    const AnsiString S = GetCellEx(ACol, ARow);
    if (S.empty()) {
        RichEdit->Lines()->Clear();
        return;
    }
    TStringStream Stream(S);
    Stream.SetPosition(0);
    RichEdit->LoadFromStream(&Stream);
}

AnsiString TDidAririzEvar::RichToString(TCustomRichEdit* RichEdit)
{
    if (!RichEdit)
        return AnsiString();
    Parented(RichEdit, this);
    TStringStream Stream;
    RichEdit->SaveToStream(&Stream);
    return Stream.DataString();
}

void TDidAririzEvar::RichToCell(Integer ACol, Integer ARow, TCustomRichEdit* RichEdit)
{
    SetCellEx(ACol, ARow, RichToString(RichEdit));
}

void TDidAririzEvar::RTFPaint(Integer ACol, Integer ARow, TRect ARect, TCanvas* Canvas)
{
    if (ComponentState().Contains(csDesigning) || !Canvas || !FRichMeasure)
        return;
    if (!HandleAllocated())
        return;
    CellToRich(ACol, ARow, FRichMeasure);
    HDC DC = Canvas->Handle();

    // Selected cells take the selection's text colour (on screen only).
    const TGridRect Sel = Selection();
    const bool Current =
        ACol == Col() && ARow == Row() && Focused() && !Options().Contains(goDrawFocusSelected);
    bool Selected = ACol >= Sel.Left && ACol <= Sel.Right && ARow >= Sel.Top && ARow <= Sel.Bottom &&
                    !Current && !MouseActions()->DisjunctRowSelect();
    if (MouseActions()->DisjunctRowSelect() && GetRowSelect(ARow))
        Selected = true;
    if (MouseActions()->DisjunctColSelect() && GetColSelect(ACol))
        Selected = true;
    if (Selected && !FPaint.SelectionRTFKeep && ::GetMapMode(DC) == MM_TEXT &&
        SelectionTextColor() != clNone) {
        FRichMeasure->SetSelStart(0);
        FRichMeasure->SetSelLength(65535);
        FRichMeasure->SelAttributes()->SetColor(SelectionTextColor());
    }

    POINT Corners[2] = {{ARect.Left, ARect.Top}, {ARect.Right, ARect.Bottom}};
    ::LPtoDP(DC, Corners, 2);
    const double ResX = ::GetDeviceCaps(DC, LOGPIXELSX), ResY = ::GetDeviceCaps(DC, LOGPIXELSY);
    POINT Margin{FPaint.XYOffset.X, FPaint.XYOffset.Y};
    ::DPtoLP(DC, &Margin, 1);
    const double MX = Margin.X * ResX / 96.0, MY = Margin.Y * ResY / 96.0;
    const double W = Corners[1].X - Corners[0].X, H = Corners[1].Y - Corners[0].Y;
    FORMATRANGE FR;
    FR.hdc = DC;
    FR.hdcTarget = DC;
    FR.rc.Left = static_cast<LONG>(std::lround((Corners[0].X + MX) / ResX * 1440));
    FR.rc.Top = static_cast<LONG>(std::lround((Corners[0].Y + MY) / ResY * 1440));
    FR.rc.Right = FR.rc.Left + static_cast<LONG>(std::lround((W - 2 * MX) / ResX * 1440));
    FR.rc.Bottom = FR.rc.Top + static_cast<LONG>(std::lround((H - 2 * MY) / ResY * 1440));
    FR.rcPage = FR.rc;
    FR.chrg.cpMin = 0;
    FR.chrg.cpMax = -1;

    const int OldMode = ::SetMapMode(DC, MM_TEXT);
    FRichMeasure->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&FR));
    FRichMeasure->Perform(EM_FORMATRANGE, 0, 0);
    ::SetMapMode(DC, OldMode);
}
