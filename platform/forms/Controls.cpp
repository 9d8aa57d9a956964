// TControl: the helpers of the unit, size constraints, and what every control has, windowed or
// not (bounds, visibility, text, fonts and colours, parents, hints). TWinControl is in
// ControlsWinControl.cpp, input and messages in ControlsInput.cpp, painting in ControlsPaint.cpp.

#include "platform/forms/Controls.h"
#include "platform/forms/ControlsInternal.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/rtl/Format.h"

#include <algorithm>

namespace controls_internal {

TControl* CaptureControl = nullptr;
DragState Drag;

} // namespace controls_internal

using namespace controls_internal;

// ---- Helpers ------------------------------------------------------------------------------------------

TShiftState KeysToShiftState(WPARAM Keys)
{
    TShiftState S;
    if (Keys & MK_SHIFT)
        S.Include(ssShift);
    if (Keys & MK_CONTROL)
        S.Include(ssCtrl);
    if (Keys & MK_LBUTTON)
        S.Include(ssLeft);
    if (Keys & MK_RBUTTON)
        S.Include(ssRight);
    if (Keys & MK_MBUTTON)
        S.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        S.Include(ssAlt);
    return S;
}

TShiftState KeyDataToShiftState(LPARAM KeyData)
{
    TShiftState S;
    if (GetKeyState(VK_SHIFT) < 0)
        S.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        S.Include(ssCtrl);
    if (KeyData & KF_ALTDOWN_BIT)
        S.Include(ssAlt);
    return S;
}

bool IsAccel(Word VK, const AnsiString& Text)
{
    for (size_t I = 0; I + 1 < Text.size(); ++I) {
        if (Text[I] != '&')
            continue;
        if (Text[I + 1] == '&') {
            ++I;
            continue;
        }
        const unsigned char C = static_cast<unsigned char>(Text[I + 1]);
        const auto Upper = [](unsigned V) { return (V >= 'a' && V <= 'z') ? V - 32 : V; };
        return Upper(C) == Upper(VK);
    }
    return false;
}

TCustomForm* GetParentForm(TControl* Control)
{
    while (Control && Control->Parent())
        Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(Control);
}

TControl* GetCaptureControl()
{
    if (CaptureControl) {
        TWinControl* W = dynamic_cast<TWinControl*>(CaptureControl);
        HWND Wnd = W ? W->HandleAllocated() ? W->Handle() : nullptr
                     : (CaptureControl->Parent() && CaptureControl->Parent()->HandleAllocated()
                            ? CaptureControl->Parent()->Handle()
                            : nullptr);
        if (!Wnd || GetCapture() != Wnd)
            CaptureControl = nullptr;
    }
    if (!CaptureControl)
        return TWinControl::FindControl(GetCapture());
    return CaptureControl;
}

void SetCaptureControl(TControl* Control)
{
    ReleaseCapture();
    CaptureControl = nullptr;
    if (!Control)
        return;
    if (auto* W = dynamic_cast<TWinControl*>(Control)) {
        SetCapture(W->Handle());
        return;
    }
    if (Control->Parent()) {
        CaptureControl = Control;
        SetCapture(Control->Parent()->Handle());
    }
}

TControl* DragControl()
{
    return Drag.Started ? Drag.Control : nullptr;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled)
{
    HWND Wnd = WindowFromPoint(Pos);
    TControl* Result = nullptr;
    while (Wnd && !Result) {
        if (TWinControl* W = TWinControl::FindControl(Wnd)) {
            Result = W;
            if (TControl* C = W->ControlAtPos(W->ScreenToClient(Pos), AllowDisabled))
                Result = C;
        } else {
            Wnd = GetParent(Wnd);
        }
    }
    return Result;
}

// ---- TSizeConstraints ---------------------------------------------------------------------------------

