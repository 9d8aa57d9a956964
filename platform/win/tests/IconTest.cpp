#include "Canvas.h"

#include "platform/rtl/Resources.h"
#include "platform/win/Metafile.h"
#include "platform/win/Windows.h"

#include <cstdlib>

namespace {

// An 8 × 8 icon: red, opaque only in the square 2..6 × 2..6. The caller's bitmaps are deleted
// at once: the icon keeps copies.
HICON RedSquareIcon()
{
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP colour = CreateBitmap(8, 8, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(mem, colour);
    RECT all{0, 0, 8, 8}, square{2, 2, 6, 6};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(mem, &all, red);
    SelectObject(mem, mask);
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(mem, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(red);
    ICONINFO info;
    info.hbmMask = mask;
    info.hbmColor = colour;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
           std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
           std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

TEST(Icons, DrawThroughTheirMaskInEveryMode)
{
    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), white = RGB(255, 255, 255);
    Canvas c(120, 20, blue);
    HICON icon = RedSquareIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(DrawIconEx(c.Dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));    // own size
    EXPECT_TRUE(DrawIconEx(c.Dc, 20, 0, icon, 16, 16, 0, nullptr, DI_NORMAL)); // stretched
    EXPECT_TRUE(DrawIconEx(c.Dc, 40, 0, icon, 0, 0, 0, nullptr, DI_MASK));     // mask alone: AND
    EXPECT_TRUE(DrawIconEx(c.Dc, 60, 0, icon, 0, 0, 0, nullptr, DI_IMAGE));    // image alone: copy
    HBRUSH back = CreateSolidBrush(white);
    EXPECT_TRUE(DrawIconEx(c.Dc, 80, 0, icon, 0, 0, 0, back, DI_NORMAL)); // onto the brush
    DeleteObject(back);
    struct Case {
        int x, y;
        COLORREF expected;
    };
    const Case cases[] = {
        {0, 0, blue},   {1, 1, blue},  {2, 2, red},    {5, 5, red},   {6, 6, blue},   {7, 7, blue},
        {20, 0, blue},  {23, 3, blue}, {24, 4, red},   {31, 11, red}, {32, 12, blue}, {40, 0, blue},
        {42, 2, 0},     {45, 5, 0},    {46, 6, blue},  {60, 0, 0},    {62, 2, red},   {68, 0, blue},
        {80, 0, white}, {82, 2, red},  {87, 7, white}, {88, 8, blue},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "(" << k.x << ", " << k.y << ")");
        EXPECT_EQ(c.At(k.x, k.y), k.expected);
    }
    // Nothing to draw, or nothing to draw with.
    EXPECT_FALSE(DrawIconEx(c.Dc, 0, 0, icon, 0, 0, 0, nullptr, 0));
    EXPECT_FALSE(DrawIconEx(c.Dc, 0, 0, reinterpret_cast<HICON>(&c), 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIconEx(c.Dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_FALSE(DestroyIcon(icon));
}

TEST(Icons, ComeApartAndTogetherAgainUnchanged)
{
    HICON icon = RedSquareIcon();
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    EXPECT_EQ(GetBitmapDeclaredBits(info.hbmMask), 1);
    {
        // The mask is white where the icon is transparent; the image black there.
        HDC mem = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(mem, info.hbmMask);
        EXPECT_EQ(GetPixel(mem, 0, 0), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(mem, 3, 3), RGB(0, 0, 0));
        SelectObject(mem, info.hbmColor);
        EXPECT_EQ(GetPixel(mem, 0, 0), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(mem, 3, 3), RGB(255, 0, 0));
        BITMAP bm;
        ASSERT_EQ(GetObject(info.hbmColor, sizeof bm, &bm), int(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 8);
        EXPECT_EQ(bm.bmHeight, 8);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    // Drawn with the mask first (AND) then the image (XOR), the parts give the icon, as
    // printing code that stretches them itself does.
    Canvas direct(10, 10, RGB(0, 128, 0)), rebuilt(10, 10, RGB(0, 128, 0)), parts(10, 10, RGB(0, 128, 0)),
        copied(10, 10, RGB(0, 128, 0));
    HICON again = CreateIconIndirect(&info);
    HICON copy = CopyIcon(icon);
    ASSERT_NE(again, nullptr);
    ASSERT_NE(copy, nullptr);
    DrawIconEx(direct.Dc, 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL);
    DrawIconEx(rebuilt.Dc, 1, 1, again, 0, 0, 0, nullptr, DI_NORMAL);
    DrawIconEx(copied.Dc, 1, 1, copy, 0, 0, 0, nullptr, DI_NORMAL);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, info.hbmMask);
    StretchBlt(parts.Dc, 1, 1, 8, 8, mem, 0, 0, 8, 8, SRCAND);
    SelectObject(mem, info.hbmColor);
    StretchBlt(parts.Dc, 1, 1, 8, 8, mem, 0, 0, 8, 8, SRCINVERT);
    SelectObject(mem, old);
    DeleteDC(mem);
    EXPECT_TRUE(rebuilt.Snapshot() == direct.Snapshot());
    EXPECT_TRUE(parts.Snapshot() == direct.Snapshot());
    EXPECT_TRUE(copied.Snapshot() == direct.Snapshot());
    EXPECT_EQ(direct.At(4, 4), RGB(255, 0, 0));
    EXPECT_EQ(direct.At(1, 1), RGB(0, 128, 0));
    // A copy lives on its own.
    EXPECT_TRUE(DestroyIcon(copy));
    EXPECT_TRUE(DrawIconEx(direct.Dc, 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(again);
    DestroyIcon(icon);
    // Without a mask there is no icon.
    ICONINFO none;
    EXPECT_EQ(CreateIconIndirect(&none), nullptr);
    EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
}

TEST(Icons, PartlyTransparentPixelsBlendWithWhatIsUnder)
{
    // A 32-bit image with its own alpha: half-covering red, then nothing. The mask says
    // opaque everywhere; the alpha wins.
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 1);
    auto* px = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s));
    px[0] = 0x80800000u; // premultiplied red at alpha 128
    px[1] = 0;
    cairo_surface_mark_dirty(s);
    ICONINFO info;
    info.hbmColor = CreateBitmapFromSurface(s);
    info.hbmMask = CreateBitmap(2, 1, 1, 1, nullptr);
    cairo_surface_destroy(s);
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    Canvas c(4, 1);
    DrawIconEx(c.Dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_TRUE(Near(c.At(0, 0), RGB(255, 127, 127), 1));
    EXPECT_EQ(c.At(1, 0), RGB(255, 255, 255));
    DestroyIcon(icon);
}

TEST(Icons, StandardIconsAreSharedAndDrawnAtAnySize)
{
    struct Case {
        std::uintptr_t id;
        POINT at; // on the 32-pixel icon
        COLORREF colour;
    };
    const Case cases[] = {
        {IDI_APPLICATION, {16, 20}, RGB(255, 255, 255)}, {IDI_ERROR, {16, 5}, RGB(209, 33, 33)},
        {IDI_QUESTION, {7, 16}, RGB(33, 97, 209)},       {IDI_WARNING, {8, 26}, RGB(245, 199, 33)},
        {IDI_INFORMATION, {16, 20}, RGB(255, 255, 255)}, {IDI_WINLOGO, {8, 8}, RGB(230, 64, 26)},
        {IDI_SHIELD, {10, 10}, RGB(33, 97, 209)},
    };
    std::vector<HICON> seen;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.id);
        HICON icon = LoadIcon(nullptr, MAKEINTRESOURCE(k.id));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(k.id)), icon);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), icon), 0);
        seen.push_back(icon);
        Canvas c(40, 40);
        EXPECT_TRUE(DrawIcon(c.Dc, 4, 4, icon));
        EXPECT_EQ(c.At(4, 4), RGB(255, 255, 255)); // the corner is transparent
        EXPECT_TRUE(Near(c.At(4 + k.at.X, 4 + k.at.Y), k.colour, 24));
        RECT ink = c.InkBox();
        EXPECT_GE(ink.Left, 4);
        EXPECT_LE(ink.Right, 36);
        // Small: drawn afresh inside the smaller box, not cut from the large image.
        Canvas small(20, 20);
        DrawIconEx(small.Dc, 2, 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
        RECT smallInk = small.InkBox();
        EXPECT_GE(smallInk.Left, 2);
        EXPECT_LE(smallInk.Right, 18);
        EXPECT_GT(small.Ink(), 40);
        // Shared icons are not destroyed.
        EXPECT_FALSE(DestroyIcon(icon));
        EXPECT_TRUE(DrawIcon(c.Dc, 4, 4, icon));
    }
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(IDI_HAND)), LoadIcon(nullptr, MAKEINTRESOURCE(IDI_ERROR)));
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(1)), nullptr);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(LoadIcon(nullptr, MAKEINTRESOURCE(IDI_WARNING)), &info));
    BITMAP bm;
    GetObject(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 32);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
}

