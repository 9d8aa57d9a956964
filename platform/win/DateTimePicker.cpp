// The date-time picker and the month calendar it drops down.

#include "platform/win/CommCtrl.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/win/Colors.h"
#include "platform/win/StdControlsInternal.h"
#include "platform/win/WindowInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// ---- Calendar arithmetic ---------------------------------------------------------------------

bool Leap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysIn(int y, int m)
{
    static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && Leap(y) ? 29 : d[(m - 1) % 12];
}
// Days since 1970-01-01.
long long DayNumber(int y, int m, int d)
{
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
void FromDayNumber(long long z, int& y, int& m, int& d)
{
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}
int WeekDay(int y, int m, int d) // 0 = Sunday
{
    long long n = DayNumber(y, m, d);
    return int(((n % 7) + 11) % 7);
}
int IsoWeek(int y, int m, int d)
{
    long long n = DayNumber(y, m, d);
    int wd = (WeekDay(y, m, d) + 6) % 7; // Monday 0
    long long thursday = n - wd + 3;
    int ty, tm, td;
    FromDayNumber(thursday, ty, tm, td);
    return int((thursday - DayNumber(ty, 1, 1)) / 7 + 1);
}

void Normalise(SYSTEMTIME& st)
{
    st.wYear = WORD(std::clamp<int>(st.wYear, 1601, 9999));
    st.wMonth = WORD(std::clamp<int>(st.wMonth, 1, 12));
    st.wDay = WORD(std::clamp<int>(st.wDay, 1, DaysIn(st.wYear, st.wMonth)));
    st.wHour = WORD(std::min<int>(st.wHour, 23));
    st.wMinute = WORD(std::min<int>(st.wMinute, 59));
    st.wSecond = WORD(std::min<int>(st.wSecond, 59));
    st.wDayOfWeek = WORD(WeekDay(st.wYear, st.wMonth, st.wDay));
}

bool Valid(const SYSTEMTIME& st)
{
    return st.wYear >= 1601 && st.wYear <= 9999 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= DaysIn(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60;
}

// The dates a picker or calendar lets one choose (DTM_SETRANGE, MCM_SETRANGE): GDTR_MIN and
// GDTR_MAX say which ends are set.
struct DateRange {
    DWORD Flags = 0;
    SYSTEMTIME Min{}, Max{};
};

long long DateKey(const SYSTEMTIME& st)
{
    return DayNumber(st.wYear, st.wMonth, st.wDay);
}

long long TimeKey(const SYSTEMTIME& st)
{
    return ((DateKey(st) * 24 + st.wHour) * 60 + st.wMinute) * 60 + st.wSecond;
}

// The value moved into the range; `withTime`: the time of day counts, else the day only.
SYSTEMTIME Clamped(const DateRange& r, SYSTEMTIME st, bool withTime)
{
    auto key = [&](const SYSTEMTIME& t) { return withTime ? TimeKey(t) : DateKey(t); };
    auto take = [&](const SYSTEMTIME& end) {
        if (withTime) {
            st = end;
        } else {
            st.wYear = end.wYear;
            st.wMonth = end.wMonth;
            st.wDay = end.wDay;
        }
    };
    if ((r.Flags & GDTR_MIN) && key(st) < key(r.Min))
        take(r.Min);
    if ((r.Flags & GDTR_MAX) && key(st) > key(r.Max))
        take(r.Max);
    return st;
}

// DTM_SETRANGE and MCM_SETRANGE: the ends given by `flags` from the two times at `times`.
bool SetRange(DateRange& r, WPARAM flags, LPARAM times)
{
    const auto* t = reinterpret_cast<const SYSTEMTIME*>(times);
    flags &= GDTR_MIN | GDTR_MAX;
    if (flags && !t)
        return false;
    if (((flags & GDTR_MIN) && !Valid(t[0])) || ((flags & GDTR_MAX) && !Valid(t[1])))
        return false;
    r.Flags = DWORD(flags);
    if (flags & GDTR_MIN)
        r.Min = t[0];
    if (flags & GDTR_MAX)
        r.Max = t[1];
    return true;
}

LRESULT GetRange(const DateRange& r, LPARAM times)
{
    if (auto* t = reinterpret_cast<SYSTEMTIME*>(times)) {
        t[0] = (r.Flags & GDTR_MIN) ? r.Min : SYSTEMTIME{};
        t[1] = (r.Flags & GDTR_MAX) ? r.Max : SYSTEMTIME{};
    }
    return LRESULT(r.Flags);
}

SYSTEMTIME Today()
{
    Word y, m, d, h, n, s, ms;
    TDateTime now = Now();
    DecodeDate(now, y, m, d);
    DecodeTime(now, h, n, s, ms);
    SYSTEMTIME st;
    st.wYear = y;
    st.wMonth = m;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = n;
    st.wSecond = s;
    Normalise(st);
    return st;
}

HFONT UiFont(bool bold = false)
{
    static HFONT f[2] = {};
    if (!f[bold]) {
        LOGFONTA lf{};
        GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        if (bold)
            lf.lfWeight = FW_BOLD;
        f[bold] = CreateFontIndirect(&lf);
    }
    return f[bold];
}

void Fill(HDC dc, RECT r, COLORREF c)
{
    const TOwnedBrush b(CreateSolidBrush(c));
    FillRect(dc, &r, b.get());
}

void Text(HDC dc, const std::string& s, RECT r, UINT flags, COLORREF c)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c);
    DrawText(dc, s.c_str(), int(s.size()), &r, flags | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}

void Arrow(HDC dc, RECT r, int dir) // 0 up, 1 down, 2 left, 3 right
{
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    POINT p[3];
    switch (dir) {
    case 0:
        p[0] = {cx - 3, cy + 1}, p[1] = {cx + 3, cy + 1}, p[2] = {cx, cy - 2};
        break;
    case 1:
        p[0] = {cx - 3, cy - 1}, p[1] = {cx + 3, cy - 1}, p[2] = {cx, cy + 2};
        break;
    case 2:
        p[0] = {cx + 1, cy - 3}, p[1] = {cx + 1, cy + 3}, p[2] = {cx - 2, cy};
        break;
    default:
        p[0] = {cx - 1, cy - 3}, p[1] = {cx - 1, cy + 3}, p[2] = {cx + 2, cy};
        break;
    }
    const TOwnedBrush b(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
    const TOwnedPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
    const TSelectObject sb(dc, b.get()), sp(dc, pen.get());
    Polygon(dc, p, 3);
}

// ---- Month calendar --------------------------------------------------------------------------

constexpr int kCellW = 24, kCellH = 17, kTitleH = 22, kHeadH = 17, kWeekW = 22, kMargin = 4;

struct Calendar {
    SYSTEMTIME Sel, TodayDate;
    DateRange Range;
    int ShowYear = 0, ShowMonth = 0;
    HWND NotifyTo = nullptr; // the picker of a dropped calendar
};

std::map<HWND, Calendar>& Calendars()
{
    static std::map<HWND, Calendar> c;
    return c;
}

DWORD CalStyle(HWND h)
{
    return DWORD(GetWindowLong(h, GWL_STYLE));
}

SIZE CalMinSize(HWND h)
{
    DWORD s = CalStyle(h);
    int w = 7 * kCellW + ((s & MCS_WEEKNUMBERS) ? kWeekW : 0) + 2 * kMargin;
    int hgt = kTitleH + kHeadH + 6 * kCellH + ((s & MCS_NOTODAY) ? 0 : kCellH) + 2 * kMargin;
    return SIZE{w, hgt};
}

int GridLeft(HWND h)
{
    return kMargin + ((CalStyle(h) & MCS_WEEKNUMBERS) ? kWeekW : 0);
}
int GridTop()
{
    return kMargin + kTitleH + kHeadH;
}

// The date shown in row r, column c of the grid (days of the months around included).
void CellDate(const Calendar& c, int row, int col, int& y, int& m, int& d)
{
    long long first = DayNumber(c.ShowYear, c.ShowMonth, 1);
    int lead = WeekDay(c.ShowYear, c.ShowMonth, 1);
    if (lead == 0)
        lead = 7; // always a row of the month before, as the control shows it
    FromDayNumber(first - lead + row * 7 + col, y, m, d);
}

void CalNotify(HWND h, Calendar& c, UINT code)
{
    NMSELCHANGE n;
    n.stSelStart = n.stSelEnd = c.Sel;
    n.nmhdr.hwndFrom = h;
    n.nmhdr.idFrom = UINT_PTR(GetDlgCtrlID(h));
    n.nmhdr.code = code;
    HWND to = c.NotifyTo ? c.NotifyTo : GetParent(h);
    if (to)
        SendMessage(to, WM_NOTIFY, n.nmhdr.idFrom, reinterpret_cast<LPARAM>(&n));
}

void CalSelect(HWND h, Calendar& c, int y, int m, int d, bool select)
{
    SYSTEMTIME st = c.Sel;
    st.wYear = WORD(y);
    st.wMonth = WORD(m);
    st.wDay = WORD(d);
    Normalise(st);
    st = Clamped(c.Range, st, false);
    Normalise(st);
    bool changed = st.wYear != c.Sel.wYear || st.wMonth != c.Sel.wMonth || st.wDay != c.Sel.wDay;
    c.Sel = st;
    c.ShowYear = st.wYear;
    c.ShowMonth = st.wMonth;
    InvalidateRect(h, nullptr, TRUE);
    if (changed)
        CalNotify(h, c, MCN_SELCHANGE);
    if (select)
        CalNotify(h, c, MCN_SELECT);
}

void CalPaint(HWND h, Calendar& c, HDC dc)
{
    RECT cr;
    GetClientRect(h, &cr);
    Fill(dc, cr, GetSysColor(COLOR_WINDOW));
    HGDIOBJ of = SelectObject(dc, UiFont(true));
    DWORD style = CalStyle(h);
    int gl = GridLeft(h), gw = 7 * kCellW;
    RECT title{kMargin, kMargin, gl + gw, kMargin + kTitleH};
    Fill(dc, title, GetSysColor(COLOR_BTNFACE));
    std::string caption = LongMonthNames[std::size_t(c.ShowMonth - 1)] + " " + std::to_string(c.ShowYear);
    Text(dc, caption, title, DT_CENTER, GetSysColor(COLOR_BTNTEXT));
    Arrow(dc, RECT{title.Left, title.Top, title.Left + 20, title.Bottom}, 2);
    Arrow(dc, RECT{title.Right - 20, title.Top, title.Right, title.Bottom}, 3);
    SelectObject(dc, UiFont(false));
    for (int col = 0; col < 7; ++col) {
        RECT r{gl + col * kCellW, kMargin + kTitleH, gl + (col + 1) * kCellW, GridTop()};
        Text(dc, ShortDayNames[std::size_t(col)].substr(0, 2), r, DT_CENTER, GetSysColor(COLOR_HIGHLIGHT));
    }
    const TOwnedPen line(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
    const TSelectObject sl(dc, line.get());
    MoveToEx(dc, gl, GridTop() - 1, nullptr);
    LineTo(dc, gl + gw, GridTop() - 1);
    for (int row = 0; row < 6; ++row) {
        int y0, m0, d0;
        CellDate(c, row, 0, y0, m0, d0);
        if (style & MCS_WEEKNUMBERS) {
            RECT r{kMargin, GridTop() + row * kCellH, gl - 2, GridTop() + (row + 1) * kCellH};
            int wy, wm, wd;
            CellDate(c, row, 1, wy, wm, wd); // the week's Monday
            Text(dc, std::to_string(IsoWeek(wy, wm, wd)), r, DT_RIGHT, GetSysColor(COLOR_GRAYTEXT));
        }
        for (int col = 0; col < 7; ++col) {
            int y, m, d;
            CellDate(c, row, col, y, m, d);
            RECT r{gl + col * kCellW, GridTop() + row * kCellH, gl + (col + 1) * kCellW,
                   GridTop() + (row + 1) * kCellH};
            bool sel = y == c.Sel.wYear && m == c.Sel.wMonth && d == c.Sel.wDay;
            bool today = y == c.TodayDate.wYear && m == c.TodayDate.wMonth && d == c.TodayDate.wDay;
            if (sel)
                Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
            if (today && !(style & MCS_NOTODAYCIRCLE)) {
                const TOwnedPen red(CreatePen(PS_SOLID, 1, RGB(200, 0, 0)));
                const TSelectObject sr(dc, red.get()), sb(dc, GetStockObject(NULL_BRUSH));
                Rectangle(dc, r.Left + 1, r.Top, r.Right - 1, r.Bottom);
            }
            COLORREF fg =
                sel ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                    : (m == c.ShowMonth ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT));
            Text(dc, std::to_string(d), r, DT_CENTER, fg);
        }
    }
    if (!(style & MCS_NOTODAY)) {
        RECT r{gl, GridTop() + 6 * kCellH, gl + gw, GridTop() + 7 * kCellH};
        SelectObject(dc, UiFont(true));
        char buf[32];
        std::snprintf(buf, sizeof buf, "Today: %04d-%02d-%02d", c.TodayDate.wYear, c.TodayDate.wMonth,
                      c.TodayDate.wDay);
        Text(dc, buf, r, DT_LEFT, GetSysColor(COLOR_WINDOWTEXT));
    }
    SelectObject(dc, of);
}

void ShiftMonth(Calendar& c, int by)
{
    int m = c.ShowYear * 12 + (c.ShowMonth - 1) + by;
    m = std::clamp(m, 1601 * 12, 9999 * 12 + 11);
    c.ShowYear = m / 12;
    c.ShowMonth = m % 12 + 1;
}

LRESULT CalProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        Calendar& c = Calendars()[h];
        c.TodayDate = Today();
        c.Sel = c.TodayDate;
        c.ShowYear = c.Sel.wYear;
        c.ShowMonth = c.Sel.wMonth;
        return DefWindowProc(h, msg, w, l);
    }
    auto it = Calendars().find(h);
    if (it == Calendars().end())
        return DefWindowProc(h, msg, w, l);
    Calendar& c = it->second;
    switch (msg) {
    case WM_NCDESTROY:
        Calendars().erase(it);
        return DefWindowProc(h, msg, w, l);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        CalPaint(h, c, dc);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case MCM_GETMINREQRECT: {
        if (!l)
            return FALSE;
        SIZE s = CalMinSize(h);
        *reinterpret_cast<RECT*>(l) = RECT{0, 0, s.cx, s.cy};
        return TRUE;
    }
    case MCM_GETCURSEL:
        if (l)
            *reinterpret_cast<SYSTEMTIME*>(l) = c.Sel;
        return TRUE;
    case MCM_SETCURSEL: {
        auto* st = reinterpret_cast<const SYSTEMTIME*>(l);
        if (!st || !Valid(*st))
            return FALSE;
        c.Sel = Clamped(c.Range, *st, false);
        Normalise(c.Sel);
        c.ShowYear = c.Sel.wYear;
        c.ShowMonth = c.Sel.wMonth;
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
    }
    case MCM_SETTODAY:
        c.TodayDate = l ? *reinterpret_cast<const SYSTEMTIME*>(l) : Today();
        Normalise(c.TodayDate);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case MCM_GETTODAY:
        if (l)
            *reinterpret_cast<SYSTEMTIME*>(l) = c.TodayDate;
        return TRUE;
    case MCM_SETRANGE:
        if (!SetRange(c.Range, w, l))
            return FALSE;
        c.Sel = Clamped(c.Range, c.Sel, false);
        Normalise(c.Sel);
        c.ShowYear = c.Sel.wYear;
        c.ShowMonth = c.Sel.wMonth;
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
    case MCM_GETRANGE:
        return GetRange(c.Range, l);
    case WM_USER + 0x7F0: // the picker that dropped this calendar down
        c.NotifyTo = reinterpret_cast<HWND>(l);
        return 0;
    case WM_LBUTTONDOWN: {
        int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
        int gl = GridLeft(h);
        if (y >= kMargin && y < kMargin + kTitleH) {
            if (x < kMargin + 20)
                ShiftMonth(c, -1);
            else if (x >= gl + 7 * kCellW - 20)
                ShiftMonth(c, 1);
            InvalidateRect(h, nullptr, TRUE);
            return 0;
        }
        int gy = GridTop();
        if (x >= gl && x < gl + 7 * kCellW && y >= gy && y < gy + 6 * kCellH) {
            int yy, mm, dd;
            CellDate(c, (y - gy) / kCellH, (x - gl) / kCellW, yy, mm, dd);
            CalSelect(h, c, yy, mm, dd, true);
            return 0;
        }
        if (!(CalStyle(h) & MCS_NOTODAY) && y >= gy + 6 * kCellH && y < gy + 7 * kCellH)
            CalSelect(h, c, c.TodayDate.wYear, c.TodayDate.wMonth, c.TodayDate.wDay, true);
        return 0;
    }
    case WM_KEYDOWN: {
        long long n = DayNumber(c.Sel.wYear, c.Sel.wMonth, c.Sel.wDay);
        int y, m, d;
        switch (w) {
        case VK_LEFT:
            n -= 1;
            break;
        case VK_RIGHT:
            n += 1;
            break;
        case VK_UP:
            n -= 7;
            break;
        case VK_DOWN:
            n += 7;
            break;
        case VK_HOME:
        case VK_END:
            // The first or the last day of the month.
            CalSelect(h, c, c.Sel.wYear, c.Sel.wMonth, w == VK_HOME ? 1 : DaysIn(c.Sel.wYear, c.Sel.wMonth),
                      false);
            return 0;
        case VK_PRIOR:
        case VK_NEXT: {
            Calendar t = c;
            t.ShowYear = c.Sel.wYear;
            t.ShowMonth = c.Sel.wMonth;
            ShiftMonth(t, w == VK_PRIOR ? -1 : 1);
            CalSelect(h, c, t.ShowYear, t.ShowMonth,
                      std::min<int>(c.Sel.wDay, DaysIn(t.ShowYear, t.ShowMonth)), false);
            return 0;
        }
        case VK_RETURN:
            CalNotify(h, c, MCN_SELECT);
            return 0;
        case VK_ESCAPE:
            if (c.NotifyTo)
                SendMessage(c.NotifyTo, DTM_CLOSEMONTHCAL, 0, 0);
            return 0;
        default:
            return 0;
        }
        FromDayNumber(n, y, m, d);
        CalSelect(h, c, y, m, d, false);
        return 0;
    }
    default:
        return DefWindowProc(h, msg, w, l);
    }
}

