#include "RudUvud/support/Daehtmle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(MiniHTML, PreparationReplacesEntitiesFieldMarksAndLineBreaks)
{
    struct Case {
        std::string Text, Expected;
    } Cases[] = {
        {"a &amp; b &AMP; c &Amp;", "a & b & c &"},
        {"&quot;x&quot;", "\"x\""},
        {"&permil;&euro;&copy;&reg;&trade;&sect;&para;", "\u2030\u20AC\u00A9\u00AE\u2122\u00A7\u00B6"},
        {"&amp;amp;", "&amp;"},         // one pass: what a replacement makes is not read again
        {"&amp;lt;", "&lt;"},           // left for the run entities
        {"& &am; &amp", "& &am; &amp"}, // incomplete entities stay
        {"&nbsp;&lt;", "&nbsp;&lt;"},   // run entities are not touched here
        {"<#name> and <#x>", "#name and #x"},
        {"<#a<#b>>c", "#a#bc"},
        {"<<#a>b", "#ab"},   // the '<' before the mark forms a mark again
        {"<#x", "#x"},       // no '>' to remove
        {"a>b<#c", "a>b#c"}, // a '>' before the mark stays
        {"line1\r\nline2\rline3\n", "line1<BR>line2<BR>line3"},
        {"", ""},
        {"plain", "plain"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(HTMLPrepare(C.Text), C.Expected) << C.Text;

    EXPECT_EQ(HTMLRunEntities("a&nbsp;b &lt;B&gt; &LT; &amp;"), "a b <B> &LT; &amp;");
}

std::vector<std::pair<THTMLTokenKind, std::string>> Cut(const std::string& Markup, bool WordWrap)
{
    THTMLReader Reader(Markup);
    std::vector<std::pair<THTMLTokenKind, std::string>> Tokens;
    while (!Reader.AtEnd()) {
        THTMLToken T = Reader.Next(WordWrap);
        Tokens.emplace_back(T.Kind, T.Text);
    }
    return Tokens;
}

TEST(MiniHTML, CuttingIntoRunsAndTags)
{
    using V = std::vector<std::pair<THTMLTokenKind, std::string>>;
    EXPECT_EQ(Cut("two words<B>bold</B> x", true), (V{{tkText, "two "},
                                                      {tkText, "words"},
                                                      {tkTag, "<B>"},
                                                      {tkText, "bold"},
                                                      {tkTag, "</B>"},
                                                      {tkText, " "},
                                                      {tkText, "x"}}));
    EXPECT_EQ(Cut("two words<B>bold</B> x", false),
              (V{{tkText, "two words"}, {tkTag, "<B>"}, {tkText, "bold"}, {tkTag, "</B>"}, {tkText, " x"}}));
    // A tag without '>' takes the rest; a final '<' with one character is dropped.
    EXPECT_EQ(Cut("a<FONT face=x", false), (V{{tkText, "a"}, {tkTag, "<FONT face=x"}}));
    EXPECT_EQ(Cut("text<b", false), (V{{tkText, "text"}, {tkEnd, ""}}));
    EXPECT_EQ(Cut("<", true), (V{{tkEnd, ""}}));
    EXPECT_EQ(Cut("<>", true), (V{{tkEnd, ""}}));
    EXPECT_EQ(Cut("<>x", true), (V{{tkTag, "<>"}, {tkText, "x"}}));
    EXPECT_EQ(Cut("", true), V{});

    // Peek does not move; a layout pass can go back to a saved position.
    THTMLReader Reader("ab cd");
    THTMLToken First = Reader.Peek(true);
    EXPECT_EQ(Reader.Peek(true).Text, First.Text);
    Reader.Consume(First);
    const std::size_t Saved = Reader.Position();
    EXPECT_EQ(Reader.Next(true).Text, "cd");
    EXPECT_TRUE(Reader.AtEnd());
    Reader.SetPosition(Saved);
    EXPECT_EQ(Reader.Next(true).Text, "cd");
}

TEST(MiniHTML, TagRecognition)
{
    struct Case {
        const char* Tag;
        THTMLTag Expected;
    } Cases[] = {
        {"<A HREF=\"x\">", htA},
        {"<a>", htA},
        {"<B>", htB},
        {"<b>", htB},
        {"<BR>", htBR},
        {"<br/>", htBR},
        {"<BL>", htBL},
        {"<BODY BGCOLOR=\"#FF0000\">", htBODY},
        {"<BX>", htUnknown},
        {"<CONTROL>", htCONTROL},
        {"<E>", htE},
        {"<FONT>", htFONT},
        {"<HI>", htHI},
        {"<HR>", htHR},
        {"<HX>", htUnknown},
        {"<I>", htI},
        {"<IND x=\"5\">", htIND},
        {"<IMG SRC=\"a\">", htIMG},
        {"<IX>", htUnknown},
        {"<LI>", htLI},
        {"<P>", htP},
        {"<R a=\"45\">", htR},
        {"<S>", htS},
        {"<SHAD>", htSHAD},
        {"<SUB>", htSUB},
        {"<sup>", htSUP},
        {"<SUB x>", htUnknown},
        {"<SX>", htUnknown},
        {"<U>", htU},
        {"<UL>", htUL},
        {"<Z>", htZ},
        {"<Q>", htUnknown},
        {"</A>", htEndA},
        {"</B>", htEndB},
        {"</BL>", htEndColor},
        {"</BODY>", htEndColor},
        {"</E>", htEndE},
        {"</FONT>", htEndFONT},
        {"</HI>", htEndHI},
        {"</I>", htEndI},
        {"</LI>", htEndLI},
        {"</P>", htEndP},
        {"</R>", htEndR},
        {"</SUB>", htEndSUBSUP},
        {"</sup>", htEndSUBSUP},
        {"</SHAD>", htEndSHAD},
        {"</S>", htEndS},
        {"</U>", htEndU},
        {"</UL>", htEndUL},
        {"</Z>", htEndZ},
        {"</>", htUnknown},
        {"</Q>", htUnknown},
        {"</B", htUnknown},
        {"", htUnknown},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(HTMLTagKind(C.Tag), C.Expected) << C.Tag;
}

TEST(MiniHTML, AttributeValues)
{
    const std::string Font = "<FONT face=\"Arial\" color=\"clRed\" bgcolor=\"#00ff00\" size=\"3\">";
    EXPECT_EQ(HTMLAttribute(Font, "FACE", false), "ARIAL");
    EXPECT_EQ(HTMLAttribute(Font, " COLOR", false), "CLRED");
    EXPECT_EQ(HTMLAttribute(Font, "BGCOLOR", false), "#00FF00");
    EXPECT_EQ(HTMLAttribute(Font, "SIZE", false), "3");
    EXPECT_EQ(HTMLAttribute(Font, "MISSING", false), "");
    const std::string Anchor = "<A href = \"http://Example.com/A\" TITLE=\"Go There\">";
    EXPECT_EQ(HTMLAttribute(Anchor, "HREF", true), "http://Example.com/A");
    EXPECT_EQ(HTMLAttribute(Anchor, "TITLE", true), "Go There");
    // Unquoted values are empty; a name inside another value is not taken for the attribute.
    EXPECT_EQ(HTMLAttribute("<FONT FACE=Arial COLOR=\"clred\">", "FACE", false), "");
    EXPECT_EQ(HTMLAttribute("<A TITLE=\"HREF\" HREF=\"u\">", "HREF", true), "u");
    EXPECT_EQ(HTMLAttribute("<A HREF=\"open", "HREF", true), "open");
    EXPECT_EQ(HTMLAttribute("<A HREF=\"open>", "HREF", true), "open");
    EXPECT_EQ(HTMLAttribute("<IND x=\"40\">", "X", false), "40");

    EXPECT_EQ(HTMLFontSizeValue("<FONT SIZE=\"3\">"), "3");
    EXPECT_EQ(HTMLFontSizeValue("<FONT size=3>"), "3");
    EXPECT_EQ(HTMLFontSizeValue("<FONT SIZE=20 FACE=\"X\">"), "20");
    EXPECT_EQ(HTMLFontSizeValue("<FONT>"), "");

    struct Num {
        const char* Text;
        Integer Value;
        bool Whole;
    } Numbers[] = {
        {"12", 12, true},
        {"-7", -7, true},
        {"0x1F", 31, true},
        {"$1f", 31, true},
        {"12abc", 12, false},
        {"", 0, false},
        {"abc", 0, false},
        {" 5", 5, true},
        {"$FFFFFFFF", -1, true},
        {"99999999999", 999999999, false},
        {"-2147483648", -2147483647 - 1, true},
    };
    for (const Num& N : Numbers) {
        Integer Value = -99;
        EXPECT_EQ(HTMLReadNumber(N.Text, Value), N.Whole) << N.Text;
        EXPECT_EQ(Value, N.Value) << N.Text;
    }
}

TEST(MiniHTML, FontSizesAndColours)
{
    struct Size {
        Integer In, Out;
    } Sizes[] = {{1, 8},   {2, 10}, {3, 12}, {4, 14}, {5, 16},
                 {20, 20}, {6, 6},  {0, 1},  {-4, 1}, {100000, 1638}};
    for (const Size& S : Sizes)
        EXPECT_EQ(HTMLFontSize(S.In), S.Out) << S.In;

    struct Colour {
        const char* Value;
        bool Body;
        bool Read;
        TColor Expected;
    } Colours[] = {
        {"#FF0000", false, true, 0x0000FF},
        {"#ff0000", false, true, 0x0000FF},
        {"#0080FF", false, true, 0xFF8000},
        {"CLRED", false, true, 0x0000FF},
        {"clRed", false, true, 0x0000FF},
        {"clbtnface", false, true, 0x8000000F},
        {"CLINFOBK", false, true, 0x80000018},
        {"clnosuch", false, true, 0}, // unknown names are black
        {"#F", false, true, 0},       // short pairs count 0
        {"#FFF", false, true, 0x0000FF},
        {"#GG00ZZ", false, true, 0},    // not hexadecimal: 0, never spills into other bytes
        {"red#00FF00", false, true, 0}, // '#' must come first for FONT and P
        {"red#00FF00", true, true, 0x00FF00},
        {"CLBLUE", true, true, 0xFF0000},
        {"BLUE", true, false, 0x123},
        {"", false, false, 0x123},
    };
    for (const Colour& C : Colours) {
        TColor Color = 0x123;
        EXPECT_EQ(HTMLReadColor(C.Value, C.Body, Color), C.Read) << C.Value;
        EXPECT_EQ(Color, C.Expected) << C.Value;
    }
}

} // namespace
