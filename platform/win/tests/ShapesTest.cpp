#include "Canvas.h"

#include <cstdlib>

namespace {

const COLORREF Gray = RGB(128, 128, 128);

TEST(Shapes, RectangleOutlineStaysInsideAndRightBottomAreExclusive)
{
    Canvas c(8, 6);
    Selected brush(c.Dc, CreateSolidBrush(Gray));
    Rectangle(c.Dc, 1, 1, 6, 5);
    EXPECT_EQ(c.Ascii(), "........\n"
                         ".#####..\n"
                         ".#ooo#..\n"
                         ".#ooo#..\n"
                         ".#####..\n"
                         "........\n");
}

TEST(Shapes, NullPenRectangleFillsOnePixelLessAndFillRectFillsAll)
{
    Canvas c(8, 6);
    {
        Selected brush(c.Dc, CreateSolidBrush(0));
        HGDIOBJ old = SelectObject(c.Dc, GetStockObject(NULL_PEN));
        Rectangle(c.Dc, 1, 1, 6, 5);
        SelectObject(c.Dc, old);
    }
    EXPECT_EQ(c.Ascii(), "........\n"
                         ".####...\n"
                         ".####...\n"
                         ".####...\n"
                         "........\n"
                         "........\n");
    c.Fill(RGB(255, 255, 255));
    RECT r{1, 1, 6, 5};
    FillRect(c.Dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.InkBox(), (RECT{1, 1, 6, 5}));
    EXPECT_EQ(c.Ink(), 5 * 4);
}

TEST(Shapes, LineToLeavesOutTheEndPixel)
{
    struct Case {
        int x0, y0, x1, y1;
    };
    const Case cases[] = {{2, 5, 12, 5},  {12, 5, 2, 5}, {4, 1, 4, 11},
                          {1, 1, 11, 11}, {11, 2, 2, 8}, {3, 10, 6, 1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.x0 << "," << k.y0 << " -> " << k.x1 << "," << k.y1);
        Canvas c(14, 14);
        MoveToEx(c.Dc, k.x0, k.y0, nullptr);
        LineTo(c.Dc, k.x1, k.y1);
        EXPECT_EQ(c.At(k.x0, k.y0), 0u);
        EXPECT_EQ(c.At(k.x1, k.y1), 0xFFFFFFu);
        EXPECT_EQ(c.Ink(), std::max(std::abs(k.x1 - k.x0), std::abs(k.y1 - k.y0)));
        POINT p;
        GetCurrentPositionEx(c.Dc, &p);
        EXPECT_EQ(p, (POINT{k.x1, k.y1}));
    }
}

TEST(Shapes, PolylineJoinsSegmentsWithoutGaps)
{
    Canvas c(8, 8);
    POINT pts[] = {{1, 1}, {5, 1}, {5, 5}};
    Polyline(c.Dc, pts, 3);
    EXPECT_EQ(c.Ascii(0, 0, 7, 6), ".......\n"
                                   ".#####.\n"
                                   ".....#.\n"
                                   ".....#.\n"
                                   ".....#.\n"
                                   ".......\n");
}

TEST(Shapes, WidePenIsCentredOnTheLine)
{
    Canvas c(16, 12);
    Selected pen(c.Dc, CreatePen(PS_SOLID, 3, 0));
    MoveToEx(c.Dc, 3, 5, nullptr);
    LineTo(c.Dc, 12, 5);
    for (int y = 0; y < 12; ++y)
        EXPECT_EQ(c.At(7, y) == 0, y >= 4 && y <= 6) << "row " << y;
    // Round caps reach past both ends of a wide line.
    EXPECT_EQ(c.At(12, 5), 0u);
    EXPECT_EQ(c.At(2, 5), 0u);
}

TEST(Shapes, EllipseFitsItsBoxAndIsSymmetric)
{
    const RECT boxes[] = {{0, 0, 9, 7}, {2, 3, 22, 13}, {1, 1, 4, 4}, {0, 0, 30, 30}};
    for (const RECT& b : boxes) {
        SCOPED_TRACE(testing::Message() << b.Left << "," << b.Top << "," << b.Right << "," << b.Bottom);
        Canvas c(32, 32);
        Selected brush(c.Dc, CreateSolidBrush(Gray));
        Ellipse(c.Dc, b.Left, b.Top, b.Right, b.Bottom);
        EXPECT_EQ(c.InkBox(), b);
        for (int y = b.Top; y < b.Bottom; ++y)
            for (int x = b.Left; x < b.Right; ++x) {
                int mx = b.Left + b.Right - 1 - x, my = b.Top + b.Bottom - 1 - y;
                ASSERT_EQ(c.At(x, y), c.At(mx, y)) << x << "," << y;
                ASSERT_EQ(c.At(x, y), c.At(x, my)) << x << "," << y;
            }
        // The outline is closed: the fill never touches white.
        for (int y = b.Top; y < b.Bottom; ++y)
            for (int x = b.Left; x < b.Right; ++x)
                if (c.At(x, y) == Gray) {
                    EXPECT_NE(c.At(x - 1, y), 0xFFFFFFu);
                    EXPECT_NE(c.At(x + 1, y), 0xFFFFFFu);
                    EXPECT_NE(c.At(x, y - 1), 0xFFFFFFu);
                    EXPECT_NE(c.At(x, y + 1), 0xFFFFFFu);
                }
    }
}

TEST(Shapes, RoundRectAndPolygonStayInTheirBoxes)
{
    Canvas c(40, 40);
    Selected brush(c.Dc, CreateSolidBrush(Gray));
    RoundRect(c.Dc, 2, 3, 30, 20, 10, 10);
    EXPECT_EQ(c.InkBox(), (RECT{2, 3, 30, 20}));
    EXPECT_EQ(c.At(2, 3), 0xFFFFFFu); // rounded corner
    EXPECT_EQ(c.At(15, 3), 0u);
    c.Fill(RGB(255, 255, 255));
    POINT tri[] = {{5, 5}, {25, 5}, {5, 25}};
    Polygon(c.Dc, tri, 3);
    // A polygon's outline passes through its vertices.
    EXPECT_EQ(c.InkBox(), (RECT{5, 5, 26, 26}));
    EXPECT_EQ(c.At(8, 8), Gray);
}

TEST(Shapes, Rop2CombinesPenAndDestinationBits)
{
    const COLORREF P = RGB(0xF0, 0x3C, 0x55), D = RGB(0xCC, 0x0F, 0xAA);
    struct Case {
        int rop;
        COLORREF expected;
    };
    const Case cases[] = {
        {R2_BLACK, 0},
        {R2_NOTMERGEPEN, ~(P | D)},
        {R2_MASKNOTPEN, ~P & D},
        {R2_NOTCOPYPEN, ~P},
        {R2_MASKPENNOT, P & ~D},
        {R2_NOT, ~D},
        {R2_XORPEN, P ^ D},
        {R2_NOTMASKPEN, ~(P & D)},
        {R2_MASKPEN, P & D},
        {R2_NOTXORPEN, ~(P ^ D)},
        {R2_NOP, D},
        {R2_MERGENOTPEN, ~P | D},
        {R2_COPYPEN, P},
        {R2_MERGEPENNOT, P | ~D},
        {R2_MERGEPEN, P | D},
        {R2_WHITE, 0xFFFFFF},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.rop);
        Canvas c(4, 4, D);
        Selected pen(c.Dc, CreatePen(PS_SOLID, 1, P));
        SetROP2(c.Dc, k.rop);
        MoveToEx(c.Dc, 1, 1, nullptr);
        LineTo(c.Dc, 2, 1);
        EXPECT_EQ(c.At(1, 1), k.expected & 0xFFFFFF);
        EXPECT_EQ(c.At(2, 1), D);
    }
}

