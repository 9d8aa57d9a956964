// Column sizing and stretching: one column stretched to the client width, all columns or rows
// sized in proportion with the one the mouse sizes, the end-of-sizing events and the width hook,
// the sizing zone, the grid's answers to whether a cell is fixed, editable or a password cell,
// and the item list of the grid's combo editor.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/core/GridSizingState.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <cstdlib>

namespace {

// Nearest integer, ties to even.
Integer RoundSizeEven(double V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

} // namespace

// ---- Stretching ------------------------------------------------------------------------------------

void TDidAririzEvar::StretchColumn(Integer ACol)
{
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying) ||
        (Application && Application->Terminated()))
        return;
    // Any negative index (the published StretchColumn may hold one) means the last column.
    if (ACol < 0)
        ACol = ColCount() - 1;
    if (ACol >= ColCount())
        throw Exception("Stretch column index out of range");
    if (ColCount() == 0 || !FColumnSize->Stretch() || FSizing.Stretching)
        return;
    struct Guard {
        bool& Flag;
        ~Guard() { Flag = false; }
    } Running{FSizing.Stretching};
    FSizing.Stretching = true;
    if (ColCount() == 1) {
        SetColWidths(0, ClientRect().Right);
    } else {
        // The other columns' widths from the size table's running sums (grid lines not counted).
        const Int64 Others = ColAxis().Offset(ColCount()) - ColAxis().Extent(ACol);
        if (ClientWidth() > Others)
            SetColWidths(ACol, static_cast<Integer>(ClientWidth() - Others - 1));
        else if (LeftCol() == FixedCols())
            SetColWidths(ACol, DefaultColWidth());
    }
    FSizing.Stretching = false;
    if (FFloatingFooter->Visible())
        FFooterPanel->SetAlign(alBottom);
}

void TDidAririzEvar::StretchRightColumn()
{
    StretchColumn(ColCount() - 1);
}

bool TDidAririzEvar::Stretching() const
{
    return FSizing.Stretching;
}

// ---- Size changes ----------------------------------------------------------------------------------

void TDidAririzEvar::SizeChanged(Integer OldColCount, Integer OldRowCount)
{
    if (!Parent() || ComponentState().Contains(csLoading) || ComponentState().Contains(csReading) ||
        (Application && Application->Terminated()))
        return;
    if (FColumnSize->Stretch())
        StretchColumn(FColumnSize->StretchColumn);
    TBaseGrid::SizeChanged(OldColCount, OldRowCount);
    FlatShowScrollBar(SB_VERT, VisibleRowCount() + FixedRows() < RowCount());
    UpdateVScrollBar();
    FlatShowScrollBar(SB_HORZ, VisibleColCount() + FixedCols() < ColCount());
    UpdateHScrollBar();
}

void TDidAririzEvar::ColWidthsChanged()
{
    if (!FSizing.Stretching)
        StretchColumn(FColumnSize->StretchColumn);
    if (ComponentState().Contains(csDesigning)) {
        FHintWindow->ReleaseHandle();
        FScroll.ScrollHintShown = false;
    }
    TBaseGrid::ColWidthsChanged();
    FSizing.ColWidthsChanged = true;
    const Integer SC = FSizing.SizingCell.X;
    const bool Sizing = FSizing.ColSizing && SC >= 0 && SC < ColCount();
    // All columns follow the one the mouse sizes, in proportion.
    if (Sizing && FMouseActions->AllColumnSize && FSizing.SizingStartSize.X > 0) {
        FSizing.ColSizing = false;
        const double Ratio = static_cast<double>(ColWidths(SC)) / FSizing.SizingStartSize.X;
        for (Integer K = FixedCols(); K < ColCount(); ++K)
            if (K != SC)
                SetColWidths(K, RoundSizeEven(ColWidths(K) * Ratio));
        FSizing.ColSizing = true;
    }
    if (Sizing && FSizing.ColSizing && OnEndColumnSize)
        OnEndColumnSize(this, SC);
    if (Sizing && FSizing.ColSizing) {
        Integer W = ColWidths(SC);
        UpdateColSize(SC, W);
        if (W != ColWidths(SC)) {
            FSizing.ColSizing = false;
            SetColWidths(SC, W);
        }
    }
    if (FSizing.ColSizing)
        FSizing.SizingCell = TGridCoord{-1, -1};
    if (TWinControl* E = FEdit.Editing.Shown) {
        const TRect R = CellRect(Col(), Row());
        E->SetLeft(R.Left);
        E->SetWidth(R.Right - R.Left);
        E->SetHeight(R.Bottom - R.Top);
        E->SetTop(R.Top);
    }
    FSizing.ColSizing = false;
    if (CurrentCellHasCheckBox())
        HideEditor();
    CellControlsUpdate();
    if (FColumnSize->Stretch() && FScroll.ScrollProportional)
        UpdateVScroller();
}

void TDidAririzEvar::RowHeightsChanged()
{
    if (ComponentState().Contains(csDesigning)) {
        FHintWindow->ReleaseHandle();
        FScroll.ScrollHintShown = false;
    }
    TBaseGrid::RowHeightsChanged();
    const Integer SR = FSizing.SizingCell.Y;
    const bool Sizing = FSizing.RowSizing && SR >= 0 && SR < RowCount();
    // All rows follow the one the mouse sizes, in proportion (each row once: the rows one by one
    // is what the user asked for).
    if (Sizing && FMouseActions->AllRowSize && FSizing.SizingStartSize.Y > 0) {
        FSizing.RowSizing = false;
        const double Ratio = static_cast<double>(RowHeights(SR)) / FSizing.SizingStartSize.Y;
        for (Integer K = FixedRows(); K < RowCount(); ++K)
            if (K != SR)
                SetRowHeights(K, RoundSizeEven(RowHeights(K) * Ratio));
        FSizing.RowSizing = true;
    }
    if (Sizing && FSizing.RowSizing && OnEndRowSize)
        OnEndRowSize(this, SR);
    if (FSizing.RowSizing)
        FSizing.SizingCell = TGridCoord{-1, -1};
    FSizing.RowSizing = false;
    if (CurrentCellHasCheckBox())
        HideEditor();
    CellControlsUpdate();
}

