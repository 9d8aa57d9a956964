// The BUTTON, STATIC and SCROLLBAR classes driven with the mouse and keys.

#include "StdControlTestSupport.h"

using namespace wintest;

namespace {

class ButtonTest : public ControlTest {};

LRESULT Check(HWND b)
{
    return SendMessage(b, BM_GETCHECK, 0, 0);
}

TEST_F(ButtonTest, ClicksToggleCheckBoxesBeforeTheParentHearsOfIt)
{
    HWND two = Make("BUTTON", "Two", BS_AUTOCHECKBOX, 10, 10, 120, 20, 1);
    HWND three = Make("BUTTON", "Three", BS_AUTO3STATE, 10, 40, 120, 20, 2);
    HWND manual = Make("BUTTON", "Manual", BS_CHECKBOX, 10, 70, 120, 20, 3);
    std::vector<LRESULT> seen;
    CurrentHandler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT&) {
        if (h == Form && m == WM_COMMAND && HIWORD(w) == BN_CLICKED)
            seen.push_back(Check(reinterpret_cast<HWND>(l)));
        return false;
    };
    Click(two, 5, 10);
    Click(two, 60, 10); // on the caption counts too
    for (int i = 0; i < 3; ++i)
        Click(three, 5, 10);
    Click(manual, 5, 10); // a plain check box leaves its state to the program
    EXPECT_EQ(seen, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE,
                                          BST_UNCHECKED, BST_UNCHECKED}));
    EXPECT_EQ(Codes(two), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));
    EXPECT_EQ(GetFocus(), manual);

    // Space presses and releases it from the keyboard.
    SetFocus(two);
    Press(VK_SPACE);
    EXPECT_EQ(Check(two), BST_CHECKED);
    // A press released off the button is no click.
    Log().clear();
    Advance(1000);
    MouseDown(two, 5, 10);
    EXPECT_TRUE(SendMessage(two, BM_GETSTATE, 0, 0) & BST_PUSHED);
    MoveTo(two, 200, 10);
    EXPECT_FALSE(SendMessage(two, BM_GETSTATE, 0, 0) & BST_PUSHED);
    MouseUp(two, 200, 10);
    EXPECT_TRUE(Codes(two).empty());
    EXPECT_EQ(Check(two), BST_CHECKED);
}

