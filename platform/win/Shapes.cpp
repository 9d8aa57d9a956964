// Lines and shapes rasterised on whole pixels.
//
// Coordinates here are pixel indexes in device space: a pixel's centre is its index. A thin
// (cosmetic) line steps from pixel to pixel and leaves out its last pixel; a wide line is the
// polygon swept by the pen around the centre line; fills take the pixels whose centres lie
// inside, counting an edge on its top and left sides only. Rectangles and ellipses are the
// paths through the pixels l..r-1 and t..b-1, so their outlines stay inside the rectangle and
// their right and bottom edges are exclusive.

#include "platform/win/GdiInternal.h"
#include "platform/win/MetafileRecording.h"
#include "platform/win/VectorShapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gdi {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int CoordLimit = 1 << 20;
constexpr int DefaultLimit = 1 << 16;
const TRect WholeLimit{-DefaultLimit, -DefaultLimit, DefaultLimit, DefaultLimit};

struct Row {
    int Y, XL, XR; // inclusive
};

// The rows of a rounded rectangle covering l..r-1, t..b-1 with corner radii rx, ry (an
// ellipse when the radii are half the size). Each row is as wide as the curve gets within
// half a pixel of it, and both halves mirror each other exactly.
// Only rows within [ylo, yhi) are made.
std::vector<Row> RoundRows(int l, int t, int r, int b, double rx, double ry, int ylo, int yhi)
{
    std::vector<Row> rows;
    if (r <= l || b <= t)
        return rows;
    rx = std::clamp(rx, 0.0, (r - l - 1) / 2.0);
    ry = std::clamp(ry, 0.0, (b - t - 1) / 2.0);
    int midX = int((std::int64_t(l) + r - 1) / 2);
    for (int y = std::max(t, ylo); y < std::min(b, yhi); ++y) {
        int fromTop = std::min(y - t, (b - 1) - y);
        double dy = ry - fromTop; // distance from the corner centre row, towards the edge
        int xl = l;
        if (dy > 0 && ry > 0) {
            double d = std::max(dy - 0.5, 0.0) / ry;
            double hx = d >= 1 ? 0 : rx * std::sqrt(1 - d * d);
            xl = int(std::floor(l + rx - hx + 0.5));
        }
        xl = std::clamp(xl, l, midX);
        rows.push_back({y, xl, int(std::int64_t(l) + r - 1 - xl)});
    }
    return rows;
}

Region RowsRegion(const std::vector<Row>& rows)
{
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> out;
    for (const Row& row : rows)
        out.push_back({row.Y, {{row.XL, row.XR + 1}}});
    return Region::FromRows(std::move(out));
}

// The one-pixel outline of a shape given by rows: on each row, the pixels from the edge to
// just before where the neighbouring row (the narrower one) starts, so the outline stays
// connected where the edge is flat.
void OutlineRows(const std::vector<Row>& rows, Region& outline, Region& interior)
{
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> o, in;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        int innerL = row.XR + 1, innerR = row.XL - 1; // default: whole row is outline
        if (i > 0 && i + 1 < rows.size()) {
            int nl = std::max(rows[i - 1].XL, rows[i + 1].XL);
            int nr = std::min(rows[i - 1].XR, rows[i + 1].XR);
            int leftEnd = std::max(row.XL, nl - 1);
            int rightStart = std::min(row.XR, nr + 1);
            if (leftEnd + 1 < rightStart) {
                innerL = leftEnd + 1;
                innerR = rightStart - 1;
            }
        }
        if (innerL > innerR) {
            o.push_back({row.Y, {{row.XL, row.XR + 1}}});
        } else {
            o.push_back({row.Y, {{row.XL, innerL}, {innerR + 1, row.XR + 1}}});
            in.push_back({row.Y, {{innerL, innerR + 1}}});
        }
    }
    outline = Region::FromRows(std::move(o));
    interior = Region::FromRows(std::move(in));
}

double SignedArea(const std::vector<DPoint>& p)
{
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const DPoint& u = p[i];
        const DPoint& v = p[(i + 1) % p.size()];
        a += u.X * v.Y - v.X * u.Y;
    }
    return a / 2;
}

std::vector<DPoint> Disc(DPoint c, double radius)
{
    std::vector<DPoint> p;
    int n = int(std::clamp(radius * 4, 8.0, 64.0));
    for (int i = 0; i < n; ++i) {
        double a = 2 * Pi * i / n;
        p.push_back({c.X + radius * std::cos(a), c.Y + radius * std::sin(a)});
    }
    return p;
}

