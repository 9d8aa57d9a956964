#include "platform/forms/Graphics.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Jpeg.h"

#include "platform/rtl/Files.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

template <class T> std::unique_ptr<T> Make()
{
    return std::unique_ptr<T>(New<T>());
}

std::unique_ptr<TBitmap> WhiteBitmap(int W, int H)
{
    auto B = Make<TBitmap>();
    B->SetSize(W, H);
    return B;
}

std::string TempName(const std::string& Ext)
{
    static const uitest::TempFolder Folder("forms-graphics");
    static int Counter = 0;
    return Folder.File("picture_" + std::to_string(++Counter) + Ext);
}

// An icon file of square 32-bit images of the given sizes, all opaque.
std::vector<Byte> IconFile(std::initializer_list<int> Sizes)
{
    auto Put = [](std::vector<Byte>& To, unsigned V, int Bytes) {
        for (int I = 0; I < Bytes; ++I)
            To.push_back(Byte(V >> (8 * I)));
    };
    std::vector<std::vector<Byte>> Images;
    for (int Size : Sizes) {
        std::vector<Byte> Img;
        Put(Img, 40, 4);
        Put(Img, unsigned(Size), 4);
        Put(Img, unsigned(Size * 2), 4); // colour and mask
        Put(Img, 1, 2);
        Put(Img, 32, 2);
        for (int I = 0; I < 6; ++I)
            Put(Img, 0, 4);
        for (int I = 0; I < Size * Size; ++I)
            Put(Img, 0xFF00FF00u, 4);
        Img.resize(Img.size() + size_t((Size + 31) / 32 * 4 * Size), 0);
        Images.push_back(std::move(Img));
    }
    std::vector<Byte> File;
    Put(File, 0, 2);
    Put(File, 1, 2);
    Put(File, unsigned(Images.size()), 2);
    unsigned Offset = unsigned(6 + 16 * Images.size());
    auto Size = Sizes.begin();
    for (const auto& Img : Images) {
        File.push_back(Byte(*Size));
        File.push_back(Byte(*Size++));
        Put(File, 0, 2);
        Put(File, 1, 2);
        Put(File, 32, 2);
        Put(File, unsigned(Img.size()), 4);
        Put(File, Offset, 4);
        Offset += unsigned(Img.size());
    }
    for (const auto& Img : Images)
        File.insert(File.end(), Img.begin(), Img.end());
    return File;
}

} // namespace

TEST(Canvas, DrawsWithCurrentBrushPenAndReselectsAfterChanges)
{
    auto B = WhiteBitmap(20, 10);
    TCanvas* C = B->Canvas();
    EXPECT_EQ(C->Pixels(5, 5), clWhite) << "a new bitmap is white";

    C->Brush()->SetColor(clRed);
    C->FillRect(Rect(0, 0, 10, 10));
    // Right and bottom edges are exclusive.
    EXPECT_EQ(C->Pixels(9, 9), clRed);
    EXPECT_EQ(C->Pixels(10, 5), clWhite);

    // A change of the brush while it is selected takes effect on the next operation.
    C->Brush()->SetColor(clBlue);
    C->FillRect(Rect(10, 0, 20, 10));
    EXPECT_EQ(C->Pixels(15, 5), clBlue);

    C->Pen()->SetColor(clLime);
    C->MoveTo(0, 0);
    C->LineTo(20, 0);
    EXPECT_EQ(C->Pixels(3, 0), clLime);
    EXPECT_EQ(C->PenPos(), Point(20, 0));

    // A clear brush leaves the inside of a rectangle alone; the pen draws the frame.
    C->Brush()->SetStyle(bsClear);
    C->Pen()->SetColor(clBlack);
    C->Rectangle(2, 2, 8, 8);
    EXPECT_EQ(C->Pixels(2, 2), clBlack);
    EXPECT_EQ(C->Pixels(4, 4), clRed);

    C->SetPixels(19, 9, clYellow);
    EXPECT_EQ(C->Pixels(19, 9), clYellow);
    EXPECT_EQ(C->Pixels(18, 9), clBlue);
}

TEST(Canvas, SystemColoursAreResolved)
{
    auto B = WhiteBitmap(4, 4);
    B->Canvas()->Brush()->SetColor(clBtnFace);
    B->Canvas()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(B->Canvas()->Pixels(1, 1), ColorToRGB(clBtnFace));
}

