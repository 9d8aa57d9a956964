// The update lock, the grid timer (type-ahead reset, hover-follow, blinking text), focus gain and
// loss, and the painting part's share of the grid's window messages.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/core/GridSizingState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Forms.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

constexpr UINT_PTR GridTimerIdent = 111;
constexpr Integer LookupResetTicks = 4;

} // namespace

// ---- Update lock ----------------------------------------------------------------------------------

void TDidAririzEvar::BeginUpdate()
{
    if (!Visible())
        return;
    ++FPaint.UpdateCount;
    if (HandleAllocated())
        ::SendMessage(Handle(), WM_SETREDRAW, 0, 0);
}

void TDidAririzEvar::EndUpdate()
{
    // The counter drops also on a grid hidden since its BeginUpdate: a lock taken while visible
    // and released while hidden would otherwise keep redrawing off for good.
    if (FPaint.UpdateCount > 0)
        --FPaint.UpdateCount;
    else if (!Visible())
        return;
    if (FPaint.UpdateCount > 0 || ComponentState().Contains(csDestroying) || !HandleAllocated())
        return;
    ::SendMessage(Handle(), WM_SETREDRAW, 1, 0);
    ::InvalidateRect(Handle(), nullptr, FALSE);
    FPaint.PaintDropped = false;
}

void TDidAririzEvar::ResetUpdate()
{
    FPaint.UpdateCount = 0;
    // A paint asked for while the counter was up was dropped (see WM_PAINT); it is asked for
    // again, or what changed meanwhile would stay unpainted.
    if (FPaint.PaintDropped && HandleAllocated()) {
        FPaint.PaintDropped = false;
        ::InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TDidAririzEvar::SetLockFlag(bool Value)
{
    if (Value)
        BeginUpdate();
    else
        EndUpdate();
}

void TDidAririzEvar::ResetFixedCellHighlight()
{
    if (FCore.HoverFixedCells != hfNone)
        SetHoverCell(-1, -1);
}

void TDidAririzEvar::AddLookupKey(char Key)
{
    FPaint.LookupBuffer += Key;
    FPaint.LookupTicks = 0;
}

// ---- Messages ----------------------------------------------------------------------------------------

bool TDidAririzEvar::PaintWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        if (FPaint.UpdateCount > 0) {
            // Nothing is drawn while locked; the region is dropped so that the window does not
            // ask again and again, and the lock's release repaints everything.
            if (HandleAllocated())
                ::ValidateRect(Handle(), nullptr);
            FPaint.PaintDropped = true;
            Message.Result = 0;
            return true;
        }
        return false;
    case WM_TIMER:
        if (static_cast<UINT_PTR>(Message.WParam) == GridTimerIdent ||
            (FCore.GridTimer && static_cast<UINT_PTR>(Message.WParam) == FCore.GridTimer)) {
            WMTimer(Message);
            return true;
        }
        return false;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return true;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return true;
    default:
        return false;
    }
}

void TDidAririzEvar::WMTimer(TMessage&)
{
    TGridPaintState& P = FPaint;
    // 1.
    ++P.TimerTicks;
    // 2. Type-ahead reset.
    if (AutoGotoIncremental() && ++P.LookupTicks >= LookupResetTicks) {
        P.LookupBuffer.clear();
        P.LookupTicks = 0;
    }
    // 3. Hover-follow: only while the grid's form is the active window and nothing is being
    // edited, dragged or pressed, so that resting the pointer over the grid never takes the focus
    // from another control or ends an edit.
    if (P.Hovering && !ComponentState().Contains(csDesigning) && HandleAllocated() && !EditorMode() &&
        !FEdit.Editing.Active && !(::GetKeyState(VK_LBUTTON) & 0x8000)) {
        POINT Pt{};
        ::GetCursorPos(&Pt);
        HWND Top = ::GetAncestor(Handle(), GA_ROOT);
        if (::WindowFromPoint(Pt) == Handle() && (!Top || ::GetActiveWindow() == Top)) {
            ::ScreenToClient(Handle(), &Pt);
            const TRect CR = ClientRect();
            if (Pt.X >= CR.Left && Pt.X < CR.Right && Pt.Y >= CR.Top && Pt.Y < CR.Bottom) {
                const TGridCoord C = MouseCoord(Pt.X, Pt.Y);
                if (C.X >= FixedCols() && C.X < ColCount() && C.Y >= FixedRows() && C.Y < RowCount() &&
                    (C.X != Col() || C.Y != Row())) {
                    if (CanFocus())
                        SetFocus();
                    SetRow(C.Y);
                    SetCol(C.X);
                }
            }
        }
    }
    // 4. Blink: repaint the cells in view whose text has a blink tag.
    if (P.EnableBlink) {
        P.BlinkPhase = !P.BlinkPhase;
        auto Sweep = [this](Integer R0, Integer R1, Integer C0, Integer C1) {
            for (Integer R = R0; R < R1 && R < RowCount(); ++R)
                for (Integer C = C0; C < C1 && C < ColCount(); ++C)
                    if (FIPos("<BLI", Cells(RealColIndex(C), R)) > 0)
                        RepaintCell(C, R);
        };
        const Integer T = TopRow(), L = LeftCol();
        Sweep(T, T + VisibleRowCount() + 1, L, L + VisibleColCount() + 1);
        Sweep(0, FixedRows(), L, L + VisibleColCount() + 1);
        Sweep(T, T + VisibleRowCount() + 1, 0, FixedCols());
    }
}

