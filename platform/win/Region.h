#pragma once

// A set of pixels kept as bands: horizontal strips, each with sorted, disjoint x intervals.
// Every region shape (rectangle, ellipse, polygon, path) is rasterised into this form, so
// combining, clipping and hit testing are exact on whole pixels. Right and bottom exclusive.

#include "platform/rtl/Types.h"

#include <utility>
#include <vector>

namespace gdi {

class Region {
public:
    struct Band {
        int Top, Bottom;
        std::vector<std::pair<int, int>> Xs; // [x0, x1) pairs
    };

    Region() = default;
    explicit Region(const TRect& r);
    // One row per entry: y, then [x0, x1) intervals (unsorted, may overlap).
    static Region FromRows(std::vector<std::pair<int, std::vector<std::pair<int, int>>>> rows);

    enum Op { And = 1, Or = 2, Xor = 3, Diff = 4 };
    static Region Combine(const Region& a, const Region& b, Op op);
    Region Intersect(const Region& b) const { return Combine(*this, b, And); }
    Region Union(const Region& b) const { return Combine(*this, b, Or); }
    Region Subtract(const Region& b) const { return Combine(*this, b, Diff); }

    bool Empty() const { return Bands.empty(); }
    TRect Box() const;
    bool Contains(int x, int y) const;
    bool Overlaps(const TRect& r) const;
    void Offset(int dx, int dy);
    std::vector<TRect> Rects() const;
    int RectCount() const;
    // NULLREGION 1, SIMPLEREGION 2 or COMPLEXREGION 3.
    int Complexity() const;
    friend bool operator==(const Region& a, const Region& b);

    const std::vector<Band>& GetBands() const { return Bands; }

private:
    std::vector<Band> Bands;
    void Append(int top, int bottom, std::vector<std::pair<int, int>>&& xs);
};

} // namespace gdi
