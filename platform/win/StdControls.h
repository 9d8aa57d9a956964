#pragma once

// The standard control classes of the window layer — "EDIT", "BUTTON", "STATIC", "LISTBOX",
// "COMBOBOX" (with "ComboLBox", the class of its drop-down list) and "SCROLLBAR" — and the
// constants, records and notifications of their messages. The values are those of the API.
//
// Character sets: a control reads and answers its messages in the character set of its window
// procedure (IsWindowUnicode). For an ANSI window, text is UTF-8 and every position (selection,
// caret, character index, text limit) counts bytes of the UTF-8 text; for a Unicode window text
// is UTF-16 and positions count UTF-16 units. A position never falls inside a character: one
// that would is moved to the start of that character.
//
// Notifications go to the parent as WM_COMMAND(MAKEWPARAM(id, code), hwnd); the colours of a
// control come from its parent through WM_CTLCOLOR*.

#include "platform/win/Windows.h"

// Registers the classes (once; later calls do nothing). Call before creating a control.
void RegisterStandardControlClasses();

// A message of multi-line edits about their hard lines (those ended by a line break, not by
// wrapping): with wParam (WPARAM)-1 it answers how many there are (a break at the very end opens
// no line of its own); with (WPARAM)-2 whether the text ends with a line break; with a line
// index, where that line starts (in the window's units, bytes for an ANSI window), or -1 past the
// last; then an lParam pointing at a std::u16string receives the line's text without its break.
// It costs time in proportion to the lines, not the text.
UINT EditHardLineMessage();

// ---- Messages shared by the controls -------------------------------------------------------

enum : UINT {
    WM_DRAWITEM = 0x002B,
    WM_MEASUREITEM = 0x002C,
    WM_DELETEITEM = 0x002D,
    WM_VKEYTOITEM = 0x002E,
    WM_CHARTOITEM = 0x002F,
    WM_COMPAREITEM = 0x0039,
    WM_CTLCOLORMSGBOX = 0x0132,
    WM_CTLCOLOREDIT = 0x0133,
    WM_CTLCOLORLISTBOX = 0x0134,
    WM_CTLCOLORBTN = 0x0135,
    WM_CTLCOLORDLG = 0x0136,
    WM_CTLCOLORSCROLLBAR = 0x0137,
    WM_CTLCOLORSTATIC = 0x0138
};

// Owner drawing.
enum : UINT { ODT_MENU = 1, ODT_LISTBOX = 2, ODT_COMBOBOX = 3, ODT_BUTTON = 4, ODT_STATIC = 5 };
enum : UINT { ODA_DRAWENTIRE = 1, ODA_SELECT = 2, ODA_FOCUS = 4 };
enum : UINT {
    ODS_SELECTED = 0x1,
    ODS_GRAYED = 0x2,
    ODS_DISABLED = 0x4,
    ODS_CHECKED = 0x8,
    ODS_FOCUS = 0x10,
    ODS_DEFAULT = 0x20,
    ODS_HOTLIGHT = 0x40,
    ODS_COMBOBOXEDIT = 0x1000
};

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    RECT rcItem{};
    ULONG_PTR itemData = 0;
};

struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    ULONG_PTR itemData = 0;
};

struct DELETEITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    HWND hwndItem = nullptr;
    ULONG_PTR itemData = 0;
};

// ---- EDIT -------------------------------------------------------------------------------------

enum : DWORD {
    ES_LEFT = 0x0000,
    ES_CENTER = 0x0001,
    ES_RIGHT = 0x0002,
    ES_MULTILINE = 0x0004,
    ES_UPPERCASE = 0x0008,
    ES_LOWERCASE = 0x0010,
    ES_PASSWORD = 0x0020,
    ES_AUTOVSCROLL = 0x0040,
    ES_AUTOHSCROLL = 0x0080,
    ES_NOHIDESEL = 0x0100,
    ES_OEMCONVERT = 0x0400,
    ES_READONLY = 0x0800,
    ES_WANTRETURN = 0x1000,
    ES_NUMBER = 0x2000
};