// Bresenham's line from (x0, y0) towards (x1, y1); the end pixel is left out. Only the steps
// first..last-1 are produced: the position of step i is computed directly (a tie steps
// towards increasing coordinates), so a clipped part has exactly the pixels of the whole line.
void LinePixels(int x0, int y0, int x1, int y1, std::vector<POINT>& out, std::int64_t first = 0,
                std::int64_t last = -1)
{
    std::int64_t dx = std::abs(std::int64_t(x1) - x0), dy = std::abs(std::int64_t(y1) - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    std::int64_t n = std::max(dx, dy);
    if (last < 0 || last > n)
        last = n;
    first = std::max<std::int64_t>(first, 0);
    for (std::int64_t i = first; i < last; ++i) {
        if (dx >= dy) {
            std::int64_t k = (2 * dy * i + dx - (sy > 0 ? 0 : 1)) / (2 * dx);
            out.push_back({int(x0 + sx * i), int(y0 + sy * k)});
        } else {
            std::int64_t k = (2 * dx * i + dy - (sx > 0 ? 0 : 1)) / (2 * dy);
            out.push_back({int(x0 + sx * k), int(y0 + sy * i)});
        }
    }
}

// Only the steps of a long line that fall near the visible box are produced, so that a
// hostile coordinate cannot make us walk billions of pixels.
void ClippedLinePixels(int x0, int y0, int x1, int y1, const TRect& box, std::vector<POINT>& out)
{
    std::int64_t n = std::max(std::abs(std::int64_t(x1) - x0), std::abs(std::int64_t(y1) - y0));
    if (n <= 256) {
        LinePixels(x0, y0, x1, y1, out);
        return;
    }
    double t0 = 0, t1 = 1, dx = double(x1) - x0, dy = double(y1) - y0;
    auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    double l = box.Left - 2, t = box.Top - 2, r = box.Right + 2, b = box.Bottom + 2;
    if (!edge(-dx, x0 - l) || !edge(dx, r - x0) || !edge(-dy, y0 - t) || !edge(dy, b - y0))
        return;
    LinePixels(x0, y0, x1, y1, out, std::int64_t(std::floor(t0 * n)) - 2,
               std::int64_t(std::ceil(t1 * n)) + 2);
}

// Dash lengths in pixels of the thin pen styles, on and off alternately.
std::vector<int> StylePattern(const GdiPen& pen)
{
    switch (pen.Kind()) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE:
        return {1, 1};
    case PS_USERSTYLE: {
        std::vector<int> p;
        for (DWORD d : pen.UserStyle)
            p.push_back(int(std::clamp<DWORD>(d, 1, 1000)));
        if (p.size() % 2)
            p.insert(p.end(), p.begin(), p.end());
        return p;
    }
    default:
        return {};
    }
}

Region PixelsRegion(const std::vector<POINT>& px)
{
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
    rows.reserve(px.size());
    for (const POINT& p : px)
        rows.push_back({p.Y, {{p.X, p.X + 1}}});
    return Region::FromRows(std::move(rows));
}

Region WidePolyline(const std::vector<DPoint>& pts, bool closed, double w, DWORD style, const TRect& limit)
{
    std::vector<std::vector<DPoint>> polys;
    double h = w / 2;
    DWORD cap = style & PS_ENDCAP_MASK, join = style & PS_JOIN_MASK;
    size_t n = pts.size();
    if (n == 0)
        return {};
    size_t segs = closed ? n : n - 1;
    auto normal = [&](DPoint a, DPoint b, DPoint& d, DPoint& nn) {
        double len = std::hypot(b.X - a.X, b.Y - a.Y);
        if (len < 1e-9)
            return false;
        d = {(b.X - a.X) / len, (b.Y - a.Y) / len};
        nn = {-d.Y * h, d.X * h};
        return true;
    };
    for (size_t i = 0; i < segs; ++i) {
        DPoint a = pts[i], b = pts[(i + 1) % n], d, nn;
        if (!normal(a, b, d, nn))
            continue;
        if (!closed && cap == PS_ENDCAP_SQUARE) {
            if (i == 0)
                a = {a.X - d.X * h, a.Y - d.Y * h};
            if (i + 1 == segs)
                b = {b.X + d.X * h, b.Y + d.Y * h};
        }
        polys.push_back({{a.X + nn.X, a.Y + nn.Y},
                         {b.X + nn.X, b.Y + nn.Y},
                         {b.X - nn.X, b.Y - nn.Y},
                         {a.X - nn.X, a.Y - nn.Y}});
    }
    // Joins at inner vertices (all vertices of a closed figure).
    for (size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
        DPoint v = pts[i], prev = pts[(i + n - 1) % n], next = pts[(i + 1) % n], d1, n1, d2, n2;
        if (join == PS_JOIN_ROUND) {
            polys.push_back(Disc(v, h));
            continue;
        }
        if (!normal(prev, v, d1, n1) || !normal(v, next, d2, n2))
            continue;
        for (int side : {1, -1}) {
            DPoint a{v.X + side * n1.X, v.Y + side * n1.Y}, b{v.X + side * n2.X, v.Y + side * n2.Y};
            std::vector<DPoint> tri{v, a, b};
            if (join == PS_JOIN_MITER) {
                double cosHalf = std::sqrt(std::max(0.0, (1 + d1.X * d2.X + d1.Y * d2.Y) / 2));
                if (cosHalf > 0.1) {
                    DPoint bis{a.X + b.X - 2 * v.X, a.Y + b.Y - 2 * v.Y};
                    double bl = std::hypot(bis.X, bis.Y);
                    if (bl > 1e-9) {
                        double len = h / cosHalf;
                        tri = {v, a, {v.X + bis.X / bl * len, v.Y + bis.Y / bl * len}, b};
                    }
                }
            }
            polys.push_back(tri);
        }
    }
    if (!closed && cap == PS_ENDCAP_ROUND) {
        polys.push_back(Disc(pts.front(), h));
        polys.push_back(Disc(pts.back(), h));
    }
    for (auto& p : polys)
        if (SignedArea(p) < 0)
            std::reverse(p.begin(), p.end());
    return PolygonRegion(polys, WINDING, &limit);
}

GdiBrush* BrushFromHandle(HBRUSH h)
{
    // (HBRUSH)(COLOR_xxx + 1) names a system colour, as window classes do.
    auto v = reinterpret_cast<std::uintptr_t>(h);
    if (v > 0 && v <= SYSTEM_COLOR_COUNT)
        return GetSysColorBrush(int(v - 1));
    return As<GdiBrush>(h, OBJ_BRUSH);
}

