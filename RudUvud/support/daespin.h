#pragma once

// The spin edit: a masked edit with a pair of arrow buttons at its right edge that edits an
// integer, a floating-point number, a date or a time of day. The arrows, the cursor keys and the
// page keys step the value; typed and pasted characters are filtered by kind; limits clamp the
// value when it is set and when the focus leaves. The arrows repeat while held (first after
// 400 ms, then every 100 ms).

#include "platform/forms/Buttons.h"
#include "platform/forms/Controls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Mask.h"
#include "platform/rtl/Set.h"

enum TVadSpinType { sptNormal, sptFloat, sptDate, sptTime };
enum TSpinDirection { spVertical, spHorizontal };
enum TEditAlign { eaLeft, eaRight, eaCenter };
enum TButtonDirection { bdLeft, bdRight, bdUp, bdDown };
enum TTimeBtnStateItem { tbFocusRect, tbAllowTimer };
using TTimeBtnState = TSet<TTimeBtnStateItem>;

// An arrow of the pair: a speed button that clicks again and again while it is held.
class TVadTimerSpeedButton : public TSpeedButton {
public:
    explicit TVadTimerSpeedButton(TComponent* AOwner);
    ~TVadTimerSpeedButton() override;

    TTimer* AutoRepeatTimer() const { return FAutoRepeatTimer; }
    TTimeBtnState TimerState() const { return FTimerState; }
    void SetTimerState(TTimeBtnState Value) { FTimerState = Value; }
    TButtonDirection ArrowKind() const { return FArrowKind; }
    void SetArrowKind(TButtonDirection Value);
    bool IsWinXP() const { return FIsWinXP; }
    void SetIsWinXP(bool Value);
    bool Hot() const { return FHot; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    void TimerExpired(TObject* Sender);
    void InvalidateParent();
    TTimer* FAutoRepeatTimer = nullptr;
    TTimeBtnState FTimerState;
    TButtonDirection FArrowKind = bdUp;
    bool FIsWinXP = false;
    bool FHot = false;
    bool FTransparent = false;
};

// The arrow pair: two auto-repeating arrows side by side or one above the other.
class TVadSpinButton : public TWinControl {
public:
    explicit TVadSpinButton(TComponent* AOwner);
    ~TVadSpinButton() override;

    TVadTimerSpeedButton* UpArrow() const { return FUpButton; }
    TVadTimerSpeedButton* DownArrow() const { return FDownButton; }
    TVadTimerSpeedButton* ActiveArrow() const { return FFocusedButton; }
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    TSpinDirection Direction() const { return FDirection; }
    void SetDirection(TSpinDirection Value);
    bool IsWinXP() const { return FIsWinXP; }
    void SetIsWinXP(bool Value);
    // Nothing (nullptr) puts the built-in arrow glyph back.
    TBitmap* UpGlyph() const { return FUpButton->Glyph(); }
    void SetUpGlyph(TBitmap* Value);
    TBitmap* DownGlyph() const { return FDownButton->Glyph(); }
    void SetDownGlyph(TBitmap* Value);
    Integer UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
    void SetUpNumGlyphs(Integer Value) { FUpButton->SetNumGlyphs(Value); }
    Integer DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
    void SetDownNumGlyphs(Integer Value) { FDownButton->SetNumGlyphs(Value); }

    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;
    // Docking events, kept for forms that set them; nothing docks on this platform.
    TEndDragEvent OnEndDock;
    TStartDragEvent OnStartDock;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void Loaded() override;

private:
    TVadTimerSpeedButton* CreateButton();
    void BtnClick(TObject* Sender);
    void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void SetFocusBtn(TVadTimerSpeedButton* Btn);
    void AdjustSize(Integer& W, Integer& H);

    TVadTimerSpeedButton* FUpButton;
    TVadTimerSpeedButton* FDownButton;
    TVadTimerSpeedButton* FFocusedButton;
    TWinControl* FFocusControl = nullptr;
    TSpinDirection FDirection = spVertical;
    bool FIsWinXP = false;
};

// The built-in arrow glyphs (9 x 6, a black triangle on the button face).
void LoadSpinGlyph(TBitmap* Glyph, bool Up);

class TVadSpinEdit : public TCustomMaskEdit {
public:
    explicit TVadSpinEdit(TComponent* AOwner);
    ~TVadSpinEdit() override;

