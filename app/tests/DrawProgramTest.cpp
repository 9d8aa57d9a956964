#include "AppTestSupport.h"

#include "app/LotteryForm.h"
#include "app/MainForm.h"
#include "app/SelectOptionForm.h"

#include "platform/rtl/Random.h"
#include "platform/win/Backend.h"
#include "platform/win/Colors.h"

using uitest::AdvanceTime;
using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::SaveWindowPng;

namespace {

int CountCells(TLotteryForm* B, const AnsiString& Text)
{
    int N = 0;
    for (Integer R = 0; R < B->grid->RowCount(); ++R)
        for (Integer C = 0; C < B->grid->ColCount(); ++C)
            N += B->grid->Cells(C, R) == Text;
    return N;
}

// Where a test saves what a window shows: the test's own folder (TestDirectory.h).
std::string Snapshot(const std::string& Name)
{
    return (TestDirectory() / Name).string();
}

} // namespace

// A whole run of the program: no prizes, prizes, the options window with bad entries, a board,
// every draw to the last person, and the exit.
TEST_F(AppTest, WholeDrawRunsFromTheKeyboard)
{
    TMainForm* Main = nullptr;
    Application->CreateForm(Main);
    TPrizeId Pen = 0, Cup = 0;
    std::function<void()> OptionsWindow;

    Then([&] {
        ASSERT_TRUE(Store->IsOpen());
        RandSeed = 20261210; // the window seeded from the clock; the test fixes the sequence
        EXPECT_EQ(Main->ClientWidth(), 788);
        EXPECT_EQ(Main->ClientHeight(), 511);
        EXPECT_EQ(Main->Caption(), "Prize Draw Software");
        EXPECT_EQ(Main->recordButton->Caption(), "Draw F3");
        EXPECT_TRUE(Main->recordButton->Focused()) << "the draw button is first in tab order";
        EXPECT_TRUE(SaveWindowPng(Main->Handle(), Snapshot("drawmere-main.png")));
        EXPECT_EQ(PixelAt(Main->categoryButton->Handle(), 100, 1), ColorToRGB(0xB9E7FF))
            << "the buttons' inner edge in the scheme's light colour";
        EXPECT_EQ(Answered([] { PressKey(VK_F3); }),
                  "No prize, press [Prize] to set the prize and quantity.");
        EXPECT_EQ(Active<TSelectOptionForm>(), nullptr);
    });
    Then([&] {
        Pen = Store->AddPrize("Pen", 2);
        Cup = Store->AddPrize("Cup", 1);
        Inside(OptionsWindow);
        PressKey(VK_F3); // opens the options window
    });
    OptionsWindow = [&] {
        auto* O = Active<TSelectOptionForm>();
        ASSERT_NE(O, nullptr);
        EXPECT_EQ(O->Caption(), "Option Record");
        EXPECT_EQ(O->quantity->Text(), "3");
        EXPECT_TRUE(O->quantity->ReadOnly());
        EXPECT_EQ(O->person->Text(), "");
        EXPECT_EQ(O->row->Text(), "5");
        EXPECT_EQ(O->col->Text(), "5");
        EXPECT_EQ(O->noReward->Text(), "No prize");
        EXPECT_TRUE(O->showGift->Checked());
        EXPECT_TRUE(SaveWindowPng(O->Handle(), Snapshot("drawmere-options.png")));

        struct Case {
            const char *Person, *Row, *Col;
            const char* Message;
            TZelEdit* Focus;
        };
        const Case Cases[] = {
            {"", "2", "3", "Please enter person.", O->person},
            {"0", "2", "3", "Please enter person.", O->person},
            {"-3", "2", "3", "Please enter person.", O->person},
            {"abc", "2", "3", "Please enter person.", O->person},
            {"2000000000", "2", "3", "Please enter person.", O->person},
            {"3", "x", "3", "Please enter person.", O->person},
            {"3", "0", "3", "Please enter row.", O->row},
            {"3", "-5", "-5", "Please enter row.", O->row},
            {"3", "2", "0", "Please enter column.", O->col},
            {"3", "70000", "70000", "Please enter row.", O->row},
            {"3", "1", "3", "RowXColumn=3 must be greater than prize quantity.", O->row},
            {"3", "1", "2", "RowXColumn=2 must be greater than prize quantity.", O->row},
        };
        for (const Case& C : Cases) {
            O->person->SetText(C.Person);
            O->row->SetText(C.Row);
            O->col->SetText(C.Col);
            EXPECT_EQ(Answered([] { PressKey(VK_F4); }), C.Message)
                << C.Person << " " << C.Row << "x" << C.Col;
            EXPECT_EQ(O->ActiveControl(), C.Focus) << C.Person << " " << C.Row << "x" << C.Col;
            EXPECT_EQ(Active<TSelectOptionForm>(), O) << "the window stays open";
        }
        // The entries typed: entering a box selects its text, Enter goes on to the next box.
        O->row->SetText("9");
        O->person->SetFocus();
        uitest::TypeText("3");
        PressKey(VK_RETURN);
        EXPECT_EQ(O->ActiveControl(), O->showGift);
        O->row->SetFocus();
        uitest::TypeText("2");
        PressKey(VK_RETURN);
        EXPECT_EQ(O->ActiveControl(), O->col);
        uitest::TypeText("3");
        EXPECT_EQ(O->person->Text(), "3");
        EXPECT_EQ(O->row->Text(), "2");
        EXPECT_EQ(O->col->Text(), "3");
        PressKey(VK_F4); // starts: the board opens
    };
    Then([&] {
        auto* B = Active<TLotteryForm>();
        ASSERT_NE(B, nullptr);
        EXPECT_EQ(B->Caption(), "Prize Draw");
        EXPECT_EQ(B->BoundsRect(), Screen->WorkAreaRect()) << "maximized";
        ASSERT_EQ(B->grid->RowCount(), 2);
        ASSERT_EQ(B->grid->ColCount(), 3);
        EXPECT_EQ(CountCells(B, "Pen"), 2);
        EXPECT_EQ(CountCells(B, "Cup"), 1);
        EXPECT_EQ(CountCells(B, "No prize"), 3);
        EXPECT_EQ(B->grid->VisibleRowCount(), 2) << "the whole board is in view";
        EXPECT_EQ(B->grid->VisibleColCount(), 3);
        EXPECT_EQ(B->gift->Caption(), "Prize: 3");
        EXPECT_EQ(B->person->Caption(), "Person: 3");
        EXPECT_TRUE(B->showPanel->Visible());
        ASSERT_TRUE(Store->Committed.Options) << "starting commits the options";
        EXPECT_EQ(Store->Committed.Options->Person, 3);
        EXPECT_EQ(Store->Committed.Options->Row, 2);

        for (int Draw = 0; Draw < 3; ++Draw) {
            uitest::ClearRecords();
            const Integer PersonsBefore = Store->Committed.Options->Person;
            PressKey(VK_F4);
            const Integer S = B->Board().StepsLeft();
            ASSERT_GE(S, 10);
            EXPECT_FALSE(B->exitAction->Enabled());
            EXPECT_FALSE(B->saveAction->Enabled());
            EXPECT_EQ(B->person->Caption(), "Person: " + std::to_string(2 - Draw));
            // Decided at the start, stored together: the won unit and the person.
            const TPrizeId Won = B->Board().Outcomes()[size_t(2 - Draw)];
            EXPECT_EQ(Store->Committed.Options->Person, PersonsBefore - 1);
            for (TPrizeId Id : {Pen, Cup}) {
                const Integer Was = Id == Pen ? 2 : 1;
                const Integer WonBefore = Was - Store->Find(Store->Committed, Id)->Quantity;
                EXPECT_GE(WonBefore, Id == Won ? 1 : 0);
            }
            PressKey(VK_ESCAPE);
            EXPECT_EQ(Active<TLotteryForm>(), B) << "no closing while the highlight runs";

            if (Draw == 0) {
                AdvanceTime(50 * 3);
                PumpUntilIdle();
                EXPECT_TRUE(SaveWindowPng(B->Handle(), Snapshot("drawmere-board.png")));
                const TRect R = B->grid->CellRect(B->Board().HighlightCol(), B->Board().HighlightRow());
                EXPECT_EQ(PixelAt(B->grid->Handle(), R.Left + 3, R.Top + 3), ColorToRGB(clHighlight));
                AdvanceTime(50 * (S - 4) + 1750 - 150 - 1);
            } else {
                AdvanceTime(50 * (S - 4) + 1750 - 1);
            }
            EXPECT_FALSE(B->exitAction->Enabled()) << "1 ms before the landing";
            AdvanceTime(1);
            EXPECT_TRUE(B->exitAction->Enabled()) << "landed after 50 x (S - 4) + 1750 ms";
            EXPECT_EQ(uitest::Beeps().size(), 5u);
            const Integer Col = B->Board().HighlightCol(), Row = B->Board().HighlightRow();
            EXPECT_EQ(B->Board().CellPrize(Col, Row), Won);
            EXPECT_EQ(B->grid->Cells(Col, Row), Won == Pen ? "Pen" : Won == Cup ? "Cup" : "No prize");
        }
        EXPECT_EQ(B->gift->Caption(), "Prize: 0");
        EXPECT_EQ(B->person->Caption(), "Person: 0");
        EXPECT_FALSE(B->saveAction->Enabled()) << "the last person finished the draw";
        EXPECT_TRUE(B->ZevButton1->Focused());
        EXPECT_EQ(Store->Committed.Options->Person, 0);
        EXPECT_EQ(Store->Find(Store->Committed, Pen)->Quantity, 0);
        EXPECT_EQ(Store->Find(Store->Committed, Cup)->Quantity, 0);
        EXPECT_EQ(Store->Committed.Take, (std::vector<Integer>{2, 1}))
            << "the quantities the board opened with";
        PressKey(VK_ESCAPE);
    });
    Then([&] {
        EXPECT_EQ(Active<TLotteryForm>(), nullptr);
        // Exit: No keeps the program, Yes ends it.
        EXPECT_EQ(Answered([] { PressKey(VK_F12); }, VK_ESCAPE), "Exit program?");
        EXPECT_TRUE(Main->Visible());
        Inside([&] {
            auto* M = Active<TYesNoForm>();
            ASSERT_NE(M, nullptr);
            EXPECT_EQ(M->ActiveControl(), M->NoButton) << "the focus starts on No";
            EXPECT_EQ(M->msg->Top(), 40);
            PressKey(VK_F4);
        });
        PressKey(VK_F12);
    });
    Application->Run();
    EXPECT_TRUE(Steps.empty());
    EXPECT_FALSE(Store->IsOpen()) << "a confirmed exit commits and closes the database";
    EXPECT_FALSE(Main->Visible());
}

