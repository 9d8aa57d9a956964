// Shared string table costs that grow with the number of strings: loading (and sorting) a file's
// table whose strings come in an unfavourable order, and adding many distinct texts as an export
// of a large sheet does. Both must grow about linearly: doubling n should less than triple the
// time.

#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/XlsSST.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

std::string Text(int K)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "s%07d", K);
    return buf;
}

// An SST record with its CONTINUE records holding N equal-length texts in organ-pipe order of
// their entry order (0, 2, 4, ..., 5, 3, 1): a plausible order in a file, and the one on which a
// middle-pivot quicksort turns quadratic.
std::unique_ptr<TBaseRecord> AdversarialTable(int N)
{
    std::vector<int> order;
    for (int i = 0; i < N; i += 2)
        order.push_back(i);
    for (int i = (N % 2 == 0 ? N - 1 : N - 2); i > 0; i -= 2)
        order.push_back(i);
    std::vector<ByteArray> pieces(1);
    ByteArray& head = pieces[0];
    head.resize(8, 0);
    SetLongWord(head.data(), 0, static_cast<LongWord>(N));
    SetLongWord(head.data(), 4, static_cast<LongWord>(N));
    for (int k : order) {
        const std::string t = Text(k);
        if (pieces.back().size() + 3 + t.size() > xlr_BIFF8MaxData)
            pieces.emplace_back(); // a string may start a CONTINUE with no option byte before it
        ByteArray& p = pieces.back();
        p.push_back(static_cast<Byte>(t.size()));
        p.push_back(0);
        p.push_back(0);
        p.insert(p.end(), t.begin(), t.end());
    }
    std::unique_ptr<TBaseRecord> rec = CreateRecordById(0x00FC, pieces[0]);
    TBaseRecord* tail = rec.get();
    for (size_t i = 1; i < pieces.size(); ++i) {
        tail->AddContinue(std::make_unique<TContinueRecord>(xlr_CONTINUE, pieces[i]));
        tail = tail->Continue();
    }
    return rec;
}

void BM_LoadAndSortAdversarialOrder(benchmark::State& State)
{
    const int n = static_cast<int>(State.range(0));
    std::unique_ptr<TBaseRecord> rec = AdversarialTable(n);
    for (auto _ : State) {
        TSST table;
        table.Load(static_cast<TSSTRecord&>(*rec));
        table.Sort();
        benchmark::DoNotOptimize(table.GetItems(0));
    }
    State.SetItemsProcessed(State.iterations() * n);
}
BENCHMARK(BM_LoadAndSortAdversarialOrder)
    ->RangeMultiplier(2)
    ->Range(64000, 512000)
    ->Unit(benchmark::kMillisecond);

// N distinct texts added one by one, then each added once more (found, not stored again).
void BM_AddDistinctStrings(benchmark::State& State)
{
    const int n = static_cast<int>(State.range(0));
    std::vector<WideString> texts;
    texts.reserve(n);
    for (int i = 0; i < n; ++i)
        texts.push_back(StringToWideStringNoCodePage("Prize " + Text(static_cast<int>((i * 7919LL) % n))));
    for (auto _ : State) {
        TSST table;
        for (const WideString& t : texts)
            benchmark::DoNotOptimize(table.AddString(t));
        for (const WideString& t : texts)
            benchmark::DoNotOptimize(table.AddString(t));
    }
    State.SetItemsProcessed(State.iterations() * n);
}
BENCHMARK(BM_AddDistinctStrings)
    ->Arg(50000)
    ->Arg(100000)
    ->Arg(200000)
    ->Arg(400000)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
