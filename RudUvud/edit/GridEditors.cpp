// The key protocol and focus handling the grid's editor controls share: Esc restores the text
// the cell had, Enter, Tab and the vertical arrows commit and validate (a refusal keeps the
// editor open on the cell), Tab walks on, and losing the focus ends the edit.

#include "RudUvud/edit/GridEditors.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/rtl/Exceptions.h"

namespace grideditors {

TDidAririzEvar* GridOfOwner(TComponent* AOwner)
{
    auto* G = dynamic_cast<TDidAririzEvar*>(AOwner);
    if (!G)
        throw EInvalidCast("Invalid class typecast");
    return G;
}

namespace {

bool Wide(TEditorProtocol P)
{
    return P == TEditorProtocol::WideText || P == TEditorProtocol::Memo || P == TEditorProtocol::WideCombo;
}

// The list of a combo is open, or the combo is a list: the arrows move in it.
bool ListState(TWinControl* Control)
{
    auto* Cb = dynamic_cast<TCustomComboBox*>(Control);
    return Cb && (Cb->Style() == csDropDownList || Cb->DroppedDown());
}

void SelectEnd(TWinControl* Control)
{
    if (Control->HandleAllocated()) {
        const Integer L = GetWindowTextLength(Control->Handle());
        SendMessage(Control->Handle(), EM_SETSEL, L, L);
    }
}

void FocusGrid(TDidAririzEvar* G)
{
    if (G->CanFocus())
        G->SetFocus();
}

} // namespace

bool EditorWantsKey(TDidAririzEvar* G, TEditorProtocol P, WPARAM Key)
{
    if (!G || P == TEditorProtocol::Choice)
        return false;
    if (Key == VK_RETURN || Key == VK_ESCAPE)
        return true;
    return Key == VK_TAB && G->ShouldHandleTab();
}

bool EditorKeyDown(TDidAririzEvar* G, TWinControl* Control, TEditorProtocol P, Word& Key, TShiftState Shift)
{
    if (!G || !G->Editing().Active)
        return false;
    const bool Vertical = Key == VK_UP || Key == VK_DOWN;
    if (P == TEditorProtocol::Choice) {
        // The check box and the button: nothing to commit, the keys leave the cell.
        if (Key != VK_RETURN && Key != VK_ESCAPE && !(Key >= VK_LEFT && Key <= VK_DOWN))
            return false;
        if (Key == VK_ESCAPE)
            G->RestoreCache();
        const Word K = Key;
        Key = 0;
        G->DoneInplaceEdit(K == VK_ESCAPE || K == VK_RETURN ? Word(0) : K, Shift);
        return true;
    }
    const bool Combo = P == TEditorProtocol::Combo || P == TEditorProtocol::WideCombo;
    if (Vertical && (P == TEditorProtocol::Memo || (Combo && ListState(Control))))
        return false;
    if (Key != VK_RETURN && Key != VK_ESCAPE && Key != VK_TAB && !Vertical)
        return false;
    if (Key == VK_TAB && !G->ShouldHandleTab())
        return false;
    if (Shift.Contains(ssAlt) || (Shift.Contains(ssCtrl) && Key != VK_TAB))
        return false;

    if (Key == VK_ESCAPE) {
        // The old value goes back into the control, so that ending the edit stores it again.
        if (Wide(P))
            WriteWindowWideText(Control, G->GetWideCells(G->Editing().RealCol, G->Editing().Cell.Y));
        else
            Control->SetText(G->Editing().Cache);
        Key = 0;
        G->DoneInplaceEdit(0, Shift);
        return true;
    }

    // Commit and validate.
    bool Valid;
    if (Wide(P)) {
        const WideString WS = ReadWindowWideText(Control);
        Valid = G->ValidateCellWide(WS);
        if (!Valid)
            WriteWindowWideText(Control, WS);
    } else {
        const AnsiString Text = Control->Text();
        Valid = G->ValidateCell(Text);
        Control->SetText(G->ValidatedText());
    }
    if (!Valid) {
        // The editor stays open on the cell with the refused text.
        SelectEnd(Control);
        Control->Invalidate();
        Key = 0;
        return true;
    }
    const Word K = Key;
    Key = 0;
    // The members with an advance step open the next cell's editor at once.
    if (K == VK_RETURN && P == TEditorProtocol::Text && G->Navigation()->AdvanceOnEnter) {
        G->HideInplaceEdit();
        FocusGrid(G);
        G->AdvanceEdit(G->Col(), G->Row(), false, true, true, false, true);
        return true;
    }
    if (K == VK_TAB && G->Options().Contains(goTabs)) {
        G->HideInplaceEdit();
        FocusGrid(G);
        G->TabEdit(Shift.Contains(ssShift));
        return true;
    }
    if (K == VK_TAB && G->HandleAllocated())
        PostMessage(G->Handle(), WM_KEYDOWN, VK_TAB, 0);
    G->DoneInplaceEdit(K == VK_TAB ? Word(0) : K, Shift);
    return true;
}

void EditorExit(TDidAririzEvar* G, TWinControl*)
{
    if (G)
        G->HideInplaceEdit();
}

namespace {

struct ComboEditHook {
    TDidAririzEvar* Grid;
    TWinControl* Combo;
    TEditorProtocol Protocol;
    WNDPROC Old;
    bool Unicode;
};

const char* const HookProperty = "GridComboEditHook";

LRESULT Call(const ComboEditHook* H, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    return H->Unicode ? CallWindowProcW(H->Old, Wnd, Msg, WParam, LParam)
                      : CallWindowProc(H->Old, Wnd, Msg, WParam, LParam);
}

LRESULT ComboEditProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto* H = static_cast<ComboEditHook*>(GetProp(Wnd, HookProperty));
    if (!H)
        return DefWindowProc(Wnd, Msg, WParam, LParam);
    switch (Msg) {
    case WM_NCDESTROY: {
        RemoveProp(Wnd, HookProperty);
        const ComboEditHook Kept = *H;
        delete H;
        return Call(&Kept, Wnd, Msg, WParam, LParam);
    }
    case WM_KEYDOWN: {
        Word Key = static_cast<Word>(WParam);
        TShiftState Shift;
        if (GetKeyState(VK_SHIFT) < 0)
            Shift.Include(ssShift);
        if (GetKeyState(VK_CONTROL) < 0)
            Shift.Include(ssCtrl);
        if (EditorKeyDown(H->Grid, H->Combo, H->Protocol, Key, Shift))
            return 0;
        break;
    }
    case WM_CHAR:
        // Enter, Tab and Esc are the protocol's, never typed.
        if (WParam == 13 || WParam == 9 || WParam == 27)
            return 0;
        break;
    case WM_KILLFOCUS: {
        const LRESULT R = Call(H, Wnd, Msg, WParam, LParam);
        const HWND To = reinterpret_cast<HWND>(WParam);
        TWinControl* Combo = H->Combo;
        if (Combo->HandleAllocated() && To != Combo->Handle() && !IsChild(Combo->Handle(), To))
            EditorExit(H->Grid, Combo);
        return R;
    }
    default:
        break;
    }
    return Call(H, Wnd, Msg, WParam, LParam);
}

} // namespace

