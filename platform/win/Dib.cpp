// Device-independent bitmaps: pixel rows of 1 to 32 bits, palettes, bit fields and run-length
// compression, decoded into 32-bit surfaces. Every read is checked against the data given.

#include "platform/win/Dib.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"

#include <algorithm>
#include <cstring>

namespace gdi {

namespace {

int MaskShift(DWORD m)
{
    int s = 0;
    while (m && !(m & 1)) {
        m >>= 1;
        ++s;
    }
    return s;
}

int MaskBits(DWORD m)
{
    m >>= MaskShift(m);
    int n = 0;
    while (m & 1) {
        m >>= 1;
        ++n;
    }
    return n;
}

BYTE Expand(DWORD v, DWORD mask)
{
    if (!mask)
        return 0;
    int bits = MaskBits(mask);
    v = (v & mask) >> MaskShift(mask);
    if (bits >= 8)
        return BYTE(v >> (bits - 8));
    // Spread the few bits over the byte (5 bits: 31 → 255).
    DWORD out = 0;
    for (int filled = 0; filled < 8; filled += bits)
        out = (out << bits) | v;
    return BYTE(out >> (bits * ((8 + bits - 1) / bits) - 8));
}

} // namespace

cairo_surface_t* DecodeDib(const DibDescription& d, const std::uint8_t* bits, size_t size, std::string* error)
{
    auto fail = [&](const char* why) -> cairo_surface_t* {
        if (error)
            *error = why;
        return nullptr;
    };
    const BITMAPINFOHEADER& h = d.Header;
    int width = h.biWidth;
    std::int64_t height64 = h.biHeight < 0 ? -std::int64_t(h.biHeight) : h.biHeight;
    if (width <= 0 || height64 <= 0 || width > MaxDibSide || height64 > MaxDibSide ||
        std::int64_t(width) * height64 > MaxDibPixels)
        return fail("Invalid bitmap size");
    int height = int(height64);
    int bpp = h.biBitCount;
    DWORD comp = h.biCompression;
    bool rle = comp == BI_RLE8 || comp == BI_RLE4;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return fail("Unsupported bitmap depth");
    if (!(comp == BI_RGB || (comp == BI_BITFIELDS && (bpp == 16 || bpp == 32)) ||
          (comp == BI_RLE8 && bpp == 8) || (comp == BI_RLE4 && bpp == 4)))
        return fail("Unsupported bitmap compression");
    if (rle && h.biHeight < 0)
        return fail("Invalid bitmap: compressed rows must be bottom-up");
    DWORD rm = 0x00FF0000, gm = 0x0000FF00, bm = 0x000000FF;
    if (bpp == 16) {
        rm = 0x7C00;
        gm = 0x03E0;
        bm = 0x001F;
    }
    if (comp == BI_BITFIELDS) {
        rm = d.Masks[0];
        gm = d.Masks[1];
        bm = d.Masks[2];
    }
    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        size_t count = h.biClrUsed ? std::min<size_t>(h.biClrUsed, size_t(1) << bpp) : size_t(1) << bpp;
        count = std::min(count, d.PaletteBytes / d.PaletteEntrySize);
        for (size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = d.Palette + i * d.PaletteEntrySize;
            palette.push_back((std::uint32_t(e[2]) << 16) | (std::uint32_t(e[1]) << 8) | e[0]);
        }
    }
    auto color = [&](unsigned index) { return index < palette.size() ? palette[index] : 0u; };

