#include "platform/win/UxTheme.h"

#include "platform/win/CommCtrl.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// ---- Theme API: the built-in flat engine ------------------------------------------------------
//
// Off until switched on (SetBuiltInThemeActive): then the classes below open, and each part is
// drawn flat (solid faces, one-pixel borders, an accent colour for hot, pressed and checked
// states). Unknown classes and parts answer "no theme data" / failure, so their users draw the
// classic way.

namespace {

enum class ThemeClass { Button, ComboBox, Edit, Header, ScrollBar, Progress, Tab, Spin };

struct ThemeData {
    ThemeClass Class;
};

bool& ThemeActiveFlag()
{
    static bool active = false;
    return active;
}

ThemeData* KnownTheme(ThemeClass c)
{
    static ThemeData themes[] = {{ThemeClass::Button}, {ThemeClass::ComboBox},  {ThemeClass::Edit},
                                 {ThemeClass::Header}, {ThemeClass::ScrollBar}, {ThemeClass::Progress},
                                 {ThemeClass::Tab},    {ThemeClass::Spin}};
    return &themes[int(c)];
}

ThemeData* AsTheme(HTHEME h)
{
    for (int i = 0; i < 8; ++i)
        if (h == KnownTheme(ThemeClass(i)))
            return static_cast<ThemeData*>(h);
    return nullptr;
}

constexpr COLORREF kFace = RGB(225, 225, 225), kHotFace = RGB(229, 241, 251),
                   kPressedFace = RGB(204, 228, 247), kDisabledFace = RGB(244, 244, 244),
                   kBorder = RGB(173, 173, 173), kAccent = RGB(0, 120, 215),
                   kDisabledBorder = RGB(191, 191, 191), kWhite = RGB(255, 255, 255), kText = RGB(0, 0, 0),
                   kGrayText = RGB(160, 160, 160), kTrack = RGB(240, 240, 240), kChunk = RGB(6, 176, 37);

void Box(HDC dc, RECT r, COLORREF fill, COLORREF border)
{
    const TOwnedBrush b(CreateSolidBrush(fill));
    const TOwnedPen p(CreatePen(PS_SOLID, 1, border));
    const TSelectObject sb(dc, b.get()), sp(dc, p.get());
    Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
}

void Solid(HDC dc, RECT r, COLORREF fill)
{
    const TOwnedBrush b(CreateSolidBrush(fill));
    FillRect(dc, &r, b.get());
}

// A chevron pointing up (0), down (1), left (2) or right (3), centred in r.
void Chevron(HDC dc, RECT r, int dir, COLORREF c)
{
    int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const TOwnedPen p(CreatePen(PS_SOLID, 1, c));
    const TSelectObject sp(dc, p.get());
    for (int k = 0; k < 2; ++k) {
        switch (dir) {
        case 0:
            MoveToEx(dc, cx - 4, cy + 2 - k, nullptr), LineTo(dc, cx, cy - 2 - k),
                LineTo(dc, cx + 5, cy + 3 - k);
            break;
        case 1:
            MoveToEx(dc, cx - 4, cy - 2 + k, nullptr), LineTo(dc, cx, cy + 2 + k),
                LineTo(dc, cx + 5, cy - 3 + k);
            break;
        case 2:
            MoveToEx(dc, cx + 2 - k, cy - 4, nullptr), LineTo(dc, cx - 2 - k, cy),
                LineTo(dc, cx + 3 - k, cy + 5);
            break;
        default:
            MoveToEx(dc, cx - 2 + k, cy - 4, nullptr), LineTo(dc, cx + 2 + k, cy),
                LineTo(dc, cx - 3 + k, cy + 5);
            break;
        }
    }
}

// Face and border of a four-state part (1 normal, 2 hot, 3 pressed, 4 disabled).
void FourState(int state, COLORREF& face, COLORREF& border)
{
    switch (state) {
    case 2:
        face = kHotFace, border = kAccent;
        break;
    case 3:
        face = kPressedFace, border = kAccent;
        break;
    case 4:
        face = kDisabledFace, border = kDisabledBorder;
        break;
    default:
        face = kFace, border = kBorder;
        break;
    }
}

RECT Centred(RECT r, int size)
{
    int x = r.Left + (r.Right - r.Left - size) / 2, y = r.Top + (r.Bottom - r.Top - size) / 2;
    return RECT{x, y, x + size, y + size};
}

bool DrawButtonPart(HDC dc, int part, int state, RECT r)
{
    COLORREF face, border;
    switch (part) {
    case 1: // push button; 5 = default
        FourState(state == 5 ? 1 : state, face, border);
        Box(dc, r, face, state == 5 ? kAccent : border);
        return true;
    case 2: { // radio: 1-4 unchecked, 5-8 checked
        int s = (state - 1) % 4 + 1;
        bool checked = state >= 5;
        FourState(s, face, border);
        RECT c = Centred(r, 13);
        const TOwnedBrush b(CreateSolidBrush(s == 4 ? kDisabledFace : kWhite));
        const TOwnedPen p(CreatePen(PS_SOLID, 1, checked && s != 4 ? kAccent : border));
        const TSelectObject sb(dc, b.get()), sp(dc, p.get());
        Ellipse(dc, c.Left, c.Top, c.Right, c.Bottom);
        if (checked) {
            const TOwnedBrush dot(CreateSolidBrush(s == 4 ? kGrayText : kText));
            const TSelectObject sd(dc, dot.get()), np(dc, GetStockObject(NULL_PEN));
            Ellipse(dc, c.Left + 3, c.Top + 3, c.Right - 3, c.Bottom - 3);
        }
        return true;
    }
    case 3: { // check box: 1-4 unchecked, 5-8 checked, 9-12 mixed
        int s = (state - 1) % 4 + 1;
        int kind = (state - 1) / 4; // 0 unchecked, 1 checked, 2 mixed
        FourState(s, face, border);
        RECT c = Centred(r, 13);
        // A pressed box darkens inside, as a pressed button does.
        Box(dc, c,
            s == 4   ? kDisabledFace
            : s == 3 ? kPressedFace
                     : kWhite,
            kind && s != 4 ? kAccent : border);
        COLORREF mark = s == 4 ? kGrayText : kText;
        if (kind == 1) {
            const TOwnedPen p(CreatePen(PS_SOLID, 1, mark));
            const TSelectObject sp(dc, p.get());
            for (int k = 0; k < 2; ++k) {
                MoveToEx(dc, c.Left + 3, c.Top + 6 + k, nullptr);
                LineTo(dc, c.Left + 5, c.Top + 8 + k);
                LineTo(dc, c.Left + 10, c.Top + 3 + k);
            }
        } else if (kind == 2) {
            Solid(dc, RECT{c.Left + 3, c.Top + 3, c.Right - 3, c.Bottom - 3}, mark);
        }
        return true;
    }
    case 4: // group box
        Box(dc, r, kWhite, state == 2 ? kDisabledBorder : kBorder);
        return true;
    default:
        return false;
    }
}

bool Draw(ThemeClass cls, HDC dc, int part, int state, RECT r)
{
    COLORREF face, border;
    switch (cls) {
    case ThemeClass::Button:
        return DrawButtonPart(dc, part, state, r);
    case ThemeClass::ComboBox:
        if (part == 1 || part == 6 || part == 7) { // drop-down button (right, left)
            FourState(state, face, border);
            Solid(dc, r, state == 1 ? kWhite : face);
            Chevron(dc, r, 1, state == 4 ? kGrayText : kText);
            return true;
        }
        if (part == 4 || part == 5) { // border, read-only face
            FourState(state, face, border);
            Box(dc, r, part == 5 ? face : kWhite, border);
            return true;
        }
        return false;
    case ThemeClass::Edit:
        if (part == 1 || part == 6) {
            bool disabled = state == 4, focused = state == 5 || state == 2;
            Box(dc, r, disabled || state == 6 ? kDisabledFace : kWhite,
                disabled  ? kDisabledBorder
                : focused ? kAccent
                          : kBorder);
            return true;
        }
        return false;
    case ThemeClass::Header:
        if (part >= 1 && part <= 3) {
            Solid(dc, r, state == 2 ? kHotFace : state == 3 ? kPressedFace : kWhite);
            Solid(dc, RECT{r.Right - 1, r.Top + 2, r.Right, r.Bottom - 2}, kBorder);
            Solid(dc, RECT{r.Left, r.Bottom - 1, r.Right, r.Bottom}, kBorder);
            return true;
        }
        return false;
    case ThemeClass::ScrollBar:
        if (part == 1) { // arrow buttons: up, down, left, right in groups of four states
            int dir = std::clamp((state - 1) / 4, 0, 3);
            int s = (state - 1) % 4 + 1;
            FourState(s, face, border);
            Solid(dc, r, s == 1 ? kTrack : face);
            Chevron(dc, r, dir, s == 4 ? kGrayText : RGB(96, 96, 96));
            return true;
        }
        if (part == 2 || part == 3) { // thumbs
            Solid(dc, r, kTrack);
            RECT t = r;
            InflateRect(&t, part == 2 ? 0 : -3, part == 2 ? -3 : 0);
            Solid(dc, t, state == 3 ? RGB(96, 96, 96) : state == 2 ? RGB(166, 166, 166) : RGB(205, 205, 205));
            return true;
        }
        if (part >= 4 && part <= 10) {
            Solid(dc, r, kTrack);
            return true;
        }
        return false;
    case ThemeClass::Progress:
        if (part == 1 || part == 2) {
            Box(dc, r, RGB(230, 230, 230), RGB(188, 188, 188));
            return true;
        }
        if (part >= 3 && part <= 5) {
            Solid(dc, r, kChunk);
            return true;
        }
        return false;
    case ThemeClass::Tab:
        if (part >= 1 && part <= 8) {
            bool selected = state == 3;
            FourState(state == 3 ? 1 : state, face, border);
            Solid(dc, r, selected ? kWhite : state == 2 ? kHotFace : RGB(240, 240, 240));
            Solid(dc, RECT{r.Left, r.Top, r.Right, r.Top + 1}, kBorder);
            Solid(dc, RECT{r.Left, r.Top, r.Left + 1, r.Bottom}, kBorder);
            Solid(dc, RECT{r.Right - 1, r.Top, r.Right, r.Bottom}, kBorder);
            if (selected)
                Solid(dc, RECT{r.Left + 1, r.Top + 1, r.Right - 1, r.Top + 3}, kAccent);
            return true;
        }
        if (part == 9 || part == 10) {
            Box(dc, r, kWhite, kBorder);
            return true;
        }
        return false;
    case ThemeClass::Spin:
        if (part >= 1 && part <= 4) {
            FourState(state, face, border);
            Box(dc, r, face, border);
            static const int dirs[] = {0, 1, 3, 2};
            Chevron(dc, r, dirs[part - 1], state == 4 ? kGrayText : kText);
            return true;
        }
        return false;
    }
    return false;
}

std::u16string UpperWide(LPCWSTR s)
{
    std::u16string out;
    for (; s && *s; ++s)
        out += (*s >= u'a' && *s <= u'z') ? char16_t(*s - 32) : *s;
    return out;
}

} // namespace

