#include "platform/forms/Mask.h"
#include "platform/rtl/Guards.h"

#include "platform/rtl/Strings.h"

#include <algorithm>

namespace {

bool IsDigit(char16_t C)
{
    return C >= u'0' && C <= u'9';
}

bool IsLetter(char16_t C)
{
    return std::iswalpha(wint_t(C)) || C >= 0x2E80; // letters, and the characters of CJK scripts
}

} // namespace

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::ParseMask()
{
    FSlots.clear();
    FSaveLiterals = true;
    FBlank = u'_';
    FLeadingBlanks = false;
    std::u16string M = AnsiToWide(FEditMask);
    if (M.empty())
        return;
    // The fields after the last two unescaped ';'.
    std::vector<std::size_t> Semis;
    for (std::size_t I = 0; I < M.size(); ++I) {
        if (M[I] == u'\\') {
            ++I;
            continue;
        }
        if (M[I] == u';')
            Semis.push_back(I);
    }
    std::size_t End = M.size();
    if (Semis.size() >= 2) {
        std::size_t A = Semis[Semis.size() - 2], B = Semis.back();
        std::u16string Save = M.substr(A + 1, B - A - 1);
        FSaveLiterals = Save != u"0";
        if (B + 1 < M.size())
            FBlank = M[B + 1];
        End = A;
    } else if (Semis.size() == 1) {
        FSaveLiterals = M.substr(Semis[0] + 1) != u"0";
        End = Semis[0];
    }
    int Case = 0;
    for (std::size_t I = 0; I < End; ++I) {
        char16_t C = M[I];
        switch (C) {
        case u'!':
            FLeadingBlanks = true;
            continue;
        case u'>':
            if (I + 1 < End && M[I + 1] == u'<') {
                Case = 0;
                ++I;
            } else {
                Case = 1;
            }
            continue;
        case u'<':
            Case = -1;
            continue;
        case u'\\':
            if (I + 1 < End)
                FSlots.push_back(Slot{0, M[++I], 0});
            continue;
        case u'0':
        case u'9':
        case u'#':
        case u'L':
        case u'l':
        case u'A':
        case u'a':
        case u'C':
        case u'c':
            FSlots.push_back(Slot{C, 0, Case});
            continue;
        case u'_':
            FSlots.push_back(Slot{0, u' ', 0});
            continue;
        default:
            FSlots.push_back(Slot{0, C, 0});
            continue;
        }
    }
}

bool TCustomMaskEdit::IsRequired(const Slot& S) const
{
    return S.Kind == u'0' || S.Kind == u'L' || S.Kind == u'A' || S.Kind == u'C';
}

bool TCustomMaskEdit::Accepts(const Slot& S, char16_t C) const
{
    switch (S.Kind) {
    case u'0':
    case u'9':
        return IsDigit(C);
    case u'#':
        return IsDigit(C) || C == u'+' || C == u'-';
    case u'L':
    case u'l':
        return IsLetter(C);
    case u'A':
    case u'a':
        return IsLetter(C) || IsDigit(C);
    case u'C':
    case u'c':
        return C >= 32;
    default:
        return false;
    }
}

std::size_t TCustomMaskEdit::NextEditable(std::size_t From) const
{
    while (From < FSlots.size() && FSlots[From].Kind == 0)
        ++From;
    return From;
}

// The edit text for a text. With saved literals the text holds them: each field between two
// literals is filled from the text between them, short fields padded with blanks at the end (at
// the start with '!'). Without, the characters fill the editable positions in order.
std::u16string TCustomMaskEdit::Format(const AnsiString& Text) const
{
    std::u16string T = AnsiToWide(Text);
    std::u16string Out;
    auto Put = [&](const Slot& S, char16_t C) {
        if (C == u' ')
            C = FBlank;
        if (C != FBlank && S.Case > 0)
            C = char16_t(UnicodeUpper(C));
        else if (C != FBlank && S.Case < 0)
            C = char16_t(UnicodeLower(C));
        Out.push_back((C == FBlank || Accepts(S, C)) ? C : FBlank);
    };
    std::size_t N = FSlots.size();
    if (FSaveLiterals) {
        std::size_t K = 0;
        for (std::size_t I = 0; I < N;) {
            if (FSlots[I].Kind == 0) {
                Out.push_back(FSlots[I].Literal);
                if (K < T.size() && T[K] == FSlots[I].Literal)
                    ++K;
                ++I;
                continue;
            }
            std::size_t J = I;
            while (J < N && FSlots[J].Kind != 0)
                ++J;
            std::size_t Stop = T.size();
            if (J < N) {
                std::size_t At = T.find(FSlots[J].Literal, K);
                if (At != std::u16string::npos)
                    Stop = At;
            }
            std::u16string Part = T.substr(std::min(K, T.size()), Stop > K ? Stop - K : 0);
            std::size_t Width = J - I;
            if (Part.size() > Width)
                Part.resize(Width);
            std::size_t Pad = Width - Part.size();
            for (std::size_t P = 0; P < Width; ++P) {
                bool Blank = FLeadingBlanks ? P < Pad : P >= Part.size();
                Put(FSlots[I + P], Blank ? FBlank : Part[FLeadingBlanks ? P - Pad : P]);
            }
            K = Stop;
            I = J;
        }
        return Out;
    }
    std::size_t Editable = 0;
    for (const Slot& S : FSlots)
        Editable += S.Kind != 0;
    // Optional characters missing at the start: leading blanks.
    std::size_t Skip = (FLeadingBlanks && T.size() < Editable) ? Editable - T.size() : 0;
    std::size_t K = 0;
    for (const Slot& S : FSlots) {
        if (S.Kind == 0) {
            Out.push_back(S.Literal);
        } else if (Skip > 0) {
            --Skip;
            Out.push_back(FBlank);
        } else {
            Put(S, K < T.size() ? T[K++] : FBlank);
        }
    }
    return Out;
}

