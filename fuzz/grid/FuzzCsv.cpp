// Comma-separated files come from anywhere: any bytes must split into lines and fields without
// raising, and every field read must survive being written and read again unchanged.

#include "RudUvud/exchange/CsvCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1 || Size > 65536)
        return 0;
    const bool Tilde = Data[0] & 1;
    const AnsiString Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
    const auto Lines = csvcodec::SplitFileLines(Text);
    if (Lines.empty())
        return 0;
    char Sep = csvcodec::DetectSeparator(Lines[0], Lines.size() > 1 ? Lines[1] : AnsiString());
    if (!Sep)
        Sep = ',';
    csvcodec::TCsvWriteOptions Opt;
    Opt.Separator = Sep;
    Opt.TildeLineBreaks = Tilde;
    Opt.QuoteAll = Data[0] & 2;
    for (const AnsiString& L : Lines) {
        for (const AnsiString& F : csvcodec::SplitLine(L, Sep, Tilde)) {
            // Line breaks come back as CR LF and, with tildes, "~" and "^" have meanings of
            // their own; every other text must come back as it was.
            if (F.find_first_of(Tilde ? "\r\n\x0b~^" : "\r\n\x0b") != AnsiString::npos)
                continue;
            const auto Back = csvcodec::SplitLine("a" + AnsiString(1, Sep) + csvcodec::EncodeField(F, Opt) +
                                                      AnsiString(1, Sep) + "b",
                                                  Sep, Tilde);
            if (Back.size() != 3 || Back[1] != F)
                std::abort();
        }
    }
    return 0;
}
