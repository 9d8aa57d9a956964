// The rich edit window class.

#include "platform/win/RichEdit.h"

#include "platform/win/Clipboard.h"
#include "platform/win/Colors.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/RichFlow.h"
#include "platform/win/RichText.h"
#include "platform/win/StdControlsInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

LRESULT SendNotify(HWND from, UINT code, NMHDR* record)
{
    HWND parent = GetParent(from);
    if (!parent || !record)
        return 0;
    record->hwndFrom = from;
    record->idFrom = UINT_PTR(GetDlgCtrlID(from));
    record->code = code;
    return SendMessage(parent, WM_NOTIFY, WPARAM(record->idFrom), reinterpret_cast<LPARAM>(record));
}

namespace {

using namespace richtext;
using stdctl::StyleOf;

constexpr int kTwips = 1440;

struct Rich {
    Document Doc;
    CharFormat Default;       // the format of text typed into an empty control
    std::uint32_t Insert = 0; // format of typed text when the selection is empty
    bool InsertSet = false;   // set by EM_SETCHARFORMAT on an empty selection
    std::size_t Anchor = 0, Caret = 0;
    DWORD EventMask = 0;
    bool AutoUrl = false;
    bool Modified = false;
    bool Focused = false;
    bool Tracking = false;
    bool HideSel = false; // EM_HIDESELECTION
    bool ReadOnly = false;
    LONG Limit = 32767;
    COLORREF Back = CLR_INVALID;
    bool RectSet = false;
    RECT Fmt{};
    int ScrollY = 0; // twips
    char16_t PendingHigh = 0;
    Flow Layout; // of the whole text at the format width, kept paragraph by paragraph
    CHARRANGE LastSel{-1, -1};
};

stdctl::StateTable<Rich>& Riches()
{
    static stdctl::StateTable<Rich> t;
    return t;
}

std::u16string Utf8To16(const std::string& s)
{
    return gdi::Utf8ToUtf16(s.data(), int(s.size()));
}
std::string Utf16To8(const std::u16string& s)
{
    return gdi::Utf16ToUtf8(s.data(), int(s.size()));
}

bool Unicode(HWND h)
{
    return IsWindowUnicode(h);
}

std::size_t SelMin(const Rich& r)
{
    return std::min(r.Anchor, r.Caret);
}
std::size_t SelMax(const Rich& r)
{
    return std::max(r.Anchor, r.Caret);
}

RECT FormatRect(HWND h, const Rich& r)
{
    if (r.RectSet)
        return r.Fmt;
    RECT c;
    GetClientRect(h, &c);
    return RECT{c.Left + 1, c.Top, std::max(c.Left + 1, c.Right - 1), c.Bottom};
}

// Screen pixels to twips and back (the window's DCs are 96 dpi).
int ToTwips(int px)
{
    return px * kTwips / 96;
}
int ToPx(int tw)
{
    return int(std::lround(double(tw) * 96 / kTwips));
}

int LayoutWidth(HWND h, const Rich& r)
{
    RECT f = FormatRect(h, r);
    if (!(StyleOf(h) & ES_MULTILINE) || (StyleOf(h) & ES_AUTOHSCROLL && !(StyleOf(h) & ES_MULTILINE)))
        return 1 << 28;
    return ToTwips(std::max(1, int(f.Right - f.Left)));
}

// The layout of the whole text at the format width: the paragraphs an edit touched were laid out
// again at the edit, everything when the width changed.
const Flow& Laid(HWND h, Rich& r)
{
    r.Layout.Update(r.Doc, LayoutWidth(h, r));
    return r.Layout;
}

// The line that shows unit i (see Flow::LineOfUnit).
Line LineWith(HWND h, Rich& r, std::size_t i)
{
    const Flow& f = Laid(h, r);
    return f.LineAt(f.LineOfUnit(i));
}

// Document edits go through here, so that the layout follows them.
void Edit(Rich& r, std::size_t from, std::size_t to, const std::u16string& text, std::uint32_t charIndex)
{
    r.Doc.Replace(from, to, text, charIndex);
    r.Layout.Replaced(r.Doc, from, to - from, text.size());
}

POINT PosOf(HWND h, Rich& r, std::size_t i)
{
    const Line ln = LineWith(h, r, i);
    std::size_t k = std::min(i, ln.End) - ln.Start;
    RECT f = FormatRect(h, r);
    return POINT{f.Left + ToPx(ln.X[k]), f.Top + ToPx(ln.Top - r.ScrollY)};
}

std::size_t IndexAt(HWND h, Rich& r, int x, int y)
{
    const Flow& fl = Laid(h, r);
    RECT f = FormatRect(h, r);
    int ty = ToTwips(y - f.Top) + r.ScrollY, tx = ToTwips(x - f.Left);
    const Line ln = fl.LineAt(fl.LineAtY(ty));
    for (std::size_t k = ln.Start; k < ln.End; ++k) {
        int mid = (ln.X[k - ln.Start] + ln.X[k + 1 - ln.Start]) / 2;
        if (tx < mid)
            return k;
    }
    return ln.End;
}

void PlaceCaret(HWND h, Rich& r)
{
    if (!r.Focused)
        return;
    const Line ln = LineWith(h, r, r.Caret);
    POINT p = PosOf(h, r, r.Caret);
    CreateCaret(h, nullptr, 1, std::max(1, ToPx(ln.Height)));
    SetCaretPos(p.X, p.Y);
    ShowCaret(h);
}

int ViewHeight(HWND h, const Rich& r)
{
    RECT f = FormatRect(h, r);
    return ToTwips(std::max(0, int(f.Bottom - f.Top)));
}

// The scroll bar of a control with WS_VSCROLL, in pixels: the laid-out height, the view and the
// position (shown disabled while everything fits).
void UpdateScrollBar(HWND h, Rich& r)
{
    if (!(StyleOf(h) & WS_VSCROLL))
        return;
    SCROLLINFO si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, ToPx(Laid(h, r).Height()) - 1);
    si.nPage = UINT(std::max(0, ToPx(ViewHeight(h, r))));
    si.nPos = ToPx(r.ScrollY);
    SetScrollInfo(h, SB_VERT, &si, TRUE);
}

// The scroll position kept between the top and the last view's worth of text.
int ClampScroll(HWND h, Rich& r, int y)
{
    return std::clamp(y, 0, std::max(0, Laid(h, r).Height() - ViewHeight(h, r)));
}

