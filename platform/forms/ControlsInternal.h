#pragma once

// State the files of the control classes share: the windowless control that holds the mouse and
// the drag in progress. Only the user-interface thread reads and writes it.

#include "platform/forms/Controls.h"

namespace controls_internal {

// A windowless control that captured the mouse through its parent's window; nullptr when a
// windowed control, or nothing, has the capture.
extern TControl* CaptureControl;

// Dragging: the control, where the press was, and whether the threshold has been passed.
struct DragState {
    TControl* Control = nullptr;
    TPoint Start;
    Integer Threshold = 0;
    bool Started = false;
    TControl* Target = nullptr;
};
extern DragState Drag;

} // namespace controls_internal
