// The grid's text editor (see InplaceText.h).

#include "RudUvud/edit/InplaceText.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"
#include "platform/win/StdControls.h"

#include <cwctype>

namespace {

// Characters (not bytes) in UTF-8 text.
Integer CharCount(const AnsiString& S)
{
    Integer N = 0;
    for (unsigned char C : S)
        if ((C & 0xC0) != 0x80)
            ++N;
    return N;
}

bool LowSurrogate(WideChar C)
{
    return C >= 0xDC00 && C <= 0xDFFF;
}

WideChar Upper(WideChar C)
{
    if (C >= 0xD800 && C <= 0xDFFF)
        return C;
    return static_cast<WideChar>(std::towupper(static_cast<wint_t>(C)));
}

WideChar Lower(WideChar C)
{
    if (C >= 0xD800 && C <= 0xDFFF)
        return C;
    return static_cast<WideChar>(std::towlower(static_cast<wint_t>(C)));
}

AnsiString UpperText(const AnsiString& S)
{
    WideString W = UTF8Decode(S);
    for (WideChar& C : W)
        C = Upper(C);
    return UTF8Encode(W);
}

AnsiString LowerText(const AnsiString& S)
{
    WideString W = UTF8Decode(S);
    for (WideChar& C : W)
        C = Lower(C);
    return UTF8Encode(W);
}

bool Ctrl()
{
    return GetKeyState(VK_CONTROL) < 0;
}

bool ShiftHeld()
{
    return GetKeyState(VK_SHIFT) < 0;
}

void Beep()
{
    MessageBeep(0);
}

} // namespace

TRizAdiriruVava::TRizAdiriruVava(TComponent* AOwner) : TInplaceEdit(AOwner)
{
    FOwner = dynamic_cast<TDidAririzEvar*>(AOwner);
}

TDidAririzEvar* TRizAdiriruVava::Owner() const
{
    return FOwner;
}

void TRizAdiriruVava::SetVAlign(bool Value)
{
    FVAlign = Value;
    if (HandleAllocated())
        RecreateWnd();
}

void TRizAdiriruVava::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    if (HandleAllocated())
        RecreateWnd();
}

// The window styles the current editor kind needs.
bool TRizAdiriruVava::WantsStyle(DWORD& Style) const
{
    const DWORD Before = Style;
    TDidAririzEvar* G = Owner();
    const bool Password = G && G->Editing().Type == edPassword;
    if (FVAlign)
        Style |= ES_RIGHT;
    else
        Style &= ~DWORD(ES_RIGHT);
    if (Password) {
        Style |= ES_PASSWORD;
        Style &= ~DWORD(ES_MULTILINE);
    } else {
        Style &= ~DWORD(ES_PASSWORD);
        Style |= ES_MULTILINE;
    }
    if (G && G->WordWrap())
        Style &= ~DWORD(ES_AUTOHSCROLL);
    else
        Style |= ES_AUTOHSCROLL;
    Style |= ES_WANTRETURN;
    return Style != Before;
}

void TRizAdiriruVava::CreateParams(TCreateParams& Params)
{
    TInplaceEdit::CreateParams(Params);
    if (TDidAririzEvar* G = Owner())
        FWordWrap = G->WordWrap();
    DWORD Style = Params.Style;
    WantsStyle(Style);
    Params.Style = Style;
}

void TRizAdiriruVava::CreateWnd()
{
    TInplaceEdit::CreateWnd();
    TDidAririzEvar* G = Owner();
    if (!G)
        return;
    if (G->Editing().Type == edPassword)
        SendMessage(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(G->CellPasswordChar()), 0);
    FLengthLimit = G->MaxEditLength();
}

