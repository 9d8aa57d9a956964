// The grid workbook: its tabs and grid, switching sheets there and back, refusing a switch,
// adding, inserting, removing and renaming sheets, and the calling order of a spreadsheet import.

#include "RudUvud/core/VorUvovIzerirez.h"
#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WorkbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        W = New<TVorUvovIzerirez>(Form);
        W->SetParent(Form);
        W->SetBounds(0, 0, 500, 300);
        uitest::PumpUntilIdle();
        G = W->WorkbookGrid();
        ASSERT_NE(G, nullptr);
    }
    void TearDown() override { Form->Free(); }

    std::vector<std::string> Tabs()
    {
        std::vector<std::string> T;
        for (Integer I = 0; I < W->TabSet()->Tabs()->Count(); ++I)
            T.push_back(W->TabSet()->Tabs()->Strings(I));
        return T;
    }

    TForm* Form = nullptr;
    TVorUvovIzerirez* W = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(WorkbookTest, NewWorkbookShowsThreeTabsOverItsGrid)
{
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Sheet 1", "Sheet 2", "Sheet 3"}));
    EXPECT_EQ(W->TabSet()->TabIndex(), 0);
    EXPECT_EQ(W->ActiveSheet(), 0);
    EXPECT_EQ(G->Name(), "WorkBookGrid1");
    EXPECT_EQ(G->Parent(), W);
    EXPECT_TRUE(G->Options().Contains(goEditing));
    EXPECT_EQ(W->GetVersion(), "3.3.0.1");
    EXPECT_TRUE(W->TabSet()->DitherBackground());
    W->TabLook()->SetSelectColor(0x00FF00);
    EXPECT_EQ(W->TabSet()->SelectedColor(), TColor(0x00FF00));
    W->TabLook()->Font()->SetSize(14);
    EXPECT_EQ(W->TabSet()->Font()->Size(), 14);
}

TEST_F(WorkbookTest, SwitchingSheetsThereAndBackKeepsEach)
{
    const Integer Cols = G->ColCount(), Rows = G->RowCount();
    G->SetRowCount(40);
    G->SetColCount(8);
    G->SetCells(1, 1, "first");
    G->SetCells(3, 30, "far");
    G->SetColWidths(2, 111);
    G->SetRowHeights(5, 33);
    G->SortSettings()->Column = 3;
    G->SetIncludeFixedCells(false);
    G->SetRow(30);
    G->SetCol(3);
    G->SetTopRow(20);

    W->SetActiveSheet(1);
    EXPECT_EQ(W->TabSet()->TabIndex(), 1);
    EXPECT_EQ(G->ColCount(), Cols) << "a sheet never shown starts as a cleared grid of the first size";
    EXPECT_EQ(G->RowCount(), Rows);
    EXPECT_EQ(G->Cells(1, 1), "");
    EXPECT_FALSE(G->IncludeFixedCells());
    G->SetCells(2, 2, "second");

    W->SetActiveSheet(0);
    EXPECT_EQ(G->RowCount(), 40);
    EXPECT_EQ(G->ColCount(), 8);
    EXPECT_EQ(G->Cells(1, 1), "first");
    EXPECT_EQ(G->Cells(3, 30), "far");
    EXPECT_EQ(G->Cells(2, 2), "");
    EXPECT_EQ(G->ColWidths(2), 111);
    EXPECT_EQ(G->RowHeights(5), 33);
    EXPECT_EQ(G->SortSettings()->Column, 3);
    EXPECT_EQ(G->Row(), 30);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->TopRow(), 20);
    EXPECT_FALSE(G->IncludeFixedCells());

    W->SetActiveSheet(1);
    EXPECT_EQ(G->Cells(2, 2), "second");
    EXPECT_EQ(G->Cells(1, 1), "");
}

TEST_F(WorkbookTest, HiddenRowsAndColumnsStayWithTheirSheet)
{
    for (Integer R = 1; R < 5; ++R)
        G->SetCells(1, R, ("row " + std::to_string(R)).c_str());
    G->SetCells(3, 1, "in a hidden column");
    G->HideRow(2);
    G->HideColumn(3);
    W->SetActiveSheet(1);
    EXPECT_EQ(G->NumHiddenRows(), 0) << "no row of the first sheet is left behind";
    EXPECT_EQ(G->NumHiddenColumns(), 0);
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(1, 2), "");
    W->SetActiveSheet(0);
    EXPECT_EQ(G->Cells(1, 2), "row 2");
    EXPECT_EQ(G->Cells(1, 4), "row 4");
    EXPECT_EQ(G->Cells(3, 1), "in a hidden column");

    // Rows a filter hides come back too, with the filter off.
    TFilterData* F = G->Filter()->Add();
    F->Column = 1;
    F->Condition = "row 3";
    G->SetFilterActive(true);
    ASSERT_GT(G->NumHiddenRows(), 0);
    W->SetActiveSheet(2);
    EXPECT_EQ(G->NumHiddenRows(), 0);
    EXPECT_FALSE(G->FilterActive());
    W->SetActiveSheet(0);
    EXPECT_EQ(G->Cells(1, 1), "row 1");
    EXPECT_EQ(G->Cells(1, 4), "row 4");
}

