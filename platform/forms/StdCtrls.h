#pragma once

// The standard controls: labels, edits, memos, buttons, check boxes, radio buttons, group
// boxes, combo boxes, list boxes and scroll bars. Each windowed one is a window of the
// standard class it names (EDIT, BUTTON, COMBOBOX, LISTBOX, SCROLLBAR), subclassed, so that a
// program that sends it the class's messages or subclasses it again gets the class's behaviour.
//
// Text is UTF-8; positions (SelStart, SelLength) count bytes of it, as the ANSI messages of the
// windows do.
//
// Who owns what: a control belongs to its owner component (or to whoever made it without one);
// its Items, Lines and Canvas belong to the control and live as long as it does. The window is
// made when it is first needed and made again when a property only the window's style can carry
// changes; the items, lines, text and selection survive that. A call that needs the window
// (selection, clipboard, ItemAtPos …) makes it, and raises EInvalidOperation "Control '<name>'
// has no parent window" for a control that has no parent. Index errors of Items and Lines raise
// EStringListError "List index out of bounds (<n>)"; the events run on the user-interface thread, inside the
// call or the user's action that caused them.

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringLists.h"
#include "platform/win/StdControls.h"

#include <memory>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
using TLeftRight = TAlignment;
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};

using TDrawItemEvent =
    std::function<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;

// A windowed control over a standard window class (EDIT, BUTTON, LISTBOX …): messages the
// component does not take end in the class's own procedure through DefaultHandler.
class TStandardWinControl : public TWinControl {
public:
    using TWinControl::TWinControl;
};

// ---- TLabel ---------------------------------------------------------------------------------------

// A caption drawn on its parent (no window): sized to its text when AutoSize is set, and its
// accelerator ('&') focuses FocusControl.
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    // The control that gets the focus when the label's accelerator is pressed.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Draws the caption with the label's flags (DT_CALCRECT measures it).
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    void AdjustBounds();

private:
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
};

// ---- TCustomEdit / TEdit / TMemo ------------------------------------------------------------------------

// A single-line edit (EDIT window); OnChange after every change of the text, by the user or the
// program, once per change. Clipboard and undo calls act on the window's selection.
class TCustomEdit : public TStandardWinControl {
public:
    explicit TCustomEdit(TComponent* AOwner);

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    // Bytes the user may type (0: no limit); text set by the program is not limited.
    Integer MaxLength() const { return FMaxLength; }
    void SetMaxLength(Integer Value);
    bool Modified();
    void SetModified(bool Value);
    WideChar PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(WideChar Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

    Integer SelStart();
    void SetSelStart(Integer Value);
    Integer SelLength();
    void SetSelLength(Integer Value);
    AnsiString SelText();
    void SetSelText(const AnsiString& Value);
    virtual void SelectAll();
    void ClearSelection();
    void Clear();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo();
    void Undo();
    void ClearUndo();

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    virtual void Change();
    void DoEnter() override;
    bool IsMultiLine();
    void AdjustHeight();

    TAlignment FAlignment = taLeftJustify;
    bool FWordWrapStyle = false; // set by memos
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = false;

private:
    bool FAutoSelect = true;
    bool FAutoSize = true;
    TBorderStyle FBorderStyle = bsSingle;
    TEditCharCase FCharCase = ecNormal;
    bool FHideSelection = true;
    Integer FMaxLength = 0;
    bool FModified = false;
    WideChar FPasswordChar = 0;
    bool FReadOnly = false;
    bool FCreating = false;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
};

class TCustomMemo;

// The lines of a memo, read from and written to its window (kept by the memo while it has none);
// an index out of range raises EStringListError.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* AMemo) : FMemo(AMemo) {}
    void Clear() override;
    void Delete(Integer Index) override;
    void Insert(Integer Index, const AnsiString& S) override;

protected:
    AnsiString Get(Integer Index) const override;
    Integer GetCount() const override;
    void Put(Integer Index, const AnsiString& S) override;
    AnsiString GetTextStr() const override;
    void SetTextStr(const AnsiString& Value) override;
    // True when the memo's window answers the edit control's line message, so single lines can be
    // counted and inserted there; other windows (a rich edit) go through the whole text.
    virtual bool WindowEditsLines() const;

private:
    std::vector<AnsiString> Split() const;
    void Join(const std::vector<AnsiString>& Lines);
    // Where hard line Index starts in the window and how long it is (the window's units), and its
    // text; false when there is no such line.
    bool WindowLine(Integer Index, LRESULT& Start, std::size_t& Length, AnsiString* Text) const;
    void ReplaceRange(LRESULT From, LRESULT To, const AnsiString& S);
    TCustomMemo* FMemo;
};

