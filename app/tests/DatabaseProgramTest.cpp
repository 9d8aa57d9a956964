#include "AppTestSupport.h"

#include "app/AppTables.h"
#include "app/DatabaseDrawStore.h"
#include "app/LotteryForm.h"
#include "app/MainForm.h"
#include "app/PrintPreviewForm.h"
#include "app/RewardForm.h"
#include "app/RewardListForm.h"
#include "app/SelectOptionForm.h"
#include "platform/forms/Printers.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Random.h"
#include "platform/servers/Servers.h"
#include "platform/testing/Commands.h"
#include "platform/testing/DialogScript.h"

#include <cstdio>
#include <fstream>

using uitest::AdvanceTime;
using uitest::PressKey;

namespace {

// The program's windows over its real database, in a directory of its own.
class DatabaseProgramTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        std::filesystem::current_path(OldDir);
        OldDir = EnterDatabaseDirectory();
        SetDrawStore(CreateDatabaseDrawStore());
    }
    void TearDown() override
    {
        AppTest::TearDown(); // frees the windows and the store
        if (appDatabase.isOpen())
            appDatabase.close();
        RemoveDatabaseFiles();
    }

    Integer Quantity(oid_t Id)
    {
        TPrizeRow R;
        EXPECT_TRUE(FindReward(Id, R));
        return R.Quantity;
    }
    Integer StoredPersons()
    {
        TSelectOptionValues V;
        EXPECT_TRUE(ReadSelectOption(V));
        return V.Person;
    }
};

} // namespace

TEST_F(DatabaseProgramTest, WholeDrawIsStoredInTheDatabase)
{
    TMainForm* Main = nullptr;
    Application->CreateForm(Main);
    oid_t Pen = 0, Cup = 0;
    std::function<void()> OptionsWindow;

    Then([&] {
        ASSERT_TRUE(appDatabase.isOpen());
        RandSeed = 7;
        EXPECT_EQ(Answered([] { PressKey(VK_F3); }),
                  "No prize, press [Prize] to set the prize and quantity.");
        Pen = InsertReward("Pen", 2);
        Cup = InsertReward("Cup", 1);
        appDatabase.commit();
        Inside(OptionsWindow);
        PressKey(VK_F3);
    });
    OptionsWindow = [&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        EXPECT_EQ(O->quantity->Text(), "3");
        O->person->SetText("3");
        O->row->SetText("2");
        O->col->SetText("3");
        PressKey(VK_F4);
    };
    Then([&] {
        auto* B = Active<TLotteryForm>();
        ASSERT_NE(B, nullptr);
        EXPECT_EQ(StoredPersons(), 3);
        for (int Draw = 0; Draw < 3; ++Draw) {
            const Integer PenBefore = Quantity(Pen), CupBefore = Quantity(Cup);
            PressKey(VK_F4);
            const TPrizeId Won = B->Board().Outcomes()[size_t(2 - Draw)];
            // Both already stored while the highlight runs.
            EXPECT_EQ(StoredPersons(), 2 - Draw);
            EXPECT_EQ(Quantity(Pen), PenBefore - (Won == Pen));
            EXPECT_EQ(Quantity(Cup), CupBefore - (Won == Cup));
            AdvanceTime(50 * (B->Board().StepsLeft() - 4) + 1750);
            EXPECT_TRUE(B->exitAction->Enabled());
        }
        EXPECT_EQ(B->person->Caption(), "Person: 0");
        PressKey(VK_ESCAPE);
    });
    Then([&] {
        Inside([] { PressKey(VK_F4); }); // "Exit program?" Yes
        PressKey(VK_F12);
    });
    Application->Run();
    EXPECT_FALSE(appDatabase.isOpen()) << "a confirmed exit closes the database";

    // What the next run finds.
    ASSERT_TRUE(appDatabase.open(AppDatabaseName));
    EXPECT_EQ(Quantity(Pen), 0);
    EXPECT_EQ(Quantity(Cup), 0);
    EXPECT_EQ(StoredPersons(), 0);
    TPrizeRow P;
    ASSERT_TRUE(FindReward(Pen, P));
    EXPECT_EQ(P.Take, 2) << "the quantity the board opened with";
    appDatabase.close();
}

