// Advancing after an edit: the walk to the next editable cell in the navigation direction, with
// wrapping and appending a row or a column at the end, and the grid's key press that starts it
// for Enter.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/SortSettings.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"

#include <algorithm>

namespace {

// What a step of the walk did.
enum class TStep { Moved, Appended, Stop };

} // namespace

void TDidAririzEvar::AdvanceEdit(Integer ACol, Integer ARow, bool Force, bool AutoEdit, bool Forward,
                                 bool Recursing, bool ShowEditorAfter)
{
    TGridEditingState& E = FEdit.Editing;
    TNavigation& Nav = *FNavigation;
    if (!Nav.AdvanceOnEnter && !Force)
        return;
    if (FMouseActions->RangeSelectAndEdit && !Options().Contains(goEditing))
        SetOptions(Options() + TGridOptions{goEditing});
    if (!Recursing)
        E.AdvanceStart = TGridCoord{ACol, ARow};
    E.StartChar = 0;
    const Integer FirstCol = FixedColsVis();
    const Integer LastRow = [this] { return RowCount() - FixedFooters() - 1; }();

    // One step from (NC, NR) in the navigation direction.
    auto Step = [&](Integer& NC, Integer& NR) {
        const TPoint S = CellSpan(RealColIndex(NC), NR);
        const Integer SX = std::max<Integer>(0, S.X);
        const bool LeftRight = Nav.AdvanceDirection() == adLeftRight;
        if (Forward && LeftRight) {
            if (NC + SX < ColCount() - NumFixedRightVis() - 1) {
                NC += SX + 1;
            } else if (NR + 1 != RowCount() - FixedFooters()) {
                ++NR;
                NC = FirstCol;
            } else if (Nav.AdvanceInsert()) {
                bool Allow = true;
                QueryAddRow(Allow);
                NC = FirstCol;
                if (!Allow)
                    return TStep::Stop;
                AddRow();
                ++NR;
                const Integer NewRow = RowCount() - FixedFooters() - 1;
                if (OnAutoAddRow)
                    OnAutoAddRow(this, NewRow);
                // A row without an editable cell is taken back: else every Enter would add one.
                bool Any = false;
                for (Integer C = FixedCols(); C < ColCount() && !Any; ++C)
                    Any = IsEditable(RealColIndex(C), NewRow);
                if (!Any) {
                    RemoveRows(NewRow, 1);
                    return TStep::Stop;
                }
                return TStep::Appended;
            } else {
                NR = FixedRows();
                NC = FirstCol;
            }
        } else if (Forward) {
            if (NR + 1 == RowCount() - FixedFooters()) {
                if (ColCount() != FixedRightCols() + NC + 1) {
                    NR = FixedRows();
                    if (++NC >= ColCount())
                        NC = FirstCol;
                } else if (Nav.AdvanceInsert()) {
                    SetColCount(ColCount() + 1);
                    NC += SX + 1;
                    NR = FixedRows();
                    if (OnAutoInsertCol)
                        OnAutoInsertCol(this, ColCount() - FixedRightCols() - 1);
                    Invalidate();
                    return TStep::Appended;
                } else {
                    NR = FixedRows();
                    NC = FirstCol;
                }
                Invalidate();
            } else {
                ++NR;
            }
        } else if (LeftRight) {
            if (NC > FirstCol) {
                --NC;
            } else {
                NR = NR > FixedRows() ? NR - 1 : LastRow;
                NC = ColCount() - FixedRightCols() - 1;
            }
        } else {
            if (NR > FixedRows()) {
                --NR;
            } else {
                NC = NC > FirstCol ? NC - 1 : ColCount() - FixedRightCols() - 1;
                NR = LastRow;
            }
        }
        return TStep::Moved;
    };

    // The walk skips cells that may not be edited; it ends when it comes back to where it began
    // or has passed every cell, with the cursor left where it was.
    Integer NC = ACol, NR = ARow;
    bool Found = false;
    const Int64 Limit = static_cast<Int64>(ColCount()) * RowCount() + 2;
    for (Int64 I = 0; I < Limit; ++I) {
        const TStep R = Step(NC, NR);
        if (R == TStep::Stop)
            return;
        bool Editable = true;
        GetCellReadOnly(RealColIndex(NC), NR, Editable);
        if (Editable) {
            Found = true;
            break;
        }
        if (R == TStep::Moved && NC == ACol && NR == ARow)
            break;
    }
    if (!Found)
        return;

    bool Allow = true;
    if (OnAutoAdvance)
        OnAutoAdvance(this, E.AdvanceStart.Y, E.AdvanceStart.X, NR, NC, Allow);
    if (Allow && OnCellChanging)
        OnCellChanging(this, E.AdvanceStart.Y, E.AdvanceStart.X, NR, NC, Allow);
    {
        E.Advancing = true;
        TScopeExit Done([&E] { E.Advancing = false; });
        if (Allow && NC >= 0 && NC < ColCount() && NR >= 0 && NR < RowCount()) {
            SetCol(NC);
            SetRow(NR);
        } else {
            SelectCell(ACol, ARow);
        }
    }
    if (ShowEditorAfter) {
        const Integer RC = RealColIndex(Col());
        if ((AutoEdit && Nav.AdvanceAutoEdit) || HasStaticEdit(RC, Row())) {
            if (!IsEditable(RC, Row()))
                return;
            ShowInplaceEdit();
        }
    }
    if (FMouseActions->DisjunctRowSelect()) {
        ClearRowSelect();
        SetRowSelect(Row(), true);
    }
}

