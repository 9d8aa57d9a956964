// Cell selection rules (the grid's SelectCell) and the selection interface: the selection
// rectangle, disjunct row and column selections, modified rows and the repaint routines.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdoz.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <algorithm>

// ---- SelectCell ---------------------------------------------------------------------------------------

void TDidAririzEvar::DoCellChanging(Integer ACol, Integer ARow, bool& Allow)
{
    if (ARow != Row() && OnRowChanging)
        OnRowChanging(this, Row(), ARow, Allow);
    if (ACol != Col() && OnColChanging)
        OnColChanging(this, Col(), ACol, Allow);
    if ((ACol != Col() || ARow != Row()) && OnCellChanging)
        OnCellChanging(this, Row(), Col(), ARow, ACol, Allow);
}

bool TDidAririzEvar::SelectCell(Integer ACol, Integer ARow)
{
    const bool Indicator = !FRowIndicator->Empty() && FixedCols() > 0;
    // 1.
    if (FSel.QuietSelect) {
        if (Indicator) {
            RepaintCell(0, Row());
            RepaintCell(0, ARow);
        }
        return true;
    }
    // 2.
    if (!Parent())
        return true;
    bool Allow = true;
    bool Result = false;
    const TRect Client = ClientRect();
    // 3. The floating footer keeps its row visible and the last row out of reach.
    if (FFloatingFooter->Visible()) {
        const Integer FH = FFloatingFooter->Height();
        if (FFloatingFooter->FooterStyle() == fsColumnPreview ||
            FFloatingFooter->FooterStyle() == fsCustomPreview) {
            FFooterPanel->Invalidate();
            if (CellRect(ACol, ARow).Bottom > Client.Bottom - FH + 2 && ARow < RowCount())
                SetTopRow(TopRow() + 1);
        } else {
            if (ARow >= TopRow() + VisibleRowCount())
                SetTopRow(std::max(ARow - VisibleRowCount() + FixedRows(), FixedRows()));
            if (CellRect(ACol, ARow).Bottom > Client.Bottom - FH + 2 && ARow < RowCount() - 1)
                SetTopRow(TopRow() + 1);
            if (ARow == RowCount() - 1)
                return false;
        }
    }
    // 4.
    if (FSearchFooter->Visible()) {
        const Integer SH = FSearchPanel->Height();
        Integer Guard = RowCount();
        while (CellRect(ACol, ARow).Bottom > Client.Bottom - SH + 2 && ARow <= RowCount() - 1 &&
               TopRow() < RowCount() - 1 && Guard-- > 0)
            SetTopRow(TopRow() + 1);
    }
    // 5.
    if (ACol < 0 || ARow < 0)
        return false;
    // 6. A covered cell hands the focus to its block's base cell.
    if (IsMergedNonBaseCell(ACol, ARow) && !IsBaseCell(ACol, ARow) && !Options().Contains(goRangeSelect)) {
        const TPoint B = BaseCell(ACol, ARow);
        if (B.X != ACol || B.Y != ARow) {
            MoveColRow(B.X, B.Y, true, true);
            RepaintCell(B.X, B.Y);
            if (FMouseActions->DirectEdit || (FControlLook->DropDownAlwaysVisible && HasCombo(ACol, ARow)))
                OpenEditor(TEditOpenedBy::Selection);
            return false;
        }
    }
    // 7.
    if (ACol == 0 && FCore.FNodeCount > 0 && !Options().Contains(goRowSelect))
        return false;
    // 8.
    const Integer OldSelLeft = Selection().Left, OldSelTop = Selection().Top;
    const Integer OldCol = Col(), OldRow = Row();
    const Integer RealCol = RealColIndex(ACol);
    AnsiString CellText = GetCellEx(RealCol, ARow);
    const bool EditorFocused =
        InplaceEditor() && InplaceEditor()->HandleAllocated() && ::GetFocus() == InplaceEditor()->Handle();
    // 9. and 10. Editing follows the cell: goEditing goes off over cells that may not be edited
    // (FEditingSuspended remembers it) and comes back at the next editable one.
    if (HasStaticEdit(RealCol, ARow)) {
        bool CanEdit = true;
        GetCellReadOnly(RealCol, ARow, CanEdit);
        if (!FCore.EditingSuspended)
            FCore.EditingSuspended =
                !CanEdit && (Options().Contains(goEditing) || FMouseActions->RangeSelectAndEdit);
        if (!Options().Contains(goEditing) && !Options().Contains(goRowSelect) && CanEdit) {
            FCore.SkipInvalidate = true;
            SetOptions(Options() + TGridOptions{goEditing});
        }
    } else {
        bool CanEdit = Options().Contains(goEditing) || FCore.EditingSuspended;
        GetCellReadOnly(RealCol, ARow, CanEdit);
        if (CanEdit && FMouseActions->DirectEdit) {
            FEdit.Editing.Type = FCore.DefaultEditor;
            GetCellEditor(RealCol, ARow, FEdit.Editing.Type);
            if (FEdit.Editing.Type == edNone)
                CanEdit = false;
        }
        if (FMouseActions->EditOnDblClickOnly())
            CanEdit = false;
        if (CanEdit) {
            FCore.EditingSuspended = false;
            if (!Options().Contains(goEditing)) {
                FCore.SkipInvalidate = true;
                if (!FEdit.Editing.Active)
                    InitValidate(ACol, ARow);
                if (Options().Contains(goRowSelect) && FMouseActions->RangeSelectAndEdit)
                    SetOptions(Options() - TGridOptions{goRowSelect});
                SetOptions(Options() + TGridOptions{goEditing});
            }
            if (FEdit.Editing.Active) {
                HideInplaceEdit();
                CellText = GetCellEx(RealCol, ARow);
            }
        } else {
            if (FEdit.Editing.Active) {
                HideInplaceEdit();
                CellText = GetCellEx(RealCol, ARow);
            }
            if (Options().Contains(goEditing)) {
                FCore.EditingSuspended = true;
                FCore.SkipInvalidate = true;
                SetOptions(Options() - TGridOptions{goEditing});
            }
        }
    }
    // 11. Decision.
    if (FEdit.Editing.Active && !EditorFocused) {
        const AnsiString Saved = FEdit.Editing.Cache;
        if (IsWideCell(RealCol, Row()))
            Result = ValidateCellWide(FEdit.Editing.WideText);
        else
            Result = ValidateCell(GetCurrentCell());
        DoCellChanging(ACol, ARow, Allow);
        if (!Allow)
            Result = false;
        if (Result)
            Result = TBaseGrid::SelectCell(ACol, ARow);
        if (!Result)
            CellText = Saved;
    } else {
        DoCellChanging(ACol, ARow, Allow);
        Result = !IsFixed(ACol, ARow) && Allow ? TBaseGrid::SelectCell(ACol, ARow) : false;
    }
    // 12.-16. run whatever the decision.
    if (Indicator) {
        RepaintCell(0, OldRow);
        RepaintCell(0, ARow);
    }
    if (FCore.ActiveCellShow) {
        UpdateActiveCells(OldCol, OldRow, ACol, ARow);
        if (OldSelLeft != OldCol && OldSelTop != OldRow)
            UpdateActiveCells(OldSelLeft, OldSelTop, ACol, ARow);
    }
    if (ActiveRowShow()) {
        RepaintRow(ARow);
        RepaintRow(OldSelTop);
    }
    if (FSel.SelectionRectangle) {
        const TGridRect S = Selection();
        RepaintRect(TRect{S.Left, S.Top, S.Right, S.Bottom});
    }
    if (!ComponentState().Contains(csLoading) && FCore.LastUpdateRow != ARow && OnRowUpdate) {
        OnRowUpdate(this, FCore.LastUpdateRow, ARow);
        FCore.LastUpdateRow = ARow;
    }
    // 17.
    FEdit.Editing.Cache = CellText;
    return Result;
}

