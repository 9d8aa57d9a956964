// Pixels and raster operations: binary (ROP2) and ternary codes applied to the pixel values
// of the target surface, pixel reads and writes, and the blits.

#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/MetafileRecording.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gdi {

std::uint32_t ToPixel(COLORREF c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
COLORREF FromPixel(std::uint32_t p)
{
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

// The four bits of (code - 1) give the result for each pen/destination bit pair.
std::uint32_t ApplyRop2(int rop2, std::uint32_t p, std::uint32_t d)
{
    unsigned table = unsigned(rop2 - 1) & 0xF;
    std::uint32_t r = 0;
    if (table & 1)
        r |= ~p & ~d;
    if (table & 2)
        r |= ~p & d;
    if (table & 4)
        r |= p & ~d;
    if (table & 8)
        r |= p & d;
    return r & 0xFFFFFF;
}

// Bit i of the code is the result for pattern bit (i >> 2), source bit (i >> 1 & 1) and
// destination bit (i & 1).
std::uint32_t ApplyRop3(BYTE code, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    switch (code) {
    case 0xCC:
        return s;
    case 0xF0:
        return p;
    case 0x00:
        return 0;
    case 0xFF:
        return 0xFFFFFF;
    default:
        break;
    }
    std::uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (code & (1 << i))
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r & 0xFFFFFF;
}

bool HasPixels(const DeviceContext& dc)
{
    return (dc.Surface != nullptr && dc.Recorder == nullptr) || dc.TrackBounds;
}

void TrackBox(DeviceContext& dc, const TRect& box)
{
    if (box.Right <= box.Left || box.Bottom <= box.Top)
        return;
    TRect& t = dc.Tracked;
    if (t.Right <= t.Left || t.Bottom <= t.Top) {
        t = box;
        return;
    }
    t = {std::min(t.Left, box.Left), std::min(t.Top, box.Top), std::max(t.Right, box.Right),
         std::max(t.Bottom, box.Bottom)};
}

PixelAccess::PixelAccess(DeviceContext& dc)
{
    if (!dc.Surface || cairo_surface_get_type(dc.Surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return;
    Surface = dc.Surface;
    cairo_surface_flush(Surface);
    Data = cairo_image_surface_get_data(Surface);
    Stride = cairo_image_surface_get_stride(Surface);
    OX = dc.Origin.X;
    OY = dc.Origin.Y;
}

PixelAccess::~PixelAccess()
{
    if (Data)
        cairo_surface_mark_dirty(Surface);
}

namespace {

bool HatchBit(int hatch, int x, int y)
{
    switch (hatch) {
    case HS_HORIZONTAL:
        return y == 7;
    case HS_VERTICAL:
        return x == 7;
    case HS_FDIAGONAL:
        return x == y;
    case HS_BDIAGONAL:
        return x + y == 7;
    case HS_CROSS:
        return x == 7 || y == 7;
    case HS_DIAGCROSS:
        return x == y || x + y == 7;
    default:
        return false;
    }
}

int Mod(int a, int m)
{
    return ((a % m) + m) % m;
}

bool IsMonochrome(const DeviceContext& dc)
{
    return dc.Kind == DCKind::Memory && dc.S.Bitmap && dc.S.Bitmap->DeclaredBits == 1;
}

// Colours written to a one-bit bitmap are black or white.
std::uint32_t ToMono(std::uint32_t c)
{
    int lum = ((c >> 16) & 0xFF) * 30 + ((c >> 8) & 0xFF) * 59 + (c & 0xFF) * 11;
    return lum >= 12800 ? 0xFFFFFF : 0;
}

void FillVector(DeviceContext& dc, const Region& r, std::uint32_t color)
{
    TOwnedCairo context(cairo_create(dc.Surface));
    cairo_t* cr = context.get();
    cairo_translate(cr, dc.Origin.X, dc.Origin.Y);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                         (color & 0xFF) / 255.0);
    for (const TRect& t : r.Rects())
        cairo_rectangle(cr, t.Left, t.Top, t.Width(), t.Height());
    cairo_fill(cr);
}

} // namespace

bool Paint::PixelAt(int x, int y, std::uint32_t& c) const
{
    if (Mode == Solid) {
        c = Color;
        return true;
    }
    if (Mode == Function) {
        c = Fn(x, y);
        return true;
    }
    if (Brush->Style == BS_HATCHED) {
        if (HatchBit(Brush->Hatch, Mod(x - Org.X, 8), Mod(y - Org.Y, 8))) {
            c = Fore;
            return true;
        }
        c = Back;
        return !HatchTransparent;
    }
    if (Brush->PatternWidth <= 0 || Brush->PatternHeight <= 0) {
        c = Fore;
        return true;
    }
    std::uint32_t p = Brush->Pattern[size_t(Mod(y - Org.Y, Brush->PatternHeight)) * Brush->PatternWidth +
                                     size_t(Mod(x - Org.X, Brush->PatternWidth))];
    c = Brush->PatternMonochrome ? (p ? Back : Fore) : p;
    return true;
}

bool BrushPaint(const DeviceContext& dc, const GdiBrush* brush, Paint& paint)
{
    if (!brush || brush->Style == BS_NULL)
        return false;
    paint.Org = dc.S.BrushOrg;
    paint.Brush = brush;
    if (brush->Style == BS_SOLID) {
        paint.Mode = Paint::Solid;
        paint.Color = ToPixel(brush->DCBrush ? dc.S.DCBrushColor : brush->Color);
        return true;
    }
    paint.Mode = Paint::Pattern;
    if (brush->Style == BS_HATCHED) {
        paint.Fore = ToPixel(brush->Color);
        paint.Back = ToPixel(dc.S.BkColor);
        paint.HatchTransparent = dc.S.BkMode == TRANSPARENT;
    } else {
        paint.Fore = ToPixel(dc.S.TextColor);
        paint.Back = ToPixel(dc.S.BkColor);
    }
    return true;
}

void PaintRegion(DeviceContext& dc, const Region& shape, const Paint& paint, int rop2)
{
    if (!HasPixels(dc) || rop2 == R2_NOP)
        return;
    Region r = ClipShape(dc, shape);
    if (r.Empty())
        return;
    if (dc.TrackBounds) {
        TrackBox(dc, r.Box());
        return;
    }
    PixelAccess px(dc);
    if (!px.Valid()) {
        // Vector surfaces (printer pages) take plain fills; raster operations need pixels.
        std::uint32_t c = paint.Mode == Paint::Solid ? paint.Color : paint.Fore;
        if (rop2 == R2_BLACK)
            c = 0;
        else if (rop2 == R2_WHITE)
            c = 0xFFFFFF;
        else if (rop2 == R2_NOTCOPYPEN)
            c = ~c & 0xFFFFFF;
        FillVector(dc, r, c);
        return;
    }
    bool mono = IsMonochrome(dc);
    if (paint.Mode == Paint::Solid && rop2 == R2_COPYPEN) {
        // One colour copied: each span is a run of equal words.
        const std::uint32_t v = 0xFF000000u | (mono ? ToMono(paint.Color) : paint.Color);
        for (const auto& band : r.GetBands())
            for (int y = band.Top; y < band.Bottom; ++y) {
                std::uint32_t* row = px.Row(y);
                for (auto [x0, x1] : band.Xs)
                    std::fill(row + x0, row + x1, v);
            }
        return;
    }
    for (const auto& band : r.GetBands())
        for (int y = band.Top; y < band.Bottom; ++y) {
            std::uint32_t* row = px.Row(y);
            for (auto [x0, x1] : band.Xs)
                for (int x = x0; x < x1; ++x) {
                    std::uint32_t c;
                    if (!paint.PixelAt(x, y, c))
                        continue;
                    if (mono)
                        c = ToMono(c);
                    std::uint32_t v = (rop2 == R2_COPYPEN) ? c : ApplyRop2(rop2, c, row[x] & 0xFFFFFF);
                    row[x] = 0xFF000000u | v;
                }
        }
}

} // namespace gdi

using namespace gdi;

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    if (!IsLiveDC(dc))
        return CLR_INVALID;
    RecordScope rec(dc, MetaOp::SetPixel, {x, y, std::int32_t(color & 0xFFFFFF)});
    POINT p = ToDeviceRounded(*dc, x, y);
    Paint paint;
    paint.Color = ToPixel(color);
    if (IsMonochrome(*dc))
        paint.Color = ToMono(paint.Color);
    if (!HasPixels(*dc) || ClipShape(*dc, Region(RECT{p.X, p.Y, p.X + 1, p.Y + 1})).Empty())
        return dc->Recorder ? (color & 0xFFFFFF) : CLR_INVALID;
    PaintRegion(*dc, Region(RECT{p.X, p.Y, p.X + 1, p.Y + 1}), paint, R2_COPYPEN);
    return FromPixel(paint.Color);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color)
{
    return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    if (!IsLiveDC(dc) || !HasPixels(*dc))
        return CLR_INVALID;
    POINT p = ToDeviceRounded(*dc, x, y);
    if (ClipShape(*dc, Region(RECT{p.X, p.Y, p.X + 1, p.Y + 1})).Empty())
        return CLR_INVALID;
    PixelAccess px(*dc);
    if (!px.Valid())
        return CLR_INVALID;
    return FromPixel(px.Row(p.Y)[p.X] & 0xFFFFFF);
}

namespace {

struct Block {
    int W = 0, H = 0;
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB
    bool Mono = false;
    std::uint32_t Bk = 0xFFFFFF; // the source DC's background colour (colour to one-bit copies)
    std::uint32_t At(int x, int y) const { return Pixels[size_t(y) * W + x]; }
};

// Copies a device rectangle of a DC (outside its surface reads as black).
bool ReadBlock(DeviceContext& dc, const RECT& r, Block& b)
{
    PixelAccess px(dc);
    if (!px.Valid())
        return false;
    b.W = r.Width();
    b.H = r.Height();
    if (std::int64_t(b.W) * b.H > (std::int64_t(1) << 28))
        return false;
    b.Pixels.assign(size_t(b.W) * b.H, 0);
    b.Mono = IsMonochrome(dc);
    b.Bk = ToPixel(dc.S.BkColor);
    Region bounds = DeviceBounds(dc);
    TRect box = bounds.Box();
    for (int y = 0; y < b.H; ++y) {
        int sy = r.Top + y;
        if (sy < box.Top || sy >= box.Bottom)
            continue;
        std::uint32_t* row = px.Row(sy);
        for (int x = 0; x < b.W; ++x) {
            int sx = r.Left + x;
            if (sx >= box.Left && sx < box.Right)
                b.Pixels[size_t(y) * b.W + x] = row[sx] & 0xFFFFFF;
        }
    }
    return true;
}

bool UsesSource(BYTE code)
{
    return ((code >> 2) & 0x33) != (code & 0x33);
}

// The heart of every blit: for each destination pixel inside the clip, the source pixel
// (nearest, mirrored when the signs of the extents differ) and the brush pixel are combined
// with the destination by the raster operation; a mask chooses between two operations.
struct BlitJob {
    DeviceContext* Dest = nullptr;
    RECT DestRect{}; // device, may have negative extent for mirroring
    const Block* Src = nullptr;
    double SrcX = 0, SrcY = 0, SrcW = 0, SrcH = 0; // in block coordinates
    BYTE Fore = 0xCC, Back = 0xCC;
    const Block* Mask = nullptr;
    double MaskX = 0, MaskY = 0;
    bool HasTransparent = false;
    std::uint32_t Transparent = 0;
};

void RunBlit(const BlitJob& job)
{
    DeviceContext& dc = *job.Dest;
    int x0 = std::min(job.DestRect.Left, job.DestRect.Right),
        x1 = std::max(job.DestRect.Left, job.DestRect.Right);
    int y0 = std::min(job.DestRect.Top, job.DestRect.Bottom),
        y1 = std::max(job.DestRect.Top, job.DestRect.Bottom);
    Region area = ClipShape(dc, Region(RECT{x0, y0, x1, y1}));
    if (area.Empty())
        return;
    if (dc.TrackBounds) {
        TrackBox(dc, area.Box());
        return;
    }
    int dw = job.DestRect.Right - job.DestRect.Left, dh = job.DestRect.Bottom - job.DestRect.Top;
    Paint brush;
    bool hasBrush = BrushPaint(dc, dc.S.Brush, brush);
    bool mono = IsMonochrome(dc);
    std::uint32_t textPix = ToPixel(dc.S.TextColor), bkPix = ToPixel(dc.S.BkColor);
    PixelAccess px(dc);
    if (!px.Valid()) {
        // Printer pages: the source is painted as an image; only copies make sense there.
        if (!job.Src)
            return;
        TOwnedSurface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, job.Src->W, job.Src->H));
        cairo_surface_t* img = image.get();
        unsigned char* data = cairo_image_surface_get_data(img);
        int stride = cairo_image_surface_get_stride(img);
        for (int y = 0; y < job.Src->H; ++y)
            std::memcpy(data + y * stride, &job.Src->Pixels[size_t(y) * job.Src->W], size_t(job.Src->W) * 4);
        cairo_surface_mark_dirty(img);
        TOwnedCairo context(cairo_create(dc.Surface));
        cairo_t* cr = context.get();
        cairo_translate(cr, dc.Origin.X, dc.Origin.Y);
        for (const TRect& t : area.Rects())
            cairo_rectangle(cr, t.Left, t.Top, t.Width(), t.Height());
        cairo_clip(cr);
        cairo_translate(cr, job.DestRect.Left, job.DestRect.Top);
        cairo_scale(cr, dw / job.SrcW, dh / job.SrcH);
        cairo_set_source_surface(cr, img, -job.SrcX, -job.SrcY);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        return;
    }
    for (const auto& band : area.GetBands())
        for (int y = band.Top; y < band.Bottom; ++y) {
            std::uint32_t* row = px.Row(y);
            double fy = (y - job.DestRect.Top + 0.5) / dh;
            for (auto [ix0, ix1] : band.Xs)
                for (int x = ix0; x < ix1; ++x) {
                    double fx = (x - job.DestRect.Left + 0.5) / dw;
                    std::uint32_t s = 0;
                    int sx = 0, sy = 0;
                    bool srcInside = false;
                    if (job.Src) {
                        sx = int(std::floor(job.SrcX + fx * job.SrcW));
                        sy = int(std::floor(job.SrcY + fy * job.SrcH));
                        srcInside = sx >= 0 && sy >= 0 && sx < job.Src->W && sy < job.Src->H;
                        if (srcInside) {
                            s = job.Src->At(sx, sy);
                            if (job.Src->Mono && !mono)
                                s = s ? bkPix : textPix; // one-bit source: 0 → text colour
                            else if (mono && !job.Src->Mono)
                                s = (s == job.Src->Bk) ? 0xFFFFFF : 0;
                        }
                        if (job.HasTransparent && srcInside && s == job.Transparent)
                            continue;
                    }
                    BYTE code = job.Fore;
                    if (job.Mask) {
                        int mx = int(std::floor(job.MaskX + fx * job.SrcW));
                        int my = int(std::floor(job.MaskY + fy * job.SrcH));
                        bool on = mx >= 0 && my >= 0 && mx < job.Mask->W && my < job.Mask->H &&
                                  job.Mask->At(mx, my);
                        code = on ? job.Fore : job.Back;
                    }
                    std::uint32_t p = 0;
                    if (hasBrush)
                        brush.PixelAt(x, y, p);
                    if (mono)
                        p = ToMono(p);
                    std::uint32_t d = row[x] & 0xFFFFFF;
                    row[x] = 0xFF000000u | ApplyRop3(code, p, s, d);
                }
        }
}

} // namespace

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::PatBlt, {x, y, w, h, std::int32_t(rop)});
    BYTE code = BYTE(rop >> 16);
    if (UsesSource(code))
        return FALSE;
    if (!HasPixels(*dc))
        return TRUE;
    POINT a = ToDeviceRounded(*dc, x, y), b = ToDeviceRounded(*dc, double(x) + w, double(y) + h);
    BlitJob job;
    job.Dest = dc;
    job.DestRect = {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
    job.Fore = code;
    RunBlit(job);
    return TRUE;
}

