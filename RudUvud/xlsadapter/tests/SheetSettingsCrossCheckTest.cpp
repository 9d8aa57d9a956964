// Sheet settings of files written by python3-xlwt and LibreOffice, read by the engine and
// compared with what xlrd (and the fixture script's own record reader) reports; then written
// back by the engine and read again by xlrd.

#include "RudUvud/xlsadapter/XlsFormulaParser.h"
#include "RudUvud/xlsadapter/XlsSheet.h"
#include "platform/rtl/Strings.h"

#include "SheetTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <tuple>

using namespace xlstest;

namespace {

// Python's repr of a float: the shortest text that reads back.
std::string Repr(double V)
{
    char num[64];
    for (int prec = 1; prec <= 17; ++prec) {
        snprintf(num, sizeof num, "%.*g", prec, V);
        if (strtod(num, nullptr) == V)
            break;
    }
    std::string s = num;
    if (s.find_first_of(".en") == std::string::npos)
        s += ".0";
    return s;
}

// The fixture script's listing, made from the engine's view of each sheet.
std::string Listing(TTestWorkbook& Book)
{
    std::ostringstream out;
    for (size_t i = 0; i < Book.Sheets.size(); ++i) {
        TWorkSheet& s = *Book.Sheets[i];
        const TSheetRecordCache& cache = s.RecordCache();
        out << "sheet " << i << " " << UTF8Encode(Book.Globals.GetSheetName(static_cast<Integer>(i))) << "\n";
        out << "view " << s.GetShowGridLines() << " " << s.GetShowGridHeaders() << " " << s.GetSelected()
            << "\n";
        if (cache.Pane) {
            Integer a, b;
            s.GetFrozenPanes(a, b);
            if (a || b)
                out << "frozen " << a << " " << b << " " << cache.Pane->Get_FirstVisibleRow() << " "
                    << cache.Pane->Get_FirstVisibleCol() << "\n";
            s.GetSplitWindow(a, b);
            if (a || b)
                out << "split " << a << " " << b << "\n";
        }
        out << "zoom " << s.GetSheetZoom() << "\n";
        out << "defaults " << s.DefRowHeight() << "\n";
        for (Integer k = 0; k < s.HPageBreaks().Count(); ++k) {
            const TPageBreakData& b = s.HPageBreaks().Items(k);
            out << "hbreak " << b.Key << " " << b.First << " " << b.Last << "\n";
        }
        for (Integer k = 0; k < s.VPageBreaks().Count(); ++k) {
            const TPageBreakData& b = s.VPageBreaks().Items(k);
            out << "vbreak " << b.Key << " " << b.First << " " << b.Last << "\n";
        }
        const TRowRecordList& rows = s.Cells().RowList();
        for (Integer r = 0; r < rows.Count(); ++r)
            if (rows.HasRow(r))
                out << "row " << r << " " << (s.GetRowHeight(r) & 0x7FFF) << " " << s.GetRowHidden(r) << " "
                    << s.GetRowOutlineLevel(r) << "\n";
        using TCol = std::tuple<Integer, bool, Integer, Integer>;
        Integer first = -1, last = -1;
        TCol run{};
        auto flush = [&] {
            if (first >= 0)
                out << "col " << first << " " << last << " " << std::get<0>(run) << " " << std::get<1>(run)
                    << " " << std::get<2>(run) << " " << std::get<3>(run) << "\n";
        };
        for (Integer c = 0; c < 256; ++c) {
            if (s.GetColFormat(c) < 0)
                continue;
            TCol v{s.GetColWidth(c), s.GetColHidden(c), s.GetColOutlineLevel(c), s.GetColFormat(c)};
            if (first >= 0 && last == c - 1 && v == run) {
                last = c;
                continue;
            }
            flush();
            first = last = c;
            run = v;
        }
        flush();
        std::vector<std::tuple<Integer, Integer, Integer, Integer>> merges;
        for (Integer k = 0; k < s.CellMergedListCount(); ++k) {
            TXlsCellRange m = s.CellMergedList(k);
            merges.emplace_back(m.FirstRow, m.LastRow, m.FirstCol, m.LastCol);
        }
        std::sort(merges.begin(), merges.end());
        for (auto& [r1, r2, c1, c2] : merges)
            out << "merge " << r1 << " " << r2 << " " << c1 << " " << c2 << "\n";
        if (cache.HCenter)
            out << "center 0 " << s.GetPrintHCentered() << "\n";
        if (cache.VCenter)
            out << "center 1 " << s.GetPrintVCentered() << "\n";
        if (cache.PageHeader)
            out << "header " << UTF8Encode(s.GetPageHeader()) << "\n";
        if (cache.PageFooter)
            out << "footer " << UTF8Encode(s.GetPageFooter()) << "\n";
        const TXlsMargins m = s.GetMargins();
        const TMarginRecord* margins[] = {cache.LeftMargin, cache.RightMargin, cache.TopMargin,
                                          cache.BottomMargin};
        const Extended values[] = {m.MarginLeft, m.MarginRight, m.MarginTop, m.MarginBottom};
        for (int k = 0; k < 4; ++k)
            if (margins[k])
                out << "margin " << k << " " << Repr(static_cast<double>(values[k])) << "\n";
        if (cache.PrintGridLines)
            out << "printgrid " << s.GetPrintGridLines() << "\n";
        if (cache.Setup)
            out << "setup " << s.GetPrintPaperSize() << " " << s.GetPrintScale() << " "
                << s.GetPrintNumberOfHorizontalPages() << " " << s.GetPrintNumberOfVerticalPages() << " "
                << s.GetPrintOptions() << " " << s.GetPrintXResolution() << " " << s.GetPrintYResolution()
                << " " << s.GetPrintCopies() << " " << Repr(static_cast<double>(m.MarginHeader)) << " "
                << Repr(static_cast<double>(m.MarginFooter)) << "\n";
        if (cache.WsBool)
            out << "wsbool " << cache.WsBool->GetValue() << "\n";
    }
    return out.str();
}

std::string TextFixture(const std::string& Name)
{
    ByteArray b = Fixture(Name);
    return std::string(b.begin(), b.end());
}

std::string XlrdListing(const std::string& Path)
{
    const std::string script = TextFixture("sheet-settings-listing.py");
    std::string output;
    EXPECT_EQ(RunPython(script, Path, output), 0) << output;
    return output;
}

class SheetSettingsCrossCheck : public ::testing::TestWithParam<const char*> {};

} // namespace

