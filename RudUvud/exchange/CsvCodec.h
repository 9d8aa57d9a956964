#pragma once

// The grid's comma-separated text rules, free of any grid so that the file reader can be fuzzed
// and benchmarked on its own: field encoding, separator detection and line splitting.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
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
// Out += EncodeField(Text, Opt), without a copy for the common text that needs no encoding.
void AppendField(AnsiString& Out, const AnsiString& Text, const TCsvWriteOptions& Opt);

// The separator the first two lines of a file agree on, or '\0' when no candidate occurs.
char DetectSeparator(const AnsiString& L1, const AnsiString& L2);

// The fields of one line. With Sep '\0' the whole line is one field.
std::vector<AnsiString> SplitLine(const AnsiString& Line, char Sep, bool TildeLineBreaks);
// The same into Fields (resized to the fields of the line; its strings' storage is reused).
// Answers the number of fields. A line of more than MaxFields fields is split no further than
// MaxFields + 1 fields, which is what it answers then; a quoted field without its closing quote
// runs to the end of the line.
std::size_t SplitLineInto(std::string_view Line, char Sep, bool TildeLineBreaks,
                          std::vector<AnsiString>& Fields, std::size_t MaxFields = SIZE_MAX);

// The lines of a file's text: CR LF, LF and a lone CR all end a line; a final line end adds no
// empty line.
std::vector<AnsiString> SplitFileLines(const AnsiString& Text);
// The line at Pos, the same way, without copying it; Pos moves past its line end. False at the
// end of the text.
bool NextLine(const AnsiString& Text, std::size_t& Pos, std::string_view& Line);

// Replaces the file under Name with Text: written to a temporary file beside it and renamed, so
// that a failure never leaves half a file under the user's name. Raises Exception on failure.
void WriteFileAtomic(const AnsiString& Name, const AnsiString& Text);

// The same in pieces, for files too large to build in memory first: Write as often as needed,
// then Commit. A writer destroyed without Commit removes its temporary file.
class TAtomicFileWriter {
public:
    // Raises Exception "Cannot create file <name>" when the temporary file cannot be made.
    explicit TAtomicFileWriter(const AnsiString& Name);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;
    void Write(const char* Data, std::size_t Size);
    void Write(const AnsiString& Text) { Write(Text.data(), Text.size()); }
    // Closes the temporary file and renames it to the name; raises Exception on failure.
    void Commit();

private:
    AnsiString FName, FTmp;
    std::FILE* FFile = nullptr;
    bool FFailed = false;
};
// The whole file; raises Exception "Cannot open file <name>" when it cannot be read.
AnsiString ReadFile(const AnsiString& Name);

} // namespace csvcodec
