#include "RudUvud/xlsadapter/XlsNumberFormat.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

const WideString Overflow = u"###################";

WideString W(const AnsiString& S)
{
    return UTF8Decode(S);
}

AnsiString A(const WideString& S)
{
    return UTF8Encode(S);
}

WideChar Up(WideChar C)
{
    return (C >= u'a' && C <= u'z') ? static_cast<WideChar>(C - 32) : C;
}

// Sections split at ";" outside quotes and escapes; at most four.
std::vector<WideString> SplitSections(const WideString& F)
{
    std::vector<WideString> out;
    WideString cur;
    bool inQuote = false;
    for (size_t i = 0; i < F.size(); ++i) {
        const WideChar c = F[i];
        if (c == u'"') {
            inQuote = !inQuote;
            cur += c;
        } else if (c == u'\\' && !inQuote) {
            cur += c;
            if (i + 1 < F.size())
                cur += F[++i];
        } else if (c == u';' && !inQuote) {
            out.push_back(cur);
            cur.clear();
            if (out.size() == 4)
                return out;
        } else
            cur += c;
    }
    out.push_back(cur);
    return out;
}

// The condition of a section, such as [<0] or [>=100], evaluated for X.
TResultCondition ReadCondition(const WideString& S, double X)
{
    TResultCondition r;
    bool inQuote = false;
    for (size_t i = 0; i < S.size(); ++i) {
        const WideChar c = S[i];
        if (c == u'"')
            inQuote = !inQuote;
        if (inQuote)
            continue;
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c != u'[' || i + 2 >= S.size())
            continue;
        size_t p = i + 1;
        WideString op;
        if (S[p] == u'<' || S[p] == u'=' || S[p] == u'>') {
            op += S[p++];
            if (p < S.size() && op != u"=" && (S[p] == u'=' || (op == u"<" && S[p] == u'>')))
                op += S[p++];
        }
        if (op.empty())
            continue;
        const size_t close = S.find(u']', p);
        if (close == WideString::npos)
            continue;
        Extended n;
        if (!TryStrToFloatInvariant(A(S.substr(p, close - p)), n))
            continue;
        bool met;
        if (op == u"<") {
            met = X < n;
            r.DropSign = n <= 0;
            r.DropSignOther = true;
        } else if (op == u"<=") {
            met = X <= n;
            r.DropSign = n <= 0;
            r.DropSignOther = true;
        } else if (op == u"<>") {
            met = X != n;
            r.DropSign = false;
            r.DropSignOther = true;
        } else if (op == u"=") {
            met = X == n;
            r.DropSign = true;
            r.DropSignOther = false;
        } else if (op == u">") {
            met = X > n;
            r.DropSign = false;
            r.DropSignOther = n <= 0;
        } else {
            met = X >= n;
            r.DropSign = false;
            r.DropSignOther = n <= 0;
        }
        r.HasCondition = true;
        r.NotMet = !met;
        return r;
    }
    return r;
}

// The section for X and whether its sign is dropped; -1 when no section is left for it.
Integer ChooseSection(const std::vector<WideString>& Sections, double X, bool& DropSign)
{
    const Integer n = static_cast<Integer>(Sections.size());
    TResultConditionArray cond(4);
    for (Integer i = 0; i < n; ++i)
        cond[i] = ReadCondition(Sections[i], X);
    for (Integer i = 0; i < n; ++i)
        if (cond[i].HasCondition && !cond[i].NotMet) {
            DropSign = cond[i].DropSign;
            return i;
        }
    DropSign = false;
    if (!cond[0].HasCondition && (X > 0 || n == 1 || (X == 0 && n <= 2)))
        return 0;
    if (cond[1].HasCondition || (X >= 0 && n > 2))
        return cond[2].HasCondition ? 3 : 2;
    DropSign = true;
    if (n == 2 && cond[0].HasCondition)
        DropSign = cond[0].DropSignOther;
    return 1;
}

