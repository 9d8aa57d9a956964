// Window position, size, visibility and z-order: SetWindowPos and the calls built on it,
// showing, minimizing and maximizing, the window and client rectangles and the mapping of
// points between windows.

#include "platform/win/WindowInternal.h"

#include <algorithm>
#include <vector>

using namespace winlayer;

namespace winlayer {

std::size_t IndexIn(const std::vector<Window*>& v, const Window* w)
{
    return std::size_t(std::find(v.begin(), v.end(), w) - v.begin());
}

// The first position of the window's band among top-level windows (topmost windows first).
std::size_t BandStart(const Window* w)
{
    if (!IsTopLevel(w) || (w->ExStyle & WS_EX_TOPMOST))
        return 0;
    const auto& v = w->Parent->Children;
    std::size_t i = 0;
    while (i < v.size() && (v[i]->ExStyle & WS_EX_TOPMOST))
        ++i;
    return i;
}

} // namespace winlayer

namespace {

void PlaceInZOrder(Window* w, HWND after)
{
    auto& v = w->Parent->Children;
    v.erase(std::find(v.begin(), v.end(), w));
    bool top = IsTopLevel(w);
    if (after == HWND_TOPMOST) {
        if (top)
            w->ExStyle |= WS_EX_TOPMOST;
        v.insert(v.begin(), w);
    } else if (after == HWND_NOTOPMOST) {
        w->ExStyle &= ~DWORD(WS_EX_TOPMOST);
        v.insert(v.begin() + std::ptrdiff_t(std::min(BandStart(w), v.size())), w);
    } else if (after == HWND_BOTTOM) {
        w->ExStyle &= ~DWORD(WS_EX_TOPMOST);
        v.push_back(w);
    } else if (after == HWND_TOP) {
        v.insert(v.begin() + std::ptrdiff_t(std::min(BandStart(w), v.size())), w);
    } else {
        Window* s = W(after);
        std::size_t i = (s && s->Parent == w->Parent) ? IndexIn(v, s) + 1 : BandStart(w);
        // A window stays inside its band.
        std::size_t band = BandStart(w);
        if (top && !(w->ExStyle & WS_EX_TOPMOST))
            i = std::max(i, band);
        v.insert(v.begin() + std::ptrdiff_t(std::min(i, v.size())), w);
    }
}

// Top-level windows owned by another stay above it when it comes to the top.
void RaiseOwned(Window* owner)
{
    auto kids = owner->Parent->Children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if ((*it)->Owner == owner->Handle && (*it)->Parent == owner->Parent) {
            auto& v = owner->Parent->Children;
            v.erase(std::find(v.begin(), v.end(), *it));
            std::size_t at = IndexIn(v, owner);
            if (((*it)->ExStyle & WS_EX_TOPMOST) && !(owner->ExStyle & WS_EX_TOPMOST))
                at = std::min(at, BandStart(*it));
            v.insert(v.begin() + std::ptrdiff_t(at), *it);
        }
}
} // namespace