// ---- Date-time picker ------------------------------------------------------------------------

enum class FieldKind { Literal, Day, DayName, Month, Year, Hour12, Hour24, Minute, Second, AmPm };

struct Field {
    FieldKind Kind = FieldKind::Literal;
    int Width = 0; // letters in the picture (dd = 2, MMMM = 4)
    std::string Literal;
};

std::vector<Field> ParseFormat(const std::string& f)
{
    std::vector<Field> out;
    std::size_t i = 0;
    while (i < f.size()) {
        char ch = f[i];
        if (ch == '\'') {
            std::size_t j = f.find('\'', i + 1);
            std::string lit = f.substr(i + 1, (j == std::string::npos ? f.size() : j) - i - 1);
            out.push_back({FieldKind::Literal, 0, lit.empty() ? "'" : lit});
            i = j == std::string::npos ? f.size() : j + 1;
            continue;
        }
        std::size_t j = i;
        while (j < f.size() && f[j] == ch)
            ++j;
        int n = int(j - i);
        Field fl;
        fl.Width = n;
        switch (ch) {
        case 'd':
            fl.Kind = n >= 3 ? FieldKind::DayName : FieldKind::Day;
            break;
        case 'M':
            fl.Kind = FieldKind::Month;
            break;
        case 'y':
            fl.Kind = FieldKind::Year;
            break;
        case 'h':
            fl.Kind = FieldKind::Hour12;
            break;
        case 'H':
            fl.Kind = FieldKind::Hour24;
            break;
        case 'm':
            fl.Kind = FieldKind::Minute;
            break;
        case 's':
            fl.Kind = FieldKind::Second;
            break;
        case 't':
            fl.Kind = FieldKind::AmPm;
            break;
        default:
            fl.Kind = FieldKind::Literal;
            fl.Literal = f.substr(i, j - i);
            break;
        }
        out.push_back(fl);
        i = j;
    }
    return out;
}

