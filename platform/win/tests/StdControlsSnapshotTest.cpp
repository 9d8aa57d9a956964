// A window holding every standard control, saved as PNG for a person to look at, with a few
// pixels checked where the look is fixed.

#include "StdControlTestSupport.h"

#include "platform/win/Colors.h"

#include <cairo.h>

#include <set>
#include <vector>

using namespace wintest;

namespace {

class SnapshotTest : public ControlTest {
protected:
    // Whether the colour shows in a tenth of a rectangle at least (light text covers much of it).
    bool Shows(HWND h, RECT r, COLORREF c)
    {
        int hit = 0, all = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x, ++all)
                hit += Pixel(h, x, y) == c;
        return all > 0 && hit * 10 > all;
    }
    // The pixels of a rectangle of a control (its whole client area when empty), row by row.
    std::vector<COLORREF> Picture(HWND h, RECT r = RECT{})
    {
        if (r.Right <= r.Left)
            GetClientRect(h, &r);
        std::vector<COLORREF> pixels;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                pixels.push_back(Pixel(h, x, y));
        return pixels;
    }
    // One colour means the control drew nothing of its own (no text, frame, glyph or thumb).
    size_t Colours(HWND h)
    {
        std::vector<COLORREF> pixels = Picture(h);
        return std::set<COLORREF>(pixels.begin(), pixels.end()).size();
    }
};

TEST_F(SnapshotTest, EveryStandardControlDrawsItself)
{
    SetWindowPos(Form, nullptr, 40, 40, 520, 400, SWP_NOZORDER);
    HWND label = Make("STATIC", "獎品名稱 &Prize:", SS_LEFT, 10, 12, 110, 18, 1);
    HWND edit = Make("EDIT", "頭獎 — a car", ES_AUTOHSCROLL, 120, 10, 180, 22, 2, WS_EX_CLIENTEDGE);
    HWND password =
        Make("EDIT", "secret", ES_PASSWORD | ES_AUTOHSCROLL, 310, 10, 100, 22, 3, WS_EX_CLIENTEDGE);
    HWND memo = Make("EDIT", "第一行 first line\r\nsecond line wraps when it is too long for the box",
                     DWORD(ES_MULTILINE) | WS_VSCROLL, 10, 40, 200, 70, 4, WS_EX_CLIENTEDGE);
    HWND ok = Make("BUTTON", "OK", BS_DEFPUSHBUTTON, 220, 40, 80, 26, 5);
    HWND cancel = Make("BUTTON", "取消", BS_PUSHBUTTON, 310, 40, 80, 26, 6);
    HWND box = Make("BUTTON", "Options 選項", BS_GROUPBOX, 220, 72, 190, 100, 7);
    HWND check = Make("BUTTON", "Checked", BS_AUTOCHECKBOX, 230, 92, 120, 20, 8);
    HWND three = Make("BUTTON", "Third state", BS_AUTO3STATE, 230, 112, 120, 20, 9);
    HWND radio1 = Make("BUTTON", "Radio one", DWORD(BS_AUTORADIOBUTTON) | WS_GROUP, 230, 132, 80, 20, 10);
    HWND radio2 = Make("BUTTON", "Two", BS_AUTORADIOBUTTON, 320, 132, 80, 20, 11);
    HWND list = Make("LISTBOX", "", DWORD(LBS_NOTIFY) | WS_VSCROLL, 10, 120, 200, 80, 12, WS_EX_CLIENTEDGE);
    HWND dropList = Make("COMBOBOX", "", CBS_DROPDOWNLIST, 10, 210, 160, 22, 13);
    HWND dropDown = Make("COMBOBOX", "", CBS_DROPDOWN, 180, 210, 160, 22, 14);
    HWND simple = Make("COMBOBOX", "", CBS_SIMPLE, 350, 180, 150, 110, 15);
    HWND hbar = Make("SCROLLBAR", "", SBS_HORZ, 10, 300, 200, 17, 16);
    HWND vbar = Make("SCROLLBAR", "", SBS_VERT, 480, 10, 17, 150, 17);
    HWND etched = Make("STATIC", "", SS_ETCHEDHORZ, 10, 250, 330, 2, 18);
    HWND disabled = Make("EDIT", "disabled", ES_AUTOHSCROLL, 10, 260, 160, 22, 19, WS_EX_CLIENTEDGE);
    EnableWindow(disabled, FALSE);

    for (const char* s :
         {"一等獎 First prize", "二等獎 Second prize", "三等獎 Third prize", "Special", "More", "And more"})
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessage(list, LB_SETCURSEL, 1, 0);
    for (HWND c : {dropList, dropDown, simple})
        for (const char* s : {"一等獎", "二等獎", "三等獎"})
            SendMessage(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessage(dropList, CB_SETCURSEL, 0, 0);
    SendMessage(dropDown, CB_SETCURSEL, 1, 0);
    SendMessage(simple, CB_SETCURSEL, 2, 0);
    SendMessage(check, BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(three, BM_SETCHECK, BST_INDETERMINATE, 0);
    SendMessage(radio1, BM_SETCHECK, BST_CHECKED, 0);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    si.nMax = 99;
    si.nPage = 20;
    si.nPos = 40;
    SetScrollInfo(hbar, SB_CTL, &si, TRUE);
    SetScrollInfo(vbar, SB_CTL, &si, TRUE);
    SetFocus(edit);
    SendMessage(edit, EM_SETSEL, 0, 6); // the first two characters, six bytes
    Paint();

    cairo_surface_t* surface = GetWindowSurface(Form);
    ASSERT_NE(surface, nullptr);
    cairo_surface_flush(surface);
    EXPECT_EQ(cairo_surface_write_to_png(surface, "std_controls.png"), CAIRO_STATUS_SUCCESS);

    // The focused edit shows its selection; the list its selected item; the disabled edit is grey.
    EXPECT_TRUE(Shows(edit, RECT{2, 0, 20, 14}, GetSysColor(COLOR_HIGHLIGHT)));
    RECT item;
    SendMessage(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Pixel(list, item.Right - 3, item.Top + 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(disabled, 150, 10), GetSysColor(COLOR_BTNFACE));
    // Every control drew itself; the checked, third-state and unchecked glyphs differ.
    for (HWND c : {label, edit, password, memo, ok, cancel, box, check, three, radio1, radio2, list, dropList,
                   dropDown, simple, hbar, vbar, etched, disabled})
        EXPECT_GT(Colours(c), 1u) << "control " << GetDlgCtrlID(c);
    const RECT glyph{0, 0, 16, 20}; // left of the caption
    EXPECT_NE(Picture(check, glyph), Picture(three, glyph));
    EXPECT_NE(Picture(radio1, glyph), Picture(radio2, glyph));
    // The drop-down list's field is highlighted only while it has the focus.
    SetFocus(dropList);
    Paint();
    COMBOBOXINFO info;
    GetComboBoxInfo(dropList, &info);
    EXPECT_EQ(Pixel(dropList, info.rcItem.Right - 3, info.rcItem.Top + 3), GetSysColor(COLOR_HIGHLIGHT));
    SendMessage(dropList, CB_SHOWDROPDOWN, TRUE, 0);
    Paint();
    cairo_surface_t* popup = GetWindowSurface(info.hwndList);
    ASSERT_NE(popup, nullptr);
    cairo_surface_flush(popup);
    EXPECT_EQ(cairo_surface_write_to_png(popup, "std_controls_dropped.png"), CAIRO_STATUS_SUCCESS);
}

} // namespace
