#pragma once

// TDidAririzEvar: the feature-rich string grid. One class whose methods are spread over three
// folders of sources: core/ (construction, option objects, per-cell hooks and dimensions, hidden
// rows and columns, selection), edit/ (painting, in-place editing, keyboard and mouse) and
// exchange/ (sorting, row edits, file and clipboard formats, printing, runtime services).
//
// Layout of this header (the one file the three parts share):
// - every method is declared in the section of the part that implements it;
// - state lives in three blocks, FCore (core), FEdit (editing and painting) and FXchg (exchange),
//   each edited only by its own part; a field that two parts write is declared once in its
//   owner's block and read by name elsewhere;
// - option and settings objects are owned through std::unique_ptr; child controls are
//   components owned by the grid, kept as raw pointers and freed in the destructor's order.
//
// Index spaces: a display row/column is a position in the platform grid (0 .. RowCount - 1);
// a real row/column counts hidden rows/columns too (0 .. TotalRowCount - 1). The cell store is
// addressed by real column and display row.

#include "RudUvud/core/BaseGrid.h"
#include "RudUvud/core/GridOptions.h"
#include "RudUvud/core/GridStandIns.h"
#include "RudUvud/core/RowTables.h"
#include "RudUvud/edit/EditorHost.h"
#include "RudUvud/edit/GridInput.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridSettings.h"
#include "RudUvud/exchange/SortSettings.h"

#include "platform/rtl/StringLists.h"

#include <cstdint>
#include <memory>
#include <vector>

// State of the grid core.
struct TGridCoreState {
    // Per-cell hooks and dimensions.
    AnsiString CheckTrue = "Y";
    AnsiString CheckFalse = "N";
    Integer RequestedFixedRows = 1;
    Integer RequestedFixedCols = 1;
    Integer LargestRowCount = 0;
    Integer LargestColCount = 0;
    Integer FixedRowHeight = 21;
    bool WordWrap = true;
    bool EditingSuspended = false; // FEditingSuspended
    Integer FixedFooters = 0;
    Integer FixedRightCols = 0;
    bool FixedRowAlways = false;
    bool FixedColAlways = false;
    bool MoveFlag = false; // set while the footer row moves: row clears only drop pointers
    // Every per-row table (hidden rows, disjunct marks, modified flags, sort cross-reference).
    TGridRowTables Rows;
    // Hidden columns.
    std::vector<std::uint8_t> VisibleCols = std::vector<std::uint8_t>(513, 1);
    Integer HiddenColCount = 0;
    std::vector<std::int16_t> HiddenColWidths = std::vector<std::int16_t>(513, 0);
    std::vector<Integer> DisplToRealCol; // cached column maps, rebuilt when stale
    std::vector<Integer> RealToDisplCol;
    bool ColMapsStale = true;
    TGridRect SavedSelection;
    bool SelectionHidden = false;
    Integer LastUpdateRow = 0;
    std::vector<Integer> ColumnOrder;
    std::vector<Integer> IgnoredCols;
    bool ExportFixedCells = true; // published as IncludeFixedCells
    bool IncludeHiddenColumns = false;
    // Selection.
    TSelectionList ColSelect;
    bool QuietSelect = false; // FQuietSelect
    bool SkipInvalidate = false;
    TGridCoord BalloonCell{-1, -1};
    AnsiString BalloonText;
    // Look and colours the core keeps.
    bool ActiveCellShow = false;
    TColor ActiveCellColor = 0x808080;
    TColor ActiveCellColorTo = clNone;
    TColor SelectionColor = 0xEACAB6;
    TColor SelectionColorTo = clNone;
    TColor SelectionMirrorColor = clNone;
    TColor SelectionMirrorColorTo = clNone;
    TColor SelectionTextColor = 0;
    bool SelectionRectangle = false;
    bool SelectionResizer = false;
    Integer MaxEditLength = 0;
    TVAlignment VAlignment = vtaTop;
    Integer VAlignFlag = 0;
    bool AutoSize = false;
    bool Flat = false;
    TEditorType DefaultEditor = edNormal;
    bool FilterDropDownAuto = false;
    AnsiString FilterDropDownClear = "(All)";
    bool AutoFilterUpdate = true;
    bool IntegralHeight = false;
    TScrollBarAlways ScrollBarAlways = saNone;
    TScrollType ScrollType = ssNormal;
    TColor ScrollColor = clNone;
    Integer ScrollWidth = 17;
    bool EnableWheel = true;
    bool IntelliZoom = true;
    Integer WheelMsg = 0x20A;
    Integer WheelScrollLines = 3;
    TGridLook Look = glXP;
    TColor HintColor = static_cast<TColor>(0x80000018);
    bool EnableHTML = true;
    TColor URLColor = 0xFF0000;
    bool HideFocusRect = false;
    bool FixedAsButtons = false;
    bool EnhRowColMove = true;
    bool ShowDesignHelper = true;
    bool UseInternalHintClass = true;
    THoverFixedCells HoverFixedCells = hfNone;
    TInvalidEntryIcon InvalidEntryIcon = ieWarning;
    AnsiString FloatFormat = "%.2f";
    char PasswordChar = '*';
    char CSVDelimiter = '\0';
    AnsiString XMLEncoding = "ISO-8859-1";
    Integer NodeCount = 0;
    bool Loaded = false;
    bool DatePickersCreated = false;
    // Platform probes.
    bool IsXP = false;
    bool IsWin7 = false;
    bool IsVista = false;
    bool IsComCtl6 = false;
    // Owner form's resize chaining.
    bool FormResizeHooked = false;
    TNotifyEvent SavedFormResize;
    Integer FormWidth = 0;
    Integer FormHeight = 0;
    TGridCoord SavedTopLeft{1, 1};
    UINT_PTR GridTimer = 0;
    TCursor SavedCursor = crDefault;
};

// State of painting, in-place editing and input; fields are added by that part.
struct TGridEditState {
    Integer UpdateCount = 0;   // BeginUpdate/EndUpdate nesting
    TGridInputState Input;     // mouse press and keys (edit/GridInput.h)
    TGridPaintState Paint;     // painting, content, focus and grid timer
    TGridEditingState Editing; // the in-place edit under way (edit/EditorHost.h)
};

// Settings of the comma-separated file exchange.
struct TGridCsvState {
    char Separator = '\0'; // '\0': "," when writing, detected when reading
    bool TildeLineBreaks = false;
    bool QuoteAll = false;
    bool EmptyCellsAsQuotes = true;
    bool ReadFirstLine = true;
    bool Multilinecells = false;
    bool OemConvert = false; // files in the OEM code page
};

// State of sorting, structural edits, exchange and runtime services; fields are added by that part.
struct TGridExchangeState {
    TGridSortState Sort;                         // sorting (exchange/SortSettings.h)
    TGridCsvState Csv;                           // comma-separated files (exchange/CsvFiles.cpp)
    bool KeepPropsOnClear = false;               // clearing empties texts only
    std::vector<TGridChangeNotifier*> Notifiers; // in registration order
};

class TDidAririzEvar : public TBaseGrid {
public:
    explicit TDidAririzEvar(TComponent* AOwner);
    ~TDidAririzEvar() override;

    // ======== Construction, window set-up, copying (core/GridCreate.cpp) ========
    // Copies settings and cells from another string grid; any other source is ignored.
    void Assign(TPersistent* Source) override;
    virtual void AssignCells(TPersistent* Source);
    void Invalidate() override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void UpdateScrollBars(bool Force);
    void Loaded() override;