std::string Two(int v, int width)
{
    std::string s = std::to_string(v);
    while (int(s.size()) < width)
        s = "0" + s;
    return s;
}

std::string FieldText(const Field& f, const SYSTEMTIME& st)
{
    switch (f.Kind) {
    case FieldKind::Literal:
        return f.Literal;
    case FieldKind::Day:
        return Two(st.wDay, f.Width);
    case FieldKind::DayName:
        return f.Width >= 4 ? LongDayNames[st.wDayOfWeek % 7] : ShortDayNames[st.wDayOfWeek % 7];
    case FieldKind::Month:
        if (f.Width >= 4)
            return LongMonthNames[std::size_t(st.wMonth - 1) % 12];
        if (f.Width == 3)
            return ShortMonthNames[std::size_t(st.wMonth - 1) % 12];
        return Two(st.wMonth, f.Width);
    case FieldKind::Year:
        return f.Width <= 2 ? Two(st.wYear % 100, 2) : Two(st.wYear, 4);
    case FieldKind::Hour12:
        return Two(st.wHour % 12 == 0 ? 12 : st.wHour % 12, f.Width);
    case FieldKind::Hour24:
        return Two(st.wHour, f.Width);
    case FieldKind::Minute:
        return Two(st.wMinute, f.Width);
    case FieldKind::Second:
        return Two(st.wSecond, f.Width);
    case FieldKind::AmPm: {
        std::string s = st.wHour < 12 ? "AM" : "PM";
        return f.Width == 1 ? s.substr(0, 1) : s;
    }
    }
    return {};
}

