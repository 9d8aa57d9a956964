#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// ---- Integers ------------------------------------------------------------------------------------

AnsiString SignedToStr(long long Value)
{
    return std::to_string(Value);
}
AnsiString UnsignedToStr(unsigned long long Value)
{
    return std::to_string(Value);
}

AnsiString HexDigits(UInt64 Bits, Integer Digits)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    AnsiString Result;
    do {
        Result.push_back(Hex[Bits & 0xF]);
        Bits >>= 4;
    } while (Bits != 0);
    const Integer Wanted = std::min<Integer>(Digits, 32);
    while (static_cast<Integer>(Result.size()) < Wanted)
        Result.push_back('0');
    std::reverse(Result.begin(), Result.end());
    return Result;
}

// Reads an integer as described in the header. Bits is 32 or 64. Returns the 1-based position of
// the first unusable character (0 on success).
Integer ScanInteger(const AnsiString& S, int Bits, Int64& Value)
{
    const std::size_t Size = S.size();
    std::size_t I = 0;
    while (I < Size && S[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < Size && (S[I] == '-' || S[I] == '+')) {
        Negative = S[I] == '-';
        ++I;
    }
    bool Hex = false;
    if (I < Size && (S[I] == '$' || S[I] == 'x' || S[I] == 'X')) {
        Hex = true;
        ++I;
    } else if (I + 1 < Size && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
        Hex = true;
        I += 2;
    }
    if (I >= Size)
        return static_cast<Integer>(Size + 1);
    const UInt64 HexLimit = Bits == 32 ? 0xFFFFFFFFull : ~0ull;
    // The magnitude limit of decimal numbers: one more for the negative end of the range.
    const UInt64 DecLimit = (Bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull) + (Negative ? 1 : 0);
    UInt64 Magnitude = 0;
    for (; I < Size; ++I) {
        const char C = S[I];
        unsigned Digit;
        if (C >= '0' && C <= '9')
            Digit = static_cast<unsigned>(C - '0');
        else if (Hex && C >= 'a' && C <= 'f')
            Digit = static_cast<unsigned>(C - 'a' + 10);
        else if (Hex && C >= 'A' && C <= 'F')
            Digit = static_cast<unsigned>(C - 'A' + 10);
        else
            return static_cast<Integer>(I + 1);
        if (Hex) {
            if (Magnitude > (HexLimit >> 4))
                return static_cast<Integer>(I + 1);
            Magnitude = (Magnitude << 4) | Digit;
        } else {
            if (Magnitude > (DecLimit - Digit) / 10)
                return static_cast<Integer>(I + 1);
            Magnitude = Magnitude * 10 + Digit;
        }
    }
    UInt64 Bits64 = Negative ? (0 - Magnitude) : Magnitude;
    if (Bits == 32)
        Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(Bits64));
    else
        Value = static_cast<Int64>(Bits64);
    return 0;
}

// ---- Floats: scanning ----------------------------------------------------------------------------