std::vector<DPoint> DevicePoints(const DeviceContext& dc, const POINT* pts, int count)
{
    std::vector<DPoint> out;
    for (int i = 0; i < count; ++i) {
        POINT p = ToDeviceRounded(dc, pts[i].X, pts[i].Y);
        out.push_back({double(p.X), double(p.Y)});
    }
    return out;
}

RECT NormalisedDevice(const DeviceContext& dc, int l, int t, int r, int b)
{
    return ToDeviceRect(dc, RECT{l, t, r, b});
}

std::vector<DPoint> RectPath(const RECT& d)
{
    return {{double(d.Left), double(d.Top)},
            {double(d.Right - 1), double(d.Top)},
            {double(d.Right - 1), double(d.Bottom - 1)},
            {double(d.Left), double(d.Bottom - 1)}};
}

// Draws a rounded shape (ellipse when the radii are half the size) with pen and brush.
void DrawRoundShape(DeviceContext& dc, const RECT& d, double ew, double eh, bool ellipse)
{
    if (d.Right <= d.Left || d.Bottom <= d.Top)
        return;
    if (DrawsVectors(dc)) {
        auto outline = RoundRectPoints(d, ew, eh, ellipse);
        if (!VectorFill(dc, {outline}, ALTERNATE)) {
            TRect limit = ClipLimit(dc);
            FillDeviceRegion(dc, PolygonRegion({outline}, ALTERNATE, &limit));
        }
        StrokeDevicePolyline(dc, outline, true);
        return;
    }
    // One row beyond the visible ones on each side keeps the outline rule right at the edges.
    TRect limit = ClipLimit(dc);
    auto rows = [&](int l, int t, int r, int b, double shrink) {
        double rx = ellipse ? (double(r) - l - 1) / 2.0 : std::max(0.0, (ew - 1) / 2.0 - shrink);
        double ry = ellipse ? (double(b) - t - 1) / 2.0 : std::max(0.0, (eh - 1) / 2.0 - shrink);
        return RoundRows(l, t, r, b, rx, ry, limit.Top - 1, limit.Bottom + 1);
    };
    Paint brush;
    bool fill = BrushPaint(dc, dc.S.Brush, brush);
    if (!PenVisible(dc)) {
        if (fill)
            PaintRegion(dc, RowsRegion(rows(d.Left, d.Top, d.Right - 1, d.Bottom - 1, 0)), brush, dc.S.Rop2);
        return;
    }
    int w = DevicePenWidth(dc);
    Region outline, interior;
    if (w <= 1) {
        OutlineRows(rows(d.Left, d.Top, d.Right, d.Bottom, 0), outline, interior);
    } else {
        bool inside = dc.S.Pen->Kind() == PS_INSIDEFRAME;
        int lo = inside ? 0 : w / 2, hi = inside ? 0 : w - 1 - w / 2;
        Region outer = RowsRegion(rows(d.Left - lo, d.Top - lo, d.Right + hi, d.Bottom + hi, -double(lo)));
        interior = RowsRegion(
            rows(d.Left - lo + w, d.Top - lo + w, d.Right + hi - w, d.Bottom + hi - w, double(w - lo)));
        outline = outer.Subtract(interior);
    }
    if (fill)
        PaintRegion(dc, interior, brush, dc.S.Rop2);
    Paint pen;
    pen.Color = ToPixel(PenColor(dc));
    PaintRegion(dc, outline, pen, dc.S.Rop2);
}

void AddFigure(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed)
{
    PathFigure f;
    for (const DPoint& p : pts)
        f.Points.push_back({p.X, p.Y});
    f.Closed = closed;
    dc.Path.push_back(std::move(f));
}

} // namespace

TRect ClipLimit(const DeviceContext& dc)
{
    TRect b = EffectiveClip(dc).Box();
    return {std::max(b.Left - 2, -DefaultLimit), std::max(b.Top - 2, -DefaultLimit),
            std::min(b.Right + 2, DefaultLimit), std::min(b.Bottom + 2, DefaultLimit)};
}

Region PolygonRegion(const std::vector<std::vector<DPoint>>& polys, int fillMode, const TRect* limit)
{
    const TRect& lim = limit ? *limit : WholeLimit;
    struct Edge {
        double X0, Y0, X1, Y1;
        int Dir;
    };
    std::vector<Edge> edges;
    double minY = 1e300, maxY = -1e300;
    for (const auto& poly : polys) {
        size_t n = poly.size();
        for (size_t i = 0; i < n; ++i) {
            DPoint a = poly[i], b = poly[(i + 1) % n];
            a.X = std::clamp(a.X, -double(CoordLimit), double(CoordLimit));
            a.Y = std::clamp(a.Y, -double(CoordLimit), double(CoordLimit));
            b.X = std::clamp(b.X, -double(CoordLimit), double(CoordLimit));
            b.Y = std::clamp(b.Y, -double(CoordLimit), double(CoordLimit));
            if (a.Y == b.Y)
                continue;
            edges.push_back(a.Y < b.Y ? Edge{a.X, a.Y, b.X, b.Y, 1} : Edge{b.X, b.Y, a.X, a.Y, -1});
            minY = std::min({minY, a.Y, b.Y});
            maxY = std::max({maxY, a.Y, b.Y});
        }
    }
    if (edges.empty())
        return {};
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.Y0 < b.Y0; });
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
    std::vector<std::pair<double, int>> xs;
    int y0 = std::max(int(std::ceil(minY)), lim.Top), y1 = std::min(int(std::ceil(maxY)), lim.Bottom);
    for (int y = y0; y < y1; ++y) {
        xs.clear();
        for (const Edge& e : edges) {
            if (e.Y0 > y)
                break;
            if (y >= e.Y1)
                continue;
            xs.push_back({e.X0 + (y - e.Y0) * (e.X1 - e.X0) / (e.Y1 - e.Y0), e.Dir});
        }
        std::sort(xs.begin(), xs.end());
        std::vector<std::pair<int, int>> spans;
        int wind = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            wind += xs[i].second;
            bool inside = fillMode == WINDING ? wind != 0 : (i % 2) == 0;
            if (!inside)
                continue;
            int a = std::max(int(std::ceil(xs[i].first)), lim.Left);
            int b = std::min(int(std::ceil(xs[i + 1].first)), lim.Right);
            if (a < b)
                spans.push_back({a, b});
        }
        if (!spans.empty())
            rows.push_back({y, std::move(spans)});
    }
    return Region::FromRows(std::move(rows));
}

