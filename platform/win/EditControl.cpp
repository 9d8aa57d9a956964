// The EDIT class: single- and multi-line text editing drawn by us.
//
// The text is kept as UTF-16 whatever the window's character set; positions cross the message
// boundary in the window's units (bytes of the UTF-8 form for ANSI windows). Lines of a
// multi-line edit end at CR LF (a lone LF breaks a line too, so that text from elsewhere shows
// as lines); without ES_AUTOHSCROLL and WS_HSCROLL long lines wrap at spaces.
//
// Every clipboard operation, however started (control characters, Shift+Delete, Shift+Insert,
// Ctrl+Insert), goes through WM_CUT / WM_COPY / WM_PASTE / WM_UNDO sent to the edit itself, so
// that a program that subclasses the edit can refuse or replace it.

#include "platform/win/StdControlsInternal.h"

#include "platform/rtl/Strings.h"

#include "platform/win/Clipboard.h"
#include "platform/win/Colors.h"
#include "platform/win/CommCtrl.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace stdctl {

namespace {

constexpr std::size_t kMaxLimit = 0x7FFFFFFE;

struct Line {
    std::size_t Start = 0; // first unit
    std::size_t End = 0;   // one past the last shown unit (before the line break)
    std::size_t Next = 0;  // first unit of the next line
};

struct Edit {
    std::u16string Text;
    std::size_t Anchor = 0; // where a selection started
    std::size_t Caret = 0;  // the active end
    std::size_t Limit = kMaxLimit;
    bool Modified = false;
    char16_t PasswordChar = 0;
    HFONT Font = nullptr;
    int LeftMargin = 1;
    int RightMargin = 1;
    bool RectSet = false;
    RECT Fmt{};
    int ScrollX = 0;
    std::size_t TopLine = 0;
    bool Focused = false;
    bool Tracking = false;
    bool InCombo = false;
    char16_t PendingHigh = 0;
    // One level of undo; undoing again redoes.
    bool CanUndo = false;
    std::u16string UndoText;
    std::size_t UndoAnchor = 0, UndoCaret = 0;
    bool Typing = false; // the last change was typing that later typing joins
    std::size_t TypingEnd = 0;
    std::vector<Line> Lines;
    // Byte offsets of the UTF-8 form, for the positions of an ANSI window, and the number of line
    // breaks (CR LF, or a lone CR or LF): both kept up to date through Changed.
    mutable ByteMarks Bytes;
    std::size_t Breaks = 0;
    // Advances of the characters measured so far in the font described by WidthsOf, kept across
    // edits so that laying out a changed line measures only characters not seen before.
    mutable std::unordered_map<char32_t, int> Widths;
    mutable LOGFONTA WidthsOf{};
};

// A unit that starts a line break: a CR, or an LF not after a CR.
bool StartsBreak(const std::u16string& t, std::size_t k)
{
    return t[k] == u'\r' || (t[k] == u'\n' && !(k > 0 && t[k - 1] == u'\r'));
}

std::size_t BreaksIn(const std::u16string& t, std::size_t from, std::size_t to)
{
    std::size_t n = 0;
    for (std::size_t k = from; k < std::min(to, t.size()); ++k)
        n += StartsBreak(t, k) ? 1 : 0;
    return n;
}

// Replaces units [a, b) of the text, keeping the byte marks and the count of breaks (only the
// units around the change can start or stop being a break).
void ChangeText(Edit& e, std::size_t a, std::size_t b, const std::u16string& ins)
{
    const std::size_t lo = a > 0 ? a - 1 : 0;
    e.Breaks -= BreaksIn(e.Text, lo, b + 1);
    e.Text.replace(a, b - a, ins);
    e.Breaks += BreaksIn(e.Text, lo, a + ins.size() + 1);
    e.Bytes.Changed(a);
}

// After the whole text was replaced.
void TextReplaced(Edit& e)
{
    e.Breaks = BreaksIn(e.Text, 0, e.Text.size());
    e.Bytes.Changed(0);
}

StateTable<Edit>& Edits()
{
    static StateTable<Edit> t;
    return t;
}

bool Multi(HWND h)
{
    return StyleOf(h) & ES_MULTILINE;
}

std::size_t SelStart(const Edit& e)
{
    return std::min(e.Anchor, e.Caret);
}
std::size_t SelEnd(const Edit& e)
{
    return std::max(e.Anchor, e.Caret);
}

bool IsSpaceUnit(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000;
}

// ---- Geometry -----------------------------------------------------------------------------

RECT FormatRect(HWND h, const Edit& e)
{
    if (e.RectSet)
        return e.Fmt;
    RECT c;
    GetClientRect(h, &c);
    return RECT{c.Left + e.LeftMargin, c.Top, std::max(c.Left + e.LeftMargin, c.Right - e.RightMargin),
                c.Bottom};
}

// A measuring DC with the edit's font.
struct Measure {
    explicit Measure(const Edit& e)
        : Owned(CreateMeasuringDC()), Dc(Owned.get()), Ed(e), Font(Dc, FontOr(e.Font))
    {
        LOGFONTA lf{};
        GetObject(FontOr(e.Font), sizeof lf, &lf);
        if (std::memcmp(&lf, &e.WidthsOf, sizeof lf) != 0) {
            e.Widths.clear();
            e.WidthsOf = lf;
        }
        if (e.PasswordChar) {
            SIZE s{};
            GetTextExtentPoint32W(Dc, &e.PasswordChar, 1, &s);
            PasswordWidth = s.cx;
        }
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    // Short runs are measured as drawn (kerning and shaping included); long ones as the sum of
    // their characters' widths, so that very long lines cost time in proportion to their length.
    int Width(std::size_t from, std::size_t to) const
    {
        if (to <= from)
            return 0;
        if (Ed.PasswordChar) {
            int n = 0;
            for (std::size_t i = from; i < to; ++i)
                if (!IsLow(Ed.Text[i]))
                    ++n;
            return n * PasswordWidth;
        }
        if (to - from <= kExactRun)
            return TextWidth(Dc, Ed.Text, from, to);
        int w = 0;
        for (std::size_t i = from; i < to; ++i)
            w += CharWidth(i);
        return w;
    }

    // The advance of the character starting at unit i (0 for the second half of a pair).
    int CharWidth(std::size_t i) const
    {
        const std::u16string& t = Ed.Text;
        if (Ed.PasswordChar)
            return IsLow(t[i]) ? 0 : PasswordWidth;
        if (IsLow(t[i]) && i > 0 && IsHigh(t[i - 1]))
            return 0;
        bool pair = IsHigh(t[i]) && i + 1 < t.size() && IsLow(t[i + 1]);
        char32_t key = pair ? (char32_t(t[i]) << 16) | t[i + 1] : t[i];
        auto it = Ed.Widths.find(key);
        if (it != Ed.Widths.end())
            return it->second;
        int w = TextWidth(Dc, t, i, i + (pair ? 2 : 1));
        Ed.Widths.emplace(key, w);
        return w;
    }

    static constexpr std::size_t kExactRun = 256;
    // In this order: the font is selected back out before the DC is deleted.
    TOwnedDC Owned;
    HDC Dc;
    const Edit& Ed;
    TSelectObject Font;
    int PasswordWidth = 0;
};

bool WrapsLines(HWND h)
{
    DWORD s = StyleOf(h);
    return (s & ES_MULTILINE) && !(s & ES_AUTOHSCROLL) && !(s & WS_HSCROLL);
}

// Lays out the hard lines of a multi-line edit from `start` (the first unit of a hard line) into
// `out`. With `stopPast` set it stops after the first hard line followed by another that starts
// past `stopPast` and returns that next line's start; otherwise it lays to the end and returns
// npos.
std::size_t LayHardLines(HWND h, Edit& e, std::size_t start, std::vector<Line>& out,
                         std::size_t stopPast = std::u16string::npos)
{
    const std::u16string& t = e.Text;
    bool wrap = WrapsLines(h);
    RECT fmt = FormatRect(h, e);
    int width = std::max(1, int(fmt.Right - fmt.Left));
    std::unique_ptr<Measure> m;
    if (wrap)
        m = std::make_unique<Measure>(e);
    for (;;) {
        std::size_t end = start;
        while (end < t.size() && t[end] != u'\r' && t[end] != u'\n')
            ++end;
        std::size_t next = end;
        if (next < t.size()) {
            if (t[next] == u'\r' && next + 1 < t.size() && t[next + 1] == u'\n')
                next += 2;
            else
                ++next;
        }
        // Wrap the hard line at spaces (or anywhere, for a word wider than the line). Widths add
        // up character by character, so a long line costs time in proportion to its length.
        std::size_t s = start;
        while (wrap && s < end) {
            std::size_t fit = s;
            int used = 0;
            while (fit < end) {
                int w = m->CharWidth(fit);
                if (used + w > width && fit > s)
                    break;
                used += w;
                ++fit;
            }
            if (fit >= end)
                break;
            if (IsLow(t[fit]) && fit > s + 1)
                --fit;
            std::size_t brk = fit;
            while (brk > s && !IsSpaceUnit(t[brk - 1]) && !IsSpaceUnit(t[brk]))
                --brk;
            if (brk == s)
                brk = std::max(fit, s + 1);
            std::size_t after = brk;
            while (after < end && t[after] == u' ')
                ++after;
            out.push_back(Line{s, brk, after});
            s = after;
        }
        out.push_back(Line{s, end, next});
        if (next >= t.size() && next == end)
            break;
        if (next == t.size()) {
            out.push_back(Line{next, next, next});
            break;
        }
        if (stopPast != std::u16string::npos && next > stopPast)
            return next;
        start = next;
    }
    return std::u16string::npos;
}

void Layout(HWND h, Edit& e)
{
    e.Lines.clear();
    const std::u16string& t = e.Text;
    if (!Multi(h)) {
        e.Lines.push_back(Line{0, t.size(), t.size()});
        return;
    }
    LayHardLines(h, e, 0, e.Lines);
}

std::size_t LineOf(const Edit& e, std::size_t index)
{
    // The last line starting at or before the index (line starts only grow).
    auto after = std::upper_bound(e.Lines.begin(), e.Lines.end(), index,
                                  [](std::size_t v, const Line& l) { return v < l.Start; });
    return after == e.Lines.begin() ? 0 : std::size_t(after - e.Lines.begin()) - 1;
}

// After units [a, oldEnd) of the text became `inserted` units: lays out again only the hard
// lines the change touched and moves the lines after them, so that an edit costs time in
// proportion to its lines rather than to the whole text.
void Relayout(HWND h, Edit& e, std::size_t a, std::size_t oldEnd, std::size_t inserted)
{
    if (!Multi(h) || e.Lines.empty()) {
        Layout(h, e);
        return;
    }
    const std::u16string& t = e.Text;
    std::vector<Line>& lines = e.Lines;
    // The first line of the hard line holding `a` (nothing before `a` moved).
    std::size_t first = LineOf(e, a);
    while (first > 0) {
        const Line& p = lines[first - 1];
        // (A break that ends right at `a` may join what comes there: a CR and an LF after it.)
        if (p.End < p.Next && p.Next < a && (t[p.End] == u'\r' || t[p.End] == u'\n'))
            break;
        --first;
    }
    std::vector<Line> fresh;
    std::size_t resume = LayHardLines(h, e, lines[first].Start, fresh, a + inserted);
    // The lines laid out afresh take the place of the old ones they replace, in place, so that
    // adding at the end costs nothing for the lines before.
    std::size_t keep = lines.size();
    if (resume != std::u16string::npos) {
        // The old lines from the one that now starts at `resume` on keep their layout, moved.
        std::size_t oldStart = resume - inserted + (oldEnd - a);
        auto it = std::lower_bound(lines.begin() + std::ptrdiff_t(first), lines.end(), oldStart,
                                   [](const Line& l, std::size_t v) { return l.Start < v; });
        if (it == lines.end() || it->Start != oldStart || oldStart <= oldEnd) {
            Layout(h, e);
            return;
        }
        keep = std::size_t(it - lines.begin());
        for (; it != lines.end(); ++it)
            *it = Line{it->Start - oldStart + resume, it->End - oldStart + resume,
                       it->Next - oldStart + resume};
    }
    lines.erase(lines.begin() + std::ptrdiff_t(first), lines.begin() + std::ptrdiff_t(keep));
    lines.insert(lines.begin() + std::ptrdiff_t(first), fresh.begin(), fresh.end());
}

int VisibleLines(HWND h, const Edit& e)
{
    RECT fmt = FormatRect(h, e);
    return std::max(1, int(fmt.Bottom - fmt.Top) / LineHeight(e.Font));
}

// The x of a line's first unit in client coordinates (alignment and horizontal scrolling).
int LineOrigin(HWND h, const Edit& e, const Measure& m, const Line& ln)
{
    RECT fmt = FormatRect(h, e);
    int avail = int(fmt.Right - fmt.Left);
    int w = m.Width(ln.Start, ln.End);
    DWORD s = StyleOf(h);
    int offset = 0;
    if (w < avail) {
        if (s & ES_CENTER)
            offset = (avail - w) / 2;
        else if (s & ES_RIGHT)
            offset = avail - w;
    }
    return int(fmt.Left) + offset - e.ScrollX;
}

POINT PosOfIndex(HWND h, const Edit& e, const Measure& m, std::size_t index)
{
    std::size_t li = LineOf(e, index);
    const Line& ln = e.Lines[li];
    RECT fmt = FormatRect(h, e);
    int lh = LineHeight(e.Font);
    int x = LineOrigin(h, e, m, ln) + m.Width(ln.Start, std::min(index, ln.End));
    int y = int(fmt.Top) + (int(li) - int(e.TopLine)) * lh;
    return POINT{x, y};
}

// The character boundary nearest to x on a line.
std::size_t IndexOnLine(HWND h, const Edit& e, const Measure& m, std::size_t li, int x)
{
    const Line& ln = e.Lines[li];
    int origin = LineOrigin(h, e, m, ln);
    // The first boundary at or right of x (widths grow along the line), then the nearer of it
    // and the boundary before it.
    std::size_t lo = ln.Start, hi = ln.End;
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        if (origin + m.Width(ln.Start, mid) < x)
            lo = mid + 1;
        else
            hi = mid;
    }
    std::size_t after = lo;
    if (after < ln.End && after > ln.Start && IsLow(e.Text[after]))
        ++after;
    std::size_t before = after > ln.Start ? after - 1 : after;
    if (before > ln.Start && IsLow(e.Text[before]) && IsHigh(e.Text[before - 1]))
        --before;
    int da = std::abs(origin + m.Width(ln.Start, after) - x);
    int db = std::abs(origin + m.Width(ln.Start, before) - x);
    return db <= da && before != after ? before : after;
}

std::size_t IndexAtPoint(HWND h, const Edit& e, int x, int y)
{
    Measure m(e);
    RECT fmt = FormatRect(h, e);
    int lh = LineHeight(e.Font);
    long long li = (long long)e.TopLine + (y < fmt.Top ? -1 - (fmt.Top - y - 1) / lh : (y - fmt.Top) / lh);
    li = std::clamp<long long>(li, 0, (long long)e.Lines.size() - 1);
    return IndexOnLine(h, e, m, std::size_t(li), x);
}

void UpdateScrollBars(HWND h, Edit& e)
{
    DWORD s = StyleOf(h);
    if (!(s & ES_MULTILINE) || !(s & WS_VSCROLL))
        return;
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = int(e.Lines.size()) - 1;
    si.nPage = UINT(VisibleLines(h, e));
    si.nPos = int(e.TopLine);
    SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void PlaceCaret(HWND h, Edit& e)
{
    if (!e.Focused)
        return;
    Measure m(e);
    POINT p = PosOfIndex(h, e, m, e.Caret);
    SetCaretPos(p.X, p.Y);
}

// Scrolls so that the caret is in view.
void ScrollToCaret(HWND h, Edit& e)
{
    Measure m(e);
    RECT fmt = FormatRect(h, e);
    int avail = std::max(1, int(fmt.Right - fmt.Left));
    std::size_t li = LineOf(e, e.Caret);
    if (Multi(h)) {
        int vis = VisibleLines(h, e);
        if (li < e.TopLine)
            e.TopLine = li;
        else if (int(li - e.TopLine) >= vis)
            e.TopLine = li - std::size_t(vis) + 1;
        // A shrunk text leaves no empty page below its last line.
        std::size_t maxTop = e.Lines.size() > std::size_t(vis) ? e.Lines.size() - std::size_t(vis) : 0;
        e.TopLine = std::min(e.TopLine, maxTop);
    }
    if (WrapsLines(h)) {
        e.ScrollX = 0;
    } else {
        const Line& ln = e.Lines[li];
        int x = m.Width(ln.Start, std::min(e.Caret, ln.End));
        int lineWidth = m.Width(ln.Start, ln.End);
        if (!Multi(h) && lineWidth < avail)
            e.ScrollX = 0;
        else if (x - e.ScrollX >= avail)
            e.ScrollX = x - avail + std::max(1, avail / 4);
        else if (x < e.ScrollX)
            e.ScrollX = std::max(0, x - avail / 4);
        if (!Multi(h))
            e.ScrollX = std::clamp(e.ScrollX, 0, std::max(0, lineWidth - avail + 1));
    }
    UpdateScrollBars(h, e);
    PlaceCaret(h, e);
}

void Refresh(HWND h, Edit& e)
{
    Layout(h, e);
    ScrollToCaret(h, e);
    InvalidateRect(h, nullptr, FALSE);
}

// ---- Text changes -------------------------------------------------------------------------

std::size_t Units(HWND h, const std::u16string& s, std::size_t from, std::size_t to)
{
    if (IsWindowUnicode(h))
        return to - from;
    return ByteOffsetOf(s, to) - ByteOffsetOf(s, from);
}

// Positions of the edit's own text in the window's units, and back (as PosOut and PosIn).
LRESULT PosOut(HWND h, const Edit& e, std::size_t i)
{
    return IsWindowUnicode(h) ? LRESULT(std::min(i, e.Text.size())) : LRESULT(e.Bytes.OffsetOf(e.Text, i));
}

std::size_t PosIn(HWND h, const Edit& e, long long pos)
{
    if (pos <= 0 || IsWindowUnicode(h))
        return stdctl::PosIn(h, e.Text, pos);
    return e.Bytes.IndexOf(e.Text, std::size_t(pos));
}

std::u16string ApplyCase(HWND h, std::u16string s)
{
    DWORD st = StyleOf(h);
    if (st & ES_UPPERCASE)
        return WideUpperCase(s);
    if (st & ES_LOWERCASE)
        return WideLowerCase(s);
    return s;
}

void SnapshotUndo(Edit& e)
{
    e.CanUndo = true;
    e.UndoText = e.Text;
    e.UndoAnchor = e.Anchor;
    e.UndoCaret = e.Caret;
}

void SendChange(HWND h)
{
    Notify(h, EN_UPDATE);
    if (IsWindow(h))
        Notify(h, EN_CHANGE);
}

// Replaces the selection by text as the user's edit: limited, undoable, marks the edit
// modified and notifies. Returns false when nothing changed.
bool Replace(HWND h, Edit& e, std::u16string ins, bool typing, bool canUndo = true)
{
    ins = ApplyCase(h, std::move(ins));
    std::size_t a = SelStart(e), b = SelEnd(e);
    std::size_t have = std::size_t(PosOut(h, e, e.Text.size()) - PosOut(h, e, b) + PosOut(h, e, a));
    std::size_t room = e.Limit > have ? e.Limit - have : 0;
    bool truncated = false;
    if (Units(h, ins, 0, ins.size()) > room) {
        std::size_t n = IsWindowUnicode(h) ? room : UnitIndexOf(ins, room);
        if (n > 0 && n < ins.size() && IsLow(ins[n]))
            --n;
        ins.resize(n);
        truncated = true;
    }
    if (ins.empty() && a == b) {
        if (truncated)
            Notify(h, EN_MAXTEXT);
        return false;
    }
    if (canUndo) {
        if (!(typing && e.Typing && e.TypingEnd == a && a == b))
            SnapshotUndo(e);
    }
    ChangeText(e, a, b, ins);
    e.Caret = e.Anchor = a + ins.size();
    e.Typing = typing;
    e.TypingEnd = e.Caret;
    e.Modified = true;
    Relayout(h, e, a, b, ins.size());
    ScrollToCaret(h, e);
    InvalidateRect(h, nullptr, FALSE);
    SendChange(h);
    if (truncated && IsWindow(h))
        Notify(h, EN_MAXTEXT);
    return true;
}

std::size_t PrevBoundary(const Edit& e, std::size_t i)
{
    if (i == 0)
        return 0;
    --i;
    if (i > 0 && IsLow(e.Text[i]) && IsHigh(e.Text[i - 1]))
        --i;
    else if (i > 0 && e.Text[i] == u'\n' && e.Text[i - 1] == u'\r')
        --i;
    return i;
}

std::size_t NextBoundary(const Edit& e, std::size_t i)
{
    if (i >= e.Text.size())
        return e.Text.size();
    if (IsHigh(e.Text[i]) && i + 1 < e.Text.size() && IsLow(e.Text[i + 1]))
        return i + 2;
    if (e.Text[i] == u'\r' && i + 1 < e.Text.size() && e.Text[i + 1] == u'\n')
        return i + 2;
    return i + 1;
}

std::size_t WordLeft(const Edit& e, std::size_t i)
{
    while (i > 0 && IsSpaceUnit(e.Text[i - 1]))
        --i;
    while (i > 0 && !IsSpaceUnit(e.Text[i - 1]))
        --i;
    return i;
}

std::size_t WordRight(const Edit& e, std::size_t i)
{
    while (i < e.Text.size() && !IsSpaceUnit(e.Text[i]))
        ++i;
    while (i < e.Text.size() && IsSpaceUnit(e.Text[i]))
        ++i;
    return i;
}

void MoveCaret(HWND h, Edit& e, std::size_t to, bool extend)
{
    e.Caret = to;
    if (!extend)
        e.Anchor = to;
    e.Typing = false;
    ScrollToCaret(h, e);
    InvalidateRect(h, nullptr, FALSE);
}

// ---- Clipboard -----------------------------------------------------------------------------

void CopySelection(HWND h, Edit& e)
{
    if (e.PasswordChar || SelStart(e) == SelEnd(e))
        return;
    std::u16string s = e.Text.substr(SelStart(e), SelEnd(e) - SelStart(e));
    if (!OpenClipboard(h))
        return;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(char16_t));
    if (mem) {
        auto* p = static_cast<char16_t*>(GlobalLock(mem));
        std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(char16_t));
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem))
            GlobalFree(mem);
    }
    CloseClipboard();
}

