// Minimize, maximize and restore, owned windows following their owner, and mouse hover
// tracking, driven through the headless harness.

#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// A headless screen with a panel along its bottom edge, recording what the backend is told.
class StateBackend : public HeadlessBackend {
public:
    StateBackend() : HeadlessBackend(TSize{1024, 768}) {}
    TRect WorkArea() const override { return TRect{0, 0, 1024, 728}; }
    void WindowStateChanged(HWND hwnd, UINT sizeType) override { States.push_back({hwnd, sizeType}); }
    void WindowMoved(HWND hwnd, const TRect& r) override { Moves.push_back({hwnd, r}); }
    std::vector<std::pair<HWND, UINT>> States;
    std::vector<std::pair<HWND, TRect>> Moves;
};

LRESULT PlainProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProc(h, m, w, l);
}

class WindowStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        auto b = std::make_unique<StateBackend>();
        Back = b.get();
        InstallBackend(std::move(b));
        ResetWindowLayer();
        static bool registered = false;
        if (!registered) {
            WNDCLASS wc;
            wc.lpfnWndProc = PlainProc;
            wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
            wc.lpszClassName = "StateTestWindow";
            ASSERT_NE(RegisterClass(&wc), 0);
            registered = true;
        }
    }
    void TearDown() override
    {
        ResetWindowLayer();
        InstallBackend(nullptr);
    }

    HWND Make(int x, int y, int w, int h, DWORD style = WS_OVERLAPPEDWINDOW, HWND owner = nullptr)
    {
        HWND hwnd = CreateWindowEx(0, "StateTestWindow", "state", style, x, y, w, h, owner, nullptr, nullptr,
                                   nullptr);
        EXPECT_NE(hwnd, nullptr);
        return hwnd;
    }
    static RECT WindowRect(HWND h)
    {
        RECT r{};
        GetWindowRect(h, &r);
        return r;
    }
    static RECT ClientRect(HWND h)
    {
        RECT r{};
        GetClientRect(h, &r);
        return r;
    }
    // The WM_SIZE messages received: (size type, width, height).
    struct Size {
        WPARAM Type;
        int Width, Height;
        bool operator==(const Size&) const = default;
    };
    static std::vector<Size> Sizes(const uitest::MessageRecorder& rec)
    {
        std::vector<Size> out;
        for (const auto& m : rec.Messages())
            if (m.Msg == WM_SIZE)
                out.push_back({m.WParam, LOWORD(std::uintptr_t(m.LParam)), HIWORD(std::uintptr_t(m.LParam))});
        return out;
    }

    StateBackend* Back = nullptr;
};

TEST_F(WindowStateTest, MaximizeFillsTheWorkAreaAndRestoreGoesBack)
{
    HWND h = Make(50, 60, 300, 200);
    ShowWindow(h, SW_SHOWNORMAL);
    uitest::PumpUntilIdle();
    uitest::MessageRecorder rec;
    rec.Watch(h);
    Back->Moves.clear();

    ShowWindow(h, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(h));
    EXPECT_FALSE(IsIconic(h));
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_MAXIMIZE);
    EXPECT_EQ(WindowRect(h), (RECT{0, 0, 1024, 728}));
    EXPECT_EQ(GetActiveWindow(), h);
    RECT client = ClientRect(h);
    ASSERT_EQ(Sizes(rec).size(), 1u);
    EXPECT_EQ(Sizes(rec)[0], (Size{SIZE_MAXIMIZED, client.Right, client.Bottom}));
    ASSERT_EQ(Back->States.size(), 1u);
    EXPECT_EQ(Back->States[0], std::make_pair(h, UINT(SIZE_MAXIMIZED)));
    ASSERT_FALSE(Back->Moves.empty());
    EXPECT_EQ(Back->Moves.back().second, (TRect{0, 0, 1024, 728}));

    // Maximizing twice changes nothing; restoring puts back the rectangle it had.
    rec.Clear();
    ShowWindow(h, SW_MAXIMIZE);
    EXPECT_TRUE(Sizes(rec).empty());
    ShowWindow(h, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & WS_MAXIMIZE);
    EXPECT_EQ(WindowRect(h), (RECT{50, 60, 350, 260}));
    ASSERT_EQ(Sizes(rec).size(), 1u);
    EXPECT_EQ(Sizes(rec)[0].Type, WPARAM(SIZE_RESTORED));
    EXPECT_EQ(Back->States.back(), std::make_pair(h, UINT(SIZE_RESTORED)));

    // A window already as large as the work area still hears that it is maximized.
    HWND full = Make(0, 0, 1024, 728);
    ShowWindow(full, SW_SHOW);
    uitest::MessageRecorder fullRec;
    fullRec.Watch(full);
    ShowWindow(full, SW_SHOWMAXIMIZED);
    ASSERT_EQ(Sizes(fullRec).size(), 1u);
    EXPECT_EQ(Sizes(fullRec)[0].Type, WPARAM(SIZE_MAXIMIZED));

    // A hidden window shown maximized, and one created maximized.
    HWND hidden = Make(10, 10, 100, 100);
    ShowWindow(hidden, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsWindowVisible(hidden));
    EXPECT_EQ(WindowRect(hidden), (RECT{0, 0, 1024, 728}));
    HWND created = Make(10, 10, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(created));
    EXPECT_EQ(WindowRect(created), (RECT{0, 0, 1024, 728}));
    ShowWindow(created, SW_RESTORE);
    EXPECT_EQ(WindowRect(created), (RECT{10, 10, 110, 110}));
}

