// Region objects and the DC's clipping.

#include "platform/win/GdiInternal.h"
#include "platform/win/MetafileRecording.h"

#include <algorithm>
#include <cmath>

using namespace gdi;

namespace {

HRGN NewRegion(Region r)
{
    auto* rgn = new GdiRegion;
    rgn->Rgn = std::move(r);
    RegisterObject(rgn);
    return rgn;
}

RECT Normalised(int l, int t, int r, int b)
{
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

int ClipComplexity(const DeviceContext& dc)
{
    return EffectiveClip(dc).Complexity();
}

void SetClip(DeviceContext& dc, Region r)
{
    dc.S.Clip = std::move(r);
}

Region CurrentClipOrBounds(const DeviceContext& dc)
{
    return dc.S.Clip ? *dc.S.Clip : DeviceBounds(dc);
}

} // namespace

HRGN CreateRectRgn(int l, int t, int r, int b)
{
    return NewRegion(Region(Normalised(l, t, r, b)));
}

HRGN CreateRectRgnIndirect(const RECT* r)
{
    return r ? CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int l, int t, int r, int b, int w, int h)
{
    return NewRegion(RoundRectRegion(Normalised(l, t, r, b), std::abs(w), std::abs(h)));
}

HRGN CreateEllipticRgn(int l, int t, int r, int b)
{
    return NewRegion(EllipseRegion(Normalised(l, t, r, b)));
}

HRGN CreateEllipticRgnIndirect(const RECT* r)
{
    return r ? CreateEllipticRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polygons, int fillMode)
{
    if (!pts || !counts || polygons <= 0)
        return nullptr;
    std::vector<std::vector<DPoint>> polys;
    const POINT* p = pts;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 0)
            return nullptr;
        std::vector<DPoint> poly;
        for (int k = 0; k < counts[i]; ++k)
            poly.push_back({double(p[k].X), double(p[k].Y)});
        p += counts[i];
        polys.push_back(std::move(poly));
    }
    return NewRegion(PolygonRegion(polys, fillMode == WINDING ? WINDING : ALTERNATE));
}

HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode)
{
    return CreatePolyPolygonRgn(pts, &count, 1, fillMode);
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode)
{
    auto* d = As<GdiRegion>(dest, OBJ_REGION);
    auto* a = As<GdiRegion>(src1, OBJ_REGION);
    auto* b = As<GdiRegion>(src2, OBJ_REGION);
    if (!d || !a || (mode != RGN_COPY && !b))
        return ERROR;
    switch (mode) {
    case RGN_COPY:
        d->Rgn = a->Rgn;
        break;
    case RGN_AND:
        d->Rgn = Region::Combine(a->Rgn, b->Rgn, Region::And);
        break;
    case RGN_OR:
        d->Rgn = Region::Combine(a->Rgn, b->Rgn, Region::Or);
        break;
    case RGN_XOR:
        d->Rgn = Region::Combine(a->Rgn, b->Rgn, Region::Xor);
        break;
    case RGN_DIFF:
        d->Rgn = Region::Combine(a->Rgn, b->Rgn, Region::Diff);
        break;
    default:
        return ERROR;
    }
    return d->Rgn.Complexity();
}

int OffsetRgn(HRGN h, int dx, int dy)
{
    auto* r = As<GdiRegion>(h, OBJ_REGION);
    if (!r)
        return ERROR;
    r->Rgn.Offset(dx, dy);
    return r->Rgn.Complexity();
}

BOOL PtInRegion(HRGN h, int x, int y)
{
    auto* r = As<GdiRegion>(h, OBJ_REGION);
    return r && r->Rgn.Contains(x, y);
}

BOOL RectInRegion(HRGN h, const RECT* rect)
{
    auto* r = As<GdiRegion>(h, OBJ_REGION);
    return r && rect && r->Rgn.Overlaps(*rect);
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    auto* ra = As<GdiRegion>(a, OBJ_REGION);
    auto* rb = As<GdiRegion>(b, OBJ_REGION);
    return ra && rb && ra->Rgn == rb->Rgn;
}

int GetRgnBox(HRGN h, RECT* box)
{
    auto* r = As<GdiRegion>(h, OBJ_REGION);
    if (!r || !box)
        return ERROR;
    *box = r->Rgn.Box();
    return r->Rgn.Complexity();
}

BOOL SetRectRgn(HRGN h, int l, int t, int r, int b)
{
    auto* rgn = As<GdiRegion>(h, OBJ_REGION);
    if (!rgn)
        return FALSE;
    rgn->Rgn = Region(Normalised(l, t, r, b));
    return TRUE;
}