// ---- Position, size, visibility and z-order ----------------------------------------------------

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Window* w = W(hwnd);
    if (!w || w == Desktop())
        return FALSE;
    WINDOWPOS wp;
    wp.hwnd = hwnd;
    wp.hwndInsertAfter = insertAfter;
    wp.x = (flags & SWP_NOMOVE) ? w->Rect.Left : x;
    wp.y = (flags & SWP_NOMOVE) ? w->Rect.Top : y;
    wp.cx = (flags & SWP_NOSIZE) ? w->Rect.Width() : std::clamp(cx, 0, 1 << 15);
    wp.cy = (flags & SWP_NOSIZE) ? w->Rect.Height() : std::clamp(cy, 0, 1 << 15);
    wp.flags = flags;
    if ((flags & SWP_SHOWWINDOW) && (w->Style & WS_VISIBLE))
        wp.flags &= ~UINT(SWP_SHOWWINDOW);
    if ((flags & SWP_HIDEWINDOW) && !(w->Style & WS_VISIBLE))
        wp.flags &= ~UINT(SWP_HIDEWINDOW);
    if (!(flags & SWP_NOSENDCHANGING)) {
        CallProc(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        if (!(w = W(hwnd)))
            return FALSE;
        wp.cx = std::clamp(wp.cx, 0, 1 << 15);
        wp.cy = std::clamp(wp.cy, 0, 1 << 15);
    }
    bool top = IsTopLevel(w);
    bool wasVisible = Visible(w);
    TRect oldRect = w->Rect;
    TRect oldClient = w->Client;
    TRect newRect{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
    bool moved = newRect.Left != oldRect.Left || newRect.Top != oldRect.Top;
    bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
    bool restack = !(wp.flags & SWP_NOZORDER);
    w->Rect = newRect;
    if (sized || (wp.flags & SWP_FRAMECHANGED)) {
        RecalcFrame(w);
        if (!(w = W(hwnd)))
            return FALSE;
        if (top)
            ResizeSurface(w);
    }
    if (restack) {
        PlaceInZOrder(w, wp.hwndInsertAfter);
        if (top)
            RaiseOwned(w);
    }
    if (wp.flags & SWP_SHOWWINDOW)
        w->Style |= WS_VISIBLE;
    if (wp.flags & SWP_HIDEWINDOW)
        w->Style &= ~DWORD(WS_VISIBLE);
    bool nowVisible = Visible(w);

    if (top) {
        // A minimized window is parked off the screen; the backend shows it as minimized.
        if ((moved || sized) && !(w->Style & WS_MINIMIZE))
            Backend().WindowMoved(hwnd, w->Rect);
        if (restack)
            Backend().WindowRestacked();
        if (wasVisible != nowVisible)
            Backend().WindowShown(hwnd, nowVisible);
        if (nowVisible && (sized || !wasVisible || (wp.flags & SWP_FRAMECHANGED)))
            InvalidateWhole(w, true);
    } else if (!(wp.flags & SWP_NOREDRAW)) {
        bool changed = moved || sized || restack || wasVisible != nowVisible || (wp.flags & SWP_FRAMECHANGED);
        if (changed && wasVisible)
            InvalidateParentArea(w->Parent, oldRect);
        if (changed && nowVisible) {
            InvalidateWhole(w, true);
            InvalidateParentArea(w->Parent, w->Rect);
        }
    }

    if (moved || sized || restack || wasVisible != nowVisible || (wp.flags & SWP_FRAMECHANGED))
        RefreshWindowDCs(Root(w));
    if (top && !(wp.flags & SWP_NOACTIVATE) && nowVisible && (!wasVisible || restack))
        ActivateOnShow(w);
    if (wasVisible && !nowVisible) {
        if (top)
            ActivateAfterHide(w);
    }
    if (!(w = W(hwnd)))
        return TRUE;
    WINDOWPOS done = wp;
    done.x = w->Rect.Left;
    done.y = w->Rect.Top;
    done.cx = w->Rect.Width();
    done.cy = w->Rect.Height();
    bool clientMoved = w->Client.Left != oldClient.Left || w->Client.Top != oldClient.Top;
    bool clientSized = w->Client.Width() != oldClient.Width() || w->Client.Height() != oldClient.Height();
    if (moved || clientMoved)
        done.flags &= ~UINT(SWP_NOMOVE);
    else
        done.flags |= SWP_NOMOVE;
    if (sized || clientSized)
        done.flags &= ~UINT(SWP_NOSIZE);
    else
        done.flags |= SWP_NOSIZE;
    CallProc(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : UINT(SWP_NOREDRAW)));
}

