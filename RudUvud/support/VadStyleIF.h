#pragma once

// The component style interface: a look that a component applies to itself when asked, and the
// system test that picks the Vista-era looks.

#include "platform/rtl/Types.h"

#include <cstdint>

// The component looks, in their stored order.
enum ZEDAVozor {
    tsOffice2003Blue,
    tsOffice2003Silver,
    tsOffice2003Olive,
    tsOffice2003Classic,
    tsOffice2007Luna,
    tsOffice2007Obsidian,
    tsWindowsXP,
    tsWhidbey,
    tsCustom,
    tsOffice2007Silver,
    tsWindowsVista,
    tsWindows7,
    tsTerminal,
};

// Implemented by the components that take a look; the grid hands its look on through it.
// Callers find it with dynamic_cast (the platform's form of asking an object for an interface).
class RUZIVazov {
public:
    // {11AC2DDC-C087-4298-AB6E-EA1B5017511B}
    static constexpr const char* IID = "{11AC2DDC-C087-4298-AB6E-EA1B5017511B}";
    virtual ~RUZIVazov() = default;
    virtual void SetComponentStyle(ZEDAVozor AStyle) = 0;
};

// True when the system library exports "GetLocaleInfoEx", which the Vista generation added.
bool IsVista();
