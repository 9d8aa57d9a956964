// The engine against SQLite (WAL and rollback journal, both with synchronous=FULL) and LMDB on
// the same rows, indices and queries: bulk insert + commit, single-row commit latency, lookup by
// object id, lookup by a hash-indexed integer key and by a hash-indexed text key, T-tree range
// scans over integers and over texts, a full scan with a condition, and removal of 10 % of the
// rows by key, at 10,000 and 1,000,000 rows. Every result checksum is compared between the
// engines.
//
// The engine runs as the program uses it: a database object with the default parameters (no
// pre-sized object index) and results read through cursors, which unpack each row.
//
//     engine286_query_bench [rows...] [--dir DIR]
//
// The files go to DIR (default: the current directory), which should be on a real disk: commit
// latency is a flush latency.
#include "engine286/Cursor.h"
#include "engine286/HashIndex.h"
#include "engine286/Query.h"
#include "engine286/Records.h"

#include <lmdb.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// ---- The data set: identical for every engine -------------------------------------------------

struct Workload {
    std::size_t rows;
    std::vector<std::int32_t> ids;    // the hash-indexed key of row n: a permutation of 0..rows-1
    std::vector<std::int32_t> ks;     // the T-tree-indexed key
    std::vector<std::int32_t> vs;     // an unindexed value
    std::vector<std::size_t> lookups; // row numbers looked up
    std::vector<std::int32_t> ranges; // low bounds of k ranges
    std::int32_t rangeWidth;
    std::vector<std::int32_t> textRanges; // low ids of s ranges (s orders as the id does)
    std::vector<std::size_t> removals;    // row numbers removed by key, 10 % of the rows
    std::int32_t scanBound;               // full scan: v < scanBound
    int commits = 200;

    explicit Workload(std::size_t n) : rows(n)
    {
        std::mt19937 rng(20261210);
        ids.resize(n);
        for (std::size_t i = 0; i < n; i++)
            ids[i] = std::int32_t(i);
        std::shuffle(ids.begin(), ids.end(), rng);
        ks.resize(n);
        vs.resize(n);
        for (std::size_t i = 0; i < n; i++) {
            ks[i] = std::int32_t(rng() % (n * 4));
            vs[i] = std::int32_t(rng() % 1000);
        }
        for (int i = 0; i < 100000; i++)
            lookups.push_back(rng() % n);
        rangeWidth = std::int32_t(n * 4 / 100); // about 1 % of the rows
        for (int i = 0; i < 100; i++)
            ranges.push_back(std::int32_t(rng() % (n * 4 - std::size_t(rangeWidth))));
        scanBound = 100; // about 10 % of the rows
        for (int i = 0; i < 100; i++)
            textRanges.push_back(std::int32_t(rng() % (n - n / 100)));
        for (std::size_t i = 0; i < n; i += 10)
            removals.push_back(i);
    }
};

struct Figures {
    double bulkInsert = 0; // seconds for all rows, commit included
    double commit = 0;     // seconds per single-row update + commit
    double commitCpu = 0;  // processor seconds per single-row update + commit
    double byOid = 0;      // seconds per lookup
    double byKey = 0;      // seconds per lookup
    double range = 0;      // seconds per range query
    double byText = 0;     // seconds per lookup by the text key
    double textRange = 0;  // seconds per range query over texts
    double scan = 0;       // seconds per full scan
    double removal = 0;    // seconds for removing 10 % of the rows by key, commit included
    std::uint64_t sumOid = 0, sumKey = 0, sumRange = 0, sumScan = 0, sumText = 0, sumTextRange = 0,
                  removed = 0;
    bool ran = false;
};

std::string text16(std::int32_t id)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "row-%011d", id);
    return buf;
}