// Scans a float from S[Start]: sign, digits with at most one Decimal, exponent. Returns the index
// just past the number and sets Ok when it holds at least one mantissa digit and a complete
// exponent. Value is set on Ok. The text is rebuilt with '.' for from_chars, so the C locale is
// never consulted.
std::size_t ScanFloat(const AnsiString& S, std::size_t Start, char Decimal, double& Value, bool& Ok)
{
    Ok = false;
    std::size_t I = Start;
    const std::size_t Size = S.size();
    AnsiString Plain;
    if (I < Size && (S[I] == '+' || S[I] == '-')) {
        if (S[I] == '-')
            Plain.push_back('-');
        ++I;
    }
    bool Digits = false;
    while (I < Size && S[I] >= '0' && S[I] <= '9') {
        Plain.push_back(S[I++]);
        Digits = true;
    }
    if (I < Size && S[I] == Decimal) {
        Plain.push_back('.');
        ++I;
        while (I < Size && S[I] >= '0' && S[I] <= '9') {
            Plain.push_back(S[I++]);
            Digits = true;
        }
    }
    if (!Digits)
        return I;
    if (I < Size && (S[I] == 'E' || S[I] == 'e')) {
        Plain.push_back('e');
        ++I;
        if (I < Size && (S[I] == '+' || S[I] == '-'))
            Plain.push_back(S[I++]);
        bool ExpDigits = false;
        while (I < Size && S[I] >= '0' && S[I] <= '9') {
            Plain.push_back(S[I++]);
            ExpDigits = true;
        }
        if (!ExpDigits)
            return I;
    }
    const char* First = Plain.data();
    const char* Last = Plain.data() + Plain.size();
    double Parsed = 0;
    const auto [Ptr, Ec] = std::from_chars(First, Last, Parsed, std::chars_format::general);
    if (Ec == std::errc::result_out_of_range) {
        // from_chars reports both overflow and underflow here: tell them apart by magnitude.
        const auto E = Plain.find('e');
        const bool SmallExponent = E != AnsiString::npos && Plain[E + 1] == '-';
        if (!SmallExponent)
            return I;
        Parsed = Plain[0] == '-' ? -0.0 : 0.0;
    } else if (Ec != std::errc() || Ptr != Last) {
        return I;
    }
    Value = Parsed;
    Ok = true;
    return I;
}

bool ScanWholeFloat(const AnsiString& S, char Decimal, double& Value)
{
    std::size_t First = 0;
    std::size_t Last = S.size();
    while (First < Last && static_cast<unsigned char>(S[First]) <= ' ')
        ++First;
    while (Last > First && static_cast<unsigned char>(S[Last - 1]) <= ' ')
        --Last;
    const AnsiString Core = S.substr(First, Last - First);
    bool Ok = false;
    double Parsed = 0;
    const std::size_t End = ScanFloat(Core, 0, Decimal, Parsed, Ok);
    if (!Ok || End != Core.size())
        return false;
    Value = Parsed;
    return true;
}

// ---- Floats: decimal digits ----------------------------------------------------------------------

// A float as decimal digits: value = 0.Digits x 10^Exponent, no trailing zeros in Digits; empty
// Digits is zero.
struct TFloatRec {
    bool Negative = false;
    bool NaN = false;
    bool Infinite = false;
    AnsiString Digits;
    Integer Exponent = 0;
};

// Rounds Value to at most Precision significant digits and at most Decimals digits after the
// decimal point, halves away from zero. The value is first written with 17 significant digits
// (enough to tell every double apart) and rounded from there, so 0.125 to two decimals is 0.13
// and 2.5 to none is 3, as a person reading the number expects.
TFloatRec FloatToDecimal(double Value, Integer Precision, Integer Decimals)
{
    TFloatRec R;
    if (std::isnan(Value)) {
        R.NaN = true;
        return R;
    }
    R.Negative = std::signbit(Value);
    if (std::isinf(Value)) {
        R.Infinite = true;
        return R;
    }
    if (Value == 0) {
        R.Negative = false;
        return R;
    }
    char Buf[64];
    const auto Res =
        std::to_chars(Buf, Buf + sizeof Buf, std::fabs(Value), std::chars_format::scientific, 16);
    const AnsiString Text(Buf, Res.ptr);
    // "d.dddddddddddddddde[+-]xx"
    AnsiString Digits;
    Digits.push_back(Text[0]);
    const auto EPos = Text.find('e');
    Digits.append(Text, 2, EPos - 2);
    Integer Exponent = std::stoi(Text.substr(EPos + 1)) + 1;
    Precision = std::clamp<Integer>(Precision, 1, 17);
    const Int64 Keep = std::min<Int64>(Precision, static_cast<Int64>(Exponent) + Decimals);
    if (Keep < 0) {
        R.Negative = false;
        return R;
    }
    bool RoundUp = Keep < static_cast<Int64>(Digits.size()) && Digits[static_cast<std::size_t>(Keep)] >= '5';
    Digits.resize(static_cast<std::size_t>(Keep));
    if (RoundUp) {
        Integer I = static_cast<Integer>(Keep) - 1;
        while (I >= 0 && Digits[I] == '9') {
            Digits[I] = '0';
            --I;
        }
        if (I >= 0) {
            ++Digits[I];
        } else {
            Digits.insert(Digits.begin(), '1');
            ++Exponent;
        }
    }
    while (!Digits.empty() && Digits.back() == '0')
        Digits.pop_back();
    if (Digits.empty()) {
        R.Negative = false;
        return R;
    }
    R.Digits = Digits;
    R.Exponent = Exponent;
    return R;
}

