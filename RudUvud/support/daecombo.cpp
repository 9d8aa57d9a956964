#include "RudUvud/support/daecombo.h"

#include "RudUvud/support/VadObj.h"

Integer CommonControlsMajorVersion()
{
    static const Integer Major = [] {
        const Integer V = GetFileVersion("COMCTL32.DLL");
        return V < 0 ? 6 : (V >> 16) & 0xFFFF;
    }();
    return Major;
}

Integer TDAECustomCombo::GetVersionNr()
{
    return (1 << 24) | (2 << 16) | (0 << 8) | 1;
}

AnsiString TDAECustomCombo::GetVersion()
{
    const auto V = static_cast<std::uint32_t>(GetVersionNr());
    return std::to_string(V >> 24) + "." + std::to_string((V >> 16) & 0xFF) + "." +
           std::to_string((V >> 8) & 0xFF) + "." + std::to_string(V & 0xFF);
}
