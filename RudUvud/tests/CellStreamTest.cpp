// The binary cell stream: its images, placing a block at a point, restoring a whole grid with its
// properties and merged blocks, and streams that do not parse leaving the grid as it was.

#include "RudUvud/exchange/CellStream.h"
#include "RudUvud/tests/ExchangeTestGrid.h"

namespace {

using exchangetest::Table;

Table Texts(TDidAririzEvar* X)
{
    Table T(static_cast<std::size_t>(X->RowCount()));
    for (Integer R = 0; R < X->RowCount(); ++R)
        for (Integer C = 0; C < X->ColCount(); ++C)
            T[static_cast<std::size_t>(R)].push_back(X->Cells(C, R));
    return T;
}

std::size_t Count(const std::string& S, const std::string& What)
{
    std::size_t N = 0;
    for (std::size_t At = 0; (At = S.find(What, At)) != std::string::npos; ++At)
        ++N;
    return N;
}

class CellStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 5);
        exchangetest::Fill(G);
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(CellStreamTest, ImagesOfARectangle)
{
    TStringStream S;
    G->SaveRectToBinStream(TRect{1, 1, 2, 3}, &S);
    const std::string Data = S.DataString();
    EXPECT_EQ(Count(Data, "TPF0"), 7u); // one TGridPropIO and six cells
    EXPECT_EQ(Count(Data, "TGridPropIO"), 1u);
    EXPECT_EQ(Count(Data, "TGridCellIO"), 6u);
    EXPECT_EQ(Count(Data, "TGridCellPropIO"), 0u);

    S.SetPosition(0);
    const TParsedCellStream P = ParseCellStream(&S);
    EXPECT_EQ(P.ColCount, 2);
    EXPECT_EQ(P.RowCount, 3);
    EXPECT_FALSE(P.FullGrid);
    EXPECT_EQ(P.ColWidths, (std::vector<Integer>{G->ColWidths(1), G->ColWidths(2)}));
    ASSERT_EQ(P.Cells.size(), 6u);
    EXPECT_EQ(P.Cells[1].Text, "say \"hi\"");
    EXPECT_EQ(P.Cells[2].Text, "one\r\ntwo");
    EXPECT_EQ(P.OriginCol, 1);
    EXPECT_EQ(P.OriginRow, 1);
}

TEST_F(CellStreamTest, BlockLoadsAtAPointKeepingItsShape)
{
    G->SetColCount(8);
    G->SetRowCount(8);
    G->SetCells(5, 5, "a");
    G->SetCells(6, 5, "b");
    G->SetCells(5, 6, "c");
    G->SetColors(6, 6, clRed);
    TStringStream S;
    G->SaveRectToBinStream(TRect{5, 5, 6, 6}, &S);
    S.SetPosition(0);
    G->LoadAtPointFromBinStream(TPoint{1, 2}, &S);
    EXPECT_EQ(G->Cells(1, 2), "a");
    EXPECT_EQ(G->Cells(2, 2), "b");
    EXPECT_EQ(G->Cells(1, 3), "c");
    EXPECT_EQ(G->Cells(2, 3), "");
    EXPECT_EQ(G->GetColors(2, 3), clRed);
    // The grid was not cleared.
    EXPECT_EQ(G->Cells(1, 0), "Name");
    EXPECT_EQ(G->Cells(5, 5), "a");
    // A block placed near the edge keeps what fits.
    S.SetPosition(0);
    G->LoadAtPointFromBinStream(TPoint{7, 7}, &S);
    EXPECT_EQ(G->Cells(7, 7), "a");
}

