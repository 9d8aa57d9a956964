#include "dropdowns/RurEradOvuvurOdivEdoz.h"

#include "dropdowns/DadOrorUdurDraw.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr Double Pi = 3.14159265358979323846;

// Nearest integer, ties to even.
Integer Rnd(Double V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

// The point at distance D from the centre at Deg degrees clockwise from 12 o'clock.
TPoint AtAngle(const TPoint& C, Double D, Double Deg, TPoint Shift = TPoint{0, 0})
{
    const Double A = Deg * Pi / 180;
    return TPoint{Rnd(C.X + D * std::sin(A)) + Shift.X, Rnd(C.Y - D * std::cos(A)) + Shift.Y};
}

void Line(TCanvas* C, const TPoint& A, const TPoint& B)
{
    C->MoveTo(A.X, A.Y);
    C->LineTo(B.X, B.Y);
}

constexpr TColor Rgb(int R, int G, int B)
{
    return static_cast<TColor>(R + 256 * G + 65536 * B);
}

void DecodeHM(TDateTime T, Word& H, Word& M, Word& S, Word& MS)
{
    DecodeTime(T, H, M, S, MS);
}

} // namespace

// ---- TWatchAppearance --------------------------------------------------------------------------

TWatchAppearance::TWatchAppearance()
    : FAMPMFont(std::make_unique<TFont>()), FHourFont(std::make_unique<TFont>()),
      FPicture(std::make_unique<TPicture>()), FBackgroundColorTo(clNone), FCenterPointBorderColor(clNone),
      FCenterPointOuterBorderColor(clNone), FHourPointerShadow(clBtnShadow),
      FMinutePointerShadow(clBtnShadow), FSecondPointerShadow(clBtnShadow)
{
    FAMPMFont->SetName("Tahoma");
    FAMPMFont->SetSize(10);
    FHourFont->SetName("Tahoma");
    FHourFont->SetSize(8);
    FPicture->OnChange = [this](TObject*) { Changed(); };
}

TWatchAppearance::~TWatchAppearance() = default;

void TWatchAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

#define WATCH_SETTER(Type, Name)                                                                             \
    void TWatchAppearance::Set##Name(Type Value)                                                             \
    {                                                                                                        \
        if (F##Name != Value) {                                                                              \
            F##Name = Value;                                                                                 \
            Changed();                                                                                       \
        }                                                                                                    \
    }
WATCH_SETTER(TColor, AMPMBorderColor)
WATCH_SETTER(TColor, AMPMColor)
WATCH_SETTER(TAMPMFrame, AMPMFrame)
WATCH_SETTER(TColor, BorderColor)
WATCH_SETTER(Integer, BorderWidth)
WATCH_SETTER(TColor, BackgroundColor)
WATCH_SETTER(TColor, BackgroundColorTo)
WATCH_SETTER(TWatchGradient, BackgroundGradient)
WATCH_SETTER(TColor, CenterPointBorderColor)
WATCH_SETTER(TColor, CenterPointOuterBorderColor)
WATCH_SETTER(TColor, CenterPointColor)
WATCH_SETTER(Byte, CenterPointSize)
WATCH_SETTER(TColor, HourColor)
WATCH_SETTER(Byte, HourMarkLength)
WATCH_SETTER(Byte, HourMarkWidth)
WATCH_SETTER(THourMarkStyle, HourMarkStyle)
WATCH_SETTER(TColor, HourPointer)
WATCH_SETTER(TColor, HourPointerShadow)
WATCH_SETTER(Byte, HourPointerSize)
WATCH_SETTER(TColor, MinuteColor)
WATCH_SETTER(TColor, MinutePointer)
WATCH_SETTER(TColor, MinutePointerShadow)
WATCH_SETTER(Byte, MinutePointerSize)
WATCH_SETTER(Byte, MinuteMarkLength)
WATCH_SETTER(Byte, MinuteMarkWidth)
WATCH_SETTER(TPointerStyle, PointerStyle)
WATCH_SETTER(TColor, SecondPointer)
WATCH_SETTER(TColor, SecondPointerShadow)
WATCH_SETTER(Byte, SecondPointerSize)
WATCH_SETTER(TWatchShape, Shape)
WATCH_SETTER(Integer, Size)
WATCH_SETTER(TTickMarks, TickMarks)
#undef WATCH_SETTER

void TWatchAppearance::SetAMPMFont(TFont* Value)
{
    FAMPMFont->Assign(Value);
    Changed();
}

void TWatchAppearance::SetHourFont(TFont* Value)
{
    FHourFont->Assign(Value);
    Changed();
}

void TWatchAppearance::SetPicture(TPicture* Value)
{
    FPicture->Assign(Value);
    Changed();
}

void TWatchAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TWatchAppearance*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    FAMPMFont->Assign(S->FAMPMFont.get());
    FAMPMBorderColor = S->FAMPMBorderColor;
    FAMPMColor = S->FAMPMColor;
    FAMPMFrame = S->FAMPMFrame;
    FBorderColor = S->FBorderColor;
    FBorderWidth = S->FBorderWidth;
    FBackgroundColor = S->FBackgroundColor;
    FBackgroundColorTo = S->FBackgroundColorTo;
    FBackgroundGradient = S->FBackgroundGradient;
    FCenterPointBorderColor = S->FCenterPointBorderColor;
    FCenterPointColor = S->FCenterPointColor;
    FCenterPointSize = S->FCenterPointSize;
    FHourFont->Assign(S->FHourFont.get());
    FHourColor = S->FHourColor;
    FHourMarkLength = S->FHourMarkLength;
    FHourMarkWidth = S->FHourMarkWidth;
    FHourPointer = S->FHourPointer;
    FHourPointerShadow = S->FHourPointerShadow;
    FHourPointerSize = S->FHourPointerSize;
    FMinuteColor = S->FMinuteColor;
    FMinutePointer = S->FMinutePointer;
    FMinutePointerShadow = S->FMinutePointerShadow;
    FMinutePointerSize = S->FMinutePointerSize;
    FMinuteMarkLength = S->FMinuteMarkLength;
    FMinuteMarkWidth = S->FMinuteMarkWidth;
    FPicture->Assign(S->FPicture.get());
    FPointerStyle = S->FPointerStyle;
    FSecondPointer = S->FSecondPointer;
    FSecondPointerShadow = S->FSecondPointerShadow;
    FSecondPointerSize = S->FSecondPointerSize;
    FShape = S->FShape;
    FSize = S->FSize;
    SetCenterPointOuterBorderColor(S->FCenterPointOuterBorderColor);
    SetTickMarks(S->FTickMarks);
    SetHourMarkStyle(S->FHourMarkStyle);
}

// ---- TWatchSettings ----------------------------------------------------------------------------

void TWatchSettings::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TWatchSettings::SetAuto(bool Value)
{
    if (FAuto != Value) {
        FAuto = Value;
        Changed();
    }
}

void TWatchSettings::SetTimeOffset(Integer Value)
{
    if (FTimeOffset != Value) {
        FTimeOffset = Value;
        Changed();
    }
}

void TWatchSettings::SetSeconds(bool Value)
{
    if (FSecond != Value) {
        FSecond = Value;
        Changed();
    }
}

void TWatchSettings::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TWatchSettings*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    FSecond = S->FSecond;
    FTimeOffset = S->FTimeOffset;
    SetAuto(S->FAuto);
}

// ---- Unit routines -----------------------------------------------------------------------------

bool PointInEllipse(const TPoint& P, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    HRGN Rgn = CreateEllipticRgn(Left, Top, Right, Bottom);
    const bool In = PtInRegion(Rgn, P.X, P.Y) != FALSE;
    DeleteObject(Rgn);
    return In;
}

void DrawWatchPicture(TCanvas* ACanvas, TPicture* Picture, const TRect& R)
{
    if (!ACanvas || !Picture || !Picture->Graphic() || Picture->Graphic()->Empty())
        return;
    TBitmap Bmp;
    Bmp.SetSize(R.Width(), R.Height());
    Bmp.Canvas()->Draw(0, 0, Picture->Graphic());
    Bmp.SetTransparent(true);
    ACanvas->StretchDraw(R, &Bmp);
}

bool StepHourTowards(Integer& Cur, Integer Target, Integer Step, Integer Min)
{
    if (std::abs(Cur - Target) < Min) {
        Cur = Target;
        return false;
    }
    const Integer D = std::max(1, Step);
    Cur += Cur < Target ? D : -D;
    return true;
}

bool StepMinuteTowards(Integer& Cur, Integer Target, Integer Step, Integer Min)
{
    if (std::abs(Cur - Target) < Min) {
        Cur = Target;
        return false;
    }
    const Integer D = std::max(1, Step);
    if (Cur < Target || (Target == 0 && Cur > 30))
        Cur += D;
    else
        Cur -= D;
    if (Cur > 59)
        Cur = 0;
    return true;
}

// ---- TVadWatch ---------------------------------------------------------------------------------

std::function<void(int)>& TVadWatch::FrameDelay()
{
    static std::function<void(int)> Delay = [](int Ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(Ms));
    };
    return Delay;
}

TVadWatch::TVadWatch(TComponent* AOwner)
    : TCustomControl(AOwner), FAppearance(std::make_unique<TWatchAppearance>()),
      FSettings(std::make_unique<TWatchSettings>()), FBackgroundCache(std::make_unique<TBitmap>())
{
}

TVadWatch::~TVadWatch() = default;

void TVadWatch::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    FAppearance->OnChange = [this](TObject* Sender) { OnAppearanceChanged(Sender); };
    FSettings->OnChange = [this](TObject* Sender) { OnSettingsChanged(Sender); };
    FTickTimer = New<TTimer>(this);
    FTickTimer->SetEnabled(FSettings->Auto());
    FTickTimer->SetInterval(100);
    FTickTimer->OnTimer = [this](TObject* Sender) { OnWatchTimerTime(Sender); };
    FStepTimer = New<TTimer>(this);
    FStepTimer->SetEnabled(false);
    FStepTimer->SetInterval(1);
    FStepTimer->OnTimer = [this](TObject* Sender) { OnAnimationTimerTime(Sender); };
    SetWidth(180);
    SetHeight(180);
    FBackgroundCache->SetSize(ClientWidth(), ClientHeight());
}