std::u16string ClipboardText(HWND h)
{
    std::u16string s;
    if (!OpenClipboard(h))
        return s;
    if (HANDLE d = GetClipboardData(CF_UNICODETEXT)) {
        auto mem = static_cast<HGLOBAL>(d);
        std::size_t units = GlobalSize(mem) / sizeof(char16_t);
        if (auto* p = static_cast<const char16_t*>(GlobalLock(mem))) {
            std::size_t n = 0;
            while (n < units && p[n])
                ++n;
            s.assign(p, n);
            GlobalUnlock(mem);
        }
    }
    CloseClipboard();
    return s;
}

// ---- Painting ------------------------------------------------------------------------------

void Paint(HWND h, Edit& e, HDC dc)
{
    bool enabled = IsWindowEnabled(h);
    bool readOnly = StyleOf(h) & ES_READONLY;
    UINT msg = (!enabled || readOnly) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    HBRUSH back =
        ControlColor(h, msg, dc, COLOR_WINDOWTEXT, (!enabled || readOnly) ? COLOR_BTNFACE : COLOR_WINDOW);
    COLORREF text = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    RECT client;
    GetClientRect(h, &client);
    FillRect(dc, &client, back);

    int saved = SaveDC(dc);
    HGDIOBJ oldFont = SelectObject(dc, FontOr(e.Font));
    SetBkMode(dc, TRANSPARENT);
    RECT fmt = FormatRect(h, e);
    IntersectClipRect(dc, fmt.Left, fmt.Top, fmt.Right, fmt.Bottom);
    Measure m(e);
    int lh = LineHeight(e.Font);
    bool showSel = (e.Focused || (StyleOf(h) & ES_NOHIDESEL)) && SelStart(e) != SelEnd(e);
    std::size_t sa = SelStart(e), sb = SelEnd(e);
    auto draw = [&](int x, int y, std::size_t from, std::size_t to) {
        if (to <= from)
            return;
        if (e.PasswordChar) {
            std::u16string stars;
            for (std::size_t i = from; i < to; ++i)
                if (!IsLow(e.Text[i]))
                    stars.push_back(e.PasswordChar);
            TextOutW(dc, x, y, stars.data(), int(stars.size()));
        } else {
            TextOutW(dc, x, y, e.Text.data() + from, int(to - from));
        }
    };
    for (std::size_t li = e.TopLine; li < e.Lines.size(); ++li) {
        int y = int(fmt.Top) + int(li - e.TopLine) * lh;
        if (y >= fmt.Bottom)
            break;
        const Line& ln = e.Lines[li];
        int x0 = LineOrigin(h, e, m, ln);
        SetTextColor(dc, text);
        draw(x0, y, ln.Start, ln.End);
        if (showSel && sa < ln.Next && sb > ln.Start) {
            std::size_t a = std::max(sa, ln.Start), b = std::min(sb, ln.End);
            int xa = x0 + m.Width(ln.Start, a);
            int xb = x0 + m.Width(ln.Start, b);
            if (sb > ln.End && ln.Next > ln.End)
                xb += m.Width(0, 0) + 4; // the selected line break shows as a little block
            RECT r{xa, y, xb, y + lh};
            HBRUSH hb = GetSysColorBrush(COLOR_HIGHLIGHT);
            FillRect(dc, &r, hb);
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            draw(xa, y, a, b);
        }
    }
    SelectObject(dc, oldFont);
    RestoreDC(dc, saved);
}