char DigitAt(const TFloatRec& R, Integer Index)
{
    return Index >= 0 && Index < static_cast<Integer>(R.Digits.size()) ? R.Digits[Index] : '0';
}

AnsiString ExponentText(Integer Exponent, Integer MinDigits, bool PlusSign)
{
    AnsiString Result;
    if (Exponent < 0)
        Result.push_back('-');
    else if (PlusSign)
        Result.push_back('+');
    AnsiString Num = std::to_string(std::abs(Exponent));
    if (static_cast<Integer>(Num.size()) < MinDigits)
        Num.insert(0, static_cast<std::size_t>(MinDigits) - Num.size(), '0');
    return Result + Num;
}

// Integer part with optional grouping, then Decimals digits after the separator.
AnsiString FixedText(const TFloatRec& R, Integer Decimals, bool Group, const TFormatSettings& Settings)
{
    AnsiString Int;
    if (R.Exponent <= 0 || R.Digits.empty()) {
        Int = "0";
    } else {
        for (Integer I = 0; I < R.Exponent; ++I)
            Int.push_back(DigitAt(R, I));
    }
    if (Group && Settings.ThousandSeparator != '\0') {
        AnsiString Grouped;
        const Integer N = static_cast<Integer>(Int.size());
        for (Integer I = 0; I < N; ++I) {
            Grouped.push_back(Int[I]);
            const Integer Left = N - 1 - I;
            if (Left > 0 && Left % 3 == 0)
                Grouped.push_back(Settings.ThousandSeparator);
        }
        Int = Grouped;
    }
    if (Decimals > 0) {
        Int.push_back(Settings.DecimalSeparator);
        const Integer First = R.Digits.empty() ? 0 : R.Exponent;
        for (Integer I = 0; I < Decimals; ++I)
            Int.push_back(R.Digits.empty() ? '0' : DigitAt(R, First + I));
    }
    return Int;
}

AnsiString ScientificText(const TFloatRec& R, Integer MantissaDigits, Integer ExpDigits, bool PlusSign,
                          const TFormatSettings& Settings)
{
    AnsiString Result;
    Result.push_back(R.Digits.empty() ? '0' : DigitAt(R, 0));
    if (MantissaDigits > 1) {
        Result.push_back(Settings.DecimalSeparator);
        for (Integer I = 1; I < MantissaDigits; ++I)
            Result.push_back(DigitAt(R, I));
    }
    Result.push_back('E');
    return Result + ExponentText(R.Digits.empty() ? 0 : R.Exponent - 1, ExpDigits, PlusSign);
}

AnsiString SpecialText(const TFloatRec& R)
{
    if (R.NaN)
        return "NAN";
    return R.Negative ? "-INF" : "INF";
}

