// Input: the input stage that turns a backend's mouse and key events into queued messages,
// keyboard state, focus, activation, capture, mouse tracking, cursors, the caret and the beep.
// System metrics and monitors are in SystemMetrics.cpp.

#include "platform/win/GdiInternal.h"
#include "platform/win/PopupWindows.h"
#include "platform/win/WindowInternal.h"

#include "platform/rtl/Resources.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace winlayer;

struct CursorObject {
    std::uintptr_t Id = 0; // IDC_ id of a system cursor
    std::string Name;      // resource name of a program cursor
};

namespace {

// Keyboard state as of the message being handled, and as of now.
BYTE KeyState[256]{};
BYTE AsyncState[256]{};

HWND Focus = nullptr;
HWND FocusTold = nullptr;  // the window that got WM_SETFOCUS and not yet WM_KILLFOCUS
HWND FocusLoser = nullptr; // the window being told it lost the focus, while it is being told
unsigned FocusGeneration = 0;
HWND Active = nullptr;
HWND FocusWillFollow = nullptr; // activation by SetFocus: the default WM_ACTIVATE sets no focus
HWND Capture = nullptr;
HWND LeaveTracked = nullptr;
POINT CursorPos{0, 0};

// TME_HOVER: the window told once the mouse has rested for Time milliseconds inside Area (screen
// coordinates, a small square around where it last came to rest). A thread timer measures the
// rest, on the backend's clock.
struct HoverTracking {
    HWND Hwnd = nullptr;
    UINT Time = 0;
    RECT Area{};
    UINT_PTR Timer = 0;
} Hover;
HCURSOR CurrentCursor = nullptr;
int CursorShowCount = 0;
UINT DoubleClickTime = 500;

struct LastClick {
    int Button = -1;
    HWND Hwnd = nullptr;
    DWORD Time = 0;
    POINT Pos{};
    bool WasDouble = false;
} Last;

struct Caret {
    HWND Owner = nullptr;
    int Width = 0, Height = 0;
    POINT Pos{};
    int HideCount = 1; // hidden until ShowCaret
    bool Drawn = false;
    bool HiddenForPaint = false;
    UINT_PTR BlinkTimer = 0;
} TheCaret;
UINT CaretBlinkTime = 530;

// Sets a variable for a scope and puts the old value back, also when a window procedure
// throws.
template <class T> struct Restore {
    Restore(T& var, T value) : Var(var), Old(var) { Var = value; }
    ~Restore() { Var = Old; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;
    T& Var;
    T Old;
};

bool InSubtree(HWND h, Window* top)
{
    if (!h || !top)
        return false;
    return h == top->Handle || IsChild(top->Handle, h);
}

// ---- Focus and activation ---------------------------------------------------------------------

HWND ChangeFocus(HWND h)
{
    HWND prev = Focus;
    if (h == prev)
        return prev;
    Focus = h;
    unsigned generation = ++FocusGeneration;
    HWND told = FocusTold;
    if (told && told != h) {
        FocusTold = nullptr;
        if (IsWindow(told)) {
            if (TheCaret.Owner == told)
                DestroyCaret();
            Restore<HWND> loser(FocusLoser, told);
            SendMessage(told, WM_KILLFOCUS, reinterpret_cast<WPARAM>(h), 0);
        }
    } else if (!told) {
        // Called while the previous window hears of its loss: that window is the one losing it.
        told = FocusLoser;
    }
    // A handler that moved the focus again has had the last word.
    if (generation != FocusGeneration)
        return prev;
    if (h && IsWindow(h) && FocusTold != h) {
        FocusTold = h;
        SendMessage(h, WM_SETFOCUS, reinterpret_cast<WPARAM>(told), 0);
    }
    return prev;
}

HWND Activate(Window* root, UINT how)
{
    HWND old = Active;
    HWND nh = root ? root->Handle : nullptr;
    if (nh == old)
        return old;
    Active = nh;
    if (nh)
        SetWindowPos(nh, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (old && IsWindow(old)) {
        SendMessage(old, WM_NCACTIVATE, FALSE, 0);
        if (Active == nh && IsWindow(old))
            SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old)),
                        reinterpret_cast<LPARAM>(nh));
    }
    if (Active != nh)
        return old;
    if (nh && IsWindow(nh)) {
        SendMessage(nh, WM_NCACTIVATE, TRUE, 0);
        if (Active == nh && IsWindow(nh))
            SendMessage(nh, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(nh)), reinterpret_cast<LPARAM>(old));
    }
    // The focus does not stay in a window that is no longer active.
    if (Active == nh && Focus && FocusWillFollow != nh) {
        Window* fr = W(Focus) ? Root(W(Focus)) : nullptr;
        if (!fr || fr->Handle != nh)
            ChangeFocus(nullptr);
    }
    return old;
}

