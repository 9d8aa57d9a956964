#include "RudUvud/support/daespin.h"

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr UINT InitRepeatPause = 400; // ms before the first repeat
constexpr UINT RepeatPause = 100;     // ms between repeats

// Theme parts of the "spin" class by arrow kind.
int SpinPart(TButtonDirection Kind)
{
    switch (Kind) {
    case bdUp:
        return 1;
    case bdDown:
        return 2;
    case bdRight:
        return 3;
    case bdLeft:
        return 4;
    }
    return 1;
}

// 1-based position of C in S after position From (1-based); 0 when absent.
Integer PosAfter(char C, const AnsiString& S, Integer From = 0)
{
    for (std::size_t I = std::size_t(From); I < S.size(); ++I)
        if (S[I] == C)
            return Integer(I) + 1;
    return 0;
}

Integer CountOf(char C, const AnsiString& S)
{
    return Integer(std::count(S.begin(), S.end(), C));
}

bool SelectionHolds(char C, const AnsiString& Sel)
{
    return Sel.find(C) != AnsiString::npos;
}

} // namespace

void LoadSpinGlyph(TBitmap* Glyph, bool Up)
{
    // 9 x 6: rows of the triangle, widest at the base.
    static constexpr std::array<const char*, 6> Rows = {
        ".........", "....X....", "...XXX...", "..XXXXX..", ".XXXXXXX.", ".........",
    };
    Glyph->SetSize(9, 6);
    TCanvas* C = Glyph->Canvas();
    for (int Y = 0; Y < 6; ++Y) {
        const char* Row = Rows[std::size_t(Up ? Y : 5 - Y)];
        for (int X = 0; X < 9; ++X)
            C->SetPixels(X, Y, Row[X] == 'X' ? clBlack : clBtnFace);
    }
}

// ---- TVadTimerSpeedButton ----------------------------------------------------------------------

TVadTimerSpeedButton::TVadTimerSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

TVadTimerSpeedButton::~TVadTimerSpeedButton()
{
    delete FAutoRepeatTimer;
}

void TVadTimerSpeedButton::SetArrowKind(TButtonDirection Value)
{
    FArrowKind = Value;
    Invalidate();
}

void TVadTimerSpeedButton::SetIsWinXP(bool Value)
{
    FIsWinXP = Value;
    Invalidate();
}

void TVadTimerSpeedButton::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TVadTimerSpeedButton::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
        FHot = Message.Msg == CM_MOUSEENTER;
        TSpeedButton::WndProc(Message);
        Invalidate();
        return;
    }
    TSpeedButton::WndProc(Message);
}

void TVadTimerSpeedButton::InvalidateParent()
{
    if (Parent() && Parent()->HandleAllocated())
        InvalidateRect(Parent()->Handle(), nullptr, TRUE);
}

void TVadTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (FTimerState.Contains(tbAllowTimer)) {
        if (!FAutoRepeatTimer) {
            FAutoRepeatTimer = new TTimer(nullptr);
            FAutoRepeatTimer->SetEnabled(false);
            FAutoRepeatTimer->OnTimer = [this](TObject* Sender) { TimerExpired(Sender); };
        }
        FAutoRepeatTimer->SetInterval(InitRepeatPause);
        FAutoRepeatTimer->SetEnabled(true);
    }
    InvalidateParent();
}

void TVadTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (FAutoRepeatTimer)
        FAutoRepeatTimer->SetEnabled(false);
    InvalidateParent();
}