TEST_F(CellStreamTest, WholeGridRoundTripsWithPropertiesAndMergedBlocks)
{
    G->MergeCells(2, 3, 2, 1);
    G->SetColors(1, 1, clYellow);
    G->SetColorsTo(1, 1, clBlue);
    G->SetFontColors(2, 1, clRed);
    G->SetFontStyles(2, 1, TFontStyles{fsBold, fsItalic});
    G->SetFontNames(2, 1, "Noto Sans");
    G->SetFontSizes(2, 1, 14);
    G->SetAlignments(3, 2, taRightJustify);
    G->SetReadOnly(1, 4, true);
    G->SetColWidths(2, 120);
    G->SetRowHeights(3, 40);
    G->GetCellProperties(4, 4)->SetBrushColor(clLime); // a record holding defaults elsewhere
    WideString W = u"\u5BEC";
    W += char16_t(0);
    W += u'x';
    G->SetWideCells(4, 3, W); // raw bytes with a NUL travel unchanged

    TStringStream S;
    G->SaveToBinStream(&S);
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 2, 2);
    // Old values in the target must not survive where the source had defaults.
    B->SetColCount(5);
    B->SetRowCount(5);
    B->SetFontNames(4, 4, "Old");
    B->SetCells(0, 0, "old");
    S.SetPosition(0);
    B->LoadFromBinStream(&S);

    EXPECT_EQ(B->ColCount(), 5);
    EXPECT_EQ(B->RowCount(), 5);
    EXPECT_EQ(Texts(B)[1], Texts(G)[1]);
    for (Integer R = 0; R < 5; ++R)
        for (Integer C = 0; C < 5; ++C) {
            if (!G->IsMergedNonBaseCell(C, R)) {
                EXPECT_EQ(B->Cells(C, R), G->Cells(C, R)) << C << "," << R;
            }
        }
    EXPECT_EQ(B->Cells(0, 0), "");
    EXPECT_EQ(B->GetWideCells(4, 3), W);
    EXPECT_TRUE(B->IsBaseCell(2, 3));
    EXPECT_TRUE(B->IsMergedNonBaseCell(3, 3));
    EXPECT_EQ(B->CellSpan(2, 3).X, 1);
    EXPECT_EQ(B->GetCellEx(3, 3), "merged");
    EXPECT_EQ(B->GetColors(1, 1), clYellow);
    EXPECT_EQ(B->GetColorsTo(1, 1), clBlue);
    EXPECT_EQ(B->GetFontColors(2, 1), clRed);
    EXPECT_TRUE(B->GetFontStyles(2, 1).Contains(fsItalic));
    EXPECT_EQ(B->GetFontNames(2, 1), "Noto Sans");
    EXPECT_EQ(B->GetFontSizes(2, 1), 14);
    EXPECT_EQ(B->GetAlignments(3, 2), taRightJustify);
    EXPECT_TRUE(B->GetReadOnly(1, 4));
    EXPECT_EQ(B->GetFontNames(4, 4), G->GetFontNames(4, 4));
    EXPECT_EQ(B->ColWidths(2), 120);
    EXPECT_EQ(B->RowHeights(3), 40);

    // Without the fixed cells the normal part comes back after the fixed ones.
    G->SetIncludeFixedCells(false);
    TStringStream S2;
    G->SaveToBinStream(&S2);
    TDidAririzEvar* C2 = gridtest::NewShownGrid(Form, 2, 2);
    S2.SetPosition(0);
    C2->LoadFromBinStream(&S2);
    EXPECT_EQ(C2->ColCount(), 5);
    EXPECT_EQ(C2->RowCount(), 5);
    EXPECT_EQ(C2->Cells(1, 1), "Smith, J.");
    EXPECT_EQ(C2->Cells(0, 0), "");
    EXPECT_EQ(C2->ColWidths(2), 120);

    // The file forms.
    const std::string Path = exchangetest::TempPath("grid_bin", ".bin");
    G->SetIncludeFixedCells(true);
    G->SaveToBinFile(Path);
    TDidAririzEvar* D = gridtest::NewShownGrid(Form, 1, 1);
    D->LoadFromBinFile(Path);
    EXPECT_EQ(D->Cells(4, 1), "\xe4\xb8\xad\xe6\x96\x87");
    std::remove(Path.c_str());
}

