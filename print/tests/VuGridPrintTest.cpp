#include "print/VuGridPrint.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Commands.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

// A string grid of Rows × 3 cells: row 0 the fixed header ("H0".."H2"), the others "r<row>c<col>";
// columns 96 px (one inch) wide, rows 24 px (a quarter inch) high. Laid over an A4 document
// with a half-inch footer and a half-inch bottom margin value: the cut-off is 1 inch above the
// paper's lower edge.
class VuGridPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::UsePrinters("");
        delete SetPrinter(new TPrinter);
        Doc.AddPage();
        Doc.Footer()->SetHeight(vuInches, 0.5);
        Grid.reset(New<TStringGrid>(nullptr));
        Grid->SetFixedCols(0);
        Grid->SetColCount(3);
        Grid->SetDefaultRowHeight(24);
        for (Integer C = 0; C < 3; ++C)
            Grid->SetColWidths(C, 96);
        Printer.reset(New<TVuGridPrint>(nullptr));
        Printer->SetGrid(Grid.get());
        Printer->SetTarget(&Target);
        Printer->BottomMargin()->SetAsInches(0.5);
    }
    void TearDown() override
    {
        Printer.reset();
        Grid.reset();
        delete SetPrinter(nullptr);
    }
    void Rows(Integer N)
    {
        Grid->SetRowCount(N);
        for (Integer C = 0; C < 3; ++C)
            Grid->SetCells(C, 0, "H" + std::to_string(C));
        for (Integer R = 1; R < N; ++R)
            for (Integer C = 0; C < 3; ++C)
                Grid->SetCells(C, R, "r" + std::to_string(R) + "c" + std::to_string(C));
    }
    // The text boxes of page N, in recording order.
    std::vector<TVuTextBoxObject*> Boxes(Integer N)
    {
        std::vector<TVuTextBoxObject*> Out;
        TVuPage* P = Doc.GetPage(N);
        for (Integer I = 0; I < P->Count(); ++I)
            if (auto* B = dynamic_cast<TVuTextBoxObject*>(P->VuObject(I)))
                Out.push_back(B);
        return Out;
    }
    template <class T> int CountOf(Integer N)
    {
        int K = 0;
        TVuPage* P = Doc.GetPage(N);
        for (Integer I = 0; I < P->Count(); ++I)
            K += dynamic_cast<T*>(P->VuObject(I)) != nullptr;
        return K;
    }
    Extended CutOff() const { return GetPaperSizeInch(A4).Height - 1; }

    TVuPageList Doc;
    TVuDocumentGridTarget Target{&Doc};
    std::unique_ptr<TStringGrid> Grid;
    std::unique_ptr<TVuGridPrint> Printer;
};

