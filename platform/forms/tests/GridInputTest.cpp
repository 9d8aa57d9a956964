// The grid driven as a person does: keys, clicks and drags, the auto-scroll timer, sizing and
// moving with the mouse, and editing a cell in place.

#include "FormsTestSupport.h"

#include "platform/forms/Grids.h"

using uitest::AdvanceTime;
using uitest::Click;
using uitest::Drag;
using uitest::ksCtrl;
using uitest::ksShift;
using uitest::MouseDown;
using uitest::MouseUp;
using uitest::MoveMouse;
using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class GridInputTest : public FormsTest {
protected:
    // A focused borderless 10 x 100 grid without scroll bars: client 400 x 300, columns of 64 + 1
    // line, rows of 24 + 1 line; the cell (c, r) is centred at (65c + 32, 25r + 12) when not scrolled.
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Grid", 500, 400);
        Grid = Add<TStringGrid>(Form, "Grid", 0, 0, 400, 300);
        Grid->SetBorderStyle(bsNone);
        Grid->SetScrollBars(ssNone);
        Grid->SetColCount(10);
        Grid->SetRowCount(100);
        Form->Show();
        PumpUntilIdle();
        ASSERT_TRUE(Grid->Focused());
        H = Grid->Handle();
    }
    static int X(Integer Col) { return 65 * Col + 32; }
    // Lets the double-click time run out, so that the next press is a press of its own.
    static void Pause() { AdvanceTime(GetDoubleClickTime() + 1); }
    static int Y(Integer Row) { return 25 * Row + 12; }
    TGridCoord Current() const { return {Grid->Col(), Grid->Row()}; }

    TForm* Form = nullptr;
    TStringGrid* Grid = nullptr;
    HWND H = nullptr;
};

} // namespace

TEST_F(GridInputTest, KeysMoveTheCurrentCellAndScroll)
{
    struct Step {
        UINT Key;
        unsigned Shift;
        TGridCoord Expected;
        Integer TopRow, LeftCol;
    };
    const Step Steps[] = {
        {VK_DOWN, 0, {1, 2}, 1, 1},         {VK_RIGHT, 0, {2, 2}, 1, 1},
        {VK_UP, 0, {2, 1}, 1, 1},           {VK_UP, 0, {2, 1}, 1, 1}, // stops at the fixed row
        {VK_END, 0, {9, 1}, 1, 5},          {VK_HOME, 0, {1, 1}, 1, 1},
        {VK_NEXT, 0, {1, 11}, 11, 1}, // a page is the visible rows less one
        {VK_NEXT, 0, {1, 21}, 21, 1},       {VK_PRIOR, 0, {1, 11}, 11, 1},
        {VK_END, ksCtrl, {9, 99}, 89, 5},   {VK_DOWN, 0, {9, 99}, 89, 5},
        {VK_PRIOR, ksCtrl, {9, 89}, 89, 5}, // top of the page
        {VK_NEXT, ksCtrl, {9, 99}, 89, 5},  // bottom of the page
        {VK_UP, ksCtrl, {9, 99}, 88, 5},    // scrolls without moving the current cell
        {VK_HOME, ksCtrl, {1, 1}, 1, 1},    {VK_TAB, 0, {1, 1}, 1, 1}, // without goTabs Tab leaves the grid
    };
    for (const Step& S : Steps) {
        Grid->SetFocus();
        PressKey(S.Key, S.Shift);
        SCOPED_TRACE("key " + std::to_string(S.Key));
        EXPECT_EQ(Current(), S.Expected);
        EXPECT_EQ(Grid->TopRow(), S.TopRow);
        EXPECT_EQ(Grid->LeftCol(), S.LeftCol);
    }
}

TEST_F(GridInputTest, TabWithGoTabsWalksTheCellsAndWraps)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goTabs});
    Grid->SetCol(8);
    PressKey(VK_TAB);
    EXPECT_EQ(Current(), (TGridCoord{9, 1}));
    PressKey(VK_TAB);
    EXPECT_EQ(Current(), (TGridCoord{1, 2})) << "past the last column the next row";
    PressKey(VK_TAB, ksShift);
    EXPECT_EQ(Current(), (TGridCoord{9, 1}));
    EXPECT_TRUE(Grid->Focused());
}