struct TColorName {
    const char16_t* Name;
    Integer Color;
};
const TColorName ColorNames[] = {{u"Black", 0},        {u"Cyan", 0xFFFF00},    {u"Blue", 0xFF0000},
                                 {u"Green", 0x8000},   {u"Magenta", 0xFF00FF}, {u"Red", 0xFF},
                                 {u"White", 0xFFFFFF}, {u"Yellow", 0xFFFF}};

// A leading [Colour] (exact case): its length with the brackets, 0 when there is none.
size_t LeadingColor(const WideString& S, Integer& Color)
{
    if (S.empty() || S[0] != u'[')
        return 0;
    const size_t close = S.find(u']');
    if (close == WideString::npos)
        return 0;
    const WideString name = S.substr(1, close - 1);
    for (const TColorName& c : ColorNames)
        if (name == c.Name) {
            Color = c.Color;
            return close + 1;
        }
    return 0;
}

bool IsDateCode(WideChar C)
{
    switch (Up(C)) {
    case u'.':
    case u'/':
    case u':':
    case u'\\':
    case u'A':
    case u'C':
    case u'D':
    case u'H':
    case u'M':
    case u'N':
    case u'P':
    case u'Q':
    case u'S':
    case u'T':
    case u'W':
    case u'Y':
        return true;
    default:
        return false;
    }
}

bool IsNumberCode(WideChar C)
{
    return WideString(u"#%*+,-.0?Ee\\").find(C) != WideString::npos;
}

bool IsLiteral(WideChar C)
{
    // Currency signs and every other character beyond ASCII stand for themselves (\u00A3, \u20AC).
    return C >= 0x80 || WideString(u" !$&'()<=>^{}~").find(C) != WideString::npos;
}

// A character the runtime's number formatter would take as a code, given as a literal.
AnsiString QuotedForNumber(WideChar C)
{
    if (C == u'"')
        return "'\"'";
    return "\"" + A(WideString(1, C)) + "\"";
}

// Brackets other than a leading colour: [$symbol-locale] writes its symbol, every other bracket
// (conditions, colours later on, unsupported codes) is skipped. False when S[Pos] opens none.
bool SkipBracket(const WideString& S, size_t& Pos, WideString& Out)
{
    if (S[Pos] != u'[')
        return false;
    size_t p = Pos + 1;
    if (p < S.size() && S[p] == u'$') {
        ++p;
        while (p < S.size() && S[p] != u'-' && S[p] != u']')
            Out += S[p++];
    }
    const size_t close = S.find(u']', p);
    Pos = close == WideString::npos ? S.size() : close + 1;
    return true;
}

// Literal characters, escapes, fills, spacing and quoted text. False when S[Pos] is none of them.
bool Literal(const WideString& S, size_t& Pos, WideString& Out)
{
    const WideChar c = S[Pos];
    if (IsLiteral(c)) {
        Out += c;
        ++Pos;
    } else if (c == u'\\' || c == u'*') {
        // A fill repeats its character across the cell in a spreadsheet; here it is written once.
        if (Pos + 1 < S.size())
            Out += S[Pos + 1];
        Pos += 2;
    } else if (c == u'_') {
        Out += u' ';
        Pos += 2;
    } else if (c == u'"') {
        const size_t close = S.find(u'"', Pos + 1);
        const size_t end = close == WideString::npos ? S.size() : close;
        Out += S.substr(Pos + 1, end - Pos - 1);
        Pos = end + 1;
    } else
        return false;
    if (Pos > S.size())
        Pos = S.size();
    return true;
}

// What a section shows, from its codes outside quotes, escapes and brackets: a date or time (y, m,
// d, h or s codes, or an elapsed [h], [m] or [s]), an elapsed time, a fraction of a second (ss.0).
struct TSectionKind {
    bool Date = false;
    bool Elapsed = false;
    bool SecondFraction = false;
};