bool Editable(const Field& f)
{
    return f.Kind != FieldKind::Literal && f.Kind != FieldKind::DayName;
}

struct Picker {
    SYSTEMTIME Value;
    DateRange Range;
    bool Checked = true;
    std::string Format; // empty: from the style
    int Active = -1;    // the field being edited
    int Typed = 0;      // digits typed into the active field so far
    int TypedValue = 0;
    HWND Calendar = nullptr;
    bool Focused = false;
};

std::map<HWND, Picker>& Pickers()
{
    static std::map<HWND, Picker> p;
    return p;
}

DWORD PStyle(HWND h)
{
    return DWORD(GetWindowLong(h, GWL_STYLE));
}

bool IsTime(HWND h)
{
    return (PStyle(h) & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
}
bool HasUpDown(HWND h)
{
    return (PStyle(h) & DTS_UPDOWN) || IsTime(h);
}

std::string FormatOf(HWND h, const Picker& p)
{
    if (!p.Format.empty())
        return p.Format;
    if (IsTime(h))
        return "HH:mm:ss";
    // The long or short date of the locale settings, whose month letter may be m.
    const bool longDate = PStyle(h) & DTS_LONGDATEFORMAT;
    std::string f = longDate ? LongDateFormat : ShortDateFormat;
    if (f.find('M') == std::string::npos)
        for (char& ch : f)
            if (ch == 'm')
                ch = 'M';
    if (f.empty())
        return longDate ? "dddd, MMMM d, yyyy" : "yyyy-MM-dd";
    return f;
}

constexpr int kButton = 16, kCheck = 16;

RECT ButtonRect(HWND h)
{
    RECT c;
    GetClientRect(h, &c);
    return RECT{c.Right - kButton, c.Top, c.Right, c.Bottom};
}

int TextLeft(HWND h)
{
    return 2 + ((PStyle(h) & DTS_SHOWNONE) ? kCheck + 2 : 0);
}

// Field boxes in client coordinates.
std::vector<RECT> FieldRects(HWND h, const Picker& p, const std::vector<Field>& fields)
{
    std::vector<RECT> out;
    const TOwnedDC dc(CreateMeasuringDC());
    const TSelectObject font(dc.get(), UiFont());
    RECT c;
    GetClientRect(h, &c);
    int x = TextLeft(h);
    for (const Field& f : fields) {
        std::string s = FieldText(f, p.Value);
        SIZE sz{};
        GetTextExtentPoint32(dc.get(), s.c_str(), int(s.size()), &sz);
        out.push_back(RECT{x, c.Top + 2, x + sz.cx, c.Bottom - 2});
        x += sz.cx;
    }
    return out;
}

void SendChange(HWND h, Picker& p)
{
    NMDATETIMECHANGE n;
    n.dwFlags = p.Checked ? GDT_VALID : GDT_NONE;
    n.st = p.Value;
    SendNotify(h, DTN_DATETIMECHANGE, &n.nmhdr);
}

void SetValue(HWND h, Picker& p, SYSTEMTIME st, bool notify)
{
    Normalise(st);
    st = Clamped(p.Range, st, true);
    Normalise(st);
    p.Value = st;
    InvalidateRect(h, nullptr, TRUE);
    if (p.Calendar)
        SendMessage(p.Calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&p.Value));
    if (notify)
        SendChange(h, p);
}

