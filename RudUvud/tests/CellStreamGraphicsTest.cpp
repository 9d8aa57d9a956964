// Cell graphics through the binary cell stream: every carried kind with the picture or list
// behind it, graphics the grid does not own, shared graphics, and streams whose graphic images do
// not read.

#include "RudUvud/exchange/CellStream.h"
#include "RudUvud/tests/ExchangeTestGrid.h"
#include "RudUvud/tests/GraphicTestSupport.h"

#include <gtest/gtest.h>

namespace {

using graphictest::SolidBitmap;
using graphictest::SolidPicture;

class CellStreamGraphicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 6, 6);
        H = gridtest::NewShownGrid(Form, 3, 3);
        LentBitmap.reset(SolidBitmap(3, 3, clBlack));
    }
    void TearDown() override { Form->Free(); }

    // Puts every carried kind into G.
    void Decorate()
    {
        TCellGraphic* X = G->CreateCellGraphic(1, 1);
        X->SetBitmap(SolidBitmap(6, 4, clRed), true, haCenter, vaCenter);
        X->CellCreated = true;

        X = G->CreateCellGraphic(2, 1);
        X->SetIcon(graphictest::SquareIcon(16), haRight, vaBottom);
        X->CellCreated = true;

        auto* Items = New<TStringList>();
        Items->Add("alpha");
        Items->Add("beta, gamma");
        Items->Add("");
        X = G->CreateCellGraphic(3, 1);
        X->CellType = ctRadio;
        X->SetGraphic(Items);
        X->CellCreated = true;
        X->CellIndex = 1;
        X->CellBoolean = true;
        X->CellAngle = 3;

        X = G->CreateCellGraphic(4, 1);
        X->SetMultiImage(4, 1, 1, haLeft, vaTop, nullptr);
        X->IntList()->Add(1);
        X->IntList()->Add(3);
        X->IntList()->Add(4);

        X = G->CreateCellGraphic(1, 2);
        X->SetPicture(SolidPicture(20, 10, clBlue), true, ShrinkWithAspectRatio, 3, haFull, vaFull);
        X->CellCreated = true;

        auto* File = New<TFilePicture>();
        File->SetFilename(PictureFile());
        X = G->CreateCellGraphic(2, 2);
        X->SetFilePicture(File, false, Stretch, 0, haLeft, vaTop);
        X->CellCreated = true;

        X = G->CreateCellGraphic(3, 2);
        X->SetBitButton(40, 20, "Go", SolidBitmap(8, 8, clGreen), haCenter, vaCenter);
        X->CellCreated = true;

        G->SetCells(4, 2, "x");
        G->CreateCellGraphic(4, 2)->SetCheckBox(true, false, true, haLeft, vaCenter);

        X = G->CreateCellGraphic(1, 3);
        X->CellType = ctComment;
        X->CellText = "a note, with \"quotes\"";
        X->CellIndex = clRed;

        G->SetCells(2, 3, "40");
        X = G->CreateCellGraphic(2, 3);
        X->CellType = ctProgress;
        X->CellErrFrom = 5;
        X->CellErrLen = 80;
        X->CellText = "%d%%";
        X->CellBoolean = true;
        X->CellValue = 2.5;

        // A bitmap the application lends: the cell's properties travel, its graphic does not.
        G->SetCells(3, 3, "lent");
        G->SetColors(3, 3, clYellow);
        G->CreateCellGraphic(3, 3)->SetBitmap(LentBitmap.get(), false, haLeft, vaTop);

        G->CreateCellGraphic(4, 3)->SetAngle(-45);
    }

    std::string PictureFile()
    {
        const std::string Name = exchangetest::TempPath("cell_picture", ".bmp");
        std::unique_ptr<TBitmap> B(SolidBitmap(12, 7, clFuchsia));
        B->SaveToFile(Name);
        return Name;
    }

    std::string Saved(TDidAririzEvar* From)
    {
        TStringStream S;
        From->SaveToBinStream(&S);
        return S.DataString();
    }

    void Load(TDidAririzEvar* Into, const std::string& Data)
    {
        TStringStream S(Data);
        Into->LoadFromBinStream(&S);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TDidAririzEvar* H = nullptr;
    std::unique_ptr<TBitmap> LentBitmap;
};