void TDidAririzEvar::UpdateActiveCells(Integer OldCol, Integer OldRow, Integer NewCol, Integer NewRow)
{
    if (FixedRows() > 0)
        RepaintCell(OldCol, FixedRows() - 1);
    if (FixedCols() > 0)
        RepaintCell(FixedCols() - 1, OldRow);
    if (FixedRows() > 0)
        RepaintCell(NewCol, FixedRows() - 1);
    if (FixedCols() > 0)
        RepaintCell(FixedCols() - 1, NewRow);
}

// ---- Selection rectangle ---------------------------------------------------------------------------

void TDidAririzEvar::SetSelectionEx(const TGridRect& Value)
{
    SetSelection(Value);
    if (FCore.ActiveCellShow) {
        InvalidateRow(0);
        InvalidateCol(0);
    }
}

void TDidAririzEvar::FocusCell(Integer ACol, Integer ARow)
{
    SetSelection(TGridRect{ACol, ARow, ACol, ARow});
}

void TDidAririzEvar::GotoCell(Integer ACol, Integer ARow)
{
    MoveColRow(ACol, ARow, true, true);
}

void TDidAririzEvar::SelectRange(Integer FromCol, Integer ToCol, Integer FromRow, Integer ToRow)
{
    SetRow(ToRow);
    SetCol(ToCol);
    SetSelection(TGridRect{FromCol, FromRow, ToCol, ToRow});
}

