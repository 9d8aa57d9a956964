#include "AppTestSupport.h"

#include "app/AppTables.h"
#include "app/DatabaseDrawStore.h"
#include "app/LotteryForm.h"
#include "app/MainForm.h"
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
