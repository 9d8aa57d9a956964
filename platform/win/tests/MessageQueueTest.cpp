// Sent and posted messages, their order, other threads, the quit message, timers on the clock
// and registered message names.

#include "WindowTestSupport.h"

#include "platform/rtl/Threads.h"

#include <atomic>
#include <thread>

using namespace wintest;

namespace {

class MessageQueueTest : public WindowTest {};

std::vector<WPARAM> UserParams(UINT msg = WM_USER)
{
    std::vector<WPARAM> out;
    for (const Entry& e : Log())
        if (e.Msg == msg)
            out.push_back(e.WParam);
    return out;
}

TEST_F(MessageQueueTest, PostedMessagesArriveInOrderAfterSentOnesWhichRunAtOnce)
{
    HWND h = Top(0, 0, 10, 10, WS_POPUP);
    PostMessage(h, WM_USER, 1, 0);
    PostMessage(h, WM_USER, 2, 0);
    EXPECT_EQ(SendMessage(h, WM_USER, 3, 0), 0);
    EXPECT_EQ(UserParams(), (std::vector<WPARAM>{3}));
    Pump();
    EXPECT_EQ(UserParams(), (std::vector<WPARAM>{3, 1, 2}));
}

TEST_F(MessageQueueTest, MessagesPostedToAWindowThatIsDestroyedAreDropped)
{
    HWND a = Top(0, 0, 10, 10, WS_POPUP);
    HWND b = Top(0, 0, 10, 10, WS_POPUP);
    PostMessage(a, WM_USER, 1, 0);
    PostMessage(b, WM_USER, 2, 0);
    DestroyWindow(a);
    EXPECT_FALSE(PostMessage(a, WM_USER, 3, 0));
    HWND c = Top(0, 0, 10, 10, WS_POPUP); // a new window never inherits them
    Log().clear();
    Pump();
    EXPECT_EQ(UserParams(), (std::vector<WPARAM>{2}));
    EXPECT_NE(c, a);
}

TEST_F(MessageQueueTest, PostsFromAnotherThreadKeepTheirOrder)
{
    HWND h = Top(0, 0, 10, 10, WS_POPUP);
    constexpr int count = 2000;
    std::thread worker([h] {
        for (int i = 0; i < count; ++i)
            PostMessage(h, WM_USER, WPARAM(i), 0);
    });
    std::vector<WPARAM> received;
    CurrentHandler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == WM_USER)
            received.push_back(w);
        return false;
    };
    // GetMessage waits for the worker's messages.
    MSG m;
    while (int(received.size()) < count && GetMessage(&m, nullptr, 0, 0))
        DispatchMessage(&m);
    worker.join();
    ASSERT_EQ(int(received.size()), count);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(received[std::size_t(i)], WPARAM(i));
}

TEST_F(MessageQueueTest, SendFromAnotherThreadRunsOnTheUserInterfaceThreadAndReturnsTheResult)
{
    HWND h = Top(0, 0, 10, 10, WS_POPUP);
    TThreadID handledOn = 0;
    CurrentHandler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT& r) {
        if (m != WM_USER)
            return false;
        handledOn = GetCurrentThreadId();
        r = LRESULT(w * 2);
        return true;
    };
    std::atomic<LRESULT> result{0};
    std::thread worker([&] { result = SendMessage(h, WM_USER, 21, 0); });
    MSG m;
    while (result == 0) {
        if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&m);
        else
            std::this_thread::yield();
    }
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(handledOn, MainThreadID);
}

TEST_F(MessageQueueTest, SynchronizedCallsRunFromTheMessageLoop)
{
    std::atomic<bool> done{false};
    TThreadID ranOn = 0;
    std::thread worker([&] {
        TThread::Synchronize(nullptr, [&] { ranOn = GetCurrentThreadId(); });
        done = true;
        PostQuitMessage(0); // wakes the loop below
    });
    MSG m;
    while (!done && GetMessage(&m, nullptr, 0, 0))
        DispatchMessage(&m);
    worker.join();
    EXPECT_EQ(ranOn, MainThreadID);
}

