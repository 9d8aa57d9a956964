// Filtering in hide levels, incremental narrowing, the filter list's choice and the floating
// footer's figures.

#include "RudUvud/support/DerOdoz.h"
#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 3, 11);
        G->SetFixedRows(1);
        G->SetCells(0, 0, "name");
        G->SetCells(1, 0, "value");
        const char* Names[] = {"apple", "abacus", "abc", "banana", "cab",
                               "abcd",  "a b",    "a&b", "dog",    "abcx"};
        for (Integer R = 1; R <= 10; ++R) {
            G->SetCells(0, R, Names[R - 1]);
            G->SetCells(1, R, std::to_string(R));
        }
    }
    void TearDown() override { Form->Free(); }
    // Column 0 of the shown data rows.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> V;
        for (Integer R = G->FixedRows(); R < G->RowCount(); ++R)
            V.push_back(G->Cells(0, R));
        return V;
    }
    TFilterData* AddCondition(Integer Col, const AnsiString& Cond, TFilterOperation Op = foSHORT)
    {
        TFilterData* F = G->Filter()->Add();
        F->Column = static_cast<SmallInt>(Col);
        F->Condition = Cond;
        F->Operation = Op;
        return F;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// One condition set against one cell text: the prepared text and the joins.
TEST_F(FilterTest, MatchingTable)
{
    struct Case {
        const char* Cell;
        const char* Prefix;
        const char* Suffix;
        const char* Condition;
        bool CaseSensitive;
        bool Expected;
    };
    const Case Cases[] = {
        {"anything", "", "", "", true, true},      // empty condition passes
        {"$12", "$", "", "12", true, true},        // prefix cut
        {"$12", "", "", "12", true, false},        // no prefix, no cut
        {"12", "$", "", "12", true, true},         // prefix absent: text unchanged
        {"12kg", "", "kg", "12", true, true},      // suffix ending the text is cut
        {"kg12kg", "", "kg", "kg12", true, false}, // first occurrence does not end the text
        {"ABC", "", "", "abc", false, true},       {"ABC", "", "", "abc", true, false},
    };
    for (const Case& C : Cases) {
        G->Filter()->Clear();
        G->SetCells(2, 1, C.Cell);
        TFilterData* F = AddCondition(2, C.Condition);
        F->Prefix = C.Prefix;
        F->Suffix = C.Suffix;
        F->CaseSensitive = C.CaseSensitive;
        EXPECT_EQ(G->MatchFilter(1), C.Expected) << C.Cell << " / " << C.Condition;
    }
    // Wide text is decoded before matching.
    G->Filter()->Clear();
    G->SetCells(2, 1, EncodeWideStr(u"Ab"));
    AddCondition(2, "Ab");
    EXPECT_TRUE(G->MatchFilter(1));
}

TEST_F(FilterTest, JoinsRowTextAndCustomFilter)
{
    // foOR passes a row that meets either condition.
    AddCondition(0, "zzz", foNONE);
    AddCondition(1, "1", foOR);
    EXPECT_TRUE(G->MatchFilter(1));
    EXPECT_FALSE(G->MatchFilter(2));
    // foSHORT stops at a failing first condition: the second is not tested.
    G->Filter()->Clear();
    AddCondition(0, "zzz");
    AddCondition(0, "*", foOR);
    EXPECT_FALSE(G->MatchFilter(1));
    // foXOR and foAND.
    G->Filter()->Clear();
    AddCondition(0, "apple", foNONE);
    AddCondition(1, "1", foXOR);
    EXPECT_FALSE(G->MatchFilter(1));
    EXPECT_FALSE(G->MatchFilter(2));
    G->Filter()->Items(1)->Operation = foAND;
    EXPECT_TRUE(G->MatchFilter(1));
    // fcRow: any cell holding the text in any letter case.
    G->Filter()->Clear();
    G->SetCells(2, 4, "xxABxx");
    TFilterData* F = AddCondition(0, "ab");
    F->Data = fcRow;
    EXPECT_TRUE(G->MatchFilter(4));  // "banana" has no ab but column 2 has AB
    EXPECT_FALSE(G->MatchFilter(9)); // "dog", "9"
    // OnCustomFilter has the last word both ways, also after a foSHORT stop.
    G->OnCustomFilter = [](TObject*, Integer ARow, bool& Accept) {
        if (ARow == 9)
            Accept = true;
        if (ARow == 4)
            Accept = false;
    };
    EXPECT_TRUE(G->MatchFilter(9));
    EXPECT_FALSE(G->MatchFilter(4));
}

TEST_F(FilterTest, ActivateAndDeactivateRestoresOrderHeightsAndFixedRows)
{
    G->SetRowHeights(3, 41);
    G->SetRowHeights(4, 43);
    AddCondition(0, "a*");
    std::vector<Integer> Progress;
    G->OnFilterProgress = [&](TObject*, SmallInt P) { Progress.push_back(P); };
    G->SetFilterActive(true);
    EXPECT_TRUE(G->FilterActive());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"apple", "abacus", "abc", "abcd", "a b", "a&b", "abcx"}));
    EXPECT_EQ(G->Cells(0, 0), "name"); // fixed row never tested
    EXPECT_EQ(G->HideLevel(), 1);
    ASSERT_EQ(Progress.size(), 11u);
    EXPECT_EQ(Progress.front(), 10);
    EXPECT_EQ(Progress[9], 100);
    EXPECT_EQ(Progress.back(), 100);
    G->SetFixedRows(2);
    G->SetFilterActive(false);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"apple", "abacus", "abc", "banana", "cab", "abcd", "a b",
                                                 "a&b", "dog", "abcx"}));
    EXPECT_EQ(G->FixedRows(), 1);
    EXPECT_EQ(G->RowHeights(3), 41);
    EXPECT_EQ(G->RowHeights(4), 43);
}

