#pragma once

// State of typed cell access, headers and column merging: zero dates, the print layout's column
// widths and offsets, and the columns whose runs of equal cells are merged. Held by the grid as
// FTyped; only the sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"

#include "RudUvud/support/VadObj.h"

#include <array>
#include <memory>

struct TGridTypedState {
    // Dates writes zero and negative dates instead of clearing the cell.
    bool ShowZeroDates = true;
    // Column widths and offsets of the last print layout (entries 0 to 512; 0 to 511 readable).
    std::array<Integer, 513> PrintColWidths{};
    std::array<Integer, 513> PrintColOffsets{};
    // Columns whose runs of equal cells are merged, in order.
    std::unique_ptr<TIntList> MergedColumns = std::make_unique<TIntList>(-1, -1);
};
