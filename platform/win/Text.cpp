// Fonts through pango with the program's font map; TextOut, ExtTextOut and text metrics.
//
// Every DC whose output shows on the screen (window, screen, bitmap and the screen's measuring
// DCs) uses hinted metrics, so widths and heights are whole pixels and text measured on one of
// them is drawn the same width on another; printer, metafile and other measuring DCs use
// unhinted metrics scaled to their resolution, so a layout computed on them does not depend on
// the device. UsesScreenTextMetrics is that rule.

#include "platform/win/MetafileRecording.h"
#include "platform/win/TextInternal.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <unordered_map>

#ifndef DRAWMERE_FONT_MAP
#define DRAWMERE_FONT_MAP "platform/fonts/fonts.conf"
#endif

namespace gdi {

namespace {

std::recursive_mutex& TextLock()
{
    static std::recursive_mutex m;
    return m;
}

// Emptied by ReleaseFonts at exit, before static objects go.
TOwnedGObject<PangoContext> Contexts[2];
TOwnedGObject<PangoFontMap> TheFontMap;

// Releases pango's and fontconfig's caches when the program ends, so that leak checkers see
// only real leaks.
void DropLayoutCache();

void ReleaseFonts()
{
    DropLayoutCache();
    for (TOwnedGObject<PangoContext>& ctx : Contexts)
        ctx.reset();
    TheFontMap.reset();
}

PangoFontMap* FontMap()
{
    static PangoFontMap* map = [] {
        std::string file = FontMapFile();
        // Everything else in the process that asks fontconfig (the on-screen toolkit) gets the
        // same map.
        setenv("FONTCONFIG_FILE", file.c_str(), 0);
        FcConfig* config = FcConfigCreate();
        if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue)) {
            // Without our map the system's default configuration still gives usable fonts.
            FcConfigDestroy(config);
            config = FcInitLoadConfigAndFonts();
        } else {
            FcConfigBuildFonts(config);
        }
        PangoFontMap* fm = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fm), config);
        FcConfigDestroy(config);
        TheFontMap.reset(fm);
        std::atexit(ReleaseFonts);
        return fm;
    }();
    return map;
}

