#include "platform/forms/Controls.h"
#include "platform/rtl/Guards.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/rtl/Format.h"

#include <algorithm>
#include <unordered_map>

namespace {

std::unordered_map<HWND, TWinControl*>& ControlsByHandle()
{
    static std::unordered_map<HWND, TWinControl*> Map;
    return Map;
}

// The control whose window is being made: the first messages arrive before CreateWindowEx
// returns the handle.
TWinControl* CreationControl = nullptr;
// WM_CONTEXTMENU messages our windows have received: tells whether releasing the right button
// asked for a context menu in the window's default handling.
unsigned ContextMenuRequests = 0;
// Ids of child windows: WM_MEASUREITEM names its control only by id.
UINT NextChildId = 0x100;
TControl* CaptureControl = nullptr;

// Dragging: the control, where the press was, and whether the threshold has been passed.
struct DragState {
    TControl* Control = nullptr;
    TPoint Start;
    Integer Threshold = 0;
    bool Started = false;
    TControl* Target = nullptr;
};
DragState Drag;

LRESULT ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

std::vector<TControlCanvas*>& CanvasList()
{
    static std::vector<TControlCanvas*> List;
    return List;
}

ATOM RegisterControlClass(const TCreateParams& Params)
{
    WNDCLASS Existing;
    if (GetClassInfo(nullptr, Params.WinClassName.c_str(), &Existing))
        return 1;
    WNDCLASS Wc = Params.WindowClass;
    Wc.lpfnWndProc = ControlWndProc;
    Wc.lpszClassName = Params.WinClassName.c_str();
    return RegisterClass(&Wc);
}

LRESULT ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto& Map = ControlsByHandle();
    auto It = Map.find(Wnd);
    TWinControl* Control = nullptr;
    if (It != Map.end()) {
        Control = It->second;
    } else if (CreationControl) {
        Control = CreationControl;
        CreationControl = nullptr;
        Map[Wnd] = Control;
        Control->SetWindowHandleFromCreation(Wnd);
    }
    if (!Control)
        return DefWindowProc(Wnd, Msg, WParam, LParam);
    TMessage M{Msg, WParam, LParam, 0};
    Control->DispatchFromWindow(M);
    return M.Result;
}

} // namespace

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

// ---- Drag and drop --------------------------------------------------------------------------------

void TControl::BeginDrag(bool Immediately, Integer Threshold)
{
    if (Drag.Control)
        return;
    POINT P{};
    GetCursorPos(&P);
    Drag = DragState{};
    Drag.Control = this;
    Drag.Start = P;
    Drag.Threshold = Threshold < 0 ? GetSystemMetrics(SM_CXDRAG) : Threshold;
    if (Immediately) {
        Drag.Started = true;
        TObject* DragObject = nullptr;
        DoStartDrag(DragObject);
    }
    SetCaptureControl(this);
}

bool TControl::Dragging() const
{
    return Drag.Control == this && Drag.Started;
}

void TControl::DoStartDrag(TObject*& DragObject)
{
    if (OnStartDrag)
        OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y)
{
    if (OnEndDrag)
        OnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
    Accept = false;
    if (OnDragOver) {
        Accept = true;
        OnDragOver(this, Source, X, Y, State, Accept);
    }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y)
{
    if (OnDragDrop)
        OnDragDrop(this, Source, X, Y);
}

namespace {

// Moves the drag to a screen position: leave/enter/move messages to the controls under it.
bool DragTo(const TPoint& Pos)
{
    TControl* Target = FindDragTarget(Pos, false);
    bool Accept = false;
    if (Target != Drag.Target) {
        if (Drag.Target) {
            const TPoint P = Drag.Target->ScreenToClient(Pos);
            bool Dummy = false;
            Drag.Target->DragOver(Drag.Control, P.X, P.Y, dsDragLeave, Dummy);
        }
        Drag.Target = Target;
        if (Target) {
            const TPoint P = Target->ScreenToClient(Pos);
            Target->DragOver(Drag.Control, P.X, P.Y, dsDragEnter, Accept);
        }
    } else if (Target) {
        const TPoint P = Target->ScreenToClient(Pos);
        Target->DragOver(Drag.Control, P.X, P.Y, dsDragMove, Accept);
    }
    if (Screen)
        ::SetCursor(Screen->Cursors(Accept ? Drag.Control->DragCursor() : crNoDrop));
    return Accept;
}

} // namespace

void TControl::EndDrag(bool Drop)
{
    if (Drag.Control != this)
        return;
    const DragState D = Drag;
    Drag = DragState{};
    SetCaptureControl(nullptr);
    if (!D.Started)
        return;
    POINT P{};
    GetCursorPos(&P);
    TControl* Target = nullptr;
    Integer X = 0, Y = 0;
    if (Drop && D.Target) {
        const TPoint C = D.Target->ScreenToClient(P);
        bool Accept = false;
        D.Target->DragOver(this, C.X, C.Y, dsDragMove, Accept);
        if (Accept) {
            Target = D.Target;
            X = C.X;
            Y = C.Y;
            Target->DragDrop(this, X, Y);
        }
    }
    DoEndDrag(Target, X, Y);
}

// ---- Message handling of TControl -------------------------------------------------------------------

