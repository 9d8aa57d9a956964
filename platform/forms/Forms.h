#pragma once

// Forms and the application: scrolling containers, top-level forms with modal showing and
// closing, the application object with its message loop, exception display and hints, the
// screen object, and the hint window.

#include "platform/forms/Controls.h"

#include <functional>
#include <memory>
#include <vector>

class TCustomActionList;

// ---- Scrolling containers --------------------------------------------------------------------------

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle; // bsNone or bsSingle for controls

class TScrollingWinControl;

// One scroll bar of a scrolling control: Range is the extent of the contents, Position how far
// they are scrolled.
class TControlScrollBar : public TPersistent {
public:
    TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind) : FControl(AControl), FKind(AKind)
    {
    }
    void Assign(TPersistent* Source) override;
    TScrollBarKind Kind() const { return FKind; }
    Integer Range() const { return FRange; }
    void SetRange(Integer Value);
    Integer Position() const { return FPosition; }
    void SetPosition(Integer Value);
    Integer Increment() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = Value > 0 ? Value : 1; }
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value) { FMargin = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // True when the bar is shown: visible and the range exceeds the client size.
    bool IsScrollBarVisible();
    Integer ScrollPos() { return IsScrollBarVisible() ? FPosition : 0; }

private:
    friend class TScrollingWinControl;
    Integer ControlSize();
    void Update();
    void ScrollMessage(TMessage& Message);

    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    Integer FRange = 0;
    Integer FPosition = 0;
    Integer FIncrement = 8;
    Integer FMargin = 0;
    bool FVisible = true;
    bool FAutoRange = false; // the range came from the children (AutoScroll)
};

class TScrollingWinControl : public TWinControl {
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);
    // Scrolls so that the control is inside the client area.
    void ScrollInView(TControl* AControl);
    // Suspends the automatic range calculation while many children move.
    void DisableAutoRange() { ++FAutoRangeCount; }
    void EnableAutoRange();
    void WndProc(TMessage& Message) override;

protected:
    friend class TControlScrollBar;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CreateWnd() override;
    void CalcAutoRange();
    void UpdateScrollBars();
    // Moves the children by the scroll change.
    void ScrollBy(Integer DeltaX, Integer DeltaY);

    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
    bool FAutoScroll = true;
    Integer FAutoRangeCount = 0;
    bool FUpdatingScrollBars = false;
};

// ---- Forms ------------------------------------------------------------------------------------------

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TWMKey& Msg, bool& Handled)>;

class TCustomForm : public TScrollingWinControl {
public:
    // A form made in code, without anything streamed: hidden, at the designed position.
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TFormState FormState() const { return FFormState; }
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    bool Active() const { return FActive; }
    TCanvas* Canvas() const { return FCanvas.get(); }

    // The control that has (or gets, when the form is activated) the focus.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    // Focuses Control; raises EInvalidOperation "Cannot focus a disabled or invisible window".
    void FocusControl(TWinControl* Control);
    // Called when a control of the form receives the focus: CM_EXIT and CM_ENTER travel along
    // the parents between the old and new control.
    bool SetFocusedControl(TWinControl* Control);
    void DefocusControl(TWinControl* Control, bool Removing);

    TRect ClientRect() override;
    void SetFocus() override;
    bool CanFocus() override { return TWinControl::CanFocus(); }

    void Show();
    void Hide();
    // Shows the form and runs a message loop until ModalResult is set; the other forms are
    // disabled meanwhile. Raises EInvalidOperation "Cannot make a visible window modal".
    virtual TModalResult ShowModal();
    // Closes: a modal form gets mrCancel; otherwise OnCloseQuery and OnClose decide.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages now queued have been handled.
    void Release();
    void BringToFront() { TControl::BringToFront(); }