    TCellNode* CellNode() const { return FCellNode.get(); }
    TSizeWhileTyping* SizeWhileTyping() const { return FSizeWhileTyping.get(); }
    TMouseActions* MouseActions() const { return FMouseActions.get(); }
    TColumnSize* ColumnSize() const { return FColumnSize.get(); }
    TNavigation* Navigation() const { return FNavigation.get(); }
    THTMLSettings* HTMLSettings() const { return FHTMLSettings.get(); }
    TPrintSettings* PrintSettings() const { return FPrintSettings.get(); }
    TFloatingFooter* FloatingFooter() const { return FFloatingFooter.get(); }
    TSearchFooter* SearchFooter() const { return FSearchFooter.get(); }
    TControlLook* ControlLook() const { return FControlLook.get(); }
    TGrouping* Grouping() const { return FGrouping.get(); }
    TBands* Bands() const { return FBands.get(); }
    TBackGround* BackGround() const { return FBackGround.get(); }
    TBalloonSettings* Balloon() const { return FBalloon.get(); }
    TFont* FixedFont() const { return FFixedFont.get(); }
    TFont* ActiveCellFont() const { return FActiveCellFont.get(); }
    TStringList* ColumnHeaders() const { return FColumnHeaders.get(); }
    TStringList* RowHeaders() const { return FRowHeaders.get(); }
    TStringList* LookupItems() const { return FLookupItems.get(); }
    TStringList* FilterValues() const { return FFilterList.get(); }
    bool IntegralHeight() const { return FCore.IntegralHeight; }
    void SetIntegralHeight(bool V) { FCore.IntegralHeight = V; }
    TScrollBarAlways ScrollBarAlways() const { return FCore.ScrollBarAlways; }
    void SetScrollBarAlways(TScrollBarAlways V) { FCore.ScrollBarAlways = V; }
    TScrollType ScrollType() const { return FCore.ScrollType; }
    Integer ScrollWidth() const { return FCore.ScrollWidth; }
    TGridLook Look() const { return FCore.Look; }
    TEditorType DefaultEditor() const { return FCore.DefaultEditor; }
    void SetDefaultEditor(TEditorType V) { FCore.DefaultEditor = V; }
    bool FilterDropDownAuto() const { return FCore.FilterDropDownAuto; }
    void SetFilterDropDownAuto(bool V) { FCore.FilterDropDownAuto = V; }
    const AnsiString& FilterDropDownClear() const { return FCore.FilterDropDownClear; }
    void SetFilterDropDownClear(const AnsiString& V) { FCore.FilterDropDownClear = V; }
    const AnsiString& FloatFormat() const { return FCore.FloatFormat; }
    bool IncludeFixedCells() const { return FCore.ExportFixedCells; }
    void SetIncludeFixedCells(bool V) { FCore.ExportFixedCells = V; }
    bool IncludeHiddenColumns() const { return FCore.IncludeHiddenColumns; }
    void SetIncludeHiddenColumns(bool V) { FCore.IncludeHiddenColumns = V; }
    bool ActiveCellShow() const { return FCore.ActiveCellShow; }
    void SetActiveCellShow(bool V);
    TColor ActiveCellColor() const { return FCore.ActiveCellColor; }
    void SetActiveCellColor(TColor V) { FCore.ActiveCellColor = V; }
    bool IsXPFlag() const { return FCore.IsXP; }
    UINT_PTR GridTimerId() const { return FCore.GridTimer; }

    // ======== Per-cell query hooks (core/CellHooks.cpp) ========
    virtual void GetCellColor(Integer ACol, Integer ARow, TGridDrawState AState, TBrush* ABrush,
                              TFont* AFont);
    virtual void GetCellPrintColor(Integer ACol, Integer ARow, TGridDrawState AState, TBrush* ABrush,
                                   TFont* AFont);
    virtual void GetCellBorder(Integer ACol, Integer ARow, TPen* APen, TCellBorders& Borders);
    virtual void GetCellPrintBorder(Integer ACol, Integer ARow, TPen* APen, TCellBorders& Borders);
    virtual void GetCellAlign(Integer ACol, Integer ARow, TAlignment& HAlign, TVAlignment& VAlign);
    virtual void GetColFormat(Integer ACol, TSortStyle& AStyle, AnsiString& APrefix, AnsiString& ASuffix);
    virtual void GetStaticCellEditor(Integer ACol, Integer ARow, TEditorType& AEditor);
    virtual void GetCellEditor(Integer ACol, Integer ARow, TEditorType& AEditor);
    virtual void GetCellFixed(Integer ACol, Integer ARow, bool& IsFixed);
    virtual void GetCellReadOnly(Integer ACol, Integer ARow, bool& CanEdit);
    virtual void GetCellPassword(Integer ACol, Integer ARow, bool& IsPassword);
    virtual void GetCellWordWrap(Integer ACol, Integer ARow, bool& WordWrap);
    virtual bool HasCombo(Integer ACol, Integer ARow);
    virtual bool HasSpinEdit(Integer ACol, Integer ARow);
    virtual AnsiString GetCheckTrue(Integer ACol, Integer ARow);
    virtual AnsiString GetCheckFalse(Integer ACol, Integer ARow);
    virtual bool GetFilter(Integer ACol);
    virtual void GetCellHint(Integer ACol, Integer ARow, AnsiString& AHint, WideString& AWideHint);
    virtual void DoCanEditCell(Integer ACol, Integer ARow, bool& CanEdit);
    virtual void DoSearchFooterAction(const AnsiString& Value, Integer ACol, Integer ARow,
                                      TSearchAction SearchAction);
    void GetDefaultProps(Integer ACol, Integer ARow, TFont* AFont, TBrush* ABrush, TColor& ColorTo,
                         TColor& MirrorColor, TColor& MirrorColorTo, TAlignment& HAlign, TVAlignment& VAlign,
                         bool& WordWrap, TCellGradientDirection& GradientDir) override;
    // Fixed state of a display cell (the hook, then the column sizing rules of the sizing part).
    bool IsFixed(Integer ACol, Integer ARow) override;
    // The cell's decoration kind; ctEmpty until cell graphics exist.
    virtual TCellType GetCellType(Integer ACol, Integer ARow);
    // Whether the base cell's decoration is edited without the text editor (check boxes,
    // radio buttons, buttons).
    bool HasStaticEdit(Integer ACol, Integer ARow);
    // The read-only state of a cell's record.
    bool GetReadOnly(Integer ACol, Integer ARow);
    // Real-row text access (hidden rows read inside their store entry).
    AnsiString GetCellsEx(Integer ACol, Integer ARow);
    void SetCellsEx(Integer ACol, Integer ARow, const AnsiString& Value);
    Integer GetAllRowCount() { return TotalRowCount(); }

    TGridHintEvent OnGridHint;
    TGridWideHintEvent OnGridWideHint;
    TGridColorEvent OnGetCellColor;
    TGridColorEvent OnGetCellPrintColor;
    TGridBorderEvent OnGetCellBorder;
    TGridBorderEvent OnGetCellPrintBorder;
    TGridAlignEvent OnGetAlignment;
    TGridFormatEvent OnGetFormat;
    TGetEditorTypeEvent OnGetEditorType;
    TIsFixedCellEvent OnIsFixedCell;
    TCanEditCellEvent OnCanEditCell;
    TIsPasswordCellEvent OnIsPasswordCell;
    TGetWordWrapEvent OnGetWordWrap;
    THasComboEvent OnHasComboBox;
    THasSpinEditEvent OnHasSpinEdit;
    TGetCheckEvent OnGetCheckTrue;
    TGetCheckEvent OnGetCheckFalse;
    TGetColumnFilterEvent OnGetColumnFilter;
    TSearchFooterActionEvent OnSearchFooterAction;

