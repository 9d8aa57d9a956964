#pragma once

// TZevButton: a self-drawn push button with a flat or vertically graded face, a one-pixel
// border, an optional inner 3-D edge, a glyph and a caption. Each of its four looks (normal,
// hot, down, disabled) has its own six colours; one of thirteen named colour schemes fills all
// of them at once. Like a dialog button it takes the focus, answers Space, Enter, Escape and
// its accelerator, and copies its ModalResult to its form when clicked.

#include "platform/forms/Buttons.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/StringLists.h"

#include <array>
#include <memory>

enum TColorScheme {
    csNeoDesert,
    csNeoSky,
    csNeoGrass,
    csNeoSilver,
    csNeoRose,
    csNeoSun,
    csDesert,
    csGrass,
    csSky,
    csSun,
    csRose,
    csSilver,
    csCustom
};

class TZevButton : public TCustomControl {
public:
    // Indices of the 25 colours as SetColors takes them.
    enum : Integer {
        ciColorFace,
        ciColorGrad,
        ciColorDark,
        ciColorLight,
        ciColorBorder,
        ciColorText,
        ciOverColorFace,
        ciOverColorGrad,
        ciOverColorDark,
        ciOverColorLight,
        ciOverColorBorder,
        ciOverColorText,
        ciDownColorFace,
        ciDownColorGrad,
        ciDownColorDark,
        ciDownColorLight,
        ciDownColorBorder,
        ciDownColorText,
        ciDisabledColorFace,
        ciDisabledColorGrad,
        ciDisabledColorDark,
        ciDisabledColorLight,
        ciDisabledColorBorder,
        ciDisabledColorText,
        ciColorFocusRect,
        ColorCount
    };

    explicit TZevButton(TComponent* AOwner);
    ~TZevButton() override;

    // Stores one colour (Index 0 to 24; any other index stores nothing), switches the scheme to
    // csCustom and invalidates.
    void SetColors(Integer Index, TColor Value);
    TColor Colors(Integer Index) const;

#define ZEV_COLOR(Name)                                                                                      \
    TColor Name() const                                                                                      \
    {                                                                                                        \
        return FColors[ci##Name];                                                                            \
    }                                                                                                        \
    void Set##Name(TColor Value)                                                                             \
    {                                                                                                        \
        SetColors(ci##Name, Value);                                                                          \
    }
    ZEV_COLOR(ColorFace)
    ZEV_COLOR(ColorGrad)
    ZEV_COLOR(ColorDark)
    ZEV_COLOR(ColorLight)
    ZEV_COLOR(ColorBorder)
    ZEV_COLOR(ColorText)
    ZEV_COLOR(OverColorFace)
    ZEV_COLOR(OverColorGrad)
    ZEV_COLOR(OverColorDark)
    ZEV_COLOR(OverColorLight)
    ZEV_COLOR(OverColorBorder)
    ZEV_COLOR(OverColorText)
    ZEV_COLOR(DownColorFace)
    ZEV_COLOR(DownColorGrad)
    ZEV_COLOR(DownColorDark)
    ZEV_COLOR(DownColorLight)
    ZEV_COLOR(DownColorBorder)
    ZEV_COLOR(DownColorText)
    ZEV_COLOR(DisabledColorFace)
    ZEV_COLOR(DisabledColorGrad)
    ZEV_COLOR(DisabledColorDark)
    ZEV_COLOR(DisabledColorLight)
    ZEV_COLOR(DisabledColorBorder)
    ZEV_COLOR(DisabledColorText)
    ZEV_COLOR(ColorFocusRect)
#undef ZEV_COLOR

    // The scheme last applied (csCustom once any single colour was set). Applying a scheme
    // writes its colours one by one, sets Gradient for Neo schemes and clears it for classic
    // ones; csCustom changes nothing.
    TColorScheme ColorScheme() const
    {
        return FColorScheme;
    }
    void SetColorScheme(TColorScheme Value);
    // The 25 colours as assignment lines ("ColorFace:= $0037BEFF;" …); the caller owns the list.
    TStringList* GetColorScheme();

    bool Ctl3D() const
    {
        return FCtl3D;
    }
    void SetCtl3D(bool Value);
    TButtonLayout Layout() const
    {
        return FLayout;
    }
    void SetLayout(TButtonLayout Value);
    // The image strip; the setter copies Value.
    TBitmap* Glyph() const
    {
        return FGlyph.get();
    }
    void SetGlyph(TBitmap* Value);
    // Images side by side in the strip; only the leftmost is drawn. At least 1.
    Integer NumGlyphs() const
    {
        return FNumGlyphs;
    }
    void SetNumGlyphs(Integer Value);
    bool TransparentGlyph() const
    {
        return FTransparentGlyph;
    }
    void SetTransparentGlyph(bool Value);
    bool Gradient() const
    {
        return FGradient;
    }
    void SetGradient(bool Value);
    Integer Spacing() const
    {
        return FSpacing;
    }
    void SetSpacing(Integer Value);
    TModalResult ModalResult() const
    {
        return FModalResult;
    }
    void SetModalResult(TModalResult Value)
    {
        FModalResult = Value;
    }
    bool Cancel() const
    {
        return FCancel;
    }
    void SetCancel(bool Value)
    {
        FCancel = Value;
    }
    // Enter clicks a default button wherever the focus is on its form.
    bool Default() const
    {
        return FDefault;
    }
    void SetDefault(bool Value);
    bool HotTrack() const
    {
        return FHotTrack;
    }
    void SetHotTrack(bool Value)
    {
        FHotTrack = Value;
    }

    // Fills Rect with horizontal lines graded from FromColor (top) to ToColor (bottom row).
    static void GradientFillRect(TCanvas* Canvas, const TRect& Rect, TColor FromColor, TColor ToColor);

    // Copies ModalResult to the form, returns to the normal look and runs OnClick or the action.
    void Click() override;
    void WndProc(TMessage& Message) override;

    enum TDrawState { dsNormal, dsHot, dsDown };
    TDrawState DrawState() const
    {
        return FState;
    }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

private:
    void MouseEnter(TMessage& Message);
    void MouseLeave(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void CMDialogChar(TMessage& Message);
    void SetState(TDrawState Value);

    std::array<TColor, ColorCount> FColors{};
    TColorScheme FColorScheme = csNeoDesert;
    bool FCtl3D = true;
    TButtonLayout FLayout = blGlyphLeft;
    std::unique_ptr<TBitmap> FGlyph;
    Integer FNumGlyphs = 2;
    bool FTransparentGlyph = true;
    bool FGradient = true;
    Integer FSpacing = 4;
    TModalResult FModalResult = mrNone;
    bool FCancel = false;
    bool FDefault = false;
    bool FHotTrack = true;
    bool FFocused = false;
    bool FMouseHeld = false;
    TDrawState FState = dsNormal;
};
