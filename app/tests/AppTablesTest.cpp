#include "app/AppTables.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A database of the application's kind, opened on a fresh file for each test; the tables bind to
// it as they bind to appDatabase in the program.
class AppTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = temp.File("Drawmere.zrv");
        ASSERT_TRUE(reopen());
    }
    void TearDown() override
    {
        if (db.isOpen())
            db.close();
    }
    bool reopen()
    {
        if (db.isOpen())
            db.close();
        return db.open(AppDatabaseName, file.c_str());
    }
    // Ends the running transaction the way an exit without commit does.
    bool reopenWithoutCommit()
    {
        db.rollback();
        return reopen();
    }

    static std::vector<std::string> names(const std::vector<TPrizeRow>& prizes)
    {
        std::vector<std::string> n;
        for (const TPrizeRow& p : prizes)
            n.push_back(p.Name);
        return n;
    }
    template <class T> static int rowCount()
    {
        dbCursor<T> c;
        return c.select();
    }

    uitest::TempFolder temp{"appTables"};
    zarvoDatabase db{dbReadWrite, 1048576, 4194304, 65536, 1};
    std::string file;
};

TEST_F(AppTablesTest, ANewDatabaseHoldsTheFiveTablesWithTheirStoredLayouts)
{
    EXPECT_EQ(1048576u, std::filesystem::file_size(file));

    const struct {
        dbTableDescriptor& table;
        std::size_t fixedSize;
        int nColumns;
    } tables[] = {
        {Reward::dbDescriptor, 28, 3},          {SelectOption::dbDescriptor, 36, 5},
        {ColWidth::dbDescriptor, 16, 3},        {BackupRecord::dbDescriptor, 28, 6},
        {EnvelopeSetup::dbDescriptor, 189, 39},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.table.name);
        EXPECT_EQ(&db, t.table.db);
        EXPECT_NE(0u, t.table.tableId);
        EXPECT_EQ(t.fixedSize, t.table.fixedSize);
        EXPECT_EQ(t.nColumns, t.table.nColumns);
        EXPECT_EQ(nullptr, t.table.hashedFields);
        EXPECT_EQ(nullptr, t.table.indexedFields);
    }
    EXPECT_EQ(0, rowCount<BackupRecord>());
    EXPECT_EQ(0, rowCount<EnvelopeSetup>());
}

