#pragma once

// Window handles, message records and the constants of windows, messages and input. The values
// are those of the API, so code written against it keeps its numbers (private messages at
// WM_USER + n, registered ones from 0xC000).

#include "platform/win/Gdi.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

// ---- Handles and scalar types -------------------------------------------------------------

struct HWND__;
struct HMENU__;
struct HINSTANCE__;
struct HICON__;
struct CursorObject;
using HWND = HWND__*;   // an id of a window; ids are never reused
using HMENU = HMENU__*; // for child windows: the control id
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HICON = HICON__*;
using HCURSOR = CursorObject*;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using ATOM = WORD;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

constexpr WORD LOWORD(std::uintptr_t v)
{
    return WORD(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v)
{
    return WORD((v >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return LPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi)
{
    return WPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16));
}
constexpr LRESULT MAKELRESULT(int lo, int hi)
{
    return LRESULT(MAKELPARAM(lo, hi));
}
constexpr int GET_X_LPARAM(LPARAM l)
{
    return SHORT(LOWORD(std::uintptr_t(l)));
}
constexpr int GET_Y_LPARAM(LPARAM l)
{
    return SHORT(HIWORD(std::uintptr_t(l)));
}
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w)
{
    return SHORT(HIWORD(w));
}
constexpr int GET_KEYSTATE_WPARAM(WPARAM w)
{
    return LOWORD(w);
}
inline const char* MAKEINTRESOURCE(std::uintptr_t id)
{
    return reinterpret_cast<const char*>(id);
}
inline bool IS_INTRESOURCE(const void* p)
{
    return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0;
}

// ---- Records --------------------------------------------------------------------------------

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt{};
};
using LPMSG = MSG*;

struct WNDCLASS {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr; // a brush, or (HBRUSH)(COLOR_x + 1)
    const char* lpszMenuName = nullptr;
    const char* lpszClassName = nullptr;
};
using WNDCLASSA = WNDCLASS;

struct WNDCLASSW {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    const char16_t* lpszMenuName = nullptr;
    const char16_t* lpszClassName = nullptr;
};

// lpszName and lpszClass are UTF-8 for windows made by CreateWindowEx and UTF-16 (cast) for
// CreateWindowExW, as the window procedure's character set says.
struct CREATESTRUCT {
    void* lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    const char* lpszName = nullptr;
    const char* lpszClass = nullptr;
    DWORD dwExStyle = 0;
};
using CREATESTRUCTA = CREATESTRUCT;

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    RECT rcPaint{};
    BOOL fRestore = FALSE;
    BOOL fIncUpdate = FALSE;
    BYTE rgbReserved[32]{};
};

struct WINDOWPOS {
    HWND hwnd = nullptr;
    HWND hwndInsertAfter = nullptr;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
};

struct NCCALCSIZE_PARAMS {
    RECT rgrc[3]{};
    WINDOWPOS* lppos = nullptr;
};

struct SCROLLINFO {
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};
static_assert(sizeof(SCROLLINFO) == 28);

struct TRACKMOUSEEVENT {
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);
    DWORD dwFlags = 0;
    HWND hwndTrack = nullptr;
    DWORD dwHoverTime = 0;
};

struct HMONITOR__;
using HMONITOR = HMONITOR__*;

struct MONITORINFO {
    DWORD cbSize = sizeof(MONITORINFO);
    RECT rcMonitor{};
    RECT rcWork{};
    DWORD dwFlags = 0;
};
enum : DWORD { MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1, MONITOR_DEFAULTTONEAREST = 2 };
constexpr DWORD MONITORINFOF_PRIMARY = 1;

struct MINMAXINFO {
    POINT ptReserved{};
    POINT ptMaxSize{};
    POINT ptMaxPosition{};
    POINT ptMinTrackSize{};
    POINT ptMaxTrackSize{};
};

// ---- Messages -------------------------------------------------------------------------------