void TDidAririzEvar::KeyPress(WideChar& Key)
{
    auto Fire = [&] {
        if (OnKeyPress)
            OnKeyPress(this, Key);
    };
    if (Key == 27) {
        if (Options().Contains(goEditing) && FEdit.Validation.Pending)
            RestoreCache();
        Fire();
        return;
    }
    const Integer RC = RealColIndex(Col());
    if (Key == 13 && !FNavigation->AdvanceOnEnter && !IsEditable(RC, Row())) {
        Fire();
        Key = 0;
        return;
    }
    const bool GridFocused = HandleAllocated() && ::GetFocus() == Handle();
    if (Key == 13 && (!GridFocused || HasStaticEdit(RC, Row()))) {
        AdvanceEdit(Col(), Row(), false, false, true, false, FEdit.Editing.Active);
        if (!FNavigation->AdvanceAutoEdit) {
            Fire();
            Key = 0;
            return;
        }
        if (HasStaticEdit(RealColIndex(Col()), Row())) {
            Fire();
            if (FNavigation->AdvanceOnEnter)
                ShowInplaceEdit();
            return;
        }
    }
    if (!Options().Contains(goEditing) && FNavigation->AutoGotoWhenSorted)
        TypeAhead(Key);
    TBaseGrid::KeyPress(Key);
}

void TDidAririzEvar::TypeAhead(WideChar Key)
{
    AnsiString& Buffer = FPaint.LookupBuffer;
    WideChar& High = FEdit.Input.LookupHighSurrogate;
    if (Key >= 0xD800 && Key <= 0xDBFF) {
        High = Key; // the character is complete with its second half
        return;
    }
    AnsiString Typed;
    if (Key >= 0xDC00 && Key <= 0xDFFF) {
        if (High == 0)
            return;
        Typed = UTF8Encode(WideString{High, Key});
    } else if (Key != 8) {
        Typed = UTF8Encode(WideString(1, Key));
    }
    High = 0;
    if (FNavigation->AutoGotoIncremental) {
        if (Key == 8) {
            // Backspace takes the last character (all its bytes) off the lookup text.
            while (!Buffer.empty() && (static_cast<unsigned char>(Buffer.back()) & 0xC0) == 0x80)
                Buffer.pop_back();
            if (!Buffer.empty())
                Buffer.pop_back();
        } else {
            Buffer += Typed;
        }
        FPaint.LookupTicks = 0;
    } else {
        Buffer = Typed;
    }
    const Integer Found = Buffer.empty() ? -1 : Search(AnsiUpperCase(Buffer));
    if (Found < 0)
        Buffer.clear();
    else
        SetRow(Found);
}

Integer TDidAririzEvar::Search(const AnsiString& S)
{
    if (RowCount() < 2)
        return -1;
    Integer Column = FixedCols();
    if (FSortSettings->Show) {
        if (!FSortSettings->IndexShow)
            Column = FSortSettings->Column;
        else if (FSortSettings->SortIndexes.Count() > 0)
            Column = FSortSettings->SortIndexes.GetSortColumns(0);
    }
    if (Column < 0 || Column >= TotalColCount())
        return -1;
    for (Integer R = FixedRows(); R < RowCount(); ++R) {
        const AnsiString T = AnsiUpperCase(GetStrippedCell(Column, R));
        if (T.compare(0, S.size(), S) == 0)
            return R;
    }
    return -1;
}

Integer TDidAririzEvar::FixedColsVis()
{
    return FixedCols() == 0 && HasNodes() ? 1 : FixedCols();
}

Integer TDidAririzEvar::NumFixedRightVis() const
{
    if (NumHiddenColumns() == 0)
        return FixedRightCols();
    Integer N = 0;
    const Integer Last = ColCount() + NumHiddenColumns() - 1;
    for (Integer I = 0; I < FixedRightCols(); ++I)
        if (Last - I >= 0 && !IsHiddenColumn(Last - I))
            ++N;
    return N;
}