void TControl::WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift)
{
    const TWMMouse M = TWMMouse::From(Message);
    if (FControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(true);
    if (Button == mbLeft)
        FControlState.Include(csLButtonDown);
    if (Button == mbLeft && FDragMode == dmAutomatic && FDragKind == dkDrag) {
        BeginDrag(false);
        FControlState.Include(csLButtonDown);
    }
    MouseDown(Button, Shift, M.XPos, M.YPos);
}

void TControl::WMMouseUp(TMessage& Message, TMouseButton Button)
{
    const TWMMouse M = TWMMouse::From(Message);
    if (Drag.Control == this) {
        EndDrag(true);
        FControlState.Exclude(csLButtonDown);
        MouseUp(Button, KeysToShiftState(M.Keys), M.XPos, M.YPos);
        return;
    }
    if (FControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(false);
    if (Button == mbLeft && FControlState.Contains(csLButtonDown)) {
        FControlState.Exclude(csLButtonDown);
        const TRect R = ClientRect();
        if (FControlStyle.Contains(csClickEvents) && M.XPos >= R.Left && M.XPos < R.Right &&
            M.YPos >= R.Top && M.YPos < R.Bottom)
            Click();
    }
    MouseUp(Button, KeysToShiftState(M.Keys), M.XPos, M.YPos);
}

void TControl::WMMouseMove(TMessage& Message)
{
    const TWMMouse M = TWMMouse::From(Message);
    if (Application)
        Application->HintMouseMessage(this, Message);
    if (Drag.Control == this) {
        POINT P{};
        GetCursorPos(&P);
        if (!Drag.Started && (std::abs(P.X - Drag.Start.X) >= Drag.Threshold ||
                              std::abs(P.Y - Drag.Start.Y) >= Drag.Threshold)) {
            Drag.Started = true;
            TObject* DragObject = nullptr;
            DoStartDrag(DragObject);
        }
        if (Drag.Started)
            DragTo(P);
    }
    MouseMove(KeysToShiftState(M.Keys), M.XPos, M.YPos);
}

void TControl::WMContextMenu(TMessage& Message)
{
    if (Message.Result != 0)
        return;
    TPoint Pt{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    // (-1, -1): asked from the keyboard, the menu goes to the control's corner.
    const bool FromKeyboard = Pt.X == -1 && Pt.Y == -1;
    if (!FromKeyboard) {
        const TPoint C = ScreenToClient(Pt);
        const TRect R = ClientRect();
        if (C.X < R.Left || C.X >= R.Right || C.Y < R.Top || C.Y >= R.Bottom) {
            DefaultHandler(Message);
            return;
        }
    }
    bool Handled = false;
    DoContextPopup(FromKeyboard ? TPoint{-1, -1} : ScreenToClient(Pt), Handled);
    if (Handled) {
        Message.Result = 1;
        return;
    }
    if (FPopupMenu && FPopupMenu->AutoPopup()) {
        FPopupMenu->SetPopupComponent(this);
        if (FromKeyboard)
            Pt = ClientToScreen(TPoint{0, 0});
        TPopupMenu* Menu = FPopupMenu;
        Message.Result = 1;
        // The menu's loop may free this control (an item that closes the form): nothing of it
        // is touched afterwards.
        Menu->Popup(Pt.X, Pt.Y);
        return;
    }
    DefaultHandler(Message);
}

void TControl::DoContextPopup(const TPoint& MousePos, bool& Handled)
{
    if (OnContextPopup)
        OnContextPopup(this, MousePos, Handled);
}

void TControl::ChangeScale(Integer M, Integer D)
{
    if (M == D || D == 0)
        return;
    SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FWidth, M, D), MulDiv(FHeight, M, D));
    if (!FParentFont)
        FFont->SetSize(MulDiv(FFont->Size(), M, D));
}

// The children first: a font the control hands down afterwards is then not scaled twice.
void TWinControl::ChangeScale(Integer M, Integer D)
{
    if (M == D || D == 0)
        return;
    const std::vector<TControl*> Windowless = FControls;
    const std::vector<TWinControl*> Windowed = FWinControls;
    for (TControl* C : Windowless)
        C->ChangeScale(M, D);
    for (TWinControl* C : Windowed)
        C->ChangeScale(M, D);
    TControl::ChangeScale(M, D);
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (FParentFont && FParent) {
        FFontChanging = true;
        FFont->Assign(FParent->Font());
        FFontChanging = false;
        Perform(CM_FONTCHANGED, 0, 0);
    }
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (FParentColor && FParent) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

namespace {

// The leading fields of the API's COMPAREITEMSTRUCT, all that is read here to find the control.
struct CompareItemHead {
    UINT CtlType;
    UINT CtlID;
    HWND hwndItem;
};

bool IsButtonOrMoveMessage(UINT Msg)
{
    return Msg >= WM_MOUSEMOVE && Msg <= WM_MBUTTONDBLCLK;
}

} // namespace

bool TControl::MouseDefault(TMessage& Message)
{
    auto* Self = dynamic_cast<TWinControl*>(this);
    const HWND Wnd = Self && Self->HandleAllocated() ? Self->Handle() : nullptr;
    DefaultHandler(Message);
    // The window's own handling may end in code that frees the control (a button's click).
    return !Wnd || TWinControl::FindControl(Wnd) == Self;
}

void TControl::WndProc(TMessage& Message)
{
    if (IsButtonOrMoveMessage(Message.Msg)) {
        // A control that takes no double clicks sees the second press as a press, and so does
        // its window.
        if (!FControlStyle.Contains(csDoubleClicks) &&
            (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK ||
             Message.Msg == WM_MBUTTONDBLCLK))
            Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        // The window class sees its own mouse input first (an edit places its caret, a button
        // presses and clicks), then the component's events run.
        if (!MouseDefault(Message))
            return;
    }
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (Message.Msg == WM_LBUTTONDBLCLK) {
            DblClick();
            WMMouseDown(Message, mbLeft, KeysToShiftState(Message.WParam) + ssDouble);
        } else {
            WMMouseDown(Message, mbLeft, KeysToShiftState(Message.WParam));
        }
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        WMMouseDown(Message, mbRight, KeysToShiftState(Message.WParam));
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        WMMouseDown(Message, mbMiddle, KeysToShiftState(Message.WParam));
        break;
    case WM_LBUTTONUP:
        WMMouseUp(Message, mbLeft);
        break;
    case WM_RBUTTONUP:
        WMMouseUp(Message, mbRight);
        break;
    case WM_MBUTTONUP:
        WMMouseUp(Message, mbMiddle);
        break;
    case WM_MOUSEMOVE:
        WMMouseMove(Message);
        break;
    case CM_MOUSEWHEEL: {
        const TPoint P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (DoMouseWheel(KeysToShiftState(GET_KEYSTATE_WPARAM(Message.WParam)),
                         GET_WHEEL_DELTA_WPARAM(Message.WParam), P))
            Message.Result = 1;
        else if (FParent)
            Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
        break;
    }
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        if (Drag.Control == this)
            EndDrag(false);
        if (MouseCapture())
            SetMouseCapture(false);
        FControlState.Exclude(csLButtonDown);
        break;
    case CM_HITTEST:
        Message.Result = HTCLIENT;
        break;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        break;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        break;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        break;
    case CM_PARENTSHOWHINTCHANGED:
        if (FParentShowHint && FParent)
            FShowHint = FParent->ShowHint();
        break;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (FParent)
            FParent->Perform(Message.Msg, 0, reinterpret_cast<LPARAM>(this));
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TControl::DefaultHandler(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETTEXT: {
        // Windowless controls keep their text themselves.
        if (Message.WParam == 0 || !Message.LParam)
            break;
        char* Buffer = reinterpret_cast<char*>(Message.LParam);
        const size_t N = std::min(FText.size(), size_t(Message.WParam - 1));
        FText.copy(Buffer, N);
        Buffer[N] = 0;
        Message.Result = static_cast<LRESULT>(N);
        break;
    }
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(FText.size());
        break;
    case WM_SETTEXT:
        FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
        Message.Result = 1;
        break;
    default:
        break;
    }
}

// ---- TWinControl ------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(New<TBrush>())
{
    FBrush->SetColor(FColor);
}

TWinControl::~TWinControl()
{
    // The canvas gives back the context it took from the window while the window still exists.
    FCanvas.reset();
    DestroyHandle();
    for (TControl* C : FControls)
        C->FParent = nullptr;
    for (TWinControl* C : FWinControls)
        C->FParent = nullptr;
    FControls.clear();
    FWinControls.clear();
    FTabList.clear();
    DetachFromParent();
}

void TWinControl::DetachFromParent()
{
    if (!FParent)
        return;
    auto& W = FParent->FWinControls;
    W.erase(std::remove(W.begin(), W.end(), this), W.end());
    auto& T = FParent->FTabList;
    T.erase(std::remove(T.begin(), T.end(), this), T.end());
    FParent = nullptr;
}

void TWinControl::BeforeDestruction()
{
    // Children first: they leave their lists and their windows go with ours.
    TControl::BeforeDestruction();
    DestroyHandle();
    while (!FControls.empty()) {
        TControl* C = FControls.back();
        RemoveControl(C);
    }
    while (!FWinControls.empty())
        RemoveControl(FWinControls.back());
}

TWinControl* TWinControl::FindControl(HWND Handle)
{
    if (!Handle)
        return nullptr;
    auto& Map = ControlsByHandle();
    auto It = Map.find(Handle);
    return It == Map.end() ? nullptr : It->second;
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded()
{
    if (FHandle && !IsWindow(FHandle)) {
        // The window layer was reset under us (tests): forget the dead window.
        ControlsByHandle().erase(FHandle);
        FHandle = nullptr;
        FShowing = false;
    }
    if (!FHandle) {
        if (FParent)
            FParent->HandleNeeded();
        CreateHandle();
    }
}

void TWinControl::CreateHandle()
{
    if (!FHandle) {
        CreateWnd();
        // Children get their windows when they are shown with ours (UpdateShowing).
        if (FParent)
            UpdateShowing();
    }
}

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params = TCreateParams{};
    Params.Caption = FText;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle.Contains(csAcceptsControls))
        Params.Style |= WS_CLIPCHILDREN;
    if (!FEnabled)
        Params.Style |= WS_DISABLED;
    if (FTabStop)
        Params.Style |= WS_TABSTOP;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    if (FParent)
        Params.WndParent = FParent->Handle();
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = DefWindowProc;
    Params.WindowClass.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_ARROW));
    Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName)
{
    WNDCLASS Wc;
    if (GetClassInfo(nullptr, ControlClassName, &Wc)) {
        const UINT Style = Params.WindowClass.style;
        Params.WindowClass = Wc;
        Params.WindowClass.style = Wc.style | (Style & CS_DBLCLKS);
        Params.WindowClass.lpszClassName = nullptr;
    }
}

