#include "RudUvud/support/DerOdozDraw.h"
#include "RudUvud/support/VadObj.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Graphics.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

namespace {

struct TSurface {
    TBitmap Bitmap;
    TCanvas* C;
    TSurface(Integer W, Integer H)
    {
        Bitmap.SetSize(W, H);
        C = Bitmap.Canvas();
        C->Brush()->SetColor(0xFFFFFF);
        C->Pen()->SetColor(0xFFFFFF);
        C->FillRect(TRect{0, 0, W, H});
    }
    TColor At(Integer X, Integer Y)
    {
        cairo_surface_t* Surface = GetBitmapSurface(Bitmap.Handle());
        cairo_surface_flush(Surface);
        const auto* Row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(Surface) +
                                                                 Y * cairo_image_surface_get_stride(Surface));
        const std::uint32_t P = Row[X];
        return TColor(((P >> 16) & 0xFF) | (P & 0xFF00) | ((P & 0xFF) << 16));
    }
    int Count(TColor Colour)
    {
        int N = 0;
        for (Integer Y = 0; Y < Bitmap.Height(); ++Y)
            for (Integer X = 0; X < Bitmap.Width(); ++X)
                N += At(X, Y) == Colour;
        return N;
    }
};

TEST(Drawing, Gradients)
{
    TSurface S(40, 10);
    DrawGradient(S.C, 0x000000, 0x0000FF, 0, TRect{0, 0, 40, 10}, true); // 0 steps: one band
    EXPECT_EQ(S.At(0, 0), 0x000000);
    EXPECT_EQ(S.At(39, 9), 0x000000);
    DrawGradient(S.C, 0x00FF00, clNone, 8, TRect{0, 0, 40, 10}, true); // no to colour: solid
    EXPECT_EQ(S.Count(0x00FF00), 400);
    DrawGradient(S.C, 0x000000, 0xFF0000, 2, TRect{0, 0, 40, 10}, false); // top to bottom
    EXPECT_EQ(S.At(20, 2), 0x000000);
    EXPECT_EQ(S.At(20, 7), 0x800000);

    EXPECT_EQ(GradientAt(0x000000, 0x0000FF, 0, 100, 50), 0x000080);
    EXPECT_EQ(GradientAt(0x000010, 0x0000FF, 5, 5, 3), 0x000010); // empty range: no division
    EXPECT_EQ(GradientAt(0x000010, clNone, 0, 10, 3), 0x000010);
    EXPECT_EQ(DarkenColor(0xFF8040), 0x7F4020);

    TSurface V(20, 20);
    DrawVistaGradient(V.C, TRect{0, 0, 20, 20}, 0x0000FF, 0x0000FF, 0x00FF00, 0x00FF00, true, 0x000000, false,
                      true);
    EXPECT_EQ(V.At(10, 5), 0x0000FF);  // first half
    EXPECT_EQ(V.At(10, 15), 0x00FF00); // mirror half
    EXPECT_EQ(V.At(0, 10), 0x000000);  // frame
    TSurface B(20, 20);
    DrawVistaGradient(B.C, TRect{0, 0, 20, 20}, 0x0000FF, clNone, clNone, clNone, true, 0x000000, true,
                      false);
    EXPECT_EQ(B.At(10, 10), 0xFFFFFF); // no fill: only the side lines
    EXPECT_EQ(B.At(19, 10), 0x000000);
    EXPECT_EQ(B.At(10, 0), 0xFFFFFF);
}

TEST(Drawing, ProgressAndRangeSurviveBadProperties)
{
    struct Case {
        double Value, Min, Max;
        const char* Format;
        int FilledColumns; // of the 38 inside columns
    } Cases[] = {
        {50, 0, 100, "", 19},      {150, 0, 100, "", 38},        // above the maximum: full
        {-5, 0, 100, "", 0},       {30, 20, 40, "%d units", 19}, // with a format the range counts
        {30, 30, 30, "%d", 38},   // minimum = maximum: full at or above it, no division
        {10, 0, 100, "%s %n", 4}, // a format that does not fit the value
        {10, 0, 100, "%.1f%%", 4},
    };
    for (const Case& K : Cases) {
        TSurface S(40, 30);
        DrawProgressLin(S.C, TRect{0, 0, 40, 30}, 0xFF0000, 0xFFFFFF, 0x00FF00, 0x000000, K.Value, 0, 0,
                        K.Min, K.Max, K.Format, clNone, false);
        int Filled = 0;
        for (Integer X = 1; X < 39; ++X)
            Filled += S.At(X, 1) == 0xFF0000;
        EXPECT_NEAR(Filled, K.FilledColumns, 1) << K.Value << " " << K.Format;
    }
    TSurface R(44, 10);
    DrawRangeIndicator(R.C, TRect{0, 0, 44, 10}, 5, 0, false, 0x0000FF, 0x00FF00); // range 0: nothing
    EXPECT_EQ(R.Count(0x00FF00), 0);
    DrawRangeIndicator(R.C, TRect{0, 0, 44, 10}, 99, 10, false, 0x0000FF, 0x00FF00); // clamped to the edge
    EXPECT_EQ(R.At(41, 5), 0x00FF00);
    EXPECT_EQ(R.At(42, 5), 0xFFFFFF);
    DrawRangeIndicator(R.C, TRect{0, 0, 44, 10}, -99, 10, false, 0x0000FF, 0x00FF00);
    EXPECT_EQ(R.At(3, 5), 0x0000FF);
}

