// The smallest correct forms of services that the editing, sizing and exchange parts of the grid
// own and the core calls. Each is replaced by the owning part's full version when it lands (move
// the body there and delete it here).

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/support/DerOdoz.h"

#include <algorithm>

// ---- Editing ------------------------------------------------------------------------------------------

bool TDidAririzEvar::ValidateCell(const AnsiString&)
{
    return true;
}
bool TDidAririzEvar::ValidateCellWide(const WideString&)
{
    return true;
}
void TDidAririzEvar::InitValidate(Integer, Integer) {}

void TDidAririzEvar::HideInplaceEdit()
{
    if (EditorMode())
        HideEditor();
    FCore.InplaceEditing = false;
}

AnsiString TDidAririzEvar::GetCurrentCell()
{
    return GetCellEx(RealColIndex(Col()), Row());
}

bool TDidAririzEvar::IsWideCell(Integer ACol, Integer ARow)
{
    return TextType(GetCellEx(ACol, ARow), false) == ttUnicode;
}

void TDidAririzEvar::EndUpdate()
{
    if (FEdit.UpdateCount > 0 && --FEdit.UpdateCount == 0)
        Invalidate();
}

namespace {

// Where an index ends up when the item at From moves to To and those between shift.
Integer Moved(Integer I, Integer From, Integer To)
{
    if (I == From)
        return To;
    if (From < To && I > From && I <= To)
        return I - 1;
    if (From > To && I >= To && I < From)
        return I + 1;
    return I;
}

template <class V> void MoveItem(V& Items, Integer From, Integer To)
{
    const Integer N = static_cast<Integer>(Items.size());
    if (From == To || From < 0 || To < 0 || From >= N || To >= N)
        return;
    if (From < To)
        std::rotate(Items.begin() + From, Items.begin() + From + 1, Items.begin() + To + 1);
    else
        std::rotate(Items.begin() + To, Items.begin() + From, Items.begin() + From + 1);
}

} // namespace

void TDidAririzEvar::ColumnMoved(Integer FromIndex, Integer ToIndex)
{
    // The cell store, hidden rows and the column tables are kept by real column.
    const Integer RF = RealColIndex(FromIndex), RT = RealColIndex(ToIndex);
    TBaseGrid::ColumnMoved(RF, RT);
    for (TGridItem& E : FCore.HiddenRows) {
        if (static_cast<Integer>(E.Items.size()) <= std::max(RF, RT))
            E.Items.resize(static_cast<size_t>(std::max(RF, RT)) + 1);
        MoveItem(E.Items, RF, RT);
    }
    MoveItem(FCore.ColumnOrder, FromIndex, ToIndex);
    if (FCore.EnhRowColMove) {
        ColAxis().Move(FromIndex, ToIndex);
        if (RF <= 512 && RT <= 512) {
            MoveItem(FCore.VisibleCols, RF, RT);
            MoveItem(FCore.HiddenColWidths, RF, RT);
            FCore.ColMapsStale = true;
        }
        ColWidthsChanged();
    }
    FCurrent.X = Moved(FCurrent.X, FromIndex, ToIndex);
    FAnchor.X = Moved(FAnchor.X, FromIndex, ToIndex);
}

void TDidAririzEvar::RowMoved(Integer FromIndex, Integer ToIndex)
{
    TBaseGrid::RowMoved(FromIndex, ToIndex);
    if (FCore.EnhRowColMove) {
        RowAxis().Move(FromIndex, ToIndex);
        RowHeightsChanged();
    }
}

// ---- Sizing ------------------------------------------------------------------------------------------

void TDidAririzEvar::StretchColumn(Integer) {}
void TDidAririzEvar::OnMouseActionsChanged() {}
void TDidAririzEvar::OnNavigationChanged() {}

// ---- Exchange ---------------------------------------------------------------------------------------

void TDidAririzEvar::RemoveRowsEx(Integer ARow, Integer RCount)
{
    // Removes display rows with their records; hidden rows behind them move up one real index
    // per removed row.
    const Integer RealFirst = RealRowIndex(ARow);
    IRemoveRows(ARow, RCount);
    for (TGridItem& E : FCore.HiddenRows)
        if (E.Idx > RealFirst)
            E.Idx -= RCount;
}

void TDidAririzEvar::ClearRect(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2)
{
    ClearPropRect(ACol1, ARow1, ACol2, ARow2);
    for (Integer C = ACol1; C <= ACol2; ++C)
        for (Integer R = ARow1; R <= ARow2; ++R)
            if (!Cells(C, R).empty())
                SetCells(C, R, "");
}
