#pragma once

// State of sorting. Held by the grid as FSort; only the sorting sources include this header.

#include "platform/rtl/Types.h"

#include <memory>

struct TSortScratch; // exchange/Sorting.cpp

struct TGridSortState {
    // The row that holds the current row's data after the last sort pass.
    Integer Followed = -1;
    // The work arrays of the last sort, kept for the next one.
    std::shared_ptr<TSortScratch> Scratch;
};
