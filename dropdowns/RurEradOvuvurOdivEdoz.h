#pragma once

// The analogue watch: an owner-drawn clock face with tick marks, hour numbers, an AM/PM box and
// hour, minute and second hands. It runs as a live clock (the current time plus an offset) or
// shows a set time that the user changes with the mouse and, through its owner, the keyboard;
// hand movements towards a newly chosen hour or minute are animated on a timer.

#include "RudUvud/support/VadStyleIF.h"

#include "platform/forms/Controls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Graphics.h"
#include "platform/win/Colors.h"

#include <functional>
#include <memory>

enum TAMPMFrame { apRect, apRoundRect };
enum TWatchGradient { wgRadial, wgVertical, wgDiagonalForward, wgDiagonalBackward };
enum THourMarkStyle { hmsLine, hmsQuartDblLine };
enum TPointerStyle { psLine, psShortLine, psPointer, psLineArrow };
enum TWatchShape { wsCircle, wsRect, wsRoundRect };
enum TTickMarks { tmAll, tmHours, tmQuartHours, tmNone };

// The look of the watch. Every change notifies OnChange (the watch repaints).
class TWatchAppearance : public TPersistent {
public:
    TWatchAppearance();
    ~TWatchAppearance() override;
    void Assign(TPersistent* Source) override;

#define WATCH_PROP(Type, Name)                                                                               \
    Type Name() const                                                                                        \
    {                                                                                                        \
        return F##Name;                                                                                      \
    }                                                                                                        \
    void Set##Name(Type Value);
    WATCH_PROP(TColor, AMPMBorderColor)
    WATCH_PROP(TColor, AMPMColor)
    WATCH_PROP(TAMPMFrame, AMPMFrame)
    WATCH_PROP(TColor, BorderColor)
    WATCH_PROP(Integer, BorderWidth)
    WATCH_PROP(TColor, BackgroundColor)
    WATCH_PROP(TColor, BackgroundColorTo)
    WATCH_PROP(TWatchGradient, BackgroundGradient)
    WATCH_PROP(TColor, CenterPointBorderColor)
    WATCH_PROP(TColor, CenterPointOuterBorderColor)
    WATCH_PROP(TColor, CenterPointColor)
    WATCH_PROP(Byte, CenterPointSize)
    WATCH_PROP(TColor, HourColor)
    WATCH_PROP(Byte, HourMarkLength)
    WATCH_PROP(Byte, HourMarkWidth)
    WATCH_PROP(THourMarkStyle, HourMarkStyle)
    WATCH_PROP(TColor, HourPointer)
    WATCH_PROP(TColor, HourPointerShadow)
    WATCH_PROP(Byte, HourPointerSize)
    WATCH_PROP(TColor, MinuteColor)
    WATCH_PROP(TColor, MinutePointer)
    WATCH_PROP(TColor, MinutePointerShadow)
    WATCH_PROP(Byte, MinutePointerSize)
    WATCH_PROP(Byte, MinuteMarkLength)
    WATCH_PROP(Byte, MinuteMarkWidth)
    WATCH_PROP(TPointerStyle, PointerStyle)
    WATCH_PROP(TColor, SecondPointer)
    WATCH_PROP(TColor, SecondPointerShadow)
    WATCH_PROP(Byte, SecondPointerSize)
    WATCH_PROP(TWatchShape, Shape)
    WATCH_PROP(Integer, Size)
    WATCH_PROP(TTickMarks, TickMarks)
#undef WATCH_PROP

    TFont* AMPMFont() const
    {
        return FAMPMFont.get();
    }
    void SetAMPMFont(TFont* Value);
    TFont* HourFont() const
    {
        return FHourFont.get();
    }
    void SetHourFont(TFont* Value);
    TPicture* Picture() const
    {
        return FPicture.get();
    }
    void SetPicture(TPicture* Value);

