// The file interface (TXLSFile) the way its callers use it, on workbooks of 65,536 rows × 10 and
// × 100 columns (numbers, with every fifth column a text of its own):
//   BM_FileOpenAndRead/N  OpenFile on the file on disk (written by python3-xlwt at start-up), then
//                         every cell read with GetCellValue
//   BM_FileWrite/N        NewFile, every cell written with SetCellValue, Save to a file on disk
// beside, in the same run, the same work by Python's reader and writer:
//   BM_XlrdOpenAndRead/N  xlrd.open_workbook on the same file and every cell's value read
//   BM_XlwtWrite/N        python3-xlwt writing the same workbook
// Each iteration runs in a process of its own, so that "peak_MB" is that work's peak resident
// memory (for ours the child's maximum resident set, for Python's the script's own). Times are
// taken inside the process (the interpreter's start-up is not counted against Python); "open_ms"
// and "fill_ms" are the first parts of ours (OpenFile; the SetCellValue calls before Save). The
// goals: opening and reading at least 20 times xlrd's speed; writing at least 10 times xlwt's
// speed in at most xlwt's memory.

#include "RudUvud/xlsadapter/XlsFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const Integer Rows = 65536;
const std::string Dir = "/tmp/drawmere-xlsfile-bench-" + std::to_string(::getpid());

std::string BookFile(Integer Cols)
{
    return Dir + "/book-" + std::to_string(Cols) + ".xls";
}

// The cell contents both writers use: r*10+c (+0.25 in every third column) or "name r-c".
const char* const PythonCells = "def value(r, c):\n"
                                "    if c % 5 == 4:\n"
                                "        return 'name %d-%d' % (r, c)\n"
                                "    return r * 10 + c + (0.25 if c % 3 == 0 else 0)\n";

std::string Python(const std::string& Body)
{
    return "/usr/bin/python3 -c \"import time, resource, xlwt, xlrd\n" + std::string(PythonCells) + Body +
           "print(time.perf_counter() - t, resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)\n\"";
}

std::string XlwtScript(Integer Cols, const std::string& File)
{
    return "t = time.perf_counter()\n"
           "wb = xlwt.Workbook()\n"
           "ws = wb.add_sheet('Data')\n"
           "for r in range(" +
           std::to_string(Rows) +
           "):\n"
           "    row = ws.row(r)\n"
           "    for c in range(" +
           std::to_string(Cols) +
           "):\n"
           "        row.write(c, value(r, c))\n"
           "wb.save('" +
           File + "')\n";
}

struct TScratch {
    ~TScratch() { std::filesystem::remove_all(Dir); }
} Scratch;

// Writes the book of Cols columns once per run.
bool Book(Integer Cols)
{
    static bool ok10 = false, ok100 = false;
    bool& ok = Cols == 10 ? ok10 : ok100;
    if (!ok) {
        std::filesystem::create_directories(Dir);
        const std::string cmd = Python(XlwtScript(Cols, BookFile(Cols))) + " >/dev/null";
        ok = std::system(cmd.c_str()) == 0;
    }
    return ok;
}

struct TRun {
    double Seconds = -1;
    double FirstSeconds = 0; // the first part of the work (opening, filling), when it marks one
    double PeakMB = 0;
};

// Set by the work in the child: the end of its first part.
std::chrono::steady_clock::time_point FirstDone;

