#pragma once

// TZurIdodAdod: the rich edit bound to the grid. The grid holds two: a hidden one that loads RTF
// cells to paint, measure and convert them, and the editor of rich-text cells placed over the
// cell being edited.

#include "platform/forms/ComCtrls.h"

class TDidAririzEvar;

class TZurIdodAdod : public TCustomRichEdit {
public:
    // The owner must be the grid: any other owner raises EInvalidCast.
    explicit TZurIdodAdod(TComponent* AOwner);

    // Builds the window anew.
    void ReCreate();
    // While locked the editing instance does not grow its row (set while the grid loads it).
    void Lock() { FLocked = true; }
    void Unlock() { FLocked = false; }
    bool Locked() const { return FLocked; }

    // The vertical offset of the selection's characters, in twips (positive raises).
    void SelFormat(Integer Offset);
    void SelNormal();
    void SelSubscript();
    void SelSuperscript();
    // The selection's offset as the control reports it: 0, -40 or +40.
    bool IsSelNormal();
    bool IsSelSubscript();
    bool IsSelSuperscript();

    // The size the text last asked for (the measuring instance only): width and height of the
    // requested rectangle.
    Integer ReqWidth() const { return FReqWidth; }
    Integer ReqHeight() const { return FReqHeight; }

    void WndProc(TMessage& Message) override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMKillFocus(TMessage& Message);
    void CNNotify(TMessage& Message);

private:
    Integer SelOffset();
    TDidAririzEvar* FGrid;
    Integer FReqHeight = 0;
    Integer FReqWidth = 0;
    bool FLocked = false;
};
