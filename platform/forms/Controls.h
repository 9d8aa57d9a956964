#pragma once

// Controls: the base classes of everything a form shows. TControl holds position, alignment,
// visibility, font, colour, hints and mouse handling; TWinControl adds a window of the window
// layer (made on demand), children, focus, tab order and keys; TGraphicControl draws on its
// parent's window; TCustomControl owns a window and a canvas.
//
// Messages reach a windowed control through one window procedure that finds the control by
// its window and calls WindowProc (WndProc unless replaced); what the control does not handle
// ends in DefaultHandler, which calls the window class's own procedure.
//
// Ownership: a control belongs to its Owner (the component that deletes it, rtl/Components.h),
// never to its Parent. The parent lists the control, places it and hosts its window; freeing the
// parent takes its children out of its lists and destroys their windows, and the children live on,
// parentless, until their owners free them. So a control made with an owner and then given a
// parent is freed once, by the owner. Every control, menu or action a method here returns is
// borrowed: the caller does not delete it, and keeps it no longer than the object lives (ask for
// FreeNotification to be told). What a control makes for itself (its window, font, constraints,
// brush, canvas, action link) it owns and destroys with itself. All of this runs on the
// user-interface thread only.

#include "platform/forms/Graphics.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Set.h"
#include "platform/win/StdControls.h"
#include "platform/win/Windows.h"

#include <functional>
#include <vector>

// ---- Messages -------------------------------------------------------------------------------

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Key messages read as a record: the virtual key or character, and the key data.
struct TWMKey {
    UINT Msg = 0;
    Word CharCode = 0;
    LPARAM KeyData = 0;
    LRESULT Result = 0;
    static TWMKey From(const TMessage& M) { return {M.Msg, Word(M.WParam), M.LParam, M.Result}; }
};

// Mouse messages read as a record: key flags and client position.
struct TWMMouse {
    UINT Msg = 0;
    WPARAM Keys = 0;
    SmallInt XPos = 0;
    SmallInt YPos = 0;
    LRESULT Result = 0;
    static TWMMouse From(const TMessage& M)
    {
        return {M.Msg, M.WParam, SmallInt(GET_X_LPARAM(M.LParam)), SmallInt(GET_Y_LPARAM(M.LParam)),
                M.Result};
    }
};

// Messages between the component classes.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0,
    CM_DEACTIVATE = CM_BASE + 1,
    CM_GOTFOCUS = CM_BASE + 2,
    CM_LOSTFOCUS = CM_BASE + 3,
    CM_CANCELMODE = CM_BASE + 4,
    CM_DIALOGKEY = CM_BASE + 5,
    CM_DIALOGCHAR = CM_BASE + 6,
    CM_FOCUSCHANGED = CM_BASE + 7,
    CM_PARENTFONTCHANGED = CM_BASE + 8,
    CM_PARENTCOLORCHANGED = CM_BASE + 9,
    CM_HITTEST = CM_BASE + 10,
    CM_VISIBLECHANGED = CM_BASE + 11,
    CM_ENABLEDCHANGED = CM_BASE + 12,
    CM_COLORCHANGED = CM_BASE + 13,
    CM_FONTCHANGED = CM_BASE + 14,
    CM_CURSORCHANGED = CM_BASE + 15,
    CM_CTL3DCHANGED = CM_BASE + 16,
    CM_PARENTCTL3DCHANGED = CM_BASE + 17,
    CM_TEXTCHANGED = CM_BASE + 18,
    CM_MOUSEENTER = CM_BASE + 19,
    CM_MOUSELEAVE = CM_BASE + 20,
    CM_SYSCOLORCHANGE = CM_BASE + 21,
    // Broadcast by a grouped button going down: wParam the group, lParam the button.
    CM_BUTTONPRESSED = CM_BASE + 24,
    CM_SHOWINGCHANGED = CM_BASE + 25,
    CM_ENTER = CM_BASE + 26,
    CM_EXIT = CM_BASE + 27,
    CM_WANTSPECIALKEY = CM_BASE + 30,
    CM_RELEASE = CM_BASE + 33,
    CM_SHOWHINTCHANGED = CM_BASE + 34,
    CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
    CM_TABSTOPCHANGED = CM_BASE + 40,
    CM_UIACTIVATE = CM_BASE + 41,
    CM_CHILDKEY = CM_BASE + 46,
    CM_DRAG = CM_BASE + 47,
    CM_HINTSHOW = CM_BASE + 48,
    CM_RECREATEWND = CM_BASE + 51,
    CM_SYSFONTCHANGED = CM_BASE + 53,
    CM_BORDERCHANGED = CM_BASE + 59,
    CM_BIDIMODECHANGED = CM_BASE + 60,
    CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
    CM_MOUSEWHEEL = CM_BASE + 67,
};

