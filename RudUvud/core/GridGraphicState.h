#pragma once

// State of cell graphics and of cell text measuring: the row check box graphic the grid shares
// between every row, and the switches of link display and number alignment. Held by the grid as
// FGraph; only the sources that read or write it include this header.

#include "RudUvud/core/CellGraphic.h"

#include <memory>

struct TGridGraphicState {
    // Stands in for column 0 of every row while MouseActions.HotmailRowSelect is on; refreshed on
    // every request and never freed by a cell operation (FRowCheckGraphic).
    std::unique_ptr<TCellGraphic> RowCheckGraphic = std::make_unique<TCellGraphic>();
    // Link prefixes in cell texts are shown as anchors.
    bool URLShowInText = false;
    // Numbers (and formulas whose value is a number) are right-aligned.
    bool AutoNumAlign = false;
    // The text margin counted at the top and left only.
    bool XYOffsetTopLeft = false; // FXYOffsetTopLeft
    // Measures text while the grid has no window (an invisible grid a program keeps for exports).
    std::unique_ptr<TBitmap> MeasureBitmap;
};
