// Cell property records, merged cells, geometry, text accessors and keyboard moves over blocks.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <set>

// A decoration object the records own by its class name (named apart from the grid's own class
// of that name, which other test files of the same batch use).
namespace basegridfake {
class TCellGraphic : public TObject {
public:
    explicit TCellGraphic(int* Destroyed) : FDestroyed(Destroyed) {}
    ~TCellGraphic() override { ++*FDestroyed; }

private:
    int* FDestroyed;
};
} // namespace basegridfake

namespace {

class TFooterProbeGrid : public TBaseGrid {
public:
    using TBaseGrid::TBaseGrid;
    int FooterUpdates = 0;
    void FloatFooterUpdate() override { ++FooterUpdates; }
};

class BaseGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TBaseGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetColCount(8);
        G->SetRowCount(8);
        G->SetDisplayLimit(8);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TBaseGrid* G = nullptr;
};

TEST_F(BaseGridTest, NewRecordTakesTheBaseGridDefaults)
{
    G->Font()->SetName("Arial");
    G->SetColor(0x123456);
    ASSERT_FALSE(G->HasCellProperties(2, 3));
    TCellProperties* CP = G->GetCellProperties(2, 3);
    EXPECT_TRUE(G->HasCellProperties(2, 3));
    EXPECT_EQ(G->GetCellProperties(2, 3), CP) << "created once, then found";
    EXPECT_EQ(CP->FontName(), "Arial");
    EXPECT_EQ(CP->BrushColor(), 0x123456);
    EXPECT_EQ(CP->Alignment(), taLeftJustify);
    EXPECT_EQ(CP->VAlignment(), vtaTop);
    EXPECT_TRUE(CP->WordWrap());
    EXPECT_EQ(CP->BrushColorTo(), clNone);
    EXPECT_EQ(CP->GradientDirection(), GradientVertical);
    EXPECT_EQ(CP->CalcType(), acNONE);
    EXPECT_TRUE(CP->IsBaseCell());
    EXPECT_EQ(CP->CellSpanX(), -1);
    EXPECT_EQ(CP->CellSpanY(), -1);
    EXPECT_EQ(CP->OwnerCol(), 2);
    EXPECT_EQ(CP->OwnerRow(), 3);
    EXPECT_TRUE(G->PropertiesCreated());
}

