#include "platform/forms/Menus.h"
#include "platform/rtl/Guards.h"

#include "platform/rtl/Format.h"
#include "platform/win/Colors.h"

#include <algorithm>

// ---- TMenuItem --------------------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    if (FParent)
        FParent->Remove(this);
    while (!FItems.empty()) {
        TMenuItem* Child = FItems.back();
        FItems.pop_back();
        Child->FParent = nullptr;
        Child->Free();
    }
}

void TMenuItem::SetChecked(bool Value)
{
    FChecked = Value;
    if (Value && FRadioItem && FParent)
        for (TMenuItem* Sibling : FParent->FItems)
            if (Sibling != this && Sibling->FRadioItem && Sibling->FGroupIndex == FGroupIndex)
                Sibling->FChecked = false;
}

void TMenuItem::Add(TMenuItem* Item)
{
    Insert(Count(), Item);
}

void TMenuItem::Insert(Integer Index, TMenuItem* Item)
{
    if (!Item || Item == this)
        return;
    if (Item->FParent)
        Item->FParent->Remove(Item);
    if (Index < 0 || Index > Count())
        throw EListError(Format("List index out of bounds (%d)", {Index}));
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
}

void TMenuItem::Delete(Integer Index)
{
    TMenuItem* Item = Items(Index);
    FItems.erase(FItems.begin() + Index);
    Item->FParent = nullptr;
}

void TMenuItem::Remove(TMenuItem* Item)
{
    Integer I = IndexOf(Item);
    if (I >= 0)
        Delete(I);
}

void TMenuItem::Clear()
{
    while (!FItems.empty()) {
        TMenuItem* Child = FItems.back();
        FItems.pop_back();
        Child->FParent = nullptr;
        Child->Free();
    }
}

TMenuItem* TMenuItem::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {Index}));
    return FItems[std::size_t(Index)];
}

Integer TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : Integer(It - FItems.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& ACaption) const
{
    auto Strip = [](AnsiString S) {
        S.erase(std::remove(S.begin(), S.end(), '&'), S.end());
        return S;
    };
    for (TMenuItem* Item : FItems)
        if (Strip(Item->FCaption) == Strip(ACaption))
            return Item;
    return nullptr;
}

void TMenuItem::Click()
{
    if (!FEnabled)
        return;
    if (FAutoCheck)
        SetChecked(!FChecked);
    if (OnClick)
        OnClick(this);
}

// ---- TMenu
// -------------------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(New<TMenuItem>(nullptr)) {}

TMenu::~TMenu()
{
    FItems->Free();
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut Value) const
{
    if (Value == scNone)
        return nullptr;
    std::vector<TMenuItem*> Stack{FItems};
    while (!Stack.empty()) {
        TMenuItem* Item = Stack.back();
        Stack.pop_back();
        for (Integer I = 0; I < Item->Count(); ++I) {
            TMenuItem* Child = Item->Items(I);
            if (Child->ShortCut() == Value)
                return Child;
            Stack.push_back(Child);
        }
    }
    return nullptr;
}

bool TMenu::IsShortCut(TWMKey& Message)
{
    TShortCut Key =
        ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData) +
                                       (GetKeyState(VK_SHIFT) < 0 ? TShiftState{ssShift} : TShiftState{}) +
                                       (GetKeyState(VK_CONTROL) < 0 ? TShiftState{ssCtrl} : TShiftState{}));
    TMenuItem* Item = FindItemByShortCut(Key);
    // Every item on the way must be usable.
    for (TMenuItem* P = Item; P && P != FItems; P = P->Parent())
        if (!P->Enabled() || !P->Visible())
            return false;
    if (!Item)
        return false;
    Item->Click();
    return true;
}

// ---- The popup window -------------------------------------------------------------------------------------

