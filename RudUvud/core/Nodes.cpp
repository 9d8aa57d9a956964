// Outline nodes: rows whose column-0 graphic is a node covering the rows below it, contracted
// into and expanded out of the hidden-row store, and rows inserted and removed inside nodes.
//
// Contracted rows go to the store in a level of their own (NodeHideLevel), apart from the
// levels filters push and pop: taking a filter away never shows the rows of a contracted node,
// and expanding a node never shows the rows a filter hid. The end of the rows a node covers is
// worked out from real rows, so rows hidden inside its span (by a nested contracted node or by a
// filter) are never counted twice. Operations over every node (ExpandAll, ContractAll) move the
// rows once in one pass and recalculate the footer once at their end.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridNodeState.h"
#include "RudUvud/core/GridSelectionState.h"

#include "platform/win/Windows.h"

#include <algorithm>

namespace {

// The hide level of rows hidden by contracted nodes: below every level a filter pushes.
constexpr Integer NodeHideLevel = -1;

} // namespace

// ---- Node graphics and levels ---------------------------------------------------------------------

TCellGraphic* TDidAririzEvar::NodeGraphic(Integer R)
{
    if (R < 0 || R >= RowCount() || GetCellType(0, R) != ctNode)
        return nullptr;
    return GetCellGraphic(0, R);
}

Integer TDidAririzEvar::NodeEnd(Integer R, TCellGraphic* G)
{
    if (G->CellIndex > 0) {
        // The first real row after the span, as a display row: rows hidden inside the span
        // (nested contracted nodes, filtered rows) take no display row.
        const Integer RealEnd = RealRowIndex(R) + G->CellIndex;
        return std::min(DisplRowIndex(RealEnd), RowCount());
    }
    Integer E = R + 1;
    while (E < RowCount() && GetCellType(0, E) != ctNode)
        ++E;
    return E;
}

void TDidAririzEvar::AddNodeLevels(Integer R, Integer Span, Integer Delta)
{
    if (Span <= 0 || R < 0)
        return;
    auto Add = [&](TCellProperties* CP) { CP->SetNodeLevel(std::max<Integer>(CP->NodeLevel() + Delta, 0)); };
    // The span counts real rows: the shown ones, and the hidden ones in the store.
    const Integer RealR = RealRowIndex(R);
    const Integer End = std::min(DisplRowIndex(RealR + Span), RowCount());
    for (Integer D = R; D < End; ++D) {
        if (Delta > 0)
            Add(GetCellProperties(0, D));
        else if (TCellProperties* CP = RecordAt(0, D))
            Add(CP);
    }
    auto& Hidden = FCore.Rows.Hidden();
    for (Integer K = HiddenBelow(RealR); K < NumHiddenRows() && Hidden[K].Idx < RealR + Span; ++K)
        if (!Hidden[K].Items.empty())
            if (TCellProperties* CP = AsRecord(Hidden[K].Items[0].Object))
                Add(CP);
}

void TDidAririzEvar::NodeFooter()
{
    if (FNodes.Bulk == 0)
        CalcFooter(-1);
}

// ---- Adding and removing nodes --------------------------------------------------------------------

void TDidAririzEvar::AddNode(Integer ARow, Integer Span)
{
    const Integer R = DisplRowIndex(ARow);
    // A hidden row or a row outside the grid has no display row to carry the node.
    if (ARow < 0 || R >= RowCount() || IsHiddenRow(ARow))
        return;
    TCellGraphic* G = CreateCellGraphic(0, R);
    G->CellType = ctNode;
    G->CellAngle = R;
    G->CellBoolean = false;
    G->CellIndex = Span;
    G->CellHAlign = haBeforeText;
    G->CellVAlign = vaCenter;
    G->CellErrFrom = 0;
    G->SetGroupTag(-1);
    AddNodeLevels(R, Span, 1);
    if (FCore.FNodeCount == 0)
        InvalidateCol(0);
    ++FCore.FNodeCount;
    // The node column is no resting place for the cursor.
    if (Col() == 0 && ColCount() > 1)
        SetCol(1);
}

TCellGraphic* TDidAririzEvar::AddSummary(Integer ARow)
{
    const Integer R = DisplRowIndex(ARow);
    if (ARow < 0 || R >= RowCount() || IsHiddenRow(ARow))
        return nullptr;
    TCellGraphic* G = CreateCellGraphic(0, R);
    G->CellType = ctSummary;
    return G;
}

