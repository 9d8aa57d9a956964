// The program's printer object: the list, device modes, jobs drawn on its canvas, and the print
// dialogs that choose a printer.

#include "FormsTestSupport.h"

#include "platform/forms/CommonDialogs.h"
#include "platform/forms/Printers.h"
#include "platform/testing/DialogScript.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Metafile.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class PrintersTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        uitest::ClearDialogScript();
    }
    void TearDown() override
    {
        delete SetPrinter(nullptr);
        uitest::ClearDialogScript();
        FormsTest::TearDown();
    }
    // Two file printers, the second the default, and a fresh printer object.
    TPrinter* TwoPrinters()
    {
        uitest::UsePrinters("[Draft]\nFolder=" + Folder.string() + "\nResolution=150\nPaper=Letter\n" +
                            "[Office]\nFolder=" + Folder.string() +
                            "\nResolution=300\nBins=Automatic,Tray 1\n" + "Default=1\n");
        delete SetPrinter(new TPrinter);
        return Printer();
    }
    uitest::TempFolder Dir{"drawmere-print"};
    fs::path Folder = Dir.Path();
};

TEST_F(PrintersTest, WithoutPrintersTheDefaultSheetMeasures)
{
    delete SetPrinter(new TPrinter);
    TPrinter* P = Printer();
    EXPECT_EQ(P->Printers()->Count(), 0);
    EXPECT_EQ(P->PrinterIndex(), -1);
    EXPECT_EQ(P->Canvas()->ClassName(), "TPrinterCanvas");
    struct Case {
        TPrinterOrientation Orientation;
        int PhysW, PhysH, OffX, OffY, HorzRes, VertRes;
    };
    const Case Cases[] = {
        {poPortrait, 2481, 3507, 65, 50, 2358, 3407},
        {poLandscape, 3507, 2481, 50, 58, 3407, 2358},
    };
    for (const Case& C : Cases) {
        P->SetOrientation(C.Orientation);
        EXPECT_EQ(P->Orientation(), C.Orientation);
        HDC DC = P->Handle();
        EXPECT_EQ(GetDeviceCaps(DC, LOGPIXELSX), 300);
        EXPECT_EQ(GetDeviceCaps(DC, PHYSICALWIDTH), C.PhysW);
        EXPECT_EQ(GetDeviceCaps(DC, PHYSICALHEIGHT), C.PhysH);
        EXPECT_EQ(GetDeviceCaps(DC, PHYSICALOFFSETX), C.OffX);
        EXPECT_EQ(GetDeviceCaps(DC, PHYSICALOFFSETY), C.OffY);
        EXPECT_EQ(P->PageWidth(), C.HorzRes);
        EXPECT_EQ(P->PageHeight(), C.VertRes);
    }
    // Text measures at the printer's resolution: 12 points are 50 pixels at 300 dpi.
    P->Canvas()->Font()->SetName("Arial");
    P->Canvas()->Font()->SetSize(12);
    EXPECT_EQ(P->Canvas()->Font()->Height(), -50);
    EXPECT_GT(P->Canvas()->TextHeight("Prize"), 45);
    HGLOBAL Mode = reinterpret_cast<HGLOBAL>(1);
    char Device[129];
    P->GetPrinter(Device, nullptr, nullptr, Mode);
    EXPECT_EQ(Mode, nullptr);
    EXPECT_STREQ(Device, "");
    EXPECT_THROW(P->BeginDoc(), EPrinter);
    EXPECT_FALSE(P->Printing());
}

