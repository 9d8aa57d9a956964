// Sorting 100,000 rows of the string grid by a text, a number and a date column (each sort and
// the return to the first order), and inserting and removing 10,000 rows in the middle. Each case
// reports its budget in milliseconds as the counter budget_ms. Beside them, Python's sorted() on
// the same texts and numbers in the same run (BM_PythonSorted*, timed inside the interpreter):
// the figures to compare the text and number sorts with.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

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

// The texts and amounts of the grid's columns 1 and 2, one row a line, tab-separated.
std::string DataFile()
{
    static const std::string Path = [] {
        const std::string P = "/tmp/grid_sort_bench_" + std::to_string(::getpid()) + ".txt";
        auto* G = MakeFilledGrid();
        if (FILE* F = std::fopen(P.c_str(), "w")) {
            for (Integer R = 1; R <= Rows; ++R)
                std::fprintf(F, "%s\t%s\n", G->Cells(1, R).c_str(), G->Cells(2, R).c_str());
            std::fclose(F);
        }
        G->Free();
        return P;
    }();
    return Path;
}

void RunPython(benchmark::State& State, const char* Script)
{
    const std::string Cmd = std::string("/usr/bin/python3 -c \"") + Script + "\" " + DataFile();
    for (auto _ : State) {
        FILE* P = ::popen(Cmd.c_str(), "r");
        double Seconds = -1;
        if (!P || std::fscanf(P, "%lf", &Seconds) != 1 || ::pclose(P) != 0 || Seconds < 0) {
            State.SkipWithError("python3 failed");
            break;
        }
        State.SetIterationTime(Seconds);
    }
}

void BM_PythonSortedText(benchmark::State& State)
{
    RunPython(State,
              "import sys,time\nrows=[l.rstrip('\\n').split('\\t') for l in open(sys.argv[1])]\n"
              "v=[r[0] for r in rows]\nt=time.perf_counter()\nsorted(v)\nprint(time.perf_counter()-t)");
}
BENCHMARK(BM_PythonSortedText)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_PythonSortedNumber(benchmark::State& State)
{
    RunPython(
        State,
        "import sys,time\nrows=[l.rstrip('\\n').split('\\t') for l in open(sys.argv[1])]\n"
        "v=[float(r[1]) for r in rows]\nt=time.perf_counter()\nsorted(v)\nprint(time.perf_counter()-t)");
}
BENCHMARK(BM_PythonSortedNumber)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

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
