// Whole workbooks: files written by python3-xlwt and LibreOffice load through the workbook and
// are written back with every sheet where its BOUNDSHEET says; xlrd reads the same contents from
// the saved file as from the original. Then the stream-level rules of loading and saving.

#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include "SheetTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

template <class Fn> std::string MessageOf(Fn&& F)
{
    try {
        F();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}
#define EXPECT_XLS_ERROR(Call, Text) EXPECT_EQ(MessageOf([&] { Call; }), std::string(Text))

ByteArray Save(TWorkbook& Book)
{
    return WriteWorkbook([&](TOle2File& f) { Book.SaveToStream(f); });
}

void Load(TWorkbook& Book, const ByteArray& Stream)
{
    BiffStream s(Stream);
    Book.LoadFromStream(*s.File);
}

ByteArray WithStream(const ByteArray& Doc, const ByteArray& Stream)
{
    TOle2MemoryStream in(Doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(Stream.data(), static_cast<Integer>(Stream.size()));
        f.FinishStream();
    }
    return out.Bytes();
}

// What xlrd reads of a file: sheets, their visibility, every cell's type, value and format,
// merged ranges, comments, and the first visible tab.
const char* const XlrdDump = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for s in b.sheets():
    print('sheet', repr(s.name), s.visibility, s.nrows, s.ncols)
    for r in range(s.nrows):
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype != xlrd.XL_CELL_EMPTY or cell.xf_index not in (None, 15):
                print(r, c, cell.ctype, repr(cell.value), cell.xf_index)
    print('merged', sorted(s.merged_cells))
    print('notes', sorted((k, v.text) for k, v in s.cell_note_map.items()))
    print('colinfo', sorted((k, v.width, v.hidden) for k, v in s.colinfo_map.items()))
    print('rowinfo', sorted((k, v.height, v.hidden) for k, v in s.rowinfo_map.items()))
print('names', sorted((n.name, n.scope, n.formula_text) for n in b.name_obj_list))
)PY";

std::string XlrdOf(const ByteArray& Doc)
{
    TempDir dir;
    SaveFile(dir.File("book.xls"), Doc);
    std::string out;
    EXPECT_EQ(RunPython(XlrdDump, dir.File("book.xls"), out), 0) << out;
    return out;
}

class WorkbookFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(WorkbookFiles, SavedUnchangedReadsTheSame)
{
    const ByteArray doc = Fixture(GetParam());
    const ByteArray stream = ReadStream(doc, u"Workbook");
    TWorkbook book;
    Load(book, stream);
    ASSERT_EQ(book.SheetCount(), book.Globals().GetSheetCount());
    const ByteArray saved = Save(book);

    // Every BOUNDSHEET points at a BOF.
    for (Integer i = 0; i < book.SheetCount(); ++i) {
        const LongWord at = book.Globals().SheetList().BoundSheets().Items(i)->GetOffset();
        ASSERT_LT(at + 4u, saved.size());
        EXPECT_EQ(GetWord(saved.data(), static_cast<Integer>(at)), 0x0809);
    }

    TWorkbook again;
    Load(again, saved);
    EXPECT_EQ(Save(again), saved);

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    EXPECT_EQ(XlrdOf(WithStream(doc, saved)), XlrdOf(doc));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WorkbookFiles,
                         ::testing::Values("xlwt-small.xls", "xlwt-cells.xls", "xlwt-continue.xls",
                                           "xlwt-settings.xls", "xlwt-styles.xls", "lo-small.xls",
                                           "lo-panes.xls", "lo-settings.xls", "lo-styles.xls",
                                           "drawings/lo-drawing.xls", "drawings/lo-links.xls"));

// A stream of the fixture's sections with Tail after them.
ByteArray SmallWith(const ByteArray& Tail)
{
    ByteArray s = ReadStream(Fixture("xlwt-small.xls"), u"Workbook");
    s.insert(s.end(), Tail.begin(), Tail.end());
    return s;
}