void ScrollToCaret(HWND h, Rich& r)
{
    const Line ln = LineWith(h, r, r.Caret);
    int view = ViewHeight(h, r);
    if (ln.Top < r.ScrollY)
        r.ScrollY = ln.Top;
    else if (ln.Top + ln.Height > r.ScrollY + view)
        r.ScrollY = std::max(0, ln.Top + ln.Height - view);
    r.ScrollY = ClampScroll(h, r, r.ScrollY);
    UpdateScrollBar(h, r);
}

// Scrolls the view to y twips from the top of the text (the caret stays where it is).
void ScrollTo(HWND h, Rich& r, int y)
{
    y = ClampScroll(h, r, y);
    if (y != r.ScrollY) {
        r.ScrollY = y;
        InvalidateRect(h, nullptr, TRUE);
        PlaceCaret(h, r);
    }
    UpdateScrollBar(h, r);
}

// WM_VSCROLL: by lines, by views, or to the thumb.
void OnVScroll(HWND h, Rich& r, int code)
{
    const Flow& fl = Laid(h, r);
    const std::size_t top = fl.LineAtY(r.ScrollY);
    const int topY = fl.LineAt(top).Top;
    int y = r.ScrollY;
    switch (code) {
    case SB_LINEUP:
        y = topY < r.ScrollY ? topY : fl.LineAt(top > 0 ? top - 1 : 0).Top;
        break;
    case SB_LINEDOWN:
        y = top + 1 < fl.LineCount() ? fl.LineAt(top + 1).Top : fl.Height();
        break;
    case SB_PAGEUP:
        y -= ViewHeight(h, r);
        break;
    case SB_PAGEDOWN:
        y += ViewHeight(h, r);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        if (!GetScrollInfo(h, SB_VERT, &si))
            return;
        y = ToTwips(si.nTrackPos);
        break;
    }
    case SB_TOP:
        y = 0;
        break;
    case SB_BOTTOM:
        y = fl.Height();
        break;
    default:
        return;
    }
    ScrollTo(h, r, y);
}

void SelChanged(HWND h, Rich& r)
{
    CHARRANGE now{LONG(SelMin(r)), LONG(SelMax(r))};
    if (now.cpMin == r.LastSel.cpMin && now.cpMax == r.LastSel.cpMax)
        return;
    r.LastSel = now;
    if (!r.InsertSet || SelMax(r) > SelMin(r))
        r.InsertSet = false;
    if (r.EventMask & ENM_SELCHANGE) {
        SELCHANGE sc;
        sc.chrg = now;
        sc.seltyp = now.cpMax == now.cpMin
                        ? SEL_EMPTY
                        : (now.cpMax - now.cpMin > 1 ? (SEL_TEXT | SEL_MULTICHAR) : SEL_TEXT);
        SendNotify(h, EN_SELCHANGE, &sc.nmhdr);
    }
}

void Refresh(HWND h, Rich& r)
{
    ScrollToCaret(h, r);
    PlaceCaret(h, r);
    InvalidateRect(h, nullptr, TRUE);
}

void RequestResize(HWND h, Rich& r)
{
    REQRESIZE rr;
    RECT c;
    GetClientRect(h, &c);
    RECT f = FormatRect(h, r);
    const int height = Laid(h, r).Height();
    rr.rc = RECT{c.Left, c.Top, c.Right, c.Top + (f.Top - c.Top) + ToPx(height) + (c.Bottom - f.Bottom)};
    SendNotify(h, EN_REQUESTRESIZE, &rr.nmhdr);
}

void Changed(HWND h, Rich& r)
{
    r.Modified = true;
    if (r.EventMask & ENM_CHANGE)
        stdctl::Notify(h, EN_CHANGE);
    if (r.EventMask & ENM_REQUESTRESIZE)
        RequestResize(h, r);
}

std::uint32_t TypingFormat(Rich& r)
{
    if (r.InsertSet)
        return r.Insert;
    std::size_t a = SelMin(r);
    if (a > 0 && r.Doc.Text()[a - 1] != u'\r')
        return r.Doc.CharIndexAt(a - 1);
    return r.Doc.CharIndexAt(a);
}

// Replaces the selection by text in the typing format; false when the limit refuses it.
bool ReplaceSel(HWND h, Rich& r, std::u16string text, bool limit)
{
    std::size_t a = SelMin(r), b = SelMax(r);
    if (limit && r.Doc.Length() - (b - a) + text.size() > std::size_t(r.Limit)) {
        std::size_t room = std::size_t(r.Limit) > r.Doc.Length() - (b - a)
                               ? std::size_t(r.Limit) - (r.Doc.Length() - (b - a))
                               : 0;
        if (room == 0 && !text.empty())
            return false;
        text.resize(std::min(text.size(), room));
    }
    std::uint32_t fmt = TypingFormat(r);
    Edit(r, a, b, text, fmt);
    r.Anchor = r.Caret = a + text.size();
    r.InsertSet = false;
    Changed(h, r);
    Refresh(h, r);
    SelChanged(h, r);
    return true;
}

void SetSel(HWND h, Rich& r, LONG from, LONG to)
{
    LONG len = LONG(r.Doc.Length());
    if (from == 0 && to == -1) {
        r.Anchor = 0;
        r.Caret = std::size_t(len);
    } else if (from < 0) {
        r.Anchor = r.Caret = SelMax(r); // no selection, caret kept at the end of the old one
    } else {
        if (to < 0 || to > len)
            to = len;
        from = std::min(from, len);
        r.Anchor = std::size_t(from);
        r.Caret = std::size_t(to);
    }
    // Never between the halves of a surrogate pair.
    const std::u16string& t = r.Doc.Text();
    if (r.Anchor > 0 && stdctl::IsLow(t[r.Anchor]))
        --r.Anchor;
    if (r.Caret > 0 && stdctl::IsLow(t[r.Caret]))
        --r.Caret;
    Refresh(h, r);
    SelChanged(h, r);
}

// Text with paragraph ends as CR LF (crlf) or CR.
std::u16string Plain(const Rich& r, std::size_t from, std::size_t to, bool crlf)
{
    const std::u16string& t = r.Doc.Text();
    to = std::min(to, r.Doc.Length());
    std::u16string out;
    for (std::size_t i = from; i < to; ++i) {
        out += t[i];
        if (t[i] == u'\r' && crlf)
            out += u'\n';
    }
    return out;
}

