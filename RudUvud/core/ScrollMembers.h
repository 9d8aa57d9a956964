// Members of TDidAririzEvar declared by scrolling: the scroll bars the grid offers, the flat bars,
// the proportional thumbs, scroll hints, the scroll messages, drag scrolling and the small look
// setters kept with them (core/GridScroll.cpp). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Scroll bars and scrolling (core/GridScroll.cpp) ========
TScrollStyle GetScrollBarsEx() const;
void SetScrollBarsEx(TScrollStyle Value);
void SetScrollType(TScrollType Value);
TColor ScrollColor() const;
void SetScrollColor(TColor Value);
void SetScrollWidth(Integer Value);
bool ScrollProportional() const;
void SetScrollProportional(bool Value);
bool ScrollSynch() const;
void SetScrollSynch(bool Value);
TScrollHintType ScrollHints() const;
void SetScrollHints(TScrollHintType Value);
TColor HintColor() const;
void SetHintColor(TColor Value);
TDragScrollOptions* DragScrollOptions() const
{
    return FDragScrollOptions.get();
}
void SetDragScrollOptions(TDragScrollOptions* Value);

// The flat bars: every function is looked up by name in the common controls module when called;
// a missing module or function makes the call do nothing.
void FlatInit();
void FlatDone();
Integer FlatSetScrollInfo(int Bar, SCROLLINFO& ScrollInfo, bool Redraw);
void FlatSetScrollProp(Integer Index, Integer NewValue, bool Redraw);
void FlatShowScrollBar(int Bar, bool Show);
void UpdateType();
void UpdateColor();
void UpdateWidth();
void FlatUpdate();
// The flat bars take the window bars' range, page and position.
void UpdateVScrollBar();
void UpdateHScrollBar();
bool FlatSBInit() const;

// Proportional thumbs from the pixel extents of the rows and columns (they read the size
// tables' running sums, never the rows one by one).
void UpdateVScroller();
void UpdateHScroller();
// Set while zooming resizes columns and rows.
void SetZooming(bool Value);

// With the search footer shown: whether the last row lies above the search panel, and
// scrolling until it does.
bool IsScrolledToLastRow();
void ScrollToLastRow();

// The cell a thumb position of the horizontal (vertical) bar scrolls to.
Integer ScrollPosToCell(Integer Pos, bool Horizontal);
THTMLHintWindow* ScrollHintWindow() const
{
    return FHintWindow;
}
bool ScrollHintShown() const;

// Drag scrolling.
void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
void DragTimerProc(TObject* Sender);
TTimer* DragScrollTimer() const;
TDragScrollDirection DragScrollDir() const;

// The cell scroll bar and the cell it serves.
TScrollBar* CellScrollBar() const
{
    return FCellScrollBar;
}
TGridCoord CellScrollBarCell() const;
void SetCellScrollBarCell(Integer ACol, Integer ARow);

TScrollHintEvent OnScrollHint;
TScrollCellEvent OnScrollCell;
TDragScrollEvent OnDragScroll;

// Look setters kept with the scroll code.
bool ShowDesignHelper() const;
void SetShowDesignHelper(bool Value);
TShowModified* ShowModified() const
{
    return FShowModified.get();
}
void SetShowModified(TShowModified* Value);
void SetBalloon(TBalloonSettings* Value);
TGridProgressAppearance* ProgressAppearance() const
{
    return FProgressAppearance.get();
}
void SetProgressAppearance(TGridProgressAppearance* Value);
void SetBackGround(TBackGround* Value);
bool AutoThemeAdapt() const;
void SetAutoThemeAdapt(bool Value);
TColor ActiveCellColorTo() const;
void SetActiveCellColorTo(TColor Value);
void SetActiveCellFont(TFont* Value);
TPoint XYOffset() const;
void SetXYOffset(TPoint Value);
void UpdateXYOffset(Integer X, Integer Y);

protected:
void WMHScroll(TMessage& Message);
void WMVScroll(TMessage& Message);
void WMGetDlgCode(TMessage& Message);
// Answers whether the message was a scroll message the grid handled.
bool ScrollWndProc(TMessage& Message);

private:
void ShowScrollHint(TMessage& Message, bool Horizontal);
void FreeDragTimer();
bool LastRowInView();
// Whether the current cell shows a check box (the platform editor stays hidden there).
bool CurrentCellHasCheckBox();
