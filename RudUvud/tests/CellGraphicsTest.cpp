// Cell graphics: the graphic object (setters, copying, fitted picture sizes, ownership), the grid's
// store (attaching, replacing, freeing, the shared row check box), the sizes graphics take on screen
// and in print, and the displayed text with links and group counts.

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/exchange/GridSettings.h"
#include "RudUvud/tests/GraphicTestSupport.h"

#include "platform/forms/ImgList.h"

#include <gtest/gtest.h>

namespace {

using graphictest::SolidBitmap;
using graphictest::SolidPicture;

class TGraphicGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    void SetNodeCount(Integer N) { FCore.FNodeCount = N; }
};

class CellGraphicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TGraphicGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetColCount(5);
        G->SetRowCount(8);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TGraphicGrid* G = nullptr;
};

// A graphic reporting its own size, as an application's ICellGraphic does.
class TSizedGraphic : public TInterfacedPersistent, public ICellGraphic {
public:
    void Draw(TCanvas*, const TRect&, Integer, Integer, bool, TDidAririzEvar*) override {}
    Integer GetWidth() override { return 33; }
    Integer GetHeight() override { return 7; }
    bool IsBackground() override { return false; }
};

TEST(CellGraphic, AnglesFoldIntoOneTurn)
{
    const struct {
        SmallInt In;
        Integer Out;
    } Cases[] = {{-30, 330}, {720, 360}, {360, 360}, {0, 0}, {-360, 0}, {361, 1}, {-750, 330}};
    for (const auto& C : Cases) {
        TCellGraphic G;
        G.SetAngle(C.In);
        EXPECT_EQ(G.CellType, ctRotated);
        EXPECT_EQ(G.CellAngle, C.Out) << C.In;
    }
}

TEST(CellGraphic, SettersTouchOnlyTheirFields)
{
    TCellGraphic G;
    EXPECT_EQ(G.CellType, ctNone);
    G.CellCreated = true;
    G.CellText = "keep";
    G.SetCheckBox(true, true, true, haCenter, vaCenter);
    EXPECT_EQ(G.CellType, ctDataCheckBox);
    EXPECT_TRUE(G.CellBoolean);
    EXPECT_TRUE(G.CellCreated); // no setter but SetMultiImage touches ownership
    EXPECT_EQ(G.CellText, "keep");
    G.SetCheckBox(false, false, false, haLeft, vaTop);
    EXPECT_EQ(G.CellType, ctCheckBox);

    G.SetButton(40, 20, "Go", haRight, vaBottom);
    EXPECT_EQ(G.CellType, ctButton);
    EXPECT_EQ(G.CellIndex, 40 + 20 * 65536);
    EXPECT_EQ(G.CellText, "Go");
    EXPECT_FALSE(G.CellBoolean);
    EXPECT_EQ(G.CellHAlign, haRight);
    EXPECT_EQ(G.CellVAlign, vaBottom);
    G.CellCreated = false;
}

TEST(CellGraphic, ACopyHasNoObjectOfItsOwn)
{
    TCellGraphic Owner;
    Owner.SetBitmap(SolidBitmap(8, 8, clRed), true, haCenter, vaCenter);
    Owner.CellCreated = true;
    Owner.SetGraphicExtraColor(clBlue);
    Owner.SetGroupTag(-1);
    Owner.CellErrFrom = 2;
    Owner.CellErrLen = 3;
    Owner.CellValue = 1.5;
    TCellGraphic Copy;
    Copy.Assign(&Owner);
    EXPECT_EQ(Copy.CellType, ctBitmap);
    EXPECT_TRUE(Copy.CellCreated);
    EXPECT_TRUE(Copy.CellTransparent);
    EXPECT_EQ(Copy.Graphic(), nullptr);
    EXPECT_EQ(Copy.GraphicExtraColor(), TColor(0));
    EXPECT_FALSE(Copy.GroupTag().has_value());
    EXPECT_EQ(Copy.CellErrFrom, 2);
    EXPECT_EQ(Copy.CellErrLen, 3);
    EXPECT_EQ(Copy.CellValue, 1.5);
    // Both go out of scope: the bitmap is freed once, by its owner (the sanitizers check).
}