TEST_F(MessageQueueTest, QuitEndsGetMessageWithItsExitCode)
{
    PostQuitMessage(7);
    MSG m;
    EXPECT_FALSE(GetMessage(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, UINT(WM_QUIT));
    EXPECT_EQ(m.wParam, WPARAM(7));
}

TEST_F(MessageQueueTest, TimersFireOnTheVirtualClockOnlyWhenNothingElseWaits)
{
    HWND h = Top(0, 0, 10, 10, WS_POPUP);
    SetTimer(h, 111, 500, nullptr);
    SetTimer(h, 999, 100, nullptr);
    Pump();
    EXPECT_TRUE(UserParams(WM_TIMER).empty());
    Advance(100);
    PostMessage(h, WM_USER, 1, 0);
    Pump();
    // The posted message comes first; the timer only when the queue is empty.
    EXPECT_EQ(Trace({{h, "h"}}, {WM_USER, WM_TIMER}), (std::vector<std::string>{"h:WM_USER", "h:WM_TIMER"}));
    EXPECT_EQ(UserParams(WM_TIMER), (std::vector<WPARAM>{999}));
    // Late by several periods, a timer fires once.
    Log().clear();
    Advance(1000);
    Pump();
    EXPECT_EQ(UserParams(WM_TIMER), (std::vector<WPARAM>{999, 111}));
    KillTimer(h, 999);
    Log().clear();
    Advance(500);
    Pump();
    EXPECT_EQ(UserParams(WM_TIMER), (std::vector<WPARAM>{111}));
    // Setting a timer again restarts it.
    Log().clear();
    Advance(400);
    SetTimer(h, 111, 500, nullptr);
    Advance(400);
    Pump();
    EXPECT_TRUE(UserParams(WM_TIMER).empty());
    // A destroyed window's timers go with it.
    DestroyWindow(h);
    Advance(1000);
    EXPECT_EQ(Pump(), 0);
}

int CallbackCount = 0;
void CountingTimer(HWND, UINT, UINT_PTR, DWORD)
{
    ++CallbackCount;
}

TEST_F(MessageQueueTest, TimerCallbacksRunInsteadOfTheWindowProcedure)
{
    HWND h = Top(0, 0, 10, 10, WS_POPUP);
    CallbackCount = 0;
    SetTimer(h, 1, 20, CountingTimer);
    UINT_PTR threadTimer = SetTimer(nullptr, 0, 20, CountingTimer);
    EXPECT_NE(threadTimer, 0u);
    Advance(20);
    Pump();
    EXPECT_EQ(CallbackCount, 2);
    EXPECT_TRUE(UserParams(WM_TIMER).empty());
    KillTimer(nullptr, threadTimer);
}

TEST_F(MessageQueueTest, RegisteredMessagesAreSharedByNameWithoutCase)
{
    UINT a = RegisterWindowMessage("GridEditDone");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("GRIDEDITDONE"), a);
    EXPECT_NE(RegisterWindowMessage("MSH_SCROLL_LINES_MSG"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(MessageQueueTest, PaintComesAfterPostedMessagesAndAProcedureThatIgnoresItIsNotAskedForever)
{
    HWND h = Top(0, 0, 10, 10);
    Pump();
    Log().clear();
    CurrentHandler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT&) { return m == WM_PAINT; };
    InvalidateRect(h, nullptr, FALSE);
    PostMessage(h, WM_USER, 0, 0);
    EXPECT_LT(Pump(), 10);
    EXPECT_EQ(Trace({{h, "h"}}, {WM_USER, WM_PAINT}), (std::vector<std::string>{"h:WM_USER", "h:WM_PAINT"}));
}

} // namespace