Region RoundRectRegion(const RECT& r, int ew, int eh, const TRect* limit)
{
    const TRect& lim = limit ? *limit : WholeLimit;
    return RowsRegion(RoundRows(r.Left, r.Top, r.Right, r.Bottom, std::max(0, ew - 1) / 2.0,
                                std::max(0, eh - 1) / 2.0, lim.Top, lim.Bottom));
}

Region EllipseRegion(const RECT& r, const TRect* limit)
{
    const TRect& lim = limit ? *limit : WholeLimit;
    return RowsRegion(RoundRows(r.Left, r.Top, r.Right, r.Bottom, (double(r.Right) - r.Left - 1) / 2.0,
                                (double(r.Bottom) - r.Top - 1) / 2.0, lim.Top, lim.Bottom));
}

bool PenVisible(const DeviceContext& dc)
{
    return dc.S.Pen && dc.S.Pen->Kind() != PS_NULL;
}

int DevicePenWidth(const DeviceContext& dc)
{
    const GdiPen* pen = dc.S.Pen;
    if (!pen || (pen->Style & PS_TYPE_MASK) != PS_GEOMETRIC)
        return 1;
    return int(std::clamp(std::lround(pen->Width * std::abs(ScaleX(dc))), 1L, long(1 << 16)));
}

COLORREF PenColor(const DeviceContext& dc)
{
    return dc.S.Pen && dc.S.Pen->DCPen ? dc.S.DCPenColor : (dc.S.Pen ? dc.S.Pen->Color : 0);
}

std::vector<DPoint> ArcPoints(double l, double t, double r, double b, double xs, double ys, double xe,
                              double ye, bool clockwise)
{
    double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    // Angles measured counter-clockwise on the screen (y grows downwards).
    double a0 = std::atan2(-(ys - cy) * (rx ? rx : 1), (xs - cx) * (ry ? ry : 1));
    double a1 = std::atan2(-(ye - cy) * (rx ? rx : 1), (xe - cx) * (ry ? ry : 1));
    double sweep = clockwise ? a0 - a1 : a1 - a0;
    while (sweep <= 1e-9)
        sweep += 2 * Pi;
    int n = int(std::clamp((std::abs(rx) + std::abs(ry)) * sweep / 2, 4.0, 720.0));
    std::vector<DPoint> p;
    for (int i = 0; i <= n; ++i) {
        double a = a0 + (clockwise ? -sweep : sweep) * i / n;
        p.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return p;
}

std::vector<DPoint> BezierPoints(const std::vector<DPoint>& c)
{
    std::vector<DPoint> out;
    if (c.empty())
        return out;
    out.push_back(c[0]);
    for (size_t i = 0; i + 3 < c.size(); i += 3) {
        const DPoint &p0 = c[i], &p1 = c[i + 1], &p2 = c[i + 2], &p3 = c[i + 3];
        double len = std::hypot(p1.X - p0.X, p1.Y - p0.Y) + std::hypot(p2.X - p1.X, p2.Y - p1.Y) +
                     std::hypot(p3.X - p2.X, p3.Y - p2.Y);
        int n = std::clamp(int(std::min(len / 3, 1e6)), 2, 64);
        for (int k = 1; k <= n; ++k) {
            double t = double(k) / n, u = 1 - t;
            out.push_back(
                {u * u * u * p0.X + 3 * u * u * t * p1.X + 3 * u * t * t * p2.X + t * t * t * p3.X,
                 u * u * u * p0.Y + 3 * u * u * t * p1.Y + 3 * u * t * t * p2.Y + t * t * t * p3.Y});
        }
    }
    return out;
}

bool PathAddPolyline(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed, bool continueFigure)
{
    if (!dc.PathOpen)
        return false;
    if (continueFigure && !dc.Path.empty() && !dc.Path.back().Closed) {
        for (size_t i = 1; i < pts.size(); ++i)
            dc.Path.back().Points.push_back({pts[i].X, pts[i].Y});
        dc.Path.back().Closed = closed;
    } else {
        AddFigure(dc, pts, closed);
    }
    return true;
}

void StrokeDevicePolyline(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed)
{
    if (pts.empty() || !PenVisible(dc) || !HasPixels(dc))
        return;
    if (VectorStroke(dc, pts, closed))
        return;
    int w = DevicePenWidth(dc);
    Paint pen;
    pen.Color = ToPixel(PenColor(dc));
    if (w > 1) {
        TRect limit = ClipLimit(dc);
        PaintRegion(dc, WidePolyline(pts, closed, w, dc.S.Pen->Style, limit), pen, dc.S.Rop2);
        return;
    }
    std::vector<POINT> px;
    size_t n = pts.size();
    auto ip = [&](size_t i) {
        return POINT{
            int(std::clamp(std::lround(pts[i].X), -long(CoordLimit) * 1024, long(CoordLimit) * 1024)),
            int(std::clamp(std::lround(pts[i].Y), -long(CoordLimit) * 1024, long(CoordLimit) * 1024))};
    };
    TRect limit = ClipLimit(dc);
    for (size_t i = 0; i + 1 < n; ++i)
        ClippedLinePixels(ip(i).X, ip(i).Y, ip(i + 1).X, ip(i + 1).Y, limit, px);
    if (closed && n > 1)
        ClippedLinePixels(ip(n - 1).X, ip(n - 1).Y, ip(0).X, ip(0).Y, limit, px);
    std::vector<int> pattern = StylePattern(*dc.S.Pen);
    if (pattern.empty()) {
        PaintRegion(dc, PixelsRegion(px), pen, dc.S.Rop2);
        return;
    }
    std::vector<POINT> on, off;
    size_t seg = 0;
    int left = pattern[0];
    for (const POINT& p : px) {
        (seg % 2 == 0 ? on : off).push_back(p);
        if (--left == 0) {
            seg = (seg + 1) % pattern.size();
            left = pattern[seg];
        }
    }
    PaintRegion(dc, PixelsRegion(on), pen, dc.S.Rop2);
    if (dc.S.BkMode == OPAQUE) {
        Paint gap;
        gap.Color = ToPixel(dc.S.BkColor);
        PaintRegion(dc, PixelsRegion(off), gap, dc.S.Rop2);
    }
}

void FillDeviceRegion(DeviceContext& dc, const Region& shape)
{
    Paint brush;
    if (BrushPaint(dc, dc.S.Brush, brush))
        PaintRegion(dc, shape, brush, dc.S.Rop2);
}

} // namespace gdi

