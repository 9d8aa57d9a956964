#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char32_t ReplacementChar = 0xFFFD;

template <class S> S CopyImpl(const S& Text, Integer Index, Integer Count)
{
    const Int64 Size = static_cast<Int64>(Text.size());
    Int64 First = Index < 1 ? 1 : Index;
    if (Count < 1 || First > Size)
        return S();
    Int64 N = std::min<Int64>(Count, Size - First + 1);
    return Text.substr(static_cast<std::size_t>(First - 1), static_cast<std::size_t>(N));
}

template <class S> Integer PosImpl(const S& Substr, const S& Text)
{
    if (Substr.empty())
        return 0;
    const auto At = Text.find(Substr);
    return At == S::npos ? 0 : static_cast<Integer>(At + 1);
}

template <class S> void DeleteImpl(S& Text, Integer Index, Integer Count)
{
    const Int64 Size = static_cast<Int64>(Text.size());
    if (Index < 1 || Index > Size || Count < 1)
        return;
    const Int64 N = std::min<Int64>(Count, Size - Index + 1);
    Text.erase(static_cast<std::size_t>(Index - 1), static_cast<std::size_t>(N));
}

template <class S> void InsertImpl(const S& Source, S& Text, Integer Index)
{
    Int64 At = Index < 1 ? 1 : Index;
    if (At > static_cast<Int64>(Text.size()))
        At = static_cast<Int64>(Text.size()) + 1;
    Text.insert(static_cast<std::size_t>(At - 1), Source);
}

template <class S> S TrimImpl(const S& Text, bool Left, bool Right)
{
    std::size_t First = 0;
    std::size_t Last = Text.size();
    // Unsigned compare, so UTF-8 lead bytes (>= 0x80) are never taken for control characters.
    auto Blank = [](auto C) { return static_cast<std::make_unsigned_t<decltype(C)>>(C) <= ' '; };
    if (Left)
        while (First < Last && Blank(Text[First]))
            ++First;
    if (Right)
        while (Last > First && Blank(Text[Last - 1]))
            --Last;
    return Text.substr(First, Last - First);
}

template <class S> S AsciiCase(S Text, bool Upper)
{
    for (auto& C : Text) {
        if (Upper && C >= 'a' && C <= 'z')
            C = static_cast<typename S::value_type>(C - 'a' + 'A');
        else if (!Upper && C >= 'A' && C <= 'Z')
            C = static_cast<typename S::value_type>(C - 'A' + 'a');
    }
    return Text;
}

void AppendWide(WideString& S, char32_t C)
{
    if (C >= 0x10000 && C <= 0x10FFFF) {
        C -= 0x10000;
        S.push_back(static_cast<char16_t>(0xD800 + (C >> 10)));
        S.push_back(static_cast<char16_t>(0xDC00 + (C & 0x3FF)));
    } else if (C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) {
        S.push_back(static_cast<char16_t>(ReplacementChar));
    } else {
        S.push_back(static_cast<char16_t>(C));
    }
}

// Maps every valid UTF-8 character through Map; invalid bytes are copied unchanged so that the
// routine never alters what it cannot read.
template <class F> AnsiString MapUtf8(const AnsiString& S, F Map)
{
    AnsiString Result;
    Result.reserve(S.size());
    std::size_t I = 0;
    while (I < S.size()) {
        const unsigned char B = static_cast<unsigned char>(S[I]);
        if (B < 0x80) {
            Result.push_back(static_cast<char>(Map(B)));
            ++I;
            continue;
        }
        const std::size_t Start = I;
        const char32_t C = NextUtf8Char(S, I);
        if (C == ReplacementChar && !(I - Start == 3 && S.compare(Start, 3, "\xEF\xBF\xBD") == 0))
            Result.append(S, Start, I - Start);
        else
            AppendUtf8(Result, Map(C));
    }
    return Result;
}

int Sign(Int64 V)
{
    return V < 0 ? -1 : (V > 0 ? 1 : 0);
}

// Upper-cases S with the locale mapping and records, for every unit of the result, the offset of
// the character of S it came from (plus one entry for the end). Case mapping may change a
// character's encoded length, so matches found in the folded text are mapped back through it.
struct TFolded8 {
    AnsiString Text;
    std::vector<std::size_t> Origin;
};

