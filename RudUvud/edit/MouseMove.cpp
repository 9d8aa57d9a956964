// The pointer over the string grid: hover highlighting of fixed cells, row and column select
// drags, the select zones a press would start, the link cursor and anchor events, the sizing
// events and the "cw=" / "rh=" sizing hint; the border test that asks before a column or row is
// sized; the press steps around the grid's own press (range select and edit, the drop-down
// button of fixed cells, fixed-cell editing) and the mouse leaving the grid.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/core/GridSizingState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"

#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool MoveSameRect(const TGridRect& A, const TGridRect& B)
{
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

// A selection rectangle with its corners in ascending order.
TGridRect Ordered(Integer C0, Integer R0, Integer C1, Integer R1)
{
    return TGridRect{std::min(C0, C1), std::min(R0, R1), std::max(C0, C1), std::max(R0, R1)};
}

} // namespace

// ---- Properties ----------------------------------------------------------------------------------

bool TDidAririzEvar::HintShowSizing() const
{
    return FHintShowSizing;
}

void TDidAririzEvar::SetHintShowSizing(bool Value)
{
    FHintShowSizing = Value;
}

TPopupMenu* TDidAririzEvar::FixedDropDownMenu() const
{
    return FFixedDropDownMenu;
}

void TDidAririzEvar::SetFixedDropDownMenu(TPopupMenu* Value)
{
    FFixedDropDownMenu = Value;
    if (Value)
        Value->FreeNotification(this);
}

// ---- Sizing zones -----------------------------------------------------------------------------------

void TDidAririzEvar::CalcSizingState(Integer X, Integer Y, TGridState& State, Integer& Index,
                                     Integer& SizingPos, Integer& SizingOfs, TGridDrawInfo& FixedInfo)
{
    // 1.
    TBaseGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
    Integer ACol = -1, ARow = -1;
    // 2. The column left of a header border may refuse to be sized.
    if (State == gsColSizing) {
        MouseToCell(X - 6, Y, ACol, ARow);
        if (ARow >= 0 && ARow < FixedRows() && ACol >= 0 && ACol < ColCount()) {
            bool Allow = true;
            if (OnColumnSize)
                OnColumnSize(this, ACol, Allow);
            if (!Allow) {
                State = gsNormal;
                FEdit.Input.SelectZone = 0;
            }
        }
    }
    // 3. Likewise the row above a fixed column's border.
    if (State == gsRowSizing) {
        MouseToCell(X, Y - 6, ACol, ARow);
        if (ACol >= 0 && ACol < FixedCols() && ARow >= 0 && ARow < RowCount()) {
            bool Allow = true;
            if (OnRowSize)
                OnRowSize(this, ARow, Allow);
            if (!Allow)
                State = gsNormal;
        }
    }
}

// ---- Moves ---------------------------------------------------------------------------------------------

void TDidAririzEvar::MoveLinks(Integer ACol, Integer ARow, Integer X, Integer Y, bool& Decided)
{
    TGridMouseMoveState& M = FEdit.Move;
    AnsiString Anchor;
    if (ACol >= 0 && ARow >= 0) {
        const AnsiString T = Cells(RealColIndex(ACol), ARow);
        const TTextType K = TextType(T, FCore.EnableHTML);
        if (FPaint.URLShow && K != ttHTML && IsURL(T)) {
            SetCursor(crHandPoint);
            Decided = true;
        } else if (K == ttHTML) {
            // The anchors of mini-HTML text are hit-tested where painting puts the text.
            TRect R = CellRect(ACol, ARow);
            const TPoint O = XYOffset();
            R.Left += O.X + 1;
            R.Top += O.Y + 1;
            if (HasCheckBox(ACol, ARow))
                R.Left += ControlLook()->CheckSize;
            TCanvas* C = Canvas();
            C->Font()->Assign(Font());
            AnsiString Strip, FocusAnchor, Hint, CtrlID, CtrlVal, CtrlType;
            Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
            TRect MouseRect{}, CtrlRect{};
            if (HTMLDrawEx(C, T, R, FPaint.GridImages, X, Y, -1, -1, 1, true, false, false, false, false,
                           false, !FPaint.EnhTextSize, false, 1.0, FCore.URLColor, clNone, clNone, clGray,
                           Anchor, Strip, FocusAnchor, Hint, XSize, YSize, Links, MouseLink, MouseRect,
                           CtrlRect, CtrlID, CtrlVal, CtrlType, FPictureCache.get(), nullptr,
                           HandleAllocated() ? Handle() : nullptr) &&
                !Anchor.empty()) {
                SetCursor(crHandPoint);
                Decided = true;
            } else {
                Anchor.clear();
            }
        }
    }
    if (!Anchor.empty() && Anchor != M.LastAnchor) {
        M.LastAnchor = Anchor;
        if (OnAnchorEnter)
            OnAnchorEnter(this, ARow, ACol, Anchor);
    } else if (Anchor.empty() && !M.LastAnchor.empty()) {
        // Leaving an anchor for any other place, a cell of another kind too.
        M.LastAnchor.clear();
        if (OnAnchorExit)
            OnAnchorExit(this, ARow, ACol, AnsiString());
    }
}

