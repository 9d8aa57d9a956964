#pragma once

// State of the grid's painting, visual properties, cell content, focus, update lock and grid
// timer. Held by the grid as FPaint; only the painting sources (and those reading its fields)
// include this header.

#include "RudUvud/edit/PaintSteps.h"
#include "RudUvud/edit/PaintTypes.h"
#include "RudUvud/support/VadStyleIF.h"

#include <vector>

struct TGridPaintState {
    Integer UpdateCount = 0; // BeginUpdate/EndUpdate nesting
    bool MouseSelecting = false;
    // Fixed-cell look gradient (stored as RGB).
    TColor ZIVGradFrom = 0xF7F7F7;
    TColor ZIVGradTo = 0xE0E0E0;
    TColor ZIVGradMirrorFrom = clNone;
    TColor ZIVGradMirrorTo = clNone;
    // Save path.
    bool SaveDisplayText = true;
    bool SaveHTMLMarkup = true;
    bool SaveRTFMarkup = false;
    // Content switches.
    bool EnhTextSize = false;
    bool MultilineCells = false;
    bool URLShow = false;
    bool URLFull = false;
    TPoint XYOffset{2, 2};
    Integer FilterDropDownRow = 0;
    // Zoom step added to every cell font size.
    Integer Zoom = 0;
    // Where the cell being painted got its sort indicator ({-1, -1}: none), so that it is drawn
    // again over what the painting events draw.
    TPoint SortIndicatorAt{-1, -1};
    TCustomImageList* GridImages = nullptr;
    bool SelectionRTFKeep = false;
    // Grid timer.
    Integer TimerTicks = 0;
    Integer LookupTicks = 0;
    AnsiString LookupBuffer;
    bool BlinkPhase = false;
    bool EnableBlink = false;
    bool Hovering = false;
    // Paints actually done (counted for tests and the update lock).
    Integer Paints = 0;
    bool FirstPaintDone = false;
    bool PaintDropped = false; // a WM_PAINT came while locked
    // The working colours of hovered and pressed fixed cells (from, to, mirror from, mirror to,
    // border), written by the look presets and by the ControlLook setters.
    TColor HoverFrom = clNone, HoverTo = clNone, HoverMirrorFrom = clNone, HoverMirrorTo = clNone;
    TColor HoverBorder = clNone;
    TColor DownFrom = clNone, DownTo = clNone, DownMirrorFrom = clNone, DownMirrorTo = clNone;
    TColor DownBorder = clNone;
    // The component style last given to SetComponentStyle or chosen by Look, and the style the
    // drop-down editors were given (FEditorsStyle).
    ZEDAVozor ComponentStyle = tsWindowsXP;
    ZEDAVozor EditorsStyle = tsWindowsXP;
    // The cell the content step is painting, so that it can read the graphic's room and hand
    // back the width of its text (null outside the content step).
    TGridCellPaint* Cell = nullptr;
    // The cell paint steps in their order (edit/PaintSteps.h); the built-in ones are put in
    // place at the first paint.
    TGridPaintSteps Steps;
};