// Single-row commits are timed one by one and reported by their median: a flush now and then
// waits behind another program's writes on a shared disk, and the mean would report that wait.
// The processor time of each commit is kept too (this thread's, system calls included): unlike
// the elapsed time it does not wait for the disk, and it shows whether a commit's own work grows
// with the file.
class CommitTimes {
public:
    void start()
    {
        begun = Clock::now();
        cpuBegun = threadCpuSeconds();
    }
    void stop()
    {
        samples.push_back(secondsSince(begun));
        cpuSamples.push_back(threadCpuSeconds() - cpuBegun);
    }
    double median() { return medianOf(samples); }
    double cpuMedian() { return medianOf(cpuSamples); }

private:
    static double threadCpuSeconds()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    }
    static double medianOf(std::vector<double>& v)
    {
        if (v.empty())
            return 0;
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    }

    Clock::time_point begun;
    double cpuBegun = 0;
    std::vector<double> samples, cpuSamples;
};

// ---- This engine --------------------------------------------------------------------------------

struct BenchRow {
    std::int32_t id;
    std::int32_t k;
    std::int32_t v;
    const char* s;
};

dbFieldDescriptor* describeBenchRow()
{
    return describeInt4Field(new dbFieldDescriptor("id", offsetof(BenchRow, id), 4, HASHED))
        ->chain(describeInt4Field(new dbFieldDescriptor("k", offsetof(BenchRow, k), 4, INDEXED)))
        ->chain(describeInt4Field(new dbFieldDescriptor("v", offsetof(BenchRow, v), 4, 0)))
        ->chain(describeStringField(
            new dbFieldDescriptor("s", offsetof(BenchRow, s), sizeof(char*), HASHED | INDEXED)));
}

// Runs a select through a cursor and adds up v over the rows it steps on (each one unpacked).
template <typename Select>
std::uint64_t sumThroughCursor(dbAnyCursor& cursor, const BenchRow& rec, Select select)
{
    std::uint64_t sum = 0;
    if (select() == 0)
        return 0;
    do {
        sum += std::uint64_t(rec.v);
        if (!cursor.gotoNext())
            break;
        cursor.fetch();
    } while (true);
    return sum;
}

