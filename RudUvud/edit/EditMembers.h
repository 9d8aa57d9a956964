// Members of TDidAririzEvar declared by in-place editing and input: the services the core calls,
// the editor host, the mouse press and the keyboard (edit/). Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Services of the editing part the core calls (base behaviour until it lands) ========
virtual bool ValidateCell(const AnsiString& NewValue);
virtual bool ValidateCellWide(const WideString& NewValue);
virtual void InitValidate(Integer ACol, Integer ARow);

// ======== In-place editor host (edit/EditorHost.cpp) ========
// Starts an edit of the current cell: the kind comes from the cell's editor type, the text
// editor or the kind's control is placed over the cell, filled and shown. Returns whether
// an edit is open.
bool OpenEditor(TEditOpenedBy By);
// Writes the open editor's value back into its cell.
void CommitEditor();
// Ends the edit: writes back, hides the editor.
void HideInplaceEdit();
void ShowEditControl(Integer ACol, Integer ARow);
const TGridEditingState& Editing() const;
const TGridEditorControls& Editors() const
{
    return FEditors;
}

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
