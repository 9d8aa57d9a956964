#pragma once

// The choice of backend at program start, above both backends so that a program links the
// desktop one only when it wants it (tests never do).

#include <string>

// PLATFORM_BACKEND=headless or gtk chooses; without it the desktop backend when a display is
// reachable, else the headless one. When the desktop backend is asked for or expected but
// cannot open a display (or was not built), the program goes on headless and says so on
// stderr. Returns the name of the backend installed.
std::string StartPlatformBackend();
