// The list controls: the strings of a list or combo box, TCustomComboBox and TCustomListBox.

#include "platform/forms/StdCtrls.h"
#include "platform/forms/StdCtrlsInternal.h"
#include "platform/rtl/Guards.h"

#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"

#include <algorithm>

using namespace stdctrls_internal;

namespace {

TOwnerDrawState OwnerDrawState(UINT ItemState)
{
    TOwnerDrawState State;
    if (ItemState & ODS_SELECTED)
        State.Include(odSelected);
    if (ItemState & ODS_GRAYED)
        State.Include(odGrayed);
    if (ItemState & ODS_DISABLED)
        State.Include(odDisabled);
    if (ItemState & ODS_CHECKED)
        State.Include(odChecked);
    if (ItemState & ODS_FOCUS)
        State.Include(odFocused);
    if (ItemState & ODS_DEFAULT)
        State.Include(odDefault);
    if (ItemState & ODS_COMBOBOXEDIT)
        State.Include(odComboBoxEdit);
    return State;
}

// An owner-drawn item of a list or combo box on the control's canvas: the control's font on its
// colour (the highlight colours for a selected item), then the item, then the focus rectangle.
// The window's device context is left as it was given.
template <class Draw>
void DrawOwnerItem(TCanvas* Canvas, TFont* Font, TColor Color, const DRAWITEMSTRUCT& Di, Draw DrawItem)
{
    const TOwnerDrawState State = OwnerDrawState(Di.itemState);
    const TRect R{Di.rcItem.Left, Di.rcItem.Top, Di.rcItem.Right, Di.rcItem.Bottom};
    const int Saved = SaveDC(Di.hDC);
    Canvas->SetHandle(Di.hDC);
    Canvas->Font()->Assign(Font);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    const bool Item = Integer(Di.itemID) >= 0;
    if (Item && State.Contains(odSelected)) {
        Canvas->Brush()->SetColor(clHighlight);
        Canvas->Font()->SetColor(clHighlightText);
    }
    TScopeExit PutBack([&] {
        Canvas->SetHandle(nullptr);
        RestoreDC(Di.hDC, Saved);
    });
    if (Item)
        DrawItem(Integer(Di.itemID), R, State);
    else
        Canvas->FillRect(R);
    if (State.Contains(odFocused))
        DrawFocusRect(Di.hDC, &Di.rcItem);
}

// A message to a list or combo box: a notification its window reflects (CN_COMMAND) goes to Notify
// with its code; CN_DRAWITEM draws the item with DrawItem on Canvas, CN_MEASUREITEM gives a
// variable-height item the height OnMeasureItem says (at least 1) when the control has one; other
// messages go on to the standard control.
template <class Control, class Notify, class Draw>
void ListControlMessage(Control* Self, TCanvas* Canvas, TColor Color, TMessage& Message, Notify OnNotify,
                        Draw DrawItem)
{
    if (Message.Msg == CN_COMMAND) {
        OnNotify(NotifyCode(Message));
    } else if (Message.Msg == CN_DRAWITEM) {
        DrawOwnerItem(Canvas, Self->Font(), Color, *reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam),
                      DrawItem);
        Message.Result = TRUE;
    } else if (Message.Msg == CN_MEASUREITEM && Self->OnMeasureItem) {
        auto* Mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        Integer H = Integer(Mi->itemHeight);
        Self->OnMeasureItem(Self, Integer(Mi->itemID), H);
        Mi->itemHeight = UINT(std::max(H, 1));
        Message.Result = TRUE;
    } else {
        Self->TStandardWinControl::WndProc(Message);
    }
}

// An owner-drawn item as the control draws it: OnDrawItem when set, else the item's text on the
// cleared rectangle.
void DrawListItem(TWinControl* Self, const TDrawItemEvent& OnDrawItem, TCanvas* Canvas, TStrings* Items,
                  Integer Index, const TRect& Rect, TOwnerDrawState State)
{
    if (OnDrawItem) {
        OnDrawItem(Self, Index, Rect, State);
        return;
    }
    Canvas->FillRect(Rect);
    if (Index < Items->Count())
        Canvas->TextOut(Rect.Left + 2, Rect.Top, Items->Strings(Index));
}

} // namespace

// ---- TListControlStrings -------------------------------------------------------------------------------

bool TListControlStrings::Live() const
{
    return FControl->HandleAllocated();
}