TEST(Workbook, LoadingStopsAtTheLastAnnouncedSheet)
{
    TWorkbook plain;
    Load(plain, SmallWith({}));
    const ByteArray expected = Save(plain);
    // Anything after the sheets, zero bytes or records, is not read.
    for (const ByteArray& tail :
         {Bytes({0, 0, 0, 0, 0, 0, 0, 0}), Bytes({0x09, 0x08, 2, 0, 0, 6}), Bytes({0x34, 0x12, 0, 0})}) {
        TWorkbook book;
        Load(book, SmallWith(tail));
        EXPECT_EQ(book.SheetCount(), plain.SheetCount());
        EXPECT_EQ(Save(book), expected);
    }
}

TEST(Workbook, RecordsBetweenSectionsAreRefused)
{
    // The globals alone, then a record that is neither BOF nor EOF.
    ByteArray s = ReadStream(Fixture("xlwt-small.xls"), u"Workbook");
    TWorkbook probe;
    Load(probe, s);
    const size_t sheetStart = probe.Globals().SheetList().BoundSheets().Items(0)->GetOffset();
    ByteArray bad(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(sheetStart));
    PutRecord(bad, 0x0203, ByteArray(14));
    bad.insert(bad.end(), s.begin() + static_cast<std::ptrdiff_t>(sheetStart), s.end());
    TWorkbook book;
    EXPECT_XLS_ERROR(Load(book, bad), "Error reading Excel records. File invalid");
}

TEST(Workbook, MoreDirectoryEntriesThanSheetsCannotBeSaved)
{
    // The stream ends after the first sheet of a two-sheet workbook.
    const ByteArray full = ReadStream(Fixture("xlwt-settings.xls"), u"Workbook");
    TWorkbook probe;
    Load(probe, full);
    ASSERT_GE(probe.SheetCount(), 2);
    const size_t second = probe.Globals().SheetList().BoundSheets().Items(1)->GetOffset();
    TWorkbook book;
    Load(book, ByteArray(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(second)));
    EXPECT_EQ(book.SheetCount(), 1);
    EXPECT_XLS_ERROR(Save(book), "Error reading Excel records. File invalid");
}

TEST(Workbook, VisibleSheets)
{
    const ByteArray stream = ReadStream(Fixture("xlwt-settings.xls"), u"Workbook");
    TWorkbook book;
    Load(book, stream);
    const Integer n = book.SheetCount();
    ASSERT_GE(n, 2);
    for (Integer i = 0; i < n; ++i)
        book.Sheets(i).SetSelected(false);
    // Only the last sheet visible: it becomes the first visible tab.
    for (Integer i = 0; i < n - 1; ++i)
        book.Globals().SetSheetVisible(i, sv_Hidden);
    TWorkbook again;
    Load(again, Save(book));
    Integer first = -1;
    for (Integer i = 0; i < n; ++i)
        if (again.Globals().GetSheetVisible(i) == sv_Visible && first < 0)
            first = i;
    EXPECT_EQ(first, n - 1);
    // A hidden sheet carrying the selected flag stops the save, even with another sheet visible.
    book.Sheets(0).SetSelected(true);
    EXPECT_XLS_ERROR(Save(book), "To save this file, you must select a visible sheet");
    book.Sheets(0).SetSelected(false);
    book.Globals().SetSheetVisible(n - 1, sv_VeryHidden);
    EXPECT_XLS_ERROR(Save(book), "There are not visible sheets on the file");
}

TEST(Workbook, SheetKinds)
{
    TWorkbook book;
    Load(book, ReadStream(Fixture("xlwt-small.xls"), u"Workbook"));
    EXPECT_TRUE(book.IsWorksheet(0));
    EXPECT_NO_THROW(book.GetWorkSheets(0));
    book.SetActiveSheet(0);
    EXPECT_EQ(book.GetActiveSheet(), 0);
    EXPECT_TRUE(book.Sheets(0).GetSelected());
}

// The fixture's stream with Cells put into its last sheet, just before the sheet's WINDOW2.
ByteArray WithCellsInLastSheet(const ByteArray& Cells)
{
    ByteArray s = ReadStream(Fixture("xlwt-small.xls"), u"Workbook");
    TWorkbook probe;
    Load(probe, s);
    size_t at = probe.Globals().SheetList().BoundSheets().Items(probe.SheetCount() - 1)->GetOffset();
    while (GetWord(s.data(), static_cast<Integer>(at)) != 0x023E)
        at += 4 + GetWord(s.data(), static_cast<Integer>(at + 2));
    s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), Cells.begin(), Cells.end());
    return s;
}

