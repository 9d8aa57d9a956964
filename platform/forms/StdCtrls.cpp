// The standard controls: labels, edits and memos, buttons, check boxes and radio buttons, group
// boxes and scroll bars. The list controls are in StdCtrlsLists.cpp.

#include "platform/forms/StdCtrls.h"
#include "platform/forms/StdCtrlsInternal.h"
#include "platform/rtl/Guards.h"

#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"

#include <algorithm>

using namespace stdctrls_internal;

namespace {

TScrollCode ToScrollCode(WORD Code)
{
    switch (Code) {
    case SB_LINEUP:
        return scLineUp;
    case SB_LINEDOWN:
        return scLineDown;
    case SB_PAGEUP:
        return scPageUp;
    case SB_PAGEDOWN:
        return scPageDown;
    case SB_THUMBPOSITION:
        return scPosition;
    case SB_THUMBTRACK:
        return scTrack;
    case SB_TOP:
        return scTop;
    case SB_BOTTOM:
        return scBottom;
    default:
        return scEndScroll;
    }
}

Integer FontHeight(TFont* Font)
{
    const TOwnedDC Dc(CreateMeasuringDC());
    const TSelectObject Selected(Dc.get(), Font->Handle());
    TEXTMETRICW Tm;
    GetTextMetricsW(Dc.get(), &Tm);
    return Tm.tmHeight;
}

} // namespace

// ---- TCustomLabel -------------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle.Include(csOpaque);
    FControlStyle.Include(csReplicatable);
    FParentColor = true;
    FColor = clBtnFace;
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
    if (FAlignment != Value) {
        FAlignment = Value;
        Invalidate();
    }
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    if (FLayout != Value) {
        FLayout = Value;
        Invalidate();
    }
}

void TCustomLabel::SetAutoSize(bool Value)
{
    if (FAutoSize != Value) {
        FAutoSize = Value;
        AdjustBounds();
    }
}

void TCustomLabel::SetWordWrap(bool Value)
{
    if (FWordWrap != Value) {
        FWordWrap = Value;
        AdjustBounds();
        Invalidate();
    }
}

void TCustomLabel::SetTransparent(bool Value)
{
    if (FTransparent == Value)
        return;
    FTransparent = Value;
    if (Value)
        FControlStyle.Exclude(csOpaque);
    else
        FControlStyle.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
    if (FShowAccelChar != Value) {
        FShowAccelChar = Value;
        AdjustBounds();
        Invalidate();
    }
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
    FFocusControl = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TCustomLabel::DoDrawText(TRect& Rect, UINT Flags)
{
    AnsiString Text = GetText();
    if ((Flags & DT_CALCRECT) && (Text.empty() || (FShowAccelChar && Text == "&")))
        Text = " ";
    if (!FShowAccelChar)
        Flags |= DT_NOPREFIX;
    Flags = DrawTextBiDiModeFlags(Flags);
    Canvas()->SetFont(Font());
    HDC Dc = Canvas()->Handle();
    if (!Enabled()) {
        SetTextColor(Dc, GetSysColor(COLOR_GRAYTEXT));
        Canvas()->Font()->SetColor(clGrayText);
    }
    SetBkMode(Dc, TRANSPARENT);
    RECT R = Rect;
    DrawText(Dc, Text.c_str(), int(Text.size()), &R, Flags);
    Rect = R;
}

void TCustomLabel::Paint()
{
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TRect Rect = ClientRect();
    if (!FTransparent) {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(Rect);
    }
    Canvas()->Brush()->SetStyle(bsClear);
    UINT Flags = DT_EXPANDTABS | (FWordWrap ? UINT(DT_WORDBREAK) : 0u) | Alignments[FAlignment];
    if (FLayout != tlTop) {
        TRect Calc = Rect;
        DoDrawText(Calc, Flags | DT_CALCRECT);
        Integer Offset = Rect.Height() - Calc.Height();
        Rect.Top += FLayout == tlBottom ? Offset : Offset / 2;
    }
    DoDrawText(Rect, Flags);
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || ComponentState().Contains(csLoading))
        return;
    TRect Rect = ClientRect();
    if (!FWordWrap)
        Rect.Right = Rect.Left + 100000;
    if (FParent && FParent->HandleAllocated()) {
        DoDrawText(Rect, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? UINT(DT_WORDBREAK) : 0u));
    } else {
        // Without a window to draw on, measure on a screen-like context.
        const TOwnedDC Dc(CreateMeasuringDC());
        const TSelectObject Selected(Dc.get(), Font()->Handle());
        AnsiString Text = GetText().empty() ? AnsiString(" ") : GetText();
        RECT R = Rect;
        DrawText(Dc.get(), Text.c_str(), int(Text.size()), &R,
                 DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? UINT(DT_WORDBREAK) : 0u) |
                     (FShowAccelChar ? 0u : UINT(DT_NOPREFIX)));
        Rect = R;
    }
    Integer X = FLeft;
    if (FAlignment == taRightJustify)
        X += FWidth - Rect.Width();
    SetBounds(X, FTop, Rect.Width(), Rect.Height());
}

