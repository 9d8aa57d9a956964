// The pointer over the grid: hover of fixed cells, sizing cursors and the sizing hint, link
// cursors and anchor events, select drags; the double click (auto-size or edit), the right
// button, and row and column moves carrying their state.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/forms/Menus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class MouseMoveTest : public ::testing::Test {
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

    TPoint Mid(Integer C, Integer R)
    {
        const TRect Rc = G->GetCellRect(C, R);
        return TPoint{(Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2};
    }
    void MoveTo(Integer X, Integer Y) { uitest::MoveMouse(G->Handle(), X, Y); }
    HCURSOR CursorShown()
    {
        ::SendMessage(G->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(G->Handle()), HTCLIENT);
        return ::GetCursor();
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(MouseMoveTest, HoverFollowsThePointerAndEndsWhenItLeaves)
{
    G->SetHoverFixedCells(hfFixedRows);
    struct Case {
        Integer C, R;
    };
    for (const Case K : {Case{2, 0}, Case{3, 0}, Case{3, 4}, Case{0, 2}}) {
        const TPoint P = Mid(K.C, K.R);
        MoveTo(P.X, P.Y);
        EXPECT_EQ(G->InputState().HoverCell, (TGridCoord{K.C, K.R}));
    }
    MoveTo(Mid(1, 0).X, Mid(1, 0).Y);
    G->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(G->InputState().HoverCell, (TGridCoord{-1, -1}));
    // Without hovering nothing is recorded.
    G->SetHoverFixedCells(hfNone);
    MoveTo(Mid(2, 0).X, Mid(2, 0).Y);
    EXPECT_EQ(G->InputState().HoverCell, (TGridCoord{-1, -1}));
}

TEST_F(MouseMoveTest, SizingCursorOnHeaderBordersUnlessTheColumnRefuses)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    const TRect R2 = G->GetCellRect(2, 0);
    MoveTo(R2.Right - 1, 5);
    EXPECT_EQ(CursorShown(), Screen->Cursors(crHSplit));
    MoveTo(Mid(2, 0).X, 5);
    EXPECT_NE(CursorShown(), Screen->Cursors(crHSplit));
    std::vector<Integer> Asked;
    G->OnColumnSize = [&](TObject*, Integer C, bool& Allow) {
        Asked.push_back(C);
        Allow = C != 2;
    };
    MoveTo(R2.Right - 1, 5);
    EXPECT_NE(CursorShown(), Screen->Cursors(crHSplit)) << "column 2 refuses to be sized";
    EXPECT_FALSE(Asked.empty());
    EXPECT_EQ(Asked.back(), 2);
    const TRect R3 = G->GetCellRect(3, 0);
    MoveTo(R3.Right - 1, 5);
    EXPECT_EQ(CursorShown(), Screen->Cursors(crHSplit));
}

TEST_F(MouseMoveTest, DraggingABorderReportsTheWidthAndShowsItInTheHint)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    G->SetHintShowSizing(true);
    std::vector<Integer> Sizes;
    G->OnColumnSizing = [&](TObject*, Integer C, Integer W) {
        if (C == 2)
            Sizes.push_back(W);
    };
    const TRect R2 = G->GetCellRect(2, 0);
    // Grabbed 2 pixels left of the border, let go where the column is 100 pixels wide.
    const Integer X0 = R2.Right - 2;
    uitest::MouseDown(G->Handle(), X0, 5);
    MoveTo(R2.Left + 50, 5);
    MoveTo(R2.Left + 98, 5);
    ASSERT_FALSE(Sizes.empty());
    EXPECT_EQ(Sizes.back(), 100);
    ASSERT_NE(G->ScrollHintWindow(), nullptr);
    EXPECT_EQ(G->ScrollHintWindow()->Caption(), "cw=<b>100</b>");
    uitest::MouseUp(G->Handle(), R2.Left + 98, 5);
    EXPECT_EQ(G->ColWidths(2), 100);
}