    // ======== Dimensions (core/CellHooks.cpp) ========
    Integer RowCount() const { return TBaseGrid::RowCount(); }
    void SetRowCount(Integer Value);
    Integer ColCount() const { return TBaseGrid::ColCount(); }
    void SetColCount(Integer Value);
    Integer FixedRows() const;
    void SetFixedRows(Integer Value);
    Integer FixedCols() const;
    void SetFixedCols(Integer Value);
    Integer DefaultRowHeight() const { return TBaseGrid::DefaultRowHeight(); }
    void SetDefaultRowHeight(Integer Value);
    Integer FixedRowHeight() const { return FCore.FixedRowHeight; }
    void SetFixedRowHeight(Integer Value);
    Integer FixedColWidth() const { return ColWidths(0); }
    void SetFixedColWidth(Integer Value);
    Integer FixedFooters() const { return FCore.FixedFooters; }
    void SetFixedFooters(Integer Value);
    Integer FixedRightCols() const { return FCore.FixedRightCols; }
    void SetFixedRightCols(Integer Value);
    bool FixedRowAlways() const { return FCore.FixedRowAlways; }
    void SetFixedRowAlways(bool V) { FCore.FixedRowAlways = V; }
    bool FixedColAlways() const { return FCore.FixedColAlways; }
    void SetFixedColAlways(bool V) { FCore.FixedColAlways = V; }
    bool WordWrap() const { return FCore.WordWrap; }
    void SetWordWrap(bool Value);
    // The names the application and the spreadsheet bridge call.
    Integer GetRowCountEx() const { return RowCount(); }
    void SetRowCountEx(Integer Value) { SetRowCount(Value); }
    Integer GetColCountEx() const { return ColCount(); }
    void SetColCountEx(Integer Value) { SetColCount(Value); }
    Integer GetFixedRowsEx() const { return FixedRows(); }
    void SetFixedRowsEx(Integer Value) { SetFixedRows(Value); }
    Integer GetFixedColsEx() const { return FixedCols(); }
    void SetFixedColsEx(Integer Value) { SetFixedCols(Value); }
    void SetDefRowHeightEx(Integer Value) { SetDefaultRowHeight(Value); }
    bool GetWordWrapEx() const { return WordWrap(); }
    Integer LargestRowCount() const { return FCore.LargestRowCount; }
    Integer LargestColCount() const { return FCore.LargestColCount; }

    // ======== Hidden rows and columns (core/HiddenRows.cpp) ========
    void HideRow(Integer ARow);
    void HideRows(Integer FromRow, Integer ToRow);
    void HideRowsEx(Integer FromRow, Integer ToRow);
    // Hides the listed display rows (ascending, no duplicates) as one new hide level.
    void HideRowList(const std::vector<Integer>& List);
    void UnHideRow(Integer ARow);
    void UnHideRows(Integer FromRow, Integer ToRow);
    void UnHideRowsAll();
    // Restores the rows of the topmost hide level (the level is not popped).
    void UnHideRowList();
    // Restores the topmost hide level and pops it.
    void RemoveLastHideLevel();
    bool IsHiddenRow(Integer ARow) const;
    // The per-row tables and the structural edits applied to all of them.
    TGridRowTables& RowTables() { return FCore.Rows; }
    const TGridRowTables& RowTables() const { return FCore.Rows; }
    Integer NumHiddenRows() const { return static_cast<Integer>(FCore.Rows.HiddenCount()); }
    Integer TotalRowCount() const { return RowCount() + NumHiddenRows(); }
    Integer HideLevel() const { return FCore.Rows.HideLevel(); }
    const THiddenRows& HiddenRowStore() const { return FCore.Rows.Hidden(); }
    void HideColumn(Integer ACol);
    void HideColumns(Integer FromCol, Integer ToCol);
    void UnHideColumn(Integer ACol);
    void UnHideColumns(Integer FromCol, Integer ToCol);
    void UnHideColumnsAll();
    bool IsHiddenColumn(Integer ACol) const;
    Integer NumHiddenColumns() const { return FCore.HiddenColCount; }
    Integer TotalColCount() const { return ColCount() + FCore.HiddenColCount; }
    bool GetVisibleCol(Integer ACol) const;
    void SetVisibleCol(Integer ACol, bool Value);
    Integer RealRowIndex(Integer ARow) const;
    Integer DisplRowIndex(Integer ARow) const;
    Integer RealColIndex(Integer ACol);
    Integer DisplColIndex(Integer ACol) override;
    Integer RemapRow(Integer ARow) const { return DisplRowIndex(ARow); }
    Integer RemapRowInv(Integer ARow) const { return RealRowIndex(ARow); }
    Integer RemapCol(Integer ACol) { return RealColIndex(ACol); }
    Integer RemapColInv(Integer ACol) { return DisplColIndex(ACol); }
    Integer GetRealRow() const { return RealRowIndex(Row()); }
    Integer GetRealCol() { return RealColIndex(Col()); }
    Integer GetRowEx() const { return Row(); }
    void SetRowEx(Integer Value);
    Integer GetTopRowEx() const { return TopRow(); }
    void SetTopRowEx(Integer Value) { SetTopRow(Value); }
    bool IsIgnoredColumn(Integer ACol) const;
    void ScrollInView(Integer ACol, Integer ARow);
    void MoveColumn(Integer FromIndex, Integer ToIndex);
    void MoveRow(Integer FromIndex, Integer ToIndex);
    void HideSelection();
    void UnHideSelection();
    void UpdateEditMode();
    virtual TRect GetUsedCells();
    Integer GetSaveStartCol() const;
    Integer GetSaveStartRow() const;
    Integer GetSaveEndCol() const;
    Integer GetSaveEndRow() const;
    Integer GetSaveColCount() const;
    Integer GetSaveRowCount() const;
    TRowChangedEvent OnRowUpdate;

    // Structural row services the hiding builds on: open N empty rows at display row D, and
    // remove N display rows at D (their cells and records are moved out first by the caller or
    // dropped with the rows' records freed).
    void InsertRowsEx(Integer D, Integer N);
    void IRemoveRows(Integer D, Integer N);