TFolded8 FoldUtf8(const AnsiString& S)
{
    TFolded8 R;
    R.Text.reserve(S.size());
    R.Origin.reserve(S.size() + 1);
    std::size_t I = 0;
    while (I < S.size()) {
        const std::size_t Start = I;
        const std::size_t Before = R.Text.size();
        const char32_t C = NextUtf8Char(S, I);
        if (C == ReplacementChar && !(I - Start == 3 && S.compare(Start, 3, "\xEF\xBF\xBD") == 0))
            R.Text.append(S, Start, I - Start); // an invalid byte stays as it is
        else
            AppendUtf8(R.Text, UnicodeUpper(C));
        R.Origin.insert(R.Origin.end(), R.Text.size() - Before, Start);
    }
    R.Origin.push_back(S.size());
    return R;
}

struct TFolded16 {
    WideString Text;
    std::vector<std::size_t> Origin;
};

TFolded16 FoldUtf16(const WideString& S)
{
    TFolded16 R;
    R.Text.reserve(S.size());
    R.Origin.reserve(S.size() + 1);
    std::size_t I = 0;
    while (I < S.size()) {
        const std::size_t Start = I;
        const std::size_t Before = R.Text.size();
        const char32_t C = NextWideChar(S, I);
        if (C == ReplacementChar && S[Start] != 0xFFFD)
            R.Text.append(S, Start, I - Start); // a lone surrogate stays as it is
        else
            AppendWide(R.Text, UnicodeUpper(C));
        R.Origin.insert(R.Origin.end(), R.Text.size() - Before, Start);
    }
    R.Origin.push_back(S.size());
    return R;
}

template <class S, class Folded>
S ReplaceImpl(const S& Text, const S& OldPattern, const S& NewPattern, TReplaceFlags Flags, Folded Fold)
{
    if (OldPattern.empty())
        return Text;
    const bool IgnoreCase = Flags.Contains(rfIgnoreCase);
    auto FoldedText = IgnoreCase ? Fold(Text) : decltype(Fold(Text)){Text, {}};
    const S Pattern = IgnoreCase ? Fold(OldPattern).Text : OldPattern;
    auto Original = [&](std::size_t At) { return IgnoreCase ? FoldedText.Origin[At] : At; };
    S Result;
    std::size_t From = 0;   // in the folded text
    std::size_t Copied = 0; // in the original text
    for (;;) {
        const auto At = FoldedText.Text.find(Pattern, From);
        if (At == S::npos)
            break;
        Result.append(Text, Copied, Original(At) - Copied);
        Result.append(NewPattern);
        From = At + Pattern.size();
        Copied = Original(From);
        if (!Flags.Contains(rfReplaceAll))
            break;
    }
    Result.append(Text, Copied, S::npos);
    return Result;
}

} // namespace
// ---- Case tables ---------------------------------------------------------------------------------

// ---- Length, Copy, Pos, Delete, Insert ---------------------------------------------------------

AnsiString Copy(const AnsiString& S, Integer Index, Integer Count)
{
    return CopyImpl(S, Index, Count);
}
WideString Copy(const WideString& S, Integer Index, Integer Count)
{
    return CopyImpl(S, Index, Count);
}
Integer Pos(const AnsiString& Substr, const AnsiString& S)
{
    return PosImpl(Substr, S);
}
Integer Pos(const WideString& Substr, const WideString& S)
{
    return PosImpl(Substr, S);
}
Integer Pos(char C, const AnsiString& S)
{
    return PosImpl(AnsiString(1, C), S);
}
Integer Pos(WideChar C, const WideString& S)
{
    return PosImpl(WideString(1, C), S);
}
Integer AnsiPos(const AnsiString& Substr, const AnsiString& S)
{
    return PosImpl(Substr, S);
}
void Delete(AnsiString& S, Integer Index, Integer Count)
{
    DeleteImpl(S, Index, Count);
}
void Delete(WideString& S, Integer Index, Integer Count)
{
    DeleteImpl(S, Index, Count);
}
void Insert(const AnsiString& Source, AnsiString& S, Integer Index)
{
    InsertImpl(Source, S, Index);
}
void Insert(const WideString& Source, WideString& S, Integer Index)
{
    InsertImpl(Source, S, Index);
}

Integer LastDelimiter(const AnsiString& Delimiters, const AnsiString& S)
{
    const auto At = S.find_last_of(Delimiters);
    return At == AnsiString::npos ? 0 : static_cast<Integer>(At + 1);
}

AnsiString StringOfChar(char Ch, Integer Count)
{
    return Count > 0 ? AnsiString(Count, Ch) : AnsiString();
}
WideString StringOfChar(WideChar Ch, Integer Count)
{
    return Count > 0 ? WideString(Count, Ch) : WideString();
}

