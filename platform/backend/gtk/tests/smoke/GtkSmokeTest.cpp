// The desktop backend on a real X server (Xvfb): a small window with a button and a text box is
// shown, the button is clicked and keys are typed with xdotool (real X input), Chinese text
// arrives through the input method from synthesised key events, and a screenshot of the X
// screen shows what the window layer drew. Also: a popup's pointer grab, drag and drop through
// the desktop's protocol (also with another program's text view), the native dialogs, timers on
// the real clock, the real clipboard (links too), and a modal window shown from a key handler as
// another program's screen dump sees it.

#include "SmokeForm.h"

#include "platform/backend/Start.h"
#include "platform/backend/gtk/ClipboardData.h"
#include "platform/backend/gtk/GtkBackend.h"
#include "platform/testing/Commands.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Colors.h"
#include "platform/win/FileIcons.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

int Timers = 0;

// A drop-down: the capture holder sees clicks anywhere on the screen, and closes on one outside.
std::vector<POINT> PopupClicks;
LRESULT PopupProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_LBUTTONDOWN) {
        POINT p{short(LOWORD(l)), short(HIWORD(l))};
        ClientToScreen(h, &p);
        PopupClicks.push_back(p);
        ReleaseCapture();
        ShowWindow(h, SW_HIDE);
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

// Runs the message loop until done() or the time is up.
template <class Done> bool PumpUntil(Done done, int ms = 10000)
{
    std::int64_t end = g_get_monotonic_time() + std::int64_t(ms) * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > end)
            return false;
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        if (!done())
            Backend().WaitForEvents(20);
    }
    return true;
}

void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

using uitest::HaveCommand;

bool Shell(const std::string& cmd)
{
    return std::system(cmd.c_str()) == 0;
}

// One key press and release of a character, as a GDK event a keyboard without that key would
// never send: the input method turns it into text.
void SynthesiseKey(GtkWidget* window, char32_t c)
{
    GdkWindow* g = gtk_widget_get_window(window);
    GdkDevice* keyboard = gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default()));
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* e = gdk_event_new(type);
        e->key.window = GDK_WINDOW(g_object_ref(g));
        e->key.send_event = TRUE;
        e->key.time = GDK_CURRENT_TIME;
        e->key.keyval = gdk_unicode_to_keyval(guint32(c));
        e->key.hardware_keycode = 0;
        gdk_event_set_device(e, keyboard);
        gdk_display_put_event(gdk_display_get_default(), e);
        gdk_event_free(e);
    }
}

COLORREF PixelOf(GdkPixbuf* shot, int x, int y)
{
    const guchar* p = gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) +
                      x * gdk_pixbuf_get_n_channels(shot);
    return RGB(p[0], p[1], p[2]);
}

class GtkSmoke : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The input method every desktop has: deterministic, no daemon to wait for.
        setenv("GTK_IM_MODULE", "gtk-im-context-simple", 1);
        Started = StartPlatformBackend();
    }

    static void TearDownTestSuite()
    {
        // Blocks the clipboard handed out, every window and the backend itself go, as at the
        // end of a program.
        ResetClipboardState();
        ResetWindowLayer();
        InstallBackend(nullptr);
    }

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            return uitest::SkipMissing("no X display");
        ASSERT_EQ(Started, "gtk");
        ASSERT_NE(Gtk(), nullptr);
    }

    static std::string Started;
};
std::string GtkSmoke::Started;

TEST_F(GtkSmoke, FileIconsComeFromTheIconTheme)
{
    // The content type is guessed from the name alone: the files need not exist.
    ICONINFO text{}, folder{};
    HICON Text = FileTypeIcon("/nowhere/notes.txt", 16), Folder = FileTypeIcon("/nowhere/", 32);
    ASSERT_NE(Text, nullptr);
    ASSERT_NE(Folder, nullptr);
    ASSERT_TRUE(GetIconInfo(Text, &text));
    ASSERT_TRUE(GetIconInfo(Folder, &folder));
    BITMAP t{}, f{};
    GetObject(text.hbmColor, sizeof t, &t);
    GetObject(folder.hbmColor, sizeof f, &f);
    EXPECT_EQ(t.bmWidth, 16);
    EXPECT_EQ(f.bmWidth, 32);
    for (HBITMAP b : {text.hbmColor, text.hbmMask, folder.hbmColor, folder.hbmMask})
        DeleteObject(b);
    EXPECT_EQ(FileTypeIcon("other.TXT", 16), Text) << "one icon per ending";
}