TEST_F(GridInputTest, ShiftExtendsTheSelectionAndSelectCellCanRefuse)
{
    PressKey(VK_DOWN, ksShift);
    PressKey(VK_DOWN, ksShift);
    PressKey(VK_RIGHT, ksShift);
    EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 2, 3})) << "anchor first, then the moving end";
    PressKey(VK_DOWN);
    EXPECT_EQ(Grid->Selection(), (TGridRect{2, 4, 2, 4}));

    // Without goRangeSelect Shift only moves.
    Grid->SetOptions(Grid->Options() - TGridOptions{goRangeSelect});
    PressKey(VK_DOWN, ksShift);
    EXPECT_EQ(Grid->Selection(), (TGridRect{2, 5, 2, 5}));

    // A refused cell keeps the old one, for keys and clicks alike.
    std::vector<TGridCoord> Asked;
    Grid->OnSelectCell = [&](TObject*, Integer C, Integer R, bool& Can) {
        Asked.push_back({C, R});
        Can = C != 3;
    };
    PressKey(VK_RIGHT);
    EXPECT_EQ(Current(), (TGridCoord{2, 5}));
    Click(H, X(3), Y(2));
    EXPECT_EQ(Current(), (TGridCoord{2, 5}));
    Click(H, X(4), Y(2));
    EXPECT_EQ(Current(), (TGridCoord{4, 2}));
    ASSERT_GE(Asked.size(), 3u);
    EXPECT_EQ(Asked.front(), (TGridCoord{3, 5}));
    EXPECT_EQ(Asked[1], (TGridCoord{3, 2}));
    EXPECT_EQ(Asked.back(), (TGridCoord{4, 2}));
}

TEST_F(GridInputTest, MouseSelectsCellsAndRanges)
{
    int Clicks = 0;
    Grid->OnClick = [&](TObject*) { ++Clicks; };
    Click(H, X(2), Y(3));
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Grid->GridState(), gsNormal);

    // Dragging moves the far end; the current cell stays where the press was. The selection
    // reads as after keys: the fixed end at Left/Top, the moving end at Right/Bottom.
    Pause();
    Drag(H, X(2), Y(3), X(4), Y(6));
    EXPECT_EQ(Current(), (TGridCoord{2, 3}));
    EXPECT_EQ(Grid->Selection(), (TGridRect{2, 3, 4, 6}));
    EXPECT_EQ(Grid->GridState(), gsNormal);

    // Shift+click extends from the current cell.
    uitest::KeyDown(VK_SHIFT);
    Pause();
    Click(H, X(1), Y(1));
    uitest::KeyUp(VK_SHIFT);
    EXPECT_EQ(Grid->Selection(), (TGridRect{2, 3, 1, 1}));
    // Shift+keys go on from there with the current cell as the moving end.
    PressKey(VK_DOWN, ksShift);
    EXPECT_EQ(Grid->Selection(), (TGridRect{1, 1, 2, 4}));
    EXPECT_EQ(Current(), (TGridCoord{2, 4}));

    // Clicking fixed cells selects nothing.
    Pause();
    Click(H, X(0), Y(5));
    Click(H, X(5), Y(0));
    EXPECT_EQ(Current(), (TGridCoord{2, 4}));
}

TEST_F(GridInputTest, SelectingPastTheEdgeScrollsOnTimerOne)
{
    uitest::MessageRecorder Rec;
    Rec.Watch(H);
    MouseDown(H, X(1), Y(10));
    EXPECT_EQ(Grid->GridState(), gsSelecting);
    MoveMouse(H, X(1), 330); // below the grid, mouse held
    AdvanceTime(60 * 10);
    EXPECT_GT(Grid->TopRow(), 5) << "each tick scrolled one row";
    EXPECT_GT(Grid->Selection().Bottom, 15) << "the far end follows";
    EXPECT_EQ(Grid->Selection().Top, 10);
    const Integer Top = Grid->TopRow();
    MouseUp(H, X(1), 330);
    EXPECT_EQ(Grid->GridState(), gsNormal);
    AdvanceTime(600);
    EXPECT_EQ(Grid->TopRow(), Top) << "the timer stopped with the release";
    bool TimerOne = false;
    for (const auto& M : Rec.Messages())
        TimerOne = TimerOne || (M.Msg == WM_TIMER && M.WParam == GridScrollTimerId);
    EXPECT_TRUE(TimerOne);
    EXPECT_EQ(Current(), (TGridCoord{1, 10}));

    // Cancel mode ends the selecting state and the timer.
    MouseDown(H, X(2), Y(2));
    SendMessage(H, WM_CANCELMODE, 0, 0);
    EXPECT_EQ(Grid->GridState(), gsNormal);
    MouseUp(H, X(2), Y(2));
}

