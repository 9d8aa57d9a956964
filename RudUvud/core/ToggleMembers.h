// Members of TDidAririzEvar declared by the cells the user changes by clicking (core/CellToggles.cpp):
// check boxes, stand-alone radio buttons and radio groups. Included only inside the class body in
// core/RudUvud.h; the types these declarations use are included there.

public:
// ======== Check boxes and radio buttons (core/CellToggles.cpp) ========
using TCheckBoxChangeEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool State)>;

// ACol is a real column; ARow a display row unless marked "real row".
// Raises Exception "Invalid cell" beyond all columns or rows (hidden ones included). A data check
// box keeps its state in the cell text: a text that is neither check text becomes the one of State.
void AddCheckBox(Integer ACol, Integer ARow, bool State, bool Data);
void RemoveCheckBox(Integer ACol, Integer ARow);
void AddCheckBoxColumn(Integer ACol, bool State, bool Data);
void RemoveCheckBoxColumn(Integer ACol);
bool HasCheckBox(Integer ACol, Integer ARow);
bool HasDataCheckBox(Integer ACol, Integer ARow);
// Real row. Whether the cell has a check box; State is written only then.
bool GetCheckBoxState(Integer ACol, Integer ARow, bool& State);
// Real row; false for a cell without check box.
bool IsChecked(Integer ACol, Integer ARow);
// Real row; fires no change event.
bool SetCheckBoxState(Integer ACol, Integer ARow, bool State);
// Display row; fires DoCheckBoxChange when the state changes.
bool SetCheckBoxStateInt(Integer ACol, Integer ARow, bool State);
virtual bool ToggleCheck(Integer ACol, Integer ARow, bool FromClick);
bool ToggleCheckBox(Integer ACol, Integer ARow);
void CheckAll(Integer ACol);
void UnCheckAll(Integer ACol);
// Whether the point (X, Y) hits the cell's check box or radio button.
bool IsInCheckBox(Integer ACol, Integer ARow, Integer X, Integer Y);
virtual void DoCheckBoxChange(Integer ACol, Integer ARow, bool State);
// Removes, from the last row up to the first normal row, the rows whose check box in ACol is in
// State.
void RemoveCheckedRows(Integer ACol, bool State);

// The radio buttons of one column form a group.
void AddRadioButton(Integer ACol, Integer ARow, bool State);
void RemoveRadioButton(Integer ACol, Integer ARow);
void AddRadioButtonColumn(Integer ACol);
void RemoveRadioButtonColumn(Integer ACol);
bool HasRadioButton(Integer ACol, Integer ARow);
bool IsRadioButtonChecked(Integer ACol, Integer ARow);
// Leaves the other buttons of the column as they are.
bool SetRadioButtonState(Integer ACol, Integer ARow, bool State);
void SetRadioButtonColumnIndex(Integer ACol, Integer ARow);
Integer GetRadioButtonColumnIndex(Integer ACol);
// Checks the button and unchecks the others of its column.
virtual bool ToggleRadioButton(Integer ACol, Integer ARow, bool FromClick);
// Moves a radio group to its next item; always false.
bool ToggleRadio(Integer ACol, Integer ARow, bool FromClick);

// Cells whose value lives in the text.
bool HasDataCell(Integer ACol, Integer ARow);

TCheckBoxChangeEvent OnCheckBoxChange;
using TCheckBoxClickEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool State)>;
using TRadioButtonClickEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow)>;
using TRadioClickEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer AIdx)>;
// Fired after a click or the space key changed a check box, radio button or radio group.
TCheckBoxClickEvent OnCheckBoxClick;
TRadioButtonClickEvent OnRadioButtonClick;
TRadioClickEvent OnRadioClick;

// ======== Image indexes and rotated text (core/CellImages.cpp) ========
// Images of the GridImages list; the Add operations do nothing without one.
void AddImageIdx(Integer ACol, Integer ARow, Integer Index, TCellHAlign HAlign, TCellVAlign VAlign);
bool GetImageIdx(Integer ACol, Integer ARow, Integer& Index);
void SetImageIdx(Integer ACol, Integer ARow, Integer Index);
void RemoveImageIdx(Integer ACol, Integer ARow);
// The index is the cell text too.
void AddDataImage(Integer ACol, Integer ARow, Integer Index, TCellHAlign HAlign, TCellVAlign VAlign);
bool HasDataImage(Integer ACol, Integer ARow);
void RemoveDataImage(Integer ACol, Integer ARow);
// An empty list of image indexes (GetCellImages); Direction 0 lays them side by side, any other
// value stacks them.
void AddMultiImage(Integer ACol, Integer ARow, Integer Direction, TCellHAlign HAlign, TCellVAlign VAlign);
void MultiImageChanged(TObject* Sender, Integer ACol, Integer ARow);
void RemoveMultiImage(Integer ACol, Integer ARow);

void AddRotated(Integer ACol, Integer ARow, SmallInt Angle, const AnsiString& AText);
// Any graphic the cell has becomes rotated text; a cell without one gets a new one.
void SetRotated(Integer ACol, Integer ARow, SmallInt Angle);
bool IsRotated(Integer ACol, Integer ARow, Integer& Angle);
void RemoveRotated(Integer ACol, Integer ARow);

// ======== Link colour (core/CellImages.cpp) ========
TColor URLColor() const;
// Repaints only while links are shown.
void SetURLColor(TColor Value);

protected:
// A click or the space key on display cell (ACol, ARow): toggles its check box, radio button or
// radio group and fires the matching click event. With a point, check boxes and radio buttons
// change only when it hits them. False when the cell holds none of these.
bool ToggleCellByInput(Integer ACol, Integer ARow, const TPoint* At);

private:
// The graphic of real row ARow (a display row when RealRow is false).
TCellGraphic* CheckGraphicAt(Integer ACol, Integer ARow, bool RealRow);
TCellVAlign ControlVAlign() const;
// Whether a click on the cell may change it (read-only cells may not, unless AlwaysActive).
bool ClickMayToggle(Integer ACol, Integer ARow, bool FromClick, bool AlwaysActive);

public:
