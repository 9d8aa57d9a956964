#pragma once

// Edits with an embedded push button at their right edge: TVadEditBtn (the button fires
// OnClickBtn, so does F4) and TVadUnitEditBtn (the button opens a menu of units; the chosen unit
// is shown between the typed value and the button). The button is a small window
// (TVadEditButton) hosting a speed button with its own painting (RIdoRidudAvozar).
//
// The edit logic is written once, as TVadEditBtnBase over an edit class, so that the Unicode
// edit with button (VadUni.h) is the same control on the Unicode edit.
//
// The window is a multi-line edit only to get a formatting rectangle; Enter and Ctrl+Enter are
// not typed into it (it shows one line), so Enter reaches the form's default button.

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Buttons.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

// The speed button of the edit's button: themed ("button" class), flat edges or a push-button
// frame, with the glyph and the caption centred. Hot while the mouse is over it.
class RIdoRidudAvozar : public TSpeedButton {
public:
    explicit RIdoRidudAvozar(TComponent* AOwner) : TSpeedButton(AOwner) {}

    bool IsWinXP() const { return FIsWinXP; }
    void SetIsWinXP(bool Value)
    {
        FIsWinXP = Value;
        Invalidate();
    }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value)
    {
        FFlat = Value;
        Invalidate();
    }
    bool Hot() const { return FHot; }

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;

private:
    bool FIsWinXP = false;
    bool FFlat = false;
    bool FHot = false;
};

// The button window: fires OnClick on the press of the left button (not on release) and then
// moves the focus to FocusControl.
class TVadEditButton : public TWinControl {
public:
    explicit TVadEditButton(TComponent* AOwner);

    RIdoRidudAvozar* InnerButton() const { return FInnerButton; }
    // Not owned; forgotten when that control is freed.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* Glyph() const { return FInnerButton->Glyph(); }
    void SetGlyph(TBitmap* Value) { FInnerButton->SetGlyph(Value); }
    AnsiString ButtonCaption() { return FInnerButton->Caption(); }
    void SetButtonCaption(const AnsiString& Value) { FInnerButton->SetCaption(Value); }
    Integer NumGlyphs() const { return FInnerButton->NumGlyphs(); }
    void SetNumGlyphs(Integer Value) { FInnerButton->SetNumGlyphs(Value); }

    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnClick;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void BtnClick(TObject* Sender) {}

private:
    void FitInnerButton();
    RIdoRidudAvozar* FInnerButton = nullptr;
    TWinControl* FFocusControl = nullptr;
    bool FFlat = false;
};

// Font heights the edits size by: the system font's character height and a font's.
Integer SystemFontHeight();
Integer FontCharHeight(TFont* Font);

// The edit with button over an edit class. Wide selects the Unicode edit's rules: the text
// rectangle ends 3 pixels before the button and starts 2 pixels in without a border, and F4
// fires with Ctrl or Shift held too.
template <class EditBase, bool Wide> class TVadEditBtnBase : public EditBase {
public:
    explicit TVadEditBtnBase(TComponent* AOwner) : EditBase(AOwner)
    {
        auto Style = this->ControlStyle();
        Style.Exclude(csSetCaption);
        this->SetControlStyle(Style);
        FButtonControl = New<TVadEditButton>(this);
        FButtonControl->SetBounds(0, 0, 18, 18);
        FButtonControl->SetParent(this);
        FButtonControl->SetFocusControl(this);
        FButtonControl->OnClick = [this](TObject* Sender) { BtnClick(Sender); };
    }
    ~TVadEditBtnBase() override { FButtonControl = nullptr; }

    TVadEditButton* ButtonControl() const { return FButtonControl; }
    bool RightAlign() const { return FRightAlign; }
    void SetRightAlign(bool Value)
    {
        if (FRightAlign == Value)
            return;
        FRightAlign = Value;
        this->RecreateWnd();
    }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    Integer ButtonWidth() const { return FButtonWidth; }
    // Resizes the button in place; the layout follows at the next size change.
    void SetButtonWidth(Integer Value)
    {
        FButtonWidth = Value;
        FButtonControl->SetWidth(Value);
    }
    bool IsWinXP() const { return FIsWinXP; }
    void SetIsWinXP(bool Value)
    {
        FIsWinXP = Value;
        FButtonControl->InnerButton()->SetIsWinXP(Value);
    }
    TBitmap* Glyph() const { return FButtonControl->Glyph(); }
    void SetGlyph(TBitmap* Value) { FButtonControl->SetGlyph(Value); }
    AnsiString ButtonCaption() { return FButtonControl->ButtonCaption(); }
    void SetButtonCaption(const AnsiString& Value) { FButtonControl->SetButtonCaption(Value); }
    Integer UnitSpace() const { return FUnitSpace; }

    // Fires OnClickBtn with Sender: the button window for a press of the button, the edit for F4.
    virtual void BtnClick(TObject* Sender)
    {
        if (OnClickBtn)
            OnClickBtn(Sender);
    }

    // The smaller character height of the system font and the control's font, div 4, plus the
    // control font's character height.
    Integer GetMinHeight()
    {
        const Integer Own = FontCharHeight(this->Font());
        return std::min(SystemFontHeight(), Own) / 4 + Own;
    }

    // The formatting rectangle: short of the button (and of the unit text), inside the border.
    void SetEditRect()
    {
        if (!this->HandleAllocated())
            return;
        RECT R{};
        SendMessage(this->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
        R.Bottom = this->ClientHeight() + 1;
        const Integer Button = FButtonControl->Width();
        if (Wide) {
            R.Right = this->ClientWidth() - Button - FUnitSpace - 3;
        } else {
            R.Right = this->ClientWidth() - Button - FUnitSpace - 5;
            if (FUnitSpace > 0)
                R.Right -= 3;
        }
        const Integer Inset = this->BorderStyle() == bsNone ? (Wide ? 2 : 3) : 1;
        R.Left = Inset;
        R.Top = Inset;
        SendMessage(this->Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&R));
        SendMessage(this->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
    }

    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_SIZE:
            WMSize(Message);
            return;
        case CM_ENTER:
            if (this->AutoSelect() && !this->ControlState().Contains(csLButtonDown))
                this->SelectAll();
            EditBase::WndProc(Message);
            return;
        case WM_CHAR:
            // The window is multi-line only for its formatting rectangle: line breaks are not typed.
            if (!FEditorEnabled || Message.WParam == '\r' || Message.WParam == '\n')
                return;
            EditBase::WndProc(Message);
            return;
        case WM_PASTE:
        case WM_CUT:
            if (FEditorEnabled && !this->ReadOnly())
                EditBase::WndProc(Message);
            return;
        default:
            EditBase::WndProc(Message);
        }
    }

    TNotifyEvent OnClickBtn;