TEST_F(GtkSmoke, ClickAndTypeChineseOnARealDisplay)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    smoke::Form f = smoke::CreateForm(100, 100, false);
    ASSERT_NE(f.Window, nullptr);
    HWND form = f.Window, button = f.Button, text = f.Text;
    std::u16string& typed = smoke::Seen().Typed;
    ShowWindow(form, SW_SHOW);
    UpdateWindow(form);
    SetFocus(text);
    GtkWidget* native = Gtk()->NativeWindow(form);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    SetWindowText(form, "Smoke 獎");
    EXPECT_TRUE(
        PumpUntil([&] { return std::string(gtk_window_get_title(GTK_WINDOW(native))) == "Smoke 獎"; }));
    PumpFor(300);

    POINT centre{60, 20};
    ClientToScreen(button, &centre);
    ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(centre.X) + " " +
                      std::to_string(centre.Y) + " click 1"));
    EXPECT_TRUE(PumpUntil([] { return smoke::Seen().Clicks == 1; })) << "the click did not reach the button";

    // The pointer rests over our window: with no window manager the keyboard follows it.
    POINT inText{30, 30};
    ClientToScreen(text, &inText);
    ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(inText.X) + " " +
                      std::to_string(inText.Y) + " click 1"));
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == text; }));
    ASSERT_TRUE(Shell("xdotool type --delay 30 'Hi 5'"));
    EXPECT_TRUE(PumpUntil([&] { return typed == u"Hi 5"; })) << "typed keys did not arrive";
    // The layer believes Caps Lock is on, the keyboard says it is off: the keyboard wins.
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CAPITAL] |= 1;
    SetKeyboardState(keys);
    ASSERT_TRUE(Shell("xdotool type x"));
    EXPECT_TRUE(PumpUntil([&] { return typed == u"Hi 5x"; }));
    typed = u"Hi 5";

    ASSERT_TRUE(Shell("xdotool click 5 click 5 click 4"));
    EXPECT_TRUE(PumpUntil([] { return smoke::Seen().Wheel == -120; })) << smoke::Seen().Wheel;

    for (char32_t c : {U'獎', U'品'})
        SynthesiseKey(native, c);
    EXPECT_TRUE(PumpUntil([&] { return typed == u"Hi 5獎品"; }));
    EXPECT_EQ(typed, u"Hi 5獎品");
    PumpFor(300);

    // What the X server shows: the button in its clicked colour and the text drawn.
    GdkWindow* root = gdk_get_default_root_window();
    GdkPixbuf* shot =
        gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
    ASSERT_NE(shot, nullptr);
    std::string file = std::string(DRAWMERE_SMOKE_OUTPUT) + "/gtk-smoke.png";
    EXPECT_TRUE(gdk_pixbuf_save(shot, file.c_str(), "png", nullptr, nullptr));
    EXPECT_EQ(PixelOf(shot, centre.X - 50, centre.Y), smoke::Pressed); // beside the label
    RECT tr;
    GetWindowRect(text, &tr);
    int ink = 0;
    for (int y = tr.Top; y < tr.Bottom; ++y)
        for (int x = tr.Left; x < tr.Right; ++x)
            if (PixelOf(shot, x, y) != RGB(255, 255, 255))
                ++ink;
    EXPECT_GT(ink, 40) << "no text on screen (see " << file << ")";
    // The screen shows the window's backing surface pixel for pixel.
    cairo_surface_t* s = GetWindowSurface(form);
    ASSERT_NE(s, nullptr);
    cairo_surface_flush(s);
    RECT fr;
    GetWindowRect(form, &fr);
    int differ = 0;
    const unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < fr.Height(); y += 3)
        for (int x = 0; x < fr.Width(); x += 3) {
            std::uint32_t px;
            std::memcpy(&px, data + y * stride + x * 4, 4);
            COLORREF want = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
            if (PixelOf(shot, fr.Left + x, fr.Top + y) != want)
                ++differ;
        }
    EXPECT_EQ(differ, 0);
    g_object_unref(shot);

    // Moved and sized by someone else (a window manager would): the layer follows.
    unsigned long xid = gdk_x11_window_get_xid(gtk_widget_get_window(native));
    ASSERT_TRUE(Shell("xdotool windowmove " + std::to_string(xid) + " 150 120 windowsize " +
                      std::to_string(xid) + " 420 300"));
    EXPECT_TRUE(PumpUntil([&] {
        RECT r;
        GetWindowRect(form, &r);
        return r == TRect{150, 120, 570, 420};
    }));
    DestroyWindow(form);
    PumpFor(50);
    EXPECT_EQ(Gtk()->NativeWindow(form), nullptr);
}

// Quick drags by the caption move the window and end with the button: the next press in the
// client area is a click, not another move.
TEST_F(GtkSmoke, QuickCaptionDragsEndWithTheButton)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    smoke::Form f = smoke::CreateForm(100, 100, false);
    ShowWindow(f.Window, SW_SHOW);
    UpdateWindow(f.Window);
    GtkWidget* native = Gtk()->NativeWindow(f.Window);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    PumpFor(200);
    int clicks = smoke::Seen().Clicks;
    RECT start;
    GetWindowRect(f.Window, &start);
    int x = start.Left + 60,
        y = start.Top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y)));
    for (int i = 0; i < 5; ++i) {
        // Press, a quick move and release before the program has had a turn.
        ASSERT_TRUE(Shell("xdotool mousedown 1 mousemove_relative 10 8 mouseup 1"));
        PumpFor(100);
    }
    EXPECT_TRUE(PumpUntil([&] {
        RECT r;
        GetWindowRect(f.Window, &r);
        return r.Left == start.Left + 50 && r.Top == start.Top + 40;
    })) << "the window did not follow the drags";
    RECT moved;
    GetWindowRect(f.Window, &moved);
    // A click on the button: the window stays where it is and the button hears it.
    POINT centre{60, 20};
    ClientToScreen(f.Button, &centre);
    ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(centre.X) + " " +
                      std::to_string(centre.Y) + " click 1 mousemove --sync " +
                      std::to_string(centre.X + 40) + " " + std::to_string(centre.Y + 30)));
    EXPECT_TRUE(PumpUntil([&] { return smoke::Seen().Clicks == clicks + 1; }));
    PumpFor(200);
    RECT after;
    GetWindowRect(f.Window, &after);
    EXPECT_EQ(after, moved);
    DestroyWindow(f.Window);
    PumpFor(50);
}

