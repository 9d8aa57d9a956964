// The double click (auto-sizing a column on a header border, or reporting the cell and opening
// an editor), the right button (selecting the cell under the pointer first, keeping the disjunct
// row marks a context menu applies to, quiet during an enhanced move) and the release that ends
// a sizing hint.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

TPoint MessagePoint(const TMessage& Message)
{
    return TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
}

} // namespace

bool TDidAririzEvar::MouseExtrasWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
        WMLButtonDblClk(Message);
        return true;
    case WM_RBUTTONDOWN:
        WMRButtonDown(Message);
        return true;
    case WM_RBUTTONUP:
        WMRButtonUp(Message);
        return true;
    case WM_LBUTTONUP:
        // The release ends a sizing and its hint.
        if (FEdit.Move.SizingHintShown) {
            FEdit.Move.SizingHintShown = false;
            if (FHintWindow)
                FHintWindow->ReleaseHandle();
        }
        return false;
    case CM_MOUSELEAVE:
        TBaseGrid::WndProc(Message);
        CMMouseLeave(Message);
        return true;
    default:
        return false;
    }
}

void TDidAririzEvar::WMLButtonDblClk(TMessage& Message)
{
    TMouseActions& MA = *MouseActions();
    const TPoint P = MessagePoint(Message);
    // 1.
    if (MA.RangeSelectAndEdit)
        FNoSelectCheck = true;
    TScopeExit Cleared([this] { FNoSelectCheck = false; });
    const HWND Wnd = Handle();
    auto Gone = [this, Wnd] { return TWinControl::FindControl(Wnd) != this; };
    auto PlatformStep = [&] { TBaseGrid::WndProc(Message); };
    Integer ACol = -1, ARow = -1;
    MouseToCell(P.X, P.Y, ACol, ARow);
    const Integer HitCol = ACol, HitRow = ARow;
    // 2. Right of the last column counts as its header.
    if (ACol == -1) {
        if (FCore.FixedRowAlways) {
            PlatformStep();
            return;
        }
        ACol = ColCount() - 1;
        ARow = 0;
    }
    // 3. A header border sizes the column left of it to its contents.
    if (ARow >= 0 && ARow < FixedRows() && ACol >= 0 && Options().Contains(goColSizing) &&
        MA.AutoSizeColOnDblClick) {
        const TRect R = CellRect(ACol, ARow);
        auto AutoSize = [this](Integer C) {
            bool Allow = true;
            if (OnColumnSize)
                OnColumnSize(this, C, Allow);
            if (!Allow)
                return;
            AutoSizeCol(C, 0);
            if (OnEndColumnSize)
                OnEndColumnSize(this, C);
        };
        if (std::abs(P.X - R.Left) < 4) {
            FEdit.Move.AutoSized = true;
            if (ACol - 1 >= FixedCols()) {
                AutoSize(ACol - 1);
                PlatformStep();
                return;
            }
        }
        if (std::abs(P.X - R.Right) < 4 && ACol >= FixedCols()) {
            FEdit.Move.AutoSized = true;
            AutoSize(ACol);
            PlatformStep();
            return;
        }
    }
    // 4. A button cell's button takes the double click as its clicks.
    if (HitCol >= 0 && HitRow >= 0 && HasButton(HitCol, HitRow)) {
        const TRect B = ButtonRect(HitCol, HitRow);
        if (P.X >= B.Left && P.X < B.Right && P.Y >= B.Top && P.Y < B.Bottom)
            return;
    }
    // 5. OnDblClick.
    PlatformStep();
    if (Gone())
        return;
    // 6.
    if (OnDblClickCell)
        OnDblClickCell(this, HitRow, HitCol);
    if (Gone() || HitCol < 0 || HitRow < 0)
        return;
    // 7. Editing on double click only.
    if (MA.EditOnDblClickOnly()) {
        const bool Saved = MA.RangeSelectAndEdit;
        MA.RangeSelectAndEdit = true;
        TScopeExit Restore([&MA, Saved] { MA.RangeSelectAndEdit = Saved; });
        if (IsEditable(HitCol, HitRow)) {
            SetOptions(Options() + TGridOptions{goEditing});
            InitValidate(HitCol, HitRow);
            ShowInplaceEdit();
        }
    }
    // 8. Range select and edit: a press on the cell opens its editor.
    else if (MA.RangeSelectAndEdit && IsEditable(RealColIndex(HitCol), HitRow)) {
        SetOptions(Options() + TGridOptions{goEditing});
        const TPoint B = BaseCell(HitCol, HitRow);
        const TRect R = CellRect(B.X, B.Y);
        MouseDown(mbLeft, TShiftState{}, R.Left + 4, R.Top + 4);
    }
    // 9. Fixed-cell editing.
    if ((HitRow < FixedRows() && MA.FixedRowsEdit == fceDblClick) ||
        (HitCol < FixedCols() && MA.FixedColsEdit == fceDblClick))
        StartFixedEdit(HitCol, HitRow);
}

