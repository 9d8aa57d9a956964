// What the standard control classes share, their registration and the dialog helpers.

#include "platform/win/StdControlsInternal.h"

#include "platform/rtl/Strings.h"

#include "platform/win/CommCtrl.h"

#include "platform/win/Colors.h"

#include <algorithm>
#include <cstring>

namespace stdctl {

LRESULT ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ScrollBarProc(HWND, UINT, WPARAM, LPARAM);

void Notify(HWND hwnd, WORD code, HWND to)
{
    HWND target = to ? to : GetParent(hwnd);
    if (!target)
        return;
    SendMessage(target, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

HBRUSH ControlColor(HWND hwnd, UINT msg, HDC dc, int textColor, int backColor)
{
    SetTextColor(dc, GetSysColor(textColor));
    SetBkColor(dc, GetSysColor(backColor));
    HWND target = ListOwnerCombo(hwnd);
    if (!target)
        target = GetParent(hwnd);
    if (target) {
        LRESULT r = SendMessage(target, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
        if (r && IsGdiObject(reinterpret_cast<HGDIOBJ>(r)))
            return reinterpret_cast<HBRUSH>(r);
        // The parent may have changed the colours and still given no brush.
    }
    return GetSysColorBrush(backColor);
}

int LineHeight(HFONT font)
{
    const TOwnedDC dc(CreateMeasuringDC());
    const TSelectObject selected(dc.get(), FontOr(font));
    TEXTMETRICW tm;
    GetTextMetricsW(dc.get(), &tm);
    return std::max<int>(1, tm.tmHeight);
}

int TextWidth(HDC dc, const std::u16string& s, std::size_t from, std::size_t to)
{
    if (to <= from || from >= s.size())
        return 0;
    to = std::min(to, s.size());
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.data() + from, int(to - from), &sz);
    return sz.cx;
}

namespace {

std::size_t Utf8Length(char16_t c, char16_t next)
{
    if (c < 0x80)
        return 1;
    if (c < 0x800)
        return 2;
    if (IsHigh(c) && IsLow(next))
        return 4;
    return 3;
}

} // namespace

std::size_t ByteOffsetOf(const std::u16string& s, std::size_t i)
{
    std::size_t bytes = 0;
    i = std::min(i, s.size());
    for (std::size_t k = 0; k < i;) {
        char16_t next = k + 1 < s.size() ? s[k + 1] : 0;
        std::size_t n = Utf8Length(s[k], next);
        bytes += n;
        k += n == 4 ? 2 : 1;
    }
    return bytes;
}

std::size_t UnitIndexOf(const std::u16string& s, std::size_t byteOffset)
{
    std::size_t bytes = 0;
    std::size_t k = 0;
    while (k < s.size()) {
        char16_t next = k + 1 < s.size() ? s[k + 1] : 0;
        std::size_t n = Utf8Length(s[k], next);
        if (bytes + n > byteOffset)
            return k;
        bytes += n;
        k += n == 4 ? 2 : 1;
    }
    return s.size();
}

void ByteMarks::Changed(std::size_t at)
{
    // Mark j stays right while its units and the one before it are untouched: j * kStep < at.
    Marks.resize(std::min(Marks.size(), std::max<std::size_t>(1, (at + kStep - 1) / kStep)));
}

std::size_t ByteMarks::WalkStart(const std::u16string& s, std::size_t j)
{
    std::size_t k = j * kStep;
    if (k > 0 && k < s.size() && IsLow(s[k]) && IsHigh(s[k - 1]))
        ++k; // the pair's four bytes are in the mark already
    return k;
}

void ByteMarks::Extend(const std::u16string& s)
{
    const std::size_t j = Marks.size() - 1;
    std::size_t bytes = Marks.back();
    const std::size_t to = (j + 1) * kStep;
    for (std::size_t k = WalkStart(s, j); k < to;) {
        std::size_t n = Utf8Length(s[k], k + 1 < s.size() ? s[k + 1] : 0);
        bytes += n;
        k += n == 4 ? 2 : 1;
    }
    Marks.push_back(bytes);
}

std::size_t ByteMarks::OffsetOf(const std::u16string& s, std::size_t i)
{
    i = std::min(i, s.size());
    const std::size_t j = i / kStep;
    while (Marks.size() <= j)
        Extend(s);
    std::size_t bytes = Marks[j];
    for (std::size_t k = WalkStart(s, j); k < i;) {
        std::size_t n = Utf8Length(s[k], k + 1 < s.size() ? s[k + 1] : 0);
        bytes += n;
        k += n == 4 ? 2 : 1;
    }
    return bytes;
}

std::size_t ByteMarks::IndexOf(const std::u16string& s, std::size_t byteOffset)
{
    while (Marks.back() <= byteOffset && (Marks.size() - 1) * kStep + kStep <= s.size())
        Extend(s);
    // The last mark at or before the offset, then unit by unit as UnitIndexOf does.
    std::size_t j = std::size_t(std::upper_bound(Marks.begin(), Marks.end(), byteOffset) - Marks.begin()) - 1;
    std::size_t bytes = Marks[j];
    std::size_t k = WalkStart(s, j);
    while (k < s.size()) {
        std::size_t n = Utf8Length(s[k], k + 1 < s.size() ? s[k + 1] : 0);
        if (bytes + n > byteOffset)
            return k;
        bytes += n;
        k += n == 4 ? 2 : 1;
    }
    return s.size();
}

std::u16string TextArg(HWND hwnd, LPARAM p)
{
    if (!p)
        return {};
    if (IsWindowUnicode(hwnd))
        return reinterpret_cast<const char16_t*>(p);
    return winlayer::ToUtf16(reinterpret_cast<const char*>(p));
}

LRESULT CopyTextOut(HWND hwnd, const std::u16string& s, LPARAM buffer, long long capacity, bool terminate)
{
    if (!buffer)
        return 0;
    if (IsWindowUnicode(hwnd)) {
        std::size_t n = s.size();
        if (capacity >= 0)
            n = std::min<std::size_t>(n, std::size_t(std::max<long long>(0, capacity - (terminate ? 1 : 0))));
        if (n > 0 && n < s.size() && IsHigh(s[n - 1]) && IsLow(s[n]))
            --n; // never half a character
        std::memcpy(reinterpret_cast<char16_t*>(buffer), s.data(), n * sizeof(char16_t));
        if (terminate && (capacity < 0 || capacity > 0))
            reinterpret_cast<char16_t*>(buffer)[n] = 0;
        return LRESULT(n);
    }
    std::string a = winlayer::ToUtf8(s);
    std::size_t n = a.size();
    if (capacity >= 0)
        n = std::min<std::size_t>(n, std::size_t(std::max<long long>(0, capacity - (terminate ? 1 : 0))));
    while (n > 0 && n < a.size() && (static_cast<unsigned char>(a[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(reinterpret_cast<char*>(buffer), a.data(), n);
    if (terminate && (capacity < 0 || capacity > 0))
        reinterpret_cast<char*>(buffer)[n] = 0;
    return LRESULT(n);
}

LRESULT LengthIn(HWND hwnd, const std::u16string& s)
{
    return IsWindowUnicode(hwnd) ? LRESULT(s.size()) : LRESULT(ByteOffsetOf(s, s.size()));
}

LRESULT PosOut(HWND hwnd, const std::u16string& s, std::size_t unitIndex)
{
    return IsWindowUnicode(hwnd) ? LRESULT(std::min(unitIndex, s.size()))
                                 : LRESULT(ByteOffsetOf(s, unitIndex));
}

std::size_t PosIn(HWND hwnd, const std::u16string& s, long long pos)
{
    if (pos <= 0)
        return 0;
    std::size_t i;
    if (IsWindowUnicode(hwnd)) {
        i = std::min<std::size_t>(std::size_t(pos), s.size());
        if (i > 0 && i < s.size() && IsLow(s[i]) && IsHigh(s[i - 1]))
            --i;
    } else {
        i = UnitIndexOf(s, std::size_t(pos));
    }
    return i;
}

PaintScope::PaintScope(HWND hwnd, WPARAM wParam) : Hwnd(hwnd), Dc(reinterpret_cast<HDC>(wParam)), Own(!wParam)
{
    if (Own)
        Dc = BeginPaint(hwnd, &Ps);
}

PaintScope::~PaintScope()
{
    if (Own)
        EndPaint(Hwnd, &Ps);
}

int CompareNoCase(const std::u16string& a, const std::u16string& b)
{
    // The user's collation, case ignored: what sorted lists show and what finding matches.
    return WideCompareText(a, b);
}

bool StartsWithNoCase(const std::u16string& s, const std::u16string& prefix)
{
    if (prefix.empty())
        return true;
    std::u16string p = WideFoldCase(prefix);
    std::u16string t = WideFoldCase(s.substr(0, std::min(s.size(), prefix.size() * 3 + 3)));
    return t.compare(0, p.size(), p) == 0;
}

} // namespace stdctl

void RegisterStandardControlClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    struct ClassInfo {
        const char* Name;
        WNDPROC Proc;
        UINT Style;
        std::uintptr_t Cursor;
    };
    const ClassInfo classes[] = {
        {"EDIT", stdctl::EditProc, CS_DBLCLKS, IDC_IBEAM},
        {"BUTTON", stdctl::ButtonProc, CS_DBLCLKS, IDC_ARROW},
        {"STATIC", stdctl::StaticProc, 0, IDC_ARROW},
        {"LISTBOX", stdctl::ListBoxProc, CS_DBLCLKS, IDC_ARROW},
        {"COMBOBOX", stdctl::ComboBoxProc, CS_DBLCLKS, IDC_ARROW},
        {"ComboLBox", stdctl::ComboListProc, CS_DBLCLKS | CS_SAVEBITS, IDC_ARROW},
        {"SCROLLBAR", stdctl::ScrollBarProc, CS_DBLCLKS, IDC_ARROW},
    };
    for (const ClassInfo& c : classes) {
        WNDCLASS wc;
        wc.style = c.Style | CS_GLOBALCLASS;
        wc.lpfnWndProc = c.Proc;
        wc.hCursor = LoadCursor(nullptr, MAKEINTRESOURCE(c.Cursor));
        wc.lpszClassName = c.Name;
        RegisterClass(&wc);
    }
    RegisterCommonControlClasses();
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND b = GetDlgItem(dialog, id);
    if (!b)
        return FALSE;
    SendMessage(b, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    HWND b = GetDlgItem(dialog, id);
    return b ? UINT(SendMessage(b, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check)
{
    // Walks the children rather than the id range, which may be wide.
    bool any = false;
    for (HWND b = GetWindow(dialog, GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(b);
        if (id < first || id > last)
            continue;
        SendMessage(b, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
        any = true;
    }
    return any ? TRUE : FALSE;
}
