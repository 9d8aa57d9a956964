#include "dropdowns/RarEzaveraravOdororud.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"
#include "platform/win/Windows.h"

#include <cmath>

namespace {

constexpr Integer OpNone = -1, OpAdd = 0, OpMultiply = 1, OpSubtract = 2, OpDivide = 3;

bool IsDigit(WideChar Key)
{
    return Key >= '0' && Key <= '9';
}

} // namespace

TRarEzaveraravOdororud::TRarEzaveraravOdororud(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FCalcButtonAppearance(std::make_unique<TButtonAppearance>())
{
}

TRarEzaveraravOdororud::~TRarEzaveraravOdororud() = default;

void TRarEzaveraravOdororud::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    SetDropDownColor(0xFFFFFF);
    SetDropDownWidth(230);
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
    SetEditType(etFloat);
    FPendingOperator = OpNone;
    SetPrecision(2);
    FDecimalDivisor = 0;
    FNeverDropped = true;
    FMemory = 0;
}

void TRarEzaveraravOdororud::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (!FKeyPad && DropDownForm()) {
        FKeyPad = New<TCustomButtonPanel>(this);
        FKeyPad->SetParent(DropDownForm());
        FKeyPad->SetDadOrorUdur(this);
        FKeyPad->SetHeight(150);
        FKeyPad->Initialize();
    }
    if (FKeyPad) {
        SetControl(FKeyPad);
        FKeyPad->OnButtonClick = [this](TObject* Sender, Integer Index) { OnVadButtonClick(Sender, Index); };
    }
}

void TRarEzaveraravOdororud::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FKeyPad)
        FKeyPad = nullptr;
}

void TRarEzaveraravOdororud::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    if (DropDownForm())
        DropDownForm()->FCancelOnDeactivate = false;
    if (FKeyPad) {
        // Its own height again: made the centre control of a popup that had no size yet, the
        // key pad took the popup's, and the popup is sized from it.
        FKeyPad->SetAlign(alNone);
        FKeyPad->SetHeight(150);
        FKeyPad->ButtonAppearance()->Assign(FCalcButtonAppearance.get());
        FKeyPad->SetColor(DropDownColor());
        FKeyPad->ArrangeButtons();
    }
    FNewEntry = true;
    FDecimalDivisor = 0;
    FNeverDropped = false;
}

void TRarEzaveraravOdororud::SetShowThousandSeparator(bool Value)
{
    if (FShowThousandSeparator == Value)
        return;
    FShowThousandSeparator = Value;
    SetEditType(Value ? etMoney : etFloat);
    SetFloat(GetFloat());
}

Extended TRarEzaveraravOdororud::Displayed()
{
    Extended V = 0;
    if (!TryStrToFloat(DadOrorUdur::StripThousandSeparators(Text()), V))
        V = 0;
    return V;
}

Extended TRarEzaveraravOdororud::Value()
{
    if (Text().empty())
        SetText("0");
    return Displayed();
}

void TRarEzaveraravOdororud::SetValue(Extended V)
{
    SetText(::Format("%g", {V}));
}

void TRarEzaveraravOdororud::DoCalc()
{
    if (Text().empty() || Text() == "Error")
        SetText("0");
    const Extended V = Displayed();
    switch (FPendingOperator) {
    case OpAdd:
        FAccumulator += V;
        break;
    case OpMultiply:
        FAccumulator *= V;
        break;
    case OpSubtract:
        FAccumulator -= V;
        break;
    case OpDivide:
        if (V == 0) {
            FAccumulator = 0;
            SetText("Error");
            return;
        }
        FAccumulator /= V;
        break;
    default:
        FAccumulator = V;
        break;
    }
    // An overflow shows "Error" as a division by zero does, never "inf" or "nan".
    if (!std::isfinite(double(FAccumulator))) {
        FAccumulator = 0;
        SetText("Error");
        FNewEntry = true;
        return;
    }
    SetFloat(double(FAccumulator));
    FNewEntry = true;
}

void TRarEzaveraravOdororud::DoPlus()
{
    DoCalc();
    FPendingOperator = OpAdd;
}

void TRarEzaveraravOdororud::DoMin()
{
    DoCalc();
    FPendingOperator = OpSubtract;
}

void TRarEzaveraravOdororud::DoMul()
{
    DoCalc();
    FPendingOperator = OpMultiply;
}

void TRarEzaveraravOdororud::DoDiv()
{
    DoCalc();
    FPendingOperator = OpDivide;
}