void TDidAririzEvar::WMSetFocus(TMessage& Message)
{
    // The focus coming back from a custom editor's popup form that closed on its own is passed
    // over, once.
    if (FEdit.Editing.PopupClosed) {
        FEdit.Editing.PopupClosed = false;
        return;
    }
    TBaseGrid::WndProc(Message);
    // The focus rectangle appears on the current cell (the whole block when merged).
    RepaintCell(Col(), Row());
    if ((RowCount() == 1 && FCore.FixedRowAlways) || (ColCount() == 1 && FCore.FixedColAlways))
        HideSelection();
}

void TDidAririzEvar::WMKillFocus(TMessage& Message)
{
    TBaseGrid::WndProc(Message);
    RepaintCell(Col(), Row());
}

void TDidAririzEvar::DoEnter()
{
    struct Arm {
        TDidAririzEvar* G;
        ~Arm() { G->InitValidate(G->Col(), G->Row()); }
    } Armed{this};
    TBaseGrid::DoEnter();
    if (Options().Contains(goEditing) || FMouseActions->RangeSelectAndEdit)
        SelectCell(Col(), Row());
}

// ---- Resizing -------------------------------------------------------------------------------------

void TDidAririzEvar::InitOrigColSizes()
{
    TGridSizingState& P = FSizing;
    P.BaseColWidths.assign(static_cast<size_t>(std::max<Integer>(ColCount(), 0)), 0);
    for (Integer K = 0; K < ColCount(); ++K)
        P.BaseColWidths[static_cast<size_t>(K)] = ColWidths(K);
    P.BaseGridWidth = Width();
}

void TDidAririzEvar::WMSize(TMessage& Message)
{
    TGridSizingState& P = FSizing;
    const Integer W = static_cast<SmallInt>(LOWORD(Message.LParam));
    // 1.
    if (FSearchPanel && FSearchPanel->Visible())
        FSearchPanel->SetAlign(alBottom);
    // 2. Width synchronisation: every column keeps its share of the grid's width.
    if (P.BaseGridWidth > 0 && FColumnSize->SynchWithGrid) {
        HideInplaceEdit();
        const double Ratio = (BorderStyle() == bsSingle ? W + 2 : W) / static_cast<double>(P.BaseGridWidth);
        Integer From = 0, To = ColCount() - 1;
        if (FColumnSize->SynchNormalCellsOnly) {
            From = FixedCols();
            To = ColCount() - FixedRightCols() - 1;
        }
        for (Integer K = From; K <= To; ++K)
            if (K < static_cast<Integer>(P.BaseColWidths.size()))
                SetColWidths(K, static_cast<Integer>(P.BaseColWidths[static_cast<size_t>(K)] * Ratio));
    }
    // 3. The stretched column.
    bool Stretched = false;
    const TScrollBarAlways A = FScroll.ScrollBarAlways;
    Integer S = -1, Others = 0;
    if (FColumnSize->Stretch() && (A == saNone || A == saVert) && ColCount() > 0) {
        S = FColumnSize->StretchColumn;
        if (S < 0 || S >= ColCount())
            S = ColCount() - 1;
        for (Integer K = 0; K < ColCount(); ++K)
            if (K != S)
                Others += ColWidths(K);
        if (Others < Width()) {
            StretchColumn(FColumnSize->StretchColumn);
            Stretched = true;
        }
    }
    // 4. The platform's size handling runs also after a stretch: it keeps the control's bounds,
    // the scroll range and OnResize in step with the window.
    TBaseGrid::WndProc(Message);
    if (Stretched && A == saNone) {
        if (HandleAllocated()) {
            const TScrollStyle SB = ScrollBars();
            if (SB == ssHorizontal || SB == ssBoth)
                ::ShowScrollBar(Handle(), SB_HORZ, ClientWidth() < Others + ColWidths(S));
            if (SB == ssVertical || SB == ssBoth)
                ::ShowScrollBar(Handle(), SB_VERT, VisibleRowCount() < RowCount() - FixedRows());
        }
        return;
    }
    // 5.
    if (!Stretched && !FSizing.SizeReentrance && HandleAllocated()) {
        FSizing.SizeReentrance = true;
        const TScrollStyle SB = ScrollBars();
        if (SB != ssHorizontal && SB != ssBoth)
            ::ShowScrollBar(Handle(), SB_HORZ, FALSE);
        if (SB != ssVertical && SB != ssBoth)
            ::ShowScrollBar(Handle(), SB_VERT, FALSE);
        FSizing.SizeReentrance = false;
    }
}
