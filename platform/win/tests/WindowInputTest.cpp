// Focus, activation, mouse routing, capture, double clicks, key messages and key state.

#include "WindowTestSupport.h"

using namespace wintest;

namespace {

class WindowInputTest : public WindowTest {
protected:
    void Press(POINT screen, int button = 0)
    {
        InputMouseMove(screen);
        InputMouseButton(screen, button, true);
        Pump();
    }
    void Release(POINT screen, int button = 0)
    {
        InputMouseButton(screen, button, false);
        Pump();
    }
    void Key(UINT vk, bool down) { InputKey(vk, down); }
};

TEST_F(WindowInputTest, SetFocusSendsKillFocusThenSetFocusWithTheOtherWindowInWParam)
{
    HWND top = Top(0, 0, 200, 200);
    HWND a = Child(top, 0, 0, 50, 50);
    HWND b = Child(top, 60, 0, 50, 50);
    SetFocus(a);
    Log().clear();
    EXPECT_EQ(SetFocus(b), a);
    ASSERT_EQ(Trace({{a, "a"}, {b, "b"}}, {WM_KILLFOCUS, WM_SETFOCUS}),
              (std::vector<std::string>{"a:WM_KILLFOCUS", "b:WM_SETFOCUS"}));
    auto focus = [](UINT m) {
        for (const Entry& e : Log())
            if (e.Msg == m)
                return e;
        return Entry{};
    };
    EXPECT_EQ(reinterpret_cast<HWND>(focus(WM_KILLFOCUS).WParam), b);
    EXPECT_EQ(reinterpret_cast<HWND>(focus(WM_SETFOCUS).WParam), a);
    EXPECT_EQ(GetFocus(), b);
    Log().clear();
    SetFocus(b); // no change, no messages
    EXPECT_TRUE(Log().empty());
}

TEST_F(WindowInputTest, FocusMovedInsideKillFocusWinsOverTheOriginalTarget)
{
    HWND top = Top(0, 0, 200, 200);
    HWND editor = Child(top, 0, 0, 50, 50);
    HWND grid = Child(top, 60, 0, 50, 50);
    HWND other = Child(top, 120, 0, 50, 50);
    SetFocus(editor);
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
        if (h == editor && m == WM_KILLFOCUS)
            SetFocus(grid);
        return false;
    };
    Log().clear();
    SetFocus(other);
    EXPECT_EQ(GetFocus(), grid);
    EXPECT_EQ(Trace({{editor, "editor"}, {grid, "grid"}, {other, "other"}}, {WM_KILLFOCUS, WM_SETFOCUS}),
              (std::vector<std::string>{"editor:WM_KILLFOCUS", "grid:WM_SETFOCUS"}));
    for (const Entry& e : Log()) {
        if (e.Msg == WM_SETFOCUS) {
            EXPECT_EQ(reinterpret_cast<HWND>(e.WParam), editor);
        }
    }
}

TEST_F(WindowInputTest, ActivationMessagesComeBeforeTheFocusChange)
{
    HWND first = Top(0, 0, 100, 100);
    HWND firstChild = Child(first, 0, 0, 20, 20);
    HWND second = Top(200, 0, 100, 100);
    SetFocus(firstChild);
    ASSERT_EQ(GetActiveWindow(), first);
    Log().clear();
    SetActiveWindow(second);
    EXPECT_EQ(
        Trace({{first, "first"}, {firstChild, "firstChild"}, {second, "second"}},
              {WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS}),
        (std::vector<std::string>{"first:WM_NCACTIVATE", "first:WM_ACTIVATE", "second:WM_NCACTIVATE",
                                  "second:WM_ACTIVATE", "firstChild:WM_KILLFOCUS", "second:WM_SETFOCUS"}));
    EXPECT_EQ(GetFocus(), second);
    // Focusing a child of an inactive window activates it without passing the focus through it.
    Log().clear();
    SetFocus(firstChild);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(Trace({{first, "first"}, {firstChild, "firstChild"}, {second, "second"}}, {WM_SETFOCUS}),
              (std::vector<std::string>{"firstChild:WM_SETFOCUS"}));
}