void TWinControl::CreateWnd()
{
    TCreateParams Params;
    CreateParams(Params);
    if (!Params.WndParent && (Params.Style & WS_CHILD))
        throw EInvalidOperation(Format(SParentRequired, {Name()}));
    FDefWndProc = Params.WindowClass.lpfnWndProc ? Params.WindowClass.lpfnWndProc : DefWindowProc;
    RegisterControlClass(Params);
    CreateWindowHandle(Params);
    if (!FHandle)
        throw EOSError("Error creating window");
    if (!FText.empty() && Params.Caption != FText)
        SetWindowText(FHandle, FText.c_str());
    // The window class draws its text in the control's font, not in the system font.
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
    TWinControl* Previous = CreationControl;
    CreationControl = this;
    // A child window gets an id of its own (the owner-draw messages that name the control by id).
    HMENU Id =
        (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextChildId++)) : nullptr;
    if (NextChildId == 0)
        NextChildId = 0x100;
    HWND Wnd = CreateWindowEx(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                              Params.Style & ~WS_VISIBLE, Params.X, Params.Y, Params.Width, Params.Height,
                              Params.WndParent, Id, nullptr, Params.Param);
    CreationControl = Previous;
    if (Wnd && !FHandle)
        SetWindowHandleFromCreation(Wnd);
}

void TWinControl::SetWindowHandleFromCreation(HWND Wnd)
{
    FHandle = Wnd;
    ControlsByHandle()[Wnd] = this;
}

