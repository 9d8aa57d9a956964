// A grid's whole life under the sanitizers: every record is freed exactly once, wherever it was
// when the grid went (hidden rows, rows beyond the counts, slots sharing one record).

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(GridLifecycle, CreateConfigureFillResizeDestroy)
{
    TForm* F = gridtest::NewForm();
    TDidAririzEvar* G = gridtest::NewShownGrid(F, 6, 100);
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->PrintSettings()->TitleLines()->Add("title");
    for (Integer R = 0; R < 100; ++R)
        for (Integer C = 0; C < 6; ++C) {
            G->SetCellEx(C, R, "x");
            if ((R + C) % 3 == 0)
                G->GetCellProperties(C, R)->SetFontColor(0xFF);
        }
    G->MergeCells(1, 1, 2, 2);
    G->HideRows(10, 20);
    G->HideRowList({3, 4, 5});
    G->HideColumn(2);
    G->CopyRows(30, 31); // two slots, one record
    G->SetRowSelect(50, true);
    G->SetRowCount(40); // records of the cut rows stay with the grid
    G->SetColCount(3);
    G->SetBounds(0, 0, 300, 200);
    uitest::PumpUntilIdle();
    EXPECT_GT(G->LiveRecordCount(), 0u);
    F->Free(); // the sanitizers report any leak or double free at this point or at exit
    uitest::PumpUntilIdle();
}

TEST(GridLifecycle, TwoGridsOnOneFormGoInAnyOrder)
{
    TForm* F = gridtest::NewForm();
    int UserResizes = 0;
    F->OnResize = [&](TObject*) { ++UserResizes; };
    auto* A = New<TDidAririzEvar>(F);
    auto* B = New<TDidAririzEvar>(F);
    A->Free(); // the first grid goes first: the form must not call into it afterwards
    F->SetBounds(0, 0, 700, 500);
    uitest::PumpUntilIdle();
    B->Free();
    F->SetBounds(0, 0, 720, 520);
    uitest::PumpUntilIdle();
    EXPECT_GE(UserResizes, 2) << "the application's own handler keeps being called";
    F->Free();
}

TEST(GridLifecycle, WindowStartsTheGridTimer)
{
    TForm* F = gridtest::NewForm();
    TDidAririzEvar* G = gridtest::NewShownGrid(F);
    EXPECT_EQ(G->GridTimerId(), 111u);
    // Its ticks are not taken by the platform grid for its auto-scroll.
    G->SetSelection(TGridRect{2, 2, 2, 2});
    uitest::AdvanceTime(1600);
    EXPECT_EQ(G->Selection(), (TGridRect{2, 2, 2, 2}));
    F->Free();
}

TEST(GridLifecycle, AssignCopiesSettingsSizesAndCells)
{
    TForm* F = gridtest::NewForm();
    auto* A = New<TDidAririzEvar>(F);
    auto* B = New<TDidAririzEvar>(F);
    A->SetRowCount(30);
    A->SetRowHeights(25, 40);
    A->SetColWidths(2, 90);
    A->SetCells(2, 25, "far");
    A->Navigation()->AllowInsertRow = true;
    B->Assign(A);
    EXPECT_EQ(B->RowCount(), 30);
    EXPECT_EQ(B->RowHeights(25), 40);
    EXPECT_EQ(B->ColWidths(2), 90);
    EXPECT_EQ(B->Cells(2, 25), "far");
    EXPECT_TRUE(B->Navigation()->AllowInsertRow);
    B->Assign(B->PrintSettings()); // another class: ignored
    EXPECT_EQ(B->RowCount(), 30);
    F->Free();
}

} // namespace