// Runs Work in a child process: its own timing, and its peak resident memory from the kernel.
template <class Fn> TRun InChild(Fn&& Work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const auto start = std::chrono::steady_clock::now();
        FirstDone = start;
        const bool ok = Work();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double out[2] = {ok ? s : -1, std::chrono::duration<double>(FirstDone - start).count()};
        [[maybe_unused]] const ssize_t n = ::write(fds[1], out, sizeof out);
        ::_exit(0);
    }
    ::close(fds[1]);
    TRun run;
    double s[2] = {-1, 0};
    if (::read(fds[0], s, sizeof s) == sizeof s) {
        run.Seconds = s[0];
        run.FirstSeconds = s[1];
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
        return {};
    run.PeakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

void Report(benchmark::State& State, const TRun& Run, double& Peak, double& First)
{
    if (Run.Seconds < 0) {
        State.SkipWithError("the work failed");
        return;
    }
    State.SetIterationTime(Run.Seconds);
    Peak = std::max(Peak, Run.PeakMB);
    First += Run.FirstSeconds * 1000 / static_cast<double>(State.max_iterations);
}

void BM_FileOpenAndRead(benchmark::State& State)
{
    const Integer Cols = static_cast<Integer>(State.range(0));
    if (!Book(Cols)) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    double peak = 0, open = 0;
    for (auto _ : State) {
        const TRun run = InChild([&] {
            TXLSFile F(nullptr);
            F.Connect();
            F.OpenFile(BookFile(Cols));
            FirstDone = std::chrono::steady_clock::now();
            Int64 cells = 0;
            double sum = 0;
            for (Integer r = 1; r <= Rows; ++r)
                for (Integer c = 1; c <= Cols; ++c) {
                    const TXlsVariant v = F.GetCellValue(r, c);
                    if (v.VarType != xvEmpty)
                        ++cells;
                    sum += v.VarType == xvString ? static_cast<double>(v.Text.size()) : v.Number;
                }
            benchmark::DoNotOptimize(sum);
            return cells == Int64{Rows} * Cols;
        });
        Report(State, run, peak, open);
    }
    State.counters["peak_MB"] = peak;
    State.counters["open_ms"] = open;
}
BENCHMARK(BM_FileOpenAndRead)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_FileWrite(benchmark::State& State)
{
    const Integer Cols = static_cast<Integer>(State.range(0));
    std::filesystem::create_directories(Dir);
    const std::string Out = Dir + "/ours-" + std::to_string(Cols) + ".xls";
    double peak = 0, fill = 0;
    for (auto _ : State) {
        std::filesystem::remove(Out);
        const TRun run = InChild([&] {
            TXLSFile F(nullptr);
            F.Connect();
            F.NewFile(1);
            char text[32];
            for (Integer r = 0; r < Rows; ++r)
                for (Integer c = 0; c < Cols; ++c) {
                    if (c % 5 == 4) {
                        snprintf(text, sizeof text, "name %d-%d", static_cast<int>(r), static_cast<int>(c));
                        F.SetCellValue(r + 1, c + 1,
                                       TXlsVariant::FromString(WideString(text, text + strlen(text))));
                    } else {
                        F.SetCellValue(r + 1, c + 1,
                                       TXlsVariant::FromNumber(r * 10.0 + c + (c % 3 == 0 ? 0.25 : 0)));
                    }
                }
            FirstDone = std::chrono::steady_clock::now();
            F.Save(false, Out, nullptr);
            return true;
        });
        Report(State, run, peak, fill);
    }
    State.counters["peak_MB"] = peak;
    State.counters["fill_ms"] = fill;
    State.counters["bytes"] = static_cast<double>(std::filesystem::file_size(Out));
}
BENCHMARK(BM_FileWrite)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// Runs a script that prints the seconds of its own timed work and its peak memory in KiB.
void RunPython(benchmark::State& State, const std::string& Body)
{
    const std::string cmd = Python(Body);
    double peak = 0;
    for (auto _ : State) {
        FILE* p = ::popen(cmd.c_str(), "r");
        double seconds = -1, kib = 0;
        if (!p || std::fscanf(p, "%lf %lf", &seconds, &kib) != 2 || ::pclose(p) != 0 || seconds < 0) {
            State.SkipWithError("python3 failed");
            break;
        }
        State.SetIterationTime(seconds);
        peak = std::max(peak, kib / 1024.0);
    }
    State.counters["peak_MB"] = peak;
}

void BM_XlrdOpenAndRead(benchmark::State& State)
{
    const Integer Cols = static_cast<Integer>(State.range(0));
    if (!Book(Cols)) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    RunPython(State, "t = time.perf_counter()\n"
                     "sh = xlrd.open_workbook('" +
                         BookFile(Cols) +
                         "').sheet_by_index(0)\n"
                         "n = 0\n"
                         "for r in range(sh.nrows):\n"
                         "    for c in range(sh.ncols):\n"
                         "        v = sh.cell_value(r, c)\n"
                         "        n += 1\n");
}
BENCHMARK(BM_XlrdOpenAndRead)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void BM_XlwtWrite(benchmark::State& State)
{
    const Integer Cols = static_cast<Integer>(State.range(0));
    std::filesystem::create_directories(Dir);
    RunPython(State, XlwtScript(Cols, Dir + "/xlwt-" + std::to_string(Cols) + ".xls"));
}
BENCHMARK(BM_XlwtWrite)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
