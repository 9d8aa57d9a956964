// Members of TDidAririzEvar declared by in-place editing and input: the services the core calls,
// the editor host, the mouse press and the keyboard (edit/). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Cell validation (edit/Validation.cpp) ========
// Validates an edited value once per edit: auto-correction and error marks of the cell checker,
// OnCellValidate, undo registration, the modified marks and the change notifications; a refused
// value reopens the editor on the same cell with the refusal balloon.
virtual bool ValidateCell(const AnsiString& NewValue);
virtual bool ValidateCellWide(const WideString& NewValue);
// Arms validation for a cell (display column).
virtual void InitValidate(Integer ACol, Integer ARow);
// Recalculates the footer of a column after one of its cells changed.
virtual void UpdateCell(Integer ACol, Integer ARow);
void Click() override;
const AnsiString& InvalidEntryTitle() const;
void SetInvalidEntryTitle(const AnsiString& V);
const AnsiString& InvalidEntryText() const;
void SetInvalidEntryText(const AnsiString& V);
// Set whenever a validated edit changed a cell; never cleared by the grid.
bool Modified() const;
void SetModified(bool V);
bool AlwaysValidate() const;
void SetAlwaysValidate(bool V);
const AnsiString& ValidatedText() const;
const TGridValidationState& Validation() const;
TCellValidateEvent OnCellValidate;
TCellValidateWideEvent OnCellValidateWide;

// ======== In-place editor host (edit/EditorHost.cpp) ========
// Starts an edit of the current cell: the kind comes from the cell's editor type, the text
// editor or the kind's control is placed over the cell, filled and shown. Returns whether
// an edit is open.
bool OpenEditor(TEditOpenedBy By);
// Ends the text editor's edit, its text going back through SetEditText.
void CommitEditor();
// Ends the edit: hides the editor, writes a control's value back into the edited cell.
void HideInplaceEdit();
void ShowInplaceEdit();
void ShowEditControl(Integer ACol, Integer ARow);
void HideEditControl(Integer ACol, Integer ARow);
// Stores a value an editor produced (ACol is a real column).
virtual void UpdateEditingCell(Integer ACol, Integer ARow, const AnsiString& Value);
// Puts the text the current cell had when its edit started back.
virtual void RestoreCache();
virtual void DoGetEditorProp(Integer ACol, Integer ARow, TEditLink* AEditLink);
// Starts editing the current cell as F2 does.
void ShowCellEdit();
void HideCellEdit();
// Reports the end of an edit: OnEditingDone now, OnEditCellDone once the current message is over.
void DoneEditing(Integer ACol, Integer ARow);
// Ends an edit by a key: Tab and the arrows then move the current cell.
void DoneInplaceEdit(Word Key, TShiftState Shift);
TInplaceEdit* GetInplaceEditor() const;
bool ShouldHandleTab();
const TGridEditingState& Editing() const;
const TGridEditorControls& Editors() const
{
    return FEditors;
}
// The text editor's settings the grid keeps.
const AnsiString& ValidChars() const;
void SetValidChars(const AnsiString& V);
std::set<char>& ValidCharSet();
const AnsiString& EditMask() const;
void SetEditMask(const AnsiString& V);
// The grid's own messages of the edit (the end of an edit); true when Message was one.
bool EditWndProc(TMessage& Message);
// Text editor events (Sender is the text editor).
TClipboardEvent OnClipboardCopy;
TClipboardEvent OnClipboardCut;
TClipboardEvent OnClipboardPaste;
TClipboardBeforePasteEvent OnClipboardBeforePasteCell;
TClipboardAfterPasteEvent OnClipboardAfterPasteCell;
TGetEditorPropEvent OnGetEditorProp;
TNotifyEvent OnEditingDone;
TEditCellDoneEvent OnEditCellDone;
TEditChangeEvent OnEditChange;
TComboChangeEvent OnComboChange;
TComboObjectChangeEvent OnComboObjectChange;
TWideTextEvent OnGetEditWideText;
TSetWideTextEvent OnSetEditWideText;
TCustomStrToDateEvent OnCustomStrToDate;
// A double click in the text editor (Sender is the grid).
TClickCellEvent OnDblClickCell;
// Told whether the text editor holds a formula being entered (its text starts with "="); empty
// here, for descendants that let clicks pick cells meanwhile.
virtual void SetCellSelectMode(bool Value) {}