TEST_F(AppTest, SecondCopyIsRefusedWithoutTouchingTheDatabase)
{
    TMainForm* First = nullptr;
    Application->CreateForm(First);
    First->Show();
    PumpUntilIdle();
    ASSERT_TRUE(Store->IsOpen());
    const int Commits = Store->Commits;

    auto* Second = New<TMainForm>(Application);
    EXPECT_EQ(Answered([&] {
                  Second->Show();
                  PumpUntilIdle();
              }),
              "The database has been opened.");
    EXPECT_FALSE(Second->Visible()) << "the second copy ends";
    EXPECT_EQ(Store->Commits, Commits) << "and never reached the database";
    EXPECT_TRUE(First->Visible());
    Second->Free();

    // Once the first copy has gone, a new one starts.
    First->Free();
    PumpUntilIdle();
    auto* Third = New<TMainForm>(Application);
    Third->Show();
    PumpUntilIdle();
    EXPECT_TRUE(Third->Visible());
}

TEST_F(AppTest, FailingOpenEndsWithItsMessage)
{
    Store->OpenResult = TDrawStore::orFailed;
    auto* Main = New<TMainForm>(Application);
    EXPECT_EQ(Answered([&] {
                  Main->Show();
                  PumpUntilIdle();
              }),
              "Fail to open database.");
    EXPECT_FALSE(Main->Visible());
}