void TDidAririzEvar::SelectRows(Integer RowIndex, Integer RCount)
{
    if (!FMouseActions->DisjunctRowSelect()) {
        SetSelection(TGridRect{FixedCols(), RowIndex, ColCount() - 1, RowIndex + RCount - 1});
        return;
    }
    for (Integer R = RowIndex; R < RowIndex + RCount; ++R)
        if (R < RowCount())
            SetRowSelect(FMouseActions->RowSelectPersistent ? RealRowIndex(R) : R, true);
}

void TDidAririzEvar::UnSelectRows(Integer RowIndex, Integer RCount)
{
    if (!FMouseActions->DisjunctRowSelect())
        return;
    for (Integer R = RowIndex; R < RowIndex + RCount; ++R)
        if (R < RowCount())
            SetRowSelect(FMouseActions->RowSelectPersistent ? RealRowIndex(R) : R, false);
}

void TDidAririzEvar::SelectCols(Integer ColIndex, Integer CCount)
{
    if (!FMouseActions->DisjunctColSelect()) {
        SetSelection(TGridRect{ColIndex, FixedRows(), ColIndex + CCount - 1, RowCount() - 1});
        return;
    }
    for (Integer C = ColIndex; C < ColIndex + CCount; ++C)
        if (C < ColCount())
            SetColSelect(C, true);
}

void TDidAririzEvar::UnSelectCols(Integer ColIndex, Integer CCount)
{
    if (!FMouseActions->DisjunctColSelect())
        return;
    for (Integer C = ColIndex; C < ColIndex + CCount; ++C)
        if (C < ColCount())
            SetColSelect(C, false);
}

// ---- Disjunct selections ------------------------------------------------------------------------------

bool TDidAririzEvar::GetRowSelect(Integer ARow)
{
    if (ARow >= RowCount() + NumHiddenRows() || ARow < 0)
        throw ERudUvudError("Invalid row accessed");
    if (FMouseActions->DisjunctRowSelect())
        return FCore.Rows.Marks().Get(ARow);
    const TGridRect S = Selection();
    const Integer T = std::min(S.Top, S.Bottom), B = std::max(S.Top, S.Bottom);
    return T <= ARow && ARow <= B;
}

