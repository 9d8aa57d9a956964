// The headless test harness.

#include "platform/testing/Harness.h"

#include "platform/rtl/Random.h"
#include "platform/rtl/Strings.h"

#include <cairo.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace uitest {

namespace {

// The procedure each watched window had before, and who watches it.
struct WatchEntry {
    WNDPROC Previous;
    MessageRecorder* Recorder;
    std::vector<RecordedMessage>* Log;
};
std::map<HWND, WatchEntry>& Watches()
{
    static std::map<HWND, WatchEntry> watches;
    return watches;
}

void PressModifiers(unsigned shift, bool down)
{
    const UINT keys[3] = {VK_CONTROL, VK_MENU, VK_SHIFT};
    const unsigned bits[3] = {ksCtrl, ksAlt, ksShift};
    if (down) {
        for (int i = 0; i < 3; ++i)
            if (shift & bits[i])
                InputKey(keys[i], true);
    } else {
        for (int i = 2; i >= 0; --i)
            if (shift & bits[i])
                InputKey(keys[i], false);
    }
}

// The key and Shift state that type an ASCII character on a US keyboard; vk 0 when none does.
std::pair<UINT, bool> KeyFor(char16_t c)
{
    if (c >= 'a' && c <= 'z')
        return {UINT(c - 'a' + 'A'), false};
    if (c >= 'A' && c <= 'Z')
        return {UINT(c), true};
    if (c >= '0' && c <= '9')
        return {UINT(c), false};
    static const std::u16string shiftedDigits = u")!@#$%^&*(";
    if (auto p = shiftedDigits.find(c); p != std::u16string::npos)
        return {UINT('0' + p), true};
    struct Oem {
        char16_t Plain, Shifted;
        UINT Vk;
    };
    static const Oem oem[] = {
        {u';', u':', VK_OEM_1},     {u'=', u'+', VK_OEM_PLUS},   {u',', u'<', VK_OEM_COMMA},
        {u'-', u'_', VK_OEM_MINUS}, {u'.', u'>', VK_OEM_PERIOD}, {u'/', u'?', VK_OEM_2},
        {u'`', u'~', VK_OEM_3},     {u'[', u'{', VK_OEM_4},      {u'\\', u'|', VK_OEM_5},
        {u']', u'}', VK_OEM_6},     {u'\'', u'"', VK_OEM_7}};
    for (const Oem& o : oem) {
        if (c == o.Plain)
            return {o.Vk, false};
        if (c == o.Shifted)
            return {o.Vk, true};
    }
    switch (c) {
    case u' ':
        return {VK_SPACE, false};
    case u'\r':
    case u'\n':
        return {VK_RETURN, false};
    case u'\t':
        return {VK_TAB, false};
    case 8:
        return {VK_BACK, false};
    case 27:
        return {VK_ESCAPE, false};
    default:
        return {0, false};
    }
}

} // namespace

HeadlessBackend& Start(TSize screen)
{
    Watches().clear();
    HeadlessBackend& b = StartHeadless(screen);
    RandSeed = 0;
    // Tests see the printers they configure, never the machine's.
    ConfigurePrinters("", false);
    return b;
}

HeadlessBackend& Screen()
{
    HeadlessBackend* b = Headless();
    return b ? *b : Start();
}

int PumpUntilIdle(int limit)
{
    int handled = 0;
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            // Left for the program's own loop to see.
            PostQuitMessage(int(m.wParam));
            break;
        }
        TranslateMessage(&m);
        DispatchMessage(&m);
        if (++handled >= limit)
            throw std::runtime_error("the message queue never became idle");
    }
    return handled;
}

void AdvanceTime(std::uint64_t ms)
{
    HeadlessBackend& b = Screen();
    std::uint64_t target = b.Now() + ms;
    PumpUntilIdle();
    std::uint64_t due;
    while (NextTimerDue(&due) && due <= target) {
        if (due > b.Now())
            b.SetClock(due);
        PumpUntilIdle();
    }
    b.SetClock(std::max(target, b.Now()));
    PumpUntilIdle();
}