void SetPlain(HWND h, Rich& r, const std::u16string& s)
{
    std::u16string t;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
            ++i;
        if (c == u'\n')
            c = u'\r';
        t += c;
    }
    if (!(StyleOf(h) & ES_MULTILINE)) {
        std::size_t cut = t.find(u'\r');
        if (cut != std::u16string::npos)
            t.resize(cut);
    }
    std::uint32_t fmt = r.Doc.CharIndexAt(0);
    CharFormat f = r.Doc.CharFormatOf(fmt);
    r.Doc = Document();
    r.Layout.Invalidate();
    fmt = r.Doc.Intern(f);
    r.Doc.SetChar(0, 1, f);
    r.Doc.Replace(0, 0, t, fmt);
    r.Anchor = r.Caret = 0;
    Changed(h, r);
    r.Modified = false;
    Refresh(h, r);
    SelChanged(h, r);
}

// ---- Formats crossing the message boundary ---------------------------------------------------

template <class CF> void FillCharFormat(HWND h, const Rich& r, CF* cf, bool selection)
{
    std::size_t a = SelMin(r), b = SelMax(r);
    if (!selection || a == b) {
        std::size_t at = a;
        if (selection && at > 0 && r.Doc.Text()[at - 1] != u'\r')
            --at;
        b = (at = selection ? at : 0) + 1;
        a = at;
        if (!selection)
            b = a + 1;
    }
    const CharFormat& f0 =
        (selection && r.InsertSet && SelMin(r) == SelMax(r)) ? r.Doc.CharFormatOf(r.Insert) : r.Doc.CharAt(a);
    DWORD mask = CFM_ALL & ~(CFM_PROTECTED | CFM_LINK);
    for (std::size_t i = a + 1; i < b; ++i) {
        const CharFormat& f = r.Doc.CharAt(i);
        if (f.Face != f0.Face)
            mask &= ~CFM_FACE;
        if (f.Size != f0.Size)
            mask &= ~CFM_SIZE;
        if ((f.Effects ^ f0.Effects) & EffectBold)
            mask &= ~CFM_BOLD;
        if ((f.Effects ^ f0.Effects) & EffectItalic)
            mask &= ~CFM_ITALIC;
        if ((f.Effects ^ f0.Effects) & EffectUnderline)
            mask &= ~CFM_UNDERLINE;
        if ((f.Effects ^ f0.Effects) & EffectStrike)
            mask &= ~CFM_STRIKEOUT;
        if (((f.Effects ^ f0.Effects) & EffectAutoColor) || f.Color != f0.Color)
            mask &= ~CFM_COLOR;
        if (f.Offset != f0.Offset)
            mask &= ~CFM_OFFSET;
        if (f.Charset != f0.Charset)
            mask &= ~CFM_CHARSET;
    }
    cf->dwMask = mask;
    cf->dwEffects = f0.Effects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_AUTOCOLOR);
    cf->yHeight = f0.Size;
    cf->yOffset = f0.Offset;
    cf->crTextColor = f0.Color;
    cf->bCharSet = BYTE(f0.Charset);
    cf->bPitchAndFamily = 0;
    std::memset(cf->szFaceName, 0, sizeof(cf->szFaceName));
    if constexpr (sizeof(cf->szFaceName[0]) == 2) {
        std::u16string w = Utf8To16(f0.Face).substr(0, LF_FACESIZE - 1);
        std::copy(w.begin(), w.end(), cf->szFaceName);
    } else {
        std::string n = f0.Face.substr(0, LF_FACESIZE - 1);
        while (!n.empty() && n.size() < f0.Face.size() &&
               (static_cast<unsigned char>(f0.Face[n.size()]) & 0xC0) == 0x80)
            n.pop_back();
        std::memcpy(cf->szFaceName, n.data(), n.size());
    }
    (void)h;
}

template <class CF> CharFormat Merge(CharFormat f, const CF* cf)
{
    DWORD m = cf->dwMask;
    auto effect = [&](DWORD cfm, DWORD e) {
        if (m & cfm)
            f.Effects = (cf->dwEffects & cfm) ? (f.Effects | e) : (f.Effects & ~e);
    };
    effect(CFM_BOLD, EffectBold);
    effect(CFM_ITALIC, EffectItalic);
    effect(CFM_UNDERLINE, EffectUnderline);
    effect(CFM_STRIKEOUT, EffectStrike);
    if (m & CFM_COLOR) {
        if (cf->dwEffects & CFE_AUTOCOLOR) {
            f.Effects |= EffectAutoColor;
            f.Color = 0;
        } else {
            f.Effects &= ~EffectAutoColor;
            f.Color = cf->crTextColor & 0xFFFFFF;
        }
    }
    if ((m & CFM_SIZE) && cf->yHeight > 0)
        f.Size = std::clamp(int(cf->yHeight), 20, 32760);
    if (m & CFM_OFFSET)
        f.Offset = std::clamp(int(cf->yOffset), -32760, 32760);
    if (m & CFM_CHARSET)
        f.Charset = cf->bCharSet;
    if (m & CFM_FACE) {
        std::size_t n = 0;
        while (n < LF_FACESIZE && cf->szFaceName[n])
            ++n;
        if constexpr (sizeof(cf->szFaceName[0]) == 2)
            f.Face = Utf16To8(std::u16string(cf->szFaceName, cf->szFaceName + n));
        else
            f.Face = std::string(cf->szFaceName, n);
    }
    return f;
}

template <class CF> LRESULT SetCharFormat(HWND h, Rich& r, WPARAM scope, const CF* cf)
{
    if (!cf || cf->cbSize < sizeof(CF) - sizeof(cf->szFaceName))
        return 0;
    std::size_t a = SelMin(r), b = SelMax(r);
    if (scope & SCF_ALL) {
        a = 0;
        b = r.Doc.Text().size();
    } else if (scope & SCF_SELECTION) {
        if (a == b) {
            r.Insert = r.Doc.Intern(Merge(r.Doc.CharFormatOf(TypingFormat(r)), cf));
            r.InsertSet = true;
            return 1;
        }
    } else {
        // The default format: empty controls and new text take it.
        r.Default = Merge(r.Default, cf);
        if (r.Doc.Length() == 0) {
            r.Doc.SetChar(0, 1, r.Default);
            r.Layout.Replaced(r.Doc, 0, 1, 1);
        }
        InvalidateRect(h, nullptr, TRUE);
        return 1;
    }
    for (std::size_t i = a; i < b; ++i) {
        CharFormat f = Merge(r.Doc.CharAt(i), cf);
        r.Doc.SetChar(i, i + 1, f);
    }
    r.Layout.Replaced(r.Doc, a, b - a, b - a);
    if (r.EventMask & ENM_REQUESTRESIZE)
        RequestResize(h, r);
    Refresh(h, r);
    return 1;
}

