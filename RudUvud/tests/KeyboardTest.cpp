// The grid's key table: Tab walking the cells with its wrapping, Home and End, skipping fixed
// cells, appending on Down, inserting and deleting rows, select all and the disjunct keys.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 6);
        for (Integer R = 1; R < 6; ++R)
            for (Integer C = 1; C < 5; ++C)
                G->SetCells(C, R, std::to_string(C) + ":" + std::to_string(R));
        G->SetCol(1);
        G->SetRow(1);
    }
    void TearDown() override { Form->Free(); }
    void Press(Word K, TShiftState S = {})
    {
        Word Key = K;
        G->KeyDown(Key, S);
    }
    std::pair<Integer, Integer> At() const { return {G->Col(), G->Row()}; }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

using Cell = std::pair<Integer, Integer>;

TEST_F(KeyboardTest, TabWalksTheCellsAndWraps)
{
    G->SetOptions(G->Options() + TGridOptions{goTabs});
    struct Step {
        Cell From;
        bool Back;
        Cell Want;
    };
    const Step Steps[] = {
        {{1, 1}, false, {2, 1}}, // along the row
        {{4, 1}, false, {1, 2}}, // from the row's end to the next row's start
        {{4, 5}, false, {1, 1}}, // from the last cell to the first
        {{1, 2}, true, {4, 1}},  // back from a row's start to the previous row's end
        {{1, 1}, true, {4, 5}},  // back from the first cell to the last
    };
    for (const Step& S : Steps) {
        G->GotoCell(S.From.first, S.From.second);
        Press(VK_TAB, S.Back ? TShiftState{ssShift} : TShiftState{});
        EXPECT_EQ(At(), S.Want) << S.From.first << "," << S.From.second << (S.Back ? " back" : "");
    }
    // Top to bottom: down the column, then the next column's top.
    G->Navigation()->TabAdvanceDirection = adTopBottom;
    G->GotoCell(2, 5);
    Press(VK_TAB);
    EXPECT_EQ(At(), Cell(3, 1));
}

