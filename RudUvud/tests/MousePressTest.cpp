// The left mouse button: disjunct row marks as the prize list uses them, the click veto, header
// selections, column sizing by dragging, direct editing and header-click sorting.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <string>
#include <vector>

namespace {

class MousePressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 10);
        for (Integer R = 1; R < 10; ++R)
            for (Integer C = 1; C < 5; ++C)
                G->SetCells(C, R, std::to_string(C) + ":" + std::to_string(R));
    }
    void TearDown() override { Form->Free(); }

    // Middle of a cell.
    void ClickCell(Integer C, Integer R, UINT Modifier = 0)
    {
        const TRect Rc = G->GetCellRect(C, R);
        if (Modifier)
            uitest::KeyDown(Modifier);
        uitest::Click(G->Handle(), (Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2);
        if (Modifier)
            uitest::KeyUp(Modifier);
    }
    std::vector<Integer> Marked()
    {
        std::vector<Integer> M;
        for (Integer R = 0; R < G->RowCount(); ++R)
            if (G->GetRowSelect(R))
                M.push_back(R);
        return M;
    }
    void PrizeListSetUp()
    {
        G->SetOptions(G->Options() + TGridOptions{goRowSelect} - TGridOptions{goEditing});
        G->MouseActions()->SetDisjunctRowSelect(true);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

using Rows = std::vector<Integer>;

TEST_F(MousePressTest, DisjunctRowsFollowPlainCtrlAndShiftClicks)
{
    PrizeListSetUp();
    std::vector<std::string> Log;
    G->OnClickCell = [&](TObject*, Integer R, Integer C) {
        Log.push_back(std::to_string(C) + "," + std::to_string(R));
    };
    ClickCell(2, 3);
    EXPECT_EQ(Marked(), Rows{3});
    EXPECT_EQ(G->Row(), 3);
    ClickCell(1, 6, VK_CONTROL);
    EXPECT_EQ(Marked(), (Rows{3, 6}));
    ClickCell(3, 8, VK_CONTROL);
    EXPECT_EQ(Marked(), (Rows{3, 6, 8}));
    EXPECT_EQ(G->SelectedRowOrder(), (Rows{3, 6, 8}));
    // Ctrl on a marked row unmarks it at the release.
    ClickCell(2, 6, VK_CONTROL);
    EXPECT_EQ(Marked(), (Rows{3, 8}));
    // A plain click starts over.
    ClickCell(2, 5);
    EXPECT_EQ(Marked(), Rows{5});
    // Shift marks the rows between the previous selection and the clicked row.
    ClickCell(2, 8, VK_SHIFT);
    EXPECT_EQ(Marked(), (Rows{5, 6, 7, 8}));
    // A Shift press extends the selection and is no click on a cell.
    EXPECT_EQ(Log.size(), 5u);
    // The press state is idle again after each release.
    EXPECT_FALSE(G->InputState().ButtonDown);
    EXPECT_FALSE(G->InputState().UnmarkOnRelease);
    EXPECT_EQ(G->InputState().SelectAnchor, -1);
}

TEST_F(MousePressTest, DoubleClickAndEnterReachTheApplication)
{
    PrizeListSetUp();
    int Dbl = 0;
    std::vector<Word> Keys;
    G->OnDblClick = [&](TObject*) { ++Dbl; };
    G->OnKeyDown = [&](TObject*, Word& K, TShiftState) { Keys.push_back(K); };
    const TRect R = G->GetCellRect(2, 4);
    uitest::DoubleClick(G->Handle(), R.Left + 5, R.Top + 5);
    EXPECT_EQ(Dbl, 1);
    EXPECT_EQ(G->Row(), 4);
    EXPECT_EQ(Marked(), Rows{4});
    // Enter on a cell that is not edited reaches the application through the form's key preview.
    Form->SetKeyPreview(true);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Keys, std::vector<Word>{VK_RETURN});
    // The arrows move the row and carry the mark.
    uitest::PressKey(VK_DOWN);
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(Marked(), Rows{5});
}

TEST_F(MousePressTest, VetoedPressChangesNothing)
{
    G->SetRow(2);
    G->SetCol(1);
    bool Veto = true;
    int Downs = 0;
    G->OnCanClickCell = [&](TObject*, Integer, Integer, bool& Allow) { Allow = !Veto; };
    G->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++Downs; };
    ClickCell(3, 5);
    EXPECT_EQ(G->Row(), 2);
    EXPECT_EQ(G->Col(), 1);
    EXPECT_EQ(Downs, 0);
    Veto = false;
    uitest::AdvanceTime(1000); // not a double click
    ClickCell(3, 5);
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(Downs, 1);
}