std::size_t ImagesOf(const std::string& S, const std::string& What)
{
    std::size_t N = 0;
    for (std::size_t At = 0; (At = S.find(What, At)) != std::string::npos; ++At)
        ++N;
    return N;
}

TEST_F(CellStreamGraphicsTest, EveryCarriedKindComesBackOwnedByTheGrid)
{
    Decorate();
    const std::string Data = Saved(G);
    Load(H, Data);
    ASSERT_EQ(H->ColCount(), 6);

    TCellGraphic* B = H->GetCellGraphic(1, 1);
    ASSERT_NE(B, nullptr);
    EXPECT_EQ(B->CellType, ctBitmap);
    EXPECT_TRUE(B->CellCreated);
    EXPECT_TRUE(B->CellTransparent);
    EXPECT_EQ(B->CellHAlign, haCenter);
    ASSERT_NE(B->Bitmap(), nullptr);
    EXPECT_NE(B->Bitmap(), G->GetCellGraphic(1, 1)->Bitmap());
    EXPECT_EQ(B->Bitmap()->Width(), 6);
    EXPECT_EQ(B->Bitmap()->Height(), 4);
    EXPECT_EQ(B->Bitmap()->Canvas()->Pixels(2, 2), clRed);
    EXPECT_EQ(H->Cells(1, 1), ""); // an empty cell stays empty

    TCellGraphic* I = H->GetCellGraphic(2, 1);
    ASSERT_NE(I, nullptr);
    EXPECT_EQ(I->CellType, ctIcon);
    ASSERT_NE(I->Icon(), nullptr);
    EXPECT_EQ(I->Icon()->Width(), 16);
    EXPECT_EQ(I->CellVAlign, vaBottom);

    TCellGraphic* R = H->GetCellGraphic(3, 1);
    ASSERT_NE(R, nullptr);
    EXPECT_EQ(R->CellType, ctRadio);
    ASSERT_NE(R->Strings(), nullptr);
    EXPECT_EQ(R->Strings()->Count(), 3);
    EXPECT_EQ(R->Strings()->Strings(1), "beta, gamma");
    EXPECT_EQ(R->CellIndex, 1);
    EXPECT_TRUE(R->CellBoolean);
    EXPECT_EQ(R->CellAngle, 3);

    TIntList* L = H->GetCellImages(4, 1);
    ASSERT_NE(L, nullptr);
    EXPECT_EQ(L->GetStrValue(), "1,3,4");
    EXPECT_EQ(L->Col(), 4);
    EXPECT_EQ(L->Row(), 1);
    EXPECT_FALSE(H->GetCellGraphic(4, 1)->CellBoolean);

    TCellGraphic* P = H->GetCellGraphic(1, 2);
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->CellType, ctPicture);
    ASSERT_NE(P->Picture(), nullptr);
    EXPECT_EQ(P->Picture()->Width(), 20);
    EXPECT_EQ(P->Picture()->Height(), 10);
    EXPECT_EQ(P->CellAngle, ShrinkWithAspectRatio);
    EXPECT_EQ(P->CellIndex, 3);
    EXPECT_EQ(P->CellVAlign, vaFull);

    TCellGraphic* F = H->GetCellGraphic(2, 2);
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(F->CellType, ctFilePicture);
    ASSERT_NE(F->FilePicture(), nullptr);
    EXPECT_EQ(F->FilePicture()->Filename(), PictureFile());
    EXPECT_EQ(F->FilePicture()->Width(), 12);
    EXPECT_EQ(F->FilePicture()->Height(), 7);
    EXPECT_EQ(F->CellAngle, Stretch);

    TCellGraphic* BB = H->GetCellGraphic(3, 2);
    ASSERT_NE(BB, nullptr);
    EXPECT_EQ(BB->CellType, ctBitButton);
    EXPECT_EQ(BB->CellText, "Go");
    EXPECT_EQ(ButtonWidth(BB->CellIndex), 40);
    EXPECT_EQ(ButtonHeight(BB->CellIndex), 20);
    ASSERT_NE(BB->Bitmap(), nullptr);
    EXPECT_EQ(BB->Bitmap()->Width(), 8);

    EXPECT_EQ(H->GetCellType(4, 2), ctCheckBox);
    EXPECT_TRUE(H->GetCellGraphic(4, 2)->CellBoolean);
    EXPECT_TRUE(H->GetCellGraphic(4, 2)->CellTransparent);
    EXPECT_EQ(H->Cells(4, 2), "x");

    TCellGraphic* C = H->GetCellGraphic(1, 3);
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(C->CellType, ctComment);
    EXPECT_EQ(C->CellText, "a note, with \"quotes\"");
    EXPECT_EQ(C->CellIndex, clRed);

    TCellGraphic* Pr = H->GetCellGraphic(2, 3);
    ASSERT_NE(Pr, nullptr);
    EXPECT_EQ(Pr->CellType, ctProgress);
    EXPECT_EQ(Pr->CellErrFrom, 5);
    EXPECT_EQ(Pr->CellErrLen, 80);
    EXPECT_EQ(Pr->CellText, "%d%%");
    EXPECT_TRUE(Pr->CellBoolean);
    EXPECT_EQ(Pr->CellValue, 2.5);

    EXPECT_EQ(H->GetCellType(3, 3), ctEmpty);
    EXPECT_EQ(H->Cells(3, 3), "lent");
    EXPECT_EQ(H->GetColors(3, 3), clYellow);

    EXPECT_EQ(H->GetCellType(4, 3), ctRotated);
    EXPECT_EQ(H->GetCellGraphic(4, 3)->CellAngle, 315);

    // The copy carries the same graphics on: one image per graphic, one per object behind it.
    const std::string Again = Saved(H);
    for (const char* Carrier :
         {"TGridGraphicIO", "TGridBMPIO", "TGridIconIO", "TGridSLIO", "TGridPicIO", "TGridFilePicIO"})
        EXPECT_EQ(ImagesOf(Again, Carrier), ImagesOf(Data, Carrier)) << Carrier;
    EXPECT_EQ(ImagesOf(Data, "TGridGraphicIO"), 11u);
    EXPECT_EQ(ImagesOf(Data, "TGridBMPIO"), 2u);
    EXPECT_EQ(ImagesOf(Data, "TGridSLIO"), 2u);
}

