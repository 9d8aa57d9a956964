// The tool tip window class and the balloon tips of edit controls.

#include "platform/win/CommCtrl.h"

#include "platform/win/Colors.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/RichEdit.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
constexpr UINT_PTR kCheckTimer = 3; // while a hover tip is up: is the mouse still on its tool?
constexpr int kStem = 12;           // height of a balloon's stem

struct Tool {
    UINT Flags = 0;
    HWND Hwnd = nullptr;
    UINT_PTR Id = 0;
    RECT Rect{};
    bool Callback = false;
    std::string Text;
    LPARAM Param = 0;
};

struct Tip {
    std::vector<Tool> Tools;
    bool Active = true;
    int Initial = 500, AutoPop = 5000, Reshow = 100;
    COLORREF Back = CLR_INVALID, Fore = CLR_INVALID;
    int MaxWidth = -1;
    std::string Title;
    int Icon = TTI_NONE;
    int Hot = -1;     // the tool under the mouse, waiting or shown
    int Shown = -1;   // the tool whose tip is shown
    int Tracked = -1; // the tracking tool activated
    POINT TrackAt{};
    POINT MouseAt{}; // screen
    std::string ShownText;
    bool StemUp = true; // balloon below its point, stem on top
};

std::map<HWND, Tip>& Tips()
{
    static std::map<HWND, Tip> t;
    return t;
}

// Windows whose procedure was replaced to relay mouse messages (TTF_SUBCLASS).
struct Relay {
    WNDPROC Original = nullptr;
    std::vector<HWND> Tips;
};
std::map<HWND, Relay>& Relays()
{
    static std::map<HWND, Relay> r;
    return r;
}

bool IsMouseMessage(UINT m)
{
    return m == WM_MOUSEMOVE || m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_RBUTTONDOWN ||
           m == WM_RBUTTONUP || m == WM_MBUTTONDOWN || m == WM_MBUTTONUP || m == WM_MOUSELEAVE;
}

LRESULT RelayProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    auto it = Relays().find(h);
    if (it == Relays().end())
        return DefWindowProc(h, m, w, l);
    WNDPROC original = it->second.Original;
    if (IsMouseMessage(m)) {
        MSG msg{};
        msg.hwnd = h;
        msg.message = m;
        msg.wParam = w;
        msg.lParam = l;
        for (HWND tip : std::vector<HWND>(it->second.Tips))
            if (IsWindow(tip))
                SendMessage(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    if (m == WM_NCDESTROY) {
        Relays().erase(h);
        SetWindowLongPtr(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    return CallWindowProc(original, h, m, w, l);
}

void Subclass(HWND toolWindow, HWND tip)
{
    if (!IsWindow(toolWindow))
        return;
    auto& r = Relays()[toolWindow];
    if (!r.Original)
        r.Original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(toolWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RelayProc)));
    if (std::find(r.Tips.begin(), r.Tips.end(), tip) == r.Tips.end())
        r.Tips.push_back(tip);
}

void Unsubclass(HWND toolWindow, HWND tip)
{
    auto it = Relays().find(toolWindow);
    if (it == Relays().end())
        return;
    auto& v = it->second.Tips;
    v.erase(std::remove(v.begin(), v.end(), tip), v.end());
    if (v.empty() && GetWindowLongPtr(toolWindow, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&RelayProc)) {
        SetWindowLongPtr(toolWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.Original));
        Relays().erase(it);
    }
}

HWND ToolWindow(const Tool& t)
{
    return (t.Flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.Id) : t.Hwnd;
}

int FindTool(const Tip& tip, const TOOLINFOA* ti)
{
    if (!ti)
        return -1;
    for (std::size_t i = 0; i < tip.Tools.size(); ++i)
        if (tip.Tools[i].Hwnd == ti->hwnd && tip.Tools[i].Id == ti->uId)
            return int(i);
    return -1;
}

