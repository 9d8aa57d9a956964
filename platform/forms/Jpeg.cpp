#include "platform/forms/Jpeg.h"

#include <algorithm>

std::vector<Byte> ReadPictureBytes(TStream* Stream);

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange Value)
{
    FQuality = std::clamp(Value, 1, 100);
}

void TJPEGImage::SetGrayscale(bool Value)
{
    if (Value != FGrayscale) {
        FGrayscale = Value;
        Changed();
    }
}

void TJPEGImage::Assign(TPersistent* Source)
{
    if (Source == this)
        return;
    if (auto* J = dynamic_cast<TJPEGImage*>(Source)) {
        J->JPEGNeeded();
        FData = J->FData;
        FBitmap.reset();
        FWidth = J->FWidth;
        FHeight = J->FHeight;
        FQuality = J->FQuality;
        FGrayscale = J->FGrayscale;
        Changed();
        return;
    }
    if (auto* B = dynamic_cast<TBitmap*>(Source)) {
        auto Copy = std::unique_ptr<TBitmap>(New<TBitmap>());
        Copy->Assign(B);
        FBitmap = std::move(Copy);
        FWidth = B->Width();
        FHeight = B->Height();
        FData.clear();
        Changed();
        return;
    }
    TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest)
{
    if (auto* B = dynamic_cast<TBitmap*>(Dest)) {
        DIBNeeded();
        if (FBitmap)
            B->Assign(FBitmap.get());
        else
            B->SetSize(0, 0);
        return;
    }
    TGraphic::AssignTo(Dest);
}

void TJPEGImage::LoadFromStream(TStream* Stream)
{
    std::vector<Byte> Data = ReadPictureBytes(Stream);
    // Decoded now, so that a bad file is refused by the load and not by a later paint.
    HBITMAP Decoded = LoadJpeg(Data.data(), Data.size());
    auto Bmp = std::unique_ptr<TBitmap>(New<TBitmap>());
    Bmp->SetHandle(Decoded);
    FData = std::move(Data);
    FWidth = Bmp->Width();
    FHeight = Bmp->Height();
    FBitmap = std::move(Bmp);
    Changed();
}

void TJPEGImage::SaveToStream(TStream* Stream)
{
    JPEGNeeded();
    if (!FData.empty())
        Stream->WriteBuffer(FData.data(), static_cast<Integer>(FData.size()));
}

void TJPEGImage::JPEGNeeded()
{
    if (FData.empty() && FBitmap && !FBitmap->Empty())
        FData = SaveJpeg(FBitmap->Handle(), FQuality, FGrayscale);
}

void TJPEGImage::DIBNeeded()
{
    if (!FBitmap && !FData.empty()) {
        auto Bmp = std::unique_ptr<TBitmap>(New<TBitmap>());
        Bmp->SetHandle(LoadJpeg(FData.data(), FData.size()));
        FBitmap = std::move(Bmp);
    }
}

TBitmap* TJPEGImage::Bitmap()
{
    DIBNeeded();
    return FBitmap.get();
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect)
{
    DIBNeeded();
    if (FBitmap)
        ACanvas->StretchDraw(Rect, FBitmap.get());
}
