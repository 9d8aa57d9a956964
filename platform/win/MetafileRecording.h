#pragma once

// Recording of drawing calls made on a metafile DC (used by this library's files only).

#include "platform/win/GdiInternal.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace gdi {

enum class MetaOp : std::uint16_t {
    SaveDC = 1,
    RestoreDC,
    SetTextColor,
    SetBkColor,
    SetBkMode,
    SetROP2,
    SetTextAlign,
    SetPolyFillMode,
    SetMapMode,
    SetWindowOrg,
    SetWindowExt,
    SetViewportOrg,
    SetViewportExt,
    MoveTo,
    SelectPen,
    SelectBrush,
    SelectFont,
    SelectClipRgn,
    IntersectClipRect,
    ExcludeClipRect,
    LineTo,
    Polyline,
    Polygon,
    PolyBezier,
    Rectangle,
    RoundRect,
    Ellipse,
    Arc,
    Chord,
    Pie,
    FillRect,
    FrameRect,
    InvertRect,
    PatBlt,
    SetPixel,
    ExtTextOut,
    DrawText,
    DrawFocusRect,
    DrawEdge,
    DrawFrameControl,
    BitBlt,
    BeginPath,
    EndPath,
    CloseFigure,
    FillPath,
    StrokePath,
    StrokeAndFillPath,
    SelectClipPath,
    SetStretchBltMode,
    SetArcDirection,
    PolylineTo,
    PolyBezierTo,
    GradientFill,
    AbortPath,
    SetBrushOrg,
    Last
};

struct MetaRecord {
    MetaOp Op{};
    std::vector<std::int32_t> I;
    std::string S;
    std::vector<std::uint8_t> B;
};

} // namespace gdi

class MetafileRecorder {
public:
    std::vector<gdi::MetaRecord> Records;
};

namespace gdi {

// Records the call when the DC is a metafile DC and the call was not made by another
// recorded call; keeps nested calls from being recorded twice.
class RecordScope {
public:
    RecordScope(DeviceContext* dc, MetaOp op, std::initializer_list<std::int32_t> ints = {},
                std::string text = {}, std::vector<std::uint8_t> bytes = {})
        : Dc(dc && dc->Recorder ? dc : nullptr)
    {
        if (!Dc)
            return;
        if (Dc->RecordDepth++ == 0)
            Dc->Recorder->Records.push_back(
                {op, std::vector<std::int32_t>(ints), std::move(text), std::move(bytes)});
    }
    RecordScope(const RecordScope&) = delete;
    RecordScope& operator=(const RecordScope&) = delete;
    ~RecordScope()
    {
        if (Dc)
            --Dc->RecordDepth;
    }
    // The record just made (for calls that add points), or null when not recording.
    MetaRecord* Last() const
    {
        return (Dc && Dc->RecordDepth == 1) ? &Dc->Recorder->Records.back() : nullptr;
    }

private:
    DeviceContext* Dc;
};

inline void AddPoints(MetaRecord* rec, const POINT* pts, int count)
{
    if (!rec || !pts)
        return;
    for (int i = 0; i < count; ++i) {
        rec->I.push_back(pts[i].X);
        rec->I.push_back(pts[i].Y);
    }
}

// Appends the description of an object so that playback can make an equal one.
void RecordSelect(DeviceContext* dc, GdiObject* obj);

} // namespace gdi