namespace {

constexpr Integer kItemHeight = 20;
constexpr Integer kLineHeight = 8;
constexpr Integer kCheckColumn = 20;
constexpr Integer kArrowColumn = 16;
constexpr Integer kBorder = 2;

struct MenuTracker;

// One level of an open menu: a popup that lists the visible children of an item.
class TMenuWindow : public TCustomControl {
public:
    TMenuWindow(MenuTracker* ATracker, TMenuItem* AItem)
        : TCustomControl(nullptr), Tracker(ATracker), Item(AItem)
    {
        FVisible = false;
        FColor = clMenu;
        FBrush->SetColor(FColor);
        FParentFont = false;
        for (Integer I = 0; I < Item->Count(); ++I)
            if (Item->Items(I)->Visible())
                Rows.push_back(Item->Items(I));
    }

    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP | WS_BORDER;
        Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
        Params.WndParent = nullptr;
    }

    Integer RowHeight(Integer I) const { return Rows[std::size_t(I)]->IsLine() ? kLineHeight : kItemHeight; }

    TSize Measure()
    {
        const TOwnedDC Owned(CreateMeasuringDC());
        HDC Dc = Owned.get();
        const TSelectObject Selected(Dc, Font()->Handle());
        Integer TextW = 0, KeyW = 0, H = 0;
        for (Integer I = 0; I < Integer(Rows.size()); ++I) {
            H += RowHeight(I);
            if (Rows[std::size_t(I)]->IsLine())
                continue;
            RECT R{0, 0, 0, 0};
            const AnsiString& C = Rows[std::size_t(I)]->Caption();
            DrawText(Dc, C.c_str(), int(C.size()), &R, DT_CALCRECT | DT_SINGLELINE);
            TextW = std::max<Integer>(TextW, R.Right);
            AnsiString K = ShortCutToText(Rows[std::size_t(I)]->ShortCut());
            if (!K.empty()) {
                SIZE S{};
                GetTextExtentPoint32(Dc, K.c_str(), int(K.size()), &S);
                KeyW = std::max<Integer>(KeyW, S.cx);
            }
        }
        return TSize{kCheckColumn + TextW + (KeyW ? KeyW + 24 : 8) + kArrowColumn + 2 * kBorder,
                     std::max<Integer>(H, kItemHeight) + 2 * kBorder};
    }

    TRect RowRect(Integer Index) const
    {
        Integer Y = kBorder - 1;
        for (Integer I = 0; I < Index; ++I)
            Y += RowHeight(I);
        return TRect{kBorder - 1, Y, FWidth - 2 * kBorder + 1, Y + RowHeight(Index)};
    }

    Integer RowAt(TPoint P) const
    {
        for (Integer I = 0; I < Integer(Rows.size()); ++I) {
            TRect R = RowRect(I);
            if (P.Y >= R.Top && P.Y < R.Bottom && P.X >= 0 && P.X < FWidth)
                return I;
        }
        return -1;
    }

    void SetHot(Integer I)
    {
        if (I == Hot)
            return;
        Hot = I;
        Invalidate();
    }

