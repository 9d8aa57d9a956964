// Hidden rows and columns, the maps between real and display indexes, and the row moves they
// rest on.
//
// Hidden rows leave the platform grid: their cells (every real column) and heights move into the
// hidden-row store, ordered by real row index. Every entry keeps its real index, whichever call
// hid it, so the maps stay right across several hide levels; the display rows of a level are
// worked out from the real indexes when it is restored. With the store ordered, IsHiddenRow and
// both row maps are binary searches, and hiding or showing any set of rows moves every other row
// once.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"

#include <algorithm>
#include <limits>

// ---- Row cells -------------------------------------------------------------------------------------

std::vector<TGridCell> TDidAririzEvar::TakeRowCells(Integer ARow)
{
    TGridCellStore& S = CellStore();
    const Integer W = TotalColCount();
    std::vector<TGridCell> Out(static_cast<size_t>(W));
    for (Integer C = 0; C < W; ++C)
        if (S.Find(C, ARow)) {
            TGridCell& X = S.Ensure(C, ARow);
            Out[C].Text = std::move(X.Text);
            X.Text.clear();
            Out[C].Object = X.Object;
            X.Object = nullptr;
        }
    return Out;
}

void TDidAririzEvar::PutRowCells(Integer ARow, std::vector<TGridCell>&& Cells)
{
    TGridCellStore& S = CellStore();
    const Integer W = std::max<Integer>(TotalColCount(), static_cast<Integer>(Cells.size()));
    for (Integer C = 0; C < W; ++C) {
        const bool Have =
            C < static_cast<Integer>(Cells.size()) && (!Cells[C].Text.empty() || Cells[C].Object);
        if (Have) {
            TGridCell& Y = S.Ensure(C, ARow);
            Y.Text = std::move(Cells[C].Text);
            Y.Object = Cells[C].Object;
        } else if (S.Find(C, ARow)) {
            TGridCell& Y = S.Ensure(C, ARow);
            Y.Text.clear();
            Y.Object = nullptr;
        }
    }
}

void TDidAririzEvar::ExchangeRowData(Integer A, Integer B)
{
    // Whole row objects (every real column) and heights swap in O(1) and O(log n).
    CellStore().ExchangeRows(A, B);
    RowAxis().Exchange(A, B);
}

namespace {

// A few rows move one by one (each move costs about the same whatever the row count); many
// rows move in one pass over the grid.
bool FewRows(size_t Moving, Integer Count)
{
    return static_cast<Int64>(Moving) * 256 < Count;
}

} // namespace

void TDidAririzEvar::CompactRows(const std::vector<Integer>& Rows, std::vector<TGridItem>* Out)
{
    if (Rows.empty())
        return;
    const Integer Count = RowCount();
    auto Take = [&](Integer I) {
        TGridItem E;
        E.Height = RowHeights(I);
        if (!Out)
            ClearPropRect(0, I, TotalColCount() - 1, I);
        E.Items = TakeRowCells(I);
        return E;
    };
    if (FewRows(Rows.size(), Count)) {
        // From the last: each emptied row moves to the end, past the rows already moved there.
        std::vector<TGridItem> Taken;
        Integer End = Count;
        for (auto It = Rows.rbegin(); It != Rows.rend(); ++It, --End) {
            Taken.push_back(Take(*It));
            CellStore().MoveRow(*It, End - 1);
            RowAxis().Move(*It, End - 1);
        }
        if (Out)
            for (auto It = Taken.rbegin(); It != Taken.rend(); ++It)
                Out->push_back(std::move(*It));
        SetRowCountRaw(End);
        RowHeightsChanged();
        return;
    }
    size_t Next = 0;
    Integer W = 0;
    for (Integer I = 0; I < Count; ++I) {
        if (Next < Rows.size() && Rows[Next] == I) {
            ++Next;
            TGridItem E = Take(I);
            if (Out)
                Out->push_back(std::move(E));
            continue;
        }
        if (I != W)
            ExchangeRowData(I, W);
        ++W;
    }
    // The emptied rows now lie past the new end.
    SetRowCountRaw(W);
    RowHeightsChanged();
}