enum : UINT {
    EM_GETSEL = 0x00B0,
    EM_SETSEL = 0x00B1,
    EM_GETRECT = 0x00B2,
    EM_SETRECT = 0x00B3,
    EM_SETRECTNP = 0x00B4,
    EM_SCROLL = 0x00B5,
    EM_LINESCROLL = 0x00B6,
    EM_SCROLLCARET = 0x00B7,
    EM_GETMODIFY = 0x00B8,
    EM_SETMODIFY = 0x00B9,
    EM_GETLINECOUNT = 0x00BA,
    EM_LINEINDEX = 0x00BB,
    EM_LINELENGTH = 0x00C1,
    EM_REPLACESEL = 0x00C2,
    EM_GETLINE = 0x00C4,
    EM_LIMITTEXT = 0x00C5,
    EM_SETLIMITTEXT = 0x00C5,
    EM_CANUNDO = 0x00C6,
    EM_UNDO = 0x00C7,
    EM_FMTLINES = 0x00C8,
    EM_LINEFROMCHAR = 0x00C9,
    EM_SETTABSTOPS = 0x00CB,
    EM_SETPASSWORDCHAR = 0x00CC,
    EM_EMPTYUNDOBUFFER = 0x00CD,
    EM_GETFIRSTVISIBLELINE = 0x00CE,
    EM_SETREADONLY = 0x00CF,
    EM_GETPASSWORDCHAR = 0x00D2,
    EM_SETMARGINS = 0x00D3,
    EM_GETMARGINS = 0x00D4,
    EM_GETLIMITTEXT = 0x00D5,
    EM_POSFROMCHAR = 0x00D6,
    EM_CHARFROMPOS = 0x00D7
};
enum : WPARAM { EC_LEFTMARGIN = 0x1, EC_RIGHTMARGIN = 0x2, EC_USEFONTINFO = 0xFFFF };

enum : WORD {
    EN_SETFOCUS = 0x0100,
    EN_KILLFOCUS = 0x0200,
    EN_CHANGE = 0x0300,
    EN_UPDATE = 0x0400,
    EN_ERRSPACE = 0x0500,
    EN_MAXTEXT = 0x0501,
    EN_HSCROLL = 0x0601,
    EN_VSCROLL = 0x0602
};

// ---- BUTTON -----------------------------------------------------------------------------------

enum : DWORD {
    BS_PUSHBUTTON = 0x0,
    BS_DEFPUSHBUTTON = 0x1,
    BS_CHECKBOX = 0x2,
    BS_AUTOCHECKBOX = 0x3,
    BS_RADIOBUTTON = 0x4,
    BS_3STATE = 0x5,
    BS_AUTO3STATE = 0x6,
    BS_GROUPBOX = 0x7,
    BS_USERBUTTON = 0x8,
    BS_AUTORADIOBUTTON = 0x9,
    BS_OWNERDRAW = 0xB,
    BS_TYPEMASK = 0xF,
    BS_LEFTTEXT = 0x20,
    BS_TEXT = 0x0,
    BS_ICON = 0x40,
    BS_BITMAP = 0x80,
    BS_LEFT = 0x100,
    BS_RIGHT = 0x200,
    BS_CENTER = 0x300,
    BS_TOP = 0x400,
    BS_BOTTOM = 0x800,
    BS_VCENTER = 0xC00,
    BS_PUSHLIKE = 0x1000,
    BS_MULTILINE = 0x2000,
    BS_NOTIFY = 0x4000,
    BS_FLAT = 0x8000
};

enum : UINT {
    BM_GETCHECK = 0x00F0,
    BM_SETCHECK = 0x00F1,
    BM_GETSTATE = 0x00F2,
    BM_SETSTATE = 0x00F3,
    BM_SETSTYLE = 0x00F4,
    BM_CLICK = 0x00F5,
    BM_GETIMAGE = 0x00F6,
    BM_SETIMAGE = 0x00F7
};
enum : LRESULT {
    BST_UNCHECKED = 0x0,
    BST_CHECKED = 0x1,
    BST_INDETERMINATE = 0x2,
    BST_PUSHED = 0x4,
    BST_FOCUS = 0x8
};
enum : WPARAM { IMAGE_BITMAP = 0, IMAGE_ICON = 1 };

enum : WORD {
    BN_CLICKED = 0,
    BN_PAINT = 1,
    BN_HILITE = 2,
    BN_UNHILITE = 3,
    BN_DISABLE = 4,
    BN_DOUBLECLICKED = 5,
    BN_SETFOCUS = 6,
    BN_KILLFOCUS = 7
};

// ---- STATIC -----------------------------------------------------------------------------------