    // Stored without a change notification (the component looks set them so).
    void StoreAMPMColors(TColor Color, TColor BorderColor)
    {
        FAMPMColor = Color;
        FAMPMBorderColor = BorderColor;
    }

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    std::unique_ptr<TFont> FAMPMFont;
    std::unique_ptr<TFont> FHourFont;
    std::unique_ptr<TPicture> FPicture;
    TColor FAMPMBorderColor = 0;
    TColor FAMPMColor = 0xFFFFFF;
    TAMPMFrame FAMPMFrame = apRect;
    TColor FBorderColor = 0;
    Integer FBorderWidth = 4;
    TColor FBackgroundColor = 0xFFFFFF;
    TColor FBackgroundColorTo;
    TWatchGradient FBackgroundGradient = wgVertical;
    TColor FCenterPointBorderColor;
    TColor FCenterPointOuterBorderColor;
    TColor FCenterPointColor = 0;
    Byte FCenterPointSize = 4;
    TColor FHourColor = 0;
    Byte FHourMarkLength = 0;
    Byte FHourMarkWidth = 1;
    THourMarkStyle FHourMarkStyle = hmsLine;
    TColor FHourPointer = 0;
    TColor FHourPointerShadow;
    Byte FHourPointerSize = 4;
    TColor FMinuteColor = 0x808080;
    TColor FMinutePointer = 0;
    TColor FMinutePointerShadow;
    Byte FMinutePointerSize = 3;
    Byte FMinuteMarkLength = 0;
    Byte FMinuteMarkWidth = 1;
    TPointerStyle FPointerStyle = psLine;
    TColor FSecondPointer = 0x0000FF;
    TColor FSecondPointerShadow;
    Byte FSecondPointerSize = 1;
    TWatchShape FShape = wsCircle;
    Integer FSize = 0;
    TTickMarks FTickMarks = tmAll;
};

// The behaviour of the watch: live clock or set time.
class TWatchSettings : public TPersistent {
public:
    void Assign(TPersistent* Source) override;
    bool Auto() const { return FAuto; }
    void SetAuto(bool Value);
    Integer TimeOffset() const { return FTimeOffset; }
    void SetTimeOffset(Integer Value);
    bool Second() const { return FSecond; }
    void SetSeconds(bool Value);

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    bool FAuto = false;
    Integer FTimeOffset = 0;
    bool FSecond = true;
};

class TVadWatch : public TCustomControl, public RUZIVazov {
public:
    explicit TVadWatch(TComponent* AOwner);
    ~TVadWatch() override;
    void AfterConstruction() override;

    bool Animation() const { return FAnimation; }
    void SetAnimation(bool Value) { FAnimation = Value; }
    // Each step covers 1/AnimationFactor of the remaining distance (values below 1 count as 1).
    Integer AnimationFactor() const { return FAnimationFactor; }
    void SetAnimationFactor(Integer Value) { FAnimationFactor = Value; }
    TWatchAppearance* Appearance() const { return FAppearance.get(); }
    void SetAppearance(TWatchAppearance* Value) { FAppearance->Assign(Value); }
    TWatchSettings* Settings() const { return FSettings.get(); }
    void SetSettings(TWatchSettings* Value) { FSettings->Assign(Value); }
    TDateTime Time() const { return FTime; }
    void SetTime(TDateTime Value);
    bool ShowAMPM() const { return FShowAMPM; }
    void SetShowAMPM(bool Value);
    bool ShowNumbers() const { return FShowNumbers; }
    void SetShowNumbers(bool Value);
    bool IsAM() const { return FIsAM; }

    // Fires when a change of the hour or minute is complete (at the end of an animation).
    TNotifyEvent OnChange;

    // For an owner that hides the watch (a closing popup): a hand movement under way reaches
    // its target at once (OnChange fires) and the live clock stops, so that no timer of a
    // watch nobody sees keeps running. ResumeClock starts the live clock again (with
    // Settings->Auto()).
    void StopTimers();
    void ResumeClock();
    bool TimersRunning() const;

