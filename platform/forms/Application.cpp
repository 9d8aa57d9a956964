// The application object: the message loop, idle time, exceptions that reach the loop, and hints.

#include "platform/forms/Forms.h"

#include "platform/forms/ActnList.h"
#include "platform/forms/Dialogs.h"
#include "platform/win/Backend.h"

#include <algorithm>

TApplication* Application = New<TApplication>(nullptr);

namespace {

constexpr UINT_PTR HintTimerId = 1;

// Strips the long part of a hint: "short|long".
AnsiString ShortHint(const AnsiString& Hint)
{
    const size_t Bar = Hint.find('|');
    return Bar == AnsiString::npos ? Hint : Hint.substr(0, Bar);
}

AnsiString LongHint(const AnsiString& Hint)
{
    const size_t Bar = Hint.find('|');
    return Bar == AnsiString::npos ? Hint : Hint.substr(Bar + 1);
}

bool IsLiveForm(TObject* Object)
{
    if (!Screen)
        return false;
    for (Integer I = 0; I < Screen->FormCount(); ++I)
        if (Screen->Forms(I) == Object)
            return true;
    return false;
}

} // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    FTitle = "Drawmere";
}

TApplication::~TApplication() = default;

void TApplication::Initialize() {}

LRESULT TApplication::AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    switch (Msg) {
    case WM_TIMER:
        if (WParam == HintTimerId && Application) {
            try {
                Application->HintTimerExpired();
            } catch (...) {
                // A window procedure: the error is shown here, never carried into the window layer.
                Application->HandleException(Application);
            }
            return 0;
        }
        break;
    case CM_RELEASE: {
        auto* Form = reinterpret_cast<TCustomForm*>(LParam);
        if (IsLiveForm(Form))
            Form->Free();
        return 0;
    }
    default:
        break;
    }
    return DefWindowProc(Wnd, Msg, WParam, LParam);
}

HWND TApplication::Handle()
{
    if (FHandle && IsWindow(FHandle))
        return FHandle;
    WNDCLASS Wc;
    if (!GetClassInfo(nullptr, "TApplication", &Wc)) {
        WNDCLASS New;
        New.lpfnWndProc = AppWndProc;
        New.lpszClassName = "TApplication";
        RegisterClass(&New);
    }
    // A new window (the window layer was reset): no timer of the old one is running.
    FHintTimerRunning = false;
    FHintActive = false;
    FHandle = CreateWindowEx(WS_EX_TOOLWINDOW, "TApplication", FTitle.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, nullptr, nullptr);
    return FHandle;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) {
        if (AComponent == FMainForm)
            FMainForm = nullptr;
        if (AComponent == FHintWindow)
            FHintWindow = nullptr;
    }
}

bool TApplication::ProcessMessage(MSG& Msg)
{
    if (!PeekMessage(&Msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (Msg.message == WM_QUIT) {
        FTerminate = true;
        return true;
    }
    bool Handled = false;
    if (OnMessage)
        OnMessage(Msg, Handled);
    if (!Handled) {
        TranslateMessage(&Msg);
        DispatchMessage(&Msg);
    }
    return true;
}

void TApplication::ProcessMessages()
{
    MSG Msg;
    while (ProcessMessage(Msg)) {
    }
}

void TApplication::HandleMessage()
{
    MSG Msg;
    try {
        if (!ProcessMessage(Msg))
            Idle();
    } catch (...) {
        // The message loop: an error is shown and the loop goes on.
        HandleException(this);
    }
}

void TApplication::Idle()
{
    bool Done = true;
    if (OnIdle)
        OnIdle(this, Done);
    TControlCanvas::FreeDeviceContexts();
    // Actions of the forms shown are refreshed while nothing else happens.
    if (::Screen)
        for (Integer I = 0; I < ::Screen->FormCount(); ++I) {
            TCustomForm* F = ::Screen->Forms(I);
            if (!F->Visible())
                continue;
            for (Integer J = 0; J < F->ComponentCount(); ++J)
                if (auto* L = dynamic_cast<TCustomActionList*>(F->Components(J)))
                    L->UpdateActions();
        }
    // A virtual clock never moves while we wait: the tests driving it run in OnIdle.
    if (Done && !Backend().IsVirtualClock())
        WaitMessage();
}

void TApplication::Run()
{
    FTerminate = false;
    if (FMainForm && FShowMainForm)
        FMainForm->SetVisible(true);
    do {
        HandleMessage();
    } while (!FTerminate);
    // Ready to run again: a program ends here, tests start and stop the loop many times.
    FTerminate = false;
}

void TApplication::Terminate()
{
    FTerminate = true;
    PostQuitMessage(0);
}

void TApplication::HandleException(TObject* Sender)
{
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const Exception& E) {
        if (OnException)
            OnException(Sender, E);
        else
            ShowException(E);
    } catch (const std::exception& E) {
        const Exception Wrapped(E.what());
        if (OnException)
            OnException(Sender, Wrapped);
        else
            ShowException(Wrapped);
    } catch (...) {
        // Anything else that reached the loop is still shown, as an unknown error.
        const Exception Wrapped("Unknown exception");
        if (OnException)
            OnException(Sender, Wrapped);
        else
            ShowException(Wrapped);
    }
}

void TApplication::ShowException(const Exception& E)
{
    AnsiString Msg = E.Message();
    if (!Msg.empty() && static_cast<unsigned char>(Msg.back()) > '.')
        Msg += '.';
    MessageBox(Msg, FTitle, MB_OK | MB_ICONERROR);
}

Integer TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags)
{
    return ShowMessageBox(Text, Caption, Flags);
}

