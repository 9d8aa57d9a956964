// Members of TDidAririzEvar declared by the exchange part: cell accessors, files, streams,
// automation, XML and row and column edits (exchange/). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
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
TCursor GetCursorEx() const
{
    return Cursor();
}
void SetCursorEx(TCursor Value);
// Pictures of mini-HTML "idx:" images.
TCustomImageList* GridImages() const;
void SetGridImages(TCustomImageList* Value);
bool SelectionRTFKeep() const;
void SetSelectionRTFKeep(bool V);
Integer GetSelectedRow(Integer AIndex);
void ClearSelectedCells();
void ClearModifiedRows();
void InvalidateGridRect(const TGridRect& R);
// Grows (positive) or shrinks every cell font by AStep points.
void Zoom(Integer AStep);
Integer ZoomStep() const;
TFilter* Filter() const
{
    return FFilter.get();
}
TFilterDropDown* FilterDropDown() const
{
    return FFilterDropDown.get();
}

// ======== Balloon hints (exchange/GridHints.cpp) ========
// The balloon text a cell offers (tabs as blanks, leading line breaks skipped, at most 1024
// characters) and its title; what the tool tip shows for TTN_NEEDTEXT.
void CellBalloonText(Integer ACol, Integer ARow, AnsiString& Title, AnsiString& Text, Integer& Icon);
TCellBalloonEvent OnCellBalloon;

// ======== Services of the exchange part the core calls (base behaviour until it lands) ========
void SetColumnOrder();

// ======== Comma-separated files (exchange/CsvFiles.cpp) ========
char CSVSeparator() const;
void SetCSVSeparator(char V);
bool CSVTildeLineBreaks() const;
void SetCSVTildeLineBreaks(bool V);
bool CSVQuoteAll() const;
void SetCSVQuoteAll(bool V);
bool EmptyCellsAsQuotes() const;
void SetEmptyCellsAsQuotes(bool V);
bool CSVReadFirstLine() const;
void SetCSVReadFirstLine(bool V);
bool Multilinecells() const;
void SetMultilinecells(bool V);
bool OemConvert() const;
void SetOemConvert(bool V);
void SaveToCSV(const AnsiString& FileName)
{
    OutputToCSV(FileName, false);
}
void AppendToCSV(const AnsiString& FileName)
{
    OutputToCSV(FileName, true);
}
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
// A notifier is told of every change until it is unregistered or destroyed; one already
// registered is not added again.
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
void SaveToASCII(const AnsiString& FileName)
{
    SaveToASCIIInt(FileName, false);
}
void AppendToASCII(const AnsiString& FileName)
{
    SaveToASCIIInt(FileName, true);
}
void SaveToASCIIInt(const AnsiString& FileName, bool Append);
// The longest line (in characters) of the column's saved texts.
Integer MaxCharsInCol(Integer ACol);
void SaveToHTML(const AnsiString& FileName, bool Open = false);
void AppendToHTML(const AnsiString& FileName)
{
    OutputToHTML(FileName, true);
}
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
const AnsiString& XMLEncodingName() const;
void SetXMLEncodingName(const AnsiString& V);
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
bool KeepPropsOnClear() const;
void SetKeepPropsOnClear(bool V);
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

protected:
// Moves of display columns and rows (the editing part's handlers; their smallest forms).
void ColumnMoved(Integer FromIndex, Integer ToIndex) override;
void RowMoved(Integer FromIndex, Integer ToIndex) override;
