#include "print/VuResources.h"

#include "platform/rtl/Exceptions.h"
#include "platform/win/Colors.h"
#include "print/VuValueList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<TVuBrush> Brush(TColor Color)
{
    auto B = std::make_unique<TVuBrush>();
    B->SetColor(Color);
    return B;
}

TEST(VuResourceTable, InterningCountsAndRelease)
{
    TVuResourceTable T;
    auto RedP = Brush(0x0000FF);
    TVuBrush& Red = *RedP;
    EXPECT_EQ(bsSolid, Red.Style()); // a new colour makes the brush solid
    TVuBrush* A = T.AddBrush(&Red);
    TVuBrush* B = T.AddBrush(&Red);
    ASSERT_EQ(A, B);
    EXPECT_NE(A, &Red); // the caller keeps its own
    EXPECT_EQ(2, T.Brushes()->RefCount(0));
    auto BlueP = Brush(0xFF0000);
    TVuBrush& Blue = *BlueP;
    TVuBrush* C = T.AddBrush(&Blue);
    EXPECT_EQ(2, T.Brushes()->Count());
    T.Brushes()->DeleteResource(A);
    EXPECT_EQ(1, T.Brushes()->RefCount(0));
    T.Brushes()->DeleteResource(A);
    EXPECT_EQ(1, T.Brushes()->Count());
    EXPECT_EQ(C, T.Brushes()->GetBrush(0));
    T.Brushes()->DeleteResource(&Blue); // not an entry: ignored
    EXPECT_EQ(1, T.Brushes()->Count());
    EXPECT_EQ(nullptr, T.Brushes()->GetBrush(-1));
    EXPECT_THROW(T.Fonts()->GetFont(-1), EListError);

    TVuFont F;
    F.SetName("Arial");
    TVuFont Angled;
    Angled.Assign(&F);
    Angled.SetAngle(90);
    TVuFont* F1 = T.AddFont(&F);
    EXPECT_NE(F1, T.AddFont(&Angled)); // the angle is part of a font's identity
    TVuFont Other;
    Other.SetName("arial"); // names are compared case-sensitively
    EXPECT_EQ(3, [&] {
        T.AddFont(&Other);
        return T.Fonts()->Count();
    }());

    TVuPen P;
    P.SetWidth(4);
    T.AddPen(&P);
    T.AddPen(&P);
    T.Clear();
    EXPECT_EQ(0, T.Pens()->Count());
    T.AddPen(&P);
    EXPECT_EQ(1, T.Pens()->RefCount(0));
}

TEST(VuResourceTable, PensOnCanvasesAndPenText)
{
    TVuPen P;
    P.SetWidth(4); // one point
    P.SetColor(0x00FF00);
    std::unique_ptr<TBitmap> Bmp(New<TBitmap>());
    Bmp->SetSize(4, 4);
    struct Case {
        Integer Ppi, Pixels;
    } Cases[] = {{72, 1}, {600, 8}, {96, 1}, {7200, 100}};
    for (const Case& C : Cases) {
        P.AssignToCanvas(Bmp->Canvas(), C.Ppi);
        EXPECT_EQ(C.Pixels, Bmp->Canvas()->Pen()->Width()) << C.Ppi;
    }
    P.SetColor(clNone);
    P.AssignToCanvas(Bmp->Canvas(), 96);
    EXPECT_EQ(psClear, Bmp->Canvas()->Pen()->Style());

    std::unique_ptr<TPen> Pen(New<TPen>());
    PenFromString(Pen.get(), "12632256,1,2,4");
    EXPECT_EQ(12632256u, Pen->Color());
    EXPECT_EQ(psDot, Pen->Style());
    EXPECT_EQ(pmCopy, Pen->Mode());
    EXPECT_EQ("12632256,1,2,4", PenToString(Pen.get()));
}

