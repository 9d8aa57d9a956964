#include "Canvas.h"

#include <cstring>
#include <vector>

namespace {

TEST(Raster, BlitOperationsCombinePatternSourceAndDestination)
{
    const COLORREF P = RGB(0xF0, 0x3C, 0x55), S = RGB(0xAA, 0x0F, 0x33), D = RGB(0xCC, 0x99, 0x0F);
    struct Case {
        const char* name;
        DWORD rop;
        COLORREF expected;
    };
    const Case cases[] = {
        {"BLACKNESS", BLACKNESS, 0},
        {"NOTSRCERASE", NOTSRCERASE, ~(S | D)},
        {"NOTSRCCOPY", NOTSRCCOPY, ~S},
        {"SRCERASE", SRCERASE, S & ~D},
        {"DSTINVERT", DSTINVERT, ~D},
        {"PATINVERT", PATINVERT, P ^ D},
        {"SRCINVERT", SRCINVERT, S ^ D},
        {"SRCAND", SRCAND, S & D},
        {"MERGEPAINT", MERGEPAINT, ~S | D},
        {"MERGECOPY", MERGECOPY, P & S},
        {"SRCCOPY", SRCCOPY, S},
        {"SRCPAINT", SRCPAINT, S | D},
        {"PATCOPY", PATCOPY, P},
        {"PATPAINT", PATPAINT, P | ~S | D},
        {"WHITENESS", WHITENESS, 0xFFFFFF},
    };
    Canvas src(4, 4, S);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Canvas dest(6, 6, D);
        Selected brush(dest.Dc, CreateSolidBrush(P));
        ASSERT_TRUE(BitBlt(dest.Dc, 1, 1, 4, 4, src.Dc, 0, 0, k.rop));
        EXPECT_EQ(dest.At(2, 2), k.expected & 0xFFFFFF);
        EXPECT_EQ(dest.At(0, 0), D);
        EXPECT_EQ(dest.At(5, 5), D);
    }
}

