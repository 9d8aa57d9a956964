#include "print/VuObjects.h"

#include "platform/forms/Printers.h"
#include "platform/rtl/Exceptions.h"
#include "platform/testing/Commands.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A table with one pen, brush and font and a small picture, and one object of every id.
struct Scene {
    TVuResourceTable Table;
    std::vector<std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)>> Objects;
    std::unique_ptr<TBitmap> Picture{New<TBitmap>()};

    Scene()
    {
        TVuPen Pen;
        Pen.SetWidth(8);
        Pen.SetColor(0x0000FF);
        TVuBrush Brush;
        Brush.SetColor(0x00FF00);
        TVuFont Font;
        Font.SetName("Arial");
        Font.SetSize(12);
        Picture->SetSize(4, 4);
        Picture->Canvas()->Brush()->SetColor(0xFF0000);
        Picture->Canvas()->FillRect(TRect{0, 0, 4, 4});
        for (Integer Id = 0; Id < 20; ++Id) {
            TVuBaseObject* O = CreateVuObject(Id, &Table);
            O->UserID = 100 + Id;
            if (auto* S = dynamic_cast<TVuOutlineShape*>(O))
                S->SetPen(Table.AddPen(&Pen));
            if (auto* S = dynamic_cast<TVuSolidShape*>(O))
                S->SetBrush(Table.AddBrush(&Brush));
            if (auto* T = dynamic_cast<TVuBaseTextObject*>(O)) {
                T->SetFont(Table.AddFont(&Font));
                T->SetCaption(Id == 0 ? "Page {PAGE} of {NUMPAGES}" : "Boxed prize text");
            }
            // Each object in its own band of the page, 0.5 inch high.
            Extended Top = 0.2 + 0.5 * Id;
            if (auto* S = dynamic_cast<TVuBaseSolidShape*>(O))
                S->SetCoords(vuInches, VuRect(0.5, Top, 3, Top + 0.4));
            if (auto* C = dynamic_cast<TVuComplexShape*>(O))
                C->SetCoords(vuInches, VuComplexCoords(0.5, Top, 3, Top + 0.4, 3, Top, 0.5, Top));
            if (auto* R = dynamic_cast<TVuSemiComplexShape*>(O); R && Id == 4) {
                R->SetX3(vuInches, 0.1);
                R->SetY3(vuInches, 0.1);
            }
            if (auto* P = dynamic_cast<TVuPolyBaseObject*>(O))
                P->SetPoints(vuInches, {{0.5, Top}, {1.5, Top + 0.4}, {2.5, Top}, {3, Top + 0.4}});
            if (auto* P = dynamic_cast<TVuPathObject*>(O))
                P->PathType = vuCloseFigure;
            if (auto* C = dynamic_cast<TVuBaseClipObject*>(O))
                C->ClipRect = VuRect(0, 0, 8, 11);
            if (auto* C = dynamic_cast<TVuClipRoundRectObject*>(O))
                C->CornerSize = VuPoint(0.25, 0.125);
            if (auto* G = dynamic_cast<TVuGraphicObject*>(O))
                G->SetGraphic(Picture.get());
            if (auto* B = dynamic_cast<TVuTextBoxObject*>(O)) {
                B->SetAlignment(taCenter);
                B->SetVertAlignment(vuMiddle);
                B->SetPadding(0.05);
                B->TextHeight = 0.3;
            }
            Objects.emplace_back(O, [](TVuBaseObject* P) { P->Free(); });
        }
    }

    void DrawAll(TCanvas* Canvas, Integer Ppi, Integer Page = 1, Integer Pages = 1)
    {
        TVuObjectDrawData D{Page, Ppi, Ppi, Pages, false};
        for (auto& O : Objects)
            if (!dynamic_cast<TVuBaseClipObject*>(O.get()) && !dynamic_cast<TVuPathObject*>(O.get()))
                O->Draw(Canvas, D);
    }
};

AnsiString Stored(TVuBaseObject* O)
{
    TVuValueList L;
    O->SaveToValueList(&L);
    return L.Text();
}

