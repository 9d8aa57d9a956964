// Filling, scrolling and repainting a string grid of 100,000 rows by 20 columns, headless. The
// scrolling and repainting cases run at two row counts: their cost must not grow with the count.
// Exchanging two rows runs at several distances (its cost must not grow with the distance), and
// deleting a run of rows at several places and lengths (one pass whatever the run's length).

#include "platform/forms/Forms.h"
#include "platform/forms/Grids.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr Integer Cols = 20;

// One headless application and form for the whole run.
TForm* BenchForm()
{
    return uitest::BenchForm(1000, 700);
}

// The row services are for the grids built on the string grid; the benchmark is one.
class TBenchGrid : public TStringGrid {
public:
    using TCustomGrid::DeleteRows;
    using TCustomGrid::ExchangeRows;
    using TStringGrid::TStringGrid;
};

TBenchGrid* MakeGrid(Integer Rows)
{
    TBenchGrid* G = New<TBenchGrid>(BenchForm());
    G->SetBounds(0, 0, 960, 640);
    G->SetParent(BenchForm());
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    uitest::PumpUntilIdle();
    return G;
}

void Fill(TStringGrid* G, Integer Rows)
{
    char Text[32];
    for (Integer R = 0; R < Rows; ++R)
        for (Integer C = 0; C < Cols; ++C) {
            std::snprintf(Text, sizeof Text, "R%dC%d", static_cast<int>(R), static_cast<int>(C));
            G->SetCells(C, R, Text);
        }
}

void BM_GridFill(benchmark::State& State)
{
    const Integer Rows = static_cast<Integer>(State.range(0));
    for (auto _ : State) {
        TStringGrid* G = MakeGrid(Rows);
        Fill(G, Rows);
        benchmark::DoNotOptimize(G->Cells(Cols - 1, Rows - 1));
        State.PauseTiming();
        G->Free();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * Rows * Cols);
}
BENCHMARK(BM_GridFill)->Arg(100000)->Unit(benchmark::kMillisecond);

// Jumps the view to spread positions and asks the geometry of the cells shown there.
void BM_GridScroll(benchmark::State& State)
{
    const Integer Rows = static_cast<Integer>(State.range(0));
    TStringGrid* G = MakeGrid(Rows);
    Fill(G, Rows);
    Integer Step = 0;
    for (auto _ : State) {
        const Integer Top = 1 + static_cast<Integer>((Step * 7919LL) % (Rows - 30));
        ++Step;
        G->SetTopRow(Top);
        benchmark::DoNotOptimize(G->VisibleRowCount());
        benchmark::DoNotOptimize(G->CellRect(3, Top + 5));
        Integer C = 0, R = 0;
        G->MouseToCell(300, 300, C, R);
        benchmark::DoNotOptimize(R);
        SendMessage(G->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    }
    G->Free();
}
BENCHMARK(BM_GridScroll)->Arg(1000)->Arg(100000);

// Paints the whole client area at spread positions.
void BM_GridRepaint(benchmark::State& State)
{
    const Integer Rows = static_cast<Integer>(State.range(0));
    TStringGrid* G = MakeGrid(Rows);
    Fill(G, Rows);
    Integer Step = 0;
    for (auto _ : State) {
        G->SetTopRow(1 + static_cast<Integer>((Step * 7919LL) % (Rows - 30)));
        ++Step;
        G->Repaint();
    }
    G->Free();
}
BENCHMARK(BM_GridRepaint)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Moving the current cell a page at a time through the keyboard handler.
void BM_GridPageDown(benchmark::State& State)
{
    const Integer Rows = static_cast<Integer>(State.range(0));
    TStringGrid* G = MakeGrid(Rows);
    for (auto _ : State) {
        if (G->Row() > Rows - 40)
            G->SetRow(1);
        Word Key = VK_NEXT;
        G->KeyDown(Key, TShiftState{});
    }
    G->Free();
}
BENCHMARK(BM_GridPageDown)->Arg(1000)->Arg(100000);

// Exchanges row R with row R + distance (texts, objects, heights), R spread over the grid.
void BM_GridExchangeRows(benchmark::State& State)
{
    constexpr Integer Rows = 100000;
    const Integer Distance = static_cast<Integer>(State.range(0));
    TBenchGrid* G = MakeGrid(Rows);
    Fill(G, Rows);
    // Every tenth row is taller, so that about one exchange in five moves heights at each of
    // the distances below.
    for (Integer R = 0; R < Rows; R += 10)
        G->SetRowHeights(R, 40);
    const Integer Span = Rows - Distance - 1;
    Integer Step = 0;
    for (auto _ : State) {
        const Integer R = 1 + static_cast<Integer>((Step++ * 7919LL) % Span);
        G->ExchangeRows(R, R + Distance);
    }
    benchmark::DoNotOptimize(G->Cells(3, 1));
    G->Free();
}
BENCHMARK(BM_GridExchangeRows)->Arg(1)->Arg(997)->Arg(49999)->Arg(89999);

// Deletes a run of rows from 100,000 at once: {first row of the run, its length}. The deleted
// rows wait past the count, so setting the count back (not timed) restores the grid.
void BM_GridDeleteRows(benchmark::State& State)
{
    constexpr Integer Rows = 100000;
    const Integer At = static_cast<Integer>(State.range(0));
    const Integer Count = static_cast<Integer>(State.range(1));
    TBenchGrid* G = MakeGrid(Rows);
    Fill(G, Rows);
    for (auto _ : State) {
        G->DeleteRows(At, Count);
        State.PauseTiming();
        G->SetRowCount(Rows);
        State.ResumeTiming();
    }
    benchmark::DoNotOptimize(G->Cells(3, At));
    State.SetItemsProcessed(State.iterations() * Count);
    G->Free();
}
BENCHMARK(BM_GridDeleteRows)
    ->Args({1, 1})
    ->Args({1, 10000})
    ->Args({50000, 10000})
    ->Args({89999, 10000})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