// The tool under a screen point, -1 when none.
int ToolAt(const Tip& tip, HWND over, POINT screen)
{
    for (std::size_t i = 0; i < tip.Tools.size(); ++i) {
        const Tool& t = tip.Tools[i];
        if (t.Flags & TTF_TRACK)
            continue;
        HWND w = ToolWindow(t);
        if (!IsWindow(w) || (over && over != w))
            continue;
        POINT p = screen;
        ScreenToClient(w, &p);
        RECT r = t.Rect;
        if (t.Flags & TTF_IDISHWND)
            GetClientRect(w, &r);
        if (PtInRect(&r, p))
            return int(i);
    }
    return -1;
}

std::string TextOf(HWND h, Tip& tip, int index)
{
    Tool& t = tip.Tools[std::size_t(index)];
    if (!t.Callback)
        return t.Text;
    NMTTDISPINFOA di;
    di.uFlags = t.Flags;
    di.lParam = t.Param;
    di.hdr.hwndFrom = h;
    di.hdr.idFrom = t.Id;
    di.hdr.code = TTN_GETDISPINFOA;
    SendMessage(t.Hwnd, WM_NOTIFY, WPARAM(t.Id), reinterpret_cast<LPARAM>(&di));
    if (!di.lpszText || di.lpszText == LPSTR_TEXTCALLBACK)
        return std::string(di.szText, strnlen(di.szText, sizeof di.szText));
    if (di.lpszText == di.szText)
        return std::string(di.szText, strnlen(di.szText, sizeof di.szText));
    return di.lpszText;
}

HFONT TipFont(bool bold)
{
    static HFONT normal = nullptr, heavy = nullptr;
    HFONT& f = bold ? heavy : normal;
    if (!f) {
        LOGFONTA lf{};
        GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        if (bold)
            lf.lfWeight = FW_BOLD;
        f = CreateFontIndirect(&lf);
    }
    return f;
}

bool Balloon(HWND h)
{
    return GetWindowLong(h, GWL_STYLE) & TTS_BALLOON;
}

constexpr int kIcon = 16;

// The layout of a tip: its text box and its title box, in client coordinates of the tip window.
struct Boxes {
    SIZE Window{};
    RECT Title{}, Text{}, Icon{};
};

Boxes Measure(HWND h, const Tip& tip, const std::string& text)
{
    Boxes b;
    const TOwnedDC measuring(CreateMeasuringDC());
    HDC dc = measuring.get();
    UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    int maxw = tip.MaxWidth > 0 ? tip.MaxWidth : 100000;
    if (tip.MaxWidth > 0)
        flags |= DT_WORDBREAK;
    else
        flags |= DT_SINGLELINE;
    const TSelectObject font(dc, TipFont(false));
    RECT tr{0, 0, maxw, 0};
    DrawText(dc, text.c_str(), int(text.size()), &tr, flags);
    RECT ti{0, 0, 0, 0};
    bool hasTitle = !tip.Title.empty() || tip.Icon != TTI_NONE;
    if (hasTitle) {
        SelectObject(dc, TipFont(true));
        ti = RECT{0, 0, maxw, 0};
        DrawText(dc, tip.Title.c_str(), int(tip.Title.size()), &ti,
                 DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
        if (tip.Icon != TTI_NONE) {
            ti.Right += kIcon + 4;
            ti.Bottom = std::max<LONG>(ti.Bottom, kIcon);
        }
    }
    bool balloon = Balloon(h);
    int pad = balloon ? 8 : 3;
    int top = pad + ((balloon && tip.StemUp) ? kStem : 0);
    int y = top;
    if (hasTitle) {
        b.Title = RECT{pad, y, pad + ti.Right, y + ti.Bottom};
        if (tip.Icon != TTI_NONE)
            b.Icon = RECT{pad, y, pad + kIcon, y + kIcon};
        y += ti.Bottom + 4;
    }
    b.Text = RECT{pad, y, pad + tr.Right, y + tr.Bottom};
    int w = std::max(b.Title.Right, b.Text.Right) + pad;
    int hgt = b.Text.Bottom + pad + ((balloon && !tip.StemUp) ? kStem : 0);
    b.Window = SIZE{w, hgt};
    return b;
}

void DrawIcon(HDC dc, const RECT& r, int icon)
{
    COLORREF fill = icon == TTI_ERROR     ? RGB(200, 40, 40)
                    : icon == TTI_WARNING ? RGB(230, 170, 20)
                                          : RGB(40, 110, 200);
    {
        const TOwnedBrush br(CreateSolidBrush(fill));
        const TOwnedPen pen(CreatePen(PS_SOLID, 1, fill));
        const TSelectObject sb(dc, br.get()), sp(dc, pen.get());
        if (icon == TTI_WARNING) {
            POINT tri[3] = {
                {(r.Left + r.Right) / 2, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}};
            Polygon(dc, tri, 3);
        } else {
            Ellipse(dc, r.Left, r.Top, r.Right, r.Bottom);
        }
    }
    // The mark inside: "i", "!" or "×" drawn as strokes so no symbol font is needed.
    const TOwnedPen white(CreatePen(PS_SOLID, 2, icon == TTI_WARNING ? RGB(0, 0, 0) : RGB(255, 255, 255)));
    const TSelectObject sw(dc, white.get());
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    if (icon == TTI_ERROR) {
        MoveToEx(dc, cx - 3, cy - 3, nullptr);
        LineTo(dc, cx + 4, cy + 4);
        MoveToEx(dc, cx + 3, cy - 3, nullptr);
        LineTo(dc, cx - 4, cy + 4);
    } else if (icon == TTI_INFO) {
        MoveToEx(dc, cx, cy - 1, nullptr);
        LineTo(dc, cx, cy + 5);
        MoveToEx(dc, cx, cy - 5, nullptr);
        LineTo(dc, cx, cy - 3);
    } else {
        MoveToEx(dc, cx, cy - 3, nullptr);
        LineTo(dc, cx, cy + 3);
        MoveToEx(dc, cx, cy + 4, nullptr);
        LineTo(dc, cx, cy + 6);
    }
}

void Paint(HWND h, Tip& tip, HDC dc)
{
    RECT c;
    GetClientRect(h, &c);
    COLORREF back = tip.Back != CLR_INVALID ? tip.Back : GetSysColor(COLOR_INFOBK);
    COLORREF fore = tip.Fore != CLR_INVALID ? tip.Fore : GetSysColor(COLOR_INFOTEXT);
    Boxes b = Measure(h, tip, tip.ShownText);
    const TOwnedBrush br(CreateSolidBrush(back));
    const TOwnedPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME)));
    if (Balloon(h)) {
        // Clear around the balloon to the parent's look: the desktop shows through as white.
        FillRect(dc, &c, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        // Made before the selections: it is selected after them and deleted once they are undone.
        const TOwnedPen joint(CreatePen(PS_SOLID, 1, back));
        const TSelectObject sb(dc, br.get()), sp(dc, pen.get());
        int top = tip.StemUp ? kStem : 0, bottom = c.Bottom - (tip.StemUp ? 0 : kStem);
        RoundRect(dc, 0, top, c.Right, bottom, 12, 12);
        int sx = 16;
        POINT stem[3];
        if (tip.StemUp)
            stem[0] = {sx, 0}, stem[1] = {sx, top + 1}, stem[2] = {sx + kStem, top + 1};
        else
            stem[0] = {sx, c.Bottom - 1}, stem[1] = {sx, bottom - 2}, stem[2] = {sx + kStem, bottom - 2};
        Polygon(dc, stem, 3);
        // The stem's joint with the body is not outlined.
        SelectObject(dc, joint.get());
        int jy = tip.StemUp ? top : bottom - 1;
        MoveToEx(dc, sx + 1, jy, nullptr);
        LineTo(dc, sx + kStem - 1, jy);
    } else {
        const TSelectObject sb(dc, br.get()), sp(dc, pen.get());
        Rectangle(dc, 0, 0, c.Right, c.Bottom);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, fore);
    if (tip.Icon != TTI_NONE)
        DrawIcon(dc, b.Icon, tip.Icon);
    if (!tip.Title.empty()) {
        const TSelectObject font(dc, TipFont(true));
        RECT r = b.Title;
        if (tip.Icon != TTI_NONE)
            r.Left += kIcon + 4;
        DrawText(dc, tip.Title.c_str(), int(tip.Title.size()), &r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    }
    const TSelectObject font(dc, TipFont(false));
    RECT r = b.Text;
    UINT flags = DT_NOPREFIX | DT_EXPANDTABS | (tip.MaxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawText(dc, tip.ShownText.c_str(), int(tip.ShownText.size()), &r, flags);
}

void Hide(HWND h, Tip& tip)
{
    KillTimer(h, kShowTimer);
    KillTimer(h, kPopTimer);
    KillTimer(h, kCheckTimer);
    if (tip.Shown < 0 && !IsWindowVisible(h))
        return;
    int shown = tip.Shown;
    tip.Shown = -1;
    ShowWindow(h, SW_HIDE);
    if (shown >= 0 && std::size_t(shown) < tip.Tools.size()) {
        NMHDR n;
        n.hwndFrom = h;
        n.idFrom = tip.Tools[std::size_t(shown)].Id;
        n.code = TTN_POP;
        SendMessage(tip.Tools[std::size_t(shown)].Hwnd, WM_NOTIFY, WPARAM(n.idFrom),
                    reinterpret_cast<LPARAM>(&n));
    }
}

// Shows the tip of a tool at a screen point: below-right of it for plain tips, the stem's end at
// it for balloons (flipped above when there is no room below).
void Show(HWND h, Tip& tip, int index, POINT at, bool tracking)
{
    std::string text = TextOf(h, tip, index);
    if (text.empty() && tip.Title.empty()) {
        Hide(h, tip);
        return;
    }
    tip.ShownText = text;
    tip.Shown = index;
    const Tool& t = tip.Tools[std::size_t(index)];
    NMHDR n;
    n.hwndFrom = h;
    n.idFrom = t.Id;
    n.code = TTN_SHOW;
    // A non-zero answer means the owner has placed the window itself.
    bool placed = SendMessage(t.Hwnd, WM_NOTIFY, WPARAM(t.Id), reinterpret_cast<LPARAM>(&n)) != 0;
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    bool balloon = Balloon(h);
    tip.StemUp = true;
    Boxes b = Measure(h, tip, text);
    int x = at.X, y = at.Y;
    if (balloon) {
        x = at.X - 16;
        if (y + b.Window.cy > screen.Bottom) {
            tip.StemUp = false;
            b = Measure(h, tip, text);
            y = at.Y - b.Window.cy;
        }
    } else if (!tracking) {
        y += 20; // below the pointer
    }
    x = std::clamp<int>(x, screen.Left, std::max<int>(screen.Left, screen.Right - b.Window.cx));
    y = std::clamp<int>(y, screen.Top, std::max<int>(screen.Top, screen.Bottom - b.Window.cy));
    if (placed) {
        RECT w;
        GetWindowRect(h, &w);
        x = w.Left;
        y = w.Top;
    }
    SetWindowPos(h, HWND_TOPMOST, x, y, b.Window.cx, b.Window.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(h, nullptr, TRUE);
    KillTimer(h, kPopTimer);
    if (!tracking && tip.AutoPop > 0)
        SetTimer(h, kPopTimer, UINT(tip.AutoPop), nullptr);
    if (!tracking)
        SetTimer(h, kCheckTimer, 100, nullptr);
}

void OnMouse(HWND h, Tip& tip, const MSG& m)
{
    if (!tip.Active || tip.Tracked >= 0)
        return;
    POINT p;
    GetCursorPos(&p);
    if (m.message == WM_MOUSEMOVE) {
        POINT c{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        ClientToScreen(m.hwnd, &c);
        p = c;
    }
    tip.MouseAt = p;
    int at = m.message == WM_MOUSELEAVE ? -1 : ToolAt(tip, m.hwnd, p);
    if (m.message != WM_MOUSEMOVE && m.message != WM_MOUSELEAVE) {
        // A click closes the tip; it may come again after the mouse moves on.
        Hide(h, tip);
        tip.Hot = -1;
        return;
    }
    if (at != tip.Hot) {
        bool wasShown = tip.Shown >= 0;
        Hide(h, tip);
        tip.Hot = at;
        if (at >= 0)
            SetTimer(h, kShowTimer, UINT(wasShown ? tip.Reshow : tip.Initial), nullptr);
    }
}

void SetDelays(Tip& tip, WPARAM which, int ms)
{
    switch (which) {
    case TTDT_INITIAL:
        tip.Initial = ms < 0 ? 500 : ms;
        break;
    case TTDT_AUTOPOP:
        tip.AutoPop = ms < 0 ? 5000 : ms;
        break;
    case TTDT_RESHOW:
        tip.Reshow = ms < 0 ? 100 : ms;
        break;
    default:
        tip.Initial = ms < 0 ? 500 : ms;
        tip.AutoPop = tip.Initial * 10;
        tip.Reshow = tip.Initial / 5;
        break;
    }
}

Tool ToolFrom(const TOOLINFOA* ti)
{
    Tool t;
    t.Flags = ti->uFlags;
    t.Hwnd = ti->hwnd;
    t.Id = ti->uId;
    t.Rect = ti->rect;
    t.Param = ti->lParam;
    t.Callback = ti->lpszText == LPSTR_TEXTCALLBACK;
    if (!t.Callback && ti->lpszText)
        t.Text = ti->lpszText;
    return t;
}

LRESULT TipProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        // Always a top-level popup without a caption, whatever style was asked for.
        DWORD style = DWORD(GetWindowLong(h, GWL_STYLE));
        SetWindowLong(h, GWL_STYLE, LONG((style & ~DWORD(WS_CHILD | WS_CAPTION | WS_VISIBLE)) | WS_POPUP));
        SetWindowLong(
            h, GWL_EXSTYLE,
            LONG(DWORD(GetWindowLong(h, GWL_EXSTYLE)) | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST));
        Tips()[h] = Tip{};
        return DefWindowProc(h, msg, w, l);
    }
    auto it = Tips().find(h);
    if (it == Tips().end())
        return DefWindowProc(h, msg, w, l);
    Tip& tip = it->second;
    switch (msg) {
    case WM_NCDESTROY: {
        for (const Tool& t : tip.Tools)
            if (t.Flags & TTF_SUBCLASS)
                Unsubclass(ToolWindow(t), h);
        Tips().erase(it);
        return DefWindowProc(h, msg, w, l);
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        Paint(h, tip, dc);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_TIMER:
        if (w == kShowTimer) {
            KillTimer(h, kShowTimer);
            POINT p;
            GetCursorPos(&p);
            if (tip.Hot >= 0 && std::size_t(tip.Hot) < tip.Tools.size() && ToolAt(tip, nullptr, p) == tip.Hot)
                Show(h, tip, tip.Hot, p, false);
            else
                tip.Hot = -1;
        } else if (w == kPopTimer) {
            // The tip goes by itself; the check goes on, so that once the mouse has left the tool,
            // coming back shows the tip again.
            Hide(h, tip);
            if (tip.Hot >= 0)
                SetTimer(h, kCheckTimer, 100, nullptr);
        } else if (w == kCheckTimer) {
            POINT p;
            GetCursorPos(&p);
            int on = tip.Shown >= 0 ? tip.Shown : tip.Hot;
            if (on < 0 || ToolAt(tip, nullptr, p) != on) {
                Hide(h, tip);
                tip.Hot = -1;
            }
        }
        return 0;
    case TTM_ACTIVATE:
        tip.Active = w != 0;
        if (!tip.Active)
            Hide(h, tip);
        return 0;
    case TTM_SETDELAYTIME:
        SetDelays(tip, w, int(std::int16_t(LOWORD(l))));
        return 0;
    case TTM_GETDELAYTIME:
        return w == TTDT_AUTOPOP ? tip.AutoPop : w == TTDT_RESHOW ? tip.Reshow : tip.Initial;
    case TTM_ADDTOOLA: {
        auto* ti = reinterpret_cast<const TOOLINFOA*>(l);
        if (!ti)
            return FALSE;
        Tool t = ToolFrom(ti);
        int at = FindTool(tip, ti);
        if (at >= 0)
            tip.Tools[std::size_t(at)] = t;
        else
            tip.Tools.push_back(t);
        if (t.Flags & TTF_SUBCLASS)
            Subclass(ToolWindow(t), h);
        return TRUE;
    }
    case TTM_DELTOOLA: {
        int at = FindTool(tip, reinterpret_cast<const TOOLINFOA*>(l));
        if (at < 0)
            return 0;
        if (tip.Shown == at || tip.Tracked == at)
            Hide(h, tip);
        Tool t = tip.Tools[std::size_t(at)];
        tip.Tools.erase(tip.Tools.begin() + at);
        tip.Hot = tip.Shown = tip.Tracked = -1;
        if (t.Flags & TTF_SUBCLASS)
            Unsubclass(ToolWindow(t), h);
        return 0;
    }
    case TTM_NEWTOOLRECTA: {
        int at = FindTool(tip, reinterpret_cast<const TOOLINFOA*>(l));
        if (at >= 0)
            tip.Tools[std::size_t(at)].Rect = reinterpret_cast<const TOOLINFOA*>(l)->rect;
        return 0;
    }
    case TTM_UPDATETIPTEXTA:
    case TTM_SETTOOLINFOA: {
        auto* ti = reinterpret_cast<const TOOLINFOA*>(l);
        int at = FindTool(tip, ti);
        if (at < 0)
            return 0;
        Tool& t = tip.Tools[std::size_t(at)];
        if (msg == TTM_SETTOOLINFOA)
            t = ToolFrom(ti);
        else {
            t.Callback = ti->lpszText == LPSTR_TEXTCALLBACK;
            t.Text = (!t.Callback && ti->lpszText) ? ti->lpszText : "";
        }
        if (tip.Shown == at) {
            tip.ShownText = TextOf(h, tip, at);
            InvalidateRect(h, nullptr, TRUE);
        }
        return 0;
    }
    case TTM_GETTOOLINFOA: {
        auto* ti = reinterpret_cast<TOOLINFOA*>(l);
        int at = FindTool(tip, ti);
        if (at < 0)
            return FALSE;
        const Tool& t = tip.Tools[std::size_t(at)];
        ti->uFlags = t.Flags;
        ti->rect = t.Rect;
        ti->lParam = t.Param;
        return TRUE;
    }
    case TTM_GETTEXTA: {
        auto* ti = reinterpret_cast<TOOLINFOA*>(l);
        int at = FindTool(tip, ti);
        if (at < 0 || !ti->lpszText)
            return 0;
        std::string s = TextOf(h, tip, at);
        std::size_t cap = w > 0 ? std::size_t(w) : 80;
        s = s.substr(0, cap - 1);
        std::memcpy(ti->lpszText, s.c_str(), s.size() + 1);
        return LRESULT(s.size());
    }
    case TTM_GETTOOLCOUNT:
        return LRESULT(tip.Tools.size());
    case TTM_RELAYEVENT:
        if (l)
            OnMouse(h, tip, *reinterpret_cast<const MSG*>(l));
        return 0;
    case TTM_TRACKACTIVATE: {
        int at = FindTool(tip, reinterpret_cast<const TOOLINFOA*>(l));
        if (w && at >= 0) {
            tip.Tracked = at;
            Show(h, tip, at, tip.TrackAt, true);
        } else {
            tip.Tracked = -1;
            Hide(h, tip);
        }
        return 0;
    }
    case TTM_TRACKPOSITION:
        tip.TrackAt = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (tip.Tracked >= 0)
            Show(h, tip, tip.Tracked, tip.TrackAt, true);
        return 0;
    case TTM_SETTIPBKCOLOR:
        tip.Back = COLORREF(w);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        tip.Fore = COLORREF(w);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case TTM_GETTIPBKCOLOR:
        return tip.Back != CLR_INVALID ? tip.Back : GetSysColor(COLOR_INFOBK);
    case TTM_GETTIPTEXTCOLOR:
        return tip.Fore != CLR_INVALID ? tip.Fore : GetSysColor(COLOR_INFOTEXT);
    case TTM_SETMAXTIPWIDTH: {
        int old = tip.MaxWidth;
        tip.MaxWidth = int(l);
        return old;
    }
    case TTM_GETMAXTIPWIDTH:
        return tip.MaxWidth;
    case TTM_SETTITLEA:
    case TTM_SETTITLEW:
        tip.Icon = int(w) >= 0 && int(w) <= 3 ? int(w) : TTI_NONE;
        if (!l)
            tip.Title.clear();
        else if (msg == TTM_SETTITLEW) {
            const auto* s = reinterpret_cast<const char16_t*>(l);
            std::size_t n = 0;
            while (s[n] && n < 99)
                ++n;
            tip.Title = gdi::Utf16ToUtf8(s, int(n));
        } else {
            tip.Title = std::string(reinterpret_cast<const char*>(l)).substr(0, 99);
        }
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
    case TTM_POP:
        Hide(h, tip);
        tip.Hot = -1;
        return 0;
    case TTM_POPUP: {
        POINT p;
        GetCursorPos(&p);
        int at = tip.Hot >= 0 ? tip.Hot : ToolAt(tip, nullptr, p);
        if (at >= 0)
            Show(h, tip, at, p, false);
        return 0;
    }
    case TTM_UPDATE:
        if (tip.Shown >= 0) {
            tip.ShownText = TextOf(h, tip, tip.Shown);
            InvalidateRect(h, nullptr, TRUE);
        }
        return 0;
    default:
        return DefWindowProc(h, msg, w, l);
    }
}

// The balloons of edit controls: one tool tip window per edit, made when first needed.
std::map<HWND, HWND>& EditBalloons()
{
    static std::map<HWND, HWND> m;
    return m;
}

} // namespace

void RegisterToolTipClass()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASS wc{};
    wc.style = CS_SAVEBITS | CS_GLOBALCLASS;
    wc.lpfnWndProc = TipProc;
    wc.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_ARROW));
    wc.lpszClassName = TOOLTIPS_CLASS;
    RegisterClass(&wc);
}

