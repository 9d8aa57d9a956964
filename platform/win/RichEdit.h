#pragma once

// The rich edit window class: formatted text with RTF stream in and out, printing through
// EM_FORMATRANGE onto any DC, automatic link detection and the EN_* notifications.
//
// Registered as "RichEdit20A" (ANSI: UTF-8 text), "RichEdit20W" and "RICHEDIT50W" (UTF-16).
// Unlike the EDIT class, positions count characters in both forms: a paragraph mark counts
// one, a character outside the basic plane two (its UTF-16 units). WM_GETTEXT gives paragraph
// ends as CR LF; EM_GETTEXTRANGE and EM_GETSELTEXT give them as CR.

#include "platform/win/CommCtrl.h"
#include "platform/win/StdControls.h"

void RegisterRichEditClass();

enum : UINT {
    EM_CANPASTE = WM_USER + 50,
    EM_EXGETSEL = WM_USER + 52,
    EM_EXLIMITTEXT = WM_USER + 53,
    EM_EXLINEFROMCHAR = WM_USER + 54,
    EM_EXSETSEL = WM_USER + 55,
    EM_FORMATRANGE = WM_USER + 57,
    EM_GETCHARFORMAT = WM_USER + 58,
    EM_GETEVENTMASK = WM_USER + 59,
    EM_GETPARAFORMAT = WM_USER + 61,
    EM_GETSELTEXT = WM_USER + 62,
    EM_HIDESELECTION = WM_USER + 63,
    EM_REQUESTRESIZE = WM_USER + 65,
    EM_SETBKGNDCOLOR = WM_USER + 67,
    EM_SETCHARFORMAT = WM_USER + 68,
    EM_SETEVENTMASK = WM_USER + 69,
    EM_SETPARAFORMAT = WM_USER + 71,
    EM_SETTARGETDEVICE = WM_USER + 72,
    EM_STREAMIN = WM_USER + 73,
    EM_STREAMOUT = WM_USER + 74,
    EM_GETTEXTRANGE = WM_USER + 75,
    EM_AUTOURLDETECT = WM_USER + 91,
    EM_GETAUTOURLDETECT = WM_USER + 92,
    EM_GETTEXTLENGTHEX = WM_USER + 95
};

enum : UINT { EN_MSGFILTER = 0x0700, EN_REQUESTRESIZE = 0x0701, EN_SELCHANGE = 0x0702, EN_LINK = 0x070B };

enum : DWORD {
    ENM_NONE = 0,
    ENM_CHANGE = 0x1,
    ENM_UPDATE = 0x2,
    ENM_SCROLL = 0x4,
    ENM_KEYEVENTS = 0x10000,
    ENM_MOUSEEVENTS = 0x20000,
    ENM_REQUESTRESIZE = 0x40000,
    ENM_SELCHANGE = 0x80000,
    ENM_LINK = 0x4000000
};

struct CHARRANGE {
    LONG cpMin = 0;
    LONG cpMax = 0;
};

struct TEXTRANGEA {
    CHARRANGE chrg;
    char* lpstrText = nullptr;
};
struct TEXTRANGEW {
    CHARRANGE chrg;
    char16_t* lpstrText = nullptr;
};

enum : DWORD {
    CFM_BOLD = 0x1,
    CFM_ITALIC = 0x2,
    CFM_UNDERLINE = 0x4,
    CFM_STRIKEOUT = 0x8,
    CFM_PROTECTED = 0x10,
    CFM_LINK = 0x20,
    CFM_CHARSET = 0x08000000,
    CFM_OFFSET = 0x10000000,
    CFM_FACE = 0x20000000,
    CFM_COLOR = 0x40000000,
    CFM_SIZE = 0x80000000,
    CFM_EFFECTS =
        CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_STRIKEOUT | CFM_PROTECTED | CFM_LINK,
    CFM_ALL = CFM_EFFECTS | CFM_SIZE | CFM_FACE | CFM_OFFSET | CFM_CHARSET
};
enum : DWORD {
    CFE_BOLD = 0x1,
    CFE_ITALIC = 0x2,
    CFE_UNDERLINE = 0x4,
    CFE_STRIKEOUT = 0x8,
    CFE_PROTECTED = 0x10,
    CFE_LINK = 0x20,
    CFE_AUTOCOLOR = 0x40000000
};
enum : WPARAM { SCF_DEFAULT = 0x0, SCF_SELECTION = 0x1, SCF_WORD = 0x2, SCF_ALL = 0x4 };

