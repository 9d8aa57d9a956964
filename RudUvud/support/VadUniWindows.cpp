// The Unicode window layer and the Unicode edit and memo (VadUni.h).

#include "RudUvud/support/VadUni.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Imm.h"

#include <unistd.h>

namespace {

// The name of the window property that links a hooked window to its hook object.
const AnsiString& TrapPropertyName()
{
    static const AnsiString Name = "WinControlTrap.UnicodeClass." + std::to_string(getpid());
    return Name;
}

TWinControlTrap* TrapOf(HWND Wnd)
{
    return static_cast<TWinControlTrap*>(GetProp(Wnd, TrapPropertyName().c_str()));
}

LRESULT TrapRawProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (TWinControlTrap* Trap = TrapOf(Wnd))
        return Trap->RawProc(Msg, WParam, LParam);
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

LRESULT TrapDefaultProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (TWinControlTrap* Trap = TrapOf(Wnd))
        return Trap->DefaultProc(Msg, WParam, LParam);
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

bool IsHighSurrogate(DWORD U)
{
    return U >= 0xD800 && U <= 0xDBFF;
}

bool IsLowSurrogate(DWORD U)
{
    return U >= 0xDC00 && U <= 0xDFFF;
}

bool IsUnicodeWindowOf(TWinControl* Control)
{
    return Control->HandleAllocated() && IsWindowUnicode(Control->Handle());
}

} // namespace

// ---- The hook object ---------------------------------------------------------------------------

TWinControlTrap::TWinControlTrap(TWinControl* AControl, HWND AWindow)
    : RawProcThunk(TrapRawProc), DefaultProcThunk(TrapDefaultProc), Control(AControl), Window(AWindow)
{
}

LRESULT TWinControlTrap::RawProc(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_DESTROY)
        return HandleDestroy(Msg, WParam, LParam);
    TMessage M{Msg, WParam, LParam, 0};
    if (DeliverImeResult(Window, M))
        return M.Result;
    RawMessageSeen = Msg;
    return CallWindowProcW(PreviousRawProc, Window, Msg, WParam, LParam);
}

void TWinControlTrap::ObjectProc(TMessage& Message)
{
    const bool FromWindow = RawMessageSeen != 0;
    RawMessageSeen = 0;
    if (FromWindow || !IsWindowTextMessage(Message.Msg)) {
        if (Message.Msg == WM_CHAR) {
            if (FDropLowSurrogate && IsLowSurrogate(DWORD(Message.WParam & 0xFFFF))) {
                FDropLowSurrogate = false;
                return;
            }
            FDropLowSurrogate = false;
            MaskWideChar(Message);
            FMaskedUnit = DWORD(Message.WParam >> 16);
            const DWORD Masked = FMaskedUnit;
            const std::shared_ptr<bool> Alive = FAlive;
            PreviousObjectProc(Message);
            if (!*Alive)
                return;
            // Not handed to the default processing (a handler took the key): a high surrogate
            // so dropped takes its low half with it.
            if (FMaskedUnit != 0 && IsHighSurrogate(Masked))
                FDropLowSurrogate = true;
            FMaskedUnit = 0;
            return;
        }
        PreviousObjectProc(Message);
        return;
    }
    Message.Result = SendMessage(Window, Message.Msg, Message.WParam, Message.LParam);
}

LRESULT TWinControlTrap::DefaultProc(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_CHAR) {
        TMessage M{Msg, WParam, LParam, 0};
        // The library's key dispatch hands on the low word only: the masked unit comes from here.
        if ((M.WParam >> 16) == 0 && FMaskedUnit != 0)
            M.WParam = (M.WParam & 0xFFFF) | (WPARAM(FMaskedUnit) << 16);
        const DWORD Masked = FMaskedUnit;
        FMaskedUnit = 0;
        UnmaskWideChar(M);
        if (IsHighSurrogate(Masked) && DWORD(M.WParam) != Masked)
            FDropLowSurrogate = true;
        WParam = M.WParam;
    }
    return CallWindowProcW(PreviousDefaultProc, Window, Msg, WParam, LParam);
}

LRESULT TWinControlTrap::HandleDestroy(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    const WNDPROC Proc = PreviousRawProc;
    const HWND Wnd = Window;
    ReleaseWideWindow(Control); // frees this object
    return CallWindowProc(Proc, Wnd, Msg, WParam, LParam);
}

