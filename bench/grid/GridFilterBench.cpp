// Filtering the string grid at 100,000 rows x 20 columns: applying a one-condition filter
// (budget 300 ms), taking it away (budget 100 ms) and one narrowing keystroke of the incremental
// filter (budget 200 ms). The anchor is the condition matcher alone over the same 100,000 texts:
// a filter pays that once and then moves the failing rows in one pass.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/support/DerOdoz.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr Integer Cols = 20;
constexpr Integer Rows = 100000;

TForm* BenchForm()
{
    return uitest::BenchForm(1000, 700);
}

// Row r holds "R<r>C<c>"; column 1 also holds r's last digit twice, so "*5*" keeps a tenth
// and more of the rows.
TDidAririzEvar* MakeGrid()
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

void SetCondition(TDidAririzEvar* G, const char* Condition)
{
    G->Filter()->Clear();
    TFilterData* F = G->Filter()->Add();
    F->Column = 1;
    F->Condition = Condition;
    F->Data = fcNormal;
}

void BM_GridFilterMatcherAnchor(benchmark::State& State)
{
    auto* G = MakeGrid();
    for (auto _ : State) {
        Integer Kept = 0;
        for (Integer R = 1; R < Rows; ++R)
            Kept += MatchStrEx("*5*", G->Cells(1, R), true) ? 1 : 0;
        benchmark::DoNotOptimize(Kept);
    }
    G->Free();
}
BENCHMARK(BM_GridFilterMatcherAnchor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridFilterApply(benchmark::State& State)
{
    auto* G = MakeGrid();
    SetCondition(G, "*5*");
    for (auto _ : State) {
        G->SetFilterActive(true);
        State.PauseTiming();
        if (G->NumHiddenRows() == 0 || G->RowCount() == Rows)
            State.SkipWithError("no row filtered");
        G->SetFilterActive(false);
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 300;
    G->Free();
}
BENCHMARK(BM_GridFilterApply)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridFilterRemove(benchmark::State& State)
{
    auto* G = MakeGrid();
    SetCondition(G, "*5*");
    for (auto _ : State) {
        State.PauseTiming();
        G->SetFilterActive(true);
        State.ResumeTiming();
        G->SetFilterActive(false);
        State.PauseTiming();
        if (G->RowCount() != Rows || G->Cells(0, Rows - 1) != "R99999C0")
            State.SkipWithError("rows lost");
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 100;
    G->Free();
}
BENCHMARK(BM_GridFilterRemove)->Unit(benchmark::kMillisecond)->Iterations(3);

// "R1" shown (about 11,000 rows), then "R12" typed: only the rows still shown are tested.
void BM_GridNarrowDownKeystroke(benchmark::State& State)
{
    auto* G = MakeGrid();
    for (auto _ : State) {
        State.PauseTiming();
        G->NarrowDown("", 1);
        G->NarrowDown("R1", 1);
        State.ResumeTiming();
        G->NarrowDown("R12", 1);
        State.PauseTiming();
        if (G->HideLevel() != 2)
            State.SkipWithError("no level added");
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 200;
    G->Free();
}
BENCHMARK(BM_GridNarrowDownKeystroke)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
