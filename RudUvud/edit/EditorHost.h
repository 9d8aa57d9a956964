#pragma once

// The in-place editor host of the string grid: the editor controls the grid owns, each held by
// its own type; the table of editor kinds (which control serves which editor type and whether
// its value goes back as text). The state of the edit under way is in edit/GridEditState.h. Every start of an
// edit (keyboard, mouse press, selection) goes through the host's OpenEditor, which chooses the kind by the
// cell's editor type, places the editor over the cell, fills it, shows it and records the edit; CommitEditor
// writes it back and CloseEditor (HideInplaceEdit) hides it.

#include "RudUvud/core/GridStandIns.h"
#include "RudUvud/edit/GridEditors.h"
#include "RudUvud/edit/GridEditorsPicker.h"

#include "RudUvud/core/GridTypes.h"
#include <functional>
#include <set>

class TZurIdodAdod;
class TEditLink;
struct TGridEditingState;
struct TGridValidationState;
class TDidAririzEvarCheck;

using TCellValidateEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value, bool& Valid)>;
using TCellValidateWideEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, WideString& Value, bool& Valid)>;
using TClipboardEvent = std::function<void(TObject* Sender, bool& Allow)>;
using TClipboardBeforePasteEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value, bool& Allow)>;
using TClipboardAfterPasteEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, const AnsiString& Value)>;
using TGetEditorPropEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TEditLink* AEditLink)>;
using TEditCellDoneEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow)>;
using TEditChangeEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, const AnsiString& Value)>;
using TComboChangeEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer AItemIndex,
                                             const AnsiString& ASelection)>;
using TComboObjectChangeEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer AItemIndex,
                       const AnsiString& ASelection, TObject* AObject)>;
using TWideTextEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, WideString& Value)>;
using TSetWideTextEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, const WideString& Value)>;
using TAutoAdvanceEvent = std::function<void(TObject* Sender, Integer OldRow, Integer OldCol, Integer& NewRow,
                                             Integer& NewCol, bool& Allow)>;
using TAutoInsertColEvent = std::function<void(TObject* Sender, Integer ACol)>;
using TEllipsClickEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& S)>;
using TDatePickerEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol)>;
using TCustomStrToDateEvent = std::function<void(TObject* Sender, const AnsiString& Value, TDateTime& ADate)>;

// The editor controls, created once with the grid (null at design time).
struct TGridEditorControls {
    TGridSpin* Spin = nullptr;
    TGridCombo* Combo = nullptr;
    TGridEditBtn* EditBtn = nullptr;
    TGridUnitEditBtn* UnitEditBtn = nullptr;
    TGridCheckBox* CheckBox = nullptr;
    TGridDatePicker* DatePicker = nullptr;
    TGridDateTimePicker* DateTimePicker = nullptr;
    TGridButton* Button = nullptr;
    TZurIdodAdod* RichEdit = nullptr;
    TGridUniEdit* UniEdit = nullptr;
    TGridUniCombo* UniCombo = nullptr;
    TGridUniEditBtn* UniEditBtn = nullptr;
    TGridUniMemo* UniMemo = nullptr;
    TGridTrackbarDropDown* TrackbarDropDown = nullptr;
    TGridMemoDropDown* MemoDropDown = nullptr;
    TGridCalculatorDropDown* CalculatorDropDown = nullptr;
    TGridTimepickerDropDown* TimePickerDropDown = nullptr;
    TGridDetailPickerDropDown* DetailPickerDropDown = nullptr;
    TGridGridDropDown* GridDropDown = nullptr;
    TGridColorDropDown* ColorDropDown = nullptr;
    TGridImageDropDown* ImageDropDown = nullptr;
};

// What started an edit.
enum class TEditOpenedBy { Keyboard, Mouse, Selection };

// How an editor kind's value goes back into the cell.
enum class TEditWriteBack { Nothing, Text, WideText };

// One editor kind: the editor types it serves share its control and its write-back.
struct TGridEditorKind {
    const char* Name;
    // The kind's control among the grid's editor controls; null for the text editor (the
    // platform grid's own in-place edit) and for the kinds without an editor.
    TWinControl* (*Control)(const TGridEditorControls&);
    bool TextEditor; // edited in the platform grid's own in-place edit
    TEditWriteBack WriteBack;
};

// The kind serving an editor type.
const TGridEditorKind& GridEditorKind(TEditorType Type);
// Whether the grid's own text editor edits the type.
bool GridTextEditorType(TEditorType Type);
