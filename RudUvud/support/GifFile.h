#pragma once

// GIF files as the picture classes need them: the frames found by walking the file's block
// structure (so bytes inside image data are never taken for a frame), and one frame decoded
// into a bitmap. Both read only inside the given bytes; a malformed or truncated file gives
// fewer frames or raises EInvalidGraphic, never reads past the end.

#include "platform/win/ImageFiles.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct TGifFrame {
    std::size_t Descriptor = 0; // offset of the image descriptor (the 0x2C byte)
    std::uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    int Delay = -1;       // hundredths of a second; -1 without a graphic control extension
    int Transparent = -1; // colour index drawn see-through; -1 for none
};

struct TGifLayout {
    bool IsGif = false;
    std::uint16_t ScreenWidth = 0, ScreenHeight = 0;
    std::vector<TGifFrame> Frames;
};

// The header and every image of the file in order, up to the trailer or the first damage.
TGifLayout GifWalk(const std::uint8_t* Data, std::size_t Size);

// Frame Index (0-based) of the layout as a 32-bit bitmap of the frame's own size, see-through
// where the frame's transparent colour is. Raises EInvalidGraphic on damaged data or an image
// too large to hold.
HBITMAP GifDecodeFrame(const std::uint8_t* Data, std::size_t Size, const TGifLayout& Layout,
                       std::size_t Index);