TEST_F(VuGridPrintTest, HundredRowsOverThreePagesWithTheHeaderRepeated)
{
    Rows(100);
    const Extended Top = 15 / 25.4;
    int NewPages = 0;
    Printer->OnGridNewPage = [&](TObject*, TVuValue*& ATop, TVuValue*&) {
        ++NewPages;
        ATop->SetAsMillimeters(15);
    };
    int ContentHooks = 0;
    Doc.OnPageContentChanged = [&](TVuPageList*) { ++ContentHooks; };
    Printer->GridToPage(1, 1, 0, vuInches);
    EXPECT_EQ(1, ContentHooks); // one update for the whole run
    ASSERT_EQ(3, Doc.Count());
    EXPECT_EQ(2, NewPages);
    EXPECT_EQ(3, Doc.CurrentPage());

    // Page 1 from one inch down: rows 0..37 (row 38 would end past the cut-off at 10.69 in).
    auto P1 = Boxes(1);
    ASSERT_EQ(38u * 3, P1.size());
    EXPECT_EQ("H0", P1.front()->Caption());
    EXPECT_EQ("r37c2", P1.back()->Caption());
    EXPECT_NEAR(1.0, static_cast<double>(P1.front()->GetY(vuInches)), 1e-9);
    EXPECT_NEAR(1.0, static_cast<double>(P1.front()->GetX(vuInches)), 1e-9);
    EXPECT_LE(static_cast<double>(P1.back()->GetY2(vuInches)), static_cast<double>(CutOff()));

    // Page 2: the header row at the top margin the event set, then rows 38..76.
    auto P2 = Boxes(2);
    ASSERT_EQ(40u * 3, P2.size());
    EXPECT_EQ("H0", P2[0]->Caption());
    EXPECT_NEAR(static_cast<double>(Top), static_cast<double>(P2[0]->GetY(vuInches)), 1e-9);
    EXPECT_EQ("r38c0", P2[3]->Caption());
    EXPECT_NEAR(static_cast<double>(Top + 0.25), static_cast<double>(P2[3]->GetY(vuInches)), 1e-9);
    EXPECT_EQ("r76c2", P2.back()->Caption());

    // Page 3: the header again, then rows 77..99.
    auto P3 = Boxes(3);
    ASSERT_EQ(24u * 3, P3.size());
    EXPECT_EQ("H2", P3[2]->Caption());
    EXPECT_EQ("r77c0", P3[3]->Caption());
    EXPECT_EQ("r99c2", P3.back()->Caption());

    // Every page is outlined once; lines under every row but the first of the block, and
    // before every column.
    for (Integer N = 1; N <= 3; ++N)
        EXPECT_EQ(1 + 3 /* fixed-cell backgrounds */, CountOf<TVuRectangleShape>(N)) << N;
    EXPECT_EQ(37 + 38 * 3, CountOf<TVuLineObject>(1));
}

TEST_F(VuGridPrintTest, WidthScalesTheColumns)
{
    Rows(3);
    Printer->GridToPage(0, 0, 0, vuInches);
    EXPECT_NEAR(1.0, static_cast<double>(Printer->GetColWidth(1, vuInches)), 1e-9);
    Printer->GridToPage(0, 0, 6, vuInches);
    EXPECT_NEAR(2.0, static_cast<double>(Printer->GetColWidth(1, vuInches)), 1e-9);
    auto B = Boxes(1);
    // Row heights come from the grid, not from the scale.
    EXPECT_NEAR(0.25, static_cast<double>(B.back()->GetY2(vuInches) - B.back()->GetY(vuInches)), 1e-9);

    // A grid without any screen width cannot be scaled: it keeps its widths.
    for (Integer C = 0; C < 3; ++C)
        Grid->SetColWidths(C, 0);
    EXPECT_NO_THROW(Printer->GridToPage(0, 0, 6, vuInches));
    EXPECT_EQ(0, static_cast<double>(Printer->GetColWidth(0, vuInches)));
}

TEST_F(VuGridPrintTest, WithoutOptionsContinuationPagesLeaveTheHeaderBandEmpty)
{
    Rows(60);
    Printer->GridOptions = TVuGridOptions{};
    Printer->GridToPage(0, 1, 0, vuInches);
    ASSERT_EQ(2, Doc.Count());
    EXPECT_EQ(0, CountOf<TVuLineObject>(1) + CountOf<TVuLineObject>(2));
    auto P2 = Boxes(2);
    ASSERT_FALSE(P2.empty());
    EXPECT_EQ("r38c0", P2[0]->Caption());
    // The top margin value stays where the run started; the band of row 0 stays empty.
    EXPECT_NEAR(1.25, static_cast<double>(P2[0]->GetY(vuInches)), 1e-9);
}

TEST_F(VuGridPrintTest, ARowTallerThanAPageIsCutAtTheFooter)
{
    Rows(4);
    Grid->SetRowHeights(2, 2000); // almost 21 inches
    Printer->GridToPage(0, 1, 0, vuInches);
    ASSERT_EQ(3, Doc.Count());
    // It gets a page of its own once and ends at the cut-off instead of running off the paper.
    auto P2 = Boxes(2);
    ASSERT_EQ(6u, P2.size());
    EXPECT_EQ("r2c0", P2[3]->Caption());
    EXPECT_TRUE(P2[3]->ClipText());
    EXPECT_NEAR(static_cast<double>(CutOff()), static_cast<double>(P2[3]->GetY2(vuInches)), 1e-9);
    for (Integer N = 1; N <= Doc.Count(); ++N) {
        TVuPage* P = Doc.GetPage(N);
        for (Integer I = 0; I < P->Count(); ++I)
            if (auto* S = dynamic_cast<TVuBaseSolidShape*>(P->VuObject(I))) {
                EXPECT_LE(static_cast<double>(MaxFloat(S->GetY(vuInches), S->GetY2(vuInches))),
                          static_cast<double>(CutOff()) + 1e-9);
            }
    }
    // The next row follows on a new page under the repeated header.
    auto P3 = Boxes(3);
    ASSERT_EQ(6u, P3.size());
    EXPECT_EQ("r3c0", P3[3]->Caption());
}

