#pragma once

// The objects behind window handles, shared by the window files of this library only.

#include "platform/win/Backend.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/RegionBands.h"
#include "platform/win/Windows.h"

#include <cairo.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct WindowClass {
    std::string Name; // as registered (compared without case)
    WNDCLASS Info;    // lpszClassName / lpszMenuName point at nothing
    bool Unicode = false;
    std::vector<std::uint8_t> Extra;
};

struct ScrollBarState {
    SCROLLINFO Info{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0};
    UINT Disabled = 0; // ESB_ arrows
};

// The flat look of a window's scroll bars (InitializeFlatSB): per bar the style (FSB_*_MODE),
// the track's colour (CLR_DEFAULT: the system's) and the thickness (0: the system's).
struct FlatScrollState {
    bool Initialized = false;
    int VStyle = 0, HStyle = 0;
    COLORREF VBkg = 0xFF000000u, HBkg = 0xFF000000u;
    int CxVScroll = 0, CyHScroll = 0;
};

// A DC given out for a window: its kind and clips are kept so that it can follow the window
// when the window or its neighbours move.
struct WindowDC {
    HDC Dc = nullptr;
    bool Whole = false;               // GetWindowDC: the whole window, frame included
    std::optional<gdi::Region> Paint; // BeginPaint: the update region (client coordinates)
    std::optional<gdi::Region> Extra; // GetDCEx: a region to intersect or exclude
    bool ExcludeExtra = false;
};

struct Window {
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle = nullptr;
    WindowClass* Class = nullptr;
    WNDPROC Proc = nullptr;
    bool Unicode = false;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    Window* Parent = nullptr;      // the desktop for top-level windows
    HWND Owner = nullptr;          // top-level windows only
    std::vector<Window*> Children; // z-order, topmost first
    TRect Rect;                    // parent's client coordinates (top-level: screen)
    TRect Client;                  // the client area in window coordinates
    std::string Text;              // UTF-8
    UINT_PTR Id = 0;               // the control id of a child
    HINSTANCE Instance = nullptr;
    LONG_PTR UserData = 0;
    std::vector<std::uint8_t> Extra;
    std::map<std::string, HANDLE> Props;
    // Painting: the part of the client area needing paint (client coordinates), whether the
    // background is to be erased first, and whether the frame needs WM_NCPAINT.
    gdi::Region Update;
    bool Erase = false;
    bool FrameDirty = false;
    bool Redraw = true;                 // WM_SETREDRAW
    unsigned PaintServed = 0;           // counts BeginPaint and validations (see DispatchMessage)
    std::unique_ptr<gdi::Region> Shape; // SetWindowRgn, window coordinates
    ScrollBarState HScroll, VScroll;
    FlatScrollState Flat;
    bool Destroying = false;
    // Minimize, maximize and restore: where the window was in its normal state, whether a
    // minimized window comes back maximized, and whether its owner's minimize hid it.
    TRect NormalRect;
    bool RestoreMaximized = false;
    bool HiddenWithOwner = false;
    TOwnedSurface Surface;     // top-level windows: the backing surface (the window DCs borrow it)
    std::vector<WindowDC> DCs; // DCs given out and not yet released
};

namespace winlayer {

// A minimized window's size, and the mouse hover rectangle's size and time.
constexpr int MinimizedWidth = 160;
constexpr int MinimizedHeight = 28;
constexpr UINT HoverSize = 4;
constexpr UINT HoverTime = 400;

Window* W(HWND h); // nullptr for dead or foreign handles
Window* Desktop();
bool IsTopLevel(const Window* w);
Window* Root(Window* w);       // the top-level ancestor (itself for a top-level window)
bool Visible(const Window* w); // itself and every ancestor
bool Enabled(const Window* w); // itself and every ancestor
// Z-order (WindowPos.cpp): where the window stands among its siblings (v.size() when absent),
// and the first position of its band among top-level windows (topmost windows first).
std::size_t IndexIn(const std::vector<Window*>& v, const Window* w);
std::size_t BandStart(const Window* w);
// The window's rectangle and client origin in screen coordinates.
TRect ScreenRect(const Window* w);
TPoint ClientOrigin(const Window* w);
// The window's position inside its top-level window's surface.
TPoint SurfaceOffset(const Window* w);
// What of the window's area can be drawn (window coordinates): clipped by ancestors, by
// children (WS_CLIPCHILDREN of the window) and by siblings above (WS_CLIPSIBLINGS).
gdi::Region VisibleRegion(const Window* w, bool clientOnly, bool clipChildren);

LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);
void RecalcFrame(Window* w);   // WM_NCCALCSIZE
void ResizeSurface(Window* w); // after the window's size changed
void FreeWindowDCs(Window* w);
// Moves the DCs of a top-level window's tree onto its current surface, origins and visible
// parts (after anything in the tree moved, resized, appeared or disappeared).
void RefreshWindowDCs(Window* root);

