// Grouping rows by the values of a column into header nodes (with optional summary rows),
// sub-grouping inside the groups, ungrouping, and the per-group figures.
//
// Group finds every run of equal values in one walk, then opens all header and summary rows in
// one pass over the grid, so the cost grows with the rows, not with groups times rows. UnGroup
// takes every sub-group away first and removes all header and summary rows in one pass. The
// sub-group columns are kept apart from the grouped column: a sub-group never changes what
// UnGroup brings back.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridNodeState.h"

#include <algorithm>

// ---- Colours ---------------------------------------------------------------------------------------

void TDidAririzEvar::ApplyRowColors(Integer ARow, TColor Color, TColor ColorTo, TColor TextColor)
{
    if (Color != clNone)
        SetRowColor(ARow, Color);
    if (ColorTo != clNone)
        SetRowColorTo(ARow, ColorTo);
    if (TextColor != clNone)
        SetRowFontColor(ARow, TextColor);
}

void TDidAririzEvar::ApplyCellColors(Integer ACol, Integer ARow, TColor Color, TColor ColorTo,
                                     TColor TextColor)
{
    if (Color != clNone)
        SetColors(ACol, ARow, Color);
    if (ColorTo != clNone)
        SetColorsTo(ACol, ARow, ColorTo);
    if (TextColor != clNone)
        SetFontColors(ACol, ARow, TextColor);
}

void TDidAririzEvar::ResetRowColors(Integer ARow, TColor Color, TColor ColorTo)
{
    if (Color != clNone)
        SetRowColor(ARow, clNone);
    if (ColorTo != clNone)
        SetRowColorTo(ARow, clNone);
}

// ---- Grouping -------------------------------------------------------------------------------------

Integer TDidAririzEvar::GroupColumn() const
{
    return FNodes.GroupColumn;
}

void TDidAririzEvar::SetGroupColumn(Integer ACol)
{
    if (ACol == -1)
        UnGroup();
    else if (ACol > 0)
        Group(ACol);
}

std::vector<Integer> TDidAririzEvar::SubGroupColumns() const
{
    return FNodes.SubGroups;
}

void TDidAririzEvar::Group(Integer ACol)
{
    // Column 0 holds the nodes and could not be put back; a column outside the grid has no rows.
    if (ACol < std::max<Integer>(FixedCols(), 1) || ACol >= ColCount())
        return;
    if (FNodes.GroupColumn != -1)
        UnGroup();
    const Integer First = FixedRows();
    if (RowCount() - FCore.FixedFooters <= First)
        return;
    BeginUpdate();
    ++FNodes.Bulk;
    TGrouping* Look = FGrouping.get();
    const bool Summary = Look->Summary;
    const Integer RC = RealColIndex(ACol);
    FNodes.GroupColumn = ACol;
    FNodes.GroupColWidth = ColWidths(ACol);
    if (FixedRows() > 0)
        FNodes.GroupColHeader = GetGridCell(RC, 0);
    if (FCore.FixedFooters > 0)
        FNodes.GroupColFooter = GetGridCell(RC, RowCount() - 1);
    // The column that receives the header texts once the grouped column is gone.
    const Integer H = ACol == 1 ? 2 : 1;
    if (FSortSettings->AutoSortForGrouping) {
        FSortSettings->Column = RC;
        QSort();
    }
    // One walk: a group starts at the first data row and wherever the value changes.
    const Integer End = RowCount() - FCore.FixedFooters;
    std::vector<Integer> Starts;
    std::vector<AnsiString> Values;
    for (Integer J = First; J < End; ++J) {
        AnsiString Cur = GetGridCell(RC, J);
        if (Values.empty() || Cur != Values.back()) {
            Starts.push_back(J);
            Values.push_back(std::move(Cur));
        }
    }
    // Final places: each group's header before its rows, its summary after them.
    const Integer Added = Summary ? 2 : 1;
    const Integer N = static_cast<Integer>(Starts.size());
    auto GroupEnd = [&](Integer K) { return K + 1 < N ? Starts[K + 1] : End; };
    std::vector<Integer> Pos;
    Pos.reserve(static_cast<size_t>(N * Added));
    for (Integer K = 0; K < N; ++K) {
        Pos.push_back(Starts[K] + K * Added);
        if (Summary)
            Pos.push_back(GroupEnd(K) + K * Added + 1);
    }
    InsertRowsAt(Pos);
    const Integer HC = RealColIndex(H);
    for (Integer K = 0; K < N; ++K) {
        const Integer Rows = GroupEnd(K) - Starts[K];
        const Integer Header = Starts[K] + K * Added;
        SetCellEx(HC, Header, Values[K]);
        if (!Look->MergeHeader)
            ApplyRowColors(Header, Look->HeaderColor, Look->HeaderColorTo, Look->HeaderTextColor);
        AddNode(RealRowIndex(Header), Rows + 1);
        if (Summary) {
            const Integer S = Header + Rows + 1;
            AddSummary(RealRowIndex(S));
            if (!Look->MergeSummary)
                ApplyRowColors(S, Look->SummaryColor, Look->SummaryColorTo, Look->SummaryTextColor);
        }
    }
    RemoveCols(ACol, 1);
    if (Look->MergeHeader || (Look->MergeSummary && Summary)) {
        for (Integer J = First; J < RowCount(); ++J) {
            if (Look->MergeHeader && NodeGraphic(J)) {
                MergeCells(1, J, ColCount() - 1, 1);
                ApplyCellColors(1, J, Look->HeaderColor, Look->HeaderColorTo, Look->HeaderTextColor);
            } else if (Look->MergeSummary && Summary && IsSummary(J)) {
                MergeCells(1, J, ColCount() - 1, 1);
                ApplyCellColors(1, J, Look->SummaryColor, Look->SummaryColorTo, Look->SummaryTextColor);
            }
        }
    }
    if (RowCount() > First)
        SetRow(First);
    --FNodes.Bulk;
    EndUpdate();
    if (FSearchFooter->Visible() && FSearchPanel) {
        // Widened and narrowed again, the panel lays itself out anew.
        const Integer W = FSearchPanel->Width();
        FSearchPanel->SetWidth(W + 1);
        FSearchPanel->SetWidth(W);
    }
    NodeFooter();
}

