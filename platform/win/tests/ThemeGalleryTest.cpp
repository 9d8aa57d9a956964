// The built-in theme: off, nothing opens and nothing is drawn; on, every part the components use
// draws in the flat look. The gallery of parts and of the common controls is saved as PNG for a
// person to look at.

#include "StdControlTestSupport.h"

#include "platform/win/CommCtrl.h"
#include "platform/win/RichEdit.h"
#include "platform/win/UxTheme.h"

#include <cairo.h>

#include <cstring>

using namespace wintest;

namespace {

struct ThemeOn {
    ThemeOn() { SetBuiltInThemeActive(true); }
    ~ThemeOn() { SetBuiltInThemeActive(false); }
};

HDC White(int w, int h, HBITMAP& bmp)
{
    HDC dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    SelectObject(dc, bmp);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return dc;
}

int Count(HDC dc, RECT r, COLORREF c)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += (GetPixel(dc, x, y) & 0xFFFFFF) == c;
    return n;
}

} // namespace

TEST(BuiltInTheme, OffByDefaultAndThenNothingDraws)
{
    EXPECT_FALSE(IsThemeActive());
    EXPECT_EQ(OpenThemeData(nullptr, u"BUTTON"), nullptr);
    HBITMAP bmp;
    HDC dc = White(20, 20, bmp);
    RECT r{0, 0, 20, 20};
    EXPECT_NE(DrawThemeBackground(nullptr, dc, 1, 1, &r, nullptr), S_OK);
    EXPECT_EQ(Count(dc, r, 0xFFFFFF), 400);
    DeleteDC(dc);
    DeleteObject(bmp);
}