TEST_F(CellStreamTest, StreamsThatDoNotParseLeaveTheGridAsItWas)
{
    G->MergeCells(2, 3, 2, 1);
    G->SetColors(1, 1, clYellow);
    TStringStream S;
    G->SaveToBinStream(&S);
    const std::string Data = S.DataString();

    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 3, 3);
    B->SetCells(1, 1, "keep");
    const Table Before = Texts(B);
    // Every cut of the stream is refused; a trailing byte after the last image is not.
    for (std::size_t Cut = 0; Cut < Data.size(); Cut += 7) {
        TStringStream T(Data.substr(0, Cut));
        EXPECT_THROW(B->LoadFromBinStream(&T), Exception) << Cut;
        ASSERT_EQ(Texts(B), Before) << Cut;
    }
    TStringStream Padded(Data + "x");
    B->LoadFromBinStream(&Padded);
    EXPECT_EQ(B->Cells(1, 1), "Smith, J.");

    // Foreign images and counts that the stream does not hold.
    std::string Bad = Data;
    Bad.replace(Bad.find("TGridCellIO"), 11, "TGridXellIO");
    TStringStream T1(Bad);
    EXPECT_THROW(G->LoadFromBinStream(&T1), Exception);
    EXPECT_EQ(G->Cells(1, 1), "Smith, J.");
}

// A stream of a few dozen bytes claiming 10,000,000 columns and no rows is refused before the
// grid changes; an empty rectangle whose counts its width and height lists back still loads.
TEST_F(CellStreamTest, CountsWithoutBytesBehindThemAreRefused)
{
    DeclareCellStreamClasses();
    const Table Before = Texts(G);
    struct Case {
        Integer Cols, Rows;
        const char* Widths;
        bool Loads;
    } Cases[] = {
        {10000000, 0, "", false},
        {0, 10000000, "", false},
        {3, 0, "64,64", false},
        {2, 0, "70,80", true},
    };
    for (const Case& K : Cases) {
        TGridPropIO P(nullptr);
        P.ColCount = K.Cols;
        P.RowCount = K.Rows;
        P.ColWidths = K.Widths;
        P.FullGrid = true;
        TStringStream S;
        S.WriteComponent(&P);
        if (K.Cols == 10000000) {
            EXPECT_LT(S.DataString().size(), 100u);
        }
        S.SetPosition(0);
        if (!K.Loads) {
            EXPECT_THROW(G->LoadFromBinStream(&S), Exception) << K.Cols;
            EXPECT_EQ(G->ColCount(), 5);
            EXPECT_EQ(Texts(G), Before);
            continue;
        }
        G->LoadFromBinStream(&S);
        EXPECT_EQ(G->ColCount(), 2);
        EXPECT_EQ(G->ColWidths(0), 70);
    }
}

TEST_F(CellStreamTest, SpansPointingOutsideTheRectangleAreUndone)
{
    // A rectangle cut through a merged block: the covered cells whose base is outside become
    // plain cells, the base cell's block is clipped.
    G->MergeCells(1, 1, 3, 2);
    TStringStream S;
    G->SaveRectToBinStream(TRect{2, 1, 4, 3}, &S);
    S.SetPosition(0);
    const TParsedCellStream P = ParseCellStream(&S);
    for (const TStreamCell& C : P.Cells) {
        if (C.Props) {
            EXPECT_TRUE(C.Props->IsBaseCell());
            EXPECT_EQ(C.Props->CellSpanX(), -1);
        }
    }
    TStringStream S2;
    G->SaveRectToBinStream(TRect{1, 1, 2, 1}, &S2);
    S2.SetPosition(0);
    const TParsedCellStream P2 = ParseCellStream(&S2);
    ASSERT_TRUE(P2.Cells[0].Props);
    EXPECT_EQ(P2.Cells[0].Props->CellSpanX(), 1);
    EXPECT_EQ(P2.Cells[0].Props->CellSpanY(), 0);
}

} // namespace