TEST(CellGraphic, OwnedObjectsGoWithTheGraphicAndLentOnesStay)
{
    TBitmap* Lent = SolidBitmap(4, 4, clRed);
    {
        TCellGraphic G;
        G.SetBitmap(Lent, false, haLeft, vaTop);
    }
    EXPECT_EQ(Lent->Width(), 4); // still alive
    Lent->Free();
    {
        // Always owned: an image index list and a balloon's lines.
        TCellGraphic G;
        G.SetMultiImage(1, 2, 0, haLeft, vaTop, nullptr);
        EXPECT_TRUE(G.CellCreated);
        EXPECT_TRUE(G.CellBoolean);
        G.IntList()->Add(3);
        G.SetMultiImage(1, 2, 1, haLeft, vaTop, nullptr); // the earlier list goes
        EXPECT_FALSE(G.CellBoolean);
        TCellGraphic B;
        B.CellType = ctBalloon;
        B.SetGraphic(New<TStringList>());
        TCellGraphic I;
        I.SetIcon(graphictest::SquareIcon(16), haLeft, vaTop);
        I.CellCreated = true;
        // Colours of colour-only kinds are never taken for objects.
        TCellGraphic P;
        P.CellType = ctProgress;
        P.CellCreated = true;
        P.SetGraphicColor(clRed);
    }
}

TEST(CellGraphic, PicturesAreFittedByStretchMode)
{
    const struct {
        Integer PW, PH, Padding;
        TStretchMode Mode;
        Integer CellW;
        TPoint Want;
    } Cases[] = {
        {200, 100, 0, StretchWithAspectRatio, 100, {100, 50}},
        {200, 100, 0, ShrinkWithAspectRatio, 100, {100, 50}},
        {50, 20, 0, ShrinkWithAspectRatio, 100, {50, 20}},
        {50, 20, 0, Stretch, 100, {100, 100}},
        {50, 20, 0, StretchWithAspectRatio, 100, {100, 40}},
        {50, 20, 0, Shrink, 100, {50, 20}},
        {50, 120, 0, Shrink, 100, {100, 100}},
        {50, 120, 0, ShrinkWithAspectRatio, 100, {42, 100}},
        {200, 100, 0, noStretch, 100, {200, 100}},
        {200, 100, 10, StretchWithAspectRatio, 100, {90, 45}},
        {50, 20, 10, Stretch, 100, {90, 90}},
        // Halves round to the even neighbour: 0.5 to 0, 1.5 to 2, 2.5 to 2.
        {400, 1, 0, StretchWithAspectRatio, 200, {200, 0}},
        {400, 3, 0, StretchWithAspectRatio, 200, {200, 2}},
        {400, 5, 0, StretchWithAspectRatio, 200, {200, 2}},
    };
    for (const auto& C : Cases) {
        TPicture* P = SolidPicture(C.PW, C.PH, clGreen);
        TCellGraphic G;
        G.SetPicture(P, false, C.Mode, C.Padding, haLeft, vaTop);
        EXPECT_EQ(G.CellAngle, C.Mode);
        EXPECT_EQ(G.CellIndex, C.Padding);
        EXPECT_EQ(G.GetPictureSize(C.CellW, 100, true), C.Want) << C.PW << "x" << C.PH << " mode " << C.Mode;
        P->Free();
    }
    TCellGraphic Other;
    Other.SetCheckBox(true, false, false, haLeft, vaTop);
    EXPECT_EQ(Other.GetPictureSize(100, 100, false), (TPoint{0, 0}));
}