void Put16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& b, unsigned v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// An icon file with square 32-bit images of the given sizes and colours (0x00RRGGBB), each
// opaque but for its top-left pixel.
std::vector<unsigned char> IconFile(const std::vector<std::pair<int, unsigned>>& images)
{
    std::vector<std::vector<unsigned char>> dibs;
    for (auto [size, colour] : images) {
        std::vector<unsigned char> img;
        Put32(img, 40);
        Put32(img, unsigned(size));
        Put32(img, unsigned(size * 2));
        Put16(img, 1);
        Put16(img, 32);
        for (int i = 0; i < 6; ++i)
            Put32(img, 0);
        for (int i = 0; i < size * size; ++i)
            Put32(img, colour);
        int maskRow = ((size + 31) / 32) * 4;
        for (int y = 0; y < size; ++y) // bottom row first
            for (int i = 0; i < maskRow; ++i)
                img.push_back(y == size - 1 && i == 0 ? 0x80 : 0);
        dibs.push_back(img);
    }
    std::vector<unsigned char> f;
    Put16(f, 0);
    Put16(f, 1);
    Put16(f, unsigned(images.size()));
    unsigned offset = 6 + 16 * unsigned(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        f.push_back(static_cast<unsigned char>(images[i].first));
        f.push_back(static_cast<unsigned char>(images[i].first));
        f.push_back(0);
        f.push_back(0);
        Put16(f, 1);
        Put16(f, 32);
        Put32(f, unsigned(dibs[i].size()));
        Put32(f, offset);
        offset += unsigned(dibs[i].size());
    }
    for (const auto& d : dibs)
        f.insert(f.end(), d.begin(), d.end());
    return f;
}