HWND TListControlStrings::Wnd() const
{
    return FControl->Handle();
}

AnsiString TListControlStrings::Get(Integer Index) const
{
    if (!Live()) {
        if (Index < 0 || Index >= Integer(FSaved.size()))
            Error("List index out of bounds (%d)", Index);
        return FSaved[std::size_t(Index)].first;
    }
    LRESULT Len = SendMessage(Wnd(), FMsg.TextLen, WPARAM(Index), 0);
    if (Len < 0)
        Error("List index out of bounds (%d)", Index);
    std::string S(std::size_t(Len) + 1, '\0');
    LRESULT Got = SendMessage(Wnd(), FMsg.Text, WPARAM(Index), reinterpret_cast<LPARAM>(S.data()));
    S.resize(std::size_t(std::clamp<LRESULT>(Got, 0, Len)));
    return S;
}

Integer TListControlStrings::GetCount() const
{
    return Live() ? Integer(SendMessage(Wnd(), FMsg.Count, 0, 0)) : Integer(FSaved.size());
}

TObject* TListControlStrings::GetObject(Integer Index) const
{
    if (!Live()) {
        if (Index < 0 || Index >= Integer(FSaved.size()))
            Error("List index out of bounds (%d)", Index);
        return FSaved[std::size_t(Index)].second;
    }
    LRESULT Data = SendMessage(Wnd(), FMsg.GetData, WPARAM(Index), 0);
    if (Data == -1 && (Index < 0 || Index >= GetCount()))
        Error("List index out of bounds (%d)", Index);
    return reinterpret_cast<TObject*>(Data);
}

void TListControlStrings::PutObject(Integer Index, TObject* AObject)
{
    if (!Live()) {
        if (Index < 0 || Index >= Integer(FSaved.size()))
            Error("List index out of bounds (%d)", Index);
        FSaved[std::size_t(Index)].second = AObject;
        return;
    }
    if (SendMessage(Wnd(), FMsg.SetData, WPARAM(Index), reinterpret_cast<LPARAM>(AObject)) < 0)
        Error("List index out of bounds (%d)", Index);
}

void TListControlStrings::Put(Integer Index, const AnsiString& S)
{
    TObject* Object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, Object);
}

Integer TListControlStrings::Add(const AnsiString& S)
{
    return AddObject(S, nullptr);
}

Integer TListControlStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    if (!Live()) {
        Integer At = Integer(FSaved.size());
        if (Sorted) {
            At = 0;
            while (At < Integer(FSaved.size()) && CompareText(FSaved[std::size_t(At)].first, S) <= 0)
                ++At;
        }
        FSaved.insert(FSaved.begin() + At, {S, AObject});
        return At;
    }
    LRESULT At = SendMessage(Wnd(), FMsg.Add, 0, Str(S));
    if (At < 0)
        throw EOutOfResources(SInsertLineError);
    if (AObject)
        SendMessage(Wnd(), FMsg.SetData, WPARAM(At), reinterpret_cast<LPARAM>(AObject));
    return Integer(At);
}

void TListControlStrings::Insert(Integer Index, const AnsiString& S)
{
    InsertObject(Index, S, nullptr);
}

void TListControlStrings::InsertObject(Integer Index, const AnsiString& S, TObject* AObject)
{
    if (!Live()) {
        if (Index < 0 || Index > Integer(FSaved.size()))
            Error("List index out of bounds (%d)", Index);
        FSaved.insert(FSaved.begin() + Index, {S, AObject});
        return;
    }
    LRESULT At = SendMessage(Wnd(), FMsg.Insert, WPARAM(Index), Str(S));
    if (At < 0)
        throw EOutOfResources(SInsertLineError);
    if (AObject)
        SendMessage(Wnd(), FMsg.SetData, WPARAM(At), reinterpret_cast<LPARAM>(AObject));
}

void TListControlStrings::Delete(Integer Index)
{
    if (!Live()) {
        if (Index < 0 || Index >= Integer(FSaved.size()))
            Error("List index out of bounds (%d)", Index);
        FSaved.erase(FSaved.begin() + Index);
        return;
    }
    if (SendMessage(Wnd(), FMsg.Delete, WPARAM(Index), 0) < 0)
        Error("List index out of bounds (%d)", Index);
}

