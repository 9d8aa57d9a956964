#pragma once

// Scripted drag and drop: the steps a person's hand takes while a drag loop (DoDragDrop) runs.
// Each time the loop waits for input, the next step sets the modifier keys, moves the pointer
// to a point of a window and, at the end, lets go of the button or presses Esc.

#include "platform/win/Windows.h"

#include <vector>

namespace uitest {

enum class DragAction { Move, Release, Escape };

struct DragStep {
    HWND Window = nullptr;
    int X = 0, Y = 0;   // client coordinates of Window
    unsigned Shift = 0; // ksShift, ksCtrl, ksAlt of Harness.h held from this step on
    DragAction Action = DragAction::Move;
};

// Installs the steps for the next drag loops; once they are used up the script ends, so that a
// drag still running is cancelled instead of waiting forever. Modifiers still held are let go
// when the script ends or is replaced.
void ScriptDrag(std::vector<DragStep> steps);
// Removes the script (and lets go of its modifiers).
void EndDragScript();

} // namespace uitest