TEST_F(WindowInputTest, ClickOutsideAnActivePopupDeactivatesItBeforeThePressArrives)
{
    HWND form = Top(0, 0, 300, 300);
    HWND popup = Top(50, 50, 100, 100, WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    ASSERT_EQ(GetActiveWindow(), popup);
    Log().clear();
    Press(POINT{250, 250});
    EXPECT_EQ(Trace({{form, "form"}, {popup, "popup"}}, {WM_MOUSEACTIVATE, WM_ACTIVATE, WM_LBUTTONDOWN}),
              (std::vector<std::string>{"form:WM_MOUSEACTIVATE", "popup:WM_ACTIVATE", "form:WM_ACTIVATE",
                                        "form:WM_LBUTTONDOWN"}));
    EXPECT_EQ(GetActiveWindow(), form);
    Release(POINT{250, 250});

    // A window may refuse activation and eat the click.
    SetActiveWindow(popup);
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (h == form && m == WM_MOUSEACTIVATE) {
            r = MA_NOACTIVATEANDEAT;
            return true;
        }
        return false;
    };
    Log().clear();
    Press(POINT{250, 250});
    EXPECT_EQ(GetActiveWindow(), popup);
    EXPECT_TRUE(Trace({{form, "form"}}, {WM_LBUTTONDOWN}).empty());
}

TEST_F(WindowInputTest, CapturedWindowGetsMovesAndTheReleaseOutsideItself)
{
    HWND top = Top(0, 0, 400, 400);
    HWND button = Child(top, 10, 10, 50, 20);
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
        if (h == button && m == WM_LBUTTONDOWN)
            SetCapture(h);
        if (h == button && m == WM_LBUTTONUP)
            ReleaseCapture();
        return false;
    };
    Press(POINT{20, 20});
    EXPECT_EQ(GetCapture(), button);
    Log().clear();
    InputMouseMove(POINT{300, 300});
    Release(POINT{300, 300});
    std::vector<Entry> mouse;
    for (const Entry& e : Log())
        if (e.Msg == WM_MOUSEMOVE || e.Msg == WM_LBUTTONUP)
            mouse.push_back(e);
    ASSERT_EQ(mouse.size(), 2u);
    for (const Entry& e : mouse) {
        EXPECT_EQ(e.Hwnd, button);
        EXPECT_EQ(GET_X_LPARAM(e.LParam), 290); // client coordinates, outside the window
    }
    EXPECT_TRUE(mouse[0].WParam & MK_LBUTTON);
    EXPECT_FALSE(mouse[1].WParam & MK_LBUTTON);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Trace({{button, "button"}}, {WM_CAPTURECHANGED}),
              (std::vector<std::string>{"button:WM_CAPTURECHANGED"}));
}

TEST_F(WindowInputTest, DoubleClicksNeedTheClassStyleAndATimelySecondPressNearTheFirst)
{
    struct Case {
        const char* Class;
        std::uint64_t Gap;
        int Dx;
        bool Double;
    } cases[] = {
        {"TestWindow", 100, 0, true},       {"TestWindow", 100, 2, true},
        {"TestWindow", 600, 0, false}, // too slow
        {"TestWindow", 100, 5, false}, // too far
        {"TestWindowNoDbl", 100, 0, false},
    };
    for (const Case& c : cases) {
        HWND h = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE, 0, c.Class);
        Press(POINT{50, 50});
        Release(POINT{50, 50});
        Advance(c.Gap);
        Log().clear();
        Press(POINT{50 + c.Dx, 50});
        Release(POINT{50 + c.Dx, 50});
        std::vector<std::string> expected{c.Double ? "h:WM_LBUTTONDBLCLK" : "h:WM_LBUTTONDOWN",
                                          "h:WM_LBUTTONUP"};
        EXPECT_EQ(Trace({{h, "h"}}, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP}), expected)
            << c.Class << " gap " << c.Gap << " dx " << c.Dx;
        // A third press starts over.
        if (c.Double) {
            Log().clear();
            Advance(50);
            Press(POINT{50, 50});
            EXPECT_EQ(Trace({{h, "h"}}, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
                      (std::vector<std::string>{"h:WM_LBUTTONDOWN"}));
            Release(POINT{50, 50});
        }
        DestroyWindow(h);
        Advance(1000);
    }
}