TSectionKind KindOf(const WideString& S)
{
    TSectionKind k;
    bool quoted = false;
    for (size_t i = 0; i < S.size(); ++i) {
        const WideChar c = S[i];
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        const WideChar u = Up(c);
        if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            // [h], [mm], [ss]: the letter repeated up to the bracket. Colours ([Magenta]),
            // conditions and locales are no time.
            size_t p = i + 1;
            const WideChar letter = p < S.size() ? Up(S[p]) : 0;
            while (p < S.size() && Up(S[p]) == letter)
                ++p;
            if ((letter == u'H' || letter == u'M' || letter == u'S') && p < S.size() && S[p] == u']')
                k.Date = k.Elapsed = true;
            const size_t close = S.find(u']', i);
            if (close == WideString::npos)
                break;
            i = close;
        } else if (u == u'Y' || u == u'M' || u == u'D' || u == u'H') {
            k.Date = true;
        } else if (u == u'S') {
            k.Date = true;
            if (i + 2 < S.size() && S[i + 1] == u'.' && S[i + 2] == u'0')
                k.SecondFraction = true;
        }
    }
    return k;
}

// The fraction that best approaches X (0 <= X) with a denominator of at most MaxDen, or with the
// denominator Fixed when it is above 0; the smaller denominator wins a tie.
void NearestFraction(double X, Integer MaxDen, Integer Fixed, long long& Num, long long& Den)
{
    if (Fixed > 0) {
        Den = Fixed;
        Num = std::llround(X * Fixed);
        return;
    }
    Num = std::llround(X);
    Den = 1;
    double best = std::fabs(X - static_cast<double>(Num));
    for (Integer d = 2; d <= MaxDen && best > 0; ++d) {
        const long long n = std::llround(X * d);
        const double err = std::fabs(X - static_cast<double>(n) / d);
        if (err < best - 1e-12) {
            best = err;
            Num = n;
            Den = d;
        }
    }
}

// Digits for the placeholders of Pattern (0 pads with zeros, ? with spaces, # with nothing): on
// the left of the number, or on its right (Right) as a denominator's are.
WideString PadDigits(long long N, const WideString& Pattern, bool Right, bool ShowZero)
{
    WideString digits = N == 0 && !ShowZero ? WideString() : W(std::to_string(N));
    WideString pad;
    for (size_t i = digits.size(); i < Pattern.size(); ++i) {
        const WideChar p = Pattern[Pattern.size() - 1 - i];
        pad += p == u'0' ? u'0' : p == u'?' ? u' ' : WideChar(0);
    }
    pad.erase(std::remove(pad.begin(), pad.end(), WideChar(0)), pad.end());
    if (Right) {
        for (WideChar& c : pad)
            if (c == u'0')
                c = u' ';
        return digits + pad;
    }
    return pad + digits;
}

bool IsPlaceholder(WideChar C)
{
    return C == u'0' || C == u'#' || C == u'?';
}

bool IsAMPMAt(const WideString& S, size_t P)
{
    return P + 2 < S.size() && S[P] == u'/' && Up(S[P + 1]) == u'P' && Up(S[P + 2]) == u'M';
}

class TSectionRenderer {
public:
    TSectionRenderer(const WideString& S, double X, bool DropSign, bool Is1904)
        : S(S), X(X), Drop(DropSign && X < 0), Is1904(Is1904), Kind(KindOf(S))
    {
        // An elapsed time without a fraction of a second counts whole seconds, to the nearest.
        if (Kind.Elapsed && !Kind.SecondFraction)
            this->X = std::round(X * 86400) / 86400;
    }

    bool HasDate = false, HasTime = false;