TEST_F(FilterTest, LevelsStackAndComeOff)
{
    // Nothing to remove: false, nothing changes, and the conditions are cleared.
    AddCondition(0, "a*");
    EXPECT_FALSE(G->RemoveLastFilter());
    G->RemoveAllFilters();
    EXPECT_EQ(G->Filter()->Count(), 0);

    G->NarrowDown("a", 0);
    EXPECT_EQ(Shown().size(), 9u); // every name but "dog"
    G->NarrowDown("ab", 0);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"abacus", "abc", "cab", "abcd", "abcx"}));
    G->NarrowDown("abc", 0);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"abc", "abcd", "abcx"}));
    EXPECT_EQ(G->HideLevel(), 3);
    G->NarrowDown("ab", 0);
    EXPECT_EQ(G->HideLevel(), 2);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"abacus", "abc", "cab", "abcd", "abcx"}));
    // Unrelated text: one level from the full grid.
    G->NarrowDown("do", 0);
    EXPECT_EQ(G->HideLevel(), 1);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"dog"}));
    // With levels, RemoveAllFilters keeps the conditions.
    G->RemoveAllFilters();
    EXPECT_EQ(G->HideLevel(), 0);
    EXPECT_EQ(G->Filter()->Count(), 1);
    EXPECT_EQ(Shown().size(), 10u);
    // Empty text: no level and no condition added (the last one stays, as levels were removed).
    G->NarrowDown("abc", 0);
    G->NarrowDown("", 0);
    EXPECT_EQ(G->HideLevel(), 0);
    ASSERT_EQ(G->Filter()->Count(), 1);
    EXPECT_EQ(G->Filter()->Items(0)->Condition, "*abc*");
    EXPECT_EQ(Shown().size(), 10u);
    EXPECT_TRUE(G->FixedRowAlways());
}

// Typed text is looked for as it is, however it was typed: blanks and operator characters do not
// change the condition's meaning.
TEST_F(FilterTest, NarrowDownTakesTypedTextLiterally)
{
    for (const char* Text : {"a b", "a&b"}) {
        G->NarrowDown("", 0);
        G->NarrowDown(Text, 0); // typed at once
        EXPECT_EQ(Shown(), std::vector<std::string>{Text}) << Text;
        G->NarrowDown("", 0);
        G->NarrowDown("a", 0);
        G->NarrowDown(AnsiString(Text).substr(0, 2), 0);
        G->NarrowDown(Text, 0); // typed one character at a time
        EXPECT_EQ(Shown(), std::vector<std::string>{Text}) << Text;
    }
    // Column -1 looks through the whole row.
    G->NarrowDown("", 0);
    G->NarrowDown("10", -1);
    EXPECT_EQ(Shown(), std::vector<std::string>{"abcx"});
}

TEST_F(FilterTest, FilterSelectAppliesListEntry)
{
    G->SetFixedCols(0);
    G->SetFilterDropDownAuto(true);
    Integer Done = 0;
    G->OnFilterDone = [&](TObject*) { ++Done; };
    // No open column, or an index outside the list: only the column is reset.
    G->FilterSelect(G, 0);
    G->SetFilterColumn(0);
    G->GetFilter(0);
    G->FilterSelect(G, 99);
    EXPECT_EQ(G->FilterColumn(), -1);
    EXPECT_EQ(G->Filter()->Count(), 0);

    G->SetFilterColumn(0);
    G->GetFilter(0); // "(All)", then the names sorted
    Integer Dog = -1;
    for (Integer I = 0; I < G->FilterValues()->Count(); ++I)
        if (G->FilterValues()->Strings(I) == "dog")
            Dog = I;
    ASSERT_GE(Dog, 0);
    G->FilterSelect(G, Dog);
    EXPECT_EQ(Shown(), std::vector<std::string>{"dog"});
    EXPECT_EQ(G->FilterColumn(), -1);
    EXPECT_EQ(G->Row(), 1);
    EXPECT_EQ(Done, 1);
    // The clear entry takes the filter away; OnFilterSelect sees the emptied condition.
    AnsiString Seen = "unset";
    G->OnFilterSelect = [&](TObject*, Integer, Integer, const AnsiString&, AnsiString& Cond) { Seen = Cond; };
    G->SetFilterColumn(0);
    G->GetFilter(0);
    G->FilterSelect(G, 0);
    EXPECT_EQ(Seen, "");
    EXPECT_EQ(Shown().size(), 10u);
    EXPECT_EQ(G->Filter()->Count(), 1);
}