TEST_F(WindowInputTest, KeyStateIsThatOfTheMessageBeingHandled)
{
    HWND h = Top(0, 0, 100, 100);
    SetFocus(h);
    std::vector<bool> shiftSeen;
    CurrentHandler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == WM_KEYDOWN && w == 'A')
            shiftSeen.push_back(GetKeyState(VK_SHIFT) < 0);
        return false;
    };
    // Both presses are queued before either is handled: the shift arrives in between.
    Key('A', true);
    Key('A', false);
    Key(VK_SHIFT, true);
    Key('A', true);
    Key('A', false);
    Key(VK_SHIFT, false);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) == 0);
    Pump();
    EXPECT_EQ(shiftSeen, (std::vector<bool>{false, true}));
    std::u16string chars;
    for (const Entry& e : Log())
        if (e.Msg == WM_CHAR)
            chars.push_back(char16_t(e.WParam));
    EXPECT_EQ(chars, u"aA");
}

TEST_F(WindowInputTest, TranslateMessageMakesCharactersAndControlCharacters)
{
    HWND h = Top(0, 0, 100, 100);
    SetFocus(h);
    struct Case {
        std::vector<UINT> Held;
        UINT Vk;
        char16_t Char;
    } cases[] = {
        {{}, 'Q', u'q'},
        {{VK_SHIFT}, '1', u'!'},
        {{VK_CONTROL}, 'C', 3},
        {{VK_CONTROL}, 'V', 22},
        {{VK_CONTROL}, 'X', 24},
        {{}, VK_RETURN, 13},
        {{VK_CONTROL}, VK_RETURN, 10},
        {{}, VK_ESCAPE, 27},
        {{}, VK_BACK, 8},
        {{}, VK_TAB, 9},
        {{}, VK_DECIMAL, u'.'},
        {{VK_SHIFT}, VK_OEM_7, u'"'},
        {{}, VK_LEFT, 0},
        {{}, VK_F2, 0},
    };
    for (const Case& c : cases) {
        Log().clear();
        for (UINT k : c.Held)
            Key(k, true);
        Key(c.Vk, true);
        Key(c.Vk, false);
        for (UINT k : c.Held)
            Key(k, false);
        Pump();
        std::u16string got;
        for (const Entry& e : Log())
            if (e.Msg == WM_CHAR)
                got.push_back(char16_t(e.WParam));
        EXPECT_EQ(got, c.Char ? std::u16string(1, c.Char) : std::u16string()) << "vk " << c.Vk;
    }
}

TEST_F(WindowInputTest, KeyDataCarriesScanCodeExtendedAltAndTransitionBits)
{
    HWND h = Top(0, 0, 100, 100);
    SetFocus(h);
    Key(VK_DECIMAL, true);
    Key(VK_DECIMAL, true); // auto-repeat
    Key(VK_DECIMAL, false);
    Key(VK_DOWN, true);
    Key(VK_DOWN, false);
    Key(VK_MENU, true);
    Key(VK_DOWN, true);
    Key(VK_DOWN, false);
    Key(VK_MENU, false);
    Pump();
    std::vector<Entry> keys;
    for (const Entry& e : Log())
        if (e.Msg >= WM_KEYDOWN && e.Msg <= WM_SYSKEYUP && e.Msg != WM_CHAR && e.Msg != WM_SYSCHAR)
            keys.push_back(e);
    ASSERT_EQ(keys.size(), 9u);
    EXPECT_EQ(keys[0].LParam & 0x400000, 0x400000); // keypad decimal: scan code bit 22
    EXPECT_EQ(keys[0].LParam & KF_REPEAT_BIT, 0);
    EXPECT_EQ(keys[1].LParam & KF_REPEAT_BIT, KF_REPEAT_BIT); // was down already
    EXPECT_NE(keys[2].LParam & KF_UP_BIT, 0);
    EXPECT_EQ(keys[3].Msg, UINT(WM_KEYDOWN));
    EXPECT_NE(keys[3].LParam & KF_EXTENDED_BIT, 0); // arrows of the editing block
    EXPECT_EQ(keys[5].Msg, UINT(WM_SYSKEYDOWN));    // Alt itself
    EXPECT_EQ(keys[6].Msg, UINT(WM_SYSKEYDOWN));    // Alt+Down
    EXPECT_NE(keys[6].LParam & KF_ALTDOWN_BIT, 0);
    EXPECT_EQ(keys[8].Msg, UINT(WM_SYSKEYUP));
}