// The prize list's settings: a visible footer on the document's half-inch bottom margin and a
// bottom margin value of 5 mm. No row may reach into the footer band, on the document and on
// the printed sheet.
TEST_F(VuGridPrintTest, RowsStayAboveAVisibleFooter)
{
    uitest::TempFolder Temp{"drawmere-vugrid"};
    uitest::UsePrinters("[PDF]\nFolder=" + Temp.Path().string() + "\nResolution=300\nPaper=A4\n");
    delete SetPrinter(new TPrinter);
    Rows(200);
    Doc.Footer()->SetHeight(vuInches, 0); // as tall as its caption
    Doc.Footer()->CaptionCenter()->SetCaption("Page {PAGE} of  {NUMPAGES}");
    Doc.Footer()->SetVisible(true);
    Printer->BottomMargin()->SetAsMillimeters(5);
    Printer->GridToPage(0.5, 1, 0, vuInches);
    ASSERT_GE(Doc.Count(), 2);
    const Extended FooterTop = GetPaperSizeInch(A4).Height - Doc.Margins()->Bottom()->GetAsInches() -
                               Doc.Footer()->GetHeight(vuInches);
    for (Integer N = 1; N <= Doc.Count(); ++N)
        for (TVuTextBoxObject* B : Boxes(N))
            EXPECT_LE(static_cast<double>(B->GetY2(vuInches)), static_cast<double>(FooterTop) + 1e-9)
                << B->Caption() << " on page " << N;

    Doc.Printer()->Title = "Rows";
    Doc.PrintRange(1, 1);
    const std::string Pdf = (Temp.Path() / "Rows.pdf").string();
    const std::string Out = uitest::CommandOutput("pdftotext -bbox '" + Pdf + "' -");
    double Lowest = 0, FooterText = 0;
    for (size_t At = Out.find("<word "); At != std::string::npos; At = Out.find("<word ", At + 1)) {
        double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
        std::sscanf(Out.c_str() + At, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">", &X0, &Y0,
                    &X1, &Y1);
        const size_t Start = Out.find('>', At) + 1;
        const std::string Word = Out.substr(Start, Out.find('<', Start) - Start);
        if (Word == "Page")
            FooterText = Y0;
        else if (Word.rfind('r', 0) == 0)
            Lowest = std::max(Lowest, Y1);
    }
    ASSERT_GT(FooterText, 0) << Out;
    ASSERT_GT(Lowest, 0) << Out;
    EXPECT_LT(Lowest, FooterText);
}

TEST_F(VuGridPrintTest, FontsOfFixedAndBodyCells)
{
    Rows(3);
    std::unique_ptr<TFont> Body(New<TFont>());
    Body->SetName("DejaVu Serif");
    Body->SetSize(8);
    Printer->SetFont(Body.get());
    Printer->GridToPage(0, 0, 0, vuInches);
    // A fixed-cell font named "Arial" is never used.
    EXPECT_EQ("DejaVu Serif", Boxes(1)[0]->Font()->Name());

    std::unique_ptr<TFont> Big(New<TFont>());
    Big->SetName("DejaVu Sans");
    Big->SetSize(40);
    Printer->SetFixedFont(Big.get());
    Doc.ClearPages(false, true);
    Printer->GridToPage(0, 0, 0, vuInches);
    auto B = Boxes(1);
    EXPECT_EQ("DejaVu Sans", B[0]->Font()->Name());
    EXPECT_EQ("DejaVu Serif", B[3]->Font()->Name());
    // The header row is as high as its own (large) font needs, so row 1 starts below it.
    Doc.Canvas()->SetFont(Big.get());
    Doc.Canvas()->TextBoxWordBreak = false;
    Extended Need = Doc.Canvas()->TextBoxHeight(1, "H0", vuInches);
    ASSERT_GT(static_cast<double>(Need), 0.25);
    EXPECT_NEAR(static_cast<double>(Need), static_cast<double>(B[3]->GetY(vuInches)), 1e-9);
}

