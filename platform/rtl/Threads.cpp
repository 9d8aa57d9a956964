#include "platform/rtl/Threads.h"
#include "platform/rtl/Guards.h"

#include <chrono>
#include <deque>
#include <memory>
#include <unistd.h>

namespace {

// One call handed to the main thread. A synchronous one is waited for by its caller, who also
// receives the exception it raised.
struct TSyncEntry {
    TThreadMethod Method;
    bool Synchronous = false;
    bool Done = false;
    std::exception_ptr Error;
};

struct TSyncQueue {
    std::mutex Mutex;
    std::condition_variable Arrived;   // the main thread waits here for calls
    std::condition_variable Completed; // callers of Synchronize wait here
    std::deque<std::shared_ptr<TSyncEntry>> Entries;
    std::function<void()> Wake;
    // Bumped when something the main thread may be waiting for happens other than a new call
    // (a thread finished); lets CheckSynchronize return early.
    unsigned Pokes = 0;
};

// Never destroyed: worker threads may still reach it while static objects are torn down.
TSyncQueue& SyncQueue()
{
    static auto* queue = new TSyncQueue;
    return *queue;
}

void Enqueue(const std::shared_ptr<TSyncEntry>& Entry)
{
    TSyncQueue& queue = SyncQueue();
    std::function<void()> wake;
    {
        std::lock_guard lock(queue.Mutex);
        queue.Entries.push_back(Entry);
        wake = queue.Wake;
    }
    queue.Arrived.notify_all();
    if (wake)
        wake();
}

void PokeMainThread()
{
    TSyncQueue& queue = SyncQueue();
    {
        std::lock_guard lock(queue.Mutex);
        ++queue.Pokes;
    }
    queue.Arrived.notify_all();
}

} // namespace

TThreadID GetCurrentThreadId()
{
    return static_cast<TThreadID>(gettid());
}

const TThreadID MainThreadID = GetCurrentThreadId();

void SetMainThreadDispatcher(std::function<void()> Wake)
{
    TSyncQueue& queue = SyncQueue();
    std::lock_guard lock(queue.Mutex);
    queue.Wake = std::move(Wake);
}

bool CheckSynchronize(Cardinal Timeout)
{
    if (GetCurrentThreadId() != MainThreadID)
        return false;
    TSyncQueue& queue = SyncQueue();
    std::deque<std::shared_ptr<TSyncEntry>> batch;
    {
        std::unique_lock lock(queue.Mutex);
        if (queue.Entries.empty() && Timeout > 0) {
            unsigned pokes = queue.Pokes;
            auto ready = [&] { return !queue.Entries.empty() || queue.Pokes != pokes; };
            if (Timeout == INFINITE)
                queue.Arrived.wait(lock, ready);
            else
                queue.Arrived.wait_for(lock, std::chrono::milliseconds(Timeout), ready);
        }
        batch.swap(queue.Entries);
    }
    if (batch.empty())
        return false;
    while (!batch.empty()) {
        std::shared_ptr<TSyncEntry> entry = batch.front();
        batch.pop_front();
        if (entry->Synchronous) {
            try {
                entry->Method();
            } catch (...) {
                // Raised again in the thread that called Synchronize and waits for the method.
                entry->Error = std::current_exception();
            }
            {
                std::lock_guard lock(queue.Mutex);
                entry->Done = true;
            }
            queue.Completed.notify_all();
        } else {
            // A queued call has nobody waiting for it: its exception goes to whoever runs the
            // queue (the message loop shows it). The calls behind it keep their turn.
            TScopeExit RequeueRest([&queue, &batch] {
                std::lock_guard lock(queue.Mutex);
                queue.Entries.insert(queue.Entries.begin(), batch.begin(), batch.end());
            });
            entry->Method();
            RequeueRest.Dismiss();
        }
    }
    return true;
}

// ---- TThread ----------------------------------------------------------------------------------

TThread::TThread(bool CreateSuspended) : FCreateSuspended(CreateSuspended) {}

TThread::~TThread()
{
    TerminateAndWait();
}

void TThread::AfterConstruction()
{
    TObject::AfterConstruction();
    if (!FCreateSuspended)
        Start();
}

void TThread::BeforeDestruction()
{
    TerminateAndWait();
    TObject::BeforeDestruction();
}

