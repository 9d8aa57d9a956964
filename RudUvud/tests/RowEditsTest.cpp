// Row and column edits: inserting and removing rows keeps heights, cell properties, hidden rows,
// disjunct marks, modified flags, the sort's first order and the current row in step; column
// edits, clearing, merging and removing by selection.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RowEditsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 11);
        for (Integer R = 0; R < 11; ++R)
            G->SetCells(1, R, "r" + std::to_string(R));
    }
    void TearDown() override { Form->Free(); }
    std::vector<std::string> Column(Integer ACol)
    {
        std::vector<std::string> V;
        for (Integer R = 0; R < G->RowCount(); ++R)
            V.push_back(G->Cells(ACol, R));
        return V;
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

using Texts = std::vector<std::string>;

TEST_F(RowEditsTest, InsertAndRemoveKeepEveryRowStructureInStep)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetRowHeights(6, 50);
    G->GetCellProperties(2, 6)->SetReadOnly(true);
    G->SetRowSelect(7, true);
    G->SetRowModified(8, true);
    G->HideRow(9); // real row 9 goes to the store
    G->SetRow(6);

    G->InsertRows(3, 2);
    EXPECT_EQ(G->RowCount(), 12);
    EXPECT_EQ(Column(1)[3], "");
    EXPECT_EQ(Column(1)[5], "r3");
    EXPECT_EQ(G->RowHeights(8), 50);
    EXPECT_EQ(G->RowHeights(3), G->DefaultRowHeight());
    EXPECT_TRUE(G->GetCellProperties(2, 8)->ReadOnly());
    EXPECT_TRUE(G->GetRowSelect(9));
    EXPECT_FALSE(G->GetRowSelect(7));
    EXPECT_TRUE(G->GetRowModified(10));
    EXPECT_EQ(G->Row(), 8) << "the current row stays with its data";
    EXPECT_EQ(G->HiddenRowStore().front().Idx, 11);
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(1, 11), "r9");

    G->HideRow(11);
    G->RemoveRows(3, 3); // the two new rows and r3
    EXPECT_EQ(G->RowCount(), 9);
    EXPECT_EQ(Column(1)[3], "r4");
    EXPECT_EQ(G->RowHeights(5), 50);
    EXPECT_TRUE(G->GetCellProperties(2, 5)->ReadOnly());
    EXPECT_TRUE(G->GetRowSelect(6));
    EXPECT_EQ(G->GetRowSelectCount(), 1);
    EXPECT_TRUE(G->GetRowModified(7));
    EXPECT_EQ(G->ModifiedRowCount(), 1);
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(G->HiddenRowStore().front().Idx, 8);
}

TEST_F(RowEditsTest, TheFirstOrderSurvivesRowEdits)
{
    for (Integer R = 1; R < 11; ++R)
        G->SetCells(2, R, std::to_string(10 - R));
    G->InitSortXRef();
    G->Sort(2, sdAscending); // r10 r9 ... r1
    G->InsertRows(2, 1);
    G->SetCells(1, 2, "new");
    G->RemoveRows(5, 2);
    EXPECT_EQ(G->SortXRef().size(), static_cast<size_t>(G->RowCount()));
    G->QUnSort();
    EXPECT_EQ(Column(1), (Texts{"r0", "r1", "r2", "r3", "r4", "r5", "r8", "r9", "r10", "new"}));
}

TEST_F(RowEditsTest, RemovingRowsAroundAHiddenRowKeepsItsPlace)
{
    // Display rows 2 and 3 are real rows 2 and 4; the hidden real row 3 lies between them.
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->MouseActions()->RowSelectPersistent = true;
    G->SetRowSelect(6, true); // real row 6 ("r6")
    G->HideRow(3);
    G->InitSortXRef();
    G->RemoveRows(2, 2); // r2 and r4
    EXPECT_EQ(G->HiddenRowStore().front().Idx, 2);
    EXPECT_TRUE(G->GetRowSelect(4));
    EXPECT_EQ(G->GetRowSelectCount(), 1);
    EXPECT_EQ(G->SortXRef().size(), static_cast<size_t>(G->TotalRowCount()));
    G->UnHideRowsAll();
    EXPECT_EQ(Column(1), (Texts{"r0", "r1", "r3", "r5", "r6", "r7", "r8", "r9", "r10"}));
    EXPECT_EQ(G->Cells(1, 4), "r6");
}

TEST_F(RowEditsTest, RemovingAroundTheCurrentRow)
{
    struct Case {
        Integer Cur, At, Count, Want;
    };
    const Case Cases[] = {{2, 5, 2, 2}, {8, 5, 2, 6}, {5, 5, 2, 5}, {10, 8, 3, 7}};
    for (const Case& K : Cases) {
        G->SetRowCount(11);
        G->SetRow(K.Cur);
        G->RemoveRows(K.At, K.Count);
        EXPECT_EQ(G->Row(), K.Want) << K.Cur << " " << K.At;
    }
    // Out of range changes nothing.
    const Integer N = G->RowCount();
    G->RemoveRows(N, 1);
    G->RemoveRows(-1, 1);
    G->InsertRows(N + 1, 1);
    EXPECT_EQ(G->RowCount(), N);
}

