// A full repaint of a 1280 x 800 string grid, headless, at 1,000 and at 100,000 rows: only the
// cells in view are resolved and drawn, so both figures should be the same. The grid is set up
// as the prize list uses it: a fixed header row, plain text cells, every tenth row marked in a
// disjunct row selection, and the focus on the grid.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr Integer Cols = 10;

TForm* BenchForm()
{
    return uitest::BenchForm(1320, 860, TSize{1600, 1000});
}

TDidAririzEvar* PrizeListGrid(Integer Rows)
{
    TDidAririzEvar* G = New<TDidAririzEvar>(BenchForm());
    G->SetParent(BenchForm());
    G->SetBounds(0, 0, 1280, 800);
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    G->SetFixedCols(0);
    G->SetDefaultColWidth(128);
    G->MouseActions()->SetDisjunctRowSelect(true);
    char Text[48];
    for (Integer C = 0; C < Cols; ++C) {
        std::snprintf(Text, sizeof Text, "Column %d", static_cast<int>(C));
        G->SetCells(C, 0, Text);
    }
    for (Integer R = 1; R < Rows; ++R)
        for (Integer C = 0; C < Cols; ++C) {
            std::snprintf(Text, sizeof Text, "Prize %d / %d", static_cast<int>(R), static_cast<int>(C));
            G->SetCells(C, R, Text);
        }
    for (Integer R = 1; R < Rows; R += 10)
        G->SetRowSelect(R, true);
    G->SetFocus();
    uitest::PumpUntilIdle();
    return G;
}

void BM_GridFullRepaint(benchmark::State& State)
{
    TDidAririzEvar* G = PrizeListGrid(static_cast<Integer>(State.range(0)));
    // Halfway down, so that the rows in view are not the first ones.
    G->SetTopRow(std::max<Integer>(1, G->RowCount() / 2));
    uitest::PumpUntilIdle();
    for (auto _ : State) {
        G->Invalidate();
        uitest::PumpUntilIdle();
    }
    State.counters["paints"] = G->PaintsDone();
    G->Free();
}
BENCHMARK(BM_GridFullRepaint)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
