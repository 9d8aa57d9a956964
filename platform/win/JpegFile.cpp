// JPEG through libjpeg-turbo. The library reports errors by calling a handler that must not
// return; ours jumps back to the function that called setjmp, which then reports failure and the
// caller raises EInvalidGraphic. Everything a decode or encode holds (the library's state, the
// surface, buffers) lives in a Decoder or Encoder owned by the caller's frame; the function that
// calls setjmp keeps only plain pointers and numbers, so the jump skips no destructor and the
// owners release everything however the work ends.

#include "platform/win/Dib.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/ImageFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// The error manager a decoder or encoder gives the library.
jpeg_error_mgr* Handlers(ErrorManager& err)
{
    jpeg_error_mgr* base = jpeg_std_error(&err.Base);
    err.Base.error_exit = OnError;
    err.Base.emit_message = OnMessage;
    err.Message[0] = 0;
    return base;
}

// One decode: destroying the library's state is safe before it is created (it is zeroed) and
// after it is destroyed.
struct Decoder {
    Decoder() { Info.err = Handlers(Err); }
    ~Decoder() { jpeg_destroy_decompress(&Info); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ErrorManager Err;
    jpeg_decompress_struct Info{};
    TOwnedSurface Surface;
    std::vector<unsigned char> Line; // one CMYK scan line
};

// Decodes into d->Surface; false with d->Err.Message on failure.
bool Decode(Decoder* d, const unsigned char* data, unsigned long size)
{
    j_decompress_ptr cinfo = &d->Info;
    if (setjmp(d->Err.Jump))
        return false;
    jpeg_create_decompress(cinfo);
    // The decoder's own working memory is bounded too.
    cinfo->mem->max_memory_to_use = 256L * 1024 * 1024;
    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
        cinfo->image_width > unsigned(gdi::MaxDibSide) || cinfo->image_height > unsigned(gdi::MaxDibSide) ||
        std::int64_t(cinfo->image_width) * cinfo->image_height > gdi::MaxDibPixels) {
        std::snprintf(d->Err.Message, JMSG_LENGTH_MAX, "image too large");
        return false;
    }
    bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(cinfo);
    int w = int(cinfo->output_width), h = int(cinfo->output_height);
    d->Surface.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    cairo_surface_t* surface = d->Surface.get();
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        std::snprintf(d->Err.Message, JMSG_LENGTH_MAX, "out of memory");
        return false;
    }
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    if (cmyk)
        d->Line.resize(size_t(w) * 4);
    unsigned char* line = d->Line.data();
    while (cinfo->output_scanline < cinfo->output_height) {
        unsigned y = cinfo->output_scanline;
        unsigned char* row = pixels + size_t(y) * stride;
        JSAMPROW rows[1] = {cmyk ? line : row};
        jpeg_read_scanlines(cinfo, rows, 1);
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
    jpeg_finish_decompress(cinfo);
    cairo_surface_mark_dirty(surface);
    return true;
}

// One encode. The library grows the output buffer with malloc; it is the caller's to free.
struct Encoder {
    Encoder() { Info.err = Handlers(Err); }
    ~Encoder()
    {
        jpeg_destroy_compress(&Info);
        std::free(Out);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;
    ErrorManager Err;
    jpeg_compress_struct Info{};
    unsigned char* Out = nullptr;
    unsigned long OutSize = 0;
};

// Encodes into e->Out; false with e->Err.Message on failure.
bool Encode(Encoder* e, cairo_surface_t* s, int quality, bool gray)
{
    j_compress_ptr cinfo = &e->Info;
    if (setjmp(e->Err.Jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &e->Out, &e->OutSize);
    cinfo->image_width = JDIMENSION(cairo_image_surface_get_width(s));
    cinfo->image_height = JDIMENSION(cairo_image_surface_get_height(s));
    cinfo->input_components = 4;
    cinfo->in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(cinfo);
    if (gray)
        jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
    jpeg_set_quality(cinfo, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    cairo_surface_flush(s);
    unsigned char* pixels = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW rows[1] = {pixels + size_t(cinfo->next_scanline) * stride};
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

} // namespace

HBITMAP LoadJpeg(const void* data, size_t size)
{
    if (!data || size < 4 || size > (size_t(1) << 31))
        throw EInvalidGraphic("JPEG error: not a JPEG image");
    Decoder d;
    if (!Decode(&d, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size)))
        throw EInvalidGraphic(std::string("JPEG error: ") + d.Err.Message);
    HBITMAP bmp = CreateBitmapFromSurface(d.Surface.get());
    bmp->DeclaredBits = 24;
    return bmp;
}

Bytes SaveJpeg(HBITMAP hbm, int quality, bool grayscale)
{
    cairo_surface_t* s = GetBitmapSurface(hbm);
    if (!s)
        throw EInvalidGraphic("JPEG error: no image");
    Encoder e;
    if (!Encode(&e, s, quality, grayscale))
        throw EInvalidGraphic(std::string("JPEG error: ") + e.Err.Message);
    return e.Out ? Bytes(e.Out, e.Out + e.OutSize) : Bytes();
}
