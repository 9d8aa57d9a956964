// Row and column edits of the string grid: moving, inserting, removing, clearing, merging and
// splitting. Rows move as whole row objects (pointer exchanges in the cell store), and every
// structure kept per row (disjunct marks, modified flags, hidden-row indexes, the sort's
// cross-reference list, the current row) moves in step.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/exchange/GridExchangeState.h"

#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace {

// Remaps the set indexes of a selection list through F (an index mapped below 0 is dropped),
// keeping their selection order.
template <class F> void RemapList(TSelectionList& L, F Map)
{
    if (L.Count() == 0)
        return;
    const std::vector<Integer> Order = L.Order();
    L.Clear();
    for (Integer I : Order) {
        const Integer N = Map(I);
        if (N >= 0)
            L.Set(N, true);
    }
}

// Index after inserting Count items at At.
Integer Shifted(Integer I, Integer At, Integer Count)
{
    return I >= At ? I + Count : I;
}

} // namespace

// ---- Moves ------------------------------------------------------------------------------------------

void TDidAririzEvar::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
    // The cell store, hidden rows and the column tables are kept by real column.
    const Integer RF = RealColIndex(FromIndex), RT = RealColIndex(ToIndex);
    TBaseGrid::ColumnMoved(RF, RT);
    for (TGridItem& E : RowTables().Hidden()) {
        if (static_cast<Integer>(E.Items.size()) <= std::max(RF, RT))
            E.Items.resize(static_cast<size_t>(std::max(RF, RT)) + 1);
        MoveItem(E.Items, RF, RT);
    }
    MoveItem(FCore.ColumnOrder, FromIndex, ToIndex);
    if (FCore.EnhRowColMove) {
        ColAxis().Move(FromIndex, ToIndex);
        if (RF <= 512 && RT <= 512) {
            MoveItem(FCore.VisibleCols, RF, RT);
            MoveItem(FCore.HiddenColWidths, RF, RT);
            FCore.ColMapsStale = true;
        }
        ColWidthsChanged();
    }
    FCurrent.X = MovedIndex(FCurrent.X, FromIndex, ToIndex);
    FAnchor.X = MovedIndex(FAnchor.X, FromIndex, ToIndex);
    // The sort column follows its cells, and so do the columns of a multi-column sort (the
    // direction kept in the high bits).
    if (FSortSettings->Column >= 0)
        FSortSettings->Column = MovedIndex(FSortSettings->Column, RF, RT);
    if (FSortSettings->IndexShow) {
        TSortIndexList& L = FSortSettings->SortIndexes;
        for (Integer I = 0; I < L.Count(); ++I) {
            const Integer V = L.Items(I);
            const Integer C = MovedIndex(V & 0xFFFF, RF, RT);
            L.SetInteger(I, static_cast<Integer>((static_cast<std::uint32_t>(V) & 0xFFFF0000u) |
                                                 static_cast<std::uint32_t>(C & 0xFFFF)));
        }
    }
    RemapList(FSel.ColSelect, [&](Integer I) { return MovedIndex(I, FromIndex, ToIndex); });
    FEdit.Input.Moved = true;
    if (FloatingFooter()->Visible() && FFooterPanel)
        FFooterPanel->Invalidate();
}

void TDidAririzEvar::RowMoved(Integer FromIndex, Integer ToIndex)
{
    {
        // OnRowMoved fires once the heights and the row tables have moved too.
        TMovedEvent Moved = std::move(OnRowMoved);
        OnRowMoved = nullptr;
        TScopeExit Back([this, &Moved] { OnRowMoved = std::move(Moved); });
        TBaseGrid::RowMoved(FromIndex, ToIndex);
    }
    if (FCore.EnhRowColMove) {
        RowAxis().Move(FromIndex, ToIndex);
        RowHeightsChanged();
    }
    RowTables().Moved(FromIndex, ToIndex, RealRowIndex(FromIndex), RealRowIndex(ToIndex),
                      MouseActions()->RowSelectPersistent);
    FEdit.Input.Moved = true;
    if (OnRowMoved)
        OnRowMoved(this, FromIndex, ToIndex);
}

// ---- Rows -------------------------------------------------------------------------------------------