BOOL StretchBlt(HDC dest, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop)
{
    if (!IsLiveDC(dest))
        return FALSE;
    BYTE code = BYTE(rop >> 16);
    if (!UsesSource(code))
        return PatBlt(dest, x, y, w, h, rop);
    if (!IsLiveDC(src) || w == 0 || h == 0 || ws == 0 || hs == 0)
        return FALSE;
    POINT sa = ToDeviceRounded(*src, xs, ys), sb = ToDeviceRounded(*src, double(xs) + ws, double(ys) + hs);
    RECT srcRect{std::min(sa.X, sb.X), std::min(sa.Y, sb.Y), std::max(sa.X, sb.X), std::max(sa.Y, sb.Y)};
    Block block;
    if (!ReadBlock(*src, srcRect, block) || block.W == 0 || block.H == 0)
        return FALSE;
    if (dest->Recorder) {
        std::vector<std::uint8_t> bytes(block.Pixels.size() * 4);
        std::memcpy(bytes.data(), block.Pixels.data(), bytes.size());
        RecordScope rec(dest, MetaOp::BitBlt, {x, y, w, h, block.W, block.H, std::int32_t(rop), block.Mono},
                        {}, std::move(bytes));
        return TRUE;
    }
    if (!HasPixels(*dest))
        return TRUE;
    POINT a = ToDeviceRounded(*dest, x, y), b = ToDeviceRounded(*dest, double(x) + w, double(y) + h);
    BlitJob job;
    job.Dest = dest;
    job.DestRect = {a.X, a.Y, b.X, b.Y};
    job.Src = &block;
    // Mirroring: a source extent of the other sign reads the block backwards.
    bool flipX = (sb.X < sa.X), flipY = (sb.Y < sa.Y);
    job.SrcX = flipX ? block.W : 0;
    job.SrcW = flipX ? -block.W : block.W;
    job.SrcY = flipY ? block.H : 0;
    job.SrcH = flipY ? -block.H : block.H;
    job.Fore = code;
    RunBlit(job);
    return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop)
{
    if (IsLiveDC(dest) && IsLiveDC(src)) {
        // The source extent is the destination's in device units.
        double sx = ScaleX(*dest) / ScaleX(*src), sy = ScaleY(*dest) / ScaleY(*src);
        int ws = int(std::lround(std::clamp(w * sx, -1e9, 1e9))),
            hs = int(std::lround(std::clamp(h * sy, -1e9, 1e9)));
        return StretchBlt(dest, x, y, w, h, src, xs, ys, ws, hs, rop);
    }
    return StretchBlt(dest, x, y, w, h, src, xs, ys, w, h, rop);
}

