// The string grid as a grid built on it sees it: a probe overrides its virtuals the way the
// feature-rich grid does (moving widths, heights and the current column in its move handlers,
// refusing the text editor for other editor kinds, running a timer of its own) and logs what
// the base calls, so that each test shows whether the base and the override step on each other.

#include "FormsTestSupport.h"

#include "platform/forms/Grids.h"

#include <algorithm>
#include <string>
#include <vector>

using uitest::AdvanceTime;
using uitest::Drag;
using uitest::MouseDown;
using uitest::MouseUp;
using uitest::MoveMouse;
using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

using Pair = std::pair<Integer, Integer>;

class TProbeGrid : public TStringGrid {
public:
    using TCustomGrid::DeleteRows;
    using TCustomGrid::ExchangeRows;
    using TCustomGrid::MoveColRow;
    using TCustomGrid::MoveColumn;
    using TCustomGrid::MoveRow;
    using TStringGrid::TStringGrid;

    // The move handlers carry widths, heights and the current column along, as the
    // feature-rich grid's do; off, the probe is a plain string grid.
    bool CarryAlong = true;
    // CanEditShow refuses: the cell's editor is not the text editor (a check box, a button, a
    // drop-down of its own).
    bool NoTextEditor = false;
    std::vector<std::string> Typed;
    std::vector<WPARAM> ForeignTimers;
    std::vector<Pair> Scales;

    void DefaultHandler(TMessage& Message) override
    {
        if (Message.Msg == WM_TIMER)
            ForeignTimers.push_back(Message.WParam);
        TStringGrid::DefaultHandler(Message);
    }
    void ChangeScale(Integer M, Integer D) override
    {
        Scales.push_back({M, D});
        TStringGrid::ChangeScale(M, D);
    }

protected:
    static Integer Follow(Integer X, Integer From, Integer To)
    {
        if (X == From)
            return To;
        if (From < To && X > From && X <= To)
            return X - 1;
        if (From > To && X >= To && X < From)
            return X + 1;
        return X;
    }
    void ColumnMoved(Integer From, Integer To) override
    {
        if (CarryAlong) {
            std::vector<Integer> W;
            for (Integer I = 0; I < ColCount(); ++I)
                W.push_back(ColWidths(I));
            for (Integer I = 0; I < ColCount(); ++I)
                SetColWidths(Follow(I, From, To), W[I]);
        }
        TStringGrid::ColumnMoved(From, To);
        if (CarryAlong && Follow(Col(), From, To) != Col())
            SetCol(Follow(Col(), From, To));
    }
    void RowMoved(Integer From, Integer To) override
    {
        if (CarryAlong) {
            std::vector<Integer> H;
            for (Integer I = 0; I < RowCount(); ++I)
                H.push_back(RowHeights(I));
            for (Integer I = 0; I < RowCount(); ++I)
                SetRowHeights(Follow(I, From, To), H[I]);
        }
        TStringGrid::RowMoved(From, To);
    }
    bool CanEditShow() override { return !NoTextEditor && TStringGrid::CanEditShow(); }
    void KeyPress(WideChar& Key) override
    {
        Typed.push_back(std::string(1, static_cast<char>(Key)));
        TStringGrid::KeyPress(Key);
    }
};

class GridOverrideTest : public FormsTest {
protected:
    // A focused borderless 10 x 100 grid without scroll bars: client 400 x 300, columns of 64 + 1
    // line, rows of 24 + 1 line.
    void SetUp() override
    {
        FormsTest::SetUp();
        MakeGrid();
    }
    // A fresh form and grid (the cases of a table each start from one).
    void MakeGrid()
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
        Form = MakeForm("Probe", 500, 400);
        Grid = Add<TProbeGrid>(Form, "Grid", 0, 0, 400, 300);
        Grid->SetBorderStyle(bsNone);
        Grid->SetScrollBars(ssNone);
        Grid->SetColCount(10);
        Grid->SetRowCount(100);
        Form->Show();
        PumpUntilIdle();
        ASSERT_TRUE(Grid->Focused());
        H = Grid->Handle();
    }
    TGridCoord Current() const { return {Grid->Col(), Grid->Row()}; }
    static void Pause() { AdvanceTime(GetDoubleClickTime() + 1); }

    TForm* Form = nullptr;
    TProbeGrid* Grid = nullptr;
    HWND H = nullptr;
};

} // namespace

