#pragma once

// JPEG pictures: kept as their compressed bytes and decoded into a bitmap for drawing.

#include "platform/forms/Graphics.h"

#include <memory>
#include <vector>

using TJPEGQualityRange = Integer; // 1..100

class TJPEGImage : public TGraphic {
public:
    ~TJPEGImage() override;

    // From another JPEG image (a copy of its bytes) or from a bitmap (compressed with
    // CompressionQuality and Grayscale).
    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FData.empty() && !FBitmap; }
    Integer Width() const override { return FWidth; }
    Integer Height() const override { return FHeight; }
    // The size of a JPEG image is that of its picture; setting it does nothing.
    void SetWidth(Integer) override {}
    void SetHeight(Integer) override {}

    TJPEGQualityRange CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(TJPEGQualityRange Value);
    bool Grayscale() const { return FGrayscale; }
    void SetGrayscale(bool Value);

    // Reads JPEG bytes; malformed data raises EInvalidGraphic and leaves the image unchanged.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // Compresses the bitmap when the bytes are out of date / decodes the bytes when the bitmap is.
    void JPEGNeeded();
    void DIBNeeded();
    // The decoded picture (owned by the image), or nullptr while empty.
    TBitmap* Bitmap();

protected:
    void AssignTo(TPersistent* Dest) override;

private:
    std::vector<Byte> FData;
    std::unique_ptr<TBitmap> FBitmap;
    Integer FWidth = 0;
    Integer FHeight = 0;
    TJPEGQualityRange FQuality = 90;
    bool FGrayscale = false;
};
