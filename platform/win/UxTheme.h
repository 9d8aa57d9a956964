#pragma once

// The theme API and the run-time library loader the component libraries bind it through.
//
// The engine is built in and off by default: then no theme is active, OpenThemeData answers no
// theme data and every drawing call fails without drawing, so every component takes its classic
// drawing path. Switched on (SetBuiltInThemeActive), it opens the classes "BUTTON", "COMBOBOX",
// "EDIT", "HEADER", "SCROLLBAR", "PROGRESS", "TAB" and "SPIN" and draws their parts in one flat
// look. The functions exist either way (the components call through function pointers and some
// test only the system version first).
//
// LoadLibrary and GetProcAddress answer from a table of the libraries this layer stands in
// for ("UXTHEME.DLL", "USER32.DLL", "KERNEL32.DLL", "COMCTL32.DLL", any letter case, with or
// without ".dll"); a library missing from the table, or a name it does not export, gives null.
// Tests can take a library out of the table or drop single names to exercise the fall-backs.

#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/Ole.h"

#include <string>

using HTHEME = void*;
using FARPROC = void (*)();

inline constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);

// ---- Theme API ------------------------------------------------------------------------------

// Switches the built-in theme on or off (off at start).
void SetBuiltInThemeActive(bool active);

HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList);
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* rect,
                            const RECT* clipRect);
HRESULT DrawThemeText(HTHEME theme, HDC hdc, int partId, int stateId, LPCWSTR text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect);
HRESULT GetThemePartSize(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* rect, int sizeType,
                         SIZE* size);
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* bounds,
                                      RECT* content);
BOOL IsThemeActive();
BOOL IsAppThemed();
HTHEME GetWindowTheme(HWND hwnd);
HRESULT SetWindowTheme(HWND hwnd, LPCWSTR subAppName, LPCWSTR subIdList);
// Names of the current theme file, colour scheme and size; fails when no theme is active.
HRESULT GetCurrentThemeName(LPWSTR themeFileName, int maxNameChars, LPWSTR colorBuff, int maxColorChars,
                            LPWSTR sizeBuff, int maxSizeChars);

// ---- Library loader ---------------------------------------------------------------------------

HMODULE LoadLibrary(LPCSTR fileName);
// The module when it is "loaded" (every library of the table counts as loaded), else null.
HMODULE GetModuleHandle(LPCSTR moduleName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);

// The version of a library of the table as its version resource gives it (major << 16 | minor
// in MS, build << 16 | revision in LS); false for a file the table does not know. The common
// controls ("COMCTL32.DLL") are version 5.82 without a theme and 6.0 while the built-in theme is on.
bool GetLibraryFileVersion(LPCSTR fileName, DWORD& versionMS, DWORD& versionLS);

// Test hooks: take a library out of the table (or put it back), hide one exported name, and
// undo all such changes.
void SetLibraryPresent(const std::string& library, bool present);
void SetLibraryExportHidden(const std::string& library, const std::string& procName, bool hidden);
void ResetLibraryTable();
