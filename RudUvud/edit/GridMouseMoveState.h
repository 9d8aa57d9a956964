#pragma once

// State of the grid's mouse moves, double clicks and right button: what the pointer rests on
// between two moves. Held by the grid inside FEdit (as FEdit.Move).

#include "platform/forms/Controls.h"
#include "platform/forms/Grids.h"

struct TGridMouseMoveState {
    // The href of the anchor under the pointer at the previous move ("" when none).
    AnsiString LastAnchor;
    // The grid's cursor when the pointer decides nothing; recorded at the first move.
    TCursor NormalCursor = crDefault;
    bool NormalCursorKnown = false;
    // The selection last seen while the mouse selects (the frame of SelectionRectangle).
    TGridRect LastMouseSelection{-1, -1, -1, -1};
    // The selection whose frame was last invalidated while the mouse selects.
    TGridRect OldSelection{-1, -1, -1, -1};
    // The "cw=" / "rh=" hint shows while a column or row is sized.
    bool SizingHintShown = false;
    // The fixed cell stays highlighted while its drop-down menu is open.
    bool KeepHighlight = false;
    // A double click sized a column: the next release does not sort.
    bool AutoSized = false;
};
