#pragma once

// Speed buttons (windowless, grouped, latching) and bitmap buttons (push buttons with a glyph).

#include "platform/forms/Controls.h"
#include "platform/forms/StdCtrls.h"

#include <memory>

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// Draws a glyph slice (one of NumGlyphs side by side: up, disabled, clicked, down) and a
// caption laid out as the buttons lay them out; the bitmap's bottom-left pixel is transparent.
void DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, Integer NumGlyphs,
                               TButtonState State, const AnsiString& Caption, TButtonLayout Layout,
                               Integer Margin, Integer Spacing, bool Enabled, TFont* Font);

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    Integer NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(Integer Value);
    // Buttons of one parent sharing a GroupIndex > 0 latch: one of them is down at a time.
    Integer GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    // A latched button of a group may be clicked up again (leaving none down).
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value);
    Integer Spacing() const { return FSpacing; }
    void SetSpacing(Integer Value);
    TButtonState State() const { return FState; }

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    void UpdateExclusive();
    std::unique_ptr<TBitmap> FGlyph;
    Integer FNumGlyphs = 1;
    Integer FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FDragging = false;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
    TButtonState FState = bsUp;
};

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    Integer NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(Integer Value);
    // A standard kind sets the caption, the modal result and Default / Cancel.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value);
    Integer Spacing() const { return FSpacing; }
    void SetSpacing(Integer Value);

    void Click() override;
    void WndProc(TMessage& Message) override;

private:
    void PaintButton(HDC Dc);
    std::unique_ptr<TBitmap> FGlyph;
    Integer FNumGlyphs = 1;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
};
