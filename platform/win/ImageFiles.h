#pragma once

// Picture files: BMP (read and write), JPEG (libjpeg-turbo), PNG (libpng) and ICO (read).
// Readers take the file's bytes and raise EInvalidGraphic on anything malformed, truncated or
// larger than the size cap; they never crash and never allocate without bound. The bitmaps
// returned belong to the caller (DeleteObject).

#include "platform/rtl/Exceptions.h"
#include "platform/win/Gdi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

using Bytes = std::vector<std::uint8_t>;

// Bitmaps keep the depth they were declared with (GetBitmapDeclaredBits).
HBITMAP LoadBmp(const void* data, size_t size);
// Writes 1, 24 or 32 bits per pixel (0: the bitmap's declared depth; 4 and 8 are written as 24).
Bytes SaveBmp(HBITMAP bitmap, int bitsPerPixel = 0);

HBITMAP LoadJpeg(const void* data, size_t size);
Bytes SaveJpeg(HBITMAP bitmap, int quality = 90, bool grayscale = false);

HBITMAP LoadPng(const void* data, size_t size);
Bytes SavePng(HBITMAP bitmap);

struct IconImage {
    HBITMAP Image = nullptr; // premultiplied alpha: transparent where the icon's mask says so
    int Width = 0, Height = 0, BitCount = 0;
};
// Every image of an icon (or cursor) file, in file order.
std::vector<IconImage> LoadIco(const void* data, size_t size);