// Draws a background where every pixel differs, so that any change shows.
void Scatter(Canvas& c)
{
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x)
            SetPixel(c.Dc, x, y, RGB(x * 7 % 256, y * 11 % 256, (x * y) % 256));
}

TEST(Shapes, XorAndNotDrawingTwiceRestoresThePixels)
{
    struct Case {
        const char* name;
        void (*draw)(HDC);
    };
    const Case cases[] = {
        {"xor lines",
         [](HDC dc) {
             SelectObject(dc, GetStockObject(WHITE_PEN)); // black would change nothing
             SetROP2(dc, R2_XORPEN);
             MoveToEx(dc, 1, 1, nullptr);
             LineTo(dc, 30, 17);
             LineTo(dc, 2, 20);
         }},
        {"not rectangle and ellipse",
         [](HDC dc) {
             SetROP2(dc, R2_NOT);
             SelectObject(dc, GetStockObject(NULL_BRUSH));
             Rectangle(dc, 3, 3, 25, 20);
             Ellipse(dc, 5, 2, 28, 22);
         }},
        {"dotted opaque xor pen",
         [](HDC dc) {
             HPEN pen = CreatePen(PS_DOT, 1, 0);
             HGDIOBJ old = SelectObject(dc, pen);
             SetROP2(dc, R2_XORPEN);
             SetBkMode(dc, OPAQUE);
             MoveToEx(dc, 10, 0, nullptr);
             LineTo(dc, 10, 24);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
        {"focus rectangle",
         [](HDC dc) {
             RECT r{2, 2, 29, 21};
             DrawFocusRect(dc, &r);
         }},
        {"inverted rectangle",
         [](HDC dc) {
             RECT r{4, 4, 17, 9};
             InvertRect(dc, &r);
         }},
        {"pattern invert",
         [](HDC dc) {
             HBRUSH b = CreateHatchBrush(HS_DIAGCROSS, RGB(200, 10, 90));
             HGDIOBJ old = SelectObject(dc, b);
             PatBlt(dc, 1, 1, 20, 20, PATINVERT);
             PatBlt(dc, 5, 5, 9, 9, DSTINVERT);
             SelectObject(dc, old);
             DeleteObject(b);
         }},
        {"wide xor pen",
         [](HDC dc) {
             HPEN pen = CreatePen(PS_SOLID, 4, RGB(255, 0, 0));
             HGDIOBJ old = SelectObject(dc, pen);
             SetROP2(dc, R2_XORPEN);
             POINT pts[] = {{3, 3}, {25, 6}, {12, 20}};
             Polyline(dc, pts, 3);
             SelectObject(dc, old);
             DeleteObject(pen);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Canvas c(32, 24);
        Scatter(c);
        auto before = c.Snapshot();
        k.draw(c.Dc);
        EXPECT_FALSE(c.Snapshot() == before);
        k.draw(c.Dc);
        EXPECT_TRUE(c.Snapshot() == before);
    }
}

TEST(Shapes, FocusRectangleIsADottedFrame)
{
    Canvas c(8, 6);
    RECT r{1, 1, 7, 5};
    DrawFocusRect(c.Dc, &r);
    EXPECT_EQ(c.Ascii(), "........\n"
                         ".#.#.#..\n"
                         "......#.\n"
                         ".#......\n"
                         "..#.#.#.\n"
                         "........\n");
}

TEST(Shapes, StyledPenFillsGapsWithTheBackgroundWhenOpaque)
{
    Canvas c(14, 3, RGB(0, 0, 255));
    Selected pen(c.Dc, CreatePen(PS_DOT, 1, 0));
    SetBkColor(c.Dc, RGB(255, 255, 255));
    SetBkMode(c.Dc, OPAQUE);
    MoveToEx(c.Dc, 0, 1, nullptr);
    LineTo(c.Dc, 12, 1);
    EXPECT_EQ(c.Ascii(0, 1, 14, 2), "###...###...oo\n");
    SetBkMode(c.Dc, TRANSPARENT);
    c.Fill(RGB(0, 0, 255));
    MoveToEx(c.Dc, 0, 1, nullptr);
    LineTo(c.Dc, 12, 1);
    EXPECT_EQ(c.Ascii(0, 1, 14, 2), "###ooo###ooooo\n");
}

TEST(Shapes, ArcsChordsAndPiesStayInsideTheirBox)
{
    Canvas c(40, 40);
    Selected brush(c.Dc, CreateSolidBrush(Gray));
    // A pie of the upper-right quarter: counter-clockwise from the right to the top.
    Pie(c.Dc, 0, 0, 40, 40, 40, 20, 20, 0);
    RECT box = c.InkBox();
    EXPECT_GE(box.Left, 19);
    EXPECT_LE(box.Bottom, 21);
    EXPECT_EQ(c.At(30, 10), Gray);
    c.Fill(RGB(255, 255, 255));
    SetArcDirection(c.Dc, AD_CLOCKWISE);
    Arc(c.Dc, 0, 0, 40, 40, 40, 20, 20, 0); // the other three quarters
    box = c.InkBox();
    EXPECT_EQ(box.Left, 0);
    EXPECT_EQ(box.Bottom, 40);
    EXPECT_EQ(c.At(30, 10), 0xFFFFFFu);
    c.Fill(RGB(255, 255, 255));
    POINT bez[] = {{0, 20}, {10, 0}, {30, 40}, {39, 20}};
    PolyBezier(c.Dc, bez, 4);
    EXPECT_EQ(c.At(0, 20), 0u);
    EXPECT_GT(c.Ink(), 39);
}

TEST(Shapes, MapModesScaleAndMoveDrawing)
{
    Canvas c(60, 40);
    SetMapMode(c.Dc, MM_ANISOTROPIC);
    SetWindowExtEx(c.Dc, 100, 100, nullptr);
    SetViewportExtEx(c.Dc, 50, 25, nullptr);
    SetViewportOrgEx(c.Dc, 5, 4, nullptr);
    Rectangle(c.Dc, 0, 0, 100, 100);
    EXPECT_EQ(c.InkBox(), (RECT{5, 4, 55, 29}));
    POINT p{100, 100};
    LPtoDP(c.Dc, &p, 1);
    EXPECT_EQ(p, (POINT{55, 29}));
    DPtoLP(c.Dc, &p, 1);
    EXPECT_EQ(p, (POINT{100, 100}));

    SetMapMode(c.Dc, MM_LOMETRIC);
    SetViewportOrgEx(c.Dc, 0, 0, nullptr);
    POINT inch{254, -254};
    LPtoDP(c.Dc, &inch, 1);
    EXPECT_EQ(inch, (POINT{96, 96}));

    SetMapMode(c.Dc, MM_TEXT);
    c.Fill(RGB(255, 255, 255));
    SetWindowOrgEx(c.Dc, -3, -2, nullptr);
    RECT r{0, 0, 2, 2};
    FillRect(c.Dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.InkBox(), (RECT{3, 2, 5, 4}));
}

TEST(Shapes, SaveAndRestoreBringBackTheState)
{
    Canvas c(10, 10);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    int level = SaveDC(c.Dc);
    SelectObject(c.Dc, red);
    SetTextColor(c.Dc, RGB(1, 2, 3));
    SetMapMode(c.Dc, MM_LOMETRIC);
    IntersectClipRect(c.Dc, 0, 0, 1, -1);
    EXPECT_FALSE(DeleteObject(red)); // still selected
    ASSERT_TRUE(RestoreDC(c.Dc, level));
    EXPECT_EQ(GetTextColor(c.Dc), 0u);
    EXPECT_EQ(GetMapMode(c.Dc), MM_TEXT);
    EXPECT_NE(GetCurrentObject(c.Dc, OBJ_PEN), red);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.Dc, clip), 0);
    DeleteObject(clip);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_FALSE(RestoreDC(c.Dc, 5));
}

TEST(Shapes, PathsFillStrokeAndBecomeRegions)
{
    Canvas c(20, 20);
    BeginPath(c.Dc);
    MoveToEx(c.Dc, 2, 2, nullptr);
    LineTo(c.Dc, 12, 2);
    LineTo(c.Dc, 12, 12);
    LineTo(c.Dc, 2, 12);
    CloseFigure(c.Dc);
    EndPath(c.Dc);
    EXPECT_EQ(c.Ink(), 0); // nothing drawn while recording
    HRGN rgn = PathToRegion(c.Dc);
    RECT box;
    EXPECT_EQ(GetRgnBox(rgn, &box), SIMPLEREGION);
    EXPECT_EQ(box, (RECT{2, 2, 12, 12}));
    DeleteObject(rgn);

    BeginPath(c.Dc);
    Rectangle(c.Dc, 2, 2, 13, 13);
    EndPath(c.Dc);
    Selected brush(c.Dc, CreateSolidBrush(0));
    StrokeAndFillPath(c.Dc);
    EXPECT_EQ(c.InkBox(), (RECT{2, 2, 13, 13}));
    EXPECT_EQ(c.Ink(), 11 * 11);
}

} // namespace

namespace {

TEST(Shapes, LongLinesKeepTheirPixelsWhenOnlyAPartIsVisible)
{
    const POINT from{3, 2}, to{1190, 371};
    Canvas whole(1200, 400);
    MoveToEx(whole.Dc, from.X, from.Y, nullptr);
    LineTo(whole.Dc, to.X, to.Y);
    Canvas part(50, 50);
    SetViewportOrgEx(part.Dc, -600, -180, nullptr);
    MoveToEx(part.Dc, from.X, from.Y, nullptr);
    LineTo(part.Dc, to.X, to.Y);
    EXPECT_GT(part.Ink(), 0);
    EXPECT_EQ(part.Ascii(), whole.Ascii(600, 180, 650, 230));
    // Far-away coordinates cost nothing and draw what shows.
    SetViewportOrgEx(part.Dc, 0, 0, nullptr);
    part.Fill(RGB(255, 255, 255));
    MoveToEx(part.Dc, -1000000000, 25, nullptr);
    LineTo(part.Dc, 1000000000, 25);
    EXPECT_EQ(part.Ink(), 50);
}

} // namespace
