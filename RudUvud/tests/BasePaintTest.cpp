// The base grid's own cell painting: merged blocks once per pass, the footer row, content insets
// and lines, selection styles.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include "platform/win/Colors.h"

#include <map>

namespace {

struct DrawnCell {
    Integer Col, Row;
    TRect Rect;
    TGridDrawState State;
};

class TPaintProbeGrid : public TBaseGrid {
public:
    using TBaseGrid::TBaseGrid;
    std::vector<DrawnCell> Drawn;
    bool Nodes = false;
    void DrawGridCell(TCanvas* Canvas, Integer ACol, Integer ARow, TRect ARect,
                      TGridDrawState AState) override
    {
        Drawn.push_back({ACol, ARow, ARect, AState});
        TBaseGrid::DrawGridCell(Canvas, ACol, ARow, ARect, AState);
    }
    bool HasNodes() override { return Nodes; }
    // What the string grid supplies: the grid colour as every cell's background.
    void GetVisualProperties(Integer, Integer, TGridDrawState&, bool, bool, bool, TBrush* ABrush, TColor&,
                             TColor&, TColor&, TFont*, TAlignment&, TVAlignment&, bool&,
                             TCellGradientDirection&) override
    {
        ABrush->SetColor(Color());
    }
    void Repaint()
    {
        Drawn.clear();
        Invalidate();
        uitest::PumpUntilIdle();
    }
    int Count(Integer C, Integer R) const
    {
        int N = 0;
        for (const DrawnCell& D : Drawn)
            N += D.Col == C && D.Row == R;
        return N;
    }
    const DrawnCell* Find(Integer C, Integer R) const
    {
        for (const DrawnCell& D : Drawn)
            if (D.Col == C && D.Row == R)
                return &D;
        return nullptr;
    }
};

class BasePaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TPaintProbeGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 500, 300);
        G->SetColCount(10);
        G->SetRowCount(30);
        G->SetDisplayLimit(30);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TPaintProbeGrid* G = nullptr;
};

TEST_F(BasePaintTest, MergedBlockDrawnOncePerPassAlsoWithItsBaseOutOfView)
{
    G->MergeCells(2, 3, 3, 4); // rows 3..6
    G->Repaint();
    EXPECT_EQ(G->Count(2, 3), 2) << "by its own call and once through its covered cells";
    EXPECT_EQ(G->Count(3, 4), 0);
    G->SetTopRow(5); // the base row scrolled away
    G->Repaint();
    ASSERT_EQ(G->Count(2, 3), 1);
    const DrawnCell* D = G->Find(2, 3);
    const TRect Block = G->CellRect(2, 3);
    EXPECT_EQ(D->Rect.Top, Block.Top + G->GridLineWidth());
    EXPECT_EQ(D->Rect.Bottom, Block.Bottom - G->GridLineWidth());
    EXPECT_LT(Block.Top, G->RowHeights(0)) << "the block reaches under the fixed row (clipped there)";
    const Integer Before = G->PaintCounter();
    G->Repaint();
    EXPECT_GT(G->PaintCounter(), Before);
}

TEST_F(BasePaintTest, ContentInsetsFollowTheLineWidth)
{
    G->SetGridLineWidth(3);
    G->Repaint();
    const DrawnCell* D = G->Find(2, 2);
    ASSERT_NE(D, nullptr);
    const TRect R = G->CellRect(2, 2);
    EXPECT_EQ(D->Rect, (TRect{R.Left + 3, R.Top + 3, R.Right - 3, R.Bottom - 3}));
    const DrawnCell* Fx = G->Find(0, 2);
    ASSERT_NE(Fx, nullptr);
    const TRect F = G->CellRect(0, 2);
    EXPECT_EQ(Fx->Rect, (TRect{F.Left, F.Top, F.Right - 1, F.Bottom - 2}));
    EXPECT_TRUE(Fx->State.Contains(gdFixed) || !G->IsFixed(0, 2));
    // The line of a normal cell lies (3 + 1) / 2 = 2 pixels in from its right edge, in the line
    // colour.
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R.Right - 2, R.Top + 8),
              static_cast<COLORREF>(G->GridLineColor()));
}

TEST_F(BasePaintTest, FooterRowIsAnEmptyArea)
{
    G->SetRowCount(6);
    G->SetCells(2, 5, "hidden by the footer");
    G->SetFooterRowFlag(true);
    G->SetColor(0x00FF00);
    G->Repaint();
    EXPECT_EQ(G->Count(2, 5), 0);
    const TRect R = G->CellRect(2, 5);
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R.Left + 5, R.Top + 5), 0x00FF00u);
}

TEST_F(BasePaintTest, ActiveRowColour)
{
    G->SetActiveRowShow(true);
    G->SetActiveRowColor(0x0000FF);
    G->SetCol(2);
    G->SetRow(4);
    G->Repaint();
    const TRect Other = G->CellRect(5, 4);
    EXPECT_EQ(uitest::PixelAt(G->Handle(), Other.Left + 5, Other.Top + 5), 0x0000FFu);
    const TRect Current = G->CellRect(2, 4);
    EXPECT_NE(uitest::PixelAt(G->Handle(), Current.Left + 5, Current.Top + 5), 0x0000FFu)
        << "the current cell keeps its own look while the selection shows";
}

TEST_F(BasePaintTest, NodeColumnHasNoBottomLine)
{
    G->SetFixedCols(0);
    G->SetGridLineColor(0x0000FF);
    G->Nodes = true;
    G->Repaint();
    const TRect R0 = G->CellRect(0, 3), R1 = G->CellRect(1, 3);
    EXPECT_NE(uitest::PixelAt(G->Handle(), R0.Left + 10, R0.Bottom - 1), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(G->Handle(), R1.Left + 10, R1.Bottom - 1), 0x0000FFu);
}

TEST_F(BasePaintTest, SelectionStylesColourTheSelection)
{
    G->SetSelection(TGridRect{2, 3, 4, 3});
    G->SetSelectionStyle(ssOffice2007);
    G->Repaint();
    // Unfocused: the neutral set (light grey), not the style's yellow.
    const TRect R = G->CellRect(3, 3);
    const COLORREF Mid = uitest::PixelAt(G->Handle(), (R.Left + R.Right) / 2, R.Top + 4);
    EXPECT_EQ(GetRValue(Mid), GetGValue(Mid));
    G->SetOptions(G->Options() + TGridOptions{goDrawFocusSelected});
    G->Repaint();
    const COLORREF Yellow = uitest::PixelAt(G->Handle(), (R.Left + R.Right) / 2, R.Top + 4);
    EXPECT_NE(GetRValue(Yellow), GetBValue(Yellow));
    // ssDefault leaves the colours the visual properties gave.
    G->SetSelectionStyle(ssDefault);
    G->Repaint();
    EXPECT_EQ(uitest::PixelAt(G->Handle(), (R.Left + R.Right) / 2, R.Top + 4), ColorToRGB(G->Color()));
}

} // namespace