void TVadTimerSpeedButton::TimerExpired(TObject*)
{
    FAutoRepeatTimer->SetInterval(RepeatPause);
    if (State() == bsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            FAutoRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

void TVadTimerSpeedButton::Paint()
{
    TRect R = ClientRect();
    themeapi::TThemeLoader& Theme = VadXPVS();
    if (FIsWinXP && Theme.Loaded()) {
        auto* Pair = dynamic_cast<TWinControl*>(Owner());
        HWND Wnd = Pair && Pair->HandleAllocated() ? Pair->Handle() : nullptr;
        if (HTHEME Data = Theme.OpenThemeData(Wnd, u"spin")) {
            const int StateId = State() == bsDown ? 3 : FHot ? 2 : 1;
            RECT Rc = R;
            Theme.DrawThemeBackground(Data, Canvas()->Handle(), SpinPart(FArrowKind), StateId, &Rc, nullptr);
            Theme.CloseThemeData(Data);
            return;
        }
    }
    if (FArrowKind == bdUp || FArrowKind == bdDown) {
        TSpeedButton::Paint();
        return;
    }
    RECT Rc = R;
    UINT Flags = FArrowKind == bdLeft ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT;
    if (State() == bsDown)
        Flags |= DFCS_PUSHED;
    if (Flat())
        Flags |= DFCS_FLAT;
    DrawFrameControl(Canvas()->Handle(), &Rc, DFC_SCROLL, Flags);
}

// ---- TVadSpinButton ------------------------------------------------------------------------------

TVadSpinButton::TVadSpinButton(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle.Exclude(csAcceptsControls);
    FControlStyle.Exclude(csSetCaption);
    FControlStyle.Include(csOpaque);
    FUpButton = CreateButton();
    FDownButton = CreateButton();
    LoadSpinGlyph(FUpButton->Glyph(), true);
    LoadSpinGlyph(FDownButton->Glyph(), false);
    FUpButton->SetArrowKind(bdUp);
    FDownButton->SetArrowKind(bdDown);
    FFocusedButton = FUpButton;
    SetTabStop(false);
    SetBounds(0, 0, 15, 25);
}

TVadSpinButton::~TVadSpinButton() = default;

TVadTimerSpeedButton* TVadSpinButton::CreateButton()
{
    auto* B = new TVadTimerSpeedButton(this);
    B->OnClick = [this](TObject* Sender) { BtnClick(Sender); };
    B->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
        BtnMouseDown(Sender, Button, Shift, X, Y);
    };
    B->SetVisible(true);
    B->SetEnabled(true);
    B->SetTimerState(TTimeBtnState{tbAllowTimer});
    B->SetParent(this);
    return B;
}

void TVadSpinButton::SetFocusControl(TWinControl* Value)
{
    FFocusControl = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVadSpinButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TVadSpinButton::SetIsWinXP(bool Value)
{
    FIsWinXP = Value;
    FUpButton->SetIsWinXP(Value);
    FDownButton->SetIsWinXP(Value);
}

void TVadSpinButton::SetUpGlyph(TBitmap* Value)
{
    if (Value) {
        FUpButton->SetGlyph(Value);
        return;
    }
    LoadSpinGlyph(FUpButton->Glyph(), true);
    FUpButton->SetNumGlyphs(1);
    FUpButton->Invalidate();
}

void TVadSpinButton::SetDownGlyph(TBitmap* Value)
{
    if (Value) {
        FDownButton->SetGlyph(Value);
        return;
    }
    LoadSpinGlyph(FDownButton->Glyph(), false);
    FDownButton->SetNumGlyphs(1);
    FDownButton->Invalidate();
}

void TVadSpinButton::SetDirection(TSpinDirection Value)
{
    if (Value == FDirection)
        return;
    FDirection = Value;
    if (HandleAllocated())
        RecreateWnd();
    if (FDirection == spHorizontal) {
        SetWidth(20);
        FUpButton->SetArrowKind(bdRight);
        FDownButton->SetArrowKind(bdLeft);
    } else {
        SetWidth(15);
        FUpButton->SetArrowKind(bdUp);
        FDownButton->SetArrowKind(bdDown);
    }
}

void TVadSpinButton::AdjustSize(Integer& W, Integer& H)
{
    if (!FUpButton || ComponentState().Contains(csLoading))
        return;
    if (FDirection == spVertical) {
        W = std::max(W, 15);
        const Integer UpH = H / 2;
        FUpButton->SetBounds(0, 0, W, UpH);
        FDownButton->SetBounds(0, UpH - 1, W, H - UpH + 1);
    } else {
        W = std::max(W, 20);
        const Integer Half = W / 2;
        FDownButton->SetBounds(0, 0, Half, H);
        FUpButton->SetBounds(Half + 1, 0, Half, H);
    }
}

void TVadSpinButton::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    Integer W = AWidth, H = AHeight;
    AdjustSize(W, H);
    TWinControl::SetBounds(ALeft, ATop, W, H);
}

void TVadSpinButton::Loaded()
{
    TWinControl::Loaded();
    Integer W = Width(), H = Height();
    AdjustSize(W, H);
    if (W != Width() || H != Height())
        SetBounds(Left(), Top(), W, H);
}

void TVadSpinButton::BtnClick(TObject* Sender)
{
    if (Sender == FUpButton && OnUpClick)
        OnUpClick(this);
    else if (Sender == FDownButton && OnDownClick)
        OnDownClick(this);
}

void TVadSpinButton::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState, Integer, Integer)
{
    if (Button != mbLeft)
        return;
    SetFocusBtn(static_cast<TVadTimerSpeedButton*>(Sender));
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
        GetFocus() != FFocusControl->Handle())
        FFocusControl->SetFocus();
    else if (TabStop() && GetFocus() != Handle() && CanFocus())
        SetFocus();
}