// ---- Trimming, case, replacing ------------------------------------------------------------------

AnsiString Trim(const AnsiString& S)
{
    return TrimImpl(S, true, true);
}
AnsiString TrimLeft(const AnsiString& S)
{
    return TrimImpl(S, true, false);
}
AnsiString TrimRight(const AnsiString& S)
{
    return TrimImpl(S, false, true);
}
WideString Trim(const WideString& S)
{
    return TrimImpl(S, true, true);
}
WideString TrimLeft(const WideString& S)
{
    return TrimImpl(S, true, false);
}
WideString TrimRight(const WideString& S)
{
    return TrimImpl(S, false, true);
}

AnsiString UpperCase(const AnsiString& S)
{
    return AsciiCase(S, true);
}
AnsiString LowerCase(const AnsiString& S)
{
    return AsciiCase(S, false);
}
WideString UpperCase(const WideString& S)
{
    return AsciiCase(S, true);
}
WideString LowerCase(const WideString& S)
{
    return AsciiCase(S, false);
}

AnsiString AnsiUpperCase(const AnsiString& S)
{
    // Full mapping ("ß" -> "SS") for readable text; text with invalid bytes is mapped character
    // by character so that the bytes it cannot read stay as they are.
    if (IsValidUtf8(S))
        return WideToAnsi(WideUpperCase(AnsiToWide(S)));
    return MapUtf8(S, UnicodeUpper);
}
AnsiString AnsiLowerCase(const AnsiString& S)
{
    if (IsValidUtf8(S))
        return WideToAnsi(WideLowerCase(AnsiToWide(S)));
    return MapUtf8(S, UnicodeLower);
}

AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern, const AnsiString& NewPattern,
                         TReplaceFlags Flags)
{
    return ReplaceImpl(S, OldPattern, NewPattern, Flags, FoldUtf8);
}

WideString StringReplace(const WideString& S, const WideString& OldPattern, const WideString& NewPattern,
                         TReplaceFlags Flags)
{
    return ReplaceImpl(S, OldPattern, NewPattern, Flags, FoldUtf16);
}

AnsiString AnsiQuotedStr(const AnsiString& S, char Quote)
{
    AnsiString Result(1, Quote);
    for (char C : S) {
        Result.push_back(C);
        if (C == Quote)
            Result.push_back(C);
    }
    Result.push_back(Quote);
    return Result;
}

AnsiString QuotedStr(const AnsiString& S)
{
    return AnsiQuotedStr(S, '\'');
}

AnsiString AdjustLineBreaks(const AnsiString& S)
{
    AnsiString Result;
    Result.reserve(S.size() + S.size() / 8);
    for (std::size_t I = 0; I < S.size(); ++I) {
        const char C = S[I];
        if (C == '\r' || C == '\n') {
            if (C == '\r' && I + 1 < S.size() && S[I + 1] == '\n')
                ++I;
            Result += "\r\n";
        } else {
            Result.push_back(C);
        }
    }
    return Result;
}

// ---- Comparison ---------------------------------------------------------------------------------

Integer CompareStr(const AnsiString& S1, const AnsiString& S2)
{
    return Sign(S1.compare(S2));
}

Integer CompareText(const AnsiString& S1, const AnsiString& S2)
{
    const std::size_t N = std::min(S1.size(), S2.size());
    for (std::size_t I = 0; I < N; ++I) {
        unsigned char A = static_cast<unsigned char>(S1[I]);
        unsigned char B = static_cast<unsigned char>(S2[I]);
        if (A >= 'a' && A <= 'z')
            A -= 32;
        if (B >= 'a' && B <= 'z')
            B -= 32;
        if (A != B)
            return A < B ? -1 : 1;
    }
    return Sign(static_cast<Int64>(S1.size()) - static_cast<Int64>(S2.size()));
}

bool SameStr(const AnsiString& S1, const AnsiString& S2)
{
    return S1 == S2;
}
bool SameText(const AnsiString& S1, const AnsiString& S2)
{
    return CompareText(S1, S2) == 0;
}
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2)
{
    return S1 == S2;
}
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2)
{
    return AnsiCompareText(S1, S2) == 0;
}
bool WideSameStr(const WideString& S1, const WideString& S2)
{
    return S1 == S2;
}
bool WideSameText(const WideString& S1, const WideString& S2)
{
    return WideCompareText(S1, S2) == 0;
}