    // False when the section holds something the renderer does not understand.
    bool Render(Integer& Color, WideString& Out)
    {
        size_t pos = LeadingColor(S, Color);
        // The sign of a number a section shows with its own sign leads the whole text ("-\u00A33.00").
        if (!Kind.Date && !Drop && X < 0) {
            Out += u'-';
            Drop = true;
        }
        if (Fraction(pos, Out))
            return true;
        bool afterElapsedHours = false;
        while (pos < S.size()) {
            const size_t start = pos;
            const bool minuteStart = afterElapsedHours;
            afterElapsedHours = false;
            // A comma between date codes is text ("mmmm d, yyyy").
            if (Kind.Date && S[pos] == u',') {
                Out += u',';
                ++pos;
                continue;
            }
            if (Currency(pos, Out) || Elapsed(pos, Out, afterElapsedHours) || SkipBracket(S, pos, Out) ||
                Literal(S, pos, Out) || DateRun(pos, Out, minuteStart) || NumberRun(pos, Out)) {
                if (pos == start)
                    return false;
                continue;
            }
            return false;
        }
        return true;
    }

private:
    const WideString& S;
    double X;
    bool Drop;
    bool Is1904;
    TSectionKind Kind;

    // A fraction section: [text] [whole-number placeholders, spaces] numerator placeholders "/"
    // denominator placeholders or digits [text]. False (Out unchanged) when the section is no
    // fraction; true when it was written.
    bool Fraction(size_t From, WideString& Out)
    {
        if (Kind.Date)
            return false;
        // The slash outside quotes, escapes and brackets, with placeholders on its left.
        size_t slash = WideString::npos;
        bool quoted = false;
        for (size_t i = From; i < S.size(); ++i) {
            const WideChar c = S[i];
            if (c == u'"')
                quoted = !quoted;
            else if (quoted)
                continue;
            else if (c == u'\\' || c == u'_' || c == u'*')
                ++i;
            else if (c == u'[') {
                const size_t close = S.find(u']', i);
                i = close == WideString::npos ? S.size() : close;
            } else if (c == u'/') {
                slash = i;
                break;
            }
        }
        if (slash == WideString::npos || slash == From || !IsPlaceholder(S[slash - 1]))
            return false;
        size_t numStart = slash;
        while (numStart > From && IsPlaceholder(S[numStart - 1]))
            --numStart;
        size_t denEnd = slash + 1;
        while (denEnd < S.size() && (IsPlaceholder(S[denEnd]) || (S[denEnd] >= u'0' && S[denEnd] <= u'9')))
            ++denEnd;
        if (denEnd == slash + 1)
            return false;
        const WideString numPattern = S.substr(numStart, slash - numStart);
        const WideString denPattern = S.substr(slash + 1, denEnd - slash - 1);
        // The whole-number part: placeholders, then the spaces that part it from the numerator.
        size_t gapStart = numStart;
        while (gapStart > From && S[gapStart - 1] == u' ')
            --gapStart;
        size_t wholeStart = gapStart;
        while (gapStart < numStart && wholeStart > From && IsPlaceholder(S[wholeStart - 1]))
            --wholeStart;
        const bool hasWhole = wholeStart < gapStart;
        const WideString wholePattern = S.substr(wholeStart, gapStart - wholeStart);
        const WideString gap = hasWhole ? S.substr(gapStart, numStart - gapStart) : WideString();

        // Denominators of up to five digits; beyond them (and for numbers too large to show as
        // a fraction) the section is not taken as one.
        const double x = std::fabs(X);
        if (denPattern.size() > 5 || numPattern.size() > 15 || !(x < 1e12))
            return false;
        Integer fixed = 0;
        if (denPattern.find_first_not_of(u"0123456789") == WideString::npos)
            fixed = std::atoi(A(denPattern).c_str());
        if (denPattern.find_first_of(u"123456789") != WideString::npos && fixed <= 0)
            return false;
        double whole = hasWhole ? std::floor(x) : 0;
        long long num = 0, den = 1;
        const Integer maxDen =
            static_cast<Integer>(std::pow(10.0, static_cast<double>(denPattern.size()))) - 1;
        NearestFraction(x - whole, maxDen, fixed, num, den);
        if (hasWhole && num == den) {
            whole += 1;
            num = 0;
        }

        WideString text;
        size_t pos = From;
        while (pos < wholeStart)
            if (!SkipBracket(S, pos, text) && !Literal(S, pos, text))
                return false;
        const long long w = static_cast<long long>(whole);
        if (hasWhole)
            text += PadDigits(w, wholePattern, false, w != 0 || num == 0);
        if (hasWhole && num == 0) {
            // No fraction: its place is kept blank, the denominator's digits included.
            text +=
                WideString(gap.size() + numPattern.size() + 1 + (fixed > 0 ? 0 : denPattern.size()), u' ');
        } else {
            text += gap;
            text += PadDigits(num, numPattern, false, true);
            text += u'/';
            text += fixed > 0 ? W(std::to_string(den)) : PadDigits(den, denPattern, true, true);
        }
        pos = denEnd;
        while (pos < S.size())
            if (!SkipBracket(S, pos, text) && !Literal(S, pos, text))
                return false;
        Out += text;
        return true;
    }

