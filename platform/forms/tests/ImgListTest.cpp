#include "platform/forms/ImgList.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TBitmap> Strip()
{
    // Two 4×4 images: a red square on fuchsia, a blue one on fuchsia.
    auto B = std::unique_ptr<TBitmap>(New<TBitmap>());
    B->SetSize(8, 4);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clFuchsia);
    C->FillRect(Rect(0, 0, 8, 4));
    C->Brush()->SetColor(clRed);
    C->FillRect(Rect(1, 1, 3, 3));
    C->Brush()->SetColor(clBlue);
    C->FillRect(Rect(5, 1, 7, 3));
    return B;
}

} // namespace

TEST(ImageList, MaskedImagesLetTheBackgroundThrough)
{
    TImageList List(nullptr);
    List.SetWidth(4);
    List.SetHeight(4);
    auto B = Strip();
    EXPECT_EQ(List.AddMasked(B.get(), clFuchsia), 0);
    ASSERT_EQ(List.Count(), 2);

    auto Back = std::unique_ptr<TBitmap>(New<TBitmap>());
    Back->SetSize(8, 4);
    Back->Canvas()->Brush()->SetColor(clLime);
    Back->Canvas()->FillRect(Rect(0, 0, 8, 4));
    List.Draw(Back->Canvas(), 0, 0, 1);
    List.Draw(Back->Canvas(), 4, 0, 0);
    EXPECT_EQ(Back->Canvas()->Pixels(0, 0), clLime) << "see-through";
    EXPECT_EQ(Back->Canvas()->Pixels(1, 1), clBlue);
    EXPECT_EQ(Back->Canvas()->Pixels(5, 2), clRed);

    auto One = std::unique_ptr<TBitmap>(New<TBitmap>());
    List.GetBitmap(0, One.get());
    EXPECT_EQ(One->Width(), 4);
    EXPECT_EQ(One->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(One->Canvas()->Pixels(2, 2), clRed);

    // A disabled image is drawn in the shadow colour.
    List.Draw(Back->Canvas(), 0, 0, 0, false);
    EXPECT_EQ(Back->Canvas()->Pixels(1, 1), ColorToRGB(clBtnShadow));

    List.Delete(0);
    EXPECT_EQ(List.Count(), 1);
    EXPECT_THROW(List.Draw(Back->Canvas(), 0, 0, 1), EInvalidOperation);
    EXPECT_THROW(List.Delete(-1), EInvalidOperation);
}

TEST(ImageList, MaskBitmapMarksSeeThroughPixelsWhite)
{
    TImageList List(nullptr);
    List.SetWidth(4);
    List.SetHeight(4);
    auto Image = Strip();
    auto Mask = std::unique_ptr<TBitmap>(New<TBitmap>());
    Mask->SetSize(8, 4); // white everywhere ...
    Mask->Canvas()->Brush()->SetColor(clBlack);
    Mask->Canvas()->FillRect(Rect(0, 0, 2, 2)); // ... except the top-left of the first image
    List.Add(Image.get(), Mask.get());
    auto Back = std::unique_ptr<TBitmap>(New<TBitmap>());
    Back->SetSize(4, 4);
    List.Draw(Back->Canvas(), 0, 0, 0);
    EXPECT_EQ(Back->Canvas()->Pixels(0, 0), clFuchsia);
    EXPECT_EQ(Back->Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(Back->Canvas()->Pixels(2, 2), clWhite);
}