// ---- Layer operations --------------------------------------------------------------------------

void CreateWideWindow(TWinControl* Control, const TCreateParams& Params, const WideString& SystemClass)
{
    auto* Host = dynamic_cast<IWideWindowControl*>(Control);
    if (!Host)
        throw EAssertionFailed("Assertion failure (VadUni)");
    Host->CreateLibraryWindowHandle(Params);
    if (!Control->HandleAllocated())
        return;
    const HWND Wnd = Control->Handle();
    WNDCLASSW Wc{};
    if (!SystemClass.empty() && GetClassInfoW(nullptr, SystemClass.c_str(), &Wc))
        Control->SetDefWndProc(Wc.lpfnWndProc);
    else
        Control->SetDefWndProc(DefWindowProcW);
    // Written back with the wide function: the window's procedure is now a Unicode one.
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, GetWindowLongPtr(Wnd, GWLP_WNDPROC));
    HookWideWindow(Control);
    TWideCaptionHolder* Holder = FindCaptionHolder(Control, AnsiToWide(Params.Caption));
    WriteWindowWideText(Control, Holder->StoredText);
}

void ReleaseWideWindow(TWinControl* Control)
{
    if (!Control->ComponentState().Contains(csDestroying) && IsUnicodeWindowOf(Control))
        FindCaptionHolder(Control, WideString())->StoredText = ReadWindowWideText(Control);
    UnhookWideWindow(Control);
}

void HookWideWindow(TWinControl* Control)
{
    if (!IsUnicodeWindowOf(Control))
        return;
    const HWND Wnd = Control->Handle();
    auto* Trap = New<TWinControlTrap>(Control, Wnd);
    SetProp(Wnd, TrapPropertyName().c_str(), Trap);
    Trap->PreviousRawProc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(Wnd, GWLP_WNDPROC));
    Trap->PreviousDefaultProc = Control->DefWndProc();
    Trap->PreviousObjectProc = Control->WindowProc();
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Trap->RawProcThunk));
    Control->SetDefWndProc(Trap->DefaultProcThunk);
    Control->SetWindowProc([Trap](TMessage& Message) { Trap->ObjectProc(Message); });
}

void UnhookWideWindow(TWinControl* Control)
{
    if (!Control->HandleAllocated())
        return;
    const HWND Wnd = Control->Handle();
    auto* Trap = static_cast<TWinControlTrap*>(RemoveProp(Wnd, TrapPropertyName().c_str()));
    if (!Trap)
        return;
    Control->SetWindowProc(Trap->PreviousObjectProc);
    Control->SetDefWndProc(Trap->PreviousDefaultProc);
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Trap->PreviousRawProc));
    Trap->Free();
}

WideString ReadWindowWideText(TWinControl* Control)
{
    if (IsUnicodeWindowOf(Control)) {
        const HWND Wnd = Control->Handle();
        WideString S(std::size_t(std::max(GetWindowTextLengthW(Wnd), 0)) + 1, u'\0');
        const int Got = GetWindowTextW(Wnd, S.data(), int(S.size()));
        S.resize(std::size_t(std::clamp(Got, 0, int(S.size()) - 1)));
        return S;
    }
    const WideString Converted = AnsiToWide(Control->Text());
    return FindCaptionHolder(Control, Converted)->StoredText;
}

void WriteWindowWideText(TWinControl* Control, const WideString& Text)
{
    if (IsUnicodeWindowOf(Control)) {
        if (ReadWindowWideText(Control) != Text) {
            SetWindowTextW(Control->Handle(), Text.c_str());
            Control->Perform(CM_TEXTCHANGED, 0, 0);
        }
        return;
    }
    Control->SetText(WideToAnsi(Text));
    FindCaptionHolder(Control, Text)->StoredText = Text;
}

TWideCaptionHolder* FindCaptionHolder(TWinControl* Control, const WideString& Default)
{
    for (Integer I = 0; I < Control->ComponentCount(); ++I)
        if (auto* Holder = dynamic_cast<TWideCaptionHolder*>(Control->Components(I)))
            return Holder;
    auto* Holder = New<TWideCaptionHolder>(Control);
    Holder->StoredText = Default;
    return Holder;
}

