#include "TestSupport.h"

#include "engine286/Checker.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path() const { return dir.File("test.fdb"); }
    std::string name() const { return dir.File("test"); }

    void expectConsistent()
    {
        dbCheckReport report = dbCheckFile(path());
        EXPECT_TRUE(report.errors.empty()) << report.text();
    }
};

TEST_F(DatabaseTest, NewFileHasTheDocumentedLayout)
{
    dbDatabase db(dbReadWrite, 1048576, 4194304, 65536, 1);
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    db.beginTransaction(dbSharedLock);
    dbHeader* h = db.getHeader();
    EXPECT_EQ(1048576u, h->size);
    EXPECT_EQ(4096u, h->root[0].index);
    EXPECT_EQ(266240u, h->root[1].index);
    EXPECT_EQ(65536u, h->root[0].indexSize);
    EXPECT_EQ(8194u, h->root[0].indexUsed);
    EXPECT_EQ(2, h->majorVersion);
    EXPECT_EQ(86, h->minorVersion);
    EXPECT_EQ(0x81001u, db.getObjectHandle(2)); // bitmap pages at 528,384 and 532,480
    EXPECT_EQ(0x82001u, db.getObjectHandle(3));
    EXPECT_EQ(dbFreeHandleMarker, db.getObjectHandle(4));
    EXPECT_EQ(dbFreeHandleMarker, db.getObjectHandle(0));
    EXPECT_EQ(536576u, db.getObjectHandle(dbMetatableId));
    EXPECT_EQ(985u, db.getRow(dbMetatableId)->size);
    const unsigned char* bitmap = reinterpret_cast<unsigned char*>(db.getBase()) + 528384;
    EXPECT_EQ(0xFF, bitmap[4191]);
    EXPECT_NE(0, bitmap[4192]); // the Metatable row follows at once
    db.commit();
    db.close();
    EXPECT_EQ(1048576, std::filesystem::file_size(path()));
    expectConsistent();
}

TEST_F(DatabaseTest, CommittedRowsSurviveCloseAndReopenAndTheFileIsClean)
{
    {
        dbDatabase db;
        ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
        oid_t t = createTable(db, "Prize");
        insertText(db, t, "first");
        insertText(db, t, "second");
        db.commit();
        db.close();
    }
    expectConsistent();
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    db.beginTransaction(dbSharedLock);
    EXPECT_EQ(0, db.getHeader()->dirty);
    oid_t t = findTable(db, "Prize");
    ASSERT_NE(0u, t);
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), tableTexts(db, t));
    db.close();
}

TEST_F(DatabaseTest, RollbackRestoresRowsLinksAndFreeSpace)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    oid_t t = createTable(db, "T");
    oid_t a = insertText(db, t, "a");
    db.commit();

    insertText(db, t, "b"); // links a's next in place
    updateText(db, a, "a changed and longer");
    db.rollback();
    EXPECT_EQ((std::vector<std::string>{"a"}), tableTexts(db, t));
    db.beginTransaction(dbSharedLock);
    EXPECT_EQ(0u, db.getRow(a)->next);
    db.commit();

    // The space the rolled-back transaction used is free again: doing the same work again ends
    // on the same file size, and the result is consistent.
    insertText(db, t, "b");
    db.commit();
    db.close();
    expectConsistent();
}

TEST_F(DatabaseTest, UpdatesAndRemovalsAcrossManyCommitsStayConsistent)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    oid_t t = createTable(db, "T");
    std::vector<oid_t> rows;
    std::vector<std::string> model;
    for (int i = 0; i < 200; i++) {
        rows.push_back(insertText(db, t, "row" + std::to_string(i)));
        model.push_back("row" + std::to_string(i));
        if (i % 7 == 0)
            db.commit();
    }
    db.commit();
    for (int round = 0; round < 5; round++) {
        for (std::size_t i = round; i < rows.size(); i += 5) {
            std::string text = std::string(i % 3 + 1, 'x') + std::to_string(round);
            updateText(db, rows[i], text);
            updateText(db, rows[i], text); // a second change in the same transaction
            model[i] = text;
        }
        db.commit();
    }
    // Remove every third row, half of them in one transaction, then the rest.
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < rows.size(); i++) {
        if (i % 3 == 0) {
            db.beginTransaction(dbExclusiveLock);
            db.unlinkRow(t, rows[i]);
            if (i % 2 == 0)
                db.commit();
        } else {
            expected.push_back(model[i]);
        }
    }
    db.commit();
    EXPECT_EQ(expected, tableTexts(db, t));
    db.commit();
    db.close();
    expectConsistent();
    dbDatabase again;
    ASSERT_TRUE(again.open(name().c_str(), path().c_str()));
    EXPECT_EQ(expected, tableTexts(again, t));
    again.close();
}