TEST(Raster, StretchBltScalesAndMirrorsByNearestPixel)
{
    Canvas src(2, 2);
    SetPixel(src.Dc, 0, 0, 0);
    SetPixel(src.Dc, 1, 1, 0);
    Canvas dest(6, 4);
    StretchBlt(dest.Dc, 0, 0, 4, 4, src.Dc, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(dest.Ascii(0, 0, 6, 4), "##....\n"
                                      "##....\n"
                                      "..##..\n"
                                      "..##..\n");
    dest.Fill(RGB(255, 255, 255));
    // A negative destination width mirrors left to right.
    StretchBlt(dest.Dc, 4, 0, -4, 4, src.Dc, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(dest.Ascii(0, 0, 6, 4), "..##..\n"
                                      "..##..\n"
                                      "##....\n"
                                      "##....\n");
}

TEST(Raster, MonochromeBitmapsTakeTheTextAndBackgroundColours)
{
    const BYTE bits[] = {0x50, 0, 0xA0, 0}; // rows padded to 16 bits: 0101 / 1010
    HBITMAP mono = CreateBitmap(4, 2, 1, 1, bits);
    EXPECT_EQ(GetBitmapDeclaredBits(mono), 1);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mono);
    Canvas dest(4, 2);
    SetTextColor(dest.Dc, RGB(255, 0, 0)); // for 0 bits
    SetBkColor(dest.Dc, RGB(0, 0, 255));   // for 1 bits
    BitBlt(dest.Dc, 0, 0, 4, 2, mdc, 0, 0, SRCCOPY);
    EXPECT_EQ(dest.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(dest.At(1, 0), RGB(0, 0, 255));
    EXPECT_EQ(dest.At(0, 1), RGB(0, 0, 255));
    // Colour to monochrome: the background colour becomes white, everything else black.
    Canvas colour(4, 2, RGB(10, 20, 30));
    SetPixel(colour.Dc, 2, 1, RGB(200, 0, 0));
    SetBkColor(colour.Dc, RGB(10, 20, 30));
    BitBlt(mdc, 0, 0, 4, 2, colour.Dc, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(mdc, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mdc, 2, 1), 0u);
    SelectObject(mdc, old);
    DeleteObject(mono);
    DeleteDC(mdc);
}

TEST(Raster, TransparentAndMaskedCopiesLeaveTheBackground)
{
    Canvas src(3, 1, RGB(255, 0, 255));
    SetPixel(src.Dc, 1, 0, RGB(0, 128, 0));
    Canvas dest(3, 1, RGB(1, 2, 3));
    TransparentBlt(dest.Dc, 0, 0, 3, 1, src.Dc, 0, 0, 3, 1, RGB(255, 0, 255));
    EXPECT_EQ(dest.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(dest.At(1, 0), RGB(0, 128, 0));

    const BYTE maskBits[] = {0x40, 0}; // only pixel 1 is foreground
    HBITMAP mask = CreateBitmap(3, 1, 1, 1, maskBits);
    Canvas dest2(3, 1, RGB(1, 2, 3));
    MaskBlt(dest2.Dc, 0, 0, 3, 1, src.Dc, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    EXPECT_EQ(dest2.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(dest2.At(1, 0), RGB(0, 128, 0));
    EXPECT_EQ(dest2.At(2, 0), RGB(1, 2, 3));
    DeleteObject(mask);
}

TEST(Raster, DibsRoundTripBottomUpAndTopDown)
{
    Canvas c(3, 2);
    SetPixel(c.Dc, 0, 0, RGB(10, 20, 30));
    SetPixel(c.Dc, 2, 1, RGB(200, 100, 50));
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2; // bottom-up
    info.bmiHeader.biBitCount = 24;
    std::vector<BYTE> bits(2 * 12);
    ASSERT_EQ(GetDIBits(c.Dc, c.Bitmap, 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    // The first row of a bottom-up DIB is the picture's last.
    EXPECT_EQ(bits[6], 50);
    EXPECT_EQ(bits[7], 100);
    EXPECT_EQ(bits[8], 200);
    Canvas copy(3, 2);
    StretchDIBits(copy.Dc, 0, 0, 3, 2, 0, 0, 3, 2, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_TRUE(copy.Snapshot() == c.Snapshot());

    // An 8-bit top-down DIB through its palette.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[2];
    } pal{};
    pal.h.biWidth = 2;
    pal.h.biHeight = -1;
    pal.h.biBitCount = 8;
    pal.h.biClrUsed = 2;
    pal.colours[1] = {0, 0, 255, 0};
    const BYTE indexes[] = {1, 0, 0, 0};
    Canvas red(2, 1);
    StretchDIBits(red.Dc, 0, 0, 2, 1, 0, 0, 2, 1, indexes, reinterpret_cast<BITMAPINFO*>(&pal),
                  DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(red.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(red.At(1, 0), 0u);
}

TEST(Raster, DibSectionBitsAreThePixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bits, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    SetPixel(dc, 1, 0, RGB(1, 2, 3));
    auto* px = static_cast<std::uint32_t*>(bits);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0x010203u);
    DIBSECTION ds;
    EXPECT_EQ(GetObject(dib, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
}

TEST(Clipping, ApplicationClipAndUpdateRegionAreKeptApart)
{
    Canvas c(20, 20);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT all{0, 0, 20, 20};

    IntersectClipRect(c.Dc, 2, 2, 6, 6);
    ExcludeClipRect(c.Dc, 3, 3, 4, 4);
    FillRect(c.Dc, &all, black);
    EXPECT_EQ(c.InkBox(), (RECT{2, 2, 6, 6}));
    EXPECT_EQ(c.Ink(), 15);
    RECT box;
    EXPECT_EQ(GetClipBox(c.Dc, &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{2, 2, 6, 6}));
    EXPECT_TRUE(PtVisible(c.Dc, 2, 2));
    EXPECT_FALSE(PtVisible(c.Dc, 3, 3));

    // The paint's update region stays when the application removes its clip.
    SelectClipRgn(c.Dc, nullptr);
    c.Fill(RGB(255, 255, 255));
    HRGN update = CreateRectRgn(0, 0, 10, 10);
    SetDCUpdateRegion(c.Dc, update);
    HRGN app = CreateRectRgn(5, 5, 20, 20);
    SelectClipRgn(c.Dc, app);
    c.Fill(0);
    EXPECT_EQ(c.InkBox(), (RECT{5, 5, 10, 10}));
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.Dc, got), 1);
    EXPECT_TRUE(EqualRgn(got, app));
    SelectClipRgn(c.Dc, nullptr);
    EXPECT_EQ(GetClipRgn(c.Dc, got), 0);
    c.Fill(0);
    EXPECT_EQ(c.InkBox(), (RECT{0, 0, 10, 10}));
    SetDCUpdateRegion(c.Dc, nullptr);
    DeleteObject(update);
    DeleteObject(app);
    DeleteObject(got);
}

TEST(Clipping, ClipRegionsAreInDeviceUnitsAndSurviveText)
{
    Canvas c(40, 20);
    SetViewportOrgEx(c.Dc, 10, 0, nullptr);
    HRGN rgn = CreateRectRgn(0, 0, 15, 20); // device units: the origin does not move it
    SelectClipRgn(c.Dc, rgn);
    HFONT font = CreateFont(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(c.Dc, font);
    TextOut(c.Dc, -10, 0, "WWWWWW", 6);
    EXPECT_LE(c.InkBox().Right, 15);
    EXPECT_GT(c.Ink(), 0);
    SelectObject(c.Dc, old);
    DeleteObject(font);
    DeleteObject(rgn);
}

TEST(Regions, CombineOffsetAndHitTest)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), r = CreateRectRgn(0, 0, 0, 0);
    struct Case {
        int mode, complexity;
        RECT box;
        bool at1, at7, at12; // points (1,1), (7,7), (12,12)
    };
    const Case cases[] = {
        {RGN_AND, SIMPLEREGION, {5, 5, 10, 10}, false, true, false},
        {RGN_OR, COMPLEXREGION, {0, 0, 15, 15}, true, true, true},
        {RGN_XOR, COMPLEXREGION, {0, 0, 15, 15}, true, false, true},
        {RGN_DIFF, COMPLEXREGION, {0, 0, 10, 10}, true, false, false},
        {RGN_COPY, SIMPLEREGION, {0, 0, 10, 10}, true, true, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mode);
        EXPECT_EQ(CombineRgn(r, a, b, k.mode), k.complexity);
        RECT box;
        GetRgnBox(r, &box);
        EXPECT_EQ(box, k.box);
        EXPECT_EQ(PtInRegion(r, 1, 1) != 0, k.at1);
        EXPECT_EQ(PtInRegion(r, 7, 7) != 0, k.at7);
        EXPECT_EQ(PtInRegion(r, 12, 12) != 0, k.at12);
    }
    EXPECT_FALSE(PtInRegion(a, 10, 5)); // right edge exclusive
    OffsetRgn(a, 3, 4);
    RECT box;
    GetRgnBox(a, &box);
    EXPECT_EQ(box, (RECT{3, 4, 13, 14}));
    CombineRgn(r, a, a, RGN_DIFF);
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(r);
}

TEST(Regions, ShapedRegionsFollowTheirOutlines)
{
    HRGN e = CreateEllipticRgn(0, 0, 20, 10);
    RECT box;
    GetRgnBox(e, &box);
    EXPECT_EQ(box, (RECT{0, 0, 20, 10}));
    EXPECT_TRUE(PtInRegion(e, 10, 5));
    EXPECT_FALSE(PtInRegion(e, 0, 0));
    EXPECT_FALSE(PtInRegion(e, 19, 9));
    HRGN rr = CreateRoundRectRgn(0, 0, 20, 20, 8, 8);
    EXPECT_FALSE(PtInRegion(rr, 0, 0));
    EXPECT_TRUE(PtInRegion(rr, 10, 0));
    EXPECT_TRUE(PtInRegion(rr, 0, 10));
    // A five-pointed star: its centre is inside only with the winding rule.
    POINT star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    HRGN alt = CreatePolygonRgn(star, 5, ALTERNATE), wind = CreatePolygonRgn(star, 5, WINDING);
    EXPECT_FALSE(PtInRegion(alt, 10, 10));
    EXPECT_TRUE(PtInRegion(wind, 10, 10));
    EXPECT_TRUE(PtInRegion(alt, 10, 3));
    for (HRGN h : {e, rr, alt, wind})
        DeleteObject(h);
}

TEST(Objects, HandlesAreCheckedAndSelectedObjectsSurvive)
{
    int before = GdiObjectCount();
    HPEN pen = CreatePen(PS_DASH, 3, RGB(1, 2, 3));
    LOGPEN lp;
    ASSERT_EQ(GetObject(pen, sizeof lp, &lp), int(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, UINT(PS_SOLID)); // wide pens draw solid
    EXPECT_EQ(lp.lopnWidth.X, 3);
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
    LOGFONT lf{};
    lf.lfHeight = -12;
    lf.lfEscapement = 450;
    std::strcpy(lf.lfFaceName, "細明體");
    HFONT font = CreateFontIndirect(&lf);
    LOGFONTW wide;
    ASSERT_EQ(GetObjectW(font, sizeof wide, &wide), int(sizeof wide));
    EXPECT_EQ(std::u16string(wide.lfFaceName), u"細明體");
    EXPECT_EQ(wide.lfEscapement, 450);
    EXPECT_EQ(GetObjectType(pen), DWORD(OBJ_PEN));
    EXPECT_EQ(GdiObjectCount(), before + 2);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(pen)); // already gone: refused, not a crash
    EXPECT_FALSE(IsGdiObject(font));
    EXPECT_EQ(GdiObjectCount(), before);

    // A bitmap can be selected into one DC at a time.
    HBITMAP bmp = CreateCompatibleBitmap(nullptr, 2, 2);
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(a, bmp), nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);
    EXPECT_FALSE(DeleteObject(bmp));
    DeleteDC(a);
    EXPECT_TRUE(DeleteObject(bmp));
    DeleteDC(b);
}

TEST(Colors, SystemColoursResolveThroughTheTable)
{
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(GetRValue(RGB(1, 2, 3)), 1);
    EXPECT_EQ(GetGValue(RGB(1, 2, 3)), 2);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
    INT index = COLOR_HIGHLIGHT;
    COLORREF colour = RGB(9, 8, 7);
    SetSysColors(1, &index, &colour);
    EXPECT_EQ(ColorToRGB(clHighlight), colour);
    // A brush of a system colour follows the table.
    Canvas c(2, 2);
    RECT r{0, 0, 2, 2};
    FillRect(c.Dc, &r, reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_HIGHLIGHT + 1)));
    EXPECT_EQ(c.At(1, 1), colour);
    ResetSysColors();
    EXPECT_NE(ColorToRGB(clHighlight), colour);
}

} // namespace