// The text an edit-with-button editor's button gives: OnEllipsClick may change Text.
virtual AnsiString EllipsClick(const AnsiString& Text);
// Splits a cell text into the unit editor's value (the number) and unit (everything else).
void SplitUnit(const AnsiString& Text, TVadUnitEditBtn* Editor);
// The wide text a wide editor leaves when it loses the focus; validated when the cell changes.
void SetEditWideText(const WideString& Value);
// The message number of the mouse wheel the grid listens to.
Integer MouseWheelMessage() const;
// Clears the record of a click with caret positioning once an editor has placed its caret.
void ClearCaretClick();
TEllipsClickEvent OnEllipsClick;
// The spin editor's buttons and keys, by its spin type.
TSpinClickEvent OnSpinClick;
TFloatSpinClickEvent OnFloatSpinClick;
TDateTimeSpinClickEvent OnDateSpinClick;
TDateTimeSpinClickEvent OnTimeSpinClick;

// The date picker's handlers.
void DatePickerChange(TObject* Sender);
void DatePickerCloseUp(TObject* Sender);
void DatePickerDropDown(TObject* Sender);
TDatePickerEvent OnDatePickerDropDown;
TDatePickerEvent OnDatePickerCloseUp;
// The longest text the combo editor takes; 0: any.
Integer MaxComboLength() const;
void SetMaxComboLength(Integer Value);
// Type-ahead completion of the text editor from LookupItems.
bool Lookup() const;
void SetLookup(bool Value);
bool LookupCaseSensitive() const;
void SetLookupCaseSensitive(bool Value);
// Texts typed into the text editor join LookupItems when the edit ends.
bool LookupHistory() const;
void SetLookupHistory(bool Value);
// Mini-HTML cells are edited with their tags; off (the default), the editors get the text the
// cell shows, without them.
bool EditWithTags() const;
void SetEditWithTags(bool Value);
// The window procedure the grid puts on a custom editor's control; true when it answered.
bool SubclassProc(TMessage& Message);
// The custom editor of edCustom cells; none by default.
TEditLink* EditLink() const;
void SetEditLink(TEditLink* Value);
// Set when a custom editor's popup form closed on its own; the grid's next focus gain (the
// focus coming back from the popup) is passed over once and clears it.
bool PopupClosed() const;

// ======== Picker, date-time, check box and button editors (edit/GridEditorsPicker.cpp) ========
// The colour and image picker editors' choice: OnColorSelect and OnImageSelect with the current
// cell.
virtual void DoColorSelect(TObject* Sender);
virtual void DoImageSelect(TObject* Sender);
// The drop-down date-time editor's change: OnDateTimeChange with the current cell and its value.
void DateTimePickerChange(TObject* Sender);
// The picker editors' header and footer buttons: the grid's events with the current cell.
void DoHeaderButtonClick(TObject* Sender, Integer ButtonIndex);
void DoFooterButtonClick(TObject* Sender, Integer ButtonIndex);
TColorSelectEvent OnColorSelect;
TImageSelectEvent OnImageSelect;
// The last word on a colour or an image chosen in a picker editor, as it goes into the cell.
TColorSelectedEvent OnColorSelected;
TImageSelectedEvent OnImageSelected;
TDropDownButtonClickEvent OnDropDownHeaderButtonClick;
TDropDownButtonClickEvent OnDropDownFooterButtonClick;

protected:
// Shows the date-time or a picker editor (the current kind) over Cell, filled from cell
// (ACol, ARow); Start is the character that began the edit. Returns the control shown.
TWinControl* ShowPickerEditor(Integer ACol, Integer ARow, const TRect& Cell, TColor CellColor,
                              WideChar Start);
// Writes the value of the current kind's control C back into cell (RC real column, ARow).
void WritePickerValue(TWinControl* C, Integer RC, Integer ARow);
// The check box editor's state goes back as the cell's check text when the user changed it.
void WriteCheckBoxValue(Integer RC, Integer ARow);