// data/cellstream/unversioned.bin was written by SaveToBinFile before streams had a version, from
// the grid of exchangetest::Fill with cells (2, 3)-(3, 3) merged, (1, 1) yellow, (2, 1) bold in
// "Noto Sans", (3, 2) right-aligned, column 2 120 wide and row 3 40 high. It still reads (as
// version 0); streams written now say version 1; a later version is refused before the grid
// changes.
TEST_F(CellStreamTest, StreamsWithoutAVersionStillReadAndLaterVersionsAreRefused)
{
    const std::string Old = DRAWMERE_TEST_DATA "/cellstream/unversioned.bin";
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 2, 2);
    B->LoadFromBinFile(Old);
    EXPECT_EQ(Texts(B), Texts(G));
    EXPECT_TRUE(B->IsBaseCell(2, 3));
    EXPECT_TRUE(B->IsMergedNonBaseCell(3, 3));
    EXPECT_EQ(B->GetColors(1, 1), clYellow);
    EXPECT_TRUE(B->GetFontStyles(2, 1).Contains(fsBold));
    EXPECT_EQ(B->GetFontNames(2, 1), "Noto Sans");
    EXPECT_EQ(B->GetAlignments(3, 2), taRightJustify);
    EXPECT_EQ(B->ColWidths(2), 120);
    EXPECT_EQ(B->RowHeights(3), 40);

    TFileStream F(Old, fmOpenRead);
    EXPECT_EQ(ParseCellStream(&F).Version, 0);
    TStringStream S;
    G->SaveRectToBinStream(TRect{0, 0, 1, 1}, &S);
    S.SetPosition(0);
    EXPECT_EQ(ParseCellStream(&S).Version, CellStreamVersion);

    TGridPropIO P(nullptr);
    P.ColCount = P.RowCount = 1;
    P.ColWidths = P.RowHeights = "10";
    P.FullGrid = true;
    P.Version = CellStreamVersion + 1;
    TStringStream Later;
    Later.WriteComponent(&P);
    TGridCellIO C(nullptr);
    C.Cell = "later";
    Later.WriteComponent(&C);
    Later.SetPosition(0);
    const Table Before = Texts(G);
    EXPECT_THROW(G->LoadFromBinStream(&Later), EReadError);
    EXPECT_EQ(Texts(G), Before);
}

// The carriers of a cell graphic's bitmap, icon, picture and string list bring their object back
// through a component image.
TEST_F(CellStreamTest, GraphicCarriersRoundTripTheirObjects)
{
    DeclareCellStreamClasses();
    auto RoundTrip = [](TComponent* From, TComponent* To) {
        TStringStream S;
        S.WriteComponent(From);
        S.SetPosition(0);
        S.ReadComponent(To);
    };
    TGridBMPIO BA(nullptr), BB(nullptr);
    BA.Bitmap()->SetSize(3, 2);
    BA.Bitmap()->Canvas()->SetPixels(2, 1, clRed);
    RoundTrip(&BA, &BB);
    EXPECT_EQ(BB.Bitmap()->Width(), 3);
    EXPECT_EQ(BB.Bitmap()->Height(), 2);
    EXPECT_EQ(BB.Bitmap()->Canvas()->Pixels(2, 1), clRed);

    TGridPicIO PA(nullptr), PB(nullptr);
    PA.Picture()->SetBitmap(BA.Bitmap());
    RoundTrip(&PA, &PB);
    ASSERT_NE(PB.Picture()->Graphic(), nullptr);
    EXPECT_EQ(PB.Picture()->Width(), 3);
    EXPECT_EQ(PB.Picture()->Bitmap()->Canvas()->Pixels(2, 1), clRed);

    TGridSLIO SA(nullptr), SB(nullptr);
    SA.Strings()->Add("Yes");
    SA.Strings()->Add("No, \"never\"");
    RoundTrip(&SA, &SB);
    EXPECT_EQ(SB.Strings()->CommaText(), SA.Strings()->CommaText());

    TGridIconIO IA(nullptr), IB(nullptr);
    RoundTrip(&IA, &IB); // an empty icon stays empty
    EXPECT_TRUE(IB.Icon()->Empty());
}
