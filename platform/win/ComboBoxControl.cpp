// The COMBOBOX class and "ComboLBox", the class of its list.
//
// A simple or drop-down combo box has an edit child, always its first child window; a simple
// one shows its list as a child below the edit, the drop-down styles as a popup owned by the
// combo box, placed below it (above it when the work area has no room below), as wide as the
// combo box or its dropped width, and never activated. While the popup shows it has the mouse
// captured, so a press anywhere else closes it.
//
// The list tells the combo box of a selection the user made with WM_COMMAND(LBN_SELCHANGE) sent
// to the combo box itself; the combo box then sets its edit text and notifies its parent.
//
// The order of notifications when the user picks an item in the open list with the mouse or
// Enter is fixed: CBN_SELCHANGE (when the selection changed), CBN_SELENDOK, then the list hides
// and CBN_CLOSEUP follows. Esc, a press outside or losing the focus restores the selection the
// list opened with and sends CBN_SELENDCANCEL, then CBN_CLOSEUP. CBN_DROPDOWN comes before the
// list shows.

#include "platform/win/StdControlsInternal.h"

#include "platform/win/Colors.h"

#include <algorithm>

namespace stdctl {

namespace {

constexpr int kEditId = 1001;
constexpr int kListId = 1000;

struct Combo {
    HWND Edit = nullptr;
    HWND List = nullptr;
    bool Dropped = false;
    bool Closing = false;
    bool IgnoreNextUp = false; // the release of the press that opened the list
    int DroppedWidth = 0;
    int MinVisible = 30;
    bool MinVisibleSet = false;
    int ListHeight = 0; // what the height given at creation had beyond the field
    HFONT Font = nullptr;
    bool Focused = false;
    int SelAtDrop = -1;
    int LastAnnounced = -1;
    bool ExtendedUI = false;
};

StateTable<Combo>& Combos()
{
    static StateTable<Combo> t;
    return t;
}

DWORD Kind(HWND h)
{
    return StyleOf(h) & 3;
}

int ButtonWidth()
{
    return GetSystemMetrics(SM_CXVSCROLL);
}

// The field (edit or selected item) and the button, in client coordinates.
RECT FieldRect(HWND h, const Combo& c)
{
    RECT r;
    GetClientRect(h, &r);
    int fieldHeight = Kind(h) == CBS_SIMPLE ? LineHeight(c.Font) + 6 : r.Bottom;
    RECT f{r.Left + 2, r.Top + 2, r.Right - 2, std::min<int>(r.Bottom, fieldHeight) - 2};
    if (Kind(h) != CBS_SIMPLE)
        f.Right -= ButtonWidth();
    if (f.Right < f.Left)
        f.Right = f.Left;
    return f;
}

RECT ButtonRect(HWND h)
{
    RECT r;
    GetClientRect(h, &r);
    if (Kind(h) == CBS_SIMPLE)
        return RECT{r.Right, r.Top, r.Right, r.Top};
    return RECT{std::max<int>(r.Left + 2, r.Right - 2 - ButtonWidth()), r.Top + 2, r.Right - 2, r.Bottom - 2};
}

int ListCount(const Combo& c)
{
    return int(SendMessage(c.List, LB_GETCOUNT, 0, 0));
}
int CurSel(const Combo& c)
{
    return int(SendMessage(c.List, LB_GETCURSEL, 0, 0));
}

// An item's text as UTF-16, whatever the list's character set.
std::u16string ItemText(const Combo& c, int i)
{
    LRESULT n = SendMessageW(c.List, LB_GETTEXTLEN, WPARAM(i), 0);
    if (n < 0)
        return {};
    if (IsWindowUnicode(c.List)) {
        std::u16string s(std::size_t(n) + 1, u'\0');
        LRESULT got = SendMessageW(c.List, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(std::size_t(std::clamp<LRESULT>(got, 0, n)));
        return s;
    }
    std::string s(std::size_t(n) + 1, '\0');
    LRESULT got = SendMessage(c.List, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(std::size_t(std::clamp<LRESULT>(got, 0, n)));
    return winlayer::ToUtf16(s);
}

// Sends a message carrying text to the list in the list's character set.
LRESULT SendTextToList(const Combo& c, UINT msg, WPARAM wParam, const std::u16string& s)
{
    if (IsWindowUnicode(c.List))
        return SendMessage(c.List, msg, wParam, reinterpret_cast<LPARAM>(s.c_str()));
    std::string a = winlayer::ToUtf8(s);
    return SendMessage(c.List, msg, wParam, reinterpret_cast<LPARAM>(a.c_str()));
}

bool HasStrings(HWND h)
{
    DWORD s = StyleOf(h);
    return !(s & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (s & CBS_HASSTRINGS);
}

// Forwards a list message whose lParam is text (or item data for owner-drawn lists without
// strings).
LRESULT ForwardText(HWND h, const Combo& c, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!HasStrings(h))
        return SendMessage(c.List, msg, wParam, lParam);
    return SendTextToList(c, msg, wParam, TextArg(h, lParam));
}

void ShowSelectionInField(HWND h, Combo& c)
{
    int i = CurSel(c);
    if (c.Edit) {
        std::u16string s = i >= 0 ? ItemText(c, i) : std::u16string();
        SetWindowTextW(c.Edit, s.c_str());
        SendMessage(c.Edit, EM_SETSEL, 0, -1);
    }
    InvalidateRect(h, nullptr, FALSE);
}

// The user chose item i (keys, wheel, a click in the list): the list tells the combo box.
void SelectByUser(HWND h, Combo& c, int i)
{
    if (i < 0 || i >= ListCount(c))
        return;
    SendMessage(c.List, LB_SETCURSEL, WPARAM(i), 0);
    Notify(c.List, LBN_SELCHANGE, h);
}

RECT DropRect(HWND h, const Combo& c)
{
    RECT wr;
    GetWindowRect(h, &wr);
    int width = std::max<int>(wr.Right - wr.Left, c.DroppedWidth);
    int itemHeight = std::max<int>(1, int(SendMessage(c.List, LB_GETITEMHEIGHT, 0, 0)));
    // As many items as the height given at creation holds below the field (when it holds one),
    // unless the program asked for a number of items.
    const int fit = (c.ListHeight - 2) / itemHeight;
    int visible = !c.MinVisibleSet && fit >= 1 ? fit : c.MinVisible;
    int n = std::clamp(ListCount(c), 1, std::max(1, visible));
    int height = n * itemHeight + 2;
    MONITORINFO mi;
    GetMonitorInfo(MonitorFromRect(&wr, MONITOR_DEFAULTTONEAREST), &mi);
    RECT r{wr.Left, wr.Bottom, wr.Left + width, wr.Bottom + height};
    if (r.Bottom > mi.rcWork.Bottom && wr.Top - height >= mi.rcWork.Top)
        r = RECT{wr.Left, wr.Top - height, wr.Left + width, wr.Top};
    if (r.Right > mi.rcWork.Right)
        OffsetRect(&r, std::max<int>(mi.rcWork.Left - r.Left, mi.rcWork.Right - r.Right), 0);
    return r;
}

void Drop(HWND h, Combo& c)
{
    if (c.Dropped || Kind(h) == CBS_SIMPLE)
        return;
    Notify(h, CBN_DROPDOWN);
    Combo* cp = Combos().Find(h);
    if (!cp || !IsWindowVisible(h))
        return;
    cp->SelAtDrop = cp->LastAnnounced = CurSel(*cp);
    RECT r = DropRect(h, *cp);
    SetWindowPos(cp->List, HWND_TOPMOST, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (cp->SelAtDrop >= 0)
        SendMessage(cp->List, LB_SETCURSEL, WPARAM(cp->SelAtDrop), 0);
    cp->Dropped = true;
    SetCapture(cp->List);
    InvalidateRect(h, nullptr, FALSE);
}

void Close(HWND h, Combo& c, bool accept)
{
    if (!c.Dropped || c.Closing)
        return;
    c.Closing = true;
    if (accept) {
        Notify(h, CBN_SELENDOK);
    } else {
        if (CurSel(c) != c.SelAtDrop) {
            SendMessage(c.List, LB_SETCURSEL, WPARAM(c.SelAtDrop), 0);
            ShowSelectionInField(h, c);
        }
        Notify(h, CBN_SELENDCANCEL);
    }
    Combo* cp = Combos().Find(h);
    if (!cp)
        return;
    cp->Dropped = false;
    cp->IgnoreNextUp = false;
    if (GetCapture() == cp->List)
        ReleaseCapture();
    ShowWindow(cp->List, SW_HIDE);
    cp->Closing = false;
    InvalidateRect(h, nullptr, FALSE);
    Notify(h, CBN_CLOSEUP);
}

// A pick in the open list: the selection (announced if new), then closing with acceptance.
void Pick(HWND h, Combo& c, int i)
{
    if (i >= 0 && i != c.LastAnnounced)
        SelectByUser(h, c, i);
    if (Combo* cp = Combos().Find(h))
        Close(h, *cp, true);
}

// Keys of the combo box, also those its edit hands over. True when taken.
bool OnKey(HWND h, Combo& c, WPARAM vk, LPARAM keyData)
{
    bool alt = (keyData & KF_ALTDOWN_BIT) != 0;
    if (vk == VK_F4 && !alt) {
        if (c.Dropped)
            Close(h, c, true);
        else
            Drop(h, c);
        return true;
    }
    if ((vk == VK_UP || vk == VK_DOWN) && alt) {
        if (c.Dropped)
            Close(h, c, true);
        else
            Drop(h, c);
        return true;
    }
    if (vk == VK_RETURN || vk == VK_ESCAPE) {
        if (!c.Dropped)
            return false;
        Close(h, c, vk == VK_RETURN);
        return true;
    }
    int n = ListCount(c);
    if (n == 0)
        return vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT;
    int cur = CurSel(c);
    int page = std::max(1, std::min(n, c.MinVisible) - 1);
    int to = cur;
    switch (vk) {
    case VK_UP:
        to = cur < 0 ? 0 : cur - 1;
        break;
    case VK_DOWN:
        to = cur + 1;
        break;
    case VK_PRIOR:
        to = cur < 0 ? 0 : cur - page;
        break;
    case VK_NEXT:
        to = cur < 0 ? 0 : cur + page;
        break;
    case VK_HOME:
        if (c.Edit && !c.Dropped)
            return false;
        to = 0;
        break;
    case VK_END:
        if (c.Edit && !c.Dropped)
            return false;
        to = n - 1;
        break;
    default:
        return false;
    }
    to = std::clamp(to, 0, n - 1);
    if (to != cur) {
        SelectByUser(h, c, to);
        if (Combo* cp = Combos().Find(h))
            cp->LastAnnounced = to;
    }
    return true;
}

void Layout(HWND h, Combo& c)
{
    RECT f = FieldRect(h, c);
    if (c.Edit)
        MoveWindow(c.Edit, f.Left + 1, f.Top + 1, std::max(0, int(f.Right - f.Left) - 2),
                   std::max(0, int(f.Bottom - f.Top) - 2), TRUE);
    if (Kind(h) == CBS_SIMPLE && c.List) {
        RECT r;
        GetClientRect(h, &r);
        MoveWindow(c.List, r.Left, f.Bottom + 2, r.Right - r.Left, std::max(0, int(r.Bottom - f.Bottom - 2)),
                   TRUE);
    }
}

void PaintField(HWND h, Combo& c, HDC dc, const RECT& field)
{
    int i = CurSel(c);
    bool enabled = IsWindowEnabled(h);
    bool highlight = c.Focused && !c.Dropped && enabled;
    HBRUSH back = ControlColor(h, WM_CTLCOLOREDIT, dc, COLOR_WINDOWTEXT, COLOR_WINDOW);
    COLORREF text = GetTextColor(dc);
    FillRect(dc, &field, back);
    RECT item = field;
    InflateRect(&item, -1, -1);
    DWORD style = StyleOf(h);
    if (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
        DRAWITEMSTRUCT di;
        di.CtlType = ODT_COMBOBOX;
        di.CtlID = UINT(GetDlgCtrlID(h));
        di.itemID = UINT(i);
        di.itemAction = ODA_DRAWENTIRE;
        di.itemState = ODS_COMBOBOXEDIT | (highlight ? UINT(ODS_SELECTED | ODS_FOCUS) : 0u) |
                       (enabled ? 0u : UINT(ODS_DISABLED));
        di.hwndItem = h;
        di.hDC = dc;
        di.rcItem = item;
        di.itemData = i >= 0 ? ULONG_PTR(SendMessage(c.List, LB_GETITEMDATA, WPARAM(i), 0)) : 0;
        SetTextColor(dc, highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
        SetBkColor(dc, highlight ? GetSysColor(COLOR_HIGHLIGHT) : GetBkColor(dc));
        if (HWND p = GetParent(h))
            SendMessage(p, WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
        return;
    }
    if (highlight)
        FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (i >= 0) {
        std::u16string s = ItemText(c, i);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, !enabled    ? GetSysColor(COLOR_GRAYTEXT)
                         : highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                     : text);
        RECT t = item;
        t.Left += 2;
        DrawTextW(dc, s.data(), int(s.size()), &t, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (highlight)
        DrawFocusRect(dc, &item);
}

void Paint(HWND h, Combo& c, HDC dc)
{
    RECT client;
    GetClientRect(h, &client);
    int saved = SaveDC(dc);
    SelectObject(dc, FontOr(c.Font));
    RECT f = FieldRect(h, c);
    RECT frame{client.Left, client.Top, client.Right, Kind(h) == CBS_SIMPLE ? f.Bottom + 2 : client.Bottom};
    HBRUSH face = ControlColor(h, WM_CTLCOLORSTATIC, dc, COLOR_WINDOWTEXT, COLOR_BTNFACE);
    if (Kind(h) == CBS_SIMPLE) {
        RECT below{client.Left, frame.Bottom, client.Right, client.Bottom};
        FillRect(dc, &below, face);
    }
    RECT edge = frame;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    if (Kind(h) == CBS_DROPDOWNLIST) {
        PaintField(h, c, dc, f);
    } else {
        HBRUSH back = ControlColor(h, WM_CTLCOLOREDIT, dc, COLOR_WINDOWTEXT, COLOR_WINDOW);
        FillRect(dc, &f, back);
    }
    if (Kind(h) != CBS_SIMPLE) {
        RECT b = ButtonRect(h);
        DrawFrameControl(dc, &b, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (c.Dropped ? UINT(DFCS_PUSHED | DFCS_FLAT) : 0u) |
                             (IsWindowEnabled(h) ? 0u : UINT(DFCS_INACTIVE)));
    }
    RestoreDC(dc, saved);
}

// The height of a drop-down combo box: its field, which follows the font, and the edges.
int FieldHeight(const Combo& c)
{
    return LineHeight(c.Font) + 8;
}

// A drop-down combo box is as high as its field; its list drops below it.
void FitHeight(HWND h, const Combo& c)
{
    if (Kind(h) == CBS_SIMPLE)
        return;
    RECT r;
    GetWindowRect(h, &r);
    if (r.Bottom - r.Top != FieldHeight(c))
        SetWindowPos(h, nullptr, 0, 0, r.Right - r.Left, FieldHeight(c),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFont(HWND h, Combo& c, HFONT font)
{
    c.Font = font;
    if (c.Edit)
        SendMessage(c.Edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessage(c.List, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    FitHeight(h, c);
    Layout(h, c);
}

void Create(HWND h, Combo& c, const CREATESTRUCT* cs)
{
    DWORD style = DWORD(cs->style);
    DWORD kind = style & 3;
    if (kind == CBS_SIMPLE || kind == CBS_DROPDOWN) {
        DWORD es = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
        if (style & CBS_UPPERCASE)
            es |= ES_UPPERCASE;
        if (style & CBS_LOWERCASE)
            es |= ES_LOWERCASE;
        c.Edit = CreateWindowEx(0, "EDIT", "", es, 0, 0, 0, 0, h,
                                reinterpret_cast<HMENU>(std::uintptr_t(kEditId)), nullptr, nullptr);
    }
    DWORD ls = LBS_COMBOBOX | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
    if (style & CBS_SORT)
        ls |= LBS_SORT;
    if (style & CBS_HASSTRINGS)
        ls |= LBS_HASSTRINGS;
    if (style & CBS_OWNERDRAWFIXED)
        ls |= LBS_OWNERDRAWFIXED;
    if (style & CBS_OWNERDRAWVARIABLE)
        ls |= LBS_OWNERDRAWVARIABLE;
    if (style & CBS_DISABLENOSCROLL)
        ls |= LBS_DISABLENOSCROLL;
    if (kind == CBS_SIMPLE)
        c.List = CreateWindowEx(WS_EX_CLIENTEDGE, "ComboLBox", "", ls | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, h,
                                reinterpret_cast<HMENU>(std::uintptr_t(kListId)), nullptr, h);
    else
        c.List = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, "ComboLBox", "",
                                ls | WS_POPUP | WS_BORDER, 0, 0, 0, 0, h, nullptr, nullptr, h);
    if (kind != CBS_SIMPLE) {
        c.ListHeight = std::max(0, cs->cy - FieldHeight(c));
        FitHeight(h, c);
    }
    Layout(h, c);
}

BOOL ComboInfo(HWND combo, COMBOBOXINFO* info);

} // namespace

bool IsComboBox(HWND h)
{
    return Combos().Find(h) != nullptr;
}

UINT ComboEditKeyMessage()
{
    static UINT m = RegisterWindowMessage("ComboBoxEditKey");
    return m;
}

namespace {

BOOL ComboInfo(HWND combo, COMBOBOXINFO* info)
{
    Combo* c = Combos().Find(combo);
    if (!c || !info)
        return FALSE;
    info->rcItem = FieldRect(combo, *c);
    info->rcButton = ButtonRect(combo);
    info->stateButton =
        Kind(combo) == CBS_SIMPLE ? STATE_SYSTEM_INVISIBLE : (c->Dropped ? STATE_SYSTEM_PRESSED : 0);
    info->hwndCombo = combo;
    info->hwndItem = c->Edit ? c->Edit : combo;
    info->hwndList = c->List;
    return TRUE;
}

} // namespace

LRESULT ComboBoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        Combos().Make(h);
        // Scroll bar styles given to a combo box are meant for its list, not for the combo box.
        DWORD s = StyleOf(h);
        if (s & (WS_VSCROLL | WS_HSCROLL))
            SetWindowLong(h, GWL_STYLE, LONG(s & ~DWORD(WS_VSCROLL | WS_HSCROLL)));
        return DefWindowProc(h, msg, wParam, lParam);
    }
    Combo* cp = Combos().Find(h);
    if (!cp)
        return DefWindowProc(h, msg, wParam, lParam);
    Combo& c = *cp;
    if (msg == ComboEditKeyMessage())
        return OnKey(h, c, wParam, lParam) ? 1 : 0;
    if (!c.List && msg != WM_CREATE && msg != WM_NCDESTROY)
        return DefWindowProc(h, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE:
        Create(h, c, reinterpret_cast<const CREATESTRUCT*>(lParam));
        return c.List ? 0 : -1;
    case WM_DESTROY:
        if (c.List && !(StyleOf(c.List) & WS_CHILD))
            DestroyWindow(c.List);
        return 0;
    case WM_NCDESTROY:
        Combos().Drop(h);
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_SIZE:
        Layout(h, c);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam)
            Close(h, c, false);
        return 0;
    case WM_ENABLE:
        if (c.Edit)
            EnableWindow(c.Edit, BOOL(wParam));
        if (!wParam)
            Close(h, c, false);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        SetFont(h, c, reinterpret_cast<HFONT>(wParam));
        if (LOWORD(lParam))
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(c.Font);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PaintScope ps(h, wParam);
        Paint(h, c, ps.Dc);
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // The children's colours are the combo box's parent's to choose.
        if (HWND p = GetParent(h))
            return SendMessage(p, msg, wParam, lParam);
        return 0;
    case WM_SETTEXT: {
        if (c.Edit) {
            // The text in the combo box's character set, handed on whatever the edit's is.
            std::u16string s = lParam ? TextArg(h, lParam) : std::u16string();
            return SetWindowTextW(c.Edit, s.c_str()) ? TRUE : FALSE;
        }
        int i = int(ForwardText(h, c, LB_FINDSTRINGEXACT, WPARAM(-1), lParam));
        if (i < 0)
            return CB_ERR;
        SendMessage(c.List, LB_SETCURSEL, WPARAM(i), 0);
        InvalidateRect(h, nullptr, FALSE);
        return TRUE;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        std::u16string s;
        if (c.Edit) {
            int n = GetWindowTextLengthW(c.Edit);
            s.assign(std::size_t(n) + 1, u'\0');
            s.resize(std::size_t(std::max(0, GetWindowTextW(c.Edit, s.data(), n + 1))));
        } else if (int i = CurSel(c); i >= 0) {
            s = ItemText(c, i);
        }
        if (msg == WM_GETTEXTLENGTH)
            return LengthIn(h, s);
        return wParam ? CopyTextOut(h, s, lParam, (long long)wParam, true) : 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (c.Dropped ? UINT(DLGC_WANTALLKEYS) : 0u);
    case WM_SETFOCUS:
        if (c.Edit) {
            SetFocus(c.Edit);
            SendMessage(c.Edit, EM_SETSEL, 0, -1);
            return 0;
        }
        c.Focused = true;
        InvalidateRect(h, nullptr, FALSE);
        Notify(h, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (c.Edit)
            return 0;
        Close(h, c, false);
        if ((cp = Combos().Find(h)) == nullptr)
            return 0;
        cp->Focused = false;
        InvalidateRect(h, nullptr, FALSE);
        Notify(h, CBN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (OnKey(h, c, wParam, lParam))
            return 0;
        return msg == WM_SYSKEYDOWN ? DefWindowProc(h, msg, wParam, lParam) : 0;
    case WM_CHAR: {
        if (c.Edit)
            return 0;
        char16_t ch = char16_t(wParam);
        if (ch < 32 || !HasStrings(h))
            return 0;
        // A character selects the next item starting with it.
        int i = int(SendTextToList(c, LB_FINDSTRING, WPARAM(CurSel(c)), std::u16string(1, ch)));
        if (i >= 0 && i != CurSel(c)) {
            SelectByUser(h, c, i);
            if ((cp = Combos().Find(h)) != nullptr)
                cp->LastAnnounced = i;
        }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        if (c.Dropped)
            return SendMessage(c.List, msg, wParam, lParam);
        int steps = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        if (steps != 0 && (c.Focused || GetFocus() == c.Edit))
            OnKey(h, c, steps > 0 ? VK_UP : VK_DOWN, 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        HWND focusTo = c.Edit ? c.Edit : h;
        if (GetFocus() != focusTo)
            SetFocus(h);
        if ((cp = Combos().Find(h)) == nullptr)
            return 0;
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT b = ButtonRect(h);
        if (Kind(h) == CBS_DROPDOWNLIST || PtInRect(&b, p)) {
            if (cp->Dropped) {
                Close(h, *cp, false);
            } else {
                Drop(h, *cp);
                if ((cp = Combos().Find(h)) != nullptr)
                    cp->IgnoreNextUp = cp->Dropped;
            }
        }
        return 0;
    }
    case WM_COMMAND: {
        HWND from = reinterpret_cast<HWND>(lParam);
        WORD code = HIWORD(wParam);
        if (from && from == c.Edit) {
            switch (code) {
            case EN_CHANGE:
                Notify(h, CBN_EDITCHANGE);
                break;
            case EN_UPDATE:
                Notify(h, CBN_EDITUPDATE);
                break;
            case EN_SETFOCUS:
                c.Focused = true;
                Notify(h, CBN_SETFOCUS);
                break;
            case EN_KILLFOCUS:
                if (GetFocus() == h)
                    break;
                Close(h, c, false);
                if ((cp = Combos().Find(h)) == nullptr)
                    return 0;
                cp->Focused = false;
                Notify(h, CBN_KILLFOCUS);
                break;
            default:
                break;
            }
            return 0;
        }
        if (from && from == c.List) {
            if (code == LBN_SELCHANGE) {
                c.LastAnnounced = CurSel(c);
                ShowSelectionInField(h, c);
                Notify(h, CBN_SELCHANGE);
            } else if (code == LBN_DBLCLK) {
                Notify(h, CBN_DBLCLK);
            }
            return 0;
        }
        return 0;
    }
    case CB_ADDSTRING: {
        LRESULT r = ForwardText(h, c, LB_ADDSTRING, 0, lParam);
        return r == LB_ERRSPACE ? CB_ERRSPACE : r;
    }
    case CB_INSERTSTRING: {
        LRESULT r = ForwardText(h, c, LB_INSERTSTRING, wParam, lParam);
        return r == LB_ERRSPACE ? CB_ERRSPACE : r;
    }
    case CB_DELETESTRING: {
        LRESULT r = SendMessage(c.List, LB_DELETESTRING, wParam, 0);
        InvalidateRect(h, nullptr, FALSE);
        return r;
    }
    case CB_RESETCONTENT:
        SendMessage(c.List, LB_RESETCONTENT, 0, 0);
        if (c.Edit)
            SetWindowTextW(c.Edit, u"");
        InvalidateRect(h, nullptr, FALSE);
        return CB_OKAY;
    case CB_GETCOUNT:
        return ListCount(c);
    case CB_GETLBTEXT: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= ListCount(c) || !lParam)
            return CB_ERR;
        if (!HasStrings(h))
            return SendMessage(c.List, LB_GETTEXT, wParam, lParam);
        return CopyTextOut(h, ItemText(c, i), lParam, -1, true);
    }
    case CB_GETLBTEXTLEN: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= ListCount(c))
            return CB_ERR;
        return HasStrings(h) ? LengthIn(h, ItemText(c, i)) : SendMessage(c.List, LB_GETTEXTLEN, wParam, 0);
    }
    case CB_GETITEMDATA:
        return SendMessage(c.List, LB_GETITEMDATA, wParam, 0);
    case CB_SETITEMDATA:
        return SendMessage(c.List, LB_SETITEMDATA, wParam, lParam);
    case CB_FINDSTRING:
        return ForwardText(h, c, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
        return ForwardText(h, c, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
        int i = int(ForwardText(h, c, LB_FINDSTRING, wParam, lParam));
        if (i < 0)
            return CB_ERR;
        SendMessage(c.List, LB_SETCURSEL, WPARAM(i), 0);
        ShowSelectionInField(h, c);
        return i;
    }
    case CB_GETCURSEL:
        return CurSel(c);
    case CB_SETCURSEL: {
        int i = int(LONG(wParam));
        if (i >= ListCount(c))
            i = -1;
        SendMessage(c.List, LB_SETCURSEL, WPARAM(i), 0);
        c.LastAnnounced = i;
        ShowSelectionInField(h, c);
        return i < 0 ? LRESULT(CB_ERR) : LRESULT(i);
    }
    case CB_SHOWDROPDOWN:
        if (wParam)
            Drop(h, c);
        else if (c.Dropped) {
            c.Closing = false;
            Close(h, c, true);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return c.Dropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT:
        if (lParam)
            *reinterpret_cast<RECT*>(lParam) = DropRect(h, c);
        return TRUE;
    case CB_SETDROPPEDWIDTH:
        c.DroppedWidth = std::clamp(int(LONG(wParam)), 0, 32767);
        [[fallthrough]];
    case CB_GETDROPPEDWIDTH: {
        RECT wr;
        GetWindowRect(h, &wr);
        return std::max<int>(c.DroppedWidth, wr.Right - wr.Left);
    }
    case CB_GETEDITSEL:
        if (!c.Edit)
            return CB_ERR;
        return SendMessage(c.Edit, EM_GETSEL, wParam, lParam);
    case CB_SETEDITSEL:
        if (!c.Edit)
            return CB_ERR;
        SendMessage(c.Edit, EM_SETSEL, WPARAM(LONG(SHORT(LOWORD(lParam)))),
                    LPARAM(LONG(SHORT(HIWORD(lParam)))));
        return TRUE;
    case CB_LIMITTEXT:
        if (!c.Edit)
            return CB_ERR;
        SendMessage(c.Edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    case CB_SETITEMHEIGHT: {
        if (LONG(wParam) == -1) {
            // The selection field follows its font; nothing to keep.
            InvalidateRect(h, nullptr, FALSE);
            return 0;
        }
        LRESULT r = SendMessage(c.List, LB_SETITEMHEIGHT, wParam, lParam);
        return r == LB_ERR ? CB_ERR : r;
    }
    case CB_GETITEMHEIGHT:
        if (LONG(wParam) == -1)
            return LineHeight(c.Font) + 2;
        return SendMessage(c.List, LB_GETITEMHEIGHT, wParam, 0);
    case CB_GETTOPINDEX:
        return SendMessage(c.List, LB_GETTOPINDEX, 0, 0);
    case CB_SETTOPINDEX:
        return SendMessage(c.List, LB_SETTOPINDEX, wParam, 0) == LB_ERR ? LRESULT(CB_ERR) : LRESULT(0);
    case CB_SETEXTENDEDUI:
        c.ExtendedUI = wParam != 0;
        return CB_OKAY;
    case CB_GETEXTENDEDUI:
        return c.ExtendedUI ? TRUE : FALSE;
    case CB_INITSTORAGE:
        return SendMessage(c.List, LB_INITSTORAGE, wParam, lParam);
    case CB_SETMINVISIBLE:
        if (LONG(wParam) <= 0)
            return FALSE;
        c.MinVisible = int(std::min<WPARAM>(wParam, 1000));
        c.MinVisibleSet = true;
        return TRUE;
    case CB_GETMINVISIBLE:
        return c.MinVisible;
    case CB_GETCOMBOBOXINFO:
        return ComboInfo(h, reinterpret_cast<COMBOBOXINFO*>(lParam));
    default:
        return DefWindowProc(h, msg, wParam, lParam);
    }
}

// The list of a combo box: a list box that, as a popup, tracks the pointer, picks on release
// and closes the combo box's list on a press outside itself.
LRESULT ComboListProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND comboWnd = ListOwnerCombo(h);
    Combo* c = comboWnd ? Combos().Find(comboWnd) : nullptr;
    if (!c || (StyleOf(h) & WS_CHILD))
        return ListBoxProc(h, msg, wParam, lParam);
    RECT client;
    GetClientRect(h, &client);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    bool inside = PtInRect(&client, p);
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
        if (c->Dropped && inside) {
            LRESULT r = SendMessage(h, LB_ITEMFROMPOINT, 0, lParam);
            int i = LOWORD(r);
            if (!HIWORD(r) && i != int(SendMessage(h, LB_GETCURSEL, 0, 0)))
                SendMessage(h, LB_SETCURSEL, WPARAM(i), 0); // hot tracking, not yet a choice
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!inside) {
            // The list holds the capture, so a press on its own scroll bar arrives here: the
            // bar tracks it (the capture stays) and the list stays open.
            POINT screen = p;
            ClientToScreen(h, &screen);
            LRESULT hit = SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(screen.X, screen.Y));
            if (c->Dropped && (hit == HTVSCROLL || hit == HTHSCROLL)) {
                DefWindowProc(h, WM_NCLBUTTONDOWN, WPARAM(hit), MAKELPARAM(screen.X, screen.Y));
                return 0;
            }
            Close(comboWnd, *c, false);
            return 0;
        }
        c->IgnoreNextUp = false;
        return 0;
    case WM_LBUTTONUP: {
        if (!c->Dropped)
            return 0;
        if (!inside) {
            // The release of the press that opened the list keeps it open.
            c->IgnoreNextUp = false;
            return 0;
        }
        LRESULT r = SendMessage(h, LB_ITEMFROMPOINT, 0, lParam);
        if (HIWORD(r))
            return 0;
        Pick(comboWnd, *c, LOWORD(r));
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (c->Dropped && !c->Closing)
            Close(comboWnd, *c, false);
        return 0;
    default:
        return ListBoxProc(h, msg, wParam, lParam);
    }
}

} // namespace stdctl

BOOL GetComboBoxInfo(HWND combo, COMBOBOXINFO* info)
{
    return stdctl::ComboInfo(combo, info);
}
