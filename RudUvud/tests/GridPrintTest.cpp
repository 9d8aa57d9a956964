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

namespace {

// A grid that records its export notifications.
class TNotifyingGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    void ExportNotification(TGridExportState State, Integer ARow) override
    {
        if (ARow == -1)
            Notes.push_back(State);
    }
    std::vector<TGridExportState> Notes;
};

// Layouts drawn as previews on an A4 page at 96 dpi.
class GridPrintLayout : public GridPrint {
protected:
    void SetUp() override
    {
        GridPrint::SetUp();
        Page.SetSize(794, 1123);
    }
    void Preview(Integer PageNr = 1)
    {
        G->SetPreviewPage(PageNr);
        G->PrintPreview(Page.Canvas(), TRect{0, 0, 794, 1123});
    }
    TBitmap Page;
};

// A page break forced after every seventh row is taken in the counting pass too: the counted
// pages are the pages the drawing pass ends.
TEST_F(GridPrintLayout, ForcedPageBreaksCountAlikeInBothPasses)
{
    Fill(30);
    G->OnPrintNewPage = [](TObject*, Integer ARow, bool& NewPage) { NewPage = ARow % 7 == 0; };
    std::vector<Integer> Done;
    G->OnPrintPageDone = [&](TObject*, TCanvas*, Integer, Integer, Integer Last, Integer, Integer) {
        Done.push_back(Last);
    };
    Preview();
    EXPECT_EQ(G->PrintPageCount(), 5);
    EXPECT_EQ(Done, (std::vector<Integer>{1, 2, 3, 4, 5}));
}

// Empty ranges: no columns give no page, no rows one page per column strip.
TEST_F(GridPrintLayout, EmptyRanges)
{
    Fill(10);
    G->PrintPreviewRect(Page.Canvas(), TRect{0, 0, 794, 1123}, TGridRect{3, 0, 2, 10});
    EXPECT_EQ(G->PrintPageCount(), 0);
    G->PrintPreviewRect(Page.Canvas(), TRect{0, 0, 794, 1123}, TGridRect{0, 5, 3, 4});
    EXPECT_EQ(G->PrintPageCount(), 1);
}

// Fixed widths: every column 30 mm and no spacing; the positions follow one another.
TEST_F(GridPrintLayout, FixedWidthsAndPositions)
{
    Fill(5);
    TPrintSettings* PS = G->PrintSettings();
    PS->UseFixedWidth = true;
    PS->FixedWidth = 300;
    PS->Centered = false;
    PS->LeftSize = 50;
    Preview();
    const std::vector<Integer>& W = G->PrintLayoutWidths();
    const std::vector<Integer>& P = G->PrintLayoutPositions();
    for (Integer C = 0; C < 4; ++C) {
        EXPECT_EQ(W[std::size_t(C)], 300) << C;
        EXPECT_EQ(P[std::size_t(C)], 50 + 300 * C) << C;
    }
    EXPECT_EQ(G->GetPrintColWidth(2), 300);
}

// Fitting: shrinking leaves a narrow grid alone, a vetoed custom scale keeps the widths, an
// allowed one scales widths and fonts (a 10-point font at 0.5 is -17 units high).
TEST_F(GridPrintLayout, FitToPage)
{
    Fill(5);
    TPrintSettings* PS = G->PrintSettings();
    PS->UseFixedWidth = true;
    PS->FixedWidth = 300;
    PS->FitToPage = fpShrink;
    Preview();
    EXPECT_EQ(G->PrintLayoutWidths()[1], 300);

    PS->FitToPage = fpCustom;
    double Offered = 0;
    G->OnFitToPage = [&](TObject*, double& Scale, bool& Allow) {
        Offered = Scale;
        Allow = false;
    };
    Preview();
    EXPECT_GT(Offered, 1.0) << "four 30 mm columns grow to the page width";
    EXPECT_EQ(G->PrintLayoutWidths()[1], 300);

    G->OnFitToPage = [](TObject*, double& Scale, bool&) { Scale = 0.5; };
    Integer Mapped = 0;
    G->OnPrintSetRowHeight = [&](TObject*, Integer, Integer&) { Mapped = G->MapFontHeight(10); };
    PS->UseFixedWidth = false;
    PS->UseFixedHeight = false;
    Preview();
    EXPECT_EQ(Mapped, -17);
    EXPECT_EQ(G->MapFontHeight(10), -35) << "the scale applies only while a run measures or paints";
    EXPECT_EQ(G->MapFontSize(-35), -9);
}

