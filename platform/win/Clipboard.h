#pragma once

// Global memory blocks and the clipboard. The clipboard's contents live in the backend's store
// (in this process for the headless backend); CF_TEXT is UTF-8 here, CF_UNICODETEXT UTF-16, and
// each is made from the other on demand, as is CF_BITMAP from CF_DIB.

#include "platform/win/Messages.h"

#include <cstddef>

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

enum : UINT { GMEM_FIXED = 0x0, GMEM_MOVEABLE = 0x2, GMEM_ZEROINIT = 0x40, GHND = 0x42, GPTR = 0x40 };

// A block of size bytes (zero-filled when asked); nullptr when size is beyond what a block may
// hold. Blocks are handles: lock to reach the bytes.
HGLOBAL GlobalAlloc(UINT flags, std::size_t size);
HGLOBAL GlobalReAlloc(HGLOBAL mem, std::size_t size, UINT flags);
void* GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
std::size_t GlobalSize(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem); // nullptr on success, the handle when it was not a block

enum : UINT {
    CF_TEXT = 1,
    CF_BITMAP = 2,
    CF_METAFILEPICT = 3,
    CF_OEMTEXT = 7,
    CF_DIB = 8,
    CF_UNICODETEXT = 13,
    CF_ENHMETAFILE = 14,
    CF_LOCALE = 16,
    CF_DIBV5 = 17
};

// One window at a time may have the clipboard open.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Empties it and makes the opener its owner.
BOOL EmptyClipboard();
// The clipboard takes over the block (or, for CF_BITMAP, copies the bitmap); nullptr when the
// clipboard is not open or the data is unusable.
HANDLE SetClipboardData(UINT format, HANDLE data);
// A block the clipboard keeps owning until its contents change.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
UINT RegisterClipboardFormat(const char* name);
int GetClipboardFormatName(UINT format, char* name, int maxCount);
// Closes the clipboard if open and forgets the blocks handed out (between tests).
void ResetClipboardState();
