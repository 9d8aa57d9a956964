#include "platform/rtl/Objects.h"

#include <cctype>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

std::string TObject::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
    // Drop template arguments and namespaces: the class's own name is what callers compare.
    if (auto angle = name.find('<'); angle != std::string::npos)
        name.erase(angle);
    if (auto colon = name.rfind("::"); colon != std::string::npos)
        name.erase(0, colon + 2);
    return name;
}

bool TObject::ClassNameIs(const std::string& Name) const
{
    std::string own = ClassName();
    if (own.size() != Name.size())
        return false;
    for (std::size_t i = 0; i < own.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(own[i])) !=
            std::toupper(static_cast<unsigned char>(Name[i])))
            return false;
    return true;
}

void TObject::Free()
{
    BeforeDestruction();
    delete this;
}