void TDidAririzEvar::InsertRows(Integer ARow, Integer ACount, bool)
{
    if (ACount <= 0 || ARow < 0 || ARow > RowCount())
        return;
    HideInplaceEdit();
    const Integer RealAt = ARow < RowCount() ? RealRowIndex(ARow) : TotalRowCount();
    const Integer OldCount = TotalRowCount();
    const TGridCoord Cur = FCurrent, Anc = FAnchor;
    InsertRowsEx(ARow, ACount);
    RowTables().Inserted(ARow, RealAt, ACount, OldCount, MouseActions()->RowSelectPersistent);
    // The current cell stays with its row.
    FCurrent.Y = Shifted(Cur.Y, ARow, ACount);
    FAnchor.Y = Shifted(Anc.Y, ARow, ACount);
    Invalidate();
    if (!ComponentState().Contains(csDestroying))
        CellsChanged(TRect{0, ARow, ColCount() - 1, ARow + ACount});
}

void TDidAririzEvar::RemoveRows(Integer ARow, Integer ACount)
{
    if (ACount <= 0 || ARow < 0 || ARow >= RowCount())
        return;
    ACount = std::min(ACount, RowCount() - ARow);
    HideInplaceEdit();
    const TGridCoord Cur = FCurrent, Anc = FAnchor;
    RemoveRowsEx(ARow, ACount);
    // The current cell stays with its row; one inside the run goes to the row taking its place.
    auto Keep = [&](Integer R) {
        Integer N = R >= ARow + ACount ? R - ACount : std::min(R, ARow);
        return std::max(std::min(N, RowCount() - 1), std::min(FixedRows(), RowCount() - 1));
    };
    FCurrent.Y = Keep(Cur.Y);
    FAnchor.Y = Keep(Anc.Y);
    Invalidate(); // RemoveRowsEx told the listeners
}

void TDidAririzEvar::RemoveRowsEx(Integer ARow, Integer RCount)
{
    // Removes display rows with their records; the per-row tables follow (each hidden row moves
    // up one real index per removed row before it: hidden rows may lie between the removed ones).
    if (RCount <= 0 || ARow < 0 || ARow >= RowCount())
        return;
    std::vector<Integer> RealGone;
    for (Integer R = ARow; R < ARow + RCount && R < RowCount(); ++R)
        RealGone.push_back(RealRowIndex(R));
    const Integer OldCount = TotalRowCount();
    IRemoveRows(ARow, RCount);
    RowTables().Removed(ARow, static_cast<Integer>(RealGone.size()), RealGone, OldCount,
                        MouseActions()->RowSelectPersistent);
    CellsChanged(TRect{0, ARow, ColCount() - 1, ARow + RCount});
}

void TDidAririzEvar::RemoveRowsInternal(Integer ARow, Integer ACount)
{
    if (ACount <= 0 || ARow < 0 || ARow >= RowCount())
        return;
    ACount = std::min(ACount, RowCount() - ARow);
    ClearPropRect(0, ARow, ColCount() - 1, ARow + ACount - 1);
    RemoveRowsEx(ARow, ACount);
}

void TDidAririzEvar::AddRow()
{
    if (FloatingFooter()->Visible() && RowCount() > FixedRows() + 1)
        InsertRows(RowCount() - 1, 1);
    else
        InsertRows(RowCount(), 1);
}

// ---- Columns ----------------------------------------------------------------------------------------

void TDidAririzEvar::InsertCols(Integer ACol, Integer ACount)
{
    if (ACount <= 0 || ACol < 0 || ACol > ColCount())
        return;
    HideInplaceEdit();
    const Integer Old = ColCount();
    SetColCount(Old + ACount);
    // Each new column starts at the end and moves into place, carrying nothing along.
    for (Integer I = 0; I < ACount; ++I) {
        const Integer From = Old + I;
        for (Integer R = 0; R < RowCount(); ++R) {
            ClearPropCell(From, R);
            SetCells(From, R, "");
        }
        if (From != ACol + I)
            MoveColumn(From, ACol + I);
        SetColWidths(ACol + I, DefaultColWidth());
    }
    FEdit.Input.Moved = false;
}

void TDidAririzEvar::RemoveCols(Integer ACol, Integer ACount)
{
    if (ACount <= 0 || ACol < 0 || ACol >= ColCount())
        return;
    ACount = std::min(ACount, ColCount() - ACol);
    if (ColCount() - ACount < 1)
        return;
    HideInplaceEdit();
    for (Integer I = 0; I < ACount; ++I) {
        const Integer Last = ColCount() - 1;
        ClearPropRect(RealColIndex(ACol), 0, RealColIndex(ACol), RowCount() - 1);
        for (Integer R = 0; R < RowCount(); ++R)
            SetCells(RealColIndex(ACol), R, "");
        if (ACol != Last)
            MoveColumn(ACol, Last);
        SetColCount(Last);
    }
    FEdit.Input.Moved = false;
    CellsChanged(TRect{ACol, 0, ACol + ACount, RowCount() - 1});
}