PangoContext* ContextFor(bool hinted)
{
    TOwnedGObject<PangoContext>& owned = Contexts[hinted ? 1 : 0];
    if (!owned) {
        PangoFontMap* map = FontMap();
        owned.reset(pango_font_map_create_context(map));
        PangoContext* ctx = owned.get();
        const THandleOwner<cairo_font_options_t, cairo_font_options_destroy> options(
            cairo_font_options_create());
        cairo_font_options_t* o = options.get();
        cairo_font_options_set_hint_metrics(o, hinted ? CAIRO_HINT_METRICS_ON : CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(o, hinted ? CAIRO_HINT_STYLE_SLIGHT : CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(ctx, o); // takes a copy
        pango_cairo_context_set_resolution(ctx, 96);
        pango_context_set_round_glyph_positions(ctx, hinted);
        pango_context_set_language(ctx, pango_language_from_string("zh-tw"));
    }
    return owned.get();
}

} // namespace

bool UsesScreenTextMetrics(const DeviceContext& dc)
{
    switch (dc.Kind) {
    case DCKind::Screen:
    case DCKind::Memory:
        return true;
    case DCKind::Information:
        return dc.ScreenMeasuring;
    case DCKind::Printer:
    case DCKind::Metafile:
        break;
    }
    return false;
}

namespace {

bool IsHinted(const DeviceContext& dc)
{
    return UsesScreenTextMetrics(dc);
}

int DpiY(const DeviceContext& dc)
{
    return GetDeviceCaps(const_cast<HDC>(&dc), LOGPIXELSY);
}

PangoFontDescription* Describe(const LOGFONTA& lf, double em)
{
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, lf.lfFaceName[0] ? lf.lfFaceName : "Arial");
    int weight = lf.lfWeight <= 0 ? 400 : std::clamp(int(lf.lfWeight), 100, 1000);
    pango_font_description_set_weight(d, PangoWeight(weight));
    pango_font_description_set_style(d, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(d, std::max(em, 1.0) * PANGO_SCALE);
    return d;
}

// Ascent plus descent per em of the face: turns a cell height into a character height.
double CellPerEm(const LOGFONTA& lf)
{
    TOwnedFontDescription d(Describe(lf, 1000));
    TOwnedGObject<PangoFont> font(pango_context_load_font(ContextFor(false), d.get()));
    double ratio = 1.2;
    if (font) {
        TOwnedFontMetrics m(pango_font_get_metrics(font.get(), nullptr));
        double cell =
            double(pango_font_metrics_get_ascent(m.get()) + pango_font_metrics_get_descent(m.get())) /
            PANGO_SCALE;
        if (cell > 0)
            ratio = cell / 1000;
    }
    return ratio;
}

std::shared_ptr<const TextFont> Realise(const LOGFONTA& lf, double deviceHeight, bool cellHeight, bool hinted)
{
    static std::uint64_t serials = 0;
    auto tf = std::make_shared<TextFont>();
    tf->Serial = ++serials;
    tf->Log = lf;
    tf->Hinted = hinted;
    double em = cellHeight ? deviceHeight / CellPerEm(lf) : deviceHeight;
    if (hinted)
        em = std::max(1.0, std::round(em));
    em = std::clamp(em, 1.0, 10000.0);
    tf->EmPx = em;
    tf->Desc.reset(Describe(lf, em));
    PangoContext* ctx = ContextFor(hinted);
    TOwnedGObject<PangoFont> font(pango_context_load_font(ctx, tf->Desc.get()));
    if (font) {
        TOwnedFontMetrics m(pango_font_get_metrics(font.get(), nullptr));
        tf->Ascent = int(std::lround(double(pango_font_metrics_get_ascent(m.get())) / PANGO_SCALE));
        tf->Descent = int(std::lround(double(pango_font_metrics_get_descent(m.get())) / PANGO_SCALE));
        tf->AveCharWidth = std::max(
            1,
            int(std::lround(double(pango_font_metrics_get_approximate_char_width(m.get())) / PANGO_SCALE)));
    } else {
        tf->Ascent = int(std::lround(em * 0.9));
        tf->Descent = int(std::lround(em * 0.2));
        tf->AveCharWidth = std::max(1, int(em / 2));
    }
    tf->Height = tf->Ascent + tf->Descent;
    tf->InternalLeading = std::max(0, tf->Height - int(std::lround(em)));
    tf->MaxCharWidth = std::max(tf->AveCharWidth, int(std::lround(TextWidth(*tf, "W"))));
    return tf;
}

} // namespace

std::shared_ptr<const TextFont> FontFor(const DeviceContext& dc)
{
    std::lock_guard lock(TextLock());
    static std::map<std::string, std::shared_ptr<const TextFont>> cache;
    LOGFONTA lf = dc.S.Font ? dc.S.Font->Log : LOGFONTA{};
    bool hinted = IsHinted(dc);
    double scale = std::abs(ScaleY(dc));
    double height;
    bool cell;
    if (lf.lfHeight == 0) {
        height = 16.0 * DpiY(dc) / 96; // the default size: a 16-pixel cell on the screen
        cell = true;
    } else {
        height = std::abs(double(lf.lfHeight)) * scale;
        cell = lf.lfHeight > 0;
    }
    std::string key(reinterpret_cast<const char*>(&lf), sizeof lf);
    key += std::to_string(height) + (cell ? "c" : "e") + (hinted ? "h" : "u");
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    if (cache.size() > 512)
        cache.clear();
    auto tf = Realise(lf, height, cell, hinted);
    cache[key] = tf;
    return tf;
}

namespace {

// The layouts made last, so that text measured and then drawn (or measured twice) is shaped once.
// Layouts are never changed after NewLayout, so a cached one serves every caller alike. It holds
// enough for a full repaint of a large form of captions, so a repaint shapes nothing again.
struct LayoutKey {
    std::uint64_t Font;
    std::string Text;
    int UnderlineIndex, UnderlineLength, TabWidth;
    bool operator==(const LayoutKey&) const = default;
};
struct LayoutKeyHash {
    std::size_t operator()(const LayoutKey& k) const
    {
        std::size_t h = std::hash<std::string>()(k.Text);
        for (std::uint64_t v :
             {k.Font, std::uint64_t(std::uint32_t(k.UnderlineIndex)),
              std::uint64_t(std::uint32_t(k.UnderlineLength)), std::uint64_t(std::uint32_t(k.TabWidth))})
            h = h * 1099511628211ull ^ std::hash<std::uint64_t>()(v);
        return h;
    }
};
struct CachedLayout {
    LayoutKey Key;
    TOwnedLayout Layout; // the cache's own reference
};
// At most this many layouts, holding at most this much text (long texts are shaped into large
// layouts; a few of them are enough to keep).
constexpr std::size_t kLayoutCacheSize = 2048;
constexpr std::size_t kLayoutCacheText = 128 * 1024;
struct LayoutCacheStore {
    std::size_t Text = 0;
    std::list<CachedLayout> Recent; // most recently used first
    std::unordered_map<LayoutKey, std::list<CachedLayout>::iterator, LayoutKeyHash> Index;
};
LayoutCacheStore& LayoutCache()
{
    // Never destroyed: ReleaseFonts empties it at exit, after static objects may be gone.
    static auto* cache = new LayoutCacheStore;
    return *cache;
}

void DropLayoutCache()
{
    LayoutCache().Recent.clear();
    LayoutCache().Index.clear();
    LayoutCache().Text = 0;
}

TOwnedLayout MakeLayout(const TextFont& font, const std::string& text, const LayoutOptions& opts);

} // namespace

TOwnedLayout NewLayout(const TextFont& font, const std::string& text, const LayoutOptions& opts)
{
    std::lock_guard lock(TextLock());
    auto& cache = LayoutCache();
    LayoutKey key{font.Serial, text, opts.UnderlineIndex, opts.UnderlineLength, opts.TabWidth};
    auto found = cache.Index.find(key);
    if (found != cache.Index.end()) {
        cache.Recent.splice(cache.Recent.begin(), cache.Recent, found->second);
        return TOwnedLayout(PANGO_LAYOUT(g_object_ref(found->second->Layout.get())));
    }
    TOwnedLayout layout = MakeLayout(font, text, opts);
    cache.Recent.push_front(CachedLayout{key, TOwnedLayout(PANGO_LAYOUT(g_object_ref(layout.get())))});
    cache.Index.emplace(std::move(key), cache.Recent.begin());
    cache.Text += text.size();
    while (cache.Recent.size() > 1 &&
           (cache.Recent.size() > kLayoutCacheSize || cache.Text > kLayoutCacheText)) {
        cache.Text -= cache.Recent.back().Key.Text.size();
        cache.Index.erase(cache.Recent.back().Key);
        cache.Recent.pop_back();
    }
    return layout;
}

namespace {

TOwnedLayout MakeLayout(const TextFont& font, const std::string& text, const LayoutOptions& opts)
{
    TOwnedLayout layout(pango_layout_new(ContextFor(font.Hinted)));
    pango_layout_set_font_description(layout.get(), font.Desc.get());
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    // pango needs valid UTF-8; anything else is shown as replacement characters.
    if (g_utf8_validate(text.data(), gssize(text.size()), nullptr)) {
        pango_layout_set_text(layout.get(), text.data(), int(text.size()));
    } else {
        std::u16string w = Utf8ToUtf16(text.data(), int(text.size()));
        std::string clean = Utf16ToUtf8(w.data(), int(w.size()));
        pango_layout_set_text(layout.get(), clean.data(), int(clean.size()));
    }
    TOwnedAttrList attrs(pango_attr_list_new());
    if (font.Log.lfUnderline)
        pango_attr_list_insert(attrs.get(), pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font.Log.lfStrikeOut)
        pango_attr_list_insert(attrs.get(), pango_attr_strikethrough_new(TRUE));
    if (opts.UnderlineIndex >= 0 && opts.UnderlineLength > 0) {
        PangoAttribute* u = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        u->start_index = guint(opts.UnderlineIndex);
        u->end_index = guint(opts.UnderlineIndex + opts.UnderlineLength);
        pango_attr_list_insert(attrs.get(), u);
    }
    pango_layout_set_attributes(layout.get(), attrs.get());
    if (opts.TabWidth > 0) {
        TOwnedTabArray tabs(pango_tab_array_new(1, TRUE));
        pango_tab_array_set_tab(tabs.get(), 0, PANGO_TAB_LEFT, opts.TabWidth);
        pango_layout_set_tabs(layout.get(), tabs.get());
    }
    return layout;
}

} // namespace

double LayoutWidth(const TextFont& font, PangoLayout* layout)
{
    std::lock_guard lock(TextLock());
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    if (font.Hinted)
        return PANGO_PIXELS(logical.width);
    return double(logical.width) / PANGO_SCALE;
}

double TextWidth(const TextFont& font, const std::string& text)
{
    if (text.empty())
        return 0;
    return LayoutWidth(font, NewLayout(font, text).get());
}

void DrawLayout(DeviceContext& dc, const TextFont& font, PangoLayout* layout, double x, double y,
                double width, bool opaque, const Region* clip)
{
    if (!HasPixels(dc))
        return;
    std::lock_guard lock(TextLock());
    double angle = font.Log.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
    if (dc.TrackBounds) {
        Region area = EffectiveClip(dc);
        if (clip)
            area = area.Intersect(*clip);
        if (area.Empty())
            return;
        double c = std::cos(angle), s = std::sin(angle), h = font.Height;
        double xs[4] = {x, x + width * c, x + width * c + h * s, x + h * s};
        double ys[4] = {y, y - width * s, y - width * s + h * c, y + h * c};
        TRect box{
            int(std::floor(*std::min_element(xs, xs + 4))), int(std::floor(*std::min_element(ys, ys + 4))),
            int(std::ceil(*std::max_element(xs, xs + 4))), int(std::ceil(*std::max_element(ys, ys + 4)))};
        Region r = Region(box).Intersect(area);
        TrackBox(dc, r.Box());
        return;
    }
    double baseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
    if (font.Hinted && angle == 0) {
        x = std::round(x);
        y = std::round(y);
    }
    if (opaque) {
        double c = std::cos(angle), s = std::sin(angle);
        auto corner = [&](double dx, double dy) { return DPoint{x + dx * c + dy * s, y - dx * s + dy * c}; };
        std::vector<DPoint> box{corner(0, 0), corner(width, 0), corner(width, font.Height),
                                corner(0, font.Height)};
        Paint bk;
        bk.Color = ToPixel(dc.S.BkColor);
        Region boxRegion;
        if (angle == 0) {
            boxRegion = Region(RECT{int(std::lround(x)), int(std::lround(y)), int(std::lround(x + width)),
                                    int(std::lround(y)) + font.Height});
        } else {
            TRect limitBox = ClipLimit(dc);
            boxRegion = PolygonRegion({box}, ALTERNATE, &limitBox);
        }
        PaintRegion(dc, clip ? boxRegion.Intersect(*clip) : boxRegion, bk, R2_COPYPEN);
    }
    // Upright text only needs the part of the clip its glyphs can reach: a window's update region
    // can hold hundreds of rectangles, and the cairo clip is built from what is left.
    Region area;
    if (angle == 0) {
        PangoRectangle ink, logical;
        pango_layout_get_pixel_extents(layout, &ink, &logical);
        const double top = y + font.Ascent - baseline;
        const int l = std::min(ink.x, logical.x), t = std::min(ink.y, logical.y);
        const int r = std::max(ink.x + ink.width, logical.x + logical.width);
        const int b = std::max(ink.y + ink.height, logical.y + logical.height);
        area = ClipShape(dc, Region(RECT{int(std::floor(x)) + l - 2, int(std::floor(top)) + t - 2,
                                         int(std::ceil(x)) + r + 2, int(std::ceil(top)) + b + 2}));
    } else {
        area = EffectiveClip(dc);
    }
    if (clip)
        area = area.Intersect(*clip);
    if (area.Empty())
        return;
    TOwnedCairo cr(cairo_create(dc.Surface));
    cairo_translate(cr.get(), dc.Origin.X, dc.Origin.Y);
    for (const TRect& t : area.Rects())
        cairo_rectangle(cr.get(), t.Left, t.Top, t.Width(), t.Height());
    cairo_clip(cr.get());
    COLORREF c = dc.S.TextColor;
    cairo_set_source_rgb(cr.get(), GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
    cairo_translate(cr.get(), x, y);
    cairo_rotate(cr.get(), -angle);
    // The baseline sits at the font's ascent below the top of the cell, whichever fallback
    // fonts the line needed.
    cairo_move_to(cr.get(), 0, font.Ascent - baseline);
    pango_cairo_show_layout(cr.get(), layout);
}

int ToLogicalWidth(const DeviceContext& dc, double w)
{
    double s = std::abs(ScaleX(dc));
    return int(std::lround(s > 0 ? w / s : w));
}

int ToLogicalHeight(const DeviceContext& dc, double h)
{
    double s = std::abs(ScaleY(dc));
    return int(std::lround(s > 0 ? h / s : h));
}

namespace {

struct Glyph {
    std::string Text;
    int Advance; // logical units
};

// Splits UTF-8 text into characters with the advances given per byte.
std::vector<Glyph> SplitAdvances(const std::string& text, const INT* dx)
{
    std::vector<Glyph> out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        n = std::min(n, text.size() - i);
        std::int64_t adv = 0;
        for (size_t k = 0; k < n; ++k)
            adv += dx[i + k];
        out.push_back({text.substr(i, n), int(std::clamp<std::int64_t>(adv, -(1 << 24), 1 << 24))});
        i += n;
    }
    return out;
}

void AddTextToPath(DeviceContext& dc, const TextFont& font, const std::string& text, double x, double y);

BOOL TextOutImpl(HDC dc, int x, int y, UINT options, const RECT* rect, const std::string& text, const INT* dx)
{
    if (!IsLiveDC(dc))
        return FALSE;
    {
        RecordScope rec(dc, MetaOp::ExtTextOut,
                        {x, y, std::int32_t(options), rect ? 1 : 0, rect ? rect->Left : 0,
                         rect ? rect->Top : 0, rect ? rect->Right : 0, rect ? rect->Bottom : 0, dx ? 1 : 0},
                        text);
        if (rec.Last() && dx)
            rec.Last()->I.insert(rec.Last()->I.end(), dx, dx + text.size());
    }
    if (dc->Recorder && !dc->PathOpen)
        return TRUE;
    auto font = FontFor(*dc);
    UINT align = dc->S.TextAlign;
    POINT ref = (align & TA_UPDATECP) ? dc->S.CurPos : POINT{x, y};
    DPoint p = ToDevice(*dc, ref.X, ref.Y);
    std::optional<Region> clip;
    if (rect) {
        RECT r = ToDeviceRect(*dc, *rect);
        if (options & ETO_OPAQUE) {
            Paint bk;
            bk.Color = ToPixel(dc->S.BkColor);
            PaintRegion(*dc, Region(r), bk, R2_COPYPEN);
        }
        if (options & ETO_CLIPPED)
            clip = Region(r);
    }
    std::vector<Glyph> glyphs;
    double width;
    if (dx) {
        glyphs = SplitAdvances(text, dx);
        std::int64_t total = 0;
        for (const Glyph& g : glyphs)
            total += g.Advance;
        width = total * std::abs(ScaleX(*dc));
    } else {
        width = TextWidth(*font, text);
    }
    double ox = 0, oy = 0;
    if ((align & TA_CENTER) == TA_CENTER)
        ox = -width / 2;
    else if (align & TA_RIGHT)
        ox = -width;
    if ((align & TA_BASELINE) == TA_BASELINE)
        oy = -font->Ascent;
    else if (align & TA_BOTTOM)
        oy = -font->Height;
    double angle = font->Log.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
    double c = std::cos(angle), s = std::sin(angle);
    double tx = p.X + ox * c + oy * s, ty = p.Y - ox * s + oy * c;
    bool opaque = dc->S.BkMode == OPAQUE && !(options & ETO_OPAQUE);
    if (dc->PathOpen) {
        AddTextToPath(*dc, *font, text, tx, ty);
        return TRUE;
    }
    if (!dx) {
        DrawLayout(*dc, *font, NewLayout(*font, text).get(), tx, ty, width, opaque, clip ? &*clip : nullptr);
    } else {
        if (opaque)
            DrawLayout(*dc, *font, NewLayout(*font, "").get(), tx, ty, width, true, clip ? &*clip : nullptr);
        double pos = 0;
        for (const Glyph& g : glyphs) {
            DrawLayout(*dc, *font, NewLayout(*font, g.Text).get(), tx + pos * c, ty - pos * s,
                       g.Advance * std::abs(ScaleX(*dc)), false, clip ? &*clip : nullptr);
            pos += g.Advance * std::abs(ScaleX(*dc));
        }
    }
    if (align & TA_UPDATECP) {
        int w = ToLogicalWidth(*dc, width);
        dc->S.CurPos.X += (align & TA_RIGHT) && (align & TA_CENTER) != TA_CENTER ? -w : w;
    }
    return TRUE;
}

// Text drawn between BeginPath and EndPath adds the outlines of its glyphs to the path.
void AddTextToPath(DeviceContext& dc, const TextFont& font, const std::string& text, double x, double y)
{
    std::lock_guard lock(TextLock());
    TOwnedSurface s(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    TOwnedCairo cr(cairo_create(s.get()));
    TOwnedLayout layout = NewLayout(font, text);
    double angle = font.Log.lfEscapement / 10.0 * 3.14159265358979323846 / 180.0;
    cairo_translate(cr.get(), x, y);
    cairo_rotate(cr.get(), -angle);
    double baseline = double(pango_layout_get_baseline(layout.get())) / PANGO_SCALE;
    cairo_move_to(cr.get(), 0, font.Ascent - baseline);
    pango_cairo_layout_path(cr.get(), layout.get());
    cairo_identity_matrix(cr.get());
    TOwnedPath owned(cairo_copy_path_flat(cr.get()));
    const cairo_path_t* path = owned.get();
    PathFigure figure;
    auto flush = [&] {
        if (figure.Points.size() > 1)
            dc.Path.push_back(figure);
        figure = PathFigure{};
    };
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& d = path->data[i];
        // Cairo's coordinates run along pixel edges; ours name pixel centres.
        switch (d.header.type) {
        case CAIRO_PATH_MOVE_TO:
            flush();
            figure.Points.push_back({path->data[i + 1].point.x - 0.5, path->data[i + 1].point.y - 0.5});
            break;
        case CAIRO_PATH_LINE_TO:
            figure.Points.push_back({path->data[i + 1].point.x - 0.5, path->data[i + 1].point.y - 0.5});
            break;
        case CAIRO_PATH_CLOSE_PATH:
            figure.Closed = true;
            flush();
            break;
        default:
            break;
        }
    }
    flush();
}

// Per-unit advances of the wide form, moved onto the UTF-8 bytes of each character.
std::vector<INT> AdvancesForUtf8(const char16_t* text, UINT length, const INT* dx)
{
    std::vector<INT> out;
    for (UINT i = 0; i < length; ++i) {
        bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF;
        std::string bytes = Utf16ToUtf8(text + i, pair ? 2 : 1);
        std::int64_t adv = std::int64_t(dx[i]) + (pair ? dx[i + 1] : 0);
        out.push_back(INT(std::clamp<std::int64_t>(adv, -(1 << 24), 1 << 24)));
        out.insert(out.end(), bytes.size() - 1, 0);
        if (pair)
            ++i;
    }
    return out;
}

} // namespace

} // namespace gdi