    Integer MinValue() const { return FMinValue; }
    void SetMinValue(Integer Value) { FMinValue = Value; }
    Integer MaxValue() const { return FMaxValue; }
    void SetMaxValue(Integer Value) { FMaxValue = Value; }
    double MinFloatValue() const { return FMinFloatValue; }
    void SetMinFloatValue(double Value) { FMinFloatValue = Value; }
    double MaxFloatValue() const { return FMaxFloatValue; }
    void SetMaxFloatValue(double Value) { FMaxFloatValue = Value; }
    TDateTime MinDateValue() const { return FMinDateValue; }
    void SetMinDateValue(TDateTime Value) { FMinDateValue = Value; }
    TDateTime MaxDateValue() const { return FMaxDateValue; }
    void SetMaxDateValue(TDateTime Value) { FMaxDateValue = Value; }
    TDateTime LastDate() const { return FLastDate; }
    TDateTime LastTime() const { return FLastTime; }
    Integer Increment() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = Value; }
    double IncrementFloat() const { return FIncrementFloat; }
    void SetIncrementFloat(double Value) { FIncrementFloat = Value; }
    TVadSpinButton* Spinner() const { return FButton; }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    TSpinDirection Direction() const { return FDirection; }
    void SetDirection(TSpinDirection Value);
    TVadSpinType SpinType() const { return FSpinType; }
    void SetSpinType(TVadSpinType Value);
    Integer Precision() const { return FPrecision; }
    void SetPrecision(Integer Value);
    bool ReturnIsTab() const { return FReturnIsTab; }
    void SetReturnIsTab(bool Value) { FReturnIsTab = Value; }
    bool IsWinXP() const { return FIsWinXP; }
    void SetIsWinXP(bool Value);
    bool ExcelStyleDecimalSeparator() const { return FExcelStyleDecimalSeparator; }
    void SetExcelStyleDecimalSeparator(bool Value) { FExcelStyleDecimalSeparator = Value; }
    bool MonthFirst() const { return FMonthFirst; }
    bool ShowSeconds() const { return FShowSeconds; }
    void SetShowSeconds(bool Value) { FShowSeconds = Value; }
    Integer IncrementSeconds() const { return FIncrementSeconds; }
    void SetIncrementSeconds(Integer Value) { FIncrementSeconds = Value; }
    Integer IncrementMinutes() const { return FIncrementMinutes; }
    void SetIncrementMinutes(Integer Value) { FIncrementMinutes = Value; }
    Integer IncrementHours() const { return FIncrementHours; }
    void SetIncrementHours(Integer Value) { FIncrementHours = Value; }
    TEditAlign EditAlign() const { return FEditAlign; }
    void SetEditAlign(TEditAlign Value);
    bool SpinFlat() const { return FSpinFlat; }
    void SetSpinFlat(bool Value);
    bool SpinTransparent() const { return FSpinTransparent; }
    void SetSpinTransparent(bool Value);

    // The text as an integer; MinValue when it is not one.
    Integer Value();
    void SetValue(Integer NewValue);
    // The text as a number; MinFloatValue when it is not one.
    double FloatValue();
    void SetFloatValue(double NewValue);
    // The current date and time for "0" or an empty text; MinDateValue when it is not a date.
    TDateTime DateValue();
    void SetDateValue(TDateTime NewValue);
    // The text as a time of day; 0 when it is not one.
    TDateTime TimeValue();
    void SetTimeValue(TDateTime NewValue);

    virtual void DoInc(bool Page);
    virtual void DoDec(bool Page);
    // Whether Key may be typed here now (the edit's text, selection and kind decide).
    virtual bool IsValidChar(WideChar& Key);
    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);

    // Height below which WM_SIZE raises the control.
    Integer GetMinHeight();
    void WndProc(TMessage& Message) override;

protected:
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    // The arrow pair is part of the edit, never streamed as a child of its own.
    void GetChildren(TGetChildProc, TComponent*) override {}

private:
    void SetEditRect();
    void Step(int Sign, bool Page);
    void StepDate(int Sign);
    void StepTime(int Sign);
    Integer CheckValue(Integer NewValue) const;
    double CheckFloatValue(double NewValue) const;
    TDateTime CheckDateValue(TDateTime NewValue) const;
    void SetTextKeepCaret(const AnsiString& S);
    bool PasteAllowed(const AnsiString& Pasted);
    void SizeChanged();

    Integer FMinValue = 0, FMaxValue = 100;
    double FMinFloatValue = 0, FMaxFloatValue = 100;
    TDateTime FMinDateValue = 0, FMaxDateValue = 0;
    TDateTime FLastDate = 0, FLastTime = 0;
    Integer FIncrement = 1;
    double FIncrementFloat = 0.1;
    TVadSpinButton* FButton = nullptr;
    bool FEditorEnabled = true;
    TSpinDirection FDirection = spVertical;
    TVadSpinType FSpinType = sptNormal;
    Integer FPrecision = 0;
    bool FReturnIsTab = false;
    bool FIsWinXP = false;
    bool FExcelStyleDecimalSeparator = false;
    bool FMonthFirst = false;
    bool FShowSeconds = true;
    Integer FIncrementSeconds = 1, FIncrementMinutes = 1, FIncrementHours = 1;
    TEditAlign FEditAlign = eaLeft;
    bool FSpinFlat = false, FSpinTransparent = false;
    bool FSizing = false;
};

// The spin edit with the edit mask published as well.
class TVadMaskSpinEdit : public TVadSpinEdit {
public:
    using TVadSpinEdit::TVadSpinEdit;
};
