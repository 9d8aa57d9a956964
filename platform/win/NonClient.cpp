// The non-client area: frames, captions, client edges and the standard scroll bars — their
// geometry, hit testing, painting, their state and the tracking of a press on them.

#include "platform/win/CommCtrl.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/WindowInternal.h"

#include <algorithm>
#include <vector>

using namespace winlayer;

namespace {

constexpr UINT SBM_SETSCROLLINFO = 0x00E9;
constexpr UINT SBM_GETSCROLLINFO = 0x00EA;

int OuterBorder(const Window* w)
{
    if (w->Style & WS_THICKFRAME)
        return GetSystemMetrics(SM_CXFRAME);
    if ((w->Style & WS_DLGFRAME) || (w->ExStyle & WS_EX_DLGMODALFRAME))
        return GetSystemMetrics(SM_CXDLGFRAME);
    if (w->Style & WS_BORDER)
        return GetSystemMetrics(SM_CXBORDER);
    return 0;
}

int CaptionHeight(const Window* w)
{
    if ((w->Style & WS_CAPTION) != WS_CAPTION)
        return 0;
    return (w->ExStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION)
                                           : GetSystemMetrics(SM_CYCAPTION);
}

int EdgeWidth(const Window* w)
{
    return ((w->ExStyle & WS_EX_CLIENTEDGE) ? 2 : 0) + ((w->ExStyle & WS_EX_STATICEDGE) ? 1 : 0);
}

// The area inside frame, caption and client edge (window coordinates): where scroll bars and
// the client area lie.
TRect InnerRect(const Window* w)
{
    TRect r{0, 0, w->Rect.Width(), w->Rect.Height()};
    int b = OuterBorder(w);
    r = TRect{r.Left + b, r.Top + b + CaptionHeight(w), r.Right - b, r.Bottom - b};
    int e = EdgeWidth(w);
    r = TRect{r.Left + e, r.Top + e, r.Right - e, r.Bottom - e};
    r.Right = std::max(r.Right, r.Left);
    r.Bottom = std::max(r.Bottom, r.Top);
    return r;
}

ScrollBarState& Bar(Window* w, int bar)
{
    return bar == SB_HORZ ? w->HScroll : w->VScroll;
}

int MaxPos(const SCROLLINFO& i)
{
    int page = int(std::min<UINT>(i.nPage, 0x7FFFFFFF));
    return std::max(i.nMin, i.nMax - std::max(page - 1, 0));
}

// Arrow size, thumb offset and thumb size along a scroll bar of the given length.
struct BarLayout {
    int Arrow = 0;
    int ThumbStart = 0; // from the bar's start
    int ThumbSize = 0;  // 0: no thumb
};

BarLayout Layout(const ScrollBarState& s, int length, int thickness)
{
    BarLayout l;
    l.Arrow = std::min(thickness, length / 2);
    int track = length - 2 * l.Arrow;
    const SCROLLINFO& i = s.Info;
    long long range = (long long)i.nMax - i.nMin + 1;
    if (track <= 0 || range <= 0 || s.Disabled == ESB_DISABLE_BOTH)
        return l;
    int thumb = i.nPage ? int(std::max<long long>(8, (long long)track * i.nPage / range)) : thickness;
    if (thumb > track)
        return l;
    int maxPos = MaxPos(i);
    int offset = 0;
    if (maxPos > i.nMin)
        offset = int((long long)(track - thumb) * (std::clamp(i.nPos, i.nMin, maxPos) - i.nMin) /
                     (maxPos - i.nMin));
    l.ThumbStart = l.Arrow + offset;
    l.ThumbSize = thumb;
    return l;
}

// The thickness of a window's vertical and horizontal bar: the flat bars' own when set.
int VBarWidth(const Window* w)
{
    return w->Flat.Initialized && w->Flat.CxVScroll > 0 ? w->Flat.CxVScroll : GetSystemMetrics(SM_CXVSCROLL);
}

int HBarHeight(const Window* w)
{
    return w->Flat.Initialized && w->Flat.CyHScroll > 0 ? w->Flat.CyHScroll : GetSystemMetrics(SM_CYHSCROLL);
}

bool Useful(const SCROLLINFO& i)
{
    return i.nMax > i.nMin && i.nPage <= UINT(i.nMax - i.nMin);
}

void SendScroll(HWND h, int bar, int code, int pos)
{
    SendMessage(h, bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, pos), 0);
}

