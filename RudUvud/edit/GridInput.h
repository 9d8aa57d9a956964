#pragma once

// Events of the string grid's mouse press and keyboard handling.

#include "platform/forms/Grids.h"

#include <functional>

using TClickCellEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol)>;
using TCanClickCellEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, bool& Allow)>;
using TCanInsertRowEvent = std::function<void(TObject* Sender, Integer ARow, bool& CanInsert)>;
using TCanDeleteRowEvent = std::function<void(TObject* Sender, Integer ARow, bool& CanDelete)>;
using TAutoInsertRowEvent = std::function<void(TObject* Sender, Integer ARow)>;
using TAutoDeleteRowEvent = std::function<void(TObject* Sender, Integer ARow)>;
using TCanAddRowEvent = std::function<void(TObject* Sender, bool& CanAdd)>;
using TAutoAddRowEvent = std::function<void(TObject* Sender, Integer ARow)>;
// A node glyph clicked: ARow is the node's display row, ARowReal its real row.
using TNodeClickEvent = std::function<void(TObject* Sender, Integer ARow, Integer ARowReal)>;
using TNodeAllowEvent = std::function<void(TObject* Sender, Integer ARow, Integer ARowReal, bool& Allow)>;