// Without automatic row heights a row is its screen height at the printed size, less 4, and
// no row height event fires.
TEST_F(GridPrintLayout, ScreenRowHeights)
{
    Fill(3);
    G->PrintSettings()->NoAutoSizeRow = true;
    G->SetRowHeights(1, 96);
    bool Fired = false;
    G->OnPrintSetRowHeight = [&](TObject*, Integer, Integer&) { Fired = true; };
    std::vector<Integer> Y;
    G->OnPrintPageDone = [&](TObject*, TCanvas*, Integer, Integer Offset, Integer, Integer, Integer) {
        Y.push_back(Offset);
    };
    Preview();
    EXPECT_FALSE(Fired);
    ASSERT_EQ(Y.size(), 1u);
    // Row 1 alone is 254 - 4 units high (96 pixels are one inch), each row block adds 2 x s8.
    EXPECT_LT(Y[0], -250 - 3 * 3 * 20);
}

// More columns than the old fixed tables held lay out without writing past them; the first 512
// columns of the layout stay readable.
TEST_F(GridPrintLayout, SixHundredColumns)
{
    Fill(2, 600);
    G->PrintSettings()->NoAutoSize = true;
    Preview();
    EXPECT_GT(G->PrintPageCount(), 20);
    EXPECT_GT(G->GetPrintColWidth(511), 0);
    EXPECT_EQ(G->PrintLayoutWidths().size(), 601u);
}

// The first page drawn on any canvas: the canvas's clip rectangle is the page, no printer page
// is begun, and the canvas keeps its map mode.
TEST_F(GridPrintLayout, PrintDrawDrawsTheFirstPage)
{
    Fill(200);
    Page.Canvas()->Brush()->SetColor(clWhite);
    Page.Canvas()->FillRect(TRect{0, 0, 794, 1123});
    G->PrintDraw(Page.Canvas(), TRect{0, 0, 794, 1123});
    EXPECT_EQ(G->PrintPageCount(), 1);
    EXPECT_EQ(::GetMapMode(Page.Canvas()->Handle()), MM_TEXT);
    EXPECT_TRUE(PrintJobLog().empty());
    const Image I = FromCanvas(Page.Canvas(), 794, 1123);
    int Top = 0, Bottom = 0;
    for (int Y = 0; Y < 1123; ++Y)
        for (int X = 0; X < 794; X += 2)
            (Y < 560 ? Top : Bottom) += I.At(X, Y) < 128;
    EXPECT_GT(Top, 1000);
    EXPECT_GT(Bottom, 1000) << "the first page is filled down to its footer";
}

// Cell graphics on the page: pictures, check boxes and the rest only with PrintGraphics, rotated
// text always; the screen's selection rectangle and sort indicator never.
TEST_F(GridPrintLayout, GraphicsRotatedTextAndScreenMarks)
{
    Fill(4);
    auto Shown = [&] {
        Page.Canvas()->Brush()->SetColor(clWhite);
        Page.Canvas()->FillRect(TRect{0, 0, 794, 1123});
        Preview();
        return FromCanvas(Page.Canvas(), 794, 1123);
    };
    auto RedPixels = [&] {
        int N = 0;
        for (int Y = 0; Y < 1123; Y += 2)
            for (int X = 0; X < 794; X += 2) {
                const COLORREF V = ColorToRGB(Page.Canvas()->Pixels(X, Y));
                N += GetRValue(V) > 200 && GetGValue(V) < 60 && GetBValue(V) < 60;
            }
        return N;
    };
    auto Inked = [](const Image& I) {
        int N = 0;
        for (int P : I.Grey)
            N += P < 128;
        return N;
    };
    const Image Plain = Shown();

    // The screen's marks: a selection rectangle and a sort indicator change nothing on paper.
    G->SetSelectionRectangle(true);
    G->SetSelection(TGridRect{1, 1, 2, 3});
    G->SortSettings()->Show = true;
    G->SortSettings()->Column = 1;
    const Image Marked = Shown();
    EXPECT_EQ(Marked.Grey, Plain.Grey);

    // Rotated text prints without PrintGraphics: more ink than the empty cell it replaces.
    G->SetCells(3, 2, "");
    const Image Empty = Shown();
    G->AddRotated(3, 2, 90, "Turned");
    EXPECT_GT(Inked(Shown()), Inked(Empty) + 20);

    // A red picture and a checked box appear only with PrintGraphics.
    TBitmap Red;
    Red.SetSize(16, 16);
    Red.Canvas()->Brush()->SetColor(clRed);
    Red.Canvas()->FillRect(TRect{0, 0, 16, 16});
    G->AddBitmap(2, 1, &Red, false, haLeft, vaTop);
    G->SetCells(2, 3, "");
    G->AddCheckBox(2, 3, true, false);
    const Image Without = Shown();
    EXPECT_EQ(RedPixels(), 0);
    G->PrintSettings()->PrintGraphics = true;
    const Image With = Shown();
    EXPECT_GT(RedPixels(), 25); // 16 x 16 screen pixels at their printed size, every fourth
    EXPECT_GT(Inked(With), Inked(Without) + 20) << "the check box and its mark";
}

