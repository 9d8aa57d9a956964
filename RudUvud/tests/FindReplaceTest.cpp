// Find and replace: the four walk orders without wrap, the match rules of one cell, the range
// and its restrictions, moving to the cell found, and replacing in every matching cell.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A grid whose ignored columns a test can set and whose find notifications it records.
class TFindGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    void Ignore(Integer ACol) { FCore.IgnoredCols.push_back(ACol); }
    std::vector<TGridExportState> Notes;

protected:
    void ExportNotification(TGridExportState State, Integer) override
    {
        if (State != esExportNewRow)
            Notes.push_back(State);
    }
};

class FindReplaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TFindGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        // Normal cells: columns 1..4, rows 1..5.
        G->SetColCount(5);
        G->SetRowCount(6);
        for (Integer R = 0; R < 6; ++R)
            for (Integer C = 0; C < 5; ++C)
                G->SetCells(C, R, "c" + std::to_string(C) + "r" + std::to_string(R));
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }

    // Every match in walk order, by repeating Find from the last cell found.
    std::vector<TPoint> All(const AnsiString& S, TFindParams P)
    {
        std::vector<TPoint> Out;
        TPoint At{-1, -1};
        for (int Guard = 0; Guard < 100; ++Guard) {
            const TPoint Next = G->Find(At, S, P);
            if (Next.X == -1 && Next.Y == -1)
                break;
            EXPECT_FALSE(Next == At) << "a search answered its start cell";
            Out.push_back(Next);
            At = Next;
        }
        return Out;
    }

    TForm* Form = nullptr;
    TFindGrid* G = nullptr;
};

using Cells = std::vector<TPoint>;

TEST_F(FindReplaceTest, EachWalkOrderVisitsEveryMatchOnceWithoutWrap)
{
    for (TPoint P : {TPoint{1, 1}, TPoint{3, 1}, TPoint{2, 2}, TPoint{1, 3}})
        G->SetCells(P.X, P.Y, "x");
    struct Case {
        const char* Name;
        TFindParams Params;
        Cells Expected;
    };
    const Case Cases[] = {
        {"column by column", {}, {{1, 1}, {1, 3}, {2, 2}, {3, 1}}},
        {"left to right", {fnDirectionLeftRight}, {{1, 1}, {3, 1}, {2, 2}, {1, 3}}},
        {"column by column backward", {fnBackward}, {{3, 1}, {2, 2}, {1, 3}, {1, 1}}},
        {"left to right backward", {fnDirectionLeftRight, fnBackward}, {{1, 3}, {2, 2}, {3, 1}, {1, 1}}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(All("x", C.Params), C.Expected) << C.Name;
}

TEST_F(FindReplaceTest, FindNextEndsWithNothingThenStartsAgain)
{
    G->SetCells(2, 3, "needle");
    G->SetCells(4, 5, "needle");
    EXPECT_EQ(G->FindFirst("needle", {}), (TPoint{2, 3}));
    EXPECT_TRUE(G->LastFind());
    EXPECT_EQ(G->FindNext(), (TPoint{4, 5}));
    EXPECT_EQ(G->FindNext(), (TPoint{-1, -1}));
    EXPECT_FALSE(G->LastFind());
    EXPECT_EQ(G->FindNext(), (TPoint{2, 3}));
    // The match in the very first cell of the range is found from (-1, -1).
    G->SetCells(1, 1, "needle");
    EXPECT_EQ(G->FindFirst("NEEDLE", {}), (TPoint{1, 1}));
}

TEST_F(FindReplaceTest, OneCellMatchesByTheRules)
{
    struct Case {
        const char* Cell;
        const char* Search;
        TFindParams Params;
        bool Matches;
    };
    const Case Cases[] = {
        {"ABC", "AB", {fnMatchStart}, true},
        {"XAB", "AB", {fnMatchStart}, false},
        {"XAB", "AB", {}, true},
        {"ABC", "AB", {fnMatchFull}, false},
        {"AB", "AB", {fnMatchFull}, true},
        {"AB", "ab", {}, true},
        {"AB", "ab", {fnMatchCase}, false},
        {"ab", "ab", {fnMatchCase}, true},
        {"<b>AB</b>", "AB", {fnMatchFull}, false},
        {"<b>AB</b>", "AB", {fnMatchFull, fnIgnoreHTMLTags}, true},
        {"", "\"\"", {}, true},
        {"A", "\"\"", {}, false},
        {"", "", {}, false},
        {"ABC", "", {}, false},
        {"abc", "a*", {fnMatchRegular, fnMatchCase}, true},
        {"abc", "b*", {fnMatchRegular, fnMatchCase}, false},
    };
    for (const Case& C : Cases) {
        G->SetCells(2, 2, C.Cell);
        G->Find(TPoint{-1, -1}, C.Search, C.Params); // sets the last text and parameters
        EXPECT_EQ(G->MatchCell(2, 2, false), C.Matches) << C.Cell << " / " << C.Search;
    }
}

TEST_F(FindReplaceTest, TwoQuotesFindTheFirstEmptyCell)
{
    G->SetCells(3, 2, "");
    G->SetCells(2, 4, "");
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "\"\"", {}), (TPoint{2, 4}));
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "\"\"", {fnDirectionLeftRight}), (TPoint{3, 2}));
    EXPECT_EQ(G->FindWide(TPoint{-1, -1}, u"\"\"", {}), (TPoint{2, 4}));
}

