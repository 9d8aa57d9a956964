#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/GifFile.h"
#include "RudUvud/support/PictureContainer.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TFrameSpec {
    std::uint16_t Left, Top, Width, Height, Delay;
    std::uint8_t Colour; // index into the global table for every pixel
};

// LZW data that any decoder reads: a clear code before every pair of pixels keeps the codes at
// three bits (minimum code size 2).
Bytes Lzw(std::size_t Pixels, std::uint8_t Index)
{
    std::vector<int> Codes;
    for (std::size_t I = 0; I < Pixels; ++I) {
        if (I % 2 == 0)
            Codes.push_back(4);
        Codes.push_back(Index);
    }
    Codes.push_back(5);
    Bytes Packed;
    std::uint32_t Bits = 0;
    int Count = 0;
    for (int C : Codes) {
        Bits |= std::uint32_t(C) << Count;
        Count += 3;
        while (Count >= 8) {
            Packed.push_back(std::uint8_t(Bits));
            Bits >>= 8;
            Count -= 8;
        }
    }
    if (Count > 0)
        Packed.push_back(std::uint8_t(Bits));
    return Packed;
}

void Put16(Bytes& B, std::uint16_t V)
{
    B.push_back(std::uint8_t(V));
    B.push_back(std::uint8_t(V >> 8));
}

// An animated GIF: 4 x 4 screen, colours 0 black, 1 red, 2 green, 3 blue; a comment whose bytes
// look like a frame marker comes first, to show frames are found by the block structure.
Bytes MakeGif(const std::vector<TFrameSpec>& Frames)
{
    Bytes B = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(B, 4);
    Put16(B, 4);
    B.insert(B.end(), {0x81, 0, 0});
    B.insert(B.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
    B.insert(B.end(), {0x21, 0xFE, 8, 0x21, 0xF9, 0x04, 0, 0, 0, 0, 0x2C, 0});
    for (const TFrameSpec& F : Frames) {
        B.insert(B.end(), {0x21, 0xF9, 4, 0});
        Put16(B, F.Delay);
        B.insert(B.end(), {0, 0});
        B.push_back(0x2C);
        Put16(B, F.Left);
        Put16(B, F.Top);
        Put16(B, F.Width);
        Put16(B, F.Height);
        B.push_back(0);
        B.push_back(2);
        const Bytes Data = Lzw(std::size_t(F.Width) * F.Height, F.Colour);
        B.push_back(std::uint8_t(Data.size()));
        B.insert(B.end(), Data.begin(), Data.end());
        B.push_back(0);
    }
    B.push_back(0x3B);
    return B;
}

const std::vector<TFrameSpec> ThreeFrames = {{0, 0, 2, 2, 50, 1}, {1, 2, 2, 2, 20, 2}, {2, 1, 2, 1, 30, 3}};

void LoadBytes(THTMLPicture& P, const Bytes& B)
{
    TMemoryStream S;
    if (!B.empty())
        S.WriteBuffer(B.data(), Integer(B.size()));
    S.Seek(0, soBeginning);
    P.LoadFromStream(&S);
}

TColor FramePixel(THTMLPicture& P, Integer X, Integer Y)
{
    TBitmap Target;
    Target.SetSize(4, 4);
    Target.Canvas()->Brush()->SetColor(0xFFFFFF);
    Target.Canvas()->FillRect(TRect{0, 0, 4, 4});
    P.Draw(Target.Canvas(), TRect{0, 0, P.Width(), P.Height()});
    return Target.Canvas()->Pixels(X, Y);
}

TEST(HTMLPicture, StepsThroughTheFramesOfAnAnimatedGif)
{
    THTMLPicture P;
    LoadBytes(P, MakeGif(ThreeFrames));
    ASSERT_TRUE(P.IsGIFFile());
    EXPECT_EQ(P.GetFrameCount(), 3); // the marker-shaped comment is no frame
    EXPECT_EQ(P.GetFrameTime(1), 50);
    EXPECT_EQ(P.GetFrameTime(2), 20);
    EXPECT_EQ(P.GetFrameTime(3), 30);
    EXPECT_EQ(P.GetFrameTime(4), -1);
    EXPECT_EQ(P.GetMaxWidth(), 4);
    EXPECT_EQ(P.GetMaxHeight(), 4);
    EXPECT_EQ(P.Width(), 2);
    EXPECT_EQ(FramePixel(P, 0, 0), 0x0000FF); // frame 1 is red

    P.SetFrame(2);
    EXPECT_EQ(P.FrameXPos(), 1);
    EXPECT_EQ(P.FrameYPos(), 2);
    EXPECT_EQ(FramePixel(P, 1, 1), 0x00FF00);
    P.SetFrame(3);
    EXPECT_EQ(P.Height(), 1);
    EXPECT_EQ(FramePixel(P, 0, 0), 0xFF0000);

    P.FrameNext();
    EXPECT_EQ(P.Frame(), 1);
    P.FramePrev();
    EXPECT_EQ(P.Frame(), 3);

    // The schedule: frame 1 lasts 50 hundredths, five ticks of a tenth after the first.
    THTMLPicture A;
    LoadBytes(A, MakeGif(ThreeFrames));
    std::vector<Integer> Frames;
    for (int Tick = 0; Tick < 10; ++Tick) {
        A.Step();
        Frames.push_back(A.Frame());
    }
    EXPECT_EQ(Frames, (std::vector<Integer>{1, 1, 1, 1, 1, 1, 2, 2, 3, 3}));
}

TEST(HTMLPicture, DamagedFilesNeverReadPastTheirEnd)
{
    const Bytes Whole = MakeGif(ThreeFrames);
    for (std::size_t Cut = 0; Cut < Whole.size(); ++Cut) {
        const Bytes Part(Whole.begin(), Whole.begin() + std::ptrdiff_t(Cut));
        const TGifLayout Layout = GifWalk(Part.data(), Part.size());
        EXPECT_LE(Layout.Frames.size(), 3u);
        for (std::size_t I = 0; I < Layout.Frames.size(); ++I) {
            try {
                DeleteObject(GifDecodeFrame(Part.data(), Part.size(), Layout, I));
            } catch (const EInvalidGraphic&) {
            }
        }
        THTMLPicture P;
        try {
            LoadBytes(P, Part);
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), SImageInvalidFormat);
        }
        P.Step();
    }
    EXPECT_FALSE(THTMLPicture().IsGIFFile());
    THTMLPicture Four;
    EXPECT_THROW(LoadBytes(Four, Bytes{'G', 'I', 'F', '8'}), Exception); // not even a header
    EXPECT_FALSE(Four.IsGIFFile());
}

