#include "platform/win/RegionBands.h"

#include <algorithm>
#include <climits>

namespace gdi {

namespace {

using Span = Region::Span;

bool Inside(Region::Op op, bool inA, bool inB)
{
    switch (op) {
    case Region::And:
        return inA && inB;
    case Region::Or:
        return inA || inB;
    case Region::Xor:
        return inA != inB;
    case Region::Diff:
        return inA && !inB;
    }
    return false;
}

// Combines two sorted lists of disjoint intervals with a boolean operation by walking their
// edges in order, appending the result to out (touching results are joined).
void CombineIntervals(std::span<const Span> a, std::span<const Span> b, Region::Op op, std::vector<Span>& out,
                      std::size_t first)
{
    std::size_t ia = 0, ib = 0;
    bool inA = false, inB = false, in = false;
    int start = 0;
    for (;;) {
        const int nextA = ia < a.size() ? (inA ? a[ia].second : a[ia].first) : INT_MAX;
        const int nextB = ib < b.size() ? (inB ? b[ib].second : b[ib].first) : INT_MAX;
        const int x = std::min(nextA, nextB);
        if (x == INT_MAX)
            break;
        if (nextA == x) {
            if (inA)
                ++ia;
            inA = !inA;
        }
        if (nextB == x) {
            if (inB)
                ++ib;
            inB = !inB;
        }
        const bool now = Inside(op, inA, inB);
        if (now == in)
            continue;
        in = now;
        if (in) {
            start = x;
        } else if (out.size() > first && out.back().second == start) {
            out.back().second = x;
        } else {
            out.push_back({start, x});
        }
    }
}

} // namespace

Region::Region(const TRect& r)
{
    if (r.Left < r.Right && r.Top < r.Bottom) {
        Spans.push_back({r.Left, r.Right});
        Bands.push_back({r.Top, r.Bottom, 0, 1});
    }
}

void Region::CloseBand(int top, int bottom, std::size_t first)
{
    const std::size_t last = Spans.size();
    if (first == last || top >= bottom) {
        Spans.resize(first);
        return;
    }
    if (!Bands.empty()) {
        Slice& prev = Bands.back();
        if (prev.Bottom == top && prev.Last - prev.First == last - first &&
            std::equal(Spans.begin() + prev.First, Spans.begin() + prev.Last, Spans.begin() + first)) {
            prev.Bottom = bottom;
            Spans.resize(first);
            return;
        }
    }
    Bands.push_back({top, bottom, std::uint32_t(first), std::uint32_t(last)});
}

std::size_t Region::FirstBandBelow(int y) const
{
    return std::size_t(
        std::partition_point(Bands.begin(), Bands.end(), [y](const Slice& s) { return s.Bottom <= y; }) -
        Bands.begin());
}

Region Region::FromRows(std::vector<std::pair<int, std::vector<Span>>> rows)
{
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Region out;
    std::vector<Span> all;
    std::size_t i = 0;
    while (i < rows.size()) {
        int y = rows[i].first;
        all.clear();
        while (i < rows.size() && rows[i].first == y) {
            all.insert(all.end(), rows[i].second.begin(), rows[i].second.end());
            ++i;
        }
        std::sort(all.begin(), all.end());
        const std::size_t first = out.Spans.size();
        for (auto [a, b] : all) {
            if (a >= b)
                continue;
            if (out.Spans.size() > first && a <= out.Spans.back().second)
                out.Spans.back().second = std::max(out.Spans.back().second, b);
            else
                out.Spans.push_back({a, b});
        }
        out.CloseBand(y, y + 1, first);
    }
    return out;
}

Region Region::ClipTo(const TRect& r) const
{
    Region out;
    if (r.Left >= r.Right || r.Top >= r.Bottom)
        return out;
    for (std::size_t i = FirstBandBelow(r.Top); i < Bands.size() && Bands[i].Top < r.Bottom; ++i) {
        const Slice& s = Bands[i];
        const std::size_t first = out.Spans.size();
        for (std::uint32_t k = s.First; k < s.Last; ++k) {
            const int x0 = std::max(Spans[k].first, r.Left), x1 = std::min(Spans[k].second, r.Right);
            if (x0 < x1)
                out.Spans.push_back({x0, x1});
        }
        out.CloseBand(std::max(s.Top, r.Top), std::min(s.Bottom, r.Bottom), first);
    }
    return out;
}

Region Region::Combine(const Region& a, const Region& b, Op op)
{
    // The common cases first: empty operands, operands apart, and clipping by a rectangle.
    if (a.Empty() || b.Empty()) {
        if (op == And || (op == Diff && a.Empty()))
            return Region();
        return a.Empty() ? b : a;
    }
    const TRect ba = a.Box(), bb = b.Box();
    const bool apart =
        ba.Left >= bb.Right || bb.Left >= ba.Right || ba.Top >= bb.Bottom || bb.Top >= ba.Bottom;
    if (op == And) {
        if (apart)
            return Region();
        if (b.IsRect())
            return a.ClipTo(bb);
        if (a.IsRect())
            return b.ClipTo(ba);
    } else if (op == Diff && apart) {
        return a;
    }

    Region out;
    out.Spans.reserve(a.Spans.size() + b.Spans.size());
    std::size_t ia = 0, ib = 0;
    int y = std::min(a.Bands.front().Top, b.Bands.front().Top);
    for (;;) {
        while (ia < a.Bands.size() && a.Bands[ia].Bottom <= y)
            ++ia;
        while (ib < b.Bands.size() && b.Bands[ib].Bottom <= y)
            ++ib;
        const bool inA = ia < a.Bands.size() && a.Bands[ia].Top <= y;
        const bool inB = ib < b.Bands.size() && b.Bands[ib].Top <= y;
        const int nextA = ia < a.Bands.size() ? (inA ? a.Bands[ia].Bottom : a.Bands[ia].Top) : INT_MAX;
        const int nextB = ib < b.Bands.size() ? (inB ? b.Bands[ib].Bottom : b.Bands[ib].Top) : INT_MAX;
        const int next = std::min(nextA, nextB);
        if (next == INT_MAX)
            break;
        if (inA || inB) {
            const std::span<const Span> xa = inA ? a.BandAt(ia).Xs : std::span<const Span>();
            const std::span<const Span> xb = inB ? b.BandAt(ib).Xs : std::span<const Span>();
            const std::size_t first = out.Spans.size();
            CombineIntervals(xa, xb, op, out.Spans, first);
            out.CloseBand(y, next, first);
        }
        y = next;
    }
    return out;
}

TRect Region::Box() const
{
    if (Bands.empty())
        return {};
    TRect r{INT_MAX, Bands.front().Top, INT_MIN, Bands.back().Bottom};
    for (const Slice& s : Bands) {
        r.Left = std::min(r.Left, Spans[s.First].first);
        r.Right = std::max(r.Right, Spans[s.Last - 1].second);
    }
    return r;
}

bool Region::Contains(int x, int y) const
{
    const std::size_t i = FirstBandBelow(y);
    if (i == Bands.size() || Bands[i].Top > y)
        return false;
    for (std::uint32_t k = Bands[i].First; k < Bands[i].Last; ++k)
        if (x >= Spans[k].first && x < Spans[k].second)
            return true;
    return false;
}

bool Region::Overlaps(const TRect& r) const
{
    if (r.Left >= r.Right || r.Top >= r.Bottom)
        return false;
    for (std::size_t i = FirstBandBelow(r.Top); i < Bands.size() && Bands[i].Top < r.Bottom; ++i)
        for (std::uint32_t k = Bands[i].First; k < Bands[i].Last; ++k)
            if (Spans[k].first < r.Right && Spans[k].second > r.Left)
                return true;
    return false;
}

void Region::Offset(int dx, int dy)
{
    for (Slice& s : Bands) {
        s.Top += dy;
        s.Bottom += dy;
    }
    for (Span& x : Spans) {
        x.first += dx;
        x.second += dx;
    }
}

std::vector<TRect> Region::Rects() const
{
    std::vector<TRect> out;
    out.reserve(Spans.size());
    for (const Slice& s : Bands)
        for (std::uint32_t k = s.First; k < s.Last; ++k)
            out.push_back({Spans[k].first, s.Top, Spans[k].second, s.Bottom});
    return out;
}

int Region::Complexity() const
{
    if (Bands.empty())
        return 1;
    return RectCount() == 1 ? 2 : 3;
}

bool operator==(const Region& a, const Region& b)
{
    if (a.Bands.size() != b.Bands.size() || a.Spans != b.Spans)
        return false;
    for (size_t i = 0; i < a.Bands.size(); ++i)
        if (a.Bands[i].Top != b.Bands[i].Top || a.Bands[i].Bottom != b.Bands[i].Bottom ||
            a.Bands[i].Last != b.Bands[i].Last)
            return false;
    return true;
}

} // namespace gdi