void TSizeConstraints::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TSizeConstraints*>(Source)) {
        FMinWidth = S->FMinWidth;
        FMinHeight = S->FMinHeight;
        FMaxWidth = S->FMaxWidth;
        FMaxHeight = S->FMaxHeight;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::SetMinWidth(Integer Value)
{
    FMinWidth = std::max(Value, 0);
    Changed();
}
void TSizeConstraints::SetMinHeight(Integer Value)
{
    FMinHeight = std::max(Value, 0);
    Changed();
}
void TSizeConstraints::SetMaxWidth(Integer Value)
{
    FMaxWidth = std::max(Value, 0);
    Changed();
}
void TSizeConstraints::SetMaxHeight(Integer Value)
{
    FMaxHeight = std::max(Value, 0);
    Changed();
}

void TSizeConstraints::Changed()
{
    if (FControl)
        FControl->SetBounds(FControl->FLeft, FControl->FTop, FControl->FWidth, FControl->FHeight);
}

// ---- TControl -----------------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(std::make_unique<TSizeConstraints>(this)), FFont(New<TFont>())
{
    FWindowProc = [this](TMessage& M) { WndProc(M); };
    FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
}

TControl::~TControl()
{
    if (CaptureControl == this)
        CaptureControl = nullptr;
    if (FParent) {
        auto& L = FParent->FControls;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
        FParent = nullptr;
    }
}

void TControl::BeforeDestruction()
{
    TComponent::BeforeDestruction();
    if (Application)
        Application->CancelHintFor(this);
    if (CaptureControl == this)
        CaptureControl = nullptr;
    if (Drag.Control == this || Drag.Target == this)
        Drag = DragState{};
    FActionLink.reset();
    SetParent(nullptr);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (AParent == this)
        throw EInvalidOperation(SControlParentSetToSelf);
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

void TControl::ConstrainSize(Integer& AWidth, Integer& AHeight)
{
    if (FConstraints->MaxWidth() > 0)
        AWidth = std::min(AWidth, FConstraints->MaxWidth());
    if (FConstraints->MaxHeight() > 0)
        AHeight = std::min(AHeight, FConstraints->MaxHeight());
    AWidth = std::max(AWidth, FConstraints->MinWidth());
    AHeight = std::max(AHeight, FConstraints->MinHeight());
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    ConstrainSize(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    const bool Resized = AWidth != FWidth || AHeight != FHeight;
    Invalidate();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    UpdateAnchorRules();
    RequestAlign();
    if (Resized)
        Resize();
}

TRect TControl::ClientRect()
{
    return Rect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(Integer Value)
{
    SetWidth(FWidth - ClientWidth() + Value);
}

void TControl::SetClientHeight(Integer Value)
{
    SetHeight(FHeight - ClientHeight() + Value);
}

TPoint TControl::ClientOrigin()
{
    if (!FParent)
        return Point(FLeft, FTop);
    TPoint P = FParent->ClientOrigin();
    return Point(P.X + FLeft, P.Y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& Point)
{
    const TPoint O = ClientOrigin();
    return ::Point(Point.X + O.X, Point.Y + O.Y);
}

TPoint TControl::ScreenToClient(const TPoint& Point)
{
    const TPoint O = ClientOrigin();
    return ::Point(Point.X - O.X, Point.Y - O.Y);
}

void TControl::SetAlign(TAlign Value)
{
    if (Value == FAlign)
        return;
    const TAlign Old = FAlign;
    FAlign = Value;
    FAnchors = (Value == alNone || Value == alCustom) ? TAnchors{akLeft, akTop} : FAnchors;
    if (Old != alNone && Value == alNone)
        UpdateAnchorRules();
    RequestAlign();
}

void TControl::SetAnchors(TAnchors Value)
{
    FAnchors = Value;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
    if (!FParent || FParent->FAligning)
        return;
    const TRect R = FParent->ClientRect();
    FAnchorBase = BoundsRect();
    FAnchorParentSize = TSize{R.Width(), R.Height()};
}

void TControl::RequestAlign()
{
    if (FParent && !FParent->FAligning)
        FParent->Realign();
}

void TControl::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value, 0);
    if (FAlign != alNone || FParent)
        RequestAlign();
}

void TControl::Show()
{
    if (FParent)
        FParent->Show();
    SetVisible(true);
}

void TControl::Hide()
{
    SetVisible(false);
}

void TControl::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

AnsiString TControl::GetText()
{
    return FText;
}

void TControl::SetTextValue(const AnsiString& Value)
{
    FText = Value;
}

void TControl::SetText(const AnsiString& Value)
{
    if (GetText() == Value)
        return;
    SetTextValue(Value);
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*)
{
    if (FFontChanging)
        return;
    FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    if (Value && FParent)
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value)
{
    if (Value == FColor && !FParentColor)
        return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    if (Value && FParent)
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value)
{
    if (Value != FCursor) {
        FCursor = Value;
        Perform(CM_CURSORCHANGED, 0, 0);
    }
}

void TControl::SetShowHint(bool Value)
{
    FShowHint = Value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value)
{
    FParentShowHint = Value;
    if (Value && FParent)
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value)
{
    if (Value != FBiDiMode) {
        FBiDiMode = Value;
        Perform(CM_BIDIMODECHANGED, 0, 0);
    }
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const
{
    if (UseRightToLeftAlignment()) {
        if ((Flags & (DT_CENTER | DT_RIGHT)) == DT_RIGHT)
            Flags &= ~DT_RIGHT;
        else if ((Flags & (DT_CENTER | DT_RIGHT)) == 0)
            Flags |= DT_RIGHT;
    }
    if (UseRightToLeftReading())
        Flags |= DT_RTLREADING;
    return Flags;
}

TBasicAction* TControl::Action() const
{
    return FActionLink ? FActionLink->Action() : nullptr;
}

TControlActionLink* TControl::CreateActionLink()
{
    return new TControlActionLink(this);
}

void TControl::SetAction(TBasicAction* Value)
{
    if (!Value) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink)
        FActionLink.reset(CreateActionLink());
    FActionLink->SetAction(Value);
    FActionLink->OnChange = [this](TObject* Sender) { ActionChange(Sender, false); };
    // Assigning an action hands the control everything the action says; only a control being
    // loaded keeps the values it was stored with.
    ActionChange(Value, Value->ComponentState().Contains(csLoading));
    Value->FreeNotification(this);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults)
{
    auto* A = dynamic_cast<TCustomAction*>(Sender);
    if (!A)
        return;
    if (!CheckDefaults || GetText().empty())
        SetText(A->Caption());
    if (!CheckDefaults || FEnabled)
        SetEnabled(A->Enabled());
    if (!CheckDefaults || FHint.empty())
        SetHint(A->Hint());
    if (!CheckDefaults || FVisible)
        SetVisible(A->Visible());
    // A click runs the action's OnExecute: Click executes the link when no OnClick of the
    // control's own is left in the way.
    if (!CheckDefaults)
        OnClick = nullptr;
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && FActionLink && AComponent == FActionLink->Action())
        FActionLink.reset();
    if (Operation == opRemove && FPopupMenu && AComponent == FPopupMenu)
        FPopupMenu = nullptr;
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    FPopupMenu = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    RequestAlign();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage M{Msg, WParam, LParam, 0};
    FWindowProc(M);
    return M.Result;
}

void TControl::Invalidate()
{
    if (FParent && FParent->HandleAllocated() && FVisible) {
        const TRect R = BoundsRect();
        InvalidateRect(FParent->Handle(), &R, !FControlStyle.Contains(csOpaque));
    }
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (!FParent)
        return;
    if (auto* W = dynamic_cast<TWinControl*>(this)) {
        W->SetZOrder(true);
        return;
    }
    auto& L = FParent->FControls;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
    L.push_back(this);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    if (auto* W = dynamic_cast<TWinControl*>(this)) {
        W->SetZOrder(false);
        return;
    }
    auto& L = FParent->FControls;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
    L.insert(L.begin(), this);
    Invalidate();
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
    else if (FActionLink)
        FActionLink->Execute(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
    bool Handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, Handled);
    if (!Handled) {
        if (WheelDelta < 0)
            Handled = DoMouseWheelDown(Shift, MousePos);
        else if (WheelDelta > 0)
            Handled = DoMouseWheelUp(Shift, MousePos);
    }
    return Handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool Handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, Shift, MousePos, Handled);
    return Handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool Handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, Shift, MousePos, Handled);
    return Handled;
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

bool TControl::MouseCapture() const
{
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value)
{
    if (MouseCapture() != Value)
        SetCaptureControl(Value ? this : nullptr);
}