bool Activatable(const Window* w)
{
    return w && IsTopLevel(w) && (w->Style & WS_VISIBLE) && !(w->Style & WS_DISABLED) &&
           !(w->ExStyle & WS_EX_NOACTIVATE) && !w->Destroying;
}

// ---- Keys -------------------------------------------------------------------------------------

struct KeyInfo {
    UINT Vk;
    UINT Scan;
    bool Extended;
};

const KeyInfo KeyTable[] = {
    {VK_ESCAPE, 0x01, false},   {'1', 0x02, false},          {'2', 0x03, false},
    {'3', 0x04, false},         {'4', 0x05, false},          {'5', 0x06, false},
    {'6', 0x07, false},         {'7', 0x08, false},          {'8', 0x09, false},
    {'9', 0x0A, false},         {'0', 0x0B, false},          {VK_OEM_MINUS, 0x0C, false},
    {VK_OEM_PLUS, 0x0D, false}, {VK_BACK, 0x0E, false},      {VK_TAB, 0x0F, false},
    {'Q', 0x10, false},         {'W', 0x11, false},          {'E', 0x12, false},
    {'R', 0x13, false},         {'T', 0x14, false},          {'Y', 0x15, false},
    {'U', 0x16, false},         {'I', 0x17, false},          {'O', 0x18, false},
    {'P', 0x19, false},         {VK_OEM_4, 0x1A, false},     {VK_OEM_6, 0x1B, false},
    {VK_RETURN, 0x1C, false},   {VK_CONTROL, 0x1D, false},   {VK_LCONTROL, 0x1D, false},
    {'A', 0x1E, false},         {'S', 0x1F, false},          {'D', 0x20, false},
    {'F', 0x21, false},         {'G', 0x22, false},          {'H', 0x23, false},
    {'J', 0x24, false},         {'K', 0x25, false},          {'L', 0x26, false},
    {VK_OEM_1, 0x27, false},    {VK_OEM_7, 0x28, false},     {VK_OEM_3, 0x29, false},
    {VK_SHIFT, 0x2A, false},    {VK_LSHIFT, 0x2A, false},    {VK_OEM_5, 0x2B, false},
    {'Z', 0x2C, false},         {'X', 0x2D, false},          {'C', 0x2E, false},
    {'V', 0x2F, false},         {'B', 0x30, false},          {'N', 0x31, false},
    {'M', 0x32, false},         {VK_OEM_COMMA, 0x33, false}, {VK_OEM_PERIOD, 0x34, false},
    {VK_OEM_2, 0x35, false},    {VK_DIVIDE, 0x35, true},     {VK_RSHIFT, 0x36, false},
    {VK_MULTIPLY, 0x37, false}, {VK_MENU, 0x38, false},      {VK_LMENU, 0x38, false},
    {VK_RMENU, 0x38, true},     {VK_SPACE, 0x39, false},     {VK_CAPITAL, 0x3A, false},
    {VK_F1, 0x3B, false},       {VK_F2, 0x3C, false},        {VK_F3, 0x3D, false},
    {VK_F4, 0x3E, false},       {VK_F5, 0x3F, false},        {VK_F6, 0x40, false},
    {VK_F7, 0x41, false},       {VK_F8, 0x42, false},        {VK_F9, 0x43, false},
    {VK_F10, 0x44, false},      {VK_NUMLOCK, 0x45, false},   {VK_SCROLL, 0x46, false},
    {VK_NUMPAD7, 0x47, false},  {VK_NUMPAD8, 0x48, false},   {VK_NUMPAD9, 0x49, false},
    {VK_SUBTRACT, 0x4A, false}, {VK_NUMPAD4, 0x4B, false},   {VK_NUMPAD5, 0x4C, false},
    {VK_CLEAR, 0x4C, false},    {VK_NUMPAD6, 0x4D, false},   {VK_ADD, 0x4E, false},
    {VK_NUMPAD1, 0x4F, false},  {VK_NUMPAD2, 0x50, false},   {VK_NUMPAD3, 0x51, false},
    {VK_NUMPAD0, 0x52, false},  {VK_DECIMAL, 0x53, false},   {VK_F11, 0x57, false},
    {VK_F12, 0x58, false},      {VK_RCONTROL, 0x1D, true},   {VK_HOME, 0x47, true},
    {VK_UP, 0x48, true},        {VK_PRIOR, 0x49, true},      {VK_LEFT, 0x4B, true},
    {VK_RIGHT, 0x4D, true},     {VK_END, 0x4F, true},        {VK_DOWN, 0x50, true},
    {VK_NEXT, 0x51, true},      {VK_INSERT, 0x52, true},     {VK_DELETE, 0x53, true},
    {VK_LWIN, 0x5B, true},      {VK_RWIN, 0x5C, true},       {VK_APPS, 0x5D, true},
};

