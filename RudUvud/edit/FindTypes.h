#pragma once

// The grid's find parameters and the events of its search footer.

#include "platform/rtl/Set.h"
#include "platform/rtl/Strings.h"

#include <functional>

class TObject;

// How Find compares and walks; a set of them is TFindParams (bit n = value n).
enum TFindParameters {
    fnMatchCase,
    fnMatchFull,
    fnMatchRegular,
    fnDirectionLeftRight,
    fnMatchStart,
    fnFindInCurrentRow,
    fnFindInCurrentCol,
    fnIncludeFixed,
    fnAutoGoto,
    fnIgnoreHTMLTags,
    fnBackward,
    fnIncludeHiddenColumns,
    fnFindInPresetCol,
    fnFindInPresetRow,
    fnSelectedCells,
    fnIncludeHiddenRows
};
using TFindParams = TSet<TFindParameters>;

// Fired when the search footer's text changed; clearing DefaultSearch skips the grid's own search.
using TSearchEditChangeEvent =
    std::function<void(TObject* Sender, const AnsiString& Value, bool& DefaultSearch)>;
