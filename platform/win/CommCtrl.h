#pragma once

// What the common control classes share: the header of their WM_NOTIFY records.

#include "platform/win/Ole.h"
#include "platform/win/Windows.h"

struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// Registers the common control classes: tool tips, rich edit, date-time picker, month calendar
// (RegisterStandardControlClasses does it too).
void RegisterCommonControlClasses();

// Sends WM_NOTIFY with a record that starts with an NMHDR to the parent of `from`, filling the
// header; returns the parent's answer.
LRESULT SendNotify(HWND from, UINT code, NMHDR* record);

// ---- Tool tips ("tooltips_class32") ----------------------------------------------------------------
//
// A tool tip window shows a tip for each of its tools: after the initial delay while the mouse
// rests on a tool (hover tips, the tool window's mouse messages relayed by TTM_RELAYEVENT or seen
// through TTF_SUBCLASS), at a position the program gives (tracking tips, TTF_TRACK), with a title
// and icon (TTM_SETTITLE) and, with TTS_BALLOON, as a rounded balloon with a stem. The window is
// always a top-level popup owned by the window given as parent.

constexpr const char* TOOLTIPS_CLASS = "tooltips_class32";
void RegisterToolTipClass();

enum : DWORD {
    TTS_ALWAYSTIP = 0x1,
    TTS_NOPREFIX = 0x2,
    TTS_NOANIMATE = 0x10,
    TTS_NOFADE = 0x20,
    TTS_BALLOON = 0x40,
    TTS_CLOSE = 0x80
};
enum : UINT {
    TTF_IDISHWND = 0x1,
    TTF_CENTERTIP = 0x2,
    TTF_RTLREADING = 0x4,
    TTF_SUBCLASS = 0x10,
    TTF_TRACK = 0x20,
    TTF_ABSOLUTE = 0x80,
    TTF_TRANSPARENT = 0x100
};
enum : WPARAM { TTDT_AUTOMATIC = 0, TTDT_RESHOW = 1, TTDT_AUTOPOP = 2, TTDT_INITIAL = 3 };
enum : UINT {
    TTM_ACTIVATE = WM_USER + 1,
    TTM_SETDELAYTIME = WM_USER + 3,
    TTM_ADDTOOLA = WM_USER + 4,
    TTM_DELTOOLA = WM_USER + 5,
    TTM_NEWTOOLRECTA = WM_USER + 6,
    TTM_RELAYEVENT = WM_USER + 7,
    TTM_GETTOOLINFOA = WM_USER + 8,
    TTM_SETTOOLINFOA = WM_USER + 9,
    TTM_GETTEXTA = WM_USER + 11,
    TTM_UPDATETIPTEXTA = WM_USER + 12,
    TTM_GETTOOLCOUNT = WM_USER + 13,
    TTM_TRACKACTIVATE = WM_USER + 17,
    TTM_TRACKPOSITION = WM_USER + 18,
    TTM_SETTIPBKCOLOR = WM_USER + 19,
    TTM_SETTIPTEXTCOLOR = WM_USER + 20,
    TTM_GETDELAYTIME = WM_USER + 21,
    TTM_GETTIPBKCOLOR = WM_USER + 22,
    TTM_GETTIPTEXTCOLOR = WM_USER + 23,
    TTM_SETMAXTIPWIDTH = WM_USER + 24,
    TTM_GETMAXTIPWIDTH = WM_USER + 25,
    TTM_POP = WM_USER + 28,
    TTM_UPDATE = WM_USER + 29,
    TTM_SETTITLEA = WM_USER + 32,
    TTM_SETTITLEW = WM_USER + 33,
    TTM_POPUP = WM_USER + 34,
    TTM_ADDTOOL = TTM_ADDTOOLA,
    TTM_DELTOOL = TTM_DELTOOLA,
    TTM_SETTITLE = TTM_SETTITLEA
};
constexpr UINT TTN_FIRST = UINT(-520);
enum : UINT {
    TTN_GETDISPINFOA = TTN_FIRST - 0,
    TTN_NEEDTEXTA = TTN_GETDISPINFOA,
    TTN_SHOW = TTN_FIRST - 1,
    TTN_POP = TTN_FIRST - 2,
    TTN_GETDISPINFO = TTN_GETDISPINFOA,
    TTN_NEEDTEXT = TTN_NEEDTEXTA
};
inline char* const LPSTR_TEXTCALLBACK = reinterpret_cast<char*>(-1);

