#pragma once

// Decoding of device-independent bitmap pixels (shared by StretchDIBits, BMP files and icons).

#include "platform/win/Gdi.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace gdi {

// Limits for pictures from outside: enough for any real picture, small enough that a forged
// header cannot make us allocate gigabytes.
constexpr int MaxDibSide = 32768;
constexpr std::int64_t MaxDibPixels = std::int64_t(1) << 26;

struct DibDescription {
    BITMAPINFOHEADER Header;
    DWORD Masks[3]{};
    const std::uint8_t* Palette = nullptr;
    size_t PaletteBytes = 0;
    size_t PaletteEntrySize = 4; // 3 in the oldest (core) headers
    bool KeepAlpha = false;      // 32-bit pixels keep their alpha byte (icons)
};

// Decodes the pixel data (size bytes) into a new ARGB32 surface, or returns nullptr with a
// reason in *error.
cairo_surface_t* DecodeDib(const DibDescription& d, const std::uint8_t* bits, size_t size,
                           std::string* error);

} // namespace gdi

namespace gdi {
// Decodes PNG bytes (nullptr with a reason on failure); used for icons holding PNG images.
cairo_surface_t* DecodePngBytes(const void* data, size_t size, const char** why);
} // namespace gdi
