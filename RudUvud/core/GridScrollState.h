#pragma once

// State of scrolling: scroll bar kind, look and width, and the mouse wheel. Held by the grid as
// FScroll; only the sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"

struct TGridScrollState {
    TScrollBarAlways ScrollBarAlways = saNone;
    TScrollType ScrollType = ssNormal;
    TColor ScrollColor = clNone;
    Integer ScrollWidth = 17;
    bool EnableWheel = true;
    bool IntelliZoom = true;
    Integer WheelMsg = 0x20A;
    Integer WheelScrollLines = 3;
};
