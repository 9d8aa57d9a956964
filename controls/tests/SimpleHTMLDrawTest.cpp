#include "controls/SimpleHTML.h"

#include "platform/rtl/Lists.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class SimpleHTMLDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Sheet.SetSize(400, 100);
        Canvas = Sheet.Canvas();
        Canvas->Font()->SetName("Arial");
        Canvas->Font()->SetSize(10);
        Canvas->Font()->SetColor(clBlack);
        Canvas->Brush()->SetColor(clWhite);
        Canvas->FillRect(TRect{0, 0, 400, 100});
        Canvas->Brush()->SetStyle(bsClear);
    }

    TSize Extent(const AnsiString& Text, TFontStyles Style = {})
    {
        const TFontStyles Old = Canvas->Font()->Style();
        Canvas->Font()->SetStyle(Style);
        const TSize Size = Canvas->TextExtent(Text);
        Canvas->Font()->SetStyle(Old);
        return Size;
    }

    // A document whose every picture is a 16 × 16 red square.
    std::unique_ptr<TSimpleHTML> WithRedPictures(const WideString& Text)
    {
        auto Doc = std::make_unique<TSimpleHTML>(Text);
        Doc->OnGetImage = [](TObject*, const WideString&, TPicture* Image) {
            auto* Square = New<TBitmap>();
            Square->SetSize(16, 16);
            Square->Canvas()->Brush()->SetColor(clRed);
            Square->Canvas()->FillRect(TRect{0, 0, 16, 16});
            Image->SetGraphic(Square);
            Square->Free();
        };
        return Doc;
    }

    TBitmap Sheet;
    TCanvas* Canvas = nullptr;
};

TEST_F(SimpleHTMLDraw, MeasuresEachRunInItsOwnFont)
{
    TSimpleHTML Doc(u"<b>bold</b> text");
    TSize Size;
    Doc.Extend(Canvas, Size);
    EXPECT_EQ(Size.cx, Extent("bold", TFontStyles{fsBold}).cx + Extent(" text").cx);
    EXPECT_EQ(Size.cy, std::max(Extent("bold", TFontStyles{fsBold}).cy, Extent(" text").cy));
    EXPECT_TRUE(Canvas->Font()->Style().Empty()) << "the canvas is left as it was";
    EXPECT_EQ(Canvas->TextFlags(), 0);
}

TEST_F(SimpleHTMLDraw, TagsSetFontSizeStyleAndLayoutFlags)
{
    const struct {
        const char16_t* Html;
        Integer Size;
        Integer Flags;
    } Cases[] = {
        {u"<font size='+2'>x</font>", 12, 0},
        {u"<font size='-2'>x</font>", 8, 0},
        {u"<font size=14>x</font>", 14, 0},
        {u"<font size=huge>x</font>", 10, 0},
        {u"<sup>x</sup>", 7, htmlRaised},
        {u"<sub>x</sub>", 7, htmlLowered},
        {u"<small>x</small>", 8, 0},
        {u"<big>x</big>", 12, 0}, // 12.5 rounds to even
        {u"<p dir=rtl>x</p>", 10, htmlRightToLeft},
    };
    for (const auto& C : Cases) {
        TSimpleHTML Doc(C.Html);
        ASSERT_TRUE(Doc.Parsed());
        const TCanvasRecall Recall(Canvas);
        Doc.GetChildren(0)->Prepare(Canvas);
        EXPECT_EQ(Canvas->Font()->Size(), C.Size) << UTF8Encode(C.Html);
        EXPECT_EQ(Canvas->TextFlags(), C.Flags) << UTF8Encode(C.Html);
    }
    TSimpleHTML Styled(
        u"<font face=Courier color=red bgcolor='#00ff00'><b><i><u><s>x</s></u></i></b></font>");
    const TCanvasRecall Recall(Canvas);
    TSimpleHTMLNode* Node = &Styled;
    while (Node->HasChildren()) {
        Node = Node->GetChildren(0);
        Node->Prepare(Canvas);
    }
    EXPECT_EQ(Canvas->Font()->Name(), "Courier");
    EXPECT_EQ(Canvas->Font()->Color(), clRed);
    EXPECT_EQ(Canvas->Brush()->Color(), clLime);
    EXPECT_EQ(Canvas->Font()->Style(), (TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut}));
}