POINT ToScreen(HWND hwnd, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

void MoveMouse(HWND hwnd, int x, int y)
{
    InputMouseMove(ToScreen(hwnd, x, y));
    PumpUntilIdle();
}

void MouseDown(HWND hwnd, int x, int y, int button)
{
    POINT p = ToScreen(hwnd, x, y);
    InputMouseMove(p);
    InputMouseButton(p, button, true);
    PumpUntilIdle();
}

void MouseUp(HWND hwnd, int x, int y, int button)
{
    POINT p = ToScreen(hwnd, x, y);
    InputMouseMove(p);
    InputMouseButton(p, button, false);
    PumpUntilIdle();
}

void Click(HWND hwnd, int x, int y, int button)
{
    MouseDown(hwnd, x, y, button);
    if (IsWindow(hwnd))
        MouseUp(hwnd, x, y, button);
}

void ClickAt(POINT screen, int button)
{
    InputMouseMove(screen);
    InputMouseButton(screen, button, true);
    PumpUntilIdle();
    InputMouseButton(screen, button, false);
    PumpUntilIdle();
}

void DoubleClick(HWND hwnd, int x, int y, int button)
{
    POINT p = ToScreen(hwnd, x, y);
    ClickAt(p, button);
    Screen().AdvanceClock(50);
    ClickAt(p, button);
}

void Drag(HWND hwnd, int x0, int y0, int x1, int y1, int steps)
{
    POINT a = ToScreen(hwnd, x0, y0), b = ToScreen(hwnd, x1, y1);
    InputMouseMove(a);
    InputMouseButton(a, 0, true);
    PumpUntilIdle();
    steps = std::max(steps, 1);
    for (int i = 1; i <= steps; ++i) {
        InputMouseMove(POINT{a.X + (b.X - a.X) * i / steps, a.Y + (b.Y - a.Y) * i / steps});
        PumpUntilIdle();
    }
    InputMouseButton(b, 0, false);
    PumpUntilIdle();
}

void Wheel(HWND hwnd, int x, int y, int delta)
{
    POINT p = ToScreen(hwnd, x, y);
    InputMouseMove(p);
    InputMouseWheel(p, delta);
    PumpUntilIdle();
}

void KeyDown(UINT vk)
{
    InputKey(vk, true);
    PumpUntilIdle();
}

void KeyUp(UINT vk)
{
    InputKey(vk, false);
    PumpUntilIdle();
}

void PressKey(UINT vk, unsigned shift)
{
    PressModifiers(shift, true);
    InputKey(vk, true);
    InputKey(vk, false);
    PressModifiers(shift, false);
    PumpUntilIdle();
}

void TypeText(const std::u16string& text)
{
    for (char16_t c : text) {
        auto [vk, shift] = KeyFor(c);
        if (vk) {
            PressModifiers(shift ? unsigned(ksShift) : 0u, true);
            InputKey(vk, true);
            InputKey(vk, false);
            PressModifiers(shift ? unsigned(ksShift) : 0u, false);
        } else {
            InputChar(c);
        }
    }
    PumpUntilIdle();
}

void TypeText(const std::string& utf8)
{
    TypeText(UTF8Decode(utf8));
}

const std::vector<UINT>& Beeps()
{
    return Screen().BeepLog();
}
const std::vector<HeadlessBackend::ShellOpenRecord>& ShellOpens()
{
    return Screen().ShellOpenLog();
}
const std::vector<PrintJobRecord>& PrintJobs()
{
    return Screen().PrintJobs();
}
void UsePrinters(const std::string& printerFile)
{
    ConfigurePrinters(printerFile, false);
}
void ClearRecords()
{
    Screen().ClearRecords();
}

COLORREF PixelAt(HWND hwnd, int x, int y)
{
    HWND root = GetAncestor(hwnd, GA_ROOT);
    cairo_surface_t* s = GetWindowSurface(root);
    RECT rr;
    if (!s || !GetWindowRect(root, &rr))
        return CLR_INVALID;
    POINT p = ToScreen(hwnd, x, y);
    int sx = p.X - rr.Left, sy = p.Y - rr.Top;
    cairo_surface_flush(s);
    if (sx < 0 || sy < 0 || sx >= cairo_image_surface_get_width(s) || sy >= cairo_image_surface_get_height(s))
        return CLR_INVALID;
    const unsigned char* row = cairo_image_surface_get_data(s) + sy * cairo_image_surface_get_stride(s);
    std::uint32_t px = reinterpret_cast<const std::uint32_t*>(row)[sx];
    return RGB(BYTE(px >> 16), BYTE(px >> 8), BYTE(px));
}

bool SaveWindowPng(HWND hwnd, const std::string& fileName)
{
    const TWindowDC dc(hwnd, GetWindowDC(hwnd));
    return dc.get() && SaveDCToPng(dc.get(), fileName);
}

bool SaveScreenPng(const std::string& fileName)
{
    return Screen().SaveScreenPng(fileName);
}

// ---- Message recorder ----------------------------------------------------------------------------

LRESULT MessageRecorder::Proc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    auto it = Watches().find(h);
    if (it == Watches().end())
        return DefWindowProc(h, msg, w, l);
    WatchEntry watch = it->second;
    watch.Log->push_back(RecordedMessage{h, msg, w, l});
    if (msg == WM_NCDESTROY)
        Watches().erase(h);
    return CallWindowProc(watch.Previous, h, msg, w, l);
}

void MessageRecorder::Watch(HWND hwnd)
{
    if (!IsWindow(hwnd) || Watches().count(hwnd))
        return;
    WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtr(hwnd, GWL_WNDPROC));
    Watches()[hwnd] = WatchEntry{previous, this, &Log};
    SetWindowLongPtr(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageRecorder::Proc));
    Watched.push_back(hwnd);
}

MessageRecorder::~MessageRecorder()
{
    for (HWND h : Watched) {
        auto it = Watches().find(h);
        if (it == Watches().end() || it->second.Recorder != this)
            continue;
        // Put the procedure back only when no one subclassed the window after us.
        if (IsWindow(h) &&
            GetWindowLongPtr(h, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(&MessageRecorder::Proc))
            SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.Previous));
        Watches().erase(it);
    }
}

std::vector<UINT> MessageRecorder::Ids(HWND hwnd, const std::vector<UINT>& only) const
{
    std::vector<UINT> ids;
    for (const RecordedMessage& m : Log)
        if ((!hwnd || m.Hwnd == hwnd) &&
            (only.empty() || std::find(only.begin(), only.end(), m.Msg) != only.end()))
            ids.push_back(m.Msg);
    return ids;
}

} // namespace uitest
