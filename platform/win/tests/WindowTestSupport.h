#pragma once

// A window layer on a virtual clock for the tests of this folder, a window class whose
// procedure records every message (and lets a test answer some), and a message pump.

#include "platform/win/Backend.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace wintest {

class VirtualBackend : public PlatformBackend {
public:
    const char* Name() const override { return "test"; }
    TSize ScreenSize() const override { return TSize{800, 600}; }
    std::uint64_t Now() const override { return Clock.load(); }
    bool IsVirtualClock() const override { return true; }
    void Beep(UINT type) override { Beeps.push_back(type); }
    std::atomic<std::uint64_t> Clock{500000};
    std::vector<UINT> Beeps;
};

struct Entry {
    HWND Hwnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

inline std::vector<Entry>& Log()
{
    static std::vector<Entry> log;
    return log;
}

// A test may answer messages itself: return true and set the result to skip the default.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;
inline Handler& CurrentHandler()
{
    static Handler handler;
    return handler;
}

inline LRESULT LoggingProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    Log().push_back(Entry{h, m, w, l});
    LRESULT r = 0;
    if (CurrentHandler() && CurrentHandler()(h, m, w, l, r))
        return r;
    return DefWindowProc(h, m, w, l);
}

inline const char* MessageName(UINT m)
{
    static const std::map<UINT, const char*> names = {{WM_CREATE, "WM_CREATE"},
                                                      {WM_DESTROY, "WM_DESTROY"},
                                                      {WM_MOVE, "WM_MOVE"},
                                                      {WM_SIZE, "WM_SIZE"},
                                                      {WM_ACTIVATE, "WM_ACTIVATE"},
                                                      {WM_SETFOCUS, "WM_SETFOCUS"},
                                                      {WM_KILLFOCUS, "WM_KILLFOCUS"},
                                                      {WM_ENABLE, "WM_ENABLE"},
                                                      {WM_PAINT, "WM_PAINT"},
                                                      {WM_CLOSE, "WM_CLOSE"},
                                                      {WM_ERASEBKGND, "WM_ERASEBKGND"},
                                                      {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
                                                      {WM_CANCELMODE, "WM_CANCELMODE"},
                                                      {WM_SETCURSOR, "WM_SETCURSOR"},
                                                      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
                                                      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
                                                      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
                                                      {WM_NCCREATE, "WM_NCCREATE"},
                                                      {WM_NCDESTROY, "WM_NCDESTROY"},
                                                      {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
                                                      {WM_NCHITTEST, "WM_NCHITTEST"},
                                                      {WM_NCPAINT, "WM_NCPAINT"},
                                                      {WM_NCACTIVATE, "WM_NCACTIVATE"},
                                                      {WM_KEYDOWN, "WM_KEYDOWN"},
                                                      {WM_KEYUP, "WM_KEYUP"},
                                                      {WM_CHAR, "WM_CHAR"},
                                                      {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
                                                      {WM_SYSKEYUP, "WM_SYSKEYUP"},
                                                      {WM_SYSCHAR, "WM_SYSCHAR"},
                                                      {WM_TIMER, "WM_TIMER"},
                                                      {WM_HSCROLL, "WM_HSCROLL"},
                                                      {WM_VSCROLL, "WM_VSCROLL"},
                                                      {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
                                                      {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
                                                      {WM_LBUTTONUP, "WM_LBUTTONUP"},
                                                      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
                                                      {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
                                                      {WM_RBUTTONUP, "WM_RBUTTONUP"},
                                                      {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},
                                                      {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
                                                      {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
                                                      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
                                                      {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
                                                      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
                                                      {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
                                                      {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
                                                      {WM_USER, "WM_USER"},
                                                      {WM_STYLECHANGING, "WM_STYLECHANGING"},
                                                      {WM_STYLECHANGED, "WM_STYLECHANGED"}};
    auto it = names.find(m);
    return it == names.end() ? "?" : it->second;
}

// "window:MESSAGE" for the logged messages of the given kinds (all kinds when none given).
inline std::vector<std::string> Trace(const std::map<HWND, std::string>& who, std::vector<UINT> only = {})
{
    std::vector<std::string> out;
    for (const Entry& e : Log()) {
        if (!only.empty() && std::find(only.begin(), only.end(), e.Msg) == only.end())
            continue;
        auto it = who.find(e.Hwnd);
        out.push_back((it == who.end() ? std::string("other") : it->second) + ":" + MessageName(e.Msg));
    }
    return out;
}

inline int Pump(int limit = 10000)
{
    MSG m;
    int n = 0;
    while (n < limit && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT)
            break;
        TranslateMessage(&m);
        DispatchMessage(&m);
        ++n;
    }
    return n;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetWindowLayer();
        auto b = std::make_unique<VirtualBackend>();
        Backend_ = b.get();
        InstallBackend(std::move(b));
        ResetWindowLayer();
        Log().clear();
        CurrentHandler() = nullptr;
        static bool registered = false;
        if (!registered) {
            WNDCLASS wc;
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = LoggingProc;
            wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
            wc.lpszClassName = "TestWindow";
            ASSERT_NE(RegisterClass(&wc), 0);
            wc.style = 0;
            wc.lpszClassName = "TestWindowNoDbl";
            ASSERT_NE(RegisterClass(&wc), 0);
            registered = true;
        }
    }
    void TearDown() override
    {
        CurrentHandler() = nullptr;
        ResetWindowLayer();
        InstallBackend(nullptr);
    }

    HWND Top(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE, DWORD ex = 0,
             const char* cls = "TestWindow")
    {
        return CreateWindowEx(ex, cls, "top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE, int id = 0,
               const char* cls = "TestWindow")
    {
        return CreateWindowEx(0, cls, "child", style, x, y, w, h, parent,
                              reinterpret_cast<HMENU>(std::uintptr_t(id)), nullptr, nullptr);
    }
    void Advance(std::uint64_t ms) { Backend_->Clock += ms; }

    VirtualBackend* Backend_ = nullptr;
};

} // namespace wintest
