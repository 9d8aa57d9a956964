// Outline nodes: adding, contracting and expanding (nested, all at once, one at a time), rows
// inserted and removed inside nodes, the tree line kinds, the glyph hit test, and nodes over rows
// a filter hid.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class NodesTest : public ::testing::Test {
protected:
    void SetUp() override { Form = gridtest::NewForm(); }
    void TearDown() override { Form->Free(); }
    // Rows 0 .. Rows - 1 with "r<i>" in column 1 and the height 20 + i.
    TDidAririzEvar* MakeGrid(Integer Rows)
    {
        G = gridtest::NewShownGrid(Form, 3, Rows);
        G->SetFixedRows(Rows > 1 ? 1 : 0);
        for (Integer R = 0; R < Rows; ++R) {
            G->SetCells(1, R, "r" + std::to_string(R));
            G->SetRowHeights(R, 20 + R);
        }
        return G;
    }
    // Column 1 of the shown rows below the fixed row.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> V;
        for (Integer R = G->FixedRows(); R < G->RowCount(); ++R)
            V.push_back(G->Cells(1, R));
        return V;
    }
    Integer Level(Integer R)
    {
        TCellProperties* CP = G->HasCellProperties(0, R) ? G->GetCellProperties(0, R) : nullptr;
        return CP ? CP->NodeLevel() : 0;
    }
    using Rows = std::vector<std::string>;
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(NodesTest, AddedNodeAnswersItsQueries)
{
    MakeGrid(6);
    G->SetCol(0);
    G->AddNode(1, 3);
    EXPECT_TRUE(G->HasNodes());
    EXPECT_EQ(G->Col(), 1); // the node column is left
    struct Case {
        Integer Row;
        bool Node;
        Integer Span, NodeLevel, RecordLevel, Parent, SpanType;
    };
    const Case Cases[] = {
        {0, false, -1, -1, 0, -1, 2}, // the fixed row: next row is at a deeper level
        {1, true, 3, 1, 1, 1, 0},     // the node answers itself as parent
        {2, false, -1, -1, 1, 1, 2},  {3, false, -1, -1, 1, 1, 1},  // next row leaves the node
        {4, false, -1, -1, 0, -1, 1}, {5, false, -1, -1, 0, -1, 1}, // last data row
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Row);
        EXPECT_EQ(G->IsNode(C.Row), C.Node);
        EXPECT_EQ(G->GetNodeSpan(C.Row), C.Span);
        EXPECT_EQ(G->GetNodeLevel(C.Row), C.NodeLevel);
        EXPECT_EQ(Level(C.Row), C.RecordLevel);
        EXPECT_EQ(G->GetParentRow(C.Row), C.Parent);
        EXPECT_EQ(G->GetNodeSpanType(C.Row), C.SpanType);
        EXPECT_FALSE(G->IsSummary(C.Row));
    }
    EXPECT_FALSE(G->GetNodeState(1));
    EXPECT_EQ(G->GetSubNodeCount(1), 0);
    // Setters touch nodes only.
    G->UpdateNodeSpan(1, 1);
    G->UpdateSubNodeCount(1, 2);
    G->SetNodeSpan(4, 7);
    EXPECT_EQ(G->GetNodeSpan(1), 4);
    EXPECT_EQ(G->GetSubNodeCount(1), 2);
    EXPECT_EQ(G->GetNodeSpan(4), -1);
    // A row outside the grid or a hidden row carries no node.
    G->AddNode(6, 2);
    G->HideRow(5);
    G->AddNode(5, 1);
    EXPECT_EQ(G->RowTables().HiddenCount(), 1);
    EXPECT_FALSE(G->IsNode(4));
}

