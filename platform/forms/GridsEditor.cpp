// The in-place editor and the grid's side of its protocol: the editor is made on first need,
// loaded from the current cell when shown there, and writes back through SetEditText only when
// it is hidden (Enter, moving to another cell, leaving the grid) and its text was modified, so
// that Esc can go back to the cell's text.

#include "platform/forms/Grids.h"
#include "platform/rtl/Guards.h"
#include "platform/win/StdControls.h"

#include <algorithm>

// ---- The grid's side ----------------------------------------------------------------------------

bool TCustomGrid::CanEditShow()
{
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode &&
           !ComponentState().Contains(csDesigning) && HandleAllocated() && IsWindow(FHandle) &&
           (FOptions.Contains(goAlwaysShowEditor) || IsActiveControl());
}

bool TCustomGrid::CanEditModify()
{
    return FCanEditModify;
}

bool TCustomGrid::CanEditAcceptKey(WideChar)
{
    return true;
}

TInplaceEdit* TCustomGrid::CreateEditor()
{
    return New<TInplaceEdit>(this);
}

AnsiString TCustomGrid::GetEditText(Integer, Integer)
{
    return AnsiString();
}

void TCustomGrid::SetEditText(Integer, Integer, const AnsiString&) {}

AnsiString TCustomGrid::GetEditMask(Integer, Integer)
{
    return AnsiString();
}

Integer TCustomGrid::GetEditLimit()
{
    return 0;
}

void TCustomGrid::SetEditorMode(bool Value)
{
    if (!Value) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (FInplaceEdit && FEditorMode)
        FInplaceEdit->Deselect();
}

void TCustomGrid::ShowEditor()
{
    if (!FOptions.Contains(goEditing) || FOptions.Contains(goRowSelect))
        return;
    FEditorMode = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor()
{
    FEditorMode = false;
    HideEdit();
}

void TCustomGrid::ShowEditorChar(WideChar Ch)
{
    ShowEditor();
    if (FInplaceEdit && FInplaceEdit->HandleAllocated() && FInplaceEdit->Visible()) {
        FCharToEditor = true;
        TScopeExit Sent([this] { FCharToEditor = false; });
        FInplaceEdit->Perform(WM_CHAR, Ch, 0);
    }
}

void TCustomGrid::InvalidateEditor()
{
    FInplaceCol = -1;
    FInplaceRow = -1;
    UpdateEdit();
}

void TCustomGrid::UpdateText()
{
    if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1 && FInplaceEdit->HandleAllocated() &&
        FInplaceEdit->Modified()) {
        const Integer C = FInplaceCol, R = FInplaceRow;
        const AnsiString Text = FInplaceEdit->Text();
        FInplaceEdit->SetModified(false);
        SetEditText(C, R, Text);
    }
}

void TCustomGrid::HideEdit()
{
    if (!FInplaceEdit)
        return;
    TScopeExit Hidden([this] {
        FInplaceCol = -1;
        FInplaceRow = -1;
        FInplaceEdit->Hide();
    });
    UpdateText();
}

void TCustomGrid::UpdateEdit()
{
    if (!CanEditShow())
        return;
    auto Load = [this] {
        FInplaceCol = FCurrent.X;
        FInplaceRow = FCurrent.Y;
        FInplaceEdit->UpdateContents();
        FCanEditModify = FInplaceEdit->MaxLength() != -1;
        FInplaceEdit->SelectAll();
    };
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->SetGrid(this);
        FInplaceEdit->SetParent(this);
        FInplaceEdit->HandleNeeded();
        Load();
    } else if (FCurrent.X != FInplaceCol || FCurrent.Y != FInplaceRow) {
        HideEdit();
        Load();
    }
    if (CanEditShow())
        FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
}

// ---- TInplaceEdit --------------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    FVisible = false;
    FTabStop = false;
    FParentCtl3D = false;
    FCtl3D = false;
    FControlStyle.Exclude(csSetCaption);
    // The cell gives the size; the editor has no frame of its own.
    SetAutoSize(false);
    SetBorderStyle(bsNone);
    if (auto* G = dynamic_cast<TCustomGrid*>(AOwner))
        FGrid = G;
}

