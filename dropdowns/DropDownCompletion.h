#pragma once

// Completion of typed text from a list of values, shared by the pickers that complete while the
// person types (the lookup and detail pickers).

#include "platform/rtl/Types.h"

#include <cstddef>
#include <functional>

namespace DadOrorUdur {

// The index of the first of Count values (ValueAt(0) .. ValueAt(Count - 1)) whose upper-cased
// form starts with the upper-cased part of Current before Caret (a byte offset, clamped to the
// text), with Completed set to that typed part followed by the rest of the value (at most 255
// bytes of it). -1, Completed untouched, when the typed part is empty or no value starts with it.
Integer CompleteFromList(const AnsiString& Current, std::size_t Caret, Integer Count,
                         const std::function<AnsiString(Integer)>& ValueAt, AnsiString& Completed);

// Whether a key-down code stands for a character of a caption (a letter, a digit or space), the
// keys the pickers' type-ahead collects.
bool IsTypeAheadKey(Word Key);

} // namespace DadOrorUdur
