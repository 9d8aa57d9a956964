// Members of TDidAririzEvar declared by cell graphics and cell text measuring (core/). Included
// only inside the class body in core/RudUvud.h; the types these declarations use are included
// there.

public:
// ======== Cell graphics (core/CellGraphics.cpp) ========
// Every part reaches a cell's graphic through these two, so an override changes what
// decorations, painting and input see. ACol is a real column, ARow a display row.
// The cell's graphic; nullptr when it has none or its slot holds another object. In column 0
// while MouseActions.HotmailRowSelect is on: the shared row check box graphic, refreshed.
virtual TCellGraphic* GetCellGraphic(Integer ACol, Integer ARow);
// The cell's graphic kind: ctEmpty for negative indexes, a foreign object or no graphic;
// ctRowCheckBox in column 0 while HotmailRowSelect is on.
virtual TCellType GetCellType(Integer ACol, Integer ARow);
// Attaches a new graphic (kind ctNone) in place of the cell's old one, which is freed; the cell's
// text stays as it was. The caller sets the kind and repaints.
TCellGraphic* CreateCellGraphic(Integer ACol, Integer ARow);
// Drops and frees the cell's graphic; false when it has none. The shared row check box graphic
// and virtual check boxes are never freed.
bool FreeCellGraphic(Integer ACol, Integer ARow);
// FreeCellGraphic when the cell's kind is AType, else false.
bool RemoveCellGraphic(Integer ACol, Integer ARow, TCellType AType);
// The index list of a ctImages cell, else nullptr.
TIntList* GetCellImages(Integer ACol, Integer ARow);
// The bitmap of a ctBitmap or the icon of a ctIcon cell as a reference, the image index of a
// ctImageList cell, -1 for every other kind.
std::intptr_t GetCellImageIdx(Integer ACol, Integer ARow);
// Width and height of the cell's graphic on screen; (0, 0) without graphic.
virtual TPoint GetCellGraphicSize(Integer ACol, Integer ARow);
// Size of the cell's graphic printed in a cell of AWidth x AHeight at Scale.
virtual TPoint GetPrintGraphicSize(Integer ACol, Integer ARow, Integer AWidth, Integer AHeight, Double Scale);
// The displayed text: the display hooks, then link prefixes as anchors (URLShowInText), then
// a node row's group count in column 1 (Grouping.ShowGroupCount).
void GetDisplText(Integer ACol, Integer ARow, AnsiString& Value) override;
bool HasNodes() override;
Integer NodeIndent(Integer ARow) override;
bool URLShowInText() const;
void SetURLShowInText(bool V);
// Node rows (display rows): a row whose column-0 graphic is a node, its span and the count of
// its sub-nodes (-1 and 0 for rows that are no node).
bool IsNode(Integer ARow);
Integer GetNodeSpan(Integer ARow);
Integer GetSubNodeCount(Integer ARow);

// ======== Cell text size and alignment (core/CellTextSize.cpp) ========
// The size in pixels the cell's text takes when drawn (real column ACol).
TPoint GetCellTextSize(Integer ACol, Integer ARow, bool WordWrap, bool WithButton);
TPoint GetCellTextSizeInt(Integer ACol, Integer DisplCol, Integer ARow, bool WordWrap, bool WithButton);
// The cell's horizontal and vertical alignment (both written): numbers right-aligned with
// AutoNumAlign, else the record's alignment; the grid's VAlignment; then the alignment hook.
void GetCellAlignment(Integer ACol, Integer ARow, TAlignment& HAlign, TVAlignment& VAlign);
bool AutoNumAlign() const;
void SetAutoNumAlign(bool V);
// The text margin counted at the top and left only instead of on both sides.
bool XYOffsetTopLeft() const;
void SetXYOffsetTopLeft(bool V);