BOOL MaskBlt(HDC dest, int x, int y, int w, int h, HDC src, int xs, int ys, HBITMAP mask, int xm, int ym,
             DWORD rop4)
{
    auto* maskBmp = As<GdiBitmap>(mask, OBJ_BITMAP);
    if (!maskBmp)
        return BitBlt(dest, x, y, w, h, src, xs, ys, rop4 & 0xFFFFFF);
    if (!IsLiveDC(dest) || !IsLiveDC(src) || !HasPixels(*dest))
        return FALSE;
    POINT sa = ToDeviceRounded(*src, xs, ys);
    POINT da = ToDeviceRounded(*dest, x, y), db = ToDeviceRounded(*dest, double(x) + w, double(y) + h);
    RECT srcRect{sa.X, sa.Y, sa.X + std::abs(db.X - da.X), sa.Y + std::abs(db.Y - da.Y)};
    Block block, maskBlock;
    if (!ReadBlock(*src, srcRect, block))
        return FALSE;
    bool ok;
    {
        TOwnedDC mdc(CreateCompatibleDC(nullptr));
        TSelectObject selected(mdc.get(), mask);
        ok = ReadBlock(*mdc, RECT{xm, ym, xm + srcRect.Width(), ym + srcRect.Height()}, maskBlock);
    }
    if (!ok)
        return FALSE;
    BlitJob job;
    job.Dest = dest;
    job.DestRect = {da.X, da.Y, db.X, db.Y};
    job.Src = &block;
    job.SrcW = block.W;
    job.SrcH = block.H;
    job.Mask = &maskBlock;
    job.Fore = BYTE(rop4 >> 16);
    job.Back = BYTE(rop4 >> 24);
    RunBlit(job);
    return TRUE;
}

