#include "dropdowns/TimePicker.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Integer TimePartHour = 0, TimePartMinute = 1, TimePartSecond = 2;

// The keys that step the hour of the open watch and move a caret: they reach the edit only
// with Alt (which opens and closes the popup).
bool IsWatchStepKey(Word Key)
{
    return Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN;
}

bool TimePickerAltDown()
{
    return GetKeyState(VK_MENU) < 0;
}

void DecodeTimeParts(TDateTime T, Word& H, Word& M, Word& S, Word& MS)
{
    DecodeTime(T, H, M, S, MS);
}

} // namespace

AnsiString TwoDigits(Word Value)
{
    const AnsiString S = IntToStr(Integer(Value));
    return S.size() < 2 ? "0" + S : S;
}

bool StartsWithDigits(const AnsiString& S)
{
    auto Digit = [](char C) { return C >= '0' && C <= '9'; };
    return S.empty() || (Digit(S[0]) && (S.size() < 2 || Digit(S[1])));
}

bool HasTimeSeparators(const AnsiString& S, Integer Count)
{
    return Integer(std::count(S.begin(), S.end(), TimeSeparator)) == Count;
}

AnsiString BlanksToZeros(const AnsiString& S)
{
    AnsiString Result = S;
    std::replace(Result.begin(), Result.end(), ' ', '0');
    return Result;
}

TRurEradOvuvurOdivEdoz::TRurEradOvuvurOdivEdoz(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FWatchAppearance(std::make_unique<TWatchAppearance>()),
      FWatchSettings(std::make_unique<TWatchSettings>())
{
    FWatchAppearance->OnChange = [](TObject*) {};
}

TRurEradOvuvurOdivEdoz::~TRurEradOvuvurOdivEdoz()
{
    if (FWatch) {
        FWatch->OnChange = nullptr;
        FWatch->StopTimers();
    }
    if (FTimePicker)
        FTimePicker->OnChange = nullptr;
}

void TRurEradOvuvurOdivEdoz::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    FShowTimePicker = false;
    SetEditorEnabled(false);
    SetDropDownEnabled(true);
    FShowSeconds = true;
    FTextUpdating = true;
    SetEditMask(TimeMask());
    SetTextDirect(GetFormattedTimeString(0, 0, 0));
    FTextUpdating = false;
    FShowWatchAMPM = true;
    FShowWatchNumbers = true;
    FAnimation = true;
    FAnimationFactor = 10;
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
}

void TRurEradOvuvurOdivEdoz::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FWatch)
        FWatch = nullptr;
    if (AComponent == FWatchPanel)
        FWatchPanel = nullptr;
    if (AComponent == FTimePicker)
        FTimePicker = nullptr;
}

// ---- Text --------------------------------------------------------------------------------------

AnsiString TRurEradOvuvurOdivEdoz::TimeMask() const
{
    const AnsiString S(1, TimeSeparator);
    return FShowSeconds ? "!90" + S + "00" + S + "00;1; " : "!90" + S + "00;1; ";
}

AnsiString TRurEradOvuvurOdivEdoz::GetFormattedTimeString(Word H, Word M, Word S)
{
    const AnsiString Sep(1, TimeSeparator);
    AnsiString Result = TwoDigits(H) + Sep + TwoDigits(M);
    if (FShowSeconds)
        Result += Sep + TwoDigits(S);
    return Result;
}

void TRurEradOvuvurOdivEdoz::WriteTimeText()
{
    Word H, M, S, MS;
    DecodeTimeParts(FTime, H, M, S, MS);
    const bool Old = FTextUpdating;
    FTextUpdating = true;
    SetTextDirect(GetFormattedTimeString(H, M, S));
    FTextUpdating = Old;
}

void TRurEradOvuvurOdivEdoz::SetTime(TDateTime Value)
{
    if (Value == FTime)
        return;
    FTime = Value;
    WriteTimeText();
}

void TRurEradOvuvurOdivEdoz::DoTimeChange()
{
    if (OnTimeChange)
        OnTimeChange(this);
}