// ---- Messages ------------------------------------------------------------------------------

LRESULT OnKeyDown(HWND h, Edit& e, WPARAM vk)
{
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool multi = Multi(h);
    bool sel = SelStart(e) != SelEnd(e);
    if (SendEditKeyCommand(h, vk, ctrl, shift))
        return 0;
    switch (vk) {
    case VK_LEFT:
    case VK_UP:
        if (vk == VK_UP && multi) {
            Measure m(e);
            std::size_t li = LineOf(e, e.Caret);
            if (li > 0)
                MoveCaret(h, e, IndexOnLine(h, e, m, li - 1, PosOfIndex(h, e, m, e.Caret).X), shift);
            else if (!shift)
                MoveCaret(h, e, e.Caret, false);
        } else if (ctrl) {
            MoveCaret(h, e, WordLeft(e, e.Caret), shift);
        } else if (sel && !shift) {
            MoveCaret(h, e, SelStart(e), false);
        } else {
            MoveCaret(h, e, PrevBoundary(e, e.Caret), shift);
        }
        return 0;
    case VK_RIGHT:
    case VK_DOWN:
        if (vk == VK_DOWN && multi) {
            Measure m(e);
            std::size_t li = LineOf(e, e.Caret);
            if (li + 1 < e.Lines.size())
                MoveCaret(h, e, IndexOnLine(h, e, m, li + 1, PosOfIndex(h, e, m, e.Caret).X), shift);
            else if (!shift)
                MoveCaret(h, e, e.Caret, false);
        } else if (ctrl) {
            MoveCaret(h, e, WordRight(e, e.Caret), shift);
        } else if (sel && !shift) {
            MoveCaret(h, e, SelEnd(e), false);
        } else {
            MoveCaret(h, e, NextBoundary(e, e.Caret), shift);
        }
        return 0;
    case VK_HOME:
        MoveCaret(h, e, (ctrl || !multi) ? 0 : e.Lines[LineOf(e, e.Caret)].Start, shift);
        return 0;
    case VK_END:
        MoveCaret(h, e, (ctrl || !multi) ? e.Text.size() : e.Lines[LineOf(e, e.Caret)].End, shift);
        return 0;
    case VK_PRIOR:
    case VK_NEXT:
        if (multi) {
            Measure m(e);
            int x = PosOfIndex(h, e, m, e.Caret).X;
            long long li = (long long)LineOf(e, e.Caret) + (vk == VK_NEXT ? 1 : -1) * VisibleLines(h, e);
            li = std::clamp<long long>(li, 0, (long long)e.Lines.size() - 1);
            MoveCaret(h, e, IndexOnLine(h, e, m, std::size_t(li), x), shift);
        }
        return 0;
    case VK_DELETE:
        if (!(StyleOf(h) & ES_READONLY)) {
            if (!sel)
                e.Caret = NextBoundary(e, e.Caret);
            Replace(h, e, u"", false);
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT OnChar(HWND h, Edit& e, WPARAM wParam)
{
    char16_t c = char16_t(wParam);
    bool multi = Multi(h);
    if (SendEditCharCommand(h, c))
        return 0;
    bool readOnly = StyleOf(h) & ES_READONLY;
    if (c == 8) {
        if (readOnly)
            return 0;
        if (SelStart(e) == SelEnd(e)) {
            e.Anchor = e.Caret;
            e.Caret = PrevBoundary(e, e.Caret);
        }
        Replace(h, e, u"", false);
        return 0;
    }
    std::u16string ins;
    if (c == 13 || c == 10) {
        if (!multi)
            return 0;
        ins = u"\r\n";
    } else if (c == 9) {
        if (!multi)
            return 0;
        ins = u"\t";
    } else if (c < 32 || c == 127) {
        return 0;
    } else if (IsHigh(c)) {
        e.PendingHigh = c;
        return 0;
    } else if (IsLow(c)) {
        if (!e.PendingHigh)
            return 0; // half a character is no character
        ins = {e.PendingHigh, c};
        e.PendingHigh = 0;
    } else {
        ins = std::u16string(1, c);
    }
    if (readOnly) {
        MessageBeep(0);
        return 0;
    }
    if ((StyleOf(h) & ES_NUMBER) && !(ins.size() == 1 && ins[0] >= u'0' && ins[0] <= u'9')) {
        MessageBeep(0);
        return 0;
    }
    Replace(h, e, ins, true);
    return 0;
}

void SetSelection(HWND h, Edit& e, long long start, long long end)
{
    if (start == -1) {
        e.Anchor = e.Caret; // the selection goes, the caret stays
    } else {
        std::size_t len = e.Text.size();
        std::size_t a = start < 0 ? len : PosIn(h, e, start);
        std::size_t b = end < 0 ? len : PosIn(h, e, end);
        e.Anchor = a;
        e.Caret = b;
    }
    e.Typing = false;
    ScrollToCaret(h, e);
    InvalidateRect(h, nullptr, FALSE);
}

void SetFullText(HWND h, Edit& e, std::u16string s)
{
    e.Text = ApplyCase(h, std::move(s));
    TextReplaced(e);
    e.Anchor = e.Caret = 0;
    e.ScrollX = 0;
    e.TopLine = 0;
    e.Modified = false;
    e.CanUndo = false;
    e.Typing = false;
    Refresh(h, e);
}

LRESULT OnGetLine(HWND h, Edit& e, WPARAM line, LPARAM buffer)
{
    if (!buffer || line >= e.Lines.size())
        return 0;
    // The buffer's first word holds its capacity in the window's units.
    WORD capacity;
    std::memcpy(&capacity, reinterpret_cast<void*>(buffer), sizeof capacity);
    const Line& ln = e.Lines[line];
    return CopyTextOut(h, e.Text.substr(ln.Start, ln.End - ln.Start), buffer, capacity, false);
}

} // namespace

} // namespace stdctl

UINT EditHardLineMessage()
{
    static UINT m = RegisterWindowMessage("EditHardLine");
    return m;
}

namespace stdctl {

namespace {

LRESULT HardLine(HWND h, const Edit& e, WPARAM which, LPARAM text)
{
    const std::u16string& t = e.Text;
    if (which == WPARAM(-2))
        return !t.empty() && (t.back() == u'\r' || t.back() == u'\n');
    if (which == WPARAM(-1)) {
        // One line more than breaks, but for the empty line after a break at the very end.
        const bool open = !t.empty() && (t.back() == u'\r' || t.back() == u'\n');
        return t.empty() ? 0 : LRESULT(e.Breaks + 1 - (open ? 1 : 0));
    }
    std::size_t n = 0;
    for (std::size_t i = 0; i < e.Lines.size(); ++i) {
        if (i > 0) {
            const Line& p = e.Lines[i - 1];
            if (!(p.End < p.Next && (t[p.End] == u'\r' || t[p.End] == u'\n')))
                continue; // a wrapped line goes on
        }
        const Line& ln = e.Lines[i];
        if (i > 0 && ln.Start >= t.size())
            break; // the empty line after a break at the end
        if (n == which) {
            if (text) {
                // The hard line runs on through the lines it wraps into, up to its break.
                std::size_t j = i;
                while (j + 1 < e.Lines.size() &&
                       !(e.Lines[j].End < e.Lines[j].Next &&
                         (t[e.Lines[j].End] == u'\r' || t[e.Lines[j].End] == u'\n')))
                    ++j;
                *reinterpret_cast<std::u16string*>(text) = t.substr(ln.Start, e.Lines[j].End - ln.Start);
            }
            return PosOut(h, e, ln.Start);
        }
        ++n;
    }
    return -1;
}

} // namespace

LRESULT EditProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        Edit* e = Edits().Make(h);
        auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
        if (cs) {
            e->Text = TextArg(h, reinterpret_cast<LPARAM>(cs->lpszName));
            e->InCombo = cs->hwndParent && IsComboBox(cs->hwndParent);
            if (cs->style & ES_PASSWORD)
                e->PasswordChar = u'*';
        }
        e->Text = ApplyCase(h, e->Text);
        TextReplaced(*e);
        Layout(h, *e);
        return DefWindowProc(h, msg, wParam, lParam);
    }
    Edit* ep = Edits().Find(h);
    if (!ep)
        return DefWindowProc(h, msg, wParam, lParam);
    Edit& e = *ep;
    if (msg == WM_KEYDOWN || msg == WM_LBUTTONDOWN || msg == WM_KILLFOCUS || msg == WM_NCDESTROY ||
        msg == EM_HIDEBALLOONTIP)
        HideEditBalloon(h); // the balloon goes at the next key or click
    if (msg == EM_SHOWBALLOONTIP)
        return ShowEditBalloon(h, reinterpret_cast<const EDITBALLOONTIP*>(lParam),
                               PosOfIndex(h, e, Measure(e), e.Caret));
    if (msg == EditHardLineMessage())
        return Multi(h) ? HardLine(h, e, wParam, lParam) : -1;
    switch (msg) {
    case WM_NCDESTROY:
        Edits().Drop(h);
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_CREATE:
        Refresh(h, e);
        return 0;
    case WM_SIZE:
    case WM_STYLECHANGED:
        Refresh(h, e);
        return 0;
    case WM_ENABLE:
        InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_SETFONT:
        e.Font = reinterpret_cast<HFONT>(wParam);
        Layout(h, e);
        if (e.Focused) {
            CreateCaret(h, nullptr, 1, LineHeight(e.Font));
            ShowCaret(h);
        }
        ScrollToCaret(h, e);
        if (LOWORD(lParam))
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(e.Font);
    case WM_SETTEXT: {
        SetFullText(h, e, TextArg(h, lParam));
        // Only a single-line edit of its own reports a programmatic change; a multi-line edit and
        // a combo box's edit stay silent (their owners notify for themselves).
        if (!Multi(h) && !e.InCombo)
            SendChange(h);
        return TRUE;
    }
    case WM_GETTEXT:
        return wParam ? CopyTextOut(h, e.Text, lParam, (long long)wParam, true) : 0;
    case WM_GETTEXTLENGTH:
        return PosOut(h, e, e.Text.size());
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PaintScope ps(h, wParam);
        Paint(h, e, ps.Dc);
        return 0;
    }
    case WM_SETFOCUS:
        e.Focused = true;
        CreateCaret(h, nullptr, 1, LineHeight(e.Font));
        PlaceCaret(h, e);
        ShowCaret(h);
        InvalidateRect(h, nullptr, FALSE);
        Notify(h, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        e.Focused = false;
        e.Typing = false;
        DestroyCaret();
        InvalidateRect(h, nullptr, FALSE);
        Notify(h, EN_KILLFOCUS);
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (Multi(h))
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        bool alt = (lParam & KF_ALTDOWN_BIT) != 0;
        if (e.InCombo) {
            bool comboKey = wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT ||
                            wParam == VK_F4 || wParam == VK_RETURN || wParam == VK_ESCAPE;
            if (comboKey && SendMessage(GetParent(h), ComboEditKeyMessage(), wParam, lParam))
                return 0;
            if (!(ep = Edits().Find(h)))
                return 0;
        }
        if (msg == WM_SYSKEYDOWN || alt)
            return DefWindowProc(h, msg, wParam, lParam);
        return OnKeyDown(h, e, wParam);
    }
    case WM_CHAR:
        return OnChar(h, e, wParam);
    case WM_LBUTTONDOWN: {
        if (GetFocus() != h)
            SetFocus(h);
        if (!IsWindow(h) || !(ep = Edits().Find(h)))
            return 0;
        std::size_t at = IndexAtPoint(h, e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        MoveCaret(h, e, at, (wParam & MK_SHIFT) != 0);
        e.Tracking = true;
        SetCapture(h);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (e.Tracking && (wParam & MK_LBUTTON)) {
            std::size_t at = IndexAtPoint(h, e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (at != e.Caret)
                MoveCaret(h, e, at, true);
        }
        return 0;
    case WM_LBUTTONUP:
        if (e.Tracking) {
            e.Tracking = false;
            if (GetCapture() == h)
                ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        e.Tracking = false;
        return 0;
    case WM_LBUTTONDBLCLK: {
        std::size_t at = IndexAtPoint(h, e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        std::size_t a = at, b = at;
        while (a > 0 && !IsSpaceUnit(e.Text[a - 1]))
            --a;
        while (b < e.Text.size() && !IsSpaceUnit(e.Text[b]))
            ++b;
        e.Anchor = a;
        MoveCaret(h, e, b, true);
        return 0;
    }
    case WM_MOUSEWHEEL:
        if (Multi(h)) {
            int lines = -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3;
            SendMessage(h, EM_LINESCROLL, 0, lines);
            return 0;
        }
        return DefWindowProc(h, msg, wParam, lParam);
    case WM_VSCROLL: {
        int vis = VisibleLines(h, e);
        long long top = (long long)e.TopLine;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            --top;
            break;
        case SB_LINEDOWN:
            ++top;
            break;
        case SB_PAGEUP:
            top -= vis;
            break;
        case SB_PAGEDOWN:
            top += vis;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            top = HIWORD(wParam);
            break;
        case SB_TOP:
            top = 0;
            break;
        case SB_BOTTOM:
            top = (long long)e.Lines.size();
            break;
        default:
            return 0;
        }
        SendMessage(h, EM_LINESCROLL, 0, LPARAM(top - (long long)e.TopLine));
        return 0;
    }
    case WM_CUT:
        if (e.PasswordChar || (StyleOf(h) & ES_READONLY) || SelStart(e) == SelEnd(e))
            return 0;
        CopySelection(h, e);
        Replace(h, e, u"", false);
        return 0;
    case WM_COPY:
        CopySelection(h, e);
        return 0;
    case WM_PASTE: {
        if (StyleOf(h) & ES_READONLY)
            return 0;
        std::u16string s = ClipboardText(h);
        if (!Multi(h)) {
            std::size_t cut = s.find_first_of(u"\r\n");
            if (cut != std::u16string::npos)
                s.resize(cut);
        }
        if (!s.empty())
            Replace(h, e, s, false);
        return 0;
    }
    case WM_CLEAR:
        if (!(StyleOf(h) & ES_READONLY) && SelStart(e) != SelEnd(e))
            Replace(h, e, u"", false);
        return 0;
    case WM_UNDO:
    case EM_UNDO: {
        if (!e.CanUndo || (StyleOf(h) & ES_READONLY))
            return FALSE;
        std::swap(e.Text, e.UndoText);
        TextReplaced(e);
        std::swap(e.Anchor, e.UndoAnchor);
        std::swap(e.Caret, e.UndoCaret);
        e.Anchor = std::min(e.Anchor, e.Text.size());
        e.Caret = std::min(e.Caret, e.Text.size());
        e.Typing = false;
        e.Modified = true;
        Refresh(h, e);
        SendChange(h);
        return TRUE;
    }
    case EM_CANUNDO:
        return e.CanUndo ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
        e.CanUndo = false;
        e.Typing = false;
        return 0;
    case EM_GETSEL: {
        LRESULT a = PosOut(h, e, SelStart(e)), b = PosOut(h, e, SelEnd(e));
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = DWORD(a);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = DWORD(b);
        if (a > 0xFFFF || b > 0xFFFF)
            return -1;
        return MAKELRESULT(int(a), int(b));
    }
    case EM_SETSEL:
        SetSelection(h, e, (long long)(LONG)wParam, (long long)(LONG)lParam);
        return 0;
    case EM_REPLACESEL:
        Replace(h, e, TextArg(h, lParam), false, wParam != 0);
        return 0;
    case EM_GETMODIFY:
        return e.Modified ? TRUE : FALSE;
    case EM_SETMODIFY:
        e.Modified = wParam != 0;
        return 0;
    case EM_LIMITTEXT:
        e.Limit = wParam == 0 ? kMaxLimit : std::min<std::size_t>(wParam, kMaxLimit);
        return 0;
    case EM_GETLIMITTEXT:
        return LRESULT(e.Limit);
    case EM_SETREADONLY: {
        DWORD s = StyleOf(h);
        SetWindowLong(h, GWL_STYLE, LONG(wParam ? (s | ES_READONLY) : (s & ~DWORD(ES_READONLY))));
        InvalidateRect(h, nullptr, FALSE);
        return TRUE;
    }
    case EM_SETPASSWORDCHAR: {
        if (Multi(h))
            return 0;
        e.PasswordChar = char16_t(wParam);
        DWORD s = StyleOf(h);
        SetWindowLong(h, GWL_STYLE, LONG(wParam ? (s | ES_PASSWORD) : (s & ~DWORD(ES_PASSWORD))));
        if ((ep = Edits().Find(h)) != nullptr)
            Refresh(h, *ep);
        return 0;
    }
    case EM_GETPASSWORDCHAR:
        return LRESULT(e.PasswordChar);
    case EM_GETRECT:
        if (lParam)
            *reinterpret_cast<RECT*>(lParam) = FormatRect(h, e);
        return 0;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (lParam) {
            e.Fmt = *reinterpret_cast<const RECT*>(lParam);
            e.RectSet = true;
        } else {
            e.RectSet = false;
        }
        Layout(h, e);
        ScrollToCaret(h, e);
        if (msg == EM_SETRECT)
            InvalidateRect(h, nullptr, FALSE);
        return 0;
    case EM_SETMARGINS: {
        int left = SHORT(LOWORD(lParam)), right = SHORT(HIWORD(lParam));
        if (wParam & EC_LEFTMARGIN)
            e.LeftMargin = LOWORD(lParam) == EC_USEFONTINFO ? 2 : std::max(0, left);
        if (wParam & EC_RIGHTMARGIN)
            e.RightMargin = HIWORD(lParam) == EC_USEFONTINFO ? 2 : std::max(0, right);
        Refresh(h, e);
        return 0;
    }
    case EM_GETMARGINS:
        return MAKELRESULT(e.LeftMargin, e.RightMargin);
    case EM_CHARFROMPOS: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        RECT client;
        GetClientRect(h, &client);
        if (!PtInRect(&client, POINT{x, y}))
            return -1;
        std::size_t at = IndexAtPoint(h, e, x, y);
        return MAKELRESULT(int(PosOut(h, e, at)), int(LineOf(e, at)));
    }
    case EM_POSFROMCHAR: {
        std::size_t len = e.Text.size();
        std::size_t at = PosIn(h, e, (long long)wParam);
        if ((long long)wParam < 0 || at >= len)
            return -1;
        Measure m(e);
        POINT p = PosOfIndex(h, e, m, at);
        return MAKELRESULT(p.X, p.Y);
    }
    case EM_GETLINECOUNT:
        return LRESULT(e.Lines.size());
    case EM_LINEINDEX: {
        long long line = (long long)(LONG)wParam;
        std::size_t li = line < 0 ? LineOf(e, e.Caret) : std::size_t(line);
        if (li >= e.Lines.size())
            return -1;
        return PosOut(h, e, e.Lines[li].Start);
    }
    case EM_LINELENGTH: {
        long long at = (long long)(LONG)wParam;
        std::size_t li = at < 0 ? LineOf(e, e.Caret) : LineOf(e, PosIn(h, e, at));
        const Line& ln = e.Lines[li];
        return PosOut(h, e, ln.End) - PosOut(h, e, ln.Start);
    }
    case EM_LINEFROMCHAR: {
        long long at = (long long)(LONG)wParam;
        return LRESULT(LineOf(e, at < 0 ? e.Caret : PosIn(h, e, at)));
    }
    case EM_GETLINE:
        return OnGetLine(h, e, wParam, lParam);
    case EM_GETFIRSTVISIBLELINE:
        return Multi(h) ? LRESULT(e.TopLine) : 0;
    case EM_LINESCROLL: {
        if (!Multi(h))
            return FALSE;
        long long top = (long long)e.TopLine + (LONG)lParam;
        long long maxTop = std::max<long long>(0, (long long)e.Lines.size() - VisibleLines(h, e));
        e.TopLine = std::size_t(std::clamp<long long>(top, 0, maxTop));
        if (!WrapsLines(h))
            e.ScrollX = std::max(0, e.ScrollX + int((LONG)wParam) * 8);
        UpdateScrollBars(h, e);
        PlaceCaret(h, e);
        InvalidateRect(h, nullptr, FALSE);
        return TRUE;
    }
    case EM_SCROLL: {
        if (!Multi(h))
            return FALSE;
        std::size_t before = e.TopLine;
        int vis = VisibleLines(h, e);
        int d = wParam == SB_LINEUP     ? -1
                : wParam == SB_LINEDOWN ? 1
                : wParam == SB_PAGEUP   ? -vis
                : wParam == SB_PAGEDOWN ? vis
                                        : 0;
        SendMessage(h, EM_LINESCROLL, 0, d);
        return MAKELRESULT(int(e.TopLine) - int(before), TRUE);
    }
    case EM_SCROLLCARET:
        ScrollToCaret(h, e);
        InvalidateRect(h, nullptr, FALSE);
        return TRUE;
    case EM_SETTABSTOPS:
    case EM_FMTLINES:
        return TRUE;
    default:
        return DefWindowProc(h, msg, wParam, lParam);
    }
}

} // namespace stdctl
