// The self-drawn check box.

#include "RudUvud/support/VadObj.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/win/Windows.h"

namespace {

constexpr Integer StripWidth = 20;

bool Inside(const TControl* C, Integer X, Integer Y)
{
    return X >= 0 && X <= C->Width() && Y >= 0 && Y <= C->Height();
}

} // namespace

TDirEdaduVer::TDirEdaduVer(TComponent* AOwner)
    : TCustomControl(AOwner), FBackground(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 98, 20);
    FCaption = "TDirEdaduVer";
    FIsWinXP = IsWinXPSystem();
    FControlStyle.Exclude(csClickEvents);
    SetTabStop(false);
}

TDirEdaduVer::~TDirEdaduVer() = default;

void TDirEdaduVer::Toggle()
{
    if (!FReadOnly)
        SetChecked(!GetChecked());
}

void TDirEdaduVer::SetChecked(bool Value)
{
    SetState(Value ? cbChecked : cbUnchecked);
    Repaint();
}

TRect TDirEdaduVer::BoxStrip()
{
    const Integer W = ClientWidth(), H = ClientHeight();
    return FAlignment == taRightJustify ? Rect(W - StripWidth, 0, W, H) : Rect(0, 0, StripWidth, H);
}

void TDirEdaduVer::InvalidateStrip(bool Erase)
{
    if (!HandleAllocated())
        return;
    const RECT R = BoxStrip();
    InvalidateRect(Handle(), &R, Erase ? TRUE : FALSE);
}

void TDirEdaduVer::SetState(TCheckBoxState Value)
{
    if (Value == FState)
        return;
    FState = Value;
    InvalidateStrip(true);
}

void TDirEdaduVer::SetCaption(const AnsiString& Value)
{
    if (HandleAllocated())
        SetWindowText(Handle(), Value.c_str());
    FCaption = Value;
    Repaint();
}

void TDirEdaduVer::SetAlignment(TLeftRight Value)
{
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    Repaint();
}

void TDirEdaduVer::SetButtonVertAlign(TTextLayout Value)
{
    if (Value == FButtonVertAlign)
        return;
    FButtonVertAlign = Value;
    Repaint();
}

void TDirEdaduVer::SetEllipsis(bool Value)
{
    if (Value == FEllipsis)
        return;
    FEllipsis = Value;
    Repaint();
}

void TDirEdaduVer::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        FBackgroundValid = false;
    }
    Repaint();
}

void TDirEdaduVer::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FTransparent) {
        FBackgroundValid = false;
        Repaint();
    }
}

TRect TDirEdaduVer::BoxRect()
{
    const Integer W = ClientWidth(), H = ClientHeight();
    if (IsVisualStylesActive()) {
        const Integer Top = FButtonVertAlign == tlTop ? 4 : FButtonVertAlign == tlCenter ? H / 2 - 6 : H - 14;
        const Integer Left = FAlignment == taRightJustify ? W - 15 : 0;
        return Rect(Left, Top, Left + 14, Top + 14);
    }
    const Integer Top = FButtonVertAlign == tlTop ? 4 : FButtonVertAlign == tlCenter ? H / 2 - 6 : H - 17;
    const Integer Left = FAlignment == taRightJustify ? W - 13 : 0;
    return Rect(Left, Top, Left + 13, Top + 13);
}

// The parent paints itself into this control's context, moved so that the part under the
// control lands on it.
void TDirEdaduVer::PaintParentBackground()
{
    TWinControl* P = Parent();
    if (!P)
        return;
    HDC DC = Canvas()->Handle();
    const int Saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, -Left(), -Top(), nullptr);
    IntersectClipRect(DC, 0, 0, P->ClientWidth(), P->ClientHeight());
    P->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    P->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, Saved);
}