TEST_F(FindReplaceTest, WideSearchComparesTheWideTexts)
{
    G->SetWideCells(3, 3, u"Grüße aus Köln");
    EXPECT_EQ(G->FindWide(TPoint{-1, -1}, u"KÖLN", {}), (TPoint{3, 3}));
    EXPECT_EQ(G->FindWide(TPoint{-1, -1}, u"KÖLN", {fnMatchCase}), (TPoint{-1, -1}));
    EXPECT_EQ(G->FindWide(TPoint{-1, -1}, u"grüße", {fnMatchStart}), (TPoint{3, 3}));
}

TEST_F(FindReplaceTest, RangeAndRestrictionsLimitTheWalk)
{
    // "hit" in a fixed cell, a normal cell of row 2 and of column 4, and one in the selection.
    G->SetCells(0, 3, "hit");
    G->SetCells(3, 2, "hit");
    G->SetCells(4, 4, "hit");
    G->SetCells(2, 5, "hit");
    G->SetFindPresetRow(4);
    G->SetSelectionEx(TGridRect{2, 4, 3, 5});
    G->GotoCell(3, 2); // a selection of one cell: set the range afterwards
    G->SetSelectionEx(TGridRect{2, 4, 3, 5});
    struct Case {
        const char* Name;
        TFindParams Params;
        Cells Expected;
    };
    const Case Cases[] = {
        {"normal cells", {}, {{2, 5}, {3, 2}, {4, 4}}},
        {"with the fixed cells", {fnIncludeFixed}, {{0, 3}, {2, 5}, {3, 2}, {4, 4}}},
        {"the selection", {fnSelectedCells}, {{2, 5}}},
        {"the preset row", {fnFindInPresetRow}, {{4, 4}}},
        {"the preset row, left to right", {fnFindInPresetRow, fnDirectionLeftRight}, {{4, 4}}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(All("hit", C.Params), C.Expected) << C.Name;
    // The current row and column restrict to the current cell's row and column.
    G->GotoCell(3, 2);
    EXPECT_EQ(All("hit", {fnFindInCurrentRow}), (Cells{{3, 2}}));
    EXPECT_EQ(All("hit", {fnFindInCurrentCol, fnDirectionLeftRight}), (Cells{{3, 2}}));
}

TEST_F(FindReplaceTest, IgnoredColumnIsSkippedOnlyWhenWalkingLeftToRight)
{
    G->SetCells(2, 3, "skip");
    G->Ignore(2);
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "skip", {fnDirectionLeftRight}), (TPoint{-1, -1}));
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "skip", {}), (TPoint{2, 3}));
}

TEST_F(FindReplaceTest, AutoGotoMakesTheCellCurrent)
{
    G->SetCells(3, 4, "go");
    G->GotoCell(1, 1);
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "go", {}), (TPoint{3, 4}));
    EXPECT_EQ(G->Row(), 1) << "without fnAutoGoto the cursor stays";
    G->Find(TPoint{-1, -1}, "go", {fnAutoGoto});
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 4);
    // With disjunct row selection the row is selected alone and the column stays.
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetRowSelect(2, true);
    G->GotoCell(1, 1);
    G->SetCells(2, 5, "go");
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "go", {fnAutoGoto}), (TPoint{2, 5}));
    EXPECT_EQ(G->Row(), 5);
    EXPECT_EQ(G->Col(), 1);
    EXPECT_TRUE(G->GetRowSelect(5));
    EXPECT_FALSE(G->GetRowSelect(2));
}

TEST_F(FindReplaceTest, NotificationsPairDoneWithNothingFoundAndFailWithAFind)
{
    G->SetCells(2, 2, "n");
    G->Find(TPoint{-1, -1}, "n", {});
    EXPECT_EQ(G->Notes, (std::vector<TGridExportState>{esExportStart, esExportFail}));
    G->Notes.clear();
    G->Find(TPoint{-1, -1}, "absent", {});
    EXPECT_EQ(G->Notes, (std::vector<TGridExportState>{esExportStart, esExportDone}));
}

