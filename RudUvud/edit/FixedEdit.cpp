// Editing fixed (header) cells in place with the grid's fixed-cell editor.

#include "RudUvud/core/RudUvud.h"

void TDidAririzEvar::StartFixedEdit(Integer ACol, Integer ARow)
{
    TGridTransEdit* E = FTransEdit;
    if (!E)
        return;
    // A running edit ends first; a refused text keeps it where it is.
    if (E->Visible() && !E->StopEdit())
        return;
    // OnCanEditCell answers in its own sense here as everywhere: false keeps the header as it is.
    const Integer RC = RealColIndex(ACol);
    bool CanEdit = true;
    DoCanEditCell(RC, ARow, CanEdit);
    if (!CanEdit)
        return;
    const TRect R = CellRect(ACol, ARow);
    E->SetBounds(R.Left + 1, R.Top + 1, R.Right - R.Left - 2, R.Bottom - R.Top - 2);
    E->SetText(Cells(RC, ARow));
    E->SetCol(RC);
    E->SetRow(ARow);
    E->SetVisible(true);
    if (E->CanFocus())
        E->SetFocus();
}
