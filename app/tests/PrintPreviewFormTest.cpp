#include "AppTestSupport.h"

#include "app/PrintPreviewForm.h"
#include "app/RewardListForm.h"
#include "platform/forms/Printers.h"
#include "platform/rtl/Guards.h"

using uitest::PressKey;

namespace {

// The print window over a plain grid of Rows rows (row 0 a fixed header) and two columns of
// 200 pixels, on a portrait A4 page: 60 rows make three pages. A file printer writes into
// the test directory.
class PrintPreviewFormTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Folder = std::filesystem::current_path() / "printed";
        std::filesystem::create_directories(Folder);
        uitest::UsePrinters("[Test PDF]\nFolder=" + Folder.string() + "\nResolution=150\nPaper=A4\n");
        delete SetPrinter(new TPrinter);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        uitest::UsePrinters("");
        delete SetPrinter(nullptr);
    }

    TPrintPreviewForm* Make(Integer Rows)
    {
        auto* F = New<TPrintPreviewForm>(Application);
        auto* G = New<TStringGrid>(F);
        G->SetColCount(2);
        G->SetRowCount(Rows);
        G->SetFixedCols(0);
        G->SetFixedRows(Rows > 1 ? 1 : 0);
        for (Integer C = 0; C < 2; ++C)
            G->SetColWidths(C, 200);
        for (Integer R = 0; R < Rows; ++R) {
            G->SetCells(0, R, R == 0 ? "Name" : "Row " + IntToStr(R));
            G->SetCells(1, R, IntToStr(R));
        }
        F->addPrintTitles("Title", "Subtitle", "");
        F->addGridPages(50, 150, G, -1);
        return F;
    }

    std::filesystem::path Folder;
};

} // namespace

TEST_F(PrintPreviewFormTest, WindowIsLaidOutAsAPrintForm)
{
    TOwned<TPrintPreviewForm> F(Make(2));
    EXPECT_EQ(F->Caption(), "Print Form");
    EXPECT_EQ(F->Font()->Name(), "Times New Roman");
    EXPECT_EQ(F->Panel1->Height(), 73);
    struct Button {
        TZevButton* B;
        const char *Caption, *Hint;
        Integer Width, Height;
        bool Enabled;
    };
    const Button Buttons[] = {
        {F->uFirst, "&First", "最前一頁", 80, 33, false}, {F->uPrevious, "Pre&v", "前一頁", 80, 33, false},
        {F->uNext, "&Next", "後一頁", 80, 33, false},     {F->uLast, "&Last", "最後一頁", 80, 33, false},
        {F->zoomIn, "Zoon In", "", 80, 33, true},         {F->zoomOut, "Zoon out", "", 80, 33, true},
        {F->exportButton, "&Export", "", 80, 71, true},   {F->printButton, "&Print", "", 80, 71, true},
        {F->Button1, "&Close", "", 80, 71, true},
    };
    for (const Button& B : Buttons) {
        EXPECT_EQ(B.B->Caption(), B.Caption);
        EXPECT_EQ(B.B->Hint(), B.Hint) << B.Caption;
        EXPECT_EQ(B.B->Width(), B.Width) << B.Caption;
        EXPECT_EQ(B.B->Height(), B.Height) << B.Caption;
        EXPECT_EQ(B.B->Enabled(), B.Enabled) << B.Caption;
    }
    EXPECT_LT(F->exportButton->Left(), F->printButton->Left());
    EXPECT_LT(F->printButton->Left(), F->Button1->Left());
    EXPECT_GE(F->Button1->Left() + 80, F->Panel1->ClientWidth() - 2)
        << "close at the right end, inside the bevel";
    EXPECT_EQ(F->Button1->ModalResult(), 2);
    EXPECT_EQ(F->printerLabel->Caption(), "Printer:");
    EXPECT_EQ(F->fromLabel->Caption(), "Print Page From:");
    EXPECT_EQ(F->toLabel->Caption(), "To");
    EXPECT_EQ(F->printer->Style(), csDropDownList);
    EXPECT_EQ(F->StatusBar1->Panels()->Count(), 2);
    EXPECT_EQ(F->StatusBar1->Panels()->Items(0)->Width(), 150);
    EXPECT_EQ(F->StatusBar1->Panels()->Items(1)->Width(), 100);

    TVuPreview* P = F->VuPreview1;
    EXPECT_EQ(P->Zoom(), 100);
    for (TVuValue* Side : {P->GetMargins()->Left(), P->GetMargins()->Top(), P->GetMargins()->Right(),
                           P->GetMargins()->Bottom()})
        EXPECT_NEAR(Side->GetAsMillimeters(), 5, 1e-9);
    TVuHeaderFooterCaption* Footer = P->GetFooter()->CaptionCenter();
    EXPECT_EQ(Footer->Font()->Name(), "Arial");
    EXPECT_EQ(Footer->Font()->Height(), -13);
    EXPECT_FALSE(P->GetFooter()->ShowLine());
    EXPECT_FALSE(P->GetVuPrinter()->Collate());
    EXPECT_EQ(P->GetVuPrinter()->Duplex(), vuSimplex);
    EXPECT_EQ(F->VuGridPrint1->CellPenColor, clWhite);
}