TEST_F(KeyboardTest, TabSkipsCellsThatTakeNoTabAndStopsWhenNoneDoes)
{
    G->SetOptions(G->Options() + TGridOptions{goTabs, goEditing});
    bool AllReadOnly = false;
    G->OnCanEditCell = [&](TObject*, Integer, Integer C, bool& Can) {
        Can = !AllReadOnly && C != 2 && C != 3;
    };
    G->Navigation()->AdvanceAutoEdit = false;
    G->GotoCell(1, 1);
    Press(VK_TAB);
    EXPECT_EQ(At(), Cell(4, 1));
    // No cell accepts Tab: the current cell stays (no endless walk).
    AllReadOnly = true;
    Press(VK_TAB);
    EXPECT_EQ(At(), Cell(4, 1));
    Press(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(At(), Cell(4, 1));
}

TEST_F(KeyboardTest, TabAtTheEndAddsARowWhenAsked)
{
    G->SetOptions(G->Options() + TGridOptions{goTabs});
    G->Navigation()->SetAdvanceInsert(true);
    std::vector<Integer> Added;
    G->OnAutoAddRow = [&](TObject*, Integer R) { Added.push_back(R); };
    G->GotoCell(4, 5);
    Press(VK_TAB);
    EXPECT_EQ(G->RowCount(), 7);
    EXPECT_EQ(At(), Cell(1, 6));
    EXPECT_EQ(Added, std::vector<Integer>{6});
}

TEST_F(KeyboardTest, HomeAndEndFollowTheirSetting)
{
    G->SetRowCount(30);
    G->GotoCell(2, 10);
    // Outside row select, the platform moves along the row.
    Press(VK_END);
    EXPECT_EQ(At(), Cell(4, 10));
    G->Navigation()->HomeEndKey = heFirstLastRow;
    Press(VK_END);
    EXPECT_EQ(G->Row(), 29);
    Press(VK_HOME);
    EXPECT_EQ(G->Row(), 1);
    // Shift extends the selection over the rows.
    Press(VK_END, TShiftState{ssShift});
    EXPECT_EQ(G->Selection().Top, 1);
    EXPECT_EQ(G->Selection().Bottom, 29);
}

TEST_F(KeyboardTest, ArrowsJumpOverFixedCellsAndStopAtTheEdges)
{
    G->OnIsFixedCell = [](TObject*, Integer R, Integer C, bool& Fixed) {
        Fixed = C == 2 || C == 3 || R == 3;
    };
    struct Step {
        Cell From;
        Word Key;
        Cell Want;
    };
    const Step Steps[] = {
        {{1, 2}, VK_RIGHT, {4, 2}}, {{4, 2}, VK_LEFT, {1, 2}},  {{1, 2}, VK_DOWN, {1, 4}},
        {{1, 4}, VK_UP, {1, 2}},    {{1, 1}, VK_UP, {1, 1}},    {{4, 5}, VK_DOWN, {4, 5}},
        {{1, 1}, VK_LEFT, {1, 1}},  {{4, 1}, VK_RIGHT, {4, 1}},
    };
    for (const Step& S : Steps) {
        G->GotoCell(S.From.first, S.From.second);
        Press(S.Key);
        EXPECT_EQ(At(), S.Want) << S.From.first << "," << S.From.second << " key " << S.Key;
    }
}

TEST_F(KeyboardTest, DownOnTheLastRowAppends)
{
    G->Navigation()->AppendOnArrowDown = true;
    G->GotoCell(2, 5);
    Press(VK_DOWN);
    EXPECT_EQ(G->RowCount(), 7);
    EXPECT_EQ(G->Row(), 6);
    EXPECT_EQ(G->Cells(2, 6), "");
    bool Can = false;
    G->OnCanAddRow = [&](TObject*, bool& C) { C = Can; };
    Press(VK_DOWN);
    EXPECT_EQ(G->RowCount(), 7);
}

TEST_F(KeyboardTest, InsertAndDeleteRows)
{
    G->Navigation()->AllowInsertRow = true;
    G->Navigation()->AllowDeleteRow = true;
    std::vector<std::string> Log;
    G->OnAutoInsertRow = [&](TObject*, Integer R) { Log.push_back("ins " + std::to_string(R)); };
    G->OnAutoDeleteRow = [&](TObject*, Integer R) { Log.push_back("del " + std::to_string(R)); };
    G->GotoCell(2, 3);
    Press(VK_INSERT);
    EXPECT_EQ(G->RowCount(), 7);
    EXPECT_EQ(G->Row(), 3);
    EXPECT_EQ(G->Cells(2, 3), "");
    EXPECT_EQ(G->Cells(2, 4), "2:3");
    // After the current row.
    G->Navigation()->InsertPosition = pInsertAfter;
    G->GotoCell(2, 4);
    Press(VK_INSERT);
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(G->Cells(2, 5), "");
    EXPECT_EQ(G->Cells(2, 4), "2:3");
    // Deleting takes the current row; a refusal keeps it.
    bool CanDelete = false;
    G->OnCanDeleteRow = [&](TObject*, Integer, bool& C) { C = CanDelete; };
    Press(VK_DELETE);
    EXPECT_EQ(G->RowCount(), 8);
    CanDelete = true;
    G->GotoCell(2, 4);
    Press(VK_DELETE);
    EXPECT_EQ(G->RowCount(), 7);
    EXPECT_EQ(G->Cells(2, 4), "");
    EXPECT_EQ(Log, (std::vector<std::string>{"ins 3", "ins 5", "del 4"}));
    // The only data row is emptied, not removed.
    G->SetRowCount(2);
    G->SetCells(1, 1, "x");
    G->GotoCell(1, 1);
    Press(VK_DELETE);
    EXPECT_EQ(G->RowCount(), 2);
    EXPECT_EQ(G->Cells(1, 1), "");
}

TEST_F(KeyboardTest, SelectAllAndDisjunctKeys)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetOptions(G->Options() + TGridOptions{goRowSelect});
    Press('A', TShiftState{ssCtrl});
    EXPECT_EQ(G->Selection(), (TGridRect{1, 1, 4, 5}));
    EXPECT_EQ(G->GetRowSelectCount(), 5) << "the settling click keeps every mark";
    EXPECT_EQ(At(), (Cell{4, 5}));
    // An arrow starts over with the new row; Shift+arrow extends; Space toggles.
    G->GotoCell(1, 2);
    Press(VK_DOWN);
    EXPECT_EQ(G->GetRowSelectCount(), 1);
    EXPECT_TRUE(G->GetRowSelect(3));
    Press(VK_DOWN, TShiftState{ssShift});
    EXPECT_EQ(G->GetRowSelectCount(), 2);
    Press(VK_SPACE);
    EXPECT_FALSE(G->GetRowSelect(G->Row()));
}