void TDidAririzEvar::AddColumn()
{
    InsertCols(ColCount(), 1);
}

// ---- Clearing ---------------------------------------------------------------------------------------

void TDidAririzEvar::ClearRect(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2)
{
    if (!FXchg.KeepPropsOnClear)
        ClearPropRect(ACol1, ARow1, ACol2, ARow2);
    for (Integer C = ACol1; C <= ACol2; ++C)
        for (Integer R = ARow1; R <= ARow2; ++R)
            if (!Cells(C, R).empty())
                SetCells(C, R, "");
    if (!ComponentState().Contains(csDestroying))
        CellsChanged(TRect{ACol1, ARow1, ACol2, ARow2});
}

void TDidAririzEvar::ClearRows(Integer ARow, Integer ACount)
{
    ClearRect(0, ARow, ColCount() + NumHiddenColumns() - 1, ARow + ACount - 1);
}

void TDidAririzEvar::ClearCols(Integer ACol, Integer ACount)
{
    ClearRect(ACol, 0, ACol + ACount - 1, RowCount() - 1);
}

void TDidAririzEvar::ClearNormalRows(Integer ARow, Integer ACount)
{
    ClearRect(FixedCols(), ARow, ColCount() + NumHiddenColumns() - FixedRightCols() - 1, ARow + ACount - 1);
}

void TDidAririzEvar::ClearNormalCols(Integer ACol, Integer ACount)
{
    ClearRect(ACol, FixedRows(), ACol + ACount - 1, RowCount() - FixedFooters() - 1);
}

void TDidAririzEvar::ClearNormalCells()
{
    ClearRect(FixedCols(), FixedRows(), ColCount() + NumHiddenColumns() - FixedRightCols() - 1,
              RowCount() - FixedFooters() - 1);
}

void TDidAririzEvar::ClearSelection()
{
    const TGridRect S = Selection();
    const Integer L = RealColIndex(std::min(S.Left, S.Right)), R = RealColIndex(std::max(S.Left, S.Right));
    ClearRect(L, std::min(S.Top, S.Bottom), R, std::max(S.Top, S.Bottom));
}

void TDidAririzEvar::Clear()
{
    ClearRect(0, 0, ColCount() + NumHiddenColumns() - 1, RowCount() - 1);
}

void TDidAririzEvar::ClearAll()
{
    Clear();
    THiddenRows& Hidden = RowTables().Hidden();
    for (Integer I = 0; I < RowTables().HiddenCount(); ++I)
        for (TGridCell& C : Hidden[I].Items)
            C.Text.clear();
}

// ---- Removing by selection --------------------------------------------------------------------------

void TDidAririzEvar::RemoveSelectedRows()
{
    // Collected first, removed as runs from the bottom so each removal is one pass.
    std::vector<Integer> Rows;
    for (Integer R = FixedRows(); R < RowCount() - FixedFooters(); ++R)
        if (GetRowSelect(MouseActions()->RowSelectPersistent ? RealRowIndex(R) : R))
            Rows.push_back(R);
    for (size_t I = Rows.size(); I > 0;) {
        size_t J = I - 1;
        while (J > 0 && Rows[J - 1] == Rows[J] - 1)
            --J;
        RemoveRows(Rows[J], static_cast<Integer>(I - J));
        I = J;
    }
    ClearRowSelect();
}

void TDidAririzEvar::RemoveUnSelectedRows()
{
    std::vector<Integer> Rows;
    for (Integer R = FixedRows(); R < RowCount() - FixedFooters(); ++R)
        if (!GetRowSelect(MouseActions()->RowSelectPersistent ? RealRowIndex(R) : R))
            Rows.push_back(R);
    for (size_t I = Rows.size(); I > 0;) {
        size_t J = I - 1;
        while (J > 0 && Rows[J - 1] == Rows[J] - 1)
            --J;
        RemoveRows(Rows[J], static_cast<Integer>(I - J));
        I = J;
    }
}

void TDidAririzEvar::RemoveSelectedCols()
{
    if (MouseActions()->DisjunctColSelect()) {
        // From the last, so that the columns still to go keep their places.
        for (Integer X = ColCount() - 1; X >= FixedCols(); --X)
            if (GetColSelect(X))
                RemoveCols(X, 1);
        ClearColSelect();
        return;
    }
    const TGridRect S = Selection();
    const Integer L = std::min(S.Left, S.Right), R = std::max(S.Left, S.Right);
    RemoveCols(L, R - L + 1);
}

