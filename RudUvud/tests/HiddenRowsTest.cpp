// Hidden rows and columns: the maps both ways, hiding and showing round trips, hide levels,
// scrolling into view, selection parking and the save range.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

class HiddenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 10);
        for (Integer R = 0; R < 10; ++R)
            for (Integer C = 0; C < 5; ++C)
                G->SetCells(C, R, "r" + std::to_string(R) + "c" + std::to_string(C));
    }
    void TearDown() override { Form->Free(); }
    // The first cell of every display row, as the row's name.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> V;
        for (Integer R = 0; R < G->RowCount(); ++R)
            V.push_back(G->Cells(0, R));
        return V;
    }
    std::vector<std::string> Names(std::initializer_list<int> Rows)
    {
        std::vector<std::string> V;
        for (int R : Rows)
            V.push_back("r" + std::to_string(R) + "c0");
        return V;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(HiddenTest, RowMapsBothWays)
{
    for (Integer I = -3; I < 12; ++I) {
        EXPECT_EQ(G->RealRowIndex(I), I);
        EXPECT_EQ(G->DisplRowIndex(I), I);
        EXPECT_EQ(G->RealColIndex(I), I);
        EXPECT_EQ(G->DisplColIndex(I), I);
    }
    G->HideRows(2, 4);
    EXPECT_EQ(G->RowCount(), 7);
    EXPECT_EQ(G->NumHiddenRows(), 3);
    EXPECT_EQ(G->TotalRowCount(), 10);
    struct Case {
        Integer Real, Displ;
    } RealToDispl[] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 3}, {9, 6}};
    for (const Case& K : RealToDispl)
        EXPECT_EQ(G->DisplRowIndex(K.Real), K.Displ) << "real " << K.Real;
    Case DisplToReal[] = {{0, 0}, {1, 1}, {5, 2}, {6, 3}, {9, 6}, {11, 8}, {-1, -1}};
    for (const Case& K : DisplToReal)
        EXPECT_EQ(G->RealRowIndex(K.Displ), K.Real) << "display " << K.Displ;
    for (Integer R = 0; R < 10; ++R)
        EXPECT_EQ(G->IsHiddenRow(R), R >= 2 && R <= 4) << R;
    EXPECT_EQ(Shown(), Names({0, 1, 5, 6, 7, 8, 9}));
    EXPECT_EQ(G->GetCellsEx(1, 3), "r3c1") << "a hidden row is read inside its entry";
    EXPECT_EQ(G->GetCellsEx(1, 6), "r6c1");
}