void TWinControl::DestroyHandle()
{
    if (!FHandle)
        return;
    for (TWinControl* C : FWinControls)
        C->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd()
{
    // The text lives in the window while there is one.
    if (FHandle && IsWindow(FHandle))
        FText = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle()
{
    FControlState.Include(csDestroyingHandle);
    HWND Wnd = FHandle;
    if (Wnd && IsWindow(Wnd))
        DestroyWindow(Wnd);
    ControlsByHandle().erase(Wnd);
    FHandle = nullptr;
    FShowing = false;
    FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd()
{
    if (HandleAllocated()) {
        const bool WasFocused = Focused();
        DestroyHandle();
        HandleNeeded();
        if (WasFocused && CanFocus())
            ::SetFocus(FHandle);
    }
}

void TWinControl::MainWndProc(TMessage& Message)
{
    try {
        FWindowProc(Message);
    } catch (...) {
        if (Application)
            Application->HandleException(this);
        else
            throw;
    }
}

void TWinControl::DispatchFromWindow(TMessage& Message)
{
    MainWndProc(Message);
    if (Message.Msg == WM_NCDESTROY && FHandle) {
        ControlsByHandle().erase(FHandle);
        FHandle = nullptr;
        FShowing = false;
    }
}

AnsiString TWinControl::GetText()
{
    if (FHandle && IsWindow(FHandle)) {
        const int Len = GetWindowTextLength(FHandle);
        std::string S(static_cast<size_t>(Len) + 1, '\0');
        const int N = GetWindowText(FHandle, S.data(), Len + 1);
        S.resize(static_cast<size_t>(std::max(N, 0)));
        return S;
    }
    return FText;
}

void TWinControl::SetTextValue(const AnsiString& Value)
{
    FText = Value;
    if (FHandle)
        SetWindowText(FHandle, Value.c_str());
}

void TWinControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (FHandle && !AParent)
        DestroyHandle();
    TControl::SetParent(AParent);
    if (FHandle && AParent)
        RecreateWnd();
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    ConstrainSize(AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    const bool Resized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FHandle && IsWindow(FHandle))
        SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateAnchorRules();
    RequestAlign();
    if (Resized) {
        Realign();
        Resize();
    }
}

void TWinControl::UpdateBounds()
{
    if (!FHandle)
        return;
    RECT R{};
    GetWindowRect(FHandle, &R);
    if (GetWindowLong(FHandle, GWL_STYLE) & WS_CHILD) {
        POINT P{R.Left, R.Top};
        ::ScreenToClient(GetParent(FHandle), &P);
        R = Bounds(P.X, P.Y, R.Width(), R.Height());
    }
    if (R.Left == FLeft && R.Top == FTop && R.Width() == FWidth && R.Height() == FHeight)
        return;
    const bool Resized = R.Width() != FWidth || R.Height() != FHeight;
    FLeft = R.Left;
    FTop = R.Top;
    FWidth = R.Width();
    FHeight = R.Height();
    UpdateAnchorRules();
    RequestAlign();
    if (Resized) {
        Realign();
        Resize();
    }
}

TRect TWinControl::ClientRect()
{
    if (FHandle && IsWindow(FHandle)) {
        RECT R{};
        ::GetClientRect(FHandle, &R);
        return R;
    }
    return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin()
{
    if (FHandle && IsWindow(FHandle)) {
        POINT P{0, 0};
        ::ClientToScreen(FHandle, &P);
        return P;
    }
    return TControl::ClientOrigin();
}

TControl* TWinControl::Controls(Integer Index) const
{
    if (Index < 0 || Index >= ControlCount())
        throw EListError(Format("List index out of bounds (%d)", {Index}));
    // Windowless controls first, as the platform lists them.
    if (Index < static_cast<Integer>(FControls.size()))
        return FControls[static_cast<size_t>(Index)];
    return FWinControls[static_cast<size_t>(Index) - FControls.size()];
}

void TWinControl::InsertIntoLists(TControl* AControl)
{
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
        FWinControls.push_back(W);
        FTabList.push_back(W);
    } else {
        FControls.push_back(AControl);
    }
}

void TWinControl::InsertControl(TControl* AControl)
{
    AControl->FParent = this;
    InsertIntoLists(AControl);
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
        W->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
        if (FShowing)
            W->UpdateShowing();
    } else {
        AControl->Invalidate();
    }
    AControl->UpdateAnchorRules();
    Realign();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    if (AControl->FParent != this)
        return;
    if (auto* W = dynamic_cast<TWinControl*>(AControl)) {
        if (TCustomForm* Form = GetParentForm(this))
            Form->DefocusControl(W, true);
        W->DestroyHandle();
        FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), W), FWinControls.end());
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), W), FTabList.end());
    } else {
        AControl->Invalidate();
        FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
    }
    if (CaptureControl == AControl)
        CaptureControl = nullptr;
    AControl->FParent = nullptr;
    Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const
{
    while (Control && Control != this)
        Control = Control->Parent();
    return Control == this;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls)
{
    auto Hit = [&](TControl* C) {
        const TRect R = C->BoundsRect();
        return C->Visible() && (AllowDisabled || C->Enabled()) && Pos.X >= R.Left && Pos.X < R.Right &&
               Pos.Y >= R.Top && Pos.Y < R.Bottom &&
               C->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.X - R.Left, Pos.Y - R.Top)) != 0;
    };
    if (AllowWinControls)
        for (auto It = FWinControls.rbegin(); It != FWinControls.rend(); ++It)
            if (Hit(*It))
                return *It;
    for (auto It = FControls.rbegin(); It != FControls.rend(); ++It)
        if (Hit(*It))
            return *It;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message)
{
    for (Integer I = 0; I < ControlCount(); ++I) {
        Controls(I)->FWindowProc(Message);
        if (Message.Result != 0)
            return;
    }
}

void TWinControl::UpdateShowing()
{
    bool Should = FVisible && (FParent ? FParent->FShowing : FHandle != nullptr);
    if (Should && !FHandle) {
        CreateWnd();
        Should = FHandle != nullptr;
    }
    if (FParent) {
        // Children are shown with their parents; top-level windows are shown by the form.
        if (FHandle && IsWindow(FHandle))
            ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
    }
    if (Should != FShowing) {
        FShowing = Should;
        Perform(CM_SHOWINGCHANGED, 0, 0);
    }
    for (TWinControl* C : std::vector<TWinControl*>(FWinControls))
        C->UpdateShowing();
}

