#pragma once

// Metafiles: a recorded list of drawing calls made on a metafile DC, replayable scaled onto
// any DC and saved in our own format. The metafile DC measures text on its reference DC, so
// a picture recorded against a printer lays out as it will print.

#include "platform/win/Gdi.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct GdiMetafile;
using HENHMETAFILE = GdiMetafile*;

// Starts a recording. `reference` gives resolution and text metrics (null: the screen);
// `frame` is the picture's size in hundredths of a millimetre (null: what the drawing covers).
// File names are not supported: pass null and save the bytes with GetEnhMetaFileBits.
// The recording DC is ended with CloseEnhMetaFile (not DeleteDC), which frees the DC and returns
// the picture; the caller deletes the picture, and each copy, with DeleteEnhMetaFile.
HDC CreateEnhMetaFile(HDC reference, const char* fileName, const RECT* frame, const char* description);
HENHMETAFILE CloseEnhMetaFile(HDC dc);
BOOL DeleteEnhMetaFile(HENHMETAFILE metafile);
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile, const char* fileName);
// Draws the picture stretched into `bounds` (logical units of the DC).
BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* bounds);

// The picture's extent in pixels of its reference device, its frame in hundredths of a
// millimetre and the reference resolution.
struct MetafileInfo {
    RECT Bounds{};
    RECT Frame{};
    int DpiX = 96, DpiY = 96;
    int RecordCount = 0;
};
BOOL GetMetafileInfo(HENHMETAFILE metafile, MetafileInfo* info);

// Our own file format; SetEnhMetaFileBits raises EInvalidGraphic on malformed bytes.
UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data);
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
