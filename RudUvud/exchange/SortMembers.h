// Members of TDidAririzEvar declared by sorting (exchange/Sorting.cpp). Included only inside the
// class body in core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Sorting (exchange/Sorting.cpp) ========
virtual void QSort();
void Sort(Integer ACol, TSortDirection ADirection);
void SortByColumn(Integer ACol);
virtual void QSortIndexed();
// Sorts inside the groups of the deepest node level: each expanded node of that level that
// covers more than one row besides its own has its rows ordered by SortSettings.Column in the
// current direction (QSortGroup, nothing when Column is below 0) or by SortIndexes
// (QSortGroupIndexed, nothing when the index is empty). Node rows and the rows of shallower levels
// keep their places.
virtual void QSortGroup();
virtual void QSortGroupIndexed();
virtual void QUnSort();
void InitSortXRef();
// After QUnSort put the shown rows in their first order: hidden rows go to their places.
void PlaceHiddenRowsUnsorted();
// Sorts rows ALeft..ARight by the column (real index) in the current direction.
void QuickSort(Integer ACol, Integer ALeft, Integer ARight);
void QuickSortIndexed(Integer ALeft, Integer ARight);
// The passes QuickSort and QuickSortIndexed run: rows ALeft..ARight by the column, or by the index
// entries from AIndex on (each with its direction, the following ones breaking ties with Full).
void QuickSortRows(Integer ACol, Integer ALeft, Integer ARight);
void QuickSortRowsIndexed(Integer AIndex, Integer ALeft, Integer ARight);
// The pass QUnSort runs: rows ALeft..ARight back in the order of their places in the first order
// (ACol is not used). The cross-reference list is left as it is.
void QuickSortRowsRef(Integer ACol, Integer ALeft, Integer ARight);
// -1, 0 or 1: how row ARow1 orders against ARow2 in the real column ACol.
Integer Compare(Integer ACol, Integer ARow1, Integer ARow2, TSortDirection ADirection);
// Compare with the tie-break over the following columns.
Integer CompareLine(Integer ACol, Integer ARow1, Integer ARow2);
// -1, 0 or 1 by index entry AIndex in its direction and, with Full, the following entries.
Integer CompareLineIndexed(Integer AIndex, Integer ARow1, Integer ARow2);
// Exchanges rows ARow1 and ARow2 when they are out of order by the column (the following
// columns breaking ties); answers whether it did.
bool SortLine(Integer ACol, Integer ARow1, Integer ARow2);
// Exchanges two display rows with everything that travels with a row.
virtual void SortSwapRows(Integer ARow1, Integer ARow2);
Integer SortedRowIndex(Integer ARow) const;
Integer UnSortedRowIndex(Integer AIndex) const;
AnsiString GetUnSortedCell(Integer ACol, Integer ARow);
AnsiString UnSortedCell(Integer ACol, Integer ARow)
{
    return GetUnSortedCell(ACol, ARow);
}
void SetUnSortedCell(Integer ACol, Integer ARow, const AnsiString& Value);
// What a click on a sortable header does: toggle, index building, undo, then the sort.
void HeaderClickSort(Integer RC, TShiftState Shift);
const std::vector<Integer>& SortXRef() const;

private:
void QSortGroupInt(bool Indexed);

public:
TCustomCompareEvent OnCustomCompare;
TRawCompareEvent OnRawCompare;
