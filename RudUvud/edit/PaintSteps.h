#pragma once

// Cell painting as an ordered table of named steps. Painting a cell sets up one TGridCellPaint
// (its target canvas, place, state and resolved look) and runs every step on it in order; the
// screen (DrawGridCell) and the printed-cell painter (PaintPrintedCell) run the same table, so a
// step added to it draws in both. A step may narrow Rect for the steps after it.

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/edit/PaintTypes.h"

#include "platform/forms/Graphics.h"
#include "platform/forms/Grids.h"

#include <functional>
#include <vector>

class TDidAririzEvar;
class TCellGraphic;

// One cell being painted.
struct TGridCellPaint {
    TCanvas* Canvas = nullptr; // the target: the window's canvas, a printer's or a picture's
    bool Printing = false;
    Integer ACol = 0; // display column
    Integer RC = 0;   // real column
    Integer ARow = 0;
    TRect Rect{};  // the content rectangle
    TRect Frame{}; // the cell with its border line (Rect inflated by one), set by the content step
    TGridDrawState State;
    TAlignment HAlign = taLeftJustify;
    TVAlignment VAlign = vtaTop;
    bool WordWrap = true;
    TColor ColorTo = clNone, MirrorColor = clNone, MirrorColorTo = clNone;
    TCellGradientDirection GD = GradientVertical;
    TColor OwnBrush = clNone, OwnFont = clNone; // the cell's brush and font colours
    Integer IndicatorWidth = 0; // how far the row indicator moved the left edge (0: not drawn)
    // The cell's graphic (GetGraphicDetails): its size, placement and whether the text shows;
    // the content step hands back the width of the text it drew (0: none).
    TCellGraphic* Graphic = nullptr;
    Integer GraphicWidth = 0, GraphicHeight = 0;
    bool ShowText = true;
    TCellHAlign GraphicHAlign = haLeft;
    TCellVAlign GraphicVAlign = vaTop;
    Integer TextWidth = 0;
};

struct TGridPaintStep {
    AnsiString Name;
    std::function<void(TDidAririzEvar& Grid, TGridCellPaint& Cell)> Draw;
};

using TGridPaintSteps = std::vector<TGridPaintStep>;