// Alt+Space from the real keyboard opens the window menu as a popup on the X screen; Enter on its
// first command (Move), two Right arrows and Enter move the window by 16 pixels; Esc closes it.
TEST_F(GtkSmoke, AltSpaceOpensTheWindowMenuAndItsMoveFollowsTheArrows)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    smoke::Form f = smoke::CreateForm(140, 120, false);
    ShowWindow(f.Window, SW_SHOW);
    UpdateWindow(f.Window);
    GtkWidget* native = Gtk()->NativeWindow(f.Window);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    PumpFor(200);
    // The pointer rests over our window, away from where the menu shows: with no window manager
    // the keyboard follows it.
    POINT inText{320, 40};
    ClientToScreen(f.Text, &inText);
    ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(inText.X) + " " +
                      std::to_string(inText.Y) + " click 1"));
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == f.Text; }));
    RECT start;
    GetWindowRect(f.Window, &start);

    auto menuShown = [] {
        HWND m = FindWindow("#32768", nullptr);
        GtkWidget* w = m ? Gtk()->NativeWindow(m) : nullptr;
        return w && gtk_widget_get_mapped(w);
    };
    ASSERT_TRUE(Shell("xdotool key alt+space"));
    ASSERT_TRUE(PumpUntil(menuShown)) << "the window menu did not show";
    ASSERT_TRUE(Shell("xdotool key Escape"));
    EXPECT_TRUE(PumpUntil([] { return FindWindow("#32768", nullptr) == nullptr; }));

    ASSERT_TRUE(Shell("xdotool key alt+space"));
    ASSERT_TRUE(PumpUntil(menuShown));
    ASSERT_TRUE(Shell("xdotool key --delay 50 Return Right Right Return"));
    auto geometry = [&] {
        GdkWindow* g = gtk_widget_get_window(native);
        int x = 0, y = 0;
        gdk_window_get_origin(g, &x, &y);
        return TPoint{x, y};
    };
    EXPECT_TRUE(PumpUntil([&] {
        return geometry() == TPoint{start.Left + 16, start.Top};
    })) << "the window did not follow the arrows";
    RECT moved;
    GetWindowRect(f.Window, &moved);
    EXPECT_EQ(moved, (RECT{start.Left + 16, start.Top, start.Right + 16, start.Bottom}));
    EXPECT_EQ(FindWindow("#32768", nullptr), nullptr);
    // The keys reach the window again.
    const std::u16string typed = smoke::Seen().Typed;
    ASSERT_TRUE(Shell("xdotool type z"));
    EXPECT_TRUE(PumpUntil([&] { return smoke::Seen().Typed == typed + u"z"; }));
    DestroyWindow(f.Window);
    PumpFor(50);
}

// Without a window manager to iconify it, a minimized window leaves the screen and comes back
// where it was; a maximized one covers the work area.
TEST_F(GtkSmoke, MinimizedAndMaximizedWindowsOnABareXServer)
{
    smoke::Form f = smoke::CreateForm(120, 90, false);
    ShowWindow(f.Window, SW_SHOW);
    GtkWidget* native = Gtk()->NativeWindow(f.Window);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    ShowWindow(f.Window, SW_MINIMIZE);
    if (!IsIconic(f.Window))
        GTEST_SKIP() << "the window layer has no minimized state";
    EXPECT_TRUE(PumpUntil([&] { return !gtk_widget_get_mapped(native); }));
    ShowWindow(f.Window, SW_RESTORE);
    EXPECT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    auto geometry = [&] {
        GdkWindow* g = gtk_widget_get_window(native);
        int x = 0, y = 0;
        gdk_window_get_origin(g, &x, &y);
        return TRect{x, y, x + gdk_window_get_width(g), y + gdk_window_get_height(g)};
    };
    EXPECT_TRUE(PumpUntil([&] { return geometry() == TRect{120, 90, 520, 350}; }));
    PumpFor(300); // nothing moves it back
    EXPECT_EQ(geometry(), (TRect{120, 90, 520, 350}));
    RECT r;
    GetWindowRect(f.Window, &r);
    EXPECT_EQ(r, (TRect{120, 90, 520, 350}));

    ShowWindow(f.Window, SW_MAXIMIZE);
    TRect work = Backend().WorkArea();
    EXPECT_TRUE(PumpUntil([&] { return geometry() == work; }));
    DestroyWindow(f.Window);
}

TEST_F(GtkSmoke, APopupHoldingTheCaptureGrabsThePointer)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    WNDCLASS wc{};
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = "SmokePopup";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClass(&wc);
    HWND popup = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "SmokePopup", "", WS_POPUP | WS_BORDER, 300,
                                300, 120, 90, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    ShowWindow(popup, SW_SHOWNA);
    SetCapture(popup);
    GtkWidget* native = Gtk()->NativeWindow(popup);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(native)), GTK_WINDOW_POPUP);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    PumpFor(100);
    // On the bare desktop, where no window of ours is: the popup still hears of it.
    ASSERT_TRUE(Shell("xdotool mousemove --sync 900 700 click 1"));
    EXPECT_TRUE(PumpUntil([] { return !PopupClicks.empty(); }));
    ASSERT_EQ(PopupClicks.size(), 1u);
    EXPECT_EQ(PopupClicks[0], (POINT{900, 700}));
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_EQ(GetCapture(), nullptr);
    PumpFor(50);
    EXPECT_FALSE(gtk_widget_get_visible(native));
    DestroyWindow(popup);
}

// Counts the pixels of a colour inside rect r of a screen dump in X's window dump format (as
// the xwd tool writes it: a big-endian header, the colour table, then rows of 24-bit colours in
// three or four bytes); -1 when the file is no such dump.
int PixelsInDump(const std::string& file, const RECT& r, COLORREF colour)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto field = [&](std::size_t i) -> std::uint32_t {
        std::size_t o = i * 4;
        if (o + 4 > d.size())
            return 0;
        return std::uint32_t(d[o]) << 24 | std::uint32_t(d[o + 1]) << 16 | std::uint32_t(d[o + 2]) << 8 |
               d[o + 3];
    };
    const std::uint32_t headerSize = field(0), width = field(4), height = field(5), byteOrder = field(7),
                        bytesPerLine = field(12), redMask = field(14), greenMask = field(15),
                        blueMask = field(16), colours = field(19);
    const std::uint32_t bytesPerPixel = width ? bytesPerLine / width : 0;
    if ((bytesPerPixel != 3 && bytesPerPixel != 4) || redMask != 0xFF0000 || greenMask != 0xFF00 ||
        blueMask != 0xFF)
        return -1;
    const std::size_t pixels = std::size_t(headerSize) + std::size_t(colours) * 12;
    if (r.Left < 0 || r.Top < 0 || std::uint32_t(r.Right) > width || std::uint32_t(r.Bottom) > height ||
        pixels + std::size_t(bytesPerLine) * height > d.size())
        return -1;
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const unsigned char* p =
                d.data() + pixels + std::size_t(y) * bytesPerLine + std::size_t(x) * bytesPerPixel;
            std::uint32_t v = 0;
            for (std::uint32_t i = 0; i < bytesPerPixel; ++i)
                v |= std::uint32_t(p[byteOrder == 0 ? i : bytesPerPixel - 1 - i]) << (8 * i);
            if (RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) == colour)
                ++n;
        }
    return n;
}

