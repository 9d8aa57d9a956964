#pragma once

// The objects behind the drawing handles, shared by the files of this library only.

#include "platform/win/Gdi.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/RegionBands.h"

#include <cairo.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MetafileRecorder;

struct GdiObject {
    explicit GdiObject(int type) : Type(type) {}
    virtual ~GdiObject() = default;
    int Type;
    bool Stock = false;
    int Selections = 0; // DC states (current and saved) holding it
    bool DeletePending = false;
};

struct GdiPen : GdiObject {
    GdiPen() : GdiObject(OBJ_PEN) {}
    DWORD Style = PS_SOLID; // full style word: kind, end cap, join, type
    int Width = 1;          // logical units for geometric pens
    COLORREF Color = 0;
    bool Extended = false;
    std::vector<DWORD> UserStyle;
    bool DCPen = false; // the DC_PEN stock pen: colour from the DC
    DWORD Kind() const { return Style & PS_STYLE_MASK; }
};

struct GdiBitmap : GdiObject {
    GdiBitmap() : GdiObject(OBJ_BITMAP) {}
    // ARGB32 or RGB24 image surface; the DCs the bitmap is selected into borrow it.
    TOwnedSurface Surface;
    int DeclaredBits = 32;
    bool IsDibSection = false;
    BITMAPINFOHEADER DibHeader{};
    int Width() const { return Surface ? cairo_image_surface_get_width(Surface.get()) : 0; }
    int Height() const { return Surface ? cairo_image_surface_get_height(Surface.get()) : 0; }
};

struct GdiBrush : GdiObject {
    GdiBrush() : GdiObject(OBJ_BRUSH) {}
    UINT Style = BS_SOLID;
    COLORREF Color = 0;
    int Hatch = 0;
    bool DCBrush = false;
    // Pattern brushes keep their own copy of the pattern's pixels (0x00RRGGBB per pixel).
    int PatternWidth = 0, PatternHeight = 0;
    std::vector<std::uint32_t> Pattern;
    bool PatternMonochrome = false; // 1-bit patterns take text/background colours
};

struct GdiFont : GdiObject {
    GdiFont() : GdiObject(OBJ_FONT) {}
    LOGFONTA Log{};
};

struct GdiRegion : GdiObject {
    GdiRegion() : GdiObject(OBJ_REGION) {}
    gdi::Region Rgn;
};

struct GdiPalette : GdiObject {
    GdiPalette() : GdiObject(OBJ_PAL) {}
};

// A figure of a path in device coordinates (before the DC origin).
struct PathFigure {
    std::vector<std::pair<double, double>> Points;
    bool Closed = false;
};

struct DCState {
    GdiPen* Pen = nullptr;
    GdiBrush* Brush = nullptr;
    GdiFont* Font = nullptr;
    GdiBitmap* Bitmap = nullptr;
    COLORREF TextColor = 0;
    COLORREF BkColor = 0xFFFFFF;
    int BkMode = OPAQUE;
    int Rop2 = R2_COPYPEN;
    UINT TextAlign = 0;
    int CharExtra = 0;
    int PolyFillMode = ALTERNATE;
    int StretchMode = BLACKONWHITE;
    int ArcDirection = AD_COUNTERCLOCKWISE;
    DWORD Layout = 0;
    int MapMode = MM_TEXT;
    POINT WindowOrg{0, 0};
    SIZE WindowExt{1, 1};
    POINT ViewportOrg{0, 0};
    SIZE ViewportExt{1, 1};
    POINT CurPos{0, 0};
    POINT BrushOrg{0, 0};
    COLORREF DCBrushColor = 0xFFFFFF;
    COLORREF DCPenColor = 0;
    std::optional<gdi::Region> Clip; // the application's clip, device coordinates
};

struct DeviceContext {
    DCKind Kind = DCKind::Memory;
    cairo_surface_t* Surface = nullptr; // the target; not owned
    POINT Origin{0, 0};                 // where device (0, 0) lands in the surface
    RECT Bounds{0, 0, 0, 0};            // surface coordinates the DC may draw in
    std::optional<gdi::Region> Update;  // the paint's update region, device coordinates
    int DpiX = 96, DpiY = 96;
    std::map<int, int> Caps;
    DCState S;
    std::vector<DCState> Saved;
    // Paths: recording between BeginPath and EndPath, then the closed path.
    bool PathOpen = false;
    bool PathDone = false;
    std::vector<PathFigure> Path;
    // Playback of a metafile: device = logical-to-device mapping, then scaled and moved.
    double WorldSX = 1, WorldSY = 1, WorldDX = 0, WorldDY = 0;
    MetafileRecorder* Recorder = nullptr; // metafile DCs record every call
    int RecordDepth = 0;                  // calls made by a recorded call are not recorded
    HDC Reference = nullptr;              // metafile DCs measure text on their reference DC
    // Measuring what a metafile covers: painting only widens this box (device coordinates).
    bool TrackBounds = false;
    TRect Tracked{0, 0, 0, 0};
    bool Playing = false;
    // An information DC that measures for the screen (text metrics as on screen DCs).
    bool ScreenMeasuring = false;
};

