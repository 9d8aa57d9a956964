// The left mouse button of the string grid: the press resolves what lies under the pointer and
// acts on it before (often instead of) the platform grid's press handling; the release finishes
// what the press started (disjunct marks, pressed looks, header-click sorting).

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cstdint>

namespace {

bool RectContains(const TRect& R, Integer X, Integer Y)
{
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

} // namespace

bool TDidAririzEvar::HoverFixedCell(Integer ACol, Integer ARow)
{
    switch (FCore.HoverFixedCells) {
    case hfNone:
        return false;
    case hfAll:
        return ACol < FixedCols() || ARow < FixedRows();
    case hfFixedColumns:
        return ACol < FixedCols();
    case hfFixedRows:
        return ARow < FixedRows();
    }
    return false;
}

void TDidAririzEvar::SetHoverCell(Integer ACol, Integer ARow)
{
    TGridCoord& H = FEdit.Input.HoverCell;
    if (H.X == ACol && H.Y == ARow)
        return;
    const TGridCoord Old = H;
    H = TGridCoord{ACol, ARow};
    if (Old.X >= 0 && Old.Y >= 0 && Old.X < ColCount() && Old.Y < RowCount())
        RepaintCell(Old.X, Old.Y);
    if (ACol >= 0 && ARow >= 0 && ACol < ColCount() && ARow < RowCount())
        RepaintCell(ACol, ARow);
}

void TDidAririzEvar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    // The drop-down button of fixed cells and range select and edit come first; fixed-cell
    // editing follows whatever the press did (edit/MouseMove.cpp).
    if (MouseDownFront(Button, Shift, X, Y))
        return;
    TScopeExit Back([&] { MouseDownBack(Button, Shift, X, Y); });
    // Other buttons and the second press of a double click are the platform's.
    if (Button != mbLeft || Shift.Contains(ssDouble)) {
        TBaseGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    TGridInputState& In = FEdit.Input;
    TMouseActions& MA = *MouseActions();
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);

    // 1. Start.
    In.ButtonDown = true;
    In.ButtonHeld = true;
    In.Moved = false;
    In.WidthsChanged = false;
    const TGridRect S0 = Selection();

    // 3. Range select and edit: a press outside the selection ends editing.
    if (Options().Contains(goEditing) && MA.RangeSelectAndEdit && ACol >= 0 && ARow >= 0 &&
        !(ACol >= std::min(S0.Left, S0.Right) && ACol <= std::max(S0.Left, S0.Right) &&
          ARow >= std::min(S0.Top, S0.Bottom) && ARow <= std::max(S0.Top, S0.Bottom)))
        SetOptions(Options() - TGridOptions{goEditing});

    // 4. The click veto stops everything, the platform's selection too.
    if (OnCanClickCell) {
        bool Allow = true;
        OnCanClickCell(this, ARow, ACol, Allow);
        if (!Allow)
            return;
    }

    // 7. Reset and record.
    SetHoverCell(-1, -1);
    In.PressLeftCol = LeftCol();
    In.PressTopRow = TopRow();
    In.MouseDownPoint = TPoint{X, Y};
    In.Probe = TGridCoord{-1, -1};
    {
        Integer PC = -1, PR = -1;
        MouseToCell(ACol == 0 ? X : X - 5, ARow == 0 ? Y : Y - 4, PC, PR);
        if (PC >= 0 && PR >= 0) {
            In.Probe = TGridCoord{PC, PR};
            In.ProbeWidth = ColWidths(PC);
            In.ProbeHeight = RowHeights(PR);
        }
        RecordSizingStart(In.Probe, In.ProbeWidth, In.ProbeHeight);
    }

