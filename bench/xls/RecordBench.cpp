// Loading the cell records of a full sheet: 65,536 rows of four cells (NUMBER, RK, LABELSST,
// BLANK) after their ROW records. Reports time per record and heap allocations per record (the
// record objects are what a large sheet's memory is made of: one allocation each is the aim).

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/tests/WorkbookDocument.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t Size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(Size ? Size : 1))
        return p;
    throw std::bad_alloc();
}
// These replace the global operators as a pair; the compiler cannot see that and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* P) noexcept
{
    std::free(P);
}
void operator delete(void* P, std::size_t) noexcept
{
    std::free(P);
}
#pragma GCC diagnostic pop

namespace {

using xlstest::EmptyDocument;

void Put(ByteArray& Out, Word Id, std::initializer_list<Word> Words, Integer Extra = 0)
{
    const size_t at = Out.size();
    Out.resize(at + 4 + 2 * Words.size() + static_cast<size_t>(Extra), 0);
    SetWord(Out.data(), static_cast<Integer>(at), Id);
    SetWord(Out.data(), static_cast<Integer>(at + 2), static_cast<Word>(2 * Words.size() + Extra));
    Integer p = static_cast<Integer>(at + 4);
    for (Word w : Words) {
        SetWord(Out.data(), p, w);
        p += 2;
    }
}

// A document whose stream holds the sheet's ROW and cell records.
ByteArray SheetDocument(Integer Rows)
{
    ByteArray stream;
    for (Integer r = 0; r < Rows; ++r) {
        const Word row = static_cast<Word>(r);
        Put(stream, 0x0208, {row, 0, 4, 255, 0, 0, 0x100, 15});
        Put(stream, 0x0203, {row, 0, 15}, 8);    // NUMBER
        Put(stream, 0x027E, {row, 1, 15, 0, 0}); // RK
        Put(stream, 0x00FD, {row, 2, 15, 0, 0}); // LABELSST
        Put(stream, 0x0201, {row, 3, 15});       // BLANK
    }
    ByteArray source = EmptyDocument();
    TOle2MemoryStream in(source), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(stream.data(), static_cast<Integer>(stream.size()));
        f.FinishStream();
    }
    return out.Bytes();
}

void BM_LoadSheetRecords(benchmark::State& State)
{
    const Integer rows = static_cast<Integer>(State.range(0));
    const ByteArray doc = SheetDocument(rows);
    const Int64 records = 5LL * rows;
    long allocated = 0;
    for (auto _ : State) {
        TOle2MemoryStream ms(doc);
        TOle2File f(&ms);
        f.SelectStream(u"Workbook");
        std::vector<std::unique_ptr<TBaseRecord>> recs;
        recs.reserve(static_cast<size_t>(records));
        const long before = allocations.load();
        TRecordHeader h;
        ReadRecordHeader(f, h);
        for (Int64 i = 0; i < records; ++i)
            recs.push_back(LoadRecords(f, h));
        allocated += allocations.load() - before;
        benchmark::DoNotOptimize(recs.data());
    }
    State.SetItemsProcessed(State.iterations() * records);
    State.counters["allocations_per_record"] =
        static_cast<double>(allocated) / static_cast<double>(State.iterations() * records);
}
BENCHMARK(BM_LoadSheetRecords)->Arg(16384)->Arg(65536)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
