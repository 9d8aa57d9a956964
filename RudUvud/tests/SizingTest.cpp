// Column sizing and stretching: the stretched column, sizing all columns or rows with the mouse,
// the end-of-sizing events and the width hook, the sizing zone, the fixed and editable answers,
// the combo editor's items and the change notifiers.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using gridtest::NewForm;
using gridtest::NewShownGrid;

class SizingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = NewForm();
        G = NewShownGrid(Form);
    }
    void TearDown() override { Form->Free(); }
    void Resize(Integer W)
    {
        G->SetBounds(0, 0, W, 300);
        uitest::PumpUntilIdle();
    }
    // A mouse drag of a border on the fixed row (columns) or the fixed column (rows) by Delta.
    void DragColumnBorder(Integer ACol, Integer Delta)
    {
        const TRect R = G->CellRect(ACol, 0);
        uitest::Drag(G->Handle(), R.Right - 1, 5, R.Right - 1 + Delta, 5);
    }
    void DragRowBorder(Integer ARow, Integer Delta)
    {
        const TRect R = G->CellRect(0, ARow);
        uitest::Drag(G->Handle(), 5, R.Bottom - 1, 5, R.Bottom - 1 + Delta);
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// ---- Stretching ------------------------------------------------------------------------------------

TEST_F(SizingTest, OneColumnTakesTheClientWidthAfterEveryResize)
{
    G->SetColCount(1);
    G->SetFixedCols(0);
    G->ColumnSize()->SetStretch(true);
    for (Integer W : {500, 300, 640, 120}) {
        Resize(W);
        EXPECT_EQ(G->ColWidths(0), G->ClientRect().Right) << W;
    }
}

TEST_F(SizingTest, WideColumnsKeepTheStretchColumnUnlessScrolledFullyLeft)
{
    G->SetColCount(6);
    for (Integer C = 0; C < 5; ++C)
        G->SetColWidths(C, 200);
    G->ColumnSize()->StretchColumn = 5;
    G->ColumnSize()->SetStretch(true);
    // The other columns fill more than the client area: scrolled fully left it gets the default.
    EXPECT_EQ(G->ColWidths(5), G->DefaultColWidth());
    G->SetLeftCol(3);
    G->SetColWidths(5, 150);
    G->StretchColumn(5);
    EXPECT_EQ(G->ColWidths(5), 150);
    G->SetLeftCol(1);
    G->StretchColumn(5);
    EXPECT_EQ(G->ColWidths(5), G->DefaultColWidth());
    // Narrow columns again: the stretch column takes what is left but one pixel.
    for (Integer C = 0; C < 5; ++C)
        G->SetColWidths(C, 40);
    EXPECT_EQ(G->ColWidths(5), G->ClientWidth() - 200 - 1);
}

TEST_F(SizingTest, StretchColumnIndexOutOfRangeRaisesBeforeAnyChange)
{
    G->ColumnSize()->SetStretch(true);
    const Integer W = G->ColWidths(4);
    try {
        G->StretchColumn(G->ColCount());
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Stretch column index out of range");
    }
    EXPECT_EQ(G->ColWidths(4), W);
    // A negative index other than -1 (a published property may hold one) means the last column.
    G->SetColWidths(4, 10);
    G->StretchColumn(-7);
    EXPECT_EQ(G->ColWidths(4), W);
    G->SetColWidths(4, 10);
    G->StretchRightColumn();
    EXPECT_EQ(G->ColWidths(4), W);
}

// ---- Mouse sizing ----------------------------------------------------------------------------------

TEST_F(SizingTest, SizingOneColumnSizesTheOthersInProportionRoundedHalfToEven)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    G->MouseActions()->AllColumnSize = true;
    const Integer Widths[] = {30, 25, 100, 35, 60};
    for (Integer C = 0; C < 5; ++C)
        G->SetColWidths(C, Widths[C]);
    std::vector<Integer> Ended;
    G->OnEndColumnSize = [&](TObject*, Integer ACol) { Ended.push_back(ACol); };
    DragColumnBorder(2, 50);
    ASSERT_EQ(G->ColWidths(2), 150);
    EXPECT_EQ(G->ColWidths(0), 30); // fixed columns stay
    EXPECT_EQ(G->ColWidths(1), 38); // 37.5
    EXPECT_EQ(G->ColWidths(3), 52); // 52.5
    EXPECT_EQ(G->ColWidths(4), 90);
    EXPECT_EQ(Ended, std::vector<Integer>{2});
    EXPECT_FALSE(G->ColSizing());
    EXPECT_EQ(G->SizingCell(), (TGridCoord{-1, -1}));
}