void TDidAririzEvar::DropNode(Integer R)
{
    TCellGraphic* G = NodeGraphic(R);
    if (!G)
        return;
    AddNodeLevels(R, G->CellIndex, -1);
    RemoveCellGraphic(0, R, ctNode);
    FCore.FNodeCount = std::max<Integer>(FCore.FNodeCount - 1, 0);
}

void TDidAririzEvar::RemoveNode(Integer ARow)
{
    if (IsHiddenRow(ARow) || !NodeGraphic(DisplRowIndex(ARow)))
        return;
    ExpandNodeInt(ARow);
    DropNode(DisplRowIndex(ARow));
}

void TDidAririzEvar::RemoveAllNodes()
{
    ++FNodes.Bulk;
    // Outer nodes go first; the nested ones they showed are met further down the walk.
    for (Integer I = 0; I < RowCount(); ++I)
        if (NodeGraphic(I)) {
            ExpandNodeInt(RealRowIndex(I));
            DropNode(I);
        }
    --FNodes.Bulk;
    NodeFooter();
    Invalidate();
}

// ---- Queries ---------------------------------------------------------------------------------------

bool TDidAririzEvar::IsSummary(Integer ARow)
{
    return ARow >= 0 && GetCellType(0, ARow) == ctSummary;
}

bool TDidAririzEvar::GetNodeState(Integer ARow)
{
    TCellGraphic* G = NodeGraphic(ARow);
    return G && G->CellBoolean;
}

void TDidAririzEvar::SetNodeState(Integer ARow, bool Contracted)
{
    TCellGraphic* G = NodeGraphic(ARow);
    if (!G || G->CellBoolean == Contracted)
        return;
    if (Contracted)
        ContractNode(RealRowIndex(ARow));
    else
        ExpandNode(RealRowIndex(ARow));
}

Integer TDidAririzEvar::GetNodeLevel(Integer ARow)
{
    if (!NodeGraphic(ARow))
        return -1;
    TCellProperties* CP = RecordAt(0, ARow);
    return CP ? CP->NodeLevel() : 0;
}

void TDidAririzEvar::SetNodeSpan(Integer ARow, Integer Span)
{
    if (TCellGraphic* G = NodeGraphic(ARow))
        G->CellIndex = Span;
}

void TDidAririzEvar::UpdateNodeSpan(Integer ARow, Integer Delta)
{
    if (TCellGraphic* G = NodeGraphic(ARow))
        G->CellIndex += Delta;
}

void TDidAririzEvar::UpdateSubNodeCount(Integer ARow, Integer Delta)
{
    if (TCellGraphic* G = NodeGraphic(ARow))
        G->CellErrFrom += Delta;
}

Integer TDidAririzEvar::GetParentRow(Integer ARow)
{
    if (FCore.FNodeCount == 0)
        return -1;
    Integer Limit = 0xFFFF, Result = -1;
    if (NodeGraphic(ARow)) {
        Limit = GetNodeLevel(ARow);
        Result = ARow;
    }
    Integer Hidden = 0;
    for (Integer I = std::min(ARow, RowCount() - 1); I >= FixedRows(); --I) {
        TCellGraphic* G = NodeGraphic(I);
        if (!G || GetNodeLevel(I) >= Limit)
            continue;
        const Integer S = G->CellIndex;
        if (G->CellBoolean)
            Hidden += S - 1;
        if (I + S - Hidden > ARow)
            return I;
    }
    return Result;
}

Integer TDidAririzEvar::GetNodeSpanType(Integer ARow)
{
    if (NodeGraphic(ARow))
        return 0;
    if (ARow >= RowCount() - FCore.FixedFooters - 1)
        return 1;
    TCellProperties* Next = RecordAt(0, ARow + 1);
    TCellProperties* This = RecordAt(0, ARow);
    if (Next && Next->NodeLevel() >= (This ? This->NodeLevel() : 0))
        return 2;
    return 1;
}

