// Formula text to tokens and back, the function table, and the refusals of both directions.

#include "RudUvud/xlsadapter/XlsEncodeFormula.h"
#include "RudUvud/xlsadapter/XlsFormulaParser.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"
#include "RudUvud/xlsadapter/tests/FormulaTestSupport.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using xlstest::TTestFormulaContext;

namespace {

ByteArray Encode(const AnsiString& Text, TFormulaContext* Cells, TFmReturnType Class = fmValue)
{
    TParseString ps(UTF8Decode(Text), Cells, Class);
    ps.Parse();
    ByteArray buf(static_cast<size_t>(ps.TotalSize()));
    ps.CopyToPtr(buf.data(), 0);
    return buf;
}

AnsiString Decode(const ByteArray& Buf, TFormulaContext* Cells, Integer Start = 2)
{
    return UTF8Encode(RPNToString(Buf, Start, Cells));
}

// A size word followed by the tokens.
ByteArray Tokens(std::initializer_list<Byte> T)
{
    ByteArray b{static_cast<Byte>(T.size() & 0xFF), static_cast<Byte>(T.size() >> 8)};
    b.insert(b.end(), T.begin(), T.end());
    return b;
}

AnsiString ErrorOf(const AnsiString& Text, TFormulaContext* Cells)
{
    try {
        Encode(Text, Cells);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(accepted)";
}

} // namespace

TEST(FunctionTable, KnowsFunctionsByNumberNameAndClass)
{
    EXPECT_EQ(FindFuncByName(u"SUM"), 4);
    EXPECT_EQ(FindFuncByName(u"ERROR.TYPE"), 261);
    EXPECT_EQ(FindFuncByName(u"VARA"), 367);
    EXPECT_EQ(FindFuncByName(u"NOTAFUNCTION53"), -1);
    EXPECT_EQ(FuncNameArray()[53].FuncName, u"NotAFunction53");

    Integer functions = 0;
    for (Integer i = 0; i < FuncNameCount; ++i) {
        EXPECT_EQ(FuncNameArray()[i].FuncIndex, i);
        if (FuncNameArray()[i].FuncName.rfind(u"NotAFunction", 0) != 0)
            ++functions;
    }
    EXPECT_EQ(functions, 247);

    const TCellFunctionData& npv = FuncNameArray()[11];
    EXPECT_EQ(FuncArgClass(npv, 0), fmValue);
    EXPECT_EQ(FuncArgClass(npv, 1), fmRef);
    EXPECT_EQ(FuncArgClass(npv, 29), fmRef);
    EXPECT_EQ(FuncArgClass(FuncNameArray()[4], 29), fmRef);
    EXPECT_TRUE(FuncNameArray()[78].IsVolatile); // OFFSET
    EXPECT_EQ(FuncNameArray()[78].ResultClass, fmRef);
}

TEST(FunctionTable, NumbersUseAPointInEveryLocale)
{
    SetDefaultFormatSettings();
    FormatSettings.DecimalSeparator = ',';
    FormatSettings.ThousandSeparator = '.';
    EXPECT_EQ(FmFloatToStr(1.5), "1.5");
    EXPECT_EQ(FmStrToFloat("1.5"), 1.5);
    TTestFormulaContext cells;
    EXPECT_EQ(Decode(Encode("=1.5*2", &cells), &cells), "=1.5*2");
    SetDefaultFormatSettings();
}

// Every operator and precedence level, references of each kind, 3-D references, function classes,
// strings, errors and spaces: each text comes back unchanged from its tokens.
TEST(FormulaText, RoundTripsThroughTokens)
{
    const char* formulas[] = {
        "=1+2*3",
        "=(1+2)*3",
        "=2^3^2",
        "=-2^2",
        "=1-2-3",
        "=8/4/2",
        "=5%",
        "=A1%%",
        "=+A1",
        "=--A1",
        "=\"a\"&\"b\"&C3",
        "=1<2",
        "=1<=2",
        "=1=2",
        "=1>=2",
        "=1>2",
        "=1<>2",
        "=A1:B2",
        "=SUM(A1:B2:C3)",
        "=SUM($A$1:B$2,$C1)",
        "=SUM((A1,B1))",
        "=C:E",
        "=$C:$E",
        "=3:5",
        "=$3:$5",
        "=SUM(A:A)",
        "='Sheet2'!A1",
        "='My Sheet'!$A$1:B2",
        "=SUM('Sheet2:Sheet3'!B2)",
        "='Sheet2'!A1:A65536",
        "=IF(A1,,1)",
        "=IF(A1>0,\"yes\",\"no\")",
        "=PI()",
        "=NOW()",
        "=CHOOSE(2,A1,B1)",
        "=NPV(0.1,A1:A5)",
        "=TRUE",
        "=FALSE",
        "=#N/A",
        "=#DIV/0!",
        "=ISERROR(#REF!)",
        "=\"say \"\"hi\"\"\"",
        "=\"\"",
        "=1.5",
        "=1E20",
        "=0.001",
        "=65535",
        "=65536",
        "=SUM( A1)",
        "=1 *2",
        "= 1+2",
        "=ROUND(A1, 2)",
        "=MAX(1,2)*-3",
        "=A1 + B1",
        "=INDEX(A1:C3,2,2)",
        "=VLOOKUP(\"x\",'Sheet2'!A1:B9,2,FALSE)",
        "=LOG10(100)",
        "=ERROR.TYPE(A1)",
        "=-(-A1)",
        "=SUM(A1,)",
        "=COUNT()",
        "=TRANSPOSE(A1:B2)",
        "=MMULT(A1:B2,C1:D2)",
        "=OFFSET(A1,1,1)",
        "=IV65536",
        "=\"\xe9\xa0\xad\xe7\x8d\x8e\"",
        "=CONCATENATE(\"a\",\"b\",\"c\")",
    };
    TTestFormulaContext cells;
    for (const char* f : formulas) {
        SCOPED_TRACE(f);
        EXPECT_EQ(Decode(Encode(f, &cells), &cells), f);
    }
}

// What the decoder writes can be entered again and means the same: sheet names with apostrophes
// (doubled inside the quotes) and numbers that need more than 15 digits to stay the same double.
TEST(FormulaText, DecodedTextEntersAgainUnchanged)
{
    TTestFormulaContext cells({"Sheet1", "Q1'24", "It's"});
    const char* formulas[] = {"='Q1''24'!A1", "=SUM('Q1''24:It''s'!B2)", "='It''s'!$C$3:D4"};
    for (const char* f : formulas) {
        SCOPED_TRACE(f);
        const AnsiString text = Decode(Encode(f, &cells), &cells);
        EXPECT_EQ(text, f);
        EXPECT_EQ(Encode(text, &cells), Encode(f, &cells));
    }
    const struct {
        double Value;
        const char* Text;
    } numbers[] = {
        {1.0 / 3, "=0.3333333333333333"},
        {0.1, "=0.1"},
        {2.0 / 3, "=0.6666666666666666"},
        {1e20, "=1E20"},
        {std::numeric_limits<double>::max(), "=1.7976931348623157E308"},
        {std::numeric_limits<double>::denorm_min(), "=4.94065645841247E-324"},
        {123456789.12345679, "=123456789.12345679"},
        {9007199254740993.0, "=9007199254740992"},
    };
    for (const auto& n : numbers) {
        SCOPED_TRACE(n.Text);
        ByteArray t = Tokens({0x1F, 0, 0, 0, 0, 0, 0, 0, 0});
        std::memcpy(t.data() + 3, &n.Value, 8);
        const AnsiString text = Decode(t, &cells);
        EXPECT_EQ(text, n.Text);
        const ByteArray again = Encode(text, &cells);
        double back = 0;
        ASSERT_GE(again.size(), 11u);
        std::memcpy(&back, again.data() + again.size() - 8, 8);
        EXPECT_EQ(back, n.Value);
    }
}

TEST(FormulaText, EncodesTheTokensItPromises)
{
    TTestFormulaContext cells;
    struct Case {
        const char* Text;
        ByteArray Expected;
    } cases[] = {
        {"=1+2*3", Tokens({0x1E, 1, 0, 0x1E, 2, 0, 0x1E, 3, 0, 0x05, 0x03})},
        {"=2^3^2", Tokens({0x1E, 2, 0, 0x1E, 3, 0, 0x07, 0x1E, 2, 0, 0x07})},
        {"=-2^2", Tokens({0x1E, 2, 0, 0x13, 0x1E, 2, 0, 0x07})},
        {"=A1:B2", Tokens({0x45, 0, 0, 1, 0, 0, 0xC0, 1, 0xC0})},
        {"=SUM(A1:B2)", Tokens({0x25, 0, 0, 1, 0, 0, 0xC0, 1, 0xC0, 0x42, 1, 4, 0})},
        {"=$A$1", Tokens({0x44, 0, 0, 0, 0})},
        {"=A$1", Tokens({0x44, 0, 0, 0, 0x40})},
        {"=1:3", Tokens({0x45, 0, 0, 2, 0, 0, 0xC0, 0xFF, 0xC0})},
        {"=C:C", Tokens({0x45, 0, 0, 0xFF, 0xFF, 2, 0xC0, 2, 0xC0})},
        {"=SUM( A1 )", Tokens({0x19, 0x40, 0, 1, 0x24, 0, 0, 0, 0xC0, 0x19, 0x40, 4, 1, 0x42, 1, 4, 0})},
        {"=IF(A1,,1)", Tokens({0x44, 0, 0, 0, 0xC0, 0x16, 0x1E, 1, 0, 0x42, 3, 1, 0})},
        {"=PI()", Tokens({0x41, 19, 0})},
        {"=SUM(A1,B1)", Tokens({0x24, 0, 0, 0, 0xC0, 0x24, 0, 0, 1, 0xC0, 0x42, 2, 4, 0})},
        {"=SUM((A1,B1))", Tokens({0x24, 0, 0, 0, 0xC0, 0x24, 0, 0, 1, 0xC0, 0x10, 0x15, 0x42, 1, 4, 0})},
        {"=65535", Tokens({0x1E, 0xFF, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Encode(c.Text, &cells), c.Expected);
    }
    EXPECT_EQ(Encode("=65536", &cells)[2], 0x1F);
    EXPECT_EQ(Encode("=1.5", &cells)[2], 0x1F);

    // 3-D references find or add their EXTERNSHEET entry.
    ByteArray t = Encode("=Sheet2!B2+Sheet2:Sheet3!B2+Sheet2!C3", &cells);
    EXPECT_EQ(t[2], 0x5A);
    EXPECT_EQ(GetWord(t.data(), 3), 0);
    EXPECT_EQ(GetWord(t.data(), 10), 1);
    EXPECT_EQ(GetWord(t.data(), 18), 0);
    EXPECT_EQ(cells.Refs.ExternRefs().Count(), 2);
}

TEST(FormulaText, NamesBecomeAbsoluteReferencesToTheirSheet)
{
    TTestFormulaContext cells;
    TParseString ps(u"=A1:B2", &cells, true, u"Sheet3", fmRef);
    ps.Parse();
    const ByteArray& t = ps.Tokens();
    ASSERT_EQ(t.size(), 11u);
    EXPECT_EQ(t[0], 0x3B);
    EXPECT_EQ(GetWord(t.data(), 7), 0); // no relative bits
    EXPECT_EQ(GetWord(t.data(), 9), 1);
    EXPECT_EQ(cells.Refs.GetSheet(GetWord(t.data(), 1)), 2);
}

TEST(FormulaText, RefusesMalformedText)
{
    TTestFormulaContext cells;
    AnsiString args31 = "=CHOOSE(1";
    for (int i = 0; i < 30; ++i)
        args31 += ",1";
    args31 += ")";
    const struct {
        AnsiString Text;
        AnsiString Message;
    } cases[] = {
        {"1+2", "Formula must start with \"=\": \"1+2\""},
        {"=", "Unexpected end of formula: \"=\""},
        {"=1+", "Unexpected end of formula: \"=1+\""},
        {"=SUM(1", "Unexpected end of formula: \"=SUM(1\""},
        {"=(1", "Missing closing parentheses on formula: \"=(1\""},
        {"=\"abc", "Unterminated string on formula: \"=\"abc\""},
        {"=FOO(1)", "Function not found: \"FOO\" on formula \"=FOO(1)\""},
        {"=PI(1)", "Invalid number of parameters to function \"PI\": Expected 0 and found 1"},
        {args31, "Invalid number of parameters to function \"CHOOSE\": Expected 2 and found 31"},
        {"=MyName", "Unexpected Identifier: \"MYNAME\" on formula \"=MyName\""},
        {"=#FOO", "Unexpected Identifier: \"#FOO\" on formula \"=#FOO\""},
        {"=Nowhere!A1", "Invalid sheet: NOWHERE"},
        {"={1,2}", "Writing array formulas is not yet supported"},
        {"=1)", "Unexpected char \")\" at pos 3 on formula: \"=1)\""},
        {"=SUM(1;2)", "Unexpected char \";\" at pos 7 on formula: \"=SUM(1;2)\""},
        {"=Sheet2!Foo", "External names are not supported: FOO"},
        {"=Sheet2!A", "Unexpected Identifier: \"0, 1\" on formula \"=Sheet2!A\""},
        {"='Sheet2'A1", "Unexpected char \"A\" at pos 10 on formula: \"='Sheet2'A1\""},
        {"=\xe4\xb8\xad", "Unexpected char \"\xe4\xb8\xad\" at pos 2 on formula: \"=\xe4\xb8\xad\""},
        {"=A1 ", "Unexpected char \" \" at pos 4 on formula: \"=A1 \""},
        {"=" + AnsiString(300, '(') + "1" + AnsiString(300, ')'),
         "Formula nested too deeply: \"=" + AnsiString(300, '(') + "1" + AnsiString(300, ')') + "\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(ErrorOf(c.Text, &cells), c.Message);
    }
    EXPECT_THROW(Encode("=1.2.3", &cells), Exception);
    EXPECT_THROW(Encode("=\"" + AnsiString(256, 'x') + "\"", &cells), EExcelException);
}

TEST(FormulaText, AcceptsAtMost1023Characters)
{
    TTestFormulaContext cells;
    AnsiString ok = "=1";
    while (ok.size() < 1023)
        ok += "+1";
    ok.resize(1023);
    if (ok.back() == '+')
        ok.back() = '1';
    EXPECT_NO_THROW(Encode(ok, &cells));
    AnsiString tooLong = ok + "1";
    EXPECT_EQ(ErrorOf(tooLong, &cells), "Formula too long: \"" + tooLong + "\"");
}

TEST(FormulaDecoder, ShowsTheFormsItReads)
{
    TTestFormulaContext cells;
    const struct {
        ByteArray Data;
        const char* Text;
    } cases[] = {
        {Tokens({0x1E, 1, 0, 0x1E, 2, 0, 0x19, 0x40, 0, 1, 0x05}), "=1 *2"},
        {Tokens({0x1E, 1, 0, 0x19, 0x40, 2, 2, 0x15}), "=  (1)"},
        {Tokens({0x25, 0, 0, 0xFF, 0xFF, 2, 0xC0, 4, 0xC0}), "=C:E"},
        {Tokens({0x25, 2, 0, 4, 0, 0, 0xC0, 0xFF, 0xC0}), "=3:5"},
        {Tokens({0x24, 0, 0, 0, 0, 0x19, 0x10, 0, 0}), "=SUM($A$1)"},
        {Tokens({0x1E, 1, 0, 0x1E, 2, 0, 0x0F}), "=1 2"},
        {Tokens({0x2A, 0, 0, 0, 0, 0x4B, 0, 0, 0, 0, 0, 0, 0, 0, 0x03}), "=#REF!+#REF!"},
        {Tokens({0x1C, 0x2A}), "=#N/A"},
        {Tokens({0x1C, 0x99}), "=#TABRIX_UNKNOWN"},
        {Tokens({0x19, 0x04, 1, 0, 4, 0, 8, 0, 0x1E, 7, 0}), "=7"},
        {Tokens({0x17, 3, 1, 'a', 0, '"', 0, 0x2D, 0x4E}), "=\"a\"\"\xe4\xb8\xad\""},
        // The relative memory tokens are 3 bytes (token and sub-expression size) in every class.
        {Tokens({0x2F, 3, 0, 0x1E, 7, 0}), "=7"},
        {Tokens({0x4E, 7, 0, 0x1E, 1, 0, 0x1E, 2, 0, 0x03}), "=1+2"},
        {Tokens({0x6F, 3, 0, 0x24, 1, 0, 1, 0xC0, 0x1E, 2, 0, 0x05}), "=B2*2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Decode(c.Data, &cells), c.Text);
    }

    // An array constant lives after the tokens.
    ByteArray arr = Tokens({0x60, 0, 0, 0, 0, 0, 0, 0});
    const Byte extra[] = {1, 1, 0, 1, 0, 0, 0, 0, 0,  0, 0xF8, 0x3F, 2, 1, 0, 0, 'x', 4,
                          1, 0, 0, 0, 0, 0, 0, 0, 16, 7, 0,    0,    0, 0, 0, 0, 0};
    arr.insert(arr.end(), std::begin(extra), std::end(extra));
    EXPECT_EQ(Decode(arr, &cells), "={1.5,\"x\";TRUE,#DIV/0!}");

    // A function called through a name: the name comes first, then the real arguments.
    cells.Refs.AddSheet(4, 0, 0);
    ByteArray names = Tokens({0x1E, 1, 0, 0x1E, 2, 0, 0x22, 3, 0xFF, 0});
    names.insert(names.begin() + 2, {0x17, 2, 0, 'M', 'Y'});
    names[0] = static_cast<Byte>(names.size() - 2);
    EXPECT_EQ(Decode(names, &cells), "=\"MY\"(1,2)");
}

TEST(FormulaDecoder, ShowsArrayAndTableFormulasInBraces)
{
    TTestFormulaContext cells;
    ByteArray arrayRec(14, 0);
    const ByteArray body = Tokens({0x24, 0, 0, 0, 0xC0, 0x1E, 2, 0, 0x05});
    SetWord(arrayRec.data(), 12, GetWord(body.data(), 0));
    arrayRec.insert(arrayRec.end(), body.begin() + 2, body.end());
    cells.Arrays[{4, 2}] = arrayRec;
    EXPECT_EQ(Decode(Tokens({0x01, 4, 0, 2, 0}), &cells), "{=A1*2}");

    ByteArray table(16, 0);
    SetWord(table.data(), 6, 0x08);
    SetWord(table.data(), 8, 1);
    SetWord(table.data(), 10, 2);
    SetWord(table.data(), 12, 3);
    SetWord(table.data(), 14, 4);
    cells.Tables[{1, 1}] = table;
    EXPECT_EQ(Decode(Tokens({0x02, 1, 0, 1, 0}), &cells), "{=TABLE($C$2,$E$4)}");

    // An array formula that points at itself is refused instead of followed for ever.
    ByteArray selfRec(14, 0);
    SetWord(selfRec.data(), 12, 5);
    for (Byte b : {0x01, 4, 0, 2, 0})
        selfRec.push_back(b);
    cells.Arrays[{4, 2}] = selfRec;
    EXPECT_THROW(Decode(Tokens({0x01, 4, 0, 2, 0}), &cells), ETokenException);
}

// Token arrays from a damaged file: each is refused with the engine's error, never read past.
TEST(FormulaDecoder, RefusesMalformedTokens)
{
    TTestFormulaContext cells;
    const struct {
        ByteArray Data;
        const char* Message;
    } cases[] = {
        {Tokens({0x24, 0, 0}), "Error reading formula, Token Id: 0x24 is not supported"},
        {Tokens({0x17, 5, 0, 'a'}), "Error reading formula, Token Id: 0x17 is not supported"},
        {Tokens({0x19, 0x04, 0xFF, 0xFF}), "Error reading formula, Token Id: 0x19 is not supported"},
        {Tokens({0x20, 0, 0, 0, 0, 0, 0, 0}), "Error reading formula, Token Id: 0x20 is not supported"},
        {Tokens({0x1E, 1, 0, 0x18}), "Error reading formula, Token Id: 0x18 is not supported"},
        {Tokens({0x1E, 1, 0, 0x9E}), "Error reading formula, Token Id: 0x9e is not supported"},
        {Tokens({0x03}), "String Stack is empty"},
        {Tokens({}), "String Stack is empty"},
        {Tokens({0x41, 0x70, 0x01}),
         "The index \"368\" of the property \"Function name\" is not in the range 0-367"},
        {Tokens({0x5A, 9, 0, 0, 0, 0, 0}),
         "The index \"9\" of the property \"Sheet Reference\" is not in the range 0--1"},
        {ByteArray{0x09, 0x00, 0x1E}, "Error reading record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Message);
        try {
            Decode(c.Data, &cells);
            ADD_FAILURE() << "accepted";
        } catch (const EExcelException& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
    EXPECT_THROW(Decode(Tokens({0x39, 0, 0, 1, 0, 0, 0}), nullptr), EExcelException);
}
