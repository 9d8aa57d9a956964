#pragma once

// A small form on the window layer alone: a button that turns green once clicked and a box
// collecting typed characters. The desktop smoke test drives it under Xvfb; the demo program
// shows the same form on a real desktop.

#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <string>

namespace smoke {

inline const COLORREF Idle = RGB(160, 160, 160);
inline const COLORREF Pressed = RGB(0, 170, 0);

struct Form {
    HWND Window = nullptr;
    HWND Button = nullptr;
    HWND Text = nullptr;
};

// What the form has seen.
struct State {
    int Clicks = 0;
    std::u16string Typed;
    int Wheel = 0; // wheel deltas the text box received
};
State& Seen();

// Creates (hidden) the form at x, y; quitOnClose: closing it ends the message loop.
Form CreateForm(int x, int y, bool quitOnClose);

} // namespace smoke