TEST_F(WorkbookTest, ContractedNodesComeBackExpanded)
{
    for (Integer R = 1; R < 6; ++R)
        G->SetCells(1, R, ("row " + std::to_string(R)).c_str());
    G->AddNode(1, 3);
    G->ContractNode(1);
    ASSERT_TRUE(G->GetNodeState(1));
    ASSERT_GT(G->NumHiddenRows(), 0);
    W->SetActiveSheet(1);
    EXPECT_EQ(G->NumHiddenRows(), 0);
    W->SetActiveSheet(0);
    EXPECT_EQ(G->NumHiddenRows(), 0);
    EXPECT_FALSE(G->GetNodeState(1)) << "the node is stored expanded";
    for (Integer R = 1; R < 6; ++R)
        EXPECT_EQ(G->Cells(1, R), "row " + std::to_string(R));
}

TEST_F(WorkbookTest, RefusedChangeKeepsTheSheet)
{
    std::vector<Integer> Asked;
    W->OnSheetChange = [&](TObject* Sender, Integer NewSheet, bool& Allow) {
        EXPECT_EQ(Sender, W);
        Asked.push_back(NewSheet);
        Allow = NewSheet != 2;
    };
    G->SetCells(1, 1, "kept");
    W->TabSet()->SetTabIndex(2);
    EXPECT_EQ(W->ActiveSheet(), 0);
    EXPECT_EQ(W->TabSet()->TabIndex(), 0);
    EXPECT_EQ(G->Cells(1, 1), "kept");
    int Clicks = 0;
    W->TabSet()->OnClick = [&](TObject*) { ++Clicks; };
    W->TabSet()->SetTabIndex(1);
    EXPECT_EQ(W->ActiveSheet(), 1);
    EXPECT_EQ(W->TabSet()->TabIndex(), 1);
    EXPECT_EQ(Asked, (std::vector<Integer>{2, 1})) << "asked once per change";
    EXPECT_EQ(Clicks, 1);
    // A switch by the program is not asked about.
    W->SetActiveSheet(2);
    EXPECT_EQ(W->ActiveSheet(), 2);
    EXPECT_EQ(W->TabSet()->TabIndex(), 2);
    EXPECT_EQ(Asked.size(), 2u);
}

TEST_F(WorkbookTest, AddInsertRemoveRenameAndClear)
{
    G->SetCells(1, 1, "one");
    W->AddSheet("Four");
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Sheet 1", "Sheet 2", "Sheet 3", "Four"}));
    EXPECT_EQ(W->ActiveSheet(), 3);
    EXPECT_EQ(G->Cells(1, 1), "");
    G->SetCells(1, 1, "four");

    W->InsertSheet(0, "Zero");
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Zero", "Sheet 1", "Sheet 2", "Sheet 3", "Four"}));
    EXPECT_EQ(W->ActiveSheet(), 0);
    EXPECT_EQ(W->TabSet()->TabIndex(), 0);
    EXPECT_EQ(G->Cells(1, 1), "");
    W->InsertSheet(5, "Nowhere");
    W->InsertSheet(-1, "Nowhere");
    EXPECT_EQ(W->Sheets()->Count(), 5);
    W->SetActiveSheet(1);
    EXPECT_EQ(G->Cells(1, 1), "one");
    W->SetActiveSheet(4);
    EXPECT_EQ(G->Cells(1, 1), "four");

    W->Sheets()->Items(2)->SetName("Renamed");
    EXPECT_EQ(Tabs()[2], "Renamed");

    // Removing the sheet shown shows sheet 0.
    W->RemoveSheet(4);
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Zero", "Sheet 1", "Renamed", "Sheet 3"}));
    EXPECT_EQ(W->ActiveSheet(), 0);
    EXPECT_EQ(W->TabSet()->TabIndex(), 0);
    W->RemoveSheet(9);
    W->RemoveSheet(-1);
    EXPECT_EQ(W->Sheets()->Count(), 4);
    W->RemoveSheet(0);
    EXPECT_EQ(G->Cells(1, 1), "one");

    W->Sheets()->Clear();
    EXPECT_EQ(W->Sheets()->Count(), 0);
    EXPECT_TRUE(Tabs().empty());
    EXPECT_EQ(W->ActiveSheet(), -1);
    W->SetActiveSheet(0);
    EXPECT_EQ(W->ActiveSheet(), -1);
}

