#pragma once

// Clipboard text rules free of any grid: splitting pasted text into lines of fields, and the
// quoted form a multi-line cell takes in copied text. Pasted text comes from any program: the
// splitter reads only the bytes it is given and never fails.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <vector>

namespace cliptext {

// One line of pasted text: its fields, and whether it is the empty remainder after the text's
// final line end (which counts as a field but stores nothing).
struct TPasteLine {
    std::vector<AnsiString> Fields;
    bool Remainder = false;
};

// Splits pasted text into lines of TAB-separated fields. Lines end in CR LF, CR or LF (text from
// programs on this desktop ends its lines in LF alone). A field that starts with a double quote,
// has its closing quote before a TAB, a line end or the end, and holds a line break (or the CSV
// line-break character 11) is one cell's text: it may span lines, the quotes go, doubled quotes
// become one and its line breaks become CR LF. Any other field is taken as it stands. The first
// form reads up to a terminating zero.
std::vector<TPasteLine> SplitPasteText(const char* Text);
std::vector<TPasteLine> SplitPasteText(const char* Text, std::size_t Size);

// A multi-line cell as copied text: one LF per line break (CR LF, CR or LF), inside double quotes
// with the quotes it holds doubled, as spreadsheets write such a cell; SplitPasteText reads it
// back as one field with CR LF line breaks.
AnsiString QuoteMultiLine(const AnsiString& S);

} // namespace cliptext
