#pragma once

// Free text routines that every grid cell goes through: classification of cell strings, the wide
// cell text encoding, number and date recognition, the small conversions used by the grid's
// files, clipboard and export, filter condition matching and the HTML helpers.
//
// Conventions of every routine here:
// - Cell strings are 8-bit strings (UTF-8, byte-indexed); wide strings are UTF-16. Strings are
//   length-counted: a wide-encoded cell holds NUL bytes, and no routine stops at them unless it
//   says so (Matches works on zero-terminated strings).
// - Character positions are 1-based; 0 means "not found".
// - The locale separators and the short date format are read from FormatSettings at every call.
// - None keeps data between calls.

#include "platform/rtl/Types.h"

#include <bitset>

class TStrings;

// The kind of a cell string. TextType never answers ttURL; the grid uses it for its own purposes.
enum TTextType { ttText, ttHTML, ttRTF, ttFormula, ttURL, ttUnicode };

// The kind of a number text. IsType answers only atNumeric, atFloat, atString and atScientific.
enum TAutoType { atNumeric, atFloat, atString, atDate, atTime, atScientific };

// A set of 8-bit characters.
using TCharSet = std::bitset<256>;
// The set of the bytes of Chars.
TCharSet CharSetOf(const AnsiString& Chars);

// ---- Classification and wide cell text -----------------------------------------------------------

// ttFormula for "=...", ttUnicode for wide cell text ("|\..."; ttFormula when the wide text itself
// starts with "="), ttRTF for "{\...", ttHTML when HTMLCheck is set and the text holds "</", "<B",
// "<I" or "<C" (case-sensitive), else ttText.
TTextType TextType(const AnsiString& S, bool HTMLCheck);

// "|\" followed by each UTF-16 unit as two characters, high byte first. NUL characters are data.
AnsiString EncodeWideStr(const WideString& S);
// The inverse of EncodeWideStr for a string with the "|\" marker (an odd last character is
// ignored); any other string is converted from the 8-bit code page.
WideString DecodeWideStr(const AnsiString& S);
// Position of SubStr in S; 0 when absent, when either is empty or SubStr is longer.
Integer StrPosWide(const WideString& SubStr, const WideString& S);

// ---- Numbers and dates ----------------------------------------------------------------------------

TAutoType IsType(const AnsiString& S);
bool CheckNum(char Ch);
bool CheckSignedNum(char Ch);
// The text reduced to a plain number string: '(1,234.50)' -> '-1234.50', '$ 12' -> '12'.
AnsiString RemoveSeps(const AnsiString& S);
// With ',' as decimal separator: the first ',' becomes '.'.
AnsiString FixDecimalSeparator(const AnsiString& S);
// True when the date separator occurs twice, neither at the start nor adjacent.
bool IsDateStr(const AnsiString& S);
// Month, day, year separated by '/', '.' or '-' (the first that occurs); 0 when the text does not
// parse. Years 0..99 fall in 1926..2025. An impossible date raises EConvertError.
TDateTime StrToShortdateUS(const AnsiString& S);
// Day, month, year; otherwise as StrToShortdateUS.
TDateTime StrToShortDateEU(const AnsiString& S);
// The next date of a series: only DayStep set adds days, only YearStep years, only MonthStep
// months (same day); any other combination adds FreeStep. The steps are 16-bit values read as
// two's complement, so 65535 steps back by one. A day missing in the target month raises
// EConvertError.
TDateTime GetNextDate(TDateTime Start, Word YearStep, Word MonthStep, Word DayStep, TDateTime FreeStep);

// ---- String conversions ----------------------------------------------------------------------------
// CR is character 13, LF character 10.