TEST_F(PrintPreviewFormTest, PrinterListStartsWithTheDefault)
{
    {
        TOwned<TPrintPreviewForm> F(New<TPrintPreviewForm>(Application));
        ASSERT_EQ(F->printer->Items()->Count(), 2);
        EXPECT_EQ(F->printer->Items()->Strings(0), "Default Printer");
        EXPECT_EQ(F->printer->Items()->Strings(1), "Test PDF");
        EXPECT_EQ(F->printer->ItemIndex(), 1) << "the current printer";
    }
    uitest::UsePrinters("");
    delete SetPrinter(new TPrinter);
    TOwned<TPrintPreviewForm> F(New<TPrintPreviewForm>(Application));
    ASSERT_EQ(F->printer->Items()->Count(), 1);
    EXPECT_EQ(F->printer->ItemIndex(), 0) << "no printer: the default entry";
}

TEST_F(PrintPreviewFormTest, ThirdTitleMovesTheRulesDown)
{
    struct Case {
        const char* Third;
        size_t Texts;
        Extended Rule;
    };
    for (const Case& C : {Case{"", 2, 100}, Case{"   ", 2, 100}, Case{"Spring draw", 3, 120}}) {
        TOwned<TPrintPreviewForm> F(New<TPrintPreviewForm>(Application));
        F->addPrintTitles("Demo Limited", "Prize Listing", C.Third);
        TVuPage* P = F->VuPreview1->GetPage(1);
        std::vector<TVuTextObject*> Texts;
        std::vector<TVuLineObject*> Rules;
        for (Integer I = 0; I < P->Count(); ++I) {
            if (auto* T = dynamic_cast<TVuTextObject*>(P->VuObject(I)))
                Texts.push_back(T);
            if (auto* L = dynamic_cast<TVuLineObject*>(P->VuObject(I)))
                Rules.push_back(L);
        }
        ASSERT_EQ(Texts.size(), C.Texts) << C.Third;
        if (C.Texts == 3) {
            EXPECT_EQ(Texts[2]->Caption(), C.Third);
            EXPECT_EQ(Texts[2]->Font()->Size(), 12);
            EXPECT_NEAR(Texts[2]->GetY(vuPixels), 100, 1e-6);
        }
        ASSERT_EQ(Rules.size(), 2u);
        EXPECT_NEAR(Rules[0]->GetY(vuPixels), C.Rule, 1e-6) << C.Third;
        EXPECT_NEAR(Rules[1]->GetY(vuPixels), C.Rule + 5, 1e-6) << C.Third;
    }
}

TEST_F(PrintPreviewFormTest, WideListsPrintInLandscape)
{
    for (Integer Width : {701, 702}) {
        TOwned<TRewardListForm> L(New<TRewardListForm>(Application));
        L->grid->SetColWidths(0, 1);
        L->grid->SetColWidths(1, Width - 101);
        L->grid->SetColWidths(2, 100);
        TVuOrientation Seen = vuPortrait;
        Integer Pages = 0;
        Inside([&] {
            auto* F = Active<TPrintPreviewForm>();
            ASSERT_NE(F, nullptr);
            Seen = F->VuPreview1->GetOrientation();
            Pages = F->VuPreview1->GetNumPages();
            PressKey('C', uitest::ksAlt);
        });
        L->printActionExecute(L.get());
        EXPECT_EQ(Seen, Width > 701 ? vuLandscape : vuPortrait) << Width;
        EXPECT_EQ(Pages, 1) << Width;
        EXPECT_EQ(Active<TPrintPreviewForm>(), nullptr);
    }
}