TEST(VuResourceTable, StreamRoundTripMergesEqualEntriesAndKeepsIndices)
{
    TVuResourceTable T;
    TVuFont A, B, Bold;
    A.SetName("Arial");
    A.SetSize(10);
    B.Assign(&A);
    B.SetSize(14);
    Bold.Assign(&A);
    Bold.SetStyle(TFontStyles{fsBold, fsItalic});
    Bold.SetAngle(45.5);
    T.AddFont(&A);
    T.AddFont(&B);
    T.AddFont(&Bold);
    TVuPen P;
    P.SetWidth(2);
    T.AddPen(&P);
    auto BrP = Brush(0x123456);
    TVuBrush& Br = *BrP;
    T.AddBrush(&Br);
    std::unique_ptr<TBitmap> Pic(New<TBitmap>());
    Pic->SetSize(3, 2);
    Pic->Canvas()->SetPixels(1, 1, 0x0000FF);
    T.AddGraphic(Pic.get());
    EXPECT_EQ(T.Graphics()->GetGraphic(0), T.AddGraphic(Pic.get()));

    TMemoryStream S;
    T.SaveToStream(&S);
    // Make the second font equal to the first in the stored bytes: they must merge on loading
    // and the third stored font must land on index 1.
    S.SetPosition(0);
    TVuResourceTable Back;
    Back.LoadFromStream(&S);
    EXPECT_EQ(S.Size(), S.Position());
    ASSERT_EQ(3, Back.Fonts()->Count());
    EXPECT_TRUE(Back.Fonts()->GetFont(2)->SameAs(Bold));
    EXPECT_TRUE(Back.Brushes()->GetBrush(0)->SameAs(Br));
    EXPECT_TRUE(Back.Pens()->GetPen(0)->SameAs(P));
    ASSERT_EQ(1, Back.Graphics()->Count());
    EXPECT_EQ(0x0000FFu, static_cast<TBitmap*>(Back.Graphics()->GetGraphic(0))->Canvas()->Pixels(1, 1));

    // Two equal fonts stored: one entry, and the stored index map says where each went.
    TMemoryStream Dup;
    Dup.WriteInteger(3);
    A.SaveToStream(&Dup);
    A.SaveToStream(&Dup);
    Bold.SaveToStream(&Dup);
    Dup.SetPosition(0);
    TVuFontList Fonts;
    Fonts.LoadFromStream(&Dup);
    EXPECT_EQ(2, Fonts.Count());
    EXPECT_EQ((std::vector<Integer>{0, 0, 1}), Fonts.LoadedIndex());
    // Objects take their references, then the load lets go of its own: the shared entry stays
    // alive with exactly its users' count.
    TObject* User1 = Fonts.ResolveLoaded(0);
    TObject* User2 = Fonts.ResolveLoaded(1);
    EXPECT_EQ(User1, User2);
    EXPECT_EQ(nullptr, Fonts.ResolveLoaded(7));
    Fonts.EndLoad();
    ASSERT_EQ(1, Fonts.Count()); // the bold font had no user
    EXPECT_EQ(2, Fonts.RefCount(0));
}

TEST(VuResourceTable, BadCountsAndPositionsRefuseTheLoad)
{
    struct Case {
        const char* Name;
        AnsiString Data;
    } Cases[] = {
        {"huge brush count", AnsiString("\xFF\xFF\xFF\x7F", 4)},
        {"negative count", AnsiString("\xFE\xFF\xFF\xFF", 4)},
        {"picture end behind", AnsiString("\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0\x02\x00\0\0\0", 21)},
        {"picture end beyond", AnsiString("\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0\x02\xFF\0\0\0", 21)},
    };
    for (const Case& C : Cases) {
        TMemoryStream S;
        S.WriteString(C.Data);
        S.SetPosition(0);
        TVuResourceTable T;
        EXPECT_THROW(T.LoadFromStream(&S), EReadError) << C.Name;
    }
}

TEST(VuResourceTable, StoredKeysAndDefaults)
{
    TVuFont F;
    F.SetName("Arial");
    F.SetSize(11);
    F.SetStyle(TFontStyles{fsBold});
    TMemoryStream S;
    F.SaveToStream(&S);
    S.SetPosition(0);
    TVuValueList L;
    L.LoadFromStream(&S);
    EXPECT_EQ("CL=0\r\nST=b\r\nFA=0.000\r\nSZ=11\r\nCS=1\r\nFN=Arial\r\n", L.Text());

    TMemoryStream Empty;
    TVuValueList None;
    None.SaveToStream(&Empty);
    Empty.SetPosition(0);
    TVuFont D;
    D.LoadFromStream(&Empty);
    EXPECT_EQ("Arial", D.Name());
    EXPECT_EQ(10, D.Size());
    EXPECT_EQ(16777215u, D.Color());
    Empty.SetPosition(0);
    TVuPen P;
    P.LoadFromStream(&Empty);
    EXPECT_EQ(1, P.Width());
    EXPECT_EQ(pmCopy, P.Mode());
}