AnsiString CurrencyText(const AnsiString& Number, bool Negative, const TFormatSettings& S)
{
    const AnsiString& C = S.CurrencyString;
    if (!Negative) {
        switch (S.CurrencyFormat) {
        case 1:
            return Number + C;
        case 2:
            return C + " " + Number;
        case 3:
            return Number + " " + C;
        default:
            return C + Number;
        }
    }
    switch (S.NegCurrFormat) {
    case 1:
        return "-" + C + Number;
    case 2:
        return C + "-" + Number;
    case 3:
        return C + Number + "-";
    case 4:
        return "(" + Number + C + ")";
    case 5:
        return "-" + Number + C;
    case 6:
        return Number + "-" + C;
    case 7:
        return Number + C + "-";
    case 8:
        return "-" + Number + " " + C;
    case 9:
        return "-" + C + " " + Number;
    case 10:
        return Number + " " + C + "-";
    case 11:
        return C + " " + Number + "-";
    case 12:
        return C + " -" + Number;
    case 13:
        return Number + "- " + C;
    case 14:
        return "(" + C + " " + Number + ")";
    case 15:
        return "(" + Number + " " + C + ")";
    default:
        return "(" + C + Number + ")";
    }
}

AnsiString GeneralText(double Value, Integer Precision, Integer Digits, const TFormatSettings& Settings)
{
    const TFloatRec R = FloatToDecimal(Value, Precision, 9999);
    if (R.NaN || R.Infinite)
        return SpecialText(R);
    if (R.Digits.empty())
        return "0";
    AnsiString Result = R.Negative ? "-" : "";
    const Integer N = static_cast<Integer>(R.Digits.size());
    if (R.Exponent > std::clamp<Integer>(Precision, 1, 18) || R.Exponent < -3) {
        Result += ScientificText(R, N, std::clamp<Integer>(Digits, 0, 4), false, Settings);
        return Result;
    }
    if (R.Exponent <= 0) {
        Result += "0";
        Result.push_back(Settings.DecimalSeparator);
        Result.append(static_cast<std::size_t>(-R.Exponent), '0');
        Result += R.Digits;
        return Result;
    }
    for (Integer I = 0; I < R.Exponent; ++I)
        Result.push_back(DigitAt(R, I));
    if (N > R.Exponent) {
        Result.push_back(Settings.DecimalSeparator);
        Result.append(R.Digits, static_cast<std::size_t>(R.Exponent), AnsiString::npos);
    }
    return Result;
}

[[noreturn]] void InvalidOp()
{
    throw EInvalidOp(SInvalidOp);
}

template <class F> Int64 CheckedToInt64(F Value)
{
    // 2^63 is exact in both types; everything in [-2^63, 2^63) fits.
    constexpr F Limit = static_cast<F>(9223372036854775808.0);
    if (!(Value >= -Limit && Value < Limit))
        InvalidOp();
    return static_cast<Int64>(Value);
}

template <class F> F RoundHalfEven(F Value)
{
    const F Lower = std::floor(Value);
    const F Diff = Value - Lower;
    if (Diff > F(0.5))
        return Lower + 1;
    if (Diff < F(0.5))
        return Lower;
    return std::fmod(Lower, F(2)) == 0 ? Lower : Lower + 1;
}

} // namespace

// ---- Integers to text ---------------------------------------------------------------------------

AnsiString IntToStr(int Value)
{
    return SignedToStr(Value);
}
AnsiString IntToStr(long Value)
{
    return SignedToStr(Value);
}
AnsiString IntToStr(long long Value)
{
    return SignedToStr(Value);
}
AnsiString IntToStr(unsigned Value)
{
    return UnsignedToStr(Value);
}
AnsiString IntToStr(unsigned long Value)
{
    return UnsignedToStr(Value);
}
AnsiString IntToStr(unsigned long long Value)
{
    return UnsignedToStr(Value);
}
AnsiString UIntToStr(UInt64 Value)
{
    return UnsignedToStr(Value);
}