TEST_F(PrintPreviewFormTest, PageNumberEnteredGoesToThatPage)
{
    TOwned<TPrintPreviewForm> F(Make(100));
    Inside([&] {
        ASSERT_EQ(F->VuPreview1->GetNumPages(), 3);
        EXPECT_EQ(F->StatusBar1->Panels()->Items(0)->Text(), "Total Page: 3");
        EXPECT_EQ(F->toPage->Text(), "3");
        PressKey('N', uitest::ksAlt); // page 2: every page button on
        struct Case {
            const char* Text;
            const char* Message;
            Integer Page;
        };
        const Case Cases[] = {
            {"0", "Page cannot be negative.", 2},
            {"-1", "Page cannot be negative.", 2},
            {"4", "Page exceeded.", 2},
            {"abc", "(no message)", 2},
            {"3", "(no message)", 3},
            {"1", "(no message)", 1},
        };
        for (const Case& C : Cases) {
            F->fromPage->SetFocus();
            F->fromPage->SetText(C.Text);
            F->fromPage->SetSelStart(0);
            EXPECT_EQ(Answered([] { PressKey(VK_RETURN); }), C.Message) << C.Text;
            EXPECT_EQ(F->VuPreview1->GetCurrentPageNum(), C.Page) << C.Text;
            EXPECT_EQ(F->StatusBar1->Panels()->Items(1)->Text(), "Page: " + IntToStr(C.Page));
            EXPECT_EQ(F->ActiveControl(), F->fromPage) << C.Text;
            EXPECT_EQ(F->fromPage->Text(), C.Text) << "the Enter is not typed";
            if (std::string(C.Text) != "abc") {
                EXPECT_EQ(F->fromPage->SelLength(), Integer(F->fromPage->Text().size())) << C.Text;
            }
            // The page buttons keep what the last button left.
            EXPECT_TRUE(F->uFirst->Enabled() && F->uNext->Enabled()) << C.Text;
        }
        PressKey('C', uitest::ksAlt);
    });
    F->ShowModal();
}

TEST_F(PrintPreviewFormTest, ZoomStepsByTheIncrementAndStopsAboveIt)
{
    TOwned<TPrintPreviewForm> F(Make(2));
    Inside([&] {
        TVuPreview* P = F->VuPreview1;
        EXPECT_EQ(P->ZoomIncrement(), 10);
        uitest::Click(F->zoomIn->Handle(), 10, 10);
        uitest::Click(F->zoomIn->Handle(), 10, 10);
        EXPECT_EQ(P->Zoom(), 120);
        uitest::Click(F->zoomOut->Handle(), 10, 10);
        EXPECT_EQ(P->Zoom(), 110);
        for (int I = 0; I < 12; ++I)
            F->zoomOutClick(F->zoomOut);
        EXPECT_EQ(P->Zoom(), 10) << "never the increment or below";
        PressKey('C', uitest::ksAlt);
    });
    F->ShowModal();
}

// A page range the document does not have is refused with the window's own messages before any
// job starts; a good one prints those pages.
TEST_F(PrintPreviewFormTest, PrintRangeIsCheckedBeforePrinting)
{
    TOwned<TPrintPreviewForm> F(Make(100));
    Inside([&] {
        struct Case {
            const char *From, *To;
            const char* Message;
            size_t Pages; // printed; 0 for no job
        };
        const Case Cases[] = {
            {"0", "3", "Page cannot be negative.", 0},
            {"-2000000000", "3", "Page cannot be negative.", 0},
            {"1", "2000000000", "Page exceeded.", 0},
            {"4", "4", "Page exceeded.", 0},
            {"2", "3", "(no message)", 2},
            {"3", "1", "(no message)", 3},
        };
        for (const Case& C : Cases) {
            uitest::ClearRecords();
            F->fromPage->SetText(C.From);
            F->toPage->SetText(C.To);
            EXPECT_EQ(Answered([] { PressKey('P', uitest::ksAlt); }), C.Message) << C.From << ".." << C.To;
            if (C.Pages == 0) {
                EXPECT_TRUE(uitest::PrintJobs().empty()) << C.From << ".." << C.To;
            } else {
                ASSERT_EQ(uitest::PrintJobs().size(), 1u) << C.From << ".." << C.To;
                EXPECT_EQ(uitest::PrintJobs()[0].Pages.size(), C.Pages);
            }
        }
        PressKey('C', uitest::ksAlt);
    });
    F->ShowModal();
}