using namespace gdi;

BOOL MoveToEx(HDC dc, int x, int y, POINT* old)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::MoveTo, {x, y});
    if (old)
        *old = dc->S.CurPos;
    dc->S.CurPos = {x, y};
    if (dc->PathOpen) {
        POINT p = ToDeviceRounded(*dc, x, y);
        AddFigure(*dc, {{double(p.X), double(p.Y)}}, false);
    }
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::LineTo, {x, y});
    POINT a = ToDeviceRounded(*dc, dc->S.CurPos.X, dc->S.CurPos.Y), b = ToDeviceRounded(*dc, x, y);
    std::vector<DPoint> pts{{double(a.X), double(a.Y)}, {double(b.X), double(b.Y)}};
    dc->S.CurPos = {x, y};
    if (PathAddPolyline(*dc, pts, false, true))
        return TRUE;
    StrokeDevicePolyline(*dc, pts, false);
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* pts, int count)
{
    if (!IsLiveDC(dc) || !pts || count < 2)
        return FALSE;
    RecordScope rec(dc, MetaOp::Polyline);
    AddPoints(rec.Last(), pts, count);
    auto dp = DevicePoints(*dc, pts, count);
    if (PathAddPolyline(*dc, dp, false, false))
        return TRUE;
    StrokeDevicePolyline(*dc, dp, false);
    return TRUE;
}

BOOL PolylineTo(HDC dc, const POINT* pts, DWORD count)
{
    if (!IsLiveDC(dc) || !pts || count < 1 || count > (1u << 24))
        return FALSE;
    RecordScope rec(dc, MetaOp::PolylineTo);
    AddPoints(rec.Last(), pts, int(count));
    std::vector<POINT> all{dc->S.CurPos};
    all.insert(all.end(), pts, pts + count);
    auto dp = DevicePoints(*dc, all.data(), int(all.size()));
    dc->S.CurPos = pts[count - 1];
    if (PathAddPolyline(*dc, dp, false, true))
        return TRUE;
    StrokeDevicePolyline(*dc, dp, false);
    return TRUE;
}

BOOL PolyPolygon(HDC dc, const POINT* pts, const INT* counts, int polygons)
{
    if (!IsLiveDC(dc) || !pts || !counts || polygons <= 0)
        return FALSE;
    std::vector<std::vector<DPoint>> polys;
    const POINT* p = pts;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 2)
            return FALSE;
        polys.push_back(DevicePoints(*dc, p, counts[i]));
        p += counts[i];
    }
    if (dc->PathOpen) {
        for (auto& poly : polys)
            AddFigure(*dc, poly, true);
        return TRUE;
    }
    TRect limit = ClipLimit(*dc);
    if (!VectorFill(*dc, polys, dc->S.PolyFillMode))
        FillDeviceRegion(*dc, PolygonRegion(polys, dc->S.PolyFillMode, &limit));
    for (auto& poly : polys)
        StrokeDevicePolyline(*dc, poly, true);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* pts, int count)
{
    if (!IsLiveDC(dc) || !pts || count < 2)
        return FALSE;
    RecordScope rec(dc, MetaOp::Polygon);
    AddPoints(rec.Last(), pts, count);
    return PolyPolygon(dc, pts, &count, 1);
}

BOOL PolyBezier(HDC dc, const POINT* pts, DWORD count)
{
    if (!IsLiveDC(dc) || !pts || count < 4 || (count - 1) % 3 != 0 || count > (1u << 16))
        return FALSE;
    RecordScope rec(dc, MetaOp::PolyBezier);
    AddPoints(rec.Last(), pts, int(count));
    auto flat = BezierPoints(DevicePoints(*dc, pts, int(count)));
    if (PathAddPolyline(*dc, flat, false, false))
        return TRUE;
    StrokeDevicePolyline(*dc, flat, false);
    return TRUE;
}