Figures runEngine(const Workload& w, const std::string& dir)
{
    Figures f;
    std::string name = dir + "/engine";
    std::filesystem::remove(name + ".fdb");
    dbDatabase db; // the parameters the program uses
    dbTableDescriptor table("BenchRow", &db, sizeof(BenchRow), describeBenchRow);
    if (!db.open(name.c_str(), (name + ".fdb").c_str())) {
        std::fprintf(stderr, "cannot open %s\n", name.c_str());
        return f;
    }
    const dbFieldDescriptor* idField = table.findField("id");
    std::vector<oid_t> oids(w.rows);
    auto t0 = Clock::now();
    for (std::size_t i = 0; i < w.rows; i++) {
        std::string s = text16(w.ids[i]);
        BenchRow r{w.ids[i], w.ks[i], w.vs[i], s.c_str()};
        oids[i] = dbInsertRecord(db, &table, &r);
    }
    db.commit();
    f.bulkInsert = secondsSince(t0);

    BenchRow rec{};
    dbAnyCursor cursor(table, dbCursorViewOnly, &rec);
    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        cursor.positionAt(oids[n]);
        f.sumOid += std::uint64_t(rec.v);
    }
    f.byOid = secondsSince(t0) / double(w.lookups.size());

    std::int32_t key = 0;
    dbQuery byKey;
    byKey.add("id = ").bind(key);
    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        key = w.ids[n];
        f.sumKey += sumThroughCursor(cursor, rec, [&] { return cursor.select(byKey, dbCursorViewOnly); });
    }
    f.byKey = secondsSince(t0) / double(w.lookups.size());

    std::string wanted;
    const char* text = nullptr;
    dbQuery byText;
    byText.add("s = ").bind(text);
    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        wanted = text16(w.ids[n]);
        text = wanted.c_str();
        f.sumText += sumThroughCursor(cursor, rec, [&] { return cursor.select(byText, dbCursorViewOnly); });
    }
    f.byText = secondsSince(t0) / double(w.lookups.size());

    std::int32_t lo = 0, hi = 0;
    dbQuery range;
    range.add("k between ").bind(lo).add(" and ").bind(hi);
    t0 = Clock::now();
    for (std::int32_t low : w.ranges) {
        lo = low;
        hi = low + w.rangeWidth - 1;
        f.sumRange += sumThroughCursor(cursor, rec, [&] { return cursor.select(range, dbCursorViewOnly); });
    }
    f.range = secondsSince(t0) / double(w.ranges.size());

    std::string loText, hiText;
    const char *loPtr = nullptr, *hiPtr = nullptr;
    dbQuery textRange;
    textRange.add("s between ").bind(loPtr).add(" and ").bind(hiPtr);
    const std::int32_t textWidth = std::int32_t(w.rows / 100);
    t0 = Clock::now();
    for (std::int32_t low : w.textRanges) {
        loText = text16(low);
        hiText = text16(low + textWidth - 1);
        loPtr = loText.c_str();
        hiPtr = hiText.c_str();
        f.sumTextRange +=
            sumThroughCursor(cursor, rec, [&] { return cursor.select(textRange, dbCursorViewOnly); });
    }
    f.textRange = secondsSince(t0) / double(w.textRanges.size());

    dbQuery scan;
    scan.add("v < ").bind(w.scanBound);
    const int scans = w.rows >= 1000000 ? 5 : 50;
    t0 = Clock::now();
    for (int i = 0; i < scans; i++)
        f.sumScan = sumThroughCursor(cursor, rec, [&] { return cursor.select(scan, dbCursorViewOnly); });
    f.scan = secondsSince(t0) / scans;
    db.commit();

    // Hash chain length for consecutive integer keys (the stored hash decides it).
    {
        db.beginTransaction(dbSharedLock);
        dbSearchContext sc;
        sc.type = tpInt4;
        sc.sizeofType = 4;
        sc.offs = idField->dbsOffs;
        sc.add = [](oid_t, void*) { return true; };
        long probes = 0;
        const int samples = 2000;
        for (int i = 0; i < samples; i++) {
            std::int32_t k = w.ids[w.lookups[std::size_t(i)]];
            sc.firstKey = &k;
            sc.probes = 0;
            findInHashTable(db, idField->hashTable, sc);
            probes += sc.probes;
        }
        std::printf("  engine hash probes per lookup (consecutive int keys): %.1f\n",
                    double(probes) / samples);
        db.commit();
    }

    CommitTimes times;
    for (int i = 0; i < w.commits; i++) {
        std::size_t n = w.lookups[std::size_t(i)];
        std::string s = text16(w.ids[n]);
        BenchRow r{w.ids[n], w.ks[n], w.vs[n] + 1, s.c_str()};
        times.start();
        dbUpdateRecord(db, oids[n], &table, &r);
        db.commit();
        times.stop();
    }
    f.commit = times.median();
    f.commitCpu = times.cpuMedian();

    dbAnyCursor remover(table, dbCursorForUpdate, &rec);
    t0 = Clock::now();
    for (std::size_t n : w.removals) {
        key = w.ids[n];
        if (remover.select(byKey, dbCursorForUpdate) != 0) {
            remover.removeCurrent();
            f.removed++;
        }
    }
    db.commit();
    f.removal = secondsSince(t0);
    db.close();
    db.unbindTables();
    std::filesystem::remove(name + ".fdb");
    f.ran = true;
    return f;
}

// ---- SQLite -------------------------------------------------------------------------------------

void check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite %s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

