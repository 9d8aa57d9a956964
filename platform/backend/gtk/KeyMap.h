#pragma once

// From the keys GDK reports to the virtual keys and key data of the window layer. Kept apart
// from the backend so that it can be checked without a display.

#include "platform/win/Messages.h"

struct KeyTranslation {
    UINT Vk = 0;       // 0: a key with no virtual key (its text may still arrive as characters)
    UINT Scan = 0;     // 0: the layer takes the key's usual scan code
    int Extended = -1; // -1: the key's usual extended-key flag
};

// keyval: the key's symbol without Shift and Caps Lock (Num Lock kept, so that the keypad
// gives digits or cursor keys as its lock says); hardwareKeycode: the X key code, 0 when
// unknown (a synthesised event).
KeyTranslation TranslateKey(unsigned keyval, unsigned hardwareKeycode);

// The character TranslateMessage makes for a key on the layer's US keyboard (0: none). A key
// whose input-method text equals this goes to the layer as the key itself; anything else the
// input method makes arrives as characters after VK_PROCESSKEY, as with an input method.
char16_t UsKeyChar(UINT vk, bool shift, bool caps);