// A message window run modally from a key handler, as a program asks a question: while its own
// loop runs, the screen shows what it painted, also to another program reading the screen.
struct ModalSeen {
    HWND Dialog = nullptr;
    bool Ran = false;
    int Area = 0;     // pixels of the dialog's client area
    int OnServer = 0; // of them in the dialog's colour, as this program reads the screen
    int InDump = -2;  // the same in a screen dump by xwd (-1: unreadable, -2: no dump)
    int Looks = 0;
};
ModalSeen Modal;
const COLORREF ModalColour = RGB(200, 40, 60);
constexpr UINT_PTR ModalLookTimer = 1;
constexpr int ModalLookLimit = 60; // looks 50 ms apart: three seconds

LRESULT ModalDialogProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        HBRUSH b = CreateSolidBrush(ModalColour);
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_TIMER: {
        // Looks at the screen from inside the modal loop, as a person looks at the window.
        RECT c;
        GetClientRect(h, &c);
        POINT o{0, 0};
        ClientToScreen(h, &o);
        RECT r{o.X, o.Y, o.X + c.Width(), o.Y + c.Height()};
        Modal.Area = c.Width() * c.Height();
        ++Modal.Looks;
        GdkPixbuf* shot =
            gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.Left, r.Top, r.Width(), r.Height());
        Modal.OnServer = 0;
        for (int y = 0; shot && y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x)
                if (PixelOf(shot, x, y) == ModalColour)
                    ++Modal.OnServer;
        if (shot)
            g_object_unref(shot);
        bool painted = Modal.OnServer >= Modal.Area * 9 / 10;
        if (painted && HaveCommand("xwd")) {
            std::string dump = std::string(DRAWMERE_SMOKE_OUTPUT) + "/gtk-modal.xwd";
            Modal.InDump =
                Shell("xwd -root -silent > '" + dump + "'") ? PixelsInDump(dump, r, ModalColour) : -1;
        }
        if (painted || Modal.Looks >= ModalLookLimit)
            PostMessage(h, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_CLOSE:
        KillTimer(h, ModalLookTimer);
        EnableWindow(GetWindow(h, GW_OWNER), TRUE);
        DestroyWindow(h);
        Modal.Dialog = nullptr;
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

LRESULT ModalOwnerProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_KEYDOWN && w == VK_F3 && !Modal.Ran) {
        Modal.Ran = true;
        RECT o;
        GetWindowRect(h, &o);
        HWND d = CreateWindowEx(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE, "SmokeModalDialog", "Message Box",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, o.Left + 60, o.Top + 60, 300, 140, h,
                                nullptr, nullptr, nullptr);
        if (!d)
            return 0;
        Modal.Dialog = d;
        EnableWindow(h, FALSE);
        ShowWindow(d, SW_SHOW);
        SetTimer(d, ModalLookTimer, 50, nullptr);
        // The dialog's own loop, nested in the key's dispatch.
        MSG msg;
        while (Modal.Dialog && GetMessage(&msg, nullptr, 0, 0)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

// The X visual and colormap of a window of ours, and of the root window.
std::pair<VisualID, Colormap> VisualOf(Window xid)
{
    XWindowAttributes a{};
    if (!XGetWindowAttributes(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()), xid, &a))
        return {0, 0};
    return {XVisualIDFromVisual(a.visual), a.colormap};
}

TEST_F(GtkSmoke, AModalWindowShownFromAKeyHandlerShowsItsPaint)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    WNDCLASS wc{};
    wc.lpfnWndProc = ModalOwnerProc;
    wc.lpszClassName = "SmokeModalOwner";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClass(&wc);
    wc.lpfnWndProc = ModalDialogProc;
    wc.lpszClassName = "SmokeModalDialog";
    wc.hbrBackground = nullptr;
    RegisterClass(&wc);
    HWND owner = CreateWindowEx(0, "SmokeModalOwner", "Owner", WS_OVERLAPPEDWINDOW, 200, 150, 500, 360,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    ShowWindow(owner, SW_SHOW);
    UpdateWindow(owner);
    GtkWidget* native = Gtk()->NativeWindow(owner);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(native); }));
    PumpFor(200);
    // Every window of ours is on the root window's visual and colormap: a program reading the
    // screen one visual at a time would otherwise find our windows black.
    auto root = VisualOf(gdk_x11_window_get_xid(gdk_get_default_root_window()));
    EXPECT_EQ(VisualOf(gdk_x11_window_get_xid(gtk_widget_get_window(native))), root);

    // With no window manager the keyboard follows the pointer: it rests over the owner.
    ASSERT_TRUE(Shell("xdotool mousemove --sync 450 450 key F3"));
    EXPECT_TRUE(PumpUntil([] { return Modal.Ran && !Modal.Dialog; }));
    ASSERT_TRUE(Modal.Ran) << "the key did not reach the owner";
    EXPECT_GE(Modal.OnServer, Modal.Area * 9 / 10)
        << "the dialog's paint never reached the screen (" << Modal.Looks << " looks)";
    if (Modal.InDump != -2) {
        EXPECT_GE(Modal.InDump, Modal.Area * 9 / 10)
            << "another program's screen dump shows the dialog unpainted";
    }
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

