// Formula text typed by users: the encoder accepts it or refuses it with an exception; what it
// accepts decodes, and the decoded text goes through once more.

#include "RudUvud/xlsadapter/XlsEncodeFormula.h"
#include "fuzz/xlsformula/FuzzContext.h"

#include <cstddef>
#include <cstdint>

namespace {

WideString EncodeDecode(const WideString& Text, TFuzzFormulaContext& Cells)
{
    TParseString ps(Text, &Cells, fmValue);
    ps.Parse();
    ByteArray buf(static_cast<size_t>(ps.TotalSize()));
    ps.CopyToPtr(buf.data(), 0);
    return RPNToString(buf, 2, &Cells);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size > 4096)
        return 0;
    const WideString text = UTF8Decode(AnsiString(reinterpret_cast<const char*>(Data), Size));
    TFuzzFormulaContext cells;
    WideString first;
    try {
        first = EncodeDecode(text, cells);
    } catch (const Exception&) {
        return 0;
    }
    // The decoded text goes through the encoder once more. It is usually accepted, but not
    // always: numbers next to ":" read as whole rows ("6:6.5"), so only a clean refusal is asked.
    try {
        EncodeDecode(first, cells);
    } catch (const Exception&) {
    }
    return 0;
}