AnsiString IntToHex(int Value, Integer Digits)
{
    return HexDigits(static_cast<std::uint32_t>(Value), Digits);
}
AnsiString IntToHex(unsigned Value, Integer Digits)
{
    return HexDigits(Value, Digits);
}
AnsiString IntToHex(long Value, Integer Digits)
{
    return HexDigits(static_cast<UInt64>(Value), Digits);
}
AnsiString IntToHex(long long Value, Integer Digits)
{
    return HexDigits(static_cast<UInt64>(Value), Digits);
}
AnsiString IntToHex(unsigned long Value, Integer Digits)
{
    return HexDigits(Value, Digits);
}
AnsiString IntToHex(unsigned long long Value, Integer Digits)
{
    return HexDigits(Value, Digits);
}

// ---- Text to integers ---------------------------------------------------------------------------

bool TryStrToInt(const AnsiString& S, Integer& Value)
{
    Int64 V = 0;
    if (ScanInteger(S, 32, V) != 0)
        return false;
    Value = static_cast<Integer>(V);
    return true;
}

bool TryStrToInt64(const AnsiString& S, Int64& Value)
{
    Int64 V = 0;
    if (ScanInteger(S, 64, V) != 0)
        return false;
    Value = V;
    return true;
}

Integer StrToInt(const AnsiString& S)
{
    Integer V = 0;
    if (!TryStrToInt(S, V))
        ConvertErrorFmt(SInvalidInteger, S);
    return V;
}

Int64 StrToInt64(const AnsiString& S)
{
    Int64 V = 0;
    if (!TryStrToInt64(S, V))
        ConvertErrorFmt(SInvalidInteger, S);
    return V;
}

Integer StrToIntDef(const AnsiString& S, Integer Default)
{
    Integer V = 0;
    return TryStrToInt(S, V) ? V : Default;
}

Int64 StrToInt64Def(const AnsiString& S, Int64 Default)
{
    Int64 V = 0;
    return TryStrToInt64(S, V) ? V : Default;
}

void Val(const AnsiString& S, Integer& Value, Integer& Code)
{
    Int64 V = 0;
    Code = ScanInteger(S, 32, V);
    Value = Code == 0 ? static_cast<Integer>(V) : 0;
}

void Val(const AnsiString& S, Int64& Value, Integer& Code)
{
    Int64 V = 0;
    Code = ScanInteger(S, 64, V);
    Value = Code == 0 ? V : 0;
}

void Val(const AnsiString& S, Double& Value, Integer& Code)
{
    std::size_t Start = 0;
    while (Start < S.size() && S[Start] == ' ')
        ++Start;
    bool Ok = false;
    double V = 0;
    const std::size_t End = ScanFloat(S, Start, '.', V, Ok);
    Value = 0;
    if (Ok && End == S.size()) {
        Value = V;
        Code = 0;
    } else {
        Code = static_cast<Integer>(End + 1);
    }
}

// ---- Text to floats -----------------------------------------------------------------------------

bool TextToFloat(const AnsiString& S, Extended& Value, const TFormatSettings& Settings)
{
    return ScanWholeFloat(S, Settings.DecimalSeparator, Value);
}

bool TextToFloat(const AnsiString& S, Extended& Value)
{
    return TextToFloat(S, Value, FormatSettings);
}

bool TryStrToFloat(const AnsiString& S, Extended& Value, const TFormatSettings& Settings)
{
    return TextToFloat(S, Value, Settings);
}

bool TryStrToFloat(const AnsiString& S, Extended& Value)
{
    return TextToFloat(S, Value, FormatSettings);
}

bool TryStrToFloat(const AnsiString& S, Single& Value)
{
    Extended V = 0;
    if (!TextToFloat(S, V, FormatSettings) || std::fabs(V) > std::numeric_limits<float>::max())
        return false;
    Value = static_cast<Single>(V);
    return true;
}

Extended StrToFloat(const AnsiString& S, const TFormatSettings& Settings)
{
    Extended V = 0;
    if (!TextToFloat(S, V, Settings))
        ConvertErrorFmt(SInvalidFloat, S);
    return V;
}

Extended StrToFloat(const AnsiString& S)
{
    return StrToFloat(S, FormatSettings);
}