    void Paint() override
    {
        TCanvas* C = Canvas();
        C->Brush()->SetColor(clMenu);
        C->FillRect(ClientRect());
        C->SetFont(Font());
        HDC Dc = C->Handle();
        SetBkMode(Dc, TRANSPARENT);
        for (Integer I = 0; I < Integer(Rows.size()); ++I) {
            TMenuItem* M = Rows[std::size_t(I)];
            TRect R = RowRect(I);
            if (M->IsLine()) {
                RECT L{R.Left + 2, R.Top + kLineHeight / 2 - 1, R.Right - 2, R.Top + kLineHeight / 2 + 1};
                DrawEdge(Dc, &L, EDGE_ETCHED, BF_TOP);
                continue;
            }
            bool HotRow = I == Hot;
            if (HotRow) {
                C->Brush()->SetColor(clHighlight);
                C->FillRect(R);
            }
            COLORREF Ink = !M->Enabled() ? GetSysColor(COLOR_GRAYTEXT)
                           : HotRow      ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                         : GetSysColor(COLOR_MENUTEXT);
            SetTextColor(Dc, Ink);
            if (M->Checked()) {
                RECT Box{R.Left + 3, R.Top + 3, R.Left + kCheckColumn - 3, R.Bottom - 3};
                DrawFrameControl(Dc, &Box, DFC_MENU,
                                 M->RadioItem() ? UINT(DFCS_MENUBULLET) : UINT(DFCS_MENUCHECK));
            }
            if (M->Default()) {
                // The default item shows in bold.
                TFont Bold;
                Bold.Assign(Font());
                Bold.SetStyle(Bold.Style() + TFontStyles{fsBold});
                const TSelectObject Selected(Dc, Bold.Handle());
                RECT T{R.Left + kCheckColumn, R.Top, R.Right - kArrowColumn, R.Bottom};
                DrawText(Dc, M->Caption().c_str(), int(M->Caption().size()), &T, DT_SINGLELINE | DT_VCENTER);
            } else {
                RECT T{R.Left + kCheckColumn, R.Top, R.Right - kArrowColumn, R.Bottom};
                DrawText(Dc, M->Caption().c_str(), int(M->Caption().size()), &T, DT_SINGLELINE | DT_VCENTER);
            }
            AnsiString K = ShortCutToText(M->ShortCut());
            if (!K.empty()) {
                RECT T{R.Left + kCheckColumn, R.Top, R.Right - kArrowColumn, R.Bottom};
                DrawText(Dc, K.c_str(), int(K.size()), &T,
                         DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
            }
            if (M->Count() > 0) {
                RECT A{R.Right - kArrowColumn, R.Top + 4, R.Right - 4, R.Bottom - 4};
                DrawFrameControl(Dc, &A, DFC_MENU, DFCS_MENUARROW);
            }
        }
    }

    void WndProc(TMessage& Message) override;

    MenuTracker* Tracker;
    TMenuItem* Item;
    std::vector<TMenuItem*> Rows;
    Integer Hot = -1;
};

struct MenuTracker {
    std::vector<TMenuWindow*> Levels;
    TMenuItem* Chosen = nullptr;
    bool Done = false;
    bool MovingCapture = false;
    bool PressedSinceOpen = false;

    ~MenuTracker()
    {
        while (!Levels.empty())
            CloseLevel();
    }

    void Capture()
    {
        MovingCapture = true;
        if (!Levels.empty())
            SetCapture(Levels.back()->Handle());
        MovingCapture = false;
    }

