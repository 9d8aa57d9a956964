// Device contexts: creation, state, saving and restoring, coordinate mapping, capabilities.

#include "platform/win/GdiInternal.h"
#include "platform/win/MetafileRecording.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_set>

namespace gdi {

namespace {

// Never destroyed: DCs may be released by other objects' destructors at exit.
std::mutex& DCLock()
{
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_set<DeviceContext*>& DCTable()
{
    static auto* t = new std::unordered_set<DeviceContext*>;
    return *t;
}

template <class T> void Select(T*& slot, GdiObject* obj)
{
    Retain(obj);
    Release(slot);
    slot = static_cast<T*>(obj);
}

void RetainState(DCState& s)
{
    Retain(s.Pen);
    Retain(s.Brush);
    Retain(s.Font);
    Retain(s.Bitmap);
}

void ReleaseState(DCState& s)
{
    Release(s.Pen);
    Release(s.Brush);
    Release(s.Font);
    Release(s.Bitmap);
}

HDC NewDC(DCKind kind)
{
    auto* dc = new DeviceContext;
    dc->Kind = kind;
    SetStateDefaults(dc->S);
    std::lock_guard lock(DCLock());
    DCTable().insert(dc);
    return dc;
}

void TargetBitmap(DeviceContext& dc)
{
    GdiBitmap* bmp = dc.S.Bitmap;
    dc.Surface = bmp ? bmp->Surface.get() : nullptr;
    dc.Origin = {0, 0};
    dc.Bounds = bmp ? RECT{0, 0, bmp->Width(), bmp->Height()} : RECT{};
}

// Keeps the isotropic mode's one-to-one aspect by shrinking the viewport extent.
void FixIsotropic(DCState& s)
{
    if (s.MapMode != MM_ISOTROPIC || s.WindowExt.cx == 0 || s.WindowExt.cy == 0)
        return;
    double sx = std::abs(double(s.ViewportExt.cx) / s.WindowExt.cx);
    double sy = std::abs(double(s.ViewportExt.cy) / s.WindowExt.cy);
    if (sx < sy)
        s.ViewportExt.cy = int(std::lround(std::copysign(s.WindowExt.cy * sx, s.ViewportExt.cy)));
    else if (sy < sx)
        s.ViewportExt.cx = int(std::lround(std::copysign(s.WindowExt.cx * sy, s.ViewportExt.cx)));
}

} // namespace

bool IsLiveDC(HDC dc)
{
    if (!dc)
        return false;
    std::lock_guard lock(DCLock());
    return DCTable().count(dc) > 0;
}

void SetStateDefaults(DCState& s)
{
    s = DCState{};
    s.Pen = static_cast<GdiPen*>(GetStockObject(BLACK_PEN));
    s.Brush = static_cast<GdiBrush*>(GetStockObject(WHITE_BRUSH));
    s.Font = static_cast<GdiFont*>(GetStockObject(SYSTEM_FONT));
}

double ScaleX(const DeviceContext& dc)
{
    const DCState& s = dc.S;
    return (s.WindowExt.cx ? double(s.ViewportExt.cx) / s.WindowExt.cx : 1.0) * dc.WorldSX;
}

double ScaleY(const DeviceContext& dc)
{
    const DCState& s = dc.S;
    return (s.WindowExt.cy ? double(s.ViewportExt.cy) / s.WindowExt.cy : 1.0) * dc.WorldSY;
}

DPoint ToDevice(const DeviceContext& dc, double x, double y)
{
    const DCState& s = dc.S;
    double vx = s.WindowExt.cx ? (x - s.WindowOrg.X) * s.ViewportExt.cx / s.WindowExt.cx : 0;
    double vy = s.WindowExt.cy ? (y - s.WindowOrg.Y) * s.ViewportExt.cy / s.WindowExt.cy : 0;
    return {(vx + s.ViewportOrg.X) * dc.WorldSX + dc.WorldDX,
            (vy + s.ViewportOrg.Y) * dc.WorldSY + dc.WorldDY};
}

DPoint ToLogical(const DeviceContext& dc, double x, double y)
{
    const DCState& s = dc.S;
    double vx = (x - dc.WorldDX) / dc.WorldSX - s.ViewportOrg.X;
    double vy = (y - dc.WorldDY) / dc.WorldSY - s.ViewportOrg.Y;
    double lx = s.ViewportExt.cx ? vx * s.WindowExt.cx / s.ViewportExt.cx : 0;
    double ly = s.ViewportExt.cy ? vy * s.WindowExt.cy / s.ViewportExt.cy : 0;
    return {lx + s.WindowOrg.X, ly + s.WindowOrg.Y};
}

POINT ToDeviceRounded(const DeviceContext& dc, double x, double y)
{
    // Device coordinates stay well inside the integer range whatever the caller passed.
    constexpr double limit = double(1 << 29);
    DPoint p = ToDevice(dc, x, y);
    return {int(std::lround(std::clamp(p.X, -limit, limit))),
            int(std::lround(std::clamp(p.Y, -limit, limit)))};
}

RECT ToDeviceRect(const DeviceContext& dc, const RECT& r)
{
    POINT a = ToDeviceRounded(dc, r.Left, r.Top);
    POINT b = ToDeviceRounded(dc, r.Right, r.Bottom);
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

RECT DeviceBoundsRect(const DeviceContext& dc)
{
    if (!dc.Surface) // measuring and recording DCs have no edges
        return RECT{-(1 << 24), -(1 << 24), 1 << 24, 1 << 24};
    RECT b = dc.Bounds;
    if (cairo_surface_get_type(dc.Surface) == CAIRO_SURFACE_TYPE_IMAGE) {
        b.Left = std::max(b.Left, 0);
        b.Top = std::max(b.Top, 0);
        b.Right = std::min(b.Right, cairo_image_surface_get_width(dc.Surface));
        b.Bottom = std::min(b.Bottom, cairo_image_surface_get_height(dc.Surface));
    }
    return RECT{b.Left - dc.Origin.X, b.Top - dc.Origin.Y, b.Right - dc.Origin.X, b.Bottom - dc.Origin.Y};
}

Region DeviceBounds(const DeviceContext& dc)
{
    return Region(DeviceBoundsRect(dc));
}

Region EffectiveClip(const DeviceContext& dc)
{
    const RECT b = DeviceBoundsRect(dc);
    Region r = dc.Update ? dc.Update->ClipTo(b) : Region(b);
    if (dc.S.Clip)
        r = r.Intersect(*dc.S.Clip);
    return r;
}

Region ClipShape(const DeviceContext& dc, const Region& shape)
{
    // Starting from the shape, usually a small rectangle, each step only visits the bands of the
    // update and clip regions that the shape meets.
    Region r = shape.ClipTo(DeviceBoundsRect(dc));
    if (dc.Update)
        r = r.Intersect(*dc.Update);
    if (dc.S.Clip)
        r = r.Intersect(*dc.S.Clip);
    return r;
}

} // namespace gdi

using namespace gdi;

HDC CreateCompatibleDC(HDC)
{
    HDC dc = NewDC(DCKind::Memory);
    dc->S.Bitmap = DefaultBitmap();
    RetainState(dc->S);
    TargetBitmap(*dc);
    return dc;
}

HDC CreateMeasuringDC(int dpiX, int dpiY)
{
    HDC dc = NewDC(DCKind::Information);
    dc->DpiX = std::max(dpiX, 1);
    dc->DpiY = std::max(dpiY, 1);
    // At the screen's resolution it stands for the screen: what it measures is drawn alike.
    dc->ScreenMeasuring = dpiX == 96 && dpiY == 96;
    RetainState(dc->S);
    return dc;
}

HDC CreateSurfaceDC(cairo_surface_t* surface, DCKind kind, POINT origin, const RECT& bounds, int dpiX,
                    int dpiY)
{
    HDC dc = NewDC(kind);
    dc->DpiX = std::max(dpiX, 1);
    dc->DpiY = std::max(dpiY, 1);
    RetainState(dc->S);
    RetargetSurfaceDC(dc, surface, origin, bounds);
    return dc;
}

void RetargetSurfaceDC(HDC dc, cairo_surface_t* surface, POINT origin, const RECT& bounds)
{
    if (!IsLiveDC(dc))
        return;
    dc->Surface = surface;
    dc->Origin = origin;
    dc->Bounds = bounds;
}

void SetDCUpdateRegion(HDC dc, HRGN region)
{
    if (!IsLiveDC(dc))
        return;
    auto* rgn = As<GdiRegion>(region, OBJ_REGION);
    if (rgn)
        dc->Update = rgn->Rgn;
    else
        dc->Update.reset();
}

void SetDCDeviceCaps(HDC dc, int index, int value)
{
    if (IsLiveDC(dc))
        dc->Caps[index] = value;
}

DCKind GetDCKind(HDC dc)
{
    return IsLiveDC(dc) ? dc->Kind : DCKind::Information;
}
cairo_surface_t* GetDCSurface(HDC dc)
{
    return IsLiveDC(dc) ? dc->Surface : nullptr;
}

BOOL DeleteDC(HDC dc)
{
    if (!IsLiveDC(dc))
        return FALSE;
    if (dc->Kind == DCKind::Printer || dc->Kind == DCKind::Information)
        ReleasePrinterDC(dc);
    {
        std::lock_guard lock(DCLock());
        DCTable().erase(dc);
    }
    for (auto& s : dc->Saved)
        ReleaseState(s);
    ReleaseState(dc->S);
    delete dc;
    return TRUE;
}

int SaveDC(HDC dc)
{
    if (!IsLiveDC(dc))
        return 0;
    RecordScope rec(dc, MetaOp::SaveDC);
    dc->Saved.push_back(dc->S);
    RetainState(dc->Saved.back());
    return int(dc->Saved.size());
}

BOOL RestoreDC(HDC dc, int saved)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::RestoreDC, {saved});
    int count = int(dc->Saved.size());
    int index = saved < 0 ? count + saved : saved - 1; // -1 = the last saved state
    if (index < 0 || index >= count)
        return FALSE;
    ReleaseState(dc->S);
    dc->S = dc->Saved[size_t(index)];
    for (int i = index + 1; i < count; ++i)
        ReleaseState(dc->Saved[size_t(i)]);
    dc->Saved.resize(size_t(index)); // the restored state's own reference moves to dc->S
    if (dc->Kind == DCKind::Memory)
        TargetBitmap(*dc);
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!IsLiveDC(dc))
        return 0;
    if (dc->Kind == DCKind::Metafile && IsLiveDC(dc->Reference))
        return GetDeviceCaps(dc->Reference, index);
    auto it = dc->Caps.find(index);
    if (it != dc->Caps.end())
        return it->second;
    int w = dc->Bounds.Right - dc->Bounds.Left, h = dc->Bounds.Bottom - dc->Bounds.Top;
    if (dc->Kind == DCKind::Information || dc->Kind == DCKind::Metafile) {
        w = 1920;
        h = 1080;
    }
    switch (index) {
    case TECHNOLOGY:
        return dc->Kind == DCKind::Printer    ? DT_RASPRINTER
               : dc->Kind == DCKind::Metafile ? DT_METAFILE
                                              : DT_RASDISPLAY;
    case HORZRES:
    case PHYSICALWIDTH:
        return w;
    case VERTRES:
    case PHYSICALHEIGHT:
        return h;
    case HORZSIZE:
        return MulDiv(w, 254, dc->DpiX * 10);
    case VERTSIZE:
        return MulDiv(h, 254, dc->DpiY * 10);
    case LOGPIXELSX:
        return dc->DpiX;
    case LOGPIXELSY:
        return dc->DpiY;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case RASTERCAPS:
        return 0x7E99; // bitblt, stretchblt, DI bitmaps, flood fill …
    case CURVECAPS:
    case LINECAPS:
    case POLYGONALCAPS:
        return 0xFF;
    case TEXTCAPS:
        return 0x7807;
    case CLIPCAPS:
        return 1;
    case COLORRES:
        return 24;
    case DRIVERVERSION:
        return 0x4000;
    default:
        return 0;
    }
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ h)
{
    if (!IsLiveDC(dc))
        return nullptr;
    GdiObject* obj = ObjectFromHandle(h);
    if (!obj)
        return nullptr;
    DCState& s = dc->S;
    GdiObject* old = nullptr;
    switch (obj->Type) {
    case OBJ_PEN:
        RecordSelect(dc, obj);
        old = s.Pen;
        Select(s.Pen, obj);
        return old;
    case OBJ_BRUSH:
        RecordSelect(dc, obj);
        old = s.Brush;
        Select(s.Brush, obj);
        return old;
    case OBJ_FONT:
        RecordSelect(dc, obj);
        old = s.Font;
        Select(s.Font, obj);
        return old;
    case OBJ_BITMAP: {
        if (dc->Kind != DCKind::Memory)
            return nullptr;
        // A bitmap draws into one DC at a time, as the platform requires.
        if (obj != s.Bitmap && obj->Selections > 0 && !obj->Stock)
            return nullptr;
        old = s.Bitmap;
        Select(s.Bitmap, obj);
        TargetBitmap(*dc);
        return old;
    }
    case OBJ_REGION:
        return reinterpret_cast<HGDIOBJ>(std::intptr_t(SelectClipRgn(dc, static_cast<HRGN>(h))));
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type)
{
    if (!IsLiveDC(dc))
        return nullptr;
    switch (type) {
    case OBJ_PEN:
        return dc->S.Pen;
    case OBJ_BRUSH:
        return dc->S.Brush;
    case OBJ_FONT:
        return dc->S.Font;
    case OBJ_BITMAP:
        return dc->S.Bitmap;
    default:
        return nullptr;
    }
}

#define DC_SETTER(Name, Field, Type, Op)                                                                     \
    Type Name(HDC dc, Type value)                                                                            \
    {                                                                                                        \
        if (!IsLiveDC(dc))                                                                                   \
            return Type{};                                                                                   \
        RecordScope rec(dc, MetaOp::Op, {std::int32_t(value)});                                              \
        Type old = dc->S.Field;                                                                              \
        dc->S.Field = value;                                                                                 \
        return old;                                                                                          \
    }

DC_SETTER(SetTextAlign, TextAlign, UINT, SetTextAlign)
DC_SETTER(SetStretchBltMode, StretchMode, int, SetStretchBltMode)
#undef DC_SETTER

COLORREF SetTextColor(HDC dc, COLORREF c)
{
    if (!IsLiveDC(dc))
        return CLR_INVALID;
    RecordScope rec(dc, MetaOp::SetTextColor, {std::int32_t(c & 0xFFFFFF)});
    COLORREF old = dc->S.TextColor;
    dc->S.TextColor = c & 0xFFFFFF;
    return old;
}

COLORREF SetBkColor(HDC dc, COLORREF c)
{
    if (!IsLiveDC(dc))
        return CLR_INVALID;
    RecordScope rec(dc, MetaOp::SetBkColor, {std::int32_t(c & 0xFFFFFF)});
    COLORREF old = dc->S.BkColor;
    dc->S.BkColor = c & 0xFFFFFF;
    return old;
}

int SetBkMode(HDC dc, int mode)
{
    if (!IsLiveDC(dc) || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    RecordScope rec(dc, MetaOp::SetBkMode, {mode});
    int old = dc->S.BkMode;
    dc->S.BkMode = mode;
    return old;
}

int SetROP2(HDC dc, int rop2)
{
    if (!IsLiveDC(dc) || rop2 < R2_BLACK || rop2 > R2_WHITE)
        return 0;
    RecordScope rec(dc, MetaOp::SetROP2, {rop2});
    int old = dc->S.Rop2;
    dc->S.Rop2 = rop2;
    return old;
}

int SetPolyFillMode(HDC dc, int mode)
{
    if (!IsLiveDC(dc) || (mode != ALTERNATE && mode != WINDING))
        return 0;
    RecordScope rec(dc, MetaOp::SetPolyFillMode, {mode});
    int old = dc->S.PolyFillMode;
    dc->S.PolyFillMode = mode;
    return old;
}

int SetArcDirection(HDC dc, int dir)
{
    if (!IsLiveDC(dc) || (dir != AD_CLOCKWISE && dir != AD_COUNTERCLOCKWISE))
        return 0;
    RecordScope rec(dc, MetaOp::SetArcDirection, {dir});
    int old = dc->S.ArcDirection;
    dc->S.ArcDirection = dir;
    return old;
}

COLORREF GetTextColor(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.TextColor : CLR_INVALID;
}
COLORREF GetBkColor(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.BkColor : CLR_INVALID;
}
int GetBkMode(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.BkMode : 0;
}
int GetROP2(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.Rop2 : 0;
}
UINT GetTextAlign(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.TextAlign : 0;
}
int GetPolyFillMode(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.PolyFillMode : 0;
}
int GetStretchBltMode(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.StretchMode : 0;
}
int GetArcDirection(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.ArcDirection : 0;
}
int GetMapMode(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.MapMode : 0;
}

int SetTextCharacterExtra(HDC dc, int extra)
{
    if (!IsLiveDC(dc))
        return 0x80000000;
    int old = dc->S.CharExtra;
    dc->S.CharExtra = extra;
    return old;
}

DWORD SetLayout(HDC dc, DWORD layout)
{
    if (!IsLiveDC(dc))
        return GDI_ERROR;
    DWORD old = dc->S.Layout;
    dc->S.Layout = layout;
    return old;
}

DWORD GetLayout(HDC dc)
{
    return IsLiveDC(dc) ? dc->S.Layout : GDI_ERROR;
}

COLORREF SetDCBrushColor(HDC dc, COLORREF c)
{
    if (!IsLiveDC(dc))
        return CLR_INVALID;
    COLORREF old = dc->S.DCBrushColor;
    dc->S.DCBrushColor = c & 0xFFFFFF;
    return old;
}

COLORREF SetDCPenColor(HDC dc, COLORREF c)
{
    if (!IsLiveDC(dc))
        return CLR_INVALID;
    COLORREF old = dc->S.DCPenColor;
    dc->S.DCPenColor = c & 0xFFFFFF;
    return old;
}

BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::SetBrushOrg, {x, y});
    if (old)
        *old = dc->S.BrushOrg;
    dc->S.BrushOrg = {x, y};
    return TRUE;
}

