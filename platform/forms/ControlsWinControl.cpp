// TWinControl: the window behind a control (making, subclassing and destroying it, the map from
// handles to controls), bounds, the lists of children, z-order, alignment and windowed
// properties.

#include "platform/forms/Controls.h"
#include "platform/forms/ControlsInternal.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <unordered_map>

using namespace controls_internal;

namespace {

std::unordered_map<HWND, TWinControl*>& ControlsByHandle()
{
    static std::unordered_map<HWND, TWinControl*> Map;
    return Map;
}

// The control whose window is being made: the first messages arrive before CreateWindowEx
// returns the handle.
TWinControl* CreationControl = nullptr;
// Ids of child windows: WM_MEASUREITEM names its control only by id.
UINT NextChildId = 0x100;

LRESULT ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

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
        // Every message of the control ends here: the application shows the error and the
        // window layer never sees it; without an application the caller gets it.
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
