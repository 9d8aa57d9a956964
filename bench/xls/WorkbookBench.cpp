// Whole workbooks of 65,536 rows × 10 columns (numbers, with every fifth column a text of its
// own), through the workbook object:
//   BM_OpenAndReadWorkbook  the file read from disk, its "Workbook" stream loaded into TWorkbook,
//                           then every cell read through the cell interface
//   BM_WriteWorkbook        a one-sheet workbook filled cell by cell through the cell interface
//                           and saved into a compound document written to disk
// and, in the same run, the same work by Python's readers and writers:
//   BM_XlrdOpenAndRead      xlrd.open_workbook on the same file and every cell's value read
//   BM_XlwtWrite            python3-xlwt writing the same workbook
// The Python figures are timed inside the script (perf_counter), so the interpreter's start-up is
// not counted against them. The goal is at least 20 times xlrd's speed.

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include <unistd.h>

namespace {

const Integer Rows = 65536, Cols = 10;
const std::string Dir = "/tmp/drawmere-workbook-bench-" + std::to_string(::getpid());
const std::string BookFile = Dir + "/book.xls";     // written by xlwt, read by everyone
const std::string EmptyFile = Dir + "/empty.xls";   // one empty sheet, the start of our writes
const std::string OurFile = Dir + "/ours.xls";      // what BM_WriteWorkbook writes
const std::string XlwtFile = Dir + "/xlwt-out.xls"; // what BM_XlwtWrite writes

// The cell contents both writers use: r*10+c (+0.25 in every third column) or "name r-c".
const char* const PythonCells = "def value(r, c):\n"
                                "    if c % 5 == 4:\n"
                                "        return 'name %d-%d' % (r, c)\n"
                                "    return r * 10 + c + (0.25 if c % 3 == 0 else 0)\n";

std::string Python(const std::string& Body)
{
    return "/usr/bin/python3 -c \"import time, xlwt, xlrd\n" + std::string(PythonCells) + Body + "\"";
}

// The scratch folder goes with the program.
struct TScratch {
    ~TScratch() { std::filesystem::remove_all(Dir); }
} Scratch;

// Writes the book and the empty workbook once per run.
bool Files()
{
    static const bool ok = [] {
        std::filesystem::create_directories(Dir);
        const std::string write = Python("wb = xlwt.Workbook()\n"
                                         "ws = wb.add_sheet('Data')\n"
                                         "for r in range(" +
                                         std::to_string(Rows) +
                                         "):\n"
                                         "    row = ws.row(r)\n"
                                         "    for c in range(10):\n"
                                         "        row.write(c, value(r, c))\n"
                                         "wb.save('" +
                                         BookFile +
                                         "')\n"
                                         "wb = xlwt.Workbook()\n"
                                         "wb.add_sheet('Data')\n"
                                         "wb.save('" +
                                         EmptyFile + "')\n");
        return std::system(write.c_str()) == 0;
    }();
    return ok;
}

ByteArray ReadFile(const std::string& Path)
{
    std::ifstream f(Path, std::ios::binary | std::ios::ate);
    ByteArray out(static_cast<size_t>(f.tellg()));
    f.seekg(0);
    f.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return out;
}

TCellGlobals GlobalsOf(TWorkbookGlobals& G)
{
    TCellGlobals g;
    g.SST = &G.SST();
    g.References = &G.References();
    g.Workbook.Sheets = &G.SheetList().BoundSheets();
    g.Workbook.Names = &G.Names();
    g.XF = &G.XFList();
    g.Fonts = &G.FontList();
    g.Formats = &G.FormatList();
    return g;
}

// The document is handed to the memory stream, not copied into it.
void LoadBook(TWorkbook& Book, ByteArray Doc)
{
    TOle2MemoryStream s(std::move(Doc));
    TOle2File f(&s);
    f.SelectStream(u"Workbook");
    Book.LoadFromStream(f);
}

// Reads every cell of the workbook's first sheet through the cell interface; returns the count
// of cells found.
Int64 ReadCells(TWorkbook& Book)
{
    TWorkSheet& sheet = Book.GetWorkSheets(0);
    TCellValues values(sheet.Cells(), &sheet.ColInfoList(), GlobalsOf(Book.Globals()));
    Int64 cells = 0;
    double sum = 0;
    for (Integer r = 0; r < Rows; ++r)
        for (Integer c = 0; c < Cols; ++c) {
            const TXlsCellValue v = values.GetValue(r, c);
            if (v.XFIndex >= 0)
                ++cells;
            sum += v.CellValue.VarType == xvString ? static_cast<double>(v.CellValue.Text.size())
                                                   : v.CellValue.Number;
        }
    benchmark::DoNotOptimize(sum);
    return cells;
}

void BM_OpenAndReadWorkbook(benchmark::State& State)
{
    if (!Files()) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    Int64 cells = 0;
    for (auto _ : State) {
        TWorkbook book;
        LoadBook(book, ReadFile(BookFile));
        cells = ReadCells(book);
    }
    if (cells != Int64{Rows} * Cols)
        State.SkipWithError("the workbook did not load whole");
    State.counters["cells"] = static_cast<double>(cells);
    State.SetItemsProcessed(State.iterations() * cells);
}
BENCHMARK(BM_OpenAndReadWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two halves of the figure above: opening alone (the workbook freed outside the timing), and
// reading every cell of a workbook already open.
void BM_OpenWorkbook(benchmark::State& State)
{
    if (!Files()) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    for (auto _ : State) {
        auto book = std::make_unique<TWorkbook>();
        LoadBook(*book, ReadFile(BookFile));
        State.PauseTiming();
        book.reset();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadCells(benchmark::State& State)
{
    if (!Files()) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    TWorkbook book;
    LoadBook(book, ReadFile(BookFile));
    for (auto _ : State)
        benchmark::DoNotOptimize(ReadCells(book));
}
BENCHMARK(BM_ReadCells)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteWorkbook(benchmark::State& State)
{
    if (!Files()) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    const ByteArray empty = ReadFile(EmptyFile);
    Int64 bytes = 0;
    for (auto _ : State) {
        TWorkbook book;
        LoadBook(book, empty);
        TWorkSheet& sheet = book.GetWorkSheets(0);
        TCellValues values(sheet.Cells(), &sheet.ColInfoList(), GlobalsOf(book.Globals()));
        const TRTFRunList noRuns;
        TXlsCellValue v;
        char text[32];
        for (Integer r = 0; r < Rows; ++r)
            for (Integer c = 0; c < Cols; ++c) {
                if (c % 5 == 4) {
                    snprintf(text, sizeof text, "name %d-%d", static_cast<int>(r), static_cast<int>(c));
                    v.CellValue = TXlsVariant::FromString(WideString(text, text + strlen(text)));
                } else {
                    v.CellValue = TXlsVariant::FromNumber(r * 10.0 + c + (c % 3 == 0 ? 0.25 : 0));
                }
                values.SetValueX2(r, c, v, noRuns, false);
            }
        TOle2MemoryStream in(empty), out;
        {
            TOle2File f(&in);
            f.PrepareForWrite(&out, u"Workbook", {});
            book.SaveToStream(f);
            f.FinishStream();
        }
        const ByteArray& saved = out.Bytes();
        std::ofstream(OurFile, std::ios::binary)
            .write(reinterpret_cast<const char*>(saved.data()), static_cast<std::streamsize>(saved.size()));
        bytes = static_cast<Int64>(saved.size());
    }
    State.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs a script that prints the seconds of its own timed work.
void RunPython(benchmark::State& State, const std::string& Body)
{
    if (!Files()) {
        State.SkipWithError("python3-xlwt could not write the workbook");
        return;
    }
    const std::string cmd = Python(Body);
    for (auto _ : State) {
        FILE* p = ::popen(cmd.c_str(), "r");
        double seconds = -1;
        if (!p || std::fscanf(p, "%lf", &seconds) != 1 || ::pclose(p) != 0 || seconds < 0) {
            State.SkipWithError("python3 failed");
            break;
        }
        State.SetIterationTime(seconds);
    }
}

void BM_XlrdOpenAndRead(benchmark::State& State)
{
    RunPython(State, "t = time.perf_counter()\n"
                     "sh = xlrd.open_workbook('" +
                         BookFile +
                         "').sheet_by_index(0)\n"
                         "n = 0\n"
                         "for r in range(sh.nrows):\n"
                         "    for c in range(sh.ncols):\n"
                         "        v = sh.cell_value(r, c)\n"
                         "        n += 1\n"
                         "print(time.perf_counter() - t)\n");
}
BENCHMARK(BM_XlrdOpenAndRead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_XlwtWrite(benchmark::State& State)
{
    RunPython(State, "t = time.perf_counter()\n"
                     "wb = xlwt.Workbook()\n"
                     "ws = wb.add_sheet('Data')\n"
                     "for r in range(" +
                         std::to_string(Rows) +
                         "):\n"
                         "    row = ws.row(r)\n"
                         "    for c in range(10):\n"
                         "        row.write(c, value(r, c))\n"
                         "wb.save('" +
                         XlwtFile +
                         "')\n"
                         "print(time.perf_counter() - t)\n");
}
BENCHMARK(BM_XlwtWrite)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
