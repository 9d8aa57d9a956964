// Cell text size by text kind (plain, multi-line, word-wrapped, mini-HTML, wide, RTF), with
// links, zoom, margins and rotation; and each cell's alignment.

#include "RudUvud/tests/GraphicTestSupport.h"

#include "RudUvud/support/DerOdoz.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A grid whose formulas calculate to a number.
class TCalcGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    AnsiString CalcCell(Integer ACol, Integer ARow) override
    {
        const AnsiString S = Cells(ACol, ARow);
        return !S.empty() && (S[0] == '=' || S[0] == '|') ? AnsiString("42") : S;
    }
};

class CellTextSizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TCalcGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetColCount(5);
        G->SetRowCount(8);
        G->SetColWidths(1, 80);
        G->SetRowHeights(1, 40);
        uitest::PumpUntilIdle();
        Probe.reset(New<TBitmap>());
        Probe->SetSize(4, 4);
        Probe->Canvas()->Font()->Assign(G->Font());
    }
    void TearDown() override { Form->Free(); }
    Integer Width(const AnsiString& S) { return Probe->Canvas()->TextWidth(S); }
    Integer Line() { return Probe->Canvas()->TextHeight("gh"); }
    TPoint Size(const AnsiString& S, bool WordWrap = false)
    {
        G->SetCells(1, 1, S);
        return G->GetCellTextSize(1, 1, WordWrap, false);
    }

    TForm* Form = nullptr;
    TCalcGrid* G = nullptr;
    std::unique_ptr<TBitmap> Probe;
};

TEST_F(CellTextSizeTest, PlainLinesWithAndWithoutMultiLineCells)
{
    EXPECT_EQ(Size("ab\r\ncdef"), (TPoint{Width("ab"), Line()}));
    G->SetMultilinecells(true);
    EXPECT_EQ(Size("ab\r\ncdef"), (TPoint{Width("cdef"), 2 * Line()}));
    EXPECT_EQ(Size("wide line\r\nx\r\n"), (TPoint{Width("wide line"), 2 * Line()}));
    EXPECT_EQ(Size(""), (TPoint{0, Line()}));
}

TEST_F(CellTextSizeTest, TheCellFontAndTheZoomCount)
{
    const TPoint Normal = Size("Measure me");
    G->SetFontSizes(1, 1, G->Font()->Size() + 6);
    const TPoint Bigger = Size("Measure me");
    EXPECT_GT(Bigger.X, Normal.X);
    EXPECT_GT(Bigger.Y, Normal.Y);
    G->SetFontSizes(1, 1, G->Font()->Size());
    G->Zoom(6);
    EXPECT_EQ(Size("Measure me"), Bigger);
    G->Zoom(-6);
    EXPECT_EQ(Size("Measure me"), Normal);
}

TEST_F(CellTextSizeTest, LinkProtocolsAreLeftOutUnlessShownInFull)
{
    G->SetURLShow(true);
    EXPECT_EQ(Size("abc://def").X, Width("def"));
    EXPECT_EQ(Size("mailto:abc").X, Width("abc"));
    G->SetURLFull(true);
    EXPECT_EQ(Size("abc://def").X, Width("abc://def"));
    G->SetURLFull(false);
    G->SetURLShow(false);
    EXPECT_EQ(Size("mailto:abc").X, Width("mailto:abc"));
}

TEST_F(CellTextSizeTest, WordWrapBreaksAtTheCellsTextWidth)
{
    // Text room: 80 less the margins (2 on each side) and 2 more on each side.
    const Integer Room = 80 - 2 * 2 - 2 * 2;
    const AnsiString Text = "one two three four five six seven";
    ASSERT_GT(Width(Text), Room);
    const TPoint Wrapped = Size(Text, true);
    EXPECT_LE(Wrapped.X, Room);
    EXPECT_GE(Wrapped.Y, 2 * Line());
    EXPECT_EQ(Wrapped.Y % Line(), 0);
    // Room for a button (17 pixels) makes the lines shorter still.
    G->SetCells(1, 1, Text);
    const TPoint WithButton = G->GetCellTextSize(1, 1, true, true);
    EXPECT_LE(WithButton.X, Room - 17);
    EXPECT_GE(WithButton.Y, Wrapped.Y);
    // The margin counted at the top and left only gives the lines more room.
    G->SetXYOffsetTopLeft(true);
    const TPoint TopLeft = Size(Text, true);
    EXPECT_LE(TopLeft.X, Room + 2);
    EXPECT_LE(TopLeft.Y, Wrapped.Y);
    // Short text keeps its own width.
    EXPECT_EQ(Size("ab", true), (TPoint{Width("ab"), Line()}));
}

TEST_F(CellTextSizeTest, HtmlIsMeasuredUnboundedWithoutWordWrap)
{
    const AnsiString Html = "<b>bold</b> and <i>a rather long italic tail</i>";
    const TPoint OneLine = Size(Html, false);
    EXPECT_GT(OneLine.X, 80); // not held to the 80-pixel column
    const TPoint Wrapped = Size(Html, true);
    EXPECT_LT(Wrapped.X, OneLine.X);
    EXPECT_GT(Wrapped.Y, OneLine.Y);
    // The two extra pixels in each direction: an empty line of markup is 2 high at least.
    const TPoint Empty = Size("<b></b>", false);
    EXPECT_GE(Empty.X, 2);
    EXPECT_GE(Empty.Y, 2);
    G->SetCells(1, 1, "plain");
    EXPECT_EQ(G->GetCellTextSize(1, 1, false, false), (TPoint{Width("plain"), Line()}));
}