TEST_F(WindowInputTest, KeysForAHiddenOrDisabledFocusWindowAreDroppedAndTheFocusStays)
{
    HWND top = Top(0, 0, 200, 200);
    HWND editor = Child(top, 0, 0, 50, 50);
    SetFocus(editor);
    for (bool hide : {true, false}) {
        if (hide)
            ShowWindow(editor, SW_HIDE);
        else
            EnableWindow(editor, FALSE);
        EXPECT_EQ(GetFocus(), editor);
        Log().clear();
        Key('A', true);
        Key('A', false);
        Pump();
        EXPECT_TRUE(Trace({{editor, "editor"}, {top, "top"}}, {WM_KEYDOWN, WM_CHAR, WM_KEYUP}).empty());
        ShowWindow(editor, SW_SHOW);
        EnableWindow(editor, TRUE);
    }
    Log().clear();
    Key('A', true);
    Pump();
    EXPECT_EQ(Trace({{editor, "editor"}}, {WM_KEYDOWN}), (std::vector<std::string>{"editor:WM_KEYDOWN"}));
    Key('A', false);
}

TEST_F(WindowInputTest, DisabledChildPassesClicksToItsParentAndDisabledTopLevelBeeps)
{
    HWND top = Top(0, 0, 200, 200);
    HWND child = Child(top, 0, 0, 50, 50);
    EnableWindow(child, FALSE);
    Log().clear();
    Press(POINT{10, 10});
    Release(POINT{10, 10});
    EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}, {WM_LBUTTONDOWN}),
              (std::vector<std::string>{"top:WM_LBUTTONDOWN"}));
    EnableWindow(top, FALSE);
    Log().clear();
    Press(POINT{100, 100});
    Release(POINT{100, 100});
    EXPECT_TRUE(Trace({{top, "top"}}, {WM_LBUTTONDOWN}).empty());
    EXPECT_EQ(Backend_->Beeps.size(), 1u);
}

TEST_F(WindowInputTest, HitTestingFindsFrameCaptionScrollBarsAndClient)
{
    HWND h =
        Top(100, 100, 200, 150, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_VSCROLL | WS_SYSMENU);
    struct Case {
        int X, Y;
        LRESULT Hit;
    } cases[] = {
        {100 + 100, 100 + 1, HTTOP},
        {100 + 1, 100 + 1, HTTOPLEFT},
        {100 + 199, 100 + 149, HTBOTTOMRIGHT},
        {100 + 1, 100 + 75, HTLEFT},
        {100 + 50, 100 + 10, HTCAPTION},
        {100 + 190, 100 + 10, HTCLOSE},
        {100 + 190, 100 + 75, HTVSCROLL},
        {100 + 50, 100 + 75, HTCLIENT},
        {99, 99, HTNOWHERE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(c.X, c.Y)), c.Hit) << c.X << "," << c.Y;
}

TEST_F(WindowInputTest, MouseLeaveIsPostedWhenTheMouseLeavesATrackedWindow)
{
    HWND top = Top(0, 0, 200, 200);
    HWND a = Child(top, 0, 0, 50, 50);
    InputMouseMove(POINT{10, 10});
    Pump();
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = a;
    ASSERT_TRUE(TrackMouseEvent(&tme));
    Log().clear();
    InputMouseMove(POINT{20, 20});
    Pump();
    EXPECT_TRUE(Trace({{a, "a"}}, {WM_MOUSELEAVE}).empty());
    InputMouseMove(POINT{100, 100});
    Pump();
    EXPECT_EQ(Trace({{a, "a"}}, {WM_MOUSELEAVE}), (std::vector<std::string>{"a:WM_MOUSELEAVE"}));
    InputMouseMove(POINT{10, 10});
    InputMouseMove(POINT{100, 100});
    Pump();
    EXPECT_EQ(Trace({{a, "a"}}, {WM_MOUSELEAVE}).size(), 1u); // tracking ended with the first leave
}

