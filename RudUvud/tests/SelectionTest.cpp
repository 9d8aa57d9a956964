// The grid's cell selection rules with their event order, and the disjunct selections.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TNodeGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    void SetNodeCount(Integer N) { FCore.FNodeCount = N; }
};

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TNodeGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetColCount(6);
        G->SetRowCount(12);
        uitest::PumpUntilIdle();
        G->OnRowChanging = [this](TObject*, Integer O, Integer N, bool& Allow) {
            Log.push_back("RowChanging " + std::to_string(O) + ">" + std::to_string(N));
            if (RefuseRow)
                Allow = false;
        };
        G->OnColChanging = [this](TObject*, Integer O, Integer N, bool&) {
            Log.push_back("ColChanging " + std::to_string(O) + ">" + std::to_string(N));
        };
        G->OnCellChanging = [this](TObject*, Integer, Integer, Integer NR, Integer NC, bool& Allow) {
            Log.push_back("CellChanging " + std::to_string(NC) + "," + std::to_string(NR) +
                          (Allow ? "" : " refused"));
        };
        G->OnSelectCell = [this](TObject*, Integer C, Integer R, bool&) {
            Log.push_back("SelectCell " + std::to_string(C) + "," + std::to_string(R));
        };
        G->OnRowUpdate = [this](TObject*, Integer O, Integer N) {
            Log.push_back("RowUpdate " + std::to_string(O) + ">" + std::to_string(N));
        };
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TNodeGrid* G = nullptr;
    std::vector<std::string> Log;
    bool RefuseRow = false;
};

using Lines = std::vector<std::string>;

TEST_F(SelectionTest, PlainMoveAndRefusedMove)
{
    G->SetRow(3);
    EXPECT_EQ(Log, (Lines{"RowChanging 1>3", "CellChanging 1,3", "SelectCell 1,3", "RowUpdate 1>3"}));
    EXPECT_EQ(G->Row(), 3);
    Log.clear();
    G->SetCol(2);
    EXPECT_EQ(Log, (Lines{"ColChanging 1>2", "CellChanging 2,3", "SelectCell 2,3"}));
    Log.clear();
    // A refused move keeps the cell; OnRowUpdate still reports the row asked for, once.
    RefuseRow = true;
    G->SetRow(5);
    EXPECT_EQ(Log, (Lines{"RowChanging 3>5", "CellChanging 2,5 refused", "RowUpdate 3>5"}));
    EXPECT_EQ(G->Row(), 3);
    Log.clear();
    G->SetRow(5);
    EXPECT_EQ(Log, (Lines{"RowChanging 3>5", "CellChanging 2,5 refused"}));
}

TEST_F(SelectionTest, CoveredCellsHandTheFocusToTheirBase)
{
    G->MergeCells(2, 2, 2, 3); // columns 2..3, rows 2..4
    G->SetCells(2, 2, "block");
    // With range selection a covered cell may be a range's end; without it, never current.
    G->SetOptions(G->Options() - TGridOptions{goRangeSelect});
    // By assignment.
    G->SetCol(3);
    G->SetRow(4);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 2);
    // By the mouse, on the lower right covered cell.
    G->SetCol(5);
    G->SetRow(8);
    const TRect R = G->GetCellRect(3, 4);
    uitest::Click(G->Handle(), R.Left + 3, R.Top + 3);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 2);
    EXPECT_EQ(G->EditCache(), "block");
    // And by the keys: Down from the base leaves the block below it.
    Word Key = VK_DOWN;
    G->KeyDown(Key, TShiftState{});
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(G->Col(), 2);
}

TEST_F(SelectionTest, NodeColumnNeverTakesTheFocus)
{
    G->SetFixedCols(0);
    G->SetNodeCount(1);
    G->SetCol(2);
    G->SetCol(0);
    EXPECT_EQ(G->Col(), 2);
    G->SetOptions(G->Options() + TGridOptions{goRowSelect});
    G->SetCol(0);
    EXPECT_EQ(G->Col(), 0);
}

TEST_F(SelectionTest, EditingFollowsReadOnlyCells)
{
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    G->GetCellProperties(2, 2)->SetReadOnly(true);
    G->SetCol(2);
    G->SetRow(2);
    EXPECT_FALSE(G->Options().Contains(goEditing));
    EXPECT_TRUE(G->EditingSuspended());
    G->SetRow(3);
    EXPECT_TRUE(G->Options().Contains(goEditing));
    EXPECT_FALSE(G->EditingSuspended());
}

TEST_F(SelectionTest, FooterLastRowRefusesTheFocus)
{
    G->FloatingFooter()->SetVisible(true);
    G->SetRow(10);
    G->SetRow(11);
    EXPECT_EQ(G->Row(), 10);
    G->FloatingFooter()->SetVisible(false);
}

