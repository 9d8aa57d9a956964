#pragma once

// The flat date-time picker: the platform's date-time picker control with a single-pixel frame
// when Ctl3D is off and automatic field advance (AutoTab), and TDidAzadEzazAredav, which edits
// a date and a time in one control: for dkDateTime a second picker of kind time sits inside the
// right end of the date picker, and AutoTab carries the focus from the last date field into it.
//
// The platform control moves to its next field by itself when a digit completes a field; AutoTab
// adds the step the control cannot take: from the date's last field into the time part.

#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"

enum TVadDateTimeKind { dkDate, dkTime, dkDateTime };

// The window message the pickers post to themselves after a digit (registered as
// "DTPShiftFocus").
UINT DTPShiftFocusMessage();
// Whether the system is of the generation with the newer locale functions (the picker's
// geometry follows it).
bool HasLocaleInfoEx();
// Whether the common controls are of version 6 or later; an unreadable version counts as later.
bool IsComCtl6();
// Width and height of S on one line in Font, measured in the control's window.
TSize MeasureText(TWinControl* Control, const AnsiString& S, TFont* Font);

class TCustomDateTimePicker : public TDateTimePicker {
public:
    explicit TCustomDateTimePicker(TComponent* AOwner);
    void AfterConstruction() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    virtual void SetBorderStyle(TBorderStyle Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    bool AutoTab() const { return FAutoTab; }
    virtual void SetAutoTab(bool Value) { FAutoTab = Value; }
    // Bevel settings the geometry of the embedded time part takes into account.
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value) { FBevelInner = Value; }
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value) { FBevelOuter = Value; }
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value) { FBevelKind = Value; }

    // Runs when the message posted after a digit arrives: the digit has been taken by then.
    virtual void ShiftFocus() {}

    void WndProc(TMessage& Message) override;

protected:
    void KeyPress(WideChar& Key) override;
    // The outline of the flat frame (and the inner line hiding the top-left edge) in the
    // window's device context.
    void DrawFlatFrame(bool Inner);

    bool FThemedFrame = true;
    Word FLastHour = 0, FLastMinute = 0, FLastSecond = 0, FLastMSec = 0;

private:
    TBorderStyle FBorderStyle = bsNone;
    TColor FBorderColor = 0;
    bool FAutoTab = false;
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
};

class TDidAzadEzazAredav : public TCustomDateTimePicker {
public:
    explicit TDidAzadEzazAredav(TComponent* AOwner);
    ~TDidAzadEzazAredav() override;
    void AfterConstruction() override;

    TVadDateTimeKind Kind() const { return FKind; }
    void SetKind(TVadDateTimeKind Value);
    // The whole value: the date of this control and the time of the embedded time part.
    TDateTime GetDateTimeEx();
    // Stores Value without its milliseconds, in both parts.
    virtual void SetDateTimeEx(TDateTime Value);
    TDateTime DateTimeEx() { return GetDateTimeEx(); }
    TDateTime GetTimeEx();
    void SetTimeEx(TDateTime Value);
    AnsiString GetFormatEx() const { return Format(); }
    void SetFormatEx(const AnsiString& Value) { SetFormat(Value); }
    const AnsiString& TimeFormat() const { return FTimeFormat; }
    void SetTimeFormat(const AnsiString& Value);
    AnsiString Version() const { return "1.0.3.0"; }
    void SetVersion(const AnsiString&) {}
    // The embedded time part; nullptr unless the kind is dkDateTime.
    TCustomDateTimePicker* TimePicker() const { return FTimePicker; }
    TTimer* FocusTimer() const { return FFocusTimer; }

    void SetAutoTab(bool Value) override;
    void SetBorderStyle(TBorderStyle Value) override;
    void ShiftFocus() override;
    virtual void TimePickerChanged();
    virtual void TimePickerClicked();
    virtual void TimePickerKeyPress(TObject* Sender, WideChar& Key) {}

    void WndProc(TMessage& Message) override;

    // After the embedded time part changed (the control's own OnChange fires first).
    TNotifyEvent OnTimePickerChange;

protected:
    void CreateWnd() override;
    void Loaded() override;
    void KeyPress(WideChar& Key) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void CreateTimePicker();
    void UpdateTimePicker();
    void OnFocusTimerTime(TObject*) { FFocusTimer->SetEnabled(false); }

    TVadDateTimeKind FKind = dkDateTime;
    AnsiString FTimeFormat;
    TTimer* FFocusTimer = nullptr;
    Word FLastYear = 0, FLastMonth = 0, FLastDay = 0;
    TCustomDateTimePicker* FTimePicker = nullptr;
    // The date part the digits typed in a row went to and how many digits it took: a day or
    // month field is complete with its second digit.
    Integer FRunPart = -1;
    Integer FRunDigits = 0;
};