TEST_F(RowEditsTest, RemoveSelectedRowsAndDuplicates)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    for (Integer R : {2, 3, 7})
        G->SetRowSelect(R, true);
    G->RemoveSelectedRows();
    EXPECT_EQ(Column(1), (Texts{"r0", "r1", "r4", "r5", "r6", "r8", "r9", "r10"}));
    EXPECT_EQ(G->GetRowSelectCount(), 0);
    G->SetCells(2, 1, "x");
    G->SetCells(2, 2, "y");
    G->SetCells(2, 3, "x");
    G->SetCells(2, 4, "y");
    G->RemoveDuplicates(2, true);
    // Rows 5 on share an empty text: the first of them stays.
    EXPECT_EQ(Column(1), (Texts{"r0", "r1", "r4", "r8"}));
}

TEST_F(RowEditsTest, ColumnEditsAndClearing)
{
    for (Integer R = 0; R < 11; ++R) {
        G->SetCells(2, R, "b" + std::to_string(R));
        G->SetCells(3, R, "c" + std::to_string(R));
    }
    G->SetColWidths(3, 90);
    G->InsertCols(2, 1);
    EXPECT_EQ(G->ColCount(), 5);
    EXPECT_EQ(G->Cells(2, 1), "");
    EXPECT_EQ(G->Cells(3, 1), "b1");
    EXPECT_EQ(G->ColWidths(4), 90);
    G->RemoveCols(2, 1);
    EXPECT_EQ(G->Cells(2, 1), "b1");
    EXPECT_EQ(G->ColWidths(3), 90);
    G->MergeCols(2, 3, "-");
    EXPECT_EQ(G->ColCount(), 3);
    EXPECT_EQ(G->Cells(2, 4), "b4-c4");
    G->ClearNormalRows(1, 2);
    EXPECT_EQ(G->Cells(1, 1), "");
    EXPECT_EQ(G->Cells(0, 1), "");
    EXPECT_EQ(G->Cells(1, 3), "r3");
    G->ClearCols(2, 1);
    EXPECT_EQ(G->Cells(2, 0), "");
    Integer C = -1, R = -1;
    EXPECT_TRUE(G->IsCell("r5", C, R));
    EXPECT_EQ(C, 1);
    EXPECT_EQ(R, 5);
    EXPECT_FALSE(G->IsCell("none", C, R));
}

TEST_F(RowEditsTest, MovesCarryMarksFlagsAndTheSortColumn)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetRowSelect(2, true);
    G->SetRowModified(2, true);
    G->InitSortXRef();
    G->MoveRow(2, 6);
    EXPECT_EQ(G->Cells(1, 6), "r2");
    EXPECT_TRUE(G->GetRowSelect(6));
    EXPECT_FALSE(G->GetRowSelect(2));
    EXPECT_TRUE(G->GetRowModified(6));
    EXPECT_EQ(G->SortXRef()[6], 2);
    // The sort column follows its cells, to the left and to the right.
    G->SortSettings()->Column = 1;
    G->MoveColumn(1, 3);
    EXPECT_EQ(G->SortSettings()->Column, 3);
    G->MoveColumn(3, 2);
    EXPECT_EQ(G->SortSettings()->Column, 2);
    G->MoveColumn(1, 3);
    EXPECT_EQ(G->SortSettings()->Column, 1);
}

TEST_F(RowEditsTest, MergeAndSplitRunsOfEqualCells)
{
    for (Integer R = 1; R < 11; ++R)
        G->SetCells(2, R, R < 4 ? "a" : (R < 6 ? "b" : std::to_string(R)));
    G->MergeColumnCells(2, true);
    EXPECT_TRUE(G->IsMergedCell(2, 2));
    EXPECT_EQ(G->CellSpan(2, 1).Y, 2);
    EXPECT_EQ(G->CellSpan(2, 4).Y, 1);
    EXPECT_FALSE(G->IsMergedCell(2, 7));
    G->SplitColumnCells(2);
    EXPECT_FALSE(G->IsMergedCell(2, 2));
    G->SetCells(2, 1, "z");
    G->SetCells(3, 1, "z");
    G->MergeRowCells(1, true);
    EXPECT_TRUE(G->IsMergedCell(3, 1));
    G->SplitAllCells();
    EXPECT_FALSE(G->IsMergedCell(3, 1));
}

// A listener that writes what it hears into a shared log.
class TLogNotifier : public TGridChangeNotifier {
public:
    TLogNotifier(TComponent* AOwner, std::string AName, std::vector<std::string>& ALog)
        : TGridChangeNotifier(AOwner), Name(std::move(AName)), Log(ALog)
    {
    }
    void CellsChanged(const TRect& R) override
    {
        Log.push_back(Name + " " + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," +
                      std::to_string(R.Right) + "," + std::to_string(R.Bottom));
    }
    std::string Name;
    std::vector<std::string>& Log;
};