// ---- Moves ---------------------------------------------------------------------------------------

// Column 1 (100 wide) goes to 3 while column 2 is current, by a header drag and by a call. The
// base moves only the cells; the handler's widths and current column must then land once.
TEST_F(GridOverrideTest, AColumnMoveAdjustsWidthsAndTheCurrentColumnOnce)
{
    struct Case {
        const char* Name;
        bool CarryAlong, ByMouse;
        Integer Col, Width1, Width3;
    };
    const Case Cases[] = {
        {"handler, header drag", true, true, 1, 64, 100},
        {"handler, MoveColumn", true, false, 1, 64, 100},
        // Without the handler's share nothing but the cells moves: widths and the current
        // column stay by position.
        {"plain grid", false, false, 2, 100, 64},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        MakeGrid();
        Grid->CarryAlong = C.CarryAlong;
        Grid->SetOptions(Grid->Options() + TGridOptions{goColMoving});
        for (Integer I = 1; I <= 3; ++I)
            Grid->SetCells(I, 5, "c" + std::to_string(I));
        Grid->SetColWidths(1, 100); // columns: 1 at 65..164, 2 at 166..229, 3 at 231..294
        Grid->SetCol(2);
        std::vector<Pair> Events;
        Grid->OnColumnMoved = [&](TObject*, Integer F, Integer T) { Events.push_back({F, T}); };
        if (C.ByMouse)
            Drag(H, 115, 10, 262, 10);
        else
            Grid->MoveColumn(1, 3);
        EXPECT_EQ(Events, (std::vector<Pair>{{1, 3}}));
        EXPECT_EQ(Grid->Cells(1, 5), "c2");
        EXPECT_EQ(Grid->Cells(2, 5), "c3");
        EXPECT_EQ(Grid->Cells(3, 5), "c1");
        EXPECT_EQ(Grid->Col(), C.Col);
        EXPECT_EQ(Grid->ColWidths(1), C.Width1);
        EXPECT_EQ(Grid->ColWidths(2), 64);
        EXPECT_EQ(Grid->ColWidths(3), C.Width3);
        EXPECT_EQ(Grid->GridState(), gsNormal);
        Pause();
    }
}

// Row 2 (40 high) goes to 5 while row 3 is current: the base moves the current row with its
// data, the handler the heights; each once.
TEST_F(GridOverrideTest, ARowMoveAdjustsHeightsAndTheCurrentRowOnce)
{
    for (bool ByMouse : {true, false}) {
        SCOPED_TRACE(ByMouse ? "fixed-column drag" : "MoveRow");
        MakeGrid();
        Grid->SetOptions(Grid->Options() + TGridOptions{goRowMoving});
        for (Integer R = 0; R < 7; ++R)
            Grid->SetCells(1, R, "r" + std::to_string(R));
        Grid->SetRowHeights(2, 40); // rows: 2 at 50..89, 5 at 141..164
        Grid->SetRow(3);
        if (ByMouse)
            Drag(H, 20, 70, 20, 152);
        else
            Grid->MoveRow(2, 5);
        const std::vector<std::string> Expected = {"r0", "r1", "r3", "r4", "r5", "r2", "r6"};
        for (Integer R = 0; R < 7; ++R)
            EXPECT_EQ(Grid->Cells(1, R), Expected[R]) << R;
        EXPECT_EQ(Grid->Row(), 2) << "the current row stays on r3";
        EXPECT_EQ(Grid->RowHeights(5), 40);
        EXPECT_EQ(Grid->RowHeights(2), 24);
        EXPECT_EQ(Grid->RowHeights(4), 24);
        Pause();
    }
}

// ---- Exchanging and deleting rows ----------------------------------------------------------------------

