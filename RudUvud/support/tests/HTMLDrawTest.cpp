#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/PictureContainer.h"

#include "platform/forms/Graphics.h"
#include "platform/forms/ImgList.h"
#include "platform/testing/Harness.h"
#include "platform/win/FileIcons.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageFiles.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

// One canvas and every argument of HTMLDrawEx, with the callers' usual values.
struct THtml {
    TBitmap Bitmap;
    TCanvas* C;
    TRect Rect;
    Integer X = -1, Y = -1, FocusLink = -1, HoverLink = 0;
    bool WordWrap = true, Selected = false, Blink = true, HoverStyle = false, Down = false;
    TColor HoverColor = clNone, HoverFontColor = clNone;
    TCustomImageList* Images = nullptr;
    THTMLPictureCache* Cache = nullptr;
    TPictureContainer* Container = nullptr;

    AnsiString AnchorVal = "untouched", StripVal, FocusAnchor, AnchorHint, CtrlID, CtrlVal, CtrlType;
    Integer XSize = -1, YSize = -1, HyperLinks = -1, MouseLink = -2;
    TRect MouseRect{-1, -1, -1, -1}, CtrlRect{-1, -1, -1, -1};

    explicit THtml(Integer Width = 300, Integer Height = 200) : Rect{0, 0, Width, Height}
    {
        Bitmap.SetSize(Width, Height);
        C = Bitmap.Canvas();
        C->Font()->SetName("Arial");
        C->Font()->SetSize(10);
        C->Font()->SetColor(0);
        C->Brush()->SetColor(0xFFFFFF);
        C->FillRect(Rect);
    }

    bool Call(const AnsiString& Markup, bool HotSpot, bool Height)
    {
        return HTMLDrawEx(C, Markup, Rect, Images, X, Y, FocusLink, HoverLink, 1, HotSpot, Height, false,
                          Selected, Blink, HoverStyle, WordWrap, Down, 1.0, 0xFF0000, HoverColor,
                          HoverFontColor, 0x808080, AnchorVal, StripVal, FocusAnchor, AnchorHint, XSize,
                          YSize, HyperLinks, MouseLink, MouseRect, CtrlRect, CtrlID, CtrlVal, CtrlType, Cache,
                          Container, nullptr);
    }
    bool Measure(const AnsiString& Markup) { return Call(Markup, false, true); }
    bool Draw(const AnsiString& Markup) { return Call(Markup, false, false); }
    bool Hit(const AnsiString& Markup, Integer AX, Integer AY)
    {
        X = AX;
        Y = AY;
        return Call(Markup, true, false);
    }

    Integer W(const AnsiString& S, bool Bold = false)
    {
        TFontStyles Old = C->Font()->Style();
        if (Bold)
            C->Font()->SetStyle(TFontStyles{fsBold});
        const Integer Result = C->TextWidth(S);
        C->Font()->SetStyle(Old);
        return Result;
    }
    Integer Gh() { return C->TextHeight("gh"); }