TEST_F(WindowInputTest, SetCursorAsksParentsFirstThenUsesTheClassCursor)
{
    HWND top = Top(0, 0, 200, 200);
    HWND child = Child(top, 0, 0, 50, 50);
    HCURSOR hand = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_HAND));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(IDC_HAND)), hand);
    CurrentHandler() = [&](HWND h, UINT m, WPARAM w, LPARAM, LRESULT& r) {
        if (h == top && m == WM_SETCURSOR && reinterpret_cast<HWND>(w) == child) {
            SetCursor(hand);
            r = TRUE;
            return true;
        }
        return false;
    };
    InputMouseMove(POINT{10, 10});
    Pump();
    EXPECT_EQ(GetCursor(), hand);
    InputMouseMove(POINT{100, 100}); // over the parent: the arrow
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, MAKEINTRESOURCE(IDC_ARROW)));
}

TEST_F(WindowInputTest, WheelGoesToTheFocusWindowAndUpToItsParents)
{
    HWND top = Top(0, 0, 200, 200);
    HWND child = Child(top, 0, 0, 50, 50);
    SetFocus(child);
    Log().clear();
    InputMouseWheel(POINT{150, 150}, -WHEEL_DELTA);
    Pump();
    EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}, {WM_MOUSEWHEEL}),
              (std::vector<std::string>{"child:WM_MOUSEWHEEL", "top:WM_MOUSEWHEEL"}));
    for (const Entry& e : Log()) {
        if (e.Msg == WM_MOUSEWHEEL) {
            EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(e.WParam), -WHEEL_DELTA);
        }
    }
}

TEST_F(WindowInputTest, ScrollBarArrowsPagesAndThumbSendScrollMessages)
{
    HWND h = Top(0, 0, 117, 217, WS_POPUP | WS_VISIBLE | WS_VSCROLL);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 0;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    std::vector<std::pair<int, int>> scrolls;
    CurrentHandler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == WM_VSCROLL)
            scrolls.push_back({LOWORD(w), SHORT(HIWORD(w))});
        return false;
    };
    // Down arrow: the bar runs from x 100 to 117, arrows are 17 high.
    Press(POINT{108, 210});
    Release(POINT{108, 210});
    EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}));
    // Held down, the arrow repeats.
    scrolls.clear();
    Press(POINT{108, 210});
    for (int i = 0; i < 3; ++i) {
        Advance(400);
        Pump();
    }
    Release(POINT{108, 210});
    EXPECT_GE(scrolls.size(), 4u);
    // Page area below the thumb.
    scrolls.clear();
    Press(POINT{108, 150});
    Release(POINT{108, 150});
    EXPECT_EQ(scrolls.front(), (std::pair<int, int>{SB_PAGEDOWN, 0}));
    // Thumb drag: from its top (at 17) to the bottom of the track.
    scrolls.clear();
    Press(POINT{108, 20});
    InputMouseMove(POINT{108, 500});
    Pump();
    SCROLLINFO track;
    track.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(h, SB_VERT, &track);
    EXPECT_EQ(track.nTrackPos, 90);
    EXPECT_EQ(track.nPos, 0); // the program moves the thumb itself
    Release(POINT{108, 500});
    EXPECT_EQ(scrolls, (std::vector<std::pair<int, int>>{
                           {SB_THUMBTRACK, 90}, {SB_THUMBPOSITION, 90}, {SB_ENDSCROLL, 0}}));
}

