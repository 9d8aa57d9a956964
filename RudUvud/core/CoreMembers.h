// Members of TDidAririzEvar declared by the grid core: construction, window set-up and copying,
// per-cell hooks, dimensions, hidden rows and columns, selection and the column sizing services
// (core/). Included only inside the class body in core/RudUvud.h; the types these declarations use
// are included there.

public:
// ======== Construction, window set-up, copying (core/GridCreate.cpp) ========
// Copies settings and cells from another string grid; any other source is ignored.
void Assign(TPersistent* Source) override;
virtual void AssignCells(TPersistent* Source);
void Invalidate() override;
void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
void UpdateScrollBars(bool Force);
void Loaded() override;

TCellNode* CellNode() const
{
    return FCellNode.get();
}
TSizeWhileTyping* SizeWhileTyping() const
{
    return FSizeWhileTyping.get();
}
TMouseActions* MouseActions() const
{
    return FMouseActions.get();
}
TColumnSize* ColumnSize() const
{
    return FColumnSize.get();
}
TNavigation* Navigation() const
{
    return FNavigation.get();
}
THTMLSettings* HTMLSettings() const
{
    return FHTMLSettings.get();
}
TPrintSettings* PrintSettings() const
{
    return FPrintSettings.get();
}
TFloatingFooter* FloatingFooter() const
{
    return FFloatingFooter.get();
}
TSearchFooter* SearchFooter() const
{
    return FSearchFooter.get();
}
TControlLook* ControlLook() const
{
    return FControlLook.get();
}
TGrouping* Grouping() const
{
    return FGrouping.get();
}
TBands* Bands() const
{
    return FBands.get();
}
TBackGround* BackGround() const
{
    return FBackGround.get();
}
TBalloonSettings* Balloon() const
{
    return FBalloon.get();
}
TFont* FixedFont() const
{
    return FFixedFont.get();
}
TFont* ActiveCellFont() const
{
    return FActiveCellFont.get();
}
TStringList* ColumnHeaders() const
{
    return FColumnHeaders.get();
}
TStringList* RowHeaders() const
{
    return FRowHeaders.get();
}
TStringList* LookupItems() const
{
    return FLookupItems.get();
}
TStringList* FilterValues() const
{
    return FFilterList.get();
}
bool IntegralHeight() const;
void SetIntegralHeight(bool V);
TScrollBarAlways ScrollBarAlways() const;
void SetScrollBarAlways(TScrollBarAlways V);
TScrollType ScrollType() const;
Integer ScrollWidth() const;
TGridLook Look() const;
TEditorType DefaultEditor() const;
void SetDefaultEditor(TEditorType V);
bool FilterDropDownAuto() const;
void SetFilterDropDownAuto(bool V);
const AnsiString& FilterDropDownClear() const;
void SetFilterDropDownClear(const AnsiString& V);
const AnsiString& FloatFormat() const;
bool IncludeFixedCells() const;
void SetIncludeFixedCells(bool V);
bool IncludeHiddenColumns() const;
void SetIncludeHiddenColumns(bool V);
bool ActiveCellShow() const;
void SetActiveCellShow(bool V);
TColor ActiveCellColor() const;
void SetActiveCellColor(TColor V);
bool IsXPFlag() const;
UINT_PTR GridTimerId() const;