    TOwnedSurface owned(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cairo_surface_t* s = owned.get();
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
        return fail("Out of memory for bitmap");
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    bool bottomUp = h.biHeight > 0;
    auto out = [&](int row, int x) -> std::uint32_t& {
        int y = bottomUp ? height - 1 - row : row;
        return reinterpret_cast<std::uint32_t*>(data + y * stride)[x];
    };
    for (int y = 0; y < height; ++y)
        std::fill_n(reinterpret_cast<std::uint32_t*>(data + y * stride), width, 0xFF000000u);

    if (rle) {
        // Runs: (count, index) pairs; escapes 0 (end of line), 1 (end of bitmap), 2 (delta), n (n literal).
        size_t p = 0;
        int x = 0, row = 0;
        auto put = [&](unsigned index) {
            if (x < width && row < height)
                out(row, x) = 0xFF000000u | color(index);
            ++x;
        };
        while (p + 1 < size && row < height) {
            unsigned a = bits[p], b = bits[p + 1];
            p += 2;
            if (a > 0) {
                for (unsigned i = 0; i < a && x < width; ++i)
                    put(comp == BI_RLE8 ? b : (i % 2 ? (b & 0xF) : (b >> 4)));
                continue;
            }
            if (b == 0) {
                x = 0;
                ++row;
            } else if (b == 1) {
                break;
            } else if (b == 2) {
                if (p + 1 >= size)
                    break;
                x += bits[p];
                row += bits[p + 1];
                p += 2;
            } else {
                size_t bytes = comp == BI_RLE8 ? b : (b + 1) / 2;
                if (p + bytes > size)
                    break;
                for (unsigned i = 0; i < b; ++i)
                    put(comp == BI_RLE8 ? bits[p + i]
                                        : (i % 2 ? (bits[p + i / 2] & 0xF) : (bits[p + i / 2] >> 4)));
                p += (bytes + 1) & ~size_t(1); // literal runs are word-aligned
            }
        }
    } else {
        size_t rowBytes = ((size_t(width) * bpp + 31) / 32) * 4;
        if (rowBytes * size_t(height) > size)
            return fail("Bitmap data is truncated");
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* r = bits + rowBytes * size_t(row);
            for (int x = 0; x < width; ++x) {
                std::uint32_t c = 0;
                switch (bpp) {
                case 1:
                    c = color((r[x / 8] >> (7 - x % 8)) & 1);
                    break;
                case 4:
                    c = color((r[x / 2] >> (x % 2 ? 0 : 4)) & 0xF);
                    break;
                case 8:
                    c = color(r[x]);
                    break;
                case 16: {
                    DWORD v = r[x * 2] | (r[x * 2 + 1] << 8);
                    c = (std::uint32_t(Expand(v, rm)) << 16) | (std::uint32_t(Expand(v, gm)) << 8) |
                        Expand(v, bm);
                    break;
                }
                case 24:
                    c = (std::uint32_t(r[x * 3 + 2]) << 16) | (std::uint32_t(r[x * 3 + 1]) << 8) | r[x * 3];
                    break;
                case 32: {
                    DWORD v = DWORD(r[x * 4]) | (DWORD(r[x * 4 + 1]) << 8) | (DWORD(r[x * 4 + 2]) << 16) |
                              (DWORD(r[x * 4 + 3]) << 24);
                    c = (std::uint32_t(Expand(v, rm)) << 16) | (std::uint32_t(Expand(v, gm)) << 8) |
                        Expand(v, bm);
                    if (d.KeepAlpha) {
                        // Premultiplied, as the surface stores it.
                        std::uint32_t a = r[x * 4 + 3];
                        c = (a << 24) | ((((c >> 16) & 0xFF) * a / 255) << 16) |
                            ((((c >> 8) & 0xFF) * a / 255) << 8) | ((c & 0xFF) * a / 255);
                        out(row, x) = c;
                        continue;
                    }
                    break;
                }
                }
                out(row, x) = 0xFF000000u | c;
            }
        }
    }
    cairo_surface_mark_dirty(s);
    return owned.release();
}

cairo_surface_t* SurfaceFromDib(const BITMAPINFO* info, const void* bits, UINT usage, int* declared)
{
    if (!info || !bits)
        return nullptr;
    DibDescription d;
    d.Header = info->bmiHeader;
    const auto* base = reinterpret_cast<const std::uint8_t*>(info);
    DWORD headerSize = std::max<DWORD>(info->bmiHeader.biSize, 40);
    if (headerSize > 124)
        return nullptr;
    if (d.Header.biCompression == BI_BITFIELDS) {
        if (headerSize >= 52)
            std::memcpy(d.Masks, base + 40, 12);
        else
            std::memcpy(d.Masks, base + headerSize, 12);
    }
    int bpp = d.Header.biBitCount;
    d.Palette = base + headerSize;
    size_t colours = bpp <= 8 ? size_t(1) << bpp : 0;
    if (bpp <= 8 && d.Header.biClrUsed > 0 && d.Header.biClrUsed < colours)
        colours = d.Header.biClrUsed;
    d.PaletteBytes = colours * 4;
    int width = d.Header.biWidth;
    std::int64_t height = d.Header.biHeight < 0 ? -std::int64_t(d.Header.biHeight) : d.Header.biHeight;
    size_t size =
        (d.Header.biCompression == BI_RLE8 || d.Header.biCompression == BI_RLE4)
            ? d.Header.biSizeImage
            : ((size_t(std::max(width, 0)) * bpp + 31) / 32) * 4 * size_t(std::max<std::int64_t>(height, 0));
    if (declared)
        *declared = bpp;
    return DecodeDib(d, static_cast<const std::uint8_t*>(bits), size, nullptr);
}

} // namespace gdi
