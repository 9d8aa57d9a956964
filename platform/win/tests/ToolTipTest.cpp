// Tool tips: hover tips that ask for their text, tracking tips, balloons with a title and icon,
// and the balloons of edit controls.

#include "StdControlTestSupport.h"

#include "platform/win/Colors.h"
#include "platform/win/CommCtrl.h"

#include <cstring>

using namespace wintest;

namespace {

class ToolTipTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        CurrentHandler() = [this](HWND h, UINT m, WPARAM, LPARAM l, LRESULT&) {
            if (m != WM_NOTIFY)
                return false;
            auto* n = reinterpret_cast<NMHDR*>(l);
            Codes_.push_back({h, n->code});
            if (n->code == TTN_NEEDTEXTA) {
                auto* di = reinterpret_cast<NMTTDISPINFOA*>(l);
                std::strcpy(di->szText, NextText.c_str());
                di->lpszText = di->szText;
            }
            return false;
        };
    }

    HWND MakeTip(DWORD style)
    {
        HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, Form, nullptr, nullptr, nullptr);
        EXPECT_NE(tip, nullptr);
        return tip;
    }

    std::vector<UINT> TipCodes() const
    {
        std::vector<UINT> out;
        for (auto& [h, c] : Codes_)
            if (c == TTN_NEEDTEXTA || c == TTN_SHOW || c == TTN_POP)
                out.push_back(c);
        return out;
    }

    bool ShowsColour(HWND h, COLORREF c)
    {
        RECT r;
        GetClientRect(h, &r);
        for (int y = 0; y < r.Bottom; ++y)
            for (int x = 0; x < r.Right; ++x)
                if (Pixel(h, x, y) == c)
                    return true;
        return false;
    }

    std::vector<std::pair<HWND, UINT>> Codes_;
    std::string NextText = "cell text";
};

} // namespace