TEST_F(GridInputTest, DraggingALineSizesAColumnOrARow)
{
    std::vector<std::string> Log;
    struct TLoggingGrid : TStringGrid {
        using TStringGrid::TStringGrid;
        std::vector<std::string>* Log = nullptr;
        void ColWidthsChanged() override
        {
            Log->push_back("cols " + std::to_string(ColWidths(1)));
            TStringGrid::ColWidthsChanged();
        }
    };
    auto* G = Add<TLoggingGrid>(Form, "Sized", 0, 0, 400, 300);
    G->Log = &Log;
    G->SetBorderStyle(bsNone);
    G->SetScrollBars(ssNone);
    G->BringToFront();
    PumpUntilIdle();
    const HWND W = G->Handle();

    // No sizing without the option.
    Drag(W, 129, 10, 159, 10);
    EXPECT_EQ(G->ColWidths(1), 64);

    G->SetOptions(G->Options() + TGridOptions{goColSizing, goRowSizing});
    Pause();
    MoveMouse(W, 130, 10); // the zone around the line after column 1
    EXPECT_EQ(GetCursor(), Screen->Cursors(crHSplit));
    MoveMouse(W, 130, 60);
    EXPECT_NE(GetCursor(), Screen->Cursors(crHSplit)) << "no sizing zone among the scrolled cells";
    MouseDown(W, 130, 10);
    EXPECT_EQ(G->GridState(), gsColSizing);
    MoveMouse(W, 150, 10);
    MoveMouse(W, 170, 10);
    MouseUp(W, 170, 10);
    EXPECT_EQ(G->ColWidths(1), 64 + 40);
    EXPECT_EQ(G->GridState(), gsNormal);
    EXPECT_EQ(Log, (std::vector<std::string>{"cols 104"}));
    EXPECT_EQ(G->CellRect(2, 1).Left, 65 + 105);

    Pause();
    Drag(W, 10, 49, 10, 39); // the line after row 1, upwards
    EXPECT_EQ(G->RowHeights(1), 14);

    // A drag inside the scrolled cells does not size.
    Pause();
    Drag(W, 129 + 40, 60, 200, 60);
    EXPECT_EQ(G->ColWidths(1), 104);
}

TEST_F(GridInputTest, DraggingAFixedCellMovesARowWithItsData)
{
    for (Integer R = 0; R < 10; ++R)
        Grid->SetCells(1, R, "r" + std::to_string(R));
    std::vector<std::pair<Integer, Integer>> Moved;
    Grid->OnRowMoved = [&](TObject*, Integer F, Integer T) { Moved.push_back({F, T}); };

    Drag(H, 20, Y(2), 20, Y(5)); // without goRowMoving nothing moves
    EXPECT_TRUE(Moved.empty());

    Grid->SetOptions(Grid->Options() + TGridOptions{goRowMoving, goColMoving});
    Pause();
    MouseDown(H, 20, Y(2));
    EXPECT_EQ(Grid->GridState(), gsRowMoving);
    MoveMouse(H, 20, Y(4));
    MoveMouse(H, 20, Y(5));
    MouseUp(H, 20, Y(5));
    EXPECT_EQ(Grid->GridState(), gsNormal);
    EXPECT_EQ(Moved, (std::vector<std::pair<Integer, Integer>>{{2, 5}}));
    const std::vector<std::string> Expected = {"r0", "r1", "r3", "r4", "r5", "r2", "r6"};
    for (Integer R = 0; R < 7; ++R)
        EXPECT_EQ(Grid->Cells(1, R), Expected[R]) << R;

    // Columns move the same way from the fixed row.
    Grid->SetCells(3, 0, "c3");
    std::vector<std::pair<Integer, Integer>> ColMoves;
    Grid->OnColumnMoved = [&](TObject*, Integer F, Integer T) { ColMoves.push_back({F, T}); };
    Pause();
    Drag(H, X(3), 10, X(1), 10);
    EXPECT_EQ(ColMoves, (std::vector<std::pair<Integer, Integer>>{{3, 1}}));
    EXPECT_EQ(Grid->Cells(1, 0), "c3");
    EXPECT_EQ(Grid->Cells(2, 4), "r5") << "the old column 1 moved one to the right";
}

