// The key protocol and focus handling the grid's editor controls share: Esc restores the text
// the cell had, Enter, Tab and the vertical arrows commit and validate (a refusal keeps the
// editor open on the cell), Tab walks on, and losing the focus ends the edit.

#include "RudUvud/edit/GridEditors.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <cstdlib>

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
    return P == TEditorProtocol::UniEdit || P == TEditorProtocol::UniEditBtn ||
           P == TEditorProtocol::UniMemo || P == TEditorProtocol::UniCombo;
}

bool IsCombo(TEditorProtocol P)
{
    return P == TEditorProtocol::Combo || P == TEditorProtocol::UniCombo;
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

// Whether Tab is the member's to handle: most ask ShouldHandleTab, some test goTabs alone.
bool TabsByShouldHandle(TEditorProtocol P)
{
    return P == TEditorProtocol::EditBtn || P == TEditorProtocol::Combo || P == TEditorProtocol::DatePicker;
}

// The keys each member handles (the others go to its base unchanged).
bool Handled(TEditorProtocol P, TWinControl* Control, Word Key, TShiftState Shift)
{
    switch (P) {
    case TEditorProtocol::Spin:
    case TEditorProtocol::UniEdit:
    case TEditorProtocol::UniEditBtn:
        return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_UP || Key == VK_DOWN;
    case TEditorProtocol::EditBtn:
    case TEditorProtocol::UnitEditBtn:
        return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_PRIOR || Key == VK_NEXT ||
               Key == VK_UP || Key == VK_DOWN;
    case TEditorProtocol::UniMemo:
        return Key == VK_TAB || Key == VK_ESCAPE;
    case TEditorProtocol::Combo:
    case TEditorProtocol::UniCombo:
        if (Shift.Contains(ssAlt) && Key == VK_DOWN)
            return false; // opens the list
        if (ListState(Control))
            return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_LEFT || Key == VK_RIGHT;
        return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_PRIOR || Key == VK_NEXT ||
               Key == VK_END || Key == VK_UP || Key == VK_DOWN;
    case TEditorProtocol::DatePicker:
        return Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_PRIOR || Key == VK_NEXT ||
               Key == VK_END;
    case TEditorProtocol::CheckBox:
        return Key == VK_RETURN || Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END ||
               (Key >= VK_LEFT && Key <= VK_DOWN);
    case TEditorProtocol::Button:
        return Key == VK_ESCAPE || (Key >= VK_LEFT && Key <= VK_DOWN);
    }
    return false;
}

bool Commits(TEditorProtocol P, Word Key)
{
    switch (P) {
    case TEditorProtocol::UniMemo:
        return Key == VK_TAB;
    case TEditorProtocol::DatePicker:
        return Key == VK_TAB || Key == VK_RETURN;
    case TEditorProtocol::UniCombo:
    case TEditorProtocol::CheckBox:
    case TEditorProtocol::Button:
        return false;
    default:
        return Key == VK_TAB || Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN;
    }
}

TDateTime DateOr(const AnsiString& S, TDateTime (*Convert)(const AnsiString&))
{
    try {
        return S.empty() ? Date() : Convert(S);
    } catch (const Exception&) {
        return Date();
    }
}

// Esc: the control gets its old value back, so that ending the edit stores it again.
void Restore(TDidAririzEvar* G, TWinControl* Control, TEditorProtocol P)
{
    const TGridEditingState& E = G->Editing();
    switch (P) {
    case TEditorProtocol::Spin: {
        auto* S = static_cast<TVadSpinEdit*>(Control);
        S->SetText(E.Cache);
        if (S->SpinType() == sptNormal)
            S->SetValue(static_cast<Integer>(std::strtol(E.Cache.c_str(), nullptr, 10)));
        else if (S->SpinType() == sptFloat)
            S->SetFloatValue(std::strtod(E.Cache.c_str(), nullptr));
        break;
    }
    case TEditorProtocol::UnitEditBtn:
        static_cast<TVadUnitEditBtn*>(Control)->SetUnitID("");
        Control->SetText(G->GetCurrentCell());
        break;
    case TEditorProtocol::Combo: {
        auto* Cb = static_cast<TCustomComboBox*>(Control);
        const AnsiString T = G->GetCurrentCell();
        const Integer I = Cb->Items()->IndexOf(T);
        if (I >= 0)
            Cb->SetItemIndex(I);
        else if (Cb->Style() != csDropDownList)
            Cb->SetText(T);
        break;
    }
    case TEditorProtocol::UniCombo: {
        auto* Cb = static_cast<TCustomUNIComboBox*>(Control);
        Cb->SetItemIndex(-1);
        Cb->SetText(G->GetWideCells(E.RealCol, E.Cell.Y));
        break;
    }
    case TEditorProtocol::DatePicker: {
        auto* D = static_cast<TDateTimePicker*>(Control);
        if (D->Kind() == dtkTime)
            D->SetTime(DateOr(G->GetCurrentCell(), StrToTime));
        else
            D->SetDate(DateOr(G->GetCurrentCell(), StrToDate));
        break;
    }
    case TEditorProtocol::Button:
        G->RestoreCache();
        break;
    case TEditorProtocol::CheckBox:
        break;
    default:
        if (Wide(P))
            WriteWindowWideText(Control, G->GetWideCells(E.RealCol, E.Cell.Y));
        else
            Control->SetText(E.Cache);
        break;
    }
}

// The value a date picker shows for a cell text.
void ShowInPicker(TDateTimePicker* D, const AnsiString& S)
{
    if (D->Kind() == dtkTime)
        D->SetTime(DateOr(S, StrToTime));
    else
        D->SetDate(DateOr(S, StrToDate));
}

// Commit and validate; false when validation refused (the control then shows what the member's
// row says and the edit stays open on the cell).
bool Commit(TDidAririzEvar* G, TWinControl* Control, TEditorProtocol P, Word& Key)
{
    const TGridEditingState& E = G->Editing();
    if (Wide(P)) {
        const WideString WS = ReadWindowWideText(Control);
        if (P != TEditorProtocol::UniEdit)
            G->SetWideCells(E.RealCol, E.Cell.Y, WS);
        if (!G->ValidateCellWide(WS)) {
            // The refused text stays in view until it is changed.
            WriteWindowWideText(Control, WS);
            SelectEnd(Control);
            Control->Invalidate();
            return false;
        }
        if (P != TEditorProtocol::UniEdit)
            WriteWindowWideText(Control, G->GetWideCells(E.RealCol, E.Cell.Y));
        return true;
    }
    AnsiString Text = Control->Text();
    auto* Unit = P == TEditorProtocol::UnitEditBtn ? static_cast<TVadUnitEditBtn*>(Control) : nullptr;
    auto* Picker = P == TEditorProtocol::DatePicker ? static_cast<TDateTimePicker*>(Control) : nullptr;
    if (Picker)
        Text = Picker->Kind() == dtkTime ? TimeToStr(Picker->Time()) : DateToStr(Picker->Date());
    // The value is validated with its unit, as it is stored.
    if (Unit)
        Text += Unit->UnitID();
    G->SetCurrentCell(Text);
    const bool Valid = G->ValidateCell(Text);
    auto Show = [&](const AnsiString& S) {
        if (Unit)
            G->SplitUnit(S, Unit);
        else if (Picker)
            ShowInPicker(Picker, S);
        else if (auto* Cb = dynamic_cast<TCustomComboBox*>(Control); Cb && Cb->Style() == csDropDownList)
            Cb->SetItemIndex(Cb->Items()->IndexOf(S));
        else
            Control->SetText(S);
    };
    if (!Valid) {
        const bool ShowsCell = P == TEditorProtocol::Spin || Unit;
        Show(ShowsCell ? G->GetCurrentCell() : G->ValidatedText());
        const bool SelectsAll = P == TEditorProtocol::EditBtn || P == TEditorProtocol::Combo;
        if (SelectsAll && Key != VK_TAB && !ListState(Control) && Control->HandleAllocated())
            SendMessage(Control->Handle(), EM_SETSEL, 0, -1);
        else if (P == TEditorProtocol::Spin || SelectsAll)
            SelectEnd(Control);
        Control->Invalidate();
        if (!Unit)
            Key = 0;
        return false;
    }
    Show(P == TEditorProtocol::EditBtn ? G->ValidatedText() : G->GetCurrentCell());
    return true;
}

} // namespace