void TCustomLabel::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TGraphicControl::WndProc(Message);
        AdjustBounds();
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(Word(Message.WParam), GetText()) &&
            FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TGraphicControl::WndProc(Message);
}

// ---- TCustomEdit ------------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner) : TStandardWinControl(AOwner)
{
    FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    SetBounds(0, 0, 121, 25);
}

bool TCustomEdit::IsMultiLine()
{
    if (HandleAllocated())
        return (GetWindowLong(FHandle, GWL_STYLE) & ES_MULTILINE) != 0;
    return dynamic_cast<TCustomMemo*>(this) != nullptr;
}

void TCustomEdit::CreateParams(TCreateParams& Params)
{
    static const DWORD Alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    static const DWORD Cases[] = {0, ES_UPPERCASE, ES_LOWERCASE};
    RegisterStandardControlClasses();
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | Alignments[FAlignment] | Cases[FCharCase];
    if (FReadOnly)
        Params.Style |= ES_READONLY;
    if (!FHideSelection)
        Params.Style |= ES_NOHIDESEL;
    if (FPasswordChar)
        Params.Style |= ES_PASSWORD;
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomEdit::CreateWnd()
{
    // Text given before the window existed is no change the user made.
    {
        FCreating = true;
        TScopeExit Created([this] { FCreating = false; });
        TWinControl::CreateWnd();
    }
    SendMessage(FHandle, EM_LIMITTEXT, WPARAM(std::max(FMaxLength, 0)), 0);
    if (FPasswordChar)
        SendMessage(FHandle, EM_SETPASSWORDCHAR, WPARAM(FPasswordChar), 0);
    SendMessage(FHandle, EM_SETMODIFY, FModified ? TRUE : FALSE, 0);
    AdjustHeight();
}

void TCustomEdit::DestroyWnd()
{
    FModified = Modified();
    TWinControl::DestroyWnd();
}

void TCustomEdit::AdjustHeight()
{
    if (!FAutoSize || IsMultiLine())
        return;
    Integer Border = FBorderStyle == bsSingle ? (Ctl3D() ? 4 : 2) : 0;
    SetHeight(FontHeight(Font()) + Border + 4);
}

void TCustomEdit::SetAutoSize(bool Value)
{
    if (FAutoSize != Value) {
        FAutoSize = Value;
        if (Value)
            AdjustHeight();
    }
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle != Value) {
        FBorderStyle = Value;
        RecreateWnd();
        AdjustHeight();
    }
}

void TCustomEdit::SetCharCase(TEditCharCase Value)
{
    if (FCharCase == Value)
        return;
    FCharCase = Value;
    if (HandleAllocated()) {
        // The window converts the text it is given: give it again.
        AnsiString Text = GetText();
        RecreateWnd();
        SetWindowText(FHandle, Text.c_str());
    }
}

void TCustomEdit::SetHideSelection(bool Value)
{
    if (FHideSelection != Value) {
        FHideSelection = Value;
        RecreateWnd();
    }
}

void TCustomEdit::SetMaxLength(Integer Value)
{
    FMaxLength = Value;
    if (HandleAllocated())
        SendMessage(FHandle, EM_LIMITTEXT, WPARAM(std::max(Value, 0)), 0);
}

bool TCustomEdit::Modified()
{
    if (HandleAllocated())
        return SendMessage(FHandle, EM_GETMODIFY, 0, 0) != 0;
    return FModified;
}

void TCustomEdit::SetModified(bool Value)
{
    FModified = Value;
    if (HandleAllocated())
        SendMessage(FHandle, EM_SETMODIFY, Value ? TRUE : FALSE, 0);
}

