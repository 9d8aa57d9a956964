// Any bytes given to the JPEG reader either load or raise EInvalidGraphic.

#include "platform/win/ImageFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        DeleteObject(LoadJpeg(data, size));
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
