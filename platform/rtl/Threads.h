#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// Threads, critical sections, events, and calls handed to the user-interface thread.
//
// The user-interface thread is the thread that started the program (MainThreadID). Calls that
// other threads hand to it wait in a queue until that thread runs CheckSynchronize. The message
// loop installs a wake-up function with SetMainThreadDispatcher so that it learns of a waiting
// call at once (it posts itself a message and calls CheckSynchronize when it arrives). Until a
// loop installs one, a waiting call is run when the main thread calls CheckSynchronize itself,
// for example while it waits in TThread::WaitFor.

using TThreadID = LongWord;
using TThreadMethod = std::function<void()>;

inline constexpr Cardinal INFINITE = 0xFFFFFFFF;

// The system-wide id of the calling thread.
TThreadID GetCurrentThreadId();
// The id of the thread that started the program (set during static initialisation).
extern const TThreadID MainThreadID;

// Installs the function a worker calls (from its own thread) after queueing a call for the main
// thread; an empty function removes it. Safe from any thread.
void SetMainThreadDispatcher(std::function<void()> Wake);
// Runs the calls waiting for the main thread; only on the main thread (elsewhere it returns
// false at once). Waits up to Timeout milliseconds for a first call when none is waiting.
// Returns true when it ran at least one call.
bool CheckSynchronize(Cardinal Timeout = 0);

class TThread : public TObject {
public:
    // A thread that is not CreateSuspended starts in AfterConstruction, when the object built by
    // New<T> is complete; a suspended one starts with Start.
    explicit TThread(bool CreateSuspended);
    // Terminates the thread and waits for it, unless it frees itself (FreeOnTerminate). Free()
    // does this in BeforeDestruction, while the derived object is still whole; a plain delete
    // reaches it only after the derived destructors have run, so use Free for a running thread.
    ~TThread() override;

    void AfterConstruction() override;
    // Terminates the thread and waits for it while the derived object is still whole.
    void BeforeDestruction() override;

    // Starts a thread created suspended. Raises EThread when it was already started.
    void Start();
    // The older name of Start, for threads never started; does nothing on a running thread.
    void Resume();
    // Asks Execute to finish: Terminated becomes true. Execute polls it.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    bool Finished() const { return FFinished; }
    bool Started() const { return FStarted; }
    // Waits until Execute has returned and OnTerminate has run; returns ReturnValue. On the main
    // thread it keeps running calls that threads hand to it, so a Synchronize cannot deadlock.
    // Raises EThread for a thread that frees itself or waits for itself.
    LongWord WaitFor();

    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    void SetFreeOnTerminate(bool Value) { FFreeOnTerminate = Value; }
    TThreadID ThreadID() const { return FThreadID; }
    LongWord ReturnValue() const { return FReturnValue; }
    // The exception that escaped Execute, if any (it is not raised again).
    std::exception_ptr FatalException() const { return FFatalException; }

    // Runs on the main thread after Execute returns.
    TNotifyEvent OnTerminate;

    // Runs Method on the main thread and waits for it. On the main thread it runs directly. An
    // exception raised by Method is raised again in the calling thread.
    static void Synchronize(TThread* AThread, TThreadMethod Method);
    // Hands Method to the main thread without waiting (runs directly on the main thread).
    static void Queue(TThread* AThread, TThreadMethod Method);

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();
    void Synchronize(TThreadMethod Method) { Synchronize(this, std::move(Method)); }
    void Queue(TThreadMethod Method) { Queue(this, std::move(Method)); }
    void SetReturnValue(LongWord Value) { FReturnValue = Value; }

private:
    void Run();
    void TerminateAndWait();

    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FDone;
    std::atomic<bool> FTerminated{false};
    bool FCreateSuspended;
    std::atomic<bool> FStarted{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FFreeOnTerminate{false};
    std::atomic<TThreadID> FThreadID{0};
    LongWord FReturnValue = 0;
    std::exception_ptr FFatalException;
};

// A re-entrant lock: the thread that holds it may enter it again.
class TCriticalSection : public TObject {
public:
    void Enter() { FMutex.lock(); }
    void Leave() { FMutex.unlock(); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }
    bool TryEnter() { return FMutex.try_lock(); }

private:
    std::recursive_mutex FMutex;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// An event threads wait for. A manual-reset event stays signalled until ResetEvent; an
// auto-reset one releases one waiter and resets itself.
class TEvent : public TObject {
public:
    // Manual reset, not signalled.
    TEvent() : TEvent(nullptr, true, false, AnsiString()) {}
    // EventAttributes and Name are accepted for compatibility; events are not shared between
    // processes.
    TEvent(void* EventAttributes, bool ManualReset, bool InitialState, const AnsiString& Name);

    void SetEvent();
    void ResetEvent();
    // Waits up to Timeout milliseconds (INFINITE: no limit).
    TWaitResult WaitFor(Cardinal Timeout = INFINITE);

private:
    std::mutex FMutex;
    std::condition_variable FCondition;
    bool FManualReset;
    bool FSignaled;
};

class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(nullptr, true, false, AnsiString()) {}
};