// A preview whose pages the owner declines still answers its start and gives the canvas its map
// mode back.
TEST_F(GridPrint, DeclinedPagesEndTheNotificationsAndKeepTheMapMode)
{
    auto* N = New<TNotifyingGrid>(Form);
    N->SetParent(Form);
    N->SetColCount(2);
    N->SetRowCount(3);
    N->OnPrintStart = [](TObject*, Integer, Integer& From, Integer& To) { From = To = 0; };
    TBitmap B;
    B.SetSize(200, 300);
    N->PrintPreview(B.Canvas(), TRect{0, 0, 200, 300});
    EXPECT_EQ(::GetMapMode(B.Canvas()->Handle()), MM_TEXT);
    N->Print();
    EXPECT_TRUE(PrintJobLog().empty() || PrintJobLog().back().State == PrintJobState::Aborted);
    EXPECT_EQ(N->Notes,
              (std::vector<TGridExportState>{esExportStart, esExportDone, esExportStart, esExportDone}));
}

// A counting pass that fails leaves no job running: the job is aborted and the next print works.
TEST_F(GridPrint, AFailingCountingPassAbortsTheJob)
{
    Fill(3);
    bool Fail = true;
    G->OnPrintSetRowHeight = [&](TObject*, Integer, Integer&) {
        if (Fail)
            throw Exception("no height");
    };
    EXPECT_THROW(G->Print(), Exception);
    EXPECT_FALSE(Printer()->Printing());
    ASSERT_FALSE(PrintJobLog().empty());
    EXPECT_EQ(PrintJobLog().back().State, PrintJobState::Aborted);
    Fail = false;
    G->Print();
    EXPECT_EQ(PrintJobLog().back().State, PrintJobState::Printed);
}

// The owner chooses pages 2 and 3 of 5: the counting job is aborted, a new job prints two pages
// numbered 2/5 and 3/5.
TEST_F(GridPrint, OnPrintStartChoosesPages)
{
    Fill(30);
    G->PrintSettings()->PageNr = ppBottomCenter;
    G->OnPrintNewPage = [](TObject*, Integer ARow, bool& NewPage) { NewPage = ARow % 7 == 0; };
    Integer Offered = 0;
    G->OnPrintStart = [&](TObject*, Integer Pages, Integer& From, Integer& To) {
        Offered = Pages;
        From = 2;
        To = 3;
    };
    G->Print();
    EXPECT_EQ(Offered, 5);
    EXPECT_EQ(G->PrintPageCount(), 3);
    ASSERT_EQ(PrintJobLog().size(), 2u);
    EXPECT_EQ(PrintJobLog()[0].State, PrintJobState::Aborted);
    const PrintJobRecord& Job = PrintJobLog()[1];
    ASSERT_EQ(Job.State, PrintJobState::Printed) << Job.Error;
    EXPECT_EQ(Job.Pages.size(), 2u);
    if (!HavePoppler())
        return uitest::SkipMissing("pdftotext (poppler-utils) is not installed");
    EXPECT_NE(PageText(Job.File, 1).find("2/5"), std::string::npos);
    EXPECT_NE(PageText(Job.File, 1).find("Row7 "), std::string::npos);
    EXPECT_NE(PageText(Job.File, 2).find("3/5"), std::string::npos);
}

