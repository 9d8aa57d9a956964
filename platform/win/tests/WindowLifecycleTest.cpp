// Creation and destruction order, handles, classes, geometry, z-order, subclassing and text.

#include "WindowTestSupport.h"

#include <cstdlib>
#include <cstring>

using namespace wintest;

namespace {

class WindowLifecycleTest : public WindowTest {};

TEST_F(WindowLifecycleTest, CreationSendsNcCreateCalcSizeCreateThenSizeMoveAndShow)
{
    HWND top = Top(10, 20, 200, 100, WS_POPUP);
    Log().clear();
    HWND child = Child(top, 5, 6, 50, 40, WS_CHILD | WS_VISIBLE);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}),
              (std::vector<std::string>{"child:WM_NCCREATE", "child:WM_NCCALCSIZE", "child:WM_CREATE",
                                        "child:WM_SIZE", "child:WM_MOVE", "top:WM_PARENTNOTIFY",
                                        "child:WM_SHOWWINDOW", "child:WM_WINDOWPOSCHANGING",
                                        "child:WM_WINDOWPOSCHANGED"}));
    // The create parameters reach WM_CREATE; WM_SIZE carries the client size.
    const Entry& size = Log()[3];
    EXPECT_EQ(LOWORD(size.LParam), 50);
    EXPECT_EQ(HIWORD(size.LParam), 40);
    EXPECT_TRUE(IsWindowVisible(child) == FALSE); // its top-level parent is hidden
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowLifecycleTest, AWindowStillOpenWhenTheProgramEndsLeavesNoLeak)
{
    // A program may end with its main window open; the leak checker of a checked build then
    // makes the exit code non-zero for every backing surface not given back. (A fresh process
    // runs it: the window layer belongs to the thread that started it.)
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ShowWindow(Top(0, 0, 640, 480), SW_SHOW);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(WindowLifecycleTest, RefusedCreationReturnsNullAndLeavesNoWindow)
{
    for (UINT refuse : {UINT(WM_NCCREATE), UINT(WM_CREATE)}) {
        Log().clear();
        CurrentHandler() = [refuse](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
            if (m != refuse)
                return false;
            r = m == WM_NCCREATE ? FALSE : -1;
            return true;
        };
        HWND h = Top(0, 0, 10, 10);
        EXPECT_EQ(h, nullptr);
        ASSERT_FALSE(Log().empty());
        EXPECT_FALSE(IsWindow(Log().front().Hwnd));
        EXPECT_EQ(Log().back().Msg, UINT(WM_NCDESTROY));
    }
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(Child(reinterpret_cast<HWND>(0x12345), 0, 0, 1, 1), nullptr);
}

TEST_F(WindowLifecycleTest, DestroySendsDestroyParentFirstAndNcDestroyChildrenFirstAndOwnedWindowsGoFirst)
{
    HWND top = Top(0, 0, 300, 300);
    HWND a = Child(top, 0, 0, 100, 100);
    HWND a1 = Child(a, 0, 0, 10, 10);
    HWND owned =
        CreateWindowEx(0, "TestWindow", "popup", WS_POPUP, 0, 0, 10, 10, a, nullptr, nullptr, nullptr);
    ASSERT_EQ(GetWindow(owned, GW_OWNER), top); // the owner is always a top-level window
    Log().clear();
    ASSERT_TRUE(DestroyWindow(top));
    EXPECT_EQ(
        Trace({{top, "top"}, {a, "a"}, {a1, "a1"}, {owned, "owned"}}, {WM_DESTROY, WM_NCDESTROY}),
        (std::vector<std::string>{"owned:WM_DESTROY", "owned:WM_NCDESTROY", "top:WM_DESTROY", "a:WM_DESTROY",
                                  "a1:WM_DESTROY", "a1:WM_NCDESTROY", "a:WM_NCDESTROY", "top:WM_NCDESTROY"}));
    for (HWND h : {top, a, a1, owned})
        EXPECT_FALSE(IsWindow(h));
    // Handles are never given out again.
    HWND again = Top(0, 0, 10, 10);
    for (HWND h : {top, a, a1, owned})
        EXPECT_NE(again, h);
}

TEST_F(WindowLifecycleTest, WindowDuringItsDestroyIsStillAWindowAndCannotBeDestroyedTwice)
{
    HWND top = Top(0, 0, 50, 50);
    bool aliveInDestroy = false;
    BOOL secondDestroy = TRUE;
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == WM_DESTROY) {
            aliveInDestroy = IsWindow(h);
            secondDestroy = DestroyWindow(h);
        }
        return false;
    };
    DestroyWindow(top);
    EXPECT_TRUE(aliveInDestroy);
    EXPECT_FALSE(secondDestroy);
    EXPECT_FALSE(IsWindow(top));
}

