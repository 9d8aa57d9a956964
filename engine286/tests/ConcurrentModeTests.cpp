// Concurrent access types: mutators (concurrent update) that exclude only each other, and
// concurrent readers that read the last committed state while a writer works. A reader must
// always see one committed state whole.
#include "Workload.h"

#include "engine286/Checker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Every table with its rows, as one text; a list that does not hold together shows in it.
std::string snapshot(dbDatabase& db)
{
    std::string out;
    try {
        db.beginTransaction(dbSharedLock);
        dbTable* meta = db.getTable(dbMetatableId);
        std::int32_t tables = 0;
        oid_t last = 0;
        for (oid_t t = meta->firstRow; t != 0; t = db.getRow(t)->next) {
            dbTable* table = db.getTable(t);
            out += reinterpret_cast<char*>(table) + table->name.offs;
            out += ":";
            std::vector<std::string> rows = tableTexts(db, t);
            for (const std::string& r : rows)
                out += r + ",";
            if (std::int32_t(rows.size()) != table->nRows)
                out += "<row count>";
            out += ";";
            tables++;
            last = t;
        }
        if (tables != meta->nRows || last != meta->lastRow)
            out += "<broken table list>";
    } catch (const dbException& e) {
        out += std::string("<exception: ") + e.what() + ">";
    }
    db.commit();
    return out;
}

void expectCleanFile(const std::string& path)
{
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean() && !report.dirty) << report.text();
}

std::function<void(const char*)> crashPointAction;

void onCrashPoint(const char* point)
{
    if (crashPointAction)
        crashPointAction(point);
}

class ConcurrentModeTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("concurrent.fdb");
    std::string name = dir.File("concurrent");
    static const int initialRows = 40;

    void SetUp() override
    {
        dbDatabase db;
        ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
        oid_t t = createTable(db, "T");
        for (int i = 0; i < initialRows; i++)
            insertText(db, t, "0");
        db.commit();
        db.close();
    }
    void TearDown() override
    {
        dbSetCrashHook(nullptr);
        crashPointAction = nullptr;
    }
};