void TVadWatch::SetShowAMPM(bool Value)
{
    FShowAMPM = Value;
    Invalidate();
}

void TVadWatch::SetShowNumbers(bool Value)
{
    FShowNumbers = Value;
    Invalidate();
}

void TVadWatch::OnAppearanceChanged(TObject*)
{
    Invalidate();
}

void TVadWatch::OnSettingsChanged(TObject*)
{
    FTickTimer->SetEnabled(FSettings->Auto());
    if (FSettings->Auto()) {
        const TDateTime N = Now();
        SetTime(N);
        Word H, M, S, MS;
        DecodeHM(N, H, M, S, MS);
        SetAMQuiet(H < 12);
    }
    Invalidate();
}

// ---- Geometry

TRect TVadWatch::GetWatchRect()
{
    const TRect C = ClientRect();
    const Integer W = C.Width(), H = C.Height();
    const Integer S = FAppearance->Size() > 0 ? std::min({FAppearance->Size(), H, W}) : std::min(H, W) - 20;
    const Integer L = C.Left + (W - S) / 2, T = C.Top + (H - S) / 2;
    return TRect{L, T, L + S, T + S};
}

TPoint TVadWatch::GetCenterPoint()
{
    const TRect R = GetWatchRect();
    return TPoint{R.Left + (R.Right - R.Left) / 2, R.Top + (R.Bottom - R.Top) / 2};
}

Double TVadWatch::GetRadius()
{
    const TRect R = GetWatchRect();
    return static_cast<Double>((R.Right - R.Left) / 2);
}

TRect TVadWatch::GetInnerRect()
{
    TRect R = GetWatchRect();
    const Integer B = FAppearance->BorderWidth();
    return TRect{R.Left + B, R.Top + B, R.Right - B, R.Bottom - B};
}

TRect TVadWatch::GetAMPMRect()
{
    if (!FShowAMPM)
        return TRect{-1, -1, -1, -1};
    TCanvas* C = Canvas();
    C->Font()->Assign(FAppearance->AMPMFont());
    const TSize Ext = C->TextExtent("AM");
    const TPoint Ctr = GetCenterPoint();
    const Integer L = Ctr.X - (Ext.cx + 8) / 2;
    const Integer T = Ctr.Y + Rnd((GetRadius() - Ext.cy) / 3);
    return TRect{L, T, L + Ext.cx + 8, T + Ext.cy};
}

// ---- Time model

TDateTime TVadWatch::GetDisplayTime() const
{
    if (FSettings->Auto())
        return Now() + FSettings->TimeOffset() / 1440.0;
    return FTime;
}

void TVadWatch::SetTime(TDateTime Value)
{
    if (Value != FTime) {
        SetTimeDirect(Value);
        RepaintTime();
    }
}

void TVadWatch::SetAMQuiet(bool Value)
{
    const bool Old = FQuietAM;
    FQuietAM = true;
    SetAM(Value);
    FQuietAM = Old;
}

void TVadWatch::SetTimeDirect(TDateTime Value)
{
    if (Value == FTime)
        return;
    FTime = Value;
    Word H, M, S, MS;
    DecodeHM(Value, H, M, S, MS);
    SetAMQuiet(H < 12);
}

void TVadWatch::SetAM(bool Value)
{
    if (Value == FIsAM)
        return;
    FIsAM = Value;
    if (FAnimation && FShowAMPM && FAppearance->AMPMColor() != clNone && !FQuietAM)
        RollAMPM();
    UpdateCache();
}

bool TVadWatch::CanAnimate() const
{
    return FAnimation && !FImmediate && !ComponentState().Contains(csLoading) &&
           !ComponentState().Contains(csDesigning);
}

void TVadWatch::DoChange()
{
    if (OnChange && !FInStep)
        OnChange(this);
}

void TVadWatch::SetHour(Byte H)
{
    if (H > 23)
        return; // an hour the day does not have: ignored rather than raised from a timer
    Word Hh, M, S, MS;
    DecodeHM(GetDisplayTime(), Hh, M, S, MS);
    if (H == Hh)
        return;
    if (CanAnimate()) {
        FHourTarget = H;
        FAnimatingHour = true;
        FStepTimer->SetEnabled(true);
        return;
    }
    SetTimeDirect(EncodeTime(H, M, S, MS));
    RepaintTime();
    DoChange();
}

void TVadWatch::SetMinute(Byte Mn)
{
    Word H, M, S, MS;
    DecodeHM(GetDisplayTime(), H, M, S, MS);
    if (Mn >= 60)
        throw Exception("Invalid time");
    if (Mn == M)
        return;
    if (CanAnimate()) {
        FMinuteTarget = Mn;
        FAnimatingHour = false;
        FMinuteOrigin = static_cast<Byte>(M);
        FStepTimer->SetEnabled(true);
        return;
    }
    if (!FAnimation)
        FMinuteOrigin = static_cast<Byte>(M);
    if (Mn == 0 && FMinuteOrigin > 30) {
        H = H == 23 ? 0 : H + 1;
        FMinuteOrigin = 0;
    }
    SetTimeDirect(EncodeTime(H, Mn, S, MS));
    RepaintTime();
    DoChange();
}

