#include "RudUvud/support/PictureContainer.h"
#include "RudUvud/support/WinMetafile.h"

#include "platform/forms/Graphics.h"
#include "platform/rtl/Streams.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& B, int V)
{
    B.push_back(std::uint8_t(V));
    B.push_back(std::uint8_t(V >> 8));
}
void Put32(Bytes& B, std::int64_t V)
{
    for (int I = 0; I < 4; ++I)
        B.push_back(std::uint8_t(V >> (8 * I)));
}
// A WMF record: size in words, function, parameters (as stored, last first).
void Wmf(Bytes& B, int Fn, const std::vector<int>& Params)
{
    Put32(B, 3 + std::int64_t(Params.size()));
    Put16(B, Fn);
    for (int P : Params)
        Put16(B, P);
}
// A placeable WMF of Units x Units at 1440 units an inch: a red-filled rectangle over the
// top-left quarter, then a blue line along the bottom.
Bytes SampleWmf(int Units)
{
    Bytes B;
    Put32(B, 0x9AC6CDD7);
    Put16(B, 0);
    for (int V : {0, 0, Units, Units, 1440})
        Put16(B, V);
    Put32(B, 0);
    Put16(B, 0); // checksum (not checked)
    Put16(B, 1);
    Put16(B, 9);
    Put16(B, 0x0300);
    Put32(B, 0); // size (not used)
    Put16(B, 2);
    Put32(B, 0);
    Put16(B, 0);
    Wmf(B, 0x020B, {0, 0});                 // window origin
    Wmf(B, 0x020C, {Units, Units});         // window extent
    Wmf(B, 0x02FC, {0, 0x00FF, 0x0000, 0}); // red solid brush: style, colour (2 words), hatch
    Wmf(B, 0x012D, {0});
    Wmf(B, 0x02FA, {5, 0, 0, 0, 0}); // null pen
    Wmf(B, 0x012D, {1});
    Wmf(B, 0x041B, {Units / 2, Units / 2, 0, 0}); // rectangle bottom, right, top, left
    Wmf(B, 0x02FA, {0, 45, 0, 0, 0x00FF});        // blue pen, 3 px wide
    Wmf(B, 0x012D, {2});
    Wmf(B, 0x0214, {Units - 30, 0}); // moveto y, x
    Wmf(B, 0x0213, {Units - 30, Units});
    Wmf(B, 0x0000, {});
    return B;
}

void Emf(Bytes& B, std::uint32_t Type, const std::vector<std::int64_t>& Params)
{
    Put32(B, Type);
    Put32(B, 8 + 4 * std::int64_t(Params.size()));
    for (auto P : Params)
        Put32(B, P);
}
// An EMF of 20 x 20 pixels: a green triangle (POLYGON16) without outline.
Bytes SampleEmf()
{
    Bytes B;
    Put32(B, 1);
    Put32(B, 88);
    for (int V : {0, 0, 19, 19})
        Put32(B, V); // bounds
    for (int V : {0, 0, 529, 529})
        Put32(B, V); // frame (0.01 mm)
    Put32(B, 0x464D4520);
    while (B.size() < 88)
        B.push_back(0);
    Emf(B, 39, {1, 0, 0x00FF00, 0}); // brush slot 1, green
    Emf(B, 37, {1});
    Emf(B, 37, {0x80000008}); // stock NULL_PEN
    Bytes Poly;
    Put32(Poly, 86);
    Put32(Poly, 8 + 16 + 4 + 3 * 4);
    for (int V : {0, 0, 19, 19, 3})
        Put32(Poly, V);
    for (int V : {0, 0, 19, 0, 0, 19}) // (0,0) (19,0) (0,19)
        Put16(Poly, V);
    B.insert(B.end(), Poly.begin(), Poly.end());
    Emf(B, 14, {0, 0, 0});
    return B;
}

std::unique_ptr<TBitmap> Play(const Bytes& B)
{
    HBITMAP H = PlayWinMetafile(B.data(), B.size());
    if (!H)
        return nullptr;
    auto Bitmap = std::make_unique<TBitmap>();
    Bitmap->SetHandle(H);
    return Bitmap;
}

TEST(WinMetafile, PlaceableWmfAndEmfPlayOntoBitmaps)
{
    uitest::Start();
    auto W = Play(SampleWmf(480)); // a third of an inch: 32 pixels
    ASSERT_TRUE(W);
    EXPECT_EQ(W->Width(), 32);
    EXPECT_EQ(W->Height(), 32);
    EXPECT_EQ(W->Canvas()->Pixels(8, 8), TColor(0x0000FF)) << "the red rectangle";
    EXPECT_EQ(W->Canvas()->Pixels(24, 8), TColor(0xFFFFFF)) << "outside it";
    EXPECT_EQ(W->Canvas()->Pixels(16, 30), TColor(0xFF0000)) << "the blue line near the bottom";

    auto E = Play(SampleEmf());
    ASSERT_TRUE(E);
    EXPECT_EQ(E->Width(), 20);
    EXPECT_EQ(E->Canvas()->Pixels(3, 3), TColor(0x00FF00));
    EXPECT_EQ(E->Canvas()->Pixels(17, 17), TColor(0xFFFFFF));

    // Through a picture named by markup.
    THTMLPicture P;
    TMemoryStream S;
    const Bytes Wb = SampleWmf(480);
    S.WriteBuffer(Wb.data(), Integer(Wb.size()));
    S.Seek(0, soBeginning);
    P.LoadFromStream(&S);
    EXPECT_FALSE(P.Empty());
    EXPECT_EQ(P.Width(), 32);
}

TEST(WinMetafile, HostileBytesStayInsideAndFailQuietly)
{
    uitest::Start();
    const Bytes Good = SampleWmf(480);
    // Every truncation plays what is whole, or nothing.
    for (std::size_t N = 0; N < Good.size(); ++N) {
        HBITMAP H = PlayWinMetafile(Good.data(), N);
        if (H)
            DeleteObject(H);
    }
    const Bytes GoodEmf = SampleEmf();
    for (std::size_t N = 0; N < GoodEmf.size(); ++N) {
        HBITMAP H = PlayWinMetafile(GoodEmf.data(), N);
        if (H)
            DeleteObject(H);
    }
    // A huge size is refused instead of allocated.
    Bytes Wide = SampleWmf(480);
    Wide[14] = 1; // one unit an inch: 46080 pixels a side
    Wide[15] = 0;
    EXPECT_FALSE(Play(Wide));
    Bytes Huge = SampleEmf();
    Huge[16] = 0xFF;
    Huge[17] = 0xFF;
    Huge[18] = 0xFF;
    EXPECT_FALSE(Play(Huge));
    // A polygon claiming more points than its record holds is skipped.
    Bytes Lying = SampleEmf();
    Lying[88 + 3 * 0 + 16 + 12 + 8 + 16] = 0xFF; // the POLYGON16 count
    auto L = Play(Lying);
    ASSERT_TRUE(L);
    EXPECT_EQ(L->Canvas()->Pixels(3, 3), TColor(0xFFFFFF));
    // A record length past the end stops the picture.
    Bytes Long = SampleWmf(480);
    Long[22 + 18] = 0xFF;
    Long[22 + 19] = 0xFF;
    auto G = Play(Long);
    ASSERT_TRUE(G);
    EXPECT_EQ(G->Canvas()->Pixels(8, 8), TColor(0xFFFFFF));
}

} // namespace
