// The grid's own printing: pages laid out on a PDF file printer and read back with poppler's
// tools, preview pages compared with the printed ones, the page builder's counting and drawing
// passes, the page events, and the text measuring routines.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/forms/Printers.h"
#include "platform/testing/Commands.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Gdi.h"
#include "platform/win/Printing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using uitest::CommandOutput;

bool HavePoppler()
{
    return CommandOutput("command -v pdfinfo && command -v pdftotext && command -v pdftoppm")
               .find("pdftoppm") != std::string::npos;
}

std::size_t Count(const std::string& Text, const std::string& What)
{
    std::size_t N = 0;
    for (std::size_t At = Text.find(What); At != std::string::npos; At = Text.find(What, At + 1))
        ++N;
    return N;
}

// A greyscale page image.
struct Image {
    int W = 0, H = 0;
    std::vector<unsigned char> Grey;
    int At(int X, int Y) const { return Grey[static_cast<std::size_t>(Y * W + X)]; }
};

Image FromPpm(const std::string& Ppm)
{
    Image I;
    int Max = 0, Used = 0;
    if (std::sscanf(Ppm.c_str(), "P6 %d %d %d%n", &I.W, &I.H, &Max, &Used) != 3)
        return Image{};
    const std::size_t Data = static_cast<std::size_t>(Used) + 1;
    if (Ppm.size() < Data + static_cast<std::size_t>(I.W * I.H * 3))
        return Image{};
    I.Grey.resize(static_cast<std::size_t>(I.W * I.H));
    for (std::size_t P = 0; P < I.Grey.size(); ++P) {
        const auto* Px = reinterpret_cast<const unsigned char*>(Ppm.data() + Data + P * 3);
        I.Grey[P] = static_cast<unsigned char>((Px[0] + Px[1] + Px[2]) / 3);
    }
    return I;
}

Image FromCanvas(TCanvas* C, int W, int H)
{
    Image I;
    I.W = W;
    I.H = H;
    I.Grey.resize(static_cast<std::size_t>(W * H));
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const COLORREF V = ColorToRGB(C->Pixels(X, Y));
            I.Grey[static_cast<std::size_t>(Y * W + X)] =
                static_cast<unsigned char>((GetRValue(V) + GetGValue(V) + GetBValue(V)) / 3);
        }
    return I;
}

// Of the 8 x 8 blocks inked in either image, the share whose mean grey differs by more than
// Tolerance; and the share of all blocks inked in the first image.
struct Comparison {
    double Differing = 1.0;
    double Inked = 0.0;
};

Comparison Compare(const Image& A, const Image& B, int Tolerance)
{
    Comparison R;
    if (A.W != B.W || A.H != B.H || A.W == 0)
        return R;
    int Blocks = 0, Diff = 0, Ink = 0, Either = 0;
    for (int BY = 0; BY + 8 <= A.H; BY += 8)
        for (int BX = 0; BX + 8 <= A.W; BX += 8) {
            int SA = 0, SB = 0;
            for (int Y = BY; Y < BY + 8; ++Y)
                for (int X = BX; X < BX + 8; ++X) {
                    SA += A.At(X, Y);
                    SB += B.At(X, Y);
                }
            ++Blocks;
            Diff += std::abs(SA - SB) / 64 > Tolerance;
            Ink += SA / 64 < 250;
            Either += SA / 64 < 250 || SB / 64 < 250;
        }
    R.Differing = double(Diff) / std::max(1, Either);
    R.Inked = double(Ink) / Blocks;
    return R;
}

// A grid of Rows data rows under one fixed header row, four columns ("Draw", "Prize", "Winner",
// "Note"), printed on a 300 dpi A4 file printer without unprintable margins.
class GridPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 2);
        uitest::UsePrinters("[Grid PDF]\nFolder=" + Dir.Path().string() +
                            "\nResolution=300\nPaper=A4\nMargins=0,0,0,0\n");
        delete SetPrinter(new TPrinter);
        ClearPrintJobLog();
    }
    void TearDown() override
    {
        Form->Free();
        delete SetPrinter(nullptr);
        uitest::UsePrinters("");
    }
    void Fill(Integer Rows, Integer Cols = 4)
    {
        G->SetColCount(Cols);
        G->SetRowCount(Rows + 1);
        G->SetFixedRows(1);
        G->SetFixedCols(0);
        const char* Heads[] = {"Draw", "Prize", "Winner", "Note"};
        for (Integer C = 0; C < Cols; ++C)
            G->SetCells(C, 0, C < 4 ? AnsiString(Heads[C]) : "Extra" + std::to_string(C));
        for (Integer R = 1; R <= Rows; ++R)
            for (Integer C = 0; C < Cols; ++C)
                G->SetCells(C, R,
                            C == 0 ? "Row" + std::to_string(R)
                                   : "c" + std::to_string(C) + "r" + std::to_string(R));
    }
    const PrintJobRecord& LastJob() { return PrintJobLog().back(); }
    std::string PageText(const std::string& File, int Page)
    {
        return CommandOutput("pdftotext -layout -f " + std::to_string(Page) + " -l " + std::to_string(Page) +
                             " '" + File + "' -");
    }
    int PdfPages(const std::string& File)
    {
        const std::string Info = CommandOutput("pdfinfo '" + File + "'");
        int N = 0;
        const std::size_t At = Info.find("Pages:");
        if (At != std::string::npos)
            std::sscanf(Info.c_str() + At + 6, "%d", &N);
        return N;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    uitest::TempFolder Dir{"drawmere-gridprint"};
};