// A multi-line edit whose text is also Lines; line ends are CR LF in Text.
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WordWrap() const { return FWordWrapStyle; }
    void SetWordWrap(bool Value);
    // The caret as (column, line).
    TPoint CaretPos();

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    std::unique_ptr<TMemoStrings> FLines;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
    using TCustomMemo::TCustomMemo;
};

// ---- Buttons ----------------------------------------------------------------------------------------

// The base of the BUTTON-window controls (push buttons, check boxes, radio buttons).
class TButtonControl : public TStandardWinControl {
public:
    explicit TButtonControl(TComponent* AOwner);

protected:
    // Clicks that come from setting the state, not from the user, can be held back.
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }

private:
    bool FClicksDisabled = false;
};

// A push button: a press by the user (or Click) sets the form's ModalResult, then runs OnClick.
class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* AOwner);

    // The button Enter clicks on its form (unless the focused control is another button).
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    // The button Esc clicks on its form.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    // Clicking sets the form's ModalResult to this (mrNone: nothing).
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }

    void Click() override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    void SetButtonStyle(bool Active);

    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false; // drawn as the form's default button now
    TModalResult FModalResult = mrNone;
};

// A check box with two or three states (AllowGrayed); the user's click and SetState both run
// OnClick.
class TCustomCheckBox : public TButtonControl {
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    TCheckBoxState State() const { return FState; }
    // Changing the state clicks (OnClick), as a user's click does.
    void SetState(TCheckBoxState Value);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // The user's click: unchecked → checked → grayed (when allowed) → unchecked.
    virtual void Toggle();

private:
    TLeftRight FAlignment = taRightJustify;
    bool FAllowGrayed = false;
    TCheckBoxState FState = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// A radio button: checking one unchecks its siblings of the same parent.
class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* AOwner);

    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    bool Checked() const { return FChecked; }
    // Checking one unchecks the other radio buttons of the same parent, and clicks.
    void SetChecked(bool Value);

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;

private:
    TLeftRight FAlignment = taRightJustify;
    bool FChecked = false;
};

// A frame with a caption that holds other controls.
class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    void AdjustClientRect(TRect& Rect) override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// ---- Lists ------------------------------------------------------------------------------------------

class TCustomComboBox;
class TCustomListBox;

// Items kept in a window of a list class through its messages (CB_* or LB_*), or in a list of
// their own while the control has no window. An index out of range raises EStringListError; a window
// that refuses an item raises EOutOfResources "Unable to insert a line". The objects are the
// caller's: the list keeps the pointers and never deletes them.
class TListControlStrings : public TStrings {
public:
    struct Messages {
        UINT Add, Insert, Delete, Reset, Count, Text, TextLen, GetData, SetData;
    };
    TListControlStrings(TWinControl* AControl, const Messages& AMessages)
        : FControl(AControl), FMsg(AMessages)
    {
    }
    Integer Add(const AnsiString& S) override;
    Integer AddObject(const AnsiString& S, TObject* AObject) override;
    void Clear() override;
    void Delete(Integer Index) override;
    void Insert(Integer Index, const AnsiString& S) override;
    void InsertObject(Integer Index, const AnsiString& S, TObject* AObject) override;

    // The window takes the items kept so far, and the answer is where the item selected when they
    // were kept went (a sorted window may place it elsewhere), -1 for none.
    Integer MoveToWindow();
    // The items, and the index of the selected one, are kept before the window goes.
    void SaveFromWindow(Integer Selected);
    // Sorts the items (the window's style): true when that changed, and the window must be made
    // again.
    bool SetSorted(bool Value);
    bool Sorted = false;
    // The selected item while there is no window (-1: none).
    Integer SavedIndex = -1;

protected:
    AnsiString Get(Integer Index) const override;
    Integer GetCount() const override;
    TObject* GetObject(Integer Index) const override;
    void PutObject(Integer Index, TObject* AObject) override;
    void Put(Integer Index, const AnsiString& S) override;

private:
    bool Live() const;
    HWND Wnd() const;
    Integer IndexOfSaved(Integer Index) const;
    TWinControl* FControl;
    Messages FMsg;
    std::vector<std::pair<AnsiString, TObject*>> FSaved;
    std::vector<Integer> FPlaced;
};