// The engine reads what xlrd reads; written back unchanged, xlrd reads the same again, and a
// second load and save gives the same bytes.
TEST_P(SheetSettingsCrossCheck, ReadAndWrittenBackAsXlrdReads)
{
    const std::string name = GetParam();
    const ByteArray doc = Fixture(name + ".xls");
    TTestWorkbook book;
    book.Load(ReadStream(doc, u"Workbook"));
    ASSERT_FALSE(book.Sheets.empty());
    EXPECT_EQ(Listing(book), TextFixture(name + ".txt"));

    const ByteArray saved = book.SaveDocument(doc);
    TTestWorkbook again;
    again.Load(ReadStream(saved, u"Workbook"));
    EXPECT_EQ(Listing(again), TextFixture(name + ".txt"));
    EXPECT_EQ(again.SaveStream(), book.SaveStream());

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd or python3-olefile is not installed");
    TempDir dir;
    SaveFile(dir.File("out.xls"), saved);
    EXPECT_EQ(XlrdListing(dir.File("out.xls")), TextFixture(name + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SheetSettingsCrossCheck,
                         ::testing::Values("xlwt-settings", "lo-settings", "lo-panes"));

// Settings changed through the engine are what xlrd reads from the saved file.
TEST(SheetSettingsCrossCheck, ChangedSettingsReadInXlrd)
{
    const ByteArray doc = Fixture("xlwt-settings.xls");
    TTestWorkbook book;
    book.Load(ReadStream(doc, u"Workbook"));
    ASSERT_EQ(book.Sheets.size(), 3u);
    TWorkSheet& first = *book.Sheets[0];
    first.FreezePanes(0, 0);
    first.DeleteHPageBreak(5);
    first.InsertHPageBreak(11);
    first.DeleteVPageBreak(3);
    first.InsertVPageBreak(4);
    first.SetRowHidden(3, false);
    first.SetRowHidden(6, true);
    first.SetRowOulineLevel(7, 3);
    first.SetColHidden(2, false);
    first.SetColHidden(1, true);
    first.SetColOulineLevel(4, 1);
    first.SetColWidth(0, 4000);
    first.SetRowHeight(2, 500);
    first.MergeCells(20, 0, 21, 1);
    first.SetShowGridLines(true);
    first.SetPrintScale(90);
    first.SetMargins({0.25, 0.5, 0.75, 1.0, 0.3, 0.4});
    TWorkSheet& second = *book.Sheets[1];
    second.FreezePanes(3, 2);
    second.SetSheetZoom(200);
    second.SetPageFooter(u"&C\u734e\u54c1");

    const std::string expected = Listing(book);
    TTestWorkbook again;
    again.Load(ReadStream(book.SaveDocument(doc), u"Workbook"));
    EXPECT_EQ(Listing(again), expected);
    for (const char* line :
         {"view 1 1 1\nzoom 150\n", "hbreak 9 0 255\nhbreak 11 0 255\nvbreak 4 0 65535\n",
          "row 2 500 0 0\nrow 3 255 0 0\n", "row 6 255 1 0\nrow 7 255 0 3\n",
          "col 0 0 4000 0 0 15\ncol 1 1 5000 1 0 15\ncol 2 2 2962 0 0 15\ncol 3 3 2962 0 2 15\n"
          "col 4 4 2930 0 1 15\n",
          "merge 14 15 1 3\nmerge 20 21 0 1\n", "margin 0 0.25\nmargin 1 0.75\nmargin 2 0.5\n",
          "setup 9 90 2 3 131 300 300 2 0.3 0.4\n", "frozen 3 2 5 3\nzoom 200\n", "footer &C\u734e\u54c1\n"})
        EXPECT_NE(expected.find(line), std::string::npos) << line << "\n" << expected;
    EXPECT_EQ(expected.find("frozen 2 1"), std::string::npos);

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd or python3-olefile is not installed");
    TempDir dir;
    SaveFile(dir.File("out.xls"), book.SaveDocument(doc));
    EXPECT_EQ(XlrdListing(dir.File("out.xls")), expected);
}

// Whole workbooks written by xlwt and LibreOffice (several sheets, Chinese sheet names, long
// shared strings over CONTINUE records) saved unchanged read the same in xlrd: sheet names and
// states, every cell's type, value and format, merges, widths and heights.
TEST(SheetSettingsCrossCheck, WorkbooksSavedUnchangedReadTheSameInXlrd)
{
    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd or python3-olefile is not installed");
    // One python run reads every file; each file's listing starts with its name.
    const std::string script = R"(
import sys, xlrd
for path in sys.argv[1:]:
    print("==", path.split("/")[-1])
    book = xlrd.open_workbook(path, formatting_info=True)
    print(book.datemode, book.nsheets)
    for sh in book.sheets():
        print(repr(sh.name), sh.visibility, sh.nrows, sh.ncols, sorted(sh.merged_cells))
        for r in range(sh.nrows):
            print([(c.ctype, c.value, c.xf_index) for c in sh.row(r)])
        print(sorted((k, v.height, v.hidden) for k, v in sh.rowinfo_map.items()))
        print(sorted((k, v.width, v.hidden) for k, v in sh.colinfo_map.items()))
)";
    TempDir dir;
    std::string inputs, outputs;
    for (const char* name : {"xlwt-small", "xlwt-continue", "xlwt-cells", "lo-small", "xlwt-settings",
                             "lo-settings", "lo-panes", "xlwt-styles", "lo-styles"}) {
        const ByteArray doc = Fixture(std::string(name) + ".xls");
        TTestWorkbook book;
        book.Load(ReadStream(doc, u"Workbook"));
        SaveFile(dir.File(std::string(name) + ".xls"), doc);
        SaveFile(dir.File(std::string(name) + ".out"), book.SaveDocument(doc));
        inputs += " " + dir.File(std::string(name) + ".xls");
        outputs += " " + dir.File(std::string(name) + ".out");
    }
    std::string before, after;
    ASSERT_EQ(RunPython(script, inputs, before), 0) << before;
    ASSERT_EQ(RunPython(script, outputs, after), 0) << after;
    // The listings differ only in the files' names.
    size_t at = 0;
    while ((at = after.find(".out\n", at)) != std::string::npos)
        after.replace(at, 5, ".xls\n");
    EXPECT_NE(before.find("== lo-settings.xls\n0 2\n"), std::string::npos) << before;
    EXPECT_EQ(after, before);
}

namespace {

// The formula context of a whole workbook: sheets by name, 3-D references through its
// references table.
class TGlobalsContext : public TFormulaContext {
public:
    explicit TGlobalsContext(TWorkbookGlobals& G) : FG(G) {}
    ByteArray ArrayFormula(Integer, Integer) override { XlsError(zivXlsMessages::ErrShrFmlaNotFound); }
    ByteArray TableFormula(Integer, Integer) override { XlsError(zivXlsMessages::ErrShrFmlaNotFound); }
    WideString GetName(Integer ExternSheet, Integer NameIndex) override
    {
        return FG.References().GetName(ExternSheet, NameIndex, Refs());
    }
    WideString GetSheetName(Integer ExternSheet) override
    {
        return FG.References().GetSheetName(ExternSheet, Refs());
    }
    Integer FindSheet(const WideString& Name) override
    {
        for (Integer i = 0; i < FG.GetSheetCount(); ++i)
            if (WideUpperCase98(FG.GetSheetName(i)) == WideUpperCase98(Name))
                return i;
        return -1;
    }
    Word AddExternSheet(Integer FirstSheet, Integer LastSheet) override
    {
        return FG.References().AddSheet(FG.GetSheetCount(), FirstSheet, LastSheet);
    }

private:
    TWorkbookGlobals& FG;
    TReferenceGlobals Refs() { return {&FG.SheetList().BoundSheets(), &FG.Names()}; }
};

} // namespace

// An autofilter set through the engine is the filter-database name xlrd reads.
TEST(SheetSettingsCrossCheck, AutofilterNameReadInXlrd)
{
    const ByteArray doc = Fixture("xlwt-settings.xls");
    TTestWorkbook book;
    book.Load(ReadStream(doc, u"Workbook"));
    TGlobalsContext cells(book.Globals);
    TWorkSheet& s = *book.Sheets[1];
    EXPECT_EQ(s.GetAutoFilterRange(1), (TXlsCellRange{-1, -1, -1, -1}));
    s.SetAutoFilter(1, 0, 0, 3, &cells);
    EXPECT_TRUE(s.HasAutoFilter());
    EXPECT_EQ(s.RecordCache().AutoFilterInfo->Get_DropDownCount(), 4);
    EXPECT_EQ(s.GetAutoFilterRange(1), (TXlsCellRange{0, 0, 3, 0}));
    EXPECT_TRUE(s.HasAutoFilter(1, 0, 3));
    EXPECT_FALSE(s.HasAutoFilter(1, 1, 3));
    EXPECT_FALSE(s.HasAutoFilter(0, 0, 0));
    // Set again over other columns: the same name, replaced.
    s.SetAutoFilter(1, 2, 1, 2, &cells);
    EXPECT_EQ(s.GetAutoFilterRange(1), (TXlsCellRange{1, 2, 2, 2}));
    EXPECT_EQ(book.Globals.Names().Count(), 1);
    const ByteArray saved = book.SaveDocument(doc);

    TTestWorkbook again;
    again.Load(ReadStream(saved, u"Workbook"));
    EXPECT_EQ(again.Sheets[1]->GetAutoFilterRange(1), (TXlsCellRange{1, 2, 2, 2}));
    again.Sheets[1]->RemoveAutoFilter();
    EXPECT_EQ(again.Sheets[1]->GetAutoFilterRange(1), (TXlsCellRange{-1, -1, -1, -1}));
    EXPECT_EQ(again.Globals.Names().Count(), 1); // the name stays
    s.SetAutoFilter(1, 0, 3, 2, &cells);         // last column before the first: removed
    EXPECT_FALSE(s.HasAutoFilter());

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd or python3-olefile is not installed");
    TempDir dir;
    SaveFile(dir.File("out.xls"), saved);
    const std::string script = R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
n = book.name_and_scope_map[("_filterdatabase", 1)]
print(n.name, n.builtin, n.hidden, n.scope, n.result.value[0].coords)
)";
    std::string output;
    ASSERT_EQ(RunPython(script, dir.File("out.xls"), output), 0) << output;
    EXPECT_EQ(output, "_FilterDatabase 1 1 1 (1, 2, 2, 3, 1, 3)\n");
}
