#pragma once

// The grid's comma-separated text rules, free of any grid so that the file reader can be fuzzed
// and benchmarked on its own: field encoding, separator detection and line splitting.

#include "platform/rtl/Types.h"

#include <vector>

namespace csvcodec {

struct TCsvWriteOptions {
    char Separator = ',';
    bool TildeLineBreaks = false; // line breaks as "~", an empty cell as "^"
    bool QuoteAll = false;
    bool EmptyCellsAsQuotes = true;
    bool Multilinecells = false;
};

// One cell text as it goes between two separators of a line.
AnsiString EncodeField(const AnsiString& Text, const TCsvWriteOptions& Opt);

// The separator the first two lines of a file agree on, or '\0' when no candidate occurs.
char DetectSeparator(const AnsiString& L1, const AnsiString& L2);

// The fields of one line. With Sep '\0' the whole line is one field.
std::vector<AnsiString> SplitLine(const AnsiString& Line, char Sep, bool TildeLineBreaks);

// The lines of a file's text: CR LF, LF and a lone CR all end a line; a final line end adds no
// empty line.
std::vector<AnsiString> SplitFileLines(const AnsiString& Text);

// Replaces the file under Name with Text: written to a temporary file beside it and renamed, so
// that a failure never leaves half a file under the user's name. Raises Exception on failure.
void WriteFileAtomic(const AnsiString& Name, const AnsiString& Text);
// The whole file; raises Exception "Cannot open file <name>" when it cannot be read.
AnsiString ReadFile(const AnsiString& Name);

} // namespace csvcodec