void TRurEradOvuvurOdivEdoz::SetPart(Integer Part, Word Value)
{
    Word H, M, S, MS;
    DecodeTimeParts(FTime, H, M, S, MS);
    Word& Current = Part == TimePartHour ? H : Part == TimePartMinute ? M : S;
    const Word Limit = Part == TimePartHour ? 23 : 59;
    if (Value == Current || Value > Limit)
        return;
    Current = Value;
    // The date part, if any, and the milliseconds stay.
    SetTime(std::floor(FTime) + EncodeTime(H, M, S, MS));
    DoTimeChange();
}

void TRurEradOvuvurOdivEdoz::SetHour(Word H)
{
    SetPart(TimePartHour, H);
}

void TRurEradOvuvurOdivEdoz::SetMinute(Word M)
{
    SetPart(TimePartMinute, M);
}

void TRurEradOvuvurOdivEdoz::SetSecond(Word Sec)
{
    SetPart(TimePartSecond, Sec);
}

void TRurEradOvuvurOdivEdoz::SetShowSeconds(bool Value)
{
    if (Value == FShowSeconds)
        return;
    FShowSeconds = Value;
    FTextUpdating = true;
    SetEditMask("");
    SetTextDirect("");
    SetEditMask(TimeMask());
    FTextUpdating = false;
    // The text takes the new form; Time keeps its value.
    WriteTimeText();
}

// Typed text: a complete time (hours of one or two digits, minutes and, with ShowSeconds,
// seconds of two) becomes the value; a part out of range leaves the value as it was.
void TRurEradOvuvurOdivEdoz::Change()
{
    TDizEveverAvivIzar::Change();
    if (FTextUpdating)
        return;
    const AnsiString T = Text();
    // Only the hour may be missing a digit (blanks lead it); a blank elsewhere is a part
    // still being typed.
    const AnsiString Typed = TrimLeft(T);
    if (Typed.empty() || Typed.find(' ') != AnsiString::npos || !HasTimeSeparators(T, FShowSeconds ? 2 : 1))
        return;
    const AnsiString Z = BlanksToZeros(T);
    Word Parts[3] = {0, 0, 0};
    std::size_t From = 0;
    for (Integer I = 0; I < (FShowSeconds ? 3 : 2); ++I) {
        const std::size_t At = Z.find(TimeSeparator, From);
        const AnsiString Part = Trim(Z.substr(From, At == AnsiString::npos ? AnsiString::npos : At - From));
        if (Part.size() > 2 || !StartsWithDigits(Part) || (I > 0 && Part.size() != 2))
            return;
        Parts[I] = Part.empty() ? Word(0) : Word(StrToInt(Part));
        From = At + 1;
    }
    TDateTime Value = 0;
    if (!TryEncodeTime(Parts[0], Parts[1], Parts[2], 0, Value))
        return;
    FTime = Value;
    if (Parts[1] == 0 && GetFormattedTimeString(Parts[0], Parts[1], Parts[2]) != T)
        WriteTimeText();
}

// ---- Keys --------------------------------------------------------------------------------------

void TRurEradOvuvurOdivEdoz::KeyDown(Word& Key, TShiftState Shift)
{
    TDizEveverAvivIzar::KeyDown(Key, Shift);
    if (TimePickerAltDown() || Shift.Contains(ssAlt) || Shift.Contains(ssCtrl))
        return;
    if (Key != VK_UP && Key != VK_DOWN)
        return;
    AnsiString T = Text();
    const Integer Caret = SelStart();
    Integer P = Caret;
    Word H, M, S, MS;
    DecodeTimeParts(FTime, H, M, S, MS);
    const Integer Step = Key == VK_DOWN ? 1 : -1;
    auto Wrapped = [Step](Word V, Integer Max) { return Word((Integer(V) + Step + Max + 1) % (Max + 1)); };
    const std::size_t First = T.find(TimeSeparator);
    const Integer I1 = First == AnsiString::npos ? Integer(T.size()) + 1 : Integer(First) + 1;
    if (I1 > P) {
        SetHour(Wrapped(H, 23));
    } else {
        P -= I1;
        T = T.substr(std::size_t(I1));
        const std::size_t Second = T.find(TimeSeparator);
        const Integer I2 = Second == AnsiString::npos ? Integer(T.size()) + 1 : Integer(Second) + 1;
        if (I2 > P || !FShowSeconds)
            SetMinute(Wrapped(M, 59));
        else
            SetSecond(Wrapped(S, 59));
    }
    SetSelStart(Caret);
    SetSelLength(0);
}

