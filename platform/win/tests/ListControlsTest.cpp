// The LISTBOX and COMBOBOX classes: items, finding, selection with keys and the mouse, the
// drop-down list as a popup, and the order of their notifications.

#include "StdControlTestSupport.h"

#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstring>

using namespace wintest;

namespace {

class ListTest : public ControlTest {
protected:
    void Add(HWND h, UINT msg, std::initializer_list<const char*> items)
    {
        for (const char* s : items)
            SendMessage(h, msg, 0, reinterpret_cast<LPARAM>(s));
    }
    std::string ItemText(HWND h, UINT lenMsg, UINT textMsg, int i)
    {
        LRESULT n = SendMessage(h, lenMsg, WPARAM(i), 0);
        if (n < 0)
            return "<err>";
        std::string s(std::size_t(n) + 1, '\0');
        s.resize(std::size_t(SendMessage(h, textMsg, WPARAM(i), reinterpret_cast<LPARAM>(s.data()))));
        return s;
    }
    int ItemHeight(HWND list) { return int(SendMessage(list, LB_GETITEMHEIGHT, 0, 0)); }
    // Drags the thumb of a window's vertical scroll bar from the top to the bottom end, as a
    // person does with the mouse.
    void DragThumbToEnd(HWND h)
    {
        RECT r;
        GetWindowRect(h, &r);
        int edge = (GetWindowLong(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE)
                   : (GetWindowLong(h, GWL_STYLE) & WS_BORDER)        ? GetSystemMetrics(SM_CXBORDER)
                                                                      : 0;
        POINT p{r.Right - edge - GetSystemMetrics(SM_CXVSCROLL) / 2,
                r.Top + edge + GetSystemMetrics(SM_CYVSCROLL) + 3};
        Advance(1000);
        InputMouseMove(p);
        InputMouseButton(p, 0, true);
        Pump();
        p.Y = r.Bottom + 40;
        InputMouseMove(p);
        Pump();
        InputMouseButton(p, 0, false);
        Pump();
    }
    // The last item is in the window: the top index plus the rows that fit reach it.
    bool LastItemShown(HWND list)
    {
        RECT cr;
        GetClientRect(list, &cr);
        int count = int(SendMessage(list, LB_GETCOUNT, 0, 0));
        int top = int(SendMessage(list, LB_GETTOPINDEX, 0, 0));
        return top > 0 && top + cr.Bottom / ItemHeight(list) >= count;
    }
};

TEST_F(ListTest, ListBoxKeepsSortedItemsWithDataAndFindsByPrefixOrWholeText)
{
    HWND lb = Make("LISTBOX", "", LBS_STANDARD, 10, 10, 150, 120, 5);
    Add(lb, LB_ADDSTRING, {"pear", "Apple", "banana", "獎品"});
    EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, 0), "Apple");
    EXPECT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, 3), "獎品");
    EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 3, 0), 6); // bytes in an ANSI window
    EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 9, 0), LB_ERR);
    SendMessage(lb, LB_SETITEMDATA, 1, 42);
    EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 1, 0), 42);

    struct Case {
        UINT Msg;
        int Start;
        const char* Text;
        LRESULT Expected;
    } cases[] = {
        {LB_FINDSTRING, -1, "b", 1},
        {LB_FINDSTRING, -1, "PE", 2},
        {LB_FINDSTRING, 2, "a", 0}, // wraps round after the start
        {LB_FINDSTRINGEXACT, -1, "BANANA", 1},
        {LB_FINDSTRINGEXACT, -1, "ban", LB_ERR},
        {LB_FINDSTRINGEXACT, 1, "banana", 1}, // found again when the search comes round
        {LB_FINDSTRING, -1, "獎", 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessage(lb, c.Msg, WPARAM(c.Start), reinterpret_cast<LPARAM>(c.Text)), c.Expected)
            << c.Text;

    EXPECT_EQ(SendMessage(lb, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x")), LB_ERR);
    SendMessage(lb, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(SendMessage(lb, LB_DELETESTRING, 0, 0), 3);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1); // the selected item moved up with it
    SendMessage(lb, LB_DELETESTRING, 1, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ListTest, SortedListFollowsTheLocaleAndFindsByCaselessPrefix)
{
    SetCollationLocale("zh_TW");
    HWND lb = Make("LISTBOX", "", LBS_STANDARD, 10, 10, 150, 120, 5);
    Add(lb, LB_ADDSTRING, {"三等獎", "zulu", "Emma", "二等獎", "Émile", "一等獎", "Ezra", "abbey"});
    // Chinese first and by strokes, as the Traditional Chinese collation orders them.
    const char* sorted[] = {"一等獎", "二等獎", "三等獎", "abbey", "Émile", "Emma", "Ezra", "zulu"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, i), sorted[i]) << i;
    struct Case {
        UINT Msg;
        const char* Text;
        LRESULT Expected;
    } cases[] = {
        {LB_FINDSTRING, "é", 4}, // caseless beyond ASCII
        {LB_FINDSTRING, "ÉMI", 4},       {LB_FINDSTRING, "emm", 5},
        {LB_FINDSTRINGEXACT, "EMMA", 5}, {LB_FINDSTRINGEXACT, "emile", LB_ERR}, // accents still count
        {LB_FINDSTRING, "二", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SendMessage(lb, c.Msg, WPARAM(-1), reinterpret_cast<LPARAM>(c.Text)), c.Expected) << c.Text;

    // Typing selects by the prefix typed so far; a pause starts again.
    SetFocus(lb);
    Pump();
    Type(u"ez");
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 6);
    Advance(1500);
    Type(u"em");
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 5);
    Advance(1500);
    Type(u"\u00E9");
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 4);
    SetCollationLocale("");
}

