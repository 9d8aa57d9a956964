#pragma once

// State of filtering: the fixed rows to give back when a filter level goes, the text of the last
// incremental filter and the column whose filter list is open. Held by the grid as FFilt; only
// the sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"

struct TGridFilterState {
    // FixedRows when a filter was last applied.
    Integer FilterFixedRows = 0;
    // The text of the last NarrowDown call.
    AnsiString NarrowText;
    // The column whose filter drop list is open; -1 when none is.
    Integer FilterColumn = -1;
    bool FilterActive = false;
};