void TWinControl::SetZOrder(bool TopMost)
{
    if (!FParent)
        return;
    auto& L = FParent->FWinControls;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
    if (TopMost)
        L.push_back(this);
    else
        L.insert(L.begin(), this);
    if (FHandle)
        SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Alignment --------------------------------------------------------------------------------------------

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || FAligning || ComponentState().Contains(csLoading) ||
        ComponentState().Contains(csDestroying))
        return;
    TRect R = ClientRect();
    FAligning = true;
    TScopeExit Aligned([this] { FAligning = false; });
    AlignControls(nullptr, R);
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0)
        Realign();
}

void TWinControl::AdjustClientRect(TRect& Rect)
{
    Rect.Left += FBorderWidth;
    Rect.Top += FBorderWidth;
    Rect.Right -= FBorderWidth;
    Rect.Bottom -= FBorderWidth;
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    AdjustClientRect(Rect);
    // Every child is looked at once (a form of hundreds of controls realigns on each one placed),
    // sorted into the aligned ones of each kind and the anchored ones.
    static const TAlign Order[] = {alTop, alBottom, alLeft, alRight, alClient};
    std::vector<TControl*> Lists[std::size(Order)];
    std::vector<TControl*> Anchored;
    auto Collect = [&](TControl* C) {
        if (C->FAlign == alNone) {
            if (C->FAnchorParentSize.cx >= 0)
                Anchored.push_back(C);
            return;
        }
        if (!C->FVisible)
            return;
        for (std::size_t K = 0; K < std::size(Order); ++K)
            if (C->FAlign == Order[K])
                Lists[K].push_back(C);
    };
    // Windowless controls first, as Controls() lists them.
    for (TControl* C : FControls)
        Collect(C);
    for (TControl* C : FWinControls)
        Collect(C);

    for (std::size_t K = 0; K < std::size(Order); ++K) {
        const TAlign A = Order[K];
        std::vector<TControl*>& List = Lists[K];
        // Controls of one alignment stack in the order of their positions.
        std::stable_sort(List.begin(), List.end(), [A](TControl* X, TControl* Y) {
            switch (A) {
            case alTop:
                return X->FTop < Y->FTop;
            case alBottom:
                return X->FTop + X->FHeight > Y->FTop + Y->FHeight;
            case alLeft:
                return X->FLeft < Y->FLeft;
            case alRight:
                return X->FLeft + X->FWidth > Y->FLeft + Y->FWidth;
            default:
                return false;
            }
        });
        for (TControl* C : List) {
            const Integer W = std::max(Rect.Width(), 0), H = std::max(Rect.Height(), 0);
            switch (A) {
            case alTop:
                C->SetBounds(Rect.Left, Rect.Top, W, C->FHeight);
                Rect.Top += C->FHeight;
                break;
            case alBottom:
                C->SetBounds(Rect.Left, Rect.Bottom - C->FHeight, W, C->FHeight);
                Rect.Bottom -= C->FHeight;
                break;
            case alLeft:
                C->SetBounds(Rect.Left, Rect.Top, C->FWidth, H);
                Rect.Left += C->FWidth;
                break;
            case alRight:
                C->SetBounds(Rect.Right - C->FWidth, Rect.Top, C->FWidth, H);
                Rect.Right -= C->FWidth;
                break;
            case alClient:
                C->SetBounds(Rect.Left, Rect.Top, W, H);
                break;
            default:
                break;
            }
        }
    }

    // Anchored controls keep their distances to the anchored edges of the client area.
    if (Anchored.empty())
        return;
    const TRect Client = ClientRect();
    for (TControl* C : Anchored) {
        const TAnchors An = C->FAnchors;
        if (An.Contains(akLeft) && An.Contains(akTop) && !An.Contains(akRight) && !An.Contains(akBottom))
            continue;
        const Integer Dx = Client.Width() - C->FAnchorParentSize.cx;
        const Integer Dy = Client.Height() - C->FAnchorParentSize.cy;
        const TRect& B = C->FAnchorBase;
        Integer L = B.Left, W = B.Width(), T = B.Top, H = B.Height();
        if (An.Contains(akRight)) {
            if (An.Contains(akLeft))
                W += Dx;
            else
                L += Dx;
        } else if (!An.Contains(akLeft)) {
            L += Dx / 2;
        }
        if (An.Contains(akBottom)) {
            if (An.Contains(akTop))
                H += Dy;
            else
                T += Dy;
        } else if (!An.Contains(akTop)) {
            T += Dy / 2;
        }
        C->SetBounds(L, T, std::max(W, 0), std::max(H, 0));
    }
}

// ---- Focus and tab order ---------------------------------------------------------------------------

bool TWinControl::CanFocus()
{
    TCustomForm* Form = GetParentForm(this);
    if (!Form)
        return false;
    // The form itself may still be hidden: its controls can be chosen before it is shown.
    for (TWinControl* C = this; C && C != Form; C = C->FParent)
        if (!C->FVisible || !C->FEnabled)
            return false;
    return true;
}

bool TWinControl::Focused()
{
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* Form = GetParentForm(this))
        Form->FocusControl(this);
    else
        ::SetFocus(Handle());
}

Integer TWinControl::TabOrder()
{
    if (!FParent)
        return -1;
    auto& L = FParent->FTabList;
    auto It = std::find(L.begin(), L.end(), this);
    return It == L.end() ? -1 : static_cast<Integer>(It - L.begin());
}

void TWinControl::SetTabOrder(Integer Value)
{
    if (!FParent)
        return;
    auto& L = FParent->FTabList;
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
    const Integer Pos = std::clamp(Value, 0, static_cast<Integer>(L.size()));
    L.insert(L.begin() + Pos, this);
}

void TWinControl::SetTabStop(bool Value)
{
    if (Value != FTabStop) {
        FTabStop = Value;
        if (FHandle) {
            LONG Style = GetWindowLong(FHandle, GWL_STYLE);
            SetWindowLong(FHandle, GWL_STYLE, Value ? (Style | WS_TABSTOP) : (Style & ~WS_TABSTOP));
        }
        Perform(CM_TABSTOPCHANGED, 0, 0);
    }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List)
{
    for (TWinControl* C : FTabList) {
        List.push_back(C);
        C->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent)
{
    std::vector<TWinControl*> List;
    GetTabOrderList(List);
    if (List.empty())
        return nullptr;
    const Integer Count = static_cast<Integer>(List.size());
    Integer Start = static_cast<Integer>(std::find(List.begin(), List.end(), CurControl) - List.begin());
    if (Start == Count)
        Start = GoForward ? Count - 1 : 0;
    Integer I = Start;
    for (Integer Step = 0; Step < Count; ++Step) {
        I = GoForward ? (I + 1) % Count : (I + Count - 1) % Count;
        TWinControl* C = List[static_cast<size_t>(I)];
        if ((!CheckTabStop || C->FTabStop) && (!CheckParent || C->FParent == this) && C->CanFocus())
            return C;
        if (I == Start)
            break;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* C = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        C->SetFocus();
}

void TWinControl::SelectFirst()
{
    if (TWinControl* C = FindNextControl(nullptr, true, true, false))
        C->SetFocus();
}

void TWinControl::SetCtl3D(bool Value)
{
    if (Value != FCtl3D) {
        FCtl3D = Value;
        FParentCtl3D = false;
        Perform(CM_CTL3DCHANGED, 0, 0);
    }
}

void TWinControl::SetParentCtl3D(bool Value)
{
    if (Value != FParentCtl3D) {
        FParentCtl3D = Value;
        if (Value && FParent)
            Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    }
}

void TWinControl::SetBorderWidth(Integer Value)
{
    if (Value != FBorderWidth) {
        FBorderWidth = std::max(Value, 0);
        Realign();
        Invalidate();
    }
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(WideChar& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

bool TWinControl::DoKeyDown(TMessage& Message)
{
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form != this && Form->KeyPreview() && Form->DoKeyDown(Message))
        return true;
    Word Key = static_cast<Word>(Message.WParam);
    if (!FControlStyle.Contains(csNoStdEvents)) {
        KeyDown(Key, KeyDataToShiftState(Message.LParam));
        Message.WParam = Key;
        if (Key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& Message)
{
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form != this && Form->KeyPreview() && Form->DoKeyUp(Message))
        return true;
    Word Key = static_cast<Word>(Message.WParam);
    if (!FControlStyle.Contains(csNoStdEvents)) {
        KeyUp(Key, KeyDataToShiftState(Message.LParam));
        Message.WParam = Key;
        if (Key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& Message)
{
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form != this && Form->KeyPreview() && Form->DoKeyPress(Message))
        return true;
    WideChar Key = static_cast<WideChar>(Message.WParam);
    if (!FControlStyle.Contains(csNoStdEvents)) {
        KeyPress(Key);
        Message.WParam = Key;
        if (Key == 0)
            return true;
    }
    return false;
}

// The key order: the form's shortcuts (its action lists), the control's wish for special keys
// (CM_WANTSPECIALKEY, WM_GETDLGCODE), the form's dialog keys (Tab, arrows, Enter, Esc), and only
// then the control's own key handling with the form's key preview first.
void TWinControl::CNKeyDown(TMessage& Message)
{
    Message.Result = 1;
    TWMKey Key = TWMKey::From(Message);
    if (Perform(CM_CHILDKEY, Key.CharCode, reinterpret_cast<LPARAM>(this)) != 0)
        return;
    TCustomForm* Form = GetParentForm(this);
    if (Form && Form->IsShortCut(Key))
        return;
    LRESULT Mask = 0;
    switch (Key.CharCode) {
    case VK_TAB:
        Mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        Mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_CANCEL:
        Mask = DLGC_WANTALLKEYS;
        break;
    default:
        break;
    }
    if (Mask != 0 && Perform(CM_WANTSPECIALKEY, Key.CharCode, 0) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & Mask) == 0 && Form &&
        Form->Perform(CM_DIALOGKEY, Key.CharCode, Key.KeyData) != 0)
        return;
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message)
{
    Message.Result = 1;
    TCustomForm* Form = GetParentForm(this);
    const bool Alt = Message.Msg == CN_SYSCHAR;
    if ((Alt || (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) && Form &&
        Form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
        return;
    Message.Result = 0;
}

namespace {

// A key handled before the control saw it must not come back as a character.
void DropTranslatedChar(HWND Wnd, UINT CharMsg)
{
    MSG M;
    PeekMessage(&M, Wnd, CharMsg, CharMsg, PM_REMOVE);
}

} // namespace

bool TWinControl::IsControlMouseMsg(TMessage& Message)
{
    TControl* Target = nullptr;
    if (CaptureControl && CaptureControl->FParent == this)
        Target = CaptureControl;
    else if (!GetCapture() || GetCapture() != FHandle || !CaptureControl)
        Target = ControlAtPos(Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)), false);
    if (!Target || dynamic_cast<TWinControl*>(Target))
        return false;
    if (GetCapture() == FHandle && CaptureControl != Target && Message.Msg != WM_MOUSEMOVE &&
        Drag.Control != Target && CaptureControl)
        return false;
    TMessage M = Message;
    M.LParam =
        MAKELPARAM(GET_X_LPARAM(Message.LParam) - Target->FLeft, GET_Y_LPARAM(Message.LParam) - Target->FTop);
    Target->FWindowProc(M);
    Message.Result = M.Result;
    return true;
}

void TWinControl::WMSetCursor(TMessage& Message)
{
    if (LOWORD(Message.LParam) == HTCLIENT) {
        TCursor C = Screen ? Screen->Cursor() : crDefault;
        if (C == crDefault) {
            POINT P{};
            GetCursorPos(&P);
            TControl* Under = ControlAtPos(ScreenToClient(P), false);
            C = Under ? Under->Cursor() : FCursor;
        }
        if (C != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(C));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
    HDC DC = reinterpret_cast<HDC>(Message.WParam);
    if (DC && !FControlStyle.Contains(csOpaque)) {
        FBrush->SetColor(FColor);
        RECT R{};
        ::GetClientRect(FHandle, &R);
        ::FillRect(DC, &R, FBrush->Handle());
    }
    Message.Result = 1;
}

void TWinControl::PaintWindow(HDC DC)
{
    if (FCanvas) {
        TCanvasPaintLock PaintLock(FCanvas.get(), DC);
        Paint();
        return;
    }
    TMessage M{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(M);
}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    auto It = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
    for (; It != FControls.end(); ++It) {
        TControl* C = *It;
        if (!C->FVisible)
            continue;
        const TRect R = C->BoundsRect();
        if (!RectVisible(DC, &R))
            continue;
        const int Saved = SaveDC(DC);
        POINT Org{};
        GetViewportOrgEx(DC, &Org);
        SetViewportOrgEx(DC, Org.X + C->FLeft, Org.Y + C->FTop, nullptr);
        IntersectClipRect(DC, 0, 0, C->FWidth, C->FHeight);
        C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, Saved);
    }
}

void TWinControl::PaintHandler(TMessage& Message)
{
    HDC DC = reinterpret_cast<HDC>(Message.WParam);
    PAINTSTRUCT Ps;
    if (!DC)
        DC = BeginPaint(FHandle, &Ps);
    PaintWindow(DC);
    PaintControls(DC, nullptr);
    if (!Message.WParam)
        EndPaint(FHandle, &Ps);
}

void TWinControl::Invalidate()
{
    if (FHandle && IsWindow(FHandle))
        InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update()
{
    if (FHandle && IsWindow(FHandle))
        UpdateWindow(FHandle);
}

void TWinControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
        if (TCustomForm* Form = GetParentForm(this))
            if (Form != this && !Form->SetFocusedControl(this))
                return;
        DefaultHandler(Message);
        return;
    case WM_KILLFOCUS:
        DefaultHandler(Message);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        if (Perform(CN_KEYDOWN, Message.WParam, Message.LParam) != 0) {
            DropTranslatedChar(FHandle, Message.Msg == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR);
            return;
        }
        if (!DoKeyDown(Message))
            DefaultHandler(Message);
        else
            DropTranslatedChar(FHandle, Message.Msg == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR);
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!DoKeyUp(Message))
            DefaultHandler(Message);
        return;
    case WM_CHAR:
    case WM_SYSCHAR:
        if (Perform(Message.Msg == WM_CHAR ? CN_CHAR : CN_SYSCHAR, Message.WParam, Message.LParam) != 0)
            return;
        if (!DoKeyPress(Message))
            DefaultHandler(Message);
        return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(Message);
        return;
    case CN_CHAR:
    case CN_SYSCHAR:
        CNChar(Message);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        return;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    case CM_FOCUSCHANGED:
        // Every control of the form hears where the focus went (buttons take the default look).
        Broadcast(Message);
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case WM_PAINT:
        PaintHandler(Message);
        return;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        return;
    case WM_SIZE:
    case WM_MOVE:
        DefaultHandler(Message);
        UpdateBounds();
        return;
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(Message);
        UpdateBounds();
        return;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(Message.WParam) == FHandle)
            WMSetCursor(Message);
        else
            DefaultHandler(Message);
        return;
    case WM_MOUSEWHEEL: {
        Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
        if (Message.Result == 0)
            DefaultHandler(Message);
        return;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        // Notifications, owner drawing and colours go back to the control that asked.
        if (TWinControl* C = NotifyingChild(Message); C && C != this) {
            Message.Result = C->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        DefaultHandler(Message);
        return;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        return;
    case WM_ENABLE:
        DefaultHandler(Message);
        return;
    case CM_ENABLEDCHANGED:
        if (FHandle)
            EnableWindow(FHandle, FEnabled);
        TControl::WndProc(Message);
        return;
    case CM_VISIBLECHANGED:
        UpdateShowing();
        return;
    case CM_COLORCHANGED:
        FBrush->SetColor(FColor);
        Invalidate();
        NotifyChildren(CM_PARENTCOLORCHANGED);
        return;
    case CM_FONTCHANGED:
        if (FHandle)
            Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
        Invalidate();
        NotifyChildren(CM_PARENTFONTCHANGED);
        return;
    case CM_SHOWHINTCHANGED:
        NotifyChildren(CM_PARENTSHOWHINTCHANGED);
        return;
    case CM_CTL3DCHANGED:
        NotifyChildren(CM_PARENTCTL3DCHANGED);
        return;
    case CM_PARENTCTL3DCHANGED:
        if (FParentCtl3D && FParent) {
            FCtl3D = FParent->Ctl3D();
            NotifyChildren(CM_PARENTCTL3DCHANGED);
        }
        return;
    case CM_PARENTFONTCHANGED:
        TControl::WndProc(Message);
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
        const HWND Wnd = FHandle;
        const unsigned MenusAsked = ContextMenuRequests;
        if (IsControlMouseMsg(Message)) {
            // The window still gets the system's handling of the input; the windowless child's
            // handler may have freed this control.
            if (Message.Result == 0 && Wnd && FindControl(Wnd) == this)
                Message.Result = DefWindowProc(Wnd, Message.Msg, Message.WParam, Message.LParam);
        } else {
            if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) &&
                !ComponentState().Contains(csDesigning) && FTabStop && !Focused() && CanFocus())
                SetFocus();
            TControl::WndProc(Message);
        }
        // Releasing the right button asks for the context menu at the pointer, unless the
        // default handling already did.
        if (Message.Msg == WM_RBUTTONUP && ContextMenuRequests == MenusAsked && Wnd &&
            FindControl(Wnd) == this) {
            POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            ::ClientToScreen(Wnd, &P);
            SendMessage(Wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Wnd), MAKELPARAM(P.X, P.Y));
        }
        return;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETTEXT:
        DefaultHandler(Message);
        return;
    default:
        TControl::WndProc(Message);
        return;
    }
}

