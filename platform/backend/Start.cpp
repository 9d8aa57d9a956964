// The choice of backend at program start.

#include "platform/backend/Start.h"

#include "platform/backend/headless/Headless.h"

#if DRAWMERE_HAVE_GTK
#include "platform/backend/gtk/GtkBackend.h"
#endif

#include <cstdio>
#include <cstdlib>

namespace {

bool Set(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

std::string Fallback(const std::string& why)
{
    std::fprintf(stderr, "drawmere: %s; running headless (no windows will be shown).\n", why.c_str());
    StartHeadless();
    return "headless";
}

} // namespace

std::string StartPlatformBackend()
{
    std::string wanted = Set("PLATFORM_BACKEND") ? std::getenv("PLATFORM_BACKEND") : "";
    if (wanted == "headless") {
        StartHeadless();
        return "headless";
    }
    if (!wanted.empty() && wanted != "gtk")
        return Fallback("unknown PLATFORM_BACKEND \"" + wanted + "\" (use headless or gtk)");
    if (wanted.empty() && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY"))
        return Fallback("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
#if DRAWMERE_HAVE_GTK
    if (StartGtk())
        return "gtk";
    const char* display = std::getenv("DISPLAY");
    return Fallback(std::string("cannot open the display") +
                    (display && *display ? std::string(" \"") + display + "\"" : ""));
#else
    return Fallback("this program was built without the desktop backend");
#endif
}