void TDidAririzEvar::ShowSizingHint(Integer X, Integer Y)
{
    TGridMouseMoveState& M = FEdit.Move;
    const TGridInputState& In = FEdit.Input;
    AnsiString Text;
    TRect R{};
    if (GridState() == gsColSizing) {
        Integer C = FSizingIndex, Rw = 0;
        if (C < 0 || C >= ColCount()) {
            C = ColCount() - 1;
            Rw = 0;
        }
        R = CellRect(C, Rw);
        Text = "cw=<b>" + IntToStr(X - R.Left - In.GrabOffset.X) + "</b>";
    } else if (GridState() == gsRowSizing) {
        Integer Rw = FSizingIndex, C = 0;
        if (Rw < 0 || Rw >= RowCount()) {
            Rw = RowCount() - 1;
            C = 0;
        }
        R = CellRect(C, Rw);
        Text = "rh=<b>" + IntToStr(Y - R.Top - In.GrabOffset.Y) + "</b>";
    } else {
        return;
    }
    if (!FHintWindow)
        return;
    TRect HR = FHintWindow->CalcHintRect(200, Text, nullptr);
    const TPoint P = ClientToScreen(TPoint{R.Left, R.Top});
    HR = TRect{HR.Left + P.X, HR.Top + P.Y, HR.Right + P.X, HR.Bottom + P.Y};
    FHintWindow->SetColor(HintColor());
    FHintWindow->ActivateHint(HR, Text);
    M.SizingHintShown = true;
}