    // The form's shortcuts: OnShortCut, then the action lists the form owns.
    virtual bool IsShortCut(TWMKey& Message);

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

protected:
    friend class TApplication;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    virtual void DoClose(TCloseAction& Action);
    virtual void DoShow();
    virtual void DoHide();
    virtual void Activate();
    virtual void Deactivate();
    void CloseModal();
    void CMShowingChanged(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void WMActivate(TMessage& Message);
    void WMNextDlgCtl(TMessage& Message);
    void ApplyPosition();

    TFormBorderStyle FBorderStyle = bsSizeable;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TFormState FFormState;
    bool FKeyPreview = false;
    TModalResult FModalResult = mrNone;
    bool FActive = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---- Hint window ------------------------------------------------------------------------------------

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* AOwner);
    // Shows Hint at Rect (screen coordinates) without taking the focus.
    virtual void ActivateHint(TRect Rect, const AnsiString& AHint);
    // The size the hint text needs, at most MaxWidth wide (origin 0, 0).
    virtual TRect CalcHintRect(Integer MaxWidth, const AnsiString& AHint, void* AData);
    void ReleaseHandle() { DestroyHandle(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void WndProc(TMessage& Message) override;
};

using THintWindowClass = THintWindow* (*)(TComponent* AOwner);
// The class the application makes its hint window of; replace before the first hint.
extern THintWindowClass HintWindowClass;

// ---- Application --------------------------------------------------------------------------------------

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TShowHintEvent = std::function<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    // Makes a form owned by the application; the first one becomes MainForm.
    template <class T> void CreateForm(T*& Reference)
    {
        Reference = New<T>(this);
        if (!FMainForm)
            FMainForm = Reference;
    }
    // Shows the main form and runs the message loop until Terminate; Terminated() is false
    // again once Run returns.
    void Run();
    // Handles every message waiting, then returns.
    void ProcessMessages();
    // Handles one message, or idles (waits) when there is none.
    void HandleMessage();
    // Ends the message loop after the messages now queued.
    void Terminate();
    bool Terminated() const { return FTerminate; }

    // Shows the exception that escaped an event handler: OnException when assigned, otherwise
    // a message box with its message. EAbort is silent.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    // A message box of our own (a modal form); returns IDOK, IDCANCEL, IDYES ….
    Integer MessageBox(const AnsiString& Text, const AnsiString& Caption, UINT Flags = MB_OK);

    TCustomForm* MainForm() const { return FMainForm; }
    HWND Handle();
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& Value) { FTitle = Value; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool Value) { FShowMainForm = Value; }

    // Hints.
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value);
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    Integer HintPause() const { return FHintPause; }
    void SetHintPause(Integer Value) { FHintPause = Value; }
    Integer HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(Integer Value) { FHintShortPause = Value; }
    Integer HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(Integer Value) { FHintHidePause = Value; }
    void ActivateHint(TPoint CursorPos);
    void CancelHint();
    // Forgets a control that is going away (hint, mouse tracking).
    void CancelHintFor(TControl* Control);
    // The hint window while a hint is shown (nullptr otherwise).
    THintWindow* HintWindow() const { return FHintWindow; }
    // Follows the mouse for hints and CM_MOUSEENTER/CM_MOUSELEAVE.
    void HintMouseMessage(TControl* Control, TMessage& Message);

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TNotifyEvent OnHint;
    TShowHintEvent OnShowHint;
    TMessageEvent OnMessage;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool ProcessMessage(MSG& Msg);
    void Idle();
    void HintTimerExpired();
    void StartHintTimer(UINT Value);
    void StopHintTimer();
    static LRESULT AppWndProc(HWND, UINT, WPARAM, LPARAM);

    HWND FHandle = nullptr;
    TCustomForm* FMainForm = nullptr;
    bool FTerminate = false;
    AnsiString FTitle;
    bool FShowMainForm = true;
    bool FShowHint = true;
    AnsiString FHint;
    TColor FHintColor = 0x80000000 | 24; // clInfoBk
    Integer FHintPause = 500;
    Integer FHintShortPause = 50;
    Integer FHintHidePause = 2500;
    bool FHintActive = false;
    TControl* FHintControl = nullptr;
    TControl* FMouseControl = nullptr;
    THintWindow* FHintWindow = nullptr;
    TRect FHintCursorRect;
    bool FHintTimerRunning = false;
    bool FHintShown = false;
};

// ---- Screen ---------------------------------------------------------------------------------------------

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}

    Integer FormCount() const { return static_cast<Integer>(FForms.size()); }
    TCustomForm* Forms(Integer Index) const { return FForms.at(static_cast<size_t>(Index)); }
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    TCursor Cursor() const { return FCursor; }
    // A cursor other than crDefault overrides every control's own.
    void SetCursor(TCursor Value);
    HCURSOR Cursors(Integer Index);
    void SetCursors(Integer Index, HCURSOR Handle);
    Integer Width() const;
    Integer Height() const;
    Integer DesktopWidth() const { return Width(); }
    Integer DesktopHeight() const { return Height(); }
    TRect WorkAreaRect() const;
    Integer PixelsPerInch() const { return 96; }

    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

private:
    friend class TCustomForm;
    friend class TApplication;
    void AddForm(TCustomForm* Form) { FForms.push_back(Form); }
    void RemoveForm(TCustomForm* Form);
    void SetActiveForm(TCustomForm* Form);
    void SetActiveControl(TWinControl* Control);

    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCursor FCursor = crDefault;
    std::vector<std::pair<Integer, HCURSOR>> FCursors;
};

extern TApplication* Application;
extern TScreen* Screen;

inline constexpr const char* SCannotShowModal = "Cannot make a visible window modal";
