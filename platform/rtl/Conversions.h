#pragma once

// Number conversions: integers and floats to and from text, rounding. Scanning never depends on
// the C locale; the separators come from FormatSettings (or a TFormatSettings given explicitly).

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <type_traits>

inline constexpr Integer MaxInt = 2147483647;
inline constexpr LongInt MaxLongInt = 2147483647;

// ---- Integers to text ---------------------------------------------------------------------------

AnsiString IntToStr(int Value);
AnsiString IntToStr(long Value);
AnsiString IntToStr(long long Value);
AnsiString IntToStr(unsigned Value);
AnsiString IntToStr(unsigned long Value);
AnsiString IntToStr(unsigned long long Value);
AnsiString UIntToStr(UInt64 Value);

// Upper-case hexadecimal, at least Digits digits. A negative 32-bit value gives its 8-digit two's
// complement ("FFFFFFFF"), a negative 64-bit value its 16-digit one.
AnsiString IntToHex(int Value, Integer Digits);
AnsiString IntToHex(unsigned Value, Integer Digits);
AnsiString IntToHex(long Value, Integer Digits);
AnsiString IntToHex(long long Value, Integer Digits);
AnsiString IntToHex(unsigned long Value, Integer Digits);
AnsiString IntToHex(unsigned long long Value, Integer Digits);

// ---- Text to integers ---------------------------------------------------------------------------
// Accepted: leading blanks, an optional sign, then decimal digits or a hexadecimal number written
// "$1F", "0x1F" or "x1F". Trailing characters (blanks too) are an error. Decimal values must fit the
// type; hexadecimal ones may use all its bits ("$FFFFFFFF" is -1 as an Integer).

// Raise EConvertError "'<S>' is not a valid integer value".
Integer StrToInt(const AnsiString& S);
Int64 StrToInt64(const AnsiString& S);
Integer StrToIntDef(const AnsiString& S, Integer Default);
Int64 StrToInt64Def(const AnsiString& S, Int64 Default);
bool TryStrToInt(const AnsiString& S, Integer& Value);
bool TryStrToInt64(const AnsiString& S, Int64& Value);

// Reads S as a number; Code is 0 on success, else the 1-based position of the first character that
// could not be used (Length(S) + 1 when the text ends too early). Value is 0 on failure.
// The float form reads '.' as decimal point regardless of the locale and accepts an exponent.
void Val(const AnsiString& S, Integer& Value, Integer& Code);
void Val(const AnsiString& S, Int64& Value, Integer& Code);
void Val(const AnsiString& S, Double& Value, Integer& Code);

// ---- Text to floats -----------------------------------------------------------------------------
// Accepted: blanks around, an optional sign, digits with at most one decimal separator (at least
// one digit), an optional exponent "E[+|-]digits". No thousand separators.

bool TextToFloat(const AnsiString& S, Extended& Value);
bool TextToFloat(const AnsiString& S, Extended& Value, const TFormatSettings& Settings);
// Raise EConvertError "'<S>' is not a valid floating point value".
Extended StrToFloat(const AnsiString& S);
Extended StrToFloat(const AnsiString& S, const TFormatSettings& Settings);
Extended StrToFloatDef(const AnsiString& S, Extended Default);
bool TryStrToFloat(const AnsiString& S, Extended& Value);
bool TryStrToFloat(const AnsiString& S, Extended& Value, const TFormatSettings& Settings);
bool TryStrToFloat(const AnsiString& S, Single& Value);

// ---- Floats to text -----------------------------------------------------------------------------

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Shortest of fixed and scientific notation with 15 significant digits: 0.1 -> "0.1",
// 1E20 -> "1E20", 1.5E-7 -> "1.5E-7". NaN and infinities give "NAN", "INF", "-INF".
AnsiString FloatToStr(Extended Value);
AnsiString FloatToStr(Extended Value, const TFormatSettings& Settings);

// Precision is the number of significant digits (1..18; a double holds 17), Digits the decimals of ffFixed,
// ffNumber and ffCurrency, or the minimum exponent digits of ffGeneral and ffExponent.
AnsiString FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits);
AnsiString FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits,
                       const TFormatSettings& Settings);

// Picture formats: sections "positive;negative;zero", '0' and '#' digit places, '.' decimal point,
// ',' thousands, "E+ E- e+ e-" exponents, quoted literals, every other character as is.
AnsiString FormatFloat(const AnsiString& Format, Extended Value);
AnsiString FormatFloat(const AnsiString& Format, Extended Value, const TFormatSettings& Settings);

AnsiString CurrToStr(Currency Value);

// ---- Rounding -----------------------------------------------------------------------------------

// Half to even: Round(2.5) = 2, Round(3.5) = 4, Round(-2.5) = -2. Raise EInvalidOp for NaN,
// infinities and values outside Int64.
Int64 Round(double Value);
Int64 Round(long double Value);
// Toward zero; the same errors.
Int64 Trunc(double Value);
Int64 Trunc(long double Value);
// The fraction, with the sign of Value: Frac(-1.25) = -0.25.
double Frac(double Value);
long double Frac(long double Value);
// The integer part as a float.
double Int(double Value);
// Smallest integer >= Value, largest integer <= Value.
Integer Ceil(double Value);
Integer Floor(double Value);

// ---- Comparing ----------------------------------------------------------------------------------

inline constexpr Integer LessThanValue = -1;
inline constexpr Integer EqualsValue = 0;
inline constexpr Integer GreaterThanValue = 1;

template <class A, class B> constexpr Integer CompareValue(A Left, B Right)
{
    return Left < Right ? LessThanValue : (Right < Left ? GreaterThanValue : EqualsValue);
}
template <class A, class B> constexpr std::common_type_t<A, B> Max(A Left, B Right)
{
    using T = std::common_type_t<A, B>;
    return T(Left) < T(Right) ? T(Right) : T(Left);
}
template <class A, class B> constexpr std::common_type_t<A, B> Min(A Left, B Right)
{
    using T = std::common_type_t<A, B>;
    return T(Right) < T(Left) ? T(Right) : T(Left);
}