BOOL TransparentBlt(HDC dest, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                    UINT transparent)
{
    if (!IsLiveDC(dest) || !IsLiveDC(src) || w <= 0 || h <= 0 || ws <= 0 || hs <= 0 || !HasPixels(*dest))
        return FALSE;
    POINT sa = ToDeviceRounded(*src, xs, ys), sb = ToDeviceRounded(*src, double(xs) + ws, double(ys) + hs);
    Block block;
    if (!ReadBlock(*src, RECT{sa.X, sa.Y, sb.X, sb.Y}, block))
        return FALSE;
    POINT a = ToDeviceRounded(*dest, x, y), b = ToDeviceRounded(*dest, double(x) + w, double(y) + h);
    BlitJob job;
    job.Dest = dest;
    job.DestRect = {a.X, a.Y, b.X, b.Y};
    job.Src = &block;
    job.SrcW = block.W;
    job.SrcH = block.H;
    job.HasTransparent = true;
    job.Transparent = ToPixel(transparent & 0xFFFFFF);
    RunBlit(job);
    return TRUE;
}

int StretchDIBits(HDC dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop)
{
    if (!IsLiveDC(dc) || !info || !bits)
        return 0;
    int declared = 32;
    TOwnedSurface s(SurfaceFromDib(info, bits, usage, &declared));
    if (!s)
        return 0;
    TOwnedBitmap bmp(CreateBitmapFromSurface(s.get()));
    bmp->DeclaredBits = declared;
    TOwnedDC mem(CreateCompatibleDC(nullptr));
    TSelectObject selected(mem.get(), bmp.get());
    // Bottom-up bitmaps count the source's y from their last row.
    int height = bmp->Height();
    int top = info->bmiHeader.biHeight > 0 ? height - (ys + hs) : ys;
    BOOL ok = StretchBlt(dc, x, y, w, h, mem.get(), xs, top, ws, hs, rop);
    return ok ? std::abs(hs) : 0;
}

