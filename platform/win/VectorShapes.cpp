// Shapes on vector surfaces (printer pages): outlines and fills go to cairo as paths, so that a
// printed page holds lines and curves rather than the pixel rectangles a screen gets.

#include "platform/win/VectorShapes.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"

#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

void SetColor(cairo_t* cr, std::uint32_t rgb)
{
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

// The colour a raster operation leaves with a given pen or brush colour, where it does not
// depend on what is already on the page.
bool RopColor(int rop2, std::uint32_t color, std::uint32_t& out)
{
    switch (rop2) {
    case R2_COPYPEN:
        out = color;
        return true;
    case R2_BLACK:
        out = 0;
        return true;
    case R2_WHITE:
        out = 0xFFFFFF;
        return true;
    case R2_NOTCOPYPEN:
        out = ~color & 0xFFFFFF;
        return true;
    default:
        return false;
    }
}

// A cairo context on the page with the DC's origin and clip.
TOwnedCairo PageContext(DeviceContext& dc)
{
    TOwnedCairo cr(cairo_create(dc.Surface));
    cairo_translate(cr.get(), dc.Origin.X, dc.Origin.Y);
    Region clip = EffectiveClip(dc);
    for (const TRect& t : clip.Rects())
        cairo_rectangle(cr.get(), t.Left, t.Top, t.Width(), t.Height());
    cairo_clip(cr.get());
    return cr;
}

// Shape vertices are pixel indexes: the outline runs through the pixels' centres.
void AddPolygon(cairo_t* cr, const std::vector<DPoint>& pts, bool closed)
{
    for (size_t i = 0; i < pts.size(); ++i) {
        if (i == 0)
            cairo_move_to(cr, pts[i].X + 0.5, pts[i].Y + 0.5);
        else
            cairo_line_to(cr, pts[i].X + 0.5, pts[i].Y + 0.5);
    }
    if (closed)
        cairo_close_path(cr);
}

} // namespace

bool DrawsVectors(const DeviceContext& dc)
{
    return dc.Surface && !dc.Recorder && !dc.TrackBounds &&
           cairo_surface_get_type(dc.Surface) != CAIRO_SURFACE_TYPE_IMAGE;
}

bool VectorFill(DeviceContext& dc, const std::vector<std::vector<DPoint>>& polys, int fillMode)
{
    if (!DrawsVectors(dc))
        return false;
    const GdiBrush* brush = dc.S.Brush;
    if (!brush || brush->Style == BS_HOLLOW || dc.S.Rop2 == R2_NOP)
        return true; // nothing to fill
    if (brush->Style != BS_SOLID)
        return false; // hatches and patterns are painted as pixels
    std::uint32_t color;
    if (!RopColor(dc.S.Rop2, ToPixel(brush->DCBrush ? dc.S.DCBrushColor : brush->Color), color))
        return false;
    const TOwnedCairo context = PageContext(dc);
    cairo_t* cr = context.get();
    for (const auto& poly : polys)
        AddPolygon(cr, poly, true);
    cairo_set_fill_rule(cr, fillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    SetColor(cr, color);
    cairo_fill(cr);
    return true;
}

bool VectorStroke(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed)
{
    if (!DrawsVectors(dc))
        return false;
    if (!PenVisible(dc) || pts.empty() || dc.S.Rop2 == R2_NOP)
        return true;
    const GdiPen& pen = *dc.S.Pen;
    std::uint32_t color;
    if (!RopColor(dc.S.Rop2, ToPixel(PenColor(dc)), color))
        return false;
    double width = DevicePenWidth(dc);
    const TOwnedCairo context = PageContext(dc);
    cairo_t* cr = context.get();
    AddPolygon(cr, pts, closed);
    if (pts.size() == 1)
        cairo_rel_line_to(cr, 0, 0);
    cairo_set_line_width(cr, width);
    bool geometric = (pen.Style & PS_TYPE_MASK) == PS_GEOMETRIC;
    DWORD cap = pen.Style & PS_ENDCAP_MASK, join = pen.Style & PS_JOIN_MASK;
    cairo_set_line_cap(cr, !geometric || cap == PS_ENDCAP_FLAT ? CAIRO_LINE_CAP_BUTT
                           : cap == PS_ENDCAP_SQUARE           ? CAIRO_LINE_CAP_SQUARE
                                                               : CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, !geometric || join == PS_JOIN_MITER ? CAIRO_LINE_JOIN_MITER
                            : join == PS_JOIN_BEVEL             ? CAIRO_LINE_JOIN_BEVEL
                                                                : CAIRO_LINE_JOIN_ROUND);
    // Dashes scale with the pen: a dash of a wide pen is as long relative to its width.
    std::vector<double> dashes;
    switch (pen.Kind()) {
    case PS_DASH:
        dashes = {18, 6};
        break;
    case PS_DOT:
        dashes = {3, 3};
        break;
    case PS_DASHDOT:
        dashes = {9, 6, 3, 6};
        break;
    case PS_DASHDOTDOT:
        dashes = {9, 3, 3, 3, 3, 3};
        break;
    case PS_ALTERNATE:
        dashes = {1, 1};
        break;
    case PS_USERSTYLE:
        for (DWORD d : pen.UserStyle)
            dashes.push_back(double(std::clamp<DWORD>(d, 1, 1000)));
        break;
    default:
        break;
    }
    if (!dashes.empty()) {
        double unit = pen.Kind() == PS_USERSTYLE ? std::abs(ScaleX(dc)) : std::max(1.0, width);
        for (double& d : dashes)
            d *= unit;
        cairo_set_dash(cr, dashes.data(), int(dashes.size()), 0);
    }
    SetColor(cr, color);
    cairo_stroke(cr);
    return true;
}

std::vector<DPoint> RoundRectPoints(const RECT& d, double ew, double eh, bool ellipse)
{
    double l = d.Left, t = d.Top, r = d.Right - 1, b = d.Bottom - 1;
    double rx = ellipse ? (r - l) / 2 : std::min((r - l) / 2, std::max(0.0, ew / 2));
    double ry = ellipse ? (b - t) / 2 : std::min((b - t) / 2, std::max(0.0, eh / 2));
    std::vector<DPoint> pts;
    // Enough segments that the polygon stays within a tenth of a pixel of the curve.
    int steps = std::clamp(int(std::ceil(std::sqrt(std::max(rx, ry) * 4))), 2, 256);
    const double corners[4][3] = {{r - rx, t + ry, -M_PI / 2}, // top right, from the top
                                  {r - rx, b - ry, 0},         // bottom right
                                  {l + rx, b - ry, M_PI / 2},  // bottom left
                                  {l + rx, t + ry, M_PI}};     // top left
    for (const auto& c : corners)
        for (int i = 0; i <= steps; ++i) {
            double a = c[2] + (M_PI / 2) * i / steps;
            pts.push_back({c[0] + rx * std::cos(a), c[1] + ry * std::sin(a)});
        }
    return pts;
}

} // namespace gdi
