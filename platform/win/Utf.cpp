// UTF-8 and UTF-16 conversion for the text functions; malformed input becomes U+FFFD.

#include "platform/win/GdiInternal.h"

namespace gdi {

std::string Utf16ToUtf8(const char16_t* text, int length)
{
    std::string out;
    if (!text || length <= 0)
        return out;
    out.reserve(size_t(length) * 3);
    for (int i = 0; i < length; ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const char* text, int length)
{
    std::u16string out;
    if (!text || length <= 0)
        return out;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    int i = 0;
    while (i < length) {
        std::uint32_t c = s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        std::uint32_t min = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        bool ok = extra >= 0 && i + extra < length;
        if (extra > 0 && ok) {
            c &= (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                if ((s[i + k] & 0xC0) != 0x80) {
                    ok = false;
                    break;
                }
                c = (c << 6) | (s[i + k] & 0x3F);
            }
            if (ok && (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
                ok = false;
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

} // namespace gdi
