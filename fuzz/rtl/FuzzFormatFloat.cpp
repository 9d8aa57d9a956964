// FormatFloat on arbitrary pictures and values. The first byte chooses the value: below 0x80 one
// of a table of awkward values, otherwise the next eight bytes are the value's own bits (any
// exponent, infinities and NaNs included). The second bit of the first byte picks a comma-decimal
// locale. The rest is the picture, sections and all. Nothing may crash, and the result must hold
// no NUL: a digit placeholder never reads a digit that is not there.

#include "platform/rtl/Conversions.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1)
        return 0;
    static const double Values[] = {0,
                                    -0.0,
                                    1,
                                    -1,
                                    0.5,
                                    0.05,
                                    1234.5,
                                    -40000.25,
                                    40000,
                                    1e300,
                                    -1e-300,
                                    1e-320,
                                    1e15,
                                    123456789012345678.0,
                                    2958466,
                                    0.999999,
                                    std::numeric_limits<double>::max()};
    const uint8_t Choice = Data[0];
    ++Data;
    --Size;
    double Value;
    if (Choice < 0x80) {
        Value = Values[Choice % (sizeof Values / sizeof Values[0])];
    } else {
        if (Size < sizeof Value)
            return 0;
        std::memcpy(&Value, Data, sizeof Value);
        Data += sizeof Value;
        Size -= sizeof Value;
    }
    TFormatSettings Settings;
    if (Choice & 2) {
        Settings.DecimalSeparator = ',';
        Settings.ThousandSeparator = '.';
    }
    const AnsiString Picture(reinterpret_cast<const char*>(Data), Size);
    if (Picture.find('\0') != AnsiString::npos)
        return 0; // pictures are C strings in every caller
    const AnsiString Text = FormatFloat(Picture, Value, Settings);
    if (Text.find('\0') != AnsiString::npos)
        std::abort();
    return 0;
}
