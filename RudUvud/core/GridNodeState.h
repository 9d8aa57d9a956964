#pragma once

// State of outline nodes and grouping: the grouped column with what it held when it was taken
// out, the sub-group columns and the bulk-work counter. Held by the grid as FNodes; only the
// sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"

#include <vector>

struct TGridNodeState {
    Integer GroupColumn = -1;  // FGroupColumn
    Integer GroupColWidth = 0; // FGroupColWidth
    AnsiString GroupColHeader; // FGroupColHeader
    AnsiString GroupColFooter; // FGroupColFooter
    // The columns of the sub-groups in force, oldest first. Kept apart from the grouped column,
    // so that ungrouping brings back the column Group took out.
    std::vector<Integer> SubGroups;
    // Above 0 while an operation over many nodes runs: the footer is recalculated once at its
    // end instead of after every node.
    Integer Bulk = 0;
};
