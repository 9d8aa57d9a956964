#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class Conversions : public testing::Test {
protected:
    void SetUp() override { SetDefaultFormatSettings(); }
    void TearDown() override { SetDefaultFormatSettings(); }

    // Settings of a locale that writes "1.234,5".
    static TFormatSettings CommaDecimal()
    {
        TFormatSettings S;
        S.DecimalSeparator = ',';
        S.ThousandSeparator = '.';
        return S;
    }
};

TEST_F(Conversions, IntegersToText)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToStr(std::numeric_limits<UInt64>::max()), "18446744073709551615");
    EXPECT_EQ(IntToStr(Cardinal(4000000000u)), "4000000000");

    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x1A2B, 2), "1A2B"); // digits is a minimum
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 0), "FFFFFFFF"); // a 32-bit value keeps 32 bits
    EXPECT_EQ(IntToHex(Int64(-1), 0), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(0x123456789A), 12), "00123456789A");
}

TEST_F(Conversions, TextToInteger)
{
    struct Case {
        const char* Text;
        bool Ok;
        Integer Value;
    };
    const Case Cases[] = {
        {"123", true, 123},
        {"  42", true, 42},
        {"-17", true, -17},
        {"+5", true, 5},
        {"$1F", true, 31},
        {"0x1f", true, 31},
        {"X10", true, 16},
        {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"007", true, 7},
        {"2147483648", false, 0},
        {"$100000000", false, 0},
        {"12 ", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"1.5", false, 0},
        {"12abc", false, 0},
        {"1 2", false, 0},
        {"\xEF\xBC\x91", false, 0}, // full-width 1
        {"--1", false, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Text);
        Integer V = -99;
        EXPECT_EQ(TryStrToInt(C.Text, V), C.Ok);
        EXPECT_EQ(StrToIntDef(C.Text, -99), C.Ok ? C.Value : -99);
        if (C.Ok) {
            EXPECT_EQ(V, C.Value);
            EXPECT_EQ(StrToInt(C.Text), C.Value);
        } else {
            EXPECT_EQ(V, -99) << "failure must leave the value alone";
            try {
                StrToInt(C.Text);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& E) {
                EXPECT_EQ(E.Message(), "'" + AnsiString(C.Text) + "' is not a valid integer value");
            }
        }
    }
}

TEST_F(Conversions, TextToInt64)
{
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<Int64>::min());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(StrToInt64Def("x", 3), 3);
}

TEST_F(Conversions, ValReportsThePositionOfTheFirstBadCharacter)
{
    struct Case {
        const char* Text;
        Integer Code;
    };
    for (const Case& C : {Case{"12", 0}, Case{"12x", 3}, Case{"", 1}, Case{"  ", 3}, Case{"-", 2},
                          Case{"$G", 2}, Case{"99999999999", 10}, Case{" 5 ", 3}}) {
        Integer V = 0, Code = -1;
        Val(C.Text, V, Code);
        EXPECT_EQ(Code, C.Code) << C.Text;
    }
    struct FloatCase {
        const char* Text;
        Integer Code;
        double Value;
    };
    for (const FloatCase& C :
         {FloatCase{"1.5", 0, 1.5}, FloatCase{" .5", 0, 0.5}, FloatCase{"-2e3", 0, -2000},
          FloatCase{"1,5", 2, 0}, FloatCase{"1e", 3, 0}, FloatCase{"abc", 1, 0}, FloatCase{"1.5 ", 4, 0}}) {
        double V = -1;
        Integer Code = -1;
        Val(C.Text, V, Code);
        EXPECT_EQ(Code, C.Code) << C.Text;
        if (C.Code == 0) {
            EXPECT_EQ(V, C.Value) << C.Text;
        }
    }
    // Val reads '.' whatever the locale says.
    FormatSettings = CommaDecimal();
    double V = 0;
    Integer Code = -1;
    Val("2.25", V, Code);
    EXPECT_EQ(Code, 0);
    EXPECT_EQ(V, 2.25);
}