using namespace gdi;

std::string FontMapFile()
{
    const char* env = std::getenv("FONTCONFIG_FILE");
    return env && *env ? env : DRAWMERE_FONT_MAP;
}

std::string ResolveFontFamily(const std::string& face)
{
    std::lock_guard lock(TextLock());
    LOGFONTA lf;
    std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    TOwnedFontDescription d(Describe(lf, 16));
    TOwnedGObject<PangoFont> font(pango_context_load_font(ContextFor(true), d.get()));
    std::string family;
    if (font) {
        TOwnedFontDescription actual(pango_font_describe(font.get()));
        if (const char* f = pango_font_description_get_family(actual.get()))
            family = f;
    }
    return family;
}

BOOL TextOut(HDC dc, int x, int y, const char* text, int length)
{
    if (!text || length < 0)
        return FALSE;
    return TextOutImpl(dc, x, y, 0, nullptr, std::string(text, size_t(length)), nullptr);
}

BOOL TextOutW(HDC dc, int x, int y, const char16_t* text, int length)
{
    if (!text || length < 0)
        return FALSE;
    return TextOutImpl(dc, x, y, 0, nullptr, Utf16ToUtf8(text, length), nullptr);
}

BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                const INT* dx)
{
    if (!text && length > 0)
        return FALSE;
    if (options & ETO_PDY)
        return FALSE; // vertical advances are not supported
    return TextOutImpl(dc, x, y, options, rect, std::string(text ? text : "", length), dx);
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT length,
                 const INT* dx)
{
    if ((!text && length > 0) || (options & ETO_PDY))
        return FALSE;
    std::string utf8 = Utf16ToUtf8(text, int(length));
    if (!dx)
        return TextOutImpl(dc, x, y, options, rect, utf8, nullptr);
    std::vector<INT> adv = AdvancesForUtf8(text, length, dx);
    return TextOutImpl(dc, x, y, options, rect, utf8, adv.data());
}

