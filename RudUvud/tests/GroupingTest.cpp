// Grouping rows by a column: the rows Group makes (headers, summaries, merged cells), UnGroup
// giving back the original rows and column, sub-groups and their removal, and the group figures.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class GroupingTest : public ::testing::Test {
protected:
    void SetUp() override { Form = gridtest::NewForm(); }
    void TearDown() override { Form->Free(); }
    // A fixed header row, then one row per entry of Data; each entry's fields fill columns 1 on.
    void MakeGrid(const std::vector<std::vector<std::string>>& Data, Integer Cols)
    {
        G = gridtest::NewShownGrid(Form, Cols, static_cast<Integer>(Data.size()) + 1);
        G->SetFixedRows(1);
        G->SortSettings()->AutoSortForGrouping = false;
        for (Integer C = 1; C < Cols; ++C) {
            G->SetCells(C, 0, "h" + std::to_string(C));
            G->SetColWidths(C, 60 + C);
        }
        for (size_t R = 0; R < Data.size(); ++R)
            for (size_t C = 0; C < Data[R].size(); ++C)
                G->SetCells(static_cast<Integer>(C) + 1, static_cast<Integer>(R) + 1, Data[R][C]);
    }
    // Every row below the fixed row: "N<span>" for a node, "S" for a summary, then the texts of
    // columns 1 on, joined by "|".
    std::vector<std::string> Dump()
    {
        std::vector<std::string> V;
        for (Integer R = G->FixedRows(); R < G->RowCount(); ++R) {
            std::string Line = G->IsNode(R)      ? "N" + std::to_string(G->GetNodeSpan(R))
                               : G->IsSummary(R) ? "S"
                                                 : "";
            for (Integer C = 1; C < G->ColCount(); ++C)
                Line += "|" + G->Cells(C, R);
            V.push_back(Line);
        }
        return V;
    }
    // The fixed row and the column widths from column 1 on.
    std::vector<std::string> Headers()
    {
        std::vector<std::string> V;
        for (Integer C = 1; C < G->ColCount(); ++C)
            V.push_back(G->Cells(C, 0) + ":" + std::to_string(G->ColWidths(C)));
        return V;
    }
    using Rows = std::vector<std::string>;
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(GroupingTest, GroupMakesHeaderAndSummaryRows)
{
    struct Case {
        const char* Name;
        bool Summary, AutoSort;
        std::vector<std::vector<std::string>> Data;
        Rows Expected;
    };
    const Case Cases[] = {
        {"plain",
         false,
         false,
         {{"a1", "A", "1"}, {"a2", "A", "2"}, {"b1", "B", "3"}},
         {"N3|A|", "|a1|1", "|a2|2", "N2|B|", "|b1|3"}},
        {"summary",
         true,
         false,
         {{"a1", "A", "1"}, {"a2", "A", "2"}, {"b1", "B", "3"}},
         {"N3|A|", "|a1|1", "|a2|2", "S||", "N2|B|", "|b1|3", "S||"}},
        {"unsorted",
         false,
         false,
         {{"a1", "A", "1"}, {"b1", "B", "2"}, {"a2", "A", "3"}},
         {"N2|A|", "|a1|1", "N2|B|", "|b1|2", "N2|A|", "|a2|3"}},
        {"sorted first",
         false,
         true,
         {{"b1", "B", "2"}, {"a1", "A", "1"}, {"b2", "B", "3"}},
         {"N2|A|", "|a1|1", "N3|B|", "|b1|2", "|b2|3"}},
        {"one row", true, false, {{"a1", "A", "1"}}, {"N2|A|", "|a1|1", "S||"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        MakeGrid(C.Data, 4);
        G->Grouping()->Summary = C.Summary;
        G->SortSettings()->AutoSortForGrouping = C.AutoSort;
        G->Group(2);
        EXPECT_EQ(G->GroupColumn(), 2);
        EXPECT_EQ(G->ColCount(), 3);
        EXPECT_EQ(Dump(), C.Expected);
        EXPECT_EQ(G->Row(), 1);
        // Headers and their rows are at level 1; summaries lie outside the spans.
        for (Integer R = 1; R < G->RowCount(); ++R)
            if (!G->IsSummary(R))
                EXPECT_EQ(G->GetCellProperties(0, R)->NodeLevel(), 1) << R;
        G->Free();
    }
}

TEST_F(GroupingTest, UnGroupGivesBackRowsOrderAndColumn)
{
    const std::vector<std::vector<std::string>> Data = {
        {"a1", "A", "1"}, {"b1", "B", "2"}, {"a2", "A", "3"}, {"a3", "A", "4"}, {"c1", "", "5"}};
    struct Case {
        const char* Name;
        bool Summary, MergeHeader, MergeSummary;
    };
    const Case Cases[] = {
        {"plain", false, false, false},
        {"summary", true, false, false},
        {"merged", true, true, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        MakeGrid(Data, 4);
        const Rows Before = Dump(), HeadersBefore = Headers();
        TGrouping* Look = G->Grouping();
        Look->Summary = C.Summary;
        Look->MergeHeader = C.MergeHeader;
        Look->MergeSummary = C.MergeSummary;
        Look->HeaderColor = 0x00FF00;
        Look->SummaryColor = 0x0000FF;
        G->Group(2);
        if (C.MergeHeader) {
            EXPECT_TRUE(G->IsMergedCell(1, 1));
            EXPECT_EQ(G->GetColors(1, 1), 0x00FF00u);
        } else {
            EXPECT_EQ(G->GetColors(2, 1), 0x00FF00u);
        }
        G->ContractNode(1);
        G->UnGroup();
        EXPECT_EQ(G->GroupColumn(), -1);
        EXPECT_FALSE(G->HasNodes());
        EXPECT_EQ(G->NumHiddenRows(), 0);
        EXPECT_EQ(Dump(), Before);
        EXPECT_EQ(Headers(), HeadersBefore);
        for (Integer R = 1; R < G->RowCount(); ++R) {
            EXPECT_FALSE(G->IsMergedCell(1, R));
            EXPECT_EQ(G->GetCellProperties(0, R)->NodeLevel(), 0);
        }
        G->Free();
    }
}

TEST_F(GroupingTest, FooterRowStaysOutsideTheGroups)
{
    MakeGrid({{"a1", "A", "1"}, {"b1", "B", "2"}, {"total", "kf", "3"}}, 4);
    G->SetFixedFooters(1);
    G->Grouping()->Summary = true;
    G->Grouping()->MergeSummary = true;
    G->Group(2);
    EXPECT_EQ(Dump(), (Rows{"N2|A|", "|a1|1", "S||", "N2|B|", "|b1|2", "S||", "|total|3"}));
    EXPECT_FALSE(G->IsMergedCell(1, G->RowCount() - 1));
    G->UnGroup();
    EXPECT_EQ(Dump(), (Rows{"|a1|A|1", "|b1|B|2", "|total|kf|3"}));
    EXPECT_EQ(G->Cells(2, 0), "h2");
}

TEST_F(GroupingTest, IgnoredCallsChangeNothing)
{
    MakeGrid({{"a1", "A"}, {"b1", "B"}}, 3);
    const Rows Before = Dump();
    G->SetGroupColumn(0);
    G->SetGroupColumn(-1);
    G->SubGroup(1); // not grouped
    G->Group(3);    // outside the grid
    G->UnGroup();
    EXPECT_EQ(G->GroupColumn(), -1);
    EXPECT_EQ(Dump(), Before);
    // Without fixed columns column 0 still holds the nodes and is never grouped.
    G->SetFixedCols(0);
    G->Group(0);
    EXPECT_EQ(G->GroupColumn(), -1);
    EXPECT_EQ(Dump(), Before);
    // Regrouping ungroups first.
    G->SetGroupColumn(2);
    G->SetGroupColumn(1);
    EXPECT_EQ(G->GroupColumn(), 1);
    EXPECT_EQ(Dump(), (Rows{"N2|a1", "|A", "N2|b1", "|B"}));
    G->SetGroupColumn(-1);
    EXPECT_EQ(Dump(), Before);
    G->Free();
    // A grid without data rows (a footer row only) has nothing to group.
    MakeGrid({{"f", "F"}}, 3);
    G->SetFixedFooters(1);
    G->Group(2);
    EXPECT_EQ(G->GroupColumn(), -1);
    EXPECT_EQ(Dump(), (Rows{"|f|F"}));
}

TEST_F(GroupingTest, GroupFiguresGoToSummaryOrHeaderRows)
{
    MakeGrid({{"a1", "A", "1"}, {"a2", "A", "2"}, {"b1", "B", "4"}, {"c1", "C", "8"}}, 4);
    G->Grouping()->Summary = true;
    G->Group(2);
    G->ContractNode(8); // group C: no figure
    G->GroupSum(2);
    G->GroupCount(1);
    EXPECT_EQ(Dump(),
              (Rows{"N3|A|", "|a1|1", "|a2|2", "S|2|3.00", "N2|B|", "|b1|4", "S|1|4.00", "N2|C|", "S||"}));
    // The column figures leave header and summary rows out while grouped.
    G->ExpandAll();
    EXPECT_DOUBLE_EQ(G->ColumnSum(2, 1, G->RowCount() - 1), 15.0);
    G->GroupAvg(2);
    EXPECT_EQ(G->Cells(2, 4), "1.50");
    G->GroupMax(2);
    EXPECT_EQ(G->Cells(2, 4), "2.00");
    G->GroupMin(2);
    EXPECT_EQ(G->Cells(2, 4), "1.00");
    std::vector<std::string> Calls;
    G->OnGroupCalc = [&](TObject*, Integer ACol, Integer From, Integer To, Double& Res) {
        Calls.push_back(std::to_string(ACol) + ":" + std::to_string(From) + "-" + std::to_string(To));
        Res = From * 10;
    };
    G->GroupCustomCalc(2);
    EXPECT_EQ(Calls, (Rows{"2:2-3", "2:6-6", "2:9-9"}));
    EXPECT_EQ(G->Cells(2, 7), "60.00");
    G->GroupCalc(2, 7); // no such figure
    EXPECT_EQ(G->Cells(2, 7), "60.00");
    G->Free();
    // Without summaries the header row takes the figure.
    MakeGrid({{"a1", "A", "1"}, {"a2", "A", "2"}}, 4);
    G->Group(2);
    G->GroupSum(2);
    G->GroupCount(1);
    EXPECT_EQ(Dump(), (Rows{"N3|2|3.00", "|a1|1", "|a2|2"}));
}

TEST_F(GroupingTest, SubGroupsAndTheirRemoval)
{
    const std::vector<std::vector<std::string>> Data = {
        {"x1", "A", "p", "1"}, {"x2", "A", "p", "2"}, {"x3", "A", "q", "3"}, {"y1", "B", "p", "4"}};
    MakeGrid(Data, 5);
    const Rows Original = Dump(), HeadersBefore = Headers();
    G->Group(2);
    const Rows Grouped = Dump();
    G->SubGroup(2);
    EXPECT_EQ(Dump(), (Rows{"N6|A||", "N3|||p", "|x1||1", "|x2||2", "N2|||q", "|x3||3", "N3|B||", "N2|||p",
                            "|y1||4"}));
    EXPECT_EQ(G->GetSubNodeCount(1), 2);
    EXPECT_EQ(G->GetNodeLevel(2), 2);
    EXPECT_EQ(G->GetParentRow(3), 2);
    EXPECT_EQ(G->GetParentRow(2), 1);
    EXPECT_EQ(G->GroupColumn(), 2); // the sub-group leaves the grouped column alone
    EXPECT_EQ(G->SubGroupColumns(), std::vector<Integer>{2});
    // Contracting the group hides its sub-groups with it.
    G->ContractNode(1);
    EXPECT_EQ(G->RowCount(), 5);
    G->ExpandNode(1);
    G->SubUnGroup(2);
    EXPECT_EQ(Dump(), Grouped);
    EXPECT_TRUE(G->SubGroupColumns().empty());
    EXPECT_EQ(G->GetNodeLevel(1), 1);
    // Ungrouping with a sub-group in force gives back the original rows and columns.
    G->SubGroup(2);
    G->ContractNode(1);
    G->UnGroup();
    EXPECT_EQ(Dump(), Original);
    EXPECT_EQ(Headers(), HeadersBefore);
    EXPECT_FALSE(G->HasNodes());
}

TEST_F(GroupingTest, SubGroupsWithSummaryRows)
{
    MakeGrid({{"x1", "A", "p", "1"}, {"x2", "A", "q", "2"}, {"y1", "B", "p", "3"}}, 5);
    const Rows Original = Dump();
    G->Grouping()->Summary = true;
    G->Group(2);
    G->SubGroup(2);
    EXPECT_EQ(Dump(), (Rows{"N5|A||", "N2|||p", "|x1||1", "N2|||q", "|x2||2", "S|||", "N3|B||", "N2|||p",
                            "|y1||3", "S|||"}));
    G->GroupSum(3);
    EXPECT_EQ(G->Cells(3, 6), "3.00");
    G->UnGroup();
    EXPECT_EQ(Dump(), Original);
}

} // namespace
