// The delayed commit: commit hands the transaction to a timer thread that makes it durable by the
// end of the delay, earlier when someone waits for a lock, and before close returns.
#include "TestSupport.h"

#include "engine286/Checker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Polls until condition holds or limitMs pass; returns whether it holds.
bool waitFor(const std::function<bool()>& condition, int limitMs)
{
    auto end = Clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class DelayedCommitTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("delayed.fdb");
    std::string name = dir.File("delayed");

    void SetUp() override
    {
        dbDatabase db;
        ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
        createTable(db, "T");
        db.commit();
        db.close();
    }

    // The rows of T as another database object sees them.
    std::vector<std::string> rowsSeenByAnother()
    {
        dbDatabase other;
        EXPECT_TRUE(other.open(name.c_str(), path.c_str()));
        std::vector<std::string> rows = tableTexts(other, findTable(other, "T"));
        other.close();
        return rows;
    }
};

TEST_F(DelayedCommitTest, CommitReturnsAtOnceAndTheWorkIsCommittedByTheEndOfTheDelay)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str(), INT_MAX, 1));
    oid_t t = findTable(db, "T");
    db.commit();
    std::uint32_t counter = db.getTransactionCounter();
    insertText(db, t, "a");
    Clock::time_point start = Clock::now();
    db.commit();
    EXPECT_TRUE(db.getThreadContext()->commitPending);
    EXPECT_EQ(counter, db.getTransactionCounter()); // handed over, not made yet
    ASSERT_TRUE(waitFor([&] { return db.getTransactionCounter() != counter; }, 10000));
    EXPECT_GE(secondsSince(start), 0.5);
    EXPECT_FALSE(db.getThreadContext()->commitPending);
    // Committed, and the lock is free again: another object reads it without waiting for a close.
    EXPECT_EQ((std::vector<std::string>{"a"}), rowsSeenByAnother());
    db.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
}

TEST_F(DelayedCommitTest, CloseMakesADelayedCommitAtOnce)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str(), INT_MAX, 60));
    insertText(db, findTable(db, "T"), "a");
    Clock::time_point start = Clock::now();
    db.commit();
    insertText(db, findTable(db, "T"), "b");
    db.close(); // commits "b" itself: the delayed commit of both rows is made here
    EXPECT_LT(secondsSince(start), 30.0);
    EXPECT_FALSE(db.isOpen());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), rowsSeenByAnother());
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
}

TEST_F(DelayedCommitTest, AThreadThatGoesOnTakesItsCommitBackAndKeepsTheFirstDeadline)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str(), INT_MAX, 2));
    oid_t t = findTable(db, "T");
    db.commit();
    std::uint32_t counter = db.getTransactionCounter();
    insertText(db, t, "a");
    Clock::time_point start = Clock::now();
    db.commit();
    ASSERT_TRUE(db.getThreadContext()->commitPending);
    insertText(db, t, "b"); // a new transaction of the same thread: the commit comes back
    EXPECT_FALSE(db.getThreadContext()->commitPending);
    EXPECT_TRUE(db.getThreadContext()->writeAccess); // still the locks of the first transaction
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), tableTexts(db, t));
    db.commit();
    ASSERT_TRUE(waitFor([&] { return db.getTransactionCounter() != counter; }, 10000));
    // One commit made both transactions durable, and it came when the first one was due, not a
    // whole delay after the second.
    EXPECT_EQ(counter + 1, db.getTransactionCounter());
    EXPECT_LT(secondsSince(start), 3.5);
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), rowsSeenByAnother());
    db.close();
}

TEST_F(DelayedCommitTest, ALockWaiterHasTheDelayedCommitMadeAtOnce)
{
    struct Case {
        const char* what;
        bool sameObject; // another thread of the same object, or another object (as a process)
        int lockType;
        int accessType, otherAccessType;
    } cases[] = {
        {"reader, same object", true, dbSharedLock, dbReadWrite, dbReadWrite},
        {"writer, same object", true, dbExclusiveLock, dbReadWrite, dbReadWrite},
        {"reader, another object", false, dbSharedLock, dbReadWrite, dbReadWrite},
        {"mutator, same object", true, dbSharedLock, dbConcurrentUpdate, dbConcurrentUpdate},
        {"mutator, another object", false, dbExclusiveLock, dbConcurrentUpdate, dbConcurrentUpdate},
        {"concurrent reader of a mutator", false, dbSharedLock, dbConcurrentUpdate, dbConcurrentRead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dbDatabase db(c.accessType);
        ASSERT_TRUE(db.open(name.c_str(), path.c_str(), INT_MAX, 60));
        oid_t t = findTable(db, "T");
        insertText(db, t, c.what);
        db.commit(); // holds the write lock until the commit is made
        Clock::time_point start = Clock::now();
        std::size_t seen = 0;
        std::thread waiter([&] {
            dbDatabase other(c.otherAccessType);
            dbDatabase& use = c.sameObject ? db : other;
            if (!c.sameObject) {
                ASSERT_TRUE(other.open(name.c_str(), path.c_str()));
            }
            use.beginTransaction(c.lockType);
            seen = tableTexts(use, t).size();
            use.commit();
            if (c.sameObject)
                use.detachThread();
            else
                other.close();
        });
        waiter.join();
        EXPECT_LT(secondsSince(start), 30.0);
        EXPECT_GE(seen, 1u);
        EXPECT_FALSE(db.getThreadContext()->commitPending);
        db.close();
    }
}

TEST_F(DelayedCommitTest, AThreadThatDetachesLeavesItsCommitToTheTimerThread)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str(), INT_MAX, 1));
    oid_t t = findTable(db, "T");
    db.commit();
    std::uint32_t counter = db.getTransactionCounter();
    std::thread worker([&] {
        insertText(db, t, "from a thread");
        db.detachThread(); // commits (delayed) and destroys the context once that commit is made
    });
    worker.join();
    ASSERT_TRUE(waitFor([&] { return db.getTransactionCounter() != counter; }, 10000));
    EXPECT_EQ((std::vector<std::string>{"from a thread"}), tableTexts(db, t));
    db.close();
}

