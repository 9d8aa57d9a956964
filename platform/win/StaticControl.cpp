// The STATIC class: text, rectangles, frames, etched lines, bitmaps and owner-drawn statics.
// A static lets the mouse through to what lies beneath unless it asks for SS_NOTIFY.

#include "platform/win/StdControlsInternal.h"

#include "platform/win/Colors.h"

namespace stdctl {

namespace {

struct Static {
    HFONT Font = nullptr;
    HANDLE Image = nullptr;
};

StateTable<Static>& Statics()
{
    static StateTable<Static> t;
    return t;
}

UINT TextFormat(DWORD style)
{
    UINT fmt = 0;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        fmt = DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        fmt = DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_SIMPLE:
        fmt = DT_LEFT | DT_SINGLELINE;
        break;
    case SS_LEFTNOWORDWRAP:
        fmt = DT_LEFT | DT_EXPANDTABS;
        break;
    default:
        fmt = DT_LEFT | DT_WORDBREAK;
        break;
    }
    if (style & SS_NOPREFIX)
        fmt |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE)
        fmt = (fmt & ~UINT(DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER;
    switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS:
        fmt |= DT_END_ELLIPSIS;
        break;
    case SS_PATHELLIPSIS:
        fmt |= DT_PATH_ELLIPSIS;
        break;
    case SS_WORDELLIPSIS:
        fmt |= DT_WORD_ELLIPSIS;
        break;
    default:
        break;
    }
    return fmt;
}

void Paint(HWND h, Static& s, HDC dc)
{
    RECT client;
    GetClientRect(h, &client);
    DWORD style = StyleOf(h);
    DWORD type = style & SS_TYPEMASK;
    int saved = SaveDC(dc);
    SelectObject(dc, FontOr(s.Font));
    auto fill = [&](int color) { FillRect(dc, &client, GetSysColorBrush(color)); };
    auto frame = [&](int color) { FrameRect(dc, &client, GetSysColorBrush(color)); };
    switch (type) {
    case SS_BLACKRECT:
        fill(COLOR_WINDOWFRAME);
        break;
    case SS_GRAYRECT:
        fill(COLOR_BTNSHADOW);
        break;
    case SS_WHITERECT:
        fill(COLOR_WINDOW);
        break;
    case SS_BLACKFRAME:
        frame(COLOR_WINDOWFRAME);
        break;
    case SS_GRAYFRAME:
        frame(COLOR_BTNSHADOW);
        break;
    case SS_WHITEFRAME:
        frame(COLOR_WINDOW);
        break;
    case SS_ETCHEDHORZ: {
        RECT r = client;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
        break;
    }
    case SS_ETCHEDVERT: {
        RECT r = client;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT);
        break;
    }
    case SS_ETCHEDFRAME: {
        RECT r = client;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
        break;
    }
    case SS_OWNERDRAW: {
        DRAWITEMSTRUCT di;
        di.CtlType = ODT_STATIC;
        di.CtlID = UINT(GetDlgCtrlID(h));
        di.itemAction = ODA_DRAWENTIRE;
        di.itemState = IsWindowEnabled(h) ? 0u : UINT(ODS_DISABLED);
        di.hwndItem = h;
        di.hDC = dc;
        di.rcItem = client;
        if (HWND p = GetParent(h))
            SendMessage(p, WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
        break;
    }
    case SS_BITMAP: {
        HBRUSH back = ControlColor(h, WM_CTLCOLORSTATIC, dc, COLOR_WINDOWTEXT, COLOR_BTNFACE);
        FillRect(dc, &client, back);
        BITMAP info{};
        if (s.Image && GetObject(s.Image, sizeof info, &info)) {
            const TOwnedDC mem(CreateCompatibleDC(dc));
            const TSelectObject selected(mem.get(), s.Image);
            int x = 0, y = 0;
            if (style & SS_CENTERIMAGE) {
                x = (client.Right - info.bmWidth) / 2;
                y = (client.Bottom - info.bmHeight) / 2;
            }
            BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem.get(), 0, 0, SRCCOPY);
        }
        break;
    }
    case SS_ICON:
        break;
    default: {
        HBRUSH back = ControlColor(h, WM_CTLCOLORSTATIC, dc, COLOR_WINDOWTEXT, COLOR_BTNFACE);
        COLORREF text = GetTextColor(dc);
        FillRect(dc, &client, back);
        Window* w = winlayer::W(h);
        std::u16string t = w ? winlayer::ToUtf16(w->Text) : std::u16string();
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(h) ? text : GetSysColor(COLOR_GRAYTEXT));
        RECT r = client;
        DrawTextW(dc, t.data(), int(t.size()), &r, TextFormat(style));
        break;
    }
    }
    if (style & SS_SUNKEN) {
        RECT r = client;
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    }
    RestoreDC(dc, saved);
}

} // namespace

LRESULT StaticProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        Statics().Make(h);
        return DefWindowProc(h, msg, wParam, lParam);
    }
    Static* sp = Statics().Find(h);
    if (!sp)
        return DefWindowProc(h, msg, wParam, lParam);
    Static& s = *sp;
    switch (msg) {
    case WM_NCDESTROY:
        Statics().Drop(h);
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_NCHITTEST:
        return (StyleOf(h) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_STYLECHANGED:
    case WM_SIZE: {
        LRESULT r = DefWindowProc(h, msg, wParam, lParam);
        InvalidateRect(h, nullptr, FALSE);
        return r;
    }
    case WM_SETFONT:
        s.Font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.Font);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PaintScope ps(h, wParam);
        Paint(h, s, ps.Dc);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONDOWN:
        if (StyleOf(h) & SS_NOTIFY)
            Notify(h, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (StyleOf(h) & SS_NOTIFY)
            Notify(h, STN_DBLCLK);
        return 0;
    case STM_SETIMAGE:
    case STM_SETICON: {
        HANDLE old = s.Image;
        s.Image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : lParam);
        InvalidateRect(h, nullptr, FALSE);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
    case STM_GETICON:
        return reinterpret_cast<LRESULT>(s.Image);
    default:
        return DefWindowProc(h, msg, wParam, lParam);
    }
}

} // namespace stdctl