void TRizAdiriruVava::UpdateContents()
{
    TDidAririzEvar* G = Owner();
    if (!G) {
        TInplaceEdit::UpdateContents();
        return;
    }
    // The kind decides the password and wrapping styles: a window made for another kind is
    // made again.
    if (HandleAllocated()) {
        DWORD Style = static_cast<DWORD>(GetWindowLong(Handle(), GWL_STYLE));
        if (WantsStyle(Style))
            RecreateWnd();
    }
    {
        FLoading = true;
        TScopeExit Loaded([this] { FLoading = false; });
        TInplaceEdit::UpdateContents();
    }
    FLengthLimit = G->MaxEditLength();
    // The limit is the editor's own; the control takes any length so that a longer text
    // loaded from the cell can still be shortened.
    SetMaxLength(0);
    TGridDrawState State;
    TColor ColorTo = clNone, Mirror = clNone, MirrorTo = clNone;
    TAlignment HA = taLeftJustify;
    TVAlignment VA = vtaTop;
    bool WW = false;
    TCellGradientDirection GD = GradientVertical;
    G->GetVisualProperties(G->Col(), G->Row(), State, false, false, true, G->Canvas()->Brush(), ColorTo,
                           Mirror, MirrorTo, G->Canvas()->Font(), HA, VA, WW, GD);
    SetColor(G->Canvas()->Brush()->Color());
    Font()->Assign(G->Canvas()->Font());
    FEditCol = G->Col();
    FEditRow = G->Row();
    G->DoGetEditorProp(G->Col(), G->Row(), nullptr);
}

void TRizAdiriruVava::BoundsChanged()
{
    TDidAririzEvar* G = Owner();
    if (!G || !HandleAllocated()) {
        TInplaceEdit::BoundsChanged();
        return;
    }
    TRect R = G->CellRect(G->Col(), G->Row());
    if (G->UseRightToLeftAlignment())
        ++R.Left;
    SetWindowPos(Handle(), nullptr, R.Left, R.Top, R.Right - R.Left - 1, R.Bottom - R.Top - 1,
                 SWP_SHOWWINDOW | SWP_NOREDRAW | SWP_NOZORDER);
    RECT F{3, 3, std::max<LONG>(3, Width() - 2), Height()};
    SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&F));
}

void TRizAdiriruVava::Selection(Integer& Start, Integer& End)
{
    DWORD S = 0, E = 0;
    SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&S), reinterpret_cast<LPARAM>(&E));
    Start = static_cast<Integer>(S);
    End = static_cast<Integer>(E);
}

