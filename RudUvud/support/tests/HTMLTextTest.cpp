#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/daecheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HTMLText, StripGivesThePlainText)
{
    struct Case {
        const char* S;
        const char* Plain;
    } Cases[] = {
        {"<B>bold</B> word<br>next", "bold word\r\nnext"},
        {"a<HR>b<Br>c", "a\r\nb\r\nc"},
        {"text<b", "text<b"}, // a '<' without '>' stays with the rest
        {"1 > 0 <I>x</I>", "1 > 0 x"},
        {"&amp; <FONT color=\"clred\"><B>n</B></FONT>", "&amp; n"},
        {"", ""},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(HTMLStrip(C.S), C.Plain) << C.S;
}

TEST(HTMLText, HighlightAndBack)
{
    struct Case {
        const char* S;
        const char* H;
        bool DoCase;
        const char* Marked;
    } Cases[] = {
        {"<B>bold</B>", "ol", true, "<B>b<hi>ol</hi>d</B>"},
        {"<B>bold</B>", "bold", true, "<hi><B>bold</B></hi>"}, // closed at the very end
        {"aa", "a", true, "<hi>a</hi><hi>a</hi>"},             // a match right after the previous one too
        {"abab", "AB", false, "<hi>ab</hi><hi>ab</hi>"},
        {"aXa", "a", true, "<hi>a</hi>X<hi>a</hi>"},
        {"Abc abc", "ABC", false, "<hi>Abc</hi> <hi>abc</hi>"},
        {"Abc abc", "ABC", true, "Abc abc"},
        {"Ärger ärger", "ÄRGER", false, "<hi>Ärger</hi> <hi>ärger</hi>"},
        {"a > b <B>bold</B>", "b", true, "a &gt; <hi>b</hi> <hi>b</hi>old"}, // markup dropped, escaped
        {"text", "", false, "text"},                                         // nothing to find: unchanged
        {"end", "nd", true, "e<hi>nd</hi>"},
    };
    for (const Case& C : Cases) {
        const AnsiString Marked = HiLight(C.S, C.H, "hi", C.DoCase);
        EXPECT_EQ(Marked, C.Marked) << C.S << " / " << C.H;
    }
    EXPECT_EQ(UnHiLight("<B>b<HI>ol</hi>d</B>", "hi"), "<B>bold</B>");
    EXPECT_EQ(UnHiLight("a &gt; <e>b</E>", "e"), "a > b");
}

TEST(HTMLText, EscapingRoundTripsThroughControlValues)
{
    EXPECT_EQ(FixMarkup("&"), "&amp;");
    EXPECT_EQ(FixMarkup("ø Ø \"<>\""), "&oslash; &Oslash; &quot;&lt;&gt;&quot;");
    EXPECT_EQ(FixMarkup("*amp;"), "*amp;"); // a literal marker is text like any other
    EXPECT_EQ(FixNonBreaking("a b  c"), "a&nbsp;b&nbsp;&nbsp;c");
    const char* Corpus[] = {
        "plain",
        "&",
        "&amp;",
        "&lt;",
        "*amp;",
        "\"quoted\" <tag> & more",
        "éèëêóòöôíìïîúùüûáàäâ ÉÈËÊÓÒÖÔÍÌÏÎÚÙÜÛÁÀÄÂ çÇøØåÅ©®€«»",
        "&eacute; literally",
        "中文 & ü",
    };
    for (const char* S : Corpus)
        EXPECT_EQ(HTMLDecodeControlValue(FixMarkup(S)), S) << S;
}

TEST(HTMLText, FormControls)
{
    const AnsiString Form =
        "Name <CONTROL TYPE=\"EDIT\" ID=\"name\" VALUE=\"Ann &amp; Bo\" WIDTH=\"80\" MAXLEN=\"12x\">"
        " ok <control type=\"button\" ID=\"b\" VALUE=\"OK\" WIDTH=\"40\">"
        "<CONTROL TYPE=\"RADIO\" ID=\"r1\" VALUE=\"TRUE\" WIDTH=\"16\">"
        "<CONTROL TYPE=\"COMBO\" ID=\"city\" VALUE=\"x\" WIDTH=\"60\" PROP=\"a,b\" EXTRA=\"1\"> end";
    EXPECT_TRUE(HasHTMLControl(Form));
    EXPECT_FALSE(HasHTMLControl("<B>none</B>"));
    struct Case {
        const char* ID;
        const char* Next;
    } Next[] = {{"", "name"}, {"name", "city"}, {"b", "city"}, {"city", ""}, {"unknown", ""}};
    for (const Case& C : Next)
        EXPECT_EQ(GetNextControlID(Form, C.ID), C.Next) << C.ID;

    AnsiString Value = "kept";
    EXPECT_TRUE(GetControlValue(Form, "name", Value));
    EXPECT_EQ(Value, "Ann & Bo");
    EXPECT_FALSE(GetControlValue(Form, "NAME", Value)); // IDs compare exactly
    EXPECT_EQ(Value, "Ann & Bo");
    EXPECT_EQ(GetControlProp(Form, "city"), "a,b");
    EXPECT_EQ(GetControlMaxLen(Form, "name"), 12);
    EXPECT_EQ(GetControlMaxLen(Form, "city"), 0);

    AnsiString S = Form;
    EXPECT_TRUE(SetControlValue(S, "city", "<\"new\">"));
    EXPECT_NE(S.find("<CONTROL ID=\"city\" VALUE=\"&lt;&quot;new&quot;&gt;\" WIDTH=\"60\" TYPE=\"COMBO\" "
                     "PROP=\"a,b\"> end"),
              AnsiString::npos);
    EXPECT_TRUE(GetControlValue(S, "city", Value));
    EXPECT_EQ(Value, "<\"new\">");
    EXPECT_EQ(S.substr(0, 5), "Name ");
    AnsiString Unchanged = Form;
    EXPECT_FALSE(SetControlValue(Unchanged, "nobody", "v"));
    EXPECT_EQ(Unchanged, Form);

    const AnsiString Cleared = ClearRadioControls(Form);
    EXPECT_TRUE(GetControlValue(Cleared, "r1", Value));
    EXPECT_EQ(Value, "FALSE");
}

TEST(CellChecker, BaseAndCapitalCheck)
{
    TDidAririzEvarCheck Base(nullptr);
    EXPECT_FALSE(Base.GotoCell() || Base.AutoCorrect() || Base.AutoMarkError() || Base.UseCorrect() ||
                 Base.UseMarkError());
    EXPECT_EQ(Base.Correct(1, 2, "as is. yes"), "as is. yes");
    EXPECT_EQ(Base.MarkError(1, 2, "as is"), "as is");

    TCapitalCheck Capital(nullptr);
    struct Case {
        const char* S;
        const char* Corrected;
    } Cases[] = {
        {"one. two", "One. Two"},
        {"one.  two", "One.  two"}, // two spaces: only the first sentence
        {"what? yes! no", "What? Yes! No"},
        {"1st place", "1st place"},
        {"élan. b", "élan. B"}, // only a to z are upper-cased
        {"", ""},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Capital.Correct(0, 0, C.S), C.Corrected) << C.S;

    EXPECT_EQ(ReplaceOnce("a-b-c", "-", "+"), "a+b-c");
    EXPECT_EQ(ReplaceOnce("abc", "x", "+"), "abc");
    EXPECT_EQ(daecheck::HiLight("<B>word</B> word", "WORD", "e", false), "<e><B>word</e></B> <e>word</e>");
    EXPECT_EQ(daecheck::HiLight("abc", "", "e", false), "abc");
}

} // namespace