void TWinControl::NotifyChildren(UINT Msg)
{
    for (Integer I = 0; I < ControlCount(); ++I)
        Controls(I)->Perform(Msg, 0, 0);
}

void TWinControl::WMContextMenu(TMessage& Message)
{
    ++ContextMenuRequests;
    if (Message.Result != 0)
        return;
    const TPoint Pt{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (!(Pt.X == -1 && Pt.Y == -1))
        if (TControl* C = ControlAtPos(ScreenToClient(Pt), false))
            Message.Result = C->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
    if (Message.Result == 0)
        TControl::WMContextMenu(Message);
}

TWinControl* TWinControl::NotifyingChild(const TMessage& Message)
{
    HWND From = nullptr;
    switch (Message.Msg) {
    case WM_NOTIFY:
        From = Message.LParam ? *reinterpret_cast<const HWND*>(Message.LParam) : nullptr; // NMHDR::hwndFrom
        break;
    case WM_DRAWITEM: {
        const auto* Di = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
        if (!Di || Di->CtlType == ODT_MENU)
            return nullptr;
        From = Di->hwndItem;
        break;
    }
    case WM_DELETEITEM:
        From = Message.LParam ? reinterpret_cast<const DELETEITEMSTRUCT*>(Message.LParam)->hwndItem : nullptr;
        break;
    case WM_COMPAREITEM:
        From = Message.LParam ? reinterpret_cast<const CompareItemHead*>(Message.LParam)->hwndItem : nullptr;
        break;
    case WM_MEASUREITEM: {
        // The only message that names its control by id: each child window is given a unique one.
        const auto* Mi = reinterpret_cast<const MEASUREITEMSTRUCT*>(Message.LParam);
        if (!Mi || Mi->CtlType == ODT_MENU || Mi->CtlID == 0 || !FHandle)
            return nullptr;
        for (TWinControl* C : FWinControls)
            if (C->FHandle && UINT(GetDlgCtrlID(C->FHandle)) == Mi->CtlID)
                return C;
        return nullptr;
    }
    default: // WM_COMMAND, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*: the window is in LParam
        From = reinterpret_cast<HWND>(Message.LParam);
        break;
    }
    // A child window inside a control (the edit of a combo box) speaks for that control; a
    // popup (the drop-down list) belongs to no control here.
    for (HWND W = From; W && W != FHandle; W = GetParent(W)) {
        if (TWinControl* C = FindControl(W))
            return C;
        if (!(GetWindowLong(W, GWL_STYLE) & WS_CHILD))
            break;
    }
    return nullptr;
}

void TWinControl::DefaultHandler(TMessage& Message)
{
    if (Message.Msg >= CN_CTLCOLORMSGBOX && Message.Msg <= CN_CTLCOLORSTATIC) {
        // The colours a child window asked its parent for: the control's font on its colour.
        HDC DC = reinterpret_cast<HDC>(Message.WParam);
        SetTextColor(DC, ColorToRGB(FFont->Color()));
        SetBkColor(DC, ColorToRGB(FColor));
        FBrush->SetColor(FColor);
        Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
        return;
    }
    if (FHandle && IsWindow(FHandle)) {
        Message.Result = CallWindowProc(FDefWndProc ? FDefWndProc : DefWindowProc, FHandle, Message.Msg,
                                        Message.WParam, Message.LParam);
        return;
    }
    TControl::DefaultHandler(Message);
}

// ---- TGraphicControl, TCustomControl ---------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_PAINT) {
        HDC DC = reinterpret_cast<HDC>(Message.WParam);
        if (DC) {
            TCanvasPaintLock PaintLock(FCanvas.get(), DC);
            Paint();
        }
        return;
    }
    TControl::WndProc(Message);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner)
{
    FCanvas = std::make_unique<TControlCanvas>(this);
}