LRESULT SetParaFormat(HWND h, Rich& r, const PARAFORMAT* pf)
{
    if (!pf || pf->cbSize < sizeof(PARAFORMAT))
        return 0;
    std::size_t a = SelMin(r), b = SelMax(r);
    const std::size_t from = r.Doc.ParaStart(a);
    std::size_t p = from;
    while (true) {
        std::size_t e = r.Doc.ParaEnd(p);
        ParaFormat f = r.Doc.ParaAt(p);
        DWORD m = pf->dwMask;
        int firstAbs = f.Left + f.First;
        if (m & PFM_STARTINDENT)
            firstAbs = pf->dxStartIndent;
        if (m & PFM_OFFSETINDENT)
            firstAbs += pf->dxStartIndent;
        int offset = -f.First;
        if (m & PFM_OFFSET)
            offset = pf->dxOffset;
        f.Left = firstAbs + offset;
        f.First = -offset;
        if (m & PFM_RIGHTINDENT)
            f.Right = pf->dxRightIndent;
        if (m & PFM_ALIGNMENT) {
            switch (pf->wAlignment) {
            case PFA_RIGHT:
                f.Alignment = Align::Right;
                break;
            case PFA_CENTER:
                f.Alignment = Align::Center;
                break;
            case PFA_JUSTIFY:
                f.Alignment = Align::Justify;
                break;
            default:
                f.Alignment = Align::Left;
                break;
            }
        }
        if (m & PFM_TABSTOPS) {
            f.Tabs.clear();
            for (int i = 0; i < std::clamp(int(pf->cTabCount), 0, MAX_TAB_STOPS); ++i)
                if (pf->rgxTabs[i] > 0)
                    f.Tabs.push_back(pf->rgxTabs[i] & 0xFFFFFF);
            std::sort(f.Tabs.begin(), f.Tabs.end());
        }
        r.Doc.SetPara(p, e + 1, f);
        if (e + 1 >= r.Doc.Text().size() || e >= b) {
            r.Layout.Replaced(r.Doc, from, e + 1 - from, e + 1 - from);
            break;
        }
        p = e + 1;
    }
    Refresh(h, r);
    return 1;
}

LRESULT GetParaFormat(Rich& r, PARAFORMAT* pf)
{
    if (!pf)
        return 0;
    const ParaFormat& f = r.Doc.ParaAt(SelMin(r));
    pf->dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT | PFM_TABSTOPS;
    pf->dxStartIndent = f.Left + f.First;
    pf->dxOffset = -f.First;
    pf->dxRightIndent = f.Right;
    static const WORD aligns[] = {PFA_LEFT, PFA_CENTER, PFA_RIGHT, PFA_JUSTIFY};
    pf->wAlignment = aligns[int(f.Alignment)];
    pf->cTabCount = SHORT(std::min<std::size_t>(f.Tabs.size(), MAX_TAB_STOPS));
    for (int i = 0; i < pf->cTabCount; ++i)
        pf->rgxTabs[i] = f.Tabs[std::size_t(i)];
    return pf->dwMask;
}

// ---- Streams ---------------------------------------------------------------------------------

LRESULT StreamIn(HWND h, Rich& r, WPARAM format, EDITSTREAM* es)
{
    if (!es || !es->pfnCallback)
        return 0;
    std::string data;
    BYTE buf[4096];
    for (;;) {
        LONG got = 0;
        DWORD err = es->pfnCallback(es->dwCookie, buf, LONG(sizeof buf), &got);
        if (err) {
            es->dwError = err;
            break;
        }
        if (got <= 0)
            break;
        data.append(reinterpret_cast<char*>(buf), std::size_t(std::min<LONG>(got, LONG(sizeof buf))));
    }
    bool selection = format & SFF_SELECTION;
    std::size_t a = selection ? SelMin(r) : 0, b = selection ? SelMax(r) : r.Doc.Length();
    ReadResult rr;
    bool rtf = (format & 0x3) == SF_RTF || (format & 0x3) == SF_RTFNOOBJS;
    CharFormat base = selection ? r.Doc.CharFormatOf(TypingFormat(r)) : r.Default;
    if (rtf)
        rr = ReadRtf(data, base);
    if (!rtf || rr.Status == ReadStatus::NotRtf) {
        // Plain text, or text that is not RTF at all: taken as it is.
        std::u16string t;
        if (format & SF_UNICODE)
            t.assign(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2);
        else
            t = Utf8To16(data);
        Document d;
        std::uint32_t fi = d.Intern(base);
        d.SetChar(0, 1, base);
        std::u16string norm;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n')
                continue;
            norm += t[i] == u'\n' ? u'\r' : t[i];
        }
        d.Replace(0, 0, norm, fi);
        rr.Doc = std::move(d);
        rr.Status = ReadStatus::Ok;
        rr.EndedWithPar = false;
    }
    std::size_t count = rr.Doc.Length() + ((selection && rr.EndedWithPar) ? 1 : 0);
    if (!selection) {
        r.Doc = std::move(rr.Doc);
        r.Layout.Invalidate();
        r.Anchor = r.Caret = 0;
    } else {
        r.Doc.Replace(a, b, rr.Doc, count);
        r.Layout.Replaced(r.Doc, a, b - a, count);
        r.Anchor = r.Caret = a + count;
    }
    r.InsertSet = false;
    Changed(h, r);
    if (!selection)
        r.Modified = false;
    Refresh(h, r);
    SelChanged(h, r);
    return LRESULT(count);
}

LRESULT StreamOut(Rich& r, WPARAM format, EDITSTREAM* es)
{
    if (!es || !es->pfnCallback)
        return 0;
    bool selection = format & SFF_SELECTION;
    std::size_t a = selection ? SelMin(r) : 0, b = selection ? SelMax(r) : r.Doc.Text().size();
    std::string data;
    bool rtf = (format & 0x3) == SF_RTF || (format & 0x3) == SF_RTFNOOBJS;
    if (rtf) {
        data = WriteRtf(r.Doc, a, b);
    } else {
        std::u16string t = Plain(r, a, std::min(b, r.Doc.Length()), true);
        if (format & SF_UNICODE)
            data.assign(reinterpret_cast<const char*>(t.data()), t.size() * 2);
        else
            data = Utf16To8(t);
    }
    std::size_t done = 0;
    while (done < data.size()) {
        LONG n = LONG(std::min<std::size_t>(data.size() - done, 4096));
        LONG took = 0;
        DWORD err = es->pfnCallback(es->dwCookie, reinterpret_cast<BYTE*>(data.data() + done), n, &took);
        if (err) {
            es->dwError = err;
            break;
        }
        if (took <= 0)
            break;
        done += std::size_t(std::min(took, n));
    }
    return LRESULT(rtf ? done : b - a);
}

