#pragma once

// Wide-string lists: the UTF-16 counterpart of the platform's string list, used for the items of
// the Unicode combo boxes.

#include "RudUvud/support/VADEdit.h"
#include "RudUvud/support/daecombo.h"

#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Types.h"

#include <memory>

class TFiler;
class TReader;
class TWriter;
class TWideStrings;

// A locale identifier.
using LCID = DWORD;

// The platform string list on top of a wide-string list: strings are converted to and from the
// 8-bit code page on every access. Objects are not carried through this view.
class TAnsiStringsForWideStrings : public TStrings {
public:
    explicit TAnsiStringsForWideStrings(TWideStrings* AWideList) : WideList(AWideList) {}

    void Clear() override;
    void Delete(Integer Index) override;
    void Insert(Integer Index, const AnsiString& S) override;

    TWideStrings* WideList;

protected:
    AnsiString Get(Integer Index) const override;
    Integer GetCount() const override;
};

// The abstract list of wide strings with objects. It stores nothing itself: a descendant supplies
// the storage by implementing Get, GetCount, Clear, Delete and Insert, and may replace any other
// virtual operation. The list has no sorting of its own.
//
// Case-insensitive searches (IndexOf, IndexOfName) fold case by the platform's locale mapping;
// Equals compares exactly. Indexes are checked by the descendant.
class TWideStrings : public TPersistent {
    friend class TAnsiStringsForWideStrings;

public:
    TWideStrings();
    ~TWideStrings() override;

    void DefineProperties(TFiler* Filer) override;
    // From a TWideStrings (strings and objects) or a platform TStrings (strings converted, with
    // their objects); anything else is refused with the platform's assignment error.
    void Assign(TPersistent* Source) override;

    virtual Integer GetCapacity() const;
    virtual WideString GetTextStr() const;
    virtual void SetCapacity(Integer NewCapacity);
    virtual void SetTextStr(const WideString& Value);
    virtual void SetLanguage(LCID Value);
    virtual Integer Add(const WideString& S);
    virtual Integer AddObject(const WideString& S, TObject* AObject);
    virtual void AddStrings(TStrings* Strings);
    virtual void AddStrings(TWideStrings* Strings);
    virtual void Clear() = 0;
    virtual void Delete(Integer Index) = 0;
    virtual void Exchange(Integer Index1, Integer Index2);
    // A copy of the text form (the caller owns it; c_str() is zero-terminated).
    virtual WideString GetText() const;
    virtual Integer IndexOf(const WideString& S);
    virtual void Insert(Integer Index, const WideString& S) = 0;
    virtual void Move(Integer CurIndex, Integer NewIndex);
    // The text form of a zero-terminated text (nullptr reads as empty).
    virtual void SetText(const WideChar* Text);

    void BeginUpdate();
    void EndUpdate();
    Integer UpdateDepth() const { return FUpdateDepth; }
    void Append(const WideString& S) { Add(S); }
    void InsertObject(Integer Index, const WideString& S, TObject* AObject);
    Integer IndexOfObject(TObject* AObject);
    Integer IndexOfName(const WideString& Name);
    WideString GetName(Integer Index) const;
    WideString GetValue(const WideString& Name);
    // Replaces or adds "Name=Value"; an empty Value deletes the entry of that name.
    void SetValue(const WideString& Name, const WideString& Value);
    // Same count and identical strings (code unit by code unit).
    bool Equals(TWideStrings* Strings);
    // Raises EStringListError with Msg formatted with Data.
    [[noreturn]] void Error(const WideString& Msg, Integer Data) const;

    // Properties.
    WideString Strings(Integer Index) const { return Get(Index); }
    void SetStrings(Integer Index, const WideString& S) { Put(Index, S); }
    TObject* Objects(Integer Index) const { return GetObject(Index); }
    void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
    Integer Count() const { return GetCount(); }
    Integer Capacity() const { return GetCapacity(); }
    WideString Text() const { return GetTextStr(); }
    void SetText(const WideString& Value) { SetTextStr(Value); }
    WideString CommaText() const { return GetCommaText(); }
    void SetCommaText(const WideString& Value);
    WideString Names(Integer Index) const { return GetName(Index); }
    WideString Values(const WideString& Name) { return GetValue(Name); }
    void SetValues(const WideString& Name, const WideString& Value) { SetValue(Name, Value); }
    LCID Language() const { return FLanguage; }
    TStrings* AnsiStrings() const { return FAnsiStrings.get(); }
    // The ANSI view assigned from Value.
    void SetAnsiStrings(TStrings* Value);

protected:
    void AssignTo(TPersistent* Dest) override;