TEST_F(NodesTest, ContractAndExpandGiveBackRowsWithTextsAndHeights)
{
    MakeGrid(6);
    G->AddNode(1, 3);
    G->ContractNode(1);
    EXPECT_EQ(G->RowCount(), 4);
    EXPECT_TRUE(G->GetNodeState(1));
    EXPECT_EQ(G->NumHiddenRows(), 2);
    EXPECT_EQ(G->DisplRowIndex(4), 2);
    EXPECT_EQ(Shown(), (Rows{"r1", "r4", "r5"}));
    G->ContractNode(1); // already contracted: nothing
    EXPECT_EQ(G->NumHiddenRows(), 2);
    G->ExpandNode(1);
    EXPECT_FALSE(G->GetNodeState(1));
    EXPECT_EQ(G->RowCount(), 6);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r5"}));
    for (Integer R = 0; R < 6; ++R)
        EXPECT_EQ(G->RowHeights(R), 20 + R);
    // The state setter goes through the same paths.
    G->SetNodeState(1, true);
    EXPECT_EQ(G->RowCount(), 4);
    G->SetNodeState(1, false);
    EXPECT_EQ(G->RowCount(), 6);
}

TEST_F(NodesTest, SpanZeroCoversUpToTheNextNode)
{
    MakeGrid(8);
    G->AddNode(1, 0);
    G->AddNode(4, 2);
    G->ContractNode(1);
    EXPECT_EQ(Shown(), (Rows{"r1", "r4", "r5", "r6", "r7"}));
    G->ExpandNode(1);
    G->ContractNode(4);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r6", "r7"}));
    G->ExpandNode(4);
    // The last node with span 0 runs to the end of the grid.
    G->RemoveNode(4);
    G->AddNode(5, 0);
    G->ContractNode(5);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r5"}));
    G->ContractAll(); // a span-0 node does not stop the walk
    EXPECT_EQ(Shown(), (Rows{"r1", "r5"}));
    G->ExpandAll();
    EXPECT_EQ(G->RowCount(), 8);
}

TEST_F(NodesTest, OuterContractionOverAContractedInnerNode)
{
    MakeGrid(10);
    G->AddNode(1, 6); // rows 1..6
    G->AddNode(3, 3); // rows 3..5, level 2
    EXPECT_EQ(G->GetNodeLevel(3), 2);
    EXPECT_EQ(G->GetParentRow(4), 3);
    EXPECT_EQ(G->GetParentRow(3), 1);
    EXPECT_EQ(G->GetParentRow(6), 1);
    G->ContractNode(3);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r6", "r7", "r8", "r9"}));
    EXPECT_EQ(G->GetParentRow(4), 1); // display row 4 holds r6 now
    G->ContractNode(1);
    EXPECT_EQ(Shown(), (Rows{"r1", "r7", "r8", "r9"}));
    G->ExpandNode(1);
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r5", "r6", "r7", "r8", "r9"}));
    EXPECT_FALSE(G->GetNodeState(3));
    EXPECT_EQ(G->NumHiddenRows(), 0);
}

TEST_F(NodesTest, ExpandOneContractsTheOthers)
{
    MakeGrid(9);
    G->AddNode(1, 3);
    G->AddNode(4, 3);
    G->AddNode(7, 2);
    G->ContractAll();
    EXPECT_EQ(Shown(), (Rows{"r1", "r4", "r7"}));
    G->CellNode()->SetExpandOne(true);
    G->ExpandNode(1);
    G->ExpandNode(4);
    EXPECT_EQ(Shown(), (Rows{"r1", "r4", "r5", "r6", "r7"}));
    EXPECT_TRUE(G->GetNodeState(1));
    EXPECT_FALSE(G->GetNodeState(2));
    EXPECT_TRUE(G->GetNodeState(5));
}

TEST_F(NodesTest, ContractAllAndExpandAll)
{
    MakeGrid(10);
    G->AddNode(1, 4);
    G->AddNode(2, 2); // nested
    G->AddNode(6, 3);
    G->ContractNode(2);
    G->ContractAll();
    // Node rows and rows outside any node stay; the nested node is not marked.
    EXPECT_EQ(Shown(), (Rows{"r1", "r5", "r6", "r9"}));
    EXPECT_TRUE(G->GetNodeState(1));
    EXPECT_TRUE(G->GetNodeState(3));
    G->ExpandAll();
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(G->NumHiddenRows(), 0);
    for (Integer R : {1, 2, 6})
        EXPECT_FALSE(G->GetNodeState(R));
}

