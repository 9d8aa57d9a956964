// Icons: icon objects made from a mask and a colour image, copied, taken apart again, drawn
// through their transparency, and the standard icons, which are drawn here as shapes at whatever
// size they are shown.

#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/ImageFiles.h"
#include "platform/win/WindowInternal.h"

#include "platform/rtl/Resources.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>

// The object behind an HICON. The image is an ARGB32 surface with premultiplied alpha:
// transparent pixels are 0.
struct HICON__ {
    TOwnedSurface Image; // one reference; copies of the icon hold their own
    bool IsIcon = true;
    DWORD HotX = 0, HotY = 0;
    bool Shared = false;         // from LoadIcon: lives as long as the program
    std::uintptr_t Standard = 0; // an IDI_ icon, drawn afresh at each size
};

using namespace gdi;

namespace {

std::set<HICON>& LiveIcons()
{
    static std::set<HICON> live;
    return live;
}

std::map<std::string, std::unique_ptr<HICON__>>& SharedIcons()
{
    static std::map<std::string, std::unique_ptr<HICON__>> shared;
    return shared;
}

HICON__* Icon(HICON h)
{
    return h && LiveIcons().count(h) ? h : nullptr;
}

HICON Register(std::unique_ptr<HICON__> icon)
{
    HICON h = icon.release();
    LiveIcons().insert(h);
    return h;
}

int Width(cairo_surface_t* s)
{
    return cairo_image_surface_get_width(s);
}
int Height(cairo_surface_t* s)
{
    return cairo_image_surface_get_height(s);
}
std::uint32_t* Row(cairo_surface_t* s, int y)
{
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                            y * cairo_image_surface_get_stride(s));
}

cairo_surface_t* NewImage(int w, int h)
{
    TOwnedSurface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(w, 1), std::max(h, 1)));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return s.release();
}

// ---- The standard icons ----------------------------------------------------------------------

void Circle(cairo_t* cr, double r, double g, double b)
{
    cairo_arc(cr, 16, 16, 14.5, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, r, g, b);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, r * 0.6, g * 0.6, b * 0.6);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Dot(cairo_t* cr, double x, double y, double radius)
{
    cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
    cairo_fill(cr);
}

void Bar(cairo_t* cr, double x0, double y0, double x1, double y1, double width)
{
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

// Paints a standard icon on a 32 × 32 design grid (scaled by the caller).
void PaintStandard(cairo_t* cr, std::uintptr_t id)
{
    switch (id) {
    case IDI_ERROR:
        Circle(cr, 0.82, 0.13, 0.13);
        cairo_set_source_rgb(cr, 1, 1, 1);
        Bar(cr, 10.5, 10.5, 21.5, 21.5, 3.5);
        Bar(cr, 21.5, 10.5, 10.5, 21.5, 3.5);
        break;
    case IDI_QUESTION:
        Circle(cr, 0.13, 0.38, 0.82);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 3.2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_arc(cr, 16, 12.5, 4.8, M_PI, 2.35 * M_PI);
        cairo_line_to(cr, 16, 19);
        cairo_stroke(cr);
        Dot(cr, 16, 24, 2);
        break;
    case IDI_WARNING:
        cairo_move_to(cr, 16, 2.5);
        cairo_line_to(cr, 30, 28.5);
        cairo_line_to(cr, 2, 28.5);
        cairo_close_path(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_source_rgb(cr, 0.96, 0.78, 0.13);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.45, 0.35, 0.05);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        Bar(cr, 16, 11, 16, 19.5, 3.5);
        Dot(cr, 16, 24.5, 2);
        break;
    case IDI_INFORMATION:
        Circle(cr, 0.13, 0.38, 0.82);
        cairo_set_source_rgb(cr, 1, 1, 1);
        Dot(cr, 16, 9, 2.3);
        Bar(cr, 16, 14, 16, 24, 3.5);
        break;
    case IDI_WINLOGO: {
        const double colours[4][3] = {{0.9, 0.25, 0.1}, {0.45, 0.75, 0.1}, {0.1, 0.55, 0.9}, {1, 0.75, 0.1}};
        for (int i = 0; i < 4; ++i) {
            cairo_rectangle(cr, 3 + (i % 2) * 13.5, 3 + (i / 2) * 13.5, 12.5, 12.5);
            cairo_set_source_rgb(cr, colours[i][0], colours[i][1], colours[i][2]);
            cairo_fill(cr);
        }
        break;
    }
    case IDI_SHIELD:
        cairo_move_to(cr, 16, 2);
        cairo_line_to(cr, 28, 6);
        cairo_curve_to(cr, 28, 18, 23, 26, 16, 30);
        cairo_curve_to(cr, 9, 26, 4, 18, 4, 6);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.13, 0.38, 0.82);
        cairo_fill_preserve(cr);
        cairo_clip(cr);
        cairo_rectangle(cr, 16, 0, 16, 16);
        cairo_rectangle(cr, 0, 16, 16, 16);
        cairo_set_source_rgb(cr, 0.96, 0.78, 0.13);
        cairo_fill(cr);
        cairo_reset_clip(cr);
        break;
    default: // IDI_APPLICATION: a window with a title bar
        cairo_rectangle(cr, 2.5, 4.5, 27, 23);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_rectangle(cr, 3, 5, 26, 5);
        cairo_set_source_rgb(cr, 0.13, 0.38, 0.82);
        cairo_fill(cr);
        break;
    }
}

