#pragma once

// TZelEdit: the one-line entry box of the input windows. The platform's edit with four
// additions: the text can be aligned left, right or centred; the box turns to a focus colour
// and selects its whole text on entry; Enter moves the focus to the next control instead of
// being typed; line breaks are stripped from pasted text.

#include "platform/forms/StdCtrls.h"

class TZelCustomEdit : public TCustomEdit {
public:
    explicit TZelCustomEdit(TComponent* AOwner);
    ~TZelCustomEdit() override;

    // Recreates the window when the value changes (the alignment is a window style, kept in
    // the edit's own alignment field).
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // Kept for the layouts that set it; the box draws no frame of its own.
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value) { FBorderColor = Value; }
    // The background while the box has the focus.
    TColor ColorOnFocus() const { return FColorOnFocus; }
    void SetColorOnFocus(TColor Value) { FColorOnFocus = Value; }
    // Free text for the user of the control; never read by it.
    const AnsiString& CustomProperty() const { return FCustomProperty; }
    void SetCustomProperty(const AnsiString& Value) { FCustomProperty = Value; }

    // Places the text one pixel from the left edge at the top of the box.
    void SetEditRect();
    // Calls OnPaint.
    void PaintEdit();
    TPoint GetTextMargins();

    void WndProc(TMessage& Message) override;

    // Called after resizing, entry and exit.
    TNotifyEvent OnPaint;

protected:
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void KeyPress(WideChar& Key) override;
    void SetFocused(bool Value);

private:
    void CMEnter(TMessage& Message);
    void CMExit(TMessage& Message);
    void WMPaste(TMessage& Message);

    bool FFocused = false;
    TColor FBorderColor = 0;
    AnsiString FCustomProperty;
    TColor FColorOnFocus = 8253677;
    TColor FSavedColor = 0xFFFFFF;
};

class TZelEdit : public TZelCustomEdit {
public:
    explicit TZelEdit(TComponent* AOwner) : TZelCustomEdit(AOwner) {}
};