void TDidAririzEvar::ExpandRows(const std::vector<Integer>& Positions, std::vector<TGridItem>* Fill)
{
    if (Positions.empty())
        return;
    const Integer N = static_cast<Integer>(Positions.size());
    const Integer OldCount = RowCount();
    const Integer NewCount = OldCount + N;
    SetRowCountRaw(NewCount);
    auto Put = [&](Integer D, Integer K) {
        if (Fill) {
            TGridItem& E = (*Fill)[static_cast<size_t>(K)];
            PutRowCells(D, std::move(E.Items));
            if (RowHeights(D) != E.Height)
                SetRowHeights(D, E.Height);
        } else {
            PutRowCells(D, {});
            if (RowHeights(D) != DefaultRowHeight())
                SetRowHeights(D, DefaultRowHeight());
        }
    };
    if (FewRows(Positions.size(), NewCount)) {
        // Each new row past the old end moves into its place; the earlier places stay put.
        for (Integer K = 0; K < N; ++K) {
            CellStore().MoveRow(OldCount + K, Positions[static_cast<size_t>(K)]);
            RowAxis().Move(OldCount + K, Positions[static_cast<size_t>(K)]);
            Put(Positions[static_cast<size_t>(K)], K);
        }
        RowHeightsChanged();
        return;
    }
    // From the end: every shown row swaps into its final place, and each opened position then
    // holds a row that was swapped out of the way (or one past the old end), which gets filled.
    Integer K = N - 1;
    for (Integer D = NewCount - 1; D >= 0 && K >= 0; --D) {
        if (Positions[static_cast<size_t>(K)] == D) {
            Put(D, K);
            --K;
            continue;
        }
        ExchangeRowData(D - (K + 1), D);
    }
    RowHeightsChanged();
}

void TDidAririzEvar::InsertRowsEx(Integer D, Integer N)
{
    std::vector<Integer> P;
    for (Integer I = 0; I < N; ++I)
        P.push_back(D + I);
    ExpandRows(P, nullptr);
}

void TDidAririzEvar::IRemoveRows(Integer D, Integer N)
{
    std::vector<Integer> P;
    for (Integer I = 0; I < N && D + I < RowCount(); ++I)
        P.push_back(D + I);
    CompactRows(P, nullptr);
}

// ---- The store -------------------------------------------------------------------------------------

Integer TDidAririzEvar::HiddenBelow(Integer RealRow) const
{
    return FCore.Rows.HiddenBelow(RealRow);
}

void TDidAririzEvar::RestoreEntries(std::vector<TGridItem>&& Entries)
{
    if (Entries.empty())
        return;
    // Final display position of each restored row: its real index less the rows still hidden
    // before it (the store no longer holds the restored entries).
    std::vector<Integer> Pos;
    Pos.reserve(Entries.size());
    const auto& H = FCore.Rows.Hidden();
    // Entries before the first restored row all lie before every restored row.
    size_t J = static_cast<size_t>(HiddenBelow(Entries.front().Idx));
    for (const TGridItem& E : Entries) {
        while (J < H.size() && H[J].Idx < E.Idx)
            ++J;
        Pos.push_back(E.Idx - static_cast<Integer>(J));
    }
    // Rows past the end of the grid (a caller removed rows meanwhile) come back at the end.
    const Integer Last = RowCount() + static_cast<Integer>(Entries.size()) - 1;
    for (Integer K = static_cast<Integer>(Pos.size()) - 1; K >= 0; --K) {
        const Integer Limit = K + 1 < static_cast<Integer>(Pos.size()) ? Pos[K + 1] - 1 : Last;
        Pos[K] = std::min(Pos[K], Limit);
    }
    FCore.Rows.Showing(Pos, Entries, MouseActions()->RowSelectPersistent);
    ExpandRows(Pos, &Entries);
    CellControlsUpdate();
}

