// Hiding and showing one row of the string grid at 10,000 and at 100,000 rows (the figures are
// to be equal within noise: a single row's cost does not depend on the row count), 50,000
// single hides in a grid of 100,000 rows (budget 1 s), and the bytes a cell with properties
// costs (budget 100 bytes). Each case of the grid reports its budget as the counter budget_us or budget_ms.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>

namespace {

constexpr Integer Cols = 10;

TForm* BenchForm()
{
    return uitest::BenchForm(1000, 700);
}

TDidAririzEvar* MakeGrid(Integer Rows)
{
    auto* G = New<TDidAririzEvar>(BenchForm());
    G->SetBounds(0, 0, 960, 640);
    G->SetParent(BenchForm());
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    char Text[32];
    for (Integer R = 0; R < Rows; ++R)
        for (Integer C = 0; C < Cols; ++C) {
            std::snprintf(Text, sizeof Text, "R%dC%d", static_cast<int>(R), static_cast<int>(C));
            G->SetCells(C, R, Text);
        }
    uitest::PumpUntilIdle();
    return G;
}

// One row in the middle hidden and shown again, per iteration.
void BM_GridHideShowOneRow(benchmark::State& State)
{
    const Integer Rows = static_cast<Integer>(State.range(0));
    auto* G = MakeGrid(Rows);
    const Integer R = Rows / 3;
    for (auto _ : State) {
        G->HideRow(R);
        G->UnHideRow(R);
    }
    if (G->RowCount() != Rows || G->Cells(0, R) != "R" + std::to_string(R) + "C0")
        State.SkipWithError("rows lost");
    State.counters["budget_us"] = 20;
    G->Free();
}
BENCHMARK(BM_GridHideShowOneRow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// 50,000 rows of 100,000 hidden one call each, spread over the grid.
void BM_GridFiftyThousandSingleHides(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        auto* G = MakeGrid(100000);
        State.ResumeTiming();
        for (Integer I = 0; I < 50000; ++I)
            G->HideRow(1 + static_cast<Integer>((static_cast<Int64>(I) * 7919) % 99999));
        State.PauseTiming();
        if (G->NumHiddenRows() < 40000)
            State.SkipWithError("rows not hidden");
        G->Free();
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 1000;
}
BENCHMARK(BM_GridFiftyThousandSingleHides)->Unit(benchmark::kMillisecond)->Iterations(1);

// Heap bytes per cell of 100,000 x 20 cells with a text and a font colour (a property record
// each), counted by the allocator; budget 100 bytes.
void BM_GridBytesPerCellWithProperties(benchmark::State& State)
{
    constexpr Integer N = 100000, C = 20;
    for (auto _ : State) {
        auto* G = New<TDidAririzEvar>(BenchForm());
        G->SetColCount(C);
        G->SetRowCount(N);
        const size_t Before = mallinfo2().uordblks;
        for (Integer R = 0; R < N; ++R)
            for (Integer K = 0; K < C; ++K) {
                G->SetCells(K, R, "x");
                G->GetCellProperties(K, R)->SetFontColor(0xFF);
            }
        const size_t After = mallinfo2().uordblks;
        State.counters["bytes_per_cell"] = static_cast<double>(After - Before) / (double(N) * C);
        State.PauseTiming();
        G->Free();
        State.ResumeTiming();
    }
    State.counters["budget_bytes"] = 100;
}
BENCHMARK(BM_GridBytesPerCellWithProperties)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