BOOL GetBrushOrgEx(HDC dc, POINT* org)
{
    if (!IsLiveDC(dc) || !org)
        return FALSE;
    *org = dc->S.BrushOrg;
    return TRUE;
}

int SetMapMode(HDC dc, int mode)
{
    if (!IsLiveDC(dc) || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return 0;
    RecordScope rec(dc, MetaOp::SetMapMode, {mode});
    DCState& s = dc->S;
    int old = s.MapMode;
    s.MapMode = mode;
    // Logical units per inch of the fixed modes; y grows upwards in all of them.
    int perInch = 0;
    switch (mode) {
    case MM_TEXT:
        s.WindowExt = {1, 1};
        s.ViewportExt = {1, 1};
        break;
    case MM_LOMETRIC:
        perInch = 254;
        break;
    case MM_HIMETRIC:
        perInch = 2540;
        break;
    case MM_LOENGLISH:
        perInch = 100;
        break;
    case MM_HIENGLISH:
        perInch = 1000;
        break;
    case MM_TWIPS:
        perInch = 1440;
        break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        // Both keep the current mapping until extents are set (isotropic starts at 1:1 metric).
        if (old != MM_ISOTROPIC && old != MM_ANISOTROPIC && mode == MM_ISOTROPIC) {
            s.WindowExt = {254, 254};
            s.ViewportExt = {dc->DpiX, -dc->DpiY};
        }
        break;
    }
    if (perInch) {
        int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
        s.WindowExt = {perInch, perInch};
        s.ViewportExt = {dpiX, -dpiY};
    }
    return old;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::SetWindowOrg, {x, y});
    if (old)
        *old = dc->S.WindowOrg;
    dc->S.WindowOrg = {x, y};
    return TRUE;
}

