#pragma once

// Windows metafiles (WMF, with or without the placeable header, and EMF) in picture bytes,
// played onto a bitmap. The player knows the records pictures of cells are drawn with: window
// origin and extent, pens, brushes, stock objects, background mode and colours, lines,
// rectangles, ellipses, polygons and polylines; other records are skipped. The bytes come from
// cells and files and are untrusted: every record is checked against the bytes, and the picture
// size, the record count and the object table are capped.

#include "platform/rtl/Types.h"
#include "platform/win/Gdi.h"

#include <cstddef>

// Whether the bytes start like a WMF (placeable or plain) or an EMF.
bool IsWinMetafile(const Byte* Data, std::size_t Size);
// The picture played onto a white bitmap of the size its header gives (96 pixels an inch);
// nullptr for bytes that are no metafile or give no usable size.
HBITMAP PlayWinMetafile(const Byte* Data, std::size_t Size);

inline constexpr int MaxMetafilePixels = 2048; // per side
inline constexpr int MaxMetafileRecords = 100000;
