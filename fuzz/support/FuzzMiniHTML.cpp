// Mini-HTML markup from cells, hints and imported files: preparing it, cutting it into runs and
// tags and reading every tag's attributes must end and stay in bounds for any bytes.

#include "RudUvud/support/Daehtmle.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const AnsiString Markup(reinterpret_cast<const char*>(Data), Size);
    const AnsiString Prepared = HTMLPrepare(Markup);
    for (bool WordWrap : {true, false}) {
        THTMLReader Reader(Prepared);
        while (!Reader.AtEnd()) {
            const std::size_t Before = Reader.Position();
            const THTMLToken Token = Reader.Next(WordWrap);
            if (Reader.Position() <= Before || Token.Text.size() > Token.Length)
                std::abort(); // every token must consume what it shows
            if (Token.Kind == tkText) {
                HTMLRunEntities(Token.Text);
                continue;
            }
            if (Token.Kind != tkTag)
                continue;
            HTMLTagKind(Token.Text);
            TColor Color = 0;
            Integer Number = 0;
            HTMLReadColor(HTMLAttribute(Token.Text, " COLOR", false), false, Color);
            HTMLReadColor(HTMLAttribute(Token.Text, "BGCOLOR", false), true, Color);
            HTMLAttribute(Token.Text, "FACE", false);
            HTMLAttribute(Token.Text, "HREF", true);
            HTMLAttribute(Token.Text, "TITLE", true);
            HTMLReadNumber(HTMLAttribute(Token.Text, "X", false), Number);
            HTMLReadNumber(HTMLFontSizeValue(Token.Text), Number);
            const Integer Points = HTMLFontSize(Number);
            if (Points < 1 || Points > 1638)
                std::abort();
        }
    }
    return 0;
}
