#include "platform/win/ImageFiles.h"
#include "Canvas.h"
#include "platform/testing/TempFolder.h"

#include <cstdlib>

namespace {

void Put16(Bytes& b, unsigned v)
{
    b.push_back(BYTE(v));
    b.push_back(BYTE(v >> 8));
}
void Put32(Bytes& b, unsigned v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A BMP file: file header, 40-byte info header, palette (or masks), then pixel bytes.
Bytes MakeBmp(int w, int h, int bpp, unsigned compression, const std::vector<unsigned>& table,
              const Bytes& pixels)
{
    Bytes b{'B', 'M'};
    unsigned off = 14 + 40 + unsigned(table.size()) * 4;
    Put32(b, off + unsigned(pixels.size()));
    Put32(b, 0);
    Put32(b, off);
    Put32(b, 40);
    Put32(b, unsigned(w));
    Put32(b, unsigned(h));
    Put16(b, 1);
    Put16(b, unsigned(bpp));
    Put32(b, compression);
    Put32(b, unsigned(pixels.size()));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, compression == BI_BITFIELDS ? 0 : unsigned(table.size()));
    Put32(b, 0);
    for (unsigned t : table)
        Put32(b, t);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

COLORREF PixelOf(HBITMAP bmp, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

void Picture(Canvas& c)
{
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x)
            SetPixel(c.Dc, x, y, RGB(x * 40 % 256, y * 60 % 256, (x + y) * 20 % 256));
}

TEST(BmpFile, WritesAndReadsBackEveryPixel)
{
    Canvas c(5, 3);
    Picture(c);
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        Bytes file = SaveBmp(c.Bitmap, bpp);
        EXPECT_EQ(file.size(), 54u + size_t(((5 * bpp + 31) / 32) * 4 * 3));
        HBITMAP back = LoadBmp(file.data(), file.size());
        EXPECT_EQ(GetBitmapDeclaredBits(back), bpp);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(PixelOf(back, x, y), c.At(x, y)) << x << "," << y;
        DeleteObject(back);
    }
    Canvas mono(9, 2);
    SetPixel(mono.Dc, 8, 1, 0);
    Bytes file = SaveBmp(mono.Bitmap, 1);
    HBITMAP back = LoadBmp(file.data(), file.size());
    EXPECT_EQ(GetBitmapDeclaredBits(back), 1);
    EXPECT_EQ(PixelOf(back, 8, 1), 0u);
    EXPECT_EQ(PixelOf(back, 7, 1), RGB(255, 255, 255));
    DeleteObject(back);
}

TEST(BmpFile, ReadsPalettesBitFieldsAndRunLengths)
{
    struct Case {
        const char* name;
        Bytes file;
        COLORREF at00, at10; // pixels (0,0) and (1,0) of the top row
    };
    const unsigned red = 0xFF0000, blue = 0x0000FF; // palette entries are 0x00RRGGBB
    const Case cases[] = {
        // 4 bits, 2 × 2, bottom-up: the second stored row is the top one.
        {"4-bit", MakeBmp(2, 2, 4, BI_RGB, {0, red, blue}, {0x00, 0, 0, 0, 0x12, 0, 0, 0}), RGB(255, 0, 0),
         RGB(0, 0, 255)},
        // 16 bits 5-6-5 through bit fields, top-down (negative height).
        {"565", MakeBmp(2, -1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, {0x00, 0xF8, 0x1F, 0x00}),
         RGB(255, 0, 0), RGB(0, 0, 255)},
        // Run-length 8 bits: two of colour 1, end of line, end of bitmap.
        {"RLE8", MakeBmp(2, 1, 8, BI_RLE8, {0, blue}, {2, 1, 0, 0, 0, 1}), RGB(0, 0, 255), RGB(0, 0, 255)},
        // 1 bit with a two-colour palette.
        {"1-bit", MakeBmp(2, 1, 1, BI_RGB, {red, 0xFFFFFF}, {0x40, 0, 0, 0}), RGB(255, 0, 0),
         RGB(255, 255, 255)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        HBITMAP b = LoadBmp(k.file.data(), k.file.size());
        EXPECT_EQ(PixelOf(b, 0, 0), k.at00);
        EXPECT_EQ(PixelOf(b, 1, 0), k.at10);
        DeleteObject(b);
    }
}

TEST(BmpFile, MalformedFilesRaiseInsteadOfCrashing)
{
    Canvas c(4, 4);
    Picture(c);
    const Bytes good = SaveBmp(c.Bitmap, 24);
    auto patched = [&](size_t at, unsigned value) {
        Bytes b = good;
        b[at] = BYTE(value);
        b[at + 1] = BYTE(value >> 8);
        b[at + 2] = BYTE(value >> 16);
        b[at + 3] = BYTE(value >> 24);
        return b;
    };
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not a bitmap", Bytes{'G', 'I', 'F', '8', '9', 'a'}},
        {"truncated header", Bytes(good.begin(), good.begin() + 30)},
        {"truncated pixels", Bytes(good.begin(), good.end() - 5)},
        {"pixels past the end", patched(10, 0x7FFFFFFF)},
        {"unknown header size", patched(14, 41)},
        {"huge width", patched(18, 0x7FFFFFFF)},
        {"huge picture", patched(22, 40000)},
        {"zero width", patched(18, 0)},
        {"seven bits", patched(28, 7)},
        {"unknown compression", patched(30, 9)},
        {"top-down run lengths", MakeBmp(2, -1, 8, BI_RLE8, {0}, {0, 1})},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_THROW(LoadBmp(k.file.data(), k.file.size()), EInvalidGraphic);
    }
    // Run-length data that points outside the picture is clipped, not written out of bounds.
    Bytes wild = MakeBmp(2, 2, 8, BI_RLE8, {0, 0xFF}, {0, 2, 200, 200, 255, 1, 0, 2, 0, 0, 0, 0, 9});
    HBITMAP b = LoadBmp(wild.data(), wild.size());
    DeleteObject(b);
}

TEST(JpegFile, CompressesAndDecodesCloseToTheOriginal)
{
    Canvas c(32, 16, RGB(200, 40, 40));
    RECT half{16, 0, 32, 16};
    HBRUSH blue = CreateSolidBrush(RGB(30, 60, 220));
    FillRect(c.Dc, &half, blue);
    DeleteObject(blue);
    Bytes jpeg = SaveJpeg(c.Bitmap, 95);
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    HBITMAP back = LoadJpeg(jpeg.data(), jpeg.size());
    BITMAP bm;
    GetObject(back, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 16);
    auto near = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 12 && std::abs(GetGValue(a) - GetGValue(b)) < 12 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 12;
    };
    EXPECT_TRUE(near(PixelOf(back, 4, 8), RGB(200, 40, 40)));
    EXPECT_TRUE(near(PixelOf(back, 28, 8), RGB(30, 60, 220)));
    DeleteObject(back);

