#pragma once

// Windows, messages, painting, input, timers and scroll bars of the Windows-API-like layer.
//
// Everything here runs on the user-interface thread (the thread that started the program),
// except PostMessage, PostThreadMessage and SendMessage, which may be called from any thread
// (a send from another thread waits until the user-interface thread has handled it).
// ANSI functions take UTF-8 text, W functions UTF-16. Handles of destroyed windows are refused
// everywhere: a window id is never given out twice.

#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"

#include <string>

// ---- Classes and windows --------------------------------------------------------------------

ATOM RegisterClass(const WNDCLASS* wc);
ATOM RegisterClassW(const WNDCLASSW* wc);
BOOL UnregisterClass(const char* className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* wc);
BOOL GetClassInfoW(HINSTANCE instance, const char16_t* className, WNDCLASSW* wc);
int GetClassName(HWND hwnd, char* name, int maxCount);
DWORD GetClassLong(HWND hwnd, int index);
DWORD SetClassLong(HWND hwnd, int index, LONG value);
ULONG_PTR GetClassLongPtr(HWND hwnd, int index);
ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value);

// Sends WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE (and WM_SIZE, WM_MOVE, then shows the window
// when WS_VISIBLE is given). Returns nullptr when the class is unknown, the parent is not a
// window, or a procedure refused the creation (WM_NCCREATE 0 or WM_CREATE -1).
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
inline HWND CreateWindow(const char* className, const char* windowName, DWORD style, int x, int y, int width,
                         int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu, instance,
                          param);
}
// Destroys owned windows, then sends WM_DESTROY to the window and its children (parent
// first) and WM_NCDESTROY (children first). Queued messages and timers of the windows go.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
BOOL IsWindowVisible(HWND hwnd); // the window and all its ancestors
BOOL IsWindowEnabled(HWND hwnd);
BOOL IsWindowUnicode(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND hwnd);
HWND GetParent(HWND hwnd); // the parent of a child, the owner of a top-level window
HWND SetParent(HWND hwnd, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetTopWindow(HWND hwnd);
HWND GetDesktopWindow();
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
inline LONG GetWindowLongW(HWND hwnd, int index)
{
    return GetWindowLong(hwnd, index);
}
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value); // a new procedure is Unicode
inline LONG SetWindowLongW(HWND hwnd, int index, LONG value)
{
    return LONG(SetWindowLongPtrW(hwnd, index, value));
}
BOOL SetProp(HWND hwnd, const char* name, HANDLE data);
HANDLE GetProp(HWND hwnd, const char* name);
HANDLE RemoveProp(HWND hwnd, const char* name);
int GetDlgCtrlID(HWND hwnd);
HWND GetDlgItem(HWND parent, int id);
BOOL SetWindowText(HWND hwnd, const char* text);
BOOL SetWindowTextW(HWND hwnd, const char16_t* text);
int GetWindowText(HWND hwnd, char* text, int maxCount);
int GetWindowTextW(HWND hwnd, char16_t* text, int maxCount);
int GetWindowTextLength(HWND hwnd);
int GetWindowTextLengthW(HWND hwnd);
HWND WindowFromPoint(POINT screen);
HWND ChildWindowFromPoint(HWND parent, POINT client);
HWND ChildWindowFromPointEx(HWND parent, POINT client, UINT flags);
// Top-level windows by class and/or title (nullptr matches any).
HWND FindWindow(const char* className, const char* windowName);
HWND FindWindowEx(HWND parent, HWND childAfter, const char* className, const char* windowName);
// Top-level windows, topmost first; children depth-first in z-order.
BOOL EnumWindows(WNDENUMPROC proc, LPARAM param);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
BOOL SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw); // takes over the region
int GetWindowRgn(HWND hwnd, HRGN region);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);

// ---- Messages -------------------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Safe from any thread. FIFO; refused (FALSE) for a window that is not alive; a message still
// queued when its window is destroyed is dropped.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostMessage(hwnd, msg, wParam, lParam);
}
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Waits for a message; 0 on WM_QUIT, else nonzero. Posted and input messages come first in
// their order, then WM_PAINT for windows needing paint, then due WM_TIMERs.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
inline BOOL GetMessageW(MSG* m, HWND h, UINT a, UINT b)
{
    return GetMessage(m, h, a, b);
}
inline BOOL PeekMessageW(MSG* m, HWND h, UINT a, UINT b, UINT r)
{
    return PeekMessage(m, h, a, b, r);
}
// Queues WM_CHAR / WM_SYSCHAR for a key-down message, to be retrieved next.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
inline LRESULT DispatchMessageW(const MSG* msg)
{
    return DispatchMessage(msg);
}
BOOL WaitMessage();
DWORD GetMessagePos();
LONG GetMessageTime();
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT CallWindowProcW(WNDPROC p, HWND h, UINT m, WPARAM w, LPARAM l)
{
    return CallWindowProc(p, h, m, w, l);
}
// Unique ids from 0xC000 for a name (compared without case), shared with clipboard formats.
UINT RegisterWindowMessage(const char* name);
BOOL InSendMessage();