// Steps a field by `by`, wrapping within its range.
void Step(HWND h, Picker& p, const Field& f, int by)
{
    SYSTEMTIME st = p.Value;
    auto wrap = [](int v, int lo, int hi) {
        return lo + (((v - lo) % (hi - lo + 1)) + (hi - lo + 1)) % (hi - lo + 1);
    };
    switch (f.Kind) {
    case FieldKind::Day:
        st.wDay = WORD(wrap(st.wDay + by, 1, DaysIn(st.wYear, st.wMonth)));
        break;
    case FieldKind::Month:
        st.wMonth = WORD(wrap(st.wMonth + by, 1, 12));
        break;
    case FieldKind::Year:
        st.wYear = WORD(std::clamp(st.wYear + by, 1601, 9999));
        break;
    case FieldKind::Hour12:
    case FieldKind::Hour24:
        st.wHour = WORD(wrap(st.wHour + by, 0, 23));
        break;
    case FieldKind::Minute:
        st.wMinute = WORD(wrap(st.wMinute + by, 0, 59));
        break;
    case FieldKind::Second:
        st.wSecond = WORD(wrap(st.wSecond + by, 0, 59));
        break;
    case FieldKind::AmPm:
        st.wHour = WORD((st.wHour + 12) % 24);
        break;
    default:
        return;
    }
    SetValue(h, p, st, true);
}