TEST_F(SizingTest, WidthHookSetsItsWidthWithoutASecondEndEvent)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    G->SetColWidths(2, 100);
    std::vector<Integer> Ended;
    G->OnEndColumnSize = [&](TObject*, Integer ACol) { Ended.push_back(ACol); };
    G->OnUpdateColumnSize = [](TObject*, Integer, Integer& W) { W = 120; };
    DragColumnBorder(2, 30);
    EXPECT_EQ(G->ColWidths(2), 120);
    EXPECT_EQ(Ended, std::vector<Integer>{2});
    EXPECT_TRUE(G->ColWidthsChangedInPress());
    // A width set by the program is no mouse sizing.
    Ended.clear();
    G->SetColWidths(3, 70);
    EXPECT_EQ(G->ColWidths(3), 70);
    EXPECT_TRUE(Ended.empty());
}

TEST_F(SizingTest, SizingOneRowSizesTheOthersAndEndsOnce)
{
    G->SetOptions(G->Options() + TGridOptions{goRowSizing});
    G->MouseActions()->AllRowSize = true;
    std::vector<Integer> Ended;
    G->OnEndRowSize = [&](TObject*, Integer ARow) { Ended.push_back(ARow); };
    const Integer Fixed = G->RowHeights(0);
    DragRowBorder(2, 11);
    ASSERT_EQ(G->RowHeights(2), 33);
    for (Integer R = 1; R < G->RowCount(); ++R)
        EXPECT_EQ(G->RowHeights(R), 33) << R;
    EXPECT_EQ(G->RowHeights(0), Fixed);
    EXPECT_EQ(Ended, std::vector<Integer>{2});
    EXPECT_FALSE(G->RowSizing());
}

// ---- Sizing zone --------------------------------------------------------------------------------------

TEST_F(SizingTest, SizeZoneFollowsTheRowBandOverTheColumnBand)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing, goRowSizing});
    const TRect C11 = G->CellRect(1, 1), C20 = G->CellRect(2, 0), C22 = G->CellRect(2, 2),
                C03 = G->CellRect(0, 3);
    const Integer MidY = (C11.Top + C11.Bottom) / 2, MidX = (C11.Left + C11.Right) / 2;
    struct Case {
        Integer X, Y;
        bool Expected;
    };
    const Case Cases[] = {
        {C11.Right - 2, MidY, false},       // (1, 1): the row band decides, far from its row borders
        {MidX, C11.Bottom - 2, true},       // (1, 1) near its bottom border
        {C20.Right - 2, C20.Top + 5, true}, // fixed row near a column border
        {C20.Left + 20, C20.Top + 5, false},
        {C22.Right - 2, (C22.Top + C22.Bottom) / 2, false},   // row 2 is beyond the column band
        {C03.Left + 10, C03.Top + 1, true},                   // fixed column near a row border
        {G->ClientWidth() - 2, G->ClientHeight() - 2, false}, // outside the cells
    };
    for (const Case& K : Cases)
        EXPECT_EQ(G->InSizeZone(K.X, K.Y), K.Expected) << K.X << "," << K.Y;
    G->SetOptions(G->Options() - TGridOptions{goRowSizing});
    EXPECT_TRUE(G->InSizeZone(C11.Right - 2, MidY));
}

TEST_F(SizingTest, ScreenPointsTurnIntoCells)
{
    const TRect R = G->CellRect(2, 3);
    const TPoint P = G->ClientToScreen(TPoint{R.Left + 3, R.Top + 3});
    Integer C = -9, Row = -9;
    G->ScreenToCell(P, C, Row);
    EXPECT_EQ(C, 2);
    EXPECT_EQ(Row, 3);
    G->ScreenToCell(G->ClientToScreen(TPoint{G->ClientWidth() - 1, G->ClientHeight() - 1}), C, Row);
    EXPECT_EQ(C, -1);
}

// ---- Fixed, editable, password --------------------------------------------------------------------------