TEST_F(GridOverrideTest, ExchangeAndBulkDeleteCarryTextsObjectsAndHeights)
{
    Grid->SetColCount(3);
    Grid->SetRowCount(10);
    TObject Tag;
    for (Integer R = 0; R < 10; ++R)
        Grid->SetCells(1, R, "r" + std::to_string(R));
    Grid->SetObjects(1, 2, &Tag);
    Grid->SetCells(5, 2, "beyond"); // a column past ColCount travels with its row
    Grid->SetRowHeights(2, 40);
    Grid->SetRow(7);
    int Events = 0;
    Grid->OnRowMoved = [&](TObject*, Integer, Integer) { ++Events; };
    auto Column = [&](Integer From, Integer To) {
        std::vector<std::string> V;
        for (Integer R = From; R < To; ++R)
            V.push_back(Grid->Cells(1, R));
        return V;
    };

    Grid->ExchangeRows(2, 8);
    EXPECT_EQ(Grid->Cells(1, 2), "r8");
    EXPECT_EQ(Grid->Cells(1, 8), "r2");
    EXPECT_EQ(Grid->Objects(1, 8), &Tag);
    EXPECT_EQ(Grid->Objects(1, 2), nullptr);
    EXPECT_EQ(Grid->Cells(5, 8), "beyond");
    EXPECT_EQ(Grid->RowHeights(8), 40);
    EXPECT_EQ(Grid->RowHeights(2), 24);
    EXPECT_EQ(Grid->Row(), 7) << "an exchange leaves the current row where it is";

    // Rows 3..6 go at once: the rows below move up with their heights, the current row with
    // its data, and the removed rows wait past the count in their order.
    Grid->DeleteRows(3, 4);
    EXPECT_EQ(Grid->RowCount(), 6);
    EXPECT_EQ(Column(0, 10),
              (std::vector<std::string>{"r0", "r1", "r8", "r7", "r2", "r9", "r3", "r4", "r5", "r6"}));
    EXPECT_EQ(Grid->RowHeights(4), 40);
    EXPECT_EQ(Grid->RowHeights(2), 24);
    EXPECT_EQ(Grid->Cells(5, 4), "beyond");
    EXPECT_EQ(Grid->Row(), 3);

    // A current row inside the run goes to the row that takes its place.
    Grid->SetRow(2);
    Grid->DeleteRows(2, 2);
    EXPECT_EQ(Column(0, 4), (std::vector<std::string>{"r0", "r1", "r2", "r9"}));
    EXPECT_EQ(Grid->Row(), 2);
    EXPECT_EQ(Events, 0) << "neither announces row moves";

    // Refused requests change nothing.
    EXPECT_THROW(Grid->DeleteRows(3, 2), EInvalidGridOperation);
    EXPECT_THROW(Grid->DeleteRows(-1, 1), EInvalidGridOperation);
    EXPECT_THROW(Grid->DeleteRows(0, 4), EInvalidGridOperation) << "a grid keeps a row";
    EXPECT_THROW(Grid->ExchangeRows(1, 4), EInvalidGridOperation);
    EXPECT_EQ(Column(0, 4), (std::vector<std::string>{"r0", "r1", "r2", "r9"}));
    EXPECT_EQ(Grid->RowCount(), 4);
    Grid->DeleteRows(2, 0);
    EXPECT_EQ(Grid->RowCount(), 4);
}

// ---- Editor and painting ----------------------------------------------------------------------

// In editor mode the focused cell is the grid's to paint unless the text editor covers it.
TEST_F(GridOverrideTest, TheFocusedCellIsPaintedUnlessTheTextEditorIsShown)
{
    for (bool NoTextEditor : {true, false}) {
        SCOPED_TRACE(NoTextEditor ? "another editor kind" : "text editor");
        MakeGrid();
        Grid->NoTextEditor = NoTextEditor;
        Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
        Grid->ShowEditor();
        ASSERT_TRUE(Grid->EditorMode());
        const bool Shown = Grid->InplaceEditor() && Grid->InplaceEditor()->Visible();
        EXPECT_EQ(Shown, !NoTextEditor);
        std::vector<TGridCoord> Focused;
        Grid->OnDrawCell = [&](TObject*, Integer C, Integer R, TRect, TGridDrawState S) {
            if (S.Contains(gdFocused))
                Focused.push_back({C, R});
        };
        Grid->Repaint();
        EXPECT_EQ(Focused.size(), NoTextEditor ? 1u : 0u);
        if (NoTextEditor && !Focused.empty()) {
            EXPECT_EQ(Focused[0], (TGridCoord{1, 1}));
        }
        Grid->OnDrawCell = nullptr;
    }
}