struct DropSeen {
    std::vector<DesktopDragPhase> Phases;
    HWND Window = nullptr;
    POINT At{};
    std::string Text;
    DWORD OkEffects = 0;
};
DropSeen Drops;
DWORD DragResult = 0xFFFF;
// The pointer moves that carry the drag come from another process. They are started only when the
// press has reached the source window, right before the drag begins, so a busy machine that is
// slow to deliver the press cannot make them arrive before the drag exists.
std::string DragMoves;

// Or, in place of DragMoves, steps taken one by one while the drag runs: each step's pointer
// action is made once the drag shows what the step before it needs (an empty condition: at
// once), so no step depends on how fast the machine delivers events.
struct DragStep {
    std::function<bool()> Ready; // what must be seen before the action
    std::string Action;          // an xdotool command line
};
std::vector<DragStep> DragSteps;

gboolean TakeDragStep(gpointer)
{
    if (DragSteps.empty())
        return G_SOURCE_REMOVE;
    DragStep& next = DragSteps.front();
    if (next.Ready && !next.Ready())
        return G_SOURCE_CONTINUE;
    // What our own windows sent each other (the drop target's answer to the drag) is read and
    // handled before the next step.
    gdk_display_sync(gdk_display_get_default());
    Shell(next.Action);
    DragSteps.erase(DragSteps.begin());
    return DragSteps.empty() ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

LRESULT DragSourceProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_LBUTTONDOWN) {
        ClipboardFormats data;
        std::string text = "drag 獎";
        data[CF_TEXT].assign(text.begin(), text.end());
        data[CF_TEXT].push_back(0);
        if (!DragMoves.empty())
            Shell("(" + DragMoves + ") >/dev/null 2>&1 &");
        DragMoves.clear();
        // Below the priority of window-system events: those waiting are handled first.
        if (!DragSteps.empty())
            g_timeout_add_full(G_PRIORITY_LOW, 20, TakeDragStep, nullptr, nullptr);
        DragResult = Backend().DragToDesktop(data, 1 | 2); // copy or move
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

// A drag leaves one window for the desktop and is dropped on another: both ends go through the
// window system's drag-and-drop protocol, as with another program.
TEST_F(GtkSmoke, DragAndDropGoesThroughTheDesktop)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    WNDCLASS wc{};
    wc.lpfnWndProc = DragSourceProc;
    wc.lpszClassName = "SmokeDragSource";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClass(&wc);
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "SmokeDropTarget";
    RegisterClass(&wc);
    HWND source = CreateWindowEx(0, "SmokeDragSource", "Source", WS_POPUP, 100, 450, 150, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND target = CreateWindowEx(0, "SmokeDropTarget", "Target", WS_POPUP, 500, 450, 150, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ShowWindow(source, SW_SHOW);
    ShowWindow(target, SW_SHOWNA);
    Drops = DropSeen{};
    SetDesktopDropHandler([](const DesktopDrag& d) -> DWORD {
        Drops.Phases.push_back(d.Phase);
        Drops.Window = d.Window;
        Drops.At = d.Screen;
        Drops.OkEffects = d.OkEffects;
        if (auto it = d.Data->find(CF_TEXT); it != d.Data->end())
            Drops.Text = reinterpret_cast<const char*>(it->second.data());
        return 1; // copy
    });
    ASSERT_TRUE(PumpUntil([&] {
        return gtk_widget_get_mapped(Gtk()->NativeWindow(source)) &&
               gtk_widget_get_mapped(Gtk()->NativeWindow(target));
    }));
    PumpFor(200);
    // The moves and the release come from another process while the drag runs here, each once
    // the drag has answered the move before it: over the target, then at the drop point.
    const POINT dropAt{560, 500};
    DragSteps = {
        {nullptr, "xdotool mousemove --sync 300 480"},
        {nullptr, "xdotool mousemove --sync 540 490"},
        {[=] { return Drops.Window == target; }, "xdotool mousemove --sync 560 500"},
        {[=] { return Drops.At == dropAt; }, "xdotool mouseup 1"},
    };
    ASSERT_TRUE(Shell("xdotool mousemove --sync 150 500 mousedown 1"));
    EXPECT_TRUE(PumpUntil([] { return DragResult != 0xFFFF; }));
    EXPECT_TRUE(DragSteps.empty()) << DragSteps.size() << " step(s) of the drag were not taken";
    DragSteps.clear();
    EXPECT_EQ(DragResult, 1u);
    ASSERT_FALSE(Drops.Phases.empty());
    EXPECT_EQ(Drops.Phases.back(), DesktopDragPhase::Drop);
    EXPECT_EQ(Drops.Window, target);
    EXPECT_EQ(Drops.At, dropAt);
    EXPECT_EQ(Drops.Text, "drag 獎");
    EXPECT_EQ(Drops.OkEffects & 3u, 3u);
    SetDesktopDropHandler(nullptr);
    DestroyWindow(source);
    DestroyWindow(target);
}

// The contents of a file, or nothing while it is not there.
std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text goes both ways between our window and a text view of another GTK program, with the
// pointer driven from outside as a person would: first the other program's selected text is
// dragged onto our window, then text of ours is dragged into its view.
TEST_F(GtkSmoke, TextDragsToAndFromAnotherProgramsTextView)
{
    if (!HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    std::string out = std::string(DRAWMERE_SMOKE_OUTPUT) + "/dnd-peer-text";
    std::remove(out.c_str());
    const char* argv[] = {DRAWMERE_DND_PEER, "100", "100", "from peer", out.c_str(), nullptr};
    GPid peer = 0;
    ASSERT_TRUE(g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                              nullptr, &peer, nullptr));
    struct Stop {
        GPid Pid;
        ~Stop()
        {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
            g_spawn_close_pid(Pid);
        }
    } stop{peer};

    WNDCLASS wc{};
    wc.lpfnWndProc = DragSourceProc;
    wc.lpszClassName = "SmokeDragSource";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClass(&wc);
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "SmokeDropTarget";
    RegisterClass(&wc);
    HWND source = CreateWindowEx(0, "SmokeDragSource", "Source", WS_POPUP, 500, 300, 150, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND target = CreateWindowEx(0, "SmokeDropTarget", "Target", WS_POPUP, 500, 100, 150, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ShowWindow(source, SW_SHOWNA);
    ShowWindow(target, SW_SHOWNA);
    Drops = DropSeen{};
    SetDesktopDropHandler([](const DesktopDrag& d) -> DWORD {
        Drops.Phases.push_back(d.Phase);
        Drops.Window = d.Window;
        if (auto it = d.Data->find(CF_TEXT); it != d.Data->end())
            Drops.Text = reinterpret_cast<const char*>(it->second.data());
        return 1; // copy
    });
    ASSERT_TRUE(PumpUntil(
        [&] {
            return gtk_widget_get_mapped(Gtk()->NativeWindow(source)) &&
                   gtk_widget_get_mapped(Gtk()->NativeWindow(target)) && ReadFile(out).has_value();
        },
        60000))
        << "the other program's window did not come up"; // a loaded machine starts it slowly
    PumpFor(300);

    // Theirs to ours: press on the selected first line, move past the drag threshold, over our
    // window, and let go there. Our loop runs meanwhile: the drop is answered here.
    ASSERT_TRUE(Shell("(xdotool mousemove --sync 115 108 mousedown 1; sleep 0.3; "
                      "xdotool mousemove --sync 140 120; sleep 0.3; xdotool mousemove --sync 400 140; "
                      "sleep 0.3; xdotool mousemove --sync 540 140; sleep 0.3; "
                      "xdotool mousemove --sync 560 150; sleep 0.5; xdotool mouseup 1) >/dev/null 2>&1 &"));
    EXPECT_TRUE(PumpUntil([] {
        return !Drops.Phases.empty() && Drops.Phases.back() == DesktopDragPhase::Drop && !Drops.Text.empty();
    })) << "nothing dropped on our window";
    EXPECT_EQ(Drops.Window, target);
    EXPECT_EQ(Drops.Text, "from peer");
    PumpFor(300);

    // Ours to theirs: a drag from our window let go over the empty lines of the view.
    DragResult = 0xFFFF;
    DragMoves = "sleep 0.5; xdotool mousemove --sync 400 250; sleep 0.3; "
                "xdotool mousemove --sync 200 200; sleep 0.3; xdotool mousemove --sync 150 190; "
                "sleep 0.5; xdotool mouseup 1";
    ASSERT_TRUE(Shell("xdotool mousemove --sync 550 350 mousedown 1"));
    EXPECT_TRUE(PumpUntil([] { return DragResult != 0xFFFF; }));
    EXPECT_NE(DragResult, 0u) << "the other program refused the drop";
    EXPECT_TRUE(PumpUntil([&] { return ReadFile(out).value_or("").find("drag 獎") != std::string::npos; }))
        << "the text did not arrive in the other program: " << ReadFile(out).value_or("");
    EXPECT_NE(ReadFile(out).value_or("").find("from peer"), std::string::npos);

    SetDesktopDropHandler(nullptr);
    DestroyWindow(source);
    DestroyWindow(target);
}

// Answers the next dialog of type T the way a person would, once it is on screen, and again
// while it stays there (a file chooser checks the chosen name before it lets go).
template <class T> void AnswerNext(std::function<void(GtkDialog*)> answer)
{
    struct Pending {
        std::function<void(GtkDialog*)> Answer;
        bool Answered = false;
    };
    auto* p = new Pending{std::move(answer)};
    g_timeout_add(
        100,
        [](gpointer data) -> gboolean {
            auto* p = static_cast<Pending*>(data);
            GList* tops = gtk_window_list_toplevels();
            GtkDialog* found = nullptr;
            for (GList* l = tops; l; l = l->next)
                if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, T::Type()) &&
                    gtk_widget_get_mapped(GTK_WIDGET(l->data)))
                    found = GTK_DIALOG(l->data);
            g_list_free(tops);
            if (!found) {
                if (!p->Answered)
                    return G_SOURCE_CONTINUE;
                delete p;
                return G_SOURCE_REMOVE;
            }
            p->Answered = true;
            p->Answer(found);
            return G_SOURCE_CONTINUE;
        },
        p);
}
struct FileChooser {
    static GType Type() { return GTK_TYPE_FILE_CHOOSER_DIALOG; }
};
struct ColorChooser {
    static GType Type() { return GTK_TYPE_COLOR_CHOOSER_DIALOG; }
};
struct FontChooser {
    static GType Type() { return GTK_TYPE_FONT_CHOOSER_DIALOG; }
};

TEST_F(GtkSmoke, NativeDialogsAnswerInTheLayersTerms)
{
    FileDialogRequest save;
    save.Save = true;
    save.InitialDir = DRAWMERE_SMOKE_OUTPUT;
    save.FileName = "prizes.xls";
    save.Filters = {{"Text", "*.txt"}, {"Workbooks", "*.xls;*.xlsx"}};
    save.FilterIndex = 2;
    AnswerNext<FileChooser>([](GtkDialog* d) { gtk_dialog_response(d, GTK_RESPONSE_ACCEPT); });
    std::optional<FileDialogAnswer> saved = Backend().RunFileDialog(nullptr, save);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->Files, std::vector<std::string>{std::string(DRAWMERE_SMOKE_OUTPUT) + "/prizes.xls"});
    EXPECT_EQ(saved->FilterIndex, 2);

    AnswerNext<FileChooser>([](GtkDialog* d) { gtk_dialog_response(d, GTK_RESPONSE_CANCEL); });
    EXPECT_FALSE(Backend().RunFileDialog(nullptr, FileDialogRequest{}).has_value());

    AnswerNext<ColorChooser>([](GtkDialog* d) {
        GdkRGBA c{1.0, 0.5, 0.0, 1.0};
        gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(d), &c);
        gtk_dialog_response(d, GTK_RESPONSE_OK);
    });
    EXPECT_EQ(Backend().RunColorDialog(nullptr, RGB(1, 2, 3)), std::optional<TColor>(RGB(255, 128, 0)));

    AnswerNext<FontChooser>([](GtkDialog* d) {
        gtk_font_chooser_set_font(GTK_FONT_CHOOSER(d), "Serif Bold 14");
        gtk_dialog_response(d, GTK_RESPONSE_OK);
    });
    FontDialogChoice initial;
    initial.Family = "Sans";
    initial.Underline = true;
    std::optional<FontDialogChoice> font = Backend().RunFontDialog(nullptr, initial);
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->Family, "Serif");
    EXPECT_EQ(font->PointSize, 14);
    EXPECT_TRUE(font->Bold);
    EXPECT_FALSE(font->Italic);
    EXPECT_TRUE(font->Underline); // not the chooser's to change
}