TEST_F(VuGridPrintTest, EventsProgressFinishAndCallerDrawnCells)
{
    Rows(10);
    std::vector<Extended> Percent;
    Extended Finish = -1;
    std::string Rows;
    Printer->OnDrawProgress = [&](TObject*, Extended P) { Percent.push_back(P); };
    Printer->OnFinishGrid = [&](TObject*, TVuValue* Y) { Finish = Y->GetAsInches(); };
    Printer->BeforeDrawRow = [&](TObject*, Integer R) { Rows += "b" + std::to_string(R); };
    Printer->AfterDrawRow = [&](TObject*, Integer R) { Rows += "a" + std::to_string(R); };
    Printer->OnGetColWidth = [](TObject*, Integer Col, TVuValue* W) {
        if (Col == 2)
            W->SetAsInches(0.5);
    };
    Printer->OnGetRowHeight = [](TObject*, Integer Row, TVuValue* H) {
        if (Row == 1)
            H->SetAsInches(1);
    };
    Printer->OnGetCellAlignment = [](TObject*, Integer Col, Integer, TAlignment& A, TVuVertAlignment& V) {
        if (Col == 1) {
            A = taRightJustify;
            V = vuBottom;
        }
    };
    std::map<std::pair<Integer, Integer>, TVuRect> Cells;
    Printer->OnDrawCell = [&](TObject* Sender, Integer Col, Integer Row, TVuValueRect* R, TVuCanvas* C) {
        Cells[{Col, Row}] = R->GetAsInchRect();
        EXPECT_EQ(Doc.Canvas(), C);
        if (Col != 0)
            static_cast<TVuGridPrint*>(Sender)->DefaultDrawCell(R, Col, Row);
    };
    Printer->GridToPage(0, 2, 0, vuInches);
    ASSERT_EQ(10u, Percent.size());
    EXPECT_DOUBLE_EQ(10, static_cast<double>(Percent[0]));
    EXPECT_DOUBLE_EQ(100, static_cast<double>(Percent.back()));
    EXPECT_NEAR(2 + 0.25 + 1 + 8 * 0.25, static_cast<double>(Finish), 1e-9);
    EXPECT_EQ(0u, Rows.find("b0a0b1a1"));
    EXPECT_EQ(30u, Cells.size());
    EXPECT_NEAR(2.5, static_cast<double>(Cells[{2, 1}].Right), 1e-9);
    EXPECT_NEAR(3.25, static_cast<double>(Cells[{0, 1}].Bottom), 1e-9);
    auto B = Boxes(1);
    ASSERT_EQ(20u, B.size()); // column 0 was left to the handler
    EXPECT_EQ(taRightJustify, B[0]->Alignment());
    EXPECT_EQ(vuBottom, B[0]->VertAlignment());
    EXPECT_EQ(taLeftJustify, B[1]->Alignment());
}

// A grid source without rows (a string grid always has one).
class EmptyGridPrint : public TVuAbstractGridPrint {
public:
    using TVuAbstractGridPrint::TVuAbstractGridPrint;

protected:
    AnsiString GetCellText(Integer, Integer) override { return ""; }
    Integer GetColCount() override { return 2; }
    Extended GetColWidthInch(Integer) override { return 1; }
    Extended GetDefaultRowHeight(Integer) override { return 0.25; }
    TColor GetFixedCellColor() override { return 0; }
    Integer GetRowCount() override { return 0; }
    bool IsFixedCell(Integer, Integer) override { return false; }
    bool OnDrawCellAssigned() override { return false; }
    void CallOnDrawCell(Integer, Integer, TVuValueRect*) override {}
    bool HasGrid() const override { return true; }
};