// ---- Zero-terminated strings --------------------------------------------------------------------

Cardinal StrLen(const char* Str)
{
    return Str ? static_cast<Cardinal>(std::strlen(Str)) : 0;
}
AnsiString StrPas(const char* Str)
{
    return Str ? AnsiString(Str) : AnsiString();
}

char* StrPCopy(char* Dest, const AnsiString& Source)
{
    std::memcpy(Dest, Source.data(), Source.size());
    Dest[Source.size()] = '\0';
    return Dest;
}

Integer StrComp(const char* Str1, const char* Str2)
{
    return StrLComp(Str1, Str2, 0xFFFFFFFFu);
}

namespace {
Integer StrLCompFolded(const char* Str1, const char* Str2, Cardinal MaxLen, bool Fold)
{
    Str1 = Str1 ? Str1 : "";
    Str2 = Str2 ? Str2 : "";
    for (Cardinal I = 0; I < MaxLen; ++I) {
        unsigned char A = static_cast<unsigned char>(Str1[I]);
        unsigned char B = static_cast<unsigned char>(Str2[I]);
        if (Fold) {
            if (A >= 'a' && A <= 'z')
                A -= 32;
            if (B >= 'a' && B <= 'z')
                B -= 32;
        }
        if (A != B)
            return A < B ? -1 : 1;
        if (A == 0)
            return 0;
    }
    return 0;
}
} // namespace

Integer StrLComp(const char* Str1, const char* Str2, Cardinal MaxLen)
{
    return StrLCompFolded(Str1, Str2, MaxLen, false);
}

Integer StrLIComp(const char* Str1, const char* Str2, Cardinal MaxLen)
{
    return StrLCompFolded(Str1, Str2, MaxLen, true);
}

Integer AnsiStrLIComp(const char* Str1, const char* Str2, Cardinal MaxLen)
{
    // Only the first MaxLen bytes count; a character cut at the limit reads as U+FFFD on both sides.
    const AnsiString A(Str1 ? Str1 : "", std::min<std::size_t>(StrLen(Str1), MaxLen));
    const AnsiString B(Str2 ? Str2 : "", std::min<std::size_t>(StrLen(Str2), MaxLen));
    return AnsiCompareText(A, B);
}

// ---- UTF-8 and UTF-16 ---------------------------------------------------------------------------

bool ReadUtf8Char(const AnsiString& S, std::size_t& Index, char32_t& C)
{
    const std::size_t Size = S.size();
    const unsigned char B0 = static_cast<unsigned char>(S[Index]);
    C = ReplacementChar;
    if (B0 < 0x80) {
        ++Index;
        C = B0;
        return true;
    }
    std::size_t Need;
    char32_t Value;
    char32_t Min;
    if (B0 >= 0xC2 && B0 <= 0xDF) {
        Need = 1, Value = B0 & 0x1F, Min = 0x80;
    } else if (B0 >= 0xE0 && B0 <= 0xEF) {
        Need = 2, Value = B0 & 0x0F, Min = 0x800;
    } else if (B0 >= 0xF0 && B0 <= 0xF4) {
        Need = 3, Value = B0 & 0x07, Min = 0x10000;
    } else {
        ++Index;
        return false;
    }
    for (std::size_t K = 1; K <= Need; ++K) {
        if (Index + K >= Size) {
            ++Index;
            return false;
        }
        const unsigned char B = static_cast<unsigned char>(S[Index + K]);
        if ((B & 0xC0) != 0x80) {
            ++Index;
            return false;
        }
        Value = (Value << 6) | (B & 0x3F);
    }
    if (Value < Min || Value > 0x10FFFF || (Value >= 0xD800 && Value <= 0xDFFF)) {
        ++Index;
        return false;
    }
    Index += Need + 1;
    C = Value;
    return true;
}

char32_t NextUtf8Char(const AnsiString& S, std::size_t& Index)
{
    char32_t C;
    ReadUtf8Char(S, Index, C);
    return C;
}

bool IsValidUtf8(const AnsiString& S)
{
    std::size_t I = 0;
    char32_t C;
    while (I < S.size())
        if (!ReadUtf8Char(S, I, C))
            return false;
    return true;
}

