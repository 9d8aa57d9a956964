#include "platform/testing/DragScript.h"

#include "platform/testing/Harness.h"
#include "platform/win/Ole.h"

#include <memory>

namespace uitest {

namespace {

unsigned Held = 0;

void SetModifiers(unsigned want)
{
    const struct {
        unsigned Bit;
        UINT Vk;
    } keys[] = {{ksShift, VK_SHIFT}, {ksCtrl, VK_CONTROL}, {ksAlt, VK_MENU}};
    for (const auto& k : keys)
        if ((want & k.Bit) != (Held & k.Bit))
            InputKey(k.Vk, (want & k.Bit) != 0);
    Held = want;
}

} // namespace

void ScriptDrag(std::vector<DragStep> steps)
{
    SetModifiers(0);
    auto list = std::make_shared<std::vector<DragStep>>(std::move(steps));
    auto next = std::make_shared<std::size_t>(0);
    SetDragScript([list, next]() {
        if (*next >= list->size())
            return false;
        const DragStep& s = (*list)[(*next)++];
        POINT p = ToScreen(s.Window, s.X, s.Y);
        SetModifiers(s.Shift);
        InputMouseMove(p);
        if (s.Action == DragAction::Release)
            InputMouseButton(p, 0, false);
        else if (s.Action == DragAction::Escape)
            InputKey(VK_ESCAPE, true), InputKey(VK_ESCAPE, false);
        return true;
    });
}

void EndDragScript()
{
    SetDragScript(nullptr);
    SetModifiers(0);
}

} // namespace uitest