TEST_F(CellStreamGraphicsTest, ABlockReplacesTheGraphicsWhereItLands)
{
    Decorate();
    H->SetColCount(6);
    H->SetRowCount(6);
    // Graphics already in the target: one under the block (replaced and freed) and one beside it.
    TCellGraphic* Under = H->CreateCellGraphic(2, 2);
    Under->SetBitmap(SolidBitmap(5, 5, clRed), false, haLeft, vaTop);
    Under->CellCreated = true;
    H->CreateCellGraphic(4, 4)->SetCheckBox(true, false, false, haLeft, vaTop);
    TStringStream S;
    G->SaveRectToBinStream(TRect{1, 1, 2, 2}, &S); // bitmap, icon, picture, file picture
    S.SetPosition(0);
    H->LoadAtPointFromBinStream(TPoint{2, 2}, &S);
    EXPECT_EQ(H->GetCellType(2, 2), ctBitmap);
    EXPECT_EQ(H->GetCellGraphic(2, 2)->Bitmap()->Width(), 6);
    EXPECT_EQ(H->GetCellType(3, 2), ctIcon);
    EXPECT_EQ(H->GetCellType(2, 3), ctPicture);
    EXPECT_EQ(H->GetCellType(3, 3), ctFilePicture);
    EXPECT_EQ(H->GetCellType(4, 4), ctCheckBox);
    EXPECT_EQ(H->GetCellType(1, 1), ctEmpty);
}