void TCustomMaskEdit::SetEditMask(const AnsiString& Value)
{
    AnsiString Old = GetText();
    FEditMask = Value;
    ParseMask();
    if (IsMasked())
        SetTextValue(Old);
    else
        TCustomEdit::SetTextValue(Old);
}

std::u16string TCustomMaskEdit::Current()
{
    std::u16string S = AnsiToWide(TCustomEdit::GetText());
    if (S.size() != FSlots.size())
        S = Format(WideToAnsi(S));
    return S;
}

AnsiString TCustomMaskEdit::EditText()
{
    return IsMasked() ? WideToAnsi(Current()) : TCustomEdit::GetText();
}

void TCustomMaskEdit::SetEditText(const AnsiString& Value)
{
    if (!IsMasked()) {
        TCustomEdit::SetTextValue(Value);
        return;
    }
    std::u16string T = AnsiToWide(Value);
    if (T.size() != FSlots.size())
        T = Format(Value);
    FOldValue = T;
    TCustomEdit::SetTextValue(WideToAnsi(T));
}

AnsiString TCustomMaskEdit::GetText()
{
    if (!IsMasked())
        return TCustomEdit::GetText();
    std::u16string E = Current(), Out;
    for (std::size_t I = 0; I < FSlots.size(); ++I) {
        if (FSlots[I].Kind == 0) {
            if (FSaveLiterals)
                Out.push_back(E[I]);
        } else {
            Out.push_back(E[I] == FBlank ? u' ' : E[I]);
        }
    }
    // Unfilled optional positions at the end (or start, with '!') are no text.
    if (!FSaveLiterals) {
        if (FLeadingBlanks)
            Out.erase(0, Out.find_first_not_of(u' ') == std::u16string::npos ? Out.size()
                                                                             : Out.find_first_not_of(u' '));
        else
            Out.erase(Out.find_last_not_of(u' ') + 1);
    }
    return WideToAnsi(Out);
}

void TCustomMaskEdit::SetTextValue(const AnsiString& Value)
{
    if (!IsMasked()) {
        TCustomEdit::SetTextValue(Value);
        return;
    }
    // Text the program sets is where Esc goes back to.
    FOldValue = Format(Value);
    TCustomEdit::SetTextValue(WideToAnsi(FOldValue));
}

void TCustomMaskEdit::Show(const std::u16string& Edit, std::size_t Caret)
{
    AnsiString Text = WideToAnsi(Edit);
    if (HandleAllocated()) {
        // A typed character replaces the window's text as typing does: undoable, modified,
        // reported as a change.
        SendMessage(FHandle, EM_SETSEL, 0, -1);
        SendMessage(FHandle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Text.c_str()));
        std::size_t Byte = WideToAnsi(Edit.substr(0, std::min(Caret, Edit.size()))).size();
        SendMessage(FHandle, EM_SETSEL, WPARAM(Byte), LPARAM(Byte));
    } else {
        TCustomEdit::SetTextValue(Text);
    }
}

std::pair<std::size_t, std::size_t> TCustomMaskEdit::SelChars()
{
    std::u16string E = Current();
    AnsiString A = WideToAnsi(E);
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    auto ToChar = [&](DWORD Byte) {
        return AnsiToWide(A.substr(0, std::min<std::size_t>(Byte, A.size()))).size();
    };
    return {ToChar(Start), ToChar(End)};
}

std::size_t TCustomMaskEdit::CaretChar()
{
    return SelChars().first;
}

