#include "dropdowns/DadOrorUdurDraw.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Graphics.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <memory>

using namespace DadOrorUdur;

namespace {

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Bitmap = std::make_unique<TBitmap>();
        Bitmap->SetSize(200, 60);
        Bitmap->Canvas()->Brush()->SetColor(0x123456);
        Bitmap->Canvas()->FillRect(TRect{0, 0, 200, 60});
    }
    TCanvas* Canvas() { return Bitmap->Canvas(); }
    TColor At(int X, int Y) { return Canvas()->Pixels(X, Y); }

    std::unique_ptr<TBitmap> Bitmap;
};

TEST_F(DrawingTest, GradientBandsRunToTheEdge)
{
    // 80 bands over 161 pixels: the rectangle loses its last column, so each band is 2 wide
    // and the last one ends on the rectangle's right edge.
    DadOrorUdur::DrawGradient(Canvas(), 0x000000, 0xFFFFFF, 80, TRect{10, 5, 171, 25}, true);
    EXPECT_EQ(At(10, 10), 0x000000u);
    EXPECT_EQ(At(11, 10), 0x000000u);
    // Band 1 starts at offset 2 with Round(1 x 255 / 80) = 3 in each channel.
    EXPECT_EQ(At(12, 10), 0x030303u);
    // The last band (79: Round(79 x 3.1875) = 252) reaches column 170 and no further.
    EXPECT_EQ(At(170, 10), 0xFCFCFCu);
    EXPECT_EQ(At(171, 10), 0x123456u);
    // Bands change from left to right only.
    EXPECT_EQ(At(100, 5), At(100, 24));
    EXPECT_EQ(At(100, 25), 0x123456u);
}

TEST_F(DrawingTest, GradientTopToBottomAndSingleBand)
{
    DadOrorUdur::DrawGradient(Canvas(), 0x0000FF, 0xFF0000, 2, TRect{0, 0, 50, 21}, false);
    EXPECT_EQ(At(25, 0), 0x0000FFu);
    EXPECT_EQ(At(25, 19), 0x80007Fu); // half way: red 255 + Round(-127.5) = 127, blue Round(127.5) = 128
    EXPECT_EQ(At(0, 10), At(49, 10));
    // Steps 0 is one band of the first colour over the whole rectangle.
    DadOrorUdur::DrawGradient(Canvas(), 0x00FF00, 0xFF0000, 0, TRect{60, 0, 100, 20}, true);
    EXPECT_EQ(At(60, 0), 0x00FF00u);
    EXPECT_EQ(At(99, 19), 0x00FF00u);
}

TEST_F(DrawingTest, GradientWithoutEndColourIsSolid)
{
    DadOrorUdur::DrawGradient(Canvas(), 0x00FF00, clNone, 80, TRect{0, 0, 40, 20}, true);
    EXPECT_EQ(At(0, 0), 0x00FF00u);
    EXPECT_EQ(At(39, 19), 0x00FF00u);
    EXPECT_EQ(At(40, 19), 0x123456u);
}

TEST(DrawingColours, BlendAndBrightness)
{
    EXPECT_EQ(BlendColor(clBtnFace, 0x000000, 100), clBtnFace);
    EXPECT_EQ(BlendColor(0xFFFFFF, clHighlight, 0), clHighlight);
    EXPECT_EQ(BlendColor(0xFF0000, 0x0000FF, 50), 0x800080u); // Round(127.5) = 128
    EXPECT_EQ(BlendColor(0x000000, 0xFFFFFF, 20), 0xCCCCCCu);
    EXPECT_EQ(BrightnessColor(0x000000, 20), 0x141414u);
    EXPECT_EQ(BrightnessColor(0x808080, -50), 0x404040u);
    EXPECT_EQ(BrightnessColor(0x808000, 10), 0x80800Au); // only the zero channel rises
    // The checked button colours come from the hot ones this way.
    EXPECT_EQ(BrightnessColor(0xF5F0E1, -10, -10, 0), 0xF5D8CAu);
    EXPECT_EQ(BrightnessColor(0xF9D2B2, -10, -10, 0), 0xF9BDA0u);
}

