// The default handling of messages: what a window does with a message its procedure passes on.

#include "platform/win/GdiInternal.h"
#include "platform/win/WindowInternal.h"

#include <algorithm>
#include <cstring>

using namespace winlayer;

namespace {

HBRUSH ClassBrush(const Window* w)
{
    if (!w->Class)
        return nullptr;
    HBRUSH b = w->Class->Info.hbrBackground;
    // (HBRUSH)(COLOR_x + 1) names a system colour.
    std::uintptr_t v = reinterpret_cast<std::uintptr_t>(b);
    if (v > 0 && v <= std::uintptr_t(SYSTEM_COLOR_COUNT))
        return GetSysColorBrush(int(v - 1));
    return b;
}

// Text comes in the character set of the window's procedure.
LRESULT SetText(Window* w, LPARAM lParam)
{
    if (w->Unicode)
        w->Text = lParam ? ToUtf8(reinterpret_cast<const char16_t*>(lParam)) : std::string();
    else
        w->Text = lParam ? std::string(reinterpret_cast<const char*>(lParam)) : std::string();
    if ((w->Style & WS_CAPTION) == WS_CAPTION)
        w->FrameDirty = true;
    return TRUE;
}

LRESULT GetText(Window* w, WPARAM size, LPARAM buffer)
{
    if (!buffer || size == 0)
        return 0;
    if (w->Unicode) {
        std::u16string t = ToUtf16(w->Text);
        std::size_t n = std::min<std::size_t>(t.size(), size - 1);
        std::memcpy(reinterpret_cast<char16_t*>(buffer), t.data(), n * sizeof(char16_t));
        reinterpret_cast<char16_t*>(buffer)[n] = 0;
        return LRESULT(n);
    }
    std::size_t n = std::min<std::size_t>(w->Text.size(), size - 1);
    while (n > 0 && n < w->Text.size() && (static_cast<unsigned char>(w->Text[n]) & 0xC0) == 0x80)
        --n; // never half a character
    std::memcpy(reinterpret_cast<char*>(buffer), w->Text.data(), n);
    reinterpret_cast<char*>(buffer)[n] = 0;
    return LRESULT(n);
}

} // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* w = W(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (cs && cs->lpszName)
            SetText(w, reinterpret_cast<LPARAM>(cs->lpszName));
        return TRUE;
    }
    case WM_NCCALCSIZE:
        DefaultNcCalcSize(w, reinterpret_cast<RECT*>(lParam));
        return 0;
    case WM_NCHITTEST:
        return DefaultNcHitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
        DefaultNcPaint(w);
        return 0;
    case WM_NCACTIVATE:
        if ((w->Style & WS_CAPTION) == WS_CAPTION)
            w->FrameDirty = true;
        return TRUE;
    case WM_NCLBUTTONDOWN:
        // Scroll bars track the press; borders and the caption size and move the window.
        NcMouseDown(w, LRESULT(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_NCLBUTTONUP:
        // The caption's buttons act on release.
        if (wParam == HTCLOSE)
            SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
        else if (wParam == HTMINBUTTON)
            SendMessage(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, lParam);
        else if (wParam == HTMAXBUTTON)
            SendMessage(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_NCLBUTTONDBLCLK: // a quick second press on a scroll bar is a press like the first
        if (wParam == HTVSCROLL || wParam == HTHSCROLL)
            NcMouseDown(w, LRESULT(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        else if (wParam == HTCAPTION && (w->Style & WS_MAXIMIZEBOX))
            SendMessage(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) || IsIconic(hwnd) ? SC_RESTORE : SC_MAXIMIZE,
                        lParam);
        return 0;
    case WM_ERASEBKGND: {
        HBRUSH b = ClassBrush(w);
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (!b || !dc)
            return 0;
        RECT r{0, 0, w->Client.Width(), w->Client.Height()};
        FillRect(dc, &r, b);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETTEXT:
        return SetText(w, lParam);
    case WM_GETTEXT:
        return GetText(w, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return w->Unicode ? LRESULT(ToUtf16(w->Text).size()) : LRESULT(w->Text.size());
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETREDRAW:
        w->Redraw = wParam != 0;
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!wp)
            return 0;
        if (!(wp->flags & SWP_NOSIZE) || (wp->flags & SWP_STATECHANGED))
            SendMessage(hwnd, WM_SIZE,
                        IsIconic(hwnd)   ? SIZE_MINIMIZED
                        : IsZoomed(hwnd) ? SIZE_MAXIMIZED
                                         : SIZE_RESTORED,
                        MAKELPARAM(w->Client.Width(), w->Client.Height()));
        if (!(wp->flags & SWP_NOMOVE) && (w = W(hwnd)) != nullptr) {
            POINT o{0, 0};
            MapWindowPoints(hwnd, IsTopLevel(w) ? nullptr : w->Parent->Handle, &o, 1);
            SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(o.X, o.Y));
        }
        return 0;
    }
    case WM_MOUSEACTIVATE:
        if (!IsTopLevel(w)) {
            if (LRESULT r = SendMessage(w->Parent->Handle, WM_MOUSEACTIVATE, wParam, lParam))
                return r;
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR:
        return DefaultSetCursor(w, wParam, lParam);
    case WM_ACTIVATE:
        DefaultActivate(w, wParam);
        return 0;
    case WM_RBUTTONUP: {
        // Releasing the right button asks for the context menu at the pointer, in screen
        // coordinates.
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &p);
        SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.X, p.Y));
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Shift+F10 asks for the context menu from the keyboard: (-1, -1) leaves the place to
        // the window. F10 comes as a system key.
        if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0 && !(lParam & KF_ALTDOWN_BIT)) {
            SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(-1, -1));
            return 0;
        }
        if (msg == WM_SYSKEYDOWN && wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT))
            SendMessage(Root(w)->Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCHAR:
        // Alt+Space asks the top-level window for its window menu.
        if (wParam == ' ')
            SendMessage(Root(w)->Handle, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        return 0;
    case WM_KEYUP:
        // The menu key asks for the context menu when it is released.
        if (wParam == VK_APPS)
            SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(-1, -1));
        return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
        // Passed up to the parent until someone takes it.
        if (!IsTopLevel(w))
            return SendMessage(w->Parent->Handle, msg, wParam, lParam);
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return 0;
    case WM_IME_CHAR:
        return SendMessage(hwnd, WM_CHAR, wParam, lParam);
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessage(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_MOVE:
        case SC_SIZE:
            if (!IsZoomed(hwnd) && !IsIconic(hwnd))
                NcKeyboardSizeMove(w, (wParam & 0xFFF0) == SC_SIZE);
            break;
        case SC_KEYMENU:
            if (lParam == ' ' && IsTopLevel(w))
                OpenSystemMenu(w);
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
