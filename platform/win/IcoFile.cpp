// ICO and CUR files: a directory of images, each a DIB (colour rows followed by a one-bit
// transparency mask, height doubled in the header) or an embedded PNG.

#include "platform/rtl/Guards.h"
#include "platform/win/Dib.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/ImageFiles.h"

#include <cstring>

namespace {

const char* const SInvalidIcon = "Icon image is not valid";

std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

// Decodes one DIB image of an icon with its mask applied; throws on malformed data.
cairo_surface_t* DecodeIconDib(const std::uint8_t* p, size_t size)
{
    if (size < 40)
        throw EInvalidGraphic(SInvalidIcon);
    std::uint32_t headerSize = U32(p);
    if (headerSize < 40 || headerSize > size)
        throw EInvalidGraphic(SInvalidIcon);
    gdi::DibDescription d;
    d.Header.biWidth = std::int32_t(U32(p + 4));
    std::int32_t doubled = std::int32_t(U32(p + 8));
    d.Header.biHeight = doubled / 2; // colour rows, then mask rows
    d.Header.biPlanes = 1;
    d.Header.biBitCount = U16(p + 14);
    d.Header.biCompression = U32(p + 16);
    d.Header.biClrUsed = U32(p + 32);
    if (d.Header.biCompression != BI_RGB || d.Header.biHeight <= 0)
        throw EInvalidGraphic(SInvalidIcon);
    int bpp = d.Header.biBitCount;
    size_t colours = bpp <= 8 ? (d.Header.biClrUsed ? d.Header.biClrUsed : (size_t(1) << bpp)) : 0;
    if (colours > 256 || headerSize + colours * 4 > size)
        throw EInvalidGraphic(SInvalidIcon);
    d.Palette = p + headerSize;
    d.PaletteBytes = colours * 4;
    size_t bitsStart = headerSize + colours * 4;
    int w = d.Header.biWidth, h = d.Header.biHeight;
    if (w <= 0 || w > 1024 || h > 1024)
        throw EInvalidGraphic(SInvalidIcon);
    size_t colourBytes = ((size_t(w) * bpp + 31) / 32) * 4 * size_t(h);
    size_t maskRow = ((size_t(w) + 31) / 32) * 4;
    // 32-bit images with any alpha use it; otherwise the mask decides.
    bool alpha = false;
    if (bpp == 32 && bitsStart + colourBytes <= size)
        for (size_t i = 3; i < colourBytes && !alpha; i += 4)
            alpha = p[bitsStart + i] != 0;
    d.KeepAlpha = alpha;
    std::string error;
    cairo_surface_t* s = gdi::DecodeDib(d, p + bitsStart, size - bitsStart, &error);
    if (!s)
        throw EInvalidGraphic(std::string(SInvalidIcon) + ": " + error);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    const std::uint8_t* mask = p + bitsStart + colourBytes;
    bool haveMask = bitsStart + colourBytes + maskRow * size_t(h) <= size;
    for (int row = 0; row < h; ++row) {
        auto* out = reinterpret_cast<std::uint32_t*>(data + (h - 1 - row) * stride);
        for (int x = 0; x < w; ++x) {
            if (alpha)
                continue; // the image's own alpha rules
            bool transparent = haveMask && (mask[size_t(row) * maskRow + x / 8] & (0x80 >> (x % 8)));
            out[x] = transparent ? 0 : (out[x] | 0xFF000000u);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

} // namespace

std::vector<IconImage> LoadIco(const void* data, size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (!p || size < 6 || U16(p) != 0 || (U16(p + 2) != 1 && U16(p + 2) != 2))
        throw EInvalidGraphic(SInvalidIcon);
    int count = U16(p + 4);
    if (count == 0 || 6 + size_t(count) * 16 > size)
        throw EInvalidGraphic(SInvalidIcon);
    std::vector<IconImage> images;
    // A bad entry after good ones frees the bitmaps already made.
    TScopeExit FreeImages([&images] {
        for (IconImage& img : images)
            DeleteObject(img.Image);
    });
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = p + 6 + i * 16;
        std::uint32_t bytes = U32(e + 8), offset = U32(e + 12);
        if (offset > size || bytes > size - offset || bytes < 8)
            throw EInvalidGraphic(SInvalidIcon);
        TOwnedSurface s;
        const char* why = "";
        if (std::memcmp(p + offset, "\x89PNG", 4) == 0) {
            s.reset(gdi::DecodePngBytes(p + offset, bytes, &why));
            if (!s)
                throw EInvalidGraphic(std::string(SInvalidIcon) + ": " + why);
        } else {
            s.reset(DecodeIconDib(p + offset, bytes));
        }
        IconImage img;
        img.Image = CreateBitmapFromSurface(s.get());
        img.Width = cairo_image_surface_get_width(s.get());
        img.Height = cairo_image_surface_get_height(s.get());
        img.BitCount = U16(e + 6) ? U16(e + 6) : 32;
        images.push_back(img);
    }
    FreeImages.Dismiss();
    return images;
}