TEST(VuObjects, EveryObjectSavesAndLoadsBackEqual)
{
    Scene S;
    TMemoryStream Doc;
    S.Table.SaveToStream(&Doc);
    for (auto& O : S.Objects)
        O->SaveToStream(&Doc);

    Doc.SetPosition(0);
    TVuResourceTable Back;
    Back.LoadFromStream(&Doc);
    for (auto& O : S.Objects) {
        Integer Id = Doc.ReadInteger();
        ASSERT_EQ(O->ObjectID(), Id);
        std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)> L(CreateVuObject(Id, &Back),
                                                                   [](TVuBaseObject* P) { P->Free(); });
        L->LoadFromStream(&Doc);
        EXPECT_EQ(Stored(O.get()), Stored(L.get())) << Id;
    }
    Back.EndLoad();
    // Every loaded object holds its reference: 18 objects share the one pen.
    EXPECT_EQ(1, Back.Pens()->Count());
    EXPECT_EQ(S.Table.Pens()->RefCount(0), Back.Pens()->RefCount(0));
    EXPECT_EQ(nullptr, CreateVuObject(20, &Back));
    EXPECT_EQ(nullptr, CreateVuObject(-1, &Back));
}

TEST(VuObjects, StoredKeys)
{
    TVuResourceTable T;
    TVuFont F;
    struct Case {
        Integer Id;
        std::function<void(TVuBaseObject*)> Set;
        const char* Text;
    } Cases[] = {
        {0, [&](TVuBaseObject* O) { static_cast<TVuTextObject*>(O)->SetFont(T.AddFont(&F)); },
         "\r\n\r\nID=0\r\nUI=-1\r\nCR=-1000,-1000,-1000,-1000\r\nXY=0,0\r\nF=0\r\n"},
        {14, [&](TVuBaseObject* O) { static_cast<TVuTextBoxObject*>(O)->SetFont(T.AddFont(&F)); },
         "\r\n\r\nID=14\r\nUI=-1\r\nCR=-1000,-1000,-1000,-1000\r\nXY=0,0\r\nF=0\r\nXY2=0,0\r\nTP=0.000\r\n"
         "TH=0.000\r\n"},
        {16,
         [](TVuBaseObject* O) {
             static_cast<TVuPolylineObject*>(O)->SetPoints(vuInches, {{1, 2}, {3, 4}, {0.0625, 0}});
         },
         "\r\n\r\nID=16\r\nUI=-1\r\nSZ=3\r\nXY0=1000,2000\r\nXY1=3000,4000\r\nXY2=62,0\r\n"},
        {8, [](TVuBaseObject*) {}, "\r\n\r\nID=8\r\nUI=-1\r\nPT=0\r\n"},
        {11, [](TVuBaseObject* O) { static_cast<TVuClipRoundRectObject*>(O)->ClipRect = VuRect(1, 1, 2, 2); },
         "\r\n\r\nID=11\r\nUI=-1\r\nXY=1000,1000,2000,2000\r\nXY3=0,0\r\n"},
    };
    for (const Case& C : Cases) {
        std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)> O(CreateVuObject(C.Id, &T),
                                                                   [](TVuBaseObject* P) { P->Free(); });
        C.Set(O.get());
        EXPECT_EQ(C.Text, Stored(O.get())) << C.Id;
    }

    // A text object's font index must name a font.
    TVuValueList L;
    L.SetText("\r\n\r\nID=0\r\nF=3\r\n");
    TVuTextObject Text(&T);
    EXPECT_THROW(Text.LoadFromValueList(&L), EListError);
    // A point count beyond the stored lines is refused.
    L.SetText("SZ=100000000\r\n");
    TVuPolygonObject Poly(&T);
    EXPECT_THROW(Poly.LoadFromValueList(&L), EConvertError);
}

