// Any bytes given as a metafile either load and play onto a small bitmap, or raise
// EInvalidGraphic.

#include "platform/win/Gdi.h"
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
    THandleOwner<GdiMetafile, DeleteEnhMetaFile> mf;
    try {
        mf.reset(SetEnhMetaFileBits(UINT(size), data));
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    TOwnedDC dc(CreateCompatibleDC(nullptr));
    TOwnedBitmap bmp(CreateCompatibleBitmap(dc.get(), 48, 48));
    TSelectObject selected(dc.get(), bmp.get());
    RECT target{2, 2, 46, 46};
    PlayEnhMetaFile(dc.get(), mf.get(), &target);
    return 0;
}