TEST_F(BaseGridTest, MergedBlockAnswersForEveryCell)
{
    G->MergeCells(1, 1, 3, 2);
    EXPECT_EQ(G->MergeCount(), 1);
    TCellProperties* Base = G->GetCellProperties(1, 1);
    EXPECT_TRUE(Base->IsBaseCell());
    EXPECT_EQ(Base->CellSpanX(), 2);
    EXPECT_EQ(Base->CellSpanY(), 1);
    TCellProperties* Covered = G->GetCellProperties(3, 2);
    EXPECT_FALSE(Covered->IsBaseCell());
    EXPECT_EQ(Covered->CellSpanX(), 2);
    EXPECT_EQ(Covered->CellSpanY(), 1);

    struct Case {
        Integer C, R;
        bool Base;
        TPoint Ext;
    } Cases[] = {{1, 1, true, {2, 1}},  {2, 1, false, {1, 1}}, {3, 1, false, {0, 1}},
                 {1, 2, false, {2, 0}}, {2, 2, false, {1, 0}}, {3, 2, false, {0, 0}}};
    for (const Case& K : Cases) {
        SCOPED_TRACE(testing::Message() << "cell " << K.C << "," << K.R);
        EXPECT_EQ(G->BaseCell(K.C, K.R).X, 1);
        EXPECT_EQ(G->BaseCell(K.C, K.R).Y, 1);
        EXPECT_EQ(G->IsBaseCell(K.C, K.R), K.Base);
        EXPECT_TRUE(G->IsMergedCell(K.C, K.R));
        EXPECT_EQ(G->IsMergedNonBaseCell(K.C, K.R), !K.Base);
        EXPECT_TRUE(G->IsXMergedCell(K.C, K.R));
        EXPECT_TRUE(G->IsYMergedCell(K.C, K.R));
        EXPECT_EQ(G->CellSpan(K.C, K.R).X, 2);
        EXPECT_EQ(G->CellSpan(K.C, K.R).Y, 1);
        EXPECT_EQ(G->CellExt(K.C, K.R).X, K.Ext.X);
        EXPECT_EQ(G->CellExt(K.C, K.R).Y, K.Ext.Y);
        EXPECT_EQ(G->FullCell(K.C, K.R), (TGridRect{1, 1, 3, 2}));
    }
    G->SetCellEx(2, 2, "block");
    EXPECT_EQ(G->Cells(1, 1), "block");
    EXPECT_EQ(G->GetCellEx(3, 1), "block");
    EXPECT_FALSE(G->IsMergedCell(4, 1));
    EXPECT_EQ(G->CellSpan(4, 1).X, 0);

    // The block's rectangle, also from a covered cell.
    const TRect A = G->GetCellRect(1, 1), B = G->GetCellRect(3, 2);
    const TRect Whole{A.Left, A.Top, B.Right, B.Bottom};
    EXPECT_EQ(G->CellRect(3, 2), Whole);
    EXPECT_EQ(G->CellRect(1, 1), Whole);
    EXPECT_EQ(G->CellSize(2, 2).X, Whole.Right - Whole.Left);
    EXPECT_EQ(G->CellSize(2, 2).Y, Whole.Bottom - Whole.Top);
    EXPECT_TRUE(G->IsSelected(3, 2) == (G->Col() >= 1 && G->Col() <= 3 && G->Row() >= 1 && G->Row() <= 2));

    // Split from any cell restores the whole block and keeps the records.
    G->SplitCells(2, 2);
    EXPECT_EQ(G->MergeCount(), 0);
    for (const Case& K : Cases) {
        ASSERT_TRUE(G->HasCellProperties(K.C, K.R));
        EXPECT_TRUE(G->IsBaseCell(K.C, K.R));
        EXPECT_FALSE(G->IsMergedCell(K.C, K.R));
        EXPECT_EQ(G->GetCellProperties(K.C, K.R)->CellSpanX(), -1);
        EXPECT_EQ(G->GetCellProperties(K.C, K.R)->CellSpanY(), -1);
    }
}

TEST_F(BaseGridTest, OneByOneMergeAndBadBlocks)
{
    G->MergeCells(2, 2, 1, 1);
    EXPECT_FALSE(G->IsMergedCell(2, 2));
    EXPECT_EQ(G->GetCellProperties(2, 2)->CellSpanX(), 0);
    // Blocks reaching before the first cell or of no size change no cell.
    G->MergeCells(-1, 0, 2, 2);
    G->MergeCells(4, 4, 0, 3);
    EXPECT_FALSE(G->HasCellProperties(0, 0));
    EXPECT_FALSE(G->HasCellProperties(4, 4));
    EXPECT_EQ(G->MergeCount(), 3);
}

TEST_F(BaseGridTest, SpanIdentity)
{
    // Rows 2 and 3 inside one vertical block in column 1, unmerged elsewhere.
    G->MergeCells(1, 2, 1, 2);
    EXPECT_TRUE(G->RowSpanIdentical(2, 3));
    EXPECT_FALSE(G->RowSpanIdentical(4, 5)) << "no vertically merged column";
    G->MergeCells(2, 3, 1, 2); // rows 3 and 4 share a block in column 2; row 2 is unmerged there
    EXPECT_TRUE(G->RowSpanIdentical(2, 3));
    EXPECT_TRUE(G->RowSpanIdentical(3, 4));
    G->MergeCells(5, 2, 1, 2);
    G->MergeCells(5, 4, 1, 2); // column 5: rows 3 and 4 lie in different blocks
    EXPECT_FALSE(G->RowSpanIdentical(3, 4));

    // Columns 4 and 5 in one horizontal block in row 6, unmerged in every other row.
    G->MergeCells(4, 6, 2, 1);
    EXPECT_TRUE(G->ColSpanIdentical(4, 5));
    // A row where only one of the two is in a horizontal block.
    G->MergeCells(5, 0, 2, 1);
    EXPECT_FALSE(G->ColSpanIdentical(4, 5));
}

