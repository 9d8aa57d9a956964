#include "platform/win/Region.h"

#include <algorithm>
#include <climits>

namespace gdi {

namespace {

using Intervals = std::vector<std::pair<int, int>>;

Intervals Normalise(Intervals xs)
{
    std::sort(xs.begin(), xs.end());
    Intervals out;
    for (auto [a, b] : xs) {
        if (a >= b)
            continue;
        if (!out.empty() && a <= out.back().second)
            out.back().second = std::max(out.back().second, b);
        else
            out.push_back({a, b});
    }
    return out;
}

// Combines two normalised interval lists with a boolean operation by sweeping their edges.
Intervals CombineIntervals(const Intervals& a, const Intervals& b, Region::Op op)
{
    std::vector<std::pair<int, int>> edges; // x, +1/-1 for a (bit 0) or b (bit 1)
    std::vector<int> xs;
    for (auto [x0, x1] : a) {
        xs.push_back(x0);
        xs.push_back(x1);
    }
    for (auto [x0, x1] : b) {
        xs.push_back(x0);
        xs.push_back(x1);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    Intervals out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        int x = xs[i];
        while (ia < a.size() && a[ia].second <= x)
            ++ia;
        while (ib < b.size() && b[ib].second <= x)
            ++ib;
        bool inA = ia < a.size() && a[ia].first <= x;
        bool inB = ib < b.size() && b[ib].first <= x;
        bool in = false;
        switch (op) {
        case Region::And:
            in = inA && inB;
            break;
        case Region::Or:
            in = inA || inB;
            break;
        case Region::Xor:
            in = inA != inB;
            break;
        case Region::Diff:
            in = inA && !inB;
            break;
        }
        if (!in)
            continue;
        if (!out.empty() && out.back().second == x)
            out.back().second = xs[i + 1];
        else
            out.push_back({x, xs[i + 1]});
    }
    return out;
}

} // namespace

Region::Region(const TRect& r)
{
    if (r.Left < r.Right && r.Top < r.Bottom)
        Bands.push_back({r.Top, r.Bottom, {{r.Left, r.Right}}});
}

void Region::Append(int top, int bottom, Intervals&& xs)
{
    if (xs.empty() || top >= bottom)
        return;
    if (!Bands.empty() && Bands.back().Bottom == top && Bands.back().Xs == xs) {
        Bands.back().Bottom = bottom;
        return;
    }
    Bands.push_back({top, bottom, std::move(xs)});
}

Region Region::FromRows(std::vector<std::pair<int, Intervals>> rows)
{
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Region out;
    size_t i = 0;
    while (i < rows.size()) {
        int y = rows[i].first;
        Intervals all;
        while (i < rows.size() && rows[i].first == y) {
            all.insert(all.end(), rows[i].second.begin(), rows[i].second.end());
            ++i;
        }
        out.Append(y, y + 1, Normalise(std::move(all)));
    }
    return out;
}

Region Region::Combine(const Region& a, const Region& b, Op op)
{
    std::vector<int> ys;
    for (const auto& band : a.Bands) {
        ys.push_back(band.Top);
        ys.push_back(band.Bottom);
    }
    for (const auto& band : b.Bands) {
        ys.push_back(band.Top);
        ys.push_back(band.Bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    Region out;
    static const Intervals none;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        int y = ys[i];
        while (ia < a.Bands.size() && a.Bands[ia].Bottom <= y)
            ++ia;
        while (ib < b.Bands.size() && b.Bands[ib].Bottom <= y)
            ++ib;
        const Intervals& xa = (ia < a.Bands.size() && a.Bands[ia].Top <= y) ? a.Bands[ia].Xs : none;
        const Intervals& xb = (ib < b.Bands.size() && b.Bands[ib].Top <= y) ? b.Bands[ib].Xs : none;
        out.Append(y, ys[i + 1], CombineIntervals(xa, xb, op));
    }
    return out;
}

TRect Region::Box() const
{
    if (Bands.empty())
        return {};
    TRect r{INT_MAX, Bands.front().Top, INT_MIN, Bands.back().Bottom};
    for (const auto& band : Bands) {
        r.Left = std::min(r.Left, band.Xs.front().first);
        r.Right = std::max(r.Right, band.Xs.back().second);
    }
    return r;
}

bool Region::Contains(int x, int y) const
{
    for (const auto& band : Bands) {
        if (y < band.Top)
            return false;
        if (y >= band.Bottom)
            continue;
        for (auto [x0, x1] : band.Xs)
            if (x >= x0 && x < x1)
                return true;
        return false;
    }
    return false;
}

bool Region::Overlaps(const TRect& r) const
{
    return !Intersect(Region(r)).Empty();
}

void Region::Offset(int dx, int dy)
{
    for (auto& band : Bands) {
        band.Top += dy;
        band.Bottom += dy;
        for (auto& x : band.Xs) {
            x.first += dx;
            x.second += dx;
        }
    }
}

std::vector<TRect> Region::Rects() const
{
    std::vector<TRect> out;
    for (const auto& band : Bands)
        for (auto [x0, x1] : band.Xs)
            out.push_back({x0, band.Top, x1, band.Bottom});
    return out;
}

int Region::RectCount() const
{
    int n = 0;
    for (const auto& band : Bands)
        n += int(band.Xs.size());
    return n;
}

int Region::Complexity() const
{
    if (Bands.empty())
        return 1;
    return RectCount() == 1 ? 2 : 3;
}

bool operator==(const Region& a, const Region& b)
{
    if (a.Bands.size() != b.Bands.size())
        return false;
    for (size_t i = 0; i < a.Bands.size(); ++i)
        if (a.Bands[i].Top != b.Bands[i].Top || a.Bands[i].Bottom != b.Bands[i].Bottom ||
            a.Bands[i].Xs != b.Bands[i].Xs)
            return false;
    return true;
}

} // namespace gdi
