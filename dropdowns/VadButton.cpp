#include "dropdowns/VadButton.h"

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Forms.h"
#include "platform/win/Windows.h"

TVadButton::TVadButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 23, 22);
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks});
    SetParentFont(true);
    Font()->SetName("Tahoma");
    FLeaveTimer = New<TTimer>(this);
    FLeaveTimer->SetEnabled(false);
    FLeaveTimer->SetInterval(1);
    FLeaveTimer->OnTimer = [this](TObject* Sender) { LeaveTimerTick(Sender); };
    SetShowHint(false);
    SetDoubleBuffered(true);
}

TVadButton::~TVadButton() = default;

void TVadButton::SetImages(TCustomImageList* Value)
{
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVadButton::SetAutoSizeEx()
{
    if (!FAppearanceRef)
        return;
    Canvas()->Font()->Assign(FAppearanceRef->Font());
    TSize S = DadOrorUdur::GetTextSize(Canvas(), Caption());
    if (FImages && FImageIndex >= 0) {
        S.cx = std::max(S.cx, FImages->Width());
        S.cy = std::max(S.cy, FImages->Height());
    }
    SetBounds(Left(), Top(), S.cx + 8, S.cy + 4);
}

void TVadButton::SetHot(bool Value)
{
    const bool Was = FHot;
    FHot = Value;
    if (FState != absUp)
        FHot = false;
    FHot = false;
    if (Was)
        Invalidate();
}

// ---- Groups ------------------------------------------------------------------------------------------

void TVadButton::SetDown(bool Value)
{
    if (ComponentState().Contains(csLoading))
        FLoadedDown = Value;
    if (FGroupIndex == 0 && FStyle == tasButton)
        Value = false;
    if (FStyle == tasCheck) {
        FDown = Value;
        FState = Value ? absDown : absUp;
        Repaint();
        return;
    }
    if (Value == FDown || (FDown && !FAllowAllUp))
        return;
    FDown = Value;
    if (Value) {
        if (FState == absUp)
            Invalidate();
        FState = absExclusive;
        UpdateExclusive();
    } else {
        FState = absUp;
        Repaint();
    }
}

void TVadButton::SetGroupIndex(Integer Value)
{
    if (FGroupIndex != Value) {
        FGroupIndex = Value;
        UpdateExclusive();
    }
}

void TVadButton::SetAllowAllUp(bool Value)
{
    if (FAllowAllUp != Value) {
        FAllowAllUp = Value;
        UpdateExclusive();
    }
}

void TVadButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !Parent())
        return;
    TMessage Msg{CM_BUTTONPRESSED, WPARAM(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(Msg);
}

void TVadButton::Loaded()
{
    TCustomControl::Loaded();
    if (FLoadedDown != FDown)
        SetDown(FLoadedDown);
}

void TVadButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages && !ComponentState().Contains(csDestroying))
        FImages = nullptr;
}

// ---- Mouse -------------------------------------------------------------------------------------------

bool TVadButton::Inside(Integer X, Integer Y)
{
    return X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
}

void TVadButton::LeaveTimerTick(TObject*)
{
    POINT P{};
    GetCursorPos(&P);
    const TPoint C = ScreenToClient(P);
    if (!Inside(C.X, C.Y) || C.Y == ClientHeight()) {
        FLeaveTimer->SetEnabled(false);
        FMouseInside = false;
        if (Enabled())
            Invalidate();
    }
}

void TVadButton::UpdateTracking()
{
    if (!Enabled())
        return;
    POINT P{};
    GetCursorPos(&P);
    FMouseInside = FindDragTarget(P, true) != this;
    Perform(FMouseInside ? CM_MOUSELEAVE : CM_MOUSEENTER, 0, 0);
}

void TVadButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    FPressedInside = true;
    ButtonDown();
    if (!FDown) {
        FState = absDown;
        Invalidate();
    }
    if (FStyle == tasCheck) {
        FState = absDown;
        Repaint();
    }
    FTracking = true;
}

void TVadButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (FTracking) {
        TVadButtonState NewState = FDown ? absExclusive : absUp;
        const bool In = Inside(X, Y);
        if (In)
            NewState = FDown ? absExclusive : absDown;
        if (FStyle == tasCheck && FDown)
            NewState = absDown;
        // Leaving the button while pressed: the pressed look goes at once.
        if (FMouseInside != In) {
            FMouseInside = In;
            Invalidate();
        }
        if (NewState != FState) {
            FState = NewState;
            Invalidate();
        }
    } else if (!Inside(X, Y)) {
        UpdateTracking();
    }
}

void TVadButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    FPressedInside = false;
    Invalidate();
    if (!FTracking) {
        TCustomControl::MouseUp(Button, Shift, X, Y);
        return;
    }
    FTracking = false;
    const bool In = Inside(X, Y);
    if (FGroupIndex == 0) {
        FState = absUp;
        FMouseInside = false;
        if (FStyle == tasCheck) {
            SetDown(!FDown);
            FState = absUp;
        }
        if (In && FState != absDown && FState != absExclusive)
            Invalidate();
    } else if (In) {
        SetDown(!FDown);
        if (FDown)
            Repaint();
    } else {
        if (FDown)
            FState = absExclusive;
        Repaint();
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
    UpdateTracking();
}

