// Metafiles: recording on a metafile DC, playback onto any DC, and our own file format.
//
// Records hold the logical coordinates of the calls. Playback starts from the state a new DC
// has, maps the recording's device space onto the target rectangle with a scale and offset
// applied after the target's own mapping, and keeps every clip inside the target's clip.

#include "platform/win/Metafile.h"
#include "platform/win/ImageFiles.h"
#include "platform/win/MetafileRecording.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>

struct GdiMetafile {
    std::vector<gdi::MetaRecord> Records;
    RECT Bounds{}; // reference device pixels
    RECT Frame{};  // hundredths of a millimetre
    int DpiX = 96, DpiY = 96;
};

namespace {

std::mutex& MetaLock()
{
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_set<GdiMetafile*>& MetaTable()
{
    static auto* t = new std::unordered_set<GdiMetafile*>;
    return *t;
}

GdiMetafile* Live(HENHMETAFILE mf)
{
    std::lock_guard lock(MetaLock());
    return mf && MetaTable().count(mf) ? mf : nullptr;
}

HENHMETAFILE Register(std::unique_ptr<GdiMetafile> mf)
{
    std::lock_guard lock(MetaLock());
    GdiMetafile* p = mf.release();
    MetaTable().insert(p);
    return p;
}

// What a metafile DC needs besides the DC itself.
struct Recording : MetafileRecorder {
    bool HasFrame = false;
    RECT Frame{};
};

std::mutex& RecLock()
{
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_set<Recording*>& Recordings()
{
    static auto* t = new std::unordered_set<Recording*>;
    return *t;
}

using gdi::MetaOp;
using gdi::MetaRecord;

// ---- Playback ----

class Player {
public:
    Player(HDC dc, const GdiMetafile& mf) : Dc(dc), Mf(mf) {}

    void Play(const RECT& target)
    {
        DeviceContext& d = *Dc;
        RECT t = gdi::ToDeviceRect(d, target);
        // Recorded positions are relative to the picture's bounds.
        double bw = std::max(1.0, double(Mf.Bounds.Right) - Mf.Bounds.Left);
        double bh = std::max(1.0, double(Mf.Bounds.Bottom) - Mf.Bounds.Top);
        double oldSX = d.WorldSX, oldSY = d.WorldSY, oldDX = d.WorldDX, oldDY = d.WorldDY;
        auto oldCaps = d.Caps;
        bool oldPlaying = d.Playing;
        Level = SaveDC(Dc);
        std::optional<gdi::Region> clip = d.S.Clip;
        BaseClip = gdi::EffectiveClip(d);
        // The state a new DC has, inside the target rectangle.
        DCState fresh;
        gdi::SetStateDefaults(fresh);
        SelectObject(Dc, fresh.Pen);
        SelectObject(Dc, fresh.Brush);
        SelectObject(Dc, fresh.Font);
        d.S.TextColor = fresh.TextColor;
        d.S.BkColor = fresh.BkColor;
        d.S.BkMode = fresh.BkMode;
        d.S.Rop2 = fresh.Rop2;
        d.S.TextAlign = 0;
        d.S.PolyFillMode = fresh.PolyFillMode;
        d.S.MapMode = MM_TEXT;
        d.S.WindowOrg = d.S.ViewportOrg = {0, 0};
        d.S.WindowExt = d.S.ViewportExt = {1, 1};
        d.S.CurPos = {0, 0};
        d.S.Clip = BaseClip;
        d.WorldSX = (double(t.Right) - t.Left) / bw;
        d.WorldSY = (double(t.Bottom) - t.Top) / bh;
        d.WorldDX = t.Left - Mf.Bounds.Left * d.WorldSX;
        d.WorldDY = t.Top - Mf.Bounds.Top * d.WorldSY;
        d.Caps[LOGPIXELSX] = Mf.DpiX; // the recording's fixed map modes use its resolution
        d.Caps[LOGPIXELSY] = Mf.DpiY;
        d.Playing = true;
        // The target gets its state back however playing ends.
        const TScopeExit Restore([&] {
            RestoreDC(Dc, Level);
            d.S.Clip = clip;
            d.WorldSX = oldSX;
            d.WorldSY = oldSY;
            d.WorldDX = oldDX;
            d.WorldDY = oldDY;
            d.Caps = oldCaps;
            d.Playing = oldPlaying;
            Made.clear(); // no longer selected after RestoreDC, so they can be deleted
        });
        for (const MetaRecord& r : Mf.Records)
            Step(r);
    }

private:
    HDC Dc;
    const GdiMetafile& Mf;
    int Level = 0;
    gdi::Region BaseClip;
    // The pens, brushes and fonts the recording made, selected into the target until it is
    // restored.
    std::vector<TOwnedGdiObject> Made;

    void Use(HGDIOBJ obj)
    {
        if (!obj)
            return;
        Made.emplace_back(obj);
        SelectObject(Dc, obj);
    }

    static std::vector<POINT> Points(const MetaRecord& r, size_t from)
    {
        std::vector<POINT> pts;
        for (size_t i = from; i + 1 < r.I.size(); i += 2)
            pts.push_back({r.I[i], r.I[i + 1]});
        return pts;
    }

    gdi::Region ToTargetDevice(const gdi::Region& rgn) const
    {
        const DeviceContext& d = *Dc;
        gdi::Region out;
        for (const TRect& t : rgn.Rects()) {
            double l = t.Left * d.WorldSX + d.WorldDX, r = t.Right * d.WorldSX + d.WorldDX;
            double tp = t.Top * d.WorldSY + d.WorldDY, b = t.Bottom * d.WorldSY + d.WorldDY;
            out = out.Union(
                gdi::Region(RECT{int(std::lround(std::min(l, r))), int(std::lround(std::min(tp, b))),
                                 int(std::lround(std::max(l, r))), int(std::lround(std::max(tp, b)))}));
        }
        return out;
    }

    void Step(const MetaRecord& r)
    {
        const auto& I = r.I;
        auto need = [&](size_t n) { return I.size() >= n; };
        switch (r.Op) {
        case MetaOp::SaveDC:
            SaveDC(Dc);
            break;
        case MetaOp::RestoreDC:
            if (need(1)) {
                std::int64_t n = I[0], saved = std::int64_t(Dc->Saved.size());
                // Absolute levels of the recording count from the level playback started at.
                if (n > 0 && n + Level <= saved)
                    RestoreDC(Dc, int(n + Level));
                else if (n < 0 && saved + n >= Level)
                    RestoreDC(Dc, int(n));
            }
            break;
        case MetaOp::SetTextColor:
            if (need(1))
                SetTextColor(Dc, COLORREF(I[0]));
            break;
        case MetaOp::SetBkColor:
            if (need(1))
                SetBkColor(Dc, COLORREF(I[0]));
            break;
        case MetaOp::SetBkMode:
            if (need(1))
                SetBkMode(Dc, I[0]);
            break;
        case MetaOp::SetROP2:
            if (need(1))
                SetROP2(Dc, I[0]);
            break;
        case MetaOp::SetTextAlign:
            if (need(1))
                SetTextAlign(Dc, UINT(I[0]));
            break;
        case MetaOp::SetPolyFillMode:
            if (need(1))
                SetPolyFillMode(Dc, I[0]);
            break;
        case MetaOp::SetStretchBltMode:
            if (need(1))
                SetStretchBltMode(Dc, I[0]);
            break;
        case MetaOp::SetArcDirection:
            if (need(1))
                SetArcDirection(Dc, I[0]);
            break;
        case MetaOp::SetMapMode:
            if (need(1))
                SetMapMode(Dc, I[0]);
            break;
        case MetaOp::SetWindowOrg:
            if (need(2))
                SetWindowOrgEx(Dc, I[0], I[1], nullptr);
            break;
        case MetaOp::SetWindowExt:
            if (need(2))
                SetWindowExtEx(Dc, I[0], I[1], nullptr);
            break;
        case MetaOp::SetViewportOrg:
            if (need(2))
                SetViewportOrgEx(Dc, I[0], I[1], nullptr);
            break;
        case MetaOp::SetViewportExt:
            if (need(2))
                SetViewportExtEx(Dc, I[0], I[1], nullptr);
            break;
        case MetaOp::SetBrushOrg:
            if (need(2))
                SetBrushOrgEx(Dc, I[0], I[1], nullptr);
            break;
        case MetaOp::MoveTo:
            if (need(2))
                MoveToEx(Dc, I[0], I[1], nullptr);
            break;
        case MetaOp::LineTo:
            if (need(2))
                LineTo(Dc, I[0], I[1]);
            break;
        case MetaOp::SelectPen:
            if (need(5)) {
                if (I[4]) { // extended
                    LOGBRUSH lb{DWORD(I[0] & PS_STYLE_MASK) == PS_NULL ? UINT(BS_NULL) : UINT(BS_SOLID),
                                COLORREF(I[2]), 0};
                    std::vector<DWORD> styles(I.begin() + 5, I.end());
                    Use(ExtCreatePen(DWORD(I[0]), DWORD(I[1]), &lb, DWORD(styles.size()), styles.data()));
                } else {
                    Use(CreatePen(I[0] & int(PS_STYLE_MASK), I[1], COLORREF(I[2])));
                }
            }
            break;
        case MetaOp::SelectBrush:
            if (need(6)) {
                UINT style = UINT(I[0]);
                if (style == BS_PATTERN && I[3] > 0 && I[4] > 0 &&
                    r.B.size() == size_t(I[3]) * size_t(I[4]) * 4 &&
                    size_t(I[3]) * size_t(I[4]) <= (1u << 22)) {
                    const TOwnedBitmap owned(gdi::NewBitmap(I[3], I[4], I[5] ? 1 : 32));
                    if (GdiBitmap* bmp = owned.get()) {
                        cairo_surface_flush(bmp->Surface.get());
                        unsigned char* data = cairo_image_surface_get_data(bmp->Surface.get());
                        int stride = cairo_image_surface_get_stride(bmp->Surface.get());
                        for (int y = 0; y < I[4]; ++y)
                            for (int x = 0; x < I[3]; ++x) {
                                std::uint32_t p;
                                std::memcpy(&p, &r.B[(size_t(y) * I[3] + x) * 4], 4);
                                reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = 0xFF000000u | p;
                            }
                        cairo_surface_mark_dirty(bmp->Surface.get());
                        Use(CreatePatternBrush(bmp)); // the brush keeps its own copy
                    }
                } else if (style == BS_NULL) {
                    SelectObject(Dc, GetStockObject(NULL_BRUSH));
                } else if (style == BS_HATCHED) {
                    Use(CreateHatchBrush(I[2], COLORREF(I[1])));
                } else {
                    Use(CreateSolidBrush(COLORREF(I[1])));
                }
            }
            break;
        case MetaOp::SelectFont:
            if (r.B.size() == sizeof(LOGFONTA)) {
                LOGFONTA lf;
                std::memcpy(static_cast<void*>(&lf), r.B.data(), sizeof lf);
                lf.lfFaceName[LF_FACESIZE - 1] = 0;
                Use(CreateFontIndirect(&lf));
            }
            break;
        case MetaOp::SelectClipRgn:
            if (need(2)) {
                int mode = I[0];
                gdi::Region rgn;
                for (size_t i = 2; i + 3 < I.size(); i += 4)
                    rgn = rgn.Union(gdi::Region(RECT{I[i], I[i + 1], I[i + 2], I[i + 3]}));
                if (!I[1]) {
                    Dc->S.Clip = BaseClip; // removing the picture's clip keeps the target's
                } else {
                    const TOwnedRegion h(CreateRectRgn(0, 0, 0, 0));
                    gdi::As<GdiRegion>(h.get(), OBJ_REGION)->Rgn = ToTargetDevice(rgn);
                    ExtSelectClipRgn(Dc, h.get(), mode);
                    Dc->S.Clip = Dc->S.Clip ? Dc->S.Clip->Intersect(BaseClip) : BaseClip;
                }
            }
            break;
        case MetaOp::IntersectClipRect:
            if (need(4))
                IntersectClipRect(Dc, I[0], I[1], I[2], I[3]);
            break;
        case MetaOp::ExcludeClipRect:
            if (need(4))
                ExcludeClipRect(Dc, I[0], I[1], I[2], I[3]);
            break;
        case MetaOp::Polyline: {
            auto p = Points(r, 0);
            Polyline(Dc, p.data(), int(p.size()));
            break;
        }
        case MetaOp::PolylineTo: {
            auto p = Points(r, 0);
            PolylineTo(Dc, p.data(), DWORD(p.size()));
            break;
        }
        case MetaOp::Polygon: {
            auto p = Points(r, 0);
            Polygon(Dc, p.data(), int(p.size()));
            break;
        }
        case MetaOp::PolyBezier: {
            auto p = Points(r, 0);
            PolyBezier(Dc, p.data(), DWORD(p.size()));
            break;
        }
        case MetaOp::PolyBezierTo: {
            auto p = Points(r, 0);
            PolyBezierTo(Dc, p.data(), DWORD(p.size()));
            break;
        }
        case MetaOp::Rectangle:
            if (need(4))
                Rectangle(Dc, I[0], I[1], I[2], I[3]);
            break;
        case MetaOp::RoundRect:
            if (need(6))
                RoundRect(Dc, I[0], I[1], I[2], I[3], I[4], I[5]);
            break;
        case MetaOp::Ellipse:
            if (need(4))
                Ellipse(Dc, I[0], I[1], I[2], I[3]);
            break;
        case MetaOp::Arc:
            if (need(8))
                Arc(Dc, I[0], I[1], I[2], I[3], I[4], I[5], I[6], I[7]);
            break;
        case MetaOp::Chord:
            if (need(8))
                Chord(Dc, I[0], I[1], I[2], I[3], I[4], I[5], I[6], I[7]);
            break;
        case MetaOp::Pie:
            if (need(8))
                Pie(Dc, I[0], I[1], I[2], I[3], I[4], I[5], I[6], I[7]);
            break;
        case MetaOp::FillRect:
            if (need(4)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                FillRect(Dc, &rc, Dc->S.Brush);
            }
            break;
        case MetaOp::FrameRect:
            if (need(4)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                FrameRect(Dc, &rc, Dc->S.Brush);
            }
            break;
        case MetaOp::InvertRect:
            if (need(4)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                InvertRect(Dc, &rc);
            }
            break;
        case MetaOp::DrawFocusRect:
            if (need(4)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                DrawFocusRect(Dc, &rc);
            }
            break;
        case MetaOp::DrawEdge:
            if (need(6)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                DrawEdge(Dc, &rc, UINT(I[4]), UINT(I[5]) & ~UINT(BF_ADJUST));
            }
            break;
        case MetaOp::DrawFrameControl:
            if (need(6)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                DrawFrameControl(Dc, &rc, UINT(I[4]), UINT(I[5]));
            }
            break;
        case MetaOp::PatBlt:
            if (need(5))
                PatBlt(Dc, I[0], I[1], I[2], I[3], DWORD(I[4]));
            break;
        case MetaOp::SetPixel:
            if (need(3))
                SetPixel(Dc, I[0], I[1], COLORREF(I[2]));
            break;
        case MetaOp::ExtTextOut:
            if (need(9)) {
                RECT rc{I[4], I[5], I[6], I[7]};
                const RECT* prc = I[3] ? &rc : nullptr;
                std::vector<INT> dx;
                if (I[8]) {
                    if (I.size() != 9 + r.S.size())
                        break;
                    dx.assign(I.begin() + 9, I.end());
                }
                ExtTextOut(Dc, I[0], I[1], UINT(I[2]) & ~UINT(ETO_PDY), prc, r.S.data(), UINT(r.S.size()),
                           dx.empty() ? nullptr : dx.data());
            }
            break;
        case MetaOp::DrawText:
            if (need(8)) {
                RECT rc{I[0], I[1], I[2], I[3]};
                DRAWTEXTPARAMS params;
                params.iTabLength = I[5];
                params.iLeftMargin = I[6];
                params.iRightMargin = I[7];
                std::string text = r.S;
                DrawTextEx(Dc, text.data(), int(text.size()), &rc,
                           UINT(I[4]) & ~UINT(DT_CALCRECT | DT_MODIFYSTRING), &params);
            }
            break;
        case MetaOp::BitBlt:
            if (need(8) && I[4] > 0 && I[5] > 0 && size_t(I[4]) * size_t(I[5]) <= (size_t(1) << 26) &&
                r.B.size() == size_t(I[4]) * size_t(I[5]) * 4) {
                const TOwnedBitmap owned(gdi::NewBitmap(I[4], I[5], I[7] ? 1 : 32));
                GdiBitmap* bmp = owned.get();
                if (!bmp)
                    break;
                cairo_surface_flush(bmp->Surface.get());
                unsigned char* data = cairo_image_surface_get_data(bmp->Surface.get());
                int stride = cairo_image_surface_get_stride(bmp->Surface.get());
                for (int y = 0; y < I[5]; ++y)
                    for (int x = 0; x < I[4]; ++x) {
                        std::uint32_t p;
                        std::memcpy(&p, &r.B[(size_t(y) * I[4] + x) * 4], 4);
                        reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = 0xFF000000u | p;
                    }
                cairo_surface_mark_dirty(bmp->Surface.get());
                const TOwnedDC mem(CreateCompatibleDC(nullptr));
                const TSelectObject selected(mem.get(), bmp);
                StretchBlt(Dc, I[0], I[1], I[2], I[3], mem.get(), 0, 0, I[4], I[5], DWORD(I[6]));
            }
            break;
        case MetaOp::BeginPath:
            BeginPath(Dc);
            break;
        case MetaOp::EndPath:
            EndPath(Dc);
            break;
        case MetaOp::AbortPath:
            AbortPath(Dc);
            break;
        case MetaOp::CloseFigure:
            CloseFigure(Dc);
            break;
        case MetaOp::FillPath:
            FillPath(Dc);
            break;
        case MetaOp::StrokePath:
            StrokePath(Dc);
            break;
        case MetaOp::StrokeAndFillPath:
            StrokeAndFillPath(Dc);
            break;
        case MetaOp::SelectClipPath:
            if (need(1)) {
                SelectClipPath(Dc, I[0]);
                Dc->S.Clip = Dc->S.Clip ? Dc->S.Clip->Intersect(BaseClip) : BaseClip;
            }
            break;
        case MetaOp::GradientFill:
            if (need(1)) {
                ULONG mode = ULONG(I[0]);
                size_t per = mode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
                size_t n = (I.size() - 1) / 5;
                if (n == 0 || n % per)
                    break;
                std::vector<TRIVERTEX> v(n);
                std::vector<ULONG> idx(n);
                for (size_t i = 0; i < n; ++i) {
                    const std::int32_t* e = &I[1 + i * 5];
                    v[i] = {e[0], e[1], COLOR16(e[2]), COLOR16(e[3]), COLOR16(e[4]), 0};
                    idx[i] = ULONG(i);
                }
                GradientFill(Dc, v.data(), ULONG(n), idx.data(), ULONG(n / per), mode);
            }
            break;
        default:
            break; // unknown records are skipped
        }
    }
};

// ---- File format ----

constexpr char Magic[4] = {'D', 'M', 'F', '1'};

void PutU32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(BYTE(v >> (8 * i)));
}

struct Reader {
    const BYTE* P;
    size_t Size, Pos = 0;
    std::uint32_t U32()
    {
        if (Size - Pos < 4)
            throw EInvalidGraphic("Metafile is not valid: truncated");
        std::uint32_t v = P[Pos] | (P[Pos + 1] << 8) | (P[Pos + 2] << 16) | (std::uint32_t(P[Pos + 3]) << 24);
        Pos += 4;
        return v;
    }
    // A count of items of `unit` bytes that must fit in what is left.
    std::uint32_t Count(size_t unit)
    {
        std::uint32_t n = U32();
        if (unit && n > (Size - Pos) / unit)
            throw EInvalidGraphic("Metafile is not valid: count past the end");
        return n;
    }
};

} // namespace

namespace gdi {

void RecordSelect(DeviceContext* dc, GdiObject* obj)
{
    if (!dc || !dc->Recorder || dc->RecordDepth > 0 || !obj)
        return;
    MetaRecord r;
    switch (obj->Type) {
    case OBJ_PEN: {
        auto* pen = static_cast<GdiPen*>(obj);
        r.Op = MetaOp::SelectPen;
        COLORREF c = pen->DCPen ? dc->S.DCPenColor : pen->Color;
        r.I = {std::int32_t(pen->Style), pen->Width, std::int32_t(c), pen->Extended ? 1 : 0,
               pen->Extended ? 1 : 0};
        for (DWORD d : pen->UserStyle)
            r.I.push_back(std::int32_t(d));
        break;
    }
    case OBJ_BRUSH: {
        auto* b = static_cast<GdiBrush*>(obj);
        r.Op = MetaOp::SelectBrush;
        COLORREF c = b->DCBrush ? dc->S.DCBrushColor : b->Color;
        r.I = {std::int32_t(b->Style), std::int32_t(c),  b->Hatch,
               b->PatternWidth,        b->PatternHeight, b->PatternMonochrome ? 1 : 0};
        for (std::uint32_t p : b->Pattern)
            for (int i = 0; i < 4; ++i)
                r.B.push_back(BYTE(p >> (8 * i)));
        break;
    }
    case OBJ_FONT: {
        auto* f = static_cast<GdiFont*>(obj);
        r.Op = MetaOp::SelectFont;
        r.B.resize(sizeof(LOGFONTA));
        std::memcpy(r.B.data(), static_cast<const void*>(&f->Log), sizeof(LOGFONTA));
        break;
    }
    default:
        return;
    }
    dc->Recorder->Records.push_back(std::move(r));
}

} // namespace gdi

HDC CreateEnhMetaFile(HDC reference, const char* fileName, const RECT* frame, const char*)
{
    if (fileName)
        return nullptr;
    HDC dc = CreateMeasuringDC(96, 96);
    dc->Kind = DCKind::Metafile;
    if (gdi::IsLiveDC(reference)) {
        dc->Reference = reference;
        dc->DpiX = GetDeviceCaps(reference, LOGPIXELSX);
        dc->DpiY = GetDeviceCaps(reference, LOGPIXELSY);
    }
    auto* rec = new Recording;
    if (frame) {
        rec->HasFrame = true;
        rec->Frame = *frame;
    }
    {
        std::lock_guard lock(RecLock());
        Recordings().insert(rec);
    }
    dc->Recorder = rec;
    return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc)
{
    if (!gdi::IsLiveDC(dc) || !dc->Recorder)
        return nullptr;
    const std::unique_ptr<Recording> rec(static_cast<Recording*>(dc->Recorder));
    {
        std::lock_guard lock(RecLock());
        Recordings().erase(rec.get());
    }
    auto mf = std::make_unique<GdiMetafile>();
    mf->Records = std::move(rec->Records);
    mf->DpiX = GetDeviceCaps(dc, LOGPIXELSX);
    mf->DpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (rec->HasFrame) {
        const RECT& f = rec->Frame;
        mf->Frame = f;
        mf->Bounds = {MulDiv(f.Left, mf->DpiX, 2540), MulDiv(f.Top, mf->DpiY, 2540),
                      MulDiv(f.Right, mf->DpiX, 2540), MulDiv(f.Bottom, mf->DpiY, 2540)};
    }
    dc->Recorder = nullptr;
    DeleteDC(dc); // closing the recording ends its DC
    {
        // Without a frame the picture is what its drawing covers: play it onto a DC that only
        // measures.
        if (mf->Bounds.Right <= mf->Bounds.Left || mf->Bounds.Bottom <= mf->Bounds.Top) {
            const TOwnedDC owned(CreateMeasuringDC(mf->DpiX, mf->DpiY));
            HDC measure = owned.get();
            measure->ScreenMeasuring = false; // measure as the recording did
            measure->TrackBounds = true;
            GdiMetafile probe;
            probe.Records = mf->Records;
            probe.DpiX = mf->DpiX;
            probe.DpiY = mf->DpiY;
            probe.Bounds = {0, 0, 1, 1};
            RECT unit{0, 0, 1, 1};
            Player(measure, probe).Play(unit);
            mf->Bounds = measure->Tracked;
            mf->Frame = {MulDiv(mf->Bounds.Left, 2540, mf->DpiX), MulDiv(mf->Bounds.Top, 2540, mf->DpiY),
                         MulDiv(mf->Bounds.Right, 2540, mf->DpiX), MulDiv(mf->Bounds.Bottom, 2540, mf->DpiY)};
        }
    }
    return Register(std::move(mf));
}

BOOL DeleteEnhMetaFile(HENHMETAFILE h)
{
    GdiMetafile* mf = Live(h);
    if (!mf)
        return FALSE;
    {
        std::lock_guard lock(MetaLock());
        MetaTable().erase(mf);
    }
    delete mf;
    return TRUE;
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE h, const char* fileName)
{
    GdiMetafile* mf = Live(h);
    if (!mf || fileName)
        return nullptr;
    return Register(std::make_unique<GdiMetafile>(*mf));
}

BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE h, const RECT* bounds)
{
    GdiMetafile* mf = Live(h);
    if (!gdi::IsLiveDC(dc) || !mf || !bounds)
        return FALSE;
    Player(dc, *mf).Play(*bounds);
    return TRUE;
}

