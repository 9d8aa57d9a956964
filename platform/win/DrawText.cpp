// DrawText and DrawTextEx: prefixes, line breaks, word wrapping, tabs, ellipses, alignment,
// measuring (DT_CALCRECT) and clipping.

#include "platform/win/MetafileRecording.h"
#include "platform/win/TextInternal.h"

#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gdi {

namespace {

struct Line {
    std::string Text;
    int Underline = -1; // byte index in Text
    int UnderlineLength = 0;
    double Width = 0;
};

// Bytes of the character at i, read by the runtime's codec: a lead byte whose continuation bytes
// are missing or wrong is a character of one byte.
size_t CharLength(const std::string& s, size_t i)
{
    size_t next = i;
    NextUtf8Char(s, next);
    return next - i;
}

// Removes "&" prefixes: "&&" is a literal "&", "&x" underlines x.
std::string StripPrefixes(const std::string& in, int& underline, int& underlineLength)
{
    std::string out;
    underline = -1;
    underlineLength = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '&') {
            out += in[i];
            continue;
        }
        if (i + 1 < in.size() && in[i + 1] == '&') {
            out += '&';
            ++i;
            continue;
        }
        if (i + 1 < in.size() && underline < 0 && in[i + 1] != '\r' && in[i + 1] != '\n') {
            underline = int(out.size());
            underlineLength = int(CharLength(in, i + 1));
        }
    }
    return out;
}

struct Wrapper {
    const TextFont& Font;
    int TabWidth;

    double Width(const std::string& s) const
    {
        if (s.empty())
            return 0;
        LayoutOptions o;
        o.TabWidth = TabWidth;
        return LayoutWidth(Font, NewLayout(Font, s, o).get());
    }

    // The x position of every character boundary of a one-line layout of `text` (xs[k] at byte
    // bytes[k]; the last is the end of the text). One pass over the glyph clusters, so that long
    // texts cost time in proportion to their length; a boundary inside a cluster (a combining
    // mark) takes the cluster's start.
    void Positions(PangoLayout* layout, const std::string& text, std::vector<size_t>& bytes,
                   std::vector<double>& xs) const
    {
        std::vector<double> at(text.size() + 1, -1);
        TOwnedLayoutIter it(pango_layout_get_iter(layout));
        do {
            int index = pango_layout_iter_get_index(it.get());
            if (index >= 0 && size_t(index) < text.size() && at[size_t(index)] < 0) {
                PangoRectangle logical;
                pango_layout_iter_get_cluster_extents(it.get(), nullptr, &logical);
                at[size_t(index)] = double(logical.x) / PANGO_SCALE;
            }
        } while (pango_layout_iter_next_cluster(it.get()));
        at[text.size()] = LayoutWidth(Font, layout);
        double last = 0;
        for (size_t i = 0;; i += CharLength(text, i)) {
            if (at[i] < 0)
                at[i] = last;
            last = at[i];
            bytes.push_back(i);
            xs.push_back(at[i]);
            if (i >= text.size())
                break;
        }
    }

    // Breaks one paragraph into lines no wider than `limit` (a word wider than the line stays
    // whole unless `breakWords`). Spaces at a break are dropped.
    std::vector<std::pair<size_t, size_t>> Wrap(const std::string& text, double limit, bool breakWords) const
    {
        std::vector<std::pair<size_t, size_t>> lines;
        if (text.empty()) {
            lines.push_back({0, 0});
            return lines;
        }
        LayoutOptions o;
        o.TabWidth = TabWidth;
        // Byte offset of each character boundary, its x position and whether a line may break there.
        std::vector<size_t> bytes;
        std::vector<double> xs;
        std::vector<bool> canBreak;
        {
            TOwnedLayout layout = NewLayout(Font, text, o);
            int nAttrs = 0;
            const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout.get(), &nAttrs);
            Positions(layout.get(), text, bytes, xs);
            canBreak.resize(bytes.size());
            for (size_t ci = 0; ci < bytes.size(); ++ci)
                canBreak[ci] = int(ci) < nAttrs && attrs[ci].is_line_break;
        }
        auto isSpace = [&](size_t k) {
            return k < bytes.size() - 1 && (text[bytes[k]] == ' ' || text[bytes[k]] == '\t');
        };
        size_t start = 0, n = bytes.size() - 1; // characters 0..n-1
        while (start < n) {
            size_t lastBreak = 0, end = start;
            bool broke = false;
            for (size_t k = start + 1; k <= n; ++k) {
                // Width of start..k without trailing spaces.
                size_t e = k;
                while (e > start && isSpace(e - 1))
                    --e;
                double w = xs[e] - xs[start];
                if (w > limit && e > start) {
                    if (lastBreak > start) {
                        end = lastBreak;
                    } else if (breakWords) {
                        end = std::max(start + 1, k - 1);
                    } else {
                        // The word overflows: the line runs to the next break.
                        size_t m = k;
                        while (m < n && !canBreak[m])
                            ++m;
                        end = m;
                    }
                    broke = true;
                    break;
                }
                if (k < n && canBreak[k])
                    lastBreak = k;
            }
            if (!broke)
                end = n;
            size_t e = end;
            while (e > start && isSpace(e - 1))
                --e;
            lines.push_back({bytes[start], bytes[e]});
            start = end;
            while (start < n && isSpace(start))
                ++start;
        }
        return lines;
    }
};