// A press on a scroll bar: arrows and the page areas repeat while held, the thumb follows the
// mouse. Runs inside the normal message flow rather than a modal loop of its own, so that
// injected input keeps arriving.
struct Tracking {
    HWND Hwnd = nullptr;
    int Bar = SB_VERT;
    int Code = -1; // SB_LINEUP … SB_PAGEDOWN, or SB_THUMBTRACK
    int GrabOffset = 0;
    int TrackPos = 0;
    UINT_PTR Timer = 0;
    bool Active = false;
} Track;

// A press on a border or the caption: the window follows the mouse until the release (Esc puts
// it back). WM_SIZING / WM_MOVING let the window adjust each proposed rectangle.
struct SizeMove {
    HWND Hwnd = nullptr;
    LRESULT Hit = HTNOWHERE;
    POINT Start{};
    TRect StartRect; // screen coordinates
    bool Active = false;
} Sizing;

void MoveTo(HWND h, TRect screenRect)
{
    Window* w = W(h);
    if (!w)
        return;
    TPoint o = IsTopLevel(w) ? TPoint{0, 0} : ClientOrigin(w->Parent);
    SetWindowPos(h, nullptr, screenRect.Left - o.X, screenRect.Top - o.Y, screenRect.Width(),
                 screenRect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void EndSizing(bool cancel)
{
    SizeMove s = Sizing;
    Sizing = SizeMove{};
    if (!IsWindow(s.Hwnd))
        return;
    if (cancel)
        MoveTo(s.Hwnd, s.StartRect);
    SendMessage(s.Hwnd, WM_EXITSIZEMOVE, 0, 0);
}

void RepeatProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (!Track.Active || Track.Code == SB_THUMBTRACK || !IsWindow(Track.Hwnd))
        return;
    SendScroll(Track.Hwnd, Track.Bar, Track.Code, 0);
    if (Track.Timer)
        SetTimer(nullptr, Track.Timer, 50, RepeatProc);
}

void EndTracking()
{
    if (Track.Timer)
        KillTimer(nullptr, Track.Timer);
    Track = Tracking{};
}

int AlongBar(int bar, POINT p)
{
    return bar == SB_HORZ ? p.X : p.Y;
}

} // namespace