public:
// ======== Advancing after an edit (edit/Advance.cpp) ========
// Moves to the next (Forward) or previous cell that may be edited in the navigation direction,
// wrapping at the ends and, with AdvanceInsert, appending a row or a column; opens its editor
// when ShowEditorAfter allows it. Only with AdvanceOnEnter, or when Force is set.
void AdvanceEdit(Integer ACol, Integer ARow, bool Force, bool AutoEdit, bool Forward, bool Recursing,
                 bool ShowEditorAfter);
// Esc puts the edited cell's old text back; Enter advances; without goEditing and with
// AutoGotoWhenSorted typed characters go to the first row whose sort column starts with them.
void KeyPress(WideChar& Key) override;
// The first row (from FixedRows) whose markup-free text in the sort column starts with S
// (compared upper-cased; S is expected upper-cased); -1 when none.
Integer Search(const AnsiString& S);
// The fixed columns navigation stops short of: FixedCols, or 1 when there are none and the grid
// has nodes (the node column then acts as fixed).
Integer FixedColsVis();
// Those of the last FixedRightCols real columns that are not hidden.
Integer NumFixedRightVis() const;
TAutoAdvanceEvent OnAutoAdvance;
TAutoInsertColEvent OnAutoInsertCol;

// ======== Left mouse button press and release (edit/MousePress.cpp) ========
void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
// Whether the cell is a fixed cell that shows hover highlighting.
bool HoverFixedCell(Integer ACol, Integer ARow);
// Records the fixed cell under the pointer ((-1, -1): none); only the cell losing and the
// cell gaining the hover look are repainted.
void SetHoverCell(Integer ACol, Integer ARow);
// Called with the rectangle a header click is about to select; a descendant may change it.
virtual void UpdateSelectionRect(TGridRect& R) {}
const TGridInputState& InputState() const;
TSortSettings* SortSettings() const
{
    return FSortSettings.get();
}
TCanClickCellEvent OnCanClickCell;
TClickCellEvent OnClickCell;
TCanSortEvent OnCanSort;
TClickSortEvent OnClickSort;

// ======== Keyboard (edit/Keyboard.cpp) ========
void KeyDown(Word& Key, TShiftState Shift) override;
// Moves to the next (previous) cell that takes Tab, wrapping over rows.
void TabEdit(bool Backward);
// SelectionChanged when the selection differs from the one recorded as the key arrived.
void ReportSelectionChange();
// Typed characters: cells with form controls take none; edit-on-double-click and range
// editing open the editor with the character.
void WMChar(TMessage& Message);
bool ExcelStyleDecimalSeparator() const;
void SetExcelStyleDecimalSeparator(bool V);
void AppendLastRow();
virtual void TabToNextRowAtEnd();
virtual void QueryInsertRow(Integer ARow, bool& CanInsert);
virtual void QueryAddRow(bool& CanAdd);
virtual void DoInsertRow(Integer ARealRow);
virtual void DoDeleteRow(Integer ARow);
virtual void DoAppendRow();
bool IsOnLastRow() const;
// Whether the cell may be edited now (goEditing or range edit, then the read-only query).
bool IsEditable(Integer ACol, Integer ARow);
TCanInsertRowEvent OnCanInsertRow;
TCanDeleteRowEvent OnCanDeleteRow;
TAutoInsertRowEvent OnAutoInsertRow;
TAutoDeleteRowEvent OnAutoDeleteRow;
TCanAddRowEvent OnCanAddRow;
TAutoAddRowEvent OnAutoAddRow;

protected:
// Chooses the editor kind of the current cell; true only when the text editor is to show
// (a kind with a control shows it here and answers false).
bool CanEditShow() override;
TInplaceEdit* CreateEditor() override;
AnsiString GetEditMask(Integer ACol, Integer ARow) override;
// The text of the base cell of a display position, and storing into it.
AnsiString GetEditText(Integer ACol, Integer ARow) override;
void SetEditText(Integer ACol, Integer ARow, const AnsiString& Value) override;
Integer GetEditLimit() override;
friend class TRizAdiriruVava;
friend class TEditLink;
void CellLook(Integer ACol);
// One typed character of the row lookup.
void TypeAhead(WideChar Key);
// The refusal balloon at the editor in use.
void ShowRefusalBalloon();
