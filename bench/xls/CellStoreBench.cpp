// Loading and saving the cells of a full sheet, 65,536 rows of 10 numbers, written by
// python3-xlwt into a temporary file at start-up. The same file is opened by xlrd's
// open_workbook in the same run, and its time is reported beside ours as a counter
// (xlrd_open_s). Loading must stay linear in the cells: the rows are appended to without any
// search, and a row sorts itself only when it is first searched.

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/Ole2File.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char* const FileName = "/tmp/drawmere-cellstore-bench.xls";

bool MakeFile(Integer Rows)
{
    const std::string cmd =
        "/usr/bin/python3 -c \"import xlwt\nwb = xlwt.Workbook()\nws = wb.add_sheet('S')\n"
        "for r in range(" +
        std::to_string(Rows) +
        "):\n    row = ws.row(r)\n    for c in range(10):\n"
        "        row.write(c, r * 10 + c + (0.25 if c % 3 == 0 else 0))\n"
        "wb.save('" +
        FileName + "')\"";
    return std::system(cmd.c_str()) == 0;
}

double XlrdSeconds()
{
    const std::string cmd = std::string("/usr/bin/python3 -c \"import time, xlrd\nt = time.perf_counter()\n"
                                        "xlrd.open_workbook('") +
                            FileName + "')\nprint(time.perf_counter() - t)\"";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    double s = -1;
    if (fscanf(p, "%lf", &s) != 1)
        s = -1;
    pclose(p);
    return s;
}

ByteArray Document()
{
    static ByteArray doc = [] {
        if (!MakeFile(65536))
            return ByteArray();
        std::ifstream f(FileName, std::ios::binary);
        return ByteArray(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }();
    return doc;
}

// The sheet's records (those after the second BOF) into a cell store.
void Load(const ByteArray& Doc, TCells& Cells)
{
    TOle2MemoryStream s(Doc);
    TOle2File f(&s);
    f.SelectStream(u"Workbook");
    const Int64 length = f.Get_Length();
    TRecordHeader h;
    ReadRecordHeader(f, h);
    int bofs = 0;
    while (f.Get_Position() - 4 < length) {
        const bool sheet = bofs >= 2;
        if (h.Id == 0x0809)
            ++bofs;
        if (h.Id == xlr_EOF && sheet)
            break; // the stream may be padded with zeros after the sheet
        std::unique_ptr<TBaseRecord> r = LoadRecords(f, h);
        if (!sheet)
            continue;
        if (auto* mul = dynamic_cast<TMultipleValueRecord*>(r.get()))
            Cells.AddMultipleCells(*mul);
        else if (dynamic_cast<TRowRecord*>(r.get()))
            Cells.AddRow(std::unique_ptr<TRowRecord>(static_cast<TRowRecord*>(r.release())));
        else if (auto* c = dynamic_cast<TCellRecord*>(r.get())) {
            const Integer row = c->GetRow();
            r.release();
            Cells.AddCell(std::unique_ptr<TCellRecord>(c), row);
        }
    }
    Cells.FixRows();
}

void BM_LoadCells(benchmark::State& State)
{
    const ByteArray doc = Document();
    if (doc.empty()) {
        State.SkipWithError("python3-xlwt could not write the sheet");
        return;
    }
    Int64 cells = 0;
    for (auto _ : State) {
        TCells c;
        Load(doc, c);
        // The first search sorts each row: part of what a loaded sheet costs before use.
        benchmark::DoNotOptimize(c.CellList().Find(65535, 9));
        cells = 0;
        for (Integer r = 0; r < c.CellList().Count(); ++r)
            cells += c.CellList().CellCount(r);
    }
    State.counters["cells"] = static_cast<double>(cells);
    State.counters["xlrd_open_s"] = XlrdSeconds();
    State.SetItemsProcessed(State.iterations() * cells);
}
BENCHMARK(BM_LoadCells)->Unit(benchmark::kMillisecond);

void BM_SaveCells(benchmark::State& State)
{
    const ByteArray doc = Document();
    if (doc.empty()) {
        State.SkipWithError("python3-xlwt could not write the sheet");
        return;
    }
    TCells c;
    Load(doc, c);
    Int64 bytes = 0;
    for (auto _ : State) {
        TOle2MemoryStream in(doc), out;
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        c.SaveToStream(f);
        bytes = f.Get_Position();
        f.FinishStream();
    }
    State.counters["bytes"] = static_cast<double>(bytes);
    State.counters["size_ok"] = bytes == c.TotalSize() ? 1 : 0;
    State.SetBytesProcessed(State.iterations() * bytes);
}
BENCHMARK(BM_SaveCells)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