void SetBuiltInThemeActive(bool active)
{
    ThemeActiveFlag() = active;
}

HTHEME OpenThemeData(HWND, LPCWSTR classList)
{
    if (!ThemeActiveFlag() || !classList)
        return nullptr;
    static const std::pair<const char16_t*, ThemeClass> names[] = {{u"BUTTON", ThemeClass::Button},
                                                                   {u"COMBOBOX", ThemeClass::ComboBox},
                                                                   {u"EDIT", ThemeClass::Edit},
                                                                   {u"HEADER", ThemeClass::Header},
                                                                   {u"SCROLLBAR", ThemeClass::ScrollBar},
                                                                   {u"PROGRESS", ThemeClass::Progress},
                                                                   {u"TAB", ThemeClass::Tab},
                                                                   {u"SPIN", ThemeClass::Spin}};
    std::u16string list = UpperWide(classList);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(u';', start);
        std::u16string one =
            list.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        while (!one.empty() && one.front() == u' ')
            one.erase(0, 1);
        while (!one.empty() && one.back() == u' ')
            one.pop_back();
        for (const auto& [name, cls] : names)
            if (one == name)
                return KnownTheme(cls);
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
    return nullptr;
}

HRESULT CloseThemeData(HTHEME theme)
{
    return AsTheme(theme) ? S_OK : E_HANDLE;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* rect,
                            const RECT* clipRect)
{
    ThemeData* t = AsTheme(theme);
    if (!t || !hdc || !rect)
        return E_HANDLE;
    int saved = SaveDC(hdc);
    if (clipRect)
        IntersectClipRect(hdc, clipRect->Left, clipRect->Top, clipRect->Right, clipRect->Bottom);
    bool drawn = Draw(t->Class, hdc, partId, stateId, *rect);
    RestoreDC(hdc, saved);
    return drawn ? S_OK : E_INVALIDARG;
}

