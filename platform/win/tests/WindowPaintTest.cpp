// Painting: update regions, WM_PAINT of overlapping windows, clipping, window DCs on the
// top-level surface, the non-client frame and scrolling.

#include "WindowTestSupport.h"

#include <cairo.h>

using namespace wintest;

namespace {

// Fills its client area with the colour kept in its user data.
LRESULT FillProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    Log().push_back(Entry{h, m, w, l});
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HBRUSH b = CreateSolidBrush(COLORREF(GetWindowLongPtr(h, GWL_USERDATA)));
        RECT r;
        GetClientRect(h, &r);
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(h, &ps);
        return 0;
    }
    if (m == WM_ERASEBKGND)
        return 1;
    return DefWindowProc(h, m, w, l);
}

class WindowPaintTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        static bool registered = false;
        if (!registered) {
            WNDCLASS wc;
            wc.lpfnWndProc = FillProc;
            wc.lpszClassName = "FillWindow";
            ASSERT_NE(RegisterClass(&wc), 0);
            registered = true;
        }
    }
    HWND Fill(HWND parent, int x, int y, int w, int h, COLORREF c, DWORD style = WS_CHILD | WS_VISIBLE)
    {
        HWND hw = CreateWindowEx(0, "FillWindow", "", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtr(hw, GWL_USERDATA, LONG_PTR(c));
        InvalidateRect(hw, nullptr, TRUE);
        return hw;
    }
    // A client pixel of a window as its top-level surface holds it.
    static COLORREF Pixel(HWND h, int x, int y)
    {
        HWND root = GetAncestor(h, GA_ROOT);
        cairo_surface_t* s = GetWindowSurface(root);
        RECT rr;
        GetWindowRect(root, &rr);
        POINT p{x, y};
        ClientToScreen(h, &p);
        cairo_surface_flush(s);
        auto* row = cairo_image_surface_get_data(s) + (p.Y - rr.Top) * cairo_image_surface_get_stride(s);
        std::uint32_t px = reinterpret_cast<std::uint32_t*>(row)[p.X - rr.Left];
        return RGB(BYTE(px >> 16), BYTE(px >> 8), BYTE(px));
    }
    static constexpr COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255),
                              Grey = RGB(128, 128, 128);
};

TEST_F(WindowPaintTest, OverlappingChildrenPaintInZOrderAndClipEachOther)
{
    HWND top = Fill(nullptr, 0, 0, 200, 200, Grey, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    HWND lower = Fill(top, 50, 50, 100, 100, Blue, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    HWND upper = Fill(top, 20, 20, 60, 60, Red, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump();
    EXPECT_EQ(Pixel(top, 5, 5), Grey);
    EXPECT_EQ(Pixel(top, 30, 30), Red);
    EXPECT_EQ(Pixel(top, 60, 60), Red); // overlap: the upper child
    EXPECT_EQ(Pixel(top, 100, 100), Blue);

    // Repainting the lower child alone never draws over the upper one.
    InvalidateRect(lower, nullptr, TRUE);
    Pump();
    EXPECT_EQ(Pixel(top, 60, 60), Red);
    // Nor does the parent, which clips its children.
    InvalidateRect(top, nullptr, TRUE);
    Log().clear();
    Pump();
    EXPECT_EQ(Trace({{top, "top"}, {lower, "lower"}, {upper, "upper"}}, {WM_PAINT}),
              (std::vector<std::string>{"top:WM_PAINT"}));
    EXPECT_EQ(Pixel(top, 60, 60), Red);
    EXPECT_EQ(Pixel(top, 100, 100), Blue);

    // Moving the upper child away repaints what it uncovered.
    MoveWindow(upper, 150, 150, 40, 40, TRUE);
    Pump();
    EXPECT_EQ(Pixel(top, 30, 30), Grey);
    EXPECT_EQ(Pixel(top, 60, 60), Blue);
    EXPECT_EQ(Pixel(top, 160, 160), Red);
    // Hiding it too.
    ShowWindow(upper, SW_HIDE);
    Pump();
    EXPECT_EQ(Pixel(top, 160, 160), Grey);
}

TEST_F(WindowPaintTest, ParentWithoutClipChildrenPaintsFirstAndItsChildrenPaintAgainOverIt)
{
    HWND top = Fill(nullptr, 0, 0, 200, 200, Grey, WS_POPUP | WS_VISIBLE);
    HWND child = Fill(top, 50, 50, 50, 50, Green);
    Pump();
    Log().clear();
    InvalidateRect(top, nullptr, TRUE);
    Pump();
    EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}, {WM_PAINT}),
              (std::vector<std::string>{"top:WM_PAINT", "child:WM_PAINT"}));
    EXPECT_EQ(Pixel(top, 60, 60), Green);
}

