// The date-time picker by keyboard and mouse, and the month calendar it drops down.

#include "StdControlTestSupport.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/win/CommCtrl.h"

#include <cstdio>

using namespace wintest;

namespace {

SYSTEMTIME Date(int y, int m, int d, int h = 0, int n = 0, int s = 0)
{
    SYSTEMTIME st;
    st.wYear = WORD(y);
    st.wMonth = WORD(m);
    st.wDay = WORD(d);
    st.wHour = WORD(h);
    st.wMinute = WORD(n);
    st.wSecond = WORD(s);
    return st;
}

std::string Ymd(const SYSTEMTIME& st)
{
    char b[64];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return b;
}

SYSTEMTIME Today_()
{
    Word y, m, d;
    DecodeDate(Now(), y, m, d);
    return Date(y, m, d);
}

class PickerTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        CurrentHandler() = [this](HWND h, UINT m, WPARAM, LPARAM l, LRESULT&) {
            if (h != Form || m != WM_NOTIFY)
                return false;
            auto* n = reinterpret_cast<const NMHDR*>(l);
            if (n->code == DTN_DATETIMECHANGE) {
                auto* c = reinterpret_cast<const NMDATETIMECHANGE*>(l);
                Events.push_back(c->dwFlags == DWORD(GDT_NONE) ? std::string("none") : Ymd(c->st));
            } else if (n->code == DTN_DROPDOWN) {
                Events.push_back("dropdown");
                // As the grid does: the calendar gets week numbers and no today line, and its size.
                HWND cal = reinterpret_cast<HWND>(SendMessage(n->hwndFrom, DTM_GETMONTHCAL, 0, 0));
                if (cal) {
                    SetWindowLong(cal, GWL_STYLE,
                                  GetWindowLong(cal, GWL_STYLE) | MCS_WEEKNUMBERS | MCS_NOTODAY);
                    RECT r{};
                    SendMessage(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
                    MinReq = r;
                }
            } else if (n->code == DTN_CLOSEUP) {
                Events.push_back("closeup");
            }
            return false;
        };
    }

