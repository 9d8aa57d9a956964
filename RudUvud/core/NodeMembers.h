// Members of TDidAririzEvar declared by outline nodes and grouping (core/Nodes.cpp,
// core/Grouping.cpp). Included only inside the class body in core/RudUvud.h; the types these
// declarations use are included there.

public:
// ======== Outline nodes (core/Nodes.cpp) ========
// A node is a row whose column-0 graphic has kind ctNode: CellBoolean is its state (true:
// contracted), CellIndex its span (rows covered, its own included; 0: up to the next node row),
// CellErrFrom its sub-node count, CellAngle the display row it was made at. The column-0 record's
// NodeLevel of a row counts the nodes covering it. Operations that act on a node take a real
// row; the queries take a display row and answer -1 (level, span, parent), 0 (sub-node count) or
// false for a row that is no node. Contracted rows go to the hidden-row store in a level of their
// own that no filter level restores.

// Makes real row ARow a node covering Span rows (expanded; any graphic in column 0 is replaced)
// and raises the node level of the rows it covers.
void AddNode(Integer ARow, Integer Span);
// Gives real row ARow a ctSummary graphic in column 0 and returns it.
TCellGraphic* AddSummary(Integer ARow);
// Expands the node at real row ARow, lowers the levels of its span and removes its graphic.
void RemoveNode(Integer ARow);
void RemoveAllNodes();
bool IsSummary(Integer ARow);
bool GetNodeState(Integer ARow);
void SetNodeState(Integer ARow, bool Contracted);
Integer GetNodeLevel(Integer ARow);
void SetNodeSpan(Integer ARow, Integer Span);
void UpdateNodeSpan(Integer ARow, Integer Delta);
void UpdateSubNodeCount(Integer ARow, Integer Delta);
void ExpandAll();
void ContractAll();
// With CellNode.ExpandOne every other expanded node is contracted first.
void ExpandNode(Integer ARow);
void ExpandNodeInt(Integer ARow);
void ContractNode(Integer ARow);
// The display row of the node covering display row ARow; a node row without a covering node
// answers itself; -1 for any other row.
Integer GetParentRow(Integer ARow);
void InsertNormalRow(Integer ARow);
void RemoveNormalRow(Integer ARow);
// Inserts a row inside the node covering real row ARow (Position 0: at ARow, 1: after it); the
// covering nodes grow by one row and are expanded.
void InsertChildRow(Integer ARow, Integer Position);
// Removes real row ARow from inside its node; the covering nodes shrink by one row.
void RemoveChildRow(Integer ARow);
// Tree line kind of display row ARow: 0 for a node row, 2 when the next row lies at the same or
// a deeper level, else 1.
Integer GetNodeSpanType(Integer ARow);
// Whether x position X hits the node glyph of display row ARow.
bool InNodeRect(Integer ARow, Integer X);
// A node glyph clicked with the left button: the before-events may refuse the change (Allow
// false), the after-events report a change made. ExpandNode and ContractNode fire none of them.
TNodeAllowEvent OnBeforeExpandNode;
TNodeClickEvent OnExpandNode;
TNodeAllowEvent OnBeforeContractNode;
TNodeClickEvent OnContractNode;

protected:
// The paint step of the tree lines in column 0 of the data rows: the line from a row to its
// node's line, the node lines passing down the rows, and the ends of the levels a row closes.
void PaintTreeLines(TGridCellPaint& P);
// The node steps of a left button press on cell (ACol, ARow) (the base cell) at (X, Y): a header
// node's glyph expands or contracts every node, a data node's glyph its own node, and a press
// elsewhere in the node column only clicks the cell. True when the press ends here.
bool NodePress(Integer ACol, Integer ARow, Integer X, Integer Y, TShiftState Shift, bool NodeRow);

public:
// ======== Grouping (core/Grouping.cpp) ========
// The grouped column (-1: not grouped). Sub-groups never change it: their columns are kept
// apart, and ungrouping takes every sub-group away before the grouped column comes back.
Integer GroupColumn() const;
// -1: UnGroup; a column above 0: Group; anything else: nothing.
void SetGroupColumn(Integer ACol);
// Groups the data rows by display column ACol (1 .. ColCount - 1, not below FixedCols) into
// header nodes in one pass; the column is taken out and comes back with UnGroup.
virtual void Group(Integer ACol);
virtual void UnGroup();
// Groups the rows inside each group by a further column (only on a grouped grid).
virtual void SubGroup(Integer ACol);
virtual void SubUnGroup(Integer ACol);
// The columns of the sub-groups in force, oldest first.
std::vector<Integer> SubGroupColumns() const;
void GroupSum(Integer ACol);
void GroupAvg(Integer ACol);
void GroupMin(Integer ACol);
void GroupMax(Integer ACol);
void GroupCount(Integer ACol);
void GroupCustomCalc(Integer ACol);
// Writes one figure per expanded group into column ACol: Kind 1 sum, 2 average, 3 minimum,
// 4 maximum, 5 count of the group's rows, 6 OnGroupCalc; other kinds write nothing.
void GroupCalc(Integer ACol, Integer Kind);

protected:
// Hides display rows (ascending, inside the grid) in the node level, in one compaction pass.
void HideNodeRows(const std::vector<Integer>& Displ);
// Opens empty rows at the final display positions Pos (ascending) in one pass, with every
// per-row table, the current cell and the listeners told once.
void InsertRowsAt(const std::vector<Integer>& Pos);
// Removes the display rows Displ (ascending, distinct) with their records in one pass, with
// every per-row table and the current cell following.
void RemoveRowsAt(const std::vector<Integer>& Displ);

private:
// The node graphic of display row R (nullptr for a row that is no node).
TCellGraphic* NodeGraphic(Integer R);
// End (exclusive) of the rows a node at display row R covers.
Integer NodeEnd(Integer R, TCellGraphic* G);
// Adds Delta to the node level of the rows a span of Span rows from display row R covers (hidden
// rows among them included).
void AddNodeLevels(Integer R, Integer Span, Integer Delta);
void DropNode(Integer R);
// The footer after a node changed, unless a bulk operation recalculates it once at its end.
void NodeFooter();
void ApplyRowColors(Integer ARow, TColor Color, TColor ColorTo, TColor TextColor);
void ApplyCellColors(Integer ACol, Integer ARow, TColor Color, TColor ColorTo, TColor TextColor);
void ResetRowColors(Integer ARow, TColor Color, TColor ColorTo);

public:
