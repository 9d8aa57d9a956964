// Members of TDidAririzEvar for copy, cut and paste through the clipboard (exchange/Clipboard.cpp).
// Included only inside the class body in core/RudUvud.h.
//
// A copy puts tab-separated text on the clipboard and, when Navigation allows them, the top-left
// cell's RTF and the binary cell stream under "TDidAririzEvar Cells". A paste takes the cell
// stream, else RTF, else text. Clipboard data may come from any program: a paste checks it whole
// before the grid changes, refuses data beyond the import limits (ERudUvudError, nothing
// changed) and never stores outside the grid's cells except where the growth settings allow it.

public:
// ======== Clipboard (exchange/Clipboard.cpp) ========
// The save range / the selection (widened over merged blocks) as text and the enabled formats.
void CopyToClipBoard();
void CopySelectionToClipboard();
// Copy, then empty the cells that may be edited (or every one with AllowClipboardAlways).
void CutToClipboard();
void CutSelectionToClipboard();
// Pastes at the first save cell.
void PasteFromClipboard();
// Pastes at the selection; with AllowSmartClipboard one value fills it, two values in a row or
// column continue as a series or a repeated pattern, and a block repeats over it.
void PasteSelectionFromClipboard();
// Pastes at a display cell; returns the number of pasted fields (cells of the cell stream).
Integer PasteFunc(Integer ACol, Integer ARow, Integer& Cols, Integer& Rows);
// Pastes tab-separated lines (CR LF, CR or LF line ends; a field in double quotes may hold line
// breaks and doubled quotes). Rows gets the number of lines, Cols the fields of the last one.
Integer PasteText(Integer ACol, Integer ARow, const char* Text, Integer& Cols, Integer& Rows);
// X = the most fields in a line, Y = the non-empty lines - 1.
TPoint PasteSize(const char* Text);
// Stores one pasted value at a display cell (a check box is set by the check-true text).
virtual void PasteInCell(Integer ACol, Integer ARow, const AnsiString& Value);
// Widens the selection over merged blocks at its corners.
void CorrectSelection();
bool CopyMultiLineAsCSV() const
{
    return FCopyMultiLineAsCSV;
}
void SetCopyMultiLineAsCSV(bool V)
{
    FCopyMultiLineAsCSV = V;
}
// The top-left cell of the last copy ((-1, -1) before any) and the last operation.
TPoint CopyOrigin() const
{
    return FCopyOrigin;
}
TClipOperation LastClipOperation() const
{
    return FLastClipOperation;
}
TClipboardBeforePasteWideEvent OnClipboardBeforePasteWideCell;
TClipboardAfterPasteWideEvent OnClipboardAfterPasteWideCell;

protected:
void CopyFunc(const TGridRect& R, bool Disjunct);
void CopyRTFFunc(Integer ACol, Integer ARow);
void CopyBinFunc(const TGridRect& R);
virtual void PasteStart() {}
virtual void PasteDone() {}
// After a paste: marks the pasted rows modified when ShowModified is enabled.
virtual void PasteNotify(TPoint Origin, TGridRect PastedArea, TClipOperation Operation);
virtual void CellSelect(Integer, Integer) {}
virtual bool DoAllowFmtPaste();
// The clipboard keys of the keyboard handling (Ctrl+X/V/C, Ctrl/Shift+Insert, Shift+Delete);
// true when the key was one of them.
bool ClipboardShortCut(Word Key, TShiftState Shift);

private:
AnsiString CopyCellText(Integer ACol, Integer ARow);
void StorePastedField(Integer ACol, Integer ARow, AnsiString Value);
void SmartPaste(const TGridRect& S, Integer N);
TPoint FCopyOrigin{-1, -1};
TClipOperation FLastClipOperation = coCut;
bool FCopyMultiLineAsCSV = false;
bool FPastingAll = false;