std::string Ellipsise(const Wrapper& w, const std::string& text, double limit, bool path)
{
    if (w.Width(text) <= limit)
        return text;
    const std::string dots = "...";
    std::string head = text, tail;
    if (path) {
        size_t sep = text.find_last_of("\\/");
        if (sep != std::string::npos) {
            head = text.substr(0, sep);
            tail = text.substr(sep);
        }
    }
    // Shorten the head until head + "..." + tail fits: the head's character positions come
    // from one layout, so the cut is found without measuring every shorter candidate; the
    // candidate is then measured as drawn (shaping across the cut may differ by a pixel).
    double fixed = w.Width(dots + tail);
    std::vector<size_t> bytes;
    std::vector<double> xs;
    if (!head.empty()) {
        LayoutOptions o;
        o.TabWidth = w.TabWidth;
        w.Positions(NewLayout(w.Font, head, o).get(), head, bytes, xs);
    }
    // Candidates keep bytes[k] of the head, k below the character count.
    size_t k = bytes.empty() ? 0 : bytes.size() - 1;
    while (k > 0 && xs[k - 1] + fixed > limit)
        --k;
    for (; k-- > 0;) {
        std::string candidate = head.substr(0, bytes[k]) + dots + tail;
        if (w.Width(candidate) <= limit)
            return candidate;
    }
    if (!tail.empty())
        return Ellipsise(w, dots + tail.substr(1), limit, false);
    return dots;
}