// Notifications reflected back to the control that caused them, and key messages offered to
// the control before the window procedure sees them.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_NOTIFY = CN_BASE + WM_NOTIFY,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
    CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
    CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
    CN_DELETEITEM = CN_BASE + WM_DELETEITEM,
    CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM,
    CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX,
    CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
    CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
    CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
    CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG,
    CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR,
    CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
};

// ---- Enumerations -------------------------------------------------------------------------------

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Whether a control's help topic is named by keyword or by context number.
enum THelpType { htKeyword, htContext };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;
enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateItem>;
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
// Which scroll bars a control shows (memos, grids).
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
using TBevelEdges = TSet<TBevelEdge>;

using TCursor = SmallInt;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                         crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                         crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                         crHandPoint = -21, crSizeAll = -22, crSize = -22;

// Modal results.
using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                              mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

class TControl;
class TWinControl;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, WideChar& Key)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
// MousePos in client coordinates, (-1, -1) when the menu was asked from the keyboard; Handled
// true keeps the control's PopupMenu from showing.
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TWndMethod = std::function<void(TMessage& Message)>;

// The hint being shown: text, where, for which control.
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;
    Integer HintMaxWidth = 0;
    TColor HintColor = 0;
    TRect CursorRect;
    TPoint CursorPos;
    Integer ReshowTimeout = 0;
    Integer HideTimeout = 0;
    AnsiString HintStr;
};

// The shift keys and mouse buttons held, from key data or mouse key flags.
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyDataToShiftState(LPARAM KeyData);
// True when Text has an accelerator "&x" for the character (case ignored); "&&" is a literal &.
bool IsAccel(Word VK, const AnsiString& Text);

// ---- Size constraints ---------------------------------------------------------------------------

class TSizeConstraints : public TPersistent {
public:
    explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
    void Assign(TPersistent* Source) override;
    Integer MinWidth() const { return FMinWidth; }
    Integer MinHeight() const { return FMinHeight; }
    Integer MaxWidth() const { return FMaxWidth; }
    Integer MaxHeight() const { return FMaxHeight; }
    void SetMinWidth(Integer Value);
    void SetMinHeight(Integer Value);
    void SetMaxWidth(Integer Value);
    void SetMaxHeight(Integer Value);

private:
    void Changed();
    TControl* FControl;
    Integer FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

// ---- TControl -------------------------------------------------------------------------------------

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    void BeforeDestruction() override;

    // The windowed control this one sits in, or nullptr. Borrowed: the parent does not own it.
    TWinControl* Parent() const { return FParent; }
    // Leaves the old parent's lists and joins AParent's (nullptr: none). The owner stays the same.
    // Raises EInvalidOperation SControlParentSetToSelf when AParent is this control.
    virtual void SetParent(TWinControl* AParent);

