#include "AppTestSupport.h"

#include "app/AppTables.h"
#include "app/DatabaseDrawStore.h"
#include "app/LotteryForm.h"
#include "app/MainForm.h"
#include "app/RewardForm.h"
#include "app/RewardListForm.h"
#include "app/SelectOptionForm.h"
#include "platform/rtl/Random.h"

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
            EXPECT_FALSE(L->exportAction->Enabled());
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

            for (const AnsiString& Name :
                 {AnsiString("Cup"), Chinese, Apostrophe, AnsiString("Pen"), AnsiString("Hat")})
                Enter(Name, "2", VK_F2);
            ASSERT_EQ(L->grid->RowCount(), 6);
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

            // Deletes: one row, then two selected with Ctrl.
            Click(RowOf(L->grid, "Hat"), false);
            EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Delete 'Hat' ?");
            EXPECT_EQ(RowOf(L->grid, "Hat"), -1);
            Click(RowOf(L->grid, "Cup"), false);
            Click(RowOf(L->grid, "Pen"), true);
            EXPECT_EQ(Answered([] { PressKey(VK_F4); }), "Delete 2 records?");
            EXPECT_EQ(L->grid->RowCount(), 3);

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
