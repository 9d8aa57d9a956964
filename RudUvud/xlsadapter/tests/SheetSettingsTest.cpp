// The view, print, column and row settings of a worksheet built from records.

#include "RudUvud/xlsadapter/XlsCellRecords.h"
#include "RudUvud/xlsadapter/XlsSheet.h"

#include "SheetTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

using namespace xlstest;

namespace {

constexpr Word BOF = 0x0809, WINDOW2 = 0x023E, SELECTION = 0x001D, DEFROWHEIGHT = 0x0225, HCENTER = 0x0083,
               VCENTER = 0x0084, SETUP = 0x00A1, HEADER = 0x0014, DEFCOLWIDTH = 0x0055,
               STANDARDWIDTH = 0x0099, LEFT = 0x0026, RIGHT = 0x0027, TOP = 0x0028, BOTTOM = 0x0029,
               PANE = 0x0041, SCL = 0x00A0, PLS = 0x004D, GUTS = 0x0080, WSBOOL = 0x0081,
               AUTOFILTERINFO = 0x009D, AUTOFILTER = 0x009E, FILTERMODE = 0x009B, NUMBER = 0x0203,
               ROW = 0x0208, COLINFO = 0x007D;

ByteArray Words(std::initializer_list<int> W)
{
    ByteArray b;
    for (int w : W) {
        b.push_back(static_cast<Byte>(w));
        b.push_back(static_cast<Byte>(w >> 8));
    }
    return b;
}

ByteArray Window2()
{
    return Words({0x06B6, 0, 0, 64, 0, 0, 0, 0, 0});
}
ByteArray SetupData(int Options = 0x0004)
{
    ByteArray d = Words({9, 100, 1, 1, 1, Options, 600, 300});
    d.resize(34, 0);
    return d;
}
ByteArray Number(int Row, int Col, int XF)
{
    ByteArray d = Words({Row, Col, XF});
    d.resize(14, 0);
    return d;
}

// A worksheet loaded from BOF, the records, EOF.
struct TSheetFixture {
    TSST Sst;
    TWorkSheet Sheet{nullptr};
    explicit TSheetFixture(const std::vector<TRec>& Records)
    {
        ByteArray s;
        PutRecord(s, BOF, Words({0x0600, 0x0010, 0x1338, 0x07CD, 0xC0C1, 0, 0x0306, 0}));
        for (const TRec& r : Records)
            PutRecord(s, r.Id, r.Data);
        PutRecord(s, xlr_EOF, {});
        BiffStream bs(s);
        TRecordHeader h;
        ReadRecordHeader(*bs.File, h);
        std::unique_ptr<TBaseRecord> bof = LoadRecords(*bs.File, h);
        Sheet.LoadFromStream(*bs.File, h,
                             std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())), &Sst);
    }
    // The ids of a list, in order.
    static std::vector<Word> Ids(TBaseRecordList& L)
    {
        std::vector<Word> ids;
        for (Integer i = 0; i < L.Count(); ++i)
            ids.push_back(L.Items(i)->Id());
        return ids;
    }
    // Saving writes exactly the bytes the size promised.
    ByteArray Saved()
    {
        ByteArray b = WriteWorkbook([&](TOle2File& f) { Sheet.SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(b.size()), Sheet.TotalSize());
        EXPECT_EQ(Sheet.FrontList().GetTotalSize(), Sheet.FrontList().ComputedTotalSize());
        EXPECT_EQ(Sheet.WindowList().GetTotalSize(), Sheet.WindowList().ComputedTotalSize());
        return b;
    }
};