TEST(Canvas, TextMeasuresFollowTheFont)
{
    auto B = WhiteBitmap(200, 60);
    TCanvas* C = B->Canvas();
    C->Font()->SetName("Arial");
    C->Font()->SetSize(10);
    const TSize Small = C->TextExtent("Prize draw");
    EXPECT_GT(Small.cx, 0);
    EXPECT_GT(Small.cy, 0);
    EXPECT_EQ(C->TextWidth(""), 0);

    C->Font()->SetSize(20);
    EXPECT_GT(C->TextHeight("Prize draw"), Small.cy);
    EXPECT_GT(C->TextWidth("Prize draw"), Small.cx);

    // TextOut leaves the pen position at the end of the text.
    C->TextOut(3, 4, "ab");
    EXPECT_EQ(C->PenPos(), Point(3 + C->TextWidth("ab"), 4));
}

TEST(Canvas, TheHandleCarriesTheCanvasFontPenAndBrush)
{
    // Code that draws through the API on Canvas->Handle() (labels, owner-drawn cells) gets the
    // canvas's own objects selected, as when it draws through the canvas.
    auto B = WhiteBitmap(400, 100);
    TCanvas* C = B->Canvas();
    C->Font()->SetName("Arial");
    C->Font()->SetHeight(-48);
    const TSize Expected = C->TextExtent("Demo Limited");
    C->Font()->SetHeight(-12);
    C->Font()->SetHeight(-48); // changed again: the context must not keep a stale font
    SIZE Got{};
    GetTextExtentPoint32(C->Handle(), "Demo Limited", 12, &Got);
    EXPECT_EQ(Got.cx, Expected.cx);
    EXPECT_EQ(Got.cy, Expected.cy);

    C->Brush()->SetColor(clRed);
    RECT R{0, 0, 10, 10};
    FillRect(C->Handle(), &R, HBRUSH(GetCurrentObject(C->Handle(), OBJ_BRUSH)));
    EXPECT_EQ(C->Pixels(5, 5), clRed);
}

TEST(Canvas, TextRectFillsAndClipsToItsRectangle)
{
    auto B = WhiteBitmap(120, 30);
    TCanvas* C = B->Canvas();
    C->Font()->SetColor(clBlack);
    C->Font()->SetSize(14);
    C->Brush()->SetColor(clYellow);
    const TRect R = Rect(10, 5, 40, 25);
    C->TextRect(R, 12, 5, "WWWWWWWWWWWWWWW");

    int Black = 0;
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 120; ++X) {
            const TColor P = C->Pixels(X, Y);
            const bool Inside = X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
            if (!Inside)
                ASSERT_EQ(P, clWhite) << "drawn outside the rectangle at " << X << "," << Y;
            else if (P == clBlack)
                ++Black;
        }
    EXPECT_GT(Black, 0) << "the text is drawn";
    EXPECT_EQ(C->Pixels(R.Left, R.Bottom - 1), clYellow) << "the rectangle is filled";

    // With a clear brush only the glyphs are drawn.
    auto B2 = WhiteBitmap(60, 30);
    B2->Canvas()->Brush()->SetStyle(bsClear);
    B2->Canvas()->TextRect(Rect(0, 0, 60, 30), 2, 2, "x");
    EXPECT_EQ(B2->Canvas()->Pixels(59, 29), clWhite);
}

