// Members of TDidAririzEvar declared by typed cell access: cells as integers, floats, dates and
// times, values of controls in a cell's mini-HTML, the version, print column widths, column and
// row headers, merged columns, highlighting and marking, and range fills (core/GridTyped.cpp).
// Included only inside the class body in core/RudUvud.h; the types these declarations use are
// included there.

public:
// ======== Typed cell access, headers, marking and fills (core/GridTyped.cpp) ========
// ACol is a real column, ARow a displayed row (AllFloats: a real row). The getters raise
// ERudUvudError for a text that is not a number; dates and times raise the platform's conversion
// error.
void SetInts(Integer ACol, Integer ARow, Integer Value);
Integer GetInts(Integer ACol, Integer ARow);
void SetFloats(Integer ACol, Integer ARow, Double Value);
Double GetFloats(Integer ACol, Integer ARow);
void SetAllFloats(Integer ACol, Integer ARow, Double Value);
Double GetAllFloats(Integer ACol, Integer ARow);
void SetDates(Integer ACol, Integer ARow, TDateTime Value);
TDateTime GetDates(Integer ACol, Integer ARow);
void SetTimes(Integer ACol, Integer ARow, TDateTime Value);
TDateTime GetTimes(Integer ACol, Integer ARow);
Integer Ints(Integer ACol, Integer ARow)
{
    return GetInts(ACol, ARow);
}
Double Floats(Integer ACol, Integer ARow)
{
    return GetFloats(ACol, ARow);
}
Double AllFloats(Integer ACol, Integer ARow)
{
    return GetAllFloats(ACol, ARow);
}
TDateTime Dates(Integer ACol, Integer ARow)
{
    return GetDates(ACol, ARow);
}
TDateTime Times(Integer ACol, Integer ARow)
{
    return GetTimes(ACol, ARow);
}
AnsiString GetCtrlVal(Integer ACol, Integer ARow, const AnsiString& CtrlID);
void SetCtrlVal(Integer ACol, Integer ARow, const AnsiString& CtrlID, const AnsiString& Value);
void SetFloatFormat(const AnsiString& Value);
bool ShowZeroDates() const;
void SetShowZeroDates(bool Value);

// The version, four numbers from the most significant byte of GetVersionNr down.
virtual Integer GetVersionNr();
AnsiString GetVersion();
void SetVersion(const AnsiString&) {}
// Entries 0 to 511 of the last print layout; others raise ERudUvudError.
Integer GetPrintColWidth(Integer ACol);
Integer GetPrintColOffset(Integer ACol);
Integer PrintColWidth(Integer ACol)
{
    return GetPrintColWidth(ACol);
}
Integer PrintColOffset(Integer ACol)
{
    return GetPrintColOffset(ACol);
}

void SetLookupItems(TStringList* Value);
void SetFixedFont(TFont* Value);
void FixedFontChanged(TObject* Sender);
void RichSelChange(TObject* Sender);
TNotifyEvent OnRichEditSelectionChange;

// Columns whose runs of equal cells are merged (the first listed column alone decides its
// runs; every later one also ends a run where the spans of the two rows differ).
TIntList* MergedColumns() const;
void UndoColumnMerge();
void ApplyColumnMerge();
void MergedColumnsChanged(TObject* Sender, Integer ACol, Integer ARow);

// Header texts of the fixed row and the fixed column ("\n" in a text is a line break).
void SetColumnHeaders(TStringList* Value);
void ColHeaderChanged(TObject* Sender);
void ClearColumnHeaders();
void ShowColumnHeaders();
void SetRowHeaders(TStringList* Value);
void RowHeaderChanged(TObject* Sender);
void ClearRowHeaders();
void ShowRowHeaders();

// Highlighting ("hi" tags) and marking ("e" tags) of a search text in the cells' mini-HTML;
// the search runs over the visible text. DoFixed includes fixed rows and columns, footers and
// right fixed columns.
AnsiString HilightText(bool CaseSensitive, const AnsiString& S, const AnsiString& AText);
AnsiString UnHilightText(const AnsiString& S);
AnsiString MarkText(bool CaseSensitive, const AnsiString& S, const AnsiString& AText);
AnsiString UnMarkText(const AnsiString& S);
void HilightInCell(bool CaseSensitive, Integer ACol, Integer ARow, const AnsiString& AText);
void HilightInCol(bool DoFixed, bool CaseSensitive, Integer ACol, const AnsiString& AText);
void HilightInRow(bool DoFixed, bool CaseSensitive, Integer ARow, const AnsiString& AText);
void HilightInGrid(bool DoFixed, bool CaseSensitive, const AnsiString& AText);
void UnHilightInCell(Integer ACol, Integer ARow);
void UnHilightInCol(bool DoFixed, Integer ACol);
void UnHilightInRow(bool DoFixed, Integer ARow);
void UnHilightInGrid(bool DoFixed);
void MarkInCell(bool CaseSensitive, Integer ACol, Integer ARow, const AnsiString& AText);
void MarkInCol(bool DoFixed, bool CaseSensitive, Integer ACol, const AnsiString& AText);
void MarkInRow(bool DoFixed, bool CaseSensitive, Integer ARow, const AnsiString& AText);
void MarkInGrid(bool DoFixed, bool CaseSensitive, const AnsiString& AText);
void UnMarkInCell(Integer ACol, Integer ARow);
void UnMarkInCol(bool DoFixed, Integer ACol);
void UnMarkInRow(bool DoFixed, Integer ARow);
void UnMarkInGrid(bool DoFixed);
void MarkCells(const AnsiString& AText, const AnsiString& ATag, bool CaseSensitive, Integer FromCol,
               Integer FromRow, Integer ToCol, Integer ToRow);
void UnMarkCells(const AnsiString& ATag, Integer FromCol, Integer FromRow, Integer ToCol, Integer ToRow);

// Fills of the non-fixed cells (all cells with DoFixed), row by row.
void TextFill(bool DoFixed, const AnsiString& Value);
void FormatFill(bool DoFixed, const AnsiString& Format);
void RandomFill(bool DoFixed, Integer Max);
void LinearFill(bool DoFixed);

protected:
// The print layout's tables, filled by printing.
std::array<Integer, 513>& PrintColWidths();
std::array<Integer, 513>& PrintColOffsets();

private:
// The rows and columns the highlight, mark and fill operations visit.
void RowRange(bool DoFixed, Integer& From, Integer& To);
void ColRange(bool DoFixed, Integer& From, Integer& To);
template <class F> void ForRange(bool DoFixed, F Fill);