TEST_F(Conversions, TextToFloat)
{
    struct Case {
        const char* Text;
        bool Ok;
        double Value;
    };
    const Case Cases[] = {
        {"1.5", true, 1.5},  {" -2.25e2 ", true, -225}, {"+3", true, 3},    {"1.", true, 1},
        {".5", true, 0.5},   {"1E-400", true, 0},       {"0.1", true, 0.1}, {"\t7\r\n", true, 7},
        {"1e400", false, 0}, {"1,000", false, 0},       {".", false, 0},    {"", false, 0},
        {"1.2.3", false, 0}, {"0x10", false, 0},        {"INF", false, 0},  {"NaN", false, 0},
        {"1e", false, 0},    {"1e+", false, 0},         {"- 1", false, 0},  {"1 2", false, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Text);
        Extended V = -99;
        EXPECT_EQ(TryStrToFloat(C.Text, V), C.Ok);
        if (C.Ok) {
            EXPECT_EQ(V, C.Value);
        } else {
            EXPECT_EQ(V, -99);
            try {
                StrToFloat(C.Text);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& E) {
                EXPECT_EQ(E.Message(), "'" + AnsiString(C.Text) + "' is not a valid floating point value");
            }
        }
    }
    // The locale's decimal separator, not the C library's.
    const TFormatSettings Comma = CommaDecimal();
    EXPECT_EQ(StrToFloat("1,5", Comma), 1.5);
    Extended V = 0;
    EXPECT_FALSE(TryStrToFloat("1.5", V, Comma));
    FormatSettings = Comma;
    EXPECT_EQ(StrToFloat("-0,25"), -0.25);
    EXPECT_EQ(StrToFloatDef("1.5", 9), 9);
}

TEST_F(Conversions, FloatToStrUsesFifteenSignificantDigits)
{
    struct Case {
        double Value;
        const char* Text;
    };
    const Case Cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {100, "100"},
        {-1.5, "-1.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {-1.5e-7, "-1.5E-7"},
        {1e100, "1E100"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FloatToStr(C.Value), C.Text) << C.Text;
    EXPECT_EQ(FloatToStr(1234.5, CommaDecimal()), "1234,5");
}

TEST_F(Conversions, FloatToStrF)
{
    struct Case {
        double Value;
        TFloatFormat Format;
        Integer Precision, Digits;
        const char* Text;
    };
    const Case Cases[] = {
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {1234.5678, ffNumber, 15, 2, "1,234.57"},
        {-1234567.5, ffNumber, 15, 0, "-1,234,568"}, // halves round away from zero
        {2.5, ffFixed, 15, 0, "3"},
        {0.125, ffFixed, 15, 2, "0.13"},
        {1.005, ffFixed, 15, 2, "1.00"}, // 1.005 is stored a little below
        {-0.001, ffFixed, 15, 2, "0.00"},
        {0.5, ffFixed, 15, 3, "0.500"},
        {1e20, ffFixed, 15, 2, "1E20"}, // more integer digits than the precision
        {1234.5, ffExponent, 4, 2, "1.235E+03"},
        {-0.00012, ffExponent, 3, 0, "-1.20E-4"},
        {0, ffExponent, 3, 2, "0.00E+00"},
        {12.5, ffCurrency, 15, 2, "$12.50"},
        {-12.5, ffCurrency, 15, 2, "($12.50)"},
        {1234567.891, ffCurrency, 15, 2, "$1,234,567.89"},
        {0.1 + 0.2, ffGeneral, 15, 0, "0.3"},
        {0.1 + 0.2, ffGeneral, 17, 0, "0.30000000000000004"},
        {12345.678, ffGeneral, 4, 0, "1.235E4"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FloatToStrF(C.Value, C.Format, C.Precision, C.Digits), C.Text) << C.Text;

    TFormatSettings S = CommaDecimal();
    EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 1, S), "1.234.567,5");
    S.CurrencyString = "NT$";
    S.NegCurrFormat = 1;
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, S), "-NT$1.234,50");
    S.CurrencyFormat = 3;
    S.CurrencyString = "\xE5\x85\x83"; // 元
    EXPECT_EQ(FloatToStrF(5, ffCurrency, 15, 0, S), "5 \xE5\x85\x83");
}