    // ======== Selection (core/Selection.cpp) ========
    virtual void DoCellChanging(Integer ACol, Integer ARow, bool& Allow);
    TGridRect GetSelectionEx() const { return Selection(); }
    void SetSelectionEx(const TGridRect& Value);
    void FocusCell(Integer ACol, Integer ARow);
    void GotoCell(Integer ACol, Integer ARow);
    void SelectRange(Integer FromCol, Integer ToCol, Integer FromRow, Integer ToRow);
    void SelectRows(Integer RowIndex, Integer RCount);
    void UnSelectRows(Integer RowIndex, Integer RCount);
    void SelectCols(Integer ColIndex, Integer CCount);
    void UnSelectCols(Integer ColIndex, Integer CCount);
    // Disjunct selection. Row indexes are checked against the total row count (hidden rows
    // included): ERudUvudError "Invalid row accessed"; columns against ColCount: "Invalid column
    // accessed".
    bool GetRowSelect(Integer ARow);
    void SetRowSelect(Integer ARow, bool Value);
    bool GetColSelect(Integer ACol);
    void SetColSelect(Integer ACol, bool Value);
    Integer GetRowSelectCount();
    Integer GetColSelectCount();
    void ClearRowSelect();
    void ClearColSelect();
    void SelectToRowSelect(bool All);
    void SelectToColSelect(bool All);
    // The disjunct rows in the order they were selected.
    std::vector<Integer> SelectedRowOrder() const { return FCore.Rows.Marks().Order(); }
    bool GetRowModified(Integer ARow) const;
    void SetRowModified(Integer ARow, bool Value);
    Integer ModifiedRowCount() const { return FCore.Rows.Modified().Count(); }
    void RepaintRow(Integer ARow);
    void RepaintCol(Integer ACol);
    void RepaintRect(const TRect& R);
    void SwapCells(const TGridCoord& A, const TGridCoord& B);
    void UpdateActiveCells(Integer OldCol, Integer OldRow, Integer NewCol, Integer NewRow);
    void WMNotify(TMessage& Message);
    // The balloon text a cell offers (tabs as blanks, leading line breaks skipped, at most 1024
    // characters) and its title; what the tool tip shows for TTN_NEEDTEXT.
    void CellBalloonText(Integer ACol, Integer ARow, AnsiString& Title, AnsiString& Text, Integer& Icon);

    TColor SelectionColor() const { return FCore.SelectionColor; }
    void SetSelectionColor(TColor V);
    TColor SelectionColorTo() const { return FCore.SelectionColorTo; }
    void SetSelectionColorTo(TColor V);
    TColor SelectionMirrorColor() const { return FCore.SelectionMirrorColor; }
    void SetSelectionMirrorColor(TColor V);
    TColor SelectionMirrorColorTo() const { return FCore.SelectionMirrorColorTo; }
    void SetSelectionMirrorColorTo(TColor V);
    TColor SelectionTextColor() const { return FCore.SelectionTextColor; }
    void SetSelectionTextColor(TColor V);
    bool SelectionRectangle() const { return FCore.SelectionRectangle; }
    THoverFixedCells HoverFixedCells() const { return FCore.HoverFixedCells; }
    void SetHoverFixedCells(THoverFixedCells V) { FCore.HoverFixedCells = V; }
    bool FixedAsButtons() const { return FCore.FixedAsButtons; }
    void SetFixedAsButtons(bool V) { FCore.FixedAsButtons = V; }
    void SetSelectionRectangle(bool V);
    bool SelectionResizer() const { return FCore.SelectionResizer; }
    void SetSelectionResizer(bool V);
    Integer MaxEditLength() const { return FCore.MaxEditLength; }
    void SetMaxEditLength(Integer V) { FCore.MaxEditLength = V; }
    TVAlignment VAlignment() const { return FCore.VAlignment; }
    void SetVAlignment(TVAlignment V);
    bool AutoSize() const { return FCore.AutoSize; }
    void SetAutoSize(bool V);
    bool Flat() const { return FCore.Flat; }
    void SetFlat(bool V);
    bool EditingSuspended() const { return FCore.EditingSuspended; }
    const AnsiString& EditCache() const { return FEdit.Editing.Cache; }
    void SetQuietSelect(bool V) { FCore.QuietSelect = V; }

    TChangingEvent OnRowChanging;
    TChangingEvent OnColChanging;
    TCellChangingEvent OnCellChanging;
    TRowDisjunctSelectEvent OnRowDisjunctSelect;
    TRowDisjunctSelectedEvent OnRowDisjunctSelected;
    TDateTimeChangeEvent OnDateTimeChange;
    TCellBalloonEvent OnCellBalloon;

    // ======== Services of the editing part the core calls (base behaviour until it lands) ========
    virtual bool ValidateCell(const AnsiString& NewValue);
    virtual bool ValidateCellWide(const WideString& NewValue);
    virtual void InitValidate(Integer ACol, Integer ARow);

    // ======== In-place editor host (edit/EditorHost.cpp) ========
    // Starts an edit of the current cell: the kind comes from the cell's editor type, the text
    // editor or the kind's control is placed over the cell, filled and shown. Returns whether
    // an edit is open.
    bool OpenEditor(TEditOpenedBy By);
    // Writes the open editor's value back into its cell.
    void CommitEditor();
    // Ends the edit: writes back, hides the editor.
    void HideInplaceEdit();
    void ShowEditControl(Integer ACol, Integer ARow);
    const TGridEditingState& Editing() const { return FEdit.Editing; }
    const TGridEditorControls& Editors() const { return FEditors; }

