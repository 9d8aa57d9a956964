// Control faces drawn as shapes: focus rectangles, 3-D edges, frame controls (check boxes,
// radio buttons, push buttons, scroll arrows) and gradient fills.

#include "platform/win/GdiInternal.h"
#include "platform/win/MetafileRecording.h"

#include <algorithm>
#include <cmath>

using namespace gdi;

namespace {

void FillDevice(DeviceContext& dc, const Region& r, COLORREF c)
{
    Paint p;
    p.Color = ToPixel(c);
    PaintRegion(dc, r, p, R2_COPYPEN);
}

void HLine(DeviceContext& dc, int x0, int x1, int y, COLORREF c)
{
    FillDevice(dc, Region(RECT{x0, y, x1, y + 1}), c);
}
void VLine(DeviceContext& dc, int x, int y0, int y1, COLORREF c)
{
    FillDevice(dc, Region(RECT{x, y0, x + 1, y1}), c);
}

// One ring of a 3-D edge: top and left first, then bottom and right over the corners.
void Ring(DeviceContext& dc, const RECT& r, UINT flags, COLORREF topLeft, COLORREF bottomRight)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    if (flags & BF_TOP)
        HLine(dc, r.Left, r.Right - 1, r.Top, topLeft);
    if (flags & BF_LEFT)
        VLine(dc, r.Left, r.Top, r.Bottom - 1, topLeft);
    if (flags & BF_BOTTOM)
        HLine(dc, r.Left, r.Right, r.Bottom - 1, bottomRight);
    if (flags & BF_RIGHT)
        VLine(dc, r.Right - 1, r.Top, r.Bottom, bottomRight);
}

void Shrink(RECT& r, UINT flags)
{
    if (flags & BF_LEFT)
        ++r.Left;
    if (flags & BF_TOP)
        ++r.Top;
    if (flags & BF_RIGHT)
        --r.Right;
    if (flags & BF_BOTTOM)
        --r.Bottom;
}

// Draws an edge on a device rectangle and returns the rectangle inside it.
RECT Edge(DeviceContext& dc, RECT r, UINT edge, UINT flags)
{
    COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    bool outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    if (flags & (BF_FLAT | BF_MONO)) {
        COLORREF o = (flags & BF_MONO) ? GetSysColor(COLOR_WINDOWFRAME) : shadow;
        COLORREF i = (flags & BF_MONO) ? GetSysColor(COLOR_WINDOW) : GetSysColor(COLOR_BTNFACE);
        if (outer) {
            Ring(dc, r, flags, o, o);
            Shrink(r, flags);
        }
        if (inner) {
            Ring(dc, r, flags, i, i);
            Shrink(r, flags);
        }
        return r;
    }
    if (outer) {
        COLORREF tl = (edge & BDR_RAISEDOUTER) ? ((flags & BF_SOFT) ? hi : light) : shadow;
        COLORREF br = (edge & BDR_RAISEDOUTER) ? dark : hi;
        Ring(dc, r, flags, tl, br);
        Shrink(r, flags);
    }
    if (inner) {
        COLORREF tl = (edge & BDR_RAISEDINNER) ? ((flags & BF_SOFT) ? light : hi) : dark;
        COLORREF br = (edge & BDR_RAISEDINNER) ? shadow : light;
        Ring(dc, r, flags, tl, br);
        Shrink(r, flags);
    }
    return r;
}

// A solid triangle pointing in a direction (0 up, 1 down, 2 left, 3 right), centred.
void Arrow(DeviceContext& dc, const RECT& r, int dir, COLORREF c)
{
    int w = r.Right - r.Left, h = r.Bottom - r.Top;
    int size = std::max(2, (std::min(w, h) - 4) / 3); // rows of the triangle
    int cx = r.Left + w / 2, cy = r.Top + h / 2;
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
    for (int i = 0; i < size; ++i) {
        int half = i;
        if (dir == 0 || dir == 1) {
            int y = dir == 1 ? cy - size / 2 + (size - 1 - i) : cy - size / 2 + i;
            rows.push_back({y, {{cx - half, cx + half + 1}}});
        } else {
            int x = dir == 3 ? cx - size / 2 + (size - 1 - i) : cx - size / 2 + i;
            for (int k = -half; k <= half; ++k)
                rows.push_back({cy + k, {{x, x + 1}}});
        }
    }
    FillDevice(dc, Region::FromRows(std::move(rows)), c);
}

