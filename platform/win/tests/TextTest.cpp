#include "Canvas.h"
#include "platform/win/TextInternal.h"

#include <cstring>

namespace {

HFONT MakeFont(int height, const char* face, int escapement = 0, int weight = FW_NORMAL)
{
    return CreateFont(height, 0, escapement, escapement, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

SIZE Extent(HDC dc, const std::string& s)
{
    SIZE size{};
    GetTextExtentPoint32(dc, s.data(), int(s.size()), &size);
    return size;
}

TEST(Text, FontMapResolvesTheFamiliesTheProgramAsksFor)
{
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {{"Tahoma", "Liberation Sans"},      {"MS Sans Serif", "Liberation Sans"},
                          {"Courier New", "Liberation Mono"}, {"Times New Roman", "Liberation Serif"},
                          {"細明體", "AR PL UMing TW"},       {"新細明體", "AR PL UMing TW"}};
    for (const Case& k : cases)
        EXPECT_EQ(ResolveFontFamily(k.face), k.family) << k.face;
}

TEST(Text, MetricsOnABitmapAreWholeHintedPixels)
{
    struct Case {
        const char* face;
        int height;
        int tmHeight, ascent, internalLeading, helloWidth;
    };
    // Measured once on the pinned font map; any change in layout shows here.
    const Case cases[] = {
        {"Tahoma", -11, 13, 10, 2, 58},
        {"Arial", -12, 14, 11, 2, 67},
        {"細明體", -12, 13, 11, 1, 72},
        {"Arial", 16, 16, 13, 2, 77},
    };
    Canvas c(4, 4);
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.face << " " << k.height);
        Selected font(c.Dc, MakeFont(k.height, k.face));
        TEXTMETRIC tm;
        ASSERT_TRUE(GetTextMetrics(c.Dc, &tm));
        EXPECT_EQ(tm.tmHeight, k.tmHeight);
        EXPECT_EQ(tm.tmAscent, k.ascent);
        EXPECT_EQ(tm.tmInternalLeading, k.internalLeading);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
        SIZE s = Extent(c.Dc, "Hello, World");
        EXPECT_EQ(s.cx, k.helloWidth);
        EXPECT_EQ(s.cy, tm.tmHeight);
        if (k.height < 0) // a negative height is the character height
            EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -k.height);
        else // a positive one the cell height
            EXPECT_EQ(tm.tmHeight, k.height);
    }
}

TEST(Text, WideAndUtf8FormsMeasureTheSame)
{
    Canvas c(4, 4);
    Selected font(c.Dc, MakeFont(-12, "細明體"));
    SIZE a = Extent(c.Dc, "中獎名單 Abc"), w{};
    std::u16string wide = u"中獎名單 Abc";
    GetTextExtentPoint32W(c.Dc, wide.data(), int(wide.size()), &w);
    EXPECT_EQ(a, w);
    EXPECT_EQ(Extent(c.Dc, "中獎名單").cx, 48); // four full-width characters of 12 pixels
    INT widths[3];
    ASSERT_TRUE(GetCharWidth32(c.Dc, 'A', 'C', widths));
    EXPECT_EQ(widths[0], Extent(c.Dc, "A").cx);
    EXPECT_EQ(widths[2], Extent(c.Dc, "C").cx);
}

TEST(Text, TraditionalChineseRendersWithRealGlyphs)
{
    Canvas c(120, 30);
    Selected font(c.Dc, MakeFont(-20, "細明體"));
    auto tf = gdi::FontFor(*c.Dc);
    const char* chars[] = {"中", "獎", "名", "單"};
    std::vector<std::vector<COLORREF>> shots;
    for (const char* ch : chars) {
        EXPECT_EQ(pango_layout_get_unknown_glyphs_count(gdi::NewLayout(*tf, ch).get()), 0) << ch;
        c.Fill(RGB(255, 255, 255));
        TextOut(c.Dc, 5, 5, ch, int(std::strlen(ch)));
        // A real glyph has strokes, and each character looks different from the others.
        EXPECT_GT(c.Ink(), 40) << ch;
        RECT box = c.InkBox();
        EXPECT_GE(box.Left, 5);
        EXPECT_LE(box.Right, 5 + 22);
        shots.push_back(c.Snapshot());
    }
    for (size_t i = 0; i < shots.size(); ++i)
        for (size_t j = i + 1; j < shots.size(); ++j)
            EXPECT_FALSE(shots[i] == shots[j]) << chars[i] << " " << chars[j];
}

TEST(Text, UnhintedMetricsScaleWithTheResolution)
{
    HDC screenLike = CreateMeasuringDC(96, 96), printer = CreateMeasuringDC(600, 600);
    // Twelve points at both resolutions.
    HFONT small = MakeFont(-16, "Arial"), big = MakeFont(-100, "Arial");
    HGDIOBJ o1 = SelectObject(screenLike, small), o2 = SelectObject(printer, big);
    const std::string text = "Prize list printed at any resolution";
    SIZE a = Extent(screenLike, text), b = Extent(printer, text);
    double ratio = double(b.cx) / a.cx;
    EXPECT_NEAR(ratio, 600.0 / 96.0, 0.02);
    EXPECT_EQ(GetDeviceCaps(printer, LOGPIXELSY), 600);
    SelectObject(screenLike, o1);
    SelectObject(printer, o2);
    DeleteObject(small);
    DeleteObject(big);
    DeleteDC(screenLike);
    DeleteDC(printer);
}

