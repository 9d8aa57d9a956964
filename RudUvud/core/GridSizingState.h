#pragma once

// State of column sizing: the widths ColumnSize.SynchWithGrid starts from. Held by the grid as
// FSizing; only the sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"

#include <vector>

struct TGridSizingState {
    // The column widths and grid width recorded by InitOrigColSizes (-1: none recorded yet), and
    // the re-entrance guard of the size handler's scroll bar tail.
    std::vector<Integer> BaseColWidths;
    Integer BaseGridWidth = -1;
    bool SizeReentrance = false;
};