TEST_F(GridInputTest, EditingCommitsWithEnterAndEscapeRestores)
{
    Grid->SetCells(1, 1, "old");
    Grid->SetCells(2, 1, "keep");
    std::vector<std::string> Written;
    Grid->OnSetEditText = [&](TObject*, Integer C, Integer R, const AnsiString& V) {
        Written.push_back(std::to_string(C) + "," + std::to_string(R) + "=" + V);
    };

    // Without goEditing neither F2 nor typing opens an editor.
    PressKey(VK_F2);
    TypeText("x");
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Grid->InplaceEditor(), nullptr);

    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    PressKey(VK_F2);
    ASSERT_TRUE(Grid->EditorMode());
    TInplaceEdit* E = Grid->InplaceEditor();
    ASSERT_NE(E, nullptr);
    EXPECT_TRUE(E->Visible());
    EXPECT_TRUE(E->Focused());
    EXPECT_EQ(E->Text(), "old");
    EXPECT_EQ(E->BoundsRect(), Grid->CellRect(1, 1));
    EXPECT_EQ(Form->ActiveControl(), Grid) << "the form keeps the grid as its focused control";
    TypeText("er");
    EXPECT_EQ(Grid->Cells(1, 1), "old") << "nothing is written while typing";
    PressKey(VK_RETURN);
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_FALSE(E->Visible());
    EXPECT_TRUE(Grid->Focused());
    EXPECT_EQ(Grid->Cells(1, 1), "older");
    EXPECT_EQ(Written, (std::vector<std::string>{"1,1=older"}));

    // Typing on a cell replaces its text; Esc goes back to the cell's text.
    Written.clear();
    PressKey(VK_RIGHT);
    TypeText("new");
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(E->Text(), "new");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(E->Text(), "keep");
    EXPECT_EQ(E->SelLength(), 4) << "the restored text is selected";
    PressKey(VK_RETURN);
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Grid->Cells(2, 1), "keep");
    EXPECT_TRUE(Written.empty()) << "an unmodified editor writes nothing back";

    // Enter opens the editor with the text selected; moving to another cell commits the edit.
    PressKey(VK_RETURN);
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(E->SelLength(), 4);
    TypeText("z");
    PressKey(VK_DOWN);
    EXPECT_EQ(Current(), (TGridCoord{2, 2}));
    EXPECT_EQ(Grid->Cells(2, 1), "z");
    EXPECT_FALSE(E->Visible());

    // A click on the current cell opens the editor there.
    Pause();
    Click(H, X(2), Y(2));
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_EQ(E->BoundsRect(), Grid->CellRect(2, 2));
    // Clicking another cell while editing commits too.
    TypeText("q");
    Pause();
    Click(H, X(3), Y(3));
    EXPECT_EQ(Current(), (TGridCoord{3, 3}));
    EXPECT_EQ(Grid->Cells(2, 2), "q");
    EXPECT_TRUE(Grid->Focused());
}

TEST_F(GridInputTest, TheCellsEditMaskHoldsWhatIsTyped)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    Grid->OnGetEditMask = [](TObject*, Integer ACol, Integer, AnsiString& Value) {
        if (ACol == 1)
            Value = "00:00;1;_";
    };
    uitest::ClearRecords();
    TypeText("12x34"); // the letter has no place in the mask
    TInplaceEdit* E = Grid->InplaceEditor();
    ASSERT_NE(E, nullptr);
    EXPECT_EQ(E->EditMask(), "00:00;1;_");
    EXPECT_EQ(E->EditText(), "12:34");
    EXPECT_EQ(uitest::Beeps().size(), 1u);
    PressKey(VK_RETURN);
    EXPECT_EQ(Grid->Cells(1, 1), "12:34");

    // A half-filled time keeps its blanks; a cell without a mask takes any text.
    PressKey(VK_RETURN);
    TypeText("7");
    EXPECT_EQ(E->EditText(), "7_:__");
    PressKey(VK_RETURN);
    EXPECT_EQ(Grid->Cells(1, 1), "7 :  ");
    PressKey(VK_RIGHT);
    TypeText("x");
    EXPECT_EQ(Current(), (TGridCoord{2, 1}));
    EXPECT_EQ(E->EditMask(), "");
    EXPECT_EQ(E->Text(), "x");
}

TEST_F(GridInputTest, EditorFollowsScrollingAndLeavesWithTheFocus)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    auto* Other = Add<TTestBox>(Form, "Other", 420, 10, 60, 24);
    Grid->SetCells(1, 1, "a");
    PressKey(VK_F2);
    TInplaceEdit* E = Grid->InplaceEditor();
    ASSERT_NE(E, nullptr);
    TypeText("b");
    // Focus elsewhere commits and hides.
    Other->SetFocus();
    PumpUntilIdle();
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_FALSE(E->Visible());
    EXPECT_EQ(Grid->Cells(1, 1), "ab");

    // With goAlwaysShowEditor the editor is there as soon as the grid has the focus, and it
    // moves with the current cell.
    Grid->SetOptions(Grid->Options() + TGridOptions{goAlwaysShowEditor});
    Grid->SetFocus();
    PumpUntilIdle();
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_TRUE(E->Visible());
    PressKey(VK_DOWN);
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(E->BoundsRect(), Grid->CellRect(1, 2));
    Grid->SetTopRow(50);
    EXPECT_FALSE(E->Visible()) << "the current cell scrolled out of view";
    Grid->SetTopRow(2);
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(E->BoundsRect(), Grid->CellRect(1, 2));
}

TEST_F(GridInputTest, WheelMovesTheCurrentRow)
{
    uitest::Wheel(H, X(1), Y(1), -120);
    EXPECT_EQ(Grid->Row(), 2);
    uitest::Wheel(H, X(1), Y(1), 120);
    uitest::Wheel(H, X(1), Y(1), 120);
    EXPECT_EQ(Grid->Row(), 1);
}
