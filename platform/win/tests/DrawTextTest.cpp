#include "Canvas.h"

#include <cstring>

namespace {

struct TextCanvas : Canvas {
    HFONT Font;
    HGDIOBJ Old;
    TEXTMETRIC Tm{};
    TextCanvas(int w, int h, const char* face = "Arial", int height = -13) : Canvas(w, h)
    {
        Font = CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
        Old = SelectObject(Dc, Font);
        GetTextMetrics(Dc, &Tm);
        SetBkMode(Dc, TRANSPARENT);
    }
    ~TextCanvas()
    {
        SelectObject(Dc, Old);
        DeleteObject(Font);
    }
    int Width(const char* s)
    {
        SIZE size;
        GetTextExtentPoint32(Dc, s, int(std::strlen(s)), &size);
        return size.cx;
    }
    RECT Calc(const char* s, RECT r, UINT flags)
    {
        DrawText(Dc, s, -1, &r, flags | DT_CALCRECT);
        return r;
    }
    RECT Drawn(const char* s, RECT r, UINT flags)
    {
        Fill(RGB(255, 255, 255));
        DrawText(Dc, s, -1, &r, flags);
        return InkBox();
    }
};

TEST(DrawText, CalcRectMeasuresOneLineLikeTheExtent)
{
    TextCanvas c(10, 10);
    RECT r = c.Calc("Prize list", {5, 7, 6, 8}, DT_SINGLELINE);
    EXPECT_EQ(r, (RECT{5, 7, 5 + c.Width("Prize list"), 7 + c.Tm.tmHeight}));
    RECT empty = c.Calc("", {5, 7, 50, 80}, 0);
    EXPECT_EQ(empty, (RECT{5, 7, 5, 7 + c.Tm.tmHeight}));
    // A single-line rectangle ignores line breaks; without the flag they make lines.
    EXPECT_EQ(c.Calc("a\r\nb\nc", {0, 0, 100, 10}, DT_SINGLELINE).Bottom, c.Tm.tmHeight);
    EXPECT_EQ(c.Calc("a\r\nb\nc", {0, 0, 100, 10}, 0).Bottom, 3 * c.Tm.tmHeight);
    RECT calc{0, 0, 100, 0};
    EXPECT_EQ(DrawText(c.Dc, "a\rb", -1, &calc, DT_CALCRECT), 2 * c.Tm.tmHeight);
}

TEST(DrawText, WordBreakWrapsAtSpacesAndKeepsTheWidth)
{
    TextCanvas c(200, 100);
    const char* text = "first prize second prize third prize";
    int limit = c.Width("second prize") + 2;
    RECT r = c.Calc(text, {0, 0, limit, 0}, DT_WORDBREAK);
    EXPECT_EQ(r.Bottom, 3 * c.Tm.tmHeight);
    EXPECT_EQ(r.Right, c.Width("second prize")); // the widest line, not the rectangle
    RECT ink = c.Drawn(text, {0, 0, limit, 100}, DT_WORDBREAK);
    EXPECT_LE(ink.Right, limit);
    EXPECT_GT(ink.Bottom, 2 * c.Tm.tmHeight);

    // A word longer than the line stays whole and widens the rectangle, unless the edit
    // control rule breaks it between characters.
    const char* longWord = "Supercalifragilistic";
    int narrow = c.Width("Super");
    RECT whole = c.Calc(longWord, {0, 0, narrow, 0}, DT_WORDBREAK);
    EXPECT_EQ(whole.Bottom, c.Tm.tmHeight);
    EXPECT_EQ(whole.Right, c.Width(longWord));
    RECT broken = c.Calc(longWord, {0, 0, narrow, 0}, DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_GE(broken.Bottom, 4 * c.Tm.tmHeight);
    EXPECT_LE(broken.Right, narrow);
    EXPECT_GT(broken.Right, 0);
}

TEST(DrawText, CalcRectTakesTheWidestLineLaidOut)
{
    TextCanvas c(200, 100);
    int h = c.Tm.tmHeight;
    int wide = c.Width("second prize") + 2;
    struct Case {
        const char* text;
        RECT box;
        UINT flags;
        RECT expected;
    };
    const Case cases[] = {
        // Wrapped lines: the right edge follows the longest of them, also from an offset origin.
        {"first prize second prize third prize",
         {0, 0, wide, 0},
         DT_WORDBREAK,
         {0, 0, c.Width("second prize"), 3 * h}},
        {"first prize second prize third prize",
         {10, 5, 10 + wide, 5},
         DT_WORDBREAK,
         {10, 5, 10 + c.Width("second prize"), 5 + 3 * h}},
        // Text narrower than the rectangle narrows it.
        {"Draw", {0, 0, 150, 0}, DT_WORDBREAK, {0, 0, c.Width("Draw"), h}},
        {"one\r\nlonger line", {0, 0, 150, 0}, DT_WORDBREAK, {0, 0, c.Width("longer line"), 2 * h}},
        // The prefix character takes no room, wrapped or not.
        {"&Draw the prize", {0, 0, 150, 0}, DT_WORDBREAK, {0, 0, c.Width("Draw the prize"), h}},
        {"&Draw the prize", {0, 0, 150, 0}, DT_SINGLELINE, {0, 0, c.Width("Draw the prize"), h}},
        {"Draw the prize", {3, 4, 5, 6}, DT_SINGLELINE, {3, 4, 3 + c.Width("Draw the prize"), 4 + h}},
        // Nothing to lay out still takes one line, and no width.
        {"", {0, 0, 150, 0}, DT_WORDBREAK, {0, 0, 0, h}},
        {"", {7, 8, 150, 0}, DT_SINGLELINE, {7, 8, 7, 8 + h}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        SCOPED_TRACE(k.flags);
        EXPECT_EQ(c.Calc(k.text, k.box, k.flags), k.expected);
    }
}

TEST(DrawText, ChineseTextWrapsBetweenCharacters)
{
    TextCanvas c(200, 100, "細明體", -12);
    RECT r = c.Calc("一等獎二等獎三等獎", {0, 0, 36, 0}, DT_WORDBREAK);
    EXPECT_EQ(r.Bottom, 3 * c.Tm.tmHeight);
    std::u16string wide = u"一等獎二等獎三等獎";
    RECT w{0, 0, 36, 0};
    DrawTextW(c.Dc, wide.c_str(), -1, &w, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(w, r);
}

TEST(DrawText, AlignsHorizontallyAndVerticallyInTheRectangle)
{
    TextCanvas c(200, 60);
    RECT box{10, 10, 190, 50};
    int w = c.Width("Mid");
    struct Case {
        UINT flags;
        int left, right, top, bottom; // allowed ink range
    };
    int vTop = 10 + (40 - c.Tm.tmHeight) / 2;
    const Case cases[] = {
        {DT_LEFT | DT_SINGLELINE, 10, 10 + w + 1, 10, 10 + c.Tm.tmHeight},
        {DT_RIGHT | DT_SINGLELINE, 190 - w - 1, 190, 10, 10 + c.Tm.tmHeight},
        {DT_CENTER | DT_SINGLELINE, 100 - w / 2 - 1, 100 + w / 2 + 2, 10, 10 + c.Tm.tmHeight},
        {DT_VCENTER | DT_SINGLELINE, 10, 10 + w + 1, vTop, vTop + c.Tm.tmHeight},
        {DT_BOTTOM | DT_SINGLELINE, 10, 10 + w + 1, 50 - c.Tm.tmHeight, 50},
        // Vertical centring needs a single line, as on the platform.
        {DT_VCENTER, 10, 10 + w + 1, 10, 10 + c.Tm.tmHeight},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.flags);
        RECT ink = c.Drawn("Mid", box, k.flags);
        EXPECT_GE(ink.Left, k.left);
        EXPECT_LE(ink.Right, k.right);
        EXPECT_GE(ink.Top, k.top);
        EXPECT_LE(ink.Bottom, k.bottom);
    }
    RECT r = box;
    EXPECT_EQ(DrawText(c.Dc, "Mid", -1, &r, DT_VCENTER | DT_SINGLELINE), vTop - 10 + c.Tm.tmHeight);
}

TEST(DrawText, ClipsToTheRectangleUnlessAskedNotTo)
{
    TextCanvas c(200, 40);
    RECT box{10, 5, 40, 30};
    RECT clipped = c.Drawn("A long prize name", box, DT_SINGLELINE);
    EXPECT_LE(clipped.Right, 40);
    RECT free = c.Drawn("A long prize name", box, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(free.Right, 40);
    // The ellipsis shortens the text so that it fits, even unclipped.
    RECT dots = c.Drawn("A long prize name", box, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
    EXPECT_LE(dots.Right, 40);
    EXPECT_GT(c.Ink({10, 5, 40, 30}), 0);
    // A path keeps its file name and loses the middle.
    RECT pathBox{0, 0, c.Width("C:\\...\\prizes.xls") + 1, 20};
    RECT path = c.Drawn("C:\\Program Files\\Drawmere\\prizes.xls", pathBox,
                        DT_SINGLELINE | DT_NOCLIP | DT_PATH_ELLIPSIS);
    EXPECT_LE(path.Right, pathBox.Right);
}

TEST(DrawText, AmpersandUnderlinesTheNextCharacterUnlessPrefixesAreOff)
{
    TextCanvas c(100, 30);
    RECT box{0, 0, 100, 30};
    c.Drawn("File", box, DT_SINGLELINE);
    int plain = c.Ink();
    c.Drawn("&File", box, DT_SINGLELINE);
    int prefixed = c.Ink();
    EXPECT_GT(prefixed, plain); // the underline under "F"
    EXPECT_EQ(c.Calc("&File", box, DT_SINGLELINE).Right, c.Width("File"));
    EXPECT_EQ(c.Calc("&File", box, DT_SINGLELINE | DT_NOPREFIX).Right, c.Width("&File"));
    EXPECT_EQ(c.Calc("A&&B", box, DT_SINGLELINE).Right, c.Width("A&B"));
    c.Drawn("&File", box, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(c.Ink(), plain);
}

TEST(DrawText, ExpandsTabsToEightAverageCharacters)
{
    TextCanvas c(200, 30);
    RECT r = c.Calc("\tX", {0, 0, 200, 0}, DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.Right, 8 * c.Tm.tmAveCharWidth + c.Width("X"));
    RECT ink = c.Drawn("\tX", {0, 0, 200, 30}, DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_GE(ink.Left, 8 * c.Tm.tmAveCharWidth);
}

TEST(DrawText, OpaqueModeFillsTheLineBackground)
{
    TextCanvas c(100, 30);
    SetBkMode(c.Dc, OPAQUE);
    SetBkColor(c.Dc, RGB(255, 0, 0));
    RECT box{0, 0, 100, 30};
    DrawText(c.Dc, "Hi", -1, &box, DT_SINGLELINE);
    EXPECT_EQ(c.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(c.At(c.Width("Hi") + 2, 1), RGB(255, 255, 255));
}

} // namespace
