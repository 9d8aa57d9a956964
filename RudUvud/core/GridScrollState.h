#pragma once

// State of scrolling: scroll bar kind, look and width, the proportional thumbs, scroll hints, drag
// scrolling and the mouse wheel. Held by the grid as FScroll; only the sources that read or write
// it include this header.

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/core/ScrollTypes.h"

class TTimer;

struct TGridScrollState {
    TScrollBarAlways ScrollBarAlways = saNone;
    TScrollType ScrollType = ssNormal;
    TColor ScrollColor = clNone;
    Integer ScrollWidth = 17;
    bool EnableWheel = true;
    bool IntelliZoom = true;
    Integer WheelMsg = 0x20A;
    Integer WheelScrollLines = 3;
    // The grid's own copy of the bars it offers (the flat bars read it).
    TScrollStyle ScrollBars = ssBoth;
    bool ScrollProportional = false;
    bool ScrollSynch = false;
    TScrollHintType ScrollHints = shNone;
    // The flat bars are initialised for the window.
    bool FlatSBInit = false;
    // A scroll hint shows from a thumb-track message until the end of the scroll.
    bool ScrollHintShown = false;
    // Set while zooming resizes columns and rows: the proportional thumbs wait.
    bool Zooming = false;
    // Drag scrolling: the timer (owned by the grid, alive only while a drag point lies in a
    // margin) and the directions of the last drag point.
    TTimer* DragScrollTimer = nullptr;
    TDragScrollDirection DragScrollDir;
    // The cell the cell scroll bar serves.
    TGridCoord CellScrollBarCell{-1, -1};
};
