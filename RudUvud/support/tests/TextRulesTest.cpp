#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StringLists.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace std::string_literals;

// Pins the locale to the US settings; European tests switch the separators themselves.
class TextRules : public ::testing::Test {
protected:
    void SetUp() override { SetDefaultFormatSettings(); }
    void TearDown() override { SetDefaultFormatSettings(); }
    static void UseEuropean()
    {
        FormatSettings.DecimalSeparator = ',';
        FormatSettings.ThousandSeparator = '.';
        FormatSettings.DateSeparator = '.';
        FormatSettings.ShortDateFormat = "dd.MM.yyyy";
    }
};

TEST_F(TextRules, TextTypeClassifiesCellStrings)
{
    struct Case {
        AnsiString Text;
        bool HTML;
        TTextType Expected;
    } Cases[] = {
        {"", true, ttText},
        {"=", true, ttFormula},
        {"=SUM(A1)", false, ttFormula},
        {"|\\", true, ttUnicode},
        {"{\\rtf1 x}", true, ttRTF},
        {"<b>x</b>", true, ttHTML}, // through "</"
        {"<b>x", true, ttText},     // lower-case tags alone do not count
        {"<B>x", true, ttHTML},
        {"<Ix", true, ttHTML},
        {"<CONTROL>", true, ttHTML},
        {"<P>plain", true, ttText},
        {"<B>x</B>", false, ttText}, // detection off
        {"a | b", true, ttText},
        {EncodeWideStr(u"=A"), true, ttFormula},
        {EncodeWideStr(u"="), true, ttUnicode},
        {EncodeWideStr(u"A="), true, ttUnicode},
        {EncodeWideStr(u"\u3D00A"), true, ttUnicode}, // high byte '=' is not a formula
    };
    for (const Case& C : Cases)
        EXPECT_EQ(TextType(C.Text, C.HTML), C.Expected) << "text of " << C.Text.size() << " bytes";
}

TEST_F(TextRules, WideCellTextEncodingIsExactAndCarriesNulBytes)
{
    const AnsiString A = EncodeWideStr(u"A");
    EXPECT_EQ(A, "|\\\0A"s);
    EXPECT_EQ(EncodeWideStr(u""), "|\\");
    EXPECT_EQ(EncodeWideStr(u"\u734E"), "|\\\x73\x4E"s);

    // Marker plus three characters: one unit, the odd last character is ignored.
    EXPECT_EQ(DecodeWideStr("|\\\x12\x34\x56"s), u"\u1234");
    // Without the marker the 8-bit text is converted from UTF-8.
    EXPECT_EQ(DecodeWideStr("獎品 ok"), u"獎品 ok");
    EXPECT_EQ(DecodeWideStr(""), u"");

    // Every UTF-16 string survives, including U+0000 and unpaired surrogates.
    const WideString Specials[] = {
        u""s, u"\0"s, u"a\0b"s, u"\xD800"s, u"x\xDC00y"s, u"\xFFFF\x00FF\xFF00"s, u"\U0001F600"s};
    for (const WideString& W : Specials)
        EXPECT_EQ(DecodeWideStr(EncodeWideStr(W)), W);
    std::mt19937 Random(7);
    for (int Round = 0; Round < 200; ++Round) {
        WideString W(Random() % 40, u'\0');
        for (WideChar& U : W)
            U = static_cast<WideChar>(Random() & 0xFFFF);
        ASSERT_EQ(DecodeWideStr(EncodeWideStr(W)), W);
    }
}

TEST_F(TextRules, StrPosWideFindsUnitsFromOne)
{
    EXPECT_EQ(StrPosWide(u"b", u"abc"), 2);
    EXPECT_EQ(StrPosWide(u"abc", u"abc"), 1);
    EXPECT_EQ(StrPosWide(u"c", u"abc"), 3);
    EXPECT_EQ(StrPosWide(u"x", u"abc"), 0);
    EXPECT_EQ(StrPosWide(u"", u"abc"), 0);
    EXPECT_EQ(StrPosWide(u"a", u""), 0);
    EXPECT_EQ(StrPosWide(u"abcd", u"abc"), 0);
    EXPECT_EQ(StrPosWide(u"\0b"s, u"a\0b"s), 2);
}