// ======== Per-cell query hooks (core/CellHooks.cpp) ========
virtual void GetCellColor(Integer ACol, Integer ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont);
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
// The character a password cell shows for each of its characters.
char CellPasswordChar() const;
void SetCellPasswordChar(char Value);
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
// Whether the base cell's decoration is edited without the text editor (check boxes,
// radio buttons, buttons).
bool HasStaticEdit(Integer ACol, Integer ARow);
// The read-only state of a cell's record.
bool GetReadOnly(Integer ACol, Integer ARow);
// Real-row text access (hidden rows read inside their store entry).
AnsiString GetCellsEx(Integer ACol, Integer ARow);
void SetCellsEx(Integer ACol, Integer ARow, const AnsiString& Value);
Integer GetAllRowCount()
{
    return TotalRowCount();
}
Integer GetAllColCount()
{
    return TotalColCount();
}

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
Integer RowCount() const
{
    return TBaseGrid::RowCount();
}
void SetRowCount(Integer Value);
Integer ColCount() const
{
    return TBaseGrid::ColCount();
}
void SetColCount(Integer Value);
Integer FixedRows() const;
void SetFixedRows(Integer Value);
Integer FixedCols() const;
void SetFixedCols(Integer Value);
Integer DefaultRowHeight() const
{
    return TBaseGrid::DefaultRowHeight();
}
void SetDefaultRowHeight(Integer Value);
Integer FixedRowHeight() const;
void SetFixedRowHeight(Integer Value);
Integer FixedColWidth() const
{
    return ColWidths(0);
}
void SetFixedColWidth(Integer Value);
Integer FixedFooters() const;
void SetFixedFooters(Integer Value);
Integer FixedRightCols() const;
void SetFixedRightCols(Integer Value);
bool FixedRowAlways() const;
void SetFixedRowAlways(bool V);
bool FixedColAlways() const;
void SetFixedColAlways(bool V);
bool WordWrap() const;
void SetWordWrap(bool Value);
// The names the application and the spreadsheet bridge call.
Integer GetRowCountEx() const
{
    return RowCount();
}
void SetRowCountEx(Integer Value)
{
    SetRowCount(Value);
}
Integer GetColCountEx() const
{
    return ColCount();
}
void SetColCountEx(Integer Value)
{
    SetColCount(Value);
}
Integer GetFixedRowsEx() const
{
    return FixedRows();
}
void SetFixedRowsEx(Integer Value)
{
    SetFixedRows(Value);
}
Integer GetFixedColsEx() const
{
    return FixedCols();
}
void SetFixedColsEx(Integer Value)
{
    SetFixedCols(Value);
}
void SetDefRowHeightEx(Integer Value)
{
    SetDefaultRowHeight(Value);
}
bool GetWordWrapEx() const
{
    return WordWrap();
}
Integer LargestRowCount() const;
Integer LargestColCount() const;

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
// The stored row of the hidden row whose real index is AIdx; null when that row is not hidden.
const TGridItem* HiddenRow(Integer AIdx) const;
// The per-row tables and the structural edits applied to all of them.
TGridRowTables& RowTables();
const TGridRowTables& RowTables() const;
Integer NumHiddenRows() const;
Integer TotalRowCount() const
{
    return RowCount() + NumHiddenRows();
}
Integer HideLevel() const;
const THiddenRows& HiddenRowStore() const;
void HideColumn(Integer ACol);
void HideColumns(Integer FromCol, Integer ToCol);
void UnHideColumn(Integer ACol);
void UnHideColumns(Integer FromCol, Integer ToCol);
void UnHideColumnsAll();
bool IsHiddenColumn(Integer ACol) const;
Integer NumHiddenColumns() const;
Integer TotalColCount() const;
bool GetVisibleCol(Integer ACol) const;
void SetVisibleCol(Integer ACol, bool Value);
Integer RealRowIndex(Integer ARow) const;
Integer DisplRowIndex(Integer ARow) const;
Integer RealColIndex(Integer ACol);
Integer DisplColIndex(Integer ACol) override;
Integer RemapRow(Integer ARow) const
{
    return DisplRowIndex(ARow);
}
Integer RemapRowInv(Integer ARow) const
{
    return RealRowIndex(ARow);
}
Integer RemapCol(Integer ACol)
{
    return RealColIndex(ACol);
}
Integer RemapColInv(Integer ACol)
{
    return DisplColIndex(ACol);
}
Integer GetRealRow() const
{
    return RealRowIndex(Row());
}
Integer GetRealCol()
{
    return RealColIndex(Col());
}
Integer GetRowEx() const
{
    return Row();
}
void SetRowEx(Integer Value);
Integer GetTopRowEx() const
{
    return TopRow();
}
void SetTopRowEx(Integer Value)
{
    SetTopRow(Value);
}
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
TGridRect GetSelectionEx() const
{
    return Selection();
}
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
std::vector<Integer> SelectedRowOrder() const;
bool GetRowModified(Integer ARow) const;
bool RowModified(Integer ARow) const
{
    return GetRowModified(ARow);
}
void SetRowModified(Integer ARow, bool Value);
Integer ModifiedRowCount() const;
void RepaintRow(Integer ARow);
void RepaintCol(Integer ACol);
void RepaintRect(const TRect& R);
void SwapCells(const TGridCoord& A, const TGridCoord& B);
void UpdateActiveCells(Integer OldCol, Integer OldRow, Integer NewCol, Integer NewRow);
void WMNotify(TMessage& Message);

TColor SelectionColor() const;
void SetSelectionColor(TColor V);
TColor SelectionColorTo() const;
void SetSelectionColorTo(TColor V);
TColor SelectionMirrorColor() const;
void SetSelectionMirrorColor(TColor V);
TColor SelectionMirrorColorTo() const;
void SetSelectionMirrorColorTo(TColor V);
TColor SelectionTextColor() const;
void SetSelectionTextColor(TColor V);
bool SelectionRectangle() const;
THoverFixedCells HoverFixedCells() const;
void SetHoverFixedCells(THoverFixedCells V);
bool FixedAsButtons() const;
void SetFixedAsButtons(bool V);
void SetSelectionRectangle(bool V);
bool SelectionResizer() const;
void SetSelectionResizer(bool V);
Integer MaxEditLength() const;
void SetMaxEditLength(Integer V);
TVAlignment VAlignment() const;
void SetVAlignment(TVAlignment V);
bool AutoSize() const;
void SetAutoSize(bool V);
bool Flat() const;
void SetFlat(bool V);
bool EditingSuspended() const;
const AnsiString& EditCache() const;
void SetQuietSelect(bool V);

TChangingEvent OnRowChanging;
TChangingEvent OnColChanging;
TCellChangingEvent OnCellChanging;
TRowDisjunctSelectEvent OnRowDisjunctSelect;
TRowDisjunctSelectedEvent OnRowDisjunctSelected;
TDateTimeChangeEvent OnDateTimeChange;

// ======== Services of the column sizing part (core/GridSizing.cpp) ========
virtual void StretchColumn(Integer ACol);
virtual void OnMouseActionsChanged();
virtual void OnNavigationChanged();

// Bridge access.
bool SelectCell(Integer ACol, Integer ARow) override;
void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
void WndProc(TMessage& Message) override;
void CreateWnd() override;
void Resize() override;

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
// Hides the listed display rows (ascending; others skipped) in one compaction pass, their store
// entries carrying Level; the hide level counter is left alone.
void HideRowsInLevel(const std::vector<Integer>& List, Integer Level);
// Opens rows at the given final display positions (ascending) in one pass from the end,
// filled from Fill (same order) or empty with the default height.
void ExpandRows(const std::vector<Integer>& Positions, std::vector<TGridItem>* Fill);

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
