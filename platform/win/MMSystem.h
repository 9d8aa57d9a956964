#pragma once

// The multimedia timer service: one-shot and periodic timers whose callbacks run on the
// service's own thread (one thread for every timer), as the platform's multimedia timers do.
//
// On the desktop the timers follow the real clock. On a virtual clock (headless runs) they are
// due when the virtual clock reaches them: the message loop hands every due timer to the
// service thread and waits until its callback has returned, so tests step them exactly as they
// step window timers (uitest::AdvanceTime). SetMultimediaTimersRealTime(true) makes them follow
// the real clock there too, for tests of the threads themselves.

#include "platform/win/WinTypes.h"

#include <cstdint>

using MMRESULT = UINT;
using DWORD_PTR = std::uintptr_t;
using LPTIMECALLBACK = void (*)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};

inline constexpr UINT TIME_ONESHOT = 0x0000;
inline constexpr UINT TIME_PERIODIC = 0x0001;
inline constexpr UINT TIME_CALLBACK_FUNCTION = 0x0000;
inline constexpr UINT TIME_KILL_SYNCHRONOUS = 0x0100;
inline constexpr MMRESULT TIMERR_NOERROR = 0;
inline constexpr MMRESULT TIMERR_NOCANDO = 97;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

// Starts a timer of Delay milliseconds (within the periods timeGetDevCaps gives); its id, or 0
// when Delay is out of range or no callback is given. Safe from any thread.
MMRESULT timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser,
                      UINT fuEvent);
// Stops a timer. When its callback is running on the service thread, waits until it has
// returned (unless called from that callback), so nothing of the timer runs afterwards.
// TIMERR_NOCANDO for an id that is not set (a one-shot timer whose callback has begun).
MMRESULT timeKillEvent(UINT uTimerID);
MMRESULT timeGetDevCaps(TIMECAPS* ptc, UINT cbtc);
// Resolution requests: accepted and without effect (the service always keeps its best).
MMRESULT timeBeginPeriod(UINT uPeriod);
MMRESULT timeEndPeriod(UINT uPeriod);

// Test hook (see above).
void SetMultimediaTimersRealTime(bool realTime);

// For the message loop on a virtual clock: the earliest deadline of a running timer (false when
// none or when the timers follow the real clock), and running every timer due at Now.
bool MultimediaTimerDue(std::uint64_t* due);
void RunDueMultimediaTimers(std::uint64_t now);
