// Record storage and index lookups of the database engine: inserting records with a hash and a
// T-tree index, exact-match hash lookups, T-tree range searches and ordered traversals.
#include "engine286/HashIndex.h"
#include "engine286/Records.h"
#include "engine286/Schema.h"
#include "engine286/TTree.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct Row {
    std::int32_t id;    // hash index
    std::int32_t value; // T-tree index
    const char* name;
};

dbFieldDescriptor* describeRow()
{
    return describeInt4Field(new dbFieldDescriptor("id", offsetof(Row, id), 4, HASHED))
        ->chain(describeInt4Field(new dbFieldDescriptor("value", offsetof(Row, value), 4, INDEXED)))
        ->chain(describeStringField(new dbFieldDescriptor("name", offsetof(Row, name), sizeof(char*), 0)));
}

// A database with n rows: id = i, value = (i * 7919) mod n, name "row<i>".
struct Filled {
    std::filesystem::path dir;
    dbDatabase db;
    dbTableDescriptor table{"BenchRow", &db, sizeof(Row), describeRow};
    int n;

    explicit Filled(int rows) : n(rows)
    {
        dir = std::filesystem::temp_directory_path() / ("recordBench." + std::to_string(getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::string name = (dir / "bench").string();
        db.open(name.c_str(), (name + ".fdb").c_str());
        dbLoadSchema(db, true);
        for (int i = 0; i < n; i++) {
            std::string s = "row" + std::to_string(i);
            Row r{i, int(std::int64_t(i) * 7919 % n), s.c_str()};
            dbInsertRecord(db, &table, &r);
        }
        db.commit();
        db.beginTransaction(dbSharedLock);
    }
    ~Filled()
    {
        db.close();
        dbUnbindTables(db);
        std::filesystem::remove_all(dir);
    }
    dbSearchContext context(const dbFieldDescriptor* fd)
    {
        dbSearchContext sc;
        sc.type = fd->type;
        sc.sizeofType = int(fd->dbsSize);
        sc.offs = fd->dbsOffs;
        return sc;
    }
};

bool countRow(oid_t, void* arg)
{
    ++*static_cast<std::int64_t*>(arg);
    return true;
}

void BM_InsertIndexedRecords(benchmark::State& state)
{
    const int batch = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        {
            Filled f(0);
            state.ResumeTiming();
            for (int i = 0; i < batch; i++) {
                Row r{i, batch - i, "name"};
                dbInsertRecord(f.db, &f.table, &r);
            }
            f.db.commit();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_InsertIndexedRecords)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_HashLookup(benchmark::State& state)
{
    Filled f(int(state.range(0)));
    dbFieldDescriptor* fd = f.table.findField("id");
    std::int64_t found = 0, probes = 0;
    std::int32_t key = 0;
    for (auto _ : state) {
        dbSearchContext sc = f.context(fd);
        sc.firstKey = &key;
        sc.add = countRow;
        sc.addArg = &found;
        findInHashTable(f.db, fd->hashTable, sc);
        probes += sc.probes;
        key = (key + 7) % f.n;
    }
    benchmark::DoNotOptimize(found);
    state.counters["probes"] = double(probes) / double(state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HashLookup)->Arg(100000);

void BM_TTreeRange(benchmark::State& state)
{
    Filled f(100000);
    dbFieldDescriptor* fd = f.table.findField("value");
    const std::int32_t width = std::int32_t(state.range(0));
    std::int64_t found = 0;
    std::int32_t low = 0;
    for (auto _ : state) {
        std::int32_t high = low + width - 1;
        dbSearchContext sc = f.context(fd);
        sc.firstKey = &low;
        sc.lastKey = &high;
        sc.add = countRow;
        sc.addArg = &found;
        findInTTree(f.db, fd->tTree, sc);
        low = (low + 997) % (f.n - width);
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * width);
}
BENCHMARK(BM_TTreeRange)->Arg(1)->Arg(1000);

void BM_TTreeOrderedScan(benchmark::State& state)
{
    Filled f(100000);
    dbFieldDescriptor* fd = f.table.findField("value");
    std::int64_t found = 0;
    for (auto _ : state) {
        dbSearchContext sc = f.context(fd);
        sc.add = countRow;
        sc.addArg = &found;
        visitAscending(f.db, fd->tTree, sc);
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * f.n);
}
BENCHMARK(BM_TTreeOrderedScan)->Unit(benchmark::kMillisecond);

void BM_UnpackRecord(benchmark::State& state)
{
    Filled f(1000);
    oid_t first = f.db.getTable(f.table.tableId)->firstRow;
    Row r{};
    for (auto _ : state) {
        dbUnpackRecord(&f.table, &r, f.db.getRow(first));
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnpackRecord);

} // namespace

BENCHMARK_MAIN();