TEST_F(Conversions, FormatFloat)
{
    struct Case {
        const char* Format;
        double Value;
        const char* Text;
    };
    const Case Cases[] = {
        {"0.00", 3.14159, "3.14"},
        {"0.00", -3.145, "-3.15"},
        {"#,##0.00", 1234567.125, "1,234,567.13"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0", 0, "0"},
        {"#", 0, ""},
        {"#.##", 0.5, ".5"},
        {"0.##", 1, "1"},
        {"0.##", 1.5, "1.5"},
        {"0.0#", 1, "1.0"},
        {"0.000", 2.5, "2.500"},
        {"000", 7, "007"},
        {"00", 12345, "12345"},
        {"0.00", 1e20, "100000000000000000000.00"},
        {"0.00;(0.00)", -1.5, "(1.50)"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"0.00;;zero", -2, "-2.00"}, // an empty negative section falls back to the first
        {"0;-0;zero", -0.4, "zero"}, // rounds to zero: the zero section
        {"0.0", -0.04, "0.0"},       // rounds to zero: no sign
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.0E-0", 0.000123, "1.2E-4"},
        {"0.0E-0", 12345, "1.2E4"},
        {"0E+0", 0, "0E+0"},
        {"0.0E+0000000", 12345, "1.2E+0004"}, // at most four exponent digits
        // Placeholders after the exponent were never counted as integer places: they show nothing.
        {"0E+00#", 12345, "1E+04"},
        {"ee-000#000000000000000000000000", 40000, "ee005"},
        {"\"$\"#,##0.00", 1234.5, "$1,234.50"},
        {"0 'kg'", 5, "5 kg"},
        {"'#'0", 5, "#5"},
        {"abc", 5, "abc"},
        {"0%", 25, "25%"}, // other characters are copied, the value is not scaled
        {"+0.0;-0.0", -5, "-5.0"},
        {"0 EUR", 5, "5 EUR"}, // an E without a sign is text
        {"", 1.5, "1.5"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FormatFloat(C.Format, C.Value), C.Text) << C.Format << " " << C.Value;
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, CommaDecimal()), "1.234,50");
}

TEST_F(Conversions, RoundHalvesToEven)
{
    struct Case {
        double Value;
        Int64 Rounded, Truncated;
    };
    const Case Cases[] = {
        {0.5, 0, 0},
        {1.5, 2, 1},
        {2.5, 2, 2},
        {3.5, 4, 3},
        {-0.5, 0, 0},
        {-1.5, -2, -1},
        {-2.5, -2, -2},
        {2.4999, 2, 2},
        {2.5000001, 3, 2},
        {-2.7, -3, -2},
        {1e15 + 0.5, 1000000000000000, 1000000000000000},
        {-9.2e18, -9200000000000000000LL, -9200000000000000000LL},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(Round(C.Value), C.Rounded) << C.Value;
        EXPECT_EQ(Round(static_cast<long double>(C.Value)), C.Rounded) << C.Value;
        EXPECT_EQ(Trunc(C.Value), C.Truncated) << C.Value;
    }
    // 80-bit values keep digits a double loses.
    EXPECT_EQ(Round(4503599627370496.5L), 4503599627370496);
    EXPECT_EQ(Round(4503599627370497.5L), 4503599627370498);
    for (double Bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e19, -1e19}) {
        EXPECT_THROW(Round(Bad), EInvalidOp) << Bad;
        EXPECT_THROW(Trunc(Bad), EInvalidOp) << Bad;
    }
    EXPECT_DOUBLE_EQ(Frac(3.75), 0.75);
    EXPECT_DOUBLE_EQ(Frac(-1.25), -0.25);
    EXPECT_EQ(Int(-2.7), -2.0);
    EXPECT_EQ(Ceil(1.2), 2);
    EXPECT_EQ(Ceil(-1.2), -1);
    EXPECT_EQ(Floor(-1.2), -2);
    EXPECT_THROW(Floor(1e10), EInvalidOp);
}

TEST_F(Conversions, CompareMinMax)
{
    EXPECT_EQ(Max(3, 7L), 7L);
    EXPECT_EQ(Min(2.5, 1), 1.0);
    EXPECT_EQ(CompareValue(1, 2), LessThanValue);
    EXPECT_EQ(CompareValue(2.0, 2), EqualsValue);
    EXPECT_EQ(CompareValue(3, 2.5), GreaterThanValue);
}

} // namespace