Extended StrToFloatDef(const AnsiString& S, Extended Default)
{
    Extended V = 0;
    return TextToFloat(S, V, FormatSettings) ? V : Default;
}

// ---- Floats to text -----------------------------------------------------------------------------

AnsiString FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits,
                       const TFormatSettings& Settings)
{
    Precision = std::clamp<Integer>(Precision, 1, 18);
    switch (Format) {
    case ffGeneral:
        return GeneralText(Value, Precision, Digits, Settings);
    case ffExponent: {
        const TFloatRec R = FloatToDecimal(Value, Precision, 9999);
        if (R.NaN || R.Infinite)
            return SpecialText(R);
        return (R.Negative ? "-" : "") +
               ScientificText(R, Precision, std::clamp<Integer>(Digits, 0, 4), true, Settings);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        Digits = std::clamp<Integer>(Digits, 0, 18);
        const TFloatRec R = FloatToDecimal(Value, Precision, Digits);
        if (R.NaN || R.Infinite)
            return SpecialText(R);
        // Too many integer digits for the precision: scientific form, as the general format gives.
        if (R.Exponent > Precision && Format != ffCurrency)
            return GeneralText(Value, Precision, 0, Settings);
        const AnsiString Number = FixedText(R, Digits, Format != ffFixed, Settings);
        if (Format == ffCurrency)
            return CurrencyText(Number, R.Negative, Settings);
        return (R.Negative ? "-" : "") + Number;
    }
    }
    return AnsiString();
}

AnsiString FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits)
{
    return FloatToStrF(Value, Format, Precision, Digits, FormatSettings);
}

AnsiString FloatToStr(Extended Value, const TFormatSettings& Settings)
{
    return FloatToStrF(Value, ffGeneral, 15, 0, Settings);
}

AnsiString FloatToStr(Extended Value)
{
    return FloatToStr(Value, FormatSettings);
}

AnsiString CurrToStr(Currency Value)
{
    // Currency keeps four decimals.
    return FloatToStrF(std::round(Value * 10000.0) / 10000.0, ffGeneral, 17, 0, FormatSettings);
}

// ---- FormatFloat --------------------------------------------------------------------------------

