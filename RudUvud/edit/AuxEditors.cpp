// The fixed-cell editor, the form-control editors of mini-HTML cells and the column filter list.

#include "RudUvud/edit/AuxEditors.h"

#include "RudUvud/core/RudUvud.h"

#include "platform/rtl/Guards.h"

namespace {

// Posted to the fixed-cell editor when it refused its text while losing the focus: the focus
// comes back once the focus change under way has finished, so that a control that validates on
// its own entry or exit cannot start a fight over the focus.
constexpr UINT WM_TRANSEDIT_REFOCUS = WM_USER + 0x161;

TDidAririzEvar* GridOfParent(TWinControl* Control)
{
    return dynamic_cast<TDidAririzEvar*>(Control->Parent());
}

// Enter and Tab in a form-control editor: the editor's exit handling writes the value back
// (Exit), then Enter gives the focus to the grid and Tab moves on, to the next cell with
// Navigation.AdvanceAuto, else to the next form control of the same cell. False for any other
// character.
template <class FExit> bool FormControlKey(TWinControl* Control, WideChar& Key, FExit Exit)
{
    if (Key != 13 && Key != 9)
        return false;
    const bool Tab = Key == 9;
    Key = 0;
    TDidAririzEvar* G = GridOfParent(Control);
    Exit();
    if (!G)
        return true;
    if (!Tab) {
        if (G->CanFocus())
            G->SetFocus();
        return true;
    }
    // The control's own cell, which a press on a control leaves as it was, is where the input
    // moves on from.
    const TGridCoord Cell = G->ActiveControlCell();
    const Integer ACol = Cell.X >= 0 ? G->DisplColIndex(Cell.X) : G->Col();
    const Integer ARow = Cell.Y >= 0 ? Cell.Y : G->Row();
    if (G->Navigation()->AdvanceAuto) {
        if (G->CanFocus())
            G->SetFocus();
        G->AdvanceEdit(ACol, ARow, true, false, true, false, true);
    } else {
        G->AdvanceHTMLEdit(ACol, ARow, G->ActiveControlID());
    }
    return true;
}

} // namespace

// ---- TGridTransEdit ---------------------------------------------------------------------------------

TGridTransEdit::TGridTransEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), FGrid(dynamic_cast<TDidAririzEvar*>(AOwner))
{
    SetVisible(false);
}

bool TGridTransEdit::StopEdit()
{
    if (!FGrid) {
        SetVisible(false);
        return true;
    }
    AnsiString S = Text();
    bool Allow = true;
    if (FGrid->OnCellValidate)
        FGrid->OnCellValidate(FGrid, FCol, FRow, S, Allow);
    if (Allow) {
        if (FGrid->OnEditingDone)
            FGrid->OnEditingDone(FGrid);
        FGrid->SetCellEx(FCol, FRow, S);
        SetVisible(false);
        return true;
    }
    // The current cell goes to the refused cell as far as it can: a fixed row or column is never
    // current, so only the data column of a column header and the data row of a row header count.
    const Integer DC = FGrid->DisplColIndex(FCol);
    if (DC >= FGrid->FixedCols() && DC < FGrid->ColCount() && DC != FGrid->Col())
        FGrid->SetCol(DC);
    if (FRow >= FGrid->FixedRows() && FRow < FGrid->RowCount() && FRow != FGrid->Row())
        FGrid->SetRow(FRow);
    if (HandleAllocated())
        ::PostMessage(Handle(), WM_TRANSEDIT_REFOCUS, 0, 0);
    return false;
}

void TGridTransEdit::DoExit()
{
    TCustomEdit::DoExit();
    // A refused text is given back the focus later; the exit a hidden edit gets is no edit's end.
    if (!Visible() || FStopping || !FGrid || FGrid->ComponentState().Contains(csDestroying))
        return;
    FStopping = true;
    TScopeExit Done([this] { FStopping = false; });
    StopEdit();
}

void TGridTransEdit::KeyPress(WideChar& Key)
{
    if (Key == 13) {
        Key = 0;
        return;
    }
    TCustomEdit::KeyPress(Key);
}

void TGridTransEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_TRANSEDIT_REFOCUS) {
        if (Visible() && CanFocus())
            SetFocus();
        return;
    }
    TCustomEdit::WndProc(Message);
}

// ---- TControlEdit -----------------------------------------------------------------------------------

void TControlEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_WANTSPECIALKEY && (Message.WParam == VK_TAB || Message.WParam == VK_RETURN)) {
        // Tab is the editor's; Enter goes to the form first (a default button), and reaches the
        // edit when nothing there takes it.
        Message.Result = Message.WParam == VK_TAB ? 1 : 0;
        return;
    }
    TMaskEdit::WndProc(Message);
}

void TControlEdit::KeyPress(WideChar& Key)
{
    if (!FormControlKey(this, Key, [this] { DoExit(); }))
        TMaskEdit::KeyPress(Key);
}

// ---- TControlCombo ----------------------------------------------------------------------------------

namespace {

const char* const ControlComboHook = "ControlComboEditHook";

struct TControlComboEditHook {
    TControlCombo* Combo;
    WNDPROC Old;
};

// The combo's edit part is a window of its own: Enter and Tab typed there are the combo's.
LRESULT ControlComboEditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto* H = static_cast<TControlComboEditHook*>(GetProp(Wnd, ControlComboHook));
    if (!H)
        return DefWindowProc(Wnd, Msg, WParam, LParam);
    if (Msg == WM_NCDESTROY) {
        RemoveProp(Wnd, ControlComboHook);
        const WNDPROC Old = H->Old;
        delete H;
        return CallWindowProc(Old, Wnd, Msg, WParam, LParam);
    }
    if (Msg == WM_CHAR && (WParam == 13 || WParam == 9)) {
        WideChar Key = static_cast<WideChar>(WParam);
        H->Combo->KeyPress(Key);
        if (Key == 0)
            return 0;
    }
    return CallWindowProc(H->Old, Wnd, Msg, WParam, LParam);
}

} // namespace

void TControlCombo::CreateWnd()
{
    TDAEComboBox::CreateWnd();
    const HWND Edit = EditHandle();
    if (!Edit || GetProp(Edit, ControlComboHook))
        return;
    auto* H =
        new TControlComboEditHook{this, reinterpret_cast<WNDPROC>(GetWindowLongPtr(Edit, GWLP_WNDPROC))};
    SetProp(Edit, ControlComboHook, H);
    SetWindowLongPtr(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlComboEditProc));
}

void TControlCombo::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_WANTSPECIALKEY && Message.WParam == VK_TAB) {
        Message.Result = 1;
        return;
    }
    TDAEComboBox::WndProc(Message);
}

void TControlCombo::KeyPress(WideChar& Key)
{
    if (!FormControlKey(this, Key, [this] { DoExit(); }))
        TDAEComboBox::KeyPress(Key);
}

// ---- TDropList --------------------------------------------------------------------------------------

void TDropList::WndProc(TMessage& Message)
{
    // The platform announces the focus leaving with CM_EXIT: for the list that is the moment of
    // the cancel mode too.
    if (Message.Msg == CM_CANCELMODE || (Message.Msg == CM_EXIT && Visible()))
        CancelMode();
    TListBox::WndProc(Message);
}

void TDropList::CancelMode()
{
    POINT P{};
    ::GetCursorPos(&P);
    const TPoint C = ScreenToClient(TPoint{P.X, P.Y});
    if (C.X >= 0 && C.Y >= 0 && C.X < Width() && C.Y < Height())
        return;
    if (TDidAririzEvar* G = GridOfParent(this); G && !G->ComponentState().Contains(csDestroying))
        G->SetFilterColumn(-1);
    SetVisible(false);
}

void TDropList::KeyPress(WideChar& Key)
{
    TListBox::KeyPress(Key);
    if (Key == 13) {
        SetVisible(false);
        Select();
    }
}

void TDropList::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TListBox::MouseUp(Button, Shift, X, Y);
    SetVisible(false);
    Select();
}

void TDropList::Select()
{
    if (OnSelect)
        OnSelect(this, ItemIndex());
}
