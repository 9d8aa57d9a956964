#include "platform/win/Colors.h"

#include <array>
#include <mutex>

namespace {

// The start-up table: the standard scheme of the desktop the program was written for.
constexpr std::array<COLORREF, SYSTEM_COLOR_COUNT> DefaultSysColors = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
    RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(51, 153, 255),  RGB(255, 255, 255),
    RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(67, 78, 84),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(51, 153, 255),
    RGB(240, 240, 240)};

std::mutex TableLock;
std::array<COLORREF, SYSTEM_COLOR_COUNT> SysColors = DefaultSysColors;

} // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index >= SYSTEM_COLOR_COUNT)
        return 0;
    std::lock_guard lock(TableLock);
    return SysColors[index];
}

BOOL SetSysColors(int count, const INT* indexes, const COLORREF* colors)
{
    if (count < 0 || (count > 0 && (!indexes || !colors)))
        return FALSE;
    std::lock_guard lock(TableLock);
    for (int i = 0; i < count; ++i)
        if (indexes[i] >= 0 && indexes[i] < SYSTEM_COLOR_COUNT)
            SysColors[indexes[i]] = colors[i] & 0xFFFFFF;
    return TRUE;
}

void ResetSysColors()
{
    std::lock_guard lock(TableLock);
    SysColors = DefaultSysColors;
}

COLORREF ColorToRGB(TColor color)
{
    if (color & 0x80000000u)
        return GetSysColor(int(color & 0xFF));
    return color;
}
