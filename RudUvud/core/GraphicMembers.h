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

protected:
// The canvas text is measured on: the grid's own, or a memory canvas while the grid cannot have
// a window (no parent), since the grid's canvas needs one.
TCanvas* MeasureCanvas();
bool CanHaveWindow();

public:
// ======== Cell decorations (core/CellDecorations.cpp) ========
// Each Add and Create operation replaces the cell's graphic (AddMarker keeps it). Objects handed
// to an Add operation stay the caller's and must outlive the decoration; those a Create operation
// makes belong to the graphic. Get operations answer nullptr, "", -1, (-1, -1), clNone or false
// for a cell without the matching decoration. Has and Is operations without outputs look at the
// base cell of the cell's merged block. ACol is a real column, but for the button operations
// marked "display column".
void AddBitmap(Integer ACol, Integer ARow, TBitmap* ABitmap, bool Transparent, TCellHAlign HAlign,
               TCellVAlign VAlign);
TBitmap* CreateBitmap(Integer ACol, Integer ARow, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign);
TBitmap* GetBitmap(Integer ACol, Integer ARow);
bool RemoveBitmap(Integer ACol, Integer ARow);

void AddBalloon(Integer ACol, Integer ARow, const AnsiString& ATitle, const AnsiString& AText,
                TBalloonIcon AIcon);
bool RemoveBalloon(Integer ACol, Integer ARow);
bool HasBalloon(Integer ACol, Integer ARow);
// Reads the cell itself (not its base cell); outputs are written only for a balloon.
bool IsBalloon(Integer ACol, Integer ARow, AnsiString& ATitle, AnsiString& AText, TBalloonIcon& AIcon);

void AddRadio(Integer ACol, Integer ARow, Integer Direction, Integer Index, TStrings* Items);
TStringList* CreateRadio(Integer ACol, Integer ARow, Integer Direction, Integer Index);
bool RemoveRadio(Integer ACol, Integer ARow);
bool IsRadio(Integer ACol, Integer ARow);
TStrings* GetRadioStrings(Integer ACol, Integer ARow);
// Both act on whatever graphic the cell has and answer whether it is a radio group; false
// without touching anything when the cell has none.
bool GetRadioIdx(Integer ACol, Integer ARow, Integer& Index);
bool SetRadioIdx(Integer ACol, Integer ARow, Integer Index);

void AddInterfacedCell(Integer ACol, Integer ARow, TInterfacedPersistent* AObject);
bool RemoveInterfacedCell(Integer ACol, Integer ARow);
TInterfacedPersistent* GetInterfacedCell(Integer ACol, Integer ARow);

void AddPicture(Integer ACol, Integer ARow, TPicture* APicture, bool Transparent, TStretchMode StretchMode,
                Integer Padding, TCellHAlign HAlign, TCellVAlign VAlign);
TPicture* CreatePicture(Integer ACol, Integer ARow, bool Transparent, TStretchMode StretchMode,
                        Integer Padding, TCellHAlign HAlign, TCellVAlign VAlign);
TPicture* GetPicture(Integer ACol, Integer ARow);
bool RemovePicture(Integer ACol, Integer ARow);

void AddFilePicture(Integer ACol, Integer ARow, TFilePicture* APicture, bool Transparent,
                    TStretchMode StretchMode, Integer Padding, TCellHAlign HAlign, TCellVAlign VAlign);
TFilePicture* CreateFilePicture(Integer ACol, Integer ARow, bool Transparent, TStretchMode StretchMode,
                                Integer Padding, TCellHAlign HAlign, TCellVAlign VAlign);
TFilePicture* GetFilePicture(Integer ACol, Integer ARow);
bool RemoveFilePicture(Integer ACol, Integer ARow);

void AddIcon(Integer ACol, Integer ARow, TIcon* AIcon, TCellHAlign HAlign, TCellVAlign VAlign);
TIcon* CreateIcon(Integer ACol, Integer ARow, TCellHAlign HAlign, TCellVAlign VAlign);
bool RemoveIcon(Integer ACol, Integer ARow);

