// Line layout and drawing of rich edit documents.
//
// Lines are measured once, with unhinted metrics at 1440 dots per inch (one unit per twip), and
// drawn on any DC by placing every character at its measured position. So a page laid out for a
// 600 dpi printer breaks its lines exactly where the 96 dpi screen does, and what the rich edit
// draws into a metafile is made of the ordinary font and text calls.

#include "platform/win/RichText.h"

#include "platform/win/Colors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>

namespace richtext {

namespace {

constexpr int kTwips = 1440;
constexpr int kDefaultTab = 720;

struct Metrics {
    int Ascent = 0, Descent = 0;
};

// The reference measuring DC and what it has measured.
class Measurer {
public:
    Measurer() : Dc(CreateMeasuringDC(kTwips, kTwips)) {}

    struct Entry {
        TOwnedFont Font;
        Metrics M;
        std::unordered_map<std::uint32_t, int> Widths;
    };

    Entry& For(const CharFormat& f)
    {
        std::string key = f.Face + '|' + std::to_string(f.Size) + '|' + std::to_string(f.Effects & 0xF) +
                          '|' + std::to_string(f.Charset);
        auto it = Fonts.find(key);
        if (it != Fonts.end())
            return it->second;
        if (Fonts.size() > 512)
            Fonts.clear();
        Entry& e = Fonts[key];
        e.Font.reset(CreateFontFor(f, kTwips));
        TEXTMETRICW tm{};
        {
            const TSelectObject selected(Dc.get(), e.Font.get());
            GetTextMetricsW(Dc.get(), &tm);
        }
        e.M.Ascent = tm.tmAscent;
        e.M.Descent = tm.tmDescent;
        return e;
    }

    int Width(Entry& e, const char16_t* s, int n)
    {
        std::uint32_t key = n == 2 ? (std::uint32_t(s[0]) << 16 | s[1]) : s[0];
        auto it = e.Widths.find(key);
        if (it != e.Widths.end())
            return it->second;
        SIZE sz{};
        {
            const TSelectObject selected(Dc.get(), e.Font.get());
            GetTextExtentPoint32W(Dc.get(), s, n, &sz);
        }
        e.Widths.emplace(key, sz.cx);
        return sz.cx;
    }

private:
    // The fonts are never left selected, so they may go before or after the DC.
    TOwnedDC Dc;
    std::map<std::string, Entry> Fonts;
};

Measurer& TheMeasurer()
{
    static Measurer m;
    return m;
}

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c < 0xDC00;
}
bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c < 0xE000;
}
bool IsWide(char16_t c)
{
    return (c >= 0x2E80 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7A4) || (c >= 0xF900 && c < 0xFB00) ||
           (c >= 0xFF00 && c < 0xFFEF) || (c >= 0x3000 && c < 0x3040);
}

int NextTab(const ParaFormat& p, int x)
{
    // Tab stops count from the paragraph's left edge of the layout (indents included).
    for (int t : p.Tabs)
        if (t > x)
            return t;
    int last = p.Tabs.empty() ? 0 : p.Tabs.back();
    int n = (std::max(x, last) - last) / kDefaultTab + 1;
    return last + n * kDefaultTab;
}

} // namespace