TEST_F(CellGraphicsTest, AttachingKeepsTheTextAndReplacingFreesTheOldGraphic)
{
    TCellGraphic* A = G->CreateCellGraphic(1, 1);
    EXPECT_EQ(G->Cells(1, 1), "");
    EXPECT_EQ(G->GetCellGraphic(1, 1), A);
    EXPECT_EQ(G->GetCellType(1, 1), ctNone);
    A->SetBitmap(SolidBitmap(10, 10, clRed), false, haLeft, vaTop);
    A->CellCreated = true;

    G->SetCells(2, 1, "text");
    G->CreateCellGraphic(2, 1)->SetCheckBox(true, false, false, haLeft, vaTop);
    EXPECT_EQ(G->Cells(2, 1), "text");
    EXPECT_EQ(G->GetCellType(2, 1), ctCheckBox);

    // A second graphic replaces the first, which frees its bitmap (LeakSanitizer checks).
    TCellGraphic* B = G->CreateCellGraphic(1, 1);
    EXPECT_NE(G->GetCellGraphic(1, 1), nullptr);
    EXPECT_EQ(G->GetCellGraphic(1, 1), B);
    EXPECT_EQ(G->GetCellType(1, 1), ctNone);

    EXPECT_FALSE(G->RemoveCellGraphic(2, 1, ctRadio));
    EXPECT_EQ(G->GetCellType(2, 1), ctCheckBox);
    EXPECT_TRUE(G->RemoveCellGraphic(2, 1, ctCheckBox));
    EXPECT_EQ(G->GetCellType(2, 1), ctEmpty);
    EXPECT_EQ(G->GetCellGraphic(2, 1), nullptr);
    EXPECT_FALSE(G->FreeCellGraphic(2, 1));
    EXPECT_FALSE(G->FreeCellGraphic(3, 3)); // no record at all

    // Answers for cells without graphic and for indexes outside the grid.
    EXPECT_EQ(G->GetCellType(-1, 1), ctEmpty);
    EXPECT_EQ(G->GetCellType(1, -1), ctEmpty);
    EXPECT_EQ(G->GetCellGraphic(-1, 1), nullptr);
    EXPECT_EQ(G->GetCellImageIdx(4, 4), -1);
    EXPECT_EQ(G->GetCellImages(4, 4), nullptr);
    EXPECT_EQ(G->GetCellGraphicSize(4, 4), (TPoint{0, 0}));
    EXPECT_EQ(G->GetPrintGraphicSize(4, 4, 100, 100, 1.0), (TPoint{0, 0}));
}

TEST_F(CellGraphicsTest, AnotherObjectInTheSlotIsNoGraphic)
{
    TStringList Foreign;
    G->SetGraphicObjectEx(1, 2, &Foreign);
    EXPECT_EQ(G->GetCellGraphic(1, 2), nullptr);
    EXPECT_EQ(G->GetCellType(1, 2), ctEmpty);
    EXPECT_FALSE(G->FreeCellGraphic(1, 2));
    G->SetGraphicObjectEx(1, 2, nullptr);
}

TEST_F(CellGraphicsTest, ImageQueriesByKind)
{
    TBitmap* B = SolidBitmap(5, 5, clRed);
    G->CreateCellGraphic(1, 1)->SetBitmap(B, false, haLeft, vaTop);
    EXPECT_EQ(G->GetCellImageIdx(1, 1), reinterpret_cast<std::intptr_t>(B));
    G->CreateCellGraphic(1, 2)->SetImageIdx(7, haLeft, vaTop);
    EXPECT_EQ(G->GetCellImageIdx(1, 2), 7);
    G->CreateCellGraphic(1, 3)->SetDataImage(7, haLeft, vaTop);
    EXPECT_EQ(G->GetCellImageIdx(1, 3), -1);
    TCellGraphic* M = G->CreateCellGraphic(1, 4);
    Integer Changed = -1;
    M->SetMultiImage(1, 4, 0, haLeft, vaTop, [&](TObject*, Integer C, Integer R) { Changed = C * 100 + R; });
    ASSERT_NE(G->GetCellImages(1, 4), nullptr);
    G->GetCellImages(1, 4)->Add(2);
    EXPECT_EQ(Changed, 104);
    EXPECT_EQ(G->GetCellImages(1, 1), nullptr);
    B->Free();
    G->FreeCellGraphic(1, 1);
}

