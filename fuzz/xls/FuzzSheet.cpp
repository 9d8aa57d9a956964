// A worksheet section, or a whole workbook (the globals and their sheets), on an arbitrary
// record stream. A sheet: the sheet loader with its record cache,
// page breaks, default sizes, cells, rows, column information and merges, then every view,
// print, column, row and merge setting changed. Beyond "no crash, no hang": the sheet writes as
// many bytes as its TotalSize says before and after the changes, and a sheet saved, loaded and
// saved again gives the same bytes.

#include "RudUvud/xlsadapter/XlsSST.h"
#include "RudUvud/xlsadapter/XlsSheet.h"
#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"

#include "FuzzDocument.h"

#include <cstdint>
#include <vector>

using namespace xlsfuzz;

namespace {

void Check(bool Ok)
{
    if (!Ok)
        __builtin_trap();
}

// Loads a sheet from a stream that starts with its BOF; false when the stream is refused.
bool LoadSheet(const ByteArray& Stream, TWorkSheet& Sheet, TSST& Sst)
{
    Doc source;
    source.File->WriteMem(Stream.data(), static_cast<Integer>(Stream.size()));
    source.Finish();
    TOle2MemoryStream ms(source.Out.Bytes());
    TOle2File f(&ms);
    f.SelectStream(u"Workbook");
    try {
        TRecordHeader h;
        ReadRecordHeader(f, h);
        std::unique_ptr<TBaseRecord> bof = LoadRecords(f, h);
        if (bof->Id() != 0x0809)
            return false;
        Sheet.LoadFromStream(f, h, std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())),
                             &Sst);
        return true;
    } catch (const EExcelException&) {
        return false;
    }
}

// A table of a few strings for the sheet's LABELSST cells to point at.
void FillTable(TSST& Sst)
{
    for (const char16_t* s : {u"a", u"Prize", u"\u734e\u54c1", u"", u"b", u"c", u"d", u"e"})
        Sst.AddString(s);
}

// The sheet's bytes, checked against its size. The table is written first, as a workbook does,
// so that the cells know where their strings went.
ByteArray Save(TWorkSheet& Sheet, TSST& Sst)
{
    Doc table;
    Sst.SaveToStream(*table.File);
    const Int64 expected = Sheet.TotalSize();
    Doc out;
    Sheet.SaveToStream(*out.File);
    Check(out.File->Get_Position() == expected);
    return out.Finish();
}

template <class Fn> void Try(Fn&& F)
{
    try {
        F();
    } catch (const EExcelException&) {
    }
}

void Change(TWorkSheet& S, const uint8_t* Data, size_t Size)
{
    // The first bytes of the input choose the rows and columns the changes touch.
    auto pick = [&](size_t i, Integer Max) { return Size > i ? Integer(Data[i]) % (Max + 1) : 0; };
    const Integer row = pick(0, 255), col = pick(1, 255), n = pick(2, 7);
    Try([&] { S.SetMargins({0.5, 0.6, 0.7, 0.8, 0.1, 0.2}); });
    Try([&] { S.SetPageHeader(u"&CHeader"); });
    Try([&] { S.SetPageFooter(u""); });
    S.SetSheetZoom(row * 2);
    S.FreezePanes(row, col);
    Integer a, b;
    S.GetFrozenPanes(a, b);
    S.SplitWindow(col * 20, row * 20);
    S.GetSplitWindow(a, b);
    S.FreezePanes(0, n);
    Try([&] { S.SetPrintScale(row * 300); });
    Try([&] { S.SetPrinterDriverSettings({1, ByteArray(n, 7)}); });
    S.SetShowGridLines(n & 1);
    S.SetSelected(n & 2);
    S.SetIsR1C1(n & 4);
    S.SetCodeName(u"Sheet");
    S.SetColWidth(col, row * 100);
    S.SetColHidden(col, n & 1);
    S.SetColHidden(col, false);
    S.SetRowHeight(row, col * 20);
    S.SetRowHidden(row, n & 2);
    S.SetColFormat(col, 15 + n);
    S.SetRowFormat(row, 15 + n);
    S.SetRowOulineLevel(row, n);
    S.SetColOulineLevel(col, n);
    S.MergeCells(row, col, row + n, col + n);
    S.CellMergedBounds(row, col);
    for (Integer i = -1; i <= S.CellMergedListCount(); ++i)
        S.CellMergedList(i);
    S.UnMergeCells(row, col, row + n, col + n);
    Try([&] { S.InsertHPageBreak(row); });
    Try([&] { S.InsertVPageBreak(col); });
    S.DeleteHPageBreak(n);
    Try([&] { S.HPageBreaks().InsertRows(row, n * 1000); });
    S.VPageBreaks().DeleteCols(col, n);
    S.RemoveAutoFilter();
}

