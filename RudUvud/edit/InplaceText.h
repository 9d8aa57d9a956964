#pragma once

// The grid's text editor: the platform grid's in-place edit with the character rules of the
// text editor kinds (numbers, floats, cases, valid characters, passwords), the same rules for
// pasted text, a length limit, word wrap and right alignment, validation before the edited text
// is kept, and the end of the edit reported once when it loses the focus.

#include "platform/forms/Grids.h"

class TDidAririzEvar;

class TRizAdiriruVava : public TInplaceEdit {
public:
    explicit TRizAdiriruVava(TComponent* AOwner);

    // Right-aligned text (the window is recreated).
    bool VAlign() const { return FVAlign; }
    void SetVAlign(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // Characters the text may hold; 0 or less: no limit.
    Integer LengthLimit() const { return FLengthLimit; }
    void SetLengthLimit(Integer Value) { FLengthLimit = Value; }

    void UpdateContents() override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void BoundsChanged() override;
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;

private:
    TDidAririzEvar* Owner() const;
    // The character rules; false drops the character (Message.WParam may be changed).
    bool CharAccepted(TMessage& Message);
    void Paste();
    // The editor's text with Value in place of the selection (or at the caret); the selection
    // the paste leaves.
    AnsiString PasteIntoSelection(const AnsiString& Value, Integer& SelFrom, Integer& SelTo);
    // Type-ahead completion from the grid's lookup list.
    void DoChange();
    // True when the key was handled here and goes no further.
    bool KeyDownHandled(TMessage& Message);
    void KillFocus(TMessage& Message);
    // After a refused validation: the refused text stays, selected or with the caret at its end.
    void ShowRefused();
    // ShowRefused, the cell's old text kept for the next validation, the key's character dropped.
    void KeepRefused(const AnsiString& OldText);
    void Selection(Integer& Start, Integer& End);
    Integer Caret();
    // Shift+Left at the start or Shift+Right at the end of the text: the edit ends on the cell
    // and the grid takes the focus; true when the key was taken.
    bool LeaveByShiftArrow(Word Key);
    // Left at the start or Right at the end of the text: the edit moves to the next cell that way.
    void CursorWalk(bool Forward, Word& Key);
    // The text is full (the grid's MaxEditLength reached with the caret at its end): the grid
    // moves on as for Enter.
    void AdvanceWhenFull();
    // With SizeWhileTyping.Height and multi-line cells, a Shift or Ctrl+Enter makes the row as
    // high as the text with the new line (at least as high as the row's largest cell).
    void GrowForNewLine();
    // After a key: the column widened to its widest text (SizeWhileTyping.Width) and, with word
    // wrap, the row sized to its cells (SizeWhileTyping.Height).
    void FitWhileTyping();
    // A click with caret positioning opened the edit: the caret goes to the clicked character.
    void PlaceCaretAtClick();
    bool WantsStyle(DWORD& Style) const;

    TDidAririzEvar* FOwner = nullptr;
    bool FVAlign = false;
    bool FWordWrap = false;
    Integer FLengthLimit = 0;
    bool FFocused = false;
    bool FAltBack = false;
    bool FLoading = false;
    bool FLookupAllowed = true;
    Integer FEditCol = -1, FEditRow = -1;
    // The caret when the last key went down: at the key-down event and at the key-down message.
    Integer FKeyDownSelStart = 0;
    Integer FMsgSelStart = 0;
    bool FVerticalMove = false;
};
