// Comma-separated files of 100,000 rows by 20 columns: the string grid writing and reading them,
// beside Python's csv module writing and reading the same file in the same run (BM_Python*,
// the figures to compare with; each runs the interpreter once per iteration, start-up included).

#include "RudUvud/core/RudUvud.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr Integer Rows = 100000;
constexpr Integer Cols = 20;

TForm* BenchForm()
{
    static TForm* Form = [] {
        setenv("PLATFORM_BACKEND", "headless", 0);
        setenv("FONTCONFIG_FILE", DRAWMERE_SOURCE_DIR "/platform/fonts/fonts.conf", 0);
        uitest::Start();
        TForm* F = New<TForm>(Application);
        F->SetBounds(0, 0, 1000, 700);
        F->Show();
        uitest::PumpUntilIdle();
        return F;
    }();
    return Form;
}

std::string FilePath()
{
    static const std::string P = "/tmp/grid_csv_bench_" + std::to_string(::getpid()) + ".csv";
    return P;
}

TDidAririzEvar* FilledGrid()
{
    static TDidAririzEvar* G = [] {
        TDidAririzEvar* X = New<TDidAririzEvar>(BenchForm());
        X->SetParent(BenchForm());
        X->SetColCount(Cols);
        X->SetRowCount(Rows);
        for (Integer R = 0; R < Rows; ++R)
            for (Integer C = 0; C < Cols; ++C)
                X->SetCells(C, R, (C % 5 == 0) ? "name, " + std::to_string(R) : std::to_string(R * Cols + C));
        X->SaveToCSV(FilePath());
        return X;
    }();
    return G;
}

void BM_GridCsvWrite(benchmark::State& State)
{
    TDidAririzEvar* G = FilledGrid();
    for (auto _ : State)
        G->SaveToCSV(FilePath());
}
BENCHMARK(BM_GridCsvWrite)->Unit(benchmark::kMillisecond);

void BM_GridCsvRead(benchmark::State& State)
{
    FilledGrid();
    TDidAririzEvar* G = New<TDidAririzEvar>(BenchForm());
    G->SetParent(BenchForm());
    for (auto _ : State)
        G->LoadFromCSV(FilePath());
    G->Free();
}
BENCHMARK(BM_GridCsvRead)->Unit(benchmark::kMillisecond);

void RunPython(benchmark::State& State, const char* Script)
{
    FilledGrid();
    const std::string Cmd = std::string("/usr/bin/python3 -c \"") + Script + "\" " + FilePath();
    for (auto _ : State)
        if (std::system(Cmd.c_str()) != 0)
            State.SkipWithError("python3 failed");
}

void BM_PythonCsvRead(benchmark::State& State)
{
    RunPython(State, "import csv,sys\nrows=list(csv.reader(open(sys.argv[1],newline='')))");
}
BENCHMARK(BM_PythonCsvRead)->Unit(benchmark::kMillisecond);

void BM_PythonCsvWrite(benchmark::State& State)
{
    // Python reads the file first: its write cost is this figure minus BM_PythonCsvRead.
    RunPython(State, "import csv,sys\nrows=list(csv.reader(open(sys.argv[1],newline='')))\n"
                     "csv.writer(open(sys.argv[1]+'.py','w',newline='')).writerows(rows)");
}
BENCHMARK(BM_PythonCsvWrite)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