void AppendUtf8(AnsiString& S, char32_t C)
{
    if (C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF))
        C = ReplacementChar;
    if (C < 0x80) {
        S.push_back(static_cast<char>(C));
    } else if (C < 0x800) {
        S.push_back(static_cast<char>(0xC0 | (C >> 6)));
        S.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    } else if (C < 0x10000) {
        S.push_back(static_cast<char>(0xE0 | (C >> 12)));
        S.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
        S.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    } else {
        S.push_back(static_cast<char>(0xF0 | (C >> 18)));
        S.push_back(static_cast<char>(0x80 | ((C >> 12) & 0x3F)));
        S.push_back(static_cast<char>(0x80 | ((C >> 6) & 0x3F)));
        S.push_back(static_cast<char>(0x80 | (C & 0x3F)));
    }
}

char32_t NextWideChar(std::u16string_view S, std::size_t& Index)
{
    const char16_t C = S[Index++];
    if (C >= 0xD800 && C <= 0xDBFF) {
        if (Index < S.size() && S[Index] >= 0xDC00 && S[Index] <= 0xDFFF) {
            const char16_t Low = S[Index++];
            return 0x10000 + ((static_cast<char32_t>(C) - 0xD800) << 10) + (Low - 0xDC00);
        }
        return ReplacementChar;
    }
    if (C >= 0xDC00 && C <= 0xDFFF)
        return ReplacementChar;
    return C;
}

WideString AnsiToWide(const AnsiString& S)
{
    WideString Result;
    Result.reserve(S.size());
    std::size_t I = 0;
    while (I < S.size())
        AppendWide(Result, NextUtf8Char(S, I));
    return Result;
}

WideString AnsiToWide(const char* S, std::size_t Length)
{
    return S ? AnsiToWide(AnsiString(S, Length)) : WideString();
}

AnsiString WideToAnsi(const WideString& S)
{
    AnsiString Result;
    Result.reserve(S.size() * 3 / 2);
    std::size_t I = 0;
    while (I < S.size())
        AppendUtf8(Result, NextWideChar(S, I));
    return Result;
}

AnsiString WideToAnsi(const WideChar* S, std::size_t Length)
{
    return S ? WideToAnsi(WideString(S, Length)) : AnsiString();
}

AnsiString WideCharToString(const WideChar* S)
{
    return S ? WideToAnsi(WideString(S)) : AnsiString();
}

// ---- Character classification ---------------------------------------------------------------

bool IsDigit(char32_t C)
{
    return (C >= '0' && C <= '9') || (C >= 0xFF10 && C <= 0xFF19) || (C >= 0x660 && C <= 0x669) ||
           (C >= 0x6F0 && C <= 0x6F9) || (C >= 0x966 && C <= 0x96F);
}

bool IsUpper(char32_t C)
{
    return UnicodeLower(C) != C;
}
bool IsLower(char32_t C)
{
    return UnicodeUpper(C) != C || C == 0xDF || C == 0x138 || C == 0x149;
}

bool IsLetter(char32_t C)
{
    if (C < 0x80)
        return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
    if (IsUpper(C) || IsLower(C))
        return true;
    struct Range {
        char32_t First, Last;
    };
    // Letters without case: ordinal indicators, Latin extensions, Hebrew and Arabic letters, Thai,
    // Hangul jamo and syllables, kana, CJK ideographs and their extensions, full-width and
    // half-width kana.
    static constexpr Range Ranges[] = {
        {0xAA, 0xAA},     {0xBA, 0xBA},     {0x180, 0x24F},     {0x250, 0x2AF},     {0x5D0, 0x5EA},
        {0x620, 0x64A},   {0xE01, 0xE30},   {0x1100, 0x11FF},   {0x3005, 0x3006},   {0x3041, 0x3096},
        {0x309D, 0x309F}, {0x30A1, 0x30FA}, {0x30FC, 0x30FF},   {0x3105, 0x312F},   {0x3131, 0x318E},
        {0x31A0, 0x31BF}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
        {0xFF66, 0xFF9F}, {0xFFA0, 0xFFDC}, {0x20000, 0x2FA1F}, {0x30000, 0x3134F},
    };
    for (const Range& R : Ranges)
        if (C >= R.First && C <= R.Last)
            return true;
    return false;
}

bool IsLetterOrDigit(char32_t C)
{
    return IsLetter(C) || IsDigit(C);
}

bool IsWhiteSpace(char32_t C)
{
    return C == ' ' || (C >= 0x09 && C <= 0x0D) || C == 0x85 || C == 0xA0 || C == 0x1680 ||
           (C >= 0x2000 && C <= 0x200A) || C == 0x2028 || C == 0x2029 || C == 0x202F || C == 0x205F ||
           C == 0x3000;
}