// A year of two digits or fewer in the century around today that TwoDigitYearCenturyWindow
// gives (with the window 50 in 2026: 42 is 2042, 99 is 1999).
int FullYear(int yy)
{
    const int window = TwoDigitYearCenturyWindow;
    const int base = Today().wYear - window;
    int full = yy + base / 100 * 100;
    if (window > 0 && full < base)
        full += 100;
    return full;
}

// The year digits typed so far become the year: two or fewer as a year of the century window,
// more as they stand. A year the picker cannot show (before 1601) is refused with a beep.
void CommitTyped(HWND h, Picker& p, const std::vector<Field>& fields)
{
    const int typed = p.Typed;
    p.Typed = 0;
    if (typed == 0 || p.Active < 0 || std::size_t(p.Active) >= fields.size() ||
        fields[std::size_t(p.Active)].Kind != FieldKind::Year)
        return;
    const int year = typed <= 2 ? FullYear(p.TypedValue) : p.TypedValue;
    if (year < 1601 || year > 9999) {
        MessageBeep(0);
        InvalidateRect(h, nullptr, TRUE);
        return;
    }
    SYSTEMTIME st = p.Value;
    st.wYear = WORD(year);
    // Moving the field on after a full year goes with the change (see TypeDigit).
    const int maxDigits = fields[std::size_t(p.Active)].Width <= 2 ? 2 : 4;
    if (typed >= maxDigits)
        for (std::size_t i = std::size_t(p.Active) + 1; i < fields.size(); ++i)
            if (Editable(fields[i])) {
                p.Active = int(i);
                break;
            }
    SetValue(h, p, st, true);
}

// A typed digit: fills the active field; the second digit (or a digit that cannot start a
// longer number) moves on to the next field.
void TypeDigit(HWND h, Picker& p, const std::vector<Field>& fields, int digit)
{
    if (p.Active < 0)
        return;
    const Field& f = fields[std::size_t(p.Active)];
    SYSTEMTIME st = p.Value;
    int v = p.Typed ? p.TypedValue * 10 + digit : digit;
    int maxDigits = f.Kind == FieldKind::Year ? (f.Width <= 2 ? 2 : 4) : 2;
    p.Typed++;
    p.TypedValue = v;
    switch (f.Kind) {
    case FieldKind::Day:
        st.wDay = WORD(std::clamp(v, 1, DaysIn(st.wYear, st.wMonth)));
        break;
    case FieldKind::Month:
        st.wMonth = WORD(std::clamp(v, 1, 12));
        break;
    case FieldKind::Year:
        // Shown as typed (see PickerPaint) until the field is full or left.
        if (p.Typed >= maxDigits)
            CommitTyped(h, p, fields);
        else
            InvalidateRect(h, nullptr, TRUE);
        return;
    case FieldKind::Hour24:
        st.wHour = WORD(std::clamp(v, 0, 23));
        break;
    case FieldKind::Hour12:
        st.wHour = WORD((st.wHour >= 12 ? 12 : 0) + std::clamp(v, 1, 12) % 12);
        break;
    case FieldKind::Minute:
        st.wMinute = WORD(std::clamp(v, 0, 59));
        break;
    case FieldKind::Second:
        st.wSecond = WORD(std::clamp(v, 0, 59));
        break;
    default:
        return;
    }
    if (p.Typed >= maxDigits) {
        p.Typed = 0;
        for (std::size_t i = std::size_t(p.Active) + 1; i < fields.size(); ++i)
            if (Editable(fields[i])) {
                p.Active = int(i);
                break;
            }
    }
    SetValue(h, p, st, true);
}

void CloseUp(HWND h, Picker& p)
{
    if (!p.Calendar)
        return;
    HWND cal = p.Calendar;
    p.Calendar = nullptr;
    DestroyWindow(cal);
    if (IsWindow(h) && GetFocus() != h)
        SetFocus(h);
    NMHDR n;
    SendNotify(h, DTN_CLOSEUP, &n);
}

