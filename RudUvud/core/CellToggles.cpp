// Cells changed by a click instead of an editor: check boxes (state in the graphic, in the cell
// text or in the row selection), radio buttons grouped per column, and radio groups.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"

namespace {

bool IsCheckKind(TCellType T)
{
    return T == ctCheckBox || T == ctDataCheckBox || T == ctVirtCheckBox || T == ctRowCheckBox;
}

bool IsTextCheckKind(TCellType T)
{
    return T == ctDataCheckBox || T == ctVirtCheckBox;
}

} // namespace

TCellVAlign TDidAririzEvar::ControlVAlign() const
{
    switch (VAlignment()) {
    case vtaCenter:
        return vaCenter;
    case vtaBottom:
        return vaBottom;
    default:
        return vaTop;
    }
}

TCellGraphic* TDidAririzEvar::CheckGraphicAt(Integer ACol, Integer ARow, bool RealRow)
{
    if (NumHiddenRows() == 0)
        return GetCellGraphic(ACol, ARow);
    const Integer R = RealRow ? ARow : RealRowIndex(ARow);
    if (auto* CP = dynamic_cast<TCellProperties*>(GetAllGraphicsObject(ACol, R)))
        return dynamic_cast<TCellGraphic*>(CP->GraphicObject());
    return GetCellGraphic(ACol, R);
}

bool TDidAririzEvar::ClickMayToggle(Integer ACol, Integer ARow, bool FromClick, bool AlwaysActive)
{
    if (!FromClick || AlwaysActive)
        return true;
    bool Editable = true;
    GetCellReadOnly(ACol, ARow, Editable);
    return Editable;
}

// ---- Check boxes ----------------------------------------------------------------------------------

void TDidAririzEvar::AddCheckBox(Integer ACol, Integer ARow, bool State, bool Data)
{
    if (ACol >= ColCount() + NumHiddenColumns() || ARow >= RowCount() + NumHiddenRows())
        throw Exception("Invalid cell");
    TCellGraphic* G = CreateCellGraphic(ACol, ARow);
    G->SetCheckBox(State, Data, true, haBeforeText, ControlVAlign());
    if (Data) {
        const AnsiString S = GetCellEx(ACol, ARow);
        if (S != FCore.FCheckTrue && S != FCore.FCheckFalse)
            SetCellEx(ACol, ARow, State ? FCore.FCheckTrue : FCore.FCheckFalse);
    }
}

void TDidAririzEvar::RemoveCheckBox(Integer ACol, Integer ARow)
{
    const TCellType T = GetCellType(ACol, ARow);
    if (T != ctCheckBox && T != ctDataCheckBox)
        return;
    FreeCellGraphic(ACol, ARow);
    RepaintCell(RemapColInv(ACol), ARow);
}

void TDidAririzEvar::AddCheckBoxColumn(Integer ACol, bool State, bool Data)
{
    for (Integer R = FMouseActions->CheckAllCheck ? 0 : FixedRows(); R < RowCount(); ++R)
        AddCheckBox(ACol, R, State, Data);
}

void TDidAririzEvar::RemoveCheckBoxColumn(Integer ACol)
{
    for (Integer R = FMouseActions->CheckAllCheck ? 0 : FixedRows(); R < RowCount(); ++R)
        if (HasCheckBox(ACol, R))
            RemoveCheckBox(ACol, R);
}

bool TDidAririzEvar::HasCheckBox(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    return IsCheckKind(GetCellType(B.X, B.Y));
}

bool TDidAririzEvar::HasDataCheckBox(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    const TCellType T = GetCellType(B.X, B.Y);
    return IsTextCheckKind(T) || T == ctRowCheckBox;
}