TEST(HTMLPicture, LoadingFailuresAndAddresses)
{
    THTMLPicture Bad;
    const Bytes Garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    try {
        LoadBytes(Bad, Garbage);
        ADD_FAILURE() << "garbage decoded";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), SImageInvalidFormat);
    }

    const uitest::TempFolder Temp{"picture"};
    const std::string Path = Temp.File("garbage.gif");
    std::FILE* F = std::fopen(Path.c_str(), "wb");
    std::fwrite(Garbage.data(), 1, Garbage.size(), F);
    std::fclose(F);
    THTMLPicture FromFile;
    FromFile.LoadFromFile(Path);
    EXPECT_TRUE(FromFile.Empty());

    // Devices and directories are no pictures: loading them ends at once and leaves nothing.
    for (const char* Url : {"FILE:///dev/zero", "file:///tmp", "FILE://", "res://NoSuchResource"}) {
        THTMLPicture P;
        P.LoadFromURL(Url);
        EXPECT_TRUE(P.Empty()) << Url;
        EXPECT_EQ(P.ID(), Url);
    }

    const std::string GifPath = Temp.File("anim.gif");
    const Bytes Gif = MakeGif(ThreeFrames);
    F = std::fopen(GifPath.c_str(), "wb");
    std::fwrite(Gif.data(), 1, Gif.size(), F);
    std::fclose(F);
    THTMLPicture FromUrl;
    FromUrl.LoadFromURL("FILE://" + GifPath);
    EXPECT_FALSE(FromUrl.Empty());
    EXPECT_EQ(FromUrl.GetFrameCount(), 3);

    THTMLPicture Web;
    Web.LoadFromURL("http://example.invalid/a.gif");
    EXPECT_TRUE(Web.DownLoadBusy());
    EXPECT_EQ(Web.URL(), "http://example.invalid/a.gif");
    EXPECT_TRUE(Web.Empty());
    Web.SetAsynchronous(false);
    Web.LoadFromURL("http://example.invalid/b.gif");
    EXPECT_EQ(Web.ID(), "http://example.invalid/b.gif");

    THTMLPicture Copy;
    FromUrl.SetStretched(true);
    Copy.Assign(&FromUrl);
    EXPECT_EQ(Copy.Data(), FromUrl.Data());
    EXPECT_TRUE(Copy.GetStretched());
    EXPECT_EQ(Copy.ID(), FromUrl.ID());
    EXPECT_EQ(Copy.Width(), 2);
}