struct TOOLINFOA {
    UINT cbSize = sizeof(TOOLINFOA);
    UINT uFlags = 0;
    HWND hwnd = nullptr; // the window that holds the tool and gets its notifications
    UINT_PTR uId = 0;    // the tool's id, or its window with TTF_IDISHWND
    RECT rect{};         // client coordinates of hwnd (not with TTF_IDISHWND)
    HINSTANCE hinst = nullptr;
    char* lpszText = nullptr; // UTF-8, or LPSTR_TEXTCALLBACK
    LPARAM lParam = 0;
    void* lpReserved = nullptr;
};
using TOOLINFO = TOOLINFOA;
using TTTOOLINFOA = TOOLINFOA;
using TTTOOLINFO = TOOLINFOA;

struct NMTTDISPINFOA {
    NMHDR hdr;
    char* lpszText = nullptr;
    char szText[80] = {};
    HINSTANCE hinst = nullptr;
    UINT uFlags = 0;
    LPARAM lParam = 0;
};
using NMTTDISPINFO = NMTTDISPINFOA;
using TOOLTIPTEXTA = NMTTDISPINFOA;
using TOOLTIPTEXT = NMTTDISPINFOA;

enum : UINT { EM_SHOWBALLOONTIP = 0x1503, EM_HIDEBALLOONTIP = 0x1504 };
enum : int { TTI_NONE = 0, TTI_INFO = 1, TTI_WARNING = 2, TTI_ERROR = 3 };
struct EDITBALLOONTIP {
    DWORD cbStruct = sizeof(EDITBALLOONTIP);
    const char16_t* pszTitle = nullptr;
    const char16_t* pszText = nullptr;
    int ttiIcon = TTI_NONE;
};

// The balloon tips of edit controls (EM_SHOWBALLOONTIP / EM_HIDEBALLOONTIP): one balloon per
// top-level window, below the caret of `edit`, closed by the next key or click in the edit, by
// its loss of focus or its destruction.
BOOL ShowEditBalloon(HWND edit, const EDITBALLOONTIP* tip, POINT caretClient);
BOOL HideEditBalloon(HWND edit);

// ---- Date-time picker ("SysDateTimePick32") and month calendar ("SysMonthCal32") --------------------
//
// The picker shows a date or time in fields after its format (d dd ddd dddd M MM MMM MMMM yy yyyy
// h hh H HH m mm s ss t tt, 'quoted' literals); the keyboard moves between fields (Left, Right),
// steps them (Up, Down), types digits into them, and drops the calendar (F4, Alt+Down); the mouse
// picks a field, the drop button or, with DTS_UPDOWN, the up-down buttons. DTS_SHOWNONE adds a
// check box (Space toggles it). Changes reach the parent as DTN_DATETIMECHANGE.

constexpr const char* DATETIMEPICK_CLASS = "SysDateTimePick32";
constexpr const char* MONTHCAL_CLASS = "SysMonthCal32";
void RegisterDateTimeClasses();

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