HRESULT DrawThemeText(HTHEME theme, HDC hdc, int, int stateId, LPCWSTR text, int charCount, DWORD textFlags,
                      DWORD, const RECT* rect)
{
    if (!AsTheme(theme) || !hdc || !rect || !text)
        return E_HANDLE;
    RECT r = *rect;
    int mode = SetBkMode(hdc, TRANSPARENT);
    COLORREF old = SetTextColor(hdc, stateId == 4 ? kGrayText : kText);
    DrawTextW(hdc, text, charCount, &r, textFlags);
    SetTextColor(hdc, old);
    SetBkMode(hdc, mode);
    return S_OK;
}

HRESULT GetThemePartSize(HTHEME theme, HDC, int partId, int, const RECT* rect, int, SIZE* size)
{
    ThemeData* t = AsTheme(theme);
    if (!size)
        return E_INVALIDARG;
    *size = SIZE{0, 0};
    if (!t)
        return E_HANDLE;
    if (t->Class == ThemeClass::Button && (partId == 2 || partId == 3))
        *size = SIZE{13, 13};
    else if (t->Class == ThemeClass::ComboBox && partId == 1)
        *size = SIZE{17, rect ? rect->Bottom - rect->Top : 17};
    else if (t->Class == ThemeClass::ScrollBar && partId == 1)
        *size = SIZE{17, 17};
    else if (rect)
        *size = SIZE{rect->Right - rect->Left, rect->Bottom - rect->Top};
    return S_OK;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC, int, int, const RECT* bounds, RECT* content)
{
    if (!bounds || !content)
        return E_INVALIDARG;
    *content = *bounds;
    ThemeData* t = AsTheme(theme);
    if (!t)
        return E_HANDLE;
    if (t->Class == ThemeClass::Button || t->Class == ThemeClass::Edit || t->Class == ThemeClass::ComboBox)
        InflateRect(content, -2, -2);
    return S_OK;
}