enum : UINT {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A,
    WM_SETREDRAW = 0x000B,
    WM_SETTEXT = 0x000C,
    WM_GETTEXT = 0x000D,
    WM_GETTEXTLENGTH = 0x000E,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SHOWWINDOW = 0x0018,
    WM_ACTIVATEAPP = 0x001C,
    WM_CANCELMODE = 0x001F,
    WM_SETCURSOR = 0x0020,
    WM_MOUSEACTIVATE = 0x0021,
    WM_GETMINMAXINFO = 0x0024,
    WM_NEXTDLGCTL = 0x0028,
    WM_SETFONT = 0x0030,
    WM_GETFONT = 0x0031,
    WM_WINDOWPOSCHANGING = 0x0046,
    WM_WINDOWPOSCHANGED = 0x0047,
    WM_NOTIFY = 0x004E,
    WM_CONTEXTMENU = 0x007B,
    WM_STYLECHANGING = 0x007C,
    WM_STYLECHANGED = 0x007D,
    WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082,
    WM_NCCALCSIZE = 0x0083,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_GETDLGCODE = 0x0087,
    WM_NCMOUSEMOVE = 0x00A0,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_NCLBUTTONUP = 0x00A2,
    WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_NCRBUTTONDOWN = 0x00A4,
    WM_NCRBUTTONUP = 0x00A5,
    WM_NCRBUTTONDBLCLK = 0x00A6,
    WM_NCMBUTTONDOWN = 0x00A7,
    WM_NCMBUTTONUP = 0x00A8,
    WM_NCMBUTTONDBLCLK = 0x00A9,
    WM_KEYFIRST = 0x0100,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_KEYLAST = 0x0109,
    WM_IME_COMPOSITION = 0x010F,
    WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_HSCROLL = 0x0114,
    WM_VSCROLL = 0x0115,
    WM_MOUSEFIRST = 0x0200,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSELAST = 0x020A,
    WM_PARENTNOTIFY = 0x0210,
    WM_SIZING = 0x0214,
    WM_CAPTURECHANGED = 0x0215,
    WM_MOVING = 0x0216,
    WM_ENTERSIZEMOVE = 0x0231,
    WM_EXITSIZEMOVE = 0x0232,
    WM_IME_CHAR = 0x0286,
    WM_MOUSEHOVER = 0x02A1,
    WM_NCMOUSELEAVE = 0x02A2,
    WM_MOUSELEAVE = 0x02A3,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_DESTROYCLIPBOARD = 0x0307,
    WM_PRINTCLIENT = 0x0318,
    WM_THEMECHANGED = 0x031A,
    WM_USER = 0x0400,
    WM_APP = 0x8000
};