TEST_F(VuGridPrintTest, NoRowsPlaceNothing)
{
    std::unique_ptr<EmptyGridPrint> P(New<EmptyGridPrint>(nullptr));
    P->SetTarget(&Target);
    int Progress = 0;
    Extended Finish = -1;
    P->OnDrawProgress = [&](TObject*, Extended) { ++Progress; };
    P->OnFinishGrid = [&](TObject*, TVuValue* Y) { Finish = Y->GetAsInches(); };
    P->GridToPage(0, 3, 0, vuInches);
    EXPECT_EQ(0, Progress);
    EXPECT_NEAR(3, static_cast<double>(Finish), 1e-9);
    EXPECT_EQ(0, Doc.GetPage(1)->Count());
    EXPECT_EQ(1, Doc.Count());
}

TEST_F(VuGridPrintTest, MissingPreviewOrGridIsReported)
{
    std::vector<std::string> Shown;
    VuErrorHook = [&](const AnsiString& Text) { Shown.push_back(Text); };
    Rows(3);
    Printer->SetTarget(nullptr);
    Printer->GridToPage(0, 0, 0, vuInches);
    Printer->SetTarget(&Target);
    Grid.reset(); // the printer hears of it and forgets the grid
    Printer->GridToPage(0, 0, 0, vuInches);
    VuErrorHook = nullptr;
    ASSERT_EQ(2u, Shown.size());
    EXPECT_NE(std::string::npos,
              Shown[0].find("The \"Preview\" property must be set to a TVuPreview component"));
    EXPECT_NE(std::string::npos,
              Shown[1].find("The \"Grid\" property must be set to a valid grid component\""));
    EXPECT_EQ(0, Doc.GetPage(1)->Count());
}

// The prize list's road: a string grid previewed over the pages of a preview control, which
// tells its companion controls once when the run ends and lets its page events run per page.
TEST(VuGridPrintPreview, HundredRowsPreviewedInOneUpdate)
{
    uitest::Start();
    uitest::UsePrinters("");
    delete SetPrinter(new TPrinter);
    TForm* Form = New<TForm>(Application);
    Form->SetBounds(20, 20, 700, 500);
    TVuPreview* Preview = New<TVuPreview>(Form);
    Preview->SetParent(Form);
    Preview->SetBounds(0, 0, 600, 440);
    TWinControl* Companion = New<TWinControl>(Form);
    Companion->SetParent(Form);
    Companion->SetBounds(650, 0, 10, 10);
    Form->Show();
    uitest::PumpUntilIdle();
    Preview->AddAssociatedComponent(Companion);
    uitest::MessageRecorder Recorder;
    Recorder.Watch(Companion->Handle());

    TStringGrid* Grid = New<TStringGrid>(Form);
    Grid->SetColCount(4);
    Grid->SetRowCount(100);
    for (Integer R = 0; R < 100; ++R)
        for (Integer C = 0; C < 4; ++C)
            Grid->SetCells(C, R, R == 0 ? "Prize " + std::to_string(C) : std::to_string(R * 10 + C));
    TVuGridPrint* P = New<TVuGridPrint>(Form);
    P->SetGrid(Grid);
    P->SetPreview(Preview);
    P->BottomMargin()->SetAsMillimeters(5);
    int NewPages = 0, HeaderDrawn = 0;
    Preview->OnNewPage = [&](TObject*) { ++NewPages; };
    Preview->OnDrawHeader = [&](TObject*, TVuValueRect*, TVuCanvas*) { ++HeaderDrawn; };
    P->OnGridNewPage = [](TObject*, TVuValue*& Top, TVuValue*&) { Top->SetAsMillimeters(15); };
    Preview->BeginUpdate();
    Preview->Canvas()->TextOut(10, 10, "Prize list");
    P->GridToPage(Preview->Canvas()->GetPenPos(vuPixels).X, 96, 0, vuPixels);
    Preview->EndUpdate();
    uitest::PumpUntilIdle();
    const Integer Pages = Preview->GetNumPages();
    EXPECT_GE(Pages, 3);
    EXPECT_EQ(Pages - 1, NewPages);
    EXPECT_EQ(Pages - 1, HeaderDrawn);
    EXPECT_EQ(Pages, Preview->GetCurrentPageNum());
    std::vector<UINT> Sent = Recorder.Ids(nullptr, {VU_BEGINUPDATE, VU_ENDUPDATE, VU_NUMPAGESCHANGED});
    EXPECT_EQ(1, std::count(Sent.begin(), Sent.end(), UINT(VU_BEGINUPDATE)));
    EXPECT_EQ(1, std::count(Sent.begin(), Sent.end(), UINT(VU_ENDUPDATE)));
    // Every continuation page starts with the header row.
    for (Integer N = 2; N <= Pages; ++N) {
        TVuPage* Page = Preview->GetPage(N);
        TVuTextBoxObject* First = nullptr;
        for (Integer I = 0; I < Page->Count() && !First; ++I)
            First = dynamic_cast<TVuTextBoxObject*>(Page->VuObject(I));
        ASSERT_NE(nullptr, First) << N;
        EXPECT_EQ("Prize 0", First->Caption()) << N;
    }

    // The printer hears of the preview's end.
    Preview->Free();
    EXPECT_EQ(nullptr, P->Preview());
    std::vector<std::string> Shown;
    VuErrorHook = [&](const AnsiString& Text) { Shown.push_back(Text); };
    P->GridToPage(0, 0, 0, vuInches);
    VuErrorHook = nullptr;
    EXPECT_EQ(1u, Shown.size());
    Form->Free();
    delete SetPrinter(nullptr);
}