BOOL IsThemeActive()
{
    return ThemeActiveFlag();
}

BOOL IsAppThemed()
{
    return ThemeActiveFlag();
}

HTHEME GetWindowTheme(HWND)
{
    return nullptr;
}

HRESULT SetWindowTheme(HWND, LPCWSTR, LPCWSTR)
{
    return S_OK;
}

HRESULT GetCurrentThemeName(LPWSTR themeFileName, int maxNameChars, LPWSTR colorBuff, int maxColorChars,
                            LPWSTR sizeBuff, int maxSizeChars)
{
    auto put = [](LPWSTR out, int max, const char16_t* s) {
        if (!out || max <= 0)
            return;
        int i = 0;
        for (; s[i] && i < max - 1; ++i)
            out[i] = s[i];
        out[i] = 0;
    };
    bool on = ThemeActiveFlag();
    // Without a theme: empty names, as the API gives when visual styles are off.
    put(themeFileName, maxNameChars, on ? u"Flat.theme" : u"");
    put(colorBuff, maxColorChars, on ? u"NormalColor" : u"");
    put(sizeBuff, maxSizeChars, on ? u"NormalSize" : u"");
    return on ? S_OK : E_FAIL;
}

// ---- Library loader ---------------------------------------------------------------------------

// A library of the table, as a module handle names it.
struct HINSTANCE__ {
    std::string Name;
};

