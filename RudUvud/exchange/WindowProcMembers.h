// Members of TDidAririzEvar declared by the window procedure: the messages the grid handles
// before its own key and button handlers (the end of an edit, themes, scroll bars, combo
// notifications), the mouse wheel, middle-button panning, what follows each scroll, controls
// placed in cells and small runtime services (exchange/WindowProc.cpp). Included only inside the
// class body in core/RudUvud.h.

public:
// ======== Window procedure, wheel and panning (exchange/WindowProc.cpp) ========
// The directions the middle button pans in; ipNone switches panning off.
TIntelliPan IntelliPan() const;
void SetIntelliPan(TIntelliPan Value);
// With SizeWithForm the grid keeps its distance to the owner form's right and bottom edges.
bool SizeWithForm() const;
void SetSizeWithForm(bool Value);
// Whether the middle button is panning the grid now.
bool Panning() const;

// Asks SelectCell whether the current cell may be selected.
bool Select();
// Moves the cell scroll bar and every control placed in a cell to where its cell now is and
// hides those out of view. Nothing before the window exists.
void CellControlsUpdate();
// The control placed in a cell (real column, display row); null when none.
TControl* GetCellControls(Integer ACol, Integer ARow);
// Places AControl over the cell (the grid becomes its parent; the grid does not own it), or
// with null takes the cell's control away (the control itself stays).
void SetCellControls(Integer ACol, Integer ARow, TControl* AControl);
// The grid's date picker editor (null at design time).
TGridDatePicker* GetDateTimePicker();
// Change handler of ShowModified: repaints column 0.
void ModifiedChanged(TObject* Sender);
// "5.0.6.0 Apr, 2010": the four numbers of GetVersionNr and the release month.
virtual AnsiString GetVersionString();
// The panning marker at the press point, and its removal.
void DrawIntelliFocusPoint();
void EraseIntelliFocusPoint();

TComboCloseUpEvent OnComboCloseUp;

protected:
// Called after each wheel notch the grid handled itself with the rows the current cell moved;
// DoDefault false keeps the platform's handling from running.
virtual void DirectWheelChange(Integer Delta, bool& DoDefault);
bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
void TopLeftChanged() override;
// The grid's own steps of its window procedure; true when the message is fully handled.
bool RuntimeWndProc(TMessage& Message);
// A tool tip asking for the balloon text of the cell under the mouse; true when answered.
bool BalloonNotify(TMessage& Message);

private:
void StartPanning(TMessage& Message);
void StopPanning();
void PanStep();
// The wheel notch; false when the platform's handling is to be skipped.
bool WheelHandling(TMessage& Message);
bool LiveCellUpdate(TMessage& Message);
void ComboNotification(TMessage& Message);