void AddProgressPie(Integer ACol, Integer ARow, TColor Color, Integer Value);
void SetProgressPie(Integer ACol, Integer ARow, Integer Value);
bool RemoveProgressPie(Integer ACol, Integer ARow);
void AddVadProgress(Integer ACol, Integer ARow, Integer MinValue, Integer MaxValue);
bool RemoveVadProgress(Integer ACol, Integer ARow);
// The bar shows the cell's text read as a number; with AutoNumAlign the cell is right-aligned.
void AddProgress(Integer ACol, Integer ARow, TColor Color, TColor BKColor);
void AddProgressEx(Integer ACol, Integer ARow, TColor Color, TColor TextColor, TColor BKColor,
                   TColor BKTextColor);
void AddProgressFormatted(Integer ACol, Integer ARow, TColor Color, TColor TextColor, TColor BKColor,
                          TColor BKTextColor, const AnsiString& Format, Integer MinValue, Integer MaxValue);
bool RemoveProgress(Integer ACol, Integer ARow);
void AddRangeIndicator(Integer ACol, Integer ARow, Integer Range, TColor NegColor, TColor PosColor,
                       bool ShowValue);
bool RemoveRangeIndicator(Integer ACol, Integer ARow);

void AddComment(Integer ACol, Integer ARow, const AnsiString& Comment);
void AddColorComment(Integer ACol, Integer ARow, const AnsiString& Comment, TColor Color);
// A cell without graphic gets a comment, a comment cell the new text; other kinds stay as they are.
void SetComment(Integer ACol, Integer ARow, const AnsiString& Comment);
AnsiString GetComment(Integer ACol, Integer ARow);
bool IsComment(Integer ACol, Integer ARow, AnsiString& Comment);
bool RemoveComment(Integer ACol, Integer ARow);
void RemoveAllComments();

void AddShape(Integer ACol, Integer ARow, TCellShape Shape, TColor FillColor, TColor LineColor,
              TCellHAlign HAlign, TCellVAlign VAlign);
bool RemoveShape(Integer ACol, Integer ARow);
void SetShapeColor(Integer ACol, Integer ARow, TColor Color);
TColor GetShapeColor(Integer ACol, Integer ARow);

void AddRating(Integer ACol, Integer ARow, Integer Scale, TColor Color, TColor ColorTo);
bool RemoveRating(Integer ACol, Integer ARow);
bool HasRating(Integer ACol, Integer ARow);

void AddScrollBar(Integer ACol, Integer ARow, bool AutoRange);
bool RemoveScrollBar(Integer ACol, Integer ARow);
bool HasScrollBar(Integer ACol, Integer ARow);
bool HasAutoRangeScrollBar(Integer ACol, Integer ARow);
void SetScrollPosition(Integer ACol, Integer ARow, Integer Position);
Integer GetScrollPosition(Integer ACol, Integer ARow);
void SetScrollProp(Integer ACol, Integer ARow, const TScrollProp& Prop);
TScrollProp GetScrollProp(Integer ACol, Integer ARow);

// A stretch of the cell text drawn with error lines; kept inside whatever graphic the cell has.
void AddMarker(Integer ACol, Integer ARow, Integer FromChar, Integer CharCount);
void RemoveMarker(Integer ACol, Integer ARow);
void RemoveAllMarkers();
void GetMarker(Integer ACol, Integer ARow, Integer& FromChar, Integer& CharCount);

void AddButton(Integer ACol, Integer ARow, Integer BWidth, Integer BHeight, const AnsiString& Caption,
               TCellHAlign HAlign, TCellVAlign VAlign);
void AddBitButton(Integer ACol, Integer ARow, Integer BWidth, Integer BHeight, const AnsiString& Caption,
                  TBitmap* Glyph, TCellHAlign HAlign, TCellVAlign VAlign);
TBitmap* CreateBitButton(Integer ACol, Integer ARow, Integer BWidth, Integer BHeight,
                         const AnsiString& Caption, TCellHAlign HAlign, TCellVAlign VAlign);
bool RemoveButton(Integer ACol, Integer ARow);
bool HasButton(Integer ACol, Integer ARow);
// Display column: these act on any graphic the cell has.
void SetButtonText(Integer ACol, Integer ARow, const AnsiString& Caption);
AnsiString GetButtonText(Integer ACol, Integer ARow);
void PushButton(Integer ACol, Integer ARow, bool Push);
// The button's rectangle where painting last put it (empty for a cell without graphic).
TRect ButtonRect(Integer ACol, Integer ARow);