TEST_F(GridOverrideTest, MoveColRowTakesAShownEditorAlong)
{
    Grid->SetCells(3, 4, "far");
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing, goAlwaysShowEditor});
    PumpUntilIdle();
    TInplaceEdit* E = Grid->InplaceEditor();
    ASSERT_NE(E, nullptr);
    ASSERT_TRUE(E->Visible());
    Grid->MoveColRow(3, 4, true, true);
    EXPECT_EQ(Current(), (TGridCoord{3, 4}));
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(E->BoundsRect(), Grid->CellRect(3, 4));
    EXPECT_EQ(E->Text(), "far");

    // A refused cell leaves cell and editor alone.
    Grid->OnSelectCell = [](TObject*, Integer, Integer, bool& Can) { Can = false; };
    Grid->MoveColRow(5, 5, true, true);
    EXPECT_EQ(Current(), (TGridCoord{3, 4}));
    EXPECT_EQ(E->BoundsRect(), Grid->CellRect(3, 4));
}

// ---- Fixed counts ---------------------------------------------------------------------------------

// Changing the fixed counts clamps the current cell and the view as a count change does,
// instead of sending them back to the fixed corner; a view that was not scrolled stays so.
TEST_F(GridOverrideTest, FixedCountsClampTheCurrentCellAndTheView)
{
    Grid->SetCol(3);
    Grid->SetRow(5);
    Grid->SetTopRow(4);
    struct Step {
        bool Rows;
        Integer Value;
        TGridCoord Current;
        Integer LeftCol, TopRow;
    };
    const Step Steps[] = {
        {true, 2, {3, 5}, 1, 4},  // inside the new scrollable area: nothing moves
        {false, 4, {4, 5}, 4, 4}, // the current column and the view leave the fixed columns
        {false, 0, {4, 5}, 0, 4}, // an unscrolled view stays unscrolled
        {true, 6, {4, 6}, 0, 6},  {true, 1, {4, 6}, 0, 1},
    };
    for (const Step& S : Steps) {
        SCOPED_TRACE(std::string(S.Rows ? "FixedRows " : "FixedCols ") + std::to_string(S.Value));
        if (S.Rows)
            Grid->SetFixedRows(S.Value);
        else
            Grid->SetFixedCols(S.Value);
        EXPECT_EQ(Current(), S.Current);
        EXPECT_EQ(Grid->Selection(), (TGridRect{S.Current.X, S.Current.Y, S.Current.X, S.Current.Y}));
        EXPECT_EQ(Grid->LeftCol(), S.LeftCol);
        EXPECT_EQ(Grid->TopRow(), S.TopRow);
    }
}

// ---- Row and column views --------------------------------------------------------------------------

TEST_F(GridOverrideTest, TextAssignedToAViewKeepsEmptyFields)
{
    Grid->SetColCount(5);
    Grid->SetRowCount(5);
    struct Case {
        bool Column;
        bool Comma;
        const char* Text;
        std::vector<std::string> Expected;
    };
    const Case Cases[] = {
        {false, true, "a,,c", {"a", "", "c", "", ""}},
        {true, false, "x\r\n\r\nz\r\n", {"x", "", "z", "", ""}},
        {false, true, ",,,,e", {"", "", "", "", "e"}},
        {true, true, "1,2,3,4,5,6,7", {"1", "2", "3", "4", "5"}}, // what does not fit is dropped
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Text);
        TStrings* View = C.Column ? Grid->Cols(2) : Grid->Rows(2);
        for (Integer I = 0; I < 5; ++I)
            View->Strings(I); // views start full of old texts
        View->SetCommaText("o,o,o,o,o");
        if (C.Comma)
            View->SetCommaText(C.Text);
        else
            View->SetText(C.Text);
        std::vector<std::string> Got;
        for (Integer I = 0; I < 5; ++I)
            Got.push_back(View->Strings(I));
        EXPECT_EQ(Got, C.Expected);
    }
    // Outside a refill Add still takes the first empty cell.
    Grid->Rows(2)->SetCommaText("a,,c");
    EXPECT_EQ(Grid->Rows(2)->Add("b"), 1);
}

// ---- Keys, timers and the smaller hooks -------------------------------------------------------------

