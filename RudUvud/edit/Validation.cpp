// Cell validation: once per edit, the edited value goes through the cell checker, OnCellValidate
// (OnCellValidateWide for wide text), undo registration, the modified marks and the change
// notifications; a refused value reopens the editor on the same cell with a balloon.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/support/daecheck.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/StdControls.h"

namespace {

std::u16string Wide(const AnsiString& S)
{
    return UTF8Decode(S);
}

} // namespace

void TDidAririzEvar::InitValidate(Integer ACol, Integer ARow)
{
    TGridValidationState& V = FEdit.Validation;
    V.Cell = TGridCoord{ACol, ARow};
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) {
        V.OldText.clear();
        V.OldWideText.clear();
    } else {
        const Integer RC = RealColIndex(ACol);
        V.OldText = GetGridCell(RC, ARow);
        V.OldWideText = GetWideCells(RC, ARow);
    }
    V.NotedBoolean = V.SecondBoolean;
}

void TDidAririzEvar::UpdateCell(Integer ACol, Integer)
{
    CalcFooter(ACol);
}

void TDidAririzEvar::Click()
{
    TBaseGrid::Click();
    FEdit.Editing.EditStarted = false;
    InitValidate(Col(), Row());
}

bool TDidAririzEvar::ValidateCell(const AnsiString& NewValue)
{
    TGridValidationState& V = FEdit.Validation;
    TGridEditingState& E = FEdit.Editing;
    if (!V.Pending || V.Running)
        return true;
    V.Pending = false;
    V.Running = true;
    bool Valid = true;
    // Whatever happens, also when an event throws, the next validation is armed.
    TScopeExit Rearm([this, &V] {
        InitValidate(Col(), Row());
        V.Running = false;
    });
    const Integer EC = RealColIndex(V.Cell.X), ER = V.Cell.Y;
    if (EC < 0 || ER < 0 || ER >= RowCount())
        return true;
    V.ValidatedText = NewValue;
    if (V.OldText == NewValue && !V.AlwaysValidate)
        return true;
    const bool Changed = V.OldText != NewValue;
    const bool AdvanceOnEnter = FNavigation->AdvanceOnEnter;
    FNavigation->AdvanceOnEnter = false;
    TScopeExit Restored([this, AdvanceOnEnter] { FNavigation->AdvanceOnEnter = AdvanceOnEnter; });
    AnsiString Value = NewValue;
    TDidAririzEvarCheck* Checker = FCellChecker;
    if (Checker && Checker->AutoCorrect())
        Value = Checker->Correct(EC, ER, Value);
    if (OnCellValidate)
        OnCellValidate(this, EC, ER, Value, Valid);
    // Only an accepted change marks the grid and the row as modified.
    if (Valid && Value != V.OldText) {
        V.Modified = true;
        if (FixedCols() > 0) {
            SetRowModified(Row(), true);
            RepaintCell(0, Row());
        }
    }
    if (Valid)
        UpdateCell(EC, ER);
    if (Checker && Checker->AutoMarkError())
        Value = Checker->MarkError(EC, ER, Value);
    if (Valid && UndoRedo())
        UndoRedo()->RegisterChange(EC, ER, V.OldText, Value);
    // The value is in the cell before anyone is told it changed.
    if (Valid) {
        SetCells(EC, ER, Value);
        const TPoint B = BaseCell(EC, ER);
        if (B.X != EC || B.Y != ER)
            SetCells(B.X, B.Y, Value);
    }
    if (Valid && Changed)
        CellsChanged(TRect{EC, ER, EC, ER});
    FNavigation->AdvanceOnEnter = AdvanceOnEnter;
    V.ValidatedText = Value;
    if (!Valid) {
        E.Accepted = false;
        const bool Corrected = Value != NewValue;
        if (Corrected) {
            HideEditor();
            SetCells(EC, ER, Value);
        } else {
            HideEditor();
            SetCells(EC, ER, V.OldText);
        }
        // Back to the edited cell when a key moved the cursor away (an open control stays).
        if (Col() != V.Cell.X || Row() != ER)
            MoveColRow(V.Cell.X, ER, true, true);
        V.Running = false;
        V.Pending = true;
        ShowInplaceEdit();
        if (!Corrected && V.Cell.X != Col())
            InvalidateEditor();
        V.SecondBoolean = V.NotedBoolean;
        if (!V.InvalidEntryText.empty() || !V.InvalidEntryTitle.empty())
            ShowRefusalBalloon();
    }
    V.OldText = GetGridCell(EC, ER);
    return Valid;
}

void TDidAririzEvar::ShowRefusalBalloon()
{
    const TGridValidationState& V = FEdit.Validation;
    const TGridEditingState& E = FEdit.Editing;
    HWND Target = nullptr;
    if (!E.ControlShown && EditorMode() && InplaceEditor() && InplaceEditor()->HandleAllocated())
        Target = InplaceEditor()->Handle();
    else if (E.Shown && E.Shown->HandleAllocated()) {
        Target = E.Shown->Handle();
        // A combo that can be typed into shows the balloon at its edit part.
        if (auto* Cb = dynamic_cast<TCustomComboBox*>(E.Shown); Cb && Cb->Style() != csDropDownList) {
            COMBOBOXINFO Info;
            if (SendMessage(Target, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&Info)) && Info.hwndItem)
                Target = Info.hwndItem;
        }
    }
    if (!Target)
        return;
    const std::u16string Title = Wide(V.InvalidEntryTitle), Text = Wide(V.InvalidEntryText);
    EDITBALLOONTIP Tip;
    Tip.pszTitle = Title.c_str();
    Tip.pszText = Text.c_str();
    Tip.ttiIcon = static_cast<int>(FCore.InvalidEntryIcon);
    SendMessage(Target, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&Tip));
}

bool TDidAririzEvar::ValidateCellWide(const WideString& NewValue)
{
    TGridValidationState& V = FEdit.Validation;
    if (!V.Pending || V.Running)
        return true;
    V.Pending = false;
    V.Running = true;
    bool Valid = true;
    TScopeExit Rearm([this, &V] {
        InitValidate(Col(), Row());
        V.Running = false;
    });
    const Integer EC = RealColIndex(V.Cell.X), ER = V.Cell.Y;
    if (EC < 0 || ER < 0 || ER >= RowCount())
        return true;
    if (V.OldWideText == NewValue && !V.AlwaysValidate)
        return true;
    const bool Changed = V.OldWideText != NewValue;
    UpdateCell(EC, ER);
    WideString Value = NewValue;
    if (OnCellValidateWide)
        OnCellValidateWide(this, EC, ER, Value, Valid);
    if (Valid) {
        SetWideCells(EC, ER, Value);
    } else {
        HideEditor();
        SetWideCells(EC, ER, Value != NewValue ? Value : V.OldWideText);
        // Back to the edited cell when a key moved the cursor away (an open control stays).
        if (Col() != V.Cell.X || Row() != ER)
            MoveColRow(V.Cell.X, ER, true, true);
        V.Running = false;
        V.Pending = true;
        ShowInplaceEdit();
        if (Value == NewValue && V.Cell.X != Col())
            InvalidateEditor();
        V.SecondBoolean = V.NotedBoolean;
    }
    // Only an accepted change marks the grid and the row as modified.
    if (Valid && Changed) {
        V.Modified = true;
        if (FixedCols() > 0) {
            SetRowModified(ER, true);
            RepaintCell(0, ER);
        }
        CellsChanged(TRect{EC, ER, EC, ER});
    }
    V.OldWideText = GetWideCells(EC, ER);
    return Valid;
}
