#pragma once

// The document of a rich edit window, its RTF reader and writer, and its line layout.
//
// A document is UTF-16 text in which every paragraph ends in '\r' (the last one included, so the
// text is never empty), with a character format and a paragraph format for every unit. The
// paragraph format of a paragraph is the one of its closing '\r'. A line break inside a
// paragraph is U+000B, a tab '\t'. Lengths are in twips (1/1440 inch) throughout.

#include "platform/win/Gdi.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace richtext {

enum : DWORD {
    EffectBold = 0x1,
    EffectItalic = 0x2,
    EffectUnderline = 0x4,
    EffectStrike = 0x8,
    EffectAutoColor = 0x40000000
};

struct CharFormat {
    std::string Face = "Arial"; // UTF-8
    int Size = 200;             // character height in twips
    DWORD Effects = EffectAutoColor;
    COLORREF Color = 0;
    int Offset = 0; // baseline shift in twips, positive raises
    int Charset = 0;
    bool operator==(const CharFormat&) const = default;
};

enum class Align { Left, Center, Right, Justify };

struct ParaFormat {
    Align Alignment = Align::Left;
    int Left = 0; // every line
    int Right = 0;
    int First = 0; // the first line, relative to Left
    std::vector<int> Tabs;
    bool operator==(const ParaFormat&) const = default;
};

struct FormatHash {
    std::size_t operator()(const CharFormat& f) const;
    std::size_t operator()(const ParaFormat& f) const;
};

class Document {
public:
    Document();

    const std::u16string& Text() const { return Units; }
    // The length a program sees: without the closing '\r' of the last paragraph.
    std::size_t Length() const { return Units.size() - 1; }
    const CharFormat& CharAt(std::size_t i) const { return CharFormats[CharIdx[i]]; }
    const ParaFormat& ParaAt(std::size_t i) const { return ParaFormats[ParaIdx[ParaEnd(i)]]; }
    std::uint32_t CharIndexAt(std::size_t i) const { return CharIdx[i]; }
    const CharFormat& CharFormatOf(std::uint32_t index) const { return CharFormats[index]; }

    std::uint32_t Intern(const CharFormat& f);
    std::uint32_t Intern(const ParaFormat& f);

    // The '\r' that ends the paragraph holding unit i.
    std::size_t ParaEnd(std::size_t i) const;
    std::size_t ParaStart(std::size_t i) const;

    // Replaces units [from, to) (clamped to the length) by text in one character format; new
    // paragraph marks take the paragraph format of the paragraph they split.
    void Replace(std::size_t from, std::size_t to, const std::u16string& text, std::uint32_t charIndex);
    // Replaces [from, to) by the first `count` units of another document, formats and all.
    void Replace(std::size_t from, std::size_t to, const Document& other, std::size_t count);
    void SetChar(std::size_t from, std::size_t to, const CharFormat& f);
    void SetPara(std::size_t from, std::size_t to, const ParaFormat& f);

    // Appending, for the reader: text in a format, and closing the current paragraph.
    void Append(const std::u16string& text, std::uint32_t charIndex);
    void EndParagraph(std::uint32_t charIndex, const ParaFormat& para);
    // Gives the last paragraph (the one the final mark closes) its format.
    void FinishLast(const ParaFormat& para, std::uint32_t charIndex);

    // Same text, and the same formats unit by unit.
    bool SameAs(const Document& other) const;

private:
    std::u16string Units;
    std::vector<std::uint32_t> CharIdx;
    std::vector<std::uint32_t> ParaIdx;
    std::vector<CharFormat> CharFormats;
    std::vector<ParaFormat> ParaFormats;
    // Where each format is in the lists above, so that interning is no search.
    std::unordered_map<CharFormat, std::uint32_t, FormatHash> CharIndex;
    std::unordered_map<ParaFormat, std::uint32_t, FormatHash> ParaIndex;
    std::size_t OpenPara = 0; // reader: first unit of the paragraph being appended
};

// ---- RTF ---------------------------------------------------------------------------------------

enum class ReadStatus {
    Ok,
    NotRtf,    // no "{\rtf" at the start: nothing read
    Truncated, // groups left open or a broken escape at the end: what came before is kept
};

struct ReadResult {
    Document Doc;
    ReadStatus Status = ReadStatus::Ok;
    bool EndedWithPar = false; // the last paragraph mark came from the input, not implied
};

// Reads RTF. `defaults` is the character format text starts with (the window's default one).
// Malformed input yields what could be read; nesting, numbers and skipped data are bounded.
ReadResult ReadRtf(const std::string& rtf, const CharFormat& defaults = {});

// Writes units [from, to) of the document as RTF (the whole text with its last mark by default).
std::string WriteRtf(const Document& doc, std::size_t from = 0, std::size_t to = std::size_t(-1));

// Converts bytes of a Windows code page to UTF-16 (Latin-1 for unknown ones).
std::u16string DecodeCodePage(const std::string& bytes, int codePage);
// The code page of an RTF \fcharset value, 0 when it names none.
int CodePageOfCharset(int charset);

// ---- Layout ------------------------------------------------------------------------------------

struct Line {
    std::size_t Start = 0; // first unit
    std::size_t End = 0;   // one past the last unit shown (the paragraph mark or line break not)
    std::size_t Next = 0;  // first unit of the next line
    int Top = 0;           // twips from the top of the layout
    int Height = 0;
    int Ascent = 0;
    std::vector<int> X; // x of units Start..End (End included) in twips from the left edge
};

// Lays out the document from unit `from` in lines of `width` twips, stopping after the line that
// reaches `maxHeight` (not laid out when negative). Measured once, at the reference resolution,
// so the breaks are the same on every device.
std::vector<Line> LayOut(const Document& doc, std::size_t from, int width, int maxHeight = -1);

// Lays out the one paragraph that starts at unit `start`, its first line's top at 0.
std::vector<Line> LayOutParagraph(const Document& doc, std::size_t start, int width);

// Height in twips of all lines of the document at `width`.
int LayoutHeight(const Document& doc, int width);

// A font for the format on a device of `dpiY` dots per inch (the caller deletes it).
HFONT CreateFontFor(const CharFormat& f, int dpiY);

// Draws laid-out lines on a DC: (originX, originY) device units is the top-left of the layout;
// twips convert at the DC's resolution. Characters in [selFrom, selTo) are drawn selected.
// `links` lists unit ranges shown as links (blue, underlined).
struct Range {
    std::size_t From = 0, To = 0;
};
void DrawLines(HDC dc, const Document& doc, const std::vector<Line>& lines, std::size_t count, int originX,
               int originY, std::size_t selFrom = 0, std::size_t selTo = 0,
               const std::vector<Range>& links = {});

// Web addresses and similar in the text (http://, https://, ftp://, mailto:, file:, www.).
std::vector<Range> FindUrls(const std::u16string& text);

} // namespace richtext
