#include "RudUvud/support/GifFile.h"

#include "platform/win/GraphicsOwners.h"

#include <cairo.h>

#include <cstring>

namespace {

// A picture larger than this many pixels is refused rather than allocated.
constexpr std::size_t MaxPixels = std::size_t(1) << 22; // 2048 x 2048

std::uint16_t LittleWord(const std::uint8_t* P)
{
    return std::uint16_t(P[0] | (P[1] << 8));
}

// Skips a chain of data sub-blocks starting at At; returns the offset after the terminator, or
// 0 when the chain runs past the end.
std::size_t SkipSubBlocks(const std::uint8_t* Data, std::size_t Size, std::size_t At)
{
    while (At < Size) {
        const std::size_t Length = Data[At];
        if (Length == 0)
            return At + 1;
        At += 1 + Length;
    }
    return 0;
}

} // namespace

TGifLayout GifWalk(const std::uint8_t* Data, std::size_t Size)
{
    TGifLayout Layout;
    if (!Data || Size < 13 || std::memcmp(Data, "GIF8", 4) != 0)
        return Layout;
    Layout.IsGif = true;
    Layout.ScreenWidth = LittleWord(Data + 6);
    Layout.ScreenHeight = LittleWord(Data + 8);
    std::size_t At = 13;
    if (Data[10] & 0x80)
        At += 3u * (std::size_t(1) << ((Data[10] & 7) + 1));
    int Delay = -1, Transparent = -1;
    while (At < Size) {
        const std::uint8_t Block = Data[At];
        if (Block == 0x3B) // trailer
            break;
        if (Block == 0x21) {
            if (At + 2 > Size)
                break;
            const std::uint8_t Label = Data[At + 1];
            if (Label == 0xF9 && At + 8 <= Size && Data[At + 2] == 4) {
                Delay = LittleWord(Data + At + 4);
                Transparent = (Data[At + 3] & 1) ? Data[At + 6] : -1;
            }
            const std::size_t Next = SkipSubBlocks(Data, Size, At + 2);
            if (Next == 0)
                break;
            At = Next;
            continue;
        }
        if (Block != 0x2C || At + 10 > Size)
            break;
        TGifFrame Frame;
        Frame.Descriptor = At;
        Frame.Left = LittleWord(Data + At + 1);
        Frame.Top = LittleWord(Data + At + 3);
        Frame.Width = LittleWord(Data + At + 5);
        Frame.Height = LittleWord(Data + At + 7);
        Frame.Delay = Delay;
        Frame.Transparent = Transparent;
        Delay = Transparent = -1;
        Layout.Frames.push_back(Frame);
        std::size_t Next = At + 10;
        if (Data[At + 9] & 0x80)
            Next += 3u * (std::size_t(1) << ((Data[At + 9] & 7) + 1));
        Next += 1; // LZW minimum code size
        if (Next > Size)
            break;
        Next = SkipSubBlocks(Data, Size, Next);
        if (Next == 0)
            break;
        At = Next;
    }
    return Layout;
}

namespace {

// LZW-decodes the sub-block chain at At into Out (at most Out.size() indices are written).
void Decompress(const std::uint8_t* Data, std::size_t Size, std::size_t At, int MinCodeSize,
                std::vector<std::uint8_t>& Out)
{
    if (MinCodeSize < 2 || MinCodeSize > 11)
        throw EInvalidGraphic("GIF image is not valid");
    const int Clear = 1 << MinCodeSize, EndCode = Clear + 1;
    std::vector<std::uint16_t> Prefix(4096);
    std::vector<std::uint8_t> Suffix(4096), Stack(4097);
    int CodeSize = MinCodeSize + 1, NextCode = Clear + 2, Previous = -1;
    std::uint8_t FirstChar = 0;
    std::uint32_t Bits = 0;
    int BitCount = 0;
    std::size_t Written = 0, BlockLeft = 0;
    for (int I = 0; I < Clear; ++I)
        Suffix[I] = std::uint8_t(I);
    while (Written < Out.size()) {
        while (BitCount < CodeSize) {
            if (BlockLeft == 0) {
                if (At >= Size || Data[At] == 0)
                    return; // data ends early: the rest of the frame stays background
                BlockLeft = Data[At++];
            }
            if (At >= Size)
                return;
            Bits |= std::uint32_t(Data[At++]) << BitCount;
            BitCount += 8;
            --BlockLeft;
        }
        int Code = int(Bits & ((1u << CodeSize) - 1));
        Bits >>= CodeSize;
        BitCount -= CodeSize;
        if (Code == Clear) {
            CodeSize = MinCodeSize + 1;
            NextCode = Clear + 2;
            Previous = -1;
            continue;
        }
        if (Code == EndCode)
            return;
        std::size_t Depth = 0;
        int Current = Code;
        if (Previous < 0) {
            if (Code >= Clear)
                throw EInvalidGraphic("GIF image is not valid");
            Out[Written++] = FirstChar = std::uint8_t(Code);
            Previous = Code;
            continue;
        }
        if (Code > NextCode || (Code == NextCode && NextCode >= 4096))
            throw EInvalidGraphic("GIF image is not valid");
        if (Code == NextCode) {
            Stack[Depth++] = FirstChar;
            Current = Previous;
        }
        while (Current >= Clear) {
            if (Depth >= 4096)
                throw EInvalidGraphic("GIF image is not valid");
            Stack[Depth++] = Suffix[Current];
            Current = Prefix[Current];
        }
        FirstChar = Suffix[Current];
        Stack[Depth++] = FirstChar;
        while (Depth > 0 && Written < Out.size())
            Out[Written++] = Stack[--Depth];
        if (NextCode < 4096) {
            Prefix[NextCode] = std::uint16_t(Previous);
            Suffix[NextCode] = FirstChar;
            ++NextCode;
            if (NextCode == (1 << CodeSize) && CodeSize < 12)
                ++CodeSize;
        }
        Previous = Code;
    }
}

} // namespace