bool EditorWantsKey(TDidAririzEvar* G, TEditorProtocol P, WPARAM Key)
{
    if (!G || P == TEditorProtocol::CheckBox)
        return false;
    if (P == TEditorProtocol::Button)
        return Key == VK_ESCAPE || (Key >= VK_LEFT && Key <= VK_DOWN);
    if (Key == VK_RETURN || Key == VK_ESCAPE)
        return true;
    if (Key != VK_TAB)
        return false;
    return TabsByShouldHandle(P) ? G->ShouldHandleTab() : G->Options().Contains(goTabs);
}

bool EditorKeyDown(TDidAririzEvar* G, TWinControl* Control, TEditorProtocol P, Word& Key, TShiftState Shift)
{
    if (!G || !G->Editing().Active || !Handled(P, Control, Key, Shift))
        return false;
    if (Key == VK_TAB && !(TabsByShouldHandle(P) ? G->ShouldHandleTab() : G->Options().Contains(goTabs)))
        return false;
    if (Shift.Contains(ssAlt) || (Shift.Contains(ssCtrl) && Key != VK_TAB))
        return false;
    const TNavigation& Nav = *G->Navigation();
    const Word K = Key;

    if (P == TEditorProtocol::CheckBox || P == TEditorProtocol::Button) {
        // Nothing to commit: the keys leave the cell. The check box hands only Up and Down on
        // to the grid; Enter advances afterwards.
        if (K == VK_ESCAPE)
            Restore(G, Control, P);
        Key = 0;
        if (P == TEditorProtocol::CheckBox) {
            G->HideInplaceEdit();
            FocusGrid(G);
            Word Move = K;
            if (K == VK_UP || K == VK_DOWN)
                G->KeyDown(Move, Shift);
            else if (K == VK_RETURN)
                G->AdvanceEdit(G->Col(), G->Row(), false, true, true, false, true);
            return true;
        }
        G->DoneInplaceEdit(K == VK_ESCAPE ? Word(0) : K, Shift);
        return true;
    }

    // 1. Restore.
    if (K == VK_ESCAPE) {
        Restore(G, Control, P);
        Key = 0;
        if (P == TEditorProtocol::Combo) {
            G->HideInplaceEdit();
            FocusGrid(G);
            return true;
        }
        G->DoneInplaceEdit(0, Shift);
        return true;
    }
    // 2. Commit and validate.
    if (Commits(P, K) && !Commit(G, Control, P, Key))
        return true;
    // 3. Advance.
    const bool Advances = P == TEditorProtocol::Spin || P == TEditorProtocol::EditBtn ||
                          P == TEditorProtocol::UnitEditBtn || P == TEditorProtocol::DatePicker;
    if (K == VK_RETURN && Advances && Nav.AdvanceOnEnter) {
        Key = 0;
        G->HideInplaceEdit();
        FocusGrid(G);
        G->AdvanceEdit(G->Col(), G->Row(), false, true, true, false, true);
        return true;
    }
    // 4. Tab.
    bool TabPosted = false;
    if (K == VK_TAB && P != TEditorProtocol::UniCombo) {
        if (G->Options().Contains(goTabs)) {
            Key = 0;
            G->HideInplaceEdit();
            FocusGrid(G);
            G->TabEdit(GetKeyState(VK_SHIFT) < 0);
            return true;
        }
        if (G->HandleAllocated()) {
            PostMessage(G->Handle(), WM_KEYDOWN, VK_TAB, 0);
            TabPosted = true;
        }
    }
    // 5. End.
    if (IsCombo(P) && ListState(Control) && (K == VK_LEFT || K == VK_RIGHT)) {
        Key = 0;
        G->HideInplaceEdit();
        FocusGrid(G);
        Word Move = K;
        G->KeyDown(Move, Shift);
    } else if (IsCombo(P) && K == VK_END) {
        return false; // the caret goes to the end of the text
    } else if (P == TEditorProtocol::DatePicker && static_cast<TDateTimePicker*>(Control)->DroppedDown()) {
        Key = 0;
        return true;
    } else {
        Key = 0;
        G->DoneInplaceEdit(TabPosted ? Word(0) : K, Shift);
    }
    // 6. Reopen.
    if (IsCombo(P) && Nav.AdvanceOnEnter && Nav.AdvanceAutoEdit)
        G->ShowInplaceEdit();
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
    TComboEditKeys* Keys;
    WNDPROC Old;
    bool Unicode;
};