int GetRegionRects(HRGN h, RECT* rects, int capacity)
{
    auto* r = As<GdiRegion>(h, OBJ_REGION);
    if (!r)
        return -1;
    auto all = r->Rgn.Rects();
    if (rects)
        std::copy_n(all.begin(), std::min<size_t>(all.size(), size_t(std::max(capacity, 0))), rects);
    return int(all.size());
}

// ---- Clipping ----

int ExtSelectClipRgn(HDC dc, HRGN h, int mode)
{
    if (!IsLiveDC(dc))
        return ERROR;
    auto* rgn = As<GdiRegion>(h, OBJ_REGION);
    if (dc->Recorder && dc->RecordDepth == 0) {
        std::vector<std::int32_t> ints{mode, rgn ? 1 : 0};
        if (rgn)
            for (const TRect& t : rgn->Rgn.Rects())
                ints.insert(ints.end(), {t.Left, t.Top, t.Right, t.Bottom});
        RecordScope rec(dc, MetaOp::SelectClipRgn);
        if (rec.Last())
            rec.Last()->I = std::move(ints);
    }
    if (!rgn) {
        if (mode != RGN_COPY)
            return ERROR;
        dc->S.Clip.reset();
        return ClipComplexity(*dc);
    }
    Region r = rgn->Rgn;
    switch (mode) {
    case RGN_COPY:
        SetClip(*dc, r);
        break;
    case RGN_AND:
        SetClip(*dc, CurrentClipOrBounds(*dc).Intersect(r));
        break;
    case RGN_OR:
        SetClip(*dc, CurrentClipOrBounds(*dc).Union(r));
        break;
    case RGN_XOR:
        SetClip(*dc, Region::Combine(CurrentClipOrBounds(*dc), r, Region::Xor));
        break;
    case RGN_DIFF:
        SetClip(*dc, CurrentClipOrBounds(*dc).Subtract(r));
        break;
    default:
        return ERROR;
    }
    return ClipComplexity(*dc);
}

int SelectClipRgn(HDC dc, HRGN h)
{
    return ExtSelectClipRgn(dc, h, RGN_COPY);
}

int GetClipRgn(HDC dc, HRGN h)
{
    auto* rgn = As<GdiRegion>(h, OBJ_REGION);
    if (!IsLiveDC(dc) || !rgn)
        return -1;
    if (!dc->S.Clip)
        return 0;
    rgn->Rgn = *dc->S.Clip;
    return 1;
}

int IntersectClipRect(HDC dc, int l, int t, int r, int b)
{
    if (!IsLiveDC(dc))
        return ERROR;
    RecordScope rec(dc, MetaOp::IntersectClipRect, {l, t, r, b});
    SetClip(*dc, CurrentClipOrBounds(*dc).Intersect(Region(ToDeviceRect(*dc, RECT{l, t, r, b}))));
    return ClipComplexity(*dc);
}

int ExcludeClipRect(HDC dc, int l, int t, int r, int b)
{
    if (!IsLiveDC(dc))
        return ERROR;
    RecordScope rec(dc, MetaOp::ExcludeClipRect, {l, t, r, b});
    SetClip(*dc, CurrentClipOrBounds(*dc).Subtract(Region(ToDeviceRect(*dc, RECT{l, t, r, b}))));
    return ClipComplexity(*dc);
}

int OffsetClipRgn(HDC dc, int dx, int dy)
{
    if (!IsLiveDC(dc))
        return ERROR;
    if (dc->S.Clip)
        dc->S.Clip->Offset(int(std::lround(dx * ScaleX(*dc))), int(std::lround(dy * ScaleY(*dc))));
    return ClipComplexity(*dc);
}

int GetClipBox(HDC dc, RECT* rect)
{
    if (!IsLiveDC(dc) || !rect)
        return ERROR;
    Region clip = EffectiveClip(*dc);
    TRect b = clip.Box();
    POINT p[2] = {{b.Left, b.Top}, {b.Right, b.Bottom}};
    DPtoLP(dc, p, 2);
    *rect = Normalised(p[0].X, p[0].Y, p[1].X, p[1].Y);
    return clip.Complexity();
}

BOOL RectVisible(HDC dc, const RECT* r)
{
    if (!IsLiveDC(dc) || !r)
        return FALSE;
    return !ClipShape(*dc, Region(ToDeviceRect(*dc, *r))).Empty();
}

BOOL PtVisible(HDC dc, int x, int y)
{
    if (!IsLiveDC(dc))
        return FALSE;
    POINT p = ToDeviceRounded(*dc, x, y);
    return !ClipShape(*dc, Region(RECT{p.X, p.Y, p.X + 1, p.Y + 1})).Empty();
}