enum : DWORD {
    SS_LEFT = 0x0,
    SS_CENTER = 0x1,
    SS_RIGHT = 0x2,
    SS_ICON = 0x3,
    SS_BLACKRECT = 0x4,
    SS_GRAYRECT = 0x5,
    SS_WHITERECT = 0x6,
    SS_BLACKFRAME = 0x7,
    SS_GRAYFRAME = 0x8,
    SS_WHITEFRAME = 0x9,
    SS_SIMPLE = 0xB,
    SS_LEFTNOWORDWRAP = 0xC,
    SS_OWNERDRAW = 0xD,
    SS_BITMAP = 0xE,
    SS_ETCHEDHORZ = 0x10,
    SS_ETCHEDVERT = 0x11,
    SS_ETCHEDFRAME = 0x12,
    SS_TYPEMASK = 0x1F,
    SS_NOPREFIX = 0x80,
    SS_NOTIFY = 0x100,
    SS_CENTERIMAGE = 0x200,
    SS_SUNKEN = 0x1000,
    SS_ENDELLIPSIS = 0x4000,
    SS_PATHELLIPSIS = 0x8000,
    SS_WORDELLIPSIS = 0xC000,
    SS_ELLIPSISMASK = 0xC000
};
enum : UINT { STM_SETICON = 0x0170, STM_GETICON = 0x0171, STM_SETIMAGE = 0x0172, STM_GETIMAGE = 0x0173 };
enum : WORD { STN_CLICKED = 0, STN_DBLCLK = 1, STN_ENABLE = 2, STN_DISABLE = 3 };

// ---- LISTBOX ----------------------------------------------------------------------------------

enum : DWORD {
    LBS_NOTIFY = 0x0001,
    LBS_SORT = 0x0002,
    LBS_NOREDRAW = 0x0004,
    LBS_MULTIPLESEL = 0x0008,
    LBS_OWNERDRAWFIXED = 0x0010,
    LBS_OWNERDRAWVARIABLE = 0x0020,
    LBS_HASSTRINGS = 0x0040,
    LBS_USETABSTOPS = 0x0080,
    LBS_NOINTEGRALHEIGHT = 0x0100,
    LBS_MULTICOLUMN = 0x0200,
    LBS_WANTKEYBOARDINPUT = 0x0400,
    LBS_EXTENDEDSEL = 0x0800,
    LBS_DISABLENOSCROLL = 0x1000,
    LBS_NODATA = 0x2000,
    LBS_NOSEL = 0x4000,
    LBS_COMBOBOX = 0x8000,
    LBS_STANDARD = 0x00A00003
};

enum : UINT {
    LB_ADDSTRING = 0x0180,
    LB_INSERTSTRING = 0x0181,
    LB_DELETESTRING = 0x0182,
    LB_SELITEMRANGEEX = 0x0183,
    LB_RESETCONTENT = 0x0184,
    LB_SETSEL = 0x0185,
    LB_SETCURSEL = 0x0186,
    LB_GETSEL = 0x0187,
    LB_GETCURSEL = 0x0188,
    LB_GETTEXT = 0x0189,
    LB_GETTEXTLEN = 0x018A,
    LB_GETCOUNT = 0x018B,
    LB_SELECTSTRING = 0x018C,
    LB_GETTOPINDEX = 0x018E,
    LB_FINDSTRING = 0x018F,
    LB_GETSELCOUNT = 0x0190,
    LB_GETSELITEMS = 0x0191,
    LB_SETTABSTOPS = 0x0192,
    LB_GETHORIZONTALEXTENT = 0x0193,
    LB_SETHORIZONTALEXTENT = 0x0194,
    LB_SETCOLUMNWIDTH = 0x0195,
    LB_SETTOPINDEX = 0x0197,
    LB_GETITEMRECT = 0x0198,
    LB_GETITEMDATA = 0x0199,
    LB_SETITEMDATA = 0x019A,
    LB_SELITEMRANGE = 0x019B,
    LB_SETANCHORINDEX = 0x019C,
    LB_GETANCHORINDEX = 0x019D,
    LB_SETCARETINDEX = 0x019E,
    LB_GETCARETINDEX = 0x019F,
    LB_SETITEMHEIGHT = 0x01A0,
    LB_GETITEMHEIGHT = 0x01A1,
    LB_FINDSTRINGEXACT = 0x01A2,
    LB_SETCOUNT = 0x01A7,
    LB_INITSTORAGE = 0x01A8,
    LB_ITEMFROMPOINT = 0x01A9
};
enum : LRESULT { LB_OKAY = 0, LB_ERR = -1, LB_ERRSPACE = -2 };
enum : WORD {
    LBN_ERRSPACE = WORD(-2),
    LBN_SELCHANGE = 1,
    LBN_DBLCLK = 2,
    LBN_SELCANCEL = 3,
    LBN_SETFOCUS = 4,
    LBN_KILLFOCUS = 5
};