const TGridItem* TDidAririzEvar::HiddenRow(Integer AIdx) const
{
    const Integer K = HiddenBelow(AIdx);
    return K < NumHiddenRows() && FCore.Rows.Hidden()[K].Idx == AIdx ? &FCore.Rows.Hidden()[K] : nullptr;
}

bool TDidAririzEvar::IsHiddenRow(Integer ARow) const
{
    return HiddenRow(ARow) != nullptr;
}

Integer TDidAririzEvar::DisplRowIndex(Integer ARow) const
{
    if (FCore.Rows.Hidden().empty())
        return ARow;
    return ARow - HiddenBelow(ARow);
}

Integer TDidAririzEvar::RealRowIndex(Integer ARow) const
{
    const auto& H = FCore.Rows.Hidden();
    if (H.empty())
        return ARow;
    if (ARow < 0)
        return -1;
    // Idx[k] - k never decreases; the answer is ARow + (the first k where it exceeds ARow).
    Integer Lo = 0, Hi = static_cast<Integer>(H.size());
    while (Lo < Hi) {
        const Integer Mid = (Lo + Hi) / 2;
        if (H[Mid].Idx - Mid > ARow)
            Hi = Mid;
        else
            Lo = Mid + 1;
    }
    return ARow + Lo;
}

// ---- Hiding and showing rows -------------------------------------------------------------------------

void TDidAririzEvar::HideRow(Integer ARow)
{
    HideRows(ARow, ARow);
}

void TDidAririzEvar::HideRows(Integer FromRow, Integer ToRow)
{
    if (ToRow < FromRow)
        return;
    std::vector<Integer> Real;
    for (Integer R = FromRow; R <= ToRow; ++R)
        if (!IsHiddenRow(R))
            Real.push_back(R);
    if (Real.empty())
        return;
    const Integer D = FromRow - HiddenBelow(FromRow);
    std::vector<Integer> Displ;
    for (Integer K = 0; K < static_cast<Integer>(Real.size()); ++K)
        if (D + K < RowCount())
            Displ.push_back(D + K);
    Real.resize(Displ.size());
    std::vector<TGridItem> Entries;
    CompactRows(Displ, &Entries);
    for (size_t K = 0; K < Entries.size(); ++K) {
        Entries[K].Idx = Real[K];
        Entries[K].Level = 0;
    }
    FCore.Rows.Hid(Displ, std::move(Entries), MouseActions()->RowSelectPersistent);
    CellControlsUpdate();
}

void TDidAririzEvar::HideRowsEx(Integer FromRow, Integer ToRow)
{
    // The caller passes a range whose rows are all shown; only its first row is tested.
    if (IsHiddenRow(FromRow))
        return;
    HideRows(FromRow, ToRow);
}

void TDidAririzEvar::HideRowList(const std::vector<Integer>& List)
{
    HideRowsInLevel(List, FCore.Rows.HideLevel());
    ++FCore.Rows.HideLevel();
}

void TDidAririzEvar::HideRowsInLevel(const std::vector<Integer>& List, Integer Level)
{
    std::vector<Integer> Displ;
    std::vector<Integer> Real;
    Displ.reserve(List.size());
    Real.reserve(List.size());
    Integer Prev = -1;
    for (Integer R : List) {
        // The list must be ascending and inside the grid; anything else is skipped.
        if (R <= Prev || R < 0 || R >= RowCount())
            continue;
        Displ.push_back(R);
        Prev = R;
    }
    // Real indexes before anything moves: walk the display rows and the store together.
    {
        const auto& H = FCore.Rows.Hidden();
        // The store's entries before the first listed row (its real index less its display one).
        size_t J = Displ.empty() ? 0 : static_cast<size_t>(RealRowIndex(Displ.front()) - Displ.front());
        for (Integer D : Displ) {
            Integer Realr = D + static_cast<Integer>(J);
            while (J < H.size() && H[J].Idx <= Realr) {
                ++J;
                Realr = D + static_cast<Integer>(J);
            }
            Real.push_back(Realr);
        }
    }
    std::vector<TGridItem> Entries;
    Entries.reserve(Displ.size());
    CompactRows(Displ, &Entries);
    for (size_t K = 0; K < Entries.size(); ++K) {
        Entries[K].Idx = Real[K];
        Entries[K].Level = Level;
    }
    FCore.Rows.Hid(Displ, std::move(Entries), MouseActions()->RowSelectPersistent);
    CellControlsUpdate();
}