bool TRizAdiriruVava::CharAccepted(TMessage& Message)
{
    TDidAririzEvar* G = Owner();
    WideChar Ch = static_cast<WideChar>(Message.WParam);
    const TNavigation& Nav = *G->Navigation();
    // The keypad's "." types the locale's decimal separator.
    if (Ch == '.' && (Message.LParam & 0x400000) != 0 && G->ExcelStyleDecimalSeparator())
        Ch = static_cast<unsigned char>(DecimalSeparator);
    if (Ch == 10 && Ctrl() && !(Nav.AllowCtrlEnter && (G->WordWrap() || G->Multilinecells()))) {
        Message.Result = 1;
        return false;
    }
    const AnsiString Text = this->Text();
    Integer SelStart = 0, SelEnd = 0;
    Selection(SelStart, SelEnd);
    const bool Selected = SelEnd > SelStart;
    // The limit counts characters; the second half of a surrogate pair completes one already let in.
    if (FLengthLimit > 0 && CharCount(Text) >= FLengthLimit && !Selected && Ch != 8 && Ch != 27 && Ch != 13 &&
        !LowSurrogate(Ch))
        return false;
    const TEditorType Kind = G->Editing().Type;
    const bool Cased = Kind == edNormal || Kind == edCapital || Kind == edMixedCase || Kind == edLowerCase ||
                       Kind == edUpperCase || Kind == edValidChars;
    if (Ch == 13 && Nav.LineFeedOnEnter && Cased) {
        Message.WParam = Ch;
        return true;
    }
    const bool Control = Ch == 8 || Ch == 9 || Ch == 13 || Ch == 27;
    switch (Kind) {
    case edNumeric:
        if (Control || IsAsciiDigit(Ch))
            break;
        if (Ch == '-' && Text.find('-') == AnsiString::npos && SelStart == 0)
            break;
        Beep();
        return false;
    case edPositiveNumeric:
        if (Control || IsAsciiDigit(Ch))
            break;
        Beep();
        return false;
    case edFloat: {
        const bool Candidate = Control || IsAsciiDigit(Ch) || Ch == ',' || Ch == '-' || Ch == '.';
        if (!Candidate) {
            if (Ctrl())
                break;
            return false;
        }
        const AnsiString Selection = Text.substr(SelStart, SelEnd - SelStart);
        const AnsiString Outside = Text.substr(0, SelStart) + Text.substr(SelEnd);
        if (Ch == static_cast<unsigned char>(DecimalSeparator)) {
            if (Outside.find(DecimalSeparator) != AnsiString::npos)
                return false;
            break;
        }
        if (Ch == static_cast<unsigned char>(ThousandSeparator))
            return false;
        if (Ch == '-' && (SelStart != 0 || Text.find('-') != AnsiString::npos) &&
            Selection.find('-') == AnsiString::npos) {
            Beep();
            return false;
        }
        break;
    }
    case edCapital:
    case edUpperCase:
        Ch = Upper(Ch);
        break;
    case edLowerCase:
        Ch = Lower(Ch);
        break;
    case edValidChars: {
        if (Ch == 8 || Ch == 13)
            break;
        const AnsiString& Valid = G->ValidChars();
        const bool In = Ch < 0x80 && (Valid.empty() ? G->ValidCharSet().count(static_cast<char>(Ch)) > 0
                                                    : Valid.find(static_cast<char>(Ch)) != AnsiString::npos);
        if (!In) {
            Beep();
            return false;
        }
        break;
    }
    default:
        break;
    }
    Message.WParam = Ch;
    return true;
}

void TRizAdiriruVava::Paste()
{
    TDidAririzEvar* G = Owner();
    if (!Clipboard()->HasFormat(CF_TEXT))
        return;
    AnsiString Value = Clipboard()->AsText();
    bool Allow = true;
    if (G->OnClipboardPaste)
        G->OnClipboardPaste(this, Allow);
    if (Allow && G->OnClipboardBeforePasteCell)
        G->OnClipboardBeforePasteCell(this, G->Col(), G->Row(), Value, Allow);
    if (!Allow)
        return;
    if (FLengthLimit > 0 && FLengthLimit < CharCount(Value))
        return;
    // One line ending at the very end is not pasted.
    const auto CRLF = Value.find("\r\n");
    if (CRLF != AnsiString::npos && CRLF + 2 == Value.size())
        Value.erase(CRLF);
    Integer SelFrom = 0, SelTo = 0;
    AnsiString Merged = PasteIntoSelection(Value, SelFrom, SelTo);
    if (FLengthLimit > 0 && CharCount(Merged) > FLengthLimit)
        return;
    bool Accepted = true;
    switch (G->Editing().Type) {
    case edNumeric:
    case edPositiveNumeric:
        Accepted = IsType(Merged) == atNumeric &&
                   (G->Editing().Type == edNumeric || Merged.find('-') == AnsiString::npos);
        break;
    case edFloat: {
        const TAutoType T = IsType(Merged);
        Accepted = T == atNumeric || T == atFloat;
        break;
    }
    case edMixedCase:
        Merged = ShiftCase(Merged);
        break;
    case edLowerCase:
        Merged = LowerText(Merged);
        break;
    case edUpperCase:
        Merged = UpperText(Merged);
        break;
    case edValidChars:
        for (char C : Merged)
            if (G->ValidChars().find(C) == AnsiString::npos)
                Accepted = false;
        break;
    default:
        break;
    }
    // A refused paste changes nothing and is not reported as pasted.
    if (!Accepted)
        return;
    SetText(Merged);
    SendMessage(Handle(), EM_SETSEL, SelFrom, SelTo);
    G->SetEditCell(Merged);
    if (G->OnClipboardAfterPasteCell)
        G->OnClipboardAfterPasteCell(this, G->Col(), G->Row(), Merged);
}

