// The smoke test's form.

#include "SmokeForm.h"

namespace smoke {

namespace {

LRESULT ButtonProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_LBUTTONUP:
        ++Seen().Clicks;
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        HBRUSH b = CreateSolidBrush(Seen().Clicks ? Pressed : Idle);
        FillRect(dc, &r, b);
        DeleteObject(b);
        SetBkMode(dc, TRANSPARENT);
        DrawText(dc, "Click", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(h, &ps);
        return 0;
    }
    }
    return DefWindowProc(h, m, w, l);
}

LRESULT TextProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_LBUTTONDOWN:
        SetFocus(h);
        return 0;
    case WM_SETFOCUS:
        // The input method's candidate window follows the caret.
        CreateCaret(h, nullptr, 1, 16);
        SetCaretPos(4, 4);
        ShowCaret(h);
        return 0;
    case WM_KILLFOCUS:
        DestroyCaret();
        return 0;
    case WM_MOUSEWHEEL:
        Seen().Wheel += short(HIWORD(w));
        return 0;
    case WM_CHAR:
        if (w == 8) {
            if (!Seen().Typed.empty())
                Seen().Typed.pop_back();
        } else if (w >= 32) {
            Seen().Typed += char16_t(w);
        }
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r;
        GetClientRect(h, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        const std::u16string& t = Seen().Typed;
        DrawTextW(dc, t.c_str(), int(t.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE);
        EndPaint(h, &ps);
        return 0;
    }
    }
    return DefWindowProc(h, m, w, l);
}

LRESULT FormProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_DESTROY && GetProp(h, "smoke.quit"))
        PostQuitMessage(0);
    return DefWindowProc(h, m, w, l);
}

void Register(const char* name, WNDPROC proc)
{
    WNDCLASS wc{};
    if (GetClassInfo(nullptr, name, &wc))
        return;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClass(&wc);
}

} // namespace

State& Seen()
{
    static State state;
    return state;
}

Form CreateForm(int x, int y, bool quitOnClose)
{
    Register("SmokeButton", ButtonProc);
    Register("SmokeText", TextProc);
    Register("SmokeForm", FormProc);
    Form f;
    f.Window = CreateWindowEx(0, "SmokeForm", "Smoke", WS_OVERLAPPEDWINDOW, x, y, 400, 260, nullptr, nullptr,
                              nullptr, nullptr);
    if (!f.Window)
        return f;
    if (quitOnClose)
        SetProp(f.Window, "smoke.quit", reinterpret_cast<HANDLE>(1));
    f.Button = CreateWindowEx(0, "SmokeButton", "", WS_CHILD | WS_VISIBLE, 20, 20, 120, 40, f.Window, nullptr,
                              nullptr, nullptr);
    f.Text = CreateWindowEx(0, "SmokeText", "", WS_CHILD | WS_VISIBLE, 20, 80, 340, 60, f.Window, nullptr,
                            nullptr, nullptr);
    return f;
}

} // namespace smoke