namespace {

// Splits a picture format into its ';' sections, quotes respected.
std::vector<AnsiString> FormatSections(const AnsiString& Format)
{
    std::vector<AnsiString> Sections(1);
    char Quote = 0;
    for (char C : Format) {
        if (Quote) {
            if (C == Quote)
                Quote = 0;
        } else if (C == '"' || C == '\'') {
            Quote = C;
        } else if (C == ';') {
            Sections.emplace_back();
            continue;
        }
        Sections.back().push_back(C);
    }
    return Sections;
}

struct TPicture {
    Integer IntPlaces = 0; // '0' and '#' before the decimal point
    Integer IntZeros = 0;  // places from the first '0' to the decimal point
    Integer DecZeros = 0;  // decimal places up to the last '0'
    Integer DecPlaces = 0; // '0' and '#' after the decimal point
    bool Point = false;
    bool Thousands = false;
    bool Scientific = false;
    Integer ExpDigits = 0;
};

TPicture ReadPicture(const AnsiString& Section)
{
    TPicture P;
    char Quote = 0;
    for (std::size_t I = 0; I < Section.size(); ++I) {
        const char C = Section[I];
        if (Quote) {
            if (C == Quote)
                Quote = 0;
            continue;
        }
        if (P.Scientific)
            break;
        switch (C) {
        case '"':
        case '\'':
            Quote = C;
            break;
        case '0':
        case '#':
            if (P.Point) {
                ++P.DecPlaces;
                if (C == '0')
                    P.DecZeros = P.DecPlaces;
            } else {
                ++P.IntPlaces;
                if (C == '0' && P.IntZeros == 0)
                    P.IntZeros = 1;
                else if (P.IntZeros > 0)
                    ++P.IntZeros;
            }
            break;
        case '.':
            P.Point = true;
            break;
        case ',':
            P.Thousands = true;
            break;
        case 'E':
        case 'e':
            if (I + 1 < Section.size() && (Section[I + 1] == '+' || Section[I + 1] == '-')) {
                P.Scientific = true;
                for (std::size_t K = I + 2; K < Section.size() && Section[K] == '0'; ++K)
                    ++P.ExpDigits;
                P.ExpDigits = std::min<Integer>(P.ExpDigits, 4);
            }
            break;
        default:
            break;
        }
    }
    return P;
}

// Writes Section with the digits of R. Integer placeholders take the integer digits from the right;
// digits beyond the placeholders go before the first one.
AnsiString ApplyPicture(const AnsiString& Section, const TPicture& P, const TFloatRec& R, Integer Exponent10,
                        const TFormatSettings& Settings)
{
    // Integer digits (no leading zeros), padded with zeros to IntZeros.
    AnsiString Int;
    const Integer IntCount = R.Digits.empty() ? 0 : std::max<Integer>(Exponent10, 0);
    for (Integer I = 0; I < IntCount; ++I)
        Int.push_back(DigitAt(R, I));
    if (static_cast<Integer>(Int.size()) < P.IntZeros)
        Int.insert(0, static_cast<std::size_t>(P.IntZeros) - Int.size(), '0');
    // Decimal digits, trailing zeros dropped, then padded to DecZeros.
    AnsiString Dec;
    for (Integer I = 0; I < P.DecPlaces; ++I)
        Dec.push_back(R.Digits.empty() ? '0' : DigitAt(R, Exponent10 + I));
    while (!Dec.empty() && Dec.back() == '0')
        Dec.pop_back();
    if (static_cast<Integer>(Dec.size()) < P.DecZeros)
        Dec.append(static_cast<std::size_t>(P.DecZeros) - Dec.size(), '0');

    AnsiString Out;
    const Integer IntLen = static_cast<Integer>(Int.size());
    auto EmitIntDigit = [&](Integer Index) { // Index into Int, 0-based
        Out.push_back(Int[Index]);
        const Integer Left = IntLen - 1 - Index;
        if (P.Thousands && Left > 0 && Left % 3 == 0 && Settings.ThousandSeparator != '\0')
            Out.push_back(Settings.ThousandSeparator);
    };
    Integer IntSeen = 0;
    Integer DecSeen = 0;
    bool AfterPoint = false;
    char Quote = 0;
    for (std::size_t I = 0; I < Section.size(); ++I) {
        const char C = Section[I];
        if (Quote) {
            if (C == Quote)
                Quote = 0;
            else
                Out.push_back(C);
            continue;
        }
        switch (C) {
        case '"':
        case '\'':
            Quote = C;
            break;
        case '0':
        case '#':
            if (!AfterPoint) {
                if (IntSeen == 0)
                    for (Integer K = 0; K < IntLen - P.IntPlaces; ++K)
                        EmitIntDigit(K);
                // This placeholder stands for the digit at distance (IntPlaces - IntSeen) from the right.
                // Placeholders the picture did not count (those after an exponent) stand for none.
                const Integer FromRight = P.IntPlaces - IntSeen;
                if (FromRight >= 1 && FromRight <= IntLen)
                    EmitIntDigit(IntLen - FromRight);
                ++IntSeen;
            } else {
                if (DecSeen < static_cast<Integer>(Dec.size()))
                    Out.push_back(Dec[DecSeen]);
                ++DecSeen;
            }
            break;
        case '.':
            if (!AfterPoint) {
                AfterPoint = true;
                if (IntSeen == 0) // no integer placeholders: the integer digits still show
                    for (Integer K = 0; K < IntLen; ++K)
                        EmitIntDigit(K);
                if (!Dec.empty())
                    Out.push_back(Settings.DecimalSeparator);
            }
            break;
        case ',':
            break;
        case 'E':
        case 'e':
            if (P.Scientific && I + 1 < Section.size() && (Section[I + 1] == '+' || Section[I + 1] == '-')) {
                Out.push_back(C);
                const bool Plus = Section[I + 1] == '+';
                std::size_t K = I + 2;
                while (K < Section.size() && Section[K] == '0')
                    ++K;
                const Integer Exp = R.Digits.empty() ? 0 : R.Exponent - Exponent10;
                Out += ExponentText(Exp, P.ExpDigits, Plus);
                I = K - 1;
                break;
            }
            Out.push_back(C);
            break;
        default:
            Out.push_back(C);
            break;
        }
    }
    return Out;
}

} // namespace

