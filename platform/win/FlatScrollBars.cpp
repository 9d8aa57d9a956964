// Flat scroll bars: a window's own bars with a flat or Encarta look, their own track colour and
// thickness. They keep no scroll state of their own: the range, page and position are the
// window's, so the flat and the standard functions see the same bar.

#include "platform/win/CommCtrl.h"
#include "platform/win/WindowInternal.h"

using namespace winlayer;

namespace {

// The frame is worked out again (the thickness may have changed) and painted anew.
void Refresh(HWND hwnd)
{
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace

BOOL InitializeFlatSB(HWND hwnd)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    if (!w->Flat.Initialized) {
        w->Flat = FlatScrollState{};
        w->Flat.Initialized = true;
    }
    return TRUE;
}

HRESULT UninitializeFlatSB(HWND hwnd)
{
    Window* w = W(hwnd);
    if (!w)
        return E_FAIL;
    if (w->Flat.Initialized) {
        w->Flat = FlatScrollState{};
        Refresh(hwnd);
    }
    return S_OK;
}

BOOL FlatSB_SetScrollProp(HWND hwnd, UINT index, LONG_PTR newValue, BOOL redraw)
{
    Window* w = W(hwnd);
    if (!w || !w->Flat.Initialized)
        return FALSE;
    FlatScrollState& f = w->Flat;
    const int value = int(newValue);
    switch (index) {
    case WSB_PROP_VSTYLE:
    case WSB_PROP_HSTYLE:
        if (value != FSB_REGULAR_MODE && value != FSB_ENCARTA_MODE && value != FSB_FLAT_MODE)
            return FALSE;
        (index == WSB_PROP_VSTYLE ? f.VStyle : f.HStyle) = value;
        break;
    case WSB_PROP_VBKGCOLOR:
        f.VBkg = COLORREF(newValue);
        break;
    case WSB_PROP_HBKGCOLOR:
        f.HBkg = COLORREF(newValue);
        break;
    case WSB_PROP_CXVSCROLL:
        f.CxVScroll = value < 0 ? 0 : value;
        break;
    case WSB_PROP_CYHSCROLL:
        f.CyHScroll = value < 0 ? 0 : value;
        break;
    default:
        // The arrow and thumb sizes, the window style and the palette are not kept.
        return FALSE;
    }
    if (redraw)
        Refresh(hwnd);
    return TRUE;
}

BOOL FlatSB_GetScrollProp(HWND hwnd, UINT index, int* value)
{
    Window* w = W(hwnd);
    if (!w || !value)
        return FALSE;
    const FlatScrollState& f = w->Flat;
    switch (index) {
    case WSB_PROP_VSTYLE:
        *value = f.VStyle;
        return TRUE;
    case WSB_PROP_HSTYLE:
        *value = f.HStyle;
        return TRUE;
    case WSB_PROP_VBKGCOLOR:
        *value = int(f.VBkg);
        return TRUE;
    case WSB_PROP_HBKGCOLOR:
        *value = int(f.HBkg);
        return TRUE;
    case WSB_PROP_CXVSCROLL:
        *value = f.CxVScroll > 0 ? f.CxVScroll : GetSystemMetrics(SM_CXVSCROLL);
        return TRUE;
    case WSB_PROP_CYHSCROLL:
        *value = f.CyHScroll > 0 ? f.CyHScroll : GetSystemMetrics(SM_CYHSCROLL);
        return TRUE;
    default:
        return FALSE;
    }
}

int FlatSB_SetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info, BOOL redraw)
{
    return SetScrollInfo(hwnd, bar, info, redraw);
}

BOOL FlatSB_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info)
{
    return GetScrollInfo(hwnd, bar, info);
}

BOOL FlatSB_ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    return ShowScrollBar(hwnd, bar, show);
}
