// Any bytes given as a metafile either load and play onto a small bitmap, or raise
// EInvalidGraphic.

#include "platform/win/ImageFiles.h"
#include "platform/win/Metafile.h"

#include <cstddef>
#include <cstdint>

// Fontconfig keeps its cached patterns through encoded offsets that the leak checker cannot
// follow; fonts loaded for the first time would otherwise look leaked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    HENHMETAFILE mf = nullptr;
    try {
        mf = SetEnhMetaFileBits(UINT(size), data);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 48, 48);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT target{2, 2, 46, 46};
    PlayEnhMetaFile(dc, mf, &target);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    DeleteEnhMetaFile(mf);
    return 0;
}