    virtual WideString Get(Integer Index) const = 0;
    virtual Integer GetCount() const = 0;
    virtual TObject* GetObject(Integer Index) const;
    // Keeps the object: reads it, deletes the entry and inserts S with it.
    virtual void Put(Integer Index, const WideString& S);
    virtual void PutObject(Integer Index, TObject* AObject);
    virtual void SetUpdateState(bool Updating);

    WideString GetCommaText() const;
    // Equal when the locale comparison ignoring case gives 0.
    bool SameString(const WideString& S1, const WideString& S2) const;

private:
    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);

    std::unique_ptr<TAnsiStringsForWideStrings> FAnsiStrings;
    Integer FUpdateDepth = 0;
    // The user's default locale.
    LCID FLanguage = 0x0400;
};

// ---- The Unicode window layer ------------------------------------------------------------------
//
// A control of the component library lives in a Unicode window: its window procedure is marked
// Unicode, so the window keeps UTF-16 text and answers wide messages, while the library, which
// reads and writes 8-bit (UTF-8) text, gets its text messages converted by the window layer. A
// hook object per window (TWinControlTrap) sits between the window, the library's message method
// and the window class's procedure:
//
//   window --RawProc--> library (ObjectProc first) --DefaultProc--> class procedure
//
// Characters above U+00FF are carried past the library's key handling masked: KeyPress sees
// #255, the window gets the real unit (or what a handler put in place of #255). An input-method
// result (WM_IME_COMPOSITION with GCS_RESULTSTR) becomes one wide WM_CHAR per UTF-16 unit.
// The wide text outlives the window (re-creation) in the control's TWideCaptionHolder.

class TWinControlTrap;

// Keeps a control's wide text while it has no window and across re-creation of its window.
class TWideCaptionHolder : public TComponent {
public:
    using TComponent::TComponent;
    WideString StoredText;
};

// The hook between a Unicode window, the library's message method and the class procedure. The
// thunks are plain procedures that find the hook through a window property.
class TWinControlTrap : public TObject {
public:
    TWinControlTrap(TWinControl* AControl, HWND AWindow);
    ~TWinControlTrap() override { *FAlive = false; }

    // What the window procedure sees: WM_DESTROY releases the window; an input-method result is
    // delivered here; every other message goes on to the library's procedure.
    LRESULT RawProc(UINT Msg, WPARAM WParam, LPARAM LParam);
    // The library's message method: masks WM_CHAR; text messages the library sent itself are sent
    // to the window with the 8-bit function, so the window layer converts them.
    void ObjectProc(TMessage& Message);
    // The control's default processing: unmasks WM_CHAR, then the class procedure.
    LRESULT DefaultProc(UINT Msg, WPARAM WParam, LPARAM LParam);
    LRESULT HandleDestroy(UINT Msg, WPARAM WParam, LPARAM LParam);