    void Open(TMenuItem* Item, TPoint At, const TRect* Beside)
    {
        auto* W = New<TMenuWindow>(this, Item);
        TSize S = W->Measure();
        MONITORINFO Mi;
        POINT P{At.X, At.Y};
        GetMonitorInfo(MonitorFromPoint(P, MONITOR_DEFAULTTONEAREST), &Mi);
        TRect Work = Mi.rcWork;
        // Keep the menu on the screen: flip to the other side of the point (or of the parent
        // menu) when it does not fit.
        Integer X = At.X, Y = At.Y;
        if (X + S.cx > Work.Right)
            X = Beside ? Beside->Left - S.cx : X - S.cx;
        if (Y + S.cy > Work.Bottom)
            Y = std::max<Integer>(Work.Top, (Beside ? Beside->Bottom : Y) - S.cy);
        X = std::max<Integer>(Work.Left, X);
        W->SetBounds(X, Y, S.cx, S.cy);
        SetWindowPos(W->Handle(), HWND_TOPMOST, X, Y, S.cx, S.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        Levels.push_back(W);
        Capture();
    }

    void CloseLevel()
    {
        TMenuWindow* W = Levels.back();
        Levels.pop_back();
        MovingCapture = true;
        if (W->HandleAllocated() && GetCapture() == W->Handle())
            ReleaseCapture();
        MovingCapture = false;
        W->Free();
        Capture();
    }

    void CloseAbove(std::size_t Level)
    {
        while (Levels.size() > Level + 1)
            CloseLevel();
    }

    void OpenSub(std::size_t Level, Integer Row, bool SelectFirst)
    {
        TMenuWindow* W = Levels[Level];
        TMenuItem* M = W->Rows[std::size_t(Row)];
        if (M->Count() == 0 || !M->Enabled())
            return;
        CloseAbove(Level);
        TRect R = W->RowRect(Row);
        TPoint TopRight = W->ClientToScreen(TPoint{W->Width() - 3, R.Top - kBorder});
        TRect Parent{W->Left(), W->Top(), W->Left() + W->Width(), W->Top() + W->Height()};
        Open(M, TopRight, &Parent);
        if (SelectFirst)
            MoveHot(1);
    }

    void Choose(TMenuItem* M)
    {
        if (!M->Enabled() || M->IsLine())
            return;
        Chosen = M;
        Done = true;
    }

    void Cancel() { Done = true; }

    // The next selectable row of the innermost menu (Step +1 down, -1 up), wrapping round.
    void MoveHot(Integer Step)
    {
        TMenuWindow* W = Levels.back();
        Integer N = Integer(W->Rows.size());
        if (N == 0)
            return;
        Integer I = W->Hot;
        for (Integer K = 0; K < N; ++K) {
            I = I < 0 ? (Step > 0 ? 0 : N - 1) : (I + Step + N) % N;
            if (!W->Rows[std::size_t(I)]->IsLine())
                break;
        }
        W->SetHot(I);
    }

    // A mouse message of any level, at a screen point.
    void Mouse(UINT Msg, TPoint Screen)
    {
        for (std::size_t L = Levels.size(); L-- > 0;) {
            TMenuWindow* W = Levels[L];
            TPoint P = W->ScreenToClient(Screen);
            if (P.X < 0 || P.Y < 0 || P.X >= W->Width() || P.Y >= W->Height())
                continue;
            Integer Row = W->RowAt(P);
            if (Msg == WM_MOUSEMOVE) {
                if (Row >= 0 && Row != W->Hot && !W->Rows[std::size_t(Row)]->IsLine()) {
                    W->SetHot(Row);
                    CloseAbove(L);
                    OpenSub(L, Row, false);
                }
            } else if (Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN) {
                PressedSinceOpen = true;
            } else if ((Msg == WM_LBUTTONUP || Msg == WM_RBUTTONUP) && Row >= 0) {
                TMenuItem* M = W->Rows[std::size_t(Row)];
                if (M->Count() > 0)
                    OpenSub(L, Row, false);
                else
                    Choose(M);
            }
            return;
        }
        // Outside every level: a press dismisses the menu.
        if (Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN)
            Cancel();
    }

    // Keys while the menu is open; true when taken.
    bool Key(const MSG& M)
    {
        if (M.message == WM_KEYDOWN || M.message == WM_SYSKEYDOWN) {
            TMenuWindow* W = Levels.back();
            switch (M.wParam) {
            case VK_DOWN:
                MoveHot(1);
                return true;
            case VK_UP:
                MoveHot(-1);
                return true;
            case VK_RIGHT:
                if (W->Hot >= 0)
                    OpenSub(Levels.size() - 1, W->Hot, true);
                return true;
            case VK_LEFT:
                if (Levels.size() > 1)
                    CloseLevel();
                return true;
            case VK_ESCAPE:
                if (Levels.size() > 1)
                    CloseLevel();
                else
                    Cancel();
                return true;
            case VK_RETURN:
                if (W->Hot >= 0) {
                    TMenuItem* Item = W->Rows[std::size_t(W->Hot)];
                    if (Item->Count() > 0)
                        OpenSub(Levels.size() - 1, W->Hot, true);
                    else
                        Choose(Item);
                }
                return true;
            case VK_MENU:
            case VK_F10:
                Cancel();
                return true;
            default:
                return true; // the menu owns the keyboard while it shows
            }
        }
        if (M.message == WM_CHAR || M.message == WM_SYSCHAR) {
            TMenuWindow* W = Levels.back();
            for (Integer I = 0; I < Integer(W->Rows.size()); ++I) {
                TMenuItem* Item = W->Rows[std::size_t(I)];
                if (!Item->IsLine() && IsAccel(Word(M.wParam), Item->Caption())) {
                    W->SetHot(I);
                    if (Item->Count() > 0)
                        OpenSub(Levels.size() - 1, I, true);
                    else
                        Choose(Item);
                    break;
                }
            }
            return true;
        }
        return M.message == WM_KEYUP || M.message == WM_SYSKEYUP;
    }
};

MenuTracker* ActiveTracker = nullptr;

// While a menu shows, the keys go to it, whichever loop delivers them: the window that would get
// them (the focus, else the active window) is subclassed for the time being.
HWND KeyWindow = nullptr;
WNDPROC KeyWindowProc = nullptr;

LRESULT MenuKeyProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (ActiveTracker && !ActiveTracker->Levels.empty() && Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST) {
        MSG M;
        M.hwnd = Wnd;
        M.message = Msg;
        M.wParam = WParam;
        M.lParam = LParam;
        if (ActiveTracker->Key(M))
            return 0;
    }
    return CallWindowProc(KeyWindowProc, Wnd, Msg, WParam, LParam);
}

void HookKeys()
{
    KeyWindow = GetFocus() ? GetFocus() : GetActiveWindow();
    if (KeyWindow)
        KeyWindowProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(KeyWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuKeyProc)));
}