// An edit with a drop-down list (COMBOBOX window). ItemIndex -1 is no selection; OnSelect (else
// OnChange) when the user picks an item, OnChange when the user edits the text.
class TCustomComboBox : public TStandardWinControl {
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    Integer ItemIndex();
    void SetItemIndex(Integer Value);
    Integer DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(Integer Value);
    bool DroppedDown();
    void SetDroppedDown(bool Value);
    Integer ItemHeight();
    void SetItemHeight(Integer Value);
    Integer MaxLength() const { return FMaxLength; }
    void SetMaxLength(Integer Value);
    bool Sorted() const { return FItems->Sorted; }
    void SetSorted(bool Value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    Integer SelStart();
    void SetSelStart(Integer Value);
    Integer SelLength();
    void SetSelLength(Integer Value);
    AnsiString SelText();
    void SelectAll();
    void Clear();
    // The window of the drop-down list and of the edit (nullptr before the window exists).
    HWND ListHandle();
    HWND EditHandle();

    // What OnDrawItem draws on: the item's device context while an owner-drawn item is drawn.
    TCanvas* Canvas() const { return FItemCanvas.get(); }

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    // Draws an owner-drawn item on Canvas: OnDrawItem, or the item's text.
    virtual void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State);

private:
    std::unique_ptr<TCanvas> FItemCanvas;
    TComboBoxStyle FStyle = csDropDown;
    std::unique_ptr<TListControlStrings> FItems;
    Integer FDropDownCount = 8;
    Integer FItemHeight = 16;
    Integer FMaxLength = 0;
    TEditCharCase FCharCase = ecNormal;
};

class TComboBox : public TCustomComboBox {
public:
    using TCustomComboBox::TCustomComboBox;
};

// A list of items with one or, with MultiSelect, several selected (LISTBOX window); OnClick when
// the user changes the selection. Selected raises EListError for an index out of range.
class TCustomListBox : public TStandardWinControl {
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    Integer ItemIndex();
    void SetItemIndex(Integer Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value);
    bool Selected(Integer Index);
    void SetSelected(Integer Index, bool Value);
    Integer SelCount();
    bool Sorted() const { return FItems->Sorted; }
    void SetSorted(bool Value);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    Integer ItemHeight();
    void SetItemHeight(Integer Value);
    Integer TopIndex();
    void SetTopIndex(Integer Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // The item at a client point; -1 (or the last item past the end when Existing is false).
    Integer ItemAtPos(TPoint Pos, bool Existing);
    TRect ItemRect(Integer Index);
    void Clear();

    // What OnDrawItem draws on: the item's device context while an owner-drawn item is drawn.
    TCanvas* Canvas() const { return FItemCanvas.get(); }

    void WndProc(TMessage& Message) override;

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    // Draws an owner-drawn item on Canvas: OnDrawItem, or the item's text.
    virtual void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State);

private:
    std::unique_ptr<TCanvas> FItemCanvas;
    std::unique_ptr<TListControlStrings> FItems;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    TListBoxStyle FStyle = lbStandard;
    Integer FItemHeight = 16;
    TBorderStyle FBorderStyle = bsSingle;
};

class TListBox : public TCustomListBox {
public:
    using TCustomListBox::TCustomListBox;
};

// ---- TScrollBar ---------------------------------------------------------------------------------------

// A scroll bar control (SCROLLBAR window): OnScroll for each step of the user, OnChange when
// Position moves.
class TScrollBar : public TStandardWinControl {
public:
    explicit TScrollBar(TComponent* AOwner);

    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind Value);
    Integer Min() const { return FMin; }
    void SetMin(Integer Value) { SetParams(FPosition, Value, FMax); }
    Integer Max() const { return FMax; }
    void SetMax(Integer Value) { SetParams(FPosition, FMin, Value); }
    Integer Position() const { return FPosition; }
    void SetPosition(Integer Value) { SetParams(Value, FMin, FMax); }
    Integer PageSize() const { return FPageSize; }
    void SetPageSize(Integer Value);
    Integer SmallChange() const { return FSmallChange; }
    void SetSmallChange(Integer Value) { FSmallChange = Value; }
    Integer LargeChange() const { return FLargeChange; }
    void SetLargeChange(Integer Value) { FLargeChange = Value; }
    // Position within Min..Max - PageSize + 1; OnChange when it moves. Raises EInvalidOperation
    // "Scroll bar property out of range" when Max < Min.
    void SetParams(Integer APosition, Integer AMin, Integer AMax);

    void WndProc(TMessage& Message) override;

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void Change();
    virtual void Scroll(TScrollCode ScrollCode, Integer& ScrollPos);

private:
    void UpdateWindow();
    TScrollBarKind FKind = sbHorizontal;
    Integer FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
    Integer FSmallChange = 1, FLargeChange = 1;
};

inline constexpr const char* SScrollBarRange = "Scroll bar property out of range";
inline constexpr const char* SInsertLineError = "Unable to insert a line";

// A list window refused an item.
class EOutOfResources : public EOutOfMemory {
public:
    using EOutOfMemory::EOutOfMemory;
};