// Painting.
void InvalidateClient(Window* w, const gdi::Region& rgn, bool erase, bool children);
void InvalidateWhole(Window* w, bool erase); // frame, client and children
// Invalidates what lies under a rectangle of a parent's client area (parent and children).
void InvalidateParentArea(Window* parent, const TRect& rect);
bool NeedsPaint(const Window* w);
bool RedrawAllowed(const Window* w); // WM_SETREDRAW of the window and its ancestors
// A DC on the window's client area (or whole window) limited to what is visible and, for a
// paint, to the update region (client coordinates).
HDC MakeWindowDC(Window* w, bool wholeWindow, const gdi::Region* update, const gdi::Region* extra = nullptr,
                 bool excludeExtra = false);
Window* NextWindowToPaint();
void NotifyPainted(Window* w, const TRect& windowRect);

// Messages.
void PurgeMessages(HWND h);
void RevokeDragDropOnDestroy(HWND h); // Ole.cpp: a destroyed window's drop target goes
void KillWindowTimers(HWND h);
void ResetQueue();
HWND AllocateHandle();
void MarkAlive(HWND h, bool alive);
DWORD MessageTime();
bool PostInputMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Names shared by registered messages and clipboard formats (0xC000 upwards).
UINT RegisterAtom(const std::string& name);
std::string AtomName(UINT atom);

// Input and focus.
void WindowGoingAway(Window* w); // focus, activation, capture, tracking leave it
void ActivateOnShow(Window* w);
void ActivateAfterHide(Window* w);
void ResetInput();
void UpdateKeyStateForMessage(const MSG& m);
LRESULT DefaultSetCursor(Window* w, WPARAM wParam, LPARAM lParam);
void DefaultActivate(Window* w, WPARAM wParam); // WM_ACTIVATE: focus to the window
void ResetCaret();
void CaretBeforePaint(Window* w);
void CaretAfterPaint(Window* w);

// Non-client area.
void DefaultNcCalcSize(Window* w, RECT* rect);
LRESULT DefaultNcHitTest(Window* w, POINT screen);
void DefaultNcPaint(Window* w);
// Scroll bar geometry in window coordinates; false when the bar is not shown.
bool ScrollBarRect(const Window* w, int bar, TRect& r);
void NcMouseDown(Window* w, LRESULT hit, POINT screen);
// Moving or sizing a window from the keyboard; while it lasts every key goes to NcKeyboardKey.
void NcKeyboardSizeMove(Window* w, bool size);
bool NcKeyboardTracking();
bool NcKeyboardKey(UINT msg, WPARAM key);
// The window menu of a top-level window (Alt+Space): the commands its styles allow, chosen with
// the keyboard. While it shows every key goes to SystemMenuKey.
void OpenSystemMenu(Window* w);
bool SystemMenuOpen();
bool SystemMenuKey(UINT msg, WPARAM key);
void CloseSystemMenu();
bool NcTracking();
void NcTrackMove(POINT screen);
void NcTrackUp(POINT screen);
void NcTrackCancel(); // Esc during a size or move
// True (once) when the left-button press input at `press` was released before the press was
// handled; releasedAt is where. False for presses still held and for presses sent by programs.
bool TakeEndedPress(POINT press, POINT& releasedAt);
void ResetNcTracking();

// Text helpers.
std::u16string ToUtf16(const std::string& s);
std::string ToUtf8(const std::u16string& s);
bool SameText(const std::string& a, const std::string& b);

} // namespace winlayer
