// The headless stand-in for the desktop's file icons.

#include "platform/backend/headless/Headless.h"

#include "platform/win/Gdi.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

HBITMAP HeadlessBackend::FileTypeIcon(const std::string& fileName, int size)
{
    if (size <= 0 || size > 256)
        return nullptr;
    std::string ending;
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t dot = fileName.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        ending = fileName.substr(dot + 1);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    // FNV-1a of the ending picks the colour.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : ending)
        hash = (hash ^ c) * 16777619u;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, ((hash >> 16) & 0xFF) / 255.0, ((hash >> 8) & 0xFF) / 255.0,
                         (hash & 0xFF) / 255.0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, size - 1, size - 1);
    cairo_stroke(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    HBITMAP bitmap = CreateBitmapFromSurface(surface);
    cairo_surface_destroy(surface);
    return bitmap;
}
