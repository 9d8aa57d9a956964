#include "platform/win/Metafile.h"
#include "Canvas.h"
#include "platform/win/ImageFiles.h"

#include <cstring>

namespace {

// A little of everything: pens, brushes, shapes, text, a blit and a clip.
void Scene(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(200, 0, 0));
    HBRUSH brush = CreateSolidBrush(RGB(0, 120, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    Rectangle(dc, 5, 5, 40, 30);
    MoveToEx(dc, 2, 45, nullptr);
    LineTo(dc, 60, 38);
    Ellipse(dc, 45, 5, 75, 25);
    POINT tri[] = {{10, 50}, {30, 70}, {2, 70}};
    Polygon(dc, tri, 3);
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 200));
    RECT r{40, 50, 70, 75};
    FillRect(dc, &r, hatch);
    SetPixel(dc, 1, 1, RGB(10, 20, 30));
    HFONT font = CreateFont(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 128));
    TextOut(dc, 8, 8, "Prize", 5);
    RECT tr{0, 76, 80, 96};
    DrawText(dc, "獎品 list", -1, &tr, DT_CENTER | DT_SINGLELINE);
    SaveDC(dc);
    IntersectClipRect(dc, 70, 0, 80, 10);
    FillRect(dc, &tr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); // clipped away
    RestoreDC(dc, -1);
    // A bitmap copied in.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    RECT all{0, 0, 4, 4};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetPixel(mem, 0, 0, RGB(255, 255, 0));
    BitBlt(dc, 74, 30, 4, 4, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(font);
    DeleteObject(hatch);
    DeleteObject(pen);
    DeleteObject(brush);
}

HENHMETAFILE RecordScene(HDC reference, const RECT* frame)
{
    HDC mdc = CreateEnhMetaFile(reference, nullptr, frame, nullptr);
    Scene(mdc);
    return CloseEnhMetaFile(mdc);
}

// The frame of the 80 × 100 pixel scene at 96 dpi, in hundredths of a millimetre.
const RECT SceneFrame{0, 0, 80 * 2540 / 96 + 1, 100 * 2540 / 96 + 1};