TEST_F(PrintersTest, DeviceModesComeAndGoWithThePrinter)
{
    TPrinter* P = TwoPrinters();
    ASSERT_EQ(P->Printers()->Count(), 2);
    EXPECT_EQ(P->PrinterIndex(), 1); // the default
    char Device[129], Driver[129], Port[129];
    HGLOBAL Mode = nullptr;
    P->GetPrinter(Device, Driver, Port, Mode);
    EXPECT_STREQ(Device, "Office");
    EXPECT_STREQ(Driver, "File printer");
    EXPECT_EQ(std::string(Port), Folder.string());
    ASSERT_NE(Mode, nullptr);
    // Changes made in the block and handed back show in the metrics.
    auto* DM = static_cast<DEVMODEA*>(GlobalLock(Mode));
    EXPECT_EQ(DM->dmPaperSize, DMPAPER_A4);
    DM->dmFields |= DM_PAPERSIZE | DM_ORIENTATION;
    DM->dmPaperSize = DMPAPER_A3;
    DM->dmOrientation = DMORIENT_LANDSCAPE;
    GlobalUnlock(Mode);
    P->SetPrinter(Device, Driver, Port, Mode);
    EXPECT_EQ(P->Orientation(), poLandscape);
    EXPECT_EQ(GetDeviceCaps(P->Handle(), PHYSICALWIDTH), 4961); // 420 mm at 300 dpi
    // Handing the names back without a block takes the printer's defaults again.
    P->SetPrinter(Device, Driver, Port, nullptr);
    EXPECT_EQ(P->Orientation(), poPortrait);
    EXPECT_EQ(GetDeviceCaps(P->Handle(), PHYSICALWIDTH), 2480);
    // Another printer brings its own resolution and paper.
    P->SetPrinterIndex(0);
    EXPECT_EQ(GetDeviceCaps(P->Handle(), LOGPIXELSX), 150);
    EXPECT_EQ(GetDeviceCaps(P->Handle(), PHYSICALWIDTH), 1275); // Letter, 8.5 in
    EXPECT_EQ(P->Canvas()->Font()->PixelsPerInch(), 150);
    EXPECT_THROW(P->SetPrinterIndex(2), EPrinter);
    EXPECT_THROW(P->SetPrinter("Gone", "", "", nullptr), EPrinter);
    P->SetPrinterIndex(-1);
    EXPECT_EQ(P->PrinterIndex(), 1);
}

TEST_F(PrintersTest, JobOfThreePagesWithALandscapeSheet)
{
    TPrinter* P = TwoPrinters();
    P->SetTitle("Winners");
    P->SetCopies(2);
    P->BeginDoc();
    EXPECT_TRUE(P->Printing());
    EXPECT_EQ(P->PageNumber(), 1);
    EXPECT_THROW(P->SetOrientation(poLandscape), EPrinter);
    EXPECT_THROW(P->BeginDoc(), EPrinter);
    P->Canvas()->TextOut(0, 0, "Page one");
    // Turning the next sheet as a print document does: the device mode, then a DC reset.
    char Device[129];
    HGLOBAL Mode = nullptr;
    P->GetPrinter(Device, nullptr, nullptr, Mode);
    auto* DM = static_cast<DEVMODEA*>(GlobalLock(Mode));
    DM->dmFields |= DM_ORIENTATION;
    DM->dmOrientation = DMORIENT_LANDSCAPE;
    EndPage(P->Handle());
    EXPECT_EQ(ResetDCA(P->Handle(), DM), P->Handle());
    StartPage(P->Handle());
    P->Canvas()->Refresh();
    EXPECT_EQ(GetDeviceCaps(P->Handle(), PHYSICALWIDTH), 3508);
    P->Canvas()->TextOut(0, 0, "Page two");
    DM->dmOrientation = DMORIENT_PORTRAIT;
    EndPage(P->Handle());
    ResetDCA(P->Handle(), DM);
    StartPage(P->Handle());
    GlobalUnlock(Mode);
    P->Canvas()->TextOut(0, 0, "Page three");
    P->EndDoc();
    EXPECT_FALSE(P->Printing());

    ASSERT_EQ(uitest::PrintJobs().size(), 1u);
    const PrintJobRecord& Job = uitest::PrintJobs()[0];
    EXPECT_EQ(Job.State, PrintJobState::Printed);
    EXPECT_EQ(Job.Title, "Winners");
    EXPECT_EQ(Job.Printer, "Office");
    EXPECT_EQ(Job.Options.at("copies"), "2");
    ASSERT_EQ(Job.Pages.size(), 3u);
    const SHORT Turns[] = {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE, DMORIENT_PORTRAIT};
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(Job.Pages[size_t(I)].Orientation, Turns[I]) << "page " << I + 1;
    EXPECT_TRUE(fs::exists(Folder / "Winners.pdf"));

    // NewPage and Abort: nothing is written and the log says so.
    P->BeginDoc();
    P->NewPage();
    EXPECT_EQ(P->PageNumber(), 2);
    P->Abort();
    EXPECT_TRUE(P->Aborted());
    EXPECT_FALSE(P->Printing());
    EXPECT_EQ(uitest::PrintJobs().back().State, PrintJobState::Aborted);
    EXPECT_FALSE(fs::exists(Folder / "Winners (2).pdf"));
}