TEST_F(CellStreamGraphicsTest, SharedGraphicsStayBehind)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->CreateCellGraphic(0, 2)->SetCheckBox(true, false, false, haLeft, vaTop);
    G->MouseActions()->SetHotmailRowSelect(true);
    G->SetRowSelect(2, true);
    TCellGraphic Virtual;
    Virtual.CellType = ctVirtCheckBox;
    G->SetGraphicObjectEx(3, 3, &Virtual);
    Load(H, Saved(G));
    EXPECT_EQ(H->GetCellType(0, 2), ctEmpty); // the row check box answers for the cell there
    EXPECT_EQ(H->GetCellType(3, 3), ctEmpty);
    G->SetGraphicObjectEx(3, 3, nullptr);

    // A stream from elsewhere that carries a shared kind as a cell's graphic: read, not placed.
    DeclareCellStreamClasses();
    TStringStream S;
    TGridPropIO P(nullptr);
    P.ColCount = P.RowCount = 1;
    P.ColWidths = P.RowHeights = "30";
    P.Version = CellStreamVersion;
    S.WriteComponent(&P);
    TGridCellIO C(nullptr);
    C.Cell = "shared";
    C.HasProp = true;
    S.WriteComponent(&C);
    TGridCellPropIO CP(nullptr);
    CP.HasGraphic = true;
    S.WriteComponent(&CP);
    TGridGraphicIO GI(nullptr);
    GI.CellGraphic()->CellType = ctRowCheckBox;
    S.WriteComponent(&GI);
    S.SetPosition(0);
    H->LoadAtPointFromBinStream(TPoint{1, 1}, &S);
    EXPECT_EQ(H->Cells(1, 1), "shared");
    EXPECT_EQ(H->GetCellType(1, 1), ctEmpty);
}

TEST_F(CellStreamGraphicsTest, GraphicImagesThatDoNotReadLeaveTheGridAsItWas)
{
    Decorate();
    H->SetCells(1, 1, "before");
    TCellGraphic* Mine = H->CreateCellGraphic(2, 1);
    Mine->CellType = ctComment;

    // Cut inside the last picture's image (the stream ends with the picture rectangle's cells).
    TStringStream S;
    G->SaveRectToBinStream(TRect{1, 2, 1, 2}, &S);
    const std::string Whole = S.DataString();
    for (std::size_t Cut : {Whole.size() - 1, Whole.size() - 40, Whole.size() / 2}) {
        TStringStream Short(Whole.substr(0, Cut));
        EXPECT_THROW(H->LoadAtPointFromBinStream(TPoint{1, 1}, &Short), Exception) << Cut;
        EXPECT_EQ(H->Cells(1, 1), "before");
        EXPECT_EQ(H->GetCellGraphic(2, 1), Mine);
        EXPECT_EQ(H->GetCellType(1, 1), ctEmpty);
    }

    // An index list that holds no integer.
    DeclareCellStreamClasses();
    TStringStream Bad;
    TGridPropIO P(nullptr);
    P.ColCount = P.RowCount = 1;
    P.ColWidths = P.RowHeights = "30";
    P.Version = CellStreamVersion;
    Bad.WriteComponent(&P);
    TGridCellIO C(nullptr);
    C.HasProp = true;
    Bad.WriteComponent(&C);
    TGridCellPropIO CP(nullptr);
    CP.HasGraphic = true;
    Bad.WriteComponent(&CP);
    TGridGraphicIO GI(nullptr);
    GI.CellGraphic()->CellType = ctImages;
    Bad.WriteComponent(&GI);
    TGridSLIO SL(nullptr);
    SL.Strings()->Add("2");
    SL.Strings()->Add("two");
    Bad.WriteComponent(&SL);
    Bad.SetPosition(0);
    EXPECT_THROW(H->LoadAtPointFromBinStream(TPoint{1, 1}, &Bad), Exception);
    EXPECT_EQ(H->GetCellType(1, 1), ctEmpty);
    EXPECT_EQ(H->Cells(1, 1), "before");
}

TEST_F(CellStreamGraphicsTest, AMissingPictureFileKeepsItsName)
{
    const std::string Name = exchangetest::TempPath("gone", ".bmp");
    {
        std::unique_ptr<TBitmap> B(SolidBitmap(9, 9, clRed));
        B->SaveToFile(Name);
    }
    auto* File = New<TFilePicture>();
    File->SetFilename(Name);
    TCellGraphic* X = G->CreateCellGraphic(1, 1);
    X->SetFilePicture(File, false, noStretch, 0, haLeft, vaTop);
    X->CellCreated = true;
    const std::string Data = Saved(G);
    std::remove(Name.c_str());
    Load(H, Data);
    TCellGraphic* F = H->GetCellGraphic(1, 1);
    ASSERT_NE(F, nullptr);
    ASSERT_NE(F->FilePicture(), nullptr);
    EXPECT_EQ(F->FilePicture()->Filename(), Name);
    EXPECT_EQ(F->FilePicture()->Width(), 0);
}

} // namespace