// WM_ACTIVATE, WM_MOUSEACTIVATE, WM_SIZE, WM_SHOWWINDOW.
enum : UINT { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
enum : LRESULT { MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4 };
enum : UINT { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// WM_SIZING: the edge being dragged.
enum : WPARAM {
    WMSZ_LEFT = 1,
    WMSZ_RIGHT = 2,
    WMSZ_TOP = 3,
    WMSZ_TOPLEFT = 4,
    WMSZ_TOPRIGHT = 5,
    WMSZ_BOTTOM = 6,
    WMSZ_BOTTOMLEFT = 7,
    WMSZ_BOTTOMRIGHT = 8
};

// WM_SYSCOMMAND commands (the low four bits are the system's own).
enum : WPARAM {
    SC_SIZE = 0xF000,
    SC_MOVE = 0xF010,
    SC_MINIMIZE = 0xF020,
    SC_MAXIMIZE = 0xF030,
    SC_CLOSE = 0xF060,
    SC_KEYMENU = 0xF100,
    SC_RESTORE = 0xF120,
};

// Hit-test codes.
enum : LRESULT {
    HTERROR = -2,
    HTTRANSPARENT = -1,
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTSYSMENU = 3,
    HTGROWBOX = 4,
    HTSIZE = 4,
    HTMENU = 5,
    HTHSCROLL = 6,
    HTVSCROLL = 7,
    HTMINBUTTON = 8,
    HTMAXBUTTON = 9,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18,
    HTCLOSE = 20
};

// Mouse key-state flags (wParam of mouse messages).
enum : WPARAM { MK_LBUTTON = 1, MK_RBUTTON = 2, MK_SHIFT = 4, MK_CONTROL = 8, MK_MBUTTON = 0x10 };
constexpr int WHEEL_DELTA = 120;

// PeekMessage.
enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1, PM_NOYIELD = 2 };

// ---- Styles ---------------------------------------------------------------------------------

enum : DWORD {
    WS_OVERLAPPED = 0x00000000,
    WS_POPUP = 0x80000000,
    WS_CHILD = 0x40000000,
    WS_MINIMIZE = 0x20000000,
    WS_VISIBLE = 0x10000000,
    WS_DISABLED = 0x08000000,
    WS_CLIPSIBLINGS = 0x04000000,
    WS_CLIPCHILDREN = 0x02000000,
    WS_MAXIMIZE = 0x01000000,
    WS_CAPTION = 0x00C00000,
    WS_BORDER = 0x00800000,
    WS_DLGFRAME = 0x00400000,
    WS_VSCROLL = 0x00200000,
    WS_HSCROLL = 0x00100000,
    WS_SYSMENU = 0x00080000,
    WS_THICKFRAME = 0x00040000,
    WS_SIZEBOX = 0x00040000,
    WS_GROUP = 0x00020000,
    WS_TABSTOP = 0x00010000,
    WS_MINIMIZEBOX = 0x00020000,
    WS_MAXIMIZEBOX = 0x00010000,
    WS_OVERLAPPEDWINDOW = 0x00CF0000,
    WS_POPUPWINDOW = 0x80880000,
    WS_CHILDWINDOW = 0x40000000
};
enum : DWORD {
    WS_EX_DLGMODALFRAME = 0x1,
    WS_EX_NOPARENTNOTIFY = 0x4,
    WS_EX_TOPMOST = 0x8,
    WS_EX_ACCEPTFILES = 0x10,
    WS_EX_TRANSPARENT = 0x20,
    WS_EX_TOOLWINDOW = 0x80,
    WS_EX_WINDOWEDGE = 0x100,
    WS_EX_CLIENTEDGE = 0x200,
    WS_EX_CONTROLPARENT = 0x10000,
    WS_EX_STATICEDGE = 0x20000,
    WS_EX_APPWINDOW = 0x40000,
    WS_EX_LAYERED = 0x80000,
    WS_EX_NOACTIVATE = 0x08000000
};
enum : UINT {
    CS_VREDRAW = 0x1,
    CS_HREDRAW = 0x2,
    CS_DBLCLKS = 0x8,
    CS_OWNDC = 0x20,
    CS_CLASSDC = 0x40,
    CS_PARENTDC = 0x80,
    CS_NOCLOSE = 0x200,
    CS_SAVEBITS = 0x800,
    CS_GLOBALCLASS = 0x4000,
    CS_DROPSHADOW = 0x20000
};

constexpr int CW_USEDEFAULT = int(0x80000000);

// GetWindowLong / GetClassLong indexes.
enum : int {
    GWL_WNDPROC = -4,
    GWL_HINSTANCE = -6,
    GWL_HWNDPARENT = -8,
    GWL_ID = -12,
    GWL_STYLE = -16,
    GWL_EXSTYLE = -20,
    GWL_USERDATA = -21,
    GWLP_WNDPROC = -4,
    GWLP_HINSTANCE = -6,
    GWLP_HWNDPARENT = -8,
    GWLP_ID = -12,
    GWLP_USERDATA = -21
};
enum : int {
    GCL_MENUNAME = -8,
    GCL_HBRBACKGROUND = -10,
    GCL_HCURSOR = -12,
    GCL_HICON = -14,
    GCL_CBWNDEXTRA = -18,
    GCL_CBCLSEXTRA = -20,
    GCL_WNDPROC = -24,
    GCL_STYLE = -26,
    GCLP_HBRBACKGROUND = -10,
    GCLP_HCURSOR = -12,
    GCLP_WNDPROC = -24
};

// SetWindowPos.
enum : UINT {
    SWP_NOSIZE = 0x1,
    SWP_NOMOVE = 0x2,
    SWP_NOZORDER = 0x4,
    SWP_NOREDRAW = 0x8,
    SWP_NOACTIVATE = 0x10,
    SWP_FRAMECHANGED = 0x20,
    SWP_DRAWFRAME = 0x20,
    SWP_SHOWWINDOW = 0x40,
    SWP_HIDEWINDOW = 0x80,
    SWP_NOCOPYBITS = 0x100,
    SWP_NOOWNERZORDER = 0x200,
    SWP_NOSENDCHANGING = 0x400,
    // In WM_WINDOWPOSCHANGED: the move minimized, maximized or restored the window, so WM_SIZE
    // follows even when the size stayed.
    SWP_STATECHANGED = 0x8000
};
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline HWND const HWND_BROADCAST = reinterpret_cast<HWND>(0xFFFF);

// ShowWindow.
enum : int {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_NORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MAXIMIZE = 3,
    SW_SHOWNOACTIVATE = 4,
    SW_SHOW = 5,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_SHOWNA = 8,
    SW_RESTORE = 9,
    SW_SHOWDEFAULT = 10
};
// WM_SHOWWINDOW lParam: an owned window hidden or shown with its owner's minimize and restore.
enum : LPARAM { SW_PARENTCLOSING = 1, SW_PARENTOPENING = 3 };

// GetWindow, GetAncestor.
enum : UINT {
    GW_HWNDFIRST = 0,
    GW_HWNDLAST = 1,
    GW_HWNDNEXT = 2,
    GW_HWNDPREV = 3,
    GW_OWNER = 4,
    GW_CHILD = 5
};
enum : UINT { GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3 };
enum : UINT { CWP_ALL = 0, CWP_SKIPINVISIBLE = 1, CWP_SKIPDISABLED = 2, CWP_SKIPTRANSPARENT = 4 };

// Painting.
enum : UINT {
    RDW_INVALIDATE = 0x1,
    RDW_INTERNALPAINT = 0x2,
    RDW_ERASE = 0x4,
    RDW_VALIDATE = 0x8,
    RDW_NOINTERNALPAINT = 0x10,
    RDW_NOERASE = 0x20,
    RDW_NOCHILDREN = 0x40,
    RDW_ALLCHILDREN = 0x80,
    RDW_UPDATENOW = 0x100,
    RDW_ERASENOW = 0x200,
    RDW_FRAME = 0x400,
    RDW_NOFRAME = 0x800
};
enum : UINT { SW_SCROLLCHILDREN = 0x1, SW_INVALIDATE = 0x2, SW_ERASE = 0x4 };
enum : DWORD {
    DCX_WINDOW = 0x1,
    DCX_CACHE = 0x2,
    DCX_CLIPCHILDREN = 0x8,
    DCX_CLIPSIBLINGS = 0x10,
    DCX_PARENTCLIP = 0x20,
    DCX_EXCLUDERGN = 0x40,
    DCX_INTERSECTRGN = 0x80
};

// Scroll bars.
enum : int { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : int {
    SB_LINEUP = 0,
    SB_LINELEFT = 0,
    SB_LINEDOWN = 1,
    SB_LINERIGHT = 1,
    SB_PAGEUP = 2,
    SB_PAGELEFT = 2,
    SB_PAGEDOWN = 3,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_LEFT = 6,
    SB_BOTTOM = 7,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8
};
enum : UINT {
    SIF_RANGE = 0x1,
    SIF_PAGE = 0x2,
    SIF_POS = 0x4,
    SIF_DISABLENOSCROLL = 0x8,
    SIF_TRACKPOS = 0x10,
    SIF_ALL = 0x17
};
enum : UINT {
    ESB_ENABLE_BOTH = 0,
    ESB_DISABLE_LTUP = 1,
    ESB_DISABLE_LEFT = 1,
    ESB_DISABLE_UP = 1,
    ESB_DISABLE_RTDN = 2,
    ESB_DISABLE_RIGHT = 2,
    ESB_DISABLE_DOWN = 2,
    ESB_DISABLE_BOTH = 3
};

// TrackMouseEvent.
enum : DWORD {
    TME_HOVER = 0x1,
    TME_LEAVE = 0x2,
    TME_NONCLIENT = 0x10,
    TME_QUERY = 0x40000000,
    TME_CANCEL = 0x80000000
};
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

// WM_GETDLGCODE answers.
enum : LRESULT {
    DLGC_WANTARROWS = 0x1,
    DLGC_WANTTAB = 0x2,
    DLGC_WANTALLKEYS = 0x4,
    DLGC_WANTMESSAGE = 0x4,
    DLGC_HASSETSEL = 0x8,
    DLGC_DEFPUSHBUTTON = 0x10,
    DLGC_UNDEFPUSHBUTTON = 0x20,
    DLGC_RADIOBUTTON = 0x40,
    DLGC_WANTCHARS = 0x80,
    DLGC_STATIC = 0x100,
    DLGC_BUTTON = 0x2000
};

// ---- Virtual keys ---------------------------------------------------------------------------

enum : UINT {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SELECT = 0x29,
    VK_PRINT = 0x2A,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD1 = 0x61,
    VK_NUMPAD2 = 0x62,
    VK_NUMPAD3 = 0x63,
    VK_NUMPAD4 = 0x64,
    VK_NUMPAD5 = 0x65,
    VK_NUMPAD6 = 0x66,
    VK_NUMPAD7 = 0x67,
    VK_NUMPAD8 = 0x68,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F3 = 0x72,
    VK_F4 = 0x73,
    VK_F5 = 0x74,
    VK_F6 = 0x75,
    VK_F7 = 0x76,
    VK_F8 = 0x77,
    VK_F9 = 0x78,
    VK_F10 = 0x79,
    VK_F11 = 0x7A,
    VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_LSHIFT = 0xA0,
    VK_RSHIFT = 0xA1,
    VK_LCONTROL = 0xA2,
    VK_RCONTROL = 0xA3,
    VK_LMENU = 0xA4,
    VK_RMENU = 0xA5,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
    VK_PROCESSKEY = 0xE5
};

// Key data (lParam of key messages): repeat count in bits 0-15, scan code in 16-23, the
// extended-key flag in 24, Alt held in 29, the previous key state in 30, released in 31.
constexpr LPARAM KF_EXTENDED_BIT = 1 << 24;
constexpr LPARAM KF_ALTDOWN_BIT = 1 << 29;
constexpr LPARAM KF_REPEAT_BIT = 1 << 30;
constexpr LPARAM KF_UP_BIT = LPARAM(1u << 31);

// ---- System metrics, parameters, cursors, beeps ---------------------------------------------

enum : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CXFIXEDFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CYFIXEDFRAME = 8,
    SM_CYVTHUMB = 9,
    SM_CXHTHUMB = 10,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXCURSOR = 13,
    SM_CYCURSOR = 14,
    SM_CYMENU = 15,
    SM_CXFULLSCREEN = 16,
    SM_CYFULLSCREEN = 17,
    SM_CYVSCROLL = 20,
    SM_CXHSCROLL = 21,
    SM_SWAPBUTTON = 23,
    SM_CXMIN = 28,
    SM_CYMIN = 29,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXFRAME = 32,
    SM_CXSIZEFRAME = 32,
    SM_CYFRAME = 33,
    SM_CYSIZEFRAME = 33,
    SM_CXMINTRACK = 34,
    SM_CYMINTRACK = 35,
    SM_CXDOUBLECLK = 36,
    SM_CYDOUBLECLK = 37,
    SM_CXEDGE = 45,
    SM_CYEDGE = 46,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
    SM_CYSMCAPTION = 51,
    SM_CXMINIMIZED = 57,
    SM_CYMINIMIZED = 58,
    SM_CXDRAG = 68,
    SM_CYDRAG = 69,
    SM_MOUSEWHEELPRESENT = 75,
    SM_CXVIRTUALSCREEN = 78,
    SM_CYVIRTUALSCREEN = 79,
    SM_CMONITORS = 80
};
enum : UINT {
    SPI_GETWORKAREA = 0x0030,
    SPI_GETMOUSEHOVERWIDTH = 0x0062,
    SPI_GETMOUSEHOVERHEIGHT = 0x0064,
    SPI_GETMOUSEHOVERTIME = 0x0066,
    SPI_GETWHEELSCROLLLINES = 0x0068
};

enum : std::uintptr_t {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_UPARROW = 32516,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
    IDC_APPSTARTING = 32650,
    IDC_HELP = 32651
};

// The standard icons of LoadIcon (instance nullptr).
enum : std::uintptr_t {
    IDI_APPLICATION = 32512,
    IDI_HAND = 32513,
    IDI_ERROR = 32513,
    IDI_QUESTION = 32514,
    IDI_EXCLAMATION = 32515,
    IDI_WARNING = 32515,
    IDI_ASTERISK = 32516,
    IDI_INFORMATION = 32516,
    IDI_WINLOGO = 32517,
    IDI_SHIELD = 32518
};

// DrawIconEx.
enum : UINT { DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_COMPAT = 0x4, DI_DEFAULTSIZE = 0x8 };

enum : UINT {
    MB_OK = 0x0,
    MB_ICONHAND = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONASTERISK = 0x40,
    MB_ICONINFORMATION = 0x40
};
