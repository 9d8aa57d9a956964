// PNG output of any bitmap or DC surface (snapshots for tests and the headless screen).

#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"

#include <cairo.h>

namespace {

bool WriteSurface(cairo_surface_t* s, const std::string& fileName)
{
    if (!s || cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE)
        return false;
    cairo_surface_flush(s);
    return cairo_surface_write_to_png(s, fileName.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace

bool SaveBitmapToPng(HBITMAP bitmap, const std::string& fileName)
{
    auto* bmp = gdi::As<GdiBitmap>(bitmap, OBJ_BITMAP);
    return bmp && WriteSurface(bmp->Surface.get(), fileName);
}

bool SaveDCToPng(HDC hdc, const std::string& fileName)
{
    if (!gdi::IsLiveDC(hdc) || !hdc->Surface)
        return false;
    if (hdc->Origin.X == 0 && hdc->Origin.Y == 0 && hdc->Bounds.Left == 0 && hdc->Bounds.Top == 0)
        return WriteSurface(hdc->Surface, fileName);
    // A DC on part of a surface (a child window) saves just its part.
    TRect b = gdi::DeviceBounds(*hdc).Box();
    if (b.Width() <= 0 || b.Height() <= 0)
        return false;
    TOwnedSurface part(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, b.Width(), b.Height()));
    {
        TOwnedCairo cr(cairo_create(part.get()));
        cairo_set_source_surface(cr.get(), hdc->Surface, -(b.Left + hdc->Origin.X), -(b.Top + hdc->Origin.Y));
        cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr.get());
    }
    return WriteSurface(part.get(), fileName);
}

// ---- PNG files through libpng ----

#include "platform/win/Dib.h"
#include "platform/win/ImageFiles.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct PngSource {
    const unsigned char* Data;
    size_t Size;
    size_t Pos;
};

void ReadPng(png_structp png, png_bytep out, png_size_t n)
{
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (n > src->Size - src->Pos)
        png_error(png, "truncated data");
    std::memcpy(out, src->Data + src->Pos, n);
    src->Pos += n;
}

void PngWarning(png_structp, png_const_charp) {}

// One decode, owned by DecodePng's frame. ReadImage, the function that calls setjmp, keeps only
// plain pointers into it, so when libpng jumps back out of it no destructor is skipped, and the
// library's structures, the surface and the row table are released however decoding ends.
struct PngReader {
    PngReader() = default;
    ~PngReader()
    {
        if (Png)
            png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr);
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    TOwnedSurface Surface;
    std::vector<png_bytep> Rows;
};

// Reads the image into r->Surface, not yet premultiplied; false with *why on failure.
bool ReadImage(PngReader* r, PngSource* src, const char** why)
{
    png_structp png = r->Png;
    png_infop info = r->Info;
    if (setjmp(png_jmpbuf(png))) {
        *why = "PNG data is damaged";
        return false;
    }
    png_set_user_limits(png, gdi::MaxDibSide, gdi::MaxDibSide);
    png_set_chunk_malloc_max(png, 8 * 1024 * 1024);
    png_set_read_fn(png, src, ReadPng);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (std::int64_t(w) * h > gdi::MaxDibPixels) {
        *why = "image too large";
        return false;
    }
    int colorType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    r->Surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(w), int(h)));
    if (cairo_surface_status(r->Surface.get()) != CAIRO_STATUS_SUCCESS)
        png_error(png, "out of memory");
    unsigned char* data = cairo_image_surface_get_data(r->Surface.get());
    int stride = cairo_image_surface_get_stride(r->Surface.get());
    r->Rows.resize(h); // h is at most MaxDibSide
    for (png_uint_32 y = 0; y < h; ++y)
        r->Rows[y] = data + size_t(y) * stride;
    png_read_image(png, r->Rows.data());
    png_read_end(png, nullptr);
    return true;
}

// Decodes into a new premultiplied surface; nullptr with *why on failure.
cairo_surface_t* DecodePng(PngSource* src, const char** why)
{
    PngReader r;
    r.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    if (!r.Png)
        return nullptr;
    r.Info = png_create_info_struct(r.Png);
    if (!r.Info) {
        *why = "PNG data is damaged";
        return nullptr;
    }
    if (!ReadImage(&r, src, why))
        return nullptr;
    cairo_surface_t* surface = r.Surface.get();
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    // Premultiply, as the surface format wants.
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = row[x], a = p >> 24;
            if (a != 0xFF)
                row[x] = (a << 24) | ((((p >> 16) & 0xFF) * a / 255) << 16) |
                         ((((p >> 8) & 0xFF) * a / 255) << 8) | ((p & 0xFF) * a / 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    return r.Surface.release();
}

cairo_status_t WritePng(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<Bytes*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

namespace gdi {

cairo_surface_t* DecodePngBytes(const void* data, size_t size, const char** why)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!data || size < 8 || std::memcmp(data, signature, 8) != 0) {
        *why = "not a PNG image";
        return nullptr;
    }
    PngSource src{static_cast<const unsigned char*>(data), size, 0};
    return DecodePng(&src, why);
}

} // namespace gdi

HBITMAP LoadPng(const void* data, size_t size)
{
    const char* why = "";
    TOwnedSurface s(gdi::DecodePngBytes(data, size, &why));
    if (!s)
        throw EInvalidGraphic(std::string("PNG image is not valid: ") + why);
    return CreateBitmapFromSurface(s.get());
}

Bytes SavePng(HBITMAP bitmap)
{
    cairo_surface_t* s = GetBitmapSurface(bitmap);
    if (!s)
        throw EInvalidGraphic("PNG image is not valid: no image");
    Bytes out;
    cairo_surface_flush(s);
    if (cairo_surface_write_to_png_stream(s, WritePng, &out) != CAIRO_STATUS_SUCCESS)
        throw EInvalidGraphic("PNG image could not be written");
    return out;
}