// ---- Printing --------------------------------------------------------------------------------

// The addresses in the paragraphs that hold units from..to (an address never spans paragraphs).
std::vector<Range> LinksIn(const Document& doc, std::size_t from, std::size_t to)
{
    const std::size_t a = doc.ParaStart(from), b = doc.ParaEnd(to);
    std::vector<Range> links;
    for (Range u : FindUrls(doc.Text().substr(a, b - a)))
        links.push_back(Range{u.From + a, u.To + a});
    return links;
}

LRESULT FormatRange(Rich& r, BOOL render, FORMATRANGE* fr)
{
    if (!fr)
        return 0; // releases cached information: we keep none
    LONG len = LONG(r.Doc.Length());
    LONG from = std::clamp(fr->chrg.cpMin, LONG(0), len);
    LONG to = fr->chrg.cpMax < 0 || fr->chrg.cpMax > len ? len : fr->chrg.cpMax;
    if (from >= to && len > 0)
        return from;
    int width = std::max(1, int(fr->rc.Right - fr->rc.Left));
    int height = std::max(0, int(fr->rc.Bottom - fr->rc.Top));
    auto lines = LayOut(r.Doc, std::size_t(from), width, height);
    // Lines that end inside the rectangle; at least one, so every call makes progress.
    std::size_t fit = 0;
    while (fit < lines.size() && lines[fit].Top + lines[fit].Height <= height &&
           lines[fit].Start < std::size_t(to))
        ++fit;
    if (fit == 0 && !lines.empty())
        fit = 1;
    std::size_t next = fit ? lines[fit - 1].Next : std::size_t(from);
    next = std::min(next, std::size_t(to));
    if (render && fr->hdc) {
        HDC dc = fr->hdc;
        int saved = SaveDC(dc);
        SetMapMode(dc, MM_TEXT);
        int dpiX = std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
        int dpiY = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
        int ox = int(std::lround(double(fr->rc.Left) * dpiX / kTwips));
        int oy = int(std::lround(double(fr->rc.Top) * dpiY / kTwips));
        // The last line may go beyond the requested end; draw only up to it.
        if (fit && lines[fit - 1].End > std::size_t(to)) {
            Line& last = lines[fit - 1];
            last.End = std::max(last.Start, std::size_t(to));
        }
        DrawLines(dc, r.Doc, lines, fit, ox, oy, 0, 0,
                  r.AutoUrl && fit ? LinksIn(r.Doc, lines.front().Start, lines[fit - 1].Start)
                                   : std::vector<Range>{});
        RestoreDC(dc, saved);
    }
    return LRESULT(next);
}

// ---- Painting and input ----------------------------------------------------------------------

void PaintRichEdit(HWND h, Rich& r, HDC dc)
{
    RECT c;
    GetClientRect(h, &c);
    const TOwnedBrush back(r.Back != CLR_INVALID ? CreateSolidBrush(r.Back) : nullptr);
    FillRect(dc, &c, back ? back.get() : GetSysColorBrush(COLOR_WINDOW));
    RECT f = FormatRect(h, r);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, f.Left, f.Top, f.Right, f.Bottom);
    const Flow& fl = Laid(h, r);
    bool showSel = !r.HideSel && (r.Focused || (StyleOf(h) & ES_NOHIDESEL));
    // Only the lines in view are drawn, and links are looked for only in their paragraphs.
    const std::size_t first = fl.LineAtY(r.ScrollY);
    const std::size_t last = fl.LineAtY(r.ScrollY + ViewHeight(h, r));
    std::vector<Line> shown;
    for (std::size_t k = first; k <= last; ++k)
        shown.push_back(fl.LineAt(k));
    const std::vector<Range> links =
        r.AutoUrl ? LinksIn(r.Doc, shown.front().Start, shown.back().Start) : std::vector<Range>{};
    DrawLines(dc, r.Doc, shown, shown.size(), f.Left, f.Top - ToPx(r.ScrollY), showSel ? SelMin(r) : 0,
              showSel ? SelMax(r) : 0, links);
    RestoreDC(dc, saved);
}

bool LinkAt(HWND h, Rich& r, int x, int y, CHARRANGE& range)
{
    if (!r.AutoUrl)
        return false;
    std::size_t i = IndexAt(h, r, x, y);
    // IndexAt gives the nearer edge; the character under the point is the one before when the
    // point lies in its right half.
    POINT p = PosOf(h, r, i);
    if (p.X > x && i > 0)
        --i;
    for (const Range& l : LinksIn(r.Doc, i, i))
        if (i >= l.From && i < l.To) {
            range = CHARRANGE{LONG(l.From), LONG(l.To)};
            return true;
        }
    return false;
}

// EN_LINK for a mouse message over a link; a non-zero answer of the parent eats the message.
bool NotifyLink(HWND h, Rich& r, UINT msg, WPARAM w, LPARAM l)
{
    if (!(r.EventMask & ENM_LINK))
        return false;
    CHARRANGE range;
    if (!LinkAt(h, r, GET_X_LPARAM(l), GET_Y_LPARAM(l), range))
        return false;
    ENLINK el;
    el.msg = msg;
    el.wParam = w;
    el.lParam = l;
    el.chrg = range;
    return SendNotify(h, EN_LINK, &el.nmhdr) != 0;
}

void Move(HWND h, Rich& r, std::size_t to, bool extend)
{
    r.Caret = std::min(to, r.Doc.Length());
    if (!extend)
        r.Anchor = r.Caret;
    Refresh(h, r);
    SelChanged(h, r);
}

void Copy(Rich& r)
{
    if (SelMin(r) == SelMax(r))
        return;
    std::string s = Utf16To8(Plain(r, SelMin(r), SelMax(r), true));
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    HGLOBAL m = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
    std::memcpy(GlobalLock(m), s.c_str(), s.size() + 1);
    GlobalUnlock(m);
    SetClipboardData(CF_TEXT, m);
    CloseClipboard();
}

std::u16string ClipText()
{
    std::string s;
    if (!OpenClipboard(nullptr))
        return {};
    if (HANDLE d = GetClipboardData(CF_TEXT)) {
        auto* p = static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(d)));
        s = p ? p : "";
        GlobalUnlock(static_cast<HGLOBAL>(d));
    }
    CloseClipboard();
    std::u16string t = Utf8To16(s), out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n')
            continue;
        out += t[i] == u'\n' ? u'\r' : t[i];
    }
    return out;
}

