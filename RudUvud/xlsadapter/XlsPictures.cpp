#include "RudUvud/xlsadapter/XlsPictures.h"

#include "platform/forms/Jpeg.h"

void SaveImgStreamToGraphic(TStream& Stream, TXlsImgTypes ImgType, TPicture* Picture, bool& Handled)
{
    Handled = true;
    if (ImgType == xli_Jpeg) {
        // Loaded first and then handed over, so that a broken picture leaves Picture as it was.
        TJPEGImage image;
        image.LoadFromStream(&Stream);
        Picture->SetGraphic(&image);
    } else if (ImgType == xli_Bmp) {
        TBitmap bitmap;
        bitmap.LoadFromStream(&Stream);
        Picture->SetGraphic(&bitmap);
    } else
        Handled = false;
}

void SaveImgStreamToDiskImage(TStream& Stream, TXlsImgTypes ImgType, TStream& OutStream, bool& Saved)
{
    Saved = false;
    if (ImgType == xli_Jpeg || ImgType == xli_Png || ImgType == xli_Bmp) {
        OutStream.CopyFrom(&Stream, 0);
        Saved = true;
    }
}

void LoadWmf(TPicture* Picture, TStream& Stream, TXlsImgTypes ImgType) {}

Word ComputeAldusChecksum(const TMetafileHeader& Header)
{
    const Word words[10] = {static_cast<Word>(Header.Key & 0xFFFF),
                            static_cast<Word>(Header.Key >> 16),
                            Header.Handle,
                            static_cast<Word>(Header.Left),
                            static_cast<Word>(Header.Top),
                            static_cast<Word>(Header.Right),
                            static_cast<Word>(Header.Bottom),
                            Header.Inch,
                            static_cast<Word>(Header.Reserved & 0xFFFF),
                            static_cast<Word>(Header.Reserved >> 16)};
    Word sum = 0;
    for (Word w : words)
        sum ^= w;
    return sum;
}

namespace {

// Rows of the 8 x 8 patterns, bit 7 the leftmost pixel, a set bit in the fore colour.
constexpr Byte Patterns[19][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, // 1 solid
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, // 2 50% grey
    {0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB, 0xEE, 0xBB}, // 3 75% grey
    {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}, // 4 25% grey
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}, // 5 horizontal stripes
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC}, // 6 vertical stripes
    {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99}, // 7 reverse diagonal stripes
    {0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99}, // 8 diagonal stripes
    {0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33}, // 9 diagonal crosshatch
    {0xFF, 0x99, 0xFF, 0x99, 0xFF, 0x99, 0xFF, 0x99}, // 10 thick diagonal crosshatch
    {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, // 11 thin horizontal stripes
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}, // 12 thin vertical stripes
    {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11}, // 13 thin reverse diagonal stripes
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88}, // 14 thin diagonal stripes
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88}, // 15 thin horizontal crosshatch
    {0x99, 0x66, 0x66, 0x99, 0x99, 0x66, 0x66, 0x99}, // 16 thin diagonal crosshatch
    {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00}, // 17 12.5% grey
    {0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00}, // 18 6.25% grey
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // 19 none (back colour)
};

} // namespace

std::unique_ptr<TBitmap> CreateBmpPattern(Integer Pattern, TColor ForeColor, TColor BackColor)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(8, 8);
    bool known = Pattern >= 1 && Pattern <= 19;
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x) {
            bool fore = known && (Patterns[Pattern - 1][y] & (0x80 >> x));
            bmp->Canvas()->SetPixels(x, y, fore ? ForeColor : BackColor);
        }
    return bmp;
}
