#include "RudUvud/support/VadStyleIF.h"

#include "platform/win/UxTheme.h"

bool IsVista()
{
    HMODULE Kernel = GetModuleHandle("kernel32");
    return Kernel && GetProcAddress(Kernel, "GetLocaleInfoEx") != nullptr;
}
