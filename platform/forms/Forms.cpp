// Scrolling windowed controls, forms and the hint window. The application object is in
// Application.cpp, the screen object in Screen.cpp.

#include "platform/forms/Forms.h"
#include "platform/rtl/Guards.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Dialogs.h"

#include <algorithm>

THintWindowClass HintWindowClass = [](TComponent* AOwner) -> THintWindow* {
    return New<THintWindow>(AOwner);
};

// ---- TControlScrollBar ---------------------------------------------------------------------------------

void TControlScrollBar::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TControlScrollBar*>(Source)) {
        FRange = S->FRange;
        FPosition = S->FPosition;
        FIncrement = S->FIncrement;
        FMargin = S->FMargin;
        FVisible = S->FVisible;
        Update();
        return;
    }
    TPersistent::Assign(Source);
}

Integer TControlScrollBar::ControlSize()
{
    const TRect R = FControl->ClientRect();
    return FKind == sbHorizontal ? R.Width() : R.Height();
}

bool TControlScrollBar::IsScrollBarVisible()
{
    return FVisible && FRange > ControlSize();
}

void TControlScrollBar::SetRange(Integer Value)
{
    FRange = std::max(Value, 0);
    FAutoRange = false;
    Update();
}

void TControlScrollBar::SetPosition(Integer Value)
{
    const Integer Max = std::max(FRange - ControlSize(), 0);
    Value = std::clamp(Value, 0, Max);
    if (Value == FPosition)
        return;
    const Integer Delta = Value - FPosition;
    FPosition = Value;
    if (FKind == sbHorizontal)
        FControl->ScrollBy(-Delta, 0);
    else
        FControl->ScrollBy(0, -Delta);
    Update();
}

void TControlScrollBar::SetVisible(bool Value)
{
    FVisible = Value;
    Update();
}

void TControlScrollBar::Update()
{
    FControl->UpdateScrollBars();
}

void TControlScrollBar::ScrollMessage(TMessage& Message)
{
    const Integer Page = std::max(ControlSize(), 1);
    switch (LOWORD(Message.WParam)) {
    case SB_LINEUP:
        SetPosition(FPosition - FIncrement);
        break;
    case SB_LINEDOWN:
        SetPosition(FPosition + FIncrement);
        break;
    case SB_PAGEUP:
        SetPosition(FPosition - Page);
        break;
    case SB_PAGEDOWN:
        SetPosition(FPosition + Page);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetPosition(static_cast<SHORT>(HIWORD(Message.WParam)));
        break;
    case SB_TOP:
        SetPosition(0);
        break;
    case SB_BOTTOM:
        SetPosition(FRange);
        break;
    default:
        break;
    }
}

// ---- TScrollingWinControl --------------------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, sbVertical))
{
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool Value)
{
    if (Value != FAutoScroll) {
        FAutoScroll = Value;
        if (!Value) {
            FHorzScrollBar->SetRange(0);
            FVertScrollBar->SetRange(0);
        }
        Realign();
    }
}

void TScrollingWinControl::EnableAutoRange()
{
    if (FAutoRangeCount > 0 && --FAutoRangeCount == 0) {
        CalcAutoRange();
        UpdateScrollBars();
    }
}

void TScrollingWinControl::CalcAutoRange()
{
    if (!FAutoScroll || FAutoRangeCount > 0)
        return;
    Integer Right = 0, Bottom = 0;
    for (Integer I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (!C->Visible() || C->Align() != alNone)
            continue;
        Right = std::max(Right, C->Left() + C->Width() + FHorzScrollBar->FPosition);
        Bottom = std::max(Bottom, C->Top() + C->Height() + FVertScrollBar->FPosition);
    }
    FHorzScrollBar->FRange = Right + FHorzScrollBar->FMargin;
    FVertScrollBar->FRange = Bottom + FVertScrollBar->FMargin;
    FHorzScrollBar->FAutoRange = FVertScrollBar->FAutoRange = true;
}