void TDidAririzEvar::WMRButtonDown(TMessage& Message)
{
    TMouseActions& MA = *MouseActions();
    const TPoint P = MessagePoint(Message);
    const HWND Wnd = Handle();
    // The marks before the right button: the simulated left click below starts them over, the
    // rules that follow decide from what was marked.
    const std::vector<Integer> Marked = MA.DisjunctRowSelect() ? SelectedRowOrder() : std::vector<Integer>{};
    // 1. The platform's press (OnMouseDown).
    TBaseGrid::WndProc(Message);
    if (TWinControl::FindControl(Wnd) != this)
        return;
    Integer ACol = -1, ARow = -1;
    MouseToCell(P.X, P.Y, ACol, ARow);
    // 2. Selecting the cell under the pointer.
    if (MA.SelectOnRightClick && ACol >= 0 && ARow >= 0 && !IsFixed(ACol, ARow)) {
        MouseDown(mbLeft, TShiftState{}, P.X, P.Y);
        MouseUp(mbLeft, TShiftState{}, P.X, P.Y);
        const TGridRect S = Selection();
        const bool Selected = ACol >= S.Left && ACol <= S.Right && ARow >= S.Top && ARow <= S.Bottom;
        if (Selected) {
            bool CanSelect = true;
            if (OnSelectCell)
                OnSelectCell(this, ACol, ARow, CanSelect);
        } else {
            const bool Keep = Navigation()->KeepHorizScroll;
            const Integer L = LeftCol();
            if (Keep)
                BeginUpdate();
            const TPoint B = BaseCell(ACol, ARow);
            MoveColRow(B.X, B.Y, true, true);
            if (Keep) {
                SetLeftCol(L);
                EndUpdate();
            }
        }
        // 3. The disjunct row marks a context menu applies to.
        if (MA.DisjunctRowSelect() && ARow >= FixedRows()) {
            const Integer SR = MA.RowSelectPersistent ? RealRowIndex(ARow) : ARow;
            const bool WasMarked = std::find(Marked.begin(), Marked.end(), SR) != Marked.end();
            auto MarkOnly = [this, SR] {
                ClearRowSelect();
                SetRowSelect(SR, true);
            };
            auto Restore = [this, &Marked] {
                ClearRowSelect();
                for (Integer R : Marked)
                    SetRowSelect(R, true);
            };
            if (::GetKeyState(VK_CONTROL) < 0 || MA.DisjunctRowSelectNoCtrl) {
                Restore();
                SetRowSelect(SR, !WasMarked);
            } else if (Marked.size() > 1 && PopupMenu()) {
                if (WasMarked)
                    Restore();
                else
                    MarkOnly();
            } else {
                MarkOnly();
            }
        }
    }
    // 4.
    if (OnRightClickCell)
        OnRightClickCell(this, ARow, ACol);
}

void TDidAririzEvar::WMRButtonUp(TMessage& Message)
{
    // During an enhanced move the right button does nothing, no context menu either.
    const TCursor C = Screen ? Screen->Cursor() : crDefault;
    if ((C == crDrag || C == crNoDrop) && (GridState() == gsRowMoving || GridState() == gsColMoving) &&
        FCore.EnhRowColMove) {
        Message.Result = 0;
        return;
    }
    TBaseGrid::WndProc(Message);
}