void TVadWatch::SetHourImmediate(Byte H)
{
    const bool Old = FImmediate;
    FImmediate = true;
    SetHour(H);
    FImmediate = Old;
}

void TVadWatch::SetMinuteImmediate(Byte M)
{
    const bool Old = FImmediate;
    FImmediate = true;
    SetMinute(M);
    FImmediate = Old;
}

void TVadWatch::OnAnimationTimerTime(TObject*)
{
    if (!FAnimation || ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning))
        return;
    const Integer Factor = std::max(1, FAnimationFactor);
    Word H, M, S, MS;
    DecodeHM(GetDisplayTime(), H, M, S, MS);
    if (FAnimatingHour) {
        Integer Cur = H;
        const Integer Step = Rnd(std::abs(FHourTarget - Cur) / static_cast<Double>(Factor));
        if (StepHourTowards(Cur, FHourTarget, Step, 1)) {
            FInStep = Cur != FHourTarget;
            SetHourImmediate(static_cast<Byte>(Cur));
            FInStep = false;
        } else {
            SetHourImmediate(FHourTarget);
            FStepTimer->SetEnabled(false);
        }
        return;
    }
    Integer Cur = M;
    const Integer Distance = (FMinuteTarget == 0 && Cur > 30 ? 60 : FMinuteTarget) - Cur;
    const Integer Step = Rnd(std::abs(Distance) / static_cast<Double>(Factor));
    if (StepMinuteTowards(Cur, FMinuteTarget, Step, 1)) {
        FInStep = Cur != FMinuteTarget;
        SetMinuteImmediate(static_cast<Byte>(Cur));
        FInStep = false;
    } else {
        SetMinuteImmediate(FMinuteTarget);
        FStepTimer->SetEnabled(false);
    }
}

void TVadWatch::StopTimers()
{
    if (FStepTimer && FStepTimer->Enabled()) {
        FStepTimer->SetEnabled(false);
        if (FAnimatingHour)
            SetHourImmediate(FHourTarget);
        else
            SetMinuteImmediate(FMinuteTarget);
    }
    if (FTickTimer)
        FTickTimer->SetEnabled(false);
}

void TVadWatch::ResumeClock()
{
    if (FTickTimer)
        FTickTimer->SetEnabled(FSettings->Auto());
}

bool TVadWatch::TimersRunning() const
{
    return (FStepTimer && FStepTimer->Enabled()) || (FTickTimer && FTickTimer->Enabled());
}

// ---- Drawing

void TVadWatch::Paint()
{
    TCustomControl::Paint();
    UpdateCache();
}

void TVadWatch::UpdateCache()
{
    const TRect Client = ClientRect();
    FBackgroundCache->SetSize(Client.Width(), Client.Height());
    TCanvas* Cache = FBackgroundCache->Canvas();
    const bool OnScreen = HandleAllocated();
    if (OnScreen) {
        Cache->SetCopyMode(cmSrcCopy);
        Cache->CopyRect(Client, Canvas(), Client);
    }
    DrawBackground(Cache, Client);
    DrawContent(Cache);
    DrawAMPM(Cache);
    if (OnScreen) {
        Canvas()->CopyRect(Client, Cache, Client);
        DrawNeedles(Canvas());
    }
}

void TVadWatch::RepaintTime()
{
    if (!HandleAllocated())
        return;
    const TRect Client = ClientRect();
    TBitmap Bmp;
    Bmp.SetSize(Client.Width(), Client.Height());
    Bmp.Canvas()->CopyRect(Client, FBackgroundCache->Canvas(), Client);
    DrawNeedles(Bmp.Canvas());
    Canvas()->CopyRect(Client, Bmp.Canvas(), Client);
}

void TVadWatch::DrawBackground(TCanvas* C, const TRect& R)
{
    if (!C)
        return;
    TWatchAppearance* A = FAppearance.get();
    const TRect F = A->Shape() == wsCircle ? GetWatchRect() : R;
    HRGN Rgn = nullptr;
    if (A->Shape() == wsCircle)
        Rgn = CreateEllipticRgn(F.Left - 1, F.Top - 1, F.Right + 2, F.Bottom + 2);
    else if (A->Shape() == wsRoundRect)
        Rgn = CreateRoundRectRgn(F.Left - 1, F.Top - 1, F.Right + 2, F.Bottom + 2, 20, 20);
    if (Rgn)
        SelectClipRgn(C->Handle(), Rgn);
    if (A->BackgroundColor() != clNone && A->BackgroundColorTo() != clNone) {
        DadOrorUdur::DrawGradient(C, A->BackgroundColor(), A->BackgroundColorTo(), 80, F,
                                  A->BackgroundGradient() == wgRadial);
    } else if (A->BackgroundColor() != clNone) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(A->BackgroundColor());
        C->FillRect(F);
    }
    if (A->BorderColor() != clNone && A->BorderWidth() > 0) {
        C->Pen()->SetColor(A->BorderColor());
        C->Pen()->SetWidth(A->BorderWidth());
        C->Brush()->SetStyle(bsClear);
        if (A->Shape() == wsCircle)
            C->Ellipse(F);
        else if (A->Shape() == wsRect)
            C->Rectangle(R);
        else
            C->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 20, 20);
    }
    if (Rgn) {
        SelectClipRgn(C->Handle(), nullptr);
        DeleteObject(Rgn);
    }
    DrawWatchPicture(C, A->Picture(), R);
}

