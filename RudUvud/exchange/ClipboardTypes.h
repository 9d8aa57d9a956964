#pragma once

// Types of the grid's clipboard copy, cut and paste (exchange/Clipboard.cpp).

#include "RudUvud/core/GridTypes.h"

#include <functional>

// The last clipboard operation of a grid, told to PasteNotify.
enum TClipOperation { coCut, coCopy };

// Wide-text cells ("|\" form) are offered to these decoded, as the text they stand for.
using TClipboardBeforePasteWideEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, WideString& Value, bool& Allow)>;
using TClipboardAfterPasteWideEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, const WideString& Value)>;