TEST_F(SizingTest, FixedAnswersForFootersRightColumnsAndMergedBlocks)
{
    G->SetRowCount(12);
    G->SetFixedFooters(2);
    G->SetFixedRightCols(1);
    G->MergeCells(1, 10, 2, 2); // base cell in a footer row
    G->MergeCells(2, 7, 2, 3);  // base above the footers, reaching into them
    struct Case {
        Integer Col, Row;
        bool Expected;
    };
    const Case Cases[] = {{1, 10, true}, {2, 11, true}, {1, 11, true}, {2, 7, false}, {3, 9, false},
                          {3, 10, true}, {4, 3, true},  {1, 3, false}, {0, 3, true},  {2, 0, true}};
    for (const Case& K : Cases)
        EXPECT_EQ(G->IsFixed(K.Col, K.Row), K.Expected) << K.Col << "," << K.Row;
}

TEST_F(SizingTest, EditableNeedsEditingAWritableBaseCellAndNoFixedCell)
{
    EXPECT_FALSE(G->IsEditable(1, 1));
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    EXPECT_TRUE(G->IsEditable(1, 1));
    EXPECT_FALSE(G->IsEditable(0, 1));
    EXPECT_FALSE(G->IsEditable(1, 0));
    G->SetReadOnly(2, 2, true);
    EXPECT_FALSE(G->IsEditable(2, 2));
    G->MergeCells(2, 2, 2, 2);
    EXPECT_FALSE(G->IsEditable(3, 3)); // the read-only base answers for the block
    G->OnCanEditCell = [](TObject*, Integer ARow, Integer, bool& CanEdit) { CanEdit = ARow != 5; };
    EXPECT_FALSE(G->IsEditable(1, 5));
    EXPECT_TRUE(G->IsEditable(1, 6));
    G->SetOptions(G->Options() - TGridOptions{goEditing});
    G->MouseActions()->RangeSelectAndEdit = true;
    EXPECT_TRUE(G->IsEditable(1, 6));

    EXPECT_FALSE(G->IsPassword(1, 1));
    G->OnIsPasswordCell = [](TObject*, Integer ARow, Integer ACol, bool& P) { P = ACol == 2 && ARow == 1; };
    EXPECT_TRUE(G->IsPassword(2, 1));
    EXPECT_FALSE(G->IsPassword(1, 2));
}

// ---- Combo items, notifiers, arrows
// ------------------------------------------------------------------------

TEST_F(SizingTest, ComboItemsAndSelection)
{
    EXPECT_EQ(G->ComboSelection(), -1);
    G->AddComboString("a");
    G->AddComboString("b");
    TObject Tag;
    G->AddComboStringObject("a", &Tag);
    EXPECT_EQ(G->GetComboCount(), 3);
    EXPECT_EQ(G->ComboItems()->Objects(2), &Tag);
    EXPECT_TRUE(G->RemoveComboString("a"));
    EXPECT_EQ(G->ComboItems()->CommaText(), "b,a");
    EXPECT_EQ(G->ComboItems()->Objects(1), &Tag);
    EXPECT_FALSE(G->RemoveComboString("zz"));
    EXPECT_TRUE(G->SetComboSelectionString("a"));
    EXPECT_EQ(G->ComboSelection(), 1);
    EXPECT_FALSE(G->SetComboSelectionString("zz"));
    EXPECT_EQ(G->ComboSelection(), 1);
    G->SetComboSelection(42);
    EXPECT_EQ(G->ComboSelection(), 42);
    G->ClearComboString();
    EXPECT_EQ(G->GetComboCount(), 0);
}

class TCountingNotifier : public TGridChangeNotifier {
public:
    using TGridChangeNotifier::TGridChangeNotifier;
    void CellsChanged(const TRect&) override { ++Count; }
    Integer Count = 0;
};

TEST_F(SizingTest, NotifierRegisteredTwiceHearsOnce)
{
    auto* N = New<TCountingNotifier>(Form);
    G->RegisterNotifier(N);
    G->RegisterNotifier(N);
    G->ClearRect(1, 1, 2, 2);
    EXPECT_EQ(N->Count, 1);
    G->UnRegisterNotifier(N);
    G->UnRegisterNotifier(N);
    G->ClearRect(1, 1, 2, 2);
    EXPECT_EQ(N->Count, 1);
}

TEST_F(SizingTest, ArrowColourReachesAllFourIndicators)
{
    G->SetArrowColor(clRed);
    EXPECT_EQ(G->ArrowColor(), clRed);
    Integer Arrows = 0;
    for (Integer I = 0; I < G->ComponentCount(); ++I)
        if (auto* A = dynamic_cast<TArrowWindow*>(G->Components(I))) {
            ++Arrows;
            EXPECT_EQ(A->Color(), clRed);
        }
    EXPECT_EQ(Arrows, 4);
}

} // namespace
