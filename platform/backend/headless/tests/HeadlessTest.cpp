// The headless backend: the virtual clock, the composed screen and the recorders.

#include "platform/backend/headless/Headless.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <cairo.h>

namespace {

LRESULT ColourProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(h, &r);
        HBRUSH b = CreateSolidBrush(COLORREF(GetWindowLongPtr(h, GWL_USERDATA)));
        FillRect(reinterpret_cast<HDC>(w), &r, b);
        DeleteObject(b);
        return 1;
    }
    return DefWindowProc(h, m, w, l);
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen = &StartHeadless(TSize{320, 240});
        static bool registered = [] {
            WNDCLASS wc;
            wc.lpfnWndProc = ColourProc;
            wc.lpszClassName = "HeadlessColour";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
    }
    void TearDown() override { ResetWindowLayer(); }

    HWND Window(int x, int y, int w, int h, COLORREF c, DWORD ex = 0)
    {
        HWND hw = CreateWindowEx(ex, "HeadlessColour", "", WS_POPUP, x, y, w, h, nullptr, nullptr, nullptr,
                                 nullptr);
        SetWindowLongPtr(hw, GWL_USERDATA, LONG_PTR(c));
        ShowWindow(hw, SW_SHOW);
        return hw;
    }
    static void Pump()
    {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&m);
    }
    static COLORREF At(cairo_surface_t* s, int x, int y)
    {
        cairo_surface_flush(s);
        auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        std::uint32_t px = reinterpret_cast<std::uint32_t*>(row)[x];
        return RGB(BYTE(px >> 16), BYTE(px >> 8), BYTE(px));
    }

    HeadlessBackend* Screen = nullptr;
};

TEST_F(HeadlessTest, ScreenShowsVisibleTopLevelWindowsInZOrderOverTheDesktop)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 320);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 240);
    HWND back = Window(10, 10, 100, 100, RGB(255, 0, 0));
    HWND front = Window(50, 50, 100, 100, RGB(0, 0, 255));
    HWND hidden = Window(0, 0, 320, 240, RGB(0, 255, 0));
    ShowWindow(hidden, SW_HIDE);
    Pump();
    cairo_surface_t* s = Screen->ComposeScreen();
    EXPECT_EQ(At(s, 20, 20), RGB(255, 0, 0));
    EXPECT_EQ(At(s, 60, 60), RGB(0, 0, 255));
    EXPECT_EQ(At(s, 200, 200), GetSysColor(COLOR_BACKGROUND));
    cairo_surface_destroy(s);
    SetActiveWindow(back); // activation brings it to the top
    s = Screen->ComposeScreen();
    EXPECT_EQ(At(s, 60, 60), RGB(255, 0, 0));
    cairo_surface_destroy(s);
    (void)front;
}

TEST_F(HeadlessTest, ClockMovesOnlyWhenAdvanced)
{
    DWORD start = GetTickCount();
    EXPECT_EQ(start, DWORD(HeadlessBackend::StartTicks));
    EXPECT_EQ(GetTickCount(), start);
    Screen->AdvanceClock(250);
    EXPECT_EQ(GetTickCount(), start + 250);
}

TEST_F(HeadlessTest, BeepsAndDocumentOpensAreRecordedNotPerformed)
{
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBeep(0);
    EXPECT_EQ(Screen->BeepLog(), (std::vector<UINT>{MB_ICONEXCLAMATION, 0}));
    EXPECT_TRUE(Backend().ShellOpen("mailto:someone@example.com", "open"));
    ASSERT_EQ(Screen->ShellOpenLog().size(), 1u);
    EXPECT_EQ(Screen->ShellOpenLog()[0].Target, "mailto:someone@example.com");
    Screen->ClearRecords();
    EXPECT_TRUE(Screen->BeepLog().empty());
}

} // namespace