void TVadWatch::DrawContent(TCanvas* C)
{
    if (!C)
        return;
    DrawTickMarks(C);
    DrawNumbers(C);
}

void TVadWatch::DrawTickMarks(TCanvas* C)
{
    TWatchAppearance* A = FAppearance.get();
    if (!C || A->TickMarks() == tmNone)
        return;
    const TPoint Ctr = GetCenterPoint();
    const Double R = GetRadius() - A->BorderWidth() / 2;
    const Double Q = A->HourMarkLength() > 0 ? R - A->HourMarkLength() : 0.9 * R;
    // Marks are placed at Phi degrees clockwise from 3 o'clock, i.e. Phi + 90 from 12.
    auto Mark = [&](Double From, Double Phi, TPoint Shift) {
        Line(C, AtAngle(Ctr, From, Phi + 90, Shift), AtAngle(Ctr, R, Phi + 90, Shift));
    };
    C->Pen()->SetColor(A->HourColor());
    C->Pen()->SetWidth(A->HourMarkWidth());
    for (int I = 0; I < 4; ++I) {
        if (A->HourMarkStyle() == hmsQuartDblLine) {
            const bool Horizontal = I % 2 == 0;
            Mark(Q, 90.0 * I, Horizontal ? TPoint{0, -2} : TPoint{-2, 0});
            Mark(Q, 90.0 * I, Horizontal ? TPoint{0, 2} : TPoint{2, 0});
        } else {
            Mark(Q, 90.0 * I, TPoint{0, 0});
        }
    }
    if (A->TickMarks() == tmAll || A->TickMarks() == tmHours)
        for (int I = 0; I < 12; ++I)
            if (I % 3 != 0)
                Mark(Q, 30.0 * I, TPoint{0, 0});
    if (A->TickMarks() == tmAll) {
        const Double Q2 = A->MinuteMarkLength() > 0 ? R - A->MinuteMarkLength() : 0.95 * R;
        C->Pen()->SetColor(A->MinuteColor());
        C->Pen()->SetWidth(A->MinuteMarkWidth());
        for (int I = 0; I < 60; ++I)
            if (I % 5 != 0)
                Mark(Q2, 6.0 * I, TPoint{0, 0});
    }
}

void TVadWatch::DrawNumbers(TCanvas* C)
{
    TWatchAppearance* A = FAppearance.get();
    if (!C || !FShowNumbers || A->TickMarks() == tmNone || A->TickMarks() == tmHours)
        return;
    const TPoint Ctr = GetCenterPoint();
    const Double R = GetRadius() - A->BorderWidth() / 2;
    C->Font()->Assign(A->HourFont());
    Canvas()->Font()->Assign(A->HourFont());
    const Integer L = A->HourMarkLength() > 0 ? A->HourMarkLength() : Rnd(R - 0.9 * R) + 2;
    const Double D = R - 2 * L - 2;
    C->Brush()->SetStyle(bsClear);
    for (int N = 1; N <= 12; ++N) {
        if (A->TickMarks() == tmQuartHours && N % 3 != 0)
            continue;
        const AnsiString Text = std::to_string(N);
        const TSize Ext = Canvas()->TextExtent(Text);
        const Integer K = N == 10 ? Rnd(0.2 * Ext.cy) : N == 11 ? Rnd(0.15 * Ext.cy) : 0;
        const TPoint P = AtAngle(Ctr, D - K + L / 2, 30.0 * N);
        C->TextOut(P.X - Ext.cx / 2, P.Y - Ext.cy / 2, Text);
    }
}

void TVadWatch::DrawAMPMFrame(TCanvas* C, const TRect& Box)
{
    if (FAppearance->AMPMFrame() == apRoundRect)
        C->RoundRect(Box.Left, Box.Top, Box.Right, Box.Bottom, 5, 5);
    else
        C->Rectangle(Box);
}