namespace {

// The centre of a grid cell, in the grid's client coordinates.
POINT CellCentre(TDidAririzEvar* G, Integer Col, Integer Row)
{
    const TRect R = G->CellRect(Col, Row);
    return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

using uitest::CommandOutput;
using uitest::HaveCommand;

// The text of a PDF with every run of blanks as one space.
std::string PdfText(const std::string& File)
{
    std::string Out;
    if (FILE* P = popen(("pdftotext -layout '" + File + "' -").c_str(), "r")) {
        char Buf[4096];
        size_t N;
        while ((N = fread(Buf, 1, sizeof Buf, P)) > 0)
            for (size_t I = 0; I < N; ++I)
                if (Buf[I] != ' ' || Out.empty() || Out.back() != ' ')
                    Out += Buf[I];
        pclose(P);
    }
    return Out;
}

// The text boxes of a page of the print window, in recording order.
std::vector<TVuTextBoxObject*> Boxes(TPrintPreviewForm* F, Integer N)
{
    std::vector<TVuTextBoxObject*> Out;
    TVuPage* P = F->VuPreview1->GetPage(N);
    for (Integer I = 0; I < P->Count(); ++I)
        if (auto* B = dynamic_cast<TVuTextBoxObject*>(P->VuObject(I)))
            Out.push_back(B);
    return Out;
}

Integer RowOf(TDidAririzEvar* G, const AnsiString& Name)
{
    for (Integer R = 1; R < G->RowCount(); ++R)
        if (G->Cells(1, R) == Name)
            return R;
    return -1;
}

} // namespace

// A new user's first run: prizes entered through the list (with the refusals, edits, deletes
// and a dragged column), the program restarted, and a draw that takes the entered quantities.
TEST_F(DatabaseProgramTest, PrizesEnteredInTheListAreDrawn)
{
    TMainForm* Main = nullptr;
    Application->CreateForm(Main);
    TRewardListForm* L = nullptr;
    Integer DraggedWidth = 0;
    const AnsiString Chinese = "筆記本電腦";
    const AnsiString Apostrophe = "Tom's mug";

    // Fills the editor the next step opens and saves it.
    auto Enter = [&](const AnsiString& Name, const AnsiString& Quantity, UINT OpenKey) {
        Inside([=, this] {
            auto* E = Active<TRewardForm>();
            ASSERT_NE(E, nullptr);
            E->name->SetText(Name);
            E->quantity->SetText(Quantity);
            PressKey(VK_F4);
        });
        if (OpenKey)
            PressKey(OpenKey);
    };
    auto Click = [&](Integer Row, bool Ctrl) {
        const POINT P = CellCentre(L->grid, 1, Row);
        if (Ctrl)
            uitest::KeyDown(VK_CONTROL);
        uitest::Click(L->grid->Handle(), P.X, P.Y);
        if (Ctrl)
            uitest::KeyUp(VK_CONTROL);
    };

    Then([&] {
        ASSERT_TRUE(appDatabase.isOpen());
        Inside([&] {
            L = Active<TRewardListForm>();
            ASSERT_NE(L, nullptr);
            EXPECT_EQ(L->Caption(), "Prize Listing");
            EXPECT_EQ(L->BoundsRect(), Screen->WorkAreaRect()) << "maximized";
            TZevButton* Buttons[] = {L->insertButton, L->updateButton, L->deleteButton, L->exportButton,
                                     L->importButton, L->printButton,  L->closeButton};
            const char* Captions[] = {"Insert F2", "Edit F3",   "Delete F4", "Export F5",
                                      "Import F6", "Print F11", "Exit Esc"};
            for (int I = 0; I < 7; ++I) {
                EXPECT_EQ(Buttons[I]->Caption(), Captions[I]);
                if (I > 0) {
                    EXPECT_LT(Buttons[I - 1]->Left(), Buttons[I]->Left()) << Captions[I];
                }
            }
            EXPECT_EQ(L->insertAction->Hint(), "Insert");
            EXPECT_TRUE(L->exportAction->Enabled());
            EXPECT_TRUE(L->importAction->Enabled());
            ASSERT_EQ(L->grid->RowCount(), 1) << "only the header";
            EXPECT_EQ(L->grid->Cells(1, 0), "Prize");
            EXPECT_EQ(L->grid->ColWidths(1), 300);
            EXPECT_EQ(Answered([] { PressKey(VK_F3); }), "No record selected.");
            EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "No record selected.");

            // Refusals: an empty name keeps the editor open; a quantity that is no integer
            // stores nothing.
            Inside([&] {
                auto* E = Active<TRewardForm>();
                ASSERT_NE(E, nullptr);
                EXPECT_EQ(E->Caption(), "Prize Record");
                EXPECT_EQ(E->quantity->Text(), "1");
                E->name->SetText("   ");
                EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Please enter prize.");
                EXPECT_EQ(Active<TRewardForm>(), E) << "the editor stays open";
                PressKey(VK_ESCAPE);
            });
            PressKey(VK_F2);
            EXPECT_EQ(Answered([&] { Enter("Lamp", "two", VK_F2); }), "'two' is not a valid integer value");
            EXPECT_EQ(L->grid->RowCount(), 1) << "nothing inserted";

            for (const AnsiString& Name : {AnsiString("Cup"), Chinese, Apostrophe, AnsiString("Pen")})
                Enter(Name, "2", VK_F2);
            // One by the keyboard alone: Enter goes from the name to the quantity to "Save F4".
            EXPECT_EQ(L->ActiveControl(), L->grid);
            Inside([&] {
                ASSERT_NE(Active<TRewardForm>(), nullptr);
                uitest::TypeText("Hat");
                PressKey(VK_RETURN);
                uitest::TypeText("2");
                PressKey(VK_RETURN);
                PressKey(VK_RETURN);
            });
            PressKey(VK_F2);
            ASSERT_EQ(L->grid->RowCount(), 6);
            EXPECT_EQ(L->grid->Cells(2, RowOf(L->grid, "Hat")), "2");
            EXPECT_EQ(L->grid->FixedRows(), 1);
            EXPECT_NE(RowOf(L->grid, Chinese), -1);
            EXPECT_NE(RowOf(L->grid, Apostrophe), -1);

            // Edits: by double click and by Enter; the grid keeps the text as typed.
            Enter(Chinese, "07", 0);
            const POINT P = CellCentre(L->grid, 1, RowOf(L->grid, Chinese));
            uitest::DoubleClick(L->grid->Handle(), P.X, P.Y);
            EXPECT_EQ(L->grid->Cells(2, RowOf(L->grid, Chinese)), "07");
            Click(RowOf(L->grid, Apostrophe), false);
            Enter(Apostrophe, "1", VK_RETURN);
            EXPECT_EQ(L->grid->Cells(2, RowOf(L->grid, Apostrophe)), "1");

            // Deletes: one row, then, after the refill that selects the first row, a pair made
            // with Ctrl: what shows highlighted is what goes.
            Click(RowOf(L->grid, "Hat"), false);
            EXPECT_EQ(HighlightedRows(L->grid), std::vector<Integer>{RowOf(L->grid, "Hat")});
            EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Delete 'Hat' ?");
            EXPECT_EQ(RowOf(L->grid, "Hat"), -1);
            ASSERT_EQ(RowOf(L->grid, "Cup"), 1);
            EXPECT_EQ(HighlightedRows(L->grid), std::vector<Integer>{1});
            Click(RowOf(L->grid, "Pen"), true);
            EXPECT_EQ(HighlightedRows(L->grid), (std::vector<Integer>{1, RowOf(L->grid, "Pen")}));
            EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Delete 2 records?");
            EXPECT_EQ(L->grid->RowCount(), 3);
            EXPECT_EQ(RowOf(L->grid, "Cup"), -1);
            EXPECT_EQ(RowOf(L->grid, "Pen"), -1);

            // A column border dragged.
            const Integer Border = L->grid->CellRect(1, 0).Right;
            uitest::Drag(L->grid->Handle(), Border - 1, 10, Border + 59, 10);
            DraggedWidth = L->grid->ColWidths(1);
            EXPECT_GT(DraggedWidth, 300);
            PressKey(VK_ESCAPE);
        });
        PressKey(VK_F2);
        EXPECT_EQ(Active<TRewardListForm>(), nullptr);
        // A restart: the store closed (the program's exit) and opened again.
        DrawStore()->Close();
        SetDrawStore(CreateDatabaseDrawStore());
        ASSERT_EQ(DrawStore()->Open(), TDrawStore::orOpened);
    });
    Then([&] {
        Inside([&] {
            L = Active<TRewardListForm>();
            ASSERT_NE(L, nullptr);
            EXPECT_EQ(L->grid->ColWidths(1), DraggedWidth) << "the dragged width came back";
            EXPECT_EQ(L->grid->RowCount(), 3);
            PressKey(VK_ESCAPE);
        });
        PressKey(VK_F2);
        Inside([&] {
            auto* O = Active<TSelectOptionForm>();
            ASSERT_NE(O, nullptr);
            EXPECT_EQ(O->quantity->Text(), "8");
            O->person->SetText("8");
            O->row->SetText("3");
            O->col->SetText("3");
            PressKey(VK_F4);
        });
        PressKey(VK_F3);
    });
    Then([&] {
        auto* B = Active<TLotteryForm>();
        ASSERT_NE(B, nullptr);
        for (int Draw = 0; Draw < 8; ++Draw) {
            PressKey(VK_F4);
            AdvanceTime(50 * (B->Board().StepsLeft() - 4) + 1750);
        }
        EXPECT_EQ(B->person->Caption(), "Person: 0");
        PressKey(VK_ESCAPE);
    });
    Then([&] {
        Inside([] { PressKey(VK_F4); });
        PressKey(VK_F12);
    });
    Application->Run();

