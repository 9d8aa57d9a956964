// The per-cell query hooks (each applies the grid's own rules, then fires its event, which has
// the last word), the seeding of new cell records and the dimension properties.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdoz.h"
#include "platform/rtl/Strings.h"

#include <algorithm>

// ---- Hooks -------------------------------------------------------------------------------------

void TDidAririzEvar::GetCellColor(Integer ACol, Integer ARow, TGridDrawState AState, TBrush* ABrush,
                                  TFont* AFont)
{
    if (FCore.ActiveCellShow) {
        const Integer D = DisplColIndex(ACol);
        if ((ARow == Row() && D == FixedCols() - 1 && FixedCols() > 0) ||
            (D == Col() && ARow == FixedRows() - 1 && FixedRows() > 0)) {
            AFont->Assign(FActiveCellFont.get());
            ABrush->SetColor(FCore.ActiveCellColor);
        }
    }
    if (TCellProperties* CP = RecordAt(ACol, ARow)) {
        const TCellType T = GetCellType(ACol, ARow);
        const bool PlainKind =
            T == ctIcon || T == ctNone || T == ctImageList || T == ctEmpty || T == ctImages || T == ctComment;
        if (PlainKind && CP->BrushColor() != clNone)
            ABrush->SetColor(CP->BrushColor());
        if (CP->FontColor() != clNone)
            AFont->SetColor(CP->FontColor());
        if (!CP->FontStyle().Empty())
            AFont->SetStyle(CP->FontStyle());
        if (CP->FontSize() != 0)
            AFont->SetSize(CP->FontSize());
        if (!CP->FontName().empty())
            AFont->SetName(CP->FontName());
    }
    if (OnGetCellColor)
        OnGetCellColor(this, ARow, ACol, AState, ABrush, AFont);
}

void TDidAririzEvar::GetCellPrintColor(Integer ACol, Integer ARow, TGridDrawState AState, TBrush* ABrush,
                                       TFont* AFont)
{
    if (OnGetCellPrintColor)
        OnGetCellPrintColor(this, ARow, ACol, AState, ABrush, AFont);
}

void TDidAririzEvar::GetCellBorder(Integer ACol, Integer ARow, TPen* APen, TCellBorders& Borders)
{
    // Node and summary rows come with the nodes; until then no row is either.
    const bool NodeRow = false, SummaryRow = false;
    if (FGrouping->HeaderUnderline && NodeRow && ACol > 0) {
        Borders = TCellBorders{cbBottom};
        APen->SetColor(FGrouping->HeaderLineColor);
        APen->SetWidth(FGrouping->HeaderLineWidth);
    }
    if (FGrouping->SummaryLine && SummaryRow && ACol > 0) {
        Borders = TCellBorders{cbTop};
        APen->SetColor(FGrouping->SummaryLineColor);
        APen->SetWidth(FGrouping->SummaryLineWidth);
    }
    if (OnGetCellBorder)
        OnGetCellBorder(this, ARow, ACol, APen, Borders);
}

void TDidAririzEvar::GetCellPrintBorder(Integer ACol, Integer ARow, TPen* APen, TCellBorders& Borders)
{
    if (OnGetCellPrintBorder)
        OnGetCellPrintBorder(this, ARow, ACol, APen, Borders);
}

void TDidAririzEvar::GetCellAlign(Integer ACol, Integer ARow, TAlignment& HAlign, TVAlignment& VAlign)
{
    if (ACol == 0 && FMouseActions->HotmailRowSelect())
        HAlign = taCenter;
    if (OnGetAlignment)
        OnGetAlignment(this, ARow, ACol, HAlign, VAlign);
}

void TDidAririzEvar::GetColFormat(Integer ACol, TSortStyle& AStyle, AnsiString& APrefix, AnsiString& ASuffix)
{
    if (OnGetFormat)
        OnGetFormat(this, ACol, AStyle, APrefix, ASuffix);
}

void TDidAririzEvar::GetStaticCellEditor(Integer ACol, Integer ARow, TEditorType& AEditor)
{
    if (OnGetEditorType)
        OnGetEditorType(this, ACol, ARow, AEditor);
}

void TDidAririzEvar::GetCellEditor(Integer ACol, Integer ARow, TEditorType& AEditor)
{
    if (OnGetEditorType)
        OnGetEditorType(this, ACol, ARow, AEditor);
}