TEST(Metafile, PlaysBackExactlyWhatWasDrawn)
{
    Canvas direct(80, 100);
    Scene(direct.Dc);
    HENHMETAFILE mf = RecordScene(direct.Dc, &SceneFrame);
    ASSERT_NE(mf, nullptr);
    MetafileInfo info;
    ASSERT_TRUE(GetMetafileInfo(mf, &info));
    EXPECT_EQ(info.Bounds, (RECT{0, 0, 80, 100}));
    Canvas played(80, 100);
    RECT target{0, 0, 80, 100};
    const int objects = GdiObjectCount();
    const HGDIOBJ pen = GetCurrentObject(played.Dc, OBJ_PEN), brush = GetCurrentObject(played.Dc, OBJ_BRUSH),
                  font = GetCurrentObject(played.Dc, OBJ_FONT);
    ASSERT_TRUE(PlayEnhMetaFile(played.Dc, mf, &target));
    // What playing made is gone, and the target has its own objects selected again.
    EXPECT_EQ(GdiObjectCount(), objects);
    EXPECT_EQ(GetCurrentObject(played.Dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(played.Dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(played.Dc, OBJ_FONT), font);
    EXPECT_TRUE(played.Snapshot() == direct.Snapshot());
    EXPECT_EQ(played.At(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(played.At(74, 30), RGB(255, 255, 0));
    EXPECT_EQ(played.At(75, 5), RGB(255, 255, 255)); // the clipped fill stayed clipped
    DeleteEnhMetaFile(mf);
}

TEST(Metafile, StretchesOntoTheTargetRectangle)
{
    HDC mdc = CreateEnhMetaFile(nullptr, nullptr, nullptr, nullptr);
    RECT r{10, 10, 20, 20};
    FillRect(mdc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT r2{20, 20, 30, 30};
    FillRect(mdc, &r2, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    HENHMETAFILE mf = CloseEnhMetaFile(mdc);
    MetafileInfo info;
    GetMetafileInfo(mf, &info);
    EXPECT_EQ(info.Bounds, (RECT{10, 10, 30, 30})); // what the drawing covers
    Canvas c(60, 60);
    RECT target{5, 5, 45, 45};
    PlayEnhMetaFile(c.Dc, mf, &target);
    // Twice the size: the black square covers 5..25, the gray one 25..45.
    EXPECT_EQ(c.CountNot(0, {5, 5, 25, 25}), 0);
    EXPECT_EQ(c.CountNot(RGB(128, 128, 128), {25, 25, 45, 45}), 0);
    EXPECT_EQ(c.Ink(), 2 * 20 * 20);
    // The target's clip holds during playback.
    c.Fill(RGB(255, 255, 255));
    IntersectClipRect(c.Dc, 0, 0, 15, 60);
    PlayEnhMetaFile(c.Dc, mf, &target);
    EXPECT_EQ(c.InkBox(), (RECT{5, 5, 15, 25}));
    DeleteEnhMetaFile(mf);
}

TEST(Metafile, SavedBytesLoadBackAndBadBytesRaise)
{
    Canvas direct(80, 100);
    Scene(direct.Dc);
    HENHMETAFILE mf = RecordScene(direct.Dc, &SceneFrame);
    UINT size = GetEnhMetaFileBits(mf, 0, nullptr);
    Bytes bytes(size);
    ASSERT_EQ(GetEnhMetaFileBits(mf, size, bytes.data()), size);
    HENHMETAFILE back = SetEnhMetaFileBits(size, bytes.data());
    Canvas played(80, 100);
    RECT target{0, 0, 80, 100};
    PlayEnhMetaFile(played.Dc, back, &target);
    EXPECT_TRUE(played.Snapshot() == direct.Snapshot());
    HENHMETAFILE copy = CopyEnhMetaFile(back, nullptr);
    Bytes again(size);
    GetEnhMetaFileBits(copy, size, again.data());
    EXPECT_EQ(again, bytes);

    Bytes huge = bytes;
    std::memset(&huge[4 + 40], 0xFF, 4); // record count far past the end
    Bytes cut(bytes.begin(), bytes.begin() + long(bytes.size() - 7));
    Bytes badOp = bytes;
    std::memset(&badOp[4 + 44], 0x7F, 4);
    for (const Bytes* b : {&huge, &cut, &badOp})
        EXPECT_THROW(SetEnhMetaFileBits(UINT(b->size()), b->data()), EInvalidGraphic);
    EXPECT_THROW(SetEnhMetaFileBits(3, bytes.data()), EInvalidGraphic);
    for (HENHMETAFILE h : {mf, back, copy})
        EXPECT_TRUE(DeleteEnhMetaFile(h));
    EXPECT_FALSE(DeleteEnhMetaFile(mf));
}

TEST(Metafile, MeasuresOnTheReferenceDeviceAndKeepsPaths)
{
    HDC printer = CreateMeasuringDC(600, 600);
    HDC mdc = CreateEnhMetaFile(printer, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetDeviceCaps(mdc, LOGPIXELSX), 600);
    HFONT font = CreateFont(-100, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ o1 = SelectObject(printer, font), o2 = SelectObject(mdc, font);
    SIZE onPrinter, onMetafile;
    GetTextExtentPoint32(printer, "Grand prize", 11, &onPrinter);
    GetTextExtentPoint32(mdc, "Grand prize", 11, &onMetafile);
    EXPECT_EQ(onPrinter, onMetafile);
    // The bounds of an object come from a path drawn on the metafile DC.
    BeginPath(mdc);
    Ellipse(mdc, 100, 200, 500, 400);
    EndPath(mdc);
    HRGN rgn = PathToRegion(mdc);
    RECT box;
    GetRgnBox(rgn, &box);
    EXPECT_NEAR(box.Left, 100, 1);
    EXPECT_NEAR(box.Bottom, 400, 1);
    DeleteObject(rgn);
    SelectObject(printer, o1);
    SelectObject(mdc, o2);
    HENHMETAFILE mf = CloseEnhMetaFile(mdc);
    DeleteObject(font);
    DeleteEnhMetaFile(mf);
    DeleteDC(printer);
}

} // namespace