TCustomControl::~TCustomControl() = default;

// ---- TCanvasPaintLock ----------------------------------------------------------------------------------

TCanvasPaintLock::TCanvasPaintLock(TCanvas* Canvas, HDC DC) : FCanvas(Canvas)
{
    FCanvas->Lock();
    static_cast<TControlCanvas*>(FCanvas)->FreeHandle();
    FCanvas->SetHandle(DC);
}

TCanvasPaintLock::~TCanvasPaintLock()
{
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
}

// ---- TControlCanvas ------------------------------------------------------------------------------------

TControlCanvas::TControlCanvas(TControl* AControl) : FControl(AControl)
{
    CanvasList().push_back(this);
}

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
    auto& L = CanvasList();
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
}

void TControlCanvas::CreateHandle()
{
    if (FDeviceContext)
        return;
    if (auto* W = dynamic_cast<TWinControl*>(FControl)) {
        FWindowHandle = W->Handle();
        FDeviceContext = GetDC(FWindowHandle);
    } else if (FControl->Parent()) {
        FWindowHandle = FControl->Parent()->Handle();
        FDeviceContext = GetDC(FWindowHandle);
        SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
        IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
    }
    if (FDeviceContext)
        SetHandle(FDeviceContext);
}

void TControlCanvas::FreeHandle()
{
    if (FDeviceContext) {
        SetHandle(nullptr);
        if (IsWindow(FWindowHandle))
            ReleaseDC(FWindowHandle, FDeviceContext);
        FDeviceContext = nullptr;
        FWindowHandle = nullptr;
    }
}

void TControlCanvas::FreeDeviceContexts()
{
    for (TControlCanvas* C : CanvasList())
        if (C->FDeviceContext && C->TryLock()) {
            C->FreeHandle();
            C->Unlock();
        }
}
