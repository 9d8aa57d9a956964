#pragma once

// The random generator: one linear congruential sequence for the whole process. Tests set
// RandSeed to a fixed value and get the same numbers every run; Randomize seeds it from the clock.

#include "platform/rtl/Types.h"

extern LongInt RandSeed;

// Seeds RandSeed from the clock.
void Randomize();
// A number 0 <= x < Range for Range > 0 (Range < 0: Range <= x <= 0; 0 for 0). Advances RandSeed.
Integer Random(Integer Range);
// A number 0 <= x < 1.
Extended Random();
// A number AFrom <= x < ATo (either order of the two bounds).
Integer RandomRange(Integer AFrom, Integer ATo);