BOOL GetMetafileInfo(HENHMETAFILE h, MetafileInfo* info)
{
    GdiMetafile* mf = Live(h);
    if (!mf || !info)
        return FALSE;
    info->Bounds = mf->Bounds;
    info->Frame = mf->Frame;
    info->DpiX = mf->DpiX;
    info->DpiY = mf->DpiY;
    info->RecordCount = int(mf->Records.size());
    return TRUE;
}

UINT GetEnhMetaFileBits(HENHMETAFILE h, UINT size, BYTE* data)
{
    GdiMetafile* mf = Live(h);
    if (!mf)
        return 0;
    Bytes b(Magic, Magic + 4);
    for (int v : {mf->Bounds.Left, mf->Bounds.Top, mf->Bounds.Right, mf->Bounds.Bottom, mf->Frame.Left,
                  mf->Frame.Top, mf->Frame.Right, mf->Frame.Bottom, mf->DpiX, mf->DpiY})
        PutU32(b, std::uint32_t(v));
    PutU32(b, std::uint32_t(mf->Records.size()));
    for (const MetaRecord& r : mf->Records) {
        PutU32(b, std::uint32_t(r.Op));
        PutU32(b, std::uint32_t(r.I.size()));
        for (std::int32_t v : r.I)
            PutU32(b, std::uint32_t(v));
        PutU32(b, std::uint32_t(r.S.size()));
        b.insert(b.end(), r.S.begin(), r.S.end());
        PutU32(b, std::uint32_t(r.B.size()));
        b.insert(b.end(), r.B.begin(), r.B.end());
    }
    if (!data)
        return UINT(b.size());
    if (size < b.size())
        return 0;
    std::memcpy(data, b.data(), b.size());
    return UINT(b.size());
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data)
{
    if (!data || size < 4 + 11 * 4 || std::memcmp(data, Magic, 4) != 0)
        throw EInvalidGraphic("Metafile is not valid");
    Reader rd{data, size, 4};
    auto mf = std::make_unique<GdiMetafile>();
    std::int32_t v[10];
    for (std::int32_t& x : v)
        x = std::int32_t(rd.U32());
    mf->Bounds = {v[0], v[1], v[2], v[3]};
    mf->Frame = {v[4], v[5], v[6], v[7]};
    mf->DpiX = v[8];
    mf->DpiY = v[9];
    if (mf->DpiX <= 0 || mf->DpiY <= 0 || mf->DpiX > 10000 || mf->DpiY > 10000)
        throw EInvalidGraphic("Metafile is not valid: resolution");
    std::uint32_t count = rd.Count(12);
    mf->Records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        MetaRecord r;
        std::uint32_t op = rd.U32();
        if (op == 0 || op >= std::uint32_t(MetaOp::Last))
            throw EInvalidGraphic("Metafile is not valid: unknown record");
        r.Op = MetaOp(op);
        std::uint32_t ni = rd.Count(4);
        r.I.resize(ni);
        for (auto& x : r.I)
            x = std::int32_t(rd.U32());
        std::uint32_t ns = rd.Count(1);
        r.S.assign(reinterpret_cast<const char*>(data + rd.Pos), ns);
        rd.Pos += ns;
        std::uint32_t nb = rd.Count(1);
        r.B.assign(data + rd.Pos, data + rd.Pos + nb);
        rd.Pos += nb;
        mf->Records.push_back(std::move(r));
    }
    return Register(std::move(mf));
}