TEST_F(SimpleHTMLDraw, PicturesMeasureWithTheirSpacesAndDrawInsideThem)
{
    auto Doc = WithRedPictures(u"<img src=a.png width=16 height=16 hspace=2>");
    TSize Size;
    Doc->Extend(Canvas, Size);
    EXPECT_EQ(Size.cx, 20);
    EXPECT_EQ(Size.cy, 16);
    Doc->Draw(Canvas, TRect{10, 0, 200, 40});
    EXPECT_NE(Canvas->Pixels(11, 20), clRed);
    EXPECT_EQ(Canvas->Pixels(12, 20), clRed);
    EXPECT_EQ(Canvas->Pixels(27, 20), clRed);
    EXPECT_NE(Canvas->Pixels(28, 20), clRed);
    EXPECT_EQ(Canvas->Pixels(12, 12), clRed) << "centred: (0 + 40 - 16) / 2";
    EXPECT_NE(Canvas->Pixels(12, 11), clRed);

    // Right to left, the picture sits at the right edge.
    auto Rtl = WithRedPictures(u"<p dir=RTL><img src=a.png hspace=2></p>");
    Rtl->Draw(Canvas, TRect{10, 50, 200, 90});
    EXPECT_EQ(Canvas->Pixels(197, 70), clRed);
    EXPECT_NE(Canvas->Pixels(198, 70), clRed);
}

TEST_F(SimpleHTMLDraw, ALinkLiesWhereItsTextIsDrawn)
{
    TSimpleHTML Doc(u"ab<b>c<a href='https://example.com/\u734E'>link</a></b> tail <a>no href</a>");
    TSimpleLinks Links;
    const TRect Rect{10, 50, 390, 80};
    EXPECT_EQ(Doc.CollectLinks(Canvas, Rect, &Links), 1);
    ASSERT_EQ(Links.GetCount(), 1);
    EXPECT_EQ(Links.GetLinks(0), u"https://example.com/\u734E");
    const TSize LinkSize = Extent("link", TFontStyles{fsBold});
    const TRect Expected = Bounds(10 + Extent("ab").cx + Extent("c", TFontStyles{fsBold}).cx,
                                  50 + (30 - LinkSize.cy) / 2, LinkSize.cx, LinkSize.cy);
    EXPECT_EQ(Links.GetBounds(0), Expected);
    EXPECT_EQ(Links.IndexOfLinkAt(Expected.Left, Expected.Top), 0);
    EXPECT_EQ(Links.IndexOfLinkAt(Expected.Left - 1, Expected.Top), -1);

    // Drawing puts the link's text inside that rectangle.
    Canvas->Font()->SetColor(clBlue);
    Doc.Draw(Canvas, Rect);
    bool Inked = false;
    for (Integer X = Expected.Left; X < Expected.Right && !Inked; ++X)
        for (Integer Y = Expected.Top; Y < Expected.Bottom && !Inked; ++Y)
            Inked = Canvas->Pixels(X, Y) == clBlue;
    EXPECT_TRUE(Inked);
}

TEST_F(SimpleHTMLDraw, LinksAnswerThePointTheFirstAddedWins)
{
    TSimpleLinks Links;
    Links.Add(u"first", TRect{0, 0, 50, 20});
    Links.Add(u"second", TRect{40, 0, 100, 20});
    EXPECT_EQ(Links.IndexOfLinkAt(45, 10), 0);
    EXPECT_EQ(Links.IndexOfLinkAt(60, 10), 1);
    EXPECT_EQ(Links.IndexOfLinkAt(200, 10), -1);
    EXPECT_EQ(Links.GetBounds(1), (TRect{40, 0, 100, 20}));
    EXPECT_THROW(Links.GetLinks(2), EListError);
    Links.Clear();
    EXPECT_EQ(Links.GetCount(), 0);
}