std::string Message(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EExcelException& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(SheetSettings, MissingMarginsAreCreatedWhereTheFileOrderPutsThem)
{
    TSheetFixture f({{DEFROWHEIGHT, Words({0, 255})},
                     {HCENTER, Words({0})},
                     {VCENTER, Words({0})},
                     {SETUP, SetupData()},
                     {WINDOW2, Window2()}});
    TWorkSheet& s = f.Sheet;
    TXlsMargins m = s.GetMargins();
    EXPECT_EQ(m.MarginLeft, 0.7480314960629921);
    EXPECT_EQ(m.MarginRight, 0.7480314960629921);
    EXPECT_EQ(m.MarginTop, 0.984251968503937);
    EXPECT_EQ(m.MarginBottom, 0.984251968503937);
    EXPECT_EQ(m.MarginHeader, 0);

    m = {1.0, 2.0, 3.0, 4.0, 0.25, 0.5}; // left, top, right, bottom, header, footer
    s.SetMargins(m);
    EXPECT_EQ(TSheetFixture::Ids(s.FrontList()),
              (std::vector<Word>{DEFROWHEIGHT, HCENTER, VCENTER, LEFT, RIGHT, TOP, BOTTOM, SETUP}));
    const TXlsMargins back = s.GetMargins();
    EXPECT_EQ(back.MarginLeft, 1.0);
    EXPECT_EQ(back.MarginTop, 2.0);
    EXPECT_EQ(back.MarginRight, 3.0);
    EXPECT_EQ(back.MarginBottom, 4.0);
    EXPECT_EQ(back.MarginHeader, 0.25);
    EXPECT_EQ(back.MarginFooter, 0.5);
    f.Saved();

    // Without SETUP the header and footer margins are not kept.
    TSheetFixture bare({{WINDOW2, Window2()}});
    bare.Sheet.SetMargins(m);
    EXPECT_EQ(TSheetFixture::Ids(bare.Sheet.FrontList()), (std::vector<Word>{LEFT, RIGHT, TOP, BOTTOM}));
    EXPECT_EQ(bare.Sheet.GetMargins().MarginHeader, 0);
}

TEST(SheetSettings, HeaderTextNeedsItsRecord)
{
    TSheetFixture without({{WINDOW2, Window2()}});
    without.Sheet.SetPageHeader(u"&CPrizes");
    EXPECT_EQ(without.Sheet.GetPageHeader(), u"");
    EXPECT_TRUE(TSheetFixture::Ids(without.Sheet.FrontList()).empty());

    TSheetFixture with({{HEADER, {}}, {WINDOW2, Window2()}});
    with.Sheet.SetPageHeader(u"&C\u734e\u54c1 list");
    EXPECT_EQ(with.Sheet.GetPageHeader(), u"&C\u734e\u54c1 list");
    with.Saved();
}

TEST(SheetSettings, ZoomIsKeptInItsRangeAndNeedsARecordAfterWindow2)
{
    TSheetFixture alone({{WINDOW2, Window2()}});
    alone.Sheet.SetSheetZoom(150);
    EXPECT_EQ(alone.Sheet.GetSheetZoom(), 100);

    TSheetFixture f({{WINDOW2, Window2()}, {SELECTION, ByteArray(15, 0)}});
    f.Sheet.SetSheetZoom(500);
    EXPECT_EQ(f.Sheet.GetSheetZoom(), 400);
    EXPECT_EQ(TSheetFixture::Ids(f.Sheet.WindowList()), (std::vector<Word>{WINDOW2, SCL, SELECTION}));
    f.Sheet.SetSheetZoom(5);
    EXPECT_EQ(f.Sheet.GetSheetZoom(), 10);
    f.Sheet.SetSheetZoom(75);
    EXPECT_EQ(f.Sheet.GetSheetZoom(), 75);
    f.Saved();
}

TEST(SheetSettings, FrozenAndSplitPanes)
{
    TSheetFixture f({{WINDOW2, Window2()}, {SELECTION, ByteArray(15, 0)}});
    TWorkSheet& s = f.Sheet;
    Integer a, b;
    s.GetFrozenPanes(a, b);
    EXPECT_EQ(a + b, 0);

    s.FreezePanes(3, 0);
    EXPECT_EQ(TSheetFixture::Ids(s.WindowList()), (std::vector<Word>{WINDOW2, PANE, SELECTION}));
    s.GetFrozenPanes(a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 0);
    const TPaneRecord* pane = s.RecordCache().Pane;
    EXPECT_EQ(pane->Get_FirstVisibleRow(), 3);
    EXPECT_EQ(pane->Get_FirstVisibleCol(), 1);
    EXPECT_EQ(pane->Get_ActivePane(), 2); // the lower pane: there is no column split
    EXPECT_TRUE(s.RecordCache().Window2->GetIsFrozen());
    EXPECT_TRUE(s.RecordCache().Window2->GetIsFrozenButNoSplit());
    s.GetSplitWindow(a, b);
    EXPECT_EQ(a + b, 0);
    f.Saved();

    s.FreezePanes(0, 0);
    EXPECT_EQ(TSheetFixture::Ids(s.WindowList()), (std::vector<Word>{WINDOW2, SELECTION}));
    EXPECT_EQ(s.RecordCache().Pane, nullptr);
    EXPECT_FALSE(s.RecordCache().Window2->GetIsFrozen());
    EXPECT_FALSE(s.RecordCache().Window2->GetIsFrozenButNoSplit());

    s.SplitWindow(1200, 600);
    s.GetSplitWindow(a, b);
    EXPECT_EQ(a, 1200);
    EXPECT_EQ(b, 600);
    s.GetFrozenPanes(a, b);
    EXPECT_EQ(a + b, 0);
    f.Saved();
}

TEST(SheetSettings, PageSetupValuesAreCheckedBeforeTheyAreSet)
{
    TSheetFixture f({{SETUP, SetupData(0)}, {WINDOW2, Window2()}});
    TWorkSheet& s = f.Sheet;
    EXPECT_EQ(s.GetPrintXResolution(), 600);
    EXPECT_EQ(s.GetPrintYResolution(), 300);
    const struct {
        const char* Name;
        std::function<void(Integer)> Set;
        std::function<Integer()> Get;
    } setters[] = {
        {"PrintScale", [&](Integer v) { s.SetPrintScale(v); }, [&] { return s.GetPrintScale(); }},
        {"PrintPaperSize", [&](Integer v) { s.SetPrintPaperSize(v); }, [&] { return s.GetPrintPaperSize(); }},
        {"PrintCopies", [&](Integer v) { s.SetPrintCopies(v); }, [&] { return s.GetPrintCopies(); }},
        {"PrintXResolution", [&](Integer v) { s.SetPrintXResolution(v); },
         [&] { return s.GetPrintXResolution(); }},
        {"PrintYResolution", [&](Integer v) { s.SetPrintYResolution(v); },
         [&] { return s.GetPrintYResolution(); }},
    };
    for (const auto& c : setters) {
        c.Set(77);
        EXPECT_EQ(c.Get(), 77) << c.Name;
        EXPECT_EQ(Message([&] { c.Set(65536); }), std::string("The index \"65536\" of the property \"") +
                                                      c.Name + "\" is not in the range 0-65535");
        EXPECT_EQ(Message([&] { c.Set(-1); }), std::string("The index \"-1\" of the property \"") + c.Name +
                                                   "\" is not in the range 0-65535");
        EXPECT_EQ(c.Get(), 77) << c.Name;
    }

    // Without SETUP: the defaults, setters do nothing, but the range is still checked.
    TSheetFixture bare({{WINDOW2, Window2()}});
    EXPECT_EQ(bare.Sheet.GetPrintScale(), 100);
    EXPECT_EQ(bare.Sheet.GetPrintPaperSize(), 1);
    EXPECT_EQ(bare.Sheet.GetPrintNumberOfHorizontalPages(), 1);
    EXPECT_EQ(bare.Sheet.GetPrintXResolution(), 600);
    EXPECT_TRUE(bare.Sheet.GetOutlineSummaryRowsBelowDetail());
    EXPECT_FALSE(bare.Sheet.GetPrintToFit());
    bare.Sheet.SetPrintScale(50);
    EXPECT_EQ(bare.Sheet.GetPrintScale(), 100);
    EXPECT_THROW(bare.Sheet.SetPrintCopies(70000), EExcelException);
}

TEST(SheetSettings, PrinterDriverSettingsGoBeforeSetup)
{
    TSheetFixture f({{WSBOOL, Words({0x04C1})}, {SETUP, SetupData(0x0004)}, {WINDOW2, Window2()}});
    TWorkSheet& s = f.Sheet;
    EXPECT_EQ(s.GetPrinterDriverSettings().Environment, 0);
    EXPECT_TRUE(s.GetPrinterDriverSettings().DriverData.empty());

    s.SetPrinterDriverSettings({1, ByteArray{1, 2, 3}});
    s.SetPrinterDriverSettings({1, ByteArray{4, 5}});
    EXPECT_EQ(TSheetFixture::Ids(s.FrontList()), (std::vector<Word>{WSBOOL, PLS, SETUP}));
    EXPECT_EQ(s.GetPrinterDriverSettings().DriverData, (ByteArray{4, 5}));
    EXPECT_EQ(s.GetPrintOptions() & 4, 0); // the printer settings are now valid
    f.Saved();

    s.SetPrinterDriverSettings({1, {}});
    EXPECT_EQ(TSheetFixture::Ids(s.FrontList()), (std::vector<Word>{WSBOOL, SETUP}));
    EXPECT_EQ(s.RecordCache().Pls, nullptr);
    EXPECT_TRUE(s.GetPrinterDriverSettings().DriverData.empty());
    f.Saved();
}

TEST(SheetSettings, DefaultColumnWidthAndRowHeight)
{
    const struct {
        std::vector<TRec> Records;
        Integer Width, Height;
    } cases[] = {
        {{{STANDARDWIDTH, Words({2340})}, {DEFCOLWIDTH, Words({8})}}, 2340, 255},
        {{{DEFCOLWIDTH, Words({10})}, {STANDARDWIDTH, Words({2340})}}, 2930, 255},
        {{{DEFCOLWIDTH, Words({8})}, {STANDARDWIDTH, Words({2340})}}, 2340, 255},
        {{{DEFROWHEIGHT, Words({0, 300})}}, 2930, 300},
        {{}, 2930, 255},
    };
    for (const auto& c : cases) {
        std::vector<TRec> records = c.Records;
        records.push_back({WINDOW2, Window2()});
        TSheetFixture f(records);
        EXPECT_EQ(f.Sheet.DefColWidth(), c.Width);
        EXPECT_EQ(f.Sheet.DefRowHeight(), c.Height);
        EXPECT_EQ(f.Sheet.GetColWidth(7), c.Width);
        EXPECT_EQ(f.Sheet.GetRowHeight(7), c.Height);
    }
}

TEST(WorksheetColumns, HiddenColumnsWidthsAndFormats)
{
    ByteArray colinfo = Words({2, 2, 0, 20, 1, 0}); // column 2: width 0, hidden
    TSheetFixture f({{COLINFO, colinfo},
                     {WINDOW2, Window2()},
                     {ROW, Words({0, 0, 5, 255, 0, 0, 0x0100, 15})},
                     {NUMBER, Number(0, 4, 15)},
                     {NUMBER, Number(3, 4, 15)},
                     {NUMBER, Number(3, 1, 15)}});
    TWorkSheet& s = f.Sheet;
    EXPECT_TRUE(s.GetColHidden(2));
    EXPECT_EQ(s.GetColWidth(2, true), 0);
    s.SetColHidden(2, false); // shown with a width of 0 it would stay invisible
    EXPECT_EQ(s.GetColWidth(2), 2930);
    EXPECT_EQ(s.GetColFormat(2), 20);

    s.SetColHidden(7, false); // nothing to show
    EXPECT_EQ(s.GetColFormat(7), -1);
    s.SetColHidden(7, true);
    EXPECT_TRUE(s.GetColHidden(7));
    EXPECT_EQ(s.GetColFormat(7), 15);
    EXPECT_EQ(s.GetColWidth(7), 2930);
    EXPECT_EQ(s.GetColWidth(7, true), 0);

    s.SetColFormat(4, 21);
    EXPECT_EQ(s.GetColFormat(4), 21);
    EXPECT_EQ(s.GetColWidth(4), 2930);
    EXPECT_EQ(s.Cells().CellList().FindCell(0, 4)->GetXF(), 21);
    EXPECT_EQ(s.Cells().CellList().FindCell(3, 4)->GetXF(), 21);
    EXPECT_EQ(s.Cells().CellList().FindCell(3, 1)->GetXF(), 15);

    EXPECT_EQ(s.GetRowFormat(0), -1); // a ROW record that is not formatted
    EXPECT_EQ(s.GetRowFormat(40), -1);
    s.SetRowFormat(3, 22);
    EXPECT_EQ(s.GetRowFormat(3), 22);
    EXPECT_EQ(s.Cells().CellList().FindCell(3, 1)->GetXF(), 22);
    EXPECT_EQ(s.Cells().CellList().FindCell(0, 4)->GetXF(), 21);

    EXPECT_FALSE(s.GetRowHidden(9));
    s.SetRowHidden(9, true);
    EXPECT_TRUE(s.GetRowHidden(9));
    EXPECT_EQ(s.GetRowHeight(9, true), 0);
    s.SetRowHeight(9, 600);
    EXPECT_EQ(s.GetRowHeight(9), 600);
    s.SetColWidth(1, 5000);
    EXPECT_EQ(s.GetColWidth(1), 5000);
    f.Saved();
}

TEST(WorksheetColumns, OutlineLevelsBringGutsThatTheSaveRecomputes)
{
    TSheetFixture f({{WSBOOL, Words({0x04C1})}, {WINDOW2, Window2()}});
    TWorkSheet& s = f.Sheet;
    s.SetRowOulineLevel(4, 2);
    s.SetColOulineLevel(3, 1);
    EXPECT_EQ(TSheetFixture::Ids(s.FrontList()), (std::vector<Word>{WSBOOL, GUTS}));
    EXPECT_EQ(s.GetRowOutlineLevel(4), 2);
    EXPECT_EQ(s.GetRowOutlineLevel(5), 0);
    EXPECT_EQ(s.GetColOutlineLevel(3), 1);
    EXPECT_EQ(s.GetColOutlineLevel(4), 0);
    EXPECT_EQ(s.GetColFormat(3), 15);
    f.Saved();
    const TGutsRecord* guts = s.RecordCache().Guts;
    EXPECT_FALSE(guts->RecalcNeeded);
    EXPECT_EQ(guts->GetRowLevel(), 3);
    EXPECT_EQ(guts->GetColLevel(), 2);

    // With DEFAULTROWHEIGHT, GUTS goes just before it.
    TSheetFixture g({{WSBOOL, Words({0x04C1})}, {DEFROWHEIGHT, Words({0, 255})}, {WINDOW2, Window2()}});
    g.Sheet.SetColOulineLevel(0, 1);
    EXPECT_EQ(TSheetFixture::Ids(g.Sheet.FrontList()), (std::vector<Word>{WSBOOL, GUTS, DEFROWHEIGHT}));
}

TEST(WorksheetColumns, MergedCells)
{
    TSheetFixture f({{WINDOW2, Window2()}});
    TWorkSheet& s = f.Sheet;
    s.MergeCells(1, 1, 0, 0); // A1:B2, given the wrong way round
    s.MergeCells(1, 2, 2, 2); // C2:C3 overlaps nothing
    EXPECT_EQ(s.CellMergedListCount(), 2);
    s.MergeCells(1, 1, 1, 2); // B2:C2 overlaps both: one merge A1:C3
    EXPECT_EQ(s.CellMergedListCount(), 1);
    EXPECT_EQ(s.CellMergedList(0), (TXlsCellRange{0, 0, 2, 2}));
    EXPECT_EQ(s.CellMergedBounds(2, 2), (TXlsCellRange{0, 0, 2, 2}));
    EXPECT_EQ(s.CellMergedBounds(5, 5), (TXlsCellRange{5, 5, 5, 5}));
    EXPECT_EQ(s.CellMergedList(-1), TXlsCellRange{});
    EXPECT_EQ(s.CellMergedList(1), TXlsCellRange{});
    f.Saved();
    s.UnMergeCells(2, 2, 0, 0);
    EXPECT_EQ(s.CellMergedListCount(), 0);
}

TEST(WorksheetColumns, RemovingTheAutofilterRemovesItsRecords)
{
    TSheetFixture f({{DEFCOLWIDTH, Words({8})},
                     {FILTERMODE, {}},
                     {AUTOFILTERINFO, Words({3})},
                     {AUTOFILTER, ByteArray(24, 0)},
                     {WINDOW2, Window2()}});
    EXPECT_TRUE(f.Sheet.HasAutoFilter());
    f.Sheet.RemoveAutoFilter();
    EXPECT_FALSE(f.Sheet.HasAutoFilter());
    EXPECT_EQ(TSheetFixture::Ids(f.Sheet.FrontList()), (std::vector<Word>{DEFCOLWIDTH}));
    f.Saved();
}

// Sheets the sheet fuzz target starts from or found wrong: saved, loaded and saved again, they
// give the same bytes.
TEST(SheetSettings, SavedSheetsLoadAndSaveTheSame)
{
    std::vector<std::filesystem::path> files;
    for (const char* dir :
         {DRAWMERE_TEST_DATA "/sheet-replay", DRAWMERE_SOURCE_DIR "/fuzz/corpus/fuzz_xls_sheet"})
        for (const auto& e : std::filesystem::directory_iterator(dir))
            files.push_back(e.path());
    ASSERT_GE(files.size(), 2u);
    for (const auto& path : files) {
        auto loadAndSave = [&](const ByteArray& Stream, ByteArray& Out) {
            TSST sst;
            for (const char16_t* s : {u"a", u"Prize", u"\u734e\u54c1", u"", u"b", u"c", u"d", u"e"})
                sst.AddString(s);
            BiffStream bs(Stream);
            TRecordHeader h;
            ReadRecordHeader(*bs.File, h);
            std::unique_ptr<TBaseRecord> bof = LoadRecords(*bs.File, h);
            TWorkSheet sheet(nullptr);
            sheet.LoadFromStream(*bs.File, h,
                                 std::unique_ptr<TBOFRecord>(static_cast<TBOFRecord*>(bof.release())), &sst);
            WriteWorkbook([&](TOle2File& f) { sst.SaveToStream(f); });
            Out = WriteWorkbook([&](TOle2File& f) { sheet.SaveToStream(f); });
            EXPECT_EQ(static_cast<Int64>(Out.size()), sheet.TotalSize()) << path;
        };
        const ByteArray input = LoadFile(path.string());
        if (input.size() >= 8 && GetWord(input.data(), 6) == 0x0005)
            continue; // a whole workbook: its sheets are among the fixtures' sheets
        ByteArray first, second;
        loadAndSave(input, first);
        loadAndSave(first, second);
        EXPECT_EQ(first, second) << path;
    }
}
