#include "dropdowns/DidAzadEzazAredav.h"

#include "dropdowns/DadOrorUdurDraw.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <cmath>

namespace {

constexpr Integer DatePartDay = 0, DatePartMonth = 1, DatePartYear = 2;

bool IsDateDigitKey(WideChar Key)
{
    return Key >= '0' && Key <= '9';
}

// The date part the format's last letter stands for, -1 for none.
Integer LastDatePart(const AnsiString& Format)
{
    for (auto It = Format.rbegin(); It != Format.rend(); ++It) {
        switch (*It) {
        case 'd':
        case 'D':
            return DatePartDay;
        case 'M':
        case 'm':
            return DatePartMonth;
        case 'y':
        case 'Y':
            return DatePartYear;
        default:
            break;
        }
        if ((*It >= 'a' && *It <= 'z') || (*It >= 'A' && *It <= 'Z'))
            return -1;
    }
    return -1;
}

// The time of day without its milliseconds.
TDateTime TimeWithoutMilliseconds(TDateTime Value)
{
    Word H, M, S, MS;
    DecodeTime(Value, H, M, S, MS);
    return EncodeTime(H, M, S, 0);
}

} // namespace

UINT DTPShiftFocusMessage()
{
    static const UINT Message = RegisterWindowMessage("DTPShiftFocus");
    return Message;
}

bool HasLocaleInfoEx()
{
    return true;
}

bool IsComCtl6()
{
    const Integer Version = DadOrorUdur::GetFileVersionNr("COMCTL32.DLL");
    return Version == -1 || ((Version >> 16) & 0xFF) > 5;
}