cairo_surface_t* RenderStandard(std::uintptr_t id, int w, int h)
{
    cairo_surface_t* s = NewImage(w, h);
    if (!s)
        return nullptr;
    {
        TOwnedCairo cr(cairo_create(s));
        cairo_scale(cr.get(), w / 32.0, h / 32.0);
        PaintStandard(cr.get(), id);
    }
    cairo_surface_flush(s);
    return s;
}

bool IsStandardId(std::uintptr_t id)
{
    return id >= IDI_APPLICATION && id <= IDI_SHIELD;
}

// ---- Building and taking apart ---------------------------------------------------------------

bool MaskBit(cairo_surface_t* mask, int x, int y)
{
    if (x >= Width(mask) || y >= Height(mask))
        return false;
    return (Row(mask, y)[x] & 0xFFFFFF) != 0;
}

// A copy of the colour image with the transparency of the mask (or of its own alpha).
cairo_surface_t* Combine(cairo_surface_t* colour, int declaredBits, cairo_surface_t* mask)
{
    int w = colour ? Width(colour) : Width(mask);
    int h = colour ? Height(colour) : Height(mask) / 2;
    if (w <= 0 || h <= 0)
        return nullptr;
    cairo_surface_t* out = NewImage(w, h);
    if (!out)
        return nullptr;
    cairo_surface_flush(mask);
    if (colour)
        cairo_surface_flush(colour);
    // A 32-bit image carries its own transparency when any pixel is less than opaque (bitmaps
    // drawn with GDI calls are opaque throughout, and then the mask decides).
    bool alpha = false;
    if (colour && declaredBits == 32 && cairo_image_surface_get_format(colour) == CAIRO_FORMAT_ARGB32)
        for (int y = 0; y < h && !alpha; ++y)
            for (int x = 0; x < w && !alpha; ++x)
                alpha = (Row(colour, y)[x] >> 24) != 0xFF;
    for (int y = 0; y < h; ++y) {
        std::uint32_t* o = Row(out, y);
        for (int x = 0; x < w; ++x) {
            if (!colour) {
                // AND mask over XOR image: AND set leaves the background (an inverting pixel
                // is shown black), AND clear shows the XOR colour.
                bool andBit = MaskBit(mask, x, y), xorBit = MaskBit(mask, x, y + h);
                o[x] = andBit && !xorBit ? 0 : (xorBit && !andBit ? 0xFFFFFFFFu : 0xFF000000u);
                continue;
            }
            std::uint32_t c = Row(colour, y)[x];
            if (alpha) {
                // Premultiplied: no channel above the alpha.
                std::uint32_t a = c >> 24;
                std::uint32_t r = std::min((c >> 16) & 0xFF, a), g = std::min((c >> 8) & 0xFF, a),
                              b = std::min(c & 0xFF, a);
                o[x] = (a << 24) | (r << 16) | (g << 8) | b;
            } else {
                o[x] = MaskBit(mask, x, y) ? 0 : (0xFF000000u | (c & 0xFFFFFF));
            }
        }
    }
    cairo_surface_mark_dirty(out);
    return out;
}

