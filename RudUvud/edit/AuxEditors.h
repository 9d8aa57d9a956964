#pragma once

// The grid's small editors outside its editor kinds: the editor of fixed (header) cells, the two
// editors of the form controls that mini-HTML cells hold, and the list that drops down from a
// column's filter glyph. None of them takes part in the editor family's key protocol; each ends
// its work in its own way (edit/AuxEditors.cpp).

#include "RudUvud/support/daecombo.h"

#include "platform/forms/Mask.h"
#include "platform/forms/StdCtrls.h"

#include <functional>

class TDidAririzEvar;
class TStrings;

// Events of the form controls of mini-HTML cells and of their links (fired by the grid).
using TControlClickEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, const AnsiString& CtrlID,
                       const AnsiString& CtrlType, const AnsiString& CtrlVal)>;
using TControlEditDoneEvent = TControlClickEvent;
// Fills Values (the combo's own item list) and may change whether free text is allowed (Edit)
// and how many items the open list shows (DropCount).
using TControlComboListEvent = std::function<void(
    TObject* Sender, Integer ARow, Integer ACol, const AnsiString& CtrlID, const AnsiString& CtrlType,
    const AnsiString& CtrlVal, TStrings* Values, bool& Edit, Integer& DropCount)>;
using TControlComboSelectEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, Integer ItemIndex,
                       const AnsiString& CtrlID, const AnsiString& CtrlValue)>;
// AutoHandle false keeps the grid from following the link itself.
using TAnchorClickEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol,
                                             const AnsiString& Anchor, bool& AutoHandle)>;

// The edit over a fixed cell. The grid opens it with StartFixedEdit; it writes its text back when
// it loses the focus, unless OnCellValidate refuses the text, in which case it stays open.
class TGridTransEdit : public TCustomEdit {
public:
    // Hidden until the grid opens it; the owner is its grid (any other owner leaves it without
    // one, and it then only hides when its edit ends).
    explicit TGridTransEdit(TComponent* AOwner);

    // The edited cell: real column and row.
    Integer Col() const { return FCol; }
    void SetCol(Integer Value) { FCol = Value; }
    Integer Row() const { return FRow; }
    void SetRow(Integer Value) { FRow = Value; }

    // Ends the edit: OnCellValidate may change or refuse the text; an accepted text fires
    // OnEditingDone, is stored into the cell and the edit hides (true). A refused one moves the
    // grid's current cell to the edited cell and keeps the edit open and focused (false).
    bool StopEdit();

    void WndProc(TMessage& Message) override;

protected:
    void DoExit() override;
    // Enter changes nothing (and never beeps): the edit ends when the focus leaves it.
    void KeyPress(WideChar& Key) override;

private:
    Integer FRow = 0;
    Integer FCol = 0;
    TDidAririzEvar* FGrid;
    bool FStopping = false;
};

// The editor of a text form control (TYPE EDIT, PASSWORD or MASK) of a mini-HTML cell. Enter and
// Tab end it, its value going back into the cell's markup; Tab then moves on (AdvanceEdit with
// Navigation.AdvanceAuto, else the next form control of the cell).
class TControlEdit : public TMaskEdit {
public:
    using TMaskEdit::TMaskEdit;

    void WndProc(TMessage& Message) override;

protected:
    void KeyPress(WideChar& Key) override;
};

// The editor of a COMBO form control of a mini-HTML cell; Enter and Tab as for TControlEdit.
class TControlCombo : public TDAEComboBox {
public:
    using TDAEComboBox::TDAEComboBox;

    void WndProc(TMessage& Message) override;
    // The combo's edit part hands Enter and Tab over to the combo's key press.
    void KeyPress(WideChar& Key) override;

protected:
    void CreateWnd() override;
};

using TDropSelectEvent = std::function<void(TObject* Sender, Integer ItemIndex)>;

// The list of filter values that drops down from a column's filter glyph. A selection (Enter or a
// mouse release) hides it and fires OnSelect with the selected index (-1: none); the focus moving
// elsewhere while the mouse is outside it hides it without a selection.
class TDropList : public TListBox {
public:
    using TListBox::TListBox;

    void WndProc(TMessage& Message) override;

    TDropSelectEvent OnSelect;

protected:
    void KeyPress(WideChar& Key) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    // The focus left the list: with the mouse outside it, the list closes without a selection.
    void CancelMode();
    void Select();
};