TEST_F(WindowLifecycleTest, ClientAreaLeavesRoomForFramesCaptionEdgesAndScrollBars)
{
    struct Case {
        DWORD Style, Ex;
        RECT Client; // in window coordinates
    } cases[] = {
        {WS_POPUP, 0, {0, 0, 200, 100}},
        {WS_POPUP | WS_BORDER, 0, {1, 1, 199, 99}},
        {WS_POPUP, WS_EX_CLIENTEDGE, {2, 2, 198, 98}},
        {WS_POPUP | WS_THICKFRAME, 0, {4, 4, 196, 96}},
        {WS_POPUP | WS_CAPTION, 0, {3, 23, 197, 97}},
        {WS_POPUP | WS_VSCROLL | WS_HSCROLL, 0, {0, 0, 183, 83}},
        {WS_POPUP | WS_BORDER | WS_VSCROLL, WS_EX_CLIENTEDGE, {3, 3, 180, 97}},
    };
    for (const Case& c : cases) {
        HWND h = Top(30, 40, 200, 100, c.Style, c.Ex);
        RECT client, window;
        GetClientRect(h, &client);
        GetWindowRect(h, &window);
        POINT origin{0, 0};
        ClientToScreen(h, &origin);
        RECT got{origin.X - window.Left, origin.Y - window.Top, origin.X - window.Left + client.Right,
                 origin.Y - window.Top + client.Bottom};
        EXPECT_EQ(got, c.Client) << "style " << std::hex << c.Style << " ex " << c.Ex;
        DestroyWindow(h);
    }
}

TEST_F(WindowLifecycleTest, PointsMapBetweenClientAreasAndTheScreen)
{
    HWND top = Top(100, 50, 300, 200, WS_POPUP | WS_BORDER | WS_VISIBLE);
    HWND child = Child(top, 10, 20, 100, 100, WS_CHILD | WS_VISIBLE | WS_BORDER);
    POINT p{0, 0};
    ClientToScreen(child, &p);
    EXPECT_EQ(p, (POINT{100 + 1 + 10 + 1, 50 + 1 + 20 + 1}));
    ScreenToClient(top, &p);
    EXPECT_EQ(p, (POINT{11, 21}));
    POINT q[2] = {{0, 0}, {5, 5}};
    MapWindowPoints(child, top, q, 2);
    EXPECT_EQ(q[0], (POINT{11, 21}));
    EXPECT_EQ(q[1], (POINT{16, 26}));
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r, (RECT{111, 71, 211, 171}));
}

TEST_F(WindowLifecycleTest, ZOrderDecidesWhichWindowIsUnderAPoint)
{
    HWND top = Top(0, 0, 300, 300);
    HWND first = Child(top, 0, 0, 100, 100);
    HWND second = Child(top, 50, 50, 100, 100);
    // Children keep their creation order: the first is on top.
    EXPECT_EQ(GetWindow(top, GW_CHILD), first);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(WindowFromPoint(POINT{60, 60}), first);
    SetWindowPos(second, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(WindowFromPoint(POINT{60, 60}), second);
    ShowWindow(second, SW_HIDE);
    EXPECT_EQ(WindowFromPoint(POINT{60, 60}), first);
    EXPECT_EQ(WindowFromPoint(POINT{200, 200}), top);
    EXPECT_EQ(WindowFromPoint(POINT{700, 500}), nullptr);

    // Top-most windows stay above the others whatever is brought to the top.
    HWND topmost = Top(0, 0, 50, 50, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    HWND normal = Top(0, 0, 50, 50);
    SetWindowPos(normal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), topmost);
    SetWindowPos(topmost, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(normal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(WindowFromPoint(POINT{10, 10}), normal);
}

TEST_F(WindowLifecycleTest, TheScreenIsOneMonitorWithItsWorkArea)
{
    HMONITOR m = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT{5000, 10}, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT{5000, 10}, MONITOR_DEFAULTTONEAREST), m);
    MONITORINFO info;
    ASSERT_TRUE(GetMonitorInfo(m, &info));
    EXPECT_EQ(info.rcMonitor, (RECT{0, 0, 800, 600}));
    RECT work;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(info.rcWork, work);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
}

TEST_F(WindowLifecycleTest, FindAndEnumerateWindows)
{
    HWND top = Top(0, 0, 100, 100);
    SetWindowText(top, "Main form");
    HWND a = Child(top, 0, 0, 10, 10, WS_CHILD, 7);
    HWND b = Child(a, 0, 0, 10, 10, WS_CHILD, 8);
    HWND c = Child(top, 0, 0, 10, 10, WS_CHILD, 9);
    EXPECT_EQ(FindWindow("testwindow", "Main form"), top);
    EXPECT_EQ(FindWindow(nullptr, "Nothing"), nullptr);
    EXPECT_EQ(GetDlgItem(top, 9), c);
    EXPECT_EQ(GetDlgCtrlID(b), 8);
    std::vector<HWND> seen;
    EnumChildWindows(
        top,
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen, (std::vector<HWND>{a, b, c}));
    EXPECT_TRUE(IsChild(top, b));
    EXPECT_FALSE(IsChild(a, c));
    EXPECT_EQ(GetAncestor(b, GA_ROOT), top);
    EXPECT_EQ(GetParent(b), a);
}

// Subclassing: each procedure installed over another sees the messages first and hands them on.
std::vector<std::string>& Calls()
{
    static std::vector<std::string> calls;
    return calls;
}
WNDPROC OuterPrevious = nullptr;
WNDPROC InnerPrevious = nullptr;
LRESULT InnerProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER + 1)
        Calls().push_back("inner");
    return CallWindowProc(InnerPrevious, h, m, w, l);
}
LRESULT OuterProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER + 1) {
        Calls().push_back("outer");
        if (w == 1)
            return 42; // swallowed here
    }
    return CallWindowProc(OuterPrevious, h, m, w, l);
}