    // 8. and 9. Outside the cells.
    if (ACol < 0 || ARow < 0) {
        HideInplaceEdit();
        if (!FCore.FixedRowAlways)
            TBaseGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    const bool InFixed = ARow < FixedRows() || ACol < FixedCols();

    // 10. The base cell of a merged block stands for the block.
    {
        const TPoint B = BaseCell(ACol, ARow);
        ACol = B.X;
        ARow = B.Y;
    }
    const TRect R = CellRect(ACol, ARow);
    In.CaretClick = MA.CaretPositioning;

    // 12. Fixed cells.
    const bool IsFixedCell = IsFixed(ACol, ARow);
    if (InFixed || IsFixedCell)
        HideInplaceEdit();
    const bool FixedInside = IsFixedCell && !InFixed;
    bool NodeRow = IsNode(ARow);

    // 13. Pressed look of fixed cells drawn as buttons (not on a node glyph).
    if ((InFixed || FixedInside) && FCore.FixedAsButtons && Options().Contains(goFixedVertLine) &&
        Options().Contains(goFixedHorzLine) && Ctl3D() && !(NodeRow && InNodeRect(ARow, X))) {
        NodeRow = false;
        In.FixedPressed = true;
        In.FixedPressedRect = R;
        In.FixedPressedCell = TGridCoord{ACol, ARow};
        In.FixedDropDownPressed = ControlLook()->FixedDropDownButton && X >= R.Right - 16;
        InvalidateRectOf(R, false);
    }

    // 14. Node glyphs and the node column.
    if (NodePress(ACol, ARow, X, Y, Shift, NodeRow))
        return;

    // 17. Beyond the columns or the rows.
    if (ACol >= ColCount() || ARow >= RowCount()) {
        TBaseGrid::MouseDown(Button, Shift, X, Y);
        return;
    }

    // 18. Grab offsets of a sizing drag.
    if (In.Probe.X >= 0) {
        const TRect PR = CellRect(In.Probe.X, In.Probe.Y);
        In.GrabOffset = TPoint{X - PR.Right, Y - PR.Bottom};
    } else {
        In.GrabOffset = TPoint{X, Y};
    }

    // 19. Disjunct row selection: the release marks; a plain press clears the marks first.
    if (MA.DisjunctRowSelect() && ARow >= FixedRows() && !(ACol == 0 && MA.HotmailRowSelect())) {
        if (Shift.Contains(ssShift)) {
            TBaseGrid::MouseDown(Button, Shift, X, Y);
            SetSelection(TGridRect{ACol, ARow, S0.Left, S0.Top});
            return;
        }
        if (Shift.Contains(ssCtrl) || MA.DisjunctRowSelectNoCtrl) {
            const Integer SR = MA.RowSelectPersistent ? RealRowIndex(ARow) : ARow;
            if (GetRowSelect(SR))
                In.UnmarkOnRelease = true;
        } else {
            In.DisjunctClearing = true;
            if (!Shift.Contains(ssAlt))
                ClearRowSelect();
        }
    }

    // 20. Disjunct column selection.
    if (MA.DisjunctColSelect() && ACol >= FixedCols()) {
        if (Shift.Contains(ssCtrl)) {
            if (GetColSelect(ACol))
                In.UnmarkOnRelease = true;
        } else {
            In.DisjunctClearing = true;
            ClearColSelect();
        }
    }

    // 21. Links and form controls of the cell's text.
    if (LinkPress(ACol, ARow, X, Y))
        return;

    // 22. Header zones. Mouse moves over the headers name the zone; a press that no move
    // announced finds it itself (a fixed column's data row, a fixed row's data column, the corner).
    In.MovingIndex = -1;
    bool OnBorder = false;
    {
        // A press on a sizable border starts sizing: it is in no selection zone.
        TGridDrawInfo Info;
        CalcDrawInfo(Info);
        TGridState St = gsNormal;
        Integer Index = 0, Pos = 0, Ofs = 0;
        CalcSizingState(X, Y, St, Index, Pos, Ofs, Info);
        OnBorder = St != gsNormal;
    }
    if (In.SelectZone == 0 && InFixed && !OnBorder) {
        if (ACol < FixedCols() && ARow < FixedRows())
            In.SelectZone = 3;
        else if (ACol < FixedCols())
            In.SelectZone = 2;
        else
            In.SelectZone = 1;
    }
    if (Options().Contains(goRangeSelect)) {
        const Integer LastCol = ColCount() - 1, LastRow = RowCount() - 1;
        if (ACol < FixedCols() && ARow < FixedRows() && MA.AllSelect && In.SelectZone == 3) {
            if (CanFocus())
                SetFocus();
            HideSelection();
            TGridRect All{FixedCols(), FixedRows(), LastCol, LastRow};
            UpdateSelectionRect(All);
            SetSelection(All);
            FSel.SelectionHidden = false;
            return;
        }
        if (ACol < FixedCols() && ARow >= FixedRows() && MA.RowSelect && In.SelectZone == 2) {
            HideSelection();
            TGridRect Rows = Shift.Contains(ssShift) ? TGridRect{FixedCols(), ARow, LastCol, S0.Top}
                                                     : TGridRect{FixedCols(), ARow, LastCol, ARow};
            UpdateSelectionRect(Rows);
            SetSelection(Rows);
            FSel.SelectionHidden = false;
            In.SelectAnchor = ARow;
            return;
        }
        if (ARow < FixedRows() && ACol >= FixedCols() && MA.ColSelect && In.SelectZone == 1) {
            if (CanFocus())
                SetFocus();
            HideSelection();
            TGridRect Cols{ACol, FixedRows(), ACol, LastRow};
            if (Shift.Contains(ssShift))
                Cols = ACol < S0.Left ? TGridRect{ACol, FixedRows(), S0.Right, LastRow}
                                      : TGridRect{S0.Left, FixedRows(), ACol, LastRow};
            UpdateSelectionRect(Cols);
            SetSelection(Cols);
            FSel.SelectionHidden = false;
            In.SelectAnchor = ACol;
            return;
        }
    }
    if (ARow < FixedRows() && ACol >= FixedCols())
        In.MovingIndex = ACol;
    else if (ACol < FixedCols() && ARow >= FixedRows())
        In.MovingIndex = ARow;

    // 23. Edit permission of the pressed cell.
    In.HeaderGrab = TPoint{X - R.Left, Y - R.Top};
    const Integer RC = RealColIndex(ACol);
    bool MayEdit = Options().Contains(goEditing) || MA.RangeSelectAndEdit;
    GetCellReadOnly(RC, ARow, MayEdit);

    // 26. and 27. The click itself.
    const bool OnCell = RectContains(R, X, Y) && Selection().Left == ACol && Selection().Right == ACol &&
                        Selection().Top == ARow && Selection().Bottom == ARow;
    const bool SelectAfter = !OnCell && MA.RangeSelectAndEdit && !IsFixedCell && !MayEdit;
    if (SelectAfter)
        SetOptions(Options() - TGridOptions{goEditing});
    if (FixedInside) {
        if (OnClickCell && !(ARow == RowCount() - 1 && FloatingFooter()->Visible() &&
                             FloatingFooter()->FooterStyle() == fsFixedLastRow))
            OnClickCell(this, ARow, ACol);
    } else {
        const Integer VRC = VisibleRowCount(), VCC = VisibleColCount();
        const bool Edge = ARow == TopRow() + VRC || ACol == LeftCol() + VCC ||
                          (ACol == LeftCol() && LeftCol() > FixedCols());
        const bool KeepHoriz = Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll;
        if (KeepHoriz)
            BeginUpdate();
        const Integer Top0 = TopRow();
        if (!FSel.SelectionHidden) {
            const bool AlwaysEdit = Navigation()->AlwaysEdit;
            Navigation()->AlwaysEdit = false;
            TScopeExit Restore([this, AlwaysEdit] { Navigation()->AlwaysEdit = AlwaysEdit; });
            TBaseGrid::MouseDown(Button, Shift, X, Y);
        }
        if (GridState() == gsSelecting && Edge && MA.NoAutoRangeScroll)
            FGridState = gsNormal;
        if (TopRow() != Top0 && MA.NoScrollOnPartialRow)
            SetTopRow(Top0);
        if (KeepHoriz) {
            SetLeftCol(In.PressLeftCol);
            EndUpdate();
        }
    }
    // A press on a column border in the header starts sizing, not a click.
    const bool SizingPress =
        ARow < FixedRows() && Options().Contains(goColSizing) && (X - R.Left < 4 || R.Right - X <= 4);
    if (OnClickCell && !FixedInside && !SizingPress)
        OnClickCell(this, ARow, ACol);

    // 28. Direct editing.
    if (X - R.Left > 3 && R.Right - X > 3 && !InFixed && !IsFixedCell && MayEdit && MA.DirectEdit &&
        !HasStaticEdit(RC, ARow) && (Col() != ACol || Row() != ARow || !EditorMode())) {
        bool Allow = true;
        if (Row() != ARow && OnRowChanging)
            OnRowChanging(this, Row(), ARow, Allow);
        if (Col() != ACol && OnColChanging)
            OnColChanging(this, Col(), ACol, Allow);
        if ((Col() != ACol || Row() != ARow) && OnCellChanging)
            OnCellChanging(this, Row(), Col(), ARow, ACol, Allow);
        if (Allow) {
            if (Col() != ACol || Row() != ARow)
                FocusCell(ACol, ARow);
            InitValidate(ACol, ARow);
            if (!Options().Contains(goEditing))
                SetOptions(Options() + TGridOptions{goEditing});
            if (GridState() == gsSelecting)
                FGridState = gsNormal;
            OpenEditor(TEditOpenedBy::Mouse);
        }
    }
    // 29.
    if (SelectAfter)
        FGridState = gsSelecting;
}

void TDidAririzEvar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    MouseUpFront(Button, Shift, X, Y); // edit/MouseMove.cpp
    if (Button != mbLeft) {
        TBaseGrid::MouseUp(Button, Shift, X, Y);
        return;
    }
    TGridInputState& In = FEdit.Input;
    TMouseActions& MA = *MouseActions();

