#pragma once

// The grid combo box: a platform combo box that can draw itself flat — a thin border in the
// parent's colour that turns into a sunken 3-D border while the mouse is over it or it has the
// focus (with FocusBorder), and a drop button of its own, themed ("combobox" class) or a flat
// frame-control glyph. The Unicode combo box (VadUni.h) draws the same way with a few
// differences; both share the drawing below through TDAEFlatCombo, whose Wide parameter selects
// the Unicode combo's variant.

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/win/Colors.h"

// The major version of the common-controls library, read once: it cannot change while running.
// A version that cannot be read counts as 6.
Integer CommonControlsMajorVersion();

// The flat look over a combo box class Base. Wide selects the Unicode combo's variant (no
// SystemLook, a three-pixel idle border, button and button border whatever the BiDiMode, the
// button border also when themed, the button area filled with the button face when not hot).
template <class Base, bool Wide> class TDAEFlatCombo : public Base {
public:
    explicit TDAEFlatCombo(TComponent* AOwner) : Base(AOwner)
    {
        FSavedColor = this->Color();
        FSavedParentColor = this->ParentColor();
        FButtonWidth = GetSystemMetrics(SM_CXVSCROLL) + 4;
        this->SetCtl3D(!FFlat);
    }

    bool AutoFocus() const { return FAutoFocus; }
    void SetAutoFocus(bool Value) { FAutoFocus = Value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value)
    {
        FFlat = Value;
        this->SetCtl3D(!Value);
        this->Invalidate();
    }
    bool Etched() const { return FEtched; }
    void SetEtched(bool Value)
    {
        if (FEtched == Value)
            return;
        FEtched = Value;
        this->Invalidate();
    }
    TColor SavedColor() const { return FSavedColor; }
    bool SavedParentColor() const { return FSavedParentColor; }
    Integer ButtonWidth() const { return FButtonWidth; }
    // 14 to 32 only; other values are ignored.
    void SetButtonWidth(Integer Value)
    {
        if (Value < 14 || Value > 32)
            return;
        FButtonWidth = Value;
        this->Invalidate();
    }
    bool FocusBorder() const { return FFocusBorder; }
    void SetFocusBorder(bool Value) { FFocusBorder = Value; }
    bool MouseInside() const { return FMouseInside; }
    Integer DropWidth() const { return FDropWidth; }
    // Stored always; sent to the window only when above 0.
    void SetDropWidth(Integer Value)
    {
        FDropWidth = Value;
        if (Value > 0)
            SendMessage(this->Handle(), CB_SETDROPPEDWIDTH, WPARAM(Value), 0);
    }

    // Draw the button with the theme API and use the XP border rule.
    bool IsWinXP = false;

    bool Is3DBorderControl()
    {
        if (this->ComponentState().Contains(csDesigning))
            return false;
        return (FMouseInside || IsActive()) && FFocusBorder;
    }
    bool Is3DBorderButton()
    {
        if (this->ComponentState().Contains(csDesigning))
            return this->Enabled();
        return FMouseInside || IsActive();
    }

    void DrawBorders()
    {
        if (!FFlat || OwnDrawingOff() || !this->HandleAllocated())
            return;
        TWindowDC DC(this->Handle(), GetWindowDC(this->Handle()));
        DrawControlBorder(DC.get());
        if (this->Style() != csSimple && ButtonAllowed())
            DrawButtonBorder(DC.get());
    }

    void DrawControlBorder(HDC DC)
    {
        const bool Hot = Is3DBorderControl();
        HBRUSH A = CreateSolidBrush(ColorToRGB(
            Hot ? TColor(clBtnFace) : (this->Parent() ? this->Parent()->Color() : TColor(clBtnFace))));
        HBRUSH B = CreateSolidBrush(ColorToRGB(this->Color()));
        RECT R = WindowRectAtOrigin();
        if (Hot) {
            DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            FrameRect(DC, &R, A);
            InflateRect(&R, -1, -1);
            FrameRect(DC, &R, B);
        } else {
            FrameRect(DC, &R, A);
            if (Wide || !(IsWinXP && CommonControlsMajorVersion() >= 6)) {
                InflateRect(&R, -1, -1);
                FrameRect(DC, &R, A);
            }
            if (Wide) {
                InflateRect(&R, -1, -1);
                FrameRect(DC, &R, B);
            }
        }
        DeleteObject(A);
        DeleteObject(B);
    }

    void DrawButtonBorder(HDC DC)
    {
        if (IsWinXP && !Wide)
            return;
        const Integer W = this->ClientWidth(), H = this->ClientHeight();
        ExcludeClipRect(DC, W - FButtonWidth + 4, 4, W - 4, H - 4);
        RECT R = WindowRectAtOrigin();
        if (Wide) {
            R.Left = W - FButtonWidth - 2;
            InflateRect(&R, -2, -2);
            if (Is3DBorderButton()) {
                DrawEdge(DC, &R, FEtched ? EDGE_ETCHED : EDGE_RAISED,
                         BF_RECT | (this->DroppedDown() ? UINT(BF_FLAT) : 0u));
            } else {
                RECT F{R.Left, R.Top + 1, R.Right - 1, R.Bottom - 1};
                FillRect(DC, &F, GetSysColorBrush(COLOR_BTNFACE));
            }
        } else {
            R.Left = W - FButtonWidth - 4;
            InflateRect(&R, -2, -2);
            R.Bottom += 2;
            R.Right += 1;
            DrawEdge(DC, &R, FEtched ? EDGE_ETCHED : EDGE_RAISED, BF_RECT);
        }
        ExcludeClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
    }

    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_PAINT:
            WMPaint(Message);
            return;
        case WM_NCPAINT:
            Base::WndProc(Message);
            if (FFlat)
                DrawBorders();
            return;
        case CM_ENTER:
        case CM_EXIT:
            Base::WndProc(Message);
            if (!this->ComponentState().Contains(csDesigning))
                DrawBorders();
            return;
        case CM_MOUSEENTER:
            CMMouseEnter(Message);
            return;
        case CM_MOUSELEAVE:
            Base::WndProc(Message);
            if (FMouseInside && this->Enabled()) {
                FMouseInside = false;
                DrawBorders();
            }
            return;
        case CM_ENABLEDCHANGED:
            CMEnabledChanged(Message);
            return;
        case CN_COMMAND:
            Base::WndProc(Message);
            if (HIWORD(Message.WParam) == CBN_DROPDOWN || HIWORD(Message.WParam) == CBN_CLOSEUP) {
                RECT R{this->ClientWidth() - FButtonWidth, 0, this->ClientWidth(), this->ClientHeight()};
                InvalidateRect(this->Handle(), &R, FALSE);
            }
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            // The themed button looks pressed while this control's own button is held.
            const bool Down = Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN;
            const POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            FButtonHeld = Down && P.X >= this->ClientWidth() - FButtonWidth;
            Base::WndProc(Message);
            return;
        }
        default:
            Base::WndProc(Message);
        }
    }

