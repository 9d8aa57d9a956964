// Any bytes given to the ICO reader either load or raise EInvalidGraphic.

#include "platform/win/ImageFiles.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        for (IconImage& image : LoadIco(data, size))
            DeleteObject(image.Image);
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
