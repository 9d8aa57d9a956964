// Members of TDidAririzEvar declared by column sizing: stretching, proportional sizing of all
// columns or rows, the sizing zone, editability queries, the combo editor's item list and the
// sizing events (core/GridSizing.cpp). Included only inside the class body in core/RudUvud.h; the
// types these declarations use are included there.

public:
// ======== Column sizing, stretching and editability (core/GridSizing.cpp) ========
void StretchRightColumn();
// The cell under a screen point; -1 outside the cells.
void ScreenToCell(const TPoint& P, Integer& ACol, Integer& ARow);
// Whether a client point lies within 4 pixels of a border that sizes a column or a row.
bool InSizeZone(Integer X, Integer Y);
bool IsPassword(Integer ACol, Integer ARow);
virtual void UpdateOnSelection(TGridRect& Selection) {}
// Called with the width a mouse sizing (an automatic sizing) gives a column; may change it.
virtual void UpdateColSize(Integer ACol, Integer& AWidth);
virtual void UpdateAutoColSize(Integer ACol, Integer& AWidth);
virtual void UpdateColHeaders() {}

// The item list of the grid's combo editor.
void ClearComboString();
void AddComboString(const AnsiString& S);
void AddComboStringObject(const AnsiString& S, TObject* AObject);
// Deletes the first item equal to S; false when there is none.
bool RemoveComboString(const AnsiString& S);
bool SetComboSelectionString(const AnsiString& S);
// Any index is stored; the combo editor interprets it when it opens.
void SetComboSelection(Integer Index);
Integer GetComboCount();
Integer ComboSelection() const;
TStringList* ComboItems();

void WideEllipsClick(TObject* Sender);
// The colour of the four move indicators.
TColor ArrowColor();
void SetArrowColor(TColor Value);

// The mouse sizing in progress.
bool Stretching() const;
bool ColSizing() const;
bool RowSizing() const;
TGridCoord SizingCell() const;
bool ColWidthsChangedInPress() const;

TEndColumnSizeEvent OnEndColumnSize;
TEndRowSizeEvent OnEndRowSize;
TUpdateColumnSizeEvent OnUpdateColumnSize;
TWideEllipsClickEvent OnWideEllipsClick;

protected:
void SizeChanged(Integer OldColCount, Integer OldRowCount) override;
void ColWidthsChanged() override;
void RowHeightsChanged() override;
// Records the cell a press may start sizing from, with its column's width and row's height.
void RecordSizingStart(const TGridCoord& Cell, Integer Width, Integer Height);