void TCustomEdit::SetPasswordChar(WideChar Value)
{
    if (FPasswordChar == Value)
        return;
    FPasswordChar = Value;
    if (HandleAllocated()) {
        SendMessage(FHandle, EM_SETPASSWORDCHAR, WPARAM(Value), 0);
        Invalidate();
    }
}

void TCustomEdit::SetReadOnly(bool Value)
{
    if (FReadOnly == Value)
        return;
    FReadOnly = Value;
    if (HandleAllocated())
        SendMessage(FHandle, EM_SETREADONLY, Value ? TRUE : FALSE, 0);
}

Integer TCustomEdit::SelStart()
{
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    return Integer(Start);
}

void TCustomEdit::SetSelStart(Integer Value)
{
    SendMessage(Handle(), EM_SETSEL, WPARAM(Value), LPARAM(Value));
}

Integer TCustomEdit::SelLength()
{
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    return Integer(End) - Integer(Start);
}

void TCustomEdit::SetSelLength(Integer Value)
{
    Integer Start = SelStart();
    SendMessage(Handle(), EM_SETSEL, WPARAM(Start), LPARAM(Start + Value));
    SendMessage(FHandle, EM_SCROLLCARET, 0, 0);
}

AnsiString TCustomEdit::SelText()
{
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    AnsiString Text = GetText();
    Start = std::min<DWORD>(Start, DWORD(Text.size()));
    End = std::clamp<DWORD>(End, Start, DWORD(Text.size()));
    return Text.substr(Start, End - Start);
}

void TCustomEdit::SetSelText(const AnsiString& Value)
{
    SendMessage(Handle(), EM_REPLACESEL, 0, Str(Value));
}

void TCustomEdit::SelectAll()
{
    if (HandleAllocated())
        SendMessage(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection()
{
    SendMessage(Handle(), WM_CLEAR, 0, 0);
}

void TCustomEdit::Clear()
{
    SetText("");
}

void TCustomEdit::CopyToClipboard()
{
    SendMessage(Handle(), WM_COPY, 0, 0);
}

void TCustomEdit::CutToClipboard()
{
    SendMessage(Handle(), WM_CUT, 0, 0);
}

void TCustomEdit::PasteFromClipboard()
{
    SendMessage(Handle(), WM_PASTE, 0, 0);
}

bool TCustomEdit::CanUndo()
{
    return HandleAllocated() && SendMessage(FHandle, EM_CANUNDO, 0, 0) != 0;
}

void TCustomEdit::Undo()
{
    if (HandleAllocated())
        SendMessage(FHandle, WM_UNDO, 0, 0);
}

void TCustomEdit::ClearUndo()
{
    if (HandleAllocated())
        SendMessage(FHandle, EM_EMPTYUNDOBUFFER, 0, 0);
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::DoEnter()
{
    // A click that gives the focus places the caret instead of selecting everything.
    if (FAutoSelect && !FControlState.Contains(csLButtonDown) && !IsMultiLine())
        SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(Message) == EN_CHANGE && !FCreating)
            Change();
        return;
    case CM_TEXTCHANGED:
        TStandardWinControl::WndProc(Message);
        // A multi-line window (and no window at all) reports no programmatic change itself.
        if (!HandleAllocated() || IsMultiLine())
            Change();
        return;
    case CM_FONTCHANGED:
        TStandardWinControl::WndProc(Message);
        AdjustHeight();
        return;
    default:
        TStandardWinControl::WndProc(Message);
        return;
    }
}

// ---- TMemoStrings ---------------------------------------------------------------------------------------

std::vector<AnsiString> TMemoStrings::Split() const
{
    std::vector<AnsiString> Lines;
    AnsiString Text = FMemo->Text();
    std::size_t Start = 0;
    while (Start < Text.size()) {
        std::size_t Br = Text.find_first_of("\r\n", Start);
        if (Br == AnsiString::npos) {
            Lines.push_back(Text.substr(Start));
            break;
        }
        Lines.push_back(Text.substr(Start, Br - Start));
        Start = Br + ((Text[Br] == '\r' && Br + 1 < Text.size() && Text[Br + 1] == '\n') ? 2 : 1);
    }
    return Lines;
}

void TMemoStrings::Join(const std::vector<AnsiString>& Lines)
{
    AnsiString Text;
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        if (I)
            Text += "\r\n";
        Text += Lines[I];
    }
    FMemo->SetText(Text);
}