// Many adds in mixed order come out sorted; items the collation finds equal stay in the order
// they were added, each after those before it.
TEST_F(ListTest, SortedAddsGoAfterTheirEqualsInOrder)
{
    HWND lb = Make("LISTBOX", "", LBS_STANDARD, 10, 10, 150, 120, 5);
    std::vector<std::string> added;
    for (int i = 0; i < 600; ++i)
        added.push_back("item " + std::to_string((i * 7919) % 600));
    for (const char* same : {"apple", "APPLE", "Apple", "b", "aPPle"})
        added.push_back(same);
    for (std::size_t i = 0; i < added.size(); ++i) {
        LRESULT at = SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(added[i].c_str()));
        ASSERT_GE(at, 0);
        ASSERT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, int(at)), added[i]);
    }
    std::vector<std::string> expected = added;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    ASSERT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), LRESULT(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, int(i)), expected[i]) << i;
    EXPECT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, 0), "apple");
    EXPECT_EQ(ItemText(lb, LB_GETTEXTLEN, LB_GETTEXT, 3), "aPPle");
}

TEST_F(ListTest, ListBoxSelectsWithKeysAndMouseAndNotifiesOnlyWhenAsked)
{
    HWND lb = Make("LISTBOX", "", DWORD(LBS_NOTIFY) | WS_VSCROLL, 10, 10, 150, 100, 5);
    HWND quiet = Make("LISTBOX", "", WS_VSCROLL, 200, 10, 150, 100, 6);
    for (HWND h : {lb, quiet})
        for (int i = 0; i < 30; ++i)
            SendMessage(h, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(("item " + std::to_string(100 + i)).c_str()));
    int ih = ItemHeight(lb);
    Click(lb, 20, ih * 2 + 2);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(GetFocus(), lb);
    Press(VK_DOWN);
    Press(VK_END);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 29);
    EXPECT_GT(SendMessage(lb, LB_GETTOPINDEX, 0, 0), 20); // scrolled to show it
    Press(VK_HOME);
    Type(u"i"); // next item starting with the letter
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Codes(lb), (std::vector<WORD>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE,
                                            LBN_SELCHANGE, LBN_SELCHANGE}));
    DoubleClick(lb, 20, 2);
    EXPECT_EQ(Codes(lb).back(), LBN_DBLCLK);
    // Programs setting the selection hear nothing.
    Log().clear();
    SendMessage(lb, LB_SETCURSEL, 5, 0);
    EXPECT_TRUE(Codes(lb).empty());
    Click(quiet, 20, 2);
    EXPECT_EQ(SendMessage(quiet, LB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(Codes(quiet).empty());
    // The wheel scrolls the focused list.
    SetFocus(lb);
    Wheel(lb, -120);
    EXPECT_EQ(SendMessage(lb, LB_GETTOPINDEX, 0, 0), 3);
}

TEST_F(ListTest, ExtendedSelectionTakesShiftAndCtrl)
{
    HWND lb = Make("LISTBOX", "", DWORD(LBS_EXTENDEDSEL) | LBS_NOTIFY, 10, 10, 150, 200, 5);
    Add(lb, LB_ADDSTRING, {"a", "b", "c", "d", "e"});
    int ih = ItemHeight(lb);
    Click(lb, 10, ih * 1 + 2);
    Advance(1000);
    InputKey(VK_SHIFT, true);
    MouseDown(lb, 10, ih * 3 + 2);
    MouseUp(lb, 10, ih * 3 + 2);
    InputKey(VK_SHIFT, false);
    Pump();
    EXPECT_EQ(SendMessage(lb, LB_GETSELCOUNT, 0, 0), 3);
    Advance(1000);
    InputKey(VK_CONTROL, true);
    MouseDown(lb, 10, ih * 2 + 2);
    MouseUp(lb, 10, ih * 2 + 2);
    InputKey(VK_CONTROL, false);
    Pump();
    int sel[8] = {};
    ASSERT_EQ(SendMessage(lb, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(sel)), 2);
    EXPECT_EQ(sel[0], 1);
    EXPECT_EQ(sel[1], 3);
    SendMessage(lb, LB_SETSEL, TRUE, -1);
    EXPECT_EQ(SendMessage(lb, LB_GETSELCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessage(lb, LB_SETCURSEL, 0, 0), LB_ERR); // not for several selections
}

TEST_F(ListTest, OwnerDrawnListAsksItsParentToMeasureAndDraw)
{
    std::vector<UINT> drawn;
    CurrentHandler() = [&](HWND h, UINT m, WPARAM, LPARAM l, LRESULT& r) {
        if (h != Form)
            return false;
        if (m == WM_MEASUREITEM) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight = 30;
            r = TRUE;
            return true;
        }
        if (m == WM_DRAWITEM) {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
            EXPECT_EQ(di->CtlType, UINT(ODT_LISTBOX));
            EXPECT_EQ(di->rcItem.Bottom - di->rcItem.Top, 30);
            drawn.push_back(di->itemID);
            r = TRUE;
            return true;
        }
        return false;
    };
    HWND lb = Make("LISTBOX", "", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 10, 10, 150, 100, 5);
    Add(lb, LB_ADDSTRING, {"one", "two", "three", "four", "five"});
    EXPECT_EQ(ItemHeight(lb), 30);
    Paint();
    EXPECT_EQ(drawn, (std::vector<UINT>{0, 1, 2, 3}));
}

TEST_F(ListTest, LongListShowsItsScrollBarAndTheThumbReachesTheLastItem)
{
    HWND lb = Make("LISTBOX", "", DWORD(LBS_NOTIFY) | WS_VSCROLL, 10, 10, 150, 100, 5, WS_EX_CLIENTEDGE);
    // Empty at first: nothing to scroll yet, so no bar.
    EXPECT_FALSE(GetWindowLong(lb, GWL_STYLE) & WS_VSCROLL);
    for (int i = 0; i < 200; ++i)
        SendMessage(lb, LB_ADDSTRING, 0,
                    reinterpret_cast<LPARAM>(("item " + std::to_string(1000 + i)).c_str()));
    Pump();
    EXPECT_TRUE(GetWindowLong(lb, GWL_STYLE) & WS_VSCROLL);
    RECT wr, cr;
    GetWindowRect(lb, &wr);
    GetClientRect(lb, &cr);
    EXPECT_LT(cr.Right, wr.Right - wr.Left - GetSystemMetrics(SM_CXVSCROLL) + 1); // room for the bar
    DragThumbToEnd(lb);
    EXPECT_TRUE(LastItemShown(lb));
    // Emptied again, the bar goes; filled again, it comes back.
    SendMessage(lb, LB_RESETCONTENT, 0, 0);
    EXPECT_FALSE(GetWindowLong(lb, GWL_STYLE) & WS_VSCROLL);
    for (int i = 0; i < 20; ++i)
        SendMessage(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("again"));
    EXPECT_TRUE(GetWindowLong(lb, GWL_STYLE) & WS_VSCROLL);
}

class ComboTest : public ListTest {
protected:
    HWND Combo(DWORD style, int y = 10)
    {
        HWND c = Make("COMBOBOX", "", style | WS_VSCROLL | WS_TABSTOP, 10, y, 160, 22, 9);
        Add(c, CB_ADDSTRING, {"一等獎", "二等獎", "三等獎", "Special"});
        Log().clear();
        return c;
    }
    HWND List(HWND c)
    {
        COMBOBOXINFO info;
        EXPECT_TRUE(GetComboBoxInfo(c, &info));
        return info.hwndList;
    }
    std::string Current(HWND c) { return Text(c); }
};

// Records the WM_COMMAND messages a combo box receives from its own list.
WNDPROC OriginalComboProc = nullptr;
std::vector<WORD> ListToCombo;
LRESULT ComboSubclass(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_COMMAND && l) {
        COMBOBOXINFO info;
        if (GetComboBoxInfo(h, &info) && reinterpret_cast<HWND>(l) == info.hwndList)
            ListToCombo.push_back(HIWORD(w));
    }
    return CallWindowProc(OriginalComboProc, h, m, w, l);
}