    bool Currency(size_t& Pos, WideString& Out)
    {
        if (S[Pos] != u'[' || Pos + 1 >= S.size() || S[Pos + 1] != u'$' || S.size() - Pos < 4)
            return false;
        return SkipBracket(S, Pos, Out);
    }

    bool Elapsed(size_t& Pos, WideString& Out, bool& Hours)
    {
        if (S[Pos] != u'[' || Pos + 1 >= S.size())
            return false;
        const WideChar letter = Up(S[Pos + 1]);
        if (letter != u'H' && letter != u'M' && letter != u'S')
            return false;
        size_t p = Pos + 1;
        while (p < S.size() && Up(S[p]) == letter)
            ++p;
        if (p >= S.size() || S[p] != u']')
            return false;
        const double factor = letter == u'H' ? 24 : letter == u'M' ? 1440 : 86400;
        const double v = std::trunc(X * factor);
        const Integer digits = static_cast<Integer>(p - Pos - 1);
        AnsiString text = FormatFloat(AnsiString(static_cast<size_t>(digits), '0'), std::fabs(v));
        if (v < 0)
            text = "-" + text;
        Out += W(text);
        HasTime = true;
        Hours = letter == u'H';
        Pos = p + 1;
        return true;
    }

    // Whether the section shows AM/PM or A/P anywhere outside quotes: its hours count to 12.
    bool TwelveHour() const
    {
        bool quoted = false;
        for (size_t i = 0; i < S.size(); ++i) {
            const WideChar c = S[i];
            if (c == u'"')
                quoted = !quoted;
            else if (quoted)
                continue;
            else if (c == u'\\')
                ++i;
            else if (Up(c) == u'A' && i + 2 < S.size() && S[i + 2] == u'/' && Up(S[i + 1]) == u'M' &&
                     IsAMPMAt(S, i + 2))
                return true;
            else if (Up(c) == u'A' && i + 2 < S.size() && S[i + 1] == u'/' && Up(S[i + 2]) == u'P')
                return true;
        }
        return false;
    }

    // Whether the m's at P are followed, past a separator, by seconds: then they are minutes
    // (mm:ss), as after an hour.
    bool SecondsFollow(size_t P) const
    {
        while (P < S.size() && Up(S[P]) == u'M')
            ++P;
        while (P < S.size() && (S[P] == u':' || S[P] == u' ' || S[P] == u'.'))
            ++P;
        return P < S.size() && Up(S[P]) == u'S';
    }