    Integer Left() const { return FLeft; }
    Integer Top() const { return FTop; }
    Integer Width() const { return FWidth; }
    Integer Height() const { return FHeight; }
    void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    // Moves and sizes the control (in its parent's client coordinates), applying Constraints.
    virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }

    // The area children and painting use, in the control's own coordinates.
    virtual TRect ClientRect();
    Integer ClientWidth() { return ClientRect().Width(); }
    Integer ClientHeight() { return ClientRect().Height(); }
    void SetClientWidth(Integer Value);
    void SetClientHeight(Integer Value);
    // The screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(const TPoint& Point);
    TPoint ScreenToClient(const TPoint& Point);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors Value);
    // Owned by the control: change it in place, do not delete it.
    TSizeConstraints* Constraints() const { return FConstraints.get(); }

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    void Show();
    void Hide();
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);

    AnsiString Caption() { return GetText(); }
    void SetCaption(const AnsiString& Value) { SetText(Value); }
    AnsiString Text() { return GetText(); }
    void SetText(const AnsiString& Value);

    // Owned by the control. SetFont copies Value's properties; the caller keeps Value.
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }
    // The help topic the control names; kept for the program's help, no drawing depends on it.
    THelpType HelpType() const { return FHelpType; }
    void SetHelpType(THelpType Value) { FHelpType = Value; }
    const AnsiString& HelpKeyword() const { return FHelpKeyword; }
    void SetHelpKeyword(const AnsiString& Value) { FHelpKeyword = Value; }
    Integer HelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    // DT_RTLREADING when the control reads right to left.
    UINT DrawTextBiDiModeFlags(UINT Flags) const;

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }

    // The action this control follows, or nullptr. Not owned: the control only links to it, and
    // drops the link when the action is freed. The link itself is owned by the control.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    TControlActionLink* ActionLink() const { return FActionLink.get(); }

    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind Value) { FDragKind = Value; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // Starts dragging this control; Immediately false waits until the mouse has moved Threshold
    // pixels (-1: the system's distance).
    void BeginDrag(bool Immediately, Integer Threshold = -1);
    void EndDrag(bool Drop);
    bool Dragging() const;
    // Asks the control whether Source may be dropped at (X, Y); default: OnDragOver's answer.
    virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, Integer X, Integer Y);

    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    // The menu shown when the control is right-clicked (WM_CONTEXTMENU), if its AutoPopup is
    // set; a control without one leaves the request to its parent. Not owned: the menu's owner
    // frees it, and the control forgets it then.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);

    // Scales the control by M / D through ChangeScale: its bounds and its own font (a windowed
    // control scales its children too).
    void ScaleBy(Integer M, Integer D) { ChangeScale(M, D); }
    virtual void ChangeScale(Integer M, Integer D);

    // Sends a message to the control's WindowProc directly and returns its result.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    // The procedure messages go through; replace it to subclass the control (keep the old one
    // and call it for what you do not handle).
    const TWndMethod& WindowProc() const { return FWindowProc; }
    void SetWindowProc(TWndMethod Value) { FWindowProc = std::move(Value); }
    virtual void WndProc(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    virtual void Click();
    virtual void DblClick();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnResize;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    // Fires before the PopupMenu is shown for a right click or the menu key.
    TContextPopupEvent OnContextPopup;

protected:
    friend class TWinControl;
    friend class TControlActionLink;
    friend class TSizeConstraints;

    virtual AnsiString GetText();
    virtual void SetTextValue(const AnsiString& Value);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void Resize();
    virtual void Loaded() override;
    virtual void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void VisibleChanging() {}
    virtual void DoStartDrag(TObject*& DragObject);
    // Base: OnContextPopup.
    virtual void DoContextPopup(const TPoint& MousePos, bool& Handled);
    virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
    // A new link of the class this control uses (override to link more properties). The caller
    // owns what it returns.
    virtual TControlActionLink* CreateActionLink();
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    // Parent's alignment runs again because this control moved, resized or changed Align.
    void RequestAlign();
    void UpdateAnchorRules();
    void ConstrainSize(Integer& AWidth, Integer& AHeight);
    void FontChanged(TObject* Sender);
    // Passes a mouse message to DefaultHandler; false when that freed the control.
    bool MouseDefault(TMessage& Message);
    // Mouse messages as the handlers see them.
    void WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    void WMMouseUp(TMessage& Message, TMouseButton Button);
    void WMMouseMove(TMessage& Message);
    void CMParentFontChanged(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);
    void WMContextMenu(TMessage& Message);

    Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    std::unique_ptr<TSizeConstraints> FConstraints;
    bool FVisible = true;
    bool FEnabled = true;
    AnsiString FText;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TColor FColor = 0x80000000 | 5; // clWindow
    bool FParentColor = false;
    TCursor FCursor = crDefault;
    AnsiString FHint;
    THelpType FHelpType = htContext;
    AnsiString FHelpKeyword;
    Integer FHelpContext = 0;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;
    std::unique_ptr<TControlActionLink> FActionLink;
    TDragMode FDragMode = dmManual;
    TDragKind FDragKind = dkDrag;
    TCursor FDragCursor = crDrag;
    TPopupMenu* FPopupMenu = nullptr;
    TWndMethod FWindowProc;
    // Anchors: the bounds and the parent's client size when the control was last placed.
    TRect FAnchorBase;
    TSize FAnchorParentSize{-1, -1};
    bool FFontChanging = false;
};