void TDidAririzEvar::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TGridInputState& In = FEdit.Input;
    TGridMouseMoveState& M = FEdit.Move;
    TMouseActions& MA = *MouseActions();
    const bool Designing = ComponentState().Contains(csDesigning);
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);
    const bool IsCell = ACol >= 0 && ARow >= 0;
    const TGridRect Sel0 = Selection();
    if (!M.NormalCursorKnown) {
        M.NormalCursor = Cursor();
        M.NormalCursorKnown = true;
    }

    // 1. Dragging selects a range instead of editing.
    if (In.ButtonDown && MA.RangeSelectAndEdit && Options().Contains(goEditing) && !EditorMode())
        SetOptions(Options() - TGridOptions{goEditing});
    // 2.
    if (SelectionRectangle() && GridState() == gsSelecting &&
        !MoveSameRect(M.LastMouseSelection, Selection()))
        M.LastMouseSelection = Selection();

    // 3. The cell scroll bar shows over a cell with more content than it shows.
    if (!Designing && IsCell && FCellScrollBar) {
        FCellScrollBar->SetVisible(false);
        if (HasScrollBar(ACol, ARow)) {
            const TScrollProp SP = GetScrollProp(ACol, ARow);
            if (SP.PageSize < SP.Range) {
                const TRect R = CellRect(ACol, ARow);
                const Integer GL = GridLineWidth();
                FScroll.CellScrollBarCell = TGridCoord{ACol, ARow};
                FCellScrollBar->SetPageSize(SP.PageSize);
                FCellScrollBar->SetMin(0);
                FCellScrollBar->SetMax(SP.Range);
                FCellScrollBar->SetWidth(17);
                FCellScrollBar->SetTop(R.Top + GL);
                FCellScrollBar->SetLeft(R.Right - 17 - GL);
                FCellScrollBar->SetHeight(R.Bottom - R.Top - 2 * GL);
                FCellScrollBar->SetPosition(GetScrollPosition(ACol, ARow));
                FCellScrollBar->SetVisible(true);
            }
        }
    }

    // 4. Hover of fixed cells: only fixed cells change their look.
    if (FCore.HoverFixedCells != hfNone && !M.KeepHighlight) {
        const TGridCoord New = IsCell ? TGridCoord{ACol, ARow} : TGridCoord{-1, -1};
        const TGridCoord Old = In.HoverCell;
        if (!(New == Old)) {
            In.HoverCell = New;
            auto FixedCell = [this](const TGridCoord& C) {
                return C.X >= 0 && C.Y >= 0 && C.X < ColCount() && C.Y < RowCount() &&
                       (C.X < FixedCols() || C.Y < FixedRows());
            };
            if (FixedCell(Old))
                RepaintCell(Old.X, Old.Y);
            if (FixedCell(New))
                RepaintCell(New.X, New.Y);
        }
    }

    // 6. Row select drag from the row headers, scrolling at the edges.
    bool ScrolledUp = false;
    if (In.SelectAnchor != -1 && MA.RowSelect && In.SelectZone == 2) {
        // On the pressed row the press's own selection stays (a Shift press extends it).
        if (ARow >= FixedRows() && ARow <= RowCount() - FixedFooters() && ARow != In.SelectAnchor) {
            const Integer To = std::max(FixedRows(), std::min(ARow, RowCount() - 1));
            const TGridRect S = Ordered(FixedCols(), In.SelectAnchor, ColCount() - 1, To);
            SetSelection(S);
            if (SelectionRectangle() && !MoveSameRect(S, M.LastMouseSelection)) {
                RepaintRect(TRect{LeftCol(), S.Top, LeftCol() + VisibleColCount(), S.Bottom});
                M.LastMouseSelection = S;
            }
        }
        if (Y > Height() - 4) {
            SetTopRow(TopRow() + 1);
        } else if (FixedRows() > 0 && RowCount() > 0 && Y < RowHeights(0) && TopRow() > FixedRows()) {
            SetTopRow(TopRow() - 1);
            ScrolledUp = true;
        }
    }
    // 7. Column select drag from the column headers.
    if (In.SelectAnchor != -1 && MA.ColSelect && In.SelectZone == 1 && ACol >= 0 && ACol != In.SelectAnchor) {
        const Integer To = std::max(FixedCols(), ACol);
        const TGridRect S = Ordered(In.SelectAnchor, FixedRows(), To, RowCount() - 1);
        SetSelection(S);
        if (SelectionRectangle() && !MoveSameRect(S, M.LastMouseSelection)) {
            RepaintRect(TRect{S.Left, TopRow(), S.Right, TopRow() + VisibleRowCount()});
            M.LastMouseSelection = S;
        }
    }

    bool Decided = false;
    // 11.
    if (!Designing) {
        // 1. Sizing under way.
        if (GridState() == gsColSizing)
            FSizing.ColSizing = true;
        if (GridState() == gsRowSizing)
            FSizing.RowSizing = true;
        // 2. A move under way may be refused on any step.
        if (GridState() == gsColMoving && OnColumnMove) {
            bool Allow = true;
            OnColumnMove(this, FMoveIndex, Allow);
            if (!Allow)
                FGridState = gsNormal;
        } else if (GridState() == gsRowMoving && OnRowMove) {
            bool Allow = true;
            OnRowMove(this, FMoveIndex, Allow);
            if (!Allow)
                FGridState = gsNormal;
        }
        // 4. The zone a press here would start (the press and the cursor read it). While the
        // button is held the zone of the press stays.
        if (!In.ButtonDown) {
            In.SelectZone = 0;
            if (IsCell) {
                const bool InSize = InSizeZone(X, Y);
                if (ACol < FixedCols() && ARow < FixedRows() && MA.AllSelect) {
                    In.SelectZone = 3;
                    Decided = true;
                } else if (ARow < FixedRows() && ACol >= FixedCols() && MA.ColSelect && !InSize) {
                    In.SelectZone = 1;
                    Decided = true;
                } else if (ACol < FixedCols() && (ARow >= FixedRows() || ScrolledUp) && MA.RowSelect &&
                           !InSize && !InNodeRect(ARow, X)) {
                    In.SelectZone = 2;
                    Decided = true;
                }
            }
        }
    }

    // 12. Links.
    MoveLinks(ACol, ARow, X, Y, Decided);
    if (!Decided && Cursor() != M.NormalCursor)
        SetCursor(M.NormalCursor);

    // 14. The selection frame follows the mouse selection.
    if (GridState() == gsSelecting && SelectionRectangle() && !MoveSameRect(Selection(), M.OldSelection)) {
        InvalidateGridRect(Selection());
        M.OldSelection = Selection();
    }

    // 15. The platform's selection, sizing and moving.
    TBaseGrid::MouseMove(Shift, X, Y);

    // 16.
    if (Navigation()->KeepHorizScroll && In.ButtonHeld && GridState() != gsColMoving) {
        StartUpdate();
        SetLeftCol(In.PressLeftCol);
        ResetUpdate();
    }

    // 17. Sizing events: the size the border has reached.
    if (GridState() == gsColSizing && OnColumnSizing && FSizingIndex >= 0 && FSizingIndex < ColCount())
        OnColumnSizing(this, FSizingIndex, X - CellRect(FSizingIndex, 0).Left - In.GrabOffset.X);
    if (GridState() == gsRowSizing && OnRowSizing && FSizingIndex >= 0 && FSizingIndex < RowCount())
        OnRowSizing(this, FSizingIndex, Y - CellRect(0, FSizingIndex).Top - In.GrabOffset.Y);

    // 18. The sizing hint.
    if ((Designing || FHintShowSizing) && (GridState() == gsColSizing || GridState() == gsRowSizing))
        ShowSizingHint(X, Y);

    // 19.
    if (FCore.EnhRowColMove)
        Update();
    const TGridRect S1 = Selection();
    if (!MoveSameRect(S1, Sel0))
        SelectionChanged(S1.Left, S1.Top, S1.Right, S1.Bottom);
}

