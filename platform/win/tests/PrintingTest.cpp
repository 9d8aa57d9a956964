#include "platform/win/Printing.h"
#include "Canvas.h"
#include "platform/rtl/Guards.h"
#include "platform/testing/Commands.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Metafile.h"

#include <cairo-svg.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

using uitest::CommandOutput;

bool HavePoppler()
{
    return CommandOutput("command -v pdfinfo && command -v pdftotext").find("pdftotext") != std::string::npos;
}

// A fresh folder and a file printer writing into it; CUPS is left out so the machine's own
// queues do not change what the tests see.
class Printing : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configure(300);
        ClearPrintJobLog();
    }
    void TearDown() override { ResetPrinterConfiguration(); }
    void Configure(int dpi, const std::string& extra = "")
    {
        ConfigurePrinters("[Test PDF]\nFolder=" + Folder.string() + "\nResolution=" + std::to_string(dpi) +
                              "\nPaper=A4\nBins=Automatic,Tray 1,Manual\nDuplex=1\n" + extra,
                          false);
    }
    uitest::TempFolder Dir{"drawmere-print"};
    fs::path Folder = Dir.Path();
};

void Text(HDC dc, int x, int y, const char* s)
{
    HFONT font = CreateFont(-120, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    TextOut(dc, x, y, s, int(std::strlen(s)));
    SelectObject(dc, old);
    DeleteObject(font);
}

TEST_F(Printing, ThreePageJobTurnsOnePageToLandscape)
{
    HDC dc = CreateDCA(nullptr, "Test PDF", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    DOCINFOA doc;
    doc.lpszDocName = "Prize list";
    ASSERT_GT(StartDocA(dc, &doc), 0);
    DEVMODEA dm{};
    dm.dmFields = DM_ORIENTATION;
    const char* texts[] = {"First page", "Second page", "Third page"};
    for (int page = 0; page < 3; ++page) {
        dm.dmOrientation = page == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        ASSERT_EQ(ResetDCA(dc, &dm), dc);
        ASSERT_GT(StartPage(dc), 0);
        // The origin is the printable area's corner: minus the gutters is the paper's corner.
        RECT corner{-GetDeviceCaps(dc, PHYSICALOFFSETX), -GetDeviceCaps(dc, PHYSICALOFFSETY), 0, 0};
        corner.Right = corner.Left + 30;
        corner.Bottom = corner.Top + 30;
        FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        Rectangle(dc, 0, 0, 600, 300);
        Text(dc, 100, 400, texts[page]);
        ASSERT_GT(EndPage(dc), 0);
    }
    ASSERT_GT(EndDoc(dc), 0) << GetPrintError(dc);
    DeleteDC(dc);

    ASSERT_EQ(PrintJobLog().size(), 1u);
    const PrintJobRecord& job = PrintJobLog()[0];
    EXPECT_EQ(job.State, PrintJobState::Printed);
    EXPECT_EQ(job.Title, "Prize list");
    EXPECT_EQ(job.Printer, "Test PDF");
    EXPECT_EQ(job.File, (Folder / "Prize list.pdf").string());
    EXPECT_EQ(job.Options.at("media"), "iso_a4_210x297mm");
    ASSERT_EQ(job.Pages.size(), 3u);
    EXPECT_EQ(job.Pages[1].Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(job.Pages[0].WidthPx, 2480);
    EXPECT_EQ(job.Pages[1].WidthPx, 3508);
    EXPECT_TRUE(fs::exists(job.File));
    EXPECT_FALSE(fs::exists(job.File + ".part"));

    if (!HavePoppler())
        return uitest::SkipMissing("pdfinfo/pdftotext (poppler-utils) are not installed");
    std::string info = CommandOutput("pdfinfo -f 1 -l 3 '" + job.File + "'");
    EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
    const double sizes[3][2] = {{595.2, 841.92}, {841.92, 595.2}, {595.2, 841.92}};
    for (int page = 1; page <= 3; ++page) {
        std::string key = "Page    " + std::to_string(page) + " size:";
        size_t at = info.find(key);
        ASSERT_NE(at, std::string::npos) << info;
        double w = 0, h = 0;
        ASSERT_EQ(std::sscanf(info.c_str() + at + key.size(), " %lf x %lf", &w, &h), 2);
        EXPECT_NEAR(w, sizes[page - 1][0], 0.01) << "page " << page;
        EXPECT_NEAR(h, sizes[page - 1][1], 0.01) << "page " << page;
    }
    for (int page = 1; page <= 3; ++page) {
        std::string text = CommandOutput("pdftotext -f " + std::to_string(page) + " -l " +
                                         std::to_string(page) + " '" + job.File + "' -");
        EXPECT_NE(text.find(texts[page - 1]), std::string::npos) << "page " << page << ": " << text;
    }
    for (int page = 1; page <= 3; ++page) {
        std::string ppm =
            CommandOutput("pdftoppm -r 300 -aa no -aaVector no -f " + std::to_string(page) + " -l " +
                          std::to_string(page) + " -x 0 -y 0 -W 40 -H 40 '" + job.File + "'");
        int w = 0, h = 0, max = 0, used = 0;
        ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used), 3);
        auto at = [&](int x, int y) {
            return int(static_cast<unsigned char>(ppm[size_t(used + 1 + (y * w + x) * 3)]));
        };
        EXPECT_EQ(at(2, 2), 0) << "page " << page; // the paper's corner is black
        EXPECT_EQ(at(28, 28), 0) << "page " << page;
        EXPECT_EQ(at(35, 35), 255) << "page " << page; // and the square ends where it should
    }
    // A second job of the same title does not overwrite the first.
    dc = CreateDCA(nullptr, "Test PDF", nullptr, nullptr);
    StartDocA(dc, &doc);
    StartPage(dc);
    EndDoc(dc);
    DeleteDC(dc);
    EXPECT_EQ(PrintJobLog().back().File, (Folder / "Prize list (2).pdf").string());
}

TEST_F(Printing, PostScriptQueuesGetPostScript)
{
    Configure(300, "Format=PostScript\n");
    HDC dc = CreateDCA(nullptr, "Test PDF", nullptr, nullptr);
    DOCINFOA doc;
    doc.lpszDocName = "Plain";
    StartDocA(dc, &doc);
    for (SHORT turn : {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}) {
        DEVMODEA dm{};
        dm.dmFields = DM_ORIENTATION;
        dm.dmOrientation = turn;
        ResetDCA(dc, &dm);
        StartPage(dc);
        Text(dc, 100, 100, "PostScript page");
        EndPage(dc);
    }
    ASSERT_GT(EndDoc(dc), 0) << GetPrintError(dc);
    DeleteDC(dc);
    const PrintJobRecord& job = PrintJobLog().back();
    EXPECT_EQ(job.File, (Folder / "Plain.ps").string());
    std::string head = CommandOutput("head -c 10 '" + job.File + "'");
    EXPECT_EQ(head.substr(0, 4), "%!PS");
    std::string pages = CommandOutput("grep -c '^%%Page:' '" + job.File + "'");
    EXPECT_EQ(pages, "2\n");
}

TEST_F(Printing, DeviceMetricsFollowResolutionPaperAndOrientation)
{
    struct Case {
        int Dpi;
        SHORT Paper, Orientation;
        int PhysW, PhysH, OffX, OffY, HorzRes, VertRes;
    };
    // Margins 5.5, 4.2, 4.9, 4.2 mm: 65, 50, 58, 50 pixels at 300 dpi.
    const Case cases[] = {
        {300, DMPAPER_A4, DMORIENT_PORTRAIT, 2480, 3508, 65, 50, 2480 - 65 - 58, 3508 - 100},
        {300, DMPAPER_A4, DMORIENT_LANDSCAPE, 3508, 2480, 50, 58, 3508 - 100, 2480 - 58 - 65},
        {600, DMPAPER_LETTER, DMORIENT_PORTRAIT, 5100, 6600, 130, 99, 5100 - 130 - 116, 6600 - 198},
        {600, DMPAPER_A3, DMORIENT_LANDSCAPE, 9921, 7016, 99, 116, 9921 - 198, 7016 - 116 - 130},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.Dpi << " dpi, paper " << c.Paper << ", orientation " << c.Orientation);
        Configure(c.Dpi);
        DEVMODEA dm{};
        dm.dmFields = DM_PAPERSIZE | DM_ORIENTATION;
        dm.dmPaperSize = c.Paper;
        dm.dmOrientation = c.Orientation;
        HDC ic = CreateICA(nullptr, "Test PDF", nullptr, &dm);
        ASSERT_NE(ic, nullptr);
        EXPECT_EQ(GetDeviceCaps(ic, LOGPIXELSX), c.Dpi);
        EXPECT_EQ(GetDeviceCaps(ic, LOGPIXELSY), c.Dpi);
        EXPECT_EQ(GetDeviceCaps(ic, PHYSICALWIDTH), c.PhysW);
        EXPECT_EQ(GetDeviceCaps(ic, PHYSICALHEIGHT), c.PhysH);
        EXPECT_EQ(GetDeviceCaps(ic, PHYSICALOFFSETX), c.OffX);
        EXPECT_EQ(GetDeviceCaps(ic, PHYSICALOFFSETY), c.OffY);
        EXPECT_EQ(GetDeviceCaps(ic, HORZRES), c.HorzRes);
        EXPECT_EQ(GetDeviceCaps(ic, VERTRES), c.VertRes);
        EXPECT_EQ(GetDeviceCaps(ic, TECHNOLOGY), DT_RASPRINTER);
        DeleteDC(ic);
    }
}