TEST_F(ToolTipTest, HoverTipAsksForItsTextAfterTheDelayAndGoesWhenTheMouseLeaves)
{
    HWND tool = Make("TestWindow", "", 0, 20, 20, 200, 100, 5);
    HWND tip = MakeTip(TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON);
    EXPECT_FALSE(GetWindowLong(tip, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(GetParent(tip), Form);
    SendMessage(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 300);
    TOOLINFOA ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = tool;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = LPSTR_TEXTCALLBACK;
    ASSERT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
    SendMessage(tip, TTM_SETTITLE, TTI_WARNING, reinterpret_cast<LPARAM>("Title"));

    MoveTo(tool, 50, 40);
    Advance(200);
    Pump();
    EXPECT_FALSE(IsWindowVisible(tip)); // not before the initial delay
    Advance(150);
    Pump();
    ASSERT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(TipCodes(), (std::vector<UINT>{TTN_NEEDTEXTA, TTN_SHOW}));
    // The balloon's stem points at the mouse: the tip starts just below it.
    RECT wr;
    GetWindowRect(tip, &wr);
    POINT mouse = Screen(tool, 50, 40);
    EXPECT_NEAR(wr.Top, mouse.Y, 2);
    EXPECT_LT(wr.Left, mouse.X);
    // Text, title and the warning icon are drawn.
    EXPECT_TRUE(ShowsColour(tip, RGB(230, 170, 20)));
    UpdateWindow(tip);

    // Leaving the tool closes the tip and says so.
    MoveTo(Form, 300, 300);
    Advance(100);
    Pump();
    EXPECT_FALSE(IsWindowVisible(tip));
    EXPECT_EQ(TipCodes().back(), TTN_POP);

    // Back on the tool: it comes again with the current text, and TTM_POP closes it.
    NextText = "other";
    MoveTo(tool, 60, 40);
    Advance(350);
    Pump();
    ASSERT_TRUE(IsWindowVisible(tip));
    char buf[80] = {};
    ti.lpszText = buf;
    SendMessage(tip, TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(buf, "other");
    SendMessage(tip, TTM_POP, 0, 0);
    EXPECT_FALSE(IsWindowVisible(tip));
    // The tool window still works after the tip is gone.
    DestroyWindow(tip);
    MoveTo(tool, 70, 40);
    EXPECT_TRUE(IsWindow(tool));
}

// A tip that went by itself stays away while the mouse stays on the tool, and comes again once
// the mouse has left the tool and come back.
TEST_F(ToolTipTest, TipThatWentByItselfComesAgainAfterTheMouseLeftTheTool)
{
    HWND tool = Make("TestWindow", "", 0, 20, 20, 200, 100, 5);
    HWND tip = MakeTip(TTS_ALWAYSTIP | TTS_NOPREFIX);
    TOOLINFOA ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = tool;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = LPSTR_TEXTCALLBACK;
    ASSERT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
    const int initial = int(SendMessage(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    const int autoPop = int(SendMessage(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0));

    MoveTo(tool, 50, 40);
    Advance(initial + 50);
    Pump();
    ASSERT_TRUE(IsWindowVisible(tip));
    Advance(autoPop + 100);
    Pump();
    EXPECT_FALSE(IsWindowVisible(tip)) << "gone by itself";
    MoveTo(tool, 60, 45);
    Advance(initial + 50);
    Pump();
    EXPECT_FALSE(IsWindowVisible(tip)) << "not again while the mouse stays on the tool";

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        MoveTo(Form, 300, 300);
        Advance(200);
        Pump();
        MoveTo(tool, 50, 40);
        Advance(initial + 50);
        Pump();
        ASSERT_TRUE(IsWindowVisible(tip)) << "back on the tool";
        Advance(autoPop + 100);
        Pump();
        EXPECT_FALSE(IsWindowVisible(tip));
    }
    DestroyWindow(tip);
}

TEST_F(ToolTipTest, TrackingTipStaysWhereItIsPutWithItsColours)
{
    HWND tip = MakeTip(TTS_NOPREFIX);
    std::string text = "tracked";
    TOOLINFOA ti;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = Form;
    ti.uId = 7;
    ti.lpszText = text.data();
    SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessage(tip, TTM_SETTIPBKCOLOR, RGB(10, 200, 10), 0);
    SendMessage(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(150, 170));
    SendMessage(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    ASSERT_TRUE(IsWindowVisible(tip));
    RECT wr;
    GetWindowRect(tip, &wr);
    EXPECT_EQ(wr.Left, 150);
    EXPECT_EQ(wr.Top, 170);
    UpdateWindow(tip);
    EXPECT_EQ(Pixel(tip, 2, 2), RGB(10, 200, 10));
    // No time-out for tracking tips.
    Advance(60000);
    Pump();
    EXPECT_TRUE(IsWindowVisible(tip));
    SendMessage(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(ToolTipTest, EditBalloonShowsBelowTheEditAndGoesAtTheNextKey)
{
    HWND edit = Make("EDIT", "12x", ES_AUTOHSCROLL, 20, 20, 160, 22, 3, WS_EX_CLIENTEDGE);
    SetFocus(edit);
    EDITBALLOONTIP bt;
    bt.pszTitle = u"Invalid entry";
    bt.pszText = u"Only digits are allowed here";
    bt.ttiIcon = TTI_ERROR;
    ASSERT_TRUE(SendMessage(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&bt)));
    HWND balloon = nullptr;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        char cls[64] = {};
        GetClassName(w, cls, sizeof cls);
        if (std::string(cls) == TOOLTIPS_CLASS && IsWindowVisible(w))
            balloon = w;
    }
    ASSERT_NE(balloon, nullptr);
    RECT er, br;
    GetWindowRect(edit, &er);
    GetWindowRect(balloon, &br);
    EXPECT_GE(br.Top, er.Bottom - 4);
    EXPECT_LE(br.Top, er.Bottom + 4);
    UpdateWindow(balloon);
    EXPECT_TRUE(ShowsColour(balloon, RGB(200, 40, 40))); // the error icon
    Press(VK_END);
    EXPECT_FALSE(IsWindow(balloon) && IsWindowVisible(balloon));
}
