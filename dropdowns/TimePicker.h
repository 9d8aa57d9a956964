#pragma once

// The time picker dropdown: a masked edit showing a time of day as hh:mm[:ss] (24-hour clock,
// the locale's separator) whose popup holds the analogue watch and, optionally, a time picker
// control below it. Up and Down step the part under the caret; the watch sets the time by mouse
// and keys while the popup shows; closing the popup takes the watch's time, a cancelled close
// gives back the time the popup opened with.

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/RurEradOvuvurOdivEdoz.h"

#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"

#include <memory>

// Two decimal digits of a time part ("07").
AnsiString TwoDigits(Word Value);
// True for an empty text, else when its first character and, when there is one, its second are
// decimal digits.
bool StartsWithDigits(const AnsiString& S);
// Whether S holds exactly Count time separators (the locale's).
bool HasTimeSeparators(const AnsiString& S, Integer Count);
// S with its blanks as zeros.
AnsiString BlanksToZeros(const AnsiString& S);

class TRurEradOvuvurOdivEdoz : public TDizEveverAvivIzar {
public:
    explicit TRurEradOvuvurOdivEdoz(TComponent* AOwner);
    ~TRurEradOvuvurOdivEdoz() override;
    void AfterConstruction() override;

    // The edited time. SetTime rewrites the text when the value changes; no event.
    TDateTime Time() const { return FTime; }
    void SetTime(TDateTime Value);
    // One part of the time: nothing for the current value or one out of range (hour above 23,
    // minute or second above 59); else the time changes and OnTimeChange fires.
    void SetHour(Word H);
    void SetMinute(Word M);
    void SetSecond(Word Sec);
    // The text of a time: two digits each, joined by the locale's time separator; the seconds
    // only with ShowSeconds.
    AnsiString GetFormattedTimeString(Word H, Word M, Word S);

    bool Animation() const { return FAnimation; }
    void SetAnimation(bool Value) { FAnimation = Value; }
    Integer AnimationFactor() const { return FAnimationFactor; }
    void SetAnimationFactor(Integer Value) { FAnimationFactor = Value; }
    bool ShowSeconds() const { return FShowSeconds; }
    void SetShowSeconds(bool Value);
    bool ShowTimePicker() const { return FShowTimePicker; }
    void SetShowTimePicker(bool Value) { FShowTimePicker = Value; }
    bool ShowWatchAMPM() const { return FShowWatchAMPM; }
    void SetShowWatchAMPM(bool Value) { FShowWatchAMPM = Value; }
    bool ShowWatchNumbers() const { return FShowWatchNumbers; }
    void SetShowWatchNumbers(bool Value) { FShowWatchNumbers = Value; }
    TWatchAppearance* WatchAppearance() const { return FWatchAppearance.get(); }
    void SetWatchAppearance(TWatchAppearance* Value) { FWatchAppearance->Assign(Value); }
    TWatchSettings* WatchSettings() const { return FWatchSettings.get(); }
    void SetWatchSettings(TWatchSettings* Value) { FWatchSettings->Assign(Value); }

    TPanel* WatchPanel() const { return FWatchPanel; }
    TVadWatch* Watch() const { return FWatch; }
    // The time picker control of the popup; nullptr until a drop-down with ShowTimePicker.
    TDateTimePicker* TimePicker() const { return FTimePicker; }

    TNotifyEvent OnTimeChange;

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void OnHideDropDown() override;
    void OnDropDownFormKeyDown(Word& Key, TShiftState Shift) override;
    void OnDropDownFormKeyUp(Word& Key, TShiftState Shift) override;
    void OnDropDownControlKeyDown(Word& Key, TShiftState Shift) override;
    void OnDropDownControlKeyUp(Word& Key, TShiftState Shift) override;
    void SetComponentStyle(ZEDAVozor AStyle) override;
    void WndProc(TMessage& Message) override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void Change() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    AnsiString TimeMask() const;
    // Shows Time in the edit, as the control's own writing (Change leaves it alone).
    void WriteTimeText();
    void SetPart(Integer Part, Word Value);
    void OnVadWatchChange(TObject* Sender);
    void OnDateTimePickerChange(TObject* Sender);
    void DoTimeChange();

    std::unique_ptr<TWatchAppearance> FWatchAppearance;
    std::unique_ptr<TWatchSettings> FWatchSettings;
    TPanel* FWatchPanel = nullptr;
    TVadWatch* FWatch = nullptr;
    TDateTimePicker* FTimePicker = nullptr;
    bool FTextUpdating = false;
    bool FAnimation = true;
    Integer FAnimationFactor = 10;
    bool FShowSeconds = true;
    bool FShowTimePicker = false;
    bool FShowWatchAMPM = true;
    bool FShowWatchNumbers = true;
    TDateTime FTime = 0;
    // The time the popup opened with, given back by a cancelled close.
    TDateTime FDropTime = 0;
    // Set while a popup close that was cancelled runs (the popup's hide notification comes
    // in the middle of it).
    bool FClosingCancelled = false;
    // Set while a key typed in the popup's time picker control is passed on to the edit: the
    // watch does not take it too.
    bool FKeyFromControl = false;
};