void TDidAririzEvar::CMMouseLeave(TMessage&)
{
    TGridInputState& In = FEdit.Input;
    if (!In.ButtonDown)
        In.SelectZone = 0;
    if (!FEdit.Move.KeepHighlight && FCore.HoverFixedCells != hfNone && In.HoverCell.X >= 0) {
        const TGridCoord Old = In.HoverCell;
        In.HoverCell = TGridCoord{-1, -1};
        if (Old.X < ColCount() && Old.Y < RowCount())
            RepaintCell(Old.X, Old.Y);
    }
    // An anchor under the pointer is left too.
    if (!FEdit.Move.LastAnchor.empty()) {
        FEdit.Move.LastAnchor.clear();
        if (OnAnchorExit)
            OnAnchorExit(this, -1, -1, AnsiString());
    }
}

// ---- Around the press -------------------------------------------------------------------------------

bool TDidAririzEvar::MouseDownFront(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TMouseActions& MA = *MouseActions();
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);
    // 1. Range select and edit.
    if (MA.RangeSelectAndEdit && Button == mbLeft && !MA.EditOnDblClickOnly() && ACol >= 0 && ARow >= 0 &&
        !Shift.Contains(ssDouble)) {
        if (ACol == Col() && ARow == Row() && !Options().Contains(goEditing) && IsEditable(ACol, ARow)) {
            SetOptions(Options() + TGridOptions{goEditing});
            FXchg.Runtime.InMouseDown = true;
            return false; // the press runs and the editor shows after it
        }
        if ((ACol != Col() || ARow != Row()) && Shift.Contains(ssShift) && Options().Contains(goEditing))
            SetOptions(Options() - TGridOptions{goEditing});
    }
    // 2.1 The drop-down button of a hovered fixed cell.
    if (ACol >= 0 && ARow >= 0 && Button == mbLeft) {
        const TRect R = CellRect(ACol, ARow);
        if (X > R.Right - 16 && HoverFixedCell(ACol, ARow) && ControlLook()->FixedDropDownButton &&
            (FFixedDropDownMenu || OnFixedDropDownClick)) {
            TGridMouseMoveState& M = FEdit.Move;
            TPopupMenu* Menu = FFixedDropDownMenu;
            if (Menu)
                Menu->SetTag(ACol);
            bool Keep = false;
            M.KeepHighlight = true;
            if (OnFixedDropDownClick)
                OnFixedDropDownClick(this, ACol, ARow, Menu, Keep);
            if (Menu) {
                FEdit.Input.ButtonDown = false;
                SetHoverCell(ACol, ARow);
                const TPoint P = ClientToScreen(TPoint{R.Right - 16, R.Bottom});
                // The menu's handlers may free the grid: nothing is touched afterwards unless
                // its window is still there.
                const HWND Wnd = HandleAllocated() ? Handle() : nullptr;
                Menu->Popup(P.X, P.Y);
                if (!Wnd || TWinControl::FindControl(Wnd) != this)
                    return true;
                SetHoverCell(-1, -1);
            }
            M.KeepHighlight = Keep;
            return true;
        }
    }
    FXchg.Runtime.InMouseDown = true;
    return false;
}

