// Members of TDidAririzEvar declared by painting: visual properties, cell content, the paint steps,
// focus, the update lock and the grid timer (edit/). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Painting, visual properties, cell content (edit/GridPaint.cpp, edit/GridVisual.cpp,
// edit/GridContent.cpp) ========
void GetVisualProperties(Integer ACol, Integer ARow, TGridDrawState& AState, bool Print, bool Select,
                         bool Remap, TBrush* ABrush, TColor& ColorTo, TColor& MirrorColor,
                         TColor& MirrorColorTo, TFont* AFont, TAlignment& HAlign, TVAlignment& VAlign,
                         bool& WordWrap, TCellGradientDirection& GradientDir) override;
void GetFontProperties(Integer ACol, Integer ARealCol, Integer ARow, TGridDrawState& AState, TFont* AFont,
                       TBrush* ABrush, bool Flag);
virtual AnsiString GetFormattedCell(Integer ACol, Integer ARow);
virtual void SelectionChanged(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
virtual void EditProgress(const AnsiString& Value, TPoint Pt, Integer SelStart) {}
virtual void DoFilterDone();
virtual AnsiString CalcCell(Integer ACol, Integer ARow);
virtual AnsiString SaveCell(Integer ACol, Integer ARow);
virtual void LoadCell(Integer ACol, Integer ARow, const AnsiString& Value);
virtual void ExportNotification(TGridExportState, Integer) {}
virtual void ImportNotification(TGridImportState, Integer) {}
void DrawGridCell(TCanvas* Canvas, Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) override;
// The cell paint steps in their order (edit/PaintSteps.h). A later part adds its step with
// InsertCellPaintStep before the named step (at the end when no step has that name).
TGridPaintSteps& CellPaintSteps();
void InsertCellPaintStep(const AnsiString& Before, TGridPaintStep Step);
// Paints one cell onto a printer's (or any) canvas in ARect through the same steps as the
// screen, with Printing set: no hover look, no focus rectangle, no OnDrawCell. FontScale scales the
// cell's font (fitting to the page).
void PaintPrintedCell(TCanvas* Target, Integer ACol, Integer ARow, const TRect& ARect,
                      double FontScale = 1.0);
bool HasCustomCellBorder() override
{
    return static_cast<bool>(OnGetCellBorder);
}
// XOR sizing lines: drawing the same line twice restores the pixels.
void DrawSizingLine(Integer X);
void DrawSizingLineR(Integer Y);
// Number of WM_PAINT messages that painted (not suppressed by the update lock).
Integer PaintsDone() const;
TGridPaintState& PaintState();
bool SaveDisplayText() const;
void SetSaveDisplayText(bool V);
bool SaveHTMLMarkup() const;
void SetSaveHTMLMarkup(bool V);
bool EnhTextSize() const;
void SetEnhTextSize(bool V);
bool URLShow() const;
void SetURLShow(bool V);
bool URLFull() const;
void SetURLFull(bool V);
bool EnableBlink() const;
void SetEnableBlink(bool V);
bool Hovering() const;
void SetHovering(bool V);
void SetZIVGradFrom(TColor C);
void SetZIVGradTo(TColor C);
void SetZIVGradMirrorFrom(TColor C);
void SetZIVGradMirrorTo(TColor C);
void SetSortIndicator(Integer ACol, TSortDirection Dir);
// The picture shown in column 0 of the current row when there are fixed columns (the setter
// copies it).
TBitmap* RowIndicator() const;
void SetRowIndicator(TBitmap* Value);

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
void StartUpdate();
void ResetUpdate();
bool GetLockFlag() const;
void SetLockFlag(bool Value);
Integer UpdateLockCount() const;
void ResetFixedCellHighlight();
// Type-ahead text of incremental lookup (emptied by the grid timer two seconds after the
// last key).
const AnsiString& LookupBuffer() const;
void AddLookupKey(char Key);
Integer TimerTicks() const;
bool BlinkPhase() const;
bool AutoGotoIncremental() const;
// Records the widths of all columns and the grid's width as the base of
// ColumnSize.SynchWithGrid.
void InitOrigColSizes();
// RTF text forms of a cell: an empty cell clears the rich edit, otherwise its bytes are
// loaded as an RTF stream; RichToString answers the rich edit's text as RTF.
void CellToRich(Integer ACol, Integer ARow, TCustomRichEdit* RichEdit);
AnsiString RichToString(TCustomRichEdit* RichEdit);
void RichToCell(Integer ACol, Integer ARow, TCustomRichEdit* RichEdit);
TZurIdodAdod* RichEdit() const
{
    return FRichMeasure;
}
// The rich edit that edits rich-text cells.
TZurIdodAdod* RichEditor() const
{
    return FRichEditor;
}
// RTF cell text drawn into a rectangle of any canvas (screen or printer) through the hidden
// rich edit.
void RTFPaint(Integer ACol, Integer ARow, TRect ARect, TCanvas* Canvas);
void SetAutoGotoIncremental(bool V);

protected:
void Paint() override;
// The painting part's messages (WM_PAINT under the update lock, WM_TIMER of the grid timer,
// focus); answers whether the message was handled.
bool PaintWndProc(TMessage& Message);
// WM_SIZE: width synchronisation, the stretched column and scroll bar visibility.
void WMSize(TMessage& Message);
// WM_SETCURSOR: the select-zone cursors over the headers.
void WMSetCursor(TMessage& Message);
// The built-in paint steps and the set-up they share (edit/GridPaint.cpp).
TGridCellPaint CellPaintSetUp(TCanvas* Canvas, Integer ACol, Integer ARow, const TRect& ARect,
                              TGridDrawState AState, bool Printing);
void RunCellPaintSteps(TGridCellPaint& P);
void PaintFixedLook(TGridCellPaint& P);
void PaintRowIndicator(TGridCellPaint& P);
void PaintRowIndicatorEnd(TGridCellPaint& P);
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