BOOL GetWindowOrgEx(HDC dc, POINT* org)
{
    if (!IsLiveDC(dc) || !org)
        return FALSE;
    *org = dc->S.WindowOrg;
    return TRUE;
}

BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    POINT o = dc->S.WindowOrg;
    return SetWindowOrgEx(dc, o.X + dx, o.Y + dy, old);
}

BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    if (old)
        *old = dc->S.WindowExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return TRUE; // fixed modes ignore extents
    if (x == 0 || y == 0)
        return FALSE;
    RecordScope rec(dc, MetaOp::SetWindowExt, {x, y});
    dc->S.WindowExt = {x, y};
    FixIsotropic(dc->S);
    return TRUE;
}

BOOL GetWindowExtEx(HDC dc, SIZE* ext)
{
    if (!IsLiveDC(dc) || !ext)
        return FALSE;
    *ext = dc->S.WindowExt;
    return TRUE;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::SetViewportOrg, {x, y});
    if (old)
        *old = dc->S.ViewportOrg;
    dc->S.ViewportOrg = {x, y};
    return TRUE;
}

BOOL GetViewportOrgEx(HDC dc, POINT* org)
{
    if (!IsLiveDC(dc) || !org)
        return FALSE;
    *org = dc->S.ViewportOrg;
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    POINT o = dc->S.ViewportOrg;
    return SetViewportOrgEx(dc, o.X + dx, o.Y + dy, old);
}

BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    if (old)
        *old = dc->S.ViewportExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return TRUE;
    if (x == 0 || y == 0)
        return FALSE;
    RecordScope rec(dc, MetaOp::SetViewportExt, {x, y});
    dc->S.ViewportExt = {x, y};
    FixIsotropic(dc->S);
    return TRUE;
}

BOOL GetViewportExtEx(HDC dc, SIZE* ext)
{
    if (!IsLiveDC(dc) || !ext)
        return FALSE;
    *ext = dc->S.ViewportExt;
    return TRUE;
}

BOOL ScaleViewportExtEx(HDC dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old)
{
    if (!IsLiveDC(dc) || xDenom == 0 || yDenom == 0)
        return FALSE;
    SIZE e = dc->S.ViewportExt;
    return SetViewportExtEx(dc, MulDiv(e.cx, xNum, xDenom), MulDiv(e.cy, yNum, yDenom), old);
}

BOOL ScaleWindowExtEx(HDC dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old)
{
    if (!IsLiveDC(dc) || xDenom == 0 || yDenom == 0)
        return FALSE;
    SIZE e = dc->S.WindowExt;
    return SetWindowExtEx(dc, MulDiv(e.cx, xNum, xDenom), MulDiv(e.cy, yNum, yDenom), old);
}

