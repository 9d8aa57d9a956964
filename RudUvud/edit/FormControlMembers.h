// Members of TDidAririzEvar declared by fixed-cell editing and by the form controls of mini-HTML
// cells (edit/FixedEdit.cpp, edit/HtmlControls.cpp). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Fixed-cell editing (edit/FixedEdit.cpp) ========
// Opens the fixed-cell editor over a fixed cell (display column, row) with the cell's text; a
// running fixed-cell edit ends first, and when its text is refused nothing else happens.
// OnCanEditCell answering false keeps the cell from being edited.
void StartFixedEdit(Integer ACol, Integer ARow);
TGridTransEdit* FixedCellEditor() const
{
    return FTransEdit;
}
// The column filter list.
TDropList* FilterDropList() const
{
    return FDropList;
}

// ======== Form controls of mini-HTML cells (edit/HtmlControls.cpp) ========
// Opens the editor of a text (EDIT, PASSWORD, MASK) or COMBO form control over its rectangle
// CtrlRect (client coordinates); Cell is the cell's markup, ACol the display and ARealCol the
// real column. Other control types do nothing.
void ControlEnter(const AnsiString& Cell, const AnsiString& CtrlType, const AnsiString& CtrlID,
                  const AnsiString& CtrlVal, const TRect& CtrlRect, Integer ACol, Integer ARealCol,
                  Integer ARow);
// Closes the open form-control editor: its value goes into the cell's markup and
// OnControlEditDone fires. Nothing happens when no editor is open.
void ControlExit(TObject* Sender);
// Reports the control combo's selection through OnControlComboSelect (for applications that
// attach it to the combo's events; the grid does not).
void ControlComboSelect(TObject* Sender);
// Moves the input from form control ID to the next text or combo control of the cell's markup
// (the first one for an empty ID); without one, the grid takes the focus.
void AdvanceHTMLEdit(Integer ACol, Integer ARow, const AnsiString& ID);
TControlEdit* ControlEditor() const
{
    return FControlEdit;
}
TControlCombo* ControlComboEditor() const
{
    return FControlCombo;
}
// The cell (real column, row) whose form control is being edited or was pressed last, and the
// control's ID.
TGridCoord ActiveControlCell() const
{
    return FCtrlCell;
}
const AnsiString& ActiveControlID() const
{
    return FCtrlID;
}
// A form-control editor is open.
bool ControlActive() const
{
    return FControlActive;
}
TControlClickEvent OnControlClick;
TControlEditDoneEvent OnControlEditDone;
TControlComboListEvent OnControlComboList;
TControlComboSelectEvent OnControlComboSelect;
TAnchorClickEvent OnAnchorClick;

protected:
// A left press on a link or a form control of the cell (display column, row; X, Y the press
// point): clicks the control or follows the link. True when the press was one of these and its
// handling ends here.
bool LinkPress(Integer ACol, Integer ARow, Integer X, Integer Y);
// Enter or F2 on a cell with form controls: the input goes into its first control (when the cell
// may be edited) and no editor opens. False, Key untouched, for any other cell.
bool FormControlKeyDown(Word& Key);
// A left release: a form button drawn down comes up again.
void ReleaseControlButton();

private:
// The rectangle the cell's markup is laid out in for hit tests (display column).
TRect HTMLControlArea(Integer ACol, Integer ARow);
// The press on form control CtrlID of cell (ACol, ARow) toggles, presses or opens it.
void ControlClick(Integer ACol, Integer ARow, const AnsiString& CtrlID, const AnsiString& CtrlType,
                  const AnsiString& CtrlVal, const TRect& CtrlRect);
// Follows a link of a cell as the shell would (http, https and mailto only) or, for "CELL://",
// moves to the named cell.
void FollowAnchor(const AnsiString& Anchor);

TGridTransEdit* FTransEdit = nullptr;
TControlEdit* FControlEdit = nullptr;
TControlCombo* FControlCombo = nullptr;
// The cell (real column, row) whose form control is being edited or was pressed last, the
// control's ID and TYPE.
TGridCoord FCtrlCell{-1, -1};
AnsiString FCtrlID;
AnsiString FCtrlType;
bool FControlActive = false;
// A BUTTON form control is held down.
bool FControlButtonDown = false;

public:
