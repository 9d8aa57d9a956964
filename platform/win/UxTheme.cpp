#include "platform/win/UxTheme.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// ---- Theme API: the null engine ----------------------------------------------------------------

HTHEME OpenThemeData(HWND, LPCWSTR)
{
    return nullptr;
}

HRESULT CloseThemeData(HTHEME theme)
{
    return theme ? S_OK : E_HANDLE;
}

HRESULT DrawThemeBackground(HTHEME, HDC, int, int, const RECT*, const RECT*)
{
    return E_HANDLE;
}

HRESULT DrawThemeText(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*)
{
    return E_HANDLE;
}

HRESULT GetThemePartSize(HTHEME, HDC, int, int, const RECT*, int, SIZE* size)
{
    if (size)
        *size = SIZE{0, 0};
    return E_HANDLE;
}

HRESULT GetThemeBackgroundContentRect(HTHEME, HDC, int, int, const RECT* bounds, RECT* content)
{
    if (bounds && content)
        *content = *bounds;
    return E_HANDLE;
}

BOOL IsThemeActive()
{
    return FALSE;
}

BOOL IsAppThemed()
{
    return FALSE;
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
    // No theme: empty names, as the API gives when visual styles are off.
    if (themeFileName && maxNameChars > 0)
        themeFileName[0] = 0;
    if (colorBuff && maxColorChars > 0)
        colorBuff[0] = 0;
    if (sizeBuff && maxSizeChars > 0)
        sizeBuff[0] = 0;
    return E_FAIL;
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

    // The classic common controls: no visual styles.
    table["COMCTL32"].VersionMS = (5u << 16) | 82u;
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