// Every '"' doubled.
AnsiString CSVQuotes(const AnsiString& S);
// CR LF -> character 11, then the whole text enclosed in '"'.
void LineFeedsToCSV(AnsiString& S);
// CR LF -> LF.
void LineFeedsToCSVNQ(AnsiString& S);
// Character 11 -> CR LF.
void CSVToLineFeeds(AnsiString& S);
// CR -> '~', LF dropped.
void LineFeedsToJava(AnsiString& S);
// '~' -> CR LF; a text that is then "^" becomes empty.
void JavaToLineFeeds(AnsiString& S);
// Without any CR.
AnsiString LineFeedsToXLS(const AnsiString& S);
// CR -> LF.
AnsiString CRToLF(const AnsiString& S);
// The two characters "\n" -> CR.
AnsiString CLFToLF(const AnsiString& S);
// CR -> the two characters "\n", LF dropped.
AnsiString LFToCLF(const AnsiString& S);
// When the text holds a CR: CR -> 9, LF -> 8, NUL -> 1; otherwise unchanged.
AnsiString LfToFile(const AnsiString& S);
// When the text holds character 8: 9 -> CR, 8 -> LF, 1 -> NUL. Without MultiLine only the first
// line is kept.
AnsiString FileToLf(const AnsiString& S, bool MultiLine);
// Line receives the text before the first CR; S loses it, the CR and a LF right after. Without
// Keep, or when S has no CR, S is emptied.
void GetNextLine(AnsiString& S, bool Keep, AnsiString& Line);
// 1 plus the number of CRs with MultiLine, else 1.
Integer LinesInText(const AnsiString& S, bool MultiLine);
// Every pair of Ch becomes one Ch, every single Ch is dropped.
AnsiString DoubleToSingleChar(char Ch, const AnsiString& S);
// Position of the end of the first run of Ch of odd length, or of Ch as the last character of S;
// 0 when none. Res receives the same value.
Integer SinglePos(char Ch, const AnsiString& S, Integer& Res);
// Number of successive SinglePos hits, cutting the text after each.
Integer NumSingleChar(char Ch, const AnsiString& S);
Integer NumChar(char Ch, const AnsiString& S);
Integer NumCharInStr(char Ch, const AnsiString& S);
Integer CharPos(char Ch, const AnsiString& S);
// As CharPos; Res is written only when Ch is found.
Integer VarCharPos(char Ch, const AnsiString& S, Integer& Res);
// As VarCharPos with the text's ASCII letters upper-cased; Ch is given in upper case.
Integer VarCharPosNC(char Ch, const AnsiString& S, Integer& Res);
// Position of SubStr (case-sensitive); Res receives it (0 too).
Integer VarPos(const AnsiString& SubStr, const AnsiString& S, Integer& Res);
// Position of the upper-case SubStr in S upper-cased (ASCII).
Integer FIPos(const AnsiString& SubStr, const AnsiString& S);
// The first character of S in CharSet outside double quotes (the count of '"' up to and including
// it is even); Res receives its position. NUL and Res = -1 when there is none.
char FirstChar(const TCharSet& CharSet, const AnsiString& S, Integer& Res);
// The text before Separator; S loses it and the separator. Empty and S unchanged when S has no
// Separator.
AnsiString GetToken(AnsiString& S, const AnsiString& Separator);
// All lines concatenated without separators.
AnsiString StringListToText(TStrings* List);
// "R<row>C<col>" (any case) -> Cell.X = col, Cell.Y = row; both numbers must be integers >= 0.
bool NameToCell(const AnsiString& Name, TPoint& Cell);
// True when S contains "://" or "mailto:".
bool IsURL(const AnsiString& S);
// Deletes up to and including the first "://", else the first "mailto:".
void StripURLProtocol(AnsiString& S);
void StringToPassword(AnsiString& S, char Ch);
// 8-bit text and OEM text share the process code page (UTF-8), so these keep every byte,
// NUL bytes of wide cell text included.
void StringToOem(AnsiString& S);
void OemToString(AnsiString& S);
// Name case: 'john mcdonald' -> 'John McDonald', 'henry iii' -> 'Henry III'.
AnsiString ShiftCase(const AnsiString& S);
// "[left:top][right:bottom]".
AnsiString RectString(const TRect& R);
// Left <= Col <= Right and Top <= Row <= Bottom, for any rectangle with those members.
template <class TGridRectLike> bool IsInGridRect(const TGridRectLike& R, Integer Col, Integer Row)
{
    return Col >= R.Left && Col <= R.Right && Row >= R.Top && Row <= R.Bottom;
}
// Value clamped between limits that are greater than 0; unchanged when the limits are equal.
Integer CheckLimits(Integer Value, Integer Lower, Integer Upper);
inline Integer Max(Integer A, Integer B)
{
    return A > B ? A : B;
}
inline Integer Min(Integer A, Integer B)
{
    return A < B ? A : B;
}

// ---- Filter conditions -------------------------------------------------------------------------------
//
// A condition is terms joined left to right, without precedence, by '&' (and) or '|', ';', '^'
// (or), with parenthesised groups. A term is a wildcard pattern ('*', '?', '!' negation, '"'
// quoting) or a comparison ('>', '>=', '<', '<=', '!') against an operand that is compared as a
// number, a date-time in the locale's short date order, or text. None of these raises.

// True when Value satisfies Condition. A leading '=' is dropped; an empty condition matches only
// an empty value; nesting deeper than 64 groups and malformed groups do not match.
bool MatchStrEx(const AnsiString& Condition, const AnsiString& Value, bool CaseSensitive);
// Matches of Term and Value, both upper-cased by the locale when CaseSensitive is false.
bool MatchStr(const AnsiString& Term, const AnsiString& Value, bool CaseSensitive);
// True when Value satisfies the single term Term. Both are zero-terminated.
bool Matches(const char* Term, const char* Value);

// ---- HTML helpers ------------------------------------------------------------------------------

// Replaces HTML with the "HTML Format" clipboard envelope around it.
void MakeFragment(AnsiString& HTML);
// When S upper-cased contains Prefix (given in upper case): Result = S with '<' and '>' escaped and
// its first URL starting with Prefix made an anchor, answer true. Otherwise false, Result untouched.
bool MakeHTMLHyperlink(const AnsiString& S, const AnsiString& Prefix, AnsiString& Result);
// Six upper-case hex digits RRGGBB of a literal colour (system colours must be resolved first).
AnsiString HTMLColor(TColor Color);
// Every CR -> "<br>" (LF kept).
AnsiString HTMLLineBreaks(const AnsiString& S);