void TDidAririzEvar::UnHideRow(Integer ARow)
{
    UnHideRows(ARow, ARow);
}

void TDidAririzEvar::UnHideRows(Integer FromRow, Integer ToRow)
{
    if (!IsHiddenRow(FromRow))
        return;
    RestoreEntries(FCore.Rows.TakeHidden(FromRow, ToRow));
}

void TDidAririzEvar::UnHideRowsAll()
{
    RestoreEntries(FCore.Rows.TakeHidden(0, std::numeric_limits<Integer>::max()));
}

void TDidAririzEvar::UnHideRowList()
{
    if (FCore.Rows.HideLevel() == 0)
        return;
    RestoreEntries(FCore.Rows.TakeLevel(FCore.Rows.HideLevel() - 1));
}

void TDidAririzEvar::RemoveLastHideLevel()
{
    if (FCore.Rows.HideLevel() == 0)
        return;
    UnHideRowList();
    --FCore.Rows.HideLevel();
}

// ---- Columns ------------------------------------------------------------------------------------

void TDidAririzEvar::RebuildColMaps()
{
    FCore.DisplToRealCol.clear();
    FCore.RealToDisplCol.assign(513, 0);
    Integer Hidden = 0;
    for (Integer I = 0; I < 512; ++I) {
        FCore.RealToDisplCol[I] = I - Hidden; // DisplColIndex: hidden columns before I
        if (FCore.VisibleCols[I])
            FCore.DisplToRealCol.push_back(I);
        else
            ++Hidden;
    }
    FCore.ColMapsStale = false;
}

bool TDidAririzEvar::IsHiddenColumn(Integer ACol) const
{
    return ACol >= 0 && ACol < 512 && !FCore.VisibleCols[ACol];
}

bool TDidAririzEvar::GetVisibleCol(Integer ACol) const
{
    // Outside the table every column counts as visible.
    return ACol < 0 || ACol > 512 || FCore.VisibleCols[ACol];
}

void TDidAririzEvar::SetVisibleCol(Integer ACol, bool Value)
{
    if (ACol < 0 || ACol > 512)
        return;
    FCore.VisibleCols[ACol] = Value ? 1 : 0;
    FCore.ColMapsStale = true;
}

Integer TDidAririzEvar::RealColIndex(Integer ACol)
{
    if (ACol >= 512 || FCore.HiddenColCount == 0)
        return ACol;
    if (FCore.ColMapsStale)
        RebuildColMaps();
    if (ACol < 0 || ACol >= static_cast<Integer>(FCore.DisplToRealCol.size()))
        return 0;
    return FCore.DisplToRealCol[ACol];
}

Integer TDidAririzEvar::DisplColIndex(Integer ACol)
{
    if (ACol >= 512 || FCore.HiddenColCount == 0 || ACol < 0)
        return ACol;
    if (FCore.ColMapsStale)
        RebuildColMaps();
    return FCore.RealToDisplCol[ACol];
}

void TDidAririzEvar::HideColumn(Integer ACol)
{
    HideColumns(ACol, ACol);
}