TEST(Drawing, PieStaysInsideItsCell)
{
    for (Integer Size : {2, 4, 30}) {
        for (Integer Percent : {0, 25, 100}) {
            TSurface S(40, 40);
            DrawProgressPie(S.C, TRect{5, 5, 5 + Size, 5 + Size}, 0x0000FF, Percent, false);
            for (Integer Y = 0; Y < 40; ++Y)
                for (Integer X = 0; X < 40; ++X)
                    if (X < 4 || Y < 4 || X > 6 + Size || Y > 6 + Size) {
                        ASSERT_EQ(S.At(X, Y), 0xFFFFFF) << Size << " " << Percent << " at " << X << "," << Y;
                    }
        }
    }
    TSurface Q(40, 40);
    DrawProgressPie(Q.C, TRect{0, 0, 40, 40}, 0x0000FF, 25, false);
    EXPECT_EQ(Q.At(28, 10), 0x0000FF); // the wedge from 12 to 3 o'clock
    EXPECT_NE(Q.At(10, 28), 0x0000FF);
}

TEST(Drawing, ShapesAndGauge)
{
    TSurface S(30, 20);
    DrawShape(S.C, 0, 0, 20, 10, TCellShape(19), 0x0000FF, 0x0000FF); // beyond the last shape
    EXPECT_EQ(S.Count(0x0000FF), 0);
    DrawShape(S.C, 0, 0, 20, 10, csCircle, 0x0000FF, 0x0000FF); // 10 x 10 in a 20 x 10 box
    EXPECT_EQ(S.At(5, 5), 0x0000FF);
    EXPECT_EQ(S.At(15, 5), 0xFFFFFF);
    for (int Shape = csRectangle; Shape <= csHalfStar; ++Shape) {
        TSurface T(24, 24);
        DrawShape(T.C, 2, 2, 20, 20, TCellShape(Shape), 0x00FF00, 0x000000);
        EXPECT_GT(T.Count(0x000000) + T.Count(0x00FF00), 0) << Shape;
    }

    TGaugeSettings G;
    G.Level0Color = G.Level0ColorTo = G.Level3Color = G.Level3ColorTo = 0x0000FF;
    G.CompletionSmooth = false;
    G.BackgroundColor = 0xFFFFFF;
    struct Case {
        Integer Width; // gives k = width - 2 at 100 %
        int Blocks;
        int BlockLength;
    } Cases[] = {{11, 1, 8}, {12, 1, 7}};
    for (const Case& K : Cases) {
        TSurface T(K.Width, 10);
        DrawGauge(T.C, TRect{0, 0, K.Width, 10}, 100, G);
        int Run = 0;
        for (Integer X = 0; X < K.Width; ++X)
            Run += T.At(X, 5) == 0x0000FF;
        EXPECT_EQ(Run, K.BlockLength) << K.Width;
    }
    TSurface Zero(20, 10);
    DrawGauge(Zero.C, TRect{0, 0, 20, 10}, 0, G);
    EXPECT_EQ(Zero.Count(0x0000FF), 0);
}