void TVadWatch::DrawAMPM(TCanvas* C)
{
    if (!C || !FShowAMPM)
        return;
    TWatchAppearance* A = FAppearance.get();
    TRect Box = GetAMPMRect();
    if (A->AMPMColor() == clNone) {
        C->Brush()->SetStyle(bsClear);
    } else {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(A->AMPMColor());
    }
    C->Pen()->SetColor(A->AMPMBorderColor());
    C->Pen()->SetWidth(1);
    if (A->AMPMColor() != clNone || A->AMPMBorderColor() != clNone)
        DrawAMPMFrame(C, Box);
    C->Brush()->SetStyle(bsClear);
    C->Font()->Assign(A->AMPMFont());
    DrawText(C->Handle(), FIsAM ? "AM" : "PM", -1, &Box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TVadWatch::DrawNeedles(TCanvas* C)
{
    if (!C)
        return;
    TWatchAppearance* A = FAppearance.get();
    const bool Auto = FSettings->Auto();
    Word H, M, S, MS;
    DecodeHM(GetDisplayTime(), H, M, S, MS);
    if (Auto)
        SetAMQuiet(H < 12);
    H %= 12;
    const Double ThH = 30.0 * H + 0.5 * M, ThM = 6.0 * M, ThS = 6.0 * S;
    const TPoint Ctr = GetCenterPoint();
    const Double R = GetRadius();
    auto Hand = [&](TColor Color, Integer Width, Double From, Double To, Double Th, TPoint Shift) {
        C->Pen()->SetColor(Color);
        C->Pen()->SetWidth(Width);
        Line(C, AtAngle(Ctr, From, Th, Shift), AtAngle(Ctr, To, Th, Shift));
    };
    auto Kite = [&](TColor Color, Double Tip, Double Th, TPoint Shift) {
        C->Pen()->SetColor(Color);
        C->Pen()->SetWidth(1);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Color);
        C->Polygon({AtAngle(Ctr, -0.1 * R, Th, Shift), AtAngle(Ctr, 0.05 * R, Th - 90, Shift),
                    AtAngle(Ctr, Tip, Th, Shift), AtAngle(Ctr, 0.05 * R, Th + 90, Shift)});
    };
    const bool Seconds = Auto && FSettings->Second();
    if (A->PointerStyle() == psLine) {
        if (A->HourPointerShadow() != clNone)
            Hand(A->HourPointerShadow(), A->HourPointerSize(), -0.1 * R, 0.46 * R, ThH, {-1, 3});
        if (A->MinutePointerShadow() != clNone)
            Hand(A->MinutePointerShadow(), A->MinutePointerSize(), -0.1 * R, 0.65 * R, ThM, {0, 3});
        Hand(A->HourPointer(), A->HourPointerSize(), -0.1 * R, 0.5 * R, ThH, {0, 0});
        Hand(A->MinutePointer(), A->MinutePointerSize(), -0.1 * R, 0.7 * R, ThM, {0, 0});
    } else if (A->PointerStyle() == psPointer) {
        if (A->HourPointerShadow() != clNone)
            Kite(A->HourPointerShadow(), 0.5 * R, ThH, {1, 3});
        Kite(A->HourPointer(), 0.5 * R, ThH, {0, 0});
        if (A->MinutePointerShadow() != clNone)
            Kite(A->MinutePointerShadow(), 0.7 * R, ThM, {1, 3});
        Kite(A->MinutePointer(), 0.7 * R, ThM, {0, 0});
    }
    if (Seconds && (A->PointerStyle() == psLine || A->PointerStyle() == psPointer))
        Hand(A->SecondPointer(), A->SecondPointerSize(), -0.2 * R, 0.9 * R, ThS, {0, 0});
    const Integer Sz = A->CenterPointSize();
    if (Sz <= 0)
        return;
    auto Dot = [&](Double D) {
        const Integer L = Rnd(Ctr.X - D / 2), T = Rnd(Ctr.Y - D / 2), W = Rnd(D);
        C->Ellipse(L, T, L + W, T + W);
    };
    if (A->CenterPointColor() != clNone) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(A->CenterPointColor());
        C->Pen()->SetColor(A->CenterPointColor());
        C->Pen()->SetWidth(1);
        Dot(Sz);
    }
    Integer W = 0;
    if (A->CenterPointOuterBorderColor() != clNone) {
        W = Rnd(0.2 * Sz);
        C->Brush()->SetStyle(bsClear);
        C->Pen()->SetColor(A->CenterPointOuterBorderColor());
        C->Pen()->SetWidth(W);
        Dot(Sz);
    }
    if (A->CenterPointBorderColor() != clNone) {
        C->Brush()->SetStyle(bsClear);
        C->Pen()->SetColor(A->CenterPointBorderColor());
        C->Pen()->SetWidth(Rnd(0.1 * Sz));
        Dot(Sz - W);
    }
}