void CheckMark(DeviceContext& dc, const RECT& box, COLORREF c)
{
    // A 7 × 7 tick, three pixels thick, centred in the box.
    int w = box.Right - box.Left, h = box.Bottom - box.Top;
    int ox = box.Left + (w - 7) / 2, oy = box.Top + (h - 7) / 2;
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
    const int tops[7] = {2, 3, 4, 3, 2, 1, 0}; // first row of each column
    for (int x = 0; x < 7; ++x)
        for (int k = 0; k < 3; ++k)
            rows.push_back({oy + tops[x] + k, {{ox + x, ox + x + 1}}});
    FillDevice(dc, Region::FromRows(std::move(rows)), c);
}

RECT Square(const RECT& r)
{
    int s = std::min(r.Right - r.Left, r.Bottom - r.Top);
    int x = r.Left + (r.Right - r.Left - s) / 2, y = r.Top + (r.Bottom - r.Top - s) / 2;
    return {x, y, x + s, y + s};
}

} // namespace

BOOL DrawFocusRect(HDC dc, const RECT* rect)
{
    if (!IsLiveDC(dc) || !rect)
        return FALSE;
    RecordScope rec(dc, MetaOp::DrawFocusRect, {rect->Left, rect->Top, rect->Right, rect->Bottom});
    RECT d = ToDeviceRect(*dc, *rect);
    Region frame = Region(d).Subtract(Region(RECT{d.Left + 1, d.Top + 1, d.Right - 1, d.Bottom - 1}));
    frame = frame.Intersect(Region(ClipLimit(*dc)));
    // Every other pixel, inverted: drawing it again takes it away.
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
    for (const TRect& t : frame.Rects())
        for (int y = t.Top; y < t.Bottom; ++y)
            for (int x = t.Left; x < t.Right; ++x)
                if (((x + y) & 1) == 0)
                    rows.push_back({y, {{x, x + 1}}});
    PaintRegion(*dc, Region::FromRows(std::move(rows)), Paint{}, R2_NOT);
    return TRUE;
}

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags)
{
    if (!IsLiveDC(dc) || !rect)
        return FALSE;
    RecordScope rec(
        dc, MetaOp::DrawEdge,
        {rect->Left, rect->Top, rect->Right, rect->Bottom, std::int32_t(edge), std::int32_t(flags)});
    RECT d = ToDeviceRect(*dc, *rect);
    RECT inside = Edge(*dc, d, edge, flags);
    if (flags & BF_MIDDLE)
        FillDevice(*dc, Region(inside), GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flags & BF_ADJUST) {
        rect->Left += inside.Left - d.Left;
        rect->Top += inside.Top - d.Top;
        rect->Right -= d.Right - inside.Right;
        rect->Bottom -= d.Bottom - inside.Bottom;
    }
    return TRUE;
}

BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state)
{
    if (!IsLiveDC(dc) || !rect)
        return FALSE;
    RecordScope rec(
        dc, MetaOp::DrawFrameControl,
        {rect->Left, rect->Top, rect->Right, rect->Bottom, std::int32_t(type), std::int32_t(state)});
    DeviceContext& d = *dc;
    RECT r = ToDeviceRect(d, *rect);
    // Glyphs are drawn row by row: a rectangle of absurd size draws nothing.
    if (r.Right - r.Left > 4096 || r.Bottom - r.Top > 4096)
        return FALSE;
    bool inactive = state & DFCS_INACTIVE, pushed = state & DFCS_PUSHED, checked = state & DFCS_CHECKED;
    bool flat = state & DFCS_FLAT, mono = state & DFCS_MONO;
    COLORREF text = GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    auto buttonFace = [&](RECT b) {
        UINT edge = pushed ? EDGE_SUNKEN : EDGE_RAISED;
        UINT f = BF_RECT | (flat ? UINT(BF_FLAT) : 0u) | (mono ? UINT(BF_MONO) : 0u);
        if (pushed && !flat && !mono) {
            // A pressed button shows a thin shadow.
            f |= BF_FLAT;
            edge = BDR_SUNKENOUTER;
        }
        RECT in = Edge(d, b, edge, f);
        if (!(state & DFCS_TRANSPARENT))
            FillDevice(d, Region(in), face);
        return in;
    };
    switch (type) {
    case DFC_BUTTON: {
        UINT kind = state & 0x1F;
        if (kind == DFCS_BUTTONPUSH) {
            buttonFace(r);
            break;
        }
        RECT box = Square(r);
        if (kind & DFCS_BUTTONRADIO) {
            COLORREF fill = GetSysColor((pushed || inactive) ? COLOR_BTNFACE : COLOR_WINDOW);
            Region disc = EllipseRegion(box);
            RECT innerBox{box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1};
            Region inner = EllipseRegion(innerBox);
            FillDevice(d, disc.Subtract(inner),
                       GetSysColor(flat || mono ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
            FillDevice(d, inner, fill);
            if (checked) {
                int s = box.Right - box.Left;
                int dot = std::max(2, s / 3);
                int x = box.Left + (s - dot) / 2, y = box.Top + (s - dot) / 2;
                FillDevice(d, EllipseRegion(RECT{x, y, x + dot, y + dot}), text);
            }
            break;
        }
        // Check box: a sunken (or flat) square, white inside, with a tick when checked.
        RECT in;
        if (flat || mono)
            in = Edge(d, box, BDR_OUTER, BF_RECT | BF_MONO);
        else
            in = Edge(d, box, EDGE_SUNKEN, BF_RECT);
        bool grayed = (kind & DFCS_BUTTON3STATE) && checked;
        FillDevice(d, Region(in), GetSysColor((pushed || inactive || grayed) ? COLOR_BTNFACE : COLOR_WINDOW));
        if (checked)
            CheckMark(d, in, grayed ? GetSysColor(COLOR_BTNSHADOW) : text);
        break;
    }
    case DFC_SCROLL: {
        UINT kind = state & 0xFF;
        RECT in = buttonFace(r);
        if (pushed) {
            ++in.Left;
            ++in.Top;
            ++in.Right;
            ++in.Bottom;
        }
        int dir = kind == DFCS_SCROLLUP ? 0 : kind == DFCS_SCROLLLEFT ? 2 : kind == DFCS_SCROLLRIGHT ? 3 : 1;
        if (kind == DFCS_SCROLLSIZEGRIP)
            break;
        if (inactive)
            Arrow(d, RECT{in.Left + 1, in.Top + 1, in.Right + 1, in.Bottom + 1}, dir,
                  GetSysColor(COLOR_BTNHIGHLIGHT));
        Arrow(d, in, dir, text);
        break;
    }
    case DFC_MENU:
    case DFC_POPUPMENU: {
        UINT kind = state & 0xFF;
        if (kind == DFCS_MENUCHECK)
            CheckMark(d, r, 0);
        else if (kind == DFCS_MENUBULLET) {
            RECT b = Square(r);
            int s = std::max(2, (b.Right - b.Left) / 3);
            int x = b.Left + (b.Right - b.Left - s) / 2, y = b.Top + (b.Bottom - b.Top - s) / 2;
            FillDevice(d, EllipseRegion(RECT{x, y, x + s, y + s}), 0);
        } else
            Arrow(d, r, 3, 0);
        break;
    }
    case DFC_CAPTION: {
        RECT in = buttonFace(r);
        if ((state & 0xFF) == DFCS_CAPTIONCLOSE) {
            int s = std::min(in.Right - in.Left, in.Bottom - in.Top) - 4;
            int x = in.Left + (in.Right - in.Left - s) / 2, y = in.Top + (in.Bottom - in.Top - s) / 2;
            std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
            for (int i = 0; i < s; ++i)
                rows.push_back({y + i, {{x + i, x + i + 2}, {x + s - 2 - i, x + s - i}}});
            FillDevice(d, Region::FromRows(std::move(rows)), text);
        } else if ((state & 0xFF) <= DFCS_CAPTIONRESTORE) {
            int s = std::min(in.Right - in.Left, in.Bottom - in.Top) - 4;
            int x = in.Left + (in.Right - in.Left - s) / 2, y = in.Top + (in.Bottom - in.Top - s) / 2;
            // A window outline with a thick top edge.
            auto window = [](int l, int t, int r, int b) {
                return Region(TRect{l, t, r, b}).Subtract(Region(TRect{l + 1, t + 2, r - 1, b - 1}));
            };
            Region glyph;
            if ((state & 0xFF) == DFCS_CAPTIONMIN)
                glyph = Region(TRect{x + 1, y + s - 2, x + s - 2, y + s});
            else if ((state & 0xFF) == DFCS_CAPTIONMAX)
                glyph = window(x, y, x + s, y + s);
            else
                glyph = window(x + s / 3, y, x + s, y + s * 2 / 3)
                            .Subtract(Region(TRect{x, y + s / 3, x + s * 2 / 3, y + s}))
                            .Union(window(x, y + s / 3, x + s * 2 / 3, y + s));
            FillDevice(d, glyph, text);
        }
        break;
    }
    default:
        return FALSE;
    }
    if ((state & DFCS_ADJUSTRECT) && type == DFC_BUTTON)
        InflateRect(rect, -2, -2);
    return TRUE;
}

BOOL GradientFill(HDC dc, const TRIVERTEX* v, ULONG nv, const void* mesh, ULONG nm, ULONG mode)
{
    if (!IsLiveDC(dc) || !v || !mesh || nv == 0 || nm == 0)
        return FALSE;
    if (dc->Recorder && dc->RecordDepth == 0) {
        RecordScope rec(dc, MetaOp::GradientFill, {std::int32_t(mode)});
        if (auto* last = rec.Last()) {
            // Rectangles are recorded as pairs of vertices, triangles as three.
            ULONG per = mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
            const auto* idx = static_cast<const ULONG*>(mesh);
            for (ULONG i = 0; i < nm * per; ++i) {
                if (idx[i] >= nv)
                    return FALSE;
                const TRIVERTEX& t = v[idx[i]];
                last->I.insert(last->I.end(), {t.x, t.y, t.Red, t.Green, t.Blue});
            }
        }
        return TRUE;
    }
    auto color = [](double r, double g, double b) {
        return (std::uint32_t(std::clamp(r, 0.0, 65535.0)) >> 8 << 16) |
               (std::uint32_t(std::clamp(g, 0.0, 65535.0)) >> 8 << 8) |
               (std::uint32_t(std::clamp(b, 0.0, 65535.0)) >> 8);
    };
    if (mode == GRADIENT_FILL_RECT_H || mode == GRADIENT_FILL_RECT_V) {
        const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
        for (ULONG i = 0; i < nm; ++i) {
            if (rects[i].UpperLeft >= nv || rects[i].LowerRight >= nv)
                return FALSE;
            TRIVERTEX a = v[rects[i].UpperLeft], b = v[rects[i].LowerRight];
            POINT pa = ToDeviceRounded(*dc, a.x, a.y), pb = ToDeviceRounded(*dc, b.x, b.y);
            bool horizontal = mode == GRADIENT_FILL_RECT_H;
            RECT box{std::min(pa.X, pb.X), std::min(pa.Y, pb.Y), std::max(pa.X, pb.X), std::max(pa.Y, pb.Y)};
            // Colour runs from the first vertex's side to the other's.
            int from = horizontal ? pa.X : pa.Y, to = horizontal ? pb.X : pb.Y;
            Paint p;
            p.Mode = Paint::Function;
            p.Fn = [=](int x, int y) {
                int pos = horizontal ? x : y;
                double t = to == from ? 0 : double(pos - from) / double(to - from);
                return color(a.Red + (b.Red - a.Red) * t, a.Green + (b.Green - a.Green) * t,
                             a.Blue + (b.Blue - a.Blue) * t);
            };
            PaintRegion(*dc, Region(box), p, R2_COPYPEN);
        }
        return TRUE;
    }
    if (mode != GRADIENT_FILL_TRIANGLE)
        return FALSE;
    const auto* tris = static_cast<const GRADIENT_TRIANGLE*>(mesh);
    for (ULONG i = 0; i < nm; ++i) {
        ULONG ids[3] = {tris[i].Vertex1, tris[i].Vertex2, tris[i].Vertex3};
        TRIVERTEX t[3];
        DPoint p[3];
        for (int k = 0; k < 3; ++k) {
            if (ids[k] >= nv)
                return FALSE;
            t[k] = v[ids[k]];
            p[k] = ToDevice(*dc, t[k].x, t[k].y);
        }
        double det = (p[1].Y - p[2].Y) * (p[0].X - p[2].X) + (p[2].X - p[1].X) * (p[0].Y - p[2].Y);
        if (std::abs(det) < 1e-9)
            continue;
        Paint paint;
        paint.Mode = Paint::Function;
        paint.Fn = [=](int x, int y) {
            double w0 = ((p[1].Y - p[2].Y) * (x - p[2].X) + (p[2].X - p[1].X) * (y - p[2].Y)) / det;
            double w1 = ((p[2].Y - p[0].Y) * (x - p[2].X) + (p[0].X - p[2].X) * (y - p[2].Y)) / det;
            double w2 = 1 - w0 - w1;
            return color(w0 * t[0].Red + w1 * t[1].Red + w2 * t[2].Red,
                         w0 * t[0].Green + w1 * t[1].Green + w2 * t[2].Green,
                         w0 * t[0].Blue + w1 * t[1].Blue + w2 * t[2].Blue);
        };
        TRect limit = ClipLimit(*dc);
        PaintRegion(*dc, PolygonRegion({{p[0], p[1], p[2]}}, ALTERNATE, &limit), paint, R2_COPYPEN);
    }
    return TRUE;
}
