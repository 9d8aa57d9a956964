#pragma once

// The largest grid a file import may make. A file's size bounds its cells, but not the grid it
// asks for: one line of ten million separators asks for ten million columns, and an empty line
// costs a file two bytes but the grid a row. The importers check their file against these limits
// before the grid changes and refuse it as a whole.

#include "RudUvud/core/GridTypes.h"

namespace importlimits {

constexpr Integer MaxRows = 1048576;
constexpr Integer MaxCols = 16384;

// Raises ERudUvudError "File <name> has too many rows (more than 1048576)" when Rows exceeds
// MaxRows, and the same with "columns" and MaxCols for Cols.
void Check(const AnsiString& FileName, Integer Rows, Integer Cols);

} // namespace importlimits
