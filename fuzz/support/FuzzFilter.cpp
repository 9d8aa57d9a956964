// Filter conditions typed by users or pasted into the grid's filter: any condition against any
// cell value must end quickly without raising. The first byte picks the case rule and the locale
// date order; the rest is the condition, a newline, then the value.

#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/FormatSettings.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1 || Size > 8192)
        return 0;
    const std::uint8_t Flags = Data[0];
    const AnsiString Input(reinterpret_cast<const char*>(Data + 1), Size - 1);
    const std::size_t Split = Input.find('\n');
    const AnsiString Condition = Input.substr(0, Split);
    const AnsiString Value = Split == AnsiString::npos ? AnsiString() : Input.substr(Split + 1);

    SetDefaultFormatSettings();
    if (Flags & 2) {
        FormatSettings.DecimalSeparator = ',';
        FormatSettings.ThousandSeparator = '.';
        FormatSettings.DateSeparator = '.';
        FormatSettings.ShortDateFormat = "dd.MM.yyyy";
    } else if (Flags & 4) {
        FormatSettings.ShortDateFormat = "yyyy/MM/dd";
    }
    MatchStrEx(Condition, Value, (Flags & 1) != 0);
    Matches(Condition.c_str(), Value.c_str());
    return 0;
}