BOOL PolyBezierTo(HDC dc, const POINT* pts, DWORD count)
{
    if (!IsLiveDC(dc) || !pts || count < 3 || count % 3 != 0 || count > (1u << 16))
        return FALSE;
    RecordScope rec(dc, MetaOp::PolyBezierTo);
    AddPoints(rec.Last(), pts, int(count));
    std::vector<POINT> all{dc->S.CurPos};
    all.insert(all.end(), pts, pts + count);
    auto flat = BezierPoints(DevicePoints(*dc, all.data(), int(all.size())));
    dc->S.CurPos = pts[count - 1];
    if (PathAddPolyline(*dc, flat, false, true))
        return TRUE;
    StrokeDevicePolyline(*dc, flat, false);
    return TRUE;
}

BOOL Rectangle(HDC dc, int l, int t, int r, int b)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::Rectangle, {l, t, r, b});
    RECT d = NormalisedDevice(*dc, l, t, r, b);
    if (d.Right <= d.Left || d.Bottom <= d.Top)
        return TRUE;
    auto path = RectPath(d);
    if (dc->PathOpen) {
        AddFigure(*dc, path, true);
        return TRUE;
    }
    if (PenVisible(*dc) && dc->S.Pen->Kind() == PS_INSIDEFRAME && DevicePenWidth(*dc) > 1) {
        // The pen stays inside the rectangle.
        double h = DevicePenWidth(*dc) / 2.0 - 0.5;
        path = {{d.Left + h, d.Top + h},
                {d.Right - 1 - h, d.Top + h},
                {d.Right - 1 - h, d.Bottom - 1 - h},
                {d.Left + h, d.Bottom - 1 - h}};
    }
    TRect limit = ClipLimit(*dc);
    if (!VectorFill(*dc, {path}, ALTERNATE))
        FillDeviceRegion(*dc, PolygonRegion({path}, ALTERNATE, &limit));
    StrokeDevicePolyline(*dc, path, true);
    return TRUE;
}

BOOL RoundRect(HDC dc, int l, int t, int r, int b, int w, int h)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::RoundRect, {l, t, r, b, w, h});
    RECT d = NormalisedDevice(*dc, l, t, r, b);
    double ew = std::abs(w * ScaleX(*dc)), eh = std::abs(h * ScaleY(*dc));
    if (dc->PathOpen) {
        AddFigure(*dc, RectPath(d), true);
        return TRUE;
    }
    DrawRoundShape(*dc, d, ew, eh, false);
    return TRUE;
}

BOOL Ellipse(HDC dc, int l, int t, int r, int b)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::Ellipse, {l, t, r, b});
    RECT d = NormalisedDevice(*dc, l, t, r, b);
    if (dc->PathOpen) {
        AddFigure(*dc,
                  ArcPoints(d.Left, d.Top, d.Right - 1, d.Bottom - 1, d.Right,
                            (double(d.Top) + d.Bottom) / 2.0, d.Right, (double(d.Top) + d.Bottom) / 2.0,
                            false),
                  true);
        return TRUE;
    }
    DrawRoundShape(*dc, d, 0, 0, true);
    return TRUE;
}

namespace {

enum class ArcKind { Arc, ArcTo, Chord, Pie };

BOOL DoArc(HDC dc, ArcKind kind, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RECT d = NormalisedDevice(*dc, l, t, r, b);
    DPoint s = ToDevice(*dc, xs, ys), e = ToDevice(*dc, xe, ye);
    bool clockwise = dc->S.ArcDirection == AD_CLOCKWISE;
    // Arcs run on the outline path through the pixels l..r-1.
    auto arc = ArcPoints(d.Left, d.Top, d.Right - 1, d.Bottom - 1, s.X, s.Y, e.X, e.Y, clockwise);
    DPoint centre{(double(d.Left) + d.Right - 1) / 2.0, (double(d.Top) + d.Bottom - 1) / 2.0};
    std::vector<DPoint> shape = arc;
    if (kind == ArcKind::Pie)
        shape.push_back(centre);
    if (kind == ArcKind::ArcTo) {
        POINT cp = ToDeviceRounded(*dc, dc->S.CurPos.X, dc->S.CurPos.Y);
        shape.insert(shape.begin(), {double(cp.X), double(cp.Y)});
        DPoint last = ToLogical(*dc, arc.back().X, arc.back().Y);
        dc->S.CurPos = {int(std::lround(last.X)), int(std::lround(last.Y))};
    }
    bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    if (dc->PathOpen) {
        PathAddPolyline(*dc, shape, closed, kind == ArcKind::ArcTo);
        return TRUE;
    }
    if (closed && !VectorFill(*dc, {shape}, ALTERNATE)) {
        TRect limit = ClipLimit(*dc);
        FillDeviceRegion(*dc, PolygonRegion({shape}, ALTERNATE, &limit));
    }
    StrokeDevicePolyline(*dc, shape, closed);
    return TRUE;
}

} // namespace

BOOL Arc(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    RecordScope rec(dc, MetaOp::Arc, {l, t, r, b, xs, ys, xe, ye});
    return DoArc(dc, ArcKind::Arc, l, t, r, b, xs, ys, xe, ye);
}

BOOL ArcTo(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    return DoArc(dc, ArcKind::ArcTo, l, t, r, b, xs, ys, xe, ye);
}

BOOL Chord(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    RecordScope rec(dc, MetaOp::Chord, {l, t, r, b, xs, ys, xe, ye});
    return DoArc(dc, ArcKind::Chord, l, t, r, b, xs, ys, xe, ye);
}

