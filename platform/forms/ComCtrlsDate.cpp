// TDateTimePicker over the date-time picker window class.

#include "platform/forms/ComCtrls.h"

#include "platform/rtl/DateTime.h"
#include "platform/win/CommCtrl.h"

#include <cmath>

namespace {

SYSTEMTIME ToSystemTime(TDateTime Value)
{
    Word Y, M, D, H, N, S, Ms;
    DecodeDate(Value, Y, M, D);
    DecodeTime(Value, H, N, S, Ms);
    SYSTEMTIME St;
    St.wYear = Y;
    St.wMonth = M;
    St.wDay = D;
    St.wHour = H;
    St.wMinute = N;
    St.wSecond = S;
    return St;
}

TDateTime FromSystemTime(const SYSTEMTIME& St)
{
    return EncodeDate(St.wYear, St.wMonth, St.wDay) + EncodeTime(St.wHour, St.wMinute, St.wSecond, 0);
}

} // namespace

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner)
{
    FTabStop = true;
    FDateTime = ::Now();
    SetBounds(Left(), Top(), 186, 21);
}

void TDateTimePicker::CreateParams(TCreateParams& Params)
{
    RegisterDateTimeClasses();
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, DATETIMEPICK_CLASS);
    if (FKind == dtkTime)
        Params.Style |= DTS_TIMEFORMAT;
    else if (FDateFormat == dfLong)
        Params.Style |= DTS_LONGDATEFORMAT;
    if (FKind == dtkDate && FDateMode == dmUpDown)
        Params.Style |= DTS_UPDOWN;
    if (FShowCheckbox)
        Params.Style |= DTS_SHOWNONE;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDateTimePicker::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!FFormat.empty())
        Perform(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(FFormat.c_str()));
    SendValue();
}

void TDateTimePicker::SendValue()
{
    if (!HandleAllocated())
        return;
    SYSTEMTIME St = ToSystemTime(FDateTime);
    Perform(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&St));
    if (FShowCheckbox && !FChecked)
        Perform(DTM_SETSYSTEMTIME, GDT_NONE, 0);
}

void TDateTimePicker::SetDateTime(TDateTime Value)
{
    if (Value == FDateTime)
        return;
    FDateTime = Value;
    SendValue();
    Change();
}

TDateTime TDateTimePicker::Date() const
{
    return std::floor(FDateTime);
}

void TDateTimePicker::SetDate(TDateTime Value)
{
    SetDateTime(std::floor(Value) + (FDateTime - std::floor(FDateTime)));
}

TDateTime TDateTimePicker::Time() const
{
    return FDateTime - std::floor(FDateTime);
}

void TDateTimePicker::SetTime(TDateTime Value)
{
    SetDateTime(std::floor(FDateTime) + (Value - std::floor(Value)));
}

void TDateTimePicker::SetKind(TDateTimeKind Value)
{
    if (FKind != Value) {
        FKind = Value;
        RecreateWnd();
    }
}

void TDateTimePicker::SetDateMode(TDTDateMode Value)
{
    if (FDateMode != Value) {
        FDateMode = Value;
        RecreateWnd();
    }
}

void TDateTimePicker::SetDateFormat(TDTDateFormat Value)
{
    if (FDateFormat != Value) {
        FDateFormat = Value;
        RecreateWnd();
    }
}

void TDateTimePicker::SetFormat(const AnsiString& Value)
{
    FFormat = Value;
    if (HandleAllocated())
        Perform(DTM_SETFORMATA, 0, FFormat.empty() ? 0 : reinterpret_cast<LPARAM>(FFormat.c_str()));
}

void TDateTimePicker::SetShowCheckbox(bool Value)
{
    if (FShowCheckbox != Value) {
        FShowCheckbox = Value;
        RecreateWnd();
    }
}

void TDateTimePicker::SetChecked(bool Value)
{
    FChecked = Value;
    SendValue();
}

bool TDateTimePicker::DroppedDown()
{
    return HandleAllocated() && Perform(DTM_GETMONTHCAL, 0, 0) != 0;
}

void TDateTimePicker::Change()
{
    if (OnChange)
        OnChange(this);
}

void TDateTimePicker::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_NOTIFY && Message.LParam) {
        const auto* N = reinterpret_cast<const NMHDR*>(Message.LParam);
        if (N->code == DTN_DATETIMECHANGE) {
            const auto* C = reinterpret_cast<const NMDATETIMECHANGE*>(Message.LParam);
            FChecked = C->dwFlags != DWORD(GDT_NONE);
            if (FChecked)
                FDateTime = FromSystemTime(C->st);
            Change();
        } else if (N->code == DTN_DROPDOWN) {
            if (OnDropDown)
                OnDropDown(this);
        } else if (N->code == DTN_CLOSEUP) {
            if (OnCloseUp)
                OnCloseUp(this);
        }
        return;
    }
    TWinControl::WndProc(Message);
}
