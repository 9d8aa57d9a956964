#pragma once

// The scalar and handle types of the Windows-API-like layer, shared by drawing, windows and
// messages. Widths are those of the API; handles are opaque pointers to our own objects.

#include "platform/rtl/Types.h"

#include <cstdint>

using BOOL = std::int32_t;
using UINT = std::uint32_t;
using INT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using CHAR = char;
using WCHAR = char16_t;
using COLORREF = std::uint32_t;
using COLOR16 = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPCSTR = const char*;
using LPSTR = char*;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
using LPVOID = void*;
using HANDLE = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

using RECT = TRect;
using POINT = TPoint;
using SIZE = TSize;
using LPRECT = TRect*;
using LPCRECT = const TRect*;
using LPPOINT = TPoint*;
using LPSIZE = TSize*;