void TRarEzaveraravOdororud::DoEq()
{
    DoCalc();
    if (Text().empty())
        SetText("0");
    FPendingOperator = OpNone;
    if (Text() != "Error")
        FAccumulator = Displayed();
}

void TRarEzaveraravOdororud::DoPerc()
{
    if (Text().empty() || Text() == "Error")
        SetText("0");
    SetText(::Format("%g", {FAccumulator * Displayed() / 100}));
}

void TRarEzaveraravOdororud::ClearAll()
{
    SetText("0");
    FAccumulator = 0;
    FPendingOperator = OpNone;
}

bool TRarEzaveraravOdororud::AtMaxLength()
{
    return MaxLength() > 0 && Integer(Text().size()) >= MaxLength();
}

void TRarEzaveraravOdororud::Digit(Integer D)
{
    Extended V = GetFloat();
    if ((V == 0 && FDecimalDivisor == 0) || FNewEntry) {
        SetText(IntToStr(D));
        FNewEntry = false;
        return;
    }
    // The digit extends the number's magnitude, also for negative numbers; decimals beyond the
    // precision are refused rather than rounded into the value.
    const Extended Sign = V < 0 ? -1 : 1;
    if (FDecimalDivisor > 0) {
        if (Precision() >= 0 && FDecimalDivisor > std::pow(10.0, Precision()))
            return;
        V += Sign * D / FDecimalDivisor;
        FDecimalDivisor *= 10;
    } else {
        V = V * 10 + Sign * D;
    }
    SetFloat(double(V));
}

void TRarEzaveraravOdororud::OnVadButtonClick(TObject*, Integer Index)
{
    if (!FKeyPad || Index < 0 || Index >= FKeyPad->Buttons()->Count())
        return;
    CalcChange();
    const Integer Tag = FKeyPad->Buttons()->GetItem(Index)->Tag();
    if ((Tag >= 10 && Tag <= 14) || (Tag >= 16 && Tag <= 18))
        FDecimalDivisor = 0;
    if (((Tag >= 0 && Tag <= 9) || Tag == 14 || Tag == 15) && AtMaxLength())
        return;
    if (Tag >= 0 && Tag <= 9) {
        Digit(Tag);
    } else {
        switch (Tag) {
        case 10:
            DoPlus();
            break;
        case 11:
            DoMin();
            break;
        case 12:
            DoMul();
            break;
        case 13:
            DoDiv();
            break;
        case 14: {
            const AnsiString S = Text();
            SetText(S.find('-') != AnsiString::npos ? S.substr(1) : "-" + S);
            break;
        }
        case 15:
            if (Text().find(DecimalSeparator) == AnsiString::npos)
                SetText(Text() + DecimalSeparator);
            FDecimalDivisor = 10;
            if (FNewEntry)
                SetText("0");
            FNewEntry = false;
            break;
        case 16:
        case 30:
        case 32:
            ClearAll();
            break;
        case 17:
            DoEq();
            break;
        case 18:
            DoPerc();
            break;
        case 31:
            if (FPendingOperator == OpNone) {
                AnsiString S = FloatToStr(GetFloat());
                S.pop_back();
                SetText(S.empty() || S == "-" ? AnsiString("0") : S);
            }
            break;
        case 33:
            FMemory = 0;
            break;
        case 34:
            SetFloat(double(FMemory));
            break;
        case 35:
            FMemory = Displayed();
            break;
        case 36:
            FMemory += Displayed();
            break;
        case 37:
            if (GetFloat() < 0)
                SetText("Error");
            else
                SetFloat(std::sqrt(GetFloat()));
            break;
        case 38:
            if (GetFloat() != 0)
                SetFloat(1 / GetFloat());
            else
                SetText("Error");
            break;
        default:
            return;
        }
    }
    SetModified(true);
}

bool TRarEzaveraravOdororud::PopupShowing() const
{
    return !FNeverDropped && DropDownForm() && DropDownForm()->Visible();
}

void TRarEzaveraravOdororud::CalcKeyPress(WideChar& Key)
{
    if (!PopupShowing()) {
        switch (Key) {
        case 13:
        case '=':
            DoEq();
            break;
        case '%':
            DoPerc();
            break;
        case '*':
            DoMul();
            break;
        case '+':
            DoPlus();
            break;
        case '-':
            DoMin();
            break;
        case '/':
            DoDiv();
            break;
        case 'C':
        case 'c':
            // Clears the accumulator as the C key does, so a following "%" starts afresh.
            ClearAll();
            FNewEntry = true;
            break;
        default:
            break;
        }
    }
    if (Key != 8 && Key != '-' && !IsDigit(Key) && Key != WideChar(DecimalSeparator))
        Key = 0;
    if (Key == 0)
        return;
    const AnsiString S = Text();
    if (IsDigit(Key) && (S == "0" || FNewEntry)) {
        SetText(AnsiString(1, char(Key)));
        Key = 0;
        SetSelStart(Integer(Prefix().size()) + 1);
        SetSelLength(0);
        FNewEntry = false;
        return;
    }
    if (S.size() == 1 && Key == 8) {
        SetText("0");
        Key = 0;
        SetSelStart(Integer(Prefix().size()) + 1);
        SetSelLength(0);
        return;
    }
    if (Key == WideChar(ThousandSeparator) ||
        (Key == WideChar(DecimalSeparator) && S.find(DecimalSeparator) != AnsiString::npos))
        Key = 0;
}