TShiftState KeyShift()
{
    TShiftState Shift;
    if (GetKeyState(VK_SHIFT) < 0)
        Shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        Shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        Shift.Include(ssAlt);
    return Shift;
}

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
        if (EditorKeyDown(H->Grid, H->Combo, H->Protocol, Key, KeyShift()) && Key == 0)
            return 0;
        break;
    }
    case WM_KEYUP: {
        const LRESULT R = Call(H, Wnd, Msg, WParam, LParam);
        Word Key = static_cast<Word>(WParam);
        if (H->Keys)
            H->Keys->EditKeyUp(Key, KeyShift());
        return R;
    }
    case WM_CHAR: {
        // The combo sees the character first; Enter, Tab and Esc are the protocol's, never typed.
        WideChar Ch = static_cast<WideChar>(WParam);
        // (The wide combo's edit part hands its other characters to the combo itself.)
        if (H->Keys && (!H->Unicode || Ch == 13 || Ch == 9 || Ch == 27))
            H->Keys->EditKeyPress(Ch);
        if (Ch == 0 || Ch == 13 || Ch == 9 || Ch == 27)
            return 0;
        WParam = Ch;
        break;
    }
    case WM_KILLFOCUS: {
        const LRESULT R = Call(H, Wnd, Msg, WParam, LParam);
        const HWND To = reinterpret_cast<HWND>(WParam);
        TWinControl* Combo = H->Combo;
        if (Combo->HandleAllocated() && To != Combo->Handle() && !IsChild(Combo->Handle(), To)) {
            if (H->Keys)
                H->Keys->EditExit();
            else
                EditorExit(H->Grid, Combo);
        }
        return R;
    }
    default:
        break;
    }
    return Call(H, Wnd, Msg, WParam, LParam);
}

} // namespace

