// The grid bridge's pictures and comments with the xls engine: a grid's bitmap and comment
// exported as a JPEG picture and a note that xlrd and our own import read back, and the pictures
// and notes of files written by LibreOffice and python3-xlwt imported into a grid.

#include "RudUvud/tests/GridTestSupport.h"
#include "RudUvud/xlsadapter/XlsFile.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Jpeg.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"
#include "platform/testing/FileContents.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace xlstest;

namespace {

class XlsGridBridgePictures : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        Grid = NewGrid();
        IO = New<TDozAzevIzaroIO>(Form);
        IO->SetDidAririzEvar(Grid);
        IO->Options()->ImportCellSizes = false;
        IO->SetGridStartRow(0);
        IO->SetGridStartCol(0);
    }
    void TearDown() override { Form->Free(); }

    TDidAririzEvar* NewGrid()
    {
        TDidAririzEvar* G = gridtest::NewShownGrid(Form, 3, 4);
        G->SetFixedRows(0);
        G->SetFixedCols(0);
        return G;
    }

    TForm* Form = nullptr;
    TDidAririzEvar* Grid = nullptr;
    TDozAzevIzaroIO* IO = nullptr;
    TempDir Dir;
};

// Every note ("note row col text") and the pictures of the first sheet, by the kind of their
// data ("picture jpeg").
const char* const XlrdNotesAndPictures = R"PY(
import sys, xlrd, olefile
b = xlrd.open_workbook(sys.argv[1])
s = b.sheet_by_index(0)
for (r, c), n in sorted(s.cell_note_map.items()):
    print('note', r, c, repr(n.text))
data = olefile.OleFileIO(sys.argv[1]).openstream('Workbook').read()
print('jpeg pictures', data.count(b'\xff\xd8\xff'))
)PY";

} // namespace

TEST_F(XlsGridBridgePictures, ACommentAndABitmapGoOutAsANoteAndAJpegThatReadBack)
{
    Grid->SetCells(0, 0, "Prize");
    Grid->AddComment(1, 0, "First\r\nprize");
    TBitmap* B = Grid->CreateBitmap(0, 2, false, haLeft, vaTop);
    B->SetSize(20, 10);
    B->Canvas()->Brush()->SetColor(clRed);
    B->Canvas()->FillRect(TRect{0, 0, 20, 10});
    const std::string Path = Dir.File("pictures.xls");
    IO->XLSExport(Path);

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd or python3-olefile is not installed");
    EXPECT_EQ(Python(XlrdNotesAndPictures, Path), "note 0 1 'First\\nprize'\njpeg pictures 1\n");
    if (!uitest::HaveCommand("soffice"))
        return uitest::SkipMissing("LibreOffice is not installed");
    const std::string Cmd = "cd " + Dir.Path().string() + " && soffice -env:UserInstallation=file://" +
                            Dir.Path().string() +
                            "/profile --headless --norestore --convert-to fods pictures.xls >/dev/null 2>&1";
    ASSERT_EQ(std::system(Cmd.c_str()), 0);
    const std::string Fods = uitest::ReadWholeFile(Dir.File("pictures.fods"));
    EXPECT_NE(Fods.find("<draw:image"), std::string::npos);
    EXPECT_EQ(Fods.find("<draw:image"), Fods.rfind("<draw:image"));

    // Back through the import: the note with comments imported, the picture as a grid picture of
    // the bitmap's size in the bitmap's colour.
    struct Case {
        bool Properties, Images;
    };
    for (Case C : {Case{true, true}, Case{false, false}}) {
        SCOPED_TRACE(std::string("properties ") + (C.Properties ? "on" : "off"));
        TDidAririzEvar* Back = NewGrid();
        IO->SetDidAririzEvar(Back);
        IO->Options()->ImportCellProperties = C.Properties;
        IO->Options()->ImportImages = C.Images;
        IO->XLSImport(Path);
        AnsiString Comment;
        EXPECT_EQ(Back->IsComment(1, 0, Comment), C.Properties);
        if (C.Properties)
            EXPECT_EQ(Comment, "First\nprize");
        EXPECT_EQ(Back->GetWideCells(0, 0), u"Prize");
        TPicture* P = Back->GetPicture(0, 2);
        ASSERT_EQ(P != nullptr, C.Images);
        if (!P)
            continue;
        EXPECT_NEAR(P->Width(), 20, 1);
        EXPECT_NEAR(P->Height(), 10, 1);
        TBitmap* Shown = P->Bitmap();
        const TColor Middle = ColorToRGB(Shown->Canvas()->Pixels(P->Width() / 2, P->Height() / 2));
        EXPECT_GT(Middle & 0xFF, 0xC0u) << std::hex << Middle; // red, after JPEG's losses
        EXPECT_LT((Middle >> 8) & 0xFF, 0x40u) << std::hex << Middle;
    }
}