// The program's own database object, in a child process (forked before anything here opens a
// database) so that nothing depends on whether another test opened it: a new file of 1 MB with
// the tables bound to it.
TEST(AppDatabaseTest, TheProgramsDatabaseObjectCreatesA1MbFileWithItsTables)
{
    const uitest::TempFolder dir{"appDatabase"};
    const std::string programFile = dir.File("Drawmere.zrv");
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        const bool ok = appDatabase.open(AppDatabaseName, programFile.c_str()) &&
                        Reward::dbDescriptor.db == &appDatabase && EnvelopeSetup::dbDescriptor.tableId != 0;
        appDatabase.close();
        _exit(ok ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(1048576u, std::filesystem::file_size(programFile));
}

// Every access path of the windows, on a fresh database and again on the reopened one.
TEST_F(AppTablesTest, EveryAccessPathOnAFreshDatabaseAndAfterReopening)
{
    // Prize inserted (not durable until a later commit), prize list refresh (commits).
    const oid_t cup = InsertReward("Cup", 3);
    const oid_t pen = InsertReward("Pen", 5);
    const oid_t bag = InsertReward("Bag", 0);
    std::vector<TPrizeRow> listed = ListRewards();
    EXPECT_EQ((std::vector<std::string>{"Cup", "Pen", "Bag"}), names(listed));
    EXPECT_EQ(cup, listed[0].Id);
    EXPECT_EQ(0, listed[0].Take);

    // Draw command.
    EXPECT_EQ(8, SumRewardQuantities());

    // Options window: closed twice, one row remains; opened again, it shows the last values.
    TSelectOptionValues options;
    EXPECT_FALSE(ReadSelectOption(options));
    ReplaceSelectOption({10, 4, 5, 1, "Thanks"});
    ReplaceSelectOption({12, 5, 6, 0, "Next time"});
    EXPECT_EQ(1, rowCount<SelectOption>());
    ASSERT_TRUE(ReadSelectOption(options));
    EXPECT_EQ(12, options.Person);
    EXPECT_EQ(5, options.Row);
    EXPECT_EQ(6, options.Col);
    EXPECT_EQ(0, options.ShowGift);
    EXPECT_EQ("Next time", options.NoReward);
    db.commit();

    // Draw board: take := quantity for every prize; cells find prizes by oid.
    std::vector<TPrizeRow> board = PrepareBoardRewards();
    ASSERT_EQ(3u, board.size());
    EXPECT_EQ(pen, board[1].Id);
    TPrizeRow found;
    ASSERT_TRUE(FindReward(pen, found));
    EXPECT_EQ("Pen", found.Name);
    EXPECT_EQ(5, found.Take);

    // A draw and the end of its animation, each committed at once.
    DrawRewardUnit(pen);
    DecrementSelectOptionPerson();

    // Prize edited and prizes deleted.
    EXPECT_EQ("Cup", ReadRewardForEdit(cup).Name);
    UpdateReward(cup, "Golden cup", 2);
    RemoveReward(bag);
    EXPECT_FALSE(FindReward(bag, found)); // a stale oid yields no record
    listed = ListRewards();
    EXPECT_EQ((std::vector<std::string>{"Golden cup", "Pen"}), names(listed));

    ASSERT_TRUE(reopen());
    listed = ListRewards();
    ASSERT_EQ((std::vector<std::string>{"Golden cup", "Pen"}), names(listed));
    EXPECT_EQ(2, listed[0].Quantity);
    EXPECT_EQ(3, listed[0].Take);
    EXPECT_EQ(4, listed[1].Quantity);
    EXPECT_EQ(5, listed[1].Take);
    ASSERT_TRUE(ReadSelectOption(options));
    EXPECT_EQ(11, options.Person);
    EXPECT_EQ("Next time", options.NoReward);
    EXPECT_EQ(6, SumRewardQuantities());

    // The same paths on the reopened database.
    const oid_t ring = InsertReward("Ring", 1);
    board = PrepareBoardRewards();
    ASSERT_EQ(3u, board.size());
    EXPECT_EQ(1, board[2].Take);
    DrawRewardUnit(ring);
    DecrementSelectOptionPerson();
    ReplaceSelectOption({7, 2, 2, 1, ""});
    UpdateReward(pen, "Blue pen", 9);
    RemoveReward(cup);
    listed = ListRewards();
    ASSERT_TRUE(reopen());
    listed = ListRewards();
    ASSERT_EQ((std::vector<std::string>{"Blue pen", "Ring"}), names(listed));
    EXPECT_EQ(9, listed[0].Quantity);
    EXPECT_EQ(0, listed[1].Quantity);
    ASSERT_TRUE(ReadSelectOption(options));
    EXPECT_EQ(7, options.Person);
    EXPECT_EQ("", options.NoReward);
    EXPECT_EQ(1, rowCount<SelectOption>());
    EXPECT_EQ(0, rowCount<BackupRecord>());
    EXPECT_EQ(0, rowCount<EnvelopeSetup>());
}

TEST_F(AppTablesTest, ChangesWithoutACommitAreLost)
{
    InsertReward("Kept", 1);
    ListRewards(); // commits
    InsertReward("Lost", 1);
    ReplaceSelectOption({3, 3, 3, 1, "x"});
    ASSERT_TRUE(reopenWithoutCommit());
    EXPECT_EQ((std::vector<std::string>{"Kept"}), names(ListRewards()));
    TSelectOptionValues options;
    EXPECT_FALSE(ReadSelectOption(options));
}

TEST_F(AppTablesTest, ARemovedOrUnknownOidThrows)
{
    const oid_t gone = InsertReward("Gone", 1);
    RemoveReward(gone);
    ListRewards();
    for (oid_t oid : {gone, oid_t(0), oid_t(0xFFFFFFFFu), oid_t(dbBitmapId)}) {
        SCOPED_TRACE(oid);
        EXPECT_THROW(DrawRewardUnit(oid), dbException);
        EXPECT_THROW(ReadRewardForEdit(oid), dbException);
        EXPECT_THROW(UpdateReward(oid, "x", 1), dbException);
        EXPECT_THROW(RemoveReward(oid), dbException);
        TPrizeRow prize;
        EXPECT_FALSE(FindReward(oid, prize));
    }
    // The person count of a database that never stored options.
    EXPECT_THROW(DecrementSelectOptionPerson(), dbException);
}

TEST_F(AppTablesTest, ColumnWidthsAreStoredOnFirstUseAndKeptThroughTheNextCommit)
{
    std::vector<Integer> widths{1, 300, 100};
    EXPECT_FALSE(LoadPrizeListColWidths(widths));
    EXPECT_EQ(3, rowCount<ColWidth>());
    std::vector<Integer> shown{50, 50, 50};
    EXPECT_TRUE(LoadPrizeListColWidths(shown));
    EXPECT_EQ((std::vector<Integer>{1, 300, 100}), shown);
    ListRewards(); // some later commit

    StorePrizeListColWidths({1, 250, 120});
    ASSERT_TRUE(reopenWithoutCommit()); // closed without a commit: lost
    shown = {0, 0, 0};
    EXPECT_TRUE(LoadPrizeListColWidths(shown));
    EXPECT_EQ((std::vector<Integer>{1, 300, 100}), shown);

    StorePrizeListColWidths({1, 250, 120});
    ListRewards();
    ASSERT_TRUE(reopen());
    EXPECT_TRUE(LoadPrizeListColWidths(shown));
    EXPECT_EQ((std::vector<Integer>{1, 250, 120}), shown);
    EXPECT_EQ(3, rowCount<ColWidth>());
}

TEST_F(AppTablesTest, ImportedNamesMatchOnlyThemselvesWhateverTheyHold)
{
    InsertReward("Children's set", 1);
    InsertReward("Lamp", 2);
    ImportReward("Children's set", 7);       // a quote in the name
    ImportReward("x' or name<>'", 9);        // condition syntax in the name: a new prize
    ImportReward(std::string(5000, 'n'), 4); // longer than any literal of a condition
    ImportReward("Lamp", 3);
    const std::vector<TPrizeRow> prizes = ListRewards();
    ASSERT_EQ(4u, prizes.size());
    EXPECT_EQ("Children's set", prizes[0].Name);
    EXPECT_EQ(7, prizes[0].Quantity);
    EXPECT_EQ(3, prizes[1].Quantity);
    EXPECT_EQ("x' or name<>'", prizes[2].Name);
    EXPECT_EQ(9, prizes[2].Quantity);
    EXPECT_EQ(0, prizes[2].Take);
    EXPECT_EQ(5000u, prizes[3].Name.size());
}

// Rows of other lists share the ColWidth table: the prize list reads and replaces only its own,
// on a fresh database and on the reopened one.
TEST_F(AppTablesTest, PrizeListWidthsIgnoreTheRowsOfOtherLists)
{
    auto insertWidth = [](int type, int col, int width) {
        ColWidth w{};
        w.type = std::int8_t(type);
        w.col = std::int8_t(col);
        w.width = std::int16_t(width);
        dbInsert(w);
    };
    auto storedWidths = []() {
        std::vector<std::string> rows;
        dbCursor<ColWidth> c;
        if (c.select() > 0) {
            do {
                rows.push_back(std::to_string(c->type) + ":" + std::to_string(c->col) + "=" +
                               std::to_string(c->width));
            } while (c.next());
        }
        return rows;
    };
    for (int col = 0; col < 3; col++) {
        insertWidth(1, col, 11);
        insertWidth(3, col, 33);
    }

    std::vector<Integer> shown{1, 300, 100};
    EXPECT_FALSE(LoadPrizeListColWidths(shown)); // rows of other lists are not the prize list's
    EXPECT_EQ((std::vector<Integer>{1, 300, 100}), shown);
    StorePrizeListColWidths({5, 6, 7});
    db.commit();

    ASSERT_TRUE(reopen());
    shown = {0, 0, 0};
    EXPECT_TRUE(LoadPrizeListColWidths(shown));
    EXPECT_EQ((std::vector<Integer>{5, 6, 7}), shown);
    StorePrizeListColWidths({8, 9});
    db.commit();
    ASSERT_TRUE(reopen());
    EXPECT_EQ((std::vector<std::string>{"1:0=11", "3:0=33", "1:1=11", "3:1=33", "1:2=11", "3:2=33", "2:0=8",
                                        "2:1=9", "2:2=7"}),
              storedWidths());
}

// The import looks a prize up by its name as a value: quotes, wildcards, query words and long names
// each reach exactly the prize that has that name, before and after reopening.
TEST_F(AppTablesTest, ImportLookupMatchesTheExactNameOnly)
{
    const std::string longName(4096, 'n');
    const std::vector<std::string> stored = {
        "Lamp", "Kid's toy", "50% off", "50X off",       "a_c", "abc",    "x' or name<>'",
        "name", "or",        "like",    "order by name", "",    longName, std::string(4095, 'n') + "m",
    };
    // Names that are not stored, though a pasted or pattern-matched condition would find some of
    // the stored ones with them.
    const std::vector<std::string> absent = {
        "%",
        "_",
        "50%",
        "a%",
        "_bc",
        "Lamp' or '1'='1",
        "Kid''s toy",
        "Kid\\'s toy",
        "LAMP",
        "Lamp ",
        "name or name<>''",
        std::string(4096, 'm'),
        longName + "n",
    };
    for (const std::string& name : stored)
        InsertReward(name, 0);
    ListRewards();

    using Rows = std::vector<std::pair<std::string, Integer>>;
    auto table = [] {
        Rows rows;
        for (const TPrizeRow& p : ListRewards())
            rows.push_back({p.Name, p.Quantity});
        return rows;
    };
    auto importAll = [&](Integer base) {
        Rows want = table();
        for (std::size_t k = 0; k < stored.size(); k++) {
            ImportReward(stored[k], base + Integer(k));
            want[k].second = base + Integer(k);
            ASSERT_EQ(want, table()) << "importing \"" << stored[k].substr(0, 20) << '"';
        }
        // Absent names add prizes and change no stored one.
        for (std::size_t k = 0; k < absent.size(); k++) {
            ImportReward(absent[k], -1);
            want.push_back({absent[k], -1});
        }
        ASSERT_EQ(want, table());
        for (const TPrizeRow& p : ListRewards()) {
            if (p.Quantity == -1)
                RemoveReward(p.Id);
        }
        ListRewards();
    };

    importAll(100);
    ASSERT_TRUE(reopen());
    Rows afterReopen = table();
    ASSERT_EQ(stored.size(), afterReopen.size());
    EXPECT_EQ(100 + Integer(stored.size()) - 1, afterReopen.back().second);
    importAll(200);
    ASSERT_TRUE(reopen());
    afterReopen = table();
    ASSERT_EQ(stored.size(), afterReopen.size());
    for (std::size_t k = 0; k < stored.size(); k++) {
        EXPECT_EQ(stored[k], afterReopen[k].first);
        EXPECT_EQ(200 + Integer(k), afterReopen[k].second);
    }
}

TEST(RewardIdTest, IdsAreUnsigned32BitDecimals)
{
    EXPECT_EQ("4294967295", FormatRewardId(0xFFFFFFFFu));
    EXPECT_EQ("2147483648", FormatRewardId(0x80000000u));
    const struct {
        const char* text;
        bool ok;
        oid_t id;
    } cases[] = {
        {"0", true, 0},
        {"8194", true, 8194},
        {"2147483648", true, 0x80000000u},
        {"4294967295", true, 0xFFFFFFFFu},
        {"4294967296", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"12a", false, 0},
        {"", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        oid_t id = 12345;
        EXPECT_EQ(c.ok, ParseRewardId(c.text, id)) << '"' << c.text << '"';
        EXPECT_EQ(c.ok ? c.id : 12345u, id) << '"' << c.text << '"';
    }
}

} // namespace