TEST_F(WindowStateTest, MinimizeParksTheWindowAndRestoreBringsBackItsState)
{
    HWND other = Make(500, 400, 200, 150);
    ShowWindow(other, SW_SHOWNORMAL);
    HWND h = Make(50, 60, 300, 200);
    ShowWindow(h, SW_SHOWNORMAL);
    uitest::PumpUntilIdle();
    ASSERT_EQ(GetActiveWindow(), h);
    uitest::MessageRecorder rec;
    rec.Watch(h);
    Back->Moves.clear();

    ShowWindow(h, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(h));
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_TRUE(IsWindowVisible(h)); // minimized is still shown, as on the platform
    EXPECT_EQ(ClientRect(h), (RECT{0, 0, 0, 0}));
    EXPECT_EQ(Sizes(rec), (std::vector<Size>{{SIZE_MINIMIZED, 0, 0}}));
    EXPECT_EQ(Back->States.back(), std::make_pair(h, UINT(SIZE_MINIMIZED)));
    EXPECT_TRUE(Back->Moves.empty()); // the parking place is not the backend's business
    // The activation went to the other window, and the screen no longer has it.
    EXPECT_EQ(GetActiveWindow(), other);
    EXPECT_NE(WindowFromPoint(POINT{100, 100}), h);
    uitest::PumpUntilIdle();

    ShowWindow(h, SW_RESTORE);
    EXPECT_FALSE(IsIconic(h));
    EXPECT_EQ(WindowRect(h), (RECT{50, 60, 350, 260}));
    EXPECT_EQ(GetActiveWindow(), h);
    EXPECT_EQ(WindowFromPoint(POINT{100, 100}), h);
    ASSERT_FALSE(Back->Moves.empty());
    EXPECT_EQ(Back->Moves.back().second, (TRect{50, 60, 350, 260}));

    // Minimized from maximized: SW_RESTORE returns to maximized, SW_SHOWNORMAL to normal.
    ShowWindow(h, SW_SHOWMAXIMIZED);
    ShowWindow(h, SW_SHOWMINIMIZED);
    EXPECT_TRUE(IsIconic(h));
    ShowWindow(h, SW_RESTORE);
    EXPECT_TRUE(IsZoomed(h));
    EXPECT_EQ(WindowRect(h), (RECT{0, 0, 1024, 728}));
    ShowWindow(h, SW_MINIMIZE);
    ShowWindow(h, SW_SHOWNORMAL);
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_FALSE(IsIconic(h));
    EXPECT_EQ(WindowRect(h), (RECT{50, 60, 350, 260}));
    uitest::PumpUntilIdle();
}