// The same text box measured on canvases of three resolutions.
class VuFontMapperTest : public ::testing::Test {
protected:
    static std::unique_ptr<TBitmap> CanvasAt(Integer Ppi)
    {
        std::unique_ptr<TBitmap> B(New<TBitmap>());
        B->SetSize(8, 8);
        B->Canvas()->Font()->SetPixelsPerInch(Ppi);
        B->Canvas()->Font()->SetName("Arial");
        B->Canvas()->Font()->SetSize(10);
        return B;
    }
};

TEST_F(VuFontMapperTest, SameBoxSameBreaksAtEveryResolution)
{
    TVuFontMapper* M = VuFontMapper();
    EXPECT_EQ(7200, CALC_PPI);
    const AnsiString Text = "The quick brown fox jumps over the lazy dog while the prize list is printed "
                            "on paper and shown on the screen at the same words\r\nSecond paragraph.";
    const Extended WidthInch = 2.0;
    std::vector<AnsiString> Reference;
    Extended ReferenceHeight = 0;
    for (Integer Ppi : {96, 600, 7200}) {
        auto B = CanvasAt(Ppi);
        TRect R{0, 0, static_cast<Integer>(WidthInch * Ppi), static_cast<Integer>(3 * Ppi)};
        Extended H = M->TextBox(B->Canvas(), R, Text, vuLeft, false);
        if (Reference.empty()) {
            Reference = M->LaidOutLines();
            ReferenceHeight = H;
            ASSERT_GE(Reference.size(), 3u);
            EXPECT_EQ("Second paragraph.", Reference.back());
        } else {
            EXPECT_EQ(Reference, M->LaidOutLines()) << Ppi;
        }
        EXPECT_NEAR(ReferenceHeight * Ppi, H * Ppi, 1.0) << Ppi;
        // Drawn with carried advances, a line is as wide on the device as it measured.
        M->TextOut(B->Canvas(), 0, 0, nullptr, Reference[0], false);
        long long Sum = 0;
        for (Integer A : M->Advances())
            Sum += A;
        EXPECT_NEAR(M->TextWidth(B->Canvas(), Reference[0]) * Ppi, Extended(Sum), 1.0) << Ppi;
    }
    auto B = CanvasAt(96);
    EXPECT_NEAR(ReferenceHeight,
                M->TextBoxHeight(B->Canvas()->Font(), TRect{0, 0, Integer(WidthInch * CALC_PPI), 0}, Text),
                1e-9);
}

TEST_F(VuFontMapperTest, LayoutRules)
{
    TVuFontMapper* M = VuFontMapper();
    auto B = CanvasAt(600);
    TRect Narrow{0, 0, 180, 600}; // 0.3 inch
    M->TextBox(B->Canvas(), Narrow, "a Unbreakablewordwiderthanthebox b", vuLeft, false);
    EXPECT_EQ((std::vector<AnsiString>{"a Unbreakablewordwiderthanthebox", "b"}), M->LaidOutLines());

    TRect Wide{0, 0, 6000, 600};
    Extended H3 = M->TextBox(B->Canvas(), Wide, "one\r\ntwo\r\nthree", vuLeft, false);
    EXPECT_EQ(3u, M->LaidOutLines().size());
    EXPECT_NEAR(3 * M->TextHeight(B->Canvas(), "x"), H3, 1e-9);
    EXPECT_EQ(0, M->TextBox(B->Canvas(), Wide, "", vuLeft, false));
    EXPECT_TRUE(M->LaidOutLines().empty());

    M->WordWrap = false;
    M->TextBox(B->Canvas(), Narrow, "many words in one line", vuLeft, false);
    EXPECT_EQ(1u, M->LaidOutLines().size());
    M->WordWrap = true;

    // Carry: advances at 96 dpi never drift more than a pixel from the measured width.
    const AnsiString Long = "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii";
    auto S = CanvasAt(96);
    M->TextOut(S->Canvas(), 0, 0, nullptr, Long, false);
    long long Sum = 0;
    for (Integer A : M->Advances())
        Sum += A;
    EXPECT_NEAR(M->TextWidth(S->Canvas(), Long) * 96, Extended(Sum), 1.0);
}

} // namespace