TEST_F(NodesTest, RemoveAllNodesShowsEveryRowAndClearsLevels)
{
    MakeGrid(10);
    G->AddNode(1, 4);
    G->AddNode(2, 2);
    G->AddNode(6, 3);
    G->ContractNode(2);
    G->ContractNode(6);
    G->RemoveAllNodes();
    EXPECT_FALSE(G->HasNodes());
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(G->NumHiddenRows(), 0);
    for (Integer R = 0; R < 10; ++R) {
        EXPECT_FALSE(G->IsNode(R));
        EXPECT_EQ(Level(R), 0) << R;
    }
    // Removing a node that is none changes nothing, the count included.
    G->AddNode(3, 2);
    G->RemoveNode(5);
    EXPECT_TRUE(G->HasNodes());
    G->RemoveNode(3);
    EXPECT_FALSE(G->HasNodes());
    EXPECT_EQ(Level(4), 0);
}

TEST_F(NodesTest, ChildRowsResizeEveryCoveringNode)
{
    MakeGrid(10);
    G->AddNode(1, 6); // rows 1..6
    G->AddNode(3, 3); // rows 3..5
    G->InsertChildRow(4, 0);
    EXPECT_EQ(G->RowCount(), 11);
    EXPECT_EQ(G->Cells(1, 4), "");
    EXPECT_EQ(G->Cells(1, 5), "r4");
    EXPECT_EQ(G->GetNodeSpan(1), 7);
    EXPECT_EQ(G->GetNodeSpan(3), 4);
    EXPECT_EQ(G->GetSubNodeCount(1), 1);
    EXPECT_EQ(G->GetSubNodeCount(3), 1);
    EXPECT_EQ(Level(4), 2);
    // Removing shrinks the inner and the outer node again.
    G->RemoveChildRow(4);
    EXPECT_EQ(G->GetNodeSpan(3), 3);
    EXPECT_EQ(G->GetNodeSpan(1), 6);
    EXPECT_EQ(G->GetSubNodeCount(1), 0);
    EXPECT_EQ(G->GetSubNodeCount(3), 0);
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(G->Cells(1, 4), "r4");
    // At a node row with position 0 the node keeps its row and its texts move into the new row,
    // which joins the node's parent.
    G->InsertChildRow(3, 0);
    EXPECT_TRUE(G->IsNode(3));
    EXPECT_EQ(G->Cells(1, 3), "");
    EXPECT_EQ(G->Cells(1, 4), "r3");
    EXPECT_EQ(G->GetNodeSpan(1), 7);
    EXPECT_EQ(G->GetNodeSpan(3), 3);
    EXPECT_EQ(Level(4), 1);
    // A contracted parent is expanded to take a child row.
    G->ContractNode(1);
    EXPECT_EQ(Shown(), (Rows{"r1", "r7", "r8", "r9"}));
    G->InsertChildRow(1, 1);
    EXPECT_FALSE(G->GetNodeState(1));
    EXPECT_EQ(G->GetNodeSpan(1), 8);
    EXPECT_EQ(G->Cells(1, 2), "");
    EXPECT_EQ(G->Cells(1, 3), "r2");
    EXPECT_EQ(G->RowCount(), 12);
}

TEST_F(NodesTest, InsertingOutsideNodesKeepsHiddenRowsInPlace)
{
    MakeGrid(8);
    G->AddNode(4, 3);
    G->ContractNode(4); // rows 5, 6 hidden
    G->InsertNormalRow(1);
    EXPECT_EQ(G->Cells(1, 1), "");
    G->ExpandNode(5);
    EXPECT_EQ(Shown(), (Rows{"", "r1", "r2", "r3", "r4", "r5", "r6", "r7"}));
    // A child row where no node covers the row leaves the hidden rows before it alone.
    G->ContractNode(5);
    G->InsertChildRow(8, 0);
    G->ExpandNode(5);
    EXPECT_EQ(Shown(), (Rows{"", "r1", "r2", "r3", "r4", "r5", "r6", "", "r7"}));
}