    // 1. Clear.
    const bool Unmark = In.UnmarkOnRelease;
    In.Moved = false;
    In.WidthsChanged = false;
    In.DisjunctClearing = false;
    In.ButtonHeld = false;
    In.ButtonDown = false;
    In.SelectZone = 0;
    In.SelectAnchor = -1;
    In.UnmarkOnRelease = false;
    ReleaseControlButton();

    // 4. A fixed cell drawn sunken comes up again.
    if (In.FixedPressed) {
        In.FixedPressed = false;
        In.FixedDropDownPressed = false;
        InvalidateRectOf(In.FixedPressedRect, false);
        In.FixedPressedCell = TGridCoord{-1, -1};
    }

    // 5.
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);

    // 9. A release on a fixed cell clicks, unless it ends a column sizing.
    const TGridState State0 = GridState();
    const bool SizingEnd = State0 == gsColSizing || State0 == gsRowSizing;
    if (OnClick && !SizingEnd && ACol >= 0 && ARow >= 0 && (ARow < FixedRows() || ACol < FixedCols()))
        OnClick(this);

    // 16. The platform's release (selection end, sizing, moving).
    TBaseGrid::MouseUp(Button, Shift, X, Y);
    In.WidthsChanged = SizingEnd;

    // 12. Disjunct rows: the selection's rows are marked; a Ctrl press on a marked row unmarks it.
    if (MA.DisjunctRowSelect() && !(ACol == 0 && MA.HotmailRowSelect())) {
        SelectToRowSelect(false);
        if (Unmark && ARow >= FixedRows() && ARow < RowCount() - FixedFooters())
            SetRowSelect(MA.RowSelectPersistent ? RealRowIndex(ARow) : ARow, false);
    }
    // 14. Disjunct columns.
    if (MA.DisjunctColSelect()) {
        SelectToColSelect(false);
        if (Unmark && ACol >= FixedCols() && ACol < ColCount() - FixedRightCols())
            SetColSelect(ACol, false);
    }

    // 18. A move or a sizing ended here, or the release is outside the cells.
    if (In.Moved || In.WidthsChanged || ACol < 0 || ARow < 0)
        return;

    // A click pressed and released on one check box, radio button or radio group changes it.
    {
        Integer PC = -1, PR = -1;
        MouseToCell(In.MouseDownPoint.X, In.MouseDownPoint.Y, PC, PR);
        const TPoint At{X, Y};
        if (PC == ACol && PR == ARow && ToggleCellByInput(ACol, ARow, &At))
            return;
    }

    // 19. Header-click sorting.
    TSortSettings* S = SortSettings();
    if (ACol >= FixedCols() || S->FixedCols) {
        const Integer RC = RealColIndex(ACol);
        bool DoSort = true;
        const TRect R = CellRect(ACol, ARow);
        if (ARow == 0 && Options().Contains(goColSizing) && (X - R.Left < 4 || R.Right - X <= 4))
            return;
        Integer PC = -1, PR = -1;
        MouseToCell(In.MouseDownPoint.X, In.MouseDownPoint.Y, PC, PR);
        const bool SortClick = ARow == S->Row() && PR == ARow && FixedRows() > 0 && S->Show && RowCount() > 2;
        if (SortClick) {
            if (IsIgnoredColumn(RC))
                DoSort = false;
            if (OnCanSort)
                OnCanSort(this, RC, DoSort);
            if (DoSort)
                HeaderClickSort(RC, Shift);
            else
                RepaintCell(ACol, S->Row());
        }
    }
}

