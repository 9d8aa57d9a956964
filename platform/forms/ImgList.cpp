#include "platform/forms/ImgList.h"
#include "platform/rtl/Guards.h"
#include "platform/win/GraphicsOwners.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <string>

void DrawAlphaBitmap(HDC Dest, const TRect& Rect, HBITMAP Image, Integer SrcWidth, Integer SrcHeight);

namespace {

// The pixel of a bitmap as 0x00RRGGBB.
std::uint32_t PixelOf(cairo_surface_t* S, int X, int Y)
{
    const unsigned char* Data = cairo_image_surface_get_data(S);
    const int Stride = cairo_image_surface_get_stride(S);
    return reinterpret_cast<const std::uint32_t*>(Data + size_t(Y) * Stride)[X] & 0xFFFFFF;
}

} // namespace

TCustomImageList::~TCustomImageList()
{
    Clear();
}

void TCustomImageList::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomImageList::SetWidth(Integer Value)
{
    if (Value > 0 && Value != FWidth) {
        FWidth = Value;
        Clear();
    }
}

void TCustomImageList::SetHeight(Integer Value)
{
    if (Value > 0 && Value != FHeight) {
        FHeight = Value;
        Clear();
    }
}

void TCustomImageList::CheckIndex(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation("Invalid ImageList Index");
}

Integer TCustomImageList::AddPieces(TBitmap* Image, TBitmap* Mask, bool UseColor, TColor MaskColor)
{
    if (!Image || Image->Empty())
        return -1;
    // Work on 32-bit copies whose pixels can be read directly.
    auto Pixels = [](TBitmap* B) {
        TOwned<TBitmap> Copy(New<TBitmap>());
        Copy->SetPixelFormat(pf32bit);
        Copy->Assign(B);
        return Copy;
    };
    const TOwned<TBitmap> Img = Pixels(Image);
    const TOwned<TBitmap> Msk = Mask && !Mask->Empty() ? Pixels(Mask) : TOwned<TBitmap>();
    cairo_surface_t* ImgS = GetBitmapSurface(Img->Handle());
    cairo_surface_t* MskS = Msk ? GetBitmapSurface(Msk->Handle()) : nullptr;
    cairo_surface_flush(ImgS);
    if (MskS)
        cairo_surface_flush(MskS);
    const COLORREF Key = ColorToRGB(MaskColor);
    const std::uint32_t KeyPixel = (GetRValue(Key) << 16) | (GetGValue(Key) << 8) | GetBValue(Key);

    const Integer Pieces = std::max(Image->Width() / FWidth, 1);
    const Integer First = Count();
    for (Integer P = 0; P < Pieces; ++P) {
        const TOwnedSurface Owned(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, FWidth, FHeight));
        cairo_surface_t* Out = Owned.get();
        cairo_surface_flush(Out);
        unsigned char* Data = cairo_image_surface_get_data(Out);
        const int Stride = cairo_image_surface_get_stride(Out);
        for (Integer Y = 0; Y < FHeight; ++Y) {
            auto* Row = reinterpret_cast<std::uint32_t*>(Data + size_t(Y) * Stride);
            for (Integer X = 0; X < FWidth; ++X) {
                const Integer SX = P * FWidth + X;
                if (SX >= Img->Width() || Y >= Img->Height()) {
                    Row[X] = 0;
                    continue;
                }
                const std::uint32_t Px = PixelOf(ImgS, SX, Y);
                bool Clear = false;
                if (UseColor)
                    Clear = Px == KeyPixel;
                else if (MskS && SX < Msk->Width() && Y < Msk->Height())
                    Clear = PixelOf(MskS, SX, Y) == 0xFFFFFF;
                Row[X] = Clear ? 0 : (0xFF000000u | Px);
            }
        }
        cairo_surface_mark_dirty(Out);
        FImages.emplace_back(CreateBitmapFromSurface(Out));
    }
    Change();
    return First;
}

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask)
{
    return AddPieces(Image, Mask, false, clNone);
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    if (MaskColor == clDefault && Image && !Image->Empty())
        MaskColor = Image->Canvas()->Pixels(0, Image->Height() - 1);
    return AddPieces(Image, nullptr, true, MaskColor);
}

void TCustomImageList::Delete(Integer Index)
{
    CheckIndex(Index);
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TCustomImageList::Clear()
{
    const bool Had = !FImages.empty();
    FImages.clear();
    if (Had)
        Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled)
{
    CheckIndex(Index);
    HDC DC = Canvas->Handle();
    const TRect R = Bounds(X, Y, FWidth, FHeight);
    if (FBkColor != clNone) {
        const TOwnedBrush B(CreateSolidBrush(ColorToRGB(FBkColor)));
        ::FillRect(DC, &R, B.get());
    }
    HBITMAP Image = FImages[static_cast<size_t>(Index)].get();
    if (Enabled) {
        DrawAlphaBitmap(DC, R, Image, FWidth, FHeight);
        return;
    }
    // Disabled: the shape in the shadow colour.
    cairo_surface_t* Src = GetBitmapSurface(Image);
    const TOwnedSurface Grey(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, FWidth, FHeight));
    {
        const TOwnedCairo Cr(cairo_create(Grey.get()));
        const COLORREF Shadow = ColorToRGB(clBtnShadow);
        cairo_set_source_rgb(Cr.get(), GetRValue(Shadow) / 255.0, GetGValue(Shadow) / 255.0,
                             GetBValue(Shadow) / 255.0);
        cairo_mask_surface(Cr.get(), Src, 0, 0);
    }
    cairo_surface_flush(Grey.get());
    const TOwnedBitmap H(CreateBitmapFromSurface(Grey.get()));
    DrawAlphaBitmap(DC, R, H.get(), FWidth, FHeight);
}

void TCustomImageList::GetBitmap(Integer Index, TBitmap* Image)
{
    CheckIndex(Index);
    if (!Image)
        return;
    Image->SetSize(FWidth, FHeight);
    Image->Canvas()->Brush()->SetColor(FBkColor == clNone ? clWhite : FBkColor);
    Image->Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
    Draw(Image->Canvas(), 0, 0, Index, true);
}