    // ======== Painting, visual properties, cell content (edit/GridPaint.cpp, edit/GridVisual.cpp,
    // edit/GridContent.cpp) ========
    void GetVisualProperties(Integer ACol, Integer ARow, TGridDrawState& AState, bool Print, bool Select,
                             bool Remap, TBrush* ABrush, TColor& ColorTo, TColor& MirrorColor,
                             TColor& MirrorColorTo, TFont* AFont, TAlignment& HAlign, TVAlignment& VAlign,
                             bool& WordWrap, TCellGradientDirection& GradientDir) override;
    void GetFontProperties(Integer ACol, Integer ARealCol, Integer ARow, TGridDrawState& AState, TFont* AFont,
                           TBrush* ABrush, bool Flag);
    // The cell's horizontal and vertical alignment: the record's, then the alignment hook.
    void GetCellAlignment(Integer ACol, Integer ARow, TAlignment& HAlign, TVAlignment& VAlign);
    virtual AnsiString GetFormattedCell(Integer ACol, Integer ARow);
    virtual void SelectionChanged(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
    virtual void EditProgress(const AnsiString& Value, TPoint Pt, Integer SelStart) {}
    virtual void DoFilterDone();
    virtual AnsiString CalcCell(Integer ACol, Integer ARow);
    virtual AnsiString SaveCell(Integer ACol, Integer ARow);
    virtual void LoadCell(Integer ACol, Integer ARow, const AnsiString& Value);
    virtual void ExportNotification(TGridExportState, Integer) {}
    virtual void ImportNotification(TGridImportState, Integer) {}
    void DrawGridCell(TCanvas* Canvas, Integer ACol, Integer ARow, TRect ARect,
                      TGridDrawState AState) override;
    // The cell paint steps in their order (edit/PaintSteps.h). A later part adds its step with
    // InsertCellPaintStep before the named step (at the end when no step has that name).
    TGridPaintSteps& CellPaintSteps();
    void InsertCellPaintStep(const AnsiString& Before, TGridPaintStep Step);
    // Paints one cell onto a printer's (or any) canvas in ARect through the same steps as the
    // screen, with Printing set: no hover look, no focus rectangle, no OnDrawCell.
    void PaintPrintedCell(TCanvas* Target, Integer ACol, Integer ARow, const TRect& ARect);
    bool HasCustomCellBorder() override { return static_cast<bool>(OnGetCellBorder); }
    // XOR sizing lines: drawing the same line twice restores the pixels.
    void DrawSizingLine(Integer X);
    void DrawSizingLineR(Integer Y);
    // Number of WM_PAINT messages that painted (not suppressed by the update lock).
    Integer PaintsDone() const { return FEdit.Paint.Paints; }
    TGridPaintState& PaintState() { return FEdit.Paint; }
    bool SaveDisplayText() const { return FEdit.Paint.SaveDisplayText; }
    void SetSaveDisplayText(bool V) { FEdit.Paint.SaveDisplayText = V; }
    bool SaveHTMLMarkup() const { return FEdit.Paint.SaveHTMLMarkup; }
    void SetSaveHTMLMarkup(bool V) { FEdit.Paint.SaveHTMLMarkup = V; }
    bool EnhTextSize() const { return FEdit.Paint.EnhTextSize; }
    void SetEnhTextSize(bool V);
    bool URLShow() const { return FEdit.Paint.URLShow; }
    void SetURLShow(bool V);
    bool URLFull() const { return FEdit.Paint.URLFull; }
    void SetURLFull(bool V);
    bool EnableBlink() const { return FEdit.Paint.EnableBlink; }
    void SetEnableBlink(bool V) { FEdit.Paint.EnableBlink = V; }
    bool Hovering() const { return FEdit.Paint.Hovering; }
    void SetHovering(bool V) { FEdit.Paint.Hovering = V; }
    void SetZIVGradFrom(TColor C);
    void SetZIVGradTo(TColor C);
    void SetZIVGradMirrorFrom(TColor C);
    void SetZIVGradMirrorTo(TColor C);
    void SetSortIndicator(Integer ACol, TSortDirection Dir);

    TGridGradientEvent OnGetCellGradient;
    TFloatFormatEvent OnGetFloatFormat;
    TCellSaveLoadEvent OnSaveCell;
    TCellSaveLoadEvent OnLoadCell;
    TSelectionChangedEvent OnSelectionChanged;
    TNotifyEvent OnFilterDone;
    TGridDrawCellEvent OnDrawCell;
    TCustomCellDrawEvent OnCustomCellDraw;
    TGridBorderPropEvent OnGetCellBorderProp;
    TNotifyEvent OnPaintDone;

    // ======== Focus, update lock and grid timer (edit/GridFocusTimer.cpp) ========
    void BeginUpdate();
    void EndUpdate();
    void StartUpdate() { ++FEdit.UpdateCount; }
    void ResetUpdate();
    bool GetLockFlag() const { return FEdit.UpdateCount != 0; }
    void SetLockFlag(bool Value);
    Integer UpdateLockCount() const { return FEdit.UpdateCount; }
    void ResetFixedCellHighlight();
    // Type-ahead text of incremental lookup (emptied by the grid timer two seconds after the
    // last key).
    const AnsiString& LookupBuffer() const { return FEdit.Paint.LookupBuffer; }
    void AddLookupKey(char Key);
    Integer TimerTicks() const { return FEdit.Paint.TimerTicks; }
    bool BlinkPhase() const { return FEdit.Paint.BlinkPhase; }
    bool AutoGotoIncremental() const { return FEdit.Paint.AutoGotoIncremental; }
    // Records the widths of all columns and the grid's width as the base of
    // ColumnSize.SynchWithGrid.
    void InitOrigColSizes();
    // RTF text forms of a cell: an empty cell clears the rich edit, otherwise its bytes are
    // loaded as an RTF stream; RichToString answers the rich edit's text as RTF.
    void CellToRich(Integer ACol, Integer ARow, TCustomRichEdit* RichEdit);
    AnsiString RichToString(TCustomRichEdit* RichEdit);
    void RichToCell(Integer ACol, Integer ARow, TCustomRichEdit* RichEdit);
    TZurIdodAdod* RichEdit() const { return FRichMeasure; }
    // RTF cell text drawn into a rectangle of any canvas (screen or printer) through the hidden
    // rich edit.
    void RTFPaint(Integer ACol, Integer ARow, TRect ARect, TCanvas* Canvas);
    void SetAutoGotoIncremental(bool V) { FEdit.Paint.AutoGotoIncremental = V; }

    // ======== Cell accessors, selection and display services (exchange/CellAccess.cpp) ========
    AnsiString GetCurrentCell();
    AnsiString GetCurrentDisplCell();
    void SetCurrentCell(const AnsiString& Value);
    bool IsWideCell(Integer ACol, Integer ARow);
    WideString GetWideCells(Integer ACol, Integer ARow);
    void SetWideCells(Integer ACol, Integer ARow, const WideString& Value);
    WideString GetWideCellsEx(Integer ACol, Integer ARow);
    // By real row and real column, hidden rows served from their store: the cell's user object,
    // the raw object slot, and the widths of real columns (a hidden column's saved width).
    TObject* GetObjectsEx(Integer ACol, Integer ARow);
    void SetObjectsEx(Integer ACol, Integer ARow, TObject* AObject);
    TObject* GetAllGraphicsObject(Integer ACol, Integer ARow);
    Integer GetAllColWidths(Integer ACol);
    void SetAllColWidths(Integer ACol, Integer W);
    void SetWideCellsEx(Integer ACol, Integer ARow, const WideString& Value);
    AnsiString GetStrippedCell(Integer ACol, Integer ARow);
    Integer GetLinesInCell(Integer ACol, Integer ARow);
    TColor GetColors(Integer ACol, Integer ARow) const;
    void SetColors(Integer ACol, Integer ARow, TColor Value);
    TColor GetColorsTo(Integer ACol, Integer ARow) const;
    void SetColorsTo(Integer ACol, Integer ARow, TColor Value);
    TColor GetFontColors(Integer ACol, Integer ARow) const;
    void SetFontColors(Integer ACol, Integer ARow, TColor Value);
    TFontStyles GetFontStyles(Integer ACol, Integer ARow) const;
    void SetFontStyles(Integer ACol, Integer ARow, TFontStyles Value);
    AnsiString GetFontNames(Integer ACol, Integer ARow) const;
    void SetFontNames(Integer ACol, Integer ARow, const AnsiString& Value);
    Integer GetFontSizes(Integer ACol, Integer ARow) const;
    void SetFontSizes(Integer ACol, Integer ARow, Integer Value);
    TAlignment GetAlignments(Integer ACol, Integer ARow) const;
    void SetAlignments(Integer ACol, Integer ARow, TAlignment Value);
    TCellGradientDirection GetGradientDir(Integer ACol, Integer ARow) const;
    void SetGradientDir(Integer ACol, Integer ARow, TCellGradientDirection Value);
    void SetReadOnly(Integer ACol, Integer ARow, bool Value);
    bool GetWordWraps(Integer ACol, Integer ARow);
    void SetWordWraps(Integer ACol, Integer ARow, bool Value);
    void SetRowColor(Integer ARow, TColor Value);
    void SetRowColorTo(Integer ARow, TColor Value);
    void SetRowFontColor(Integer ARow, TColor Value);
    void ResetColumnOrder();
    Integer ColumnPosition(Integer ACol) const;
    Integer ColumnAtPosition(Integer APos) const;
    Integer ColumnByHeader(const AnsiString& S);
    AnsiString GetOriginalCells(Integer ACol, Integer ARow);
    void SetOriginalCells(Integer ACol, Integer ARow, const AnsiString& Value);
    void SelectCells(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2);
    // Whether a display cell shows as selected by the selection mode in force.
    bool IsCellSelected(Integer ACol, Integer ARow);
    AnsiString SelectedText();
    TPoint GetSelectedCell(Integer AIndex) const;
    Integer GetSelectedCellsCount();
    bool GetSelectedCells(Integer ACol, Integer ARow) const;
    void SetSelectedCells(Integer ACol, Integer ARow, bool Value);
    Integer GetSelectedRowCount();
    Integer GetSelectedColCount();
    // By real row (hidden rows from their store): the raw stored text. On a hidden row a column
    // the stored row does not have raises EListError.
    AnsiString GetGridCellsEx(Integer ACol, Integer ARow);
    void SetGridCellsEx(Integer ACol, Integer ARow, const AnsiString& Value);
    // The edit text of the current cell (of its block's base cell when it is merged).
    virtual void SetEditCell(const AnsiString& Value);
    // The cursor; the one set here is the normal cursor the grid comes back to.
    TCursor GetCursorEx() const { return Cursor(); }
    void SetCursorEx(TCursor Value);
    // Pictures of mini-HTML "idx:" images.
    TCustomImageList* GridImages() const { return FEdit.Paint.GridImages; }
    void SetGridImages(TCustomImageList* Value);
    bool SelectionRTFKeep() const { return FEdit.Paint.SelectionRTFKeep; }
    void SetSelectionRTFKeep(bool V) { FEdit.Paint.SelectionRTFKeep = V; }
    Integer GetSelectedRow(Integer AIndex);
    void ClearSelectedCells();
    void ClearModifiedRows();
    void InvalidateGridRect(const TGridRect& R);
    // Grows (positive) or shrinks every cell font by AStep points.
    void Zoom(Integer AStep);
    Integer ZoomStep() const { return FEdit.Paint.Zoom; }
    TFilter* Filter() const { return FFilter.get(); }
    TFilterDropDown* FilterDropDown() const { return FFilterDropDown.get(); }

    // ======== Services of the exchange part the core calls (base behaviour until it lands) ========
    void CellControlsUpdate() {}
    void SetColumnOrder();

    // ======== Left mouse button press and release (edit/MousePress.cpp) ========
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    // Whether the cell is a fixed cell that shows hover highlighting.
    bool HoverFixedCell(Integer ACol, Integer ARow);
    // Records the fixed cell under the pointer ((-1, -1): none); only the cell losing and the
    // cell gaining the hover look are repainted.
    void SetHoverCell(Integer ACol, Integer ARow);
    // Called with the rectangle a header click is about to select; a descendant may change it.
    virtual void UpdateSelectionRect(TGridRect& R) {}
    const TGridInputState& InputState() const { return FEdit.Input; }
    TSortSettings* SortSettings() const { return FSortSettings.get(); }
    TCanClickCellEvent OnCanClickCell;
    TClickCellEvent OnClickCell;
    TCanSortEvent OnCanSort;
    TClickSortEvent OnClickSort;

    // ======== Keyboard (edit/Keyboard.cpp) ========
    void KeyDown(Word& Key, TShiftState Shift) override;
    // Moves to the next (previous) cell that takes Tab, wrapping over rows.
    void TabEdit(bool Backward);
    // SelectionChanged when the selection differs from the one recorded as the key arrived.
    void ReportSelectionChange();
    // Typed characters: cells with form controls take none; edit-on-double-click and range
    // editing open the editor with the character.
    void WMChar(TMessage& Message);
    bool ExcelStyleDecimalSeparator() const { return FEdit.Input.ExcelStyleDecimalSeparator; }
    void SetExcelStyleDecimalSeparator(bool V) { FEdit.Input.ExcelStyleDecimalSeparator = V; }
    void AppendLastRow();
    virtual void TabToNextRowAtEnd();
    virtual void QueryInsertRow(Integer ARow, bool& CanInsert);
    virtual void QueryAddRow(bool& CanAdd);
    virtual void DoInsertRow(Integer ARealRow);
    virtual void DoDeleteRow(Integer ARow);
    virtual void DoAppendRow();
    bool IsOnLastRow() const;
    // Whether the cell may be edited now (goEditing or range edit, then the read-only query).
    bool IsEditable(Integer ACol, Integer ARow);
    TCanInsertRowEvent OnCanInsertRow;
    TCanDeleteRowEvent OnCanDeleteRow;
    TAutoInsertRowEvent OnAutoInsertRow;
    TAutoDeleteRowEvent OnAutoDeleteRow;
    TCanAddRowEvent OnCanAddRow;
    TAutoAddRowEvent OnAutoAddRow;

    // ======== Sorting (exchange/Sorting.cpp) ========
    virtual void QSort();
    void Sort(Integer ACol, TSortDirection ADirection);
    void SortByColumn(Integer ACol);
    virtual void QSortIndexed();
    virtual void QUnSort();
    void InitSortXRef();
    // After QUnSort put the shown rows in their first order: hidden rows go to their places.
    void PlaceHiddenRowsUnsorted();
    // Sorts rows ALeft..ARight by the column (real index) in the current direction.
    void QuickSort(Integer ACol, Integer ALeft, Integer ARight);
    void QuickSortIndexed(Integer ALeft, Integer ARight);
    // -1, 0 or 1: how row ARow1 orders against ARow2 in the real column ACol.
    Integer Compare(Integer ACol, Integer ARow1, Integer ARow2, TSortDirection ADirection);
    // Compare with the tie-break over the following columns.
    Integer CompareLine(Integer ACol, Integer ARow1, Integer ARow2);
    // Exchanges rows ARow1 and ARow2 when they are out of order by the column (the following
    // columns breaking ties); answers whether it did.
    bool SortLine(Integer ACol, Integer ARow1, Integer ARow2);
    // Exchanges two display rows with everything that travels with a row.
    virtual void SortSwapRows(Integer ARow1, Integer ARow2);
    Integer SortedRowIndex(Integer ARow) const;
    Integer UnSortedRowIndex(Integer AIndex) const;
    AnsiString GetUnSortedCell(Integer ACol, Integer ARow);
    void SetUnSortedCell(Integer ACol, Integer ARow, const AnsiString& Value);
    // What a click on a sortable header does: toggle, index building, undo, then the sort.
    void HeaderClickSort(Integer RC, TShiftState Shift);
    const std::vector<Integer>& SortXRef() const { return FCore.Rows.XRef(); }
    TCustomCompareEvent OnCustomCompare;
    TRawCompareEvent OnRawCompare;

    // ======== Comma-separated files (exchange/CsvFiles.cpp) ========
    char CSVSeparator() const { return FXchg.Csv.Separator; }
    void SetCSVSeparator(char V) { FXchg.Csv.Separator = V; }
    bool CSVTildeLineBreaks() const { return FXchg.Csv.TildeLineBreaks; }
    void SetCSVTildeLineBreaks(bool V) { FXchg.Csv.TildeLineBreaks = V; }
    bool CSVQuoteAll() const { return FXchg.Csv.QuoteAll; }
    void SetCSVQuoteAll(bool V) { FXchg.Csv.QuoteAll = V; }
    bool EmptyCellsAsQuotes() const { return FXchg.Csv.EmptyCellsAsQuotes; }
    void SetEmptyCellsAsQuotes(bool V) { FXchg.Csv.EmptyCellsAsQuotes = V; }
    bool CSVReadFirstLine() const { return FXchg.Csv.ReadFirstLine; }
    void SetCSVReadFirstLine(bool V) { FXchg.Csv.ReadFirstLine = V; }
    bool Multilinecells() const { return FXchg.Csv.Multilinecells; }
    void SetMultilinecells(bool V) { FXchg.Csv.Multilinecells = V; }
    bool OemConvert() const { return FXchg.Csv.OemConvert; }
    void SetOemConvert(bool V) { FXchg.Csv.OemConvert = V; }
    void SaveToCSV(const AnsiString& FileName) { OutputToCSV(FileName, false); }
    void AppendToCSV(const AnsiString& FileName) { OutputToCSV(FileName, true); }
    void OutputToCSV(const AnsiString& FileName, bool Append);
    void LoadFromCSV(const AnsiString& FileName, Integer MaxRows = 0)
    {
        InputFromCSV(FileName, false, MaxRows);
    }
    void InsertFromCSV(const AnsiString& FileName, Integer MaxRows = 0)
    {
        InputFromCSV(FileName, true, MaxRows);
    }
    // Reads the whole file before the grid changes; a file that would make more than 1,048,576
    // rows or 16,384 columns raises ERudUvudError and leaves the grid as it was.
    void InputFromCSV(const AnsiString& FileName, bool Insert, Integer MaxRows);
    // Called after every import: the rectangle whose cells changed, then the end of the load.
    // CellsChanged fires OnCellsChanged, then tells every registered notifier in the order they
    // were registered.
    virtual void CellsChanged(const TRect& R);
    virtual void CellsLoaded();
    // A notifier is told of every change until it is unregistered or destroyed; registering it
    // twice tells it twice.
    void RegisterNotifier(TGridChangeNotifier* Notifier);
    void UnRegisterNotifier(TGridChangeNotifier* Notifier);
    TCellsChangedEvent OnCellsChanged;

    // ======== Fixed-width files, text tables, HTML export, native text format
    // (exchange/FixedFiles.cpp, exchange/HtmlExport.cpp, exchange/NativeText.cpp) ========
    // One width per written column; missing widths are appended (the longest text + 1).
    void SaveToFixed(const AnsiString& FileName, std::vector<Integer>& Widths);
    // Positions are 1-based character positions; the last one ends the last field. MaxRows -1
    // reads every line.
    void LoadFromFixed(const AnsiString& FileName, std::vector<Integer>& Positions, bool Trim = true,
                       Integer MaxRows = -1);
    void SaveToASCII(const AnsiString& FileName) { SaveToASCIIInt(FileName, false); }
    void AppendToASCII(const AnsiString& FileName) { SaveToASCIIInt(FileName, true); }
    void SaveToASCIIInt(const AnsiString& FileName, bool Append);
    // The longest line (in characters) of the column's saved texts.
    Integer MaxCharsInCol(Integer ACol);
    void SaveToHTML(const AnsiString& FileName, bool Open = false);
    void AppendToHTML(const AnsiString& FileName) { OutputToHTML(FileName, true); }
    void OutputToHTML(const AnsiString& FileName, bool Append);
    // The whole HTML text; pictures go to Prefix + "images/".
    void SaveToHTMLString(const AnsiString& Prefix, AnsiString& Result);
    void CopyToClipBoardAsHTML();
    void SaveToFile(const AnsiString& FileName);
    void LoadFromFile(const AnsiString& FileName);
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream);
    TGridProgressEvent OnFileProgress;