const KeyInfo* FindKey(UINT vk)
{
    for (const KeyInfo& k : KeyTable)
        if (k.Vk == vk)
            return &k;
    return nullptr;
}

// The generic modifier keys follow their left and right keys.
void SetKey(BYTE* table, UINT vk, bool down)
{
    vk &= 0xFF;
    if (down) {
        if (!(table[vk] & 0x80))
            table[vk] ^= 1;
        table[vk] |= 0x80;
    } else {
        table[vk] &= ~0x80;
    }
    auto generic = [&](UINT g, UINT l, UINT r) {
        if (vk == l || vk == r)
            table[g] = BYTE((table[g] & ~0x80) | ((table[l] | table[r]) & 0x80));
        else if (vk == g) {
            table[l] = BYTE((table[l] & ~0x80) | (down ? 0x80 : 0));
            if (!down)
                table[r] &= ~0x80;
        }
    };
    generic(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    generic(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    generic(VK_MENU, VK_LMENU, VK_RMENU);
}

WPARAM MouseKeys(const BYTE* table)
{
    WPARAM k = 0;
    if (table[VK_LBUTTON] & 0x80)
        k |= MK_LBUTTON;
    if (table[VK_RBUTTON] & 0x80)
        k |= MK_RBUTTON;
    if (table[VK_MBUTTON] & 0x80)
        k |= MK_MBUTTON;
    if (table[VK_SHIFT] & 0x80)
        k |= MK_SHIFT;
    if (table[VK_CONTROL] & 0x80)
        k |= MK_CONTROL;
    return k;
}

// Key input goes to a focus window that can take it; a hidden or disabled focus window loses
// it (the focus is not moved for it).
HWND KeyTarget(bool& sys)
{
    HWND target = Focus;
    if (!target || !IsWindow(target)) {
        target = Active;
        sys = true; // with no focus, keys come to the active window as system keys
    }
    Window* w = W(target);
    if (!w || !Visible(w) || !Enabled(w))
        return nullptr;
    return target;
}

// ---- Mouse -------------------------------------------------------------------------------------

const UINT ButtonDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
const UINT ButtonVk[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};

void PostMouse(HWND target, LRESULT hit, UINT clientMsg, POINT screen)
{
    if (hit == HTCLIENT) {
        POINT c = screen;
        ScreenToClient(target, &c);
        PostInputMessage(target, clientMsg, MouseKeys(AsyncState), MAKELPARAM(c.X, c.Y));
    } else {
        UINT nc = clientMsg == WM_MOUSEMOVE ? WM_NCMOUSEMOVE : clientMsg - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        PostInputMessage(target, nc, WPARAM(hit), MAKELPARAM(screen.X, screen.Y));
    }
}

// The window under the point that takes mouse input and its hit-test code.
HWND HitTarget(POINT screen, LRESULT& hit)
{
    HWND target = WindowFromPoint(screen);
    while (target) {
        hit = SendMessage(target, WM_NCHITTEST, 0, MAKELPARAM(screen.X, screen.Y));
        if (hit != HTTRANSPARENT)
            break;
        Window* w = W(target);
        target = (w && !IsTopLevel(w)) ? w->Parent->Handle : nullptr;
    }
    // Disabled child windows pass their input to the first enabled ancestor.
    Window* w = W(target);
    while (w && !IsTopLevel(w) && (w->Style & WS_DISABLED)) {
        w = w->Parent;
        target = w->Handle;
        hit = SendMessage(target, WM_NCHITTEST, 0, MAKELPARAM(screen.X, screen.Y));
    }
    return W(target) ? target : nullptr;
}

void CheckLeave(HWND under, LRESULT hit)
{
    if (LeaveTracked && (LeaveTracked != under || hit != HTCLIENT)) {
        HWND t = LeaveTracked;
        LeaveTracked = nullptr;
        if (IsWindow(t))
            PostInputMessage(t, WM_MOUSELEAVE, 0, 0);
    }
}

void StopHover()
{
    if (Hover.Timer)
        KillTimer(nullptr, Hover.Timer);
    Hover = HoverTracking{};
}

void HoverProc(HWND, UINT, UINT_PTR, DWORD);

// (Re)starts the rest period around where the cursor is now.
void StartHoverRest()
{
    int half = int(HoverSize / 2);
    Hover.Area = RECT{CursorPos.X - half, CursorPos.Y - half, CursorPos.X - half + int(HoverSize),
                      CursorPos.Y - half + int(HoverSize)};
    Hover.Timer = SetTimer(nullptr, Hover.Timer, Hover.Time, HoverProc);
}

bool InHoverArea(POINT p)
{
    return p.X >= Hover.Area.Left && p.X < Hover.Area.Right && p.Y >= Hover.Area.Top &&
           p.Y < Hover.Area.Bottom;
}

// The cursor moved: leaving the window's client area ends hover tracking, leaving the hover
// square starts the rest period again.
void CheckHover(HWND under, LRESULT hit, POINT screen)
{
    if (!Hover.Hwnd)
        return;
    if (under != Hover.Hwnd || hit != HTCLIENT)
        StopHover();
    else if (!InHoverArea(screen))
        StartHoverRest();
}

void HoverProc(HWND, UINT, UINT_PTR, DWORD)
{
    HWND t = Hover.Hwnd;
    POINT at = CursorPos;
    // The report is made once; the program asks again for the next one.
    StopHover();
    LRESULT hit = HTNOWHERE;
    if (!t || HitTarget(at, hit) != t || hit != HTCLIENT)
        return;
    ScreenToClient(t, &at);
    PostInputMessage(t, WM_MOUSEHOVER, MouseKeys(AsyncState), MAKELPARAM(at.X, at.Y));
}

void DrawCaret()
{
    Window* w = W(TheCaret.Owner);
    if (!w)
        return;
    const TWindowDC dc(TheCaret.Owner, MakeWindowDC(w, false, nullptr));
    if (dc.get()) {
        RECT r{TheCaret.Pos.X, TheCaret.Pos.Y, TheCaret.Pos.X + TheCaret.Width,
               TheCaret.Pos.Y + TheCaret.Height};
        InvertRect(dc.get(), &r);
    }
    TheCaret.Drawn = !TheCaret.Drawn;
}

// On a real clock a shown caret blinks; on the virtual clock it stays drawn, so that what a
// test sees does not depend on when it looks.
void BlinkProc(HWND, UINT, UINT_PTR, DWORD)
{
    if (TheCaret.Owner && TheCaret.HideCount == 0 && !TheCaret.HiddenForPaint)
        DrawCaret();
}

void StartBlinking()
{
    if (!TheCaret.BlinkTimer && !Backend().IsVirtualClock() && CaretBlinkTime)
        TheCaret.BlinkTimer = SetTimer(nullptr, 0, CaretBlinkTime, BlinkProc);
}

void StopBlinking()
{
    if (TheCaret.BlinkTimer)
        KillTimer(nullptr, TheCaret.BlinkTimer);
    TheCaret.BlinkTimer = 0;
}

std::map<std::string, std::unique_ptr<CursorObject>>& Cursors()
{
    static std::map<std::string, std::unique_ptr<CursorObject>> cursors;
    return cursors;
}

} // namespace

namespace winlayer {

void UpdateKeyStateForMessage(const MSG& m)
{
    switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        SetKey(KeyState, UINT(m.wParam), true);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        SetKey(KeyState, UINT(m.wParam), false);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        SetKey(KeyState, VK_LBUTTON, true);
        break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
        SetKey(KeyState, VK_LBUTTON, false);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
        SetKey(KeyState, VK_RBUTTON, true);
        break;
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP:
        SetKey(KeyState, VK_RBUTTON, false);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
        SetKey(KeyState, VK_MBUTTON, true);
        break;
    case WM_MBUTTONUP:
    case WM_NCMBUTTONUP:
        SetKey(KeyState, VK_MBUTTON, false);
        break;
    default:
        break;
    }
}

void WindowGoingAway(Window* w)
{
    HWND h = w->Handle;
    if (InSubtree(Capture, w)) {
        Capture = nullptr;
        Backend().CaptureChanged(nullptr);
    }
    if (InSubtree(LeaveTracked, w))
        LeaveTracked = nullptr;
    if (InSubtree(Hover.Hwnd, w))
        StopHover();
    if (InSubtree(TheCaret.Owner, w)) {
        StopBlinking();
        TheCaret = Caret{};
    }
    if (InSubtree(Focus, w)) {
        // The focus goes to the parent of a destroyed child; with a top-level window it goes
        // with the activation.
        Window* parent = IsTopLevel(w) ? nullptr : w->Parent;
        while (parent && parent->Destroying && !IsTopLevel(parent))
            parent = parent->Parent;
        HWND to = (parent && !parent->Destroying) ? parent->Handle : nullptr;
        ChangeFocus(to);
        if (!(w = W(h)))
            return;
    }
    if (FocusTold && InSubtree(FocusTold, w))
        FocusTold = nullptr;
    if (InSubtree(Active, w))
        ActivateAfterHide(w);
    if (InSubtree(Last.Hwnd, w))
        Last = LastClick{};
}

void ActivateOnShow(Window* w)
{
    if (Activatable(w))
        Activate(w, WA_ACTIVE);
}

void ActivateAfterHide(Window* w)
{
    if (Active != w->Handle && (Active == nullptr || IsWindow(Active)))
        return;
    Window* next = nullptr;
    if (Window* o = W(w->Owner); o && Activatable(o))
        next = o;
    if (!next)
        for (Window* t : Desktop()->Children)
            if (t != w && Activatable(t) && !(t->ExStyle & WS_EX_TOOLWINDOW) && !(t->Style & WS_MINIMIZE)) {
                next = t;
                break;
            }
    Activate(next, WA_ACTIVE);
}

void DefaultActivate(Window* w, WPARAM wParam)
{
    if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && FocusWillFollow != w->Handle)
        ChangeFocus(w->Handle);
}