void TVadWatch::RollAMPM()
{
    if (!HandleAllocated())
        return;
    TWatchAppearance* A = FAppearance.get();
    const TRect Box = GetAMPMRect();
    const TRect I{Box.Left + 1, Box.Top + 1, Box.Right - 1, Box.Bottom - 1};
    const Integer HI = I.Height();
    if (HI <= 0 || I.Width() <= 0)
        return;
    TBitmap Strip;
    Strip.SetSize(I.Width(), 2 * HI);
    TCanvas* SC = Strip.Canvas();
    SC->Brush()->SetStyle(bsSolid);
    SC->Brush()->SetColor(A->AMPMColor());
    SC->Pen()->SetColor(A->AMPMColor());
    SC->Rectangle(0, 0, I.Width(), 2 * HI);
    SC->Brush()->SetStyle(bsClear);
    SC->Font()->Assign(A->AMPMFont());
    TRect Top{0, 0, I.Width(), HI}, Bottom{0, HI, I.Width(), 2 * HI};
    DrawText(SC->Handle(), "AM", -1, &Top, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    DrawText(SC->Handle(), "PM", -1, &Bottom, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const bool ToPM = !FIsAM;
    Integer Y = ToPM ? 0 : HI;
    const TRect Client = ClientRect();
    for (Integer F = 0; F < HI; ++F) {
        TBitmap Frame;
        Frame.SetSize(Client.Width(), Client.Height());
        TCanvas* FC = Frame.Canvas();
        FC->CopyRect(Client, FBackgroundCache->Canvas(), Client);
        FC->CopyRect(I, SC, TRect{0, Y, I.Width(), Y + HI});
        FC->Pen()->SetColor(A->AMPMBorderColor());
        FC->Pen()->SetWidth(1);
        FC->Brush()->SetStyle(bsClear);
        DrawAMPMFrame(FC, Box);
        DrawNeedles(FC);
        Canvas()->CopyRect(Client, FC, Client);
        Y += ToPM ? 1 : -1;
        if (FrameDelay())
            FrameDelay()(10);
    }
}

// ---- Input

Integer TVadWatch::GetXYToMinute(Integer X, Integer Y)
{
    // The angle of the true offset, clockwise from 12 o'clock: a click straight above the
    // centre reads minute 0 however close it is.
    const TPoint C = GetCenterPoint();
    Double Deg = std::atan2(static_cast<Double>(X - C.X), static_cast<Double>(C.Y - Y)) * 180 / Pi;
    if (Deg < 0)
        Deg += 360;
    const Integer M = Rnd(Deg / 6);
    return M >= 60 || M < 0 ? 0 : M;
}

Integer TVadWatch::GetXYToHour(Integer X, Integer Y)
{
    // Twelve o'clock, from either side, is the start of the half-day shown: 0 in AM, 12 in PM.
    Integer C = Rnd(GetXYToMinute(X, Y) / 5.0);
    if (C >= 12)
        C = 0;
    return FIsAM ? C : C + 12;
}

void TVadWatch::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FSettings->Auto())
        return;
    const TRect W = GetWatchRect();
    if (!PointInEllipse(TPoint{X, Y}, W.Left, W.Top, W.Right, W.Bottom)) {
        SetMinute(static_cast<Byte>(GetXYToMinute(X, Y)));
        return;
    }
    const TRect Box = GetAMPMRect();
    if (FShowAMPM && X >= Box.Left && X < Box.Right && Y >= Box.Top && Y < Box.Bottom) {
        if (FAnimation)
            SetAM(!FIsAM);
        Word H, M, S, MS;
        DecodeHM(FTime, H, M, S, MS);
        FHourTarget = static_cast<Byte>(H < 12 ? H + 12 : H - 12);
        SetHourImmediate(FHourTarget);
        return;
    }
    SetHour(static_cast<Byte>(GetXYToHour(X, Y)));
}

void TVadWatch::HandleKey(Byte Key)
{
    if (FSettings->Auto())
        return;
    Word H, M, S, MS;
    DecodeHM(GetDisplayTime(), H, M, S, MS);
    if ((Key == 65 || Key == 97) && H >= 12)
        SetHour(static_cast<Byte>(H - 12));
    if ((Key == 80 || Key == 112) && H < 12)
        SetHour(static_cast<Byte>(H + 12));
    switch (Key) {
    case VK_PRIOR:
        if (H < 23)
            SetHour(static_cast<Byte>(H + 1));
        else
            SetHourImmediate(0);
        break;
    case VK_NEXT:
        if (H > 0)
            SetHour(static_cast<Byte>(H - 1));
        else
            SetHourImmediate(23);
        break;
    case VK_END:
        SetMinute(0);
        break;
    case VK_HOME:
        SetHourImmediate(12);
        break;
    case VK_LEFT:
        if (M > 0)
            SetMinute(static_cast<Byte>(M - 1));
        else
            SetTime(EncodeTime(H == 0 ? 23 : H - 1, 59, S, MS));
        break;
    case VK_RIGHT:
        if (M < 59)
            SetMinute(static_cast<Byte>(M + 1));
        else
            SetMinute(0);
        break;
    default:
        break;
    }
}

void TVadWatch::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = TabStop() ? DLGC_WANTARROWS | DLGC_WANTALLKEYS : 0;
        return;
    case WM_SETCURSOR:
        TCustomControl::WndProc(Message);
        if (!ComponentState().Contains(csDesigning)) {
            POINT P{};
            GetCursorPos(&P);
            ::ScreenToClient(Handle(), &P);
            const TRect Box = GetAMPMRect();
            const bool Over =
                FShowAMPM && P.X >= Box.Left && P.X < Box.Right && P.Y >= Box.Top && P.Y < Box.Bottom;
            ::SetCursor(Screen->Cursors(Over ? crHandPoint : crDefault));
            Message.Result = 1;
        }
        return;
    default:
        TCustomControl::WndProc(Message);
    }
}

// ---- Looks

void TVadWatch::SetComponentStyle(ZEDAVozor Style)
{
    SetWatchAppearanceStyle(FAppearance.get(), Style);
}