// ---- COMBOBOX ---------------------------------------------------------------------------------

enum : DWORD {
    CBS_SIMPLE = 0x0001,
    CBS_DROPDOWN = 0x0002,
    CBS_DROPDOWNLIST = 0x0003,
    CBS_OWNERDRAWFIXED = 0x0010,
    CBS_OWNERDRAWVARIABLE = 0x0020,
    CBS_AUTOHSCROLL = 0x0040,
    CBS_OEMCONVERT = 0x0080,
    CBS_SORT = 0x0100,
    CBS_HASSTRINGS = 0x0200,
    CBS_NOINTEGRALHEIGHT = 0x0400,
    CBS_DISABLENOSCROLL = 0x0800,
    CBS_UPPERCASE = 0x2000,
    CBS_LOWERCASE = 0x4000
};

enum : UINT {
    CB_GETEDITSEL = 0x0140,
    CB_LIMITTEXT = 0x0141,
    CB_SETEDITSEL = 0x0142,
    CB_ADDSTRING = 0x0143,
    CB_DELETESTRING = 0x0144,
    CB_GETCOUNT = 0x0146,
    CB_GETCURSEL = 0x0147,
    CB_GETLBTEXT = 0x0148,
    CB_GETLBTEXTLEN = 0x0149,
    CB_INSERTSTRING = 0x014A,
    CB_RESETCONTENT = 0x014B,
    CB_FINDSTRING = 0x014C,
    CB_SELECTSTRING = 0x014D,
    CB_SETCURSEL = 0x014E,
    CB_SHOWDROPDOWN = 0x014F,
    CB_GETITEMDATA = 0x0150,
    CB_SETITEMDATA = 0x0151,
    CB_GETDROPPEDCONTROLRECT = 0x0152,
    CB_SETITEMHEIGHT = 0x0153,
    CB_GETITEMHEIGHT = 0x0154,
    CB_SETEXTENDEDUI = 0x0155,
    CB_GETEXTENDEDUI = 0x0156,
    CB_GETDROPPEDSTATE = 0x0157,
    CB_FINDSTRINGEXACT = 0x0158,
    CB_GETTOPINDEX = 0x015B,
    CB_SETTOPINDEX = 0x015C,
    CB_GETDROPPEDWIDTH = 0x015F,
    CB_SETDROPPEDWIDTH = 0x0160,
    CB_INITSTORAGE = 0x0161,
    CB_GETCOMBOBOXINFO = 0x0164,
    CB_SETMINVISIBLE = 0x1701,
    CB_GETMINVISIBLE = 0x1702
};
enum : LRESULT { CB_OKAY = 0, CB_ERR = -1, CB_ERRSPACE = -2 };
enum : WORD {
    CBN_ERRSPACE = WORD(-1),
    CBN_SELCHANGE = 1,
    CBN_DBLCLK = 2,
    CBN_SETFOCUS = 3,
    CBN_KILLFOCUS = 4,
    CBN_EDITCHANGE = 5,
    CBN_EDITUPDATE = 6,
    CBN_DROPDOWN = 7,
    CBN_CLOSEUP = 8,
    CBN_SELENDOK = 9,
    CBN_SELENDCANCEL = 10
};

struct COMBOBOXINFO {
    DWORD cbSize = sizeof(COMBOBOXINFO);
    RECT rcItem{};
    RECT rcButton{};
    DWORD stateButton = 0;
    HWND hwndCombo = nullptr;
    HWND hwndItem = nullptr; // the edit child (the combo itself for a drop-down list)
    HWND hwndList = nullptr; // the list (a popup for the drop-down styles)
};
constexpr DWORD STATE_SYSTEM_PRESSED = 0x8;
constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x8000;

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info);

// ---- SCROLLBAR --------------------------------------------------------------------------------

enum : DWORD { SBS_HORZ = 0x0, SBS_VERT = 0x1, SBS_SIZEBOX = 0x8, SBS_SIZEGRIP = 0x10 };
enum : UINT {
    SBM_SETPOS = 0x00E0,
    SBM_GETPOS = 0x00E1,
    SBM_SETRANGE = 0x00E2,
    SBM_GETRANGE = 0x00E3,
    SBM_ENABLE_ARROWS = 0x00E4,
    SBM_SETRANGEREDRAW = 0x00E6,
    SBM_SETSCROLLINFO = 0x00E9,
    SBM_GETSCROLLINFO = 0x00EA
};

// ---- Dialog helpers the controls' users call ------------------------------------------------

BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and unchecks the other radio buttons whose ids lie in first..last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
