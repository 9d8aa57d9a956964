// The grid's editor controls for typed values: the spin editor (its keys and spin events), the
// edit with a button (character rules of its numeric kinds, paste, lookup completion, walking out
// at the text's edges, the button's click), the unit editor and the three wide-text editors.

#include "RudUvud/edit/GridEditors.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Guards.h"

namespace {

void Selection(HWND Wnd, Integer& Start, Integer& End)
{
    DWORD S = 0, E = 0;
    SendMessage(Wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
    Start = static_cast<Integer>(S);
    End = static_cast<Integer>(E);
}

} // namespace

// ---- Spin editor -----------------------------------------------------------------------------------

TGridSpin::TGridSpin(TComponent* AOwner) : TGridTextEditorControl(AOwner)
{
    SetMaxValue(100);
    SetMinValue(0);
    SetIncrement(1);
}

void TGridSpin::UpClick(TObject* Sender)
{
    TVadSpinEdit::UpClick(Sender);
    DoClick(true);
}

void TGridSpin::DownClick(TObject* Sender)
{
    TVadSpinEdit::DownClick(Sender);
    DoClick(false);
}

void TGridSpin::DoClick(bool Up)
{
    TDidAririzEvar* G = FGrid;
    switch (SpinType()) {
    case sptNormal:
        if (G->OnSpinClick)
            G->OnSpinClick(G, G->Col(), G->Row(), Value(), Up);
        break;
    case sptFloat:
        if (G->OnFloatSpinClick)
            G->OnFloatSpinClick(G, G->Col(), G->Row(), FloatValue(), Up);
        break;
    case sptDate:
        if (G->OnDateSpinClick)
            G->OnDateSpinClick(G, G->Col(), G->Row(), DateValue(), Up);
        break;
    case sptTime:
        if (G->OnTimeSpinClick)
            G->OnTimeSpinClick(G, G->Col(), G->Row(), TimeValue(), Up);
        break;
    }
}

void TGridSpin::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_HOME || Key == VK_END) {
        // A step that would leave the limits is not made; the comparisons cannot overflow.
        if (SpinType() == sptNormal) {
            const Integer V = Value();
            if (Key == VK_PRIOR && V <= MaxValue() - Increment())
                SetValue(V + Increment());
            else if (Key == VK_NEXT && V >= MinValue() + Increment())
                SetValue(V - Increment());
            else if (Key == VK_END)
                SetValue(MinValue());
            else if (Key == VK_HOME)
                SetValue(MaxValue());
        } else if (SpinType() == sptFloat) {
            const double V = FloatValue();
            if (Key == VK_PRIOR && V + IncrementFloat() <= MaxFloatValue())
                SetFloatValue(V + IncrementFloat());
            else if (Key == VK_NEXT && V - IncrementFloat() >= MinFloatValue())
                SetFloatValue(V - IncrementFloat());
            else if (Key == VK_END)
                SetFloatValue(MinFloatValue());
            else if (Key == VK_HOME)
                SetFloatValue(MaxFloatValue());
        }
        if (FGrid->OnSpinClick)
            FGrid->OnSpinClick(FGrid, FGrid->Col(), FGrid->Row(), Value(), Key == VK_PRIOR || Key == VK_HOME);
        TVadSpinEdit::KeyDown(Key, Shift);
        return;
    }
    TGridTextEditorControl::KeyDown(Key, Shift);
}

void TGridSpin::WndProc(TMessage& Message)
{
    // The base steps on these keys in its window procedure: they go through the key-down here
    // first (the grid's protocol for the arrows, the bounded steps and their event for the pages).
    if (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_PRIOR || Message.WParam == VK_NEXT ||
                                      Message.WParam == VK_UP || Message.WParam == VK_DOWN)) {
        Word Key = static_cast<Word>(Message.WParam);
        TShiftState Shift;
        if (GetKeyState(VK_SHIFT) < 0)
            Shift.Include(ssShift);
        if (GetKeyState(VK_CONTROL) < 0)
            Shift.Include(ssCtrl);
        if (Key == VK_PRIOR || Key == VK_NEXT || FGrid->Editing().Active) {
            KeyDown(Key, Shift);
            if (Key == 0 || Message.WParam == VK_PRIOR || Message.WParam == VK_NEXT) {
                Message.Result = 0;
                return;
            }
        }
    }
    // Tab and Enter are the protocol's keys, never typed.
    if (Message.Msg == WM_CHAR && (Message.WParam == 9 || Message.WParam == 13)) {
        Message.Result = 0;
        return;
    }
    TGridTextEditorControl::WndProc(Message);
}

// ---- Edit with button --------------------------------------------------------------------------------

TGridEditBtn::TGridEditBtn(TComponent* AOwner) : TGridTextEditorControl(AOwner)
{
    OnClickBtn = [this](TObject* Sender) { ExtClick(Sender); };
}

