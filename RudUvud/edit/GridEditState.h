#pragma once

// State of in-place editing and input: the press state of the left mouse button and the key
// state, kept between a press, the mouse moves and the release, and the edit under way. Held by
// the grid as FEdit; only the editing and input sources (and those reading its fields) include
// this header.

#include "RudUvud/edit/EditorHost.h"
#include "RudUvud/edit/GridInput.h"
#include "RudUvud/edit/GridMouseMoveState.h"

#include <set>

// Press and key state.
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
    // The first half of a character outside the basic plane typed for the row lookup.
    WideChar LookupHighSurrogate = 0;
};

// State of the edit under way.
struct TGridEditingState {
    bool Active = false;         // FInplaceEditing: an editor is (or counts as) shown
    TEditorType Type = edNormal; // FEditorType: the editor type chosen for the current cell
    const TGridEditorKind* Kind = nullptr;
    TWinControl* Shown = nullptr; // the control shown over the cell, if any
    TGridCoord Cell{-1, -1};      // display cell being edited
    TEditOpenedBy OpenedBy = TEditOpenedBy::Keyboard;
    Integer Opened = 0;  // edits opened through the host, for the tests and hooks
    AnsiString Cache;    // FEditCache: the cell text when the edit started
    WideString WideText; // FEditWideText
    // The edit's cell as its real column, taken when the edit opened: the value goes back
    // there and nowhere else, even when the current cell has moved meanwhile.
    Integer RealCol = -1;
    WideChar StartChar = 0;      // the character that started the edit, re-sent to the control
    bool ControlShown = false;   // a control (not the text editor) is shown
    bool DonePending = false;    // the end of the shown control's edit is still to be reported
    bool EditStarted = false;    // an edit was started since the last click on the grid
    bool Hiding = false;         // HideEditControl is running
    bool Accepted = true;        // the last validation accepted its value
    bool LiveUpdate = false;     // the text editor writes its text into the cell as it changes
    bool DoneInProgress = false; // DoneInplaceEdit is running
    bool CaretClick = false;     // a click opened the edit: the caret goes where it hit
    TDateTime DateTimeStart = 0;
    AnsiString EditMask;
    TGridCoord AdvanceStart{-1, -1}; // where the last advance began
    bool Advancing = false;          // the advance is setting the current cell
    TEditLink* EditLink = nullptr;   // the custom editor
    bool PopupClosed = false;        // a custom editor's popup form closed on its own
};

// Validation of the edited cell.
struct TGridValidationState {
    TGridCoord Cell{-1, -1}; // display column and row of the cell being validated
    AnsiString OldText;      // its raw text when validation was armed
    WideString OldWideText;
    AnsiString ValidatedText; // what the last validation decided on
    bool Pending = false;     // armed, not yet run
    bool Running = false;     // guards against re-entry
    bool Modified = false;    // a validated edit changed a cell
    bool AlwaysValidate = false;
    bool NotedBoolean = false;  // the second public Boolean, noted when armed
    bool SecondBoolean = false; // the second public Boolean
    AnsiString InvalidEntryTitle;
    AnsiString InvalidEntryText;
};

// Settings of the text editor the grid keeps.
struct TGridTextEditState {
    AnsiString ValidChars;       // the characters edValidChars takes
    std::set<char> ValidCharSet; // used when ValidChars is empty
    bool Lookup = false;
    bool LookupCaseSensitive = false;
    bool LookupHistory = false;
    Integer MaxComboLength = 0;
    bool EditWithTags = false; // mini-HTML cells are edited with their tags
};

struct TGridEditState {
    TGridInputState Input;     // mouse press and keys
    TGridEditingState Editing; // the in-place edit under way
    TGridValidationState Validation;
    TGridTextEditState Text;
    TGridMouseMoveState Move; // mouse moves, double clicks, the right button
};

// The digits the numeric editors let in: ASCII only, whatever the script of the keyboard.
inline bool IsAsciiDigit(WideChar C)
{
    return C >= '0' && C <= '9';
}