TEST(VuDecimalList, ValuesAsText)
{
    TVuDecimalList L;
    L.AddValue(1.5);
    L.AddValue(0.25);
    L.SetValue(0, 2);
    EXPECT_EQ("2", L.Strings(0));
    EXPECT_DOUBLE_EQ(2.25, static_cast<double>(L.GetTotal()));
}

} // namespace

namespace {

// The grid printer names itself, and leaves cell backgrounds out when the preview's own brush
// is clear: a coloured header row then records no filled rectangles.
TEST(VuGridPrintPreview, AboutAndClearPreviewBrush)
{
    uitest::Start();
    uitest::UsePrinters("");
    delete SetPrinter(new TPrinter);
    TForm* Form = New<TForm>(Application);
    Form->SetBounds(20, 20, 700, 500);
    TVuPreview* Preview = New<TVuPreview>(Form);
    Preview->SetParent(Form);
    Preview->SetBounds(0, 0, 600, 440);
    Form->Show();
    uitest::PumpUntilIdle();
    TStringGrid* Grid = New<TStringGrid>(Form);
    Grid->SetColCount(3);
    Grid->SetRowCount(3);
    Grid->SetFixedColor(clYellow);
    for (Integer C = 0; C < 3; ++C)
        Grid->SetCells(C, 0, "H" + std::to_string(C));
    TVuGridPrint* P = New<TVuGridPrint>(Form);
    EXPECT_EQ("TVuGridPrint v2.96.6", P->About());
    P->SetAbout("other");
    EXPECT_EQ("TVuGridPrint v2.96.6", P->About());
    P->SetGrid(Grid);
    P->SetPreview(Preview);
    P->GridOptions = {};
    auto Filled = [&] {
        Preview->BeginUpdate();
        P->GridToPage(0, 0, 0, vuInches);
        Preview->EndUpdate();
        int N = 0;
        TVuPage* Page = Preview->GetPage(1);
        for (Integer I = 0; I < Page->Count(); ++I)
            N += dynamic_cast<TVuRectangleShape*>(Page->VuObject(I)) != nullptr;
        Preview->Document()->ClearPages(false, true);
        return N;
    };
    EXPECT_GT(Filled(), 0);
    Preview->Brush()->SetStyle(bsClear);
    EXPECT_EQ(Filled(), 0);
    Form->Free();
    delete SetPrinter(nullptr);
}

} // namespace
