#pragma once

// Event signatures of outline nodes and grouping.

#include "RudUvud/core/GridTypes.h"

#include <functional>

// A custom group figure over display rows FromRow .. ToRow of column ACol; Res comes preset to 0.
using TGroupCalcEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer FromRow, Integer ToRow, Double& Res)>;
