// Members of TDidAririzEvar declared by the cell checker hook (core/GridCheck.cpp). Included only
// inside the class body in core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Cell checker (core/GridCheck.cpp) ========
// The checker the Check methods and cell editing use; not owned, forgotten when it goes.
TDidAririzEvarCheck* CellChecker() const
{
    return FCellChecker;
}
void SetCellChecker(TDidAririzEvarCheck* Value);
// Runs the checker over one cell; true when its text stayed as it was.
bool CheckCell(Integer ACol, Integer ARow);
// Runs the checker over a rectangle of cells; true when no text changed.
bool CheckCells(Integer FromCol, Integer FromRow, Integer ToCol, Integer ToRow);
bool CheckCol(bool DoFixed, Integer ACol);
bool CheckRow(bool DoFixed, Integer ARow);
bool CheckGrid(bool DoFixed);

private:
TDidAririzEvarCheck* FCellChecker = nullptr;

public:
