// Members of TDidAririzEvar declared by the mouse moves (hover, select zones, sizing feedback,
// links), the double click, the right button and the press extras (edit/MouseMove.cpp,
// edit/RowColumnMoves.cpp). Included only inside the class body in core/RudUvud.h.

public:
// ======== Mouse moves, double click and right button (edit/MouseMove.cpp, edit/RowColumnMoves.cpp) ========
// While a column or row is sized, a hint shows its width ("cw=") or height ("rh=").
bool HintShowSizing() const;
void SetHintShowSizing(bool Value);
// The menu a fixed cell's drop-down button opens (not owned; forgotten when it is freed).
TPopupMenu* FixedDropDownMenu() const;
void SetFixedDropDownMenu(TPopupMenu* Value);

TAnchorEvent OnAnchorEnter;
TAnchorEvent OnAnchorExit;
TColumnSizingEvent OnColumnSizing;
TRowSizingEvent OnRowSizing;
// Asked before a column or row sizing starts; Allow false keeps the border from sizing.
TColumnSizeEvent OnColumnSize;
TRowSizeEvent OnRowSize;
// Asked on every move while a column or row is dragged; Allow false ends the move.
TMovingEvent OnColumnMove;
TMovingEvent OnRowMove;
TFixedDropDownClickEvent OnFixedDropDownClick;
TClickCellEvent OnRightClickCell;

protected:
void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
void CalcSizingState(Integer X, Integer Y, TGridState& State, Integer& Index, Integer& SizingPos,
                     Integer& SizingOfs, TGridDrawInfo& FixedInfo) override;
void CMMouseLeave(TMessage& Message);
void WMLButtonDblClk(TMessage& Message);
void WMRButtonDown(TMessage& Message);
void WMRButtonUp(TMessage& Message);
// The double click, the right button and the mouse leaving; true when handled.
bool MouseExtrasWndProc(TMessage& Message);
// The press steps before the grid's own press handling (true: the press is over) and after it.
bool MouseDownFront(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
void MouseDownBack(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
// The release steps before the grid's own release handling: a sizing let go outside the grid
// is cancelled, disjunct cells are selected.
void MouseUpFront(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
void KeyUp(Word& Key, TShiftState Shift) override;
// The disjunct cell selection of a click (ByMouse) or of the Space key on (ACol, ARow).
void DisjunctCellClick(Integer ACol, Integer ARow, TShiftState Shift, bool ByMouse);

// Set for the duration of a double click with RangeSelectAndEdit.
bool FNoSelectCheck = false;

private:
TPopupMenu* FFixedDropDownMenu = nullptr;
bool FHintShowSizing = false;
void MoveLinks(Integer ACol, Integer ARow, Integer X, Integer Y, bool& Decided);
void ShowSizingHint(Integer X, Integer Y);