// ---- Drawing --------------------------------------------------------------------------------

// Composites the image over the DC's pixels in a device rectangle (extents may be negative for
// mirroring), nearest pixel, inside the DC's clip.
void CompositeImage(DeviceContext& dc, cairo_surface_t* img, const RECT& dest)
{
    int x0 = std::min(dest.Left, dest.Right), x1 = std::max(dest.Left, dest.Right);
    int y0 = std::min(dest.Top, dest.Bottom), y1 = std::max(dest.Top, dest.Bottom);
    Region area = ClipShape(dc, Region(RECT{x0, y0, x1, y1}));
    if (area.Empty())
        return;
    if (dc.TrackBounds) {
        TrackBox(dc, area.Box());
        return;
    }
    int dw = dest.Right - dest.Left, dh = dest.Bottom - dest.Top;
    int sw = Width(img), sh = Height(img);
    cairo_surface_flush(img);
    PixelAccess px(dc);
    if (!px.Valid()) {
        // Printer pages: cairo composites the image itself.
        TOwnedCairo context(cairo_create(dc.Surface));
        cairo_t* cr = context.get();
        cairo_translate(cr, dc.Origin.X, dc.Origin.Y);
        for (const TRect& t : area.Rects())
            cairo_rectangle(cr, t.Left, t.Top, t.Width(), t.Height());
        cairo_clip(cr);
        cairo_translate(cr, dest.Left, dest.Top);
        cairo_scale(cr, double(dw) / sw, double(dh) / sh);
        cairo_set_source_surface(cr, img, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        return;
    }
    for (const auto& band : area.GetBands())
        for (int y = band.Top; y < band.Bottom; ++y) {
            std::uint32_t* row = px.Row(y);
            int sy = std::clamp(int(std::floor((y - dest.Top + 0.5) / dh * sh)), 0, sh - 1);
            const std::uint32_t* src = Row(img, sy);
            for (auto [bx0, bx1] : band.Xs)
                for (int x = bx0; x < bx1; ++x) {
                    int sx = std::clamp(int(std::floor((x - dest.Left + 0.5) / dw * sw)), 0, sw - 1);
                    std::uint32_t s = src[sx], a = s >> 24;
                    if (a == 0)
                        continue;
                    std::uint32_t d = row[x], out = 0;
                    for (int shift = 0; shift <= 16; shift += 8) {
                        std::uint32_t sc = (s >> shift) & 0xFF, dc8 = (d >> shift) & 0xFF;
                        std::uint32_t v = sc + (dc8 * (255 - a) + 127) / 255;
                        out |= std::min(v, 255u) << shift;
                    }
                    row[x] = 0xFF000000u | out;
                }
        }
}

// The icon's image at a size: standard icons are drawn afresh, others are the image itself.
cairo_surface_t* ImageFor(const HICON__& icon, int w, int h)
{
    if (icon.Standard && (Width(icon.Image.get()) != w || Height(icon.Image.get()) != h) && w > 0 && h > 0 &&
        std::int64_t(w) * h <= (std::int64_t(1) << 22))
        if (cairo_surface_t* s = RenderStandard(icon.Standard, w, h))
            return s;
    return cairo_surface_reference(icon.Image.get());
}

// A bitmap of the icon's mask (declared one bit: white where transparent) or of its colour image
// (black where transparent, with the image's alpha).
HBITMAP MaskBitmap(cairo_surface_t* img)
{
    int w = Width(img), h = Height(img);
    HBITMAP b = CreateBitmap(w, h, 1, 1, nullptr);
    if (!b)
        return nullptr;
    cairo_surface_t* s = GetBitmapSurface(b);
    cairo_surface_flush(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Row(s, y)[x] = (Row(img, y)[x] >> 24) ? 0xFF000000u : 0xFFFFFFFFu;
    cairo_surface_mark_dirty(s);
    return b;
}

HBITMAP ColourBitmap(cairo_surface_t* img)
{
    int w = Width(img), h = Height(img);
    HBITMAP b = CreateBitmap(w, h, 1, 32, nullptr);
    if (!b)
        return nullptr;
    cairo_surface_t* s = GetBitmapSurface(b);
    cairo_surface_flush(s);
    for (int y = 0; y < h; ++y)
        std::copy_n(Row(img, y), w, Row(s, y));
    cairo_surface_mark_dirty(s);
    return b;
}

// Draws one of the icon's parts with a raster operation, through a memory DC, so that recording
// and printer DCs take it like any blit. The part is deleted afterwards.
void BlitPart(HDC hdc, int x, int y, int w, int h, HBITMAP part, DWORD rop)
{
    const TOwnedBitmap owned(part);
    if (!part)
        return;
    const TOwnedDC mem(CreateCompatibleDC(nullptr));
    const TSelectObject selected(mem.get(), part);
    cairo_surface_t* s = GetBitmapSurface(part);
    StretchBlt(hdc, x, y, w, h, mem.get(), 0, 0, Width(s), Height(s), rop);
}

} // namespace

HICON CreateIconIndirect(const ICONINFO* info)
{
    if (!info || !info->hbmMask)
        return nullptr;
    cairo_surface_t* mask = GetBitmapSurface(info->hbmMask);
    cairo_surface_t* colour = info->hbmColor ? GetBitmapSurface(info->hbmColor) : nullptr;
    if (!mask || (info->hbmColor && !colour))
        return nullptr;
    cairo_surface_t* img = Combine(colour, colour ? GetBitmapDeclaredBits(info->hbmColor) : 1, mask);
    if (!img)
        return nullptr;
    auto icon = std::make_unique<HICON__>();
    icon->Image.reset(img);
    icon->IsIcon = info->fIcon != FALSE;
    icon->HotX = info->fIcon ? DWORD(Width(img) / 2) : info->xHotspot;
    icon->HotY = info->fIcon ? DWORD(Height(img) / 2) : info->yHotspot;
    return Register(std::move(icon));
}

HICON CopyIcon(HICON h)
{
    HICON__* from = Icon(h);
    if (!from)
        return nullptr;
    auto icon = std::make_unique<HICON__>();
    icon->Image.reset(cairo_surface_reference(from->Image.get())); // images are never changed once made
    icon->IsIcon = from->IsIcon;
    icon->HotX = from->HotX;
    icon->HotY = from->HotY;
    icon->Standard = from->Standard;
    return Register(std::move(icon));
}

BOOL DestroyIcon(HICON h)
{
    HICON__* icon = Icon(h);
    if (!icon || icon->Shared)
        return FALSE;
    LiveIcons().erase(h);
    delete icon;
    return TRUE;
}

BOOL GetIconInfo(HICON h, ICONINFO* info)
{
    HICON__* icon = Icon(h);
    if (!icon || !info)
        return FALSE;
    cairo_surface_flush(icon->Image.get());
    info->fIcon = icon->IsIcon ? TRUE : FALSE;
    info->xHotspot = icon->HotX;
    info->yHotspot = icon->HotY;
    // Both bitmaps go to the caller, or neither does.
    TOwnedBitmap mask(MaskBitmap(icon->Image.get()));
    TOwnedBitmap colour(ColourBitmap(icon->Image.get()));
    if (!mask || !colour) {
        info->hbmMask = info->hbmColor = nullptr;
        return FALSE;
    }
    info->hbmMask = mask.release();
    info->hbmColor = colour.release();
    return TRUE;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON h, int width, int height, UINT, HBRUSH flickerFreeBrush,
                UINT flags)
{
    HICON__* icon = Icon(h);
    if (!icon || !IsLiveDC(hdc) || !(flags & DI_NORMAL))
        return FALSE;
    if (width == 0)
        width = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : Width(icon->Image.get());
    if (height == 0)
        height = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : Height(icon->Image.get());
    if (flickerFreeBrush) {
        RECT r{x, y, x + width, y + height};
        FillRect(hdc, &r, flickerFreeBrush);
    }
    POINT a = ToDeviceRounded(*hdc, x, y), b = ToDeviceRounded(*hdc, double(x) + width, double(y) + height);
    TOwnedSurface image(ImageFor(*icon, std::abs(b.X - a.X), std::abs(b.Y - a.Y)));
    cairo_surface_t* img = image.get();
    cairo_surface_flush(img);
    if ((flags & DI_NORMAL) == DI_NORMAL && !hdc->Recorder) {
        if (HasPixels(*hdc))
            CompositeImage(*hdc, img, RECT{a.X, a.Y, b.X, b.Y});
    } else {
        // A part alone, or a recording: the mask clears what the icon covers, the image is
        // laid into it.
        if (flags & DI_MASK)
            BlitPart(hdc, x, y, width, height, MaskBitmap(img), SRCAND);
        if (flags & DI_IMAGE)
            BlitPart(hdc, x, y, width, height, ColourBitmap(img), (flags & DI_MASK) ? SRCINVERT : SRCCOPY);
    }
    return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon)
{
    return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

HICON LoadIcon(HINSTANCE instance, const char* name)
{
    if (!name)
        return nullptr;
    std::uintptr_t id = IS_INTRESOURCE(name) ? reinterpret_cast<std::uintptr_t>(name) : 0;
    bool standard = !instance && id && IsStandardId(id);
    std::string key = standard ? "#sys" + std::to_string(id)
                      : id     ? "#" + std::to_string(id)
                               : std::string(name);
    // Resource names compare without regard to ASCII case: one icon per resource.
    for (char& ch : key)
        if (ch >= 'a' && ch <= 'z')
            ch = char(ch - 'a' + 'A');
    auto& shared = SharedIcons();
    if (auto it = shared.find(key); it != shared.end())
        return it->second.get();
    auto icon = std::make_unique<HICON__>();
    icon->Shared = true;
    int want = GetSystemMetrics(SM_CXICON);
    if (standard) {
        icon->Standard = id;
        icon->Image.reset(RenderStandard(id, want, want));
    } else {
        if (!instance && id)
            return nullptr;
        const TEmbeddedResource* res =
            id ? FindEmbeddedResource(key, "ICON") : FindEmbeddedResource(name, "ICON");
        if (!res && id)
            res = FindEmbeddedResource(std::to_string(id), "ICON");
        if (!res)
            return nullptr;
        std::vector<IconImage> images;
        try {
            images = LoadIco(res->Data, res->Size);
        } catch (const EInvalidGraphic&) {
            return nullptr; // a damaged resource loads nothing
        }
        // Only the pixels of the chosen image are kept: every bitmap goes with this scope.
        std::vector<TOwnedBitmap> owned;
        for (const IconImage& i : images)
            owned.emplace_back(i.Image);
        if (images.empty())
            return nullptr;
        // The image nearest the system icon size, the deepest of equal sizes.
        size_t best = 0;
        auto score = [&](const IconImage& i) { return std::abs(i.Width - want) + std::abs(i.Height - want); };
        for (size_t i = 1; i < images.size(); ++i)
            if (score(images[i]) < score(images[best]) ||
                (score(images[i]) == score(images[best]) && images[i].BitCount > images[best].BitCount))
                best = i;
        cairo_surface_t* s = GetBitmapSurface(images[best].Image);
        icon->Image.reset(s ? NewImage(Width(s), Height(s)) : nullptr);
        if (cairo_surface_t* image = icon->Image.get()) {
            cairo_surface_flush(s);
            bool opaqueFormat = cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32;
            for (int y = 0; y < Height(s); ++y)
                for (int x = 0; x < Width(s); ++x)
                    Row(image, y)[x] = Row(s, y)[x] | (opaqueFormat ? 0xFF000000u : 0u);
            cairo_surface_mark_dirty(image);
        }
    }
    if (!icon->Image)
        return nullptr;
    icon->HotX = DWORD(Width(icon->Image.get()) / 2);
    icon->HotY = DWORD(Height(icon->Image.get()) / 2);
    HICON h = icon.get();
    LiveIcons().insert(h);
    shared[key] = std::move(icon);
    return h;
}