BOOL ShowEditBalloon(HWND edit, const EDITBALLOONTIP* info, POINT caretClient)
{
    if (!IsWindow(edit) || !info)
        return FALSE;
    RegisterToolTipClass();
    HWND& tipWnd = EditBalloons()[edit];
    if (!IsWindow(tipWnd)) {
        tipWnd = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON, 0, 0,
                                0, 0, GetAncestor(edit, GA_ROOT), nullptr, nullptr, nullptr);
        if (!tipWnd)
            return FALSE;
        TOOLINFOA ti;
        ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        ti.hwnd = edit;
        ti.uId = 1;
        std::string empty;
        ti.lpszText = empty.data();
        SendMessage(tipWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    auto narrow = [](const char16_t* s) {
        if (!s)
            return std::string();
        std::size_t n = 0;
        while (s[n])
            ++n;
        return gdi::Utf16ToUtf8(s, int(n));
    };
    std::string text = narrow(info->pszText);
    std::string title = narrow(info->pszTitle);
    TOOLINFOA ti;
    ti.hwnd = edit;
    ti.uId = 1;
    ti.lpszText = text.data();
    SendMessage(tipWnd, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessage(tipWnd, TTM_SETTITLEA, WPARAM(info->ttiIcon), reinterpret_cast<LPARAM>(title.c_str()));
    SendMessage(tipWnd, TTM_SETMAXTIPWIDTH, 0, 300);
    RECT c;
    GetClientRect(edit, &c);
    POINT at{caretClient.X, c.Bottom};
    ClientToScreen(edit, &at);
    SendMessage(tipWnd, TTM_TRACKPOSITION, 0, MAKELPARAM(at.X, at.Y));
    SendMessage(tipWnd, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    return TRUE;
}

BOOL HideEditBalloon(HWND edit)
{
    auto it = EditBalloons().find(edit);
    if (it == EditBalloons().end())
        return FALSE;
    HWND tipWnd = it->second;
    EditBalloons().erase(it);
    if (IsWindow(tipWnd))
        DestroyWindow(tipWnd);
    return TRUE;
}

void RegisterCommonControlClasses()
{
    RegisterToolTipClass();
    RegisterRichEditClass();
    RegisterDateTimeClasses();
}