TEST_F(CellTextSizeTest, WideTextTakesTheGridsWordWrap)
{
    G->SetWideCells(1, 1, u"\u03b1\u03b2\u03b3\r\n\u03b4");
    G->SetWordWrap(true);
    const TPoint Two = G->GetCellTextSize(1, 1, false, false);
    G->SetWordWrap(false);
    const TPoint One = G->GetCellTextSize(1, 1, false, false);
    EXPECT_GT(One.Y, 0);
    EXPECT_EQ(Two.Y, 2 * One.Y);
    EXPECT_GT(One.X, 0);
    EXPECT_LE(One.X, 80 - 4);
    G->SetMultilinecells(true);
    EXPECT_EQ(G->GetCellTextSize(1, 1, false, false).Y, Two.Y);
}

TEST_F(CellTextSizeTest, RichTextIsMeasuredByTheRichEdit)
{
    const AnsiString One = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 first}";
    const AnsiString Three = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 first\\par second\\par third}";
    const AnsiString Big = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs60 first}";
    ASSERT_EQ(TextType(One, true), ttRTF);
    const TPoint A = Size(One);
    const TPoint B = Size(Three);
    const TPoint C = Size(Big);
    // The rich edit is laid out over the text rectangle and asks for its client width; the
    // height grows with the lines and the font.
    EXPECT_EQ(G->RichEdit()->Width(), 80 - 4);
    EXPECT_EQ(A.X, G->RichEdit()->ClientWidth());
    EXPECT_GT(A.Y, 0);
    EXPECT_GT(B.Y, 2 * A.Y);
    EXPECT_GT(C.Y, A.Y);
}

TEST_F(CellTextSizeTest, RotatedTextTakesTheTurnedBox)
{
    const TPoint Flat = Size("Rotate");
    TCellGraphic* R = G->CreateCellGraphic(1, 1);
    R->SetAngle(90);
    EXPECT_EQ(Size("Rotate"), (TPoint{Flat.Y + 12, Flat.X + 12}));
    R->SetAngle(180);
    EXPECT_EQ(Size("Rotate"), (TPoint{Flat.X + 12, Flat.Y + 12}));
    R->SetAngle(0);
    EXPECT_EQ(Size("Rotate"), (TPoint{Flat.X + 12, Flat.Y + 12}));
    // At 45 degrees an unrotated box of (40, 12) turns into (|8 - 28| + 12, |8 - 28| + 12).
    R->SetAngle(45);
    const double C = 0.70710678118654752;
    const Integer A = Integer(Flat.X * C), B = Integer(Flat.Y * C);
    EXPECT_EQ(Size("Rotate"), (TPoint{std::abs(B - A) + 12, std::abs(B - A) + 12}));
    EXPECT_EQ(std::abs(Integer(12 * C) - Integer(40 * C)) + 12, 32);
}

TEST_F(CellTextSizeTest, AlignmentOfNumbersRecordsAndTheHook)
{
    G->SetCells(1, 1, "1.5e3");
    G->SetCells(2, 1, "1.5.3");
    G->SetCells(3, 1, "=A1+B1");
    G->SetCells(4, 1, " 12 ");
    G->SetCells(1, 2, EncodeWideStr(u"=A1")); // a wide formula
    G->SetAlignments(2, 1, taCenter);
    G->GetCellProperties(2, 1)->SetVAlignment(vtaBottom);
    auto H = [&](Integer C, Integer R) {
        TAlignment HA = taCenter;
        TVAlignment VA = vtaCenter;
        G->GetCellAlignment(C, R, HA, VA);
        return std::make_pair(HA, VA);
    };
    // Without AutoNumAlign the record's horizontal alignment counts; the vertical one is the
    // grid's.
    EXPECT_EQ(H(1, 1), std::make_pair(taLeftJustify, vtaTop));
    EXPECT_EQ(H(2, 1), std::make_pair(taCenter, vtaTop));
    G->SetVAlignment(vtaCenter);
    EXPECT_EQ(H(2, 1).second, vtaCenter);
    G->SetAutoNumAlign(true);
    EXPECT_EQ(H(1, 1).first, taRightJustify);
    EXPECT_EQ(H(2, 1).first, taLeftJustify);  // not a number: the record's alignment is not read
    EXPECT_EQ(H(3, 1).first, taRightJustify); // the formula's value is a number
    EXPECT_EQ(H(4, 1).first, taRightJustify);
    EXPECT_EQ(H(1, 2).first, taRightJustify);
    EXPECT_EQ(H(1, 3).first, taLeftJustify); // empty
    // The hook has the last word.
    G->OnGetAlignment = [](TObject*, Integer ARow, Integer ACol, TAlignment& HA, TVAlignment& VA) {
        if (ACol == 1 && ARow == 1) {
            HA = taCenter;
            VA = vtaBottom;
        }
    };
    EXPECT_EQ(H(1, 1), std::make_pair(taCenter, vtaBottom));
}

} // namespace

// The invisible grids a program keeps for exporting have no window: measuring still works.
TEST(CellTextSizeAlone, AGridWithoutWindowMeasures)
{
    gridtest::NewForm()->Free(); // the headless application
    TDidAririzEvar* Alone = New<TDidAririzEvar>(nullptr);
    Alone->SetCells(1, 1, "text");
    const TPoint P = Alone->GetCellTextSize(1, 1, false, false);
    EXPECT_GT(P.X, 0);
    EXPECT_GT(P.Y, 0);
    Alone->CreateCellGraphic(1, 1)->SetButton(10, 10, "caption", haFull, vaTop);
    Alone->SetCells(1, 1, "");
    EXPECT_GT(Alone->GetCellGraphicSize(1, 1).X, 4);
    Alone->Free();
}
