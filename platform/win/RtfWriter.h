#pragma once

// Writing RTF: the one writer of the rich edit (RichText.cpp) and of the word-processor server.
// It writes the header with its font and colour tables, paragraphs, control words and text, and
// escapes the text so that any reader gets back the characters written: '\', '{' and '}' are
// escaped, characters outside ASCII are written as \uN with '?' for readers without Unicode.

#include "platform/win/RichText.h"

#include <string>
#include <string_view>
#include <vector>

namespace richtext {

struct RtfFont {
    std::string Face; // UTF-8
    int Charset = 0;
};

class RtfWriter {
public:
    // Starts the document: the header, the font table (\f0 … in this order) and the colour table
    // (\cf1 … in this order; \cf0 is the automatic colour).
    RtfWriter(const std::vector<RtfFont>& Fonts, const std::vector<COLORREF>& Colors);

    // A control word as is ("\\trowd"), or with its number ("fs", 20 writes "\fs20").
    void Word(std::string_view W) { Out += W; }
    void Number(const char* W, long long Value);
    // A space ending the control words before text.
    void Space() { Out += ' '; }
    // Starts a paragraph (\pard) with its alignment, indents and tab stops; a table cell's
    // paragraph carries \intbl.
    void BeginParagraph(const ParaFormat& Format, bool InTable = false);
    void EndParagraph() { Out += "\\par\r\n"; }
    // Text: a tab as \tab, a line break inside a paragraph (U+000B or '\n') as \line; '\r' and
    // the other control characters are left out (paragraphs end with EndParagraph).
    void Text(std::u16string_view S);
    void Text(std::string_view Utf8);

    // Closes the document and gives its bytes.
    std::string Finish();

private:
    std::string Out;
};

} // namespace richtext