void TRarEzaveraravOdororud::OnDropDownFormKeyPress(WideChar& Key)
{
    // The character goes to the edit window, whose handling passes it on to HandleKeyPress
    // while the popup shows.
    TDizEveverAvivIzar::OnDropDownFormKeyPress(Key);
}

void TRarEzaveraravOdororud::HandleKeyPress(WideChar& Key)
{
    CalcChange();
    if (Key == WideChar(DecimalSeparator) && Text().find(DecimalSeparator) == AnsiString::npos)
        SetText(Text() + DecimalSeparator);
    if (IsDigit(Key) && AtMaxLength())
        return;
    switch (Key) {
    case '-':
        DoMin();
        break;
    case 13:
        DoEq();
        DoHideDropDown(false);
        break;
    case 27:
        DoHideDropDown(true);
        break;
    case '%':
        DoPerc();
        break;
    case '*':
        DoMul();
        break;
    case '+':
        DoPlus();
        break;
    case '=':
        DoEq();
        break;
    case '/':
        DoDiv();
        break;
    case 'C':
    case 'c':
        ClearAll();
        FNewEntry = true;
        break;
    default:
        if (IsDigit(Key) && (Text() == "0" || FNewEntry))
            FNewEntry = false;
        break;
    }
}

void TRarEzaveraravOdororud::OnDropDownFormKeyDown(Word& Key, TShiftState Shift)
{
    TDizEveverAvivIzar::OnDropDownFormKeyDown(Key, Shift);
    if (Key == VK_TAB || Key == VK_F4) {
        DoHideDropDown(false);
    } else if (Key == VK_BACK) {
        AnsiString S = Text();
        if (!S.empty())
            S.pop_back();
        SetText(S.empty() || S == "Error" ? AnsiString("0") : S);
    }
}

void TRarEzaveraravOdororud::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_CHAR) {
        // The calculator reads the character before the typed editing filters it. The popup
        // never takes the focus: what is typed while it shows arrives here and then goes to
        // the popup's handling as well.
        const bool Showing = PopupShowing();
        WideChar Original = WideChar(Message.WParam);
        WideChar Key = Original;
        CalcKeyPress(Key);
        if (Key != 0) {
            Message.WParam = WPARAM(Key);
            TDizEveverAvivIzar::WndProc(Message);
        }
        if (Showing)
            HandleKeyPress(Original);
        return;
    }
    const bool Enter = Message.Msg == CM_ENTER;
    if (Enter && AutoSelect() && GetKeyState(VK_LBUTTON) >= 0)
        SelectAll();
    TDizEveverAvivIzar::WndProc(Message);
    if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_DELETE && (Text().empty() || Text() == "Error"))
        SetText("0");
}

void TRarEzaveraravOdororud::SetComponentStyle(ZEDAVozor AStyle)
{
    TDizEveverAvivIzar::SetComponentStyle(AStyle);
    TVadButtonAppearance* S = ButtonAppearance();
    TButtonAppearance* A = FCalcButtonAppearance.get();
    A->SetBorderColorChecked(S->BorderColorDisabled());
    A->SetBorderColor(S->BorderColor());
    A->SetBorderColorHot(S->BorderColorHot());
    A->SetBorderColorDown(S->BorderColorDown());
    A->SetColor(S->Color());
    A->SetColorTo(S->ColorTo());
    A->SetColorDown(S->ColorDown());
    A->SetColorDownTo(S->ColorDownTo());
    A->SetColorChecked(S->ColorDisabledTo());
    A->SetColorCheckedTo(S->ColorHotTo());
    A->SetColorDisabled(S->ColorDisabled());
    A->SetColorDisabledTo(S->ColorDisabledTo());
    A->SetColorHot(S->ColorHot());
    A->SetColorHotTo(S->ColorHotTo());
    A->GlowColorHot = S->ColorDownTo();
}