void TDidAririzEvar::HideColumns(Integer FromCol, Integer ToCol)
{
    HideInplaceEdit();
    for (Integer X = std::max<Integer>(FromCol, 0); X <= ToCol && X < 512; ++X) {
        if (!FCore.VisibleCols[X] || X >= TotalColCount() || ColCount() < 2)
            continue;
        const Integer D = DisplColIndex(X);
        FCore.HiddenColWidths[X] = static_cast<std::int16_t>(ColWidths(D));
        for (Integer I = D; I <= ColCount() - 2; ++I)
            SetColWidths(I, ColWidths(I + 1));
        ++FCore.HiddenColCount;
        FCore.VisibleCols[X] = 0;
        FCore.ColMapsStale = true;
        SetColCount(ColCount() - 1);
    }
    Invalidate();
}

void TDidAririzEvar::UnHideColumn(Integer ACol)
{
    UnHideColumns(ACol, ACol);
}

void TDidAririzEvar::UnHideColumns(Integer FromCol, Integer ToCol)
{
    HideInplaceEdit();
    for (Integer X = std::max<Integer>(FromCol, 0); X <= ToCol && X < 512; ++X) {
        if (FCore.VisibleCols[X])
            continue;
        --FCore.HiddenColCount;
        FCore.VisibleCols[X] = 1;
        FCore.ColMapsStale = true;
        SetColCount(ColCount() + 1);
        const Integer Target = DisplColIndex(X);
        for (Integer I = ColCount() - 1; I > Target; --I)
            SetColWidths(I, ColWidths(I - 1));
        SetColWidths(Target, FCore.HiddenColWidths[X]);
    }
    Invalidate();
}

void TDidAririzEvar::UnHideColumnsAll()
{
    UnHideColumns(0, ColCount() + FCore.HiddenColCount);
}

bool TDidAririzEvar::IsIgnoredColumn(Integer ACol) const
{
    return std::find(FCore.IgnoredCols.begin(), FCore.IgnoredCols.end(), ACol) != FCore.IgnoredCols.end();
}

// ---- Focus, view and moves ---------------------------------------------------------------------------

void TDidAririzEvar::SetRowEx(Integer Value)
{
    SetRow(Value);
    if (Row() != FCore.LastUpdateRow && OnRowUpdate) {
        OnRowUpdate(this, FCore.LastUpdateRow, Row());
        FCore.LastUpdateRow = Row();
    }
    if (FMouseActions->DisjunctRowSelect())
        SelectToRowSelect(false);
}

void TDidAririzEvar::ScrollInView(Integer ACol, Integer ARow)
{
    if (ACol >= ColCount() || ARow >= RowCount() || ACol < 0 || ARow < 0)
        return;
    Integer L = LeftCol(), T = TopRow();
    if (ACol < LeftCol() || ACol >= LeftCol() + VisibleColCount()) {
        SetCol(ACol);
        L = std::max(ACol - VisibleColCount() / 2, FixedCols());
    }
    if (ARow < TopRow() || ARow >= TopRow() + VisibleRowCount()) {
        SetRowEx(ARow);
        T = std::max(ARow - VisibleRowCount() / 2, FixedRows());
    }
    L = std::min(L, ColCount() - VisibleColCount() + 1);
    if (FixedCols() + VisibleColCount() < ColCount())
        SetLeftCol(L);
    T = std::min(T, RowCount() - VisibleRowCount() + 1);
    if (FixedRows() + VisibleRowCount() >= RowCount())
        return;
    SetTopRow(T);
    if (FSearchFooter->Visible() && TopRow() == RowCount() - VisibleRowCount())
        SetTopRow(T + 1);
}

void TDidAririzEvar::SetColumnOrder()
{
    FCore.ColumnOrder.clear();
    for (Integer C = 0; C < ColCount(); ++C)
        FCore.ColumnOrder.push_back(C);
}

void TDidAririzEvar::MoveColumn(Integer FromIndex, Integer ToIndex)
{
    if (FCore.ColumnOrder.empty())
        SetColumnOrder();
    TBaseGrid::MoveColumn(FromIndex, ToIndex);
    CellControlsUpdate();
}