bool TDidAririzEvar::InNodeRect(Integer ARow, Integer X)
{
    if (!FMouseActions->PreciseNodeClick)
        return true;
    const Integer Level = GetNodeLevel(ARow);
    const Integer Indent = FCellNode->NodeIndent();
    Integer W = 4, B = 4;
    switch (FCellNode->NodeType()) {
    case cnFlat:
    case cnXP:
        break;
    case cn3D:
        W = 6;
        B = 0;
        break;
    case cnGlyph: {
        TBitmap* Glyph = FCellNode->ExpandGlyph();
        const bool Has = Glyph && !Glyph->Empty();
        W = Has ? Glyph->Width() / 2 : 0;
        B = Has ? 2 : 0;
        break;
    }
    case cnLeaf:
        W = 8;
        B = 2;
        break;
    }
    if (BiDiMode() != bdRightToLeft)
        return (Level - 1) * Indent + B < X && X < Level * Indent + W;
    if (VisibleRowCount() < RowCount() - FixedRows())
        X += ::GetSystemMetrics(SM_CXVSCROLL);
    return X >= Width() - 2 - Level * Indent - W && X < Width() - (Level - 1) * Indent;
}

// ---- Hiding into the node level --------------------------------------------------------------------

void TDidAririzEvar::HideNodeRows(const std::vector<Integer>& Displ)
{
    HideRowsInLevel(Displ, NodeHideLevel);
}

// ---- Expanding and contracting ---------------------------------------------------------------------

void TDidAririzEvar::ExpandNodeInt(Integer ARow)
{
    if (IsHiddenRow(ARow))
        return;
    const Integer R = DisplRowIndex(ARow);
    TCellGraphic* G = NodeGraphic(R);
    if (!G || !G->CellBoolean)
        return;
    G->CellBoolean = false;
    // The rows of the span (real rows), or with span 0 the rows up to the next node row.
    const Integer First = ARow + 1;
    Integer Last = ARow + G->CellIndex - 1;
    if (G->CellIndex == 0) {
        Integer E = R + 1;
        while (E < RowCount() && GetCellType(0, E) != ctNode)
            ++E;
        Last = E < RowCount() ? RealRowIndex(E) - 1 : TotalRowCount() - 1;
    }
    const Integer SavedTop = TopRow(), SavedRow = Row();
    const bool Disjunct = FMouseActions->DisjunctRowSelect();
    FMouseActions->SetDisjunctRowSelect(false);
    const bool RowSelect = Options().Contains(goRowSelect);
    if (RowSelect)
        SetOptions(Options() - TGridOptions{goRowSelect});
    BeginUpdate();
    RestoreEntries(FCore.Rows.TakeHiddenInLevel(First, Last, NodeHideLevel));
    if (RowSelect) {
        SetOptions(Options() + TGridOptions{goRowSelect});
        const Integer Lowest = std::min(FixedRows(), RowCount() - 1);
        SetRow(std::clamp(SavedRow, Lowest, RowCount() - 1));
        SetTopRow(std::clamp(SavedTop, Lowest, RowCount() - 1));
    }
    FMouseActions->SetDisjunctRowSelect(Disjunct);
    EndUpdate();
    NodeFooter();
}

void TDidAririzEvar::ExpandNode(Integer ARow)
{
    if (FCellNode->ExpandOne()) {
        const Integer Count = RowCount();
        // Contracting a node moves the rows below it up: the bound is re-read so that the walk
        // never reads past the grid.
        for (Integer I = FixedRows(); I < Count && I < RowCount(); ++I) {
            TCellGraphic* G = NodeGraphic(I);
            if (G && !G->CellBoolean)
                ContractNode(RealRowIndex(I));
        }
    }
    ExpandNodeInt(ARow);
}

void TDidAririzEvar::ContractNode(Integer ARow)
{
    HideInplaceEdit();
    const bool WasQuiet = FSel.QuietSelect;
    FSel.QuietSelect = true;
    const Integer R = DisplRowIndex(ARow);
    TCellGraphic* G = IsHiddenRow(ARow) ? nullptr : NodeGraphic(R);
    if (!G || G->CellBoolean) {
        FSel.QuietSelect = WasQuiet;
        return;
    }
    G->CellBoolean = true;
    const Integer A = R + 1;
    const Integer E = NodeEnd(R, G);
    // A nested contracted node is switched to expanded as it goes into the store (its rows are
    // there already), so that expanding this node shows every row again.
    std::vector<Integer> Rows;
    for (Integer I = A; I < E; ++I) {
        if (TCellGraphic* N = NodeGraphic(I))
            N->CellBoolean = false;
        Rows.push_back(I);
    }
    HideNodeRows(Rows);
    FSel.QuietSelect = WasQuiet;
    NodeFooter();
}