int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage)
{
    return StretchDIBits(dc, x, y, int(w), int(h), xs, ys, int(w), int(h), bits, info, usage, SRCCOPY)
               ? int(lines)
               : 0;
}

int GetDIBits(HDC, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
    auto* bmp = As<GdiBitmap>(hbm, OBJ_BITMAP);
    if (!bmp || !info)
        return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    int w = bmp->Width(), ht = bmp->Height();
    if (h.biBitCount == 0 || !bits) {
        int bpp = h.biBitCount ? h.biBitCount : 32;
        h.biWidth = w;
        h.biHeight = ht;
        h.biPlanes = 1;
        h.biBitCount = WORD(bpp);
        h.biCompression = BI_RGB;
        h.biSizeImage = DWORD(((std::int64_t(w) * bpp + 31) / 32) * 4 * ht);
        return ht;
    }
    int bpp = h.biBitCount;
    if (bpp != 24 && bpp != 32)
        return 0;
    bool bottomUp = h.biHeight > 0;
    size_t rowBytes = ((size_t(w) * size_t(bpp) + 31) / 32) * 4;
    cairo_surface_flush(bmp->Surface.get());
    const unsigned char* data = cairo_image_surface_get_data(bmp->Surface.get());
    int stride = cairo_image_surface_get_stride(bmp->Surface.get());
    auto* out = static_cast<unsigned char*>(bits);
    int done = 0;
    for (UINT i = 0; i < lines; ++i) {
        int scan = int(start + i); // scan lines count from the bottom in a bottom-up DIB
        if (scan >= ht)
            break;
        int srcRow = bottomUp ? ht - 1 - scan : scan;
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + srcRow * stride);
        unsigned char* o = out + size_t(i) * rowBytes;
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = row[x];
            if (bpp == 24) {
                o[x * 3] = BYTE(p);
                o[x * 3 + 1] = BYTE(p >> 8);
                o[x * 3 + 2] = BYTE(p >> 16);
            } else {
                o[x * 4] = BYTE(p);
                o[x * 4 + 1] = BYTE(p >> 8);
                o[x * 4 + 2] = BYTE(p >> 16);
                o[x * 4 + 3] = 0;
            }
        }
        std::memset(o + size_t(bpp / 8) * w, 0, rowBytes - size_t(bpp / 8) * w);
        ++done;
    }
    return done;
}