void TListControlStrings::Clear()
{
    if (!Live()) {
        FSaved.clear();
        return;
    }
    SendMessage(Wnd(), FMsg.Reset, 0, 0);
}

Integer TListControlStrings::MoveToWindow()
{
    auto Items = std::move(FSaved);
    FSaved.clear();
    FPlaced.clear();
    for (auto& [S, Object] : Items)
        FPlaced.push_back(AddObject(S, Object));
    // A sorted window places later items before earlier ones: count those to know where each
    // item ended up.
    for (std::size_t I = 0; I < FPlaced.size(); ++I)
        for (std::size_t J = I + 1; J < FPlaced.size(); ++J)
            if (FPlaced[J] <= FPlaced[I])
                ++FPlaced[I];
    const Integer Selected = SavedIndex >= 0 ? IndexOfSaved(SavedIndex) : -1;
    SavedIndex = -1;
    return Selected;
}

Integer TListControlStrings::IndexOfSaved(Integer Index) const
{
    if (Index < 0 || Index >= Integer(FPlaced.size()))
        return Index;
    return FPlaced[std::size_t(Index)];
}

void TListControlStrings::SaveFromWindow(Integer Selected)
{
    if (!Live())
        return;
    std::vector<std::pair<AnsiString, TObject*>> Items;
    for (Integer I = 0, N = GetCount(); I < N; ++I)
        Items.emplace_back(Get(I), GetObject(I));
    FSaved = std::move(Items);
    SavedIndex = Selected;
}

bool TListControlStrings::SetSorted(bool Value)
{
    if (Sorted == Value)
        return false;
    Sorted = Value;
    return true;
}

// ---- TCustomComboBox -----------------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TStandardWinControl(AOwner), FItemCanvas(std::make_unique<TCanvas>()),
      FItems(std::make_unique<TListControlStrings>(
          this, TListControlStrings::Messages{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                              CB_GETCOUNT, CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_GETITEMDATA,
                                              CB_SETITEMDATA}))
{
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() = default;

void TCustomComboBox::CreateParams(TCreateParams& Params)
{
    static const DWORD Styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
    static const DWORD Cases[] = {0, CBS_UPPERCASE, CBS_LOWERCASE};
    RegisterStandardControlClasses();
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "COMBOBOX");
    Params.Style |= DWORD(WS_VSCROLL) | CBS_HASSTRINGS | CBS_AUTOHSCROLL | Styles[FStyle] | Cases[FCharCase];
    if (FItems->Sorted)
        Params.Style |= CBS_SORT;
}

void TCustomComboBox::CreateWnd()
{
    TWinControl::CreateWnd();
    const Integer Selected = FItems->MoveToWindow();
    SendMessage(FHandle, CB_SETMINVISIBLE, WPARAM(std::max(FDropDownCount, 1)), 0);
    if (FMaxLength > 0)
        SendMessage(FHandle, CB_LIMITTEXT, WPARAM(FMaxLength), 0);
    if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
        SendMessage(FHandle, CB_SETITEMHEIGHT, 0, FItemHeight);
    if (Selected >= 0)
        SendMessage(FHandle, CB_SETCURSEL, WPARAM(Selected), 0);
}

void TCustomComboBox::DestroyWnd()
{
    if (HandleAllocated())
        FItems->SaveFromWindow(ItemIndex());
    TWinControl::DestroyWnd();
}

Integer TCustomComboBox::ItemIndex()
{
    return HandleAllocated() ? Integer(SendMessage(FHandle, CB_GETCURSEL, 0, 0)) : FItems->SavedIndex;
}

void TCustomComboBox::SetItemIndex(Integer Value)
{
    if (HandleAllocated())
        SendMessage(FHandle, CB_SETCURSEL, WPARAM(Value), 0);
    else
        FItems->SavedIndex = Value;
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value)
{
    if (FStyle != Value) {
        FStyle = Value;
        RecreateWnd();
    }
}

void TCustomComboBox::SetDropDownCount(Integer Value)
{
    FDropDownCount = Value;
    if (HandleAllocated())
        SendMessage(FHandle, CB_SETMINVISIBLE, WPARAM(std::max(Value, 1)), 0);
}