void TDidAririzEvar::UnGroup()
{
    if (FNodes.GroupColumn <= 0)
        return;
    BeginUpdate();
    ++FNodes.Bulk;
    ExpandAll();
    // The sub-groups go first, newest first, so that every column is back where Group found it.
    while (!FNodes.SubGroups.empty())
        SubUnGroup(FNodes.SubGroups.back());
    TGrouping* Look = FGrouping.get();
    const Integer GC = FNodes.GroupColumn;
    const Integer H = GC == 1 ? 2 : 1;
    InsertCols(GC, 1);
    SetColWidths(GC, FNodes.GroupColWidth);
    const Integer RC = RealColIndex(GC), HC = RealColIndex(H);
    if (FixedRows() > 0)
        SetCellEx(RC, 0, FNodes.GroupColHeader);
    if (FCore.FixedFooters > 0)
        SetCellEx(RC, RowCount() - 1, FNodes.GroupColFooter);
    // Each data row gets its group's value back; header and summary rows are emptied here and
    // removed together in one pass.
    AnsiString Value;
    std::vector<Integer> Gone;
    for (Integer I = FixedRows(); I <= RowCount() - FCore.FixedFooters - 1; ++I) {
        if (NodeGraphic(I)) {
            Value = GetGridCell(HC, I);
            DropNode(I);
            ClearPropCell(0, I);
            if (Look->MergeHeader)
                SplitCells(1, I);
            else
                ResetRowColors(I, Look->HeaderColor, Look->HeaderColorTo);
        } else if (IsSummary(I)) {
            if (Look->MergeSummary)
                SplitCells(1, I);
            else
                ResetRowColors(I, Look->SummaryColor, Look->SummaryColorTo);
        } else {
            SetCellEx(RC, I, Value);
            continue;
        }
        ClearRect(0, I, ColCount() - 1, I);
        Gone.push_back(I);
    }
    RemoveRowsAt(Gone);
    FNodes.GroupColumn = -1;
    --FNodes.Bulk;
    EndUpdate();
    Invalidate();
    NodeFooter();
}

// ---- Sub-groups -----------------------------------------------------------------------------------

void TDidAririzEvar::SubGroup(Integer ACol)
{
    // Sub-groups are made inside groups: a grid that is not grouped has none to make them in.
    if (ACol < FixedCols() || ACol < 0 || ACol >= ColCount() || FNodes.GroupColumn == -1)
        return;
    BeginUpdate();
    ++FNodes.Bulk;
    // Contracted groups would hide the rows the walk has to see.
    ExpandAll();
    FNodes.SubGroups.push_back(ACol);
    TGrouping* Look = FGrouping.get();
    const Integer H = ACol + 1;
    const Integer RC = RealColIndex(ACol);
    const Integer HC = H < ColCount() ? RealColIndex(H) : H + NumHiddenColumns();
    auto Plain = [&](Integer R) { return !NodeGraphic(R) && !IsSummary(R); };
    auto MakeNode = [&](Integer At, Integer Span) {
        AddNode(RealRowIndex(At), Span);
        if (TCellGraphic* G = NodeGraphic(At))
            G->SetGroupTag(ACol);
    };
    // Prev: the value of the sub-group running; none right after a header or summary row, so
    // that the next data row always opens a sub-group.
    AnsiString Prev;
    bool HavePrev = false;
    Integer Last = -1;
    Integer J = FixedRows() + 1;
    while (J < RowCount() - FCore.FixedFooters) {
        const AnsiString Cur = GetCellEx(RC, J);
        if (!HavePrev || Cur != Prev || !Plain(J)) {
            if (Last != -1 && Plain(Last))
                MakeNode(Last, J - Last);
            if (Plain(J)) {
                InsertChildRow(RealRowIndex(J), 0);
                SetCellEx(HC, J, Cur);
                if (Look->MergeHeader) {
                    MergeCells(H, J, ColCount() - H, 1);
                    ApplyCellColors(H, J, Look->HeaderColor, Look->HeaderColorTo, Look->HeaderTextColor);
                } else {
                    ApplyRowColors(J, Look->HeaderColor, Look->HeaderColorTo, Look->HeaderTextColor);
                }
            }
            Last = J;
            ++J;
        }
        if (J < RowCount() && Plain(J - 1)) {
            // The value now shows in the sub-header only.
            Prev = GetCellEx(RC, J);
            HavePrev = true;
            SetCellEx(RC, J, "");
            ++J;
        } else {
            HavePrev = false;
        }
    }
    if (Last != -1 && Plain(Last)) {
        MakeNode(Last, J - Last);
        if (Look->Summary) {
            InsertRows(J, 1, true);
            AddSummary(RealRowIndex(J));
            if (Look->MergeSummary) {
                MergeCells(H, J, ColCount() - H, 1);
                ApplyCellColors(H, J, Look->SummaryColor, Look->SummaryColorTo, Look->SummaryTextColor);
            } else {
                ApplyRowColors(J, Look->SummaryColor, Look->SummaryColorTo, Look->SummaryTextColor);
            }
        }
    }
    if (RowCount() > FixedRows())
        SetRow(FixedRows());
    --FNodes.Bulk;
    EndUpdate();
    NodeFooter();
}