TEST_F(MouseMoveTest, LinksShowTheHandAndReportAnchors)
{
    G->SetCells(2, 3, "<a href=\"prize\">prize list</a>");
    G->SetURLShow(true);
    G->SetCells(3, 3, "http://example.org");
    std::vector<std::string> Log;
    G->OnAnchorEnter = [&](TObject*, Integer R, Integer C, const AnsiString& A) {
        Log.push_back("enter " + std::to_string(C) + "," + std::to_string(R) + " " + A);
    };
    G->OnAnchorExit = [&](TObject*, Integer, Integer, const AnsiString&) { Log.push_back("exit"); };
    const TRect Rc = G->GetCellRect(2, 3);
    MoveTo(Rc.Left + 6, (Rc.Top + Rc.Bottom) / 2);
    EXPECT_EQ(G->Cursor(), crHandPoint);
    MoveTo(Rc.Left + 8, (Rc.Top + Rc.Bottom) / 2);
    MoveTo(Mid(3, 3).X, Mid(3, 3).Y);
    EXPECT_EQ(G->Cursor(), crHandPoint) << "a link text with URLShow";
    MoveTo(Mid(1, 5).X, Mid(1, 5).Y);
    EXPECT_EQ(G->Cursor(), crDefault);
    EXPECT_EQ(Log, (std::vector<std::string>{"enter 2,3 prize", "exit"}));
}

TEST_F(MouseMoveTest, RowHeaderDragSelectsTheRowsItPasses)
{
    G->MouseActions()->RowSelect = true;
    G->SetOptions(G->Options() + TGridOptions{goRangeSelect});
    const TPoint A = Mid(0, 2), B = Mid(0, 5);
    MoveTo(A.X, A.Y);
    EXPECT_EQ(CursorShown(),
              ::LoadCursor(reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000)), MAKEINTRESOURCE(8010)))
        << "the zone is known before the press";
    uitest::Drag(G->Handle(), A.X, A.Y, B.X, B.Y);
    EXPECT_EQ(G->Selection(), (TGridRect{1, 2, 4, 5}));
}

TEST_F(MouseMoveTest, DoubleClickOnAHeaderBorderAutoSizesTheColumn)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    G->SetCells(2, 4, "a much longer text than the column shows");
    G->SetCells(4, 6, "another long text in the last column");
    std::vector<std::string> Log;
    G->OnColumnSize = [&](TObject*, Integer C, bool&) { Log.push_back("size " + std::to_string(C)); };
    G->OnEndColumnSize = [&](TObject*, Integer C) { Log.push_back("end " + std::to_string(C)); };
    Integer DblClicks = 0;
    G->OnDblClick = [&](TObject*) { ++DblClicks; };
    const Integer W2 = G->ColWidths(2);
    const TRect R2 = G->GetCellRect(2, 0);
    Log.clear();
    uitest::DoubleClick(G->Handle(), R2.Right - 2, 5);
    EXPECT_GT(G->ColWidths(2), W2 + 50);
    EXPECT_NE(std::find(Log.begin(), Log.end(), "end 2"), Log.end());
    EXPECT_EQ(DblClicks, 1);
    // Right of the last column, in a data row: the last column's border.
    const Integer W4 = G->ColWidths(4);
    const TRect R4 = G->GetCellRect(4, 0);
    ASSERT_LT(R4.Right + 3, G->ClientWidth());
    uitest::DoubleClick(G->Handle(), R4.Right + 2, Mid(1, 5).Y);
    EXPECT_GT(G->ColWidths(4), W4 + 50);
    // The left border of the first data column does not size the fixed column.
    const Integer W0 = G->ColWidths(0);
    const TRect R1 = G->GetCellRect(1, 0);
    uitest::DoubleClick(G->Handle(), R1.Left + 1, 5);
    EXPECT_EQ(G->ColWidths(0), W0);
    // A refused sizing leaves the width.
    G->OnColumnSize = [&](TObject*, Integer, bool& Allow) { Allow = false; };
    G->SetColWidths(2, 40);
    uitest::DoubleClick(G->Handle(), G->GetCellRect(2, 0).Right - 2, 5);
    EXPECT_EQ(G->ColWidths(2), 40);
}

TEST_F(MouseMoveTest, DoubleClickOnACellReportsItAndOpensTheEditorWhenAsked)
{
    std::vector<std::string> Log;
    G->OnDblClick = [&](TObject*) { Log.push_back("dbl"); };
    G->OnDblClickCell = [&](TObject*, Integer R, Integer C) {
        Log.push_back("cell " + std::to_string(C) + "," + std::to_string(R));
    };
    G->MouseActions()->SetEditOnDblClickOnly(true);
    const TPoint P = Mid(3, 4);
    uitest::DoubleClick(G->Handle(), P.X, P.Y);
    EXPECT_EQ(Log, (std::vector<std::string>{"dbl", "cell 3,4"}));
    EXPECT_TRUE(G->Options().Contains(goEditing));
    EXPECT_TRUE(G->EditorMode());
}

