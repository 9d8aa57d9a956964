#pragma once

// The grid's editor controls: small subclasses of the support library's and the platform's edit,
// combo, spin, check box, button and date controls that know their grid. Each shares one key
// protocol (commit and validate, restore, Tab, leaving the cell) and ends its edit when it loses
// the focus. The grid creates one hidden, disabled instance of each and shows the one an edit
// needs over the cell (edit/EditorHost.cpp).

#include "RudUvud/support/VADEdit.h"
#include "RudUvud/support/VadUni.h"
#include "RudUvud/support/daecombo.h"
#include "RudUvud/support/daespin.h"

#include "platform/forms/ComCtrls.h"
#include "platform/forms/StdCtrls.h"

#include <functional>

class TDidAririzEvar;

// The member of the editor family a control is: each has its own row of the key protocol (the
// keys it handles, where Esc takes the old value from, how it commits and validates, what a
// refusal shows, whether Enter advances and Tab walks, and how the edit ends).
enum class TEditorProtocol {
    Spin,
    EditBtn,
    UnitEditBtn,
    UniEdit,
    UniEditBtn,
    UniMemo, // Enter and the arrows stay inside, Tab and Esc end the edit
    Combo,   // the arrows move in its list while the list is open
    UniCombo,
    DatePicker,
    CheckBox, // nothing to commit, the keys just leave the cell
    Button,
};

namespace grideditors {
// The grid owning an editor control; any other owner raises EInvalidCast.
TDidAririzEvar* GridOfOwner(TComponent* AOwner);
// The shared key-down protocol; false when the key is not one the member handles (it then goes to
// the control's base unchanged).
bool EditorKeyDown(TDidAririzEvar* G, TWinControl* Control, TEditorProtocol P, Word& Key, TShiftState Shift);
// Whether the control claims a special key (Enter, Esc, Tab) from the dialog manager.
bool EditorWantsKey(TDidAririzEvar* G, TEditorProtocol P, WPARAM Key);
// The control lost the focus: its edit ends and its value goes back.
void EditorExit(TDidAririzEvar* G, TWinControl* Control);
// The keys a combo's edit part receives; the combo's own key handling.
class TComboEditKeys {
public:
    virtual ~TComboEditKeys() = default;
    virtual void EditKeyPress(WideChar& Key) = 0;
    virtual void EditKeyUp(Word& Key, TShiftState Shift) = 0;
    // The combo (its edit part) lost the focus to a window outside it: the edit ends.
    virtual void EditExit() = 0;
};
// A combo's edit part is a window of its own: its keys and its loss of focus go through the
// protocol of the combo (and its typed characters and key releases to Keys when given).
void HookComboEdit(TDidAririzEvar* G, TWinControl* Combo, HWND Edit, TEditorProtocol P, TComboEditKeys* Keys);
// The control's text changed: the grid's OnEditChange.
void EditorChange(TDidAririzEvar* G, const AnsiString& Text);
// The caret after the last character, unless the grid selects the whole text of an editor.
void CaretAtEnd(TDidAririzEvar* G, HWND Edit);
// A click with caret positioning opened the edit: the caret goes to the clicked character of the
// edit window Edit (inside Control); the grid's record is cleared once it was used.
void CaretAtClick(TDidAririzEvar* G, TWinControl* Control, HWND Edit);
// Lookup completion: the first of Items starting with what was typed up to the caret completes
// it; the index of that item, -1 when none matched (Text and the selection are then unchanged).
Integer LookupComplete(TDidAririzEvar* G, TStrings* Items, AnsiString& Text, Integer& SelFrom,
                       Integer& SelTo);
} // namespace grideditors

// An editor control over Base, with protocol P.
template <class Base, TEditorProtocol P> class TGridEditorControl : public Base {
public:
    explicit TGridEditorControl(TComponent* AOwner) : Base(AOwner), FGrid(grideditors::GridOfOwner(AOwner)) {}

    TDidAririzEvar* Grid() const { return FGrid; }
    // Recreates the control's window; called before every show.
    void ReCreate()
    {
        if (this->HandleAllocated())
            this->RecreateWnd();
    }

protected:
    void DoExit() override
    {
        grideditors::EditorExit(FGrid, this);
        Base::DoExit();
    }
    void KeyDown(Word& Key, TShiftState Shift) override
    {
        if (!grideditors::EditorKeyDown(FGrid, this, P, Key, Shift))
            Base::KeyDown(Key, Shift);
    }
    void KeyPress(WideChar& Key) override
    {
        // A claimed Enter, Tab or Esc never types into the control (no beep, no new line).
        const bool Claimed = Key == 9 || Key == 27 || (Key == 13 && P != TEditorProtocol::UniMemo);
        if (Claimed && P != TEditorProtocol::CheckBox && P != TEditorProtocol::Button) {
            Key = 0;
            return;
        }
        Base::KeyPress(Key);
    }
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg == CM_WANTSPECIALKEY && grideditors::EditorWantsKey(FGrid, P, Message.WParam)) {
            Message.Result = 1;
            return;
        }
        Base::WndProc(Message);
    }

    TDidAririzEvar* const FGrid;
};

// The 8-bit text members report their changes to the grid.
template <class Base, TEditorProtocol P> class TGridTextEditorControl : public TGridEditorControl<Base, P> {
public:
    using TGridEditorControl<Base, P>::TGridEditorControl;

protected:
    void Change() override
    {
        Base::Change();
        grideditors::EditorChange(this->FGrid, this->Text());
    }
};

using TSpinClickEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, Integer AValue, bool UpDown)>;
using TFloatSpinClickEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, double AValue, bool UpDown)>;
using TDateTimeSpinClickEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TDateTime AValue, bool UpDown)>;