BOOL BringWindowToTop(HWND hwnd)
{
    return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {

enum class ShowState { Keep, Normal, Minimized, Maximized };

// Where a window goes when maximized: the work area of the screen for a top-level window, the
// parent's client area for a child.
TRect MaximizedRect(const Window* w)
{
    if (IsTopLevel(w))
        return Backend().WorkArea();
    return TRect{0, 0, w->Parent->Client.Width(), w->Parent->Client.Height()};
}

// A minimized top-level window is parked off the screen, as the platform does; a minimized
// child sits at the bottom left of its parent.
TRect MinimizedRect(const Window* w)
{
    if (IsTopLevel(w))
        return TRect{-32000, -32000, -32000 + MinimizedWidth, -32000 + MinimizedHeight};
    int h = w->Parent->Client.Height();
    return TRect{0, h - MinimizedHeight, MinimizedWidth, h};
}

// Owned windows disappear with their owner's minimize and come back with its restore; each
// hears WM_SHOWWINDOW with SW_PARENTCLOSING or SW_PARENTOPENING.
void ShowOwnedWindows(HWND owner, bool show)
{
    std::vector<HWND> owned;
    for (Window* t : Desktop()->Children)
        if (t->Owner == owner && !t->Destroying && (show ? t->HiddenWithOwner : (t->Style & WS_VISIBLE) != 0))
            owned.push_back(t->Handle);
    for (HWND o : owned) {
        Window* t = W(o);
        if (!t)
            continue;
        t->HiddenWithOwner = !show;
        CallProc(t, WM_SHOWWINDOW, show ? TRUE : FALSE, show ? SW_PARENTOPENING : SW_PARENTCLOSING);
        if (!W(o))
            continue;
        SetWindowPos(o, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (show ? UINT(SWP_SHOWWINDOW) : UINT(SWP_HIDEWINDOW)));
    }
}

} // namespace

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    Window* w = W(hwnd);
    if (!w || w == Desktop())
        return FALSE;
    BOOL wasVisible = (w->Style & WS_VISIBLE) ? TRUE : FALSE;
    ShowState target = ShowState::Keep;
    bool show = true, activate = true;
    switch (cmdShow) {
    case SW_HIDE:
        show = activate = false;
        break;
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        target = ShowState::Normal;
        break;
    case SW_RESTORE:
        // A window minimized from the maximized state comes back maximized.
        target = (w->Style & WS_MINIMIZE) && w->RestoreMaximized ? ShowState::Maximized : ShowState::Normal;
        break;
    case SW_SHOWNOACTIVATE:
        target = ShowState::Normal;
        activate = false;
        break;
    case SW_SHOWMAXIMIZED:
        target = ShowState::Maximized;
        break;
    case SW_SHOWMINIMIZED:
        target = ShowState::Minimized;
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        target = ShowState::Minimized;
        activate = false;
        break;
    case SW_SHOWNA:
        activate = false;
        break;
    default:
        break;
    }
    DWORD state = w->Style & (WS_MINIMIZE | WS_MAXIMIZE);
    if ((target == ShowState::Normal && state == 0) ||
        (target == ShowState::Minimized && state == WS_MINIMIZE) ||
        (target == ShowState::Maximized && state == WS_MAXIMIZE))
        target = ShowState::Keep;
    if (target == ShowState::Keep && bool(wasVisible) == show)
        return wasVisible;
    if (bool(wasVisible) != show) {
        CallProc(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!(w = W(hwnd)))
            return wasVisible;
    }
    activate = activate && !(w->ExStyle & WS_EX_NOACTIVATE);
    UINT flags = show && !wasVisible ? UINT(SWP_SHOWWINDOW) : show ? 0u : UINT(SWP_HIDEWINDOW);
    if (!activate)
        flags |= SWP_NOACTIVATE | SWP_NOZORDER;
    if (!IsTopLevel(w))
        flags |= SWP_NOZORDER;
    if (target == ShowState::Keep) {
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
        return wasVisible;
    }

    // A change of state: remember the normal place when leaving it, set the style before the
    // move so that the frame, WM_SIZE and the backend see the new state.
    if (state == 0)
        w->NormalRect = w->Rect;
    TRect place;
    UINT sizeType;
    if (target == ShowState::Minimized) {
        w->RestoreMaximized = state == WS_MAXIMIZE;
        w->Style = (w->Style & ~DWORD(WS_MAXIMIZE)) | WS_MINIMIZE;
        place = MinimizedRect(w);
        sizeType = SIZE_MINIMIZED;
    } else if (target == ShowState::Maximized) {
        w->Style = (w->Style & ~DWORD(WS_MINIMIZE)) | WS_MAXIMIZE;
        place = MaximizedRect(w);
        sizeType = SIZE_MAXIMIZED;
    } else {
        w->Style &= ~DWORD(WS_MINIMIZE | WS_MAXIMIZE);
        place = w->NormalRect;
        sizeType = SIZE_RESTORED;
    }
    bool top = IsTopLevel(w);
    if (top)
        Backend().WindowStateChanged(hwnd, sizeType);
    if (!W(hwnd))
        return wasVisible;
    SetWindowPos(hwnd, HWND_TOP, place.Left, place.Top, place.Width(), place.Height(),
                 flags | SWP_FRAMECHANGED | SWP_STATECHANGED);
    if (!(w = W(hwnd)))
        return wasVisible;
    if (top && state == WS_MINIMIZE)
        ShowOwnedWindows(hwnd, true);
    if (top && target == ShowState::Minimized) {
        ShowOwnedWindows(hwnd, false);
        // The activation moves on to another window, unless the caller asked for it to stay.
        if ((w = W(hwnd)) != nullptr && !activate)
            ActivateAfterHide(w);
    }
    return wasVisible;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    Window* w = W(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = ScreenRect(w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    Window* w = W(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = TRect{0, 0, w->Client.Width(), w->Client.Height()};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt)
{
    Window* w = W(hwnd);
    if (!w || !pt)
        return FALSE;
    TPoint o = ClientOrigin(w);
    pt->X += o.X;
    pt->Y += o.Y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt)
{
    Window* w = W(hwnd);
    if (!w || !pt)
        return FALSE;
    TPoint o = ClientOrigin(w);
    pt->X -= o.X;
    pt->Y -= o.Y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count)
{
    TPoint a{0, 0}, b{0, 0};
    if (from) {
        Window* w = W(from);
        if (!w)
            return 0;
        a = ClientOrigin(w);
    }
    if (to) {
        Window* w = W(to);
        if (!w)
            return 0;
        b = ClientOrigin(w);
    }
    int dx = a.X - b.X, dy = a.Y - b.Y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].X += dx;
        points[i].Y += dy;
    }
    return int(MAKELPARAM(dx, dy));
}
