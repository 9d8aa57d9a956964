// Rows, columns and sheets inserted, copied and deleted in a LibreOffice-made workbook
// (data/lo-rowcol.xls, made by data/make-rowcol-fixture.sh), and a workbook made from nothing,
// saved by the engine and read back by independent readers: xlrd for the cells, merged blocks,
// comments, hyperlinks, page breaks and names, and LibreOffice (when installed) for the text of
// every formula, so that moved references are seen as another program sees them.

#include "RudUvud/xlsadapter/XlsTemplate.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"
#include "platform/testing/Commands.h"

#include "SheetTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace xlstest;

namespace {

const char* const Listing = R"PY(
import os, sys, xlrd
from xml.etree import ElementTree as ET

def col(c):
    s = ''
    c += 1
    while c:
        c, r = divmod(c - 1, 26)
        s = chr(65 + r) + s
    return s

def cells(path):
    b = xlrd.open_workbook(path, formatting_info=True)
    for s in b.sheets():
        print('sheet', s.name, s.visibility)
        for r in range(s.nrows):
            for c in range(s.ncols):
                v = s.cell(r, c)
                if v.ctype not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    print(' %s%d %r' % (col(c), r + 1, v.value))
        for r1, r2, c1, c2 in sorted(s.merged_cells):
            print(' merged %s%d:%s%d' % (col(c1), r1 + 1, col(c2 - 1), r2))
        for (r, c), n in sorted(s.cell_note_map.items()):
            print(' note %s%d %r' % (col(c), r + 1, n.text))
        for h in s.hyperlink_list:
            print(' link %s%d:%s%d %s' % (col(h.fcolx), h.frowx + 1, col(h.lcolx), h.lrowx + 1, h.url_or_path))
        if s.horizontal_page_breaks:
            print(' hbreaks', [p[0] for p in s.horizontal_page_breaks])
    for n in b.name_obj_list:
        print('name', n.name, n.scope, n.result.text if n.result else None)

T = '{urn:oasis:names:tc:opendocument:xmlns:table:1.0}'

def formulas(path):
    for t in ET.parse(path).getroot().iter(T + 'table'):
        print('table', t.get(T + 'name'))
        r = 0
        for row in t.iter(T + 'table-row'):
            c = 0
            for cell in row:
                if cell.tag not in (T + 'table-cell', T + 'covered-table-cell'):
                    continue
                f = cell.get(T + 'formula')
                if f:
                    print(' %s%d %s' % (col(c), r + 1, f))
                c += int(cell.get(T + 'number-columns-repeated', '1'))
            r += int(row.get(T + 'number-rows-repeated', '1'))

(formulas if sys.argv[1].endswith('.fods') else cells)(sys.argv[1])
)PY";

TWorkbook* LoadFixture(TWorkbook& Book)
{
    BiffStream s(ReadStream(Fixture("lo-rowcol.xls"), u"Workbook"));
    Book.LoadFromStream(*s.File);
    return &Book;
}

// The workbook in a copy of Doc, in place of its "Workbook" stream.
ByteArray SaveInto(TWorkbook& Book, const ByteArray& Doc)
{
    const ByteArray stream = WriteWorkbook([&](TOle2File& f) { Book.SaveToStream(f, true); });
    TOle2MemoryStream in(Doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(stream.data(), static_cast<Integer>(stream.size()));
        f.FinishStream();
    }
    return out.Bytes();
}

struct TVariant {
    const char* Name;
    std::function<ByteArray()> Make;
};

ByteArray Changed(const std::function<void(TWorkbook&)>& Change)
{
    TWorkbook book;
    LoadFixture(book);
    Change(book);
    return SaveInto(book, Fixture("lo-rowcol.xls"));
}