// A workbook: its globals, then one worksheet per BOUNDSHEET.
struct TBook {
    TWorkbookGlobals Globals;
    std::vector<std::unique_ptr<TWorkSheet>> Sheets;

    bool Load(const ByteArray& Stream)
    {
        Doc source;
        source.File->WriteMem(Stream.data(), static_cast<Integer>(Stream.size()));
        source.Finish();
        TOle2MemoryStream ms(source.Out.Bytes());
        TOle2File f(&ms);
        f.SelectStream(u"Workbook");
        try {
            TRecordHeader h;
            ReadRecordHeader(f, h);
            std::unique_ptr<TBaseRecord> bof = LoadRecords(f, h);
            if (bof->Id() != 0x0809)
                return false;
            Globals.LoadFromStream(f, h, std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())),
                                   nullptr);
            for (Integer i = 0; i < Globals.GetSheetCount(); ++i) {
                bof = LoadRecords(f, h);
                if (bof->Id() != 0x0809)
                    return false;
                Sheets.push_back(std::make_unique<TWorkSheet>(&Globals));
                Sheets.back()->LoadFromStream(
                    f, h, std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())),
                    &Globals.SST());
            }
            return true;
        } catch (const EExcelException&) {
            return false;
        }
    }

    // The stream, with every sheet starting where its BOUNDSHEET says.
    ByteArray Save()
    {
        std::vector<Int64> starts;
        Int64 at = Globals.TotalSize();
        for (size_t i = 0; i < Sheets.size(); ++i) {
            starts.push_back(at);
            Globals.SheetSetOffset(static_cast<Integer>(i), static_cast<LongWord>(at));
            at += Sheets[i]->TotalSize();
        }
        Doc out;
        Globals.SaveToStream(*out.File);
        for (size_t i = 0; i < Sheets.size(); ++i) {
            Check(out.File->Get_Position() == starts[i]);
            Sheets[i]->SaveToStream(*out.File);
        }
        Check(out.File->Get_Position() == at);
        return out.Finish();
    }
};

void FuzzWorkbook(const ByteArray& Stream)
{
    TBook book;
    if (!book.Load(Stream))
        return;
    const ByteArray first = book.Save();
    TBook again;
    Check(again.Load(first));
    Check(again.Save() == first);
    // Sheets renamed, added and removed keep the directory and its names in step.
    try {
        if (book.Globals.GetSheetCount() > 0)
            book.Globals.SetSheetName(0, u"Sheet:1");
        book.Globals.InsertSheets(-1, 0, 0, u"Sheet", 2);
        book.Globals.DeleteSheets(0, 1);
    } catch (const EExcelException&) {
    }
    Check(book.Globals.SheetList().SheetNames().Count() == book.Globals.GetSheetCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const ByteArray stream(Data, Data + Size);
    // A globals BOF (type 5) starts a whole workbook.
    if (Size >= 8 && Data[0] == 0x09 && Data[1] == 0x08 && Data[6] == 0x05 && Data[7] == 0x00) {
        FuzzWorkbook(stream);
        return 0;
    }
    TSST sst, sst2, sst3;
    FillTable(sst);
    FillTable(sst2);
    FillTable(sst3);
    TWorkSheet sheet(nullptr);
    if (!LoadSheet(stream, sheet, sst)) {
        // A sheet that failed to load may still hold what it read; it must not matter.
        sheet.Clear();
        return 0;
    }
    const ByteArray first = Save(sheet, sst);
    TWorkSheet again(nullptr);
    Check(LoadSheet(first, again, sst2));
    Check(Save(again, sst2) == first);

    Change(sheet, Data, Size);
    const ByteArray changed = Save(sheet, sst);
    TWorkSheet third(nullptr);
    Check(LoadSheet(changed, third, sst3));
    Check(Save(third, sst3) == changed);
    return 0;
}
