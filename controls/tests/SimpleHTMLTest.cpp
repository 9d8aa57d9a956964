#include "controls/SimpleHTML.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

namespace {

// The tree as one line: elements as NAME[attributes](children) or NAME"text", text nodes as "text".
std::u16string Shape(const TSimpleHTMLNode* N)
{
    std::u16string S = N->TagName();
    if (!N->HasChildren())
        return S + u"\"" + N->Text() + u"\"";
    S += u"(";
    for (Integer I = 0; I < N->GetChildCount(); ++I)
        S += (I ? u"," : u"") + Shape(N->GetChildren(I));
    return S + u")";
}

TEST(SimpleHTML, ParsesTagsTextAndEntitiesIntoATree)
{
    const struct {
        const char16_t* Text;
        bool Parsed;
        const char16_t* Shape;
    } Cases[] = {
        {u"plain text", true, u"HTML\"plain text\""},
        {u"<b>bold</b>", true, u"HTML(B\"bold\")"},
        {u"<b>x<i>y</i>z</b>", true, u"HTML(B(\"x\",I\"y\",\"z\"))"},
        {u"a<b>b</b>c", true, u"HTML(\"a\",B\"b\",\"c\")"},
        {u"<br/>", true, u"HTML(BR\"\")"},
        {u"<br />after", true, u"HTML(BR\"\",\"after\")"},
        {u"<B>x</b>", true, u"HTML(B\"x\")"},
        {u"<p>  spaced\t</p>", true, u"HTML(P\"  spaced\t\")"},
        {u"a &amp; b &lt;c&gt;", true, u"HTML\"a & b <c>\""},
        {u"&#65;&#x41;&#0;&amp", true, u"HTML\"A&#x41;&#0;&amp\""},
        {u"&ordf;&laquo;&unknown;", true, u"HTML\"\u00AA\u00AB&unknown;\""},
        {u"<!-- note -->text", true, u"HTML\"text\""},
        {u"<!---->x", true, u"HTML\"x\""},
        {u"<i>\u734E\u54C1</i>", true, u"HTML(I\"\u734E\u54C1\")"},
        // Failures keep what was built and drop the pending text.
        {u"</b>", false, u"HTML\"\""},
        {u"<b>never closed", false, u"HTML(B\"\")"},
        {u"<b>x</i>", false, u"HTML(B\"x\")"},
        {u"<>", false, u"HTML\"\""},
        {u"<!-- open", false, u"HTML\"\""},
        {u"<!-->", false, u"HTML\"\""},
        {u"<br/ >", false, u"HTML\"\""},
        {u"<a href='x>t</a>", false, u"HTML\"\""},
        {u"<a href=>t</a>", false, u"HTML\"\""},
        {u"<a href=x", false, u"HTML\"\""},
        {u"<b", false, u"HTML\"\""},
    };
    for (const auto& C : Cases) {
        TSimpleHTML Doc(C.Text);
        EXPECT_EQ(Doc.Parsed(), C.Parsed) << UTF8Encode(C.Text);
        EXPECT_EQ(UTF8Encode(Shape(&Doc)), UTF8Encode(C.Shape)) << UTF8Encode(C.Text);
    }
}

TEST(SimpleHTML, AttributesKeepTheirNamesAndAreFoundInAnyCase)
{
    TSimpleHTML Doc(u"<a href='x&amp;y' Target=_blank empty='' flag>t</a><img src=\"p.png\" src=\"\"/>");
    ASSERT_TRUE(Doc.Parsed());
    const TSimpleHTMLNode* A = Doc.GetChildren(0);
    EXPECT_EQ(A->GetAttributes("HREF"), "x&y");
    EXPECT_EQ(A->GetAttributes("href"), "x&y");
    EXPECT_EQ(A->GetAttributes("target"), "_blank");
    EXPECT_FALSE(A->HasAttribute("empty"));
    EXPECT_FALSE(A->HasAttribute("flag"));
    EXPECT_EQ(A->GetAttributes("missing"), "");
    EXPECT_FALSE(Doc.GetChildren(1)->HasAttribute("src")) << "an empty value removes the earlier one";
    EXPECT_EQ(UTF8Encode(A->GetOuterHTML()), "<A href=\"x&amp;y\" Target=\"_blank\">t</A>");
}

TEST(SimpleHTML, SerialisesBackToHtmlAndText)
{
    TSimpleHTML Doc(u"<b>x<i>y &lt;3</i>z</b><br/>\u00A9 2026");
    ASSERT_TRUE(Doc.Parsed());
    EXPECT_EQ(UTF8Encode(Doc.GetInnerHTML()), "<B>x<I>y &lt;3</I>z</B><BR/>&copy; 2026");
    EXPECT_EQ(UTF8Encode(Doc.GetInnerText()), "x y <3 z  \u00A9 2026");
    EXPECT_EQ(UTF8Encode(Doc.GetOuterHTML()), "<HTML><B>x<I>y &lt;3</I>z</B><BR/>&copy; 2026</HTML>");
    // What is written back reads back to the same tree.
    TSimpleHTML Again(Doc.GetInnerHTML());
    EXPECT_TRUE(Again.Parsed());
    EXPECT_EQ(Shape(&Again), Shape(&Doc));
}

TEST(SimpleHTML, NodesKnowTheirPlaceAndCanBeEdited)
{
    TSimpleHTML Doc(u"<p>a</p><p>b</p><p>c</p>");
    EXPECT_EQ(Doc.GetDocument(), &Doc);
    TSimpleHTMLNode* Third = Doc.GetChildren(2);
    EXPECT_EQ(Third->GetIndex(), 2);
    EXPECT_EQ(Third->GetDocument(), &Doc);
    TSimpleHTMLNode* Added = Third->AddChild(u"span");
    EXPECT_EQ(Added->TagName(), u"span") << "kept as given";
    EXPECT_EQ(Added->GetDocument(), &Doc);
    Doc.RemoveChild(0);
    EXPECT_EQ(Doc.GetChildCount(), 2);
    EXPECT_EQ(Doc.GetChildren(0)->Text(), u"b");
    EXPECT_THROW(Doc.GetChildren(2), EListError);
    EXPECT_THROW(Doc.RemoveChild(-1), EListError);
    Doc.RemoveAllChildren();
    EXPECT_FALSE(Doc.HasChildren());

    TSimpleHTMLNode Loose(nullptr, u"DIV");
    EXPECT_EQ(Loose.GetDocument(), nullptr);
    EXPECT_EQ(Loose.GetIndex(), 0);
}

TEST(SimpleHTML, AParseIntoANodeNeverClosesAboveIt)
{
    TSimpleHTML Doc(u"<div></div>");
    TSimpleHTMLNode* Div = Doc.GetChildren(0);
    EXPECT_FALSE(Div->Parse(u"x</DIV><b>y</b>"));
    EXPECT_EQ(Doc.GetChildCount(), 1) << "nothing was added beside the node";
}

TEST(SimpleHTML, HostileTextsEndQuickly)
{
    // Deep nesting ends the parse instead of exhausting the stack of later walks.
    std::u16string Deep;
    for (int I = 0; I < 100000; ++I)
        Deep += u"<b>";
    TSimpleHTML Nested(Deep);
    EXPECT_FALSE(Nested.Parsed());
    EXPECT_EQ(Nested.GetInnerText(), u"");
    // Many '&' and no ';': each is plain text.
    const std::u16string Ampersands(200000, u'&');
    TSimpleHTML Plain(Ampersands + u";");
    EXPECT_TRUE(Plain.Parsed());
    EXPECT_EQ(Plain.Text(), Ampersands + u";");
    EXPECT_EQ(DecodeHtmlEntities(Ampersands), Ampersands);
}

TEST(SimpleHTML, EntitiesEncodeAndDecode)
{
    WideString Name;
    ASSERT_TRUE(EncodeWebChar(0xAB, Name));
    EXPECT_EQ(Name, u"laquo");
    EXPECT_FALSE(EncodeWebChar(u'a', Name));
    WideChar Ch = 0;
    const struct {
        const char16_t* Name;
        bool Decodes;
        WideChar Char;
    } Cases[] = {{u"#65", true, u'A'},    {u"#65601", true, u'A'}, {u"#0", false, 0},
                 {u"#x41", false, 0},     {u"#", false, 0},        {u"", false, 0},
                 {u"amp", true, u'&'},    {u"AMP", false, 0},      {u"Dagger", true, 8225},
                 {u"dagger", true, 8224}, {u"euro", true, 8364},   {u"divide", true, 247}};
    for (const auto& C : Cases) {
        EXPECT_EQ(DecodeWebChar(C.Name, Ch), C.Decodes) << UTF8Encode(C.Name);
        if (C.Decodes) {
            EXPECT_EQ(Ch, C.Char) << UTF8Encode(C.Name);
        }
    }
    EXPECT_EQ(EncodeHtmlEntities(u"<a & \"b\">\u00A0"), u"&lt;a &amp; &quot;b&quot;&gt;&nbsp;");
    EXPECT_EQ(DecodeHtmlEntities(u"&lt;a &amp b&gt;&bogus;"), u"<a &amp b>&bogus;");
}

TEST(SimpleHTML, WebColoursDecodeAndEncode)
{
    const TColor Default = 0x123456;
    const struct {
        const char16_t* Text;
        TColor Color;
    } Cases[] = {
        {u"#FF0000", clRed},     {u"#f00", clRed},       {u"#0080ff", 0xFF8000},
        {u"#abc", 0xCCBBAA},     {u"#FF000", Default},   {u"#GG0000", Default},
        {u"#", Default},         {u"red", clRed},        {u"MoneyGreen", clMoneyGreen},
        {u"btnface", clBtnFace}, {u"none", 0x1FFFFFFF},  {u"$FF0000", clBlue},
        {u"$zz", Default},       {u"nonsense", Default}, {u"", Default},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(DecodeWebColor(C.Text, Default), C.Color) << UTF8Encode(C.Text);
    EXPECT_EQ(EncodeWebColor(clRed), u"Red");
    EXPECT_EQ(EncodeWebColor(clBtnFace), u"BtnFace");
    EXPECT_EQ(EncodeWebColor(0x00A0FF), u"#FFA000");
}

} // namespace