TEST(BuiltInTheme, PartsDrawWithTheirStates)
{
    ThemeOn on;
    EXPECT_TRUE(IsThemeActive());
    EXPECT_TRUE(IsAppThemed());
    wchar_t dummy = 0;
    (void)dummy;
    char16_t color[32] = {};
    EXPECT_EQ(GetCurrentThemeName(nullptr, 0, color, 32, nullptr, 0), S_OK);
    EXPECT_EQ(std::u16string(color), u"NormalColor");
    // A class list opens its first known class; unknown ones give no data.
    EXPECT_NE(OpenThemeData(nullptr, u"Explorer::Nothing;button"), nullptr);
    EXPECT_EQ(OpenThemeData(nullptr, u"TREEVIEW"), nullptr);

    struct Case {
        const char16_t* Cls;
        int Part, State;
        COLORREF Expect; // a colour the part must show
    };
    const COLORREF accent = RGB(0, 120, 215), chunk = RGB(6, 176, 37);
    const Case cases[] = {
        {u"BUTTON", 1, 1, RGB(225, 225, 225)},
        {u"BUTTON", 1, 2, accent},
        {u"BUTTON", 3, 5, accent},
        {u"BUTTON", 3, 9, RGB(0, 0, 0)},
        {u"BUTTON", 2, 5, accent},
        {u"COMBOBOX", 1, 2, RGB(229, 241, 251)},
        {u"EDIT", 1, 5, accent},
        {u"HEADER", 1, 3, RGB(204, 228, 247)},
        {u"SCROLLBAR", 1, 1, RGB(240, 240, 240)},
        {u"PROGRESS", 3, 1, chunk},
        {u"TAB", 1, 3, accent},
        {u"SPIN", 1, 3, RGB(204, 228, 247)},
    };
    for (const Case& c : cases) {
        HTHEME t = OpenThemeData(nullptr, c.Cls);
        ASSERT_NE(t, nullptr);
        HBITMAP bmp;
        HDC dc = White(40, 24, bmp);
        RECT r{2, 2, 38, 22};
        EXPECT_EQ(DrawThemeBackground(t, dc, c.Part, c.State, &r, nullptr), S_OK);
        EXPECT_GT(Count(dc, r, c.Expect), 0)
            << std::string(c.Cls, c.Cls + 4) << " " << c.Part << "/" << c.State;
        // Nothing lands outside the rectangle.
        EXPECT_EQ(Count(dc, RECT{0, 0, 40, 2}, 0xFFFFFF), 80);
        EXPECT_EQ(CloseThemeData(t), S_OK);
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    HTHEME b = OpenThemeData(nullptr, u"BUTTON");
    SIZE s{};
    EXPECT_EQ(GetThemePartSize(b, nullptr, 3, 1, nullptr, 1, &s), S_OK);
    EXPECT_EQ(s.cx, 13);
    // The clip rectangle limits the drawing.
    HBITMAP bmp;
    HDC dc = White(40, 24, bmp);
    RECT r{0, 0, 40, 24}, clip{0, 0, 20, 24};
    DrawThemeBackground(b, dc, 1, 1, &r, &clip);
    EXPECT_EQ(Count(dc, RECT{21, 0, 40, 24}, 0xFFFFFF), 19 * 24);
    DeleteDC(dc);
    DeleteObject(bmp);
}

TEST(BuiltInTheme, GalleryOfParts)
{
    ThemeOn on;
    const int cols = 12, cw = 44, ch = 28;
    const char16_t* classes[] = {u"BUTTON", u"BUTTON",    u"BUTTON",   u"COMBOBOX", u"EDIT",
                                 u"HEADER", u"SCROLLBAR", u"PROGRESS", u"TAB",      u"SPIN"};
    const int parts[] = {1, 2, 3, 1, 1, 1, 1, 3, 1, 1};
    HBITMAP bmp;
    HDC dc = White(cols * cw, int(std::size(parts)) * ch, bmp);
    for (std::size_t row = 0; row < std::size(parts); ++row) {
        HTHEME t = OpenThemeData(nullptr, classes[row]);
        for (int st = 1; st <= cols; ++st) {
            RECT r{(st - 1) * cw + 4, int(row) * ch + 4, st * cw - 4, int(row + 1) * ch - 4};
            DrawThemeBackground(t, dc, parts[row], st, &r, nullptr);
        }
        CloseThemeData(t);
    }
    EXPECT_TRUE(SaveDCToPng(dc, "theme_gallery.png"));
    DeleteDC(dc);
    DeleteObject(bmp);
}

namespace {
class CommonControlGallery : public ControlTest {};
} // namespace

TEST_F(CommonControlGallery, RichEditPickerCalendarAndBalloon)
{
    SetWindowPos(Form, nullptr, 40, 40, 520, 400, SWP_NOZORDER);
    HWND rich = Make("RichEdit20A", "", ES_MULTILINE, 10, 10, 300, 120, 1, WS_EX_CLIENTEDGE);
    std::string rtf =
        R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}{\colortbl;\red200\green0\blue0;})"
        R"(\f0\fs20 Plain, \b bold\b0 , \i italic\i0 , \ul underlined\ulnone , \cf1 red\cf0 , x\up6 2\up0 .\par)"
        R"(\qc\f1\fs28 Centred \'e9l\'e8ve\par\ql\f0\fs20 Visit http://example.com today.\par})";
    struct Src {
        std::string S;
        std::size_t P = 0;
    } src{rtf};
    EDITSTREAM es;
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
    es.pfnCallback = [](DWORD_PTR c, BYTE* b, LONG n, LONG* got) -> DWORD {
        auto* s = reinterpret_cast<Src*>(c);
        std::size_t k = std::min<std::size_t>(std::size_t(n), s->S.size() - s->P);
        std::memcpy(b, s->S.data() + s->P, k);
        s->P += k;
        *got = LONG(k);
        return 0;
    };
    SendMessage(rich, EM_AUTOURLDETECT, 1, 0);
    SendMessage(rich, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
    HWND picker = Make(DATETIMEPICK_CLASS, "", 0, 320, 10, 180, 22, 2, WS_EX_CLIENTEDGE);
    HWND updown =
        Make(DATETIMEPICK_CLASS, "", DTS_TIMEFORMAT | DTS_SHOWNONE, 320, 40, 180, 22, 3, WS_EX_CLIENTEDGE);
    HWND cal = Make(MONTHCAL_CLASS, "", MCS_WEEKNUMBERS, 10, 140, 200, 180, 4);
    SYSTEMTIME st;
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 14;
    for (HWND h : {picker, updown})
        SendMessage(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    SendMessage(cal, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    SendMessage(cal, MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&st));
    HWND edit = Make("EDIT", "12x", ES_AUTOHSCROLL, 240, 200, 160, 22, 5, WS_EX_CLIENTEDGE);
    EDITBALLOONTIP bt;
    bt.pszTitle = u"Invalid entry";
    bt.pszText = u"Only digits are allowed here";
    bt.ttiIcon = TTI_WARNING;
    SendMessage(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&bt));
    Pump();
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        UpdateWindow(w);
    HDC dc = GetDC(Form);
    EXPECT_TRUE(SaveDCToPng(dc, "common_controls.png"));
    ReleaseDC(Form, dc);
    // The link is drawn blue, the selected calendar day in the highlight colour.
    RECT rr;
    GetClientRect(rich, &rr);
    HDC rdc = GetDC(rich);
    EXPECT_GT(Count(rdc, rr, RGB(0, 0, 255)), 0);
    ReleaseDC(rich, rdc);
}