// 60 bytes; the W form 92.
struct CHARFORMATA {
    UINT cbSize = sizeof(CHARFORMATA);
    DWORD dwMask = 0;
    DWORD dwEffects = 0;
    LONG yHeight = 0; // twips
    LONG yOffset = 0; // twips, positive raises
    COLORREF crTextColor = 0;
    BYTE bCharSet = 0;
    BYTE bPitchAndFamily = 0;
    char szFaceName[LF_FACESIZE] = {};
};
struct CHARFORMATW {
    UINT cbSize = sizeof(CHARFORMATW);
    DWORD dwMask = 0;
    DWORD dwEffects = 0;
    LONG yHeight = 0;
    LONG yOffset = 0;
    COLORREF crTextColor = 0;
    BYTE bCharSet = 0;
    BYTE bPitchAndFamily = 0;
    char16_t szFaceName[LF_FACESIZE] = {};
};
using CHARFORMAT = CHARFORMATA;

enum : DWORD {
    PFM_STARTINDENT = 0x1,
    PFM_RIGHTINDENT = 0x2,
    PFM_OFFSET = 0x4,
    PFM_ALIGNMENT = 0x8,
    PFM_TABSTOPS = 0x10,
    PFM_OFFSETINDENT = 0x80000000
};
enum : WORD { PFA_LEFT = 1, PFA_RIGHT = 2, PFA_CENTER = 3, PFA_JUSTIFY = 4 };
constexpr int MAX_TAB_STOPS = 32;

struct PARAFORMAT {
    UINT cbSize = sizeof(PARAFORMAT);
    DWORD dwMask = 0;
    WORD wNumbering = 0;
    WORD wReserved = 0;
    LONG dxStartIndent = 0; // the first line
    LONG dxRightIndent = 0;
    LONG dxOffset = 0; // the other lines, relative to the first
    WORD wAlignment = PFA_LEFT;
    SHORT cTabCount = 0;
    LONG rgxTabs[MAX_TAB_STOPS] = {};
};

enum : WPARAM {
    SF_TEXT = 0x1,
    SF_RTF = 0x2,
    SF_RTFNOOBJS = 0x3,
    SF_UNICODE = 0x10,
    SFF_PLAINRTF = 0x4000,
    SFF_SELECTION = 0x8000
};

// Called for each piece of the stream: fills or takes `cb` bytes at `buffer` and stores the count
// done in *pcb; a non-zero answer stops the stream and lands in dwError.
using EDITSTREAMCALLBACK = DWORD (*)(DWORD_PTR cookie, BYTE* buffer, LONG cb, LONG* pcb);
struct EDITSTREAM {
    DWORD_PTR dwCookie = 0;
    DWORD dwError = 0;
    EDITSTREAMCALLBACK pfnCallback = nullptr;
};

enum : DWORD {
    GTL_DEFAULT = 0,
    GTL_USECRLF = 1,
    GTL_PRECISE = 2,
    GTL_CLOSE = 4,
    GTL_NUMCHARS = 8,
    GTL_NUMBYTES = 16
};
struct GETTEXTLENGTHEX {
    DWORD flags = GTL_DEFAULT;
    UINT codepage = 0;
};

// EM_FORMATRANGE: rc and rcPage in twips; chrg {0, -1} is all text.
struct FORMATRANGE {
    HDC hdc = nullptr;
    HDC hdcTarget = nullptr;
    RECT rc{};
    RECT rcPage{};
    CHARRANGE chrg;
};

struct ENLINK {
    NMHDR nmhdr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    CHARRANGE chrg;
};

enum : WORD { SEL_EMPTY = 0, SEL_TEXT = 1, SEL_MULTICHAR = 4 };
struct SELCHANGE {
    NMHDR nmhdr;
    CHARRANGE chrg;
    WORD seltyp = SEL_EMPTY;
};

struct REQRESIZE {
    NMHDR nmhdr;
    RECT rc{};
};