LRESULT DefaultSetCursor(Window* w, WPARAM wParam, LPARAM lParam)
{
    if (!IsTopLevel(w) && w->Parent && SendMessage(w->Parent->Handle, WM_SETCURSOR, wParam, lParam))
        return TRUE;
    LRESULT hit = SHORT(LOWORD(std::uintptr_t(lParam)));
    UINT msg = HIWORD(std::uintptr_t(lParam));
    std::uintptr_t shape = IDC_ARROW;
    switch (hit) {
    case HTERROR:
        if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN)
            MessageBeep(0);
        return FALSE;
    case HTCLIENT:
        if (w->Class && w->Class->Info.hCursor) {
            SetCursor(w->Class->Info.hCursor);
            return FALSE;
        }
        break;
    case HTLEFT:
    case HTRIGHT:
        shape = IDC_SIZEWE;
        break;
    case HTTOP:
    case HTBOTTOM:
        shape = IDC_SIZENS;
        break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        shape = IDC_SIZENWSE;
        break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        shape = IDC_SIZENESW;
        break;
    default:
        break;
    }
    SetCursor(LoadCursor(nullptr, MAKEINTRESOURCE(shape)));
    return FALSE;
}

void ResetInput()
{
    std::memset(KeyState, 0, sizeof KeyState);
    std::memset(AsyncState, 0, sizeof AsyncState);
    Focus = FocusTold = Active = FocusWillFollow = Capture = LeaveTracked = nullptr;
    StopHover();
    CursorPos = POINT{0, 0};
    CurrentCursor = nullptr;
    CursorShowCount = 0;
    DoubleClickTime = 500;
    Last = LastClick{};
}