BOOL Pie(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye)
{
    RecordScope rec(dc, MetaOp::Pie, {l, t, r, b, xs, ys, xe, ye});
    return DoArc(dc, ArcKind::Pie, l, t, r, b, xs, ys, xe, ye);
}

int FillRect(HDC dc, const RECT* r, HBRUSH hbr)
{
    GdiBrush* brush = BrushFromHandle(hbr);
    if (!IsLiveDC(dc) || !r || !brush)
        return 0;
    if (dc->Recorder) {
        // Recorded with the brush's description so that playback paints the same.
        SaveDC(dc);
        SelectObject(dc, brush);
        {
            RecordScope rec(dc, MetaOp::FillRect, {r->Left, r->Top, r->Right, r->Bottom});
        }
        RestoreDC(dc, -1);
        return 1;
    }
    Paint paint;
    if (BrushPaint(*dc, brush, paint))
        PaintRegion(*dc, Region(ToDeviceRect(*dc, *r)), paint, R2_COPYPEN);
    return 1;
}

int FrameRect(HDC dc, const RECT* r, HBRUSH hbr)
{
    GdiBrush* brush = BrushFromHandle(hbr);
    if (!IsLiveDC(dc) || !r || !brush)
        return 0;
    RECT d = ToDeviceRect(*dc, *r);
    if (d.Right <= d.Left || d.Bottom <= d.Top)
        return 1;
    if (dc->Recorder) {
        SaveDC(dc);
        SelectObject(dc, brush);
        {
            RecordScope rec(dc, MetaOp::FrameRect, {r->Left, r->Top, r->Right, r->Bottom});
        }
        RestoreDC(dc, -1);
        return 1;
    }
    Region frame = Region(d).Subtract(Region(RECT{d.Left + 1, d.Top + 1, d.Right - 1, d.Bottom - 1}));
    Paint paint;
    if (BrushPaint(*dc, brush, paint))
        PaintRegion(*dc, frame, paint, R2_COPYPEN);
    return 1;
}

BOOL InvertRect(HDC dc, const RECT* r)
{
    if (!IsLiveDC(dc) || !r)
        return FALSE;
    RecordScope rec(dc, MetaOp::InvertRect, {r->Left, r->Top, r->Right, r->Bottom});
    PaintRegion(*dc, Region(ToDeviceRect(*dc, *r)), Paint{}, R2_NOT);
    return TRUE;
}

namespace {

Region LogicalRegionToDevice(const DeviceContext& dc, const Region& rgn)
{
    Region out;
    for (const TRect& t : rgn.Rects())
        out = out.Union(Region(ToDeviceRect(dc, t)));
    return out;
}

} // namespace

BOOL FillRgn(HDC dc, HRGN hrgn, HBRUSH hbr)
{
    auto* rgn = As<GdiRegion>(hrgn, OBJ_REGION);
    GdiBrush* brush = BrushFromHandle(hbr);
    if (!IsLiveDC(dc) || !rgn || !brush)
        return FALSE;
    Paint paint;
    if (BrushPaint(*dc, brush, paint))
        PaintRegion(*dc, LogicalRegionToDevice(*dc, rgn->Rgn), paint, R2_COPYPEN);
    return TRUE;
}

BOOL PaintRgn(HDC dc, HRGN hrgn)
{
    return IsLiveDC(dc) ? FillRgn(dc, hrgn, dc->S.Brush) : FALSE;
}

BOOL FrameRgn(HDC dc, HRGN hrgn, HBRUSH hbr, int w, int h)
{
    auto* rgn = As<GdiRegion>(hrgn, OBJ_REGION);
    GdiBrush* brush = BrushFromHandle(hbr);
    if (!IsLiveDC(dc) || !rgn || !brush || w < 0 || h < 0)
        return FALSE;
    Region r = LogicalRegionToDevice(*dc, rgn->Rgn);
    // The frame: pixels of the region within w, h of a pixel outside it.
    Region inner = r;
    for (int dx : {-w, w}) {
        Region s = r;
        s.Offset(dx, 0);
        inner = inner.Intersect(s);
    }
    for (int dy : {-h, h}) {
        Region s = r;
        s.Offset(0, dy);
        inner = inner.Intersect(s);
    }
    Paint paint;
    if (BrushPaint(*dc, brush, paint))
        PaintRegion(*dc, r.Subtract(inner), paint, R2_COPYPEN);
    return TRUE;
}

BOOL InvertRgn(HDC dc, HRGN hrgn)
{
    auto* rgn = As<GdiRegion>(hrgn, OBJ_REGION);
    if (!IsLiveDC(dc) || !rgn)
        return FALSE;
    PaintRegion(*dc, LogicalRegionToDevice(*dc, rgn->Rgn), Paint{}, R2_NOT);
    return TRUE;
}

BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type)
{
    if (!IsLiveDC(dc) || !HasPixels(*dc))
        return FALSE;
    POINT p = ToDeviceRounded(*dc, x, y);
    Region clip = EffectiveClip(*dc);
    TRect box = clip.Box();
    if (!clip.Contains(p.X, p.Y))
        return FALSE;
    std::uint32_t target = ToPixel(color & 0xFFFFFF);
    int w = box.Width(), h = box.Height();
    std::vector<std::uint8_t> seen(size_t(w) * h, 0);
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows;
    {
        PixelAccess px(*dc);
        if (!px.Valid())
            return FALSE;
        auto fillable = [&](int fx, int fy) {
            if (fx < box.Left || fy < box.Top || fx >= box.Right || fy >= box.Bottom)
                return false;
            if (seen[size_t(fy - box.Top) * w + (fx - box.Left)] || !clip.Contains(fx, fy))
                return false;
            std::uint32_t c = px.Row(fy)[fx] & 0xFFFFFF;
            return type == FLOODFILLSURFACE ? c == target : c != target;
        };
        if (!fillable(p.X, p.Y))
            return FALSE;
        std::vector<POINT> stack{p};
        while (!stack.empty()) {
            POINT q = stack.back();
            stack.pop_back();
            if (!fillable(q.X, q.Y))
                continue;
            int l = q.X, r = q.X;
            while (fillable(l - 1, q.Y))
                --l;
            while (fillable(r + 1, q.Y))
                ++r;
            for (int i = l; i <= r; ++i)
                seen[size_t(q.Y - box.Top) * w + (i - box.Left)] = 1;
            rows.push_back({q.Y, {{l, r + 1}}});
            for (int ny : {q.Y - 1, q.Y + 1})
                for (int i = l; i <= r; ++i)
                    if (fillable(i, ny))
                        stack.push_back({i, ny});
        }
    }
    FillDeviceRegion(*dc, Region::FromRows(std::move(rows)));
    return TRUE;
}

// ---- Paths ----

BOOL BeginPath(HDC dc)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::BeginPath);
    dc->PathOpen = true;
    dc->PathDone = false;
    dc->Path.clear();
    return TRUE;
}

BOOL EndPath(HDC dc)
{
    if (!IsLiveDC(dc) || !dc->PathOpen)
        return FALSE;
    RecordScope rec(dc, MetaOp::EndPath);
    dc->PathOpen = false;
    dc->PathDone = true;
    return TRUE;
}

BOOL AbortPath(HDC dc)
{
    if (!IsLiveDC(dc))
        return FALSE;
    RecordScope rec(dc, MetaOp::AbortPath);
    dc->PathOpen = dc->PathDone = false;
    dc->Path.clear();
    return TRUE;
}

BOOL CloseFigure(HDC dc)
{
    if (!IsLiveDC(dc) || !dc->PathOpen || dc->Path.empty())
        return FALSE;
    RecordScope rec(dc, MetaOp::CloseFigure);
    dc->Path.back().Closed = true;
    return TRUE;
}

BOOL FlattenPath(HDC dc)
{
    return IsLiveDC(dc) && dc->PathDone;
}

namespace {

std::vector<std::vector<DPoint>> PathPolygons(const DeviceContext& dc)
{
    std::vector<std::vector<DPoint>> polys;
    for (const PathFigure& f : dc.Path) {
        std::vector<DPoint> poly;
        for (auto [x, y] : f.Points)
            poly.push_back({x, y});
        if (poly.size() >= 2)
            polys.push_back(std::move(poly));
    }
    return polys;
}

BOOL UsePath(HDC dc, bool fill, bool stroke)
{
    if (!IsLiveDC(dc) || !dc->PathDone)
        return FALSE;
    if (fill && !VectorFill(*dc, PathPolygons(*dc), dc->S.PolyFillMode)) {
        TRect limit = ClipLimit(*dc);
        FillDeviceRegion(*dc, PolygonRegion(PathPolygons(*dc), dc->S.PolyFillMode, &limit));
    }
    if (stroke)
        for (const PathFigure& f : dc->Path) {
            std::vector<DPoint> pts;
            for (auto [x, y] : f.Points)
                pts.push_back({x, y});
            StrokeDevicePolyline(*dc, pts, f.Closed || fill);
        }
    dc->Path.clear();
    dc->PathDone = false;
    return TRUE;
}

} // namespace

BOOL FillPath(HDC dc)
{
    RecordScope rec(dc, MetaOp::FillPath);
    return UsePath(dc, true, false);
}

BOOL StrokePath(HDC dc)
{
    RecordScope rec(dc, MetaOp::StrokePath);
    return UsePath(dc, false, true);
}

BOOL StrokeAndFillPath(HDC dc)
{
    RecordScope rec(dc, MetaOp::StrokeAndFillPath);
    return UsePath(dc, true, true);
}

HRGN PathToRegion(HDC dc)
{
    if (!IsLiveDC(dc) || !dc->PathDone)
        return nullptr;
    auto* rgn = new GdiRegion;
    rgn->Rgn = PolygonRegion(PathPolygons(*dc), dc->S.PolyFillMode);
    RegisterObject(rgn);
    dc->Path.clear();
    dc->PathDone = false;
    return rgn;
}

BOOL SelectClipPath(HDC dc, int mode)
{
    if (!IsLiveDC(dc) || !dc->PathDone)
        return FALSE;
    RecordScope rec(dc, MetaOp::SelectClipPath, {mode});
    const TOwnedRegion rgn(PathToRegion(dc));
    int r = ExtSelectClipRgn(dc, rgn.get(), mode);
    return r != ERROR;
}

int GetPath(HDC dc, POINT* pts, BYTE* types, int size)
{
    if (!IsLiveDC(dc) || !dc->PathDone)
        return -1;
    int n = 0;
    for (const PathFigure& f : dc->Path)
        n += int(f.Points.size());
    if (size == 0 || !pts || !types)
        return n;
    if (size < n)
        return -1;
    int i = 0;
    for (const PathFigure& f : dc->Path)
        for (size_t k = 0; k < f.Points.size(); ++k, ++i) {
            DPoint l = ToLogical(*dc, f.Points[k].first, f.Points[k].second);
            pts[i] = {int(std::lround(l.X)), int(std::lround(l.Y))};
            types[i] = k == 0 ? PT_MOVETO : PT_LINETO;
            if (f.Closed && k + 1 == f.Points.size())
                types[i] |= PT_CLOSEFIGURE;
        }
    return n;
}