bool TDidAririzEvar::GetCheckBoxState(Integer ACol, Integer ARow, bool& State)
{
    if (NumHiddenRows() > 0) {
        if (auto* CP = dynamic_cast<TCellProperties*>(GetAllGraphicsObject(ACol, ARow))) {
            auto* G = dynamic_cast<TCellGraphic*>(CP->GraphicObject());
            if (!G)
                return false;
            if (G->CellType == ctCheckBox) {
                State = G->CellBoolean;
                return true;
            }
            if (IsTextCheckKind(G->CellType)) {
                State = GetCellsEx(ACol, ARow) == GetCheckTrue(ACol, ARow);
                return true;
            }
            if (G->CellType == ctRowCheckBox && ACol == 0) {
                State = GetRowSelect(ARow);
                return true;
            }
            return false;
        }
        TCellGraphic* G = GetCellGraphic(ACol, ARow);
        if (!G)
            return false;
        if (G->CellType == ctRowCheckBox && ACol == 0) {
            State = G->CellBoolean;
            return true;
        }
        if (IsTextCheckKind(G->CellType)) {
            State = GetCellEx(ACol, ARow) == GetCheckTrue(ACol, ARow);
            return true;
        }
        return false;
    }
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G)
        return false;
    if (G->CellType == ctCheckBox) {
        State = G->CellBoolean;
        return true;
    }
    if (IsTextCheckKind(G->CellType)) {
        State = GetCellEx(ACol, ARow) == GetCheckTrue(ACol, ARow);
        return true;
    }
    if (G->CellType == ctRowCheckBox && ACol == 0) {
        State = GetRowSelect(ARow);
        return true;
    }
    return false;
}

bool TDidAririzEvar::IsChecked(Integer ACol, Integer ARow)
{
    bool State = false;
    GetCheckBoxState(ACol, ARow, State);
    return State;
}

bool TDidAririzEvar::SetCheckBoxState(Integer ACol, Integer ARow, bool State)
{
    TCellGraphic* G = CheckGraphicAt(ACol, ARow, true);
    if (!G)
        return false;
    if (G->CellType == ctCheckBox) {
        G->CellBoolean = State;
        RepaintCell(ACol, DisplRowIndex(ARow));
        return true;
    }
    if (IsTextCheckKind(G->CellType)) {
        SetCellsEx(ACol, ARow, State ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow));
        return true;
    }
    if (G->CellType == ctRowCheckBox && ACol == 0) {
        SetRowSelect(ARow, State);
        return true;
    }
    return false;
}

bool TDidAririzEvar::SetCheckBoxStateInt(Integer ACol, Integer ARow, bool State)
{
    TCellGraphic* G = CheckGraphicAt(ACol, ARow, false);
    if (!G)
        return false;
    if (G->CellType == ctCheckBox) {
        if (G->CellBoolean != State) {
            G->CellBoolean = State;
            DoCheckBoxChange(ACol, ARow, State);
            RepaintCell(RemapColInv(ACol), ARow);
        }
        return true;
    }
    if (IsTextCheckKind(G->CellType)) {
        const bool Was = GetCheckTrue(ACol, ARow) == GetCellEx(ACol, ARow);
        SetCellEx(ACol, ARow, State ? GetCheckTrue(ACol, ARow) : GetCheckFalse(ACol, ARow));
        if (Was != State)
            DoCheckBoxChange(ACol, ARow, State);
        return true;
    }
    if (G->CellType == ctRowCheckBox && ACol == 0) {
        if (GetRowSelect(ARow) != State) {
            SetRowSelect(ARow, State);
            DoCheckBoxChange(ACol, ARow, State);
        }
        return true;
    }
    return false;
}

bool TDidAririzEvar::ToggleCheck(Integer ACol, Integer ARow, bool FromClick)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G || !IsCheckKind(G->CellType))
        return false;
    if (!ClickMayToggle(ACol, ARow, FromClick, FControlLook->CheckAlwaysActive))
        return false;
    bool New;
    if (G->CellType == ctCheckBox) {
        G->CellBoolean = !G->CellBoolean;
        New = G->CellBoolean;
    } else if (GetCellEx(ACol, ARow) == GetCheckTrue(ACol, ARow)) {
        SetCellEx(ACol, ARow, GetCheckFalse(ACol, ARow));
        New = false;
    } else {
        SetCellEx(ACol, ARow, GetCheckTrue(ACol, ARow));
        New = true;
    }
    RepaintCell(RemapColInv(ACol), ARow);
    DoCheckBoxChange(ACol, ARow, New);
    if (TRudUvudUndoRedo* U = UndoRedo()) {
        if (New)
            U->RegisterChange(ACol, ARow, GetCheckFalse(ACol, ARow), GetCheckTrue(ACol, ARow));
        else
            U->RegisterChange(ACol, ARow, GetCheckTrue(ACol, ARow), GetCheckFalse(ACol, ARow));
    }
    return true;
}