void ResetCaret()
{
    TheCaret = Caret{};
}

void CaretBeforePaint(Window* w)
{
    if (TheCaret.Owner == w->Handle && TheCaret.Drawn) {
        DrawCaret();
        TheCaret.HiddenForPaint = true;
    }
}

void CaretAfterPaint(Window* w)
{
    if (TheCaret.Owner == w->Handle && TheCaret.HiddenForPaint) {
        TheCaret.HiddenForPaint = false;
        if (TheCaret.HideCount == 0 && !TheCaret.Drawn)
            DrawCaret();
    }
}

} // namespace winlayer

// ---- Focus, activation, capture ------------------------------------------------------------------

HWND SetFocus(HWND hwnd)
{
    Window* w = nullptr;
    if (hwnd) {
        w = W(hwnd);
        if (!w || w == Desktop())
            return nullptr;
        Window* root = Root(w);
        if (root->Handle != Active && Activatable(root)) {
            {
                Restore<HWND> follow(FocusWillFollow, root->Handle);
                Activate(root, WA_ACTIVE);
            }
            if (!IsWindow(hwnd))
                return nullptr;
        }
    }
    return ChangeFocus(hwnd);
}

HWND GetFocus()
{
    return IsWindow(Focus) ? Focus : nullptr;
}

HWND SetActiveWindow(HWND hwnd)
{
    Window* w = hwnd ? W(hwnd) : nullptr;
    if (hwnd && (!w || !IsTopLevel(w) || (w->Style & WS_DISABLED)))
        return nullptr;
    return Activate(w, WA_ACTIVE);
}

HWND GetActiveWindow()
{
    return IsWindow(Active) ? Active : nullptr;
}
BOOL SetForegroundWindow(HWND hwnd)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    Activate(Root(w), WA_ACTIVE);
    return TRUE;
}
HWND GetForegroundWindow()
{
    return GetActiveWindow();
}

