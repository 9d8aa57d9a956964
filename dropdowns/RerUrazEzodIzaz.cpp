#include "dropdowns/RerUrazEzodIzaz.h"

#include "platform/win/Windows.h"

TRerUrazEzodIzaz::TRerUrazEzodIzaz(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FMemoText(std::make_unique<TStringList>())
{
    FMemoText->OnChange = [this](TObject* Sender) { OnMemoTextChanged(Sender); };
}

TRerUrazEzodIzaz::~TRerUrazEzodIzaz()
{
    FMemoText->OnChange = nullptr;
}

void TRerUrazEzodIzaz::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (FMemo || !DropDownForm())
        return;
    FMemo = New<TMemo>(this);
    FMemo->SetParent(DropDownForm());
    FMemo->SetHeight(100);
    FMemo->OnChange = [this](TObject*) {
        if (OnMemoChange)
            OnMemoChange(this);
    };
    FMemo->SetBorderStyle(bsNone);
    SetControl(FMemo);
}

void TRerUrazEzodIzaz::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMemo)
        FMemo = nullptr;
    if (Operation == opRemove && AComponent == FMemoPopup)
        FMemoPopup = nullptr;
}

void TRerUrazEzodIzaz::SetMemoReadOnly(bool Value)
{
    FMemoReadOnly = Value;
    if (DroppedDown() && FMemo)
        FMemo->SetReadOnly(Value);
}

void TRerUrazEzodIzaz::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    if (DropDownForm())
        DropDownForm()->FCancelOnDeactivate = false;
    if (!FMemo)
        return;
    // Its own size again (aligned in the popup, it took the popup's last size): the popup is
    // sized from it.
    FMemo->SetAlign(alNone);
    FMemo->SetBounds(0, 0, Width(), 100);
    FMemo->Lines()->Assign(FMemoText.get());
    FMemo->SetPopupMenu(FMemoPopup);
    FMemo->SetScrollBars(FMemoScrollBars);
    FMemo->SetReadOnly(FMemoReadOnly);
}

void TRerUrazEzodIzaz::DoHideDropDown(bool Cancelled)
{
    if (!Cancelled) {
        TDizEveverAvivIzar::DoHideDropDown(false);
        return;
    }
    if (FMemo)
        FMemo->Lines()->Assign(FMemoText.get());
    // The base puts back the edit's accepted text, which the memo's first line never became:
    // that write must not replace the memo text, which stays as it was, and shows again.
    FRestoring = true;
    try {
        TDizEveverAvivIzar::DoHideDropDown(true);
    } catch (...) {
        FRestoring = false;
        throw;
    }
    FRestoring = false;
    OnMemoTextChanged(nullptr);
}

void TRerUrazEzodIzaz::OnHideDropDown()
{
    TDizEveverAvivIzar::OnHideDropDown();
    if (FMemo)
        FMemoText->Assign(FMemo->Lines());
}

void TRerUrazEzodIzaz::OnMemoTextChanged(TObject*)
{
    AnsiString S;
    if (FMemoText->Count() > 0) {
        const AnsiString First = FMemoText->Strings(0);
        S = First;
        const Integer W = GetEditRect().Width();
        TCanvas Canvas;
        if (HandleAllocated()) {
            HDC DC = GetDC(Handle());
            Canvas.SetHandle(DC);
            Canvas.Font()->Assign(Font());
            if (W > Canvas.TextWidth(First)) {
                if (FMemoText->Count() > 1)
                    S += "...";
            } else {
                DadOrorUdur::GetTextOfSize(&Canvas, First, W, S, true);
            }
            Canvas.SetHandle(nullptr);
            ReleaseDC(Handle(), DC);
        } else if (FMemoText->Count() > 1) {
            S += "...";
        }
    }
    FMemoUpdating = true;
    SetTextDirect(S);
    FMemoUpdating = false;
}

void TRerUrazEzodIzaz::Change()
{
    if (!FMemoUpdating && !FRestoring)
        FMemoText->SetText(Text());
    TDizEveverAvivIzar::Change();
}

void TRerUrazEzodIzaz::OnDropDownControlKeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE || Key == VK_F4 || Shift.Contains(ssAlt))
        TDizEveverAvivIzar::OnDropDownControlKeyDown(Key, Shift);
    if ((Key == 'A' || Key == 'a') && Shift.Contains(ssCtrl) && FMemo)
        FMemo->SelectAll();
}

void TRerUrazEzodIzaz::OnDropDownControlKeyUp(Word& Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE || Key == VK_F4 || Shift.Contains(ssAlt))
        TDizEveverAvivIzar::OnDropDownControlKeyUp(Key, Shift);
}

void TRerUrazEzodIzaz::OnDropDownControlKeyPress(WideChar& Key)
{
    if (Key == 27 || GetKeyState(VK_MENU) < 0)
        TDizEveverAvivIzar::OnDropDownControlKeyPress(Key);
}
