// Comma-separated files of 100,000 rows by 10 and by 20 columns (the benchmark's argument): the
// string grid writing and reading them through its public load and save paths, beside Python's
// csv module writing and reading the same file in the same run (BM_Python*,
// the figures to compare with: the time of Python's own reading or writing, measured inside the
// interpreter, so neither its start-up nor the reading before a write is counted). Figures are
// wall-clock times.

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr Integer Rows = 100000;

TForm* BenchForm()
{
    return uitest::BenchForm(1000, 700);
}

std::string FilePath(Integer Cols)
{
    return "/tmp/grid_csv_bench_" + std::to_string(::getpid()) + "_" + std::to_string(Cols) + ".csv";
}

// The grid of Cols columns the file was written from (made and written once per width).
TDidAririzEvar* FilledGrid(Integer Cols)
{
    static std::map<Integer, TDidAririzEvar*> Grids;
    TDidAririzEvar*& G = Grids[Cols];
    if (!G) {
        TDidAririzEvar* X = New<TDidAririzEvar>(BenchForm());
        X->SetParent(BenchForm());
        X->SetColCount(Cols);
        X->SetRowCount(Rows);
        for (Integer R = 0; R < Rows; ++R)
            for (Integer C = 0; C < Cols; ++C)
                X->SetCells(C, R, (C % 5 == 0) ? "name, " + std::to_string(R) : std::to_string(R * Cols + C));
        X->SaveToCSV(FilePath(Cols));
        G = X;
    }
    return G;
}

void BM_GridCsvWrite(benchmark::State& State)
{
    const Integer Cols = static_cast<Integer>(State.range(0));
    TDidAririzEvar* G = FilledGrid(Cols);
    for (auto _ : State)
        G->SaveToCSV(FilePath(Cols));
}
BENCHMARK(BM_GridCsvWrite)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_GridCsvRead(benchmark::State& State)
{
    // Each iteration reads into a new grid, as a program opening a file does.
    const Integer Cols = static_cast<Integer>(State.range(0));
    FilledGrid(Cols);
    for (auto _ : State) {
        State.PauseTiming();
        TDidAririzEvar* G = New<TDidAririzEvar>(BenchForm());
        G->SetParent(BenchForm());
        State.ResumeTiming();
        G->LoadFromCSV(FilePath(Cols));
        State.PauseTiming();
        // The figure only counts when the whole file arrived.
        if (G->RowCount() != Rows || G->ColCount() != Cols ||
            G->Cells(Cols - 1, Rows - 1) != std::to_string(Rows * Cols - 1) ||
            G->Cells(0, Rows - 1) != "name, " + std::to_string(Rows - 1))
            State.SkipWithError("the file did not load whole");
        G->Free();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_GridCsvRead)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Runs a Python script that times its own work with perf_counter and prints the seconds, so
// that the interpreter's start-up and the file it reads first are not counted.
void RunPython(benchmark::State& State, const char* Script)
{
    const Integer Cols = static_cast<Integer>(State.range(0));
    FilledGrid(Cols);
    const std::string Cmd = std::string("/usr/bin/python3 -c \"") + Script + "\" " + FilePath(Cols);
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

void BM_PythonCsvRead(benchmark::State& State)
{
    RunPython(State, "import csv,sys,time\nt=time.perf_counter()\n"
                     "rows=list(csv.reader(open(sys.argv[1],newline='')))\n"
                     "print(time.perf_counter()-t)");
}
BENCHMARK(BM_PythonCsvRead)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

void BM_PythonCsvWrite(benchmark::State& State)
{
    RunPython(State, "import csv,sys,time\nrows=list(csv.reader(open(sys.argv[1],newline='')))\n"
                     "t=time.perf_counter()\n"
                     "f=open(sys.argv[1]+'.py','w',newline='')\ncsv.writer(f).writerows(rows)\nf.close()\n"
                     "print(time.perf_counter()-t)");
}
BENCHMARK(BM_PythonCsvWrite)->Arg(20)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