void TRurEradOvuvurOdivEdoz::OnDropDownFormKeyDown(Word& Key, TShiftState Shift)
{
    if (!IsWatchStepKey(Key) || TimePickerAltDown())
        TDizEveverAvivIzar::OnDropDownFormKeyDown(Key, Shift);
    if (DropDownForm() && DropDownForm()->Visible() && FWatch)
        FWatch->HandleKey(Byte(Key & 0xFF));
}

void TRurEradOvuvurOdivEdoz::OnDropDownFormKeyUp(Word& Key, TShiftState Shift)
{
    if (!IsWatchStepKey(Key) || TimePickerAltDown())
        TDizEveverAvivIzar::OnDropDownFormKeyUp(Key, Shift);
}

void TRurEradOvuvurOdivEdoz::OnDropDownControlKeyDown(Word& Key, TShiftState Shift)
{
    if (IsWatchStepKey(Key) && !TimePickerAltDown())
        return;
    FKeyFromControl = true;
    TDizEveverAvivIzar::OnDropDownControlKeyDown(Key, Shift);
    FKeyFromControl = false;
}

void TRurEradOvuvurOdivEdoz::OnDropDownControlKeyUp(Word& Key, TShiftState Shift)
{
    if (!IsWatchStepKey(Key) || TimePickerAltDown())
        TDizEveverAvivIzar::OnDropDownControlKeyUp(Key, Shift);
}

void TRurEradOvuvurOdivEdoz::WndProc(TMessage& Message)
{
    // The popup never takes the keyboard: keys meant for it arrive at the edit while it shows
    // and go to the watch from here, as the popup's own key handling would send them.
    if (Message.Msg == WM_KEYDOWN && DroppedDown() && !FKeyFromControl) {
        const Word Key = Word(Message.WParam);
        if (!IsWatchStepKey(Key) || TimePickerAltDown())
            TDizEveverAvivIzar::WndProc(Message);
        if (DropDownForm() && DropDownForm()->Visible() && FWatch)
            FWatch->HandleKey(Byte(Key & 0xFF));
        return;
    }
    TDizEveverAvivIzar::WndProc(Message);
}

// ---- Popup -------------------------------------------------------------------------------------

void TRurEradOvuvurOdivEdoz::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (!DropDownForm())
        return;
    // The popup takes the watch's size; while it is being sized the watch may not fit yet,
    // and scroll bars it would show then would stay and squeeze the watch.
    DropDownForm()->SetAutoScroll(false);
    if (!FWatchPanel) {
        FWatchPanel = New<TPanel>(this);
        FWatchPanel->SetParent(DropDownForm());
        FWatchPanel->SetCtl3D(false);
        FWatchPanel->SetBorderWidth(0);
        FWatchPanel->SetBevelInner(bvNone);
    }
    FWatchPanel->SetLeft(0);
    FWatchPanel->SetTop(0);
    FWatchPanel->SetHeight(180);
    if (!FWatch) {
        FWatch = New<TVadWatch>(this);
        FWatch->SetParent(FWatchPanel);
    }
    FWatch->SetAlign(alClient);
    SetControl(FWatchPanel);
}