// The thousand-row print: the header row repeated at the top of every page, "Prize list" over
// every page and "page/total" under it, every row printed once and in order.
TEST_F(GridPrint, ThousandRowsOnAFilePrinterRepeatHeaderTitleAndPageNumbers)
{
    Fill(1000);
    TPrintSettings* PS = G->PrintSettings();
    PS->RepeatFixedRows = true;
    PS->Title = ppTopCenter;
    PS->TitleText = "Prize list";
    PS->PageNr = ppBottomRight;
    PS->JobName = "Grid job";
    std::vector<Integer> Started;
    G->OnPrintPage = [&](TObject*, TCanvas*, Integer Nr, Integer, Integer) { Started.push_back(Nr); };
    G->Print();

    ASSERT_EQ(PrintJobLog().size(), 1u);
    const PrintJobRecord& Job = LastJob();
    ASSERT_EQ(Job.State, PrintJobState::Printed) << Job.Error;
    const int Pages = G->PrintPageCount();
    EXPECT_GT(Pages, 10);
    EXPECT_EQ(static_cast<int>(Job.Pages.size()), Pages);
    EXPECT_EQ(Started.front(), 1);
    EXPECT_EQ(Started.back(), Pages);
    if (!HavePoppler())
        return uitest::SkipMissing("pdfinfo/pdftotext/pdftoppm (poppler-utils) are not installed");
    EXPECT_EQ(PdfPages(Job.File), Pages);
    std::string All;
    for (int P = 1; P <= Pages; ++P) {
        const std::string T = PageText(Job.File, P);
        All += T;
        EXPECT_EQ(Count(T, "Prize list"), 1u) << "page " << P;
        EXPECT_EQ(Count(T, "Winner"), 1u) << "page " << P << ": the header row repeats";
        EXPECT_NE(T.find(std::to_string(P) + "/" + std::to_string(Pages)), std::string::npos) << "page " << P;
        // The header is above the first row of the page.
        EXPECT_LT(T.find("Winner"), T.find("Row")) << "page " << P;
    }
    std::size_t Last = 0;
    for (int R = 1; R <= 1000; ++R) {
        const std::string Key = "Row" + std::to_string(R) + " ";
        ASSERT_EQ(Count(All, Key), 1u) << Key;
        const std::size_t At = All.find(Key);
        EXPECT_GT(At, Last) << Key;
        Last = At;
    }
}

// The same pages drawn in preview and printed look alike: pages 1 and 2 rendered by poppler at
// 96 dpi and drawn by the preview on an A4 bitmap at 96 dpi differ in few 8 x 8 blocks.
TEST_F(GridPrint, PreviewPagesEqualThePrintedPages)
{
    Fill(200);
    TPrintSettings* PS = G->PrintSettings();
    PS->RepeatFixedRows = true;
    PS->Title = ppTopLeft;
    PS->TitleText = "Prize list";
    PS->PageNr = ppBottomCenter;
    PS->Borders = pbSingle;
    G->SetColors(1, 5, clYellow);
    G->Print();
    ASSERT_EQ(LastJob().State, PrintJobState::Printed) << LastJob().Error;
    const Integer Printed = G->PrintPageCount();
    ASSERT_GE(Printed, 3);
    if (!HavePoppler())
        return uitest::SkipMissing("pdftoppm (poppler-utils) is not installed");
    auto PdfPage = [&](int Page) {
        return FromPpm(CommandOutput("pdftoppm -r 96 -f " + std::to_string(Page) + " -l " +
                                     std::to_string(Page) + " '" + LastJob().File + "'"));
    };
    Image Previewed;
    for (int Page : {1, 2}) {
        const Image Pdf = PdfPage(Page);
        ASSERT_GT(Pdf.W, 700);
        TBitmap B;
        B.SetSize(Pdf.W, Pdf.H);
        B.Canvas()->Brush()->SetColor(clWhite);
        B.Canvas()->FillRect(TRect{0, 0, Pdf.W, Pdf.H});
        G->SetPreviewPage(Page);
        G->PrintPreview(B.Canvas(), TRect{0, 0, Pdf.W, Pdf.H});
        EXPECT_EQ(G->PrintPageCount(), Printed) << "the preview lays out the same pages";
        EXPECT_EQ(::GetMapMode(B.Canvas()->Handle()), MM_TEXT);
        Previewed = FromCanvas(B.Canvas(), Pdf.W, Pdf.H);
        const Comparison C = Compare(Previewed, Pdf, 48);
        EXPECT_GT(C.Inked, 0.1) << "page " << Page;
        EXPECT_LT(C.Differing, 0.02) << "page " << Page;
    }
    // The comparison tells pages apart: the previewed page 2 is not the printed page 3.
    EXPECT_GT(Compare(Previewed, PdfPage(3), 48).Differing, 0.05);
}

} // namespace
