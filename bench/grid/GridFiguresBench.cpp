// Figures and automatic sizing over a column of 100,000 rows. Each path touches every row once,
// so each is printed beside its anchor: parsing every row's number (for the sum and the
// floating footer's recalculation) and measuring every row's text (for sizing a column and the
// rows). A path keeps within its budget when it costs per row no more than its anchor.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr Integer Rows = 100000;

// Column 1 holds numbers with thousand separators and decimals ("12,345.67"), every tenth row
// a text that is no number; column 2 holds texts of varying length.
TDidAririzEvar* MakeGrid()
{
    TForm* Form = uitest::BenchForm(1000, 700);
    auto* G = New<TDidAririzEvar>(Form);
    G->SetParent(Form);
    G->SetBounds(0, 0, 960, 640);
    G->SetRowCount(Rows);
    G->SetColCount(4);
    G->SetFixedRows(1);
    G->SetWordWrap(false);
    char Text[64];
    for (Integer R = 1; R < Rows; ++R) {
        if (R % 10 == 0)
            std::snprintf(Text, sizeof Text, "n/a");
        else
            std::snprintf(Text, sizeof Text, "%d,%03d.%02d", static_cast<int>(R / 1000),
                          static_cast<int>(R % 1000), static_cast<int>(R % 100));
        G->SetCells(1, R, Text);
        std::snprintf(Text, sizeof Text, "prize %d of the draw%s", static_cast<int>(R),
                      R % 7 == 0 ? " board" : "");
        G->SetCells(2, R, Text);
    }
    uitest::PumpUntilIdle();
    return G;
}

TDidAririzEvar* Grid()
{
    static TDidAririzEvar* const G = MakeGrid();
    return G;
}

// Anchor of the sums: each row's number parsed once as a caller of the grid would.
void BM_GridFigureParseAnchor(benchmark::State& State)
{
    auto* G = Grid();
    for (auto _ : State) {
        Double Sum = 0;
        for (Integer R = 1; R < Rows; ++R) {
            try {
                Sum += G->GetFloats(1, R);
            } catch (const ERudUvudError&) {
            }
        }
        benchmark::DoNotOptimize(Sum);
    }
    State.counters["rows"] = Rows;
}
BENCHMARK(BM_GridFigureParseAnchor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridColumnSum(benchmark::State& State)
{
    auto* G = Grid();
    for (auto _ : State)
        benchmark::DoNotOptimize(G->ColumnSum(1, 1, Rows - 1));
    State.counters["rows"] = Rows;
}
BENCHMARK(BM_GridColumnSum)->Unit(benchmark::kMillisecond)->Iterations(3);

// The footer's sum over real rows while a thousand rows are hidden.
void BM_GridFooterSumWithHiddenRows(benchmark::State& State)
{
    auto* G = Grid();
    G->FloatingFooter()->SetVisible(true);
    G->HideRows(5000, 5999);
    G->FloatingFooter()->SetColumnCalc(1, acSUM);
    for (auto _ : State)
        G->CalcFooter(1);
    G->UnHideRowsAll();
    G->FloatingFooter()->SetColumnCalc(1, acNONE);
    G->FloatingFooter()->SetVisible(false);
    State.counters["rows"] = Rows;
}
BENCHMARK(BM_GridFooterSumWithHiddenRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// Anchor of the sizing: each row's text measured once.
void BM_GridSizeMeasureAnchor(benchmark::State& State)
{
    auto* G = Grid();
    for (auto _ : State) {
        Integer Widest = 0;
        for (Integer R = 0; R < Rows; ++R)
            Widest = std::max(Widest, G->GetCellTextSize(2, R, false, false).X);
        benchmark::DoNotOptimize(Widest);
    }
    State.counters["rows"] = Rows;
}
BENCHMARK(BM_GridSizeMeasureAnchor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridAutoSizeCol(benchmark::State& State)
{
    auto* G = Grid();
    for (auto _ : State) {
        G->SetColWidths(2, 10);
        G->AutoSizeCol(2, 0);
    }
    if (G->ColWidths(2) <= 10)
        State.SkipWithError("column not sized");
    State.counters["rows"] = Rows;
}
BENCHMARK(BM_GridAutoSizeCol)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every row sized to its lines (no word wrap): one text height and one height per row.
void BM_GridAutoSizeRows(benchmark::State& State)
{
    auto* G = Grid();
    for (auto _ : State)
        G->AutoSizeRows(false, 0);
    State.counters["rows"] = Rows;
}
BENCHMARK(BM_GridAutoSizeRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