TSize MeasureText(TWinControl* Control, const AnsiString& S, TFont* Font)
{
    HWND Wnd = Control && Control->HandleAllocated() ? Control->Handle() : nullptr;
    HDC DC = GetDC(Wnd);
    HGDIOBJ Old = SelectObject(DC, Font->Handle());
    RECT R{0, 0, 1000, 200};
    DrawText(DC, S.c_str(), int(S.size()), &R, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(DC, Old);
    ReleaseDC(Wnd, DC);
    return TSize{R.Right - R.Left, R.Bottom - R.Top};
}

// ---- TCustomDateTimePicker ------------------------------------------------------------------------

TCustomDateTimePicker::TCustomDateTimePicker(TComponent* AOwner) : TDateTimePicker(AOwner) {}

void TCustomDateTimePicker::AfterConstruction()
{
    TDateTimePicker::AfterConstruction();
    SetDoubleBuffered(true);
    SetParentCtl3D(false);
    SetCtl3D(false);
    FBorderStyle = bsNone;
    FBorderColor = 0;
    FThemedFrame = IsComCtl6();
    FAutoTab = false;
}

void TCustomDateTimePicker::SetBorderStyle(TBorderStyle Value)
{
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    Invalidate();
}

void TCustomDateTimePicker::SetBorderColor(TColor Value)
{
    if (Value == FBorderColor)
        return;
    FBorderColor = Value;
    Invalidate();
}

void TCustomDateTimePicker::KeyPress(WideChar& Key)
{
    if (FAutoTab && IsDateDigitKey(Key) && Kind() == dtkTime)
        DecodeTime(Time(), FLastHour, FLastMinute, FLastSecond, FLastMSec);
    TDateTimePicker::KeyPress(Key);
    if (FAutoTab && IsDateDigitKey(Key) && HandleAllocated())
        PostMessage(Handle(), DTPShiftFocusMessage(), 0, 0);
}

void TCustomDateTimePicker::DrawFlatFrame(bool Inner)
{
    if (!HandleAllocated())
        return;
    TWinControl* P = Parent();
    HDC DC = GetWindowDC(Handle());
    {
        TCanvas Canvas;
        Canvas.SetHandle(DC);
        TColor Color = FThemedFrame ? TColor(0xB99D7F) : FBorderColor;
        if (FBorderStyle == bsNone && P)
            Color = P->Color();
        const Integer W = Width(), H = Height();
        Canvas.Pen()->SetColor(Color);
        Canvas.MoveTo(0, H);
        Canvas.LineTo(0, 0);
        Canvas.LineTo(W - 1, 0);
        Canvas.LineTo(W - 1, H - 1);
        Canvas.LineTo(0, H - 1);
        if (Inner && P) {
            // The inner top-left line of the sunken edge, hidden in the parent's colour.
            Canvas.Pen()->SetColor(P->Color());
            Canvas.MoveTo(1, H - 2);
            Canvas.LineTo(1, 1);
            Canvas.LineTo(W - 1, 1);
        }
        Canvas.SetHandle(nullptr);
    }
    ReleaseDC(Handle(), DC);
}

void TCustomDateTimePicker::WndProc(TMessage& Message)
{
    if (Message.Msg == DTPShiftFocusMessage() && Message.Msg != 0) {
        ShiftFocus();
        return;
    }
    switch (Message.Msg) {
    case WM_NCPAINT:
        TDateTimePicker::WndProc(Message);
        if (!Ctl3D())
            DrawFlatFrame(true);
        Message.Result = 0;
        return;
    case WM_PAINT:
        TDateTimePicker::WndProc(Message);
        if (!Ctl3D() && HasLocaleInfoEx())
            DrawFlatFrame(false);
        return;
    case CM_CTL3DCHANGED:
        TDateTimePicker::WndProc(Message);
        Invalidate();
        return;
    default:
        TDateTimePicker::WndProc(Message);
    }
}

// ---- TDidAzadEzazAredav ---------------------------------------------------------------------------

TDidAzadEzazAredav::TDidAzadEzazAredav(TComponent* AOwner) : TCustomDateTimePicker(AOwner) {}

TDidAzadEzazAredav::~TDidAzadEzazAredav()
{
    if (FFocusTimer)
        FFocusTimer->SetEnabled(false);
    if (FTimePicker) {
        FTimePicker->OnChange = nullptr;
        FTimePicker->OnClick = nullptr;
        FTimePicker->OnKeyDown = nullptr;
        FTimePicker->OnKeyPress = nullptr;
    }
}

void TDidAzadEzazAredav::AfterConstruction()
{
    TCustomDateTimePicker::AfterConstruction();
    FTimePicker = nullptr;
    FKind = dkDateTime;
    SetBorderStyle(bsSingle);
    SetCtl3D(true);
    FFocusTimer = New<TTimer>(this);
    FFocusTimer->SetEnabled(false);
    FFocusTimer->SetInterval(20);
    FFocusTimer->OnTimer = [this](TObject* Sender) { OnFocusTimerTime(Sender); };
}

void TDidAzadEzazAredav::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomDateTimePicker::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FTimePicker)
        FTimePicker = nullptr;
    if (AComponent == FFocusTimer)
        FFocusTimer = nullptr;
}

void TDidAzadEzazAredav::SetKind(TVadDateTimeKind Value)
{
    if (Value == FKind)
        return;
    FKind = Value;
    TDateTimePicker::SetKind(Value == dkTime ? dtkTime : dtkDate);
    if (Value == dkDateTime)
        CreateTimePicker();
    UpdateTimePicker();
}

TDateTime TDidAzadEzazAredav::GetDateTimeEx()
{
    if (FTimePicker)
        TDateTimePicker::SetTime(FTimePicker->Time());
    return DateTime();
}

void TDidAzadEzazAredav::SetDateTimeEx(TDateTime Value)
{
    const TDateTime Whole = std::floor(Value) + TimeWithoutMilliseconds(Value);
    SetDateTime(Whole);
    CreateTimePicker();
    if (FTimePicker)
        FTimePicker->SetDateTime(Whole);
}

