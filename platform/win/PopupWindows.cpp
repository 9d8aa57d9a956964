// Popups closed by a press outside them or by the program losing the focus (see PopupWindows.h).

#include "platform/win/PopupWindows.h"

#include "platform/win/Windows.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<HWND>& Popups()
{
    static std::vector<HWND> popups;
    return popups;
}

// Drops the windows that have gone away.
void Prune()
{
    auto& p = Popups();
    p.erase(std::remove_if(p.begin(), p.end(), [](HWND h) { return !IsWindow(h); }), p.end());
}

// True when h is the popup, one of its children, or a window the popup owns (directly or
// through owned windows): a nested popup or a hint belongs to it.
bool BelongsTo(HWND h, HWND popup)
{
    for (int depth = 0; h && depth < 64; ++depth) {
        if (h == popup || IsChild(popup, h))
            return true;
        HWND root = GetAncestor(h, GA_ROOT);
        h = root ? GetWindow(root, GW_OWNER) : nullptr;
    }
    return false;
}

// Tells each visible registered popup that does not hold `except`, newest first.
void Dismiss(HWND except)
{
    Prune();
    std::vector<HWND> shown;
    for (HWND h : Popups())
        if (IsWindowVisible(h) && !(except && BelongsTo(except, h)))
            shown.push_back(h);
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        if (IsWindow(*it) && IsWindowVisible(*it))
            SendMessage(*it, WM_CANCELMODE, 0, 0);
}

} // namespace

void AddDismissablePopup(HWND popup)
{
    Prune();
    if (popup && IsWindow(popup) && std::find(Popups().begin(), Popups().end(), popup) == Popups().end())
        Popups().push_back(popup);
}

void RemoveDismissablePopup(HWND popup)
{
    auto& p = Popups();
    p.erase(std::remove(p.begin(), p.end(), popup), p.end());
}

HWND ShownDismissablePopup()
{
    Prune();
    for (auto it = Popups().rbegin(); it != Popups().rend(); ++it)
        if (IsWindowVisible(*it))
            return *it;
    return nullptr;
}

void InputFocusLeftProgram()
{
    Dismiss(nullptr);
}

void winlayer::DismissPopupsOutside(POINT screen)
{
    if (Popups().empty())
        return;
    Dismiss(WindowFromPoint(screen));
}