void TGridEditBtn::ExtClick(TObject*)
{
    SetText(FGrid->EllipsClick(Text()));
    if (HandleAllocated())
        SendMessage(Handle(), EM_SETSEL, 0, Text().size());
    Invalidate();
    if (FStopEditAfterClick) {
        FGrid->HideInplaceEdit();
        if (FGrid->CanFocus())
            FGrid->SetFocus();
    }
}

bool TGridEditBtn::CharAccepted(WideChar Ch)
{
    const TEditorType Kind = FGrid->Editing().Type;
    if (Kind != edNumericEditBtn && Kind != edFloatEditBtn)
        return true;
    const AnsiString T = Text();
    Integer SelStart = 0, SelEnd = 0;
    Selection(Handle(), SelStart, SelEnd);
    const AnsiString Selected = T.substr(SelStart, SelEnd - SelStart);
    const bool Control = Ch == 8 || Ch == 9 || Ch == 13 || Ch == 27;
    if (Kind == edNumericEditBtn) {
        if (Control || IsAsciiDigit(Ch))
            return true;
        if (Ch == '-' && T.find('-') == AnsiString::npos && SelStart == 0)
            return true;
        MessageBeep(0);
        return false;
    }
    const bool Candidate = Control || IsAsciiDigit(Ch) || Ch == ',' || Ch == '-' || Ch == '.';
    if (!Candidate)
        return GetKeyState(VK_CONTROL) < 0; // the clipboard shortcuts
    if (Ch == static_cast<unsigned char>(DecimalSeparator))
        return T.find(DecimalSeparator) == AnsiString::npos ||
               Selected.find(DecimalSeparator) != AnsiString::npos;
    if (Ch == static_cast<unsigned char>(ThousandSeparator))
        return false;
    if (Ch == '-' && (SelStart != 0 || T.find('-') != AnsiString::npos) &&
        Selected.find('-') == AnsiString::npos) {
        MessageBeep(0);
        return false;
    }
    return true;
}

void TGridEditBtn::Paste()
{
    if (!Clipboard()->HasFormat(CF_TEXT))
        return;
    AnsiString Value = Clipboard()->AsText();
    bool Allow = true;
    TDidAririzEvar* G = FGrid;
    if (G->OnClipboardPaste)
        G->OnClipboardPaste(this, Allow);
    if (Allow && G->OnClipboardBeforePasteCell)
        G->OnClipboardBeforePasteCell(this, G->Col(), G->Row(), Value, Allow);
    if (!Allow)
        return;
    const auto CRLF = Value.find("\r\n");
    if (CRLF != AnsiString::npos && CRLF + 2 == Value.size())
        Value.erase(CRLF);
    const AnsiString T = Text();
    Integer SelStart = 0, SelEnd = 0;
    Selection(Handle(), SelStart, SelEnd);
    const AnsiString Merged = T.substr(0, SelStart) + Value + T.substr(SelEnd);
    // The numeric kinds take a pasted text only when the result is a number of their kind, as
    // they take typed characters only by their rules.
    const TEditorType Kind = G->Editing().Type;
    if (Kind == edNumericEditBtn || Kind == edFloatEditBtn) {
        const TAutoType Type = IsType(Merged);
        if (!(Type == atNumeric || (Kind == edFloatEditBtn && Type == atFloat)) && !Merged.empty()) {
            MessageBeep(0);
            return;
        }
    }
    const Integer End = SelStart + static_cast<Integer>(Value.size());
    SetText(Merged);
    SendMessage(Handle(), EM_SETSEL, SelEnd > SelStart ? SelStart : End, End);
    G->SetEditCell(Merged);
}

void TGridEditBtn::DoChange()
{
    if (!FLookupArmed || !FGrid->Lookup() || !FGrid->LookupItems() || !HandleAllocated())
        return;
    Integer SelStart = 0, SelEnd = 0;
    Selection(Handle(), SelStart, SelEnd);
    if (SelStart != SelEnd)
        return;
    AnsiString T = Text();
    Integer To = SelEnd;
    if (grideditors::LookupComplete(FGrid, FGrid->LookupItems(), T, SelStart, To) < 0)
        return;
    SetText(T);
    SendMessage(Handle(), EM_SETSEL, SelStart, To);
}

void TGridEditBtn::KeyDown(Word& Key, TShiftState Shift)
{
    const bool InSet = Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_PRIOR ||
                       Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN;
    if (!InSet && FGrid->OnKeyDown)
        FGrid->OnKeyDown(FGrid, Key, Shift);
    FLookupArmed = Key != VK_BACK && Key != VK_DELETE;
    if (HandleAllocated()) {
        Integer E = 0;
        Selection(Handle(), FKeyDownSelStart, E);
        FKeyDownSelected = E != FKeyDownSelStart;
    }
    if (!InSet || Shift.Contains(ssCtrl)) {
        TVadEditBtn::KeyDown(Key, Shift);
        return;
    }
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
    if (!grideditors::EditorKeyDown(FGrid, this, TEditorProtocol::EditBtn, Key, Shift))
        TVadEditBtn::KeyDown(Key, Shift);
}