namespace gdi {

// Handles: every object made here is registered so that stale or foreign handles are refused.
void RegisterObject(GdiObject* obj);
GdiObject* ObjectFromHandle(HGDIOBJ h);
template <class T> T* As(HGDIOBJ h, int type)
{
    GdiObject* o = ObjectFromHandle(h);
    return (o && o->Type == type) ? static_cast<T*>(o) : nullptr;
}
bool IsLiveDC(HDC dc);
void Retain(GdiObject* obj);
void Release(GdiObject* obj);
GdiBitmap* DefaultBitmap();
void SetStateDefaults(DCState& s);

// Coordinate mapping.
struct DPoint {
    double X, Y;
};
DPoint ToDevice(const DeviceContext& dc, double x, double y);
DPoint ToLogical(const DeviceContext& dc, double x, double y);
POINT ToDeviceRounded(const DeviceContext& dc, double x, double y);
double ScaleX(const DeviceContext& dc); // device units per logical unit (signed)
double ScaleY(const DeviceContext& dc);
RECT ToDeviceRect(const DeviceContext& dc, const RECT& r); // normalised

// The region drawing may touch: bounds ∩ update ∩ application clip (device coordinates).
Region EffectiveClip(const DeviceContext& dc);
Region DeviceBounds(const DeviceContext& dc);
RECT DeviceBoundsRect(const DeviceContext& dc);
// shape ∩ EffectiveClip(dc), cheaper when the shape is small.
Region ClipShape(const DeviceContext& dc, const Region& shape);

// Pixel painting. A paint source gives the colour of each device pixel.
struct Paint {
    enum Kind { Solid, Pattern, Function } Mode = Solid;
    std::function<std::uint32_t(int, int)> Fn; // Function: colour of each device pixel
    std::uint32_t Color = 0;                   // 0x00RRGGBB
    const GdiBrush* Brush = nullptr;
    std::uint32_t Fore = 0, Back = 0xFFFFFF; // for monochrome patterns and hatches
    bool HatchTransparent = false;           // transparent background mode: hatch gaps untouched
    POINT Org{0, 0};
    bool PixelAt(int x, int y, std::uint32_t& color) const;
};
std::uint32_t ToPixel(COLORREF c);   // 0x00BBGGRR → 0x00RRGGBB
COLORREF FromPixel(std::uint32_t p); // 0x00RRGGBB → 0x00BBGGRR
std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t dest);
std::uint32_t ApplyRop3(BYTE code, std::uint32_t pat, std::uint32_t src, std::uint32_t dest);
// Paints a shape (device coordinates) clipped by the DC's clip with a raster operation.
void PaintRegion(DeviceContext& dc, const Region& shape, const Paint& paint, int rop2);
bool BrushPaint(const DeviceContext& dc, const GdiBrush* brush, Paint& paint); // false: hollow
bool HasPixels(const DeviceContext& dc);
void TrackBox(DeviceContext& dc, const TRect& box);

// Pixels of the target surface at device coordinates; only for image surfaces.
struct PixelAccess {
    explicit PixelAccess(DeviceContext& dc);
    ~PixelAccess();
    bool Valid() const { return Data != nullptr; }
    std::uint32_t* Row(int y) { return reinterpret_cast<std::uint32_t*>(Data + (y + OY) * Stride) + OX; }
    cairo_surface_t* Surface = nullptr;
    unsigned char* Data = nullptr;
    int Stride = 0, OX = 0, OY = 0;
};

// Shapes (device coordinates). Polygon vertices are pixel indexes; the fill takes the pixels
// whose centres lie inside (edges crossing a centre count on their top and left sides).
// Only pixels inside `limit` are produced (default: ±65536), so huge shapes cost no more than
// the part that can be seen.
Region PolygonRegion(const std::vector<std::vector<DPoint>>& polys, int fillMode,
                     const TRect* limit = nullptr);
// Rounded rectangles and ellipses covering the pixels l..r-1, t..b-1 (ew, eh: corner ellipse).
Region RoundRectRegion(const RECT& r, int ew, int eh, const TRect* limit = nullptr);
Region EllipseRegion(const RECT& r, const TRect* limit = nullptr);
// The box drawing on the DC can reach, a little enlarged (a limit for the functions above).
TRect ClipLimit(const DeviceContext& dc);
std::vector<DPoint> ArcPoints(double l, double t, double r, double b, double xs, double ys, double xe,
                              double ye, bool clockwise);
std::vector<DPoint> BezierPoints(const std::vector<DPoint>& ctrl);
// Strokes a polyline with the DC's pen (device coordinates, closed when asked).
void StrokeDevicePolyline(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed);
// Fills a shape with the DC's brush.
void FillDeviceRegion(DeviceContext& dc, const Region& shape);
bool PenVisible(const DeviceContext& dc);
int DevicePenWidth(const DeviceContext& dc);
COLORREF PenColor(const DeviceContext& dc);

// Paths: appends to the open path when one is being recorded.
bool PathAddPolyline(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed, bool continueFigure);

// Text helpers shared with the metafile player.
std::string Utf16ToUtf8(const char16_t* text, int length);
std::u16string Utf8ToUtf16(const char* text, int length);

// Printer DCs: ends what the printing layer keeps for a DC being deleted (a running job is
// aborted).
void ReleasePrinterDC(HDC hdc);

// Bitmaps.
GdiBitmap* NewBitmap(int width, int height, int declaredBits);
cairo_surface_t* SurfaceFromDib(const BITMAPINFO* info, const void* bits, UINT usage, int* declaredBits);

} // namespace gdi
