// The grid's editors whose value is not typed text: the check box (toggled by a press or Space),
// the button (its click passes the caption through the grid's EllipsClick into the cell) and the
// date picker's flat frame, reflected notifications and key presses.

#include "RudUvud/edit/GridEditors.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridEditorsPicker.h"

#include "platform/win/Colors.h"

namespace {

void GridTakesFocus(TDidAririzEvar* G)
{
    if (G->CanFocus())
        G->SetFocus();
}

} // namespace

// ---- Check box ----------------------------------------------------------------------------------------

void TGridCheckBox::Start(bool State)
{
    SetChecked(State);
    FStartState = Checked();
}

void TGridCheckBox::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_SPACE && FGrid && FGrid->Editing().Active) {
        Toggle();
        Key = 0;
        return;
    }
    TGridEditorControl::KeyDown(Key, Shift);
}

void TGridCheckBox::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_LBUTTONDOWN)
        Toggle();
    // The press and Space toggle; the button's own click at the release (or at Space's key-up)
    // would toggle a second time and undo what the user did.
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == BN_CLICKED) {
        Message.Result = 0;
        return;
    }
    TGridEditorControl::WndProc(Message);
}

void TDidAririzEvar::WriteCheckBoxValue(Integer RC, Integer ARow)
{
    TGridCheckBox* K = FEditors.CheckBox;
    if (K->Checked() != K->StartState())
        UpdateEditingCell(RC, ARow, K->Checked() ? GetCheckTrue(RC, ARow) : GetCheckFalse(RC, ARow));
}

// ---- Button -------------------------------------------------------------------------------------------

void TGridButton::ButtonClick()
{
    if (!FGrid || !FGrid->Editing().Active)
        return;
    SetCaption(FGrid->EllipsClick(Caption()));
    FGrid->SetCurrentCell(Caption());
}

void TGridButton::Leave()
{
    // The cell was written by the click: the edit ends with nothing to write back, and only then
    // does the grid take the key, so that its handling cannot start an edit under the button.
    FGrid->HideInplaceEdit();
    SetVisible(false);
    SetEnabled(false);
    GridTakesFocus(FGrid);
}

void TGridButton::KeyDown(Word& Key, TShiftState Shift)
{
    if (!FGrid || !FGrid->Editing().Active || !(Key == VK_ESCAPE || (Key >= VK_LEFT && Key <= VK_DOWN))) {
        TButton::KeyDown(Key, Shift);
        return;
    }
    const Word K = Key;
    Key = 0;
    Leave();
    if (K == VK_ESCAPE)
        FGrid->RestoreCache();
    if (FGrid->HandleAllocated()) {
        SendMessage(FGrid->Handle(), WM_KEYDOWN, K, 0);
        if (K != VK_ESCAPE)
            SendMessage(FGrid->Handle(), WM_KEYUP, K, 0);
    }
}

void TGridButton::KeyUp(Word& Key, TShiftState)
{
    if (Key != VK_SPACE)
        return;
    ButtonClick();
    if (CanFocus())
        SetFocus();
    Invalidate();
}

void TGridButton::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_LBUTTONUP)
        ButtonClick();
    TGridEditorControl::WndProc(Message);
}

// ---- Date picker ------------------------------------------------------------------------------------

void TGridDatePicker::KeyPress(WideChar& Key)
{
    grideditors::EditorKeyPress(FGrid, FGrid, Key);
    TGridEditorControl::KeyPress(Key);
}

void TGridDatePicker::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_NOTIFY)
        Message.Result = 0;
    TGridEditorControl::WndProc(Message);
    if (Message.Msg != WM_NCPAINT || !HandleAllocated())
        return;
    // The picker's 3-D border shows as a plain area of the cell.
    HDC DC = GetWindowDC(Handle());
    RECT R{};
    GetWindowRect(Handle(), &R);
    OffsetRect(&R, -R.Left, -R.Top);
    HBRUSH Brush = CreateSolidBrush(ColorToRGB(clWindow));
    FrameRect(DC, &R, Brush);
    InflateRect(&R, -1, -1);
    FrameRect(DC, &R, Brush);
    DeleteObject(Brush);
    ReleaseDC(Handle(), DC);
}