bool TCustomComboBox::DroppedDown()
{
    return HandleAllocated() && SendMessage(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value)
{
    SendMessage(Handle(), CB_SHOWDROPDOWN, Value ? TRUE : FALSE, 0);
}

Integer TCustomComboBox::ItemHeight()
{
    if (HandleAllocated())
        return Integer(SendMessage(FHandle, CB_GETITEMHEIGHT, 0, 0));
    return FItemHeight;
}

void TCustomComboBox::SetItemHeight(Integer Value)
{
    if (Value <= 0)
        return;
    FItemHeight = Value;
    if (HandleAllocated() && (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable))
        SendMessage(FHandle, CB_SETITEMHEIGHT, 0, Value);
}

void TCustomComboBox::SetMaxLength(Integer Value)
{
    FMaxLength = std::max(Value, 0);
    if (HandleAllocated())
        SendMessage(FHandle, CB_LIMITTEXT, WPARAM(FMaxLength), 0);
}

void TCustomComboBox::SetSorted(bool Value)
{
    if (FItems->SetSorted(Value))
        RecreateWnd();
}

void TCustomComboBox::SetCharCase(TEditCharCase Value)
{
    if (FCharCase != Value) {
        FCharCase = Value;
        RecreateWnd();
    }
}

Integer TCustomComboBox::SelStart()
{
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    return Integer(Start);
}

void TCustomComboBox::SetSelStart(Integer Value)
{
    SendMessage(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

Integer TCustomComboBox::SelLength()
{
    DWORD Start = 0, End = 0;
    SendMessage(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    return Integer(End) - Integer(Start);
}

void TCustomComboBox::SetSelLength(Integer Value)
{
    Integer Start = SelStart();
    SendMessage(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(Start, Start + Value));
}

AnsiString TCustomComboBox::SelText()
{
    Integer Start = SelStart(), Length = SelLength();
    AnsiString Text = GetText();
    Start = std::clamp<Integer>(Start, 0, Integer(Text.size()));
    return Text.substr(std::size_t(Start),
                       std::size_t(std::clamp<Integer>(Length, 0, Integer(Text.size()) - Start)));
}

void TCustomComboBox::SelectAll()
{
    SendMessage(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TCustomComboBox::Clear()
{
    SetText("");
    FItems->Clear();
    FItems->SavedIndex = -1;
}

HWND TCustomComboBox::ListHandle()
{
    COMBOBOXINFO Info;
    return HandleAllocated() && GetComboBoxInfo(FHandle, &Info) ? Info.hwndList : nullptr;
}

HWND TCustomComboBox::EditHandle()
{
    COMBOBOXINFO Info;
    if (!HandleAllocated() || !GetComboBoxInfo(FHandle, &Info) || Info.hwndItem == FHandle)
        return nullptr;
    return Info.hwndItem;
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomComboBox::Select()
{
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown)
        OnDropDown(this);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp)
        OnCloseUp(this);
}

void TCustomComboBox::WndProc(TMessage& Message)
{
    const auto Notify = [this](WORD Code) {
        if (Code == CBN_DBLCLK)
            DblClick();
        else if (Code == CBN_EDITCHANGE)
            Change();
        else if (Code == CBN_DROPDOWN)
            DropDown();
        else if (Code == CBN_CLOSEUP)
            CloseUp();
        else if (Code == CBN_SELCHANGE) {
            Click();
            Select();
        }
    };
    ListControlMessage(
        this, FItemCanvas.get(), FColor, Message, Notify,
        [this](Integer Index, const TRect& R, TOwnerDrawState State) { DrawItem(Index, R, State); });
}

void TCustomComboBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
    DrawListItem(this, OnDrawItem, FItemCanvas.get(), FItems.get(), Index, Rect, State);
}

// ---- TCustomListBox -------------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TStandardWinControl(AOwner), FItemCanvas(std::make_unique<TCanvas>()),
      FItems(std::make_unique<TListControlStrings>(
          this, TListControlStrings::Messages{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                              LB_GETCOUNT, LB_GETTEXT, LB_GETTEXTLEN, LB_GETITEMDATA,
                                              LB_SETITEMDATA}))
{
    FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::CreateParams(TCreateParams& Params)
{
    static const DWORD Styles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE};
    RegisterStandardControlClasses();
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "LISTBOX");
    Params.Style |= DWORD(WS_VSCROLL) | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | Styles[FStyle];
    if (FItems->Sorted)
        Params.Style |= LBS_SORT;
    if (FMultiSelect)
        Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    const Integer Selected = FItems->MoveToWindow();
    if (FStyle != lbStandard)
        SendMessage(FHandle, LB_SETITEMHEIGHT, 0, FItemHeight);
    if (Selected >= 0)
        SetItemIndex(Selected);
}

void TCustomListBox::DestroyWnd()
{
    if (HandleAllocated())
        FItems->SaveFromWindow(ItemIndex());
    TWinControl::DestroyWnd();
}

Integer TCustomListBox::ItemIndex()
{
    if (!HandleAllocated())
        return FItems->SavedIndex;
    return Integer(SendMessage(FHandle, FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(Integer Value)
{
    if (!HandleAllocated()) {
        FItems->SavedIndex = Value;
        return;
    }
    if (FMultiSelect)
        SendMessage(FHandle, LB_SETCARETINDEX, WPARAM(Value), FALSE);
    else
        SendMessage(FHandle, LB_SETCURSEL, WPARAM(Value), 0);
}

void TCustomListBox::SetMultiSelect(bool Value)
{
    if (FMultiSelect != Value) {
        FMultiSelect = Value;
        RecreateWnd();
    }
}

void TCustomListBox::SetExtendedSelect(bool Value)
{
    if (FExtendedSelect != Value) {
        FExtendedSelect = Value;
        RecreateWnd();
    }
}

bool TCustomListBox::Selected(Integer Index)
{
    LRESULT R = SendMessage(Handle(), LB_GETSEL, WPARAM(Index), 0);
    if (R < 0)
        throw EListError(Format("List index out of bounds (%d)", {Index}));
    return R > 0;
}

void TCustomListBox::SetSelected(Integer Index, bool Value)
{
    if (FMultiSelect) {
        if (SendMessage(Handle(), LB_SETSEL, Value ? TRUE : FALSE, LPARAM(Index)) < 0)
            throw EListError(Format("List index out of bounds (%d)", {Index}));
    } else if (Value) {
        SetItemIndex(Index);
    } else if (ItemIndex() == Index) {
        SetItemIndex(-1);
    }
}

Integer TCustomListBox::SelCount()
{
    return Integer(SendMessage(Handle(), LB_GETSELCOUNT, 0, 0));
}

void TCustomListBox::SetSorted(bool Value)
{
    if (FItems->SetSorted(Value))
        RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle Value)
{
    if (FStyle != Value) {
        FStyle = Value;
        RecreateWnd();
    }
}

Integer TCustomListBox::ItemHeight()
{
    return HandleAllocated() ? Integer(SendMessage(FHandle, LB_GETITEMHEIGHT, 0, 0)) : FItemHeight;
}

void TCustomListBox::SetItemHeight(Integer Value)
{
    if (Value <= 0)
        return;
    FItemHeight = Value;
    if (HandleAllocated() && FStyle != lbStandard)
        SendMessage(FHandle, LB_SETITEMHEIGHT, 0, Value);
}

Integer TCustomListBox::TopIndex()
{
    return Integer(SendMessage(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(Integer Value)
{
    SendMessage(Handle(), LB_SETTOPINDEX, WPARAM(Value), 0);
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle != Value) {
        FBorderStyle = Value;
        RecreateWnd();
    }
}

Integer TCustomListBox::ItemAtPos(TPoint Pos, bool Existing)
{
    Integer Count = FItems->Count();
    LRESULT R = SendMessage(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(Pos.X, Pos.Y));
    if (Count == 0 || HIWORD(R))
        return Existing ? -1 : Count;
    return LOWORD(R);
}

TRect TCustomListBox::ItemRect(Integer Index)
{
    RECT R{};
    SendMessage(Handle(), LB_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&R));
    return R;
}

void TCustomListBox::Clear()
{
    FItems->Clear();
}

void TCustomListBox::WndProc(TMessage& Message)
{
    // A double click on the list is the control's own window's (TControl answers it), so
    // LBN_DBLCLK, which reports the same double click, is left alone.
    const auto Notify = [this](WORD Code) {
        if (Code == LBN_SELCHANGE)
            Click();
    };
    ListControlMessage(
        this, FItemCanvas.get(), FColor, Message, Notify,
        [this](Integer Index, const TRect& R, TOwnerDrawState State) { DrawItem(Index, R, State); });
}

void TCustomListBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
    DrawListItem(this, OnDrawItem, FItemCanvas.get(), FItems.get(), Index, Rect, State);
}
