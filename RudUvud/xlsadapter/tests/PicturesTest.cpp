#include "RudUvud/xlsadapter/XlsPictures.h"
#include "RudUvud/xlsadapter/tests/EscherTestSupport.h"
#include "platform/forms/Jpeg.h"

#include <gtest/gtest.h>

using namespace escherTest;

namespace {

// The 1 x 1 black-and-white DIB the engine uses for a missing picture.
ByteArray BlankDib()
{
    ByteArray b(54, 0);
    SetLongWord(b.data(), 0, 40);
    SetLongWord(b.data(), 4, 1);
    SetLongWord(b.data(), 8, 1);
    SetWord(b.data(), 12, 1);
    SetWord(b.data(), 14, 1);
    SetLongWord(b.data(), 24, 2834);
    SetLongWord(b.data(), 28, 2834);
    b[40] = b[41] = b[42] = 0xFF;
    return b;
}

ByteArray StreamBytes(TMemoryStream& S)
{
    const Byte* p = static_cast<const Byte*>(S.Memory());
    return p ? ByteArray(p, p + S.Size()) : ByteArray();
}

// A picture added to a drawing and read back from the picture store, as the file interface
// hands it to the grid bridge.
ByteArray ThroughTheStore(const ByteArray& Bytes, TXlsImgTypes Type, TXlsImgTypes& Back)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    TEscherSpContainerRecord* s = AddPicture(dwg, group, Bytes, Type, TClientAnchor());
    TMemoryStream out;
    s->OptRec->GetImageFromStream(out, Back);
    return StreamBytes(out);
}

} // namespace

TEST(XlsPictures, JpegsAndBitmapsLoadIntoPictures)
{
    // A JPEG made by the platform's own encoder.
    TBitmap src;
    src.SetSize(5, 3);
    TJPEGImage jpeg;
    jpeg.Assign(&src);
    TMemoryStream jpegBytes;
    jpeg.SaveToStream(&jpegBytes);

    TXlsImgTypes type;
    ByteArray back = ThroughTheStore(StreamBytes(jpegBytes), xli_Jpeg, type);
    EXPECT_EQ(back, StreamBytes(jpegBytes));
    TMemoryStream in;
    in.WriteBuffer(back.data(), static_cast<Integer>(back.size()));
    in.SetPosition(0);
    TPicture picture;
    bool handled = false;
    SaveImgStreamToGraphic(in, type, &picture, handled);
    EXPECT_TRUE(handled);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 3);

    // A bitmap comes back with a file header of zeros, which the bitmap class reads.
    back = ThroughTheStore(BlankDib(), xli_Bmp, type);
    TMemoryStream bmp;
    bmp.WriteBuffer(back.data(), static_cast<Integer>(back.size()));
    bmp.SetPosition(0);
    SaveImgStreamToGraphic(bmp, type, &picture, handled);
    EXPECT_TRUE(handled);
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 1);
}

TEST(XlsPictures, OtherTypesAreNotHandled)
{
    TPicture picture;
    TMemoryStream png;
    png.WriteBuffer("\x89PNG", 4);
    png.SetPosition(0);
    bool handled = true;
    SaveImgStreamToGraphic(png, xli_Png, &picture, handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(picture.Graphic(), nullptr);

    // A broken JPEG raises the picture class's error and leaves the picture as it was.
    TMemoryStream broken;
    broken.WriteBuffer("\xFF\xD8\xFF\x00garbage", 11);
    broken.SetPosition(0);
    EXPECT_ANY_THROW(SaveImgStreamToGraphic(broken, xli_Jpeg, &picture, handled));
    EXPECT_EQ(picture.Graphic(), nullptr);

    TMemoryStream out;
    bool saved = true;
    png.SetPosition(0);
    SaveImgStreamToDiskImage(png, xli_Wmf, out, saved);
    EXPECT_FALSE(saved);
    SaveImgStreamToDiskImage(png, xli_Png, out, saved);
    EXPECT_TRUE(saved);
    EXPECT_EQ(out.Size(), 4);
}

TEST(XlsPictures, PatternsAndChecksum)
{
    std::unique_ptr<TBitmap> solid = CreateBmpPattern(1, clRed, clWhite);
    EXPECT_EQ(solid->Width(), 8);
    EXPECT_EQ(solid->Canvas()->Pixels(3, 5), clRed);
    std::unique_ptr<TBitmap> grey = CreateBmpPattern(2, clBlack, clWhite);
    EXPECT_EQ(grey->Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(grey->Canvas()->Pixels(1, 0), clWhite);

    TMetafileHeader h;
    h.Key = 0x9AC6CDD7;
    h.Right = 100;
    h.Bottom = 50;
    h.Inch = 1440;
    EXPECT_EQ(ComputeAldusChecksum(h), Word(0xCDD7 ^ 0x9AC6 ^ 100 ^ 50 ^ 1440));
}
