// Property accessors of the grid core over its state blocks.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridEditState.h"

bool TDidAririzEvar::IntegralHeight() const
{
    return FCore.IntegralHeight;
}

void TDidAririzEvar::SetIntegralHeight(bool V)
{
    FCore.IntegralHeight = V;
}

TScrollBarAlways TDidAririzEvar::ScrollBarAlways() const
{
    return FScroll.ScrollBarAlways;
}

void TDidAririzEvar::SetScrollBarAlways(TScrollBarAlways V)
{
    FScroll.ScrollBarAlways = V;
}

TScrollType TDidAririzEvar::ScrollType() const
{
    return FScroll.ScrollType;
}

Integer TDidAririzEvar::ScrollWidth() const
{
    return FScroll.ScrollWidth;
}

TGridLook TDidAririzEvar::Look() const
{
    return FCore.Look;
}

TEditorType TDidAririzEvar::DefaultEditor() const
{
    return FCore.DefaultEditor;
}

void TDidAririzEvar::SetDefaultEditor(TEditorType V)
{
    FCore.DefaultEditor = V;
}

bool TDidAririzEvar::FilterDropDownAuto() const
{
    return FCore.FilterDropDownAuto;
}

void TDidAririzEvar::SetFilterDropDownAuto(bool V)
{
    FCore.FilterDropDownAuto = V;
}

const AnsiString& TDidAririzEvar::FilterDropDownClear() const
{
    return FCore.FilterDropDownClear;
}

void TDidAririzEvar::SetFilterDropDownClear(const AnsiString& V)
{
    FCore.FilterDropDownClear = V;
}

const AnsiString& TDidAririzEvar::FloatFormat() const
{
    return FCore.FloatFormat;
}

bool TDidAririzEvar::IncludeFixedCells() const
{
    return FCore.ExportFixedCells;
}

void TDidAririzEvar::SetIncludeFixedCells(bool V)
{
    FCore.ExportFixedCells = V;
}

bool TDidAririzEvar::IncludeHiddenColumns() const
{
    return FCore.IncludeHiddenColumns;
}

void TDidAririzEvar::SetIncludeHiddenColumns(bool V)
{
    FCore.IncludeHiddenColumns = V;
}

bool TDidAririzEvar::ActiveCellShow() const
{
    return FCore.ActiveCellShow;
}

TColor TDidAririzEvar::ActiveCellColor() const
{
    return FCore.ActiveCellColor;
}

void TDidAririzEvar::SetActiveCellColor(TColor V)
{
    FCore.ActiveCellColor = V;
}

bool TDidAririzEvar::IsXPFlag() const
{
    return FCore.IsXP;
}

UINT_PTR TDidAririzEvar::GridTimerId() const
{
    return FCore.GridTimer;
}

Integer TDidAririzEvar::FixedRowHeight() const
{
    return FCore.FixedRowHeight;
}

Integer TDidAririzEvar::FixedFooters() const
{
    return FCore.FixedFooters;
}

Integer TDidAririzEvar::FixedRightCols() const
{
    return FCore.FixedRightCols;
}

bool TDidAririzEvar::FixedRowAlways() const
{
    return FCore.FixedRowAlways;
}

void TDidAririzEvar::SetFixedRowAlways(bool V)
{
    FCore.FixedRowAlways = V;
}

bool TDidAririzEvar::FixedColAlways() const
{
    return FCore.FixedColAlways;
}

void TDidAririzEvar::SetFixedColAlways(bool V)
{
    FCore.FixedColAlways = V;
}

bool TDidAririzEvar::WordWrap() const
{
    return FCore.WordWrap;
}

Integer TDidAririzEvar::LargestRowCount() const
{
    return FCore.LargestRowCount;
}

Integer TDidAririzEvar::LargestColCount() const
{
    return FCore.LargestColCount;
}

TGridRowTables& TDidAririzEvar::RowTables()
{
    return FCore.Rows;
}

const TGridRowTables& TDidAririzEvar::RowTables() const
{
    return FCore.Rows;
}

Integer TDidAririzEvar::NumHiddenRows() const
{
    return static_cast<Integer>(FCore.Rows.HiddenCount());
}

Integer TDidAririzEvar::HideLevel() const
{
    return FCore.Rows.HideLevel();
}

const THiddenRows& TDidAririzEvar::HiddenRowStore() const
{
    return FCore.Rows.Hidden();
}

Integer TDidAririzEvar::NumHiddenColumns() const
{
    return FCore.HiddenColCount;
}

Integer TDidAririzEvar::TotalColCount() const
{
    return ColCount() + FCore.HiddenColCount;
}

std::vector<Integer> TDidAririzEvar::SelectedRowOrder() const
{
    return FCore.Rows.Marks().Order();
}

Integer TDidAririzEvar::ModifiedRowCount() const
{
    return FCore.Rows.Modified().Count();
}

TColor TDidAririzEvar::SelectionColor() const
{
    return FSel.SelectionColor;
}

TColor TDidAririzEvar::SelectionColorTo() const
{
    return FSel.SelectionColorTo;
}

TColor TDidAririzEvar::SelectionMirrorColor() const
{
    return FSel.SelectionMirrorColor;
}

TColor TDidAririzEvar::SelectionMirrorColorTo() const
{
    return FSel.SelectionMirrorColorTo;
}

TColor TDidAririzEvar::SelectionTextColor() const
{
    return FSel.SelectionTextColor;
}

bool TDidAririzEvar::SelectionRectangle() const
{
    return FSel.SelectionRectangle;
}

THoverFixedCells TDidAririzEvar::HoverFixedCells() const
{
    return FCore.HoverFixedCells;
}

void TDidAririzEvar::SetHoverFixedCells(THoverFixedCells V)
{
    FCore.HoverFixedCells = V;
}

bool TDidAririzEvar::FixedAsButtons() const
{
    return FCore.FixedAsButtons;
}

void TDidAririzEvar::SetFixedAsButtons(bool V)
{
    FCore.FixedAsButtons = V;
}

bool TDidAririzEvar::SelectionResizer() const
{
    return FSel.SelectionResizer;
}

Integer TDidAririzEvar::MaxEditLength() const
{
    return FCore.MaxEditLength;
}

void TDidAririzEvar::SetMaxEditLength(Integer V)
{
    FCore.MaxEditLength = V;
}

TVAlignment TDidAririzEvar::VAlignment() const
{
    return FCore.VAlignment;
}

bool TDidAririzEvar::AutoSize() const
{
    return FCore.AutoSize;
}

bool TDidAririzEvar::Flat() const
{
    return FCore.Flat;
}

bool TDidAririzEvar::EditingSuspended() const
{
    return FCore.EditingSuspended;
}

const AnsiString& TDidAririzEvar::EditCache() const
{
    return FEdit.Editing.Cache;
}

void TDidAririzEvar::SetQuietSelect(bool V)
{
    FSel.QuietSelect = V;
}