TEST(VuObjects, MovingAndCopyOnWrite)
{
    TVuResourceTable T;
    TVuRoundRectShape R(&T);
    R.SetCoords(vuInches, VuRect(1, 1, 2, 2));
    R.SetX3(vuInches, 0.25);
    R.OffsetObject(25.4, 25.4, vuMillimeters);
    EXPECT_TRUE(EqualVuRects(VuRect(2, 2, 3, 3), R.GetCoords(vuInches)));
    EXPECT_DOUBLE_EQ(0.25, R.GetX3(vuInches));

    TVuArcShape A(&T);
    A.SetCoords(vuMillimeters, VuComplexCoords(25.4, 50.8, 0, 0, 0, 0, 0, 254));
    EXPECT_DOUBLE_EQ(2, A.GetCoords(vuInches).Y);
    EXPECT_DOUBLE_EQ(10, A.GetY4(vuInches));

    TVuTextObject Txt(&T);
    Txt.SetClipRect(vuInches, VuRect(0, 0, 1, 1));
    Txt.OffsetObject(1, 1, vuInches);
    EXPECT_DOUBLE_EQ(1, Txt.GetX(vuInches));
    EXPECT_TRUE(EqualVuRects(VuRect(0, 0, 1, 1), Txt.GetClipRect(vuInches)));

    // Copy on write: the shared pen is never changed in place.
    TVuPen Thin;
    Thin.SetWidth(1);
    TVuLineObject L1(&T), L2(&T);
    L1.SetPen(T.AddPen(&Thin));
    L2.SetPen(T.AddPen(&Thin));
    TVuPen* Shared = L1.Pen();
    int Changes = 0;
    L1.OnChange = [&](TObject*) { ++Changes; };
    L1.GetPen()->SetWidth(4);
    EXPECT_EQ(1, Changes);
    EXPECT_EQ(4, L1.Pen()->Width());
    EXPECT_EQ(Shared, L2.Pen());
    EXPECT_EQ(1, Shared->Width());
    EXPECT_EQ(2, T.Pens()->Count());
    EXPECT_EQ(1, T.Pens()->RefCount(0));
    TVuLineObject NoPen(&T);
    EXPECT_THROW(NoPen.GetPen(), EConvertError);
    TVuRectangleShape NoBrush(&T);
    EXPECT_EQ(bsClear, NoBrush.GetBrush()->Style());
}

TEST(VuObjects, DrawOnBitmapsAtAnyResolution)
{
    Scene S;
    for (Integer Ppi : {96, 300}) {
        std::unique_ptr<TBitmap> B(New<TBitmap>());
        B->SetSize(Integer(3.5 * Ppi), Integer(10.5 * Ppi));
        B->Canvas()->Brush()->SetColor(clWhite);
        B->Canvas()->FillRect(TRect{0, 0, B->Width(), B->Height()});
        S.DrawAll(B->Canvas(), Ppi);
        // The rectangle (id 2) is filled green inside, the picture (13) blue.
        auto Centre = [&](Integer Id) {
            Extended Y = 0.2 + 0.5 * Id + 0.2;
            return B->Canvas()->Pixels(Integer(1.75 * Ppi), Integer(Y * Ppi));
        };
        EXPECT_EQ(0x00FF00u, Centre(2)) << Ppi;
        EXPECT_EQ(0x00FF00u, Centre(3)) << Ppi;
        EXPECT_EQ(0xFF0000u, Centre(13)) << Ppi;
        // Bounding boxes scale with the resolution.
        TVuRectPoints Box = S.Objects[2]->InheritsFrom<TVuVisibleObject>()
                                ? static_cast<TVuVisibleObject*>(S.Objects[2].get())
                                      ->BoundingRect(TVuObjectDrawData{1, Ppi, Ppi, 1, false})
                                : TVuRectPoints{};
        EXPECT_NEAR(0.5 * Ppi, Box.TopLeft.X, 2);
        EXPECT_NEAR(3 * Ppi, Box.BottomRight.X, 2);
    }
}

// A text object given no font draws with the canvas's font and is stored without one; what is
// saved that way must load again (as an object without a font), for both text classes.
TEST(VuObjects, TextWithoutAFontSavesAndLoads)
{
    for (Integer Id : {0, 14}) {
        TVuResourceTable Table;
        std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)> O(CreateVuObject(Id, &Table),
                                                                   [](TVuBaseObject* P) { P->Free(); });
        auto* T = static_cast<TVuBaseTextObject*>(O.get());
        T->SetCaption("No font given");
        TMemoryStream S;
        Table.SaveToStream(&S);
        O->SaveToStream(&S);
        S.SetPosition(0);
        TVuResourceTable Back;
        Back.LoadFromStream(&S);
        ASSERT_EQ(Id, S.ReadInteger());
        std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)> L(CreateVuObject(Id, &Back),
                                                                   [](TVuBaseObject* P) { P->Free(); });
        ASSERT_NO_THROW(L->LoadFromStream(&S)) << Id;
        Back.EndLoad();
        auto* LT = static_cast<TVuBaseTextObject*>(L.get());
        EXPECT_EQ("No font given", LT->Caption()) << Id;
        EXPECT_EQ(nullptr, LT->Font()) << Id;
        EXPECT_EQ(Stored(O.get()), Stored(L.get())) << Id;
    }
    // A font index that names no entry is still a damaged stream.
    TVuResourceTable Table;
    TVuValueList List;
    List.WriteIntValue("F", 3);
    std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)> O(CreateVuObject(0, &Table),
                                                               [](TVuBaseObject* P) { P->Free(); });
    EXPECT_THROW(O->LoadFromValueList(&List), EListError);
}

