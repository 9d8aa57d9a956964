// Keys of the string grid: the grid's own key table runs before and after the platform grid's
// navigation (scroll-only moves, starting edits, Home and End, skipping fixed cells, Tab walking
// the cells, appending, inserting and deleting rows, select all, disjunct selection keys).

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/FormatSettings.h"

#include <algorithm>

namespace {

bool IsNavKey(Word Key)
{
    return Key >= VK_PRIOR && Key <= VK_DOWN; // PgUp, PgDn, End, Home, Left, Up, Right, Down
}

bool SameRect(const TGridRect& A, const TGridRect& B)
{
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

} // namespace

bool TDidAririzEvar::IsOnLastRow() const
{
    Integer Last = RowCount() - 1 - FCore.FixedFooters;
    if (const_cast<TDidAririzEvar*>(this)->FloatingFooter()->Visible())
        --Last;
    return Row() >= Last;
}

void TDidAririzEvar::QueryInsertRow(Integer ARow, bool& CanInsert)
{
    if (OnCanInsertRow)
        OnCanInsertRow(this, ARow, CanInsert);
}

void TDidAririzEvar::QueryAddRow(bool& CanAdd)
{
    if (OnCanAddRow)
        OnCanAddRow(this, CanAdd);
}

void TDidAririzEvar::DoInsertRow(Integer ARealRow)
{
    const Integer D = std::min(DisplRowIndex(ARealRow), RowCount());
    InsertRows(D < 0 ? RowCount() : D, 1);
    if (OnAutoInsertRow)
        OnAutoInsertRow(this, D);
}

void TDidAririzEvar::DoDeleteRow(Integer ARow)
{
    // The only data row is emptied rather than removed, so the grid keeps a row to stand on.
    if (RowCount() - FixedRows() - FixedFooters() <= 1 && !FCore.FixedRowAlways)
        ClearRows(ARow, 1);
    else
        RemoveRows(ARow, 1);
    if (OnAutoDeleteRow)
        OnAutoDeleteRow(this, ARow);
}

void TDidAririzEvar::DoAppendRow()
{
    SetRowCount(RowCount() + 1);
}

void TDidAririzEvar::TabToNextRowAtEnd()
{
    SetRowEx(FixedRows());
}

void TDidAririzEvar::AppendLastRow()
{
    bool CanAdd = true;
    QueryAddRow(CanAdd);
    if (!CanAdd)
        return;
    const bool Footer = FloatingFooter()->Visible();
    if (Footer && RowCount() > FixedRows()) {
        InsertRows(RowCount() - 1, 1);
    } else {
        DoAppendRow();
        ClearRows(RowCount() - 1, 1);
    }
    if (Footer || FCore.FixedFooters > 0)
        SetRowEx(std::min(Row() + 1, RowCount() - 1));
    if (OnAutoAddRow)
        OnAutoAddRow(this, Row());
}

// ---- Tab --------------------------------------------------------------------------------------------

void TDidAririzEvar::TabEdit(bool Backward)
{
    TGridInputState& In = FEdit.Input;
    if (OnKeyDown) {
        Word Key = VK_TAB;
        OnKeyDown(this, Key, Backward ? TShiftState{ssShift} : TShiftState{});
        if (Key != VK_TAB)
            return;
    }
    const Integer FirstCol = FixedCols(), EndCol = ColCount() - FixedRightCols(); // [FirstCol, EndCol)
    const Integer FirstRow = FixedRows(), EndRow = RowCount() - FixedFooters();
    if (EndCol <= FirstCol || EndRow <= FirstRow)
        return;
    const bool Editing = Options().Contains(goEditing);
    auto Accepts = [&](Integer C, Integer R) {
        if (!IsBaseCell(C, R))
            return false;
        return Editing ? IsEditable(RealColIndex(C), R) : !IsFixed(C, R);
    };
    const bool ToParent = Navigation()->TabToNextAtEnd && Parent();
    auto PostTabToParent = [&] {
        if (ToParent && Parent()->HandleAllocated())
            PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_TAB, 0);
    };
    Integer C = Col(), R = Row();
    const TPoint Span = CellSpan(C, R);
    // One step in the walking order; answers false when the walk wrapped past the grid's end.
    const bool TopBottom = Navigation()->TabAdvanceDirection == adTopBottom;
    auto Step = [&](Integer& SC, Integer& SR) {
        if (!Backward) {
            if (TopBottom) {
                if (++SR < EndRow)
                    return true;
                SR = FirstRow;
                if (++SC < EndCol)
                    return true;
                SC = FirstCol;
                return false;
            }
            if (++SC < EndCol)
                return true;
            SC = FirstCol;
            if (++SR < EndRow)
                return true;
            SR = FirstRow;
            return false;
        }
        if (TopBottom) {
            if (--SR >= FirstRow)
                return true;
            SR = EndRow - 1;
            if (--SC >= FirstCol)
                return true;
            SC = EndCol - 1;
            return false;
        }
        if (--SC >= FirstCol)
            return true;
        SC = EndCol - 1;
        if (--SR >= FirstRow)
            return true;
        SR = EndRow - 1;
        return false;
    };
    if (!Backward && !TopBottom)
        C += Span.X;
    else if (!Backward)
        R += Span.Y;
    // Every cell is visited at most once: a grid without a cell that takes Tab leaves the current
    // cell where it is instead of walking forever.
    const Int64 Limit = Int64(EndCol - FirstCol) * (EndRow - FirstRow) + 1;
    bool Wrapped = false;
    for (Int64 I = 0; I < Limit; ++I) {
        if (!Step(C, R)) {
            Wrapped = true;
            if (!Backward && !TopBottom && !Navigation()->TabToNextAtEnd && Navigation()->AdvanceInsert()) {
                // The walk leaves the last row: a new row takes it.
                bool CanAdd = true;
                QueryAddRow(CanAdd);
                if (CanAdd) {
                    if (FloatingFooter()->Visible())
                        InsertRows(RowCount() - 1, 1);
                    else
                        SetRowCount(RowCount() + 1);
                    const Integer NewRow =
                        RowCount() - 1 - FixedFooters() - (FloatingFooter()->Visible() ? 1 : 0);
                    GotoCell(FirstCol, NewRow);
                    if (OnAutoAddRow)
                        OnAutoAddRow(this, NewRow);
                    break;
                }
            }
            PostTabToParent();
            if (ToParent)
                break;
        }
        if (Accepts(C, R)) {
            GotoCell(C, R);
            break;
        }
    }
    (void)Wrapped;
    if (Options().Contains(goEditing) && Navigation()->AdvanceAutoEdit &&
        IsEditable(RealColIndex(Col()), Row()))
        OpenEditor(TEditOpenedBy::Keyboard);
    In.TabStartCell = TGridCoord{-1, -1};
    if (Navigation()->AlwaysEdit && CanFocus())
        SetFocus();
}