std::size_t Prev(const Rich& r, std::size_t i)
{
    if (i == 0)
        return 0;
    --i;
    if (i > 0 && stdctl::IsLow(r.Doc.Text()[i]) && stdctl::IsHigh(r.Doc.Text()[i - 1]))
        --i;
    return i;
}
std::size_t Next(const Rich& r, std::size_t i)
{
    if (i >= r.Doc.Length())
        return r.Doc.Length();
    ++i;
    if (i < r.Doc.Length() && stdctl::IsLow(r.Doc.Text()[i]))
        ++i;
    return i;
}

LRESULT OnKeyDown(HWND h, Rich& r, WPARAM vk)
{
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    if (stdctl::SendEditKeyCommand(h, vk, ctrl, shift))
        return 0;
    const Flow& fl = Laid(h, r);
    const std::size_t li = fl.LineOfUnit(r.Caret);
    switch (vk) {
    case VK_LEFT:
        Move(h, r, (!shift && SelMin(r) != SelMax(r)) ? SelMin(r) : Prev(r, r.Caret), shift);
        return 0;
    case VK_RIGHT:
        Move(h, r, (!shift && SelMin(r) != SelMax(r)) ? SelMax(r) : Next(r, r.Caret), shift);
        return 0;
    case VK_HOME:
        Move(h, r, ctrl ? 0 : fl.LineAt(li).Start, shift);
        return 0;
    case VK_END:
        Move(h, r, ctrl ? r.Doc.Length() : fl.LineAt(li).End, shift);
        return 0;
    case VK_UP:
    case VK_DOWN: {
        std::size_t target = vk == VK_UP ? (li == 0 ? 0 : li - 1) : std::min(li + 1, fl.LineCount() - 1);
        if (target == li) {
            Move(h, r, vk == VK_UP ? 0 : r.Doc.Length(), shift);
            return 0;
        }
        POINT p = PosOf(h, r, r.Caret);
        RECT f = FormatRect(h, r);
        int y = f.Top + ToPx(fl.LineAt(target).Top - r.ScrollY) + 1;
        Move(h, r, IndexAt(h, r, p.X, y), shift);
        return 0;
    }
    case VK_DELETE:
        if (r.ReadOnly)
            return 0;
        if (SelMin(r) == SelMax(r)) {
            if (r.Caret >= r.Doc.Length())
                return 0;
            r.Anchor = Next(r, r.Caret);
        }
        ReplaceSel(h, r, u"", false);
        return 0;
    default:
        return 0;
    }
}

LRESULT OnChar(HWND h, Rich& r, WPARAM w)
{
    char16_t c = char16_t(w);
    if (stdctl::SendEditCharCommand(h, c))
        return 0;
    if (r.ReadOnly)
        return 0;
    if (c == u'\b') {
        if (SelMin(r) == SelMax(r)) {
            if (r.Caret == 0)
                return 0;
            r.Anchor = Prev(r, r.Caret);
        }
        ReplaceSel(h, r, u"", false);
        return 0;
    }
    if (c == u'\r' || c == u'\n') {
        if (!(StyleOf(h) & ES_MULTILINE))
            return 0;
        ReplaceSel(h, r, u"\r", true);
        return 0;
    }
    if (c < 0x20 && c != u'\t')
        return 0;
    if (stdctl::IsHigh(c)) {
        r.PendingHigh = c;
        return 0;
    }
    std::u16string s;
    if (stdctl::IsLow(c)) {
        if (!r.PendingHigh)
            return 0;
        s += r.PendingHigh;
    }
    r.PendingHigh = 0;
    s += c;
    ReplaceSel(h, r, s, true);
    return 0;
}