    ASSERT_TRUE(appDatabase.open(AppDatabaseName));
    const std::vector<TPrizeRow> Left = ListRewards();
    ASSERT_EQ(Left.size(), 2u);
    for (const TPrizeRow& P : Left) {
        EXPECT_TRUE(P.Name == Chinese || P.Name == Apostrophe) << P.Name;
        EXPECT_EQ(P.Quantity, 0) << P.Name << ": every unit was drawn";
        EXPECT_EQ(P.Take, P.Name == Chinese ? 7 : 1) << P.Name;
    }
    std::vector<Integer> Widths{1, 1, 1};
    EXPECT_TRUE(LoadPrizeListColWidths(Widths));
    EXPECT_EQ(Widths[1], DraggedWidth);
    appDatabase.close();
}

// The prize list printed: prizes entered in the list, the print window with the title block
// and the list over two pages, paging through them, and the pages printed on a file printer.
TEST_F(DatabaseProgramTest, PrizeListIsPreviewedAndPrinted)
{
    namespace fs = std::filesystem;
    const fs::path Here = fs::current_path();
    fs::create_directories(Here / "test");
    fs::create_directories(Here / "draft");
    uitest::UsePrinters("[Test PDF]\nFolder=" + (Here / "test").string() + "\nResolution=300\nPaper=A4\n" +
                        "[Draft PDF]\nFolder=" + (Here / "draft").string() + "\nResolution=150\nPaper=A4\n");
    delete SetPrinter(new TPrinter);
    struct TPrintersReset {
        ~TPrintersReset()
        {
            uitest::UsePrinters("");
            delete SetPrinter(nullptr);
        }
    } Reset;

    TMainForm* Main = nullptr;
    Application->CreateForm(Main);
    const AnsiString Chinese = "筆記本電腦";
    TRewardListForm* L = nullptr;
    TPrintPreviewForm* F = nullptr;

    Then([&] {
        ASSERT_TRUE(appDatabase.isOpen());
        // Enough prizes for a second page: 50 stored before the list opens, two typed in it.
        for (int I = 1; I <= 50; ++I) {
            char Name[32];
            std::snprintf(Name, sizeof Name, "Prize %02d", I);
            InsertReward(Name, I);
        }
        appDatabase.commit();
        Inside([&] {
            L = Active<TRewardListForm>();
            ASSERT_NE(L, nullptr);
            EXPECT_TRUE(L->printAction->Enabled());
            EXPECT_EQ(L->printButton->Caption(), "Print F11");
            EXPECT_TRUE(L->exportAction->Enabled());
            EXPECT_TRUE(L->importAction->Enabled());
            for (const AnsiString& Name : {Chinese, AnsiString("Pen")}) {
                Inside([=, this] {
                    auto* E = Active<TRewardForm>();
                    ASSERT_NE(E, nullptr);
                    E->name->SetFocus();
                    uitest::TypeText(Name);
                    PressKey(VK_RETURN);
                    uitest::TypeText("7");
                    PressKey(VK_F4);
                });
                PressKey(VK_F2);
            }
            ASSERT_EQ(L->grid->RowCount(), 53);
            Inside([&] {
                F = Active<TPrintPreviewForm>();
                ASSERT_NE(F, nullptr);
                EXPECT_EQ(F->Caption(), "Print Form");
                EXPECT_EQ(F->BoundsRect(), Screen->WorkAreaRect()) << "maximized";
                EXPECT_EQ(F->VuPreview1->GetOrientation(), vuPortrait) << "1 + 300 + 100 pixels of columns";
                ASSERT_EQ(F->VuPreview1->GetNumPages(), 2);
                EXPECT_EQ(F->StatusBar1->Panels()->Items(0)->Text(), "Total Page: 2");
                EXPECT_EQ(F->StatusBar1->Panels()->Items(1)->Text(), "Page: 1");
                EXPECT_EQ(F->toPage->Text(), "2");
                EXPECT_EQ(F->VuPreview1->GetFooter()->CaptionCenter()->Caption(),
                          "Page {PAGE} of  {NUMPAGES}");
                EXPECT_EQ(F->fromPage->Text(), "1");
                EXPECT_EQ(L->grid->ColWidths(0), 1) << "the ID column's width is back";
                ASSERT_EQ(F->printer->Items()->Count(), 3);
                EXPECT_EQ(F->printer->Items()->Strings(0), "Default Printer");
                EXPECT_EQ(F->printer->ItemIndex(), 1) << "the current printer";

                // The title block: the organisation and the window's caption centred, the rules.
                TVuPage* P1 = F->VuPreview1->GetPage(1);
                std::vector<TVuTextObject*> Titles;
                std::vector<TVuLineObject*> Rules;
                for (Integer I = 0; I < P1->Count(); ++I) {
                    if (auto* T = dynamic_cast<TVuTextObject*>(P1->VuObject(I)))
                        Titles.push_back(T);
                    if (auto* R = dynamic_cast<TVuLineObject*>(P1->VuObject(I)))
                        Rules.push_back(R);
                }
                ASSERT_EQ(Titles.size(), 2u);
                EXPECT_EQ(Titles[0]->Caption(), "Demo Limited");
                EXPECT_EQ(Titles[1]->Caption(), "Prize Listing");
                EXPECT_EQ(Titles[0]->Font()->Name(), "Times New Roman");
                EXPECT_EQ(Titles[0]->Font()->Size(), 18);
                EXPECT_EQ(Titles[1]->Font()->Size(), 14);
                EXPECT_NEAR(Titles[0]->GetY(vuPixels), 50, 1e-6);
                EXPECT_NEAR(Titles[1]->GetY(vuPixels), 75, 1e-6);
                const Extended Page = F->VuPreview1->GetPageWidth(vuPixels);
                for (TVuTextObject* T : Titles) {
                    TVuCanvas* C = F->VuPreview1->Canvas();
                    C->Font()->SetName(T->Font()->Name());
                    C->Font()->SetSize(T->Font()->Size());
                    const Extended Middle =
                        T->GetX(vuPixels) + C->TextWidth(T->Caption())->GetVuValue(vuPixels) / 2;
                    EXPECT_NEAR(Middle, Page / 2, 1.5) << T->Caption();
                }
                ASSERT_EQ(Rules.size(), 2u) << "no grid lines";
                EXPECT_NEAR(Rules[0]->GetY(vuPixels), 100, 1e-6);
                EXPECT_NEAR(Rules[1]->GetY(vuPixels), 105, 1e-6);
                EXPECT_NEAR(Rules[0]->GetX(vuPixels), 50, 1e-6);
                EXPECT_NEAR(Rules[0]->GetX2(vuPixels), 793 - 50, 1e-6);

                // The list from (50, 150) without its ID column; the header again on page 2,
                // 15 mm from the top.
                auto B1 = Boxes(F, 1), B2 = Boxes(F, 2);
                ASSERT_GE(B1.size(), 4u);
                EXPECT_EQ(B1[0]->Caption(), "Prize");
                EXPECT_EQ(B1[1]->Caption(), "Quantity");
                EXPECT_EQ(B1[2]->Caption(), "Prize 01");
                EXPECT_EQ(B1[3]->Caption(), "1");
                EXPECT_NEAR(B1[0]->GetX(vuPixels), 50, 0.01);
                EXPECT_NEAR(B1[0]->GetY(vuPixels), 150, 0.01);
                EXPECT_NEAR(B1[1]->GetX(vuPixels), 350, 0.05) << "the prize column's 300 pixels";
                for (auto* B : B1)
                    EXPECT_NE(B->Caption(), "ID");
                ASSERT_GE(B2.size(), 4u);
                EXPECT_EQ(B2[0]->Caption(), "Prize");
                EXPECT_NEAR(B2[0]->GetY(vuMillimeters), 15, 0.01);
                EXPECT_EQ(B2.back()->Caption(), "7");
                EXPECT_EQ(B2[B2.size() - 2]->Caption(), "Pen");
                EXPECT_EQ(B1.size() + B2.size(), 2u * (53 + 1)) << "every row once, the header twice";

                // Paging: the buttons follow the page.
                auto States = [&] {
                    std::string S;
                    for (TZevButton* B : {F->uFirst, F->uPrevious, F->uNext, F->uLast})
                        S += B->Enabled() ? '1' : '0';
                    return S + " " + F->StatusBar1->Panels()->Items(1)->Text();
                };
                EXPECT_EQ(States(), "0011 Page: 1");
                PressKey('N', uitest::ksAlt);
                EXPECT_EQ(States(), "1100 Page: 2");
                EXPECT_EQ(F->VuPreview1->GetCurrentPageNum(), 2);
                PressKey('V', uitest::ksAlt);
                EXPECT_EQ(States(), "0011 Page: 1");
                PressKey('L', uitest::ksAlt);
                EXPECT_EQ(States(), "1100 Page: 2");
                PressKey('F', uitest::ksAlt);
                EXPECT_EQ(States(), "0011 Page: 1");
                EXPECT_TRUE(
                    uitest::SaveWindowPng(F->Handle(), (TestDirectory() / "drawmere-print.png").string()));

                // Page 2 on the other printer, then both pages on the current one.
                uitest::ClearRecords();
                F->printer->SetItemIndex(2);
                F->fromPage->SetText("2");
                PressKey('P', uitest::ksAlt);
                F->printer->SetItemIndex(0);
                F->fromPage->SetText("1");
                PressKey('P', uitest::ksAlt);
                PressKey('C', uitest::ksAlt);
            });
            PressKey(VK_F11);
            EXPECT_EQ(Active<TRewardListForm>(), L) << "closed back to the list";
            PressKey(VK_ESCAPE);
        });
        PressKey(VK_F2);
    });
    Then([&] {
        Inside([] { PressKey(VK_F4); });
        PressKey(VK_F12);
    });
    Application->Run();

    const auto& Jobs = uitest::PrintJobs();
    ASSERT_EQ(Jobs.size(), 2u);
    EXPECT_EQ(Jobs[0].Printer, "Draft PDF");
    EXPECT_EQ(Jobs[0].Pages.size(), 1u);
    EXPECT_EQ(Jobs[1].Printer, "Draft PDF") << "\"Default Printer\" keeps the printer chosen";
    EXPECT_EQ(Jobs[1].Pages.size(), 2u);
    for (const auto& J : Jobs) {
        EXPECT_EQ(J.State, PrintJobState::Printed) << J.Error;
        EXPECT_EQ(J.Title, "Prize Listing") << "the job is named after the list";
    }
    EXPECT_EQ(fs::path(Jobs[0].File).filename(), "Prize Listing.pdf");
    EXPECT_EQ(fs::path(Jobs[1].File).filename(), "Prize Listing (2).pdf");
    const std::string Page2 = PdfText(Jobs[0].File);
    EXPECT_EQ(Page2.find("Demo Limited"), std::string::npos) << Page2;
    EXPECT_NE(Page2.find("Prize"), std::string::npos) << Page2;
    EXPECT_NE(Page2.find("Pen"), std::string::npos) << Page2;
    EXPECT_NE(Page2.find("Page 2 of 2"), std::string::npos) << Page2;
    const std::string Both = PdfText(Jobs[1].File);
    for (const char* Text : {"Demo Limited", "Prize Listing", "Quantity", "Prize 01", "Prize 50",
                             "筆記本電腦", "Page 1 of 2", "Page 2 of 2"})
        EXPECT_NE(Both.find(Text), std::string::npos) << Text << "\n" << Both;
}