void TDidAririzEvar::SubUnGroup(Integer ACol)
{
    ++FNodes.Bulk;
    ExpandAll();
    TGrouping* Look = FGrouping.get();
    const Integer RC = RealColIndex(ACol);
    const Integer H = ACol + 1;
    const Integer HC = H < ColCount() ? RealColIndex(H) : H + NumHiddenColumns();
    AnsiString Value;
    Integer I = FixedRows();
    while (I <= RowCount() - FCore.FixedFooters - 1) {
        TCellGraphic* G = NodeGraphic(I);
        if (G && G->GroupTag() == ACol) {
            Value = GetCellEx(HC, I);
            RemoveNode(RealRowIndex(I));
            if (!Look->MergeHeader)
                ResetRowColors(I, Look->HeaderColor, Look->HeaderColorTo);
            RemoveChildRow(RealRowIndex(I));
        } else {
            if (!G && !IsSummary(I))
                SetCellEx(RC, I, Value);
            ++I;
        }
    }
    // The newest sub-group of this column is gone.
    auto It = std::find(FNodes.SubGroups.rbegin(), FNodes.SubGroups.rend(), ACol);
    if (It != FNodes.SubGroups.rend())
        FNodes.SubGroups.erase(std::next(It).base());
    --FNodes.Bulk;
    NodeFooter();
}

// ---- Group figures --------------------------------------------------------------------------------

void TDidAririzEvar::GroupSum(Integer ACol)
{
    GroupCalc(ACol, 1);
}

void TDidAririzEvar::GroupAvg(Integer ACol)
{
    GroupCalc(ACol, 2);
}

void TDidAririzEvar::GroupMin(Integer ACol)
{
    GroupCalc(ACol, 3);
}

void TDidAririzEvar::GroupMax(Integer ACol)
{
    GroupCalc(ACol, 4);
}

void TDidAririzEvar::GroupCount(Integer ACol)
{
    GroupCalc(ACol, 5);
}

void TDidAririzEvar::GroupCustomCalc(Integer ACol)
{
    GroupCalc(ACol, 6);
}

void TDidAririzEvar::GroupCalc(Integer ACol, Integer Kind)
{
    if (Kind < 1 || Kind > 6)
        return;
    Integer B = FixedRows();
    while (B < RowCount()) {
        TCellGraphic* G = NodeGraphic(B);
        if (!G || G->CellBoolean) {
            // A contracted group gets no figure.
            ++B;
            continue;
        }
        const Integer S = G->CellIndex;
        const Integer End = B + S;
        // The summary row when there is one, else the header row.
        const Integer Target = FGrouping->Summary && IsSummary(End) ? End : B;
        switch (Kind) {
        case 1:
            SetFloats(ACol, Target, ColumnSum(ACol, B + 1, End - 1));
            break;
        case 2:
            SetFloats(ACol, Target, ColumnAvg(ACol, B + 1, End - 1));
            break;
        case 3:
            SetFloats(ACol, Target, ColumnMin(ACol, B + 1, End - 1));
            break;
        case 4:
            SetFloats(ACol, Target, ColumnMax(ACol, B + 1, End - 1));
            break;
        case 5:
            SetInts(ACol, Target, S - 1);
            break;
        case 6:
            SetFloats(ACol, Target, ColumnCustomCalc(ACol, B + 1, End - 1));
            break;
        }
        // Nodes inside the span are not visited; a span of 0 still moves on.
        B = std::max(End, B + 1);
    }
}