TEST_F(BaseGridTest, ObjectsOnEmptyCellsAndForeignSlots)
{
    TObject Mine;
    G->SetObjectEx(4, 4, &Mine);
    EXPECT_EQ(G->Cells(4, 4), "");
    EXPECT_EQ(G->GetObjectEx(4, 4), &Mine);
    // A user object put in the raw slot is never read as a record.
    TObject Foreign;
    G->SetGridObject(5, 5, &Foreign);
    EXPECT_FALSE(G->HasCellProperties(5, 5));
    EXPECT_EQ(G->GetObjectEx(5, 5), nullptr);
    EXPECT_EQ(G->BaseCell(5, 5).X, 5);
    G->ClearPropRect(0, 0, 7, 7);
    EXPECT_EQ(G->GetGridObject(5, 5), &Foreign) << "foreign objects are not freed";
    G->SetGridObject(5, 5, nullptr);
}

TEST_F(BaseGridTest, DisplayHooksStopAtTheDisplayLimit)
{
    int Calls = 0;
    G->OnGetDisplText = [&](TObject*, Integer, Integer, AnsiString& V) {
        ++Calls;
        V = "[" + V + "]";
    };
    G->SetCells(1, 2, "a");
    G->SetCells(1, 6, "b");
    G->SetDisplayLimit(5);
    EXPECT_EQ(G->GetCellEx(1, 2), "[a]");
    EXPECT_EQ(G->GetCellEx(1, 6), "b");
    EXPECT_EQ(G->GetCellEx(1, 5), "");
    EXPECT_EQ(Calls, 1);
    // The wide hook sees the decoded text and its answer comes back encoded.
    G->OnGetDisplWideText = [](TObject*, Integer, Integer, WideString& W) { W += u"!"; };
    EXPECT_EQ(G->GetCellEx(1, 2), "|\\" + std::string("\0[\0a\0]\0!", 8));
}

TEST_F(BaseGridTest, FooterRowWritesUpdateTheFooter)
{
    auto* P = New<TFooterProbeGrid>(Form);
    P->SetRowCount(6);
    P->SetCellEx(1, 5, "x");
    EXPECT_EQ(P->FooterUpdates, 0);
    P->SetFooterRowFlag(true);
    P->SetCellEx(1, 4, "x");
    EXPECT_EQ(P->FooterUpdates, 0);
    P->SetCellEx(1, 5, "y");
    EXPECT_EQ(P->FooterUpdates, 1);
}

TEST_F(BaseGridTest, RecordsAreFreedOnceWhateverSharesThem)
{
    int GraphicsFreed = 0;
    G->SetCells(1, 1, "one");
    G->GetCellProperties(1, 1)->SetGraphicObject(new basegridfake::TCellGraphic(&GraphicsFreed));
    // After CopyRows both rows hold the same record; clearing both rows frees it once.
    G->CopyRows(2, 1);
    EXPECT_EQ(G->GetCellProperties(1, 2), G->GetCellProperties(1, 1));
    G->ClearPropRow(1);
    EXPECT_EQ(GraphicsFreed, 1);
    G->ClearPropRow(2);
    EXPECT_EQ(GraphicsFreed, 1);
    EXPECT_EQ(G->LiveRecordCount(), 0u);

    // ClearPropCell frees the record's own graphic as well (no leak under LSan).
    G->GetCellProperties(3, 3)->SetGraphicObject(new basegridfake::TCellGraphic(&GraphicsFreed));
    G->ClearPropCell(3, 3);
    EXPECT_EQ(GraphicsFreed, 2);

    // Dropped pointers (NilRow) leave the record alive until the grid goes.
    G->GetCellProperties(4, 4);
    G->NilRow(4);
    EXPECT_FALSE(G->HasCellProperties(4, 4));
    EXPECT_EQ(G->LiveRecordCount(), 1u);
}