TEST_F(CellGraphicsTest, TheRowCheckBoxStandsInForColumnZeroAndIsNeverFreed)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->CreateCellGraphic(0, 2)->SetCheckBox(true, false, false, haLeft, vaTop);
    G->CreateCellGraphic(0, 4)->SetRadioButton(true, false, haLeft, vaTop);
    G->MouseActions()->SetHotmailRowSelect(true);
    G->SetRowSelect(3, true);

    EXPECT_EQ(G->GetCellType(0, 2), ctRowCheckBox); // even over a graphic of its own
    EXPECT_EQ(G->GetCellType(0, 5), ctRowCheckBox); // and in a cell without one
    TCellGraphic* Shared = G->GetCellGraphic(0, 3);
    ASSERT_NE(Shared, nullptr);
    EXPECT_EQ(Shared->CellType, ctRowCheckBox);
    EXPECT_TRUE(Shared->CellBoolean);
    EXPECT_FALSE(Shared->CellTransparent);
    EXPECT_EQ(G->GetCellGraphic(0, 2), Shared);
    EXPECT_FALSE(Shared->CellBoolean);
    G->ControlLook()->ControlStyle = RudUvudLook::csFlat;
    EXPECT_TRUE(G->GetCellGraphic(0, 2)->CellTransparent);
    EXPECT_FALSE(G->GetCellGraphic(0, 99)->CellBoolean); // beyond the rows: not selected, no error

    // Freeing and replacing drop the cell's own graphic; the shared one lives on.
    EXPECT_TRUE(G->FreeCellGraphic(0, 2));
    TCellGraphic* Mine = G->CreateCellGraphic(0, 4);
    EXPECT_EQ(G->GetCellGraphic(0, 4), Shared);
    EXPECT_EQ(G->GetCellGraphicSize(0, 4), (TPoint{15, 15}));
    G->MouseActions()->SetHotmailRowSelect(false);
    EXPECT_EQ(G->GetCellGraphic(0, 4), Mine);
    EXPECT_EQ(G->GetCellGraphic(0, 2), nullptr);
    EXPECT_EQ(G->GetCellType(0, 3), ctEmpty);
    EXPECT_EQ(Shared->CellType, ctRowCheckBox);
}

TEST_F(CellGraphicsTest, ScreenSizesByKind)
{
    G->SetColWidths(1, 120);
    G->SetRowHeights(1, 40);
    const TRect Cell = G->CellRect(1, 1);
    TBitmap* B = SolidBitmap(30, 20, clRed);
    TIcon* I = graphictest::SquareIcon(16);
    auto Size = [&](const AnsiString& Text, auto Set) {
        G->SetCells(1, 1, Text);
        Set(G->CreateCellGraphic(1, 1));
        return G->GetCellGraphicSize(1, 1);
    };
    // Bitmaps: beside the text only the width counts, stacked only the height, alone both.
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetBitmap(B, false, haBeforeText, vaTop); }),
              (TPoint{30, 0}));
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetBitmap(B, false, haLeft, vaUnderText); }),
              (TPoint{0, 20}));
    EXPECT_EQ(Size("", [&](TCellGraphic* X) { X->SetBitmap(B, false, haLeft, vaTop); }), (TPoint{30, 20}));
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetBitmap(B, false, haLeft, vaFull); }),
              (TPoint{0, Cell.Height()}));
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetBitmap(B, false, haFull, vaTop); }),
              (TPoint{Cell.Width(), 0}));
    // An icon's height counts in any case.
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetIcon(I, haLeft, vaTop); }), (TPoint{0, 16}));
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetIcon(I, haAfterText, vaTop); }), (TPoint{16, 16}));
    // Controls of fixed size.
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetCheckBox(true, false, false, haLeft, vaTop); }),
              (TPoint{15, 15}));
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetRadioButton(true, false, haLeft, vaTop); }),
              (TPoint{10, 10}));
    G->ControlLook()->CheckSize = 19;
    EXPECT_EQ(Size("", [&](TCellGraphic* X) { X->CellType = ctDataCheckBox; }), (TPoint{19, 19}));
    EXPECT_EQ(Size("", [&](TCellGraphic* X) { X->CellType = ctProgressPie; }), (TPoint{20, 20}));
    EXPECT_EQ(Size("", [&](TCellGraphic* X) { X->CellType = ctComment; }), (TPoint{0, 0}));
    // Buttons: with text and a vertical place beside it the height is 0; centred, no width.
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetButton(40, 18, "Go", haLeft, vaCenter); }),
              (TPoint{40, 0}));
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetButton(40, 18, "Go", haCenter, vaUnderText); }),
              (TPoint{0, 18}));
    EXPECT_EQ(Size("", [&](TCellGraphic* X) { X->SetButton(40, 18, "Go", haLeft, vaCenter); }),
              (TPoint{40, 18}));
    // Without text and haFull: the caption's width plus 4 in the grid's font; vaFull alone
    // stretches the height.
    G->Canvas()->Font()->Assign(G->Font());
    const Integer Caption = G->Canvas()->TextWidth("A long caption") + 4;
    EXPECT_EQ(Size("", [&](TCellGraphic* X) { X->SetButton(40, 18, "A long caption", haFull, vaFull); }),
              (TPoint{Caption, Cell.Height()}));
    // A picture is fitted into the cell.
    TPicture* P = SolidPicture(240, 20, clBlue);
    EXPECT_EQ(
        Size("", [&](TCellGraphic* X) { X->SetPicture(P, false, StretchWithAspectRatio, 0, haLeft, vaTop); }),
        (TPoint{120, 10}));
    // An application's graphic measures itself.
    TSizedGraphic Own;
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetInterfacedCell(&Own); }), (TPoint{33, 7}));
    TInterfacedPersistent Plain;
    EXPECT_EQ(Size("t", [&](TCellGraphic* X) { X->SetInterfacedCell(&Plain); }), (TPoint{0, 0}));
    G->FreeCellGraphic(1, 1);
    P->Free();
    I->Free();
    B->Free();
}

