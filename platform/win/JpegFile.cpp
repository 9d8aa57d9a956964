// JPEG through libjpeg-turbo. The library reports errors by calling a handler that must not
// return; ours jumps back to the caller, which then raises EInvalidGraphic. The functions that
// call setjmp hold no C++ objects with destructors, so the jump skips nothing.

#include "platform/win/Dib.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/ImageFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->Message);
    std::longjmp(err->Jump, 1);
}

void OnMessage(j_common_ptr, int) {} // warnings about damaged data are not shown

// Decodes into a new surface; returns nullptr with a message on failure.
cairo_surface_t* Decode(const unsigned char* data, unsigned long size, char* message)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cairo_surface_t* volatile surface = nullptr;
    unsigned char* volatile line = nullptr;
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = OnError;
    err.Base.emit_message = OnMessage;
    err.Message[0] = 0;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (surface)
            cairo_surface_destroy(surface);
        std::free(line);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    // The decoder's own working memory is bounded too.
    cinfo.mem->max_memory_to_use = 256L * 1024 * 1024;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > unsigned(gdi::MaxDibSide) ||
        cinfo.image_height > unsigned(gdi::MaxDibSide) ||
        std::int64_t(cinfo.image_width) * cinfo.image_height > gdi::MaxDibPixels) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(message, JMSG_LENGTH_MAX, "image too large");
        return nullptr;
    }
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    int w = int(cinfo.output_width), h = int(cinfo.output_height);
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        jpeg_destroy_decompress(&cinfo);
        cairo_surface_destroy(surface);
        std::snprintf(message, JMSG_LENGTH_MAX, "out of memory");
        return nullptr;
    }
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (cmyk)
        line = static_cast<unsigned char*>(std::malloc(size_t(w) * 4));
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned y = cinfo.output_scanline;
        unsigned char* row = pixels + size_t(y) * stride;
        JSAMPROW rows[1] = {cmyk ? line : row};
        jpeg_read_scanlines(&cinfo, rows, 1);
        if (cmyk) {
            // Adobe writes CMYK inverted: each byte is already 255 - ink.
            for (int x = 0; x < w; ++x) {
                unsigned c = line[x * 4], m = line[x * 4 + 1], yv = line[x * 4 + 2], k = line[x * 4 + 3];
                row[x * 4] = std::uint8_t(yv * k / 255);
                row[x * 4 + 1] = std::uint8_t(m * k / 255);
                row[x * 4 + 2] = std::uint8_t(c * k / 255);
                row[x * 4 + 3] = 0xFF;
            }
        } else {
            for (int x = 0; x < w; ++x)
                row[x * 4 + 3] = 0xFF;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(line);
    cairo_surface_mark_dirty(surface);
    return surface;
}

bool Encode(cairo_surface_t* s, int quality, bool gray, unsigned char** out, unsigned long* outSize,
            char* message)
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* volatile line = nullptr;
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = OnError;
    err.Base.emit_message = OnMessage;
    if (setjmp(err.Jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(line);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(cairo_image_surface_get_width(s));
    cinfo.image_height = JDIMENSION(cairo_image_surface_get_height(s));
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    if (gray)
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    jpeg_set_quality(&cinfo, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    cairo_surface_flush(s);
    unsigned char* pixels = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {pixels + size_t(cinfo.next_scanline) * stride};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

HBITMAP LoadJpeg(const void* data, size_t size)
{
    if (!data || size < 4 || size > (size_t(1) << 31))
        throw EInvalidGraphic("JPEG error: not a JPEG image");
    char message[JMSG_LENGTH_MAX];
    TOwnedSurface s(
        Decode(static_cast<const unsigned char*>(data), static_cast<unsigned long>(size), message));
    if (!s)
        throw EInvalidGraphic(std::string("JPEG error: ") + message);
    HBITMAP bmp = CreateBitmapFromSurface(s.get());
    bmp->DeclaredBits = 24;
    return bmp;
}

Bytes SaveJpeg(HBITMAP hbm, int quality, bool grayscale)
{
    cairo_surface_t* s = GetBitmapSurface(hbm);
    if (!s)
        throw EInvalidGraphic("JPEG error: no image");
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    char message[JMSG_LENGTH_MAX];
    bool ok = Encode(s, quality, grayscale, &out, &outSize, message);
    Bytes bytes;
    if (ok && out)
        bytes.assign(out, out + outSize);
    std::free(out);
    if (!ok)
        throw EInvalidGraphic(std::string("JPEG error: ") + message);
    return bytes;
}