TEST_F(WindowLifecycleTest, SubclassedProceduresRunNewestFirstAndCanBeUndone)
{
    HWND h = Top(0, 0, 10, 10);
    InnerPrevious =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(InnerProc)));
    OuterPrevious =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(OuterProc)));
    EXPECT_EQ(InnerPrevious, &LoggingProc);
    Calls().clear();
    Log().clear();
    SendMessage(h, WM_USER + 1, 0, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"outer", "inner"}));
    EXPECT_EQ(Log().size(), 1u); // reached the class procedure too
    Calls().clear();
    EXPECT_EQ(SendMessage(h, WM_USER + 1, 1, 0), 42);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"outer"}));
    // Posted messages go through the subclass too.
    Calls().clear();
    PostMessage(h, WM_USER + 1, 0, 0);
    Pump();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"outer", "inner"}));
    SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(LoggingProc));
    Calls().clear();
    SendMessage(h, WM_USER + 1, 0, 0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(WindowLifecycleTest, StylesChangeThroughWindowLongsWithNotifications)
{
    HWND h = Top(0, 0, 100, 100, WS_POPUP);
    Log().clear();
    LONG old = SetWindowLong(h, GWL_EXSTYLE, WS_EX_TRANSPARENT);
    EXPECT_EQ(old, 0);
    EXPECT_EQ(GetWindowLong(h, GWL_EXSTYLE), LONG(WS_EX_TRANSPARENT));
    EXPECT_EQ(Trace({{h, "h"}}), (std::vector<std::string>{"h:WM_STYLECHANGING", "h:WM_STYLECHANGED"}));
    // Visibility is not a style a program sets by hand.
    SetWindowLong(h, GWL_STYLE, LONG(WS_POPUP | WS_VISIBLE | WS_BORDER));
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_BORDER);
    SetWindowLongPtr(h, GWL_USERDATA, 1234);
    EXPECT_EQ(GetWindowLongPtr(h, GWL_USERDATA), 1234);
}

TEST_F(WindowLifecycleTest, TextCrossesBetweenUtf8AndUtf16Windows)
{
    HWND ansi = Top(0, 0, 10, 10);
    SetWindowText(ansi, "獎品 list");
    char16_t wide[32];
    EXPECT_EQ(GetWindowTextW(ansi, wide, 32), 7);
    EXPECT_EQ(std::u16string(wide), u"獎品 list");
    EXPECT_EQ(GetWindowTextLength(ansi), 11); // bytes of UTF-8

    // A small buffer never gets half a character.
    char small[5];
    EXPECT_EQ(GetWindowText(ansi, small, 5), 3);
    EXPECT_STREQ(small, "獎");

    WNDCLASSW wc;
    wc.lpfnWndProc = LoggingProc;
    wc.lpszClassName = u"WideTestWindow";
    static bool registered = RegisterClassW(&wc) != 0;
    ASSERT_TRUE(registered);
    HWND uni = CreateWindowExW(0, u"WideTestWindow", u"抽獎", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_TRUE(IsWindowUnicode(uni));
    char buf[32];
    GetWindowText(uni, buf, 32);
    EXPECT_STREQ(buf, "抽獎");
    EXPECT_EQ(GetWindowTextLengthW(uni), 2);
}

TEST_F(WindowLifecycleTest, ClassesAreFoundWithoutRegardToCaseAndRegisteredOnce)
{
    WNDCLASS wc;
    wc.lpfnWndProc = LoggingProc;
    wc.lpszClassName = "testWINDOW";
    EXPECT_EQ(RegisterClass(&wc), 0);
    WNDCLASS info;
    ASSERT_TRUE(GetClassInfo(nullptr, "TESTWINDOW", &info));
    EXPECT_EQ(info.lpfnWndProc, &LoggingProc);
    HWND h = Top(0, 0, 10, 10);
    char name[32];
    GetClassName(h, name, 32);
    EXPECT_STREQ(name, "TestWindow");
    DWORD style = GetClassLong(h, GCL_STYLE);
    SetClassLong(h, GCL_STYLE, LONG(style | CS_DROPSHADOW));
    EXPECT_TRUE(GetClassLong(Top(0, 0, 1, 1), GCL_STYLE) & CS_DROPSHADOW); // shared by the class
    SetClassLong(h, GCL_STYLE, LONG(style));
}

} // namespace