// ---- Key down ---------------------------------------------------------------------------------------

void TDidAririzEvar::KeyDown(Word& Key, TShiftState Shift)
{
    TGridInputState& In = FEdit.Input;
    TMouseActions& MA = *MouseActions();
    TNavigation& Nav = *Navigation();

    // 1. Record.
    In.OldSelection = Selection();
    const Integer L0 = LeftCol();
    const bool WasDown = Key == VK_DOWN;
    const bool Ctrl = Shift.Contains(ssCtrl), ShiftKey = Shift.Contains(ssShift), Alt = Shift.Contains(ssAlt);
    const bool KeepHoriz = (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) &&
                           Options().Contains(goRowSelect) && LeftCol() != FixedCols() && Nav.KeepHorizScroll;
    auto RC = [&] { return RealColIndex(Col()); };
    auto FireKeyDown = [&] {
        if (OnKeyDown)
            OnKeyDown(this, Key, Shift);
    };

    // 2. Scroll only: the view moves, the current cell stays.
    if (Nav.MoveScrollOnly && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME ||
                               Key == VK_UP || Key == VK_DOWN)) {
        const Integer VRC = VisibleRowCount();
        switch (Key) {
        case VK_PRIOR:
            SetTopRow(VRC + FixedRows() < TopRow() ? TopRow() - VRC : FixedRows());
            break;
        case VK_NEXT:
            if (TopRow() + VRC < RowCount())
                SetTopRow(TopRow() + VRC);
            break;
        case VK_END:
            SetTopRow(RowCount() - VRC);
            break;
        case VK_HOME:
            SetTopRow(FixedRows());
            break;
        case VK_UP:
            if (TopRow() > FixedRows())
                SetTopRow(TopRow() - 1);
            break;
        case VK_DOWN:
            if (TopRow() + VRC < RowCount())
                SetTopRow(TopRow() + 1);
            break;
        }
        Key = 0;
        return;
    }

    const bool EnterF2 = Key == VK_RETURN || Key == VK_F2;
    // 3. Editing on double click only: Enter and F2 still start an edit.
    if (MA.EditOnDblClickOnly() && EnterF2) {
        const bool Saved = MA.RangeSelectAndEdit;
        MA.RangeSelectAndEdit = true;
        const bool May = IsEditable(RC(), Row());
        MA.RangeSelectAndEdit = Saved;
        if (May) {
            SetOptions(Options() + TGridOptions{goEditing});
            OpenEditor(TEditOpenedBy::Keyboard);
        }
    }
    // 4. Range select and edit.
    if (MA.RangeSelectAndEdit && !Options().Contains(goEditing) && EnterF2) {
        if (!IsEditable(RC(), Row())) {
            Key = 0;
            return;
        }
        SetOptions(Options() + TGridOptions{goEditing});
        OpenEditor(TEditOpenedBy::Keyboard);
    }
    // 5. Ctrl+F puts the focus into the visible search footer.
    if (Ctrl && Key == 'F' && FSearchFooter->Visible() && FSearchPanel->EditControl()->CanFocus())
        FSearchPanel->EditControl()->SetFocus();
    // 6. Enter and F2 on a cell that may not be edited.
    if (EnterF2 && Options().Contains(goEditing) && !IsEditable(RC(), Row())) {
        Key = 0;
        return;
    }
    // A cell with form controls opens no editor: Enter and F2 put the input into its first control.
    if (EnterF2 && FormControlKeyDown(Key))
        return;
    // 7. Enter on a cell that cannot be edited reaches the platform only for a form that previews
    // keys.
    if (Key == VK_RETURN && !IsEditable(RC(), Row())) {
        TCustomForm* F = GetParentForm(this);
        auto* Form = dynamic_cast<TForm*>(F);
        if (Form && Form->KeyPreview())
            TBaseGrid::KeyDown(Key, Shift);
        else
            Key = 0;
        return;
    }

    // 9. Home and End.
    if (Key == VK_HOME || Key == VK_END) {
        if (FCore.FixedRowAlways && RowCount() == 1) {
            TBaseGrid::KeyDown(Key, Shift);
            return;
        }
        const Integer R0 = Row();
        if (Nav.HomeEndKey == heFirstLastRow) {
            if (Key == VK_HOME) {
                SetRowEx(FixedRows());
            } else {
                const Integer Target = FloatingFooter()->Visible() && RowCount() > 2
                                           ? RowCount() - 2
                                           : RowCount() - 1 - FixedFooters();
                SetRowEx(std::max(Target, FixedRows()));
            }
            SelectBaseCell();
            const Integer R1 = Key == VK_HOME ? FixedRows() : Row();
            if (ShiftKey) {
                SetSelection(TGridRect{FixedCols(), R0, ColCount() - 1, R1});
                if (MA.DisjunctRowSelect())
                    SelectToRowSelect(false);
            } else if (MA.DisjunctRowSelect()) {
                ClearRowSelect();
                SelectToRowSelect(false);
            }
            FireKeyDown();
            if (Options().Contains(goRowSelect) && Nav.KeepHorizScroll)
                SetLeftCol(L0);
            Key = 0;
            return;
        }
        if (Options().Contains(goRowSelect)) {
            if (Key == VK_HOME) {
                SetCol(FixedCols());
                SelectBaseCell();
                SetLeftCol(FixedCols());
            } else {
                SetCol(ColCount() - 1);
                SelectBaseCell();
                SetLeftCol(std::max(FixedCols(), ColCount() - VisibleColCount()));
            }
            FireKeyDown();
            Key = 0;
            return;
        }
    }

    // 11. Left and Right in row select scroll the view.
    if (Options().Contains(goRowSelect) && (Key == VK_LEFT || Key == VK_RIGHT) &&
        ColCount() > VisibleColCount()) {
        const bool Scroll = !Nav.LeftRightRowSelect || Ctrl;
        if (Scroll) {
            if (Key == VK_LEFT && LeftCol() > FixedCols())
                SetLeftCol(LeftCol() - 1);
            else if (Key == VK_RIGHT && LeftCol() + VisibleColCount() < ColCount())
                SetLeftCol(LeftCol() + 1);
            if (!Nav.LeftRightRowSelect) {
                FireKeyDown();
                Key = 0;
                return;
            }
        }
    }

    // 12. Tab walks the cells.
    if (Key == VK_TAB && Options().Contains(goTabs)) {
        TabEdit(ShiftKey);
        Key = 0;
        ReportSelectionChange();
        return;
    }

    // 13. Arrows jump over fixed cells inside the data area.
    if (Nav.SkipFixedCells && (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN)) {
        Integer C = Col(), R = Row();
        bool Applies = false;
        Integer Target = -1;
        if (Key == VK_LEFT && C > FixedCols() && IsFixed(C - 1, R)) {
            Applies = true;
            Integer X = C;
            while (X - 1 >= FixedCols() && IsFixed(X - 1, R))
                --X;
            if (X - 1 >= FixedCols())
                Target = X - 1;
            if (Target >= 0)
                SetCol(Target);
        } else if (Key == VK_RIGHT && C < ColCount() - FixedRightCols() && C + 1 < ColCount() &&
                   IsFixed(C + 1, R)) {
            Applies = true;
            Integer X = C;
            while (X + 1 < ColCount() - FixedRightCols() && IsFixed(X + 1, R))
                ++X;
            if (X + 1 < ColCount() - FixedRightCols())
                SetCol(X + 1);
        } else if (Key == VK_UP && R > FixedRows() && IsFixed(C, R - 1)) {
            Applies = true;
            Integer Y = R;
            while (Y - 1 >= FixedRows() && IsFixed(C, Y - 1))
                --Y;
            if (Y - 1 >= FixedRows())
                SetRowEx(Y - 1);
        } else if (Key == VK_DOWN && R < RowCount() - FixedFooters() && R + 1 < RowCount() &&
                   IsFixed(C, R + 1)) {
            Applies = true;
            Integer Y = R;
            while (Y + 1 < RowCount() - FixedFooters() && IsFixed(C, Y + 1))
                ++Y;
            if (Y + 1 < RowCount() - FixedFooters())
                SetRowEx(Y + 1);
        }
        if (Applies) {
            FireKeyDown();
            Key = 0;
        }
    }

    // 14. Down on the last row appends one.
    if (WasDown && Key == VK_DOWN && IsOnLastRow() && Nav.AppendOnArrowDown)
        AppendLastRow();

    // 17. and 18. The platform's navigation.
    if (KeepHoriz)
        BeginUpdate();
    const Word Pressed = Key;
    if (Key != 0) {
        // Insert, Delete and Ctrl+A are the grid's: the platform sees the rest.
        const bool Own = (Pressed == VK_INSERT && Nav.AllowInsertRow && !Ctrl && !ShiftKey && !Alt) ||
                         (Pressed == 'A' && Ctrl) || (Pressed == VK_DELETE && Nav.AllowDeleteRow && !Alt);
        if (Own)
            FireKeyDown();
        else
            TBaseGrid::KeyDown(Key, Shift);
    }
    if (KeepHoriz) {
        SetLeftCol(L0);
        EndUpdate();
    }

    // 20. The row index of disjunct marks.
    auto SR = [&] { return MA.DisjunctRowSelect() && MA.RowSelectPersistent ? RealRowIndex(Row()) : Row(); };

    // 21. The clipboard keys end the handling.
    if (ClipboardShortCut(Pressed, Shift))
        return;

    // 22. Insert a row.
    if (Pressed == VK_INSERT && Nav.AllowInsertRow && !Ctrl && !ShiftKey && !Alt && Key != 0) {
        bool CanInsert = true;
        QueryInsertRow(Row(), CanInsert);
        if (!CanInsert)
            return;
        if (Nav.InsertPosition == pInsertAfter) {
            if (FCore.FixedRowAlways && FixedRows() == RowCount()) {
                DoInsertRow(RealRowIndex(Row()));
                SetRowEx(1);
            } else {
                const Integer Next = Row() + 1;
                DoInsertRow(Next < RowCount() ? RealRowIndex(Next) : TotalRowCount());
                if (Next < RowCount())
                    SetRowEx(Next);
            }
        } else {
            DoInsertRow(RealRowIndex(Row()));
            // The new row takes the current row's index: the cell stays on it.
            SetRowEx(std::max(FixedRows(), Row() - 1));
        }
    }
    // 23. Ctrl+A selects every data cell.
    else if (Pressed == 'A' && Ctrl) {
        if (!Options().Contains(goRowSelect) && !Options().Contains(goRangeSelect))
            return;
        const TGridRect R{FixedCols(), FixedRows(), ColCount() - FixedRightCols() - 1,
                          RowCount() - FixedFooters() - 1};
        if (R.Bottom < R.Top || R.Right < R.Left)
            return;
        auto MarkAll = [&] {
            if (MA.DisjunctRowSelect())
                for (Integer I = FixedRows(); I <= R.Bottom; ++I)
                    SetRowSelect(MA.RowSelectPersistent ? RealRowIndex(I) : I, true);
        };
        MarkAll();
        SetSelection(R);
        // A plain click on the bottom-right cell settles the mouse state (anchor, press flags)
        // as if the person had clicked there; the whole area is selected again afterwards.
        FocusCell(R.Right, R.Bottom);
        const TRect CR = CellRect(R.Right, R.Bottom);
        if (CR.Right > CR.Left && CR.Bottom > CR.Top) {
            MouseDown(mbLeft, TShiftState{}, CR.Left + 2, CR.Top + 2);
            MouseUp(mbLeft, TShiftState{}, CR.Left + 2, CR.Top + 2);
        }
        FocusCell(R.Right, R.Bottom);
        SetSelection(R);
        // The click's plain press cleared the marks: every data row stays marked.
        MarkAll();
        return;
    }
    // The space key changes the current cell's check box, radio button or radio group.
    else if (Pressed == VK_SPACE && !Ctrl && !Alt && !ShiftKey && ToggleCellByInput(Col(), Row(), nullptr)) {
    }
    // 24. Disjunct selection keys.
    else if (IsNavKey(Pressed) || Pressed == VK_SPACE) {
        if (IsNavKey(Pressed) && MA.DisjunctRowSelect()) {
            if (!ShiftKey && !Ctrl)
                ClearRowSelect();
            if (ShiftKey)
                SelectToRowSelect(true);
            else
                SetRowSelect(SR(), true);
        }
        if (IsNavKey(Pressed) && MA.DisjunctColSelect()) {
            if (!ShiftKey && !Ctrl)
                ClearColSelect();
            if (ShiftKey)
                SelectToColSelect(true);
            else
                SetColSelect(Col(), true);
        }
        if (Pressed == VK_SPACE && MA.DisjunctRowSelect())
            SetRowSelect(SR(), !GetRowSelect(SR()));
        if (Pressed == VK_SPACE && MA.DisjunctColSelect())
            SetColSelect(Col(), !GetColSelect(Col()));
    }
    // 25. Delete the current row.
    else if (Pressed == VK_DELETE && Nav.AllowDeleteRow && !Alt && Key != 0) {
        if (RowCount() - FixedFooters() - FixedRows() < 1)
            return;
        bool CanDelete = true;
        if (OnCanDeleteRow)
            OnCanDeleteRow(this, Row(), CanDelete);
        if (!CanDelete)
            return;
        DoDeleteRow(Row());
        if (FloatingFooter()->Visible() && Row() == RowCount() - 1 && RowCount() > 1)
            SetRowEx(RowCount() - 2);
        InitValidate(Col(), Row());
    }
    // 26. Enter and F2 start validation.
    if (EnterF2)
        InitValidate(Col(), Row());
    // 27.
    ReportSelectionChange();
}