TEST_F(CellGraphicsTest, ImageListKindsNeedTheGridImages)
{
    TImageList Images(nullptr);
    Images.SetWidth(12);
    Images.SetHeight(14);
    G->CreateCellGraphic(1, 1)->SetImageIdx(0, haLeft, vaTop);
    TCellGraphic* M = G->CreateCellGraphic(1, 2);
    M->SetMultiImage(1, 2, 0, haLeft, vaTop, nullptr);
    M->IntList()->Add(0);
    M->IntList()->Add(1);
    M->IntList()->Add(2);
    EXPECT_EQ(G->GetCellGraphicSize(1, 1), (TPoint{0, 0}));
    EXPECT_EQ(G->GetCellGraphicSize(1, 2), (TPoint{0, 0}));
    G->SetGridImages(&Images);
    EXPECT_EQ(G->GetCellGraphicSize(1, 1), (TPoint{12, 14}));
    EXPECT_EQ(G->GetCellGraphicSize(1, 2), (TPoint{36, 14})); // side by side
    M->CellBoolean = false;
    EXPECT_EQ(G->GetCellGraphicSize(1, 2), (TPoint{12, 42}));
    EXPECT_EQ(G->GetPrintGraphicSize(1, 2, 50, 50, 1.0), (TPoint{12, 42}));
    G->SetCells(1, 1, "text");
    EXPECT_EQ(G->GetCellGraphicSize(1, 1), (TPoint{0, 0}));
    EXPECT_EQ(G->GetPrintGraphicSize(1, 1, 50, 50, 1.0), (TPoint{0, 14}));
    G->SetGridImages(nullptr);
}

TEST_F(CellGraphicsTest, RadioGroupsOnScreenAndInPrint)
{
    TStringList Items;
    Items.Add("one");
    Items.Add("two");
    Items.Add("three");
    TCellGraphic* R = G->CreateCellGraphic(1, 1);
    R->CellType = ctRadio;
    R->SetGraphic(&Items);
    R->CellAngle = 3;
    TCanvas* C = G->Canvas();
    const Integer Line = C->TextHeight("gh");
    const Integer Widest = std::max({C->TextWidth("one"), C->TextWidth("two"), C->TextWidth("three")}) + 12;
    // Stacked: at least 16 pixels a line on screen, the text's height in print.
    EXPECT_EQ(G->GetCellGraphicSize(1, 1), (TPoint{Widest, std::max(16, Line) * 3}));
    EXPECT_EQ(G->GetPrintGraphicSize(1, 1, 100, 100, 1.0), (TPoint{Widest, Line * 3}));
    if (Line == 13) {
        EXPECT_EQ(G->GetCellGraphicSize(1, 1).Y, 48);
        EXPECT_EQ(G->GetPrintGraphicSize(1, 1, 100, 100, 1.0).Y, 39);
    }
    R->CellBoolean = true; // side by side
    const Integer Sum = C->TextWidth("one") + C->TextWidth("two") + C->TextWidth("three") + 36;
    EXPECT_EQ(G->GetCellGraphicSize(1, 1), (TPoint{Sum, Line}));
    EXPECT_EQ(G->GetPrintGraphicSize(1, 1, 100, 100, 1.0), (TPoint{Sum, Line}));
    G->FreeCellGraphic(1, 1);
}