    Bytes gray = SaveJpeg(c.Bitmap, 75, true);
    HBITMAP g = LoadJpeg(gray.data(), gray.size());
    COLORREF p = PixelOf(g, 4, 8);
    EXPECT_EQ(GetRValue(p), GetBValue(p));
    DeleteObject(g);
}

TEST(JpegFile, MalformedFilesRaiseInsteadOfExiting)
{
    Canvas c(8, 8);
    Picture(c);
    const Bytes good = SaveJpeg(c.Bitmap);
    // The frame header holds the height and width after the marker FF C0.
    Bytes huge = good;
    for (size_t i = 2; i + 9 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0xFF; // height 65 280
            huge[i + 7] = 0xFF; // width 65 280
            break;
        }
    Bytes noFrame(good.begin(), good.begin() + 20);
    Bytes garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = BYTE(i * 37 + 11);
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;
    // A malformed table after the pixels is only met once the image has been decoded, while its
    // surface is held: the error must still free it (the sanitizer build reports a leak).
    ASSERT_EQ(good[good.size() - 2], 0xFF);
    ASSERT_EQ(good[good.size() - 1], 0xD9);
    Bytes lateDamage(good.begin(), good.end() - 2);
    for (BYTE b : {0xFF, 0xC4, 0x00, 0x03, 0x00, 0xFF, 0xD9})
        lateDamage.push_back(b);
    for (const Bytes* b : {&huge, &noFrame, &garbage, &lateDamage})
        EXPECT_THROW(LoadJpeg(b->data(), b->size()), EInvalidGraphic);
    EXPECT_THROW(LoadJpeg(nullptr, 0), EInvalidGraphic);
}