struct PlainDialog {
    static GType Type() { return GTK_TYPE_DIALOG; }
};

// The widgets of a dialog's content, in the order they were added, found by type.
std::vector<GtkWidget*> Descendants(GtkWidget* w, GType type)
{
    std::vector<GtkWidget*> found;
    if (G_TYPE_CHECK_INSTANCE_TYPE(w, type))
        found.push_back(w);
    if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        // A grid lists its children last-added first.
        if (GTK_IS_GRID(w))
            children = g_list_reverse(children);
        for (GList* l = children; l; l = l->next) {
            auto more = Descendants(GTK_WIDGET(l->data), type);
            found.insert(found.end(), more.begin(), more.end());
        }
        g_list_free(children);
    }
    return found;
}

TEST_F(GtkSmoke, PrintDialogChoosesAmongTheLayersPrinters)
{
    PrintDialogRequest request;
    request.Printers = {"Office", "Draft"};
    request.Current = 0;
    request.Copies = 2;
    request.PageNums = true;
    request.MinPage = 1;
    request.MaxPage = 9;
    AnswerNext<PlainDialog>([](GtkDialog* d) {
        GtkWidget* content = gtk_dialog_get_content_area(d);
        auto combos = Descendants(content, GTK_TYPE_COMBO_BOX_TEXT);
        auto spins = Descendants(content, GTK_TYPE_SPIN_BUTTON);
        ASSERT_EQ(combos.size(), 2u);
        ASSERT_EQ(spins.size(), 3u);
        gtk_combo_box_set_active(GTK_COMBO_BOX(combos[0]), 1);
        gtk_combo_box_set_active(GTK_COMBO_BOX(combos[1]), 1);
        EXPECT_EQ(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(spins[0])), 2);
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(spins[0]), 4);
        gtk_dialog_response(d, GTK_RESPONSE_OK);
    });
    std::optional<PrintDialogChoice> chosen = Backend().RunPrintDialog(nullptr, request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->Printer, "Draft");
    EXPECT_EQ(chosen->Orientation, 2);
    EXPECT_EQ(chosen->Copies, 4);
    EXPECT_EQ(chosen->FromPage, 0); // all pages: the range was not ticked

    PumpFor(300); // the first answer sees its dialog gone before the next one comes
    request.Setup = true;
    AnswerNext<PlainDialog>([](GtkDialog* d) { gtk_dialog_response(d, GTK_RESPONSE_CANCEL); });
    EXPECT_FALSE(Backend().RunPrintDialog(nullptr, request).has_value());
}