HWND SetCapture(HWND hwnd)
{
    if (hwnd && !IsWindow(hwnd))
        return nullptr;
    HWND old = Capture;
    if (old == hwnd)
        return old;
    Capture = hwnd;
    if (old && IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    Backend().CaptureChanged(Capture);
    return IsWindow(old) ? old : nullptr;
}

BOOL ReleaseCapture()
{
    HWND old = Capture;
    Capture = nullptr;
    if (old && IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    if (old)
        Backend().CaptureChanged(nullptr);
    return TRUE;
}

HWND GetCapture()
{
    return IsWindow(Capture) ? Capture : nullptr;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme)
{
    if (!tme || tme->cbSize < sizeof(TRACKMOUSEEVENT))
        return FALSE;
    if (tme->dwFlags & TME_QUERY) {
        DWORD flags = 0;
        HWND tracked = LeaveTracked;
        if (LeaveTracked)
            flags |= TME_LEAVE;
        if (Hover.Hwnd && (!tracked || tracked == Hover.Hwnd)) {
            flags |= TME_HOVER;
            tracked = Hover.Hwnd;
            tme->dwHoverTime = Hover.Time;
        }
        tme->dwFlags = flags;
        tme->hwndTrack = tracked;
        return TRUE;
    }
    bool leave = tme->dwFlags & TME_LEAVE;
    bool hover = tme->dwFlags & TME_HOVER;
    if (tme->dwFlags & TME_CANCEL) {
        if (leave && LeaveTracked == tme->hwndTrack)
            LeaveTracked = nullptr;
        if (hover && Hover.Hwnd == tme->hwndTrack)
            StopHover();
        return TRUE;
    }
    if (!leave && !hover)
        return TRUE;
    if (!IsWindow(tme->hwndTrack))
        return FALSE;
    // A window the mouse is not over hears at once that it has left, and has nothing to hover.
    if (WindowFromPoint(CursorPos) != tme->hwndTrack) {
        if (leave)
            PostInputMessage(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (leave)
        LeaveTracked = tme->hwndTrack;
    if (hover) {
        if (Hover.Hwnd != tme->hwndTrack)
            StopHover();
        Hover.Hwnd = tme->hwndTrack;
        Hover.Time = tme->dwHoverTime == HOVER_DEFAULT ? HoverTime : UINT(tme->dwHoverTime);
        StartHoverRest();
    }
    return TRUE;
}

// ---- Keyboard state --------------------------------------------------------------------------------

SHORT GetKeyState(int vk)
{
    BYTE s = KeyState[vk & 0xFF];
    return SHORT((s & 0x80 ? 0xFF80 : 0) | (s & 1));
}

BOOL GetKeyboardState(BYTE* state)
{
    if (!state)
        return FALSE;
    std::memcpy(state, KeyState, sizeof KeyState);
    return TRUE;
}

BOOL SetKeyboardState(const BYTE* state)
{
    if (!state)
        return FALSE;
    std::memcpy(KeyState, state, sizeof KeyState);
    return TRUE;
}

SHORT GetAsyncKeyState(int vk)
{
    return SHORT((AsyncState[vk & 0xFF] & 0x80) ? 0x8000 : 0);
}

UINT MapVirtualKey(UINT code, UINT mapType)
{
    switch (mapType) {
    case MAPVK_VK_TO_VSC: {
        const KeyInfo* k = FindKey(code);
        return k ? k->Scan : 0;
    }
    case MAPVK_VSC_TO_VK:
        for (const KeyInfo& k : KeyTable)
            if (k.Scan == code && !k.Extended)
                return k.Vk;
        return 0;
    case MAPVK_VK_TO_CHAR:
        if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
            return code;
        return 0;
    default:
        return 0;
    }
}

// ---- The input stage ---------------------------------------------------------------------------------

void InputMouseMove(POINT screen)
{
    CursorPos = screen;
    if (NcTracking()) {
        NcTrackMove(screen);
        return;
    }
    HWND target;
    LRESULT hit = HTCLIENT;
    if (GetCapture()) {
        target = Capture;
        LRESULT underHit = HTNOWHERE;
        HWND under = HitTarget(screen, underHit);
        CheckLeave(under, underHit);
        CheckHover(under, underHit, screen);
    } else {
        target = HitTarget(screen, hit);
        CheckLeave(target, hit);
        CheckHover(target, hit, screen);
        if (!target)
            return;
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, WM_MOUSEMOVE));
        if (!IsWindow(target))
            return;
        if (!Enabled(Root(W(target))))
            return;
    }
    PostMouse(target, hit, WM_MOUSEMOVE, screen);
}

namespace {

// The last press of the left button as input, and its release if that came before the press
// was handled: the non-client area's tracking must not outlive a press already over.
struct LeftPress {
    bool Pending = false;
    POINT At{0, 0};
    bool Released = false;
    POINT ReleasedAt{0, 0};
} LastLeftPress;

} // namespace

bool winlayer::TakeEndedPress(POINT press, POINT& releasedAt)
{
    LeftPress p = LastLeftPress;
    if (!p.Pending || p.At.X != press.X || p.At.Y != press.Y)
        return false;
    LastLeftPress = LeftPress{};
    releasedAt = p.ReleasedAt;
    return p.Released;
}

void InputMouseButton(POINT screen, int button, bool down)
{
    if (button < 0 || button > 2)
        return;
    CursorPos = screen;
    SetKey(AsyncState, ButtonVk[button], down);
    if (button == 0) {
        if (down)
            LastLeftPress = LeftPress{true, screen, false, screen};
        else if (LastLeftPress.Pending && !LastLeftPress.Released)
            LastLeftPress.Released = true, LastLeftPress.ReleasedAt = screen;
    }
    if (NcTracking()) {
        if (!down)
            NcTrackUp(screen);
        return;
    }
    // A press outside an open drop-down closes it before the press reaches its target.
    if (down)
        DismissPopupsOutside(screen);
    UINT msg = down ? ButtonDown[button] : ButtonDown[button] + 1;
    HWND target;
    LRESULT hit = HTCLIENT;
    if (GetCapture()) {
        target = Capture;
    } else {
        target = HitTarget(screen, hit);
        if (!target) {
            // A press on nothing of ours deactivates our windows (an open popup closes).
            if (down)
                Activate(nullptr, WA_INACTIVE);
            return;
        }
        Window* root = Root(W(target));
        if (!Enabled(root)) {
            // A window disabled by a modal one: the system beeps at a click.
            SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTERROR, msg));
            return;
        }
        if (down && root->Handle != Active) {
            LRESULT r = SendMessage(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root->Handle),
                                    MAKELPARAM(hit, msg));
            if (r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0) {
                if (Window* rw = W(root->Handle); rw && Activatable(rw))
                    Activate(rw, WA_CLICKACTIVE);
            }
            if (r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT)
                return;
            if (!IsWindow(target))
                return;
        }
        SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, msg));
        if (!IsWindow(target))
            return;
    }
    if (down) {
        // A second press of the same button on the same window, soon and near enough, is a
        // double click when the window's class asks for them.
        Window* w = W(target);
        // The frame's own double clicks (the caption's) come whatever the class asks.
        bool wantsDouble = w && ((w->Class && (w->Class->Info.style & CS_DBLCLKS)) || hit != HTCLIENT);
        DWORD now = GetTickCount();
        int cx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, cy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        bool isDouble = wantsDouble && !Last.WasDouble && Last.Button == button && Last.Hwnd == target &&
                        DWORD(now - Last.Time) <= DoubleClickTime && std::abs(screen.X - Last.Pos.X) <= cx &&
                        std::abs(screen.Y - Last.Pos.Y) <= cy;
        Last = LastClick{button, target, now, screen, isDouble};
        if (isDouble)
            msg += 2;
    }
    PostMouse(target, hit, msg, screen);
}