namespace {

// Theme functions this layer has no use for: they answer "failed" without touching anything.
HRESULT ThemeNotSupported()
{
    return E_FAIL;
}

BOOL GetLocaleInfoExStandIn()
{
    return FALSE;
}

FARPROC AsProc(auto* function)
{
    return reinterpret_cast<FARPROC>(function);
}

struct LibraryEntry {
    DWORD VersionMS = 0, VersionLS = 0;
    std::map<std::string, FARPROC> Exports;
};

std::string NormalName(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".DLL") == 0)
        name.erase(name.size() - 4);
    return name;
}

std::map<std::string, LibraryEntry> BuildTable()
{
    std::map<std::string, LibraryEntry> table;
    LibraryEntry& uxtheme = table["UXTHEME"];
    uxtheme.VersionMS = 6u << 16;
    const std::pair<const char*, FARPROC> themeExports[] = {
        {"OpenThemeData", AsProc(&OpenThemeData)},
        {"CloseThemeData", AsProc(&CloseThemeData)},
        {"DrawThemeBackground", AsProc(&DrawThemeBackground)},
        {"DrawThemeText", AsProc(&DrawThemeText)},
        {"GetThemePartSize", AsProc(&GetThemePartSize)},
        {"GetThemeBackgroundContentRect", AsProc(&GetThemeBackgroundContentRect)},
        {"IsThemeActive", AsProc(&IsThemeActive)},
        {"IsAppThemed", AsProc(&IsAppThemed)},
        {"GetWindowTheme", AsProc(&GetWindowTheme)},
        {"SetWindowTheme", AsProc(&SetWindowTheme)},
        {"GetCurrentThemeName", AsProc(&GetCurrentThemeName)},
    };
    for (const auto& [name, proc] : themeExports)
        uxtheme.Exports[name] = proc;
    for (const char* name : {"GetThemeBackgroundExtent",
                             "GetThemeTextExtent",
                             "GetThemeTextMetrics",
                             "GetThemeBackgroundRegion",
                             "HitTestThemeBackground",
                             "DrawThemeEdge",
                             "DrawThemeIcon",
                             "IsThemePartDefined",
                             "IsThemeBackgroundPartiallyTransparent",
                             "GetThemeColor",
                             "GetThemeMetric",
                             "GetThemeString",
                             "GetThemeBool",
                             "GetThemeInt",
                             "GetThemeEnumValue",
                             "GetThemePosition",
                             "GetThemeFont",
                             "GetThemeRect",
                             "GetThemeMargins",
                             "GetThemeIntList",
                             "GetThemeFilename",
                             "GetThemeSysColor",
                             "GetThemeSysColorBrush",
                             "GetThemeSysBool",
                             "GetThemeSysSize",
                             "GetThemeSysFont",
                             "GetThemeSysString",
                             "GetThemeSysInt",
                             "EnableThemeDialogTexture",
                             "IsThemeDialogTextureEnabled",
                             "GetThemeAppProperties",
                             "SetThemeAppProperties",
                             "GetThemeDocumentationProperty",
                             "DrawThemeParentBackground",
                             "EnableTheming"})
        uxtheme.Exports[name] = AsProc(&ThemeNotSupported);

    // The classic common controls: no visual styles; the flat scroll bars.
    LibraryEntry& comctl = table["COMCTL32"];
    comctl.VersionMS = (5u << 16) | 82u;
    const std::pair<const char*, FARPROC> comctlExports[] = {
        {"InitializeFlatSB", AsProc(&InitializeFlatSB)},
        {"UninitializeFlatSB", AsProc(&UninitializeFlatSB)},
        {"FlatSB_SetScrollProp", AsProc(&FlatSB_SetScrollProp)},
        {"FlatSB_GetScrollProp", AsProc(&FlatSB_GetScrollProp)},
        {"FlatSB_SetScrollInfo", AsProc(&FlatSB_SetScrollInfo)},
        {"FlatSB_GetScrollInfo", AsProc(&FlatSB_GetScrollInfo)},
        {"FlatSB_ShowScrollBar", AsProc(&FlatSB_ShowScrollBar)},
    };
    for (const auto& [name, proc] : comctlExports)
        comctl.Exports[name] = proc;
    table["USER32"].VersionMS = 6u << 16;
    LibraryEntry& kernel = table["KERNEL32"];
    kernel.VersionMS = (6u << 16) | 1u;
    kernel.Exports["GetLocaleInfoEx"] = AsProc(&GetLocaleInfoExStandIn);
    return table;
}

