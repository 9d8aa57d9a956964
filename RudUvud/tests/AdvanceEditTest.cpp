// Advancing after an edit: Enter with AdvanceOnEnter moves to the next cell that may be edited,
// in either direction, wrapping at the ends or appending a row or a column; a grid with nothing
// left to edit leaves the cursor where it is.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/win/Windows.h"

#include <gtest/gtest.h>

namespace {

class AdvanceEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 8); // normal cells (1..4, 1..7)
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->Navigation()->AdvanceOnEnter = true;
        G->SetFocus();
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(AdvanceEditTest, EnterWalksWrapsAndAppendsInEachDirection)
{
    struct Case {
        TAdvanceDirection Dir;
        bool Forward;
        bool Insert;
        TGridCoord From, To;
        Integer Cols, Rows;
    };
    const Case Cases[] = {
        {adLeftRight, true, false, {2, 3}, {3, 3}, 5, 8},
        {adLeftRight, true, false, {4, 3}, {1, 4}, 5, 8},
        {adLeftRight, true, false, {4, 7}, {1, 1}, 5, 8}, // wraps to the first normal cell
        {adLeftRight, true, true, {4, 7}, {1, 8}, 5, 9},  // appends a row
        {adTopBottom, true, false, {2, 3}, {2, 4}, 5, 8},
        {adTopBottom, true, false, {2, 7}, {3, 1}, 5, 8},
        {adTopBottom, true, false, {4, 7}, {1, 1}, 5, 8},
        {adTopBottom, true, true, {4, 7}, {5, 1}, 6, 8}, // appends a column
        {adLeftRight, false, false, {1, 3}, {4, 2}, 5, 8},
        {adLeftRight, false, false, {1, 1}, {4, 7}, 5, 8},
        {adTopBottom, false, false, {2, 1}, {1, 7}, 5, 8},
        {adTopBottom, false, false, {1, 1}, {4, 7}, 5, 8},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(::testing::Message()
                     << "direction " << C.Dir << (C.Forward ? " forward" : " backward")
                     << (C.Insert ? " inserting" : "") << " from " << C.From.X << "," << C.From.Y);
        TearDown();
        SetUp();
        G->Navigation()->SetAdvanceDirection(C.Dir);
        G->Navigation()->SetAdvanceInsert(C.Insert);
        Integer Added = 0, Inserted = 0;
        G->OnAutoAddRow = [&](TObject*, Integer) { ++Added; };
        G->OnAutoInsertCol = [&](TObject*, Integer) { ++Inserted; };
        G->GotoCell(C.From.X, C.From.Y);
        if (C.Forward) {
            // Typed into the text editor and ended with Enter.
            uitest::TypeText("v");
            ASSERT_TRUE(G->EditorMode());
            uitest::PressKey(VK_RETURN);
            EXPECT_EQ(G->Cells(C.From.X, C.From.Y), "v");
        } else {
            G->AdvanceEdit(C.From.X, C.From.Y, true, false, false, false, false);
        }
        EXPECT_EQ(G->Col(), C.To.X);
        EXPECT_EQ(G->Row(), C.To.Y);
        EXPECT_EQ(G->ColCount(), C.Cols);
        EXPECT_EQ(G->RowCount(), C.Rows);
        EXPECT_EQ(Added, C.Rows - 8);
        EXPECT_EQ(Inserted, C.Cols - 5);
    }
}

TEST_F(AdvanceEditTest, ReadOnlyCellsAreSkippedAndTheEventMayRedirect)
{
    G->OnCanEditCell = [](TObject*, Integer ARow, Integer ACol, bool& CanEdit) {
        CanEdit = !(ARow == 2 && (ACol == 3 || ACol == 4));
    };
    G->GotoCell(2, 2);
    uitest::TypeText("a");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Col(), 1);
    EXPECT_EQ(G->Row(), 3);

    G->OnAutoAdvance = [](TObject*, Integer, Integer, Integer& NewRow, Integer& NewCol, bool&) {
        NewRow = 6;
        NewCol = 4;
    };
    uitest::TypeText("b");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Col(), 4);
    EXPECT_EQ(G->Row(), 6);

    G->OnAutoAdvance = [](TObject*, Integer, Integer, Integer&, Integer&, bool& Allow) { Allow = false; };
    uitest::TypeText("c");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Col(), 4);
    EXPECT_EQ(G->Row(), 6);
}