// The integer, float, date and time spin editor.
class TGridSpin : public TGridTextEditorControl<TVadSpinEdit, TEditorProtocol::Spin> {
public:
    explicit TGridSpin(TComponent* AOwner);

    void UpClick(TObject* Sender) override;
    void DownClick(TObject* Sender) override;
    // The grid's spin event of the spin type, with the value after the step.
    void DoClick(bool Up);

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;
};

// The edit with a button: plain, integer-only or float-only, with lookup completion, walking out
// at the text's edges with the arrows and the grid's key events.
class TGridEditBtn : public TGridTextEditorControl<TVadEditBtn, TEditorProtocol::EditBtn> {
public:
    explicit TGridEditBtn(TComponent* AOwner);

    // The button's click: the grid's EllipsClick gives the new text.
    void ExtClick(TObject* Sender);
    // Completes the text from the grid's LookupItems.
    void DoChange();
    // The edit ends with the text the button gave.
    bool StopEditAfterClick() const { return FStopEditAfterClick; }
    void SetStopEditAfterClick(bool Value) { FStopEditAfterClick = Value; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    // The kind's character rules; false drops the character.
    bool CharAccepted(WideChar Ch);
    void Paste();
    void WalkOut(bool Forward, Word& Key);

    bool FLookupArmed = true;
    Integer FKeyDownSelStart = 0;
    bool FKeyDownSelected = false;
    bool FStopEditAfterClick = false;
};

// A value with a unit and a button.
class TGridUnitEditBtn : public TGridEditorControl<TVadUnitEditBtn, TEditorProtocol::UnitEditBtn> {
public:
    explicit TGridUnitEditBtn(TComponent* AOwner);

    void ExtClick(TObject* Sender);

protected:
    void WndProc(TMessage& Message) override;
};

// The wide-text members store their wide text at the end of the edit and are left holding a space.
template <class Base, TEditorProtocol P> class TGridUniEditorControl : public TGridEditorControl<Base, P> {
public:
    using TGridEditorControl<Base, P>::TGridEditorControl;

protected:
    void DoExit() override;
    void WndProc(TMessage& Message) override;
};

class TGridUniEdit : public TGridUniEditorControl<TVadUniEdit, TEditorProtocol::UniEdit> {
public:
    using TGridUniEditorControl::TGridUniEditorControl;
};

class TGridUniEditBtn : public TGridUniEditorControl<TVadUniEditBtn, TEditorProtocol::UniEditBtn> {
public:
    using TGridUniEditorControl::TGridUniEditorControl;
};

class TGridUniMemo : public TGridUniEditorControl<TVadUniMemo, TEditorProtocol::UniMemo> {
public:
    using TGridUniEditorControl::TGridUniEditorControl;
};

// The combo editors: a drop width fitted to the items, lookup completion, the wheel stepping
// through the items, the change events and the history of typed values.
class TGridCombo : public TGridTextEditorControl<TDAEComboBox, TEditorProtocol::Combo>,
                   public grideditors::TComboEditKeys {
public:
    explicit TGridCombo(TComponent* AOwner);

    // Widens the drop-down list to its widest item (measured with the grid's canvas font).
    void SizeDropDownWidth();
    void DoChange();
    void EditKeyPress(WideChar& Key) override { KeyPress(Key); }
    void EditKeyUp(Word& Key, TShiftState Shift) override { KeyUp(Key, Shift); }
    void EditExit() override;
    // Enter was typed.
    TNotifyEvent OnReturnKey;

protected:
    void CreateWnd() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    bool FLookupArmed = true;
};

class TGridUniCombo : public TGridEditorControl<TDAEUniComboBox, TEditorProtocol::UniCombo>,
                      public grideditors::TComboEditKeys {
public:
    explicit TGridUniCombo(TComponent* AOwner);

    void SizeDropDownWidth();
    void DoChange();
    void EditKeyPress(WideChar& Key) override { KeyPress(Key); }
    void EditKeyUp(Word& Key, TShiftState Shift) override { KeyUp(Key, Shift); }
    void EditExit() override;
    TNotifyEvent OnReturnKey;

protected:
    void CreateWnd() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    bool FLookupArmed = true;
};

// A press or Space toggles it once; the edit writes the cell's check text back when the state
// differs from the one it began with.
class TGridCheckBox : public TGridEditorControl<TCheckBox, TEditorProtocol::CheckBox> {
public:
    using TGridEditorControl::TGridEditorControl;

    // Begins an edit in State.
    void Start(bool State);
    bool StartState() const { return FStartState; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    bool FStartState = false;
};

// A click or Space passes the caption through the grid's EllipsClick and the cell takes the
// result at once; the arrows and Esc leave the cell through the grid's own key handling.
class TGridButton : public TGridEditorControl<TButton, TEditorProtocol::Button> {
public:
    using TGridEditorControl::TGridEditorControl;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WndProc(TMessage& Message) override;

private:
    // The click: the caption through EllipsClick, into the cell.
    void ButtonClick();
    // Leaves the edit without writing anything (the click already did).
    void Leave();
};

class TGridDatePicker : public TGridEditorControl<TDateTimePicker, TEditorProtocol::DatePicker> {
public:
    // Its change, close-up and drop-down go to the grid's date picker handlers.
    explicit TGridDatePicker(TComponent* AOwner);

    // The drop-down calendar's look.
    bool ShowToday = true;
    bool ShowTodayCircle = true;
    bool Weeknumbers = false;

protected:
    // The grid's OnKeyPress (Sender the grid) first.
    void KeyPress(WideChar& Key) override;
    // A flat frame in the window colour over the platform's border; reflected notifications
    // answer 0 before the picker handles them.
    void WndProc(TMessage& Message) override;
};