TEST_F(DatabaseTest, GetRowRefusesWhatIsNotALiveRow)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    oid_t t = createTable(db, "T");
    oid_t r = insertText(db, t, "x");
    db.commit();
    db.beginTransaction(dbExclusiveLock);
    db.unlinkRow(t, r);
    oid_t internal = db.allocateInternalObject(dbHashTableMarker);
    struct Case {
        const char* what;
        oid_t oid;
    } cases[] = {
        {"null reference", 0},
        {"removed row", r},
        {"bitmap page", dbBitmapId},
        {"internal object", internal},
        {"oid past the used entries", db.getWorkingIndexUsed()},
        {"oid far beyond the index", 0x7fffffff},
    };
    for (const Case& c : cases)
        EXPECT_THROW(db.getRow(c.oid), dbException) << c.what;
    db.rollback();
    db.close();
}

TEST_F(DatabaseTest, AllocationAlignmentRovingAndGrowth)
{
    dbDatabase db(dbReadWrite, 1048576, 4194304, 8194, 1);
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    db.beginTransaction(dbExclusiveLock);
    offs_t page = db.allocateSpace(4096);
    EXPECT_EQ(0u, page % 4096);
    offs_t small = db.allocateSpace(4095);
    EXPECT_EQ(0u, small % 16);
    offs_t a = db.allocateSpace(100);
    db.allocateSpace(100);
    // A region freed before the roving position is found by the next request of its class.
    db.freeSpace(a, 100);
    EXPECT_EQ(a, db.allocateSpace(64));

    // A request that fits nowhere adds bitmap pages for at least the extension quantum.
    std::uint32_t before = db.getHeader()->size;
    offs_t big = db.allocateSpace(3 * 1024 * 1024);
    EXPECT_GE(db.getHeader()->size, big + 3u * 1024 * 1024);
    EXPECT_GT(db.getHeader()->size, before);
    int pages = 0;
    for (oid_t i = dbBitmapId; i < dbFirstUserId && db.getObjectHandle(i) != dbFreeHandleMarker; i++)
        pages++;
    EXPECT_GE(pages, 1 + 9);
    db.commit();
    db.close();
    expectConsistent();
}

TEST_F(DatabaseTest, IndexGrowthKeepsEveryRowReachableAfterCommitAndReopen)
{
    const int n = 9000; // past the 8,194 entries of a minimal index
    {
        dbDatabase db(dbReadWrite, 0, 4194304, 8194, 1);
        ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
        oid_t t = createTable(db, "T");
        for (int i = 0; i < n; i++)
            insertText(db, t, std::to_string(i));
        db.commit();
        db.beginTransaction(dbSharedLock);
        EXPECT_GT(db.getHeader()->root[db.getHeader()->curr].indexSize, 8194u);
        db.commit();
        // A second transaction after the growth, then removal of a few rows.
        for (int i = 0; i < 10; i++)
            insertText(db, t, "late" + std::to_string(i));
        db.commit();
        db.close();
    }
    expectConsistent();
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    std::vector<std::string> texts = tableTexts(db, findTable(db, "T"));
    ASSERT_EQ(std::size_t(n + 10), texts.size());
    EXPECT_EQ("0", texts.front());
    EXPECT_EQ("late9", texts.back());
    db.close();
}

TEST_F(DatabaseTest, CommitWithNothingChangedWritesNothingAndReleasesTheLock)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    db.beginTransaction(dbSharedLock);
    std::uint32_t counter = db.getTransactionCounter();
    int curr = db.getHeader()->curr;
    db.commit();
    EXPECT_EQ(counter, db.getTransactionCounter());
    EXPECT_EQ(curr, db.getHeader()->curr);
    EXPECT_FALSE(db.getThreadContext()->readAccess);
    // Rollback without changes also gives the lock back.
    db.beginTransaction(dbSharedLock);
    db.rollback();
    EXPECT_FALSE(db.getThreadContext()->readAccess);
    db.close();
}

