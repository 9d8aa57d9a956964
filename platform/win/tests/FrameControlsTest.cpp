#include "Canvas.h"

#include <cstdlib>

namespace {

TEST(FrameControls, EdgesUseTheThreeDimensionalColours)
{
    const COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    struct Case {
        UINT edge;
        COLORREF topLeftOuter, bottomRightOuter, topLeftInner, bottomRightInner;
    };
    const Case cases[] = {{EDGE_RAISED, light, dark, hi, shadow},
                          {EDGE_SUNKEN, shadow, hi, dark, light},
                          {EDGE_ETCHED, shadow, hi, hi, shadow}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.edge);
        Canvas c(8, 7, RGB(1, 2, 3));
        RECT r{0, 0, 6, 5};
        ASSERT_TRUE(DrawEdge(c.Dc, &r, k.edge, BF_RECT | BF_MIDDLE | BF_ADJUST));
        EXPECT_EQ(r, (RECT{2, 2, 4, 3}));
        EXPECT_EQ(c.At(0, 0), k.topLeftOuter);
        EXPECT_EQ(c.At(0, 3), k.topLeftOuter);
        EXPECT_EQ(c.At(5, 0), k.bottomRightOuter); // corners go to the bottom and right sides
        EXPECT_EQ(c.At(0, 4), k.bottomRightOuter);
        EXPECT_EQ(c.At(1, 1), k.topLeftInner);
        EXPECT_EQ(c.At(4, 2), k.bottomRightInner);
        EXPECT_EQ(c.At(2, 2), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(c.At(6, 5), RGB(1, 2, 3));
    }
    Canvas c(6, 6, RGB(1, 2, 3));
    RECT r{0, 0, 6, 6};
    DrawEdge(c.Dc, &r, BDR_SUNKENOUTER, BF_TOP | BF_LEFT | BF_FLAT);
    EXPECT_EQ(c.At(3, 0), shadow);
    EXPECT_EQ(c.At(5, 3), RGB(1, 2, 3)); // no right side asked for
}

TEST(FrameControls, FrameControlsDrawCheckBoxesRadiosAndArrows)
{
    const COLORREF window = GetSysColor(COLOR_WINDOW), text = GetSysColor(COLOR_BTNTEXT);
    Canvas c(13, 13, RGB(1, 2, 3));
    RECT box{0, 0, 13, 13};
    DrawFrameControl(c.Dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK);
    EXPECT_EQ(c.At(6, 6), window);
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.CountNot(window, {2, 2, 11, 11}), 0);
    DrawFrameControl(c.Dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    int tick = c.CountNot(window, {2, 2, 11, 11});
    EXPECT_EQ(tick, 21); // a seven-column tick, three pixels thick
    EXPECT_EQ(c.CountNot(text, {2, 2, 11, 11}), 81 - 21);
    DrawFrameControl(c.Dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE);
    EXPECT_EQ(c.At(6, 6), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(c.At(3, 9), GetSysColor(COLOR_BTNFACE));

    c.Fill(RGB(1, 2, 3));
    DrawFrameControl(c.Dc, &box, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    EXPECT_EQ(c.At(6, 6), text);
    EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3)); // round: the corners stay
    EXPECT_EQ(c.At(3, 6), window);

    Canvas arrow(17, 17, RGB(1, 2, 3));
    RECT button{0, 0, 17, 17};
    DrawFrameControl(arrow.Dc, &button, DFC_SCROLL, DFCS_SCROLLDOWN);
    // A downward triangle: wide rows above narrow ones.
    int widest = 0, first = -1, last = -1;
    for (int y = 0; y < 17; ++y) {
        int n = 17 - arrow.CountNot(text, {0, y, 17, y + 1});
        if (n > 0) {
            if (first < 0)
                first = y;
            last = y;
            widest = std::max(widest, n);
        }
    }
    ASSERT_GE(first, 0);
    EXPECT_EQ(17 - arrow.CountNot(text, {0, first, 17, first + 1}), widest);
    EXPECT_EQ(17 - arrow.CountNot(text, {0, last, 17, last + 1}), 1);
    EXPECT_EQ(arrow.At(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(arrow.At(3, 3), GetSysColor(COLOR_BTNFACE));
    RECT adjust{0, 0, 13, 13};
    DrawFrameControl(c.Dc, &adjust, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    EXPECT_EQ(adjust, (RECT{2, 2, 11, 11}));
}

TEST(FrameControls, GradientsRunBetweenTheVertexColours)
{
    Canvas c(100, 20);
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0}, {100, 20, 0, 0, 0xFF00, 0}};
    GRADIENT_RECT g{0, 1};
    ASSERT_TRUE(GradientFill(c.Dc, v, 2, &g, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(c.At(0, 5), RGB(255, 0, 0));
    COLORREF mid = c.At(50, 5);
    EXPECT_NEAR(GetRValue(mid), 127, 2);
    EXPECT_NEAR(GetBValue(mid), 127, 2);
    EXPECT_GE(GetBValue(c.At(99, 5)), 250);
    ASSERT_TRUE(GradientFill(c.Dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(c.At(70, 0), RGB(255, 0, 0));
    EXPECT_GE(GetBValue(c.At(70, 19)), 240);
    GRADIENT_RECT bad{0, 7};
    EXPECT_FALSE(GradientFill(c.Dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_H));

    Canvas t(40, 40);
    TRIVERTEX tv[3] = {{0, 0, 0xFF00, 0, 0, 0}, {39, 0, 0, 0xFF00, 0, 0}, {0, 39, 0, 0, 0xFF00, 0}};
    GRADIENT_TRIANGLE tri{0, 1, 2};
    ASSERT_TRUE(GradientFill(t.Dc, tv, 3, &tri, 1, GRADIENT_FILL_TRIANGLE));
    EXPECT_EQ(t.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(t.At(39, 39), RGB(255, 255, 255)); // outside the triangle
    COLORREF near = t.At(36, 1);
    EXPECT_GT(GetGValue(near), 200);
}

} // namespace