bool TMemoStrings::WindowLine(Integer Index, LRESULT& Start, std::size_t& Length, AnsiString* Text) const
{
    if (Index < 0)
        return false;
    HWND H = FMemo->Handle();
    std::u16string Line;
    Start = SendMessage(H, EditHardLineMessage(), WPARAM(Index), reinterpret_cast<LPARAM>(&Line));
    if (Start < 0)
        return false;
    AnsiString Narrow = WideToAnsi(Line);
    Length = IsWindowUnicode(H) ? Line.size() : Narrow.size();
    if (Text)
        *Text = std::move(Narrow);
    return true;
}

void TMemoStrings::ReplaceRange(LRESULT From, LRESULT To, const AnsiString& S)
{
    HWND H = FMemo->Handle();
    SendMessage(H, EM_SETSEL, WPARAM(From), LPARAM(To));
    SendMessage(H, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(S.c_str()));
}

AnsiString TMemoStrings::Get(Integer Index) const
{
    if (WindowEditsLines()) {
        // Only the one line is taken from the window.
        LRESULT Start;
        std::size_t Length;
        AnsiString Text;
        if (!WindowLine(Index, Start, Length, &Text))
            Error("List index out of bounds (%d)", Index);
        return Text;
    }
    auto Lines = Split();
    if (Index < 0 || Index >= Integer(Lines.size()))
        Error("List index out of bounds (%d)", Index);
    return Lines[std::size_t(Index)];
}

bool TMemoStrings::WindowEditsLines() const
{
    return FMemo->HandleAllocated();
}

Integer TMemoStrings::GetCount() const
{
    // The window counts its lines without handing over the whole text.
    if (WindowEditsLines())
        return Integer(SendMessage(FMemo->Handle(), EditHardLineMessage(), WPARAM(-1), 0));
    return Integer(Split().size());
}

void TMemoStrings::Put(Integer Index, const AnsiString& S)
{
    if (WindowEditsLines()) {
        // The line's text is replaced in place; its break and the other lines stay as they are.
        LRESULT Start;
        std::size_t Length;
        if (!WindowLine(Index, Start, Length, nullptr))
            Error("List index out of bounds (%d)", Index);
        ReplaceRange(Start, Start + LRESULT(Length), S);
        return;
    }
    auto Lines = Split();
    if (Index < 0 || Index >= Integer(Lines.size()))
        Error("List index out of bounds (%d)", Index);
    Lines[std::size_t(Index)] = S;
    Join(Lines);
}

void TMemoStrings::Insert(Integer Index, const AnsiString& S)
{
    if (WindowEditsLines()) {
        // Only the new line goes into the window, which lays out again only the lines it touches.
        HWND H = FMemo->Handle();
        const Integer Count = GetCount();
        if (Index < 0 || Index > Count)
            Error("List index out of bounds (%d)", Index);
        AnsiString Piece;
        LRESULT At;
        if (Index < Count) {
            At = SendMessage(H, EditHardLineMessage(), WPARAM(Index), 0);
            Piece = S + "\r\n";
        } else {
            At = GetWindowTextLength(H);
            // After a line break at the very end the new line needs none of its own.
            const bool Open = SendMessage(H, EditHardLineMessage(), WPARAM(-2), 0) != 0;
            Piece = (Count == 0 || Open) ? S : "\r\n" + S;
        }
        SendMessage(H, EM_SETSEL, WPARAM(At), LPARAM(At));
        SendMessage(H, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Piece.c_str()));
        return;
    }
    // Without a window the same splice on the text: the lines around keep their breaks.
    AnsiString Text = FMemo->Text();
    Integer Line = 0;
    std::size_t At = 0;
    while (Line < Index && At < Text.size()) {
        std::size_t Br = Text.find_first_of("\r\n", At);
        if (Br == AnsiString::npos) {
            At = Text.size();
            ++Line;
            break;
        }
        At = Br + ((Text[Br] == '\r' && Br + 1 < Text.size() && Text[Br + 1] == '\n') ? 2 : 1);
        ++Line;
    }
    if (Index < 0 || Line < Index)
        Error("List index out of bounds (%d)", Index);
    const bool Open = Text.empty() || Text.back() == '\r' || Text.back() == '\n';
    if (At >= Text.size())
        Text += Open ? S : "\r\n" + S;
    else
        Text.insert(At, S + "\r\n");
    FMemo->SetText(Text);
}

