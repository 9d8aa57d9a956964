#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

TEST(GridConstruction, DefaultsOfANewGrid)
{
    TForm* F = gridtest::NewForm();
    TDidAririzEvar* G = New<TDidAririzEvar>(F);
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(G->ColCount(), 5);
    EXPECT_EQ(G->FixedRows(), 1);
    EXPECT_EQ(G->FixedCols(), 1);
    EXPECT_EQ(G->DefaultRowHeight(), 22);
    EXPECT_EQ(G->FixedRowHeight(), 22);
    EXPECT_EQ(G->Width(), 400);
    EXPECT_EQ(G->Height(), 250);
    EXPECT_EQ(G->FixedFont()->Name(), "Tahoma");
    EXPECT_TRUE(G->FixedFont()->Style().Contains(fsBold));
    EXPECT_EQ(G->FilterDropDownClear(), "(All)");
    EXPECT_EQ(G->FloatFormat(), "%.2f");
    EXPECT_EQ(G->GetCheckTrue(1, 1), "Y");
    EXPECT_EQ(G->GetCheckFalse(1, 1), "N");
    for (Integer C = 0; C < 512; ++C)
        ASSERT_FALSE(G->IsHiddenColumn(C));
    EXPECT_EQ(G->GridLineWidth(), 1);
    EXPECT_EQ(G->GridLineColor(), 0xC0C0C0);
    EXPECT_EQ(G->GridFixedLineColor(), 0x808080);
    EXPECT_FALSE(G->DefaultDrawing());
    F->Free();
}

TEST(GridConstruction, FixedRowsAndColumnsComeBackWhenTheCountsGrowAgain)
{
    TForm* F = gridtest::NewForm();
    TDidAririzEvar* G = gridtest::NewShownGrid(F, 5, 10);
    // Shrunk to one row and one column: nothing can be fixed; grown again: the header is back.
    G->SetRowCount(1);
    G->SetColCount(1);
    EXPECT_EQ(G->FixedRows(), 0);
    G->SetRowCount(6);
    G->SetColCount(3);
    EXPECT_EQ(G->FixedRows(), 1);
    EXPECT_EQ(G->FixedCols(), 1);
    // Every data row hidden and shown again.
    G->HideRows(1, 5);
    EXPECT_EQ(G->RowCount(), 1);
    G->UnHideRowsAll();
    EXPECT_EQ(G->RowCount(), 6);
    EXPECT_EQ(G->FixedRows(), 1);
    // A fixed count set to 0 on purpose stays 0.
    G->SetFixedRows(0);
    G->SetRowCount(1);
    G->SetRowCount(4);
    EXPECT_EQ(G->FixedRows(), 0);
    F->Free();
}
