#pragma once

// A gallery grid: one row per kind of cell graphic and decoration, with a name in the fixed
// column and one or more samples beside it. Shared by the look demo and the painting tests.

#include "RudUvud/core/RudUvud.h"

#include "platform/forms/ImgList.h"

#include <vector>

namespace gridgallery {

// An object that draws itself into its cell: a filled ellipse in a frame.
class TEllipseGraphic : public TInterfacedPersistent, public ICellGraphic {
public:
    void Draw(TCanvas* Canvas, const TRect& R, Integer, Integer, bool, TDidAririzEvar*) override
    {
        Canvas->Brush()->SetColor(0x00A5FF);
        Canvas->Pen()->SetColor(0x004080);
        Canvas->Ellipse(TRect{R.Left + 4, R.Top + 3, R.Left + 40, R.Bottom - 3});
    }
    Integer GetWidth() override { return 40; }
    Integer GetHeight() override { return 16; }
    bool IsBackground() override { return false; }
};

inline std::unique_ptr<TBitmap> Solid(Integer W, Integer H, TColor Color)
{
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    B->Canvas()->Brush()->SetColor(Color);
    B->Canvas()->FillRect(TRect{0, 0, W, H});
    return B;
}

// Things the gallery's cells point at without owning them; freed with the gallery.
struct TGallery {
    std::vector<std::unique_ptr<TBitmap>> Bitmaps;
    std::unique_ptr<TStringList> Radios = std::make_unique<TStringList>();
    std::unique_ptr<TEllipseGraphic> Ellipse = std::make_unique<TEllipseGraphic>();
    TImageList* Images = nullptr;
};

// The row names, in the gallery's row order (row 1 on).
inline const std::vector<const char*>& RowNames()
{
    static const std::vector<const char*> Names = {
        "bitmap",         "image list",   "images",      "picture",  "check box",
        "data check box", "radio button", "radio group", "progress", "progress (ext)",
        "progress pie",   "range",        "gauge",       "comment",  "button",
        "bit button",     "shape",        "rating",      "rotated",  "object",
    };
    return Names;
}

// Fills G with the gallery (it is resized); Gallery must outlive the grid's use of it.
inline void Fill(TDidAririzEvar* G, TGallery& Gallery)
{
    const auto& Names = RowNames();
    G->SetColCount(4);
    G->SetRowCount(static_cast<Integer>(Names.size()) + 1);
    G->SetDefaultRowHeight(24);
    G->SetColWidths(0, 110);
    for (Integer C = 1; C < 4; ++C)
        G->SetColWidths(C, 150);
    G->SetCells(1, 0, "sample");
    G->SetCells(2, 0, "second");
    G->SetCells(3, 0, "third");
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    for (size_t I = 0; I < Names.size(); ++I)
        G->SetCells(0, static_cast<Integer>(I) + 1, Names[I]);
    auto Bitmap = [&](Integer W, Integer H, TColor C) {
        Gallery.Bitmaps.push_back(Solid(W, H, C));
        return Gallery.Bitmaps.back().get();
    };
    Gallery.Images = New<TImageList>(G);
    Gallery.Images->SetWidth(16);
    Gallery.Images->SetHeight(16);
    for (TColor C : {TColor(0x0000C0), TColor(0x00A000), TColor(0xC00000)})
        Gallery.Images->Add(Bitmap(16, 16, C), nullptr);
    G->SetGridImages(Gallery.Images);
    Integer R = 1;
    // bitmap
    G->AddBitmap(1, R, Bitmap(14, 14, 0x3060C0), false, haBeforeText, vaCenter);
    G->SetCells(1, R, "before text");
    G->AddBitmap(2, R, Bitmap(14, 14, 0x3060C0), false, haRight, vaTop);
    G->SetCells(2, R++, "right");
    // image list
    G->AddImageIdx(1, R, 0, haBeforeText, vaTop);
    G->SetCells(1, R, "image 0");
    G->AddImageIdx(2, R++, 2, haCenter, vaCenter);
    // images
    G->AddMultiImage(1, R, 0, haLeft, vaTop);
    for (Integer I : {0, 1, 2})
        G->GetCellImages(1, R)->Add(I);
    ++R;
    // picture
    TPicture* Pic = G->CreatePicture(1, R++, false, noStretch, 0, haLeft, vaTop);
    TBitmap* PB = Bitmap(60, 18, 0x80C080);
    PB->Canvas()->Brush()->SetColor(0x206020);
    PB->Canvas()->FillRect(TRect{10, 4, 50, 14});
    Pic->Assign(PB);
    // check boxes
    G->AddCheckBox(1, R, true, false);
    G->SetCells(1, R, "checked");
    G->AddCheckBox(2, R, false, false);
    G->SetCells(2, R, "unchecked");
    G->AddCheckBox(3, R, true, false);
    G->SetCells(3, R, "read-only");
    G->SetReadOnly(3, R++, true);
    G->AddCheckBox(1, R, true, true);
    G->AddCheckBox(2, R++, false, true);
    // radio buttons
    G->AddRadioButton(1, R, true);
    G->SetCells(1, R, "on");
    G->AddRadioButton(2, R, false);
    G->SetCells(2, R++, "off");
    // radio group
    for (const char* S : {"A", "B", "C"})
        Gallery.Radios->Add(S);
    G->SetRowHeights(R, 54);
    G->AddRadio(1, R, 1, 1, Gallery.Radios.get());
    G->AddRadio(2, R++, 0, 2, Gallery.Radios.get());
    // progress bars
    G->AddProgress(1, R, 0x00A000, 0xE0E0E0);
    G->SetCells(1, R, "40");
    G->AddProgress(2, R, 0x0000C0, clWhite);
    G->SetCells(2, R++, "85");
    G->AddProgressFormatted(1, R, 0xC06000, clWhite, 0xF0E0D0, 0x000000, "%.0f of 200", 0, 200);
    G->SetCells(1, R++, "120");
    G->AddProgressPie(1, R, 0x00A0FF, 65);
    G->SetCells(1, R++, "65 %");
    G->AddRangeIndicator(1, R, 100, 0x0000FF, 0x00A000, true);
    G->SetCells(1, R, "-40");
    G->AddRangeIndicator(2, R, 100, 0x0000FF, 0x00A000, true);
    G->SetCells(2, R++, "70");
    G->AddVadProgress(1, R, 0, 200);
    G->SetCells(1, R, "50");
    G->AddVadProgress(2, R, 0, 100);
    G->SetCells(2, R++, "95");
    // comment
    G->AddComment(1, R, "a remark");
    G->SetCells(1, R, "red corner");
    G->AddColorComment(2, R, "blue", 0xFF0000);
    G->SetCells(2, R++, "blue corner");
    // buttons
    G->AddButton(1, R, 80, 20, "Press", haLeft, vaTop);
    G->AddButton(2, R++, 100, 20, "Pushed", haLeft, vaTop);
    G->PushButton(2, R - 1, true);
    TBitmap* Glyph = G->CreateBitButton(1, R++, 90, 20, "Glyph", haLeft, vaTop);
    Glyph->Assign(Bitmap(12, 12, 0x0080FF));
    // shapes
    G->AddShape(1, R, csCircle, 0x00C000, 0x004000, haLeft, vaTop);
    G->AddShape(2, R, csDiamond, 0x00C0FF, 0x0060A0, haLeft, vaTop);
    G->AddShape(3, R++, csArrowUp, 0xC00000, 0x600000, haLeft, vaTop);
    // ratings
    G->AddRating(1, R, 5, 0x00C0FF, 0xD0D0D0);
    G->SetCells(1, R, "2.5");
    G->AddRating(2, R, 5, 0x00C0FF, 0xD0D0D0);
    G->SetCells(2, R++, "4");
    // rotated text
    G->SetRowHeights(R, 40);
    G->AddRotated(1, R, 30, "turned 30");
    G->AddRotated(2, R++, 90, "up");
    // an object that draws itself
    G->AddInterfacedCell(1, R++, Gallery.Ellipse.get());
}

} // namespace gridgallery