TEST_F(WindowInputTest, ScrollInfoIsClampedAndAStandardBarHidesWhenNotNeeded)
{
    HWND h = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
    RECT before;
    GetClientRect(h, &before);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 49;
    si.nPage = 20;
    si.nPos = 45;
    EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), 30); // the last page starts at 30
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    RECT with;
    GetClientRect(h, &with);
    EXPECT_EQ(with.Right, before.Right - GetSystemMetrics(SM_CXVSCROLL));
    si.fMask = SIF_PAGE;
    si.nPage = 100;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
    ShowScrollBar(h, SB_HORZ, TRUE);
    GetClientRect(h, &with);
    EXPECT_EQ(with.Bottom, before.Bottom - GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(WindowInputTest, DraggingABorderResizesThroughSizingWithLimitsAndEscPutsItBack)
{
    HWND h = Top(100, 100, 200, 150, WS_POPUP | WS_VISIBLE | WS_THICKFRAME);
    std::vector<WPARAM> edges;
    CurrentHandler() = [&](HWND, UINT m, WPARAM w, LPARAM l, LRESULT&) {
        if (m == WM_SIZING) {
            edges.push_back(w);
            auto* r = reinterpret_cast<RECT*>(l);
            r->Right = std::min(r->Right, 100 + 260); // the window keeps itself at most 260 wide
        }
        return false;
    };
    Press(POINT{100 + 199, 100 + 149});
    InputMouseMove(POINT{100 + 299, 100 + 199});
    Pump();
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r, (RECT{100, 100, 360, 300}));
    EXPECT_EQ(edges, (std::vector<WPARAM>{WMSZ_BOTTOMRIGHT}));
    // Below the smallest size the system allows, the edge stops.
    InputMouseMove(POINT{0, 0});
    Pump();
    GetWindowRect(h, &r);
    EXPECT_EQ(r.Width(), GetSystemMetrics(SM_CXMINTRACK));
    EXPECT_EQ(r.Height(), GetSystemMetrics(SM_CYMINTRACK));
    InputKey(VK_ESCAPE, true);
    InputKey(VK_ESCAPE, false);
    Pump();
    GetWindowRect(h, &r);
    EXPECT_EQ(r, (RECT{100, 100, 300, 250}));
    EXPECT_EQ(Trace({{h, "h"}}, {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}).size(), 2u);
    // After Esc the release is an ordinary one.
    Release(POINT{0, 0});
    // A message sent by the program starts it as well (a size grip drawn in the client area).
    ReleaseCapture();
    SendMessage(h, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(150, 150));
    InputMouseMove(POINT{170, 160});
    Release(POINT{170, 160});
    GetWindowRect(h, &r);
    EXPECT_EQ(r, (RECT{100, 100, 320, 260}));
}

TEST_F(WindowInputTest, CaptionDragMovesTheWindowAndItsCloseButtonClosesIt)
{
    HWND h = Top(100, 100, 200, 150, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    Press(POINT{150, 110});
    InputMouseMove(POINT{170, 140});
    Release(POINT{170, 140});
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r, (RECT{120, 130, 320, 280}));
    Press(POINT{r.Right - 8, r.Top + 10});
    ASSERT_TRUE(IsWindow(h));
    Release(POINT{r.Right - 8, r.Top + 10});
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowInputTest, CaptionButtonsAndDoubleClickFollowTheWindowStyles)
{
    const int bw = GetSystemMetrics(SM_CXSIZE);
    HWND h = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND plain = Top(100, 400, 300, 150, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    auto buttonAt = [&](HWND w, int fromRight) {
        RECT r;
        GetWindowRect(w, &r);
        int b = GetSystemMetrics(SM_CXFRAME);
        return POINT{r.Right - b - 2 - fromRight * (bw + 2) - bw / 2,
                     r.Top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
    };
    struct Case {
        HWND Window;
        int FromRight;
        LRESULT Hit;
    } cases[] = {
        {h, 0, HTCLOSE},   {h, 1, HTMAXBUTTON},   {h, 2, HTMINBUTTON},
        {h, 4, HTCAPTION}, {plain, 1, HTCAPTION}, // no boxes asked for
    };
    for (const Case& c : cases) {
        POINT p = buttonAt(c.Window, c.FromRight);
        EXPECT_EQ(SendMessage(c.Window, WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y)), c.Hit) << c.FromRight;
    }
    RECT normal;
    GetWindowRect(h, &normal);
    auto click = [&](POINT p) {
        Advance(1000);
        Press(p);
        Release(p);
    };
    click(buttonAt(h, 1));
    EXPECT_TRUE(IsZoomed(h));
    click(buttonAt(h, 1)); // now the restore button
    EXPECT_FALSE(IsZoomed(h));
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r, normal);
    // A double click on the caption maximises and restores.
    POINT caption = buttonAt(h, 5);
    click(caption);
    Advance(50);
    Press(caption);
    Release(caption);
    EXPECT_TRUE(IsZoomed(h));
    caption = buttonAt(h, 5);
    click(caption);
    Advance(50);
    Press(caption);
    Release(caption);
    EXPECT_FALSE(IsZoomed(h));
    click(buttonAt(h, 2));
    EXPECT_TRUE(IsIconic(h));
    SendMessage(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(h));
    // Without a maximise box the caption's double click does nothing.
    POINT plainCaption = buttonAt(plain, 3);
    click(plainCaption);
    Advance(50);
    Press(plainCaption);
    Release(plainCaption);
    EXPECT_FALSE(IsZoomed(plain));
}

