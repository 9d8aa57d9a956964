#pragma once

// State of column sizing: the widths ColumnSize.SynchWithGrid starts from, the stretch and mouse
// sizing in progress, and the item list of the grid's combo editor. Held by the grid as FSizing;
// only the sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"

#include "platform/rtl/StringLists.h"

#include <vector>

struct TGridSizingState {
    // The column widths and grid width recorded by InitOrigColSizes (-1: none recorded yet), and
    // the re-entrance guard of the size handler's scroll bar tail.
    std::vector<Integer> BaseColWidths;
    Integer BaseGridWidth = -1;
    bool SizeReentrance = false;
    // A stretch is running.
    bool Stretching = false;
    // A mouse sizing drag of a column or a row is running; the cell under the press and the
    // width of its column and the height of its row then.
    bool ColSizing = false;
    bool RowSizing = false;
    TGridCoord SizingCell{-1, -1};
    TPoint SizingStartSize{0, 0};
    // A width changed during the current mouse press.
    bool ColWidthsChanged = false;
    // The combo editor's items, and the item it selects when the cell text matches none.
    TStringList ComboItems;
    Integer ComboSelection = -1;
};