bool TDidAririzEvar::ToggleCheckBox(Integer ACol, Integer ARow)
{
    return ToggleCheck(ACol, ARow, false);
}

void TDidAririzEvar::CheckAll(Integer ACol)
{
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        SetCheckBoxStateInt(ACol, R, true);
    if (NumHiddenColumns() > 0)
        RepaintCol(DisplColIndex(ACol));
}

void TDidAririzEvar::UnCheckAll(Integer ACol)
{
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        SetCheckBoxStateInt(ACol, R, false);
}

bool TDidAririzEvar::IsInCheckBox(Integer ACol, Integer ARow, Integer X, Integer Y)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G || (!IsCheckKind(G->CellType) && G->CellType != ctRadioButton))
        return false;
    if (!FMouseActions->PreciseCheckBoxCheck)
        return true;
    const Integer S = FControlLook->CheckSize;
    const TRect R = CellRect(DisplColIndex(ACol), ARow);
    Integer Top;
    switch (G->CellVAlign) {
    case vaBottom:
        Top = R.Bottom - 2 - S;
        break;
    case vaCenter:
        Top = R.Top + (R.Bottom - R.Top - S) / 2;
        break;
    default:
        Top = R.Top + 2;
        break;
    }
    TAlignment HAlign = taLeftJustify;
    TVAlignment VAlign = vtaTop;
    GetCellAlignment(ACol, ARow, HAlign, VAlign);
    Integer Left;
    switch (HAlign) {
    case taRightJustify:
        Left = R.Right - 2 - S;
        if (!GetCellEx(ACol, ARow).empty())
            Left -= GetCellTextSize(ACol, ARow, false, false).X;
        break;
    case taCenter:
        Left = R.Left + (R.Right - R.Left - S) / 2;
        break;
    default:
        Left = R.Left + 2;
        break;
    }
    return X >= Left && X < Left + S && Y >= Top && Y < Top + S;
}

void TDidAririzEvar::DoCheckBoxChange(Integer ACol, Integer ARow, bool State)
{
    if (OnCheckBoxChange)
        OnCheckBoxChange(this, ACol, ARow, State);
}

void TDidAririzEvar::RemoveCheckedRows(Integer ACol, bool State)
{
    BeginUpdate();
    for (Integer R = RowCount() - 1; R >= FixedRows(); --R)
        if (IsChecked(ACol, R) == State)
            RemoveRows(R, 1);
    EndUpdate();
}

// ---- Radio buttons --------------------------------------------------------------------------------

void TDidAririzEvar::AddRadioButton(Integer ACol, Integer ARow, bool State)
{
    if (ACol >= ColCount() + NumHiddenColumns() || ARow >= RowCount() + NumHiddenRows())
        throw Exception("Invalid cell");
    CreateCellGraphic(ACol, ARow)->SetRadioButton(State, true, haBeforeText, ControlVAlign());
}

void TDidAririzEvar::RemoveRadioButton(Integer ACol, Integer ARow)
{
    if (GetCellType(ACol, ARow) != ctRadioButton)
        return;
    FreeCellGraphic(ACol, ARow);
    RepaintCell(RemapColInv(ACol), ARow);
}

void TDidAririzEvar::AddRadioButtonColumn(Integer ACol)
{
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        AddRadioButton(ACol, R, false);
}

void TDidAririzEvar::RemoveRadioButtonColumn(Integer ACol)
{
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        if (HasRadioButton(ACol, R))
            RemoveRadioButton(ACol, R);
}

bool TDidAririzEvar::HasRadioButton(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    return GetCellType(B.X, B.Y) == ctRadioButton;
}

bool TDidAririzEvar::IsRadioButtonChecked(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    TCellGraphic* G = GetCellGraphic(B.X, B.Y);
    return G && G->CellType == ctRadioButton && G->CellBoolean;
}

