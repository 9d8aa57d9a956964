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

class TDidAririzEvar;

// What an editor control does with the keys that end an edit.
enum class TEditorProtocol {
    Text,     // commits its text into the cell and validates it
    WideText, // commits its wide text and validates it as wide text
    Memo,     // a wide memo: Enter and the arrows stay inside, Tab and Esc end the edit
    Combo,    // commits its text; the arrows move in its list while the list is open
    WideCombo,
    Choice, // check box and button: nothing to commit, the keys just leave the cell
};

namespace grideditors {
// The grid owning an editor control; any other owner raises EInvalidCast.
TDidAririzEvar* GridOfOwner(TComponent* AOwner);
// The shared key-down protocol; false when the key is not one the protocol handles.
bool EditorKeyDown(TDidAririzEvar* G, TWinControl* Control, TEditorProtocol P, Word& Key, TShiftState Shift);
// Whether the control claims a special key (Enter, Esc, Tab) from the dialog manager.
bool EditorWantsKey(TDidAririzEvar* G, TEditorProtocol P, WPARAM Key);
// The control lost the focus: its edit ends and its value goes back.
void EditorExit(TDidAririzEvar* G, TWinControl* Control);
// A combo's edit part is a window of its own: its keys and its loss of focus go through the
// protocol of the combo.
void HookComboEdit(TDidAririzEvar* G, TWinControl* Combo, HWND Edit, TEditorProtocol P);
// The control's text changed: the grid's OnEditChange.
void EditorChange(TDidAririzEvar* G, const AnsiString& Text);
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
        const bool Claimed = Key == 9 || Key == 27 || (Key == 13 && P != TEditorProtocol::Memo);
        if (Claimed && P != TEditorProtocol::Choice) {
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

class TGridSpin : public TGridTextEditorControl<TVadSpinEdit, TEditorProtocol::Text> {
public:
    using TGridTextEditorControl::TGridTextEditorControl;
};

class TGridEditBtn : public TGridTextEditorControl<TVadEditBtn, TEditorProtocol::Text> {
public:
    using TGridTextEditorControl::TGridTextEditorControl;
};

class TGridUnitEditBtn : public TGridEditorControl<TVadUnitEditBtn, TEditorProtocol::Text> {
public:
    using TGridEditorControl::TGridEditorControl;
};

class TGridCombo : public TGridTextEditorControl<TDAEComboBox, TEditorProtocol::Combo> {
public:
    using TGridTextEditorControl::TGridTextEditorControl;

protected:
    void CreateWnd() override
    {
        TGridTextEditorControl::CreateWnd();
        grideditors::HookComboEdit(FGrid, this, EditHandle(), TEditorProtocol::Combo);
    }
};

class TGridUniEdit : public TGridEditorControl<TVadUniEdit, TEditorProtocol::WideText> {
public:
    using TGridEditorControl::TGridEditorControl;
};

class TGridUniEditBtn : public TGridEditorControl<TVadUniEditBtn, TEditorProtocol::WideText> {
public:
    using TGridEditorControl::TGridEditorControl;
};

class TGridUniMemo : public TGridEditorControl<TVadUniMemo, TEditorProtocol::Memo> {
public:
    using TGridEditorControl::TGridEditorControl;
};

class TGridUniCombo : public TGridEditorControl<TDAEUniComboBox, TEditorProtocol::WideCombo> {
public:
    using TGridEditorControl::TGridEditorControl;

protected:
    void CreateWnd() override
    {
        TGridEditorControl::CreateWnd();
        grideditors::HookComboEdit(FGrid, this, EditHandle(), TEditorProtocol::WideCombo);
    }
};

class TGridCheckBox : public TGridEditorControl<TCheckBox, TEditorProtocol::Choice> {
public:
    using TGridEditorControl::TGridEditorControl;
};

class TGridButton : public TGridEditorControl<TButton, TEditorProtocol::Choice> {
public:
    using TGridEditorControl::TGridEditorControl;
};

class TGridDatePicker : public TGridEditorControl<TDateTimePicker, TEditorProtocol::Text> {
public:
    // Its change, close-up and drop-down go to the grid's date picker handlers.
    explicit TGridDatePicker(TComponent* AOwner);

    // The drop-down calendar's look.
    bool ShowToday = true;
    bool ShowTodayCircle = true;
    bool Weeknumbers = false;
};