    COLORREF Pixel(Integer PX, Integer PY)
    {
        cairo_surface_t* S = GetBitmapSurface(Bitmap.Handle());
        cairo_surface_flush(S);
        const auto* Row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(S) +
                                                                 PY * cairo_image_surface_get_stride(S));
        const std::uint32_t P = Row[PX];
        return RGB((P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
    }
    // How many pixels of the area have exactly the colour (or, with Dark, are dark).
    int Count(const TRect& Area, COLORREF Color)
    {
        int N = 0;
        for (Integer PY = Area.Top; PY < Area.Bottom; ++PY)
            for (Integer PX = Area.Left; PX < Area.Right; ++PX)
                N += Pixel(PX, PY) == Color;
        return N;
    }
    int CountDark(const TRect& Area)
    {
        int N = 0;
        for (Integer PY = Area.Top; PY < Area.Bottom; ++PY)
            for (Integer PX = Area.Left; PX < Area.Right; ++PX) {
                const COLORREF P = Pixel(PX, PY);
                N += (P & 0xFF) + ((P >> 8) & 0xFF) + ((P >> 16) & 0xFF) < 200;
            }
        return N;
    }
    // The leftmost column holding a dark pixel, or -1.
    Integer FirstDarkColumn()
    {
        for (Integer PX = 0; PX < Rect.Right; ++PX)
            for (Integer PY = 0; PY < Rect.Bottom; ++PY)
                if (CountDark(TRect{PX, PY, PX + 1, PY + 1}))
                    return PX;
        return -1;
    }
};

TEST(HTMLDrawEx, MeasuresLinesAndSizes)
{
    THtml H;
    const Integer Gh = H.Gh();
    struct Case {
        const char* Markup;
        Integer Width; // of the rectangle
        bool WordWrap;
        Integer XSize, YSize;
    };
    const Integer Bolden = H.W("bo") + H.W("ld", true) + H.W("en");
    const Case Cases[] = {
        {"", 300, true, 0, Gh},
        {"abc", 300, true, H.W("abc"), Gh},
        {"abc <BR>de", 300, true, H.W("abc"), 2 * Gh}, // trailing space not counted
        {"abcd efgh", H.W("abcd ") + 3, true, std::max(H.W("abcd"), H.W("efgh")), 2 * Gh},
        {"bo<B>ld</B>en x", Bolden - 2, true, Bolden, 2 * Gh}, // never broken at the tag
        // Without word wrap a line that overflowed is the last one.
        {"aaaa bbbb cccc <B>dd</B><BR>next", 40, false, H.W("aaaa bbbb cccc ") + H.W("dd", true), Gh},
        {"aaaa bbbb<BR>next", 40, false, H.W("aaaa bbbb"), 2 * Gh},
        {"a<BR>b<BR>c", 300, true, H.W("a"), 3 * Gh}, // past the rectangle's bottom
        // A word at least as wide as the rectangle always fits, so a rectangle without width
        // takes everything on one line; it must end all the same.
        {"a b c", 0, true, H.W("a b c"), Gh},
        {"<UL><LI><IMG SRC=\"x\"><CONTROL TYPE=\"EDIT\" WIDTH=\"5\"><LI>b", -40, true, 12 + H.W("b"),
         2 * Gh + std::max(23, Gh + 10)},
        {"<UL><LI>a<LI>b</UL>", 300, true, 12 + H.W("a"), 3 * Gh}, // second LI starts a line
        {"<IND x=\"40\">a", 300, true, 40 + H.W("a"), Gh},
        {"<CONTROL TYPE=\"EDIT\" WIDTH=\"50\">", 300, true, 50, std::max(23, Gh + 10)},
        {"<CONTROL TYPE=\"CHECK\" WIDTH=\"50\">", 300, true, 16, 23},
        {"<CONTROL TYPE=\"EDIT\">x", 300, true, H.W("x"), Gh}, // no WIDTH: ignored
        {"<Z>hidden</Z>v", 300, true, H.W("v"), Gh},
        {"&lt;B&gt;", 300, true, H.W("<B>"), Gh},
        {"<R a=\"90\">abc</R>", 300, true, H.W("abc"), Gh}, // rotation does not change the layout
    };
    for (const Case& K : Cases) {
        H.Rect = TRect{0, 0, K.Width, 5};
        H.WordWrap = K.WordWrap;
        EXPECT_FALSE(H.Measure(K.Markup)) << K.Markup;
        EXPECT_EQ(H.XSize, K.XSize) << K.Markup;
        EXPECT_EQ(H.YSize, K.YSize) << K.Markup;
    }
}

TEST(HTMLDrawEx, SubscriptAndSuperscriptGrowTheLine)
{
    THtml H;
    const Integer Gh = H.Gh(), Quarter = H.C->TextHeight("y") / 4;
    H.Measure("x<SUB>y</SUB>");
    EXPECT_EQ(H.YSize, Gh + Quarter);
    H.Measure("x<SUP>y</SUP>");
    EXPECT_EQ(H.YSize, Gh + Quarter);
    H.Measure("x<SUB y</SUB>"); // "<SUB" with a blank is no subscript
    EXPECT_EQ(H.YSize, Gh);
}

TEST(HTMLDrawEx, PlainTextLinksAndStripValue)
{
    THtml H;
    H.Draw("<B>bold</B> &amp; <A HREF=\"x\">link</A><BR>two<A>no target</A>");
    EXPECT_EQ(H.StripVal, "bold & link\rtwono target");
    EXPECT_EQ(H.HyperLinks, 2);
    H.Measure("<A HREF=\"a\">1</A><A HREF=\"b\" TITLE=\"bee\">2</A>");
    EXPECT_EQ(H.HyperLinks, 2);
    EXPECT_EQ(H.AnchorHint, "bee");
}

TEST(HTMLDrawEx, HitTestsAnchorsAndControls)
{
    THtml H;
    const Integer Gh = H.Gh(), Mid = Gh / 2;
    const AnsiString Links = "<A HREF=\"one\">first</A>gap<A HREF=\"two\" TITLE=\"Second\">second</A>";
    const Integer First = 1 + H.W("first") / 2, Gap = 1 + H.W("first") + H.W("gap") / 2,
                  Second = 1 + H.W("firstgap") + H.W("second") / 2;
    struct Case {
        Integer X, Y;
        bool Result;
        const char* AnchorVal;
        Integer MouseLink;
        const char* Hint;
    } Cases[] = {
        {Second, Mid, true, "two", 2, "Second"},
        {First, Mid, true, "one", 1, ""}, // the title belongs to the anchor that is hit
        {Gap, Mid, false, "untouched", -1, ""},
        {First, Gh + 5, false, "untouched", -1, ""}, // below the text
        {First, -1, false, "untouched", -1, ""},
    };
    for (const Case& K : Cases) {
        H.AnchorVal = "untouched";
        EXPECT_EQ(H.Hit(Links, K.X, K.Y), K.Result) << K.X << "," << K.Y;
        EXPECT_EQ(H.AnchorVal, K.AnchorVal) << K.X;
        EXPECT_EQ(H.MouseLink, K.MouseLink) << K.X;
        EXPECT_EQ(H.AnchorHint, K.Hint) << K.X;
    }
    H.Hit(Links, Second, Mid);
    EXPECT_EQ(H.MouseRect, (TRect{1 + H.W("firstgap"), 0, 1 + H.W("firstgapsecond"), Gh}));

    // In a tall line only the text band at the bottom is the anchor's.
    const AnsiString Tall = "<A HREF=\"t\">a</A><CONTROL TYPE=\"EDIT\" WIDTH=\"40\">";
    const Integer LineHeight = std::max(23, Gh + 10);
    EXPECT_FALSE(H.Hit(Tall, 2, 2));
    EXPECT_TRUE(H.Hit(Tall, 2, LineHeight - 3));
    EXPECT_EQ(H.AnchorVal, "t");

    // An anchor continued on the next line starts there at the line's left edge.
    THtml Narrow(H.W("aaaa ") + 4, 100);
    EXPECT_TRUE(Narrow.Hit("<A HREF=\"w\">aaaa bbbb</A>", 3, Gh + Mid));
    EXPECT_EQ(Narrow.MouseRect, (TRect{1, Gh, 1 + H.W("bbbb"), 2 * Gh}));

    // An anchor without a target is styled and counted but never hit.
    H.AnchorVal = "untouched";
    EXPECT_FALSE(H.Hit("<A>plain</A>", 5, Mid));
    EXPECT_EQ(H.AnchorVal, "untouched");

    // A centred line is hit where it is drawn.
    const AnsiString Centred = "<P ALIGN=\"CENTER\"><A HREF=\"c\">mid</A>";
    EXPECT_TRUE(H.Hit(Centred, 150, Mid));
    EXPECT_FALSE(H.Hit(Centred, 3, Mid));

    // Form controls: their box, their values, and CtrlID naming one from anywhere.
    const AnsiString Form = "x<CONTROL TYPE=\"edit\" ID=\"e1\" VALUE=\"v&amp;w &lt;\" WIDTH=\"60\">"
                            "<CONTROL TYPE=\"CHECK\" ID=\"c1\" VALUE=\"TRUE\" WIDTH=\"1\">";
    const Integer Left = 1 + H.W("x");
    H.AnchorVal.clear();
    EXPECT_TRUE(H.Hit(Form, Left + 30, 10));
    EXPECT_EQ(H.AnchorVal, "ctrl");
    EXPECT_EQ(H.CtrlID, "e1");
    EXPECT_EQ(H.CtrlVal, "v&w <");
    EXPECT_EQ(H.CtrlType, "EDIT");
    EXPECT_EQ(H.CtrlRect, (TRect{Left, 0, Left + 60, Gh + 10}));
    EXPECT_TRUE(H.Hit(Form, Left + 68, 10));
    EXPECT_EQ(H.CtrlID, "c1");
    EXPECT_EQ(H.CtrlRect, (TRect{Left + 60, 0, Left + 76, 16}));
    H.CtrlID = "e1";
    EXPECT_TRUE(H.Hit(Form, 250, 150));
    EXPECT_EQ(H.CtrlRect, (TRect{Left, 0, Left + 60, Gh + 10}));
    H.CtrlID = "nope";
    EXPECT_FALSE(H.Hit(Form, 250, 150));
    EXPECT_EQ(H.CtrlRect, (TRect{0, 0, 0, 0}));
}

TEST(HTMLDrawEx, DrawsStopAtTheBottomAndAlign)
{
    THtml H(300, 40);
    const Integer Gh = H.Gh();
    H.Draw("a<BR>b<BR>c<BR>d<BR>e<BR>f");
    // Drawing stops at the first line whose top plus "gh" lies below the rectangle.
    Integer Lines = 1;
    while ((Lines + 1) * Gh <= 40)
        ++Lines;
    EXPECT_EQ(H.YSize, Lines * Gh);
    EXPECT_EQ(H.StripVal.substr(0, 2), "a\r");

    struct Case {
        const char* Markup;
        Integer Left; // expected drawing position of the text
    };
    THtml A;
    const Integer Narrow = A.W("mm");
    const Case Cases[] = {
        {"mm", 1},
        {"<P ALIGN=\"RIGHT\">mm", 300 - Narrow},
        {"<P ALIGN=\"CENTER\">mm", 1 + (299 - Narrow) / 2},
        {"<P ALIGN=\"LEFT\" INDENT=\"20\">mm", 21},
    };
    for (const Case& K : Cases) {
        THtml D;
        D.Draw(K.Markup);
        const Integer First = D.FirstDarkColumn();
        EXPECT_GE(First, K.Left) << K.Markup;
        EXPECT_LE(First, K.Left + 2) << K.Markup;
    }
    // A line wider than the rectangle stays at the left edge plus one pixel.
    THtml Wide(40, 40);
    Wide.WordWrap = false;
    Wide.Draw("<P ALIGN=\"CENTER\">mmmmmmmmmmmmmmmmmmmmmmmmmm");
    EXPECT_LE(Wide.FirstDarkColumn(), 3);
}

TEST(HTMLDrawEx, TagsDrawWhereTheyShould)
{
    const COLORREF Highlight = ColorToRGB(TColor(0x8000000D));
    struct Case {
        const char* Markup;
        COLORREF Color; // a colour that must appear
        TRect Area;     // where (Right/Bottom -1: the whole canvas)
        bool Selected = false;
        bool Present = true;
    };
    THtml M;
    const Integer Gh = M.Gh();
    const Case Cases[] = {
        {"<FONT COLOR=\"#FF0000\">red text</FONT>", 0x0000FF, {0, 0, 300, 30}},
        {"<FONT COLOR=\"clRed\">red text</FONT>", 0x0000FF, {0, 0, 300, 30}},
        {"<FONT COLOR=\"clRed\">red text</FONT>", 0x0000FF, {0, 0, 300, 30}, true, false}, // Selected
        {"<FONT BGCOLOR=\"clYellow\">on yellow</FONT>", 0x00FFFF, {0, 0, 300, 30}},
        {"<HI>marked</HI>", Highlight, {0, 0, 300, 30}},
        {"<HI>marked</HI>", Highlight, {0, 0, 300, 30}, true}, // HI works when selected
        {"a<HR>", 0x000000, {1, Gh + 1, 299, Gh + 2}},
        {"<E>wrong</E>", 0x0000FF, {0, Gh - 1, 300, Gh + 2}},
        {"<P BGCOLOR=\"clLime\">band", 0x00FF00, {250, 1, 299, Gh - 1}},
        {"<BODY BGCOLOR=\"#00FF00\">x", 0x00FF00, {0, 100, 300, 200}},
        {"<SHAD>shadow</SHAD>", 0x808080, {0, 0, 300, 30}},
        {"<CONTROL TYPE=\"EDIT\" WIDTH=\"60\" VALUE=\"x\">", 0x808080, {1, 23 - 19, 2, 23 + 2}},
        {"<CONTROL TYPE=\"EDIT\" WIDTH=\"60\" VALUE=\"x\">", 0xFFFFFF, {10, 23 - 10, 11, 23 - 9}},
    };
    for (const Case& K : Cases) {
        THtml H;
        H.Selected = K.Selected;
        H.Draw(K.Markup);
        EXPECT_EQ(H.Count(K.Area, K.Color) > 0, K.Present) << K.Markup;
    }
    // The HR line covers the width of the line rectangle.
    THtml R;
    R.Draw("a<HR>");
    EXPECT_EQ(R.Count(TRect{1, Gh + 1, 299, Gh + 2}, 0x000000), 298);

    // Hidden text and text blinked away draw nothing.
    for (const char* Markup : {"<Z>hidden</Z>", "<BL>blink</BL>"}) {
        THtml H;
        H.Blink = false;
        H.Draw(Markup);
        EXPECT_EQ(H.CountDark(H.Rect), 0) << Markup;
    }
    THtml Shown;
    Shown.Draw("<BL>blink</BL>");
    EXPECT_GT(Shown.CountDark(Shown.Rect), 0);
}

TEST(HTMLDrawEx, HoverLookOnlyOnTheHoveredAnchor)
{
    const AnsiString Links = "<A HREF=\"a\">one</A> <A HREF=\"b\">two</A>";
    struct Case {
        bool HoverStyle;
        Integer HoverLink;
        bool FirstLit, SecondLit;
    } Cases[] = {{true, 2, false, true}, {true, 0, false, false}, {false, 0, true, true}};
    for (const Case& K : Cases) {
        THtml H;
        H.HoverStyle = K.HoverStyle;
        H.HoverLink = K.HoverLink;
        H.HoverColor = 0x00FFFF;
        H.Draw(Links);
        const Integer Split = 1 + H.W("one ");
        EXPECT_EQ(H.Count(TRect{0, 0, Split - 2, 20}, 0x00FFFF) > 0, K.FirstLit) << K.HoverLink;
        EXPECT_EQ(H.Count(TRect{Split, 0, 300, 20}, 0x00FFFF) > 0, K.SecondLit) << K.HoverLink;
    }
}

TEST(HTMLDrawEx, StrayClosingAnchorRestoresNothing)
{
    THtml H;
    H.HoverColor = 0x00FF00;
    H.Draw("<A HREF=\"a\">x</A> <FONT BGCOLOR=\"clYellow\"></A>yellow</FONT>");
    EXPECT_GT(H.Count(TRect{1 + H.W("x "), 0, 300, 20}, 0x00FFFF), 0);
}

TEST(HTMLDrawEx, ImageListPictures)
{
    TImageList List(nullptr);
    TBitmap Red;
    Red.SetSize(16, 16);
    Red.Canvas()->Brush()->SetColor(0x0000FF);
    Red.Canvas()->FillRect(TRect{0, 0, 16, 16});
    List.Add(&Red, nullptr);
    THtml H;
    H.Images = &List;
    H.Draw("<IMG SRC=\"IDX:0\">x");
    EXPECT_EQ(H.XSize, 16 + H.W("x"));
    EXPECT_EQ(H.YSize, std::max<Integer>(16, H.Gh()));
    EXPECT_EQ(H.Pixel(5, 5), 0x0000FFu);
    H.Measure("<IMG SRC=\"IDX:1\">x"); // an index equal to the count: nothing, no room taken
    EXPECT_EQ(H.XSize, H.W("x"));

    // At 120 pixels per inch the picture takes a 20 x 20 box but is drawn at its own size.
    THtml Fine;
    Fine.Images = &List;
    SetDCDeviceCaps(Fine.C->Handle(), LOGPIXELSX, 120);
    SetDCDeviceCaps(Fine.C->Handle(), LOGPIXELSY, 120);
    Fine.Draw("<IMG SRC=\"IDX:0\">");
    EXPECT_EQ(Fine.XSize, 20);
    EXPECT_EQ(Fine.YSize, std::max<Integer>(20, Fine.Gh()));
    EXPECT_EQ(Fine.Pixel(15, 15), 0x0000FFu);
    EXPECT_EQ(Fine.Pixel(17, 17), 0xFFFFFFu);
}

TEST(HTMLDrawEx, FocusRectangleAroundTheFocusedAnchor)
{
    THtml H;
    H.FocusLink = 1;
    H.Draw("<A HREF=\"a\">one</A> <A HREF=\"b\">two</A>");
    EXPECT_EQ(H.FocusAnchor, "b");
    // The dotted frame sits one pixel outside the anchor's text.
    const Integer Left = 1 + H.W("one ") - 1, Right = 1 + H.W("one two") + 1;
    EXPECT_GT(H.CountDark(TRect{Left, 0, Right, 1}) + H.CountDark(TRect{Left, H.Gh(), Right, H.Gh() + 1}), 0);
}

TEST(HTMLDrawEx, LeavesTheCanvasAsItFoundIt)
{
    const char* Corpus[] = {
        "",
        "plain",
        "<B><I><U><S>styles never closed",
        "<FONT FACE=\"Courier New\" SIZE=\"5\" COLOR=\"clRed\" BGCOLOR=\"clYellow\">font",
        "<HI>highlight <P BGCOLOR=\"clLime\">para",
        "<R a=\"90\">rotated<R a=\"45\">twice</R>",
        "<BODY BGCOLOR=\"#FF00FF\"><HR><E>error",
        "<A HREF=\"x\">open anchor <SHAD>shadow <SUB>sub",
        ("<CONTROL TYPE=\"COMBO\" WIDTH=\"80\" VALUE=\"v\"><CONTROL TYPE=\"BUTTON\" WIDTH=\"40\" "
         "VALUE=\"ok\">"),
        "<UL><LI>item<LI>item</UL></UL>",
        "<FONT SIZE=\"100000\">huge</FONT><IMG SRC=\"nothing\">",
        "<",
        "<FONT",
    };
    for (bool Brushed : {false, true}) {
        for (const char* Markup : Corpus) {
            for (int Mode = 0; Mode < 3; ++Mode) {
                THtml H(200, 60);
                H.C->Font()->SetStyle(TFontStyles{fsItalic});
                H.C->Pen()->SetColor(0x123456);
                H.C->Pen()->SetWidth(3);
                if (Brushed)
                    H.C->Brush()->SetColor(0x654321);
                else
                    H.C->Brush()->SetStyle(bsClear);
                H.C->MoveTo(7, 9);
                HDC Dc = H.C->Handle();
                const int BkMode = GetBkMode(Dc);
                H.HoverColor = 0x00AA00;
                H.HoverFontColor = 0x0000AA;
                H.Call(Markup, Mode == 2, Mode == 0);
                TFont* F = H.C->Font();
                EXPECT_EQ(F->Name(), "Arial") << Markup;
                EXPECT_EQ(F->Size(), 10) << Markup;
                EXPECT_EQ(F->Color(), 0) << Markup;
                EXPECT_TRUE(F->Style() == TFontStyles{fsItalic}) << Markup;
                EXPECT_EQ(H.C->Pen()->Color(), 0x123456) << Markup;
                EXPECT_EQ(H.C->Pen()->Width(), 3) << Markup;
                EXPECT_EQ(H.C->Brush()->Style(), Brushed ? bsSolid : bsClear) << Markup;
                if (Brushed) {
                    EXPECT_EQ(H.C->Brush()->Color(), 0x654321) << Markup;
                }
                EXPECT_EQ(GetBkMode(H.C->Handle()), BkMode) << Markup;
                EXPECT_EQ(H.C->PenPos(), (TPoint{7, 9})) << Markup;
            }
        }
    }
}

} // namespace

