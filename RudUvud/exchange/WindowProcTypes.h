#pragma once

// Types of the grid's window procedure and mouse extras: the panning directions and the events
// of combo close-up, anchors, sizing and moving.

#include "platform/forms/Menus.h"

#include <functional>

// The directions the middle button pans in.
enum TIntelliPan { ipVertical, ipHorizontal, ipBoth, ipNone };

using TComboCloseUpEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol)>;
using TAnchorEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, const AnsiString& Anchor)>;
using TColumnSizingEvent = std::function<void(TObject* Sender, Integer ACol, Integer ColumnSize)>;
using TRowSizingEvent = std::function<void(TObject* Sender, Integer ARow, Integer RowSize)>;
using TColumnSizeEvent = std::function<void(TObject* Sender, Integer ACol, bool& Allow)>;
using TRowSizeEvent = std::function<void(TObject* Sender, Integer ARow, bool& Allow)>;
using TMovingEvent = std::function<void(TObject* Sender, Integer AIndex, bool& Allow)>;
using TFixedDropDownClickEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow,
                                                    TPopupMenu*& AMenu, bool& KeepFixedCellHighlighted)>;