void TDidAririzEvar::ExpandAll()
{
    BeginUpdate();
    ++FNodes.Bulk;
    // Every contracted node's rows come back in one pass.
    bool Any = false;
    for (const TGridItem& E : FCore.Rows.Hidden())
        if (E.Level == NodeHideLevel) {
            Any = true;
            break;
        }
    if (Any)
        RestoreEntries(FCore.Rows.TakeLevel(NodeHideLevel));
    for (Integer I = 0; I < RowCount(); ++I)
        if (TCellGraphic* G = NodeGraphic(I))
            G->CellBoolean = false;
    // Node rows a filter hid are expanded as well.
    for (TGridItem& E : FCore.Rows.Hidden())
        if (!E.Items.empty())
            if (TCellProperties* CP = AsRecord(E.Items[0].Object))
                if (auto* G = dynamic_cast<TCellGraphic*>(CP->GraphicObject()); G && G->CellType == ctNode)
                    G->CellBoolean = false;
    --FNodes.Bulk;
    EndUpdate();
    NodeFooter();
}

void TDidAririzEvar::ContractAll()
{
    BeginUpdate();
    ++FNodes.Bulk;
    ExpandAll();
    // Top-level nodes only: nested nodes inside a span are neither visited nor marked.
    std::vector<Integer> Rows;
    Integer A = FixedRows();
    while (A < RowCount()) {
        TCellGraphic* G = NodeGraphic(A);
        if (!G) {
            ++A;
            continue;
        }
        G->CellBoolean = true;
        const Integer E = NodeEnd(A, G);
        for (Integer I = A + 1; I < E; ++I)
            Rows.push_back(I);
        A = std::max(E, A + 1);
    }
    HideNodeRows(Rows);
    CellControlsUpdate();
    --FNodes.Bulk;
    EndUpdate();
    NodeFooter();
}

// ---- Rows inside nodes -----------------------------------------------------------------------------

void TDidAririzEvar::InsertNormalRow(Integer ARow)
{
    // InsertRows renumbers the hidden rows after the new one.
    InsertRows(DisplRowIndex(ARow), 1, true);
}

void TDidAririzEvar::RemoveNormalRow(Integer ARow)
{
    RemoveRows(ARow, 1);
    FCore.LargestRowCount = std::max<Integer>(FCore.LargestRowCount - 1, 0);
}

void TDidAririzEvar::InsertChildRow(Integer ARow, Integer Position)
{
    Integer R = DisplRowIndex(ARow);
    if (ARow < 0 || R > RowCount())
        return;
    Integer Level = 1;
    const Integer P = GetParentRow(R);
    auto Grow = [&](Integer N) {
        UpdateNodeSpan(N, 1);
        UpdateSubNodeCount(N, 1);
        ExpandNode(RealRowIndex(N));
        TCellProperties* CP = RecordAt(0, N);
        return CP ? CP->NodeLevel() : 0;
    };
    if (P != -1)
        Level = Grow(P);
    // The nodes above the parent grow too, each ancestor once.
    Integer L = Level, Q = P;
    while (L > 1 && Q != -1 && Q >= FixedRows()) {
        const Integer Up = GetParentRow(Q);
        if (Up == Q)
            break;
        Q = Up;
        TCellProperties* CP = Q != -1 ? RecordAt(0, Q) : nullptr;
        if (CP && CP->NodeLevel() >= L)
            continue;
        L = 0;
        if (Q != -1)
            L = Grow(Q);
    }
    // Expanding may have shown rows above the row: find it again.
    R = DisplRowIndex(ARow);
    const bool MoveDown = NodeGraphic(R) && Position == 0;
    if (MoveDown)
        Position = 1;
    InsertRows(R + Position, 1, true);
    if (MoveDown) {
        // The node keeps its row, graphic and properties; its texts and user objects move into
        // the new row under it.
        for (Integer C = 0; C < TotalColCount(); ++C) {
            SetGridCell(C, R + 1, GetGridCell(C, R));
            SetGridCell(C, R, "");
            if (C > 0)
                if (TCellProperties* CP = RecordAt(C, R); CP && CP->CellObject()) {
                    GetCellProperties(C, R + 1)->SetCellObject(CP->CellObject());
                    CP->SetCellObject(nullptr);
                }
        }
    }
    if (P != -1)
        GetCellProperties(0, R + Position)->SetNodeLevel(Level);
}