TEST_F(WindowInputTest, AltSpaceOpensTheWindowMenuWithTheCommandsTheStylesAllow)
{
    HWND h = Top(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND plain = Top(100, 400, 300, 150, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    auto tap = [&](UINT vk) {
        Key(vk, true);
        Key(vk, false);
        Pump();
    };
    auto menu = [] { return FindWindow("#32768", nullptr); };
    auto openMenu = [&](HWND w) {
        SetFocus(w);
        Key(VK_MENU, true);
        Pump();
        tap(VK_SPACE);
        Key(VK_MENU, false);
        Pump();
        return menu();
    };
    auto rectOf = [](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        return r;
    };
    const RECT normal = rectOf(h);

    // The menu opens at the caption and has the keys; Esc closes it and changes nothing.
    HWND m = openMenu(h);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(IsWindowVisible(m));
    RECT mr = rectOf(m);
    EXPECT_EQ(mr.Left, normal.Left + GetSystemMetrics(SM_CXFRAME));
    EXPECT_GT(mr.Top, normal.Top);
    EXPECT_LT(mr.Top, normal.Top + 40);
    Log().clear();
    tap(VK_ESCAPE);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_TRUE(Trace({{h, "h"}}, {WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR}).empty()); // the keys went to the menu
    EXPECT_EQ(rectOf(h), normal);

    // The underlined letters: maximise, restore, minimise.
    struct Case {
        UINT Letter;
        bool Zoomed, Iconic;
    } letters[] = {{'X', true, false}, {'R', false, false}, {'N', false, true}};
    for (const Case& c : letters) {
        ASSERT_NE(openMenu(h), nullptr) << char(c.Letter);
        tap(c.Letter);
        EXPECT_EQ(menu(), nullptr) << char(c.Letter);
        EXPECT_EQ(bool(IsZoomed(h)), c.Zoomed) << char(c.Letter);
        EXPECT_EQ(bool(IsIconic(h)), c.Iconic) << char(c.Letter);
    }
    SendMessage(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_EQ(rectOf(h), normal);

    // Move (the first enabled command, so Enter) with the arrows; Enter keeps the place.
    openMenu(h);
    tap(VK_RETURN);
    tap(VK_RIGHT);
    tap(VK_RIGHT);
    tap(VK_DOWN);
    tap(VK_RETURN);
    EXPECT_EQ(rectOf(h), (RECT{normal.Left + 16, normal.Top + 8, normal.Right + 16, normal.Bottom + 8}));
    // Esc puts it back.
    const RECT moved = rectOf(h);
    openMenu(h);
    tap('M');
    tap(VK_LEFT);
    tap(VK_UP);
    EXPECT_NE(rectOf(h), moved);
    tap(VK_ESCAPE);
    EXPECT_EQ(rectOf(h), moved);
    // Size: the first arrow takes the edge, the next ones move it.
    openMenu(h);
    tap('S');
    tap(VK_RIGHT);
    tap(VK_RIGHT);
    tap(VK_DOWN); // the right edge still: down does nothing to it
    tap(VK_RETURN);
    EXPECT_EQ(rectOf(h), (RECT{moved.Left, moved.Top, moved.Right + 8, moved.Bottom}));
    // After the move, keys reach the window again.
    Log().clear();
    tap('A');
    EXPECT_FALSE(Trace({{h, "h"}}, {WM_KEYDOWN}).empty());

    // A window without minimise, maximise or sizing border: Move and Close only.
    openMenu(plain);
    tap('X');
    tap('S');
    tap('N');
    EXPECT_NE(menu(), nullptr); // no such commands
    EXPECT_FALSE(IsZoomed(plain));
    tap(VK_DOWN); // over the separator to Close
    tap(VK_RETURN);
    EXPECT_FALSE(IsWindow(plain));
    EXPECT_EQ(menu(), nullptr);
    // Alt+F4 closes from the menu too.
    openMenu(h);
    Key(VK_MENU, true);
    tap(VK_F4);
    Key(VK_MENU, false);
    Pump();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(menu(), nullptr);
}

TEST_F(WindowInputTest, CaretIsDrawnInvertedAndHiddenWhileThePaintRuns)
{
    HWND h = Top(0, 0, 100, 100);
    Pump();
    HDC dc = GetDC(h);
    COLORREF before = GetPixel(dc, 10, 10);
    CreateCaret(h, nullptr, 2, 12);
    SetCaretPos(10, 5);
    EXPECT_EQ(GetPixel(dc, 10, 10), before); // hidden until shown
    ShowCaret(h);
    EXPECT_EQ(GetPixel(dc, 10, 10), before ^ 0xFFFFFF);
    COLORREF inPaint = CLR_INVALID;
    CurrentHandler() = [&](HWND w, UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(w, &ps);
            inPaint = GetPixel(dc, 10, 10);
            EndPaint(w, &ps);
            return true;
        }
        return false;
    };
    InvalidateRect(h, nullptr, FALSE);
    Pump();
    EXPECT_EQ(inPaint, before);
    EXPECT_EQ(GetPixel(dc, 10, 10), before ^ 0xFFFFFF);
    HideCaret(h);
    EXPECT_EQ(GetPixel(dc, 10, 10), before);
    DestroyCaret();
    ReleaseDC(h, dc);
}

TEST_F(WindowInputTest, DestroyingTheFocusedChildGivesTheFocusToItsParent)
{
    HWND top = Top(0, 0, 200, 200);
    HWND child = Child(top, 0, 0, 50, 50);
    SetFocus(child);
    SetCapture(child);
    DestroyWindow(child);
    EXPECT_EQ(GetFocus(), top);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(top);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowInputTest, RightReleaseShiftF10AndTheMenuKeyAskForTheContextMenu)
{
    HWND top = Top(100, 100, 200, 200);
    HWND child = Child(top, 10, 20, 50, 50);
    SetFocus(child);
    Pump();
    const struct {
        const char* Name;
        std::function<void()> Input;
        LPARAM Pos; // screen position expected in LParam
    } Cases[] = {
        {"right release at (5,6) of the child",
         [&] {
             Press(POINT{115, 126}, 1);
             Release(POINT{115, 126}, 1);
         },
         MAKELPARAM(115, 126)},
        {"Shift+F10",
         [&] {
             Key(VK_SHIFT, true);
             Key(VK_F10, true);
             Key(VK_F10, false);
             Key(VK_SHIFT, false);
             Pump();
         },
         MAKELPARAM(-1, -1)},
        {"the menu key",
         [&] {
             Key(VK_APPS, true);
             Key(VK_APPS, false);
             Pump();
         },
         MAKELPARAM(-1, -1)},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Log().clear();
        Case.Input();
        // Asked once, of the window itself, then passed up to its parent.
        EXPECT_EQ(Trace({{top, "top"}, {child, "child"}}, {WM_CONTEXTMENU}),
                  (std::vector<std::string>{"child:WM_CONTEXTMENU", "top:WM_CONTEXTMENU"}));
        for (const Entry& e : Log()) {
            if (e.Msg == WM_CONTEXTMENU) {
                EXPECT_EQ(e.WParam, reinterpret_cast<WPARAM>(child));
                EXPECT_EQ(e.LParam, Case.Pos);
            }
        }
    }
    // F10 alone and a left release ask for nothing.
    Log().clear();
    Key(VK_F10, true);
    Key(VK_F10, false);
    Press(POINT{115, 126});
    Release(POINT{115, 126});
    EXPECT_TRUE(Trace({{top, "top"}, {child, "child"}}, {WM_CONTEXTMENU}).empty());
}

} // namespace