struct LoaderState {
    std::mutex Lock;
    std::map<std::string, LibraryEntry> Table = BuildTable();
    std::set<std::string> Absent;
    std::map<std::string, std::set<std::string>> Hidden;
    // One module object per library, alive for the whole run so handles stay valid.
    std::map<std::string, std::unique_ptr<HINSTANCE__>> Modules;
};

LoaderState& State()
{
    static LoaderState state;
    return state;
}

} // namespace

namespace {

HMODULE FindModule(LPCSTR fileName)
{
    if (!fileName)
        return nullptr;
    LoaderState& s = State();
    std::lock_guard<std::mutex> guard(s.Lock);
    const std::string name = NormalName(fileName);
    if (!s.Table.count(name) || s.Absent.count(name))
        return nullptr;
    auto& module = s.Modules[name];
    if (!module) {
        module = std::make_unique<HINSTANCE__>();
        module->Name = name;
    }
    return module.get();
}

} // namespace

HMODULE LoadLibrary(LPCSTR fileName)
{
    return FindModule(fileName);
}

HMODULE GetModuleHandle(LPCSTR moduleName)
{
    return FindModule(moduleName);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (!module || !procName)
        return nullptr;
    LoaderState& s = State();
    std::lock_guard<std::mutex> guard(s.Lock);
    if (s.Absent.count(module->Name))
        return nullptr;
    const auto hidden = s.Hidden.find(module->Name);
    if (hidden != s.Hidden.end() && hidden->second.count(procName))
        return nullptr;
    const LibraryEntry& entry = s.Table.at(module->Name);
    const auto found = entry.Exports.find(procName);
    return found == entry.Exports.end() ? nullptr : found->second;
}

BOOL FreeLibrary(HMODULE module)
{
    return module ? TRUE : FALSE;
}

bool GetLibraryFileVersion(LPCSTR fileName, DWORD& versionMS, DWORD& versionLS)
{
    if (!fileName)
        return false;
    LoaderState& s = State();
    std::lock_guard<std::mutex> guard(s.Lock);
    const std::string name = NormalName(fileName);
    const auto found = s.Table.find(name);
    if (found == s.Table.end() || s.Absent.count(name))
        return false;
    versionMS = found->second.VersionMS;
    versionLS = found->second.VersionLS;
    // A themed desktop comes with the common controls that draw visual styles.
    if (name == "COMCTL32" && ThemeActiveFlag()) {
        versionMS = 6u << 16;
        versionLS = 0;
    }
    return true;
}

void SetLibraryPresent(const std::string& library, bool present)
{
    LoaderState& s = State();
    std::lock_guard<std::mutex> guard(s.Lock);
    if (present)
        s.Absent.erase(NormalName(library));
    else
        s.Absent.insert(NormalName(library));
}

void SetLibraryExportHidden(const std::string& library, const std::string& procName, bool hidden)
{
    LoaderState& s = State();
    std::lock_guard<std::mutex> guard(s.Lock);
    if (hidden)
        s.Hidden[NormalName(library)].insert(procName);
    else
        s.Hidden[NormalName(library)].erase(procName);
}

void ResetLibraryTable()
{
    LoaderState& s = State();
    std::lock_guard<std::mutex> guard(s.Lock);
    s.Absent.clear();
    s.Hidden.clear();
}
