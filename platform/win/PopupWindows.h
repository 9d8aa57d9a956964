#pragma once

// Popups that close themselves the way drop-down lists and menus do on a desktop, without
// taking the activation or the keyboard focus from the window they drop from: while a popup
// registered here is visible, a press of any mouse button outside it (and outside the windows
// it owns), and the program losing the keyboard focus to another program, send it
// WM_CANCELMODE first; the press then goes on to where it was aimed. A desktop backend keeps
// the pointer and keyboard for the program while such a popup shows, so that presses on other
// programs' windows and on the desktop reach it as presses outside.
//
// The popup is a top-level window that should not be activated (WS_EX_NOACTIVATE): keys keep
// going to the focused window of the window it drops from.

#include "platform/win/Messages.h"

// Registers a popup (nothing when it is registered already); a destroyed window leaves the
// register by itself.
void AddDismissablePopup(HWND popup);
void RemoveDismissablePopup(HWND popup);
// The visible registered popup shown last, or nullptr.
HWND ShownDismissablePopup();

// The desktop backend tells the layer that the program lost the keyboard focus to another
// program (tests call it to stand for that).
void InputFocusLeftProgram();

namespace winlayer {
// The input stage's part: a press at the screen point is about to be delivered.
void DismissPopupsOutside(POINT screen);
} // namespace winlayer