TEST(Icons, ResourceIconsTakeTheImageOfTheSystemSize)
{
    // Resources outlive every lookup.
    static const std::vector<unsigned char> good = IconFile({{16, 0x0000FF}, {32, 0x00FF00}, {48, 0xFF0000}});
    static const std::vector<unsigned char> broken(good.begin(), good.begin() + 60);
    RegisterEmbeddedResource("ICONTEST_PRIZE", "ICON", good.data(), good.size());
    RegisterEmbeddedResource("ICONTEST_BROKEN", "ICON", broken.data(), broken.size());
    HINSTANCE module = reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000));

    HICON icon = LoadIcon(module, "ICONTEST_PRIZE");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIcon(module, "icontest_prize"), icon);
    Canvas c(40, 40);
    DrawIconEx(c.Dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(c.InkBox(), (RECT{0, 0, 32, 32}));
    EXPECT_EQ(c.At(10, 10), RGB(0, 255, 0));
    EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(LoadIcon(module, "ICONTEST_BROKEN"), nullptr);
    EXPECT_EQ(LoadIcon(module, "ICONTEST_MISSING"), nullptr);
    EXPECT_EQ(LoadIcon(module, nullptr), nullptr);
}

TEST(Icons, RecordedIconsPlayBackAsDrawn)
{
    Canvas direct(20, 20, RGB(0, 0, 255));
    HICON icon = RedSquareIcon();
    DrawIconEx(direct.Dc, 5, 5, icon, 0, 0, 0, nullptr, DI_NORMAL);
    RECT frame{0, 0, 20 * 2540 / 96 + 1, 20 * 2540 / 96 + 1};
    HDC mdc = CreateEnhMetaFile(direct.Dc, nullptr, &frame, nullptr);
    EXPECT_TRUE(DrawIconEx(mdc, 5, 5, icon, 0, 0, 0, nullptr, DI_NORMAL));
    HENHMETAFILE mf = CloseEnhMetaFile(mdc);
    Canvas played(20, 20, RGB(0, 0, 255));
    RECT target{0, 0, 20, 20};
    ASSERT_TRUE(PlayEnhMetaFile(played.Dc, mf, &target));
    EXPECT_TRUE(played.Snapshot() == direct.Snapshot());
    EXPECT_EQ(played.At(8, 8), RGB(255, 0, 0));
    DeleteEnhMetaFile(mf);
    DestroyIcon(icon);
}

} // namespace
