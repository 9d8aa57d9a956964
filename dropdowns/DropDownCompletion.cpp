#include "dropdowns/DropDownCompletion.h"

#include "platform/rtl/Strings.h"

#include <algorithm>

namespace DadOrorUdur {

Integer CompleteFromList(const AnsiString& Current, std::size_t Caret, Integer Count,
                         const std::function<AnsiString(Integer)>& ValueAt, AnsiString& Completed)
{
    const AnsiString Typed = Current.substr(0, std::min(Caret, Current.size()));
    const AnsiString Key = AnsiUpperCase(Typed);
    if (Key.empty())
        return -1;
    for (Integer I = 0; I < Count; ++I) {
        const AnsiString Value = ValueAt(I);
        if (AnsiUpperCase(Value).compare(0, Key.size(), Key) != 0)
            continue;
        // The key's length counts in the typed text and in the value alike; a letter whose upper
        // case is longer than itself could put it past either end.
        const std::size_t L = Key.size();
        Completed =
            Current.substr(0, std::min(L, Current.size())) + (L < Value.size() ? Value.substr(L, 255) : "");
        return I;
    }
    return -1;
}

bool IsTypeAheadKey(Word Key)
{
    return Key == ' ' || (Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z');
}

} // namespace DadOrorUdur