    WNDPROC RawProcThunk = nullptr;
    WNDPROC DefaultProcThunk = nullptr;
    TWinControl* Control = nullptr;
    HWND Window = nullptr;
    WNDPROC PreviousRawProc = nullptr;
    WNDPROC PreviousDefaultProc = nullptr;
    TWndMethod PreviousObjectProc;
    UINT RawMessageSeen = 0;

private:
    // The unit masked for the library's key handling, until the default processing has it back
    // (the library's key dispatch keeps only the low word).
    DWORD FMaskedUnit = 0;
    // A handler replaced or dropped a high surrogate: its low half is dropped too, so the window
    // never gets half a pair.
    bool FDropLowSurrogate = false;
    // False once the hook is gone: a key handler may destroy the window (and so this object).
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// A control that can create its window the library's way, for CreateWideWindow.
class IWideWindowControl {
public:
    virtual ~IWideWindowControl() = default;
    virtual void CreateLibraryWindowHandle(const TCreateParams& Params) = 0;
};

// Creates Control's window and makes it a Unicode window: the default procedure becomes that of
// the wide system class SystemClass ("EDIT", "COMBOBOX"; empty: the wide default procedure), the
// window is hooked and gets the caption holder's text.
void CreateWideWindow(TWinControl* Control, const TCreateParams& Params, const WideString& SystemClass);
// Saves the window's wide text in the caption holder unless the control is being destroyed, then
// unhooks the window.
void ReleaseWideWindow(TWinControl* Control);
// Install and remove the hook; both do nothing for a window that is not Unicode.
void HookWideWindow(TWinControl* Control);
void UnhookWideWindow(TWinControl* Control);
// The control's wide text: from its Unicode window, else from the caption holder.
WideString ReadWindowWideText(TWinControl* Control);
// Writes the wide text: to the Unicode window when it differs (then CM_TEXTCHANGED), else to the
// library's text and the caption holder.
void WriteWindowWideText(TWinControl* Control, const WideString& Text);
// The first caption holder the control owns; a new one with StoredText = Default when none.
TWideCaptionHolder* FindCaptionHolder(TWinControl* Control, const WideString& Default);
// An input-method result turned into wide WM_CHARs to Window; true when the message was taken.
bool DeliverImeResult(HWND Window, TMessage& Message);
// WM_CHAR only (EAssertionFailed otherwise). Masking moves a unit of 256 or above into the high
// word and leaves #255 in the low word (the high word must be free); unmasking puts the unit back
// when the low word is still #255 and clears the high word.
void MaskWideChar(TMessage& Message);
void UnmaskWideChar(TMessage& Message);
bool IsWindowTextMessage(UINT Msg);

// ---- Unicode edit and memo ---------------------------------------------------------------------

// The platform edit in a Unicode window, with a wide Text and SelText. The window counts its
// selection (SelStart, SelLength) in UTF-16 units.
class TCustomUNIEdit : public TCustomEdit, public IWideWindowControl {
public:
    explicit TCustomUNIEdit(TComponent* AOwner);

    WideString Text() { return ReadWindowWideText(this); }
    void SetText(const WideString& Value) { WriteWindowWideText(this, Value); }
    WideString GetSelText();
    void SetSelText(const WideString& Value);
    WideString SelText() { return GetSelText(); }

    void CreateLibraryWindowHandle(const TCreateParams& Params) override
    {
        TCustomEdit::CreateWindowHandle(Params);
    }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
};

class TVadUniEdit : public TCustomUNIEdit {
public:
    using TCustomUNIEdit::TCustomUNIEdit;

    TNotifyEvent OnStartDock;
    TNotifyEvent OnEndDock;
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }

private:
    bool FParentBiDiMode = true;
};

// The multi-line Unicode edit. TakeTabs and TakeReturns decide whether Tab and Enter are typed
// into it or left to the dialog.
class TVadUniCustomMemo : public TCustomUNIEdit {
public:
    explicit TVadUniCustomMemo(TComponent* AOwner) : TCustomUNIEdit(AOwner) {}

    TScrollStyle ScrollBars() const { return FScrollBarsValue; }
    void SetScrollBars(TScrollStyle Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool TakeReturns = false;
    bool TakeTabs = false;

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TScrollStyle FScrollBarsValue = ssNone;
    bool FWordWrap = false;
};

// The published memo: 200 x 100, no automatic size, no word wrap (also the declared default, so a
// memo set to wrap keeps that setting when stored).
class TVadUniMemo : public TVadUniCustomMemo {
public:
    explicit TVadUniMemo(TComponent* AOwner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value) { FBevelInner = Value; }
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value) { FBevelKind = Value; }
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value) { FBevelOuter = Value; }
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }

    TNotifyEvent OnStartDock;
    TNotifyEvent OnEndDock;

private:
    TBevelCut FBevelInner = bvRaised;
    TBevelKind FBevelKind = bkNone;
    TBevelCut FBevelOuter = bvLowered;
    bool FParentBiDiMode = true;
};