AnsiString FormatFloat(const AnsiString& Format, Extended Value, const TFormatSettings& Settings)
{
    if (Format.empty())
        return FloatToStr(Value, Settings);
    if (std::isnan(Value) || std::isinf(Value))
        return FloatToStr(Value, Settings);
    const std::vector<AnsiString> Sections = FormatSections(Format);
    auto SectionAt = [&](std::size_t Index) -> const AnsiString* {
        return Index < Sections.size() && !Sections[Index].empty() ? &Sections[Index] : nullptr;
    };
    const AnsiString* Section = &Sections[0];
    bool Minus = Value < 0;
    if (Value == 0 && SectionAt(2)) {
        Section = SectionAt(2);
    } else if (Value < 0 && SectionAt(1)) {
        Section = SectionAt(1);
        Minus = false; // the negative section writes its own sign
    }
    for (int Pass = 0; Pass < 2; ++Pass) {
        const TPicture P = ReadPicture(*Section);
        TFloatRec R;
        Integer Exponent10;
        if (P.Scientific) {
            R = FloatToDecimal(Value, std::max<Integer>(P.IntPlaces + P.DecPlaces, 1), 9999);
            Exponent10 = P.IntPlaces;
        } else {
            R = FloatToDecimal(Value, 17, P.DecPlaces);
            Exponent10 = R.Exponent;
        }
        // A value that rounds to zero takes the zero section and loses its sign.
        if (R.Digits.empty() && Pass == 0 && Value != 0) {
            Minus = false;
            if (SectionAt(2) && Section != SectionAt(2)) {
                Section = SectionAt(2);
                continue;
            }
        }
        return (Minus ? "-" : "") + ApplyPicture(*Section, P, R, Exponent10, Settings);
    }
    return AnsiString();
}

AnsiString FormatFloat(const AnsiString& Format, Extended Value)
{
    return FormatFloat(Format, Value, FormatSettings);
}

// ---- Rounding -----------------------------------------------------------------------------------

Int64 Round(double Value)
{
    if (!std::isfinite(Value))
        InvalidOp();
    return CheckedToInt64(RoundHalfEven(Value));
}

Int64 Round(long double Value)
{
    if (!std::isfinite(Value))
        InvalidOp();
    return CheckedToInt64(RoundHalfEven(Value));
}

Int64 Trunc(double Value)
{
    return CheckedToInt64(std::trunc(Value));
}
Int64 Trunc(long double Value)
{
    return CheckedToInt64(std::trunc(Value));
}
double Frac(double Value)
{
    return Value - std::trunc(Value);
}
long double Frac(long double Value)
{
    return Value - std::trunc(Value);
}
double Int(double Value)
{
    return std::trunc(Value);
}

Integer Ceil(double Value)
{
    const double C = std::ceil(Value);
    if (!(C >= -2147483648.0 && C <= 2147483647.0))
        InvalidOp();
    return static_cast<Integer>(C);
}

Integer Floor(double Value)
{
    const double F = std::floor(Value);
    if (!(F >= -2147483648.0 && F <= 2147483647.0))
        InvalidOp();
    return static_cast<Integer>(F);
}