TEST(Text, AlignmentPutsTheReferencePointOnTheRightCorner)
{
    Canvas c(200, 60);
    Selected font(c.Dc, MakeFont(-16, "Arial"));
    TEXTMETRIC tm;
    GetTextMetrics(c.Dc, &tm);
    SIZE s = Extent(c.Dc, "Hg");
    struct Case {
        UINT align;
        RECT cell; // where the text cell must be for a reference point at (100, 40)
    };
    const Case cases[] = {
        {TA_LEFT | TA_TOP, {100, 40, 100 + s.cx, 40 + tm.tmHeight}},
        {TA_RIGHT | TA_BOTTOM, {100 - s.cx, 40 - tm.tmHeight, 100, 40}},
        {TA_CENTER | TA_BASELINE,
         {100 - s.cx / 2, 40 - tm.tmAscent, 100 - s.cx / 2 + s.cx, 40 + tm.tmDescent}},
    };
    SetBkMode(c.Dc, OPAQUE);
    SetBkColor(c.Dc, 0); // the opaque box shows the text cell exactly
    for (const Case& k : cases) {
        SCOPED_TRACE(k.align);
        c.Fill(RGB(255, 255, 255));
        SetTextAlign(c.Dc, k.align);
        TextOut(c.Dc, 100, 40, "Hg", 2);
        EXPECT_EQ(c.InkBox(), k.cell);
    }
}

TEST(Text, EscapementRotatesCounterClockwiseAroundTheReferencePoint)
{
    Canvas c(80, 120);
    Selected font(c.Dc, MakeFont(-16, "Arial", 900));
    TextOut(c.Dc, 30, 100, "Winner", 6);
    RECT box = c.InkBox();
    EXPECT_GT(box.Bottom - box.Top, box.Right - box.Left); // runs upwards
    EXPECT_LE(box.Bottom, 101);
    EXPECT_GE(box.Left, 29);
    EXPECT_LE(box.Right, 30 + 20);
}

TEST(Text, ExtTextOutClipsFillsAndPlacesCharactersByAdvances)
{
    Canvas c(120, 40);
    Selected font(c.Dc, MakeFont(-16, "Arial"));
    SetBkMode(c.Dc, TRANSPARENT);
    RECT clip{10, 5, 30, 25};
    ExtTextOut(c.Dc, 10, 5, ETO_CLIPPED, &clip, "Clipped text", 12, nullptr);
    RECT box = c.InkBox();
    EXPECT_GE(box.Left, 10);
    EXPECT_LE(box.Right, 30);

    c.Fill(RGB(255, 255, 255));
    SetBkColor(c.Dc, RGB(255, 0, 0));
    RECT opaque{2, 2, 50, 20};
    ExtTextOut(c.Dc, 0, 0, ETO_OPAQUE, &opaque, "", 0, nullptr);
    EXPECT_EQ(c.CountNot(RGB(255, 0, 0), opaque), 0);
    EXPECT_EQ(c.Ink(), 48 * 18);

    c.Fill(RGB(255, 255, 255));
    const INT dx[] = {60, 0};
    ExtTextOut(c.Dc, 5, 5, 0, nullptr, "II", 2, dx);
    // Two strokes, the second 60 pixels after the first.
    RECT first = {0, 0, 40, 40}, second = {60, 0, 120, 40};
    EXPECT_GT(c.Ink(first), 0);
    EXPECT_GT(c.Ink(second), 0);
    EXPECT_EQ(c.Ink({40, 0, 60, 40}), 0);
}

} // namespace

namespace {

TEST(Text, TextInAPathBecomesGlyphOutlines)
{
    Canvas c(120, 40);
    Selected font(c.Dc, CreateFont(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    SetBkMode(c.Dc, TRANSPARENT);
    TextOut(c.Dc, 10, 5, "OK", 2);
    RECT drawn = c.InkBox();
    int ink = c.Ink();
    c.Fill(RGB(255, 255, 255));
    BeginPath(c.Dc);
    TextOut(c.Dc, 10, 5, "OK", 2);
    EndPath(c.Dc);
    EXPECT_EQ(c.Ink(), 0);
    HRGN rgn = PathToRegion(c.Dc);
    RECT box;
    ASSERT_EQ(GetRgnBox(rgn, &box), COMPLEXREGION);
    EXPECT_NEAR(box.Left, drawn.Left, 1);
    EXPECT_NEAR(box.Right, drawn.Right, 1);
    EXPECT_NEAR(box.Bottom, drawn.Bottom, 1);
    EXPECT_FALSE(
        PtInRegion(rgn, (drawn.Left + drawn.Right) / 4, (drawn.Top + drawn.Bottom) / 2)); // inside the "O"
    FillRgn(c.Dc, rgn, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // Anti-aliased text touches more pixels than the hard-edged region covers.
    EXPECT_GT(c.Ink(), ink / 2);
    EXPECT_LE(c.Ink(), ink);
    DeleteObject(rgn);
}

} // namespace