// ---- Hints
// ---------------------------------------------------------------------------------------------------

void TApplication::SetShowHint(bool Value)
{
    FShowHint = Value;
    if (!Value)
        CancelHint();
}

void TApplication::SetHint(const AnsiString& Value)
{
    if (Value != FHint) {
        FHint = Value;
        if (OnHint)
            OnHint(this);
    }
}

void TApplication::StartHintTimer(UINT Value)
{
    SetTimer(Handle(), HintTimerId, Value, nullptr);
    FHintTimerRunning = true;
}

void TApplication::StopHintTimer()
{
    if (FHintTimerRunning) {
        if (FHandle && IsWindow(FHandle))
            KillTimer(FHandle, HintTimerId);
        FHintTimerRunning = false;
    }
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message)
{
    if (Control != FMouseControl) {
        TControl* Old = FMouseControl;
        FMouseControl = Control;
        if (Old)
            Old->Perform(CM_MOUSELEAVE, 0, 0);
        if (Control)
            Control->Perform(CM_MOUSEENTER, 0, 0);
    }
    TControl* HintControl =
        (Control && FShowHint && Control->ShowHint() && !Control->Hint().empty()) ? Control : nullptr;
    if (Control)
        SetHint(LongHint(Control->Hint()));
    if (HintControl == FHintControl) {
        // Moving out of the rectangle a hint was shown for ends it.
        if (FHintActive && HintControl) {
            const TPoint P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            const TRect& R = FHintCursorRect;
            if (P.X < R.Left || P.X >= R.Right || P.Y < R.Top || P.Y >= R.Bottom)
                CancelHint();
        }
        return;
    }
    const bool WasShown = FHintActive;
    if (FHintWindow)
        FHintWindow->ReleaseHandle();
    FHintActive = false;
    FHintControl = HintControl;
    if (HintControl) {
        StartHintTimer(WasShown ? FHintShortPause : FHintPause);
    } else {
        StopHintTimer();
    }
}

void TApplication::HintTimerExpired()
{
    StopHintTimer();
    if (FHintActive) {
        // The hide pause has run out.
        if (FHintWindow)
            FHintWindow->ReleaseHandle();
        FHintActive = false;
        return;
    }
    if (FHintControl) {
        POINT P{};
        GetCursorPos(&P);
        ActivateHint(P);
    }
}

void TApplication::ActivateHint(TPoint CursorPos)
{
    TControl* C = FHintControl;
    if (!C)
        return;
    THintInfo Info;
    Info.HintControl = C;
    Info.HintMaxWidth = ::Screen->Width();
    Info.HintColor = FHintColor;
    Info.CursorPos = C->ScreenToClient(CursorPos);
    Info.CursorRect = C->ClientRect();
    Info.HintPos = Point(CursorPos.X, CursorPos.Y + 20);
    Info.HideTimeout = FHintHidePause;
    Info.HintStr = ShortHint(C->Hint());
    bool CanShow = C->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)) == 0;
    if (CanShow && OnShowHint)
        OnShowHint(Info.HintStr, CanShow, Info);
    if (!CanShow || Info.HintStr.empty())
        return;
    if (!FHintWindow) {
        FHintWindow = HintWindowClass(this);
    }
    FHintWindow->SetColor(Info.HintColor);
    TRect R = FHintWindow->CalcHintRect(Info.HintMaxWidth, Info.HintStr, nullptr);
    R = Bounds(Info.HintPos.X, Info.HintPos.Y, R.Width(), R.Height());
    FHintCursorRect = Info.CursorRect;
    FHintWindow->ActivateHint(R, Info.HintStr);
    FHintActive = true;
    FHintShown = true;
    if (Info.HideTimeout > 0)
        StartHintTimer(static_cast<UINT>(Info.HideTimeout));
}

void TApplication::CancelHint()
{
    StopHintTimer();
    if (FHintWindow)
        FHintWindow->ReleaseHandle();
    FHintActive = false;
    FHintControl = nullptr;
}

void TApplication::CancelHintFor(TControl* Control)
{
    if (Control == FMouseControl)
        FMouseControl = nullptr;
    if (Control == FHintControl)
        CancelHint();
    if (Control == FHintWindow)
        FHintWindow = nullptr;
}