protected:
    // True when the platform paints alone (the plain combo's SystemLook).
    virtual bool OwnDrawingOff() { return false; }

    bool ButtonAllowed() { return Wide || this->BiDiMode() == bdLeftToRight; }

    bool IsActive() { return Screen && Screen->ActiveControl() == static_cast<TWinControl*>(this); }

    RECT WindowRectAtOrigin()
    {
        RECT R;
        GetWindowRect(this->Handle(), &R);
        OffsetRect(&R, -R.Left, -R.Top);
        return R;
    }

    void WMPaint(TMessage& Message)
    {
        if (OwnDrawingOff() || !FFlat) {
            Base::WndProc(Message);
            return;
        }
        HDC DC = reinterpret_cast<HDC>(Message.WParam);
        PAINTSTRUCT Ps;
        if (!DC)
            DC = BeginPaint(this->Handle(), &Ps);
        if (this->Style() != csSimple) {
            RECT Client{0, 0, this->ClientWidth(), this->ClientHeight()};
            HBRUSH Back = CreateSolidBrush(ColorToRGB(this->Color()));
            FillRect(DC, &Client, Back);
            DeleteObject(Back);
            if (ButtonAllowed())
                DrawButton(DC);
        }
        this->PaintWindow(DC);
        if (!Message.WParam)
            EndPaint(this->Handle(), &Ps);
        DrawBorders();
    }

    void DrawButton(HDC DC)
    {
        const Integer W = this->ClientWidth(), H = this->ClientHeight();
        RECT R = WindowRectAtOrigin();
        R.Left = W - FButtonWidth;
        themeapi::TThemeLoader& Theme = VadXPVS();
        if (IsWinXP && Theme.Loaded()) {
            InflateRect(&R, -1, -1);
            HTHEME T = Theme.OpenThemeData(this->Handle(), u"combobox");
            const bool Pressed = this->DroppedDown() || (FButtonHeld && GetCapture() == this->Handle());
            Theme.DrawThemeBackground(T, DC, 1, Pressed ? 3 : 1, &R, nullptr);
            Theme.CloseThemeData(T);
            return;
        }
        if (Wide) {
            InflateRect(&R, -1, -1);
        } else {
            InflateRect(&R, 0, -1);
            OffsetRect(&R, -2, 1);
        }
        DrawFrameControl(DC, &R, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
        ExcludeClipRect(DC, W - FButtonWidth - 4, 0, W + 2, H);
    }

    void CMMouseEnter(TMessage& Message)
    {
        Base::WndProc(Message);
        if (!FMouseInside && this->Enabled()) {
            FMouseInside = true;
            DrawBorders();
        }
        if (FAutoFocus && this->CanFocus())
            this->SetFocus();
    }

    // A flat control shows its parent's colour while disabled. The swap is remembered apart from
    // Flat, so clearing Flat while disabled still restores the colour on enable; a colour set
    // while disabled is the one restored.
    void CMEnabledChanged(TMessage& Message)
    {
        if (this->Enabled()) {
            if (FSwapped) {
                FSwapped = false;
                const bool Replaced = this->Color() != FSwapColor;
                const TColor Now = this->Color();
                this->SetParentColor(FSavedParentColor);
                this->SetColor(Replaced ? Now : FSavedColor);
            }
        } else if (FFlat && !FSwapped) {
            FSavedParentColor = this->ParentColor();
            FSavedColor = this->Color();
            this->SetParentColor(true);
            FSwapped = true;
            FSwapColor = this->Color();
        }
        Base::WndProc(Message);
    }

    bool FAutoFocus = false;
    bool FFlat = true;
    bool FEtched = false;
    TColor FSavedColor = 0;
    bool FSavedParentColor = false;
    Integer FButtonWidth = 0;
    bool FFocusBorder = false;
    bool FMouseInside = false;
    Integer FDropWidth = 0;
    bool FSwapped = false;
    TColor FSwapColor = 0;
    bool FButtonHeld = false;
};

// The grid combo box on the platform combo box.
class TDAECustomCombo : public TDAEFlatCombo<TCustomComboBox, false> {
public:
    explicit TDAECustomCombo(TComponent* AOwner) : TDAEFlatCombo(AOwner) {}

    // The version packed one byte a part, most significant first: 1.2.0.1.
    virtual Integer GetVersionNr();
    // "1.2.0.1"; writing it does nothing.
    AnsiString GetVersion();
    AnsiString Version() { return GetVersion(); }
    void SetVersion(const AnsiString&) {}

    // Leave all painting to the platform combo (no flat drawing at all).
    bool SystemLook = false;

protected:
    bool OwnDrawingOff() override { return SystemLook; }
};

// Publishes the grid combo box. The docking events are kept for forms that assign them.
class TDAEComboBox : public TDAECustomCombo {
public:
    using TDAECustomCombo::TDAECustomCombo;

    TNotifyEvent OnStartDock;
    TNotifyEvent OnEndDock;
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }

private:
    bool FParentBiDiMode = true;
};
