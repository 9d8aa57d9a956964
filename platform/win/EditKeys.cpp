// The key map of the edit and the rich edit controls' clipboard commands.

#include "platform/win/StdControlsInternal.h"

namespace stdctl {

bool SendEditKeyCommand(HWND h, WPARAM key, bool ctrl, bool shift)
{
    UINT msg = 0;
    if (key == VK_INSERT && ctrl && !shift)
        msg = WM_COPY;
    else if (key == VK_INSERT && shift && !ctrl)
        msg = WM_PASTE;
    else if (key == VK_DELETE && shift && !ctrl)
        msg = WM_CUT;
    if (!msg)
        return false;
    SendMessage(h, msg, 0, 0);
    return true;
}

bool SendEditCharCommand(HWND h, WPARAM ch)
{
    // The control characters of Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Z.
    static const struct {
        WPARAM Char;
        UINT Msg;
        LPARAM LParam;
    } Commands[] = {
        {1, EM_SETSEL, -1}, {3, WM_COPY, 0}, {22, WM_PASTE, 0}, {24, WM_CUT, 0}, {26, WM_UNDO, 0}};
    for (const auto& c : Commands)
        if (c.Char == ch) {
            SendMessage(h, c.Msg, 0, c.LParam);
            return true;
        }
    return false;
}

} // namespace stdctl