TDateTime TDidAzadEzazAredav::GetTimeEx()
{
    if (FKind == dkDateTime && FTimePicker)
        return FTimePicker->Time();
    return Time();
}

void TDidAzadEzazAredav::SetTimeEx(TDateTime Value)
{
    SetTime(Value);
    UpdateTimePicker();
}

void TDidAzadEzazAredav::SetTimeFormat(const AnsiString& Value)
{
    if (FTimePicker)
        FTimePicker->SetFormat(Value);
    FTimeFormat = Value;
    UpdateTimePicker();
}

void TDidAzadEzazAredav::SetAutoTab(bool Value)
{
    TCustomDateTimePicker::SetAutoTab(Value);
    if (FTimePicker)
        FTimePicker->SetAutoTab(Value);
}

void TDidAzadEzazAredav::SetBorderStyle(TBorderStyle Value)
{
    TCustomDateTimePicker::SetBorderStyle(Value);
    UpdateTimePicker();
}

void TDidAzadEzazAredav::TimePickerChanged()
{
    if (OnChange)
        OnChange(this);
    if (OnTimePickerChange)
        OnTimePickerChange(this);
}

void TDidAzadEzazAredav::TimePickerClicked()
{
    if (OnClick)
        OnClick(this);
}

void TDidAzadEzazAredav::CreateTimePicker()
{
    if (FKind != dkDateTime || FTimePicker)
        return;
    FTimePicker = New<TCustomDateTimePicker>(this);
    if (!(ComponentState().Contains(csLoading) && ComponentState().Contains(csDesigning)))
        FTimePicker->SetParent(this);
    FTimePicker->SetWidth(90);
    FTimePicker->SetHeight(17);
    FTimePicker->SetVisible(false);
    FTimePicker->SetEnabled(Enabled());
    FTimePicker->TDateTimePicker::SetKind(dtkTime);
    FTimePicker->OnChange = [this](TObject*) { TimePickerChanged(); };
    FTimePicker->OnClick = [this](TObject*) { TimePickerClicked(); };
    FTimePicker->OnKeyPress = [this](TObject* Sender, WideChar& Key) { TimePickerKeyPress(Sender, Key); };
    // Keys typed in the time part are the control's own to whoever listens to it.
    FTimePicker->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) { KeyDown(Key, Shift); };
}

void TDidAzadEzazAredav::UpdateTimePicker()
{
    if (!FTimePicker)
        return;
    if (!FTimePicker->Parent())
        FTimePicker->SetParent(this);
    FTimePicker->SetColor(Color());
    FTimePicker->SetEnabled(Enabled());
    FTimePicker->SetVisible(FKind == dkDateTime);
    // The control's own writing into its time part is no change by the person.
    const TNotifyEvent Changed = FTimePicker->OnChange;
    FTimePicker->OnChange = nullptr;
    FTimePicker->SetTime(GetTimeEx());
    FTimePicker->SetDateTime(GetDateTimeEx());
    FTimePicker->OnChange = Changed;
    FTimePicker->SetFormat(FTimeFormat);
    FTimePicker->Font()->Assign(Font());
    const bool Loading = ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning);
    if (!FTimePicker->Visible() && !Loading) {
        // A control switched away from date and time loses its time part.
        TCustomDateTimePicker* Gone = FTimePicker;
        FTimePicker = nullptr;
        Gone->Free();
        return;
    }
    char Text[256] = {0};
    if (FTimePicker->HandleAllocated())
        GetWindowText(FTimePicker->Handle(), Text, sizeof(Text));
    const Integer W = MeasureText(this, Text, Font()).cx + 31;
    if (HasLocaleInfoEx()) {
        const bool Bevelled = (BevelInner() != bvNone || BevelOuter() != bvNone) && BevelKind() != bkNone;
        const Integer B = Bevelled ? 4 : 0;
        if (IsComCtl6())
            FTimePicker->SetBounds(Width() - W - B - 34, 1, W, Height() - B - 2);
        else
            FTimePicker->SetBounds(Width() - W - B - 23, -2, W, Height() - B);
    } else {
        FTimePicker->SetBounds(Width() - W - 21, -2, W, Height());
    }
}

