#include "app/DatabaseDrawStore.h"
#include "app/AppTables.h"

#include "TestDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Each test in a fresh directory: the database file lives in the current one.
class DatabaseDrawStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OldDir = EnterDatabaseDirectory();
        Store = CreateDatabaseDrawStore();
    }
    void TearDown() override
    {
        Store->Close();
        RemoveDatabaseFiles();
        std::filesystem::current_path(OldDir);
    }

    Integer QuantityOf(oid_t Id)
    {
        TPrizeRow R;
        EXPECT_TRUE(FindReward(Id, R));
        return R.Quantity;
    }

    std::unique_ptr<TDrawStore> Store;
    std::filesystem::path OldDir;
};

} // namespace

TEST_F(DatabaseDrawStoreTest, OptionsAndPrizesTravelThroughTheDatabase)
{
    ASSERT_EQ(Store->Open(), TDrawStore::orOpened);
    EXPECT_EQ(Store->DatabaseDirectory() + "/", appDatabase.getRootPath());
    EXPECT_EQ(Store->TotalQuantity(), 0);
    const oid_t Pen = InsertReward("Pen", 2);
    InsertReward("Broken", -3);
    InsertReward("Cup", 1);
    EXPECT_EQ(Store->TotalQuantity(), 3) << "a negative quantity cancels no other prize's units";

    TDrawOptions O;
    EXPECT_FALSE(Store->LoadOptions(O));
    Store->ReplaceOptions({4, 2, 3, false, "Nothing"});
    Store->ReplaceOptions({5, 3, 3, false, "Nothing"});
    ASSERT_TRUE(Store->LoadOptions(O));
    EXPECT_EQ(O.Person, 5);
    EXPECT_EQ(O.Row, 3);
    EXPECT_FALSE(O.ShowGift);
    EXPECT_EQ(O.NoReward, "Nothing");

    const auto Prizes = Store->PrepareBoard();
    ASSERT_EQ(Prizes.size(), 3u);
    EXPECT_EQ(Prizes[0].Id, Pen);
    EXPECT_EQ(Prizes[0].Name, "Pen");
    EXPECT_EQ(Prizes[0].Quantity, 2);

    Store->RecordDraw(Pen);
    Store->RecordDraw(0);
    EXPECT_EQ(QuantityOf(Pen), 1);
    ASSERT_TRUE(Store->LoadOptions(O));
    EXPECT_EQ(O.Person, 3);
    Store->Close();
    EXPECT_FALSE(Store->IsOpen());

    // Closing kept everything: the next run sees it.
    ASSERT_EQ(Store->Open(), TDrawStore::orOpened);
    EXPECT_EQ(QuantityOf(Pen), 1);
    ASSERT_TRUE(Store->LoadOptions(O));
    EXPECT_EQ(O.Person, 3);
}

TEST_F(DatabaseDrawStoreTest, KilledAfterTheDrawStartedKeepsTheUnitAndThePersonTogether)
{
    ASSERT_EQ(Store->Open(), TDrawStore::orOpened);
    const oid_t Pen = InsertReward("Pen", 2);
    Store->ReplaceOptions({4, 2, 3, true, "No prize"});
    Store->Commit();
    Store->Close();

    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        // The program draws, then dies during the highlight's walk.
        auto S = CreateDatabaseDrawStore();
        if (S->Open() != TDrawStore::orOpened)
            ::_exit(2);
        S->PrepareBoard();
        S->RecordDraw(Pen);
        ::raise(SIGKILL);
        ::_exit(3);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFSIGNALED(Status)) << "the child ended by itself: " << Status;

    ASSERT_EQ(Store->Open(), TDrawStore::orOpened);
    EXPECT_EQ(QuantityOf(Pen), 1);
    TDrawOptions O;
    ASSERT_TRUE(Store->LoadOptions(O));
    EXPECT_EQ(O.Person, 3);
}