BOOL LPtoDP(HDC dc, POINT* pts, int count)
{
    if (!IsLiveDC(dc) || (!pts && count > 0))
        return FALSE;
    for (int i = 0; i < count; ++i)
        pts[i] = ToDeviceRounded(*dc, pts[i].X, pts[i].Y);
    return TRUE;
}

BOOL DPtoLP(HDC dc, POINT* pts, int count)
{
    if (!IsLiveDC(dc) || (!pts && count > 0))
        return FALSE;
    constexpr double limit = double(1 << 29);
    for (int i = 0; i < count; ++i) {
        DPoint p = ToLogical(*dc, pts[i].X, pts[i].Y);
        pts[i] = {int(std::lround(std::clamp(p.X, -limit, limit))),
                  int(std::lround(std::clamp(p.Y, -limit, limit)))};
    }
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* pos)
{
    if (!IsLiveDC(dc) || !pos)
        return FALSE;
    *pos = dc->S.CurPos;
    return TRUE;
}

// ---- Rectangle helpers ----

BOOL SetRect(RECT* r, int l, int t, int rr, int b)
{
    if (!r)
        return FALSE;
    *r = {l, t, rr, b};
    return TRUE;
}

BOOL SetRectEmpty(RECT* r)
{
    return SetRect(r, 0, 0, 0, 0);
}