void TDidAririzEvar::ReportSelectionChange()
{
    const TGridRect S = Selection();
    const TGridRect& O = FEdit.Input.OldSelection;
    if (!SameRect(S, O))
        SelectionChanged(S.Left, S.Top, S.Right, S.Bottom);
}

// ---- Characters -------------------------------------------------------------------------------------

void TDidAririzEvar::WMChar(TMessage& Message)
{
    WideChar Ch = static_cast<WideChar>(Message.WParam);
    const Integer RC = RealColIndex(Col());
    // 1. Typing never edits a cell that holds form controls.
    const AnsiString Text = GetCellEx(RC, Row());
    if (FCore.EnableHTML && TextType(Text, true) == ttHTML) {
        AnsiString Up = Text;
        for (char& C : Up)
            C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
        if (Up.find("<CONTROL") != AnsiString::npos) {
            Message.Result = 1;
            return;
        }
    }
    TMouseActions& MA = *MouseActions();
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
    // 2. Editing on double click only: a typed character may still start the editor.
    if (MA.EditOnDblClickOnly()) {
        bool May = true;
        GetCellReadOnly(RC, Row(), May);
        if (May && !Options().Contains(goEditing))
            SetOptions(Options() + TGridOptions{goEditing});
    }
    // 3. Ctrl+C, Ctrl+V and Ctrl+X are the key-down's.
    if (Navigation()->AllowClipboardShortCuts && Ctrl && (Ch == 3 || Ch == 22 || Ch == 24)) {
        Message.WParam = 0;
        return;
    }
    // 4. Typing into a range starts editing the current cell.
    if (MA.RangeSelectAndEdit && !HasStaticEdit(RC, Row()) && IsEditable(RC, Row()) && Ch != VK_TAB &&
        Ch != VK_ESCAPE && !Ctrl) {
        if (!Options().Contains(goEditing))
            SetOptions(Options() + TGridOptions{goEditing});
        const Integer VCC = VisibleColCount(), VRC = VisibleRowCount();
        if (Col() > LeftCol() + VCC || Row() > TopRow() + VRC || Col() < LeftCol() || Row() < TopRow())
            ScrollInView(Col(), Row());
        SetSelection(TGridRect{Col(), Row(), Col(), Row()});
    }
    // 5. The keypad's "." (its key data carries the keypad bit) types the locale's separator.
    if (Ch == '.' && (Message.LParam & 0x400000) != 0 && FEdit.Input.ExcelStyleDecimalSeparator)
        Message.WParam = static_cast<WPARAM>(static_cast<unsigned char>(DecimalSeparator));
    // A character that opens an editor control is typed into it once the control shows.
    if (!FEdit.Editing.Active)
        FEdit.Editing.StartChar = static_cast<WideChar>(Message.WParam);
    TBaseGrid::WndProc(Message);
    FEdit.Editing.StartChar = 0;
}
