// Picture bytes named by cells (FILE:// addresses, containers streamed in forms): reading them,
// counting and decoding every GIF frame and stepping the animation must stay inside the bytes
// and fail only with the picture errors.

#include "RudUvud/support/PictureContainer.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size > 65536)
        return 0;
    TMemoryStream Stream;
    if (Size > 0)
        Stream.WriteBuffer(Data, Integer(Size));
    Stream.Seek(0, soBeginning);
    THTMLPicture Picture;
    try {
        Picture.LoadFromStream(&Stream);
    } catch (const Exception&) {
    }
    const Integer Frames = Picture.GetFrameCount();
    for (Integer F = 1; F <= Frames && F <= 8; ++F) {
        Picture.GetFrameTime(F);
        try {
            Picture.SetFrame(F);
        } catch (const Exception&) {
        }
    }
    for (int Tick = 0; Tick < 8; ++Tick)
        Picture.Step();
    Picture.Width();
    Picture.GetMaxHeight();
    return 0;
}