// ---- Unicode edit with button ------------------------------------------------------------------

// The edit with button on the Unicode edit: wide Text (empty at first), the text rectangle 3
// pixels short of the button and 2 pixels in without a border, F4 firing with Ctrl or Shift held
// (Alt+F4 is left to close the window). The grid connects OnClickBtn to its WideEllipsClick.
class TVadUniEditBtn : public TVadEditBtnBase<TCustomUNIEdit, true> {
public:
    using TVadEditBtnBase::TVadEditBtnBase;
};

// ---- Unicode combo boxes -----------------------------------------------------------------------

class TCustomUNIComboBox;

// The items of a Unicode combo box as wide strings, kept in its list window (wide CB_ messages);
// while the combo has no Unicode window, the platform combo's items converted.
class TComboBoxStrings : public TWideStrings {
public:
    explicit TComboBoxStrings(TCustomUNIComboBox* AOwnerCombo) : OwnerCombo(AOwnerCombo) {}

    // Raises EOutOfResources "Unable to insert a line" when the list refuses the item.
    Integer Add(const WideString& S) override;
    void Insert(Integer Index, const WideString& S) override;
    void Delete(Integer Index) override;
    // Empties the list; the typed text stays.
    void Clear() override;
    // The list window's exact, case-insensitive search.
    Integer IndexOf(const WideString& S) override;

    TCustomUNIComboBox* OwnerCombo;

protected:
    WideString Get(Integer Index) const override;
    Integer GetCount() const override;
    TObject* GetObject(Integer Index) const override;
    void PutObject(Integer Index, TObject* AObject) override;
    void SetUpdateState(bool Updating) override;

private:
    bool Unicode() const;
    HWND Wnd() const;
    TStrings* PlatformItems() const;
};

// The platform combo box in Unicode windows (the combo and its edit and list children): wide
// Text, SelText and Items. Characters typed into the edit child reach OnKeyPress masked as in
// the Unicode edit; Enter and Esc with the list open close it (Esc back to the item selected
// when it opened) without reaching the edit.
class TCustomUNIComboBox : public TCustomComboBox, public IWideWindowControl {
public:
    explicit TCustomUNIComboBox(TComponent* AOwner);
    ~TCustomUNIComboBox() override;

    TComboBoxStrings* Items() const { return FWideItems.get(); }
    void SetItems(TWideStrings* Value) { FWideItems->Assign(Value); }
    WideString Text() { return ReadWindowWideText(this); }
    void SetText(const WideString& Value) { WriteWindowWideText(this, Value); }
    WideString GetSelText();
    void SetSelText(const WideString& Value);
    WideString SelText() { return GetSelText(); }

    void WndProc(TMessage& Message) override;
    void CreateLibraryWindowHandle(const TCreateParams& Params) override
    {
        TCustomComboBox::CreateWindowHandle(Params);
    }
    // The messages of the edit and list children (ChildProc: their own procedure).
    virtual void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc);

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void KeyPress(WideChar& Key) override;
    // Every WM_CHAR of the edit child before the key is dispatched; nothing here.
    virtual void DoEditCharMsg(TMessage& Message) {}

private:
    void SubclassChild(HWND Child);
    std::unique_ptr<TComboBoxStrings> FWideItems;
    // Items kept while the window is re-created.
    std::vector<std::pair<WideString, TObject*>> FKeptItems;
    Integer FKeptIndex = -1;
    Integer FSelAtDrop = -1;
};

// The Unicode combo box with the flat look of the grid combo box (its Unicode variant).
class TDAEUniCustomCombo : public TDAEFlatCombo<TCustomUNIComboBox, true> {
public:
    using TDAEFlatCombo::TDAEFlatCombo;
};

class TDAEUniComboBox : public TDAEUniCustomCombo {
public:
    using TDAEUniCustomCombo::TDAEUniCustomCombo;

    TNotifyEvent OnStartDock;
    TNotifyEvent OnEndDock;
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value) { FParentBiDiMode = Value; }

private:
    bool FParentBiDiMode = true;
};