TEST_F(MouseMoveTest, RightButtonSelectsTheCellAndKeepsMarksForTheMenu)
{
    G->MouseActions()->SelectOnRightClick = true;
    std::vector<std::string> Log;
    G->OnRightClickCell = [&](TObject*, Integer R, Integer C) {
        Log.push_back(std::to_string(C) + "," + std::to_string(R));
    };
    auto RightPress = [&](Integer C, Integer R) {
        const TPoint P = Mid(C, R);
        ::SendMessage(G->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(P.X, P.Y));
        uitest::PumpUntilIdle();
    };
    RightPress(3, 4);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 4);
    RightPress(0, 2); // a fixed cell is reported, not selected
    EXPECT_EQ(G->Row(), 4);
    EXPECT_EQ(Log, (std::vector<std::string>{"3,4", "0,2"}));

    // Disjunct rows: with a menu, a right press inside the marks keeps them all.
    G->SetOptions(G->Options() + TGridOptions{goRowSelect} - TGridOptions{goEditing});
    G->MouseActions()->SetDisjunctRowSelect(true);
    auto Marked = [&] {
        std::vector<Integer> M;
        for (Integer R = 0; R < G->RowCount(); ++R)
            if (G->GetRowSelect(R))
                M.push_back(R);
        return M;
    };
    auto Mark = [&](std::vector<Integer> Rows) {
        G->ClearRowSelect();
        for (Integer R : Rows)
            G->SetRowSelect(R, true);
    };
    auto* Menu = New<TPopupMenu>(Form);
    G->SetPopupMenu(Menu);
    Mark({2, 4, 6});
    RightPress(2, 4);
    EXPECT_EQ(Marked(), (std::vector<Integer>{2, 4, 6}));
    RightPress(2, 5);
    EXPECT_EQ(Marked(), std::vector<Integer>{5});
    // Without a menu only the pressed row stays marked.
    G->SetPopupMenu(nullptr);
    Mark({2, 4, 6});
    RightPress(2, 4);
    EXPECT_EQ(Marked(), std::vector<Integer>{4});
}

TEST_F(MouseMoveTest, ColumnMovesCarryCellsWidthsSortColumnsAndTheCurrentColumn)
{
    G->SetColWidths(1, 91);
    G->SetColors(1, 3, clRed);
    struct Case {
        Integer From, To, SortCol, SortAfter, Cur, CurAfter;
    };
    // Every column between the two ends shifts by one towards From; the one at To too.
    const Case Cases[] = {
        {1, 3, 2, 1, 2, 1}, {1, 3, 3, 2, 3, 2}, {1, 3, 1, 3, 1, 3},
        {3, 1, 1, 2, 1, 2}, {3, 1, 3, 1, 3, 1}, {3, 1, 4, 4, 4, 4},
    };
    for (const Case& K : Cases) {
        TForm* F = gridtest::NewForm();
        TDidAririzEvar* H = gridtest::NewShownGrid(F, 5, 10);
        for (Integer C = 1; C < 5; ++C)
            H->SetCells(C, 2, "c" + std::to_string(C));
        H->SetColWidths(K.From, 91);
        H->SetColors(K.From, 3, clRed);
        H->SortSettings()->Column = K.SortCol;
        H->SortSettings()->IndexShow = true;
        H->SortSettings()->SortIndexes.AddIndex(K.SortCol, false);
        H->SetCol(K.Cur);
        H->MoveColumn(K.From, K.To);
        const std::string Where = std::to_string(K.From) + "->" + std::to_string(K.To);
        EXPECT_EQ(H->Cells(K.To, 2), "c" + std::to_string(K.From)) << Where;
        EXPECT_EQ(H->ColWidths(K.To), 91) << Where;
        EXPECT_EQ(H->GetColors(K.To, 3), clRed) << Where;
        EXPECT_EQ(H->SortSettings()->Column, K.SortAfter) << Where << " sort " << K.SortCol;
        EXPECT_EQ(H->SortSettings()->SortIndexes.GetSortColumns(0), K.SortAfter) << Where;
        EXPECT_FALSE(H->SortSettings()->SortIndexes.GetSortDirections(0)) << "the direction stays";
        EXPECT_EQ(H->Col(), K.CurAfter) << Where << " current " << K.Cur;
        F->Free();
    }
}

