// The grid's own text files and streams come from anywhere: any bytes must either parse or be
// refused (a false answer, a conversion error) without reading outside the data, and a stream
// reader must never claim more bytes than it was given.

#include "RudUvud/exchange/TextFormats.h"

#include "platform/rtl/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size > 65536)
        return 0;
    const char* P = reinterpret_cast<const char*>(Data);
    textformats::TNativeData D;
    if (textformats::ParseNativeFile(AnsiString(P, Size), D)) {
        if (D.HasHeader && (D.Cols < 0 || D.Rows < 0 || D.Cols > textformats::MaxFileCols ||
                            D.Rows > textformats::MaxFileRows))
            std::abort();
        for (const auto& C : D.Cells)
            if (C.Text.find_first_of("\r\n") != AnsiString::npos)
                std::abort();
    }
    try {
        textformats::ParseNativeStream(P, Size, D);
        if (D.Consumed > Size)
            std::abort();
    } catch (const EConvertError&) {
    }
    // Whatever a cell holds, its encoded form stays on one line.
    if (textformats::EncodeCellText(AnsiString(P, Size)).find_first_of("\r\n") != AnsiString::npos)
        std::abort();
    return 0;
}