TEST(PngFile, RoundTripsAndRefusesDamage)
{
    Canvas c(6, 5);
    Picture(c);
    Bytes png = SavePng(c.Bitmap);
    HBITMAP back = LoadPng(png.data(), png.size());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelOf(back, x, y), c.At(x, y));
    DeleteObject(back);
    Bytes cut(png.begin(), png.begin() + long(png.size() / 2));
    EXPECT_THROW(LoadPng(cut.data(), cut.size()), EInvalidGraphic);
    Bytes wide = png;
    wide[16] = 0x7F; // width far beyond the cap
    EXPECT_THROW(LoadPng(wide.data(), wide.size()), EInvalidGraphic);
}

TEST(PngFile, AnyDCSavesAsPng)
{
    Canvas c(3, 3, RGB(0, 255, 0));
    const uitest::TempFolder dir;
    std::string file = dir.File("gdi_dc.png");
    ASSERT_TRUE(SaveDCToPng(c.Dc, file));
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(s), 3);
    cairo_surface_destroy(s);
}

// An icon file with one 32-bit DIB image (alpha all zero, so the mask decides).
Bytes MakeIcon(int size, bool corrupt = false)
{
    Bytes img;
    Put32(img, 40);
    Put32(img, unsigned(size));
    Put32(img, unsigned(size * 2));
    Put16(img, 1);
    Put16(img, 32);
    for (int i = 0; i < 6; ++i)
        Put32(img, 0);
    for (int i = 0; i < size * size; ++i)
        Put32(img, 0x00FF0000); // red, no alpha
    int maskRow = ((size + 31) / 32) * 4;
    for (int y = 0; y < size; ++y)
        for (int i = 0; i < maskRow; ++i)
            img.push_back(y == 0 && i == 0 ? 0x80 : 0); // bottom row, first pixel transparent
    Bytes f;
    Put16(f, 0);
    Put16(f, 1);
    Put16(f, 1);
    f.push_back(BYTE(size));
    f.push_back(BYTE(size));
    f.push_back(0);
    f.push_back(0);
    Put16(f, 1);
    Put16(f, 32);
    Put32(f, unsigned(img.size()) + (corrupt ? 1000 : 0));
    Put32(f, 22);
    f.insert(f.end(), img.begin(), img.end());
    return f;
}

TEST(IcoFile, ReadsImagesWithTheirMask)
{
    Bytes ico = MakeIcon(4);
    std::vector<IconImage> images = LoadIco(ico.data(), ico.size());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].Width, 4);
    EXPECT_EQ(images[0].BitCount, 32);
    cairo_surface_t* s = GetBitmapSurface(images[0].Image);
    auto* row3 = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                  3 * cairo_image_surface_get_stride(s));
    EXPECT_EQ(row3[0], 0u);          // masked out: fully transparent
    EXPECT_EQ(row3[1], 0xFFFF0000u); // opaque red
    DeleteObject(images[0].Image);

    struct Case {
        const char* name;
        Bytes file;
    };
    Bytes badCount = ico;
    badCount[4] = 0xFF;
    Bytes badType = ico;
    badType[2] = 7;
    Bytes cut(ico.begin(), ico.begin() + 40);
    const Case bad[] = {{"size past the end", MakeIcon(4, true)},
                        {"count", badCount},
                        {"type", badType},
                        {"truncated", cut},
                        {"empty", {}}};
    for (const Case& k : bad) {
        SCOPED_TRACE(k.name);
        EXPECT_THROW(LoadIco(k.file.data(), k.file.size()), EInvalidGraphic);
    }
}

} // namespace