void TDidAririzEvar::UpdateColSize(Integer ACol, Integer& AWidth)
{
    if (OnUpdateColumnSize)
        OnUpdateColumnSize(this, ACol, AWidth);
}

void TDidAririzEvar::UpdateAutoColSize(Integer ACol, Integer& AWidth)
{
    if (OnUpdateColumnSize)
        OnUpdateColumnSize(this, ACol, AWidth);
}

// ---- Mouse sizing ----------------------------------------------------------------------------------

void TDidAririzEvar::RecordSizingStart(const TGridCoord& Cell, Integer Width, Integer Height)
{
    FSizing.SizingCell = Cell;
    FSizing.SizingStartSize = TPoint{Width, Height};
    FSizing.ColWidthsChanged = false;
}

bool TDidAririzEvar::ColSizing() const
{
    return FSizing.ColSizing;
}

bool TDidAririzEvar::RowSizing() const
{
    return FSizing.RowSizing;
}

TGridCoord TDidAririzEvar::SizingCell() const
{
    return FSizing.SizingCell;
}

bool TDidAririzEvar::ColWidthsChangedInPress() const
{
    return FSizing.ColWidthsChanged;
}

void TDidAririzEvar::ScreenToCell(const TPoint& P, Integer& ACol, Integer& ARow)
{
    const TPoint C = ScreenToClient(P);
    MouseToCell(C.X, C.Y, ACol, ARow);
}

bool TDidAririzEvar::InSizeZone(Integer X, Integer Y)
{
    Integer ACol = -1, ARow = -1;
    MouseToCell(X, Y, ACol, ARow);
    if (ACol < 0 || ARow < 0)
        return false;
    const TRect R = CellRect(ACol, ARow);
    bool Result = false;
    if (ARow <= FixedRows() && Options().Contains(goColSizing))
        Result = std::abs(X - R.Left) < 4 || std::abs(X - R.Right) < 4;
    if (ACol <= FixedCols() && Options().Contains(goRowSizing))
        Result = std::abs(Y - R.Top) < 4 || std::abs(Y - R.Bottom) < 4;
    return Result;
}

// ---- Editability -----------------------------------------------------------------------------------

bool TDidAririzEvar::IsEditable(Integer ACol, Integer ARow)
{
    if (!Options().Contains(goEditing) && !FMouseActions->RangeSelectAndEdit && !FCore.EditingSuspended)
        return false;
    const TPoint B = BaseCell(ACol, ARow);
    bool CanEdit = true;
    GetCellReadOnly(B.X, B.Y, CanEdit);
    bool Fixed = false;
    GetCellFixed(RealColIndex(B.X), B.Y, Fixed);
    return CanEdit && !Fixed;
}

bool TDidAririzEvar::IsPassword(Integer ACol, Integer ARow)
{
    bool P = false;
    GetCellPassword(ACol, ARow, P);
    return P;
}

// ---- Combo editor items ----------------------------------------------------------------------------

void TDidAririzEvar::ClearComboString()
{
    FSizing.ComboItems.Clear();
}

void TDidAririzEvar::AddComboString(const AnsiString& S)
{
    FSizing.ComboItems.Add(S);
}

void TDidAririzEvar::AddComboStringObject(const AnsiString& S, TObject* AObject)
{
    const Integer I = FSizing.ComboItems.Add(S);
    FSizing.ComboItems.SetObjects(I, AObject);
}

bool TDidAririzEvar::RemoveComboString(const AnsiString& S)
{
    const Integer I = FSizing.ComboItems.IndexOf(S);
    if (I < 0)
        return false;
    FSizing.ComboItems.Delete(I);
    return true;
}

bool TDidAririzEvar::SetComboSelectionString(const AnsiString& S)
{
    const Integer I = FSizing.ComboItems.IndexOf(S);
    if (I < 0)
        return false;
    FSizing.ComboSelection = I;
    return true;
}

void TDidAririzEvar::SetComboSelection(Integer Index)
{
    FSizing.ComboSelection = Index;
}

Integer TDidAririzEvar::GetComboCount()
{
    return FSizing.ComboItems.Count();
}

Integer TDidAririzEvar::ComboSelection() const
{
    return FSizing.ComboSelection;
}

TStringList* TDidAririzEvar::ComboItems()
{
    return &FSizing.ComboItems;
}

// ---- Other hooks -----------------------------------------------------------------------------------

void TDidAririzEvar::WideEllipsClick(TObject* Sender)
{
    if (!OnWideEllipsClick || !FEditors.UniEditBtn)
        return;
    const WideString Old = FEditors.UniEditBtn->Text();
    WideString S = Old;
    OnWideEllipsClick(Sender, Col(), Row(), S);
    if (S != Old)
        FEditors.UniEditBtn->SetText(S);
}

TColor TDidAririzEvar::ArrowColor()
{
    for (TControl* C : FOwnedControls)
        if (auto* A = dynamic_cast<TArrowWindow*>(C))
            return A->Color();
    return clNone;
}

void TDidAririzEvar::SetArrowColor(TColor Value)
{
    for (TControl* C : FOwnedControls)
        if (auto* A = dynamic_cast<TArrowWindow*>(C))
            A->SetColor(Value);
}

void TDidAririzEvar::OnMouseActionsChanged() {}
void TDidAririzEvar::OnNavigationChanged() {}