    HWND MakePicker(DWORD style, const char* format, SYSTEMTIME st)
    {
        HWND p = Make(DATETIMEPICK_CLASS, "", style, 20, 20, 180, 22, 9);
        SendMessage(p, DTM_SETFORMAT, 0, reinterpret_cast<LPARAM>(format));
        SendMessage(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        return p;
    }

    SYSTEMTIME Value(HWND p, LRESULT* flag = nullptr)
    {
        SYSTEMTIME st;
        LRESULT r = SendMessage(p, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        if (flag)
            *flag = r;
        return st;
    }

    std::vector<std::string> Events;
    RECT MinReq{};
};

} // namespace

TEST_F(PickerTest, KeyboardStepsAndTypesFields)
{
    HWND p = MakePicker(0, "yyyy-MM-dd", Date(2024, 1, 31));
    SetFocus(p);
    struct Step {
        UINT Key; // a key, or 0 to type Chars
        const char16_t* Chars;
        const char* Want;
    };
    const Step steps[] = {
        {VK_UP, nullptr, "2025-01-31"},    // the year is the first field
        {VK_RIGHT, nullptr, "2025-01-31"}, // on to the month
        {VK_UP, nullptr, "2025-02-28"},    // the day is kept inside the shorter month
        {VK_DOWN, nullptr, "2025-01-28"},  {VK_DOWN, nullptr, "2025-12-28"}, // months wrap
        {VK_RIGHT, nullptr, "2025-12-28"}, {0, u"05", "2025-12-05"},         // two digits fill the day
        {VK_LEFT, nullptr, "2025-12-05"},  {0, u"3", "2025-03-05"},
    };
    for (const Step& s : steps) {
        if (s.Key)
            Press(s.Key);
        else
            Type(s.Chars);
        EXPECT_EQ(Ymd(Value(p)).substr(0, 10), s.Want);
    }
    EXPECT_EQ(Events.back(), "2025-03-05 00:00:00");
}

// A year typed in part is taken when the field is left: two digits or fewer as a year of the
// century window, more as typed; a year the picker cannot hold is refused, not made 1601.
TEST_F(PickerTest, PartlyTypedYearsAreTakenWhenTheFieldIsLeft)
{
    const int century = TwoDigitYearCenturyWindow;
    TwoDigitYearCenturyWindow = 50;
    const int now = Today_().wYear;
    auto windowed = [&](int yy) {
        int base = now - 50, full = yy + base / 100 * 100;
        return full < base ? full + 100 : full;
    };
    struct Case {
        const char16_t* Typed;
        UINT Then; // the key that leaves the field, or 0 for the focus going elsewhere
        int Year;
    } cases[] = {
        {u"99", VK_RIGHT, windowed(99)},
        {u"7", VK_RIGHT, windowed(7)},
        {u"202", VK_RIGHT, 2024}, // no year a picker shows: refused
        {u"0042", 0, 2024},       // four digits: year 42, refused as well
        {u"1999", 0, 1999},       // a full year moves on by itself
        {u"203", VK_UP, 2024},    // refused, then the arrow steps the year kept
        {u"20", VK_LEFT, windowed(20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        HWND p = MakePicker(0, "yyyy-MM-dd", Date(2024, 2, 29));
        SetFocus(p);
        Type(c.Typed);
        if (c.Then)
            Press(c.Then);
        else
            SetFocus(Form);
        int want = c.Year + (c.Then == VK_UP ? 1 : 0);
        EXPECT_EQ(Value(p).wYear, want);
        DestroyWindow(p);
    }
    TwoDigitYearCenturyWindow = century;
}

// DTS_LONGDATEFORMAT shows the long date of the locale settings: with a Chinese one the year comes
// first, so the first field the keys change is the year.
TEST_F(PickerTest, LongDateStyleFollowsTheLongDateFormat)
{
    const std::string saved = LongDateFormat;
    LongDateFormat = "yyyy'\xE5\xB9\xB4'M'\xE6\x9C\x88'd'\xE6\x97\xA5'";
    HWND p = Make(DATETIMEPICK_CLASS, "", DTS_LONGDATEFORMAT, 20, 20, 180, 22, 9);
    SYSTEMTIME st = Date(2024, 2, 9);
    SendMessage(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    SetFocus(p);
    Press(VK_UP);
    EXPECT_EQ(Ymd(Value(p)).substr(0, 10), "2025-02-09");
    LongDateFormat = saved;
}

// DTM_SETRANGE keeps the value and every change inside the range, and the calendar it drops down
// gets the same range; Home and End go to the first and the last day of the month.
TEST_F(PickerTest, RangesBoundTheValueAndTheCalendar)
{
    HWND p = MakePicker(0, "yyyy-MM-dd", Date(2024, 2, 10));
    SYSTEMTIME range[2] = {Date(2024, 1, 10), Date(2024, 3, 20)};
    EXPECT_TRUE(SendMessage(p, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range)));
    SYSTEMTIME got[2] = {};
    EXPECT_EQ(SendMessage(p, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(got)), LRESULT(GDTR_MIN | GDTR_MAX));
    EXPECT_EQ(Ymd(got[0]).substr(0, 10), "2024-01-10");
    EXPECT_EQ(Ymd(got[1]).substr(0, 10), "2024-03-20");
    SetFocus(p);
    Press(VK_UP); // the year: 2025 is past the end
    EXPECT_EQ(Ymd(Value(p)).substr(0, 10), "2024-03-20");
    SYSTEMTIME early = Date(2023, 5, 5);
    SendMessage(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&early));
    EXPECT_EQ(Ymd(Value(p)).substr(0, 10), "2024-01-10");
    SYSTEMTIME bad[2] = {Date(2024, 13, 1), Date(2024, 1, 1)};
    EXPECT_FALSE(SendMessage(p, DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(bad)));

    SYSTEMTIME mid = Date(2024, 3, 10);
    SendMessage(p, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&mid));
    Press(VK_F4);
    HWND cal = reinterpret_cast<HWND>(SendMessage(p, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(cal, nullptr);
    EXPECT_EQ(SendMessage(cal, MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(got)), LRESULT(GDTR_MIN | GDTR_MAX));
    auto sel = [&] {
        SYSTEMTIME s{};
        SendMessage(cal, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&s));
        return Ymd(s).substr(0, 10);
    };
    Press(VK_END);
    EXPECT_EQ(sel(), "2024-03-20") << "the month's last day is past the range";
    Press(VK_HOME);
    EXPECT_EQ(sel(), "2024-03-01");
    Press(VK_DOWN);
    Press(VK_DOWN);
    Press(VK_DOWN);
    EXPECT_EQ(sel(), "2024-03-20");
    Press(VK_NEXT);
    EXPECT_EQ(sel(), "2024-03-20");

    // A calendar of its own: Home and End without a range, and MCM_SETRANGE moving the selection.
    HWND own = Make(MONTHCAL_CLASS, "", 0, 20, 60, 200, 180, 10);
    SYSTEMTIME day = Date(2024, 2, 14);
    SendMessage(own, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    SetFocus(own);
    Press(VK_END);
    SYSTEMTIME s{};
    SendMessage(own, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&s));
    EXPECT_EQ(Ymd(s).substr(0, 10), "2024-02-29");
    Press(VK_HOME);
    SendMessage(own, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&s));
    EXPECT_EQ(Ymd(s).substr(0, 10), "2024-02-01");
    SYSTEMTIME later[2] = {Date(2024, 6, 1), Date(2024, 6, 30)};
    EXPECT_TRUE(SendMessage(own, MCM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(later)));
    SendMessage(own, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&s));
    EXPECT_EQ(Ymd(s).substr(0, 10), "2024-06-01");
}