TEST_F(SelectionTest, RowSelectRangeAndCounts)
{
    // Without disjunct selection the selection rectangle answers, in either direction.
    G->SetSelection(TGridRect{1, 5, 3, 2});
    for (Integer R = 0; R < 12; ++R)
        EXPECT_EQ(G->GetRowSelect(R), R >= 2 && R <= 5) << R;
    EXPECT_EQ(G->GetRowSelectCount(), 4);
    EXPECT_EQ(G->GetColSelectCount(), 3);
    // Row bounds count hidden rows.
    G->HideRows(3, 4);
    EXPECT_NO_THROW(G->GetRowSelect(11));
    for (Integer Bad : {12, -1}) {
        try {
            G->GetRowSelect(Bad);
            ADD_FAILURE() << Bad;
        } catch (const ERudUvudError& E) {
            EXPECT_EQ(E.Message(), "Invalid row accessed");
        }
        EXPECT_THROW(G->SetRowSelect(Bad, true), ERudUvudError);
    }
    try {
        G->GetColSelect(6);
        ADD_FAILURE();
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "Invalid column accessed");
    }
}

TEST_F(SelectionTest, DisjunctRowsKeepTheirOrder)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    int Selected = 0;
    std::vector<std::string> Asked;
    G->OnRowDisjunctSelected = [&](TObject*, Integer) { ++Selected; };
    G->OnRowDisjunctSelect = [&](TObject*, Integer R, bool State, bool& Allow) {
        Asked.push_back(std::to_string(R) + (State ? "+" : "-"));
        Allow = R != 9;
    };
    G->SetRowSelect(7, true);
    G->SetRowSelect(3, true);
    G->SetRowSelect(7, true);
    G->SetRowSelect(9, true);
    EXPECT_EQ(Selected, 3) << "also when nothing changed; not when refused";
    EXPECT_EQ(Asked, (Lines{"7+", "3+", "7+", "9+"}));
    EXPECT_EQ(G->SelectedRowOrder(), (std::vector<Integer>{7, 3}));
    EXPECT_EQ(G->GetRowSelectCount(), 2);
    EXPECT_FALSE(G->GetRowSelect(9));
    G->SetRowSelect(7, false);
    G->SetRowSelect(5, true);
    EXPECT_EQ(G->SelectedRowOrder(), (std::vector<Integer>{3, 5}));
    G->ClearRowSelect();
    EXPECT_EQ(G->GetRowSelectCount(), 0);
    EXPECT_TRUE(G->SelectedRowOrder().empty());

    // Selecting the whole rectangle's rows, then all rows against it.
    G->OnRowDisjunctSelect = nullptr;
    G->SetSelection(TGridRect{1, 2, 1, 4});
    G->SelectToRowSelect(false);
    EXPECT_EQ(G->GetRowSelectCount(), 3);
    G->SetSelection(TGridRect{1, 1, 5, 11});
    G->SelectToRowSelect(true);
    EXPECT_EQ(G->GetRowSelectCount(), 11);
    G->SelectRows(1, 2);
    G->UnSelectRows(1, 1);
    EXPECT_FALSE(G->GetRowSelect(1));
}

// Every row and column fits: the repaint of a mark still covers its whole row or column.
TEST_F(SelectionTest, MarkChangesRepaintWhenEverythingFits)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->MouseActions()->SetDisjunctColSelect(true);
    ASSERT_EQ(G->LeftCol() + G->VisibleColCount(), G->ColCount());
    auto Invalidated = [this](auto Change) {
        uitest::PumpUntilIdle();
        ::ValidateRect(G->Handle(), nullptr);
        Change();
        RECT R{};
        ::GetUpdateRect(G->Handle(), &R, false);
        return R;
    };
    const TRect Row = Invalidated([this] { G->SetRowSelect(4, true); });
    EXPECT_EQ(Row.Right, G->CellRect(5, 4).Right);
    EXPECT_EQ(Row.Top, G->CellRect(1, 4).Top);
    const TRect Col = Invalidated([this] { G->SetColSelect(2, true); });
    EXPECT_EQ(Col.Bottom, G->CellRect(2, 11).Bottom);
    EXPECT_EQ(Col.Left, G->CellRect(2, 1).Left);
}

TEST_F(SelectionTest, ColumnsAndModifiedRows)
{
    G->MouseActions()->SetDisjunctColSelect(true);
    G->SelectCols(2, 3);
    EXPECT_EQ(G->GetColSelectCount(), 3);
    EXPECT_TRUE(G->GetColSelect(4));
    G->UnSelectCols(3, 1);
    EXPECT_FALSE(G->GetColSelect(3));
    G->SetRowModified(4, true);
    G->SetRowModified(6, true);
    G->SetRowModified(4, false);
    EXPECT_EQ(G->ModifiedRowCount(), 1);
    EXPECT_TRUE(G->GetRowModified(6));
    EXPECT_FALSE(G->GetRowModified(400));
}

TEST_F(SelectionTest, BalloonTextLimits)
{
    G->SetCells(1, 1, "\r\n" + std::string(2000, 'a'));
    AnsiString Title, Text;
    Integer Icon = 0;
    G->CellBalloonText(1, 1, Title, Text, Icon);
    EXPECT_EQ(Text, std::string(1021, 'a') + "...");
    EXPECT_EQ(Title, " ");
    EXPECT_EQ(Icon, 1);
    G->CellBalloonText(2, 2, Title, Text, Icon);
    EXPECT_EQ(Text, "");
    G->SetCells(1, 1, "a\tb\t");
    G->CellBalloonText(1, 1, Title, Text, Icon);
    EXPECT_EQ(Text, "a b\t");
}

} // namespace