TEST_F(PrintersTest, AFailedJobRaisesAndIsNotReportedPrinted)
{
    TPrinter* P = TwoPrinters();
    P->SetTitle("Lost");
    P->BeginDoc();
    P->Canvas()->TextOut(10, 10, "Lost");
    fs::remove_all(Folder);
    try {
        P->EndDoc();
        ADD_FAILURE() << "EndDoc did not raise";
    } catch (const EPrinter& E) {
        EXPECT_NE(std::string(E.what()).find("no longer available"), std::string::npos) << E.what();
    }
    EXPECT_FALSE(P->Printing());
    EXPECT_EQ(uitest::PrintJobs().back().State, PrintJobState::Failed);
    // A printer whose folder is missing cannot start a job.
    EXPECT_THROW(P->BeginDoc(), EPrinter);
    EXPECT_FALSE(P->Printing());
}

// A program that ends in the middle of a job leaves no half-written file behind.
TEST_F(PrintersTest, AJobRunningAtExitIsDiscarded)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child shares the test's folder
    TwoPrinters();
    EXPECT_EXIT(
        {
            Printer()->SetTitle("Unfinished");
            Printer()->BeginDoc();
            Printer()->Canvas()->TextOut(0, 0, "Unfinished");
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_TRUE(fs::is_empty(Folder));
}

TEST_F(PrintersTest, PrintDialogsChooseThePrinterAndItsSettings)
{
    TPrinter* P = TwoPrinters();
    auto* Setup = New<TPrinterSetupDialog>(Application);
    uitest::AnswerPrinterSetupDialog("Draft", 2);
    ASSERT_TRUE(Setup->Execute());
    EXPECT_EQ(P->PrinterIndex(), 0);
    EXPECT_EQ(P->Orientation(), poLandscape);
    auto* Print = New<TPrintDialog>(Application);
    uitest::AnswerPrintDialog(3, 0, 0, true, "Office");
    ASSERT_TRUE(Print->Execute());
    EXPECT_EQ(P->PrinterIndex(), 1);
    EXPECT_EQ(P->Copies(), 3);
    uitest::CancelNextDialog(DialogKind::Print);
    EXPECT_FALSE(Print->Execute());
    EXPECT_EQ(P->PrinterIndex(), 1);
}

// A picture recorded against the printer measures text as the printer does, keeps the printer's
// resolution and comes back the same from a stream.
TEST_F(PrintersTest, MetafilesRecordedAgainstThePrinterMeasureLikeIt)
{
    uitest::UsePrinters("[Fine]\nFolder=" + Folder.string() + "\nResolution=600\n");
    delete SetPrinter(new TPrinter);
    TPrinter* P = Printer();
    P->Canvas()->Font()->SetName("Arial");
    P->Canvas()->Font()->SetSize(10);
    TSize OnPrinter = P->Canvas()->TextExtent("Grand prize: a bicycle");
    EXPECT_NEAR(OnPrinter.cy, 10 * 600 / 72, 20);
    auto M = std::make_unique<TMetafile>();
    TSize OnMetafile;
    {
        TMetafileCanvas C(M.get(), P->Handle());
        C.Font()->SetPixelsPerInch(600);
        C.Font()->SetName("Arial");
        C.Font()->SetSize(10);
        OnMetafile = C.TextExtent("Grand prize: a bicycle");
        C.Brush()->SetColor(clBlack);
        C.Rectangle(600, 600, 1800, 1200); // one by a half inch, an inch in
    }
    EXPECT_EQ(OnMetafile, OnPrinter);
    MetafileInfo Info;
    ASSERT_TRUE(GetMetafileInfo(M->Handle(), &Info));
    EXPECT_EQ(Info.DpiX, 600);
    EXPECT_EQ(Info.Bounds, (RECT{600, 600, 1800, 1200}));
    TMemoryStream S;
    M->SaveToStream(&S);
    S.SetPosition(0);
    TMetafile Back;
    Back.LoadFromStream(&S);
    auto B = std::make_unique<TBitmap>();
    B->SetSize(60, 30);
    B->Canvas()->Brush()->SetColor(clWhite);
    B->Canvas()->FillRect(Rect(0, 0, 60, 30));
    B->Canvas()->StretchDraw(Rect(0, 0, 60, 30), &Back);
    EXPECT_EQ(B->Canvas()->Pixels(30, 15), clBlack);
}

} // namespace
