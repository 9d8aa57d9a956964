// Keys as GDK reports them, to the virtual keys and key data of the window layer.

#include "platform/backend/gtk/KeyMap.h"

#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

#include <gdk/gdkkeysyms.h>

namespace {

TEST(KeyMap, SymbolsGiveVirtualKeysScanCodesAndExtendedFlags)
{
    struct Case {
        unsigned Sym, Keycode;
        UINT Vk, Scan;
        int Extended;
    };
    // Key codes are those of an evdev X server (PC scan code + 8 in the main block).
    const Case cases[] = {
        {GDK_KEY_a, 38, 'A', 0x1E, -1},
        {GDK_KEY_Z, 52, 'Z', 0x2C, -1},
        {GDK_KEY_5, 14, '5', 0x06, -1},
        {GDK_KEY_F12, 96, VK_F12, 0x58, -1},
        {GDK_KEY_Return, 36, VK_RETURN, 0x1C, 0},
        {GDK_KEY_KP_Enter, 104, VK_RETURN, 0, 1},   // keypad Enter: extended, the layer's scan code
        {GDK_KEY_Left, 113, VK_LEFT, 0, 1},         // the cursor block is extended
        {GDK_KEY_KP_Left, 83, VK_LEFT, 0x4B, 0},    // the keypad's arrow without Num Lock is not
        {GDK_KEY_KP_4, 83, VK_NUMPAD4, 0x4B, -1},   // ... and with Num Lock is a digit
        {GDK_KEY_Shift_R, 62, VK_SHIFT, 0x36, 0},   // the right Shift keeps its own scan code
        {GDK_KEY_Control_R, 105, VK_CONTROL, 0, 1}, // right Ctrl and Alt are extended
        {GDK_KEY_Alt_R, 108, VK_MENU, 0, 1},
        {GDK_KEY_semicolon, 47, VK_OEM_1, 0x27, -1},
        {GDK_KEY_KP_Divide, 106, VK_DIVIDE, 0, 1},
        {GDK_KEY_Delete, 119, VK_DELETE, 0, 1},
    };
    for (const Case& c : cases) {
        KeyTranslation t = TranslateKey(c.Sym, c.Keycode);
        EXPECT_EQ(t.Vk, c.Vk) << "keysym " << std::hex << c.Sym;
        EXPECT_EQ(t.Scan, c.Scan) << "keysym " << std::hex << c.Sym;
        EXPECT_EQ(t.Extended, c.Extended) << "keysym " << std::hex << c.Sym;
    }
}

TEST(KeyMap, UnknownSymbolsFallBackToTheKeysPositionOrNothing)
{
    // A Cyrillic letter on the key where the US keyboard has F.
    EXPECT_EQ(TranslateKey(GDK_KEY_Cyrillic_a, 41).Vk, UINT('F'));
    // A character sent without a real key (as input methods and xdotool do): no virtual key.
    KeyTranslation none = TranslateKey(0x1000000 + 0x734E, 0);
    EXPECT_EQ(none.Vk, 0u);
    EXPECT_EQ(none.Scan, 0u);
    // A key code outside the main block with an unknown symbol.
    EXPECT_EQ(TranslateKey(GDK_KEY_AudioMute, 121).Vk, 0u);
}

LRESULT CollectChars(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_CHAR) {
        reinterpret_cast<std::u16string*>(GetWindowLongPtr(h, GWL_USERDATA))->push_back(char16_t(w));
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

// A key goes to the layer as a key only when the input method's text for it is what
// TranslateMessage will make of it; were the two to disagree, typed text would change.
TEST(KeyMap, UsCharactersAreWhatTranslateMessageMakes)
{
    uitest::Start();
    WNDCLASS wc{};
    wc.lpfnWndProc = CollectChars;
    wc.lpszClassName = "KeyMapChars";
    RegisterClass(&wc);
    HWND h = CreateWindowEx(0, "KeyMapChars", "", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                            nullptr, nullptr, nullptr);
    std::u16string got;
    SetWindowLongPtr(h, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&got));
    SetFocus(h);
    std::vector<UINT> keys;
    for (UINT vk = 0x20; vk < 0xE0; ++vk)
        if (vk != VK_LEFT && vk != VK_MENU && vk != VK_CONTROL && vk != VK_SHIFT && vk != VK_CAPITAL)
            keys.push_back(vk);
    for (bool shift : {false, true})
        for (UINT vk : keys) {
            got.clear();
            uitest::PressKey(vk, shift ? unsigned(uitest::ksShift) : 0u);
            char16_t want = UsKeyChar(vk, shift, false);
            EXPECT_EQ(got, want ? std::u16string(1, want) : std::u16string())
                << "vk " << vk << " shift " << shift;
        }
    DestroyWindow(h);
}

} // namespace
