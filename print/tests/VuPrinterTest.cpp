#include "print/VuPrinter.h"

#include "platform/testing/Commands.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"
#include "print/VuObjects.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using uitest::CommandOutput;

class VuPrinterTest : public ::testing::Test {
protected:
    void SetUp() override {}
    void TearDown() override
    {
        delete SetPrinter(nullptr);
        uitest::UsePrinters("");
    }
    void UseFilePrinter()
    {
        uitest::UsePrinters("[PDF]\nFolder=" + Folder.string() +
                            "\nResolution=300\nPaper=A4\nBins=Automatic,Tray 1\n");
        delete SetPrinter(new TPrinter);
    }
    void UseNoPrinter()
    {
        uitest::UsePrinters("");
        delete SetPrinter(new TPrinter);
    }
    uitest::TempFolder Temp{"drawmere-vuprinter"};
    fs::path Folder = Temp.Path();
};

TEST_F(VuPrinterTest, PaperCodes)
{
    EXPECT_EQ(-1, AsDmPaperSize(Custom));
    EXPECT_EQ(Custom, AsVuPaperSize(256));
    for (int p = A3; p <= Executive; ++p) {
        if (p != Custom) {
            EXPECT_EQ(p, AsVuPaperSize(AsDmPaperSize(static_cast<TVuPaperSize>(p))));
        }
    }
    EXPECT_EQ(9, AsDmPaperSize(A4));
    EXPECT_EQ(70, AsDmPaperSize(A6));
}

TEST_F(VuPrinterTest, DefaultsWithoutAPrinter)
{
    UseNoPrinter();
    TVuPrinter P;
    EXPECT_EQ(300, P.Metrics()->GetPpiX());
    EXPECT_NEAR(2481.0 / 300, P.Metrics()->GetPhysicalSizeX(), 1e-12);
    EXPECT_EQ(2358, P.Metrics()->GetAvailableWidth());
    EXPECT_EQ(1, P.PrintCopies());
    EXPECT_EQ(Custom, P.GetPaperSize());
    EXPECT_EQ(vuMedium, P.PrintQuality());
    EXPECT_EQ(-1, P.GetPrinterBinIndex());
    P.SetPrintCopies(5); // nothing to set
    EXPECT_EQ(1, P.PrintCopies());

    // The layout of pages on sheets, on the default A4 sheet (2481 × 3507 pixels).
    struct Case {
        TVuPagesPerSheet Per;
        TVuOrientation Sheet;
        Integer Page;
        TRect Area;
        Integer Scale;
    } Cases[] = {
        {vuOnePage, vuPortrait, 1, {0, 0, 2481, 3507}, 100},
        // Two to a sheet: each page, in the orientation the sheet is turned for, scaled to fit its
        // half whole (without a printer the sheet's metrics do not turn: a portrait page fits
        // half the portrait width).
        {vuTwoPage, vuLandscape, 1, {0, 0, 1240, 3507}, 49},
        {vuTwoPage, vuLandscape, 2, {1240, 0, 2481, 3507}, 49},
        {vuTwoPage, vuPortrait, 2, {0, 1753, 2481, 3507}, 70}, // 1753 / 2481 (71 would overlap)
        {vuFourPage, vuPortrait, 1, {0, 0, 1240, 1753}, 49},
        {vuFourPage, vuPortrait, 2, {1240, 0, 2481, 1753}, 49},
        {vuFourPage, vuPortrait, 3, {0, 1753, 1240, 3507}, 49},
        {vuFourPage, vuPortrait, 4, {1240, 1753, 2481, 3507}, 49},
        {vuFourPage, vuPortrait, 5, {0, 0, 1240, 1753}, 49},
    };
    for (const Case& C : Cases) {
        P.PagesPerSheet = C.Per;
        P.SetOrientation(C.Sheet);
        TRect Area;
        Integer Scale = 0;
        P.DrawingArea(C.Page, Area, Scale);
        EXPECT_EQ(C.Area.Left, Area.Left) << C.Per << " " << C.Page;
        EXPECT_EQ(C.Area.Top, Area.Top) << C.Per << " " << C.Page;
        EXPECT_EQ(C.Area.Right, Area.Right) << C.Per << " " << C.Page;
        EXPECT_EQ(C.Area.Bottom, Area.Bottom) << C.Per << " " << C.Page;
        EXPECT_EQ(C.Scale, Scale);
    }
    TRect G = P.Metrics()->GetGutters(vuLandscape);
    EXPECT_EQ(50, G.Left);
    EXPECT_EQ(58, G.Top);
    EXPECT_EQ(50, G.Right);
    EXPECT_EQ(65, G.Bottom);

    AnsiString Shown;
    VuErrorHook = [&](const AnsiString& Text) { Shown = Text; };
    P.BeginDoc();
    VuErrorHook = nullptr;
    EXPECT_FALSE(P.Printing());
    EXPECT_EQ("TVuPrinter Error!\r\rUnable to print... No Printer available.", Shown);
}