void TDidAririzEvar::GetCellFixed(Integer ACol, Integer ARow, bool& IsFixed)
{
    IsFixed =
        IsFixed ||
        (FCore.FixedRowAlways && ARow < FCore.RequestedFixedRows && RowCount() == FCore.RequestedFixedRows) ||
        (FCore.FixedColAlways && ACol < FCore.RequestedFixedCols && ColCount() == FCore.RequestedFixedCols) ||
        ACol < FixedCols() || ARow < FixedRows();
    if (!IsFixed && OnIsFixedCell)
        OnIsFixedCell(this, ARow, ACol, IsFixed);
}

bool TDidAririzEvar::IsFixed(Integer ACol, Integer ARow)
{
    // The base cell of a merged block answers for the block; footer rows and the right fixed
    // columns are fixed whatever the hooks say.
    TPoint B = BaseCell(RealColIndex(ACol), ARow);
    B.X = DisplColIndex(B.X);
    if (B.Y >= RowCount() - FCore.FixedFooters)
        return true;
    if (B.X >= ColCount() - FCore.FixedRightCols && B.X < ColCount())
        return true;
    bool Result = false;
    GetCellFixed(B.X, B.Y, Result);
    return Result;
}

void TDidAririzEvar::GetCellReadOnly(Integer ACol, Integer ARow, bool& CanEdit)
{
    TPoint B{ACol, ARow};
    TCellProperties* BP = BaseRecordOf(ACol, ARow, &B);
    if (BP && CanEdit) {
        CanEdit = !GetReadOnly(B.X, B.Y);
        if (!Options().Contains(goEditing) && !FCore.EditingSuspended && !FMouseActions->RangeSelectAndEdit)
            CanEdit = false;
    }
    DoCanEditCell(B.X, B.Y, CanEdit);
}

void TDidAririzEvar::GetCellPassword(Integer ACol, Integer ARow, bool& IsPassword)
{
    if (OnIsPasswordCell)
        OnIsPasswordCell(this, ARow, ACol, IsPassword);
}

char TDidAririzEvar::CellPasswordChar() const
{
    return FCore.CellPasswordChar;
}

void TDidAririzEvar::SetCellPasswordChar(char Value)
{
    if (FCore.CellPasswordChar == Value)
        return;
    FCore.CellPasswordChar = Value;
    Invalidate();
}

void TDidAririzEvar::GetCellWordWrap(Integer ACol, Integer ARow, bool& WordWrap)
{
    if (OnGetWordWrap)
        OnGetWordWrap(this, ACol, ARow, WordWrap);
}

bool TDidAririzEvar::HasCombo(Integer ACol, Integer ARow)
{
    bool Result = false;
    if (OnHasComboBox)
        OnHasComboBox(this, ACol, ARow, Result);
    else if (FControlLook->DropDownAlwaysVisible) {
        TEditorType E = FCore.DefaultEditor;
        GetCellEditor(ACol, ARow, E);
        Result = E == edComboEdit || E == edComboList || E == edUniComboEdit || E == edUniComboList;
    }
    return Result;
}

bool TDidAririzEvar::HasSpinEdit(Integer ACol, Integer ARow)
{
    if (ACol < FixedCols() || ARow < FixedRows())
        return false;
    bool Result = false;
    if (OnHasSpinEdit)
        OnHasSpinEdit(this, ACol, ARow, Result);
    else if (FControlLook->SpinButtonsAlwaysVisible) {
        TEditorType E = FCore.DefaultEditor;
        GetStaticCellEditor(ACol, ARow, E);
        Result = E == edSpinEdit || E == edFloatSpinEdit || E == edTimeSpinEdit || E == edDateSpinEdit;
    }
    return Result;
}

AnsiString TDidAririzEvar::GetCheckTrue(Integer ACol, Integer ARow)
{
    AnsiString Result = FCore.FCheckTrue;
    if (OnGetCheckTrue)
        OnGetCheckTrue(this, ACol, ARow, Result);
    return Result;
}

AnsiString TDidAririzEvar::GetCheckFalse(Integer ACol, Integer ARow)
{
    AnsiString Result = FCore.FCheckFalse;
    if (OnGetCheckFalse)
        OnGetCheckFalse(this, ACol, ARow, Result);
    return Result;
}