TEST_F(FindReplaceTest, ReplaceChangesEveryMatchingCellOnce)
{
    G->SetCells(1, 1, "apple and Apple");
    G->SetCells(2, 3, "APPLE");
    G->SetCells(4, 5, "pear");
    G->ShowModified()->Enabled = true;
    EXPECT_EQ(G->Replace("apple", "plum", {}), 2);
    EXPECT_EQ(G->Cells(1, 1), "plum and plum");
    EXPECT_EQ(G->Cells(2, 3), "plum");
    EXPECT_EQ(G->Cells(4, 5), "pear");
    EXPECT_TRUE(G->RowModified(1));
    EXPECT_TRUE(G->RowModified(3));
    EXPECT_FALSE(G->RowModified(5));
    // A new text holding the old one is not replaced again.
    EXPECT_EQ(G->Replace("plum", "plumplum", {}), 2);
    EXPECT_EQ(G->Cells(1, 1), "plumplum and plumplum");
}

TEST_F(FindReplaceTest, ReplaceWithMatchCaseKeepsTheOtherCase)
{
    G->SetCells(1, 1, "a and A");
    G->SetCells(2, 2, "A only");
    EXPECT_EQ(G->Replace("a", "b", {fnMatchCase}), 1);
    EXPECT_EQ(G->Cells(1, 1), "b bnd A");
    EXPECT_EQ(G->Cells(2, 2), "A only");
}

TEST_F(FindReplaceTest, ReplaceInOneRowWalkedByColumnsEnds)
{
    // The walk restricted to the current row goes on with the next column after each match;
    // before, it came back to the cell just replaced and never ended on a text that still matched.
    G->SetCells(1, 2, "a");
    G->SetCells(3, 2, "a");
    G->SetCells(3, 3, "a");
    G->GotoCell(1, 2);
    EXPECT_EQ(G->Replace("a", "aa", {fnFindInCurrentRow}), 2);
    EXPECT_EQ(G->Cells(1, 2), "aa");
    EXPECT_EQ(G->Cells(3, 2), "aa");
    EXPECT_EQ(G->Cells(3, 3), "a");
    G->GotoCell(3, 1);
    EXPECT_EQ(G->Replace("a", "aa", {fnFindInCurrentCol, fnDirectionLeftRight}), 2);
    EXPECT_EQ(G->Cells(3, 3), "aa");
}

TEST_F(FindReplaceTest, ReplaceWritesTheMatchedCellWithHiddenColumns)
{
    // Column 2 hidden: display column 2 shows real column 3.
    G->SetCells(3, 4, "old");
    G->SetCells(2, 4, "keep");
    G->HideColumn(2);
    ASSERT_EQ(G->RealColIndex(2), 3);
    EXPECT_EQ(G->Replace("old", "new", {}), 1);
    EXPECT_EQ(G->Cells(3, 4), "new");
    EXPECT_EQ(G->Cells(2, 4), "keep");
    // Counting hidden columns, the hidden one is searched and written too.
    G->SetCells(2, 4, "old");
    EXPECT_EQ(G->Replace("old", "new", {fnIncludeHiddenColumns}), 1);
    EXPECT_EQ(G->Cells(2, 4), "new");
}

TEST_F(FindReplaceTest, AutoGotoOnAHiddenColumnMovesToTheRowOnly)
{
    G->SetCells(2, 4, "hidden");
    G->SetCells(4, 3, "shown");
    G->HideColumn(2);
    G->GotoCell(1, 1);
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "hidden", {fnIncludeHiddenColumns, fnAutoGoto}), (TPoint{2, 4}));
    EXPECT_EQ(G->Row(), 4);
    EXPECT_EQ(G->Col(), 1);
    // A shown real column becomes current as its display column.
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "shown", {fnIncludeHiddenColumns, fnAutoGoto}), (TPoint{4, 3}));
    EXPECT_EQ(G->Col(), 3);
}

TEST_F(FindReplaceTest, HiddenRowInsideANodeIsFoundAndExpanded)
{
    G->SetRowCount(8);
    G->SetCells(1, 6, "deep");
    G->AddNode(5, 3); // rows 5..7
    G->ContractNode(5);
    ASSERT_EQ(G->RowCount(), 6);
    EXPECT_EQ(G->Find(TPoint{-1, -1}, "deep", {}), (TPoint{-1, -1}));
    const TPoint P = G->Find(TPoint{-1, -1}, "deep", {fnIncludeHiddenRows, fnAutoGoto});
    EXPECT_EQ(P, (TPoint{1, 6}));
    EXPECT_EQ(G->RowCount(), 8) << "the node was expanded";
    EXPECT_EQ(G->Row(), 6);
    EXPECT_EQ(G->Cells(1, G->Row()), "deep");
}

} // namespace