TEST_F(SimpleHTMLDraw, TheImageCacheShadowsAndUncovers)
{
    TImageCache Cache;
    TPicture Early, Late;
    EXPECT_EQ(Cache.HashOf(u"ab"), Cardinal((u'a' << 2) ^ u'b'));
    Cache.Add(u"pic", &Early);
    Cache.Add(u"pic", &Late);
    Cache.Add(u"PIC", &Early);
    EXPECT_EQ(Cache.ImageOf(u"pic"), &Late);
    EXPECT_TRUE(Cache.Delete(u"pic"));
    EXPECT_EQ(Cache.ImageOf(u"pic"), &Early);
    EXPECT_TRUE(Cache.Modify(u"pic", &Late));
    EXPECT_EQ(Cache.ImageOf(u"pic"), &Late);
    EXPECT_FALSE(Cache.Modify(u"none", &Late));
    EXPECT_FALSE(Cache.Delete(u"none"));
    EXPECT_EQ(Cache.ImageOf(u"none"), nullptr);

    int Seen = 0;
    EXPECT_TRUE(
        Cache.ForEach([&](TObject*, const WideString&, TPicture*, void*, bool&) { ++Seen; }, nullptr));
    EXPECT_EQ(Seen, 2);
    Seen = 0;
    EXPECT_FALSE(Cache.ForEach(
        [&](TObject*, const WideString&, TPicture*, void*, bool& Continue) {
            ++Seen;
            Continue = false;
        },
        nullptr));
    EXPECT_EQ(Seen, 1);
    EXPECT_TRUE(Cache.ForEach(nullptr, nullptr));
    Cache.Clear();
    EXPECT_EQ(Cache.ImageOf(u"PIC"), nullptr);
}

TEST_F(SimpleHTMLDraw, TheDocumentKeepsOnePicturePerSource)
{
    int Asked = 0;
    TSimpleHTML Doc(u"<img src=A.PNG><img src=a.png>");
    Doc.OnGetImage = [&](TObject*, const WideString&, TPicture*) { ++Asked; };
    TSize Size;
    Doc.Extend(Canvas, Size);
    Doc.Draw(Canvas, TRect{0, 0, 100, 20});
    EXPECT_EQ(Asked, 1) << "the cache key is the lower-cased source";
    EXPECT_EQ(Doc.GetImage(u"a.png"), Doc.GetImage(u"A.png"));

    TPicture Own;
    Doc.OnAdvanceGetImage = [&](TObject*, const WideString&) { return &Own; };
    EXPECT_EQ(Doc.GetImage(u"a.png"), &Own);
    // A file that is no picture leaves an empty picture.
    TSimpleHTML FromFile(u"");
    EXPECT_EQ(FromFile.GetImage(UTF8Decode(std::string(DRAWMERE_SOURCE_DIR) + "/README.md"))->Width(), 0);
}

TEST_F(SimpleHTMLDraw, DrawHtmlLeavesTheClippingAsItWas)
{
    HDC Dc = Canvas->Handle();
    const TOwnedRegion Probe(CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(GetClipRgn(Dc, Probe.get()), 0);
    Canvas->Font()->SetColor(clBlue);
    DrawHTML(Canvas, TRect{0, 0, 20, 40}, u"<b>a long line cut at twenty pixels</b>");
    EXPECT_EQ(GetClipRgn(Dc, Probe.get()), 0) << "still no clipping";
    bool Beyond = false;
    for (Integer X = 20; X < 200 && !Beyond; ++X)
        for (Integer Y = 0; Y < 40 && !Beyond; ++Y)
            Beyond = Canvas->Pixels(X, Y) == clBlue;
    EXPECT_FALSE(Beyond);

    IntersectClipRect(Dc, 0, 0, 300, 50);
    DrawHTML(Canvas, TRect{0, 0, 20, 40}, u"x");
    RECT Box{};
    ASSERT_EQ(GetClipRgn(Dc, Probe.get()), 1);
    GetRgnBox(Probe.get(), &Box);
    EXPECT_EQ(TRect(Box), (TRect{0, 0, 300, 50}));
}

} // namespace