Figures runSqlite(const Workload& w, const std::string& dir, bool wal)
{
    Figures f;
    std::string file = dir + (wal ? "/sqlite-wal.db" : "/sqlite-journal.db");
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(file + suffix);
    sqlite3* db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db, "open");
    auto exec = [&](const char* sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); };
    exec(wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
    exec("PRAGMA synchronous=FULL");
    exec("PRAGMA mmap_size=4294967296"); // the engine maps its file as well
    exec("PRAGMA cache_size=-1000000");
    exec("CREATE TABLE t(id INTEGER NOT NULL, k INTEGER NOT NULL, v INTEGER NOT NULL, s TEXT NOT NULL)");
    exec("CREATE INDEX t_id ON t(id)");
    exec("CREATE INDEX t_k ON t(k)");
    exec("CREATE INDEX t_s ON t(s)");
    auto prepare = [&](const char* sql) {
        sqlite3_stmt* st = nullptr;
        check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, sql);
        return st;
    };
    sqlite3_stmt* ins = prepare("INSERT INTO t(rowid, id, k, v, s) VALUES(?, ?, ?, ?, ?)");
    auto t0 = Clock::now();
    exec("BEGIN");
    for (std::size_t i = 0; i < w.rows; i++) {
        std::string s = text16(w.ids[i]);
        sqlite3_bind_int64(ins, 1, std::int64_t(i) + 1);
        sqlite3_bind_int(ins, 2, w.ids[i]);
        sqlite3_bind_int(ins, 3, w.ks[i]);
        sqlite3_bind_int(ins, 4, w.vs[i]);
        sqlite3_bind_text(ins, 5, s.c_str(), int(s.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(ins), db, "insert");
        sqlite3_reset(ins);
    }
    exec("COMMIT");
    f.bulkInsert = secondsSince(t0);
    sqlite3_finalize(ins);

    exec("BEGIN");
    sqlite3_stmt* byRowid = prepare("SELECT v FROM t WHERE rowid = ?");
    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        sqlite3_bind_int64(byRowid, 1, std::int64_t(n) + 1);
        while (sqlite3_step(byRowid) == SQLITE_ROW)
            f.sumOid += std::uint64_t(sqlite3_column_int(byRowid, 0));
        sqlite3_reset(byRowid);
    }
    f.byOid = secondsSince(t0) / double(w.lookups.size());
    sqlite3_finalize(byRowid);

    sqlite3_stmt* byKey = prepare("SELECT v FROM t WHERE id = ?");
    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        sqlite3_bind_int(byKey, 1, w.ids[n]);
        while (sqlite3_step(byKey) == SQLITE_ROW)
            f.sumKey += std::uint64_t(sqlite3_column_int(byKey, 0));
        sqlite3_reset(byKey);
    }
    f.byKey = secondsSince(t0) / double(w.lookups.size());
    sqlite3_finalize(byKey);

    sqlite3_stmt* range = prepare("SELECT v FROM t WHERE k BETWEEN ? AND ?");
    t0 = Clock::now();
    for (std::int32_t low : w.ranges) {
        sqlite3_bind_int(range, 1, low);
        sqlite3_bind_int(range, 2, low + w.rangeWidth - 1);
        while (sqlite3_step(range) == SQLITE_ROW)
            f.sumRange += std::uint64_t(sqlite3_column_int(range, 0));
        sqlite3_reset(range);
    }
    f.range = secondsSince(t0) / double(w.ranges.size());
    sqlite3_finalize(range);

    sqlite3_stmt* byText = prepare("SELECT v FROM t WHERE s = ?");
    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        std::string text = text16(w.ids[n]);
        sqlite3_bind_text(byText, 1, text.c_str(), int(text.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(byText) == SQLITE_ROW)
            f.sumText += std::uint64_t(sqlite3_column_int(byText, 0));
        sqlite3_reset(byText);
    }
    f.byText = secondsSince(t0) / double(w.lookups.size());
    sqlite3_finalize(byText);

    sqlite3_stmt* textRange = prepare("SELECT v FROM t WHERE s BETWEEN ? AND ?");
    const std::int32_t textWidth = std::int32_t(w.rows / 100);
    t0 = Clock::now();
    for (std::int32_t low : w.textRanges) {
        std::string lo = text16(low), hi = text16(low + textWidth - 1);
        sqlite3_bind_text(textRange, 1, lo.c_str(), int(lo.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(textRange, 2, hi.c_str(), int(hi.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(textRange) == SQLITE_ROW)
            f.sumTextRange += std::uint64_t(sqlite3_column_int(textRange, 0));
        sqlite3_reset(textRange);
    }
    f.textRange = secondsSince(t0) / double(w.textRanges.size());
    sqlite3_finalize(textRange);

    sqlite3_stmt* scan = prepare("SELECT v FROM t WHERE v < ?");
    const int scans = w.rows >= 1000000 ? 5 : 50;
    t0 = Clock::now();
    for (int i = 0; i < scans; i++) {
        std::uint64_t sum = 0;
        sqlite3_bind_int(scan, 1, w.scanBound);
        while (sqlite3_step(scan) == SQLITE_ROW)
            sum += std::uint64_t(sqlite3_column_int(scan, 0));
        sqlite3_reset(scan);
        f.sumScan = sum;
    }
    f.scan = secondsSince(t0) / scans;
    sqlite3_finalize(scan);
    exec("COMMIT");

    sqlite3_stmt* upd = prepare("UPDATE t SET v = ? WHERE rowid = ?");
    CommitTimes times;
    for (int i = 0; i < w.commits; i++) {
        std::size_t n = w.lookups[std::size_t(i)];
        times.start();
        exec("BEGIN");
        sqlite3_bind_int(upd, 1, w.vs[n] + 1);
        sqlite3_bind_int64(upd, 2, std::int64_t(n) + 1);
        check(sqlite3_step(upd), db, "update");
        sqlite3_reset(upd);
        exec("COMMIT");
        times.stop();
    }
    f.commit = times.median();
    f.commitCpu = times.cpuMedian();
    sqlite3_finalize(upd);

    sqlite3_stmt* del = prepare("DELETE FROM t WHERE id = ?");
    t0 = Clock::now();
    exec("BEGIN");
    for (std::size_t n : w.removals) {
        sqlite3_bind_int(del, 1, w.ids[n]);
        check(sqlite3_step(del), db, "delete");
        f.removed += std::uint64_t(sqlite3_changes(db));
        sqlite3_reset(del);
    }
    exec("COMMIT");
    f.removal = secondsSince(t0);
    sqlite3_finalize(del);
    sqlite3_close(db);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(file + suffix);
    f.ran = true;
    return f;
}

// ---- LMDB ---------------------------------------------------------------------------------------
// A key-value store: the primary database maps the row number (the object id's counterpart) to
// the row, a second database maps id to the row number (its hash index's counterpart) and a
// third maps k to row numbers (sorted duplicates; the T-tree's counterpart).

struct LmdbRow {
    std::int32_t id, k, v;
    char s[20];
};

void lcheck(int rc, const char* what)
{
    if (rc != MDB_SUCCESS) {
        std::fprintf(stderr, "lmdb %s: %s\n", what, mdb_strerror(rc));
        std::exit(1);
    }
}

// Big-endian keys sort numerically under LMDB's byte order.
std::uint32_t bigEndian(std::uint32_t x)
{
    return __builtin_bswap32(x);
}
std::uint32_t orderedKey(std::int32_t k)
{
    return bigEndian(std::uint32_t(k) ^ 0x80000000u);
}

Figures runLmdb(const Workload& w, const std::string& dir)
{
    Figures f;
    std::string path = dir + "/lmdb";
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    MDB_env* env;
    lcheck(mdb_env_create(&env), "create");
    lcheck(mdb_env_set_mapsize(env, std::size_t(w.rows) * 400 + (64u << 20)), "mapsize");
    lcheck(mdb_env_set_maxdbs(env, 5), "maxdbs");
    lcheck(mdb_env_open(env, path.c_str(), 0, 0644), "open"); // default: durable commits
    MDB_txn* txn;
    MDB_dbi rowsDbi, idDbi, kDbi, sDbi;
    auto t0 = Clock::now();
    lcheck(mdb_txn_begin(env, nullptr, 0, &txn), "begin");
    lcheck(mdb_dbi_open(txn, "rows", MDB_CREATE | MDB_INTEGERKEY, &rowsDbi), "dbi");
    lcheck(mdb_dbi_open(txn, "id", MDB_CREATE | MDB_INTEGERKEY, &idDbi), "dbi");
    lcheck(mdb_dbi_open(txn, "k", MDB_CREATE | MDB_DUPSORT | MDB_DUPFIXED | MDB_INTEGERDUP, &kDbi), "dbi");
    lcheck(mdb_dbi_open(txn, "s", MDB_CREATE, &sDbi), "dbi");
    for (std::size_t i = 0; i < w.rows; i++) {
        std::uint32_t rowNo = std::uint32_t(i);
        LmdbRow r{w.ids[i], w.ks[i], w.vs[i], {}};
        std::string s = text16(w.ids[i]);
        std::memcpy(r.s, s.c_str(), s.size() + 1);
        MDB_val key{sizeof rowNo, &rowNo}, val{sizeof r, &r};
        lcheck(mdb_put(txn, rowsDbi, &key, &val, MDB_APPEND), "put row");
        std::uint32_t id = std::uint32_t(w.ids[i]);
        MDB_val idKey{sizeof id, &id}, idVal{sizeof rowNo, &rowNo};
        lcheck(mdb_put(txn, idDbi, &idKey, &idVal, 0), "put id");
        std::uint32_t k = orderedKey(w.ks[i]);
        MDB_val kKey{sizeof k, &k}, kVal{sizeof rowNo, &rowNo};
        lcheck(mdb_put(txn, kDbi, &kKey, &kVal, 0), "put k");
        MDB_val sKey{s.size(), const_cast<char*>(s.data())}, sVal{sizeof rowNo, &rowNo};
        lcheck(mdb_put(txn, sDbi, &sKey, &sVal, 0), "put s");
    }
    lcheck(mdb_txn_commit(txn), "commit");
    f.bulkInsert = secondsSince(t0);

    lcheck(mdb_txn_begin(env, nullptr, MDB_RDONLY, &txn), "begin");
    auto readRow = [&](std::uint32_t rowNo) {
        MDB_val key{sizeof rowNo, &rowNo}, val;
        lcheck(mdb_get(txn, rowsDbi, &key, &val), "get");
        return static_cast<const LmdbRow*>(val.mv_data)->v;
    };
    t0 = Clock::now();
    for (std::size_t n : w.lookups)
        f.sumOid += std::uint64_t(readRow(std::uint32_t(n)));
    f.byOid = secondsSince(t0) / double(w.lookups.size());

    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        std::uint32_t id = std::uint32_t(w.ids[n]);
        MDB_val key{sizeof id, &id}, val;
        if (mdb_get(txn, idDbi, &key, &val) == MDB_SUCCESS) {
            std::uint32_t rowNo;
            std::memcpy(&rowNo, val.mv_data, 4);
            f.sumKey += std::uint64_t(readRow(rowNo));
        }
    }
    f.byKey = secondsSince(t0) / double(w.lookups.size());

    t0 = Clock::now();
    for (std::size_t n : w.lookups) {
        std::string text = text16(w.ids[n]);
        MDB_val key{text.size(), text.data()}, val;
        if (mdb_get(txn, sDbi, &key, &val) == MDB_SUCCESS) {
            std::uint32_t rowNo;
            std::memcpy(&rowNo, val.mv_data, 4);
            f.sumText += std::uint64_t(readRow(rowNo));
        }
    }
    f.byText = secondsSince(t0) / double(w.lookups.size());

    MDB_cursor* cur;
    lcheck(mdb_cursor_open(txn, sDbi, &cur), "cursor");
    const std::int32_t textWidth = std::int32_t(w.rows / 100);
    t0 = Clock::now();
    for (std::int32_t low : w.textRanges) {
        std::string lo = text16(low), hi = text16(low + textWidth - 1);
        MDB_val key{lo.size(), lo.data()}, val;
        int rc = mdb_cursor_get(cur, &key, &val, MDB_SET_RANGE);
        while (rc == MDB_SUCCESS) {
            std::string got(static_cast<const char*>(key.mv_data), key.mv_size);
            if (got > hi)
                break;
            std::uint32_t rowNo;
            std::memcpy(&rowNo, val.mv_data, 4);
            f.sumTextRange += std::uint64_t(readRow(rowNo));
            rc = mdb_cursor_get(cur, &key, &val, MDB_NEXT);
        }
    }
    f.textRange = secondsSince(t0) / double(w.textRanges.size());
    mdb_cursor_close(cur);

    lcheck(mdb_cursor_open(txn, kDbi, &cur), "cursor");
    t0 = Clock::now();
    for (std::int32_t low : w.ranges) {
        std::uint32_t k = orderedKey(low);
        std::uint32_t end = orderedKey(low + w.rangeWidth - 1);
        MDB_val key{sizeof k, &k}, val;
        int rc = mdb_cursor_get(cur, &key, &val, MDB_SET_RANGE);
        while (rc == MDB_SUCCESS) {
            std::uint32_t got;
            std::memcpy(&got, key.mv_data, 4);
            if (bigEndian(got) > bigEndian(end))
                break;
            std::uint32_t rowNo;
            std::memcpy(&rowNo, val.mv_data, 4);
            f.sumRange += std::uint64_t(readRow(rowNo));
            rc = mdb_cursor_get(cur, &key, &val, MDB_NEXT);
        }
    }
    f.range = secondsSince(t0) / double(w.ranges.size());
    mdb_cursor_close(cur);

    lcheck(mdb_cursor_open(txn, rowsDbi, &cur), "cursor");
    const int scans = w.rows >= 1000000 ? 5 : 50;
    t0 = Clock::now();
    for (int i = 0; i < scans; i++) {
        std::uint64_t sum = 0;
        MDB_val key, val;
        int rc = mdb_cursor_get(cur, &key, &val, MDB_FIRST);
        while (rc == MDB_SUCCESS) {
            const auto* r = static_cast<const LmdbRow*>(val.mv_data);
            if (r->v < w.scanBound)
                sum += std::uint64_t(r->v);
            rc = mdb_cursor_get(cur, &key, &val, MDB_NEXT);
        }
        f.sumScan = sum;
    }
    f.scan = secondsSince(t0) / scans;
    mdb_cursor_close(cur);
    mdb_txn_abort(txn);

    CommitTimes times;
    for (int i = 0; i < w.commits; i++) {
        std::uint32_t rowNo = std::uint32_t(w.lookups[std::size_t(i)]);
        times.start();
        lcheck(mdb_txn_begin(env, nullptr, 0, &txn), "begin");
        MDB_val key{sizeof rowNo, &rowNo}, val;
        lcheck(mdb_get(txn, rowsDbi, &key, &val), "get");
        LmdbRow r;
        std::memcpy(&r, val.mv_data, sizeof r);
        r.v += 1;
        MDB_val nv{sizeof r, &r};
        lcheck(mdb_put(txn, rowsDbi, &key, &nv, 0), "put");
        lcheck(mdb_txn_commit(txn), "commit");
        times.stop();
    }
    f.commit = times.median();
    f.commitCpu = times.cpuMedian();

    // Removal by key: the id entry leads to the row, whose k and s entries go with it.
    t0 = Clock::now();
    lcheck(mdb_txn_begin(env, nullptr, 0, &txn), "begin");
    for (std::size_t n : w.removals) {
        std::uint32_t id = std::uint32_t(w.ids[n]);
        MDB_val idKey{sizeof id, &id}, idVal;
        if (mdb_get(txn, idDbi, &idKey, &idVal) != MDB_SUCCESS)
            continue;
        std::uint32_t rowNo;
        std::memcpy(&rowNo, idVal.mv_data, 4);
        MDB_val rowKey{sizeof rowNo, &rowNo}, rowVal;
        lcheck(mdb_get(txn, rowsDbi, &rowKey, &rowVal), "get");
        LmdbRow r;
        std::memcpy(&r, rowVal.mv_data, sizeof r);
        std::uint32_t k = orderedKey(r.k);
        MDB_val kKey{sizeof k, &k}, kVal{sizeof rowNo, &rowNo};
        lcheck(mdb_del(txn, kDbi, &kKey, &kVal), "del k");
        MDB_val sKey{std::strlen(r.s), r.s};
        lcheck(mdb_del(txn, sDbi, &sKey, nullptr), "del s");
        lcheck(mdb_del(txn, idDbi, &idKey, nullptr), "del id");
        lcheck(mdb_del(txn, rowsDbi, &rowKey, nullptr), "del row");
        f.removed++;
    }
    lcheck(mdb_txn_commit(txn), "commit");
    f.removal = secondsSince(t0);
    mdb_env_close(env);
    std::filesystem::remove_all(path);
    f.ran = true;
    return f;
}

// ---- Report -------------------------------------------------------------------------------------

void report(std::size_t rows, const std::map<std::string, Figures>& all)
{
    const Figures& e = all.at("engine");
    std::printf("\n%zu rows\n", rows);
    std::printf("  %-28s %14s %14s %14s %14s\n", "figure", "engine", "sqlite-wal", "sqlite-journal", "lmdb");
    struct Line {
        const char* name;
        double Figures::*field;
        double scale;
        const char* unit;
    } lines[] = {
        {"bulk insert + commit", &Figures::bulkInsert, 1e3, "ms"},
        {"single-row commit, median", &Figures::commit, 1e6, "us"},
        {"  its processor time", &Figures::commitCpu, 1e6, "us"},
        {"lookup by oid", &Figures::byOid, 1e9, "ns"},
        {"lookup by hash key", &Figures::byKey, 1e9, "ns"},
        {"lookup by text key", &Figures::byText, 1e9, "ns"},
        {"T-tree range scan (1 %)", &Figures::range, 1e6, "us"},
        {"text range scan (1 %)", &Figures::textRange, 1e6, "us"},
        {"full scan, v < 100", &Figures::scan, 1e3, "ms"},
        {"remove 10 % by key", &Figures::removal, 1e3, "ms"},
    };
    const char* engines[] = {"engine", "sqlite-wal", "sqlite-journal", "lmdb"};
    for (const Line& l : lines) {
        std::printf("  %-25s %2s", l.name, l.unit);
        for (const char* name : engines) {
            auto it = all.find(name);
            if (it == all.end() || !it->second.ran)
                std::printf(" %14s", "-");
            else
                std::printf(" %14.2f", it->second.*l.field * l.scale);
        }
        std::printf("\n");
    }
    std::printf("  ratios (other / engine: above 1 means the engine is faster)\n");
    for (const Line& l : lines) {
        std::printf("  %-28s %14s", l.name, "");
        for (int i = 1; i < 4; i++) {
            auto it = all.find(engines[i]);
            if (it == all.end() || !it->second.ran || e.*l.field <= 0)
                std::printf(" %14s", "-");
            else
                std::printf(" %13.2fx", it->second.*l.field / (e.*l.field));
        }
        std::printf("\n");
    }
    bool same = true;
    for (const auto& [name, f] : all) {
        if (f.ran && (f.sumOid != e.sumOid || f.sumKey != e.sumKey || f.sumRange != e.sumRange ||
                      f.sumScan != e.sumScan || f.sumText != e.sumText || f.sumTextRange != e.sumTextRange ||
                      f.removed != e.removed)) {
            same = false;
            std::printf(
                "  CHECKSUM MISMATCH: %s (oid %llu/%llu key %llu/%llu range %llu/%llu scan %llu/%llu text "
                "%llu/%llu text range %llu/%llu removed %llu/%llu)\n",
                name.c_str(), (unsigned long long)f.sumOid, (unsigned long long)e.sumOid,
                (unsigned long long)f.sumKey, (unsigned long long)e.sumKey, (unsigned long long)f.sumRange,
                (unsigned long long)e.sumRange, (unsigned long long)f.sumScan, (unsigned long long)e.sumScan,
                (unsigned long long)f.sumText, (unsigned long long)e.sumText,
                (unsigned long long)f.sumTextRange, (unsigned long long)e.sumTextRange,
                (unsigned long long)f.removed, (unsigned long long)e.removed);
        }
    }
    if (same)
        std::printf("  result checksums: equal for every engine\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> sizes;
    std::string dir = ".";
    std::string only; // run one engine (for profiling)
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
            dir = argv[++i];
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else
            sizes.push_back(std::size_t(std::strtoull(argv[i], nullptr, 10)));
    }
    if (sizes.empty())
        sizes = {10000, 1000000};
    std::filesystem::create_directories(dir);
    std::printf("SQLite %s; synchronous=FULL; WAL and rollback-journal files; mmap on\n",
                sqlite3_libversion());
    for (std::size_t n : sizes) {
        Workload w(n);
        std::map<std::string, Figures> all;
        std::printf("running %zu rows...\n", n);
        std::fflush(stdout);
        all["engine"] = runEngine(w, dir);
        if (only.empty() || only == "sqlite-wal")
            all["sqlite-wal"] = runSqlite(w, dir, true);
        if (only.empty() || only == "sqlite-journal")
            all["sqlite-journal"] = runSqlite(w, dir, false);
        if (only.empty() || only == "lmdb")
            all["lmdb"] = runLmdb(w, dir);
        report(n, all);
        std::fflush(stdout);
    }
    return 0;
}
