// Locks between threads of one process and between processes, including processes that die
// while they hold a lock.
#include "TestSupport.h"

#include "engine286/Checker.h"
#include "engine286/ThreadPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <future>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Reads the shared lock counts, so that a test can wait until a thread really waits.
class dbDatabaseTestAccess {
public:
    // The waiting counts, read under the critical section as the lock code writes them.
    struct Waiting {
        std::int32_t readers, writers;
    };
    static Waiting waiting(dbDatabase& db)
    {
        db.enterCs();
        Waiting w{db.monitor->waitingReaders, db.monitor->waitingWriters};
        db.leaveCs();
        return w;
    }
};

namespace {

void waitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 10000 && !condition(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

class LockTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("locks.fdb");
    std::string name = dir.File("locks");

    void SetUp() override
    {
        dbDatabase db;
        ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
        createTable(db, "T");
        db.commit();
        db.close();
    }
};

TEST_F(LockTest, ThreadsInsertAndReadConcurrentlyWithoutTearing)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    oid_t t = findTable(db, "T");
    db.commit();
    std::atomic<bool> done{false};
    std::atomic<int> badReads{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < 4; w++) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < 40; i++) {
                insertText(db, t, "w" + std::to_string(w) + "-" + std::to_string(i));
                db.commit();
            }
            db.detachThread();
        });
    }
    for (int r = 0; r < 2; r++) {
        threads.emplace_back([&] {
            while (!done) {
                for (const std::string& s : tableTexts(db, t)) {
                    if (s[0] != 'w')
                        badReads++;
                }
                db.commit(); // releases the shared lock
            }
            db.detachThread();
        });
    }
    for (int w = 0; w < 4; w++)
        threads[std::size_t(w)].join();
    done = true;
    for (std::size_t i = 4; i < threads.size(); i++)
        threads[i].join();
    EXPECT_EQ(0, badReads.load());
    EXPECT_EQ(160u, tableTexts(db, t).size());
    db.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean()) << report.text();
}

TEST_F(LockTest, LastReaderHandsTheLockToTheWaitingWriterBeforeANewReader)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    db.commit();
    std::mutex m;
    std::vector<std::string> order;
    auto note = [&](const char* what) {
        std::lock_guard<std::mutex> g(m);
        order.push_back(what);
    };
    db.beginTransaction(dbSharedLock); // the first reader: this thread
    std::thread writer([&] {
        db.beginTransaction(dbExclusiveLock);
        note("writer");
        db.commit();
        db.detachThread();
    });
    waitUntil([&] { return dbDatabaseTestAccess::waiting(db).writers == 1; });
    std::thread reader([&] {
        db.beginTransaction(dbSharedLock);
        note("reader");
        db.commit();
        db.detachThread();
    });
    waitUntil([&] { return dbDatabaseTestAccess::waiting(db).readers == 1; });
    {
        std::lock_guard<std::mutex> g(m);
        EXPECT_TRUE(order.empty()); // both wait: the writer for us, the reader behind the writer
    }
    db.commit(); // releases our shared lock
    writer.join();
    reader.join();
    EXPECT_EQ((std::vector<std::string>{"writer", "reader"}), order);
    db.close();
}

TEST_F(LockTest, SharedThenExclusiveOnOneThreadUpgradesAtOnce)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    oid_t t = findTable(db, "T");
    EXPECT_EQ(0u, tableTexts(db, t).size()); // holds the shared lock now
    insertText(db, t, "upgraded");
    EXPECT_TRUE(db.getThreadContext()->writeAccess);
    db.commit();
    EXPECT_EQ(1u, tableTexts(db, t).size());
    db.close();
}

TEST_F(LockTest, WorkLeftByADetachedThreadIsCommittedByAnotherThread)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    oid_t t = findTable(db, "T");
    db.commit();
    std::thread worker([&] {
        insertText(db, t, "left behind");
        db.detachThread(dbDatabase::dbDestroyContext); // no commit: the work stays in the working root
    });
    worker.join();
    db.commit();
    db.close();
    dbDatabase again;
    ASSERT_TRUE(again.open(name.c_str(), path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"left behind"}), tableTexts(again, t));
    again.close();
}

TEST_F(LockTest, ObjectDestroyedWithoutCloseWhileWritingReleasesItsLockAndWork)
{
    // Two database objects of one process, each with its own context for this thread.
    dbDatabase reader;
    ASSERT_TRUE(reader.open(name.c_str(), path.c_str()));
    reader.commit();
    auto* writer = new dbDatabase();
    ASSERT_TRUE(writer->open(name.c_str(), path.c_str()));
    EXPECT_EQ(2, reader.getAttachedProcessCount());
    insertText(*writer, findTable(*writer, "T"), "lost"); // holds the write lock
    delete writer;                                        // like a program that ends without closing
    EXPECT_EQ(1, reader.getAttachedProcessCount());
    EXPECT_TRUE(tableTexts(reader, findTable(reader, "T")).empty()); // no wait, no trace of the work
    insertText(reader, findTable(reader, "T"), "kept");
    reader.commit();
    reader.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
}