BOOL GetTextExtentPoint32(HDC dc, const char* text, int length, SIZE* size)
{
    if (!IsLiveDC(dc) || !size || length < 0 || (!text && length > 0))
        return FALSE;
    auto font = FontFor(*dc);
    double w = TextWidth(*font, std::string(text ? text : "", size_t(length)));
    *size = {ToLogicalWidth(*dc, w), ToLogicalHeight(*dc, font->Height)};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, const char16_t* text, int length, SIZE* size)
{
    if (length < 0 || (!text && length > 0))
        return FALSE;
    std::string utf8 = Utf16ToUtf8(text, length);
    return GetTextExtentPoint32(dc, utf8.data(), int(utf8.size()), size);
}

BOOL GetTextMetrics(HDC dc, TEXTMETRICA* tm)
{
    if (!IsLiveDC(dc) || !tm)
        return FALSE;
    auto f = FontFor(*dc);
    *tm = TEXTMETRICA{};
    tm->tmHeight = ToLogicalHeight(*dc, f->Height);
    tm->tmAscent = ToLogicalHeight(*dc, f->Ascent);
    tm->tmDescent = tm->tmHeight - tm->tmAscent;
    tm->tmInternalLeading = ToLogicalHeight(*dc, f->InternalLeading);
    tm->tmExternalLeading = ToLogicalHeight(*dc, f->ExternalLeading);
    tm->tmAveCharWidth = ToLogicalWidth(*dc, f->AveCharWidth);
    tm->tmMaxCharWidth = ToLogicalWidth(*dc, f->MaxCharWidth);
    tm->tmWeight = f->Log.lfWeight ? f->Log.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = GetDeviceCaps(dc, LOGPIXELSX);
    tm->tmDigitizedAspectY = GetDeviceCaps(dc, LOGPIXELSY);
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = char(0x7E);
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = f->Log.lfItalic;
    tm->tmUnderlined = f->Log.lfUnderline;
    tm->tmStruckOut = f->Log.lfStrikeOut;
    // Low bit set means variable pitch; outline (TrueType-like) fonts.
    tm->tmPitchAndFamily = BYTE(((f->Log.lfPitchAndFamily & 3) == FIXED_PITCH ? 0 : 1) | 0x06 |
                                (f->Log.lfPitchAndFamily & 0xF0));
    tm->tmCharSet = f->Log.lfCharSet;
    return TRUE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm)
{
    return GetTextMetrics(dc, tm);
}