// Two column strips of two pages each are numbered page-strip; cancelling on the first page of
// the first strip ends the job without a further (blank) printer page. Without a counting pass
// the total is the largest integer, its offset added without overflow.
TEST_F(GridPrint, StripNumbersCancelAndUncountedTotals)
{
    Fill(12, 8);
    TPrintSettings* PS = G->PrintSettings();
    PS->UseFixedWidth = true;
    PS->FixedWidth = 400;
    PS->PageNr = ppBottomCenter;
    G->OnPrintNewPage = [](TObject*, Integer ARow, bool& NewPage) { NewPage = ARow == 7; };
    G->Print();
    ASSERT_EQ(LastJob().State, PrintJobState::Printed) << LastJob().Error;
    EXPECT_EQ(G->PrintPageCount(), 4);
    const std::string File = LastJob().File;

    G->OnPrintCancel = [](TObject*, Integer, bool& Cancel) { Cancel = true; };
    G->Print();
    EXPECT_EQ(LastJob().Pages.size(), 1u) << "no page begun after the cancel";
    G->OnPrintCancel = nullptr;

    G->OnPrintNewPage = nullptr;
    PS->UseFixedWidth = false;
    PS->MaxPagesOffset = 10;
    G->SetSkipPageCount(true);
    G->Print();
    ASSERT_EQ(LastJob().State, PrintJobState::Printed) << LastJob().Error;
    if (!HavePoppler())
        return uitest::SkipMissing("pdftotext (poppler-utils) is not installed");
    const char* Numbers[] = {"1-1", "2-1", "1-2", "2-2"};
    for (int P = 1; P <= 4; ++P)
        EXPECT_NE(PageText(File, P).find(Numbers[P - 1]), std::string::npos) << P;
    EXPECT_NE(PageText(LastJob().File, 1).find("1/2147483657"), std::string::npos);
}

// ---- Text measuring -------------------------------------------------------------------------

TEST_F(GridPrint, LinesAndMargins)
{
    Fill(2);
    G->SetCells(0, 1, "one");
    G->SetCells(1, 1, "a\rb\rc");
    G->SetCells(2, 1, "x\ry");
    EXPECT_EQ(G->MaxLinesInRow(1), 1);
    G->SetMultilinecells(true);
    EXPECT_EQ(G->MaxLinesInRow(1), 3);
    EXPECT_EQ(G->MaxLinesInRow(2), 1);
    EXPECT_EQ(G->MaxLinesInGrid(), 3);
    G->SetXYOffset(TPoint{3, 2});
    EXPECT_EQ(G->XOffsetSize(), 6);
    EXPECT_EQ(G->YOffsetSize(), 4);
    G->SetXYOffsetTopLeft(true);
    EXPECT_EQ(G->XOffsetSize(), 3);
    EXPECT_EQ(G->YOffsetSize(), 2);
    TRect R{10, 20, 110, 60};
    G->CalcTextPos(R, 0, "text", taLeftJustify, vtaTop);
    EXPECT_EQ(R.Left, 12);
    EXPECT_EQ(R.Top, 22);
}

// One row of the start-point tables per quadrant and alignment, on the rectangle (0, 0, 100, -50)
// with the extents Wc 30, Hs 10, Vw -20, Vh -8 (y upward, as on a page).
TEST(GridPrintText, RotatedTextOriginTables)
{
    struct Case {
        Integer Angle;
        TAlignment H;
        TVAlignment V;
        Integer Left, Top;
    };
    // D = (0 - 8 - 20 + 50) / 2 = 11.
    const Case Cases[] = {
        {45, taLeftJustify, vtaTop, 0, -20},       {45, taRightJustify, vtaCenter, 60, -31},
        {90, taCenter, vtaBottom, 30, -42},        {135, taLeftJustify, vtaTop, 30, -28},
        {180, taRightJustify, vtaCenter, 90, -39}, {135, taCenter, vtaBottom, 60, -50},
        {225, taLeftJustify, vtaTop, 40, -8},      {270, taRightJustify, vtaCenter, 100, -19},
        {200, taCenter, vtaBottom, 70, -30},       {300, taLeftJustify, vtaTop, 10, 0},
        {315, taRightJustify, vtaCenter, 70, -11}, {359, taCenter, vtaBottom, 40, -22},
    };
    for (const Case& C : Cases) {
        TRect R{0, 0, 100, -50};
        TDidAririzEvar::RotatedTextOrigin(R, C.H, C.V, C.Angle, 30, 10, -20, -8);
        EXPECT_EQ(R.Left, C.Left) << C.Angle;
        EXPECT_EQ(R.Top, C.Top) << C.Angle;
        EXPECT_EQ(R.Right, 100);
        EXPECT_EQ(R.Bottom, -50);
    }
}

} // namespace
