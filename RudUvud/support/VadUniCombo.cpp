// The Unicode combo boxes (VadUni.h).

#include "RudUvud/support/VadUni.h"

namespace {

constexpr const char* ChildOwnerProperty = "UniComboBox.Owner";
constexpr const char* ChildProcProperty = "UniComboBox.Proc";

LRESULT UniComboChildProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto* Combo = static_cast<TCustomUNIComboBox*>(GetProp(Wnd, ChildOwnerProperty));
    auto Proc = reinterpret_cast<WNDPROC>(GetProp(Wnd, ChildProcProperty));
    if (!Combo || !Proc)
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    if (Msg == WM_NCDESTROY) {
        RemoveProp(Wnd, ChildOwnerProperty);
        RemoveProp(Wnd, ChildProcProperty);
        return CallWindowProcW(Proc, Wnd, Msg, WParam, LParam);
    }
    TMessage M{Msg, WParam, LParam, 0};
    Combo->ComboWndProc(M, Wnd, Proc);
    return M.Result;
}

} // namespace

// ---- TComboBoxStrings --------------------------------------------------------------------------

bool TComboBoxStrings::Unicode() const
{
    return OwnerCombo->HandleAllocated() && IsWindowUnicode(OwnerCombo->Handle());
}

HWND TComboBoxStrings::Wnd() const
{
    return OwnerCombo->Handle();
}

TStrings* TComboBoxStrings::PlatformItems() const
{
    return OwnerCombo->TCustomComboBox::Items();
}

Integer TComboBoxStrings::GetCount() const
{
    if (Unicode())
        return Integer(SendMessageW(Wnd(), CB_GETCOUNT, 0, 0));
    return PlatformItems()->Count();
}

WideString TComboBoxStrings::Get(Integer Index) const
{
    if (!Unicode())
        return AnsiToWide(PlatformItems()->Strings(Index));
    const LRESULT Len = SendMessageW(Wnd(), CB_GETLBTEXTLEN, WPARAM(Index), 0);
    if (Len < 0)
        return WideString();
    WideString S(std::size_t(Len) + 1, u'\0');
    const LRESULT Got = SendMessageW(Wnd(), CB_GETLBTEXT, WPARAM(Index), reinterpret_cast<LPARAM>(S.data()));
    if (Got < 0)
        return WideString();
    S.resize(S.find(u'\0'));
    return S;
}

TObject* TComboBoxStrings::GetObject(Integer Index) const
{
    if (Unicode())
        return reinterpret_cast<TObject*>(SendMessageW(Wnd(), CB_GETITEMDATA, WPARAM(Index), 0));
    return PlatformItems()->Objects(Index);
}

void TComboBoxStrings::PutObject(Integer Index, TObject* AObject)
{
    if (Unicode())
        SendMessageW(Wnd(), CB_SETITEMDATA, WPARAM(Index), reinterpret_cast<LPARAM>(AObject));
    else
        PlatformItems()->SetObjects(Index, AObject);
}

void TComboBoxStrings::SetUpdateState(bool Updating)
{
    if (Updating)
        PlatformItems()->BeginUpdate();
    else
        PlatformItems()->EndUpdate();
}

