#pragma once

// Opening a document or address with the desktop's handler for it (xdg-open on the desktop;
// recorded, not run, by the headless backend). Only the "open" verb (or none) is known.

#include "platform/win/Messages.h"

#include <cstdint>

inline constexpr std::intptr_t SE_ERR_FNF = 2;
inline constexpr std::intptr_t SE_ERR_NOASSOC = 31;

// Greater than 32 (as a number) on success; SE_ERR_NOASSOC when the desktop could not open it,
// SE_ERR_FNF for an empty file.
HINSTANCE ShellExecute(HWND hwnd, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                       INT showCmd);
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCmd);
