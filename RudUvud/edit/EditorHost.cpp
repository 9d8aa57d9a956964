// The in-place editor host: the table of editor kinds, choosing the kind of the current cell
// (CanEditShow), opening an edit from the keyboard, a mouse press or a selection, showing an
// editor control over its cell, and writing back and hiding at the end of the edit.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridEditState.h"

#include <array>

namespace {

template <auto Member> TWinControl* ControlOf(const TGridEditorControls& E)
{
    return E.*Member;
}

constexpr TGridEditorKind TextKind{"text", nullptr, true, TEditWriteBack::Text};
constexpr TGridEditorKind NoEditor{"none", nullptr, false, TEditWriteBack::Nothing};

constexpr TGridEditorKind SpinKind{"spin", ControlOf<&TGridEditorControls::Spin>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind ComboKind{"combo", ControlOf<&TGridEditorControls::Combo>, false,
                                    TEditWriteBack::Text};
constexpr TGridEditorKind EditBtnKind{"edit button", ControlOf<&TGridEditorControls::EditBtn>, false,
                                      TEditWriteBack::Text};
constexpr TGridEditorKind UnitEditBtnKind{"unit edit button", ControlOf<&TGridEditorControls::UnitEditBtn>,
                                          false, TEditWriteBack::Text};
constexpr TGridEditorKind CheckBoxKind{"check box", ControlOf<&TGridEditorControls::CheckBox>, false,
                                       TEditWriteBack::Nothing};
constexpr TGridEditorKind DateKind{"date picker", ControlOf<&TGridEditorControls::DatePicker>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind DateTimeKind{"date-time picker", ControlOf<&TGridEditorControls::DateTimePicker>,
                                       false, TEditWriteBack::Text};
constexpr TGridEditorKind ButtonKind{"button", ControlOf<&TGridEditorControls::Button>, false,
                                     TEditWriteBack::Nothing};
constexpr TGridEditorKind CustomKind{"custom", nullptr, false, TEditWriteBack::Text};
constexpr TGridEditorKind RichKind{"rich edit", ControlOf<&TGridEditorControls::RichEdit>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind UniEditKind{"wide edit", ControlOf<&TGridEditorControls::UniEdit>, false,
                                      TEditWriteBack::WideText};
constexpr TGridEditorKind UniComboKind{"wide combo", ControlOf<&TGridEditorControls::UniCombo>, false,
                                       TEditWriteBack::WideText};
constexpr TGridEditorKind UniEditBtnKind{"wide edit button", ControlOf<&TGridEditorControls::UniEditBtn>,
                                         false, TEditWriteBack::WideText};
constexpr TGridEditorKind UniMemoKind{"wide memo", ControlOf<&TGridEditorControls::UniMemo>, false,
                                      TEditWriteBack::WideText};
constexpr TGridEditorKind TrackbarKind{
    "trackbar drop-down", ControlOf<&TGridEditorControls::TrackbarDropDown>, false, TEditWriteBack::Text};
constexpr TGridEditorKind MemoKind{"memo drop-down", ControlOf<&TGridEditorControls::MemoDropDown>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind CalculatorKind{
    "calculator drop-down", ControlOf<&TGridEditorControls::CalculatorDropDown>, false, TEditWriteBack::Text};
constexpr TGridEditorKind TimePickerKind{"time picker drop-down",
                                         ControlOf<&TGridEditorControls::TimePickerDropDown>, false,
                                         TEditWriteBack::Text};
constexpr TGridEditorKind DetailKind{"detail picker drop-down",
                                     ControlOf<&TGridEditorControls::DetailPickerDropDown>, false,
                                     TEditWriteBack::Text};
constexpr TGridEditorKind GridDropKind{"grid drop-down", ControlOf<&TGridEditorControls::GridDropDown>, false,
                                       TEditWriteBack::Text};
constexpr TGridEditorKind ColorKind{"colour picker drop-down", ControlOf<&TGridEditorControls::ColorDropDown>,
                                    false, TEditWriteBack::Text};
constexpr TGridEditorKind ImageKind{"image picker drop-down", ControlOf<&TGridEditorControls::ImageDropDown>,
                                    false, TEditWriteBack::Text};

// By editor type, in the order of TEditorType.
constexpr std::array<const TGridEditorKind*, edImagePickerDropDown + 1> Kinds{
    &TextKind,        // edNormal
    &SpinKind,        // edSpinEdit
    &ComboKind,       // edComboEdit
    &ComboKind,       // edComboList
    &EditBtnKind,     // edEditBtn
    &CheckBoxKind,    // edCheckBox
    &DateKind,        // edDateEdit
    &DateKind,        // edDateEditUpDown
    &DateKind,        // edTimeEdit
    &ButtonKind,      // edButton
    &NoEditor,        // edDataCheckBox
    &TextKind,        // edNumeric
    &TextKind,        // edPositiveNumeric
    &TextKind,        // edFloat
    &TextKind,        // edCapital
    &TextKind,        // edMixedCase
    &TextKind,        // edPassword
    &UnitEditBtnKind, // edUnitEditBtn
    &TextKind,        // edLowerCase
    &TextKind,        // edUpperCase
    &SpinKind,        // edFloatSpinEdit
    &SpinKind,        // edTimeSpinEdit
    &SpinKind,        // edDateSpinEdit
    &EditBtnKind,     // edNumericEditBtn
    &EditBtnKind,     // edFloatEditBtn
    &CustomKind,      // edCustom
    &RichKind,        // edRichEdit
    &NoEditor,        // edNone
    &UniEditKind,     // edUniEdit
    &UniComboKind,    // edUniComboEdit
    &UniComboKind,    // edUniComboList
    &UniEditBtnKind,  // edUniEditBtn
    &UniMemoKind,     // edUniMemo
    &DateTimeKind,    // edDateTimeEdit
    &TextKind,        // edValidChars
    &TrackbarKind,    // edTrackbarDropDown
    &MemoKind,        // edMemoDropDown
    &CalculatorKind,  // edCalculatorDropDown
    &TimePickerKind,  // edTimePickerDropDown
    &DetailKind,      // edDetailDropDown
    &GridDropKind,    // edGridDropDown
    &ColorKind,       // edColorPickerDropDown
    &ImageKind,       // edImagePickerDropDown
};

} // namespace

const TGridEditorKind& GridEditorKind(TEditorType Type)
{
    const auto I = static_cast<size_t>(Type);
    return I < Kinds.size() ? *Kinds[I] : NoEditor;
}

bool TDidAririzEvar::OpenEditor(TEditOpenedBy By)
{
    TGridEditingState& E = FEdit.Editing;
    // An edit whose text editor the platform grid has closed meanwhile (Enter, Esc, focus
    // lost) is over: the next one chooses its kind afresh.
    if (E.Active && !E.Shown && !EditorMode())
        E.Active = false;
    E.OpenedBy = By;
    ++E.Opened;
    if (!HasStaticEdit(RealColIndex(Col()), Row())) {
        if (Row() < TopRow() && Row() >= FixedRows())
            SetTopRow(Row());
        if (Col() < LeftCol() && Col() >= FixedCols())
            SetLeftCol(Col());
    }
    // The platform grid's ShowEditor asks CanEditShow, which chooses the kind and shows a
    // control for the kinds that have one.
    ShowEditor();
    return E.Active;
}

bool TDidAririzEvar::CanEditShow()
{
    TGridEditingState& E = FEdit.Editing;
    bool Result = TBaseGrid::CanEditShow();
    if (ComponentState().Contains(csDesigning))
        return Result;
    const TPoint B = BaseCell(RealColIndex(Col()), Row());
    if (E.Active && !E.Shown && !EditorMode() && !(E.Cell == TGridCoord{Col(), Row()}))
        E.Active = false; // the edit of another cell ended without the host
    if (Result && !E.Active && HasStaticEdit(B.X, B.Y))
        return false;
    if (Result && !E.Active) {
        E.Cache = GetCellEx(RealColIndex(Col()), Row());
        E.Type = FCore.DefaultEditor;
        GetCellEditor(B.X, B.Y, E.Type);
        E.Kind = &GridEditorKind(E.Type);
        if (E.Type == edNone)
            return false;
        E.Active = true;
        E.Cell = TGridCoord{Col(), Row()};
        if (!E.Kind->TextEditor) {
            ShowEditControl(Col(), Row());
            return false;
        }
    }
    return Result && (!E.Active || !E.Kind || E.Kind->TextEditor);
}

void TDidAririzEvar::ShowEditControl(Integer ACol, Integer ARow)
{
    TGridEditingState& E = FEdit.Editing;
    TWinControl* C = E.Kind && E.Kind->Control ? E.Kind->Control(FEditors) : nullptr;
    // Kinds without a control (or whose control does not exist) leave the edit open with nothing
    // shown until the next HideInplaceEdit.
    if (!C)
        return;
    const TRect R = CellRect(ACol, ARow);
    FGridState = gsNormal;
    if (!C->Parent())
        C->SetParent(this); // the date pickers get their parent at their first show
    C->SetBounds(R.Left, R.Top, R.Right - R.Left - 1, R.Bottom - R.Top - 1);
    C->SetText(GetEditText(ACol, ARow));
    C->SetEnabled(true);
    C->SetVisible(true);
    if (C->CanFocus())
        C->SetFocus();
    E.Shown = C;
}

void TDidAririzEvar::CommitEditor()
{
    TGridEditingState& E = FEdit.Editing;
    if (!E.Active)
        return;
    if (!E.Kind || E.Kind->TextEditor) {
        // The platform grid writes a changed text back through SetEditText.
        if (EditorMode())
            HideEditor();
        return;
    }
    if (!E.Shown || !E.Kind || E.Cell.X >= ColCount() || E.Cell.Y >= RowCount())
        return;
    const AnsiString Value = E.Shown->Text();
    switch (E.Kind->WriteBack) {
    case TEditWriteBack::Nothing:
        break;
    case TEditWriteBack::Text:
    case TEditWriteBack::WideText:
        if (Value != GetEditText(E.Cell.X, E.Cell.Y))
            SetEditText(E.Cell.X, E.Cell.Y, Value);
        break;
    }
}

void TDidAririzEvar::HideInplaceEdit()
{
    TGridEditingState& E = FEdit.Editing;
    if (E.Active)
        CommitEditor();
    if (EditorMode())
        HideEditor();
    if (E.Shown) {
        E.Shown->SetVisible(false);
        E.Shown = nullptr;
    }
    E.Active = false;
}