TEST_F(GtkSmoke, TimersRunOnTheRealClock)
{
    Timers = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 40, [](HWND, UINT, UINT_PTR, DWORD) { ++Timers; });
    DWORD start = GetTickCount();
    EXPECT_TRUE(PumpUntil([] { return Timers >= 3; }, 5000));
    EXPECT_GE(GetTickCount() - start, 100u); // three periods of 40 ms took real time
    KillTimer(nullptr, id);
}

TEST_F(GtkSmoke, ClipboardTalksToOtherProgramsInTheirFormats)
{
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    UINT html = RegisterClipboardFormat("HTML Format");
    UINT own = RegisterClipboardFormat("Drawmere Smoke Rows");

    // Ours, read as another program reads it: by target.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    std::u16string w = u"獎品 list";
    HGLOBAL t = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * 2);
    std::memcpy(GlobalLock(t), w.c_str(), (w.size() + 1) * 2);
    GlobalUnlock(t);
    SetClipboardData(CF_UNICODETEXT, t);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(h), "x\0\0", 4);
    GlobalUnlock(h);
    SetClipboardData(own, h);
    CloseClipboard();
    gchar* got = gtk_clipboard_wait_for_text(cb);
    ASSERT_NE(got, nullptr);
    EXPECT_STREQ(got, "獎品 list");
    g_free(got);
    GtkSelectionData* sd = gtk_clipboard_wait_for_contents(cb, gdk_atom_intern("Drawmere Smoke Rows", FALSE));
    ASSERT_NE(sd, nullptr);
    EXPECT_EQ(gtk_selection_data_get_length(sd), 4);
    gtk_selection_data_free(sd);

    // Another owner's text and HTML, read as the layer's formats.
    static const GtkTargetEntry targets[] = {{const_cast<gchar*>("UTF8_STRING"), 0, 0},
                                             {const_cast<gchar*>("text/html"), 0, 1}};
    gtk_clipboard_set_with_data(
        cb, targets, 2,
        [](GtkClipboard*, GtkSelectionData* d, guint info, gpointer) {
            if (info == 0)
                gtk_selection_data_set_text(d, "from elsewhere", -1);
            else
                gtk_selection_data_set(d, gtk_selection_data_get_target(d), 8,
                                       reinterpret_cast<const guchar*>("<b>bold</b>"), 11);
        },
        nullptr, nullptr);
    PumpFor(100);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL a = static_cast<HGLOBAL>(GetClipboardData(CF_TEXT));
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(a)), "from elsewhere");
    GlobalUnlock(a);
    HGLOBAL x = static_cast<HGLOBAL>(GetClipboardData(html));
    ASSERT_NE(x, nullptr);
    std::string cf(static_cast<const char*>(GlobalLock(x)));
    GlobalUnlock(x);
    EXPECT_EQ(cf.rfind("Version:", 0), 0u);
    EXPECT_NE(cf.find("<!--StartFragment--><b>bold</b><!--EndFragment-->"), std::string::npos);
    CloseClipboard();
}

// Links go out as the targets browsers and file managers know, and come in from them checked:
// a malformed RTF another program offers beside its link is left out.
TEST_F(GtkSmoke, LinksTravelAsOtherProgramsLinkTargets)
{
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    UINT url = RegisterClipboardFormat("UniformResourceLocator");
    UINT rtf = RegisterClipboardFormat("Rich Text Format");

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char link[] = "https://example.org/獎";
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, sizeof link);
    std::memcpy(GlobalLock(h), link, sizeof link);
    GlobalUnlock(h);
    SetClipboardData(url, h);
    CloseClipboard();
    auto read = [&](const char* target) {
        std::string out;
        if (GtkSelectionData* sd = gtk_clipboard_wait_for_contents(cb, gdk_atom_intern(target, FALSE))) {
            const guchar* p = gtk_selection_data_get_data(sd);
            gint n = gtk_selection_data_get_length(sd);
            if (p && n > 0)
                out.assign(reinterpret_cast<const char*>(p), size_t(n));
            gtk_selection_data_free(sd);
        }
        return out;
    };
    std::string moz = read("text/x-moz-url");
    std::u16string expected = u"https://example.org/獎\nhttps://example.org/獎";
    EXPECT_EQ(moz, std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));
    EXPECT_EQ(read("_NETSCAPE_URL"), "https://example.org/獎\nhttps://example.org/獎");
    EXPECT_EQ(read("text/uri-list"), "https://example.org/獎\r\n");

    static const GtkTargetEntry targets[] = {{const_cast<gchar*>("text/x-moz-url"), 0, 0},
                                             {const_cast<gchar*>("text/rtf"), 0, 1}};
    gtk_clipboard_set_with_data(
        cb, targets, 2,
        [](GtkClipboard*, GtkSelectionData* d, guint info, gpointer) {
            if (info == 0) {
                std::u16string m = u"http://h/p\nA title";
                gtk_selection_data_set(d, gtk_selection_data_get_target(d), 8,
                                       reinterpret_cast<const guchar*>(m.data()), gint(m.size() * 2));
            } else {
                gtk_selection_data_set(d, gtk_selection_data_get_target(d), 8,
                                       reinterpret_cast<const guchar*>("not rtf"), 7);
            }
        },
        nullptr, nullptr);
    PumpFor(100);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL u = static_cast<HGLOBAL>(GetClipboardData(url));
    ASSERT_NE(u, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(u)), "http://h/p");
    GlobalUnlock(u);
    HGLOBAL t = static_cast<HGLOBAL>(GetClipboardData(CF_TEXT));
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(t)), "http://h/p");
    GlobalUnlock(t);
    EXPECT_EQ(GetClipboardData(rtf), nullptr);
    CloseClipboard();
}

// Another program's text that is not valid UTF-8 comes in whole, the bad bytes as U+FFFD; of its
// file list only this machine's files come in, another host's file: address never as a local path.
TEST_F(GtkSmoke, ForeignTextAndFilesComeInChecked)
{
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    // The clipboard is ours before each other owner takes it, so that each change is seen.
    auto takeOver = [] {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
        PumpFor(50);
    };
    static const GtkTargetEntry targets[] = {{const_cast<gchar*>("UTF8_STRING"), 0, 0},
                                             {const_cast<gchar*>("text/uri-list"), 0, 1}};
    takeOver();
    gtk_clipboard_set_with_data(
        cb, targets, 2,
        [](GtkClipboard*, GtkSelectionData* d, guint info, gpointer) {
            const char* data =
                info == 0 ? "before\xFF after" : "file://remotehost/etc/passwd\r\nfile:///tmp/prizes.xls\r\n";
            gtk_selection_data_set(d, gtk_selection_data_get_target(d), 8,
                                   reinterpret_cast<const guchar*>(data), gint(std::strlen(data)));
        },
        nullptr, nullptr);
    PumpFor(100);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL t = static_cast<HGLOBAL>(GetClipboardData(CF_TEXT));
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(t)), "before\xEF\xBF\xBD after");
    GlobalUnlock(t);
    HGLOBAL f = static_cast<HGLOBAL>(GetClipboardData(HDropFormat));
    ASSERT_NE(f, nullptr);
    const auto* p = static_cast<const std::uint8_t*>(GlobalLock(f));
    EXPECT_EQ(ReadDropFiles(ClipBytes(p, p + GlobalSize(f))), std::vector<std::string>{"/tmp/prizes.xls"});
    GlobalUnlock(f);
    CloseClipboard();

    // A list of another host's files only: no files at all.
    takeOver();
    gtk_clipboard_set_with_data(
        cb, targets + 1, 1,
        [](GtkClipboard*, GtkSelectionData* d, guint, gpointer) {
            const char* data = "file://remotehost/etc/passwd\r\n";
            gtk_selection_data_set(d, gtk_selection_data_get_target(d), 8,
                                   reinterpret_cast<const guchar*>(data), gint(std::strlen(data)));
        },
        nullptr, nullptr);
    PumpFor(100);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(HDropFormat), nullptr);
    CloseClipboard();
}

} // namespace