void InputMouseWheel(POINT screen, int delta)
{
    CursorPos = screen;
    HWND target = GetFocus();
    if (!target) {
        LRESULT hit;
        target = HitTarget(screen, hit);
    }
    if (!target)
        return;
    PostInputMessage(target, WM_MOUSEWHEEL, MAKEWPARAM(int(MouseKeys(AsyncState)), delta),
                     MAKELPARAM(screen.X, screen.Y));
}

void InputKey(UINT vk, bool down, UINT scanCode, int extended)
{
    vk &= 0xFF;
    if (NcTracking() && vk == VK_ESCAPE) {
        if (down)
            NcTrackCancel();
        return;
    }
    const KeyInfo* info = FindKey(vk);
    if (!scanCode)
        scanCode = info ? info->Scan : 0;
    bool ext = extended < 0 ? (info && info->Extended) : extended != 0;
    bool wasDown = (AsyncState[vk] & 0x80) != 0;
    SetKey(AsyncState, vk, down);
    bool alt = (AsyncState[VK_MENU] & 0x80) != 0;
    bool ctrl = (AsyncState[VK_CONTROL] & 0x80) != 0;
    bool sys =
        (alt && !ctrl) || vk == VK_F10 || ((vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU) && !ctrl);
    HWND target = KeyTarget(sys);
    if (!target)
        return;
    LPARAM data = 1 | LPARAM(scanCode & 0xFF) << 16;
    if (ext)
        data |= KF_EXTENDED_BIT;
    if (alt && !ctrl)
        data |= KF_ALTDOWN_BIT;
    if (wasDown || !down)
        data |= KF_REPEAT_BIT;
    if (!down)
        data |= KF_UP_BIT;
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    PostInputMessage(target, msg, vk, data);
}

