#include "print/VuCanvas.h"

#include <gtest/gtest.h>

namespace {

// A one-page document whose user margins start one inch in.
class TestDocument : public TVuCanvasTarget {
public:
    TVuResourceTable Table;
    TVuBaseObjectList Page;
    TVuResourceTable* ResourceTable() override { return &Table; }
    void AddObject(TVuBaseObject* Object, TVuCoordsRelative Relative) override
    {
        if (Relative == vuFromUserMargins)
            Object->OffsetObject(1, 1, vuInches);
        Page.AddObject(Object);
    }
    template <class T> T* At(Integer I) { return dynamic_cast<T*>(Page.GetObject(I)); }
};

TEST(VuCanvas, RecordsShapesWithCapturedTools)
{
    TestDocument Doc;
    TVuCanvas C(&Doc);
    C.SetPenValues(4, 0x0000FF, psSolid);
    C.Line(0, 0, 25.4, 25.4); // millimetres by default
    C.MoveTo(1, 1, vuInches);
    C.LineTo(2, 1, vuInches);
    C.LineTo(2, 2, vuInches);
    C.Rectangle(0, 0, 1, 1, vuInches);
    C.SetPenValues(8, 0x0000FF, psSolid);
    C.Ellipse(0, 0, 1, 1, vuInches);
    ASSERT_EQ(5, Doc.Page.Count());
    auto* L = Doc.At<TVuLineObject>(0);
    EXPECT_DOUBLE_EQ(1, L->GetX2(vuInches));
    EXPECT_EQ(4, L->Pen()->Width());
    EXPECT_TRUE(EqualVuRects(VuRect(1, 1, 2, 1), Doc.At<TVuLineObject>(1)->GetCoords(vuInches)));
    EXPECT_TRUE(EqualVuRects(VuRect(2, 1, 2, 2), Doc.At<TVuLineObject>(2)->GetCoords(vuInches)));
    EXPECT_TRUE(EqualVuPoints(VuPoint(2, 2), C.GetPenPos(vuInches)));
    EXPECT_EQ(nullptr, L->InheritsFrom<TVuSolidShape>() ? static_cast<TVuSolidShape*>(L)->Brush() : nullptr);
    EXPECT_EQ(bsClear, Doc.At<TVuRectangleShape>(3)->Brush()->Style());
    EXPECT_EQ(2, Doc.Table.Pens()->Count()); // width 4 shared by four objects, width 8
    EXPECT_EQ(4, Doc.Table.Pens()->RefCount(0));
    EXPECT_EQ(Doc.At<TVuEllipseShape>(4), C.LastObject());

    C.CoordsRelativeTo = vuFromUserMargins;
    C.Line(0, 0, 1, 0, vuInches);
    EXPECT_DOUBLE_EQ(1, Doc.At<TVuLineObject>(5)->GetX(vuInches));
    C.BeginPath();
    C.SetClipRect(0, 0, 1, 1, vuInches);
    EXPECT_EQ(Doc.At<TVuLineObject>(5), C.LastObject()); // paths and clips do not replace it
}

TEST(VuCanvas, TextAndTextBoxes)
{
    TestDocument Doc;
    TVuCanvas C(&Doc);
    EXPECT_EQ(0, C.TextWidth("")->Value());
    TVuValue* W = C.TextWidth("Prize");
    EXPECT_EQ(W, C.TextWidth("Prize list")); // one pair, overwritten
    EXPECT_GT(W->Value(), 0.3);

    C.RotateOut(1, 1, 90, "Up", vuInches);
    C.TextOut(1, 1, "Flat", vuInches);
    EXPECT_EQ(90, Doc.At<TVuTextObject>(0)->Font()->Angle());
    EXPECT_EQ(0, Doc.At<TVuTextObject>(1)->Font()->Angle());

    const AnsiString Text = "A prize list line that wraps over several lines in a narrow box";
    TVuTextBoxObject* Auto = C.TextBox(0, 0, 1.5, 0, Text, vuInches);
    Extended Pad = 1 / 25.4;
    Extended Needed = C.TextBoxHeight(1.5, Text, vuInches);
    EXPECT_NEAR(Needed, Auto->GetY2(vuInches), 1e-12);
    EXPECT_NEAR(Needed, Auto->TextHeight, 1e-12);
    EXPECT_GT(Needed, 2 * C.TextHeight("A")->Value() + 2 * Pad); // more than one line
    TVuTextBoxObject* Fixed = C.TextBox(0, 1, 1.5, 3, Text, taLeftJustify, vuTop, vuInches);
    EXPECT_DOUBLE_EQ(3, Fixed->GetY2(vuInches));
    EXPECT_DOUBLE_EQ(2, Fixed->TextHeight);
    TVuTextBoxObject* Bottom = C.TextBox(0, 1, 1.5, 3, Text, taRightJustify, vuBottom, vuInches);
    EXPECT_DOUBLE_EQ(3, Bottom->GetY2(vuInches));
    EXPECT_NEAR(Needed, Bottom->TextHeight, 1e-12);
    EXPECT_EQ(taRightJustify, Bottom->Alignment());

    C.TextClipped(2, 1, "Right", 1, vuRight, vuInches);
    auto* Clipped = Doc.At<TVuTextObject>(Doc.Page.Count() - 1);
    TVuRect R = Clipped->GetClipRect(vuInches);
    EXPECT_DOUBLE_EQ(1, R.Left);
    EXPECT_DOUBLE_EQ(2, R.Right);
    EXPECT_NEAR(2 - C.TextWidth("Right")->Value(), Clipped->GetX(vuInches), 1e-12);
}

TEST(VuCanvas, SavedPropertiesAndPictures)
{
    TestDocument Doc;
    TVuCanvas C(&Doc);
    C.SetPenValues(4, 0x0000FF, psSolid);
    C.SaveCanvasProperties();
    C.SetPenValues(12, 0x00FF00, psDash);
    C.LoadCanvasProperties();
    EXPECT_EQ(4, C.Pen()->Width());
    C.SetPenValues(8, 0, psSolid);
    C.SaveCanvasProperties(); // one slot: overwrites
    C.SetPenValues(1, 0, psSolid);
    C.LoadCanvasProperties();
    EXPECT_EQ(8, C.Pen()->Width());

    std::unique_ptr<TBitmap> B(New<TBitmap>());
    B->SetSize(96, 48);
    C.Draw(1, 1, B.get(), 2, vuInches);
    auto* G = Doc.At<TVuGraphicObject>(0);
    EXPECT_TRUE(EqualVuRects(VuRect(1, 1, 3, 2), G->GetCoords(vuInches)));
    EXPECT_EQ(1, Doc.Table.Graphics()->Count());
    EXPECT_DOUBLE_EQ(0.5, C.GraphicExtent(B.get())->Height()->Value());
}

} // namespace