int SetDIBits(HDC, HBITMAP hbm, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage)
{
    auto* bmp = As<GdiBitmap>(hbm, OBJ_BITMAP);
    if (!bmp || !info || !bits)
        return 0;
    int declared = 32;
    TOwnedSurface owned(SurfaceFromDib(info, bits, usage, &declared));
    cairo_surface_t* s = owned.get();
    if (!s)
        return 0;
    int w = std::min(bmp->Width(), cairo_image_surface_get_width(s));
    int h = std::min(bmp->Height(), cairo_image_surface_get_height(s));
    cairo_surface_flush(bmp->Surface.get());
    unsigned char* dst = cairo_image_surface_get_data(bmp->Surface.get());
    int dstStride = cairo_image_surface_get_stride(bmp->Surface.get());
    const unsigned char* src = cairo_image_surface_get_data(s);
    int srcStride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        std::memcpy(dst + y * dstStride, src + y * srcStride, size_t(w) * 4);
    cairo_surface_mark_dirty(bmp->Surface.get());
    return h;
}

BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect)
{
    if (!IsLiveDC(dc))
        return FALSE;
    Region area = DeviceBounds(*dc);
    if (scroll)
        area = area.Intersect(Region(ToDeviceRect(*dc, *scroll)));
    if (clip)
        area = area.Intersect(Region(ToDeviceRect(*dc, *clip)));
    Region moved = area;
    moved.Offset(dx, dy);
    moved = moved.Intersect(area);
    if (HasPixels(*dc)) {
        TRect box = area.Box();
        Block b;
        if (!area.Empty() && ReadBlock(*dc, box, b)) {
            PixelAccess px(*dc);
            if (px.Valid())
                for (const TRect& t : moved.Rects())
                    for (int y = t.Top; y < t.Bottom; ++y)
                        for (int x = t.Left; x < t.Right; ++x)
                            px.Row(y)[x] = 0xFF000000u | b.At(x - dx - box.Left, y - dy - box.Top);
        }
    }
    Region exposed = area.Subtract(moved);
    if (auto* rgn = As<GdiRegion>(update, OBJ_REGION))
        rgn->Rgn = exposed;
    if (updateRect) {
        TRect b = exposed.Box();
        POINT p[2] = {{b.Left, b.Top}, {b.Right, b.Bottom}};
        DPtoLP(dc, p, 2);
        *updateRect = {p[0].X, p[0].Y, p[1].X, p[1].Y};
    }
    return TRUE;
}
