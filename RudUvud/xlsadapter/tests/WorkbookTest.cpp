// Whole workbooks: files written by python3-xlwt and LibreOffice load through the workbook and
// are written back with every sheet where its BOUNDSHEET says; xlrd reads the same contents from
// the saved file as from the original. Then the stream-level rules of loading and saving.

#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include "SheetTestSupport.h"

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
        GTEST_SKIP() << "python3-xlrd is not installed";
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

} // namespace