void TDirEdaduVer::Paint()
{
    TCanvas* C = Canvas();
    C->SetFont(Font());
    if (FTransparent)
        PaintParentBackground();
    // The window text follows the caption in SetCaption; painting changes nothing but pixels.
    RECT Box = BoxRect();
    themeapi::TThemeLoader& Theme = VadXPVS();
    bool Drawn = false;
    if (IsVisualStylesActive()) {
        if (HTHEME Data = Theme.OpenThemeData(Handle(), u"button")) {
            const int Base = FState == cbUnchecked ? 1 : FState == cbChecked ? 5 : 9;
            const int Offset = !Enabled() ? 3 : FPressed ? 2 : FHot ? 1 : 0;
            Theme.DrawThemeBackground(Data, C->Handle(), 3, Base + Offset, &Box, nullptr);
            Theme.CloseThemeData(Data);
            Drawn = true;
        }
    }
    if (!Drawn) {
        UINT Flags = DFCS_BUTTONCHECK;
        if (!Enabled() || FState == cbGrayed)
            Flags |= DFCS_INACTIVE;
        if (FState == cbChecked)
            Flags |= DFCS_CHECKED;
        DrawFrameControl(C->Handle(), &Box, DFC_BUTTON, Flags);
    }

    TRect R = ClientRect();
    R.Top += 4;
    if (FAlignment == taLeftJustify) {
        R.Left = 15;
    } else {
        R.Left = 6;
        R.Right = ClientWidth() - 9;
    }
    C->Brush()->SetStyle(bsClear);
    const UINT Flags = FEllipsis ? DT_END_ELLIPSIS : 0;
    if (!Enabled()) {
        RECT Shadow = R;
        OffsetRect(&Shadow, 1, 1);
        C->Font()->SetColor(clWhite);
        DrawText(C->Handle(), FCaption.c_str(), -1, &Shadow, Flags);
        C->Font()->SetColor(TColor(0x808080));
    }
    RECT Text = R;
    DrawText(C->Handle(), FCaption.c_str(), -1, &Text, Flags);
    if (FFocused) {
        C->Brush()->SetStyle(bsSolid);
        C->DrawFocusRect(Rect(R.Left - 2, R.Top, R.Left + C->TextWidth(FCaption) + 1,
                              R.Top + C->TextHeight(FCaption) + 1));
    }
}

void TDirEdaduVer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    FMousePressed = true;
    if (!FFocused && CanFocus())
        SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
    SetMouseCapture(true);
    FPressed = true;
    if (FIsWinXP)
        InvalidateStrip(false);
}

void TDirEdaduVer::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    if (MouseCapture()) {
        const bool Now = Inside(this, X, Y);
        if (Now != FPressed) {
            FPressed = Now;
            InvalidateStrip(false);
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TDirEdaduVer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    SetMouseCapture(false);
    FPressed = false;
    if (Inside(this, X, Y) && FFocused && FMousePressed) {
        Toggle();
        Click();
    }
    FMousePressed = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FIsWinXP)
        InvalidateStrip(true);
}

void TDirEdaduVer::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_RETURN && FReturnIsTab) {
        Key = VK_TAB;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (Key == VK_SPACE) {
        FPressed = true;
        FSpacePressed = true;
        InvalidateStrip(false);
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TDirEdaduVer::KeyUp(Word& Key, TShiftState Shift)
{
    // Only a Space pressed here toggles: one held while the focus arrived does not.
    if (Key == VK_SPACE && FSpacePressed) {
        FSpacePressed = false;
        FPressed = false;
        Toggle();
        Click();
    }
    TCustomControl::KeyUp(Key, Shift);
}

void TDirEdaduVer::DoEnter()
{
    TCustomControl::DoEnter();
    FFocused = true;
    Repaint();
}

void TDirEdaduVer::DoExit()
{
    TCustomControl::DoExit();
    FFocused = false;
    FSpacePressed = false;
    FPressed = false;
    Repaint();
}

void TDirEdaduVer::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        if (FTransparent) {
            Message.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TCustomControl::WndProc(Message);
        Repaint();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), FCaption) && CanFocus()) {
            Toggle();
            if (TabStop())
                SetFocus();
            // Listeners of OnClick learn of a change made by the accelerator too.
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        FHot = Message.Msg == CM_MOUSEENTER;
        InvalidateStrip(true);
        break;
    default:
        break;
    }
    TCustomControl::WndProc(Message);
}