TEST_F(TextRules, IsTypeRecognisesNumbers)
{
    struct Case {
        const char* Text;
        TAutoType Expected;
    } Cases[] = {
        {"", atString},       {"123", atNumeric},       {"-", atNumeric},        {"-12", atNumeric},
        {"1,234.5", atFloat}, {"1,234,567", atFloat},   {"1,23,456", atString},  {"12.5", atFloat},
        {".", atFloat},       {"1.5E-3", atScientific}, {"-1E-5", atScientific}, {"2e10", atScientific},
        {"E5", atString},     {"1E", atString},         {"1E5E", atString},      {"1.2.3", atString},
        {"--1", atString},    {"1-2", atString},        {"12 kg", atString},     {"1,5E3", atString},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(IsType(C.Text), C.Expected) << C.Text;

    // The separators are read at each call.
    UseEuropean();
    EXPECT_EQ(IsType("1.234,5"), atFloat);
    EXPECT_EQ(IsType("1,2,3"), atString);
}

TEST_F(TextRules, RemoveSepsReducesToPlainNumbers)
{
    struct Case {
        const char* Text;
        const char* Expected;
    } Cases[] = {
        {"(1,234.50)", "-1234.50"},
        {"$ 12", "12"},
        {"12 kg", "12"},
        {"  7  ", "7"},
        {"-(5)", "-5"},
        {"", ""},
        {"   ", ""},
        {"- 3", "-3"},
        {"1e5x", "1e5"},
        {"abc", ""},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(RemoveSeps(C.Text), C.Expected) << C.Text;
    UseEuropean();
    EXPECT_EQ(RemoveSeps("1.234,5"), "1234.5");
    EXPECT_EQ(FixDecimalSeparator("1,5,6"), "1.5,6");
    SetDefaultFormatSettings();
    EXPECT_EQ(FixDecimalSeparator("1,5"), "1,5");
}

TEST_F(TextRules, IsDateStrNeedsTwoSeparatedSeparators)
{
    EXPECT_TRUE(IsDateStr("1/2/3"));
    EXPECT_TRUE(IsDateStr("12/31/1999"));
    EXPECT_FALSE(IsDateStr("/1/2"));
    EXPECT_FALSE(IsDateStr("1//2"));
    EXPECT_FALSE(IsDateStr("1/2"));
    EXPECT_FALSE(IsDateStr(""));
    UseEuropean();
    EXPECT_TRUE(IsDateStr("31.12.2005"));
    EXPECT_FALSE(IsDateStr("12/31/1999"));
}

TEST_F(TextRules, ShortDatesParseWithTwoDigitYearWindow)
{
    EXPECT_EQ(StrToShortdateUS("12/31/99"), EncodeDate(1999, 12, 31));
    EXPECT_EQ(StrToShortdateUS("1/2/05"), EncodeDate(2005, 1, 2));
    EXPECT_EQ(StrToShortdateUS("1-2-25"), EncodeDate(2025, 1, 2));
    EXPECT_EQ(StrToShortDateEU("31.12.26"), EncodeDate(1926, 12, 31));
    EXPECT_EQ(StrToShortDateEU("2/1/05"), EncodeDate(2005, 1, 2));
    // A year written in full is taken as written.
    EXPECT_EQ(StrToShortdateUS("12/31/1999"), EncodeDate(1999, 12, 31));
    EXPECT_EQ(StrToShortDateEU("1.2.2024"), EncodeDate(2024, 2, 1));
    for (const char* Bad : {"1/2", "", "12", "a/b/c", "1/2/x", "1/2/3/4", "1/1/99999999999"})
        EXPECT_EQ(StrToShortdateUS(Bad), 0) << Bad;
    EXPECT_THROW(StrToShortdateUS("13/45/99"), EConvertError);
    EXPECT_THROW(StrToShortDateEU("31.2.2001"), EConvertError);
    EXPECT_THROW(StrToShortdateUS("1/1/70000"), EConvertError);
}

TEST_F(TextRules, GetNextDateSteps)
{
    const TDateTime Jan31 = EncodeDate(2001, 1, 31), Dec15 = EncodeDate(2001, 12, 15);
    EXPECT_EQ(GetNextDate(Jan31, 0, 0, 3, 99), EncodeDate(2001, 2, 3));
    EXPECT_EQ(GetNextDate(Jan31, 0, 0, 65535, 99), EncodeDate(2001, 1, 30));
    EXPECT_EQ(GetNextDate(Dec15, 2, 0, 0, 99), EncodeDate(2003, 12, 15));
    EXPECT_EQ(GetNextDate(Dec15, 65535, 0, 0, 99), EncodeDate(2000, 12, 15));
    EXPECT_EQ(GetNextDate(Dec15, 0, 1, 0, 99), EncodeDate(2002, 1, 15));
    EXPECT_EQ(GetNextDate(Dec15, 0, 24, 0, 99), EncodeDate(2003, 12, 15));
    EXPECT_EQ(GetNextDate(EncodeDate(2001, 1, 15), 0, 65535, 0, 99), EncodeDate(2000, 12, 15));
    EXPECT_EQ(GetNextDate(EncodeDate(2001, 1, 15), 0, 65534, 0, 99), EncodeDate(2000, 11, 15));
    // Mixed or no steps use the free step, which keeps the time of day.
    EXPECT_EQ(GetNextDate(Dec15 + 0.5, 1, 1, 0, 0.25), Dec15 + 0.75);
    EXPECT_EQ(GetNextDate(Dec15, 0, 0, 0, 7), Dec15 + 7);
    EXPECT_THROW(GetNextDate(Jan31, 0, 1, 0, 0), EConvertError);
    EXPECT_THROW(GetNextDate(EncodeDate(2004, 2, 29), 1, 0, 0, 0), EConvertError);
}

TEST_F(TextRules, LineBreakConversionsForFiles)
{
    const AnsiString Text = "a\r\nb\rc\nd";
    AnsiString S = Text;
    LineFeedsToCSV(S);
    EXPECT_EQ(S, "\"a\x0B"
                 "b\rc\nd\"");
    S = "a\x0B"
        "b";
    CSVToLineFeeds(S);
    EXPECT_EQ(S, "a\r\nb");
    S = Text;
    LineFeedsToCSVNQ(S);
    EXPECT_EQ(S, "a\nb\rc\nd");
    S = Text;
    LineFeedsToJava(S);
    EXPECT_EQ(S, "a~b~cd");
    JavaToLineFeeds(S);
    EXPECT_EQ(S, "a\r\nb\r\ncd");
    S = "^";
    JavaToLineFeeds(S);
    EXPECT_EQ(S, "");
    EXPECT_EQ(LineFeedsToXLS(Text), "a\nbc\nd");
    EXPECT_EQ(CRToLF(Text), "a\n\nb\nc\nd");
    EXPECT_EQ(LFToCLF(Text), "a\\nb\\ncd");
    EXPECT_EQ(CLFToLF("a\\nb\\"), "a\rb\\");
    EXPECT_EQ(HTMLLineBreaks("a\r\nb"), "a<br>\nb");
    EXPECT_EQ(HTMLLineBreaks("a\nb"), "a\nb");

    // The single-line file form keeps NUL bytes of wide text and round-trips text with line breaks.
    const AnsiString Wide = EncodeWideStr(u"x\r\ny");
    const AnsiString OnFile = LfToFile(Wide);
    EXPECT_EQ(OnFile.find('\0'), AnsiString::npos);
    EXPECT_EQ(OnFile.find('\r'), AnsiString::npos);
    EXPECT_EQ(FileToLf(OnFile, true), Wide);
    EXPECT_EQ(FileToLf(LfToFile("one\r\ntwo"), false), "one");
    EXPECT_EQ(LfToFile("no breaks\t"), "no breaks\t");
    EXPECT_EQ(FileToLf("tab\tonly", true), "tab\tonly");
}

TEST_F(TextRules, GetNextLineAndLineCount)
{
    AnsiString S = "one\r\ntwo\rthree", Line;
    GetNextLine(S, true, Line);
    EXPECT_EQ(Line, "one");
    EXPECT_EQ(S, "two\rthree");
    GetNextLine(S, true, Line);
    EXPECT_EQ(Line, "two");
    EXPECT_EQ(S, "three");
    GetNextLine(S, true, Line);
    EXPECT_EQ(Line, "three");
    EXPECT_EQ(S, "");
    S = "a\rb";
    GetNextLine(S, false, Line);
    EXPECT_EQ(Line, "a");
    EXPECT_EQ(S, "");
    EXPECT_EQ(LinesInText("a\rb\rc", true), 3);
    EXPECT_EQ(LinesInText("a\rb\rc", false), 1);
}

TEST_F(TextRules, QuoteRunsForCsvReading)
{
    EXPECT_EQ(CSVQuotes("say \"hi\""), "say \"\"hi\"\"");
    EXPECT_EQ(DoubleToSingleChar('"', "a\"\"b\"c"), "a\"bc");
    EXPECT_EQ(DoubleToSingleChar('"', "plain"), "plain");
    EXPECT_EQ(DoubleToSingleChar('"', ""), "");
    EXPECT_EQ(DoubleToSingleChar('"', CSVQuotes("x\"y\"\"")), "x\"y\"\"");

    struct Case {
        const char* Text;
        Integer Expected;
    } Cases[] = {
        {"ab\"c", 3},     // single quote
        {"a\"\"b\"c", 5}, // the pair is skipped
        {"a\"\"\"b", 4},  // a run of three ends at 4
        {"ab\"\"", 4},    // a run that ends the text counts whatever its length
        {"abc", 0},       {"", 0}, {"\"", 1},
    };
    for (const Case& C : Cases) {
        Integer Res = -7;
        EXPECT_EQ(SinglePos('"', C.Text, Res), C.Expected) << C.Text;
        EXPECT_EQ(Res, C.Expected) << C.Text;
    }
    EXPECT_EQ(NumSingleChar('"', "\"a\"\"b\",\"c\""), 4);
    EXPECT_EQ(NumSingleChar('"', "no quotes"), 0);
    EXPECT_EQ(NumChar(',', "a,b,,c"), 3);
    EXPECT_EQ(NumCharInStr('\0', "a\0b\0"s), 2);
}

TEST_F(TextRules, PositionsCountFromOne)
{
    Integer Res = -7;
    EXPECT_EQ(CharPos('a', "abc"), 1);
    EXPECT_EQ(CharPos('c', "abc"), 3);
    EXPECT_EQ(CharPos('x', "abc"), 0);
    EXPECT_EQ(CharPos('x', ""), 0);
    EXPECT_EQ(VarCharPos('x', "abc", Res), 0);
    EXPECT_EQ(Res, -7); // untouched when absent
    EXPECT_EQ(VarCharPos('c', "abc", Res), 3);
    EXPECT_EQ(Res, 3);
    Res = -7;
    EXPECT_EQ(VarCharPosNC('B', "abc", Res), 2);
    EXPECT_EQ(Res, 2);
    EXPECT_EQ(VarPos("bc", "abc", Res), 2);
    EXPECT_EQ(VarPos("x", "abc", Res), 0);
    EXPECT_EQ(Res, 0);
    EXPECT_EQ(FIPos("BC", "abc"), 2);

    const TCharSet Ops = CharSetOf("&|");
    EXPECT_EQ(FirstChar(Ops, "a&b", Res), '&');
    EXPECT_EQ(Res, 2);
    EXPECT_EQ(FirstChar(Ops, "\"a&b\"|c", Res), '|');
    EXPECT_EQ(Res, 6);
    EXPECT_EQ(FirstChar(Ops, "\"a&b", Res), '\0');
    EXPECT_EQ(Res, -1);
    EXPECT_EQ(FirstChar(Ops, "", Res), '\0');
    EXPECT_EQ(Res, -1);
}

TEST_F(TextRules, GetTokenAlwaysAdvances)
{
    AnsiString S = "a::b::c";
    std::vector<AnsiString> Tokens;
    // A two-character separator must be removed whole, or this loop would never end.
    for (int Guard = 0; Guard < 10; ++Guard) {
        AnsiString T = GetToken(S, "::");
        if (T.empty() && S.find("::") == AnsiString::npos)
            break;
        Tokens.push_back(T);
    }
    EXPECT_EQ(Tokens, (std::vector<AnsiString>{"a", "b"}));
    EXPECT_EQ(S, "c");
    S = "x;y";
    EXPECT_EQ(GetToken(S, ";"), "x");
    EXPECT_EQ(S, "y");
    EXPECT_EQ(GetToken(S, ";"), "");
    EXPECT_EQ(S, "y");
    EXPECT_EQ(GetToken(S, ""), "");
    EXPECT_EQ(S, "y");
}

TEST_F(TextRules, NameToCellReadsRowColumnNames)
{
    struct Case {
        const char* Name;
        bool Ok;
        Integer X, Y;
    } Cases[] = {
        {"r12c3", true, 3, 12}, {"R1C1", true, 1, 1},  {"R0C0", true, 0, 0},  {"R1C", false, 0, 0},
        {"RC12", false, 0, 0},  {"A1C2", false, 0, 0}, {"R1X2", false, 0, 0}, {"R-1C-2", false, 0, 0},
        {"R1C2x", false, 0, 0}, {"", false, 0, 0},
    };
    for (const Case& C : Cases) {
        TPoint P{-5, -5};
        EXPECT_EQ(NameToCell(C.Name, P), C.Ok) << C.Name;
        if (C.Ok)
            EXPECT_EQ(P, (TPoint{C.X, C.Y})) << C.Name;
        else
            EXPECT_EQ(P, (TPoint{-5, -5})) << C.Name;
    }
}

TEST_F(TextRules, ShiftCaseWritesNames)
{
    struct Case {
        const char* Text;
        const char* Expected;
    } Cases[] = {
        {"john mcdonald", "John McDonald"},
        {"henry iii", "Henry III"},
        {"o-neil smith", "O-Neil Smith"},
        {"mary-jane o'brien", "Mary-Jane O'Brien"},
        {"mcintosh", "McIntosh"},
        {"LOUIS XIV", "Louis Xiv"},
        {"john ii", "John II"},
        {"", ""},
        {"a.b,c", "A.B,C"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(ShiftCase(C.Text), C.Expected) << C.Text;
}

TEST_F(TextRules, SmallHelpers)
{
    struct Limits {
        Integer Value, Lower, Upper, Expected;
    } Cases[] = {{5, 0, 0, 5},    {-3, 1, 10, 1},  {50, 1, 10, 10},
                 {50, 0, 10, 10}, {-3, 0, 10, -3}, {7, 1, 10, 7}};
    for (const Limits& C : Cases)
        EXPECT_EQ(CheckLimits(C.Value, C.Lower, C.Upper), C.Expected)
            << C.Value << " " << C.Lower << " " << C.Upper;

    EXPECT_TRUE(IsURL("see http://x"));
    EXPECT_TRUE(IsURL("mailto:a@b"));
    EXPECT_FALSE(IsURL("MAILTO:a@b"));
    AnsiString U = "go http://x.org/a://b";
    StripURLProtocol(U);
    EXPECT_EQ(U, "x.org/a://b");
    U = "write mailto:me@x";
    StripURLProtocol(U);
    EXPECT_EQ(U, "me@x");
    U = "plain";
    StripURLProtocol(U);
    EXPECT_EQ(U, "plain");

    EXPECT_EQ(RectString(Rect(1, -2, 30, 40)), "[1:-2][30:40]");
    EXPECT_TRUE(IsInGridRect(Rect(1, 1, 3, 4), 3, 4));
    EXPECT_FALSE(IsInGridRect(Rect(1, 1, 3, 4), 0, 2));
    EXPECT_EQ(Max(3, -4), 3);
    EXPECT_EQ(Min(3, -4), -4);

    AnsiString P = "secret";
    StringToPassword(P, '*');
    EXPECT_EQ(P, "******");
    // OEM conversion must not cut wide cell text at its NUL bytes.
    AnsiString W = EncodeWideStr(u"A\u00E9");
    StringToOem(W);
    OemToString(W);
    EXPECT_EQ(DecodeWideStr(W), u"A\u00E9");

    TStringList List;
    List.Add("ab");
    List.Add("");
    List.Add("c");
    EXPECT_EQ(StringListToText(&List), "abc");
    EXPECT_TRUE(CheckNum('7'));
    EXPECT_FALSE(CheckNum('-'));
    EXPECT_TRUE(CheckSignedNum('-'));
}

} // namespace