TEST_F(BaseGridTest, ClearingSkipsWhileNoRecordWasEverCreated)
{
    EXPECT_FALSE(G->PropertiesCreated());
    G->ClearPropRect(0, 0, 7, 7);
    G->GetCellProperties(0, 0);
    G->SetPropertiesCreated(false);
    G->ClearPropRect(0, 0, 7, 7);
    EXPECT_TRUE(G->HasCellProperties(0, 0)) << "the scan is skipped while the flag is off";
    G->SetPropertiesCreated(true);
    G->ClearProps();
    EXPECT_FALSE(G->HasCellProperties(0, 0));
}

TEST_F(BaseGridTest, MissingBaseRecordMakesACoveredCellPlain)
{
    G->MergeCells(2, 2, 2, 2);
    G->ClearPropCell(2, 2);
    EXPECT_EQ(G->BaseCell(3, 3).X, 3);
    EXPECT_EQ(G->CellSpan(3, 3).X, 0);
    EXPECT_EQ(G->CellExt(3, 3).X, 0);
    G->SetCellEx(3, 3, "own");
    EXPECT_EQ(G->Cells(3, 3), "own");
    G->SplitCells(3, 3);
}

TEST_F(BaseGridTest, KeysLeaveABlockAtItsFarSideAndLandOnBaseCells)
{
    G->MergeCells(2, 2, 3, 2); // columns 2..4, rows 2..3
    struct Case {
        TGridCoord From;
        Word Key;
        TGridCoord To;
    } Cases[] = {
        {{1, 2}, VK_RIGHT, {2, 2}}, // into the block: its base cell
        {{2, 2}, VK_RIGHT, {5, 2}}, // out of the block on its right side
        {{2, 2}, VK_DOWN, {2, 4}},  // out at the bottom
        {{3, 1}, VK_DOWN, {2, 2}},  // into a covered cell: snaps to the base
        {{2, 2}, VK_LEFT, {1, 2}},  {{2, 2}, VK_UP, {2, 1}},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(testing::Message() << "from " << K.From.X << "," << K.From.Y << " key " << K.Key);
        G->SetCol(K.From.X);
        G->SetRow(K.From.Y);
        Word Key = K.Key;
        G->KeyDown(Key, TShiftState{});
        EXPECT_EQ(G->Col(), K.To.X);
        EXPECT_EQ(G->Row(), K.To.Y);
    }
}

TEST_F(BaseGridTest, GeometryFollowsSizesAndScrolling)
{
    G->SetColWidths(1, 30);
    G->SetRowHeights(1, 10);
    const TRect R = G->GetCellRect(2, 2);
    EXPECT_EQ(R.Left, G->ColWidths(0) + 30);
    EXPECT_EQ(R.Top, G->RowHeights(0) + 10);
    const TRect P = G->CellRect(2, 2);
    EXPECT_EQ(P.Left, R.Left);
    EXPECT_EQ(P.Top, R.Top);
    // Scrolled: the rectangle moves left by the width of the columns scrolled away, also for a
    // cell out of view, while fixed cells stay put.
    G->SetColCount(40);
    G->SetLeftCol(3);
    EXPECT_EQ(G->GetCellRect(3, 2).Left, G->ColWidths(0));
    EXPECT_EQ(G->GetCellRect(2, 2).Left, G->ColWidths(0) - G->ColWidths(2));
    EXPECT_EQ(G->GetCellRect(0, 2).Left, 0);
    EXPECT_EQ(G->GetCellRect(39, 2).Left, G->ColWidths(0) + 36 * G->DefaultColWidth());
}

} // namespace
