#pragma once

// The grid's drop-down picker editors (track bar, memo, calculator, time, detail list,
// multi-column lookup, colour and image) and its drop-down date-time editor: thin subclasses of
// the dropdown family's pickers that know their grid and keep the editors' key protocol. The grid
// fills them from the cell and reads them back (edit/EditorHost.cpp, edit/GridEditorsPicker.cpp).

#include "RudUvud/edit/GridEditors.h"

#include "dropdowns/ColorPicker.h"
#include "dropdowns/DavEdevaRuvuviZaroDizu.h"
#include "dropdowns/DidAzadEzazAredav.h"
#include "dropdowns/DudIdadeDovUrezAvir.h"
#include "dropdowns/RarEzaveraravOdororud.h"
#include "dropdowns/RerUrazEzodIzaz.h"
#include "dropdowns/RozUvodudIvavAvuv.h"
#include "dropdowns/TimePicker.h"
#include "dropdowns/VarAzadeViveriVuveDove.h"

#include <functional>

using TColorSelectEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TColor Color, const AnsiString& Value)>;
using TImageSelectEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer Index)>;
using TColorSelectedEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TColor& Color, AnsiString& Value)>;
using TImageSelectedEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer& Index)>;
using TDropDownButtonClickEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer ButtonIndex)>;

// The member of the picker editors a control is: the members differ in the keys they claim,
// how Esc puts the old text back, the keys that commit and where the caret goes on a click.
enum class TPickerMember { Trackbar, Memo, Calculator, TimePicker, Detail, Grid, Color, Image };

namespace grideditors {
// The picker protocol's key-down; false when the key goes to the picker's own handling.
bool PickerKeyDown(TDidAririzEvar* G, TDizEveverAvivIzar* Picker, TPickerMember M, Word& Key,
                   TShiftState Shift);
// Whether the picker claims a special key (the picker's own answer comes first).
bool PickerWantsKey(TDidAririzEvar* G, TPickerMember M, WPARAM Key);
// The grid's OnKeyPress for a character typed into an editor control (Sender).
void EditorKeyPress(TDidAririzEvar* G, TObject* Sender, WideChar& Key);
} // namespace grideditors

// A picker editor over the dropdown Base.
template <class Base, TPickerMember M> class TGridPickerEditor : public Base {
public:
    explicit TGridPickerEditor(TComponent* AOwner) : Base(AOwner), FGrid(grideditors::GridOfOwner(AOwner)) {}

    TDidAririzEvar* Grid() const { return FGrid; }
    // Set by Esc: the edit ends with nothing written back (the colour and image pickers hold
    // their value apart from the text, which Esc alone cannot put back).
    bool Cancelled() const { return FCancelled; }
    void SetCancelled(bool Value) { FCancelled = Value; }

protected:
    void DoExit() override
    {
        grideditors::EditorExit(FGrid, this);
        Base::DoExit();
    }
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        if (!grideditors::PickerKeyDown(FGrid, this, M, Key, Shift))
            Base::KeyDown(Key, Shift);
    }
    void KeyPress(WideChar& Key) override
    {
        grideditors::EditorKeyPress(FGrid, this, Key);
        if (Key == 27 || Key == 13 || Key == 9)
            Key = 0;
        Base::KeyPress(Key);
    }
    void Change() override
    {
        Base::Change();
        grideditors::EditorChange(FGrid, this->Text());
    }
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg == CM_WANTSPECIALKEY) {
            Base::WndProc(Message);
            if (grideditors::PickerWantsKey(FGrid, M, Message.WParam))
                Message.Result = 1;
            return;
        }
        Base::WndProc(Message);
        if (Message.Msg == WM_SETFOCUS &&
            (M == TPickerMember::Trackbar || M == TPickerMember::Memo || M == TPickerMember::Calculator) &&
            this->HandleAllocated())
            grideditors::CaretAtClick(FGrid, this, this->Handle());
    }

    TDidAririzEvar* const FGrid;
    bool FCancelled = false;
};

class TGridTrackbarDropDown : public TGridPickerEditor<TDudIdadeDovUrezAvir, TPickerMember::Trackbar> {
public:
    explicit TGridTrackbarDropDown(TComponent* AOwner);
    // Does nothing: the track bar follows the text through its own change handling.
    void DoChange() {}
};

class TGridMemoDropDown : public TGridPickerEditor<TRerUrazEzodIzaz, TPickerMember::Memo> {
public:
    using TGridPickerEditor::TGridPickerEditor;
};

class TGridCalculatorDropDown : public TGridPickerEditor<TRarEzaveraravOdororud, TPickerMember::Calculator> {
public:
    explicit TGridCalculatorDropDown(TComponent* AOwner);
};

class TGridTimepickerDropDown : public TGridPickerEditor<TRurEradOvuvurOdivEdoz, TPickerMember::TimePicker> {
public:
    explicit TGridTimepickerDropDown(TComponent* AOwner);
};

class TGridDetailPickerDropDown : public TGridPickerEditor<TRozUvodudIvavAvuv, TPickerMember::Detail> {
public:
    using TGridPickerEditor::TGridPickerEditor;
};

class TGridGridDropDown : public TGridPickerEditor<TDavEdevaRuvuviZaroDizu, TPickerMember::Grid> {
public:
    using TGridPickerEditor::TGridPickerEditor;
};

// Its choice goes to the grid's DoColorSelect.
class TGridColorDropDown : public TGridPickerEditor<TZerUdiraZiruziZidaZore, TPickerMember::Color> {
public:
    explicit TGridColorDropDown(TComponent* AOwner);
};

// Its choice goes to the grid's DoImageSelect.
class TGridImageDropDown : public TGridPickerEditor<TVarAzadeViveriVuveDove, TPickerMember::Image> {
public:
    explicit TGridImageDropDown(TComponent* AOwner);
};

// The drop-down date-time editor: Esc puts back the value the edit began with; Enter and Tab end
// the edit without validation.
class TGridDateTimePicker : public TDidAzadEzazAredav {
public:
    // Its change and close-up go to the grid's date-time handlers.
    explicit TGridDateTimePicker(TComponent* AOwner);
    void ReCreate()
    {
        if (HandleAllocated())
            RecreateWnd();
    }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;

    TDidAririzEvar* const FGrid;
};