TEST_F(DrawingTest, RectFillFramesAndSkipsUnsetColours)
{
    DrawRectFill(Canvas(), TRect{0, 0, 30, 20}, 0x00FF00, clNone, 0x0000FF, 1, gdVertical);
    EXPECT_EQ(At(0, 0), 0x0000FFu);
    EXPECT_EQ(At(29, 19), 0x0000FFu);
    EXPECT_EQ(At(15, 10), 0x00FF00u);
    DrawRectFill(Canvas(), TRect{40, 0, 70, 20}, clNone, clNone, clNone, 1, gdVertical);
    EXPECT_EQ(At(40, 0), 0x123456u);
    // A vertical gradient direction draws horizontal bands: the colour changes downwards.
    DrawRectFill(Canvas(), TRect{80, 0, 120, 40}, 0x000000, 0xFFFFFF, clNone, 0, gdVertical);
    EXPECT_EQ(At(80, 1), At(119, 1));
    EXPECT_NE(At(80, 1), At(80, 38));
    DrawRectFill(nullptr, TRect{0, 0, 1, 1}, 0, 0, 0, 1, gdVertical); // no canvas: nothing
}

TEST_F(DrawingTest, TextSizeAndFitting)
{
    Canvas()->Font()->SetName("Arial");
    Canvas()->Font()->SetSize(10);
    EXPECT_EQ(GetTextSize(Canvas(), "").cx, 0);
    EXPECT_EQ(GetTextSize(Canvas(), "").cy, 0);
    const TSize Whole = GetTextSize(Canvas(), "Prize draw");
    EXPECT_GT(Whole.cx, 0);
    EXPECT_EQ(Whole.cx, Canvas()->TextWidth("Prize draw"));

    AnsiString R;
    GetTextOfSize(Canvas(), "Prize draw", Whole.cx, R, true);
    EXPECT_EQ(R, "Prize draw"); // fits
    const int Limit = Canvas()->TextWidth("Prize...") + 1;
    GetTextOfSize(Canvas(), "Prize draw", Limit, R, true);
    EXPECT_EQ(R, "Prize...");
    GetTextOfSize(Canvas(), "Prize draw", Canvas()->TextWidth("Pri") + 1, R, false);
    EXPECT_EQ(R, "Pri");
    // Not even "..." fits: the text comes back unchanged.
    GetTextOfSize(Canvas(), "Prize draw", 2, R, true);
    EXPECT_EQ(R, "Prize draw");
}

TEST_F(DrawingTest, TransparentBitmapTakesTheCornerColourAsBackground)
{
    TBitmap Glyph;
    Glyph.SetSize(4, 4);
    Glyph.Canvas()->Brush()->SetColor(0xFF00FF);
    Glyph.Canvas()->FillRect(TRect{0, 0, 4, 4});
    Glyph.Canvas()->SetPixels(2, 2, 0x000000);
    DrawTransparentBitmap(Canvas(), &Glyph, 0xC0C0C0, TRect{10, 10, 14, 14});
    EXPECT_EQ(At(10, 10), 0xC0C0C0u);
    EXPECT_EQ(At(12, 12), 0x000000u);
    EXPECT_EQ(At(14, 14), 0x123456u);
}

TEST(DrawingMisc, CaseKeyAndVersion)
{
    AnsiString R;
    CaseKey("Grün", true, R);
    EXPECT_EQ(R, "Grün");
    CaseKey("Grün", false, R);
    EXPECT_EQ(R, "GRÜN");
    EXPECT_EQ(GetFileVersionNr("COMCTL32.DLL"), Integer((5u << 16) | 82u)); // the platform's 5.82
    EXPECT_EQ(GetFileVersionNr("NOSUCH.DLL"), -1);
}

} // namespace