bool DeliverImeResult(HWND Window, TMessage& Message)
{
    if (Message.Msg != WM_IME_COMPOSITION || !(DWORD(Message.LParam) & GCS_RESULTSTR))
        return false;
    HIMC Context = ImmGetContext(Window);
    if (!Context)
        return false;
    const LONG Bytes = ImmGetCompositionStringW(Context, GCS_RESULTSTR, nullptr, 0);
    WideString Units(std::size_t(std::max<LONG>(Bytes, 0)) / 2, u'\0');
    if (!Units.empty())
        ImmGetCompositionStringW(Context, GCS_RESULTSTR, Units.data(), DWORD(Units.size() * 2));
    ImmReleaseContext(Window, Context);
    for (WideChar U : Units)
        if (IsWindow(Window))
            SendMessageW(Window, WM_CHAR, WPARAM(U), 1);
    Message.Result = 0;
    return true;
}

void MaskWideChar(TMessage& Message)
{
    if (Message.Msg != WM_CHAR || (Message.WParam >> 16) != 0)
        throw EAssertionFailed("Assertion failure (VadUni)");
    const WPARAM Unit = Message.WParam & 0xFFFF;
    if (Unit >= 256)
        Message.WParam = (Unit << 16) | 255;
}

void UnmaskWideChar(TMessage& Message)
{
    if (Message.Msg != WM_CHAR)
        throw EAssertionFailed("Assertion failure (VadUni)");
    const WPARAM High = (Message.WParam >> 16) & 0xFFFF;
    WPARAM Low = Message.WParam & 0xFFFF;
    if (High != 0 && Low == 255)
        Low = High;
    Message.WParam = Low;
}

bool IsWindowTextMessage(UINT Msg)
{
    return Msg == WM_SETTEXT || Msg == WM_GETTEXT || Msg == WM_GETTEXTLENGTH;
}

// ---- TCustomUNIEdit ----------------------------------------------------------------------------

TCustomUNIEdit::TCustomUNIEdit(TComponent* AOwner) : TCustomEdit(AOwner)
{
    Font()->SetCharset(OEM_CHARSET);
}

void TCustomUNIEdit::CreateWindowHandle(const TCreateParams& Params)
{
    CreateWideWindow(this, Params, u"EDIT");
}

WideString TCustomUNIEdit::GetSelText()
{
    if (!IsUnicodeWindowOf(this))
        return AnsiToWide(TCustomEdit::SelText());
    const WideString All = Text();
    const auto Start = std::size_t(std::clamp<Integer>(SelStart(), 0, Integer(All.size())));
    return All.substr(Start, std::size_t(std::max<Integer>(SelLength(), 0)));
}

void TCustomUNIEdit::SetSelText(const WideString& Value)
{
    if (!IsUnicodeWindowOf(this)) {
        TCustomEdit::SetSelText(WideToAnsi(Value));
        return;
    }
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Value.c_str()));
}

// ---- TVadUniCustomMemo / TVadUniMemo -----------------------------------------------------------

void TVadUniCustomMemo::SetScrollBars(TScrollStyle Value)
{
    if (FScrollBarsValue == Value)
        return;
    FScrollBarsValue = Value;
    RecreateWnd();
}

void TVadUniCustomMemo::SetWordWrap(bool Value)
{
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    RecreateWnd();
}

void TVadUniCustomMemo::CreateParams(TCreateParams& Params)
{
    static const DWORD ScrollStyles[] = {0, WS_HSCROLL, WS_VSCROLL, DWORD(WS_HSCROLL) | DWORD(WS_VSCROLL)};
    TCustomUNIEdit::CreateParams(Params);
    if (FWordWrap)
        Params.Style &= ~DWORD(ES_AUTOHSCROLL);
    Params.Style |= DWORD(ES_MULTILINE) | ScrollStyles[FScrollBarsValue];
}

void TVadUniCustomMemo::WndProc(TMessage& Message)
{
    TCustomUNIEdit::WndProc(Message);
    if (Message.Msg != WM_GETDLGCODE)
        return;
    if (TakeTabs)
        Message.Result |= DLGC_WANTTAB;
    else
        Message.Result &= ~LRESULT(DLGC_WANTTAB);
    if (!TakeReturns)
        Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
}

TVadUniMemo::TVadUniMemo(TComponent* AOwner) : TVadUniCustomMemo(AOwner)
{
    SetBounds(Left(), Top(), 200, 100);
    SetAutoSize(false);
}
