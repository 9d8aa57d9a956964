#include "RudUvud/support/VadXPVS.h"

namespace themeapi {

void TThemeLoader::Clear()
{
#define THEME_API_RESET(Name, Export, Type) Name = nullptr;
    THEME_API_FUNCTIONS(THEME_API_RESET)
#undef THEME_API_RESET
    DrawThemeBackgroundEx = nullptr;
}

void TThemeLoader::Initialize()
{
    if (FLoaded)
        return;
    HMODULE Library = LoadLibrary("UXTHEME.DLL");
    if (!Library)
        return;
    ++FLoadCount;
    bool Complete = true;
#define THEME_API_BIND(Name, Export, Type)                                                                   \
    Name = reinterpret_cast<Type>(GetProcAddress(Library, Export));                                          \
    Complete = Complete && Name != nullptr;
    THEME_API_FUNCTIONS(THEME_API_BIND)
#undef THEME_API_BIND
    if (!Complete) {
        // A theme library without all its functions is treated as no theme library at all.
        Clear();
        FreeLibrary(Library);
        return;
    }
    FLibrary = Library;
    FLoaded = true;
}

void TThemeLoader::Finalize()
{
    if (!FLoaded)
        return;
    FreeLibrary(FLibrary);
    FLibrary = nullptr;
    FLoaded = false;
    Clear();
}

} // namespace themeapi

themeapi::TThemeLoader& VadXPVS()
{
    static themeapi::TThemeLoader Table = [] {
        themeapi::TThemeLoader T;
        T.Initialize();
        return T;
    }();
    return Table;
}

themeapi::TThemeLoader& ATXPVS()
{
    static themeapi::TThemeLoader Table = [] {
        themeapi::TThemeLoader T;
        T.Initialize();
        return T;
    }();
    return Table;
}
