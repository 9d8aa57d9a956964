// BMP files: the file header, any of the info headers (core, 40, 52, 56, 108, 124 bytes),
// palettes, bit fields and run-length data on reading; 1, 24 or 32 bits on writing.

#include "platform/win/Dib.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/ImageFiles.h"

#include <cstring>

namespace {

const char* const SInvalidBitmap = "Bitmap image is not valid";

std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

[[noreturn]] void Invalid(const std::string& why = {})
{
    throw EInvalidGraphic(why.empty() ? SInvalidBitmap : std::string(SInvalidBitmap) + ": " + why);
}

} // namespace

HBITMAP LoadBmp(const void* data, size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (!p || size < 14 + 12 || p[0] != 'B' || p[1] != 'M')
        Invalid();
    std::uint32_t offBits = U32(p + 10);
    std::uint32_t headerSize = U32(p + 14);
    if (headerSize != 12 && headerSize != 16 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 64 && headerSize != 108 && headerSize != 124)
        Invalid("unknown header");
    if (14 + size_t(headerSize) > size)
        Invalid("truncated header");
    const std::uint8_t* h = p + 14;
    gdi::DibDescription d;
    size_t tableStart = 14 + headerSize;
    if (headerSize == 12) {
        d.Header.biWidth = U16(h + 4);
        d.Header.biHeight = std::int16_t(U16(h + 6));
        d.Header.biPlanes = U16(h + 8);
        d.Header.biBitCount = U16(h + 10);
        d.PaletteEntrySize = 3;
    } else {
        d.Header.biWidth = std::int32_t(U32(h + 4));
        d.Header.biHeight = std::int32_t(U32(h + 8));
        d.Header.biPlanes = U16(h + 12);
        d.Header.biBitCount = U16(h + 14);
        if (headerSize >= 40) {
            d.Header.biCompression = U32(h + 16);
            d.Header.biSizeImage = U32(h + 20);
            d.Header.biClrUsed = U32(h + 32);
        }
        if (d.Header.biCompression == BI_BITFIELDS) {
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i)
                    d.Masks[i] = U32(h + 40 + 4 * i);
            } else {
                if (tableStart + 12 > size)
                    Invalid("truncated masks");
                for (int i = 0; i < 3; ++i)
                    d.Masks[i] = U32(p + tableStart + 4 * i);
                tableStart += 12;
            }
        }
    }
    if (d.Header.biPlanes != 1)
        Invalid("planes");
    if (d.Header.biCompression == BI_JPEG || d.Header.biCompression == BI_PNG)
        Invalid("embedded compressed images are not supported");
    if (offBits == 0)
        offBits = std::uint32_t(tableStart + (d.Header.biBitCount <= 8
                                                  ? (size_t(1) << d.Header.biBitCount) * d.PaletteEntrySize
                                                  : 0));
    if (offBits < tableStart || offBits > size)
        Invalid("pixel data outside the file");
    d.Palette = p + tableStart;
    d.PaletteBytes = offBits - tableStart;
    std::string error;
    TOwnedSurface s(gdi::DecodeDib(d, p + offBits, size - offBits, &error));
    if (!s)
        Invalid(error);
    HBITMAP bmp = CreateBitmapFromSurface(s.get());
    bmp->DeclaredBits = d.Header.biBitCount;
    return bmp;
}

Bytes SaveBmp(HBITMAP hbm, int bpp)
{
    auto* bmp = gdi::As<GdiBitmap>(hbm, OBJ_BITMAP);
    if (!bmp)
        throw EInvalidGraphic(SInvalidBitmap);
    if (bpp == 0)
        bpp = bmp->DeclaredBits;
    if (bpp != 1 && bpp != 32)
        bpp = 24;
    int w = bmp->Width(), h = bmp->Height();
    std::uint32_t rowBytes = std::uint32_t(((w * bpp + 31) / 32) * 4);
    std::uint32_t paletteBytes = bpp == 1 ? 8 : 0;
    std::uint32_t offBits = 14 + 40 + paletteBytes;
    Bytes b;
    b.reserve(offBits + size_t(rowBytes) * h);
    b.push_back('B');
    b.push_back('M');
    Put32(b, offBits + rowBytes * std::uint32_t(h));
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, 40);
    Put32(b, std::uint32_t(w));
    Put32(b, std::uint32_t(h)); // bottom-up, as most readers expect
    Put16(b, 1);
    Put16(b, std::uint32_t(bpp));
    Put32(b, BI_RGB);
    Put32(b, rowBytes * std::uint32_t(h));
    Put32(b, 3780); // 96 dpi in pixels per metre
    Put32(b, 3780);
    Put32(b, bpp == 1 ? 2 : 0);
    Put32(b, 0);
    if (bpp == 1) {
        Put32(b, 0x000000);
        Put32(b, 0xFFFFFF);
    }
    cairo_surface_flush(bmp->Surface.get());
    const unsigned char* data = cairo_image_surface_get_data(bmp->Surface.get());
    int stride = cairo_image_surface_get_stride(bmp->Surface.get());
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        size_t start = b.size();
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = row[x];
            if (bpp == 1) {
                if (x % 8 == 0)
                    b.push_back(0);
                int lum = ((px >> 16) & 0xFF) * 30 + ((px >> 8) & 0xFF) * 59 + (px & 0xFF) * 11;
                if (lum >= 12800)
                    b.back() |= std::uint8_t(0x80 >> (x % 8));
            } else {
                b.push_back(std::uint8_t(px));
                b.push_back(std::uint8_t(px >> 8));
                b.push_back(std::uint8_t(px >> 16));
                if (bpp == 32)
                    b.push_back(0);
            }
        }
        b.resize(start + rowBytes, 0);
    }
    return b;
}