TEST_F(FilterTest, FilterRowSetterAcceptsOnlyFixedRows)
{
    G->SetFilterRow(0);
    EXPECT_EQ(G->FilterDropDownRow(), 0);
    G->SetFilterRow(1);
    EXPECT_EQ(G->FilterDropDownRow(), 0);
}

class FooterTest : public FilterTest {
protected:
    void SetUp() override
    {
        FilterTest::SetUp();
        // Row 11 becomes the footer row.
        G->SetRowCount(12);
        G->FloatingFooter()->SetVisible(true);
        G->SetFixedFooters(1);
        G->GetCellProperties(1, 11)->SetCalcType(acSUM);
        G->GetCellProperties(2, 11)->SetCalcType(acCOUNT);
        G->GetCellProperties(0, 11)->SetCalcType(acSPREAD);
        G->SetCells(0, 11, "kept");
    }
};

TEST_F(FooterTest, FiguresCountHiddenRowsOnRequest)
{
    G->CalcFooter(-1);
    EXPECT_EQ(G->GetFloats(1, 11), 55);
    EXPECT_EQ(G->Cells(2, 11), "10");
    EXPECT_EQ(G->Cells(0, 11), "kept"); // acSPREAD leaves the cell
    // Rows hidden by a filter still count with CalculateHiddenRows.
    AddCondition(0, "a*");
    G->SetFilterActive(true);
    ASSERT_EQ(G->RowCount(), 9);
    EXPECT_EQ(G->GetFloats(1, 8), 55);
    EXPECT_EQ(G->Cells(2, 8), "10");
    G->FloatingFooter()->CalculateHiddenRows = false;
    G->CalcFooter(-1);
    EXPECT_EQ(G->GetFloats(1, 8), 1 + 2 + 3 + 6 + 7 + 8 + 10);
    EXPECT_EQ(G->Cells(2, 8), "7");
    G->SetFilterActive(false);
    EXPECT_EQ(G->GetFloats(1, 11), 55);
}

TEST_F(FooterTest, OtherKindsAndSwitches)
{
    G->GetCellProperties(1, 11)->SetCalcType(acAVG);
    G->GetCellProperties(2, 11)->SetCalcType(acMAX);
    for (Integer R = 1; R <= 10; ++R)
        G->SetCells(2, R, std::to_string(R * R));
    G->SetCells(2, 5, "n/a"); // left out
    G->CalcFooter(-1);
    EXPECT_DOUBLE_EQ(G->GetFloats(1, 11), 5.5);
    EXPECT_EQ(G->GetFloats(2, 11), 100);
    G->GetCellProperties(2, 11)->SetCalcType(acMIN);
    G->CalcFooter(2);
    EXPECT_EQ(G->GetFloats(2, 11), 1);
    // acCUSTOM: the grid's event first, else the footer's; neither empties the cell.
    G->GetCellProperties(2, 11)->SetCalcType(acCUSTOM);
    G->FloatingFooter()->OnCalcFooter = [](TObject*, Integer, Integer ARow, AnsiString& V) {
        V = "footer " + std::to_string(ARow);
    };
    G->CalcFooter(2);
    EXPECT_EQ(G->Cells(2, 11), "footer 11");
    G->OnFooterCalc = [](TObject*, Integer ACol, Integer, AnsiString& V) {
        V = "grid " + std::to_string(ACol);
    };
    G->CalcFooter(2);
    EXPECT_EQ(G->Cells(2, 11), "grid 2");
    G->OnFooterCalc = nullptr;
    G->FloatingFooter()->OnCalcFooter = nullptr;
    G->CalcFooter(2);
    EXPECT_EQ(G->Cells(2, 11), "");
    // Nothing is calculated with the switch off, another style, or the footer hidden.
    G->GetCellProperties(2, 11)->SetCalcType(acCOUNT);
    G->FloatingFooter()->SetEnableCalculation(false);
    G->CalcFooter(-1);
    EXPECT_EQ(G->Cells(2, 11), "");
    G->FloatingFooter()->SetEnableCalculation(true);
    G->FloatingFooter()->SetFooterStyle(fsColumnPreview);
    G->CalcFooter(-1);
    EXPECT_EQ(G->Cells(2, 11), "");
    G->FloatingFooter()->SetFooterStyle(fsFixedLastRow);
    // The row count setter recalculates: the footer row moves to the new last row.
    G->SetRowCount(13);
    EXPECT_EQ(G->Cells(2, 12), "11");
}

} // namespace
