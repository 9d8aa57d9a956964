#include "platform/rtl/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <vector>

namespace {

// A thread whose Execute is a function of the test.
class TTestThread : public TThread {
public:
    using TBody = std::function<void(TTestThread&)>;
    TTestThread(bool CreateSuspended, TBody Body, std::atomic<bool>* Destroyed = nullptr)
        : TThread(CreateSuspended), FBody(std::move(Body)), FDestroyed(Destroyed)
    {
    }
    ~TTestThread() override
    {
        if (FDestroyed)
            *FDestroyed = true;
    }
    using TThread::Queue;
    using TThread::SetReturnValue;
    using TThread::Synchronize;

protected:
    void Execute() override { FBody(*this); }

private:
    TBody FBody;
    std::atomic<bool>* FDestroyed;
};

TEST(Thread, RunsExecuteAndReportsOnTheMainThread)
{
    ASSERT_EQ(GetCurrentThreadId(), MainThreadID);
    std::atomic<TThreadID> executedOn{0};
    TThreadID terminatedOn = 0;
    auto* thread = New<TTestThread>(true, [&](TTestThread& t) {
        executedOn = GetCurrentThreadId();
        t.SetReturnValue(7);
    });
    thread->OnTerminate = [&](TObject* Sender) {
        EXPECT_EQ(Sender, thread);
        terminatedOn = GetCurrentThreadId();
    };
    thread->Start();
    EXPECT_EQ(thread->WaitFor(), 7u);
    EXPECT_TRUE(thread->Finished());
    EXPECT_NE(executedOn.load(), MainThreadID);
    EXPECT_EQ(executedOn.load(), thread->ThreadID());
    EXPECT_EQ(terminatedOn, MainThreadID);
    EXPECT_FALSE(thread->FatalException());
    thread->Free();
}

TEST(Thread, SuspendedThreadWaitsForStartAndStartsOnce)
{
    std::atomic<bool> ran{false};
    auto* thread = New<TTestThread>(true, [&](TTestThread&) { ran = true; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(ran.load());
    EXPECT_THROW(thread->WaitFor(), EThread);
    thread->Start();
    EXPECT_THROW(thread->Start(), EThread);
    thread->Resume(); // harmless on a started thread
    thread->WaitFor();
    EXPECT_TRUE(ran.load());
    thread->Free();
}

TEST(Thread, FreeTerminatesAndWaitsWhileTheObjectIsWhole)
{
    std::atomic<int> loops{0};
    std::atomic<bool> destroyed{false};
    auto* thread = New<TTestThread>(
        false,
        [&](TTestThread& t) {
            while (!t.Terminated()) {
                ++loops;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        },
        &destroyed);
    while (loops == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    thread->Free();
    EXPECT_TRUE(destroyed.load());
}

TEST(Thread, FreeOnTerminateDeletesItself)
{
    std::atomic<bool> destroyed{false};
    TSimpleEvent go;
    auto* thread = New<TTestThread>(
        true, [&](TTestThread&) { go.WaitFor(); }, &destroyed);
    thread->SetFreeOnTerminate(true);
    thread->Start();
    EXPECT_THROW(thread->WaitFor(), EThread);
    go.SetEvent();
    for (int i = 0; i < 2000 && !destroyed; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(destroyed.load());
}

TEST(Thread, AnExceptionEscapingExecuteIsKept)
{
    auto* thread = New<TTestThread>(false, [](TTestThread&) { throw std::runtime_error("boom"); });
    thread->WaitFor();
    ASSERT_TRUE(thread->FatalException());
    EXPECT_THROW(std::rethrow_exception(thread->FatalException()), std::runtime_error);
    thread->Free();
}

TEST(Synchronize, RunsOnTheMainThreadAndCarriesExceptionsBack)
{
    std::vector<TThreadID> ranOn;
    std::atomic<bool> caught{false};
    auto* thread = New<TTestThread>(false, [&](TTestThread& t) {
        t.Synchronize([&] { ranOn.push_back(GetCurrentThreadId()); });
        try {
            t.Synchronize([] { throw EConvertError("bad"); });
        } catch (const EConvertError& e) {
            caught = e.Message() == "bad";
        }
        EXPECT_FALSE(CheckSynchronize()); // not the main thread: nothing runs here
    });
    thread->WaitFor(); // serves the calls while it waits
    EXPECT_EQ(ranOn, std::vector<TThreadID>{MainThreadID});
    EXPECT_TRUE(caught.load());
    thread->Free();

    // On the main thread a call runs at once.
    bool direct = false;
    TThread::Synchronize(nullptr, [&] { direct = true; });
    EXPECT_TRUE(direct);
}

TEST(Synchronize, TheInstalledDispatcherIsWokenForEveryCall)
{
    std::atomic<int> wakes{0};
    TSimpleEvent woken;
    SetMainThreadDispatcher([&] {
        ++wakes;
        woken.SetEvent();
    });
    std::vector<int> order;
    auto* thread = New<TTestThread>(false, [&](TTestThread& t) {
        t.Queue([&] { order.push_back(1); });
        t.Queue([&] { order.push_back(2); });
        t.Synchronize([&] { order.push_back(3); });
    });
    // A stand-in for the message loop: run the queue whenever the dispatcher is woken.
    while (order.size() < 3) {
        ASSERT_EQ(woken.WaitFor(5000), wrSignaled);
        woken.ResetEvent();
        CheckSynchronize();
    }
    thread->WaitFor();
    thread->Free();
    SetMainThreadDispatcher(nullptr);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_GE(wakes.load(), 3);
}

TEST(Synchronize, AQueuedCallThatRaisesLeavesTheRestQueued)
{
    std::vector<int> order;
    auto* thread = New<TTestThread>(false, [&](TTestThread& t) {
        t.Queue([] { throw EAbort("stop"); });
        t.Queue([&] { order.push_back(2); });
    });
    while (!thread->Finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_THROW(CheckSynchronize(), EAbort);
    EXPECT_TRUE(CheckSynchronize());
    EXPECT_EQ(order, std::vector<int>{2});
    EXPECT_FALSE(CheckSynchronize());
    thread->Free();
}

TEST(Event, ManualAndAutoResetAndTimeouts)
{
    TEvent manual(nullptr, true, false, "");
    EXPECT_EQ(manual.WaitFor(10), wrTimeout);
    manual.SetEvent();
    EXPECT_EQ(manual.WaitFor(0), wrSignaled);
    EXPECT_EQ(manual.WaitFor(0), wrSignaled); // stays signalled
    manual.ResetEvent();
    EXPECT_EQ(manual.WaitFor(0), wrTimeout);

    TEvent automatic(nullptr, false, true, "");
    EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
    EXPECT_EQ(automatic.WaitFor(0), wrTimeout); // reset by the wait

    // An auto-reset event releases one waiter per signal. A second signal given before a waiter
    // took the first is lost by design, so each signal waits until its waiter has been released.
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (automatic.WaitFor(30000) == wrSignaled)
                ++released;
        });
    for (int i = 0; i < 3; ++i) {
        automatic.SetEvent();
        for (int spins = 0; released.load() <= i && spins < 30000; ++spins)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (auto& w : waiters)
        w.join();
    EXPECT_EQ(released.load(), 3);
}

TEST(CriticalSection, IsReentrantAndExcludesOtherThreads)
{
    TCriticalSection lock;
    lock.Enter();
    lock.Acquire(); // the holder may enter again
    std::atomic<bool> otherGotIn{false};
    std::thread other([&] { otherGotIn = lock.TryEnter(); });
    other.join();
    EXPECT_FALSE(otherGotIn.load());
    lock.Release();
    lock.Leave();

    long counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                lock.Enter();
                ++counter;
                lock.Leave();
            }
        });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(counter, 40000);
}

} // namespace