void TRurEradOvuvurOdivEdoz::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    FDropTime = FTime;
    if (FWatchPanel) {
        // Sized as it is, not as the popup's client it filled when it closed last.
        FWatchPanel->SetAlign(alNone);
        FWatchPanel->SetHeight(170);
        FWatchPanel->SetWidth(170);
        FWatchPanel->SetColor(DropDownColor());
    }
    if (TDropDownForm* Form = DropDownForm()) {
        Form->SetWidth(Form->Width() + 1);
        Form->SetWidth(Form->Width() - 1);
        // A press elsewhere keeps the time the watch shows.
        Form->FCancelOnDeactivate = false;
    }
    // The popup is never sized by hand: its size follows the watch and the time picker
    // control, rather than staying as an opening with other settings left it.
    FLastDropDownWidth = -1;
    FLastDropDownHeight = -1;
    if (!FWatch)
        return;
    FWatch->Appearance()->Assign(FWatchAppearance.get());
    FWatch->Settings()->Assign(FWatchSettings.get());
    FWatch->SetShowAMPM(FShowWatchAMPM);
    FWatch->SetShowNumbers(FShowWatchNumbers);
    FWatch->SetAnimation(FAnimation);
    FWatch->SetAnimationFactor(FAnimationFactor);
    FWatch->OnChange = nullptr;
    if (!FWatchSettings->Auto())
        FWatch->SetTime(FTime);
    FWatch->OnChange = [this](TObject* Sender) { OnVadWatchChange(Sender); };
    // The live clock stopped when the popup closed last.
    FWatch->ResumeClock();
    if (FShowTimePicker) {
        if (!FTimePicker) {
            FTimePicker = New<TDateTimePicker>(this);
            FTimePicker->SetParent(FWatchPanel);
            FTimePicker->SetKind(dtkTime);
        }
        FTimePicker->OnChange = nullptr;
        FTimePicker->SetAlign(alBottom);
        FTimePicker->SetVisible(true);
        FTimePicker->SetTime(FTime);
        FTimePicker->BringToFront();
        FTimePicker->OnChange = [this](TObject* Sender) { OnDateTimePickerChange(Sender); };
        FTimePicker->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) {
            OnDropDownControlKeyDown(Key, Shift);
        };
        FTimePicker->OnKeyUp = [this](TObject*, Word& Key, TShiftState Shift) {
            OnDropDownControlKeyUp(Key, Shift);
        };
        FTimePicker->OnKeyPress = [this](TObject*, WideChar& Key) { OnDropDownControlKeyPress(Key); };
        FTimePicker->SetFormat(FShowSeconds ? "HH:mm:ss" : "HH:mm");
        if (FWatchPanel)
            FWatchPanel->SetHeight(FTimePicker->Height() + 170);
    } else if (FTimePicker) {
        FTimePicker->SetVisible(false);
    }
}

void TRurEradOvuvurOdivEdoz::OnVadWatchChange(TObject*)
{
    if (!FWatch)
        return;
    if (FTimePicker && FShowTimePicker &&
        FTimePicker->Time() != FWatch->Time() - std::floor(FWatch->Time())) {
        FTimePicker->OnChange = nullptr;
        FTimePicker->SetTime(FWatch->Time());
        FTimePicker->OnChange = [this](TObject* Sender) { OnDateTimePickerChange(Sender); };
        DoTimeChange();
    }
    SetTime(FWatch->Time());
}

void TRurEradOvuvurOdivEdoz::OnDateTimePickerChange(TObject*)
{
    if (FTimePicker && FWatch && !FWatchSettings->Auto())
        FWatch->SetTime(FTimePicker->Time());
}

void TRurEradOvuvurOdivEdoz::DoHideDropDown(bool Cancelled)
{
    const bool WasOpen = DropDownForm() && DropDownForm()->Visible();
    // A hand still moving arrives now: the time accepted is the one chosen. No timer of the
    // hidden watch keeps running after the popup closed.
    if (WasOpen && FWatch)
        FWatch->StopTimers();
    FClosingCancelled = Cancelled;
    TDizEveverAvivIzar::DoHideDropDown(Cancelled);
    FClosingCancelled = false;
    if (!WasOpen || !FWatch)
        return;
    if (Cancelled) {
        // The time the popup opened with comes back, in the edit and on the watch.
        FTime = FDropTime;
        WriteTimeText();
        FWatch->OnChange = nullptr;
        FWatch->SetTime(FTime);
    } else {
        SetTime(FWatch->Time());
    }
}

void TRurEradOvuvurOdivEdoz::OnHideDropDown()
{
    TDizEveverAvivIzar::OnHideDropDown();
    if (FWatch && !FClosingCancelled)
        SetTime(FWatch->Time());
}

void TRurEradOvuvurOdivEdoz::SetComponentStyle(ZEDAVozor AStyle)
{
    TDizEveverAvivIzar::SetComponentStyle(AStyle);
    SetWatchAppearanceStyle(FWatchAppearance.get(), AStyle);
}