TEST_F(AppTest, HelpOpensTheManualOnlyWhenItExists)
{
    auto* Main = New<TMainForm>(Application);
    Main->Show();
    PumpUntilIdle();
    PressKey(VK_F1);
    EXPECT_TRUE(uitest::ShellOpens().empty());
    {
        std::FILE* F = std::fopen("manual.doc", "w");
        std::fclose(F);
    }
    PressKey(VK_F1);
    ASSERT_EQ(uitest::ShellOpens().size(), 1u);
    EXPECT_EQ(uitest::ShellOpens()[0].Target, "./manual.doc");
    EXPECT_EQ(uitest::ShellOpens()[0].Verb, "open");
}

namespace {

// A desktop without a program that opens documents.
class TNoOpenerBackend : public HeadlessBackend {
public:
    using HeadlessBackend::HeadlessBackend;
    bool ShellOpen(const std::string&, const std::string&) override { return false; }
};

} // namespace

TEST_F(AppTest, HelpThatCannotOpenTheManualSaysSo)
{
    ResetWindowLayer();
    InstallBackend(std::make_unique<TNoOpenerBackend>(TSize{1024, 768}));
    ResetWindowLayer();
    std::fclose(std::fopen("manual.doc", "w"));
    auto* Main = New<TMainForm>(Application);
    Main->Show();
    PumpUntilIdle();
    EXPECT_EQ(Answered([] { PressKey(VK_F1); }), "Fail to open manual.doc.");
    EXPECT_TRUE(Main->Visible()) << "the program goes on";
}