TEST_F(ComboTest, DropDownListOpensOnClickAndPicksWithTheMouseInAFixedOrder)
{
    HWND c = Combo(CBS_DROPDOWNLIST);
    ListToCombo.clear();
    OriginalComboProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(c, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboSubclass)));
    Click(c, 80, 10);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    HWND list = List(c);
    EXPECT_TRUE(IsWindowVisible(list));
    RECT cr, lr;
    GetWindowRect(c, &cr);
    GetWindowRect(list, &lr);
    EXPECT_EQ(lr.Top, cr.Bottom); // below the combo box
    EXPECT_EQ(lr.Left, cr.Left);
    EXPECT_EQ(lr.Right - lr.Left, 160);
    EXPECT_EQ(GetActiveWindow(), Form); // the popup never takes activation
    int ih = ItemHeight(list);
    MoveTo(list, 20, ih + 2); // hot tracking: no choice yet
    EXPECT_TRUE(Codes(c) == (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN}));
    Advance(1000);
    MouseDown(list, 20, ih * 2 + 2);
    MouseUp(list, 20, ih * 2 + 2);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Current(c), "三等獎");
    EXPECT_EQ(Codes(c),
              (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    // The list told the combo box itself of the choice, once.
    EXPECT_EQ(ListToCombo, (std::vector<WORD>{LBN_SELCHANGE}));
}

// A drop-down combo box created high is as high as its field, which follows the font; the height
// it was given beyond that is its list's. A simple one keeps its height.
TEST_F(ComboTest, CreatedHeightGoesToTheListAndTheFieldFollowsTheFont)
{
    for (DWORD kind : {DWORD(CBS_DROPDOWNLIST), DWORD(CBS_DROPDOWN)}) {
        SCOPED_TRACE(kind);
        HWND c = Make("COMBOBOX", "", kind | WS_VSCROLL, 10, 10, 160, 200, 9);
        for (int i = 0; i < 40; ++i)
            SendMessage(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("prize " + std::to_string(i)).c_str()));
        const int field = int(SendMessage(c, CB_GETITEMHEIGHT, WPARAM(-1), 0)) + 6;
        RECT wr;
        GetWindowRect(c, &wr);
        EXPECT_EQ(wr.Bottom - wr.Top, field);
        EXPECT_LT(field, 40);
        COMBOBOXINFO info;
        ASSERT_TRUE(GetComboBoxInfo(c, &info));
        EXPECT_LE(info.rcItem.Bottom, field);
        SendMessage(c, CB_SHOWDROPDOWN, TRUE, 0);
        RECT lr;
        GetWindowRect(List(c), &lr);
        const int item = int(SendMessage(c, CB_GETITEMHEIGHT, 0, 0));
        EXPECT_EQ(lr.Top, wr.Bottom);
        EXPECT_LE(lr.Bottom - lr.Top, 200 - field) << "the rest of the height";
        EXPECT_GT(lr.Bottom - lr.Top, 200 - field - item);
        SendMessage(c, CB_SHOWDROPDOWN, FALSE, 0);

        // A larger font: a higher field.
        LOGFONTA lf{};
        lf.lfHeight = -32;
        std::strcpy(lf.lfFaceName, "Arial");
        HFONT big = CreateFontIndirect(&lf);
        SendMessage(c, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
        GetWindowRect(c, &wr);
        EXPECT_EQ(wr.Bottom - wr.Top, int(SendMessage(c, CB_GETITEMHEIGHT, WPARAM(-1), 0)) + 6);
        EXPECT_GT(wr.Bottom - wr.Top, field + 10);
        DestroyWindow(c);
        DeleteObject(big);
    }
    HWND simple = Make("COMBOBOX", "", CBS_SIMPLE, 10, 10, 160, 200, 9);
    RECT sr;
    GetWindowRect(simple, &sr);
    EXPECT_EQ(sr.Bottom - sr.Top, 200);
}

TEST_F(ComboTest, DropDownListOfFiftyItemsScrollsToTheLastWithItsBar)
{
    HWND c = Make("COMBOBOX", "", DWORD(CBS_DROPDOWNLIST) | WS_VSCROLL, 10, 10, 160, 22, 9);
    for (int i = 0; i < 50; ++i)
        SendMessage(c, CB_ADDSTRING, 0,
                    reinterpret_cast<LPARAM>(("prize " + std::to_string(100 + i)).c_str()));
    Click(c, 80, 10);
    HWND list = List(c);
    ASSERT_TRUE(IsWindowVisible(list));
    EXPECT_TRUE(GetWindowLong(list, GWL_STYLE) & WS_VSCROLL);
    DragThumbToEnd(list);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0)); // dragging the bar keeps the list open
    EXPECT_TRUE(LastItemShown(list));
    RECT cr;
    GetClientRect(list, &cr);
    Advance(1000);
    MouseDown(list, 20, cr.Bottom - 3);
    MouseUp(list, 20, cr.Bottom - 3);
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 49);
}