TEST_F(DatabaseTest, ObjectsBeyondTheFormatsReachAreOutOfMemory)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child shares this fixture and its directory
    // Offsets are index entries whose bit 31 means "free": nothing may lie at 2 GB or above.
    EXPECT_DEATH(
        {
            dbDatabase db;
            db.open(name().c_str(), path().c_str());
            db.beginTransaction(dbExclusiveLock);
            db.allocateSpace(0x7ff00000);
        },
        "Not enough memory: failed to allocate");
}

TEST_F(DatabaseTest, FullDiskStopsWithAFileErrorAndKeepsTheCommittedState)
{
    {
        dbDatabase db(dbReadWrite, 1048576, 4194304, 8194, 1);
        ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
        insertText(db, createTable(db, "T"), "committed");
        db.commit();
        db.close();
    }
    GTEST_FLAG_SET(death_test_style, "fast"); // the child shares this fixture and its directory
    EXPECT_EXIT(
        {
            dbDatabase db(dbReadWrite, 1048576, 4194304, 8194, 1);
            db.open(name().c_str(), path().c_str());
            oid_t t = findTable(db, "T");
            // The file may not grow past 2 MB: growth must fail as an error, never as SIGBUS.
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit;
            limit.rlim_cur = limit.rlim_max = 2 * 1024 * 1024;
            setrlimit(RLIMIT_FSIZE, &limit);
            for (int i = 0; i < 100; i++)
                insertText(db, t, std::string(100000, 'x'));
            db.commit();
        },
        ::testing::KilledBySignal(SIGABRT), "Failed to extend file");
    dbCheckReport report = dbCheckFile(path());
    EXPECT_TRUE(report.clean()) << report.text();
    dbDatabase db;
    ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
    EXPECT_EQ((std::vector<std::string>{"committed"}), tableTexts(db, findTable(db, "T")));
    db.close();
}

// An I/O error reported by a flush stops the program with a file error; commit never returns as
// if it had succeeded, and the file holds one committed state whole.
const char* failingFlush = nullptr;

int failFlush(const char* point)
{
    return failingFlush && std::strcmp(point, failingFlush) == 0 ? EIO : 0;
}

TEST_F(DatabaseTest, AFailedFlushStopsWithAFileErrorAndLeavesOneCommittedState)
{
    struct Case {
        const char* point;
        bool mayHoldNewState; // the switch to the new root was made before the failure
    } cases[] = {
        {"header.dirty", false},
        {"commit.beforeSwitch", false},
        {"commit.afterSwitch", true},
    };
    GTEST_FLAG_SET(death_test_style, "fast"); // the child shares this fixture and its directory
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point);
        std::filesystem::remove(path());
        {
            dbDatabase db;
            ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
            insertText(db, createTable(db, "T"), "committed");
            db.commit();
            db.close(); // clean: the next change flushes the dirty flag first
        }
        EXPECT_EXIT(
            {
                dbDatabase db;
                db.open(name().c_str(), path().c_str());
                oid_t t = findTable(db, "T");
                failingFlush = c.point;
                dbSetFlushFaultHook(failFlush);
                for (int i = 0; i < 50; i++)
                    insertText(db, t, "new" + std::to_string(i));
                db.commit();
                std::fprintf(stderr, "commit returned\n");
                std::_Exit(0);
            },
            ::testing::KilledBySignal(SIGABRT), "Failed to flush database file: Input/output error");
        dbCheckReport report = dbCheckFile(path());
        EXPECT_TRUE(report.clean()) << report.text();
        dbDatabase db;
        ASSERT_TRUE(db.open(name().c_str(), path().c_str()));
        std::vector<std::string> rows = tableTexts(db, findTable(db, "T"));
        if (c.mayHoldNewState)
            EXPECT_TRUE(rows.size() == 1 || rows.size() == 51) << rows.size();
        else
            EXPECT_EQ((std::vector<std::string>{"committed"}), rows);
        db.close();
    }
}

} // namespace