void TDidAririzEvar::MouseDownBack(TMouseButton Button, TShiftState, Integer X, Integer Y)
{
    FXchg.Runtime.InMouseDown = false;
    TMouseActions& MA = *MouseActions();
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);
    // 1.1 The press on the current cell with range select and edit opens the editor.
    if (MA.RangeSelectAndEdit && Button == mbLeft && !MA.EditOnDblClickOnly() && ACol == Col() &&
        ARow == Row() && Options().Contains(goEditing) && IsEditable(ACol, ARow) && !EditorMode())
        ShowInplaceEdit();
    // 4. Fixed-cell editing.
    if (ACol < 0 || ARow < 0 || !(ACol < FixedCols() || ARow < FixedRows()))
        return;
    const TRect R = CellRect(ACol, ARow);
    const bool Inside = X > R.Left + 4 && X < R.Right - 4 && Y > R.Top + 4 && Y < R.Bottom - 4;
    if (MA.FixedRowsEdit == fceLeftClick && Button == mbLeft && ARow < FixedRows()) {
        if (!Options().Contains(goColSizing) || Inside)
            StartFixedEdit(ACol, ARow);
    } else if (MA.FixedColsEdit == fceLeftClick && Button == mbLeft && ACol < FixedCols()) {
        if (!Options().Contains(goRowSizing) || Inside)
            StartFixedEdit(ACol, ARow);
    } else if (MA.FixedRowsEdit == fceRightClick && Button == mbRight && ARow < FixedRows()) {
        StartFixedEdit(ACol, ARow);
    } else if (MA.FixedColsEdit == fceRightClick && Button == mbRight && ACol < FixedCols()) {
        StartFixedEdit(ACol, ARow);
    }
}

// ---- Around the release and the key release ---------------------------------------------------------

void TDidAririzEvar::MouseUpFront(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    // 5. A sizing let go beyond the grid's right (bottom) edge changes nothing.
    if ((GridState() == gsColSizing && X > Width()) || (GridState() == gsRowSizing && Y > Height())) {
        FGridState = gsNormal;
        Invalidate();
    }
    // 6.
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);
    if (MouseActions()->DisjunctCellSelect() && Button == mbLeft && ACol >= 0 && ARow >= 0)
        DisjunctCellClick(ACol, ARow, Shift, true);
}

void TDidAririzEvar::DisjunctCellClick(Integer ACol, Integer ARow, TShiftState Shift, bool ByMouse)
{
    TSelectedCellList& L = FSel.SelectedCells;
    const bool Ctrl = Shift.Contains(ssCtrl);
    const TPoint B = BaseCell(ACol, ARow);
    auto RepaintListed = [this, &L] {
        for (Integer I = 0; I < L.Count(); ++I) {
            const TPoint P = L.At(I);
            RepaintCell(P.X, P.Y);
        }
    };
    // 1. A fixed cell: without Ctrl a click empties the list.
    if (IsFixed(B.X, B.Y)) {
        if (!Ctrl && ByMouse) {
            L.Clear();
            Invalidate();
        }
    } else {
        // 2.
        bool CanSelect = true;
        if (OnSelectCell)
            OnSelectCell(this, B.X, B.Y, CanSelect);
        if (!CanSelect)
            return;
        // 3. Ctrl toggles the cell; a plain click starts the list over with it.
        if (!ByMouse || !Shift.Contains(ssShift)) {
            if (Ctrl) {
                if (L.Contains(B.X, B.Y))
                    L.Remove(B.X, B.Y);
                else
                    L.Add(B.X, B.Y);
            } else {
                RepaintListed();
                L.Clear();
                L.Add(B.X, B.Y);
            }
        }
    }
    // 4. The cells of a range selection join the list, each once.
    const TGridRect S = Selection();
    if (S.Left != S.Right || S.Top != S.Bottom) {
        for (Integer C = std::min(S.Left, S.Right); C <= std::max(S.Left, S.Right); ++C)
            for (Integer R = std::min(S.Top, S.Bottom); R <= std::max(S.Top, S.Bottom); ++R)
                if (C != B.X || R != B.Y)
                    L.Add(C, R);
        RepaintListed();
    }
    // 5.
    RepaintCell(B.X, B.Y);
}

void TDidAririzEvar::KeyUp(Word& Key, TShiftState Shift)
{
    // 1. Moving keys end the incremental search text (Home does not).
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
        FPaint.LookupBuffer.clear();
        break;
    default:
        break;
    }
    // 2.
    const Word K = Key;
    TBaseGrid::KeyUp(Key, Shift);
    // 3. Always editing: the editor comes back after a move.
    const bool Arrow = K == VK_LEFT || K == VK_UP || K == VK_RIGHT || K == VK_DOWN;
    if (Navigation()->AlwaysEdit && (Arrow || (K == VK_TAB && Options().Contains(goTabs))) &&
        !HasStaticEdit(RealColIndex(Col()), Row()))
        ShowInplaceEdit();
    // 4. Space marks the current cell.
    if (MouseActions()->DisjunctCellSelect() && K == VK_SPACE && !Options().Contains(goEditing))
        DisjunctCellClick(Col(), Row(), Shift, false);
}
