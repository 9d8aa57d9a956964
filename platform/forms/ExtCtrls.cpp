#include "platform/forms/ExtCtrls.h"

#include "platform/forms/Forms.h"

#include <map>

namespace {
std::map<UINT_PTR, TTimer*>& Timers()
{
    static std::map<UINT_PTR, TTimer*> Map;
    return Map;
}
} // namespace

TTimer::~TTimer()
{
    FEnabled = false;
    UpdateTimer();
}

void TTimer::AfterConstruction()
{
    TComponent::AfterConstruction();
    UpdateTimer();
}

void TTimer::SetEnabled(bool Value)
{
    if (Value != FEnabled) {
        FEnabled = Value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(Cardinal Value)
{
    if (Value != FInterval) {
        FInterval = Value;
        UpdateTimer();
    }
}

void TTimer::UpdateTimer()
{
    if (FTimerId) {
        KillTimer(nullptr, FTimerId);
        Timers().erase(FTimerId);
        FTimerId = 0;
    }
    if (FEnabled && FInterval > 0 && !ComponentState().Contains(csDesigning) &&
        !ComponentState().Contains(csDestroying)) {
        FTimerId = SetTimer(nullptr, 0, FInterval, TimerProc);
        if (FTimerId)
            Timers()[FTimerId] = this;
    }
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

void TTimer::TimerProc(HWND, UINT, UINT_PTR Id, DWORD)
{
    auto It = Timers().find(Id);
    if (It == Timers().end())
        return;
    TTimer* T = It->second;
    try {
        T->Timer();
    } catch (...) {
        // A timer callback from the window layer: the error is shown here, as the loop would.
        if (Application)
            Application->HandleException(T);
    }
}