TEST_F(WorkbookTest, SpreadsheetImportFillsAndReadsSheetBySheet)
{
    // Filling: no sheet is active after Clear; each new sheet starts cleared.
    W->SetActiveSheet(0);
    W->Sheets()->Clear();
    const char* Names[] = {"Prizes", "Persons", "Board"};
    for (Integer I = 0; I < 3; ++I) {
        W->Sheets()->Add();
        W->SetActiveSheet(I);
        W->Sheets()->Items(I)->SetName(Names[I]);
        EXPECT_EQ(G->Cells(1, 1), "") << I;
        G->SetCells(1, 1, Names[I]);
    }
    EXPECT_EQ(Tabs(), (std::vector<std::string>{"Prizes", "Persons", "Board"}));

    // Reading: each sheet in turn, then the one active before.
    const Integer Before = W->ActiveSheet();
    for (Integer I = 0; I < 3; ++I) {
        W->SetActiveSheet(I);
        EXPECT_EQ(W->Sheets()->Items(I)->Name(), Names[I]);
        EXPECT_EQ(G->Cells(1, 1), Names[I]);
    }
    W->SetActiveSheet(Before);
    EXPECT_EQ(G->Cells(1, 1), "Board");
}

TEST_F(WorkbookTest, SheetsAreCopiedFromAnotherWorkbook)
{
    G->SetCells(1, 1, "a0");
    W->SetActiveSheet(1);
    G->SetCells(1, 1, "a1");
    W->Sheets()->Items(1)->SetName("Second");
    W->StoreActiveSheet();
    auto* W2 = New<TVorUvovIzerirez>(Form);
    W2->SetParent(Form);
    W2->SetBounds(0, 300, 300, 100);
    uitest::PumpUntilIdle();
    W2->WorkbookGrid()->SetCells(1, 1, "replaced");
    W2->SetSheets(W->Sheets());
    std::vector<std::string> Names;
    for (Integer I = 0; I < W2->TabSet()->Tabs()->Count(); ++I)
        Names.push_back(W2->TabSet()->Tabs()->Strings(I));
    EXPECT_EQ(Names, (std::vector<std::string>{"Sheet 1", "Second", "Sheet 3"}));
    EXPECT_EQ(W2->ActiveSheet(), 0);
    EXPECT_EQ(W2->WorkbookGrid()->Cells(1, 1), "a0");
    W2->SetActiveSheet(1);
    EXPECT_EQ(W2->WorkbookGrid()->Cells(1, 1), "a1");
    W2->SetActiveSheet(2);
    EXPECT_EQ(W2->WorkbookGrid()->Cells(1, 1), "");
}

TEST_F(WorkbookTest, WindowMadeAgainKeepsGridTabsAndSheet)
{
    W->SetActiveSheet(2);
    G->SetCells(1, 1, "third");
    TTabSet* Tabs = W->TabSet();
    W->RecreateWnd();
    uitest::PumpUntilIdle();
    EXPECT_EQ(W->WorkbookGrid(), G);
    EXPECT_EQ(W->TabSet(), Tabs);
    EXPECT_EQ(W->ActiveSheet(), 2);
    EXPECT_EQ(Tabs->TabIndex(), 2);
    EXPECT_EQ(Tabs->Tabs()->Count(), 3);
    EXPECT_EQ(G->Cells(1, 1), "third");
}

TEST_F(WorkbookTest, GridPlacedOnTheWorkbookIsUsed)
{
    auto* W2 = New<TVorUvovIzerirez>(Form);
    auto* Own = New<TDidAririzEvar>(Form);
    Own->SetName("Placed");
    Own->SetParent(W2);
    W2->SetParent(Form);
    uitest::PumpUntilIdle();
    EXPECT_EQ(W2->WorkbookGrid(), Own);
    EXPECT_EQ(Own->Name(), "Placed");
    // The workbook neither names nor frees a grid it was given.
    W2->Free();
    EXPECT_EQ(Own->Parent(), nullptr);
    Own->SetCells(1, 1, "still here");
}

} // namespace