const std::vector<TVariant>& Variants()
{
    static const std::vector<TVariant> variants = {
        {"unchanged", [] { return Changed([](TWorkbook&) {}); }},
        // Two copies of row 2 (Pen, with its link) inserted above row 4, inside the summed range.
        {"rows-copied",
         [] {
             return Changed(
                 [](TWorkbook& b) { b.InsertAndCopyRowsAndCols(0, 1, 1, 3, 2, 0, 0, 0, 0, false); });
         }},
        // Column A goes, with the comment in it.
        {"column-deleted", [] { return Changed([](TWorkbook& b) { b.DeleteRowsAndCols(0, 0, 0, 0, 1); }); }},
        // Row 2 goes, with the hyperlink that lies in it.
        {"row-deleted", [] { return Changed([](TWorkbook& b) { b.DeleteRowsAndCols(0, 1, 1, 0, 0); }); }},
        // Column B copied once in front of column D: everything from D on moves right.
        {"column-copied",
         [] {
             return Changed(
                 [](TWorkbook& b) { b.InsertAndCopyRowsAndCols(0, 0, 0, 0, 0, 1, 1, 3, 1, false); });
         }},
        {"sheet-copied-after", [] { return Changed([](TWorkbook& b) { b.InsertSheets(0, 2, 1); }); }},
        {"sheet-copied-before", [] { return Changed([](TWorkbook& b) { b.InsertSheets(0, 0, 1); }); }},
        {"sheet-deleted", [] { return Changed([](TWorkbook& b) { b.DeleteSheets(0, 1); }); }},
        // A new file: the template and two more sheets.
        {"new",
         [] {
             TWorkbook book;
             TXlsTemplateDocument doc;
             book.LoadFromStream(doc.File());
             book.InsertSheets(-1, 1, 2);
             return SaveInto(book, EmptyWorkbookTemplate());
         }},
    };
    return variants;
}

class SheetOperationsCrossCheck : public ::testing::Test {
protected:
    // What xlrd and LibreOffice read of every variant, made once for all the tests.
    static std::map<std::string, std::string> Cells, Formulas;
    static bool HaveOffice;

    static void SetUpTestSuite()
    {
        if (!HavePython("xlrd"))
            return;
        TempDir dir;
        std::string names;
        for (const TVariant& v : Variants()) {
            SaveFile(dir.File(std::string(v.Name) + ".xls"), v.Make());
            std::string out;
            RunPython(Listing, dir.File(std::string(v.Name) + ".xls"), out);
            Cells[v.Name] = out;
            names += std::string(" ") + v.Name + ".xls";
        }
        HaveOffice = uitest::HaveCommand("soffice");
        if (!HaveOffice)
            return;
        const std::string cmd = "cd " + dir.Path().string() + " && soffice -env:UserInstallation=file://" +
                                dir.Path().string() + "/profile --headless --norestore --convert-to fods" +
                                names + " >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0)
            return;
        for (const TVariant& v : Variants()) {
            std::string out;
            RunPython(Listing, dir.File(std::string(v.Name) + ".fods"), out);
            Formulas[v.Name] = out;
        }
    }

    void SetUp() override
    {
        if (Cells.empty())
            return uitest::SkipMissing("python3-xlrd is not installed");
    }

    // Checks LibreOffice's formulas when it is installed; without it the test is reported as
    // skipped (failed in CI) once the rest of it has run.
    static void ExpectFormulas(const char* Variant, const std::string& Expected)
    {
        if (HaveOffice) {
            EXPECT_EQ(Formulas[Variant], Expected) << Variant;
        } else {
            uitest::SkipMissing("LibreOffice is not installed: its reading of the formulas is not checked");
        }
    }
};

std::map<std::string, std::string> SheetOperationsCrossCheck::Cells, SheetOperationsCrossCheck::Formulas;
bool SheetOperationsCrossCheck::HaveOffice = false;

// The save marks every formula to be recalculated by the reader: rows and columns moved under
// the formulas, so their stored results go (xlrd reads an empty text, not an error).
const std::string OtherSheet = "sheet Other 0\n"
                               " A1 ''\n"
                               " A2 ''\n";

TEST_F(SheetOperationsCrossCheck, UnchangedFixtureReadsAsMade)
{
    EXPECT_EQ(Cells["unchanged"], "sheet Data 0\n"
                                  " A1 'Item'\n B1 'Price'\n F1 ''\n"
                                  " A2 'Pen'\n B2 2.0\n C2 'site'\n"
                                  " A3 'Ink'\n B3 3.0\n"
                                  " A4 'Pad'\n B4 4.0\n"
                                  " A5 'Sum'\n B5 ''\n"
                                  " D6 'Merged'\n"
                                  " merged D6:E7\n"
                                  " note A3 'Refill'\n"
                                  " link C2:C2 https://example.com/pen\n"
                                  " hbreaks [5]\n" +
                                      OtherSheet + "name Prices -1 Data!$B$2:$B$4\n");
    ExpectFormulas("unchanged", "table Data\n"
                                " F1 of:=[$Data.B2]+1\n"
                                " B5 of:=SUM([.B2:.B4])\n"
                                "table Other\n"
                                " A1 of:=[$Data.B5]*2\n"
                                " A2 of:=SUM(Prices)\n");
}