TEST_F(MouseMoveTest, RowMovesCarryHeightsAndReportOnceEverythingMoved)
{
    G->SetRowHeights(2, 40);
    G->SetColors(1, 2, clRed);
    Integer Reports = 0, HeightSeen = 0;
    G->OnRowMoved = [&](TObject*, Integer From, Integer To) {
        ++Reports;
        EXPECT_EQ(From, 2);
        EXPECT_EQ(To, 5);
        HeightSeen = G->RowHeights(5);
    };
    G->MoveRow(2, 5);
    EXPECT_EQ(Reports, 1);
    EXPECT_EQ(HeightSeen, 40);
    EXPECT_EQ(G->Cells(1, 5), "1:2");
    EXPECT_EQ(G->GetColors(1, 5), clRed);
    EXPECT_EQ(G->RowHeights(2), G->DefaultRowHeight());
}

TEST_F(MouseMoveTest, RightReleaseDuringAnEnhancedMoveShowsNoMenu)
{
    G->SetOptions(G->Options() + TGridOptions{goColMoving});
    Integer Popups = 0;
    G->OnContextPopup = [&](TObject*, const TPoint&, bool& Handled) {
        ++Popups;
        Handled = true;
    };
    const TPoint H = Mid(2, 0);
    uitest::MouseDown(G->Handle(), H.X, H.Y);
    ASSERT_EQ(G->GridState(), gsColMoving);
    Screen->SetCursor(crDrag);
    ::SendMessage(G->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(H.X, H.Y));
    uitest::PumpUntilIdle();
    EXPECT_EQ(Popups, 0);
    Screen->SetCursor(crDefault);
    uitest::MouseUp(G->Handle(), H.X, H.Y);
    ::SendMessage(G->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(H.X, H.Y));
    uitest::PumpUntilIdle();
    EXPECT_EQ(Popups, 1);
}

TEST_F(MouseMoveTest, DisjunctCellsToggleWithCtrlAndStartOverWithAPlainClick)
{
    G->MouseActions()->SetDisjunctCellSelect(true);
    G->SetOptions(G->Options() - TGridOptions{goEditing});
    auto Click = [&](Integer C, Integer R, UINT Modifier = 0) {
        if (Modifier)
            uitest::KeyDown(Modifier);
        uitest::Click(G->Handle(), Mid(C, R).X, Mid(C, R).Y);
        if (Modifier)
            uitest::KeyUp(Modifier);
        uitest::AdvanceTime(1000); // never a double click
    };
    Click(2, 3);
    Click(3, 5, VK_CONTROL);
    EXPECT_TRUE(G->GetSelectedCells(2, 3));
    EXPECT_TRUE(G->GetSelectedCells(3, 5));
    Click(3, 5, VK_CONTROL); // twice: unselected
    EXPECT_FALSE(G->GetSelectedCells(3, 5));
    Click(4, 7);
    EXPECT_FALSE(G->GetSelectedCells(2, 3)) << "a plain click starts over";
    EXPECT_TRUE(G->GetSelectedCells(4, 7));
    // Space marks the current cell; a range joins the list once however often it is clicked.
    G->SetSelection(TGridRect{1, 1, 2, 2});
    uitest::PressKey(VK_SPACE);
    uitest::PressKey(VK_SPACE);
    EXPECT_TRUE(G->GetSelectedCells(2, 2));
    EXPECT_EQ(G->GetSelectedCellsCount(), 4) << "four cells, none twice";
}

TEST_F(MouseMoveTest, SizingLetGoOutsideTheGridChangesNothing)
{
    G->SetOptions(G->Options() + TGridOptions{goColSizing});
    G->SetColCount(8);
    uitest::PumpUntilIdle();
    const Integer W = G->ColWidths(7);
    const TRect R = G->GetCellRect(7, 0);
    ASSERT_LT(R.Right, G->Width());
    uitest::MouseDown(G->Handle(), R.Right - 1, 5);
    MoveTo(G->Width() + 30, 5);
    uitest::MouseUp(G->Handle(), G->Width() + 30, 5);
    EXPECT_EQ(G->ColWidths(7), W);
    EXPECT_EQ(G->GridState(), gsNormal);
}

TEST_F(MouseMoveTest, MovingKeysEndTheIncrementalSearchTextButHomeDoesNot)
{
    G->SetOptions(G->Options() - TGridOptions{goEditing});
    G->SetFocus();
    uitest::PumpUntilIdle();
    G->AddLookupKey('a');
    uitest::PressKey(VK_HOME);
    EXPECT_EQ(G->LookupBuffer(), "a");
    uitest::PressKey(VK_END);
    EXPECT_EQ(G->LookupBuffer(), "");
}

} // namespace