void DropDown(HWND h, Picker& p)
{
    if (p.Calendar || HasUpDown(h))
        return;
    NMHDR n;
    RECT wr;
    GetWindowRect(h, &wr);
    p.Calendar =
        CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, MONTHCAL_CLASS, nullptr, WS_POPUP | WS_BORDER,
                       wr.Left, wr.Bottom, 0, 0, GetAncestor(h, GA_ROOT), nullptr, nullptr, nullptr);
    if (!p.Calendar)
        return;
    SendMessage(p.Calendar, WM_USER + 0x7F0, 0, reinterpret_cast<LPARAM>(h));
    const SYSTEMTIME range[2] = {p.Range.Min, p.Range.Max};
    SendMessage(p.Calendar, MCM_SETRANGE, p.Range.Flags, reinterpret_cast<LPARAM>(range));
    SendMessage(p.Calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&p.Value));
    // The owner may change the calendar's style and size here (DTM_GETMONTHCAL).
    SendNotify(h, DTN_DROPDOWN, &n);
    if (!p.Calendar)
        return;
    RECT need{};
    SendMessage(p.Calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
    RECT cur;
    GetWindowRect(p.Calendar, &cur);
    int w = std::max<int>(cur.Right - cur.Left, need.Right + 2),
        hh = std::max<int>(cur.Bottom - cur.Top, need.Bottom + 2);
    SetWindowPos(p.Calendar, HWND_TOPMOST, wr.Left, wr.Bottom, w, hh, SWP_SHOWWINDOW);
    SetFocus(p.Calendar);
}

void PickerPaint(HWND h, Picker& p, HDC dc)
{
    RECT c;
    GetClientRect(h, &c);
    bool enabled = IsWindowEnabled(h);
    Fill(dc, c, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    HGDIOBJ of = SelectObject(dc, UiFont());
    if (PStyle(h) & DTS_SHOWNONE) {
        RECT box{2, (c.Bottom - 13) / 2, 15, (c.Bottom - 13) / 2 + 13};
        UINT st = DFCS_BUTTONCHECK | (p.Checked ? DFCS_CHECKED : 0u) | DFCS_FLAT;
        DrawFrameControl(dc, &box, DFC_BUTTON, st);
    }
    auto fields = ParseFormat(FormatOf(h, p));
    auto rects = FieldRects(h, p, fields);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        bool active = p.Focused && !p.Calendar && int(i) == p.Active;
        if (active)
            Fill(dc, rects[i], GetSysColor(COLOR_HIGHLIGHT));
        COLORREF fg = !enabled || !p.Checked ? GetSysColor(COLOR_GRAYTEXT)
                                             : GetSysColor(active ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        // A year being typed shows its digits so far.
        std::string text = active && p.Typed > 0 && fields[i].Kind == FieldKind::Year
                               ? Two(p.TypedValue, p.Typed)
                               : FieldText(fields[i], p.Value);
        Text(dc, text, rects[i], DT_LEFT, fg);
    }
    RECT b = ButtonRect(h);
    if (HasUpDown(h)) {
        RECT up{b.Left, b.Top, b.Right, (b.Top + b.Bottom) / 2}, down{b.Left, up.Bottom, b.Right, b.Bottom};
        DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP);
        DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN);
    } else {
        DrawFrameControl(dc, &b, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (p.Calendar ? DFCS_PUSHED : 0u));
    }
    SelectObject(dc, of);
}

int FirstEditable(const std::vector<Field>& fields, int from, int dir)
{
    for (int i = from; i >= 0 && i < int(fields.size()); i += dir)
        if (Editable(fields[std::size_t(i)]))
            return i;
    return -1;
}

