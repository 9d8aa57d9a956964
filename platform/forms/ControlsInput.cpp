// Input and messages of controls: dragging, the message handling of TControl, focus and tab
// order, keys in the order shortcuts, dialog keys, key preview, control, the mouse messages of
// windowless children, context menus, and the window procedure of TWinControl.

#include "platform/forms/Controls.h"
#include "platform/forms/ControlsInternal.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"

#include <algorithm>

using namespace controls_internal;

namespace {

// WM_CONTEXTMENU messages our windows have received: tells whether releasing the right button
// asked for a context menu in the window's default handling.
unsigned ContextMenuRequests = 0;

} // namespace

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
