#include "dropdowns/DudIdadeDovUrezAvir.h"

#include "platform/rtl/Conversions.h"
#include "platform/win/Windows.h"

TDudIdadeDovUrezAvir::TDudIdadeDovUrezAvir(TComponent* AOwner) : TDizEveverAvivIzar(AOwner) {}

void TDudIdadeDovUrezAvir::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    SetEditorEnabled(false);
    SetDropDownEnabled(true);
    SetEditType(etNumeric);
    if (Text().empty())
        SetText("0");
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
}

void TDudIdadeDovUrezAvir::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (!FTrackBar && DropDownForm()) {
        FTrackBar = New<TTrackBar>(this);
        FTrackBar->SetParent(DropDownForm());
        FTrackBar->SetBounds(0, 0, FTrackBar->Width(), 40);
    }
    if (FTrackBar)
        FTrackBar->OnChange = [this](TObject* Sender) { OnTrackBarChange(Sender); };
}

void TDudIdadeDovUrezAvir::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FTrackBar)
        FTrackBar = nullptr;
}

void TDudIdadeDovUrezAvir::SetMin(Integer Value)
{
    FMin = Value;
    if (FTrackBar) {
        FTrackBar->SetMin(Value);
        FMin = FTrackBar->Min();
    }
}

void TDudIdadeDovUrezAvir::SetMax(Integer Value)
{
    FMax = Value;
    if (FTrackBar) {
        FTrackBar->SetMax(Value);
        FMax = FTrackBar->Max();
    }
}

void TDudIdadeDovUrezAvir::SetPosition(Integer Value)
{
    FPosition = Value;
    if (FTrackBar) {
        FTrackBar->SetPosition(Value);
        FPosition = FTrackBar->Position();
    }
}

void TDudIdadeDovUrezAvir::SetFrequency(Integer Value)
{
    FFrequency = Value;
    if (FTrackBar)
        FTrackBar->SetFrequency(Value);
}

void TDudIdadeDovUrezAvir::SetPageSize(Integer Value)
{
    FPageSize = Value;
    if (FTrackBar)
        FTrackBar->SetPageSize(Value);
}

void TDudIdadeDovUrezAvir::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    if (DropDownForm())
        DropDownForm()->FCancelOnDeactivate = false;
    if (!FTrackBar)
        return;
    FTrackBar->SetMin(FMin);
    FTrackBar->SetMax(FMax);
    FTrackBar->SetPosition(FPosition);
    FTrackBar->SetPageSize(FPageSize);
    FTrackBar->SetFrequency(FFrequency);
    FTrackBar->SetAlign(alNone);
    FTrackBar->SetBounds(0, 0, Width(), 40);
    SetControl(FTrackBar);
}

void TDudIdadeDovUrezAvir::OnTrackBarChange(TObject*)
{
    FPosition = FTrackBar->Position();
    SetTextDirect(IntToStr(FPosition));
    if (OnTrackChange)
        OnTrackChange(this);
}

void TDudIdadeDovUrezAvir::Change()
{
    TDizEveverAvivIzar::Change();
    // A text that is no integer (an emptied edit, a grid cell's word) leaves the value alone.
    Integer Value = 0;
    if (TryStrToInt(Text(), Value))
        SetPosition(Value);
}

void TDudIdadeDovUrezAvir::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_KEYDOWN) {
        TDizEveverAvivIzar::WndProc(Message);
        return;
    }
    const Word Key = Word(Message.WParam);
    TDizEveverAvivIzar::WndProc(Message);
    if (EditorEnabled() || GetKeyState(VK_MENU) < 0)
        return;
    if (Key == VK_UP && FPosition - FFrequency >= FMin)
        SetPosition(FPosition - FFrequency);
    else if (Key == VK_DOWN && FPosition + FFrequency <= FMax)
        SetPosition(FPosition + FFrequency);
}

void TDudIdadeDovUrezAvir::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TDizEveverAvivIzar::MouseDown(Button, Shift, X, Y);
    if (DropDownEnabled() && !EditorEnabled()) {
        FDragStart = X;
        FDragging = true;
    }
}

void TDudIdadeDovUrezAvir::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TDizEveverAvivIzar::MouseMove(Shift, X, Y);
    // A page size of 0 gives no step: the drag does nothing.
    if (!DropDownEnabled() || EditorEnabled() || !FDragging || FPageSize == 0)
        return;
    const Integer Delta = (X - FDragStart) / FPageSize;
    FDragStart = X;
    SetPosition(FPosition + Delta);
}

void TDudIdadeDovUrezAvir::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TDizEveverAvivIzar::MouseUp(Button, Shift, X, Y);
    FDragging = false;
}