TEST_F(HiddenTest, HidingAroundAHiddenRowAndShowingBack)
{
    G->SetRowHeights(2, 30);
    G->SetRowHeights(4, 40);
    TCellProperties* CP = G->GetCellProperties(3, 4);
    G->HideRow(3);
    ASSERT_EQ(G->RowCount(), 9);
    G->HideRows(2, 4);
    EXPECT_EQ(G->RowCount(), 7) << "only rows 2 and 4 were left to hide";
    EXPECT_EQ(G->NumHiddenRows(), 3);
    EXPECT_EQ(G->HiddenRowStore()[0].Height, 30);
    EXPECT_EQ(G->HiddenRowStore()[2].Height, 40);

    G->UnHideRows(5, 6);
    EXPECT_EQ(G->RowCount(), 7) << "a range starting at a shown row restores nothing";
    G->UnHideRows(2, 4);
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(Shown(), Names({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(G->RowHeights(2), 30);
    EXPECT_EQ(G->RowHeights(4), 40);
    EXPECT_EQ(G->GetCellProperties(3, 4), CP) << "the record came back with its row";
    EXPECT_EQ(G->RowHeights(5), 22);
}

TEST_F(HiddenTest, HiddenColumnsTravelWithHiddenRows)
{
    G->HideColumn(2);
    ASSERT_EQ(G->ColCount(), 4);
    G->HideRow(6);
    G->UnHideRow(6);
    G->UnHideColumn(2);
    for (Integer C = 0; C < 5; ++C)
        EXPECT_EQ(G->Cells(C, 6), "r6c" + std::to_string(C));
}

TEST_F(HiddenTest, ColumnMapsWidthsAndLimits)
{
    for (Integer C = 0; C < 5; ++C)
        G->SetColWidths(C, 50 + C);
    G->HideColumn(1);
    EXPECT_EQ(G->ColCount(), 4);
    EXPECT_EQ(G->NumHiddenColumns(), 1);
    EXPECT_EQ(G->TotalColCount(), 5);
    EXPECT_EQ(G->RealColIndex(1), 2);
    EXPECT_EQ(G->DisplColIndex(2), 1);
    EXPECT_EQ(G->DisplColIndex(1), 1);
    EXPECT_EQ(G->RealColIndex(600), 600);
    EXPECT_EQ(G->RealColIndex(-1), 0) << "a display column with no visible real column";
    EXPECT_EQ(G->RealColIndex(511), 0);
    EXPECT_EQ(G->ColWidths(1), 52);
    EXPECT_EQ(G->ColWidths(3), 54);
    G->UnHideColumn(1);
    for (Integer C = 0; C < 5; ++C)
        EXPECT_EQ(G->ColWidths(C), 50 + C);
    // Every column hidden one after another: the last one stays.
    for (Integer C = 0; C < 5; ++C)
        G->HideColumn(C);
    EXPECT_EQ(G->ColCount(), 1);
    EXPECT_EQ(G->RealColIndex(0), 4);
    // Indexes outside the table are ignored rather than written.
    G->HideColumns(-5, -1);
    G->UnHideColumn(9000);
    G->SetVisibleCol(9000, false);
    G->UnHideColumnsAll();
    EXPECT_EQ(G->ColCount(), 5);
    EXPECT_EQ(G->NumHiddenColumns(), 0);
}

TEST_F(HiddenTest, HideLevelsKeepRealIndexes)
{
    G->HideRowList({2, 3});         // level 0: real 2, 3
    G->HideRowList({2});            // level 1: display 2 = real 4
    EXPECT_TRUE(G->IsHiddenRow(4)); // the entry knows its real row
    EXPECT_EQ(G->GetCellsEx(0, 4), "r4c0");
    EXPECT_EQ(G->GetCellsEx(0, 1), "r1c0");
    EXPECT_EQ(G->RealRowIndex(2), 5);
    EXPECT_EQ(Shown(), Names({0, 1, 5, 6, 7, 8, 9}));
    G->UnHideRowList();
    EXPECT_EQ(Shown(), Names({0, 1, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(G->HideLevel(), 2) << "restoring the top level does not pop it";
    G->RemoveLastHideLevel(); // level 1 again: nothing of it is hidden any more
    G->RemoveLastHideLevel();
    EXPECT_EQ(G->HideLevel(), 0);
    EXPECT_EQ(Shown(), Names({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(HiddenTest, RowListRoundTripKeepsTheFooterRowLast)
{
    G->FloatingFooter()->SetVisible(true);
    G->SetRowHeights(7, 33);
    G->HideRowList({1, 4, 7});
    EXPECT_EQ(G->RowCount(), 7);
    EXPECT_EQ(G->Cells(0, 6), "r9c0");
    G->UnHideRowList();
    EXPECT_EQ(Shown(), Names({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(G->RowHeights(7), 33);
    G->FloatingFooter()->SetVisible(false);
}

TEST_F(HiddenTest, UnhideAllRestoresEverything)
{
    G->HideRows(1, 2);
    G->HideRow(5);
    G->HideRowList({4});
    G->UnHideRowsAll();
    EXPECT_EQ(Shown(), Names({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(G->NumHiddenRows(), 0);
}

TEST_F(HiddenTest, ScrollInViewCentresOutsideCells)
{
    G->SetRowCount(200);
    G->SetTopRow(1);
    G->ScrollInView(1, 3);
    EXPECT_EQ(G->TopRow(), 1) << "a visible cell moves nothing";
    G->ScrollInView(1, 100);
    EXPECT_EQ(G->Row(), 100);
    EXPECT_EQ(G->TopRow(), 100 - G->VisibleRowCount() / 2);
    G->ScrollInView(1, 2);
    EXPECT_EQ(G->TopRow(), 1) << "not before the first scrollable row";
    G->ScrollInView(1, 500);
    EXPECT_EQ(G->Row(), 2);
}

TEST_F(HiddenTest, SelectionParking)
{
    G->SetSelection(TGridRect{1, 2, 3, 4});
    G->HideSelection();
    EXPECT_EQ(G->Selection().Left, G->ColCount());
    G->UnHideSelection();
    EXPECT_EQ(G->Selection(), (TGridRect{1, 2, 3, 4}));
    G->SetSelection(TGridRect{1, 8, 1, 8});
    G->HideSelection();
    G->SetRowCount(5);
    G->UnHideSelection();
    EXPECT_EQ(G->Selection(), (TGridRect{1, 1, 1, 1}));
}

TEST_F(HiddenTest, SaveRangeAndUsedCells)
{
    G->SetFixedFooters(1);
    G->SetIncludeFixedCells(false);
    EXPECT_EQ(G->GetSaveStartRow(), 1);
    EXPECT_EQ(G->GetSaveEndRow(), 8);
    EXPECT_EQ(G->GetSaveRowCount(), 8);
    EXPECT_EQ(G->GetSaveStartCol(), 1);
    EXPECT_EQ(G->GetSaveColCount(), 4);
    G->SetIncludeFixedCells(true);
    EXPECT_EQ(G->GetSaveRowCount(), 10);
    auto* E = New<TDidAririzEvar>(Form);
    EXPECT_EQ(E->GetUsedCells(), (TRect{0, 0, 0, 0}));
    E->SetCells(3, 2, "x");
    E->SetCells(1, 6, "y");
    EXPECT_EQ(E->GetUsedCells(), (TRect{1, 2, 3, 6}));
}

} // namespace

namespace {

// Rows move as whole row objects when few move in a wide grid, cell by cell otherwise: both
// ways must give the same rows, heights and records.
TEST(HiddenRowMoves, NarrowAndWideGridsAgree)
{
    for (Integer Cols : {2, 40}) {
        SCOPED_TRACE(testing::Message() << Cols << " columns");
        TForm* F = gridtest::NewForm();
        TDidAririzEvar* G = gridtest::NewShownGrid(F, Cols, 12);
        for (Integer R = 0; R < 12; ++R) {
            G->SetCells(Cols - 1, R, std::to_string(R));
            G->SetRowHeights(R, 20 + R);
        }
        TCellProperties* CP = G->GetCellProperties(0, 6);
        auto Shown = [&] {
            std::string S;
            for (Integer R = 0; R < G->RowCount(); ++R)
                S += G->Cells(Cols - 1, R) + "/" + std::to_string(G->RowHeights(R)) + " ";
            return S;
        };
        const std::string All = Shown();
        G->HideRows(2, 3);
        G->HideRowList({1, 4});
        EXPECT_EQ(Shown(), "0/20 4/24 5/25 7/27 8/28 9/29 10/30 11/31 ");
        G->UnHideRows(2, 3);
        EXPECT_EQ(Shown(), "0/20 2/22 3/23 4/24 5/25 7/27 8/28 9/29 10/30 11/31 ");
        G->UnHideRowList();
        EXPECT_EQ(Shown(), All);
        EXPECT_EQ(G->GetCellProperties(0, 6), CP);
        G->InsertRowsEx(3, 2);
        EXPECT_EQ(G->Cells(Cols - 1, 5), "3");
        EXPECT_EQ(G->Cells(Cols - 1, 3), "");
        G->IRemoveRows(3, 2);
        EXPECT_EQ(Shown(), All);
        F->Free();
    }
}

} // namespace

namespace {

TEST(GridMoves, ColumnsMoveWithTheirCellsWidthsAndHiddenNeighbours)
{
    TForm* F = gridtest::NewForm();
    TDidAririzEvar* G = gridtest::NewShownGrid(F, 5, 6);
    for (Integer C = 0; C < 5; ++C) {
        G->SetCells(C, 1, "c" + std::to_string(C));
        G->SetColWidths(C, 40 + C);
    }
    TCellProperties* CP = G->GetCellProperties(1, 2);
    G->HideColumn(2);
    G->HideRow(3);
    G->SetCol(1);
    G->MoveColumn(1, 3); // the display column of c1 goes after c4
    std::string Row;
    for (Integer C = 0; C < G->ColCount(); ++C)
        Row += G->GetCellEx(G->RealColIndex(C), 1) + "/" + std::to_string(G->ColWidths(C)) + " ";
    EXPECT_EQ(Row, "c0/40 c3/43 c4/44 c1/41 ");
    EXPECT_EQ(G->Col(), 3) << "the current column follows its column";
    EXPECT_EQ(G->GetCellProperties(G->RealColIndex(3), 2), CP);
    G->UnHideColumnsAll();
    G->UnHideRowsAll();
    std::string All;
    for (Integer C = 0; C < G->ColCount(); ++C)
        All += G->Cells(C, 1) + " ";
    EXPECT_EQ(All, "c0 c2 c3 c4 c1 ");
    EXPECT_EQ(G->ColWidths(1), 42);

    G->SetRowHeights(2, 33);
    G->MoveRow(2, 4);
    EXPECT_EQ(G->RowHeights(4), 33) << "heights travel with their rows";
    EXPECT_EQ(G->GetCellProperties(4, 4), CP);
    F->Free();
}

} // namespace

namespace {

// HiddenRow answers a hidden row's stored cells by its real index, nothing for a shown row;
// GetAllColCount counts hidden columns too.
TEST_F(HiddenTest, HiddenRowAndAllColumns)
{
    G->HideRows(2, 3);
    G->HideColumn(1);
    EXPECT_EQ(G->GetAllColCount(), 5);
    EXPECT_EQ(G->ColCount(), 4);
    for (Integer R : {-1, 0, 1, 4, 9, 10})
        EXPECT_EQ(G->HiddenRow(R), nullptr) << R;
    const TGridItem* E = G->HiddenRow(3);
    ASSERT_NE(E, nullptr);
    EXPECT_EQ(E->Idx, 3);
    ASSERT_GE(E->Items.size(), 5u);
    EXPECT_EQ(E->Items[1].Text, "r3c1");
    EXPECT_EQ(E->Items[4].Text, "r3c4");
}

} // namespace
