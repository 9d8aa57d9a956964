#include "platform/forms/Graphics.h"

#include "platform/forms/Jpeg.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Resources.h"
#include "platform/rtl/Strings.h"
#include "platform/win/GraphicsOwners.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// A picture file larger than this is refused before it is read: far above any real picture,
// small enough that a forged stream cannot make us allocate without bound.
constexpr Int64 MaxPictureBytes = Int64(256) << 20;

const int PenModeRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                           R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                           R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                           R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};

} // namespace

// Reads what is left of Stream; refuses more than the picture limit.
std::vector<Byte> ReadPictureBytes(TStream* Stream)
{
    const Int64 Left = Stream->Size() - Stream->Position();
    if (Left < 0 || Left > MaxPictureBytes)
        throw EInvalidGraphic("Picture data is too large");
    std::vector<Byte> Data(static_cast<size_t>(Left));
    if (Left > 0)
        Stream->ReadBuffer(Data.data(), static_cast<Integer>(Left));
    return Data;
}

// Draws a picture with premultiplied alpha onto Rect of a context, blending it with what is
// there. The blend is done on a copy of the destination so that map modes and clipping of the
// context apply as they do for any other copy.
void DrawAlphaBitmap(HDC Dest, const TRect& Rect, HBITMAP Image, Integer SrcWidth, Integer SrcHeight)
{
    const Integer W = Rect.Width(), H = Rect.Height();
    if (W <= 0 || H <= 0 || !Image || SrcWidth <= 0 || SrcHeight <= 0)
        return;
    const TOwnedBitmap Tmp(CreateBitmap(W, H, 1, 32, nullptr));
    if (!Tmp)
        return;
    const TOwnedDC TmpDC(CreateCompatibleDC(Dest));
    const TSelectObject Selected(TmpDC.get(), Tmp.get());
    BitBlt(TmpDC.get(), 0, 0, W, H, Dest, Rect.Left, Rect.Top, SRCCOPY);
    cairo_surface_t* Target = GetBitmapSurface(Tmp.get());
    cairo_surface_t* Source = GetBitmapSurface(Image);
    if (Target && Source) {
        cairo_surface_flush(Target);
        {
            const TOwnedCairo Cr(cairo_create(Target));
            cairo_scale(Cr.get(), double(W) / SrcWidth, double(H) / SrcHeight);
            cairo_set_source_surface(Cr.get(), Source, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(Cr.get()), CAIRO_FILTER_NEAREST);
            cairo_paint(Cr.get());
        }
        cairo_surface_flush(Target);
        cairo_surface_mark_dirty(Target);
    }
    BitBlt(Dest, Rect.Left, Rect.Top, W, H, TmpDC.get(), 0, 0, SRCCOPY);
}

// ---- TGraphicsObject ---------------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject()
{
    FreeHandle();
}

void TGraphicsObject::Changed()
{
    // Listeners deselect the object before its handle goes.
    if (OnChange)
        OnChange(this);
    FreeHandle();
}

void TGraphicsObject::FreeHandle()
{
    FHandle.reset();
}

// ---- TFont ---------------------------------------------------------------------------------------

TFont::TFont() = default;