void TDidAririzEvar::RemoveUnSelectedCols()
{
    if (MouseActions()->DisjunctColSelect()) {
        for (Integer X = ColCount() - 1; X >= FixedCols(); --X)
            if (!GetColSelect(X))
                RemoveCols(X, 1);
    } else {
        const TGridRect S = Selection();
        const Integer L = std::min(S.Left, S.Right), R = std::max(S.Left, S.Right);
        RemoveCols(R + 1, ColCount() - R - 1);
        RemoveCols(FixedCols(), L - FixedCols());
    }
    ClearColSelect();
}

void TDidAririzEvar::HideSelectedRows()
{
    std::vector<Integer> Rows;
    for (Integer R = FixedRows(); R < RowCount() - FixedFooters(); ++R)
        if (GetRowSelect(R))
            Rows.push_back(R);
    if (!Rows.empty())
        HideRowList(Rows);
}

void TDidAririzEvar::HideUnSelectedRows()
{
    std::vector<Integer> Rows;
    for (Integer R = FixedRows(); R < RowCount() - FixedFooters(); ++R)
        if (!GetRowSelect(R))
            Rows.push_back(R);
    if (!Rows.empty())
        HideRowList(Rows);
}

void TDidAririzEvar::RemoveDuplicates(Integer ACol, bool)
{
    // One pass with a set of the texts seen: O(n log n) instead of comparing every pair.
    std::vector<Integer> Rows;
    std::set<AnsiString> Seen;
    for (Integer R = FixedRows(); R < RowCount() - FixedFooters(); ++R)
        if (!Seen.insert(Cells(ACol, R)).second)
            Rows.push_back(R);
    for (size_t I = Rows.size(); I > 0;) {
        size_t J = I - 1;
        while (J > 0 && Rows[J - 1] == Rows[J] - 1)
            --J;
        RemoveRows(Rows[J], static_cast<Integer>(I - J));
        I = J;
    }
}

// ---- Merging and splitting --------------------------------------------------------------------------

void TDidAririzEvar::MergeColumnCells(Integer ACol, bool B)
{
    const Integer Last = RowCount() - FixedFooters() - 1;
    Integer R = FixedRows();
    while (R <= Last) {
        Integer E = R;
        while (E + 1 <= Last && Cells(ACol, E + 1) == Cells(ACol, R) &&
               (B || ACol == 0 || RowSpanIdentical(R, E + 1)))
            ++E;
        if (E > R)
            MergeCells(ACol, R, 1, E - R + 1);
        R = E + 1;
    }
}

void TDidAririzEvar::SplitColumnCells(Integer ACol)
{
    for (Integer R = 0; R < RowCount() - FixedFooters(); ++R)
        if (IsBaseCell(ACol, R) && IsMergedCell(ACol, R))
            SplitCells(ACol, R);
}

void TDidAririzEvar::MergeRowCells(Integer ARow, bool B)
{
    const Integer Last = ColCount() - 1;
    Integer C = FixedCols();
    while (C <= Last) {
        Integer E = C;
        while (E + 1 <= Last && Cells(E + 1, ARow) == Cells(C, ARow) && (B || ColSpanIdentical(C, E + 1)))
            ++E;
        if (E > C)
            MergeCells(C, ARow, E - C + 1, 1);
        C = E + 1;
    }
}

void TDidAririzEvar::SplitRowCells(Integer ARow)
{
    for (Integer C = 0; C < ColCount(); ++C)
        if (IsBaseCell(C, ARow) && IsMergedCell(C, ARow))
            SplitCells(C, ARow);
}

void TDidAririzEvar::SplitAllCells()
{
    for (Integer R = 0; R < RowCount(); ++R)
        SplitRowCells(R);
}

void TDidAririzEvar::MergeCols(Integer ACol1, Integer ACol2, const AnsiString& Separator)
{
    if (ACol1 == ACol2 || ACol1 < 0 || ACol2 < 0 || ACol1 >= ColCount() || ACol2 >= ColCount())
        return;
    for (Integer R = 0; R < RowCount(); ++R)
        SetCells(ACol1, R, Cells(ACol1, R) + Separator + Cells(ACol2, R));
    RemoveCols(ACol2, 1);
}

bool TDidAririzEvar::IsCell(const AnsiString& S, Integer& ACol, Integer& ARow)
{
    for (Integer R = 0; R < RowCount(); ++R)
        for (Integer C = 0; C < ColCount(); ++C)
            if (Cells(C, R) == S) {
                ACol = C;
                ARow = R;
                return true;
            }
    return false;
}
