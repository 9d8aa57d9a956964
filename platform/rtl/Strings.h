#pragma once

// String routines of the runtime library. AnsiString holds UTF-8 and every position is a
// 1-based byte index; WideString holds UTF-16 and positions count UTF-16 units. Routines named
// Ansi... and Wide... are the "locale" forms: they treat the text as Unicode characters (full
// Unicode case mapping, the locale's collation); the plain forms work on ASCII only, byte by
// byte.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>

// ---- Length, Copy, Pos, Delete, Insert ---------------------------------------------------------

inline Integer Length(const AnsiString& S)
{
    return static_cast<Integer>(S.size());
}
inline Integer Length(const WideString& S)
{
    return static_cast<Integer>(S.size());
}

// Count characters from Index (1-based). Index below 1 reads from the first character; an Index
// past the end or a Count below 1 gives an empty string; Count is clipped at the end.
AnsiString Copy(const AnsiString& S, Integer Index, Integer Count);
WideString Copy(const WideString& S, Integer Index, Integer Count);

// 1-based position of the first occurrence of Substr in S, 0 when absent or Substr is empty.
Integer Pos(const AnsiString& Substr, const AnsiString& S);
Integer Pos(const WideString& Substr, const WideString& S);
Integer Pos(char C, const AnsiString& S);
Integer Pos(WideChar C, const WideString& S);
// The same for multi-byte text: UTF-8 never matches inside a character, so this equals Pos.
Integer AnsiPos(const AnsiString& Substr, const AnsiString& S);

// Removes Count characters from Index (1-based). Out-of-range Index does nothing; Count is
// clipped at the end.
void Delete(AnsiString& S, Integer Index, Integer Count);
void Delete(WideString& S, Integer Index, Integer Count);

// Inserts Source before Index (1-based). Index below 1 inserts at the start, past the end appends.
void Insert(const AnsiString& Source, AnsiString& S, Integer Index);
void Insert(const WideString& Source, WideString& S, Integer Index);

// 1-based position of the last character of S that is one of Delimiters, 0 when none.
Integer LastDelimiter(const AnsiString& Delimiters, const AnsiString& S);

AnsiString StringOfChar(char Ch, Integer Count);
WideString StringOfChar(WideChar Ch, Integer Count);

// ---- Trimming, case, replacing ------------------------------------------------------------------

// Remove blanks and control characters (every character up to ' ') from the ends.
AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);
WideString Trim(const WideString& S);
WideString TrimLeft(const WideString& S);
WideString TrimRight(const WideString& S);

// ASCII only: 'a'..'z' and 'A'..'Z'; every other byte or unit is kept.
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);
WideString UpperCase(const WideString& S);
WideString LowerCase(const WideString& S);

// Full Unicode case mapping ("ß" upper-cases to "SS", "É" lower-cases to "é"). Invalid UTF-8
// bytes are kept as they are (the text is then mapped character by character).
AnsiString AnsiUpperCase(const AnsiString& S);
AnsiString AnsiLowerCase(const AnsiString& S);
WideString WideUpperCase(const WideString& S);
WideString WideLowerCase(const WideString& S);
// Case folding for caseless matching: two texts that differ only in case fold alike.
WideString WideFoldCase(const WideString& S);
// One character, where one character maps to one ("ß" stays).
char32_t UnicodeUpper(char32_t C);
char32_t UnicodeLower(char32_t C);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };

// The flags of StringReplace: StringReplace(S, "a", "b", {rfReplaceAll, rfIgnoreCase}).
class TReplaceFlags {
public:
    TReplaceFlags() = default;
    TReplaceFlags(TReplaceFlag Flag) : FBits(Flag) {}
    TReplaceFlags(std::initializer_list<TReplaceFlag> Flags)
    {
        for (TReplaceFlag Flag : Flags)
            FBits |= Flag;
    }
    bool Contains(TReplaceFlag Flag) const { return (FBits & Flag) != 0; }

private:
    unsigned FBits = 0;
};

// Replaces the first (or, with rfReplaceAll, every) occurrence of OldPattern. rfIgnoreCase
// compares with the locale case mapping. An empty OldPattern replaces nothing.
AnsiString StringReplace(const AnsiString& S, const AnsiString& OldPattern, const AnsiString& NewPattern,
                         TReplaceFlags Flags = {});
WideString StringReplace(const WideString& S, const WideString& OldPattern, const WideString& NewPattern,
                         TReplaceFlags Flags = {});

// 'abc' -> "'abc'", quotes inside doubled.
AnsiString QuotedStr(const AnsiString& S);
AnsiString AnsiQuotedStr(const AnsiString& S, char Quote);

// Makes every line break (CR, LF, CR LF) a CR LF.
AnsiString AdjustLineBreaks(const AnsiString& S);