TEST_F(LockTest, AThreadKeepsWorkingAfterTheDatabaseIsClosedAndOpenedAgain)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    std::atomic<int> step{0};
    std::size_t rows = 99;
    // One thread uses the database before the close (its context is deleted by the close) and
    // again after the reopen: it must get a new context, not the deleted one.
    std::thread worker([&] {
        tableTexts(db, findTable(db, "T"));
        db.commit();
        step = 1;
        while (step != 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        rows = tableTexts(db, findTable(db, "T")).size();
        db.commit();
        db.detachThread();
    });
    waitUntil([&] { return step == 1; });
    db.close();
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    step = 2;
    worker.join();
    EXPECT_EQ(0u, rows);
    db.close();
}

TEST_F(LockTest, SecondUpgraderIsADeadlock)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child shares this fixture and its directory
    EXPECT_DEATH(
        {
            dbDatabase db;
            db.open(name.c_str(), path.c_str());
            db.beginTransaction(dbSharedLock);
            // Once both threads hold a shared lock, whichever upgrades second is the deadlock:
            // the first waits for the other's shared lock to go.
            std::promise<void> shared;
            std::thread other([&] {
                db.beginTransaction(dbSharedLock);
                shared.set_value();
                db.beginTransaction(dbExclusiveLock);
            });
            shared.get_future().wait();
            db.beginTransaction(dbExclusiveLock);
            other.join();
        },
        "Deadlock is caused by upgrading shared locks to exclusive");
}

// Forks a child that opens the database, runs body, reports on the pipe and then waits to be
// killed (or exits when told to finish).
template <typename Body>
pid_t spawn(const std::string& name, const std::string& path, int reportFd, Body body)
{
    pid_t pid = fork();
    if (pid == 0) {
        dbDatabase* db = new dbDatabase();
        if (!db->open(name.c_str(), path.c_str()))
            _exit(3);
        body(*db);
        char c = 1;
        if (write(reportFd, &c, 1) != 1)
            _exit(4);
        pause();
        _exit(0);
    }
    return pid;
}

TEST_F(LockTest, WriterKilledWhileAnotherProcessWaitsIsRevokedAndItsWorkDiscarded)
{
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    // The idle process must be open before the writer takes the lock it keeps: its open needs
    // a shared lock too.
    char c;
    pid_t idle = spawn(name, path, fds[1], [](dbDatabase& db) { db.commit(); });
    ASSERT_EQ(1, read(fds[0], &c, 1));
    pid_t writer = spawn(name, path, fds[1], [](dbDatabase& db) {
        oid_t t = findTable(db, "T");
        insertText(db, t, "never committed"); // holds the write lock from now on
    });
    ASSERT_EQ(1, read(fds[0], &c, 1));

    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        kill(writer, SIGKILL);
    });
    // Opening waits for the writer (its first transaction needs a shared lock), however long
    // the lock wait may be; the writer's death ends the wait.
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str(), INT_MAX));
    killer.join();
    waitpid(writer, nullptr, 0);
    oid_t t = findTable(db, "T");
    EXPECT_TRUE(tableTexts(db, t).empty());
    insertText(db, t, "after");
    db.commit();
    EXPECT_EQ(2, db.getAttachedProcessCount()); // ourselves and the idle child
    kill(idle, SIGKILL);
    waitpid(idle, nullptr, 0);
    EXPECT_EQ(1, db.getAttachedProcessCount());
    EXPECT_EQ((std::vector<std::string>{"after"}), tableTexts(db, t));
    db.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
    close(fds[0]);
    close(fds[1]);
}

TEST_F(LockTest, AFiniteLockTimeOutGivesUpOnALiveHolderAndLeavesItsWorkAlone)
{
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t writer = spawn(name, path, fds[1], [](dbDatabase& db) {
        insertText(db, findTable(db, "T"), "held"); // holds the write lock, alive, until killed
    });
    char c;
    ASSERT_EQ(1, read(fds[0], &c, 1));

    // An opener must lock the database to load its tables.
    std::vector<std::string> messages;
    static std::vector<std::string>* sink;
    sink = &messages;
    auto started = std::chrono::steady_clock::now();
    {
        dbDatabase db;
        db.setErrorHandler([](int cls, const char* msg, int) { sink->push_back(std::to_string(cls) + msg); });
        EXPECT_FALSE(db.open(name.c_str(), path.c_str(), 300));
    }
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(std::vector<std::string>{"4Failed to lock database: Lock wait timed out"}, messages);

    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    close(fds[0]);
    close(fds[1]);
}

