// The clipboard and global memory blocks.

#include "WindowTestSupport.h"

#include <cstring>

using namespace wintest;

namespace {

class ClipboardTest : public WindowTest {
protected:
    static HGLOBAL Block(const void* data, std::size_t size)
    {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(h), data, size);
        GlobalUnlock(h);
        return h;
    }
    static std::string ReadAnsi(UINT format = CF_TEXT)
    {
        HGLOBAL h = static_cast<HGLOBAL>(GetClipboardData(format));
        if (!h)
            return "<none>";
        std::string s(static_cast<const char*>(GlobalLock(h)));
        GlobalUnlock(h);
        return s;
    }
};

TEST_F(ClipboardTest, TextRoundTripsAndIsOfferedInBothCharacterSets)
{
    HWND h = Top(0, 0, 10, 10);
    ASSERT_TRUE(OpenClipboard(h));
    EXPECT_FALSE(OpenClipboard(h)); // one opener at a time
    EmptyClipboard();
    const char text[] = "獎品\tA";
    ASSERT_NE(SetClipboardData(CF_TEXT, Block(text, sizeof text)), nullptr);
    CloseClipboard();

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_EQ(GetClipboardOwner(), h);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(ReadAnsi(), "獎品\tA");
    auto* wide = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(wide))), u"獎品\tA");
    GlobalUnlock(wide);
    CloseClipboard();
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr); // only while open
}

TEST_F(ClipboardTest, TextWithoutItsTerminatorOrWithGarbageAfterItIsCutSafely)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char unterminated[3] = {'a', 'b', 'c'};
    SetClipboardData(CF_TEXT, Block(unterminated, 3));
    EXPECT_EQ(ReadAnsi(), "abc");
    const char16_t oddWide[] = {u'x', 0, u'y'};
    // An odd byte count and text after the terminator.
    SetClipboardData(CF_UNICODETEXT, Block(oddWide, 5));
    EXPECT_EQ(ReadAnsi(), "x");
    CloseClipboard();
}

TEST_F(ClipboardTest, BitmapsTravelAsDibsAndBadDibsAreRefused)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 4, 3);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    SetPixel(mem, 1, 1, RGB(10, 20, 30));
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(SetClipboardData(CF_BITMAP, bmp), nullptr);
    EXPECT_FALSE(IsGdiObject(bmp)); // the clipboard took it over
    CloseClipboard();

    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* got = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(got, nullptr);
    BITMAP bm;
    ASSERT_TRUE(GetObject(got, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 4);
    EXPECT_EQ(bm.bmHeight, 3);
    HDC m2 = CreateCompatibleDC(nullptr);
    HGDIOBJ o2 = SelectObject(m2, got);
    EXPECT_EQ(GetPixel(m2, 1, 1), RGB(10, 20, 30));
    SelectObject(m2, o2);
    DeleteDC(m2);

    // A DIB whose header promises more pixels than it holds is not offered as a bitmap.
    EmptyClipboard();
    BITMAPINFOHEADER lying;
    lying.biWidth = 30000;
    lying.biHeight = 30000;
    lying.biBitCount = 32;
    SetClipboardData(CF_DIB, Block(&lying, sizeof lying));
    EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    CloseClipboard();
}

TEST_F(ClipboardTest, RegisteredFormatsKeepTheirBytesAndNames)
{
    UINT biff = RegisterClipboardFormat("Biff8");
    EXPECT_GE(biff, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("biff8"), biff);
    char name[16];
    EXPECT_EQ(GetClipboardFormatName(biff, name, 16), 5);
    EXPECT_STREQ(name, "Biff8");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const unsigned char bytes[] = {0, 1, 2, 0, 255};
    SetClipboardData(biff, Block(bytes, sizeof bytes));
    CloseClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* h = static_cast<HGLOBAL>(GetClipboardData(biff));
    ASSERT_EQ(GlobalSize(h), sizeof bytes);
    EXPECT_EQ(std::memcmp(GlobalLock(h), bytes, sizeof bytes), 0);
    GlobalUnlock(h);
    EXPECT_EQ(EnumClipboardFormats(0), biff);
    EXPECT_EQ(EnumClipboardFormats(biff), 0u);
    CloseClipboard();
}

TEST_F(ClipboardTest, GlobalBlocksRefuseForeignHandlesAndHugeSizes)
{
    EXPECT_EQ(GlobalAlloc(GHND, std::size_t(1) << 40), nullptr);
    HGLOBAL h = GlobalAlloc(GHND, 8);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(GlobalLock(h))[7], 0);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalFree(h), h); // not a block any more
}

} // namespace
