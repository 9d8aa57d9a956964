#pragma once

// Image lists: pictures of one size kept together and drawn by index, with see-through parts
// from a mask bitmap or a mask colour.

#include "platform/forms/Graphics.h"
#include "platform/rtl/Components.h"

#include <vector>

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}
    ~TCustomImageList() override;

    Integer Width() const { return FWidth; }
    Integer Height() const { return FHeight; }
    // Changing the size empties the list.
    void SetWidth(Integer Value);
    void SetHeight(Integer Value);
    Integer Count() const { return static_cast<Integer>(FImages.size()); }
    // The colour drawn behind see-through parts (clNone: what is under them shows).
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor Value) { FBkColor = Value; }
    bool Masked() const { return FMasked; }
    void SetMasked(bool Value) { FMasked = Value; }

    // Adds Image cut into pieces of Width (one image when it is narrower); white pixels of Mask
    // are see-through. Returns the index of the first image added.
    Integer Add(TBitmap* Image, TBitmap* Mask);
    // Adds with every pixel of MaskColor see-through (clDefault: the bottom-left pixel's colour).
    Integer AddMasked(TBitmap* Image, TColor MaskColor);
    void Delete(Integer Index);
    void Clear();

    // Draws an image; a disabled one is drawn greyed. Raises EInvalidOperation for a bad index.
    void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
    // Puts the image (on BkColor, or white) into Image, sized to the list's size.
    void GetBitmap(Integer Index, TBitmap* Image);

    TNotifyEvent OnChange;

protected:
    void Change();

private:
    Integer AddPieces(TBitmap* Image, TBitmap* Mask, bool UseColor, TColor MaskColor);
    void CheckIndex(Integer Index) const;

    Integer FWidth = 16;
    Integer FHeight = 16;
    TColor FBkColor = clNone;
    bool FMasked = true;
    std::vector<TOwnedBitmap> FImages; // premultiplied ARGB, owned by the list
};

class TImageList : public TCustomImageList {
public:
    explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