TEST_F(GridOverrideTest, TheFirstTypedCharacterGoesThroughKeyPress)
{
    Grid->SetOptions(Grid->Options() + TGridOptions{goEditing});
    std::vector<std::string> Events;
    Grid->OnKeyPress = [&](TObject*, WideChar& Key) {
        Events.push_back(std::string(1, static_cast<char>(Key)));
        if (Key == u'a')
            Key = u'A';
        else if (Key == u'q')
            Key = 0;
    };
    std::string Previewed;
    Form->SetKeyPreview(true);
    Form->OnKeyPress = [&](TObject*, WideChar& Key) { Previewed += static_cast<char>(Key); };
    TypeText("q"); // swallowed: no editor
    EXPECT_FALSE(Grid->EditorMode());
    TypeText("ab");
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), "Ab") << "the event changed the first character";
    EXPECT_EQ(Events, (std::vector<std::string>{"q", "a", "b"})) << "each character once";
    EXPECT_EQ(Grid->Typed, (std::vector<std::string>{"q", "a", "b"}));
    EXPECT_EQ(Previewed, "qab") << "the form's preview too";
}

TEST_F(GridOverrideTest, APageKeyRefusedBySelectCellDoesNotScroll)
{
    Grid->OnSelectCell = [](TObject*, Integer, Integer R, bool& Can) { Can = R < 5; };
    PressKey(VK_NEXT);
    EXPECT_EQ(Current(), (TGridCoord{1, 1}));
    EXPECT_EQ(Grid->TopRow(), 1);
    Grid->OnSelectCell = nullptr;
    PressKey(VK_NEXT);
    EXPECT_EQ(Current(), (TGridCoord{1, 11}));
    EXPECT_EQ(Grid->TopRow(), 11);
}

// While selecting, only the auto-scroll timer scrolls; the grid's own timers pass on.
TEST_F(GridOverrideTest, OnlyTheAutoScrollTimerActsWhileSelecting)
{
    MouseDown(H, 65 + 32, 25 * 10 + 12);
    MoveMouse(H, 65 + 32, 330); // below the grid, button held
    ASSERT_EQ(Grid->GridState(), gsSelecting);
    const TGridRect Sel = Grid->Selection();
    const Integer Top = Grid->TopRow();
    for (int I = 0; I < 5; ++I)
        SendMessage(H, WM_TIMER, 111, 0);
    EXPECT_EQ(Grid->Selection(), Sel);
    EXPECT_EQ(Grid->TopRow(), Top);
    EXPECT_EQ(Grid->ForeignTimers, (std::vector<WPARAM>(5, 111))) << "passed on to the control";
    SendMessage(H, WM_TIMER, GridScrollTimerId, 0);
    EXPECT_EQ(Grid->Selection().Bottom, Sel.Bottom + 1);
    EXPECT_EQ(Grid->ForeignTimers.size(), 5u);
    MouseUp(H, 65 + 32, 330);
}

TEST_F(GridOverrideTest, ScaleByReachesChangeScaleAndOnContextPopupComesFirst)
{
    auto* Panel = Add<TTestPanel>(Form, "Panel", 0, 0, 300, 200);
    Grid->SetParent(Panel);
    Grid->SetBounds(10, 20, 200, 100);
    Panel->ScaleBy(3, 2);
    EXPECT_EQ(Grid->Scales, (std::vector<Pair>{{3, 2}}));
    EXPECT_EQ(Grid->BoundsRect(), (TRect{15, 30, 315, 180}));
    EXPECT_EQ(Panel->Width(), 450);

    std::vector<TPoint> Asked;
    bool Handle = true;
    Grid->OnContextPopup = [&](TObject*, TPoint P, bool& Handled) {
        Asked.push_back(P);
        Handled = Handle;
    };
    H = Grid->Handle(); // the window was made again under the panel
    const TPoint Screen = Grid->ClientToScreen(TPoint{40, 50});
    EXPECT_NE(SendMessage(H, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(H), MAKELPARAM(Screen.X, Screen.Y)), 0);
    Handle = false;
    SendMessage(H, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(H), MAKELPARAM(-1, -1));
    ASSERT_EQ(Asked.size(), 2u);
    EXPECT_EQ(Asked[0], (TPoint{40, 50}));
    EXPECT_EQ(Asked[1], (TPoint{-1, -1})) << "asked from the keyboard";
}
