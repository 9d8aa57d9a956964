#include "platform/win/FileIcons.h"

#include "platform/win/Backend.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>

namespace {

struct IconDeleter {
    void operator()(std::remove_pointer_t<HICON>* icon) const
    {
        if (icon)
            DestroyIcon(icon);
    }
};
using OwnedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// Kept for the whole run and never destroyed: the icon layer's own tables may be gone by the
// time static objects are destroyed at exit.
std::map<std::pair<std::string, int>, OwnedIcon>& Cache()
{
    static auto* cache = new std::map<std::pair<std::string, int>, OwnedIcon>;
    return *cache;
}

// An icon of the backend's image: its alpha where it has any, else opaque all over.
HICON IconOf(HBITMAP image, int size)
{
    if (!image)
        return nullptr;
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO info;
    info.hbmMask = mask;
    info.hbmColor = image;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(image);
    return icon;
}

// What decides the icon: the ending in lower case, or "/" for a folder.
std::string TypeKey(const std::string& fileName)
{
    if (!fileName.empty() && (fileName.back() == '/' || fileName.back() == '\\'))
        return "/";
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t dot = fileName.find_last_of('.');
    std::string ending;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        ending = fileName.substr(dot);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return ending.empty() ? std::string("file") : "file" + ending;
}

} // namespace

HICON FileTypeIcon(const std::string& fileName, int size)
{
    const auto key = std::make_pair(TypeKey(fileName), size);
    auto& cache = Cache();
    auto found = cache.find(key);
    if (found == cache.end()) {
        found = cache.emplace(key, OwnedIcon(IconOf(Backend().FileTypeIcon(key.first, size), size))).first;
    }
    return found->second.get();
}

HICON SystemListIcon(int index, int size)
{
    switch (index) {
    case 3:
    case 4:
        return FileTypeIcon("folder/", size);
    case 15:
        return FileTypeIcon("computer.desktop", size);
    default:
        return FileTypeIcon("document.txt", size);
    }
}
