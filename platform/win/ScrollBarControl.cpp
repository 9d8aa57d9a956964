// The SCROLLBAR class: a scroll bar as a control of its own. It reports what the user does with
// WM_HSCROLL / WM_VSCROLL to its parent (lParam its handle) and moves its thumb only when told
// to (SBM_SETPOS, SetScrollInfo), except while the thumb is dragged.

#include "platform/win/StdControlsInternal.h"

#include "platform/win/Colors.h"

#include <algorithm>

namespace stdctl {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 400;
constexpr UINT kRepeatDelay = 50;

enum Part { None, ArrowLow, PageLow, Thumb, PageHigh, ArrowHigh };

struct ScrollBar {
    SCROLLINFO Info{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0};
    UINT Disabled = ESB_ENABLE_BOTH;
    Part Pressed = None;
    bool Over = false;  // the pointer is still on the pressed part
    int GrabOffset = 0; // where in the thumb it was grabbed
    bool Focused = false;
};

StateTable<ScrollBar>& Bars()
{
    static StateTable<ScrollBar> t;
    return t;
}

bool Vertical(HWND h)
{
    return StyleOf(h) & SBS_VERT;
}

int MaxPos(const SCROLLINFO& s)
{
    long long m = (long long)s.nMax - std::max<long long>((long long)s.nPage - 1, 0);
    return int(std::max<long long>(s.nMin, m));
}

struct Geometry {
    int Length = 0; // along the bar
    int Arrow = 0;  // each arrow's length
    int ThumbStart = 0;
    int ThumbLength = 0;
};

Geometry Measure(HWND h, const ScrollBar& b)
{
    RECT r;
    GetClientRect(h, &r);
    bool v = Vertical(h);
    Geometry g;
    g.Length = v ? r.Bottom : r.Right;
    int across = v ? r.Right : r.Bottom;
    g.Arrow = std::min(across, g.Length / 2);
    int track = std::max(0, g.Length - 2 * g.Arrow);
    const SCROLLINFO& s = b.Info;
    long long range = (long long)s.nMax - s.nMin + 1;
    if (range <= 0 || track < 8 || (s.nPage && (long long)s.nPage >= range)) {
        g.ThumbLength = 0;
        return g;
    }
    g.ThumbLength =
        s.nPage ? int(std::max<long long>(8, track * (long long)s.nPage / range)) : std::min(track, across);
    g.ThumbLength = std::min(g.ThumbLength, track);
    int span = MaxPos(s) - s.nMin;
    int pos = b.Pressed == Thumb ? s.nTrackPos : s.nPos;
    g.ThumbStart = g.Arrow + (span > 0 ? int((long long)(track - g.ThumbLength) * (pos - s.nMin) / span) : 0);
    return g;
}

Part HitTest(HWND h, const ScrollBar& b, POINT p)
{
    RECT r;
    GetClientRect(h, &r);
    if (!PtInRect(&r, p))
        return None;
    Geometry g = Measure(h, b);
    int at = Vertical(h) ? p.Y : p.X;
    if (at < g.Arrow)
        return ArrowLow;
    if (at >= g.Length - g.Arrow)
        return ArrowHigh;
    if (g.ThumbLength == 0)
        return None;
    if (at < g.ThumbStart)
        return PageLow;
    if (at < g.ThumbStart + g.ThumbLength)
        return Thumb;
    return PageHigh;
}

void Send(HWND h, int code, int pos = 0)
{
    if (HWND p = GetParent(h))
        SendMessage(p, Vertical(h) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos),
                    reinterpret_cast<LPARAM>(h));
}

void Act(HWND h, Part part)
{
    switch (part) {
    case ArrowLow:
        Send(h, SB_LINEUP);
        break;
    case ArrowHigh:
        Send(h, SB_LINEDOWN);
        break;
    case PageLow:
        Send(h, SB_PAGEUP);
        break;
    case PageHigh:
        Send(h, SB_PAGEDOWN);
        break;
    default:
        break;
    }
}

