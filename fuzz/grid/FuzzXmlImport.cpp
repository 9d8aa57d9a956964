// XML files come from anywhere: any bytes must either be refused with the parse error or walk
// into fields at places inside the grid, never crash.

#include "RudUvud/exchange/XmlExchange.h"

#include "platform/rtl/Exceptions.h"
#include "platform/servers/Servers.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    static const std::string Path = "/tmp/fuzz_xml_import_" + std::to_string(::getpid()) + ".xml";
    static const bool Registered = [] {
        RegisterPlatformOleServers();
        return true;
    }();
    (void)Registered;
    if (Size < 1 || Size > 65536)
        return 0;
    {
        FILE* F = std::fopen(Path.c_str(), "wb");
        if (!F)
            return 0;
        std::fwrite(Data + 1, 1, Size - 1, F);
        std::fclose(F);
    }
    const bool Attributes = Data[0] & 1;
    const Integer FC = (Data[0] >> 1) & 1, FR = (Data[0] >> 2) & 1;
    std::size_t Fields = 0;
    try {
        xmlexchange::ReadDocument(Path, Attributes, FC, FR, Data[0] & 8,
                                  [&](Integer Col, Integer Row, const AnsiString&, const AnsiString&) {
                                      if (Col < 0 || Row < 0)
                                          std::abort();
                                      ++Fields;
                                  });
    } catch (const Exception&) {
    }
    // Every field is a node of the document: there are never more than its bytes.
    if (Fields > Size)
        std::abort();
    return 0;
}
