#pragma once

// Input contexts of the input method, as far as programs read the text an input method commits.
//
// Every window has a context once asked for (ImmGetContext); it holds the result string of the
// last commit. A backend (or a test) commits text with ImmCommitResult: the focus window gets
// WM_IME_COMPOSITION with GCS_RESULTSTR; a window that does not read the result from its context
// during that message gets the text as WM_IME_CHAR messages instead, one per UTF-16 unit (which
// the default procedure turns into WM_CHAR), as a window that leaves the composition message to
// the default procedure would.

#include "platform/win/Messages.h"

#include <string>

using HIMC = void*;

enum : DWORD { GCS_COMPSTR = 0x0008, GCS_RESULTSTR = 0x0800 };

// The window's context (made on first use); nullptr for a window that does not exist.
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC context);
// GCS_RESULTSTR: copies the result string (UTF-16, no terminating zero) into buffer when bufferBytes
// allows, and answers the bytes it has (with a null buffer or 0 bytes: the bytes there are).
// Other kinds answer 0.
LONG ImmGetCompositionStringW(HIMC context, DWORD kind, void* buffer, DWORD bufferBytes);

// Commits text to hwnd as described above (on the user-interface thread).
void ImmCommitResult(HWND hwnd, const std::u16string& text);