void TGridEditBtn::KeyPress(WideChar& Key)
{
    if (FGrid->OnKeyPress)
        FGrid->OnKeyPress(FGrid, Key);
    if (Key == 9)
        return;
    TGridTextEditorControl::KeyPress(Key);
}

void TGridEditBtn::WalkOut(bool Forward, Word& Key)
{
    TDidAririzEvar* G = FGrid;
    TNavigation& Nav = *G->Navigation();
    Key = 0;
    const Integer C = G->Col(), R = G->Row();
    const Integer Next = Forward ? C + std::max<Integer>(0, G->CellSpan(G->RealColIndex(C), R).X) + 1 : C - 1;
    const bool ByClick = Forward ? C < G->ColCount() - 1 - G->FixedRightCols() && Next < G->ColCount() &&
                                       G->HasStaticEdit(G->RealColIndex(Next), R)
                                 : G->FixedCols() < C && G->HasStaticEdit(G->RealColIndex(Next), R);
    if (ByClick) {
        if (G->ValidateCell(Text())) {
            G->HideInplaceEdit();
            G->SetCol(Next);
        }
        return;
    }
    if (G->CanFocus())
        G->SetFocus(); // ends the edit through the loss of focus
    const TAdvanceDirection Direction = Nav.AdvanceDirection();
    Nav.SetAdvanceDirection(adLeftRight);
    TScopeExit Back([&Nav, Direction] { Nav.SetAdvanceDirection(Direction); });
    G->AdvanceEdit(G->Col(), G->Row(), true, true, Forward, false, true);
    if (Nav.CursorWalkAlwaysEdit && !G->Editing().Active)
        G->ShowInplaceEdit();
}

void TGridEditBtn::KeyUp(Word& Key, TShiftState Shift)
{
    if (FGrid->OnKeyUp)
        FGrid->OnKeyUp(FGrid, Key, Shift);
    const bool Plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    if (FGrid->Navigation()->CursorWalkEditor && Plain && HandleAllocated() && Visible()) {
        Integer S = 0, E = 0;
        Selection(Handle(), S, E);
        // A selection the key only collapsed keeps the edit in its cell.
        if (S == E && !FKeyDownSelected && Key == VK_RIGHT && S == static_cast<Integer>(Text().size()))
            WalkOut(true, Key);
        else if (S == E && !FKeyDownSelected && Key == VK_LEFT && FKeyDownSelStart == 0)
            WalkOut(false, Key);
    }
    if (Key != VK_RETURN && Key != 0)
        TVadEditBtn::KeyUp(Key, Shift);
    if (Key != 0 && Visible())
        DoChange();
}

void TGridEditBtn::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CHAR:
        if (Message.WParam == 9 || Message.WParam == 13) {
            Message.Result = 1;
            return;
        }
        if (FGrid->Editing().Active && !CharAccepted(static_cast<WideChar>(Message.WParam)))
            return;
        break;
    case WM_PASTE:
        if (FGrid->Editing().Active) {
            Paste();
            return;
        }
        break;
    default:
        break;
    }
    TGridTextEditorControl::WndProc(Message);
}

// ---- Unit editor -----------------------------------------------------------------------------------

TGridUnitEditBtn::TGridUnitEditBtn(TComponent* AOwner) : TGridEditorControl(AOwner)
{
    OnClickBtn = [this](TObject* Sender) { ExtClick(Sender); };
}

void TGridUnitEditBtn::ExtClick(TObject*)
{
    SetText(FGrid->EllipsClick(Text()));
    if (HandleAllocated())
        SendMessage(Handle(), EM_SETSEL, 0, Text().size());
    Invalidate();
}

void TGridUnitEditBtn::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_CHAR && Message.WParam == 13) {
        Message.Result = 0;
        return;
    }
    TGridEditorControl::WndProc(Message);
}

// ---- Wide-text editors ------------------------------------------------------------------------------

template <class Base, TEditorProtocol P> void TGridUniEditorControl<Base, P>::DoExit()
{
    TDidAririzEvar* G = this->FGrid;
    // The grid validates this text when the current cell changes.
    G->SetEditWideText(ReadWindowWideText(this));
    G->HideInplaceEdit();
    WriteWindowWideText(this, u" ");
    Base::DoExit();
}

template <class Base, TEditorProtocol P> void TGridUniEditorControl<Base, P>::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_CHAR &&
        (Message.WParam == 9 || (Message.WParam == 13 && P != TEditorProtocol::UniMemo))) {
        Message.Result = 0;
        return;
    }
    TGridEditorControl<Base, P>::WndProc(Message);
    if (Message.Msg == WM_SETFOCUS && this->HandleAllocated())
        grideditors::CaretAtEnd(this->FGrid, this->Handle());
}

template class TGridUniEditorControl<TVadUniEdit, TEditorProtocol::UniEdit>;
template class TGridUniEditorControl<TVadUniEditBtn, TEditorProtocol::UniEditBtn>;
template class TGridUniEditorControl<TVadUniMemo, TEditorProtocol::UniMemo>;
