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
// The picker lost the focus: the edit ends, unless the focus went into the picker's own popup
// (a track bar or memo there takes it while the edit goes on).
void PickerExit(TDidAririzEvar* G, TDizEveverAvivIzar* Picker);
// The grid's OnKeyPress for a character typed into an editor control (Sender).
void EditorKeyPress(TDidAririzEvar* G, TObject* Sender, WideChar& Key);
} // namespace grideditors

// Whether Esc ended a picker's edit: the edit then writes nothing back. The cell keeps its text
// exactly (a picker may show it reformatted, a time with seconds, a number with decimals), and
// the colour and image pickers, whose value is not their text, leave the cell's colour and image.
class TGridPickerCancel {
public:
    virtual ~TGridPickerCancel() = default;
    bool Cancelled() const { return FCancelled; }
    void SetCancelled(bool Value) { FCancelled = Value; }

private:
    bool FCancelled = false;
};

// A picker editor over the dropdown Base.
template <class Base, TPickerMember M> class TGridPickerEditor : public Base, public TGridPickerCancel {
public:
    explicit TGridPickerEditor(TComponent* AOwner) : Base(AOwner), FGrid(grideditors::GridOfOwner(AOwner)) {}

protected:
    void DoExit() override
    {
        grideditors::PickerExit(FGrid, this);
        Base::DoExit();
    }
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        if (!grideditors::PickerKeyDown(FGrid, this, M, Key, Shift))
            Base::KeyDown(Key, Shift);
    }
    // Some pickers step their choice in their own key-down message handling, before KeyDown: the
    // protocol's keys are taken first.
    bool ProtocolKey(TMessage& Message)
    {
        if (Message.Msg != WM_KEYDOWN || GetKeyState(VK_MENU) < 0)
            return false;
        Word Key = static_cast<Word>(Message.WParam);
        TShiftState Shift;
        if (GetKeyState(VK_SHIFT) < 0)
            Shift.Include(ssShift);
        if (GetKeyState(VK_CONTROL) < 0)
            Shift.Include(ssCtrl);
        if (!grideditors::PickerKeyDown(FGrid, this, M, Key, Shift))
            return false;
        Message.Result = 0;
        return true;
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
        if (ProtocolKey(Message))
            return;
        Base::WndProc(Message);
        if (Message.Msg == WM_SETFOCUS &&
            (M == TPickerMember::Trackbar || M == TPickerMember::Memo || M == TPickerMember::Calculator) &&
            this->HandleAllocated())
            grideditors::CaretAtClick(FGrid, this, this->Handle());
    }

    TDidAririzEvar* const FGrid;
};

class TGridTrackbarDropDown : public TGridPickerEditor<TDudIdadeDovUrezAvir, TPickerMember::Trackbar> {
public:
    using TGridPickerEditor::TGridPickerEditor;
    // The picker's own settings come first.
    void AfterConstruction() override;
    // Does nothing: the track bar follows the text through its own change handling.
    void DoChange() {}
};

class TGridMemoDropDown : public TGridPickerEditor<TRerUrazEzodIzaz, TPickerMember::Memo> {
public:
    using TGridPickerEditor::TGridPickerEditor;
};

class TGridCalculatorDropDown : public TGridPickerEditor<TRarEzaveraravOdororud, TPickerMember::Calculator> {
public:
    using TGridPickerEditor::TGridPickerEditor;
    // The picker's own settings come first.
    void AfterConstruction() override;
};

class TGridTimepickerDropDown : public TGridPickerEditor<TRurEradOvuvurOdivEdoz, TPickerMember::TimePicker> {
public:
    using TGridPickerEditor::TGridPickerEditor;
    // The picker's own settings come first.
    void AfterConstruction() override;
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
    using TGridPickerEditor::TGridPickerEditor;
    // The picker's own settings come first.
    void AfterConstruction() override;
};

// Its choice goes to the grid's DoImageSelect.
class TGridImageDropDown : public TGridPickerEditor<TVarAzadeViveriVuveDove, TPickerMember::Image> {
public:
    using TGridPickerEditor::TGridPickerEditor;
    // The picker's own settings come first.
    void AfterConstruction() override;
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