    // ======== Automation exchange, binary cell stream, XML (exchange/AutomationExchange.cpp,
    // exchange/CellStream.cpp, exchange/XmlExchange.cpp) ========
    // Word processor ("Word.Application"): the whole grid, fixed cells included, as a table.
    void SaveToDOC(const AnsiString& FileName, bool NewDocument);
    void AppendToDoc(const AnsiString& FileName, const AnsiString& Bookmark);
    void SaveToDOCInt(const AnsiString& FileName, const AnsiString& Bookmark, bool NewDocument, bool Append);
    // Spreadsheet ("Excel.Application", registered by the xls library).
    void SaveToXLS(const AnsiString& FileName, bool NewWorkbook);
    void SaveToXLSSheet(const AnsiString& FileName, const AnsiString& SheetName);
    void SaveXLS(const AnsiString& FileName, const AnsiString& SheetName, bool NewWorkbook);
    // The workbook's worksheet names; the caller owns the list.
    TStringList* GetXLSSheets(const AnsiString& FileName);
    void LoadFromXLS(const AnsiString& FileName);
    void LoadFromXLSSheet(const AnsiString& FileName, const AnsiString& SheetName);
    void LoadXLS(const AnsiString& FileName, const AnsiString& SheetName);
    // Record sets ("ADODB.Connection", "ADODB.RecordSet").
    void LoadFromMDBTable(const AnsiString& FileName, const AnsiString& Table);
    void LoadFromMDBSQL(const AnsiString& FileName, const AnsiString& SQL);
    void ChangeScale(Integer M, Integer D) override;
    // Binary cell stream: a rectangle of cells (inclusive) with their properties, widths and heights.
    void SaveRectToBinStream(const TRect& R, TStream* Stream);
    void LoadAtPointFromBinStream(const TPoint& P, TStream* Stream);
    void SaveToBinStream(TStream* Stream);
    void LoadFromBinStream(TStream* Stream);
    void SaveToBinFile(const AnsiString& FileName);
    void LoadFromBinFile(const AnsiString& FileName);
    // XML documents: a list element of record elements of field elements.
    void SaveToXML(const AnsiString& FileName, const AnsiString& ListName, const AnsiString& RecordName,
                   TStrings* FieldNames, bool WriteEmptyCells = false);
    void LoadFromXML(const AnsiString& FileName, bool RowsFromAttributes = false);
    const AnsiString& XMLEncodingName() const { return FCore.XMLEncoding; }
    void SetXMLEncodingName(const AnsiString& V) { FCore.XMLEncoding = V; }
    // Fires OnFileProgress for row Pos of Span (Pos * 100 / max(1, Span), ties to even) when the
    // value differs from Last (-1 before the first row); updates Last.
    void FileProgress(Integer Pos, Integer Span, Integer& Last);