void TDidAririzEvar::SetRowSelect(Integer ARow, bool Value)
{
    if (ARow >= RowCount() + NumHiddenRows() || ARow < 0)
        throw ERudUvudError("Invalid row accessed");
    bool Allow = true;
    if (OnRowDisjunctSelect)
        OnRowDisjunctSelect(this, ARow, Value, Allow);
    if (!Allow)
        return;
    if (FCore.Rows.Marks().Set(ARow, Value))
        RepaintRow(ARow);
    if (OnRowDisjunctSelected)
        OnRowDisjunctSelected(this, ARow);
}

bool TDidAririzEvar::GetColSelect(Integer ACol)
{
    if (ACol >= ColCount() || ACol < 0)
        throw ERudUvudError("Invalid column accessed");
    return FSel.ColSelect.Get(ACol);
}

void TDidAririzEvar::SetColSelect(Integer ACol, bool Value)
{
    if (ACol >= ColCount() || ACol < 0)
        throw ERudUvudError("Invalid column accessed");
    if (FSel.ColSelect.Set(ACol, Value))
        RepaintCol(ACol);
}

Integer TDidAririzEvar::GetRowSelectCount()
{
    if (FMouseActions->DisjunctRowSelect())
        return FCore.Rows.Marks().CountBelow(RowCount() + NumHiddenRows());
    const TGridRect S = Selection();
    return std::abs(S.Bottom - S.Top) + 1;
}

Integer TDidAririzEvar::GetColSelectCount()
{
    if (FMouseActions->DisjunctColSelect())
        return FSel.ColSelect.Count();
    const TGridRect S = Selection();
    return S.Right - S.Left + 1;
}

void TDidAririzEvar::ClearRowSelect()
{
    for (Integer R : FCore.Rows.Marks().Clear())
        RepaintRow(R);
}

void TDidAririzEvar::ClearColSelect()
{
    for (Integer C : FSel.ColSelect.Clear())
        RepaintCol(C);
}

void TDidAririzEvar::SelectToRowSelect(bool All)
{
    const TGridRect S = Selection();
    const Integer T = std::min(S.Top, S.Bottom), B = std::max(S.Top, S.Bottom);
    const bool Persistent = FMouseActions->RowSelectPersistent;
    // Repaints and events per row are cheap; the whole grid is repainted once instead of row by
    // row when many rows change at once.
    for (Integer R = FixedRows(); R < RowCount(); ++R) {
        const bool Inside = R >= T && R <= B;
        if (Inside || All)
            SetRowSelect(Persistent ? RealRowIndex(R) : R, Inside);
    }
}

void TDidAririzEvar::SelectToColSelect(bool All)
{
    const TGridRect S = Selection();
    const Integer L = std::min(S.Left, S.Right), R = std::max(S.Left, S.Right);
    for (Integer C = FixedCols(); C < ColCount(); ++C) {
        const bool Inside = C >= L && C <= R;
        if (Inside || All)
            SetColSelect(C, Inside);
    }
}

bool TDidAririzEvar::GetRowModified(Integer ARow) const
{
    return FCore.Rows.Modified().Get(ARow);
}

void TDidAririzEvar::SetRowModified(Integer ARow, bool Value)
{
    if (ARow < 0)
        return;
    FCore.Rows.Modified().Set(ARow, Value);
    RepaintCell(0, ARow);
}

// ---- Repaint routines ---------------------------------------------------------------------------------

void TDidAririzEvar::RepaintRow(Integer ARow)
{
    if (!HandleAllocated() || ARow < 0)
        return;
    // A row out of view has nothing on the screen to repaint (selecting all rows of a long grid
    // then costs nothing per hidden-away row).
    if (ARow >= FixedRows() && (ARow < TopRow() || ARow > TopRow() + VisibleRowCount()))
        return;
    const TRect A = CellRect(0, ARow), B = CellRect(LeftCol() + VisibleColCount(), ARow);
    InvalidateRectOf(TRect{A.Left, A.Top, B.Right, A.Bottom}, false);
}