BOOL GetCharWidth32(HDC dc, UINT first, UINT last, INT* widths)
{
    if (!IsLiveDC(dc) || !widths || last < first || last - first > 0x10000 || last > 0x10FFFF)
        return FALSE;
    auto font = FontFor(*dc);
    for (UINT c = first; c <= last; ++c) {
        char16_t units[2];
        int n = 1;
        if (c >= 0x10000) {
            units[0] = char16_t(0xD800 + ((c - 0x10000) >> 10));
            units[1] = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
            n = 2;
        } else {
            units[0] = char16_t(c);
        }
        widths[c - first] = ToLogicalWidth(*dc, TextWidth(*font, Utf16ToUtf8(units, n)));
    }
    return TRUE;
}

BOOL GetCharWidth(HDC dc, UINT first, UINT last, INT* widths)
{
    return GetCharWidth32(dc, first, last, widths);
}

int GetTextFace(HDC dc, int count, char* face)
{
    if (!IsLiveDC(dc) || !dc->S.Font)
        return 0;
    const char* name = dc->S.Font->Log.lfFaceName;
    int n = int(std::strlen(name));
    if (!face)
        return n + 1;
    if (count <= 0)
        return 0;
    int k = std::min(n, count - 1);
    std::memcpy(face, name, size_t(k));
    face[k] = 0;
    return k;
}

COLORREF GetNearestColor(HDC dc, COLORREF color)
{
    return IsLiveDC(dc) ? (color & 0xFFFFFF) : CLR_INVALID;
}
