#include "platform/rtl/Resources.h"

#include <cctype>
#include <vector>

namespace {

// A function-local static: registrations run during static initialisation of other
// translation units, in an order the language leaves open.
std::vector<TEmbeddedResource>& Registry()
{
    static std::vector<TEmbeddedResource> registry;
    return registry;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

bool RegisterEmbeddedResource(const char* Name, const char* Type, const unsigned char* Data, std::size_t Size)
{
    auto& registry = Registry();
    for (auto& entry : registry)
        if (SameText(entry.Name, Name) && SameText(entry.Type, Type)) {
            entry = {Name, Type, Data, Size};
            return true;
        }
    registry.push_back({Name, Type, Data, Size});
    return true;
}

const TEmbeddedResource* FindEmbeddedResource(std::string_view Name, std::string_view Type)
{
    for (const auto& entry : Registry())
        if (SameText(entry.Name, Name) && SameText(entry.Type, Type))
            return &entry;
    return nullptr;
}