TEST_F(MousePressTest, HeaderClicksSelectRowsColumnsAndAll)
{
    G->MouseActions()->RowSelect = true;
    G->MouseActions()->ColSelect = true;
    G->MouseActions()->AllSelect = true;
    struct Case {
        Integer C, R;
        UINT Modifier;
        TGridRect Want;
    };
    const Case Cases[] = {
        {0, 4, 0, {1, 4, 4, 4}},        // row header: the whole row
        {0, 7, VK_SHIFT, {1, 7, 4, 4}}, // with Shift, up to the previous top row
        {2, 0, 0, {2, 1, 2, 9}},        // column header: the whole column
        {4, 0, VK_SHIFT, {2, 1, 4, 9}}, // with Shift, from the previous left column
        {0, 0, 0, {1, 1, 4, 9}},        // the corner: everything
    };
    for (const Case& K : Cases) {
        ClickCell(K.C, K.R, K.Modifier);
        EXPECT_EQ(G->Selection(), K.Want) << K.C << "," << K.R;
    }
}

TEST_F(MousePressTest, DraggingAColumnBorderSizesTheColumn)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    G->MouseActions()->ColSelect = true; // header clicks select columns, borders still size
    const Integer W0 = G->ColWidths(2);
    const TRect R = G->GetCellRect(2, 0);
    int Sorts = 0;
    G->SortSettings()->Show = true;
    G->OnClickSort = [&](TObject*, Integer) { ++Sorts; };
    uitest::Drag(G->Handle(), R.Right - 1, R.Top + 5, R.Right + 30, R.Top + 5);
    EXPECT_NEAR(G->ColWidths(2), W0 + 30, 2);
    EXPECT_EQ(Sorts, 0) << "a sizing drag is no header click";
    EXPECT_EQ(G->GridState(), gsNormal);
}

TEST_F(MousePressTest, DirectEditOpensTheEditorAtThePress)
{
    G->MouseActions()->DirectEdit = true;
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    ClickCell(3, 4);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 4);
    EXPECT_TRUE(G->EditorMode());
}

TEST_F(MousePressTest, HeaderClicksSortAndUndo)
{
    TSortSettings* S = G->SortSettings();
    S->Show = true;
    S->UndoSort = true;
    for (Integer R = 1; R < 10; ++R)
        G->SetCells(2, R, std::to_string((R * 7) % 10)); // 7 4 1 8 5 2 9 6 3
    std::vector<Integer> Clicked;
    G->OnClickSort = [&](TObject*, Integer C) { Clicked.push_back(C); };
    auto Column = [&] {
        std::string S2;
        for (Integer R = 1; R < 10; ++R)
            S2 += G->Cells(2, R);
        return S2;
    };
    ClickCell(2, 0);
    EXPECT_EQ(Column(), "123456789");
    ClickCell(2, 0);
    EXPECT_EQ(Column(), "987654321");
    ClickCell(2, 0);
    EXPECT_EQ(Column(), "741852963") << "the third click gives the first order back";
    EXPECT_EQ(Clicked, (std::vector<Integer>{2, 2, -1}));
    // A refusal keeps the order.
    G->OnCanSort = [](TObject*, Integer, bool& DoSort) { DoSort = false; };
    ClickCell(2, 0);
    EXPECT_EQ(Column(), "741852963");
    // A click on a data cell never sorts.
    G->OnCanSort = nullptr;
    ClickCell(2, 3);
    EXPECT_EQ(Column(), "741852963");
}