bool TDidAririzEvar::GetFilter(Integer ACol)
{
    TStringList* L = FFilterList.get();
    L->Clear();
    if (FCore.FilterDropDownAuto && ACol >= FixedCols()) {
        // Distinct values are collected in one pass and handed to the list once, already sorted
        // with the list's own comparison.
        L->SetSorted(true);
        L->BeginUpdate();
        const Integer Last = GetAllRowCount() - 1 - FCore.FixedFooters;
        for (Integer R = FixedRows(); R <= Last; ++R) {
            AnsiString S = Trim(GetCellsEx(ACol, R));
            if (S.find(' ') != AnsiString::npos)
                S = S + "=\"" + S + "\"";
            L->Add(S);
        }
        L->EndUpdate();
        L->SetSorted(false);
        if (!FCore.FilterDropDownClear.empty())
            L->Insert(0, FCore.FilterDropDownClear);
    }
    if (OnGetColumnFilter)
        OnGetColumnFilter(this, ACol, L);
    return L->Count() > 0;
}

void TDidAririzEvar::GetCellHint(Integer ACol, Integer ARow, AnsiString& AHint, WideString& AWideHint)
{
    if (OnGridHint)
        OnGridHint(this, ARow, ACol, AHint);
    if (OnGridWideHint) {
        OnGridWideHint(this, ARow, ACol, AWideHint);
        if (!AWideHint.empty())
            AHint = EncodeWideStr(AWideHint);
    }
}

void TDidAririzEvar::DoCanEditCell(Integer ACol, Integer ARow, bool& CanEdit)
{
    if (OnCanEditCell)
        OnCanEditCell(this, ARow, ACol, CanEdit);
}

void TDidAririzEvar::DoSearchFooterAction(const AnsiString& Value, Integer ACol, Integer ARow,
                                          TSearchAction SearchAction)
{
    if (OnSearchFooterAction)
        OnSearchFooterAction(this, Value, ACol, ARow, SearchAction);
}

void TDidAririzEvar::GetDefaultProps(Integer ACol, Integer ARow, TFont* AFont, TBrush* ABrush,
                                     TColor& ColorTo, TColor& MirrorColor, TColor& MirrorColorTo,
                                     TAlignment& HAlign, TVAlignment& VAlign, bool& WordWrap,
                                     TCellGradientDirection& GradientDir)
{
    // The grid's plain defaults first, so a new record starts from them when the visual
    // properties leave a value as it is.
    TBaseGrid::GetDefaultProps(ACol, ARow, AFont, ABrush, ColorTo, MirrorColor, MirrorColorTo, HAlign, VAlign,
                               WordWrap, GradientDir);
    TGridDrawState State;
    GetVisualProperties(ACol, ARow, State, false, false, false, ABrush, ColorTo, MirrorColor, MirrorColorTo,
                        AFont, HAlign, VAlign, WordWrap, GradientDir);
    if (IsFixed(ACol, ARow) || FBands->Active || FBackGround->Display == bdGradientHorz ||
        FBackGround->Display == bdGradientVert || State.Contains(gdSelected)) {
        ABrush->SetColor(clNone);
        ColorTo = clNone;
    }
}

bool TDidAririzEvar::HasStaticEdit(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(ACol, ARow);
    switch (GetCellType(B.X, B.Y)) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctRadio:
    case ctButton:
    case ctVirtCheckBox:
    case ctRowCheckBox:
    case ctRadioButton:
        return true;
    default:
        return false;
    }
}

bool TDidAririzEvar::GetReadOnly(Integer ACol, Integer ARow)
{
    TCellProperties* CP = RecordAt(ACol, ARow);
    return CP && CP->ReadOnly();
}

// ---- Dimensions ----------------------------------------------------------------------------------

void TDidAririzEvar::RestoreRequestedFixed()
{
    // The platform grid lowers the fixed rows and columns when the counts shrink to them; they
    // come back as requested once the counts allow, else a grid that once had a single row (all
    // data rows hidden or removed) would keep its header row scrolling for good. While loading,
    // the stored counts arrive in any order and Loaded takes what they give.
    if (ComponentState().Contains(csLoading))
        return;
    if (TBaseGrid::FixedRows() < FCore.RequestedFixedRows && FCore.RequestedFixedRows < RowCount())
        TBaseGrid::SetFixedRows(FCore.RequestedFixedRows);
    if (TBaseGrid::FixedCols() < FCore.RequestedFixedCols && FCore.RequestedFixedCols < ColCount())
        TBaseGrid::SetFixedCols(FCore.RequestedFixedCols);
}

void TDidAririzEvar::SetRowCountRaw(Integer Value)
{
    TBaseGrid::SetRowCount(Value);
    RestoreRequestedFixed();
    FCore.LargestRowCount = std::max(FCore.LargestRowCount, Value);
    SetDisplayLimit(Value);
}