TEST_F(ButtonTest, AutomaticRadioButtonsCheckOneOfTheirGroup)
{
    HWND a = Make("BUTTON", "A", DWORD(BS_AUTORADIOBUTTON) | WS_GROUP, 10, 10, 100, 20, 1);
    HWND b = Make("BUTTON", "B", BS_AUTORADIOBUTTON, 10, 30, 100, 20, 2);
    HWND c = Make("BUTTON", "C", BS_AUTORADIOBUTTON, 10, 50, 100, 20, 3);
    HWND x = Make("BUTTON", "X", DWORD(BS_AUTORADIOBUTTON) | WS_GROUP, 10, 80, 100, 20, 4);
    SendMessage(x, BM_SETCHECK, BST_CHECKED, 0);
    Click(a, 5, 10);
    Click(c, 5, 10);
    EXPECT_EQ(Check(a), BST_UNCHECKED);
    EXPECT_EQ(Check(b), BST_UNCHECKED);
    EXPECT_EQ(Check(c), BST_CHECKED);
    EXPECT_EQ(Check(x), BST_CHECKED); // another group
    SendMessage(b, BM_CLICK, 0, 0);
    EXPECT_EQ(Check(b), BST_CHECKED);
    EXPECT_EQ(Check(c), BST_UNCHECKED);
    EXPECT_EQ(Codes(b), (std::vector<WORD>{BN_CLICKED}));
    EXPECT_EQ(SendMessage(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
    CheckRadioButton(Form, 1, 3, 1);
    EXPECT_EQ(IsDlgButtonChecked(Form, 1), UINT(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(Form, 2), UINT(BST_UNCHECKED));
}

TEST_F(ButtonTest, PushButtonsGroupBoxesAndOwnerDrawnButtons)
{
    HWND ok = Make("BUTTON", "OK", BS_DEFPUSHBUTTON, 10, 10, 80, 26, 1);
    HWND box = Make("BUTTON", "Box", BS_GROUPBOX, 10, 50, 200, 100, 2);
    HWND drawn = Make("BUTTON", "", BS_OWNERDRAW, 100, 10, 60, 26, 3);
    EXPECT_EQ(SendMessage(ok, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    SendMessage(ok, BM_SETCHECK, BST_CHECKED, 0); // push buttons have no check state
    EXPECT_EQ(Check(ok), BST_UNCHECKED);
    Click(ok, 40, 13);
    EXPECT_EQ(Codes(ok), (std::vector<WORD>{BN_CLICKED}));
    // A group box lets clicks through to the window beneath.
    Log().clear();
    Click(box, 100, 60);
    EXPECT_TRUE(Codes(box).empty());
    bool formGotClick = false;
    for (const Entry& e : Log())
        formGotClick |= e.Hwnd == Form && e.Msg == WM_LBUTTONDOWN;
    EXPECT_TRUE(formGotClick);
    // An owner-drawn button asks its parent to draw it, pushed while pressed.
    std::vector<UINT> states;
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM l, LRESULT& r) {
        if (h == Form && m == WM_DRAWITEM) {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
            EXPECT_EQ(di->CtlType, UINT(ODT_BUTTON));
            EXPECT_EQ(di->hwndItem, drawn);
            states.push_back(di->itemState & ODS_SELECTED);
            r = TRUE;
            return true;
        }
        return false;
    };
    InvalidateRect(drawn, nullptr, FALSE);
    Paint();
    Advance(1000);
    MouseDown(drawn, 5, 5);
    Paint();
    MouseUp(drawn, 5, 5);
    Paint();
    ASSERT_GE(states.size(), 3u);
    EXPECT_EQ(states[0], 0u);
    EXPECT_EQ(states[1], UINT(ODS_SELECTED));
    EXPECT_EQ(states.back(), 0u);
}

TEST_F(ButtonTest, StaticsPassClicksThroughUnlessTheyAskToBeNotified)
{
    HWND plain = Make("STATIC", "Label", SS_LEFT, 10, 10, 100, 20, 1);
    HWND notify = Make("STATIC", "Link", SS_NOTIFY, 10, 40, 100, 20, 2);
    Click(plain, 5, 5);
    Click(notify, 5, 5);
    EXPECT_TRUE(Codes(plain).empty());
    EXPECT_EQ(Codes(notify), (std::vector<WORD>{STN_CLICKED}));
    SetWindowText(plain, "Changed");
    EXPECT_EQ(Text(plain), "Changed");
    // The parent chooses the colours.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (h == Form && m == WM_CTLCOLORSTATIC) {
            r = reinterpret_cast<LRESULT>(red);
            return true;
        }
        return false;
    };
    InvalidateRect(plain, nullptr, FALSE);
    Paint();
    EXPECT_EQ(Pixel(plain, 98, 18), RGB(255, 0, 0));
    CurrentHandler() = nullptr;
    DestroyWindow(plain);
    DeleteObject(red);
}

TEST_F(ButtonTest, ScrollBarReportsArrowsPagesAndThumbDrags)
{
    HWND bar = Make("SCROLLBAR", "", SBS_HORZ, 10, 10, 200, 17, 7);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 200; // clamped to the last page
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 90);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 90);
    SetScrollPos(bar, SB_CTL, 0, TRUE);
    std::vector<int> codes;
    std::vector<int> positions;
    CurrentHandler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT&) {
        if (h == Form && m == WM_HSCROLL) {
            EXPECT_EQ(reinterpret_cast<HWND>(l), bar);
            codes.push_back(LOWORD(w));
            positions.push_back(HIWORD(w));
        }
        return false;
    };
    Click(bar, 190, 8); // right arrow
    Click(bar, 150, 8); // the page right of the thumb
    EXPECT_EQ(codes, (std::vector<int>{SB_LINERIGHT, SB_ENDSCROLL, SB_PAGERIGHT, SB_ENDSCROLL}));
    codes.clear();
    positions.clear();
    Advance(1000);
    MouseDown(bar, 20, 8); // the thumb at position 0
    MoveTo(bar, 100, 8);
    MouseUp(bar, 100, 8);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), SB_THUMBTRACK);
    EXPECT_EQ(codes[codes.size() - 2], SB_THUMBPOSITION);
    EXPECT_EQ(codes.back(), SB_ENDSCROLL);
    int dropped = positions[positions.size() - 2];
    EXPECT_GT(dropped, 30);
    EXPECT_LT(dropped, 60);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0); // the program moves the thumb, not the bar
    // Holding an arrow repeats.
    codes.clear();
    Advance(1000);
    MouseDown(bar, 5, 8);
    AdvanceAndPump(1000);
    MouseUp(bar, 5, 8);
    EXPECT_GT(std::count(codes.begin(), codes.end(), SB_LINELEFT), 5);
}

} // namespace