void SetWatchAppearanceStyle(TWatchAppearance* A, ZEDAVozor Style)
{
    A->SetCenterPointOuterBorderColor(0);
    A->HourFont()->SetColor(0);
    A->AMPMFont()->SetColor(0);
    struct Look {
        TColor AMPM, AMPMBorder, Back, BackTo, Border, CenterBorder, Center, Marks, Second;
    };
    Look L{};
    switch (Style) {
    case tsCustom:
        return;
    case tsOffice2003Blue:
        L = {Rgb(89, 135, 214), Rgb(0, 45, 150),   Rgb(175, 210, 255), Rgb(175, 210, 255), Rgb(89, 135, 214),
             Rgb(89, 135, 214), Rgb(89, 135, 214), Rgb(89, 135, 214),  Rgb(255, 255, 255)};
        break;
    case tsOffice2003Silver:
        L = {Rgb(165, 164, 189), Rgb(0, 45, 150),    Rgb(216, 216, 230),
             Rgb(216, 216, 230), Rgb(165, 164, 189), Rgb(165, 164, 189),
             Rgb(165, 164, 189), Rgb(165, 164, 189), Rgb(255, 255, 255)};
        break;
    case tsOffice2003Olive:
        L = {Rgb(175, 192, 130), Rgb(0, 45, 150),    Rgb(225, 234, 185),
             Rgb(225, 234, 185), Rgb(175, 192, 130), Rgb(175, 192, 130),
             Rgb(175, 192, 130), Rgb(175, 192, 130), Rgb(255, 255, 255)};
        break;
    case tsOffice2003Classic:
        L = {Rgb(128, 128, 128), Rgb(0, 45, 150),    Rgb(242, 242, 242),
             Rgb(242, 242, 242), Rgb(128, 128, 128), Rgb(128, 128, 128),
             Rgb(128, 128, 128), Rgb(128, 128, 128), Rgb(128, 128, 128)};
        break;
    case tsOffice2007Luna:
        L = {Rgb(208, 222, 240), Rgb(208, 222, 240), Rgb(227, 239, 255),
             Rgb(227, 239, 255), Rgb(208, 222, 240), Rgb(227, 239, 255),
             Rgb(227, 239, 255), Rgb(8, 55, 114),    Rgb(8, 55, 114)};
        break;
    case tsOffice2007Obsidian:
        L = {Rgb(76, 83, 92),    Rgb(240, 241, 242), Rgb(76, 83, 92),
             Rgb(76, 83, 92),    Rgb(240, 241, 242), Rgb(227, 239, 255),
             Rgb(227, 239, 255), Rgb(240, 241, 242), Rgb(240, 241, 242)};
        A->AMPMFont()->SetColor(Rgb(240, 241, 242));
        break;
    case tsWindowsXP:
        L = {clBtnFace, 0, clBtnFace, clBtnFace, 0, 0, 0, 0, 0};
        break;
    case tsWhidbey:
        L = {Rgb(250, 249, 245), Rgb(152, 152, 126), Rgb(250, 249, 245),
             Rgb(250, 249, 245), Rgb(152, 152, 126), Rgb(152, 152, 126),
             Rgb(152, 152, 126), Rgb(152, 152, 126), Rgb(152, 152, 126)};
        break;
    case tsOffice2007Silver:
        L = {Rgb(241, 244, 248), Rgb(219, 224, 232), Rgb(241, 244, 248),
             Rgb(241, 244, 248), Rgb(219, 224, 232), Rgb(219, 224, 232),
             Rgb(111, 112, 116), Rgb(111, 112, 116), Rgb(111, 112, 116)};
        break;
    case tsWindowsVista:
        L = {Rgb(249, 253, 255), Rgb(154, 223, 254), Rgb(249, 253, 255),
             Rgb(240, 250, 255), Rgb(154, 223, 254), Rgb(154, 223, 254),
             Rgb(154, 223, 254), Rgb(154, 223, 254), Rgb(154, 223, 254)};
        break;
    case tsWindows7:
        L = {Rgb(250, 251, 253), Rgb(184, 214, 251), Rgb(250, 251, 253),
             Rgb(235, 243, 253), Rgb(184, 214, 251), Rgb(184, 214, 251),
             Rgb(184, 214, 251), Rgb(184, 214, 251), Rgb(184, 214, 251)};
        break;
    case tsTerminal:
        L = {clBtnFace,          Rgb(128, 128, 128), clBtnFace,
             clBtnFace,          Rgb(128, 128, 128), Rgb(128, 128, 128),
             Rgb(128, 128, 128), Rgb(128, 128, 128), Rgb(128, 128, 128)};
        break;
    }
    A->StoreAMPMColors(L.AMPM, L.AMPMBorder);
    A->SetBackgroundColor(L.Back);
    A->SetBackgroundColorTo(L.BackTo);
    A->SetBorderColor(L.Border);
    A->SetCenterPointBorderColor(L.CenterBorder);
    A->SetCenterPointColor(L.Center);
    A->SetHourColor(L.Marks);
    A->SetMinuteColor(L.Marks);
    A->SetHourPointer(L.Marks);
    A->SetMinutePointer(L.Marks);
    A->SetSecondPointer(L.Second);
    A->SetHourPointerShadow(Rgb(255, 255, 255));
    A->SetMinutePointerShadow(Rgb(255, 255, 255));
    if (Style == tsOffice2007Obsidian)
        A->HourFont()->SetColor(Rgb(240, 241, 242));
}