TEST_F(LockTest, WaitsThatTimeOutWithdrawAndTheHolderCommitsAsUsual)
{
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str(), 150));
    const oid_t t = findTable(db, "T");
    db.commit();
    std::atomic<bool> holding{false}, release{false};
    std::thread holder([&] {
        insertText(db, t, "by the holder");
        holding = true;
        waitUntil([&] { return release.load(); });
        db.commit();
        db.detachThread();
    });
    waitUntil([&] { return holding.load(); });
    for (int lockType : {dbSharedLock, dbExclusiveLock}) {
        SCOPED_TRACE(lockType);
        auto started = std::chrono::steady_clock::now();
        EXPECT_THROW(db.beginTransaction(lockType), dbException);
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(150));
        const auto waiting = dbDatabaseTestAccess::waiting(db);
        EXPECT_EQ(0, waiting.readers);
        EXPECT_EQ(0, waiting.writers);
    }
    release = true;
    holder.join();
    EXPECT_EQ(std::vector<std::string>{"by the holder"}, tableTexts(db, t));
    db.close();
}

TEST_F(LockTest, ProcessesCommitInTurnAndSeeEachOthersWork)
{
    const int children = 3, rows = 25;
    std::vector<pid_t> pids;
    for (int k = 0; k < children; k++) {
        pid_t pid = fork();
        if (pid == 0) {
            dbDatabase* db = new dbDatabase();
            if (!db->open(name.c_str(), path.c_str()))
                _exit(3);
            oid_t t = findTable(*db, "T");
            for (int i = 0; i < rows; i++) {
                // A large row now and then makes the file grow under the other processes.
                std::string text = "p" + std::to_string(k) + "-" + std::to_string(i);
                if (i % 10 == 9)
                    text += std::string(300000, '.');
                insertText(*db, t, text);
                db->commit();
            }
            std::size_t seen = tableTexts(*db, t).size();
            db->close();
            _exit(seen >= std::size_t(rows) ? 0 : 5);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    dbDatabase db;
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    EXPECT_EQ(std::size_t(children * rows), tableTexts(db, findTable(db, "T")).size());
    db.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
}

// Each database object keeps its own copies of the pages it changed; another object's commit
// into the same pages must never leave it reading its old copies. Two objects take turns changing
// the same rows (in place and to other sizes), each checking the other's work.
TEST_F(LockTest, ObjectsTakingTurnsOnTheSameRowsAlwaysReadTheOthersLatestWork)
{
    dbDatabase a, b;
    ASSERT_TRUE(a.open(name.c_str(), path.c_str()));
    ASSERT_TRUE(b.open(name.c_str(), path.c_str()));
    const oid_t t = findTable(a, "T");
    std::vector<oid_t> rows;
    for (int i = 0; i < 40; i++)
        rows.push_back(insertText(a, t, "r" + std::to_string(i)));
    a.commit();
    std::vector<std::string> expected;
    for (int round = 0; round < 12; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        dbDatabase& writer = round % 2 ? b : a;
        dbDatabase& reader = round % 2 ? a : b;
        // Sizes alternate between two lengths, so a row is copied, resized or changed in place.
        for (std::size_t i = 0; i < rows.size(); i++)
            updateText(writer, rows[i],
                       std::to_string(round) + "-" + std::to_string(i) +
                           std::string(std::size_t(round % 3) * 20, '.'));
        writer.commit();
        expected.clear();
        for (std::size_t i = 0; i < rows.size(); i++)
            expected.push_back(std::to_string(round) + "-" + std::to_string(i) +
                               std::string(std::size_t(round % 3) * 20, '.'));
        EXPECT_EQ(expected, tableTexts(reader, t));
        reader.commit();
        // The reader changes a row in place twice within one transaction, then gives the rows back.
        updateText(reader, rows[0], "x");
        updateText(reader, rows[0], expected[0]);
        reader.commit();
        EXPECT_EQ(expected, tableTexts(writer, t));
        writer.commit();
    }
    a.close();
    b.close();
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
}

} // namespace

namespace {

struct PoolJob {
    std::atomic<int>* inside;
    std::atomic<int>* maxInside;
    int result = 0;
};

void poolJob(void* arg)
{
    auto* job = static_cast<PoolJob*>(arg);
    int now = ++*job->inside;
    int seen = job->maxInside->load();
    while (now > seen && !job->maxInside->compare_exchange_weak(seen, now))
        ;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    --*job->inside;
    job->result = 42;
}

TEST(ThreadPoolTest, WorkersRunAtTheSameTimeAndAreReused)
{
    dbThreadPool pool;
    std::atomic<int> inside{0}, maxInside{0};
    PoolJob jobs[4] = {
        {&inside, &maxInside}, {&inside, &maxInside}, {&inside, &maxInside}, {&inside, &maxInside}};
    dbPooledThread* threads[4];
    for (int i = 0; i < 4; i++)
        threads[i] = pool.create(poolJob, &jobs[i]);
    for (dbPooledThread* t : threads)
        pool.join(t);
    for (const PoolJob& j : jobs)
        EXPECT_EQ(42, j.result);
    EXPECT_GT(maxInside.load(), 1); // not one at a time
    // Idle threads are handed out again.
    dbPooledThread* again = pool.create(poolJob, &jobs[0]);
    pool.join(again);
    EXPECT_TRUE(again == threads[0] || again == threads[1] || again == threads[2] || again == threads[3]);
}

} // namespace