BOOL CopyRect(RECT* d, const RECT* s)
{
    if (!d || !s)
        return FALSE;
    *d = *s;
    return TRUE;
}

BOOL InflateRect(RECT* r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->Left -= dx;
    r->Right += dx;
    r->Top -= dy;
    r->Bottom += dy;
    return TRUE;
}

BOOL OffsetRect(RECT* r, int dx, int dy)
{
    if (!r)
        return FALSE;
    r->Left += dx;
    r->Right += dx;
    r->Top += dy;
    r->Bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* r)
{
    return !r || r->Right <= r->Left || r->Bottom <= r->Top;
}

BOOL PtInRect(const RECT* r, POINT p)
{
    return r && p.X >= r->Left && p.X < r->Right && p.Y >= r->Top && p.Y < r->Bottom;
}

BOOL IntersectRect(RECT* d, const RECT* a, const RECT* b)
{
    if (!d || !a || !b)
        return FALSE;
    RECT r{std::max(a->Left, b->Left), std::max(a->Top, b->Top), std::min(a->Right, b->Right),
           std::min(a->Bottom, b->Bottom)};
    if (IsRectEmpty(&r)) {
        *d = {};
        return FALSE;
    }
    *d = r;
    return TRUE;
}

BOOL UnionRect(RECT* d, const RECT* a, const RECT* b)
{
    if (!d || !a || !b)
        return FALSE;
    if (IsRectEmpty(a)) {
        *d = IsRectEmpty(b) ? RECT{} : *b;
    } else if (IsRectEmpty(b)) {
        *d = *a;
    } else {
        *d = {std::min(a->Left, b->Left), std::min(a->Top, b->Top), std::max(a->Right, b->Right),
              std::max(a->Bottom, b->Bottom)};
    }
    return !IsRectEmpty(d);
}

BOOL SubtractRect(RECT* d, const RECT* a, const RECT* b)
{
    if (!d || !a || !b)
        return FALSE;
    RECT r = *a;
    RECT i;
    if (IntersectRect(&i, a, b)) {
        if (i.Top == r.Top && i.Bottom == r.Bottom) {
            if (i.Left == r.Left)
                r.Left = i.Right;
            else if (i.Right == r.Right)
                r.Right = i.Left;
        } else if (i.Left == r.Left && i.Right == r.Right) {
            if (i.Top == r.Top)
                r.Top = i.Bottom;
            else if (i.Bottom == r.Bottom)
                r.Bottom = i.Top;
        }
    }
    *d = r;
    return !IsRectEmpty(&r);
}

BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && *a == *b;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    std::int64_t p = std::int64_t(number) * numerator;
    // Rounds half away from zero, as the API does.
    std::int64_t d = denominator;
    std::int64_t q = ((p < 0) != (d < 0)) ? (p - d / 2) / d : (p + d / 2) / d;
    if (q > INT32_MAX || q < INT32_MIN)
        return -1;
    return int(q);
}
