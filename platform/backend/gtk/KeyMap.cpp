// Key symbols to virtual keys.

#include "platform/backend/gtk/KeyMap.h"

#include "platform/win/Windows.h"

#include <gdk/gdkkeysyms.h>

namespace {

struct SymVk {
    unsigned Sym;
    UINT Vk;
    int Extended;
};

// Keys that are not letters or digits. Keypad keys without Num Lock are the cursor keys without
// the extended flag, as the keypad's keys are on a PC keyboard.
const SymVk Table[] = {
    {GDK_KEY_BackSpace, VK_BACK, -1},
    {GDK_KEY_Tab, VK_TAB, -1},
    {GDK_KEY_ISO_Left_Tab, VK_TAB, -1},
    {GDK_KEY_Clear, VK_CLEAR, -1},
    {GDK_KEY_Return, VK_RETURN, 0},
    {GDK_KEY_KP_Enter, VK_RETURN, 1},
    {GDK_KEY_Pause, VK_PAUSE, -1},
    {GDK_KEY_Scroll_Lock, VK_SCROLL, -1},
    {GDK_KEY_Escape, VK_ESCAPE, -1},
    {GDK_KEY_Delete, VK_DELETE, 1},
    {GDK_KEY_Home, VK_HOME, 1},
    {GDK_KEY_Left, VK_LEFT, 1},
    {GDK_KEY_Up, VK_UP, 1},
    {GDK_KEY_Right, VK_RIGHT, 1},
    {GDK_KEY_Down, VK_DOWN, 1},
    {GDK_KEY_Page_Up, VK_PRIOR, 1},
    {GDK_KEY_Page_Down, VK_NEXT, 1},
    {GDK_KEY_End, VK_END, 1},
    {GDK_KEY_Insert, VK_INSERT, 1},
    {GDK_KEY_Print, VK_SNAPSHOT, -1},
    {GDK_KEY_Menu, VK_APPS, 1},
    {GDK_KEY_Num_Lock, VK_NUMLOCK, -1},
    {GDK_KEY_Caps_Lock, VK_CAPITAL, -1},
    {GDK_KEY_space, VK_SPACE, -1},
    {GDK_KEY_KP_Space, VK_SPACE, -1},
    {GDK_KEY_KP_Home, VK_HOME, 0},
    {GDK_KEY_KP_Left, VK_LEFT, 0},
    {GDK_KEY_KP_Up, VK_UP, 0},
    {GDK_KEY_KP_Right, VK_RIGHT, 0},
    {GDK_KEY_KP_Down, VK_DOWN, 0},
    {GDK_KEY_KP_Page_Up, VK_PRIOR, 0},
    {GDK_KEY_KP_Page_Down, VK_NEXT, 0},
    {GDK_KEY_KP_End, VK_END, 0},
    {GDK_KEY_KP_Begin, VK_CLEAR, 0},
    {GDK_KEY_KP_Insert, VK_INSERT, 0},
    {GDK_KEY_KP_Delete, VK_DELETE, 0},
    {GDK_KEY_KP_Multiply, VK_MULTIPLY, -1},
    {GDK_KEY_KP_Add, VK_ADD, -1},
    {GDK_KEY_KP_Subtract, VK_SUBTRACT, -1},
    {GDK_KEY_KP_Decimal, VK_DECIMAL, -1},
    {GDK_KEY_KP_Separator, VK_DECIMAL, -1},
    {GDK_KEY_KP_Divide, VK_DIVIDE, 1},
    {GDK_KEY_Shift_L, VK_SHIFT, 0},
    {GDK_KEY_Shift_R, VK_SHIFT, 0},
    {GDK_KEY_Control_L, VK_CONTROL, 0},
    {GDK_KEY_Control_R, VK_CONTROL, 1},
    {GDK_KEY_Alt_L, VK_MENU, 0},
    {GDK_KEY_Alt_R, VK_MENU, 1},
    {GDK_KEY_ISO_Level3_Shift, VK_MENU, 1},
    {GDK_KEY_Meta_L, VK_MENU, 0},
    {GDK_KEY_Super_L, VK_LWIN, 1},
    {GDK_KEY_Super_R, VK_RWIN, 1},
    {GDK_KEY_semicolon, VK_OEM_1, -1},
    {GDK_KEY_equal, VK_OEM_PLUS, -1},
    {GDK_KEY_comma, VK_OEM_COMMA, -1},
    {GDK_KEY_minus, VK_OEM_MINUS, -1},
    {GDK_KEY_period, VK_OEM_PERIOD, -1},
    {GDK_KEY_slash, VK_OEM_2, -1},
    {GDK_KEY_grave, VK_OEM_3, -1},
    {GDK_KEY_bracketleft, VK_OEM_4, -1},
    {GDK_KEY_backslash, VK_OEM_5, -1},
    {GDK_KEY_bracketright, VK_OEM_6, -1},
    {GDK_KEY_apostrophe, VK_OEM_7, -1},
};

// Scan codes of the main block: on the evdev keyboards of X servers the key code is the PC
// scan code plus 8 for every key up to F12.
constexpr unsigned EvdevOffset = 8;
constexpr unsigned LastPlainScan = 0x58;

} // namespace

KeyTranslation TranslateKey(unsigned keyval, unsigned hardwareKeycode)
{
    KeyTranslation t;
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        t.Vk = UINT('A' + (keyval - GDK_KEY_a));
    else if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z)
        t.Vk = UINT('A' + (keyval - GDK_KEY_A));
    else if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)
        t.Vk = UINT('0' + (keyval - GDK_KEY_0));
    else if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
        t.Vk = VK_NUMPAD0 + (keyval - GDK_KEY_KP_0);
    else if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12)
        t.Vk = VK_F1 + (keyval - GDK_KEY_F1);
    else {
        for (const SymVk& s : Table)
            if (s.Sym == keyval) {
                t.Vk = s.Vk;
                t.Extended = s.Extended;
                break;
            }
    }
    bool plainKey = hardwareKeycode > EvdevOffset && hardwareKeycode - EvdevOffset <= LastPlainScan;
    if (plainKey && t.Extended != 1)
        t.Scan = hardwareKeycode - EvdevOffset;
    if (!t.Vk && plainKey) {
        // A layout whose symbol we do not know (Cyrillic letters, say): the key's position on
        // the US keyboard names it, as the system's own layouts do for such keys.
        t.Vk = MapVirtualKey(t.Scan, MAPVK_VSC_TO_VK);
        if (!t.Vk)
            t.Scan = 0;
    }
    return t;
}

char16_t UsKeyChar(UINT vk, bool shift, bool caps)
{
    if (vk >= 'A' && vk <= 'Z')
        return char16_t(shift != caps ? vk : vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') {
        static const char shifted[] = ")!@#$%^&*(";
        return shift ? char16_t(shifted[vk - '0']) : char16_t(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return char16_t('0' + (vk - VK_NUMPAD0));
    struct Pair {
        UINT Vk;
        char Plain, Shifted;
    };
    static const Pair pairs[] = {
        {VK_SPACE, ' ', ' '},     {VK_MULTIPLY, '*', '*'},   {VK_ADD, '+', '+'},
        {VK_SUBTRACT, '-', '-'},  {VK_DECIMAL, '.', '.'},    {VK_DIVIDE, '/', '/'},
        {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
        {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
        {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
        {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
    };
    for (const Pair& p : pairs)
        if (p.Vk == vk)
            return char16_t(shift ? p.Shifted : p.Plain);
    return 0;
}