TEST_F(SheetOperationsCrossCheck, CopiedRowsBringTheirCellsAndLinksAndEverythingBelowMoves)
{
    EXPECT_EQ(Cells["rows-copied"], "sheet Data 0\n"
                                    " A1 'Item'\n B1 'Price'\n F1 ''\n"
                                    " A2 'Pen'\n B2 2.0\n C2 'site'\n"
                                    " A3 'Ink'\n B3 3.0\n"
                                    " A4 'Pen'\n B4 2.0\n C4 'site'\n"
                                    " A5 'Pen'\n B5 2.0\n C5 'site'\n"
                                    " A6 'Pad'\n B6 4.0\n"
                                    " A7 'Sum'\n B7 ''\n"
                                    " D8 'Merged'\n"
                                    " merged D8:E9\n"
                                    " note A3 'Refill'\n"
                                    " link C2:C2 https://example.com/pen\n"
                                    " link C4:C4 https://example.com/pen\n"
                                    " link C5:C5 https://example.com/pen\n"
                                    " hbreaks [7]\n" +
                                        OtherSheet + "name Prices -1 Data!$B$2:$B$6\n");
    // The sum and the name grow over the rows inserted inside them.
    ExpectFormulas("rows-copied", "table Data\n"
                                  " F1 of:=[$Data.B2]+1\n"
                                  " B7 of:=SUM([.B2:.B6])\n"
                                  "table Other\n"
                                  " A1 of:=[$Data.B7]*2\n"
                                  " A2 of:=SUM(Prices)\n");
}

TEST_F(SheetOperationsCrossCheck, DeletedColumnTakesItsCommentAndTheRestMovesLeft)
{
    EXPECT_EQ(Cells["column-deleted"], "sheet Data 0\n"
                                       " A1 'Price'\n E1 ''\n"
                                       " A2 2.0\n B2 'site'\n"
                                       " A3 3.0\n"
                                       " A4 4.0\n"
                                       " A5 ''\n"
                                       " C6 'Merged'\n"
                                       " merged C6:D7\n"
                                       " link B2:B2 https://example.com/pen\n"
                                       " hbreaks [5]\n" +
                                           OtherSheet + "name Prices -1 Data!$A$2:$A$4\n");
    ExpectFormulas("column-deleted", "table Data\n"
                                     " E1 of:=[$Data.A2]+1\n"
                                     " A5 of:=SUM([.A2:.A4])\n"
                                     "table Other\n"
                                     " A1 of:=[$Data.A5]*2\n"
                                     " A2 of:=SUM(Prices)\n");
}

TEST_F(SheetOperationsCrossCheck, DeletedRowTakesItsLinkAndReferencesIntoItBreak)
{
    EXPECT_EQ(Cells["row-deleted"], "sheet Data 0\n"
                                    " A1 'Item'\n B1 'Price'\n F1 ''\n"
                                    " A2 'Ink'\n B2 3.0\n"
                                    " A3 'Pad'\n B3 4.0\n"
                                    " A4 'Sum'\n B4 ''\n"
                                    " D5 'Merged'\n"
                                    " merged D5:E6\n"
                                    " note A2 'Refill'\n"
                                    " hbreaks [4]\n" +
                                        OtherSheet + "name Prices -1 Data!$B$2:$B$3\n");
    ExpectFormulas("row-deleted", "table Data\n"
                                  " F1 of:=[#REF!]+1\n"
                                  " B4 of:=SUM([.B2:.B3])\n"
                                  "table Other\n"
                                  " A1 of:=[$Data.B4]*2\n"
                                  " A2 of:=SUM(Prices)\n");
}

