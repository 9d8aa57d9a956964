#pragma once

// The popup window of every dropdown and the dropdown button inside the edit.
//
// The popup is a borderless top-level window that does not take the activation: the edit it
// drops from keeps the keyboard focus and the owner form its active caption while it shows. It
// closes itself (through its dropdown's DoHideDropDown) when the person presses outside it or
// the program loses the focus, which the window layer tells it by WM_CANCELMODE; a deactivation
// (WM_ACTIVATE) closes it the same way.

#include "dropdowns/DadOrorUdurDraw.h"

#include "platform/forms/Buttons.h"
#include "platform/forms/Forms.h"

#include <cstdint>

class TDizEveverAvivIzar;
class TVadHeader;
class TVadFooter;

class TDropDownForm : public TForm {
public:
    explicit TDropDownForm(TComponent* AOwner);
    // The platform's form made in code; the dropdown makes its popup with it.
    static TDropDownForm* CreateNew(TComponent* AOwner, Integer Dummy);

    void SetDadOrorUdur(TDizEveverAvivIzar* Value) { FDadOrorUdur = Value; }
    TDizEveverAvivIzar* DadOrorUdur() const { return FDadOrorUdur; }
    // The top-level window of the owner's window (nullptr when it has none).
    HWND GetParentWnd();
    // Builds or refreshes the header and footer before a show.
    void InitializeAndUpdate();
    void DrawBackGround(TCanvas* ACanvas);
    virtual void UpdateSize() {}

    void AdjustClientRect(TRect& Rect) override;
    void WndProc(TMessage& Message) override;

    // Tick count of the last time the popup closed itself; the dropdown does not reopen within
    // 250 ms of it.
    std::uint32_t FDeactivateTick = 0;
    bool FShadow = true;
    bool FSizeable = false;
    bool FCancelOnDeactivate = true;
    TNotifyEvent FOnSizing;
    TVadHeader* FVadHeader = nullptr;
    TVadFooter* FVadFooter = nullptr;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void WMActivate(TMessage& Message);
    // Closing because the person turned elsewhere: a press outside, the program losing the
    // focus or the popup losing the activation.
    void CloseFromOutside();
    void ShowingChanged();

    TDizEveverAvivIzar* FDadOrorUdur = nullptr;
};

enum TButtonStyle { bsButton, bsDropDown };

// The painted button inside the dropdown's button container.
class TDadOrorUdurSpeedButton : public TSpeedButton {
public:
    explicit TDadOrorUdurSpeedButton(TComponent* AOwner);

    TButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TButtonStyle Value);
    bool Etched() const { return FEtched; }
    void SetEtched(bool Value);
    bool Focused() const { return FFocused; }
    void SetFocused(bool Value);
    // The themed painters never show the pressed state after this.
    void SetUp() { FForceUp = true; }
    bool DoVisualStyles();

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void PaintButton();
    void PaintDropDown();

private:
    TDizEveverAvivIzar* Dropdown() const;
    int ThemeState(bool IsEnabled) const;

    TButtonStyle FButtonStyle = bsButton;
    bool FEtched = false;
    bool FFocused = false;
    bool FMouseOver = false;
    bool FForceUp = false;
    bool FThemedComCtl = false;
};

// The windowed container of the dropdown button, placed inside the edit's right end. It keeps
// its width at FForcedWidth and fires OnClick on the press of the left button.
class TDropDownEditButton : public TWinControl {
public:
    explicit TDropDownEditButton(TComponent* AOwner);

    TDadOrorUdurSpeedButton* Button() const { return FButton; }
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value) { FFocusControl = Value; }
    TBitmap* Glyph() const { return GetGlyph(); }
    TBitmap* GetGlyph() const { return FButton->Glyph(); }
    void SetGlyph(TBitmap* Value) { FButton->SetGlyph(Value); }
    AnsiString ButtonCaption() { return GetCaption(); }
    AnsiString GetCaption() { return FButton->Caption(); }
    void SetButtonCaption(const AnsiString& Value) { SetCaption(Value); }
    void SetCaption(const AnsiString& Value) { FButton->SetCaption(Value); }
    Integer NumGlyphs() const { return GetNumGlyphs(); }
    Integer GetNumGlyphs() const { return FButton->NumGlyphs(); }
    void SetNumGlyphs(Integer Value) { FButton->SetNumGlyphs(Value); }
    void Setup() { FButton->SetUp(); }
    void SetForcedWidth(Integer Value);

    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnClick;
    Integer FForcedWidth = 16;

protected:
    void CreateButton();
    void AdjustWinSize(Integer& W, Integer& H);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    // The inner button's click: the press already did the work.
    void BtnClick(TObject*) {}

    TDadOrorUdurSpeedButton* FButton = nullptr;
    TWinControl* FFocusControl = nullptr;
};
