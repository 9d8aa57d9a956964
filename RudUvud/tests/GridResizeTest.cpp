// The grid's size handler: column widths that follow the grid's width and the stretched column.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

class GridResize : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 5);
        G->SetBorderStyle(bsNone);
        G->SetDefaultRowHeight(20);
        G->SetBounds(0, 0, 400, 300);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    void Widen(Integer W)
    {
        G->SetBounds(0, 0, W, 300);
        uitest::PumpUntilIdle();
    }
    // The columns lie edge to edge (the grid draws its lines inside the cells).
    Integer TotalWidth()
    {
        Integer T = 0;
        for (Integer K = 0; K < G->ColCount(); ++K)
            T += G->ColWidths(K);
        return T;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(GridResize, SynchronisedWidthsScaleWithTheGridAndDropTheFraction)
{
    const Integer Base[] = {100, 33, 60, 40};
    for (Integer K = 0; K < 4; ++K)
        G->SetColWidths(K, Base[K]);
    G->InitOrigColSizes();

    // Without SynchWithGrid a resize leaves the widths alone.
    Widen(500);
    EXPECT_EQ(G->ColWidths(0), 100);

    G->ColumnSize()->SynchWithGrid = true;
    Widen(600);
    EXPECT_EQ(G->ColWidths(0), 150);
    EXPECT_EQ(G->ColWidths(1), 49); // 49.5
    EXPECT_EQ(G->ColWidths(2), 90);
    EXPECT_EQ(G->ColWidths(3), 60);

    // Always from the recorded base, so shrinking back restores it exactly.
    Widen(400);
    for (Integer K = 0; K < 4; ++K)
        EXPECT_EQ(G->ColWidths(K), Base[K]) << K;

    // With SynchNormalCellsOnly the fixed columns on both sides keep their width.
    G->SetFixedCols(1);
    G->SetFixedRightCols(1);
    G->ColumnSize()->SynchNormalCellsOnly = true;
    Widen(800);
    EXPECT_EQ(G->ColWidths(0), 100);
    EXPECT_EQ(G->ColWidths(1), 66);
    EXPECT_EQ(G->ColWidths(2), 120);
    EXPECT_EQ(G->ColWidths(3), 40);
}

TEST_F(GridResize, NoSynchronisationBeforeABaseIsRecorded)
{
    G->ColumnSize()->SynchWithGrid = true;
    G->SetColWidths(0, 100);
    Widen(600);
    EXPECT_EQ(G->ColWidths(0), 100);
}

TEST_F(GridResize, StretchedColumnFillsTheGridAndOnResizeFiresOnce)
{
    for (Integer K = 0; K < 4; ++K)
        G->SetColWidths(K, 50);
    G->ColumnSize()->StretchColumn = 1;
    G->ColumnSize()->SetStretch(true);
    Integer Resized = 0;
    G->OnResize = [&](TObject*) { ++Resized; };

    Widen(500);
    EXPECT_EQ(Resized, 1);
    EXPECT_EQ(G->ColWidths(0), 50);
    EXPECT_EQ(G->ColWidths(2), 50);
    EXPECT_EQ(TotalWidth(), G->ClientWidth() - 1);
    Widen(350);
    EXPECT_EQ(TotalWidth(), G->ClientWidth() - 1);

    // -1 stretches the last column.
    G->ColumnSize()->StretchColumn = -1;
    G->SetColWidths(1, 50);
    Widen(450);
    EXPECT_EQ(G->ColWidths(1), 50);
    EXPECT_EQ(TotalWidth(), G->ClientWidth() - 1);

    // Other columns wider than the grid: nothing is narrowed to nothing.
    G->SetColWidths(0, 600);
    const Integer Last = G->ColWidths(3);
    Widen(300);
    EXPECT_EQ(G->ColWidths(3), Last);
}

} // namespace
