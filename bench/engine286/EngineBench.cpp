// Commit latency and object allocation of the database engine.
#include "engine286/Database.h"
#include "engine286/TableDefinition.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct BenchDatabase {
    std::filesystem::path dir;
    dbDatabase db;
    oid_t table = 0;

    BenchDatabase()
    {
        dir = std::filesystem::temp_directory_path() / ("engineBench." + std::to_string(getpid()));
        start();
    }
    // A fresh, empty database (long runs would otherwise fill the format's 2 GB).
    void restart()
    {
        db.close();
        start();
    }
    void start()
    {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::string name = (dir / "bench").string();
        db.open(name.c_str(), (name + ".fdb").c_str());
        db.beginTransaction(dbExclusiveLock);
        table = db.allocateRow(dbMetatableId, dbTableDefinitionSize("B", {}));
        dbWriteTableDefinition(static_cast<dbTable*>(db.getRow(table)), "B", {}, sizeof(dbRecord), 0);
        db.commit();
    }
    ~BenchDatabase()
    {
        db.close();
        std::filesystem::remove_all(dir);
    }
    oid_t insert(std::uint32_t size)
    {
        db.beginTransaction(dbExclusiveLock);
        return db.allocateRow(table, size);
    }
};

// One small row changed, then a durable commit (two flushes).
void BM_CommitOneChange(benchmark::State& state)
{
    BenchDatabase b;
    oid_t row = b.insert(64);
    b.db.commit();
    int i = 0;
    for (auto _ : state) {
        b.db.beginTransaction(dbExclusiveLock);
        char* body = reinterpret_cast<char*>(b.db.getWritableRow(row)) + sizeof(dbRecord);
        std::memcpy(body, &++i, sizeof i);
        b.db.commit();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommitOneChange)->Unit(benchmark::kMicrosecond);

// New rows of a given size inside one transaction (no commit in the loop).
void BM_AllocateRows(benchmark::State& state)
{
    BenchDatabase b;
    const std::uint32_t size = std::uint32_t(state.range(0));
    std::int64_t n = 0;
    for (auto _ : state) {
        b.insert(size);
        if (++n % 50000 == 0) {
            state.PauseTiming();
            b.db.commit();
            if (n * size > 256 * 1024 * 1024)
                b.restart();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
    b.db.commit();
}
BENCHMARK(BM_AllocateRows)->Arg(32)->Arg(200)->Arg(4096);

// Allocation and immediate free of space (the allocator alone, no object ids).
void BM_AllocateFreeSpace(benchmark::State& state)
{
    BenchDatabase b;
    b.db.beginTransaction(dbExclusiveLock);
    for (auto _ : state) {
        offs_t pos = b.db.allocateSpace(100);
        b.db.freeSpace(pos, 100);
    }
    state.SetItemsProcessed(state.iterations());
    b.db.rollback();
}
BENCHMARK(BM_AllocateFreeSpace);

} // namespace

BENCHMARK_MAIN();