void TVadButton::Click()
{
    if (TCustomForm* Form = GetParentForm(this))
        Form->SetModalResult(FModalResult);
    const bool Cancelled = FModalResult == mrCancel || FModalResult == mrAbort || FModalResult == mrIgnore ||
                           FModalResult == mrNo || FModalResult == mrNoToAll;
    if (FDadOrorUdur && FModalResult >= mrOk && FModalResult <= 10 && FModalResult != mrRetry)
        FDadOrorUdur->DoHideDropDown(Cancelled);
    if (!FKeyClick)
        TCustomControl::Click();
}

// ---- Painting ------------------------------------------------------------------------------------

void TVadButton::PaintParentBackground()
{
    if (!Parent())
        return;
    HDC DC = Canvas()->Handle();
    const int Saved = SaveDC(DC);
    IntersectClipRect(DC, 0, 0, Width(), Height());
    POINT Old{};
    OffsetWindowOrgEx(DC, Left(), Top(), &Old);
    Parent()->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    Parent()->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    if (auto* W = dynamic_cast<TWinCtrl*>(Parent()))
        W->PaintCtrls(DC, nullptr);
    RestoreDC(DC, Saved);
    SelectClipRgn(DC, nullptr);
    Canvas()->Refresh();
}

void TVadButton::Paint()
{
    if (Enabled() && FState == absDisabled)
        FState = FDown && FGroupIndex != 0 ? absExclusive : absUp;
    if (!Enabled()) {
        FState = absDisabled;
        FTracking = false;
    }
    if (FStyle == tasCheck && FDown)
        FState = absDown;
    PaintParentBackground();
    DrawButton(Canvas());
}

void TVadButton::DrawButton(TCanvas* ACanvas)
{
    if (!FAppearanceRef)
        return;
    TVadButtonAppearance* A = FAppearanceRef;
    const TRect R = ClientRect();
    TColor From, To, Border;
    if (!Enabled()) {
        From = A->ColorDisabled(), To = A->ColorDisabledTo(), Border = A->BorderColorDisabled();
    } else if (FPressedInside && FMouseInside) {
        From = A->ColorDown(), To = A->ColorDown(), Border = A->BorderColorDown();
    } else if (FDown) {
        From = A->ColorChecked(), To = A->ColorChecked(), Border = A->BorderColorChecked();
    } else if (FMouseInside || Focused()) {
        From = A->ColorHot(), To = A->ColorHot(), Border = A->BorderColorHot();
    } else {
        From = A->Color(), To = A->ColorTo(), Border = A->BorderColor();
    }
    DadOrorUdur::DrawRectFill(ACanvas, R, From, To, Border, 1, A->Gradient());
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->Font()->Assign(A->Font());
    DadOrorUdur::DrawButtonContent(ACanvas, R, Caption(), FImages, FImageIndex);
}

// ---- Messages ----------------------------------------------------------------------------------------

void TVadButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        TCustomControl::WndProc(Message);
        if (ComponentState().Contains(csDesigning))
            return;
        FMouseInside = true;
        if (Enabled())
            Invalidate();
        FLeaveTimer->SetEnabled(true);
        if (OnButtonEnter)
            OnButtonEnter(this);
        return;
    case CM_MOUSELEAVE:
        TCustomControl::WndProc(Message);
        if (ComponentState().Contains(csDesigning))
            return;
        FLeaveTimer->SetEnabled(false);
        FMouseInside = false;
        if (Enabled())
            Invalidate();
        if (OnButtonLeave)
            OnButtonLeave(this);
        return;
    case WM_KEYDOWN:
        if (Message.WParam == VK_RETURN || Message.WParam == VK_SPACE) {
            if (!FDown) {
                FState = absDown;
                Invalidate();
            }
            if (FStyle == tasCheck) {
                FState = absDown;
                Repaint();
            }
            FKeyClick = true;
            try {
                Click();
            } catch (...) {
                FKeyClick = false;
                throw;
            }
            FKeyClick = false;
        }
        break;
    case CM_DIALOGCHAR:
        if (Enabled() && IsAccel(Word(Message.WParam), Caption())) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_FOCUSCHANGED:
    case CM_ENABLEDCHANGED:
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    case CM_BUTTONPRESSED: {
        auto* Sender = reinterpret_cast<TVadButton*>(Message.LParam);
        if (Integer(Message.WParam) == FGroupIndex && Sender != this) {
            if (Sender->Down() && FDown) {
                FDown = false;
                FState = absUp;
                Invalidate();
            }
            FAllowAllUp = Sender->AllowAllUp();
        }
        return;
    }
    default:
        break;
    }
    TCustomControl::WndProc(Message);
}

// ---- TDbgList ----------------------------------------------------------------------------------------

Pointer TDbgList::GetItemsEx(Integer Index) const
{
    if (Index >= Count())
        throw Exception("Index out of bounds in list read access");
    return Items(Index);
}

void TDbgList::SetItemsEx(Integer Index, Pointer Item)
{
    if (Index >= Count())
        throw Exception("Index out of bounds in list write access");
    SetItems(Index, Item);
}

void TDbgList::AssignList(TList* List)
{
    Clear();
    for (Integer I = 0; I < List->Count(); ++I)
        Add(List->Items(I));
}