TEST_F(RowEditsTest, ChangeListenersHearEveryEditInRegistrationOrder)
{
    std::vector<std::string> Log;
    G->OnCellsChanged = [&](TObject*, const TRect& R) {
        Log.push_back("event " + std::to_string(R.Top) + "," + std::to_string(R.Bottom));
    };
    auto* A = New<TLogNotifier>(Form, "A", Log);
    auto* B = New<TLogNotifier>(Form, "B", Log);
    G->RegisterNotifier(B);
    G->RegisterNotifier(A);
    G->RemoveRows(2, 1);
    EXPECT_EQ(Log, (Texts{"event 2,3", "B 0,2,3,3", "A 0,2,3,3"}));
    Log.clear();
    G->InsertRows(4, 2);
    G->RemoveCols(2, 1);
    G->ClearRect(1, 1, 2, 2);
    EXPECT_EQ(Log, (Texts{"event 4,6", "B 0,4,3,6", "A 0,4,3,6", "event 0,11", "B 2,0,3,11", "A 2,0,3,11",
                          "event 1,2", "B 1,1,2,2", "A 1,1,2,2"}));
    // Unregistered or destroyed listeners hear nothing more.
    G->UnRegisterNotifier(B);
    B->Free();
    Log.clear();
    G->RemoveRowsInternal(1, 1);
    EXPECT_EQ(Log, (Texts{"event 1,2", "A 0,1,2,2"}));
    A->Free();
    Log.clear();
    G->Clear();
    EXPECT_EQ(Log.size(), 1u);
}

TEST_F(RowEditsTest, ClearingKeepsPropertiesOnlyWhenAskedAndClearAllReachesHiddenRows)
{
    G->SetColors(1, 2, 0x0000FF);
    G->SetKeepPropsOnClear(true);
    G->Clear();
    EXPECT_EQ(G->Cells(1, 2), "");
    EXPECT_EQ(G->GetColors(1, 2), static_cast<TColor>(0x0000FF)) << "texts only";
    G->SetKeepPropsOnClear(false);
    G->SetCells(1, 2, "x");
    G->Clear();
    EXPECT_EQ(G->GetColors(1, 2), clNone);

    G->SetCells(1, 3, "hidden text");
    G->SetCells(1, 4, "shown text");
    G->HideRow(3);
    G->Clear();
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(1, 3), "hidden text") << "Clear leaves hidden rows";
    G->HideRow(3);
    G->ClearAll();
    EXPECT_TRUE(G->IsHiddenRow(3)) << "the row stays hidden";
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(1, 3), "");
    EXPECT_EQ(G->Cells(1, 4), "");
}

TEST_F(RowEditsTest, RemovingSelectedAndUnselectedColumns)
{
    auto Headers = [&] {
        Texts H;
        for (Integer C = 0; C < G->ColCount(); ++C)
            H.push_back(G->Cells(C, 0));
        return H;
    };
    auto Reset = [&] {
        G->SetColCount(6);
        for (Integer C = 0; C < 6; ++C)
            G->SetCells(C, 0, "c" + std::to_string(C));
        G->ClearColSelect();
    };
    Reset();
    G->SelectCells(2, 1, 3, 2);
    G->RemoveSelectedCols();
    EXPECT_EQ(Headers(), (Texts{"c0", "c1", "c4", "c5"}));
    Reset();
    G->SelectCells(2, 1, 3, 2);
    G->RemoveUnSelectedCols();
    EXPECT_EQ(Headers(), (Texts{"c0", "c2", "c3"})) << "fixed columns stay";

    G->MouseActions()->SetDisjunctColSelect(true);
    Reset();
    G->SetColSelect(1, true);
    G->SetColSelect(4, true);
    G->RemoveSelectedCols();
    EXPECT_EQ(Headers(), (Texts{"c0", "c2", "c3", "c5"}));
    EXPECT_EQ(G->GetColSelectCount(), 0);
    Reset();
    G->SetColSelect(1, true);
    G->SetColSelect(4, true);
    G->RemoveUnSelectedCols();
    EXPECT_EQ(Headers(), (Texts{"c0", "c1", "c4"}));
    EXPECT_EQ(G->GetColSelectCount(), 0);
}

TEST_F(RowEditsTest, RemoveRowsInternalFreesRecordsAndMovesHiddenRows)
{
    G->SetColors(1, 3, 0x00FF00);
    G->HideRow(8); // real row 8
    G->RemoveRowsInternal(2, 2);
    EXPECT_EQ(Column(1), (Texts{"r0", "r1", "r4", "r5", "r6", "r7", "r9", "r10"}));
    EXPECT_EQ(G->GetColors(1, 2), clNone);
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(1, 6), "r8") << "the hidden row came up two places";
    // Starts at or beyond the last row are ignored; counts are cut at the end.
    const Integer Rows = G->RowCount();
    G->RemoveRowsInternal(Rows, 1);
    G->RemoveRowsEx(Rows + 3, 2);
    EXPECT_EQ(G->RowCount(), Rows);
    G->RemoveRowsInternal(Rows - 1, 5);
    EXPECT_EQ(G->RowCount(), Rows - 1);
}

} // namespace