void TFont::Assign(TPersistent* Source)
{
    if (auto* F = dynamic_cast<TFont*>(Source)) {
        FName = F->FName;
        FHeight = F->FHeight;
        FColor = F->FColor;
        FStyle = F->FStyle;
        FCharset = F->FCharset;
        FPitch = F->FPitch;
        // The height is in pixels of the source's resolution: keep the point size.
        if (F->FPixelsPerInch != FPixelsPerInch)
            FHeight = MulDiv(F->FHeight, FPixelsPerInch, F->FPixelsPerInch);
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

LOGFONTA TFont::LogFont() const
{
    LOGFONTA Lf;
    Lf.lfHeight = FHeight;
    Lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    Lf.lfItalic = FStyle.Contains(fsItalic);
    Lf.lfUnderline = FStyle.Contains(fsUnderline);
    Lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    Lf.lfCharSet = FCharset;
    Lf.lfPitchAndFamily = FPitch == fpFixed ? 1 : FPitch == fpVariable ? 2 : 0;
    // Cut the face name on a character boundary so that no half UTF-8 sequence is left.
    size_t Len = std::min<size_t>(FName.size(), LF_FACESIZE - 1);
    while (Len > 0 && Len < FName.size() && (static_cast<Byte>(FName[Len]) & 0xC0) == 0x80)
        --Len;
    std::memcpy(Lf.lfFaceName, FName.data(), Len);
    return Lf;
}

HFONT TFont::Handle()
{
    if (!FHandle) {
        const LOGFONTA Lf = LogFont();
        FHandle.reset(CreateFontIndirect(&Lf));
    }
    return static_cast<HFONT>(FHandle.get());
}

void TFont::SetHandle(HFONT Value)
{
    LOGFONTA Lf;
    if (!Value || GetObject(Value, sizeof(Lf), &Lf) == 0)
        return;
    FName.assign(Lf.lfFaceName, strnlen(Lf.lfFaceName, LF_FACESIZE));
    FHeight = Lf.lfHeight;
    FStyle.Clear();
    if (Lf.lfWeight >= FW_BOLD)
        FStyle.Include(fsBold);
    if (Lf.lfItalic)
        FStyle.Include(fsItalic);
    if (Lf.lfUnderline)
        FStyle.Include(fsUnderline);
    if (Lf.lfStrikeOut)
        FStyle.Include(fsStrikeOut);
    FCharset = Lf.lfCharSet;
    const int Pitch = Lf.lfPitchAndFamily & 3;
    FPitch = Pitch == 1 ? fpFixed : Pitch == 2 ? fpVariable : fpDefault;
    Changed();
}

void TFont::SetName(const AnsiString& Value)
{
    if (!Value.empty() && Value != FName) {
        FName = Value;
        Changed();
    }
}

Integer TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(Integer Value)
{
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetHeight(Integer Value)
{
    if (Value != FHeight) {
        FHeight = Value;
        Changed();
    }
}

void TFont::SetColor(TColor Value)
{
    if (Value != FColor) {
        FColor = Value;
        // The colour is not part of the font object, but canvases set it with the font.
        if (OnChange)
            OnChange(this);
    }
}

void TFont::SetStyle(TFontStyles Value)
{
    if (!(Value == FStyle)) {
        FStyle = Value;
        Changed();
    }
}

void TFont::SetCharset(TFontCharset Value)
{
    if (Value != FCharset) {
        FCharset = Value;
        Changed();
    }
}

void TFont::SetPitch(TFontPitch Value)
{
    if (Value != FPitch) {
        FPitch = Value;
        Changed();
    }
}

// ---- TPen -----------------------------------------------------------------------------------------

void TPen::Assign(TPersistent* Source)
{
    if (auto* P = dynamic_cast<TPen*>(Source)) {
        FColor = P->FColor;
        FWidth = P->FWidth;
        FStyle = P->FStyle;
        FMode = P->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

HPEN TPen::Handle()
{
    if (!FHandle)
        FHandle.reset(CreatePen(static_cast<int>(FStyle), FWidth, ColorToRGB(FColor)));
    return static_cast<HPEN>(FHandle.get());
}

void TPen::SetColor(TColor Value)
{
    if (Value != FColor) {
        FColor = Value;
        Changed();
    }
}

void TPen::SetWidth(Integer Value)
{
    if (Value >= 0 && Value != FWidth) {
        FWidth = Value;
        Changed();
    }
}

void TPen::SetStyle(TPenStyle Value)
{
    if (Value != FStyle) {
        FStyle = Value;
        Changed();
    }
}

void TPen::SetMode(TPenMode Value)
{
    if (Value != FMode) {
        FMode = Value;
        // The mode is a state of the context, not of the pen object.
        if (OnChange)
            OnChange(this);
    }
}

// ---- TBrush ---------------------------------------------------------------------------------------

TBrush::~TBrush()
{
    FreeHandle();
}

void TBrush::Assign(TPersistent* Source)
{
    if (auto* B = dynamic_cast<TBrush*>(Source)) {
        FColor = B->FColor;
        FStyle = B->FStyle;
        if (B->FBitmap) {
            FBitmap = std::unique_ptr<TBitmap>(New<TBitmap>());
            FBitmap->Assign(B->FBitmap.get());
        } else {
            FBitmap.reset();
        }
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

HBRUSH TBrush::Handle()
{
    if (!FHandle) {
        if (FBitmap && !FBitmap->Empty()) {
            FHandle.reset(CreatePatternBrush(FBitmap->Handle()));
        } else if (FStyle == bsSolid) {
            FHandle.reset(CreateSolidBrush(ColorToRGB(FColor)));
        } else if (FStyle == bsClear) {
            LOGBRUSH Lb;
            Lb.lbStyle = BS_NULL;
            FHandle.reset(CreateBrushIndirect(&Lb));
        } else {
            FHandle.reset(CreateHatchBrush(static_cast<int>(FStyle) - bsHorizontal, ColorToRGB(FColor)));
        }
    }
    return static_cast<HBRUSH>(FHandle.get());
}

void TBrush::SetColor(TColor Value)
{
    if (Value != FColor || FStyle == bsClear) {
        FColor = Value;
        // A colour given to a clear brush makes it solid again.
        if (FStyle == bsClear)
            FStyle = bsSolid;
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle Value)
{
    if (Value != FStyle) {
        FStyle = Value;
        Changed();
    }
}

void TBrush::SetBitmap(TBitmap* Value)
{
    if (Value) {
        auto Copy = std::unique_ptr<TBitmap>(New<TBitmap>());
        Copy->Assign(Value);
        FBitmap = std::move(Copy);
    } else {
        FBitmap.reset();
    }
    Changed();
}

// ---- TCanvas --------------------------------------------------------------------------------------

TCanvas::TCanvas() : FFont(New<TFont>()), FPen(New<TPen>()), FBrush(New<TBrush>())
{
    FFont->OnChange = [this](TObject*) {
        if (FState.Contains(csFontValid)) {
            FState.Exclude(csFontValid);
            if (FHandle)
                SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
        }
    };
    FPen->OnChange = [this](TObject*) {
        if (FState.Contains(csPenValid)) {
            FState.Exclude(csPenValid);
            if (FHandle)
                SelectObject(FHandle, GetStockObject(BLACK_PEN));
        }
    };
    FBrush->OnChange = [this](TObject*) {
        if (FState.Contains(csBrushValid)) {
            FState.Exclude(csBrushValid);
            if (FHandle)
                SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
        }
    };
}

TCanvas::~TCanvas()
{
    // Descendants release their context first; a context set from outside only loses our objects.
    DeselectHandles();
}

HDC TCanvas::Handle()
{
    // Whoever takes the handle draws with the canvas's font, pen and brush through the API.
    RequiredState({csHandleValid, csFontValid, csPenValid, csBrushValid});
    return FHandle;
}

void TCanvas::SetHandle(HDC Value)
{
    if (FHandle != Value) {
        if (FHandle)
            DeselectHandles();
        FHandle = Value;
        FState.Clear();
        if (Value)
            FState.Include(csHandleValid);
    }
}

void TCanvas::DeselectHandles()
{
    if (FHandle &&
        (FState.Contains(csFontValid) || FState.Contains(csPenValid) || FState.Contains(csBrushValid))) {
        SelectObject(FHandle, GetStockObject(BLACK_PEN));
        SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
        SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    }
    FState.Exclude(csFontValid);
    FState.Exclude(csPenValid);
    FState.Exclude(csBrushValid);
}

void TCanvas::RequiredState(TCanvasState ReqState)
{
    const TCanvasState Needed = ReqState - FState;
    if (Needed.Empty())
        return;
    if (Needed.Contains(csHandleValid)) {
        CreateHandle();
        if (!FHandle)
            throw EInvalidOperation(SNoCanvasHandle);
        FState.Include(csHandleValid);
    }
    if (Needed.Contains(csFontValid))
        CreateFont();
    if (Needed.Contains(csPenValid))
        CreatePen();
    if (Needed.Contains(csBrushValid))
        CreateBrush();
}

void TCanvas::CreateFont()
{
    SelectObject(FHandle, FFont->Handle());
    SetTextColor(FHandle, ColorToRGB(FFont->Color()));
    FState.Include(csFontValid);
}

void TCanvas::CreatePen()
{
    SelectObject(FHandle, FPen->Handle());
    SetROP2(FHandle, PenModeRop2[FPen->Mode()]);
    FState.Include(csPenValid);
}

void TCanvas::CreateBrush()
{
    SelectObject(FHandle, FBrush->Handle());
    if (FBrush->Style() == bsSolid) {
        SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
        SetBkMode(FHandle, OPAQUE);
    } else {
        // Hatched and clear brushes leave the background between their lines alone.
        SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0xFFFFFF);
        SetBkMode(FHandle, TRANSPARENT);
    }
    FState.Include(csBrushValid);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

TPoint TCanvas::PenPos()
{
    RequiredState({csHandleValid});
    POINT P{};
    GetCurrentPositionEx(FHandle, &P);
    return P;
}

TRect TCanvas::ClipRect()
{
    RequiredState({csHandleValid});
    RECT R{};
    GetClipBox(FHandle, &R);
    return R;
}

TColor TCanvas::Pixels(Integer X, Integer Y)
{
    RequiredState({csHandleValid});
    return GetPixel(FHandle, X, Y);
}

void TCanvas::SetPixels(Integer X, Integer Y, TColor Value)
{
    Changing();
    RequiredState({csHandleValid, csPenValid});
    SetPixel(FHandle, X, Y, ColorToRGB(Value));
    Changed();
}

void TCanvas::MoveTo(Integer X, Integer Y)
{
    RequiredState({csHandleValid});
    MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(Integer X, Integer Y)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::LineTo(FHandle, X, Y);
    Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Rectangle(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Ellipse(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    if (Points.empty())
        return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polygon(FHandle, Points.data(), static_cast<int>(Points.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    if (Points.empty())
        return;
    Changing();
    RequiredState({csHandleValid, csPenValid, csBrushValid});
    ::Polyline(FHandle, Points.data(), static_cast<int>(Points.size()));
    Changed();
}

void TCanvas::FillRect(const TRect& Rect)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FillRect(FHandle, &Rect, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& Rect)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::FrameRect(FHandle, &Rect, FBrush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& Rect)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ::DrawFocusRect(FHandle, &Rect);
    Changed();
}

void TCanvas::FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle)
{
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    ExtFloodFill(FHandle, X, Y, ColorToRGB(Color),
                 FillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}

void TCanvas::TextOut(Integer X, Integer Y, const AnsiString& Text)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    ExtTextOut(FHandle, X, Y, FTextFlags, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    MoveTo(X + TextWidth(Text), Y);
    Changed();
}

void TCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const AnsiString& Text)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    UINT Options = ETO_CLIPPED | FTextFlags;
    if (FBrush->Style() != bsClear)
        Options |= ETO_OPAQUE;
    ExtTextOut(FHandle, X, Y, Options, &Rect, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(const AnsiString& Text)
{
    RequiredState({csHandleValid, csFontValid});
    SIZE Size{};
    GetTextExtentPoint32(FHandle, Text.data(), static_cast<int>(Text.size()), &Size);
    return Size;
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic)
{
    if (Graphic && !Graphic->Empty()) {
        Changing();
        RequiredState({csHandleValid});
        Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
        Changed();
    }
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic)
{
    if (Graphic && !Graphic->Empty()) {
        Changing();
        RequiredState({csHandleValid});
        Graphic->Draw(this, Rect);
        Changed();
    }
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
    Changing();
    RequiredState({csHandleValid, csFontValid, csBrushValid});
    Canvas->RequiredState({csHandleValid, csBrushValid});
    StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left,
               Source.Top, Source.Width(), Source.Height(), FCopyMode);
    Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color)
{
    if (!Bitmap || Bitmap->Empty())
        return;
    Changing();
    RequiredState({csHandleValid, csBrushValid});
    // The brush shows where the picture had Color: fill, then copy every other pixel.
    ::FillRect(FHandle, &Dest, FBrush->Handle());
    TransparentBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Bitmap->Canvas()->Handle(),
                   Source.Left, Source.Top, Source.Width(), Source.Height(), ColorToRGB(Color));
    Changed();
}

void TCanvas::Lock()
{
    FLock.lock();
    ++FLockCount;
}

void TCanvas::Unlock()
{
    --FLockCount;
    FLock.unlock();
}

bool TCanvas::TryLock()
{
    if (!FLock.try_lock())
        return false;
    ++FLockCount;
    return true;
}

// ---- TGraphic -------------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed();
    }
}

void TGraphic::SetModified(bool Value)
{
    if (Value)
        Changed();
    else
        FModified = false;
}

void TGraphic::Changed()
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::LoadFromFile(const AnsiString& FileName)
{
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName)
{
    TFileStream Stream(FileName, fmCreate);
    SaveToStream(&Stream);
}

void TGraphic::LoadFromClipboardFormat(UINT, const std::vector<Byte>&)
{
    throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(UINT&, std::vector<Byte>&)
{
    throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::DefineProperties(TFiler* Filer)
{
    Filer->DefineBinaryProperty(
        "Data", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); }, !Empty());
}

void TGraphic::ReadData(TStream* Stream)
{
    LoadFromStream(Stream);
}

void TGraphic::WriteData(TStream* Stream)
{
    SaveToStream(Stream);
}

// ---- TBitmap --------------------------------------------------------------------------------------

namespace {

int DeclaredBits(TPixelFormat Format)
{
    switch (Format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    default:
        return 32;
    }
}

TPixelFormat FormatOfBits(int Bits)
{
    switch (Bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        return pf16bit;
    case 24:
        return pf24bit;
    case 32:
        return pf32bit;
    default:
        return pfDevice;
    }
}

// A new bitmap of the size, white, holding what fits of Old.
HBITMAP MakeBitmap(Integer W, Integer H, int Bits, HBITMAP Old, Integer OldW, Integer OldH)
{
    TOwnedBitmap Result(CreateBitmap(W, H, 1, Bits, nullptr));
    if (!Result)
        throw EOutOfMemory("Out of system resources");
    {
        const TOwnedDC Dc(CreateCompatibleDC(nullptr));
        const TSelectObject Selected(Dc.get(), Result.get());
        PatBlt(Dc.get(), 0, 0, W, H, WHITENESS);
        if (Old) {
            const TOwnedDC Src(CreateCompatibleDC(nullptr));
            const TSelectObject SrcSelected(Src.get(), Old);
            BitBlt(Dc.get(), 0, 0, std::min(W, OldW), std::min(H, OldH), Src.get(), 0, 0, SRCCOPY);
        }
    }
    return Result.release();
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    // The canvas's context lets go of the bitmap before the bitmap is deleted.
    FCanvas.reset();
}

void TBitmap::FreeContext()
{
    if (FCanvas)
        FCanvas->FreeContext();
}

void TBitmap::TakeHandle(HBITMAP Value, bool SetFormat)
{
    FreeContext();
    if (FHandle.get() != Value)
        FHandle.reset(Value);
    FWidth = FHeight = 0;
    if (Value) {
        BITMAP Bm;
        if (GetObject(Value, sizeof(Bm), &Bm)) {
            FWidth = Bm.bmWidth;
            FHeight = Bm.bmHeight;
        }
        if (SetFormat)
            FPixelFormat = FormatOfBits(GetBitmapDeclaredBits(Value));
    }
    Changed();
}

void TBitmap::Assign(TPersistent* Source)
{
    if (Source == this)
        return;
    if (auto* B = dynamic_cast<TBitmap*>(Source)) {
        HBITMAP Copy = nullptr;
        // A bitmap is selected into one context at a time: the source's canvas lets go of it.
        B->FreeContext();
        if (B->FHandle)
            Copy = MakeBitmap(B->FWidth, B->FHeight, GetBitmapDeclaredBits(B->FHandle.get()),
                              B->FHandle.get(), B->FWidth, B->FHeight);
        FPixelFormat = B->FPixelFormat;
        FTransparent = B->FTransparent;
        FTransparentColor = B->FTransparentColor;
        FTransparentMode = B->FTransparentMode;
        TakeHandle(Copy, false);
        FWidth = B->FWidth;
        FHeight = B->FHeight;
        return;
    }
    if (auto* G = dynamic_cast<TGraphic*>(Source)) {
        // Any other picture: draw it on a white bitmap of its size.
        SetSize(0, 0);
        SetSize(G->Width(), G->Height());
        if (!Empty())
            Canvas()->Draw(0, 0, G);
        return;
    }
    if (!Source) {
        SetSize(0, 0);
        return;
    }
    TGraphic::Assign(Source);
}

void TBitmap::SetSize(Integer AWidth, Integer AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == FWidth && AHeight == FHeight && (FHandle != nullptr) == (AWidth > 0 && AHeight > 0))
        return;
    HBITMAP New = nullptr;
    if (AWidth > 0 && AHeight > 0) {
        FreeContext();
        New = MakeBitmap(AWidth, AHeight, DeclaredBits(FPixelFormat), FHandle.get(), FWidth, FHeight);
    }
    TakeHandle(New, false);
    FWidth = AWidth;
    FHeight = AHeight;
}

HBITMAP TBitmap::Handle()
{
    return FHandle.get();
}

void TBitmap::SetHandle(HBITMAP Value)
{
    if (Value != FHandle.get())
        TakeHandle(Value, true);
}

HBITMAP TBitmap::ReleaseHandle()
{
    FreeContext();
    HBITMAP Result = FHandle.release();
    FWidth = FHeight = 0;
    Changed();
    return Result;
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

void TBitmap::SetPixelFormat(TPixelFormat Value)
{
    if (Value == FPixelFormat)
        return;
    FPixelFormat = Value;
    if (FHandle) {
        FreeContext();
        TakeHandle(MakeBitmap(FWidth, FHeight, DeclaredBits(Value), FHandle.get(), FWidth, FHeight), false);
    } else {
        Changed();
    }
}

TColor TBitmap::TransparentColor()
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (Empty())
        return clDefault;
    return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value)
{
    if (Value != FTransparentColor) {
        FTransparentColor = Value;
        FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
        Changed();
    }
}

void TBitmap::SetTransparentMode(TTransparentMode Value)
{
    if (Value != FTransparentMode) {
        FTransparentMode = Value;
        if (Value == tmAuto)
            FTransparentColor = clDefault;
        Changed();
    }
}

void TBitmap::LoadFromStream(TStream* Stream)
{
    const std::vector<Byte> Data = ReadPictureBytes(Stream);
    if (Data.empty())
        throw EInvalidGraphic(SInvalidBitmap);
    TakeHandle(LoadBmp(Data.data(), Data.size()), true);
}

void TBitmap::SaveToStream(TStream* Stream)
{
    if (!FHandle)
        return;
    int Bits = 0;
    switch (FPixelFormat) {
    case pfDevice:
        Bits = 0;
        break;
    case pf1bit:
        Bits = 1;
        break;
    case pf32bit:
        Bits = 32;
        break;
    default:
        Bits = 24;
        break;
    }
    const Bytes Data = SaveBmp(FHandle.get(), Bits);
    if (!Data.empty())
        Stream->WriteBuffer(Data.data(), static_cast<Integer>(Data.size()));
}

void TBitmap::LoadFromResourceName(const void*, const AnsiString& ResName)
{
    const TEmbeddedResource* Res = FindEmbeddedResource(ResName, "BITMAP");
    if (!Res)
        throw EResNotFound("Resource " + ResName + " not found");
    TakeHandle(LoadBmp(Res->Data, Res->Size), true);
}

void TBitmap::LoadFromClipboardFormat(UINT Format, const std::vector<Byte>& Data)
{
    constexpr UINT CfDib = 8;
    if (Format != CfDib || Data.size() < sizeof(BITMAPINFOHEADER))
        throw EInvalidGraphic(SInvalidBitmap);
    // A packed DIB is a BMP file without its 14-byte file header: put one in front.
    BITMAPINFOHEADER Header;
    std::memcpy(&Header, Data.data(), sizeof(Header));
    if (Header.biSize < 12 || Header.biSize > Data.size())
        throw EInvalidGraphic(SInvalidBitmap);
    size_t Colors = Header.biClrUsed;
    if (Colors == 0 && Header.biBitCount <= 8)
        Colors = size_t(1) << Header.biBitCount;
    if (Colors > 256)
        throw EInvalidGraphic(SInvalidBitmap);
    size_t Offset = 14 + Header.biSize + Colors * 4;
    if (Header.biCompression == BI_BITFIELDS && Header.biSize == 40)
        Offset += 12;
    std::vector<Byte> File(14 + Data.size());
    const uint32_t FileSize = static_cast<uint32_t>(File.size());
    const uint32_t BitsOffset = static_cast<uint32_t>(Offset);
    File[0] = 'B';
    File[1] = 'M';
    std::memcpy(&File[2], &FileSize, 4);
    std::memcpy(&File[10], &BitsOffset, 4);
    std::memcpy(&File[14], Data.data(), Data.size());
    TakeHandle(LoadBmp(File.data(), File.size()), true);
}

void TBitmap::SaveToClipboardFormat(UINT& Format, std::vector<Byte>& Data)
{
    Format = 8; // CF_DIB
    Data.clear();
    if (!FHandle)
        return;
    const Bytes File = SaveBmp(FHandle.get(), 24);
    if (File.size() > 14)
        Data.assign(File.begin() + 14, File.end());
}

void TBitmap::ReadData(TStream* Stream)
{
    // The streamed form is the size of the BMP data, then the data.
    Integer Size = 0;
    Stream->ReadBuffer(&Size, 4);
    if (Size < 0 || Size > Stream->Size() - Stream->Position())
        throw EInvalidGraphic(SInvalidBitmap);
    TMemoryStream Data;
    if (Size > 0)
        Data.CopyFrom(Stream, Size);
    Data.SetPosition(0);
    if (Size == 0)
        SetSize(0, 0);
    else
        LoadFromStream(&Data);
}

void TBitmap::WriteData(TStream* Stream)
{
    TMemoryStream Data;
    SaveToStream(&Data);
    const Integer Size = static_cast<Integer>(Data.Size());
    Stream->WriteBuffer(&Size, 4);
    if (Size > 0)
        Stream->WriteBuffer(Data.Memory(), Size);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (!FHandle)
        return;
    HDC Src = Canvas()->Handle();
    HDC Dest = ACanvas->Handle();
    if (FTransparent) {
        TransparentBlt(Dest, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), Src, 0, 0, FWidth, FHeight,
                       ColorToRGB(TransparentColor()));
    } else {
        StretchBlt(Dest, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), Src, 0, 0, FWidth, FHeight,
                   ACanvas->CopyMode());
    }
}

void TBitmap::CanvasChanged()
{
    TGraphic::Changed();
}

void TBitmapCanvas::CreateHandle()
{
    if (FHandle)
        return;
    FContext.reset(CreateCompatibleDC(nullptr));
    // Never selected back out: deleting the context lets go of the bitmap.
    if (FBitmap->FHandle)
        SelectObject(FContext.get(), FBitmap->FHandle.get());
    SetHandle(FContext.get());
}

void TBitmapCanvas::FreeContext()
{
    if (FHandle) {
        SetHandle(nullptr); // the canvas's objects come out of the context first
        FContext.reset();
    }
}

void TBitmapCanvas::Changed()
{
    TCanvas::Changed();
    FBitmap->CanvasChanged();
}

// ---- TIcon ----------------------------------------------------------------------------------------

TIcon::~TIcon()
{
    Clear();
}

void TIcon::Clear()
{
    FImage.reset();
    FWidth = FHeight = 0;
    FData.clear();
}

void TIcon::Assign(TPersistent* Source)
{
    if (auto* I = dynamic_cast<TIcon*>(Source)) {
        if (I == this)
            return;
        Clear();
        if (!I->FData.empty()) {
            TMemoryStream S;
            S.WriteBuffer(I->FData.data(), static_cast<Integer>(I->FData.size()));
            S.SetPosition(0);
            LoadFromStream(&S);
        } else {
            Changed();
        }
        return;
    }
    if (!Source) {
        Clear();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::SetWidth(Integer Value)
{
    if (Value != FWidth)
        throw EInvalidGraphic("Cannot change the size of an icon");
}

void TIcon::SetHeight(Integer Value)
{
    if (Value != FHeight)
        throw EInvalidGraphic("Cannot change the size of an icon");
}

void TIcon::LoadFromStream(TStream* Stream)
{
    std::vector<Byte> Data = ReadPictureBytes(Stream);
    std::vector<IconImage> Images = LoadIco(Data.data(), Data.size());
    // Every image is owned here; the chosen one moves to the icon, the others go with the scope.
    std::vector<TOwnedBitmap> Owned;
    for (const IconImage& I : Images)
        Owned.emplace_back(I.Image);
    if (Images.empty())
        throw EInvalidGraphic(SInvalidIcon);
    // The image nearest the system icon size, the deepest of equal sizes.
    const int Want = 32;
    size_t Best = 0;
    auto Score = [&](const IconImage& I) { return std::abs(I.Width - Want) + std::abs(I.Height - Want); };
    for (size_t I = 1; I < Images.size(); ++I) {
        const int S = Score(Images[I]), B = Score(Images[Best]);
        if (S < B || (S == B && Images[I].BitCount > Images[Best].BitCount))
            Best = I;
    }
    Clear();
    FImage = std::move(Owned[Best]);
    FWidth = Images[Best].Width;
    FHeight = Images[Best].Height;
    FData = std::move(Data);
    Changed();
}

void TIcon::SaveToStream(TStream* Stream)
{
    if (!FData.empty())
        Stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (FImage)
        DrawAlphaBitmap(ACanvas->Handle(), Rect, FImage.get(), FWidth, FHeight);
}

// ---- TMetafile ------------------------------------------------------------------------------------

TMetafile::~TMetafile()
{
    Clear();
}

void TMetafile::Clear()
{
    if (FHandle)
        DeleteEnhMetaFile(FHandle);
    FHandle = nullptr;
    FWidth = FHeight = FMMWidth = FMMHeight = 0;
}

void TMetafile::SetHandle(HENHMETAFILE Value)
{
    if (Value == FHandle)
        return;
    Clear();
    FHandle = Value;
    MetafileInfo Info;
    if (Value && GetMetafileInfo(Value, &Info)) {
        FWidth = Info.Bounds.Width();
        FHeight = Info.Bounds.Height();
        FMMWidth = Info.Frame.Width();
        FMMHeight = Info.Frame.Height();
    }
    Changed();
}

void TMetafile::SetWidth(Integer Value)
{
    if (Value != FWidth) {
        FWidth = std::max(Value, 0);
        Changed();
    }
}

void TMetafile::SetHeight(Integer Value)
{
    if (Value != FHeight) {
        FHeight = std::max(Value, 0);
        Changed();
    }
}

void TMetafile::Assign(TPersistent* Source)
{
    if (Source == this)
        return;
    if (auto* M = dynamic_cast<TMetafile*>(Source)) {
        HENHMETAFILE Copy = M->FHandle ? CopyEnhMetaFile(M->FHandle, nullptr) : nullptr;
        SetHandle(Copy);
        FWidth = M->FWidth;
        FHeight = M->FHeight;
        FMMWidth = M->FMMWidth;
        FMMHeight = M->FMMHeight;
        return;
    }
    if (!Source) {
        Clear();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TMetafile::LoadFromStream(TStream* Stream)
{
    const std::vector<Byte> Data = ReadPictureBytes(Stream);
    HENHMETAFILE H = SetEnhMetaFileBits(static_cast<UINT>(Data.size()), Data.data());
    if (!H)
        throw EInvalidGraphic("Metafile is not valid");
    SetHandle(H);
}

void TMetafile::SaveToStream(TStream* Stream)
{
    if (!FHandle)
        return;
    const UINT Size = GetEnhMetaFileBits(FHandle, 0, nullptr);
    std::vector<Byte> Data(Size);
    if (Size > 0 && GetEnhMetaFileBits(FHandle, Size, Data.data()) == Size)
        Stream->WriteBuffer(Data.data(), static_cast<Integer>(Size));
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    if (FHandle)
        PlayEnhMetaFile(ACanvas->Handle(), FHandle, &Rect);
}

TMetafileCanvas::TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice) : FMetafile(AMetafile)
{
    RECT Frame = Rect(0, 0, AMetafile->MMWidth(), AMetafile->MMHeight());
    HDC DC = CreateEnhMetaFile(ReferenceDevice, nullptr,
                               Frame.Right > 0 && Frame.Bottom > 0 ? &Frame : nullptr, nullptr);
    if (!DC)
        throw EInvalidOperation(SNoCanvasHandle);
    SetHandle(DC);
}

TMetafileCanvas::~TMetafileCanvas()
{
    HDC DC = FHandle;
    SetHandle(nullptr);
    if (DC)
        FMetafile->SetHandle(CloseEnhMetaFile(DC));
}

// ---- TPicture -------------------------------------------------------------------------------------

namespace {

struct FileFormat {
    AnsiString Description;
    TGraphicClass Class;
};

std::map<AnsiString, FileFormat>& FileFormats()
{
    static std::map<AnsiString, FileFormat> Formats = {
        {"bmp", {"Bitmaps", []() -> TGraphic* { return New<TBitmap>(); }}},
        {"ico", {"Icons", []() -> TGraphic* { return New<TIcon>(); }}},
        {"jpg", {"JPEG Image File", []() -> TGraphic* { return New<TJPEGImage>(); }}},
        {"jpeg", {"JPEG Image File", []() -> TGraphic* { return New<TJPEGImage>(); }}},
        {"jpe", {"JPEG Image File", []() -> TGraphic* { return New<TJPEGImage>(); }}},
        {"emf", {"Enhanced Metafiles", []() -> TGraphic* { return New<TMetafile>(); }}},
        {"wmf", {"Metafiles", []() -> TGraphic* { return New<TMetafile>(); }}},
    };
    return Formats;
}

AnsiString ExtensionOf(const AnsiString& FileName)
{
    AnsiString Ext = ExtractFileExt(FileName);
    if (!Ext.empty() && Ext[0] == '.')
        Ext.erase(0, 1);
    return LowerCase(Ext);
}

std::unique_ptr<TGraphic> CopyOf(TGraphic* Value)
{
    std::unique_ptr<TGraphic> Result;
    if (dynamic_cast<TBitmap*>(Value))
        Result.reset(New<TBitmap>());
    else if (dynamic_cast<TIcon*>(Value))
        Result.reset(New<TIcon>());
    else if (dynamic_cast<TJPEGImage*>(Value))
        Result.reset(New<TJPEGImage>());
    else if (dynamic_cast<TMetafile*>(Value))
        Result.reset(New<TMetafile>());
    else
        Result.reset(New<TBitmap>()); // other kinds of picture come over as their pixels
    Result->Assign(Value);
    return Result;
}

} // namespace

void TPicture::RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                  TGraphicClass GraphicClass)
{
    FileFormats()[LowerCase(Extension)] = {Description, GraphicClass};
}

TGraphicClass TPicture::FileFormatClass(const AnsiString& Extension)
{
    auto It = FileFormats().find(LowerCase(Extension));
    return It == FileFormats().end() ? nullptr : It->second.Class;
}

TPicture::~TPicture() = default;

void TPicture::SetOwned(std::unique_ptr<TGraphic> Value)
{
    FGraphic = std::move(Value);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject* Sender) { Changed(Sender); };
    Changed(this);
}

void TPicture::Changed(TObject*)
{
    if (OnChange)
        OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value)
{
    if (Value == FGraphic.get())
        return;
    SetOwned(Value ? CopyOf(Value) : nullptr);
}

void TPicture::Assign(TPersistent* Source)
{
    if (!Source)
        SetGraphic(nullptr);
    else if (auto* P = dynamic_cast<TPicture*>(Source))
        SetGraphic(P->Graphic());
    else if (auto* G = dynamic_cast<TGraphic*>(Source))
        SetGraphic(G);
    else
        TPersistent::Assign(Source);
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(FGraphic.get()))
        SetOwned(std::unique_ptr<TGraphic>(New<TBitmap>()));
    return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon()
{
    if (!dynamic_cast<TIcon*>(FGraphic.get()))
        SetOwned(std::unique_ptr<TGraphic>(New<TIcon>()));
    return static_cast<TIcon*>(FGraphic.get());
}

TMetafile* TPicture::Metafile()
{
    if (!dynamic_cast<TMetafile*>(FGraphic.get()))
        SetOwned(std::unique_ptr<TGraphic>(New<TMetafile>()));
    return static_cast<TMetafile*>(FGraphic.get());
}

void TPicture::LoadFromFile(const AnsiString& FileName)
{
    const AnsiString Ext = ExtensionOf(FileName);
    TGraphicClass Class = FileFormatClass(Ext);
    if (!Class)
        throw EInvalidGraphic(Format(SUnknownExtension, {Ext}));
    std::unique_ptr<TGraphic> NewGraphic(Class());
    NewGraphic->LoadFromFile(FileName);
    SetOwned(std::move(NewGraphic));
}

void TPicture::SaveToFile(const AnsiString& FileName)
{
    if (FGraphic)
        FGraphic->SaveToFile(FileName);
}
