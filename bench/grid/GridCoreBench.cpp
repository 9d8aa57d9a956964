// The string grid at 100,000 rows by 20 columns, headless, beside the plain platform grid:
// filling, hiding and showing 10,000 scattered rows, selecting every row as a disjunct row
// selection (Ctrl+A), and destroying. Each case of the string grid reports its budget in
// milliseconds as the counter budget_ms; the plain grid's cases (prefix BM_Plain) are the
// figures to compare with.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Grids.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr Integer Rows = 100000;
constexpr Integer Cols = 20;

TForm* BenchForm()
{
    return uitest::BenchForm(1000, 700);
}

template <class G> G* MakeGrid()
{
    G* Grid = New<G>(BenchForm());
    Grid->SetBounds(0, 0, 960, 640);
    Grid->SetParent(BenchForm());
    Grid->SetColCount(Cols);
    Grid->SetRowCount(Rows);
    uitest::PumpUntilIdle();
    return Grid;
}

void FillPlain(TStringGrid* G)
{
    char Text[32];
    for (Integer R = 0; R < Rows; ++R)
        for (Integer C = 0; C < Cols; ++C) {
            std::snprintf(Text, sizeof Text, "R%dC%d", static_cast<int>(R), static_cast<int>(C));
            G->SetCells(C, R, Text);
        }
}

void Fill(TDidAririzEvar* G)
{
    char Text[32];
    for (Integer R = 0; R < Rows; ++R)
        for (Integer C = 0; C < Cols; ++C) {
            std::snprintf(Text, sizeof Text, "R%dC%d", static_cast<int>(R), static_cast<int>(C));
            G->SetCellEx(C, R, Text);
        }
    // A record in every tenth row, as colours and check boxes leave them.
    for (Integer R = 1; R < Rows; R += 10)
        G->GetCellProperties(1, R)->SetFontColor(0xFF);
}

// 10,000 display rows spread over the grid, ascending.
std::vector<Integer> Scattered()
{
    std::vector<Integer> L;
    for (Integer I = 0; I < 10000; ++I)
        L.push_back(1 + I * 9 + (I * 7919) % 9);
    return L;
}

void BM_PlainFill(benchmark::State& State)
{
    for (auto _ : State) {
        auto* G = MakeGrid<TStringGrid>();
        FillPlain(G);
        State.PauseTiming();
        G->Free();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_PlainFill)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_GridFill(benchmark::State& State)
{
    for (auto _ : State) {
        auto* G = MakeGrid<TDidAririzEvar>();
        Fill(G);
        State.PauseTiming();
        G->Free();
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 1000;
}
BENCHMARK(BM_GridFill)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_GridHideUnhideScattered(benchmark::State& State)
{
    auto* G = MakeGrid<TDidAririzEvar>();
    Fill(G);
    const std::vector<Integer> L = Scattered();
    for (auto _ : State) {
        G->HideRowList(L);
        G->RemoveLastHideLevel();
    }
    if (G->RowCount() != Rows || G->NumHiddenRows() != 0)
        State.SkipWithError("rows lost");
    State.counters["budget_ms"] = 100;
    G->Free();
}
BENCHMARK(BM_GridHideUnhideScattered)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_GridHideRangesAndShowAll(benchmark::State& State)
{
    auto* G = MakeGrid<TDidAririzEvar>();
    Fill(G);
    for (auto _ : State) {
        for (Integer R = 5; R < 100; R += 10)
            G->HideRows(R * 1000, R * 1000 + 999); // 10,000 rows in ten runs
        G->UnHideRowsAll();
    }
    G->Free();
}
BENCHMARK(BM_GridHideRangesAndShowAll)->Unit(benchmark::kMillisecond)->Iterations(5);

// (Each range hide moves the rows after it once: ten ranges move the grid's tail ten times.)

// Deleting 10,000 scattered rows one by one is the nearest the plain grid comes to hiding them.
void BM_PlainDeleteScattered(benchmark::State& State)
{
    struct TOpenGrid : TStringGrid {
        using TStringGrid::DeleteRow;
        using TStringGrid::TStringGrid;
    };
    for (auto _ : State) {
        State.PauseTiming();
        auto* G = MakeGrid<TOpenGrid>();
        FillPlain(G);
        const std::vector<Integer> L = Scattered();
        State.ResumeTiming();
        for (auto It = L.rbegin(); It != L.rend(); ++It)
            G->DeleteRow(*It);
        State.PauseTiming();
        G->Free();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_PlainDeleteScattered)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GridSelectAllDisjunct(benchmark::State& State)
{
    auto* G = MakeGrid<TDidAririzEvar>();
    Fill(G);
    G->MouseActions()->SetDisjunctRowSelect(true);
    for (auto _ : State) {
        G->SetSelection(TGridRect{G->FixedCols(), G->FixedRows(), Cols - 1, Rows - 1});
        G->SelectToRowSelect(true);
        benchmark::DoNotOptimize(G->GetRowSelectCount());
        State.PauseTiming();
        G->ClearRowSelect();
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 50;
    G->Free();
}
BENCHMARK(BM_GridSelectAllDisjunct)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlainDestroy(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        auto* G = MakeGrid<TStringGrid>();
        FillPlain(G);
        State.ResumeTiming();
        G->Free();
    }
}
BENCHMARK(BM_PlainDestroy)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_GridDestroy(benchmark::State& State)
{
    for (auto _ : State) {
        State.PauseTiming();
        auto* G = MakeGrid<TDidAririzEvar>();
        Fill(G);
        G->HideRowList(Scattered());
        State.ResumeTiming();
        G->Free();
    }
    State.counters["budget_ms"] = 300;
}
BENCHMARK(BM_GridDestroy)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