enum : DWORD {
    DTS_SHORTDATEFORMAT = 0x0,
    DTS_UPDOWN = 0x1,
    DTS_SHOWNONE = 0x2,
    DTS_LONGDATEFORMAT = 0x4,
    DTS_TIMEFORMAT = 0x9,
    DTS_APPCANPARSE = 0x10,
    DTS_RIGHTALIGN = 0x20
};
enum : UINT {
    DTM_GETSYSTEMTIME = 0x1001,
    DTM_SETSYSTEMTIME = 0x1002,
    DTM_GETRANGE = 0x1003,
    DTM_SETRANGE = 0x1004,
    DTM_SETFORMATA = 0x1005,
    DTM_SETMCCOLOR = 0x1006,
    DTM_GETMCCOLOR = 0x1007,
    DTM_GETMONTHCAL = 0x1008,
    DTM_SETMCFONT = 0x1009,
    DTM_GETMCFONT = 0x100A,
    DTM_CLOSEMONTHCAL = 0x100D,
    DTM_SETFORMAT = DTM_SETFORMATA
};
enum : LRESULT { GDT_ERROR = -1, GDT_VALID = 0, GDT_NONE = 1 };
enum : WPARAM { GDTR_MIN = 1, GDTR_MAX = 2 };
enum : UINT { DTN_CLOSEUP = UINT(-753), DTN_DROPDOWN = UINT(-754), DTN_DATETIMECHANGE = UINT(-759) };
struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags = GDT_VALID;
    SYSTEMTIME st;
};

enum : DWORD {
    MCS_DAYSTATE = 0x1,
    MCS_MULTISELECT = 0x2,
    MCS_WEEKNUMBERS = 0x4,
    MCS_NOTODAYCIRCLE = 0x8,
    MCS_NOTODAY = 0x10
};
enum : UINT {
    MCM_GETCURSEL = 0x1001,
    MCM_SETCURSEL = 0x1002,
    MCM_GETMINREQRECT = 0x1009,
    MCM_SETTODAY = 0x100C,
    MCM_GETTODAY = 0x100D,
    MCM_SETRANGE = 0x1012,
    MCM_GETRANGE = 0x1011
};
enum : UINT { MCN_SELCHANGE = UINT(-749), MCN_SELECT = UINT(-746) };
struct NMSELCHANGE {
    NMHDR nmhdr;
    SYSTEMTIME stSelStart;
    SYSTEMTIME stSelEnd;
};
using NMSELECT = NMSELCHANGE;

// ---- Flat scroll bars --------------------------------------------------------------------------
//
// A window's own scroll bars drawn flat: once InitializeFlatSB has run for a window, its bars take
// the style, background colour and thickness set with FlatSB_SetScrollProp. The flat bars are the
// window's bars (the same range, page and position as SetScrollInfo keeps); UninitializeFlatSB
// brings back the standard look. The functions are exported by "COMCTL32.DLL".

enum : UINT {
    WSB_PROP_CYVSCROLL = 0x1,
    WSB_PROP_CXHSCROLL = 0x2,
    WSB_PROP_CYHSCROLL = 0x4,
    WSB_PROP_CXVSCROLL = 0x8,
    WSB_PROP_CXHTHUMB = 0x10,
    WSB_PROP_CYVTHUMB = 0x20,
    WSB_PROP_VBKGCOLOR = 0x40,
    WSB_PROP_HBKGCOLOR = 0x80,
    WSB_PROP_VSTYLE = 0x100,
    WSB_PROP_HSTYLE = 0x200,
    WSB_PROP_WINSTYLE = 0x400,
    WSB_PROP_PALETTE = 0x800,
    WSB_PROP_MASK = 0xFFF
};
enum : int { FSB_REGULAR_MODE = 0, FSB_ENCARTA_MODE = 1, FSB_FLAT_MODE = 2 };
inline constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

BOOL InitializeFlatSB(HWND hwnd);
HRESULT UninitializeFlatSB(HWND hwnd);
// False (and nothing set) for a window whose flat bars are not initialised.
BOOL FlatSB_SetScrollProp(HWND hwnd, UINT index, LONG_PTR newValue, BOOL redraw);
BOOL FlatSB_GetScrollProp(HWND hwnd, UINT index, int* value);
int FlatSB_SetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info, BOOL redraw);
BOOL FlatSB_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
BOOL FlatSB_ShowScrollBar(HWND hwnd, int bar, BOOL show);