void PaintScrollBar(HWND h, ScrollBar& b, HDC dc)
{
    RECT r;
    GetClientRect(h, &r);
    bool v = Vertical(h);
    bool enabled = IsWindowEnabled(h) && b.Disabled != ESB_DISABLE_BOTH;
    Geometry g = Measure(h, b);
    HBRUSH track = ControlColor(h, WM_CTLCOLORSCROLLBAR, dc, COLOR_WINDOWTEXT, COLOR_SCROLLBAR);
    FillRect(dc, &r, track);
    auto span = [&](int a, int z) { return v ? RECT{r.Left, a, r.Right, z} : RECT{a, r.Top, z, r.Bottom}; };
    RECT low = span(0, g.Arrow), high = span(g.Length - g.Arrow, g.Length);
    UINT lowState = (v ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) |
                    (!enabled || (b.Disabled & ESB_DISABLE_LTUP) ? UINT(DFCS_INACTIVE) : 0u) |
                    (b.Pressed == ArrowLow && b.Over ? UINT(DFCS_PUSHED | DFCS_FLAT) : 0u);
    UINT highState = (v ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) |
                     (!enabled || (b.Disabled & ESB_DISABLE_RTDN) ? UINT(DFCS_INACTIVE) : 0u) |
                     (b.Pressed == ArrowHigh && b.Over ? UINT(DFCS_PUSHED | DFCS_FLAT) : 0u);
    DrawFrameControl(dc, &low, DFC_SCROLL, lowState);
    DrawFrameControl(dc, &high, DFC_SCROLL, highState);
    if (b.Over && (b.Pressed == PageLow || b.Pressed == PageHigh)) {
        RECT page = b.Pressed == PageLow ? span(g.Arrow, g.ThumbStart)
                                         : span(g.ThumbStart + g.ThumbLength, g.Length - g.Arrow);
        FillRect(dc, &page, GetSysColorBrush(COLOR_3DDKSHADOW));
    }
    if (enabled && g.ThumbLength > 0) {
        RECT thumb = span(g.ThumbStart, g.ThumbStart + g.ThumbLength);
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT);
    }
    if (b.Focused && g.ThumbLength > 0) {
        RECT thumb = span(g.ThumbStart, g.ThumbStart + g.ThumbLength);
        InflateRect(&thumb, -2, -2);
        DrawFocusRect(dc, &thumb);
    }
}

int SetInfo(HWND h, ScrollBar& b, const SCROLLINFO* info, bool redraw)
{
    if (!info)
        return b.Info.nPos;
    SCROLLINFO& s = b.Info;
    if (info->fMask & SIF_RANGE) {
        s.nMin = info->nMin;
        s.nMax = std::max(info->nMax, info->nMin);
    }
    if (info->fMask & SIF_PAGE)
        s.nPage = info->nPage;
    long long range = (long long)s.nMax - s.nMin + 1;
    if ((long long)s.nPage > range)
        s.nPage = UINT(std::clamp<long long>(range, 0, 0x7FFFFFFF));
    if (info->fMask & SIF_POS)
        s.nPos = info->nPos;
    s.nPos = std::clamp(s.nPos, s.nMin, MaxPos(s));
    if (redraw)
        InvalidateRect(h, nullptr, FALSE);
    return s.nPos;
}

int TrackPosAt(HWND h, const ScrollBar& b, int at)
{
    Geometry g = Measure(h, b);
    int track = g.Length - 2 * g.Arrow - g.ThumbLength;
    if (track <= 0)
        return b.Info.nMin;
    int offset = std::clamp(at - b.GrabOffset - g.Arrow, 0, track);
    long long span = (long long)MaxPos(b.Info) - b.Info.nMin;
    return b.Info.nMin + int((span * offset + track / 2) / track);
}

} // namespace