TEST_F(CellGraphicsTest, PrintSizesByKind)
{
    G->SetColWidths(2, 90);
    G->SetRowHeights(3, 30);
    TBitmap* B = SolidBitmap(30, 20, clRed);
    G->SetCells(2, 3, "text");
    TCellGraphic* X = G->CreateCellGraphic(2, 3);
    X->SetBitmap(B, false, haLeft, vaTop); // the full size, text or not
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 100, 100, 1.0), (TPoint{30, 20}));
    TPicture* P = SolidPicture(200, 100, clBlue);
    X->SetPicture(P, false, StretchWithAspectRatio, 0, haLeft, vaTop);
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 100, 100, 2.0), (TPoint{50, 25}));
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 100, 100, 0.0), (TPoint{100, 50})); // no division by 0
    X->CellType = ctProgress;
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 10, 10, 1.0), (TPoint{90, 30}));
    X->CellType = ctShape;
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 10, 10, 1.0), (TPoint{26, 26}));
    X->CellType = ctNode;
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 10, 10, 1.0), (TPoint{20, 20}));
    X->SetButton(40, 18, "Go", haFull, vaFull); // the packed size only
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 10, 10, 1.0), (TPoint{40, 18}));
    X->CellType = ctComment;
    EXPECT_EQ(G->GetPrintGraphicSize(2, 3, 10, 10, 1.0), (TPoint{0, 0}));
    G->FreeCellGraphic(2, 3);
    P->Free();
    B->Free();
}

TEST_F(CellGraphicsTest, LinkPrefixesBecomeAnchors)
{
    G->SetURLShowInText(true);
    const struct {
        const char* In;
        const char* Out;
    } Cases[] = {
        {"write to mailto:joe@example.org today",
         "write to <a href=\"mailto:joe@example.org\">mailto:joe@example.org</a> today"},
        {"MailTo:X@Y.Z", "<a href=\"MailTo:X@Y.Z\">MailTo:X@Y.Z</a>"},
        {"no link here", "no link here"},
        // HTTP:// is tried before WWW.: only its link is made an anchor.
        {"see www.a.com or http://b.com", "see www.a.com or <a href=\"http://b.com\">http://b.com</a>"},
        {"ftp://files.example.org", "<a href=\"ftp://files.example.org\">ftp://files.example.org</a>"},
    };
    for (const auto& C : Cases) {
        AnsiString V = C.In;
        G->GetDisplText(1, 1, V);
        EXPECT_EQ(V, C.Out);
    }
    G->SetURLShowInText(false);
    AnsiString V = "http://b.com";
    G->GetDisplText(1, 1, V);
    EXPECT_EQ(V, "http://b.com");
}

TEST_F(CellGraphicsTest, NodeRowsShowTheirGroupCountAndIndent)
{
    TCellGraphic* Node = G->CreateCellGraphic(0, 2);
    Node->CellType = ctNode;
    Node->CellIndex = 5;   // span
    Node->CellErrFrom = 1; // sub-nodes
    EXPECT_TRUE(G->IsNode(2));
    EXPECT_FALSE(G->IsNode(3));
    EXPECT_FALSE(G->IsNode(-1));
    EXPECT_EQ(G->GetNodeSpan(2), 5);
    EXPECT_EQ(G->GetNodeSpan(3), -1);
    EXPECT_EQ(G->GetSubNodeCount(2), 1);
    EXPECT_EQ(G->GetSubNodeCount(3), 0);

    auto Shown = [&](Integer C, Integer R) {
        AnsiString V = "group";
        G->GetDisplText(C, R, V);
        return V;
    };
    EXPECT_EQ(Shown(1, 2), "group");
    G->Grouping()->ShowGroupCount = true;
    EXPECT_EQ(Shown(1, 2), "group (3)");
    EXPECT_EQ(Shown(2, 2), "group");
    EXPECT_EQ(Shown(1, 3), "group");
    G->Grouping()->GroupCountFormat = " [%d rows]";
    EXPECT_EQ(Shown(1, 2), "group [3 rows]");
    G->Grouping()->GroupCountFormat = " [%s]"; // no number taken: the text stays
    EXPECT_EQ(Shown(1, 2), "group");

    EXPECT_FALSE(G->HasNodes());
    G->GetCellProperties(0, 3)->SetNodeLevel(2);
    EXPECT_EQ(G->NodeIndent(3), 0);
    G->SetNodeCount(1);
    EXPECT_TRUE(G->HasNodes());
    EXPECT_EQ(G->NodeIndent(3), 2 * G->CellNode()->NodeIndent());
    EXPECT_EQ(G->NodeIndent(4), 0);
    EXPECT_EQ(G->NodeIndent(-1), 0);
    G->SetNodeCount(0);
}

} // namespace