void UnhookKeys()
{
    if (KeyWindow && IsWindow(KeyWindow) &&
        GetWindowLongPtr(KeyWindow, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&MenuKeyProc))
        SetWindowLongPtr(KeyWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeyWindowProc));
    KeyWindow = nullptr;
    KeyWindowProc = nullptr;
}

void TMenuWindow::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT P{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        ::ClientToScreen(FHandle, &P);
        UINT Msg = Message.Msg == WM_LBUTTONDBLCLK ? UINT(WM_LBUTTONDOWN) : Message.Msg;
        Tracker->Mouse(Msg, TPoint{P.X, P.Y});
        return;
    }
    case WM_CAPTURECHANGED:
        // Something else took the mouse: the menu goes.
        if (!Tracker->MovingCapture)
            Tracker->Cancel();
        return;
    default:
        TCustomControl::WndProc(Message);
        return;
    }
}

} // namespace

// ---- TPopupMenu
// ---------------------------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

HWND TPopupMenu::OpenMenuWindow()
{
    if (!ActiveTracker || ActiveTracker->Levels.empty())
        return nullptr;
    return ActiveTracker->Levels.back()->Handle();
}

void TPopupMenu::Popup(Integer X, Integer Y)
{
    if (ActiveTracker)
        return; // one menu at a time
    if (OnPopup)
        OnPopup(this);
    bool AnyVisible = false;
    for (Integer I = 0; I < Items()->Count(); ++I)
        AnyVisible |= Items()->Items(I)->Visible();
    if (!AnyVisible)
        return;

    MenuTracker Tracker;
    ActiveTracker = &Tracker;
    TMenuItem* Chosen = nullptr;
    HookKeys();
    {
        TScopeExit Unhook([] {
            UnhookKeys();
            ActiveTracker = nullptr;
        });
        Tracker.Open(Items(), TPoint{X, Y}, nullptr);
        if (FAlignment != paLeft) {
            TMenuWindow* W = Tracker.Levels.back();
            Integer Left = FAlignment == paRight ? X - W->Width() : X - W->Width() / 2;
            SetWindowPos(W->Handle(), HWND_TOPMOST, Left, W->Top(), W->Width(), W->Height(),
                         SWP_NOACTIVATE | SWP_NOSIZE);
            W->SetBounds(Left, W->Top(), W->Width(), W->Height());
        }
        while (!Tracker.Done && !Application->Terminated())
            Application->HandleMessage();
        Chosen = Tracker.Chosen;
    }
    // The windows go before the item runs, so that what it shows is not covered by the menu.
    while (!Tracker.Levels.empty())
        Tracker.CloseLevel();
    if (GetCapture() && !IsWindow(GetCapture()))
        ReleaseCapture();
    if (Chosen)
        Chosen->Click();
}