void TInplaceEdit::CreateParams(TCreateParams& Params)
{
    TCustomMaskEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    Params.Style &= ~(WS_BORDER | WS_TABSTOP);
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TInplaceEdit::Deselect()
{
    if (HandleAllocated())
        SendMessage(FHandle, EM_SETSEL, 0x7FFFFFFF, -1);
}

void TInplaceEdit::UpdateContents()
{
    if (!FGrid)
        return;
    SetText(AnsiString());
    SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
    SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
    SetMaxLength(FGrid->GetEditLimit());
    SetModified(false);
}

bool TInplaceEdit::PosEqual(const TRect& Rect) const
{
    return BoundsRect() == Rect;
}

void TInplaceEdit::Move(const TRect& Loc)
{
    InternalMove(Loc, true);
}

void TInplaceEdit::UpdateLoc(const TRect& Loc)
{
    InternalMove(Loc, false);
}

void TInplaceEdit::InternalMove(const TRect& Loc, bool Redraw)
{
    if (Loc.Right <= Loc.Left || Loc.Bottom <= Loc.Top) {
        Hide();
        return;
    }
    HandleNeeded();
    SetBounds(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
    if (!FVisible)
        SetVisible(true);
    BringToFront();
    BoundsChanged();
    if (Redraw)
        Invalidate();
    if (FGrid && FGrid->HandleAllocated() && GetFocus() == FGrid->FHandle)
        ::SetFocus(FHandle);
}

void TInplaceEdit::BoundsChanged()
{
    if (!HandleAllocated())
        return;
    RECT R{2, 2, std::max(2, FWidth - 2), FHeight};
    SendMessage(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&R));
    SendMessage(FHandle, EM_SCROLLCARET, 0, 0);
}

void TInplaceEdit::Hide()
{
    if (!FVisible)
        return;
    const bool HadFocus = HandleAllocated() && GetFocus() == FHandle;
    Invalidate();
    SetVisible(false);
    if (HadFocus && FGrid && FGrid->HandleAllocated())
        ::SetFocus(FGrid->FHandle);
}

void TInplaceEdit::SetFocus()
{
    if (HandleAllocated() && IsWindowVisible(FHandle))
        ::SetFocus(FHandle);
}

void TInplaceEdit::Invalidate()
{
    TCustomMaskEdit::Invalidate();
    if (FGrid && FGrid->HandleAllocated() && IsWindow(FGrid->FHandle)) {
        RECT R{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
        ::InvalidateRect(FGrid->FHandle, &R, FALSE);
    }
}

// Keys that move between cells go to the grid; the others edit the text.
void TInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
    if (!FGrid) {
        TCustomMaskEdit::KeyDown(Key, Shift);
        return;
    }
    auto SendToParent = [&] {
        FGrid->KeyDown(Key, Shift);
        Key = 0;
    };
    auto ParentEvent = [&] {
        if (FGrid->OnKeyDown)
            FGrid->OnKeyDown(FGrid, Key, Shift);
    };
    const bool ForwardMovement = FGrid->Options().Contains(goAlwaysShowEditor);
    auto Selection = [&](DWORD& Start, DWORD& End) {
        SendMessage(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    };
    auto TextLen = [&] { return static_cast<DWORD>(GetWindowTextLength(FHandle)); };
    auto LeftSide = [&] {
        DWORD S = 0, E = 0;
        Selection(S, E);
        return S == 0 && (E == 0 || E == TextLen());
    };
    auto RightSide = [&] {
        DWORD S = 0, E = 0;
        Selection(S, E);
        const DWORD L = TextLen();
        return (S == 0 || S == L) && E == L;
    };
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        SendToParent();
        break;
    case VK_INSERT:
        if (Shift.Empty())
            SendToParent();
        else if (Shift == TShiftState{ssShift} && !FGrid->CanEditModify())
            Key = 0;
        break;
    case VK_LEFT:
    case VK_HOME:
        if (ForwardMovement && LeftSide())
            SendToParent();
        break;
    case VK_RIGHT:
    case VK_END:
        if (ForwardMovement && RightSide())
            SendToParent();
        break;
    case VK_F2:
        ParentEvent();
        if (Key == VK_F2) {
            Deselect();
            return;
        }
        break;
    case VK_TAB:
        if (!Shift.Contains(ssAlt))
            SendToParent();
        break;
    case VK_DELETE:
        if (Shift.Contains(ssCtrl))
            SendToParent();
        else if (!FGrid->CanEditModify())
            Key = 0;
        break;
    default:
        break;
    }
    if (Key != 0) {
        ParentEvent();
        // The masked edit's own keys (Delete blanks a position of the mask), then OnKeyDown.
        if (Key != 0)
            TCustomMaskEdit::KeyDown(Key, Shift);
    }
}

void TInplaceEdit::KeyPress(WideChar& Key)
{
    if (!FGrid) {
        TCustomMaskEdit::KeyPress(Key);
        return;
    }
    // A character that opened the editor has been through the grid's key press already.
    if (!FGrid->FCharToEditor)
        FGrid->KeyPress(Key);
    if (Key >= 32 && !FGrid->CanEditAcceptKey(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    switch (Key) {
    case 9:
    case 27:
        Key = 0;
        break;
    case u'\r': {
        DWORD S = 0, E = 0;
        SendMessage(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
        if (S == 0 && E == static_cast<DWORD>(GetWindowTextLength(FHandle)))
            Deselect();
        else
            SelectAll();
        Key = 0;
        break;
    }
    case 8:
    case 22:
    case 24:
        if (!FGrid->CanEditModify())
            Key = 0;
        break;
    default:
        if (Key >= 32 && !FGrid->CanEditModify())
            Key = 0;
        break;
    }
    // OnKeyPress, then the mask: a character the mask refuses at the caret is dropped.
    if (Key != 0)
        TCustomMaskEdit::KeyPress(Key);
}

void TInplaceEdit::KeyUp(Word& Key, TShiftState Shift)
{
    if (FGrid)
        FGrid->KeyUp(Key, Shift);
}

void TInplaceEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CHAR:
        // The character that opened the editor: the form and the grid have seen it, the
        // editor's own key press (mask, editability) and the window's typing remain.
        if (FGrid && FGrid->FCharToEditor) {
            WideChar Key = static_cast<WideChar>(Message.WParam);
            KeyPress(Key);
            FGrid->FCharToEditor = false;
            if (Key == 0)
                return;
            Message.WParam = Key;
            DefaultHandler(Message);
            return;
        }
        break;
    case WM_GETDLGCODE:
        TCustomMaskEdit::WndProc(Message);
        Message.Result |= DLGC_WANTARROWS;
        if (FGrid && FGrid->Options().Contains(goTabs))
            Message.Result |= DLGC_WANTTAB;
        return;
    case WM_SETFOCUS:
        // The form sees the grid as its focused control while the editor has the focus.
        if (TCustomForm* Form = GetParentForm(this))
            if (FGrid && !Form->SetFocusedControl(FGrid))
                return;
        DefaultHandler(Message);
        return;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
        if (FGrid && !FGrid->CanEditModify())
            return;
        break;
    default:
        break;
    }
    TCustomMaskEdit::WndProc(Message);
}