void TVadSpinButton::SetFocusBtn(TVadTimerSpeedButton* Btn)
{
    if (!TabStop() || !CanFocus() || Btn == FFocusedButton)
        return;
    TTimeBtnState S = FFocusedButton->TimerState();
    S.Exclude(tbFocusRect);
    FFocusedButton->SetTimerState(S);
    FFocusedButton = Btn;
    if (HandleAllocated() && GetFocus() == Handle()) {
        S = FFocusedButton->TimerState();
        S.Include(tbFocusRect);
        FFocusedButton->SetTimerState(S);
        Invalidate();
    }
}

void TVadSpinButton::KeyDown(Word& Key, TShiftState Shift)
{
    switch (Key) {
    case VK_UP:
        SetFocusBtn(FUpButton);
        FUpButton->Click();
        break;
    case VK_DOWN:
        SetFocusBtn(FDownButton);
        FDownButton->Click();
        break;
    case VK_SPACE:
        FFocusedButton->Click();
        break;
    default:
        break;
    }
    TWinControl::KeyDown(Key, Shift);
}

void TVadSpinButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        TTimeBtnState S = FFocusedButton->TimerState();
        if (Message.Msg == WM_SETFOCUS)
            S.Include(tbFocusRect);
        else
            S.Exclude(tbFocusRect);
        FFocusedButton->SetTimerState(S);
        FFocusedButton->Invalidate();
        break;
    }
    case WM_SIZE: {
        TWinControl::WndProc(Message);
        Integer W = Width(), H = Height();
        AdjustSize(W, H);
        return;
    }
    default:
        break;
    }
    TWinControl::WndProc(Message);
}

// ---- TVadSpinEdit ----------------------------------------------------------------------------------

TVadSpinEdit::TVadSpinEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    FButton = new TVadSpinButton(this);
    FButton->SetBounds(0, 0, 15, 17);
    FButton->SetVisible(true);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    FButton->OnUpClick = [this](TObject* Sender) { UpClick(Sender); };
    FButton->OnDownClick = [this](TObject* Sender) { DownClick(Sender); };
    SetText("0");
    FControlStyle.Exclude(csSetCaption);
}

TVadSpinEdit::~TVadSpinEdit()
{
    FButton = nullptr; // the owner frees it
}

void TVadSpinEdit::CreateParams(TCreateParams& Params)
{
    TCustomMaskEdit::CreateParams(Params);
    Params.Style |= DWORD(ES_MULTILINE) | DWORD(WS_CLIPCHILDREN);
    if (FEditAlign == eaRight)
        Params.Style = (Params.Style & ~DWORD(ES_CENTER)) | ES_RIGHT;
    else if (FEditAlign == eaCenter)
        Params.Style = (Params.Style & ~DWORD(ES_RIGHT)) | ES_CENTER;
}

void TVadSpinEdit::CreateWnd()
{
    TCustomMaskEdit::CreateWnd();
    SetEditRect();
}

