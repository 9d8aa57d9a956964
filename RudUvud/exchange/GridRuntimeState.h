#pragma once

// State of the grid's window procedure: middle-button panning, the form it sizes with, the cell
// controls. Held by the grid inside FXchg (as FXchg.Runtime); only the sources that read or
// write it include this header.

#include "RudUvud/exchange/WindowProcTypes.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Grids.h"

struct TGridRuntimeState {
    // Panning with the middle button: the flag, the client point of the press, the pan cursor
    // and the cursor it replaced.
    bool Panning = false;
    TPoint PanStart{0, 0};
    HCURSOR PanCursor = nullptr;
    HCURSOR CursorBeforePan = nullptr;
    // Set by the grid's MouseDown while the platform grid's press runs: a change notification
    // then does not write the editor's text into the cell.
    bool InMouseDown = false;
    // The view before the last scroll (TopLeftChanged).
    Integer PrevLeftCol = 0;
    Integer PrevTopRow = 0;
    // Cells that have been given a control (SetCellControls); none: CellControlsUpdate has
    // nothing to place.
    Integer CellControlCount = 0;
    // The grid keeps its distance to the owner form's right and bottom edges.
    bool SizeWithForm = false;
    TIntelliPan IntelliPan = ipVertical;
};