TEST_F(KeyboardTest, ScrollOnlyKeysKeepTheCell)
{
    G->SetRowCount(100);
    G->Navigation()->MoveScrollOnly = true;
    G->GotoCell(2, 1);
    Press(VK_NEXT);
    EXPECT_EQ(G->Row(), 1);
    EXPECT_GT(G->TopRow(), 1);
    Press(VK_HOME);
    EXPECT_EQ(G->TopRow(), 1);
    Press(VK_UP);
    EXPECT_EQ(G->TopRow(), 1);
}

TEST_F(KeyboardTest, TypingStartsEditsWhereAllowed)
{
    G->SetFocus();
    uitest::PumpUntilIdle();
    struct Case {
        const char* Name;
        bool DblClickOnly, RangeEdit;
        const char* CellText;
        bool WantEditor;
    };
    const Case Cases[] = {
        {"plain grid", false, false, "x", false},
        {"edit on double click only", true, false, "x", true},
        {"range select and edit", false, true, "x", true},
        {"form controls take no typing", true, false, "<CONTROL TYPE=\"EDIT\" ID=\"a\">", false},
    };
    for (const Case& K : Cases) {
        G->SetEditorMode(false);
        G->SetOptions(G->Options() - TGridOptions{goEditing});
        G->MouseActions()->SetEditOnDblClickOnly(K.DblClickOnly);
        G->MouseActions()->RangeSelectAndEdit = K.RangeEdit;
        G->GotoCell(2, 2);
        G->SetCells(2, 2, K.CellText);
        uitest::TypeText("q");
        EXPECT_EQ(G->EditorMode(), K.WantEditor) << K.Name;
        if (K.WantEditor) {
            G->HideInplaceEdit();
            EXPECT_EQ(G->Cells(2, 2), "q") << K.Name;
        }
    }
}

TEST_F(KeyboardTest, KeysThatMoveTheSelectionReportItOnce)
{
    std::vector<TGridRect> Seen;
    G->OnSelectionChanged = [&](TObject*, Integer L, Integer T, Integer R, Integer B) {
        Seen.push_back(TGridRect{L, T, R, B});
    };
    G->SetOptions(G->Options() + TGridOptions{goTabs, goRangeSelect});
    Press(VK_DOWN);
    Press(VK_RIGHT, TShiftState{ssShift});
    Press(VK_TAB);
    ASSERT_EQ(Seen.size(), 3u);
    EXPECT_EQ(Seen[0], (TGridRect{1, 2, 1, 2}));
    EXPECT_EQ(Seen[1], (TGridRect{1, 2, 2, 2}));
    EXPECT_EQ(Seen[2], (TGridRect{3, 2, 3, 2}));
    // Keys that leave the selection as it was report nothing: Up at the top, a letter.
    G->GotoCell(1, 1);
    Seen.clear();
    Press(VK_UP);
    Press('Q');
    EXPECT_TRUE(Seen.empty());
}

TEST_F(KeyboardTest, KeypadPointTypesTheLocaleSeparator)
{
    G->SetFocus();
    uitest::PumpUntilIdle();
    const char Saved = DecimalSeparator;
    DecimalSeparator = ',';
    struct Case {
        const char* Name;
        bool Excel;
        LPARAM KeyData;
        const char* Want;
    };
    const Case Cases[] = {
        {"keypad point with the setting", true, 0x400000, ","},
        {"main keyboard point", true, 0, "."},
        {"keypad point without the setting", false, 0x400000, "."},
    };
    for (const Case& K : Cases) {
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->SetExcelStyleDecimalSeparator(K.Excel);
        G->GotoCell(2, 3);
        ::SendMessage(G->Handle(), WM_CHAR, '.', K.KeyData);
        uitest::PumpUntilIdle();
        ASSERT_TRUE(G->EditorMode()) << K.Name;
        G->HideInplaceEdit();
        EXPECT_EQ(G->Cells(2, 3), K.Want) << K.Name;
    }
    DecimalSeparator = Saved;
}

} // namespace