AnsiString TRizAdiriruVava::PasteIntoSelection(const AnsiString& Value, Integer& SelFrom, Integer& SelTo)
{
    const AnsiString Text = this->Text();
    Integer SelStart = 0, SelEnd = 0;
    Selection(SelStart, SelEnd);
    const Integer End = SelStart + static_cast<Integer>(Value.size());
    SelFrom = SelEnd > SelStart ? SelStart : End;
    SelTo = End;
    return Text.substr(0, SelStart) + Value + Text.substr(SelEnd);
}

void TRizAdiriruVava::DoChange()
{
    TDidAririzEvar* G = Owner();
    if (!FLookupAllowed || !G->Lookup() || !G->LookupItems() || G->LookupItems()->Count() == 0)
        return;
    Integer SelStart = 0, SelEnd = 0;
    Selection(SelStart, SelEnd);
    if (SelEnd > SelStart || SelStart == 0)
        return;
    const AnsiString Text = this->Text();
    const AnsiString Typed = Text.substr(0, SelStart);
    const bool Case = G->LookupCaseSensitive();
    const AnsiString P = Case ? Typed : UpperText(Typed);
    for (Integer I = 0; I < G->LookupItems()->Count(); ++I) {
        const AnsiString Item = G->LookupItems()->Strings(I);
        if (Item.size() < P.size() || (Case ? Item : UpperText(Item)).compare(0, P.size(), P) != 0)
            continue;
        // What was typed stays as typed; the rest of the item is added and selected.
        AnsiString Completed = Typed + Item.substr(Typed.size());
        if (CharCount(Completed) > 255)
            Completed = UTF8Encode(UTF8Decode(Completed).substr(0, 255));
        SetText(Completed);
        SendMessage(Handle(), EM_SETSEL, Typed.size(), Completed.size());
        return;
    }
}

void TRizAdiriruVava::ShowRefused()
{
    TDidAririzEvar* G = Owner();
    {
        // The refused text is the editor's only: the cell keeps what validation left there.
        FLoading = true;
        TScopeExit Loaded([this] { FLoading = false; });
        SetText(G->ValidatedText());
    }
    if (G->Navigation()->EditSelectAll)
        SelectAll();
    else
        SendMessage(Handle(), EM_SETSEL, Text().size(), Text().size());
    Invalidate();
}

void TRizAdiriruVava::KeepRefused(const AnsiString& OldText)
{
    ShowRefused();
    Owner()->FEdit.Validation.OldText = OldText;
    // The character the key makes must not end the edit that stays open.
    MSG M;
    while (PeekMessage(&M, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE))
        ;
}

Integer TRizAdiriruVava::Caret()
{
    Integer S = 0, E = 0;
    Selection(S, E);
    return S;
}

bool TRizAdiriruVava::LeaveByShiftArrow(Word Key)
{
    TDidAririzEvar* G = Owner();
    const AnsiString T = Text();
    const AnsiString O = G->FEdit.Validation.OldText;
    {
        // The text goes into the cell with the validating flag up, so that no edit starts there.
        TGridValidationState& V = G->FEdit.Validation;
        const bool Running = V.Running;
        V.Running = true;
        TScopeExit Back([&V, Running] { V.Running = Running; });
        G->SetCurrentCell(T);
    }
    if (!G->ValidateCell(T)) {
        KeepRefused(O);
        Repaint();
        return true;
    }
    (void)Key;
    SetText(G->ValidatedText());
    G->HideInplaceEdit();
    if (G->CanFocus())
        G->SetFocus();
    return true;
}