void TMemoStrings::Delete(Integer Index)
{
    if (WindowEditsLines()) {
        // The line goes with its break; the last line takes the break before it instead, so the
        // text neither gains nor keeps an empty line. The other lines keep their breaks.
        HWND H = FMemo->Handle();
        LRESULT Start;
        std::size_t Length;
        if (!WindowLine(Index, Start, Length, nullptr))
            Error("List index out of bounds (%d)", Index);
        const LRESULT Next = SendMessage(H, EditHardLineMessage(), WPARAM(Index + 1), 0);
        if (Next >= 0) {
            ReplaceRange(Start, Next, "");
            return;
        }
        const LRESULT End = GetWindowTextLength(H);
        const bool Open = SendMessage(H, EditHardLineMessage(), WPARAM(-2), 0) != 0;
        if (Open || Index == 0) {
            ReplaceRange(Start, End, "");
            return;
        }
        LRESULT PrevStart;
        std::size_t PrevLength;
        WindowLine(Index - 1, PrevStart, PrevLength, nullptr);
        ReplaceRange(PrevStart + LRESULT(PrevLength), End, "");
        return;
    }
    auto Lines = Split();
    if (Index < 0 || Index >= Integer(Lines.size()))
        Error("List index out of bounds (%d)", Index);
    Lines.erase(Lines.begin() + Index);
    Join(Lines);
}

void TMemoStrings::Clear()
{
    FMemo->SetText("");
}

AnsiString TMemoStrings::GetTextStr() const
{
    return FMemo->Text();
}

void TMemoStrings::SetTextStr(const AnsiString& Value)
{
    FMemo->SetText(Value);
}

// ---- TCustomMemo ------------------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this))
{
    FWordWrapStyle = true;
    FWantReturns = true;
    SetAutoSize(false);
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params)
{
    static const DWORD Bars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE | Bars[FScrollBars] | (FWantReturns ? DWORD(ES_WANTRETURN) : 0u);
    if (FWordWrapStyle)
        Params.Style &= ~DWORD(ES_AUTOHSCROLL);
}

void TCustomMemo::SetAlignment(TAlignment Value)
{
    if (FAlignment != Value) {
        FAlignment = Value;
        RecreateWnd();
    }
}

void TCustomMemo::SetScrollBars(TScrollStyle Value)
{
    if (FScrollBars != Value) {
        FScrollBars = Value;
        RecreateWnd();
    }
}

void TCustomMemo::SetWordWrap(bool Value)
{
    if (FWordWrapStyle != Value) {
        FWordWrapStyle = Value;
        RecreateWnd();
    }
}

TPoint TCustomMemo::CaretPos()
{
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    // The caret is the end the user moved last; EM_GETSEL gives the selection in order, and
    // the start is where the caret is after a click or typing.
    LRESULT Line = SendMessage(FHandle, EM_LINEFROMCHAR, WPARAM(End), 0);
    LRESULT LineStart = SendMessage(FHandle, EM_LINEINDEX, WPARAM(Line), 0);
    return TPoint{Integer(End) - Integer(LineStart), Integer(Line)};
}

void TCustomMemo::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        TCustomEdit::WndProc(Message);
        if (FWantTabs)
            Message.Result |= DLGC_WANTTAB;
        else
            Message.Result &= ~LRESULT(DLGC_WANTTAB);
        if (!FWantReturns)
            Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
        return;
    case WM_CHAR:
        // Enter and Tab insert nothing unless the memo wants them (they still reach OnKeyPress).
        if ((Message.WParam == 13 && !FWantReturns) || (Message.WParam == 9 && !FWantTabs)) {
            if (!DoKeyPress(Message))
                Message.Result = 0;
            return;
        }
        break;
    default:
        break;
    }
    TCustomEdit::WndProc(Message);
}

// ---- Buttons ------------------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* AOwner) : TStandardWinControl(AOwner)
{
    FTabStop = true;
    FColor = clBtnFace;
    FParentColor = true;
    FBrush->SetColor(FColor);
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params)
{
    RegisterStandardControlClasses();
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    Params.Style |= FActive ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value)
{
    if (FDefault == Value)
        return;
    FDefault = Value;
    // The default look follows the focus: a focused button has it; a default one has it while no
    // other button has the focus.
    TCustomForm* Form = GetParentForm(this);
    TWinControl* Active = Form ? Form->ActiveControl() : nullptr;
    SetButtonStyle(Active == this || (FDefault && !dynamic_cast<TButton*>(Active)));
}