// The "to" shapes draw from their own first point: whatever the context's current point was
// left at by earlier drawing adds no line to them.
TEST(VuObjects, ToShapesStartAtTheirFirstPoint)
{
    for (Integer Id : {18, 19}) {
        TVuResourceTable Table;
        TVuPen Pen;
        Pen.SetColor(clBlack);
        Pen.SetWidth(1);
        std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)> O(CreateVuObject(Id, &Table),
                                                                   [](TVuBaseObject* P) { P->Free(); });
        auto* P = static_cast<TVuPolyBaseObject*>(O.get());
        P->SetPen(Table.AddPen(&Pen));
        P->SetPoints(vuInches, {{1, 1}, {1.25, 1}, {1.75, 1}});
        std::unique_ptr<TBitmap> B(New<TBitmap>());
        B->SetSize(200, 200);
        B->Canvas()->Brush()->SetColor(clWhite);
        B->Canvas()->FillRect(TRect{0, 0, 200, 200});
        MoveToEx(B->Canvas()->Handle(), 0, 199, nullptr); // where something else ended
        O->Draw(B->Canvas(), TVuObjectDrawData{1, 96, 96, 1, false});
        EXPECT_NE(0xFFFFFFu, B->Canvas()->Pixels(96, 96) & 0xFFFFFFu) << Id;  // its first point
        EXPECT_NE(0xFFFFFFu, B->Canvas()->Pixels(150, 96) & 0xFFFFFFu) << Id; // along it
        // Nothing between the old current point (0, 199) and the shape.
        int Stray = 0;
        for (Integer X = 0; X < 90; ++X)
            for (Integer Y = 100; Y < 200; ++Y)
                Stray += (B->Canvas()->Pixels(X, Y) & 0xFFFFFFu) != 0xFFFFFFu;
        EXPECT_EQ(0, Stray) << Id;
    }
}

class VuObjectsPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::UsePrinters("[PDF]\nFolder=" + Folder.string() + "\nResolution=600\nPaper=A4\n");
        delete SetPrinter(new TPrinter);
    }
    void TearDown() override { delete SetPrinter(nullptr); }
    // The "Pages:" line of pdfinfo.
    static int PageCount(const std::string& Info)
    {
        size_t At = Info.find("Pages:");
        return At == std::string::npos ? -1 : std::atoi(Info.c_str() + At + 6);
    }
    uitest::TempFolder Temp{"drawmere-print"};
    fs::path Folder = Temp.Path();
};

TEST_F(VuObjectsPrintTest, EveryObjectOnAFilePrinter)
{
    Scene S;
    S.Objects[5]->Printable = false; // the arc stays on the screen only
    TPrinter* P = Printer();
    P->SetTitle("Objects");
    P->BeginDoc();
    TCanvas* C = P->Canvas();
    EXPECT_TRUE(IsPrinterCanvas(C));
    Integer Ppi = GetDeviceCaps(C->Handle(), LOGPIXELSX);
    EXPECT_EQ(600, Ppi);
    S.DrawAll(C, Ppi, 2, 7);
    P->EndDoc();
    fs::path Pdf = Folder / "Objects.pdf";
    ASSERT_TRUE(fs::exists(Pdf));
    std::string Info = uitest::CommandOutput("pdfinfo '" + Pdf.string() + "'");
    EXPECT_EQ(1, PageCount(Info)) << Info;
    std::string Text = uitest::CommandOutput("pdftotext -layout '" + Pdf.string() + "' -");
    EXPECT_NE(std::string::npos, Text.find("Page 2 of 7")) << Text;
    EXPECT_NE(std::string::npos, Text.find("Boxed prize text")) << Text;
}

} // namespace