void HookComboEdit(TDidAririzEvar* G, TWinControl* Combo, HWND Edit, TEditorProtocol P)
{
    if (!Edit || GetProp(Edit, HookProperty))
        return;
    const bool Unicode = IsWindowUnicode(Edit);
    auto* H = new ComboEditHook{G, Combo, P, reinterpret_cast<WNDPROC>(GetWindowLongPtr(Edit, GWLP_WNDPROC)),
                                Unicode};
    SetProp(Edit, HookProperty, H);
    if (Unicode)
        SetWindowLongPtrW(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc));
    else
        SetWindowLongPtr(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc));
}

void EditorChange(TDidAririzEvar* G, const AnsiString& Text)
{
    if (G && G->OnEditChange && G->Editing().Active)
        G->OnEditChange(G, G->Col(), G->Row(), Text);
}

} // namespace grideditors

TGridDatePicker::TGridDatePicker(TComponent* AOwner) : TGridEditorControl(AOwner)
{
    TDidAririzEvar* G = FGrid;
    OnChange = [G](TObject* Sender) { G->DatePickerChange(Sender); };
    OnCloseUp = [G](TObject* Sender) { G->DatePickerCloseUp(Sender); };
    OnDropDown = [G](TObject* Sender) { G->DatePickerDropDown(Sender); };
}
