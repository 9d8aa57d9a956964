// The BUTTON class: push buttons, check boxes (two and three states), radio buttons, group
// boxes and owner-drawn buttons.
//
// A press captures the mouse and shows the button pushed while the pointer stays on it; the
// release on the button is the click. Space does the same from the keyboard. Automatic check
// boxes and radio buttons change their state before BN_CLICKED goes out, so the parent reads
// the new state.

#include "platform/win/StdControlsInternal.h"

#include "platform/win/Colors.h"

#include <algorithm>

namespace stdctl {

namespace {

struct Button {
    LRESULT Check = BST_UNCHECKED;
    bool Pushed = false;
    bool Focused = false;
    bool Tracking = false;
    bool SpaceDown = false;
    HFONT Font = nullptr;
    HANDLE Image = nullptr;
    WPARAM ImageType = IMAGE_BITMAP;
};

StateTable<Button>& Buttons()
{
    static StateTable<Button> t;
    return t;
}

DWORD TypeOf(HWND h)
{
    return StyleOf(h) & BS_TYPEMASK;
}

bool IsCheckType(DWORD t)
{
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
}
bool IsRadioType(DWORD t)
{
    return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON;
}

std::u16string Caption(HWND h)
{
    Window* w = winlayer::W(h);
    return w ? winlayer::ToUtf16(w->Text) : std::u16string();
}

// The siblings of a radio button's group: from the nearest WS_GROUP window at or before it up
// to the next WS_GROUP window.
void UncheckGroupMates(HWND h)
{
    HWND first = h;
    for (HWND p = h; p; p = GetWindow(p, GW_HWNDPREV)) {
        first = p;
        if (StyleOf(p) & WS_GROUP)
            break;
    }
    for (HWND s = first; s; s = GetWindow(s, GW_HWNDNEXT)) {
        if (s != first && (StyleOf(s) & WS_GROUP))
            break;
        if (s == h)
            continue;
        if (IsButton(s) && (StyleOf(s) & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
            SendMessage(s, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void Click(HWND h, Button& b)
{
    switch (TypeOf(h)) {
    case BS_AUTOCHECKBOX:
        b.Check = b.Check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        break;
    case BS_AUTO3STATE:
        b.Check = (b.Check + 1) % 3;
        break;
    case BS_AUTORADIOBUTTON:
        b.Check = BST_CHECKED;
        UncheckGroupMates(h);
        break;
    default:
        break;
    }
    InvalidateRect(h, nullptr, FALSE);
    Notify(h, BN_CLICKED);
}

void SetPushed(HWND h, Button& b, bool pushed)
{
    if (b.Pushed == pushed)
        return;
    b.Pushed = pushed;
    InvalidateRect(h, nullptr, FALSE);
}

void DrawImage(HDC dc, const Button& b, const RECT& r)
{
    if (!b.Image || b.ImageType != IMAGE_BITMAP)
        return;
    auto bmp = static_cast<HBITMAP>(b.Image);
    BITMAP info{};
    if (!GetObject(bmp, sizeof info, &info))
        return;
    const TOwnedDC mem(CreateCompatibleDC(dc));
    const TSelectObject selected(mem.get(), bmp);
    int x = (r.Left + r.Right - info.bmWidth) / 2, y = (r.Top + r.Bottom - info.bmHeight) / 2;
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem.get(), 0, 0, SRCCOPY);
}

UINT HorizontalAlign(DWORD style, UINT fallback)
{
    switch (style & BS_CENTER) {
    case BS_LEFT:
        return DT_LEFT;
    case BS_RIGHT:
        return DT_RIGHT;
    case BS_CENTER:
        return DT_CENTER;
    default:
        return fallback;
    }
}

void PaintPush(HWND h, Button& b, HDC dc, const RECT& client)
{
    DWORD style = StyleOf(h);
    bool enabled = IsWindowEnabled(h);
    HBRUSH back = ControlColor(h, WM_CTLCOLORBTN, dc, COLOR_BTNTEXT, COLOR_BTNFACE);
    FillRect(dc, &client, back);
    RECT r = client;
    if (TypeOf(h) == BS_DEFPUSHBUTTON) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    bool down = b.Pushed || ((style & BS_PUSHLIKE) && b.Check == BST_CHECKED);
    UINT state = DFCS_BUTTONPUSH | (down ? UINT(DFCS_PUSHED) : 0u) | (enabled ? 0u : UINT(DFCS_INACTIVE)) |
                 ((style & BS_FLAT) ? UINT(DFCS_FLAT) : 0u);
    DrawFrameControl(dc, &r, DFC_BUTTON, state);
    RECT text = r;
    InflateRect(&text, -4, -2);
    if (down)
        OffsetRect(&text, 1, 1);
    if (style & (BS_BITMAP | BS_ICON)) {
        DrawImage(dc, b, text);
    } else {
        std::u16string s = Caption(h);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
        UINT fmt = HorizontalAlign(style, DT_CENTER) |
                   ((style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
        DrawTextW(dc, s.data(), int(s.size()), &text, fmt);
    }
    if (b.Focused) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

void PaintCheck(HWND h, Button& b, HDC dc, const RECT& client)
{
    DWORD style = StyleOf(h);
    DWORD type = TypeOf(h);
    bool enabled = IsWindowEnabled(h);
    HBRUSH back = ControlColor(h, WM_CTLCOLORSTATIC, dc, COLOR_BTNTEXT, COLOR_BTNFACE);
    COLORREF textColor = GetTextColor(dc);
    FillRect(dc, &client, back);
    constexpr int box = 13;
    bool leftText = style & BS_LEFTTEXT;
    int top = (client.Top + client.Bottom - box) / 2;
    RECT br = leftText ? RECT{client.Right - box, top, client.Right, top + box}
                       : RECT{client.Left, top, client.Left + box, top + box};
    UINT state = IsRadioType(type) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    if (b.Check == BST_INDETERMINATE && (type == BS_3STATE || type == BS_AUTO3STATE))
        state = DFCS_BUTTON3STATE | DFCS_CHECKED;
    else if (b.Check == BST_CHECKED)
        state |= DFCS_CHECKED;
    if (b.Pushed)
        state |= DFCS_PUSHED;
    if (!enabled)
        state |= DFCS_INACTIVE;
    if (style & BS_FLAT)
        state |= DFCS_FLAT;
    DrawFrameControl(dc, &br, DFC_BUTTON, state);

    RECT text = leftText ? RECT{client.Left, client.Top, client.Right - box - 4, client.Bottom}
                         : RECT{client.Left + box + 4, client.Top, client.Right, client.Bottom};
    std::u16string s = Caption(h);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? textColor : GetSysColor(COLOR_GRAYTEXT));
    UINT fmt = HorizontalAlign(style, leftText ? DT_RIGHT : DT_LEFT) |
               ((style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
    DrawTextW(dc, s.data(), int(s.size()), &text, fmt);
    if (b.Focused && !s.empty()) {
        RECT calc = text;
        DrawTextW(dc, s.data(), int(s.size()), &calc, fmt | DT_CALCRECT);
        int h2 = calc.Bottom - calc.Top;
        RECT f{text.Left - 1, (text.Top + text.Bottom - h2) / 2 - 1, text.Left + (calc.Right - calc.Left) + 1,
               (text.Top + text.Bottom - h2) / 2 + h2 + 1};
        if (leftText)
            OffsetRect(&f, (text.Right - text.Left) - (calc.Right - calc.Left), 0);
        IntersectRect(&f, &f, &client);
        DrawFocusRect(dc, &f);
    }
}

void PaintGroup(HWND h, HDC dc, const RECT& client)
{
    HBRUSH back = ControlColor(h, WM_CTLCOLORSTATIC, dc, COLOR_BTNTEXT, COLOR_BTNFACE);
    COLORREF textColor = GetTextColor(dc);
    std::u16string s = Caption(h);
    SIZE ext{};
    GetTextExtentPoint32W(dc, s.empty() ? u"X" : s.data(), s.empty() ? 1 : int(s.size()), &ext);
    RECT frame = client;
    frame.Top += ext.cy / 2;
    // The area inside the frame is left to the controls in the box; only the frame and the
    // caption's background are painted.
    RECT topBand{client.Left, client.Top, client.Right, frame.Top + 2};
    FillRect(dc, &topBand, back);
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (!s.empty()) {
        RECT t{client.Left + 8, client.Top, client.Left + 8 + ext.cx + 4, client.Top + ext.cy};
        t.Right = std::min(t.Right, client.Right - 2);
        FillRect(dc, &t, back);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(h) ? textColor : GetSysColor(COLOR_GRAYTEXT));
        RECT tt = t;
        tt.Left += 2;
        DrawTextW(dc, s.data(), int(s.size()), &tt, DT_LEFT | DT_SINGLELINE | DT_TOP);
    }
}

void PaintOwnerDraw(HWND h, Button& b, HDC dc, const RECT& client)
{
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_BUTTON;
    di.CtlID = UINT(GetDlgCtrlID(h));
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (b.Pushed ? UINT(ODS_SELECTED) : 0u) | (b.Focused ? UINT(ODS_FOCUS) : 0u) |
                   (IsWindowEnabled(h) ? 0u : UINT(ODS_DISABLED));
    di.hwndItem = h;
    di.hDC = dc;
    di.rcItem = client;
    if (HWND p = GetParent(h))
        SendMessage(p, WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
}

void Paint(HWND h, Button& b, HDC dc)
{
    RECT client;
    GetClientRect(h, &client);
    int saved = SaveDC(dc);
    SelectObject(dc, FontOr(b.Font));
    DWORD type = TypeOf(h);
    if (type == BS_OWNERDRAW)
        PaintOwnerDraw(h, b, dc, client);
    else if (type == BS_GROUPBOX)
        PaintGroup(h, dc, client);
    else if ((IsCheckType(type) || IsRadioType(type)) && !(StyleOf(h) & BS_PUSHLIKE))
        PaintCheck(h, b, dc, client);
    else
        PaintPush(h, b, dc, client);
    RestoreDC(dc, saved);
}

bool Inside(HWND h, LPARAM lParam)
{
    RECT r;
    GetClientRect(h, &r);
    return PtInRect(&r, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

} // namespace

bool IsButton(HWND h)
{
    return Buttons().Find(h) != nullptr;
}

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        Buttons().Make(h);
        return DefWindowProc(h, msg, wParam, lParam);
    }
    Button* bp = Buttons().Find(h);
    if (!bp)
        return DefWindowProc(h, msg, wParam, lParam);
    Button& b = *bp;
    DWORD type = TypeOf(h);
    switch (msg) {
    case WM_NCDESTROY:
        Buttons().Drop(h);
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_NCHITTEST:
        if (type == BS_GROUPBOX)
            return HTTRANSPARENT;
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_STYLECHANGED: {
        LRESULT r = DefWindowProc(h, msg, wParam, lParam);
        InvalidateRect(h, nullptr, FALSE);
        return r;
    }
    case WM_SETFONT:
        b.Font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(b.Font);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PaintScope ps(h, wParam);
        Paint(h, b, ps.Dc);
        return 0;
    }
    case WM_GETDLGCODE:
        switch (type) {
        case BS_DEFPUSHBUTTON:
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
        case BS_OWNERDRAW:
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
            return DLGC_STATIC;
        default:
            return DLGC_BUTTON;
        }
    case WM_SETFOCUS:
        b.Focused = true;
        InvalidateRect(h, nullptr, FALSE);
        if (StyleOf(h) & BS_NOTIFY)
            Notify(h, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        b.Focused = false;
        b.SpaceDown = false;
        if (b.Tracking && GetCapture() == h)
            ReleaseCapture();
        b.Tracking = false;
        SetPushed(h, b, false);
        InvalidateRect(h, nullptr, FALSE);
        if (StyleOf(h) & BS_NOTIFY)
            Notify(h, BN_KILLFOCUS);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (IsRadioType(type) || type == BS_OWNERDRAW || (StyleOf(h) & BS_NOTIFY))
            Notify(h, BN_DOUBLECLICKED);
        if (!IsWindow(h))
            return 0;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        if (type == BS_GROUPBOX)
            return 0;
        if (GetFocus() != h)
            SetFocus(h);
        if (!(bp = Buttons().Find(h)))
            return 0;
        bp->Tracking = true;
        SetCapture(h);
        SetPushed(h, *bp, true);
        return 0;
    case WM_MOUSEMOVE:
        if (b.Tracking)
            SetPushed(h, b, Inside(h, lParam));
        return 0;
    case WM_LBUTTONUP:
        if (b.Tracking) {
            bool click = b.Pushed && Inside(h, lParam);
            b.Tracking = false;
            SetPushed(h, b, false);
            if (GetCapture() == h)
                ReleaseCapture();
            if (click && (bp = Buttons().Find(h)) != nullptr)
                Click(h, *bp);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (b.Tracking) {
            b.Tracking = false;
            SetPushed(h, b, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX && !(lParam & KF_REPEAT_BIT)) {
            b.SpaceDown = true;
            SetPushed(h, b, true);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && b.SpaceDown) {
            b.SpaceDown = false;
            SetPushed(h, b, false);
            Click(h, b);
        }
        return 0;
    case WM_CHAR:
        return 0;
    case BM_GETCHECK:
        return (IsCheckType(type) || IsRadioType(type)) ? b.Check : BST_UNCHECKED;
    case BM_SETCHECK: {
        if (!(IsCheckType(type) || IsRadioType(type)))
            return 0;
        LRESULT v = LRESULT(wParam);
        if (v == BST_INDETERMINATE && !(type == BS_3STATE || type == BS_AUTO3STATE))
            v = BST_CHECKED;
        v = std::clamp<LRESULT>(v, BST_UNCHECKED, BST_INDETERMINATE);
        if (v != b.Check) {
            b.Check = v;
            InvalidateRect(h, nullptr, FALSE);
        }
        return 0;
    }
    case BM_GETSTATE:
        return b.Check | (b.Pushed ? UINT(BST_PUSHED) : 0u) | (b.Focused ? UINT(BST_FOCUS) : 0u);
    case BM_SETSTATE:
        SetPushed(h, b, wParam != 0);
        return 0;
    case BM_SETSTYLE: {
        DWORD s = StyleOf(h);
        SetWindowLong(h, GWL_STYLE, LONG((s & ~DWORD(0xFFFF)) | DWORD(wParam & 0xFFFF)));
        if (LOWORD(lParam))
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(h) && type != BS_GROUPBOX)
            Click(h, b);
        return 0;
    case BM_GETIMAGE:
        return wParam == b.ImageType ? reinterpret_cast<LRESULT>(b.Image) : 0;
    case BM_SETIMAGE: {
        HANDLE old = b.ImageType == wParam ? b.Image : nullptr;
        b.Image = reinterpret_cast<HANDLE>(lParam);
        b.ImageType = wParam;
        InvalidateRect(h, nullptr, FALSE);
        return reinterpret_cast<LRESULT>(old);
    }
    default:
        return DefWindowProc(h, msg, wParam, lParam);
    }
}

} // namespace stdctl
