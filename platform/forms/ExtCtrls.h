#pragma once

// The timer component: OnTimer every Interval milliseconds while Enabled.

#include "platform/rtl/Components.h"
#include "platform/win/Windows.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner) : TComponent(AOwner) {}
    ~TTimer() override;
    void AfterConstruction() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // Milliseconds; 0 stops the timer.
    Cardinal Interval() const { return FInterval; }
    void SetInterval(Cardinal Value);

    // An exception escaping OnTimer is shown by the application; the timer keeps running.
    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    static void TimerProc(HWND, UINT, UINT_PTR, DWORD);
    bool FEnabled = true;
    Cardinal FInterval = 1000;
    UINT_PTR FTimerId = 0;
};