HBITMAP GifDecodeFrame(const std::uint8_t* Data, std::size_t Size, const TGifLayout& Layout,
                       std::size_t Index)
{
    if (!Layout.IsGif || Index >= Layout.Frames.size())
        throw EInvalidGraphic("GIF image is not valid");
    const TGifFrame& Frame = Layout.Frames[Index];
    const std::size_t W = Frame.Width, H = Frame.Height;
    if (W == 0 || H == 0 || W * H > MaxPixels)
        throw EInvalidGraphic("GIF image is not valid");
    std::size_t At = Frame.Descriptor + 10;
    const std::uint8_t* Palette = nullptr;
    std::size_t PaletteSize = 0;
    const std::uint8_t Flags = Data[Frame.Descriptor + 9];
    if (Flags & 0x80) {
        Palette = Data + At;
        PaletteSize = std::size_t(1) << ((Flags & 7) + 1);
        At += 3 * PaletteSize;
    } else if (Data[10] & 0x80) {
        Palette = Data + 13;
        PaletteSize = std::size_t(1) << ((Data[10] & 7) + 1);
    }
    if (At >= Size || (Palette && Palette + 3 * PaletteSize > Data + Size))
        throw EInvalidGraphic("GIF image is not valid");
    std::vector<std::uint8_t> Indices(W * H, Frame.Transparent >= 0 ? std::uint8_t(Frame.Transparent) : 0);
    Decompress(Data, Size, At + 1, Data[At], Indices);

    TOwnedSurface Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(W), int(H)));
    if (cairo_surface_status(Surface.get()) != CAIRO_STATUS_SUCCESS)
        throw EInvalidGraphic("GIF image is too large");
    unsigned char* Pixels = cairo_image_surface_get_data(Surface.get());
    const int Stride = cairo_image_surface_get_stride(Surface.get());
    const bool Interlaced = (Flags & 0x40) != 0;
    // Rows of an interlaced image arrive in four passes.
    std::vector<std::size_t> RowOrder;
    RowOrder.reserve(H);
    if (Interlaced) {
        for (std::size_t Y = 0; Y < H; Y += 8)
            RowOrder.push_back(Y);
        for (std::size_t Y = 4; Y < H; Y += 8)
            RowOrder.push_back(Y);
        for (std::size_t Y = 2; Y < H; Y += 4)
            RowOrder.push_back(Y);
        for (std::size_t Y = 1; Y < H; Y += 2)
            RowOrder.push_back(Y);
    } else {
        for (std::size_t Y = 0; Y < H; ++Y)
            RowOrder.push_back(Y);
    }
    for (std::size_t Row = 0; Row < H; ++Row) {
        auto* Line = reinterpret_cast<std::uint32_t*>(Pixels + RowOrder[Row] * std::size_t(Stride));
        for (std::size_t X = 0; X < W; ++X) {
            const std::uint8_t I = Indices[Row * W + X];
            if (int(I) == Frame.Transparent || !Palette || I >= PaletteSize) {
                Line[X] = 0;
                continue;
            }
            const std::uint8_t* C = Palette + 3 * std::size_t(I);
            Line[X] = 0xFF000000u | (std::uint32_t(C[0]) << 16) | (std::uint32_t(C[1]) << 8) | C[2];
        }
    }
    cairo_surface_mark_dirty(Surface.get());
    // The bitmap holds a reference of its own: this one goes when the function ends.
    HBITMAP Bitmap = CreateBitmapFromSurface(Surface.get());
    if (!Bitmap)
        throw EInvalidGraphic("GIF image is too large");
    return Bitmap;
}
