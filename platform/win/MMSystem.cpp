#include "platform/win/MMSystem.h"

#include "platform/win/Backend.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

constexpr UINT PeriodMin = 1;
constexpr UINT PeriodMax = 1000000;

using Clock = std::chrono::steady_clock;

struct MMTimer {
    UINT Delay;
    LPTIMECALLBACK Proc;
    DWORD_PTR User;
    bool Periodic;
    std::uint64_t Due; // milliseconds of the clock the service follows
};

// The service: its thread starts with the first timer and lives until the program ends.
class TimerService {
public:
    static TimerService& Instance()
    {
        static TimerService* S = new TimerService; // never destroyed: its thread may still wait
        return *S;
    }

    UINT Set(UINT delay, LPTIMECALLBACK proc, DWORD_PTR user, bool periodic)
    {
        std::unique_lock<std::mutex> lock(Mutex);
        if (std::this_thread::get_id() != ThreadId)
            NoteBackend();
        StartThread();
        // On a virtual clock a timer set from outside the service counts from the clock's
        // present time (tests may have moved or restarted the clock since the last tick).
        if (Virtual() && std::this_thread::get_id() != ThreadId)
            VirtualNow = Backend().Now();
        UINT id = NextId++;
        if (NextId == 0)
            NextId = 1;
        Timers[id] = MMTimer{delay, proc, user, periodic, NowLocked() + delay};
        Changed.notify_all();
        return id;
    }

    MMRESULT Kill(UINT id)
    {
        std::unique_lock<std::mutex> lock(Mutex);
        // A one-shot timer leaves the table when its callback starts: that callback may still be
        // running and is waited for all the same.
        bool existed = Timers.erase(id) > 0;
        if (!existed && Running != id)
            return TIMERR_NOCANDO;
        // A callback of this timer already under way finishes before the timer counts as gone,
        // unless it is the caller itself.
        if (std::this_thread::get_id() != ThreadId)
            Idle.wait(lock, [&] { return Running != id; });
        return existed ? TIMERR_NOERROR : TIMERR_NOCANDO;
    }

    void SetRealTime(bool realTime)
    {
        std::lock_guard<std::mutex> lock(Mutex);
        ForcedReal = realTime;
        Changed.notify_all();
    }

    // The service thread never asks the backend (tests replace it between runs): the callers'
    // threads note whether its clock is virtual, under the mutex.
    bool Virtual() const { return !ForcedReal && BackendVirtual; }
    void NoteBackend() { BackendVirtual = Backend().IsVirtualClock(); }

    bool EarliestDue(std::uint64_t* due)
    {
        std::lock_guard<std::mutex> lock(Mutex);
        NoteBackend();
        if (!Virtual() || Timers.empty())
            return false;
        std::uint64_t best = UINT64_MAX;
        for (auto& [id, t] : Timers)
            best = std::min(best, t.Due);
        *due = best;
        return true;
    }

    // On a virtual clock: lets the thread run every timer due at Now and waits until it has.
    void RunDue(std::uint64_t now)
    {
        std::unique_lock<std::mutex> lock(Mutex);
        NoteBackend();
        if (!Virtual() || Timers.empty())
            return;
        std::uint64_t earliest = UINT64_MAX;
        for (auto& [id, t] : Timers)
            earliest = std::min(earliest, t.Due);
        if (earliest > now)
            return;
        VirtualNow = std::max(VirtualNow, now);
        ++Requested;
        Changed.notify_all();
        std::uint64_t ticket = Requested;
        Idle.wait(lock, [&] { return Served >= ticket; });
    }

private:
    std::uint64_t NowLocked() const
    {
        if (Virtual())
            return VirtualNow;
        return std::uint64_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
    }

    void StartThread()
    {
        if (Started)
            return;
        Started = true;
        if (Virtual())
            VirtualNow = Backend().Now(); // read on the caller's (user-interface) thread
        std::thread t([this] { Loop(); });
        ThreadId = t.get_id();
        t.detach();
    }

    // The earliest timer due at Now, or 0.
    UINT DueTimer(std::uint64_t now) const
    {
        UINT best = 0;
        std::uint64_t bestDue = 0;
        for (auto& [id, t] : Timers)
            if (t.Due <= now && (best == 0 || t.Due < bestDue)) {
                best = id;
                bestDue = t.Due;
            }
        return best;
    }

    void Loop()
    {
        std::unique_lock<std::mutex> lock(Mutex);
        for (;;) {
            std::uint64_t now = NowLocked();
            if (UINT id = DueTimer(now)) {
                MMTimer t = Timers[id];
                if (t.Periodic)
                    Timers[id].Due = now + t.Delay;
                else
                    Timers.erase(id);
                Running = id;
                lock.unlock();
                t.Proc(id, 0, t.User, 0, 0);
                lock.lock();
                Running = 0;
                Idle.notify_all();
                continue;
            }
            if (Virtual()) {
                // Everything due at the virtual time asked for has run.
                Served = Requested;
                Idle.notify_all();
                Changed.wait(lock);
                continue;
            }
            Served = Requested;
            Idle.notify_all();
            std::uint64_t next = UINT64_MAX;
            for (auto& [id, t] : Timers)
                next = std::min(next, t.Due);
            if (next == UINT64_MAX)
                Changed.wait(lock);
            else
                Changed.wait_for(lock, std::chrono::milliseconds(next - now));
        }
    }

    std::mutex Mutex;
    std::condition_variable Changed; // timers, the clock or the mode changed
    std::condition_variable Idle;    // a callback returned, or a virtual step was served
    std::map<UINT, MMTimer> Timers;
    UINT NextId = 1;
    UINT Running = 0;
    bool Started = false;
    bool ForcedReal = false;
    bool BackendVirtual = false;
    std::thread::id ThreadId;
    std::uint64_t VirtualNow = 0;
    std::uint64_t Requested = 0;
    std::uint64_t Served = 0;
};

} // namespace

MMRESULT timeSetEvent(UINT uDelay, UINT, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser, UINT fuEvent)
{
    if (!lpTimeProc || uDelay < PeriodMin || uDelay > PeriodMax)
        return 0;
    return TimerService::Instance().Set(uDelay, lpTimeProc, dwUser, (fuEvent & TIME_PERIODIC) != 0);
}

MMRESULT timeKillEvent(UINT uTimerID)
{
    return TimerService::Instance().Kill(uTimerID);
}

MMRESULT timeGetDevCaps(TIMECAPS* ptc, UINT cbtc)
{
    if (!ptc || cbtc < sizeof(TIMECAPS))
        return MMSYSERR_INVALPARAM;
    ptc->wPeriodMin = PeriodMin;
    ptc->wPeriodMax = PeriodMax;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT uPeriod)
{
    return uPeriod < PeriodMin || uPeriod > PeriodMax ? TIMERR_NOCANDO : TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT uPeriod)
{
    return timeBeginPeriod(uPeriod);
}

void SetMultimediaTimersRealTime(bool realTime)
{
    TimerService::Instance().SetRealTime(realTime);
}

bool MultimediaTimerDue(std::uint64_t* due)
{
    return TimerService::Instance().EarliestDue(due);
}

void RunDueMultimediaTimers(std::uint64_t now)
{
    TimerService::Instance().RunDue(now);
}
