// UTF-8 and UTF-16 conversion for the text functions: the runtime library's one codec, so every
// layer reads malformed input alike (each unreadable byte becomes U+FFFD).

#include "platform/win/GdiInternal.h"

#include "platform/rtl/Strings.h"

namespace gdi {

std::string Utf16ToUtf8(const char16_t* text, int length)
{
    if (!text || length <= 0)
        return {};
    return WideToAnsi(text, std::size_t(length));
}

std::u16string Utf8ToUtf16(const char* text, int length)
{
    if (!text || length <= 0)
        return {};
    return AnsiToWide(text, std::size_t(length));
}

} // namespace gdi