void TDidAzadEzazAredav::CreateWnd()
{
    TCustomDateTimePicker::CreateWnd();
    const TVadDateTimeKind Stored = FKind;
    FKind = dkDate;
    SetKind(Stored);
}

void TDidAzadEzazAredav::Loaded()
{
    TCustomDateTimePicker::Loaded();
    if (ComponentState().Contains(csDesigning))
        return;
    CreateTimePicker();
    UpdateTimePicker();
    if (!Checked())
        SetChecked(false);
}

void TDidAzadEzazAredav::KeyPress(WideChar& Key)
{
    if (AutoTab() && IsDateDigitKey(Key)) {
        DecodeDate(GetDateTimeEx(), FLastYear, FLastMonth, FLastDay);
    }
    TCustomDateTimePicker::KeyPress(Key);
}

void TDidAzadEzazAredav::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomDateTimePicker::KeyDown(Key, Shift);
    // A key that moves between fields or steps one ends the run of typed digits.
    if (!(Key >= '0' && Key <= '9') && !(Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9)) {
        FRunPart = -1;
        FRunDigits = 0;
    }
}

void TDidAzadEzazAredav::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomDateTimePicker::MouseDown(Button, Shift, X, Y);
    FRunPart = -1;
    FRunDigits = 0;
}

// The platform control moves on from a field that a digit completed by itself; what is left
// is the step from the date's last field into the time part. A year field is complete when the
// year changes (the control takes a year once all its digits are typed); a day or month field
// with the second digit typed into it.
void TDidAzadEzazAredav::ShiftFocus()
{
    if (FKind == dkTime) {
        TCustomDateTimePicker::ShiftFocus();
        return;
    }
    Word Y, M, D;
    DecodeDate(DateTime(), Y, M, D);
    Integer Changed = -1;
    if (D != FLastDay)
        Changed = DatePartDay;
    else if (M != FLastMonth)
        Changed = DatePartMonth;
    else if (Y != FLastYear)
        Changed = DatePartYear;
    if (Changed < 0)
        return;
    if (Changed == FRunPart) {
        ++FRunDigits;
    } else {
        FRunPart = Changed;
        FRunDigits = 1;
    }
    AnsiString F = Format();
    if (F.empty())
        F = ShortDateFormat;
    const Integer Last = LastDatePart(F);
    const bool Complete = Changed == DatePartYear || FRunDigits >= 2;
    if (Changed == Last && Complete && FTimePicker && FTimePicker->Visible() && FTimePicker->CanFocus()) {
        FRunPart = -1;
        FRunDigits = 0;
        FTimePicker->SetFocus();
    }
}

void TDidAzadEzazAredav::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
        TCustomDateTimePicker::WndProc(Message);
        UpdateTimePicker();
        return;
    case CM_COLORCHANGED:
        TCustomDateTimePicker::WndProc(Message);
        UpdateTimePicker();
        return;
    case CM_ENABLEDCHANGED:
        TCustomDateTimePicker::WndProc(Message);
        if (FTimePicker)
            FTimePicker->SetEnabled(Enabled());
        return;
    case CN_NOTIFY: {
        const TDateTime Before = DateTime();
        TCustomDateTimePicker::WndProc(Message);
        const auto* N = reinterpret_cast<const NMHDR*>(Message.LParam);
        if (N && N->code == DTN_DATETIMECHANGE && ShowCheckbox() &&
            std::floor(Before) != std::floor(DateTime()) && FFocusTimer)
            FFocusTimer->SetEnabled(true);
        return;
    }
    default:
        TCustomDateTimePicker::WndProc(Message);
    }
}