void TScrollingWinControl::UpdateScrollBars()
{
    if (FUpdatingScrollBars)
        return;
    FUpdatingScrollBars = true;
    for (TControlScrollBar* Bar : {FHorzScrollBar.get(), FVertScrollBar.get()}) {
        const Integer Max = std::max(Bar->FRange - Bar->ControlSize(), 0);
        if (Bar->FPosition > Max)
            Bar->SetPosition(Max);
        if (HandleAllocated()) {
            const int Kind = Bar->FKind == sbHorizontal ? SB_HORZ : SB_VERT;
            const bool Shown = Bar->IsScrollBarVisible();
            SCROLLINFO Si;
            Si.fMask = SIF_ALL;
            Si.nMin = 0;
            Si.nMax = Shown ? Bar->FRange - 1 : 0;
            Si.nPage = Shown ? static_cast<UINT>(Bar->ControlSize()) : 0;
            Si.nPos = Shown ? Bar->FPosition : 0;
            SetScrollInfo(FHandle, Kind, &Si, TRUE);
            ShowScrollBar(FHandle, Kind, Shown);
        }
    }
    FUpdatingScrollBars = false;
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY)
{
    DisableAlign();
    for (Integer I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (C->Align() == alNone)
            C->SetBounds(C->Left() + DeltaX, C->Top() + DeltaY, C->Width(), C->Height());
    }
    --FAlignLevel;
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
    if (!AControl || !ContainsControl(AControl))
        return;
    TRect R = AControl->BoundsRect();
    if (AControl->Parent() != this) {
        const TPoint P = ScreenToClient(AControl->ClientOrigin());
        R = Bounds(P.X, P.Y, AControl->Width(), AControl->Height());
    }
    const TRect Client = ClientRect();
    auto Scroll = [](TControlScrollBar* Bar, Integer Lo, Integer Hi, Integer Size) {
        if (Lo < 0)
            Bar->SetPosition(Bar->Position() + Lo - Bar->Margin());
        else if (Hi > Size)
            Bar->SetPosition(Bar->Position() + std::min(Hi - Size + Bar->Margin(), Lo));
    };
    Scroll(FHorzScrollBar.get(), R.Left, R.Right, Client.Width());
    Scroll(FVertScrollBar.get(), R.Top, R.Bottom, Client.Height());
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    TWinControl::AlignControls(AControl, Rect);
    CalcAutoRange();
    UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollingWinControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_HSCROLL:
        if (Message.LParam == 0) {
            FHorzScrollBar->ScrollMessage(Message);
            return;
        }
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) {
            FVertScrollBar->ScrollMessage(Message);
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(Message);
}