void TDidAririzEvar::MoveRow(Integer FromIndex, Integer ToIndex)
{
    TBaseGrid::MoveRow(FromIndex, ToIndex);
    CellControlsUpdate();
}

void TDidAririzEvar::HideSelection()
{
    FSel.SavedSelection = Selection();
    SetSelection(TGridRect{ColCount(), RowCount(), ColCount(), RowCount()});
    FSel.SelectionHidden = true;
}

void TDidAririzEvar::UnHideSelection()
{
    FSel.SelectionHidden = false;
    const TGridRect& S = FSel.SavedSelection;
    if (S.Top < RowCount() && S.Left < ColCount()) {
        SetSelection(S);
        return;
    }
    const Integer C = FCore.FixedColAlways && FixedCols() == ColCount() ? 0 : FixedCols();
    const Integer R = FCore.FixedRowAlways && FixedRows() == RowCount() ? 0 : FixedRows();
    SetSelection(TGridRect{C, R, C, R});
}

void TDidAririzEvar::UpdateEditMode()
{
    SelectCell(Col(), Row());
}

TRect TDidAririzEvar::GetUsedCells()
{
    Integer L = ColCount() - 1, T = RowCount() - 1, R = 0, B = 0;
    for (Integer I = 0; I < ColCount(); ++I)
        for (Integer J = 0; J < RowCount(); ++J)
            if (!GetCellEx(I, J).empty()) {
                L = std::min(L, I);
                T = std::min(T, J);
                R = std::max(R, I);
                B = std::max(B, J);
            }
    if (R < L || B < T)
        return TRect{0, 0, 0, 0};
    return TRect{L, T, R, B};
}

Integer TDidAririzEvar::GetSaveStartCol() const
{
    return FCore.ExportFixedCells ? 0 : FixedCols();
}
Integer TDidAririzEvar::GetSaveStartRow() const
{
    return FCore.ExportFixedCells ? 0 : FixedRows();
}

Integer TDidAririzEvar::GetSaveEndCol() const
{
    return FCore.ExportFixedCells ? ColCount() - 1 : ColCount() - FCore.FixedRightCols - 1;
}

Integer TDidAririzEvar::GetSaveEndRow() const
{
    return FCore.ExportFixedCells ? RowCount() - 1 : RowCount() - FCore.FixedFooters - 1;
}

Integer TDidAririzEvar::GetSaveColCount() const
{
    return FCore.ExportFixedCells ? ColCount() : ColCount() - FixedCols() - FCore.FixedRightCols;
}

Integer TDidAririzEvar::GetSaveRowCount() const
{
    return FCore.ExportFixedCells ? RowCount() : RowCount() - FixedRows() - FCore.FixedFooters;
}

// ---- Real-row text access ------------------------------------------------------------------------------

AnsiString TDidAririzEvar::GetCellsEx(Integer ACol, Integer ARow)
{
    const Integer K = HiddenBelow(ARow);
    if (K < NumHiddenRows() && FCore.Rows.Hidden()[K].Idx == ARow) {
        const auto& Items = FCore.Rows.Hidden()[K].Items;
        return ACol >= 0 && ACol < static_cast<Integer>(Items.size()) ? Items[ACol].Text : AnsiString();
    }
    return GetCellEx(ACol, ARow - K);
}

void TDidAririzEvar::SetCellsEx(Integer ACol, Integer ARow, const AnsiString& Value)
{
    const Integer K = HiddenBelow(ARow);
    if (K < NumHiddenRows() && FCore.Rows.Hidden()[K].Idx == ARow) {
        auto& Items = FCore.Rows.Hidden()[K].Items;
        if (ACol >= 0) {
            if (ACol >= static_cast<Integer>(Items.size()))
                Items.resize(static_cast<size_t>(ACol) + 1);
            Items[ACol].Text = Value;
        }
        return;
    }
    SetCellEx(ACol, ARow - K, Value);
}
