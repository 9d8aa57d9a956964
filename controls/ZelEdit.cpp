#include "controls/ZelEdit.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Forms.h"
#include "platform/win/StdControls.h"

#include <algorithm>

namespace {

// Asks the box to move the focus on once the key that asked for it has been handled.
constexpr UINT CM_ZELNEXTCONTROL = WM_USER + 0x5A1;

} // namespace

TZelCustomEdit::TZelCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner)
{
    SetParentCtl3D(false);
    SetCtl3D(false);
    SetBorderStyle(bsSingle);
    SetBiDiMode(bdLeftToRight);
    SetImeMode(imDontCare);
    SetImeName("");
    SetText("");
    // A new box does not show its component name as its text.
    FControlStyle.Exclude(csSetCaption);
}

TZelCustomEdit::~TZelCustomEdit() = default;

void TZelCustomEdit::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    RecreateWnd();
}

void TZelCustomEdit::SetFocused(bool Value)
{
    if (FFocused == Value)
        return;
    FFocused = Value;
    if (FAlignment != taLeftJustify && HandleAllocated())
        Repaint();
}

void TZelCustomEdit::CreateParams(TCreateParams& Params)
{
    TCustomEdit::CreateParams(Params);
    // A multi-line edit honours the alignment styles; a password box stays single-line.
    if (PasswordChar() == 0)
        Params.Style |= ES_MULTILINE;
    Params.Style &= ~DWORD(ES_LEFT | ES_RIGHT | ES_CENTER);
    switch (FAlignment) {
    case taLeftJustify:
        Params.Style |= UseRightToLeftAlignment() ? ES_RIGHT : ES_LEFT;
        break;
    case taRightJustify:
        Params.Style |= UseRightToLeftAlignment() ? ES_LEFT : ES_RIGHT;
        break;
    case taCenter:
        Params.Style |= ES_CENTER;
        break;
    }
}

void TZelCustomEdit::CreateWnd()
{
    TCustomEdit::CreateWnd();
    SetEditRect();
}

void TZelCustomEdit::Loaded()
{
    TCustomEdit::Loaded();
    SetEditRect();
}

void TZelCustomEdit::SetEditRect()
{
    if (ComponentState().Contains(csLoading) || PasswordChar() != 0 || !HandleAllocated())
        return;
    RECT R{};
    SendMessage(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
    R.Left = 1;
    R.Top = 0;
    R.Bottom = ClientHeight() + 1;
    SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&R));
}

void TZelCustomEdit::PaintEdit()
{
    if (OnPaint)
        OnPaint(this);
}

TPoint TZelCustomEdit::GetTextMargins()
{
    // The platform's controls are always of the new style.
    return TPoint{1, 2};
}

void TZelCustomEdit::KeyPress(WideChar& Key)
{
    if (OnKeyPress) {
        OnKeyPress(this, Key);
        // The box is one line to its user: an Enter the handler leaves must not become a line
        // break in the multi-line window underneath.
        if (Key == 13)
            Key = 0;
        return;
    }
    if (Key == 13) {
        Key = 0;
        if (!OnKeyDown && HandleAllocated())
            PostMessage(Handle(), CM_ZELNEXTCONTROL, 0, 0);
    }
    TCustomEdit::KeyPress(Key);
}

void TZelCustomEdit::CMEnter(TMessage& Message)
{
    if (ReadOnly())
        return;
    SetFocused(true);
    TCustomEdit::WndProc(Message);
    SetSelStart(0);
    SetSelLength(static_cast<Integer>(Text().size()));
    FSavedColor = Color();
    SetColor(FColorOnFocus);
    PaintEdit();
}

void TZelCustomEdit::CMExit(TMessage& Message)
{
    if (ReadOnly())
        return;
    TCustomEdit::WndProc(Message);
    SetColor(FSavedColor);
    SetFocused(false);
    PaintEdit();
}

void TZelCustomEdit::WMPaste(TMessage& Message)
{
    // Line breaks would split a one-line entry. The cleaned text goes into the box; the
    // clipboard keeps what it holds (other formats included).
    if (ReadOnly() || !Clipboard()->HasFormat(CF_TEXT))
        return;
    AnsiString Text = Clipboard()->AsText();
    Text.erase(std::remove(Text.begin(), Text.end(), '\r'), Text.end());
    Text.erase(std::remove(Text.begin(), Text.end(), '\n'), Text.end());
    SendMessage(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Text.c_str()));
    Message.Result = 0;
}

void TZelCustomEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_ENTER:
        CMEnter(Message);
        return;
    case CM_EXIT:
        CMExit(Message);
        return;
    case WM_SIZE:
        TCustomEdit::WndProc(Message);
        SetEditRect();
        PaintEdit();
        return;
    case CM_FONTCHANGED:
        TCustomEdit::WndProc(Message);
        SetEditRect();
        return;
    case WM_LBUTTONDBLCLK:
        if (ReadOnly() && FAlignment == taRightJustify)
            return;
        TCustomEdit::WndProc(Message);
        return;
    case WM_PASTE:
        WMPaste(Message);
        return;
    case CM_ZELNEXTCONTROL:
        if (TCustomForm* Form = GetParentForm(this))
            Form->SelectNext(this, true, true);
        return;
    default:
        TCustomEdit::WndProc(Message);
        return;
    }
}
