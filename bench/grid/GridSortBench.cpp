// Sorting 100,000 rows of the string grid by a text, a number and a date column (each sort and
// the return to the first order), and inserting and removing 10,000 rows in the middle. Each case
// reports its budget in milliseconds as the counter budget_ms.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr Integer Rows = 100000;
constexpr Integer Cols = 6;

TForm* BenchForm()
{
    static TForm* Form = [] {
        TForm* F = uitest::BenchForm(1000, 700);
        FormatSettings.DateSeparator = '/';
        FormatSettings.ShortDateFormat = "dd/mm/yyyy";
        return F;
    }();
    return Form;
}

// Column 1 names, 2 amounts, 3 dates, 4 a row number; random but the same every run.
TDidAririzEvar* MakeFilledGrid()
{
    auto* G = New<TDidAririzEvar>(BenchForm());
    G->SetBounds(0, 0, 960, 640);
    G->SetParent(BenchForm());
    G->SetColCount(Cols);
    G->SetRowCount(Rows + 1);
    std::mt19937 Rng(42);
    char Text[64];
    for (Integer R = 1; R <= Rows; ++R) {
        std::snprintf(Text, sizeof Text, "Name %c%c%c %u", int('A' + Rng() % 26), int('a' + Rng() % 26),
                      int('a' + Rng() % 26), static_cast<unsigned>(Rng() % 1000));
        G->SetCells(1, R, Text);
        std::snprintf(Text, sizeof Text, "%u.%02u", static_cast<unsigned>(Rng() % 100000),
                      static_cast<unsigned>(Rng() % 100));
        G->SetCells(2, R, Text);
        std::snprintf(Text, sizeof Text, "%02u/%02u/%04u", static_cast<unsigned>(1 + Rng() % 28),
                      static_cast<unsigned>(1 + Rng() % 12), static_cast<unsigned>(1990 + Rng() % 40));
        G->SetCells(3, R, Text);
        std::snprintf(Text, sizeof Text, "%d", static_cast<int>(R));
        G->SetCells(4, R, Text);
    }
    uitest::PumpUntilIdle();
    return G;
}

void SortBy(benchmark::State& State, Integer ACol, Integer BudgetMs)
{
    auto* G = MakeFilledGrid();
    G->InitSortXRef();
    for (auto _ : State) {
        G->Sort(ACol, sdAscending);
        State.PauseTiming();
        G->QUnSort();
        State.ResumeTiming();
    }
    if (G->Cells(4, 1) != "1" || G->Cells(4, Rows) != std::to_string(Rows))
        State.SkipWithError("first order not restored");
    State.counters["budget_ms"] = static_cast<double>(BudgetMs);
    G->Free();
}

void BM_GridSortText(benchmark::State& State)
{
    SortBy(State, 1, 3000);
}
BENCHMARK(BM_GridSortText)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridSortNumber(benchmark::State& State)
{
    SortBy(State, 2, 3000);
}
BENCHMARK(BM_GridSortNumber)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridSortDate(benchmark::State& State)
{
    SortBy(State, 3, 8000);
}
BENCHMARK(BM_GridSortDate)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridUnSort(benchmark::State& State)
{
    auto* G = MakeFilledGrid();
    G->InitSortXRef();
    for (auto _ : State) {
        State.PauseTiming();
        G->Sort(2, sdDescending);
        State.ResumeTiming();
        G->QUnSort();
    }
    State.counters["budget_ms"] = 1000;
    G->Free();
}
BENCHMARK(BM_GridUnSort)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridInsertRemoveMiddle(benchmark::State& State)
{
    auto* G = MakeFilledGrid();
    G->MouseActions()->SetDisjunctRowSelect(true);
    for (Integer R = 1; R <= Rows; R += 100)
        G->SetRowSelect(R, true);
    for (auto _ : State) {
        G->InsertRows(Rows / 2, 10000);
        G->RemoveRows(Rows / 2, 10000);
    }
    if (G->RowCount() != Rows + 1 || G->Cells(4, Rows / 2) != std::to_string(Rows / 2))
        State.SkipWithError("rows lost");
    State.counters["budget_ms"] = 100;
    G->Free();
}
BENCHMARK(BM_GridInsertRemoveMiddle)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