void TVadSpinEdit::SetEditRect()
{
    if (!HandleAllocated() || !FButton)
        return;
    const Integer M = BorderStyle() == bsNone ? 3 : 0;
    RECT R{};
    R.Left = R.Top = M;
    R.Right = ClientWidth() - FButton->Width() - 2 - M;
    R.Bottom = ClientHeight() + 1;
    if (R.Right < R.Left)
        R.Right = R.Left;
    SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&R));
}

Integer TVadSpinEdit::GetMinHeight()
{
    HDC DC = GetDC(nullptr);
    TEXTMETRICA SysMetrics{}, Metrics{};
    HGDIOBJ Old = SelectObject(DC, GetStockObject(SYSTEM_FONT));
    GetTextMetrics(DC, &SysMetrics);
    SelectObject(DC, Font()->Handle());
    GetTextMetrics(DC, &Metrics);
    SelectObject(DC, Old);
    ReleaseDC(nullptr, DC);
    const Integer I = std::min(SysMetrics.tmHeight, Metrics.tmHeight);
    Integer Result = I / 4 + Metrics.tmHeight + 2;
    if (BorderStyle() == bsSingle)
        Result += GetSystemMetrics(SM_CYBORDER) * 4;
    return Result;
}

void TVadSpinEdit::SizeChanged()
{
    const Integer MinHeight = GetMinHeight();
    if (Height() < MinHeight) {
        // Raised once: a parent or constraint that clamps the height below the minimum must not
        // send us round again.
        if (!FSizing) {
            FSizing = true;
            SetHeight(MinHeight);
            FSizing = false;
            if (Height() >= MinHeight)
                return;
        }
    }
    if (FButton) {
        const Integer D = BorderStyle() == bsNone ? 1 : 5;
        if (Ctl3D())
            FButton->SetBounds(Width() - FButton->Width() - D, 0, FButton->Width(), Height() - D);
        else
            FButton->SetBounds(Width() - FButton->Width(), 1, FButton->Width(), Height() - 3);
    }
    SetEditRect();
}

void TVadSpinEdit::Loaded()
{
    TCustomMaskEdit::Loaded();
    if (FSpinType == sptDate)
        SetDateValue(FLastDate);
    else if (FSpinType == sptTime)
        SetTimeValue(FLastTime);
    SetSpinType(FSpinType);
}

void TVadSpinEdit::SetDirection(TSpinDirection Value)
{
    if (Value == FDirection)
        return;
    FDirection = Value;
    FButton->SetDirection(Value);
    SetWidth(Width() + 1);
    SetWidth(Width() - 1);
}

void TVadSpinEdit::SetSpinType(TVadSpinType Value)
{
    FSpinType = Value;
    switch (FSpinType) {
    case sptNormal:
        SetValue(this->Value());
        break;
    case sptFloat:
        SetFloatValue(FloatValue());
        break;
    case sptDate:
        SetDateValue(DateValue());
        break;
    case sptTime:
        SetTimeValue(TimeValue());
        break;
    }
}

void TVadSpinEdit::SetPrecision(Integer Value)
{
    FPrecision = Value;
    if (FSpinType == sptFloat)
        SetFloatValue(FloatValue());
}

void TVadSpinEdit::SetIsWinXP(bool Value)
{
    FIsWinXP = Value;
    FButton->SetIsWinXP(Value);
}

void TVadSpinEdit::SetEditAlign(TEditAlign Value)
{
    if (Value == FEditAlign)
        return;
    FEditAlign = Value;
    if (HandleAllocated())
        RecreateWnd();
}

void TVadSpinEdit::SetSpinFlat(bool Value)
{
    FSpinFlat = Value;
    FButton->UpArrow()->SetFlat(Value);
    FButton->DownArrow()->SetFlat(Value);
}

void TVadSpinEdit::SetSpinTransparent(bool Value)
{
    FSpinTransparent = Value;
    FButton->UpArrow()->SetTransparent(Value);
    FButton->DownArrow()->SetTransparent(Value);
    SetWidth(Width() + 1);
    SetWidth(Width() - 1);
}

// ---- Values