bool TRizAdiriruVava::KeyDownHandled(TMessage& Message)
{
    TDidAririzEvar* G = Owner();
    const Word Key = static_cast<Word>(Message.WParam);
    const TNavigation& Nav = *G->Navigation();
    const AnsiString T = Text();
    const AnsiString O = G->FEdit.Validation.OldText;
    FMsgSelStart = Caret();
    auto Refused = [&] {
        KeepRefused(O);
        return true;
    };
    switch (Key) {
    case VK_ESCAPE:
        SetText(G->Editing().Cache);
        G->HideInplaceEdit();
        return false;
    case VK_RETURN:
        if (Ctrl()) {
            if (!(Nav.AllowCtrlEnter && (G->WordWrap() || G->Multilinecells()))) {
                Message.Result = 1;
                return true;
            }
            return false;
        }
        if (Nav.LineFeedOnEnter)
            return false;
        if (!G->ValidateCell(T))
            return Refused();
        SetText(G->ValidatedText());
        return false;
    case VK_TAB: {
        if (!G->ShouldHandleTab())
            return false;
        if (!G->ValidateCell(T))
            return Refused();
        SetText(G->ValidatedText());
        G->HideInplaceEdit();
        if (G->Options().Contains(goTabs))
            G->TabEdit(ShiftHeld());
        else if (G->HandleAllocated())
            PostMessage(G->Handle(), WM_KEYDOWN, VK_TAB, 0);
        return true;
    }
    case VK_LEFT:
    case VK_RIGHT:
        if (ShiftHeld() && Nav.CursorWalkEditor && !Ctrl() &&
            ((Key == VK_LEFT && FMsgSelStart == 0) ||
             (Key == VK_RIGHT && FMsgSelStart == static_cast<Integer>(T.size()))))
            return LeaveByShiftArrow(Key);
        return false;
    case VK_UP:
    case VK_DOWN: {
        const LRESULT Line = SendMessage(Handle(), EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
        const LRESULT Last = SendMessage(Handle(), EM_LINEFROMCHAR, T.size(), 0);
        if ((Key == VK_UP && Line != 0) || (Key == VK_DOWN && Line != Last))
            return false;
        if (!G->ValidateCell(T)) {
            Refused();
            Repaint();
            return true;
        }
        SetText(G->ValidatedText());
        FVerticalMove = true;
        return false;
    }
    case VK_HOME:
    case VK_END:
        if (Ctrl() || ShiftHeld())
            return false;
        SendMessage(Handle(), EM_SETSEL, Key == VK_HOME ? 0 : T.size(), Key == VK_HOME ? 0 : T.size());
        return false;
    default:
        return false;
    }
}

void TRizAdiriruVava::KeyDown(Word& Key, TShiftState Shift)
{
    TDidAririzEvar* G = Owner();
    if (!G) {
        TInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    FKeyDownSelStart = Caret();
    const TNavigation& Nav = *G->Navigation();
    if (Key == VK_RETURN && !Nav.AllowCtrlEnter && (G->WordWrap() || G->Multilinecells()))
        G->FEdit.Validation.Pending = false;
    if (Key == VK_RETURN && (Shift.Contains(ssShift) || Shift.Contains(ssCtrl)))
        GrowForNewLine();
    if (Key == VK_UP || Key == VK_DOWN) {
        // Inside a text of several lines the arrows move the caret, not the cell.
        const LRESULT Line = SendMessage(Handle(), EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0);
        const LRESULT Last = SendMessage(Handle(), EM_LINEFROMCHAR, Text().size(), 0);
        if ((Key == VK_UP && Line != 0) || (Key == VK_DOWN && Line < Last))
            return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TRizAdiriruVava::CursorWalk(bool Forward, Word& Key)
{
    TDidAririzEvar* G = Owner();
    TNavigation& Nav = *G->Navigation();
    Key = 0;
    const Integer C = G->Col(), R = G->Row();
    Integer Next = C - 1;
    bool ByClick = false;
    if (Forward) {
        Next = C + std::max<Integer>(0, G->CellSpan(G->RealColIndex(C), R).X) + 1;
        ByClick = C < G->ColCount() - G->FixedRightCols() - 1 && Next < G->ColCount() &&
                  G->HasStaticEdit(G->RealColIndex(Next), R);
    } else {
        ByClick = C > G->FixedCols() && G->HasStaticEdit(G->RealColIndex(Next), R);
    }
    // The text is validated before the cursor leaves the cell; a refusal keeps the edit on it.
    const AnsiString O = G->FEdit.Validation.OldText;
    if (!G->ValidateCell(Text())) {
        KeepRefused(O);
        return;
    }
    SetText(G->ValidatedText());
    G->HideInplaceEdit();
    if (ByClick) {
        G->SetCol(Next);
        return;
    }
    const TAdvanceDirection Direction = Nav.AdvanceDirection();
    Nav.SetAdvanceDirection(adLeftRight);
    TScopeExit Back([&Nav, Direction] { Nav.SetAdvanceDirection(Direction); });
    G->AdvanceEdit(G->Col(), G->Row(), true, true, Forward, false, true);
    if (!Nav.CursorWalkAlwaysEdit)
        G->HideInplaceEdit();
}

void TRizAdiriruVava::KeyUp(Word& Key, TShiftState Shift)
{
    TDidAririzEvar* G = Owner();
    if (!G || !Visible()) {
        TInplaceEdit::KeyUp(Key, Shift);
        return;
    }
    const bool Plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    if ((Key == VK_LEFT || Key == VK_RIGHT) && Plain && G->Navigation()->CursorWalkEditor) {
        Integer S = 0, E = 0;
        Selection(S, E);
        // Left walks when the caret stood at the start before the key and still does; Right
        // when the caret stood at the end when the key went down.
        if (S == E && Key == VK_LEFT && S == 0 && FKeyDownSelStart == 0)
            CursorWalk(false, Key);
        else if (S == E && Key == VK_RIGHT && FMsgSelStart == static_cast<Integer>(Text().size()))
            CursorWalk(true, Key);
    }
    if (Key == VK_LEFT || Key == VK_RIGHT || Key == 0)
        return;
    TInplaceEdit::KeyUp(Key, Shift);
    FitWhileTyping();
}

void TRizAdiriruVava::GrowForNewLine()
{
    TDidAririzEvar* G = Owner();
    if (!G->SizeWhileTyping()->Height || !G->Multilinecells())
        return;
    // The line break this key is about to start, with a character on the new line.
    const Integer Lines = LinesInText(Text() + "\r\n ", true);
    const Integer R = G->Row();
    if (Lines < G->MaxLinesInRow(R))
        G->AutoSizeRow(R, 0);
    else
        G->SizeToLines(R, Lines, G->YOffsetSize());
    if (G->OnEndRowSize)
        G->OnEndRowSize(G, R);
}

void TRizAdiriruVava::FitWhileTyping()
{
    // The cell holds the edited text as it is typed (written on every change), so the sizing
    // measures what the user sees.
    TDidAririzEvar* G = Owner();
    if (!Visible())
        return;
    if (G->SizeWhileTyping()->Width)
        G->SizeToWidth(G->Col(), true);
    if (G->SizeWhileTyping()->Height && G->WordWrap()) {
        const Integer R = G->Row();
        G->AutoSizeRow(R, 0);
        if (G->OnEndRowSize)
            G->OnEndRowSize(G, R);
    }
}

void TRizAdiriruVava::KeyPress(WideChar& Key)
{
    TDidAririzEvar* G = Owner();
    if (!G) {
        TInplaceEdit::KeyPress(Key);
        return;
    }
    const TNavigation& Nav = *G->Navigation();
    if (Key == 13 && !Nav.LineFeedOnEnter) {
        if (!G->ValidateCell(Text())) {
            SetText(G->GetCurrentCell());
            Key = 0;
            return;
        }
    }
    TInplaceEdit::KeyPress(Key);
    // A filled edit mask (no blank left, the caret at its end) moves on as Enter does.
    if (Nav.AdvanceAuto && Key != 0 && Key != 13 && !EditMask().empty() &&
        Text().find(' ') == AnsiString::npos && Caret() == static_cast<Integer>(Text().size())) {
        WideChar CR = 13;
        G->KeyPress(CR);
    }
}

void TRizAdiriruVava::AdvanceWhenFull()
{
    TDidAririzEvar* G = Owner();
    const Integer Max = G->MaxEditLength();
    if (!G->Navigation()->AdvanceAuto || Max <= 0 || !Visible())
        return;
    Integer S = 0, E = 0;
    Selection(S, E);
    const AnsiString T = Text();
    if (CharCount(T) != Max || S != E || S != static_cast<Integer>(T.size()))
        return;
    // Validated as Enter validates, so that a full text is never taken past the cell's rules.
    const AnsiString O = G->FEdit.Validation.OldText;
    if (!G->ValidateCell(T)) {
        KeepRefused(O);
        return;
    }
    SetText(G->ValidatedText());
    WideChar CR = 13;
    G->KeyPress(CR);
}

void TRizAdiriruVava::PlaceCaretAtClick()
{
    TDidAririzEvar* G = Owner();
    TGridInputState& In = G->FEdit.Input;
    if (!In.CaretClick || !G->MouseActions()->CaretPositioning)
        return;
    In.CaretClick = false;
    POINT P{};
    GetCursorPos(&P);
    ::ScreenToClient(Handle(), &P);
    if (P.X < 0 || P.Y < 0 || P.X > Width() || P.Y > Height())
        return;
    const LRESULT R = SendMessage(Handle(), EM_CHARFROMPOS, 0, MAKELPARAM(P.X, P.Y));
    if (R == -1)
        return;
    const WPARAM At = LOWORD(R);
    SendMessage(Handle(), EM_SETSEL, At, At);
}

void TRizAdiriruVava::KillFocus(TMessage& Message)
{
    TDidAririzEvar* G = Owner();
    G->FEdit.Editing.StartChar = 0;
    G->SetCellSelectMode(false);
    if (G->LookupHistory() && G->LookupItems() && !Text().empty() && G->LookupItems()->IndexOf(Text()) < 0)
        G->LookupItems()->Add(Text());
    if (FAltBack)
        return;
    const HWND To = reinterpret_cast<HWND>(Message.WParam);
    if (!G->HandleAllocated() || To != G->Handle()) {
        G->ValidateCell(Text());
        SetText(G->GetCurrentCell());
        G->HideInplaceEdit();
        G->FEdit.Validation.Pending = false;
        G->FEdit.Editing.Active = false;
    }
    {
        FLoading = true;
        TScopeExit Loaded([this] { FLoading = false; });
        if (G->Col() == FEditCol && G->Row() == FEditRow)
            SetText(G->GetCurrentCell());
    }
    G->EditProgress(Text(), TPoint{-1, -1}, -1);
    if (FFocused) {
        FFocused = false;
        G->DoneEditing(G->RealColIndex(FEditCol), FEditRow);
    }
}

void TRizAdiriruVava::Change()
{
    TInplaceEdit::Change();
    TDidAririzEvar* G = Owner();
    if (!G || FLoading)
        return;
    // While the edit is open its text is the cell's: written into the cell it was opened on,
    // never into another one the cursor has reached meanwhile.
    if (G->FEdit.Editing.LiveUpdate && G->Editing().Active && FFocused && FEditCol >= 0 &&
        FEditCol < G->ColCount() && FEditRow >= 0 && FEditRow < G->RowCount())
        G->SetEditText(FEditCol, FEditRow, Text());
    if (G->OnEditChange)
        G->OnEditChange(G, G->Col(), G->Row(), Text());
}

void TRizAdiriruVava::WndProc(TMessage& Message)
{
    TDidAririzEvar* G = Owner();
    if (!G) {
        TInplaceEdit::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_CHAR: {
        if (!CharAccepted(Message))
            return;
        const TEditorType Kind = G->Editing().Type;
        TInplaceEdit::WndProc(Message);
        if (Kind == edMixedCase && Message.WParam >= 32) {
            Integer S = 0, E = 0;
            Selection(S, E);
            SetText(ShiftCase(Text()));
            SendMessage(Handle(), EM_SETSEL, S, S);
        }
        // A typed character completes from the lookup list (and arms it again after a deletion).
        if (Message.WParam >= 32 && !LowSurrogate(static_cast<WideChar>(Message.WParam)) &&
            (Message.WParam < 0xD800 || Message.WParam > 0xDBFF)) {
            FLookupAllowed = true;
            DoChange();
        }
        if (Message.WParam >= 32 && (Message.WParam < 0xD800 || Message.WParam > 0xDBFF))
            AdvanceWhenFull();
        return;
    }
    case WM_PASTE:
        Paste();
        return;
    case WM_COPY:
    case WM_CUT: {
        bool Allow = true;
        const auto& Event = Message.Msg == WM_COPY ? G->OnClipboardCopy : G->OnClipboardCut;
        if (Event)
            Event(this, Allow);
        if (Allow)
            TInplaceEdit::WndProc(Message);
        return;
    }
    case WM_KEYDOWN:
        if (Message.WParam == VK_BACK || Message.WParam == VK_DELETE)
            FLookupAllowed = false;
        FVerticalMove = false;
        if (KeyDownHandled(Message))
            return;
        TInplaceEdit::WndProc(Message);
        // A move to another row by the arrows selects that row alone.
        if (FVerticalMove && G->MouseActions()->DisjunctRowSelect()) {
            G->ClearRowSelect();
            G->SetRowSelect(G->Row(), true);
        }
        return;
    case WM_KEYUP: {
        TInplaceEdit::WndProc(Message);
        if (!Visible())
            return;
        const Integer At = Caret();
        const AnsiString T = Text();
        if (At > 0) {
            const LRESULT P = SendMessage(Handle(), EM_POSFROMCHAR, At - 1, 0);
            G->EditProgress(T, TPoint{static_cast<short>(LOWORD(P)), static_cast<short>(HIWORD(P))}, At);
        }
        // A text starting with "=" is a formula being entered: clicks then pick cells.
        G->SetCellSelectMode(!T.empty() && T[0] == '=');
        return;
    }
    case WM_LBUTTONDBLCLK:
        TInplaceEdit::WndProc(Message);
        if (G->OnDblClickCell)
            G->OnDblClickCell(G, G->Row(), G->Col());
        return;

    case WM_SYSKEYDOWN:
        if (Message.WParam == VK_BACK)
            FAltBack = true;
        break;
    case WM_SYSKEYUP:
        if (Message.WParam == VK_BACK)
            FAltBack = false;
        break;
    case WM_SETFOCUS: {
        TInplaceEdit::WndProc(Message);
        FFocused = true;
        const bool Clicked = G->FEdit.Input.CaretClick && G->MouseActions()->CaretPositioning;
        if (!EditMask().empty() && !Clicked && G->Navigation()->ImproveMaskSel) {
            SendMessage(Handle(), EM_SETSEL, 0, 1);
            return;
        }
        if (!G->Navigation()->EditSelectAll)
            SendMessage(Handle(), EM_SETSEL, Text().size(), Text().size());
        PlaceCaretAtClick();
        return;
    }
    case WM_KILLFOCUS:
        TInplaceEdit::WndProc(Message);
        KillFocus(Message);
        return;
    case CM_WANTSPECIALKEY:
        TInplaceEdit::WndProc(Message);
        if (Message.WParam == VK_TAB && G->ShouldHandleTab())
            Message.Result = 1;
        return;
    default:
        break;
    }
    TInplaceEdit::WndProc(Message);
}
