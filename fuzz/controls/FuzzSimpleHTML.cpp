// The simple HTML parser on arbitrary text (the bytes read as UTF-8). Nothing may crash or hang,
// and what a parsed document writes back must parse again and write back the same.

#include "controls/SimpleHTML.h"

#include "platform/rtl/Strings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const WideString Text = UTF8Decode(std::string(reinterpret_cast<const char*>(Data), Size));
    TSimpleHTML Doc(Text);
    Doc.GetInnerText();
    DecodeWebColor(Text, 0);
    if (!Doc.Parsed())
        return 0;
    const WideString Written = Doc.GetInnerHTML();
    TSimpleHTML Again(Written);
    if (!Again.Parsed() || Again.GetInnerHTML() != Written)
        std::abort();
    return 0;
}