Integer TVadSpinEdit::CheckValue(Integer NewValue) const
{
    if (FMinValue == FMaxValue)
        return NewValue;
    return std::clamp(NewValue, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
}

double TVadSpinEdit::CheckFloatValue(double NewValue) const
{
    if (FMinFloatValue == FMaxFloatValue)
        return NewValue;
    if (NewValue < FMinFloatValue)
        return FMinFloatValue;
    if (NewValue > FMaxFloatValue)
        return FMaxFloatValue;
    return NewValue;
}

TDateTime TVadSpinEdit::CheckDateValue(TDateTime NewValue) const
{
    if (FMinDateValue == FMaxDateValue)
        return NewValue;
    if (NewValue < FMinDateValue)
        return FMinDateValue;
    if (NewValue > FMaxDateValue)
        return FMaxDateValue;
    return NewValue;
}

Integer TVadSpinEdit::Value()
{
    Integer V = 0;
    return TryStrToInt(Text(), V) ? V : FMinValue;
}

void TVadSpinEdit::SetValue(Integer NewValue)
{
    SetText(IntToStr(CheckValue(NewValue)));
    if (!FEditorEnabled)
        SelectAll();
}

double TVadSpinEdit::FloatValue()
{
    Extended V = 0;
    return TryStrToFloat(Text(), V) ? double(V) : FMinFloatValue;
}

void TVadSpinEdit::SetFloatValue(double NewValue)
{
    const double V = CheckFloatValue(NewValue);
    SetText(FPrecision != 0 ? FloatToStrF(V, ffFixed, 15, FPrecision) : FloatToStr(V));
}

TDateTime TVadSpinEdit::DateValue()
{
    const AnsiString S = Text();
    if (S.empty() || S == "0")
        return Now();
    TDateTime V = 0;
    return TryStrToDate(S, V) ? V : FMinDateValue;
}

void TVadSpinEdit::SetTextKeepCaret(const AnsiString& S)
{
    const Integer Caret = SelStart();
    SetText(S);
    SetSelStart(Caret);
}

void TVadSpinEdit::SetDateValue(TDateTime NewValue)
{
    FLastDate = NewValue;
    if (ComponentState().Contains(csLoading))
        return;
    FLastDate = CheckDateValue(NewValue);
    SetTextKeepCaret(DateToStr(FLastDate));
}

TDateTime TVadSpinEdit::TimeValue()
{
    TDateTime V = 0;
    return TryStrToTime(Text(), V) ? V : 0;
}

void TVadSpinEdit::SetTimeValue(TDateTime NewValue)
{
    FLastTime = NewValue;
    if (ComponentState().Contains(csLoading))
        return;
    FLastTime = CheckDateValue(NewValue);
    SetTextKeepCaret(FormatDateTime(FShowSeconds ? LongTimeFormat : AnsiString("h:nn"), FLastTime));
}

// ---- Stepping

void TVadSpinEdit::UpClick(TObject*)
{
    DoInc(false);
}

void TVadSpinEdit::DownClick(TObject*)
{
    DoDec(false);
}

void TVadSpinEdit::DoInc(bool Page)
{
    Step(1, Page);
}

void TVadSpinEdit::DoDec(bool Page)
{
    Step(-1, Page);
}

void TVadSpinEdit::Step(int Sign, bool Page)
{
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    switch (FSpinType) {
    case sptNormal:
        SetValue(Integer(Int64(Value()) + Int64(Sign) * FIncrement));
        break;
    case sptFloat:
        SetFloatValue(FloatValue() + Sign * (Page ? 1.0 : FIncrementFloat));
        break;
    case sptDate:
        StepDate(Sign);
        break;
    case sptTime:
        StepTime(Sign);
        break;
    }
}

// The field under the caret is found by the separators; which of day, month and year it is
// comes from the order of D, M and Y in the short date format, so year-first formats step the
// field the caret is in like the others do.
void TVadSpinEdit::StepDate(int Sign)
{
    AnsiString Format = UpperCase(ShortDateFormat);
    const auto PosOf = [&](char C) {
        const std::size_t P = Format.find(C);
        return P == AnsiString::npos ? Integer(0) : Integer(P) + 1;
    };
    const Integer PD = PosOf('D'), PM = PosOf('M'), PY = PosOf('Y');
    FMonthFirst = PM < PD;
    // Fields in the order the format shows them: 'D', 'M', 'Y'.
    std::array<std::pair<Integer, char>, 3> Fields{{{PD, 'D'}, {PM, 'M'}, {PY, 'Y'}}};
    if (PD > 0 && PM > 0 && PY > 0)
        std::sort(Fields.begin(), Fields.end());
    else if (FMonthFirst)
        Fields = {{{0, 'M'}, {0, 'D'}, {0, 'Y'}}};
    else
        Fields = {{{0, 'D'}, {0, 'M'}, {0, 'Y'}}};

    const AnsiString S = Text();
    const Integer P1 = PosAfter(DateSeparator, S);
    const Integer P2 = P1 > 0 ? PosAfter(DateSeparator, S, P1) : 0;
    const Integer K = SelStart();
    const char Field = K < P1 ? Fields[0].second : K < P2 ? Fields[1].second : Fields[2].second;

    const TDateTime D = DateValue();
    TDateTime New = D;
    if (Field == 'D') {
        New = D + Sign;
    } else if (Field == 'M') {
        New = IncMonth(D, Sign);
    } else {
        Word Y = 0, M = 0, Day = 0;
        DecodeDate(D, Y, M, Day);
        const Integer NewYear = Integer(Y) + Sign;
        if (NewYear < 1 || NewYear > 9999)
            return;
        // 29 February steps to the 28th of a year without it.
        const Word LastDay = DaysInAMonth(Word(NewYear), M);
        New = EncodeDate(Word(NewYear), M, std::min(Day, LastDay)) + (D - std::floor(D));
    }
    SetDateValue(New);
}

// Steps are computed as fractions of a day, so steps of 24 hours or 60 minutes and more step
// like the others; the text shows the time of day the sum falls on.
void TVadSpinEdit::StepTime(int Sign)
{
    const AnsiString S = Text();
    const Integer P1 = PosAfter(TimeSeparator, S);
    const Integer P2 = P1 > 0 ? PosAfter(TimeSeparator, S, P1) : 0;
    const Integer K = SelStart();
    double StepDays = 0;
    if (K < P1)
        StepDays = FIncrementHours / 24.0;
    else if (FShowSeconds && P2 > 0 && K >= P2)
        StepDays = FIncrementSeconds / 86400.0;
    else
        StepDays = FIncrementMinutes / 1440.0;
    double V = TimeValue() + Sign * StepDays;
    V = std::round(V * 86400000.0) / 86400000.0;
    V -= std::floor(V);
    SetTimeValue(V);
}

// ---- Keys

bool TVadSpinEdit::IsValidChar(WideChar& Key)
{
    if (Key == 8)
        return FEditorEnabled;
    const WideChar Dec = WideChar(Byte(DecimalSeparator)), Thou = WideChar(Byte(ThousandSeparator)),
                   TimeSep = WideChar(Byte(TimeSeparator)), DateSep = WideChar(Byte(DateSeparator));
    // Enter, Ctrl+Enter (LF) and Tab would become text of the multi-line window.
    bool R = Key == Dec || Key == Thou || Key == TimeSep || Key == DateSep || Key == u'-' ||
             (Key >= u'0' && Key <= u'9') || (Key < 32 && Key != 13 && Key != 10 && Key != 9);
    const bool Numeric = FSpinType == sptNormal || FSpinType == sptFloat;
    const auto SharedWithNumber = [&](WideChar C) {
        return Numeric && (C == Dec || C == Thou || C == u'-' || C == u'+');
    };
    if (Key == TimeSep && FSpinType != sptTime && !SharedWithNumber(TimeSep))
        R = false;
    if (Key == DateSep && FSpinType != sptDate && !SharedWithNumber(DateSep))
        R = false;

    const AnsiString S = Text();
    const AnsiString Sel = SelText();
    // A minus sign only first and once; in dates and times "-" may be the separator.
    if (Key == u'-' && Numeric &&
        ((S.find('-') != AnsiString::npos && !SelectionHolds('-', Sel)) || SelStart() != 0))
        R = false;
    if (FSpinType == sptNormal && Key != u'-' && !(Key >= u'0' && Key <= u'9'))
        R = false;
    if (FSpinType == sptFloat && Key != 27 && Key != 13 && Key != 8) {
        if (Key == Thou)
            R = false;
        const Integer D = PosAfter(DecimalSeparator, S);
        if (Key == Dec && D > 0 && !SelectionHolds(DecimalSeparator, Sel))
            R = false;
        if (FPrecision > 0 && D > 0 && SelStart() >= D && SelLength() == 0 && R &&
            Integer(S.size()) >= D + FPrecision)
            R = false;
    }
    if (FSpinType == sptTime && Key == TimeSep && CountOf(TimeSeparator, S) >= 2)
        R = false;
    if (!FEditorEnabled && R && (Key >= 32 || Key == u'.'))
        R = false;
    return R;
}

void TVadSpinEdit::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_RETURN && FReturnIsTab) {
        Key = VK_TAB;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (Key == VK_DELETE && !FEditorEnabled)
        Key = 0;
    TCustomMaskEdit::KeyDown(Key, Shift);
}