void TDidAririzEvar::RemoveChildRow(Integer ARow)
{
    if (ARow < 0 || IsHiddenRow(ARow))
        return;
    const Integer R = DisplRowIndex(ARow);
    if (R >= RowCount())
        return;
    Integer B = GetParentRow(R);
    if (B != -1) {
        const Integer Level = GetNodeLevel(B);
        auto Shrink = [&](Integer N) {
            if (GetNodeSpan(N) > 1) {
                UpdateNodeSpan(N, -1);
                UpdateSubNodeCount(N, -1);
            }
        };
        Shrink(B);
        for (;;) {
            ExpandNode(RealRowIndex(B));
            if (GetNodeLevel(B) <= 1)
                break;
            const Integer Up = GetParentRow(B);
            if (Up == B || Up == -1 || GetNodeLevel(Up) >= Level)
                break;
            B = Up;
            Shrink(B);
        }
    }
    RemoveRowsInternal(DisplRowIndex(ARow), 1);
    FCore.LargestRowCount = std::max<Integer>(FCore.LargestRowCount - 1, 0);
}

// ---- Rows opened and removed at once -------------------------------------------------------------

void TDidAririzEvar::InsertRowsAt(const std::vector<Integer>& Pos)
{
    if (Pos.empty())
        return;
    HideInplaceEdit();
    const Integer OldTotal = TotalRowCount(), OldCount = RowCount();
    std::vector<Integer> RealPos;
    RealPos.reserve(Pos.size());
    for (size_t K = 0; K < Pos.size(); ++K) {
        // New row K goes right before the row now at display row D (or at the end), after the
        // K new rows before it.
        const Integer D = Pos[K] - static_cast<Integer>(K);
        RealPos.push_back((D < OldCount ? RealRowIndex(D) : OldTotal) + static_cast<Integer>(K));
    }
    const TGridCoord Cur = FCurrent, Anc = FAnchor;
    ExpandRows(Pos, nullptr);
    FCore.Rows.InsertedAt(Pos, RealPos, OldTotal, MouseActions()->RowSelectPersistent);
    // The current cell stays with its row.
    auto Opened = [&](Integer Y) {
        Integer N = 0;
        while (N < static_cast<Integer>(Pos.size()) && Pos[N] - N <= Y)
            ++N;
        return Y + N;
    };
    FCurrent.Y = Opened(Cur.Y);
    FAnchor.Y = Opened(Anc.Y);
    Invalidate();
    CellsChanged(TRect{0, Pos.front(), ColCount() - 1, Pos.back()});
}

void TDidAririzEvar::RemoveRowsAt(const std::vector<Integer>& Displ)
{
    if (Displ.empty())
        return;
    HideInplaceEdit();
    std::vector<Integer> RealGone;
    RealGone.reserve(Displ.size());
    for (Integer D : Displ)
        RealGone.push_back(RealRowIndex(D));
    const Integer OldTotal = TotalRowCount();
    const TGridCoord Cur = FCurrent, Anc = FAnchor;
    CompactRows(Displ, nullptr);
    FCore.Rows.RemovedAt(Displ, RealGone, OldTotal, MouseActions()->RowSelectPersistent);
    // The current cell stays with its row; one on a removed row goes to the row taking its place.
    auto Keep = [&](Integer Y) {
        const Integer N =
            static_cast<Integer>(std::lower_bound(Displ.begin(), Displ.end(), Y) - Displ.begin());
        const Integer Lowest = std::min(FixedRows(), RowCount() - 1);
        return std::clamp(Y - N, Lowest, RowCount() - 1);
    };
    FCurrent.Y = Keep(Cur.Y);
    FAnchor.Y = Keep(Anc.Y);
    Invalidate();
    CellsChanged(TRect{0, Displ.front(), ColCount() - 1, Displ.back()});
}