void HookComboEdit(TDidAririzEvar* G, TWinControl* Combo, HWND Edit, TEditorProtocol P, TComboEditKeys* Keys)
{
    if (!Edit || GetProp(Edit, HookProperty))
        return;
    const bool Unicode = IsWindowUnicode(Edit);
    auto* H = new ComboEditHook{
        G, Combo, P, Keys, reinterpret_cast<WNDPROC>(GetWindowLongPtr(Edit, GWLP_WNDPROC)), Unicode};
    SetProp(Edit, HookProperty, H);
    if (Unicode)
        SetWindowLongPtrW(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc));
    else
        SetWindowLongPtr(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc));
}

void CaretAtEnd(TDidAririzEvar* G, HWND Edit)
{
    if (!G || !Edit || G->Navigation()->EditSelectAll)
        return;
    const Integer L = GetWindowTextLength(Edit);
    SendMessage(Edit, EM_SETSEL, L, L);
}

void CaretAtClick(TDidAririzEvar* G, TWinControl* Control, HWND Edit)
{
    if (!G || !Edit || !G->InputState().CaretClick || !G->MouseActions()->CaretPositioning)
        return;
    POINT P{};
    GetCursorPos(&P);
    ::ScreenToClient(Control->Handle(), &P);
    if (P.X < 0 || P.Y < 0 || P.X > Control->Width() || P.Y > Control->Height())
        return;
    if (Edit != Control->Handle())
        MapWindowPoints(Control->Handle(), Edit, &P, 1);
    const LRESULT R = SendMessage(Edit, EM_CHARFROMPOS, 0, MAKELPARAM(P.X, P.Y));
    if (R == -1)
        return;
    SendMessage(Edit, EM_SETSEL, LOWORD(R), LOWORD(R));
    G->ClearCaretClick();
}

Integer LookupComplete(TDidAririzEvar* G, TStrings* Items, AnsiString& Text, Integer& SelFrom, Integer& SelTo)
{
    if (!Items || SelFrom <= 0)
        return -1;
    const AnsiString Typed = Text.substr(0, SelFrom);
    const bool Case = G->LookupCaseSensitive();
    const AnsiString P = Case ? Typed : AnsiUpperCase(Typed);
    for (Integer I = 0; I < Items->Count(); ++I) {
        const AnsiString Item = Items->Strings(I);
        if (Item.size() < P.size() || (Case ? Item : AnsiUpperCase(Item)).compare(0, P.size(), P) != 0)
            continue;
        // What was typed keeps its case; the rest of the item (at most 255 characters) follows.
        AnsiString Rest = Item.substr(Typed.size());
        const WideString W = UTF8Decode(Rest);
        if (W.size() > 255)
            Rest = UTF8Encode(W.substr(0, 255));
        Text = Typed + Rest;
        SelTo = static_cast<Integer>(Text.size());
        return I;
    }
    return -1;
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