void TDidAririzEvar::SetRowCount(Integer Value)
{
    const Integer Old = RowCount();
    if (Old == FixedRows() && FCore.FixedRowAlways)
        UnHideSelection();
    TBaseGrid::SetRowCount(Value);
    if (FCore.RequestedFixedRows < RowCount() && FCore.FixedRowAlways)
        SetFixedRows(FCore.RequestedFixedRows);
    RestoreRequestedFixed();
    FCore.LargestRowCount = std::max(FCore.LargestRowCount, Value);
    SetDisplayLimit(Value);
    UpdateScrollBars(false);
    UpdateVScroller();
    UpdateHScroller();
    if (FFloatingFooter && FFloatingFooter->Visible() && Value != Old && Value > 0 && Old > 0) {
        // The footer row's texts and record pointers move to the new last row; the old row then
        // only drops its pointers (the records now belong to the new last row).
        FCore.MoveFlag = true;
        std::vector<TGridCell> Footer = TakeRowCells(Old - 1);
        PutRowCells(Value - 1, std::move(Footer));
        FCore.MoveFlag = false;
        CalcFooter(-1);
    }
}

void TDidAririzEvar::SetColCount(Integer Value)
{
    TBaseGrid::SetColCount(Value);
    if (FCore.RequestedFixedCols < ColCount() && FCore.FixedColAlways)
        SetFixedCols(FCore.RequestedFixedCols);
    RestoreRequestedFixed();
    FCore.LargestColCount = std::max(FCore.LargestColCount, Value);
    FCore.ColMapsStale = true;
    SetBounds(Left(), Top(), Width(), Height());
    UpdateScrollBars(false);
    UpdateVScroller();
    UpdateHScroller();
}

Integer TDidAririzEvar::FixedRows() const
{
    const Integer F = TBaseGrid::FixedRows();
    return F == 0 && FCore.FixedRowAlways ? 1 : F;
}

Integer TDidAririzEvar::FixedCols() const
{
    const Integer F = TBaseGrid::FixedCols();
    return F == 0 && FCore.FixedColAlways ? 1 : F;
}

void TDidAririzEvar::SetFixedRows(Integer Value)
{
    Integer V = Value;
    if (Value >= RowCount() && FCore.FixedRowAlways)
        V = RowCount() - 1;
    TBaseGrid::SetFixedRows(V);
    if (!ComponentState().Contains(csLoading))
        FCore.RequestedFixedRows = Value;
}

void TDidAririzEvar::SetFixedCols(Integer Value)
{
    Integer V = Value;
    if (Value >= ColCount() && FCore.FixedColAlways)
        V = ColCount() - 1;
    TBaseGrid::SetFixedCols(V);
    if (!ComponentState().Contains(csLoading))
        FCore.RequestedFixedCols = Value;
}

void TDidAririzEvar::SetDefaultRowHeight(Integer Value)
{
    TBaseGrid::SetDefaultRowHeight(Value);
    if (ComponentState().Contains(csDesigning))
        FCore.FixedRowHeight = Value;
    if (FFloatingFooter) {
        FFloatingFooter->FHeight = Value;
        if (FFloatingFooter->Visible() && FFooterPanel)
            FFooterPanel->SetHeight(Value);
    }
}

void TDidAririzEvar::SetFixedRowHeight(Integer Value)
{
    FCore.FixedRowHeight = Value;
    if (ComponentState().Contains(csLoading))
        return;
    if (Value == DefaultRowHeight())
        SetDefaultRowHeight(Value);
    else
        for (Integer R = 0; R < TBaseGrid::FixedRows(); ++R)
            SetRowHeights(R, Value);
}

void TDidAririzEvar::SetFixedColWidth(Integer Value)
{
    if (ComponentState().Contains(csLoading) || Value == DefaultColWidth())
        return;
    for (Integer C = 0; C < TBaseGrid::FixedCols(); ++C)
        SetColWidths(C, Value);
}

void TDidAririzEvar::SetFixedFooters(Integer Value)
{
    FCore.FixedFooters = Value;
    Invalidate();
}

void TDidAririzEvar::SetFixedRightCols(Integer Value)
{
    FCore.FixedRightCols = Value;
    Invalidate();
}

void TDidAririzEvar::SetWordWrap(bool Value)
{
    SetDefaultWordWrap(Value);
    FCore.WordWrap = Value;
    if (FPaint.UpdateCount == 0)
        Invalidate();
}