int DrawTextUtf8(HDC dc, const std::string& input, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (!IsLiveDC(dc) || !rect)
        return 0;
    {
        // Measuring leaves no trace in a recording.
        RecordScope rec((format & DT_CALCRECT) ? nullptr : dc, MetaOp::DrawText,
                        {rect->Left, rect->Top, rect->Right, rect->Bottom, std::int32_t(format),
                         params ? params->iTabLength : 0, params ? params->iLeftMargin : 0,
                         params ? params->iRightMargin : 0},
                        input);
    }
    auto font = FontFor(*dc);
    double sx = std::abs(ScaleX(*dc));
    RECT d = ToDeviceRect(*dc, *rect);
    auto margin = [&](int m) { return int(std::clamp(std::lround(m * sx), -(1L << 28), 1L << 28)); };
    int leftMargin = params ? margin(params->iLeftMargin) : 0;
    int rightMargin = params ? margin(params->iRightMargin) : 0;
    double lineHeight =
        std::max(1, font->Height + ((format & DT_EXTERNALLEADING) ? font->ExternalLeading : 0));
    int tabChars = 8;
    if (format & DT_TABSTOP)
        tabChars = int((format >> 8) & 0xFF);
    if (params && params->iTabLength > 0)
        tabChars = params->iTabLength;
    int tabWidth = (format & DT_EXPANDTABS) ? std::clamp(tabChars, 1, 1000) * font->AveCharWidth : 0;
    Wrapper w{*font, tabWidth};
    double limit = double(d.Right) - d.Left - leftMargin - rightMargin;

    // Prefixes come out first, then the text splits into paragraphs at CR, LF or CR LF.
    bool prefixes = !(format & DT_NOPREFIX);
    std::string text = input;
    if (format & DT_SINGLELINE)
        text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
                   text.end());
    std::vector<Line> lines;
    std::vector<std::string> paragraphs;
    {
        std::string cur;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                paragraphs.push_back(cur);
                cur.clear();
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else {
                cur += text[i];
            }
        }
        paragraphs.push_back(cur);
    }
    bool underlineUsed = false;
    for (const std::string& para : paragraphs) {
        int ul = -1, ulLen = 0;
        std::string plain = para;
        if (prefixes) {
            plain = StripPrefixes(para, ul, ulLen);
            if (underlineUsed || (format & DT_HIDEPREFIX))
                ul = -1;
            if (ul >= 0)
                underlineUsed = true;
        }
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
            for (auto [a, b] : w.Wrap(plain, limit, format & DT_EDITCONTROL)) {
                Line l;
                l.Text = plain.substr(a, b - a);
                if (ul >= int(a) && ul < int(b)) {
                    l.Underline = ul - int(a);
                    l.UnderlineLength = ulLen;
                }
                lines.push_back(std::move(l));
            }
        } else {
            lines.push_back({plain, ul, ulLen, 0});
        }
    }

    // Ellipses: every line that is too wide, or with word wrapping the last line that fits
    // when more text follows.
    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        bool path = format & DT_PATH_ELLIPSIS;
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && !(format & DT_CALCRECT)) {
            size_t visible = size_t(std::max(1.0, std::floor((d.Bottom - d.Top) / lineHeight)));
            if (lines.size() > visible) {
                std::string rest;
                for (size_t i = visible - 1; i < lines.size(); ++i)
                    rest += (i > visible - 1 ? " " : "") + lines[i].Text;
                lines.resize(visible);
                lines.back().Text = Ellipsise(w, rest, limit, false);
                lines.back().Underline = -1;
            }
        }
        for (Line& l : lines) {
            std::string e = Ellipsise(w, l.Text, limit, path);
            if (e != l.Text) {
                l.Text = e;
                if (l.Underline + l.UnderlineLength > int(e.size()) - 3)
                    l.Underline = -1;
            }
        }
    }
    double maxWidth = 0;
    for (Line& l : lines) {
        l.Width = w.Width(l.Text);
        maxWidth = std::max(maxWidth, l.Width);
    }
    double total = lineHeight * double(lines.size());
    bool single = format & DT_SINGLELINE;

    if (format & DT_CALCRECT) {
        // The rectangle shrinks or grows to the widest line laid out, wrapped or not: callers
        // size labels and hint windows from it.
        double width = maxWidth + leftMargin + rightMargin;
        POINT p[2] = {{d.Left, d.Top}, {d.Left + int(std::ceil(width)), d.Top + int(std::lround(total))}};
        DPtoLP(dc, p, 2);
        rect->Right = rect->Left + (p[1].X - p[0].X);
        rect->Bottom = rect->Top + (p[1].Y - p[0].Y);
        if (params)
            params->uiLengthDrawn = UINT(input.size());
        return ToLogicalHeight(*dc, total);
    }

    double y = d.Top;
    if (single && (format & DT_VCENTER))
        y = d.Top + std::floor(((d.Bottom - d.Top) - lineHeight) / 2);
    else if (single && (format & DT_BOTTOM))
        y = d.Bottom - lineHeight;
    Region clip(d);
    bool opaque = dc->S.BkMode == OPAQUE;
    for (const Line& l : lines) {
        if ((format & DT_EDITCONTROL) && y + lineHeight > d.Bottom && y > d.Top && !(format & DT_NOCLIP))
            break; // a partly visible last line is left out
        double x = d.Left + leftMargin;
        if (format & DT_CENTER)
            x = d.Left + leftMargin + std::floor((limit - l.Width) / 2);
        else if (format & DT_RIGHT)
            x = d.Right - rightMargin - l.Width;
        if (!(format & DT_PREFIXONLY)) {
            LayoutOptions o;
            o.TabWidth = tabWidth;
            o.UnderlineIndex = l.Underline;
            o.UnderlineLength = l.UnderlineLength;
            DrawLayout(*dc, *font, NewLayout(*font, l.Text, o).get(), x, y, l.Width, opaque,
                       (format & DT_NOCLIP) ? nullptr : &clip);
        }
        y += lineHeight;
    }
    if (params)
        params->uiLengthDrawn = UINT(input.size());
    double result = total;
    if (single && (format & (DT_VCENTER | DT_BOTTOM)))
        result = (y - d.Top);
    return ToLogicalHeight(*dc, result);
}

} // namespace

} // namespace gdi

using namespace gdi;

int DrawText(HDC dc, const char* text, int length, RECT* rect, UINT format)
{
    if (!text)
        return 0;
    size_t n = length < 0 ? std::strlen(text) : size_t(length);
    return DrawTextUtf8(dc, std::string(text, n), rect, format, nullptr);
}

int DrawTextW(HDC dc, const char16_t* text, int length, RECT* rect, UINT format)
{
    if (!text)
        return 0;
    if (length < 0) {
        length = 0;
        while (text[length])
            ++length;
    }
    return DrawTextUtf8(dc, Utf16ToUtf8(text, length), rect, format, nullptr);
}

int DrawTextEx(HDC dc, char* text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (!text)
        return 0;
    size_t n = length < 0 ? std::strlen(text) : size_t(length);
    return DrawTextUtf8(dc, std::string(text, n), rect, format & ~DT_MODIFYSTRING, params);
}

int DrawTextExW(HDC dc, char16_t* text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (!text)
        return 0;
    if (length < 0) {
        length = 0;
        while (text[length])
            ++length;
    }
    return DrawTextUtf8(dc, Utf16ToUtf8(text, length), rect, format & ~DT_MODIFYSTRING, params);
}