void TButton::SetButtonStyle(bool Active)
{
    FActive = Active;
    if (HandleAllocated() && ((GetWindowLong(FHandle, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) != Active)
        SendMessage(FHandle, BM_SETSTYLE, Active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (FModalResult != mrNone)
        if (TCustomForm* Form = GetParentForm(this))
            Form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(Message) == BN_CLICKED)
            Click();
        return;
    case CM_FOCUSCHANGED: {
        // Told to every control of the form; the result stays 0 so that all buttons hear it.
        auto* Sender = reinterpret_cast<TWinControl*>(Message.LParam);
        SetButtonStyle(Sender == this || (FDefault && !dynamic_cast<TButton*>(Sender)));
        return;
    }
    case CM_DIALOGKEY: {
        // Enter clicks the focused button, else the default button unless another button has the
        // focus; Esc clicks the cancel button.
        TCustomForm* Form = GetParentForm(this);
        TWinControl* Active = Form ? Form->ActiveControl() : nullptr;
        bool OtherButtonFocused = Active && Active != this && dynamic_cast<TButton*>(Active);
        bool Enter = Message.WParam == VK_RETURN && (Active == this || (FDefault && !OtherButtonFocused));
        bool Escape = Message.WParam == VK_ESCAPE && FCancel;
        if ((Enter || Escape) && KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), GetText()) && CanFocus()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TButtonControl::WndProc(Message);
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::CreateParams(TCreateParams& Params)
{
    RegisterStandardControlClasses();
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    // The state is the component's: the window only shows it.
    Params.Style |= BS_3STATE;
    if (FAlignment == taLeftJustify)
        Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessage(FHandle, BM_SETCHECK, WPARAM(FState), 0);
}

void TCustomCheckBox::SetAlignment(TLeftRight Value)
{
    if (FAlignment != Value) {
        FAlignment = Value;
        RecreateWnd();
    }
}

void TCustomCheckBox::SetState(TCheckBoxState Value)
{
    if (FState == Value)
        return;
    FState = Value;
    if (HandleAllocated())
        SendMessage(FHandle, BM_SETCHECK, WPARAM(Value), 0);
    if (!ClicksDisabled())
        Click();
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(Message) == BN_CLICKED)
            Toggle();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), GetText()) && CanFocus()) {
            SetFocus();
            if (Focused())
                Toggle();
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TButtonControl::WndProc(Message);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    FTabStop = false;
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& Params)
{
    RegisterStandardControlClasses();
    TButtonControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    Params.Style |= BS_RADIOBUTTON;
    if (FAlignment == taLeftJustify)
        Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessage(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetAlignment(TLeftRight Value)
{
    if (FAlignment != Value) {
        FAlignment = Value;
        RecreateWnd();
    }
}

void TRadioButton::SetChecked(bool Value)
{
    if (FChecked == Value)
        return;
    FChecked = Value;
    SetTabStop(Value);
    if (HandleAllocated())
        SendMessage(FHandle, BM_SETCHECK, Value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!Value)
        return;
    if (FParent)
        for (Integer I = 0; I < FParent->ControlCount(); ++I)
            if (auto* Sibling = dynamic_cast<TRadioButton*>(FParent->Controls(I)); Sibling && Sibling != this)
                Sibling->SetChecked(false);
    if (!ClicksDisabled())
        Click();
}

void TRadioButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (NotifyCode(Message) == BN_CLICKED)
            SetChecked(true);
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), GetText()) && CanFocus()) {
            SetFocus();
            if (Focused())
                SetChecked(true);
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TButtonControl::WndProc(Message);
}

// ---- TCustomGroupBox ------------------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                  csSetCaption,      csDoubleClicks, csReplicatable};
    FColor = clBtnFace;
    FParentColor = true;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    Rect.Top += FontHeight(Font());
    Rect.Left += 2;
    Rect.Top += 2;
    Rect.Right -= 2;
    Rect.Bottom -= 2;
}