    bool DateRun(size_t& Pos, WideString& Out, bool MinuteState)
    {
        if (!IsDateCode(S[Pos]))
            return false;
        WideString fmt;
        size_t p = Pos;
        // A point and zeros after seconds (ss.00) show the fraction of the second.
        const auto secondFraction = [&](size_t i) {
            return S[i] == u'.' && i + 1 < S.size() && S[i + 1] == u'0' && !fmt.empty() &&
                   Up(fmt.back()) == u'S';
        };
        while (p < S.size() && (IsDateCode(S[p]) || secondFraction(p))) {
            if (secondFraction(p)) {
                size_t n = 0;
                for (++p; p < S.size() && S[p] == u'0'; ++p)
                    ++n;
                n = std::min<size_t>(n, 3);
                const double scale = std::pow(10.0, static_cast<double>(n));
                const double seconds = std::fabs(X) * 86400;
                // Truncated, as the whole seconds before it are.
                const auto part = static_cast<long long>((seconds - std::floor(seconds)) * scale + 1e-6);
                AnsiString digits = std::to_string(part);
                digits.insert(0, n - std::min(n, digits.size()), '0');
                fmt += u"\".";
                fmt += W(digits);
                fmt += u'"';
                continue;
            }
            WideChar c = S[p];
            if (c == u'\\') {
                if (p + 1 >= S.size()) {
                    // A trailing escape: the run ends unwritten.
                    Pos = S.size();
                    return true;
                }
                c = S[++p];
            }
            const WideChar u = Up(c);
            if (c == u'/' && fmt.size() >= 2 && Up(fmt[fmt.size() - 2]) == u'A' && Up(fmt.back()) == u'M' &&
                IsAMPMAt(S, p)) {
                fmt += u"PM";
                HasTime = true;
                p += 3;
                continue;
            }
            if (u == u'H' && TwelveHour()) {
                // The runtime only turns to a 12-hour clock when the marker is in the same run,
                // and a space or a literal usually parts them: the hour is written here instead.
                size_t n = 0;
                while (p < S.size() && Up(S[p]) == u'H') {
                    ++n;
                    ++p;
                }
                const Integer h24 = std::atoi(TryFormatDateTime1904("h", X, Is1904).c_str());
                const Integer h12 = h24 % 12 == 0 ? 12 : h24 % 12;
                AnsiString digits = std::to_string(h12);
                if (n >= 2 && digits.size() < 2)
                    digits = "0" + digits;
                fmt += u'"';
                fmt += W(digits);
                fmt += u'"';
                MinuteState = true;
                HasTime = true;
                continue;
            }
            if (u == u'H') {
                MinuteState = true;
                HasTime = true;
                fmt += c;
            } else if (u == u'M' && (MinuteState || SecondsFollow(p))) {
                while (p < S.size() && Up(S[p]) == u'M') {
                    fmt += u'n';
                    ++p;
                }
                MinuteState = false;
                HasTime = true;
                continue;
            } else if (u == u'M') {
                // The M of an AM/PM marker is no month.
                const bool marker = !fmt.empty() && Up(fmt.back()) == u'A' && IsAMPMAt(S, p + 1);
                if (!marker)
                    HasDate = true;
                fmt += c;
            } else {
                if (u == u'C' || u == u'D' || u == u'Y')
                    HasDate = true;
                if (u == u'N' || u == u'S')
                    HasTime = true;
                fmt += c;
            }
            ++p;
        }
        Out += W(TryFormatDateTime1904(A(fmt), X, Is1904));
        Pos = p;
        return true;
    }

    bool NumberRun(size_t& Pos, WideString& Out)
    {
        if (!IsNumberCode(S[Pos]))
            return false;
        double v = Drop ? std::fabs(X) : X;
        AnsiString fmt;
        size_t p = Pos;
        while (p < S.size() && IsNumberCode(S[p])) {
            WideChar c = S[p];
            bool escaped = false;
            if (c == u'\\') {
                if (++p >= S.size())
                    break;
                c = S[p];
                escaped = true;
            }
            if (c == u'%') {
                if (!escaped)
                    v *= 100;
                fmt += '%';
            } else if (c == u'?')
                fmt += '#';
            else if (c == u'*') {
                if (++p < S.size())
                    fmt += QuotedForNumber(S[p]);
            } else if (escaped && !IsNumberCode(c))
                fmt += QuotedForNumber(c);
            else
                fmt += static_cast<char>(c);
            ++p;
        }
        Out += W(FormatFloat(fmt, v));
        Pos = p;
        return true;
    }
};

