#pragma once

// Text rules of the fixed-width files, the padded text table and the grid's own line format,
// free of any grid so that the readers can be fuzzed on their own. Texts are UTF-8: widths and
// positions count characters, and nothing is ever cut inside one.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <vector>

namespace textformats {

// Percent of Done over Total (at least 1), rounded half to even: the value file progress reports.
Integer ProgressPercent(Integer Done, Integer Total);

// Characters (code points) in S; bytes that are not UTF-8 count one each.
std::size_t CharLength(const AnsiString& S);
// S cut at W characters, or padded with blanks to W characters.
AnsiString FitToWidth(const AnsiString& S, std::size_t W);

// The fields of one fixed-width line: field K runs from Positions[K] to Positions[K + 1] (1-based
// character positions, sorted ascending); a position beyond the line gives an empty field.
std::vector<AnsiString> SplitFixedLine(const AnsiString& Line, const std::vector<Integer>& Positions,
                                       bool Trim);

enum TPieceAlign { paLeft, paRight, paCenter };
// A piece of the text table aligned in a column W characters wide, then padded so the column
// takes W + 1 characters (a longer piece is left as it is).
AnsiString AlignPiece(const AnsiString& S, std::size_t W, TPieceAlign A);

// ---- The grid's own line format -------------------------------------------------------------------

// A cell text on one line: CR -> 9, LF -> 8, NUL -> 1 whenever it holds a line break.
AnsiString EncodeCellText(const AnsiString& S);

struct TNativeCell {
    Integer Col = 0;
    Integer Row = 0;
    AnsiString Text; // still encoded
};

struct TNativeData {
    bool HasHeader = false; // false: the size stays as it is
    Integer Cols = 0;
    Integer Rows = 0;
    std::vector<std::pair<Integer, Integer>> Widths; // column, width
    std::vector<TNativeCell> Cells;
    std::size_t Consumed = 0; // stream variant: bytes that belong to the grid
};

// The largest sizes a file may ask for; anything larger is taken as a corrupt file rather
// than grown into.
constexpr Integer MaxFileCols = 100000;
constexpr Integer MaxFileRows = 10000000;

// The file variant. False when the file has no lines or a line does not parse.
bool ParseNativeFile(const AnsiString& Text, TNativeData& Out);
// The stream variant over the bytes from the stream's position: reading stops in front of the
// first line that is neither a width line nor holds two separators. Malformed numbers raise
// EConvertError.
void ParseNativeStream(const char* Data, std::size_t Size, TNativeData& Out);

} // namespace textformats