HFONT CreateFontFor(const CharFormat& f, int dpiY)
{
    LOGFONTA lf{};
    lf.lfHeight = -std::max(1, int(std::lround(double(f.Size) * dpiY / kTwips)));
    lf.lfWeight = (f.Effects & EffectBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (f.Effects & EffectItalic) ? 1 : 0;
    lf.lfUnderline = (f.Effects & EffectUnderline) ? 1 : 0;
    lf.lfStrikeOut = (f.Effects & EffectStrike) ? 1 : 0;
    lf.lfCharSet = BYTE(f.Charset);
    std::size_t n = std::min(f.Face.size(), sizeof(lf.lfFaceName) - 1);
    // Never cut a UTF-8 character in half.
    while (n > 0 && n < f.Face.size() && (static_cast<unsigned char>(f.Face[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(lf.lfFaceName, f.Face.data(), n);
    lf.lfFaceName[n] = 0;
    return CreateFontIndirect(&lf);
}

namespace {

// The line that starts at unit i of a paragraph in format p (its first line when `first`), with
// its top at 0.
Line LayOutLine(const Document& doc, std::size_t i, bool first, const ParaFormat& p, int width, Measurer& m)
{
    const std::u16string& t = doc.Text();
    int indent = std::max(0, p.Left + (first ? p.First : 0));
    int avail = std::max(1, width - indent - std::max(0, p.Right));
    Line ln;
    ln.Start = i;
    ln.X.push_back(0);
    int x = 0;
    std::size_t breakAt = std::string::npos; // a unit a line may end before
    std::size_t j = i;
    int asc = 0, desc = 0;
    std::size_t end = i, next = i;
    for (;;) {
        char16_t c = t[j];
        auto& e = m.For(doc.CharAt(j));
        int off = doc.CharAt(j).Offset;
        int a = e.M.Ascent + std::max(0, off), d = e.M.Descent + std::max(0, -off);
        if (c == u'\r' || c == u'\v') {
            asc = std::max(asc, a);
            desc = std::max(desc, d);
            end = j;
            next = j + 1;
            break;
        }
        int n = (IsHigh(c) && j + 1 < t.size() && IsLow(t[j + 1])) ? 2 : 1;
        int w;
        if (c == u'\t')
            w = NextTab(p, indent + x) - indent - x;
        else
            w = m.Width(e, &t[j], n);
        bool space = c == u' ' || c == u'\t' || c == 0x3000;
        if (!space && x + w > avail && j > i) {
            // Break at the last opportunity; a word longer than the line is cut.
            std::size_t at = breakAt != std::string::npos ? breakAt : j;
            end = at;
            next = at;
            ln.X.resize(at - i + 1);
            break;
        }
        if (IsWide(c) && j > i)
            breakAt = j; // a break may come before a wide character
        x += w;
        ln.X.push_back(x);
        if (n == 2)
            ln.X.push_back(x);
        asc = std::max(asc, a);
        desc = std::max(desc, d);
        j += std::size_t(n);
        if (space || IsWide(c))
            breakAt = j;
    }
    // Trailing spaces hang past the edge.
    std::size_t shown = end;
    while (shown > i && (t[shown - 1] == u' ' || t[shown - 1] == 0x3000) && next == end)
        --shown;
    ln.End = end;
    ln.Next = next;
    int used = ln.X[shown - i];
    int shift = indent;
    if (p.Alignment == Align::Center)
        shift += std::max(0, (avail - used) / 2);
    else if (p.Alignment == Align::Right)
        shift += std::max(0, avail - used);
    for (int& v : ln.X)
        v += shift;
    if (asc + desc == 0) {
        auto& e = m.For(doc.CharAt(std::min(end, t.size() - 1)));
        asc = e.M.Ascent;
        desc = e.M.Descent;
    }
    ln.Ascent = asc;
    ln.Height = asc + desc;
    return ln;
}

// Whether the line ends its paragraph.
bool EndsParagraph(const std::u16string& t, const Line& ln)
{
    return ln.Next == ln.End + 1 && t[ln.End] == u'\r';
}

} // namespace

std::vector<Line> LayOut(const Document& doc, std::size_t from, int width, int maxHeight)
{
    const std::u16string& t = doc.Text();
    Measurer& m = TheMeasurer();
    std::vector<Line> lines;
    std::size_t i = std::min(from, t.size() - 1);
    int top = 0;
    width = std::max(width, 1);
    // The paragraph's start and format are looked up once for all its lines.
    std::size_t start = doc.ParaStart(i);
    const ParaFormat* p = &doc.ParaAt(i);
    while (i < t.size()) {
        Line ln = LayOutLine(doc, i, i == start, *p, width, m);
        ln.Top = top;
        top += ln.Height;
        i = ln.Next;
        if (EndsParagraph(t, ln) && i < t.size()) {
            start = i;
            p = &doc.ParaAt(i);
        }
        lines.push_back(std::move(ln));
        if (maxHeight >= 0 && top >= maxHeight)
            break;
    }
    return lines;
}

std::vector<Line> LayOutParagraph(const Document& doc, std::size_t start, int width)
{
    const std::u16string& t = doc.Text();
    Measurer& m = TheMeasurer();
    std::vector<Line> lines;
    std::size_t i = std::min(start, t.size() - 1);
    const ParaFormat& p = doc.ParaAt(i);
    const std::size_t first = i;
    int top = 0;
    width = std::max(width, 1);
    for (;;) {
        Line ln = LayOutLine(doc, i, i == first, p, width, m);
        ln.Top = top;
        top += ln.Height;
        i = ln.Next;
        const bool last = EndsParagraph(t, ln);
        lines.push_back(std::move(ln));
        if (last)
            return lines;
    }
}

int LayoutHeight(const Document& doc, int width)
{
    auto lines = LayOut(doc, 0, width);
    return lines.empty() ? 0 : lines.back().Top + lines.back().Height;
}

void DrawLines(HDC dc, const Document& doc, const std::vector<Line>& lines, std::size_t count, int originX,
               int originY, std::size_t selFrom, std::size_t selTo, const std::vector<Range>& links)
{
    const std::u16string& t = doc.Text();
    int dpiX = std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
    int dpiY = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    auto dx = [&](int tw) { return originX + int(std::lround(double(tw) * dpiX / kTwips)); };
    auto dy = [&](int tw) { return originY + int(std::lround(double(tw) * dpiY / kTwips)); };
    auto inLink = [&](std::size_t i) {
        for (const Range& r : links)
            if (i >= r.From && i < r.To)
                return true;
        return false;
    };
    std::map<std::pair<std::uint32_t, bool>, TOwnedFont> fonts;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    COLORREF oldColor = GetTextColor(dc);
    HGDIOBJ oldFont = nullptr;
    // The DC's font and text settings come back before the fonts above are deleted.
    const TScopeExit restore([&] {
        if (oldFont)
            SelectObject(dc, oldFont);
        SetTextColor(dc, oldColor);
        SetTextAlign(dc, oldAlign);
        SetBkMode(dc, oldMode);
    });
    count = std::min(count, lines.size());
    for (std::size_t li = 0; li < count; ++li) {
        const Line& ln = lines[li];
        int top = dy(ln.Top), bottom = dy(ln.Top + ln.Height);
        // Selection background first.
        if (selTo > selFrom) {
            std::size_t a = std::max(selFrom, ln.Start), b = std::min(selTo, ln.End);
            if (a < b || (selFrom <= ln.End && selTo > ln.End && ln.End < ln.Next)) {
                int x1 = dx(ln.X[a - ln.Start]);
                int x2 = a < b ? dx(ln.X[b - ln.Start]) : x1;
                if (selTo > ln.End && ln.Next > ln.End)
                    x2 += std::max(1, dpiX / 24); // the selected paragraph mark
                RECT r{x1, top, x2, bottom};
                const TOwnedBrush br(CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT)));
                FillRect(dc, &r, br.get());
            }
        }
        std::size_t i = ln.Start;
        while (i < ln.End) {
            if (t[i] == u'\t' || t[i] == u'\uFFFC') {
                ++i;
                continue;
            }
            std::uint32_t ci = doc.CharIndexAt(i);
            bool sel = i >= selFrom && i < selTo;
            bool link = inLink(i);
            std::size_t j = i + 1;
            while (j < ln.End && doc.CharIndexAt(j) == ci && t[j] != u'\t' && t[j] != u'\uFFFC' &&
                   (j >= selFrom && j < selTo) == sel && inLink(j) == link)
                ++j;
            const CharFormat& f = doc.CharFormatOf(ci);
            auto key = std::make_pair(ci, link);
            TOwnedFont& font = fonts[key];
            if (!font) {
                CharFormat g = f;
                if (link)
                    g.Effects |= EffectUnderline;
                font.reset(CreateFontFor(g, dpiY));
            }
            HGDIOBJ prev = SelectObject(dc, font.get());
            if (!oldFont)
                oldFont = prev;
            COLORREF color = (f.Effects & EffectAutoColor) ? GetSysColor(COLOR_WINDOWTEXT) : f.Color;
            if (link)
                color = RGB(0, 0, 255);
            if (sel)
                color = GetSysColor(COLOR_HIGHLIGHTTEXT);
            SetTextColor(dc, color);
            std::vector<INT> adv(j - i);
            int x0 = dx(ln.X[i - ln.Start]);
            for (std::size_t k = i; k < j; ++k)
                adv[k - i] = dx(ln.X[k + 1 - ln.Start]) - dx(ln.X[k - ln.Start]);
            int base = dy(ln.Top + ln.Ascent - f.Offset);
            ExtTextOutW(dc, x0, base, 0, nullptr, &t[i], UINT(j - i), adv.data());
            i = j;
        }
        (void)bottom;
    }
}

std::vector<Range> FindUrls(const std::u16string& text)
{
    static const std::u16string starts[] = {u"http://", u"https://", u"ftp://",
                                            u"mailto:", u"file:",    u"www."};
    std::vector<Range> out;
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
    auto boundary = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\n' || c == u'"' || c == u'<' ||
               c == u'>' || c == 0x3000 || c < 0x20;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        bool found = false;
        if (i == 0 || boundary(text[i - 1]) || text[i - 1] == u'(') {
            for (const auto& s : starts) {
                if (text.size() - i <= s.size())
                    continue;
                bool eq = true;
                for (std::size_t k = 0; k < s.size() && eq; ++k)
                    eq = lower(text[i + k]) == s[k];
                if (!eq)
                    continue;
                std::size_t j = i + s.size();
                while (j < text.size() && !boundary(text[j]))
                    ++j;
                // Punctuation that ends a sentence is not part of the address.
                while (j > i + s.size() &&
                       std::u16string(u".,;:!?)'").find(text[j - 1]) != std::u16string::npos)
                    --j;
                if (j > i + s.size()) {
                    out.push_back({i, j});
                    i = j;
                    found = true;
                }
                break;
            }
        }
        if (!found)
            ++i;
    }
    return out;
}

} // namespace richtext