// ---- TCustomForm
// --------------------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FVisible = false;
    FParentFont = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FWidth = 320;
    FHeight = 240;
    FCanvas = std::make_unique<TControlCanvas>(this);
    if (::Screen)
        ::Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    if (::Screen)
        ::Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction()
{
    TScrollingWinControl::AfterConstruction();
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::BeforeDestruction()
{
    if (OnDestroy)
        OnDestroy(this);
    if (::Screen)
        ::Screen->RemoveForm(this);
    FActiveControl = nullptr;
    FFocusedControl = nullptr;
    TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::CreateParams(TCreateParams& Params)
{
    TScrollingWinControl::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP);
    Params.Style |= WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
    switch (FBorderStyle) {
    case bsNone:
        Params.Style |= WS_POPUP;
        break;
    case bsSingle:
        Params.Style |= WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsSizeable:
        Params.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    case bsToolWindow:
        Params.Style |= WS_CAPTION | WS_SYSMENU;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (FFormStyle == fsStayOnTop)
        Params.ExStyle |= WS_EX_TOPMOST;
    Params.WindowClass.hbrBackground = nullptr;
}

void TCustomForm::CreateWnd()
{
    TScrollingWinControl::CreateWnd();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value)
{
    if (Value != FBorderStyle) {
        FBorderStyle = Value;
        RecreateWnd();
    }
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
    if (Value != FFormStyle) {
        FFormStyle = Value;
        if (HandleAllocated())
            SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TCustomForm::SetWindowState(TWindowState Value)
{
    if (Value == FWindowState)
        return;
    FWindowState = Value;
    if (FShowing && HandleAllocated())
        ShowWindow(FHandle, Value == wsMaximized   ? SW_MAXIMIZE
                            : Value == wsMinimized ? SW_MINIMIZE
                                                   : SW_RESTORE);
}

TRect TCustomForm::ClientRect()
{
    if (!ComponentState().Contains(csDestroying))
        HandleNeeded();
    return TScrollingWinControl::ClientRect();
}

void TCustomForm::ApplyPosition()
{
    TSize Screen{::Screen->Width(), ::Screen->Height()};
    TCustomForm* Center = nullptr;
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        SetBounds((Screen.cx - FWidth) / 2, (Screen.cy - FHeight) / 2, FWidth, FHeight);
        return;
    case poMainFormCenter:
        Center = Application->MainForm();
        break;
    case poOwnerFormCenter:
        Center = dynamic_cast<TCustomForm*>(Owner());
        break;
    default:
        return;
    }
    if (!Center || Center == this)
        Center = nullptr;
    if (Center)
        SetBounds(Center->Left() + (Center->Width() - FWidth) / 2,
                  Center->Top() + (Center->Height() - FHeight) / 2, FWidth, FHeight);
    else
        SetBounds((Screen.cx - FWidth) / 2, (Screen.cy - FHeight) / 2, FWidth, FHeight);
}

void TCustomForm::CMShowingChanged(TMessage&)
{
    if (FShowing) {
        FFormState.Include(fsShowing);
        ApplyPosition();
        DoShow();
        FFormState.Exclude(fsShowing);
        if (!FShowing)
            return; // OnShow hid the form again
        if (!FActiveControl)
            FActiveControl = FindNextControl(nullptr, true, true, false);
        ShowWindow(FHandle, FWindowState == wsMaximized   ? SW_SHOWMAXIMIZED
                            : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                                          : SW_SHOWNORMAL);
        SetActiveWindow(FHandle);
        if (GetActiveWindow() == FHandle && FActiveControl && FActiveControl->CanFocus() &&
            GetFocus() != FActiveControl->Handle())
            ::SetFocus(FActiveControl->Handle());
    } else {
        DoHide();
        if (HandleAllocated())
            ShowWindow(FHandle, SW_HIDE);
    }
}

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide()
{
    SetVisible(false);
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

void TCustomForm::SetActiveControl(TWinControl* Control)
{
    if (FActiveControl == Control)
        return;
    if (Control && (Control == this || GetParentForm(Control) != this ||
                    (!ComponentState().Contains(csLoading) && !Control->CanFocus())))
        throw EInvalidOperation(SCannotFocus);
    FActiveControl = Control;
    if (FActive && !ComponentState().Contains(csLoading)) {
        if (Control)
            ::SetFocus(Control->Handle());
        else if (HandleAllocated())
            ::SetFocus(FHandle);
    }
    if (::Screen && ::Screen->ActiveForm() == this)
        ::Screen->SetActiveControl(Control);
}

void TCustomForm::FocusControl(TWinControl* Control)
{
    const bool WasActive = FActive;
    SetActiveControl(Control);
    if (!WasActive)
        SetFocus();
    else if (Control && Control->HandleAllocated() && GetFocus() != Control->Handle())
        ::SetFocus(Control->Handle());
}

void TCustomForm::SetFocus()
{
    if (!FActive) {
        if (!(FVisible && FEnabled))
            throw EInvalidOperation(SCannotFocus);
        SetActiveWindow(Handle());
        if (FActiveControl && FActiveControl->CanFocus())
            ::SetFocus(FActiveControl->Handle());
        else
            ::SetFocus(Handle());
    }
}

bool TCustomForm::SetFocusedControl(TWinControl* Control)
{
    if (ComponentState().Contains(csDestroying))
        return false;
    if (::Screen) {
        ::Screen->SetActiveForm(this);
        ::Screen->SetActiveControl(Control);
    }
    if (FFocusedControl == Control)
        return true;
    if (Control != this)
        FActiveControl = Control;
    // Leave the controls that do not contain the new one, innermost first.
    TWinControl* Old = FFocusedControl;
    FFocusedControl = Control;
    while (Old && Old != this && !Old->ContainsControl(Control)) {
        Old->Perform(CM_EXIT, 0, 0);
        Old = Old->Parent();
        if (FFocusedControl != Control)
            return false; // a handler moved the focus
    }
    // Enter the new chain, outermost first.
    std::vector<TWinControl*> Chain;
    for (TWinControl* C = Control; C && C != Old && C != this; C = C->Parent())
        Chain.push_back(C);
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        (*It)->Perform(CM_ENTER, 0, 0);
        if (FFocusedControl != Control)
            return false;
    }
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing)
{
    if (Removing && Control->ContainsControl(FFocusedControl))
        FFocusedControl = Control->Parent();
    if (Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (::Screen && ::Screen->ActiveControl() && Control->ContainsControl(::Screen->ActiveControl()))
            ::Screen->SetActiveControl(nullptr);
        if (FActive && HandleAllocated() && !ComponentState().Contains(csDestroying))
            ::SetFocus(FHandle);
    }
}

bool TCustomForm::IsShortCut(TWMKey& Message)
{
    bool Handled = false;
    if (OnShortCut)
        OnShortCut(Message, Handled);
    if (Handled)
        return true;
    for (Integer I = 0; I < ComponentCount(); ++I)
        if (auto* List = dynamic_cast<TCustomActionList*>(Components(I)))
            if (List->IsShortCut(Message))
                return true;
    return false;
}

void TCustomForm::CMDialogKey(TMessage& Message)
{
    if (GetKeyState(VK_MENU) >= 0) {
        switch (Message.WParam) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl && FActiveControl->Parent()) {
                FActiveControl->Parent()->SelectNext(
                    FActiveControl, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
                Message.Result = 1;
            }
            return;
        default:
            break;
        }
    }
    TWinControl::CMDialogKey(Message);
}

// As in a dialog box: LOWORD(LParam) set means WParam is the window to focus; otherwise WParam
// 0 moves to the next control in tab order and any other value to the previous one.
void TCustomForm::WMNextDlgCtl(TMessage& Message)
{
    if (LOWORD(Message.LParam)) {
        if (HWND Target = reinterpret_cast<HWND>(Message.WParam); Target && IsWindow(Target))
            ::SetFocus(Target);
    } else {
        SelectNext(FActiveControl, Message.WParam == 0, true);
    }
}

void TCustomForm::WMActivate(TMessage& Message)
{
    if (LOWORD(Message.WParam) != WA_INACTIVE) {
        FActive = true;
        if (::Screen)
            ::Screen->SetActiveForm(this);
        Activate();
        if (FActiveControl && FActiveControl->CanFocus()) {
            if (GetFocus() != FActiveControl->Handle())
                ::SetFocus(FActiveControl->Handle());
        } else if (GetFocus() != FHandle && !IsChild(FHandle, GetFocus())) {
            ::SetFocus(FHandle);
        }
    } else {
        FActive = false;
        Deactivate();
    }
    Message.Result = 0;
}

void TCustomForm::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

bool TCustomForm::CloseQuery()
{
    bool CanClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, CanClose);
    return CanClose;
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    if (OnClose)
        OnClose(this, Action);
}

void TCustomForm::Close()
{
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction Action = caHide;
    DoClose(Action);
    if (Action == caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (Action == caHide)
        Hide();
    else if (Action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::CloseModal()
{
    TCloseAction Action = caNone;
    if (CloseQuery()) {
        Action = caHide;
        DoClose(Action);
    }
    switch (Action) {
    case caNone:
        FModalResult = mrNone;
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::Release()
{
    if (Application)
        PostMessage(Application->Handle(), CM_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

TModalResult TCustomForm::ShowModal()
{
    if (FVisible || !FEnabled || FFormState.Contains(fsModal))
        throw EInvalidOperation(SCannotShowModal);
    ReleaseCapture();
    FFormState.Include(fsModal);
    HWND ActiveWindow = GetActiveWindow();
    const TCursor SaveCursor = ::Screen->Cursor();
    ::Screen->SetCursor(crDefault);
    // Every other form is disabled while this one runs.
    std::vector<HWND> Disabled;
    for (Integer I = 0; I < ::Screen->FormCount(); ++I) {
        TCustomForm* F = ::Screen->Forms(I);
        if (F != this && F->HandleAllocated() && IsWindowVisible(F->FHandle) && IsWindowEnabled(F->FHandle)) {
            Disabled.push_back(F->FHandle);
            EnableWindow(F->FHandle, FALSE);
        }
    }
    TModalResult Result = mrNone;
    auto Restore = [&]() {
        for (HWND W : Disabled)
            if (IsWindow(W))
                EnableWindow(W, TRUE);
        if (ActiveWindow && IsWindow(ActiveWindow))
            SetActiveWindow(ActiveWindow);
        FFormState.Exclude(fsModal);
        ::Screen->SetCursor(SaveCursor);
    };
    TScopeExit RestoreOnExit(Restore);
    Show();
    SendMessage(FHandle, CM_ACTIVATE, 0, 0);
    FModalResult = mrNone;
    do {
        Application->HandleMessage();
        if (Application->Terminated())
            FModalResult = mrCancel;
        else if (FModalResult != mrNone)
            CloseModal();
    } while (FModalResult == mrNone);
    Result = FModalResult;
    SendMessage(FHandle, CM_DEACTIVATE, 0, 0);
    Hide();
    return Result;
}

void TCustomForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ACTIVATE:
        WMActivate(Message);
        return;
    case WM_NEXTDLGCTL:
        WMNextDlgCtl(Message);
        return;
    case WM_SETFOCUS:
        if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) {
            ::SetFocus(FActiveControl->Handle());
            return;
        }
        SetFocusedControl(this);
        DefaultHandler(Message);
        return;
    case WM_CLOSE:
        Close();
        return;
    case WM_SIZE:
        if (Message.WParam == SIZE_MAXIMIZED)
            FWindowState = wsMaximized;
        else if (Message.WParam == SIZE_MINIMIZED)
            FWindowState = wsMinimized;
        else if (Message.WParam == SIZE_RESTORED && FShowing)
            FWindowState = wsNormal;
        TScrollingWinControl::WndProc(Message);
        return;
    case CM_VISIBLECHANGED:
        if (FVisible)
            HandleNeeded();
        UpdateShowing();
        return;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(Message);
        return;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    default:
        TScrollingWinControl::WndProc(Message);
        return;
    }
}

// ---- THintWindow
// ----------------------------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    FColor = clInfoBk;
    FBrush->SetColor(FColor);
    FVisible = false;
    FParentFont = false;
    Canvas()->Font()->Assign(Font());
}

void THintWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    Params.WndParent = nullptr;
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const AnsiString& AHint, void*)
{
    const TOwnedDC OwnedDC(CreateMeasuringDC());
    HDC DC = OwnedDC.get();
    const TSelectObject Selected(DC, Font()->Handle());
    // The text's own width; wrapped only when it is wider than MaxWidth.
    RECT R = Rect(0, 0, MaxWidth, 0);
    DrawText(DC, AHint.c_str(), static_cast<int>(AHint.size()), &R,
             DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DrawTextBiDiModeFlags(0));
    if (R.Right > MaxWidth) {
        R = Rect(0, 0, MaxWidth, 0);
        DrawText(DC, AHint.c_str(), static_cast<int>(AHint.size()), &R,
                 DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlags(0));
    }
    R.Right += 6;
    R.Bottom += 2;
    return R;
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& AHint)
{
    SetCaption(AHint);
    // Keep the hint on the screen.
    const Integer W = Rect.Width(), H = Rect.Height();
    if (Rect.Right > ::Screen->Width())
        Rect.Left = ::Screen->Width() - W;
    if (Rect.Bottom > ::Screen->Height())
        Rect.Top = ::Screen->Height() - H;
    Rect.Left = std::max(Rect.Left, 0);
    Rect.Top = std::max(Rect.Top, 0);
    SetBounds(Rect.Left, Rect.Top, W, H);
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.Left, Rect.Top, W, H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void THintWindow::Paint()
{
    TRect R = ClientRect();
    R.Left += 2;
    R.Top += 1;
    Canvas()->Font()->Assign(Font());
    Canvas()->Font()->SetColor(clInfoText);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->RequiredState({csHandleValid, csFontValid, csBrushValid});
    const AnsiString Text = Caption();
    DrawText(Canvas()->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R,
             DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlags(0));
    Canvas()->Brush()->SetStyle(bsSolid);
}

void THintWindow::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_NCHITTEST) {
        Message.Result = HTTRANSPARENT;
        return;
    }
    TCustomControl::WndProc(Message);
}
