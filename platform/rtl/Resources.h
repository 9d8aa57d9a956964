#pragma once

#include <cstddef>
#include <string_view>

// Resources embedded into the program at build time (the files of a library's res/ folder).
// The registry is filled during static initialisation and read afterwards; lookups are safe
// from any thread once main() has started.

struct TEmbeddedResource {
    const char* Name;          // file name without extension, e.g. "ZIV_SPECTRUM"
    const char* Type;          // "BITMAP", "CURSOR", "ICON", "RCDATA" or the sub-folder name
    const unsigned char* Data; // the file's bytes; lives as long as the program
    std::size_t Size;
};

// Adds a resource; called by the generated sources. Returns true so it can initialise a static.
// A later registration of the same name and type replaces an earlier one.
bool RegisterEmbeddedResource(const char* Name, const char* Type, const unsigned char* Data,
                              std::size_t Size);

// Finds a resource by name and type, both compared without regard to ASCII case, as the
// platform's resource lookup does. Returns nullptr when there is none.
const TEmbeddedResource* FindEmbeddedResource(std::string_view Name, std::string_view Type);
