// The headless backend.

#include "platform/backend/headless/Headless.h"

#include "platform/win/GraphicsOwners.h"
#include "platform/win/Windows.h"

#include <cairo.h>

#include <algorithm>

HeadlessBackend::HeadlessBackend(TSize screen) : Screen{std::max(screen.cx, 1), std::max(screen.cy, 1)} {}

HeadlessBackend::~HeadlessBackend() = default;

bool HeadlessBackend::ShellOpen(const std::string& target, const std::string& verb)
{
    ShellOpens.push_back(ShellOpenRecord{target, verb});
    return true;
}

void HeadlessBackend::ClearRecords()
{
    Beeps.clear();
    ShellOpens.clear();
    Jobs.clear();
}

cairo_surface_t* HeadlessBackend::ComposeScreen() const
{
    cairo_surface_t* screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Screen.cx, Screen.cy);
    const TOwnedCairo context(cairo_create(screen));
    cairo_t* cr = context.get();
    COLORREF desk = GetSysColor(COLOR_BACKGROUND);
    cairo_set_source_rgb(cr, GetRValue(desk) / 255.0, GetGValue(desk) / 255.0, GetBValue(desk) / 255.0);
    cairo_paint(cr);
    std::vector<HWND> tops;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tops));
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        if (!IsWindowVisible(*it))
            continue;
        cairo_surface_t* s = GetWindowSurface(*it);
        RECT r;
        if (!s || !GetWindowRect(*it, &r))
            continue;
        cairo_surface_flush(s);
        cairo_set_source_surface(cr, s, r.Left, r.Top);
        cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
        cairo_fill(cr);
    }
    return screen;
}

bool HeadlessBackend::SaveScreenPng(const std::string& fileName) const
{
    const TOwnedSurface s(ComposeScreen());
    return cairo_surface_write_to_png(s.get(), fileName.c_str()) == CAIRO_STATUS_SUCCESS;
}

HeadlessBackend* Headless()
{
    return dynamic_cast<HeadlessBackend*>(&Backend());
}

HeadlessBackend& StartHeadless(TSize screen)
{
    ResetWindowLayer();
    auto backend = std::make_unique<HeadlessBackend>(screen);
    HeadlessBackend& ref = *backend;
    InstallBackend(std::move(backend));
    ResetWindowLayer(); // the desktop takes the new screen's size
    return ref;
}