TEST_F(Printing, DeviceModesRoundTripIntoJobsAndOptions)
{
    HGLOBAL h = CreateDefaultDevMode("Test PDF");
    ASSERT_NE(h, nullptr);
    auto* dm = static_cast<DEVMODEA*>(GlobalLock(h));
    EXPECT_STREQ(dm->dmDeviceName, "Test PDF");
    EXPECT_EQ(dm->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(dm->dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(dm->dmCopies, 1);
    EXPECT_EQ(dm->dmDefaultSource, DMBIN_AUTO);
    EXPECT_TRUE(dm->dmFields & DM_DUPLEX);

    // Custom paper, copies, collation, duplex, colour, quality and bin all reach the job.
    dm->dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    dm->dmPaperSize = DMPAPER_USER;
    dm->dmPaperWidth = 1000; // 100 × 150 mm
    dm->dmPaperLength = 1500;
    dm->dmCopies = 3;
    dm->dmCollate = DMCOLLATE_TRUE;
    dm->dmDuplex = DMDUP_HORIZONTAL;
    dm->dmColor = DMCOLOR_MONOCHROME;
    dm->dmPrintQuality = DMRES_HIGH;
    dm->dmYResolution = 0;
    dm->dmDefaultSource = DMBIN_MANUAL;
    HDC dc = CreateDCA(nullptr, "Test PDF", nullptr, dm);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 1181); // 100 mm at 300 dpi
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 1772);
    DOCINFOA doc;
    doc.lpszDocName = "Labels";
    StartDocA(dc, &doc);
    StartPage(dc);
    EndDoc(dc);
    DeleteDC(dc);
    GlobalUnlock(h);
    GlobalFree(h);
    const PrintJobRecord& job = PrintJobLog().back();
    std::map<std::string, std::string> expected = {
        {"copies", "3"},
        {"multiple-document-handling", "separate-documents-collated-copies"},
        {"media", "Custom.100x150mm"},
        {"media-source", "manual"},
        {"sides", "two-sided-short-edge"},
        {"print-color-mode", "monochrome"},
        {"print-quality", "5"},
    };
    EXPECT_EQ(job.Options, expected);
    ASSERT_EQ(job.Pages.size(), 1u);
    EXPECT_NEAR(job.Pages[0].WidthPt, 100 / 25.4 * 72, 0.2);
    EXPECT_NEAR(job.Pages[0].HeightPt, 150 / 25.4 * 72, 0.2);
}