TEST_F(VuPrinterTest, SettingsLiveInTheDeviceMode)
{
    UseFilePrinter();
    TVuPrinter P;
    P.SetPrintCopies(3);
    EXPECT_EQ(3, P.PrintCopies());
    EXPECT_EQ(3, Printer()->Copies());
    P.SetVuPaperSize(Letter);
    EXPECT_EQ(Letter, P.GetPaperSize());
    EXPECT_NEAR(8.5, P.GetPaperDimensions(vuInches).Width, 0.01);
    P.SetCollate(true);
    EXPECT_TRUE(P.Collate());
    P.SetPrintColor(vuMonochrome);
    EXPECT_EQ(vuMonochrome, P.PrintColor());
    EXPECT_EQ(2, P.GetPrinterBins()->Count());
    P.SetPrinterBinIndex(1);
    EXPECT_EQ(1, P.GetPrinterBinIndex());

    int Before = 0;
    P.BeforePrint = [&](TObject*) {
        ++Before;
        P.Abort();
    };
    P.BeginDoc();
    EXPECT_EQ(1, Before);
    EXPECT_FALSE(P.Printing());
    EXPECT_FALSE(Printer()->Printing());
}

TEST_F(VuPrinterTest, ThreePagesTwoToASheetOnAFilePrinter)
{
    UseFilePrinter();
    TVuPrinter P;
    P.Title = "Three pages";
    P.PagesPerSheet = vuTwoPage;
    int After = 0;
    P.AfterPrint = [&](TObject*) { ++After; };
    TVuResourceTable Table;
    TVuFont Font;
    Font.SetName("Arial");
    Font.SetSize(24);
    TVuFont* Shared = Table.AddFont(&Font);
    P.BeginDoc();
    ASSERT_TRUE(P.Printing());
    EXPECT_EQ(vuLandscape, P.Orientation()); // portrait pages side by side on a turned sheet
    for (Integer Page = 1; Page <= 3; ++Page) {
        if (Page > 1)
            P.NewPage();
        TVuTextObject Text(&Table);
        Text.SetFont(Shared);
        Text.SetCaption("Prize page {PAGE} of {NUMPAGES}");
        Text.SetX(vuInches, 1);
        Text.SetY(vuInches, 1);
        Integer Ppi = P.Metrics()->GetPpiX();
        Text.Draw(P.GetCanvas(), TVuObjectDrawData{Page, Ppi, Ppi, 3, false});
    }
    P.EndDoc();
    EXPECT_EQ(1, After);
    fs::path Pdf = Folder / "Three pages.pdf";
    ASSERT_TRUE(fs::exists(Pdf));
    std::string Info = CommandOutput("pdfinfo '" + Pdf.string() + "'");
    size_t At = Info.find("Pages:");
    ASSERT_NE(std::string::npos, At) << Info;
    EXPECT_EQ(2, std::atoi(Info.c_str() + At + 6)) << Info;
    // Sheet 1 holds pages 1 and 2 side by side, sheet 2 page 3.
    std::string First = CommandOutput("pdftotext -f 1 -l 1 '" + Pdf.string() + "' -");
    std::string Second = CommandOutput("pdftotext -f 2 -l 2 '" + Pdf.string() + "' -");
    EXPECT_NE(std::string::npos, First.find("Prize page 1 of 3")) << First;
    EXPECT_NE(std::string::npos, First.find("Prize page 2 of 3")) << First;
    EXPECT_NE(std::string::npos, Second.find("Prize page 3 of 3")) << Second;
    std::string Size = CommandOutput("pdfinfo -f 1 -l 1 '" + Pdf.string() + "'");
    EXPECT_NE(std::string::npos, Size.find("841.")) << Size; // landscape A4, 841.89 pt wide
}

// Capabilities are asked for by the printer's full name, not by the device mode's name field,
// which holds only its first 31 characters.
TEST_F(VuPrinterTest, PrinterWithALongNameKeepsItsPapersAndBins)
{
    const std::string Name = "Accounts department colour laser, second floor";
    ASSERT_GT(Name.size(), 31u);
    uitest::UsePrinters("[" + Name + "]\nFolder=" + Folder.string() +
                        "\nPapers=A4,Letter,A3\nBins=Automatic,Tray 1,Manual\n");
    delete SetPrinter(new TPrinter);
    TVuPrinter P;
    EXPECT_EQ(3, P.GetPrinterBins()->Count());
    EXPECT_EQ("Tray 1", P.GetPrinterBins()->Strings(1));
    TStringList Papers;
    P.GetPaperNames(&Papers);
    EXPECT_EQ(3, Papers.Count());
    P.SetPrinterBinIndex(2);
    EXPECT_EQ(2, P.GetPrinterBinIndex());
}

// A job nobody named takes the title the document gives, else the program's title, rather than
// making "<document>.pdf" files.
TEST_F(VuPrinterTest, UnnamedJobsAreNamedAfterTheDocumentOrTheProgram)
{
    uitest::Start();
    UseFilePrinter();
    const AnsiString Saved = Application->Title();
    Application->SetTitle("Prize draw");
    TVuPrinter P;
    for (const char* Doc : {"", "Prize list"}) {
        P.BeginDoc(Doc);
        ASSERT_TRUE(P.Printing());
        P.EndDoc();
    }
    P.Title = "Named";
    P.BeginDoc("Prize list");
    P.EndDoc();
    Application->SetTitle(Saved);
    EXPECT_TRUE(fs::exists(Folder / "Prize draw.pdf"));
    EXPECT_TRUE(fs::exists(Folder / "Prize list.pdf"));
    EXPECT_TRUE(fs::exists(Folder / "Named.pdf"));
    EXPECT_FALSE(fs::exists(Folder / "<document>.pdf"));
}

} // namespace