TEST_F(XlsGridBridgePictures, ImportsTheNotesAndTheBitmapsOfOtherWriters)
{
    IO->Options()->ImportCellProperties = true;
    // LibreOffice: notes on B1 and C2 and two PNG pictures, which the import leaves out.
    IO->XLSImport(std::string(DRAWMERE_TEST_DATA) + "/drawings/lo-drawing.xls");
    AnsiString Comment;
    ASSERT_TRUE(Grid->IsComment(1, 0, Comment));
    EXPECT_EQ(Comment, "First prize\nred one");
    EXPECT_TRUE(Grid->IsComment(2, 1, Comment));
    EXPECT_FALSE(Grid->IsComment(0, 0, Comment));
    for (Integer R = 0; R < Grid->RowCount(); ++R)
        for (Integer C = 0; C < Grid->ColCount(); ++C)
            EXPECT_EQ(Grid->GetPicture(C, R), nullptr) << C << "," << R;
    EXPECT_EQ(Grid->GetWideCells(1, 0), u"Bicycle");

    // python3-xlwt: bitmaps of 3 x 2 and 2 x 2 pixels at B3 and D6, kept the older way.
    IO->XLSImport(std::string(DRAWMERE_TEST_DATA) + "/drawings/xlwt-bitmap.xls");
    struct Pic {
        Integer Col, Row, Width, Height;
    };
    for (Pic P : {Pic{1, 2, 3, 2}, Pic{3, 5, 2, 2}}) {
        SCOPED_TRACE(std::to_string(P.Col) + "," + std::to_string(P.Row));
        TPicture* Got = Grid->GetPicture(P.Col, P.Row);
        ASSERT_NE(Got, nullptr);
        EXPECT_NEAR(Got->Width(), P.Width, 1);
        EXPECT_NEAR(Got->Height(), P.Height, 1);
    }
    EXPECT_GE(Grid->RowCount(), 7);
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"Prize");
}

TEST_F(XlsGridBridgePictures, APictureKeepsItsJpegBytesAndStandsWhereItsCellAlignsIt)
{
    TBitmap Source;
    Source.SetSize(10, 8);
    Source.Canvas()->Brush()->SetColor(clBlue);
    Source.Canvas()->FillRect(TRect{0, 0, 10, 8});
    TJPEGImage Jpeg;
    Jpeg.Assign(&Source);
    TMemoryStream Bytes;
    Jpeg.SaveToStream(&Bytes);

    struct Case {
        TCellHAlign H;
        TCellVAlign V;
        bool Right, Bottom; // the corner in the cell's far half
    };
    const Case Cases[] = {
        {haLeft, vaTop, false, false},
        {haRight, vaBottom, true, true},
        {haRight, vaTop, true, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::to_string(C.H) + "," + std::to_string(C.V));
        Grid->SetColWidths(1, 120);
        Grid->SetRowHeights(1, 60);
        TPicture Pic;
        Pic.SetGraphic(&Jpeg);
        Grid->AddPicture(1, 1, &Pic, false, noStretch, 0, C.H, C.V);
        const std::string Path = Dir.File("aligned.xls");
        IO->Options()->ExportOverwrite = omAlways;
        IO->XLSExport(Path);
        Grid->RemovePicture(1, 1);

        TXLSFile F(nullptr);
        F.Connect();
        F.OpenFile(Path);
        F.SetActiveSheet(1);
        ASSERT_EQ(F.GetPicturesCount(0), 1);
        TMemoryStream Got;
        TXlsImgTypes Type = xli_Unknown;
        TClientAnchor A;
        F.GetPicture(0, 0, &Got, Type, A);
        EXPECT_EQ(Type, xli_Jpeg);
        ASSERT_EQ(Got.Size(), Bytes.Size());
        EXPECT_EQ(std::memcmp(Got.Memory(), Bytes.Memory(), static_cast<size_t>(Bytes.Size())), 0);
        EXPECT_EQ(A.StartCol, 2);
        EXPECT_EQ(A.StartRow, 2);
        EXPECT_EQ(A.StartColOffset > 512, C.Right) << A.StartColOffset;
        EXPECT_EQ(A.StartRowOffset > 128, C.Bottom) << A.StartRowOffset;
        F.CloseFile();
        F.Disconnect();
    }
}

TEST_F(XlsGridBridgePictures, TheCommentBoxSizeIsAskedWithTheCommentsText)
{
    Grid->AddComment(2, 1, "one\r\ntwo\rthree");
    std::vector<std::u16string> Asked;
    IO->OnGetCommentBoxSize = [&](TObject*, const WideString& Comment, Integer& Height, Integer& Width) {
        EXPECT_EQ(Height, 75);
        EXPECT_EQ(Width, 130);
        Asked.push_back(Comment);
        Width = 300;
    };
    const std::string Path = Dir.File("note.xls");
    IO->XLSExport(Path);
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0], u"one\ntwo\nthree");
    TXLSFile F(nullptr);
    F.Connect();
    F.OpenFile(Path);
    F.SetActiveSheet(1);
    EXPECT_EQ(F.GetCellComment(2, 3), u"one\ntwo\nthree");
    F.CloseFile();
    F.Disconnect();
}

TEST_F(XlsGridBridgePictures, AnImageListCellExportsItsImageWhenTheListHasIt)
{
    TImageList Images(nullptr);
    Images.SetWidth(12);
    Images.SetHeight(14);
    TBitmap Strip;
    Strip.SetSize(12, 14);
    Strip.Canvas()->Brush()->SetColor(clGreen);
    Strip.Canvas()->FillRect(TRect{0, 0, 12, 14});
    Images.Add(&Strip, nullptr);
    Grid->SetGridImages(&Images);
    Grid->CreateCellGraphic(0, 1)->SetImageIdx(0, haLeft, vaTop);
    Grid->CreateCellGraphic(1, 1)->SetImageIdx(5, haLeft, vaTop); // not in the list: no picture
    const std::string Path = Dir.File("images.xls");
    IO->XLSExport(Path);
    Grid->SetGridImages(nullptr);

    TXLSFile F(nullptr);
    F.Connect();
    F.OpenFile(Path);
    F.SetActiveSheet(1);
    ASSERT_EQ(F.GetPicturesCount(0), 1);
    TMemoryStream Got;
    TXlsImgTypes Type = xli_Unknown;
    TClientAnchor A;
    F.GetPicture(0, 0, &Got, Type, A);
    EXPECT_EQ(Type, xli_Jpeg);
    EXPECT_EQ(A.StartCol, 1);
    EXPECT_EQ(A.StartRow, 2);
    F.CloseFile();
    F.Disconnect();
}