TEST_F(ConcurrentModeTest, AReadWriteCommitNeverShowsAConcurrentReaderAHalfCopiedIndex)
{
    dbDatabase writer;
    ASSERT_TRUE(writer.open(name.c_str(), path.c_str()));
    dbDatabase reader(dbConcurrentRead);
    ASSERT_TRUE(reader.open(name.c_str(), path.c_str()));
    const std::string before = snapshot(reader);

    oid_t u = createTable(writer, "U");
    for (int i = 0; i < 10; i++)
        insertText(writer, u, "u" + std::to_string(i));
    updateText(writer, writer.getTable(findTable(writer, "T"))->firstRow, "1");

    // In the middle of copying the new state into the array that was committed until now, a
    // concurrent reader arrives. It must wait, or read one whole state.
    std::string during;
    std::atomic<bool> readDone{false};
    std::thread late;
    crashPointAction = [&](const char* point) {
        if (std::strcmp(point, "commit.refreshing") != 0 || late.joinable())
            return;
        late = std::thread([&] {
            during = snapshot(reader);
            reader.detachThread();
            readDone = true;
        });
        for (int i = 0; i < 300 && !readDone; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    dbSetCrashHook(onCrashPoint);
    writer.commit();
    dbSetCrashHook(nullptr);
    ASSERT_TRUE(late.joinable()) << "the commit never reached the copy of the index";
    late.join();
    const std::string after = snapshot(reader);
    EXPECT_NE(before, after);
    EXPECT_NE(std::string::npos, after.find("U:u0,"));
    EXPECT_TRUE(during == before || during == after) << during;
    reader.close();
    writer.close();
    expectCleanFile(path);
}

// A writer of each kind runs transactions that set every row of T to the transaction's number and
// add one row with it; readers on their own threads check that what they see is one state.
TEST_F(ConcurrentModeTest, ConcurrentReadersSeeOnlyWholeCommittedStates)
{
    for (int writerType : {dbReadWrite, dbConcurrentUpdate}) {
        SCOPED_TRACE(writerType == dbReadWrite ? "read-write writer" : "concurrent-update writer");
        const int transactions = 25;
        dbDatabase writer(writerType);
        ASSERT_TRUE(writer.open(name.c_str(), path.c_str()));
        dbDatabase reader(dbConcurrentRead);
        ASSERT_TRUE(reader.open(name.c_str(), path.c_str()));
        oid_t t = findTable(writer, "T");
        const std::size_t startRows = tableTexts(writer, t).size();
        const int startValue = std::stoi(tableTexts(writer, t).front());
        writer.commit();

        std::atomic<bool> done{false};
        std::atomic<int> reads{0}, bad{0};
        std::string firstBad;
        std::mutex m;
        std::vector<std::thread> readers;
        for (int r = 0; r < 2; r++) {
            readers.emplace_back([&] {
                while (!done) {
                    std::vector<std::string> rows;
                    try {
                        rows = tableTexts(reader, t);
                    } catch (const dbException&) {
                        rows.push_back("<exception>");
                    }
                    reader.commit();
                    bool whole = !rows.empty();
                    int value = whole ? std::atoi(rows.front().c_str()) : -1;
                    for (const std::string& s : rows)
                        whole = whole && s == std::to_string(value);
                    whole = whole && rows.size() == startRows + std::size_t(value - startValue);
                    if (!whole) {
                        std::lock_guard<std::mutex> g(m);
                        if (bad++ == 0)
                            for (const std::string& s : rows)
                                firstBad += s + ",";
                    }
                    reads++;
                }
                reader.detachThread();
            });
        }
        std::vector<oid_t> rows = workload::rowIds(writer, t);
        for (int k = startValue + 1; k <= startValue + transactions; k++) {
            for (oid_t r : rows)
                updateText(writer, r, std::to_string(k));
            rows.push_back(insertText(writer, t, std::to_string(k)));
            writer.commit();
        }
        done = true;
        for (std::thread& th : readers)
            th.join();
        EXPECT_EQ(0, bad.load()) << firstBad;
        EXPECT_GT(reads.load(), 0);
        reader.close();
        writer.close();
        expectCleanFile(path);
    }
}

TEST_F(ConcurrentModeTest, MutatorsExcludeEachOtherWhileReadersGoOn)
{
    dbDatabase first(dbConcurrentUpdate), second(dbConcurrentUpdate);
    ASSERT_TRUE(first.open(name.c_str(), path.c_str()));
    ASSERT_TRUE(second.open(name.c_str(), path.c_str()));
    dbDatabase reader(dbConcurrentRead);
    ASSERT_TRUE(reader.open(name.c_str(), path.c_str()));
    oid_t t = findTable(first, "T");
    const std::string before = snapshot(reader);

    insertText(first, t, "first"); // holds the mutator lock, not the write lock
    EXPECT_TRUE(first.getThreadContext()->holdsMutatorLock);
    EXPECT_FALSE(first.getThreadContext()->writeAccess);
    EXPECT_EQ(before, snapshot(reader)); // the committed state, read without waiting

    std::atomic<bool> secondDone{false};
    std::thread other([&] {
        insertText(second, t, "second");
        second.commit();
        secondDone = true;
        second.detachThread();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(secondDone.load()); // waits for the first mutator
    first.commit();
    other.join();
    std::vector<std::string> rows = tableTexts(reader, t);
    reader.commit();
    ASSERT_EQ(std::size_t(initialRows + 2), rows.size());
    EXPECT_EQ("first", rows[initialRows]);
    EXPECT_EQ("second", rows[initialRows + 1]);

    // A rollback gives the mutator lock back and leaves the committed state alone.
    insertText(first, t, "rolled back");
    first.rollback();
    EXPECT_FALSE(first.getThreadContext()->holdsMutatorLock);
    EXPECT_EQ(std::size_t(initialRows + 2), tableTexts(second, t).size());
    second.commit();
    reader.close();
    second.close();
    first.close();
    expectCleanFile(path);
}

TEST_F(ConcurrentModeTest, ProcessesUpdateConcurrentlyWhileAReaderChecksEverySnapshot)
{
    const int children = 2, transactions = 12;
    std::vector<pid_t> pids;
    for (int k = 0; k < children; k++) {
        pid_t pid = fork();
        if (pid == 0) {
            dbDatabase* db = new dbDatabase(dbConcurrentUpdate);
            if (!db->open(name.c_str(), path.c_str()))
                _exit(3);
            oid_t t = findTable(*db, "T");
            for (int i = 0; i < transactions; i++) {
                // A pair per transaction; now and then a large one, so that the file grows.
                std::string tail = i % 5 == 4 ? std::string(300000, '.') : "";
                std::string key = "p" + std::to_string(k) + "-" + std::to_string(i);
                insertText(*db, t, key + "-a" + tail);
                insertText(*db, t, key + "-b");
                db->commit();
            }
            db->close();
            _exit(0);
        }
        pids.push_back(pid);
    }
    dbDatabase reader(dbConcurrentRead);
    ASSERT_TRUE(reader.open(name.c_str(), path.c_str()));
    oid_t t = findTable(reader, "T");
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        for (pid_t pid : pids) {
            int status = 0;
            waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        done = true;
    });
    int reads = 0, bad = 0;
    std::size_t seen = 0;
    do {
        std::vector<std::string> rows = tableTexts(reader, t);
        reader.commit();
        for (std::size_t i = initialRows; i < rows.size(); i += 2) {
            std::string a = rows[i].substr(0, rows[i].find('.'));
            if (i + 1 >= rows.size() || a.size() < 2 || a.substr(a.size() - 2) != "-a" ||
                rows[i + 1] != a.substr(0, a.size() - 2) + "-b")
                bad++;
        }
        EXPECT_GE(rows.size(), seen); // never back to an older state
        seen = rows.size();
        reads++;
    } while (!done);
    waiter.join();
    EXPECT_EQ(0, bad);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(std::size_t(initialRows + children * transactions * 2), tableTexts(reader, t).size());
    reader.close();
    // The reader outlived the writers, so none of them could mark the file clean.
    dbCheckReport report = dbCheckFile(path);
    EXPECT_TRUE(report.clean()) << report.text();
}

std::vector<std::string> reports;

void collect(int errorClass, const char* msg, int)
{
    reports.push_back(std::to_string(errorClass) + ": " + (msg ? msg : ""));
}

// Mutators and the users of the working root do not wait for each other's locks: they may not
// share a database. Concurrent readers get along with both.
TEST_F(ConcurrentModeTest, OpensInAnIncompatibleAccessTypeAreRefused)
{
    struct Case {
        int first, second;
        bool compatible;
    } cases[] = {
        {dbReadWrite, dbConcurrentUpdate, false}, {dbConcurrentUpdate, dbReadWrite, false},
        {dbConcurrentUpdate, dbReadOnly, false},  {dbConcurrentUpdate, dbConcurrentRead, true},
        {dbReadWrite, dbConcurrentRead, true},    {dbConcurrentUpdate, dbConcurrentUpdate, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
        dbDatabase first(c.first);
        ASSERT_TRUE(first.open(name.c_str(), path.c_str()));
        reports.clear();
        dbDatabase second(c.second);
        second.setErrorHandler(collect);
        EXPECT_EQ(c.compatible, second.open(name.c_str(), path.c_str()));
        if (c.compatible) {
            EXPECT_TRUE(reports.empty());
            second.close();
        } else {
            EXPECT_EQ((std::vector<std::string>{"4: Database is in use with an incompatible access type"}),
                      reports);
        }
        EXPECT_EQ(1, first.getAttachedProcessCount());
        first.close();
    }
}

TEST_F(ConcurrentModeTest, AMutatorKilledInsideItsTransactionIsRevokedAndItsWorkDiscarded)
{
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t pid = fork();
    if (pid == 0) {
        dbDatabase* db = new dbDatabase(dbConcurrentUpdate);
        if (!db->open(name.c_str(), path.c_str()))
            _exit(3);
        insertText(*db, findTable(*db, "T"), "never committed");
        char c = 1;
        if (write(fds[1], &c, 1) != 1)
            _exit(4);
        pause();
        _exit(0);
    }
    char c;
    ASSERT_EQ(1, read(fds[0], &c, 1));
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        kill(pid, SIGKILL);
    });
    // The open's first transaction already needs the mutator lock: it waits for the holder's death.
    dbDatabase db(dbConcurrentUpdate);
    ASSERT_TRUE(db.open(name.c_str(), path.c_str()));
    killer.join();
    oid_t t = findTable(db, "T");
    insertText(db, t, "after");
    waitpid(pid, nullptr, 0);
    db.commit();
    std::vector<std::string> rows = tableTexts(db, t);
    db.commit();
    ASSERT_EQ(std::size_t(initialRows + 1), rows.size());
    EXPECT_EQ("after", rows.back());
    db.close();
    expectCleanFile(path);
    close(fds[0]);
    close(fds[1]);
}

} // namespace