TEST_F(PickerTest, CalendarDropsDownPicksADayByMouseAndClosesWithEscape)
{
    HWND p = MakePicker(0, "yyyy-MM-dd", Date(2024, 2, 10));
    SetFocus(p);
    Press(VK_F4);
    HWND cal = reinterpret_cast<HWND>(SendMessage(p, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(cal, nullptr);
    EXPECT_TRUE(IsWindowVisible(cal));
    EXPECT_EQ(Events, (std::vector<std::string>{"dropdown"}));
    // The calendar was sized to its minimum after the owner's style change.
    RECT wr;
    GetWindowRect(cal, &wr);
    EXPECT_EQ(wr.Right - wr.Left, MinReq.Right + 2);
    EXPECT_EQ(wr.Bottom - wr.Top, MinReq.Bottom + 2);
    RECT plain{};
    SetWindowLong(cal, GWL_STYLE, GetWindowLong(cal, GWL_STYLE) & ~LONG(MCS_WEEKNUMBERS | MCS_NOTODAY));
    SendMessage(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&plain));
    EXPECT_LT(plain.Right, MinReq.Right);   // week numbers take room
    EXPECT_GT(plain.Bottom, MinReq.Bottom); // the today line too
    SetWindowLong(cal, GWL_STYLE, GetWindowLong(cal, GWL_STYLE) | MCS_WEEKNUMBERS | MCS_NOTODAY);

    // Escape closes without a change.
    Press(VK_ESCAPE);
    EXPECT_EQ(SendMessage(p, DTM_GETMONTHCAL, 0, 0), 0);
    EXPECT_EQ(Events.back(), "closeup");
    EXPECT_EQ(Ymd(Value(p)).substr(0, 10), "2024-02-10");

    // The drop button opens it again; a click on the 14th picks it. February 2024 starts on a
    // Thursday, so the 14th is row 2, column 3 (week numbers in front).
    RECT cr;
    GetClientRect(p, &cr);
    Click(p, cr.Right - 5, 10);
    cal = reinterpret_cast<HWND>(SendMessage(p, DTM_GETMONTHCAL, 0, 0));
    ASSERT_NE(cal, nullptr);
    Events.clear();
    Click(cal, 4 + 22 + 3 * 24 + 12, 4 + 22 + 17 + 2 * 17 + 8);
    EXPECT_EQ(SendMessage(p, DTM_GETMONTHCAL, 0, 0), 0);
    EXPECT_EQ(Events, (std::vector<std::string>{"closeup", "2024-02-14 00:00:00"}));
    EXPECT_FALSE(IsWindow(cal));
}

TEST_F(PickerTest, UpDownTimeAndCheckBox)
{
    HWND p = MakePicker(DTS_TIMEFORMAT | DTS_SHOWNONE, "HH:mm", Date(2024, 5, 1, 23, 59));
    RECT cr;
    GetClientRect(p, &cr);
    // No calendar for a time: the button is an up-down pair.
    Click(p, cr.Right - 5, 3);
    EXPECT_EQ(SendMessage(p, DTM_GETMONTHCAL, 0, 0), 0);
    EXPECT_EQ(Ymd(Value(p)), "2024-05-01 00:59:00"); // hours wrap
    Click(p, cr.Right - 5, cr.Bottom - 3);
    EXPECT_EQ(Ymd(Value(p)), "2024-05-01 23:59:00");
    // Space clears the check box: the value reads as none, and the change says so.
    Type(u" ");
    LRESULT flag = 0;
    Value(p, &flag);
    EXPECT_EQ(flag, GDT_NONE);
    EXPECT_EQ(Events.back(), "none");
    // Clicking the box checks it again.
    Click(p, 8, cr.Bottom / 2);
    Value(p, &flag);
    EXPECT_EQ(flag, GDT_VALID);
}

// The window text is the value as shown; a control's own painting hands the picker a DC in
// wParam, and the picker draws its fields into that DC.
TEST_F(PickerTest, WindowTextAndPaintingIntoAGivenDC)
{
    HWND p = MakePicker(0, "dd.MM.yyyy", Date(2026, 3, 9));
    char text[64] = {0};
    EXPECT_EQ(GetWindowTextLength(p), 10);
    GetWindowText(p, text, sizeof text);
    EXPECT_STREQ(text, "09.03.2026");

    RECT c;
    GetClientRect(p, &c);
    HDC screen = GetDC(p);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, c.Right, c.Bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all{0, 0, c.Right, c.Bottom};
    HBRUSH black = CreateSolidBrush(0);
    FillRect(mem, &all, black);
    SendMessage(p, WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
    // The background and the field texts came into the bitmap.
    int white = 0;
    for (int x = 0; x < c.Right - 20; ++x)
        for (int y = 0; y < c.Bottom; ++y)
            white += GetPixel(mem, x, y) == COLORREF(0xFFFFFF);
    EXPECT_GT(white, (c.Right - 20) * c.Bottom / 2);
    SelectObject(mem, old);
    DeleteObject(black);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(p, screen);
}