TEST(HTMLPicture, CacheAndContainerLookups)
{
    THTMLPictureCache Cache;
    THTMLPicture* P = Cache.AddPicture();
    P->SetID("http://x/Pic.gif");
    EXPECT_EQ(Cache.FindPicture("http://x/Pic.gif"), P);
    EXPECT_EQ(Cache.FindPicture("HTTP://X/PIC.GIF"), nullptr); // exact

    TPictureContainer Container(nullptr);
    EXPECT_EQ(Container.Version(), "1.0.0.0");
    TPictureItem* Item = Container.Items()->Add();
    Item->SetName("logo");
    EXPECT_EQ(Container.FindPicture("LOGO"), Item->Picture()); // any case
    EXPECT_EQ(Container.FindPicture("other"), nullptr);
    EXPECT_EQ(Container.Items()->Owner(), &Container);
}

TEST(HTMLPicture, PicturesInsideMarkup)
{
    TPictureContainer Container(nullptr);
    TPictureItem* Item = Container.Items()->Add();
    Item->SetName("dot");
    LoadBytes(*Item->Picture(), MakeGif(ThreeFrames));

    TBitmap B;
    B.SetSize(60, 30);
    TCanvas* C = B.Canvas();
    C->Brush()->SetColor(0xFFFFFF);
    C->FillRect(TRect{0, 0, 60, 30});
    AnsiString AnchorVal, Strip, Focus, Hint, ID, Val, Type;
    Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
    TRect MouseRect{}, CtrlRect{};
    auto Call = [&](const AnsiString& Markup, bool Hot, Integer X, Integer Y) {
        return HTMLDrawEx(C, Markup, TRect{0, 0, 60, 30}, nullptr, X, Y, -1, 0, 1, Hot, false, false, false,
                          true, false, true, false, 1.0, 0xFF0000, clNone, clNone, 0x808080, AnchorVal, Strip,
                          Focus, Hint, XSize, YSize, Links, MouseLink, MouseRect, CtrlRect, ID, Val, Type,
                          nullptr, &Container, nullptr);
    };
    Call("<IMG SRC=\"dot\">", false, -1, -1);
    EXPECT_EQ(XSize, 4); // the animation's screen size
    EXPECT_EQ(C->Pixels(1, 0), 0x0000FF);
    Call("<IMG SRC=\"dot\" WIDTH=\"10\" HEIGHT=\"8\">", false, -1, -1);
    EXPECT_EQ(XSize, 10);
    EXPECT_EQ(C->Pixels(9, 7), 0x0000FF); // stretched
    EXPECT_TRUE(Call("<A HREF=\"go\"><IMG SRC=\"dot\"></A>", true, 2, 2));
    EXPECT_EQ(AnchorVal, "go");
    Call("<IMG SRC=\"missing\">x", false, -1, -1);
    EXPECT_EQ(XSize, C->TextWidth("x"));
}

TEST(HTMLPicture, ImageControlPlacesItsPicture)
{
    uitest::Start();
    TForm* F = New<TForm>(Application);
    F->SetBounds(50, 50, 120, 120);
    auto* Image = New<THTMLImage>(F);
    EXPECT_EQ(Image->Width(), 100);
    Image->SetBounds(10, 10, 20, 20);
    Image->SetParent(F);
    THTMLPicture Red;
    LoadBytes(Red, MakeGif({{0, 0, 2, 2, 0, 1}}));
    Image->SetHTMLPicture(&Red);
    F->Show();
    struct Case {
        TPicturePosition Position;
        std::vector<TPoint> RedAt;
        TPoint WhiteAt;
    } Cases[] = {
        {bpTopLeft, {{0, 0}, {1, 1}}, {2, 2}},
        {bpTopRight, {{18, 0}, {19, 1}}, {17, 0}},
        {bpBottomLeft, {{0, 18}, {1, 19}}, {0, 17}},
        {bpBottomRight, {{18, 18}, {19, 19}}, {17, 17}},
        {bpCenter, {{9, 9}, {10, 10}}, {8, 8}},
        {bpTiled, {{0, 0}, {7, 13}, {19, 19}}, {20, 20}},
        {bpStretched, {{0, 0}, {10, 10}, {19, 19}}, {20, 20}},
    };
    for (const Case& K : Cases) {
        F->SetColor(0xFFFFFF);
        Image->SetPicturePosition(K.Position);
        F->Invalidate();
        uitest::PumpUntilIdle();
        for (TPoint P : K.RedAt)
            EXPECT_EQ(uitest::PixelAt(F->Handle(), 10 + P.X, 10 + P.Y), 0x0000FFu) << K.Position;
        EXPECT_NE(uitest::PixelAt(F->Handle(), 10 + K.WhiteAt.X, 10 + K.WhiteAt.Y), 0x0000FFu) << K.Position;
    }
    F->Free();
}

} // namespace
