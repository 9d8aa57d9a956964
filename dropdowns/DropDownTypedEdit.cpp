// The dropdown's typed editing: the edit line is Prefix + value + Suffix; the edit type decides
// which characters are accepted, how pasted text is checked and how the value converts to and
// from numbers. Refused input is dropped silently.

#include "dropdowns/DadOrorUdur.h"

#include "RudUvud/support/DerOdoz.h"
#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"
#include "platform/win/StdControls.h"
#include "platform/win/Windows.h"

#include <cmath>
#include <cstdint>

namespace {

bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

bool Contains(const AnsiString& S, char C)
{
    return S.find(C) != AnsiString::npos;
}

// 1-based position of C in S, 0 when absent.
Integer PosOf(char C, const AnsiString& S)
{
    const auto P = S.find(C);
    return P == AnsiString::npos ? 0 : Integer(P) + 1;
}

AnsiString Fixed(double Value, Integer Precision, char Kind)
{
    return ::Format("%." + IntToStr(Precision) + Kind, {Value});
}

} // namespace

// ---- Unit routines -------------------------------------------------------------------------------

DadOrorUdur::TAutoType DadOrorUdur::TextTypeOf(const AnsiString& S)
{
    if (S.empty())
        return atString;
    bool IsInt = true, IsFloat = true, IsHex = true;
    // Positions count from 1 here; the start counts as -1, so a first separator needs a digit
    // before it and the next ones three after it.
    Integer Decimals = 0, Minus = 0, LastThousand = -1;
    for (Integer I = 0; I < Integer(S.size()); ++I) {
        const char C = S[std::size_t(I)];
        const bool Digit = IsDigit(C);
        if (!(C == '-' || Digit))
            IsInt = false;
        if (!(C == ',' || C == '-' || C == '.' || Digit))
            IsFloat = false;
        if (C == ThousandSeparator) {
            if (I + 1 - LastThousand < 3)
                IsFloat = false;
            LastThousand = I + 1;
        }
        if (!(C == '-' || Digit || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f')))
            IsHex = false;
        if (C == DecimalSeparator)
            ++Decimals;
        if (C == '-')
            ++Minus;
    }
    TAutoType Result = atString; // the names are the unit's inside its functions
    if (IsHex && !IsInt)
        Result = atHex;
    if (IsInt)
        Result = atNumeric;
    else if (IsFloat)
        Result = atFloat;
    if (Decimals > 1 || Minus > 1)
        Result = atString;
    return Result;
}

AnsiString DadOrorUdur::StripThousandSeparators(const AnsiString& S)
{
    AnsiString R;
    for (char C : S)
        if (C != ThousandSeparator)
            R += C;
    return R;
}

Integer DadOrorUdur::HexDigitValue(char Ch)
{
    if (IsDigit(Ch))
        return Ch - '0';
    if (Ch >= 'A' && Ch <= 'F')
        return Ch - 'A' + 10;
    if (Ch >= 'a' && Ch <= 'f')
        return Ch - 'a' + 10;
    return 0;
}

Integer DadOrorUdur::HexStrToInt(const AnsiString& S)
{
    // Unsigned arithmetic: a text too long for 32 bits wraps instead of overflowing.
    std::uint32_t R = 0;
    for (char C : S)
        R = R * 16u + std::uint32_t(HexDigitValue(C));
    return Integer(R);
}

bool DadOrorUdur::IsRangeSeparator(char Ch)
{
    return Ch == ',' || Ch == '-' || Ch == ';';
}

// ---- Text ----------------------------------------------------------------------------------------

AnsiString TDizEveverAvivIzar::GetText()
{
    AnsiString S = Line();
    if (!FPrefix.empty() && S.compare(0, FPrefix.size(), FPrefix) == 0)
        S.erase(0, FPrefix.size());
    if (!FSuffix.empty())
        S.erase(S.size() >= FSuffix.size() ? S.size() - FSuffix.size() : 0);
    return S;
}

void TDizEveverAvivIzar::SetText(const AnsiString& Value)
{
    AnsiString V = Value;
    if (V.empty() &&
        (FEditType == etNumeric || FEditType == etFloat || FEditType == etMoney || FEditType == etHex))
        V = "0";
    if (FPrecision > 0 && !V.empty() && V != "Error") {
        if (FEditType == etMoney)
            V = Fixed(EStrToFloat(V), FPrecision, 'n');
        else if (FEditType == etFloat)
            V = Fixed(EStrToFloat(V), FPrecision, 'f');
    }
    if (FEditType == etHex)
        V = AnsiUpperCase(V);
    SetLine(FPrefix + V + FSuffix);
    FAcceptedText = V;
    FModified = false;
}

void TDizEveverAvivIzar::SetTextDirect(const AnsiString& Value)
{
    SetLine(Value);
}

double TDizEveverAvivIzar::EStrToFloat(const AnsiString& S)
{
    Extended V = 0;
    return TryStrToFloat(DadOrorUdur::StripThousandSeparators(S), V) ? double(V) : 0.0;
}

double TDizEveverAvivIzar::GetFloat()
{
    const AnsiString T = Text();
    switch (FEditType) {
    case etNumeric:
    case etFloat:
        return T.empty() || T == "Error" || T == "-" ? 0.0 : EStrToFloat(T);
    case etMoney: {
        AnsiString S = DadOrorUdur::StripThousandSeparators(T);
        if (!S.empty() && S.back() == DecimalSeparator)
            S.pop_back();
        return S.empty() || S == "-" ? 0.0 : EStrToFloat(S);
    }
    case etHex:
        return DadOrorUdur::HexStrToInt(T);
    case etString: {
        TFormatSettings Settings;
        Settings.DecimalSeparator = '.';
        Extended V = 0;
        return TryStrToFloat(T, V, Settings) ? double(V) : 0.0;
    }
    default:
        return 0.0;
    }
}

void TDizEveverAvivIzar::SetFloat(double Value)
{
    switch (FEditType) {
    case etString:
    case etFloat:
    case etMoney:
        SetText(FPrecision < 0 ? ::Format("%g", {Value}) : Fixed(Value, FPrecision, 'f'));
        if (FEditType == etMoney)
            AutoSeparators();
        break;
    case etNumeric:
        // A plain integer: thousand separators would not read back through GetInt.
        SetText(IntToStr(Int64(Round(Value))));
        break;
    case etHex:
        SetText(IntToHex(Int64(std::trunc(Value)), 0));
        break;
    default:
        break;
    }
    FModified = true;
}

Integer TDizEveverAvivIzar::GetInt()
{
    AnsiString T = Text();
    switch (FEditType) {
    case etMoney:
        T = DadOrorUdur::StripThousandSeparators(T);
        [[fallthrough]];
    case etNumeric:
    case etFloat: {
        // The leading digits: "3.14" reads 3.
        Integer V = 0, Code = 0;
        Val(T, V, Code);
        if (Code > 1)
            Val(T.substr(0, std::size_t(Code - 1)), V, Code);
        return Code == 0 ? V : 0;
    }
    case etHex:
        return DadOrorUdur::HexStrToInt(T);
    default:
        return 0;
    }
}

void TDizEveverAvivIzar::SetInt(Integer Value)
{
    switch (FEditType) {
    case etNumeric:
    case etFloat:
    case etMoney:
        SetText(IntToStr(Value));
        if (FEditType == etMoney)
            AutoSeparators();
        break;
    case etHex:
        SetText(IntToHex(Value, 0));
        break;
    default:
        break;
    }
    FModified = true;
}

void TDizEveverAvivIzar::SetEditType(TDropDownEditType Value)
{
    if (FEditType == Value)
        return;
    FEditType = Value;
    if (Value == etPassword) {
        SetPasswordChar(u'*');
        FCanUndo = false;
        if (HandleAllocated())
            RecreateWnd();
    } else {
        SetPasswordChar(0);
    }
    const DadOrorUdur::TAutoType T = DadOrorUdur::TextTypeOf(Text());
    if (Value == etNumeric && T != DadOrorUdur::atNumeric)
        SetInt(0);
    if ((Value == etFloat || Value == etMoney) && T != DadOrorUdur::atNumeric && T != DadOrorUdur::atFloat)
        SetFloat(0);
    if (Value == etHex && T != DadOrorUdur::atNumeric && T != DadOrorUdur::atHex)
        SetInt(0);
}

void TDizEveverAvivIzar::SetPrecision(Integer Value)
{
    if (FPrecision == Value || !(FEditType == etString || FEditType == etFloat || FEditType == etMoney))
        return;
    FPrecision = Value;
    const DadOrorUdur::TAutoType T = DadOrorUdur::TextTypeOf(Text());
    if (T == DadOrorUdur::atString || T == DadOrorUdur::atHex)
        SetFloat(0);
    else
        SetFloat(GetFloat());
}

void TDizEveverAvivIzar::SetPrefix(const AnsiString& Value)
{
    const AnsiString Remembered = Text();
    FPrefix = Value;
    SetLine(Remembered);
    SetText(Remembered);
}

void TDizEveverAvivIzar::SetSuffix(const AnsiString& Value)
{
    const AnsiString Remembered = Text();
    FSuffix = Value;
    SetLine(Remembered);
    SetText(Remembered);
}

void TDizEveverAvivIzar::SetCanUndo(bool Value)
{
    if (FCanUndo == Value)
        return;
    FCanUndo = FEditType == etPassword ? false : Value;
    if (HandleAllocated()) {
        RecreateWnd();
        SetWidth(Width() + 1);
        SetWidth(Width() - 1);
    }
}

void TDizEveverAvivIzar::SetAutoThousandSeparator(bool Value)
{
    FAutoThousandSeparator = Value;
    if (FEditType == etFloat || FEditType == etMoney)
        AutoSeparators();
}

void TDizEveverAvivIzar::SetModified(bool Value)
{
    if (ComponentState().Contains(csLoading) || !FEditorEnabled || ReadOnly())
        return;
    TCustomMaskEdit::SetModified(Value);
    FModified = Value;
}

// ---- Selection and positions ---------------------------------------------------------------------

void TDizEveverAvivIzar::SelectAll()
{
    SetSelStart(Integer(FPrefix.size()));
    SetSelLength(Integer(Text().size()));
}

void TDizEveverAvivIzar::SelectAfterDecimal()
{
    const Integer P = PosOf(DecimalSeparator, Text());
    SetSelStart(Integer(FPrefix.size()) + P);
}

void TDizEveverAvivIzar::SelectBeforeDecimal()
{
    const Integer P = PosOf(DecimalSeparator, Text());
    SetSelStart(Integer(FPrefix.size()) + (P > 0 ? P - 1 : 0));
}

Integer TDizEveverAvivIzar::DecimalPos()
{
    const AnsiString T = Text();
    const Integer P = PosOf(DecimalSeparator, T);
    if (P > 0)
        return Integer(FPrefix.size()) + P;
    return Integer(T.size() + FPrefix.size() + FSuffix.size()) + 1;
}

Integer TDizEveverAvivIzar::FixedLength(const AnsiString& S)
{
    const AnsiString T = DadOrorUdur::StripThousandSeparators(S);
    const Integer P = PosOf(DecimalSeparator, T);
    return P > 0 ? P : Integer(T.size()) + 1;
}

Integer TDizEveverAvivIzar::CharFromPos(TPoint P)
{
    return LOWORD(SendMessage(Handle(), EM_CHARFROMPOS, 0, MAKELPARAM(P.X, P.Y)));
}

TPoint TDizEveverAvivIzar::PosFromChar(Integer Index)
{
    const LRESULT R = SendMessage(Handle(), EM_POSFROMCHAR, WPARAM(Index), 0);
    const Integer X = GET_X_LPARAM(R), Y = GET_Y_LPARAM(R);
    if (X >= 0 && X <= 65534 && R != -1)
        return TPoint{X, Y};
    const AnsiString L = Line();
    if (L.empty() || Index <= 0)
        return TPoint{0, 0};
    TPoint Prev = PosFromChar(Index - 1);
    HDC DC = GetDC(Handle());
    HGDIOBJ Old = SelectObject(DC, Font()->Handle());
    SIZE Size{};
    const std::size_t Last = std::min<std::size_t>(std::size_t(Index), L.size()) - 1;
    GetTextExtentPoint32(DC, &L[Last], 1, &Size);
    SelectObject(DC, Old);
    ReleaseDC(Handle(), DC);
    return TPoint{Prev.X + Size.cx, Prev.Y};
}

void TDizEveverAvivIzar::AutoSeparators()
{
    AnsiString S = Text();
    const Integer OldLength = Integer(S.size()), OldStart = SelStart();
    if (S.empty())
        return;
    AnsiString Sign;
    if (S[0] == '-') {
        Sign = "-";
        S.erase(0, 1);
    }
    AnsiString Frac;
    if (const auto P = S.find(DecimalSeparator); P != AnsiString::npos)
        Frac = S.substr(P, 255);
    const double Whole = std::trunc(std::fabs(GetFloat()));
    AnsiString W = ::Format(FAutoThousandSeparator ? "%n" : "%f", {Whole});
    if (const auto P = W.find(DecimalSeparator); P != AnsiString::npos)
        W.erase(P);
    const Integer Saved = FPrecision;
    FPrecision = 0;
    const AnsiString NewLine = FPrefix + Sign + W + Frac + FSuffix;
    FBlockChange = Line() != NewLine;
    SetLine(NewLine);
    FPrecision = Saved;
    SetSelStart(OldStart + (Integer(Text().size()) - OldLength));
    SetSelLength(0);
}

// ---- Typing ----------------------------------------------------------------------------------------

bool TDizEveverAvivIzar::SeparatorTooClose(AnsiString S, Integer Caret)
{
    Integer Q = Caret - Integer(FPrefix.size());
    Integer M = Integer(S.size());
    if (!Contains(S, ThousandSeparator))
        return false;
    while (Contains(S, ThousandSeparator)) {
        const Integer P = PosOf(ThousandSeparator, S);
        const Integer D = std::abs(P - Q);
        M = std::min(M, D);
        if (D < 3)
            return true;
        if (P < Q)
            Q -= P;
        S.erase(0, std::size_t(P));
    }
    return M > 3;
}

bool TDizEveverAvivIzar::DecimalsFull(const AnsiString& S, Integer Caret)
{
    const Integer Q = Caret - Integer(FPrefix.size());
    const Integer P = PosOf(DecimalSeparator, S);
    return FPrecision > 0 && Integer(S.size()) - Q <= FPrecision && P > 0 && P <= Q &&
           Integer(S.size()) - P >= FPrecision;
}

void TDizEveverAvivIzar::FloatChar(TMessage& Message, char Ch, bool Money)
{
    const char DS = DecimalSeparator, TS = ThousandSeparator;
    const AnsiString T = Text();
    const Integer Pre = Integer(FPrefix.size());
    auto Drop = [&] { Message.Result = 0; };
    if (!Money) {
        if ((Ch == ',' && DS != ',' && TS != ',') || (Ch == '.' && DS != '.' && TS != '.'))
            return Drop();
        if (!(Ch == 8 || Ch == 9 || Ch == 13 || Ch == ',' || Ch == '-' || Ch == '.' || IsDigit(Ch)))
            return Drop();
        if (Ch == DS && !Contains(SelectedValue(), DS)) {
            if (Contains(T, DS) || FPrecision == 0) {
                if (FPrecision > 0)
                    SelectAfterDecimal();
                return Drop();
            }
        }
        if (Ch == ',' && Ch != TS) {
            AnsiString Outside = T;
            const Integer Q = SelStart() - Pre;
            if (Q >= 0 && Q <= Integer(Outside.size()))
                Outside.erase(std::size_t(Q), std::size_t(SelLength()));
            if (Contains(Outside, ','))
                return Drop();
        }
        if ((Ch == TS || Ch == DS) && SeparatorTooClose(T, SelStart()))
            return Drop();
    } else {
        if (Ch == DS) {
            if (Contains(T, DS) || FPrecision == 0) {
                if (FPrecision > 0) {
                    if (SelLength() == Integer(T.size()) && !T.empty())
                        SetText(AnsiString("0") + DS + "0");
                    SelectAfterDecimal();
                }
                return Drop();
            }
        }
        if (!(Ch == 8 || Ch == 9 || Ch == 13 || IsDigit(Ch) || Ch == DS))
            return Drop();
        if (Ch == DS && SeparatorTooClose(T, SelStart()))
            return Drop();
    }
    if (DecimalsFull(T, SelStart()) && (IsDigit(Ch) || Ch == DS) && SelLength() == 0) {
        const Integer Q = SelStart() - Pre;
        if (FPrecision <= 0 || Q < PosOf(DS, T) || !IsDigit(Ch) || Q >= Integer(T.size()))
            return Drop();
        SetSelLength(1);
    }
    if (Ch == DS && T.empty() && SelStart() - Pre == 0) {
        SetLine(FPrefix + "0" + DS + FSuffix);
        SetSelStart(Pre + 2);
        FModified = true;
        return;
    }
    Default(Message);
    if (Money && !Text().empty() && Text() != "-" && Ch != DS) {
        if (WindowModified())
            FModified = true;
        AutoSeparators();
    }
}

AnsiString TDizEveverAvivIzar::SelectedValue()
{
    const AnsiString T = Text();
    const Integer From = SelStart() - Integer(FPrefix.size());
    if (From < 0 || From >= Integer(T.size()))
        return AnsiString();
    return T.substr(std::size_t(From), std::size_t(SelLength()));
}

void TDizEveverAvivIzar::WMChar(TMessage& Message)
{
    if (!FEditorEnabled)
        return;
    const char16_t Unit = char16_t(Message.WParam);
    const char Ch = Unit < 0x80 ? char(Unit) : '\0';
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
    const AnsiString T = Text();
    const Integer Pre = Integer(FPrefix.size());
    if (SelLength() == Integer(T.size()) && !T.empty())
        FBlockChange = true;
    if (Unit == 13) {
        if (Ctrl) {
            Message.Result = 1;
            return;
        }
        WideChar Key = 13;
        if (OnKeyPress)
            OnKeyPress(this, Key);
        return;
    }
    if (Unit == 27 && !FCanUndo) {
        Default(Message);
        return;
    }
    if (Ctrl && (Unit == 3 || Unit == 22 || Unit == 24)) {
        Default(Message);
        return;
    }
    if (Unit == 8) {
        if (!FPrefix.empty() && SelStart() <= Pre && SelLength() == 0)
            return;
        AnsiString Predicted = T;
        // The character before the caret, or from one before the selection; nothing at the start.
        const Integer From = SelStart() - Pre - 1;
        if (From >= 0 && From < Integer(Predicted.size()))
            Predicted.erase(std::size_t(From), std::size_t(std::max(SelLength(), 1)));
        Default(Message);
        if (Text().empty() && !Predicted.empty())
            Change();
        return;
    }
    if (Unit == 10 && Ctrl)
        return;
    if (Unit == '-' && (FEditType == etNumeric || FEditType == etFloat || FEditType == etMoney))
        return;
    auto Accept = [&](bool SetModifiedFirst) {
        if (SetModifiedFirst)
            FModified = true;
        Default(Message);
    };
    switch (FEditType) {
    case etString:
    case etPassword:
        Accept(true);
        break;
    case etNumeric:
        if (Unit == 9 || IsDigit(Ch) || Ctrl)
            Accept(false);
        else
            return;
        break;
    case etFloat:
        FloatChar(Message, Ch, false);
        break;
    case etMoney:
        FloatChar(Message, Ch, true);
        break;
    case etUppercase:
    case etLowerCase: {
        const AnsiString One = Ch ? AnsiString(1, Ch) : AnsiString();
        if (!One.empty()) {
            const AnsiString Cased = FEditType == etUppercase ? AnsiUpperCase(One) : AnsiLowerCase(One);
            Message.WParam = WPARAM(static_cast<unsigned char>(Cased[0]));
        }
        Default(Message);
        break;
    }
    case etMixedCase: {
        const Integer Caret = SelStart();
        Default(Message);
        SetLine(ShiftCase(Text()));
        SetSelStart(Caret + 1);
        break;
    }
    case etRange: {
        if (!(Unit == 9 || IsDigit(Ch) || DadOrorUdur::IsRangeSeparator(Ch)))
            return;
        FModified = true;
        if (DadOrorUdur::IsRangeSeparator(Ch)) {
            const AnsiString L = Line() + " ";
            const Integer Caret = SelStart();
            if (Caret <= Pre || (Caret > 0 && DadOrorUdur::IsRangeSeparator(L[std::size_t(Caret - 1)])) ||
                (Caret < Integer(L.size()) && DadOrorUdur::IsRangeSeparator(L[std::size_t(Caret)])))
                return;
        }
        Default(Message);
        break;
    }
    case etHex:
        if (!(Unit == 9 || Ch == '-' || IsDigit(Ch) || (Ch >= 'A' && Ch <= 'F') || (Ch >= 'a' && Ch <= 'f')))
            return;
        Accept(true);
        break;
    case etAlphaNumeric:
        if (!(Unit == 9 || IsDigit(Ch) || (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z')))
            return;
        Accept(true);
        break;
    case etValidChars:
        if (!(Ch && Contains(FValidChars, Ch)))
            return;
        Accept(true);
        break;
    }
    if (WindowModified())
        FModified = true;
}

// ---- Clipboard -----------------------------------------------------------------------------------

void TDizEveverAvivIzar::WMPaste(TMessage&)
{
    if (ReadOnly() || !Clipboard()->HasFormat(CF_TEXT))
        return;
    const AnsiString T = Clipboard()->AsText();
    const AnsiString Old = Text();
    const Integer Pre = Integer(FPrefix.size());
    const Integer Start = std::clamp(SelStart() - Pre, 0, Integer(Old.size()));
    const Integer Length = std::min(SelLength(), Integer(Old.size()) - Start);
    AnsiString V = Old;
    V.replace(std::size_t(Start), std::size_t(Length), T);
    bool Allow = true;
    if (OnClipboardPaste)
        OnClipboardPaste(this, V, Allow);
    if (!Allow)
        return;
    if (MaxLength() > 0 && Integer(T.size()) + Integer(Old.size()) - SelLength() > MaxLength())
        return;
    bool Pasted = true;
    switch (FEditType) {
    case etString:
    case etPassword:
        SetText(V);
        break;
    case etNumeric:
        Pasted = DadOrorUdur::TextTypeOf(V) == DadOrorUdur::atNumeric && !Contains(V, '-');
        if (Pasted) {
            SetText(V);
            FModified = true;
        }
        break;
    case etFloat:
    case etMoney: {
        const DadOrorUdur::TAutoType Kind = DadOrorUdur::TextTypeOf(V);
        Pasted = (Kind == DadOrorUdur::atNumeric || Kind == DadOrorUdur::atFloat) &&
                 (!Contains(T, DecimalSeparator) || FPrecision != 0) && !Contains(V, '-');
        if (Pasted) {
            SetText(V);
            SetFloat(GetFloat());
            FModified = true;
        }
        break;
    }
    case etUppercase:
        SetText(AnsiUpperCase(V));
        break;
    case etMixedCase:
        SetText(ShiftCase(V));
        break;
    case etLowerCase:
        SetText(AnsiLowerCase(V));
        break;
    case etAlphaNumeric:
    case etValidChars:
        for (char C : V)
            if (FEditType == etAlphaNumeric
                    ? !(IsDigit(C) || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'))
                    : !Contains(FValidChars, C))
                Pasted = false;
        if (Pasted) {
            SetText(V);
            FModified = true;
        }
        break;
    case etRange:
    case etHex:
        Pasted = false;
        break;
    }
    // A refused paste leaves caret and selection where they were.
    if (!Pasted)
        return;
    if (FEditType == etMoney && Text().size() > 3) {
        SelectAll();
    } else if (Length > 0) {
        SetSelStart(Pre + Start);
        SetSelLength(Integer(T.size()));
    } else {
        SetSelStart(Pre + Start + Integer(T.size()));
        SetSelLength(0);
    }
    if (FEditType == etString || (FEditType >= etUppercase && FEditType <= etPassword))
        FModified = true;
}

void TDizEveverAvivIzar::WMCut(TMessage& Message)
{
    if (!FEditorEnabled || ReadOnly())
        return;
    bool Allow = true;
    FInCut = true;
    if (OnClipboardCut)
        OnClipboardCut(this, SelectedValue(), Allow);
    if (Allow)
        Default(Message);
    FInCut = false;
}

void TDizEveverAvivIzar::WMCopy(TMessage& Message)
{
    bool Allow = true;
    if (!FInCut && OnClipboardCopy)
        OnClipboardCopy(this, SelectedValue(), Allow);
    FInCut = false;
    if (Allow)
        Default(Message);
}

void TDizEveverAvivIzar::CNCommand(TMessage& Message)
{
    if (HIWORD(Message.WParam) == EN_CHANGE && FBlockChange) {
        FBlockChange = false;
        return;
    }
    Default(Message);
}

void TDizEveverAvivIzar::FormatOnExit()
{
    const AnsiString T = Text();
    if ((FEditType == etFloat || FEditType == etMoney) && FPrecision > 0) {
        const bool Was = FModified;
        SetFloat(GetFloat());
        FModified = Was;
    }
    if (FEditType == etNumeric && T.empty())
        SetText("0");
    if ((FEditType == etFloat || FEditType == etMoney) && Text().empty())
        SetFloat(0);
}