TEST_F(WindowStateTest, OwnedWindowsFollowTheirOwnersMinimizeAndRestore)
{
    HWND owner = Make(50, 60, 300, 200);
    ShowWindow(owner, SW_SHOWNORMAL);
    HWND popup = Make(100, 100, 80, 60, WS_POPUP | WS_VISIBLE, owner);
    HWND hiddenPopup = Make(120, 120, 80, 60, WS_POPUP, owner);
    HWND stranger = Make(400, 100, 80, 60, WS_POPUP | WS_VISIBLE);
    uitest::PumpUntilIdle();
    uitest::MessageRecorder rec;
    rec.Watch(popup);

    ShowWindow(owner, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_FALSE(IsWindowVisible(hiddenPopup));
    EXPECT_TRUE(IsWindowVisible(stranger));
    uitest::PumpUntilIdle();

    ShowWindow(owner, SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_FALSE(IsWindowVisible(hiddenPopup)); // hidden by the program, it stays hidden
    EXPECT_EQ(WindowRect(popup), (RECT{100, 100, 180, 160}));
    std::vector<std::pair<WPARAM, LPARAM>> shows;
    for (const auto& m : rec.Messages())
        if (m.Msg == WM_SHOWWINDOW)
            shows.push_back({m.WParam, m.LParam});
    EXPECT_EQ(shows,
              (std::vector<std::pair<WPARAM, LPARAM>>{{FALSE, SW_PARENTCLOSING}, {TRUE, SW_PARENTOPENING}}));
    uitest::PumpUntilIdle();
}

TEST_F(WindowStateTest, HoverIsReportedOnceTheMouseRestsForTheHoverTime)
{
    HWND h = Make(100, 100, 300, 200, WS_POPUP | WS_VISIBLE);
    uitest::PumpUntilIdle();
    uitest::MessageRecorder rec;
    rec.Watch(h);
    auto hovers = [&] {
        std::vector<std::pair<int, int>> at;
        for (const auto& m : rec.Messages())
            if (m.Msg == WM_MOUSEHOVER)
                at.push_back({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
        return at;
    };
    auto track = [&](DWORD flags, DWORD time = HOVER_DEFAULT) {
        TRACKMOUSEEVENT t;
        t.dwFlags = flags;
        t.hwndTrack = h;
        t.dwHoverTime = time;
        return TrackMouseEvent(&t);
    };
    using Points = std::vector<std::pair<int, int>>;

    uitest::MoveMouse(h, 50, 40);
    ASSERT_TRUE(track(TME_HOVER));
    TRACKMOUSEEVENT q;
    q.dwFlags = TME_QUERY;
    TrackMouseEvent(&q);
    EXPECT_EQ(q.dwFlags, DWORD(TME_HOVER));
    EXPECT_EQ(q.hwndTrack, h);
    EXPECT_EQ(q.dwHoverTime, 400u);
    uitest::AdvanceTime(399);
    EXPECT_TRUE(hovers().empty());
    uitest::AdvanceTime(1);
    EXPECT_EQ(hovers(), (Points{{50, 40}}));
    // Once only: the program asks again for the next report.
    uitest::AdvanceTime(2000);
    EXPECT_EQ(hovers().size(), 1u);
    q.dwFlags = TME_QUERY;
    TrackMouseEvent(&q);
    EXPECT_EQ(q.dwFlags, 0u);

    // A small wobble inside the hover square keeps the rest going.
    rec.Clear();
    track(TME_HOVER);
    uitest::AdvanceTime(200);
    uitest::MoveMouse(h, 51, 41);
    uitest::AdvanceTime(200);
    EXPECT_EQ(hovers(), (Points{{51, 41}}));

    // Moving out of the square starts the rest again from there.
    rec.Clear();
    track(TME_HOVER);
    uitest::AdvanceTime(300);
    uitest::MoveMouse(h, 60, 40);
    uitest::AdvanceTime(100);
    EXPECT_TRUE(hovers().empty());
    uitest::AdvanceTime(300);
    EXPECT_EQ(hovers(), (Points{{60, 40}}));

    // A hover time of the caller's; leaving the window or cancelling ends the tracking.
    rec.Clear();
    track(TME_HOVER, 100);
    uitest::AdvanceTime(100);
    EXPECT_EQ(hovers(), (Points{{60, 40}}));
    rec.Clear();
    track(TME_HOVER);
    uitest::MoveMouse(h, 400, 40); // off the window
    uitest::MoveMouse(h, 60, 40);  // and back
    uitest::AdvanceTime(1000);
    EXPECT_TRUE(hovers().empty());
    track(TME_HOVER);
    track(TME_HOVER | TME_CANCEL);
    uitest::AdvanceTime(1000);
    EXPECT_TRUE(hovers().empty());
    // With the mouse elsewhere there is nothing to hover.
    uitest::MoveMouse(h, 400, 40);
    track(TME_HOVER);
    uitest::AdvanceTime(1000);
    EXPECT_TRUE(hovers().empty());
}

} // namespace