TEST_F(MousePressTest, IndexedHeaderClicksBuildTheIndex)
{
    TSortSettings* S = G->SortSettings();
    S->Show = true;
    S->IndexShow = true;
    const char* A[] = {"b", "a", "b", "a", "c", "a", "b", "c", "a"};
    for (Integer R = 1; R < 10; ++R) {
        G->SetCells(1, R, A[R - 1]);
        G->SetCells(3, R, std::to_string(R));
    }
    ClickCell(1, 0);
    ClickCell(3, 0, VK_SHIFT); // adds column 3 ascending
    ClickCell(3, 0, VK_SHIFT); // toggles it to descending
    EXPECT_EQ(S->SortIndexes.SaveToString(), "u1;d3");
    std::string Got;
    for (Integer R = 1; R < 10; ++R)
        Got += G->Cells(1, R) + G->Cells(3, R) + " ";
    EXPECT_EQ(Got, "a9 a6 a4 a2 b7 b3 b1 c8 c5 ");
    // Without the key, a click on another column starts a new index.
    ClickCell(3, 0);
    EXPECT_EQ(S->SortIndexes.SaveToString(), "u3");
    EXPECT_EQ(S->Column, 3);
}

} // namespace

namespace {

HCURSOR ZoneCursor(Integer Id)
{
    return ::LoadCursor(reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000)), MAKEINTRESOURCE(Id));
}

} // namespace

TEST_F(MousePressTest, HeaderZonesShowTheirCursors)
{
    G->MouseActions()->RowSelect = true;
    G->MouseActions()->ColSelect = true;
    G->MouseActions()->AllSelect = true;
    ASSERT_NE(ZoneCursor(8010), nullptr);
    ASSERT_NE(ZoneCursor(8010), ZoneCursor(8011));
    struct Case {
        Integer C, R, Cursor; // 0: none of the zone cursors
    };
    const Case Cases[] = {
        {0, 4, 8010}, // row header
        {2, 0, 8011}, // column header
        {0, 0, 8012}, // the corner
        {2, 4, 0},    // a normal cell has no zone
    };
    for (const Case& K : Cases) {
        const TRect Rc = G->GetCellRect(K.C, K.R);
        const Integer X = (Rc.Left + Rc.Right) / 2, Y = (Rc.Top + Rc.Bottom) / 2;
        uitest::MouseDown(G->Handle(), X, Y);
        uitest::PumpUntilIdle();
        ::SendMessage(G->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(G->Handle()), HTCLIENT);
        const HCURSOR Shown = ::GetCursor();
        if (K.Cursor)
            EXPECT_EQ(Shown, ZoneCursor(K.Cursor)) << K.C << "," << K.R;
        else
            for (Integer Id : {8010, 8011, 8012})
                EXPECT_NE(Shown, ZoneCursor(Id)) << K.C << "," << K.R;
        uitest::MouseUp(G->Handle(), X, Y);
        uitest::PumpUntilIdle();
        // The release ends the zone.
        ::SendMessage(G->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(G->Handle()), HTCLIENT);
        EXPECT_NE(::GetCursor(), ZoneCursor(8010));
    }
}

TEST_F(MousePressTest, NoRowSelectCursorOverTheHorizontalScrollBar)
{
    G->MouseActions()->RowSelect = true;
    G->SetColCount(30); // more columns than fit: the horizontal scroll bar shows
    uitest::PumpUntilIdle();
    ASSERT_LT(G->VisibleColCount(), G->ColCount());
    const TRect Rc = G->GetCellRect(0, 2);
    const Integer X = (Rc.Left + Rc.Right) / 2;
    uitest::MouseDown(G->Handle(), X, (Rc.Top + Rc.Bottom) / 2);
    uitest::PumpUntilIdle();
    auto Ask = [this] {
        ::SendMessage(G->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(G->Handle()), HTCLIENT);
        return ::GetCursor();
    };
    EXPECT_EQ(Ask(), ZoneCursor(8010));
    // The pointer rests over the scroll bar: the zone ends and stays ended back over the header.
    ::SetCursorPos(uitest::ToScreen(G->Handle(), X, G->Height() - 3).X,
                   uitest::ToScreen(G->Handle(), X, G->Height() - 3).Y);
    EXPECT_NE(Ask(), ZoneCursor(8010));
    ::SetCursorPos(uitest::ToScreen(G->Handle(), X, Rc.Top + 2).X,
                   uitest::ToScreen(G->Handle(), X, Rc.Top + 2).Y);
    EXPECT_NE(Ask(), ZoneCursor(8010));
    uitest::MouseUp(G->Handle(), X, Rc.Top + 2);
    uitest::PumpUntilIdle();
}