bool TDidAririzEvar::SetRadioButtonState(Integer ACol, Integer ARow, bool State)
{
    const TPoint B = BaseCell(ACol, ARow);
    TCellGraphic* G = GetCellGraphic(B.X, B.Y);
    if (!G || G->CellType != ctRadioButton)
        return false;
    if (G->CellBoolean != State) {
        G->CellBoolean = State;
        RepaintCell(RemapColInv(ACol), ARow);
    }
    return true;
}

void TDidAririzEvar::SetRadioButtonColumnIndex(Integer ACol, Integer ARow)
{
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        SetRadioButtonState(ACol, R, R == ARow);
}

Integer TDidAririzEvar::GetRadioButtonColumnIndex(Integer ACol)
{
    for (Integer R = FixedRows(); R < RowCount(); ++R)
        if (IsRadioButtonChecked(ACol, R))
            return R;
    return -1;
}

bool TDidAririzEvar::ToggleRadioButton(Integer ACol, Integer ARow, bool FromClick)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G || G->CellType != ctRadioButton)
        return false;
    if (!ClickMayToggle(ACol, ARow, FromClick, FControlLook->CheckAlwaysActive))
        return false;
    if (G->CellBoolean)
        return true;
    G->CellBoolean = true;
    RepaintCell(RemapColInv(ACol), ARow);
    for (Integer R = 0; R < RowCount(); ++R) {
        if (R == ARow)
            continue;
        TCellGraphic* O = GetCellGraphic(ACol, R);
        if (O && O->CellType == ctRadioButton && O->CellBoolean) {
            O->CellBoolean = false;
            RepaintCell(RemapColInv(ACol), R);
        }
    }
    return true;
}

bool TDidAririzEvar::ToggleRadio(Integer ACol, Integer ARow, bool FromClick)
{
    TCellGraphic* G = GetCellGraphic(ACol, ARow);
    if (!G || G->CellType != ctRadio)
        return false;
    if (!ClickMayToggle(ACol, ARow, FromClick, FControlLook->RadioAlwaysActive))
        return false;
    TStrings* Items = GetRadioStrings(ACol, ARow);
    // A group without items has nothing to move to.
    if (!Items || Items->Count() == 0)
        return false;
    Integer Next = G->CellIndex >= 0 ? G->CellIndex + 1 : Items->IndexOf(GetCellEx(ACol, ARow)) + 1;
    if (Next >= Items->Count())
        Next = 0;
    if (G->CellIndex >= 0)
        G->CellIndex = Next;
    SetCellEx(ACol, ARow, Items->Strings(Next));
    return false;
}

bool TDidAririzEvar::HasDataCell(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    switch (GetCellType(B.X, B.Y)) {
    case ctDataCheckBox:
    case ctDataImage:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        return true;
    default:
        return false;
    }
}

// ---- Click and key --------------------------------------------------------------------------------

bool TDidAririzEvar::ToggleCellByInput(Integer ACol, Integer ARow, const TPoint* At)
{
    const Integer RC = RealColIndex(ACol);
    const TCellType T = GetCellType(RC, ARow);
    // The row check box of column 0 follows the row marks, which the selection handling keeps.
    if (T == ctRowCheckBox)
        return false;
    if (IsCheckKind(T)) {
        if (At && !IsInCheckBox(RC, ARow, At->X, At->Y))
            return false;
        if (ToggleCheck(RC, ARow, true) && OnCheckBoxClick)
            OnCheckBoxClick(this, RC, ARow, IsChecked(RC, NumHiddenRows() > 0 ? RealRowIndex(ARow) : ARow));
        return true;
    }
    if (T == ctRadioButton) {
        if (At && !IsInCheckBox(RC, ARow, At->X, At->Y))
            return false;
        if (ToggleRadioButton(RC, ARow, true) && OnRadioButtonClick)
            OnRadioButtonClick(this, RC, ARow);
        return true;
    }
    if (T == ctRadio) {
        ToggleRadio(RC, ARow, true);
        Integer Idx = -1;
        GetRadioIdx(RC, ARow, Idx);
        if (OnRadioClick)
            OnRadioClick(this, RC, ARow, Idx);
        return true;
    }
    return false;
}