void InputChar(char16_t unit)
{
    bool sys = false;
    HWND target = KeyTarget(sys);
    if (!target || sys)
        return;
    PostInputMessage(target, WM_CHAR, unit, 1);
}

// ---- Cursor ------------------------------------------------------------------------------------------

BOOL GetCursorPos(POINT* pt)
{
    if (!pt)
        return FALSE;
    *pt = CursorPos;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    TSize s = Backend().ScreenSize();
    InputMouseMove(POINT{std::clamp(x, 0, std::max(s.cx - 1, 0)), std::clamp(y, 0, std::max(s.cy - 1, 0))});
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR old = CurrentCursor;
    if (cursor != old) {
        CurrentCursor = cursor;
        Backend().SetCursorShape(cursor);
    }
    return old;
}

HCURSOR GetCursor()
{
    return CurrentCursor;
}

HCURSOR LoadCursor(HINSTANCE instance, const char* name)
{
    if (!name)
        return nullptr;
    std::string key;
    std::uintptr_t id = 0;
    if (IS_INTRESOURCE(name)) {
        id = reinterpret_cast<std::uintptr_t>(name);
        bool system = (id >= IDC_ARROW && id <= IDC_UPARROW) || (id >= IDC_SIZENWSE && id <= IDC_HELP);
        if (!instance && !system)
            return nullptr;
        key = (system && !instance) ? "#sys" + std::to_string(id) : "#" + std::to_string(id);
        if (!system || instance) {
            if (!FindEmbeddedResource(key, "CURSOR") && !FindEmbeddedResource(std::to_string(id), "CURSOR"))
                return nullptr;
            id = 0;
        }
    } else {
        key = name;
        if (!FindEmbeddedResource(key, "CURSOR"))
            return nullptr;
    }
    auto& all = Cursors();
    auto it = all.find(key);
    if (it != all.end())
        return it->second.get();
    auto c = std::make_unique<CursorObject>();
    c->Id = id;
    c->Name = id ? std::string() : key;
    HCURSOR h = c.get();
    all[key] = std::move(c);
    return h;
}

int ShowCursor(BOOL show)
{
    return show ? ++CursorShowCount : --CursorShowCount;
}
UINT GetDoubleClickTime()
{
    return DoubleClickTime;
}
BOOL SetDoubleClickTime(UINT ms)
{
    DoubleClickTime = ms ? std::min<UINT>(ms, 5000) : 500;
    return TRUE;
}

BOOL MessageBeep(UINT type)
{
    Backend().Beep(type);
    return TRUE;
}

// ---- Caret ------------------------------------------------------------------------------------------

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height)
{
    if (!IsWindow(hwnd))
        return FALSE;
    DestroyCaret();
    TheCaret = Caret{};
    TheCaret.Owner = hwnd;
    if (bitmap && reinterpret_cast<std::uintptr_t>(bitmap) > 1) {
        BITMAP bm;
        if (GetObject(bitmap, sizeof bm, &bm)) {
            width = bm.bmWidth;
            height = bm.bmHeight;
        }
    }
    TheCaret.Width = std::clamp(width ? width : GetSystemMetrics(SM_CXBORDER), 0, 1 << 12);
    TheCaret.Height = std::clamp(height ? height : GetSystemMetrics(SM_CYBORDER), 0, 1 << 12);
    return TRUE;
}

BOOL DestroyCaret()
{
    if (!TheCaret.Owner)
        return FALSE;
    if (TheCaret.Drawn)
        DrawCaret();
    StopBlinking();
    TheCaret = Caret{};
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    if (!TheCaret.Owner || (hwnd && hwnd != TheCaret.Owner) || TheCaret.HideCount == 0)
        return FALSE;
    if (--TheCaret.HideCount == 0) {
        if (!TheCaret.Drawn && !TheCaret.HiddenForPaint)
            DrawCaret();
        StartBlinking();
    }
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    if (!TheCaret.Owner || (hwnd && hwnd != TheCaret.Owner))
        return FALSE;
    if (TheCaret.HideCount++ == 0) {
        StopBlinking();
        if (TheCaret.Drawn)
            DrawCaret();
    }
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    if (!TheCaret.Owner)
        return FALSE;
    bool drawn = TheCaret.Drawn;
    if (drawn)
        DrawCaret();
    TheCaret.Pos = POINT{x, y};
    if (drawn)
        DrawCaret();
    return TRUE;
}

BOOL GetCaretPos(POINT* pt)
{
    if (!pt)
        return FALSE;
    *pt = TheCaret.Pos;
    return TRUE;
}

UINT GetCaretBlinkTime()
{
    return CaretBlinkTime;
}
BOOL SetCaretBlinkTime(UINT ms)
{
    CaretBlinkTime = ms;
    return TRUE;
}