TEST_F(WindowPaintTest, BeginPaintClipsToTheUpdateRegionAndValidatesIt)
{
    HWND top = Fill(nullptr, 0, 0, 100, 100, Grey, WS_POPUP | WS_VISIBLE);
    Pump();
    SetWindowLongPtr(top, GWL_USERDATA, LONG_PTR(Red));
    RECT part{10, 10, 20, 20};
    InvalidateRect(top, &part, FALSE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_EQ(update, part);
    Pump();
    EXPECT_EQ(Pixel(top, 15, 15), Red);
    EXPECT_EQ(Pixel(top, 25, 25), Grey);
    EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));
    // Validated parts are not painted.
    SetWindowLongPtr(top, GWL_USERDATA, LONG_PTR(Blue));
    InvalidateRect(top, nullptr, FALSE);
    ValidateRect(top, nullptr);
    Log().clear();
    Pump();
    EXPECT_TRUE(Trace({{top, "top"}}, {WM_PAINT}).empty());
}

TEST_F(WindowPaintTest, UpdateWindowPaintsAtOnceAndRedrawWindowCanIncludeTheFrame)
{
    HWND top = Fill(nullptr, 0, 0, 100, 100, Grey, WS_POPUP | WS_VISIBLE | WS_BORDER);
    HWND child = Fill(top, 10, 10, 20, 20, Green, WS_CHILD | WS_VISIBLE);
    Pump();
    InvalidateRect(top, nullptr, TRUE);
    Log().clear();
    UpdateWindow(top);
    EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}, {WM_PAINT}),
              (std::vector<std::string>{"top:WM_PAINT", "child:WM_PAINT"}));
    Log().clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}, {WM_PAINT, WM_NCPAINT}),
              (std::vector<std::string>{"top:WM_PAINT", "top:WM_NCPAINT"}));
    EXPECT_EQ(Pump(), 0);
}

TEST_F(WindowPaintTest, AWindowRegionShapesPaintingAndHitTesting)
{
    HWND top = Fill(nullptr, 0, 0, 100, 100, Grey, WS_POPUP | WS_VISIBLE);
    HWND round = Fill(top, 10, 10, 40, 40, Red);
    SetWindowRgn(round, CreateEllipticRgn(0, 0, 40, 40), TRUE);
    Pump();
    EXPECT_EQ(Pixel(top, 30, 30), Red);  // the centre
    EXPECT_EQ(Pixel(top, 11, 11), Grey); // a corner outside the ellipse
    EXPECT_EQ(WindowFromPoint(POINT{30, 30}), round);
    EXPECT_EQ(WindowFromPoint(POINT{11, 11}), top);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(round, copy), COMPLEXREGION);
    DeleteObject(copy);
}

