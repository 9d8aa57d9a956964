// Scrolling and column sizing of a 1280 x 800 string grid, headless, at 1,000 and at 100,000 rows:
// the proportional thumb reads the row heights' running sums and a column width change stretches
// the stretch column from the column widths alone, so both row counts should give the same
// figures (the 1,000-row runs are the anchor).

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

namespace {

TForm* BenchForm()
{
    return uitest::BenchForm(1320, 860, TSize{1600, 1000});
}

TDidAririzEvar* ScrollGrid(Integer Rows)
{
    TDidAririzEvar* G = New<TDidAririzEvar>(BenchForm());
    G->SetParent(BenchForm());
    G->SetBounds(0, 0, 1280, 800);
    G->SetColCount(10);
    G->SetRowCount(Rows);
    // Rows of two heights, so that the sums are not a product.
    for (Integer R = 1; R < Rows; R += 7)
        G->SetRowHeights(R, 40);
    G->SetScrollProportional(true);
    G->SetTopRow(Rows / 2);
    uitest::PumpUntilIdle();
    return G;
}

// A line down and a line up through the grid's scroll handler, each followed by the
// proportional thumb's update, as a paint would run it.
void BM_ProportionalLineScroll(benchmark::State& State)
{
    TDidAririzEvar* G = ScrollGrid(static_cast<Integer>(State.range(0)));
    for (auto _ : State) {
        G->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
        G->UpdateVScroller();
        G->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
        G->UpdateVScroller();
    }
    G->Free();
}
BENCHMARK(BM_ProportionalLineScroll)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A column width change with the last column stretched and proportional thumbs on.
void BM_StretchOnWidthChange(benchmark::State& State)
{
    TDidAririzEvar* G = ScrollGrid(static_cast<Integer>(State.range(0)));
    G->ColumnSize()->SetStretch(true);
    Integer W = 60;
    for (auto _ : State) {
        G->SetColWidths(2, W);
        W = W == 60 ? 90 : 60;
    }
    G->Free();
}
BENCHMARK(BM_StretchOnWidthChange)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
