#pragma once

// The theme functions, bound at run time from the theme library so that the components run on a
// system without one. Two tables exist, VadXPVS for the grid and its companions and ATXPVS for the
// dropdown family; both are bound from the same platform library and behave alike.
//
// A table is unbound (every pointer null, Loaded() false) until Initialize() finds the library
// with every one of its functions; a library that lacks one of them counts as absent, since every
// user has a classic drawing path. Finalize() unbinds the table again, pointers included, so a
// component painting after shut-down sees no theme instead of calling into a freed library.
// DrawThemeBackgroundEx is never bound.

#include "platform/win/UxTheme.h"

namespace themeapi {

using TOpenThemeData = HTHEME (*)(HWND, LPCWSTR);
using TCloseThemeData = HRESULT (*)(HTHEME);
using TDrawThemeBackground = HRESULT (*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using TDrawThemeText = HRESULT (*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*);
using TGetThemeBackgroundContentRect = HRESULT (*)(HTHEME, HDC, int, int, const RECT*, RECT*);
using TIsThemeActive = BOOL (*)();
using TIsAppThemed = BOOL (*)();
using TGetWindowTheme = HTHEME (*)(HWND);
using TSetWindowTheme = HRESULT (*)(HWND, LPCWSTR, LPCWSTR);
using TGetCurrentThemeName = HRESULT (*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
// Functions no component of this system calls keep the untyped address.
using TUntyped = FARPROC;

// The 45 functions in the order they are bound: (pointer name, exported name, type).
#define THEME_API_FUNCTIONS(X)                                                                               \
    X(OpenThemeData, "OpenThemeData", TOpenThemeData)                                                        \
    X(CloseThemeData, "CloseThemeData", TCloseThemeData)                                                     \
    X(DrawThemeBackground, "DrawThemeBackground", TDrawThemeBackground)                                      \
    X(DrawThemeText, "DrawThemeText", TDrawThemeText)                                                        \
    X(GetThemeBackgroundContentRect, "GetThemeBackgroundContentRect", TGetThemeBackgroundContentRect)        \
    X(GetThemeBackgroundExtent, "GetThemeBackgroundExtent", TUntyped)                                        \
    X(GetThemeTextExtent, "GetThemeTextExtent", TUntyped)                                                    \
    X(GetThemeTextMetrics, "GetThemeTextMetrics", TUntyped)                                                  \
    X(GetThemeBackgroundRegion, "GetThemeBackgroundRegion", TUntyped)                                        \
    X(HitTestThemeBackground, "HitTestThemeBackground", TUntyped)                                            \
    X(DrawThemeEdge, "DrawThemeEdge", TUntyped)                                                              \
    X(DrawThemeIcon, "DrawThemeIcon", TUntyped)                                                              \
    X(IsThemePartDefined, "IsThemePartDefined", TUntyped)                                                    \
    X(IsThemeBackGroundPartiallyTransparent, "IsThemeBackgroundPartiallyTransparent", TUntyped)              \
    X(GetThemeColor, "GetThemeColor", TUntyped)                                                              \
    X(GetThemeMetric, "GetThemeMetric", TUntyped)                                                            \
    X(GetThemeString, "GetThemeString", TUntyped)                                                            \
    X(GetThemeBool, "GetThemeBool", TUntyped)                                                                \
    X(GetThemeInt, "GetThemeInt", TUntyped)                                                                  \
    X(GetThemeEnumValue, "GetThemeEnumValue", TUntyped)                                                      \
    X(GetThemePosition, "GetThemePosition", TUntyped)                                                        \
    X(GetThemeFont, "GetThemeFont", TUntyped)                                                                \
    X(GetThemeRect, "GetThemeRect", TUntyped)                                                                \
    X(GetThemeMargins, "GetThemeMargins", TUntyped)                                                          \
    X(GetThemeIntList, "GetThemeIntList", TUntyped)                                                          \
    X(SetWindowTheme, "SetWindowTheme", TSetWindowTheme)                                                     \
    X(GetThemeFilename, "GetThemeFilename", TUntyped)                                                        \
    X(GetThemeSysColor, "GetThemeSysColor", TUntyped)                                                        \
    X(GetThemeSysColorBrush, "GetThemeSysColorBrush", TUntyped)                                              \
    X(GetThemeSysBool, "GetThemeSysBool", TUntyped)                                                          \
    X(GetThemeSysSize, "GetThemeSysSize", TUntyped)                                                          \
    X(GetThemeSysFont, "GetThemeSysFont", TUntyped)                                                          \
    X(GetThemeSysString, "GetThemeSysString", TUntyped)                                                      \
    X(GetThemeSysInt, "GetThemeSysInt", TUntyped)                                                            \
    X(IsThemeActive, "IsThemeActive", TIsThemeActive)                                                        \
    X(IsAppThemed, "IsAppThemed", TIsAppThemed)                                                              \
    X(GetWindowTheme, "GetWindowTheme", TGetWindowTheme)                                                     \
    X(EnableThemeDialogTexture, "EnableThemeDialogTexture", TUntyped)                                        \
    X(IsThemeDialogTextureEnabled, "IsThemeDialogTextureEnabled", TUntyped)                                  \
    X(GetThemeAppProperties, "GetThemeAppProperties", TUntyped)                                              \
    X(SetThemeAppProperties, "SetThemeAppProperties", TUntyped)                                              \
    X(GetCurrentThemeName, "GetCurrentThemeName", TGetCurrentThemeName)                                      \
    X(GetThemeDocumentationProperty, "GetThemeDocumentationProperty", TUntyped)                              \
    X(DrawThemeParentBackground, "DrawThemeParentBackground", TUntyped)                                      \
    X(EnableTheming, "EnableTheming", TUntyped)

// One loader table.
struct TThemeLoader {
#define THEME_API_POINTER(Name, Export, Type) Type Name = nullptr;
    THEME_API_FUNCTIONS(THEME_API_POINTER)
#undef THEME_API_POINTER
    TUntyped DrawThemeBackgroundEx = nullptr;

    // Binds the table once; a second call does nothing while it is bound.
    void Initialize();
    // Unbinds: the library is let go once and every pointer becomes null.
    void Finalize();
    bool Loaded() const
    {
        return FLoaded;
    }
    // How many times the library was loaded by this table (for checking that it happens once).
    int LoadCount() const
    {
        return FLoadCount;
    }
    // True when the table is bound and the theme functions report an active theme.
    bool ThemeActive() const
    {
        return FLoaded && IsThemeActive && IsThemeActive();
    }

private:
    void Clear();
    HMODULE FLibrary = nullptr;
    bool FLoaded = false;
    int FLoadCount = 0;
};

} // namespace themeapi

// The grid's table and the dropdowns' table, bound on first use (see ThemeLoader()).
themeapi::TThemeLoader& VadXPVS();
themeapi::TThemeLoader& ATXPVS();