// The list exported to each kind of file, every file read back by a reader of its own: Python's
// csv module, Python's html.parser, and LibreOffice (or unrtf) for the word-processor document.
TEST_F(DatabaseProgramTest, PrizeListIsExportedByFileEnding)
{
    namespace fs = std::filesystem;
    RegisterPlatformOleServers(); // as the program does at start
    const fs::path Out = fs::current_path() / "out";
    fs::create_directories(Out);
    const std::string Csv = (Out / "prizes.csv").string(), Htm = (Out / "prizes.htm").string(),
                      Doc = (Out / "prizes.doc").string(), Xls = (Out / "prizes.xls").string(),
                      Txt = (Out / "prizes.txt").string(), Upper = (Out / "PRIZES.CSV").string();
    const AnsiString Chinese = "筆記本電腦";
    auto Question = [](const std::string& F) {
        return "3 records have been exported to " + F + ", open it now?";
    };
    const size_t OpensBefore = uitest::ShellOpens().size();

    TMainForm* Main = nullptr;
    Application->CreateForm(Main);
    Then([&] {
        Inside([&] {
            auto* L = Active<TRewardListForm>();
            ASSERT_NE(L, nullptr);
            ASSERT_TRUE(L->exportAction->Enabled());
            EXPECT_TRUE(L->importAction->Enabled());
            for (const auto& [Name, Quantity] :
                 {std::pair<AnsiString, AnsiString>{Chinese, "3"}, {"Pen", "7"}, {"Mug, \"large\"", "12"}}) {
                Inside([=, this, Name = Name, Quantity = Quantity] {
                    auto* E = Active<TRewardForm>();
                    ASSERT_NE(E, nullptr);
                    E->name->SetText(Name);
                    E->quantity->SetText(Quantity);
                    PressKey(VK_F4);
                });
                PressKey(VK_F2);
            }
            ASSERT_EQ(L->grid->RowCount(), 4);

            // A cancelled dialog ends the export without a word.
            uitest::CancelNextDialog(DialogKind::Save);
            EXPECT_EQ(Answered([] { PressKey(VK_F5); }), "(no message)");
            ASSERT_FALSE(uitest::DialogsShown().empty());
            EXPECT_EQ(uitest::DialogsShown().back().Kind, DialogKind::Save);

            // Each writer by the ending; the question counts the prizes, not the header.
            for (const std::string& F : {Htm, Doc}) {
                uitest::AnswerSaveDialog(F);
                EXPECT_EQ(Answered([] { PressKey(VK_F5); }, VK_ESCAPE), Question(F));
            }
            // Yes opens the file with the desktop's opener.
            uitest::AnswerSaveDialog(Csv);
            EXPECT_EQ(Answered([] { PressKey(VK_F5); }, VK_F4), Question(Csv));
            ASSERT_EQ(uitest::ShellOpens().size(), OpensBefore + 1);
            EXPECT_EQ(uitest::ShellOpens().back().Target, Csv);
            EXPECT_EQ(uitest::ShellOpens().back().Verb, "open");

            // Replacing: No keeps the former file, Yes writes the new one (the print window's
            // own button this time).
            {
                std::FILE* Old = std::fopen(Csv.c_str(), "w");
                ASSERT_NE(Old, nullptr);
                std::fputs("old", Old);
                std::fclose(Old);
            }
            uitest::AnswerSaveDialog(Csv);
            EXPECT_EQ(Answered([] { PressKey(VK_F5); }, VK_ESCAPE), "File exists, replace it?");
            EXPECT_EQ(fs::file_size(Csv), 3u) << "No keeps the former file";
            {
                TOwned<TPrintPreviewForm> W(New<TPrintPreviewForm>(L));
                W->sourceGrid = L->grid;
                ASSERT_TRUE(W->exportButton->Enabled());
                uitest::AnswerSaveDialog(Csv);
                std::vector<AnsiString> Texts;
                Inside([&] {
                    if (auto* M = Active<TYesNoForm>()) {
                        Texts.push_back(M->msg->Caption());
                        Inside([&] {
                            if (auto* M2 = Active<TYesNoForm>()) {
                                Texts.push_back(M2->msg->Caption());
                                PressKey(VK_ESCAPE);
                            }
                        });
                        PressKey(VK_F4);
                    }
                });
                W->exportButton->Click();
                EXPECT_EQ(Texts, (std::vector<AnsiString>{"File exists, replace it?", Question(Csv)}));

                // A writer that fails half way (here its progress report) leaves no file and
                // says why, without the question that claims the export.
                const std::string F = (Out / "half.csv").string();
                W->eGrid->OnFileProgress = [](TObject*, Integer P) {
                    if (P > 0)
                        throw Exception("Disk full");
                };
                uitest::AnswerSaveDialog(F);
                EXPECT_EQ(Answered([&] { W->exportButton->Click(); }), "Disk full");
                EXPECT_FALSE(fs::exists(F));

                // The same over a file that was there: Yes to replacing it, the write fails, and
                // the old file is back as it was, with nothing left beside it.
                {
                    std::FILE* Old = std::fopen(F.c_str(), "w");
                    ASSERT_NE(Old, nullptr);
                    std::fputs("keep", Old);
                    std::fclose(Old);
                }
                uitest::AnswerSaveDialog(F);
                std::vector<AnsiString> Said;
                Inside([&] {
                    if (auto* M = Active<TYesNoForm>()) {
                        Said.push_back(M->msg->Caption());
                        Inside([&] {
                            if (auto* M2 = Active<TYesNoForm>()) {
                                Said.push_back(M2->msg->Caption());
                                PressKey(VK_F4);
                            }
                        });
                        PressKey(VK_F4);
                    }
                });
                W->exportButton->Click();
                EXPECT_EQ(Said, (std::vector<AnsiString>{"File exists, replace it?", "Disk full"}));
                ASSERT_TRUE(fs::exists(F));
                EXPECT_EQ(fs::file_size(F), 4u);
                fs::remove(F);
                W->eGrid->OnFileProgress = nullptr;
            }
            for (const auto& Entry : fs::directory_iterator(Out))
                EXPECT_EQ(Entry.path().filename().string().find("half"), std::string::npos) << Entry.path();

            // The spreadsheet file through the xls engine (read back by xlrd below).
            uitest::AnswerSaveDialog(Xls);
            EXPECT_EQ(Answered([] { PressKey(VK_F5); }, VK_ESCAPE), Question(Xls));
            EXPECT_TRUE(fs::exists(Xls));

            // An ending no writer knows: told so, nothing written, an existing file untouched.
            for (const std::string& F : {Txt, Upper}) {
                {
                    std::FILE* Old = std::fopen(F.c_str(), "w");
                    ASSERT_NE(Old, nullptr);
                    std::fputs("keep", Old);
                    std::fclose(Old);
                }
                uitest::AnswerSaveDialog(F);
                EXPECT_EQ(Answered([] { PressKey(VK_F5); }),
                          "Cannot export to " + F + ": the file name must end in xls, csv, htm or doc.");
                EXPECT_EQ(fs::file_size(F), 4u) << F;
            }

            // A write that fails says so and leaves nothing behind.
            const std::string Missing = (Out / "no-such-folder" / "prizes.csv").string();
            uitest::AnswerSaveDialog(Missing);
            const AnsiString Failure = Answered([] { PressKey(VK_F5); });
            EXPECT_NE(Failure, Question(Missing));
            EXPECT_NE(Failure, "(no message)");
            EXPECT_FALSE(fs::exists(Missing));
            EXPECT_EQ(uitest::ShellOpens().size(), OpensBefore + 1) << "nothing else was opened";

            // A long path: the question loses the middle of the folders, not its end, and shows
            // whole; Yes opens the file itself.
            const fs::path Deep = Out / "a folder with a rather long name for the prizes of this year" /
                                  "and another one below it for the winter party of the company";
            fs::create_directories(Deep);
            const std::string Long = (Deep / "prizes of the winter party.csv").string();
            uitest::AnswerSaveDialog(Long);
            AnsiString Asked;
            Inside([&] {
                auto* M = Active<TYesNoForm>();
                ASSERT_NE(M, nullptr);
                Asked = M->msg->Caption();
                EXPECT_TRUE(ShowsWholeText(M)) << Asked;
                M->msg->SetCaption(Question(Long));
                EXPECT_FALSE(ShowsWholeText(M)) << "the whole path would not fit";
                PressKey(VK_F4);
            });
            PressKey(VK_F5);
            const std::string Lead = "3 records have been exported to " + Out.string().substr(0, 8),
                              End = "/prizes of the winter party.csv, open it now?";
            EXPECT_EQ(Asked.substr(0, Lead.size()), Lead) << Asked;
            ASSERT_GT(Asked.size(), End.size());
            EXPECT_EQ(Asked.substr(Asked.size() - End.size()), End) << Asked;
            EXPECT_NE(Asked.find("..."), std::string::npos) << Asked;
            ASSERT_EQ(uitest::ShellOpens().size(), OpensBefore + 2);
            EXPECT_EQ(uitest::ShellOpens().back().Target, Long);
            EXPECT_TRUE(fs::exists(Long));
            PressKey(VK_ESCAPE);
        });
        PressKey(VK_F2);
    });
    Then([&] {
        Inside([] { PressKey(VK_F4); });
        PressKey(VK_F12);
    });
    Application->Run();

    // Rows as "cell|cell|" lines, in file order: the exchange grid keeps the list's column
    // count, so the column the identifiers leave ends every row empty.
    const std::string Rows = "Prize|Quantity|\n筆記本電腦|3|\nPen|7|\nMug, \"large\"|12|\n";
    EXPECT_EQ(CommandOutput("/usr/bin/python3 -c 'import csv,sys\n"
                            "for r in csv.reader(open(sys.argv[1], encoding=\"utf-8\", newline=\"\")): "
                            "print(\"|\".join(r))' '" +
                            Csv + "'"),
              Rows);
    EXPECT_EQ(
        CommandOutput(
            "/usr/bin/python3 -c 'import sys, html.parser\n"
            "class P(html.parser.HTMLParser):\n"
            "  row = None; cell = None\n"
            "  def handle_starttag(self, t, a):\n"
            "    if t == \"tr\": self.row = []\n"
            "    if t in (\"td\", \"th\"): self.cell = \"\"\n"
            "  def handle_data(self, d):\n"
            "    if self.cell is not None: self.cell += d\n"
            "  def handle_endtag(self, t):\n"
            "    if t in (\"td\", \"th\") and self.cell is not None: self.row.append(self.cell.strip()); "
            "self.cell = None\n"
            "    if t == \"tr\" and self.row is not None: print(\"|\".join(self.row)); self.row = None\n"
            "P().feed(open(sys.argv[1], encoding=\"utf-8\").read())' '" +
            Htm + "'"),
        Rows);
    // The xls file: quantities are numbers; the empty last column holds nothing.
    EXPECT_EQ(CommandOutput("/usr/bin/python3 -c 'import sys, xlrd\n"
                            "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                            "for r in range(s.nrows): print(\"|\".join(str(c.value) for c in s.row(r)))' '" +
                            Xls + "' 2>&1"),
              "Prize|Quantity\n筆記本電腦|3.0\nPen|7.0\nMug, \"large\"|12.0\n");
    ASSERT_TRUE(fs::exists(Doc));
    std::string DocText;
    if (HaveCommand("soffice")) {
        const std::string Profile = (Out / "profile").string();
        DocText =
            CommandOutput("cd '" + Out.string() + "' && timeout 120 soffice -env:UserInstallation=file://" +
                          Profile + " --headless --convert-to txt:Text --outdir '" + Out.string() +
                          "/txt' '" + Doc + "' > /dev/null 2>&1; cat '" + Out.string() + "/txt/prizes.txt'");
    } else if (HaveCommand("unrtf")) {
        DocText = CommandOutput("unrtf --text '" + Doc + "' 2>/dev/null");
    } else {
        return uitest::SkipMissing(
            "neither LibreOffice nor unrtf is installed: the document cannot be read back");
    }
    size_t At = 0;
    for (const char* Text : {"Prize", "Quantity", "筆記本電腦", "3", "Pen", "7", "Mug, \"large\"", "12"}) {
        const size_t Next = DocText.find(Text, At);
        ASSERT_NE(Next, std::string::npos) << Text << " in order in\n" << DocText;
        At = Next + 1;
    }
    EXPECT_EQ(DocText.find("ID"), std::string::npos) << DocText;
}

// Prizes imported into the real database from xls files written by xlwt and by LibreOffice:
// stored names take the new quantities, the rest are added (names with quotes and query words
// matched as they are, Chinese intact); only the first sheet counts; a file with a bad row, and a
// file that is no spreadsheet, change nothing, not even after a restart.
TEST_F(DatabaseProgramTest, PrizesAreImportedFromSpreadsheetFiles)
{
    namespace fs = std::filesystem;
    const std::string Data = DRAWMERE_TEST_DATA;
    const std::string Xlwt = Data + "/import-xlwt.xls", LibreOffice = Data + "/import-libreoffice.xls",
                      Bad = Data + "/import-bad-xlwt.xls", Text = (fs::current_path() / "notes.xls").string();
    std::ofstream(Text) << "Prize,Quantity\nPen,1\n";
    const std::string Noise = (fs::current_path() / "noise.xls").string();
    {
        std::ofstream Out(Noise, std::ios::binary);
        std::uint32_t X = 2463534242u;
        for (int I = 0; I < 4096; ++I) {
            X ^= X << 13, X ^= X >> 17, X ^= X << 5;
            Out.put(char(X & 0xFF));
        }
    }
    const AnsiString Chinese = "筆記本電腦";
    auto Stored = [] {
        std::string S;
        for (const TPrizeRow& P : ListRewards())
            S += P.Name + "=" + IntToStr(P.Quantity) + " ";
        return S;
    };
    const std::string AfterXlwt = "Pen=7 Mug=2 筆記本電腦=4 Tom's mug=5 Cup=2 ";
    const std::string AfterBoth = "Pen=9 Mug=6 筆記本電腦=1 Tom's mug=5 Cup=2 x' or name<>'=3 ";

    TMainForm* Main = nullptr;
    Application->CreateForm(Main);
    Then([&] {
        InsertReward("Pen", 3);
        InsertReward("Mug", 2);
        appDatabase.commit();
        Inside([&] {
            auto* L = Active<TRewardListForm>();
            ASSERT_NE(L, nullptr);
            uitest::AnswerOpenDialog({Xlwt});
            EXPECT_EQ(Answered([] { PressKey(VK_F6); }), "(no message)");
            EXPECT_EQ(Stored(), AfterXlwt);
            ASSERT_EQ(L->grid->RowCount(), 6);
            EXPECT_EQ(L->grid->Cells(1, 3), Chinese);
            EXPECT_EQ(L->grid->Cells(2, 3), "4");

            uitest::AnswerOpenDialog({LibreOffice});
            EXPECT_EQ(Answered([] { PressKey(VK_F6); }), "(no message)");
            EXPECT_EQ(Stored(), AfterBoth);

            uitest::AnswerOpenDialog({Bad});
            EXPECT_EQ(Answered([] { PressKey(VK_F6); }),
                      "Nothing was imported from " + Bad + ": row 3 (Cup): the quantity -1 is negative");
            // Files that are no spreadsheet: a text file and random bytes, named in the message.
            for (const std::string& F : {Text, Noise}) {
                uitest::AnswerOpenDialog({F});
                EXPECT_EQ(Answered([] { PressKey(VK_F6); }),
                          "The file \"" + F + "\" is invalid. Nothing was imported.");
            }
            EXPECT_EQ(Stored(), AfterBoth);
            EXPECT_EQ(L->grid->RowCount(), 7);
            PressKey(VK_ESCAPE);
        });
        PressKey(VK_F2);
    });
    Then([&] {
        Inside([] { PressKey(VK_F4); });
        PressKey(VK_F12);
    });
    Application->Run();

    ASSERT_TRUE(appDatabase.open(AppDatabaseName));
    EXPECT_EQ(Stored(), AfterBoth);
    appDatabase.close();
}
