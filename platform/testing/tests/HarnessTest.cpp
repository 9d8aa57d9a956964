// The harness drives a small window through the normal input path and looks at what it shows.

#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <filesystem>

using namespace uitest;

namespace {

// A small window: clicks leave marks and take the focus, a double click turns the background
// yellow, typed characters collect (Backspace removes one), Esc clears them, a timer counts.
struct TallyState {
    std::u16string Text;
    std::vector<POINT> Marks;
    bool Yellow = false;
    int Ticks = 0;
    std::vector<UINT> Keys;
} Tally;

LRESULT TallyProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_LBUTTONDOWN:
        SetFocus(h);
        Tally.Marks.push_back(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDBLCLK:
        Tally.Yellow = !Tally.Yellow;
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case WM_KEYDOWN:
        Tally.Keys.push_back(UINT(w));
        if (w == VK_ESCAPE)
            Tally.Text.clear();
        return 0;
    case WM_CHAR:
        if (w == 8) {
            if (!Tally.Text.empty())
                Tally.Text.pop_back();
        } else if (w >= 32) {
            Tally.Text.push_back(char16_t(w));
        }
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case WM_TIMER:
        ++Tally.Ticks;
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(h, &r);
        HBRUSH b = CreateSolidBrush(Tally.Yellow ? RGB(255, 255, 0) : RGB(255, 255, 255));
        FillRect(reinterpret_cast<HDC>(w), &r, b);
        DeleteObject(b);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        for (POINT p : Tally.Marks) {
            RECT r{p.X - 2, p.Y - 2, p.X + 2, p.Y + 2};
            FillRect(dc, &r, black);
        }
        return EndPaint(h, &ps), 0;
    }
    default:
        return DefWindowProc(h, m, w, l);
    }
}

class HarnessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Start(TSize{400, 300});
        Tally = TallyState{};
        static bool registered = [] {
            WNDCLASS wc;
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = TallyProc;
            wc.lpszClassName = "Tally";
            return RegisterClass(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        Window = CreateWindowEx(0, "Tally", "", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 50, 160, 100, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(Window, nullptr);
        PumpUntilIdle();
    }
    void TearDown() override { ResetWindowLayer(); }
    HWND Window = nullptr;
};

TEST_F(HarnessTest, WindowDrivenByInjectedInputShowsWhatWasDone)
{
    Click(Window, 20, 30);
    EXPECT_EQ(GetFocus(), Window);
    TypeText("Ab 1");
    PressKey(VK_BACK);
    DoubleClick(Window, 120, 60);
    EXPECT_EQ(Tally.Text, u"Ab ");
    EXPECT_TRUE(Tally.Yellow);

    // DRAWMERE_KEEP_SNAPSHOTS keeps the pictures for a person, in a folder of a fixed name.
    const uitest::TempFolder temp{"drawmere-harness"};
    const bool keep = std::getenv("DRAWMERE_KEEP_SNAPSHOTS") != nullptr;
    const auto dir = keep ? std::filesystem::temp_directory_path() / "drawmere-harness" : temp.Path();
    std::filesystem::create_directories(dir);
    std::string file = (dir / "tally.png").string();
    ASSERT_TRUE(SaveWindowPng(Window, file));
    cairo_surface_t* png = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 160);
    EXPECT_EQ(cairo_image_surface_get_height(png), 100);
    auto at = [&](int x, int y) {
        auto* row = cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png);
        return reinterpret_cast<std::uint32_t*>(row)[x] & 0xFFFFFF;
    };
    COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    EXPECT_EQ(at(0, 0),
              std::uint32_t(GetRValue(frame) << 16 | GetGValue(frame) << 8 | GetBValue(frame))); // border
    EXPECT_EQ(at(5, 5), 0xFFFF00u);           // yellow background (client starts at 1, 1)
    EXPECT_EQ(at(1 + 20, 1 + 30), 0x000000u); // the mark of the first click
    EXPECT_EQ(at(1 + 120, 1 + 60), 0x000000u);
    cairo_surface_destroy(png);
    EXPECT_EQ(PixelAt(Window, 20, 30), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(Window, 50, 50), RGB(255, 255, 0));
    ASSERT_TRUE(SaveScreenPng((dir / "screen.png").string()));
}

TEST_F(HarnessTest, TypedTextOffTheKeyboardArrivesAsUtf16Units)
{
    Click(Window, 5, 5);
    Tally.Keys.clear();
    TypeText(u"獎品𠀋x");
    EXPECT_EQ(Tally.Text, u"獎品𠀋x");
    EXPECT_EQ(Tally.Text.size(), 5u);                // the supplementary character is two units
    EXPECT_EQ(Tally.Keys, (std::vector<UINT>{'X'})); // only x came as a key press
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Tally.Text.empty());
}

TEST_F(HarnessTest, ShiftedKeysAndModifiersReachTheWindowAsAPersonTypesThem)
{
    Click(Window, 5, 5);
    TypeText("A!");
    EXPECT_EQ(Tally.Text, u"A!");
    Tally.Keys.clear();
    PressKey('C', ksCtrl);
    EXPECT_EQ(Tally.Keys, (std::vector<UINT>{VK_CONTROL, 'C'}));
    EXPECT_EQ(Tally.Text, u"A!"); // Ctrl+C is character 3, not text
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
}

TEST_F(HarnessTest, AdvancingTheClockFiresATimerOncePerPeriod)
{
    SetTimer(Window, 1, 100, nullptr);
    AdvanceTime(1000);
    EXPECT_EQ(Tally.Ticks, 10);
    AdvanceTime(50);
    EXPECT_EQ(Tally.Ticks, 10);
    KillTimer(Window, 1);
}

TEST_F(HarnessTest, RecorderSeesMessagesAndPutsTheProcedureBack)
{
    {
        MessageRecorder rec;
        rec.Watch(Window);
        Click(Window, 10, 10);
        EXPECT_EQ(rec.Ids(Window, {WM_LBUTTONDOWN, WM_LBUTTONUP}),
                  (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
        EXPECT_EQ(Tally.Marks.size(), 1u); // the window still works
    }
    EXPECT_EQ(GetWindowLongPtr(Window, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&TallyProc));
}

TEST_F(HarnessTest, BeepsAreRecorded)
{
    EnableWindow(Window, FALSE);
    Click(Window, 10, 10);
    EXPECT_EQ(Beeps().size(), 1u);
    ClearRecords();
    EXPECT_TRUE(Beeps().empty());
}

} // namespace