LRESULT ScrollBarProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        Bars().Make(h);
        return DefWindowProc(h, msg, wParam, lParam);
    }
    ScrollBar* bp = Bars().Find(h);
    if (!bp)
        return DefWindowProc(h, msg, wParam, lParam);
    ScrollBar& b = *bp;
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_NCDESTROY:
        Bars().Drop(h);
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PaintScope ps(h, wParam);
        PaintScrollBar(h, b, ps.Dc);
        return 0;
    }
    case WM_SIZE:
    case WM_ENABLE:
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        b.Focused = msg == WM_SETFOCUS;
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (b.Disabled == ESB_DISABLE_BOTH)
            return 0;
        Part part = HitTest(h, b, p);
        if (part == None || (part == ArrowLow && (b.Disabled & ESB_DISABLE_LTUP)) ||
            (part == ArrowHigh && (b.Disabled & ESB_DISABLE_RTDN)))
            return 0;
        b.Pressed = part;
        b.Over = true;
        SetCapture(h);
        if (part == Thumb) {
            Geometry g = Measure(h, b);
            b.GrabOffset = (Vertical(h) ? p.Y : p.X) - g.ThumbStart;
            b.Info.nTrackPos = b.Info.nPos;
        } else {
            Act(h, part);
            SetTimer(h, kRepeatTimer, kFirstDelay, nullptr);
        }
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (b.Pressed == Thumb) {
            int pos = TrackPosAt(h, b, Vertical(h) ? p.Y : p.X);
            if (pos != b.Info.nTrackPos) {
                b.Info.nTrackPos = pos;
                InvalidateRect(h, nullptr, FALSE);
                Send(h, SB_THUMBTRACK, pos);
            }
        } else if (b.Pressed != None) {
            bool over = HitTest(h, b, p) == b.Pressed;
            if (over != b.Over) {
                b.Over = over;
                InvalidateRect(h, nullptr, FALSE);
            }
        }
        return 0;
    case WM_TIMER:
        if (wParam == kRepeatTimer) {
            if (b.Pressed != None && b.Pressed != Thumb && b.Over) {
                POINT cur;
                GetCursorPos(&cur);
                ScreenToClient(h, &cur);
                // A page press repeats only while the thumb has not reached the pointer.
                if (HitTest(h, b, cur) == b.Pressed)
                    Act(h, b.Pressed);
                SetTimer(h, kRepeatTimer, kRepeatDelay, nullptr);
            }
            return 0;
        }
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
        if (b.Pressed == None)
            return 0;
        Part was = b.Pressed;
        int track = b.Info.nTrackPos;
        b.Pressed = None;
        KillTimer(h, kRepeatTimer);
        if (msg == WM_LBUTTONUP && GetCapture() == h)
            ReleaseCapture();
        if (!(bp = Bars().Find(h)))
            return 0;
        InvalidateRect(h, nullptr, FALSE);
        if (was == Thumb)
            Send(h, SB_THUMBPOSITION, track);
        if (IsWindow(h))
            Send(h, SB_ENDSCROLL);
        return 0;
    }
    case WM_KEYDOWN: {
        int code = -1;
        switch (wParam) {
        case VK_UP:
        case VK_LEFT:
            code = SB_LINEUP;
            break;
        case VK_DOWN:
        case VK_RIGHT:
            code = SB_LINEDOWN;
            break;
        case VK_PRIOR:
            code = SB_PAGEUP;
            break;
        case VK_NEXT:
            code = SB_PAGEDOWN;
            break;
        case VK_HOME:
            code = SB_TOP;
            break;
        case VK_END:
            code = SB_BOTTOM;
            break;
        default:
            break;
        }
        if (code >= 0) {
            Send(h, code);
            if (IsWindow(h))
                Send(h, SB_ENDSCROLL);
        }
        return 0;
    }
    case SBM_SETPOS: {
        int old = b.Info.nPos;
        SCROLLINFO si;
        si.fMask = SIF_POS;
        si.nPos = int(LONG(wParam));
        SetInfo(h, b, &si, lParam != 0);
        return old;
    }
    case SBM_GETPOS:
        return b.Info.nPos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        int old = b.Info.nPos;
        SCROLLINFO si;
        si.fMask = SIF_RANGE;
        si.nMin = int(LONG(wParam));
        si.nMax = int(LONG(lParam));
        SetInfo(h, b, &si, msg == SBM_SETRANGEREDRAW);
        return old;
    }
    case SBM_GETRANGE:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = b.Info.nMin;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = b.Info.nMax;
        return 0;
    case SBM_ENABLE_ARROWS:
        b.Disabled = UINT(wParam) & ESB_DISABLE_BOTH;
        InvalidateRect(h, nullptr, FALSE);
        return TRUE;
    case SBM_SETSCROLLINFO:
        return SetInfo(h, b, reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO: {
        auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
        if (!si)
            return FALSE;
        if (si->fMask & SIF_RANGE) {
            si->nMin = b.Info.nMin;
            si->nMax = b.Info.nMax;
        }
        if (si->fMask & SIF_PAGE)
            si->nPage = b.Info.nPage;
        if (si->fMask & SIF_POS)
            si->nPos = b.Info.nPos;
        if (si->fMask & SIF_TRACKPOS)
            si->nTrackPos = b.Pressed == Thumb ? b.Info.nTrackPos : b.Info.nPos;
        return TRUE;
    }
    default:
        return DefWindowProc(h, msg, wParam, lParam);
    }
}

} // namespace stdctl