TEST_F(Printing, CapabilitiesListPapersBinsAndOrientation)
{
    Configure(300, "Papers=A4,Letter,Envelope #10\n");
    EXPECT_EQ(DeviceCapabilitiesA("Test PDF", nullptr, DC_PAPERS, nullptr, nullptr), 3);
    WORD papers[3];
    DeviceCapabilitiesA("Test PDF", nullptr, DC_PAPERS, reinterpret_cast<char*>(papers), nullptr);
    EXPECT_EQ(papers[0], DMPAPER_A4);
    EXPECT_EQ(papers[1], DMPAPER_LETTER);
    EXPECT_EQ(papers[2], DMPAPER_ENV_10);
    char names[3][CCHPAPERNAME];
    DeviceCapabilitiesA("Test PDF", nullptr, DC_PAPERNAMES, &names[0][0], nullptr);
    EXPECT_STREQ(names[2], "Envelope #10");
    EXPECT_EQ(DeviceCapabilitiesA("Test PDF", nullptr, DC_BINS, nullptr, nullptr), 3);
    WORD bins[3];
    char binNames[3][CCHBINNAME];
    DeviceCapabilitiesA("Test PDF", nullptr, DC_BINS, reinterpret_cast<char*>(bins), nullptr);
    DeviceCapabilitiesA("Test PDF", nullptr, DC_BINNAMES, &binNames[0][0], nullptr);
    EXPECT_EQ(bins[0], DMBIN_AUTO);
    EXPECT_EQ(bins[2], DMBIN_MANUAL);
    EXPECT_STREQ(binNames[1], "Tray 1");
    EXPECT_EQ(DeviceCapabilitiesA("Test PDF", nullptr, DC_ORIENTATION, nullptr, nullptr), 90);
    EXPECT_EQ(DeviceCapabilitiesA("Nobody", nullptr, DC_PAPERS, nullptr, nullptr), -1);
}

