#pragma once

// Shapes drawn as cairo paths on vector surfaces (printer pages), for this library's files only.
// Each function returns false when the DC is no vector surface or the brush, pen or raster
// operation can only be done on pixels; the caller then paints the shape as a region.

#include "platform/win/GdiInternal.h"

#include <vector>

namespace gdi {

bool DrawsVectors(const DeviceContext& dc);
// Fills polygons (device pixel indexes) with the DC's brush.
bool VectorFill(DeviceContext& dc, const std::vector<std::vector<DPoint>>& polys, int fillMode);
// Strokes a polyline (device pixel indexes) with the DC's pen.
bool VectorStroke(DeviceContext& dc, const std::vector<DPoint>& pts, bool closed);
// The outline of a rounded rectangle (or an ellipse) through the pixels of d.
std::vector<DPoint> RoundRectPoints(const RECT& d, double ew, double eh, bool ellipse);

} // namespace gdi