TEST_F(AdvanceEditTest, NothingEditableLeftEndsTheWalkWithTheCursorKept)
{
    G->OnCanEditCell = [](TObject*, Integer, Integer, bool& CanEdit) { CanEdit = false; };
    G->GotoCell(2, 3);
    G->AdvanceEdit(2, 3, true, true, true, false, true);
    G->AdvanceEdit(2, 3, true, true, false, false, true);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 3);

    // An appended row where nothing may be edited is taken back: Enter does not pile up rows.
    G->OnCanEditCell = [](TObject*, Integer ARow, Integer, bool& CanEdit) { CanEdit = ARow < 7; };
    G->Navigation()->SetAdvanceInsert(true);
    G->OnCanAddRow = [](TObject*, bool& CanAdd) { CanAdd = true; };
    G->GotoCell(4, 6);
    G->AdvanceEdit(4, 6, true, false, true, false, false);
    EXPECT_EQ(G->RowCount(), 8);
    EXPECT_EQ(G->Col(), 4);
    EXPECT_EQ(G->Row(), 6);
}

TEST_F(AdvanceEditTest, EnterInASpinOpensTheNextCellsSpin)
{
    G->OnGetEditorType = [](TObject*, Integer, Integer, TEditorType& E) { E = edSpinEdit; };
    G->SetCells(1, 1, "3");
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    ASSERT_EQ(G->Editing().Shown, G->Editors().Spin);
    G->Editors().Spin->SetText("9");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 1), "9");
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 1);
    EXPECT_TRUE(G->Editing().Active) << "the next cell is edited at once";
    EXPECT_EQ(G->Editing().Shown, G->Editors().Spin);
    EXPECT_EQ(G->Editing().Cell, (TGridCoord{2, 1}));
}

// Without editing, typed characters go to the first row whose sort-column text starts with them;
// with AutoGotoIncremental they add up until about two seconds pass without a key.
TEST_F(AdvanceEditTest, TypingFindsTheRowBySortColumn)
{
    G->SetOptions(G->Options() - TGridOptions{goEditing});
    G->Navigation()->AutoGotoWhenSorted = true;
    G->Navigation()->AutoGotoIncremental = true;
    const char* Texts[] = {"Banana", "<b>apple</b>", "Abacus", "bandit", "獎品", "獎金", "Cherry"};
    for (Integer R = 1; R <= 7; ++R) {
        G->SetCells(1, R, Texts[R - 1]);
        G->SetCells(2, R, Texts[7 - R]);
    }
    uitest::TypeText("a");
    EXPECT_EQ(G->Row(), 2) << "the markup is not part of the text";
    uitest::TypeText("b");
    EXPECT_EQ(G->Row(), 3);
    uitest::PressKey(VK_BACK);
    uitest::TypeText("p");
    EXPECT_EQ(G->Row(), 2);
    uitest::TypeText("x"); // nothing starts with "apx": the lookup starts over, the row stays
    EXPECT_EQ(G->Row(), 2);
    EXPECT_EQ(G->LookupBuffer(), "");
    uitest::TypeText(u"獎金");
    EXPECT_EQ(G->Row(), 6);
    uitest::AdvanceTime(2100);
    uitest::TypeText("B");
    EXPECT_EQ(G->Row(), 1);
    uitest::TypeText("AND");
    EXPECT_EQ(G->Row(), 4);

    // The sort column shown decides where to look.
    G->SortSettings()->Show = true;
    G->SortSettings()->Column = 2;
    uitest::AdvanceTime(2100);
    uitest::TypeText("c");
    EXPECT_EQ(G->Row(), 1);

    // Without the incremental option every key is a lookup of its own.
    G->Navigation()->AutoGotoIncremental = false;
    uitest::TypeText("ba");
    EXPECT_EQ(G->Row(), 5) << "\"a\" alone, in column 2";
}

} // namespace