    // ======== Row and column edits (exchange/RowEdits.cpp) ========
    virtual void RemoveRows(Integer ARow, Integer ACount);
    virtual void RemoveRowsEx(Integer ARow, Integer RCount);
    virtual void InsertRows(Integer ARow, Integer ACount, bool UpdateControls = true);
    void AddRow();
    virtual void RemoveCols(Integer ACol, Integer ACount);
    virtual void InsertCols(Integer ACol, Integer ACount);
    void AddColumn();
    // Frees the cells' properties too, unless KeepPropsOnClear is set.
    virtual void ClearRect(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2);
    bool KeepPropsOnClear() const { return FXchg.KeepPropsOnClear; }
    void SetKeepPropsOnClear(bool V) { FXchg.KeepPropsOnClear = V; }
    // Clear, then the texts of every hidden row emptied (the rows stay hidden).
    void ClearAll();
    // Removes display rows with their cells' properties; rows from RowCount on are ignored.
    virtual void RemoveRowsInternal(Integer ARow, Integer ACount);
    void RemoveSelectedCols();
    void RemoveUnSelectedCols();
    void ClearRows(Integer ARow, Integer ACount);
    void ClearCols(Integer ACol, Integer ACount);
    void ClearNormalRows(Integer ARow, Integer ACount);
    void ClearNormalCols(Integer ACol, Integer ACount);
    void ClearNormalCells();
    void ClearSelection();
    void Clear();
    void RemoveSelectedRows();
    void RemoveUnSelectedRows();
    void HideSelectedRows();
    void HideUnSelectedRows();
    void RemoveDuplicates(Integer ACol, bool B);
    void MergeColumnCells(Integer ACol, bool B);
    void SplitColumnCells(Integer ACol);
    void MergeRowCells(Integer ARow, bool B);
    void SplitRowCells(Integer ARow);
    void SplitAllCells();
    void MergeCols(Integer ACol1, Integer ACol2, const AnsiString& Separator);
    bool IsCell(const AnsiString& S, Integer& ACol, Integer& ARow);