// ---- TWinControl ------------------------------------------------------------------------------------

// What CreateParams fills in for CreateWnd.
struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    Integer X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASS WindowClass;
    AnsiString WinClassName;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // The brush the window's background is filled with (its colour follows Color); a clear
    // brush tells those who draw for the control to leave backgrounds alone.
    TBrush* Brush() const { return FBrush.get(); }
    // The window; made (with the parents' windows) when first asked for. Raises
    // EInvalidOperation "Control '<name>' has no parent window" for a child without parent.
    // The control owns the window: it destroys it when it is freed, leaves its parent or is
    // recreated, so callers never DestroyWindow it and do not keep the handle across those.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // Destroys the window and makes it again with fresh CreateParams (children too).
    void RecreateWnd();
    // The window procedure messages not handled here go to (the window class's procedure).
    WNDPROC DefWndProc() const { return FDefWndProc; }
    void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }
    // The control of one of our windows (nullptr for other windows). Borrowed.
    static TWinControl* FindControl(HWND Handle);

    void SetParent(TWinControl* AParent) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void ChangeScale(Integer M, Integer D) override;
    TRect ClientRect() override;
    TPoint ClientOrigin() override;

    // The children, windowless ones first. Controls raises EListError "List index out of bounds
    // (<Index>)" outside 0..ControlCount()-1; what it returns is borrowed.
    Integer ControlCount() const { return static_cast<Integer>(FControls.size() + FWinControls.size()); }
    TControl* Controls(Integer Index) const;
    // The list side of SetParent, which is what callers use: InsertControl expects a control
    // without a parent, RemoveControl ignores one that is not a child (and destroys the window of
    // one that is). Neither changes who owns AControl.
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // True when Control is this control or below it.
    bool ContainsControl(TControl* Control) const;
    // The visible, enabled child at a client position (windowless ones only unless AllowWinControls);
    // nullptr when none. Borrowed.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);
    // Sends the message to every child.
    void Broadcast(TMessage& Message);
    // True while the control and all its parents are visible and windows exist for them.
    bool Showing() const { return FShowing; }

    // Alignment of the children; DisableAlign/EnableAlign bracket several changes.
    void Realign();
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);

    // Focus.
    virtual bool CanFocus();
    bool Focused();
    virtual void SetFocus();
    Integer TabOrder();
    void SetTabOrder(Integer Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // Appends the focusable descendants in tab order, depth first (borrowed pointers).
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    void SelectFirst();

    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value);
    Integer BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(Integer Value);
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode Value) { FImeMode = Value; }
    const AnsiString& ImeName() const { return FImeName; }
    void SetImeName(const AnsiString& Value) { FImeName = Value; }

    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void Invalidate() override;
    void Update() override;
    // Paints the windowless children on DC (from First on, in z-order).
    void PaintControls(HDC DC, TControl* First);

    // For the window procedure of our windows: binds the window being created, and passes a
    // message on (exceptions go to the application).
    void SetWindowHandleFromCreation(HWND Wnd);
    void DispatchFromWindow(TMessage& Message);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

