#pragma once

// Press state of the left mouse button and key state of the string grid, kept between a press,
// the mouse moves and the release (held in the grid's editing state block as FEdit.Input).

#include "platform/forms/Grids.h"

#include <functional>

using TClickCellEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol)>;
using TCanClickCellEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, bool& Allow)>;
using TCanInsertRowEvent = std::function<void(TObject* Sender, Integer ARow, bool& CanInsert)>;
using TCanDeleteRowEvent = std::function<void(TObject* Sender, Integer ARow, bool& CanDelete)>;
using TAutoInsertRowEvent = std::function<void(TObject* Sender, Integer ARow)>;
using TAutoDeleteRowEvent = std::function<void(TObject* Sender, Integer ARow)>;
using TCanAddRowEvent = std::function<void(TObject* Sender, bool& CanAdd)>;
using TAutoAddRowEvent = std::function<void(TObject* Sender, Integer ARow)>;

struct TGridInputState {
    // Press.
    bool ButtonDown = false;
    bool ButtonHeld = false;
    Integer PressLeftCol = 0;
    Integer PressTopRow = 0;
    TPoint MouseDownPoint{0, 0};
    TGridCoord Probe{-1, -1};
    Integer ProbeWidth = 0;
    Integer ProbeHeight = 0;
    TPoint GrabOffset{0, 0};
    TPoint HeaderGrab{0, 0};
    // Written by mouse moves over the headers: 0 none, 1 column select, 2 row select,
    // 3 select all, 5 selection resize. Cleared at the release.
    Integer SelectZone = 0;
    bool DisjunctClearing = false;
    bool UnmarkOnRelease = false;
    bool FixedPressed = false;
    // The fixed cell under the pointer (written by mouse moves, cleared by every press) and
    // whether the press hit a fixed cell's drop-down part.
    TGridCoord HoverCell{-1, -1};
    bool FixedDropDownPressed = false;
    TRect FixedPressedRect{0, 0, 0, 0};
    TGridCoord FixedPressedCell{-1, -1};
    Integer MovingIndex = -1;
    Integer SelectAnchor = -1;
    bool CaretClick = false;
    // Set by the column and row move handlers; the release reads it to tell a move from a click.
    bool Moved = false;
    bool WidthsChanged = false;
    // Keys.
    TGridRect OldSelection{0, 0, 0, 0};
    TGridCoord TabStartCell{-1, -1};
    Integer TabDepth = 0;
    // A "." from the numeric keypad types the locale's decimal separator.
    bool ExcelStyleDecimalSeparator = false;
};