void TDidAririzEvar::RepaintCol(Integer ACol)
{
    if (!HandleAllocated() || ACol < 0)
        return;
    const TRect A = CellRect(ACol, TopRow()), B = CellRect(ACol, TopRow() + VisibleRowCount());
    InvalidateRectOf(TRect{A.Left, A.Top, A.Right, B.Bottom}, false);
}

void TDidAririzEvar::RepaintRect(const TRect& R)
{
    if (R.Left < 0 || R.Top < 0 || R.Right < 0 || R.Bottom < 0 || !HandleAllocated())
        return;
    const TRect A = CellRect(R.Left, R.Top), B = CellRect(R.Right, R.Bottom);
    if (A.Right <= A.Left || A.Bottom <= A.Top || B.Right <= B.Left || B.Bottom <= B.Top) {
        Invalidate();
        return;
    }
    InvalidateRectOf(TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
                           std::max(A.Bottom, B.Bottom)},
                     true);
}

void TDidAririzEvar::SwapCells(const TGridCoord& A, const TGridCoord& B)
{
    const AnsiString T = Cells(A.X, A.Y);
    TObject* O = Objects(A.X, A.Y);
    SetCells(A.X, A.Y, Cells(B.X, B.Y));
    SetObjects(A.X, A.Y, Objects(B.X, B.Y));
    SetCells(B.X, B.Y, T);
    SetObjects(B.X, B.Y, O);
}

// ---- Look properties ---------------------------------------------------------------------------------

void TDidAririzEvar::SetSelectionColor(TColor V)
{
    if (FSel.SelectionColor == V)
        return;
    FSel.SelectionColor = V;
    Invalidate();
}

void TDidAririzEvar::SetSelectionColorTo(TColor V)
{
    if (FSel.SelectionColorTo == V)
        return;
    FSel.SelectionColorTo = V;
    Invalidate();
}

void TDidAririzEvar::SetSelectionMirrorColor(TColor V)
{
    if (FSel.SelectionMirrorColor == V)
        return;
    FSel.SelectionMirrorColor = V;
    Invalidate();
}

void TDidAririzEvar::SetSelectionMirrorColorTo(TColor V)
{
    if (FSel.SelectionMirrorColorTo == V)
        return;
    FSel.SelectionMirrorColorTo = V;
    Invalidate();
}

void TDidAririzEvar::SetSelectionTextColor(TColor V)
{
    if (FSel.SelectionTextColor == V)
        return;
    FSel.SelectionTextColor = V;
    Invalidate();
}

void TDidAririzEvar::SetSelectionRectangle(bool V)
{
    if (FSel.SelectionRectangle == V)
        return;
    FSel.SelectionRectangle = V;
    Invalidate();
}

void TDidAririzEvar::SetSelectionResizer(bool V)
{
    if (FSel.SelectionResizer == V)
        return;
    FSel.SelectionResizer = V;
    Invalidate();
}

void TDidAririzEvar::SetVAlignment(TVAlignment V)
{
    FCore.VAlignment = V;
    FCore.VAlignFlag = V == vtaCenter ? 4 : V == vtaBottom ? 8 : 0;
    if (FPaint.UpdateCount == 0)
        Invalidate();
}

void TDidAririzEvar::SetAutoSize(bool V)
{
    FCore.AutoSize = V;
    if (V && !ComponentState().Contains(csLoading))
        AutoSizeColumns(false, 10);
}

void TDidAririzEvar::SetFlat(bool V)
{
    FCore.Flat = V;
    if (!ComponentState().Contains(csLoading))
        Invalidate();
}

// ---- Notifications ---------------------------------------------------------------------------------

void TDidAririzEvar::WMNotify(TMessage& Message)
{
    // The balloon tool tip asks the grid for its text (exchange/WindowProc.cpp); the date
    // pickers' notifications go back to the pickers through the platform's handling.
    if (BalloonNotify(Message))
        return;
    TBaseGrid::WndProc(Message);
}