namespace {

// Sample cells drawn one under the other into a PNG for a person to look at; written only when
// DRAWMERE_GALLERY names the file.
TEST(HTMLDrawEx, Gallery)
{
    const char* Target = std::getenv("DRAWMERE_GALLERY");
    if (!Target)
        GTEST_SKIP() << "set DRAWMERE_GALLERY to a PNG file name to write the gallery";
    const char* Cells[] = {
        "<B>Bold</B> <I>italic</I> <U>underline</U> <S>strike</S> <FONT COLOR=\"clRed\">red</FONT> "
        "<FONT BGCOLOR=\"clYellow\">on yellow</FONT>",
        "<A HREF=\"one\">a link</A> and <HI>highlight</HI> and <E>speling</E> x<SUB>2</SUB> m<SUP>3</SUP>",
        "<P ALIGN=\"CENTER\">centred <SHAD>shadow</SHAD> &amp; &lt;tags&gt; &euro; &copy;</P>",
        "<UL><LI>first item<LI>second item<UL><LI>nested</UL></UL>",
        "Name <CONTROL TYPE=\"EDIT\" WIDTH=\"70\" VALUE=\"Ann\"> <CONTROL TYPE=\"COMBO\" WIDTH=\"60\" "
        "VALUE=\"x\"> "
        "<CONTROL TYPE=\"CHECK\" WIDTH=\"1\" VALUE=\"TRUE\"><CONTROL TYPE=\"RADIO\" WIDTH=\"1\" "
        "VALUE=\"TRUE\">"
        "<CONTROL TYPE=\"BUTTON\" WIDTH=\"50\" VALUE=\"OK\">",
        "<P BGCOLOR=\"clSilver\">paragraph band<HR>after the rule <R a=\"20\">rotated</R>",
        "<FONT FACE=\"Courier New\" SIZE=\"4\">Courier 14</FONT> <FONT SIZE=\"1\">tiny</FONT> 中文 text",
    };
    TBitmap Bitmap;
    Bitmap.SetSize(420, 60 * Integer(std::size(Cells)));
    TCanvas* C = Bitmap.Canvas();
    C->Brush()->SetColor(0xFFFFFF);
    C->FillRect(TRect{0, 0, Bitmap.Width(), Bitmap.Height()});
    C->Font()->SetName("Arial");
    C->Font()->SetSize(10);
    C->Font()->SetColor(0);
    Integer Top = 0;
    for (const char* Cell : Cells) {
        const TRect R{4, Top + 4, 416, Top + 56};
        C->Pen()->SetColor(0xC0C0C0);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(TRect{R.Left - 2, R.Top - 2, R.Right + 2, R.Bottom + 2});
        C->Brush()->SetColor(0xFFFFFF);
        AnsiString AnchorVal, Strip, Focus, Hint, ID, Val, Type;
        Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
        TRect MouseRect{}, CtrlRect{};
        HTMLDrawEx(C, Cell, R, nullptr, -1, -1, 0, 0, 1, false, false, false, false, true, false, true, false,
                   1.0, 0xFF0000, clNone, clNone, 0x808080, AnchorVal, Strip, Focus, Hint, XSize, YSize,
                   Links, MouseLink, MouseRect, CtrlRect, ID, Val, Type, nullptr, nullptr, nullptr);
        Top += 60;
    }
    const auto Png = SavePng(Bitmap.Handle());
    std::FILE* F = std::fopen(Target, "wb");
    ASSERT_NE(F, nullptr);
    std::fwrite(Png.data(), 1, Png.size(), F);
    std::fclose(F);
}

TEST(HTMLDrawEx, SystemFileIcons)
{
    uitest::Start(); // the headless desktop's stand-in icons: a colour per file ending
    THtml H;
    H.Draw("<IMG SRC=\"SSYS:report.xls\">x");
    EXPECT_EQ(H.XSize, 16 + H.W("x"));
    const COLORREF Xls = H.Pixel(8, 8);
    EXPECT_NE(Xls, 0xFFFFFFu);

    THtml Same, Other, Large, Folder, NotPrefix;
    Same.Draw("<IMG SRC=\"ssys:/far/away/other.XLS\">");
    EXPECT_EQ(Same.Pixel(8, 8), Xls) << "the ending alone decides; the path is never looked at";
    Other.Draw("<IMG SRC=\"SSYS:notes.txt\">");
    EXPECT_NE(Other.Pixel(8, 8), Xls);
    Large.Draw("<IMG SRC=\"LSYS:report.xls\">");
    EXPECT_EQ(Large.XSize, 32);
    EXPECT_EQ(Large.Pixel(24, 24), Xls);
    Folder.Draw("<IMG SRC=\"SSYS:3\">");
    EXPECT_EQ(Folder.XSize, 16) << "an entry of the system list";
    NotPrefix.Measure("<IMG SRC=\"xSSYS:report.xls\">");
    EXPECT_EQ(NotPrefix.XSize, 0) << "only a name that starts with the prefix is an icon";
    EXPECT_EQ(FileTypeIcon("a.xls", 16), FileTypeIcon("b.xls", 16)) << "cached per ending";
}

} // namespace
