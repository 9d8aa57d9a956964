// Number-format rendering on arbitrary formats: the input is a format string (UTF-8) and a
// value chosen by its first byte. Nothing may raise, crash or hang.

#include "RudUvud/xlsadapter/XlsNumberFormat.h"

#include "platform/rtl/Strings.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1)
        return 0;
    static const double values[] = {0, 1, -1, 0.5, 1234.5, -40000.25, 40000, 1e300, -1e-300, 2958466};
    const double v = values[Data[0] % 10];
    const WideString format = UTF8Decode(std::string(reinterpret_cast<const char*>(Data + 1), Size - 1));
    Integer color = -1;
    XlsFormatValue(TXlsVariant::FromNumber(v), format, color);
    XlsFormatValue1904(TXlsVariant::FromDate(v), format, true, color);
    XlsFormatValue(TXlsVariant::FromString(u"text"), format, color);
    bool d, t;
    HasXlsDateTime(format, d, t);
    return 0;
}