// ---- Comparison ---------------------------------------------------------------------------------
// All return < 0, 0 or > 0.

// Byte order (unsigned), shorter first on a common prefix.
Integer CompareStr(const AnsiString& S1, const AnsiString& S2);
// As CompareStr with ASCII letters folded to upper case.
Integer CompareText(const AnsiString& S1, const AnsiString& S2);
bool SameStr(const AnsiString& S1, const AnsiString& S2);
bool SameText(const AnsiString& S1, const AnsiString& S2);
// Locale forms: the collation of the user's locale (accented letters beside their base letters,
// Chinese by the locale's order, e.g. strokes in zh_TW); the Text forms ignore case but not
// accents. Distinct strings the collation finds equal are ordered by code point in the Str forms.
// The collation locale is taken from LC_ALL, LC_COLLATE or LANG unless SetCollationLocale set one
// ("" or "C": the root collation). A thread reads it at its first comparison and again only after
// SetCollationLocale.
void SetCollationLocale(const AnsiString& Name);
Integer AnsiCompareStr(const AnsiString& S1, const AnsiString& S2);
Integer AnsiCompareText(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameStr(const AnsiString& S1, const AnsiString& S2);
bool AnsiSameText(const AnsiString& S1, const AnsiString& S2);
Integer WideCompareStr(const WideString& S1, const WideString& S2);
Integer WideCompareText(const WideString& S1, const WideString& S2);
bool WideSameStr(const WideString& S1, const WideString& S2);
bool WideSameText(const WideString& S1, const WideString& S2);

// ---- Zero-terminated strings --------------------------------------------------------------------
// Null pointers read as empty strings.

Cardinal StrLen(const char* Str);
AnsiString StrPas(const char* Str);
// Copies Source and a terminating zero into Dest, which must hold Length(Source) + 1 bytes.
char* StrPCopy(char* Dest, const AnsiString& Source);
Integer StrComp(const char* Str1, const char* Str2);
// Compare at most MaxLen bytes; the I forms fold ASCII case, AnsiStrLIComp the locale case.
Integer StrLComp(const char* Str1, const char* Str2, Cardinal MaxLen);
Integer StrLIComp(const char* Str1, const char* Str2, Cardinal MaxLen);
Integer AnsiStrLIComp(const char* Str1, const char* Str2, Cardinal MaxLen);

// ---- UTF-8 and UTF-16 ---------------------------------------------------------------------------
// The process code page is UTF-8, so these are the 8-bit <-> wide conversions. Invalid input
// (bad or truncated UTF-8 sequences, overlong forms, lone surrogates) becomes U+FFFD.

WideString AnsiToWide(const AnsiString& S);
WideString AnsiToWide(const char* S, std::size_t Length);
AnsiString WideToAnsi(const WideString& S);
AnsiString WideToAnsi(const WideChar* S, std::size_t Length);
inline WideString UTF8Decode(const AnsiString& S)
{
    return AnsiToWide(S);
}
inline AnsiString UTF8Encode(const WideString& S)
{
    return WideToAnsi(S);
}
// The wide text up to its terminating zero (null reads as empty).
AnsiString WideCharToString(const WideChar* S);

// Reads one code point of UTF-8 at S[Index] (0-based) and advances Index past it; an invalid or
// truncated sequence reads as U+FFFD and advances by one byte. Index must be below S.size().
char32_t NextUtf8Char(const AnsiString& S, std::size_t& Index);
// The same, telling the two apart: false for a byte that starts no well-formed character (C is
// then U+FFFD and Index has moved by one byte), true for a character, U+FFFD included.
bool ReadUtf8Char(const AnsiString& S, std::size_t& Index, char32_t& C);
// True when every byte of S is part of a well-formed UTF-8 character.
bool IsValidUtf8(const AnsiString& S);
// Appends the UTF-8 form of C (U+FFFD for surrogates and values above U+10FFFF).
void AppendUtf8(AnsiString& S, char32_t C);
// Reads one code point of UTF-16 at S[Index] and advances Index past it; a lone surrogate reads
// as U+FFFD. Index must be below S.size().
char32_t NextWideChar(std::u16string_view S, std::size_t& Index);

// ---- Character classification ---------------------------------------------------------------
// Unicode classes for the letters and digits this program meets (Latin, Greek, Cyrillic, CJK,
// kana, Hangul, full-width forms). A surrogate unit alone is neither.

bool IsLetter(char32_t C);
bool IsDigit(char32_t C);
bool IsLetterOrDigit(char32_t C);
bool IsUpper(char32_t C);
bool IsLower(char32_t C);
// Blank, tab, line breaks, no-break space, ideographic space and the Unicode spaces.
bool IsWhiteSpace(char32_t C);