void TVadSpinEdit::KeyPress(WideChar& Key)
{
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0)
        TCustomMaskEdit::KeyPress(Key);
}

// Pasted text passes the same filter as typed text, character by character, and a number kind
// must still read as a number afterwards.
bool TVadSpinEdit::PasteAllowed(const AnsiString& Pasted)
{
    for (char C : Pasted) {
        WideChar Key = WideChar(Byte(C));
        if (Key < 32 || !IsValidChar(Key))
            return false;
    }
    if (FSpinType != sptNormal && FSpinType != sptFloat)
        return true;
    const AnsiString S = Text();
    const std::size_t Start = std::min<std::size_t>(std::size_t(SelStart()), S.size());
    const std::size_t Len = std::min<std::size_t>(std::size_t(SelLength()), S.size() - Start);
    const AnsiString After = S.substr(0, Start) + Pasted + S.substr(Start + Len);
    if (After.empty() || After == "-")
        return true;
    Integer I = 0;
    Extended F = 0;
    return FSpinType == sptNormal ? TryStrToInt(After, I) : TryStrToFloat(After, F);
}

void TVadSpinEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
        switch (Message.WParam) {
        case VK_PRIOR:
            DoInc(true);
            Message.Result = 0;
            return;
        case VK_NEXT:
            DoDec(true);
            Message.Result = 0;
            return;
        case VK_UP:
            DoInc(false);
            Message.Result = 0;
            return;
        case VK_DOWN:
            DoDec(false);
            Message.Result = 0;
            return;
        default:
            break;
        }
        break;
    case WM_CHAR:
        if (FExcelStyleDecimalSeparator && Message.WParam == '.' && (Message.LParam & (LPARAM(1) << 22)) != 0)
            Message.WParam = WPARAM(Byte(DecimalSeparator));
        break;
    case WM_PASTE:
        if (!FEditorEnabled || ReadOnly())
            return;
        if (!PasteAllowed(Clipboard()->AsText())) {
            MessageBeep(0);
            return;
        }
        break;
    case WM_CUT:
        if (!FEditorEnabled || ReadOnly())
            return;
        break;
    case WM_SIZE:
        TCustomMaskEdit::WndProc(Message);
        SizeChanged();
        return;
    case CM_ENTER:
        if (AutoSelect() && (!ControlState().Contains(csLButtonDown) || !FEditorEnabled))
            SelectAll();
        break;
    case CM_EXIT:
        TCustomMaskEdit::WndProc(Message);
        switch (FSpinType) {
        case sptNormal: {
            const Integer V = Value();
            if (CheckValue(V) != V)
                SetValue(V);
            break;
        }
        case sptFloat: {
            const double V = FloatValue();
            if (CheckFloatValue(V) != V)
                SetFloatValue(V);
            break;
        }
        case sptDate: {
            const TDateTime V = DateValue();
            if (CheckDateValue(V) != V)
                SetDateValue(V);
            break;
        }
        case sptTime: {
            const TDateTime V = TimeValue();
            if (CheckDateValue(V) != V)
                SetTimeValue(V);
            break;
        }
        }
        return;
    default:
        break;
    }
    TCustomMaskEdit::WndProc(Message);
}