    // ======== Services of the column sizing part (base behaviour until it lands) ========
    virtual void StretchColumn(Integer ACol);
    virtual void OnMouseActionsChanged();
    virtual void OnNavigationChanged();

    // Bridge access.
    bool SelectCell(Integer ACol, Integer ARow) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void CreateWnd() override;
    void Resize() override;
    // Chooses the editor kind of the current cell; true only when the text editor is to show
    // (a kind with a control shows it here and answers false).
    bool CanEditShow() override;
    // Moves of display columns and rows (the editing part's handlers; their smallest forms).
    void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
    void RowMoved(Integer FromIndex, Integer ToIndex) override;
    void WndProc(TMessage& Message) override;
    void Paint() override;
    // The painting part's messages (WM_PAINT under the update lock, WM_TIMER of the grid timer,
    // focus); answers whether the message was handled.
    bool PaintWndProc(TMessage& Message);
    // WM_SIZE: width synchronisation, the stretched column and scroll bar visibility.
    void WMSize(TMessage& Message);
    // WM_SETCURSOR: the select-zone cursors over the headers.
    void WMSetCursor(TMessage& Message);
    // The content step of a cell: selection colours, filter glyph, selection rectangle, the text
    // by its kind and the sort indicator. RC is the real column.
    // The built-in paint steps and the set-up they share (edit/GridPaint.cpp).
    TGridCellPaint CellPaintSetUp(TCanvas* Canvas, Integer ACol, Integer ARow, const TRect& ARect,
                                  TGridDrawState AState, bool Printing);
    void RunCellPaintSteps(TGridCellPaint& P);
    void PaintFixedLook(TGridCellPaint& P);
    void PaintModifiedMarker(TGridCellPaint& P);
    void PaintContent(TGridCellPaint& P);
    void PaintBorders(TGridCellPaint& P);
    void PaintFixedEdges(TGridCellPaint& P);
    void PaintEvents(TGridCellPaint& P);
    void PaintFocus(TGridCellPaint& P);
    void DrawCellContent(TCanvas* Canvas, Integer ACol, Integer RC, Integer ARow, TRect ARect,
                         TGridDrawState AState, TAlignment HAlign, TVAlignment VAlign, bool WordWrap,
                         TColor OwnBrush, TColor OwnFont);
    bool SortIndicatorShown(Integer RC, Integer ARow);
    bool ShowsFilterGlyph(Integer RC);
    void DrawSortIndicator(TCanvas* Canvas, Integer ACol, Integer X, Integer Y);
    void DrawFilterGlyph(TCanvas* Canvas, Integer X, Integer Y);
    void WMTimer(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void DoEnter() override;

    // Row cells of the whole real-column width: move a row's cells out, put them back; swap
    // two rows (every real column) with their heights.
    std::vector<TGridCell> TakeRowCells(Integer ARow);
    void PutRowCells(Integer ARow, std::vector<TGridCell>&& Cells);
    void ExchangeRowData(Integer A, Integer B);
    // Plain count change with the bookkeeping of the RowCount setter but without moving a footer
    // row (the hiding code moves every row itself).
    // Fixed rows and columns the counts had lowered come back when the counts allow.
    void RestoreRequestedFixed();
    void SetRowCountRaw(Integer Value);
    void RebuildColMaps();
    Integer HiddenBelow(Integer RealRow) const; // hidden entries with Idx < RealRow
    // Puts entries (ascending real index, removed from the store already) back as rows.
    void RestoreEntries(std::vector<TGridItem>&& Entries);
    // Removes the listed display rows (ascending, distinct) in one pass that moves every later
    // row once; the removed rows' cells and heights go to Out when given (else their records are
    // freed).
    void CompactRows(const std::vector<Integer>& Rows, std::vector<TGridItem>* Out);
    // Opens rows at the given final display positions (ascending) in one pass from the end,
    // filled from Fill (same order) or empty with the default height.
    void ExpandRows(const std::vector<Integer>& Positions, std::vector<TGridItem>* Fill);

    TGridCoreState FCore;
    TGridEditState FEdit;
    TGridExchangeState FXchg;

private:
    void CreateOwnedControls();
    void ProbePlatform();
    void HookOwnerForm();
    void UnhookOwnerForm();
    void GridResize(TObject* Sender);
    // Shared with the owner form's resize handler, which outlives the grid: cleared when the
    // grid goes, so the form's handler chain skips this grid from then on.
    std::shared_ptr<TDidAririzEvar*> FResizeLink;

    std::unique_ptr<TSearchFooter> FSearchFooter;
    std::unique_ptr<TFloatingFooter> FFloatingFooter;
    std::unique_ptr<TPrintSettings> FPrintSettings;
    std::unique_ptr<THTMLSettings> FHTMLSettings;
    std::unique_ptr<TSortSettings> FSortSettings;
    std::unique_ptr<TDragDropSettings> FDragDropSettings;
    std::unique_ptr<TDragScrollOptions> FDragScrollOptions;
    std::unique_ptr<TControlLook> FControlLook;
    std::unique_ptr<TNavigation> FNavigation;
    std::unique_ptr<TColumnSize> FColumnSize;
    std::unique_ptr<TCellNode> FCellNode;
    std::unique_ptr<TBands> FBands;
    std::unique_ptr<TSizeWhileTyping> FSizeWhileTyping;
    std::unique_ptr<TMouseActions> FMouseActions;
    std::unique_ptr<TGrouping> FGrouping;
    std::unique_ptr<TStringList> FColumnHeaders;
    std::unique_ptr<THTMLPictureCache> FPictureCache;
    std::unique_ptr<TFont> FFixedFont;
    std::unique_ptr<TFont> FActiveCellFont;
    std::unique_ptr<TStringList> FRowHeaders;
    std::unique_ptr<TStringList> FExtraList;
    std::unique_ptr<TStringList> FLookupItems;
    std::unique_ptr<TBitmap> FRowIndicator;
    std::unique_ptr<TBackGround> FBackGround;
    std::unique_ptr<TControlList> FControlList;
    std::unique_ptr<TGridProgressAppearance> FProgressAppearance;
    std::unique_ptr<TFilter> FFilter;
    std::unique_ptr<TBalloonSettings> FBalloon;
    std::unique_ptr<TShowModified> FShowModified;
    std::unique_ptr<TFilterDropDown> FFilterDropDown;
    std::unique_ptr<TStringList> FFilterList;
    // Child controls (components owned by the grid).
    TFooterPanel* FFooterPanel = nullptr;
    TSearchPanel* FSearchPanel = nullptr;
    THTMLHintWindow* FHintWindow = nullptr;
    TDropList* FDropList = nullptr;
    std::vector<TControl*> FOwnedControls; // editors, arrows, rich edits, scroll bar
    TGridEditorControls FEditors;          // the editors among them, by type
    // The hidden rich edits: the first paints, measures and converts RTF cells; the second edits.
    TZurIdodAdod* FRichMeasure = nullptr;
    TZurIdodAdod* FRichEditor = nullptr;
    TScrollBar* FCellScrollBar = nullptr;
};