TEST_F(NodesTest, FilterLevelsAndNodeRowsStayApart)
{
    MakeGrid(10);
    G->AddNode(1, 5); // rows 1..5
    // A filter hides r3 (inside the node) and r8.
    TFilterData* F = G->Filter()->Add();
    F->Column = 1;
    F->Condition = "!r3 & !r8";
    G->SetFilterActive(true);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r4", "r5", "r6", "r7", "r9"}));
    G->ContractNode(1);
    EXPECT_EQ(Shown(), (Rows{"r1", "r6", "r7", "r9"}));
    // Taking the filter away shows r3 and r8 only: the node stays contracted.
    G->SetFilterActive(false);
    EXPECT_EQ(Shown(), (Rows{"r1", "r3", "r6", "r7", "r8", "r9"}));
    EXPECT_TRUE(G->GetNodeState(1));
    G->ExpandNode(1);
    EXPECT_EQ(G->RowCount(), 10);
    // The other way round: a node contracted first, then filtered and expanded.
    G->ContractNode(1);
    G->SetFilterActive(true);
    EXPECT_EQ(Shown(), (Rows{"r1", "r6", "r7", "r9"}));
    G->ExpandNode(1);
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r5", "r6", "r7", "r9"}));
    G->SetFilterActive(false);
    EXPECT_EQ(G->RowCount(), 10);
    EXPECT_EQ(G->NumHiddenRows(), 0);
}

TEST_F(NodesTest, NodeGlyphHitTest)
{
    MakeGrid(4);
    G->AddNode(1, 2);
    G->AddNode(2, 1); // level 2
    struct Case {
        TNodeType Type;
        Integer Row, X;
        bool Hit;
    };
    const Case Cases[] = {
        {cnXP, 1, 4, false},   {cnXP, 1, 5, true},      {cnXP, 1, 15, true},   {cnXP, 1, 16, false},
        {cnFlat, 1, 5, true},  {cn3D, 1, 1, true},      {cn3D, 1, 0, false},   {cn3D, 1, 17, true},
        {cn3D, 1, 18, false},  {cnLeaf, 1, 3, true},    {cnLeaf, 1, 19, true}, {cnLeaf, 1, 20, false},
        {cnXP, 2, 16, false},  {cnXP, 2, 17, true},     {cnXP, 2, 27, true},   {cnXP, 2, 28, false},
        {cnGlyph, 1, 1, true}, {cnGlyph, 1, 12, false}, // no glyph: both offsets 0
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Type) + " row " + std::to_string(C.Row) + " x " + std::to_string(C.X));
        G->CellNode()->SetNodeType(C.Type);
        EXPECT_EQ(G->InNodeRect(C.Row, C.X), C.Hit);
    }
    G->MouseActions()->PreciseNodeClick = false;
    for (Integer X : {-5, 0, 100, 1000})
        EXPECT_TRUE(G->InNodeRect(1, X));
}