TEST_F(Printing, WithoutPrintersNothingCanBeOpened)
{
    ConfigurePrinters("", false);
    EXPECT_TRUE(ListPrinters().empty());
    EXPECT_EQ(DefaultPrinterName(), "");
    EXPECT_EQ(CreateICA(nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateDCA(nullptr, "Test PDF", nullptr, nullptr), nullptr);
    // A file printer whose folder is missing cannot be used.
    ConfigurePrinters("[Gone]\nFolder=" + (Folder / "missing").string() + "\n", false);
    ASSERT_EQ(ListPrinters().size(), 1u);
    EXPECT_EQ(CreateICA(nullptr, "Gone", nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateDCA(nullptr, "Gone", nullptr, nullptr), nullptr);
    // A printer file without a folder or queue for a printer leaves that printer out.
    ConfigurePrinters("[Nowhere]\nResolution=300\n", false);
    EXPECT_TRUE(ListPrinters().empty());
}

// Each way a job can go wrong ends it with an error, leaves no file behind and is logged as
// failed (or aborted), never as printed.
TEST_F(Printing, FailedAndAbortedJobsLeaveNothingPrinted)
{
    struct Case {
        const char* Name;
        std::function<void(HDC)> Trouble; // between the first page and EndDoc
        const char* Output;               // DOCINFO output file
        PrintJobState State;
        const char* Message;
    };
    fs::path folder = Folder;
    const Case cases[] = {
        {"printer folder removed mid-job", [&](HDC) { fs::remove_all(folder); }, nullptr,
         PrintJobState::Failed, "no longer available"},
        {"disk full", nullptr, "/dev/full", PrintJobState::Failed, "No space left"},
        {"aborted", [](HDC dc) { AbortDoc(dc); }, nullptr, PrintJobState::Aborted, ""},
        {"deleted mid-job", [](HDC dc) { DeleteDC(dc); }, nullptr, PrintJobState::Aborted, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::create_directories(Folder);
        ClearPrintJobLog();
        HDC dc = CreateDCA(nullptr, "Test PDF", nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        DOCINFOA doc;
        doc.lpszDocName = "Broken";
        doc.lpszOutput = c.Output;
        ASSERT_GT(StartDocA(dc, &doc), 0);
        StartPage(dc);
        Rectangle(dc, 0, 0, 2000, 3000);
        Text(dc, 100, 100, "Never printed");
        EndPage(dc);
        StartPage(dc);
        if (c.Trouble)
            c.Trouble(dc);
        if (c.State == PrintJobState::Failed) {
            EXPECT_EQ(EndDoc(dc), SP_ERROR);
            EXPECT_NE(GetPrintError(dc).find(c.Message), std::string::npos) << GetPrintError(dc);
        }
        if (std::string(c.Name) != "deleted mid-job")
            DeleteDC(dc);
        ASSERT_EQ(PrintJobLog().size(), 1u);
        EXPECT_EQ(PrintJobLog()[0].State, c.State);
        EXPECT_EQ(PrintJobLog()[0].File, c.Output ? c.Output : "");
        if (fs::exists(Folder)) {
            EXPECT_TRUE(fs::is_empty(Folder));
        }
    }
}

TEST_F(Printing, UnreachablePrintServerFailsTheJob)
{
    // A queue named in the printer file, with the print server pointed at a socket nobody serves.
    const char* old = std::getenv("CUPS_SERVER");
    std::string saved = old ? old : "";
    ::setenv("CUPS_SERVER", (Folder / "no-server.sock").c_str(), 1);
    ConfigurePrinters("[Office]\nQueue=office\n", false);
    HDC dc = CreateDCA(nullptr, "Office", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    DOCINFOA doc;
    doc.lpszDocName = "Report";
    ASSERT_GT(StartDocA(dc, &doc), 0);
    StartPage(dc);
    Text(dc, 0, 0, "Report");
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    EXPECT_NE(GetPrintError(dc).find("Report"), std::string::npos) << GetPrintError(dc);
    EXPECT_EQ(PrintJobLog().back().State, PrintJobState::Failed);
    EXPECT_EQ(PrintJobLog().back().File, "");
    DeleteDC(dc);
    if (old)
        ::setenv("CUPS_SERVER", saved.c_str(), 1);
    else
        ::unsetenv("CUPS_SERVER");
}

// A job sent through a real CUPS queue: DRAWMERE_TEST_CUPS_QUEUE names the queue (a CUPS-PDF
// or IPP test printer) on a machine that has one, DRAWMERE_TEST_CUPS_SERVER the server when it
// is not the machine's own (scripts/test starts one with scripts/cups-server).
TEST_F(Printing, JobThroughACupsQueue)
{
    const char* queue = std::getenv("DRAWMERE_TEST_CUPS_QUEUE");
    if (!queue || !*queue)
        return uitest::SkipMissing("no CUPS queue to print to: the test machine runs no print server "
                                   "(set DRAWMERE_TEST_CUPS_QUEUE to a CUPS-PDF or IPP test queue to run "
                                   "this, or start one with scripts/cups-server)");
    const char* server = std::getenv("DRAWMERE_TEST_CUPS_SERVER");
    const char* old = std::getenv("CUPS_SERVER");
    const std::string saved = old ? old : "";
    if (server && *server)
        ::setenv("CUPS_SERVER", server, 1);
    const TScopeExit restore([&] {
        if (old)
            ::setenv("CUPS_SERVER", saved.c_str(), 1);
        else
            ::unsetenv("CUPS_SERVER");
    });
    ConfigurePrinters("", true);
    const PrinterDescription* p = FindPrinter(queue);
    ASSERT_NE(p, nullptr) << "queue " << queue << " is not listed by CUPS";
    HDC dc = CreateDCA(nullptr, queue, nullptr, nullptr);
    DOCINFOA doc;
    doc.lpszDocName = "CUPS test";
    ASSERT_GT(StartDocA(dc, &doc), 0);
    for (int page = 0; page < 3; ++page) {
        DEVMODEA dm{};
        dm.dmFields = DM_ORIENTATION;
        dm.dmOrientation = page == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        ResetDCA(dc, &dm);
        StartPage(dc);
        Text(dc, 100, 100, "CUPS page");
        EndPage(dc);
    }
    EXPECT_GT(EndDoc(dc), 0) << GetPrintError(dc);
    EXPECT_EQ(PrintJobLog().back().State, PrintJobState::Printed);
    DeleteDC(dc);
}

// Shapes of every kind, in pixels of a 100 dpi page.
void ShapesScene(HDC dc)
{
    HPEN thick = CreatePen(PS_SOLID, 5, RGB(200, 0, 0));
    HPEN dashed = CreatePen(PS_DASH, 1, RGB(0, 0, 200));
    HBRUSH green = CreateSolidBrush(RGB(0, 140, 0));
    HGDIOBJ op = SelectObject(dc, thick), ob = SelectObject(dc, green);
    Ellipse(dc, 10, 10, 120, 80);
    Rectangle(dc, 130, 10, 190, 90);
    RoundRect(dc, 10, 100, 90, 180, 30, 30);
    POINT star[] = {{140, 100}, {160, 180}, {110, 130}, {180, 130}, {120, 180}};
    SetPolyFillMode(dc, WINDING);
    Polygon(dc, star, 5);
    Pie(dc, 100, 140, 190, 195, 190, 160, 100, 160);
    SelectObject(dc, dashed);
    MoveToEx(dc, 5, 95, nullptr);
    LineTo(dc, 190, 95);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(thick);
    DeleteObject(dashed);
    DeleteObject(green);
}

cairo_status_t AppendTo(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// Printed shapes are paths, not pixel rows, and land where they land on a screen bitmap.
TEST_F(Printing, ShapesPrintAsVectorsWhereTheyFallOnScreen)
{
    // On a vector page the ellipse is one path of curves' segments, the dashes a dash pattern.
    std::string svg;
    cairo_surface_t* page = cairo_svg_surface_create_for_stream(AppendTo, &svg, 200, 200);
    HDC vec = CreateSurfaceDC(page, DCKind::Printer, POINT{0, 0}, RECT{0, 0, 200, 200});
    HPEN dashed = CreatePen(PS_DASH, 1, RGB(0, 0, 200));
    HGDIOBJ old = SelectObject(vec, dashed);
    Ellipse(vec, 10, 10, 190, 150);
    MoveToEx(vec, 5, 170, nullptr);
    LineTo(vec, 190, 170);
    SelectObject(vec, old);
    DeleteObject(dashed);
    DeleteDC(vec);
    cairo_surface_destroy(page);
    // Pixel rows would make a figure ("M") of every row; paths make one per shape.
    size_t figures = 0;
    for (size_t at = svg.find("M "); at != std::string::npos; at = svg.find("M ", at + 1))
        ++figures;
    EXPECT_LE(figures, 4u) << svg.substr(0, 2000);
    EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);

    if (!HavePoppler())
        return uitest::SkipMissing("pdftoppm (poppler-utils) is not installed");
    Configure(100, "Margins=0,0,0,0\n");
    DEVMODEA dm{};
    dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
    dm.dmPaperWidth = 508; // 2 inches: 200 pixels
    dm.dmPaperLength = 508;
    HDC dc = CreateDCA(nullptr, "Test PDF", nullptr, &dm);
    DOCINFOA doc;
    doc.lpszDocName = "Shapes";
    StartDocA(dc, &doc);
    StartPage(dc);
    ShapesScene(dc);
    ASSERT_GT(EndDoc(dc), 0) << GetPrintError(dc);
    DeleteDC(dc);
    std::string ppm =
        CommandOutput("pdftoppm -r 100 -aa no -aaVector no '" + PrintJobLog().back().File + "'");
    int w = 0, h = 0, max = 0, used = 0;
    ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &w, &h, &max, &used), 3);
    ASSERT_EQ(w, 200);
    ASSERT_EQ(h, 200);
    const unsigned char* px = reinterpret_cast<const unsigned char*>(ppm.data()) + used + 1;
    auto printed = [&](int x, int y) {
        const unsigned char* p = px + (size_t(y) * w + x) * 3;
        return RGB(p[0], p[1], p[2]);
    };
    Canvas screen(200, 200);
    ShapesScene(screen.Dc);
    // Vector edges may fall a pixel the other way than the screen's rules put them.
    int differ = 0, ink = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            COLORREF c = printed(x, y);
            ink += screen.At(x, y) != RGB(255, 255, 255);
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = screen.At(x + dx, y + dy) == c;
            differ += !near;
        }
    EXPECT_GT(ink, 15000);
    EXPECT_LT(differ, ink / 100) << differ << " of " << ink << " pixels differ";
}

// A picture recorded against a 600 dpi printer and played onto a screen bitmap looks like the
// same drawing made on the bitmap directly.
TEST_F(Printing, MetafileRecordedAtPrinterResolutionReplaysLikeDirectDrawing)
{
    Configure(600);
    HDC printer = CreateICA(nullptr, "Test PDF", nullptr, nullptr);
    ASSERT_NE(printer, nullptr);
    auto scene = [](HDC dc) {
        HPEN pen = CreatePen(PS_SOLID, 12, RGB(200, 0, 0));
        HBRUSH brush = CreateSolidBrush(RGB(0, 120, 0));
        HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
        Rectangle(dc, 60, 60, 900, 600);
        Ellipse(dc, 1000, 100, 1800, 700);
        POINT tri[] = {{100, 800}, {900, 1100}, {100, 1150}};
        Polygon(dc, tri, 3);
        SelectObject(dc, op);
        SelectObject(dc, ob);
        DeleteObject(pen);
        DeleteObject(brush);
        RECT bar{1000, 900, 1800, 1150};
        FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    };
    HDC mdc = CreateEnhMetaFile(printer, nullptr, nullptr, nullptr);
    scene(mdc);
    HENHMETAFILE mf = CloseEnhMetaFile(mdc);
    MetafileInfo info;
    ASSERT_TRUE(GetMetafileInfo(mf, &info));
    EXPECT_EQ(info.DpiX, 600);

    // 600 dpi content on a 100 dpi bitmap: a sixth of the size.
    Canvas played(320, 200), direct(320, 200);
    RECT target{info.Bounds.Left / 6, info.Bounds.Top / 6, info.Bounds.Right / 6, info.Bounds.Bottom / 6};
    ASSERT_TRUE(PlayEnhMetaFile(played.Dc, mf, &target));
    SetMapMode(direct.Dc, MM_ANISOTROPIC);
    SetWindowExtEx(direct.Dc, 6, 6, nullptr);
    SetViewportExtEx(direct.Dc, 1, 1, nullptr);
    scene(direct.Dc);
    // Scaled coordinates may round the other way at an edge: a pixel counts as different only
    // when no pixel next to it in the direct drawing has its colour.
    int differ = 0, ink = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            COLORREF a = played.At(x, y);
            ink += direct.At(x, y) != RGB(255, 255, 255);
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = direct.At(x + dx, y + dy) == a;
            differ += !near;
        }
    EXPECT_GT(ink, 10000);
    EXPECT_LT(differ, ink / 200) << differ << " of " << ink << " pixels differ";
    DeleteEnhMetaFile(mf);
    DeleteDC(printer);
}

} // namespace
