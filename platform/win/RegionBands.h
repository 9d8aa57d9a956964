#pragma once

// A set of pixels kept as bands: horizontal strips, each with sorted, disjoint x intervals.
// Every region shape (rectangle, ellipse, polygon, path) is rasterised into this form, so
// combining, clipping and hit testing are exact on whole pixels. Right and bottom exclusive.
//
// The intervals of all bands live in one array (a band names its slice), so copying a region of
// many bands costs two allocations, and clipping against a rectangle only visits the bands it
// meets: window painting clips every drawing call against regions of hundreds of holes.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace gdi {

class Region {
public:
    using Span = std::pair<int, int>; // [x0, x1)
    struct Band {
        int Top, Bottom;
        std::span<const Span> Xs;
    };

    // The bands in order, each with its intervals.
    class BandRange {
    public:
        class Iterator {
        public:
            Band operator*() const { return R->BandAt(I); }
            Iterator& operator++()
            {
                ++I;
                return *this;
            }
            bool operator!=(const Iterator& o) const { return I != o.I; }

        private:
            friend class BandRange;
            Iterator(const Region* r, std::size_t i) : R(r), I(i) {}
            const Region* R;
            std::size_t I;
        };
        Iterator begin() const { return Iterator(R, 0); }
        Iterator end() const { return Iterator(R, R->Bands.size()); }

    private:
        friend class Region;
        explicit BandRange(const Region* r) : R(r) {}
        const Region* R;
    };

    Region() = default;
    explicit Region(const TRect& r);
    // One row per entry: y, then [x0, x1) intervals (unsorted, may overlap).
    static Region FromRows(std::vector<std::pair<int, std::vector<Span>>> rows);

    enum Op { And = 1, Or = 2, Xor = 3, Diff = 4 };
    static Region Combine(const Region& a, const Region& b, Op op);
    Region Intersect(const Region& b) const { return Combine(*this, b, And); }
    Region Union(const Region& b) const { return Combine(*this, b, Or); }
    Region Subtract(const Region& b) const { return Combine(*this, b, Diff); }
    // The part inside r: only the bands that meet r are visited.
    Region ClipTo(const TRect& r) const;

    bool Empty() const { return Bands.empty(); }
    TRect Box() const;
    bool Contains(int x, int y) const;
    bool Overlaps(const TRect& r) const;
    void Offset(int dx, int dy);
    std::vector<TRect> Rects() const;
    int RectCount() const { return int(Spans.size()); }
    // NULLREGION 1, SIMPLEREGION 2 or COMPLEXREGION 3.
    int Complexity() const;
    friend bool operator==(const Region& a, const Region& b);

    BandRange GetBands() const { return BandRange(this); }

private:
    struct Slice {
        int Top, Bottom;
        std::uint32_t First, Last; // [First, Last) in Spans
    };
    std::vector<Slice> Bands;
    std::vector<Span> Spans;

    Band BandAt(std::size_t i) const
    {
        const Slice& s = Bands[i];
        return Band{s.Top, s.Bottom, std::span<const Span>(Spans.data() + s.First, s.Last - s.First)};
    }
    bool IsRect() const { return Bands.size() == 1 && Spans.size() == 1; }
    // Ends a band whose intervals were pushed onto Spans from index first: drops it when empty,
    // joins it to the band above when that touches it with the same intervals.
    void CloseBand(int top, int bottom, std::size_t first);
    // First band whose bottom lies below y.
    std::size_t FirstBandBelow(int y) const;
};

} // namespace gdi