namespace winlayer {

void DefaultNcCalcSize(Window* w, RECT* rect)
{
    if (!rect)
        return;
    if (w->Style & WS_MINIMIZE) {
        // A minimized window is all frame.
        rect->Right = rect->Left;
        rect->Bottom = rect->Top;
        return;
    }
    TRect inner = InnerRect(w);
    // The proposed rectangle may be any; keep the same insets.
    int l = inner.Left, t = inner.Top, r = w->Rect.Width() - inner.Right, b = w->Rect.Height() - inner.Bottom;
    TRect c{rect->Left + l, rect->Top + t, rect->Right - r, rect->Bottom - b};
    if ((w->Style & WS_VSCROLL) && c.Width() >= VBarWidth(w))
        c.Right -= VBarWidth(w);
    if ((w->Style & WS_HSCROLL) && c.Height() >= HBarHeight(w))
        c.Bottom -= HBarHeight(w);
    c.Right = std::max(c.Right, c.Left);
    c.Bottom = std::max(c.Bottom, c.Top);
    *rect = c;
}

bool ScrollBarRect(const Window* w, int bar, TRect& r)
{
    DWORD style = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    if (!(w->Style & style))
        return false;
    TRect inner = InnerRect(w);
    const TRect& c = w->Client;
    if (bar == SB_VERT) {
        if (c.Right >= inner.Right)
            return false;
        r = TRect{c.Right, inner.Top, inner.Right, c.Bottom};
    } else {
        if (c.Bottom >= inner.Bottom)
            return false;
        r = TRect{inner.Left, c.Bottom, c.Right, inner.Bottom};
    }
    return r.Width() > 0 && r.Height() > 0;
}

// The caption's buttons from the right: close with a system menu, then maximise and minimise
// when the styles ask for them (window coordinates; `caption` is the caption bar).
struct CaptionButton {
    LRESULT Hit;
    TRect Rect;
};

std::vector<CaptionButton> CaptionButtons(const Window* w, const TRect& caption)
{
    std::vector<CaptionButton> out;
    if (!(w->Style & WS_SYSMENU))
        return out;
    int bw = GetSystemMetrics(SM_CXSIZE);
    int right = caption.Right - 2;
    auto add = [&](LRESULT hit) {
        out.push_back(CaptionButton{hit, TRect{right - bw, caption.Top + 2, right, caption.Bottom - 2}});
        right -= bw + 2;
    };
    add(HTCLOSE);
    if (w->Style & WS_MAXIMIZEBOX)
        add(HTMAXBUTTON);
    if (w->Style & WS_MINIMIZEBOX)
        add(HTMINBUTTON);
    return out;
}

LRESULT DefaultNcHitTest(Window* w, POINT screen)
{
    TRect wr = ScreenRect(w);
    POINT p{screen.X - wr.Left, screen.Y - wr.Top};
    if (p.X < 0 || p.Y < 0 || p.X >= wr.Width() || p.Y >= wr.Height())
        return HTNOWHERE;
    if (w->Shape && !w->Shape->Contains(p.X, p.Y))
        return HTNOWHERE;
    const TRect& c = w->Client;
    if (p.X >= c.Left && p.X < c.Right && p.Y >= c.Top && p.Y < c.Bottom)
        return HTCLIENT;
    TRect sb;
    for (int bar : {SB_VERT, SB_HORZ})
        if (ScrollBarRect(w, bar, sb) && p.X >= sb.Left && p.X < sb.Right && p.Y >= sb.Top && p.Y < sb.Bottom)
            return bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
    int b = OuterBorder(w);
    int cap = CaptionHeight(w);
    int wdt = wr.Width(), hgt = wr.Height();
    if (cap && p.Y >= b && p.Y < b + cap && p.X >= b && p.X < wdt - b) {
        for (const CaptionButton& k : CaptionButtons(w, TRect{b, b, wdt - b, b + cap}))
            if (p.X >= k.Rect.Left - 1 && p.X < k.Rect.Right + 1)
                return k.Hit;
        return HTCAPTION;
    }
    if ((w->Style & WS_THICKFRAME) && (p.X < b || p.Y < b || p.X >= wdt - b || p.Y >= hgt - b)) {
        int corner = GetSystemMetrics(SM_CYCAPTION);
        bool left = p.X < corner, right = p.X >= wdt - corner, top = p.Y < corner,
             bottom = p.Y >= hgt - corner;
        if (p.Y < b)
            return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (p.Y >= hgt - b)
            return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (p.X < b)
            return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
        return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    return b || EdgeWidth(w) ? HTBORDER : HTNOWHERE;
}

void DefaultNcPaint(Window* w)
{
    TRect whole{0, 0, w->Rect.Width(), w->Rect.Height()};
    if (w->Client == whole)
        return;
    HWND h = w->Handle;
    const TWindowDC windowDC(h, MakeWindowDC(w, true, nullptr));
    HDC dc = windowDC.get();
    if (!dc)
        return;
    ExcludeClipRect(dc, w->Client.Left, w->Client.Top, w->Client.Right, w->Client.Bottom);
    TRect r = whole;
    // Frame.
    int b = OuterBorder(w);
    if (b == 1) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    } else if (b > 1) {
        TRect e = r;
        DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
        TRect band{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
        TRect innerBand{r.Left + b, r.Top + b, r.Right - b, r.Bottom - b};
        const TOwnedRegion ring(CreateRectRgnIndirect(&band));
        const TOwnedRegion hole(CreateRectRgnIndirect(&innerBand));
        CombineRgn(ring.get(), ring.get(), hole.get(), RGN_DIFF);
        FillRgn(dc, ring.get(), GetSysColorBrush(COLOR_BTNFACE));
    }
    r = TRect{r.Left + b, r.Top + b, r.Right - b, r.Bottom - b};
    // Caption.
    if (int cap = CaptionHeight(w)) {
        bool active = GetActiveWindow() == Root(w)->Handle;
        TRect cr{r.Left, r.Top, r.Right, r.Top + cap};
        FillRect(dc, &cr, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        TRect tr = cr;
        tr.Left += 4;
        for (const CaptionButton& k : CaptionButtons(w, cr)) {
            TRect btn = k.Rect;
            UINT kind = k.Hit == HTCLOSE       ? UINT(DFCS_CAPTIONCLOSE)
                        : k.Hit == HTMINBUTTON ? UINT(DFCS_CAPTIONMIN)
                        : IsZoomed(h)          ? UINT(DFCS_CAPTIONRESTORE)
                                               : UINT(DFCS_CAPTIONMAX);
            DrawFrameControl(dc, &btn, DFC_CAPTION, kind);
            tr.Right = btn.Left - 2;
        }
        DrawText(dc, w->Text.c_str(), int(w->Text.size()), &tr,
                 DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        r.Top += cap;
    }
    // Client edge.
    if (w->ExStyle & WS_EX_CLIENTEDGE) {
        TRect e = r;
        DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
        r = TRect{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
    }
    if (w->ExStyle & WS_EX_STATICEDGE) {
        TRect e = r;
        DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
        r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    // Scroll bars and the box where they meet.
    TRect vs, hs;
    bool hasV = ScrollBarRect(w, SB_VERT, vs), hasH = ScrollBarRect(w, SB_HORZ, hs);
    for (int bar : {SB_VERT, SB_HORZ}) {
        TRect sb;
        if (!ScrollBarRect(w, bar, sb))
            continue;
        const ScrollBarState& s = Bar(w, bar);
        bool vert = bar == SB_VERT;
        int length = vert ? sb.Height() : sb.Width();
        int thickness = vert ? sb.Width() : sb.Height();
        BarLayout l = Layout(s, length, thickness);
        // Flat bars: their own track colour; flat arrows; a flat thumb (flat mode) or one with a
        // thin raised edge (Encarta mode).
        const FlatScrollState& f = w->Flat;
        const int style = !f.Initialized ? FSB_REGULAR_MODE : vert ? f.VStyle : f.HStyle;
        const COLORREF bkg = !f.Initialized ? CLR_DEFAULT : vert ? f.VBkg : f.HBkg;
        if (bkg == CLR_DEFAULT) {
            FillRect(dc, &sb, GetSysColorBrush(COLOR_SCROLLBAR));
        } else {
            const TOwnedBrush track(CreateSolidBrush(bkg));
            FillRect(dc, &sb, track.get());
        }
        auto part = [&](int from, int to) {
            return vert ? TRect{sb.Left, sb.Top + from, sb.Right, sb.Top + to}
                        : TRect{sb.Left + from, sb.Top, sb.Left + to, sb.Bottom};
        };
        TRect a1 = part(0, l.Arrow), a2 = part(length - l.Arrow, length);
        UINT off1 = (s.Disabled & ESB_DISABLE_LTUP) ? UINT(DFCS_INACTIVE) : 0u;
        UINT off2 = (s.Disabled & ESB_DISABLE_RTDN) ? UINT(DFCS_INACTIVE) : 0u;
        const UINT look = style == FSB_REGULAR_MODE ? 0u : UINT(DFCS_FLAT);
        DrawFrameControl(dc, &a1, DFC_SCROLL, (vert ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | off1 | look);
        DrawFrameControl(dc, &a2, DFC_SCROLL, (vert ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | off2 | look);
        if (l.ThumbSize > 0) {
            TRect t = part(l.ThumbStart, l.ThumbStart + l.ThumbSize);
            if (style == FSB_FLAT_MODE) {
                FillRect(dc, &t, GetSysColorBrush(COLOR_BTNFACE));
                FrameRect(dc, &t, GetSysColorBrush(COLOR_BTNSHADOW));
            } else if (style == FSB_ENCARTA_MODE) {
                DrawEdge(dc, &t, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
            } else {
                DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
            }
        }
    }
    if (hasV && hasH) {
        TRect box{vs.Left, hs.Top, vs.Right, hs.Bottom};
        FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    }
}

// A press waits in the queue while the pointer goes on, and a quick drag may have ended before
// the press is handled: then tracking moves to where the button came up and ends at once, so it
// never outlives the press.
void CatchUpWithPointer(POINT pressed)
{
    POINT released{};
    if (!NcTracking() || !TakeEndedPress(pressed, released))
        return;
    if (released.X != pressed.X || released.Y != pressed.Y)
        NcTrackMove(released);
    if (NcTracking())
        NcTrackUp(released);
}

void NcMouseDown(Window* w, LRESULT hit, POINT screen)
{
    if (hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT)) {
        EndTracking();
        Sizing = SizeMove{w->Handle, hit, screen, ScreenRect(w), true};
        SendMessage(w->Handle, WM_ENTERSIZEMOVE, 0, 0);
        CatchUpWithPointer(screen);
        return;
    }
    if (hit != HTVSCROLL && hit != HTHSCROLL)
        return;
    int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
    TRect sb;
    if (!ScrollBarRect(w, bar, sb))
        return;
    ScrollBarState& s = Bar(w, bar);
    if (s.Disabled == ESB_DISABLE_BOTH)
        return;
    TRect wr = ScreenRect(w);
    POINT p{screen.X - wr.Left - sb.Left, screen.Y - wr.Top - sb.Top};
    int at = AlongBar(bar, p);
    int length = bar == SB_VERT ? sb.Height() : sb.Width();
    int thickness = bar == SB_VERT ? sb.Width() : sb.Height();
    BarLayout l = Layout(s, length, thickness);
    EndTracking();
    Track.Hwnd = w->Handle;
    Track.Bar = bar;
    Track.Active = true;
    if (at < l.Arrow)
        Track.Code = (s.Disabled & ESB_DISABLE_LTUP) ? -1 : SB_LINEUP;
    else if (at >= length - l.Arrow)
        Track.Code = (s.Disabled & ESB_DISABLE_RTDN) ? -1 : SB_LINEDOWN;
    else if (l.ThumbSize && at >= l.ThumbStart && at < l.ThumbStart + l.ThumbSize) {
        Track.Code = SB_THUMBTRACK;
        Track.GrabOffset = at - l.ThumbStart;
        Track.TrackPos = s.Info.nPos;
    } else if (l.ThumbSize)
        Track.Code = at < l.ThumbStart ? SB_PAGEUP : SB_PAGEDOWN;
    if (Track.Code < 0) {
        EndTracking();
        return;
    }
    if (Track.Code != SB_THUMBTRACK) {
        HWND h = w->Handle;
        SendScroll(h, bar, Track.Code, 0);
        if (Track.Active)
            Track.Timer = SetTimer(nullptr, 0, 400, RepeatProc);
    }
    CatchUpWithPointer(screen);
}

// Moving and sizing from the keyboard (the window menu's Move and Size): the arrow keys move a
// pointer of our own by 8 pixels (1 with Ctrl) and the window follows it as it follows the mouse;
// Size takes the edge of the first arrow pressed. Enter keeps the place, Esc goes back.
namespace {
struct KeyboardSizeMove {
    bool Active = false;
    bool Size = false;
    POINT At{};
} KeyTrack;
} // namespace

void NcKeyboardSizeMove(Window* w, bool size)
{
    EndTracking();
    if (Sizing.Active)
        EndSizing(true);
    TRect r = ScreenRect(w);
    POINT centre{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    Sizing = SizeMove{w->Handle, size ? HTNOWHERE : HTCAPTION, centre, r, true};
    KeyTrack = KeyboardSizeMove{true, size, centre};
    SendMessage(w->Handle, WM_ENTERSIZEMOVE, 0, 0);
}

bool NcKeyboardTracking()
{
    if (KeyTrack.Active && !(Sizing.Active && IsWindow(Sizing.Hwnd)))
        KeyTrack = KeyboardSizeMove{};
    return KeyTrack.Active;
}

bool NcKeyboardKey(UINT msg, WPARAM key)
{
    if (!NcKeyboardTracking())
        return false;
    if (msg != WM_KEYDOWN && msg != WM_SYSKEYDOWN)
        return true; // characters and releases mean nothing here
    if (key == VK_RETURN || key == VK_ESCAPE) {
        KeyTrack = KeyboardSizeMove{};
        EndSizing(key == VK_ESCAPE);
        return true;
    }
    int dx = 0, dy = 0;
    LRESULT edge = HTNOWHERE;
    switch (key) {
    case VK_LEFT:
        dx = -1, edge = HTLEFT;
        break;
    case VK_RIGHT:
        dx = 1, edge = HTRIGHT;
        break;
    case VK_UP:
        dy = -1, edge = HTTOP;
        break;
    case VK_DOWN:
        dy = 1, edge = HTBOTTOM;
        break;
    default:
        return true;
    }
    if (KeyTrack.Size && Sizing.Hit == HTNOWHERE) {
        Sizing.Hit = edge; // the first arrow picks the edge; the next ones move it
        return true;
    }
    const int step = GetKeyState(VK_CONTROL) < 0 ? 1 : 8;
    KeyTrack.At.X += dx * step;
    KeyTrack.At.Y += dy * step;
    NcTrackMove(KeyTrack.At);
    return true;
}

bool NcTracking()
{
    return Track.Active || Sizing.Active;
}

void NcTrackCancel()
{
    KeyTrack = KeyboardSizeMove{};
    if (Sizing.Active)
        EndSizing(true);
}

void NcTrackMove(POINT screen)
{
    if (Sizing.Active) {
        int dx = screen.X - Sizing.Start.X, dy = screen.Y - Sizing.Start.Y;
        TRect r = Sizing.StartRect;
        LRESULT hit = Sizing.Hit;
        if (hit == HTCAPTION) {
            r = TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
            SendMessage(Sizing.Hwnd, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
        } else {
            bool left = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
            bool right = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
            bool top = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
            bool bottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
            MINMAXINFO mmi;
            mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
            mmi.ptMaxTrackSize = POINT{1 << 15, 1 << 15};
            SendMessage(Sizing.Hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
            int minW = std::max(mmi.ptMinTrackSize.X, 0), minH = std::max(mmi.ptMinTrackSize.Y, 0);
            int maxW = std::max(mmi.ptMaxTrackSize.X, minW), maxH = std::max(mmi.ptMaxTrackSize.Y, minH);
            if (left)
                r.Left = std::clamp(r.Left + dx, r.Right - maxW, r.Right - minW);
            if (right)
                r.Right = std::clamp(r.Right + dx, r.Left + minW, r.Left + maxW);
            if (top)
                r.Top = std::clamp(r.Top + dy, r.Bottom - maxH, r.Bottom - minH);
            if (bottom)
                r.Bottom = std::clamp(r.Bottom + dy, r.Top + minH, r.Top + maxH);
            static const WPARAM edge[] = {0,           WMSZ_LEFT,       WMSZ_RIGHT,
                                          WMSZ_TOP,    WMSZ_TOPLEFT,    WMSZ_TOPRIGHT,
                                          WMSZ_BOTTOM, WMSZ_BOTTOMLEFT, WMSZ_BOTTOMRIGHT};
            SendMessage(Sizing.Hwnd, WM_SIZING, edge[hit - HTLEFT + 1], reinterpret_cast<LPARAM>(&r));
        }
        if (Sizing.Active)
            MoveTo(Sizing.Hwnd, r);
        return;
    }
    if (!Track.Active || Track.Code != SB_THUMBTRACK)
        return;
    Window* w = W(Track.Hwnd);
    TRect sb;
    if (!w || !ScrollBarRect(w, Track.Bar, sb)) {
        EndTracking();
        return;
    }
    const ScrollBarState& s = Bar(w, Track.Bar);
    TRect wr = ScreenRect(w);
    POINT p{screen.X - wr.Left - sb.Left, screen.Y - wr.Top - sb.Top};
    int length = Track.Bar == SB_VERT ? sb.Height() : sb.Width();
    int thickness = Track.Bar == SB_VERT ? sb.Width() : sb.Height();
    BarLayout l = Layout(s, length, thickness);
    int track = length - 2 * l.Arrow - l.ThumbSize;
    int maxPos = MaxPos(s.Info);
    int pos = s.Info.nMin;
    if (track > 0) {
        int offset = std::clamp(AlongBar(Track.Bar, p) - Track.GrabOffset - l.Arrow, 0, track);
        pos = s.Info.nMin + int(((long long)offset * (maxPos - s.Info.nMin) + track / 2) / track);
    }
    if (pos != Track.TrackPos) {
        Track.TrackPos = pos;
        SendScroll(Track.Hwnd, Track.Bar, SB_THUMBTRACK, pos);
    }
}

void NcTrackUp(POINT)
{
    if (Sizing.Active) {
        EndSizing(false);
        return;
    }
    if (!Track.Active)
        return;
    Tracking t = Track;
    EndTracking();
    if (!IsWindow(t.Hwnd))
        return;
    if (t.Code == SB_THUMBTRACK)
        SendScroll(t.Hwnd, t.Bar, SB_THUMBPOSITION, t.TrackPos);
    SendScroll(t.Hwnd, t.Bar, SB_ENDSCROLL, 0);
}

void ResetNcTracking()
{
    EndTracking();
    Sizing = SizeMove{};
}

} // namespace winlayer

// ---- Scroll bar state --------------------------------------------------------------------------------

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw)
{
    if (bar == SB_CTL)
        return int(SendMessage(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
    Window* w = W(hwnd);
    if (!w || !info || (bar != SB_HORZ && bar != SB_VERT))
        return 0;
    SCROLLINFO& s = Bar(w, bar).Info;
    if (info->fMask & SIF_RANGE) {
        s.nMin = info->nMin;
        s.nMax = std::max(info->nMax, info->nMin);
    }
    if (info->fMask & SIF_PAGE)
        s.nPage = info->nPage;
    long long range = (long long)s.nMax - s.nMin + 1;
    if (s.nPage > range)
        s.nPage = UINT(std::min<long long>(range, 0xFFFFFFFF));
    if (info->fMask & SIF_POS)
        s.nPos = info->nPos;
    s.nPos = std::clamp(s.nPos, s.nMin, MaxPos(s));
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
        DWORD style = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
        bool shown = (w->Style & style) != 0;
        if (Useful(s)) {
            if (info->fMask & SIF_DISABLENOSCROLL)
                Bar(w, bar).Disabled = ESB_ENABLE_BOTH;
            if (!shown)
                ShowScrollBar(hwnd, bar, TRUE);
        } else if (info->fMask & SIF_DISABLENOSCROLL) {
            Bar(w, bar).Disabled = ESB_DISABLE_BOTH;
        } else if (shown) {
            ShowScrollBar(hwnd, bar, FALSE);
        }
    }
    if ((w = W(hwnd)) == nullptr)
        return 0;
    if (redraw)
        w->FrameDirty = true;
    return Bar(w, bar).Info.nPos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info)
{
    if (bar == SB_CTL)
        return SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
    Window* w = W(hwnd);
    if (!w || !info || (bar != SB_HORZ && bar != SB_VERT))
        return FALSE;
    const SCROLLINFO& s = Bar(w, bar).Info;
    if (info->fMask & SIF_RANGE) {
        info->nMin = s.nMin;
        info->nMax = s.nMax;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = s.nPage;
    if (info->fMask & SIF_POS)
        info->nPos = s.nPos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos =
            (Track.Active && Track.Hwnd == hwnd && Track.Bar == bar && Track.Code == SB_THUMBTRACK)
                ? Track.TrackPos
                : s.nPos;
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    SCROLLINFO si;
    si.fMask = SIF_POS;
    if (!GetScrollInfo(hwnd, bar, &si))
        return 0;
    int old = si.nPos;
    si.nPos = pos;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return IsWindow(hwnd);
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    if (!GetScrollInfo(hwnd, bar, &si))
        return FALSE;
    if (minPos)
        *minPos = si.nMin;
    if (maxPos)
        *maxPos = si.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    DWORD bits = bar == SB_HORZ   ? WS_HSCROLL
                 : bar == SB_VERT ? WS_VSCROLL
                 : bar == SB_BOTH ? WS_HSCROLL | WS_VSCROLL
                                  : 0;
    if (!bits)
        return FALSE;
    DWORD style = show ? (w->Style | bits) : (w->Style & ~bits);
    if (style != w->Style) {
        w->Style = style;
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    if (bar == SB_HORZ || bar == SB_BOTH)
        w->HScroll.Disabled = arrows & ESB_DISABLE_BOTH;
    if (bar == SB_VERT || bar == SB_BOTH)
        w->VScroll.Disabled = arrows & ESB_DISABLE_BOTH;
    w->FrameDirty = true;
    return TRUE;
}