WideString PlainText(const TXlsVariant& Value, bool Drop)
{
    TXlsVariant v = Value;
    if (Drop && v.Number < 0)
        v.Number = -v.Number;
    return VariantToString(v);
}

WideString RenderNumber(const TXlsVariant& Value, const WideString& Format, bool Is1904, Integer& Color,
                        bool& HasDate, bool& HasTime)
{
    const double x = Value.Number;
    const std::vector<WideString> sections = SplitSections(Format);
    bool drop = false;
    const Integer chosen = ChooseSection(sections, x, drop);
    if (chosen >= static_cast<Integer>(sections.size()))
        return Overflow;
    const WideString& s = sections[chosen];
    const WideString upper = WideUpperCase98(s);
    if (upper.find(u"[$-F800]") != WideString::npos) {
        HasDate = true;
        return W(TryFormatDateTime1904(LongDateFormat, x, Is1904));
    }
    if (upper.find(u"[$-F400]") != WideString::npos) {
        HasTime = true;
        return W(TryFormatDateTime1904(LongTimeFormat, x, Is1904));
    }
    if (Value.VarType == xvDate && x < 0)
        return Overflow;
    TSectionRenderer r(s, x, drop, Is1904);
    WideString out;
    Integer color = Color;
    const bool ok = r.Render(color, out);
    HasDate = r.HasDate;
    HasTime = r.HasTime;
    if (!ok)
        out = PlainText(Value, drop && x < 0);
    Color = color;
    return out;
}

WideString RenderText(const WideString& Text, const WideString& Format, Integer& Color)
{
    const std::vector<WideString> sections = SplitSections(Format);
    const WideString* s = nullptr;
    if (sections.size() >= 4)
        s = &sections[3];
    else if (sections[0].find(u'@') != WideString::npos)
        s = &sections[0];
    else {
        Integer color = Color;
        const size_t n = LeadingColor(sections[0], color);
        if (n > 0) {
            const WideString rest = WideUpperCase98(sections[0].substr(n));
            if (rest.empty() || rest == u"GENERAL")
                Color = color;
        }
        return Text;
    }
    WideString out;
    Integer color = Color;
    size_t pos = LeadingColor(*s, color);
    while (pos < s->size()) {
        const size_t start = pos;
        if ((*s)[pos] == u'@') {
            out += Text;
            ++pos;
        } else if (!SkipBracket(*s, pos, out) && !Literal(*s, pos, out))
            return Text;
        if (pos == start)
            return Text;
    }
    Color = color;
    return out;
}

WideString FormatValue(const TXlsVariant& Value, const WideString& Format, bool Is1904, Integer& Color,
                       bool& HasDate, bool& HasTime)
{
    HasDate = HasTime = false;
    if (Value.IsEmpty())
        return WideString();
    if (Format.empty())
        return VariantToString(Value);
    switch (Value.VarType) {
    case xvBoolean:
        return Value.Boolean ? u"TRUE" : u"FALSE";
    case xvString:
        return RenderText(Value.Text, Format, Color);
    case xvNumber:
    case xvDate:
        return RenderNumber(Value, Format, Is1904, Color, HasDate, HasTime);
    default:
        return VariantToString(Value);
    }
}

} // namespace

WideString XlsFormatValue(const TXlsVariant& Value, const WideString& Format, Integer& Color)
{
    return XlsFormatValue1904(Value, Format, false, Color);
}

WideString XlsFormatValue1904(const TXlsVariant& Value, const WideString& Format, bool Is1904, Integer& Color)
{
    bool d, t;
    return FormatValue(Value, Format, Is1904, Color, d, t);
}

bool HasXlsDateTime(const WideString& Format, bool& HasDate, bool& HasTime)
{
    Integer color = -1;
    FormatValue(TXlsVariant::FromNumber(10), Format, false, color, HasDate, HasTime);
    return HasDate || HasTime;
}