Integer TComboBoxStrings::Add(const WideString& S)
{
    if (!Unicode())
        return PlatformItems()->Add(WideToAnsi(S));
    const LRESULT Index = SendMessageW(Wnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
    if (Index < 0)
        throw EOutOfResources(SInsertLineError);
    return Integer(Index);
}

void TComboBoxStrings::Insert(Integer Index, const WideString& S)
{
    if (!Unicode()) {
        PlatformItems()->Insert(Index, WideToAnsi(S));
        return;
    }
    if (SendMessageW(Wnd(), CB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
        throw EOutOfResources(SInsertLineError);
}

void TComboBoxStrings::Delete(Integer Index)
{
    if (Unicode())
        SendMessageW(Wnd(), CB_DELETESTRING, WPARAM(Index), 0);
    else
        PlatformItems()->Delete(Index);
}

void TComboBoxStrings::Clear()
{
    const WideString Text = ReadWindowWideText(OwnerCombo);
    if (Unicode())
        SendMessageW(Wnd(), CB_RESETCONTENT, 0, 0);
    else
        PlatformItems()->Clear();
    WriteWindowWideText(OwnerCombo, Text);
    OwnerCombo->Update();
}

Integer TComboBoxStrings::IndexOf(const WideString& S)
{
    if (!Unicode())
        return PlatformItems()->IndexOf(WideToAnsi(S));
    return Integer(SendMessageW(Wnd(), CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

// ---- TCustomUNIComboBox ------------------------------------------------------------------------

TCustomUNIComboBox::TCustomUNIComboBox(TComponent* AOwner)
    : TCustomComboBox(AOwner), FWideItems(std::make_unique<TComboBoxStrings>(this))
{
    Font()->SetCharset(OEM_CHARSET);
}

TCustomUNIComboBox::~TCustomUNIComboBox() = default;

void TCustomUNIComboBox::CreateWindowHandle(const TCreateParams& Params)
{
    CreateWideWindow(this, Params, u"COMBOBOX");
}

void TCustomUNIComboBox::SubclassChild(HWND Child)
{
    if (!Child || GetProp(Child, ChildOwnerProperty))
        return;
    const LONG_PTR Old = GetWindowLongPtr(Child, GWLP_WNDPROC);
    SetProp(Child, ChildOwnerProperty, this);
    SetProp(Child, ChildProcProperty, reinterpret_cast<HANDLE>(Old));
    // Set with the wide function: the child becomes a Unicode window.
    SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UniComboChildProc));
}

void TCustomUNIComboBox::CreateWnd()
{
    // Items given while there was no window are added wide once the window is Unicode: the
    // platform list would send them as 8-bit text.
    std::vector<std::pair<WideString, TObject*>> Pending = std::move(FKeptItems);
    FKeptItems.clear();
    TStrings* Platform = TCustomComboBox::Items();
    for (Integer I = 0; I < Platform->Count(); ++I)
        Pending.emplace_back(AnsiToWide(Platform->Strings(I)), Platform->Objects(I));
    Platform->Clear();
    TCustomComboBox::CreateWnd();
    SubclassChild(ListHandle());
    SubclassChild(EditHandle());
    const WideString Text = ReadWindowWideText(this);
    for (const auto& [S, Object] : Pending)
        FWideItems->AddObject(S, Object);
    if (FKeptIndex >= 0)
        SetItemIndex(FKeptIndex);
    FKeptIndex = -1;
    if (Style() == csDropDown || Style() == csSimple)
        WriteWindowWideText(this, Text);
}

void TCustomUNIComboBox::DestroyWnd()
{
    if (HandleAllocated() && IsWindowUnicode(Handle())) {
        // The wide items and text are kept here and in the caption holder; the platform list
        // finds an empty window and keeps nothing in 8 bits.
        FKeptItems.clear();
        for (Integer I = 0; I < FWideItems->Count(); ++I)
            FKeptItems.emplace_back(FWideItems->Strings(I), FWideItems->Objects(I));
        FKeptIndex = ItemIndex();
        const WideString Text = ReadWindowWideText(this);
        SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
        WriteWindowWideText(this, Text);
        FindCaptionHolder(this, Text)->StoredText = Text;
    }
    TCustomComboBox::DestroyWnd();
}

WideString TCustomUNIComboBox::GetSelText()
{
    if (!HandleAllocated() || !IsWindowUnicode(Handle()))
        return AnsiToWide(TCustomComboBox::SelText());
    if (Style() != csDropDown && Style() != csSimple)
        return WideString();
    DWORD Start = 0, End = 0;
    SendMessageW(Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    const WideString All = Text();
    if (Start >= All.size() || End <= Start)
        return WideString();
    return All.substr(Start, End - Start);
}

void TCustomUNIComboBox::SetSelText(const WideString& Value)
{
    if (HandleAllocated() && !IsWindowUnicode(Handle())) {
        // The platform combo has no selected-text setter: replace through its edit.
        if (HWND Edit = EditHandle())
            SendMessage(Edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(WideToAnsi(Value).c_str()));
        return;
    }
    if (Style() != csDropDown && Style() != csSimple)
        return;
    HandleNeeded();
    if (HWND Edit = EditHandle())
        SendMessageW(Edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomUNIComboBox::KeyPress(WideChar& Key)
{
    if (Key == 8) {
        if (OnKeyPress)
            OnKeyPress(this, Key);
        return;
    }
    TCustomComboBox::KeyPress(Key);
}

void TCustomUNIComboBox::WndProc(TMessage& Message)
{
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == CBN_SELCHANGE) {
        const Integer Index = ItemIndex();
        SetText(Index >= 0 && Index < FWideItems->Count() ? FWideItems->Strings(Index) : WideString());
        Click();
        Change();
        return;
    }
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == CBN_DROPDOWN)
        FSelAtDrop = ItemIndex();
    TCustomComboBox::WndProc(Message);
}

void TCustomUNIComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc)
{
    const auto Own = [&] {
        Message.Result = CallWindowProcW(ComboProc, ComboWnd, Message.Msg, Message.WParam, Message.LParam);
    };
    if (!IsWindowUnicode(ComboWnd)) {
        if (Message.Msg == WM_CHAR)
            DoEditCharMsg(Message);
        Own();
        return;
    }
    try {
        if (IsWindowTextMessage(Message.Msg)) {
            Own();
            return;
        }
        if (Message.Msg == WM_CHAR) {
            MaskWideChar(Message);
            const WPARAM Masked = Message.WParam >> 16;
            DoEditCharMsg(Message);
            if (DoKeyPress(Message))
                return;
            // The key dispatch hands on the low word only.
            if ((Message.WParam >> 16) == 0)
                Message.WParam |= Masked << 16;
            UnmaskWideChar(Message);
            if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && DroppedDown()) {
                const Integer Before = FSelAtDrop;
                SetDroppedDown(false);
                if (Message.WParam == VK_ESCAPE && Before != ItemIndex()) {
                    SetItemIndex(Before);
                    SetText(Before >= 0 ? FWideItems->Strings(Before) : WideString());
                }
                return;
            }
            Own();
            return;
        }
        if (!DeliverImeResult(ComboWnd, Message))
            Own();
    } catch (...) {
        if (Application)
            Application->HandleException(this);
        else
            throw;
    }
}
