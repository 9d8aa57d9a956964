#pragma once

// State of the grid's own printing that lives between print runs: the range and page being
// printed, the column widths and positions of the last layout, the fit scale applied to fonts
// and the pages a drawing pass paints. Held in the exchange block (FXchg.Print).

#include "platform/forms/Grids.h"

#include <vector>

struct TGridPrintState {
    TGridRect PrintRange{0, 0, -1, -1}; // FPrintRange: display columns and rows
    TRect PageRect{};                   // FPrintPageRect
    // FPrintColWidths and FPrintColPos, indexed by display column; sized for the range (one entry
    // past its last column), so any column count is laid out safely.
    std::vector<Integer> ColWidths;
    std::vector<Integer> ColPos;
    double FontScale = 1.0; // FPrintFontScale
    Integer PageFrom = 1;   // FPrintPageFrom
    Integer PageTo = 1;     // FPrintPageTo
    Integer PageCount = 0;  // PrintPageCount
    bool SkipPageCount = false;
    bool RotateByOrientation = false; // PrintRotateByOrientation
};