// The glyph clicked with the mouse: the before-events may refuse, the after-events report the
// node's display and real rows; the rest of the node column clicks without moving the cursor.
TEST_F(NodesTest, GlyphClicksFireTheNodeEvents)
{
    MakeGrid(8);
    G->AddNode(1, 3);
    G->AddNode(4, 2);
    std::vector<std::string> Log;
    bool Refuse = false;
    auto Allow = [&](const char* Name) {
        return [&, Name](TObject*, Integer ARow, Integer ARowReal, bool& Ok) {
            Log.push_back(std::string(Name) + " " + std::to_string(ARow) + "/" + std::to_string(ARowReal));
            Ok = !Refuse;
        };
    };
    auto Done = [&](const char* Name) {
        return [&, Name](TObject*, Integer ARow, Integer ARowReal) {
            Log.push_back(std::string(Name) + " " + std::to_string(ARow) + "/" + std::to_string(ARowReal));
        };
    };
    G->OnBeforeContractNode = Allow("before contract");
    G->OnBeforeExpandNode = Allow("before expand");
    G->OnContractNode = Done("contract");
    G->OnExpandNode = Done("expand");
    G->OnClickCell = [&](TObject*, Integer ARow, Integer ACol) {
        Log.push_back("click " + std::to_string(ACol) + "," + std::to_string(ARow));
    };
    auto ClickAt = [&](Integer X, Integer ARow) {
        const TRect R = G->GetCellRect(0, ARow);
        uitest::Click(G->Handle(), R.Left + X, (R.Top + R.Bottom) / 2);
        uitest::AdvanceTime(1000); // the next click is no double click
    };
    const Integer Col0 = G->Col();

    ClickAt(10, 1); // on the glyph of the first node
    EXPECT_EQ(Log, (Rows{"click 0,1", "before contract 1/1", "contract 1/1"}));
    EXPECT_TRUE(G->GetNodeState(1));
    EXPECT_EQ(Shown(), (Rows{"r1", "r4", "r5", "r6", "r7"}));

    // The second node now stands at display row 2, real row 4.
    Log.clear();
    ClickAt(10, 2);
    EXPECT_EQ(Log, (Rows{"click 0,2", "before contract 2/4", "contract 2/4"}));
    EXPECT_EQ(Shown(), (Rows{"r1", "r4", "r6", "r7"}));

    // A refusal leaves the node as it is.
    Log.clear();
    Refuse = true;
    ClickAt(10, 1);
    EXPECT_EQ(Log, (Rows{"click 0,1", "before expand 1/1"}));
    EXPECT_TRUE(G->GetNodeState(1));
    EXPECT_EQ(G->RowCount(), 5);

    Log.clear();
    Refuse = false;
    ClickAt(10, 1);
    EXPECT_EQ(Log, (Rows{"click 0,1", "before expand 1/1", "expand 1/1"}));
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r6", "r7"}));

    // Beside the glyph, and on a row that is no node: a click, no node change, no cursor move.
    Log.clear();
    ClickAt(30, 1);
    ClickAt(10, 6);
    EXPECT_EQ(Log, (Rows{"click 0,1", "click 0,6"}));
    EXPECT_FALSE(G->GetNodeState(1));
    EXPECT_EQ(G->Col(), Col0);

    // With MoveRowOnNodeClick the clicked node row becomes the current row.
    G->MouseActions()->MoveRowOnNodeClick = true;
    G->SetRow(6);
    ClickAt(10, 4);
    EXPECT_FALSE(G->GetNodeState(4));
    EXPECT_EQ(G->Row(), 4);
}

// A node in the header row expands or contracts every node, and shows the state it gave them.
TEST_F(NodesTest, HeaderNodeGlyphExpandsAndContractsAll)
{
    MakeGrid(7);
    G->AddNode(0, 1);
    G->AddNode(1, 3);
    G->AddNode(4, 3);
    G->MouseActions()->NodeAllExpandContract = true;
    const TRect R = G->GetCellRect(0, 0);
    auto ClickGlyph = [&] {
        uitest::Click(G->Handle(), R.Left + 10, (R.Top + R.Bottom) / 2);
        uitest::AdvanceTime(1000);
    };
    ClickGlyph();
    EXPECT_TRUE(G->GetNodeState(0));
    EXPECT_EQ(Shown(), (Rows{"r1", "r4"}));
    ClickGlyph();
    EXPECT_FALSE(G->GetNodeState(0));
    EXPECT_EQ(Shown(), (Rows{"r1", "r2", "r3", "r4", "r5", "r6"}));
    // Without the setting the header glyph changes nothing.
    G->MouseActions()->NodeAllExpandContract = false;
    ClickGlyph();
    EXPECT_EQ(G->RowCount(), 7);
}

TEST_F(NodesTest, EmptyAndSingleRowGrids)
{
    MakeGrid(1);
    G->ContractAll();
    G->ExpandAll();
    G->RemoveAllNodes();
    EXPECT_EQ(G->GetParentRow(0), -1);
    G->AddNode(0, 1);
    EXPECT_TRUE(G->IsNode(0));
    G->ContractNode(0);
    EXPECT_TRUE(G->GetNodeState(0));
    EXPECT_EQ(G->RowCount(), 1);
    G->ExpandAll();
    EXPECT_FALSE(G->GetNodeState(0));
    G->RemoveAllNodes();
    EXPECT_FALSE(G->HasNodes());
}

} // namespace
