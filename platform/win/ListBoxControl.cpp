// The LISTBOX class: items with text and data, single, multiple and extended selection,
// owner drawing, a vertical scroll bar when the items outgrow the window.
//
// A list box that belongs to a combo box (LBS_COMBOBOX, the combo's handle as the creation
// parameter) notifies the combo box instead of its parent and draws owner-drawn items through
// the combo box's parent, as the combo box's items.

#include "platform/win/StdControlsInternal.h"

#include "platform/win/Colors.h"

#include <algorithm>
#include <vector>

namespace stdctl {

namespace {

struct Item {
    std::u16string Text;
    ULONG_PTR Data = 0;
    bool Selected = false;
    int Height = 0;
};

struct ListBox {
    // Each item on the heap, so that inserting into a long list moves pointers, not items.
    std::vector<std::unique_ptr<Item>> Items;
    int Cur = -1;    // the selected item (single selection)
    int Caret = -1;  // the item with the focus rectangle (multiple selection)
    int Anchor = -1; // where an extended selection started
    int Top = 0;
    int ItemHeight = 0;
    HFONT Font = nullptr;
    bool Focused = false;
    bool Tracking = false;
    HWND Combo = nullptr;
    std::u16string Search; // characters typed in a row select by prefix
    DWORD SearchTime = 0;  // when the last of them was typed
    // WS_VSCROLL as created: the live style bit comes and goes with the bar (the bar is hidden
    // while the items fit), so it cannot say whether the list wants a bar at all.
    bool WantsVScroll = false;
};

// Typing pauses longer than this start a new prefix.
constexpr DWORD kSearchPause = 1000;

StateTable<ListBox>& Lists()
{
    static StateTable<ListBox> t;
    return t;
}

DWORD Style(HWND h)
{
    return StyleOf(h);
}
bool MultiSel(HWND h)
{
    return Style(h) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
}
bool OwnerDraw(HWND h)
{
    return Style(h) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
}
bool HasStrings(HWND h)
{
    return !OwnerDraw(h) || (Style(h) & LBS_HASSTRINGS);
}
int Count(const ListBox& l)
{
    return int(l.Items.size());
}

int HeightOf(const ListBox& l, int i)
{
    return (i >= 0 && i < Count(l) && l.Items[std::size_t(i)]->Height > 0) ? l.Items[std::size_t(i)]->Height
                                                                           : l.ItemHeight;
}

int ClientHeight(HWND h)
{
    RECT r;
    GetClientRect(h, &r);
    return r.Bottom - r.Top;
}

// How many items fit from the top one (at least one).
int VisibleCount(HWND h, const ListBox& l, int from)
{
    int height = ClientHeight(h), used = 0, n = 0;
    for (int i = from; i < Count(l); ++i) {
        used += HeightOf(l, i);
        if (used > height && n > 0)
            break;
        ++n;
    }
    if (from >= Count(l))
        n = std::max(1, height / std::max(1, l.ItemHeight));
    return std::max(1, n);
}

int MaxTop(HWND h, const ListBox& l)
{
    // The last top index that still fills the window.
    int height = ClientHeight(h), used = 0;
    for (int i = Count(l) - 1; i >= 0; --i) {
        used += HeightOf(l, i);
        if (used > height)
            return std::min(Count(l) - 1, i + 1);
    }
    return 0;
}

void NotifyOwner(HWND h, const ListBox& l, WORD code)
{
    if (l.Combo || (Style(h) & LBS_NOTIFY))
        Notify(h, code, l.Combo);
}

void UpdateScroll(HWND h, ListBox& l)
{
    if (!l.WantsVScroll)
        return;
    SCROLLINFO si;
    si.fMask = SIF_ALL | ((Style(h) & LBS_DISABLENOSCROLL) ? UINT(SIF_DISABLENOSCROLL) : 0u);
    si.nMin = 0;
    si.nMax = std::max(0, Count(l) - 1);
    si.nPage = UINT(std::min(Count(l), VisibleCount(h, l, l.Top)));
    if (Count(l) <= VisibleCount(h, l, 0))
        si.nPage = UINT(si.nMax + 1);
    si.nPos = l.Top;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void SetTop(HWND h, ListBox& l, int top)
{
    top = std::clamp(top, 0, MaxTop(h, l));
    if (top != l.Top) {
        l.Top = top;
        InvalidateRect(h, nullptr, FALSE);
    }
    UpdateScroll(h, l);
}

void EnsureVisible(HWND h, ListBox& l, int i)
{
    if (i < 0 || i >= Count(l))
        return;
    if (i < l.Top)
        SetTop(h, l, i);
    else if (i >= l.Top + VisibleCount(h, l, l.Top)) {
        // Scroll until the item is the last fully visible one.
        int top = i, used = HeightOf(l, i);
        while (top > 0 && used + HeightOf(l, top - 1) <= ClientHeight(h))
            used += HeightOf(l, --top);
        SetTop(h, l, top);
    }
}

RECT ItemRect(HWND h, const ListBox& l, int i)
{
    RECT c;
    GetClientRect(h, &c);
    int y = 0;
    if (i >= l.Top)
        for (int k = l.Top; k < i; ++k)
            y += HeightOf(l, k);
    else
        for (int k = i; k < l.Top; ++k)
            y -= HeightOf(l, k);
    return RECT{c.Left, y, c.Right, y + HeightOf(l, i)};
}

// The item under a client point; -1 below the last item.
int ItemAt(HWND h, const ListBox& l, int y, bool* outside = nullptr)
{
    if (outside)
        *outside = false;
    if (Count(l) == 0) {
        if (outside)
            *outside = true;
        return -1;
    }
    if (y < 0) {
        if (outside)
            *outside = true;
        return std::max(0, l.Top - 1);
    }
    int top = 0;
    for (int i = l.Top; i < Count(l); ++i) {
        int bottom = top + HeightOf(l, i);
        if (y < bottom)
            return i;
        top = bottom;
    }
    if (outside)
        *outside = true;
    return -1;
}

void Measure(HWND h, ListBox& l, int i)
{
    MEASUREITEMSTRUCT mi;
    mi.CtlType = l.Combo ? ODT_COMBOBOX : ODT_LISTBOX;
    mi.CtlID = UINT(GetDlgCtrlID(l.Combo ? l.Combo : h));
    mi.itemID = UINT(std::max(0, i));
    mi.itemHeight = UINT(l.ItemHeight);
    mi.itemData = (i >= 0 && i < Count(l)) ? l.Items[std::size_t(i)]->Data : 0;
    HWND target = GetParent(l.Combo ? l.Combo : h);
    if (target)
        SendMessage(target, WM_MEASUREITEM, WPARAM(mi.CtlID), reinterpret_cast<LPARAM>(&mi));
    int hgt = std::clamp(int(mi.itemHeight), 1, 255);
    if (i < 0)
        l.ItemHeight = hgt;
    else if (i < Count(l))
        l.Items[std::size_t(i)]->Height = hgt;
}

void DeleteNotify(HWND h, ListBox& l, int i)
{
    if (!OwnerDraw(h))
        return;
    DELETEITEMSTRUCT di;
    di.CtlType = l.Combo ? ODT_COMBOBOX : ODT_LISTBOX;
    di.CtlID = UINT(GetDlgCtrlID(l.Combo ? l.Combo : h));
    di.itemID = UINT(i);
    di.hwndItem = l.Combo ? l.Combo : h;
    di.itemData = l.Items[std::size_t(i)]->Data;
    if (HWND target = GetParent(l.Combo ? l.Combo : h))
        SendMessage(target, WM_DELETEITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
}

LRESULT Insert(HWND h, ListBox& l, int at, LPARAM lParam, bool sorted)
{
    Item it;
    if (HasStrings(h))
        it.Text = TextArg(h, lParam);
    else
        it.Data = ULONG_PTR(lParam);
    if (Count(l) >= 0x7FFFFFF)
        return LB_ERRSPACE;
    if (sorted && HasStrings(h)) {
        // After the last item that sorts at or before it, found by halving.
        auto after = std::upper_bound(l.Items.begin(), l.Items.end(), it.Text,
                                      [](const std::u16string& text, const std::unique_ptr<Item>& b) {
                                          return CompareNoCase(text, b->Text) < 0;
                                      });
        at = int(after - l.Items.begin());
    } else if (at < 0) {
        at = Count(l);
    } else if (at > Count(l)) {
        return LB_ERR;
    }
    l.Items.insert(l.Items.begin() + at, std::make_unique<Item>(std::move(it)));
    if (l.Cur >= at)
        ++l.Cur;
    if (l.Caret >= at)
        ++l.Caret;
    if (l.Anchor >= at)
        ++l.Anchor;
    if (Style(h) & LBS_OWNERDRAWVARIABLE)
        Measure(h, l, at);
    UpdateScroll(h, l);
    InvalidateRect(h, nullptr, FALSE);
    return at;
}

void Delete(HWND h, ListBox& l, int i)
{
    DeleteNotify(h, l, i);
    l.Items.erase(l.Items.begin() + i);
    auto shift = [&](int& v) {
        if (v == i)
            v = -1;
        else if (v > i)
            --v;
    };
    shift(l.Cur);
    shift(l.Caret);
    shift(l.Anchor);
    l.Top = std::clamp(l.Top, 0, MaxTop(h, l));
    UpdateScroll(h, l);
    InvalidateRect(h, nullptr, FALSE);
}

// Finds from the item after `start` round to `start` (the whole list for -1).
int Find(const ListBox& l, long long start, const std::u16string& s, bool exact)
{
    int n = Count(l);
    if (n == 0)
        return LB_ERR;
    int first = (start < 0 || start >= n) ? 0 : int(start) + 1;
    for (int k = 0; k < n; ++k) {
        int i = (first + k) % n;
        const std::u16string& t = l.Items[std::size_t(i)]->Text;
        if (exact ? CompareNoCase(t, s) == 0 : StartsWithNoCase(t, s))
            return i;
    }
    return LB_ERR;
}

void SelectSingle(HWND h, ListBox& l, int i, bool notify)
{
    if (i < -1 || i >= Count(l))
        i = -1;
    bool changed = i != l.Cur;
    l.Cur = i;
    l.Caret = i;
    EnsureVisible(h, l, i);
    InvalidateRect(h, nullptr, FALSE);
    if (changed && notify)
        NotifyOwner(h, l, LBN_SELCHANGE);
}

void SetSel(ListBox& l, int i, bool sel)
{
    if (i >= 0 && i < Count(l))
        l.Items[std::size_t(i)]->Selected = sel;
}

void SelectRange(ListBox& l, int a, int b, bool sel)
{
    if (a > b)
        std::swap(a, b);
    for (int i = std::max(0, a); i <= std::min(b, Count(l) - 1); ++i)
        l.Items[std::size_t(i)]->Selected = sel;
}

// A click or key landing on item i with the given modifiers.
void Choose(HWND h, ListBox& l, int i, bool shift, bool ctrl, bool toggle)
{
    if (i < 0 || i >= Count(l) || (Style(h) & LBS_NOSEL))
        return;
    if (!MultiSel(h)) {
        SelectSingle(h, l, i, true);
        return;
    }
    if (Style(h) & LBS_MULTIPLESEL) {
        if (toggle)
            SetSel(l, i, !l.Items[std::size_t(i)]->Selected);
    } else if (shift) {
        if (!ctrl)
            SelectRange(l, 0, Count(l) - 1, false);
        SelectRange(l, l.Anchor < 0 ? i : l.Anchor, i, true);
    } else if (ctrl) {
        if (toggle)
            SetSel(l, i, !l.Items[std::size_t(i)]->Selected);
        l.Anchor = i;
    } else {
        SelectRange(l, 0, Count(l) - 1, false);
        SetSel(l, i, true);
        l.Anchor = i;
    }
    l.Caret = i;
    EnsureVisible(h, l, i);
    InvalidateRect(h, nullptr, FALSE);
    NotifyOwner(h, l, LBN_SELCHANGE);
}

void Paint(HWND h, ListBox& l, HDC dc)
{
    RECT client;
    GetClientRect(h, &client);
    int saved = SaveDC(dc);
    HBRUSH back = ControlColor(h, WM_CTLCOLORLISTBOX, dc, COLOR_WINDOWTEXT, COLOR_WINDOW);
    COLORREF text = GetTextColor(dc);
    COLORREF bk = GetBkColor(dc);
    SelectObject(dc, FontOr(l.Font));
    bool enabled = IsWindowEnabled(h);
    int y = 0;
    for (int i = l.Top; i < Count(l) && y < client.Bottom; ++i) {
        const Item& it = *l.Items[std::size_t(i)];
        RECT r{client.Left, y, client.Right, y + HeightOf(l, i)};
        y = r.Bottom;
        bool sel = MultiSel(h) ? it.Selected : i == l.Cur;
        bool focus = l.Focused && (MultiSel(h) ? i == l.Caret : i == l.Cur);
        if (OwnerDraw(h)) {
            FillRect(dc, &r, back);
            DRAWITEMSTRUCT di;
            di.CtlType = l.Combo ? ODT_COMBOBOX : ODT_LISTBOX;
            di.CtlID = UINT(GetDlgCtrlID(l.Combo ? l.Combo : h));
            di.itemID = UINT(i);
            di.itemAction = ODA_DRAWENTIRE;
            di.itemState = (sel ? UINT(ODS_SELECTED) : 0u) | (focus ? UINT(ODS_FOCUS) : 0u) |
                           (enabled ? 0u : UINT(ODS_DISABLED));
            di.hwndItem = l.Combo ? l.Combo : h;
            di.hDC = dc;
            di.rcItem = r;
            di.itemData = it.Data;
            SetTextColor(dc, sel ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
            SetBkColor(dc, sel ? GetSysColor(COLOR_HIGHLIGHT) : bk);
            if (HWND target = GetParent(l.Combo ? l.Combo : h))
                SendMessage(target, WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
            continue;
        }
        FillRect(dc, &r, sel ? GetSysColorBrush(COLOR_HIGHLIGHT) : back);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT)
                         : sel    ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                  : text);
        RECT tr = r;
        tr.Left += 2;
        UINT fmt = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                   ((Style(h) & LBS_USETABSTOPS) ? UINT(DT_EXPANDTABS) : 0u);
        DrawTextW(dc, it.Text.data(), int(it.Text.size()), &tr, fmt);
        if (focus)
            DrawFocusRect(dc, &r);
    }
    if (y < client.Bottom) {
        RECT rest{client.Left, y, client.Right, client.Bottom};
        FillRect(dc, &rest, back);
    }
    RestoreDC(dc, saved);
}

LRESULT OnKey(HWND h, ListBox& l, WPARAM vk)
{
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    int cur = MultiSel(h) ? l.Caret : l.Cur;
    int page = std::max(1, VisibleCount(h, l, l.Top) - 1);
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
        to = cur < 0 ? page : cur + page;
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = Count(l) - 1;
        break;
    case VK_SPACE:
        if (MultiSel(h) && cur >= 0)
            Choose(h, l, cur, shift, true, true);
        return 0;
    default:
        return 0;
    }
    if (Count(l) == 0)
        return 0;
    to = std::clamp(to, 0, Count(l) - 1);
    if (MultiSel(h) && (Style(h) & LBS_MULTIPLESEL)) {
        l.Caret = to;
        EnsureVisible(h, l, to);
        InvalidateRect(h, nullptr, FALSE);
    } else if (MultiSel(h) && ctrl && !shift) {
        l.Caret = to;
        EnsureVisible(h, l, to);
        InvalidateRect(h, nullptr, FALSE);
    } else if (to != cur || !MultiSel(h)) {
        Choose(h, l, to, shift, false, false);
    }
    return 0;
}

} // namespace

HWND ListOwnerCombo(HWND list)
{
    ListBox* l = Lists().Find(list);
    return l ? l->Combo : nullptr;
}

void SetListOwnerCombo(HWND list, HWND combo)
{
    if (ListBox* l = Lists().Find(list))
        l->Combo = combo;
}

LRESULT ListBoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        ListBox* l = Lists().Make(h);
        auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (cs && (cs->style & LBS_COMBOBOX) && IsWindow(static_cast<HWND>(cs->lpCreateParams)))
            l->Combo = static_cast<HWND>(cs->lpCreateParams);
        l->WantsVScroll = cs && (cs->style & WS_VSCROLL);
        l->ItemHeight = LineHeight(nullptr);
        return DefWindowProc(h, msg, wParam, lParam);
    }
    ListBox* lp = Lists().Find(h);
    if (!lp)
        return DefWindowProc(h, msg, wParam, lParam);
    ListBox& l = *lp;
    switch (msg) {
    case WM_NCDESTROY:
        for (int i = 0; i < Count(l); ++i)
            DeleteNotify(h, l, i);
        Lists().Drop(h);
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_CREATE:
        if (Style(h) & LBS_OWNERDRAWFIXED)
            Measure(h, l, -1);
        UpdateScroll(h, l);
        return 0;
    case WM_SIZE:
        l.Top = std::clamp(l.Top, 0, MaxTop(h, l));
        UpdateScroll(h, l);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_ENABLE:
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        l.Font = reinterpret_cast<HFONT>(wParam);
        if (!OwnerDraw(h))
            l.ItemHeight = LineHeight(l.Font);
        UpdateScroll(h, l);
        if (LOWORD(lParam))
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(l.Font);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PaintScope ps(h, wParam);
        Paint(h, l, ps.Dc);
        return 0;
    }
    case WM_SETFOCUS:
        l.Focused = true;
        InvalidateRect(h, nullptr, FALSE);
        NotifyOwner(h, l, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        l.Focused = false;
        InvalidateRect(h, nullptr, FALSE);
        NotifyOwner(h, l, LBN_KILLFOCUS);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        return OnKey(h, l, wParam);
    case WM_CHAR: {
        char16_t c = char16_t(wParam);
        if (c < 32 || !HasStrings(h) || MultiSel(h))
            return 0;
        // Characters typed in quick succession make a prefix to find; a pause starts a new one.
        // A lone character moves on to the next item starting with it.
        DWORD now = GetTickCount();
        if (now - l.SearchTime > kSearchPause)
            l.Search.clear();
        l.SearchTime = now;
        l.Search += c;
        int i = l.Search.size() > 1 ? Find(l, l.Cur - 1LL, l.Search, false) : int(LB_ERR);
        if (i < 0)
            i = Find(l, l.Cur, l.Search, false);
        if (i < 0 && l.Search.size() > 1) {
            l.Search = std::u16string(1, c);
            i = Find(l, l.Cur, l.Search, false);
        }
        if (i >= 0)
            SelectSingle(h, l, i, true);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!l.Combo && GetFocus() != h)
            SetFocus(h);
        if (!(lp = Lists().Find(h)))
            return 0;
        int i = ItemAt(h, *lp, GET_Y_LPARAM(lParam));
        if (msg == WM_LBUTTONDBLCLK && i >= 0) {
            NotifyOwner(h, *lp, LBN_DBLCLK);
            return 0;
        }
        lp->Tracking = true;
        SetCapture(h);
        Choose(h, *lp, i, (wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0, true);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (l.Tracking && !MultiSel(h)) {
            int i = ItemAt(h, l, GET_Y_LPARAM(lParam));
            if (i >= 0 && i != l.Cur)
                SelectSingle(h, l, i, true);
        }
        return 0;
    case WM_LBUTTONUP:
        if (l.Tracking) {
            l.Tracking = false;
            if (GetCapture() == h)
                ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        l.Tracking = false;
        return 0;
    case WM_MOUSEWHEEL:
        SetTop(h, l, l.Top - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_VSCROLL: {
        int page = std::max(1, VisibleCount(h, l, l.Top) - 1);
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            SetTop(h, l, l.Top - 1);
            break;
        case SB_LINEDOWN:
            SetTop(h, l, l.Top + 1);
            break;
        case SB_PAGEUP:
            SetTop(h, l, l.Top - page);
            break;
        case SB_PAGEDOWN:
            SetTop(h, l, l.Top + page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            SetTop(h, l, HIWORD(wParam));
            break;
        case SB_TOP:
            SetTop(h, l, 0);
            break;
        case SB_BOTTOM:
            SetTop(h, l, Count(l));
            break;
        default:
            break;
        }
        return 0;
    }
    case LB_ADDSTRING:
        return Insert(h, l, -1, lParam, (Style(h) & LBS_SORT) != 0);
    case LB_INSERTSTRING:
        return Insert(h, l, int(LONG(wParam)), lParam, false);
    case LB_DELETESTRING: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l))
            return LB_ERR;
        Delete(h, l, i);
        return Count(l);
    }
    case LB_RESETCONTENT:
        for (int i = 0; i < Count(l); ++i)
            DeleteNotify(h, l, i);
        l.Items.clear();
        l.Cur = l.Caret = l.Anchor = -1;
        l.Top = 0;
        UpdateScroll(h, l);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case LB_GETCOUNT:
        return Count(l);
    case LB_GETTEXT: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l) || !lParam)
            return LB_ERR;
        if (!HasStrings(h)) {
            *reinterpret_cast<ULONG_PTR*>(lParam) = l.Items[std::size_t(i)]->Data;
            return sizeof(ULONG_PTR);
        }
        return CopyTextOut(h, l.Items[std::size_t(i)]->Text, lParam, -1, true);
    }
    case LB_GETTEXTLEN: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l))
            return LB_ERR;
        return HasStrings(h) ? LengthIn(h, l.Items[std::size_t(i)]->Text) : LRESULT(sizeof(ULONG_PTR));
    }
    case LB_GETITEMDATA: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l))
            return LB_ERR;
        return LRESULT(l.Items[std::size_t(i)]->Data);
    }
    case LB_SETITEMDATA: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l))
            return LB_ERR;
        l.Items[std::size_t(i)]->Data = ULONG_PTR(lParam);
        return TRUE;
    }
    case LB_SETCURSEL: {
        if (MultiSel(h))
            return LB_ERR;
        int i = int(LONG(wParam));
        SelectSingle(h, l, i, false);
        return (i < 0 || i >= Count(l)) ? LRESULT(LB_ERR) : LRESULT(i);
    }
    case LB_GETCURSEL:
        if (MultiSel(h))
            return l.Caret;
        return l.Cur < 0 ? LRESULT(LB_ERR) : LRESULT(l.Cur);
    case LB_SETSEL: {
        if (!MultiSel(h))
            return LB_ERR;
        int i = int(LONG(lParam));
        if (i == -1)
            SelectRange(l, 0, Count(l) - 1, wParam != 0);
        else if (i < 0 || i >= Count(l))
            return LB_ERR;
        else {
            SetSel(l, i, wParam != 0);
            l.Caret = i;
        }
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    }
    case LB_GETSEL: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l))
            return LB_ERR;
        return MultiSel(h) ? (l.Items[std::size_t(i)]->Selected ? 1 : 0) : (i == l.Cur ? 1 : 0);
    }
    case LB_GETSELCOUNT: {
        if (!MultiSel(h))
            return LB_ERR;
        return std::count_if(l.Items.begin(), l.Items.end(),
                             [](const std::unique_ptr<Item>& it) { return it->Selected; });
    }
    case LB_GETSELITEMS: {
        if (!MultiSel(h) || !lParam)
            return LB_ERR;
        int n = 0, max = int(LONG(wParam));
        for (int i = 0; i < Count(l) && n < max; ++i)
            if (l.Items[std::size_t(i)]->Selected)
                reinterpret_cast<int*>(lParam)[n++] = i;
        return n;
    }
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX: {
        if (!MultiSel(h))
            return LB_ERR;
        if (msg == LB_SELITEMRANGE)
            SelectRange(l, LOWORD(lParam), HIWORD(lParam), wParam != 0);
        else if (LONG(wParam) <= LONG(lParam))
            SelectRange(l, int(LONG(wParam)), int(LONG(lParam)), true);
        else
            SelectRange(l, int(LONG(lParam)), int(LONG(wParam)), false);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
        if (!HasStrings(h)) {
            for (int i = 0; i < Count(l); ++i)
                if (l.Items[std::size_t(i)]->Data == ULONG_PTR(lParam))
                    return i;
            return LB_ERR;
        }
        return Find(l, (long long)(LONG)wParam, TextArg(h, lParam), msg == LB_FINDSTRINGEXACT);
    }
    case LB_SELECTSTRING: {
        if (MultiSel(h) || !HasStrings(h))
            return LB_ERR;
        int i = Find(l, (long long)(LONG)wParam, TextArg(h, lParam), false);
        if (i >= 0)
            SelectSingle(h, l, i, false);
        return i;
    }
    case LB_GETTOPINDEX:
        return l.Top;
    case LB_SETTOPINDEX: {
        int i = int(LONG(wParam));
        if (i < 0 || (i >= Count(l) && Count(l) > 0))
            return LB_ERR;
        SetTop(h, l, i);
        return 0;
    }
    case LB_GETITEMRECT: {
        int i = int(LONG(wParam));
        if (!lParam || i < 0 || (i >= Count(l) && !(i == 0 && Count(l) == 0)))
            return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(h, l, i);
        return 1;
    }
    case LB_GETITEMHEIGHT:
        return HeightOf(l, (Style(h) & LBS_OWNERDRAWVARIABLE) ? int(LONG(wParam)) : -1);
    case LB_SETITEMHEIGHT: {
        int hgt = LOWORD(lParam);
        if (hgt <= 0 || hgt > 255)
            return LB_ERR;
        int i = int(LONG(wParam));
        if ((Style(h) & LBS_OWNERDRAWVARIABLE) && i >= 0 && i < Count(l))
            l.Items[std::size_t(i)]->Height = hgt;
        else
            l.ItemHeight = hgt;
        l.Top = std::clamp(l.Top, 0, MaxTop(h, l));
        UpdateScroll(h, l);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    }
    case LB_ITEMFROMPOINT: {
        bool outside = false;
        RECT c;
        GetClientRect(h, &c);
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        int i = ItemAt(h, l, y, &outside);
        if (i < 0)
            i = std::max(0, Count(l) - 1);
        if (x < c.Left || x >= c.Right)
            outside = true;
        return MAKELRESULT(i, outside ? 1 : 0);
    }
    case LB_SETCARETINDEX: {
        int i = int(LONG(wParam));
        if (i < 0 || i >= Count(l))
            return LB_ERR;
        if (MultiSel(h))
            l.Caret = i;
        else
            l.Caret = i;
        EnsureVisible(h, l, i);
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    }
    case LB_GETCARETINDEX:
        return MultiSel(h) ? l.Caret : l.Cur;
    case LB_SETANCHORINDEX:
        l.Anchor = int(LONG(wParam));
        return 0;
    case LB_GETANCHORINDEX:
        return l.Anchor;
    case LB_INITSTORAGE:
        return Count(l);
    case LB_SETTABSTOPS:
        return TRUE;
    case LB_SETHORIZONTALEXTENT:
    case LB_SETCOLUMNWIDTH:
        return 0;
    case LB_GETHORIZONTALEXTENT:
        return 0;
    case LB_SETCOUNT:
        return LB_ERR;
    default:
        return DefWindowProc(h, msg, wParam, lParam);
    }
}

} // namespace stdctl