TEST(Canvas, CopyRectStretchesAndDrawPlacesPictures)
{
    auto Src = WhiteBitmap(2, 2);
    Src->Canvas()->SetPixels(0, 0, clRed);
    Src->Canvas()->SetPixels(1, 1, clBlue);

    auto Dest = WhiteBitmap(10, 10);
    Dest->Canvas()->CopyRect(Rect(0, 0, 4, 4), Src->Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(Dest->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(Dest->Canvas()->Pixels(3, 3), clBlue);
    EXPECT_EQ(Dest->Canvas()->Pixels(4, 4), clWhite);

    Dest->Canvas()->Draw(6, 6, Src.get());
    EXPECT_EQ(Dest->Canvas()->Pixels(6, 6), clRed);
    EXPECT_EQ(Dest->Canvas()->Pixels(8, 8), clWhite);

    Dest->Canvas()->StretchDraw(Rect(0, 6, 4, 10), Src.get());
    EXPECT_EQ(Dest->Canvas()->Pixels(3, 9), clBlue);

    // Nothing happens for no picture or an empty one.
    auto Empty = Make<TBitmap>();
    Dest->Canvas()->Draw(0, 0, Empty.get());
    Dest->Canvas()->Draw(0, 0, nullptr);
    EXPECT_EQ(Dest->Canvas()->Pixels(1, 1), clRed);
}

TEST(Canvas, CanvasWithoutContextRefusesToDraw)
{
    TCanvas C;
    EXPECT_THROW(C.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    C.Lock();
    C.Lock();
    EXPECT_EQ(C.LockCount(), 2);
    C.Unlock();
    C.Unlock();
    EXPECT_EQ(C.LockCount(), 0);
}

TEST(Canvas, NoDrawingObjectsAreLeaked)
{
    const int Before = GdiObjectCount();
    {
        auto B = WhiteBitmap(30, 30);
        TCanvas* C = B->Canvas();
        for (int I = 0; I < 5; ++I) {
            C->Font()->SetSize(8 + I);
            C->Pen()->SetWidth(1 + I);
            C->Brush()->SetColor(TColor(I * 40));
            C->TextOut(0, 0, "x");
            C->Rectangle(0, 0, 10, 10);
        }
        B->SetSize(40, 40);
        auto Copy = Make<TBitmap>();
        Copy->Assign(B.get());
    }
    EXPECT_EQ(GdiObjectCount(), Before);
}

// Every picture and list holds its drawing objects in one owner: replacing, converting, giving
// away, choosing one image of many and deleting pieces must each leave nothing behind.
TEST(Picture, OwnersGiveBackEveryDrawingObject)
{
    const int Before = GdiObjectCount();
    {
        auto B = Make<TBitmap>();
        B->SetHandle(CreateBitmap(4, 4, 1, 32, nullptr));
        B->Canvas()->Pixels(0, 0); // selected into the canvas's context when replaced
        B->SetHandle(CreateBitmap(5, 5, 1, 32, nullptr));
        EXPECT_EQ(B->Width(), 5);
        B->SetPixelFormat(pf24bit);
        HBITMAP Given = B->ReleaseHandle();
        EXPECT_TRUE(B->Empty());
        DeleteObject(Given);
        B->SetSize(3, 3);

        // Three images in the file, the one nearest 32 pixels is kept.
        const std::vector<Byte> Ico = IconFile({16, 32, 48});
        auto I = Make<TIcon>();
        for (int Round = 0; Round < 2; ++Round) {
            TMemoryStream S;
            S.WriteBuffer(Ico.data(), Integer(Ico.size()));
            S.SetPosition(0);
            I->LoadFromStream(&S);
        }
        EXPECT_EQ(I->Width(), 32);

        TImageList L(nullptr);
        L.SetWidth(4);
        L.SetHeight(4);
        auto Strip = WhiteBitmap(12, 4);
        L.Add(Strip.get(), nullptr);
        ASSERT_EQ(L.Count(), 3);
        L.Delete(1);
        L.Add(Strip.get(), nullptr);
        L.Clear();
        L.Add(Strip.get(), nullptr); // the last ones go with the list
    }
    EXPECT_EQ(GdiObjectCount(), Before);
}

TEST(Font, SizeAndHeightAgreeAndAssignCopiesTheFace)
{
    TFont F;
    EXPECT_EQ(F.Size(), 8);
    F.SetSize(12);
    EXPECT_EQ(F.Height(), -16);
    F.SetStyle({fsBold, fsItalic});
    F.SetName("Times New Roman");
    F.SetColor(clMaroon);

    int Changes = 0;
    TFont G;
    G.OnChange = [&](TObject*) { ++Changes; };
    G.Assign(&F);
    EXPECT_GE(Changes, 1);
    EXPECT_EQ(G.Name(), "Times New Roman");
    EXPECT_EQ(G.Size(), 12);
    EXPECT_TRUE(G.Style().Contains(fsBold));
    EXPECT_EQ(G.Color(), clMaroon);

    // Through a font object and back.
    TFont H;
    H.SetHandle(F.Handle());
    EXPECT_EQ(H.Name(), "Times New Roman");
    EXPECT_EQ(H.Height(), -16);
    EXPECT_TRUE(H.Style().Contains(fsItalic));
}

TEST(Bitmap, ResizeKeepsPixelsAndNewAreaIsWhite)
{
    auto B = WhiteBitmap(4, 4);
    B->Canvas()->Brush()->SetColor(clGreen);
    B->Canvas()->FillRect(Rect(0, 0, 4, 4));
    B->SetSize(8, 6);
    EXPECT_EQ(B->Width(), 8);
    EXPECT_EQ(B->Height(), 6);
    EXPECT_EQ(B->Canvas()->Pixels(3, 3), clGreen);
    EXPECT_EQ(B->Canvas()->Pixels(7, 5), clWhite);
    B->SetWidth(0);
    EXPECT_TRUE(B->Empty());
}

TEST(Bitmap, BmpRoundTripThroughStreamsAndFiles)
{
    auto B = WhiteBitmap(5, 3);
    B->SetPixelFormat(pf24bit);
    B->Canvas()->SetPixels(4, 2, clPurple);
    TMemoryStream S;
    B->SaveToStream(&S);
    S.SetPosition(0);
    auto C = Make<TBitmap>();
    C->LoadFromStream(&S);
    EXPECT_EQ(C->Width(), 5);
    EXPECT_EQ(C->Height(), 3);
    EXPECT_EQ(C->PixelFormat(), pf24bit);
    EXPECT_EQ(C->Canvas()->Pixels(4, 2), clPurple);

    const std::string Name = TempName(".bmp");
    B->SaveToFile(Name);
    TPicture P;
    P.LoadFromFile(Name);
    ASSERT_NE(dynamic_cast<TBitmap*>(P.Graphic()), nullptr);
    EXPECT_EQ(P.Width(), 5);
    std::remove(Name.c_str());
}

TEST(Bitmap, ClipboardDibRoundTrip)
{
    auto B = WhiteBitmap(3, 2);
    B->Canvas()->SetPixels(0, 0, clRed);
    UINT Format = 0;
    std::vector<Byte> Data;
    B->SaveToClipboardFormat(Format, Data);
    auto C = Make<TBitmap>();
    C->LoadFromClipboardFormat(Format, Data);
    EXPECT_EQ(C->Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(C->Canvas()->Pixels(2, 1), clWhite);
    // Garbage is refused and leaves the picture as it was.
    EXPECT_THROW(C->LoadFromClipboardFormat(Format, {1, 2, 3}), EInvalidGraphic);
    std::vector<Byte> Forged = Data;
    Forged[0] = 0xFF; // biSize beyond the data
    EXPECT_THROW(C->LoadFromClipboardFormat(Format, Forged), EInvalidGraphic);
    EXPECT_EQ(C->Width(), 3);
}

TEST(Bitmap, TransparentDrawingSkipsTheBottomLeftColour)
{
    auto Sprite = WhiteBitmap(2, 2);
    Sprite->Canvas()->Brush()->SetColor(clFuchsia);
    Sprite->Canvas()->FillRect(Rect(0, 0, 2, 2));
    Sprite->Canvas()->SetPixels(1, 0, clNavy);
    Sprite->SetTransparent(true);
    EXPECT_EQ(Sprite->TransparentColor(), clFuchsia);

    auto Back = WhiteBitmap(2, 2);
    Back->Canvas()->Draw(0, 0, Sprite.get());
    EXPECT_EQ(Back->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(Back->Canvas()->Pixels(1, 0), clNavy);

    Sprite->SetTransparentColor(clNavy);
    EXPECT_EQ(Sprite->TransparentMode(), tmFixed);
    auto Back2 = WhiteBitmap(2, 2);
    Back2->Canvas()->Draw(0, 0, Sprite.get());
    EXPECT_EQ(Back2->Canvas()->Pixels(1, 0), clWhite);
    EXPECT_EQ(Back2->Canvas()->Pixels(0, 0), clFuchsia);
}

TEST(Picture, FileTypeComesFromTheExtension)
{
    auto B = WhiteBitmap(16, 8);
    B->Canvas()->Brush()->SetColor(clRed);
    B->Canvas()->FillRect(Rect(0, 0, 8, 8));
    auto J = Make<TJPEGImage>();
    J->Assign(B.get());
    const std::string Name = TempName(".JPG");
    J->SaveToFile(Name);

    TPicture P;
    int Changes = 0;
    P.OnChange = [&](TObject*) { ++Changes; };
    P.LoadFromFile(Name);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(P.Graphic()), nullptr);
    EXPECT_EQ(P.Width(), 16);
    EXPECT_EQ(P.Height(), 8);
    EXPECT_GE(Changes, 1);
    // Lossy, but red stays red.
    auto Decoded = Make<TBitmap>();
    Decoded->Assign(P.Graphic());
    const TColor Px = Decoded->Canvas()->Pixels(2, 2);
    EXPECT_GT(GetRValue(Px), 200) << std::hex << Px;
    EXPECT_LT(GetGValue(Px), 60);
    std::remove(Name.c_str());

    try {
        P.LoadFromFile("/tmp/picture.xyz");
        FAIL() << "no error for an unknown extension";
    } catch (const EInvalidGraphic& E) {
        EXPECT_STREQ(E.what(), "Unknown picture file extension (.xyz)");
    }
}

TEST(Picture, MalformedFilesRaiseAndKeepTheOldPicture)
{
    struct Case {
        const char* Ext;
        std::string Bytes;
    };
    const Case Cases[] = {
        {".bmp", "BM\x10\0\0\0garbage"},
        {".bmp", ""},
        {".jpg", std::string("\xFF\xD8\xFF\xE0", 4) + "not a jpeg at all"},
        {".ico", std::string("\0\0\1\0\xFF\xFF", 6)},
    };
    TPicture P;
    P.Bitmap()->SetSize(3, 3);
    for (const Case& C : Cases) {
        const std::string Name = TempName(C.Ext);
        {
            TFileStream F(Name, fmCreate);
            if (!C.Bytes.empty())
                F.WriteBuffer(C.Bytes.data(), static_cast<Integer>(C.Bytes.size()));
        }
        EXPECT_THROW(P.LoadFromFile(Name), EInvalidGraphic) << C.Ext;
        EXPECT_EQ(P.Width(), 3) << C.Ext;
        std::remove(Name.c_str());
    }
}

TEST(Metafile, RecordsAndReplaysStretched)
{
    auto M = Make<TMetafile>();
    {
        TMetafileCanvas C(M.get(), nullptr);
        C.Brush()->SetColor(clRed);
        C.Pen()->SetStyle(psClear);
        C.Rectangle(0, 0, 10, 10);
        C.Brush()->SetColor(clBlue);
        C.Rectangle(10, 0, 20, 10);
    }
    ASSERT_FALSE(M->Empty());
    EXPECT_GT(M->Width(), 0);

    auto B = WhiteBitmap(40, 20);
    B->Canvas()->StretchDraw(Rect(0, 0, 40, 20), M.get());
    EXPECT_EQ(B->Canvas()->Pixels(5, 5), clRed);
    EXPECT_EQ(B->Canvas()->Pixels(35, 15), clBlue);

    // Through a stream and the picture's file types.
    const std::string Name = TempName(".emf");
    M->SaveToFile(Name);
    TPicture P;
    P.LoadFromFile(Name);
    ASSERT_NE(dynamic_cast<TMetafile*>(P.Graphic()), nullptr);
    auto B2 = WhiteBitmap(20, 10);
    B2->Canvas()->StretchDraw(Rect(0, 0, 20, 10), P.Graphic());
    EXPECT_EQ(B2->Canvas()->Pixels(15, 5), clBlue);
    std::remove(Name.c_str());

    TMemoryStream Bad;
    Bad.WriteBuffer("nonsense", 8);
    Bad.SetPosition(0);
    EXPECT_THROW(M->LoadFromStream(&Bad), EInvalidGraphic);
    EXPECT_FALSE(M->Empty());
}

TEST(ColorIdents, StringToColorReadsWhatColorToStringWrites)
{
    for (TColor C : {TColor(clWindow), TColor(0x1FFFFFFF), TColor(0x00123456), TColor(0x80000012), TColor(0)})
        EXPECT_EQ(StringToColor(ColorToString(C)), C) << ColorToString(C).c_str();
    EXPECT_EQ(StringToColor("clwhite"), TColor(0xFFFFFF));
    EXPECT_EQ(StringToColor("255"), TColor(255));
    for (const char* Bad : {"", "clNoSuchColour", "$12G", "12 "})
        EXPECT_THROW(StringToColor(Bad), EConvertError) << Bad;
}
