#pragma once

// Text helpers of the painting part: the plain text of rich text, and the checked number
// formatter for application float formats.

#include "platform/rtl/Types.h"

// The plain text of an RTF string: control words, groups of destinations and braces dropped.
AnsiString RTFPlainText(const AnsiString& S);
// Formats the number in Text with a printf-like Fmt holding exactly one conversion: an integer
// conversion (d, i) gets the integer value, a float conversion (f, e, g, E, G) the float value.
// Any other conversion, a second one, a bad flag or width, or a text that is not a number makes
// it answer false (nothing is passed to the C formatter unchecked).
bool FormatNumber(const AnsiString& Fmt, const AnsiString& Text, AnsiString& Out);