TEST_F(WindowPaintTest, EraseUsesTheClassBrushAndSetRedrawFalseStopsPainting)
{
    HWND top = Top(0, 0, 100, 100);
    Pump();
    EXPECT_EQ(Pixel(top, 50, 50), GetSysColor(COLOR_WINDOW));
    SendMessage(top, WM_SETREDRAW, FALSE, 0);
    InvalidateRect(top, nullptr, TRUE);
    Log().clear();
    Pump();
    EXPECT_TRUE(Trace({{top, "top"}}, {WM_PAINT}).empty());
    SendMessage(top, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(top, nullptr, TRUE);
    Pump();
    EXPECT_EQ(Trace({{top, "top"}}, {WM_PAINT, WM_ERASEBKGND}),
              (std::vector<std::string>{"top:WM_PAINT", "top:WM_ERASEBKGND"}));
}

TEST_F(WindowPaintTest, GetDcDrawsAtTheClientOriginInsideTheFrameAndClippedToTheWindow)
{
    HWND top = Fill(nullptr, 0, 0, 100, 100, Grey, WS_POPUP | WS_VISIBLE | WS_BORDER);
    HWND child = Fill(top, 10, 10, 20, 20, Green);
    Pump();
    HDC dc = GetDC(child);
    HBRUSH red = CreateSolidBrush(Red);
    RECT big{-50, -50, 200, 200};
    FillRect(dc, &big, red);
    ReleaseDC(child, dc);
    DeleteObject(red);
    EXPECT_EQ(Pixel(child, 0, 0), Red);
    EXPECT_EQ(Pixel(child, 19, 19), Red);
    EXPECT_EQ(Pixel(top, 9, 9), Grey); // outside the child
    EXPECT_EQ(Pixel(top, 30, 30), Grey);
    // The frame of the top-level window: one pixel of the frame colour.
    HDC wdc = GetWindowDC(top);
    EXPECT_EQ(GetPixel(wdc, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(GetPixel(wdc, 1, 1), Grey);
    ReleaseDC(top, wdc);
}

TEST_F(WindowPaintTest, ScrollWindowMovesPixelsAndInvalidatesWhatItUncovers)
{
    HWND top = Fill(nullptr, 0, 0, 100, 100, Grey, WS_POPUP | WS_VISIBLE);
    Pump();
    HDC dc = GetDC(top);
    HBRUSH red = CreateSolidBrush(Red);
    RECT band{0, 0, 100, 10};
    FillRect(dc, &band, red);
    ReleaseDC(top, dc);
    DeleteObject(red);
    RECT uncovered;
    ScrollWindowEx(top, 0, 20, nullptr, nullptr, nullptr, &uncovered, SW_INVALIDATE);
    EXPECT_EQ(uncovered, (RECT{0, 0, 100, 20}));
    EXPECT_EQ(Pixel(top, 50, 25), Red); // moved down by 20
    RECT update;
    GetUpdateRect(top, &update, FALSE);
    EXPECT_EQ(update, uncovered);
    SetWindowLongPtr(top, GWL_USERDATA, LONG_PTR(Blue));
    Pump();
    EXPECT_EQ(Pixel(top, 50, 5), Blue);
    EXPECT_EQ(Pixel(top, 50, 25), Red);
}

TEST_F(WindowPaintTest, FrameIsPaintedBeforeTheClientAndResizingKeepsDcsWorking)
{
    HWND top = Fill(nullptr, 0, 0, 100, 100, Grey, WS_POPUP | WS_VISIBLE | WS_VSCROLL);
    Log().clear();
    Pump();
    EXPECT_EQ(Trace({{top, "top"}}, {WM_NCPAINT, WM_PAINT}),
              (std::vector<std::string>{"top:WM_PAINT", "top:WM_NCPAINT"}));
    HDC dc = GetDC(top);
    SetWindowPos(top, nullptr, 0, 0, 300, 300, SWP_NOMOVE | SWP_NOZORDER);
    SetPixel(dc, 250, 250, Red);
    ReleaseDC(top, dc);
    EXPECT_EQ(Pixel(top, 250, 250), Red);
    Pump();
    EXPECT_EQ(Pixel(top, 200, 200), Grey);
}

} // namespace