protected:
    friend class TControl;
    friend class TCustomForm;

    virtual void CreateParams(TCreateParams& Params);
    // Copies the class of a standard window (EDIT, BUTTON …) into Params so that the control
    // is that window, subclassed.
    void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyHandle();
    virtual void DestroyWindowHandle();
    // Paints the window itself on DC. A self-drawn window (one with a canvas) paints through
    // Paint on its canvas, lent DC for the paint; any other window leaves it to its window class.
    virtual void PaintWindow(HDC DC);
    // What a self-drawn window draws on its canvas.
    virtual void Paint() {}
    void PaintHandler(TMessage& Message);
    // The entry of every message from the window layer: exceptions go to the application.
    void MainWndProc(TMessage& Message);

    virtual void DoEnter();
    virtual void DoExit();
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(WideChar& Key);
    // Key preview of the form, then KeyDown; true when the key was eaten.
    bool DoKeyDown(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    AnsiString GetText() override;
    void SetTextValue(const AnsiString& Value) override;
    void UpdateBounds();
    void UpdateShowing();
    void SetZOrder(bool TopMost);

    // Handlers of the key order: shortcuts, special keys and dialog keys before the control.
    void CNKeyDown(TMessage& Message);
    void CNChar(TMessage& Message);
    void CMDialogChar(TMessage& Message) { Broadcast(Message); }
    void CMDialogKey(TMessage& Message) { Broadcast(Message); }
    void WMSetCursor(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    bool IsControlMouseMsg(TMessage& Message);
    // The child control a notification, owner-draw or colour message of the window is about.
    TWinControl* NotifyingChild(const TMessage& Message);
    void WMContextMenu(TMessage& Message);
    void NotifyChildren(UINT Msg);
    // Leaves the parent's lists (also when the control is deleted without Free).
    void DetachFromParent();

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;       // windowless children, z-order bottom first
    std::vector<TWinControl*> FWinControls; // windowed children
    std::vector<TWinControl*> FTabList;
    bool FShowing = false;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    Integer FBorderWidth = 0;
    bool FDoubleBuffered = false;
    TImeMode FImeMode = imDontCare;
    AnsiString FImeName;
    Integer FAlignLevel = 0;
    bool FAligning = false;
    std::unique_ptr<TBrush> FBrush;
    // Made by the self-drawn kinds (forms, custom controls); none for windows their class draws.
    std::unique_ptr<TCanvas> FCanvas;

private:
    void InsertIntoLists(TControl* AControl);
};

// A control that draws on its parent's window.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }
    void WndProc(TMessage& Message) override;

protected:
    virtual void Paint() {}

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// A windowed control that draws itself on a canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    // Owned by the control. It draws on the window only inside Paint; elsewhere it takes a
    // context of its own, given back when the program is idle.
    TCanvas* Canvas() const { return FCanvas.get(); }
};

// A canvas on a control: the control's window, or the parent's window clipped to the control.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* AControl);
    ~TControlCanvas() override;
    TControl* Control() const { return FControl; }
    void FreeHandle();
    // Releases every context taken by a control canvas outside of painting (done when idle).
    static void FreeDeviceContexts();

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    HDC FDeviceContext = nullptr;
    HWND FWindowHandle = nullptr;
};

// Lends a control canvas the device context of one paint, locked for the paint's length. The
// canvas lets the context go and is unlocked when the scope ends, also when painting raises, so a
// failed paint never leaves a canvas drawing into a context the window has already released.
class TCanvasPaintLock {
public:
    // Canvas is a control's canvas (a TControlCanvas); DC stays the caller's to release.
    TCanvasPaintLock(TCanvas* Canvas, HDC DC);
    ~TCanvasPaintLock();
    TCanvasPaintLock(const TCanvasPaintLock&) = delete;
    TCanvasPaintLock& operator=(const TCanvasPaintLock&) = delete;

private:
    TCanvas* FCanvas;
};

class TCustomForm;
// The form a control sits on (the control itself for a form), or nullptr. Borrowed.
TCustomForm* GetParentForm(TControl* Control);

// The control that has captured the mouse (a windowless one through its parent's window), or
// nullptr. Borrowed.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

// The control being dragged, and the one last dragged over.
TControl* DragControl();
// Finds the control under a screen position (windowless children included), or nullptr. Borrowed.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);

// The messages of the component classes.
inline constexpr const char* SParentRequired = "Control '%s' has no parent window";
inline constexpr const char* SCannotFocus = "Cannot focus a disabled or invisible window";
inline constexpr const char* SControlParentSetToSelf = "A control cannot have itself as its parent";
