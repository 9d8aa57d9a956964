// Metafile bytes in pictures (WMF with or without the placeable header, EMF): playing them must
// stay inside the bytes, inside the size caps, and fail only by giving no picture.

#include "RudUvud/support/WinMetafile.h"

#include "platform/win/Gdi.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size > 65536)
        return 0;
    if (HBITMAP Bitmap = PlayWinMetafile(Data, Size))
        DeleteObject(Bitmap);
    return 0;
}