// ---- Painting -------------------------------------------------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A DC on the client area (GetDC) or on the whole window (GetWindowDC), drawing into the
// top-level window's surface and clipped to what of the window is visible. Give it back with
// ReleaseDC (not DeleteDC). GetDCEx copies clip: the caller still deletes the region.
HDC GetDC(HWND hwnd);
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
// Gives back a DC got from GetDC, GetDCEx or GetWindowDC when the scope ends, also when drawing
// raises:  TWindowDC DC(Wnd, GetWindowDC(Wnd));
class TWindowDC {
public:
    TWindowDC(HWND Wnd, HDC DC) : FWnd(Wnd), FDC(DC) {}
    ~TWindowDC()
    {
        if (FDC != nullptr)
            ReleaseDC(FWnd, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
};
HWND WindowFromDC(HDC hdc);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL ValidateRgn(HWND hwnd, HRGN region);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
BOOL UpdateWindow(HWND hwnd);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);
int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* updateRect, UINT flags);
// The backing surface of a top-level window (nullptr for children and invisible windows of
// no size). For backends and snapshots.
cairo_surface_t* GetWindowSurface(HWND hwnd);

// ---- Input ----------------------------------------------------------------------------------

HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);
// Key state as of the message being handled: bit 15 down, bit 0 toggled.
SHORT GetKeyState(int vk);
BOOL GetKeyboardState(BYTE* state); // 256 entries
BOOL SetKeyboardState(const BYTE* state);
// Key state as of now (input not yet retrieved counts).
SHORT GetAsyncKeyState(int vk);
BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// System cursors by IDC_ id (instance nullptr); program cursors by resource name or id.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
int ShowCursor(BOOL show);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);
BOOL MessageBeep(UINT type);
enum : UINT { MAPVK_VK_TO_VSC = 0, MAPVK_VSC_TO_VK = 1, MAPVK_VK_TO_CHAR = 2 };
UINT MapVirtualKey(UINT code, UINT mapType);

// Entry points through which a backend hands over user input (screen coordinates). Each does
// what the system's input stage does — hit testing, capture, activation, cursor, double
// clicks, key state — and queues the resulting messages; nothing is dispatched until the
// message loop runs. button: 0 left, 1 right, 2 middle.
void InputMouseMove(POINT screen);
void InputMouseButton(POINT screen, int button, bool down);
void InputMouseWheel(POINT screen, int delta);
// A key press or release with its virtual key; scanCode 0 takes the key's usual scan code,
// extended -1 the key's usual extended-key flag (arrows and the editing block have it).
void InputKey(UINT vk, bool down, UINT scanCode = 0, int extended = -1);
// One UTF-16 unit of text from an input method: queued as WM_CHAR to the focus window.
void InputChar(char16_t unit);

// ---- Icons ----------------------------------------------------------------------------------

// An icon's parts as the platform hands them over: a one-bit mask (white where the icon is
// transparent) and a colour image (black there). With no colour image the mask is twice as
// high: the AND mask above the XOR image.
struct ICONINFO {
    BOOL fIcon = TRUE; // FALSE: a cursor, with its hot spot
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    HBITMAP hbmMask = nullptr;
    HBITMAP hbmColor = nullptr;
};
// A new icon from copies of the bitmaps (the caller keeps and deletes its own). A 32-bit colour
// image with any pixel less than opaque draws through its own alpha; otherwise the mask decides.
HICON CreateIconIndirect(const ICONINFO* info);
// A new icon with the same image.
HICON CopyIcon(HICON icon);
// Destroys an icon made by CreateIconIndirect or CopyIcon. Standard and resource icons from
// LoadIcon are shared and stay: destroying one does nothing and returns FALSE.
BOOL DestroyIcon(HICON icon);
// New bitmaps of the icon's mask and colour image; the caller deletes both.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
// Draws the icon through its transparency at (x, y), width × height (0 × 0: the icon's own size,
// or the system icon size with DI_DEFAULTSIZE); a brush other than nullptr fills the rectangle
// first. DI_MASK and DI_IMAGE alone draw the mask (AND) or the colour image (copy).
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flickerFreeBrush,
                UINT flags);
// Draws the icon at the system icon size (SM_CXICON × SM_CYICON).
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
// IDI_ standard icons (instance nullptr), drawn here at any size they are drawn at; with an
// instance, the ICON resource of that name or id (the image nearest the system icon size).
// Shared: one icon per name.
HICON LoadIcon(HINSTANCE instance, const char* name);

// ---- Caret ----------------------------------------------------------------------------------

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

// ---- Timers and the clock ----------------------------------------------------------------------

// A timer of a window (id chosen by the caller; setting it again restarts it) or, for
// hwnd nullptr, of the thread (the id is chosen here). WM_TIMER comes when the queue is empty.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
DWORD GetTickCount();
std::uint64_t GetTickCount64();
// The earliest deadline of any timer on the clock (false when there is no timer).
bool NextTimerDue(std::uint64_t* due);

// ---- Scroll bars ------------------------------------------------------------------------------

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);

// ---- System metrics and parameters -------------------------------------------------------------

int GetSystemMetrics(int index);
// The screen is one monitor: the backend's screen and work area.
HMONITOR MonitorFromPoint(POINT pt, DWORD flags);
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info);
BOOL SystemParametersInfo(UINT action, UINT param, void* value, UINT winIni);

// ---- Layer state -----------------------------------------------------------------------------

// Destroys every window, kills the timers, empties the queue and resets focus, capture, key
// state and the clipboard's open state: a clean start for each test.
void ResetWindowLayer();