TEST(Workbook, CellsRightOfTheLastColumnAreNotLoaded)
{
    // Column words can name columns past 255 (and runs can wrap round past 65535); such cells
    // are dropped on every loading path, so they never hold a shared string or reach column 0.
    ByteArray inside, outside;
    PutRecord(inside, 0x00FD, Bytes({2, 0, 1, 0, 0x11, 0, 1, 0, 0, 0})); // LABELSST row 2, col 1
    PutRecord(inside, 0x00BD,
              Bytes({3, 0, 254, 0, 0x11, 0, 0, 0, 0xF0, 0x3F, 0x11, 0, 0, 0, 0, 0x40, 255, 0}));
    outside = inside;
    outside.resize(outside.size() - 22); // the MULRK is replaced by one running past column 255
    PutRecord(outside, 0x00FD, Bytes({2, 0, 0x00, 0x2B, 0x11, 0, 5, 0, 0, 0})); // column 11008
    PutRecord(outside, 0x00BD,
              Bytes({3,    0, 254, 0, 0x11, 0,    0,    0, 0xF0, 0x3F, 0x11, 0,    0, 0, 0, 0x40, // 254, 255
                     0x11, 0, 0,   0, 0x08, 0x40, 0x11, 0, 0,    0,    0x10, 0x40, 1, 1}));       // 256, 257
    PutRecord(outside, 0x00BE, Bytes({4, 0, 0xFE, 0xFF, 0x11, 0, 0x11, 0, 0x11, 0, 0, 0})); // wraps to 0
    // A label with a CONTINUE after it: read as a record of its own.
    PutRecord(outside, 0x00FD, Bytes({5, 0, 0x28, 0x23, 0x11, 0, 5, 0, 0, 0}));
    PutRecord(outside, 0x003C, Bytes({0}));
    PutRecord(outside, 0x0204, Bytes({6, 0, 0x90, 1, 0x11, 0, 1, 0, 0, 'q'})); // LABEL, column 400
    // A string formula in column 300 and the SHRFMLA and STRING records that belong to it.
    PutRecord(outside, 0x0006, Bytes({7,    0, 0x2C, 1, 0x11, 0, 0, 0, 0, 0,    0, 0, 0xFF,
                                      0xFF, 0, 0,    0, 0,    0, 0, 3, 0, 0x1E, 1, 0}));
    PutRecord(outside, 0x04BC, Bytes({7, 0, 7, 0, 0x2C, 0x2C, 0, 1, 3, 0, 0x1E, 1, 0})); // SHRFMLA
    PutRecord(outside, 0x0207, Bytes({1, 0, 0, 'x'}));

    const ByteArray clean = WithCellsInLastSheet(inside), dirty = WithCellsInLastSheet(outside);
    TWorkbook expected, book;
    Load(expected, clean);
    Load(book, dirty);
    const Integer last = book.SheetCount() - 1;
    const TCellList& cells = book.GetWorkSheets(last).Cells().CellList();
    const Integer counts[][2] = {{2, 1}, {3, 2}, {4, 0}, {5, 0}, {6, 0}, {7, 0}};
    for (const auto& c : counts)
        EXPECT_EQ(cells.CellCount(c[0]), c[1]) << "row " << c[0];

    const ByteArray saved = Save(book);
    EXPECT_EQ(saved, Save(expected));
    TWorkbook again;
    Load(again, saved);
    EXPECT_EQ(Save(again), saved);

    if (!HavePython("xlrd, olefile"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    // The cells xlrd reads are those of the stream with only the cells inside (the saved file
    // has ROW records of its own for the rows that had none).
    const ByteArray doc = Fixture("xlwt-small.xls");
    auto cellsOf = [&](const ByteArray& Stream) {
        std::string dump = XlrdOf(WithStream(doc, Stream)), kept;
        for (size_t at = 0, end; at < dump.size(); at = end + 1) {
            end = dump.find('\n', at);
            if (dump.compare(at, 8, "rowinfo ") != 0)
                kept += dump.substr(at, end - at + 1);
        }
        return kept;
    };
    const std::string got = cellsOf(saved);
    EXPECT_EQ(got, cellsOf(clean));
    EXPECT_NE(got.find("3 255 2 2.0"), std::string::npos) << got;
}

} // namespace