LRESULT RichProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        Rich* r = Riches().Make(h);
        r->Default.Face = "MS Sans Serif";
        r->Default.Size = 160;
        r->Doc.SetChar(0, 1, r->Default);
        r->ReadOnly = StyleOf(h) & ES_READONLY;
        return DefWindowProc(h, msg, w, l);
    }
    Rich* rp = Riches().Find(h);
    if (!rp)
        return DefWindowProc(h, msg, w, l);
    Rich& r = *rp;
    if (msg == WM_KEYDOWN || msg == WM_LBUTTONDOWN || msg == WM_KILLFOCUS || msg == WM_NCDESTROY ||
        msg == EM_HIDEBALLOONTIP)
        HideEditBalloon(h); // the balloon goes at the next key or click
    if (msg == EM_SHOWBALLOONTIP)
        return ShowEditBalloon(h, reinterpret_cast<const EDITBALLOONTIP*>(l), PosOf(h, r, r.Caret));
    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCT*>(l);
        if (cs && cs->lpszName) {
            if (Unicode(h))
                SetPlain(h, r, reinterpret_cast<const char16_t*>(cs->lpszName));
            else
                SetPlain(h, r, Utf8To16(cs->lpszName));
        }
        r.LastSel = CHARRANGE{0, 0};
        UpdateScrollBar(h, r);
        return 0;
    }
    case WM_NCDESTROY:
        Riches().Drop(h);
        return DefWindowProc(h, msg, w, l);
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL |
               ((StyleOf(h) & ES_MULTILINE) ? LRESULT(DLGC_WANTALLKEYS) : 0);
    case WM_SETTEXT:
        SetPlain(h, r, stdctl::TextArg(h, l));
        return TRUE;
    case WM_GETTEXT: {
        std::u16string t = Plain(r, 0, r.Doc.Length(), true);
        if (w == 0)
            return 0;
        return stdctl::CopyTextOut(h, t, l, (long long)(w), true);
    }
    case WM_GETTEXTLENGTH:
        return stdctl::LengthIn(h, Plain(r, 0, r.Doc.Length(), true));
    case EM_GETTEXTLENGTHEX: {
        auto* g = reinterpret_cast<const GETTEXTLENGTHEX*>(w);
        DWORD flags = g ? g->flags : 0;
        std::u16string t = Plain(r, 0, r.Doc.Length(), flags & GTL_USECRLF);
        if ((flags & GTL_NUMBYTES) && !(g && g->codepage == 1200))
            return LRESULT(Utf16To8(t).size());
        if (flags & GTL_NUMBYTES)
            return LRESULT(t.size() * 2);
        return LRESULT(t.size());
    }
    case EM_GETTEXTRANGE: {
        if (!l)
            return 0;
        auto* tr = reinterpret_cast<TEXTRANGEW*>(l);
        LONG len = LONG(r.Doc.Length());
        LONG a = std::clamp(tr->chrg.cpMin, LONG(0), len);
        LONG b = tr->chrg.cpMax < 0 ? len : std::clamp(tr->chrg.cpMax, a, len);
        std::u16string t = Plain(r, std::size_t(a), std::size_t(b), false);
        if (!tr->lpstrText)
            return 0;
        if (Unicode(h)) {
            std::copy(t.begin(), t.end(), tr->lpstrText);
            tr->lpstrText[t.size()] = 0;
            return LRESULT(t.size());
        }
        std::string s = Utf16To8(t);
        char* out = reinterpret_cast<TEXTRANGEA*>(l)->lpstrText;
        std::memcpy(out, s.c_str(), s.size() + 1);
        return LRESULT(s.size());
    }
    case EM_GETSELTEXT: {
        std::u16string t = Plain(r, SelMin(r), SelMax(r), false);
        if (!l)
            return 0;
        return stdctl::CopyTextOut(h, t, l, -1, true);
    }
    case EM_REPLACESEL:
        ReplaceSel(
            h, r,
            [&] {
                std::u16string t = stdctl::TextArg(h, l), out;
                for (std::size_t i = 0; i < t.size(); ++i) {
                    if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n')
                        continue;
                    out += t[i] == u'\n' ? u'\r' : t[i];
                }
                return out;
            }(),
            false);
        return 0;
    case EM_GETSEL: {
        if (w)
            *reinterpret_cast<DWORD*>(w) = DWORD(SelMin(r));
        if (l)
            *reinterpret_cast<DWORD*>(l) = DWORD(SelMax(r));
        return MAKELRESULT(std::min<std::size_t>(SelMin(r), 0xFFFF),
                           std::min<std::size_t>(SelMax(r), 0xFFFF));
    }
    case EM_SETSEL:
        SetSel(h, r, LONG(w), LONG(l));
        return 0;
    case EM_EXGETSEL:
        if (l)
            *reinterpret_cast<CHARRANGE*>(l) = CHARRANGE{LONG(SelMin(r)), LONG(SelMax(r))};
        return 0;
    case EM_EXSETSEL:
        if (l) {
            auto* cr = reinterpret_cast<const CHARRANGE*>(l);
            SetSel(h, r, cr->cpMin, cr->cpMax);
        }
        return LRESULT(SelMax(r));
    case EM_HIDESELECTION:
        r.HideSel = w != 0;
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case EM_SETCHARFORMAT:
        if (Unicode(h) || (l && reinterpret_cast<const CHARFORMATA*>(l)->cbSize == sizeof(CHARFORMATW)))
            return SetCharFormat(h, r, w, reinterpret_cast<const CHARFORMATW*>(l));
        return SetCharFormat(h, r, w, reinterpret_cast<const CHARFORMATA*>(l));
    case EM_GETCHARFORMAT: {
        if (!l)
            return 0;
        auto* a = reinterpret_cast<CHARFORMATA*>(l);
        if (a->cbSize == sizeof(CHARFORMATW) || (Unicode(h) && a->cbSize != sizeof(CHARFORMATA))) {
            auto* cw = reinterpret_cast<CHARFORMATW*>(l);
            FillCharFormat(h, r, cw, w & SCF_SELECTION);
            return cw->dwMask;
        }
        FillCharFormat(h, r, a, w & SCF_SELECTION);
        return a->dwMask;
    }
    case EM_SETPARAFORMAT:
        return SetParaFormat(h, r, reinterpret_cast<const PARAFORMAT*>(l));
    case EM_GETPARAFORMAT:
        return GetParaFormat(r, reinterpret_cast<PARAFORMAT*>(l));
    case EM_SETEVENTMASK: {
        DWORD old = r.EventMask;
        r.EventMask = DWORD(l);
        return LRESULT(old);
    }
    case EM_GETEVENTMASK:
        return LRESULT(r.EventMask);
    case EM_AUTOURLDETECT:
        r.AutoUrl = w != 0;
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case EM_GETAUTOURLDETECT:
        return r.AutoUrl;
    case EM_REQUESTRESIZE:
        RequestResize(h, r);
        return 0;
    case EM_STREAMIN:
        return StreamIn(h, r, w, reinterpret_cast<EDITSTREAM*>(l));
    case EM_STREAMOUT:
        return StreamOut(r, w, reinterpret_cast<EDITSTREAM*>(l));
    case EM_FORMATRANGE:
        return FormatRange(r, BOOL(w), reinterpret_cast<FORMATRANGE*>(l));
    case EM_SETTARGETDEVICE:
        return 1;
    case EM_SETBKGNDCOLOR: {
        COLORREF old = r.Back == CLR_INVALID ? GetSysColor(COLOR_WINDOW) : r.Back;
        r.Back = w ? CLR_INVALID : COLORREF(l);
        InvalidateRect(h, nullptr, TRUE);
        return LRESULT(old);
    }
    case EM_EXLIMITTEXT:
    case EM_LIMITTEXT:
        r.Limit = l > 0 ? LONG(l) : (msg == EM_LIMITTEXT && w > 0 ? LONG(w) : 0x7FFFFFFE);
        if (msg == EM_EXLIMITTEXT && l == 0)
            r.Limit = 32767;
        return 0;
    case EM_GETLIMITTEXT:
        return r.Limit;
    case EM_GETMODIFY:
        return r.Modified;
    case EM_SETMODIFY:
        r.Modified = w != 0;
        return 0;
    case EM_SETREADONLY:
        r.ReadOnly = w != 0;
        SetWindowLong(h, GWL_STYLE,
                      LONG(w ? (StyleOf(h) | ES_READONLY) : (StyleOf(h) & ~DWORD(ES_READONLY))));
        return 1;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (l) {
            r.Fmt = *reinterpret_cast<const RECT*>(l);
            r.RectSet = true;
        } else {
            r.RectSet = false;
        }
        r.Layout.Invalidate();
        if (msg == EM_SETRECT)
            InvalidateRect(h, nullptr, TRUE);
        return 0;
    case EM_GETRECT:
        if (l)
            *reinterpret_cast<RECT*>(l) = FormatRect(h, r);
        return 0;
    case EM_GETLINECOUNT:
        return LRESULT(Laid(h, r).LineCount());
    case EM_EXLINEFROMCHAR:
    case EM_LINEFROMCHAR: {
        LONG i = msg == EM_EXLINEFROMCHAR ? LONG(l) : LONG(w);
        std::size_t at = i < 0 ? r.Caret : std::min(std::size_t(i), r.Doc.Length());
        return LRESULT(Laid(h, r).LineOfUnit(at));
    }
    case EM_LINEINDEX: {
        const Flow& fl = Laid(h, r);
        std::size_t li = LONG(w) < 0 ? fl.LineOfUnit(r.Caret) : std::size_t(w);
        return li < fl.LineCount() ? LRESULT(fl.LineAt(li).Start) : -1;
    }
    case EM_LINELENGTH: {
        std::size_t at = LONG(w) < 0 ? r.Caret : std::min(std::size_t(w), r.Doc.Length());
        const Line ln = LineWith(h, r, at);
        return LRESULT(ln.End - ln.Start);
    }
    case EM_GETLINE: {
        const Flow& fl = Laid(h, r);
        if (w >= fl.LineCount() || !l)
            return 0;
        const Line ln = fl.LineAt(w);
        std::u16string t = r.Doc.Text().substr(ln.Start, ln.End - ln.Start);
        WORD cap = *reinterpret_cast<const WORD*>(l);
        return stdctl::CopyTextOut(h, t, l, cap, false);
    }
    case EM_POSFROMCHAR: {
        // wParam: the POINTL to fill, lParam: the character.
        if (!w)
            return 0;
        POINT p = PosOf(h, r, std::min(std::size_t(std::max<LPARAM>(l, 0)), r.Doc.Length()));
        *reinterpret_cast<POINT*>(w) = p;
        return 0;
    }
    case EM_CHARFROMPOS: {
        if (!l)
            return 0;
        auto* p = reinterpret_cast<const POINT*>(l);
        return LRESULT(IndexAt(h, r, p->X, p->Y));
    }
    case EM_CANPASTE:
        return IsClipboardFormatAvailable(CF_TEXT);
    case WM_COPY:
        Copy(r);
        return 0;
    case WM_CUT:
        if (!r.ReadOnly) {
            Copy(r);
            ReplaceSel(h, r, u"", false);
        }
        return 0;
    case WM_PASTE:
        if (!r.ReadOnly)
            ReplaceSel(h, r, ClipText(), true);
        return 0;
    case WM_CLEAR:
        if (!r.ReadOnly)
            ReplaceSel(h, r, u"", false);
        return 0;
    case WM_SETFONT: {
        LOGFONTA lf{};
        if (w && GetObject(reinterpret_cast<HGDIOBJ>(w), sizeof lf, &lf)) {
            CharFormat f = r.Default;
            f.Face = lf.lfFaceName;
            int px = std::abs(lf.lfHeight);
            if (px > 0)
                f.Size = px * kTwips / 96;
            f.Effects = (f.Effects & EffectAutoColor) | (lf.lfWeight >= FW_BOLD ? DWORD(EffectBold) : 0u) |
                        (lf.lfItalic ? DWORD(EffectItalic) : 0u) |
                        (lf.lfUnderline ? DWORD(EffectUnderline) : 0u) |
                        (lf.lfStrikeOut ? DWORD(EffectStrike) : 0u);
            r.Default = f;
            r.Doc.SetChar(0, r.Doc.Text().size(), f);
            r.Layout.Invalidate();
            if (l)
                InvalidateRect(h, nullptr, TRUE);
        }
        return 0;
    }
    case WM_SIZE:
        // A new width lays out everything again at the next question (see Laid).
        r.ScrollY = ClampScroll(h, r, r.ScrollY);
        UpdateScrollBar(h, r);
        return 0;
    case WM_VSCROLL:
        OnVScroll(h, r, LOWORD(w));
        return 0;
    case WM_MOUSEWHEEL:
        if (!(StyleOf(h) & ES_MULTILINE))
            return DefWindowProc(h, msg, w, l);
        // Three lines a notch.
        for (int n = std::abs(GET_WHEEL_DELTA_WPARAM(w)) / WHEEL_DELTA * 3; n > 0; --n)
            OnVScroll(h, r, GET_WHEEL_DELTA_WPARAM(w) > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        stdctl::PaintScope ps(h, w);
        PaintRichEdit(h, r, ps.Dc);
        return 0;
    }
    case WM_SETFOCUS:
        r.Focused = true;
        PlaceCaret(h, r);
        InvalidateRect(h, nullptr, TRUE);
        stdctl::Notify(h, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        r.Focused = false;
        DestroyCaret();
        InvalidateRect(h, nullptr, TRUE);
        stdctl::Notify(h, EN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN:
        return OnKeyDown(h, r, w);
    case WM_CHAR:
        return OnChar(h, r, w);
    case WM_IME_CHAR:
        if (Unicode(h))
            return OnChar(h, r, w);
        return OnChar(h, r, w);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (NotifyLink(h, r, msg, w, l))
            return 0;
        if (GetFocus() != h)
            SetFocus(h);
        std::size_t i = IndexAt(h, r, GET_X_LPARAM(l), GET_Y_LPARAM(l));
        r.Tracking = true;
        SetCapture(h);
        Move(h, r, i, (w & MK_SHIFT) != 0);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (r.Tracking) {
            Move(h, r, IndexAt(h, r, GET_X_LPARAM(l), GET_Y_LPARAM(l)), true);
            return 0;
        }
        NotifyLink(h, r, msg, w, l);
        return 0;
    case WM_LBUTTONUP:
        if (r.Tracking) {
            r.Tracking = false;
            ReleaseCapture();
        } else {
            NotifyLink(h, r, msg, w, l);
        }
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        if (NotifyLink(h, r, msg, w, l))
            return 0;
        return DefWindowProc(h, msg, w, l);
    case WM_SETCURSOR: {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(h, &p);
        CHARRANGE range;
        if (LOWORD(l) == HTCLIENT) {
            SetCursor(
                LoadCursor(nullptr, MAKEINTRESOURCE(LinkAt(h, r, p.X, p.Y, range) ? IDC_HAND : IDC_IBEAM)));
            return TRUE;
        }
        return DefWindowProc(h, msg, w, l);
    }
    default:
        return DefWindowProc(h, msg, w, l);
    }
}

} // namespace

void RegisterRichEditClass()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterStandardControlClasses();
    for (const char16_t* name : {u"RichEdit20W", u"RICHEDIT50W"}) {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = RichProc;
        wc.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_IBEAM));
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    WNDCLASS wc{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = RichProc;
    wc.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_IBEAM));
    wc.lpszClassName = "RichEdit20A";
    RegisterClass(&wc);
}