TEST_F(ComboTest, KeysOpenMoveAcceptAndCancel)
{
    HWND c = Combo(CBS_DROPDOWNLIST);
    SetFocus(c);
    SendMessage(c, CB_SETCURSEL, 0, 0);
    Log().clear();
    // Closed: arrows change the selection at once.
    Press(VK_DOWN);
    EXPECT_EQ(Current(c), "二等獎");
    EXPECT_EQ(Codes(c), (std::vector<WORD>{CBN_SELCHANGE}));
    Press(VK_DOWN);
    Press(VK_DOWN);
    Press(VK_DOWN); // stops at the last
    EXPECT_EQ(SendMessage(c, CB_GETCURSEL, 0, 0), 3);
    // F4 opens, arrows move, Esc goes back to where the list opened.
    Log().clear();
    Press(VK_F4);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    Press(VK_UP);
    Press(VK_UP);
    EXPECT_EQ(Current(c), "二等獎");
    Press(VK_ESCAPE);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(Current(c), "Special");
    EXPECT_EQ(Codes(c),
              (std::vector<WORD>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    // Alt+Down opens, Enter accepts.
    Log().clear();
    Press(VK_DOWN, false, false, true);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    Press(VK_HOME);
    Press(VK_RETURN);
    EXPECT_EQ(Current(c), "一等獎");
    EXPECT_EQ(Codes(c), (std::vector<WORD>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    // A character selects by its first letter.
    Type(u"s");
    EXPECT_EQ(Current(c), "Special");
}

TEST_F(ComboTest, PressOutsideOrLosingFocusClosesTheListAsCancelled)
{
    HWND c = Combo(CBS_DROPDOWNLIST);
    HWND other = Make("BUTTON", "Other", BS_PUSHBUTTON, 300, 10, 80, 24, 2);
    Click(c, 80, 10);
    ASSERT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    Click(Form, 400, 300);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    auto codes = Codes(c);
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes[codes.size() - 2], CBN_SELENDCANCEL);
    EXPECT_EQ(codes.back(), CBN_CLOSEUP);
    SendMessage(c, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    SetFocus(other);
    EXPECT_FALSE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(Codes(c).back(), CBN_KILLFOCUS);
}

TEST_F(ComboTest, DropDownComboHasAnEditChildFirstThatTypesAndFollowsTheSelection)
{
    HWND c = Combo(CBS_DROPDOWN);
    HWND edit = GetWindow(c, GW_CHILD);
    COMBOBOXINFO info;
    ASSERT_TRUE(GetComboBoxInfo(c, &info));
    EXPECT_EQ(info.hwndItem, edit);
    char cls[16] = {};
    GetClassName(edit, cls, sizeof cls);
    EXPECT_STREQ(cls, "EDIT");
    SetFocus(c);
    EXPECT_EQ(GetFocus(), edit);
    Log().clear();
    Type(u"獎");
    EXPECT_EQ(Current(c), "獎");
    EXPECT_EQ(Codes(c), (std::vector<WORD>{CBN_EDITUPDATE, CBN_EDITCHANGE}));
    // The edit hands the arrows to the combo box.
    Press(VK_DOWN);
    EXPECT_EQ(Current(c), "一等獎");
    EXPECT_EQ(SendMessage(c, CB_GETEDITSEL, 0, 0), MAKELRESULT(0, 9)); // all of it, in bytes
    // Setting the selection sets the edit's text silently; -1 clears it.
    Log().clear();
    SendMessage(c, CB_SETCURSEL, 3, 0);
    EXPECT_EQ(Current(c), "Special");
    EXPECT_EQ(SendMessage(c, CB_SETCURSEL, WPARAM(-1), 0), CB_ERR);
    EXPECT_EQ(Current(c), "");
    EXPECT_TRUE(Codes(c).empty());
    // Resetting the content clears the text too.
    SetWindowText(c, "kept?");
    SendMessage(c, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(c, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(Current(c), "");
    // The button opens the list; the release of that press keeps it open.
    Add(c, CB_ADDSTRING, {"x", "y"});
    Log().clear();
    Click(c, 150, 10);
    EXPECT_TRUE(SendMessage(c, CB_GETDROPPEDSTATE, 0, 0));
    Click(List(c), 10, 2);
    EXPECT_EQ(Current(c), "x");
}

TEST_F(ComboTest, ItemMessagesAnswerLikeTheListAndTheDroppedWidthIsAMinimum)
{
    SetCollationLocale("zh_TW");
    HWND c = Combo(CBS_DROPDOWNLIST | CBS_SORT);
    SetCollationLocale("");
    // Sorted as the Traditional Chinese locale does: Chinese first, by strokes, then Latin.
    EXPECT_EQ(ItemText(c, CB_GETLBTEXTLEN, CB_GETLBTEXT, 3), "Special");
    EXPECT_EQ(SendMessage(c, CB_GETLBTEXTLEN, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(c, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("special")), 3);
    EXPECT_EQ(SendMessage(c, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("二")), 1);
    EXPECT_EQ(Current(c), "二等獎");
    SendMessage(c, CB_SETDROPPEDWIDTH, 50, 0);
    EXPECT_EQ(SendMessage(c, CB_GETDROPPEDWIDTH, 0, 0), 160);
    SendMessage(c, CB_SETDROPPEDWIDTH, 300, 0);
    SendMessage(c, CB_SETMINVISIBLE, 2, 0);
    SendMessage(c, CB_SHOWDROPDOWN, TRUE, 0);
    RECT lr;
    GetWindowRect(List(c), &lr);
    EXPECT_EQ(lr.Right - lr.Left, 300);
    EXPECT_EQ(lr.Bottom - lr.Top, 2 * ItemHeight(List(c)) + 2);
    SendMessage(c, CB_SHOWDROPDOWN, FALSE, 0);
    // Near the bottom of the screen the list opens above.
    HWND low = CreateWindowEx(0, "COMBOBOX", "", WS_POPUP | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 590, 100, 22,
                              Form, nullptr, nullptr, nullptr);
    Add(low, CB_ADDSTRING, {"a", "b", "c"});
    SendMessage(low, CB_SHOWDROPDOWN, TRUE, 0);
    GetWindowRect(List(low), &lr);
    EXPECT_EQ(lr.Bottom, 590);
}

} // namespace
