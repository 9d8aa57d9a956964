#pragma once

// A form window for the standard controls' tests, with input that goes the way a person's
// does (InputKey / InputChar / InputMouseButton, then the message loop) and a record of the
// notifications the form receives.

#include "WindowTestSupport.h"

#include "platform/win/StdControls.h"

#include <string>
#include <vector>

namespace wintest {

struct Notification {
    int Id;
    WORD Code;
    HWND From;
    bool operator==(const Notification&) const = default;
};

class ControlTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        RegisterStandardControlClasses();
        Form = Top(100, 100, 480, 360);
        ASSERT_NE(Form, nullptr);
        SetActiveWindow(Form);
    }

    HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
              DWORD ex = 0)
    {
        HWND c = CreateWindowEx(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, Form,
                                reinterpret_cast<HMENU>(std::uintptr_t(id)), nullptr, nullptr);
        Pump();
        return c;
    }

    // The WM_COMMAND notifications the form received, in order (optionally of one control).
    std::vector<Notification> Notes(HWND from = nullptr) const
    {
        std::vector<Notification> out;
        for (const Entry& e : Log())
            if (e.Hwnd == Form && e.Msg == WM_COMMAND && e.LParam &&
                (!from || reinterpret_cast<HWND>(e.LParam) == from))
                out.push_back(
                    Notification{LOWORD(e.WParam), HIWORD(e.WParam), reinterpret_cast<HWND>(e.LParam)});
        return out;
    }
    std::vector<WORD> Codes(HWND from = nullptr) const
    {
        std::vector<WORD> out;
        for (const Notification& n : Notes(from))
            out.push_back(n.Code);
        return out;
    }

    // A key press and release; modifiers are held around it.
    void Press(UINT vk, bool shift = false, bool ctrl = false, bool alt = false)
    {
        if (shift)
            InputKey(VK_SHIFT, true);
        if (ctrl)
            InputKey(VK_CONTROL, true);
        if (alt)
            InputKey(VK_MENU, true);
        InputKey(vk, true);
        InputKey(vk, false);
        if (alt)
            InputKey(VK_MENU, false);
        if (ctrl)
            InputKey(VK_CONTROL, false);
        if (shift)
            InputKey(VK_SHIFT, false);
        Pump();
    }
    // Text as an input method delivers it: one WM_CHAR per UTF-16 unit.
    void Type(const std::u16string& s)
    {
        for (char16_t c : s)
            InputChar(c);
        Pump();
    }

    POINT Screen(HWND h, int x, int y)
    {
        POINT p{x, y};
        ClientToScreen(h, &p);
        return p;
    }
    void MouseDown(HWND h, int x, int y)
    {
        POINT p = Screen(h, x, y);
        InputMouseMove(p);
        InputMouseButton(p, 0, true);
        Pump();
    }
    void MouseUp(HWND h, int x, int y)
    {
        POINT p = Screen(h, x, y);
        InputMouseMove(p);
        InputMouseButton(p, 0, false);
        Pump();
    }
    void MoveTo(HWND h, int x, int y)
    {
        InputMouseMove(Screen(h, x, y));
        Pump();
    }
    // A click well apart in time from the previous one, so never part of a double click.
    void Click(HWND h, int x, int y)
    {
        Advance(1000);
        MouseDown(h, x, y);
        MouseUp(h, x, y);
    }
    void DoubleClick(HWND h, int x, int y)
    {
        Click(h, x, y);
        Advance(50);
        MouseDown(h, x, y);
        MouseUp(h, x, y);
    }
    void Wheel(HWND h, int delta)
    {
        RECT r;
        GetWindowRect(h, &r);
        InputMouseWheel(POINT{r.Left + 2, r.Top + 2}, delta);
        Pump();
    }
    void Paint() { Pump(); }
    // Moves the clock in small steps so that timers fire as they would in real time.
    void AdvanceAndPump(std::uint64_t ms)
    {
        for (std::uint64_t t = 0; t < ms; t += 10) {
            Advance(10);
            Pump();
        }
    }

    COLORREF Pixel(HWND h, int x, int y)
    {
        HDC dc = GetDC(h);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(h, dc);
        return c;
    }

    std::string Text(HWND h)
    {
        int n = GetWindowTextLength(h);
        std::string s(std::size_t(n) + 1, '\0');
        s.resize(std::size_t(GetWindowText(h, s.data(), n + 1)));
        return s;
    }

    HWND Form = nullptr;
};

} // namespace wintest
