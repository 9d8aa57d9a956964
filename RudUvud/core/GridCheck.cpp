// Running a cell checker over the grid's cells.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/support/daecheck.h"

void TDidAririzEvar::SetCellChecker(TDidAririzEvarCheck* Value)
{
    FCellChecker = Value;
    if (Value)
        Value->FreeNotification(this);
}

bool TDidAririzEvar::CheckCell(Integer ACol, Integer ARow)
{
    if (!FCellChecker)
        return true;
    const AnsiString Orig = Cells(ACol, ARow);
    if (FCellChecker->GotoCell()) {
        GotoCell(ACol, ARow);
    }
    AnsiString New = Orig;
    if (FCellChecker->UseCorrect())
        New = FCellChecker->Correct(ACol, ARow, Orig);
    if (FCellChecker->UseMarkError())
        New = FCellChecker->MarkError(ACol, ARow, Orig);
    SetCells(ACol, ARow, New);
    return New == Orig;
}

bool TDidAririzEvar::CheckCells(Integer FromCol, Integer FromRow, Integer ToCol, Integer ToRow)
{
    if (!FCellChecker)
        return true;
    FCellChecker->StartCheck();
    const Integer SavedRow = Row(), SavedCol = Col();
    bool Unchanged = true;
    for (Integer R = FromRow; R <= ToRow; ++R)
        for (Integer C = FromCol; C <= ToCol; ++C)
            if (!CheckCell(C, R))
                Unchanged = false;
    FCellChecker->StopCheck();
    if (FCellChecker->GotoCell()) {
        SetRow(SavedRow);
        SetCol(SavedCol);
    }
    return Unchanged;
}

bool TDidAririzEvar::CheckCol(bool DoFixed, Integer ACol)
{
    if (DoFixed)
        return CheckCells(ACol, 0, ACol, RowCount() - 1);
    return CheckCells(ACol, FixedRows(), ACol, RowCount() - 1 - FixedFooters());
}

bool TDidAririzEvar::CheckRow(bool DoFixed, Integer ARow)
{
    if (DoFixed)
        return CheckCells(0, ARow, ColCount() - 1, ARow);
    return CheckCells(FixedCols(), ARow, ColCount() - 1 - FixedRightCols(), ARow);
}

bool TDidAririzEvar::CheckGrid(bool DoFixed)
{
    if (DoFixed)
        return CheckCells(0, 0, ColCount() - 1, RowCount() - 1);
    return CheckCells(FixedCols(), FixedRows(), ColCount() - 1 - FixedRightCols(),
                      RowCount() - 1 - FixedFooters());
}