TEST(Drawing, PopupButtonCaption)
{
    TPopupButton Button(nullptr);
    struct Case {
        const char* Caption;
        bool Flat;
    } Cases[] = {{"Plain caption", false}, {"<B>bold</B> caption", true}};
    for (const Case& K : Cases) {
        TSurface S(120, 24);
        Button.SetCaption(K.Caption);
        Button.SetFlat(K.Flat);
        Button.PaintTo(S.C, TRect{0, 0, 120, 24});
        EXPECT_EQ(S.At(0, 0) == 0xFFFFFF && S.At(119, 23) == 0x808080, !K.Flat) << K.Caption;
        int Dark = 0;
        for (Integer X = 0; X < 120; ++X)
            for (Integer Y = 2; Y < 20; ++Y)
                Dark += (S.At(X, Y) & 0xFF) < 0x80; // text, whatever its antialiasing
        EXPECT_GT(Dark, 10) << K.Caption;
    }
}

TEST(Drawing, ButtonsErrorLinesAndTransparentBitmaps)
{
    // Classic faces (no theme is active): the combo button 17 wide at the right, moved 2 left;
    // the spin buttons 15 wide, moved 1 left and 1 up.
    TSurface Combo(60, 20);
    DrawComboButton(Combo.C, nullptr, TRect{0, 0, 60, 20}, true);
    EXPECT_NE(Combo.At(50, 10), 0xFFFFFF);
    EXPECT_EQ(Combo.At(38, 10), 0xFFFFFF);
    EXPECT_EQ(Combo.At(59, 10), 0xFFFFFF);
    TSurface Spin(60, 20);
    DrawSpinButtons(Spin.C, nullptr, TRect{0, 0, 60, 20}, false);
    EXPECT_NE(Spin.At(50, 4), 0xFFFFFF);
    EXPECT_NE(Spin.At(50, 15), 0xFFFFFF);
    EXPECT_EQ(Spin.At(42, 10), 0xFFFFFF);
    EXPECT_EQ(Spin.At(59, 10), 0xFFFFFF);

    TSurface Err(200, 30);
    Err.C->Font()->SetName("Arial");
    Err.C->Font()->SetSize(10);
    const AnsiString Text = "one two three";
    DrawErrorLines(nullptr, Err.C, Text, TRect{0, 0, 200, 30}, 0, 4, 3);
    const Integer From = Err.C->TextWidth("one "), To = Err.C->TextWidth("one tw");
    int Inside = 0, Outside = 0;
    for (Integer X = 0; X < 200; ++X)
        for (Integer Y = 0; Y < 30; ++Y)
            if (Err.At(X, Y) == 0x0000FF)
                (X >= From - 1 && X <= To + 8 ? Inside : Outside)++;
    EXPECT_GT(Inside, 0);
    EXPECT_EQ(Outside, 0);

    TBitmap Source;
    Source.SetSize(4, 4);
    Source.Canvas()->Brush()->SetColor(0x00FF00); // the key colour, from pixel (0, 0)
    Source.Canvas()->FillRect(TRect{0, 0, 4, 4});
    Source.Canvas()->SetPixels(2, 2, 0x000000);
    TSurface T(10, 10);
    DrawBitmapTransp(T.C, &Source, 0x0000FF, TRect{3, 3, 10, 10});
    EXPECT_EQ(T.At(3, 3), 0x0000FF);
    EXPECT_EQ(T.At(5, 5), 0x000000);
    EXPECT_EQ(T.At(7, 7), 0xFFFFFF);
}

TEST(Drawing, ThemedButtonsDrawThroughTheTheme)
{
    // The same calls with the built-in theme on draw the theme's parts: other pixels than the
    // classic frame controls, in the same places; with the theme off again the classic look.
    VadXPVS().Initialize();
    const auto Draw = [](bool ThemeOn) {
        SetBuiltInThemeActive(ThemeOn);
        TSurface Combo(60, 20), Spin(60, 20);
        DrawComboButton(Combo.C, nullptr, TRect{0, 0, 60, 20}, true);
        DrawSpinButtons(Spin.C, nullptr, TRect{0, 0, 60, 20}, true);
        SetBuiltInThemeActive(false);
        return std::vector<TColor>{Combo.At(42, 2), Combo.At(50, 10), Combo.At(38, 10),
                                   Spin.At(45, 2),  Spin.At(45, 15),  Spin.At(42, 10)};
    };
    const std::vector<TColor> Classic = Draw(false), Themed = Draw(true);
    EXPECT_NE(Themed[0], Classic[0]) << "combo button face";
    EXPECT_EQ(Themed[2], 0xFFFFFF) << "nothing left of the combo button";
    EXPECT_NE(Themed[3], Classic[3]) << "spin up face";
    EXPECT_EQ(Themed[5], 0xFFFFFF) << "nothing left of the spin buttons";
    EXPECT_EQ(Draw(false), Classic);
}

} // namespace