void TThread::TerminateAndWait()
{
    if (!FThread.joinable())
        return;
    if (GetCurrentThreadId() == FThreadID) {
        // Freed from its own Execute: nothing to wait for, the thread ends with this call.
        FThread.detach();
        return;
    }
    Terminate();
    try {
        WaitFor();
    } catch (...) {
        // A destructor raises nothing: the thread's own error is its FatalException.
    }
    if (FThread.joinable())
        FThread.join();
}

void TThread::Start()
{
    if (FStarted)
        throw EThread("Cannot call Start on a running or suspended thread");
    FStarted = true;
    FThread = std::thread(&TThread::Run, this);
}

void TThread::Resume()
{
    if (!FStarted)
        Start();
}

void TThread::Terminate()
{
    FTerminated = true;
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize([this] { OnTerminate(this); });
}

void TThread::Run()
{
    FThreadID = GetCurrentThreadId();
    if (!FTerminated) {
        try {
            Execute();
        } catch (...) {
            // The thread's entry: what Execute raises is kept as FatalException, never lost.
            FFatalException = std::current_exception();
        }
    }
    try {
        DoTerminate();
    } catch (...) {
        // Still the thread's entry: the first error is the one kept.
        if (!FFatalException)
            FFatalException = std::current_exception();
    }
    if (FFreeOnTerminate) {
        FThread.detach();
        Free();
        return;
    }
    {
        std::lock_guard lock(FMutex);
        FFinished = true;
    }
    FDone.notify_all();
    PokeMainThread();
}

LongWord TThread::WaitFor()
{
    if (FFreeOnTerminate)
        throw EThread("Cannot wait for a thread that frees itself");
    if (!FStarted)
        throw EThread("Cannot wait for a thread that was not started");
    if (GetCurrentThreadId() == FThreadID)
        throw EThread("A thread cannot wait for itself");
    if (GetCurrentThreadId() == MainThreadID) {
        // The thread may be waiting in Synchronize for this very thread: keep serving it.
        while (!FFinished)
            CheckSynchronize(50);
    } else {
        std::unique_lock lock(FMutex);
        FDone.wait(lock, [this] { return FFinished.load(); });
    }
    if (FThread.joinable())
        FThread.join();
    return FReturnValue;
}

void TThread::Synchronize(TThread*, TThreadMethod Method)
{
    if (GetCurrentThreadId() == MainThreadID) {
        Method();
        return;
    }
    auto entry = std::make_shared<TSyncEntry>();
    entry->Method = std::move(Method);
    entry->Synchronous = true;
    Enqueue(entry);
    TSyncQueue& queue = SyncQueue();
    std::exception_ptr error;
    {
        std::unique_lock lock(queue.Mutex);
        queue.Completed.wait(lock, [&] { return entry->Done; });
        // Take the exception out: the entry may die on the main thread, the exception lives here.
        error = std::move(entry->Error);
    }
    if (error)
        std::rethrow_exception(error);
}

void TThread::Queue(TThread*, TThreadMethod Method)
{
    if (GetCurrentThreadId() == MainThreadID) {
        Method();
        return;
    }
    auto entry = std::make_shared<TSyncEntry>();
    entry->Method = std::move(Method);
    Enqueue(entry);
}

// ---- TEvent -----------------------------------------------------------------------------------

TEvent::TEvent(void*, bool ManualReset, bool InitialState, const AnsiString&)
    : FManualReset(ManualReset), FSignaled(InitialState)
{
}

void TEvent::SetEvent()
{
    {
        std::lock_guard lock(FMutex);
        FSignaled = true;
    }
    if (FManualReset)
        FCondition.notify_all();
    else
        FCondition.notify_one();
}

void TEvent::ResetEvent()
{
    std::lock_guard lock(FMutex);
    FSignaled = false;
}

TWaitResult TEvent::WaitFor(Cardinal Timeout)
{
    std::unique_lock lock(FMutex);
    auto signaled = [this] { return FSignaled; };
    if (Timeout == INFINITE)
        FCondition.wait(lock, signaled);
    else if (!FCondition.wait_for(lock, std::chrono::milliseconds(Timeout), signaled))
        return wrTimeout;
    if (!FManualReset)
        FSignaled = false;
    return wrSignaled;
}