    // Geometry.
    TRect GetWatchRect();
    TPoint GetCenterPoint();
    Double GetRadius();
    TRect GetInnerRect();
    Integer GetWatchBorderWidth() const { return FAppearance->BorderWidth(); }
    TRect GetAMPMRect();

    // Time.
    TDateTime GetDisplayTime() const;
    void SetTimeDirect(TDateTime Value);
    void SetHour(Byte H);
    void SetMinute(Byte M);
    void SetAM(bool Value);

    // Drawing; each routine does nothing without a canvas.
    void UpdateCache();
    void RepaintTime();
    void InvalidateWatch() { Invalidate(); }
    void DrawBackground(TCanvas* ACanvas, const TRect& R);
    void DrawContent(TCanvas* ACanvas);
    void DrawTickMarks(TCanvas* ACanvas);
    void DrawNumbers(TCanvas* ACanvas);
    void DrawAMPM(TCanvas* ACanvas);
    void DrawNeedles(TCanvas* ACanvas);

    // Input. The owner hands keys on; the watch reads none itself.
    Integer GetXYToHour(Integer X, Integer Y);
    Integer GetXYToMinute(Integer X, Integer Y);
    void HandleKey(Byte Key);

    void SetComponentStyle(ZEDAVozor Style) override;

    // Waits between the frames of the AM/PM roll (10 ms each); tests replace it.
    static std::function<void(int)>& FrameDelay();

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void WndProc(TMessage& Message) override;

private:
    void OnAppearanceChanged(TObject* Sender);
    void OnSettingsChanged(TObject* Sender);
    void OnWatchTimerTime(TObject* Sender) { RepaintTime(); }
    void OnAnimationTimerTime(TObject* Sender);
    bool CanAnimate() const;
    void SetHourImmediate(Byte H);
    void SetMinuteImmediate(Byte M);
    void SetAMQuiet(bool Value);
    void DrawAMPMFrame(TCanvas* ACanvas, const TRect& R);
    void RollAMPM();
    void DoChange();

    std::unique_ptr<TWatchAppearance> FAppearance;
    std::unique_ptr<TWatchSettings> FSettings;
    std::unique_ptr<TBitmap> FBackgroundCache;
    TTimer* FTickTimer = nullptr;
    TTimer* FStepTimer = nullptr;
    bool FAnimation = true;
    Integer FAnimationFactor = 10;
    TDateTime FTime = 0;
    bool FShowAMPM = true;
    bool FShowNumbers = true;
    Byte FHourTarget = 0;
    Byte FMinuteTarget = 0;
    Byte FMinuteOrigin = 0;
    bool FAnimatingHour = false;
    bool FImmediate = false;
    // Set while an animation step moves a hand on its way: no change is complete yet.
    bool FInStep = false;
    bool FIsAM = true;
    bool FQuietAM = false;
};

// The watch's palette of a component style put into an appearance (tsCustom changes nothing).
void SetWatchAppearanceStyle(TWatchAppearance* Appearance, ZEDAVozor Style);
// Whether P lies in the ellipse inscribed in the rectangle.
bool PointInEllipse(const TPoint& P, Integer Left, Integer Top, Integer Right, Integer Bottom);
// The picture unscaled at the rectangle's top-left, clipped to it, its transparent colour left
// out. Nothing for an empty picture.
void DrawWatchPicture(TCanvas* ACanvas, TPicture* Picture, const TRect& R);
// Move Cur one step (at least 1) towards Target; false when it arrived (Cur = Target).
bool StepHourTowards(Integer& Cur, Integer Target, Integer Step, Integer Min);
// As the hour, but passing 59 to 0 moves forward (Target 0 from beyond the half hour).
bool StepMinuteTowards(Integer& Cur, Integer Target, Integer Step, Integer Min);