protected:
    void CreateParams(TCreateParams& Params) override
    {
        EditBase::CreateParams(Params);
        Params.Style |= DWORD(ES_MULTILINE) | DWORD(WS_CLIPCHILDREN);
        Params.Style &= ~DWORD(ES_AUTOVSCROLL);
        if (FRightAlign)
            Params.Style = (Params.Style & ~DWORD(ES_CENTER)) | ES_RIGHT;
    }
    void CreateWnd() override
    {
        EditBase::CreateWnd();
        SetEditRect();
    }
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        EditBase::KeyDown(Key, Shift);
        // Alt+F4 is left to close the window in both kinds.
        if (Key == VK_F4 && !Shift.Contains(ssAlt) && (Wide || !Shift.Contains(ssCtrl))) {
            BtnClick(this);
            Key = 0;
        }
    }

    void WMSize(TMessage& Message)
    {
        EditBase::WndProc(Message);
        // Raised once: a height the parent or the constraints clamp below the minimum is taken.
        const Integer Min = GetMinHeight();
        if (this->Height() < Min && !FRaisingHeight) {
            FRaisingHeight = true;
            this->SetHeight(Min);
            FRaisingHeight = false;
            return;
        }
        if (!FButtonControl)
            return;
        const Integer D = this->BorderStyle() == bsNone ? 1 : 5;
        const Integer W = FButtonControl->Width();
        if (this->Ctl3D())
            FButtonControl->SetBounds(this->Width() - W - D, 0, W, this->Height() - D);
        else
            FButtonControl->SetBounds(this->Width() - W, 1, W, this->Height() - 3);
        SetEditRect();
    }

    Integer FUnitSpace = 0;

private:
    bool FRightAlign = false;
    TVadEditButton* FButtonControl = nullptr;
    bool FEditorEnabled = true;
    Integer FButtonWidth = 0;
    bool FIsWinXP = false;
    bool FRaisingHeight = false;
};

// The edit with button on the platform edit. Its text starts as "0".
class TVadEditBtn : public TVadEditBtnBase<TCustomEdit, false> {
public:
    explicit TVadEditBtn(TComponent* AOwner);
};

// The edit whose button opens a menu of Units; the chosen one shows as UnitID between the value
// and the button. The control never joins or splits value and unit.
class TVadUnitEditBtn : public TVadEditBtn {
public:
    explicit TVadUnitEditBtn(TComponent* AOwner);

    const AnsiString& UnitID() const { return FUnitID; }
    void SetUnitID(const AnsiString& Value);
    // Owned; SetUnits copies a given list.
    TStringList* Units() const { return FUnits.get(); }
    void SetUnits(TStrings* Value);
    void SetUnitSpace(Integer Value);

    // OnClickBtn with the edit as Sender, then the menu of Units below the button; the choice
    // comes back as WM_COMMAND with its number (1 = the first unit).
    void BtnClick(TObject* Sender) override;
    void WndProc(TMessage& Message) override;

private:
    void PaintUnit();
    AnsiString FUnitID;
    std::unique_ptr<TStringList> FUnits;
};
