#pragma once

// Text helpers of the painting part: markup removal for display and saving, and the checked
// number formatter for application float formats.

#include "platform/rtl/Types.h"

// The text of a mini-HTML string without its tags, with the character entities decoded and <BR>
// as a line break.
AnsiString StripMarkup(const AnsiString& S);
// The plain text of an RTF string: control words, groups of destinations and braces dropped.
AnsiString RTFPlainText(const AnsiString& S);
// Formats the number in Text with a printf-like Fmt holding exactly one conversion: an integer
// conversion (d, i) gets the integer value, a float conversion (f, e, g, E, G) the float value.
// Any other conversion, a second one, a bad flag or width, or a text that is not a number makes
// it answer false (nothing is passed to the C formatter unchecked).
bool FormatNumber(const AnsiString& Fmt, const AnsiString& Text, AnsiString& Out);