void TCustomMaskEdit::KeyPress(WideChar& Key)
{
    TCustomEdit::KeyPress(Key);
    if (!IsMasked() || Key == 0)
        return;
    if (Key == 27) {
        // Esc puts back the text from when the control got the focus; with nothing changed it
        // is the form's key.
        if (AnsiToWide(TCustomEdit::GetText()) != FOldValue) {
            Reset();
            Key = 0;
        }
        return;
    }
    if (Key == 3 || Key == 22 || Key == 24 || Key == 26 || Key == 13 || Key == 10 || Key == 9)
        return;
    if (ReadOnly()) {
        Key = 0;
        return;
    }
    std::u16string E = Current();
    auto [A, B] = SelChars();
    if (Key == 8) {
        Key = 0;
        if (A != B) {
            for (std::size_t I = A; I < B && I < E.size(); ++I)
                if (FSlots[I].Kind)
                    E[I] = FBlank;
            Show(E, A);
            return;
        }
        std::size_t P = A;
        while (P > 0 && FSlots[P - 1].Kind == 0)
            --P;
        if (P == 0)
            return;
        E[P - 1] = FBlank;
        Show(E, P - 1);
        return;
    }
    if (Key < 32)
        return;
    char16_t C = Key;
    Key = 0;
    // A typed literal steps over its place.
    if (A < FSlots.size() && FSlots[A].Kind == 0 && FSlots[A].Literal == C) {
        Show(E, A + 1);
        return;
    }
    std::size_t P = NextEditable(A);
    if (P >= FSlots.size() || !Accepts(FSlots[P], C)) {
        MessageBeep(0);
        return;
    }
    if (FSlots[P].Case > 0)
        C = char16_t(UnicodeUpper(C));
    else if (FSlots[P].Case < 0)
        C = char16_t(UnicodeLower(C));
    for (std::size_t I = A; I < B && I < E.size(); ++I)
        if (FSlots[I].Kind)
            E[I] = FBlank;
    E[P] = C;
    Show(E, NextEditable(P + 1) < FSlots.size() ? NextEditable(P + 1) : P + 1);
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomEdit::KeyDown(Key, Shift);
    if (!IsMasked() || Key == 0)
        return;
    if (Key == VK_DELETE && !Shift.Contains(ssShift)) {
        Key = 0;
        if (ReadOnly())
            return;
        // Delete blanks positions in place: the rest of the text stays where the mask puts it.
        std::u16string E = Current();
        auto [A, B] = SelChars();
        if (A == B)
            B = A + 1;
        for (std::size_t I = A; I < B && I < E.size(); ++I)
            if (FSlots[I].Kind)
                E[I] = FBlank;
        Show(E, A);
    }
}

void TCustomMaskEdit::DoEnter()
{
    if (IsMasked())
        FOldValue = AnsiToWide(TCustomEdit::GetText());
    TCustomEdit::DoEnter();
}

void TCustomMaskEdit::Reset()
{
    if (!IsMasked())
        return;
    TCustomEdit::SetTextValue(WideToAnsi(FOldValue.size() == FSlots.size() ? FOldValue : Format("")));
    SetModified(false);
}

void TCustomMaskEdit::ValidateEdit()
{
    if (!IsMasked())
        return;
    // Only what the person changed is checked: a text left as it came is not theirs to fix.
    if (!Modified())
        return;
    std::u16string E = Current();
    for (std::size_t I = 0; I < FSlots.size(); ++I)
        if (IsRequired(FSlots[I]) && E[I] == FBlank) {
            MessageBeep(0);
            throw EDBEditError(SMaskEditErr);
        }
}

namespace {

// Brings the focus back after the focus change that failed validation has finished.
UINT RefocusMessage()
{
    static UINT M = RegisterWindowMessage("TCustomMaskEdit.Refocus");
    return M;
}

} // namespace

void TCustomMaskEdit::WndProc(TMessage& Message)
{
    if (Message.Msg == RefocusMessage()) {
        if (CanFocus())
            SetFocus();
        return;
    }
    if (Message.Msg == CM_EXIT && IsMasked()) {
        // The person stays in the control to correct or abandon the text.
        TScopeExit Refocus([this] {
            if (HandleAllocated())
                PostMessage(FHandle, RefocusMessage(), 0, 0);
        });
        ValidateEdit();
        Refocus.Dismiss();
        TCustomEdit::WndProc(Message);
        return;
    }
    if (Message.Msg == CM_WANTSPECIALKEY && Message.WParam == VK_ESCAPE && IsMasked() &&
        AnsiToWide(TCustomEdit::GetText()) != FOldValue) {
        Message.Result = 1;
        return;
    }
    TCustomEdit::WndProc(Message);
}