LRESULT PickerProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        Picker& p = Pickers()[h];
        p.Value = Today();
        p.Value.wMilliseconds = 0;
        return DefWindowProc(h, msg, w, l);
    }
    auto it = Pickers().find(h);
    if (it == Pickers().end())
        return DefWindowProc(h, msg, w, l);
    Picker& p = it->second;
    switch (msg) {
    case WM_NCDESTROY:
        if (p.Calendar && IsWindow(p.Calendar))
            DestroyWindow(p.Calendar);
        Pickers().erase(it);
        return DefWindowProc(h, msg, w, l);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        // Into the DC handed over when there is one (a control's own painting passes it).
        stdctl::PaintScope ps(h, w);
        PickerPaint(h, p, ps.Dc);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        p.Focused = true;
        if (p.Active < 0)
            p.Active = FirstEditable(ParseFormat(FormatOf(h, p)), 0, 1);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case WM_KILLFOCUS:
        p.Focused = false;
        CommitTyped(h, p, ParseFormat(FormatOf(h, p)));
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    case DTM_GETSYSTEMTIME:
        if (!l)
            return GDT_ERROR;
        *reinterpret_cast<SYSTEMTIME*>(l) = p.Value;
        return p.Checked ? GDT_VALID : GDT_NONE;
    case DTM_SETSYSTEMTIME:
        if (w == WPARAM(GDT_NONE)) {
            if (!(PStyle(h) & DTS_SHOWNONE))
                return FALSE;
            p.Checked = false;
            InvalidateRect(h, nullptr, TRUE);
            return TRUE;
        }
        if (!l || !Valid(*reinterpret_cast<const SYSTEMTIME*>(l)))
            return FALSE;
        p.Checked = true;
        SetValue(h, p, *reinterpret_cast<const SYSTEMTIME*>(l), false);
        return TRUE;
    case DTM_SETRANGE:
        if (!SetRange(p.Range, w, l))
            return FALSE;
        SetValue(h, p, p.Value, false);
        if (p.Calendar)
            SendMessage(p.Calendar, MCM_SETRANGE, w, l);
        return TRUE;
    case DTM_GETRANGE:
        return GetRange(p.Range, l);
    case DTM_SETFORMATA:
        p.Typed = 0;
        p.Format = l ? reinterpret_cast<const char*>(l) : "";
        p.Active = FirstEditable(ParseFormat(FormatOf(h, p)), 0, 1);
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        // The window text is the value as the fields show it.
        std::string text;
        for (const Field& f : ParseFormat(FormatOf(h, p)))
            text += FieldText(f, p.Value);
        if (IsWindowUnicode(h)) {
            const std::u16string wide = ToUtf16(text);
            DefWindowProc(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        } else {
            DefWindowProc(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        return DefWindowProc(h, msg, w, l);
    }
    case DTM_GETMONTHCAL:
        return reinterpret_cast<LRESULT>(p.Calendar);
    case DTM_CLOSEMONTHCAL:
        CloseUp(h, p);
        return 0;
    case WM_NOTIFY: {
        auto* n = reinterpret_cast<const NMHDR*>(l);
        if (n && p.Calendar && n->hwndFrom == p.Calendar && n->code == MCN_SELECT) {
            SYSTEMTIME st = p.Value;
            const auto* sc = reinterpret_cast<const NMSELCHANGE*>(l);
            st.wYear = sc->stSelStart.wYear;
            st.wMonth = sc->stSelStart.wMonth;
            st.wDay = sc->stSelStart.wDay;
            p.Checked = true;
            CloseUp(h, p);
            SetValue(h, p, st, true);
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus(h);
        CommitTyped(h, p, ParseFormat(FormatOf(h, p)));
        int x = GET_X_LPARAM(l), y = GET_Y_LPARAM(l);
        RECT b = ButtonRect(h);
        if (x >= b.Left) {
            if (HasUpDown(h)) {
                auto fields = ParseFormat(FormatOf(h, p));
                if (p.Active >= 0)
                    Step(h, p, fields[std::size_t(p.Active)], y < (b.Top + b.Bottom) / 2 ? 1 : -1);
            } else if (p.Calendar) {
                CloseUp(h, p);
            } else {
                DropDown(h, p);
            }
            return 0;
        }
        if ((PStyle(h) & DTS_SHOWNONE) && x < TextLeft(h)) {
            p.Checked = !p.Checked;
            InvalidateRect(h, nullptr, TRUE);
            SendChange(h, p);
            return 0;
        }
        auto fields = ParseFormat(FormatOf(h, p));
        auto rects = FieldRects(h, p, fields);
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (Editable(fields[i]) && x >= rects[i].Left && x < rects[i].Right) {
                p.Active = int(i);
                p.Typed = 0;
            }
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    }
    case WM_SYSKEYDOWN:
        if (w == VK_DOWN) {
            CommitTyped(h, p, ParseFormat(FormatOf(h, p)));
            DropDown(h, p);
            return 0;
        }
        return DefWindowProc(h, msg, w, l);
    case WM_KEYDOWN: {
        auto fields = ParseFormat(FormatOf(h, p));
        if (w == VK_LEFT || w == VK_RIGHT || w == VK_UP || w == VK_DOWN || w == VK_F4)
            CommitTyped(h, p, fields); // a year typed in part is taken before the key acts
        switch (w) {
        case VK_LEFT:
        case VK_RIGHT: {
            int dir = w == VK_LEFT ? -1 : 1;
            int next = FirstEditable(fields, p.Active + dir, dir);
            if (next >= 0)
                p.Active = next;
            p.Typed = 0;
            InvalidateRect(h, nullptr, TRUE);
            return 0;
        }
        case VK_UP:
        case VK_DOWN:
            if (p.Active >= 0 && p.Checked)
                Step(h, p, fields[std::size_t(p.Active)], w == VK_UP ? 1 : -1);
            p.Typed = 0;
            return 0;
        case VK_F4:
            DropDown(h, p);
            return 0;
        case VK_ESCAPE:
            CloseUp(h, p);
            return 0;
        default:
            return 0;
        }
    }
    case WM_CHAR: {
        auto fields = ParseFormat(FormatOf(h, p));
        if (w == u' ' && (PStyle(h) & DTS_SHOWNONE)) {
            p.Checked = !p.Checked;
            InvalidateRect(h, nullptr, TRUE);
            SendChange(h, p);
        } else if (w >= u'0' && w <= u'9' && p.Checked) {
            TypeDigit(h, p, fields, int(w - u'0'));
        } else if ((w == u'a' || w == u'A' || w == u'p' || w == u'P') && p.Active >= 0 &&
                   fields[std::size_t(p.Active)].Kind == FieldKind::AmPm) {
            bool pm = w == u'p' || w == u'P';
            if ((p.Value.wHour >= 12) != pm)
                Step(h, p, fields[std::size_t(p.Active)], 1);
        }
        return 0;
    }
    default:
        return DefWindowProc(h, msg, w, l);
    }
}

} // namespace

void RegisterDateTimeClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASS wc{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = PickerProc;
    wc.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(IDC_ARROW));
    wc.lpszClassName = DATETIMEPICK_CLASS;
    RegisterClass(&wc);
    wc.lpfnWndProc = CalProc;
    wc.lpszClassName = MONTHCAL_CLASS;
    RegisterClass(&wc);
}