// ---- Cursor ---------------------------------------------------------------------------------------

namespace {

// The program's own module: the select-zone cursors are resources embedded into it (res/).
HINSTANCE ProgramModule()
{
    return reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000));
}

} // namespace

void TDidAririzEvar::WMSetCursor(TMessage& Message)
{
    Integer& Zone = FEdit.Input.SelectZone;
    POINT Pt{};
    ::GetCursorPos(&Pt);
    if (HandleAllocated())
        ::ScreenToClient(Handle(), &Pt);
    // Over a scroll bar the header zones end: a row-select arrow on the horizontal bar or a
    // column-select arrow on the vertical one would promise a click that scrolls instead.
    if (VisibleColCount() < ColCount() && Zone == 2 && Pt.Y > Height() - ::GetSystemMetrics(SM_CYHSCROLL))
        Zone = 0;
    if (VisibleRowCount() < RowCount() && Zone == 1 && Pt.X > Width() - ::GetSystemMetrics(SM_CXVSCROLL))
        Zone = 0;
    Integer Id = 0;
    if (GridState() != gsRowSizing && GridState() != gsColSizing) {
        if (Zone == 1)
            Id = 8011;
        else if (Zone == 2)
            Id = 8010;
        else if (Zone == 3 || Zone == 5)
            Id = 8012;
    }
    HCURSOR Cur = Id ? ::LoadCursor(ProgramModule(), MAKEINTRESOURCE(Id)) : nullptr;
    if (Cur) {
        ::SetCursor(Cur);
        Message.Result = 1;
        return;
    }
    TBaseGrid::WndProc(Message);
}
