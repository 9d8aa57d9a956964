// Laying a string grid of 10,000 rows by 5 columns out over a print document, as the prize
// list's print preview does (one text box per cell, lines, a border per page, the header row
// repeated on every page). Also saving and loading the resulting 244-page document, each well
// under a second: the layout of the same rows (BM_GridToPage/10000) is the anchor they are read
// against. The layout runs at two row counts: its cost per row must not grow with the count.
//
// Run with the project's font map: FONTCONFIG_FILE=platform/fonts/fonts.conf.

#include "print/VuGridPrint.h"

#include "platform/win/Printing.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr Integer Cols = 5;

std::unique_ptr<TStringGrid> MakeGrid(Integer Rows)
{
    setenv("FONTCONFIG_FILE", DRAWMERE_SOURCE_DIR "/platform/fonts/fonts.conf", 0);
    ConfigurePrinters("", false);
    std::unique_ptr<TStringGrid> G(New<TStringGrid>(nullptr));
    G->SetFixedCols(0);
    G->SetColCount(Cols);
    G->SetRowCount(Rows);
    const char* Names[] = {"Grand prize", "Bicycle",  "Voucher for two",  "Umbrella",  "Coffee mug",
                           "Tea set",     "Backpack", "Wireless speaker", "Desk lamp", "Picnic basket"};
    for (Integer C = 0; C < Cols; ++C) {
        G->SetColWidths(C, 120);
        G->SetCells(C, 0, "Column " + std::to_string(C));
    }
    for (Integer R = 1; R < Rows; ++R) {
        G->SetCells(0, R, std::to_string(R));
        G->SetCells(1, R, Names[R % 10]);
        G->SetCells(2, R, std::to_string(R % 17 + 1));
        G->SetCells(3, R, std::to_string(R * 7 % 1000) + " left");
        G->SetCells(4, R, R % 3 ? "" : "kept at the desk");
    }
    return G;
}

void LayOut(TVuPageList& Doc, TStringGrid* Grid)
{
    Doc.ClearPages(false, true);
    TVuDocumentGridTarget Target(&Doc);
    std::unique_ptr<TVuGridPrint> P(New<TVuGridPrint>(nullptr));
    P->SetGrid(Grid);
    P->SetTarget(&Target);
    P->BottomMargin()->SetAsMillimeters(5);
    P->OnGridNewPage = [](TObject*, TVuValue*& Top, TVuValue*&) { Top->SetAsMillimeters(15); };
    P->GridToPage(0.5, 1, 0, vuInches);
}

void BM_GridToPage(benchmark::State& State)
{
    auto Grid = MakeGrid(static_cast<Integer>(State.range(0)));
    TVuPageList Doc;
    for (auto _ : State)
        LayOut(Doc, Grid.get());
    State.counters["pages"] = Doc.Count();
    State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_GridToPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The 244-page document the 10,000 rows make (about 9 MB): saved to memory, and loaded from it.
TVuPageList& LaidOutDocument()
{
    static TVuPageList Doc;
    if (Doc.Count() < 2) {
        auto Grid = MakeGrid(10000);
        LayOut(Doc, Grid.get());
    }
    return Doc;
}

void BM_SaveDocument(benchmark::State& State)
{
    TVuPageList& Doc = LaidOutDocument();
    for (auto _ : State) {
        TMemoryStream S;
        Doc.SaveToStream(&S);
        State.counters["bytes"] = static_cast<double>(S.Size());
    }
    State.counters["pages"] = Doc.Count();
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

void BM_LoadDocument(benchmark::State& State)
{
    TMemoryStream S;
    LaidOutDocument().SaveToStream(&S);
    TVuPageList Copy;
    for (auto _ : State) {
        S.SetPosition(0);
        Copy.LoadFromStream(&S);
    }
    State.counters["pages"] = Copy.Count();
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
