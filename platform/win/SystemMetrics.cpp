// System metrics, monitors and system parameters: the sizes of window parts and the screen as
// the backend reports it, with one primary monitor.

#include "platform/win/WindowInternal.h"

#include <cstdint>

using namespace winlayer;

int GetSystemMetrics(int index)
{
    TSize screen = Backend().ScreenSize();
    TRect work = Backend().WorkArea();
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
        return screen.cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
        return screen.cy;
    case SM_CXFULLSCREEN:
        return work.Width();
    case SM_CYFULLSCREEN:
        return work.Height() - 20;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 17;
    case SM_CYCAPTION:
        return 20;
    case SM_CYSMCAPTION:
        return 16;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 19;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXMINTRACK:
        return 112;
    case SM_CYMINTRACK:
        return 27;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXMINIMIZED:
        return MinimizedWidth;
    case SM_CYMINIMIZED:
        return MinimizedHeight;
    case SM_MOUSEWHEELPRESENT:
        return 1;
    case SM_CMONITORS:
        return 1;
    case SM_SWAPBUTTON:
        return 0;
    default:
        return 0;
    }
}

namespace {

HMONITOR const ThePrimaryMonitor = reinterpret_cast<HMONITOR>(std::uintptr_t(0x1000));

HMONITOR MonitorFor(const RECT& r, DWORD flags)
{
    TSize s = Backend().ScreenSize();
    bool on = r.Right > 0 && r.Bottom > 0 && r.Left < s.cx && r.Top < s.cy;
    return (on || flags != MONITOR_DEFAULTTONULL) ? ThePrimaryMonitor : nullptr;
}

} // namespace

HMONITOR MonitorFromPoint(POINT pt, DWORD flags)
{
    return MonitorFor(RECT{pt.X, pt.Y, pt.X + 1, pt.Y + 1}, flags);
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags)
{
    return rect ? MonitorFor(*rect, flags) : (flags == MONITOR_DEFAULTTONULL ? nullptr : ThePrimaryMonitor);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
    RECT r;
    if (!GetWindowRect(hwnd, &r))
        return flags == MONITOR_DEFAULTTONULL ? nullptr : ThePrimaryMonitor;
    return MonitorFor(r, flags);
}

BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO* info)
{
    if (monitor != ThePrimaryMonitor || !info || info->cbSize < sizeof(MONITORINFO))
        return FALSE;
    TSize s = Backend().ScreenSize();
    info->rcMonitor = RECT{0, 0, s.cx, s.cy};
    info->rcWork = Backend().WorkArea();
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

BOOL SystemParametersInfo(UINT action, UINT, void* value, UINT)
{
    if (!value)
        return FALSE;
    switch (action) {
    case SPI_GETWORKAREA:
        *static_cast<RECT*>(value) = Backend().WorkArea();
        return TRUE;
    case SPI_GETWHEELSCROLLLINES:
        *static_cast<UINT*>(value) = 3;
        return TRUE;
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
        *static_cast<UINT*>(value) = HoverSize;
        return TRUE;
    case SPI_GETMOUSEHOVERTIME:
        *static_cast<UINT*>(value) = HoverTime;
        return TRUE;
    default:
        return FALSE;
    }
}