TEST_F(DelayedCommitTest, AnObjectDestroyedWithoutCloseDropsItsDelayedCommitLikeACrash)
{
    dbDatabase keeper; // stays attached, so that the destroyed object is not the last user
    ASSERT_TRUE(keeper.open(name.c_str(), path.c_str()));
    keeper.commit();
    auto* db = new dbDatabase();
    ASSERT_TRUE(db->open(name.c_str(), path.c_str(), INT_MAX, 60));
    insertText(*db, findTable(*db, "T"), "dropped");
    db->commit();
    Clock::time_point start = Clock::now();
    delete db; // the timer thread ends without committing; the locks go with the object
    EXPECT_LT(secondsSince(start), 30.0);
    EXPECT_TRUE(tableTexts(keeper, findTable(keeper, "T")).empty());
    keeper.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean()) << report.text();
}

// A child makes one delayed commit of many rows and reports when commit returned; it is killed
// at a point of the delayed commit, at once after its report, or once it has seen the timer
// thread make the commit.
const char* killPoint = nullptr;

void killAtPoint(const char* point)
{
    if (killPoint && std::strcmp(point, killPoint) == 0)
        raise(SIGKILL);
}

std::string rowText(int i)
{
    return "row" + std::to_string(i) + std::string(std::size_t(i % 50), '.');
}

TEST_F(DelayedCommitTest, KilledDuringADelayedCommitLeavesEitherStateWhole)
{
    const int rows = 300;
    struct Case {
        const char* what;
        const char* point; // crash point inside the timer thread's commit, or none
        bool afterCommit;  // when no crash point: killed once the child saw the commit made
        int expected;      // rows after the reopen; -1: either 0 or all
    } cases[] = {
        {"at once after commit returned", nullptr, false, -1},
        {"before the switch", "commit.flushed", false, 0},
        {"right after the switch", "commit.switched", false, -1},
        {"after the switch was flushed", "commit.durable", false, rows},
        {"after the delayed commit was made", nullptr, true, rows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        SetUp();
        int fds[2];
        ASSERT_EQ(0, pipe(fds));
        pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            killPoint = c.point;
            dbSetCrashHook(killAtPoint);
            dbDatabase* db = new dbDatabase();
            if (!db->open(name.c_str(), path.c_str(), INT_MAX, 1))
                _exit(3);
            oid_t t = findTable(*db, "T");
            for (int i = 0; i < rows; i++)
                insertText(*db, t, rowText(i));
            std::uint32_t counter = db->getTransactionCounter();
            db->commit();
            char ok = 1;
            if (write(fds[1], &ok, 1) != 1)
                _exit(4);
            if (c.afterCommit) {
                // The bound only keeps a broken timer thread from hanging the test.
                if (!waitFor([&] { return db->getTransactionCounter() != counter; }, 60000))
                    _exit(5);
                if (write(fds[1], &ok, 1) != 1)
                    _exit(4);
            }
            pause();
            _exit(0);
        }
        close(fds[1]);
        char ok = 0;
        ASSERT_EQ(1, read(fds[0], &ok, 1));
        if (c.afterCommit)
            EXPECT_EQ(1, read(fds[0], &ok, 1)) << "the child saw no commit made";
        close(fds[0]);
        if (!c.point)
            kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

        dbCheckReport before = dbCheckFile(path);
        EXPECT_TRUE(before.clean()) << before.text();
        std::vector<std::string> seen = rowsSeenByAnother();
        if (c.expected >= 0)
            EXPECT_EQ(std::size_t(c.expected), seen.size());
        else
            EXPECT_TRUE(seen.empty() || seen.size() == std::size_t(rows)) << seen.size();
        for (std::size_t i = 0; i < seen.size(); i++)
            EXPECT_EQ(rowText(int(i)), seen[i]);
        dbCheckReport after = dbCheckFile(path);
        EXPECT_TRUE(after.clean() && !after.dirty) << after.text();
    }
}

} // namespace