void TCustomGroupBox::Paint()
{
    TCanvas* C = Canvas();
    C->SetFont(Font());
    Integer H = C->TextHeight("0");
    TRect R = ClientRect();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
    RECT Frame{R.Left, R.Top + H / 2, R.Right, R.Bottom};
    DrawEdge(C->Handle(), &Frame, EDGE_ETCHED, BF_RECT);
    AnsiString Text = GetText();
    if (!Text.empty()) {
        RECT T{8, 0, 8, H};
        DrawText(C->Handle(), Text.c_str(), int(Text.size()), &T, DT_CALCRECT | DT_SINGLELINE);
        T.Right = std::min<Integer>(T.Right + 4, R.Right - 4);
        C->FillRect(TRect{T.Left, T.Top, T.Right, T.Bottom});
        SetBkMode(C->Handle(), TRANSPARENT);
        SetTextColor(C->Handle(), Enabled() ? ColorToRGB(Font()->Color()) : GetSysColor(COLOR_GRAYTEXT));
        RECT Tt{T.Left + 2, T.Top, T.Right, T.Bottom};
        DrawText(C->Handle(), Text.c_str(), int(Text.size()), &Tt, DT_SINGLELINE);
    }
}

void TCustomGroupBox::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), GetText()) && CanFocus()) {
            SelectFirst();
            Message.Result = 1;
            return;
        }
        break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TCustomControl::WndProc(Message);
        Invalidate();
        Realign();
        return;
    default:
        break;
    }
    TCustomControl::WndProc(Message);
}

// ---- TScrollBar -------------------------------------------------------------------------------------------

TScrollBar::TScrollBar(TComponent* AOwner) : TStandardWinControl(AOwner)
{
    FControlStyle = TControlStyle{csFramed, csDoubleClicks};
    FTabStop = true;
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
}

void TScrollBar::CreateParams(TCreateParams& Params)
{
    RegisterStandardControlClasses();
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "SCROLLBAR");
    Params.Style |= FKind == sbHorizontal ? SBS_HORZ : SBS_VERT;
}

void TScrollBar::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateWindow();
}

void TScrollBar::UpdateWindow()
{
    if (!HandleAllocated())
        return;
    SCROLLINFO Si;
    Si.fMask = SIF_ALL;
    Si.nMin = FMin;
    Si.nMax = FMax + (FPageSize > 0 ? FPageSize - 1 : 0);
    Si.nPage = UINT(std::max(FPageSize, 0));
    Si.nPos = FPosition;
    SetScrollInfo(FHandle, SB_CTL, &Si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind Value)
{
    if (FKind == Value)
        return;
    FKind = Value;
    if (!ComponentState().Contains(csLoading))
        SetBounds(FLeft, FTop, FHeight, FWidth);
    RecreateWnd();
}

void TScrollBar::SetParams(Integer APosition, Integer AMin, Integer AMax)
{
    if (AMax < AMin)
        throw EInvalidOperation(SScrollBarRange);
    APosition = std::clamp(APosition, AMin, AMax);
    bool Changed = APosition != FPosition;
    FMin = AMin;
    FMax = AMax;
    FPosition = APosition;
    UpdateWindow();
    if (Changed)
        Change();
}

void TScrollBar::SetPageSize(Integer Value)
{
    if (Value < 0 || Value > FMax - FMin + 1)
        throw EInvalidOperation(SScrollBarRange);
    FPageSize = Value;
    UpdateWindow();
}

void TScrollBar::Change()
{
    if (OnChange)
        OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, Integer& ScrollPos)
{
    if (OnScroll)
        OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::WndProc(TMessage& Message)
{
    if (Message.Msg != CN_HSCROLL && Message.Msg != CN_VSCROLL) {
        TStandardWinControl::WndProc(Message);
        return;
    }
    WORD Code = LOWORD(Message.WParam);
    Integer Pos = FPosition;
    // The last position a page can start at.
    Integer Last = FPageSize > 0 ? FMax - FPageSize + 1 : FMax;
    switch (Code) {
    case SB_LINEUP:
        Pos -= FSmallChange;
        break;
    case SB_LINEDOWN:
        Pos += FSmallChange;
        break;
    case SB_PAGEUP:
        Pos -= FLargeChange;
        break;
    case SB_PAGEDOWN:
        Pos += FLargeChange;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO Si;
        Si.fMask = SIF_TRACKPOS;
        Pos = GetScrollInfo(FHandle, SB_CTL, &Si) ? Si.nTrackPos : Integer(HIWORD(Message.WParam));
        break;
    }
    case SB_TOP:
        Pos = FMin;
        break;
    case SB_BOTTOM:
        Pos = Last;
        break;
    default:
        break;
    }
    Pos = std::clamp(Pos, FMin, std::max(FMin, Last));
    Scroll(ToScrollCode(Code), Pos);
    SetPosition(Pos);
    Message.Result = 0;
}
