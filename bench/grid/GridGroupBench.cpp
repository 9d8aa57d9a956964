// Grouping and outline nodes of the string grid at 100,000 rows x 20 columns.
//
// - Grouping by a column with 1,000 groups (budget 1 s), sorted first as Group does by default,
//   and ungrouping again. The anchor is one read of the grouped column over every row: grouping
//   walks the rows once and moves them once, so it should stay a small multiple of it.
// - Contracting and expanding one group of 100 rows, at 10,000 and at 100,000 rows: the cost
//   follows the node's rows, not the grid, so the two sizes give about the same figure
//   (counter budget_us: 1,000 at either size).

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr Integer Cols = 20;
constexpr Integer RowsPerGroup = 100;

TForm* BenchForm()
{
    return uitest::BenchForm(1000, 700);
}

// A fixed row, then Rows data rows; column 1 holds the group key "K<r / 100>" (in order), the
// others "R<r>C<c>".
TDidAririzEvar* MakeGrid(Integer Rows)
{
    auto* G = New<TDidAririzEvar>(BenchForm());
    G->SetBounds(0, 0, 960, 640);
    G->SetParent(BenchForm());
    G->SetColCount(Cols);
    G->SetRowCount(Rows + 1);
    char Text[32];
    for (Integer R = 1; R <= Rows; ++R)
        for (Integer C = 0; C < Cols; ++C) {
            if (C == 1)
                std::snprintf(Text, sizeof Text, "K%05d", static_cast<int>((R - 1) / RowsPerGroup));
            else
                std::snprintf(Text, sizeof Text, "R%dC%d", static_cast<int>(R), static_cast<int>(C));
            G->SetCells(C, R, Text);
        }
    uitest::PumpUntilIdle();
    return G;
}

void BM_GridGroupColumnReadAnchor(benchmark::State& State)
{
    auto* G = MakeGrid(100000);
    for (auto _ : State) {
        Integer Breaks = 0;
        AnsiString Prev;
        for (Integer R = 1; R < G->RowCount(); ++R) {
            const AnsiString Cur = G->GetGridCell(1, R);
            Breaks += Cur != Prev ? 1 : 0;
            Prev = Cur;
        }
        benchmark::DoNotOptimize(Breaks);
    }
    G->Free();
}
BENCHMARK(BM_GridGroupColumnReadAnchor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridGroup(benchmark::State& State)
{
    auto* G = MakeGrid(100000);
    G->Grouping()->Summary = State.range(0) != 0;
    for (auto _ : State) {
        G->Group(1);
        State.PauseTiming();
        if (G->RowCount() != 100001 + 1000 * (State.range(0) ? 2 : 1) || !G->IsNode(1))
            State.SkipWithError("groups not made");
        G->UnGroup();
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 1000;
    G->Free();
}
BENCHMARK(BM_GridGroup)->Arg(0)->Arg(1)->ArgName("summary")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GridUnGroup(benchmark::State& State)
{
    auto* G = MakeGrid(100000);
    for (auto _ : State) {
        State.PauseTiming();
        G->Group(1);
        State.ResumeTiming();
        G->UnGroup();
        State.PauseTiming();
        if (G->RowCount() != 100001 || G->Cells(1, 100000) != "K00999")
            State.SkipWithError("rows not given back");
        State.ResumeTiming();
    }
    State.counters["budget_ms"] = 1000;
    G->Free();
}
BENCHMARK(BM_GridUnGroup)->Unit(benchmark::kMillisecond)->Iterations(3);

// One contraction and one expansion of the group in the middle of the grid, the other groups
// expanded (Arg 0) or all contracted (Arg 1).
void BM_GridNodeContractExpand(benchmark::State& State)
{
    const Integer Rows = static_cast<Integer>(State.range(0));
    auto* G = MakeGrid(Rows);
    G->Group(1);
    if (State.range(1))
        G->ContractAll();
    // The header of the middle group, as a real row.
    const Integer Header = 1 + (Rows / RowsPerGroup / 2) * (RowsPerGroup + 1);
    G->ExpandNode(Header);
    const Integer Shown = G->RowCount();
    for (auto _ : State) {
        G->ContractNode(Header);
        G->ExpandNode(Header);
    }
    if (G->RowCount() != Shown || G->GetNodeState(G->DisplRowIndex(Header)))
        State.SkipWithError("node not expanded again");
    State.counters["child_rows"] = RowsPerGroup;
    State.counters["budget_us"] = 1000;
    G->Free();
}
BENCHMARK(BM_GridNodeContractExpand)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->ArgNames({"rows", "others_contracted"})
    ->Unit(benchmark::kMicrosecond);

void BM_GridContractAllExpandAll(benchmark::State& State)
{
    auto* G = MakeGrid(100000);
    G->Group(1);
    for (auto _ : State) {
        G->ContractAll();
        G->ExpandAll();
    }
    State.counters["budget_ms"] = 1000;
    G->Free();
}
BENCHMARK(BM_GridContractAllExpandAll)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