TEST_F(SheetOperationsCrossCheck, CopiedColumnBringsItsCellsAndWhatIsRightOfItMoves)
{
    EXPECT_EQ(Cells["column-copied"], "sheet Data 0\n"
                                      " A1 'Item'\n B1 'Price'\n D1 'Price'\n G1 ''\n"
                                      " A2 'Pen'\n B2 2.0\n C2 'site'\n D2 2.0\n"
                                      " A3 'Ink'\n B3 3.0\n D3 3.0\n"
                                      " A4 'Pad'\n B4 4.0\n D4 4.0\n"
                                      " A5 'Sum'\n B5 ''\n D5 ''\n"
                                      " E6 'Merged'\n"
                                      " merged E6:F7\n"
                                      " note A3 'Refill'\n"
                                      " link C2:C2 https://example.com/pen\n"
                                      " hbreaks [5]\n" +
                                          OtherSheet + "name Prices -1 Data!$B$2:$B$4\n");
    ExpectFormulas("column-copied", "table Data\n"
                                    " G1 of:=[$Data.B2]+1\n"
                                    " B5 of:=SUM([.B2:.B4])\n"
                                    " D5 of:=SUM([.D2:.D4])\n"
                                    "table Other\n"
                                    " A1 of:=[$Data.B5]*2\n"
                                    " A2 of:=SUM(Prices)\n");
}

const std::string DataCells = " A1 'Item'\n B1 'Price'\n F1 ''\n"
                              " A2 'Pen'\n B2 2.0\n C2 'site'\n"
                              " A3 'Ink'\n B3 3.0\n"
                              " A4 'Pad'\n B4 4.0\n"
                              " A5 'Sum'\n B5 ''\n"
                              " D6 'Merged'\n"
                              " merged D6:E7\n"
                              " note A3 'Refill'\n"
                              " link C2:C2 https://example.com/pen\n"
                              " hbreaks [5]\n";

TEST_F(SheetOperationsCrossCheck, CopiedSheetRefersToItselfWhereTheSourceDid)
{
    // The copy gets its own sheet-level copy of the workbook name its cells use.
    EXPECT_EQ(Cells["sheet-copied-after"], "sheet Data 0\n" + DataCells + OtherSheet + "sheet Sheet 0\n" +
                                               DataCells +
                                               "name Prices -1 Data!$B$2:$B$4\n"
                                               "name Prices 2 Sheet!$B$2:$B$4\n");
    ExpectFormulas("sheet-copied-after", "table Data\n"
                                         " F1 of:=[$Data.B2]+1\n"
                                         " B5 of:=SUM([.B2:.B4])\n"
                                         "table Other\n"
                                         " A1 of:=[$Data.B5]*2\n"
                                         " A2 of:=SUM(Prices)\n"
                                         "table Sheet\n"
                                         " F1 of:=[$Sheet.B2]+1\n"
                                         " B5 of:=SUM([.B2:.B4])\n");

    // A copy placed in front of its source likewise: the source has moved by then.
    EXPECT_EQ(Cells["sheet-copied-before"], "sheet Sheet 0\n" + DataCells + "sheet Data 0\n" + DataCells +
                                                OtherSheet +
                                                "name Prices -1 Data!$B$2:$B$4\n"
                                                "name Prices 0 Sheet!$B$2:$B$4\n");
    ExpectFormulas("sheet-copied-before", "table Sheet\n"
                                          " F1 of:=[$Sheet.B2]+1\n"
                                          " B5 of:=SUM([.B2:.B4])\n"
                                          "table Data\n"
                                          " F1 of:=[$Data.B2]+1\n"
                                          " B5 of:=SUM([.B2:.B4])\n"
                                          "table Other\n"
                                          " A1 of:=[$Data.B5]*2\n"
                                          " A2 of:=SUM(Prices)\n");
}

TEST_F(SheetOperationsCrossCheck, DeletedSheetLeavesBrokenReferences)
{
    // The workbook name stays, pointing at no sheet (xlrd's words for that below).
    EXPECT_EQ(Cells["sheet-deleted"], OtherSheet + "name Prices -1 'internal; deleted sheet'!$B$2:$B$4\n");
    ExpectFormulas("sheet-deleted", "table Other\n"
                                    " A1 of:=[#REF!]*2\n"
                                    " A2 of:=SUM(Prices)\n");
}

TEST_F(SheetOperationsCrossCheck, WorkbookFromNothingOpensInBothReaders)
{
    EXPECT_EQ(Cells["new"], "sheet Sheet1 0\nsheet Sheet2 0\nsheet Sheet 0\n");
    ExpectFormulas("new", "table Sheet1\ntable Sheet2\ntable Sheet\n");
}

} // namespace
